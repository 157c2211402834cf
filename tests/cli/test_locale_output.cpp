// qxlog-cli's output in a locale whose character set is not UTF-8: the converter in pieces, and
// the program in a GB18030 locale made for the test (skipped where localedef or the zh_CN
// locale source is missing).
#include <gtest/gtest.h>

#include <filesystem>

#include "cli/locale_output.h"
#include "run_cli.h"

namespace qx {
namespace {

using cli::OutputConverter;

// 记录 in GB18030.
const std::string kRecordGb = "\xBC\xC7\xC2\xBC";

TEST(LocaleOutput, ConvertsAcrossPiecesAndPassesWhatItCannot) {
    OutputConverter gb("GB18030");
    ASSERT_TRUE(gb.Converts());
    const std::string text = "记录 ok";
    // Every split of the text, inside a character too, gives the same bytes.
    for (size_t cut = 0; cut <= text.size(); ++cut) {
        std::string out = gb.Convert(text.substr(0, cut));
        out += gb.Convert(text.substr(cut));
        out += gb.Finish();
        EXPECT_EQ(out, kRecordGb + " ok") << cut;
    }
    // Bytes that are not UTF-8 (a file name in another encoding) and a character cut off at
    // the end stay as they were: nothing is lost.
    EXPECT_EQ(gb.Convert("a\xFF\xC0z"), "a\xFF\xC0z");
    EXPECT_EQ(gb.Convert("x\xE8\xAE"), "x");
    EXPECT_EQ(gb.Convert("y"), "\xE8\xAEy");
    EXPECT_EQ(gb.Convert("\xE8\xAE"), "");
    EXPECT_EQ(gb.Finish(), "\xE8\xAE");
    // Characters the set lacks pass through as UTF-8.
    OutputConverter latin("ISO-8859-1");
    EXPECT_EQ(latin.Convert("é记"), "\xE9记");

    // UTF-8 and the C locale's ASCII are left alone, as is a set the C library does not know.
    for (const char* charset : {"UTF-8", "utf8", "ANSI_X3.4-1968", "no-such-set", ""}) {
        OutputConverter none(charset);
        EXPECT_FALSE(none.Converts()) << charset;
        EXPECT_EQ(none.Convert("记录\xFF"), "记录\xFF") << charset;
    }
}

TEST(LocaleOutput, ProgramWritesTheLocalesCharacterSet) {
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("qxlog-locale-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    const auto made = test::RunShell("localedef -i zh_CN -f GB18030 " +
                                     test::ShellQuote((dir / "zh_CN.GB18030").string()));
    if (made.exitCode != 0) {
        std::filesystem::remove_all(dir);
        GTEST_SKIP() << "no GB18030 locale can be made here: " << made.out;
    }
    const std::string env = "env -u LC_MESSAGES -u LANG LOCPATH=" + test::ShellQuote(dir.string()) +
                            " LC_ALL=zh_CN.GB18030 " + test::ShellQuote(QXLOG_CLI);
    auto run = test::RunShell(env + " --simulate QX420 stop");
    EXPECT_EQ(run.out, kRecordGb + "\xD2\xD1\xCD\xA3\xD6\xB9.\n");  // 记录已停止.
    // Standard error too, and the usage error's exit code is kept.
    run = test::RunShell(env + " --lang");
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.out.find("需要"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("\xD0\xE8\xD2\xAA"), std::string::npos) << run.out;  // 需要
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace qx
