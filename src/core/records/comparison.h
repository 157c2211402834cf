// Several instruments compared in one quantity: one history per instrument (a single recording
// is a history of one), a series id (RecordUnits::ids: temp, hum, dew, density, pressure,
// diffpressure, sound, flow, co2, hcho), a query window and, optionally, the user's limits.
//
// Units: the first instrument's (those its history's table shows, SampleTable::Build); the
// others' temperatures and pressures are converted, a flow in another unit is refused.
//
// Aligned table: loggers that started seconds apart, or record at different intervals, meet on
// one grid. Its step is the longest interval of the recordings in the window, so every
// instrument has a sample in every step it recorded; grid times are whole steps of local time
// (a 5-minute step gives :00, :05, ...). Each grid time holds, per instrument, its sample
// nearest to it within half a step before (inclusive) to half a step after (exclusive), the
// earlier of two as near; a sample without a value in the quantity holds nothing. Rows are
// the grid times where some instrument has a value; a stretch of grid times where none has one
// becomes one row without values at its first grid time, so that the chart breaks its lines
// there as at any missing value.
//
// Figures: each instrument's statistics over its own samples in the window (its history's
// table, every sample, not only those on the grid); limits are the user's when given, else
// each instrument's own (those of its latest recording in the window). Across them: the highest
// and lowest mean, the highest maximum, the lowest minimum (the first instrument of equals),
// and the largest spread between instruments at one grid time (two or more values there; the
// first of equals), all from the values as the tables show them.
#pragma once

#include <cstdint>
#include <ctime>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/library/recording_samples.h"
#include "derived_series.h"
#include "instrument_history.h"
#include "record_query.h"
#include "record_statistics.h"

namespace qx {

struct ComparisonRequest {
    std::string series = "temp";
    QueryWindow window;
    std::optional<SeriesLimits> limits;  // the user's; else each instrument's own
    double activationEnergy = kDefaultActivationEnergy;
};

struct ComparedInstrument {
    std::string label;  // "number name" (InstrumentLabel): legend and column title
    std::string model;
    std::string number;
    std::string name;
    // The quantity's figures over the instrument's samples in the window, in the comparison's
    // units; limits holds the limits used and the time below and above them.
    SeriesStatistics figures;
    int64_t interval = 0;  // of its latest recording in the window
    std::vector<RecordingSettings> settings;
    // Seconds below and above the limits; nullopt without limits.
    std::optional<int64_t> SecondsOutside() const;
};

struct ComparisonExtreme {
    int instrument = 0;
    double value = 0;
    std::time_t time = 0;  // of the maximum or minimum; 0 for a mean
};

struct ComparisonSpread {
    double value = 0;
    std::time_t time = 0;  // the grid time
    int high = 0;          // the instruments with the highest and the lowest value there
    int low = 0;
};

struct Comparison {
    std::string series;   // the id
    std::string name;     // "温度", in the current language
    std::string unit;     // "℃"
    std::string title;    // "温度(℃)"
    int decimals = 1;     // of the values; figures derived from them carry two more
    int seriesIndex = 0;  // the series 0..7 in units
    RecordUnits units;    // the first instrument's, which every value is shown in
    std::string condition;
    int64_t step = 0;  // seconds between grid times
    std::optional<SeriesLimits> limits;
    std::vector<ComparedInstrument> instruments;
    // The labels of the instruments asked for that do not measure the quantity, left out.
    std::vector<std::string> leftOut;
    // The aligned table: grid times, and per instrument one value per row (NaN: none).
    std::vector<std::time_t> times;
    std::vector<std::vector<float>> values;  // values[instrument][row]
    std::optional<ComparisonExtreme> highestMean, lowestMean, highestMax, lowestMin;
    std::optional<ComparisonSpread> largestSpread;
};

// The comparison, or nullopt with *error (when given) saying why not: no instrument, an
// instrument without recordings, an unknown series id, no instrument with the quantity (those
// of several that lack it are left out and named in leftOut),
// a unit that cannot be converted, no sample of any instrument in the window.
std::optional<Comparison> CompareHistories(std::span<const InstrumentHistory> histories,
                                           const ComparisonRequest& request,
                                           std::string* error = nullptr);

// The cell text of a value of the aligned table (the sample list's format of the quantity);
// empty for NaN.
std::string ComparisonCellText(const Comparison& comparison, float value);

// The report's summary, one line each, in the current language: the quantity, instrument
// count and query; the instruments left out, when any; the limits; the highest and lowest mean; the
// highest maximum and lowest minimum with their times; the largest spread with its time and
// instruments.
std::vector<std::string> ComparisonSummary(const Comparison& comparison);

// The table of figures as texts (printing, the window, qxlog-cli): one row per instrument.
// Columns: 仪器, 型号, 样本数, 最小值, 最小值时间, 最大值, 最大值时间, 平均值, 标准差,
// 平均动力学温度 (when some instrument has one), 下限, 上限, 低于下限时间(秒),
// 高于上限时间(秒), 超限时间(秒). A figure that does not exist is "-". With durations (reports
// and windows, not what scripts read) the three times show their length beside the seconds,
// "3600 (01:00:00)".
struct TextTable {
    std::vector<std::string> titles;
    std::vector<std::vector<std::string>> rows;
};
TextTable ComparisonFigureTable(const Comparison& comparison, bool durations = false);

// "对比报告", the printed report's title, in the current language.
const char* ComparisonReportTitle();

}  // namespace qx
