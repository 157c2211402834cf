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
#include "json_writer.h"
#include "limit_option.h"

namespace qx::cli {
namespace {

constexpr const char* kName = "stats";
constexpr const char* kTimeFormat = "%Y-%m-%d %H:%M:%S";

int Usage(const std::string& problem) {
    std::fprintf(stderr, Tr("qxlog-cli %s: %s\n(见 qxlog-cli %s --help)\n"), kName, problem.c_str(),
                 kName);
    return kExitUsage;
}

// ---- JSON ------------------------------------------------------------------------------

void JsonSide(JsonWriter& j, const char* key, const SideTotal& side) {
    j.Key(key);
    j.Open('{');
    j.Key("samples");
    j.Int(side.samples);
    j.Key("seconds");
    j.Int(side.seconds);
    j.Close('}');
}

void JsonLimits(JsonWriter& j, const SeriesStatistics& s) {
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
    JsonWriter j;
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
        Tr("用法: qxlog-cli stats FILE [--last-days N | --last-months N |\n"
           "                            --from YYYY-MM-DD --to YYYY-MM-DD]\n"
           "                      [--limit CHANNEL=LOW,HIGH]... [--mkt-dh KJ_PER_MOL]\n"
           "                      [--json]\n"
           "\n"
           "打印记录文件 FILE 在一个时间范围内的样本 (不给范围时为全部样本) 的各项数字,\n"
           "按列表的顺序, 对记录查询列出的每个通道: 有值的样本数, 缺失值 (空单元格,\n"
           "例如湿度 0 %%RH 时的露点), 最小值和最大值及其首次出现的时间, 平均值和\n"
           "标准差 (n - 1); 对测量的温度还有平均动力学温度 (MKT), 露点没有。对温度\n"
           "和湿度 (噪声计的噪声, 气体记录仪的 CO2 或甲醛上限), 记录的报警值或给出的\n"
           "限值给出低于和高于它们的样本数和时间以及每次超限: 一侧连续的一串样本,\n"
           "含第一个和最后一个样本的时间、样本数、时间和峰值。所有数字都来自列表\n"
           "显示的值; 平均值、标准差和 MKT 多两位小数。表头写明活化能 dH, 限值表\n"
           "写明每个通道的限值来自哪里 (%s 或 %s)。选项可在 FILE 之前或之后。\n"
           "\n"
           "超限的计算:\n"
           "  等于               等于限值的值在限值之内; 值和记录的报警值按列表显示的\n"
           "                     样子比较, 所以同一记录用 °C 和 °F 得到同样的超限\n"
           "  时间               样本数 x 记录间隔: 一个样本的超限持续一个间隔, 间隔\n"
           "                     300 s 时显示为 16:20 到 16:25 的超限持续 600 s\n"
           "  缺失值             缺失值结束一次超限, 不增加时间\n"
           "  下限高于上限       记录的下限高于上限时, 在一行警告中写明, 两侧各自计算\n"
           "\n"
           "选项:\n"
           "  --last-days N      最近 N 天 (1..300) 到现在的样本\n"
           "  --last-months N    最近 N 个日历月 (1..30) 到现在的样本\n"
           "  --from YYYY-MM-DD, --to YYYY-MM-DD\n"
           "                     从第一天 00:00:00 到最后一天 23:59:59 (本地时间) 的\n"
           "                     样本; 两者要一起用\n"
           "  --limit CHANNEL=LOW,HIGH\n"
           "                     用通道显示单位的限值代替记录的报警值, 例如\n"
           "                     --limit temp=2,8; 任一侧可以空着表示没有\n"
           "                     (--limit hum=,80)。CHANNEL 是 temp, hum, dew, density,\n"
           "                     pressure, diffpressure, sound, flow, co2, hcho 之一,\n"
           "                     或中文或英文的通道名或列表标题 (%s, %s,\n"
           "                     Dew point), 与语言无关。限值必须是通道能显示的范围内的\n"
           "                     有限数: 温度 -40..369.5 °C, 露点 -100..369.5 °C (华氏\n"
           "                     记录为 °F), 湿度 0..100 %%RH, 气压 0..6553.5 hPa,\n"
           "                     差压 -3276.8..3276.7 hPa (按记录的气压单位), 噪声\n"
           "                     0..200 dB, 流量 -1000000..1000000, CO2 0..65535 ppm,\n"
           "                     甲醛 0..655.35 mg/m3, 空气密度 0..10 kg/m3。多个通道时\n"
           "                     重复给出; 一个通道以最后给出的为准\n"
           "  --mkt-dh KJ_PER_MOL\n"
           "                     MKT 的活化能, 单位 kJ/mol (1..1000); 默认 83.144,\n"
           "                     这时 dH/R 为 10000 K\n"
           "  --json             用一个 JSON 对象代替表格: file, model, number, name,\n"
           "                     query, interval_s, first, last, samples, mkt_dh_kj_mol\n"
           "                     和 \"series\" (通道), 每个通道有 id (同 --limit), title,\n"
           "                     unit, count, missing, min, min_time, max, max_time,\n"
           "                     mean, stdev, mkt 和 limits (source 为 \"record\" 或\n"
           "                     \"given\", low, high, inverted, below, above,\n"
           "                     excursions); 时间为带时区偏移的 ISO 8601 本地时间,\n"
           "                     没有的值省去\n"
           "\n"
           "最多一个时间范围: --last-days、--last-months 或 --from 与 --to。\n"
           "\n"
           "退出状态:\n"
           "  0  已打印各项数字, 范围内没有样本时也是\n"
           "  1  FILE 不能读取 (%s)\n"
           "  2  缺少参数或参数错误, 给了记录中没有的通道的 --limit, 或限值超出通道的\n"
           "     范围"),
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
            if (a.starts_with("-")) return Usage(StrFormat(Tr("不认识的选项 %s"), a.c_str()));
            if (!input.empty()) return Usage(Tr("只能有一个记录文件"));
            input = a;
            continue;
        }
        if (i + 1 >= args.size()) return Usage(StrFormat(Tr("%s 需要一个值"), a.c_str()));
        const std::string& v = args[++i];
        if (a == "--limit") {
            const auto limit = ParseLimitOption(v, &problem);
            if (!limit) return Usage(problem);
            limitOptions.push_back(*limit);
        } else if (a == "--mkt-dh") {
            const auto dh = ParseNumber(v);
            if (!dh || *dh < kMinActivationEnergy || *dh > kMaxActivationEnergy) {
                return Usage(
                    StrFormat(Tr("--mkt-dh 需要 1 到 1000 的 kJ/mol, 而不是 '%s'"), v.c_str()));
            }
            settings.activationEnergy = *dh;
        } else if (!queryOptions.Take(a, v, &problem)) {
            return Usage(problem);
        }
    }
    if (input.empty()) return Usage(Tr("需要一个记录文件"));
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
            return Usage(StrFormat(Tr("--limit: 记录中没有通道 '%s' (它有 %s)"), o.series.c_str(),
                                   titles.c_str()));
        }
        if (const std::string p = LimitRangeProblem(o, series, table->Units()); !p.empty())
            return Usage(p);
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
