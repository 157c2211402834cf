#include "browser_layout.h"

#include <algorithm>

namespace qx {

namespace {

BrowserLayout LayoutWindows(const BrowserRect& c, const BrowserRect& a, int arrangement,
                            bool showLists, bool showChart) {
    BrowserLayout out;
    if (!showLists && !showChart) return out;
    out.apply = true;
    out.listsShown = showLists;
    out.chartShown = showChart;

    // The two lists side by side from A's left edge to r, between top and bottom.
    const auto sideBySide = [&](int top, int bottom) {
        const int r = std::max(c.right, a.left + kBrowserMinimumExtent);
        const int split = r - (2 * (r - a.left)) / 5;
        out.sampleList = {a.left, top, split, bottom};
        out.paramList = {split + 1, top, r, bottom};
        return r;
    };

    if (showLists && showChart) {
        if (arrangement == 0) {
            const int b = std::max(c.bottom, c.top + kBrowserMinimumExtent);
            const int split = b - (2 * (b - c.top)) / 5;
            out.sampleList = {a.left, c.top, a.right, split};
            out.paramList = {a.left, split + 1, a.right, b};
            out.chart = {a.right, c.top, c.right, b};
        } else {
            const int r = sideBySide(c.top, a.bottom);
            out.chart = {a.left, a.bottom, r, c.bottom};
        }
    } else if (showChart) {
        out.chart = {a.left, c.top, c.right, c.bottom};
    } else {
        sideBySide(c.top, c.bottom);
    }
    return out;
}

}  // namespace

BrowserLayout LayoutBrowser(const BrowserRect& c, const BrowserRect& a, int arrangement,
                            bool showLists, bool showChart, bool showStatistics) {
    if (!showStatistics) return LayoutWindows(c, a, arrangement, showLists, showChart);
    const int width = std::max(c.right - a.left, kBrowserMinimumExtent);
    int left = a.left;
    if (showLists || showChart)
        left = c.right - std::max((2 * width) / 5, std::min(kStatisticsPanelWidth, width / 2));
    BrowserRect rest = c;
    rest.right = left - 1;
    BrowserLayout out = LayoutWindows(rest, a, arrangement, showLists, showChart);
    out.statisticsShown = true;
    out.statistics = {left, c.top, std::max(c.right, left + kBrowserMinimumExtent), c.bottom};
    return out;
}

}  // namespace qx
