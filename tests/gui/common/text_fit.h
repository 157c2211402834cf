// Window texts that do not fit their controls, and the English translation switched on for a
// test. English is longer than Chinese; a control whose size hint is wider than the room it
// has shows a cut text.
#pragma once

#include <QAbstractButton>
#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QScrollBar>
#include <QStyle>
#include <QTabBar>
#include <QTableView>
#include <QTranslator>
#include <QWidget>
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "core/model/language.h"
#include "gui/common/elided_label.h"

namespace qx::test {

// While it lives, the core and the windows speak English (the program's qxlog_en.qm). Create it
// before the windows under test: their texts are set when they are built.
class ScopedEnglish {
  public:
    ScopedEnglish() : translator_(std::make_unique<QTranslator>()) {
        loaded_ = translator_->load(QStringLiteral(":/translations/qxlog_en.qm")) &&
                  QCoreApplication::installTranslator(translator_.get());
        SetLanguage(Language::kEnglish);
    }
    ~ScopedEnglish() {
        QCoreApplication::removeTranslator(translator_.get());
        SetLanguage(Language::kChinese);
    }
    ScopedEnglish(const ScopedEnglish&) = delete;
    ScopedEnglish& operator=(const ScopedEnglish&) = delete;
    bool Loaded() const { return loaded_; }

  private:
    std::unique_ptr<QTranslator> translator_;
    bool loaded_ = false;
};

// The column titles and the values of the rows in sight of a table that are cut. A text in a
// column narrower than it ends in "…" (the view elides it): that is cut only where the view has
// the room to show every column whole. A text clipped by the edge of the view, without "…", is
// cut where nothing scrolls it into sight: in a list whose last column takes the rest of its
// width, or in a table without a horizontal scroll bar.
template <typename Report>
void ReportCutCells(const QTableView& view, Report& report, int slack) {
    const QHeaderView* header = view.horizontalHeader();
    const QAbstractItemModel* model = view.model();
    if (!model || header->isHidden()) return;
    const int room = view.viewport()->width();
    const bool scrolls = view.horizontalScrollBar()->isVisible();
    const bool fitsWidth = header->stretchLastSection();
    const int titleMargin =
        2 * header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
    // The cell's text is inset by the focus frame's margin and a pixel each side, the grid line
    // takes one; one more for the fraction of a pixel that whole-pixel advances leave out.
    const int cellMargin =
        2 * (view.style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &view) + 1) + 2;
    const int firstRow = std::max(view.rowAt(0), 0);
    int lastRow = view.rowAt(view.viewport()->height() - 1);
    if (lastRow < 0) lastRow = model->rowCount() - 1;

    struct Text {
        QString text;
        int column;
        int need;
    };
    std::vector<Text> texts;
    std::vector<int> columnNeed(static_cast<size_t>(model->columnCount()), 0);
    for (int c = 0; c < model->columnCount(); ++c) {
        if (header->isSectionHidden(c)) continue;
        const QString title = model->headerData(c, Qt::Horizontal).toString();
        int titleWidth = 0;  // of its widest line
        for (const QString& line : title.split(QLatin1Char('\n')))
            titleWidth = std::max(titleWidth, header->fontMetrics().horizontalAdvance(line));
        texts.push_back({title, c, titleWidth + titleMargin});
        for (int r = firstRow; r <= lastRow && r < model->rowCount(); ++r) {
            const QString value = model->index(r, c).data().toString();
            texts.push_back({value, c, view.fontMetrics().horizontalAdvance(value) + cellMargin});
        }
    }
    int allNeed = 0;
    for (const Text& t : texts)
        columnNeed[static_cast<size_t>(t.column)] =
            std::max(columnNeed[static_cast<size_t>(t.column)], t.need);
    for (int need : columnNeed)
        allNeed += need;
    for (const Text& t : texts) {
        const int x = header->sectionViewportPosition(t.column);
        const int width = header->sectionSize(t.column);
        const int shown = std::min(x + width, room) - std::max(x, 0);
        // A view elides a text that is wider than its cell by a single pixel.
        if (shown <= 0 || t.need <= shown) continue;
        const bool elided = width < t.need && view.textElideMode() != Qt::ElideNone;
        if (elided ? allNeed <= room : (fitsWidth || !scrolls))
            report(view, t.text, t.need + slack, shown);
    }
}

// One line per visible control under root whose text is wider than the control:
// "QLabel 'Interval:' needs 52 px, has 40". Labels that wrap their words are left out.
inline std::vector<std::string> CutTexts(QWidget& root, int slack = 1) {
    std::vector<std::string> cut;
    auto report = [&](const QWidget& w, const QString& text, int need, int have) {
        if (text.isEmpty() || need <= have + slack) return;
        cut.push_back(std::string(w.metaObject()->className()) + " '" + text.toStdString() +
                      "' needs " + std::to_string(need) + " px, has " + std::to_string(have));
    };
    // A window's title, beside the title bar's buttons (some 100 px in any common theme).
    if (root.isWindow())
        report(root, root.windowTitle(),
               root.fontMetrics().horizontalAdvance(root.windowTitle()) + 100, root.width());
    const auto widgets = root.findChildren<QWidget*>();
    for (QWidget* w : widgets) {
        if (!w->isVisibleTo(&root) || w->width() <= 0) continue;
        if (auto* elided = qobject_cast<CElidedLabel*>(w)) {
            // Shortened on purpose, with "…": what it shows must fit.
            report(*w, elided->text(), elided->fontMetrics().horizontalAdvance(elided->text()),
                   elided->contentsRect().width());
        } else if (auto* label = qobject_cast<QLabel*>(w)) {
            if (!label->wordWrap() && label->pixmap().isNull())
                report(*w, label->text(), label->sizeHint().width(), label->width());
        } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
            report(*w, button->text(), button->sizeHint().width(), button->width());
        } else if (auto* box = qobject_cast<QGroupBox*>(w)) {
            report(*w, box->title(), box->fontMetrics().horizontalAdvance(box->title()) + 16,
                   box->width());
        } else if (auto* combo = qobject_cast<QComboBox*>(w)) {
            // The size hint makes room for the longest item; the shown one must fit.
            int longest = 0;
            for (int i = 0; i < combo->count(); ++i)
                longest =
                    std::max(longest, combo->fontMetrics().horizontalAdvance(combo->itemText(i)));
            const QString shown = combo->currentText();
            report(
                *w, shown,
                combo->sizeHint().width() - longest + combo->fontMetrics().horizontalAdvance(shown),
                combo->width());
        } else if (auto* header = qobject_cast<QHeaderView*>(w)) {
            if (header->orientation() == Qt::Vertical) {
                const int margin =
                    2 * header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
                for (int i = 0; i < header->count(); ++i) {
                    if (header->isSectionHidden(i) || header->sectionSize(i) <= 0) continue;
                    const QString title =
                        header->model() ? header->model()->headerData(i, Qt::Vertical).toString()
                                        : QString();
                    // A vertical header's titles run across its width.
                    report(*w, title, header->fontMetrics().horizontalAdvance(title) + margin,
                           header->width());
                }
            }
        } else if (auto* view = qobject_cast<QTableView*>(w)) {
            ReportCutCells(*view, report, slack);
        } else if (auto* tabs = qobject_cast<QTabBar*>(w)) {
            for (int i = 0; i < tabs->count(); ++i)
                report(*w, tabs->tabText(i),
                       tabs->fontMetrics().horizontalAdvance(tabs->tabText(i)) + 8,
                       tabs->tabRect(i).width());
        }
    }
    return cut;
}

}  // namespace qx::test
