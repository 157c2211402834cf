// The chart's data: allocation limits, the operations' limits and results, the visible window
// and reading points through it.
#include <gtest/gtest.h>

#include <cmath>
#include "gui/chart/trend_state.h"
#include "gui/chart/trend_wave.h"

namespace qx {
namespace {

TEST(AllocSeries, RejectsCountsOutOfRangeAndChangesNothing) {
    TrendState s;
    ASSERT_TRUE(s.AllocSeries(3, 10));
    const TrendState before = s;
    EXPECT_FALSE(s.AllocSeries(kTrendMaxSeries + 1, 10));
    EXPECT_FALSE(s.AllocSeries(0, 10));
    EXPECT_FALSE(s.AllocSeries(8, -1));
    const int tooFewCodes[2] = {3, 3};
    EXPECT_FALSE(s.AllocSeries(3, 10, tooFewCodes));
    EXPECT_EQ(s, before);
    // As many series as a comparison of instruments needs, each with a record of its own.
    ASSERT_TRUE(s.AllocSeries(kTrendMaxSeries, 10));
    EXPECT_EQ(s.series.size(), static_cast<size_t>(kTrendMaxSeries));
    EXPECT_EQ(s.series[kTrendMaxSeries - 1].values.size(), 12u);
}

TEST(AllocSeries, CutsThePointCountAtTheLimit) {
    TrendState s;
    ASSERT_TRUE(s.AllocSeries(2, kTrendMaxPoints + 1));
    EXPECT_EQ(s.pointCount, kTrendMaxPoints);
    EXPECT_EQ(s.capacity, kTrendMaxPoints);
    EXPECT_EQ(s.times.size(), static_cast<size_t>(kTrendMaxPoints) + 2);
    EXPECT_EQ(s.series[1].values.size(), static_cast<size_t>(kTrendMaxPoints) + 2);
}

TEST(AllocSeries, StartsANewDataSet) {
    TrendState s;
    const int codes[8] = {3, 3, 3, 3, 3, 3, 3, 3};
    ASSERT_TRUE(s.AllocSeries(8, 10, codes));
    s.times[4] = 77;
    s.series[2].visible = false;
    s.series[5].name = QStringLiteral("噪声");
    s.selectedPoint = 4;

    // Same capacity: time stamps are cleared all the same; hidden series come back; texts
    // and the storage codes stay.
    ASSERT_TRUE(s.AllocSeries(8, 10));
    EXPECT_EQ(s.times[4], 0);
    EXPECT_TRUE(s.series[2].visible);
    EXPECT_EQ(s.series[5].name, QStringLiteral("噪声"));
    EXPECT_EQ(s.series[5].storageCode, 3);
    EXPECT_EQ(s.selectedPoint, -1);

    // Fewer series release the arrays of the dropped ones.
    ASSERT_TRUE(s.AllocSeries(3, 0));
    EXPECT_EQ(s.seriesCount, 3);
    EXPECT_EQ(s.series[2].values.size(), 2u);
    EXPECT_TRUE(s.series[3].values.empty());
    EXPECT_EQ(s.ValueAt(3, 0), 0.0f);
}

// A list of n series over three points, each with two values (the third is missing).
TrendSeriesList SeriesOf(int n) {
    TrendSeriesList list;
    list.times = {100, 160, 220};
    for (int i = 0; i < n; ++i) {
        TrendLine& line = list.series.emplace_back();
        line.name = QStringLiteral("A020000%1 冷库").arg(i);
        line.unit = QStringLiteral("℃");
        line.values = {1.0f + i, 2.0f + i};
    }
    return list;
}

TEST(SeriesList, TakesAComparisonsSeriesWithMissingValues) {
    CTrendWave chart;
    chart.resize(900, 500);
    chart.AllocSeries(8, 10);
    chart.SetAlarmLines(0, 1, 2, 0, 0, 0, 0);
    chart.ShowAlarmLines(0, true, true);
    TrendSeriesList list = SeriesOf(24);
    list.series[0].low = -5;  // a range of the owner's is kept; 0 and less steps a fifth
    list.series[0].high = 5;
    list.series[5].visible = false;
    list.axes = {{{0, 1}, false, {}}};
    ASSERT_TRUE(chart.SetSeriesList(std::move(list)));

    const TrendState& s = chart.State();
    EXPECT_EQ(s.seriesCount, 24);
    EXPECT_EQ(s.pointCount, 3);
    EXPECT_EQ(s.times[2], 220);
    EXPECT_EQ(s.series[23].values[1], 25.0f);
    EXPECT_TRUE(std::isnan(s.series[23].values[2]));  // past the given values: missing
    EXPECT_EQ(s.series[0].low, -5.0f);
    EXPECT_EQ(s.series[0].step, 2.0f);
    // Without a range: the values' own, widened to round steps.
    EXPECT_EQ(s.series[1].low, 2.0f);
    EXPECT_EQ(s.series[1].high, 3.0f);
    EXPECT_FALSE(s.series[5].visible);
    EXPECT_FALSE(s.series[0].alarms[0].shown);  // lines of an earlier data set go
    EXPECT_EQ(s.axisSpecs.size(), 1u);
    // Every point in view, from the first.
    EXPECT_EQ(s.scrollPos, 0);
    EXPECT_EQ(s.visibleCount, 3);
}

TEST(SeriesList, RefusesWhatItCannotTakeAndKeepsTheChart) {
    CTrendWave chart;
    TrendSeriesList full = SeriesOf(kTrendMaxSeries);
    for (TrendLine& line : full.series)
        line.values.push_back(0);  // no missing values: states compare equal
    ASSERT_TRUE(chart.SetSeriesList(std::move(full)));
    const TrendState before = chart.State();
    EXPECT_FALSE(chart.SetSeriesList(SeriesOf(0)));
    EXPECT_FALSE(chart.SetSeriesList(SeriesOf(kTrendMaxSeries + 1)));
    TrendSeriesList tooLong = SeriesOf(1);
    tooLong.times.resize(static_cast<size_t>(kTrendMaxPoints) + 1);
    EXPECT_FALSE(chart.SetSeriesList(std::move(tooLong)));
    EXPECT_EQ(chart.State(), before);
}

TEST(TrendWaveOperations, StoresPointsUpToCapacityPlusOne) {
    CTrendWave chart;
    chart.AllocSeries(2, 100);
    chart.SelectSeries(1);
    chart.SetPointValue(101, 5.5f);
    chart.SetPointValue(102, 6.5f);
    chart.SetPointValue(-1, 7.5f);
    chart.SetPointTime(101, 1234);
    chart.SetPointTime(102, 4321);
    EXPECT_EQ(chart.State().series[1].values[101], 5.5f);
    EXPECT_EQ(chart.State().series[1].values.size(), 102u);
    EXPECT_EQ(chart.State().times[101], 1234);
    EXPECT_EQ(chart.State().series[0].values[101], 0.0f);
}

TEST(TrendWaveOperations, IgnoresBadRangesAndLimitsValues) {
    CTrendWave chart;
    chart.AllocSeries(8, 20);
    chart.SetSeriesRange(0, 5, 5);
    EXPECT_EQ(chart.State().series[0].low, -200.0f);
    EXPECT_EQ(chart.State().series[0].high, 200.0f);
    chart.SetSeriesRange(0, 0, 40);
    EXPECT_EQ(chart.State().series[0].high, 40.0f);
    chart.SetCommonRange(1, -1);
    EXPECT_EQ(chart.State().commonLow, -200.0f);

    chart.SetTimeRange(3, 1);
    EXPECT_EQ(chart.State().timeLast, 0.0f);
    chart.SetSpan(0);
    EXPECT_EQ(chart.State().span, 1);

    EXPECT_EQ(chart.SetMarkSize(12), 0);
    EXPECT_EQ(chart.State().markSize, 10);
    EXPECT_EQ(chart.SetMarkSize(-3), 10);
    EXPECT_EQ(chart.State().markSize, 0);

    chart.SetSeriesDecimals(3, 12);
    EXPECT_EQ(chart.State().series[3].readoutDecimals, 8);
    chart.SetAxisDecimals(3, 9);
    EXPECT_EQ(chart.State().series[3].axisDecimals, 5);
    chart.SetAxisDecimals(3, -2);
    EXPECT_EQ(chart.State().series[3].axisDecimals, 0);
}

TEST(TrendWaveOperations, ReturnPreviousSettingsAndRejectBadIndexes) {
    CTrendWave chart;
    chart.AllocSeries(8, 10);
    chart.SelectSeries(5);
    EXPECT_EQ(chart.SelectSeries(8), 5);
    EXPECT_EQ(chart.State().currentSeries, 0);

    EXPECT_EQ(chart.SetSeriesColor(8, qRgb(1, 2, 3)), 0u);
    EXPECT_EQ(chart.SetSeriesColor(-1, qRgb(1, 2, 3)), 0u);
    EXPECT_EQ(chart.SetSeriesColor(2, qRgb(1, 2, 3)), qRgb(0, 0, 255));
    EXPECT_EQ(chart.SetSeriesColor(2, qRgb(0, 0, 0)), qRgb(1, 2, 3));
    EXPECT_EQ(chart.SetBandColor(9, qRgb(0, 0, 0)), 0u);
    EXPECT_EQ(chart.SetPlotColor(qRgb(0, 0, 0)), qRgb(255, 255, 255));

    EXPECT_EQ(chart.SetSeriesStep(8, 5.0f), -1.0f);
    EXPECT_EQ(chart.SetSeriesStep(1, 5.0f), 20.0f);
    EXPECT_EQ(chart.SetTimeStep(2.0f), 10.0f);
    EXPECT_FALSE(chart.SetSeriesVisible(8, false));
    EXPECT_TRUE(chart.SetSeriesVisible(4, false));
    EXPECT_FALSE(chart.SetSeriesVisible(4, true));

    EXPECT_EQ(chart.SetAxisSeries(5, 3), -1);  // axis limited to 1
    EXPECT_EQ(chart.State().axisSeries[1], 3);
    EXPECT_EQ(chart.SetAxisSeries(-4, 2), -1);  // axis limited to 0
    EXPECT_EQ(chart.State().axisSeries[0], 2);
    EXPECT_FALSE(chart.SetDualAxes(true));
    EXPECT_FALSE(chart.SetBanded(true));
    EXPECT_TRUE(chart.SetBanded(false));
    EXPECT_FALSE(chart.SetFixedReadoutWidths(true));
    EXPECT_TRUE(chart.EnableDrawing(false));
    EXPECT_FALSE(chart.EnableDrawing(true));
}

TEST(TrendWaveOperations, PenAppliesToTheCurrentSeriesOnly) {
    CTrendWave chart;
    chart.AllocSeries(2, 10);
    chart.SelectSeries(1);
    chart.SetSeriesPen(2, 4);
    EXPECT_EQ(chart.State().series[1].penWidth, 2);
    EXPECT_EQ(chart.State().series[1].penStyle, 4);
    EXPECT_EQ(chart.State().series[0].penWidth, 1);
}

TEST(TrendWaveOperations, TextsAreKeptWholeUpToTheirLimits) {
    CTrendWave chart;
    chart.AllocSeries(3, 10);
    // An instrument's number with its measurement name, and an English name, stay whole.
    chart.SetSeriesText(0, QStringLiteral("A0200001 冷库3"), QStringLiteral("mg/m3mg/m3"));
    chart.SetSeriesText(1, QStringLiteral("Formaldehyde concentration"));
    EXPECT_EQ(chart.State().series[0].name, QStringLiteral("A0200001 冷库3"));
    EXPECT_EQ(chart.State().series[0].unit, QStringLiteral("mg/m3mg/m3"));
    EXPECT_EQ(chart.State().series[1].name, QStringLiteral("Formaldehyde concentration"));
    // Past the limit a text ends in an ellipsis: it never reads as a shorter name.
    const QString longest(kTrendNameLimit, QLatin1Char('n'));
    chart.SetSeriesText(2, longest + QLatin1Char('x'), QString(kTrendUnitLimit + 1, 'u'));
    EXPECT_EQ(chart.State().series[2].name, longest.left(kTrendNameLimit - 1) + QChar(0x2026));
    EXPECT_EQ(chart.State().series[2].unit.size(), kTrendUnitLimit);
    EXPECT_TRUE(chart.State().series[2].unit.endsWith(QChar(0x2026)));
    chart.SetSeriesText(2, longest);
    EXPECT_EQ(chart.State().series[2].name, longest);
    // A missing text leaves its field as it is.
    chart.SetSeriesText(0, std::nullopt, QStringLiteral("℃"));
    EXPECT_EQ(chart.State().series[0].name, QStringLiteral("A0200001 冷库3"));
    EXPECT_EQ(chart.State().series[0].unit, QStringLiteral("℃"));
    // Index < 0 names the time caption; the unit given with it is not kept anywhere.
    chart.SetSeriesText(-1, QStringLiteral("时间"), QStringLiteral("s"));
    EXPECT_EQ(chart.State().timeCaption, QStringLiteral("时间"));
    // Beyond the series count nothing changes.
    chart.SetSeriesText(3, QStringLiteral("x"));
    EXPECT_TRUE(chart.State().series[3].name.isEmpty());

    std::string format(120, 'x');
    chart.SetTimeFormat(1, QString::fromStdString(format));
    EXPECT_EQ(chart.State().timeFormat.size(), 99);
    EXPECT_EQ(chart.State().timeLabelMode, 1);
}

TEST(TrendWaveOperations, ReadoutWidthsCopyAtMostNine) {
    CTrendWave chart;
    const int three[3] = {18, 8, 8};
    chart.SetReadoutWidths(three);
    EXPECT_EQ(chart.State().readoutWidths[2], 8);
    EXPECT_EQ(chart.State().readoutWidths[3], 10);
    const int twelve[12] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    chart.SetReadoutWidths(twelve);
    EXPECT_EQ(chart.State().readoutWidths[8], 9);
}

TEST(TrendWaveOperations, OwnerSettingsTakeEffectAtTheNextDrawing) {
    CTrendWave chart;
    chart.resize(640, 400);
    chart.Refresh();
    EXPECT_EQ(chart.State().plot.bottom, 400 - 18 - 1);
    chart.bottomMargin = 2 * 14 + 4;
    chart.timeLabelLines = 2;
    chart.pickOnDoubleClick = true;
    chart.Refresh();
    EXPECT_EQ(chart.State().plot.bottom, 400 - 32 - 1);
    EXPECT_EQ(chart.State().timeLabelLines, 2);
    EXPECT_TRUE(chart.State().pickOnDoubleClick);
}

TEST(VisibleWindow, HoldsThePositionsScrollToScrollPlusSpan) {
    TrendState s;
    s.AllocSeries(1, 12);
    for (int i = 0; i < 12; ++i) {
        s.series[0].values[i] = static_cast<float>(100 + i);
        s.times[i] = 1000 + i;
    }
    s.scrollPos = 10;
    s.span = 5;
    s.UpdateVisibleWindow();
    EXPECT_EQ(s.firstVisible, 10);
    EXPECT_EQ(s.visibleCount, 2);
    EXPECT_EQ(s.ValueThroughWindow(0, 3), 110.0f);
    EXPECT_EQ(s.ValueThroughWindow(0, 40), 111.0f);
    EXPECT_EQ(s.TimeThroughWindow(3), 1010);

    s.scrollPos = 0;
    s.span = 4;
    s.UpdateVisibleWindow();
    EXPECT_EQ(s.firstVisible, 0);
    EXPECT_EQ(s.visibleCount, 5);  // both ends included

    s.scrollPos = -3;
    s.UpdateVisibleWindow();
    EXPECT_EQ(s.firstVisible, 0);
    EXPECT_EQ(s.visibleCount, 2);

    // Scrolled past the last point: an empty window reads 0.
    s.scrollPos = 20;
    s.UpdateVisibleWindow();
    EXPECT_EQ(s.visibleCount, 0);
    EXPECT_EQ(s.ValueThroughWindow(0, 11), 0.0f);
    EXPECT_EQ(s.TimeThroughWindow(11), 0);
    // A series without values reads 0.
    s.scrollPos = 0;
    s.UpdateVisibleWindow();
    EXPECT_EQ(s.ValueThroughWindow(5, 1), 0.0f);
}

TEST(VisibleWindow, FollowsTimeRangeAndSpanOfTheChart) {
    CTrendWave chart;
    chart.resize(640, 400);
    chart.AllocSeries(1, 50);
    chart.SetTimeRange(0, 49);
    chart.SetSpan(20);
    EXPECT_EQ(chart.State().firstVisible, 0);
    EXPECT_EQ(chart.State().visibleCount, 21);
    // AllocSeries leaves the window until the range or span is set again.
    chart.AllocSeries(1, 5);
    EXPECT_EQ(chart.State().visibleCount, 21);
    chart.SetTimeRange(0, 6);
    EXPECT_EQ(chart.State().visibleCount, 5);
}

TEST(TruncToInt, SaturatesInsteadOfOverflowing) {
    EXPECT_EQ(TruncToInt(-2.7f), -2);
    EXPECT_EQ(TruncToInt(2.7f), 2);
    EXPECT_EQ(TruncToInt(1e30f), 1 << 28);
    EXPECT_EQ(TruncToInt(-1e30f), -(1 << 28));
    EXPECT_EQ(TruncToInt(std::numeric_limits<float>::quiet_NaN()), -(1 << 28));
    EXPECT_EQ(TruncToInt(std::numeric_limits<float>::infinity()), 1 << 28);
}

}  // namespace
}  // namespace qx
