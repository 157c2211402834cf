// PDF files written through the printing code: page counts, page sizes, the texts a reader
// extracts, pictures of the pages under $QX_SCREENSHOT_DIR.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QPageLayout>
#include <QPrinter>
#include <QRegularExpression>
#include <QScrollBar>

#include "core/model/local_time.h"
#include "gui/common/qt_text.h"

#include "gui/chart/chart_test_util.h"
#include "gui/print/print_command.h"
#include "gui/print/print_list_trend.h"
#include "print_test_util.h"

namespace qx {
namespace {

using test::TableFixture;

void FillReportJob(CPrintListTrend& job, const SampleTable& table, const char* file) {
    test::SetReportJob(job, table, QString::fromUtf8(file));
    job.footerText = PrintFooterText(QString::fromUtf8(file), test::kSampleStart);
}

TEST(PrintPdf, ReportOfThreePagesThroughAPdfPrinter) {
    TableFixture fixture(1, 120);
    CPrintListTrend job;
    FillReportJob(job, fixture.table, "/data/DAT/QX420-0001.QXRec");
    const QString path = test::ScreenshotFile(QStringLiteral("print_report_r25.pdf"));
    QFile::remove(path);

    // A page of 244.8 x 200 mm: H = 2000 units, 25 rows a block.
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    printer.setPageLayout(QPageLayout(QPageSize(QSizeF(244.8, 200), QPageSize::Millimeter),
                                      QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
    EXPECT_EQ(PrintOnPrinter(job, printer), 3);
    EXPECT_EQ(job.Layout().rowsPerBlock, 25);
    EXPECT_EQ(test::CountPdfPages(path), 3);
    EXPECT_EQ(test::PdfInfo(path, QStringLiteral("Pages")), QStringLiteral("3"));

    const QString page2 = test::PdfPageText(path, 2);
    EXPECT_TRUE(page2.contains(QStringLiteral("检测数据记录表"))) << page2.toStdString();
    EXPECT_TRUE(page2.contains(QStringLiteral("第 2 页共 3 页")));
    // (The reader joins the footer's double space.)
    EXPECT_TRUE(page2.simplified().contains(
        QStringLiteral("打印时间:2017-05-19 14:03 数据文件:QX420-0001.QXRec")));
    EXPECT_TRUE(page2.contains(QStringLiteral("查询条件:所有")));
    const QString page3 = test::PdfPageText(path, 3);
    EXPECT_TRUE(page3.contains(QStringLiteral("第 3 页共 3 页")));
    EXPECT_TRUE(page3.contains(QStringLiteral("湿度(%RH)")));
    for (const char* number : {"101", "120"})
        EXPECT_TRUE(page3.contains(QString::fromUtf8(number))) << number;
    EXPECT_EQ(test::RenderPdf(path, QStringLiteral("print_report_r25")), 3);
}

TEST(PrintPdf, WideReportShowsEveryCellWhole) {
    // The flow meter's nine columns are too wide for two tables a page: one table a page in
    // the table font, every title and cell whole, on A4 portrait.
    TableFixture fixture(6, 300);
    CPrintListTrend job;
    FillReportJob(job, fixture.table, "QX7200-flow.QXRec");
    const QString path = test::ScreenshotFile(QStringLiteral("print_report_a4.pdf"));
    EXPECT_EQ(PrintToPdf(job, path), 6);  // 54 rows a page
    EXPECT_EQ(job.Layout().blocksPerPage, 1);
    EXPECT_EQ(job.Layout().cy, CPrintListTrend::kCellHeight);  // the table font
    EXPECT_EQ(test::CountPdfPages(path), 6);
    const QSizeF size = test::PdfPageSize(path);
    EXPECT_NEAR(size.width(), 595.3, 1);
    EXPECT_NEAR(size.height(), 841.9, 1);
    EXPECT_TRUE(test::PdfPageText(path, 1).contains(QStringLiteral("第 1 页共 6 页")));

    // Page 2 holds rows 54..107: the titles, then each row on a line of its cells, whole.
    const QString page2 = test::PdfPageText(path, 2);
    QStringList titles;
    for (const SampleColumn& column : fixture.table.Columns())
        titles << QRegularExpression::escape(ToQString(column.title));
    EXPECT_TRUE(QRegularExpression(titles.join(QStringLiteral("\\s+"))).match(page2).hasMatch())
        << page2.toStdString();
    for (int row = 54; row < 108; ++row) {
        QStringList cells;
        for (int c = 0; c < fixture.table.ColumnCount(); ++c)
            cells << QRegularExpression::escape(ToQString(fixture.table.Cell(row, c)));
        const QRegularExpression line(
            QStringLiteral("^\\s*%1\\s*$").arg(cells.join(QStringLiteral("\\s+"))),
            QRegularExpression::MultilineOption);
        EXPECT_TRUE(line.match(page2).hasMatch()) << row << ": " << cells.join(u' ').toStdString();
    }
    EXPECT_FALSE(page2.contains(QStringLiteral("\n109 ")));
    EXPECT_EQ(test::RenderPdf(path, QStringLiteral("print_report_a4")), 6);
}

TEST(PrintPdf, ChartIsLandscapeAndLeavesTheScreenAlone) {
    test::ChartFixture fixture(3000);
    CTrendWave& chart = fixture.chart;
    CPrintListTrend& job = fixture.job;
    // The screen shows the last 500 of 3000 points; the page shows them all.
    for (int page = 0; page < 6; ++page)
        chart.ScrollBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
    ASSERT_GT(chart.State().firstVisible, 2000);
    const TrendState screen = chart.State();
    const QImage before = chart.BackBuffer();
    job.footerText = PrintFooterText(QStringLiteral("chart.QXRec"), test::kSampleStart);
    const QString path = test::ScreenshotFile(QStringLiteral("print_chart.pdf"));
    EXPECT_EQ(PrintToPdf(job, path), 1);
    EXPECT_EQ(test::CountPdfPages(path), 1);
    const QSizeF size = test::PdfPageSize(path);
    EXPECT_GT(size.width(), size.height());
    const QString text = test::PdfPageText(path, 1);
    EXPECT_TRUE(text.contains(QStringLiteral("检测曲线图"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("第 1 页共 1 页")));
    // The time axis starts at the first sample and steps 500 points (500 minutes) at a time.
    const QString first = ToQString(FormatLocalTime(test::kSampleStart, "%H:%M:%S"));
    const QString next = ToQString(FormatLocalTime(test::kSampleStart + 500 * 60, "%H:%M:%S"));
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\s*%1\\s+%2\\s").arg(first, next),
                                   QRegularExpression::MultilineOption)
                    .match(text)
                    .hasMatch())
        << text.toStdString();
    // The legend: the drawn series with their units, the alarm lines named with their levels.
    for (const char* entry : {"温度(℃)", "湿度(%RH)", "露点(℃)", "低温报警 20.0℃", "高温报警 30.0℃",
                              "低湿报警 40.0%RH", "高湿报警 80.0%RH"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(entry))) << entry;
    EXPECT_EQ(test::RenderPdf(path, QStringLiteral("print_chart"), 100), 1);

    EXPECT_EQ(chart.State(), screen);
    chart.Refresh();
    EXPECT_EQ(chart.BackBuffer(), before);
}

TEST(PrintPdf, EmptyReportPrintsOneFramedPage) {
    TableFixture fixture(1, 0);
    CPrintListTrend job;
    FillReportJob(job, fixture.table, "empty.QXRec");
    const QString path = test::ScreenshotFile(QStringLiteral("print_report_empty.pdf"));
    EXPECT_EQ(PrintToPdf(job, path), 1);
    EXPECT_EQ(test::CountPdfPages(path), 1);
    EXPECT_TRUE(test::PdfPageText(path, 1).contains(QStringLiteral("第 1 页共 1 页")));
}

TEST(PrintPdf, UnwritablePathLeavesNothing) {
    TableFixture fixture(1, 10);
    CPrintListTrend job;
    FillReportJob(job, fixture.table, "x.QXRec");
    const QString missing = QDir::tempPath() + QStringLiteral("/qx-no-such-folder/report.pdf");
    EXPECT_EQ(PrintToPdf(job, missing), -1);
    EXPECT_FALSE(QFile::exists(missing));
    EXPECT_EQ(PrintToPdf(job, QString()), -1);
    // A folder in place of the file stays a folder.
    EXPECT_EQ(PrintToPdf(job, QDir::tempPath()), -1);
    EXPECT_TRUE(QFileInfo(QDir::tempPath()).isDir());
}

TEST(PrintPdf, PageRangeAndCopies) {
    TableFixture fixture(1, 120);
    CPrintListTrend job;
    FillReportJob(job, fixture.table, "x.QXRec");
    const QString path = test::ScreenshotFile(QStringLiteral("print_report_range.pdf"));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    printer.setPageLayout(QPageLayout(QPageSize(QSizeF(244.8, 200), QPageSize::Millimeter),
                                      QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
    printer.setPrintRange(QPrinter::PageRange);
    printer.setFromTo(2, 3);
    printer.setCopyCount(2);
    printer.setCollateCopies(false);
    EXPECT_EQ(PrintOnPrinter(job, printer), 4);
    EXPECT_EQ(test::CountPdfPages(path), 4);
    // Uncollated: 2, 2, 3, 3.
    EXPECT_TRUE(test::PdfPageText(path, 2).contains(QStringLiteral("第 2 页共 3 页")));
    EXPECT_TRUE(test::PdfPageText(path, 3).contains(QStringLiteral("第 3 页共 3 页")));
}

}  // namespace
}  // namespace qx
