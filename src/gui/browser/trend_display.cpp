#include "trend_display.h"

#include "core/model/language.h"
#include "core/records/record_legend.h"
#include "core/records/sample_table.h"
#include "gui/chart/trend_wave.h"
#include "gui/common/qt_text.h"

namespace qx {
namespace {

constexpr int kStorageCodes[kSeriesCount] = {
    kTrendStorageFloat, kTrendStorageFloat, kTrendStorageFloat, kTrendStorageFloat,
    kTrendStorageFloat, kTrendStorageFloat, kTrendStorageFloat, kTrendStorageFloat};
constexpr int kReadoutWidths[kTrendReadoutFields] = {18, 8, 8, 7, 10, 10, 8, 8, 8};
constexpr float kDefaultHighs[kSeriesCount] = {100, 100, 100, 1500, 8, 150, 10, 10000};
constexpr float kDefaultSteps[kSeriesCount] = {10, 10, 10, 150, 0.8f, 15, 1, 1000};
constexpr const char* kTimeFormat = "%y-%m-%d %H:%M:%S";
constexpr QRgb kBlack = qRgb(0, 0, 0);

QRgb ToRgb(const LegendRgb& c) {
    return qRgb(c.r, c.g, c.b);
}

// The readout shows a value as the sample list does: with the list's decimals, CO2 with "%g".
int ReadoutDecimals(int series, const RecordUnits& units) {
    if (series == 7 && (units.mask & kChCo2)) return kTrendShortestDecimals;
    return CellDecimals(series, units);
}

// Suspends the chart's drawing for a scope; at its end drawing goes back to what it was (the
// outermost scope resumes it, which redraws once).
class DrawingSuspended {
  public:
    explicit DrawingSuspended(CTrendWave& chart)
        : chart_(chart), previous_(chart.EnableDrawing(false)) {}
    ~DrawingSuspended() { chart_.EnableDrawing(previous_); }
    DrawingSuspended(const DrawingSuspended&) = delete;
    DrawingSuspended& operator=(const DrawingSuspended&) = delete;

