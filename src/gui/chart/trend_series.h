// The series list a chart's owner hands to CTrendWave::SetSeriesList in one call: any number
// of series (up to kTrendMaxSeries) over one shared axis of time-stamped points, and which
// series the value axes show. The record browser fills its chart this way; a chart comparing
// several instruments fills the same list with a series per instrument and measurement.
//
//   TrendSeriesList list;
//   list.times = {...};                                   // one per point, ascending
//   TrendLine& t = list.series.emplace_back();
//   t.name = "A0200001 冷库3"; t.unit = "℃"; t.values = {...};   // NaN where missing
//   const LegendLook& look = PaletteLook(0);              // core/records/record_legend.h
//   t.colour = qRgb(look.colour.r, look.colour.g, look.colour.b); t.penStyle = look.penStyle;
//   list.axes = {{{0, 2, 4}, false}, {{1, 3, 5}, true}};  // temperatures left, humidities right
//   chart.SetSeriesList(std::move(list));
//
// Reading the chart right is the chart's own concern: every shown series is read against an
// axis that names it. A series listed on an axis whose range differs from the axis's first
// shown series, or listed on none, joins an axis of the same unit and range or gets an axis of
// its own. A missing value breaks the line there; a value with both neighbours missing is
// drawn as a point.
#pragma once

#include <QRgb>
#include <QString>
#include <cstdint>
#include <vector>

namespace qx {

// Readout decimals that print the value with "%g", as the sample list prints CO2.
inline constexpr int kTrendShortestDecimals = -1;

struct TrendLine {
    QString name;  // readout, axis title and legend; kept whole, elided with "…" only where
    QString unit;  // the room runs out
    QRgb colour = qRgb(0, 0, 0);
    int penStyle = 0;  // 0 solid, 1 dash, 2 dot, 3 dash-dot, 4 dash-dot-dot
    int penWidth = 2;
    int decimals = 1;      // of the readout value: 0..8, or kTrendShortestDecimals
    int axisDecimals = 0;  // of the axis labels: 0..5, 0 prints "%g"
    // Value range drawn over the band's height and its grid step. A range that is not
    // high > low is taken from the values (RoundRange); a step of 0 or less is a fifth of it.
    float low = 0;
    float high = 0;
    float step = 0;
    bool visible = true;
    std::vector<float> values;  // one per time stamp; NaN, or an entry past the end, is missing
};

// One value axis: the series read against it, innermost first on its side.
struct TrendAxis {
    std::vector<int> series;  // indexes into TrendSeriesList::series; the first shown one
                              // gives the range, the step, the decimals and the label colour
    bool right = false;
    // Drawn in black instead of the series' names, with black labels, for an axis whose
    // series are all one quantity and are named by the legend ("温度(℃)" over a dozen
    // instruments).
    QString title;
    bool operator==(const TrendAxis&) const = default;
};

struct TrendSeriesList {
    std::vector<int64_t> times;  // seconds since 1970 (UTC), one per point, at most
                                 // kTrendMaxPoints
    std::vector<TrendLine> series;
    std::vector<TrendAxis> axes;
    // Neighbouring values whose time stamps lie further apart are not joined (the gap between
    // two recordings); 0 joins them whatever their distance.
    int64_t gapSeconds = 0;
    // For series sampled at times of their own on the shared axis (instruments that do not
    // sample at the same moments): a missing value then only means "not sampled at this
    // point", and each line runs on to its next value unless the two lie more than gapSeconds
    // apart. Off, a missing value breaks the line.
    bool joinAcrossMissing = false;
};

}  // namespace qx
