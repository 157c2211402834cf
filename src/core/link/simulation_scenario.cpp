#include "simulation_scenario.h"

#include <algorithm>

#include "core/model/language.h"
#include "core/model/text_util.h"
#include "core/records/number_text.h"

namespace qx {
namespace {

struct Quantity {
    const char* id;
    double EnvironmentReading::*field;
    double low, high;  // what the channel measures
};

constexpr Quantity kQuantities[] = {
    {"temp", &EnvironmentReading::temperature, -40, 125},
    {"hum", &EnvironmentReading::humidity, 0, 100},
    {"pressure", &EnvironmentReading::pressure, 0, 6553.5},
    {"diffpressure", &EnvironmentReading::diffPressure, -327.68, 327.67},
    {"sound", &EnvironmentReading::sound, 0, 200},
    {"co2", &EnvironmentReading::co2, 0, 65535},
    {"hcho", &EnvironmentReading::formaldehyde, 0, 655.35},
};

const Quantity* FindQuantity(std::string_view id) {
    for (const Quantity& q : kQuantities) {
        if (EqualsIgnoreCase(id, q.id)) return &q;
    }
    return nullptr;
}

// "20s", "5m", "1h", "1m30s", "90": seconds; nullopt otherwise.
std::optional<int64_t> ParseOffset(std::string_view text) {
    int64_t total = 0;
    size_t i = 0;
    if (text.empty()) return std::nullopt;
    while (i < text.size()) {
        int64_t n = 0;
        size_t digits = 0;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
            if (++digits > 7) return std::nullopt;
            n = n * 10 + (text[i++] - '0');
        }
        if (digits == 0) return std::nullopt;
        int64_t factor = 1;
        if (i < text.size()) {
            const char u = text[i++];
            factor = u == 's' ? 1 : u == 'm' ? 60 : u == 'h' ? 3600 : 0;
            if (factor == 0) return std::nullopt;
        } else if (total != 0) {
            return std::nullopt;  // "1m30": the unit of the last part is missing
        }
        total += n * factor;
    }
    if (total > 366 * 86400) return std::nullopt;
    return total;
}

}  // namespace

EnvironmentReading SimulationScenario::Apply(EnvironmentReading room, int64_t offset) const {
    for (const ScenarioStep& s : steps) {
        if (s.at > offset) break;
        for (const auto& [id, value] : s.values) {
            if (const Quantity* q = FindQuantity(id)) room.*(q->field) = value;
        }
    }
    return room;
}

bool SimulationScenario::PluggedAt(int64_t offset) const {
    bool plugged = true;
    for (const ScenarioStep& s : steps) {
        if (s.at > offset) break;
        if (s.kind != ScenarioStep::Kind::kValues) plugged = s.kind == ScenarioStep::Kind::kPlug;
    }
    return plugged;
}

bool ParseScenario(std::string_view text, SimulationScenario& scenario, std::string& problem) {
    SimulationScenario out;
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    int lineNumber = 0;
    for (size_t start = 0; start < text.size();) {
        const size_t end = std::min(text.find('\n', start), text.size());
        const std::string line = Trim(text.substr(start, end - start));
        start = end + 1;
        ++lineNumber;
        auto fail = [&](const std::string& why) {
            problem = StrFormat(Tr("第%d行: %s"), lineNumber, why.c_str());
            return false;
        };
        if (line.empty() || line[0] == '#' || line[0] == ';') continue;
        std::vector<std::string> words;
        for (size_t w = 0; w < line.size();) {
            const size_t b = line.find_first_not_of(" \t", w);
            if (b == std::string::npos) break;
            const size_t e = std::min(line.find_first_of(" \t", b), line.size());
            words.push_back(line.substr(b, e - b));
            w = e;
        }
        ScenarioStep step;
        step.line = lineNumber;
        const std::optional<int64_t> at = ParseOffset(words[0]);
        if (!at) {
            return fail(
                StrFormat(Tr("'%s' 不是时间 (从开始起, 如 0s, 20s, 5m, 1h30m)"), words[0].c_str()));
        }
        if (!out.steps.empty() && *at < out.steps.back().at)
            return fail(StrFormat(Tr("时间 %s 早于上一行"), words[0].c_str()));
        step.at = *at;
        if (words.size() == 1) return fail(Tr("时间后缺少 unplug、plug 或 CHANNEL=VALUE"));
        if (words.size() == 2 && (words[1] == "unplug" || words[1] == "plug")) {
            step.kind =
                words[1] == "plug" ? ScenarioStep::Kind::kPlug : ScenarioStep::Kind::kUnplug;
            out.steps.push_back(std::move(step));
            continue;
        }
        for (size_t i = 1; i < words.size(); ++i) {
            const size_t eq = words[i].find('=');
            const Quantity* q =
                eq == std::string::npos ? nullptr : FindQuantity(words[i].substr(0, eq));
            if (!q) {
                return fail(StrFormat(Tr("'%s' 应为 unplug、plug 或 CHANNEL=VALUE, 通道为 %s"),
                                      words[i].c_str(),
                                      "temp, hum, pressure, diffpressure, sound, co2, hcho"));
            }
            const std::optional<double> v = ParseNumberText(words[i].substr(eq + 1));
            if (!v || *v < q->low || *v > q->high) {
                return fail(StrFormat(Tr("%s: 应为 %g 到 %g 之间的数值"), words[i].c_str(), q->low,
                                      q->high));
            }
            step.values.emplace_back(q->id, *v);
        }
        out.steps.push_back(std::move(step));
    }
    if (out.steps.empty()) {
        problem = Tr("场景中没有步骤");
        return false;
    }
    scenario = std::move(out);
    return true;
}

}  // namespace qx
