// qxlog-cli instrument commands: list, status, params, set-clock, stop.
#include <cstdio>
#include <utility>
#include <vector>

#include "cli_command.h"
#include "cli_help.h"
#include "configure_command.h"
#include "console_instrument.h"
#include "core/link/instrument_messages.h"
#include "core/link/live_status_texts.h"
#include "core/model/language.h"
#include "core/model/param_list_rows.h"
#include "core/model/param_profile.h"
#include "core/model/text_util.h"
#include "core/records/record_file.h"
#include "every_instrument.h"

namespace qx::cli {
namespace {

// Status lines: the labels the help names, and the mark of a limit the reading has reached.
constexpr const char* kModelLabel = TrNoop("型号");
constexpr const char* kClockLabel = TrNoop("仪器时钟");
constexpr const char* kCountLabel = TrNoop("记录数");
constexpr const char* kStateLabel = TrNoop("记录状态");
constexpr const char* kAlarmMark = TrNoop("[报警]");

constexpr const char* kStatusFailed = TrNoop("通讯出错，不能读取仪器状态!");
constexpr const char* kNoRecordedParams = TrNoop("仪器中没有记录数据的参数!");
constexpr const char* kNoSetParams = TrNoop("仪器没有设置参数!");
constexpr const char* kStopFailed = TrNoop("通讯出错，不能停止记录!");
constexpr const char* kStopped = TrNoop("记录已停止.");
// A profile line left out: its value would read back as more than one line.
constexpr const char* kControlCharactersLeftOut =
    TrNoop("警告: %s 含有控制字符(换行、制表符等), 没有写入配置文件");
// The window's command whose checks configure applies.
constexpr const char* kSetParamsCommand = TrNoop("设置参数");

bool CheckNoArgs(std::span<const std::string> args, const char* command) {
    if (args.empty()) return true;
    std::fprintf(stderr, Tr("qxlog-cli %s: 多余的参数 '%s'\n"), command, args[0].c_str());
    return false;
}

// ---- list -----------------------------------------------------------------------------------

int RunList(const CliOptions& options, std::span<const std::string> args) {
    if (!CheckNoArgs(args, "list")) return kExitUsage;
    ConsoleInstrument instrument(options);
    instrument.ui.holdWarnings = true;
    InstrumentLink& link = instrument.session.link;
    link.Enumerate();
    const std::vector<std::string> names = link.CandidateNames();
    if (names.empty()) {
        std::fprintf(stderr, "%s\n", Tr(msg::kNoDevice));
        return kExitFailure;
    }
    if (options.device >= 0 && static_cast<size_t>(options.device) >= names.size()) {
        PrintDeviceOutOfRange(options.device, names.size());
        return kExitFailure;
    }
    for (size_t i = 0; i < names.size(); ++i) {
        if (options.device >= 0 && i != static_cast<size_t>(options.device)) continue;
        const std::string model = ModelDisplayName(ModelFromProductString(names[i]));
        const std::string path = link.DevicePathOf(link.CandidateIndexes()[i]);
        const std::string number = ConnectTo(instrument, path) ? InstrumentNumber(instrument) : "-";
        link.Close();
        std::printf("%zu\t%s\t%s\t%s\t%s\n", i, names[i].c_str(),
                    model.empty() ? "-" : model.c_str(), path.c_str(), number.c_str());
    }
    return kExitOk;
}

// ---- status ---------------------------------------------------------------------------------

using Lines = std::vector<std::pair<std::string, std::string>>;

std::string WithAlarm(std::string text, bool alarm) {
    return alarm ? text + " " + Tr(kAlarmMark) : text;
}

Lines StatusLines(const LiveStatus& st, InstrumentTypeId type) {
    const LiveStatusTexts t = MakeLiveStatusTexts(st, type);
    const uint8_t mask = ChannelMask(type);
    const std::string tempUnit = TemperatureUnitName(TemperatureUnitIndex(t.unitByte));
    const std::string pressureUnit = PressureUnitOf(t.unitByte, type).name;
    const bool sound = Model(type).soundOnly;
    Lines lines;
    lines.push_back({Tr(kModelLabel), type == kNoModel ? "-" : ModelDisplayName(type)});
    lines.push_back(
        {Tr(kClockLabel), HasCyclicRecording(type) && t.external ? t.clock + " EXT" : t.clock});
    lines.push_back({Tr(kCountLabel), t.count});
    lines.push_back({Tr(kStateLabel), st.IsRecording() ? Tr("正在记录") : Tr("未记录")});
    if (!sound) lines.push_back({Tr("温度"), t.temperature + " " + tempUnit});
    if (mask & kChHumidity) lines.push_back({Tr("湿度"), t.humidity + " %RH"});
    if (mask & kChPressure) lines.push_back({Tr("气压"), t.pressure + " " + pressureUnit});
    if (mask & kChDiffPressure) lines.push_back({Tr("差压"), t.diffPressure + " " + pressureUnit});
    if (mask & kChSound) lines.push_back({Tr("噪声"), t.sound + " dB"});
    if (mask & kChFlow) lines.push_back({Tr("流量"), t.flow + " " + FlowUnitName(t.unitByte)});
    if (mask & kChCo2) lines.push_back({"CO2", t.co2 + " " + Tr("PPM")});
    if (mask & kChFormaldehyde) lines.push_back({Tr("甲醛"), t.formaldehyde + " mg/m3"});
    if (sound) {
        lines.push_back({Tr("噪声下限"), WithAlarm(t.soundLow + " dB", t.soundLowAlarm)});
        lines.push_back({Tr("噪声上限"), WithAlarm(t.soundHigh + " dB", t.soundHighAlarm)});
    } else {
        lines.push_back(
            {Tr("温度下限"), WithAlarm(t.temperatureLow + " " + tempUnit, t.temperatureLowAlarm)});
        lines.push_back({Tr("温度上限"),
                         WithAlarm(t.temperatureHigh + " " + tempUnit, t.temperatureHighAlarm)});
    }
    if (mask & kChHumidity) {
        lines.push_back({Tr("湿度下限"), WithAlarm(t.humidityLow + " %RH", t.humidityLowAlarm)});
        lines.push_back({Tr("湿度上限"), WithAlarm(t.humidityHigh + " %RH", t.humidityHighAlarm)});
    }
    if (mask & kChCo2) {
        lines.push_back({Tr("CO2报警值"), WithAlarm(t.co2Limit + " " + Tr("PPM"), t.co2Alarm)});
    }
    if (mask & kChFormaldehyde) {
        lines.push_back(
            {Tr("甲醛报警值"), WithAlarm(t.formaldehydeLimit + " mg/m3", t.formaldehydeAlarm)});
    }
    if (Model(type).editorGroups & kEditorSoundMeter) {
        // As the meter's display shows them; English words them as the settings lists do.
        lines.push_back({Tr("采样速度"), t.type7ByteA % 2 == 0 ? Tr("FAST") : Tr("SLOW")});
        lines.push_back({Tr("频率计权"), t.type7ByteB % 2 == 0 ? "A" : "C"});
    }
    return lines;
}

int RunStatus(const CliOptions& options, std::span<const std::string> args) {
    if (!CheckNoArgs(args, "status")) return kExitUsage;
    auto instrument = ConnectInstrument(options);
    if (!instrument) return kExitFailure;
    InstrumentSession& s = instrument->session;
    if (s.commands.Refresh() != CommandResult::kDone) {
        ReportExchangeFailure(*instrument, Tr(kStatusFailed));
        return kExitFailure;
    }
    for (const auto& [label, text] : StatusLines(s.state.live, s.state.type)) {
        std::printf("%s: %s\n", label.c_str(), text.c_str());
    }
    return kExitOk;
}

// ---- params ---------------------------------------------------------------------------------

int RunParams(const CliOptions& options, std::span<const std::string> args) {
    bool recorded = false;
    bool withIdentity = false;
    std::string profilePath;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--recorded") {
            recorded = true;
        } else if (args[i] == "--with-identity") {
            withIdentity = true;
        } else if (args[i] == "--save-profile") {
            if (i + 1 >= args.size()) {
                std::fprintf(stderr, "%s", Tr("qxlog-cli params: --save-profile 需要一个文件名\n"));
                return kExitUsage;
            }
            profilePath = args[++i];
        } else {
            std::fprintf(stderr, Tr("qxlog-cli params: 不认识的参数 '%s'\n"), args[i].c_str());
            return kExitUsage;
        }
    }
    auto instrument = ConnectInstrument(options);
    if (!instrument) return kExitFailure;
    InstrumentSession& s = instrument->session;
    const CommandResult result = s.commands.ReadParameters();
    if (result == CommandResult::kRefused) return kExitFailure;  // warned: no parameters
    if (result != CommandResult::kDone) {
        ReportExchangeFailure(*instrument, Tr(kReadParamsFailed));
        return kExitFailure;
    }
    const auto& block =
        instrument->ui.Shown(recorded ? ParamListKind::kRecorded : ParamListKind::kSet);
    if (!block) {
        std::fprintf(stderr, "%s\n", Tr(recorded ? kNoRecordedParams : kNoSetParams));
        return kExitFailure;
    }
    const ParamTexts texts = MakeParamTexts(*block, s.state.type);
    for (const ParamListRow& row : ParamListRows(s.state.type, &texts)) {
        std::printf("%s\t%s\n", Tr(row.label).c_str(), row.text.c_str());
    }
    if (withIdentity && profilePath.empty()) {
        std::fprintf(stderr, "%s",
                     Tr("qxlog-cli params: --with-identity 要和 --save-profile 一起用\n"));
        return kExitUsage;
    }
    std::vector<std::string> omitted;
    if (!profilePath.empty() &&
        !SaveProfileFile(profilePath, *block, s.state.type, withIdentity, &omitted)) {
        std::fprintf(stderr, "%s\n", SaveFailedMessage(profilePath).c_str());
        return kExitFailure;
    }
    for (const std::string& key : omitted) {
        std::fprintf(stderr, "%s\n", StrFormat(Tr(kControlCharactersLeftOut), key.c_str()).c_str());
    }
    return kExitOk;
}

