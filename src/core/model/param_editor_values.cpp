#include "param_editor_values.h"

#include <algorithm>
#include <cfloat>
#include <charconv>
#include <climits>
#include <cmath>

#include "language.h"
#include "text_util.h"

namespace qx {
namespace {

bool IsSoundModel(InstrumentTypeId type) {
    return Model(type).soundOnly;
}
bool Has(InstrumentTypeId type, EditorGroup group) {
    return (Model(type).editorGroups & group) != 0;
}
// Models whose editor hides the humidity limits.
bool HidesHumidity(InstrumentTypeId type) {
    return !Has(type, kEditorHumidity);
}
GasKind Gas(InstrumentTypeId type) {
    return Model(type).gas;
}
// A selection of a list with `count` entries: beyond them, none.
int Selection(int index, size_t count) {
    return index >= 0 && static_cast<size_t>(index) < count ? index : -1;
}
uint16_t RoundedRaw(double x) {
    // + 0.5, truncated toward zero, cut to 16 bits.
    return static_cast<uint16_t>(static_cast<int32_t>(x + 0.5));
}
// Whole degrees to the nearest, halves upward (-9.5 -> -9): a limit stored as -10 °C shows as
// -10 and is stored back unchanged, where truncating -9.5 toward zero would raise it by a degree
// on every OK.
int32_t NearestDegree(double x) {
    return static_cast<int32_t>(std::floor(x + 0.5));
}
bool ShowsTemperature(InstrumentTypeId type) {
    return !IsSoundModel(type);
}
bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}
std::string_view TrimBlanks(std::string_view s) {
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}
bool AllDigits(std::string_view s) {
    return !s.empty() &&
           std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

bool EditorShows(EditorSection section, InstrumentTypeId type) {
    const ModelInfo& m = Model(type);
    switch (section) {
        case EditorSection::kLedAlarm:
            return Has(type, kEditorLedLists);
        case EditorSection::kTemperature:
            return !m.soundOnly;
        case EditorSection::kHumidity:
            return Has(type, kEditorHumidity);
        case EditorSection::kSoundLimits:
            return Has(type, kEditorSoundAlarm);
        case EditorSection::kSpeedWeighting:
            return Has(type, kEditorSoundMeter);
        case EditorSection::kGas:
            return m.gas != GasKind::kNone;
        case EditorSection::kPressure:
            return m.pressureUnits != PressureUnitList::kNone;
        case EditorSection::kFlow:
            return Has(type, kEditorFlow);
        case EditorSection::kCyclic:
            return m.cyclicRecording;
        case EditorSection::kStartDelay:
            return Has(type, kEditorStartDelay);
    }
    return false;
}

int EditorMaxRecordCount(InstrumentTypeId type) {
    const int max = MaxRecordCount(type);
    return max > 0 ? max : 0xFFFF;
}

void FillEditorValues(ParamEditorValues& v, const ParamBlock& b, InstrumentTypeId type) {
    const uint8_t address = b.U8(param::kAddress);
    v.address = address == 0 ? 1u : std::min<uint32_t>(address, 254);
    // Each byte one character of the same code point, as the parameter lists show it.
    v.number = Utf8ToUtf16(Latin1ToUtf8(b.NumberLatin1()));
    v.name = b.Name();
    const int count =
        std::min<int>(std::max<int>(b.RecordCountSetting(), 1), EditorMaxRecordCount(type));
    v.recordCountText = StrFormat("%d", count);

    const uint8_t unitByte = b.UnitByte();
    v.interval = b.U8(param::kIntervalValue);
    v.intervalUnit = Selection(b.U8(param::kIntervalUnit), std::size(kIntervalUnitNames));
    v.pressureUnit = Selection((unitByte >> 4) & 0x03, PressureUnitChoices(type).size());
    v.flowUnit = Selection(unitByte >> 6, std::size(kFlowUnitChoices));
    v.led = std::max(0, LedBlinkIndex(b.U8(param::kLedCode)));

    const int alarmMode = Selection(b.U8(param::kAlarmMode), std::size(kAlarmModeNames));
    if (IsSoundModel(type)) {
        v.soundLow = RoundHalfUp(b.U16(param::kLowLimit) / 10.0);
        v.soundHigh = RoundHalfUp(b.U16(param::kHighLimit) / 10.0);
        if (Has(type, kEditorSoundMeter)) {
            v.speed = std::min<int>(b.U8(param::kUnitByte), 1);
            v.weighting = std::min<int>(b.U8(param::kLowHumidityLimit), 1);
            v.alarmMode = -1;
        } else {
            v.alarmMode =
                alarmMode;  // the sound alarm model shows its alarm mode like the other LED models
        }
    } else {
        const TemperatureLimits limits = TemperatureLimitsOf(b);
        v.temperatureUnit = limits.fahrenheit ? 1 : 0;
        v.temperatureLow = NearestDegree(limits.low);
        v.temperatureHigh = NearestDegree(limits.high);
        v.humidityLow = RoundHalfUp(b.U16(param::kLowHumidityLimit) / 10.0);
        v.humidityHigh = RoundHalfUp(b.U16(param::kHighHumidityLimit) / 10.0);
        if (HidesHumidity(type) && (v.humidityLow < 0 || v.humidityLow > 100 ||
                                    v.humidityHigh < 0 || v.humidityHigh > 100)) {
            v.humidityLow = 10;
            v.humidityHigh = 95;
        }
        if (Has(type, kEditorFlow)) v.flow = DecodeFlowCoefficients(b);
        if (Gas(type) == GasKind::kCo2) v.co2Limit = b.U16(param::kGasLimit);
        if (Has(type, kEditorStartDelay)) v.startDelay = b.U16(param::kStartDelay) / 60;
        if (Gas(type) == GasKind::kFormaldehyde)
            v.formaldehydeLimit = static_cast<float>(b.U16(param::kGasLimit) / 100.0);
        v.alarmMode = alarmMode;
    }
    v.startMode = b.U8(param::kStartMode) != 0 ? 1 : 0;
}

ParamBlock DefaultParamBlock(InstrumentTypeId type) {
    ParamBlock b;
    b.SetU8(param::kAddress, 1);
    b.SetU16(param::kRecordCountSetting, 100);
    b.SetU8(param::kIntervalValue, 5);
    b.SetU8(param::kIntervalUnit, 0);
    b.SetU8(param::kLedCode, 1);
    if (IsSoundModel(type)) {
        b.SetU16(param::kLowLimit, 300);
        b.SetU16(param::kHighLimit, 1300);
    } else {
        b.SetU16(param::kLowLimit, 400);
        b.SetU16(param::kHighLimit, 1100);
        b.SetU16(param::kLowHumidityLimit, 100);
        b.SetU16(param::kHighHumidityLimit, 950);
    }
    if (Gas(type) == GasKind::kFormaldehyde) b.SetU16(param::kGasLimit, 10);
    return b;
}

void EncodeEditorValues(const ParamEditorValues& v, InstrumentTypeId type, int16_t timeZoneBias,
                        ParamBlock& b) {
    b.SetU8(param::kAddress, static_cast<uint8_t>(v.address));
    b.SetNumber(v.number);
    b.SetName(v.name);

    const int max = EditorMaxRecordCount(type);
    const int count = std::min(std::max(LeadingDecimal(v.recordCountText, 19), 1), max);
    b.SetU16(param::kRecordCountSetting, HasCyclicRecording(type) && v.cyclic
                                             ? param::kCyclicSetting
                                             : static_cast<uint16_t>(count));

    b.SetU8(param::kIntervalValue, static_cast<uint8_t>(v.interval));
    // A unit the list could not show stays as it was.
    if (v.intervalUnit >= 0) b.SetU8(param::kIntervalUnit, static_cast<uint8_t>(v.intervalUnit));
    b.SetU8(param::kLedCode, kLedBlinkChoices[static_cast<size_t>(std::clamp(v.led, 0, 6))].code);

    const uint8_t alarmMode = v.alarmMode < 0 ? 255 : static_cast<uint8_t>(v.alarmMode);
    if (!IsSoundModel(type)) {
        int unit = v.temperatureUnit;
        if (!HasCyclicRecording(type)) {
            unit = (v.flowUnit * 4 + v.pressureUnit) * 16 + (unit & 0x0F);
            unit = ((unit % 256) + 256) % 256;
        }
        b.SetU8(param::kUnitByte, static_cast<uint8_t>(unit));

        b.SetU16(param::kLowLimit, TemperatureLimitField(v.temperatureLow, v.temperatureUnit));
        b.SetU16(param::kHighLimit, TemperatureLimitField(v.temperatureHigh, v.temperatureUnit));
        b.SetU16(param::kLowHumidityLimit, RoundedRaw(v.humidityLow * 10.0));
        b.SetU16(param::kHighHumidityLimit, RoundedRaw(v.humidityHigh * 10.0));

        if (StoresTimeZoneBias(type)) {
            b.SetU16(param::kTimeZoneBias, static_cast<uint16_t>(timeZoneBias));
        }
        if (Gas(type) == GasKind::kCo2) {
            b.SetU16(param::kGasLimit, static_cast<uint16_t>(v.co2Limit));
        }
        // Rounded to the nearest hundredth: 0.29 is stored as 29, not as the 28 that truncating
        // its single-precision value would give.
        if (Gas(type) == GasKind::kFormaldehyde) {
            b.SetU16(param::kGasLimit, RoundedRaw(v.formaldehydeLimit * 100.0));
        }
        if (Has(type, kEditorFlow)) EncodeFlowCoefficients(b, v.flow, FlowRounding::kNearest);
        if (Has(type, kEditorStartDelay))
            b.SetU16(param::kStartDelay, static_cast<uint16_t>(v.startDelay * 60));
        b.SetU8(param::kAlarmMode, alarmMode);
    } else {
        b.SetU16(param::kLowLimit, RoundedRaw(v.soundLow * 10.0));
        b.SetU16(param::kHighLimit, RoundedRaw(v.soundHigh * 10.0));
        if (Has(type, kEditorSoundMeter)) {
            b.SetU8(param::kUnitByte, static_cast<uint8_t>(v.speed));
            b.SetU8(param::kLowHumidityLimit, static_cast<uint8_t>(v.weighting));
            b.SetU16(param::kTimeZoneBias, static_cast<uint16_t>(timeZoneBias));
        } else {
            b.SetU8(param::kAlarmMode, alarmMode);
        }
    }
    b.SetU8(param::kStartMode, v.startMode == 1 ? 1 : 0);
}

namespace {

// The first character of `number` that cannot be stored as one byte (U+0000, above U+00FF),
// as UTF-8; empty when every character can.
std::string UnstorableNumberCharacter(std::u16string_view number) {
    for (size_t i = 0; i < number.size(); ++i) {
        const char16_t u = number[i];
        if (u != 0 && u <= 0xFF) continue;
        if (u == 0) return "\\0";
        const bool pair = u >= 0xD800 && u <= 0xDBFF && i + 1 < number.size() &&
                          number[i + 1] >= 0xDC00 && number[i + 1] <= 0xDFFF;
        return Utf16ToUtf8(number.substr(i, pair ? 2 : 1));
    }
    return {};
}

std::string IntRangeMessage(int32_t lo, int32_t hi) {
    return StrFormat(Tr("请输入一个在 %d 和 %d 之间的整数。"), lo, hi);
}

// Control characters break the lines of a profile and of the CLI's listings.
bool HasControlCharacter(std::u16string_view text) {
    return std::any_of(text.begin(), text.end(), [](char16_t u) { return u < 0x20 || u == 0x7F; });
}

// The lowest temperature limit the field holds: (-40 + 40) × 10 = 0; below it the 16-bit field
// wraps to a limit near 6500 degrees.
constexpr int32_t kLowestTemperatureLimit = -40;

// n steps of 10^-decimals as the shortest decimal text: 15, 2 -> "0.15"; 100, 2 -> "1".
std::string StepText(int64_t n, int decimals) {
    const bool negative = n < 0;
    const uint64_t a = static_cast<uint64_t>(negative ? -n : n);
    uint64_t scale = 1;
    for (int i = 0; i < decimals; ++i)
        scale *= 10;
    std::string fraction =
        StrFormat("%0*llu", decimals, static_cast<unsigned long long>(a % scale));
    while (!fraction.empty() && fraction.back() == '0')
        fraction.pop_back();
    std::string text =
        StrFormat("%s%llu", negative ? "-" : "", static_cast<unsigned long long>(a / scale));
    return fraction.empty() ? text : text + "." + fraction;
}

// The range messages of entries in a unit: the Chinese names no unit, the English does.
const char* HumidityRangeFormat() {
    return Tr("请输入一个在 %d 和 %d 之间的整数。", "%RH");
}
const char* SoundRangeFormat() {
    return Tr("请输入一个在 %d 和 %d 之间的整数。", "dB");
}
const char* Co2RangeFormat() {
    return Tr("请输入一个在 %d 和 %d 之间的整数。", "ppm");
}
const char* DelayRangeFormat() {
    return Tr("请输入一个在 %d 和 %d 之间的整数。", "min");
}

}  // namespace

std::optional<EditorFieldError> TakeEditorFields(const EditorFieldTexts& t, InstrumentTypeId type,
                                                 ParamEditorValues& values) {
    using F = EditorField;
    ParamEditorValues v = values;
    std::optional<EditorFieldError> error;
    auto fail = [&error](F field, std::string message) {
        error = EditorFieldError{field, std::move(message)};
        return false;
    };
    // rangeFormat: "请输入一个在 %d 和 %d 之间的整数。" as the entry's unit words it; none: no
    // range.
    auto takeInt = [&](F field, const std::string& text, int32_t& out, const char* rangeFormat,
                       int32_t lo, int32_t hi) {
        const std::optional<int32_t> x = ParseFieldInt(text);
        if (!x) return fail(field, Tr("请输入一个整数。"));
        if (rangeFormat && (*x < lo || *x > hi)) return fail(field, StrFormat(rangeFormat, lo, hi));
        out = *x;
        return true;
    };
    auto takeFloat = [&](F field, const std::string& text, float& out, float lo, float hi,
                         const char* rangeFormat) {
        const std::optional<float> x = ParseFieldFloat(text);
        if (!x) return fail(field, Tr("请输入一个数字。"));
        if (*x < lo || *x > hi) {
            return fail(field, StrFormat(rangeFormat, FieldFloatText(lo).c_str(),
                                         FieldFloatText(hi).c_str()));
        }
        out = *x;
        return true;
    };
    auto takeText = [&](F field, const std::u16string& text, std::u16string& out, size_t max) {
        if (text.size() > max) {
            return fail(field, StrFormat(Tr("请输入不多于 %d 个的字符。"), static_cast<int>(max)));
        }
        out = text;
        return true;
    };
    // Each pair's order, reported on its low field; only the pairs the model shows, since the
    // user cannot correct a hidden one.
    auto ordered = [&](bool shown, int32_t low, int32_t high, F lowField, const char* message) {
        if (!shown || low < high) return true;
        return fail(lowField, message);
    };

    const bool ok = [&] {
        const std::optional<uint32_t> address = ParseFieldUInt(t.address);
        if (!address) return fail(F::kAddress, Tr("请输入一个正整数。"));
        if (*address < 1 || *address > 254) return fail(F::kAddress, IntRangeMessage(1, 254));
        v.address = *address;
        if (!takeText(F::kNumber, t.number, v.number, param::kNumberLength)) return false;
        if (const std::string c = UnstorableNumberCharacter(v.number); !c.empty()) {
            return fail(F::kNumber,
                        StrFormat(Tr("仪器编号中不能有字符\"%s\"(仪器中每个字符只占一个字节),"
                                     "请输入字母或数字!"),
                                  c.c_str()));
        }
        if (HasControlCharacter(v.number)) {
            return fail(F::kNumber, Tr("仪器编号中不能有控制字符(换行、制表符等)!"));
        }
        const std::optional<uint32_t> interval = ParseFieldUInt(t.interval);
        if (!interval) return fail(F::kInterval, Tr("请输入一个正整数。"));
        v.interval = *interval;
        if (!takeText(F::kName, t.name, v.name, param::kNameLength)) return false;
        if (HasControlCharacter(v.name)) {
            return fail(F::kName, Tr("测量名称中不能有控制字符(换行、制表符等)!"));
        }
        auto notTooLow = [&](F field, int32_t limit) {
            if (!ShowsTemperature(type) || limit >= kLowestTemperatureLimit) return true;
            return fail(field, StrFormat(Tr("温度报警域值不能低于%d!"), kLowestTemperatureLimit));
        };
        if (!takeInt(F::kTemperatureLow, t.temperatureLow, v.temperatureLow, nullptr, 0, 0) ||
            !takeInt(F::kTemperatureHigh, t.temperatureHigh, v.temperatureHigh, nullptr, 0, 0) ||
            !notTooLow(F::kTemperatureLow, v.temperatureLow) ||
            !notTooLow(F::kTemperatureHigh, v.temperatureHigh) ||
            !ordered(ShowsTemperature(type), v.temperatureLow, v.temperatureHigh,
                     F::kTemperatureLow, Tr("温度报警域值的低值应小于高值!"))) {
            return false;
        }
        if (!takeInt(F::kHumidityLow, t.humidityLow, v.humidityLow, HumidityRangeFormat(), 0,
                     100) ||
            !takeInt(F::kHumidityHigh, t.humidityHigh, v.humidityHigh, HumidityRangeFormat(), 0,
                     100) ||
            !ordered(!HidesHumidity(type), v.humidityLow, v.humidityHigh, F::kHumidityLow,
                     Tr("湿度报警域值的低值应小于高值!"))) {
            return false;
        }
        // Numbers with decimals the model shows hold only as many as their fields keep.
        auto held = [&](F field, const std::string& text, bool shown, int decimals) {
            const std::string m = shown ? InexactDecimalMessage(text, decimals) : std::string();
            return m.empty() || fail(field, m);
        };
        if (Gas(type) == GasKind::kFormaldehyde) {
            if (!takeFloat(F::kGasLimit, t.gasLimit, v.formaldehydeLimit, 0.01f, 10.0f,
                           Tr("请输入一个在 %s 和 %s 之间的数字。", "mg/m3")) ||
                !held(F::kGasLimit, t.gasLimit, true, 2)) {
                return false;
            }
        } else if (!takeInt(F::kGasLimit, t.gasLimit, v.co2Limit, Co2RangeFormat(), 1, 9999)) {
            return false;
        }
        if (!takeInt(F::kSoundLow, t.soundLow, v.soundLow, SoundRangeFormat(), 0, 150) ||
            !takeInt(F::kSoundHigh, t.soundHigh, v.soundHigh, SoundRangeFormat(), 0, 150) ||
            !ordered(Has(type, kEditorSoundAlarm), v.soundLow, v.soundHigh, F::kSoundLow,
                     Tr("噪声报警域值的低值应小于高值!"))) {
            return false;
        }
        const bool flow = Has(type, kEditorFlow);
        const char* coefficientRange = Tr("请输入一个在 %s 和 %s 之间的数字。");
        return takeFloat(F::kFlow1, t.flow1, v.flow.c1, -9.999f, 9.999f, coefficientRange) &&
               held(F::kFlow1, t.flow1, flow, 3) &&
               takeFloat(F::kFlow2, t.flow2, v.flow.c2, -9.9999f, 9.9999f, coefficientRange) &&
               held(F::kFlow2, t.flow2, flow, 4) &&
               takeFloat(F::kFlow3, t.flow3, v.flow.c3, -99.999f, 99.999f, coefficientRange) &&
               held(F::kFlow3, t.flow3, flow, 3) &&
               takeInt(F::kStartDelay, t.startDelay, v.startDelay, DelayRangeFormat(), 0, 1000);
    }();
    if (ok) values = v;
    return error;
}

uint16_t TemperatureLimitField(int32_t value, int unit) {
    const double c = unit == 1 ? FahrenheitToCelsius(value) : value;
    return RoundedRaw((c + 40) * 10);
}

int32_t ConvertTemperatureLimit(int32_t value, int fromUnit, int toUnit) {
    if (fromUnit == toUnit) return value;
    return NearestDegree(toUnit == 1 ? CelsiusToFahrenheit(value) : FahrenheitToCelsius(value));
}

std::string IntervalRangeMessage(int32_t interval, int intervalUnit) {
    const int max = intervalUnit == 2 ? 24 : 60;
    if (interval >= 1 && interval <= max) return {};
    // Units 0 seconds, 1 minutes, 2 hours; any other counts as seconds.
    const char* format = intervalUnit == 1   ? Tr("数值范围应在1-%d之间!", "min")
                         : intervalUnit == 2 ? Tr("数值范围应在1-%d之间!", "h")
                                             : Tr("数值范围应在1-%d之间!", "s");
    return StrFormat(format, max);
}

std::string RecordCountRangeMessage(int32_t count, int maxCount) {
    if (count >= 1 && count <= maxCount) return {};
    return StrFormat(Tr("数值范围应在%d-%d之间!", "samples"), 1, maxCount);
}

std::string TemperatureRangeMessage(int32_t limit, int temperatureUnit) {
    const int max = temperatureUnit == 1 ? 176 : 80;
    if (limit >= -40 && limit <= max) return {};
    return StrFormat(temperatureUnit == 1 ? Tr("数值范围应在%d-%d之间!", "℉")
                                          : Tr("数值范围应在%d-%d之间!", "℃"),
                     -40, max);
}

std::string RecordingDurationText(int32_t count, int32_t interval, int intervalUnit) {
    // 32-bit products, as the instrument's counters are.
    int64_t seconds = interval;
    if (intervalUnit == 1) seconds *= 60;
    if (intervalUnit == 2) seconds *= 3600;
    const auto total = static_cast<int32_t>(
        static_cast<uint32_t>(static_cast<int64_t>(count) * static_cast<int32_t>(seconds)));
    const int32_t days = total / 86400;
    const int32_t hours = total / 3600 - days * 24;
    const int32_t minutes = total / 60 - (total / 3600) * 60;
    const int32_t secs = total - (total / 60) * 60;
    std::string text;
    if (days != 0) text += StrFormat(Tr("%d天 "), days);
    if (hours != 0) text += StrFormat(Tr("%d小时 "), hours);
    if (minutes != 0) text += StrFormat(Tr("%d分钟 "), minutes);
    if (secs != 0) text += StrFormat(Tr("%d秒 "), secs);
    return text;
}

std::optional<int32_t> ParseFieldInt(std::string_view text) {
    text = TrimBlanks(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (!AllDigits(text)) return std::nullopt;
    int64_t value = 0;
    for (char c : text) {
        value = value * 10 + (c - '0');
        if (value > static_cast<int64_t>(INT32_MAX) + 1) return std::nullopt;
    }
    if (negative) value = -value;
    if (value < INT32_MIN || value > INT32_MAX) return std::nullopt;
    return static_cast<int32_t>(value);
}

std::optional<uint32_t> ParseFieldUInt(std::string_view text) {
    text = TrimBlanks(text);
    if (!AllDigits(text)) return std::nullopt;
    uint64_t value = 0;
    for (char c : text) {
        value = value * 10 + static_cast<uint64_t>(c - '0');
        if (value > UINT32_MAX) return std::nullopt;
    }
    return static_cast<uint32_t>(value);
}

std::optional<float> ParseFieldFloat(std::string_view text) {
    text = TrimBlanks(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty() || text.front() == '+') return std::nullopt;
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    if (!std::isfinite(value) || std::fabs(value) > FLT_MAX) return std::nullopt;
    return static_cast<float>(value);
}

int32_t LeadingDecimal(std::string_view text, size_t maxChars) {
    text = text.substr(0, std::min(maxChars, text.size()));
    size_t i = 0;
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value =
            std::min<int64_t>(value * 10 + (text[i] - '0'), static_cast<int64_t>(INT32_MAX) + 1);
    }
    if (negative) value = -value;
    return static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

std::string InexactDecimalMessage(std::string_view text, int decimals) {
    text = TrimBlanks(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value) ||
        std::fabs(value) > 1e12) {
        return {};  // not a number: the field's own check says so
    }
    const double steps = value * std::pow(10.0, decimals);
    // The decimal text's nearest double lies within far less than a millionth of a step.
    if (std::fabs(steps - std::round(steps)) < 1e-6) return {};
    const auto below = static_cast<int64_t>(std::floor(steps));
    return StrFormat(Tr("仪器只能保存%d位小数, 不能保存%s; 最接近的值是 %s 和 %s。"), decimals,
                     std::string(text).c_str(), StepText(below, decimals).c_str(),
                     StepText(below + 1, decimals).c_str());
}

std::string FieldFloatText(float value) {
    return StrFormat("%.6g", static_cast<double>(value));
}

}  // namespace qx
