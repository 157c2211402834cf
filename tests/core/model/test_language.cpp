// The language the programs choose: the locale variables, the setting in the settings file and
// the command line, in that order of weight from last to first.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>

#include "core/model/language.h"

namespace qx {
namespace {

TEST(Language, LocaleVariablesFirstSetAndNotEmptyDecides) {
    const Language zh = Language::kChinese, en = Language::kEnglish;
    EXPECT_EQ(LanguageOfLocale(nullptr, nullptr, nullptr), en);
    EXPECT_EQ(LanguageOfLocale("C", nullptr, "zh_CN.UTF-8"), en);
    EXPECT_EQ(LanguageOfLocale(nullptr, "POSIX", "zh_CN.UTF-8"), en);
    EXPECT_EQ(LanguageOfLocale("en_US.UTF-8", "zh_CN.UTF-8", "zh_CN.UTF-8"), en);
    EXPECT_EQ(LanguageOfLocale("", "zh_TW.UTF-8", "en_US.UTF-8"), zh);
    EXPECT_EQ(LanguageOfLocale("", "", "zh_CN.GB18030"), zh);
    EXPECT_EQ(LanguageOfLocale(nullptr, "en_GB.UTF-8", "zh_CN.UTF-8"), en);
    EXPECT_EQ(LanguageOfLocale("zh", nullptr, nullptr), zh);
    EXPECT_EQ(LanguageOfLocale("z", nullptr, nullptr), en);
    EXPECT_EQ(LanguageOfLocale("", "", ""), en);
}

TEST(Language, SettingIsReadFromTheWorkspaceSectionOnly) {
    const std::string path = ::testing::TempDir() + "qx-language-" + std::to_string(::getpid());
    auto read = [&path](const std::string& text) {
        std::ofstream(path, std::ios::trunc) << text;
        return ReadLanguageSetting(path);
    };
    EXPECT_EQ(read("[General]\nLanguage=en\n[Workspace]\nLanguages=en\nLastFolder=/tmp\n"
                   " Language = zh \n[Print]\nLanguage=en\n"),
              LanguageChoice::kChinese);
    EXPECT_EQ(read("[Workspace]\nLanguage=EN\n"), LanguageChoice::kEnglish);
    EXPECT_EQ(read("[Print]\nLanguage=en\n"), LanguageChoice::kAuto);
    EXPECT_EQ(read("[Workspace]\nLanguage=fr\n"), LanguageChoice::kAuto);
    EXPECT_EQ(read("[Workspace]\nLanguage\n"), LanguageChoice::kAuto);
    std::remove(path.c_str());
    EXPECT_EQ(ReadLanguageSetting(path), LanguageChoice::kAuto);  // no file
}

// The environment of the test, put back as it was.
class LocaleEnvironment {
  public:
    LocaleEnvironment() {
        for (size_t i = 0; i < 3; ++i) {
            const char* v = std::getenv(kNames[i]);
            saved_[i] = v ? std::optional<std::string>(v) : std::nullopt;
        }
    }
    ~LocaleEnvironment() {
        for (size_t i = 0; i < 3; ++i)
            Set(kNames[i], saved_[i] ? saved_[i]->c_str() : nullptr);
    }
    static void Set(const char* name, const char* value) {
        value ? ::setenv(name, value, 1) : ::unsetenv(name);
    }

  private:
    static constexpr const char* kNames[] = {"LC_ALL", "LC_MESSAGES", "LANG"};
    std::optional<std::string> saved_[3];
};

TEST(Language, CommandLineWinsOverSettingWinsOverLocale) {
    LocaleEnvironment environment;
    LocaleEnvironment::Set("LC_ALL", nullptr);
    LocaleEnvironment::Set("LC_MESSAGES", "zh_CN.UTF-8");
    LocaleEnvironment::Set("LANG", "en_US.UTF-8");
    const auto zh = LanguageChoice::kChinese, en = LanguageChoice::kEnglish;
    const auto automatic = LanguageChoice::kAuto;
    EXPECT_EQ(ResolveLanguage(en, zh), Language::kEnglish);
    EXPECT_EQ(ResolveLanguage(zh, en), Language::kChinese);
    EXPECT_EQ(ResolveLanguage(std::nullopt, en), Language::kEnglish);
    EXPECT_EQ(ResolveLanguage(std::nullopt, automatic), Language::kChinese);
    EXPECT_EQ(ResolveLanguage(automatic, en), Language::kChinese);
    LocaleEnvironment::Set("LC_ALL", "C");
    EXPECT_EQ(ResolveLanguage(std::nullopt, automatic), Language::kEnglish);
    EXPECT_EQ(ResolveLanguage(std::nullopt, zh), Language::kChinese);
}

}  // namespace
}  // namespace qx
