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
#include "core/library/library_choice.h"
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
    std::fprintf(stderr, Tr("qxlog-cli %s: %s\n(见 qxlog-cli %s --help)\n"), kName, problem.c_str(),
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
        std::printf(TrN("%s: %u 个样本已写入 %s\n", result.fetched),
                    ModelDisplayName(instrument.session.state.type).c_str(), result.fetched,
                    path.c_str());
        std::fflush(stdout);
    }
    if (library) library->Add(path);
}

}  // namespace

LibraryHook ChosenLibraryHook(const CliOptions& options) {
    const LibraryChoice choice = ChooseLibrary(options.library);
    if (choice.Ok()) return LibraryHook{choice.location, false, {}};
    return LibraryHook{DefaultLibraryLocation(), false, choice.problem};
}

void LibraryHook::Add(const std::string& path) {
    if (location.empty()) return;
    if (!problem.empty()) std::fprintf(stderr, "%s\n", std::exchange(problem, {}).c_str());
    const SavedRecordAdded added = AddSavedRecord(location, path);
    if (!added.notice.empty()) std::fprintf(stderr, "%s\n", added.notice.c_str());
    const AddResult& r = added.result;
    if (r.Ok()) {
        ++this->added;
        conflicts += r.conflicts;
        overlaps += r.overlaps + r.liveOverlaps;
        // The first line (added, known) is the download's own line already; the others are
        // notices of the library, as its failures are.
        const std::vector<std::string> lines = AddResultLines(r);
        for (size_t k = 1; k < lines.size(); ++k)
            std::fprintf(stderr, "%s\n", lines[k].c_str());
        return;
    }
    ++failed;
    // Every later download meets the same library: one report of it is enough.
    if (r.status == AddStatus::kFailed && std::exchange(told, true)) return;
    std::fprintf(stderr, "%s\n", NotAddedMessage(r).c_str());
}

std::string LibraryHook::Summary() const {
    // Only when there is something to tell beyond the files' own lines.
    if (location.empty() || (failed == 0 && conflicts == 0 && overlaps == 0)) return {};
    return StrFormat(Tr("记录库: %d 个文件已加入, %d 个没有加入; %lld 个样本与记录库中的不同, %d "
                        "个与其他记录时间重叠"),
                     added, failed, static_cast<long long>(conflicts), overlaps);
}

