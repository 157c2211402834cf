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
    std::fprintf(stderr, "qxlog-cli %s: unexpected argument '%s'\n", command, args[0].c_str());
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
                std::fprintf(stderr, "qxlog-cli params: --save-profile needs a file name\n");
                return kExitUsage;
            }
            profilePath = args[++i];
        } else {
            std::fprintf(stderr, "qxlog-cli params: unknown argument '%s'\n", args[i].c_str());
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
        std::fprintf(stderr, "qxlog-cli params: --with-identity goes with --save-profile\n");
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
        if (taken == ChoiceArgument::kOther) problem = "unexpected argument '" + args[i] + "'";
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
    return FormatHelp(
        "Usage: qxlog-cli [--simulate MODELS] [--device N] list\n"
        "\n"
        "Lists the attached instruments of the QX family (or the simulated ones), one\n"
        "line each with five fields separated by tabs: the index that --device takes,\n"
        "the product string, the model (- when not known), the device path and the\n"
        "instrument number (- when its settings cannot be read). With --device N only\n"
        "that instrument is listed.\n"
        "\n"
        "Exit status:\n"
        "  0  instruments listed\n"
        "  1  none attached (%s), or no instrument N\n"
        "  2  an argument was given",
        Quoted(Tr(msg::kNoDevice)).c_str());
}

std::string StatusHelp() {
    return FormatHelp(
        "Usage: qxlog-cli [--simulate MODELS] [--device N] status\n"
        "\n"
        "Reads the instrument's live status and prints one 'label: text' line per item\n"
        "the model shows: %s, %s, %s, %s, the readings with their units\n"
        "and the alarm limits. A limit that the reading has reached is marked %s.\n"
        "\n"
        "Exit status:\n"
        "  0  status printed\n"
        "  1  no instrument (%s), or the exchange failed\n"
        "     (%s)\n"
        "  2  an argument was given",
        Tr(kModelLabel), Tr(kClockLabel), Tr(kCountLabel), Tr(kStateLabel), Tr(kAlarmMark),
        Quoted(Tr(msg::kNoDevice)).c_str(), Quoted(Tr(kStatusFailed)).c_str());
}

std::string ParamsHelp() {
    return FormatHelp(
        "Usage: qxlog-cli [--simulate MODELS] [--device N] params [--recorded]\n"
        "                              [--save-profile FILE [--with-identity]]\n"
        "\n"
        "Reads the instrument's settings and prints the model's settings list, one\n"
        "'label<TAB>text' line per row.\n"
        "\n"
        "Options:\n"
        "  --recorded           the settings of the stored recording instead of the\n"
        "                       current settings\n"
        "  --save-profile FILE  also write the settings shown as a profile: a UTF-8 INI\n"
        "                       file with the section [qxlog-profile], model=MODEL and\n"
        "                       one KEY=VALUE line per setting of the model (see\n"
        "                       qxlog-cli configure --help); 'configure' applies it\n"
        "                       to the same or another instrument. The instrument\n"
        "                       number and name, which tell instruments apart, are\n"
        "                       left out\n"
        "  --with-identity      with --save-profile: the number= and name= lines too\n"
        "\n"
        "A value that holds control characters (a line break would make it two lines)\n"
        "is left out of the profile with a warning such as\n"
        "%s\n"
        "\n"
        "Exit status:\n"
        "  0  settings list printed (and the profile written)\n"
        "  1  no instrument, the exchange failed (%s), no\n"
        "     such settings in the instrument (%s,\n"
        "     %s, %s), or\n"
        "     FILE cannot be written (%s)\n"
        "  2  another argument was given",
        Quoted(StrFormat(Tr(kControlCharactersLeftOut), "name")).c_str(),
        Quoted(Tr(kReadParamsFailed)).c_str(), Quoted(Tr(kNoSetParams)).c_str(),
        Quoted(Tr(kNoRecordedParams)).c_str(), Quoted(Tr(msg::kNoParams)).c_str(),
        Quoted(SaveFailedMessage("FILE")).c_str());
}

