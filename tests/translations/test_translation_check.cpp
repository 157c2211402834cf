// The translation check finds what a translator or a developer forgets.
#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "translation_check.h"

namespace qx::check {
namespace {
namespace fs = std::filesystem;

class TranslationCheckTest : public ::testing::Test {
  protected:
    fs::path dir_ = fs::temp_directory_path() / ("qx-tr-check-" + std::to_string(getpid()));
    void SetUp() override { fs::create_directories(dir_ / "src"); }
    void TearDown() override { fs::remove_all(dir_); }
    fs::path Write(const std::string& name, const std::string& text) {
        std::ofstream(dir_ / name) << text;
        return dir_ / name;
    }
    std::string Check(const std::string& source, const std::string& catalogue,
                      const std::string& ts = "", const std::string& glossary = "",
                      const std::string& document = "") {
        Write("src/a.cpp", source);
        std::vector<fs::path> tsFiles;
        if (!ts.empty()) tsFiles.push_back(Write("a_en.ts", "<TS>" + ts + "</TS>"));
        std::vector<fs::path> documents;
        if (!document.empty()) documents.push_back(Write("Help.html", document));
        std::string all;
        for (const std::string& l :
             CheckTranslations({dir_ / "src"}, {Write("a_en.inc", catalogue)}, tsFiles,
                               glossary.empty() ? fs::path() : Write("glossary.md", glossary),
                               documents)
                 .lines)
            all += l + "\n";
        return all;
    }
};

TEST_F(TranslationCheckTest, MarkedTextsWithTheirEnglishPass) {
    EXPECT_EQ(
        Check(
            "// 注释里的中文\nauto a = StrFormat(Tr(\"文件:%s\\n\"\n \"不能打开!\"), p);\n"
            "const char* k[] = {TrNoop(\"温度\")}; auto f = NoTr(\"帮助.mht\");\n"
            "auto q = tr(\"共 %1 条\"); auto c = QCoreApplication::translate(\"qx::A\", \"湿度\");",
            "{\"文件:%s\\n不能打开!\", \"File: %s\\nCannot be opened.\"},\n"
            "{\"温度\", \"Temperature\"},",
            "<message><source>共 %1 条</source><translation>%1 in all</translation></message>"
            "<message><source>湿度</source><translation>Humidity</translation></message>"),
        "");
}

TEST_F(TranslationCheckTest, ReportsWhatIsMissingOrBroken) {
    const std::string problems = Check(
        "auto a = QStringLiteral(\"未标记\");\nauto b = Tr(\"没有英文\");\n"
        "auto c = Tr(\"%d 条\");",
        "{\"%d 条\", \"%s samples\"},\n{\"没人用\", \"Unused\"},\n{\"%d 条\", \"again\"},",
        "<message><source>间隔:</source><translation type=\"unfinished\"></translation></message>"
        "<message><source>共 %1 条</source><translation>in all</translation></message>"
        "<message><source>旧的</source><translation type=\"vanished\">Old</translation></message>");
    for (const char* expected :
         {"a.cpp:1: \"未标记\" is not marked", "a.cpp:2: no English for \"没有英文\"",
          "lost or changed a format argument of \"%d 条\"", "\"没人用\" is translated but no",
          "is already translated at", "no English for \"间隔:\"",
          "lost or changed an argument of \"共 %1 条\""})
        EXPECT_NE(problems.find(expected), std::string::npos) << expected << "\n" << problems;
    EXPECT_EQ(problems.find("旧的"), std::string::npos) << problems;
}

// qxlog-cli's help and command summaries follow the language too.
TEST_F(TranslationCheckTest, HelpWrittenInEnglishOnlyFails) {
    const std::string problems = Check(
        "std::string AHelp() { return FormatHelp(\"Usage: qxlog-cli a\\n\" \"more\"); }\n"
        "const CliCommand k[] = {{\"a\", \"does a\", {AHelp}, RunA},\n"
        "    {kName, \"does b\", {BHelp}, RunB},\n"
        "    {\"c\", TrNoop(\"做 c\"), {CHelp}, RunC}};\n"
        "auto h = FormatHelp(Tr(\"用法: qxlog-cli c\"), x); auto n = Run(\"a\", \"b\", {x}, y);",
        "{\"做 c\", \"does c\"},\n{\"用法: qxlog-cli c\", \"Usage: qxlog-cli c\"},");
    for (const char* expected :
         {"a.cpp:1: \"Usage: qxlog-cli a\\nmore\" is qxlog-cli help",
          "a.cpp:2: \"does a\" is qxlog-cli help", "a.cpp:3: \"does b\" is qxlog-cli help"})
        EXPECT_NE(problems.find(expected), std::string::npos) << expected << "\n" << problems;
    EXPECT_EQ(problems.find("a.cpp:4"), std::string::npos) << problems;
    EXPECT_EQ(problems.find("a.cpp:5"), std::string::npos) << problems;
}

TEST_F(TranslationCheckTest, CountsAndContextsNeedTheirOwnEntries) {
    const std::string problems = Check(
        "auto a = TrN(\"%d 天\", n); auto b = Tr(\"%d 月\"); auto c = TrN(\"%d 年\", n);\n"
        "auto d = Tr(\"在 %d 和 %d 之间\", \"dB\"); auto e = Tr(\"在 %d 和 %d 之间\", \"%RH\");",
        "{\"%d 天\", \"%d day\", \"%d days\"},\n{\"%d 月\", \"%d month\", \"%d months\"},\n"
        "{\"%d 年\", \"%d years\"},\n"
        "{.zh = \"在 %d 和 %d 之间\", .en = \"between %d and %d dB\", .context = \"dB\"},\n"
        "{.zh = \"在 %d 和 %d 之间\", .en = \"between %d and %d\", .context = \"℃\"},\n"
        "{\"日期[%s],向前%d天\", \"last %2$d day up to %1$s\", \"last %2$s days up to %1$d\"},");
    for (const char* expected :
         {"\"%d 月\" has a plural English but is shown without a count",
          "\"%d 年\" is shown with a count, but its English has no plural",
          "no English for \"在 %d 和 %d 之间\" (context \"%RH\")",
          "\"在 %d 和 %d 之间\" (context \"℃\") is translated but no Tr()",
          "the English \"last %2$s days up to %1$d\" lost or changed a format argument"})
        EXPECT_NE(problems.find(expected), std::string::npos) << expected << "\n" << problems;
    EXPECT_EQ(problems.find("\"%d 天\""), std::string::npos) << problems;
    EXPECT_EQ(problems.find("(context \"dB\")"), std::string::npos) << problems;
    EXPECT_EQ(problems.find("last %2$d day up"), std::string::npos) << problems;
}

TEST_F(TranslationCheckTest, GlossaryNamesTheTextAndTheEntryItBreaks) {
    const std::string glossary =
        "## Terms\n| 中文 | English | Where used |\n|---|---|---|\n"
        "| 记录的参数 | Recording settings | lists |\n| 参数 | setting | everywhere |\n"
        "| 设备 | instrument | everywhere |\n| 流量计算参数 | flow coefficient | flow meter |\n"
        "## Not used\n| English not used | Instead |\n|---|---|\n| series | channel |\n"
        "| PPM | ppm |\n"
        "## Kept on purpose\n| Text | Term | Why |\n|---|---|---|\n"
        "| `没发现设备` | 设备 | the state |\n| `\"series\"` | series | a JSON key |\n"
        "| `关于设备` | 设备 | no longer needed |\n";
    const std::string problems = Check(
        "auto a = Tr(\"记录的参数\"); auto b = Tr(\"读入参数\"); auto c = Tr(\"没发现设备\");\n"
        "auto d = Tr(\"流量计算参数1\");",
        "{\"记录的参数\", \"Record settings\"},\n{\"读入参数\", \"Read Parameters\"},\n"
        "{\"没发现设备\", \"Not connected\"},\n{\"流量计算参数1\", \"Flow coefficient 1\"},",
        "<message><source>连接设备(&amp;C)</source><translation>Connect "
        "Instr&amp;ument</translation>"
        "</message><message><source>选择设备</source><translation>Select Device</translation>"
        "</message><message><source>曲线</source><translation>Each series in ppm</translation>"
        "</message>",
        glossary, "<p>The \"series\" key lists every channel.</p>\n<p>Timeseries of PPM.</p>\n");
    for (const char* expected :
         {"a_en.inc:1: the English \"Record settings\" of \"记录的参数\" does not say \"Recording "
          "settings\" for 记录的参数 (glossary.md:4)",
          "a_en.inc:2: the English \"Read Parameters\" of \"读入参数\" does not say \"setting\"",
          "a_en.ts:1: the English \"Select Device\" of \"选择设备\" does not say \"instrument\"",
          "a_en.ts:1: \"Each series in ppm\" says \"series\", which the glossary words as "
          "\"channel\" (glossary.md:11)",
          "Help.html:2: \"<p>Timeseries of PPM.</p>\" says \"PPM\"",
          "glossary.md:18: \"关于设备\" is kept on purpose, but nothing needs it any more"})
        EXPECT_NE(problems.find(expected), std::string::npos) << expected << "\n" << problems;
    // Longest term first, mnemonics ignored, kept texts and phrases, words only whole.
    for (const char* passes :
         {"of \"流量计算参数1\"", "of \"连接设备(&C)\"", "of \"没发现设备\"", "Help.html:1",
          "Timeseries of PPM.</p>\" says \"series\"", "ppm\" says \"PPM\""})
        EXPECT_EQ(problems.find(passes), std::string::npos) << passes << "\n" << problems;
}

TEST(TranslationCheck, FormatArguments) {
    EXPECT_EQ(PrintfConversions("%-5s %.*s 100%% %lld %.1f%%RH"),
              (std::vector<std::string>{"%-5s", "%.*s", "%lld", "%.1f"}));
    EXPECT_EQ(PrintfConversions("%2$d of %1$s"), (std::vector<std::string>{"%s", "%d"}));
    EXPECT_NE(PrintfConversions("%2$d of %s"), (std::vector<std::string>{"%s", "%d"}));
    EXPECT_NE(PrintfConversions("%3$d of %1$s"), (std::vector<std::string>{"%s", "%d"}));
    EXPECT_EQ(QtArguments("%2 of %1, %L3 %n"), (std::vector<std::string>{"%1", "%2", "%L3", "%n"}));
}

}  // namespace
}  // namespace qx::check
