// Which series each value axis is read for, and the room the axes take beside the plot.
#include <gtest/gtest.h>

#include <ostream>

#include "gui/chart/trend_axes.h"

namespace qx {

void PrintTo(const ResolvedAxis& a, std::ostream* os) {
    *os << (a.right ? "right{" : "left{");
    for (int i : a.series)
        *os << i << ' ';
    *os << '}';
}

namespace {

using Axes = std::vector<ResolvedAxis>;

// Temperature 0..40 °C, humidity 0..100 %RH, dew point 0..40 °C, pressure 900..1100 hPa.
TrendState FourSeries() {
    TrendState s;
    s.AllocSeries(4, 10);
    const char* units[4] = {"℃", "%RH", "℃", "hPa"};
    const float highs[4] = {40, 100, 40, 1100};
    for (int i = 0; i < 4; ++i) {
        s.series[i].unit = QString::fromUtf8(units[i]);
        s.series[i].low = i == 3 ? 900 : 0;
        s.series[i].high = highs[i];
        s.series[i].step = 10;
    }
    s.axisSpecs = {{{0}, false, {}}, {{1}, true, {}}};
    return s;
}

TEST(ResolveValueAxes, EveryShownSeriesIsReadOnAnAxisThatNamesIt) {
    TrendState s = FourSeries();
    ResolvedAxes r = ResolveValueAxes(s);
    EXPECT_EQ(r.mode, TrendAxisMode::kSeries);
    // The dew point shares the temperature's unit and range; pressure gets an axis of its own,
    // on the right while the sides have as many.
    EXPECT_EQ(r.axes, (Axes{{{0, 2}, false, {}}, {{1}, true, {}}, {{3}, true, {}}}));

    // A dew point on another range is never read on the temperature's numbers.
    s.series[2].high = 50;
    r = ResolveValueAxes(s);
    EXPECT_EQ(r.axes, (Axes{{{0}, false, {}}, {{1}, true, {}}, {{2}, true, {}}, {{3}, false, {}}}));

    // Hidden series have no axis; an axis left without shown series goes.
    s.series[2].visible = false;
    s.series[0].visible = false;
    r = ResolveValueAxes(s);
    EXPECT_EQ(r.axes, (Axes{{{1}, true, {}}, {{3}, false, {}}}));
}

TEST(ResolveValueAxes, ListedSeriesShareAnAxisOnlyOnOneRange) {
    TrendState s = FourSeries();
    s.axisSpecs = {{{0, 1, 2}, false, {}}, {{3}, true, {}}};
    // Humidity is listed with temperature but drawn on another range: it goes apart.
    EXPECT_EQ(ResolveValueAxes(s).axes,
              (Axes{{{0, 2}, false, {}}, {{3}, true, {}}, {{1}, true, {}}}));
    // On one range the owner may put different units on one axis.
    s.series[0].high = s.series[2].high = 100;
    EXPECT_EQ(ResolveValueAxes(s).axes, (Axes{{{0, 1, 2}, false, {}}, {{3}, true, {}}}));
    // A series listed on two axes shows on both (a mirrored scale).
    s.axisSpecs = {{{3}, false, {}}, {{3}, true, {}}};
    const ResolvedAxes r = ResolveValueAxes(s);
    EXPECT_EQ(r.axes[0], (ResolvedAxis{{3}, false, {}}));
    EXPECT_EQ(r.axes[1], (ResolvedAxis{{3}, true, {}}));
}

TEST(ResolveValueAxes, BandedAndCommonArrangements) {
    TrendState s = FourSeries();
    s.banded = true;
    s.series[1].visible = false;
    ResolvedAxes r = ResolveValueAxes(s);
    EXPECT_EQ(r.mode, TrendAxisMode::kBanded);
    EXPECT_EQ(r.axes, (Axes{{{0}, false, {}}, {{2}, false, {}}, {{3}, false, {}}}));

    // Without the owner's axes and without both dual axes: the common axis.
    s.banded = false;
    s.axisSpecs.clear();
    s.dualAxes = true;
    s.axisSeries = {0, -1};
    r = ResolveValueAxes(s);
    EXPECT_EQ(r.mode, TrendAxisMode::kCommon);
    EXPECT_TRUE(r.axes.empty());
    s.axisSeries = {0, 4};  // past the series count
    EXPECT_EQ(ResolveValueAxes(s).mode, TrendAxisMode::kCommon);
    s.axisSeries = {0, 3};
    EXPECT_EQ(ResolveValueAxes(s).axes, (Axes{{{0, 2}, false, {}}, {{3}, true, {}}}));
}

TEST(PlaceAxes, OuterAxesStackOutwardAndWidenTheMargins) {
    TrendState s = FourSeries();
    s.series[2].high = 50;
    const ResolvedAxes r = ResolveValueAxes(s);
    const int w = 7, h = 14;
    const std::vector<AxisPlace> places = PlaceAxes(s, r, w, h);
    ASSERT_EQ(places.size(), 4u);
    // Temperature next to the plot: labels "0".."40", two characters.
    EXPECT_EQ(places[0].offset, s.borderThickness);
    EXPECT_EQ(places[0].labelChars, 2);
    EXPECT_FALSE(places[0].outer);
    // Pressure's axis lies beyond it, with a line and ticks of its own; the dew point's beyond
    // humidity's on the right.
    EXPECT_EQ(places[3].offset, places[0].offset + places[0].width);
    EXPECT_TRUE(places[3].outer);
    EXPECT_EQ(places[3].labelChars, 4);  // "1100"
    EXPECT_EQ(places[2].offset, places[1].offset + places[1].width);

    const SideMargins m = AxisMargins(r, places, w);
    EXPECT_EQ(m.left, places[3].offset + places[3].width - w + 2);
    EXPECT_EQ(m.right, places[2].offset + places[2].width - w + 2);
    // One axis of short labels keeps the margin of six characters.
    s.series[2].high = 40;
    s.series[3].visible = false;
    s.series[1].high = 40;
    const ResolvedAxes two = ResolveValueAxes(s);
    EXPECT_EQ(AxisMargins(two, PlaceAxes(s, two, w, h), w).left, 6 * w);
}

}  // namespace
}  // namespace qx
