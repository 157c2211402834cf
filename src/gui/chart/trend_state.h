// Data and settings of the trend chart: float series over one shared axis of time-stamped
// points, the visible window of points, and the layout results the drawing uses. Plain data
// with the arithmetic that needs no painting; CTrendWave (trend_wave.h) owns one.
#pragma once

#include <QRgb>
#include <QString>
#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "trend_series.h"

namespace qx {

// A new chart has the records of eight series; a data set may have up to kTrendMaxSeries.
inline constexpr int kTrendDefaultSeries = 8;
inline constexpr int kTrendMaxSeries = 64;
// A year at one-minute intervals, or sixteen instruments' full memories side by side.
inline constexpr int kTrendMaxPoints = 1 << 20;
inline constexpr int kTrendStorageFloat = 3;   // the only storage code: 32-bit float
inline constexpr int kTrendReadoutFields = 9;  // time, then series 0..7 (later series: text)
// Names and the time caption are kept whole up to this many UTF-16 units, units up to
// kTrendUnitLimit; longer texts end in "…".
inline constexpr int kTrendNameLimit = 64;
inline constexpr int kTrendUnitLimit = 16;
inline constexpr int kTrendFormatLimit = 99;

// A rectangle in drawing coordinates; right and bottom lie just outside it, so the width is
// right - left.
struct TrendRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
    TrendRect Grown(int d) const { return {left - d, top - d, right + d, bottom + d}; }
    bool operator==(const TrendRect&) const = default;
};

// A horizontal reference line at a fixed value of a series.
struct TrendAlarmLine {
    bool shown = false;
    float level = 0.0f;
    QRgb colour = qRgb(0, 0, 0);
    int penStyle = 0;  // 0 solid, 1 dash, 2 dot, 3 dash-dot, 4 dash-dot-dot
    bool operator==(const TrendAlarmLine&) const = default;
};

struct TrendSeries {
    std::vector<float> values;  // capacity + 2 entries while the series exists
    int storageCode = kTrendStorageFloat;
    QRgb colour = qRgb(0, 0, 0);
    QRgb bandColour = qRgb(255, 255, 255);
    int penWidth = 1;
    int penStyle = 0;
    float low = -200.0f;
    float high = 200.0f;
    float step = 20.0f;
    bool visible = true;
    QString name;                          // at most kTrendNameLimit UTF-16 units
    QString unit;                          // at most kTrendUnitLimit UTF-16 units
    int readoutDecimals = 0;               // 0..8, or kTrendShortestDecimals
    int axisDecimals = 0;                  // 0..5; 0 prints with "%g"
    std::array<TrendAlarmLine, 2> alarms;  // low line, high line
    TrendRect band;                        // where the series is drawn (Layout)
    TrendRect captionCell;                 // readout strip cells (LayoutReadoutCells)
    TrendRect valueCell;
    bool operator==(const TrendSeries&) const = default;
};

struct TrendState {
    TrendState();

    // Data.
    int seriesCount = 0;
    int currentSeries = 0;
    int pointCount = 0;
    int capacity = 0;
    std::vector<int64_t> times;  // capacity + 2 entries, seconds since 1970 (UTC)
    // At least kTrendDefaultSeries records; those from seriesCount on hold no values.
    std::vector<TrendSeries> series;
    int64_t gapSeconds = 0;          // neighbours further apart in time are not joined; 0: never
    bool joinAcrossMissing = false;  // missing values do not break the lines (trend_series.h)

    // Horizontal axis, counted in point positions.
    float timeFirst = 0.0f;
    float timeLast = 0.0f;
    int span = 100;
    int scrollPos = 0;
    int lineStep = 1;
    float timeStep = 10.0f;
    float scrollScale = 1.0f;  // scroll-bar units x scale = point positions
    int firstVisible = 0;
    int visibleCount = 0;

    // Value axes.
    float commonLow = -200.0f;
    float commonHigh = 200.0f;
    float commonStep = 20.0f;
    int commonDecimals = 0;  // chart-wide values that date-time labels do not use
    int commonAxisDecimals = 0;
    bool dualAxes = false;
    std::array<int, 2> axisSeries{-1, -1};
    // The owner's value axes (SetValueAxes, SetSeriesList); when given they replace the dual
    // axes above.
    std::vector<TrendAxis> axisSpecs;

