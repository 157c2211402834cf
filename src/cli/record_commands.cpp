// Record commands of qxlog-cli: info, export and stats over record files, and download from an
// instrument into a new record file.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "cli/cli_command.h"
#include "cli/console_instrument.h"
#include "cli/stats_command.h"
#include "link/instrument_messages.h"
#include "link/record_download.h"
#include "model/local_time.h"
#include "model/param_list_rows.h"
#include "model/text_util.h"
#include "records/query_options.h"
#include "records/record_export.h"
#include "records/record_file.h"
#include "records/record_query.h"
#include "records/record_set.h"
#include "records/record_statistics.h"
#include "records/sample_table.h"

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

// A record file read and decoded; nullptr after printing the system's message and why.
struct LoadedRecord {
    RecordImage image;
    RecordSet set;
};
std::unique_ptr<LoadedRecord> LoadRecord(const std::string& path) {
    auto record = std::make_unique<LoadedRecord>();
    const RecordFileResult r = OpenRecordFile(path, record->image, record->set);
    if (!r.ok) {
        PrintFailure(r.message, r.reason);
        return nullptr;
    }
    return record;
}

// ---- info ------------------------------------------------------------------------------

int RunInfo(const CliOptions&, std::span<const std::string> args) {
    if (args.size() != 1 || args[0].starts_with("-")) {
        return Usage("info", args.empty() ? "a record file is needed" : "takes one record file");
    }
    const auto record = LoadRecord(args[0]);
    if (!record) return kExitFailure;
    const RecordSet& set = record->set;
    const ParamBlock params = set.Params();
    std::printf("File: %s\n", args[0].c_str());
    std::printf("Model: %s (%s)\n", ModelName(set.type).c_str(),
                ModelDisplayName(set.type).c_str());
    std::printf("Downloaded: %s\n",
                FormatLocalTime(set.header.DownloadTime(), kTimeFormat).c_str());
    const uint32_t declared = EffectiveRecordCount(params, set.type);
    if (declared != static_cast<uint32_t>(set.count)) {
        std::printf("Samples: %d (the header names %u; the file holds only %d)\n", set.count,
                    declared, set.count);
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
        std::printf("  %s\t%s\n", row.label.c_str(), row.text.c_str());
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

// ---- download --------------------------------------------------------------------------

// The wait popup on the console, on stderr. kBar redraws a bar with the percent texts when
// they change (for a terminal); kLines prints the popup's first line at the start and the last
// percent text at the end (for a file or a pipe); kQuiet prints nothing.
enum class ProgressStyle { kBar, kLines, kQuiet };

class ConsoleProgress {
  public:
    explicit ConsoleProgress(ProgressStyle style) : style_(style) {}

    DownloadHooks Hooks(bool realPauses) {
        DownloadHooks h;
        if (realPauses) {
            h.pause = [](int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); };
        }
        if (style_ == ProgressStyle::kQuiet) return h;
        h.begin = [](const std::string& line0, uint32_t) {
            std::fprintf(stderr, "%s\n", line0.c_str());
        };
        h.progress = [this](const DownloadProgress& p) { Show(p); };
        h.finish = [this] {
            if (style_ == ProgressStyle::kLines && !last_.empty()) {
                std::fprintf(stderr, "%s\n", last_.c_str());
            }
            if (shown_) std::fputc('\n', stderr);
            shown_ = false;
        };
        return h;
    }

  private:
    void Show(const DownloadProgress& p) {
        if (p.text == last_) return;
        last_ = p.text;
        if (style_ != ProgressStyle::kBar) return;
        constexpr int kWidth = 40;
        const int filled = p.percent * kWidth / 100;
        std::fprintf(stderr, "\r[%s%s] %s", std::string(static_cast<size_t>(filled), '#').c_str(),
                     std::string(static_cast<size_t>(kWidth - filled), ' ').c_str(),
                     p.text.c_str());
        std::fflush(stderr);
        shown_ = true;
    }

    ProgressStyle style_;
    std::string last_;
    bool shown_ = false;
};

// Why a transfer failed, for the line below "下载出错!".
std::string DownloadFailureReason(const DownloadResult& r) {
    switch (r.status) {
        case DownloadStatus::kNotConnected:
            return "the instrument is no longer connected";
        case DownloadStatus::kStopReadFailed:
            return "stopping the recording or reading its parameters failed";
        case DownloadStatus::kBlockFailed:
            return StrFormat("a block could not be fetched after %u of %u samples", r.fetched,
                             r.count);
        case DownloadStatus::kOk:
            break;
    }
    return {};
}

int RunDownload(const CliOptions& options, std::span<const std::string> args) {
    constexpr const char* kName = "download";
    std::string output;
    bool quiet = false, bar = false;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "-o" || args[i] == "--output") {
            if (i + 1 >= args.size()) return Usage(kName, args[i] + " needs a value");
            output = args[++i];
        } else if (args[i] == "-q" || args[i] == "--quiet") {
            quiet = true;
        } else if (args[i] == "--progress") {
            bar = true;
        } else {
            return Usage(kName, "unexpected argument " + args[i]);
        }
    }
    if (output.empty()) return Usage(kName, "-o FILE names the record file to write");
    if (quiet && bar) return Usage(kName, "--quiet and --progress exclude each other");
    const ProgressStyle style = quiet                            ? ProgressStyle::kQuiet
                                : bar || ::isatty(STDERR_FILENO) ? ProgressStyle::kBar
                                                                 : ProgressStyle::kLines;

    auto instrument = ConnectInstrument(options);
    if (!instrument) return kExitFailure;
    DeviceCommands& commands = instrument->session.commands;
    const CommandResult asked = commands.RequestDownload();
    if (asked == CommandResult::kRefused) return kExitFailure;  // "没有数据记录,不能下载!"
    if (asked != CommandResult::kDone || !commands.DownloadTimerTick()) {
        ReportExchangeFailure(*instrument, msg::kDownloadFailed,
                              "the exchange with the instrument failed before the transfer");
        return kExitFailure;
    }
    auto image = std::make_unique<RecordImage>();
    ConsoleProgress progress(style);
    const DownloadResult result =
        commands.ReceiveData(*image, progress.Hooks(options.simulate.empty()));
    if (result.status != DownloadStatus::kOk) {
        ReportExchangeFailure(*instrument, msg::kDownloadFailed, DownloadFailureReason(result));
        return kExitFailure;
    }
    const RecordFileResult saved = SaveRecordFile(output, *image, instrument->session.state.type);
    if (!saved.ok) {
        PrintFailure(saved.message, saved.reason);
        return kExitFailure;
    }
    commands.AcceptDownload(result.params);
    if (quiet) return kExitOk;
    std::printf("%s: %u samples written to %s\n", ModelDisplayName(saved.type).c_str(),
                result.fetched, output.c_str());
    return kExitOk;
}