LibraryArgument TakeLibraryOption(std::span<const std::string> args, size_t& i, LibraryHook& hook,
                                  std::string& problem) {
    if (args[i] == "--no-library") {
        hook.location.clear();
        return LibraryArgument::kTaken;
    }
    if (args[i] != "--library") return LibraryArgument::kNone;
    if (i + 1 >= args.size() || args[i + 1].empty()) {
        problem = Tr("--library 需要一个文件");
        return LibraryArgument::kBad;
    }
    hook.location = args[++i];
    hook.problem.clear();
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
    // A reservation left by a killed download is taken over, as the download would.
    std::string path = FreeNumberedPath(dir, name, [](const std::string& p) {
        struct stat st {};
        return ::lstat(p.c_str(), &st) == 0 && !DownloadTarget::IsAbandonedReservation(p);
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
    LibraryHook library = ChosenLibraryHook(options);
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
            if (i + 1 >= args.size()) return Usage(StrFormat(Tr("%s 需要一个值"), args[i].c_str()));
            (args[i] == "--dir" ? destination.dir : destination.file) = args[i + 1];
            ++i;
        } else if (args[i] == "-q" || args[i] == "--quiet") {
            quiet = true;
        } else if (args[i] == "--progress") {
            bar = true;
        } else {
            return Usage(StrFormat(Tr("多余的参数 '%s'"), args[i].c_str()));
        }
    }
    if (destination.file.empty() == destination.dir.empty()) {
        return Usage(Tr("需要 -o FILE 或 --dir DIR: 记录写到哪里"));
    }
    if (all && destination.dir.empty()) return Usage(Tr("--all 写到一个文件夹: 需要 --dir DIR"));
    if (std::string problem;
        !destination.dir.empty() && !CheckDownloadFolder(destination.dir, problem)) {
        std::fprintf(stderr, "qxlog-cli %s: %s\n", kName, problem.c_str());
        return kExitFailure;
    }
    if (quiet && bar) return Usage(Tr("--quiet 和 --progress 不能一起用"));
    // Every attached instrument: one result line each and no progress of their transfers.
    const ProgressStyle style = quiet || all                     ? ProgressStyle::kQuiet
                                : bar || ::isatty(STDERR_FILENO) ? ProgressStyle::kBar
                                                                 : ProgressStyle::kLines;

    if (all) {
        const int code = ForEveryInstrument(options, [&](ConsoleInstrument& instrument) {
            return Download(instrument, options, destination, style, false).outcome;
        });
        // On stderr with the library's other notices: stdout keeps a line per instrument.
        if (const std::string summary = library.Summary(); !summary.empty())
            std::fprintf(stderr, "%s\n", summary.c_str());
        return code;
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
        Tr("用法: qxlog-cli [--simulate MODELS] download [--device N] -o FILE\n"
           "                       [--quiet | --progress]\n"
           "                       [--library FILE|URL | --no-library]\n"
           "      qxlog-cli [--simulate MODELS] download [--device N | --all] --dir DIR\n"
           "                       [--library FILE|URL | --no-library]\n"
           "\n"
           "先建立记录文件, 占住文件名并确认文件夹可写, 然后停止仪器的记录, 读取\n"
           "全部样本, 写入该文件 (*.QXRec), 读回文件并打印\n"
           "'型号: N 个样本已写入 FILE'。不能建立文件时失败, 仪器保持原样; 下载从不\n"
           "替换已有的文件。在标准错误上显示 %s,\n"
           "标准错误是终端时还显示进度条; 否则 (文件、管道、cron) 在传输结束时打印\n"
           "一行最后的计数。失败时打印系统的提示, 下一行写明原因。被 Ctrl-C 或 SIGTERM\n"
           "中断的下载不留下文件; 被直接杀死 (kill -9) 的下载留下的空文件不妨碍\n"
           "qxlog-cli library add, 下一次下载同名的记录时使用它。\n"
           "\n"
           "每个保存的记录文件都加入记录库 (见 qxlog-cli library)。不能打开或不能\n"
           "加入的记录库从不使下载失败: 文件仍已保存, 标准错误上写明\n"
           "%s, 下面是记录库的提示和原因\n"
           "(每次运行一次)。\n"
           "\n"
           "选项:\n"
           "  -o, --output FILE  要写的记录文件; 必须是新文件 (已有的 FILE 被拒绝)\n"
           "  --dir DIR          写到文件夹 DIR 中, 文件名为\n"
           "                     NUMBER_YYYYMMDD-HHMMSS.QXRec: 仪器编号和第一个样本的\n"
           "                     本地时间, 文件名中不能用的字符换成 _; 从不替换文件,\n"
           "                     而是在名字后加 -2, -3, ...\n"
           "  --device N         第 N 台仪器, 按 'list' 的序号\n"
           "  --all              依次处理每台连接的仪器 (需要 --dir), 每台一行:\n"
           "                     MODEL<TAB>NUMBER<TAB>PATH<TAB>ok FILE 或失败的原因\n"
           "  -q, --quiet        只打印错误\n"
           "  --progress         标准错误不是终端时也显示进度条\n"
           "  --library FILE|URL\n"
           "                     把记录文件加入这个记录库 (文件或服务器地址), 而不是\n"
           "                     全局 --library 或设置选择的记录库, 通常为\n"
           "                     ~/.local/share/Vornak/QX_CHN/DAT/QXLibrary.sqlite。只有\n"
           "                     它在第一次使用时建立; 别的记录库文件须已存在, 否则不加入\n"
           "                     并说明原因, 文件仍已保存。\n"
           "                     记录库在服务器上时也总是加入本机记录库; 服务器没有收到\n"
           "                     时会说明, 由 qxlog-cli library sync 稍后发送\n"
           "  --no-library       不加入任何记录库\n"
           "\n"
           "退出状态:\n"
           "  0  记录已下载并写入 (--all 时: 每台仪器都是)\n"
           "  1  没有仪器, 仪器中没有记录 (%s),\n"
           "     传输失败 (%s), 或 FILE 已存在或不能写入\n"
           "     (%s); 这时不留下记录文件;\n"
           "     --all 时: 任何一台仪器如此\n"
           "  2  既没有 -o FILE 也没有 --dir DIR, --quiet 与 --progress 一起, 或给了\n"
           "     别的参数"),
        Quoted(Tr(kDownloadWaitText)).c_str(), Quoted(StrFormat(Tr(kNotAddedText), "FILE")).c_str(),
        Quoted(Tr(msg::kNoRecording)).c_str(), Quoted(Tr(msg::kDownloadFailed)).c_str(),
        Quoted(SaveFailedMessage("FILE")).c_str());
}

}  // namespace qx::cli
