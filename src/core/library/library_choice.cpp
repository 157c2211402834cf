#include "library_choice.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>

#include "core/model/language.h"
#include "core/model/text_util.h"
#include "library_location.h"
#include "server_location.h"

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

}  // namespace

bool LocationHoldsPassword(const std::string& location) {
    return RedactedLocation(location) != location;
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
