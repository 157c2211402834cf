// Record commands of qxlog-cli: info, export and stats over record files; download from an
// instrument into a new record file and collect from every one (download_command.h,
// collect_command.h).
#include <cstdio>
#include <ctime>
#include <memory>
#include <optional>
#include <string>

#include "cli_command.h"
#include "cli_help.h"
#include "collect_command.h"
#include "core/model/language.h"
#include "core/model/local_time.h"
#include "core/model/param_list_rows.h"
#include "core/model/text_util.h"
#include "core/records/query_options.h"
#include "core/records/record_export.h"
#include "core/records/record_file.h"
#include "core/records/record_query.h"
#include "core/records/record_set.h"
#include "core/records/record_statistics.h"
#include "core/records/sample_table.h"
#include "core/records/statistics_sheet.h"
#include "core/records/workbook_export.h"
#include "download_command.h"
#include "export_option.h"
#include "monitor_command.h"
#include "stats_command.h"

namespace qx::cli {
namespace {

constexpr const char* kTimeFormat = "%Y-%m-%d %H:%M:%S";

int Usage(const char* command, const std::string& problem) {
    std::fprintf(stderr, Tr("qxlog-cli %s: %s\n(见 qxlog-cli %s --help)\n"), command,
                 problem.c_str(), command);
    return kExitUsage;
}

// A failure as the system reports it, with the reason on the line below when there is one.
void PrintFailure(const std::string& message, const std::string& reason) {
    std::fprintf(stderr, "%s\n", message.c_str());
    if (!reason.empty()) std::fprintf(stderr, "%s\n", reason.c_str());
}

// A record file read and decoded; nullptr after printing the system's message and why. A
// record cut short is loaded with the samples it holds; the warning and what is missing go to
// stderr unless the caller shows them itself.
struct LoadedRecord {
    RecordImage image;
    RecordSet set;
    RecordFileResult opened;
};
std::unique_ptr<LoadedRecord> LoadRecord(const std::string& path, bool warnIncomplete = true) {
    auto record = std::make_unique<LoadedRecord>();
    record->opened = OpenRecordFile(path, record->image, record->set);
    const RecordFileResult& r = record->opened;
    if (!r.ok) {
        PrintFailure(r.message, r.reason);
        return nullptr;
    }
    if (r.incomplete && warnIncomplete) PrintFailure(r.message, r.reason);
    return record;
}

// ---- info ------------------------------------------------------------------------------

int RunInfo(const CliOptions&, std::span<const std::string> args) {
    if (args.size() != 1 || args[0].starts_with("-")) {
        return Usage("info", args.empty() ? Tr("需要一个记录文件") : Tr("只能有一个记录文件"));
    }
    // An incomplete record says so on its Samples line.
    const auto record = LoadRecord(args[0], false);
    if (!record) return kExitFailure;
    const RecordSet& set = record->set;
    std::printf(Tr("文件: %s\n"), args[0].c_str());
    std::printf(Tr("型号: %s (%s)\n"), ModelName(set.type).c_str(),
                ModelDisplayName(set.type).c_str());
    std::printf(Tr("下载时间: %s\n"),
                FormatLocalTime(set.header.DownloadTime(), kTimeFormat).c_str());
    if (record->opened.incomplete) {
        std::printf(Tr("样本数: %d (%s)\n"), set.count, record->opened.reason.c_str());
    } else {
        std::printf(Tr("样本数: %d\n"), set.count);
    }
    if (set.count > 0) {
        std::printf(Tr("第一个样本: %s\n"),
                    FormatLocalTime(SampleTime(set, 0), kTimeFormat).c_str());
        std::printf(Tr("最后一个样本: %s\n"),
                    FormatLocalTime(SampleTime(set, set.count - 1), kTimeFormat).c_str());
    }
    std::printf("%s\n", Tr("记录的参数:"));
    for (const ParamListRow& row : RecordParamRows(set)) {
        std::printf("  %s\t%s\n", Tr(row.label).c_str(), row.text.c_str());
    }
    return kExitOk;
}

// ---- export ----------------------------------------------------------------------------

int RunExport(const CliOptions&, std::span<const std::string> args) {
    constexpr const char* kName = "export";
    std::string input, output, formatName, problem;
    QueryOptions queryOptions;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool takesValue =
            a == "-o" || a == "--output" || a == "--format" || QueryOptions::Takes(a);
        if (!takesValue) {
            if (a.starts_with("-"))
                return Usage(kName, StrFormat(Tr("不认识的选项 %s"), a.c_str()));
            if (!input.empty()) return Usage(kName, Tr("只能导出一个记录文件"));
            input = a;
            continue;
        }
        if (i + 1 >= args.size()) return Usage(kName, StrFormat(Tr("%s 需要一个值"), a.c_str()));
        const std::string& v = args[++i];
        if (a == "-o" || a == "--output") {
            output = v;
        } else if (a == "--format") {
            formatName = v;
        } else if (!queryOptions.Take(a, v, &problem)) {
            return Usage(kName, problem);
        }
    }
    if (input.empty()) return Usage(kName, Tr("需要一个记录文件"));
    if (output.empty()) return Usage(kName, Tr("需要 -o OUT: 要写的文件"));
    const std::optional<QueryRequest> query = queryOptions.Request(&problem);
    if (!query) return Usage(kName, problem);
    const ExportFormat format = ChosenExportFormat(output, formatName, &problem);
    if (format == ExportFormat::None) return Usage(kName, problem);

