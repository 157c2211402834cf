// qxlog-cli instrument commands: list, status, params, set-clock, stop.
#include <cstdio>
#include <utility>
#include <vector>

#include "cli/cli_command.h"
#include "cli/console_instrument.h"
#include "link/instrument_messages.h"
#include "link/live_status_texts.h"
#include "model/param_list_rows.h"

namespace qx::cli {
namespace {

constexpr const char* kAlarmMark = " [报警]";

bool CheckNoArgs(std::span<const std::string> args, const char* command) {
    if (args.empty()) return true;
    std::fprintf(stderr, "qxlog-cli %s: unexpected argument '%s'\n", command, args[0].c_str());
    return false;
}

// ---- list -----------------------------------------------------------------------------------

int RunList(const CliOptions& options, std::span<const std::string> args) {
    if (!CheckNoArgs(args, "list")) return kExitUsage;
    ConsoleInstrument instrument(options);
    InstrumentLink& link = instrument.session.link;
    link.Enumerate();
    if (link.CandidateNames().empty()) {
        std::fprintf(stderr, "%s\n", msg::kNoDevice);
        return kExitFailure;
    }
    for (size_t i = 0; i < link.CandidateNames().size(); ++i) {
        const std::string& name = link.CandidateNames()[i];
        const std::string model = ModelDisplayName(ModelFromProductString(name));
        std::printf("%zu\t%s\t%s\t%s\n", i, name.c_str(), model.empty() ? "-" : model.c_str(),
                    link.DevicePathOf(link.CandidateIndexes()[i]).c_str());
    }
    return kExitOk;
}

// ---- status ---------------------------------------------------------------------------------

using Lines = std::vector<std::pair<std::string, std::string>>;

std::string WithAlarm(std::string text, bool alarm) {
    return alarm ? text + kAlarmMark : text;
}

Lines StatusLines(const LiveStatus& st, InstrumentTypeId type) {
    const LiveStatusTexts t = MakeLiveStatusTexts(st, type);
    const uint8_t mask = ChannelMask(type);
    const std::string tempUnit = TemperatureUnitName(TemperatureUnitIndex(t.unitByte));
    const std::string pressureUnit = PressureUnitOf(t.unitByte, type).name;
    const bool sound = type == 7 || type == 9;
    Lines lines;
    lines.push_back({"型号", type == 0 ? "-" : ModelDisplayName(type)});
    lines.push_back({"仪器时钟", type == 2 && t.external ? t.clock + " EXT" : t.clock});
    lines.push_back({"记录数", t.count});
    lines.push_back({"记录状态", st.IsRecording() ? "正在记录" : "未记录"});
    if (!sound) lines.push_back({"温度", t.temperature + " " + tempUnit});
    if (mask & kChHumidity) lines.push_back({"湿度", t.humidity + " %RH"});
    if (mask & kChPressure) lines.push_back({"气压", t.pressure + " " + pressureUnit});
    if (mask & kChDiffPressure) lines.push_back({"差压", t.diffPressure + " " + pressureUnit});
    if (mask & kChSound) lines.push_back({"噪声", t.sound + " dB"});
    if (mask & kChFlow) lines.push_back({"流量", t.flow + " " + FlowUnitName(t.unitByte)});
    if (mask & kChCo2) lines.push_back({"CO2", t.co2 + " PPM"});
    if (mask & kChFormaldehyde) lines.push_back({"甲醛", t.formaldehyde + " mg/m3"});
    if (sound) {
        lines.push_back({"噪声下限", WithAlarm(t.soundLow + " dB", t.soundLowAlarm)});
        lines.push_back({"噪声上限", WithAlarm(t.soundHigh + " dB", t.soundHighAlarm)});
    } else {
        lines.push_back(
            {"温度下限", WithAlarm(t.temperatureLow + " " + tempUnit, t.temperatureLowAlarm)});
        lines.push_back(
            {"温度上限", WithAlarm(t.temperatureHigh + " " + tempUnit, t.temperatureHighAlarm)});
    }
    if (mask & kChHumidity) {
        lines.push_back({"湿度下限", WithAlarm(t.humidityLow + " %RH", t.humidityLowAlarm)});
        lines.push_back({"湿度上限", WithAlarm(t.humidityHigh + " %RH", t.humidityHighAlarm)});
    }
    if (mask & kChCo2) lines.push_back({"CO2报警值", WithAlarm(t.co2Limit + " PPM", t.co2Alarm)});
    if (mask & kChFormaldehyde) {
        lines.push_back(
            {"甲醛报警值", WithAlarm(t.formaldehydeLimit + " mg/m3", t.formaldehydeAlarm)});
    }
    if (type == 7) {
        lines.push_back({"采样速度", t.type7ByteA % 2 == 0 ? "FAST" : "SLOW"});
        lines.push_back({"频率计权", t.type7ByteB % 2 == 0 ? "A" : "C"});
    }
    return lines;
}

int RunStatus(const CliOptions& options, std::span<const std::string> args) {
    if (!CheckNoArgs(args, "status")) return kExitUsage;
    auto instrument = ConnectInstrument(options);
    if (!instrument) return kExitFailure;
    InstrumentSession& s = instrument->session;
    if (s.commands.Refresh() != CommandResult::kDone) {
        ReportExchangeFailure(*instrument, "通讯出错，不能读取仪器状态!");
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
    for (const std::string& a : args) {
        if (a != "--recorded") {
            std::fprintf(stderr, "qxlog-cli params: unknown argument '%s'\n", a.c_str());
            return kExitUsage;
        }
        recorded = true;
    }
    auto instrument = ConnectInstrument(options);
    if (!instrument) return kExitFailure;
    InstrumentSession& s = instrument->session;
    const CommandResult result = s.commands.ReadParameters();
    if (result == CommandResult::kRefused) return kExitFailure;  // warned: no parameters
    if (result != CommandResult::kDone) {
        ReportExchangeFailure(*instrument, "通讯出错，不能读入参数!");
        return kExitFailure;
    }
    const auto& block =
        instrument->ui.Shown(recorded ? ParamListKind::kRecorded : ParamListKind::kSet);
    if (!block) {
        std::fprintf(stderr, "%s\n", recorded ? "仪器中没有记录数据的参数!" : "仪器没有设置参数!");
        return kExitFailure;
    }
    const ParamTexts texts = MakeParamTexts(*block, s.state.type);
    for (const ParamListRow& row : ParamListRows(s.state.type, &texts)) {
        std::printf("%s\t%s\n", row.label.c_str(), row.text.c_str());
    }
    return kExitOk;
}

// ---- set-clock, stop ------------------------------------------------------------------------

int RunSetClock(const CliOptions& options, std::span<const std::string> args) {
    if (!CheckNoArgs(args, "set-clock")) return kExitUsage;
    auto instrument = ConnectInstrument(options);
    if (!instrument) return kExitFailure;
    const CommandResult result = instrument->session.commands.CalibrateClock();
    if (result == CommandResult::kDone) return kExitOk;
    ReportExchangeFailure(*instrument, msg::kClockFailed);
    return kExitFailure;
}

int RunStop(const CliOptions& options, std::span<const std::string> args) {
    if (!CheckNoArgs(args, "stop")) return kExitUsage;
    auto instrument = ConnectInstrument(options);
    if (!instrument) return kExitFailure;
    const CommandResult result = instrument->session.commands.StopRecording();
    if (result == CommandResult::kDone) {
        std::printf("记录已停止.\n");
        return kExitOk;
    }
    ReportExchangeFailure(*instrument, "通讯出错，不能停止记录!");
    return kExitFailure;
}

constexpr CliCommand kCommands[] = {
    {"list", "list the attached instruments",
     "Usage: qxlog-cli [--simulate MODELS] list\n"
     "\n"
     "Lists the attached instruments of the QX family (or the simulated ones), one\n"
     "line each with four fields separated by tabs: the index that --device takes,\n"
     "the product string, the model (- when not known) and the device path.\n"
     "\n"
     "Exit status:\n"
     "  0  instruments listed\n"
     "  1  none attached (没发现有效设备!)\n"
     "  2  an argument was given",
     RunList},
    {"status", "show the live readings of an instrument",
     "Usage: qxlog-cli [--simulate MODELS] [--device N] status\n"
     "\n"
     "Reads the instrument's live status and prints one 'label: text' line per item\n"
     "the model shows: 型号, 仪器时钟, 记录数, 记录状态, the readings with their units\n"
     "and the alarm limits. A limit that the reading has reached is marked [报警].\n"
     "\n"
     "Exit status:\n"
     "  0  status printed\n"
     "  1  no instrument (没发现有效设备!), or the exchange failed\n"
     "     (通讯出错，不能读取仪器状态!)\n"
     "  2  an argument was given",
     RunStatus},
    {"params", "show the parameter list of an instrument",
     "Usage: qxlog-cli [--simulate MODELS] [--device N] params [--recorded]\n"
     "\n"
     "Reads the instrument's parameter blocks and prints the model's parameter list,\n"
     "one 'label<TAB>text' line per row.\n"
     "\n"
     "Options:\n"
     "  --recorded  the settings of the stored recording instead of the current\n"
     "              settings\n"
     "\n"
     "Exit status:\n"
     "  0  parameter list printed\n"
     "  1  no instrument, the exchange failed (通讯出错，不能读入参数!), or no\n"
     "     such parameters in the instrument (仪器没有设置参数!,\n"
     "     仪器中没有记录数据的参数!, 仪器没有参数信息,可能是一台新用的设备!)\n"
     "  2  another argument was given",
     RunParams},
    {"set-clock", "set the instrument clock to the PC's time",
     "Usage: qxlog-cli [--simulate MODELS] [--device N] set-clock\n"
     "\n"
     "Sets the instrument's clock to the PC's time and prints 校正仪器时钟OK.\n"
     "Refused while the instrument is recording.\n"
     "\n"
     "Exit status:\n"
     "  0  clock set\n"
     "  1  no instrument, the instrument is recording\n"
     "     (仪器正在做采样记录工作,不能更新时钟!), or the exchange failed\n"
     "     (通讯出错，不能校正仪器时钟!)\n"
     "  2  an argument was given",
     RunSetClock},
    {"stop", "stop a running recording",
     "Usage: qxlog-cli [--simulate MODELS] [--device N] stop\n"
     "\n"
     "Stops the instrument's running recording without asking and prints\n"
     "记录已停止.\n"
     "\n"
     "Exit status:\n"
     "  0  recording stopped\n"
     "  1  no instrument, nothing is being recorded (没有进行记录数据,不需要停止!),\n"
     "     or the exchange failed (通讯出错，不能停止记录!)\n"
     "  2  an argument was given",
     RunStop},
};

}  // namespace

std::span<const CliCommand> InstrumentCommands() {
    return kCommands;
}

}  // namespace qx::cli
