#include "core/records/trend_ranges.h"

#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <limits>

namespace qx {
namespace {

// Extremes from rows of eight values; unspecified series stay 0.
TrendExtremes Rows(std::initializer_list<SeriesValues> rows) {
    TrendExtremes e;
    for (const SeriesValues& row : rows)
        e.Add(row);
    return e;
}

SeriesValues Row(int series, float value, int series2 = -1, float value2 = 0) {
    SeriesValues v{};
    v[static_cast<size_t>(series)] = value;
    if (series2 >= 0) v[static_cast<size_t>(series2)] = value2;
    return v;
}

AlarmLimits TemperatureLimits(double low, double high, double humLow = 0, double humHigh = 0) {
    AlarmLimits a;
    a.temperatureLow = low;
    a.temperatureHigh = high;
    a.humidityLow = humLow;
    a.humidityHigh = humHigh;
    return a;
}

TrendRange RangeOf(const TrendRanges& r, int s) {
    return r[static_cast<size_t>(s)];
}

TEST(TrendTimeAxis, SpanAndStepFollowThePointCount) {
    const TrendTimeAxis three = TrendTimeAxisFor(3);
    EXPECT_EQ(three.last, 6);
    EXPECT_EQ(three.step, 2);
    EXPECT_EQ(three.span, 10);
    const TrendTimeAxis many = TrendTimeAxisFor(601);
    EXPECT_EQ(many.last, 600);
    EXPECT_EQ(many.step, 100);
    EXPECT_EQ(many.span, 500);
    // The step stays within 2..100.
    EXPECT_EQ(TrendTimeAxisFor(32512).step, 100);
    EXPECT_EQ(TrendTimeAxisFor(0).step, 2);
    EXPECT_EQ(TrendTimeAxisFor(61).step, 10);
}

TEST(TrendValueRanges, TemperatureWithLimitsAndDewPoint) {
    const RecordUnits type4 = RecordUnitsOf(0, 4);
    // Temperature only: series 2 is all 0 and takes part in the minimum.
    TrendRanges r =
        TrendValueRanges(Rows({Row(0, 21.3f), Row(0, 24.8f)}), type4, TemperatureLimits(0, 40), 1);
    EXPECT_EQ(RangeOf(r, 0), (TrendRange{0, 40}));

    r = TrendValueRanges(Rows({Row(0, -5.2f), Row(0, 3)}), type4, TemperatureLimits(-10, 50), 1);
    EXPECT_EQ(RangeOf(r, 0), (TrendRange{-10, 50}));
    r = TrendValueRanges(Rows({Row(0, -45), Row(0, 3)}), type4, TemperatureLimits(-10, 50), 1);
    EXPECT_EQ(RangeOf(r, 0).low, -50);
    r = TrendValueRanges(Rows({Row(0, -31), Row(0, 3)}), type4, TemperatureLimits(-10, 50), 1);
    EXPECT_EQ(RangeOf(r, 0).low, -40);

    // Stepped lowest value 0 or more starts at 0; the dew point takes the temperature's range.
    const RecordUnits type1 = RecordUnitsOf(0, 1);
    r = TrendValueRanges(Rows({Row(0, 25, 2, 9), Row(0, 27, 2, 10)}), type1,
                         TemperatureLimits(20, 30), 2);
    EXPECT_EQ(RangeOf(r, 0), (TrendRange{0, 30}));
    EXPECT_EQ(RangeOf(r, 2), RangeOf(r, 0));
}

TEST(TrendValueRanges, HumidityTopIsClampedTo100) {
    const RecordUnits type1 = RecordUnitsOf(0, 1);
    const AlarmLimits limits = TemperatureLimits(0, 40, 20, 80);
    const auto top = [&](float highest) {
        return RangeOf(TrendValueRanges(Rows({Row(1, 40), Row(1, highest)}), type1, limits, 2), 1)
            .high;
    };
    EXPECT_EQ(top(98), 100);
    EXPECT_EQ(top(99.5f), 100);
    EXPECT_EQ(top(90), 90);
    EXPECT_EQ(top(91), 100);
}

TEST(TrendValueRanges, TemperatureTopClamps) {
    const AlarmLimits limits = TemperatureLimits(0, 40);
    TrendRanges r =
        TrendValueRanges(Rows({Row(0, 20), Row(0, 175)}), RecordUnitsOf(0, 4), limits, 1);
    EXPECT_EQ(RangeOf(r, 0).high, 140);
    // Fahrenheit allows up to 284 and never less than 32.
    r = TrendValueRanges(Rows({Row(0, 20), Row(0, 300)}), RecordUnitsOf(1, 4), limits, 1);
    EXPECT_EQ(RangeOf(r, 0).high, 284);
    r = TrendValueRanges(Rows({Row(0, -30), Row(0, -25)}), RecordUnitsOf(1, 4),
                         TemperatureLimits(-40, -40), 1);
    EXPECT_EQ(RangeOf(r, 0), (TrendRange{-40, 32}));
}

TEST(TrendValueRanges, PressureStepsBy100OrBy10InPsi) {
    // Type 5: unit byte pressure index 1 is hPa, 2 is psi.
    TrendRanges r = TrendValueRanges(Rows({Row(3, 1005.1f), Row(3, 1020.7f)}),
                                     RecordUnitsOf(0x10, 5), TemperatureLimits(0, 40), 3);
    EXPECT_EQ(RangeOf(r, 3), (TrendRange{900, 1100}));
    r = TrendValueRanges(Rows({Row(3, 14.58f), Row(3, 14.80f)}), RecordUnitsOf(0x20, 5),
                         TemperatureLimits(0, 40), 3);
    EXPECT_EQ(RangeOf(r, 3), (TrendRange{0, 20}));
}

TEST(TrendValueRanges, GasRangesReachTheAlarmLimit) {
    AlarmLimits co2 = TemperatureLimits(0, 40);
    co2.gasHigh = 1000;
    TrendRanges r =
        TrendValueRanges(Rows({Row(7, 380), Row(7, 1650)}), RecordUnitsOf(0, 8), co2, 3);
    EXPECT_EQ(RangeOf(r, 7), (TrendRange{200, 1700}));

    AlarmLimits formaldehyde = TemperatureLimits(0, 40);
    formaldehyde.gasHigh = 0.08;
    r = TrendValueRanges(Rows({Row(7, 0.02f), Row(7, 0.06f)}), RecordUnitsOf(0, 11), formaldehyde,
                         3);
    EXPECT_EQ(RangeOf(r, 7), (TrendRange{0, 1}));
}

TEST(TrendValueRanges, ThreeQuantitiesShareTemperatureAndHumidityRange) {
    const AlarmLimits limits = TemperatureLimits(-20, 30, 10, 60);
    const TrendRanges r = TrendValueRanges(Rows({Row(0, 25, 1, 40), Row(0, 26, 1, 95)}),
                                           RecordUnitsOf(0, 5), limits, 3);
    // Temperature -20..30, humidity 0..100: shared -20..100 (the clamps keep both tops).
    EXPECT_EQ(RangeOf(r, 0), (TrendRange{-20, 100}));
    EXPECT_EQ(RangeOf(r, 1), (TrendRange{-20, 100}));
    // With two quantities they stay apart.
    const TrendRanges two = TrendValueRanges(Rows({Row(0, 25, 1, 40), Row(0, 26, 1, 95)}),
                                             RecordUnitsOf(0, 1), limits, 2);
    EXPECT_EQ(RangeOf(two, 0), (TrendRange{-20, 30}));
    EXPECT_EQ(RangeOf(two, 1), (TrendRange{0, 100}));
}

TEST(TrendValueRanges, SoundLevelNeverNegative) {
    AlarmLimits limits;
    limits.soundLow = 30;
    limits.soundHigh = 85;
    TrendRanges r = TrendValueRanges(Rows({Row(5, 2), Row(5, 70)}), RecordUnitsOf(0, 7), limits, 1);
    EXPECT_EQ(RangeOf(r, 5), (TrendRange{0, 90}));
    // At least one step wide.
    r = TrendValueRanges(Rows({Row(5, 0), Row(5, 0)}), RecordUnitsOf(0, 9), AlarmLimits{}, 1);
    EXPECT_EQ(RangeOf(r, 5), (TrendRange{0, 10}));
}

TEST(TrendValueRanges, FlowMeterScalesOfTheirOwnAreRound) {
    const TrendRanges r =
        TrendValueRanges(Rows({SeriesValues{20, 50, 1.196f, 100, -1.5f, -5, 2.5f, 0},
                               SeriesValues{22, 55, 1.21f, 101, 1.5f, -3, 3.5f, 0}}),
                         RecordUnitsOf(0x00, 6), TemperatureLimits(0, 40, 20, 80), 6);
    // Ten round steps each.
    EXPECT_EQ(RangeOf(r, 4), (TrendRange{-1.5f, 3.5f}));
    EXPECT_EQ(RangeOf(r, 5), (TrendRange{-5, 0}));  // the top of series 5 starts at 0
    EXPECT_EQ(RangeOf(r, 6), (TrendRange{2.5f, 3.5f}));
    // The air density is drawn on a scale of its own, never on the temperature's.
    EXPECT_EQ(RangeOf(r, 2), (TrendRange{1.196f, 1.216f}));
}

TEST(TrendValueRanges, DegenerateAndUndefinedValues) {
    // A flat series gets a range around its value; a dew point that is not finite is left out.
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const TrendRanges r = TrendValueRanges(
        Rows({SeriesValues{20, 0, nan, 0, 0, 0, 5, 0}, SeriesValues{21, 0, nan, 0, 0, 0, 5, 0}}),
        RecordUnitsOf(0, 1), TemperatureLimits(0, 40), 2);
    EXPECT_EQ(RangeOf(r, 6), (TrendRange{4.5f, 5.5f}));
    EXPECT_EQ(RangeOf(r, 0), (TrendRange{0, 40}));
    // Absurd values of a damaged record stay finite.
    const TrendRanges wild = TrendValueRanges(Rows({Row(3, 3e38f), Row(3, -3e38f)}),
                                              RecordUnitsOf(0, 5), TemperatureLimits(0, 40), 3);
    EXPECT_TRUE(std::isfinite(RangeOf(wild, 3).low));
    EXPECT_LT(RangeOf(wild, 3).low, RangeOf(wild, 3).high);
}

TEST(RoundRange, EndsOnWholeStepsAroundTheValues) {
    EXPECT_EQ(RoundRange(0, 100), (TrendRange{0, 100}));  // already round: unchanged
    EXPECT_EQ(RoundRange(0.0123, 0.0456), (TrendRange{0.01f, 0.06f}));
    EXPECT_EQ(RoundRange(-7, 23), (TrendRange{-10, 40}));
    EXPECT_EQ(RoundRange(-7, 23, 5), (TrendRange{-10, 40}));
    EXPECT_EQ(RoundRange(-7, 11), (TrendRange{-8, 12}));
    EXPECT_EQ(RoundRange(0, 0), (TrendRange{-0.5f, 0.5f}));
    const float nan = std::numeric_limits<float>::quiet_NaN();
    EXPECT_EQ(RoundRange(nan, 1), (TrendRange{0, 1}));
    const TrendRange wild = RoundRange(-3e38, 3e38);
    EXPECT_TRUE(std::isfinite(wild.low) && std::isfinite(wild.high) && wild.low < wild.high);
}

TEST(TrendAxisGroups, EverySeriesOfAModelOnAnAxis) {
    using Groups = std::vector<TrendAxisGroup>;
    EXPECT_EQ(TrendAxisGroups(1, 2), (Groups{{{0, 2}, false}, {{1}, true}}));
    EXPECT_EQ(TrendAxisGroups(8, 3), (Groups{{{0, 1, 2}, false}, {{7}, true}}));
    EXPECT_EQ(TrendAxisGroups(7, 1), (Groups{{{5}, false}, {{5}, true}}));
    EXPECT_EQ(
        TrendAxisGroups(6, 6),
        (Groups{
            {{0, 1}, false}, {{3}, true}, {{2}, false}, {{4}, true}, {{5}, false}, {{6}, true}}));
}

TEST(TrendAxes, ByChannelCount) {
    EXPECT_EQ(TrendAxesFor(7, 1).left, 5);
    EXPECT_EQ(TrendAxesFor(7, 1).right, 5);
    EXPECT_EQ(TrendAxesFor(4, 1).right, 0);
    EXPECT_EQ(TrendAxesFor(1, 2).left, 0);
    EXPECT_EQ(TrendAxesFor(1, 2).right, 1);
    EXPECT_EQ(TrendAxesFor(8, 3).right, 7);
    EXPECT_EQ(TrendAxesFor(11, 3).right, 7);
    EXPECT_EQ(TrendAxesFor(5, 3).right, 3);
    EXPECT_EQ(TrendAxesFor(6, 6).right, 3);
    EXPECT_EQ(TrendAxesFor(0, 0).left, 0);  // no channels counts as one
}

TEST(TrendGridStep, TenthOrWholeMultiples) {
    EXPECT_FLOAT_EQ(TrendGridStep({200, 1700}, 10), 150);
    EXPECT_FLOAT_EQ(TrendGridStep({0, 233}, 10), 20);
    EXPECT_FLOAT_EQ(TrendGridStep({0, 100}, 5), 20);
    EXPECT_FLOAT_EQ(TrendGridStep({0, 1}, 10), 0.1f);
    EXPECT_FLOAT_EQ(TrendGridStep({0, 1500}, 5), 300);
}

TEST(TrendZoom, TimeZoomScalesTheBaseSpan) {
    const TrendTimeZoom out = TimeZoomFor(500, 0);  // 缩小10X
    EXPECT_EQ(out.span, 5000);
    EXPECT_FLOAT_EQ(out.step, 833);
    const TrendTimeZoom in = TimeZoomFor(10, 6);  // 放大10X
    EXPECT_EQ(in.span, 1);
    EXPECT_FLOAT_EQ(in.step, 1);
    EXPECT_EQ(TimeZoomFor(500, kTimeZoomNeutral).span, 500);
    EXPECT_EQ(TimeZoomFor(500, 99).span, 500);
    EXPECT_EQ(std::string(kTimeZoomTexts[kTimeZoomNeutral]), "不变(1x)");
}

TEST(TrendZoom, ValueZoomLowersTheTopOnly) {
    const TrendValueZoom z = ValueZoomFor({-10, 50}, 3);  // 放大2X
    EXPECT_EQ(z.range, (TrendRange{-10, 25}));
    EXPECT_FLOAT_EQ(z.step, 3.5f);
    EXPECT_NEAR(ValueZoomFor({0, 120}, 1).range.high, 100, 1e-4);  // 放大1.2X
    EXPECT_EQ(ValueZoomFor({0, 120}, 0).range.high, 120);
    EXPECT_EQ(std::string(kValueZoomTexts[6]), "放大16X");
}

}  // namespace
}  // namespace qx
