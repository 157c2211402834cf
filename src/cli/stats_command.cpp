#include "stats_command.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "cli_help.h"
#include "core/model/language.h"
#include "core/model/local_time.h"
#include "core/model/text_util.h"
#include "core/records/derived_series.h"
#include "core/records/number_text.h"
#include "core/records/query_options.h"
#include "core/records/record_file.h"
#include "core/records/record_query.h"
#include "core/records/record_set.h"
#include "core/records/record_statistics.h"
#include "core/records/sample_table.h"

namespace qx::cli {
namespace {

constexpr const char* kName = "stats";
constexpr const char* kTimeFormat = "%Y-%m-%d %H:%M:%S";

int Usage(const std::string& problem) {
    std::fprintf(stderr, "qxlog-cli %s: %s\n(see qxlog-cli %s --help)\n", kName, problem.c_str(),
                 kName);
    return kExitUsage;
}

std::optional<double> ParseNumber(std::string_view text) {
    double v = 0;
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (text.empty() || ec != std::errc() || ptr != text.data() + text.size() ||
        !std::isfinite(v)) {
        return std::nullopt;
    }
    return v;
}

struct LimitOption {
    std::string text;  // as given
    std::string series;
    SeriesLimits limits;
};

// "SERIES=LOW,HIGH" with either number left empty for none, not both.
std::optional<LimitOption> ParseLimit(const std::string& text, std::string* problem) {
    const size_t eq = text.find('=');
    const size_t comma = text.rfind(',');
    if (eq == std::string::npos || eq == 0 || comma == std::string::npos || comma < eq) {
        *problem = "--limit needs CHANNEL=LOW,HIGH, not '" + text + "'";
        return std::nullopt;
    }
    LimitOption o;
    o.text = text;
    o.series = text.substr(0, eq);
    const std::string_view low = std::string_view(text).substr(eq + 1, comma - eq - 1);
    const std::string_view high = std::string_view(text).substr(comma + 1);
    if (!low.empty()) o.limits.low = ParseNumber(low);
    if (!high.empty()) o.limits.high = ParseNumber(high);
    if ((!low.empty() && !o.limits.low) || (!high.empty() && !o.limits.high) ||
        (low.empty() && high.empty())) {
        *problem = "--limit " + o.series + " needs a number for LOW, HIGH or both, not '" +
                   text.substr(eq + 1) + "'";
        return std::nullopt;
    }
    if (o.limits.low && o.limits.high && *o.limits.low > *o.limits.high) {
        *problem = "--limit " + o.series + ": LOW is above HIGH";
        return std::nullopt;
    }
    return o;
}

// ---- JSON ------------------------------------------------------------------------------

class Json {
  public:
    std::string text;

    void Key(const char* key) {
        Separate();
        Quoted(key);
        text += ": ";
        fresh_ = true;
    }
    void String(std::string_view s) {
        Separate();
        Quoted(s);
    }
    void Quoted(std::string_view s) {
        text += '"';
        for (const char c : s) {
            const auto u = static_cast<unsigned char>(c);
            if (c == '"' || c == '\\') {
                text += '\\';
                text += c;
            } else if (u < 0x20) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", u);
                text += buf;
            } else {
                text += c;
            }
        }
        text += '"';
    }
    void Int(int64_t v) {
        Separate();
        AppendInt(text, v);
    }
    // A figure with the given decimals, never "-0.000".
    void Fixed(double v, int decimals) {
        Separate();
        AppendFigure(text, v, decimals);
    }
    // A limit: trailing zeros dropped.
    void Limit(double v, int decimals) {
        Separate();
        text += LimitFigureText(v, decimals);
    }
    void Bool(bool v) {
        Separate();
        text += v ? "true" : "false";
    }
    void Time(std::time_t t) {
        Separate();
        text += '"';
        std::tm tm{};
        if (localtime_r(&t, &tm)) AppendIsoDateTime(text, tm);
        text += '"';
    }
    void Open(char c) {
        Separate();
        text += c;
        fresh_ = true;
    }
    void Close(char c) {
        text += c;
        fresh_ = false;
    }

