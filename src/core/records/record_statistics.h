// The figures of a record query: for every series of the sample list, count, missing values,
// extremes with their times, mean, standard deviation and (measured temperature) the mean
// kinetic temperature; for the series with limits, the samples and time below and above them
// and the list of excursions.
//
// Every figure comes from the values as the sample list shows them (the number of each cell's
// text), so figures recomputed from an export agree. An empty cell (a dew point at 0 %RH) is
// missing: it counts in `missing` only, and it ends an excursion.
//
//   mean   sum / n                     stdev  sample standard deviation (n - 1), 0 for n = 1
//   MKT    (dH/R) / -ln((1/n) * sum exp(-(dH/R) / Ti)), Ti in kelvin (°C + 273.15); a
//          Fahrenheit record is converted to °C for the formula and the result back. R is
//          8.3144 J/(mol K), so the default dH of 83.144 kJ/mol gives dH/R = 10,000 K. No MKT
//          when a value lies at or below absolute zero. Only the measured temperature has
//          one: the dew point is no temperature of stored goods.
//   limits a sample is above when its value > high, below when value < low: a value equal
//          to a limit is inside. Values and the record's limits are compared as the list
//          shows them (ShownValue): a record limit is converted into the display unit like a
//          sample at the limit and rounded the same way, so the excursions of a record are
//          the same in °C and °F. Limits given instead are taken as given.
//          Time is the sum of the samples' intervals (the record's; in a history each
//          recording's): one sample outside lasts one interval. An excursion is a maximal run
//          of consecutive selected samples on one side; a missing value, or a gap row of a
//          history's table, ends it and adds no time. Its peak is its highest (above) or
//          lowest (below) value, first met. The two sides are followed each on its own, so
//          record limits with low above high (reported, `inverted`) count a sample between
//          them on both.
//
// Mean, standard deviation and MKT are rounded to two decimals more than the series shows. No
// figure is negative zero.
#pragma once

#include <array>
#include <cmath>
#include <cstdint>
#include <ctime>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "derived_series.h"

namespace qx {

class SampleTable;
struct RecordSet;
struct SampleColumn;

// dH of the mean kinetic temperature in kJ/mol, its accepted range and the gas constant.
inline constexpr double kDefaultActivationEnergy = 83.144;
inline constexpr double kMinActivationEnergy = 1;
inline constexpr double kMaxActivationEnergy = 1000;
inline constexpr double kGasConstant = 8.3144;  // J/(mol K)

struct StatisticsSettings {
    double activationEnergy = kDefaultActivationEnergy;  // kJ/mol
    // Limits the user sets for a series instead of the record's (any series of the list).
    std::array<std::optional<SeriesLimits>, kSeriesCount> limits{};
};

enum class LimitSide { Below, Above };

struct Excursion {
    LimitSide side = LimitSide::Above;
    int firstRow = 0;  // rows of the sample table
    int lastRow = 0;
    std::time_t start = 0;  // time of the first and the last sample
    std::time_t end = 0;
    int samples = 0;
    int64_t seconds = 0;
    double peak = 0;
    std::time_t peakTime = 0;
};

struct SideTotal {
    int samples = 0;
    int64_t seconds = 0;
};

struct LimitSummary {
    SeriesLimits limits;
    bool overridden = false;  // the user's limits, not the record's
    bool inverted = false;    // low above high (only a record's can be)
    SideTotal below;
    SideTotal above;
    std::vector<Excursion> excursions;  // in time order
    int longest = -1;                   // index of the longest excursion (the first of equals)
};

struct SeriesStatistics {
    int series = 0;
    const char* id = "";  // language-neutral: temp, hum, dew, density, pressure, ...
    std::string title;    // the list's column title, "温度(℃)"
    std::string unit;
    int decimals = 1;  // of the list's cells; figures derived from values carry two more
    int count = 0;     // samples with a value
    int missing = 0;   // empty cells
    // Only when count > 0:
    double min = 0, max = 0;
    std::time_t minTime = 0, maxTime = 0;
    double mean = 0, stdev = 0;
    std::optional<double> mkt;           // temperature series only
    std::optional<LimitSummary> limits;  // series with limits only
};

struct RecordStatistics {
    // The record and the query, as the header of every view of these figures.
    std::string file;  // the record file, when the caller names it
    std::string model;
    std::string number;
    std::string name;
    std::string condition;
    int64_t interval = 0;             // seconds (a history: of the recording whose units it shows)
    int total = 0;                    // samples of the record
    int samples = 0;                  // samples selected
    std::time_t first = 0, last = 0;  // only when samples > 0
    double activationEnergy = kDefaultActivationEnergy;
    RecordUnits units;                     // of the table's record
    std::vector<SeriesStatistics> series;  // in list order
};

// The figures of the table's rows and series; interval is the one the header shows, the
// times outside limits take each row's own (SampleTable::Interval). recordLimits are the limits of
// the record in display units (AlarmLimitsOf), taken to three decimals more than the series shows;
// settings may replace them per series and change dH.
RecordStatistics ComputeStatistics(const SampleTable& table, int64_t interval,
                                   const AlarmLimits& recordLimits,
                                   const StatisticsSettings& settings);

// The same figures taken a piece of the table at a time (records/table_pieces.h), exactly as
// ComputeStatistics would give them for one table of all the pieces: the columns and units
// are those of every piece, whose rows are counted on from the pieces before.
class RunningStatistics {
  public:
    RunningStatistics(std::span<const SampleColumn> columns, const RecordUnits& units,
                      int64_t interval, const AlarmLimits& recordLimits,
                      const StatisticsSettings& settings);
    ~RunningStatistics();
    RunningStatistics(RunningStatistics&&) noexcept;
    RunningStatistics& operator=(RunningStatistics&&) noexcept;

