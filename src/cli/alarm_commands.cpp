#include "alarm_commands.h"

#include <fstream>

#include "core/model/language.h"
#include "core/model/text_util.h"

namespace qx::cli {
namespace {

constexpr std::streamsize kMaxTextBytes = 1 << 20;

}  // namespace

bool ReadSmallTextFile(const std::string& path, std::string& text, std::string& problem) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        problem = StrFormat(Tr("文件:%s 不能打开!"), path.c_str());
        return false;
    }
    text.resize(static_cast<size_t>(kMaxTextBytes) + 1);
    in.read(text.data(), kMaxTextBytes + 1);
    text.resize(static_cast<size_t>(in.gcount()));
    if (in.bad()) {
        problem = StrFormat(Tr("文件:%s 不能打开!"), path.c_str());
        return false;
    }
    if (text.size() > static_cast<size_t>(kMaxTextBytes)) {
        problem = StrFormat(Tr("%s: 文件太大 (最多 1 MiB)"), path.c_str());
        return false;
    }
    return true;
}

bool ReadAlarmRulesFile(const std::string& path, AlarmRules& rules, std::string& problem) {
    std::string text, why;
    if (!ReadSmallTextFile(path, text, problem)) return false;
    if (!ParseAlarmRules(text, rules, why)) {
        problem = path + ": " + why;
        return false;
    }
    return true;
}

std::span<const CliCommand> AlarmCommands() {
    return {};
}

}  // namespace qx::cli