// ---- set-clock, stop ------------------------------------------------------------------------

// Parses the arguments of set-clock and stop: only --all or --device N.
int ParseChoice(const char* command, std::span<const std::string> args, CliOptions& options,
                bool& all) {
    for (size_t i = 0; i < args.size(); ++i) {
        std::string problem;
        const ChoiceArgument taken = TakeInstrumentChoice(args, i, options, all, problem);
        if (taken == ChoiceArgument::kTaken) continue;
        if (taken == ChoiceArgument::kOther) {
            problem = StrFormat(Tr("多余的参数 '%s'"), args[i].c_str());
        }
        std::fprintf(stderr, "qxlog-cli %s: %s\n", command, problem.c_str());
        return kExitUsage;
    }
    return kExitOk;
}

InstrumentOutcome SetClock(ConsoleInstrument& instrument) {
    if (instrument.session.commands.CalibrateClock() == CommandResult::kDone) return {true, {}};
    ReportExchangeFailure(instrument, Tr(msg::kClockFailed));
    return {};
}

int RunSetClock(const CliOptions& globalOptions, std::span<const std::string> args) {
    CliOptions options = globalOptions;
    bool all = false;
    if (const int usage = ParseChoice("set-clock", args, options, all)) return usage;
    if (all) return ForEveryInstrument(options, SetClock);
    auto instrument = ConnectInstrument(options);
    if (!instrument) return kExitFailure;
    return SetClock(*instrument).ok ? kExitOk : kExitFailure;
}

