// The language of the program's texts. Chinese is the system's own language: every text is
// written in Chinese in the code, and that text is the key of its English translation.
//
// Texts of the Qt-free code (the core and qxlog-cli) are translated here, from catalogues of
// {Chinese, English} pairs under res/translations/*_en.inc; the windows' own texts go through
// Qt's tr() and res/translations/*_en.ts. A text is marked where it is written:
//
//   Tr("文件:%s\n不能打开!")          translated where it is used
//   Tr("数值范围应在%d-%d之间!", "℃")  the same Chinese, worded for a context (a unit here)
//   TrN("当前日期[%s],向前%d天", n)    with a count: the English for one or for other counts
//   TrNoop("低温报警")                 in a table; the user of the table calls Tr()
//   NoTr("帮助.mht")                   never translated
//
// scripts/check-translations fails when a marked text has no English or when a translation
// lost a format argument, and when a Chinese text is not marked at all.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace qx {

enum class Language { kChinese, kEnglish };

// The setting "[Workspace] Language" and the --lang option: auto follows the system locale.
enum class LanguageChoice { kAuto, kChinese, kEnglish };

// "auto", "zh" or "en" (case-insensitive); nothing for anything else.
std::optional<LanguageChoice> ParseLanguageChoice(std::string_view text);
// "auto", "zh" or "en".
const char* LanguageChoiceName(LanguageChoice choice);

// The language of a locale: the first of LC_ALL, LC_MESSAGES and LANG that is set and not
// empty decides; a name starting with "zh" gives Chinese, anything else (C, POSIX, en_US,
// nothing set) English.
Language LanguageOfLocale(const char* lcAll, const char* lcMessages, const char* lang);
Language LanguageOfEnvironment();

// A choice made concrete: the command line wins over the setting; auto asks the environment.
Language ResolveLanguage(std::optional<LanguageChoice> commandLine, LanguageChoice setting);

// The settings file the window program writes (QSettings "Vornak"/"QX_CHN" in INI form):
// $XDG_CONFIG_HOME/Vornak/QX_CHN.conf, or ~/.config/Vornak/QX_CHN.conf.
inline constexpr const char* kSettingsOrganisation = "Vornak";
inline constexpr const char* kSettingsApplication = "QX_CHN";
std::string SettingsFilePath();
// "[Workspace] Language" of that file (or of `path`); auto when the file, the key or a valid
// value is missing.
LanguageChoice ReadLanguageSetting();
LanguageChoice ReadLanguageSetting(const std::string& path);

// The language texts are shown in. Chinese until a program sets it at start.
Language CurrentLanguage();
void SetLanguage(Language language);

// A catalogue entry: {"中文", "English"}; {"中文", "one", "other"} for a text with a count
// (the English for a count of one and for any other count); {.zh = ..., .en = ...,
// .context = "℃"} for the Chinese worded differently in English where it is used for one thing.
// English may take the arguments in another order with printf's positions ("%2$d ... %1$s").
struct TextPair {
    const char* zh;
    const char* en;
    const char* other = nullptr;    // the English for counts other than one
    const char* context = nullptr;  // the context of Tr(zh, context)
};

// Adds a catalogue (static storage) to the ones of the core; programs call it at start.
void AddEnglishTexts(std::span<const TextPair> texts);

// The text in the current language: zh itself in Chinese, its English from the catalogues in
// English (zh itself when a catalogue lacks it, which the translation check reports).
const char* Tr(const char* zh) __attribute__((format_arg(1)));
std::string Tr(const std::string& zh);
// The text as it reads in a context: zh in Chinese, the entry of zh and context in English (the
// context-free one when there is none).
const char* Tr(const char* zh, const char* context) __attribute__((format_arg(1)));
// A text that shows a count n: zh in Chinese; in English the entry's one form for n == 1, its
// other form for any other n (the one form when the entry has no other).
const char* TrN(const char* zh, long long n) __attribute__((format_arg(1)));
// Marks a text in a table for the translation check; translated where the table is used.
constexpr const char* TrNoop(const char* zh) {
    return zh;
}

// Marks a Chinese text that stays Chinese in both languages: a file name, a value stored in a
// file or parsed from one.
constexpr const char* NoTr(const char* zh) {
    return zh;
}

// The English of zh, or nothing when no catalogue has it (the translation check).
std::optional<std::string_view> EnglishOf(std::string_view zh);

// The English plural rule: the "one" form for exactly 1, the "other" form for 0, 2, 3, ...
inline bool IsEnglishOne(long long n) {
    return n == 1;
}

}  // namespace qx
