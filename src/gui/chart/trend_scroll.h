// Scroll arithmetic of the trend chart: the scroll bar's range in bar units (scaled down when
// the time range exceeds what a scroll bar can count), line, page and thumb moves, and the
// selection of a point that brings it into view. No window calls.
#pragma once

#include "trend_state.h"

namespace qx {

// Largest position a scroll bar counts; longer time ranges are scaled down to it.
inline constexpr int kScrollBarUnits = 32767;

struct ScrollBarSetup {
    bool shown = false;
    int minimum = 0;
    int maximum = 0;  // last bar unit of the range, included
    int page = 0;
    int position = 0;  // bar position once the range is set
};

// Recomputes the scroll scale, the line step and the scroll position from the time range, the
// span and the bar's current position, and says how the bar is to be set.
ScrollBarSetup ComputeScrollBar(TrendState& s, int barPosition);

// The scroll position after a line or page move by delta, kept inside the time range (the
// upper limit wins when the range is narrower than the span).
int ScrollTarget(const TrendState& s, int delta);
// Bar position of a scroll position, and scroll position of a dragged thumb.
int BarPositionFor(const TrendState& s, int scrollPos);
int ScrollPosForThumb(const TrendState& s, unsigned thumb);

struct SelectPointResult {
    int previous = -1;   // the selected point before
    bool moved = false;  // the scroll position changed to bring the point into view
};
// Selects a point (limited to -1 .. point count - 1; -1 clears the selection), scrolls it into
// view, recentres the range of every shown series whose value at the point lies outside its
// band, and makes it the readout point. The caller updates the bar, the visible window and
// redraws.
SelectPointResult ApplySelectPoint(TrendState& s, int point);

}  // namespace qx