InstrumentOutcome Stop(ConsoleInstrument& instrument) {
    if (instrument.session.commands.StopRecording() == CommandResult::kDone) return {true, {}};
    ReportExchangeFailure(instrument, Tr(kStopFailed));
    return {};
}

int RunStop(const CliOptions& globalOptions, std::span<const std::string> args) {
    CliOptions options = globalOptions;
    bool all = false;
    if (const int usage = ParseChoice("stop", args, options, all)) return usage;
    if (all) return ForEveryInstrument(options, Stop);
    auto instrument = ConnectInstrument(options);
    if (!instrument) return kExitFailure;
    if (!Stop(*instrument).ok) return kExitFailure;
    std::printf("%s\n", Tr(kStopped));
    return kExitOk;
}

std::string ListHelp() {
    return FormatHelp(Tr("用法: qxlog-cli [--simulate MODELS] [--device N] list\n"
                         "\n"
                         "列出连接的 QX 系列仪器 (或模拟的仪器), 每台一行, 五个字段用制表符分隔,\n"
                         "--device 用的序号、产品字符串、型号 (不认识时为 -)、设备路径和仪器编号\n"
                         "(读不到参数时为 -)。给出 --device N 时只列出那一台。\n"
                         "\n"
                         "退出状态:\n"
                         "  0  已列出仪器\n"
                         "  1  没有连接仪器 (%s), 或没有第 N 台\n"
                         "  2  给了参数"),
                      Quoted(Tr(msg::kNoDevice)).c_str());
}

