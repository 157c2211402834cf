// Ticks of the time and value axes and the texts of labels and readout.
#include <gtest/gtest.h>

#include <QStringList>

#include "chart_test_util.h"
#include "gui/chart/trend_scale.h"

namespace qx {
namespace {

// A plot 501 pixels wide (500 columns after the first) starting at column 42.
TrendState PlotState(int span, float timeStep) {
    TrendState s;
    s.plot = {42, 27, 543, 327};
    s.plotWidth = 501;
    s.plotHeight = 300;
    s.span = span;
    s.timeStep = timeStep;
    return s;
}

std::vector<float> Positions(const std::vector<TimeTick>& ticks, bool gridOnly) {
    std::vector<float> out;
    for (const TimeTick& t : ticks) {
        if (!gridOnly || t.grid) out.push_back(t.position);
    }
    return out;
}

TEST(TimeTicks, LieOnMultiplesOfTheStepAndSkipBothEdges) {
    TrendState s = PlotState(10, 2.0f);
    std::vector<TimeTick> ticks;
    TimeTicks(s, ticks);
    EXPECT_EQ(Positions(ticks, false), (std::vector<float>{0, 2, 4, 6, 8, 10}));
    EXPECT_EQ(Positions(ticks, true), (std::vector<float>{2, 4, 6, 8}));
    EXPECT_EQ(ticks[0].x, 42);
    EXPECT_EQ(ticks[1].x, 42 + 100);
    EXPECT_EQ(ticks[5].x, 42 + 500);

    // Scrolled to 3: the first tick is the next multiple of the step.
    s.scrollPos = 3;
    TimeTicks(s, ticks);
    EXPECT_EQ(Positions(ticks, false), (std::vector<float>{4, 6, 8, 10, 12}));
    EXPECT_TRUE(ticks.back().grid);  // 12 < 13, the end
}

TEST(TimeTicks, NeighboursOnOneColumnMakeOneGridLine) {
    // 100 positions in 51 columns: step 1 puts two ticks on most columns.
    TrendState s = PlotState(100, 1.0f);
    s.plotWidth = 51;
    s.plot.right = s.plot.left + 51;
    std::vector<TimeTick> ticks;
    TimeTicks(s, ticks);
    EXPECT_EQ(ticks.size(), 101u);
    int grid = 0;
    int previous = -1;
    for (const TimeTick& t : ticks) {
        if (!t.grid) continue;
        EXPECT_NE(t.x, previous);
        previous = t.x;
        ++grid;
    }
    EXPECT_EQ(grid, 49);  // columns 1..49 inside the plot
}

TEST(TimeTicks, AStepThatCannotAdvanceEndsTheWalk) {
    TrendState s = PlotState(10, 0.0f);
    std::vector<TimeTick> ticks;
    TimeTicks(s, ticks);
    EXPECT_TRUE(ticks.empty());
    s.timeStep = -1.0f;
    TimeTicks(s, ticks);
    EXPECT_TRUE(ticks.empty());
    // Too small to change a float at this scroll position.
    s.scrollPos = 100000000;
    s.timeStep = 1.0f;
    TimeTicks(s, ticks);
    EXPECT_EQ(ticks.size(), 1u);
    s.scrollPos = 0;
    s.timeStep = 1e-6f;
    TimeTicks(s, ticks);
    EXPECT_EQ(ticks.size(), static_cast<size_t>(kMaxTicks));
}

TEST(TimeTicks, LabelsShowTheTimeOfExistingPoints) {
    TrendState s = PlotState(10, 2.0f);
    s.AllocSeries(1, 3);
    for (int i = 0; i < 3; ++i)
        s.times[i] = test::kSampleStart + 60 * i;
    std::vector<TimeTick> ticks;
    TimeTicks(s, ticks);
    EXPECT_EQ(TimeLabelText(s, ticks[0].position), QStringLiteral("17-05-19 14:03:22"));
    EXPECT_EQ(TimeLabelText(s, ticks[1].position), QStringLiteral("17-05-19 14:05:22"));
    for (size_t c = 2; c < ticks.size(); ++c) {
        EXPECT_TRUE(TimeLabelText(s, ticks[c].position).isEmpty());
    }
    EXPECT_TRUE(TimeLabelText(s, -1.0f).isEmpty());
    EXPECT_EQ(TimeLabelText(s, 1.9f), QStringLiteral("17-05-19 14:04:22"));
}

TEST(TimeText, LocalTimeWithStrftimeConversions) {
    EXPECT_EQ(FormatTrendTime(test::kSampleStart, QStringLiteral("%y-%m-%d %H:%M:%S")),
              QStringLiteral("17-05-19 14:03:22"));
    EXPECT_EQ(FormatTrendTime(test::kSampleStart, QStringLiteral("%Y年%m月%d日")),
              QStringLiteral("2017年05月19日"));
    // Past the signed 32-bit seconds (2038-01-19 03:14:07 UTC) and the unsigned ones.
    EXPECT_EQ(FormatTrendTime(int64_t{0x80000000u}, QStringLiteral("%y-%m-%d %H:%M:%S")),
              QStringLiteral("38-01-19 11:14:08"));
    EXPECT_EQ(FormatTrendTime(int64_t{0xFFFFFFFFu} + 1, QStringLiteral("%Y-%m-%d %H:%M:%S")),
              QStringLiteral("2106-02-07 14:28:16"));
    const TimeLabelLines two = SplitTimeLabel(QStringLiteral("17-05-19 14:03:22"));
    EXPECT_EQ(two.upper, QStringLiteral("14:03:22"));
    EXPECT_EQ(two.lower, QStringLiteral("17-05-19"));
    const TimeLabelLines last = SplitTimeLabel(QStringLiteral("a b c"));
    EXPECT_EQ(last.upper, QStringLiteral("c"));
    EXPECT_EQ(last.lower, QStringLiteral("a b"));
    const TimeLabelLines one = SplitTimeLabel(QStringLiteral("14:03"));
    EXPECT_EQ(one.upper, QStringLiteral("14:03"));
    EXPECT_TRUE(one.lower.isEmpty());
}

std::vector<TimeLabel> Labels(std::initializer_list<std::pair<const char*, int>> textAndLeft,
                              int width) {
    std::vector<TimeLabel> labels;
    for (const auto& [text, left] : textAndLeft) {
        labels.push_back({QString::fromUtf8(text), left, width, false});
    }
    return labels;
}

std::vector<bool> Drawn(const std::vector<TimeLabel>& labels) {
    std::vector<bool> out;
    for (const TimeLabel& l : labels)
        out.push_back(l.drawn);
    return out;
}

TEST(TimeLabels, OverlapKeepsOnlyTheFirstAndTheLast) {
    // Eleven labels 60 wide every 100 columns, of which the fifth and sixth overlap.
    std::vector<TimeLabel> labels;
    for (int c = 0; c < 11; ++c) {
        labels.push_back({QStringLiteral("t%1").arg(c), c * 100 - (c == 5 ? 50 : 0), 60, false});
    }
    ChooseTimeLabels(labels);
    std::vector<bool> expected(11, false);
    expected[0] = expected[10] = true;
    EXPECT_EQ(Drawn(labels), expected);

    // Touching counts as overlapping: the next label starts on the previous right edge.
    std::vector<TimeLabel> touching = Labels({{"a", 0}, {"b", 60}, {"c", 130}}, 60);
    ChooseTimeLabels(touching);
    EXPECT_EQ(Drawn(touching), (std::vector<bool>{true, false, true}));

    std::vector<TimeLabel> apart = Labels({{"a", 0}, {"b", 61}, {"c", 130}}, 60);
    ChooseTimeLabels(apart);
    EXPECT_EQ(Drawn(apart), (std::vector<bool>{true, true, true}));
}

TEST(TimeLabels, RepeatedAndEmptyTextsAreNotDrawn) {
    std::vector<TimeLabel> labels =
        Labels({{"", 0}, {"a", 100}, {"a", 200}, {"b", 300}, {"", 400}, {"", 500}}, 60);
    ChooseTimeLabels(labels);
    EXPECT_EQ(Drawn(labels), (std::vector<bool>{false, true, false, true, false, false}));

    // A run past the last point has empty texts and draws nothing, even as the last label
    // of an overlapping row.
    std::vector<TimeLabel> overlapping = Labels({{"a", 0}, {"b", 10}, {"", 20}}, 60);
    ChooseTimeLabels(overlapping);
    EXPECT_EQ(Drawn(overlapping), (std::vector<bool>{true, false, false}));
}

TEST(TimeLabels, WidthIsCharactersOfTheLongerLineTimesCharWidth) {
    TrendState s = PlotState(10, 5.0f);
    s.AllocSeries(1, 11);
    for (int i = 0; i < 11; ++i)
        s.times[i] = test::kSampleStart;
    std::vector<TimeTick> ticks;
    TimeTicks(s, ticks);
    std::vector<TimeLabel> labels;
    MakeTimeLabels(s, ticks, 7, labels);
    ASSERT_EQ(labels.size(), 3u);
    EXPECT_EQ(labels[1].width, 17 * 7);
    EXPECT_EQ(labels[1].left, ticks[1].x - 17 * 7 / 2);
    // Same text everywhere: only the first is drawn.
    EXPECT_EQ(Drawn(labels), (std::vector<bool>{true, false, false}));
    s.timeLabelLines = 2;
    MakeTimeLabels(s, ticks, 7, labels);
    EXPECT_EQ(labels[1].width, 8 * 7);
}

std::vector<QString> LabelTexts(const std::vector<ValueTick>& ticks, int decimals) {
    std::vector<QString> out;
    for (const ValueTick& t : ticks)
        out.push_back(AxisLabelText(t.value, decimals));
    return out;
}

TEST(ValueTicks, LabelEveryStepAndDrawGridInside) {
    const TrendRect r{42, 27, 543, 328};  // 300 rows between the first and the last
    std::vector<ValueTick> ticks;
    ValueTicks(r, 0, 1500, 150, ticks);
    ASSERT_EQ(ticks.size(), 11u);
    EXPECT_EQ(LabelTexts(ticks, 0).front(), QStringLiteral("0"));
    EXPECT_EQ(LabelTexts(ticks, 0)[3], QStringLiteral("450"));
    EXPECT_EQ(LabelTexts(ticks, 0).back(), QStringLiteral("1500"));
    EXPECT_EQ(ticks.front().y, 327);   // the band's bottom row
    EXPECT_EQ(ticks.back().y, 27);     // its top row
    EXPECT_FALSE(ticks.front().grid);  // on the bottom row
    EXPECT_FALSE(ticks.back().grid);   // the high end
    for (size_t i = 1; i + 1 < ticks.size(); ++i)
        EXPECT_TRUE(ticks[i].grid);
    EXPECT_EQ(ticks[1].y, 297);

    ValueTicks(r, 0, 1, 0.8f, ticks);
    EXPECT_EQ(LabelTexts(ticks, 0), (std::vector<QString>{"0", "0.8"}));

    // A range starting between steps starts at the next multiple.
    ValueTicks(r, -45, 55, 20, ticks);
    EXPECT_EQ(LabelTexts(ticks, 0), (std::vector<QString>{"-40", "-20", "0", "20", "40"}));
}

TEST(ValueTicks, UnusableStepsOrRangesGiveNoTicks) {
    const TrendRect r{0, 0, 100, 100};
    std::vector<ValueTick> ticks;
    ValueTicks(r, 0, 100, 0, ticks);
    EXPECT_TRUE(ticks.empty());
    ValueTicks(r, 0, 100, -10, ticks);
    EXPECT_TRUE(ticks.empty());
    ValueTicks(r, 5, 5, 1, ticks);
    EXPECT_TRUE(ticks.empty());
    ValueTicks(r, 0, 1e9f, 1e-3f, ticks);
    EXPECT_EQ(ticks.size(), static_cast<size_t>(kMaxTicks));
}

TEST(AxisLabelText, TrimsTrailingZerosOfFixedDecimals) {
    EXPECT_EQ(AxisLabelText(1.5f, 2), QStringLiteral("1.5"));
    EXPECT_EQ(AxisLabelText(2.0f, 2), QStringLiteral("2"));
    EXPECT_EQ(AxisLabelText(-0.5f, 2), QStringLiteral("-0.5"));
    EXPECT_EQ(AxisLabelText(100.0f, 3), QStringLiteral("100"));
    EXPECT_EQ(AxisLabelText(0.8f, 0), QStringLiteral("0.8"));
    EXPECT_EQ(AxisLabelText(1500.0f, 0), QStringLiteral("1500"));
    EXPECT_EQ(AxisLabelText(2.5e10f, 0), QStringLiteral("2.5e+10"));
    EXPECT_LE(AxisLabelText(3e38f, 5).size(), 39);
    // The first tick of a range from -10 in steps of 20 is ceil(-0.5) * 20 = -0.
    EXPECT_EQ(AxisLabelText(-0.0f, 0), QStringLiteral("0"));
    EXPECT_EQ(AxisLabelText(-0.0f, 2), QStringLiteral("0"));
}

// A label wider than the margin would lose its leading digits and read as another number.
TEST(AxisLabelText, LongLabelsTakeTheDecimalsTheStepNeeds) {
    // What fits stays as it was.
    EXPECT_EQ(FittedAxisLabelText(21.5f, 0, 0.5f, 5), QStringLiteral("21.5"));
    EXPECT_EQ(FittedAxisLabelText(1500.0f, 0, 500.0f, 4), QStringLiteral("1500"));
    // A banded flow axis and a recentred axis whose steps have no short decimals.
    EXPECT_EQ(FittedAxisLabelText(0.828901f, 0, 0.0828901f, 5), QStringLiteral("0.829"));
    EXPECT_EQ(FittedAxisLabelText(-0.828901f, 0, 0.0828901f, 5), QStringLiteral("-0.83"));
    EXPECT_EQ(FittedAxisLabelText(0.828901f, 4, 0.0828901f, 5), QStringLiteral("0.829"));
    EXPECT_EQ(FittedAxisLabelText(21.6667f, 0, 1.66667f, 5), QStringLiteral("21.7"));
    // A step with short decimals keeps them when they fit.
    EXPECT_EQ(FittedAxisLabelText(1.125f, 0, 0.125f, 5), QStringLiteral("1.125"));
    EXPECT_EQ(FittedAxisLabelText(101.125f, 0, 0.125f, 5), QStringLiteral("101.1"));
    // Too many digits for any fixed form: the significant digits that fit.
    EXPECT_EQ(FittedAxisLabelText(1234567.0f, 0, 100000.0f, 5), QStringLiteral("1e+06"));
    EXPECT_EQ(FittedAxisLabelText(1234567.0f, 0, 100000.0f, 7), QStringLiteral("1234567"));

    // Neighbouring ticks still read apart.
    std::vector<ValueTick> ticks;
    ValueTicks({0, 0, 10, 200}, 0.0f, 1.0f, 0.0828901f, ticks);
    ASSERT_EQ(ticks.size(), 13u);
    QStringList texts;
    for (const ValueTick& t : ticks) {
        const QString text = FittedAxisLabelText(t.value, 0, 0.0828901f, 5);
        EXPECT_LE(text.size(), 5) << text.toStdString();
        EXPECT_FALSE(texts.contains(text)) << text.toStdString();
        texts.append(text);
    }
}

TEST(ReadoutText, ValueWithDecimalsAndUnit) {
    EXPECT_EQ(ReadoutValueText(23.46f, 1, QStringLiteral("%RH")), QStringLiteral("23.5 %RH"));
    EXPECT_EQ(ReadoutValueText(23.46f, 1, QString()), QStringLiteral("23.5 "));
    EXPECT_EQ(ReadoutValueText(0.046f, 2, QStringLiteral("mg/m3")), QStringLiteral("0.05 mg/m3"));
    EXPECT_EQ(ReadoutValueText(1013.0f, 0, QStringLiteral("hPa")), QStringLiteral("1013 hPa"));
    // A number too long for the readout is written shorter, never cut; a missing one is "--".
    EXPECT_EQ(ReadoutValueText(3e38f, 8, QStringLiteral("℃")), QStringLiteral("3e+38 ℃"));
    EXPECT_EQ(ReadoutValueText(1234.5f, kTrendShortestDecimals, QStringLiteral("PPM")),
              QStringLiteral("1234.5 PPM"));
    EXPECT_EQ(ReadoutValueText(std::nanf(""), 1, QStringLiteral("℃")), QStringLiteral("--"));
}

TEST(ReadoutText, ShownSeriesReadThroughTheWindow) {
    TrendState s;
    s.AllocSeries(3, 5);
    for (int i = 0; i < 5; ++i) {
        s.times[i] = test::kSampleStart + 60 * i;
        s.series[0].values[i] = 20.0f + i;
        s.series[1].values[i] = 50.0f + i;
    }
    s.series[0].name = QStringLiteral("温度");
    s.series[0].unit = QStringLiteral("℃");
    s.series[0].readoutDecimals = 1;
    s.series[2].visible = false;
    s.scrollPos = 1;
    s.span = 2;
    s.UpdateVisibleWindow();
    const ReadoutTexts t = MakeReadoutTexts(s, 0);  // clamped to point 1
    EXPECT_EQ(t.time, QStringLiteral("17-05-19 14:04:22"));
    EXPECT_EQ(t.names[0], QStringLiteral("温度"));
    EXPECT_EQ(t.values[0], QStringLiteral("21.0 ℃"));
    EXPECT_EQ(t.names[1], QStringLiteral("2"));  // no name: the series number
    EXPECT_EQ(t.values[1], QStringLiteral("51 "));
    EXPECT_TRUE(t.values[2].isEmpty());
}

TEST(CutText, KeepsSurrogatePairsWhole) {
    const QString text = QStringLiteral("abcdefghi") + QString::fromUcs4(U"\U0001F600");
    EXPECT_EQ(CutText(text, 10), QStringLiteral("abcdefghi"));
    EXPECT_EQ(CutText(text, 11), text);
    // LimitText keeps a text of the limit whole and ends a longer one in an ellipsis.
    EXPECT_EQ(LimitText(text, 11), text);
    EXPECT_EQ(LimitText(text, 10), QStringLiteral("abcdefghi") + QChar(0x2026));
}

}  // namespace
}  // namespace qx