  private:
    void Separate() {
        if (!fresh_) text += ", ";
        fresh_ = false;
    }
    bool fresh_ = true;
};

void JsonSide(Json& j, const char* key, const SideTotal& side) {
    j.Key(key);
    j.Open('{');
    j.Key("samples");
    j.Int(side.samples);
    j.Key("seconds");
    j.Int(side.seconds);
    j.Close('}');
}

void JsonLimits(Json& j, const SeriesStatistics& s) {
    const LimitSummary& l = *s.limits;
    j.Key("limits");
    j.Open('{');
    j.Key("source");
    j.String(l.overridden ? "given" : "record");
    if (l.limits.low) {
        j.Key("low");
        j.Limit(*l.limits.low, s.decimals);
    }
    if (l.limits.high) {
        j.Key("high");
        j.Limit(*l.limits.high, s.decimals);
    }
    j.Key("inverted");
    j.Bool(l.inverted);
    JsonSide(j, "below", l.below);
    JsonSide(j, "above", l.above);
    j.Key("excursions");
    j.Open('[');
    for (const Excursion& e : l.excursions) {
        j.Open('{');
        j.Key("side");
        j.String(e.side == LimitSide::Above ? "high" : "low");
        j.Key("start");
        j.Time(e.start);
        j.Key("end");
        j.Time(e.end);
        j.Key("samples");
        j.Int(e.samples);
        j.Key("seconds");
        j.Int(e.seconds);
        j.Key("peak");
        j.Fixed(e.peak, s.decimals);
        j.Key("peak_time");
        j.Time(e.peakTime);
        j.Close('}');
    }
    j.Close(']');
    j.Close('}');
}

std::string ToJson(const RecordStatistics& rs) {
    Json j;
    j.Open('{');
    j.Key("file");
    j.String(rs.file);
    j.Key("model");
    j.String(rs.model);
    j.Key("number");
    j.String(rs.number);
    j.Key("name");
    j.String(rs.name);
    j.Key("query");
    j.String(rs.condition);
    j.Key("interval_s");
    j.Int(rs.interval);
    if (rs.samples > 0) {
        j.Key("first");
        j.Time(rs.first);
        j.Key("last");
        j.Time(rs.last);
    }
    j.Key("samples");
    j.Int(rs.samples);
    j.Key("mkt_dh_kj_mol");
    j.Limit(rs.activationEnergy, 0);
    j.Key("series");
    j.Open('[');
    for (const SeriesStatistics& s : rs.series) {
        const int figures = s.decimals + 2;
        j.Open('{');
        j.Key("id");
        j.String(s.id);
        j.Key("title");
        j.String(s.title);
        j.Key("unit");
        j.String(s.unit);
        j.Key("count");
        j.Int(s.count);
        j.Key("missing");
        j.Int(s.missing);
        if (s.count > 0) {
            j.Key("min");
            j.Fixed(s.min, s.decimals);
            j.Key("min_time");
            j.Time(s.minTime);
            j.Key("max");
            j.Fixed(s.max, s.decimals);
            j.Key("max_time");
            j.Time(s.maxTime);
            j.Key("mean");
            j.Fixed(s.mean, figures);
            j.Key("stdev");
            j.Fixed(s.stdev, figures);
        }
        if (s.mkt) {
            j.Key("mkt");
            j.Fixed(*s.mkt, figures);
        }
        if (s.limits) JsonLimits(j, s);
        j.Close('}');
    }
    j.Close(']');
    j.Close('}');
    return j.text;
}

// ---- table -----------------------------------------------------------------------------

// Rows of cells printed in columns two spaces apart; the first column left-aligned, the
// others right-aligned.
void PrintTable(const std::vector<std::vector<std::string>>& rows) {
    std::vector<int> widths;
    for (const auto& row : rows) {
        if (widths.size() < row.size()) widths.resize(row.size(), 0);
        for (size_t c = 0; c < row.size(); ++c)
            widths[c] = std::max(widths[c], DisplayWidth(row[c]));
    }
    for (const auto& row : rows) {
        std::string line;
        for (size_t c = 0; c < row.size(); ++c) {
            const std::string pad(static_cast<size_t>(widths[c] - DisplayWidth(row[c])), ' ');
            if (c > 0) line += "  ";
            line += c == 0 ? row[c] + (c + 1 < row.size() ? pad : "") : pad + row[c];
        }
        std::printf("%s\n", line.c_str());
    }
}

std::string Fixed(double v, int decimals) {
    return FigureText(v, decimals);
}

std::string Time(std::time_t t) {
    return FormatLocalTime(static_cast<int64_t>(t), kTimeFormat);
}

std::string Limit(const std::optional<double>& v, int decimals) {
    return v ? LimitFigureText(*v, decimals) : "-";
}

std::string Seconds(int64_t seconds) {
    return StrFormat(Tr("%lld秒"), static_cast<long long>(seconds));
}

std::string Side(const SideTotal& side) {
    return StrFormat("%d (%s)", side.samples, Seconds(side.seconds).c_str());
}

void PrintReadable(const RecordStatistics& rs) {
    std::printf(Tr("文件:%s\n"), rs.file.c_str());
    std::printf(Tr("型号:%s 编号:%s 测量名:%s\n"), rs.model.c_str(), rs.number.c_str(),
                rs.name.c_str());
    std::printf(Tr("查询条件:%s 记录间隔:%lld秒 记录数:%d\n"), rs.condition.c_str(),
                static_cast<long long>(rs.interval), rs.samples);
    if (rs.samples > 0) {
        std::printf(Tr("开始时间:%s 结束时间:%s\n"), Time(rs.first).c_str(), Time(rs.last).c_str());
    }
    std::printf(Tr("活化能ΔH:%s kJ/mol\n"), LimitFigureText(rs.activationEnergy, 0).c_str());
    for (const std::string& warning : StatisticsWarnings(rs))
        std::printf(Tr("注意:%s\n"), warning.c_str());

    std::vector<std::vector<std::string>> figures = {
        {Tr("通道"), Tr("样本数"), Tr("缺失"), Tr("最小值"), Tr("最小值时间"), Tr("最大值"),
         Tr("最大值时间"), Tr("平均值"), Tr("标准差"), Tr("平均动力学温度")}};
    for (const SeriesStatistics& s : rs.series) {
        std::vector<std::string> row = {s.title, std::to_string(s.count),
                                        std::to_string(s.missing)};
        if (s.count > 0) {
            const int d = s.decimals + 2;
            row.insert(row.end(), {Fixed(s.min, s.decimals), Time(s.minTime),
                                   Fixed(s.max, s.decimals), Time(s.maxTime), Fixed(s.mean, d),
                                   Fixed(s.stdev, d), s.mkt ? Fixed(*s.mkt, d) : "-"});
        } else {
            row.insert(row.end(), 7, "-");
        }
        figures.push_back(std::move(row));
    }
    std::printf("\n");
    PrintTable(figures);

    std::vector<std::vector<std::string>> limits = {{Tr("通道"), Tr("下限"), Tr("上限"),
                                                     Tr("限值来源"), Tr("低于下限"), Tr("高于上限"),
                                                     Tr("超限次数"), Tr("最长超限")}};
    std::vector<std::vector<std::string>> excursions = {
        {Tr("通道"), Tr("超限"), Tr("开始时间"), Tr("结束时间"), Tr("样本数"), Tr("时间(秒)"),
         Tr("峰值"), Tr("峰值时间")}};
    for (const SeriesStatistics& s : rs.series) {
        if (!s.limits) continue;
        const LimitSummary& l = *s.limits;
        limits.push_back(
            {s.title, Limit(l.limits.low, s.decimals), Limit(l.limits.high, s.decimals),
             l.overridden ? Tr("用户") : Tr("记录"), Side(l.below), Side(l.above),
             std::to_string(l.excursions.size()),
             l.longest >= 0 ? Seconds(l.excursions[static_cast<size_t>(l.longest)].seconds) : "-"});
        for (const Excursion& e : l.excursions) {
            excursions.push_back({s.title, Tr(LimitSideText(e.side)), Time(e.start), Time(e.end),
                                  std::to_string(e.samples), std::to_string(e.seconds),
                                  Fixed(e.peak, s.decimals), Time(e.peakTime)});
        }
    }
    if (limits.size() > 1) {
        std::printf("\n");
        PrintTable(limits);
    }
    if (excursions.size() > 1) {
        std::printf("\n");
        PrintTable(excursions);
    }
}

}  // namespace

