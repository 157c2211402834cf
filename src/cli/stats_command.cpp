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
    // A number with the given decimals; limits with trailing zeros dropped.
    void Fixed(double v, int decimals, bool trim = false) {
        Separate();
        const size_t start = text.size();
        AppendFixed(text, v, decimals);
        if (trim && text.find('.', start) != std::string::npos) {
            while (text.back() == '0')
                text.pop_back();
            if (text.back() == '.') text.pop_back();
        }
        if (text.compare(start, std::string::npos, "-0") == 0) text.erase(start, 1);
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
    const int limitDecimals = s.decimals + 3;
    j.Key("limits");
    j.Open('{');
    if (l.limits.low) {
        j.Key("low");
        j.Fixed(*l.limits.low, limitDecimals, true);
    }
    if (l.limits.high) {
        j.Key("high");
        j.Fixed(*l.limits.high, limitDecimals, true);
    }
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
    j.Key("series");
    j.Open('[');
    for (const SeriesStatistics& s : rs.series) {
        const int figures = s.decimals + 2;
        j.Open('{');
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
    std::string s;
    AppendFixed(s, v, decimals);
    return s;
}

std::string Time(std::time_t t) {
    return FormatLocalTime(static_cast<int64_t>(t), kTimeFormat);
}

std::string Limit(const std::optional<double>& v, int decimals) {
    if (!v) return "-";
    std::string s = Fixed(*v, decimals + 3);
    while (s.back() == '0')
        s.pop_back();
    if (s.back() == '.') s.pop_back();
    return s;
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
        "first occur, mean and standard deviation (n - 1); for temperature the mean\n"
        "kinetic temperature (MKT). For temperature and humidity (the sound level of\n"
        "sound-level meters, the CO2 or formaldehyde high limit of gas loggers) the\n"
        "record's alarm limits give the samples and time below and above them and\n"
        "every excursion: a run of consecutive samples on one side, with its first\n"
        "and last sample time, samples, time and peak. All figures come from the\n"
        "values as the list shows them; mean, standard deviation and MKT carry two\n"
        "decimals more. The options may come before or after FILE.\n"
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
        "                     be left empty for none (--limit hum=,80). CHANNEL is a\n"
        "                     list title such as %s, a channel name such as %s,\n"
        "                     or temp, hum, sound, co2, hcho. Repeat it for several\n"
        "                     channels; the last one given for a channel counts\n"
        "  --mkt-dh KJ_PER_MOL\n"
        "                     the activation energy of the MKT in kJ/mol (1..1000);\n"
        "                     default 83.144, for which dH/R is 10000 K\n"
        "  --json             one JSON object instead of the table: file, model,\n"
        "                     number, name, query, interval_s, first, last, samples\n"
        "                     and \"series\" (the channels), each with title, unit,\n"
        "                     count, missing, min, min_time, max, max_time, mean,\n"
        "                     stdev, mkt and limits (low, high, below, above,\n"
        "                     excursions); times in ISO 8601 local time with offset,\n"
        "                     absent values left out\n"
        "\n"
        "One window at most: --last-days, --last-months or --from with --to.\n"
        "\n"
        "Exit status:\n"
        "  0  figures printed, also when the window holds no sample\n"
        "  1  FILE cannot be read (%s)\n"
        "  2  a missing or wrong argument, or a --limit for a channel the record does\n"
        "     not list",
        SeriesTitle(0, units).c_str(), Tr(units.names[2]),
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
