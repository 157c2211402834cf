#include "alarm_commands.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <memory>

#include "cli_help.h"
#include "console_instrument.h"
#include "core/alarms/alarm_evaluator.h"
#include "core/library/library_choice.h"
#include "core/library/library_identity.h"
#include "core/library/library_location.h"
#include "core/library/live_recording.h"
#include "core/link/instrument_simulator.h"
#include "core/link/simulation_scenario.h"
#include "core/model/language.h"
#include "core/model/text_util.h"
#include "core/records/number_text.h"
#include "monitor_alarms.h"

namespace qx::cli {
namespace {

constexpr std::streamsize kMaxTextBytes = 1 << 20;
constexpr const char* kName = "alarms";

int Usage(const std::string& problem) {
    std::fprintf(stderr, Tr("qxlog-cli %s: %s\n(见 qxlog-cli %s --help)\n"), kName, problem.c_str(),
                 kName);
    return kExitUsage;
}

// An instrument the rules are shown or tried for.
struct RulesInstrument {
    InstrumentKey key;
    std::string name;
    ParamBlock settings;
    const char* source;  // TrNoop
};

std::string LevelsText(const std::optional<double>& low, const std::optional<double>& high,
                       int decimals) {
    std::string text;
    if (low) text = StrFormat(Tr("低于 %s"), LimitFigureText(*low, decimals).c_str());
    if (high) {
        if (!text.empty()) text += Tr(" 或 ");
        text += StrFormat(Tr("高于 %s"), LimitFigureText(*high, decimals).c_str());
    }
    return text;
}

// What the rules mean for one instrument, a line per rule.
void PrintMeaning(const RulesInstrument& in, const InstrumentAlarmRules& rules) {
    const RecordUnits units = RecordUnitsOf(in.settings.UnitByte(), in.key.model);
    std::printf("%s %s (%s)\n", InstrumentName(in.key).c_str(), in.name.c_str(), Tr(in.source));
    for (const ChannelAlarmRule& r : rules.channels) {
        const int d = CellDecimals(r.series, units);
        std::string line = "  " + r.channel + ": ";
        const std::string alarm = LevelsText(r.limits.low, r.limits.high, d);
        const std::string warn = LevelsText(r.warnLow, r.warnHigh, d);
        if (!alarm.empty()) {
            line += StrFormat(Tr("报警 %s %s"), alarm.c_str(),
                              units.units[static_cast<size_t>(r.series)]);
            if (r.ownLimits) line += Tr(" (仪器自己的限值)");
        }
        if (!warn.empty()) line += StrFormat(Tr("; 预警 %s"), warn.c_str());
        line += r.delay > 0 ? StrFormat(Tr("; 持续 %s 后报警"), AlarmDurationText(r.delay).c_str())
                            : std::string(Tr("; 立即报警"));
        if (r.deadband > 0)
            line += StrFormat(Tr("; 回差 %s"), LimitFigureText(r.deadband, d + 1).c_str());
        if (r.excursionEvery > 0) {
            line += StrFormat(Tr("; 超出时每 %s 读取一次"),
                              AlarmDurationText(r.excursionEvery).c_str());
        }
        if (r.line > 0) line += StrFormat(Tr(" (第%d行)"), r.line);
        std::printf("%s\n", line.c_str());
    }
    if (rules.channels.empty()) std::printf("  %s\n", Tr("没有通道有限值"));
    if (rules.lostDelay) {
        std::printf("  %s\n", StrFormat(Tr("lost: 没有应答 %s 后报警"),
                                        AlarmDurationText(*rules.lostDelay).c_str())
                                  .c_str());
    } else {
        std::printf("  %s\n", Tr("lost: 不报警 (没有 [... lost] 段)"));
    }
    if (rules.silentDelay) {
        std::printf("  %s\n", StrFormat(Tr("silent: 监测 %s 没有写入记录库时报警"),
                                        AlarmDurationText(*rules.silentDelay).c_str())
                                  .c_str());
    }
}

std::string Joined(const std::vector<std::string>& list) {
    std::string s;
    for (const std::string& a : list)
        s += (s.empty() ? "" : ", ") + a;
    return s;
}

void PrintMail(const MailSettings& m) {
    if (!m.Enabled()) {
        std::printf("%s\n", Tr("邮件: 不发送 (没有 [mail] 段)"));
        return;
    }
    std::string line = StrFormat(Tr("邮件: 经 %s 由 %s 发给 %s"), m.server.c_str(), m.from.c_str(),
                                 Joined(m.to).c_str());
    if (m.repeat > 0)
        line += StrFormat(Tr("; 每 %s 重复, 直到确认"), AlarmDurationText(m.repeat).c_str());
    if (m.escalate_after > 0) {
        line += StrFormat(Tr("; %s 未确认时也发给 %s"), AlarmDurationText(m.escalate_after).c_str(),
                          Joined(m.escalate_to).c_str());
    }
    std::printf("%s\n", line.c_str());
}

// The attached instruments with their settings.
std::vector<RulesInstrument> AttachedInstruments(const CliOptions& options) {
    std::vector<RulesInstrument> out;
    ConsoleInstrument scanner(options);
    InstrumentLink& link = scanner.session.link;
    link.Enumerate();
    const std::vector<std::string> names = link.CandidateNames();
    const std::vector<uint32_t> indexes = link.CandidateIndexes();
    for (size_t i = 0; i < names.size(); ++i) {
        ConsoleInstrument instrument(options);
        instrument.ui.holdWarnings = true;
        instrument.ui.infoStream = nullptr;
        instrument.session.link.Enumerate();
        ParamBlock settings;
        if (!ConnectTo(instrument, link.DevicePathOf(indexes[i])) ||
            !instrument.session.protocol.ReadStatus() ||
            !instrument.session.protocol.ReadParamBlock(ParamSource::kSetParams, settings))
            continue;
        const InstrumentTypeId type = ModelFromProductString(names[i]);
        out.push_back({InstrumentKeyOf(settings, type), Trim(Utf16ToUtf8(settings.Name())),
                       settings, TrNoop("已连接")});
    }
    return out;
}

// The library's instruments not attached, with the settings of their latest recording.
void AddLibraryInstruments(const std::string& location, std::vector<RulesInstrument>& out) {
    OpenedLibrary opened = OpenLibrary(location, LibraryOpen::kExisting);
    std::vector<RecordingEntry> entries;
    if (!opened.library || !opened.library->List({}, entries)) return;
    std::vector<const LibraryRecording*> latest;
    for (const RecordingEntry& e : entries) {
        const LibraryRecording& r = e.recording;
        const auto held = std::find_if(latest.begin(), latest.end(), [&](const auto* l) {
            return l->instrumentKey == r.instrumentKey;
        });
        if (held == latest.end()) {
            latest.push_back(&r);
        } else if (r.totals.last > (*held)->totals.last) {
            *held = &r;
        }
    }
    for (const LibraryRecording* r : latest) {
        const bool attached = std::any_of(out.begin(), out.end(), [&](const RulesInstrument& i) {
            return i.key == r->instrumentKey;
        });
        if (!attached)
            out.push_back({r->instrumentKey, r->name, r->header.Params(), TrNoop("记录库")});
    }
}

int RunCheck(const CliOptions& options, std::span<const std::string> args) {
    std::string file, library;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--library") {
            if (i + 1 >= args.size()) return Usage(Tr("--library 需要一个值"));
            library = args[++i];
        } else if (!args[i].starts_with("-") && file.empty()) {
            file = args[i];
        } else {
            return Usage(StrFormat(Tr("多余的参数 %s"), args[i].c_str()));
        }
    }
    if (file.empty()) return Usage(Tr("alarms check 需要报警规则文件"));
    AlarmRules rules;
    std::string problem;
    if (!ReadAlarmRulesFile(file, rules, problem)) return Usage(problem);
    std::vector<RulesInstrument> instruments = AttachedInstruments(options);
    if (library.empty()) library = options.library;
    if (library.empty()) {
        const LibraryChoice choice = ChooseLibrary(options.library);
        if (choice.Ok()) library = choice.location;
    }
    if (!library.empty()) AddLibraryInstruments(library, instruments);
    PrintMail(rules.mail);
    int code = kExitOk;
    for (const RulesInstrument& in : instruments) {
        InstrumentAlarmRules meant;
        if (!AlarmRulesFor(rules, in.key, in.settings, {}, meant, problem)) {
            std::printf("%s %s (%s)\n  %s\n", InstrumentName(in.key).c_str(), in.name.c_str(),
                        Tr(in.source), problem.c_str());
            code = kExitFailure;
            continue;
        }
        PrintMeaning(in, meant);
    }
    if (instruments.empty()) std::printf("%s\n", Tr("没有连接的仪器, 记录库中也没有仪器"));
    return code;
}

