// Pixel checks on what the chart draws, the printed variant, the chart font, and the
// screenshots of charts configured like the record browser's.
#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QFontDatabase>
#include <QMouseEvent>
#include <QPainter>
#include <QPdfWriter>
#include <QScrollBar>

#include "chart_test_util.h"
#include "core/records/record_legend.h"
#include "gui/chart/chart_font.h"
#include "gui/chart/trend_axes.h"
#include "gui/chart/trend_renderer.h"
#include "gui/chart/trend_scale.h"
#include "gui/chart/trend_wave.h"

namespace qx {
namespace {

using test::CountColour;
using test::Pixel;
using test::Rgb;

constexpr QRgb kSeriesColour = qRgb(0, 128, 0);

// One series of `points` points at value 50 (range 0..100) in a chart of the given size,
// with `span` positions in view.
void FillFlat(CTrendWave& chart, int points, int span, QSize size = QSize(640, 400)) {
    chart.resize(size);
    chart.EnableDrawing(false);
    chart.AllocSeries(1, points);
    chart.SelectSeries(0);
    for (int i = 0; i < points; ++i) {
        chart.SetPointValue(i, 50.0f);
        chart.SetPointTime(i, test::kSampleStart + 60 * i);
    }
    chart.SetSeriesRange(0, 0, 100);
    chart.SetSeriesStep(0, 1000);  // no value grid lines inside the band
    chart.SetSeriesColor(0, kSeriesColour);
    chart.SetTimeRange(0, static_cast<float>(std::max(points - 1, 1)));
    chart.SetSpan(span);
    chart.SetTimeStep(100000);
    chart.EnableDrawing(true);
}

int RowOf(const CTrendWave& chart, float value) {
    const TrendSeries& s = chart.State().series[0];
    return ValueToY(value, s.band, s.low, VerticalScale(s.band, s.low, s.high));
}

TEST(CurvePixels, DrawnInTheSeriesColourOnTheValuesRow) {
    CTrendWave chart;
    FillFlat(chart, 11, 10);
    const TrendState& s = chart.State();
    const int y = RowOf(chart, 50.0f);
    const QImage& image = chart.BackBuffer();
    EXPECT_EQ(Pixel(image, s.plot.left, y), Rgb(0, 128, 0));
    EXPECT_EQ(Pixel(image, (s.plot.left + s.plot.right) / 2, y), Rgb(0, 128, 0));
    EXPECT_EQ(Pixel(image, s.XOfPoint(10) - 1, y), Rgb(0, 128, 0));
    EXPECT_EQ(CountColour(image, QRect(s.plot.left, y - 1, s.plotWidth, 1), kSeriesColour), 0);

    // A pen two pixels wide covers the next row too.
    chart.SelectSeries(0);
    chart.SetSeriesPen(2, 0);
    chart.Refresh();
    EXPECT_EQ(Pixel(chart.BackBuffer(), s.plot.left + 50, y + 1), Rgb(0, 128, 0));
}

TEST(CurvePixels, AColumnOfManyPointsShowsItsPeak) {
    // 5000 points in a plot about 400 pixels wide: a single value of 90 among the 50s shows
    // as a stroke up to its row, and the selected point among them is marked.
    CTrendWave chart;
    FillFlat(chart, 5000, 4999, QSize(490, 300));
    const TrendState& s = chart.State();
    ASSERT_LT(s.XScale(), 0.1f);
    int spike = 2500;
    while (s.XOfPoint(spike) != s.XOfPoint(spike - 1))
        ++spike;
    chart.SelectSeries(0);
    chart.SetPointValue(spike, 90.0f);
    chart.SelectPoint(spike - 1);
    const QImage& image = chart.BackBuffer();
    const int x = s.XOfPoint(spike);
    const int high = RowOf(chart, 90.0f);
    EXPECT_EQ(CountColour(image, QRect(s.plot.left, high, s.plotWidth, 1), kSeriesColour), 1);
    EXPECT_EQ(Pixel(image, x, high), Rgb(0, 128, 0));
    EXPECT_EQ(Pixel(image, x, (high + RowOf(chart, 50.0f)) / 2), Rgb(0, 128, 0));
    // The selection marker points at the selected point from above, in the series colour
    // shifted right by one bit as 0x00BBGGRR: (0,128,0) gives (0,64,0).
    EXPECT_EQ(Pixel(image, x, RowOf(chart, 50.0f) - 2), Rgb(0, 64, 0));
}

TEST(CurvePixels, MissingValuesLeaveAGapAndALonePointShows) {
    // Eleven points 55 pixels apart; 5 missing, 6 and 8 with both neighbours missing.
    CTrendWave chart;
    FillFlat(chart, 11, 10);
    chart.SelectSeries(0);
    for (int j : {5, 7, 9})
        chart.SetPointValue(j, std::nanf(""));
    chart.Refresh();
    const TrendState& s = chart.State();
    const QImage& image = chart.BackBuffer();
    const int y = RowOf(chart, 50.0f);
    auto green = [&](int from, int to) {  // columns from..to - 1 on the value's row
        return CountColour(image, QRect(from, y, to - from, 1), kSeriesColour);
    };
    EXPECT_EQ(green(s.XOfPoint(3), s.XOfPoint(4) + 1), s.XOfPoint(4) + 1 - s.XOfPoint(3));
    EXPECT_EQ(green(s.XOfPoint(4) + 2, s.XOfPoint(6) - 1), 0);  // not joined across point 5
    EXPECT_EQ(green(s.XOfPoint(6) + 3, s.XOfPoint(8) - 2), 0);
    EXPECT_GT(green(s.XOfPoint(8) - 1, s.XOfPoint(8) + 2), 1);  // point 8 on its own
    EXPECT_EQ(green(s.XOfPoint(8) + 3, s.XOfPoint(10) - 2), 0);

    // A record of one sample draws its point.
    FillFlat(chart, 1, 10);
    EXPECT_GT(CountColour(chart.BackBuffer(), QRect(s.plot.left, y - 2, 4, 4), kSeriesColour), 3);
}

TEST(CurvePixels, SelectionTriangleSitsOnThePoint) {
    CTrendWave chart;
    FillFlat(chart, 11, 10);
    chart.SelectPoint(5);
    const TrendState& s = chart.State();
    const int x = s.XOfPoint(5);
    const int y = RowOf(chart, 50.0f);
    const QImage& image = chart.BackBuffer();
    const QRgb mark = Rgb(0, 64, 0);
    EXPECT_EQ(SelectionMarkColour(qRgb(255, 0, 0)) & 0xFFFFFF, Rgb(127, 0, 0));
    EXPECT_EQ(SelectionMarkColour(qRgb(0, 255, 0)) & 0xFFFFFF, Rgb(128, 127, 0));
    for (int k : {0, 1, 2, 3, 5, 6, 7, 8})
        EXPECT_EQ(Pixel(image, x, y - k), mark) << k;
    EXPECT_EQ(Pixel(image, x - 4, y - 8), mark);
    EXPECT_EQ(Pixel(image, x + 4, y - 8), mark);
    EXPECT_NE(Pixel(image, x, y - 9), mark);
    EXPECT_NE(Pixel(image, x - 5, y - 8), mark);
    EXPECT_NE(Pixel(image, x - 2, y - 1), mark);
}

TEST(CurvePixels, NodeMarksWhereNeighboursAreFarEnoughApart) {
    // Points 5 pixels apart with radius 3: a circle at every point but the first.
    CTrendWave chart;
    FillFlat(chart, 101, 100, QSize(587, 300));  // plot 501 wide: 5 pixels per point
    chart.SetMarkSize(3);
    const TrendState& s = chart.State();
    ASSERT_EQ(s.XOfPoint(1) - s.XOfPoint(0), 5);
    const int y = RowOf(chart, 50.0f);
    auto circleAbove = [&](int j) {
        return CountColour(chart.BackBuffer(), QRect(s.XOfPoint(j) - 1, y - 3, 3, 1),
                           kSeriesColour) > 0;
    };
    EXPECT_FALSE(circleAbove(0));
    EXPECT_TRUE(circleAbove(1));
    EXPECT_TRUE(circleAbove(50));
    EXPECT_TRUE(circleAbove(99));

    // Two pixels apart: no circles at all.
    FillFlat(chart, 251, 250, QSize(587, 300));
    chart.SetMarkSize(3);
    ASSERT_EQ(s.XOfPoint(1) - s.XOfPoint(0), 2);
    EXPECT_EQ(
        CountColour(chart.BackBuffer(), QRect(s.plot.left, y - 3, s.plotWidth, 3), kSeriesColour),
        0);
}

TEST(AlarmLines, LevelAtTheHighEndIsOnTheBandsTopRow) {
    CTrendWave chart;
    FillFlat(chart, 11, 10);
    chart.SetAlarmLines(0, 100.0f, 100.5f, qRgb(255, 0, 255), qRgb(0, 255, 255), 0, 0);
    chart.ShowAlarmLines(0, true, true);
    const TrendRect band = chart.State().series[0].band;
    const QImage& image = chart.BackBuffer();
    EXPECT_EQ(CountColour(image, QRect(band.left, band.top, band.Width(), 1), qRgb(255, 0, 255)),
              band.Width());
    EXPECT_EQ(CountColour(image, image.rect(), qRgb(255, 0, 255)), band.Width());
    // Above the range: not drawn.
    EXPECT_EQ(CountColour(image, image.rect(), qRgb(0, 255, 255)), 0);

    // Hidden lines and lines of hidden series are not drawn.
    chart.ShowAlarmLines(0, false, true);
    EXPECT_EQ(CountColour(chart.BackBuffer(), image.rect(), qRgb(255, 0, 255)), 0);
}

TEST(AlarmLines, DashedStyleLeavesGaps) {
    CTrendWave chart;
    FillFlat(chart, 11, 10);
    chart.SetAlarmLines(0, 25.0f, 75.0f, qRgb(255, 0, 255), qRgb(0, 255, 255), 1, 2);
    chart.ShowAlarmLines(0, true, true);
    const TrendRect band = chart.State().series[0].band;
    const int dashed =
        CountColour(chart.BackBuffer(), QRect(band.left, RowOf(chart, 25.0f), band.Width(), 1),
                    qRgb(255, 0, 255));
    EXPECT_GT(dashed, band.Width() / 2);
    EXPECT_LT(dashed, band.Width());
    const int dotted =
        CountColour(chart.BackBuffer(), QRect(band.left, RowOf(chart, 75.0f), band.Width(), 1),
                    qRgb(0, 255, 255));
    EXPECT_GT(dotted, band.Width() / 5);
    EXPECT_LT(dotted, band.Width() / 2);
    EXPECT_EQ(TrendPenStyle(0), Qt::SolidLine);
    EXPECT_EQ(TrendPenStyle(3), Qt::DashDotLine);
    EXPECT_EQ(TrendPenStyle(4), Qt::DashDotDotLine);
    EXPECT_EQ(TrendPenStyle(9), Qt::SolidLine);
}

TEST(ReadoutStrip, CellsEndAtThePlotsRightEdge) {
    CTrendWave chart;
    FillFlat(chart, 11, 10);
    chart.SetSeriesText(0, QStringLiteral("温度"), QStringLiteral("℃"));
    const TrendState& s = chart.State();
    const QImage& image = chart.BackBuffer();
    const TrendRect caption = s.series[0].captionCell;
    const TrendRect value = s.series[0].valueCell;
    EXPECT_EQ(value.right, s.plot.right);
    const int middle = (value.top + value.bottom) / 2;
    // Caption cells are light blue behind their text, value cells white, outlines black.
    EXPECT_EQ(Pixel(image, caption.left, caption.top), Rgb(220, 220, 250));
    int green = 0;  // the name, in the series colour blended into the cell by antialiasing
    for (int y = caption.top; y < caption.bottom; ++y) {
        for (int x = caption.left; x < caption.right; ++x) {
            const QRgb c = image.pixel(x, y);
            green += qGreen(c) > qRed(c) + 40 && qGreen(c) > qBlue(c) + 40;
        }
    }
    EXPECT_GT(green, 10);
    EXPECT_EQ(Pixel(image, value.right - 1, value.top), Rgb(255, 255, 255));
    EXPECT_EQ(Pixel(image, value.right, middle), Rgb(0, 0, 0));
    EXPECT_EQ(Pixel(image, value.left - 1, middle), Rgb(0, 0, 0));
    EXPECT_EQ(Pixel(image, value.left + 5, value.top - 1), Rgb(0, 0, 0));
    EXPECT_EQ(Pixel(image, value.left + 5, value.bottom), Rgb(0, 0, 0));
    EXPECT_EQ(Pixel(image, s.timeCell.left + 1, s.timeCell.top), Rgb(255, 255, 255));
    EXPECT_EQ(Pixel(image, s.captionCell.left + 1, middle), Rgb(220, 220, 250));
    EXPECT_EQ(s.captionCell.right + 1, s.timeCell.left);
    // Left of the strip the frame colour shows.
    EXPECT_EQ(Pixel(image, s.captionCell.left - 3, middle), Rgb(192, 192, 192));
    EXPECT_EQ(Pixel(image, s.plot.left, middle), Rgb(192, 192, 192));
}

// Which colour the value-axis labels left of the band are drawn in.
int LabelPixels(const CTrendWave& chart, QRgb colour) {
    const TrendState& s = chart.State();
    return CountColour(chart.BackBuffer(), QRect(0, s.plot.top, s.plot.left - 2, s.plotHeight),
                       colour);
}

TEST(ValueAxes, DualAxesNeedBothSeriesElseTheCommonAxis) {
    CTrendWave chart;
    FillFlat(chart, 11, 10);
    chart.AllocSeries(2, 11);
    chart.SetSeriesColor(1, qRgb(255, 0, 0));
    chart.SetSeriesStep(0, 10);
    chart.SetDualAxes(true);
    chart.SetAxisSeries(0, 0);
    chart.SetAxisSeries(1, 1);
    EXPECT_GT(LabelPixels(chart, kSeriesColour), 0);
    const TrendState& s = chart.State();
    const QRect right(s.plot.right + 2, s.plot.top, 40, s.plotHeight);
    EXPECT_GT(CountColour(chart.BackBuffer(), right, qRgb(255, 0, 0)), 0);

    chart.SetAxisSeries(1, -1);
    EXPECT_EQ(LabelPixels(chart, kSeriesColour), 0);
    EXPECT_GT(LabelPixels(chart, qRgb(0, 0, 0)), 0);
    const QRect margin(s.plot.right + 2, s.plot.top, 40, s.plotHeight);
    EXPECT_EQ(CountColour(chart.BackBuffer(), margin, qRgb(255, 0, 0)), 0);
}

// Labels longer than the margin are shortened rather than cut at the window's left edge.
TEST(ValueAxes, LongLabelsStayInsideTheWindow) {
    CTrendWave chart;
    FillFlat(chart, 11, 10);
    chart.SetBanded(true);
    chart.SetSeriesRange(0, 0, 0.994681f);
    chart.SetSeriesStep(0, 0.0828901f);
    const TrendState& s = chart.State();
    const QRgb black = qRgb(0, 0, 0);
    ASSERT_GT(LabelPixels(chart, black), 0);
    const QRect edge(0, s.plot.top - 8, 3, s.plotHeight + 12);  // above the time labels
    EXPECT_EQ(CountColour(chart.BackBuffer(), edge, black), 0);
}

TEST(Painting, CopiesTheBackBuffer) {
    CTrendWave chart;
    FillFlat(chart, 11, 10);
    chart.show();
    const QImage shown = chart.grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(shown, chart.BackBuffer());

    // A plot under 32 pixels shows the window colour only (a window 40 pixels high cannot hold
    // more, whatever the margins the labels' font asks for).
    chart.resize(100, 40);
    QCoreApplication::processEvents();
    ASSERT_LT(chart.State().plotHeight, 32);
    const QImage tiny = chart.grab().toImage();
    EXPECT_EQ(tiny.pixelColor(50, 20), chart.palette().window().color());
}

TEST(Page, DrawsWithItsOwnLookAndRestoresTheScreen) {
    CTrendWave chart;
    chart.resize(900, 500);
    test::ConfigureLikeBrowser(chart);
    test::FillLikeBrowser(chart, 2000);
    chart.SelectPoint(700);
    const TrendState screen = chart.State();
    const QImage before = chart.BackBuffer();
    ASSERT_FALSE(chart.ScrollBar()->isHidden());

    // A landscape page mapped like the printing code maps it: 2000 units across.
    QImage page(1600, 1130, QImage::Format_RGB32);
    page.fill(Qt::white);
    {
        QPainter p(&page);
        p.setWindow(0, 0, 2000, 1412);
        p.setViewport(0, 0, 1600, 1130);
        chart.DrawChart(p, MakeChartFont(18, 36), QRect(0, 120, 2000, 1100));
    }
    EXPECT_EQ(chart.State(), screen);
    chart.Refresh();
    EXPECT_EQ(chart.BackBuffer(), before);
    EXPECT_TRUE(test::SaveScreenshot(page, "chart_page"));

    // White everywhere behind the black curves' band, a black border two units wide.
    const int black = CountColour(page, page.rect(), qRgb(0, 0, 0));
    EXPECT_GT(black, 2000);
    EXPECT_EQ(CountColour(page, QRect(0, 0, 16, page.height()), qRgb(255, 255, 255)),
              16 * page.height());  // white margins (the axis titles lie further in)
    EXPECT_EQ(CountColour(page, page.rect(), qRgb(220, 220, 250)), 0);  // no readout strip
    EXPECT_GT(CountColour(page, page.rect(), qRgb(25, 28, 150)), 500);  // temperature curve
}

TEST(Page, WithoutPointsLeavesTheScreenSettings) {
    CTrendWave chart;
    chart.resize(700, 400);
    test::ConfigureLikeBrowser(chart);
    const TrendState screen = chart.State();
    QString path = test::ScreenshotPath("chart_page_empty");
    path.replace(QStringLiteral(".png"), QStringLiteral(".pdf"));
    QPdfWriter pdf(path);
    pdf.setPageSize(QPageSize(QPageSize::A4));
    pdf.setPageOrientation(QPageLayout::Landscape);
    {
        QPainter p(&pdf);
        chart.DrawChart(p, MakeChartFont(18, 36), QRect(0, 0, pdf.width(), pdf.height()));
    }
    EXPECT_EQ(chart.State(), screen);
}

TEST(ChartFont, DrawsChineseAndTheDegreeSign) {
    const QFont font = MakeChartFont(7, 14);
    const QFontMetrics metrics(font);
    EXPECT_LE(metrics.height(), 14);
    EXPECT_GE(metrics.height(), 12);
    // Digits as wide as asked for, or narrower where the face's are (no face is stretched).
    EXPECT_LE(ChartCharWidth(metrics), 7);
    EXPECT_EQ(font.weight(), QFont::Medium);
    EXPECT_EQ(MakeChartFont(18, 36).pixelSize() > 24, true);

    // Every character leaves ink of its own.
    for (const QString& text : {QStringLiteral("温"), QStringLiteral("度"), QStringLiteral("℃"),
                                QStringLiteral("噪"), QStringLiteral("8")}) {
        QImage image(24, 24, QImage::Format_RGB32);
        image.fill(Qt::white);
        {
            QPainter p(&image);
            p.setFont(font);
            p.setPen(Qt::black);
            p.drawText(QRect(0, 0, 24, 24), Qt::AlignCenter, text);
        }
        int ink = 0;
        for (int y = 0; y < 24; ++y) {
            for (int x = 0; x < 24; ++x)
                ink += qGray(image.pixel(x, y)) < 128;
        }
        EXPECT_GT(ink, 4) << text.toStdString();
    }
    bool chinese = false;
    for (const QString& family : ChartFontFamilies()) {
        chinese |= QFontDatabase::writingSystems(family).contains(QFontDatabase::SimplifiedChinese);
    }
    EXPECT_TRUE(chinese);
}

TEST(Screenshots, BrowserChart) {
    CTrendWave chart;
    chart.resize(1200, 560);
    test::ConfigureLikeBrowser(chart);
    test::FillLikeBrowser(chart, 2000);
    chart.SelectPoint(1234);
    chart.show();
    const TrendState& s = chart.State();
    QMouseEvent move(QEvent::MouseMove, QPointF(s.XOfPoint(1100), 200),
                     QPointF(s.XOfPoint(1100), 200), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&chart, &move);
    EXPECT_EQ(s.readoutPoint, 1100);
    EXPECT_TRUE(test::SaveScreenshot(chart.grab().toImage(), "chart_browser"));

    // Banded, zoomed in with node marks, and the series list of a temperature and humidity
    // logger with its dew point.
    chart.SetBanded(true);
    chart.SetSpan(60);
    chart.SetTimeStep(10);
    chart.SetMarkSize(3);
    for (int i = 0; i < 3; ++i)
        chart.SetSeriesStep(i, i == 1 ? 20 : 10);
    EXPECT_TRUE(test::SaveScreenshot(chart.grab().toImage(), "chart_banded"));

    // A flow band whose step has no short decimals, and units wider than their cells.
    chart.SetSeriesRange(2, 0, 0.994681f);
    chart.SetSeriesStep(2, 0.0828901f);
    chart.SetSeriesText(0, QStringLiteral("密度"), QStringLiteral("kg/m3"));
    chart.SetSeriesText(1, QStringLiteral("甲醛"), QStringLiteral("mg/m3"));
    EXPECT_TRUE(test::SaveScreenshot(chart.grab().toImage(), "chart_fitted_labels"));
}

// Eight instruments' temperature, humidity and dew point, a day apart in phase, with a gap
// between two recordings and a few missing samples: the series list of a comparison.
TrendSeriesList Comparison(int points) {
    TrendSeriesList list;
    for (int i = 0; i < points; ++i) {
        // Two recordings, the second after a pause of a day.
        list.times.push_back(test::kSampleStart + 300 * i + (i >= points / 2 ? 86400 : 0));
    }
    list.gapSeconds = 3600;
    const char* quantities[3] = {"温度", "湿度", "露点"};
    const char* units[3] = {"℃", "%RH", "℃"};
    for (int k = 0; k < 24; ++k) {
        const int instrument = k / 3, q = k % 3;
        TrendLine& line = list.series.emplace_back();
        line.name = QStringLiteral("A020000%1 冷库%2 %3")
                        .arg(instrument + 1)
                        .arg(instrument + 3)
                        .arg(QString::fromUtf8(quantities[q]));
        line.unit = QString::fromUtf8(units[q]);
        const LegendLook& look = PaletteLook(k);
        line.colour = qRgb(look.colour.r, look.colour.g, look.colour.b);
        line.penStyle = look.penStyle;
        line.low = q == 1 ? 0 : -20;
        line.high = q == 1 ? 100 : 40;
        for (int i = 0; i < points; ++i) {
            const float t = 5.0f + 3.0f * instrument + 6.0f * std::sin(i * 0.01f + instrument);
            const float rh = 60.0f + 20.0f * std::cos(i * 0.013f + instrument);
            float v = q == 0 ? t : q == 1 ? rh : t - (100.0f - rh) / 5.0f;
            if (i % 97 == 13 + instrument) v = std::nanf("");
            line.values.push_back(v);
        }
    }
    // Temperatures and dew points on the left, humidities on the right.
    list.axes.resize(2);
    list.axes[1].right = true;
    for (int k = 0; k < 24; ++k)
        list.axes[k % 3 == 1 ? 1 : 0].series.push_back(k);
    return list;
}

TEST(Screenshots, ComparisonOfTwentyFourSeries) {
    CTrendWave chart;
    chart.resize(1400, 700);
    chart.SetChartFont(7, 14);
    chart.timeLabelLines = 2;
    chart.bottomMargin = 2 * 14 + 4;
    chart.SetTimeFormat(1, QStringLiteral("%y-%m-%d %H:%M:%S"));
    ASSERT_TRUE(chart.SetSeriesList(Comparison(600)));
    chart.SetPlotColor(qRgb(0, 0, 0));
    chart.show();
    const TrendState& s = chart.State();
    // Temperatures and dew points share the left axis, humidities the right one.
    const ResolvedAxes axes = ResolveValueAxes(s);
    ASSERT_EQ(axes.axes.size(), 2u);
    EXPECT_EQ(axes.axes[0].series.size(), 16u);
    EXPECT_TRUE(axes.axes[1].right);
    QMouseEvent move(QEvent::MouseMove, QPointF(s.XOfPoint(250), s.plot.top + 50),
                     QPointF(s.XOfPoint(250), s.plot.top + 50), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(&chart, &move);
    EXPECT_EQ(s.readoutPoint, 250);
    EXPECT_GT(s.readoutRows, 1);
    EXPECT_GE(s.timeCell.top, 0);
    EXPECT_TRUE(test::SaveScreenshot(chart.grab().toImage(), "chart_comparison"));

    // On paper in shades of grey, the pens tell the series apart.
    QImage page(1600, 1130, QImage::Format_RGB32);
    page.fill(Qt::white);
    {
        QPainter p(&page);
        p.setWindow(0, 0, 2000, 1412);
        p.setViewport(0, 0, 1600, 1130);
        chart.DrawChart(p, MakeChartFont(18, 36), QRect(0, 120, 2000, 1100));
    }
    EXPECT_TRUE(test::SaveScreenshot(page.convertToFormat(QImage::Format_Grayscale8),
                                     "chart_comparison_grey_page"));

    // Zoomed in on the pause between the recordings: no line across it.
    chart.SetSpan(60);
    chart.SelectPoint(300);
    EXPECT_TRUE(test::SaveScreenshot(chart.grab().toImage(), "chart_gaps"));
}

}  // namespace
}  // namespace qx
