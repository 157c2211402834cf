// qxlog-cli in English (--lang en over the test settings' Chinese): output, messages, an export,
// the help and the man page; what --lang takes and how the setting and the locale choose.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>
#include <regex>

#include "cli/cli_help.h"
#include "cli/cli_language.h"
#include "cli/man_page.h"
#include "core/records/record_fixtures.h"
#include "run_cli.h"

namespace qx {
namespace {

using test::Columns;
using test::Lines;
using test::RunCli;
using test::RunShell;
using test::ShellQuote;

class ScopedLanguage {
  public:
    explicit ScopedLanguage(Language language) {
        cli::AddCliEnglishTexts();
        SetLanguage(language);
    }
    ~ScopedLanguage() { SetLanguage(Language::kChinese); }
};

// Lines joined as running text: line ends and the indents after them become one blank.
std::string Joined(const std::string& text) {
    return std::regex_replace(text, std::regex("\n *"), " ");
}

// No part of `out` (a line, or a field of it between tabs, commas and ": ") is a Chinese text
// that a catalogue has English for.
void ExpectTranslated(const std::string& out) {
    cli::AddCliEnglishTexts();
    const std::regex separator("\t|, ?|: ");
    for (const std::string& line : Lines(out)) {
        EXPECT_FALSE(EnglishOf(line)) << line;
        for (std::sregex_token_iterator f(line.begin(), line.end(), separator, -1), end; f != end;
             ++f) {
            EXPECT_FALSE(EnglishOf(f->str())) << line;
        }
    }
}

TEST(CliEnglish, OutputMessagesAndExport) {
    const std::vector<std::string> en = {"--lang", "en", "--simulate", "QX440"};
    auto with = [](std::vector<std::string> args, std::initializer_list<std::string> more) {
        args.insert(args.end(), more);
        return RunCli(args);
    };
    auto run = with(en, {"status"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const auto lines = Lines(run.out);
    ASSERT_EQ(lines.size(), Lines(RunCli({"--simulate", "QX440", "status"}).out).size());
    EXPECT_TRUE(lines[1].starts_with("Instrument clock: 20")) << lines[1];
    EXPECT_EQ(lines[3], "Recording status: Recording");
    // The simulated room warms and cools with the clock: the limit line may carry its alarm.
    EXPECT_NE(run.out.find("\nTemperature high limit: 26 ℃"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("\nHumidity low limit: 30 %RH"), std::string::npos) << run.out;
    ExpectTranslated(run.out);
    run = RunCli({"--lang", "en", "--simulate", "QX390", "status"});
    EXPECT_NE(run.out.find("\nSound level low limit: 40 dB"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("\nWeighting: A\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("\nSampling speed: Fast\n"), std::string::npos) << run.out;
    run = RunCli({"--lang", "en", "--simulate", "QX7000", "status"});
    EXPECT_NE(run.out.find("\nCO2: "), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find("PPM"), std::string::npos) << run.out;

    run = with(en, {"params"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(Lines(run.out).size(), Lines(RunCli({"--simulate", "QX440", "params"}).out).size());
    ExpectTranslated(run.out);

    const test::TempPath missing(".ini"), record(".QXRec"), zhCsv(".csv"), enCsv(".csv");
    run = with(en, {"configure", "--profile", missing.str()});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "File: " + missing.str() + " cannot be opened.\n");
    run = RunCli({"--lang", "en", "info", missing.str()});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.starts_with("File: " + missing.str() + "\ncannot be opened.\n")) << run.err;

    ASSERT_EQ(with(en, {"download", "-q", "-o", record.str()}).exitCode, 0);
    ASSERT_EQ(RunCli({"export", record.str(), "-o", zhCsv.str()}).exitCode, 0);
    run = RunCli({"--lang", "en", "export", record.str(), "-o", enCsv.str()});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    ExpectTranslated(run.out);
    // Column titles in English, the samples as in Chinese.
    std::ifstream zhIn(zhCsv.str()), enIn(enCsv.str());
    const std::string zh{std::istreambuf_iterator<char>(zhIn), {}};
    const std::string english{std::istreambuf_iterator<char>(enIn), {}};
    const size_t zhEnd = zh.find('\n'), enEnd = english.find('\n');
    ASSERT_NE(enEnd, std::string::npos);
    EXPECT_EQ(english.substr(enEnd), zh.substr(zhEnd));
    const std::string header = english.substr(0, enEnd);
    EXPECT_EQ(std::count(header.begin(), header.end(), ','),
              std::count(zh.begin(), zh.begin() + zhEnd, ','));
    ExpectTranslated(header);

    run = RunCli({"--lang", "en", "stats", record.str()});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(run.out.starts_with("File: " + record.str() + "\n")) << run.out;
    EXPECT_TRUE(
        std::regex_search(run.out, std::regex("Recording interval: \\d+ s  Selected samples: 864")))
        << run.out;
    EXPECT_NE(run.out.find("Longest excursion"), std::string::npos) << run.out;
    ExpectTranslated(run.out);
    EXPECT_EQ(with(en, {"stop"}).out, "Recording stopped.\n");
}

// The help keeps its layout and quotes the messages as the English commands show them.
TEST(CliEnglish, HelpAndManPage) {
    const ScopedLanguage english(Language::kEnglish);
    // The usage, headings, list items (options and exit codes by name) and block ends, in
    // order: the same in both languages.
    const auto layout = [](const std::string& help) {
        std::string marks, previous;
        for (const std::string& line : Lines(help)) {
            if (line.empty()) {
                marks += "\n";
            } else if (!cli::UsagePrefix(line).empty()) {
                marks += "usage\n";
            } else if (line.ends_with(":") && line[0] != ' ' && previous.empty()) {
                marks += "heading\n";
            } else if (line.starts_with("  ") && line[2] != ' ') {
                const bool named =
                    line[2] == '-' || std::isdigit(static_cast<unsigned char>(line[2]));
                marks += (named ? line.substr(0, line.find("  ", 2)) : "item") + "\n";
            }
            previous = line;
        }
        return marks;
    };
    for (const cli::CliCommand* command : cli::AllCommands()) {
        const std::string help(command->help);
        SetLanguage(Language::kChinese);
        const std::string chinese(command->help);
        SetLanguage(Language::kEnglish);
        EXPECT_EQ(layout(help), layout(chinese)) << help;
        for (const std::string& line : Lines(help))
            EXPECT_TRUE(Columns(line) >= 0 && Columns(line) <= 80) << line;
        EXPECT_EQ(RunCli({"--lang", "en", std::string(command->name), "--help"}).out, help + "\n");
    }
    const std::string status = Joined(std::string(cli::FindCommand("status")->help));
    for (const char* text :
         {", Instrument clock, ", ", Recording status, the readings", "is marked [ALARM].",
          "(\"Communication error: cannot read the instrument status.\")"}) {
        EXPECT_NE(status.find(text), std::string::npos) << text;
    }
    EXPECT_NE(Joined(std::string(cli::FindCommand("stop")->help)).find("\"Recording stopped.\""),
              std::string::npos);
    EXPECT_NE(RunCli({"--help"}).out.find("  --lang zh|en  "), std::string::npos);

    std::ifstream in(QXLOG_CLI_MAN_EN, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), cli::ManPage());
    auto run = RunShell("groff -k -man -ww -z -Tutf8 " + ShellQuote(QXLOG_CLI_MAN_EN));
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "");
    run =
        RunShell("LC_ALL=C.UTF-8 MANWIDTH=80 MANPAGER=cat man -l " + ShellQuote(QXLOG_CLI_MAN_EN));
    for (const std::string& line : Lines(run.out))
        EXPECT_TRUE(Columns(line) >= 0 && Columns(line) <= 80) << line;
    EXPECT_NE(Joined(run.out).find("\"Communication error: cannot stop the recording.\""),
              std::string::npos);
}

TEST(CliEnglish, LangOptionOverSettingOverLocale) {
    for (const char* bad : {"auto", "fr", ""}) {
        const auto run = RunCli({"--lang", bad, "--simulate", "QX420", "stop"});
        EXPECT_EQ(run.exitCode, 2) << bad;
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err, "qxlog-cli: --lang 是 zh 或 en\n");  // the setting's language
    }
    EXPECT_EQ(RunCli({"--lang"}).err, "qxlog-cli: --lang 需要一个值\n");
    // A language chosen speaks at once, also for the options after it.
    EXPECT_EQ(RunCli({"--lang=en", "--lang"}).err, "qxlog-cli: --lang needs a value\n");
    EXPECT_EQ(RunCli({"--lang=en", "--device", "x"}).err,
              "qxlog-cli: --device needs a number 0, 1, ...\n");
    EXPECT_EQ(RunCli({"--lang=", "stop"}).exitCode, 2);
    // After the command, "--lang=en" is the command's own argument.
    EXPECT_EQ(RunCli({"--simulate", "QX420", "stop", "--lang=en"}).exitCode, 2);

    const std::filesystem::path config =
        std::filesystem::temp_directory_path() / ("qxlog-cli-lang-" + std::to_string(getpid()));
    std::filesystem::create_directories(config / "Vornak");
    auto stop = [&config](const std::string& setting, const std::string& env,
                          const std::string& options) {
        std::ofstream(config / "Vornak" / "QX_CHN.conf") << "[Workspace]\nLanguage=" << setting;
        return RunShell("env -u LC_MESSAGES -u LANG XDG_CONFIG_HOME=" + ShellQuote(config) + " " +
                        env + " " + ShellQuote(QXLOG_CLI) + " --simulate QX420 " + options +
                        " stop")
            .out;
    };
    EXPECT_EQ(stop("en", "LC_ALL=zh_CN.UTF-8", ""), "Recording stopped.\n");
    EXPECT_EQ(stop("en", "LC_ALL=C", "--lang zh"), "记录已停止.\n");
    EXPECT_EQ(stop("zh", "LC_ALL=C", "--lang EN"), "Recording stopped.\n");
    EXPECT_EQ(stop("auto", "LC_ALL=zh_CN.UTF-8", ""), "记录已停止.\n");
    EXPECT_EQ(stop("auto", "LC_ALL=C.UTF-8", ""), "Recording stopped.\n");
    std::filesystem::remove_all(config);
}

}  // namespace
}  // namespace qx
