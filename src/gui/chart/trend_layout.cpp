#include "trend_layout.h"

#include <algorithm>
#include <cstdint>

namespace qx {

void LayoutPlot(TrendState& s, const TrendRect& area, int barHeight) {
    TrendRect r = area;
    r.left += s.marginLeft;
    r.top += s.TopMargin();
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

int LayoutReadoutCells(TrendState& s, const ReadoutTexts& texts, const ReadoutExtents& extents) {
    const int charWidth = s.charWidth;
    auto valueWidth = [&](int field, const QString* text, int extent) {
        int n = text ? static_cast<int>(text->size()) : 1;
        if (s.fixedReadoutWidths && field < kTrendReadoutFields) n = s.readoutWidths[field];
        return std::max(std::max(n, 1) * charWidth, extent) + 4;
    };
    auto entry = [](const auto& list, int i) {
        return static_cast<size_t>(i) < list.size() ? list[static_cast<size_t>(i)] : 0;
    };
    const int room = s.plot.right - s.plot.left;

    // Cell widths and the row of every cell: the caption and time first, then the series.
    struct Cell {
        int series;  // -1: the caption and time cells
        int nameWidth;
        int valueWidth;
        int row;
    };
    std::vector<Cell> cells;
    cells.push_back({-1, extents.caption + 4, valueWidth(0, &texts.time, extents.time), 0});
    for (int i = 0; i < s.seriesCount; ++i) {
        if (!s.series[i].visible) continue;
        const QString* text = static_cast<size_t>(i) < texts.values.size()
                                  ? &texts.values[static_cast<size_t>(i)]
                                  : nullptr;
        Cell c{i, entry(extents.names, i) + 4, valueWidth(i + 1, text, entry(extents.values, i)),
               0};
        // A name that cannot share a row with its value is narrowed, down to a few pixels.
        c.nameWidth = std::max(std::min(c.nameWidth, room - 1 - c.valueWidth), 4 + charWidth);
        cells.push_back(c);
    }
    std::vector<int> rowWidths{0};
    for (Cell& c : cells) {
        const int width = c.nameWidth + 1 + c.valueWidth;
        int& row = rowWidths.back();
        if (row > 0 && row + 1 + width > room) {
            rowWidths.push_back(width);
        } else {
            row += (row > 0 ? 1 : 0) + width;
        }
        c.row = static_cast<int>(rowWidths.size()) - 1;
    }

    const int rows = static_cast<int>(rowWidths.size());
    const int pitch = s.ReadoutRowPitch();
    int row = -1;
    int x = 0;
    for (const Cell& c : cells) {
        if (c.row != row) {
            row = c.row;
            x = s.plot.right - rowWidths[static_cast<size_t>(row)];
        }
        const int bottom = ReadoutBottom(s) - (rows - 1 - row) * pitch;
        const int top = bottom - s.charHeight - 2;
        TrendRect& name = c.series < 0 ? s.captionCell : s.series[c.series].captionCell;
        TrendRect& value = c.series < 0 ? s.timeCell : s.series[c.series].valueCell;
        name = {x, top, x + c.nameWidth, bottom};
        value = {name.right + 1, top, name.right + 1 + c.valueWidth, bottom};
        x = value.right + 1;
    }
    return rows;
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
