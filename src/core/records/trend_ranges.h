// The arithmetic of a record's trend display: the time axis of a fill, the value ranges of
// the eight series widened to whole steps and clamped, which series the two value axes show,
// the value grid steps, and the time and value zoom choices. Plain functions over numbers, so
// the record browser only passes their results on to the chart.
//
// Every "whole step" below truncates toward zero, twice: H = t * trunc(trunc(h + t - 0.1) / t)
// and L = t * trunc(trunc(l - t + 0.1) / t), with t = 10 for temperature, humidity and sound
// level, 100 for pressure (10 in psi) and for CO2, and 100 hundredths for formaldehyde.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "derived_series.h"

namespace qx {

// The time axis of a fill of n points: positions 0..last, span points shown at once (the base
// span of the zoom), a grid line every step points.
//   last = max(n - 1, 6); h = (last + 5) / 6 within 2..100; span = 5 * h; step = h.
struct TrendTimeAxis {
    int last = 0;
    int span = 0;
    int step = 0;
};
TrendTimeAxis TrendTimeAxisFor(int pointCount);

struct TrendRange {
    float low = 0;
    float high = 0;
    bool operator==(const TrendRange&) const = default;
};
using TrendRanges = std::array<TrendRange, kSeriesCount>;

// Highest and lowest value of every series over the points of a fill. The first point sets
// both, except that the highest value of series 3, 5 and 7 starts at 0. Values that are not
// finite (a dew point of 0 % humidity) are left out.
class TrendExtremes {
  public:
    void Add(const SeriesValues& values);
    bool Empty() const { return count_ == 0; }
    const TrendRange& Of(int series) const { return ranges_[static_cast<size_t>(series)]; }

  private:
    TrendRanges ranges_{};
    std::array<bool, kSeriesCount> seen_{};
    int count_ = 0;
};

// A range around low..high of exactly `divisions` round steps (1, 2 or 5 times a power of
// ten) from a whole multiple of the step, the smallest such step: grids of 5 or 10 divisions
// then fall on round values. A single value gets a range around it.
TrendRange RoundRange(double low, double high, int divisions = 10);

// The value ranges of a fill: every series' extremes widened to whole steps together with its
// alarm limits, series 0 and 1 sharing one range when the type shows three or more quantities,
// then clamped (temperature top within 0..140 °C or 32..284 °F, humidity top within 0..100,
// the dew point on the temperature's range, no range narrower than 0.005). The quantities with
// a scale of their own (air density, differential pressure, flow and the flow meter's sound
// level) take RoundRange of their extremes. channelCount is the type's (0 counts as 1).
TrendRanges TrendValueRanges(const TrendExtremes& extremes, const RecordUnits& units,
                             const AlarmLimits& limits, int channelCount);

// The series of the left (0) and right (1) value axis: one quantity shows the type's first
// series on both; two show temperature and humidity; more show temperature and, on the right,
// CO2 or formaldehyde (types 8, 11) or pressure.
struct TrendAxes {
    int left = 0;
    int right = 1;
};
TrendAxes TrendAxesFor(InstrumentTypeId type, int channelCount);

// The grid step of a value range with d divisions: (high - low) / d, and above 20 rounded down
// to a multiple of d.
float TrendGridStep(const TrendRange& range, int divisions);

// The value axes of a record's chart, innermost first on each side: temperature on the left
// with the dew point and, for three or more quantities, the humidity that shares its range;
// humidity (two quantities), CO2 or formaldehyde, or pressure on the right; one quantity on
// both sides. Every further series of the type gets an axis of its own, alternately left and
// right.
struct TrendAxisGroup {
    std::vector<int> series;
    bool right = false;
    bool operator==(const TrendAxisGroup&) const = default;
};
std::vector<TrendAxisGroup> TrendAxisGroups(InstrumentTypeId type, int channelCount);

// Time zoom entries "缩小10X" .. "放大10X" and value zoom entries "不变(1x)" .. "放大16X",
// untranslated: the list that shows them passes each through Tr().
inline constexpr int kTimeZoomCount = 7;
inline constexpr int kTimeZoomNeutral = 3;  // "不变(1x)"
inline constexpr int kValueZoomCount = 7;
extern const char* const kTimeZoomTexts[kTimeZoomCount];
extern const char* const kValueZoomTexts[kValueZoomCount];

// Time zoom entry index of a base span: span = max(base * factor, 1) points, grid step
// max(1, trunc(span / 6 + 0.5)). An index outside the list counts as "不变(1x)".
struct TrendTimeZoom {
    int span = 1;
    float step = 1;
};
TrendTimeZoom TimeZoomFor(int baseSpan, int index);

// Value zoom entry index of a fill's range: the top becomes high / factor, the grid step a
// tenth of the zoomed range. An index outside the list counts as "不变(1x)".
struct TrendValueZoom {
    TrendRange range;
    float step = 0;
};
TrendValueZoom ValueZoomFor(const TrendRange& range, int index);

}  // namespace qx
