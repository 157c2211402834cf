// Pixel checks on what the chart draws, and the screenshots of a chart configured like the
// record browser's.
#include <gtest/gtest.h>
#include <QPainter>

#include "chart/chart_font.h"
#include "chart/trend_layout.h"
#include "chart/trend_wave.h"
#include "chart_test_util.h"

namespace qx {
namespace {

using test::Pixel;
using test::Rgb;

TEST(TrendRender, BrowserChartScreenshot) {
    CTrendWave chart;
    chart.resize(1200, 560);
    test::ConfigureLikeBrowser(chart);
    test::FillLikeBrowser(chart, 2000);
    chart.SelectPoint(1234);
    ASSERT_FALSE(chart.BackBuffer().isNull());
    EXPECT_TRUE(test::SaveScreenshot(chart.BackBuffer(), "chart_browser"));
}

}  // namespace
}  // namespace qx