std::string StatsHelp() {
    // The titles of a QX420 list: the temperature in its unit, the dew point.
    const RecordUnits units = RecordUnitsOf(0, kQX420);
    return FormatHelp(
        "Usage: qxlog-cli stats FILE [--last-days N | --last-months N |\n"
        "                             --from YYYY-MM-DD --to YYYY-MM-DD]\n"
        "                       [--limit CHANNEL=LOW,HIGH]... [--mkt-dh KJ_PER_MOL]\n"
        "                       [--json]\n"
        "\n"
        "Prints the figures of the samples of the record file FILE within a time\n"
        "window (all samples unless a window is given), for every channel the record\n"
        "browser lists, in list order: samples with a value, missing values (empty\n"
        "cells, such as a dew point at 0 %%RH), minimum and maximum with the time they\n"
        "first occur, mean and standard deviation (n - 1); for the measured\n"
        "temperature the mean kinetic temperature (MKT), never for the dew point. For\n"
        "temperature and humidity (the sound level of sound-level meters, the CO2 or\n"
        "formaldehyde high limit of gas loggers) the record's alarm limits, or the\n"
        "ones given, give the samples and time below and above them and every\n"
        "excursion: a run of consecutive samples on one side, with its first and last\n"
        "sample time, samples, time and peak. All figures come from the values as the\n"
        "list shows them; mean, standard deviation and MKT carry two decimals more.\n"
        "The header states the activation energy dH, and the limit table where each\n"
        "channel's limits come from (%s or %s). The options may come before or after\n"
        "FILE.\n"
        "\n"
        "How excursions count:\n"
        "  equal              a value equal to a limit is inside it; values and the\n"
        "                     record's limits are compared as the list shows them, so\n"
        "                     a record counts the same excursions in °C and in °F\n"
        "  time               samples x the recording interval: a one-sample\n"
        "                     excursion lasts one interval, and at 300 s an excursion\n"
        "                     shown from 16:20 to 16:25 lasts 600 s\n"
        "  missing            a missing value ends an excursion and adds no time\n"
        "  low above high     record limits with the low limit above the high one are\n"
        "                     named in a warning line, and each side is counted on\n"
        "                     its own\n"
        "\n"
        "Options:\n"
        "  --last-days N      samples of the last N days (1..300) up to now\n"
        "  --last-months N    samples of the last N calendar months (1..30) up to now\n"
        "  --from YYYY-MM-DD, --to YYYY-MM-DD\n"
        "                     samples from 00:00:00 of the first to 23:59:59 of the\n"
        "                     last day in local time; the two go together\n"
        "  --limit CHANNEL=LOW,HIGH\n"
        "                     limits in the channel's display unit instead of the\n"
        "                     record's, for example --limit temp=2,8; either side may\n"
        "                     be left empty for none (--limit hum=,80). CHANNEL is one\n"
        "                     of the ids temp, hum, dew, density, pressure,\n"
        "                     diffpressure, sound, flow, co2, hcho, or a channel name\n"
        "                     or list title in Chinese or English (%s, %s, Dew\n"
        "                     point), whatever the language. A limit must be a finite\n"
        "                     number within what the channel can show: temperature\n"
        "                     -40..369.5 °C, dew point -100..369.5 °C (in °F on a\n"
        "                     Fahrenheit record), humidity 0..100 %%RH, pressure\n"
        "                     0..6553.5 hPa and differential pressure\n"
        "                     -3276.8..3276.7 hPa (in the record's pressure unit),\n"
        "                     sound level 0..200 dB, flow -1000000..1000000, CO2\n"
        "                     0..65535 ppm, formaldehyde 0..655.35 mg/m3, air density\n"
        "                     0..10 kg/m3. Repeat it for several channels; the last one\n"
        "                     given for a channel counts\n"
        "  --mkt-dh KJ_PER_MOL\n"
        "                     the activation energy of the MKT in kJ/mol (1..1000);\n"
        "                     default 83.144, for which dH/R is 10000 K\n"
        "  --json             one JSON object instead of the table: file, model,\n"
        "                     number, name, query, interval_s, first, last, samples,\n"
        "                     mkt_dh_kj_mol and \"series\" (the channels), each with\n"
        "                     id (as for --limit), title, unit, count, missing, min,\n"
        "                     min_time, max, max_time, mean, stdev, mkt and limits\n"
        "                     (source \"record\" or \"given\", low, high, inverted,\n"
        "                     below, above, excursions); times in ISO 8601 local time\n"
        "                     with offset, absent values left out\n"
        "\n"
        "One window at most: --last-days, --last-months or --from with --to.\n"
        "\n"
        "Exit status:\n"
        "  0  figures printed, also when the window holds no sample\n"
        "  1  FILE cannot be read (%s)\n"
        "  2  a missing or wrong argument, a --limit for a channel the record does\n"
        "     not list, or a limit out of the channel's range",
        Tr("记录"), Tr("用户"), SeriesTitle(0, units).c_str(), Tr(units.names[2]),
        Quoted(OpenFailedMessage("FILE")).c_str());
}

