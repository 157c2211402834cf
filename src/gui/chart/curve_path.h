// The vertices a series' curve is drawn through, made per pixel column: the points of the
// visible window that fall on one column give the column's first, lowest, highest and last
// value, so a column of many points draws as one vertical stroke that shows every peak, and a
// window of a quarter of a million points costs no more to draw than the plot has columns.
// A missing value (NaN, or a time gap wider than the gap limit) ends a run of the line; a run
// of one vertex is a point whose neighbours are both missing. No painting.
#pragma once

#include <QPoint>
#include <cstdint>
#include <vector>

#include "trend_state.h"

namespace qx {

struct CurveWalk {
    const float* values = nullptr;
    const int64_t* times = nullptr;  // read only with a gap limit
    int first = 0;                   // visible window: points first .. end - 1
    int end = 0;
    int scrollPos = 0;
    float xscale = 1.0f;
    int left = 0;  // plot left: column 0
    TrendRect band;
    float low = 0.0f;
    float vscale = 1.0f;
    int selected = -1;
    int markSize = 0;
    int64_t gapSeconds = 0;
    // A missing value is a time the series was not sampled at: the line runs on past it
    // (unless the values on either side lie more than gapSeconds apart).
    bool joinAcrossMissing = false;
};

struct CurvePath {
    std::vector<QPoint> vertices;
    std::vector<int> runEnds;   // end (exclusive) of every run in vertices, in order
    std::vector<QPoint> marks;  // node-mark centres
    bool selectedMet = false;   // the selected point has a value in the window
    QPoint selectedAt;
};

void BuildCurvePath(const CurveWalk& walk, CurvePath& out);

}  // namespace qx
