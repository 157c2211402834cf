// Geometry: plot and bands, readout cells, hit testing, segment clipping for pages, and the
// solid lines written straight into the back buffer.
#include <gtest/gtest.h>
#include <QImage>

#include "gui/chart/pixel_lines.h"
#include "gui/chart/trend_layout.h"

namespace qx {
namespace {

// A chart area whose plot starts at row 27 and is 300 rows high with the default margins.
constexpr TrendRect kArea{0, 0, 600, 26 + 1 + 300 + 1 + 18};

TEST(Layout, PlotIsTheAreaLessMarginsAndBorder) {
    TrendState s;
    LayoutPlot(s, kArea, 16);
    EXPECT_EQ(s.plot, (TrendRect{71, 27, 557, 327}));
    EXPECT_EQ(s.plotWidth, 486);
    EXPECT_EQ(s.plotHeight, 300);
    for (const TrendSeries& series : s.series)
        EXPECT_EQ(series.band, s.plot);
}

TEST(Layout, BandsShareThePlotInBandedMode) {
    TrendState s;
    s.AllocSeries(4, 10);
    s.series[1].visible = false;
    s.banded = true;
    LayoutPlot(s, kArea, 16);
    const int t = s.plot.top;
    EXPECT_EQ(s.visibleSeries, 3);
    EXPECT_EQ(s.series[0].band.top, t);
    EXPECT_EQ(s.series[0].band.bottom, t + 98);
    EXPECT_EQ(s.series[2].band.top, t + 100);
    EXPECT_EQ(s.series[2].band.bottom, t + 199);
    EXPECT_EQ(s.series[3].band.top, t + 201);
    EXPECT_EQ(s.series[3].band.bottom, t + 300);
    EXPECT_EQ(s.series[3].band.left, s.plot.left);
    EXPECT_EQ(s.series[3].band.right, s.plot.right);
    EXPECT_EQ(s.series[1].band, s.plot);  // hidden: the whole band area

    // One shown series takes the whole band area.
    s.series[2].visible = s.series[3].visible = false;
    LayoutPlot(s, kArea, 16);
    EXPECT_EQ(s.series[0].band, s.plot);
}

TEST(Layout, ScrollBarStripIsTakenOffTheBands) {
    TrendState s;
    s.AllocSeries(2, 1000);
    s.timeLast = 999;
    s.span = 100;
    s.banded = true;
    LayoutPlot(s, kArea, 16);
    EXPECT_EQ(s.plot.bottom, 327);
    EXPECT_EQ(s.plotHeight, 284);
    EXPECT_EQ(BandAreaBottom(s), 27 + 284);
    EXPECT_EQ(s.series[1].band.bottom, 27 + 284);
}

TEST(ReadoutCells, EndAtThePlotsRightEdgeOnePixelApart) {
    TrendState s;
    s.AllocSeries(3, 10);
    s.series[1].visible = false;
    LayoutPlot(s, kArea, 16);
    ReadoutTexts texts;
    texts.time = QStringLiteral("17-05-19 14:03:22");
    texts.values[0] = QStringLiteral("23.5 ℃");
    texts.values[2] = QStringLiteral("7 ");
    ReadoutExtents extents;
    extents.caption = 0;
    extents.names[0] = 24;
    extents.names[2] = 7;
    LayoutReadoutCells(s, texts, extents);

    EXPECT_EQ(s.series[2].valueCell.right, s.plot.right);
    EXPECT_EQ(s.series[2].valueCell.Width(), 2 * 7 + 4);
    EXPECT_EQ(s.series[2].captionCell.Width(), 7 + 4);
    EXPECT_EQ(s.series[2].captionCell.right + 1, s.series[2].valueCell.left);
    EXPECT_EQ(s.series[0].valueCell.Width(), 6 * 7 + 4);
    EXPECT_EQ(s.series[0].valueCell.right + 1, s.series[2].captionCell.left);
    EXPECT_EQ(s.series[0].captionCell.Width(), 24 + 4);
    EXPECT_EQ(s.timeCell.Width(), 17 * 7 + 4);
    EXPECT_EQ(s.captionCell.Width(), 4);
    EXPECT_EQ(s.captionCell.right + 1, s.timeCell.left);
    // Rows: from plot top - border - 4 up by the character height + 2.
    EXPECT_EQ(s.timeCell.bottom, 27 - 1 - 4);
    EXPECT_EQ(s.timeCell.top, 27 - 1 - 4 - 16);

    // Fixed widths replace the text lengths.
    s.fixedReadoutWidths = true;
    s.readoutWidths = {18, 8, 8, 7, 10, 10, 8, 8, 8};
    LayoutReadoutCells(s, texts, extents);
    EXPECT_EQ(s.timeCell.Width(), 18 * 7 + 4);
    EXPECT_EQ(s.series[0].valueCell.Width(), 8 * 7 + 4);
    EXPECT_EQ(s.series[2].valueCell.Width(), 7 * 7 + 4);
    EXPECT_EQ(s.series[2].valueCell.right, s.plot.right);
}

TEST(ReadoutCells, ValueCellsAreNeverNarrowerThanTheirText) {
    TrendState s;
    s.AllocSeries(2, 10);
    LayoutPlot(s, kArea, 16);
    s.fixedReadoutWidths = true;
    s.readoutWidths = {18, 8, 8, 7, 10, 10, 8, 8, 8};
    ReadoutTexts texts;
    texts.time = QStringLiteral("17-05-19 14:03:22");
    texts.values[0] = QStringLiteral("1.2 kg/m3");
    texts.values[1] = QStringLiteral("0.05 mg/m3");
    ReadoutExtents extents;
    extents.time = 17 * 7;       // fits its 18 characters
    extents.values[0] = 9 * 7;   // more than 8 characters
    extents.values[1] = 10 * 8;  // wide letters
    LayoutReadoutCells(s, texts, extents);
    EXPECT_EQ(s.timeCell.Width(), 18 * 7 + 4);
    EXPECT_EQ(s.series[0].valueCell.Width(), 9 * 7 + 4);
    EXPECT_EQ(s.series[1].valueCell.Width(), 10 * 8 + 4);
    EXPECT_EQ(s.series[1].valueCell.right, s.plot.right);
    EXPECT_EQ(s.series[0].valueCell.right + 1, s.series[1].captionCell.left);
    s.fixedReadoutWidths = false;
    LayoutReadoutCells(s, texts, extents);
    EXPECT_EQ(s.series[0].valueCell.Width(), 9 * 7 + 4);
    EXPECT_EQ(s.series[1].valueCell.Width(), 10 * 8 + 4);
}

TEST(ReadoutCells, ManySeriesWrapIntoRowsThatStayOverThePlot) {
    // 24 instruments with long names over a plot 486 pixels wide.
    TrendState s;
    s.AllocSeries(24, 10);
    s.series[3].visible = false;
    LayoutPlot(s, kArea, 16);
    ReadoutTexts texts;
    texts.time = QStringLiteral("17-05-19 14:03:22");
    texts.names.assign(24, QStringLiteral("A0200001 冷库3"));
    texts.values.assign(24, QStringLiteral("-12.5 ℃"));
    ReadoutExtents extents;
    extents.time = 17 * 7;
    extents.names.assign(24, 98);
    extents.values.assign(24, 7 * 7);
    const int rows = LayoutReadoutCells(s, texts, extents);
    // Pairs of 156 pixels: two beside the time, then three a row for the other 21 shown.
    EXPECT_EQ(rows, 8);
    const int pitch = s.ReadoutRowPitch();
    EXPECT_EQ(s.timeCell.bottom, ReadoutBottom(s) - 7 * pitch);  // the time leads the strip
    EXPECT_EQ(s.series[23].valueCell.bottom, ReadoutBottom(s));
    for (int i = 0; i < 24; ++i) {
        if (i == 3) continue;
        const TrendSeries& t = s.series[i];
        EXPECT_GE(t.captionCell.left, s.plot.left) << i;
        EXPECT_LE(t.valueCell.right, s.plot.right) << i;
        EXPECT_EQ(t.captionCell.Width(), 98 + 4) << i;
        EXPECT_EQ(t.captionCell.top, t.valueCell.top) << i;
    }
    // A row ends at the plot's right edge.
    EXPECT_EQ(s.series[1].valueCell.right, s.plot.right);

    // The reserved rows push the plot down by the extra ones.
    s.readoutRows = rows;
    LayoutPlot(s, kArea, 16);
    EXPECT_EQ(s.plot.top, 27 + 7 * pitch);
}

TEST(ReadoutCells, ANameWiderThanThePlotGetsANarrowerCell) {
    TrendState s;
    s.AllocSeries(1, 10);
    LayoutPlot(s, kArea, 16);
    ReadoutTexts texts;
    texts.time = QStringLiteral("17-05-19 14:03:22");
    texts.values[0] = QStringLiteral("1.196 kg/m3");
    ReadoutExtents extents;
    extents.names[0] = 2000;
    extents.values[0] = 11 * 7;
    EXPECT_EQ(LayoutReadoutCells(s, texts, extents), 2);
    const TrendSeries& t = s.series[0];
    EXPECT_EQ(t.captionCell.left, s.plot.left);
    EXPECT_EQ(t.valueCell.right, s.plot.right);
    EXPECT_EQ(t.valueCell.Width(), 11 * 7 + 4);  // the value stays whole
}

// A state whose visible points 0..count-1 lie at columns trunc(j * xscale).
TrendState PointsState(int count, int span, int plotWidth) {
    TrendState s;
    s.AllocSeries(1, count);
    s.plot = {100, 30, 100 + plotWidth, 330};
    s.plotWidth = plotWidth;
    s.plotHeight = 300;
    s.span = span;
    s.UpdateVisibleWindow();
    return s;
}

TEST(PointByX, EachPointCoversUpToTheNextPointsColumn) {
    // xscale 10: columns 0, 10, 20, 30.
    TrendState s = PointsState(4, 3, 31);
    EXPECT_EQ(PointByX(s, 0), 0);
    EXPECT_EQ(PointByX(s, 9), 0);
    EXPECT_EQ(PointByX(s, 10), 1);
    EXPECT_EQ(PointByX(s, 29), 2);
    EXPECT_EQ(PointByX(s, 30), 3);  // the last covers up to the plot width
    EXPECT_EQ(PointByX(s, 31), -1);
    EXPECT_EQ(PointByX(s, -1), -1);

    // xscale 0.5: columns 0, 0, 1, 1, 2, ... A point sharing its column with the next one
    // covers nothing; the later one is hit.
    TrendState half = PointsState(10, 100, 51);
    EXPECT_EQ(PointByX(half, 0), 1);
    EXPECT_EQ(PointByX(half, 1), 3);
    EXPECT_EQ(PointByX(half, 4), 9);
    EXPECT_EQ(PointByX(half, 50), 9);
}

TEST(PointByX, FirstVisiblePointCoversFromTheLeftEdge) {
    TrendState s = PointsState(40, 10, 101);  // xscale 10
    s.scrollPos = 5;
    s.UpdateVisibleWindow();
    EXPECT_EQ(PointByX(s, 0), 5);
    EXPECT_EQ(PointByX(s, 10), 6);
    s.visibleCount = 0;
    EXPECT_EQ(PointByX(s, 10), -1);
}

TEST(HitTest, InsideTheDataAreaOnly) {
    TrendState s = PointsState(4, 3, 31);
    s.series[0].values = {0, 50, 100, 150, 0, 0};
    s.series[0].low = 0;
    s.series[0].high = 100;
    s.series[0].band = {100, 30, 131, 330};
    TrendHit hit = HitTest(s, 112, 100, false, 16);
    EXPECT_EQ(hit.point, 1);
    EXPECT_EQ(hit.x, 110);
    EXPECT_EQ(hit.band, -1);  // overlapped mode: no band, no row
    EXPECT_EQ(hit.y, -1);

    EXPECT_EQ(HitTest(s, 99, 100, false, 16).point, -1);
    EXPECT_EQ(HitTest(s, 131, 100, false, 16).point, -1);
    EXPECT_EQ(HitTest(s, 112, 29, false, 16).point, -1);
    EXPECT_EQ(HitTest(s, 112, 329, false, 16).point, 1);
    EXPECT_EQ(HitTest(s, 112, 329, true, 16).point, -1);  // under the scroll bar
    EXPECT_EQ(HitTest(s, 112, 313, true, 16).point, 1);

    // Banded: the band's series and the row of its value, kept inside the band.
    s.banded = true;
    hit = HitTest(s, 112, 100, false, 16);
    EXPECT_EQ(hit.band, 0);
    const float scale = 299.0f / 100.0f;
    EXPECT_EQ(hit.y, static_cast<int>(329.0f - 50.0f * scale));
    hit = HitTest(s, 130, 100, false, 16);
    EXPECT_EQ(hit.point, 3);
    EXPECT_EQ(hit.y, 30);  // 150 lies above the band
}

TEST(BandAt, FirstShownSeriesWhoseBandHoldsThePoint) {
    TrendState s;
    s.AllocSeries(3, 10);
    s.banded = true;
    LayoutPlot(s, kArea, 16);
    EXPECT_EQ(BandAt(s, 100, s.series[1].band.top), 1);
    EXPECT_EQ(BandAt(s, 100, s.series[0].band.bottom), -1);  // separator row
    EXPECT_EQ(BandAt(s, 100, s.series[2].band.bottom - 1), 2);
    s.series[1].visible = false;
    LayoutPlot(s, kArea, 16);
    EXPECT_EQ(BandAt(s, 100, s.series[2].band.top), 2);
    s.banded = false;
    EXPECT_EQ(BandAt(s, 100, 100), -1);
}

TEST(ClipSegmentToBand, CutsRowsOutsideTheBand) {
    const TrendRect r{0, 100, 50, 200};
    QLine line(10, 120, 20, 180);
    EXPECT_TRUE(ClipSegmentToBand(r, line));
    EXPECT_EQ(line, QLine(10, 120, 20, 180));

    line = QLine(10, 50, 20, 90);
    EXPECT_FALSE(ClipSegmentToBand(r, line));
    line = QLine(10, 200, 20, 250);
    EXPECT_FALSE(ClipSegmentToBand(r, line));

    // From inside to above: ends on the top row.
    line = QLine(10, 150, 20, 50);
    EXPECT_TRUE(ClipSegmentToBand(r, line));
    EXPECT_EQ(line, QLine(10, 150, 15, 100));
    // From above into the band.
    line = QLine(10, 50, 20, 150);
    EXPECT_TRUE(ClipSegmentToBand(r, line));
    EXPECT_EQ(line, QLine(15, 100, 20, 150));
    // From inside to below: ends on the row just below the band.
    line = QLine(0, 100, 40, 300);
    EXPECT_TRUE(ClipSegmentToBand(r, line));
    EXPECT_EQ(line, QLine(0, 100, 20, 200));
    line = QLine(0, 300, 40, 100);
    EXPECT_TRUE(ClipSegmentToBand(r, line));
    EXPECT_EQ(line, QLine(20, 200, 40, 100));
    // Right across.
    line = QLine(0, 0, 30, 300);
    EXPECT_TRUE(ClipSegmentToBand(r, line));
    EXPECT_EQ(line, QLine(10, 100, 20, 200));
    // Columns are not cut.
    line = QLine(-20, 150, 80, 160);
    EXPECT_TRUE(ClipSegmentToBand(r, line));
    EXPECT_EQ(line, QLine(-20, 150, 80, 160));
    // Far-off ends do not overflow.
    line = QLine(0, -(1 << 28), 100000, 150);
    EXPECT_TRUE(ClipSegmentToBand(r, line));
    EXPECT_EQ(line.p1().y(), 100);
    EXPECT_GE(line.p1().x(), 99990);
}

int Painted(const QImage& image, QRgb colour) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            n += image.pixel(x, y) == colour;
    }
    return n;
}