int RunStats(const CliOptions&, std::span<const std::string> args) {
    std::string input, problem;
    QueryOptions queryOptions;
    std::vector<LimitOption> limitOptions;
    StatisticsSettings settings;
    bool json = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--json") {
            json = true;
            continue;
        }
        const bool takesValue = a == "--limit" || a == "--mkt-dh" || QueryOptions::Takes(a);
        if (!takesValue) {
            if (a.starts_with("-")) return Usage("unknown option " + a);
            if (!input.empty()) return Usage("takes one record file");
            input = a;
            continue;
        }
        if (i + 1 >= args.size()) return Usage(a + " needs a value");
        const std::string& v = args[++i];
        if (a == "--limit") {
            const auto limit = ParseLimit(v, &problem);
            if (!limit) return Usage(problem);
            limitOptions.push_back(*limit);
        } else if (a == "--mkt-dh") {
            const auto dh = ParseNumber(v);
            if (!dh || *dh < kMinActivationEnergy || *dh > kMaxActivationEnergy) {
                return Usage("--mkt-dh needs kJ/mol from 1 to 1000, not '" + v + "'");
            }
            settings.activationEnergy = *dh;
        } else if (!queryOptions.Take(a, v, &problem)) {
            return Usage(problem);
        }
    }
    if (input.empty()) return Usage("a record file is needed");
    const std::optional<QueryRequest> query = queryOptions.Request(&problem);
    if (!query) return Usage(problem);

    auto image = std::make_unique<RecordImage>();
    auto set = std::make_unique<RecordSet>();
    const RecordFileResult opened = OpenRecordFile(input, *image, *set);
    if (!opened.ok) {
        std::fprintf(stderr, "%s\n", opened.message.c_str());
        if (!opened.reason.empty()) std::fprintf(stderr, "%s\n", opened.reason.c_str());
        return kExitFailure;
    }
    // A record cut short: the figures of the samples it holds, and what is missing.
    if (opened.incomplete) {
        std::fprintf(stderr, "%s\n", WithReason(opened.message, opened.reason).c_str());
    }
    const QueryWindow window = MakeQueryWindow(*query, static_cast<int64_t>(std::time(nullptr)));
    auto table = std::make_unique<SampleTable>();
    table->Build(*set, window);
    for (const LimitOption& o : limitOptions) {
        const int series = FindStatisticsSeries(*table, o.series);
        if (series < 0) {
            std::string titles;
            for (const SampleColumn& c : table->Columns()) {
                if (c.series >= 0) titles += (titles.empty() ? "" : ", ") + c.title;
            }
            return Usage("--limit: the record lists no channel '" + o.series + "' (it lists " +
                         titles + ")");
        }
        const RecordUnits& units = table->Units();
        const LimitRange range = PlausibleLimitRange(series, units);
        for (const std::optional<double>& v : {o.limits.low, o.limits.high}) {
            if (v && !range.Contains(*v)) {
                const int d = CellDecimals(series, units);
                return Usage("--limit " + o.text + ": the limits of this channel lie within " +
                             LimitFigureText(range.low, d) + " and " +
                             LimitFigureText(range.high, d) + " " +
                             units.units[static_cast<size_t>(series)]);
            }
        }
        settings.limits[static_cast<size_t>(series)] = o.limits;
    }
    RecordStatistics statistics = ComputeRecordStatistics(*set, *table, window.condition, settings);
    statistics.file = input;
    if (json) {
        std::printf("%s\n", ToJson(statistics).c_str());
    } else {
        PrintReadable(statistics);
    }
    return kExitOk;
}

}  // namespace qx::cli
