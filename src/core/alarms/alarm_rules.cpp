#include "alarm_rules.h"

#include <algorithm>
#include <array>
#include <cctype>

#include "core/library/live_recording.h"
#include "core/library/record_library.h"
#include "core/model/instrument_catalogue.h"
#include "core/model/language.h"
#include "core/model/text_util.h"
#include "core/records/number_text.h"
#include "core/records/record_statistics.h"

namespace qx {
namespace {

constexpr std::array<const char*, 10> kChannelIds = {
    "temp", "hum", "dew", "density", "pressure", "diffpressure", "sound", "flow", "co2", "hcho"};

constexpr const char* kChannelKeys[] = {"high",     "low",   "warn-high",      "warn-low",
                                        "deadband", "delay", "excursion-every"};
constexpr const char* kMailKeys[] = {"server",         "from",        "to",         "repeat",
                                     "escalate-after", "escalate-to", "credentials"};

bool IsPasswordKey(std::string_view key) {
    std::string k = Trim(key);
    std::transform(k.begin(), k.end(), k.begin(), [](unsigned char c) { return std::tolower(c); });
    return k.find("pass") != std::string::npos || k == "secret" || k == "token";
}

bool IsUtf8(std::string_view text) {
    return Utf16ToUtf8(Utf8ToUtf16(text)) == text;
}

bool Listed(std::string_view key, std::span<const char* const> keys) {
    return std::any_of(keys.begin(), keys.end(), [&](const char* k) { return key == k; });
}

// "a@example.org, b@example.org": each an address with a '@' and no blanks.
bool ParseAddresses(std::string_view text, std::vector<std::string>& out) {
    std::vector<std::string> list;
    for (size_t start = 0; start <= text.size();) {
        const size_t end = std::min(text.find(',', start), text.size());
        const std::string a = Trim(text.substr(start, end - start));
        const size_t at = a.find('@');
        if (at == std::string::npos || at == 0 || at + 1 == a.size() ||
            a.find_first_of(" \t<>") != std::string::npos)
            return false;
        list.push_back(a);
        start = end + 1;
    }
    out = std::move(list);
    return true;
}

// The user name and password come from ~/.netrc or the credentials file, never from here.
bool HoldsPassword(std::string_view url) {
    const size_t scheme = url.find("://");
    if (scheme == std::string_view::npos) return false;
    const std::string_view rest = url.substr(scheme + 3);
    return rest.substr(0, rest.find('/')).find('@') != std::string_view::npos;
}

// Most particular last: *, NUMBER, MODEL:NUMBER.
int Particularity(const AlarmRuleSection& s) {
    if (s.number.empty()) return 0;
    return s.model == kNoModel ? 1 : 2;
}

bool Applies(const AlarmRuleSection& s, const InstrumentKey& instrument) {
    if (s.number.empty()) return true;
    if (s.model != kNoModel && s.model != instrument.model) return false;
    return s.number == instrument.number;
}

template <typename T>
void Take(std::optional<T>& into, const std::optional<T>& given) {
    if (given) into = given;
}

}  // namespace

std::span<const char* const> AlarmChannelIds() {
    return kChannelIds;
}

bool IsAlarmChannelId(std::string_view id) {
    return std::any_of(kChannelIds.begin(), kChannelIds.end(),
                       [&](const char* c) { return EqualsIgnoreCase(id, c); });
}

bool ParseAlarmRules(std::string_view text, AlarmRules& rules, std::string& problem) {
    AlarmRules r;
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    if (!IsUtf8(text)) {
        problem = Tr("报警规则文件不是UTF-8文字");
        return false;
    }
    enum class In { kNone, kMail, kRule } in = In::kNone;
    bool mailSeen = false;
    int mailLine = 0;
    std::vector<std::string> keys;  // given in the current section
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
        if (line.empty() || line[0] == ';' || line[0] == '#') continue;
        if (line[0] == '[') {
            keys.clear();
            if (line.back() != ']') return fail(StrFormat(Tr("段名缺少 ]: %s"), line.c_str()));
            const std::string title = Trim(std::string_view(line).substr(1, line.size() - 2));
            if (title == "mail") {
                if (mailSeen) return fail(Tr("[mail] 段重复"));
                mailSeen = true;
                mailLine = lineNumber;
                in = In::kMail;
                continue;
            }
            const size_t blank = title.find_last_of(" \t");
            if (blank == std::string::npos) {
                return fail(StrFormat(Tr("不认识的段 [%s], 应为 [mail] 或 [仪器 通道]"
                                         " (仪器为 MODEL:NUMBER、NUMBER 或 *)"),
                                      title.c_str()));
            }
            AlarmRuleSection s;
            s.line = lineNumber;
            s.title = title;
            const std::string target = Trim(std::string_view(title).substr(0, blank));
            std::string channel = Trim(std::string_view(title).substr(blank + 1));
            std::transform(channel.begin(), channel.end(), channel.begin(),
                           [](unsigned char c) { return std::tolower(c); });
            if (target != "*") {
                const size_t colon = target.find(':');
                const InstrumentTypeId model =
                    colon == std::string::npos ? kNoModel : ModelFromName(target.substr(0, colon));
                s.model = model;
                s.number = Trim(model == kNoModel ? std::string_view(target)
                                                  : std::string_view(target).substr(colon + 1));
                if (colon != std::string::npos && model == kNoModel && colon > 0 &&
                    std::toupper(static_cast<unsigned char>(target[0])) == 'Q' &&
                    std::toupper(static_cast<unsigned char>(target[1])) == 'X') {
                    return fail(StrFormat(Tr("不认识的型号 %s"), target.substr(0, colon).c_str()));
                }
                if (s.number.empty()) return fail(Tr("段中缺少仪器编号"));
            }
            if (channel == "lost") {
                s.kind = AlarmRuleKind::kLost;
            } else if (channel == "silent") {
                s.kind = AlarmRuleKind::kSilent;
            } else if (!IsAlarmChannelId(channel)) {
                return fail(StrFormat(Tr("没有通道 '%s' (%s, 或 lost, silent)"), channel.c_str(),
                                      "temp, hum, dew, density, pressure, diffpressure, sound, "
                                      "flow, co2, hcho"));
            } else if (s.model != kNoModel) {
                const RecordUnits units = RecordUnitsOf(0, s.model);
                const std::span<const int> list = SeriesList(s.model);
                if (std::none_of(list.begin(), list.end(), [&](int i) {
                        return channel == units.ids[static_cast<size_t>(i)];
                    })) {
                    return fail(StrFormat(Tr("%s 没有通道 %s"), ModelName(s.model).c_str(),
                                          channel.c_str()));
                }
            }
            s.channel = channel;
            for (const AlarmRuleSection& o : r.sections) {
                if (o.kind == s.kind && o.model == s.model && o.number == s.number &&
                    o.channel == s.channel)
                    return fail(StrFormat(Tr("段 [%s] 重复 (第%d行)"), title.c_str(), o.line));
            }
            r.sections.push_back(std::move(s));
            in = In::kRule;
            continue;
        }
        if (in == In::kNone) return fail(Tr("设置应在段内 (如 [* temp])"));
        const size_t eq = line.find('=');
        if (eq == std::string::npos) return fail(StrFormat(Tr("应为 KEY=VALUE: %s"), line.c_str()));
        const std::string key = Trim(std::string_view(line).substr(0, eq));
        const std::string value = Trim(std::string_view(line).substr(eq + 1));
        if (IsPasswordKey(key)) {
            return fail(StrFormat(Tr("%s: 密码不能写在报警规则文件中; 用户名和密码来自 ~/.netrc "
                                     "或 credentials 指定的只有所有者能读的文件"),
                                  key.c_str()));
        }
        if (std::find(keys.begin(), keys.end(), key) != keys.end())
            return fail(StrFormat(Tr("%s: 参数重复"), key.c_str()));
        keys.push_back(key);
        auto badValue = [&](const char* expected) {
            return fail(
                StrFormat(Tr("%s: '%s' 不对, 应为%s"), key.c_str(), value.c_str(), Tr(expected)));
        };
        constexpr const char* kDuration = TrNoop("1s 到 24h 的时长 (如 90s, 5m, 1h)");
        if (in == In::kMail) {
            MailSettings& m = r.mail;
            if (!Listed(key, kMailKeys)) {
                return fail(StrFormat(Tr("%s: [mail] 段没有这个参数 (%s)"), key.c_str(),
                                      "server, from, to, repeat, escalate-after, escalate-to, "
                                      "credentials"));
            }
            if (key == "server") {
                if (!value.starts_with("smtp://") && !value.starts_with("smtps://"))
                    return badValue(TrNoop("smtp://HOST[:PORT] 或 smtps://HOST[:PORT]"));
                if (HoldsPassword(value)) {
                    return fail(StrFormat(Tr("%s: 密码不能写在报警规则文件中; 用户名和密码来自 "
                                             "~/.netrc 或 credentials 指定的只有所有者能读的文件"),
                                          key.c_str()));
                }
                m.server = value;
            } else if (key == "from") {
                std::vector<std::string> one;
                if (!ParseAddresses(value, one) || one.size() != 1)
                    return badValue(TrNoop("一个邮件地址"));
                m.from = one[0];
            } else if (key == "to" || key == "escalate-to") {
                if (!ParseAddresses(value, key == "to" ? m.to : m.escalate_to))
                    return badValue(TrNoop("逗号分隔的邮件地址"));
            } else if (key == "credentials") {
                if (value.empty()) return badValue(TrNoop("一个文件名"));
                m.credentials_file = value;
            } else {
                const std::optional<int64_t> d = ParseLiveInterval(value);
                if (!d) return badValue(kDuration);
                (key == "repeat" ? m.repeat : m.escalate_after) = *d;
            }
            continue;
        }
        AlarmRuleSection& s = r.sections.back();
        AlarmRuleValues& v = s.values;
        if (s.kind != AlarmRuleKind::kChannel) {
            if (key != "delay") {
                return fail(
                    StrFormat(Tr("%s: [%s] 段只有参数 delay"), key.c_str(), s.title.c_str()));
            }
        } else if (!Listed(key, kChannelKeys)) {
            return fail(StrFormat(Tr("%s: 通道段没有这个参数 (%s)"), key.c_str(),
                                  "high, low, warn-high, warn-low, delay, deadband, "
                                  "excursion-every"));
        }
        if (key == "delay" || key == "excursion-every") {
            const std::optional<int64_t> d = ParseLiveInterval(value);
            if (!d) return badValue(kDuration);
            (key == "delay" ? v.delay : v.excursionEvery) = d;
            continue;
        }
        const std::optional<double> n = ParseNumberText(value);
        if (!n) return badValue(TrNoop("一个数值"));
        if (key == "deadband" && *n < 0) return badValue(TrNoop("不小于 0 的数值"));
        std::optional<double>& field = key == "high"        ? v.high
                                       : key == "low"       ? v.low
                                       : key == "warn-high" ? v.warnHigh
                                       : key == "warn-low"  ? v.warnLow
                                                            : v.deadband;
        field = n;
        // The levels as far as this section gives them: low <= warn-low <= warn-high <= high.
        if (v.low && v.high && *v.low > *v.high) return fail(Tr("low 大于 high"));
        if (v.warnHigh && v.high && *v.warnHigh > *v.high)
            return fail(Tr("warn-high 在报警限值外: 大于 high"));
        if (v.warnLow && v.low && *v.warnLow < *v.low)
            return fail(Tr("warn-low 在报警限值外: 小于 low"));
        if (v.warnLow && v.warnHigh && *v.warnLow > *v.warnHigh)
            return fail(Tr("warn-low 大于 warn-high"));
    }
    if (mailSeen) {
        const MailSettings& m = r.mail;
        const char* missing = m.server.empty() ? "server"
                              : m.from.empty() ? "from"
                              : m.to.empty()   ? "to"
                                               : nullptr;
        if (missing) {
            problem = StrFormat(Tr("第%d行: %s"), mailLine,
                                StrFormat(Tr("[mail] 段缺少 %s"), missing).c_str());
            return false;
        }
        if (m.escalate_after > 0 && m.escalate_to.empty()) {
            problem = StrFormat(Tr("第%d行: %s"), mailLine,
                                StrFormat(Tr("[mail] 段缺少 %s"), "escalate-to").c_str());
            return false;
        }
    }
    rules = std::move(r);
    return true;
}

