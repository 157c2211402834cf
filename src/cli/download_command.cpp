#include "download_command.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <thread>
#include <utility>

#include "cli_help.h"
#include "core/library/library_location.h"
#include "core/library/library_texts.h"
#include "core/link/instrument_messages.h"
#include "core/link/record_download.h"
#include "core/model/language.h"
#include "core/model/text_util.h"
#include "core/records/download_target.h"
#include "core/records/record_file.h"

namespace qx::cli {
namespace {

constexpr const char* kName = "download";

int Usage(const std::string& problem) {
    std::fprintf(stderr, "qxlog-cli %s: %s\n(see qxlog-cli %s --help)\n", kName, problem.c_str(),
                 kName);
    return kExitUsage;
}

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

std::string Joined(const std::string& dir, const std::string& name) {
    return (std::filesystem::path(dir) / name).string();
}

// The one place where qxlog-cli has a download safely in a record file: whatever is to follow
// a saved download (download, download --all, collect) follows from here.
void DownloadSaved(ConsoleInstrument& instrument, const DownloadResult& result,
                   const std::string& path, LibraryHook* library, bool verbose) {
    instrument.session.commands.AcceptDownload(result.params);
    if (verbose) {
        std::printf("%s: %u samples written to %s\n",
                    ModelDisplayName(instrument.session.state.type).c_str(), result.fetched,
                    path.c_str());
        std::fflush(stdout);
    }
    if (library) library->Add(path);
}

}  // namespace

void LibraryHook::Add(const std::string& path) {
    if (location.empty()) return;
    const AddResult r = AddSavedRecord(location, path);
    if (r.Ok()) return;
    // Every later download meets the same library: one report of it is enough.
    if (r.status == AddStatus::kFailed && std::exchange(told, true)) return;
    std::fprintf(stderr, "%s\n", NotAddedMessage(r).c_str());
}

LibraryArgument TakeLibraryOption(std::span<const std::string> args, size_t& i, LibraryHook& hook,
                                  std::string& problem) {
    if (args[i] == "--no-library") {
        hook.location.clear();
        return LibraryArgument::kTaken;
    }
    if (args[i] != "--library") return LibraryArgument::kNone;
    if (i + 1 >= args.size() || args[i + 1].empty()) {
        problem = "--library needs a file";
        return LibraryArgument::kBad;
    }
    hook.location = args[++i];
    return LibraryArgument::kTaken;
}

DownloadRun Download(ConsoleInstrument& instrument, const CliOptions& options,
                     const DownloadDestination& destination, ProgressStyle style, bool verbose) {
    DownloadRun run;
    DeviceCommands& commands = instrument.session.commands;
    const CommandResult asked = commands.RequestDownload();
    if (asked == CommandResult::kRefused) return run;  // warned: no recording
    if (asked != CommandResult::kDone) {
        ReportExchangeFailure(instrument, Tr(msg::kDownloadFailed),
                              "the exchange with the instrument failed before the transfer");
        return run;
    }
    // The file's name is held before the recording is stopped: a destination that cannot be
    // written fails with the instrument as it was.
    const InstrumentTypeId type = instrument.session.state.type;
    ParamBlock recording;
    if (!commands.ReadRecordingParams(recording)) {
        commands.CancelDownload();
        ReportExchangeFailure(instrument, Tr(msg::kDownloadFailed),
                              "the recording's settings could not be read; nothing was stopped");
        return run;
    }
    std::string why;
    const std::string name = DownloadFileName(recording, type);
    DownloadTarget target = destination.file.empty()
                                ? DownloadTarget::FreshIn(destination.dir, name, &why)
                                : DownloadTarget::NewFile(destination.file, &why);
    if (!target.ok()) {
        commands.CancelDownload();
        const std::string shown =
            destination.file.empty() ? Joined(destination.dir, name) : destination.file;
        run.outcome.text = SaveFailedMessage(shown) + "\n" + why;
        return run;
    }
    if (!commands.DownloadTimerTick()) {
        ReportExchangeFailure(instrument, Tr(msg::kDownloadFailed),
                              "the instrument is no longer connected");
        return run;
    }
    auto image = std::make_unique<RecordImage>();
    ConsoleProgress progress(style);
    const DownloadResult result =
        commands.ReceiveData(*image, progress.Hooks(options.RealInstruments()));
    run.stopped =
        result.status == DownloadStatus::kOk || result.status == DownloadStatus::kBlockFailed;
    if (result.status != DownloadStatus::kOk) {
        ReportExchangeFailure(instrument, Tr(msg::kDownloadFailed), DownloadFailureReason(result));
        return run;
    }
    if (!target.Write(*image, type, &why)) {
        run.outcome.text = SaveFailedMessage(target.Path()) + "\n" + why;
        return run;
    }
    DownloadSaved(instrument, result, target.Path(), destination.library, verbose);
    run.outcome = {true, target.Path()};
    return run;
}

std::string PlannedDownloadPath(ConsoleInstrument& instrument, const std::string& dir,
                                std::string& problem) {
    DeviceCommands& commands = instrument.session.commands;
    // The checks of a real download, which goes no further.
    const CommandResult asked = commands.RequestDownload();
    commands.CancelDownload();
    ParamBlock recording;
    if (asked != CommandResult::kDone || !commands.ReadRecordingParams(recording)) {
        problem = instrument.ui.Warnings();
        if (problem.empty()) problem = Tr(msg::kDownloadFailed);
        return {};
    }
    const std::string name = DownloadFileName(recording, instrument.session.state.type);
    std::string path = FreeNumberedPath(dir, name, [](const std::string& p) {
        struct stat st {};
        return ::lstat(p.c_str(), &st) == 0;
    });
    if (path.empty()) problem = SaveFailedMessage(Joined(dir, name));
    return path;
}

bool CheckDownloadFolder(const std::string& dir, std::string& problem) {
    struct stat st {};
    if (::stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        problem = dir + " is not a folder";
        return false;
    }
    if (::access(dir.c_str(), W_OK | X_OK) != 0) {
        problem = StrFormat("cannot write in %s: %s", dir.c_str(), std::strerror(errno));
        return false;
    }
    return true;
}

int RunDownload(const CliOptions& globalOptions, std::span<const std::string> args) {
    CliOptions options = globalOptions;
    bool all = false;
    DownloadDestination destination;
    LibraryHook library{DefaultLibraryLocation()};
    destination.library = &library;
    bool quiet = false, bar = false;
    for (size_t i = 0; i < args.size(); ++i) {
        std::string problem;
        const ChoiceArgument taken = TakeInstrumentChoice(args, i, options, all, problem);
        if (taken == ChoiceArgument::kTaken) continue;
        if (taken == ChoiceArgument::kBad) return Usage(problem);
        const LibraryArgument libraryTaken = TakeLibraryOption(args, i, library, problem);
        if (libraryTaken == LibraryArgument::kTaken) continue;
        if (libraryTaken == LibraryArgument::kBad) return Usage(problem);
        if (args[i] == "-o" || args[i] == "--output" || args[i] == "--dir") {
            if (i + 1 >= args.size()) return Usage(args[i] + " needs a value");
            (args[i] == "--dir" ? destination.dir : destination.file) = args[i + 1];
            ++i;
        } else if (args[i] == "-q" || args[i] == "--quiet") {
            quiet = true;
        } else if (args[i] == "--progress") {
            bar = true;
        } else {
            return Usage("unexpected argument " + args[i]);
        }
    }
    if (destination.file.empty() == destination.dir.empty()) {
        return Usage("-o FILE or --dir DIR names where to write the record");
    }
    if (all && destination.dir.empty()) return Usage("--all writes into a folder: --dir DIR");
    if (std::string problem;
        !destination.dir.empty() && !CheckDownloadFolder(destination.dir, problem)) {
        std::fprintf(stderr, "qxlog-cli %s: %s\n", kName, problem.c_str());
        return kExitFailure;
    }
    if (quiet && bar) return Usage("--quiet and --progress exclude each other");
    // Every attached instrument: one result line each and no progress of their transfers.
    const ProgressStyle style = quiet || all                     ? ProgressStyle::kQuiet
                                : bar || ::isatty(STDERR_FILENO) ? ProgressStyle::kBar
                                                                 : ProgressStyle::kLines;

    if (all) {
        return ForEveryInstrument(options, [&](ConsoleInstrument& instrument) {
            return Download(instrument, options, destination, style, false).outcome;
        });
    }
    auto instrument = ConnectInstrument(options);
    if (!instrument) return kExitFailure;
    const InstrumentOutcome outcome =
        Download(*instrument, options, destination, style, !quiet).outcome;
    if (!outcome.ok && !outcome.text.empty()) std::fprintf(stderr, "%s\n", outcome.text.c_str());
    return outcome.ok ? kExitOk : kExitFailure;
}

std::string DownloadHelp() {
    return FormatHelp(
        "Usage: qxlog-cli [--simulate MODELS] download [--device N] -o FILE\n"
        "                        [--quiet | --progress] [--library FILE | --no-library]\n"
        "       qxlog-cli [--simulate MODELS] download [--device N | --all] --dir DIR\n"
        "                        [--library FILE | --no-library]\n"
        "\n"
        "Creates the record file first, so that its name is held and its folder known\n"
        "to be writable, then stops the instrument's recording, fetches all its samples,\n"
        "writes them into that file (*.QXRec), reads the file back and prints\n"
        "'MODEL: N samples written to FILE'. A file that cannot be created fails with\n"
        "the instrument as it was, and a download never replaces a file. On stderr it\n"
        "shows %s and, when stderr is a terminal, a progress\n"
        "bar; otherwise (a file, a pipe, cron) one line with the last count when the\n"
        "transfer ends. A failure prints the system's message and on the next line\n"
        "why.\n"
        "\n"
        "Every saved record file is added to the record library (see qxlog-cli\n"
        "library). A library that cannot be opened or added to never fails the\n"
        "download: the file stays saved, and stderr says\n"
        "%s and below it\n"
        "the library's message and why (once per run).\n"
        "\n"
        "Options:\n"
        "  -o, --output FILE  the record file to write; a new one (an existing FILE is\n"
        "                     refused)\n"
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
        "  --library FILE     add the record file to this library instead of\n"
        "                     ~/.local/share/Vornak/QX_CHN/DAT/QXLibrary.sqlite\n"
        "  --no-library       add it to no library\n"
        "\n"
        "Exit status:\n"
        "  0  recording downloaded and written (with --all: from every instrument)\n"
        "  1  no instrument, it holds no recording (%s), the\n"
        "     transfer failed (%s), or FILE exists or cannot be\n"
        "     written (%s); no record file is left then; with\n"
        "     --all: on any instrument\n"
        "  2  neither -o FILE nor --dir DIR, --quiet with --progress, or another\n"
        "     argument",
        Quoted(Tr(kDownloadWaitText)).c_str(), Quoted(StrFormat(Tr(kNotAddedText), "FILE")).c_str(),
        Quoted(Tr(msg::kNoRecording)).c_str(), Quoted(Tr(msg::kDownloadFailed)).c_str(),
        Quoted(SaveFailedMessage("FILE")).c_str());
}

}  // namespace qx::cli
