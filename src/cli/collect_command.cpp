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
    std::fprintf(stderr, Tr("qxlog-cli %s: %s\n(见 qxlog-cli %s --help)\n"), kName, problem.c_str(),
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
    if (options.device >= 0) return Usage(Tr("收集所有连接的仪器: 不用 --device"));
    CollectRequest request;
    LibraryHook library = ChosenLibraryHook(options);
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
            if (i + 1 >= args.size()) return Usage(StrFormat(Tr("%s 需要一个值"), a.c_str()));
            const std::string& v = args[++i];
            if (a == "--dir") {
                request.dir = v;
            } else if (a == "--set") {
                if (!AddSetArgument(request.configure, v)) {
                    return Usage(StrFormat(Tr("--set 需要 KEY=VALUE, 而不是 %s"), v.c_str()));
                }
            } else if (!profilePath.empty()) {
                return Usage(Tr("只能有一个 --profile"));
            } else {
                profilePath = v;
            }
        } else {
            return Usage(StrFormat(Tr("多余的参数 '%s'"), a.c_str()));
        }
    }
    if (request.dir.empty()) return Usage(Tr("需要 --dir DIR: 记录文件的文件夹"));
    if (!request.restart && (!profilePath.empty() || !request.configure.sets.empty())) {
        return Usage(Tr("--profile 和 --set 用于重新开始记录: 不能和 --no-restart 一起用"));
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
        if (const std::string summary = library.Summary(); !summary.empty())
            std::fprintf(stderr, "%s\n", summary.c_str());
    }
    return code;
}

std::string CollectHelp() {
    return FormatHelp(
        Tr("用法: qxlog-cli [--simulate MODELS] collect --dir DIR [--profile FILE]\n"
           "                [--set KEY=VALUE]... [--no-restart] [--dry-run]\n"
           "                [--library FILE|URL | --no-library]\n"
           "\n"
           "每晚对所有连接的仪器依次进行的一轮。对每台仪器: 检查配置文件和参数是否\n"
           "适用于它, 像 download --dir 那样把它的记录下载到 DIR (先建立文件, 然后\n"
           "写入并读回), 然后才用它自己的参数重新开始记录, 参数按配置文件和每个\n"
           "--set 修改, 与 configure 相同。重新开始会清除仪器中的记录数据, 这时它们\n"
           "已在文件中。文件保存之前失败的仪器不重新开始, 保留它的记录数据。每个保存的文件像\n"
           "download 那样加入记录库; 失败的记录库从不使这一轮失败。下载在读取样本\n"
           "之前停止记录, 所以传输失败的仪器停在停止状态, 它的一行写明:\n"
           "%s\n"
           "\n"
           "每台仪器一行: MODEL<TAB>NUMBER<TAB>PATH<TAB>ok FILE 和仪器现在的状态\n"
           "(%s, 或\n"
           "%s),\n"
           "或失败的原因; 最后一行是汇总, 例如 %s\n"
           "\n"
           "选项:\n"
           "  --dir DIR        记录文件的文件夹; 必须已存在\n"
           "  --profile FILE   配置文件中的参数, 与 configure 相同\n"
           "  --set KEY=VALUE  一个参数, 与 configure 相同; 可以重复\n"
           "  --no-restart     只下载: 每台仪器都停在停止状态\n"
           "  --library FILE|URL\n"
           "                   加入文件的记录库 (默认与 download 相同)\n"
           "  --no-library     不把文件加入任何记录库\n"
           "  --dry-run        为每台仪器打印将下载到的文件和将如何重新开始; 不停止、\n"
           "                   不写入、不重新开始\n"
           "\n"
           "退出状态:\n"
           "  0  每台仪器都已下载 (并重新开始)\n"
           "  1  没有仪器, DIR 不是可写的文件夹, FILE 不能作为配置文件读取, 或任何\n"
           "     一台仪器失败: 仪器中没有记录 (%s), 参数被拒绝,\n"
           "     传输失败 (%s), 文件不能写入, 或重新开始失败\n"
           "  2  缺少参数或参数错误, 给了 --device, 或 --profile、--set 与\n"
           "     --no-restart 一起"),
        Quoted(Tr(kLeftStopped)).c_str(), Quoted(Tr(msg::kMeasuring)).c_str(),
        Quoted(Tr(msg::kPressButton)).c_str(), Quoted(StrFormat(Tr(kSummary), 3, 2, 1)).c_str(),
        Quoted(Tr(msg::kNoRecording)).c_str(), Quoted(Tr(msg::kDownloadFailed)).c_str());
}

}  // namespace qx::cli
