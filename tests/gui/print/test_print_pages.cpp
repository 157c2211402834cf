// What a page draws: header, band, report blocks with their grid, footer, the chart page,
// the fonts, and the chart's screen settings after printing.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cstdlib>
#include <set>

#include "gui/chart/chart_font.h"
#include "gui/chart/chart_test_util.h"
#include "gui/common/qt_text.h"
#include "gui/print/print_list_trend.h"
#include "print_test_util.h"

namespace qx {
namespace {

using test::RecordingDevice;
using test::TableFixture;

// A page of 2448 x 2000 device pixels: logical units equal device pixels, the content starts
// at (16 cx, 5 cy) = (256, 160), and a report block holds 25 rows.
constexpr int kPageW = 2448;
constexpr int kPageH = 2000;
constexpr int kLeft = 256;
constexpr int kTop = 160;

CPrintListTrend ReportJob(const SampleTable& table) {
    CPrintListTrend job;
    test::SetReportJob(job, table, QStringLiteral("test.QXRec"));
    return job;
}

TEST(PrintPages, LastReportPageHasARowsBlockAndAnEmptyBlock) {
    TableFixture fixture(1, 120);
    ASSERT_EQ(fixture.table.RowCount(), 120);
    CPrintListTrend job = ReportJob(fixture.table);
    RecordingDevice device(kPageW, kPageH);
    ASSERT_EQ(job.PrintSetup(device), 3);
    ASSERT_EQ(job.Layout().rowsPerBlock, 25);
    {
        QPainter painter(&device);
        job.PrintPage(painter, 3, 3);
    }
    const auto& engine = device.engine;
    const PrintLayout& l = job.Layout();
    const int bodyTop = kTop + 7 * 32;
    const int half = 1000 - 8;
    const QRectF block1(kLeft, bodyTop, half, kPageH - 20 * 32);
    const QRectF block2(kLeft + half + 16, bodyTop, half, kPageH - 20 * 32);

    // Block 1: the title row, then the rows 100..119 (record numbers 101..120), each with its
    // time and three values.
    const QStringList left = engine.TextsIn(block1);
    ASSERT_EQ(left.size(), 5 + 20 * 5);
    EXPECT_EQ(left.mid(0, 5), (QStringList{"记录", "时间", "温度(℃)", "湿度(%RH)", "露点(℃)"}));
    for (int k = 0; k < 20; ++k) {
        EXPECT_EQ(left[5 + 5 * k], QString::number(101 + k));
        EXPECT_EQ(left[6 + 5 * k], ToQString(fixture.table.Cell(100 + k, 1)));
    }
    // Block 2: its title row only.
    EXPECT_EQ(engine.TextsIn(block2), left.mid(0, 5));

    // The grid of block 1: 22 horizontal lines one row apart, 6 vertical lines at the column
    // edges; block 2 closes its title row.
    std::set<int> rowsLeft, rowsRight, columnsLeft;
    for (const auto& line : engine.lines) {
        if (line.colour != QColor(128, 128, 128)) continue;
        EXPECT_EQ(line.width, 2);
        if (line.line.y1() == line.line.y2()) {
            (line.line.x1() < kLeft + half ? rowsLeft : rowsRight).insert(int(line.line.y1()));
        } else if (line.line.x1() < kLeft + half + 8) {
            columnsLeft.insert(int(line.line.x1()));
        }
    }
    std::set<int> expectedRows;
    for (int k = 0; k <= 21; ++k)
        expectedRows.insert(bodyTop + k * l.rowHeight);
    EXPECT_EQ(rowsLeft, expectedRows);
    EXPECT_EQ(rowsRight, (std::set<int>{bodyTop, bodyTop + l.rowHeight}));
    std::set<int> expectedColumns{kLeft};
    int x = kLeft;
    for (int w : l.columnPixels)
        expectedColumns.insert(x += w);
    EXPECT_EQ(columnsLeft, expectedColumns);

    // Title cells in grey, the band in light grey.
    int titleCells = 0, bands = 0;
    for (const auto& fill : engine.fills) {
        titleCells += fill.colour == QColor(212, 212, 212);
        bands += fill.colour == QColor(230, 230, 230);
    }
    EXPECT_EQ(titleCells, 10);
    EXPECT_EQ(bands, 1);
}

TEST(PrintPages, HeaderAndFooterTexts) {
    TableFixture fixture(1, 120);
    CPrintListTrend job = ReportJob(fixture.table);
    RecordingDevice device(kPageW, kPageH);
    job.PrintSetup(device);
    {
        QPainter painter(&device);
        job.PrintPage(painter, 2, 3);
    }
    const auto& engine = device.engine;
    const auto* title = engine.Find(QStringLiteral("检测数据记录表"));
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->font.pixelSize(), 64);
    EXPECT_GT(title->at.x(), kLeft + 600);  // centred
    EXPECT_LT(title->at.x(), kLeft + 1000);
    const auto* info = engine.Find(job.infoLine);
    ASSERT_NE(info, nullptr);
    EXPECT_NEAR(info->at.x(), kLeft + 8, 2);  // in the band, half a character in
    EXPECT_GT(info->at.y(), kTop + 4 * 32);
    EXPECT_LT(info->at.y(), kTop + 7 * 32);

