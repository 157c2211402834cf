// qxlog-cli [--simulate MODEL[,MODEL...]] [--device N] [--lang zh|en] COMMAND [ARGS...]
// qxlog-cli --help | --version
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

#include "cli_command.h"
#include "cli_help.h"
#include "cli_language.h"
#include "core/model/text_util.h"

namespace qx::cli {
namespace {

int Main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    CliOptions options;
    std::optional<LanguageChoice> language;
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
        if (a == "--simulate" || a == "--device" || a == "--lang") {
            if (i + 1 >= args.size()) {
                std::fprintf(stderr, "qxlog-cli: %s needs a value\n", a.c_str());
                return kExitUsage;
            }
            const std::string& v = args[++i];
            if (a == "--lang") {
                // auto is what the setting may say; on the command line a language is chosen.
                language = ParseLanguageChoice(v);
                if (!language || *language == LanguageChoice::kAuto) {
                    std::fprintf(stderr, "qxlog-cli: --lang is zh or en\n");
                    return kExitUsage;
                }
            } else if (a == "--simulate") {
                if (!ModelsFromList(v, options.simulate)) {
                    std::fprintf(
                        stderr, "qxlog-cli: unknown model in '%s' (use QX420 ... QX610 or 1..11)\n",
                        v.c_str());
                    return kExitUsage;
                }
            } else {
                char* end = nullptr;
                const long n = std::strtol(v.c_str(), &end, 10);
                if (v.empty() || *end != '\0' || n < 0 || n > 1000) {
                    std::fprintf(stderr, "qxlog-cli: --device needs a number 0, 1, ...\n");
                    return kExitUsage;
                }
                options.device = static_cast<int>(n);
            }
            continue;
        }
        if (a.starts_with("-")) {
            std::fprintf(stderr, "qxlog-cli: unknown option %s\n", a.c_str());
            return kExitUsage;
        }
        break;
    }
    SetCliLanguage(language);
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
        std::fprintf(stderr, "qxlog-cli: unknown command '%s'; see qxlog-cli --help\n",
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
    return qx::cli::Main(argc, argv);
}
