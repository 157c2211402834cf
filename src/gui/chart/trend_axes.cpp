#include "trend_axes.h"

#include <algorithm>

#include "trend_scale.h"

namespace qx {

namespace {

bool SameRange(const TrendSeries& a, const TrendSeries& b) {
    return a.low == b.low && a.high == b.high;
}

bool Listed(const ResolvedAxis& axis, int series) {
    return std::find(axis.series.begin(), axis.series.end(), series) != axis.series.end();
}

}  // namespace

ResolvedAxes ResolveValueAxes(const TrendState& s) {
    ResolvedAxes out;
    if (s.banded && s.CountShownSeries() > 0) {
        out.mode = TrendAxisMode::kBanded;
        for (int i = 0; i < s.seriesCount; ++i) {
            if (s.SeriesShown(i)) out.axes.push_back({{i}, false, {}});
        }
        return out;
    }

    std::vector<TrendAxis> specs = s.axisSpecs;
    if (specs.empty()) {
        const int a0 = s.axisSeries[0];
        const int a1 = s.axisSeries[1];
        if (!s.dualAxes || a0 < 0 || a1 < 0 || a0 >= s.seriesCount || a1 >= s.seriesCount) {
            return out;  // the common axis
        }
        specs = {{{a0}, false, {}}, {{a1}, true, {}}};
    }
    out.mode = TrendAxisMode::kSeries;

    std::vector<bool> covered(static_cast<size_t>(s.seriesCount), false);
    for (const TrendAxis& asked : specs) {
        ResolvedAxis axis{{}, asked.right, asked.title};
        for (int i : asked.series) {
            if (!s.SeriesShown(i) || Listed(axis, i)) continue;
            if (!axis.series.empty() && !SameRange(s.series[axis.series.front()], s.series[i])) {
                continue;
            }
            axis.series.push_back(i);
            covered[static_cast<size_t>(i)] = true;
        }
        if (!axis.series.empty()) out.axes.push_back(std::move(axis));
    }

    for (int i = 0; i < s.seriesCount; ++i) {
        if (!s.SeriesShown(i) || covered[static_cast<size_t>(i)]) continue;
        const TrendSeries& series = s.series[i];
        auto same = std::find_if(out.axes.begin(), out.axes.end(), [&](const ResolvedAxis& a) {
            const TrendSeries& first = s.series[a.series.front()];
            return SameRange(first, series) && first.unit == series.unit;
        });
        if (same != out.axes.end()) {
            same->series.push_back(i);
            continue;
        }
        const auto rights = std::count_if(out.axes.begin(), out.axes.end(),
                                          [](const ResolvedAxis& a) { return a.right; });
        const auto lefts = static_cast<std::ptrdiff_t>(out.axes.size()) - rights;
        out.axes.push_back({{i}, rights <= lefts, {}});
    }
    return out;
}

std::vector<AxisPlace> PlaceAxes(const TrendState& s, const ResolvedAxes& axes, int w, int h) {
    std::vector<AxisPlace> places;
    int offset[2] = {s.borderThickness, s.borderThickness};
    for (const ResolvedAxis& axis : axes.axes) {
        const TrendSeries& first = s.series[axis.series.front()];
        AxisPlace place;
        place.labelChars = AxisLabelChars(first.low, first.high, first.step, first.axisDecimals);
        int& side = offset[axis.right ? 1 : 0];
        place.outer = axes.mode == TrendAxisMode::kSeries && side > s.borderThickness;
        place.offset = axes.mode == TrendAxisMode::kBanded ? s.borderThickness : side;
        // Gap, labels, gap, the title line, and the space before the next axis.
        place.width =
            w / 2 + (place.outer ? kAxisTickLength : 0) + place.labelChars * w + 2 + h + w;
        if (axes.mode == TrendAxisMode::kSeries) side += place.width;
        places.push_back(place);
    }
    return places;
}

SideMargins AxisMargins(const ResolvedAxes& axes, const std::vector<AxisPlace>& places, int w) {
    SideMargins m{6 * w, 6 * w};
    for (size_t k = 0; k < places.size(); ++k) {
        const int reach = places[k].offset + places[k].width - w + 2;
        int& side = axes.axes[k].right ? m.right : m.left;
        side = std::max(side, reach);
    }
    return m;
}

}  // namespace qx