  private:
    CTrendWave& chart_;
    bool previous_;
};

}  // namespace

void TrendDisplay::Configure(int64_t now) {
    DrawingSuspended suspended(chart_);
    chart_.AllocSeries(kSeriesCount, 1, kStorageCodes);
    chart_.SetTimeRange(0, 1);
    chart_.SetSpan(1);
    chart_.SetTimeStep(1.0f / 6.0f);

    chart_.SetSeriesText(-1, QString());
    chart_.SetFixedReadoutWidths(true);
    chart_.SetBanded(false);
    chart_.SetChartFont(kFontWidth, kFontHeight);
    chart_.SetReadoutWidths(kReadoutWidths);
    chart_.SetTimeFormat(1, QString::fromUtf8(kTimeFormat));
    chart_.timeLabelLines = 2;
    chart_.bottomMargin = 2 * kFontHeight + 4;

    const RecordUnits units = RecordUnitsOf(0, 0);
    for (int s = 0; s < kSeriesCount; ++s) {
        chart_.SelectSeries(s);
        chart_.SetSeriesPen(2, kPenSolid);
        chart_.SetSeriesText(s, QString::fromUtf8(Tr(units.names[static_cast<size_t>(s)])),
                             QString::fromUtf8(units.units[static_cast<size_t>(s)]));
        chart_.SetSeriesColor(s, ToRgb(LegendEntryLook(s).colour));
        chart_.SetSeriesDecimals(s, s < 7 ? 1 : 0);
        chart_.SetAxisDecimals(s, 0);
        chart_.SetSeriesRange(s, 0, kDefaultHighs[s]);
        chart_.SetSeriesStep(s, kDefaultSteps[s]);
    }

    chart_.SetMarkSize(0);
    chart_.SelectSeries(7);
    chart_.SetPointValue(0, 0);
    chart_.SetPointTime(0, now);
    chart_.AllocSeries(kSeriesCount, 0, kStorageCodes);

    chart_.SetDualAxes(true);
    chart_.SetAxisSeries(0, 0);
    chart_.SetAxisSeries(1, 1);
    chart_.pickOnDoubleClick = true;
    points_ = 0;
}

void TrendDisplay::Clear() {
    DrawingSuspended suspended(chart_);
    chart_.AllocSeries(kSeriesCount, 0, kStorageCodes);
    points_ = 0;
}

void TrendDisplay::SetNames(const RecordUnits& units) {
    for (int s = 0; s < kSeriesCount; ++s) {
        chart_.SetSeriesText(s, QString::fromUtf8(Tr(units.names[static_cast<size_t>(s)])),
                             QString::fromUtf8(units.units[static_cast<size_t>(s)]));
    }
}

void TrendDisplay::Fill(const SampleTable& table, const AlarmLimits& limits, int divisions) {
    DrawingSuspended suspended(chart_);
    const RecordUnits& units = table.Units();
    const int n = table.RowCount();
    type_ = units.type;
    points_ = n;
    if (n == 0) {
        chart_.AllocSeries(kSeriesCount, 0);
        SetNames(units);
        return;
    }

    TrendExtremes extremes;
    for (int i = 0; i < n; ++i)
        extremes.Add(table.Values(i));
    const int channels = ChannelCount(type_);
    ranges_ = TrendValueRanges(extremes, units, limits, channels);

    // Every series of the record, each read against an axis that names it.
    TrendSeriesList list;
    list.times.resize(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i)
        list.times[static_cast<size_t>(i)] = table.Time(i);
    for (int s = 0; s < kSeriesCount; ++s) {
        const size_t k = static_cast<size_t>(s);
        TrendLine& line = list.series.emplace_back();
        line.name = QString::fromUtf8(Tr(units.names[k]));
        line.unit = QString::fromUtf8(units.units[k]);
        line.colour = ToRgb(LegendEntryLook(s, type_).colour);
        line.penStyle = kPenSolid;
        line.penWidth = 2;
        line.decimals = ReadoutDecimals(s, units);
        line.low = ranges_[k].low;
        line.high = ranges_[k].high;
        line.step = TrendGridStep(ranges_[k], divisions);
        line.values.resize(static_cast<size_t>(n));
        for (int i = 0; i < n; ++i)
            line.values[static_cast<size_t>(i)] = table.Values(i)[k];
    }
    for (const TrendAxisGroup& group : TrendAxisGroups(type_, channels))
        list.axes.push_back({group.series, group.right, {}});
    chart_.SetSeriesList(std::move(list));

    const TrendTimeAxis axis = TrendTimeAxisFor(n);
    chart_.SetTimeRange(0, static_cast<float>(axis.last));
    chart_.SetSpan(axis.span);
    chart_.SetTimeStep(static_cast<float>(axis.step));
    baseSpan_ = axis.span;

    const TrendAxes axes = TrendAxesFor(type_, channels);
    chart_.SetDualAxes(true);
    chart_.SetAxisSeries(0, axes.left);
    chart_.SetAxisSeries(1, axes.right);
    SetAlarms(limits);
    ApplyGrids(divisions);
}

void TrendDisplay::SetAlarms(const AlarmLimits& limits) {
    const auto set = [this](int series, double low, double high, const AlarmPens& pens,
                            bool showLow) {
        chart_.SetAlarmLines(series, static_cast<float>(low), static_cast<float>(high),
                             ToRgb(pens.low.colour), ToRgb(pens.high.colour), pens.low.penStyle,
                             pens.high.penStyle);
        chart_.ShowAlarmLines(series, showLow, true);
    };
    // Lines of an earlier record's type go first.
    for (int s = 0; s < kSeriesCount; ++s)
        chart_.ShowAlarmLines(s, false, false);
    for (int s = 0; s < kSeriesCount; ++s) {
        const std::optional<SeriesLimits> lines = AlarmLinesOf(limits, type_, s);
        if (!lines) continue;
        const AlarmPens& pens = s == 0   ? kTemperatureAlarmPens
                                : s == 1 ? kHumidityAlarmPens
                                : s == 5 ? kSoundAlarmPens
                                         : kGasAlarmPens;
        set(s, lines->low.value_or(0), lines->high.value_or(0), pens, lines->low.has_value());
    }
}

void TrendDisplay::ApplyGrids(int divisions) {
    if (points_ < 1) return;
    DrawingSuspended suspended(chart_);
    chart_.SetPlotColor(kBlack);
    for (int s = 0; s < kSeriesCount; ++s) {
        const TrendRange& r = ranges_[static_cast<size_t>(s)];
        chart_.SetBandColor(s, kBlack);
        chart_.SelectSeries(s);
        chart_.SetSeriesRange(s, r.low, r.high);
        chart_.SetSeriesStep(s, TrendGridStep(r, divisions));
    }
    const std::span<const int> list = SeriesList(type_);
    if (list.size() == 1) {
        const TrendRange& r = ranges_[static_cast<size_t>(list.front())];
        chart_.SetCommonRange(r.low, r.high);
    }
}

void TrendDisplay::ZoomTime(int index) {
    if (points_ < 1) return;
    const TrendTimeZoom zoom = TimeZoomFor(baseSpan_, index);
    DrawingSuspended suspended(chart_);
    chart_.SetSpan(zoom.span);
    chart_.SetTimeStep(zoom.step);
}

void TrendDisplay::ZoomValue(int index) {
    if (points_ < 1) return;
    DrawingSuspended suspended(chart_);
    for (int s = 0; s <= 2; ++s) {
        const TrendValueZoom zoom = ValueZoomFor(ranges_[static_cast<size_t>(s)], index);
        chart_.SetSeriesRange(s, zoom.range.low, zoom.range.high);
        chart_.SetSeriesStep(s, zoom.step);
    }
}

void TrendDisplay::SetNodeMarks(bool on) {
    DrawingSuspended suspended(chart_);
    chart_.SetMarkSize(on ? 3 : 0);
}

void TrendDisplay::SetSeriesShown(const std::array<bool, kSeriesCount>& shown) {
    DrawingSuspended suspended(chart_);
    for (int s = 0; s < kSeriesCount; ++s)
        chart_.SetSeriesVisible(s, shown[static_cast<size_t>(s)]);
}

}  // namespace qx