std::string StatusHelp() {
    return FormatHelp(Tr("用法: qxlog-cli [--simulate MODELS] [--device N] status\n"
                         "\n"
                         "读取仪器的实时状态, 该型号显示的每一项打印一行 '名称: 内容', 即\n"
                         "%s、%s、%s、%s、\n"
                         "带单位的读数和报警值。读数达到的报警值标有 %s。\n"
                         "\n"
                         "退出状态:\n"
                         "  0  已打印状态\n"
                         "  1  没有仪器 (%s), 或通讯失败\n"
                         "     (%s)\n"
                         "  2  给了参数"),
                      Tr(kModelLabel), Tr(kClockLabel), Tr(kCountLabel), Tr(kStateLabel),
                      Tr(kAlarmMark), Quoted(Tr(msg::kNoDevice)).c_str(),
                      Quoted(Tr(kStatusFailed)).c_str());
}

std::string ParamsHelp() {
    return FormatHelp(
        Tr("用法: qxlog-cli [--simulate MODELS] [--device N] params [--recorded]\n"
           "                             [--save-profile FILE [--with-identity]]\n"
           "\n"
           "读取仪器的参数, 打印该型号的参数列表, 每行 '名称<TAB>内容'。\n"
           "\n"
           "选项:\n"
           "  --recorded           打印记录数据的参数, 而不是设置的参数\n"
           "  --save-profile FILE  同时把显示的参数写成配置文件: UTF-8 的 INI 文件,\n"
           "                       含 [qxlog-profile] 节、model=MODEL 和该型号每个参数\n"
           "                       一行 KEY=VALUE (见 qxlog-cli configure --help);\n"
           "                       'configure' 可把它用于同一台或另一台仪器。区分仪器的\n"
           "                       编号和测量名不写入\n"
           "  --with-identity      与 --save-profile 一起: 也写入 number= 和 name= 行\n"
           "\n"
           "含有控制字符的值 (换行会把它变成两行) 不写入配置文件, 并给出警告, 例如\n"
           "%s\n"
           "\n"
           "退出状态:\n"
           "  0  已打印参数列表 (并已写入配置文件)\n"
           "  1  没有仪器, 通讯失败 (%s),\n"
           "     仪器中没有这样的参数 (%s,\n"
           "     %s, %s),\n"
           "     或不能写入 FILE (%s)\n"
           "  2  给了别的参数"),
        Quoted(StrFormat(Tr(kControlCharactersLeftOut), "name")).c_str(),
        Quoted(Tr(kReadParamsFailed)).c_str(), Quoted(Tr(kNoSetParams)).c_str(),
        Quoted(Tr(kNoRecordedParams)).c_str(), Quoted(Tr(msg::kNoParams)).c_str(),
        Quoted(SaveFailedMessage("FILE")).c_str());
}

