#include "param_profile.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

#include "language.h"
#include "text_util.h"

namespace qx {
namespace {

bool Any(InstrumentTypeId t, std::initializer_list<InstrumentTypeId> types) {
    return std::find(types.begin(), types.end(), t) != types.end();
}

// Which models show a key, by the editor's groups.
enum class Group {
    kAll,
    kLedAlarm,
    kTemperature,
    kHumidity,
    kSound,
    kSpeedWeighting,
    kGas,
    kPressure,
    kFlow,
    kStartDelay,
};

bool GroupShown(Group g, InstrumentTypeId t) {
    switch (g) {
        case Group::kAll:
            return true;
        case Group::kLedAlarm:
            return !Any(t, {2, 3, 5, 6, 7, 8, 11});
        case Group::kTemperature:
            return !Any(t, {7, 9});
        case Group::kHumidity:
            return !Any(t, {4, 7, 9, 10});
        case Group::kSound:
            return t == 9;
        case Group::kSpeedWeighting:
            return t == 7;
        case Group::kGas:
            return Any(t, {8, 11});
        case Group::kPressure:
            return Any(t, {5, 6});
        case Group::kFlow:
            return t == 6;
        case Group::kStartDelay:
            return t == 10;
    }
    return false;
}

struct KeyInfo {
    const char* name;
    Group group;
};

// "interval-unit" is not listed: "interval" carries the unit in profiles.
constexpr KeyInfo kKeys[] = {
    {"address", Group::kAll},
    {"number", Group::kAll},
    {"name", Group::kAll},
    {"count", Group::kAll},
    {"interval", Group::kAll},
    {"led", Group::kLedAlarm},
    {"alarm-mode", Group::kLedAlarm},
    {"temp-unit", Group::kTemperature},
    {"temp-low", Group::kTemperature},
    {"temp-high", Group::kTemperature},
    {"hum-low", Group::kHumidity},
    {"hum-high", Group::kHumidity},
    {"sound-low", Group::kSound},
    {"sound-high", Group::kSound},
    {"speed", Group::kSpeedWeighting},
    {"weighting", Group::kSpeedWeighting},
    {"gas-high", Group::kGas},
    {"pressure-unit", Group::kPressure},
    {"flow-unit", Group::kFlow},
    {"flow-c1", Group::kFlow},
    {"flow-c2", Group::kFlow},
    {"flow-c3", Group::kFlow},
    {"start", Group::kAll},
    {"start-delay", Group::kStartDelay},
    {"interval-unit", Group::kAll},
};
constexpr size_t kListedKeys = std::size(kKeys) - 1;

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

int32_t NearestDegree(double x) {
    return static_cast<int32_t>(std::floor(x + 0.5));
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
            return "gas-high";
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
    const KeyInfo* k = FindKey(key);
    return k && GroupShown(k->group, type);
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
    if (key == "gas-high")
        return Model(type).gas == GasKind::kFormaldehyde ? "0.01..10" : "1..9999";
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

bool ParamSettings::Set(std::string_view key, std::string_view rawValue, std::string& problem) {
    const std::string k(key);
    if (!IsParamKey(key)) {
        problem = StrFormat(Tr("%s: 没有这个参数名"), k.c_str());
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
            }
            texts_.number = std::move(units);
            numberSet_ = true;
        } else {
            texts_.name = std::move(units);
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
            for (std::string* text : {&texts_.temperatureLow, &texts_.temperatureHigh}) {
                if (const std::optional<int32_t> x = ParseFieldInt(*text)) {
                    *text = NumberText(NearestDegree(unit == 1 ? CelsiusToFahrenheit(*x)
                                                               : FahrenheitToCelsius(*x)));
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
        {"gas-high", &EditorFieldTexts::gasLimit},
        {"flow-c1", &EditorFieldTexts::flow1},
        {"flow-c2", &EditorFieldTexts::flow2},
        {"flow-c3", &EditorFieldTexts::flow3},
        {"start-delay", &EditorFieldTexts::startDelay},
    };
    for (const TextKey& t : kTextKeys) {
        if (key != t.key) continue;
        texts_.*t.text = value;
        if (key == "temp-low") temperatureSet_[0] = true;
        if (key == "temp-high") temperatureSet_[1] = true;
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
    if (key == "gas-high") return texts_.gasLimit;
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
    if (GroupShown(Group::kTemperature, type_)) {
        const std::string* texts[] = {&texts_.temperatureLow, &texts_.temperatureHigh};
        for (int i = 0; i < 2; ++i) {
            const std::optional<int32_t> x = ParseFieldInt(*texts[i]);
            if (!temperatureSet_[i] || !x) continue;
            const std::string m = TemperatureRangeMessage(*x, values_.temperatureUnit);
            if (!m.empty()) return problem = (i == 0 ? "temp-low: " : "temp-high: ") + m, false;
        }
    }

    // Then OK: every field in the editor's order, and the editor's encoding.
    ParamEditorValues v = values_;
    if (const std::optional<EditorFieldError> error = TakeEditorFields(texts_, type_, v)) {
        problem = KeyOf(error->field) + ": " + error->message;
        return false;
    }
    ParamBlock out = base_;
    EncodeEditorValues(v, type_, timeZoneBias, out);
    if (!numberSet_) {
        std::memcpy(out.bytes.data() + param::kNumber, base_.bytes.data() + param::kNumber,
                    param::kNumberLength);
    }
    block = out;
    return true;
}

std::string ProfileText(const ParamBlock& block, InstrumentTypeId type) {
    const ParamSettings settings(block, type);
    std::string text = "[qxlog-profile]\nmodel=" + ModelName(type) + "\n";
    for (const char* key : ParamKeyNames()) {
        if (!ModelHasParamKey(key, type)) continue;
        const std::string value = settings.Value(key);
        if (!value.empty()) text += std::string(key) + "=" + value + "\n";
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
            if (p.model == 0) return fail(StrFormat(Tr("不认识的型号 %s"), value.c_str()));
            continue;
        }
        if (!IsParamKey(key)) return fail(StrFormat(Tr("%s: 没有这个参数名"), key.c_str()));
        for (const auto& [k, v] : p.settings) {
            if (k == key) return fail(StrFormat(Tr("%s: 参数重复"), key.c_str()));
        }
        p.settings.emplace_back(key, value);
    }
    if (!sectionSeen) {
        problem = Tr("配置文件中没有 [qxlog-profile] 段");
        return false;
    }
    profile = std::move(p);
    return true;
}

}  // namespace qx
