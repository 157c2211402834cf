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
                      const std::string& ts = "") {
        Write("src/a.cpp", source);
        std::vector<fs::path> tsFiles;
        if (!ts.empty()) tsFiles.push_back(Write("a_en.ts", "<TS>" + ts + "</TS>"));
        std::string all;
        for (const std::string& l :
             CheckTranslations({dir_ / "src"}, {Write("a_en.inc", catalogue)}, tsFiles).lines)
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

TEST(TranslationCheck, FormatArguments) {
    EXPECT_EQ(PrintfConversions("%-5s %.*s 100%% %lld %.1f%%RH"),
              (std::vector<std::string>{"%-5s", "%.*s", "%lld", "%.1f"}));
    EXPECT_EQ(QtArguments("%2 of %1, %L3 %n"), (std::vector<std::string>{"%1", "%2", "%L3", "%n"}));
}

}  // namespace
}  // namespace qx::check
