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
#include <QStyle>
#include <QTabBar>
#include <QTranslator>
#include <QWidget>
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "core/model/language.h"

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

// One line per visible control under root whose text is wider than the control:
// "QLabel 'Interval:' needs 52 px, has 40". Labels that wrap their words are left out.
inline std::vector<std::string> CutTexts(QWidget& root, int slack = 1) {
    std::vector<std::string> cut;
    auto report = [&](const QWidget& w, const QString& text, int need, int have) {
        if (text.isEmpty() || need <= have + slack) return;
        cut.push_back(std::string(w.metaObject()->className()) + " '" + text.toStdString() +
                      "' needs " + std::to_string(need) + " px, has " + std::to_string(have));
    };
    const auto widgets = root.findChildren<QWidget*>();
    for (QWidget* w : widgets) {
        if (!w->isVisibleTo(&root) || w->width() <= 0) continue;
        if (auto* label = qobject_cast<QLabel*>(w)) {
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
            const int margin =
                2 * header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
            for (int i = 0; i < header->count(); ++i) {
                if (header->isSectionHidden(i) || header->sectionSize(i) <= 0) continue;
                const QString title =
                    header->model()
                        ? header->model()->headerData(i, header->orientation()).toString()
                        : QString();
                // A vertical header's titles run across its width.
                report(*w, title, header->fontMetrics().horizontalAdvance(title) + margin,
                       header->orientation() == Qt::Horizontal ? header->sectionSize(i)
                                                               : header->width());
            }
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
