#include "trend_scroll.h"

#include <algorithm>
#include <cmath>

#include "trend_axes.h"
#include "trend_scale.h"

namespace qx {

ScrollBarSetup ComputeScrollBar(TrendState& s, int barPosition) {
    ScrollBarSetup bar;
    s.scrollScale = 1.0f;
    if (!s.ScrollingNeeded()) {
        s.lineStep = 1;
        s.scrollPos = TruncToInt(s.timeFirst);
        return bar;
    }
    if (s.timeLast > static_cast<float>(kScrollBarUnits)) {
        s.scrollScale = s.timeLast / static_cast<float>(kScrollBarUnits);
    }
    const float scale = s.scrollScale;
    bar.shown = true;
    bar.minimum = TruncToInt(s.timeFirst / scale);
    bar.maximum = TruncToInt(s.timeLast / scale) - 1;
    bar.page = TruncToInt(static_cast<float>(s.span) / scale);
    int position = barPosition;
    if (position < bar.minimum || position > bar.maximum) position = bar.minimum;
    // A scroll bar never lets its position pass the start of the last page.
    const int lastStart = std::max(bar.minimum, bar.maximum - std::max(bar.page - 1, 0));
    bar.position = std::min(position, lastStart);
    s.lineStep = std::max(s.span / 20, 1);
    s.scrollPos = TruncToInt(static_cast<float>(bar.position) * scale);
    return bar;
}

int ScrollTarget(const TrendState& s, int delta) {
    int target = s.scrollPos + delta;
    const int first = TruncToInt(s.timeFirst);
    const int last = TruncToInt(s.timeLast) - s.span;
    if (target < first) target = first;
    if (target > last) target = last;
    return target;
}

int BarPositionFor(const TrendState& s, int scrollPos) {
    return TruncToInt(static_cast<float>(scrollPos) / s.scrollScale);
}

int ScrollPosForThumb(const TrendState& s, unsigned thumb) {
    return TruncToInt(s.scrollScale * static_cast<float>(thumb));
}

SelectPointResult ApplySelectPoint(TrendState& s, int point) {
    SelectPointResult result;
    result.previous = s.selectedPoint;
    if (point < 0) point = -1;
    if (point >= s.pointCount) point = s.pointCount - 1;
    s.selectedPoint = point;
    if (point == -1) return result;

    int scroll = s.scrollPos;
    if (point < s.scrollPos) {
        scroll = point - s.span / 10;
        result.moved = true;
    } else if (point >= s.scrollPos + s.span) {
        scroll = point + s.span / 10 - s.span;
        result.moved = true;
    }
    if (result.moved) {
        if (s.timeFirst > static_cast<float>(scroll)) scroll = TruncToInt(s.timeFirst);
        s.scrollPos = scroll;
    }

    // A series whose value lies outside its band is moved to put the value on the band's
    // middle row, keeping the range's width; the series read against one axis move together.
    std::vector<std::vector<int>> groups;
    const ResolvedAxes axes = ResolveValueAxes(s);
    std::vector<bool> grouped(static_cast<size_t>(s.seriesCount), false);
    if (axes.mode == TrendAxisMode::kSeries) {
        for (const ResolvedAxis& axis : axes.axes) {
            std::vector<int> group;
            for (int i : axis.series) {
                if (grouped[static_cast<size_t>(i)]) continue;
                grouped[static_cast<size_t>(i)] = true;
                group.push_back(i);
            }
            if (!group.empty()) groups.push_back(std::move(group));
        }
    }
    for (int i = 0; i < s.seriesCount; ++i) {
        if (s.series[i].visible && !grouped[static_cast<size_t>(i)]) groups.push_back({i});
    }
    for (const std::vector<int>& group : groups) {
        for (int i : group) {
            const TrendSeries& series = s.series[i];
            const float v = s.ValueAt(i, point);
            const TrendRect& band = series.band;
            const float scale = VerticalScale(band, series.low, series.high);
            const int y = ValueToY(v, band, series.low, scale);
            if ((y >= band.top && y < band.bottom) || scale == 0.0f || !std::isfinite(v)) continue;
            const int middleOffset = band.bottom - (band.top + band.bottom) / 2 - 1;
            // The series of one axis share their range, so they keep sharing it.
            const float low = v - static_cast<float>(middleOffset) / scale;
            for (int k : group) {
                TrendSeries& moved = s.series[k];
                moved.high = moved.high - moved.low + low;
                moved.low = low;
            }
            break;
        }
    }

    s.readoutPoint = point;
    if (result.moved) s.UpdateVisibleWindow();
    return result;
}

}  // namespace qx
