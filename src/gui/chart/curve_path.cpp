#include "curve_path.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "trend_scale.h"

namespace qx {

namespace {

int ColumnOf(int k, int scroll, float xscale) {
    return static_cast<int>(static_cast<float>(k - scroll) * xscale);
}

// The first point after j, below end, whose column lies right of column, for points whose
// columns never decrease.
int NextColumnStart(int j, int end, int column, int scroll, float xscale) {
    if (!(xscale > 0.0f)) return end;
    const double estimate =
        std::ceil(static_cast<double>(column + 1) / static_cast<double>(xscale)) + scroll;
    int k = static_cast<int>(
        std::clamp(estimate, static_cast<double>(j + 1), static_cast<double>(end)));
    while (k > j + 1 && ColumnOf(k - 1, scroll, xscale) > column) {
        --k;
    }
    while (k < end && ColumnOf(k, scroll, xscale) <= column) {
        ++k;
    }
    return k;
}

}  // namespace

void BuildCurvePath(const CurveWalk& w, CurvePath& out) {
    out.vertices.clear();
    out.runEnds.clear();
    out.marks.clear();
    out.selectedMet = false;
    if (!w.values || w.first >= w.end) return;

    const float* values = w.values;
    auto yOf = [&](float v) { return ValueToY(v, w.band, w.low, w.vscale); };
    size_t runStart = 0;
    auto push = [&](QPoint p) {
        if (out.vertices.size() > runStart && out.vertices.back() == p) return;
        out.vertices.push_back(p);
    };

    bool broken = true;  // no value yet, or a missing one since the last value
    int lastValue = -1;
    bool drawn = false;  // a vertex exists: the previous one for node marks
    QPoint previous;
    for (int j = w.first; j < w.end;) {
        const int column = ColumnOf(j, w.scrollPos, w.xscale);
        const int next = NextColumnStart(j, w.end, column, w.scrollPos, w.xscale);
        const int x = w.left + column;
        bool any = false;
        bool breakBefore = false;
        float firstV = 0, lastV = 0, lowV = 0, highV = 0;
        for (int k = j; k < next; ++k) {
            const float v = values[k];
            if (!std::isfinite(v)) {
                broken = broken || !w.joinAcrossMissing;
                continue;
            }
            if (w.gapSeconds > 0 && lastValue >= 0 && (lastValue == k - 1 || w.joinAcrossMissing) &&
                w.times[k] - w.times[lastValue] > w.gapSeconds) {
                broken = true;
            }
            if (!any) {
                any = true;
                breakBefore = broken;
                firstV = lowV = highV = v;
            } else {
                lowV = std::min(lowV, v);
                highV = std::max(highV, v);
            }
            lastV = v;
            broken = false;
            lastValue = k;
        }
        if (any) {
            if (breakBefore && out.vertices.size() > runStart) {
                out.runEnds.push_back(static_cast<int>(out.vertices.size()));
                runStart = out.vertices.size();
            }
            const QPoint at(x, yOf(firstV));
            const int r = w.markSize;
            if (r > 0 && drawn &&
                (std::abs(previous.x() - x) > r ||
                 (previous.x() == x && std::abs(previous.y() - at.y()) > r))) {
                out.marks.push_back(at);
            }
            // Through both extremes, the nearer one first, so that the column's stroke is
            // drawn over as little twice as may be.
            const int yLow = yOf(lowV), yHigh = yOf(highV);
            const bool lowFirst = std::abs(yLow - at.y()) <= std::abs(yHigh - at.y());
            push(at);
            push(QPoint(x, lowFirst ? yLow : yHigh));
            push(QPoint(x, lowFirst ? yHigh : yLow));
            push(QPoint(x, yOf(lastV)));
            previous = out.vertices.back();
            drawn = true;
            if (w.selected >= j && w.selected < next && std::isfinite(values[w.selected])) {
                out.selectedMet = true;
                out.selectedAt = QPoint(x, yOf(values[w.selected]));
            }
        }
        j = next;
    }
    if (out.vertices.size() > runStart)
        out.runEnds.push_back(static_cast<int>(out.vertices.size()));
}

}  // namespace qx
