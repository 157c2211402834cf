#include "record_statistics.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <limits>

#include "core/model/language.h"
#include "core/model/param_block.h"
#include "core/model/text_util.h"
#include "number_text.h"
#include "record_query.h"
#include "record_set.h"
#include "sample_table.h"

namespace qx {
namespace {

constexpr double kKelvinOffset = 273.15;

constexpr double kPowersOfTen[] = {1,   1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,
                                   1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15, 1e16, 1e17};

// The number a cell's text shows. Fixed-point texts ("-12.34") are read directly, which is
// exact for up to 17 digits; anything else ("1e+06" of "%g") goes through from_chars.
std::optional<double> CellNumber(std::string_view text) {
    if (text.empty()) return std::nullopt;
    size_t i = 0;
    const bool negative = text[0] == '-';
    if (negative) i = 1;
    uint64_t digits = 0;
    int count = 0, decimals = 0;
    bool point = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9') {
            if (++count > 17) break;
            digits = digits * 10 + static_cast<uint64_t>(c - '0');
            if (point) ++decimals;
        } else if (c == '.' && !point) {
            point = true;
        } else {
            break;
        }
    }
    if (i == text.size() && count > 0) {
        const double v = static_cast<double>(digits) / kPowersOfTen[decimals];
        return negative ? -v : v;
    }
    double value = 0;
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || ptr != text.data() + text.size() || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

// Runs on each side, collected sample by sample, into a series' LimitSummary.
struct ExcursionTracker {
    std::array<int, 2> open{-1, -1};  // the excursion going on below and above

    // A sample standing for `interval` seconds.
    void Add(LimitSummary& summary, int row, std::time_t time, double value, int64_t interval) {
        const SeriesLimits& l = summary.limits;
        Follow(summary, LimitSide::Below, IsBelowLimit(value, l), row, time, value, interval);
        Follow(summary, LimitSide::Above, IsAboveLimit(value, l), row, time, value, interval);
    }
    // A missing value: no side goes on over it.
    void Break() { open = {-1, -1}; }

    static void Finish(LimitSummary& summary) {
        for (size_t i = 0; i < summary.excursions.size(); ++i) {
            if (summary.longest < 0 ||
                summary.excursions[i].samples >
                    summary.excursions[static_cast<size_t>(summary.longest)].samples) {
                summary.longest = static_cast<int>(i);
            }
        }
    }

    void Follow(LimitSummary& summary, LimitSide side, bool outside, int row, std::time_t time,
                double value, int64_t interval) {
        int& going = open[side == LimitSide::Above ? 1 : 0];
        if (!outside) {
            going = -1;
            return;
        }
        SideTotal& total = side == LimitSide::Above ? summary.above : summary.below;
        ++total.samples;
        total.seconds += interval;
        if (going < 0) {
            summary.excursions.push_back({side, row, row, time, time, 0, 0, value, time});
            going = static_cast<int>(summary.excursions.size()) - 1;
        }
        Excursion& e = summary.excursions[static_cast<size_t>(going)];
        e.lastRow = row;
        e.end = time;
        ++e.samples;
        e.seconds += interval;
        if (side == LimitSide::Above ? value > e.peak : value < e.peak) {
            e.peak = value;
            e.peakTime = time;
        }
    }
};

}  // namespace

// One series' figures, taken row by row.
struct RunningStatistics::Series {
    SeriesStatistics st;
    int column = 0;
    ExcursionTracker tracker;
    // Sums relative to the first value keep the variance exact for values far from 0; the
    // exponentials relative to the first temperature keep them within range.
    double shift = 0, sum = 0, sumSquares = 0;
    double kelvin0 = 0, expSum = 0;
    bool mktValid = false;
    // A value times 10^d (d <= 8) is exact in double, and rounding it half to even gives the
    // digits the cell text shows; only the "%g" texts (0 decimals) are read back instead.
    bool fromText = false;
};

RunningStatistics::RunningStatistics(std::span<const SampleColumn> columns,
                                     const RecordUnits& units, int64_t interval,
                                     const AlarmLimits& recordLimits,
                                     const StatisticsSettings& settings)
    : dhOverR_(settings.activationEnergy * 1000 / kGasConstant) {
    rs_.interval = interval;
    rs_.activationEnergy = settings.activationEnergy;
    rs_.units = units;
    for (size_t c = 0; c < columns.size(); ++c) {
        const int s = columns[c].series;
        if (s < 0 || s >= kSeriesCount) continue;
        Series run;
        SeriesStatistics& st = run.st;
        st.series = s;
        st.id = units.ids[static_cast<size_t>(s)];
        st.title = columns[c].title;
        st.unit = units.units[static_cast<size_t>(s)];
        st.decimals = CellDecimals(s, units);
        const auto& overridden = settings.limits[static_cast<size_t>(s)];
        auto lines = overridden ? overridden : AlarmLinesOf(recordLimits, units.type, s);
        if (lines && !overridden) {
            // A record limit is a stored code like a sample's: converted into the display unit
            // and kept in single precision as the sample's value is, then shown the same way.
            // (8.1 °C is 46.58 °F, and a sample of 8.1 °C shows as 46.6 °F: at the limit.)
            for (std::optional<double>* side : {&lines->low, &lines->high}) {
                if (*side) *side = ShownValue(static_cast<float>(**side), st.decimals);
            }
        }
        if (lines) {
            for (std::optional<double>* side : {&lines->low, &lines->high}) {
                if (*side) **side += 0.0;
            }
            st.limits.emplace();
            st.limits->limits = *lines;
            st.limits->overridden = overridden.has_value();
            st.limits->inverted = lines->low && lines->high && *lines->low > *lines->high;
        }
        run.column = static_cast<int>(c);
        // Only the measured temperature: the MKT models the ageing of stored goods.
        run.mktValid = s == 0;
        run.fromText = st.decimals <= 0 || st.decimals > 8;
        series_.push_back(std::move(run));
    }
}

