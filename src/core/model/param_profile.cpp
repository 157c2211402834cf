#include "param_profile.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "language.h"
#include "text_util.h"

namespace qx {
namespace {

// Which models show a key: every model, or those whose editor shows a section.
enum class Group {
    kAll,
    kLedAlarm,
    kTemperature,
    kHumidity,
    kSound,
    kSpeedWeighting,
    kCo2,
    kFormaldehyde,
    kPressure,
    kFlow,
    kStartDelay,
};

bool GroupShown(Group g, InstrumentTypeId t) {
    using S = EditorSection;
    switch (g) {
        case Group::kAll:
            return true;
        case Group::kLedAlarm:
            return EditorShows(S::kLedAlarm, t);
        case Group::kTemperature:
            return EditorShows(S::kTemperature, t);
        case Group::kHumidity:
            return EditorShows(S::kHumidity, t);
        case Group::kSound:
            return EditorShows(S::kSoundLimits, t);
        case Group::kSpeedWeighting:
            return EditorShows(S::kSpeedWeighting, t);
        case Group::kCo2:
            return Model(t).gas == GasKind::kCo2;
        case Group::kFormaldehyde:
            return Model(t).gas == GasKind::kFormaldehyde;
        case Group::kPressure:
            return EditorShows(S::kPressure, t);
        case Group::kFlow:
            return EditorShows(S::kFlow, t);
        case Group::kStartDelay:
            return EditorShows(S::kStartDelay, t);
    }
    return false;
}

struct KeyInfo {
    const char* name;
    Group group;
    const char* label;
};

// The last two are not listed: "interval" carries the unit in profiles, and gas limits name
// their gas.
constexpr KeyInfo kKeys[] = {
    {"address", Group::kAll, TrNoop("仪器地址")},
    {"number", Group::kAll, TrNoop("仪器编号")},
    {"name", Group::kAll, TrNoop("测量名称")},
    {"count", Group::kAll, TrNoop("设定记录总数")},
    {"interval", Group::kAll, TrNoop("采样间隔")},
    {"led", Group::kLedAlarm, TrNoop("工作LED闪烁")},
    {"alarm-mode", Group::kLedAlarm, TrNoop("报警方式")},
    {"temp-unit", Group::kTemperature, TrNoop("温度测量单位")},
    {"temp-low", Group::kTemperature, TrNoop("温度报警低值")},
    {"temp-high", Group::kTemperature, TrNoop("温度报警高值")},
    {"hum-low", Group::kHumidity, TrNoop("湿度报警低值")},
    {"hum-high", Group::kHumidity, TrNoop("湿度报警高值")},
    {"sound-low", Group::kSound, TrNoop("噪声报警低值")},
    {"sound-high", Group::kSound, TrNoop("噪声报警高值")},
    {"speed", Group::kSpeedWeighting, TrNoop("采样速度")},
    {"weighting", Group::kSpeedWeighting, TrNoop("声级")},
    {"co2-high", Group::kCo2, TrNoop("CO2报警值")},
    {"hcho-high", Group::kFormaldehyde, TrNoop("甲醛报警值")},
    {"pressure-unit", Group::kPressure, TrNoop("气压测量单位")},
    {"flow-unit", Group::kFlow, TrNoop("流量测量单位")},
    {"flow-c1", Group::kFlow, TrNoop("流量计算参数1")},
    {"flow-c2", Group::kFlow, TrNoop("流量计算参数2")},
    {"flow-c3", Group::kFlow, TrNoop("流量计算参数3")},
    {"start", Group::kAll, TrNoop("立即/手动")},
    {"start-delay", Group::kStartDelay, TrNoop("延时")},
    {"interval-unit", Group::kAll, TrNoop("采样间隔")},
    {"gas-high", Group::kAll, ""},
};
constexpr size_t kListedKeys = std::size(kKeys) - 2;

const KeyInfo* FindKey(std::string_view key) {
    for (const KeyInfo& k : kKeys) {
        if (key == k.name) return &k;
    }
    return nullptr;
}

// The names the settings take for the editor's lists and radios, by index.
constexpr const char* kLedNames[] = {"off", "measure", "5s", "10s", "20s", "30s", "60s"};
constexpr const char* kAlarmNames[] = {"off", "slow", "fast"};
constexpr const char* kIntervalSuffixes[] = {"s", "min", "h"};

// Index of `value` among `names` (ASCII letters in any case), or among the program's own texts.
int IndexOf(std::string_view value, std::span<const char* const> names,
            std::span<const char* const> texts = {}) {
    for (size_t i = 0; i < names.size(); ++i) {
        if (EqualsIgnoreCase(value, names[i])) return static_cast<int>(i);
    }
    for (size_t i = 0; i < texts.size(); ++i) {
        if (value == texts[i]) return static_cast<int>(i);
    }
    return -1;
}

std::string Joined(std::span<const char* const> names) {
    std::string s;
    for (const char* n : names)
        s += (s.empty() ? "" : "|") + std::string(n);
    return s;
}

// Interval units as written after the number: s, sec, min, h, hour.
int IntervalUnitOf(std::string_view unit) {
    static const char* const kNames[] = {"s", "sec", "min", "h", "hour"};
    static const int kUnits[] = {0, 0, 1, 2, 2};
    const int i = IndexOf(unit, kNames);
    return i < 0 ? -1 : kUnits[i];
}

bool IsUtf8(std::string_view text) {
    return Utf16ToUtf8(Utf8ToUtf16(text)) == text;
}

std::string NumberText(int32_t v) {
    return StrFormat("%d", v);
}

std::string KeyOf(EditorField field) {
    using F = EditorField;
    switch (field) {
        case F::kAddress:
            return "address";
        case F::kNumber:
            return "number";
        case F::kInterval:
            return "interval";
        case F::kName:
            return "name";
        case F::kTemperatureLow:
            return "temp-low";
        case F::kTemperatureHigh:
            return "temp-high";
        case F::kHumidityLow:
            return "hum-low";
        case F::kHumidityHigh:
            return "hum-high";
        case F::kGasLimit:
            return "gas-high";  // the caller names the model's gas
        case F::kSoundLow:
            return "sound-low";
        case F::kSoundHigh:
            return "sound-high";
        case F::kFlow1:
            return "flow-c1";
        case F::kFlow2:
            return "flow-c2";
        case F::kFlow3:
            return "flow-c3";
        case F::kStartDelay:
            return "start-delay";
    }
    return "?";
}

// A gas limit key given to a model that measures the other gas: its number means another
// quantity there (5 ppm CO2 is no formaldehyde limit). Empty otherwise.
std::string GasMismatchMessage(std::string_view key, InstrumentTypeId type) {
    const GasKind gas = Model(type).gas;
    if (key == "co2-high" && gas == GasKind::kFormaldehyde) {
        return StrFormat(Tr("%s: %s测甲醛, 不能用CO2报警值(ppm)!"), "co2-high",
                         ModelName(type).c_str());
    }
    if (key == "hcho-high" && gas == GasKind::kCo2) {
        return StrFormat(Tr("%s: %s测CO2, 不能用甲醛报警值(mg/m3)!"), "hcho-high",
                         ModelName(type).c_str());
    }
    return {};
}

bool HasControlByte(std::string_view text) {
    return std::any_of(text.begin(), text.end(), [](char c) {
        const auto b = static_cast<unsigned char>(c);
        return b < 0x20 || b == 0x7F;
    });
}

// Settings compare as numbers where both are one (05 is 5, 0.50 is 0.5), with what follows the
// number ("min" of "5min") as text; the number and the name only as text.
bool SameSetting(std::string_view key, const std::string& a, const std::string& b) {
    if (a == b) return true;
    if (IsIdentityKey(key)) return false;
    char* endA = nullptr;
    char* endB = nullptr;
    const double x = std::strtod(a.c_str(), &endA);
    const double y = std::strtod(b.c_str(), &endB);
    if (endA == a.c_str() || endB == b.c_str()) return false;
    return std::fabs(x - y) <= 1e-9 * std::max(1.0, std::fabs(x)) && EqualsIgnoreCase(endA, endB);
}

}  // namespace

std::span<const char* const> ParamKeyNames() {
    static const auto names = [] {
        std::array<const char*, kListedKeys> a{};
        for (size_t i = 0; i < kListedKeys; ++i)
            a[i] = kKeys[i].name;
        return a;
    }();
    return names;
}

bool IsParamKey(std::string_view key) {
    return FindKey(key) != nullptr;
}

bool ModelHasParamKey(std::string_view key, InstrumentTypeId type) {
    if (key == "gas-high") return !GasKeyOf(type).empty();
    const KeyInfo* k = FindKey(key);
    return k && GroupShown(k->group, type);
}

std::string ParamKeyLabel(std::string_view key) {
    const KeyInfo* k = FindKey(key);
    return k && *k->label ? Tr(k->label) : std::string(key);
}

std::string_view GasKeyOf(InstrumentTypeId type) {
    switch (Model(type).gas) {
        case GasKind::kCo2:
            return "co2-high";
        case GasKind::kFormaldehyde:
            return "hcho-high";
        case GasKind::kNone:
            break;
    }
    return {};
}

bool IsIdentityKey(std::string_view key) {
    return key == "number" || key == "name";
}

std::string ParamKeyRange(std::string_view key, InstrumentTypeId type) {
    if (!ModelHasParamKey(key, type)) return {};
    const int maxCount = EditorMaxRecordCount(type);
    if (key == "address") return "1..254";
    if (key == "number") return Tr("<=10个字母或数字");
    if (key == "name") return Tr("<=18个英文或汉字");
    if (key == "count")
        return StrFormat("1..%d", maxCount) + (HasCyclicRecording(type) ? "|cyclic" : "");
    if (key == "interval") return "1..60s|1..60min|1..24h";
    if (key == "interval-unit") return "s|min|h";
    if (key == "led") return Joined(kLedNames);
    if (key == "alarm-mode") return Joined(kAlarmNames);
    if (key == "temp-unit") return "C|F";
    if (key == "temp-low" || key == "temp-high") return "-40..80 (C), -40..176 (F)";
    if (key == "hum-low" || key == "hum-high") return "0..100";
    if (key == "sound-low" || key == "sound-high") return "0..150";
    if (key == "speed") return "fast|slow";
    if (key == "weighting") return "A|C";
    if (key == "co2-high") return "1..9999 ppm";
    if (key == "hcho-high") return "0.01..10 mg/m3";
    if (key == "gas-high") return ParamKeyRange(GasKeyOf(type), type);
    if (key == "pressure-unit") return Joined(PressureUnitChoices(type));
    if (key == "flow-unit") return Joined(kFlowUnitChoices);
    if (key == "flow-c1") return "-9.999..9.999";
    if (key == "flow-c2") return "-9.9999..9.9999";
    if (key == "flow-c3") return "-99.999..99.999";
    if (key == "start") return "immediate|manual";
    if (key == "start-delay") return "0..1000";
    return {};
}

ParamSettings::ParamSettings(const ParamBlock& block, InstrumentTypeId type)
    : type_(type), base_(block) {
    // As the editor opens a block: one never written opens with the defaults.
    const ParamBlock shown = block.SetTime() == 0 ? DefaultParamBlock(type) : block;
    if (EditorShows(EditorSection::kTemperature, type)) {
        limitField_[0] = shown.U16(param::kLowLimit);
        limitField_[1] = shown.U16(param::kHighLimit);
    }
    FillEditorValues(values_, shown, type);
    values_.cyclic =
        HasCyclicRecording(type) && shown.RecordCountSetting() == param::kCyclicSetting;
    const ParamEditorValues& v = values_;
    texts_.address = StrFormat("%u", v.address);
    // Each number byte one character of the same code point.
    texts_.number = Utf8ToUtf16(Latin1ToUtf8(shown.NumberLatin1()));
    texts_.interval = StrFormat("%u", v.interval);
    texts_.name = v.name;
    texts_.temperatureLow = NumberText(v.temperatureLow);
    texts_.temperatureHigh = NumberText(v.temperatureHigh);
    texts_.humidityLow = NumberText(v.humidityLow);
    texts_.humidityHigh = NumberText(v.humidityHigh);
    texts_.gasLimit = Model(type).gas == GasKind::kFormaldehyde
                          ? FieldFloatText(v.formaldehydeLimit)
                          : NumberText(v.co2Limit);
    texts_.soundLow = NumberText(v.soundLow);
    texts_.soundHigh = NumberText(v.soundHigh);
    texts_.flow1 = FieldFloatText(v.flow.c1);
    texts_.flow2 = FieldFloatText(v.flow.c2);
    texts_.flow3 = FieldFloatText(v.flow.c3);
    texts_.startDelay = NumberText(v.startDelay);
}

bool ParamSettings::Set(std::string_view key, std::string_view value, std::string& problem) {
    if (key == "gas-high" && ModelHasParamKey(key, type_)) {
        if (!Set(GasKeyOf(type_), value, problem)) return false;
        gasKeyName_ = key;
        return true;
    }
    if (!SetValue(key, value, problem)) return false;
    if (key == GasKeyOf(type_)) gasKeyName_ = key;
    Given(key == "interval-unit" ? std::string_view("interval") : key);
    return true;
}

void ParamSettings::Given(std::string_view key) {
    if (std::find(given_.begin(), given_.end(), key) == given_.end()) given_.emplace_back(key);
}

bool ParamSettings::SetGroup(std::span<const ParamSetting> settings, std::string& problem) {
    ParamSettings next = *this;
    // The group's unit first, so that its limits are taken in it whatever their order; only the
    // last unit counts, the others are checked.
    const ParamSetting* unit = nullptr;
    for (const ParamSetting& s : settings) {
        if (s.first != "temp-unit") continue;
        if (unit) {
            ParamSettings scratch = *this;
            if (!scratch.Set(unit->first, unit->second, problem)) return false;
        }
        unit = &s;
    }
    if (unit && !next.Set(unit->first, unit->second, problem)) return false;
    for (const ParamSetting& s : settings) {
        if (s.first == "temp-unit") continue;
        if (!next.Set(s.first, s.second, problem)) return false;
    }
    *this = std::move(next);
    return true;
}

bool ParamSettings::SetValue(std::string_view key, std::string_view rawValue,
                             std::string& problem) {
    const std::string k(key);
    if (!IsParamKey(key)) {
        problem = StrFormat(Tr("%s: 没有这个参数名"), k.c_str());
        return false;
    }
    if (const std::string m = GasMismatchMessage(key, type_); !m.empty()) {
        problem = m;
        return false;
    }
    if (!ModelHasParamKey(key, type_)) {
        problem = StrFormat(Tr("%s: %s没有这个参数"), k.c_str(), ModelName(type_).c_str());
        return false;
    }
    const std::string value = Trim(rawValue);
    auto refuse = [&](const std::string& allowed) {
        problem =
            StrFormat(Tr("%s: 不能识别\"%s\", 应为 %s"), k.c_str(), value.c_str(), allowed.c_str());
        return false;
    };
    auto choose = [&](int& out, std::span<const char* const> names,
                      std::span<const char* const> texts = {}) {
        const int i = IndexOf(value, names, texts);
        if (i < 0) return refuse(Joined(names));
        out = i;
        return true;
    };

    if (key == "number" || key == "name") {
        if (!IsUtf8(value)) {
            problem = StrFormat(Tr("%s: 不是有效的UTF-8文字"), k.c_str());
            return false;
        }
        std::u16string units = Utf8ToUtf16(value);
        if (key == "number") {
            // One byte per character on the instrument.
            for (char16_t u : units) {
                if (u == 0 || u > 0xFF) {
                    problem = StrFormat(Tr("%s: 仪器编号中每个字符只占一个字节, 请输入字母或数字"),
                                        k.c_str());
                    return false;
                }
                // Letters, digits, '-' or '_': a space or another sign would make a number
                // that the instrument's name on a command line, lists and file names cannot
                // carry unchanged.
                const bool letter = (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') ||
                                    (u >= 0xC0 && u != 0xD7 && u != 0xF7);
                if (!letter && !(u >= '0' && u <= '9') && u != '-' && u != '_') {
                    problem = StrFormat(Tr("%s: 仪器编号只能有字母、数字、- 或 _, 不能有 '%s'"),
                                        k.c_str(), Utf16ToUtf8(std::u16string(1, u)).c_str());
                    return false;
                }
            }
            texts_.number = std::move(units);
            numberSet_ = true;
        } else {
            texts_.name = std::move(units);
            nameSet_ = true;
        }
        return true;
    }
    if (key == "count") {
        if (EqualsIgnoreCase(value, "cyclic")) {
            if (!HasCyclicRecording(type_)) {
                problem = StrFormat(Tr("%s: %s没有循环记录"), k.c_str(), ModelName(type_).c_str());
                return false;
            }
            values_.cyclic = true;
        } else {
            values_.cyclic = false;
            values_.recordCountText = value;
        }
        countSet_ = true;
        return true;
    }
    if (key == "interval" || key == "interval-unit") {
        const size_t digits =
            std::find_if(value.begin(), value.end(), [](char c) { return (c < '0' || c > '9'); }) -
            value.begin();
        const std::string unitText =
            Trim(std::string_view(value).substr(key == "interval" ? digits : 0));
        int unit = values_.intervalUnit;
        if (!unitText.empty() || key == "interval-unit") {
            unit = IntervalUnitOf(unitText);
            if (unit < 0) {
                return refuse(key == "interval" ? Tr("30s, 5min, 2h 或数字") : "s|min|h");
            }
        }
        if (key == "interval") texts_.interval = value.substr(0, digits);
        values_.intervalUnit = unit;
        intervalSet_ = true;
        return true;
    }
    if (key == "led") {
        // A profile may name the choices as the Chinese list does, whatever the language.
        static const char* const kTexts[] = {NoTr("无"),      NoTr("检测时闪"), NoTr("每隔5s"),
                                             NoTr("每隔10s"), NoTr("每隔20s"),  NoTr("每隔30s"),
                                             NoTr("每隔60s")};
        return choose(values_.led, kLedNames, kTexts);
    }
    if (key == "alarm-mode") return choose(values_.alarmMode, kAlarmNames, kAlarmModeNames);
    if (key == "temp-unit") {
        static const char* const kNames[] = {"C", "F"};
        static const char* const kTexts[] = {"℃", "℉"};
        int unit = 0;
        if (!choose(unit, kNames, kTexts)) return false;
        // The limits shown follow the unit, so that they keep meaning the same temperature.
        if (unit != values_.temperatureUnit) {
            std::string* texts[] = {&texts_.temperatureLow, &texts_.temperatureHigh};
            for (int i = 0; i < 2; ++i) {
                if (const std::optional<int32_t> x = ParseFieldInt(*texts[i])) {
                    if (!limitField_[i]) {
                        limitField_[i] = TemperatureLimitField(*x, values_.temperatureUnit);
                    }
                    *texts[i] =
                        NumberText(ConvertTemperatureLimit(*x, values_.temperatureUnit, unit));
                }
            }
            values_.temperatureUnit = unit;
        }
        temperatureSet_[0] = temperatureSet_[1] = true;
        return true;
    }
    if (key == "speed") {
        static const char* const kNames[] = {"fast", "slow"};
        static const char* const kTexts[] = {NoTr("快速"), NoTr("慢速")};
        return choose(values_.speed, kNames, kTexts);
    }
    if (key == "weighting") {
        static const char* const kNames[] = {"A", "C"};
        static const char* const kTexts[] = {NoTr("A级"), NoTr("C级")};
        return choose(values_.weighting, kNames, kTexts);
    }
    if (key == "pressure-unit") return choose(values_.pressureUnit, PressureUnitChoices(type_));
    if (key == "flow-unit") return choose(values_.flowUnit, kFlowUnitChoices);
    if (key == "start") {
        static const char* const kNames[] = {"manual", "immediate"};
        static const char* const kTexts[] = {NoTr("手动测量"), NoTr("立即测量")};
        return choose(values_.startMode, kNames, kTexts);
    }

    // The number fields: their texts go to the editor's validation as typed.
    struct TextKey {
        const char* key;
        std::string EditorFieldTexts::*text;
    };
    static const TextKey kTextKeys[] = {
        {"address", &EditorFieldTexts::address},
        {"temp-low", &EditorFieldTexts::temperatureLow},
        {"temp-high", &EditorFieldTexts::temperatureHigh},
        {"hum-low", &EditorFieldTexts::humidityLow},
        {"hum-high", &EditorFieldTexts::humidityHigh},
        {"sound-low", &EditorFieldTexts::soundLow},
        {"sound-high", &EditorFieldTexts::soundHigh},
        {"co2-high", &EditorFieldTexts::gasLimit},
        {"hcho-high", &EditorFieldTexts::gasLimit},
        {"flow-c1", &EditorFieldTexts::flow1},
        {"flow-c2", &EditorFieldTexts::flow2},
        {"flow-c3", &EditorFieldTexts::flow3},
        {"start-delay", &EditorFieldTexts::startDelay},
    };
    for (const TextKey& t : kTextKeys) {
        if (key != t.key) continue;
        texts_.*t.text = value;
        for (int i = 0; i < 2; ++i) {
            if (key == (i == 0 ? "temp-low" : "temp-high")) {
                temperatureSet_[i] = true;
                limitField_[i].reset();
            }
        }
        return true;
    }
    problem = StrFormat(Tr("%s: 没有这个参数名"), k.c_str());
    return false;
}

std::string ParamSettings::Value(std::string_view key) const {
    if (!ModelHasParamKey(key, type_)) return {};
    const ParamEditorValues& v = values_;
    auto named = [](int i, std::span<const char* const> names) {
        return i >= 0 && static_cast<size_t>(i) < names.size() ? std::string(names[i])
                                                               : std::string();
    };
    if (key == "address") return texts_.address;
    if (key == "number") return Utf16ToUtf8(texts_.number);
    if (key == "name") return Utf16ToUtf8(texts_.name);
    if (key == "count") return v.cyclic ? "cyclic" : v.recordCountText;
    if (key == "interval") return texts_.interval + named(v.intervalUnit, kIntervalSuffixes);
    if (key == "interval-unit") return named(v.intervalUnit, kIntervalSuffixes);
    if (key == "led") return named(v.led, kLedNames);
    if (key == "alarm-mode") return named(v.alarmMode, kAlarmNames);
    if (key == "temp-unit") return v.temperatureUnit == 1 ? "F" : "C";
    if (key == "temp-low") return texts_.temperatureLow;
    if (key == "temp-high") return texts_.temperatureHigh;
    if (key == "hum-low") return texts_.humidityLow;
    if (key == "hum-high") return texts_.humidityHigh;
    if (key == "sound-low") return texts_.soundLow;
    if (key == "sound-high") return texts_.soundHigh;
    if (key == "speed") return v.speed == 1 ? "slow" : "fast";
    if (key == "weighting") return v.weighting == 1 ? "C" : "A";
    if (key == "co2-high" || key == "hcho-high") return texts_.gasLimit;
    if (key == "gas-high") return Value(GasKeyOf(type_));
    if (key == "pressure-unit") return named(v.pressureUnit, PressureUnitChoices(type_));
    if (key == "flow-unit") return named(v.flowUnit, kFlowUnitChoices);
    if (key == "flow-c1") return texts_.flow1;
    if (key == "flow-c2") return texts_.flow2;
    if (key == "flow-c3") return texts_.flow3;
    if (key == "start") return v.startMode == 1 ? "immediate" : "manual";
    if (key == "start-delay") return texts_.startDelay;
    return {};
}

bool ParamSettings::Encode(int16_t timeZoneBias, ParamBlock& block, std::string& problem) const {
    // The checks the editor makes while the user types, for the values that were set.
    if (intervalSet_) {
        if (const std::optional<int32_t> x = ParseFieldInt(texts_.interval)) {
            const std::string m = IntervalRangeMessage(*x, values_.intervalUnit);
            if (!m.empty()) return problem = "interval: " + m, false;
        }
    }
    if (countSet_ && !values_.cyclic) {
        const std::optional<int32_t> n = ParseFieldInt(values_.recordCountText);
        if (!n) return problem = std::string("count: ") + Tr("请输入一个正整数。"), false;
        const std::string m = RecordCountRangeMessage(*n, EditorMaxRecordCount(type_));
        if (!m.empty()) return problem = "count: " + m, false;
    }
    if (EditorShows(EditorSection::kTemperature, type_)) {
        const std::string* texts[] = {&texts_.temperatureLow, &texts_.temperatureHigh};
        for (int i = 0; i < 2; ++i) {
            const std::optional<int32_t> x = ParseFieldInt(*texts[i]);
            if (!temperatureSet_[i] || !x) continue;
            const std::string m = TemperatureRangeMessage(*x, values_.temperatureUnit);
            if (!m.empty()) return problem = (i == 0 ? "temp-low: " : "temp-high: ") + m, false;
        }
    }

    // Then OK: every field in the editor's order, and the editor's encoding. A number or name
    // no setting gave is kept byte for byte as the block holds it, so it is not checked as if
    // typed (a block written by other software may hold anything there).
    EditorFieldTexts texts = texts_;
    if (!numberSet_) texts.number.clear();
    if (!nameSet_) texts.name.clear();
    ParamEditorValues v = values_;
    if (const std::optional<EditorFieldError> error = TakeEditorFields(texts, type_, v)) {
        const std::string key = error->field == EditorField::kGasLimit && !gasKeyName_.empty()
                                    ? gasKeyName_
                                    : KeyOf(error->field);
        problem = key + ": " + error->message;
        return false;
    }
    ParamBlock out = base_;
    EncodeEditorValues(v, type_, timeZoneBias, out);
    if (!numberSet_) {
        std::memcpy(out.bytes.data() + param::kNumber, base_.bytes.data() + param::kNumber,
                    param::kNumberLength);
    }
    if (!nameSet_) {
        std::memcpy(out.bytes.data() + param::kName, base_.bytes.data() + param::kName,
                    2 * param::kNameLength);
    }
    const size_t fields[] = {param::kLowLimit, param::kHighLimit};
    for (int i = 0; i < 2; ++i) {
        if (limitField_[i]) out.SetU16(fields[i], *limitField_[i]);
    }
    block = out;
    return true;
}

std::string ProfileText(const ParamBlock& block, InstrumentTypeId type, bool withIdentity,
                        std::vector<std::string>* omitted) {
    const ParamSettings settings(block, type);
    std::string text = "[qxlog-profile]\nmodel=" + ModelName(type) + "\n";
    for (const char* key : ParamKeyNames()) {
        if (!ModelHasParamKey(key, type) || (!withIdentity && IsIdentityKey(key))) continue;
        const std::string value = settings.Value(key);
        if (value.empty()) continue;
        if (HasControlByte(value)) {
            if (omitted) omitted->push_back(key);
            continue;
        }
        text += std::string(key) + "=" + value + "\n";
    }
    return text;
}

bool ParseProfile(std::string_view text, ParamProfile& profile, std::string& problem) {
    ParamProfile p;
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    if (!IsUtf8(text)) {
        problem = Tr("配置文件不是UTF-8文字");
        return false;
    }
    bool inSection = false, sectionSeen = false;
    int lineNumber = 0;
    std::vector<int> lines;  // of the settings
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
            inSection = line == "[qxlog-profile]";
            if (!inSection)
                return fail(StrFormat(Tr("不认识的段 %s, 应为 [qxlog-profile]"), line.c_str()));
            sectionSeen = true;
            continue;
        }
        if (!inSection) return fail(Tr("参数应在 [qxlog-profile] 段内"));
        const size_t eq = line.find('=');
        if (eq == std::string::npos) return fail(StrFormat(Tr("应为 KEY=VALUE: %s"), line.c_str()));
        const std::string key = Trim(std::string_view(line).substr(0, eq));
        const std::string value = Trim(std::string_view(line).substr(eq + 1));
        if (key == "model") {
            p.modelName = value;
            p.model = ModelFromName(value);
            if (p.model == kNoModel) return fail(StrFormat(Tr("不认识的型号 %s"), value.c_str()));
            continue;
        }
        if (!IsParamKey(key)) return fail(StrFormat(Tr("%s: 没有这个参数名"), key.c_str()));
        for (const auto& [k, v] : p.settings) {
            if (k == key) return fail(StrFormat(Tr("%s: 参数重复"), key.c_str()));
        }
        p.settings.emplace_back(key, value);
        lines.push_back(lineNumber);
    }
    if (!sectionSeen) {
        problem = Tr("配置文件中没有 [qxlog-profile] 段");
        return false;
    }
    // gas-high, as profiles used to write it, is the gas limit of the profile's model.
    for (size_t i = 0; i < p.settings.size(); ++i) {
        std::string& key = p.settings[i].first;
        if (key != "gas-high") continue;
        const std::string_view gasKey = GasKeyOf(p.model);
        const bool twice = std::any_of(p.settings.begin(), p.settings.end(),
                                       [&](const ParamSetting& s) { return s.first == gasKey; });
        if (gasKey.empty() || twice) {
            problem = StrFormat(
                Tr("第%d行: %s"), lines[i],
                (gasKey.empty() ? StrFormat(Tr("%s: 配置文件没有写明测CO2或甲醛的型号(model=), "
                                               "请改用 co2-high 或 hcho-high"),
                                            key.c_str())
                                : StrFormat(Tr("%s: 参数重复"), std::string(gasKey).c_str()))
                    .c_str());
            return false;
        }
        key = gasKey;
    }
    profile = std::move(p);
    return true;
}

