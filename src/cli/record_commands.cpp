// Record commands of qxlog-cli: info, export and stats over record files, and download from an
// instrument into a new record file.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "cli_command.h"
#include "cli_help.h"
#include "console_instrument.h"
#include "core/link/instrument_messages.h"
#include "core/link/record_download.h"
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
#include "every_instrument.h"
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

// Why a transfer failed, for the line below msg::kDownloadFailed.
std::string DownloadFailureReason(const DownloadResult& r) {
    switch (r.status) {
        case DownloadStatus::kNotConnected:
            return "the instrument is no longer connected";
        case DownloadStatus::kStopReadFailed:
            return "stopping the recording or reading its settings failed";
        case DownloadStatus::kBlockFailed:
            return StrFormat("a block could not be fetched after %u of %u samples", r.fetched,
                             r.count);
        case DownloadStatus::kOk:
            break;
    }
    return {};
}

// `dir`/`name`, or with -2, -3, ... before the extension when that file exists: a download
// never replaces a file.
std::string FreshPath(const std::string& dir, const std::string& name) {
    const std::filesystem::path folder(dir);
    const std::string stem = std::filesystem::path(name).stem().string();
    const std::string extension = std::filesystem::path(name).extension().string();
    std::filesystem::path path = folder / name;
    std::error_code error;
    for (int n = 2; std::filesystem::exists(path, error) || error; ++n) {
        if (error) return {};
        path = folder / (stem + "-" + std::to_string(n) + extension);
    }
    return path.string();
}

// Downloads the connected instrument's recording into `output`, or into a fresh file named
// after the instrument number and the first sample in `dir`. The outcome's text is the file
// written.
InstrumentOutcome Download(ConsoleInstrument& instrument, const CliOptions& options,
                           const std::string& output, const std::string& dir, ProgressStyle style,
                           bool verbose) {
    DeviceCommands& commands = instrument.session.commands;
    const CommandResult asked = commands.RequestDownload();
    if (asked == CommandResult::kRefused) return {};  // warned: no recording
    if (asked != CommandResult::kDone || !commands.DownloadTimerTick()) {
        ReportExchangeFailure(instrument, Tr(msg::kDownloadFailed),
                              "the exchange with the instrument failed before the transfer");
        return {};
    }
    auto image = std::make_unique<RecordImage>();
    ConsoleProgress progress(style);
    const DownloadResult result =
        commands.ReceiveData(*image, progress.Hooks(options.RealInstruments()));
    if (result.status != DownloadStatus::kOk) {
        ReportExchangeFailure(instrument, Tr(msg::kDownloadFailed), DownloadFailureReason(result));
        return {};
    }
    const InstrumentTypeId type = instrument.session.state.type;
    const std::string path =
        output.empty() ? FreshPath(dir, DownloadFileName(result.params, type)) : output;
    if (path.empty()) return {false, SaveFailedMessage(dir)};
    const RecordFileResult saved = SaveRecordFile(path, *image, type);
    if (!saved.ok) {
        return {false, saved.reason.empty() ? saved.message : saved.message + "\n" + saved.reason};
    }
    commands.AcceptDownload(result.params);
    if (verbose) {
        std::printf("%s: %u samples written to %s\n", ModelDisplayName(saved.type).c_str(),
                    result.fetched, path.c_str());
    }
    return {true, path};
}

