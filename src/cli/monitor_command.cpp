#include "monitor_command.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "alarm_commands.h"
#include "cli_help.h"
#include "console_instrument.h"
#include "core/alarms/alarm_rules.h"
#include "core/library/library_choice.h"
#include "core/library/library_location.h"
#include "core/library/live_recording.h"
#include "core/library/server_location.h"
#include "core/link/instrument_messages.h"
#include "core/model/language.h"
#include "core/model/local_time.h"
#include "core/model/text_util.h"
#include "core/records/derived_series.h"
#include "core/records/record_statistics.h"
#include "every_instrument.h"
#include "limit_option.h"
#include "monitor_alarms.h"
#include "monitor_instruments.h"
#include "monitor_library_writer.h"

namespace qx::cli {
namespace {

constexpr const char* kName = "monitor";
constexpr const char* kStarted = TrNoop("%s: 开始监测 %s");
constexpr const char* kUnplugged = TrNoop("%s: %s 已拔出, 记录中断");
constexpr const char* kBack = TrNoop("%s: %s 已重新连接");
constexpr const char* kNoSettings = TrNoop("%s: %s 不能读入参数, 不监测");
constexpr const char* kStopped = TrNoop("监测已停止, 所有读数已写入记录库.");
constexpr const char* kNotWritten = TrNoop("监测已停止, 但有读数未能写入记录库.");
constexpr const char* kTimeFormat = "%Y-%m-%d %H:%M:%S";

// Scans for instruments that came back (or, with --all, new ones) every round while one is
// missing, else this often.
constexpr int64_t kRescanSeconds = 30;

int Usage(const std::string& problem) {
    std::fprintf(stderr, Tr("qxlog-cli %s: %s\n(见 qxlog-cli %s --help)\n"), kName, problem.c_str(),
                 kName);
    return kExitUsage;
}

std::string TimeText(int64_t t) {
    return FormatLocalTime(t, kTimeFormat);
}

struct MonitorRequest {
    bool all = false;
    int64_t every = 10;
    std::string library;
    std::string onAlarm;
    std::vector<LimitOption> limits;
    std::string alarmsFile;
    AlarmRules rules;
};

class Monitor {
  public:
    Monitor(const CliOptions& options, const MonitorRequest& request, const MonitorSeams& seams,
            RecordLibrary& library, std::string server = {})
        : options_(options),
          request_(request),
          seams_(seams),
          writer_(library, std::move(server), seams.now),
          commands_(request.onAlarm, seams.alarmCommandLimit),
          alarms_([this](const AlarmEvent& e, const RecordUnits& units) {
              std::printf("%s\n", AlarmEventLine(e, units).c_str());
              std::fflush(stdout);
              commands_.Push(e, AlarmTextsOf(e, units));
          }) {}

    int Run();

  private:
    void Scan(bool first);
    // False when the instrument cannot be monitored; limitProblem then says why when a --limit
    // does not fit its units.
    bool Open(const std::string& path, InstrumentTypeId type, Watched& into,
              std::string& limitProblem);
    void Read(Watched& w, int64_t time);
    bool Flush(Watched& w) { return writer_.Flush(w.pending); }

