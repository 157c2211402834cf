#include "browser_layout.h"

#include <algorithm>
#include <cstdint>

namespace qx {

namespace {

BrowserLayout LayoutWindows(const BrowserRect& c, const BrowserRect& a, int arrangement,
                            bool showLists, bool showChart, int sampleListWidth) {
    BrowserLayout out;
    if (!showLists && !showChart) return out;
    out.apply = true;
    out.listsShown = showLists;
    out.chartShown = showChart;

    // The two lists side by side from A's left edge to r, between top and bottom.
    const auto sideBySide = [&](int top, int bottom) {
        const int r = std::max(c.right, a.left + kBrowserMinimumExtent);
        int split = r - (2 * (r - a.left)) / 5;
        // A sample list whose columns need more than its 3/5 takes up to 2/3, when that shows
        // them all; one that would scroll anyway keeps its 3/5, and the parameter list a third.
        const int most = r - (r - a.left) / 3;
        if (sampleListWidth > split - a.left && a.left + sampleListWidth <= most)
            split = a.left + sampleListWidth;
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

namespace {

// Pixels right of A's left edge that the panel and the rest share.
int SharedWidth(const BrowserRect& c, const BrowserRect& a) {
    return std::max(c.right - a.left, kBrowserMinimumExtent);
}

}  // namespace

BrowserLayout LayoutBrowser(const BrowserRect& c, const BrowserRect& a, int arrangement,
                            bool showLists, bool showChart, bool showStatistics,
                            int statisticsShare, int statisticsWidth, int sampleListWidth) {
    if (!showStatistics)
        return LayoutWindows(c, a, arrangement, showLists, showChart, sampleListWidth);
    const int width = SharedWidth(c, a);
    const int right = a.left + width;
    int left = a.left;
    const bool alone = !showLists && !showChart;
    if (!alone) {
        const bool automatic = statisticsShare < 0;
        const int share =
            automatic ? kDefaultStatisticsShare : std::min(statisticsShare, kMaxStatisticsShare);
        int panel = static_cast<int>((int64_t{width} * share + kMaxStatisticsShare / 2) /
                                     kMaxStatisticsShare);
        if (automatic) panel = std::max(panel, statisticsWidth);
        panel = std::min(panel, width - kSplitterWidth - kBrowserMinimumExtent);
        panel = std::max(panel, std::min(kStatisticsMinimumWidth, width - kSplitterWidth));
        left = right - panel;
    }
    BrowserRect rest = c;
    rest.right = left - (alone ? 0 : kSplitterWidth);
    BrowserLayout out = LayoutWindows(rest, a, arrangement, showLists, showChart, sampleListWidth);
    out.statisticsShown = true;
    out.statistics = {left, c.top, right, c.bottom};
    if (!alone) out.splitter = {rest.right, c.top, left, c.bottom};
    return out;
}

int StatisticsShareAt(const BrowserRect& c, const BrowserRect& a, int x) {
    const int width = SharedWidth(c, a);
    const int64_t panel = std::clamp(a.left + width - x, 0, width);
    return static_cast<int>((panel * kMaxStatisticsShare + width / 2) / width);
}

}  // namespace qx
