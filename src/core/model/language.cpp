#include "language.h"

#include <cstdlib>
#include <fstream>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "text_util.h"

namespace qx {
namespace {

constexpr TextPair kCoreEnglish[] = {
#include "core_alarms_en.inc"
#include "core_library_en.inc"
#include "core_model_en.inc"
#include "core_records_en.inc"
};

// Entries with a context are found under context + '\x04' + Chinese, as gettext keys them.
std::string KeyOf(std::string_view zh, const char* context) {
    std::string key;
    if (context) key.append(context).push_back('\x04');
    key.append(zh);
    return key;
}

struct Catalogue {
    std::mutex mutex;
    std::vector<std::span<const TextPair>> tables{kCoreEnglish};
    std::unordered_map<std::string, const TextPair*> english;
    bool built = false;

    const TextPair* Find(std::string_view zh, const char* context = nullptr) {
        std::lock_guard lock(mutex);
        if (!built) {
            english.clear();
            for (const auto& table : tables)
                for (const TextPair& pair : table)
                    english.emplace(KeyOf(pair.zh, pair.context), &pair);
            built = true;
        }
        auto it = english.find(KeyOf(zh, context));
        if (it == english.end() && context) it = english.find(std::string(zh));
        return it == english.end() ? nullptr : it->second;
    }
};

Catalogue& TheCatalogue() {
    static Catalogue catalogue;
    return catalogue;
}

Language g_language = Language::kChinese;

bool IsSet(const char* value) {
    return value && *value;
}

}  // namespace

std::optional<LanguageChoice> ParseLanguageChoice(std::string_view text) {
    const std::string t = Trim(text);
    if (EqualsIgnoreCase(t, "auto")) return LanguageChoice::kAuto;
    if (EqualsIgnoreCase(t, "zh")) return LanguageChoice::kChinese;
    if (EqualsIgnoreCase(t, "en")) return LanguageChoice::kEnglish;
    return std::nullopt;
}

const char* LanguageChoiceName(LanguageChoice choice) {
    switch (choice) {
        case LanguageChoice::kChinese:
            return "zh";
        case LanguageChoice::kEnglish:
            return "en";
        case LanguageChoice::kAuto:
            break;
    }
    return "auto";
}

Language LanguageOfLocale(const char* lcAll, const char* lcMessages, const char* lang) {
    const char* name = IsSet(lcAll) ? lcAll : IsSet(lcMessages) ? lcMessages : lang;
    if (IsSet(name) && (name[0] == 'z' || name[0] == 'Z') && (name[1] == 'h' || name[1] == 'H'))
        return Language::kChinese;
    return Language::kEnglish;
}

Language LanguageOfEnvironment() {
    return LanguageOfLocale(std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"), std::getenv("LANG"));
}

Language ResolveLanguage(std::optional<LanguageChoice> commandLine, LanguageChoice setting) {
    switch (commandLine.value_or(setting)) {
        case LanguageChoice::kChinese:
            return Language::kChinese;
        case LanguageChoice::kEnglish:
            return Language::kEnglish;
        case LanguageChoice::kAuto:
            break;
    }
    return LanguageOfEnvironment();
}

std::string SettingsFilePath() {
    std::string base;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); IsSet(xdg) && xdg[0] == '/') {
        base = xdg;
    } else if (const char* home = std::getenv("HOME"); IsSet(home)) {
        base = std::string(home) + "/.config";
    } else {
        return {};
    }
    return base + "/" + kSettingsOrganisation + "/" + kSettingsApplication + ".conf";
}

LanguageChoice ReadLanguageSetting() {
    return ReadLanguageSetting(SettingsFilePath());
}

LanguageChoice ReadLanguageSetting(const std::string& path) {
    std::ifstream in(path);
    std::string line;
    bool inWorkspace = false;
    while (std::getline(in, line)) {
        const std::string t = Trim(line);
        if (t.starts_with("[")) {
            inWorkspace = t == "[Workspace]";
            continue;
        }
        const size_t equals = t.find('=');
        if (!inWorkspace || equals == std::string::npos) continue;
        if (Trim(std::string_view(t).substr(0, equals)) != "Language") continue;
        return ParseLanguageChoice(std::string_view(t).substr(equals + 1))
            .value_or(LanguageChoice::kAuto);
    }
    return LanguageChoice::kAuto;
}

Language CurrentLanguage() {
    return g_language;
}

void SetLanguage(Language language) {
    g_language = language;
}

void AddEnglishTexts(std::span<const TextPair> texts) {
    Catalogue& c = TheCatalogue();
    std::lock_guard lock(c.mutex);
    c.tables.push_back(texts);
    c.built = false;
}

const char* Tr(const char* zh) {
    return Tr(zh, nullptr);
}

std::string Tr(const std::string& zh) {
    return Tr(zh.c_str());
}

const char* Tr(const char* zh, const char* context) {
    if (g_language == Language::kChinese || !zh) return zh;
    const TextPair* pair = TheCatalogue().Find(zh, context);
    return pair ? pair->en : zh;
}

const char* TrN(const char* zh, long long n) {
    if (g_language == Language::kChinese || !zh) return zh;
    const TextPair* pair = TheCatalogue().Find(zh);
    if (!pair) return zh;
    return IsEnglishOne(n) || !pair->other ? pair->en : pair->other;
}

std::optional<std::string_view> EnglishOf(std::string_view zh) {
    const TextPair* pair = TheCatalogue().Find(zh);
    if (!pair) return std::nullopt;
    return std::string_view(pair->en);
}

}  // namespace qx
