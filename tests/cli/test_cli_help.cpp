// qxlog-cli's usage, command help and version as the program prints them, and the examples of
// the usage run against a simulated instrument.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>

#include "cli/cli_help.h"
#include "core/model/instrument_catalogue.h"
#include "run_cli.h"

namespace qx {
namespace {

using test::Columns;
using test::Lines;
using test::RunCli;
using test::RunShell;

// Every command and the options and arguments its own parser takes (read off the Run...
// functions); the help must name each of them.
const std::map<std::string, std::vector<std::string>> kCommandArguments = {
    {"list", {}},
    {"status", {}},
    {"params", {"--recorded", "--save-profile", "FILE", "--with-identity"}},
    {"configure",
     {"--device", "--all", "--profile", "FILE", "--set", "KEY=VALUE", "--dry-run", "--keys"}},
    {"set-clock", {"--device", "--all"}},
    {"stop", {"--device", "--all"}},
    {"info", {"FILE"}},
    {"export",
     {"FILE", "-o", "--output", "--format", "xlsx", "text", "csv", "--last-days", "--last-months",
      "--from", "--to"}},
    {"stats",
     {"FILE", "--last-days", "--last-months", "--from", "--to", "--limit", "--mkt-dh", "--json",
      "temp", "hum", "sound", "co2", "hcho"}},
    {"download",
     {"-o", "--output", "FILE", "-q", "--quiet", "--progress", "--dir", "DIR", "--device", "--all",
      "--library", "--no-library"}},
    {"collect",
     {"--dir", "DIR", "--profile", "FILE", "--set", "KEY=VALUE", "--no-restart", "--dry-run",
      "--library", "--no-library"}},
    {"library",
     {"--library",      "FILE",     "add",        "PATH",         "list",        "--instrument",
      "--model",        "--number", "--name",     "--excursions", "--last-days", "--last-months",
      "--from",         "--to",     "--files",    "--json",       "check",       "rebuild",
      "--drop-missing", "history",  "INSTRUMENT", "-o",           "--format",    "xlsx",
      "text",           "csv",      "compare",    "--series",     "--limit",     "--mkt-dh",
      "backup",         "DIR",      "--keep"}},
    {"monitor",
     {"--all", "--device", "--every", "DURATION", "--library", "FILE", "--limit",
      "CHANNEL=LOW,HIGH", "--on-alarm", "COMMAND", "--alarms"}},
    {"alarms",
     {"check", "test", "FILE", "--library", "--scenario", "--every", "DURATION", "--simulate",
      "--alarms"}},
    {"sign",
     {"PDF", "--sign", "KEY.p12", "--meaning", "reviewed", "approved", "responsible",
      "--passphrase-file"}},
    {"sign-key", {"new", "--name", "NAME", "-o", "--output", "FILE.p12", "--passphrase-file"}},
    {"verify", {"PDF"}},
    {"help", {"COMMAND"}},
};

const std::vector<std::string> kGlobalOptions = {"--simulate", "--scenario", "--device",
                                                 "--help",     "-h",         "--version"};

// The headings of the help in each language: the help is checked in both.
struct HelpWords {
    const char* lang;
    const char* usage;
    const char* commands;
    const char* exitStatus;
};
const HelpWords kLanguages[] = {{"zh", "用法: qxlog-cli", "命令:", "退出状态:"},
                                {"en", "Usage: qxlog-cli", "Commands:", "Exit status:"}};

void ExpectFitsTheTerminal(const std::string& text, const std::string& what) {
    for (const std::string& line : Lines(text)) {
        const int columns = Columns(line);
        EXPECT_TRUE(columns >= 0 && columns <= 80) << what << ": " << columns << ": " << line;
    }
}

bool Names(const std::string& text, const std::string& word) {
    const std::regex whole("(^|[^-A-Za-z])" + word + "($|[^-A-Za-z])");
    return std::regex_search(text, whole);
}

TEST(CliHelp, UsageNamesEveryCommandAndGlobalOption) {
    for (const HelpWords& words : kLanguages) {
        const auto run = RunCli({"--lang", words.lang, "--help"});
        ASSERT_EQ(run.exitCode, 0);
        EXPECT_EQ(run.err, "");
        EXPECT_TRUE(run.out.starts_with(std::string(words.usage) + " ")) << run.out;
        ExpectFitsTheTerminal(run.out, "--help");
        for (const std::string& option : kGlobalOptions)
            EXPECT_TRUE(Names(run.out, option)) << option;
        for (InstrumentTypeId t = 1; t <= kModelCount; ++t)
            EXPECT_TRUE(Names(run.out, ModelName(t))) << ModelName(t);

        // The command list holds exactly the commands this test knows about.
        std::set<std::string> listed;
        const auto lines = Lines(run.out);
        auto line = std::find(lines.begin(), lines.end(), words.commands);
        ASSERT_NE(line, lines.end());
        for (++line; line != lines.end() && !line->empty(); ++line)
            listed.insert(line->substr(2, line->find(' ', 2) - 2));
        std::set<std::string> known;
        for (const auto& [name, arguments] : kCommandArguments)
            known.insert(name);
        EXPECT_EQ(listed, known);

        EXPECT_EQ(RunCli({"--lang", words.lang, "-h"}).out, run.out);
        EXPECT_EQ(RunCli({"--lang=" + std::string(words.lang), "help"}).out, run.out);
        EXPECT_EQ(RunCli({"--simulate", "QX420", "--lang", words.lang, "--help", "status"}).out,
                  run.out);

        const auto bare = RunCli({"--lang", words.lang});  // no command: the usage goes to stderr
        EXPECT_EQ(bare.exitCode, 2);
        EXPECT_EQ(bare.out, "");
        EXPECT_EQ(bare.err, run.out);
    }
}

TEST(CliHelp, EveryCommandDescribesItsArgumentsAndExitCodes) {
    for (const HelpWords& words : kLanguages) {
        for (const auto& [command, arguments] : kCommandArguments) {
            const auto run = RunCli({"--lang", words.lang, command, "--help"});
            ASSERT_EQ(run.exitCode, 0) << command;
            EXPECT_EQ(run.err, "") << command;
            ExpectFitsTheTerminal(run.out, command);
            EXPECT_TRUE(run.out.starts_with(words.usage)) << command;
            EXPECT_TRUE(Names(Lines(run.out)[0], command)) << command;
            for (const std::string& argument : arguments)
                EXPECT_TRUE(Names(run.out, argument)) << command << " " << argument;

            // Any option the text mentions is one the command or the program takes.
            const std::regex option("(^|[^-\\w])(--?[a-z][-a-z]*)");
            for (std::sregex_iterator m(run.out.begin(), run.out.end(), option), end; m != end;
                 ++m) {
                const std::string name = (*m)[2];
                const bool known =
                    std::find(arguments.begin(), arguments.end(), name) != arguments.end() ||
                    std::find(kGlobalOptions.begin(), kGlobalOptions.end(), name) !=
                        kGlobalOptions.end();
                EXPECT_TRUE(known) << command << " mentions " << name;
            }

            const auto lines = Lines(run.out);
            auto status = std::find(lines.begin(), lines.end(), words.exitStatus);
            ASSERT_NE(status, lines.end()) << command;
            std::string codes;
            for (++status; status != lines.end() && !status->empty(); ++status) {
                if (status->size() > 2 && (*status)[2] != ' ') codes += (*status)[2];
            }
            EXPECT_EQ(codes, command == "help" ? "02" : "012") << command;

            // help COMMAND and -h say the same.
            EXPECT_EQ(RunCli({"--lang", words.lang, "help", command}).out, run.out) << command;
            EXPECT_EQ(RunCli({"--lang", words.lang, command, "-h"}).out, run.out) << command;
        }
    }
}

TEST(CliHelp, HelpCommandRejectsWhatItCannotDescribe) {
    auto run = RunCli({"help", "bogus"});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find("'bogus'"), std::string::npos) << run.err;
    run = RunCli({"help", "list", "status"});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.out, "");
}

