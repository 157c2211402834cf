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

#include "core/model/local_time.h"
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
        *problem = "--limit needs SERIES=LOW,HIGH, not '" + text + "'";
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

// Terminal columns of a UTF-8 text: CJK and full-width characters take two.
int DisplayWidth(std::string_view s) {
    int width = 0;
    for (size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        uint32_t cp = c;
        size_t n = 1;
        if (c >= 0xF0) {
            cp = c & 0x07u, n = 4;
        } else if (c >= 0xE0) {
            cp = c & 0x0Fu, n = 3;
        } else if (c >= 0xC0) {
            cp = c & 0x1Fu, n = 2;
        }
        for (size_t k = 1; k < n && i + k < s.size(); ++k)
            cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3Fu);
        width += (cp >= 0x2E80 && cp <= 0xA4CF) || (cp >= 0xAC00 && cp <= 0xD7A3) ||
                         (cp >= 0xF900 && cp <= 0xFAFF) || (cp >= 0xFF00 && cp <= 0xFF60)
                     ? 2
                     : 1;
        i += n;
    }
    return width;
}

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

std::string Side(const SideTotal& side) {
    return std::to_string(side.samples) + " (" + std::to_string(side.seconds) + "秒)";
}

void PrintReadable(const RecordStatistics& rs) {
    std::printf("文件:%s\n", rs.file.c_str());
    std::printf("型号:%s 编号:%s 测量名:%s\n", rs.model.c_str(), rs.number.c_str(),
                rs.name.c_str());
    std::printf("查询条件:%s 记录间隔:%lld秒 记录数:%d\n", rs.condition.c_str(),
                static_cast<long long>(rs.interval), rs.samples);
    if (rs.samples > 0) {
        std::printf("开始时间:%s 结束时间:%s\n", Time(rs.first).c_str(), Time(rs.last).c_str());
    }

    std::vector<std::vector<std::string>> figures = {{"通道", "样本数", "缺失", "最小值",
                                                      "最小值时间", "最大值", "最大值时间",
                                                      "平均值", "标准差", "平均动力学温度"}};
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

    std::vector<std::vector<std::string>> limits = {
        {"通道", "下限", "上限", "限值来源", "低于下限", "高于上限", "超限次数", "最长超限"}};
    std::vector<std::vector<std::string>> excursions = {
        {"通道", "超限", "开始时间", "结束时间", "样本数", "时间(秒)", "峰值", "峰值时间"}};
    for (const SeriesStatistics& s : rs.series) {
        if (!s.limits) continue;
        const LimitSummary& l = *s.limits;
        limits.push_back(
            {s.title, Limit(l.limits.low, s.decimals), Limit(l.limits.high, s.decimals),
             l.overridden ? "用户" : "记录", Side(l.below), Side(l.above),
             std::to_string(l.excursions.size()),
             l.longest >= 0
                 ? std::to_string(l.excursions[static_cast<size_t>(l.longest)].seconds) + "秒"
                 : "-"});
        for (const Excursion& e : l.excursions) {
            excursions.push_back({s.title, LimitSideText(e.side), Time(e.start), Time(e.end),
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
            return Usage("--limit: the record lists no series '" + o.series + "' (it lists " +
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
