// qxlog-cli configure: the settings of one instrument or of every attached one from a profile
// and KEY=VALUE settings, made into a parameter block by the editor's own rules (ParamSettings),
// written, read back and shown; and the profile files that params --save-profile writes.
#include "configure_command.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>

#include "core/link/instrument_messages.h"
#include "core/model/language.h"
#include "core/model/param_list_rows.h"
#include "core/model/text_util.h"
#include "core/records/atomic_file.h"
#include "every_instrument.h"

namespace qx::cli {
namespace {

constexpr const char* kName = "configure";
// A profile is a few hundred bytes; anything far larger is not one.
constexpr std::streamsize kMaxProfileBytes = 64 * 1024;

int Usage(const std::string& problem) {
    std::fprintf(stderr, Tr("qxlog-cli %s: %s\n(见 qxlog-cli %s --help)\n"), kName, problem.c_str(),
                 kName);
    return kExitUsage;
}

}  // namespace

bool ReadProfileFile(const std::string& path, ParamProfile& profile, std::string& problem) {
    std::ifstream in(path, std::ios::binary);
    std::string text;
    if (in) {
        text.resize(static_cast<size_t>(kMaxProfileBytes) + 1);
        in.read(text.data(), kMaxProfileBytes + 1);
        text.resize(static_cast<size_t>(in.gcount()));
    }
    if (!in && !in.eof()) {
        problem = StrFormat(Tr("文件:%s 不能打开!"), path.c_str());
        return false;
    }
    if (text.size() > static_cast<size_t>(kMaxProfileBytes)) {
        problem = StrFormat(Tr("文件:%s 不是参数配置文件(太大)!"), path.c_str());
        return false;
    }
    std::string why;
    if (!ParseProfile(text, profile, why)) {
        problem = StrFormat(Tr("文件:%s %s"), path.c_str(), why.c_str());
        return false;
    }
    return true;
}

bool AddSetArgument(ConfigureRequest& request, const std::string& argument) {
    const size_t eq = argument.find('=');
    if (eq == std::string::npos || eq == 0) return false;
    request.sets.emplace_back(Trim(std::string_view(argument).substr(0, eq)),
                              argument.substr(eq + 1));
    return true;
}

namespace {

// The settings for the connected instrument: its current ones, then the profile, then the
// --set options. False with `problem`; `skipped` gets the profile's keys the model does not have.
bool MakeSettings(const ConfigureRequest& request, const ParamBlock& current, InstrumentTypeId type,
                  std::optional<ParamSettings>& settings, std::vector<std::string>& skipped,
                  std::string& problem) {
    settings.emplace(current, type);
    if (request.hasProfile) {
        std::vector<ParamSetting> fromProfile;
        if (!ProfileSettingsFor(request.profile, type, fromProfile, skipped, problem) ||
            !settings->SetGroup(fromProfile, problem)) {
            problem = StrFormat(Tr("配置文件中 %s"), problem.c_str());
            return false;
        }
    }
    return settings->SetGroup(request.sets, problem);
}

void PrintParams(const ParamBlock& block, InstrumentTypeId type) {
    const ParamTexts texts = MakeParamTexts(block, type);
    for (const ParamListRow& row : ParamListRows(type, &texts))
        std::printf("%s\t%s\n", Tr(row.label).c_str(), row.text.c_str());
}

void PrintKeys(const ParamSettings& settings) {
    for (const char* key : ParamKeyNames()) {
        if (!ModelHasParamKey(key, settings.Type())) continue;
        std::printf("%s\t%s\t%s\n", key, settings.Value(key).c_str(),
                    ParamKeyRange(key, settings.Type()).c_str());
    }
}

}  // namespace

InstrumentOutcome ConfigureInstrument(ConsoleInstrument& instrument,
                                      const ConfigureRequest& request, bool verbose) {
    InstrumentSession& s = instrument.session;
    // Nothing of an instrument handled before may stand in for settings this one lacks.
    s.state.setParams = ParamBlock{};
    s.state.recordedParams = ParamBlock{};
    const CommandResult read = s.commands.ReadParameters();
    // An instrument without settings (a new one) is configured from the editor's defaults.
    if (read != CommandResult::kDone && !(read == CommandResult::kRefused && s.state.statusOk)) {
        ReportExchangeFailure(instrument, Tr(kReadParamsFailed));
        return {};
    }
    instrument.ui.ResetWarnings();
    const InstrumentTypeId type = s.state.type;
    if (!IsKnownModel(type)) return {false, Tr("不认识的仪器型号,不能设置参数!")};

    std::optional<ParamSettings> settings;
    std::vector<std::string> skipped;
    std::string problem;
    if (!MakeSettings(request, s.state.setParams, type, settings, skipped, problem)) {
        return {false, problem};
    }
    std::string skippedText;
    for (const std::string& key : skipped)
        skippedText += (skippedText.empty() ? "" : ", ") + key;
    if (!skipped.empty() && verbose) {
        std::fprintf(stderr, "%s\n",
                     StrFormat(Tr("警告: %s没有这些参数, 已跳过: %s"), ModelName(type).c_str(),
                               skippedText.c_str())
                         .c_str());
    }
    if (request.keys) {
        PrintKeys(*settings);
        return {true, {}};
    }
    ParamBlock block;
    if (!settings->Encode(s.state.timeZoneBias, block, problem)) return {false, problem};
    if (request.made) *request.made = block;

    InstrumentOutcome done{true,
                           skipped.empty() ? "" : StrFormat(Tr("(跳过: %s)"), skippedText.c_str())};
    if (request.dryRun) {
        if (verbose) {
            PrintParams(block, type);
            std::fprintf(stderr, "%s\n", Tr("试运行: 没有写入仪器."));
        } else {
            done.text = done.text.empty() ? Tr("试运行") : Tr("试运行") + (" " + done.text);
        }
        return done;
    }

    instrument.ui.editParams = [&block](ParamBlock& edited) {
        edited = block;
        return true;
    };
    // Every key asked is compared with what the instrument then holds, every other one with
    // what was written; the message names the key.
    const ParamSettings& asked = *settings;
    const CommandResult written =
        s.commands.SetParameters([&asked, type](const ParamBlock& sent, const ParamBlock& held) {
            const std::optional<SettingDifference> d = ReadBackDifference(&asked, sent, held, type);
            return d ? d->key + ": " + ReadBackMessage(*d) : std::string();
        });
    instrument.ui.editParams = nullptr;
    if (written != CommandResult::kDone) {
        if (!instrument.ui.Warned()) ReportExchangeFailure(instrument, Tr(msg::kWriteFailed));
        return {};
    }
    if (verbose) PrintParams(s.state.setParams, type);
    return done;
}

std::string FleetProblem(const ConfigureRequest& request) {
    const bool profileNumber =
        std::any_of(request.profile.settings.begin(), request.profile.settings.end(),
                    [](const ParamSetting& s) { return s.first == "number"; });
    for (const auto& [key, value] : request.sets) {
        if (key == "gas-high") {
            return StrFormat(Tr("%s: 多台仪器可能测不同的气体, 请用 co2-high 或 hcho-high"),
                             key.c_str());
        }
    }
    const bool setNumber = std::any_of(request.sets.begin(), request.sets.end(),
                                       [](const ParamSetting& s) { return s.first == "number"; });
    if (profileNumber) {
        return StrFormat(Tr("%s: --all 不能给多台仪器同一个编号, 配置文件中不能有 number= 行"),
                         "number");
    }
    if (setNumber) return StrFormat(Tr("%s: --all 不能给多台仪器同一个编号"), "number");
    return {};
}

int RunConfigure(const CliOptions& globalOptions, std::span<const std::string> args) {
    CliOptions options = globalOptions;
    ConfigureRequest request;
    bool all = false;
    std::string profilePath;
    for (size_t i = 0; i < args.size(); ++i) {
        std::string problem;
        switch (TakeInstrumentChoice(args, i, options, all, problem)) {
            case ChoiceArgument::kTaken:
                continue;
            case ChoiceArgument::kBad:
                return Usage(problem);
            case ChoiceArgument::kOther:
                break;
        }
        const std::string& a = args[i];
        if (a == "--dry-run") {
            request.dryRun = true;
        } else if (a == "--keys") {
            request.keys = true;
        } else if (a == "--profile" || a == "--set") {
            if (i + 1 >= args.size()) return Usage(StrFormat(Tr("%s 需要一个值"), a.c_str()));
            const std::string& v = args[++i];
            if (a == "--profile") {
                if (!profilePath.empty()) return Usage(Tr("只能有一个 --profile"));
                profilePath = v;
                continue;
            }
            if (!AddSetArgument(request, v)) {
                return Usage(StrFormat(Tr("--set 需要 KEY=VALUE, 而不是 %s"), v.c_str()));
            }
        } else {
            return Usage(StrFormat(Tr("多余的参数 '%s'"), a.c_str()));
        }
    }
    if (!profilePath.empty()) {
        std::string problem;
        if (!ReadProfileFile(profilePath, request.profile, problem)) {
            std::fprintf(stderr, "%s\n", problem.c_str());
            return kExitFailure;
        }
        request.hasProfile = true;
    }

    if (all) {
        if (const std::string problem = FleetProblem(request); !problem.empty()) {
            std::fprintf(stderr, "%s\n", problem.c_str());
            return kExitFailure;
        }
        return ForEveryInstrument(options, [&request](ConsoleInstrument& instrument) {
            return ConfigureInstrument(instrument, request, false);
        });
    }
    auto instrument = ConnectInstrument(options);
    if (!instrument) return kExitFailure;
    instrument->ui.infoStream = stderr;  // stdout holds the parameter list alone
    const InstrumentOutcome outcome = ConfigureInstrument(*instrument, request, true);
    if (outcome.ok) return kExitOk;
    if (!outcome.text.empty()) std::fprintf(stderr, "%s\n", outcome.text.c_str());
    return kExitFailure;
}

bool SaveProfileFile(const std::string& path, const ParamBlock& block, InstrumentTypeId type,
                     bool withIdentity, std::vector<std::string>* omitted) {
    return ReplaceFile(path, ProfileText(block, type, withIdentity, omitted));
}

}  // namespace qx::cli
