#include "trend_layout.h"

#include <algorithm>
#include <cstdint>

namespace qx {

void LayoutPlot(TrendState& s, const TrendRect& area, int barHeight) {
    TrendRect r = area;
    r.left += s.marginLeft;
    r.top += s.marginTop;
    r.right -= s.marginRight;
    r.bottom -= s.bottomMargin;
    r = r.Grown(-s.borderThickness);
    s.plot = r;
    s.plotWidth = r.Width();
    s.plotHeight = r.Height();
    s.visibleSeries = s.CountShownSeries();
    if (s.ScrollingNeeded()) s.plotHeight -= barHeight;

    const TrendRect bandArea{r.left, r.top, r.right, BandAreaBottom(s)};
    for (TrendSeries& series : s.series)
        series.band = bandArea;

    const int k = s.visibleSeries;
    if (!s.banded || k <= 0) return;
    const float h = static_cast<float>(s.plotHeight - 2 * k + 2) / static_cast<float>(k);
    int y = r.top;
    int j = 1;
    for (int i = 0; i < s.seriesCount; ++i) {
        if (!s.series[i].visible) continue;
        TrendRect& band = s.series[i].band;
        band.top = y;
        if (j < k) {
            band.bottom = TruncToInt(static_cast<float>(j) * h + static_cast<float>(r.top) +
                                     static_cast<float>(2 * (j - 1)));
        } else {
            band.bottom = bandArea.bottom;
        }
        y = band.bottom + 2;
        ++j;
    }
}

void LayoutReadoutCells(TrendState& s, const ReadoutTexts& texts, const ReadoutExtents& extents) {
    const int bottom = ReadoutBottom(s);
    const int top = ReadoutTop(s);
    auto cellAfter = [&](int left, int width) {
        return TrendRect{left, top, left + width, bottom};
    };
    auto valueWidth = [&](int field, const QString& text, int extent) {
        const int n = s.fixedReadoutWidths ? s.readoutWidths[field] : static_cast<int>(text.size());
        return std::max(std::max(n, 1) * s.charWidth, extent) + 4;
    };

    s.captionCell = cellAfter(s.plot.right, extents.caption + 4);
    s.timeCell = cellAfter(s.captionCell.right + 1, valueWidth(0, texts.time, extents.time));
    int right = s.timeCell.right;
    for (int i = 0; i < s.seriesCount; ++i) {
        if (!s.series[i].visible) continue;
        TrendSeries& series = s.series[i];
        series.captionCell = cellAfter(right + 1, extents.names[i] + 4);
        series.valueCell = cellAfter(series.captionCell.right + 1,
                                     valueWidth(i + 1, texts.values[i], extents.values[i]));
        right = series.valueCell.right;
    }

    const int shift = right - s.plot.right;
    auto moveLeft = [shift](TrendRect& c) {
        c.left -= shift;
        c.right -= shift;
    };
    moveLeft(s.captionCell);
    moveLeft(s.timeCell);
    for (int i = 0; i < s.seriesCount; ++i) {
        if (!s.series[i].visible) continue;
        moveLeft(s.series[i].captionCell);
        moveLeft(s.series[i].valueCell);
    }
}

int PointByX(const TrendState& s, int mx) {
    if (s.visibleCount <= 0 || mx < 0) return -1;
    const float scale = s.XScale();
    auto start = [&](int j) { return TruncToInt(static_cast<float>(j - s.scrollPos) * scale); };
    // Columns grow with the point index, so the covering point is the last one starting at
    // or left of mx (the first visible point starts at 0); points that share a column with
    // the next one cover nothing.
    int lo = s.firstVisible;
    int hi = s.firstVisible + s.visibleCount - 1;
    while (lo < hi) {
        const int mid = lo + (hi - lo + 1) / 2;
        if (start(mid) <= mx) {
            lo = mid;
        } else {
            hi = mid - 1;
        }
    }
    const bool last = lo == s.firstVisible + s.visibleCount - 1;
    if (last && mx >= s.plotWidth) return -1;
    return lo;
}

int BandAt(const TrendState& s, int x, int y) {
    if (!s.banded || s.CountShownSeries() == 0) return -1;
    for (int i = 0; i < s.seriesCount; ++i) {
        if (s.series[i].visible && s.series[i].band.Contains(x, y)) return i;
    }
    return -1;
}

TrendHit HitTest(const TrendState& s, int x, int y, bool barShown, int barHeight) {
    TrendHit hit;
    const TrendRect data{s.plot.left, s.plot.top, s.plot.right,
                         s.plot.bottom - (barShown ? barHeight : 0)};
    if (!data.Contains(x, y)) return hit;
    const int point = PointByX(s, x - s.plot.left);
    if (point < 0) return hit;
    hit.point = point;
    hit.x = s.XOfPoint(point);
    hit.band = BandAt(s, x, y);
    if (hit.band >= 0 && point < s.capacity) {
        const TrendSeries& series = s.series[hit.band];
        const float scale = VerticalScale(series.band, series.low, series.high);
        const int vy =
            ValueToY(s.ValueThroughWindow(hit.band, point), series.band, series.low, scale);
        hit.y = std::clamp(vy, series.band.top, series.band.bottom - 1);
    }
    return hit;
}

bool ClipSegmentToBand(const TrendRect& r, QLine& segment) {
    const int x1 = segment.x1(), y1 = segment.y1(), x2 = segment.x2(), y2 = segment.y2();
    const bool above1 = y1 < r.top, above2 = y2 < r.top;
    const bool below1 = y1 >= r.bottom, below2 = y2 >= r.bottom;
    const bool in1 = !above1 && !below1, in2 = !above2 && !below2;
    if (in1 && in2) return true;
    if ((above1 && above2) || (below1 && below2)) return false;
    auto xat = [&](int yc) {
        if (y1 == y2) return x2;
        const int64_t dx = static_cast<int64_t>(x2) - x1;
        return static_cast<int>(x1 + dx * (static_cast<int64_t>(yc) - y1) /
                                         (static_cast<int64_t>(y2) - y1));
    };
    const QPoint top(xat(r.top), r.top);
    const QPoint bottom(xat(r.bottom), r.bottom);
    if (above1 || above2) {
        if (in1) {
            segment = QLine(QPoint(x1, y1), top);
        } else if (in2) {
            segment = QLine(top, QPoint(x2, y2));
        } else {
            segment = QLine(top, bottom);
        }
        return true;
    }
    segment = in1 ? QLine(QPoint(x1, y1), bottom) : QLine(bottom, QPoint(x2, y2));
    return true;
}

}  // namespace qx
