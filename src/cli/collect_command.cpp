#include "collect_command.h"

#include <cstdio>

#include "cli_help.h"
#include "configure_command.h"
#include "core/library/library_location.h"
#include "core/link/instrument_messages.h"
#include "core/model/language.h"
#include "core/model/text_util.h"
#include "core/records/record_file.h"
#include "download_command.h"
#include "every_instrument.h"

namespace qx::cli {
namespace {

constexpr const char* kName = "collect";
// The state an instrument is left in when its transfer failed part-way.
constexpr const char* kLeftStopped = TrNoop("仪器已停止记录,数据仍在仪器中.");
constexpr const char* kSummary = TrNoop("%d台仪器: %d台完成, %d台失败.");

int Usage(const std::string& problem) {
    std::fprintf(stderr, "qxlog-cli %s: %s\n(see qxlog-cli %s --help)\n", kName, problem.c_str(),
                 kName);
    return kExitUsage;
}

struct CollectRequest {
    std::string dir;
    LibraryHook* library = nullptr;
    bool restart = true;
    bool dryRun = false;
    ConfigureRequest configure;
};

// What the instrument says after new settings, as the window says it: recording, or waiting
// for its button.
std::string StartText(const ParamBlock& settings) {
    return Tr(settings.U8(param::kStartMode) != 0 ? msg::kMeasuring : msg::kPressButton);
}

// Why the last step failed: its own text, else the instrument's warnings.
std::string Reason(ConsoleInstrument& instrument, const std::string& text) {
    if (!text.empty()) return text;
    if (!instrument.ui.Warnings().empty()) return instrument.ui.Warnings();
    return Tr("失败");
}

InstrumentOutcome Collect(ConsoleInstrument& instrument, const CliOptions& options,
                          const CollectRequest& request) {
    ConsoleUi& ui = instrument.ui;
    // The settings must apply before anything is stopped: a key the model refuses leaves the
    // instrument recording as it was.
    ParamBlock planned;
    if (request.restart) {
        ConfigureRequest check = request.configure;
        check.dryRun = true;
        check.made = &planned;
        const InstrumentOutcome checked = ConfigureInstrument(instrument, check, false);
        if (!checked.ok) return {false, Reason(instrument, checked.text)};
        ui.ResetWarnings();
    }
    if (request.dryRun) {
        std::string problem;
        const std::string path = PlannedDownloadPath(instrument, request.dir, problem);
        if (path.empty()) return {false, problem};
        if (!request.restart) return {true, StrFormat(Tr("试运行: 将下载到 %s"), path.c_str())};
        return {true, StrFormat(Tr("试运行: 将下载到 %s, 然后重新开始记录: %s"), path.c_str(),
                                StartText(planned).c_str())};
    }

    const DownloadRun run = Download(instrument, options, {"", request.dir, request.library},
                                     ProgressStyle::kQuiet, false);
    if (!run.outcome.ok) {
        std::string reason = Reason(instrument, run.outcome.text);
        if (run.stopped) reason = reason + " " + Tr(kLeftStopped);
        return {false, reason};
    }
    const std::string& path = run.outcome.text;
    if (!request.restart) return {true, path};

    ui.ResetWarnings();
    const InstrumentOutcome restarted = ConfigureInstrument(instrument, request.configure, false);
    if (!restarted.ok) {
        return {false, StrFormat(Tr("已保存到 %s, 但不能重新开始记录: %s"), path.c_str(),
                                 Reason(instrument, restarted.text).c_str())};
    }
    std::string text = path + " " + StartText(instrument.session.state.setParams);
    if (!restarted.text.empty()) text += " " + restarted.text;
    return {true, text};
}

}  // namespace

int RunCollect(const CliOptions& options, std::span<const std::string> args) {
    if (options.device >= 0) return Usage("collects every attached instrument: no --device");
    CollectRequest request;
    LibraryHook library{DefaultLibraryLocation()};
    request.library = &library;
    std::string profilePath;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        std::string problem;
        const LibraryArgument libraryTaken = TakeLibraryOption(args, i, library, problem);
        if (libraryTaken == LibraryArgument::kTaken) continue;
        if (libraryTaken == LibraryArgument::kBad) return Usage(problem);
        if (a == "--no-restart") {
            request.restart = false;
        } else if (a == "--dry-run") {
            request.dryRun = true;
        } else if (a == "--dir" || a == "--profile" || a == "--set") {
            if (i + 1 >= args.size()) return Usage(a + " needs a value");
            const std::string& v = args[++i];
            if (a == "--dir") {
                request.dir = v;
            } else if (a == "--set") {
                if (!AddSetArgument(request.configure, v)) {
                    return Usage("--set needs KEY=VALUE, not " + v);
                }
            } else if (!profilePath.empty()) {
                return Usage("only one --profile");
            } else {
                profilePath = v;
            }
        } else {
            return Usage("unexpected argument " + a);
        }
    }
    if (request.dir.empty()) return Usage("--dir DIR names the folder of the record files");
    if (!request.restart && (!profilePath.empty() || !request.configure.sets.empty())) {
        return Usage("--profile and --set are for the restart: not with --no-restart");
    }
    std::string problem;
    if (!CheckDownloadFolder(request.dir, problem)) {
        std::fprintf(stderr, "qxlog-cli %s: %s\n", kName, problem.c_str());
        return kExitFailure;
    }
    if (!profilePath.empty()) {
        if (!ReadProfileFile(profilePath, request.configure.profile, problem)) {
            std::fprintf(stderr, "%s\n", problem.c_str());
            return kExitFailure;
        }
        request.configure.hasProfile = true;
    }
    // Every attached instrument gets the same profile and settings.
    if (const std::string fleet = FleetProblem(request.configure); !fleet.empty()) {
        std::fprintf(stderr, "%s\n", fleet.c_str());
        return kExitFailure;
    }