// The rules against a scenario on a fast clock: simulated instruments follow it, read every
// interval (shorter while a channel is outside), and every alarm event is printed with the
// messages that would go out; nothing is sent.
int RunTest(const CliOptions& options, std::span<const std::string> args) {
    std::string file, scenarioFile;
    int64_t every = 10;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--scenario" || a == "--every") {
            if (i + 1 >= args.size()) return Usage(StrFormat(Tr("%s 需要一个值"), a.c_str()));
            const std::string& v = args[++i];
            if (a == "--scenario") {
                scenarioFile = v;
            } else if (const std::optional<int64_t> d = ParseLiveInterval(v)) {
                every = *d;
            } else {
                return Usage(StrFormat(Tr("--every 需要 1s 到 24h: 255s 以内, 以上为整分钟或整小时 "
                                          "(如 10s, 5m, 1h), 而不是 %s"),
                                       v.c_str()));
            }
        } else if (!a.starts_with("-") && file.empty()) {
            file = a;
        } else {
            return Usage(StrFormat(Tr("多余的参数 %s"), a.c_str()));
        }
    }
    if (file.empty() || scenarioFile.empty())
        return Usage(Tr("alarms test 需要报警规则文件和 --scenario FILE"));
    AlarmRules rules;
    std::string problem, text;
    if (!ReadAlarmRulesFile(file, rules, problem)) return Usage(problem);
    auto scenario = std::make_shared<SimulationScenario>();
    if (!ReadSmallTextFile(scenarioFile, text, problem) || !ParseScenario(text, *scenario, problem))
        return Usage(scenarioFile + ": " + problem);
    const std::vector<InstrumentTypeId> models =
        options.simulate.empty() ? std::vector<InstrumentTypeId>{kQX450} : options.simulate;

    // The fast clock: the scenario starts now, and the clock jumps from reading to reading.
    const int64_t start = static_cast<int64_t>(std::time(nullptr));
    int64_t now = start;
    auto offsetText = [&](int64_t t) { return "+" + AlarmDurationText(t - start); };
    const MailSettings& mail = rules.mail;
    struct Sent {
        std::string id;
        int64_t start = 0;
        int64_t last = 0;
        bool escalated = false;
    };
    std::vector<Sent> sent;
    auto send = [&](const std::string& what, const std::vector<std::string>& to, int64_t t) {
        std::printf("%s  %s\n", offsetText(t).c_str(),
                    StrFormat(Tr("将发邮件给 %s: %s"), Joined(to).c_str(), what.c_str()).c_str());
    };
    MonitorAlarms alarms([&](const AlarmEvent& e, const RecordUnits& units) {
        const std::string line = AlarmEventLine(e, units, offsetText(e.time), offsetText(e.start));
        std::printf("%s\n", line.c_str());
        if (!mail.Enabled()) return;
        send(line, mail.to, e.time);
        const auto held =
            std::find_if(sent.begin(), sent.end(), [&](const Sent& s) { return s.id == e.id; });
        if (e.change == AlarmChange::kEnded) {
            if (held != sent.end()) sent.erase(held);
        } else if (held == sent.end()) {
            sent.push_back({e.id, e.start, e.time, false});
        } else {
            held->last = e.time;
        }
    });
    struct Simulated {
        std::unique_ptr<InstrumentSimulator> sim;
        InstrumentKey key;
        int64_t next = 0;
    };
    std::vector<Simulated> simulated;
    int64_t horizon = scenario->End() + every;
    for (const InstrumentTypeId type : models) {
        uint32_t serial = 1;
        for (const Simulated& s : simulated)
            serial += s.key.model == type ? 1 : 0;
        Simulated s;
        s.sim = std::make_unique<InstrumentSimulator>(
            type, [&now] { return now; }, serial);
        s.sim->FollowScenario(scenario, start);
        const ParamBlock settings = s.sim->SetParams();
        s.key = InstrumentKeyOf(settings, type);
        InstrumentAlarmRules meant;
        if (!AlarmRulesFor(rules, s.key, settings, {}, meant, problem)) {
            std::fprintf(stderr, "%s: %s\n", file.c_str(), problem.c_str());
            return kExitFailure;
        }
        // Long enough for a condition at the last step to be raised.
        for (const ChannelAlarmRule& r : meant.channels)
            horizon = std::max(horizon, scenario->End() + r.delay + every);
        if (meant.lostDelay)
            horizon = std::max(horizon, scenario->End() + *meant.lostDelay + every);
        alarms.Watch(s.key, Trim(Utf16ToUtf8(settings.Name())),
                     RecordUnitsOf(settings.UnitByte(), type), meant);
        std::printf("%s\n",
                    StrFormat(Tr("%s: 按 %s 试验 %s, 每 %s 读取一次"), offsetText(now).c_str(),
                              scenarioFile.c_str(), InstrumentName(s.key).c_str(),
                              AlarmDurationText(every).c_str())
                        .c_str());
        simulated.push_back(std::move(s));
    }
    for (now = start; now <= start + horizon; ++now) {
        for (Simulated& s : simulated) {
            if (now < s.next) continue;
            if (s.sim->Plugged()) {
                std::vector<uint8_t> sample;
                AppendLiveSample(s.sim->Status(), s.key.model, sample);
                alarms.Reading(s.key, s.sim->SetParams(), sample.data(), now);
            } else {
                alarms.NoAnswer(s.key, now);
            }
            const int64_t interval = alarms.IntervalFor(s.key, every);
            s.next = now - (now - start) % interval + interval;
        }
        alarms.Tick(now);
        // Messages again until acknowledged (nobody acknowledges here), and to the second list.
        for (Sent& s : sent) {
            if (mail.repeat > 0 && now - s.last >= mail.repeat) {
                send(StrFormat(Tr("(重复) %s"), s.id.c_str()), mail.to, now);
                s.last = now;
            }
        }
        for (Sent& s : sent) {
            if (mail.escalate_after > 0 && !s.escalated && now - s.start >= mail.escalate_after) {
                send(StrFormat(Tr("(未确认) %s"), s.id.c_str()), mail.escalate_to, now);
                s.escalated = true;
            }
        }
    }
    std::printf(
        "%s\n",
        StrFormat(Tr("%s: 试验结束, 没有发送任何消息"), offsetText(now - 1).c_str()).c_str());
    return kExitOk;
}