RunningStatistics::~RunningStatistics() = default;
RunningStatistics::RunningStatistics(RunningStatistics&&) noexcept = default;
RunningStatistics& RunningStatistics::operator=(RunningStatistics&&) noexcept = default;

void RunningStatistics::Add(const SampleTable& piece) {
    const bool fahrenheit = rs_.units.temperatureUnit == 1;
    for (Series& run : series_) {
        SeriesStatistics& st = run.st;
        const auto series = static_cast<size_t>(st.series);
        for (int r = 0; r < piece.RowCount(); ++r) {
            const int row = rows_ + r;
            if (piece.IsGap(r)) {
                run.tracker.Break();
                continue;
            }
            std::optional<double> v;
            if (run.fromText) {
                v = CellNumber(piece.Cell(r, run.column));
            } else if (const double raw = piece.Values(r)[series]; std::isfinite(raw)) {
                v = ShownValue(raw, st.decimals);
            }
            if (!v) {
                ++st.missing;
                run.tracker.Break();
                continue;
            }
            const double x = *v + 0.0;  // no negative zero from a text "-0"
            const std::time_t t = static_cast<std::time_t>(piece.Time(r));
            if (st.count == 0) {
                run.shift = x;
                st.min = st.max = x;
                st.minTime = st.maxTime = t;
            } else if (x < st.min) {
                st.min = x;
                st.minTime = t;
            } else if (x > st.max) {
                st.max = x;
                st.maxTime = t;
            }
            ++st.count;
            const double d = x - run.shift;
            run.sum += d;
            run.sumSquares += d * d;
            if (run.mktValid) {
                const double kelvin = (fahrenheit ? (x - 32) / 1.8 : x) + kKelvinOffset;
                if (kelvin <= 0) {
                    run.mktValid = false;
                } else {
                    if (st.count == 1) run.kelvin0 = kelvin;
                    run.expSum += std::exp(dhOverR_ / run.kelvin0 - dhOverR_ / kelvin);
                }
            }
            if (st.limits) run.tracker.Add(*st.limits, row, t, x, piece.Interval(r));
        }
    }
    if (piece.SampleCount() > 0) {
        if (rs_.samples == 0) rs_.first = static_cast<std::time_t>(piece.Time(0));
        rs_.last = static_cast<std::time_t>(piece.Time(piece.RowCount() - 1));
    }
    rs_.samples += piece.SampleCount();
    rows_ += piece.RowCount();
}

RecordStatistics RunningStatistics::Finish(int total) {
    RecordStatistics rs = std::move(rs_);
    rs.total = total;
    const bool fahrenheit = rs.units.temperatureUnit == 1;
    for (Series& run : series_) {
        SeriesStatistics& st = run.st;
        if (st.limits) ExcursionTracker::Finish(*st.limits);
        if (st.count > 0) {
            const double n = st.count;
            const int figures = st.decimals + 2;
            st.mean = RoundTo(run.shift + run.sum / n, figures);
            if (st.count > 1) {
                const double variance =
                    std::max(0.0, (run.sumSquares - run.sum * run.sum / n) / (n - 1));
                st.stdev = RoundTo(std::sqrt(variance), figures);
            }
            if (run.mktValid) {
                // -ln(mean of exp(-a/T)) = a/T0 - ln(mean of exp(a/T0 - a/T))
                const double denominator = dhOverR_ / run.kelvin0 - std::log(run.expSum / n);
                const double kelvin = dhOverR_ / denominator;
                if (std::isfinite(kelvin) && kelvin > 0) {
                    const double celsius = kelvin - kKelvinOffset;
                    st.mkt = RoundTo(fahrenheit ? celsius * 1.8 + 32 : celsius, figures);
                }
            }
        }
        rs.series.push_back(std::move(st));
    }
    series_.clear();
    return rs;
}

namespace {}  // namespace

double RoundTo(double value, int decimals) {
    if (decimals < 0) decimals = 0;
    if (decimals > 17) return value + 0.0;
    const double scale = kPowersOfTen[decimals];
    const double scaled = std::round(value * scale);
    // + 0.0 turns a negative zero (-0.0004 to three decimals) into zero.
    return (std::abs(scaled) < 9e15 ? scaled / scale : value) + 0.0;
}