    InstrumentTally tally;
    const int code = ForEveryInstrument(
        options,
        [&](ConsoleInstrument& instrument) { return Collect(instrument, options, request); },
        &tally);
    if (tally.instruments > 0) {
        const int done = tally.instruments - tally.failed;
        std::printf("%s\n", StrFormat(Tr(kSummary), tally.instruments, done, tally.failed).c_str());
    }
    return code;
}

std::string CollectHelp() {
    return FormatHelp(
        "Usage: qxlog-cli [--simulate MODELS] collect --dir DIR [--profile FILE]\n"
        "                 [--set KEY=VALUE]... [--no-restart] [--dry-run]\n"
        "                 [--library FILE | --no-library]\n"
        "\n"
        "The nightly round over every attached instrument, one after the other. For\n"
        "each one it checks that the profile and the settings apply to it, downloads\n"
        "its recording into DIR as download --dir does (the file is created first,\n"
        "then written and read back), and only then restarts its recording with its\n"
        "own settings, changed by the profile and each --set as configure changes\n"
        "them. The restart erases the samples the instrument held, which are in the\n"
        "file by then. An instrument that fails before its file is saved is not\n"
        "restarted and keeps its samples. Each saved file is added to the record\n"
        "library as download adds it; a library that fails never fails the round.\n"
        "A failed transfer leaves it stopped, as the\n"
        "download stops the recording before it fetches the samples, and its line\n"
        "says so: %s\n"
        "\n"
        "One line per instrument: MODEL<TAB>NUMBER<TAB>PATH<TAB>ok FILE and what the\n"
        "instrument does now (%s, or\n"
        "%s),\n"
        "or the reason it failed; then a summary line, such as %s\n"
        "\n"
        "Options:\n"
        "  --dir DIR        the folder of the record files; it must exist\n"
        "  --profile FILE   settings from a profile, as configure takes them\n"
        "  --set KEY=VALUE  one setting, as configure takes it; may be repeated\n"
        "  --no-restart     download only: every instrument is left stopped\n"
        "  --library FILE   the record library to add the files to (default as for\n"
        "                   download)\n"
        "  --no-library     add the files to no library\n"
        "  --dry-run        print for each instrument the file it would be downloaded\n"
        "                   to and how it would restart; stop, write and restart\n"
        "                   nothing\n"
        "\n"
        "Exit status:\n"
        "  0  every instrument downloaded (and restarted)\n"
        "  1  no instrument, DIR is no folder that can be written, FILE cannot be\n"
        "     read as a profile, or any instrument failed: it holds no recording\n"
        "     (%s), a setting is refused, the transfer failed\n"
        "     (%s), its file cannot be written, or the restart failed\n"
        "  2  a missing or wrong argument, --device, or --profile or --set with\n"
        "     --no-restart",
        Quoted(Tr(kLeftStopped)).c_str(), Quoted(Tr(msg::kMeasuring)).c_str(),
        Quoted(Tr(msg::kPressButton)).c_str(), Quoted(StrFormat(Tr(kSummary), 3, 2, 1)).c_str(),
        Quoted(Tr(msg::kNoRecording)).c_str(), Quoted(Tr(msg::kDownloadFailed)).c_str());
}

}  // namespace qx::cli
