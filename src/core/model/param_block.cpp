#include "param_block.h"

#include <cmath>
#include <iterator>

#include "language.h"
#include "local_time.h"
#include "text_util.h"

namespace qx {

std::u16string ParamBlock::Name() const {
    std::u16string name;
    for (size_t i = 0; i < param::kNameLength; ++i) {
        const char16_t u = static_cast<char16_t>(U16(param::kName + 2 * i));
        if (u == 0) break;
        name += u;
    }
    return name;
}

void ParamBlock::SetName(std::u16string_view name) {
    const size_t n = std::min(name.size(), param::kNameLength);
    for (size_t i = 0; i < n; ++i)
        SetU16(param::kName + 2 * i, name[i]);
    if (n < param::kNameLength) SetU16(param::kName + 2 * n, 0);
}

std::string ParamBlock::NumberLatin1() const {
    std::string number;
    for (size_t i = 0; i < param::kNumberLength; ++i) {
        const uint8_t b = bytes[param::kNumber + i];
        if (b == 0) break;
        number += static_cast<char>(b);
    }
    return number;
}

void ParamBlock::SetNumber(std::u16string_view number) {
    const size_t n = std::min(number.size(), param::kNumberLength);
    for (size_t i = 0; i < n; ++i)
        bytes[param::kNumber + i] = static_cast<uint8_t>(number[i]);
    if (n < param::kNumberLength) bytes[param::kNumber + n] = 0;
}

bool IsWrappedCyclic(const ParamBlock& block, InstrumentTypeId type) {
    return HasCyclicRecording(type) && block.WrapCount() != 0 &&
           block.RecordCountSetting() == param::kCyclicSetting;
}

uint32_t EffectiveRecordCount(const ParamBlock& block, InstrumentTypeId type) {
    const uint32_t c = block.StoredCount();
    if (!IsWrappedCyclic(block, type)) return c;
    const uint32_t tail = c == 0 ? 0 : ((c - 1) % 42) + 1;
    return 21336 + tail;
}

namespace {

int32_t Signed20(uint32_t v) {
    v &= 0xFFFFF;
    return (v & 0x80000) ? static_cast<int32_t>(v) - 0x100000 : static_cast<int32_t>(v);
}

}  // namespace

FlowCoefficients DecodeFlowCoefficients(const ParamBlock& b) {
    const uint8_t high = b.U8(param::kFlowHigh);
    FlowCoefficients c;
    c.c1 = static_cast<float>(b.S16(param::kFlow1) / 1000.0);
    c.c2 = static_cast<float>(Signed20(b.U16(param::kFlow2) | ((high & 0x0Fu) << 16)) / 10000.0);
    c.c3 = static_cast<float>(Signed20(b.U16(param::kFlow3) | ((high >> 4u) << 16)) / 1000.0);
    return c;
}

void EncodeFlowCoefficients(ParamBlock& b, const FlowCoefficients& c, FlowRounding rounding) {
    auto raw = [rounding](float value, double scale) {
        const double x = static_cast<double>(value) * scale;
        return static_cast<int32_t>(rounding == FlowRounding::kNearest ? std::round(x) : x);
    };
    const auto r1 = raw(c.c1, 1000.0);
    const auto r2 = static_cast<uint32_t>(raw(c.c2, 10000.0)) & 0xFFFFF;
    const auto r3 = static_cast<uint32_t>(raw(c.c3, 1000.0)) & 0xFFFFF;
    b.SetU16(param::kFlow1, static_cast<uint16_t>(r1));
    b.SetU16(param::kFlow2, static_cast<uint16_t>(r2));
    b.SetU16(param::kFlow3, static_cast<uint16_t>(r3));
    b.SetU8(param::kFlowHigh,
            static_cast<uint8_t>(((r2 >> 16) & 0x0F) | (((r3 >> 16) & 0x0F) << 4)));
}

TemperatureLimits TemperatureLimitsOf(const ParamBlock& b) {
    TemperatureLimits t;
    t.fahrenheit = IsFahrenheit(b.UnitByte());
    t.low = b.U16(param::kLowLimit) / 10.0 - 40;
    t.high = b.U16(param::kHighLimit) / 10.0 - 40;
    if (t.fahrenheit) {
        t.low = CelsiusToFahrenheit(t.low);
        t.high = CelsiusToFahrenheit(t.high);
    }
    return t;
}

void MakeParamTexts(ParamTexts& out, const ParamBlock* block, InstrumentTypeId type) {
    out = ParamTexts{};
    if (!block) return;
    const ParamBlock& b = *block;
    using T = ParamText;

    // Identity.
    const uint8_t address = b.U8(param::kAddress);
    if (address != 255) out[T::Address] = StrFormat("%d", address);
    out[T::Number] = Latin1ToUtf8(std::span(b.bytes).subspan(param::kNumber, param::kNumberLength));
    out[T::Name] = Utf16ToUtf8(b.Name());

    // Record counts.
    const bool cyclicSetting =
        HasCyclicRecording(type) && b.RecordCountSetting() == param::kCyclicSetting;
    out[T::RecordCountSetting] =
        cyclicSetting ? Tr("循环记录") : StrFormat("%d", b.RecordCountSetting());
    if (IsWrappedCyclic(b, type)) {
        out[T::StoredCount] = StrFormat("%u(%u:%u)", EffectiveRecordCount(b, type),
                                        static_cast<unsigned>(b.U16(param::kWrapCount)),
                                        static_cast<unsigned>(b.StoredCount()));
    } else {
        out[T::StoredCount] = StrFormat("%d", b.StoredCount());
    }

    // Interval and LED.
    out[T::Interval] = StrFormat("%d %s", b.U8(param::kIntervalValue),
                                 kIntervalUnitNamesLower[b.U8(param::kIntervalUnit) % 3]);
    const int led = LedBlinkIndex(b.U8(param::kLedCode));
    if (led >= 0) out[T::Led] = Tr(kLedBlinkChoices[led].text);

    // Limits.
    const TemperatureLimits temp = TemperatureLimitsOf(b);
    out[T::TemperatureLimits] =
        StrFormat("L:%d H:%d %s", RoundHalfUp(temp.low), RoundHalfUp(temp.high),
                  TemperatureUnitName(temp.fahrenheit ? 1 : 0));
    out[T::HumidityLimits] =
        StrFormat("L:%d H:%d %s", RoundHalfUp(b.U16(param::kLowHumidityLimit) / 10.0),
                  RoundHalfUp(b.U16(param::kHighHumidityLimit) / 10.0), "%RH");
    if (Model(type).gas == GasKind::kFormaldehyde) {
        out[T::FormaldehydeLimit] = StrFormat("%.2f %s", b.U16(param::kGasLimit) / 100.0, "mg/m3");
    } else if (Model(type).gas == GasKind::kCo2) {
        out[T::Co2Limit] = StrFormat("%d ppm", b.U16(param::kGasLimit));
    }
    out[T::SoundLimits] = StrFormat("L:%d H:%d dB", RoundHalfUp(b.U16(param::kLowLimit) / 10.0),
                                    RoundHalfUp(b.U16(param::kHighLimit) / 10.0));
    out[T::SamplingSpeed] = b.U8(param::kUnitByte) == 0 ? Tr("快速") : Tr("慢速");
    out[T::Weighting] = b.U8(param::kLowHumidityLimit) == 0 ? Tr("A级") : Tr("C级");
    const uint8_t alarmMode = b.U8(param::kAlarmMode);
    if (alarmMode < std::size(kAlarmModeNames)) out[T::AlarmMode] = Tr(kAlarmModeNames[alarmMode]);

    // Times: a clock counting local time keeps instrument-local times; the bias turns them into
    // UTC.
    const int64_t shift = Model(type).clockCountsLocalTime ? int64_t{b.TimeZoneBias()} * 60 : 0;
    const char* timeFormat = "%Y-%m-%d %H:%M:%S";
    out[T::SetTime] = FormatLocalTime(int64_t{b.SetTime()} + shift, timeFormat);
    if (b.StartTime() != 0) {
        out[T::StartTime] = FormatLocalTime(int64_t{b.StartTime()} + shift, timeFormat);
    }

    // Start mode, with the start delay and firmware where the model has them.
    const uint8_t startMode = b.U8(param::kStartMode);
    if (Model(type).editorGroups & kEditorStartDelay) {
        const uint16_t version = b.U16(param::kFirmware);
        out[T::Firmware] = StrFormat("V%d.%d", version >> 8, version & 0xFF);
        out[T::StartDelay] = StrFormat("%d Min.", b.U16(param::kStartDelay) / 60);
        out[T::StartMode] = StrFormat("%s %s", startMode == 1 ? Tr("立即测量") : Tr("手动测量"),
                                      out[T::StartDelay].c_str());
    } else {
        out[T::StartMode] = startMode != 0 ? Tr("立即测量") : Tr("手动测量");
    }

    // Alarm flags (each word followed by a blank) and flow coefficients. Without an alarm the
    // Chinese list leaves the cell empty; English says "None", as a blank reads as unknown.
    auto flags = [&](size_t lowOff, size_t highOff, const char* low, const char* high) {
        std::string s;
        if (b.U8(lowOff)) s.append(Tr(low)).append(" ");
        if (b.U8(highOff)) s.append(Tr(high)).append(" ");
        if (s.empty() && CurrentLanguage() == Language::kEnglish) s = Tr("无");
        return s;
    };
    out[T::TemperatureAlarms] =
        flags(param::kLowAlarm, param::kHighAlarm, TrNoop("低温"), TrNoop("高温"));
    out[T::HumidityAlarms] =
        flags(param::kLowHumidityAlarm, param::kHighHumidityAlarm, TrNoop("低湿"), TrNoop("高湿"));
    out[T::SoundAlarms] =
        flags(param::kLowAlarm, param::kHighAlarm, TrNoop("低噪"), TrNoop("高噪"));
    const FlowCoefficients flow = DecodeFlowCoefficients(b);
    out[T::Flow1] = StrFormat("%g", static_cast<double>(flow.c1));
    out[T::Flow2] = StrFormat("%g", static_cast<double>(flow.c2));
    out[T::Flow3] = StrFormat("%g", static_cast<double>(flow.c3));
}

ParamTexts MakeParamTexts(const ParamBlock& block, InstrumentTypeId type) {
    ParamTexts t;
    MakeParamTexts(t, &block, type);
    return t;
}

}  // namespace qx