    // The footer: a rule 7 cy above the page bottom, the text left, the page number right, bold.
    const auto* footer = engine.Find(job.footerText);
    const auto* number = engine.Find(QStringLiteral("第 2 页共 3 页"));
    ASSERT_NE(footer, nullptr);
    ASSERT_NE(number, nullptr);
    EXPECT_NEAR(footer->at.x(), kLeft, 1);
    EXPECT_GT(number->at.x(), kLeft + 1500);
    EXPECT_EQ(number->font.weight(), QFont::Bold);
    EXPECT_GT(footer->at.y(), kPageH - 7 * 32);
    EXPECT_NEAR(footer->at.y(), number->at.y(), 0.5);
    bool rule = false;
    for (const auto& line : engine.lines)
        rule |= line.line.y1() == kPageH - 7 * 32 && line.line.x1() == kLeft &&
                line.line.x2() == kLeft + 2000 && line.colour == QColor(Qt::black);
    EXPECT_TRUE(rule);

    // Pages 1 and 2 show rows 0..49 and 50..99.
    EXPECT_NE(engine.Find(QStringLiteral("51")), nullptr);
    EXPECT_NE(engine.Find(QStringLiteral("100")), nullptr);
    EXPECT_EQ(engine.Find(QStringLiteral("50")), nullptr);
    EXPECT_EQ(engine.Find(QStringLiteral("101")), nullptr);
}

TEST(PrintPages, SecondInfoLineSplitsTheBand) {
    TableFixture fixture(1, 3);
    CPrintListTrend job = ReportJob(fixture.table);
    job.secondInfoLine = QStringLiteral("第二行");
    RecordingDevice device(kPageW, kPageH);
    job.PrintSetup(device);
    {
        QPainter painter(&device);
        job.PrintPage(painter, 1, 1);
    }
    const auto* first = device.engine.Find(job.infoLine);
    const auto* second = device.engine.Find(job.secondInfoLine);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    // Centred in 48 and in the following 40 units.
    EXPECT_NEAR(second->at.y() - first->at.y(), 44, 1);
}

TEST(PrintPages, ManyColumnsTakeTheSmallFont) {
    TableFixture fixture(6, 30);  // nine columns in the list
    CPrintListTrend job = ReportJob(fixture.table);
    RecordingDevice device(kPageW, kPageH);

    job.SetColumns(std::vector<int>(10, 8));
    job.PrintSetup(device);
    EXPECT_EQ(job.Layout().cx, 16);
    EXPECT_EQ(job.TableFont().pixelSize(), 32);

    job.SetColumns(std::vector<int>(11, 8));
    job.PrintSetup(device);
    EXPECT_EQ(job.Layout().cx, 8);
    EXPECT_EQ(job.Layout().cy, 18);
    EXPECT_EQ(job.Layout().pageWidth, 2224);
    EXPECT_EQ(job.TableFont().pixelSize(), 18);
    {
        QPainter painter(&device);
        job.PrintPage(painter, 1, 1);
    }
    const auto* cell = device.engine.Find(QStringLiteral("1"));
    ASSERT_NE(cell, nullptr);
    EXPECT_EQ(cell->font.pixelSize(), 18);
    // The list's nine columns, not the eleven widths: seven value titles a table (one table a
    // page where two are too wide for it, as in the tests' fonts; two where the face is narrow).
    EXPECT_EQ(
        device.engine.TextsIn(QRectF(0, 0, kPageW, kPageH)).filter(QStringLiteral("(")).size(),
        7 * job.Layout().blocksPerPage);

    // The chart page keeps the normal font whatever the columns.
    job.mode = CPrintListTrend::kCurveMode;
    job.PrintSetup(device);
    EXPECT_EQ(job.Layout().cx, 16);
}

TEST(PrintPages, EmptyReportHasNoPagesButDrawsItsFrame) {
    TableFixture fixture(1, 0);
    CPrintListTrend job = ReportJob(fixture.table);
    RecordingDevice device(kPageW, kPageH);
    EXPECT_EQ(job.PrintSetup(device), 0);
    {
        QPainter painter(&device);
        job.PrintPage(painter, 1, 1);
    }
    EXPECT_NE(device.engine.Find(QStringLiteral("检测数据记录表")), nullptr);
    EXPECT_EQ(device.engine.TextsIn(QRectF(0, 0, kPageW, kPageH)).count(QStringLiteral("记录")), 2);
}

TEST(PrintPages, NothingBeforeSetupOrAfterTheEnd) {
    TableFixture fixture(1, 10);
    CPrintListTrend job = ReportJob(fixture.table);
    RecordingDevice device(kPageW, kPageH);
    {
        QPainter painter(&device);
        job.PrintPage(painter, 1, 1);
        job.PrintSetup(device);
        job.PrintPage(painter, 0, 1);
        job.EndPrinting();
        job.PrintPage(painter, 1, 1);
    }
    EXPECT_TRUE(device.engine.texts.empty());
    EXPECT_FALSE(job.Prepared());
}

TEST(PrintPages, PaginationIsFixedAtSetup) {
    TableFixture fixture(1, 120);
    CPrintListTrend job = ReportJob(fixture.table);
    RecordingDevice device(kPageW, kPageH);
    ASSERT_EQ(job.PrintSetup(device), 3);
    // The list shrinks during the job: rows that are gone print nothing, nothing breaks.
    fixture.table.Build(*fixture.set, QueryWindow{true, 0, 0, "x"});
    ASSERT_EQ(fixture.table.RowCount(), 0);
    {
        QPainter painter(&device);
        job.PrintPage(painter, 3, 3);
    }
    EXPECT_EQ(job.Layout().pageCount, 3);
    EXPECT_EQ(device.engine.Find(QStringLiteral("101")), nullptr);
}

// Pixels of a colour or of the colour blended with white (lines thinner than a pixel).
int CountTint(const QImage& image, const QRect& r, QRgb colour) {
    int n = 0;
    const int dr = 255 - qRed(colour), dg = 255 - qGreen(colour), db = 255 - qBlue(colour);
    const int dmax = std::max({dr, dg, db});
    for (int y = r.top(); y <= r.bottom(); ++y) {
        for (int x = r.left(); x <= r.right(); ++x) {
            const QRgb p = image.pixel(x, y);
            const int pr = 255 - qRed(p), pg = 255 - qGreen(p), pb = 255 - qBlue(p);
            const int pmax = std::max({pr, pg, pb});
            if (pmax * 3 < dmax) continue;  // less than a third of the colour
            const auto near = [&](int pc, int dc) {
                return std::abs(pc * dmax - dc * pmax) <= 8 * dmax;
            };
            n += near(pr, dr) && near(pg, dg) && near(pb, db);
        }
    }
    return n;
}

// A chart filled as the browser does it, printed onto an image page.
TEST(PrintPages, ChartPageDrawsTheChartAndKeepsItsScreenSettings) {
    test::ChartFixture fixture(1500);
    CTrendWave& chart = fixture.chart;
    CPrintListTrend& job = fixture.job;
    chart.SelectPoint(400);
    const TrendState screen = chart.State();
    const QImage before = chart.BackBuffer();

    // An A4 landscape page at 150 dots per inch.
    QImage page(1754, 1240, QImage::Format_RGB32);
    page.fill(Qt::white);
    ASSERT_EQ(job.PrintSetup(page), 1);
    {
        QPainter painter(&page);
        job.PrintPage(painter, 1, 1);
    }
    job.EndPrinting();
    EXPECT_TRUE(test::SaveScreenshot(page, "print_chart_page"));
    EXPECT_EQ(chart.State(), screen);
    chart.Refresh();
    EXPECT_EQ(chart.BackBuffer(), before);

    // The band, the curves in their colours, the alarm lines; no readout strip.
    const QRect all = page.rect();
    EXPECT_GT(test::CountColour(page, all, qRgb(230, 230, 230)), 10000);
    EXPECT_GT(test::CountColour(page, all, qRgb(25, 28, 150)), 300);
    EXPECT_GT(test::CountColour(page, all, qRgb(255, 128, 0)), 300);
    EXPECT_GT(CountTint(page, all, qRgb(200, 20, 120)), 100);  // thinner than a pixel
    EXPECT_EQ(test::CountColour(page, all, qRgb(220, 220, 250)), 0);

    // Without data the chart page carries header and footer only.
    RecordingDevice device(kPageW, kPageH);
    job.hasData = false;
    job.PrintSetup(device);
    {
        QPainter painter(&device);
        job.PrintPage(painter, 1, 1);
    }
    EXPECT_EQ(device.engine.texts.size(), 4u);  // title, info line, footer text, page number
    EXPECT_NE(device.engine.Find(QStringLiteral("检测曲线图")), nullptr);
}

TEST(PrintPages, ColumnCharactersOfTheList) {
    TableFixture fixture(6, 1);
    // 记录 50, 时间 145, then 75, 75, 120 (air density), 80, 75, 75, 80 pixels at 7 a character.
    EXPECT_EQ(CPrintListTrend::ColumnCharacters(fixture.table),
              (std::vector<int>{7, 21, 11, 11, 17, 11, 11, 11, 11}));
}

}  // namespace
}  // namespace qx
