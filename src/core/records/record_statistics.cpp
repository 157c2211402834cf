#include "record_statistics.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

#include "core/model/language.h"
#include "core/model/param_block.h"
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

bool IsTemperature(int series, const RecordUnits& units) {
    // Series 2 is the dew point, a temperature, except on the flow meter (air density).
    return series == 0 || (series == 2 && !(units.mask & kChFlow));
}

// Runs of one side, collected sample by sample.
class ExcursionTracker {
  public:
    explicit ExcursionTracker(LimitSummary& summary) : summary_(summary) {}

    // A sample standing for `interval` seconds.
    void Add(int row, std::time_t time, double value, int64_t interval) {
        const SeriesLimits& l = summary_.limits;
        std::optional<LimitSide> side;
        if (l.high && value > *l.high) {
            side = LimitSide::Above;
        } else if (l.low && value < *l.low) {
            side = LimitSide::Below;
        }
        if (!side) {
            open_ = false;
            return;
        }
        SideTotal& total = *side == LimitSide::Above ? summary_.above : summary_.below;
        ++total.samples;
        total.seconds += interval;
        if (!open_ || current().side != *side) {
            summary_.excursions.push_back({*side, row, row, time, time, 0, 0, value, time});
            open_ = true;
        }
        Excursion& e = current();
        e.lastRow = row;
        e.end = time;
        ++e.samples;
        e.seconds += interval;
        const bool beyond = *side == LimitSide::Above ? value > e.peak : value < e.peak;
        if (beyond) {
            e.peak = value;
            e.peakTime = time;
        }
    }
    void Break() { open_ = false; }

    void Finish() {
        for (size_t i = 0; i < summary_.excursions.size(); ++i) {
            if (summary_.longest < 0 ||
                summary_.excursions[i].samples >
                    summary_.excursions[static_cast<size_t>(summary_.longest)].samples) {
                summary_.longest = static_cast<int>(i);
            }
        }
    }

  private:
    Excursion& current() { return summary_.excursions.back(); }

    LimitSummary& summary_;
    bool open_ = false;
};

void ComputeSeries(const SampleTable& table, int column, double dhOverR, SeriesStatistics& st) {
    const RecordUnits& units = table.Units();
    const bool temperature = IsTemperature(st.series, units);
    const bool fahrenheit = units.temperatureUnit == 1;
    std::optional<ExcursionTracker> tracker;
    if (st.limits) tracker.emplace(*st.limits);

    // Sums relative to the first value keep the variance exact for values far from 0; the
    // exponentials relative to the first temperature keep them within range.
    double shift = 0, sum = 0, sumSquares = 0;
    double kelvin0 = 0, expSum = 0;
    bool mktValid = temperature;
    // A value times 10^d (d <= 8) is exact in double, and rounding it half to even gives the
    // digits the cell text shows; only the "%g" texts (0 decimals) are read back instead.
    const bool fromText = st.decimals <= 0 || st.decimals > 8;
    const double scale = kPowersOfTen[fromText ? 0 : st.decimals];
    const auto series = static_cast<size_t>(st.series);
    for (int r = 0; r < table.RowCount(); ++r) {
        if (table.IsGap(r)) {
            if (tracker) tracker->Break();
            continue;
        }
        std::optional<double> v;
        if (fromText) {
            v = CellNumber(table.Cell(r, column));
        } else if (const double raw = table.Values(r)[series]; std::isfinite(raw)) {
            v = std::nearbyint(raw * scale) / scale;
        }
        if (!v) {
            ++st.missing;
            if (tracker) tracker->Break();
            continue;
        }
        const double x = *v;
        const std::time_t t = static_cast<std::time_t>(table.Time(r));
        if (st.count == 0) {
            shift = x;
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
        const double d = x - shift;
        sum += d;
        sumSquares += d * d;
        if (mktValid) {
            const double kelvin = (fahrenheit ? (x - 32) / 1.8 : x) + kKelvinOffset;
            if (kelvin <= 0) {
                mktValid = false;
            } else {
                if (st.count == 1) kelvin0 = kelvin;
                expSum += std::exp(dhOverR / kelvin0 - dhOverR / kelvin);
            }
        }
        if (tracker) tracker->Add(r, t, x, table.Interval(r));
    }
    if (tracker) tracker->Finish();
    if (st.count == 0) return;

    const double n = st.count;
    const int figures = st.decimals + 2;
    st.mean = RoundTo(shift + sum / n, figures);
    if (st.count > 1) {
        const double variance = std::max(0.0, (sumSquares - sum * sum / n) / (n - 1));
        st.stdev = RoundTo(std::sqrt(variance), figures);
    }
    if (mktValid) {
        // -ln(mean of exp(-a/T)) = a/T0 - ln(mean of exp(a/T0 - a/T))
        const double denominator = dhOverR / kelvin0 - std::log(expSum / n);
        const double kelvin = dhOverR / denominator;
        if (std::isfinite(kelvin) && kelvin > 0) {
            const double celsius = kelvin - kKelvinOffset;
            st.mkt = RoundTo(fahrenheit ? celsius * 1.8 + 32 : celsius, figures);
        }
    }
}

}  // namespace