bool AlarmRulesFor(const AlarmRules& rules, const InstrumentKey& instrument,
                   const ParamBlock& settings, std::span<const ChannelLimitOverride> overrides,
                   InstrumentAlarmRules& out, std::string& problem) {
    const InstrumentTypeId type = instrument.model;
    std::vector<const AlarmRuleSection*> applying;
    for (const AlarmRuleSection& s : rules.sections) {
        if (Applies(s, instrument)) applying.push_back(&s);
    }
    std::stable_sort(applying.begin(), applying.end(),
                     [](const AlarmRuleSection* a, const AlarmRuleSection* b) {
                         return Particularity(*a) < Particularity(*b);
                     });
    InstrumentAlarmRules result;
    // A lost or silent section without a delay: at once.
    for (const AlarmRuleSection* s : applying) {
        std::optional<int64_t>* delay = s->kind == AlarmRuleKind::kLost     ? &result.lostDelay
                                        : s->kind == AlarmRuleKind::kSilent ? &result.silentDelay
                                                                            : nullptr;
        if (delay) *delay = s->values.delay.value_or(delay->value_or(0));
    }
    const RecordUnits units = RecordUnitsOf(settings.UnitByte(), type);
    const AlarmLimits own = AlarmLimitsOf(settings, type);
    for (const int series : SeriesList(type)) {
        const size_t i = static_cast<size_t>(series);
        const std::string id = units.ids[i];
        const int decimals = CellDecimals(series, units);
        ChannelAlarmRule rule;
        rule.series = series;
        rule.channel = id;
        // The instrument's limits as its values are shown.
        if (std::optional<SeriesLimits> l = AlarmLinesOf(own, type, series)) {
            if (l->low) l->low = ShownValue(*l->low, decimals);
            if (l->high) l->high = ShownValue(*l->high, decimals);
            rule.limits = *l;
        }
        AlarmRuleValues v;
        const AlarmRuleSection* named = nullptr;
        for (const AlarmRuleSection* s : applying) {
            if (s->kind != AlarmRuleKind::kChannel || s->channel != id) continue;
            named = s;
            Take(v.high, s->values.high);
            Take(v.low, s->values.low);
            Take(v.warnHigh, s->values.warnHigh);
            Take(v.warnLow, s->values.warnLow);
            Take(v.deadband, s->values.deadband);
            Take(v.delay, s->values.delay);
            Take(v.excursionEvery, s->values.excursionEvery);
        }
        if (v.high || v.low) rule.ownLimits = false;
        Take(rule.limits.high, v.high);
        Take(rule.limits.low, v.low);
        for (const ChannelLimitOverride& o : overrides) {
            if (EqualsIgnoreCase(o.channel, id)) {
                rule.limits = o.limits;
                rule.ownLimits = false;
            }
        }
        rule.warnHigh = v.warnHigh;
        rule.warnLow = v.warnLow;
        rule.delay = v.delay.value_or(0);
        rule.deadband = v.deadband.value_or(0);
        rule.excursionEvery = v.excursionEvery.value_or(0);
        rule.line = named ? named->line : 0;
        if (!rule.limits.low && !rule.limits.high && !rule.warnHigh && !rule.warnLow) continue;
        const std::string where =
            named ? StrFormat(Tr("第%d行: [%s] "), named->line, named->title.c_str())
                  : std::string();
        const LimitRange range = PlausibleLimitRange(series, units);
        for (const std::optional<double>& level :
             {rule.limits.low, rule.limits.high, rule.warnLow, rule.warnHigh}) {
            if (level && !range.Contains(*level)) {
                problem = where + StrFormat(Tr("%s %s: 这个通道的限值在 %s 和 %s %s 之间"),
                                            InstrumentName(instrument).c_str(), id.c_str(),
                                            LimitFigureText(range.low, decimals).c_str(),
                                            LimitFigureText(range.high, decimals).c_str(),
                                            units.units[i]);
                return false;
            }
        }
        const char* outside = nullptr;
        if (rule.limits.low && rule.limits.high && *rule.limits.low > *rule.limits.high)
            outside = TrNoop("low 大于 high");
        else if (rule.warnHigh && rule.limits.high && *rule.warnHigh > *rule.limits.high)
            outside = TrNoop("warn-high 在报警限值外: 大于 high");
        else if (rule.warnLow && rule.limits.low && *rule.warnLow < *rule.limits.low)
            outside = TrNoop("warn-low 在报警限值外: 小于 low");
        else if (rule.warnLow && rule.warnHigh && *rule.warnLow > *rule.warnHigh)
            outside = TrNoop("warn-low 大于 warn-high");
        if (outside) {
            problem =
                where +
                StrFormat(
                    Tr("%s %s: %s (限值 %s..%s)"), InstrumentName(instrument).c_str(), id.c_str(),
                    Tr(outside),
                    rule.limits.low ? LimitFigureText(*rule.limits.low, decimals).c_str() : "",
                    rule.limits.high ? LimitFigureText(*rule.limits.high, decimals).c_str() : "");
            return false;
        }
        result.channels.push_back(std::move(rule));
    }
    out = std::move(result);
    return true;
}

std::string AlarmDurationText(int64_t seconds) {
    std::string s;
    if (seconds >= 3600) s += StrFormat("%lldh", static_cast<long long>(seconds / 3600));
    if (seconds % 3600 >= 60) s += StrFormat("%lldm", static_cast<long long>(seconds % 3600 / 60));
    if (seconds % 60 != 0 || seconds == 0)
        s += StrFormat("%llds", static_cast<long long>(seconds % 60));
    return s;
}

}  // namespace qx
