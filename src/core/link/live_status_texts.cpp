#include "live_status_texts.h"

#include "core/model/local_time.h"
#include "core/model/text_util.h"

namespace qx {
namespace {

// Readings are held in single precision, as the panel shows them.
float Celsius(uint16_t raw, bool fahrenheit) {
    float t = static_cast<float>(raw / 10.0 - 40);
    if (fahrenheit) t = static_cast<float>(CelsiusToFahrenheit(t));
    return t;
}

}  // namespace

LiveStatusTexts MakeLiveStatusTexts(const LiveStatus& st, InstrumentTypeId type) {
    LiveStatusTexts out;
    const uint8_t mask = ChannelMask(type);
    const uint8_t unitByte = st.B(live::kUnitByte);
    const bool fahrenheit = IsFahrenheit(unitByte);

    // Clock and count.
    out.clock = ClockIsLocal(type) ? FormatClockTime(st.Clock())
                                   : FormatLocalTime(st.Clock(), "%Y-%m-%d %H:%M:%S");
    const int16_t wraps = st.S(live::kFlowOrWrap);
    out.count = HasCyclicRecording(type) && wraps != 0
                    ? StrFormat("%d:%d", wraps, st.V(live::kCount))
                    : StrFormat("%d", st.V(live::kCount));
    out.unitByte = unitByte;
    out.external = st.B(live::kExternal);

    // Temperature and its limits (every model; 7 and 9 do not show them).
    const float t = Celsius(st.V(live::kValue), fahrenheit);
    out.temperature = StrFormat("%.1f", static_cast<double>(t));
    const int tLow = RoundHalfUp(Celsius(st.V(live::kLowLimit), fahrenheit));
    const int tHigh = RoundHalfUp(Celsius(st.V(live::kHighLimit), fahrenheit));
    out.temperatureLow = StrFormat("%d", tLow);
    out.temperatureHigh = StrFormat("%d", tHigh);
    out.temperatureLowAlarm = tLow >= t;
    out.temperatureHighAlarm = tHigh <= t;

    if (mask & kChHumidity) {
        const float h = static_cast<float>(st.V(live::kHumidity) / 10.0);
        out.humidity = StrFormat("%.1f", static_cast<double>(h));
        const int hLow = RoundHalfUp(st.V(live::kLowHumidityLimit) / 10.0);
        const int hHigh = RoundHalfUp(st.V(live::kHighHumidityLimit) / 10.0);
        out.humidityLow = StrFormat("%d", hLow);
        out.humidityHigh = StrFormat("%d", hHigh);
        out.humidityLowAlarm = hLow >= h;
        out.humidityHighAlarm = hHigh <= h;
    }

    const PressureUnit unit = PressureUnitOf(unitByte, type);
    if (mask & kChPressure) {
        out.pressure =
            FormatFixed(ConvertPressure(st.V(live::kGas) / 10.0, unit.code), unit.decimals);
    }
    if (mask & kChCo2) {
        out.co2 = StrFormat("%d", st.V(live::kGas));
        out.co2Limit = StrFormat("%d", st.V(live::kSoundOrGasLimit));
        out.co2Alarm = st.V(live::kSoundOrGasLimit) < st.V(live::kGas);
    }
    if (mask & kChFormaldehyde) {
        out.formaldehyde = StrFormat("%.2f", st.V(live::kGas) / 100.0);
        out.formaldehydeLimit = StrFormat("%.2f", st.V(live::kSoundOrGasLimit) / 100.0);
        out.formaldehydeAlarm = st.V(live::kSoundOrGasLimit) < st.V(live::kGas);
    }
    if (mask == 0x3F) {
        out.diffPressure = FormatFixed(
            ConvertPressure(st.S(live::kDiffPressure) / 100.0 * 10, unit.code), unit.decimals);
        out.sound = StrFormat("%.1f", st.V(live::kSoundOrGasLimit) / 10.0);
        const int16_t flow = st.S(live::kFlowOrWrap);
        out.flow = (unitByte >> 6) == 0 ? StrFormat("%.3f", flow / 1000.0)
                                        : StrFormat("%.0f", static_cast<double>(flow));
    }
    if (Model(type).soundOnly) {
        const float level = static_cast<float>(st.V(live::kValue) / 10.0);
        out.sound = StrFormat("%.1f", static_cast<double>(level));
        if (Model(type).editorGroups & kEditorSoundMeter) {
            out.type7ByteA = st.B(live::kLowHumidityLimit);
            out.type7ByteB = st.B(live::kLowHumidityLimit + 1);
        }
        const int sLow = RoundHalfUp(st.V(live::kLowLimit) / 10.0);
        const int sHigh = RoundHalfUp(st.V(live::kHighLimit) / 10.0);
        out.soundLow = StrFormat("%d", sLow);
        out.soundHigh = StrFormat("%d", sHigh);
        out.soundLowAlarm = sLow >= level;
        out.soundHighAlarm = sHigh <= level;
    }
    return out;
}

}  // namespace qx
