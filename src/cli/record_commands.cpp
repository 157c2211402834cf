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
#include "monitor_command.h"
#include "stats_command.h"

namespace qx::cli {
namespace {

constexpr const char* kTimeFormat = "%Y-%m-%d %H:%M:%S";

int Usage(const char* command, const std::string& problem) {
    std::fprintf(stderr, "qxlog-cli %s: %s\n(see qxlog-cli %s --help)\n", command, problem.c_str(),
                 command);
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
        return Usage("info", args.empty() ? "a record file is needed" : "takes one record file");
    }
    // An incomplete record says so on its Samples line.
    const auto record = LoadRecord(args[0], false);
    if (!record) return kExitFailure;
    const RecordSet& set = record->set;
    std::printf("File: %s\n", args[0].c_str());
    std::printf("Model: %s (%s)\n", ModelName(set.type).c_str(),
                ModelDisplayName(set.type).c_str());
    std::printf("Downloaded: %s\n",
                FormatLocalTime(set.header.DownloadTime(), kTimeFormat).c_str());
    if (record->opened.incomplete) {
        std::printf("Samples: %d (%s)\n", set.count, record->opened.reason.c_str());
    } else {
        std::printf("Samples: %d\n", set.count);
    }
    if (set.count > 0) {
        std::printf("First sample: %s\n", FormatLocalTime(SampleTime(set, 0), kTimeFormat).c_str());
        std::printf("Last sample: %s\n",
                    FormatLocalTime(SampleTime(set, set.count - 1), kTimeFormat).c_str());
    }
    std::printf("Parameters:\n");
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
            if (a.starts_with("-")) return Usage(kName, "unknown option " + a);
            if (!input.empty()) return Usage(kName, "only one record file can be exported");
            input = a;
            continue;
        }
        if (i + 1 >= args.size()) return Usage(kName, a + " needs a value");
        const std::string& v = args[++i];
        if (a == "-o" || a == "--output") {
            output = v;
        } else if (a == "--format") {
            formatName = v;
        } else if (!queryOptions.Take(a, v, &problem)) {
            return Usage(kName, problem);
        }
    }
    if (input.empty()) return Usage(kName, "a record file is needed");
    if (output.empty()) return Usage(kName, "-o OUT names the file to write");
    const std::optional<QueryRequest> query = queryOptions.Request(&problem);
    if (!query) return Usage(kName, problem);
    ExportFormat format = ExportFormatForPath(output);
    if (formatName == "xlsx") {
        format = ExportFormat::Workbook;
    } else if (formatName == "text") {
        format = ExportFormat::Text;
    } else if (formatName == "csv") {
        format = ExportFormat::Csv;
    } else if (!formatName.empty()) {
        return Usage(kName, "--format is xlsx, text or csv");
    } else if (format == ExportFormat::None) {
        return Usage(kName, "the name " + output +
                                " has no extension to choose the format by; add --format");
    } else if (output.size() >= 4 &&
               EqualsIgnoreCase(std::string_view(output).substr(output.size() - 4), ".csv")) {
        format = ExportFormat::Csv;  // scripts asking for a .csv file mean CSV
    }

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
    if (!ExportSampleTable(output, format, *table, RecordParamRows(record->set),
                           statistics ? &*statistics : nullptr, &why)) {
        PrintFailure(ExportFailedMessage(output), why);
        return kExitFailure;
    }
    std::printf("%s\n", ExportSucceededMessage(output).c_str());
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
        "Usage: qxlog-cli info FILE\n"
        "\n"
        "Shows the record file FILE (*.QXRec) as 'name: value' lines: File, Model,\n"
        "Downloaded, Samples, First sample and Last sample (local times\n"
        "YYYY-MM-DD HH:MM:SS), then under Parameters: one indented 'label<TAB>text'\n"
        "line per setting of the recording. When the file holds fewer samples than\n"
        "its header names, the Samples line gives both numbers.\n"
        "\n"
        "When FILE cannot be read, the line after %s says why: the\n"
        "system's error (No such file or directory, Is a directory, ...), not a record\n"
        "file (unknown magic 0x...), or shorter than a record header (N bytes).\n"
        "\n"
        "Exit status:\n"
        "  0  record shown\n"
        "  1  FILE cannot be read as a record file (%s)\n"
        "  2  no record file, more than one, or an option",
        Quoted(OpenFailedMessage("FILE")).c_str(), Quoted(OpenFailedMessage("FILE")).c_str());
}

