// The man pages: qxlog-cli.1 as the build writes it from the help texts, and the hand-written
// qxlog.1 of the window program, read by groff and man as a user would.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <set>

#include "cli/cli_help.h"
#include "cli/man_page.h"
#include "run_cli.h"

namespace qx {
namespace {

using test::Columns;
using test::Lines;
using test::RunShell;
using test::ShellQuote;

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The page as `man` shows it on an 80-column UTF-8 terminal.
std::string Rendered(const std::string& page) {
    const auto run = RunShell("LC_ALL=C.UTF-8 MANWIDTH=80 MANPAGER=cat man -l " + ShellQuote(page) +
                              " 2>/dev/null");
    EXPECT_EQ(run.exitCode, 0) << page;
    return run.out;
}

TEST(ManPage, RoffTextKeepsTypedCharactersAndStaysText) {
    EXPECT_EQ(cli::RoffText("--from C:\\x"), "\\-\\-from C:\\ex");
    EXPECT_EQ(cli::RoffText("'label' `q`"), "\\(aqlabel\\(aq \\(gaq\\(ga");
    EXPECT_EQ(cli::RoffText(".csv too"), "\\&.csv too");  // else a request
    EXPECT_EQ(cli::RoffText("x .y"), "x .y");
    EXPECT_EQ(cli::RoffText("没发现有效设备!"), "没发现有效设备!");
}

TEST(ManPage, HelpLayoutBecomesManRequests) {
    const std::string help =
        "Usage: qxlog-cli demo FILE [--all] [ARGS...]\n"
        "                      [--more N]\n"
        "\n"
        "Does things to FILE,\n"
        ".so on.\n"
        "\n"
        "Options:\n"
        "  -a, --all  every one\n"
        "             of them\n"
        "  --a-very-long-option VALUE\n"
        "             on the next line\n"
        "\n"
        "A paragraph after the list.";
    EXPECT_EQ(cli::HelpToRoff(help),
              ".PP\n.nf\n"
              "\\fBqxlog\\-cli\\fR \\fBdemo\\fR \\fIFILE\\fR [\\fB\\-\\-all\\fR] "
              "[\\fIARGS\\fR...]\n"
              "               [\\fB\\-\\-more\\fR \\fIN\\fR]\n"
              ".fi\n"
              ".PP\nDoes things to FILE,\n\\&.so on.\n"
              ".PP\n\\fBOptions:\\fR\n"
              ".TP\n\\fB\\-a\\fR, \\fB\\-\\-all\\fR\nevery one\nof them\n"
              ".TP\n\\fB\\-\\-a\\-very\\-long\\-option\\fR \\fIVALUE\\fR\non the next line\n"
              ".PP\nA paragraph after the list.\n");
}

TEST(ManPage, BuiltPageHasEverySectionAndCommand) {
    const std::string page = cli::ManPage();
    EXPECT_EQ(ReadAll(QXLOG_CLI_MAN), page) << "the build's qxlog-cli.1 is not current";

    std::vector<std::string> sections, subsections;
    const std::set<std::string> requests = {"\\\"", "TH", "SH", "SS", "PP", "TP", "IP", "nf",
                                            "fi",   "RS", "RE", "BR", "br", "sp", "nh", "ad"};
    for (const std::string& line : Lines(page)) {
        EXPECT_FALSE(line.starts_with("'")) << line;
        if (line.starts_with(".")) {
            const std::string name = line.substr(1, line.find(' ') - 1);
            EXPECT_TRUE(requests.count(name)) << line;
            if (name == "SH") sections.push_back(line.substr(4));
            if (name == "SS") subsections.push_back(line.substr(4));
            if (name == "\\\"") continue;  // comments may say anything
        }
        // Every hyphen and backslash is an escape the page means.
        for (size_t i = 0; i < line.size(); ++i) {
            if (line[i] == '-') {
                EXPECT_TRUE(i > 0 && line[i - 1] == '\\') << line;
            } else if (line[i] == '\\') {
                EXPECT_NE(std::string("e-(f&").find(line[i + 1]), std::string::npos) << line;
                ++i;
            }
        }
    }
    // The built page is the Chinese one (zh_CN/man1), its sections in Chinese.
    EXPECT_EQ(sections, (std::vector<std::string>{"名称", "概述", "描述", "全局选项", "命令",
                                                  "退出状态", "示例", "文件", "参见"}));
    std::vector<std::string> commands;
    for (const cli::CliCommand* command : cli::AllCommands())
        commands.push_back(cli::RoffText(command->name));
    EXPECT_EQ(subsections, commands);
    EXPECT_EQ(commands.size(), 18u);
}

TEST(ManPage, GroffAndManFindNothingToWarnAbout) {
    for (const std::string page : {QXLOG_CLI_MAN, QXLOG_MAN, QXLOG_MAN_ZH}) {
        auto run = RunShell("groff -k -man -ww -z -Tutf8 " + ShellQuote(page));
        EXPECT_EQ(run.exitCode, 0) << page;
        EXPECT_EQ(run.out, "") << page;
        run = RunShell("LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l " + ShellQuote(page) +
                       " >/dev/null");
        EXPECT_EQ(run.exitCode, 0) << page;
        EXPECT_EQ(run.out, "") << page;
        for (const std::string& line : Lines(Rendered(page))) {
            const int columns = Columns(line);
            EXPECT_TRUE(columns >= 0 && columns <= 80) << page << ": " << line;
        }
    }
}

// What the user copies from the page is what the program takes: ASCII hyphens, the command
// lines as in --help, the Chinese messages intact.
TEST(ManPage, ManShowsTheHelpAsTyped) {
    const std::string shown = Rendered(QXLOG_CLI_MAN);
    EXPECT_TRUE(shown.starts_with("QXLOG-CLI(1)")) << shown.substr(0, 200);
    EXPECT_NE(shown.find("qxlog-cli [--simulate MODELS] [--device N] [--library FILE|URL]"),
              std::string::npos);
    for (const cli::CliCommand* command : cli::AllCommands()) {
        const std::string first = Lines(std::string(command->help))[0];
        const std::string usage = first.substr(cli::UsagePrefix(first).size());
        EXPECT_NE(shown.find("       " + usage + "\n"), std::string::npos) << usage;
    }
    for (const cli::CliExample& example : cli::Examples()) {
        for (const std::string& line : Lines(std::string(example.command)))
            EXPECT_NE(shown.find(line + "\n"), std::string::npos) << line;
    }
    for (const char* text : {"--last-months N", "-o, --output FILE", "(没发现有效设备!)", "[报警]",
                             "(仪器正在做采样记录工作,不能更新时钟!)"}) {
        EXPECT_NE(shown.find(text), std::string::npos) << text;
    }

    const std::string window = Rendered(QXLOG_MAN);
    for (const char* text :
         {"qxlog [--simulate MODELS] [RECORD-FILE]", "~/.config/Vornak/QX_CHN.conf",
          "~/.local/share/Vornak/QX_CHN/DAT", "Communication → Connect"}) {
        EXPECT_NE(window.find(text), std::string::npos) << text;
    }
    EXPECT_NE(Rendered(QXLOG_MAN_ZH).find("通讯 → 连接测试仪"), std::string::npos);
}

}  // namespace
}  // namespace qx