struct AlarmSubcommand {
    std::string_view name;
    int (*run)(const CliOptions&, std::span<const std::string>);
};

constexpr AlarmSubcommand kSubcommands[] = {{"check", RunCheck}, {"test", RunTest}};

int RunAlarms(const CliOptions& options, std::span<const std::string> args) {
    if (args.empty()) return Usage(Tr("需要子命令 check 或 test"));
    for (const AlarmSubcommand& s : kSubcommands) {
        if (s.name == args[0]) return s.run(options, args.subspan(1));
    }
    return Usage(StrFormat(Tr("不认识的子命令 %s"), args[0].c_str()));
}

std::string AlarmsHelp() {
    return HelpText(
        Tr("用法: qxlog-cli alarms check FILE [--library FILE|URL]\n"
           "      qxlog-cli [--simulate MODELS] alarms test FILE --scenario S\n"
           "                [--every DURATION]\n"
           "\n"
           "报警规则文件 FILE 是 monitor --alarms 读取的 UTF-8 文本, 写法与参数配置文件\n"
           "相同 (KEY = VALUE, 以 ; 或 # 开始的行为注释), 每条规则一段:\n"
           "  [mail]                报警邮件: server (smtp://HOST[:PORT] 或 smtps://), from,\n"
           "                        to 和 escalate-to (逗号分隔的地址), repeat (未确认时\n"
           "                        重复发送的间隔), escalate-after (未确认多久后也发给\n"
           "                        escalate-to), credentials (用户名和密码的文件)\n"
           "  [QX450:A0200001 temp] 一台仪器 (MODEL:NUMBER) 的一个通道\n"
           "  [A0200001 hum]        带这个编号的每台仪器的一个通道\n"
           "  [* temp]              有这个通道的每台仪器\n"
           "  [* lost]              拔出或没有应答的仪器 (也可写 MODEL:NUMBER 或 NUMBER)\n"
           "  [* silent]            不再写入记录库的监测\n"
           "通道为 temp, hum, dew, density, pressure, diffpressure, sound, flow, co2, hcho。\n"
           "通道段的参数: high 和 low (报警限值, 不给时为仪器自己的), warn-high 和 warn-low\n"
           "(在限值之前预警的临界值, 不能在限值外), delay (条件持续多久才报警), deadband\n"
           "(值回到限值内多少才结束报警), excursion-every (通道超出时的读取间隔, 比 monitor\n"
           "的间隔短时有效); lost 和 silent 段只有 delay。时长与 monitor --every 相同: 1s 到\n"
           "24h (如 90s, 5m, 1h)。一台仪器的一个通道的每个参数取适用的段中最具体的\n"
           "(MODEL:NUMBER, 然后 NUMBER, 然后 *)。密码不能写在规则文件中: 用户名和密码来自\n"
           "~/.netrc 或 credentials 指定的、只有所有者能读的文件。有错的规则文件被拒绝,\n"
           "并打印行号和原因。\n"
           "\n"
           "报警的规则: 严格超出预警值为预警, 严格超出限值为超限, 等于它们的值在其内。\n"
           "值超出后条件开始, 持续 delay (在开始后至少 delay 秒的第一个读数) 后报警;\n"
           "在此之前回到其内则不报警。报警中级别立即变化。有回差时, 报警持续到值回到\n"
           "限值 (或预警值) 内回差的宽度: 正好在回差边上的值结束它。没有值的读数不改变\n"
           "报警。仪器从第一次没有应答起 lost 的 delay 后报警, 再次有读数时结束。\n"
           "\n"
           "check: 对每台连接的仪器和记录库中的每台仪器 (用最近记录的参数) 打印规则的\n"
           "含义: 每个通道的限值、预警值、延时、回差和读取间隔, lost 和 silent, 以及邮件\n"
           "发给谁。\n"
           "\n"
           "test: 模拟的仪器 (--simulate 给出的, 默认为一台 QX450) 按场景 S 变化 (见\n"
           "qxlog-cli --help 的 --scenario), 快速时钟每 DURATION (默认 10 秒) 读取一次,\n"
           "打印会开始和结束的报警及其时间 (从场景开始算) 和会发送的邮件; 不等待, 也不\n"
           "发送任何消息。\n"
           "\n"
           "选项:\n"
           "  --library FILE|URL\n"
           "                     check: 记录库; 默认为全局 --library 或设置选择的\n"
           "  --scenario S       test: 场景文件\n"
           "  --every DURATION   test: 读取间隔, 与 monitor 相同; 默认 10 秒\n"
           "\n"
           "退出状态:\n"
           "  0  check: 规则适用于每台仪器; test: 试验已运行\n"
           "  1  规则不适用于某台仪器 (如预警值在仪器自己的限值外)\n"
           "  2  缺少参数或参数错误, 或规则文件、场景文件有错"));
}

