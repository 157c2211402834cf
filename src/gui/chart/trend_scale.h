// Scale arithmetic and texts of the trend chart: value-to-pixel mapping, the ticks of the time
// and value axes, and the label, time and readout texts. No painting.
#pragma once

#include <QString>
#include <array>
#include <cstdint>
#include <vector>

#include "trend_state.h"

namespace qx {

// Vertical scale of a value range drawn in a rectangle: pixels per value unit.
inline float VerticalScale(const TrendRect& r, float low, float high) {
    return static_cast<float>(r.bottom - r.top - 1) / (high - low);
}
// Pixel row of value v in rectangle r for the range starting at low with scale s.
inline int ValueToY(float v, const TrendRect& r, float low, float s) {
    return TruncToInt(static_cast<float>(r.bottom - 1) - (v - low) * s);
}

struct TimeTick {
    float position = 0.0f;  // in point positions
    int x = 0;
    bool grid = false;  // draws a vertical grid line; every tick is a label candidate
};

struct ValueTick {
    float value = 0.0f;
    int y = 0;
    bool grid = false;  // draws a horizontal grid line; every tick gets a label
};

// A tick walk stops after this many ticks, so that a tiny step cannot stall the drawing.
inline constexpr int kMaxTicks = 4000;

// The ticks of the time axis for the current scroll position, span, time step and plot.
void TimeTicks(const TrendState& s, std::vector<TimeTick>& out);
// The ticks of a value axis along rectangle r for the range low..high with the given step.
void ValueTicks(const TrendRect& r, float low, float high, float step, std::vector<ValueTick>& out);

// A time stamp in local time with a strftime format.
QString FormatTrendTime(int64_t t, const QString& format);
// Label of the time tick at a position: the time of point trunc(position), or empty.
QString TimeLabelText(const TrendState& s, float position);

// A two-line time label: the part after the text's last space goes on top, the part before
// it below. Without a space the whole text is the upper line.
struct TimeLabelLines {
    QString upper;
    QString lower;
};
TimeLabelLines SplitTimeLabel(const QString& text);

// A label candidate of the time axis: one per tick, centred on the tick's column.
struct TimeLabel {
    QString text;
    int left = 0;
    int width = 0;  // characters (of the longer line) x character width
    bool drawn = false;
};
// The candidates for the ticks, with the label font's character width, and which of them
// are drawn: when any two neighbours overlap only the first and the last are, and a text is
// never drawn twice in a row (so empty texts never are).
void MakeTimeLabels(const TrendState& s, const std::vector<TimeTick>& ticks, int charWidth,
                    std::vector<TimeLabel>& out);
void ChooseTimeLabels(std::vector<TimeLabel>& labels);

// Value-axis label: "%g" for 0 decimals, else "%.<d>f" with trailing zeros (and a bare point)
// removed; at most 39 characters.
QString AxisLabelText(float v, int decimals);
// The label of tick v on an axis with the given tick step where at most maxChars characters
// fit: AxisLabelText when it fits. Otherwise the value rounded to the decimals the step needs
// (its own decimals, up to 6, else one more than its first significant digit needs), fewer
// while still too long but never fewer than keep neighbouring ticks apart, and at last
// "%.<p>g" with the most significant digits that fit. A label is never cut, so it never
// reads as another number; the shortest form is returned when nothing fits.
QString FittedAxisLabelText(float v, int decimals, float step, int maxChars);

// Characters of the widest label of a value axis over low..high (AxisLabelText of every tick),
// at most kAxisLabelCharLimit; at least 1.
inline constexpr int kAxisLabelCharLimit = 10;
int AxisLabelChars(float low, float high, float step, int decimals);

// Readout value: "%.<d>f %s" of the value and the unit ("%g %s" for kTrendShortestDecimals);
// at most 39 characters: a number that would be longer is written with "%g". A missing value
// reads "--".
QString ReadoutValueText(float v, int decimals, const QString& unit);

// Texts of the readout strip for point j, read through the visible window; one entry per
// series (at least kTrendDefaultSeries).
struct ReadoutTexts {
    QString time;
    std::vector<QString> names = std::vector<QString>(kTrendDefaultSeries);   // name or number
    std::vector<QString> values = std::vector<QString>(kTrendDefaultSeries);  // shown series
};
ReadoutTexts MakeReadoutTexts(const TrendState& s, int j);

// Cuts a text to at most limit UTF-16 units without splitting a surrogate pair.
QString CutText(const QString& text, int limit);
// A text of at most limit UTF-16 units: whole when it fits, else cut and ended with "…".
QString LimitText(const QString& text, int limit);

}  // namespace qx