TEST(PixelLines, WideSolidSegmentsWidenAcrossTheirDirection) {
    QImage image(40, 40, QImage::Format_RGB32);
    image.fill(Qt::black);
    const QRgb red = qRgb(255, 0, 0);
    const QPoint flat[2] = {QPoint(5, 10), QPoint(15, 12)};
    DrawSolidPolyline(image, flat, 2, red, 2, {0, 0, 40, 40});
    EXPECT_EQ(image.pixel(5, 10), red);
    EXPECT_EQ(image.pixel(5, 11), red);
    EXPECT_EQ(image.pixel(15, 12), red);
    EXPECT_EQ(image.pixel(15, 13), red);
    EXPECT_NE(image.pixel(4, 10), red);
    EXPECT_NE(image.pixel(5, 9), red);
    EXPECT_EQ(Painted(image, red), 2 * 11);

    image.fill(Qt::black);
    const QPoint steep[3] = {QPoint(20, 5), QPoint(20, 15), QPoint(21, 15)};
    DrawSolidPolyline(image, steep, 3, red, 3, {0, 0, 40, 40});
    EXPECT_EQ(image.pixel(19, 5), red);
    EXPECT_EQ(image.pixel(21, 5), red);
    EXPECT_NE(image.pixel(22, 5), red);
    EXPECT_EQ(image.pixel(21, 16), red);  // the flat segment is widened in columns
}

TEST(PixelLines, NothingOutsideTheClip) {
    QImage image(40, 40, QImage::Format_RGB32);
    image.fill(Qt::black);
    const QRgb green = qRgb(0, 255, 0);
    const QPoint points[3] = {QPoint(-100, -(1 << 28)), QPoint(20, 20), QPoint(1 << 28, 25)};
    DrawSolidPolyline(image, points, 3, green, 2, {10, 10, 30, 30});
    int inside = 0;
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 40; ++x) {
            if (image.pixel(x, y) != green) continue;
            EXPECT_TRUE(x >= 10 && x < 30 && y >= 10 && y < 30) << x << "," << y;
            ++inside;
        }
    }
    EXPECT_GT(inside, 10);
}

}  // namespace
}  // namespace qx