const CliCommand kCommands[] = {
    {"info", "show a record file: model, times, sample count, parameters",
     "Usage: qxlog-cli info FILE\n"
     "\n"
     "Shows the record file FILE (*.QXRec) as 'name: value' lines: File, Model,\n"
     "Downloaded, Samples, First sample and Last sample (local times\n"
     "YYYY-MM-DD HH:MM:SS), then under Parameters: one indented 'label<TAB>text'\n"
     "line per parameter of the recording. When the file holds fewer samples than\n"
     "its header names, the Samples line gives both numbers.\n"
     "\n"
     "When FILE cannot be read, the line after 文件:FILE 不能打开! says why: the\n"
     "system's error (No such file or directory, Is a directory, ...), not a record\n"
     "file (unknown magic 0x...), or shorter than a record header (N bytes).\n"
     "\n"
     "Exit status:\n"
     "  0  record shown\n"
     "  1  FILE cannot be read as a record file (文件:FILE 不能打开!)\n"
     "  2  no record file, more than one, or an option",
     RunInfo},
    {"export", "export the samples of a record file to xlsx, UTF-16 text or CSV",
     "Usage: qxlog-cli export FILE -o OUT [--format xlsx|text|csv]\n"
     "                        [--last-days N | --last-months N |\n"
     "                         --from YYYY-MM-DD --to YYYY-MM-DD]\n"
     "\n"
     "Writes the samples of the record file FILE within a time window (all samples\n"
     "unless a window is given) as the record browser lists them. Prints the query\n"
     "line (... 总记录数:N  查询条件:... 记录数:N) and then 文件:OUT 导出成功!.\n"
     "The options may come before or after FILE. A failure prints 文件:OUT 导出失败!\n"
     "and on the next line why; a workbook is read back and checked before it\n"
     "replaces OUT.\n"
     "\n"
     "Options:\n"
     "  -o, --output OUT   the file to write; replaced only once the new one is\n"
     "                     complete\n"
     "  --format F         xlsx: workbook with the sheets 数据记录, 参数表 and 统计\n"
     "                     (the figures of qxlog-cli stats, record limits), the\n"
     "                     times as date-time cells; text: UTF-16 text with the\n"
     "                     parameters, a header and the samples, comma-separated;\n"
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
     "  1  FILE cannot be read (文件:FILE 不能打开!) or OUT cannot be written\n"
     "     (文件:OUT 导出失败!)\n"
     "  2  a missing or wrong argument, or OUT without an extension and no\n"
     "     --format",
     RunExport},
    {"stats", kStatsSummary, kStatsHelp, RunStats},
    {"download", "download the instrument's recording into a record file",
     "Usage: qxlog-cli [--simulate MODELS] [--device N] download -o FILE\n"
     "                        [--quiet | --progress]\n"
     "\n"
     "Stops the instrument's recording, fetches all its samples and writes them as\n"
     "the record file FILE (*.QXRec), then prints 'MODEL: N samples written to\n"
     "FILE'. On stderr it shows 正在接收数据,请稍候... and, when stderr is a\n"
     "terminal, a progress bar; otherwise (a file, a pipe, cron) one line with the\n"
     "last count when the transfer ends. A failure prints the system's message and\n"
     "on the next line why.\n"
     "\n"
     "Options:\n"
     "  -o, --output FILE  the record file to write\n"
     "  -q, --quiet        print nothing but errors\n"
     "  --progress         draw the progress bar also when stderr is no terminal\n"
     "\n"
     "Exit status:\n"
     "  0  recording downloaded and written\n"
     "  1  no instrument, it holds no recording (没有数据记录,不能下载!), the\n"
     "     transfer failed (下载出错!), or FILE cannot be written\n"
     "     (文件:FILE 不能保存!); no record file is written then\n"
     "  2  no -o FILE, --quiet with --progress, or another argument",
     RunDownload},
};

}  // namespace

std::span<const CliCommand> RecordCommands() {
    return kCommands;
}

}  // namespace qx::cli