    const CliOptions& options_;
    const MonitorRequest& request_;
    const MonitorSeams& seams_;
    LiveLibraryWriter writer_;
    AlarmCommandQueue commands_;
    MonitorAlarms alarms_;
    std::vector<Watched> watched_;
    std::vector<std::string> refused_;  // paths of instruments that cannot be monitored
    int64_t lastScan_ = 0;
    std::string usageProblem_;  // a --limit or rule that does not fit the one instrument
};

bool Monitor::Open(const std::string& path, InstrumentTypeId type, Watched& into,
                   std::string& limitProblem) {
    if (!OpenWatched(options_, {path, type}, request_.every, into)) return false;
    std::vector<ChannelLimitOverride> overrides;
    for (const LimitOption& given : request_.limits) {
        for (const int s : SeriesList(type)) {
            if (!EqualsIgnoreCase(given.series, into.units.ids[static_cast<size_t>(s)])) continue;
            if (std::string p = LimitRangeProblem(given, s, into.units); !p.empty()) {
                limitProblem = std::move(p);
                return false;
            }
        }
        // The last --limit of a channel counts, as with stats.
        overrides.push_back({given.series, given.limits});
    }
    InstrumentAlarmRules rules;
    if (!AlarmRulesFor(request_.rules, into.pending.instrument, into.settings, overrides, rules,
                       limitProblem)) {
        if (!request_.alarmsFile.empty()) limitProblem = request_.alarmsFile + ": " + limitProblem;
        return false;
    }
    alarms_.Watch(into.pending.instrument, into.pending.name, into.units, rules);
    return true;
}

void Monitor::Scan(bool first) {
    const std::vector<AttachedCandidate> attached = AttachedCandidates(options_);
    if (first && !request_.all) {
        // The one instrument --device names, else the last one.
        if (attached.empty()) return;
        if (options_.device >= static_cast<int>(attached.size())) {
            PrintDeviceOutOfRange(options_.device, attached.size());
            return;
        }
        const size_t i =
            options_.device >= 0 ? static_cast<size_t>(options_.device) : attached.size() - 1;
        const std::string& path = attached[i].path;
        Watched w;
        std::string limitProblem;
        if (!Open(path, attached[i].model, w, limitProblem)) {
            if (!limitProblem.empty()) {
                usageProblem_ = std::move(limitProblem);
                return;
            }
            std::fprintf(
                stderr, "%s\n",
                StrFormat(Tr(kNoSettings), TimeText(seams_.now()).c_str(), path.c_str()).c_str());
            refused_.push_back(path);
            return;
        }
        std::printf(
            "%s\n",
            StrFormat(Tr(kStarted), TimeText(seams_.now()).c_str(), w.title.c_str()).c_str());
        std::fflush(stdout);
        watched_.push_back(std::move(w));
        return;
    }
    for (size_t i = 0; i < attached.size(); ++i) {
        const std::string& path = attached[i].path;
        const auto held = std::find_if(watched_.begin(), watched_.end(), [&](const Watched& w) {
            return w.instrument && w.path == path;
        });
        if (held != watched_.end() ||
            std::find(refused_.begin(), refused_.end(), path) != refused_.end())
            continue;
        Watched w;
        std::string limitProblem;
        if (!Open(path, attached[i].model, w, limitProblem)) {
            // A limit that does not fit it stays so; anything else is tried again later.
            if (!limitProblem.empty()) {
                std::fprintf(stderr, "%s\n", limitProblem.c_str());
                refused_.push_back(path);
            }
            continue;
        }
        const std::string now = TimeText(seams_.now());
        // An instrument that returns continues where it was, whatever path it has now.
        const auto known = std::find_if(watched_.begin(), watched_.end(), [&](const Watched& x) {
            return !x.instrument && x.pending.instrument == w.pending.instrument;
        });
        if (known != watched_.end()) {
            w.lastTime = known->lastTime;
            *known = std::move(w);
            std::printf("%s\n", StrFormat(Tr(kBack), now.c_str(), known->title.c_str()).c_str());
        } else if (request_.all || first) {
            std::printf("%s\n", StrFormat(Tr(kStarted), now.c_str(), w.title.c_str()).c_str());
            watched_.push_back(std::move(w));
        }
    }
    std::fflush(stdout);
}

void Monitor::Read(Watched& w, int64_t time) {
    const size_t at = w.pending.samples.size();
    switch (ReadWatched(w, time)) {
        case WatchedReading::kNoAnswer:
            std::printf("%s\n",
                        StrFormat(Tr(kUnplugged), TimeText(time).c_str(), w.title.c_str()).c_str());
            std::fflush(stdout);
            Flush(w);
            alarms_.NoAnswer(w.pending.instrument, time);
            return;
        case WatchedReading::kHeld:
            return;
        case WatchedReading::kTaken:
            break;
    }
    alarms_.Reading(w.pending.instrument, w.settings, w.pending.samples.data() + at, time);
    if (static_cast<int>(w.pending.times.size()) >= kMonitorFlushReadings ||
        time - w.pending.times.front() >= kMonitorFlushSeconds)
        Flush(w);
}

int Monitor::Run() {
    Scan(true);
    if (!usageProblem_.empty()) return Usage(usageProblem_);
    if (watched_.empty()) {
        std::fprintf(stderr, "%s\n", Tr(msg::kNoDevice));
        return kExitFailure;
    }
    lastScan_ = seams_.now();
    int64_t round = seams_.now();  // the next round at the monitor's own interval
    bool first = true;
    while (!seams_.stopRequested() && !writer_.Fatal()) {
        const int64_t now = seams_.now();
        int64_t due = round;
        for (const Watched& w : watched_) {
            if (w.instrument) due = std::min(due, w.next);
        }
        if (now < due) {
            seams_.pauseUntil(commands_.PauseEnd(due, now));
            commands_.Reap(false);
            continue;
        }
        if (now >= round) {
            round = now - now % request_.every + request_.every;
            const bool missing = std::any_of(watched_.begin(), watched_.end(),
                                             [](const Watched& w) { return !w.instrument; });
            if (missing || (request_.all && now - lastScan_ >= kRescanSeconds)) {
                Scan(false);
                lastScan_ = now;
            }
        }
        // The first reading at once, stamped when it is taken; then one per interval on its
        // grid. Rounds missed (the PC slept) leave a gap. While a channel is outside, its
        // rule's excursion-every may read the instrument more often: those readings go into a
        // live recording at that interval.
        const bool stamped = std::exchange(first, false);
        for (Watched& w : watched_) {
            if (!w.instrument || now < w.next) continue;
            Read(w, stamped ? now : now - now % w.interval);
            if (!w.instrument) continue;
            const int64_t interval = alarms_.IntervalFor(w.pending.instrument, request_.every);
            if (interval != w.interval && Flush(w)) {
                w.interval = interval;
                w.pending.interval = static_cast<uint32_t>(interval);
            }
            w.next = now - now % w.interval + w.interval;
        }
        alarms_.Tick(now);
        commands_.Reap(false);
    }
    bool written = true;
    for (Watched& w : watched_)
        written = Flush(w) && written;
    commands_.Reap(true);
    std::printf("%s\n", Tr(written ? kStopped : kNotWritten));
    return written && !writer_.Fatal() ? kExitOk : kExitFailure;
}

volatile std::sig_atomic_t stopSignal = 0;

void OnStopSignal(int) {
    stopSignal = 1;
}

}  // namespace

int RunMonitorWith(const CliOptions& given, std::span<const std::string> args,
                   const MonitorSeams& seams) {
    CliOptions options = given;
    MonitorRequest request;
    for (size_t i = 0; i < args.size(); ++i) {
        std::string problem;
        switch (TakeInstrumentChoice(args, i, options, request.all, problem)) {
            case ChoiceArgument::kTaken:
                continue;
            case ChoiceArgument::kBad:
                return Usage(problem);
            case ChoiceArgument::kOther:
                break;
        }
        const std::string& a = args[i];
        if (a != "--every" && a != "--library" && a != "--on-alarm" && a != "--limit" &&
            a != "--alarms")
            return Usage(StrFormat(Tr("多余的参数 %s"), a.c_str()));
        if (i + 1 >= args.size()) return Usage(StrFormat(Tr("%s 需要一个值"), a.c_str()));
        const std::string& v = args[++i];
        if (a == "--every") {
            const std::optional<int64_t> every = ParseLiveInterval(v);
            if (!every) {
                return Usage(StrFormat(Tr("--every 需要 1s 到 24h: 255s 以内, 以上为整分钟或整小时 "
                                          "(如 10s, 5m, 1h), 而不是 %s"),
                                       v.c_str()));
            }
            request.every = *every;
        } else if (a == "--library") {
            request.library = v;
        } else if (a == "--alarms") {
            // A rules file that is not right: monitoring does not start on it.
            if (!ReadAlarmRulesFile(v, request.rules, problem)) return Usage(problem);
            request.alarmsFile = v;
        } else if (a == "--on-alarm") {
            if (Trim(v).empty()) return Usage(Tr("--on-alarm 需要一个命令"));
            request.onAlarm = v;
        } else {
            std::optional<LimitOption> limit = ParseLimitOption(v, &problem);
            if (!limit) return Usage(problem);
            if (!IsAlarmChannelId(limit->series)) {
                return Usage(StrFormat(Tr("--limit: 没有通道 '%s' (%s)"), limit->series.c_str(),
                                       "temp, hum, dew, density, pressure, diffpressure, sound, "
                                       "flow, co2, hcho"));
            }
            request.limits.push_back(std::move(*limit));
        }
    }
    std::string location = request.library;
    if (location.empty()) {
        const LibraryChoice choice = ChooseLibrary(options.library);
        if (!choice.Ok()) {
            std::fprintf(stderr, "%s\n", choice.problem.c_str());
            return kExitFailure;
        }
        location = choice.location;
    }
    // A library on a server: the readings go into the local library first, always.
    const bool server = IsServerLocation(location);
    OpenedLibrary opened =
        OpenLibrary(server ? DefaultLibraryLocation() : location, LibraryOpen::kCreate);
    if (!opened.library) {
        std::fprintf(stderr, "%s\n", opened.message.c_str());
        if (!opened.error.detail.empty()) std::fprintf(stderr, "%s\n", opened.error.detail.c_str());
        return kExitFailure;
    }
    Monitor monitor(options, request, seams, *opened.library, server ? location : std::string());
    return monitor.Run();
}

int RunMonitor(const CliOptions& options, std::span<const std::string> args) {
    // No SA_RESTART: the signal cuts the pause short.
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    MonitorSeams seams;
    seams.now = [] { return static_cast<int64_t>(std::time(nullptr)); };
    seams.stopRequested = [] { return stopSignal != 0; };
    seams.pauseUntil = [](int64_t until) {
        const auto wake = std::chrono::system_clock::from_time_t(static_cast<std::time_t>(until));
        const auto left = wake - std::chrono::system_clock::now();
        if (left <= std::chrono::nanoseconds(0) || stopSignal) return;
        const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
        timespec pause{static_cast<time_t>(ns / 1000000000), static_cast<long>(ns % 1000000000)};
        nanosleep(&pause, nullptr);  // EINTR on a signal
    };
    return RunMonitorWith(options, args, seams);
}

std::string MonitorHelp() {
    return FormatHelp(
        Tr("用法: qxlog-cli [--simulate MODELS] monitor [--all | --device N]\n"
           "                [--every DURATION] [--library FILE|URL]\n"
           "                [--limit CHANNEL=LOW,HIGH]... [--on-alarm COMMAND]\n"
           "                [--alarms FILE]\n"
           "\n"
           "一直监测房间: 每个间隔读取一次仪器 (最后连接的一台, 或 --device 指定的\n"
           "一台; 用 --all 时为每台连接的仪器) 的实时值, 作为仪器的实时记录加入记录库。\n"
           "记录库像下载的记录一样列出它、把它读入仪器历史并对比它。\n"
           "\n"
           "一个实时记录含一台仪器在一天 (本地时间) 中以一个间隔和一套参数 (单位和\n"
           "限值, 在开始监测仪器时从仪器读取) 得到的读数; 间隔小于 10 秒时一天分成\n"
           "12 到 2 小时的几段 (1 秒时为 2 小时), 使一个记录保持在约 %d 个读数。\n"
           "读数的时间取自本计算机的时钟: 第一个读数在开始时读取, 记下读取的时间, 以后的\n"
           "读数落在间隔的网格上 (从 1970 年起间隔的整数\n"
           "倍)。记录库中该仪器已有的时间 (下载的样本, 之前写入的读数) 保留原有的值。\n"
           "读数在有 %d 个等待或最早的已等待 %d 秒时、仪器拔出时和结束时写入, 所以\n"
           "直接被杀死的进程最多丢失这些读数。\n"
           "\n"
           "拔出的仪器会被注明, 例如\n"
           "%s;\n"
           "它的实时记录中断, 直到它重新连接并再次开始监测, 例如\n"
           "%s。\n"
           "用 --all 时, 后来连接的仪器在 %d 秒内开始监测。SIGTERM 或 SIGINT 立即停止\n"
           "监测, 所有读数都已写入, 并提示\n"
           "%s\n"
           "\n"
           "报警: 超出限值的读数 (等于限值的值在限值内) 开始该通道的一次超限, 第一个\n"
           "回到限值内的读数结束它, 每次都打印一行, 例如\n"
           "%s。\n"
           "用 --alarms FILE 时按报警规则报警 (见 qxlog-cli alarms --help): 预警、延时、\n"
           "回差和没有应答的仪器, 每次变化打印一行 (预警开始、由预警转为超限、失去联系报警\n"
           "等)。\n"
           "限值是仪器自己的, 或 --limit 给出的。用 --on-alarm 时, 在每次超限开始和\n"
           "结束时各通过 /bin/sh 运行一次 COMMAND, 同时继续监测; 命令按事件的顺序\n"
           "依次运行, 每个都带有这些环境变量:\n"
           "  QXLOG_EVENT        start 或 end; 用 --alarms 时还有 level (预警与超限之间\n"
           "                     的变化), lost 和 back (失去联系和恢复)\n"
           "  QXLOG_LEVEL        warning 或 alarm\n"
           "  QXLOG_ALARM        报警的 id: MODEL:NUMBER/通道或 lost/开始的秒数\n"
           "  QXLOG_INSTRUMENT   MODEL:NUMBER, 与记录库的名称相同\n"
           "  QXLOG_MODEL, QXLOG_NUMBER, QXLOG_NAME (测量名)\n"
           "  QXLOG_CHANNEL      通道的 id (temp, hum, co2, ...)\n"
           "  QXLOG_CHANNEL_TITLE  通道的名称和单位, 与样本列表相同\n"
           "  QXLOG_VALUE, QXLOG_UNIT  读数, 与样本列表显示的相同\n"
           "  QXLOG_LIMIT        超出的限值; QXLOG_SIDE 为 high 或 low\n"
           "  QXLOG_TIME         读数的本地时间 YYYY-MM-DD HH:MM:SS;\n"
           "                     QXLOG_EPOCH 为从 1970 年起的秒数\n"
           "失败的命令会被报告, 监测继续, 例如\n"
           "%s。\n"
           "运行超过 %d 秒的命令被报告并结束, 以后的命令照常运行; 监测停止时等待\n"
           "仍在运行的命令最多 10 秒, 然后结束它们。\n"
           "没有值的读数 (0 %%RH 时的露点) 和拔出的仪器既不开始也不结束超限。\n"
           "\n"
           "选项:\n"
           "  --all              每台连接的仪器, 以及后来连接的仪器\n"
           "  --device N         连接的仪器中的第 N 台 (0, 1, ...)\n"
           "  --every DURATION   间隔: 秒数, 或带 s, m 或 h (10s, 5m, 1h); 1 秒到\n"
           "                     24 小时: 255 秒以内, 以上为整分钟或整小时; 默认 10 秒\n"
           "  --library FILE|URL\n"
           "                     记录库 (文件或服务器地址); 默认为全局 --library 或设置\n"
           "                     选择的, 通常为\n"
           "                     ~/.local/share/Vornak/QX_CHN/DAT/QXLibrary.sqlite\n"
           "                     (设置了 $XDG_DATA_HOME 时在其下)。记录库在服务器上时\n"
           "                     读数总是写入本机记录库, 并尽可能也写入服务器; 服务器\n"
           "                     没有收到的由 qxlog-cli library sync 发送\n"
           "  --limit CHANNEL=LOW,HIGH  用这些限值代替仪器的限值, 通道用 id 指定\n"
           "                     (temp, hum, dew, density, pressure, diffpressure,\n"
           "                     sound, flow, co2, hcho), 用它的单位; LOW 或 HIGH 空着\n"
           "                     表示没有; 可以重复, 一个通道的最后一个有效; 限值的范围与\n"
           "                     qxlog-cli stats 相同\n"
           "  --alarms FILE      报警规则文件; 有错时打印行号和原因, 不开始监测\n"
           "  --on-alarm COMMAND\n"
           "                     在每次报警开始、变化和结束时运行 COMMAND\n"
           "\n"
           "退出状态:\n"
           "  0  被信号停止, 所有读数都已写入\n"
           "  1  没有仪器, 记录库不能打开, 或读数不能写入\n"
           "     (%s)\n"
           "  2  缺少参数或参数错误"),
        static_cast<int>(kLiveRecordingSamples), kMonitorFlushReadings,
        static_cast<int>(kMonitorFlushSeconds),
        Quoted(StrFormat(Tr(kUnplugged), "2026-01-05 08:00:00", "QX450:A08")).c_str(),
        Quoted(StrFormat(Tr(kBack), "2026-01-05 08:12:30", "QX450:A08")).c_str(),
        static_cast<int>(kRescanSeconds), Quoted(Tr(kStopped)).c_str(),
        Quoted(StrFormat(Tr(kExcursionStarts), "2026-01-05 09:00", "QX450:A08",
                         StrFormat("%s(%s)", Tr("温度"), "℃").c_str(), "25.3", "25"))
            .c_str(),
        Quoted(StrFormat(Tr(kCommandFailed), "QX450:A08", "temp", "start",
                         StrFormat(Tr("退出状态 %d"), 1).c_str()))
            .c_str(),
        static_cast<int>(kAlarmCommandSeconds), Quoted(Tr(kNotWritten)).c_str());
}

}  // namespace qx::cli
