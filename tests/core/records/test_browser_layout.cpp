#include "core/records/browser_layout.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "core/records/record_legend.h"

namespace qx {
namespace {

constexpr BrowserRect kClient{0, 0, 1000, 600};
constexpr BrowserRect kAnchor{100, 10, 400, 250};

TEST(BrowserLayout, SideBySideSplitsTheHeight) {
    const BrowserLayout l = LayoutBrowser(kClient, kAnchor, 0, true, true);
    ASSERT_TRUE(l.apply);
    EXPECT_TRUE(l.listsShown);
    EXPECT_TRUE(l.chartShown);
    EXPECT_EQ(l.sampleList, (BrowserRect{100, 0, 400, 360}));
    EXPECT_EQ(l.paramList, (BrowserRect{100, 361, 400, 600}));
    EXPECT_EQ(l.chart, (BrowserRect{400, 0, 1000, 600}));
    // A low view counts 120 pixels.
    const BrowserLayout low = LayoutBrowser({0, 0, 1000, 50}, kAnchor, 0, true, true);
    EXPECT_EQ(low.sampleList.bottom, 72);
    EXPECT_EQ(low.chart.bottom, 120);
}

TEST(BrowserLayout, StatisticsPanelTakesTheRightPart) {
    // At first 46 % of the 900 pixels right of A's left edge behind a 5-pixel splitter; the stacked
    // rules in the 481 pixels left of it.
    const BrowserLayout l = LayoutBrowser(kClient, kAnchor, 1, true, true, true);
    ASSERT_TRUE(l.statisticsShown);
    EXPECT_EQ(l.statistics, (BrowserRect{586, 0, 1000, 600}));
    EXPECT_EQ(l.splitter, (BrowserRect{581, 0, 586, 600}));
    EXPECT_EQ(l.sampleList, (BrowserRect{100, 0, 389, 250}));
    EXPECT_EQ(l.paramList, (BrowserRect{390, 0, 581, 250}));
    EXPECT_EQ(l.chart, (BrowserRect{100, 250, 581, 600}));
    // The user's share, down to the panel's 180 pixels and up to the rest's 120.
    const auto left = [](int share, int right = 1000) {
        return LayoutBrowser({0, 0, right, 600}, kAnchor, 0, false, true, true, share)
            .statistics.left;
    };
    EXPECT_EQ(left(2000), 820);
    EXPECT_EQ(left(1990), 820);
    EXPECT_EQ(left(2010), 819);
    EXPECT_EQ(left(8611), 225);
    EXPECT_EQ(left(8600), 226);
    EXPECT_EQ(left(kMaxStatisticsShare), 225);
    // Dragged anywhere, the splitter's share puts the panel there.
    for (int x : {300, 586, 700, 777})
        EXPECT_EQ(left(StatisticsShareAt(kClient, kAnchor, x)), x) << x;
    // Until the user drags: 46 %, or what the panel asks for when that is more.
    EXPECT_EQ(left(kAutoStatisticsShare), 586);
    EXPECT_EQ(LayoutBrowser(kClient, kAnchor, 0, false, true, true, kAutoStatisticsShare, 500)
                  .statistics.left,
              500);
    EXPECT_EQ(LayoutBrowser(kClient, kAnchor, 0, false, true, true, 2000, 500).statistics.left,
              820);
    // A view too narrow for both minimums: the panel's first; alone it takes all.
    EXPECT_EQ(left(kDefaultStatisticsShare, 400), 220);
    const BrowserLayout alone = LayoutBrowser(kClient, kAnchor, 0, false, false, true);
    EXPECT_FALSE(alone.apply);
    EXPECT_EQ(alone.statistics, (BrowserRect{100, 0, 1000, 600}));
    EXPECT_EQ(alone.splitter, BrowserRect{});
    EXPECT_FALSE(LayoutBrowser(kClient, kAnchor, 0, true, true).statisticsShown);
}

TEST(BrowserLayout, StackedSplitsTheWidth) {
    const BrowserLayout l = LayoutBrowser(kClient, kAnchor, 1, true, true);
    EXPECT_EQ(l.sampleList, (BrowserRect{100, 0, 640, 250}));
    EXPECT_EQ(l.paramList, (BrowserRect{641, 0, 1000, 250}));
    EXPECT_EQ(l.chart, (BrowserRect{100, 250, 1000, 600}));
    // Narrower than A.left + 120: lists and chart keep 120 pixels.
    const BrowserLayout narrow = LayoutBrowser({0, 0, 150, 600}, kAnchor, 1, true, true);
    EXPECT_EQ(narrow.sampleList, (BrowserRect{100, 0, 172, 250}));
    EXPECT_EQ(narrow.paramList, (BrowserRect{173, 0, 220, 250}));
    EXPECT_EQ(narrow.chart.right - narrow.chart.left, 120);

    // Wider columns take the sample list up to 2/3 of the 900 pixels (700), not past it.
    const auto split = [](int wanted) {
        return LayoutBrowser(kClient, kAnchor, 1, true, true, false, kAutoStatisticsShare, 0,
                             wanted)
            .sampleList.right;
    };
    EXPECT_EQ(split(500), 640);
    EXPECT_EQ(split(560), 660);
    EXPECT_EQ(split(600), 700);
    EXPECT_EQ(split(601), 640);
}

TEST(BrowserLayout, OnlyOneKindOrNeither) {
    const BrowserLayout chart = LayoutBrowser(kClient, kAnchor, 0, false, true);
    EXPECT_FALSE(chart.listsShown);
    EXPECT_EQ(chart.chart, (BrowserRect{100, 0, 1000, 600}));
    for (int arrangement : {0, 1}) {
        const BrowserLayout lists = LayoutBrowser(kClient, kAnchor, arrangement, true, false);
        EXPECT_FALSE(lists.chartShown);
        EXPECT_EQ(lists.sampleList, (BrowserRect{100, 0, 640, 600}));
        EXPECT_EQ(lists.paramList, (BrowserRect{641, 0, 1000, 600}));
    }
    const BrowserLayout narrow = LayoutBrowser({0, 0, 150, 600}, kAnchor, 0, true, false);
    EXPECT_EQ(narrow.paramList.right - narrow.sampleList.left, 120);
    EXPECT_FALSE(LayoutBrowser(kClient, kAnchor, 0, false, false).apply);
}

TEST(RecordLegend, EntriesAndRowsPerModel) {
    EXPECT_EQ(LegendEntries(1), (std::vector<int>{0, 1, 2, 8, 9, 10, 11}));
    EXPECT_EQ(LegendEntries(4), (std::vector<int>{0, 8, 9}));
    EXPECT_EQ(LegendEntries(5), (std::vector<int>{0, 1, 2, 3, 8, 9, 10, 11}));
    EXPECT_EQ(LegendEntries(6), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 8, 9, 10, 11}));
    EXPECT_EQ(LegendEntries(7), (std::vector<int>{5, 12, 13}));
    EXPECT_EQ(LegendEntries(8), (std::vector<int>{0, 1, 2, 7, 8, 9, 10, 11, 14}));
    EXPECT_EQ(LegendEntries(11), LegendEntries(8));
    EXPECT_TRUE(LegendEntries(0).empty());
    // The frame holds exactly the drawn rows of every model.
    for (InstrumentTypeId type = 1; type <= kModelCount; ++type) {
        EXPECT_EQ(LegendRowCount(type), static_cast<int>(LegendEntries(type).size())) << type;
    }
}