TEST(CliHelp, VersionIsTheProjectVersion) {
    const auto run = RunCli({"--version"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "qxlog-cli " QX_VERSION "\n");
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(RunCli({"--device", "0", "--version"}).out, run.out);
}

// Each example of the usage, run in a scratch home where qxlog-cli is the built program on a
// simulated QX450 and logger.QXRec is a download from it.
TEST(CliHelp, ExamplesWork) {
    const std::filesystem::path home =
        std::filesystem::temp_directory_path() / ("qxlog-cli-examples-" + std::to_string(getpid()));
    std::filesystem::create_directories(home / "records");
    std::filesystem::create_directories(home / "bin");
    {
        std::ofstream wrapper(home / "bin" / "qxlog-cli");
        wrapper << "#!/bin/sh\nexec " << test::ShellQuote(QXLOG_CLI)
                << " --simulate QX450 \"$@\"\n";
    }
    std::filesystem::permissions(home / "bin" / "qxlog-cli", std::filesystem::perms::owner_all);
    const std::string prelude = "set -e\ncd " + test::ShellQuote(home.string()) +
                                "\nHOME=" + test::ShellQuote(home.string()) +
                                "\nPATH=\"$HOME/bin:$PATH\"\n";
    ASSERT_EQ(RunShell(prelude + "qxlog-cli download -o logger.QXRec").exitCode, 0);

    for (const cli::CliExample& example : cli::Examples()) {
        const auto run = RunShell(prelude + std::string(example.command));
        EXPECT_EQ(run.exitCode, 0) << example.command << "\n" << run.out;
    }
    // The nightly export writes CSV (UTF-8 with a header), not the UTF-16 text.
    int csvFiles = 0;
    for (const auto& entry : std::filesystem::directory_iterator(home / "records")) {
        if (entry.path().extension() != ".csv") continue;
        ++csvFiles;
        std::ifstream in(entry.path(), std::ios::binary);
        std::string header;
        std::getline(in, header);
        EXPECT_FALSE(header.starts_with("\xFF\xFE")) << entry.path();
        EXPECT_NE(header.find(','), std::string::npos) << header;
    }
    EXPECT_EQ(csvFiles, 1);
    std::filesystem::remove_all(home);
}

}  // namespace
}  // namespace qx
