// qxlog-cli [--simulate MODEL[,MODEL...]] [--device N] COMMAND [ARGS...]
#include <clocale>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include "cli/cli_command.h"
#include "model/text_util.h"

namespace qx::cli {
namespace {

void PrintUsage(std::FILE* out) {
    std::fprintf(out,
                 "Usage: qxlog-cli [--simulate MODEL[,MODEL...]] [--device N] COMMAND [ARGS...]\n"
                 "\n"
                 "Talks to QX data loggers attached over USB, or to simulated ones, and works\n"
                 "with record files (*.QXRec).\n"
                 "\n"
                 "Global options:\n"
                 "  --simulate MODELS  use simulated instruments: QX420 ... QX610 or 1..11,\n"
                 "                     separated by commas\n"
                 "  --device N         with several instruments, use the Nth (0-based);\n"
                 "                     default: the last one\n"
                 "  --help             this text; COMMAND --help describes a command\n"
                 "\n"
                 "Commands:\n");
    for (auto table : {InstrumentCommands(), RecordCommands()}) {
        for (const CliCommand& c : table) {
            std::fprintf(out, "  %-12.*s %.*s\n", static_cast<int>(c.name.size()), c.name.data(),
                         static_cast<int>(c.summary.size()), c.summary.data());
        }
    }
}

const CliCommand* FindCommand(std::string_view name) {
    for (auto table : {InstrumentCommands(), RecordCommands()}) {
        for (const CliCommand& c : table) {
            if (c.name == name) return &c;
        }
    }
    return nullptr;
}

int Main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    CliOptions options;
    size_t i = 0;
    for (; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--help" || a == "-h") {
            PrintUsage(stdout);
            return kExitOk;
        }
        if (a == "--simulate" || a == "--device") {
            if (i + 1 >= args.size()) {
                std::fprintf(stderr, "qxlog-cli: %s needs a value\n", a.c_str());
                return kExitUsage;
            }
            const std::string& v = args[++i];
            if (a == "--simulate") {
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
    if (i >= args.size()) {
        PrintUsage(stderr);
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
            std::printf("%.*s\n", static_cast<int>(command->help.size()), command->help.data());
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