std::string ConfigureHelp() {
    const std::string readBack = "hcho-high: " + ReadBackMessage({"hcho-high", "0.5", "0.51"});
    const std::string inexact = "hcho-high: " + InexactDecimalMessage("0.015", 2);
    return FormatHelp(
        Tr("用法: qxlog-cli [--simulate MODELS] configure [--device N | --all]\n"
           "                [--profile FILE] [--set KEY=VALUE]... [--dry-run | --keys]\n"
           "\n"
           "读取仪器的参数, 先用配置文件 FILE, 再用 --set 选项修改, 像设置参数对话框\n"
           "(%s) 那样检查结果并给出同样的提示, 写入仪器, 读回, 然后像 params\n"
           "那样打印参数列表。写入参数会开始新的记录: start=immediate 时立即开始,\n"
           "start=manual 时在仪器上按键开始; 仪器中已有的记录数据随之清除, 请先下载。\n"
           "任何一个键或值被拒绝时什么也不写入; 提示中写明是哪个键。没有配置文件和\n"
           "--set 时, 把仪器自己的参数再写入一次。\n"
           "\n"
           "配置文件和 --set 选项各自作为一个整体: 温度报警值的单位是同一处给出的\n"
           "temp-unit, 否则是此前有效的单位 (仪器的), 与行的顺序无关; 新的 temp-unit\n"
           "只换算没有和它一起给出的报警值。\n"
           "\n"
           "小数位数多于仪器能保存的值在写入之前就被拒绝, 例如\n"
           "%s\n"
           "\n"
           "写入之后, 每个要求的键与仪器此时保存的值比较, 其余的键与写入的值比较;\n"
           "有不同即失败, 例如\n"
           "%s\n"
           "\n"
           "选项:\n"
           "  --device N       第 N 台仪器, 按 'list' 的序号\n"
           "  --all            依次处理每台连接的仪器, 每台一行:\n"
           "                   MODEL<TAB>NUMBER<TAB>PATH<TAB>ok 或失败的原因。\n"
           "                   给出编号 (在配置文件或 --set 中) 时拒绝, 因为那会给每台\n"
           "                   仪器同一个编号; 给出 gas-high 时也拒绝\n"
           "  --profile FILE   配置文件中的参数, 即 'params' 保存的文件; 该型号没有\n"
           "                   的键跳过并警告, 不是该型号气体的气体报警值被拒绝\n"
           "  --set KEY=VALUE  一个参数; 可以重复\n"
           "  --dry-run        打印将要写入的参数列表; 什么也不写入\n"
           "  --keys           列出该型号的键: KEY<TAB>当前值<TAB>范围\n"
           "\n"
           "键 (只有该型号有的):\n"
           "  address          1..254\n"
           "  number           仪器编号, 最多 10 个字母、数字、- 或 _\n"
           "  name             测量名, 最多 18 个字符\n"
           "  count            设定记录总数, 1 到该型号的最大值; QX450 为循环记录\n"
           "  interval         30s, 5min, 2h (1..60 s 或 min, 1..24 h), 或按 interval-unit\n"
           "                   (s, min, h) 的单位给出的数\n"
           "  led              工作LED闪烁: off, measure, 5s, 10s, 20s, 30s, 60s\n"
           "  alarm-mode       off, slow, fast\n"
           "  temp-unit        C 或 F\n"
           "  temp-low, temp-high\n"
           "                   温度报警值, -40..80 C 或 -40..176 F, 单位如上所述\n"
           "  hum-low, hum-high\n"
           "                   湿度报警值, 0..100 %%RH\n"
           "  sound-low, sound-high\n"
           "                   噪声报警值, 0..150 dB (QX410)\n"
           "  speed, weighting fast 或 slow; A 或 C (QX390)\n"
           "  co2-high         CO2 报警值, 1..9999 ppm (QX7000)\n"
           "  hcho-high        甲醛报警值, 0.01..10 mg/m3, 最多两位小数 (QX610)\n"
           "  gas-high         气体报警值的旧名称: 对一台仪器是它自己的 (co2-high 或\n"
           "                   hcho-high), 在配置文件中是配置文件型号的\n"
           "  pressure-unit    QX440: mbar, hPa, psi; QX7200: kPa, psi, mmHg, hPa\n"
           "  flow-unit        m3/s 或 l/s (QX7200)\n"
           "  flow-c1, flow-c2, flow-c3\n"
           "                   流量计算参数 (QX7200), 最多 3、4 和 3 位小数\n"
           "  start            immediate 或 manual\n"
           "  start-delay      立即测量前等待的分钟数, 0..1000 (QX460)\n"
           "\n"
           "单位因型号而不同的键: 气体报警值 (QX7000 为 ppm CO2, QX610 为 mg/m3 甲醛),\n"
           "所以它们的键名写明气体; 温度报警值的单位是 temp-unit。其余的键在有它们的\n"
           "每个型号上意义相同。\n"
           "\n"
           "退出状态:\n"
           "  0  参数已写入并按要求读回 (--all 时: 每台仪器都是)\n"
           "  1  没有仪器, 键或值被拒绝, FILE 不能作为配置文件读取, 仪器保存的键与\n"
           "     要求的不同, 或通讯失败 (%s);\n"
           "     --all 时: 任何一台仪器如此\n"
           "  2  缺少参数或参数错误"),
        Tr(kSetParamsCommand), inexact.c_str(), readBack.c_str(),
        Quoted(Tr(msg::kWriteFailed)).c_str());
}

