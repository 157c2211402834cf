// The scroll bar: its range in bar units, line, page and thumb moves, resizing, and
// SelectPoint bringing a point into view.
#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QScrollBar>

#include "gui/chart/trend_scale.h"
#include "gui/chart/trend_scroll.h"
#include "gui/chart/trend_wave.h"

namespace qx {
namespace {

// A chart with one series of points 0..last and the given span.
void Fill(CTrendWave& chart, int last, int span) {
    chart.resize(800, 400);
    chart.EnableDrawing(false);
    chart.AllocSeries(1, last + 1);
    chart.SelectSeries(0);
    for (int i = 0; i <= last; ++i)
        chart.SetPointValue(i, static_cast<float>(i % 100));
    chart.SetTimeRange(0, static_cast<float>(last));
    chart.SetSpan(span);
    chart.EnableDrawing(true);
}

TEST(ScrollBar, RangeOfPositionsWiderThanTheSpan) {
    TrendState s;
    s.AllocSeries(1, 601);
    s.timeLast = 600;
    s.span = 500;
    const ScrollBarSetup bar = ComputeScrollBar(s, 0);
    EXPECT_TRUE(bar.shown);
    EXPECT_EQ(bar.minimum, 0);
    EXPECT_EQ(bar.maximum, 599);
    EXPECT_EQ(bar.page, 500);
    EXPECT_EQ(s.lineStep, 25);
    EXPECT_EQ(s.scrollScale, 1.0f);
    // A position beyond the range goes back to the minimum; one past the last page start
    // stops there.
    EXPECT_EQ(ComputeScrollBar(s, 700).position, 0);
    EXPECT_EQ(ComputeScrollBar(s, 300).position, 100);
    EXPECT_EQ(s.scrollPos, 100);
}

TEST(ScrollBar, LineAndPageMovesStayInsideTheTimeRange) {
    CTrendWave chart;
    Fill(chart, 600, 500);
    QScrollBar* bar = chart.ScrollBar();
    ASSERT_FALSE(bar->isHidden());
    EXPECT_EQ(bar->minimum(), 0);
    EXPECT_EQ(bar->maximum(), 100);  // the start of the last page
    EXPECT_EQ(bar->pageStep(), 500);
    EXPECT_EQ(bar->geometry(), QRect(chart.State().plot.left, chart.State().plot.bottom - 16,
                                     chart.State().plot.Width(), 16));

    bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(chart.State().scrollPos, 25);
    EXPECT_EQ(bar->value(), 25);
    EXPECT_EQ(chart.State().firstVisible, 25);
    bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(chart.State().scrollPos, 100);  // 600 - 500
    EXPECT_EQ(chart.State().visibleCount, 501);

    // Line right at 100 is clamped to 100: nothing changes, not even the bar.
    const QImage before = chart.BackBuffer();
    bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(chart.State().scrollPos, 100);
    EXPECT_EQ(bar->value(), 100);
    EXPECT_EQ(chart.BackBuffer(), before);

    bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
    EXPECT_EQ(chart.State().scrollPos, 75);
    bar->triggerAction(QAbstractSlider::SliderPageStepSub);
    EXPECT_EQ(chart.State().scrollPos, 0);
    // Jumps to either end are not scroll moves of this chart.
    bar->triggerAction(QAbstractSlider::SliderToMaximum);
    EXPECT_EQ(chart.State().scrollPos, 0);
    EXPECT_EQ(bar->value(), 0);
}

TEST(ScrollBar, HiddenWhenTheSpanCoversTheRange) {
    CTrendWave chart;
    Fill(chart, 6, 10);
    EXPECT_TRUE(chart.ScrollBar()->isHidden());
    EXPECT_EQ(chart.State().scrollPos, 0);
    EXPECT_EQ(chart.State().lineStep, 1);
    EXPECT_EQ(chart.State().plotHeight, chart.State().plot.Height());

    // No points: no scrolling either.
    chart.AllocSeries(1, 0);
    chart.SetTimeRange(0, 600);
    EXPECT_TRUE(chart.ScrollBar()->isHidden());
}

TEST(ScrollBar, LongRangesAreScaledIntoTheBar) {
    CTrendWave chart;
    Fill(chart, 40000, 500);
    const float scale = 40000.0f / 32767.0f;
    EXPECT_EQ(chart.State().scrollScale, scale);
    EXPECT_FLOAT_EQ(chart.State().scrollScale, 1.2207404f);
    TrendState copy = chart.State();
    const ScrollBarSetup setup = ComputeScrollBar(copy, 0);
    EXPECT_EQ(setup.maximum, 32765);
    EXPECT_EQ(setup.page, 409);

    QScrollBar* bar = chart.ScrollBar();
    bar->setSliderDown(true);
    bar->setSliderPosition(16000);  // dragging the thumb
    bar->setSliderDown(false);
    EXPECT_EQ(chart.State().scrollPos, 19531);
    EXPECT_EQ(chart.State().firstVisible, 19531);
    EXPECT_EQ(bar->value(), 16000);
    EXPECT_EQ(chart.State().lineStep, 25);
    bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(chart.State().scrollPos, 19556);
    EXPECT_EQ(bar->value(), static_cast<int>(19556 / scale));
}

TEST(ScrollBar, ResizeMovesTheBarAndKeepsTheWindow) {
    CTrendWave chart;
    Fill(chart, 600, 500);
    chart.ScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    chart.show();
    chart.resize(900, 500);
    QCoreApplication::processEvents();
    EXPECT_EQ(chart.BackBuffer().size(), QSize(900, 500));
    EXPECT_EQ(chart.State().scrollPos, 25);
    EXPECT_EQ(chart.ScrollBar()->geometry().bottom() + 1, chart.State().plot.bottom);
    EXPECT_EQ(chart.ScrollBar()->geometry().width(), chart.State().plot.Width());
}

TEST(SelectPoint, BringsThePointIntoViewWithATenthOfTheSpanToSpare) {
    CTrendWave chart;
    Fill(chart, 1000, 500);
    EXPECT_EQ(chart.SelectPoint(950), -1);
    EXPECT_EQ(chart.State().scrollPos, 500);  // 950 + 50 - 500
    EXPECT_EQ(chart.ScrollBar()->value(), 500);
    EXPECT_EQ(chart.State().firstVisible, 500);
    EXPECT_EQ(chart.State().readoutPoint, 950);

    EXPECT_EQ(chart.SelectPoint(20), 950);
    EXPECT_EQ(chart.State().scrollPos, 0);  // 20 - 50, raised to the range's start
    EXPECT_EQ(chart.ScrollBar()->value(), 0);

    // Inside the window: no move.
    EXPECT_EQ(chart.SelectPoint(300), 20);
    EXPECT_EQ(chart.State().scrollPos, 0);
    EXPECT_EQ(chart.State().selectedPoint, 300);
}

TEST(SelectPoint, LimitsItsArgument) {
    CTrendWave chart;
    Fill(chart, 99, 50);
    chart.SelectPoint(30);
    EXPECT_EQ(chart.SelectPoint(-5), 30);
    EXPECT_EQ(chart.State().selectedPoint, -1);
    EXPECT_EQ(chart.State().readoutPoint, 30);  // kept
    chart.SelectPoint(500);
    EXPECT_EQ(chart.State().selectedPoint, 99);
    chart.AllocSeries(1, 0);
    chart.SelectPoint(3);
    EXPECT_EQ(chart.State().selectedPoint, -1);
}

TEST(SelectPoint, RecentresARangeThatMissesTheValue) {
    TrendState s;
    s.AllocSeries(2, 10);
    s.span = 100;
    s.series[0].values[4] = 150.0f;
    s.series[0].low = 0;
    s.series[0].high = 100;
    s.series[0].band = {0, 10, 100, 110};
    s.series[1].values[4] = 50.0f;
    s.series[1].low = 0;
    s.series[1].high = 100;
    s.series[1].band = {0, 10, 100, 110};
    ApplySelectPoint(s, 4);
    EXPECT_NEAR(s.series[0].low, 150.0f - 49.0f / 0.99f, 1e-4);
    EXPECT_NEAR(s.series[0].high, 200.5f, 0.01);
    // The value now sits on the band's middle row.
    const float scale = VerticalScale(s.series[0].band, s.series[0].low, s.series[0].high);
    EXPECT_NEAR(ValueToY(150.0f, s.series[0].band, s.series[0].low, scale), 60, 1);
    // A value inside the band leaves its range alone.
    EXPECT_EQ(s.series[1].low, 0.0f);
    EXPECT_EQ(s.series[1].high, 100.0f);
}

}  // namespace
}  // namespace qx
