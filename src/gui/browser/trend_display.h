// What the record browser tells its trend chart: the one-time configuration (eight series with
// their colours, pens, names, decimals and default ranges, two-line date-time labels, dual
// axes, picking by double click), and per query the points, the time axis, the stepped value
// ranges, the axes, the alarm lines and the grids; then the zoom choices, node marks and the
// series shown. The arithmetic lives in records/trend_ranges.h.
#pragma once

#include <array>
#include <cstdint>

#include "core/records/derived_series.h"
#include "core/records/trend_ranges.h"

namespace qx {

class CTrendWave;
class SampleTable;

class TrendDisplay {
  public:
    static constexpr int kFontWidth = 7;
    static constexpr int kFontHeight = 14;

    explicit TrendDisplay(CTrendWave& chart) : chart_(chart) {}

    // Once, when the browser is first shown; now is put into the placeholder point.
    void Configure(int64_t now);

    // Every selected sample of the table as one point, with the ranges, axes, alarm lines and
    // grids (divisions: 10 while the lists show, else 5). No record: eight empty series.
    void Fill(const SampleTable& table, const AlarmLimits& limits, int divisions);
    void Clear();

    // The value grids with d divisions and the black plot background; only after a fill with
    // points (the ranges are those of that fill).
    void ApplyGrids(int divisions);

    // Zoom list entries (kTimeZoomTexts, kValueZoomTexts); only after a fill with points.
    void ZoomTime(int index);
    void ZoomValue(int index);
    void SetNodeMarks(bool on);
    void SetSeriesShown(const std::array<bool, kSeriesCount>& shown);

    int PointCount() const { return points_; }
    int BaseSpan() const { return baseSpan_; }
    const TrendRanges& Ranges() const { return ranges_; }

  private:
    void SetNames(const RecordUnits& units);
    void SetAlarms(const AlarmLimits& limits);

    CTrendWave& chart_;
    InstrumentTypeId type_ = 0;
    int points_ = 0;
    int baseSpan_ = 1;
    TrendRanges ranges_{};
};

}  // namespace qx
