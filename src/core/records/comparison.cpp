#include "comparison.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "core/model/language.h"
#include "core/model/local_time.h"
#include "core/model/text_util.h"
#include "derived_series.h"
#include "number_text.h"
#include "sample_table.h"
#include "series_units.h"

namespace qx {
namespace {

constexpr float kNoValue = std::numeric_limits<float>::quiet_NaN();
// Times further out than this (some million years) cannot be placed on a grid without
// overflow; a store never hands them out.
constexpr int64_t kMaxGridTime = int64_t{1} << 50;

// The series of a record's list that an id names; -1 for none.
int SeriesOfId(const RecordUnits& units, std::string_view id) {
    for (int s : SeriesList(units.type)) {
        if (id == units.ids[static_cast<size_t>(s)]) return s;
    }
    return -1;
}

// The name of the quantity an id names on any model; empty when none has it.
std::string QuantityName(std::string_view id) {
    for (InstrumentTypeId t = 1; t <= kModelCount; ++t) {
        const RecordUnits units = RecordUnitsOf(0, t);
        if (const int s = SeriesOfId(units, id); s >= 0) return units.names[static_cast<size_t>(s)];
    }
    return {};
}

// Every id some model has, in series order: "temp, hum, ...".
std::string KnownIds() {
    std::vector<std::string> ids;
    for (int s = 0; s < kSeriesCount; ++s) {
        for (InstrumentTypeId t = 1; t <= kModelCount; ++t) {
            const RecordUnits units = RecordUnitsOf(0, t);
            const std::string id = units.ids[static_cast<size_t>(s)];
            if (SeriesOfId(units, id) == s && std::find(ids.begin(), ids.end(), id) == ids.end())
                ids.push_back(id);
        }
    }
    std::string out;
    for (const std::string& id : ids)
        out += (out.empty() ? "" : ", ") + id;
    return out;
}

int64_t FloorDiv(int64_t a, int64_t b) {
    const int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

// Grid times are whole steps of local time: cell c holds the times from half a step before
// c * step - offset to half a step after it.
struct Grid {
    int64_t step = 1;
    int64_t offset = 0;  // seconds east of UTC at the first sample

    int64_t CellOf(int64_t t) const { return FloorDiv(t + offset + step / 2, step); }
    int64_t TimeOf(int64_t cell) const { return cell * step - offset; }
};

// One instrument's sample nearest to a grid time.
struct GridValue {
    int64_t cell;
    uint64_t distance;
    float value;
};

// The value as the table shows it: rounded to the cell's decimals ("%g" texts as they are).
double CellValue(float value, int decimals) {
    return decimals <= 0 || decimals > 8 ? value : ShownValue(value, decimals);
}

std::string Fixed(double value, int decimals) {
    std::string out;
    AppendFixed(out, value, decimals);
    return out;
}

std::string ListTime(int64_t t) {
    return FormatLocalTime(t, "%y-%m-%d %H:%M:%S");
}

// A limit as typed: three decimals more than the values, trailing zeros dropped.
std::string LimitText(const std::optional<double>& limit, int decimals) {
    if (!limit) return "-";
    std::string text = Fixed(*limit, decimals + 3);
    while (text.back() == '0')
        text.pop_back();
    if (text.back() == '.') text.pop_back();
    return text;
}

// The comparison's values of one instrument, one per grid cell, from its table.
std::vector<GridValue> GridValues(const SampleTable& table, int series, const Grid& grid) {
    std::vector<GridValue> out;
    for (int r = 0; r < table.RowCount(); ++r) {
        if (table.IsGap(r)) continue;
        const float v = table.Values(r)[static_cast<size_t>(series)];
        const int64_t t = table.Time(r);
        if (!std::isfinite(v) || t > kMaxGridTime || t < -kMaxGridTime) continue;
        const int64_t cell = grid.CellOf(t);
        const int64_t d = t - grid.TimeOf(cell);
        out.push_back({cell, static_cast<uint64_t>(d < 0 ? -d : d), v});
    }
    // Recordings in time order give cells in order; keep the nearest of each cell, the
    // earlier of two as near.
    const auto byCell = [](const GridValue& a, const GridValue& b) { return a.cell < b.cell; };
    if (!std::is_sorted(out.begin(), out.end(), byCell))
        std::stable_sort(out.begin(), out.end(), byCell);
    size_t kept = 0;
    for (size_t i = 0; i < out.size(); ++i) {
        if (kept > 0 && out[kept - 1].cell == out[i].cell) {
            if (out[i].distance < out[kept - 1].distance) out[kept - 1] = out[i];
        } else {
            out[kept++] = out[i];
        }
    }
    out.resize(kept);
    return out;
}

void Align(Comparison& c, const std::vector<std::vector<GridValue>>& perInstrument,
           const Grid& grid) {
    std::vector<int64_t> cells;
    for (const auto& values : perInstrument) {
        for (const GridValue& g : values)
            cells.push_back(g.cell);
    }
    std::sort(cells.begin(), cells.end());
    cells.erase(std::unique(cells.begin(), cells.end()), cells.end());
    // Row of each occupied cell; a run of empty cells becomes one row without values.
    std::vector<size_t> rowOfCell(cells.size());
    for (size_t k = 0; k < cells.size(); ++k) {
        if (k > 0 && cells[k] - cells[k - 1] > 1) c.times.push_back(grid.TimeOf(cells[k - 1] + 1));
        rowOfCell[k] = c.times.size();
        c.times.push_back(grid.TimeOf(cells[k]));
    }
    c.values.assign(perInstrument.size(), std::vector<float>(c.times.size(), kNoValue));
    for (size_t i = 0; i < perInstrument.size(); ++i) {
        size_t k = 0;
        for (const GridValue& g : perInstrument[i]) {
            while (cells[k] != g.cell)
                ++k;
            c.values[i][rowOfCell[k]] = g.value;
        }
    }
}

void FindLargestSpread(Comparison& c) {
    for (size_t row = 0; row < c.times.size(); ++row) {
        int high = -1, low = -1;
        double highValue = 0, lowValue = 0;
        for (size_t i = 0; i < c.values.size(); ++i) {
            const float v = c.values[i][row];
            if (!std::isfinite(v)) continue;
            const double shown = CellValue(v, c.decimals);
            if (high < 0 || shown > highValue) {
                high = static_cast<int>(i);
                highValue = shown;
            }
            if (low < 0 || shown < lowValue) {
                low = static_cast<int>(i);
                lowValue = shown;
            }
        }
        if (high < 0 || high == low) continue;
        const double spread = RoundTo(highValue - lowValue, std::max(c.decimals, 0));
        if (!c.largestSpread || spread > c.largestSpread->value) {
            c.largestSpread = ComparisonSpread{spread, c.times[row], high, low};
        }
    }
}

void Rank(Comparison& c) {
    for (size_t i = 0; i < c.instruments.size(); ++i) {
        const SeriesStatistics& f = c.instruments[i].figures;
        if (f.count == 0) continue;
        const int n = static_cast<int>(i);
        if (!c.highestMean || f.mean > c.highestMean->value) c.highestMean = {n, f.mean, 0};
        if (!c.lowestMean || f.mean < c.lowestMean->value) c.lowestMean = {n, f.mean, 0};
        if (!c.highestMax || f.max > c.highestMax->value) c.highestMax = {n, f.max, f.maxTime};
        if (!c.lowestMin || f.min < c.lowestMin->value) c.lowestMin = {n, f.min, f.minTime};
    }
}

}  // namespace

std::optional<int64_t> ComparedInstrument::SecondsOutside() const {
    if (!figures.limits) return std::nullopt;
    return figures.limits->below.seconds + figures.limits->above.seconds;
}

std::optional<Comparison> CompareHistories(std::span<const InstrumentHistory> histories,
                                           const ComparisonRequest& request, std::string* error) {
    const auto refuse = [error](std::string why) -> std::optional<Comparison> {
        if (error) *error = std::move(why);
        return std::nullopt;
    };
    if (histories.empty()) return refuse(Tr("没有选择仪器。"));
    const std::string quantity = QuantityName(request.series);
    if (quantity.empty()) {
        return refuse(
            StrFormat(Tr("没有这个量:%s(可选:%s)。"), request.series.c_str(), KnownIds().c_str()));
    }
    const QueryWindow& window = request.window;

    // Instruments without the quantity are left out and named; refused when none has it.
    std::vector<bool> lacking(histories.size(), false);
    size_t lacks = 0;
    for (size_t i = 0; i < histories.size(); ++i) {
        const int r = UnitsRecordingOf(histories[i], window);
        if (r < 0) continue;
        const RecordingSamples& recording = histories[i][static_cast<size_t>(r)];
        const RecordUnits own = RecordUnitsOf(recording.params.UnitByte(), recording.type);
        if (SeriesOfId(own, request.series) < 0) {
            lacking[i] = true;
            ++lacks;
        }
    }
    if (lacks > 0 && lacks < histories.size()) {
        std::vector<InstrumentHistory> kept;
        std::vector<std::string> leftOut;
        for (size_t i = 0; i < histories.size(); ++i) {
            if (!lacking[i]) {
                kept.push_back(histories[i]);
                continue;
            }
            const int r = UnitsRecordingOf(histories[i], window);
            leftOut.push_back(InstrumentLabel(histories[i][static_cast<size_t>(r)]));
        }
        std::optional<Comparison> c = CompareHistories(kept, request, error);
        if (c) c->leftOut = std::move(leftOut);
        return c;
    }

    // Each instrument's shown recording and units; the first instrument's units are the
    // comparison's.
    std::vector<int> shown;
    std::vector<RecordUnits> units;
    int series = -1;
    for (size_t i = 0; i < histories.size(); ++i) {
        const int r = UnitsRecordingOf(histories[i], window);
        if (r < 0) return refuse(StrFormat(Tr("第%d台仪器没有记录。"), static_cast<int>(i + 1)));
        const RecordingSamples& recording = histories[i][static_cast<size_t>(r)];
        RecordUnits own = RecordUnitsOf(recording.params.UnitByte(), recording.type);
        series = SeriesOfId(own, request.series);
        if (series < 0) {
            return refuse(
                StrFormat(Tr("%s 没有%s。"), InstrumentLabel(recording).c_str(), quantity.c_str()));
        }
        if (!units.empty()) {
            const RecordUnits converted = WithUnitsOf(own, units.front());
            const auto s = static_cast<size_t>(series);
            if (std::string_view(converted.units[s]) != units.front().units[s]) {
                return refuse(StrFormat(Tr("%s 的%s单位是%s,不能换算成%s。"),
                                        InstrumentLabel(recording).c_str(), quantity.c_str(),
                                        own.units[s], units.front().units[s]));
            }
            own = converted;
        }
        shown.push_back(r);
        units.push_back(own);
    }

    // The grid: the longest interval in the window, whole steps of local time from the first
    // sample on.
    Grid grid;
    grid.step = 0;
    bool any = false;
    int64_t first = 0;
    for (const InstrumentHistory& history : histories) {
        for (const RecordingSamples& recording : history) {
            if (!HasSampleInWindow(recording, window)) continue;
            grid.step = std::max<int64_t>(grid.step,
                                          SampleClockOf(recording.params, recording.type).interval);
            for (const TimedSample& s : recording.samples) {
                if (!window.Contains(s.time)) continue;
                if (!any || s.time < first) first = s.time;
                any = true;
                break;
            }
        }
    }
    if (!any) return refuse(Tr("查询的时间范围内没有数据。"));
    grid.step = std::max<int64_t>(grid.step, 1);
    const std::time_t t0 = static_cast<std::time_t>(first);
    std::tm tm{};
    if (localtime_r(&t0, &tm)) grid.offset = tm.tm_gmtoff % grid.step;

    Comparison c;
    const RecordUnits& common = units.front();
    const auto s = static_cast<size_t>(series);
    c.series = request.series;
    c.name = common.names[s];
    c.unit = common.units[s];
    c.title = SeriesTitle(series, common);
    c.decimals = CellDecimals(series, common);
    c.seriesIndex = series;
    c.units = common;
    c.condition = window.condition;
    c.step = grid.step;
    c.limits = request.limits;

    StatisticsSettings settings;
    settings.activationEnergy = request.activationEnergy;
    settings.limits[s] = request.limits;
    std::vector<std::vector<GridValue>> perInstrument;
    SampleTable table;
    for (size_t i = 0; i < histories.size(); ++i) {
        const InstrumentHistory& history = histories[i];
        table.Build(history, window, units[i]);
        const RecordStatistics rs =
            ComputeHistoryStatistics(history, table, window.condition, settings);
        const RecordingSamples& recording = history[static_cast<size_t>(shown[i])];
        ComparedInstrument& instrument = c.instruments.emplace_back();
        instrument.label = InstrumentLabel(recording);
        instrument.model = rs.model;
        instrument.number = rs.number;
        instrument.name = rs.name;
        instrument.interval = rs.interval;
        for (const SeriesStatistics& st : rs.series) {
            if (st.series == series) instrument.figures = st;
        }
        instrument.settings = HistorySettings(history, window);
        perInstrument.push_back(GridValues(table, series, grid));
    }
    Align(c, perInstrument, grid);
    FindLargestSpread(c);
    Rank(c);
    return c;
}

std::string ComparisonCellText(const Comparison& comparison, float value) {
    return CellText(comparison.seriesIndex, value, comparison.units);
}

std::vector<std::string> ComparisonSummary(const Comparison& c) {
    std::vector<std::string> lines;
    lines.push_back(StrFormat(Tr("%s,%d 台仪器,查询条件:%s"), c.title.c_str(),
                              static_cast<int>(c.instruments.size()), c.condition.c_str()));
    if (!c.leftOut.empty()) {
        std::string names;
        for (const std::string& label : c.leftOut)
            names += (names.empty() ? "" : ", ") + label;
        lines.push_back(StrFormat(Tr("没有%s,未对比:%s"), c.name.c_str(), names.c_str()));
    }
    if (c.limits) {
        lines.push_back(StrFormat(Tr("限值(用户):%s 至 %s"),
                                  LimitText(c.limits->low, c.decimals).c_str(),
                                  LimitText(c.limits->high, c.decimals).c_str()));
    } else {
        lines.push_back(Tr("限值:各仪器记录的限值"));
    }
    const auto label = [&c](int i) { return c.instruments[static_cast<size_t>(i)].label.c_str(); };
    const int figures = c.decimals + 2;
    const char* unit = c.unit.c_str();
    if (c.highestMean) {
        lines.push_back(StrFormat(Tr("平均值最高:%s,%s%s"), label(c.highestMean->instrument),
                                  Fixed(c.highestMean->value, figures).c_str(), unit));
    }
    if (c.lowestMean) {
        lines.push_back(StrFormat(Tr("平均值最低:%s,%s%s"), label(c.lowestMean->instrument),
                                  Fixed(c.lowestMean->value, figures).c_str(), unit));
    }
    if (c.highestMax) {
        lines.push_back(StrFormat(Tr("最大值最高:%s,%s%s(%s)"), label(c.highestMax->instrument),
                                  Fixed(c.highestMax->value, c.decimals).c_str(), unit,
                                  ListTime(c.highestMax->time).c_str()));
    }
    if (c.lowestMin) {
        lines.push_back(StrFormat(Tr("最小值最低:%s,%s%s(%s)"), label(c.lowestMin->instrument),
                                  Fixed(c.lowestMin->value, c.decimals).c_str(), unit,
                                  ListTime(c.lowestMin->time).c_str()));
    }
    if (c.largestSpread) {
        lines.push_back(StrFormat(Tr("最大差值:%s%s(%s,%s 高于 %s)"),
                                  Fixed(c.largestSpread->value, c.decimals).c_str(), unit,
                                  ListTime(c.largestSpread->time).c_str(),
                                  label(c.largestSpread->high), label(c.largestSpread->low)));
    } else {
        lines.push_back(Tr("最大差值:没有两台仪器同时有值"));
    }
    return lines;
}

TextTable ComparisonFigureTable(const Comparison& c, bool durations) {
    const bool mkt = std::any_of(c.instruments.begin(), c.instruments.end(),
                                 [](const ComparedInstrument& i) { return i.figures.mkt; });
    TextTable t;
    for (const char* title :
         {TrNoop("仪器"), TrNoop("型号"), TrNoop("样本数"), TrNoop("最小值"), TrNoop("最小值时间"),
          TrNoop("最大值"), TrNoop("最大值时间"), TrNoop("平均值"), TrNoop("标准差")}) {
        t.titles.push_back(Tr(title));
    }
    if (mkt) t.titles.push_back(Tr("平均动力学温度"));
    for (const char* title : {TrNoop("下限"), TrNoop("上限"), TrNoop("低于下限时间(秒)"),
                              TrNoop("高于上限时间(秒)"), TrNoop("超限时间(秒)")}) {
        t.titles.push_back(Tr(title));
    }
    const int figures = c.decimals + 2;
    const auto seconds = [durations](int64_t n) {
        return durations ? SecondsWithDuration(n) : std::to_string(n);
    };
    for (const ComparedInstrument& i : c.instruments) {
        const SeriesStatistics& f = i.figures;
        std::vector<std::string> row = {i.label, i.model, std::to_string(f.count)};
        if (f.count > 0) {
            row.insert(row.end(),
                       {Fixed(f.min, c.decimals), ListTime(f.minTime), Fixed(f.max, c.decimals),
                        ListTime(f.maxTime), Fixed(f.mean, figures), Fixed(f.stdev, figures)});
        } else {
            row.insert(row.end(), 6, "-");
        }
        if (mkt) row.push_back(f.mkt ? Fixed(*f.mkt, figures) : "-");
        if (f.limits) {
            const LimitSummary& l = *f.limits;
            row.insert(row.end(), {LimitText(l.limits.low, c.decimals),
                                   LimitText(l.limits.high, c.decimals), seconds(l.below.seconds),
                                   seconds(l.above.seconds), seconds(*i.SecondsOutside())});
        } else {
            row.insert(row.end(), 5, "-");
        }
        t.rows.push_back(std::move(row));
    }
    return t;
}

const char* ComparisonReportTitle() {
    return Tr("对比报告");
}

}  // namespace qx