double ShownValue(double value, int decimals) {
    if (decimals < 0) decimals = 0;
    if (decimals > 17) return value + 0.0;
    // A value times 10^d (d <= 8) is exact in double, and rounding it half to even gives the
    // digits the cell text shows.
    const double scale = kPowersOfTen[decimals];
    const double scaled = std::nearbyint(value * scale);
    return (std::abs(scaled) < 9e15 ? scaled / scale : value) + 0.0;
}

RecordStatistics ComputeStatistics(const SampleTable& table, int64_t interval,
                                   const AlarmLimits& recordLimits,
                                   const StatisticsSettings& settings) {
    RunningStatistics running(table.Columns(), table.Units(), interval, recordLimits, settings);
    running.Add(table);
    return running.Finish(table.TotalCount());
}

RecordStatistics ComputeRecordStatistics(const RecordSet& set, const SampleTable& table,
                                         std::string_view condition,
                                         const StatisticsSettings& settings) {
    const ParamBlock params = set.Params();
    RecordStatistics rs = ComputeStatistics(table, SampleClockOf(params, set.type).interval,
                                            AlarmLimitsOf(params, set.type), settings);
    const ParamTexts texts = MakeParamTexts(params, set.type);
    rs.model = ModelName(set.type);
    rs.number = texts[ParamText::Number];
    rs.name = texts[ParamText::Name];
    rs.condition = condition;
    return rs;
}

namespace {

bool SameIgnoringAsciiCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

}  // namespace

int FindStatisticsSeries(const SampleTable& table, std::string_view name) {
    const RecordUnits& units = table.Units();
    // Names and titles count in both languages, so that a script keeps working whatever the
    // language the program or the window was last set to.
    for (const SampleColumn& c : table.Columns()) {
        if (c.series < 0 || c.series >= kSeriesCount) continue;
        const size_t s = static_cast<size_t>(c.series);
        const std::string unit = std::string("(") + units.units[s] + ")";
        const std::string key = units.nameKeys[s];
        const std::string english(EnglishOf(key).value_or(key));
        if (SameIgnoringAsciiCase(name, units.ids[s]) || name == key || name == key + unit ||
            SameIgnoringAsciiCase(name, english) || SameIgnoringAsciiCase(name, english + unit) ||
            name == c.title || name == units.names[s]) {
            return c.series;
        }
    }
    return -1;
}

LimitRange PlausibleLimitRange(int series, const RecordUnits& units) {
    // Converted ends as the series shows them.
    const int decimals = CellDecimals(series, units);
    const auto temperature = [&units, decimals](double low, double high) {
        if (units.temperatureUnit != 1) return LimitRange{low, high};
        return LimitRange{ShownValue(CelsiusToFahrenheit(low), decimals),
                          ShownValue(CelsiusToFahrenheit(high), decimals)};
    };
    const auto pressure = [&units, decimals](double low, double high) {
        return LimitRange{ShownValue(ConvertPressure(low, units.pressure.code), decimals),
                          ShownValue(ConvertPressure(high, units.pressure.code), decimals)};
    };
    switch (series) {
        case 0:
            return temperature(-40, 369.5);
        case 1:
            return {0, 100};
        case 2:
            if (units.mask & kChFlow) return {0, 10};  // air density
            return temperature(-100, 369.5);
        case 3:
            return pressure(0, 6553.5);
        case 4:
            return pressure(-3276.8, 3276.7);
        case 5:
            return {0, 200};
        case 6:
            return {-1e6, 1e6};
        case 7:
            if (units.mask & kChFormaldehyde) return {0, 655.35};
            return {0, 65535};
        default:
            return {0, 0};
    }
}

std::string LimitProblem(const SeriesLimits& limits, int series, const RecordUnits& units,
                         std::string_view title) {
    const LimitRange range = PlausibleLimitRange(series, units);
    const int decimals = CellDecimals(series, units);
    const std::string t(title);
    for (const std::optional<double>& v : {limits.low, limits.high}) {
        if (v && !range.Contains(*v)) {
            return StrFormat(Tr("%s的限值须在 %s 到 %s 之间"), t.c_str(),
                             FigureText(range.low, decimals).c_str(),
                             FigureText(range.high, decimals).c_str());
        }
    }
    if (limits.low && limits.high && *limits.low > *limits.high) {
        return StrFormat(Tr("%s的下限高于上限"), t.c_str());
    }
    return {};
}

std::vector<std::string> StatisticsWarnings(const RecordStatistics& rs) {
    std::vector<std::string> lines;
    for (const SeriesStatistics& s : rs.series) {
        if (!s.limits || !s.limits->inverted) continue;
        const SeriesLimits& l = s.limits->limits;
        lines.push_back(StrFormat(Tr("%s:记录的下限 %s 高于上限 %s,两侧各自统计"), s.title.c_str(),
                                  LimitFigureText(*l.low, s.decimals).c_str(),
                                  LimitFigureText(*l.high, s.decimals).c_str()));
    }
    return lines;
}

const char* LimitSideText(LimitSide side) {
    return side == LimitSide::Above ? Tr("高于上限") : Tr("低于下限");
}

}  // namespace qx
