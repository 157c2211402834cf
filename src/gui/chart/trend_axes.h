// The value axes of the trend chart: which shown series each axis is read for, and the room
// the axes take beside the plot. No painting.
//
// Three arrangements:
// - banded: every shown series has its band with a left axis of its own;
// - series axes (the owner's TrendAxis list, or the dual axes): every shown series is read
//   against an axis that names it. A series listed on an axis joins it when its range equals
//   that of the axis's first shown series; a series on no axis (or whose range differs) joins
//   an axis of the same unit and range, else it gets an axis of its own on the side that has
//   fewer. Axes stack outward from the plot, innermost first;
// - common: one black axis for the common range (no dual axes and no owner's axes).
#pragma once

#include <vector>

#include "trend_state.h"

namespace qx {

enum class TrendAxisMode { kCommon, kSeries, kBanded };

struct ResolvedAxis {
    std::vector<int> series;  // the shown series read against it; series[0] gives the range,
                              // the step, the decimals and the label colour
    bool right = false;
    QString title;  // the owner's title; empty, the series' names
    bool operator==(const ResolvedAxis&) const = default;
};

struct ResolvedAxes {
    TrendAxisMode mode = TrendAxisMode::kCommon;
    std::vector<ResolvedAxis> axes;  // none in the common arrangement
};
ResolvedAxes ResolveValueAxes(const TrendState& s);

// Where an axis sits: `offset` pixels out from the plot's edge (past the border) its inner
// boundary, `width` pixels wide up to the next axis; the labels are `labelChars` characters.
struct AxisPlace {
    int offset = 0;
    int width = 0;
    int labelChars = 1;
    bool outer = false;  // not next to the plot: draws an axis line with ticks of its own
};
// Length of an outer axis's ticks.
inline constexpr int kAxisTickLength = 3;
// The places of the axes with the label font's character width w and height h; banded axes
// all sit next to the plot, each beside its band.
std::vector<AxisPlace> PlaceAxes(const TrendState& s, const ResolvedAxes& axes, int w, int h);

// The side margins: 6 w each, or wider where the axes need it.
struct SideMargins {
    int left = 0;
    int right = 0;
};
SideMargins AxisMargins(const ResolvedAxes& axes, const std::vector<AxisPlace>& places, int w);

}  // namespace qx