int RunDownload(const CliOptions& globalOptions, std::span<const std::string> args) {
    constexpr const char* kName = "download";
    CliOptions options = globalOptions;
    bool all = false;
    std::string output, dir;
    bool quiet = false, bar = false;
    for (size_t i = 0; i < args.size(); ++i) {
        std::string problem;
        const ChoiceArgument taken = TakeInstrumentChoice(args, i, options, all, problem);
        if (taken == ChoiceArgument::kTaken) continue;
        if (taken == ChoiceArgument::kBad) return Usage(kName, problem);
        if (args[i] == "-o" || args[i] == "--output" || args[i] == "--dir") {
            if (i + 1 >= args.size()) return Usage(kName, args[i] + " needs a value");
            (args[i] == "--dir" ? dir : output) = args[i + 1];
            ++i;
        } else if (args[i] == "-q" || args[i] == "--quiet") {
            quiet = true;
        } else if (args[i] == "--progress") {
            bar = true;
        } else {
            return Usage(kName, "unexpected argument " + args[i]);
        }
    }
    if (output.empty() == dir.empty()) {
        return Usage(kName, "-o FILE or --dir DIR names where to write the record");
    }
    if (all && dir.empty()) return Usage(kName, "--all writes into a folder: --dir DIR");
    if (!dir.empty() && !std::filesystem::is_directory(dir)) {
        std::fprintf(stderr, "qxlog-cli download: %s is not a folder\n", dir.c_str());
        return kExitFailure;
    }
    if (quiet && bar) return Usage(kName, "--quiet and --progress exclude each other");
    // Every attached instrument: one result line each and no progress of their transfers.
    const ProgressStyle style = quiet || all                     ? ProgressStyle::kQuiet
                                : bar || ::isatty(STDERR_FILENO) ? ProgressStyle::kBar
                                                                 : ProgressStyle::kLines;

    if (all) {
        return ForEveryInstrument(options, [&](ConsoleInstrument& instrument) {
            return Download(instrument, options, output, dir, style, false);
        });
    }
    auto instrument = ConnectInstrument(options);
    if (!instrument) return kExitFailure;
    const InstrumentOutcome outcome = Download(*instrument, options, output, dir, style, !quiet);
    if (!outcome.ok && !outcome.text.empty()) std::fprintf(stderr, "%s\n", outcome.text.c_str());
    return outcome.ok ? kExitOk : kExitFailure;
}

// The query line export prints, N for its counts and ... for the header and the query.
std::string QueryLineExample() {
    constexpr int kCount = 1234567;
    const std::string count = std::to_string(kCount);
    std::string line = QueryStatusLine("...", kCount, "...", kCount);
    for (size_t at; (at = line.find(count)) != std::string::npos;)
        line.replace(at, count.size(), "N");
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
        "replaces OUT.\n"
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
        Quoted(ExportFailedMessage("OUT")).c_str(), Tr(kSampleSheetName), Tr(kParamSheetName),
        Tr(kStatisticsSheetName), Quoted(OpenFailedMessage("FILE")).c_str(),
        Quoted(ExportFailedMessage("OUT")).c_str());
}

std::string DownloadHelp() {
    return FormatHelp(
        "Usage: qxlog-cli [--simulate MODELS] download [--device N] -o FILE\n"
        "                        [--quiet | --progress]\n"
        "       qxlog-cli [--simulate MODELS] download [--device N | --all] --dir DIR\n"
        "\n"
        "Stops the instrument's recording, fetches all its samples and writes them as\n"
        "a record file (*.QXRec), then prints 'MODEL: N samples written to FILE'. On\n"
        "stderr it shows %s and, when stderr is a terminal, a\n"
        "progress bar; otherwise (a file, a pipe, cron) one line with the last count\n"
        "when the transfer ends. A failure prints the system's message and on the next\n"
        "line why.\n"
        "\n"
        "Options:\n"
        "  -o, --output FILE  the record file to write\n"
        "  --dir DIR          write into the folder DIR as\n"
        "                     NUMBER_YYYYMMDD-HHMMSS.QXRec: the instrument number and\n"
        "                     the local time of the first sample, characters that\n"
        "                     cannot stand in a file name replaced by _; never\n"
        "                     replaces a file but adds -2, -3, ... to the name\n"
        "  --device N         the Nth instrument, as 'list' numbers them\n"
        "  --all              every attached instrument in turn (needs --dir), one\n"
        "                     line each: MODEL<TAB>NUMBER<TAB>PATH<TAB>ok FILE or the\n"
        "                     reason it failed\n"
        "  -q, --quiet        print nothing but errors\n"
        "  --progress         draw the progress bar also when stderr is no terminal\n"
        "\n"
        "Exit status:\n"
        "  0  recording downloaded and written (with --all: from every instrument)\n"
        "  1  no instrument, it holds no recording (%s), the\n"
        "     transfer failed (%s), or FILE cannot be written\n"
        "     (%s); no record file is written then; with --all: on\n"
        "     any instrument\n"
        "  2  neither -o FILE nor --dir DIR, --quiet with --progress, or another\n"
        "     argument",
        Quoted(Tr(kDownloadWaitText)).c_str(), Quoted(Tr(msg::kNoRecording)).c_str(),
        Quoted(Tr(msg::kDownloadFailed)).c_str(), Quoted(SaveFailedMessage("FILE")).c_str());
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
};

}  // namespace

std::span<const CliCommand> RecordCommands() {
    return kCommands;
}

}  // namespace qx::cli