TEST(RecordLegend, TextsFollowTheRecord) {
    EXPECT_EQ(LegendText(2, RecordUnitsOf(0, 6)), "空气密度");
    EXPECT_EQ(LegendText(2, RecordUnitsOf(0, 1)), "露点");
    EXPECT_EQ(LegendText(7, RecordUnitsOf(0, 11)), "甲醛");
    EXPECT_EQ(LegendText(14, RecordUnitsOf(0, 11)), "甲醛报警");
    EXPECT_EQ(LegendText(14, RecordUnitsOf(0, 8)), "CO2报警");
    EXPECT_EQ(LegendText(12, RecordUnitsOf(0, 7)), "低噪报警");
    EXPECT_EQ(LegendText(15, RecordUnitsOf(0, 7)), "");
    EXPECT_EQ(LegendEntryLook(9).colour, (LegendRgb{200, 20, 120}));
    EXPECT_EQ(LegendEntryLook(11).penStyle, kPenDashDotDot);
    EXPECT_EQ(LegendEntryLook(0).colour, (LegendRgb{25, 28, 150}));
}

double Distance(const LegendRgb& a, const LegendRgb& b) {
    return std::hypot(a.r - b.r, a.g - b.g, a.b - b.b);
}

// Contrast ratio of a colour against black (true) or white, from its relative luminance.
double Contrast(const LegendRgb& c, bool black) {
    auto linear = [](int v) {
        const double x = v / 255.0;
        return x <= 0.04045 ? x / 12.92 : std::pow((x + 0.055) / 1.055, 2.4);
    };
    const double l = 0.2126 * linear(c.r) + 0.7152 * linear(c.g) + 0.0722 * linear(c.b);
    return black ? (l + 0.05) / 0.05 : 1.05 / (l + 0.05);
}

TEST(RecordLegend, TheSeriesOfEveryModelDifferInColour) {
    for (InstrumentTypeId type = 1; type <= kModelCount; ++type) {
        const std::span<const int> list = SeriesList(type);
        for (size_t a = 0; a < list.size(); ++a) {
            for (size_t b = a + 1; b < list.size(); ++b) {
                EXPECT_GE(Distance(LegendEntryLook(list[a], type).colour,
                                   LegendEntryLook(list[b], type).colour),
                          64)
                    << "model " << type << " series " << list[a] << " and " << list[b];
            }
        }
    }
    // Temperature and humidity keep their colours; the dew point too, the air density not.
    EXPECT_EQ(LegendEntryLook(1, 1).colour, (LegendRgb{255, 128, 0}));
    EXPECT_EQ(LegendEntryLook(2, 1).colour, (LegendRgb{0, 0, 255}));
    EXPECT_NE(LegendEntryLook(2, 6).colour, LegendEntryLook(2, 1).colour);
}

TEST(RecordLegend, PaletteOfTwentyFourStaysApartOnScreenAndPaper) {
    for (int i = 0; i < kPaletteSize; ++i) {
        const LegendLook& look = PaletteLook(i);
        EXPECT_GE(Contrast(look.colour, true), 3.0) << i;   // on the black plot
        EXPECT_GE(Contrast(look.colour, false), 2.0) << i;  // on paper
        EXPECT_NE(look.penStyle, PaletteLook(i + 1).penStyle) << i;
        for (int j = i + 1; j < kPaletteSize; ++j)
            EXPECT_GE(Distance(look.colour, PaletteLook(j).colour), 48) << i << " " << j;
    }
    // Any index has a look: the palette starts again after its last entry.
    EXPECT_EQ(PaletteLook(kPaletteSize).colour, PaletteLook(0).colour);
    EXPECT_EQ(PaletteLook(-1).colour, PaletteLook(kPaletteSize - 1).colour);
}

}  // namespace
}  // namespace qx