std::string ExportHelp() {
    return FormatHelp(
        "Usage: qxlog-cli export FILE -o OUT [--format xlsx|text|csv]\n"
        "                        [--last-days N | --last-months N |\n"
        "                         --from YYYY-MM-DD --to YYYY-MM-DD]\n"
        "\n"
        "Writes the samples of the record file FILE within a time window (all samples\n"
        "unless a window is given) as the record browser lists them. Prints the query\n"
        "line (%s) and then %s.\n"
        "The options may come before or after FILE. A failure prints %s\n"
        "and on the next line why; a workbook is read back and checked before it\n"
        "replaces OUT. A record file that holds fewer samples than its header names\n"
        "is exported with the samples it holds, after %s\n"
        "and on the next line what is missing (on stderr).\n"
        "\n"
        "Options:\n"
        "  -o, --output OUT   the file to write; replaced only once the new one is\n"
        "                     complete\n"
        "  --format F         xlsx: workbook with the sheets %s, %s and %s\n"
        "                     (the figures of qxlog-cli stats, record limits), the\n"
        "                     times as date-time cells; text: UTF-16 text with the\n"
        "                     settings, a header and the samples, comma-separated;\n"
        "                     csv: UTF-8 CSV, header and samples, ISO 8601 times.\n"
        "                     Without it, OUT ending in .xls or .xlsx gives a\n"
        "                     workbook, .csv the CSV and any other extension the\n"
        "                     UTF-16 text\n"
        "  --last-days N      samples of the last N days (1..300) up to now\n"
        "  --last-months N    samples of the last N calendar months (1..30) up to now\n"
        "  --from YYYY-MM-DD, --to YYYY-MM-DD\n"
        "                     samples from 00:00:00 of the first to 23:59:59 of the\n"
        "                     last day in local time; the two go together\n"
        "\n"
        "One window at most: --last-days, --last-months or --from with --to.\n"
        "\n"
        "Exit status:\n"
        "  0  samples written, also when the window holds none\n"
        "  1  FILE cannot be read (%s) or OUT cannot be written\n"
        "     (%s)\n"
        "  2  a missing or wrong argument, or OUT without an extension and no\n"
        "     --format",
        QueryLineExample().c_str(), Quoted(ExportSucceededMessage("OUT")).c_str(),
        Quoted(ExportFailedMessage("OUT")).c_str(), Quoted(IncompleteRecordMessage("FILE")).c_str(),
        Tr(kSampleSheetName), Tr(kParamSheetName), Tr(kStatisticsSheetName),
        Quoted(OpenFailedMessage("FILE")).c_str(), Quoted(ExportFailedMessage("OUT")).c_str());
}

const CliCommand kCommands[] = {
    {"info", "show a record file: model, times, sample count, settings", {InfoHelp}, RunInfo},
    {"export",
     "export the samples of a record file to xlsx, UTF-16 text or CSV",
     {ExportHelp},
     RunExport},
    {"stats", kStatsSummary, {StatsHelp}, RunStats},
    {"download",
     "download the instrument's recording into a record file",
     {DownloadHelp},
     RunDownload},
    {"collect", kCollectSummary, {CollectHelp}, RunCollect},
    {"monitor", kMonitorSummary, {MonitorHelp}, RunMonitor},
};

}  // namespace

std::span<const CliCommand> RecordCommands() {
    return kCommands;
}

}  // namespace qx::cli