    // Texts.
    QString timeCaption;
    QString timeFormat = QStringLiteral("%y-%m-%d %H:%M:%S");
    int timeLabelMode = 0;
    int timeLabelLines = 1;  // 2: date and time of day on separate lines
    std::array<int, kTrendReadoutFields> readoutWidths{10, 10, 10, 10, 10, 10, 10, 10, 10};
    bool fixedReadoutWidths = false;
    int charWidth = 7;  // the chart font's character width and height
    int charHeight = 14;

    // Behaviour.
    bool pickOnDoubleClick = false;
    bool drawingEnabled = true;
    bool banded = false;
    int markSize = 0;
    int selectedPoint = -1;
    int readoutPoint = 0;
    int crossX = -1;
    int crossY = -1;

    // Look.
    QRgb frameColour = qRgb(192, 192, 192);
    QRgb plotColour = qRgb(255, 255, 255);
    QRgb borderColour = qRgb(0, 0, 0);
    QRgb separatorColour = qRgb(128, 0, 0);
    QRgb gridColour = qRgb(192, 192, 192);
    int gridWidth = 1;
    int borderThickness = 1;
    bool dottedGrid = true;
    int marginLeft = 70;
    int marginTop = 26;
    int marginRight = 42;
    int bottomMargin = 18;

    // Layout results.
    TrendRect plot;
    int plotWidth = 0;
    int plotHeight = 0;  // reduced by the scroll bar's height while scrolling is needed
    int visibleSeries = 0;
    TrendRect captionCell;  // readout strip: time caption and time value cells
    TrendRect timeCell;
    int readoutRows = 1;  // rows of the readout strip; the top margin grows by the extra ones

    bool operator==(const TrendState&) const = default;

    // Starts a new data set of n series (1..kTrendMaxSeries) and the given number of points
    // (0..kTrendMaxPoints, more is cut to kTrendMaxPoints), keeping the storage codes unless
    // codes (one per series) are given. Returns false and changes nothing when an argument is
    // out of range. The caller updates the scroll bar.
    bool AllocSeries(int n, int points, std::span<const int> codes = {});

    // Takes a whole data set (trend_series.h): the points, the series with their looks, ranges
    // and texts, the value axes; alarm lines are cleared, band colours kept. The time axis
    // then shows every point with about six grid steps. Returns false and changes nothing
    // without series, with more than kTrendMaxSeries or more than kTrendMaxPoints points.
    bool SetSeriesList(TrendSeriesList&& list);

    // Series records up to index n - 1 exist (new ones with their default look).
    void EnsureSeriesRecords(int n);
    bool HasSeriesRecord(int s) const { return s >= 0 && s < static_cast<int>(series.size()); }

    // The points whose positions lie in [scrollPos, scrollPos + span].
    void UpdateVisibleWindow();

    // A series is drawn when it exists and is visible.
    bool SeriesShown(int s) const { return s >= 0 && s < seriesCount && series[s].visible; }
    int CountShownSeries() const;

    // Point j read through the visible window: clamped into it; 0 when it is empty or the
    // series has no values.
    float ValueThroughWindow(int s, int j) const;
    int64_t TimeThroughWindow(int j) const;
    // The stored value of point j itself; 0 outside the arrays.
    float ValueAt(int s, int j) const;

    // The top margin with the readout strip's extra rows (one row is part of marginTop).
    int TopMargin() const;
    // Distance from one readout row to the next.
    int ReadoutRowPitch() const { return charHeight + 5; }

    // Scrolling is needed when the time range is wider than the span and there are points.
    bool ScrollingNeeded() const {
        return span > 0 && pointCount != 0 && static_cast<float>(span) < timeLast - timeFirst;
    }

    float XScale() const { return static_cast<float>(plotWidth - 1) / static_cast<float>(span); }
    // Pixel column of position p.
    int XOf(float p) const;
    int XOfPoint(int j) const;

  private:
    int WindowIndex(int j) const;
};

// Float to int toward zero, saturated so that infinite, huge or NaN values stay drawable
// (NaN goes to the lowest value, as the processor's own conversion does).
int TruncToInt(float v);

}  // namespace qx
