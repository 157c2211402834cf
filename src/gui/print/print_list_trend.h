// CPrintListTrend: lays out and draws the printed pages of the record browser, either the
// trend chart on one page, the sample list as a report of two tables side by side per page, or
// the statistics report: the figures per series, the limit summary and the excursion list as
// tables continued over as many portrait pages as they need (a table's title row repeated at
// the top of a page), then the chart page of the selection.
// Every title and cell of the report shows whole: when the list's columns, halved, are too
// narrow for a text in the table font, the report takes one table a page (in the list's
// proportions, else with the columns as wide as their texts), and the small font when even
// that is too narrow.
// The comparison report (a comparison given with SetComparison, summary mode): its summary
// lines and its table of figures, one row per instrument, as the statistics report prints its
// tables, then the chart page of the instruments' lines.
// The chart page shows the whole selection, whatever span the screen shows, above a legend
// of the drawn series (their line, name and unit) and of the alarm lines (name and level).
// Every page has a header (title and a grey band with the information line) and a footer (a
// rule, the footer text left and "第 %d 页共 %d 页" right).
//
// The owner sets the sources once and the texts, the columns and the mode before each job;
// then PrintSetup() at the start of the job, PrintPage() for every page and EndPrinting() at
// its end. The pages draw onto any painter (printer, PDF, preview, image): the page size comes
// from the device given to PrintSetup().
#pragma once

#include <QCoreApplication>
#include <QFont>
#include <QRect>
#include <QString>
#include <QStringList>
#include <vector>

#include "print_layout.h"

class QPainter;
class QPaintDevice;

namespace qx {

class CTrendWave;
class SampleTable;
struct Comparison;
struct RecordStatistics;

class CPrintListTrend {
    Q_DECLARE_TR_FUNCTIONS(qx::CPrintListTrend)

  public:
    static constexpr int kCurveMode = 0;
    static constexpr int kReportMode = 1;
    static constexpr int kSummaryMode = 2;
    // The table font's character cell, and the smaller one of reports with many columns.
    static constexpr int kCellWidth = 16, kCellHeight = 32;
    static constexpr int kSmallCellWidth = 8, kSmallCellHeight = 18;
    static constexpr int kManyColumns = 10;

    CPrintListTrend();
    virtual ~CPrintListTrend();

    // The report's rows and titles come from table (the cells the sample list shows); the
    // chart page draws chart. Either may be null: that part then prints empty.
    void SetSources(const SampleTable* table, CTrendWave* chart);
    const SampleTable* Table() const { return table_; }
    CTrendWave* Chart() const { return chart_; }

    // The figures of the statistics report; null prints its tables empty. They must outlive
    // the job.
    void SetStatistics(const RecordStatistics* statistics) { statistics_ = statistics; }
    // A comparison of instruments: the summary mode prints the comparison report instead of
    // the statistics report. It must outlive the job.
    void SetComparison(const Comparison* comparison) { comparison_ = comparison; }

    // The report's columns: their widths in characters, at most 20.
    void SetColumns(std::vector<int> widthsInCharacters);
    const std::vector<int>& Columns() const { return columns_; }
    // The widths in characters of the sample list's columns (their pixel widths in the list's
    // font, 7 pixels a character).
    static std::vector<int> ColumnCharacters(const SampleTable& table);

    QString infoLine;        // first line of the header band
    QString secondInfoLine;  // second line of the band; none when empty
    QString footerText;      // left part of the footer
    QString documentName;    // name of the print job (the record file's base name)
    bool hasData = false;    // a record is loaded; without it the chart page shows no chart
    int mode = kReportMode;  // kReportMode, kCurveMode or kSummaryMode (the print-item
                             // dialog's choice)
    bool chooseMode = true;  // false: the print commands print mode without asking

    // Start of a job: takes the row count, makes the fonts and computes the page layout for
    // the device's page. Returns the page count (0 for a report without rows).
    int PrintSetup(const QPaintDevice& device);
    // Draws page (1-based) of pageCount onto painter, whose device has the page size given to
    // PrintSetup. Does nothing before PrintSetup or for a page below 1.
    void PrintPage(QPainter& painter, int page, int pageCount);
    // End of a job: releases the fonts.
    void EndPrinting();

    bool Prepared() const { return prepared_; }
    const PrintLayout& Layout() const { return layout_; }
    // The body rectangle of the last page drawn, in the page's logical units.
    QRect BodyRect() const { return body_; }
    const QFont& TableFont() const { return tableFont_; }
    const QFont& ChartLabelFont() const { return chartFont_; }

  private:
    // The chart of the whole selection with the legend of its series and alarm lines below.
    void DrawChartPage(QPainter& painter, const QRect& body) const;
    void DrawHeader(QPainter& painter) const;
    void DrawFooter(QPainter& painter, int page, int pageCount) const;
    void DrawReport(QPainter& painter, const QRect& body, int page) const;
    void DrawBlock(QPainter& painter, const QRect& block, int firstRow) const;
    int ReportColumns() const;
    static QFont TableFontOf(bool small);
    // Per report column the width its title and cells need in font, with the cell margins.
    std::vector<int> TextNeeds(const QFont& font, const QPaintDevice& device, int cx) const;
    // The statistics report: its rows, their tables' column widths and its pages.
    // A table too wide for the page even with its titles on two lines is laid out again in a
    // narrower table font, down to kMinSummaryCharWidth (English titles and channel names are
    // longer than Chinese ones).
    void LayoutSummary(const QPaintDevice& device, int charWidth = kCellWidth);
    static constexpr int kMinSummaryCharWidth = 10;
    void DrawSummary(QPainter& painter, const QRect& body, int page) const;
    // A text of the report broken into lines of the content's width in the table font.
    QStringList WrapLines(const QString& text, const QPaintDevice& device) const;
    // Replaces the two-block layout when a title or a cell would not show whole in it.
    void FitReport(const QPaintDevice& device, bool small);

    struct SummaryRow {
        int table = -1;  // index into summaryWidths_, -1 for a line of text across the page
        bool heading = false;
        QStringList cells;
        int lines = 1;  // the row's height in rows: 2 for titles on two lines
    };
    const SampleTable* table_ = nullptr;
    const RecordStatistics* statistics_ = nullptr;
    const Comparison* comparison_ = nullptr;
    std::vector<SummaryRow> summaryRows_;
    std::vector<std::vector<int>> summaryWidths_;
    std::vector<std::vector<int>> summaryPages_;  // the rows of each page of tables
    int summaryRowHeight_ = 0;
    bool summaryJob_ = false;
    CTrendWave* chart_ = nullptr;
    std::vector<int> columns_{100};
    bool prepared_ = false;
    bool reportJob_ = true;  // the mode at PrintSetup
    PrintLayout layout_;
    QFont tableFont_;
    QFont chartFont_;
    QRect body_;
};

}  // namespace qx
