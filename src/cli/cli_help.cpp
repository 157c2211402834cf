#include "cli_help.h"

#include <algorithm>
#include <cstdio>

#ifndef QX_VERSION
#error "QX_VERSION (the project version) comes from the build"
#endif

namespace qx::cli {
namespace {

constexpr CliExample kExamples[] = {
    {"Try the commands on a simulated QX450, without an instrument:",
     "qxlog-cli --simulate QX450 status\n"
     "qxlog-cli --simulate QX450 params --recorded"},
    {"Download the attached instrument's recording every night and export it as\n"
     "CSV beside the record file:",
     "f=\"$HOME/records/$(date +%F)\"\n"
     "qxlog-cli download -o \"$f.QXRec\" &&\n"
     "    qxlog-cli export \"$f.QXRec\" --format csv -o \"$f.csv\""},
    {"The last seven days of a record file as a workbook:",
     "qxlog-cli export logger.QXRec --last-days 7 -o week.xlsx"},
    {"With two instruments attached, read the settings of the first one:",
     "qxlog-cli list\n"
     "qxlog-cli --device 0 params"},
    {"Save one instrument's settings as a profile and set every attached instrument\n"
     "the same way, recording every 10 minutes from now on; without the profile's\n"
     "number and name lines each instrument keeps its own:",
     "qxlog-cli --device 0 params --save-profile site.ini >/dev/null\n"
     "sed -i '/^number=/d; /^name=/d' site.ini\n"
     "qxlog-cli configure --all --profile site.ini --set interval=10min \\\n"
     "    --set start=immediate"},
    {"Collect every attached instrument into one folder, then restart each one's\n"
     "recording with the settings it had, only when every download succeeded (a\n"
     "new recording erases the samples an instrument holds):",
     "qxlog-cli download --all --dir \"$HOME/records\" &&\n"
     "    qxlog-cli configure --all"},
};

void PrintCommandHelp(const CliCommand& command) {
    std::printf("%.*s\n", static_cast<int>(command.help.size()), command.help.data());
}

int RunHelp(const CliOptions&, std::span<const std::string> args) {
    if (args.empty()) {
        std::fputs(UsageText().c_str(), stdout);
        return kExitOk;
    }
    if (args.size() > 1) {
        std::fprintf(stderr, "qxlog-cli help: takes one command, not '%s'\n", args[1].c_str());
        return kExitUsage;
    }
    const CliCommand* command = FindCommand(args[0]);
    if (!command) {
        std::fprintf(stderr, "qxlog-cli help: unknown command '%s'; see qxlog-cli --help\n",
                     args[0].c_str());
        return kExitUsage;
    }
    PrintCommandHelp(*command);
    return kExitOk;
}

constexpr CliCommand kHelpCommand = {
    "help", "print the usage of qxlog-cli or the help of a command",
    "Usage: qxlog-cli help [COMMAND]\n"
    "\n"
    "Prints the usage of qxlog-cli, as qxlog-cli --help does, or with COMMAND the\n"
    "help of that command, as qxlog-cli COMMAND --help does.\n"
    "\n"
    "Exit status:\n"
    "  0  help printed\n"
    "  2  an unknown command, or more than one",
    RunHelp};

void AppendLine(std::string& text, std::string_view line) {
    text += line;
    text += '\n';
}

// Every line of `lines` with `indent` before it.
void AppendIndented(std::string& text, std::string_view lines, std::string_view indent) {
    for (size_t start = 0; start < lines.size();) {
        const size_t end = std::min(lines.find('\n', start), lines.size());
        text += indent;
        AppendLine(text, lines.substr(start, end - start));
        start = end + 1;
    }
}

}  // namespace

std::span<const CliExample> Examples() {
    return kExamples;
}

std::vector<const CliCommand*> AllCommands() {
    std::vector<const CliCommand*> all;
    for (auto table : {InstrumentCommands(), RecordCommands()}) {
        for (const CliCommand& c : table)
            all.push_back(&c);
    }
    all.push_back(&kHelpCommand);
    return all;
}

const CliCommand* FindCommand(std::string_view name) {
    for (const CliCommand* c : AllCommands()) {
        if (c->name == name) return c;
    }
    return nullptr;
}

std::string UsageText() {
    std::string text;
    AppendLine(text, kUsageLines);
    AppendLine(text, "");
    AppendLine(text, kDescription);
    AppendLine(text, "");
    AppendLine(text, "Global options:");
    AppendLine(text, kGlobalOptions);
    AppendLine(text, "");
    AppendLine(text, "Commands:");
    for (const CliCommand* c : AllCommands()) {
        std::string line = "  " + std::string(c->name);
        line.resize(15, ' ');
        AppendLine(text, line + std::string(c->summary));
    }
    AppendLine(text, "");
    AppendLine(text, "Exit status:");
    AppendLine(text, kExitStatus);
    AppendLine(text, "");
    AppendLine(text, "Examples:");
    for (const CliExample& example : kExamples) {
        if (&example != kExamples) AppendLine(text, "");
        AppendIndented(text, example.what, "  ");
        AppendIndented(text, example.command, "    ");
    }
    return text;
}

std::string_view ProgramVersion() {
    return QX_VERSION;
}

std::string VersionText() {
    return "qxlog-cli " + std::string(ProgramVersion());
}

}  // namespace qx::cli
