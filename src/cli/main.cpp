// qxlog-cli [--simulate MODEL[,MODEL...] [--scenario FILE]] [--device N] [--library FILE|URL]
// [--lang zh|en]
//           COMMAND [ARGS...]
// qxlog-cli --help | --version
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "alarm_commands.h"
#include "cli_command.h"
#include "cli_help.h"
#include "cli_language.h"
#include "core/link/simulation_scenario.h"
#include "core/model/text_util.h"
#include "core/records/removal_on_signal.h"
#include "locale_output.h"

namespace qx::cli {
namespace {

bool TakesValue(const std::string& option) {
    return option == "--simulate" || option == "--device" || option == "--lang" ||
           option == "--library" || option == "--scenario";
}

// The global options as separate words: "--lang=en" becomes "--lang" "en". The command and
// what follows it stay as they are.
std::vector<std::string> GlobalWords(int argc, char** argv) {
    std::vector<std::string> args;
    int k = 1;
    for (; k < argc; ++k) {
        const std::string a = argv[k];
        const size_t eq = a.find('=');
        if (eq != std::string::npos && TakesValue(a.substr(0, eq))) {
            args.push_back(a.substr(0, eq));
            args.push_back(a.substr(eq + 1));
            continue;
        }
        args.push_back(a);
        if (TakesValue(a) && k + 1 < argc) {
            args.push_back(argv[++k]);
        } else if (!a.starts_with("-")) {
            break;
        }
    }
    for (++k; k < argc; ++k)
        args.push_back(argv[k]);
    return args;
}

int Main(int argc, char** argv) {
    const std::vector<std::string> args = GlobalWords(argc, argv);
    // Until --lang says otherwise, messages speak the language of the setting or the locale.
    SetCliLanguage(std::nullopt);
    CliOptions options;
    bool usage = false, version = false;
    size_t i = 0;
    for (; i < args.size() && !usage && !version; ++i) {
        const std::string& a = args[i];
        if (a == "--help" || a == "-h") {
            usage = true;
            continue;
        }
        if (a == "--version") {
            version = true;
            continue;
        }
        if (TakesValue(a)) {
            if (i + 1 >= args.size()) {
                std::fprintf(stderr, Tr("qxlog-cli: %s 需要一个值\n"), a.c_str());
                return kExitUsage;
            }
            const std::string& v = args[++i];
            if (a == "--lang") {
                // auto is what the setting may say; on the command line a language is chosen.
                const std::optional<LanguageChoice> language = ParseLanguageChoice(v);
                if (!language || *language == LanguageChoice::kAuto) {
                    std::fprintf(stderr, "%s", Tr("qxlog-cli: --lang 是 zh 或 en\n"));
                    return kExitUsage;
                }
                SetCliLanguage(language);
            } else if (a == "--library") {
                if (Trim(v).empty()) {
                    std::fprintf(stderr, "%s", Tr("qxlog-cli: --library 需要记录库文件或地址\n"));
                    return kExitUsage;
                }
                options.library = v;
            } else if (a == "--scenario") {
                // Refused before any command runs, with the line and why.
                std::string text, problem;
                auto scenario = std::make_shared<SimulationScenario>();
                if (!ReadSmallTextFile(v, text, problem) ||
                    !ParseScenario(text, *scenario, problem)) {
                    std::fprintf(stderr, "qxlog-cli: --scenario %s: %s\n", v.c_str(),
                                 problem.c_str());
                    return kExitUsage;
                }
                options.scenario = std::move(scenario);
                options.scenarioStart = static_cast<int64_t>(std::time(nullptr));
            } else if (a == "--simulate") {
                if (!ModelsFromList(v, options.simulate)) {
                    std::fprintf(stderr,
                                 Tr("qxlog-cli: '%s' 中有不认识的型号 (可用 QX420 ... QX610 或 "
                                    "1..11)\n"),
                                 v.c_str());
                    return kExitUsage;
                }
            } else {
                char* end = nullptr;
                const long n = std::strtol(v.c_str(), &end, 10);
                if (v.empty() || *end != '\0' || n < 0 || n > 1000) {
                    std::fprintf(stderr, "%s", Tr("qxlog-cli: --device 需要一个数 0, 1, ...\n"));
                    return kExitUsage;
                }
                options.device = static_cast<int>(n);
            }
            continue;
        }
        if (a.starts_with("-")) {
            std::fprintf(stderr, Tr("qxlog-cli: 不认识的选项 %s\n"), a.c_str());
            return kExitUsage;
        }
        break;
    }
    if (options.scenario && options.simulate.empty()) {
        std::fprintf(stderr, "%s", Tr("qxlog-cli: --scenario 要与 --simulate 一起用\n"));
        return kExitUsage;
    }
    if (usage) {
        std::fputs(UsageText().c_str(), stdout);
        return kExitOk;
    }
    if (version) {
        std::printf("%s\n", VersionText().c_str());
        return kExitOk;
    }
    if (i >= args.size()) {
        std::fputs(UsageText().c_str(), stderr);
        return kExitUsage;
    }
    const CliCommand* command = FindCommand(args[i]);
    if (!command) {
        std::fprintf(stderr, Tr("qxlog-cli: 不认识的命令 '%s'; 见 qxlog-cli --help\n"),
                     args[i].c_str());
        return kExitUsage;
    }
    const std::vector<std::string> rest(args.begin() + static_cast<long>(i) + 1, args.end());
    for (const std::string& a : rest) {
        if (a == "--help" || a == "-h") {
            std::printf("%s\n", std::string(command->help).c_str());
            return kExitOk;
        }
    }
    return command->run(options, rest);
}

}  // namespace
}  // namespace qx::cli

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");
    std::setlocale(LC_NUMERIC, "C");  // numbers always with a decimal point
    tzset();
    // Ctrl-C or SIGTERM during a download leaves no reserved or temporary file; a file-size
    // limit fails a write with its reason instead of killing the program.
    qx::InstallRemovalOnSignals();
    // A locale with another character set than UTF-8 (zh_CN.GB18030) reads the output in its own.
    qx::cli::ConvertOutputToLocale();
    return qx::cli::Main(argc, argv);
}