constexpr CliCommand kCommands[] = {
    {"alarms", TrNoop("报警规则: 检查它对每台仪器的含义, 按场景试验"), {AlarmsHelp}, RunAlarms},
};

}  // namespace

bool ReadSmallTextFile(const std::string& path, std::string& text, std::string& problem) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        problem = StrFormat(Tr("文件:%s 不能打开!"), path.c_str());
        return false;
    }
    text.resize(static_cast<size_t>(kMaxTextBytes) + 1);
    in.read(text.data(), kMaxTextBytes + 1);
    text.resize(static_cast<size_t>(in.gcount()));
    if (in.bad()) {
        problem = StrFormat(Tr("文件:%s 不能打开!"), path.c_str());
        return false;
    }
    if (text.size() > static_cast<size_t>(kMaxTextBytes)) {
        problem = StrFormat(Tr("%s: 文件太大 (最多 1 MiB)"), path.c_str());
        return false;
    }
    return true;
}

bool ReadAlarmRulesFile(const std::string& path, AlarmRules& rules, std::string& problem) {
    std::string text, why;
    if (!ReadSmallTextFile(path, text, problem)) return false;
    if (!ParseAlarmRules(text, rules, why)) {
        problem = path + ": " + why;
        return false;
    }
    return true;
}

std::span<const CliCommand> AlarmCommands() {
    return kCommands;
}

}  // namespace qx::cli
