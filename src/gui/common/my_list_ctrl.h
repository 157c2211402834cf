// The report-style list of the parameter lists (device panel and record browser): one row per
// entry, columns with left-aligned titles that do not sort, grid lines, full-row selection,
// read-only cells. The last column stretches to the list's width; Tab moves on to the next
// control. A cell whose text ends in "…" shows it whole as its tool tip. FillParamList fills such a
// list with a model's parameter rows.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QTableWidget>

#include "core/model/instrument_catalogue.h"
#include "core/model/param_block.h"

namespace qx {

class CMyListCtrl : public QTableWidget {
    Q_OBJECT
  public:
    explicit CMyListCtrl(QWidget* parent = nullptr);

    // Columns with their titles and widths in pixels; any rows are deleted.
    void SetColumns(const QStringList& titles, const QList<int>& widths);
    QStringList ColumnTitles() const;
    // Replaces every row by `rows` (one text per column; missing cells stay empty). Repainting
    // is held off meanwhile.
    void SetRows(const QList<QStringList>& rows);
    // The text of a cell; empty outside the list.
    QString Text(int row, int column) const;
    // Widens a column to its title and its widest cell when they do not fit; never narrows it.
    // In a list with a stretched last column, a first column widened beyond its designed width
    // leaves the others at least a third of the list, however narrow the list becomes: a
    // longer text ends in "…".
    void FitColumn(int column);

  protected:
    void resizeEvent(QResizeEvent* event) override;
    bool viewportEvent(QEvent* event) override;

  private:
    // The text of the cell at a viewport point when the cell is too narrow for it, else empty.
    QString CutTextAt(const QPoint& point) const;
    int CellMargin() const;

    // The first column's width as set, which a narrow list may show narrower.
    void ApplyFirstColumnWidth();
    int firstColumnWidth_ = -1;
    int designedFirstWidth_ = -1;
};

// Makes `list` a parameter list: the columns `firstColumnTitle` (160 pixels) and "内容"
// (200 pixels) and the list font ("宋体" 14 pixels, or the installed stand-in); no rows.
void SetupParamList(CMyListCtrl& list, const QString& firstColumnTitle);

// Deletes every row; for type 0 stops there; otherwise one row per parameter item of the
// type, in order: its label, and its text of `texts` (empty when texts is nullptr). The label
// column is widened when a label does not fit (English labels run longer).
void FillParamList(CMyListCtrl& list, const qx::ParamTexts* texts, qx::InstrumentTypeId type);

}  // namespace qx
