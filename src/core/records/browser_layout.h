// Where the record browser puts its sample list, parameter list and chart, from its client
// rectangle C, the anchor rectangle A beside the control panel, the arrangement (0 side by
// side, 1 one above the other) and the two show switches.
//
//   both, side by side   lists in A's columns, the sample list over the top 3/5 of the
//                        height (at least 120 pixels counted), the chart right of A
//   both, stacked        lists side by side down to A's bottom (the sample list 3/5 of the
//                        width, at least 120 pixels counted, or up to 2/3 when that holds
//                        the sampleListWidth its columns need), the chart below
//   chart only           the chart from A's left edge over the whole height
//   lists only           lists side by side over the whole height, shared as when stacked
//   neither              nothing moves
//
// With the statistics panel on, the panel takes the right part of C, from the top to the
// bottom, behind a splitter kSplitterWidth wide: its share of the width W right of A's left
// edge is the user's (in ten-thousandths, where the splitter was dragged to), or until the
// user drags it 46 % but at least the width the panel asks for (a series' figures whole).
// Either is kept so that the panel is at least kStatisticsMinimumWidth and the rest at least
// kBrowserMinimumExtent wide as far as W allows (the panel's minimum first); the panel takes
// all of W, without a splitter, when neither the lists nor the chart show. The arrangements
// above keep their rules in C without that part.
//
// Rectangles are (left, top, right, bottom) with right and bottom just outside.
#pragma once

namespace qx {

struct BrowserRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    bool operator==(const BrowserRect&) const = default;
};

inline constexpr int kBrowserMinimumExtent = 120;
inline constexpr int kStatisticsMinimumWidth = 180;
inline constexpr int kSplitterWidth = 5;
inline constexpr int kMaxStatisticsShare = 10000;
// No share chosen: the panel's share follows kAutoStatisticsShare and the width it asks for.
inline constexpr int kAutoStatisticsShare = -1;
inline constexpr int kDefaultStatisticsShare = 4600;

struct BrowserLayout {
    bool apply = false;  // false: leave every window as it is
    bool listsShown = false;
    bool chartShown = false;
    BrowserRect sampleList;
    BrowserRect paramList;
    BrowserRect chart;
    bool statisticsShown = false;
    BrowserRect statistics;
    BrowserRect splitter;  // empty when the panel is alone
};

BrowserLayout LayoutBrowser(const BrowserRect& client, const BrowserRect& anchor, int arrangement,
                            bool showLists, bool showChart, bool showStatistics = false,
                            int statisticsShare = kAutoStatisticsShare, int statisticsWidth = 0,
                            int sampleListWidth = 0);

// The share (0..kMaxStatisticsShare) that puts the panel's left edge at x, for a
// splitter dragged there.
int StatisticsShareAt(const BrowserRect& client, const BrowserRect& anchor, int x);

}  // namespace qx