    void Add(const SampleTable& piece);
    // The figures of every piece added; total is the table's TotalCount. Once only.
    RecordStatistics Finish(int total);

  private:
    struct Series;
    double dhOverR_;
    RecordStatistics rs_;
    std::vector<Series> series_;
    int rows_ = 0;  // rows of the pieces before
};

// The same with the record's interval, limits and header texts, for the table built from set
// with the query whose condition text is given.
RecordStatistics ComputeRecordStatistics(const RecordSet& set, const SampleTable& table,
                                         std::string_view condition,
                                         const StatisticsSettings& settings = {});

// A value rounded to the given decimals, as the figures are kept.
double RoundTo(double value, int decimals);
// A value as a cell with the given decimals shows it (halves to even, as the cell text of its
// single-precision value rounds); never negative zero.
double ShownValue(double value, int decimals);

// The one rule of "out of limits", for shown values: strictly beyond a limit; equal is inside.
inline bool IsAboveLimit(double shown, const SeriesLimits& limits) {
    return limits.high && shown > *limits.high;
}
inline bool IsBelowLimit(double shown, const SeriesLimits& limits) {
    return limits.low && shown < *limits.low;
}

// The limits a user may give a series, in its display unit: what its samples can show
// (temperature -40..369.5 °C, dew point -100..369.5 °C, humidity 0..100 %RH, pressure
// 0..6553.5 hPa, differential pressure -3276.8..3276.7 hPa, sound level 0..200 dB, flow
// -1000000..1000000, CO2 0..65535 ppm, formaldehyde 0..655.35 mg/m3, air density 0..10 kg/m3),
// converted into the record's temperature or pressure unit.
struct LimitRange {
    double low = 0;
    double high = 0;
    bool Contains(double v) const { return std::isfinite(v) && v >= low && v <= high; }
};
LimitRange PlausibleLimitRange(int series, const RecordUnits& units);

// The problem of a user's limits for a series, in the current language; empty when they are
// fine (finite, within PlausibleLimitRange, low not above high). title names the series.
std::string LimitProblem(const SeriesLimits& limits, int series, const RecordUnits& units,
                         std::string_view title);

// The warnings that go with the figures, one line each, in the current language: record
// limits with low above high.
std::vector<std::string> StatisticsWarnings(const RecordStatistics& statistics);

// The series of the table that a name means: its id (temp, hum, dew, density, pressure,
// diffpressure, sound, flow, co2, hcho), its name or list title in Chinese or English
// ("露点", "Dew point", "温度(℃)"), whatever the current language; English and ids ignore
// case. -1 for none.
int FindStatisticsSeries(const SampleTable& table, std::string_view name);

// The display texts: "高于上限" / "低于下限", in the current language.
const char* LimitSideText(LimitSide side);

}  // namespace qx