bool ProfileSettingsFor(const ParamProfile& profile, InstrumentTypeId type,
                        std::vector<ParamSetting>& settings, std::vector<std::string>& skipped,
                        std::string& problem) {
    std::vector<ParamSetting> taken;
    std::vector<std::string> left;
    for (const auto& [key, value] : profile.settings) {
        if (std::string m = GasMismatchMessage(key, type); !m.empty()) {
            problem = std::move(m);
            return false;
        }
        if (!ModelHasParamKey(key, type)) {
            left.push_back(key);
        } else if (key == "count" && EqualsIgnoreCase(value, "cyclic") &&
                   !HasCyclicRecording(type)) {
            left.push_back("count=cyclic");
        } else {
            taken.emplace_back(key, value);
        }
    }
    settings = std::move(taken);
    skipped = std::move(left);
    return true;
}

std::optional<SettingDifference> ReadBackDifference(const ParamSettings* asked,
                                                    const ParamBlock& written,
                                                    const ParamBlock& held, InstrumentTypeId type) {
    const ParamSettings w(written, type), h(held, type);
    for (const char* key : ParamKeyNames()) {
        if (!ModelHasParamKey(key, type)) continue;
        const bool given = asked && std::find(asked->GivenKeys().begin(), asked->GivenKeys().end(),
                                              key) != asked->GivenKeys().end();
        const std::string want = given ? asked->Value(key) : w.Value(key);
        const std::string got = h.Value(key);
        if (!SameSetting(key, want, got)) return SettingDifference{key, want, got};
    }
    // The limits show in whole degrees; their fields keep tenths of a degree Celsius.
    if (EditorShows(EditorSection::kTemperature, type)) {
        auto celsius = [](uint16_t raw) { return FormatFixed(raw / 10.0 - 40, 1) + "℃"; };
        const std::pair<size_t, const char*> limits[] = {{param::kLowLimit, "temp-low"},
                                                         {param::kHighLimit, "temp-high"}};
        for (const auto& [offset, key] : limits) {
            if (written.U16(offset) != held.U16(offset)) {
                return SettingDifference{key, celsius(written.U16(offset)),
                                         celsius(held.U16(offset))};
            }
        }
    }
    return std::nullopt;
}

std::string ReadBackMessage(const SettingDifference& d) {
    return StrFormat(Tr("参数写入后读回检查不一致: %s 应为 %s, 仪器中为 %s!"),
                     ParamKeyLabel(d.key).c_str(), d.asked.c_str(), d.held.c_str());
}

}  // namespace qx