std::string SetClockHelp() {
    return FormatHelp(Tr("用法: qxlog-cli [--simulate MODELS] set-clock [--device N | --all]\n"
                         "\n"
                         "把仪器时钟设为电脑的时间, 然后打印 %s\n"
                         "仪器正在记录时拒绝。\n"
                         "\n"
                         "选项:\n"
                         "  --device N  第 N 台仪器, 按 'list' 的序号\n"
                         "  --all       依次处理每台连接的仪器, 每台一行:\n"
                         "              MODEL<TAB>NUMBER<TAB>PATH<TAB>ok 或失败的原因\n"
                         "\n"
                         "退出状态:\n"
                         "  0  时钟已设置 (--all 时: 每台仪器都已设置)\n"
                         "  1  没有仪器, 仪器正在记录\n"
                         "     (%s), 或通讯失败\n"
                         "     (%s); --all 时: 任何一台仪器如此\n"
                         "  2  给了别的参数"),
                      Quoted(Tr(msg::kClockOk)).c_str(), Quoted(Tr(msg::kRecordingNoClock)).c_str(),
                      Quoted(Tr(msg::kClockFailed)).c_str());
}

std::string StopHelp() {
    return FormatHelp(Tr("用法: qxlog-cli [--simulate MODELS] stop [--device N | --all]\n"
                         "\n"
                         "不经询问停止仪器正在进行的记录, 然后打印\n"
                         "%s\n"
                         "\n"
                         "选项:\n"
                         "  --device N  第 N 台仪器, 按 'list' 的序号\n"
                         "  --all       依次处理每台连接的仪器, 每台一行:\n"
                         "              MODEL<TAB>NUMBER<TAB>PATH<TAB>ok 或失败的原因\n"
                         "\n"
                         "退出状态:\n"
                         "  0  记录已停止 (--all 时: 每台仪器都已停止)\n"
                         "  1  没有仪器, 没有正在进行的记录 (%s),\n"
                         "     或通讯失败 (%s); --all 时: 任何一台仪器如此\n"
                         "  2  给了别的参数"),
                      Quoted(Tr(kStopped)).c_str(), Quoted(Tr(msg::kNotRecording)).c_str(),
                      Quoted(Tr(kStopFailed)).c_str());
}

const CliCommand kCommands[] = {
    {"list", TrNoop("列出连接的仪器"), {ListHelp}, RunList},
    {"status", TrNoop("显示仪器的实时读数"), {StatusHelp}, RunStatus},
    {"params", TrNoop("显示仪器的参数列表"), {ParamsHelp}, RunParams},
    {"configure", TrNoop("修改一台或每台仪器的参数"), {ConfigureHelp}, RunConfigure},
    {"set-clock", TrNoop("把仪器时钟设为电脑的时间"), {SetClockHelp}, RunSetClock},
    {"stop", TrNoop("停止正在进行的记录"), {StopHelp}, RunStop},
};

}  // namespace

std::span<const CliCommand> InstrumentCommands() {
    return kCommands;
}

}  // namespace qx::cli