    const auto record = LoadRecord(input);
    if (!record) return kExitFailure;
    const QueryWindow window = MakeQueryWindow(*query, static_cast<int64_t>(std::time(nullptr)));
    auto table = std::make_unique<SampleTable>();
    table->Build(record->set, window);
    const std::string header =
        RecordHeaderText(MakeParamTexts(record->set.Params(), record->set.type));
    std::printf(
        "%s\n",
        QueryStatusLine(header, record->set.count, window.condition, table->RowCount()).c_str());
    std::optional<RecordStatistics> statistics;
    if (format == ExportFormat::Workbook) {
        statistics = ComputeRecordStatistics(record->set, *table, window.condition);
        statistics->file = input;
    }
    std::string why;
    int sheets = 1;
    if (!ExportSampleTable(output, format, *table, RecordParamRows(record->set),
                           statistics ? &*statistics : nullptr, &why, &sheets)) {
        PrintFailure(ExportFailedMessage(output), why);
        return kExitFailure;
    }
    std::printf("%s\n", ExportSucceededMessage(output, kSampleSheetName, sheets).c_str());
    return kExitOk;
}

// The query line export prints, N for its counts and ... for the header and the query.
std::string QueryLineExample() {
    constexpr int kCount = 1234567;
    const std::string count = std::to_string(kCount);
    std::string line = QueryStatusLine("...", kCount, "...", kCount);
    for (size_t at; (at = line.find(count)) != std::string::npos;)
        line.replace(at, count.size(), 1, 'N');
    return line;
}

std::string InfoHelp() {
    return FormatHelp(
        Tr("用法: qxlog-cli info FILE\n"
           "\n"
           "以 '名称: 值' 的行显示记录文件 FILE (*.QXRec): 文件、型号、下载时间、\n"
           "样本数、第一个样本和最后一个样本 (本地时间 YYYY-MM-DD HH:MM:SS), 然后在\n"
           "参数的标题下面每个参数一行, 缩进, '名称<TAB>内容'。文件中的样本少于\n"
           "文件头所记的数目时, 样本数一行给出两个数。英文输出的标题是 File、Model、\n"
           "Downloaded、Samples、First sample、Last sample 和 Parameters:。\n"
           "\n"
           "FILE 不能读取时, %s 的下一行写明原因,\n"
           "系统的错误 (没有那个文件或目录、是一个目录、...), 不是记录文件\n"
           "(不认识的标识 0x...), 或短于记录文件头 (N 字节)。\n"
           "\n"
           "退出状态:\n"
           "  0  已显示记录\n"
           "  1  FILE 不能作为记录文件读取 (%s)\n"
           "  2  没有记录文件, 多于一个, 或给了选项"),
        Quoted(OpenFailedMessage("FILE")).c_str(), Quoted(OpenFailedMessage("FILE")).c_str());
}

std::string ExportHelp() {
    return FormatHelp(
        Tr("用法: qxlog-cli export FILE -o OUT [--format xlsx|text|csv]\n"
           "                       [--last-days N | --last-months N |\n"
           "                        --from YYYY-MM-DD --to YYYY-MM-DD]\n"
           "\n"
           "把记录文件 FILE 在一个时间范围内的样本 (不给范围时为全部样本) 按记录查询\n"
           "列表的样子写出。先打印查询条件一行 (%s),\n"
           "然后打印 %s。\n"
           "选项可在 FILE 之前或之后。失败时打印 %s,\n"
           "下一行写明原因; 工作簿在替换 OUT 之前读回检查。样本少于文件头所记数目的\n"
           "记录文件按其中的样本导出, 先在标准错误上打印\n"
           "%s\n"
           "和下一行缺少的部分。\n"
           "\n"
           "选项:\n"
           "  -o, --output OUT   要写的文件; 新文件完整之后才替换它\n"
           "  --format F         xlsx: 工作簿, 含 %s、%s 和 %s\n"
           "                     三个工作表 (即 qxlog-cli stats 的数字, 用记录的\n"
           "                     限值), 时间为日期时间单元格; text: UTF-16 文本, 含\n"
           "                     参数、标题行和样本, 逗号分隔; csv: UTF-8 CSV, 标题行\n"
           "                     和样本, ISO 8601 时间。不给时, OUT 以 .xls 或 .xlsx\n"
           "                     结尾为工作簿, .csv 为 CSV, .txt 为 UTF-16 文本; 别的\n"
           "                     扩展名被拒绝\n"
           "  --last-days N      最近 N 天 (1..300) 到现在的样本\n"
           "  --last-months N    最近 N 个日历月 (1..30) 到现在的样本\n"
           "  --from YYYY-MM-DD, --to YYYY-MM-DD\n"
           "                     从第一天 00:00:00 到最后一天 23:59:59 (本地时间) 的\n"
           "                     样本; 两者要一起用\n"
           "\n"
           "最多一个时间范围: --last-days、--last-months 或 --from 与 --to。\n"
           "\n"
           "退出状态:\n"
           "  0  已写出样本, 范围内没有样本时也是\n"
           "  1  FILE 不能读取 (%s) 或 OUT 不能写入\n"
           "     (%s)\n"
           "  2  缺少参数或参数错误, 或 OUT 没有这些扩展名又没有 --format"),
        QueryLineExample().c_str(), Quoted(ExportSucceededMessage("OUT")).c_str(),
        Quoted(ExportFailedMessage("OUT")).c_str(), Quoted(IncompleteRecordMessage("FILE")).c_str(),
        Tr(kSampleSheetName), Tr(kParamSheetName), Tr(kStatisticsSheetName),
        Quoted(OpenFailedMessage("FILE")).c_str(), Quoted(ExportFailedMessage("OUT")).c_str());
}

const CliCommand kCommands[] = {
    {"info", TrNoop("显示记录文件: 型号、时间、样本数、参数"), {InfoHelp}, RunInfo},
    {"export", TrNoop("把记录文件的样本导出为 xlsx、UTF-16 文本或 CSV"), {ExportHelp}, RunExport},
    {"stats", kStatsSummary, {StatsHelp}, RunStats},
    {"download", TrNoop("把仪器的记录下载到记录文件"), {DownloadHelp}, RunDownload},
    {"collect", kCollectSummary, {CollectHelp}, RunCollect},
    {"monitor", kMonitorSummary, {MonitorHelp}, RunMonitor},
};

}  // namespace

std::span<const CliCommand> RecordCommands() {
    return kCommands;
}

}  // namespace qx::cli
