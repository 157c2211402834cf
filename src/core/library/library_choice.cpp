#include "library_choice.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>

#include "core/model/language.h"
#include "core/model/text_util.h"
#include "library_location.h"

namespace qx {
namespace {

bool IsSet(const char* name) {
    const char* value = std::getenv(name);
    return value && *value;
}

// A value as QSettings writes it: "quoted" with \" and \\ inside when it holds special
// characters, a leading '@' doubled.
std::string IniValue(std::string_view text) {
    std::string v = Trim(text);
    if (v.size() >= 2 && v.front() == '"' && v.back() == '"') {
        std::string plain;
        for (size_t i = 1; i + 1 < v.size(); ++i) {
            if (v[i] == '\\' && i + 2 < v.size()) ++i;
            plain += v[i];
        }
        v = plain;
    }
    if (v.starts_with("@@")) v.erase(0, 1);
    return v;
}

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

bool IsServerLocation(const std::string& location) {
    return location.find("://") != std::string::npos;
}

bool LocationHoldsPassword(const std::string& location) {
    const size_t scheme = location.find("://");
    if (scheme == std::string::npos) return false;
    const size_t start = scheme + 3;
    const size_t end = location.find_first_of("/?", start);
    const std::string authority = location.substr(start, end - start);
    const size_t at = authority.rfind('@');
    if (at != std::string::npos && authority.substr(0, at).find(':') != std::string::npos)
        return true;
    const size_t query = location.find('?');
    if (query == std::string::npos) return false;
    std::string lower;
    for (char c : location.substr(query))
        lower += Lower(c);
    for (size_t p = lower.find("password="); p != std::string::npos;
         p = lower.find("password=", p + 1)) {
        if (lower[p - 1] == '?' || lower[p - 1] == '&') return true;
    }
    return false;
}

std::string WithoutPassword(std::string message, const std::string& location) {
    if (!LocationHoldsPassword(location)) return message;
    std::string shown = location;
    const size_t start = shown.find("://") + 3;
    const size_t at = shown.substr(0, shown.find_first_of("/?", start)).rfind('@');
    if (at != std::string::npos && at > start) {
        const size_t colon = shown.find(':', start);
        if (colon < at) shown.erase(colon, at - colon);
    }
    std::string lower;
    for (char c : shown)
        lower += Lower(c);
    for (size_t p = lower.find("password="); p != std::string::npos;
         p = lower.find("password=", p + 1)) {
        if (p == 0 || (lower[p - 1] != '?' && lower[p - 1] != '&')) continue;
        const size_t value = p + 9;
        const size_t end = std::min(shown.find('&', value), shown.size());
        shown.replace(value, end - value, "***");
        lower.replace(value, end - value, "***");
    }
    for (size_t p = message.find(location); p != std::string::npos;
         p = message.find(location, p + shown.size()))
        message.replace(p, location.size(), shown);
    return message;
}

std::string ReadLibrarySetting(const std::string& settingsFile) {
    std::ifstream in(settingsFile);
    std::string line;
    bool inLibrary = false;
    std::string value;
    while (std::getline(in, line)) {
        const std::string t = Trim(line);
        if (t.starts_with("[")) {
            inLibrary = t == "[Library]";
            continue;
        }
        const size_t equals = t.find('=');
        if (!inLibrary || equals == std::string::npos) continue;
        if (Trim(std::string_view(t).substr(0, equals)) == "Database")
            value = IniValue(std::string_view(t).substr(equals + 1));
    }
    return value;
}

LibraryChoice ChooseLibrary(const std::string& given, const std::string& settingsFile) {
    LibraryChoice choice;
    if (!given.empty()) {
        choice.location = given;
        choice.source = LibrarySource::kCommandLine;
        return choice;
    }
    const std::string setting = ReadLibrarySetting(settingsFile);
    if (!setting.empty()) {
        choice.source = LibrarySource::kSettings;
        if (LocationHoldsPassword(setting)) {
            choice.problem =
                StrFormat(Tr("设置文件 %s 中 [Library] Database= 的地址含有密码,没有使用它。"
                             "请把密码写到 ~/.pgpass 中 (只有你能读),从地址中删去。"),
                          settingsFile.c_str());
        } else {
            choice.location = setting;
        }
        return choice;
    }
    if (IsSet("PGSERVICE") || IsSet("PGDATABASE")) {
        choice.location = "postgresql://";
        choice.source = LibrarySource::kServerVariables;
        return choice;
    }
    choice.location = DefaultLibraryLocation();
    return choice;
}

LibraryChoice ChooseLibrary(const std::string& given) {
    return ChooseLibrary(given, SettingsFilePath());
}

}  // namespace qx
