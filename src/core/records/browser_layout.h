// Where the record browser puts its sample list, parameter list and chart, from its client
// rectangle C, the anchor rectangle A beside the control panel, the arrangement (0 side by
// side, 1 one above the other) and the two show switches.
//
//   both, side by side   lists in A's columns, the sample list over the top 3/5 of the
//                        height (at least 120 pixels counted), the chart right of A
//   both, stacked        lists side by side down to A's bottom (the sample list 3/5 of the
//                        width, at least 120 pixels counted), the chart below
//   chart only           the chart from A's left edge over the whole height
//   lists only           lists side by side over the whole height
//   neither              nothing moves
//
// With the statistics panel on, the panel takes the right part of C, from the top to the
// bottom: two fifths of the width right of A's left edge, at least kStatisticsPanelWidth
// while that leaves half of it, and
// all of it when neither the lists nor the chart show. The arrangements above keep their rules
// in C without that part.
//
// Rectangles are (left, top, right, bottom) with right and bottom just outside.
#pragma once

namespace qx {

struct BrowserRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    bool operator==(const BrowserRect&) const = default;
};

inline constexpr int kBrowserMinimumExtent = 120;
inline constexpr int kStatisticsPanelWidth = 360;

struct BrowserLayout {
    bool apply = false;  // false: leave every window as it is
    bool listsShown = false;
    bool chartShown = false;
    BrowserRect sampleList;
    BrowserRect paramList;
    BrowserRect chart;
    bool statisticsShown = false;
    BrowserRect statistics;
};

BrowserLayout LayoutBrowser(const BrowserRect& client, const BrowserRect& anchor, int arrangement,
                            bool showLists, bool showChart, bool showStatistics = false);

}  // namespace qx