std::string ConfigureHelp() {
    const std::string readBack = "hcho-high: " + ReadBackMessage({"hcho-high", "0.5", "0.51"});
    const std::string inexact = "hcho-high: " + InexactDecimalMessage("0.015", 2);
    return FormatHelp(
        "Usage: qxlog-cli [--simulate MODELS] configure [--device N | --all]\n"
        "                 [--profile FILE] [--set KEY=VALUE]... [--dry-run | --keys]\n"
        "\n"
        "Reads the instrument's settings, applies the profile FILE and then the --set\n"
        "options, checks the result as the settings dialog (%s) does, with its\n"
        "messages, writes it, reads it back and prints the settings list as params\n"
        "does. Writing the settings starts a new recording: at once with\n"
        "start=immediate, at the instrument's button with start=manual; the stored\n"
        "samples are then gone, so download them first. Nothing is written when any\n"
        "key or value is refused; the message names the key. Without a profile and\n"
        "--set the instrument's own settings are written again.\n"
        "\n"
        "The profile and the --set options are each taken as a whole: temperature\n"
        "limits given in one are in the temp-unit given in the same one, else in the\n"
        "unit in force before it (the instrument's), whatever the order of the lines;\n"
        "a new temp-unit converts only the limits not given with it.\n"
        "\n"
        "A value with more decimals than the instrument keeps is refused before\n"
        "anything is written, for example\n"
        "%s\n"
        "\n"
        "After writing, every key asked is compared with what the instrument then\n"
        "holds, every other key with what was written; a difference fails, for\n"
        "example\n"
        "%s\n"
        "\n"
        "Options:\n"
        "  --device N       the Nth instrument, as 'list' numbers them\n"
        "  --all            every attached instrument in turn, one line each:\n"
        "                   MODEL<TAB>NUMBER<TAB>PATH<TAB>ok or the reason it failed.\n"
        "                   Refused with a number (in the profile or --set), which\n"
        "                   would give every instrument the same one, and with\n"
        "                   gas-high\n"
        "  --profile FILE   settings from a profile, as 'params' saves it; keys the\n"
        "                   model does not have are skipped with a warning, a gas\n"
        "                   limit of another gas than the model's is refused\n"
        "  --set KEY=VALUE  one setting; may be repeated\n"
        "  --dry-run        print the settings list that would be written; write\n"
        "                   nothing\n"
        "  --keys           list the model's keys: KEY<TAB>current value<TAB>range\n"
        "\n"
        "Keys (those of the model only):\n"
        "  address          1..254\n"
        "  number           instrument number, up to 10 letters or digits\n"
        "  name             measurement name, up to 18 characters\n"
        "  count            samples to record, 1 up to the model's maximum; cyclic on\n"
        "                   the QX450\n"
        "  interval         30s, 5min, 2h (1..60 s or min, 1..24 h), or a number in\n"
        "                   the unit of interval-unit (s, min, h)\n"
        "  led              LED blinking: off, measure, 5s, 10s, 20s, 30s, 60s\n"
        "  alarm-mode       off, slow, fast\n"
        "  temp-unit        C or F\n"
        "  temp-low, temp-high\n"
        "                   temperature alarm limits, -40..80 C or -40..176 F, in\n"
        "                   the unit described above\n"
        "  hum-low, hum-high\n"
        "                   humidity alarm limits, 0..100 %%RH\n"
        "  sound-low, sound-high\n"
        "                   sound-level alarm limits, 0..150 dB (QX410)\n"
        "  speed, weighting fast or slow; A or C (QX390)\n"
        "  co2-high         CO2 alarm limit, 1..9999 ppm (QX7000)\n"
        "  hcho-high        formaldehyde alarm limit, 0.01..10 mg/m3 with at most\n"
        "                   two decimals (QX610)\n"
        "  gas-high         the older name of the gas limit: on one instrument its\n"
        "                   own (co2-high or hcho-high), in a profile that of the\n"
        "                   profile's model\n"
        "  pressure-unit    QX440: mbar, hPa, psi; QX7200: kPa, psi, mmHg, hPa\n"
        "  flow-unit        m3/s or l/s (QX7200)\n"
        "  flow-c1, flow-c2, flow-c3\n"
        "                   flow coefficients (QX7200), with at most 3, 4 and 3\n"
        "                   decimals\n"
        "  start            immediate or manual\n"
        "  start-delay      minutes before an immediate start, 0..1000 (QX460)\n"
        "\n"
        "Keys whose units differ between models: the gas limits (ppm CO2 on the\n"
        "QX7000, mg/m3 formaldehyde on the QX610), which is why their keys name the\n"
        "gas, and the temperature limits, which are in temp-unit. The other keys mean\n"
        "the same on every model that has them.\n"
        "\n"
        "Exit status:\n"
        "  0  settings written and read back as asked (with --all: on every\n"
        "     instrument)\n"
        "  1  no instrument, a key or value refused, FILE cannot be read as a\n"
        "     profile, the instrument holds a key otherwise than asked, or an\n"
        "     exchange failed (%s); with --all: on any\n"
        "     instrument\n"
        "  2  a missing or wrong argument",
        Tr(kSetParamsCommand), inexact.c_str(), readBack.c_str(),
        Quoted(Tr(msg::kWriteFailed)).c_str());
}