double RoundTo(double value, int decimals) {
    if (decimals < 0) decimals = 0;
    if (decimals > 17) return value;
    const double scale = kPowersOfTen[decimals];
    const double scaled = std::round(value * scale);
    return std::abs(scaled) < 9e15 ? scaled / scale : value;
}

RecordStatistics ComputeStatistics(const SampleTable& table, int64_t interval,
                                   const AlarmLimits& recordLimits,
                                   const StatisticsSettings& settings) {
    RecordStatistics rs;
    rs.interval = interval;
    rs.total = table.TotalCount();
    rs.samples = table.SampleCount();
    rs.activationEnergy = settings.activationEnergy;
    if (rs.samples > 0) {
        rs.first = static_cast<std::time_t>(table.Time(0));
        rs.last = static_cast<std::time_t>(table.Time(table.RowCount() - 1));
    }
    const double dhOverR = settings.activationEnergy * 1000 / kGasConstant;
    const RecordUnits& units = table.Units();
    const auto columns = table.Columns();
    for (size_t c = 0; c < columns.size(); ++c) {
        const int s = columns[c].series;
        if (s < 0 || s >= kSeriesCount) continue;
        SeriesStatistics st;
        st.series = s;
        st.title = columns[c].title;
        st.unit = units.units[static_cast<size_t>(s)];
        st.decimals = CellDecimals(s, units);
        const auto& overridden = settings.limits[static_cast<size_t>(s)];
        auto lines = overridden ? overridden : AlarmLinesOf(recordLimits, units.type, s);
        if (lines && !overridden) {
            // A Fahrenheit limit carries the single-precision factor's noise (40 °C gives
            // 103.99999 °F), which would put a sample shown at the limit outside it.
            for (std::optional<double>* side : {&lines->low, &lines->high}) {
                if (*side) *side = RoundTo(**side, st.decimals + 3);
            }
        }
        if (lines) {
            st.limits.emplace();
            st.limits->limits = *lines;
            st.limits->overridden = overridden.has_value();
        }
        ComputeSeries(table, static_cast<int>(c), dhOverR, st);
        rs.series.push_back(std::move(st));
    }
    return rs;
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

int FindStatisticsSeries(const SampleTable& table, std::string_view name) {
    const RecordUnits& units = table.Units();
    int wanted = -1;
    if (name == "temp") {
        wanted = 0;
    } else if (name == "hum") {
        wanted = 1;
    } else if (name == "sound") {
        wanted = 5;
    } else if (name == "co2" && (units.mask & kChCo2)) {
        wanted = 7;
    } else if (name == "hcho" && (units.mask & kChFormaldehyde)) {
        wanted = 7;
    }
    // Titles and names count in the current language and untranslated, so that a name keeps
    // working whatever the language.
    for (const SampleColumn& c : table.Columns()) {
        if (c.series < 0) continue;
        const size_t s = static_cast<size_t>(c.series);
        const std::string key = units.nameKeys[s];
        if (c.series == wanted || c.title == name || name == units.names[s] || name == key ||
            name == key + "(" + units.units[s] + ")") {
            return c.series;
        }
    }
    return -1;
}

const char* LimitSideText(LimitSide side) {
    return side == LimitSide::Above ? Tr("高于上限") : Tr("低于下限");
}

}  // namespace qx
