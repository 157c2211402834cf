#include "my_list_ctrl.h"

#include <QCoreApplication>
#include <QFontMetrics>
#include <QHeaderView>
#include <QHelpEvent>
#include <QStyle>
#include <QTableWidgetItem>
#include <QToolTip>
#include <algorithm>

#include "app_fonts.h"
#include "core/model/param_list_rows.h"
#include "qt_text.h"

namespace qx {

CMyListCtrl::CMyListCtrl(QWidget* parent) : QTableWidget(parent) {
    setFrameShape(QFrame::StyledPanel);
    setFrameShadow(QFrame::Sunken);
    setShowGrid(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    setTextElideMode(Qt::ElideRight);
    setSortingEnabled(false);
    verticalHeader()->hide();
    horizontalHeader()->setSectionsClickable(false);
    horizontalHeader()->setSortIndicatorShown(false);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    horizontalHeader()->setTextElideMode(Qt::ElideRight);
    // The last column takes the rest of the list's width, so that no empty strip is left.
    horizontalHeader()->setStretchLastSection(true);
    // Tab leaves the list for the next control instead of walking its cells.
    setTabKeyNavigation(false);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
}

void CMyListCtrl::SetColumns(const QStringList& titles, const QList<int>& widths) {
    setRowCount(0);
    setColumnCount(static_cast<int>(titles.size()));
    setHorizontalHeaderLabels(titles);
    for (int c = 0; c < titles.size(); ++c) {
        if (c < widths.size()) setColumnWidth(c, widths[c]);
    }
    designedFirstWidth_ = firstColumnWidth_ = widths.isEmpty() ? -1 : widths[0];
    // The stretched last column ends at the list's right edge however narrow the list is, so
    // that a value too long for it ends in "…" instead of running past the edge.
    if (horizontalHeader()->stretchLastSection() && columnCount() > 0)
        setColumnWidth(columnCount() - 1, horizontalHeader()->minimumSectionSize());
}

QStringList CMyListCtrl::ColumnTitles() const {
    QStringList titles;
    for (int c = 0; c < columnCount(); ++c) {
        const QTableWidgetItem* item = horizontalHeaderItem(c);
        titles << (item ? item->text() : QString());
    }
    return titles;
}

void CMyListCtrl::SetRows(const QList<QStringList>& rows) {
    setUpdatesEnabled(false);
    clearSelection();
    setRowCount(0);
    setRowCount(static_cast<int>(rows.size()));
    verticalHeader()->setDefaultSectionSize(QFontMetrics(font()).height() + 6);
    for (int r = 0; r < rows.size(); ++r) {
        for (int c = 0; c < columnCount(); ++c) {
            auto* item = new QTableWidgetItem(c < rows[r].size() ? rows[r][c] : QString());
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            setItem(r, c, item);
        }
    }
    setUpdatesEnabled(true);
}

QString CMyListCtrl::Text(int row, int column) const {
    const QTableWidgetItem* cell = item(row, column);
    return cell ? cell->text() : QString();
}

int CMyListCtrl::CellMargin() const {
    // A cell's text is inset by the focus frame's margin and one pixel on each side; the grid
    // line takes one more, and one more the fraction of a pixel that whole-pixel advances leave
    // out (the view elides a text wider than its room by less than a pixel).
    return 2 * (style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1) + 2;
}

QString CMyListCtrl::CutTextAt(const QPoint& point) const {
    const QModelIndex index = indexAt(point);
    if (!index.isValid()) return {};
    const QString text = Text(index.row(), index.column());
    const int need = QFontMetrics(font()).horizontalAdvance(text) + CellMargin();
    return need > visualRect(index).width() ? text : QString();
}

bool CMyListCtrl::viewportEvent(QEvent* event) {
    if (event->type() != QEvent::ToolTip) return QTableWidget::viewportEvent(event);
    const auto* help = static_cast<QHelpEvent*>(event);
    const QString cut = CutTextAt(help->pos());
    if (cut.isEmpty()) {
        QToolTip::hideText();
        event->ignore();
    } else {
        QToolTip::showText(help->globalPos(), cut, viewport());
    }
    return true;
}

void CMyListCtrl::FitColumn(int column) {
    if (column < 0 || column >= columnCount()) return;
    const int cellMargin = CellMargin();
    const QFontMetrics cells(font());
    int need = 0;
    for (int r = 0; r < rowCount(); ++r)
        need = std::max(need, cells.horizontalAdvance(Text(r, column)) + cellMargin);
    if (const QTableWidgetItem* title = horizontalHeaderItem(column)) {
        QHeaderView* header = horizontalHeader();
        const int titleMargin =
            2 * header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
        need = std::max(need, header->fontMetrics().horizontalAdvance(title->text()) + titleMargin);
    }
    if (column == 0) {
        firstColumnWidth_ = std::max(need, firstColumnWidth_);
        ApplyFirstColumnWidth();
        return;
    }
    if (need > columnWidth(column)) setColumnWidth(column, need);
}

void CMyListCtrl::resizeEvent(QResizeEvent* event) {
    QTableWidget::resizeEvent(event);
    ApplyFirstColumnWidth();
}

void CMyListCtrl::ApplyFirstColumnWidth() {
    if (firstColumnWidth_ < 0 || columnCount() < 2 || !horizontalHeader()->stretchLastSection())
        return;
    // As designed while the list holds that and a narrow value column; a label that widened
    // the column gives way first.
    const int width = viewport()->width();
    const int room = std::max(
        std::min(designedFirstWidth_, width - 2 * horizontalHeader()->minimumSectionSize()),
        2 * width / 3);
    setColumnWidth(0, std::min(firstColumnWidth_, room));
}

void SetupParamList(CMyListCtrl& list, const QString& firstColumnTitle) {
    list.setUpdatesEnabled(false);
    list.setFont(qx::SongFont(14));
    list.SetColumns({firstColumnTitle, QCoreApplication::translate("qx::CMyListCtrl", "内容")},
                    {160, 200});
    list.setUpdatesEnabled(true);
}

void FillParamList(CMyListCtrl& list, const qx::ParamTexts* texts, qx::InstrumentTypeId type) {
    QList<QStringList> rows;
    for (const qx::ParamListRow& row : qx::ParamListRows(type, texts)) {
        rows.append({qx::ToQString(row.label), qx::ToQString(row.text)});
    }
    list.SetRows(rows);
    list.FitColumn(0);
}

}  // namespace qx