std::string SetClockHelp() {
    return FormatHelp(
        "Usage: qxlog-cli [--simulate MODELS] set-clock [--device N | --all]\n"
        "\n"
        "Sets the instrument's clock to the PC's time and prints %s\n"
        "Refused while the instrument is recording.\n"
        "\n"
        "Options:\n"
        "  --device N  the Nth instrument, as 'list' numbers them\n"
        "  --all       every attached instrument in turn, one line each:\n"
        "              MODEL<TAB>NUMBER<TAB>PATH<TAB>ok or the reason it failed\n"
        "\n"
        "Exit status:\n"
        "  0  clock set (with --all: on every instrument)\n"
        "  1  no instrument, the instrument is recording\n"
        "     (%s), or the exchange failed\n"
        "     (%s); with --all: on any instrument\n"
        "  2  another argument was given",
        Quoted(Tr(msg::kClockOk)).c_str(), Quoted(Tr(msg::kRecordingNoClock)).c_str(),
        Quoted(Tr(msg::kClockFailed)).c_str());
}

std::string StopHelp() {
    return FormatHelp(
        "Usage: qxlog-cli [--simulate MODELS] stop [--device N | --all]\n"
        "\n"
        "Stops the instrument's running recording without asking and prints\n"
        "%s\n"
        "\n"
        "Options:\n"
        "  --device N  the Nth instrument, as 'list' numbers them\n"
        "  --all       every attached instrument in turn, one line each:\n"
        "              MODEL<TAB>NUMBER<TAB>PATH<TAB>ok or the reason it failed\n"
        "\n"
        "Exit status:\n"
        "  0  recording stopped (with --all: on every instrument)\n"
        "  1  no instrument, nothing is being recorded (%s),\n"
        "     or the exchange failed (%s); with --all: on any\n"
        "     instrument\n"
        "  2  another argument was given",
        Quoted(Tr(kStopped)).c_str(), Quoted(Tr(msg::kNotRecording)).c_str(),
        Quoted(Tr(kStopFailed)).c_str());
}

const CliCommand kCommands[] = {
    {"list", "list the attached instruments", {ListHelp}, RunList},
    {"status", "show the live readings of an instrument", {StatusHelp}, RunStatus},
    {"params", "show the settings list of an instrument", {ParamsHelp}, RunParams},
    {"configure", "change the settings of one or every instrument", {ConfigureHelp}, RunConfigure},
    {"set-clock", "set the instrument clock to the PC's time", {SetClockHelp}, RunSetClock},
    {"stop", "stop a running recording", {StopHelp}, RunStop},
};

}  // namespace

std::span<const CliCommand> InstrumentCommands() {
    return kCommands;
}

}  // namespace qx::cli
