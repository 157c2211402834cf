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
    const uint8_t unitByte = st.U8(live::kUnitByte);
    const bool fahrenheit = IsFahrenheit(unitByte);

    // Clock and count.
    out.clock = ClockIsLocal(type) ? FormatClockTime(st.Clock())
                                   : FormatLocalTime(st.Clock(), "%Y-%m-%d %H:%M:%S");
    const int16_t wraps = st.S16(live::kFlowOrWrap);
    out.count = HasCyclicRecording(type) && wraps != 0
                    ? StrFormat("%d:%d", wraps, st.U16(live::kCount))
                    : StrFormat("%d", st.U16(live::kCount));
    out.unitByte = unitByte;
    out.external = st.U8(live::kExternal);

    // Temperature and its limits (every model; 7 and 9 do not show them).
    const float t = Celsius(st.U16(live::kValue), fahrenheit);
    out.temperature = StrFormat("%.1f", static_cast<double>(t));
    const int tLow = RoundHalfUp(Celsius(st.U16(live::kLowLimit), fahrenheit));
    const int tHigh = RoundHalfUp(Celsius(st.U16(live::kHighLimit), fahrenheit));
    out.temperatureLow = StrFormat("%d", tLow);
    out.temperatureHigh = StrFormat("%d", tHigh);
    out.temperatureLowAlarm = tLow >= t;
    out.temperatureHighAlarm = tHigh <= t;

    if (mask & kChHumidity) {
        const float h = static_cast<float>(st.U16(live::kHumidity) / 10.0);
        out.humidity = StrFormat("%.1f", static_cast<double>(h));
        const int hLow = RoundHalfUp(st.U16(live::kLowHumidityLimit) / 10.0);
        const int hHigh = RoundHalfUp(st.U16(live::kHighHumidityLimit) / 10.0);
        out.humidityLow = StrFormat("%d", hLow);
        out.humidityHigh = StrFormat("%d", hHigh);
        out.humidityLowAlarm = hLow >= h;
        out.humidityHighAlarm = hHigh <= h;
    }

    const PressureUnit unit = PressureUnitOf(unitByte, type);
    if (mask & kChPressure) {
        out.pressure =
            FormatFixed(ConvertPressure(st.U16(live::kGas) / 10.0, unit.code), unit.decimals);
    }
    if (mask & kChCo2) {
        out.co2 = StrFormat("%d", st.U16(live::kGas));
        out.co2Limit = StrFormat("%d", st.U16(live::kSoundOrGasLimit));
        out.co2Alarm = st.U16(live::kSoundOrGasLimit) < st.U16(live::kGas);
    }
    if (mask & kChFormaldehyde) {
        out.formaldehyde = StrFormat("%.2f", st.U16(live::kGas) / 100.0);
        out.formaldehydeLimit = StrFormat("%.2f", st.U16(live::kSoundOrGasLimit) / 100.0);
        out.formaldehydeAlarm = st.U16(live::kSoundOrGasLimit) < st.U16(live::kGas);
    }
    if (mask == 0x3F) {
        out.diffPressure = FormatFixed(
            ConvertPressure(st.S16(live::kDiffPressure) / 100.0 * 10, unit.code), unit.decimals);
        out.sound = StrFormat("%.1f", st.U16(live::kSoundOrGasLimit) / 10.0);
        const int16_t flow = st.S16(live::kFlowOrWrap);
        out.flow = (unitByte >> 6) == 0 ? StrFormat("%.3f", flow / 1000.0)
                                        : StrFormat("%.0f", static_cast<double>(flow));
    }
    if (Model(type).soundOnly) {
        const float level = static_cast<float>(st.U16(live::kValue) / 10.0);
        out.sound = StrFormat("%.1f", static_cast<double>(level));
        if (Model(type).editorGroups & kEditorSoundMeter) {
            out.type7ByteA = st.U8(live::kLowHumidityLimit);
            out.type7ByteB = st.U8(live::kLowHumidityLimit + 1);
        }
        const int sLow = RoundHalfUp(st.U16(live::kLowLimit) / 10.0);
        const int sHigh = RoundHalfUp(st.U16(live::kHighLimit) / 10.0);
        out.soundLow = StrFormat("%d", sLow);
        out.soundHigh = StrFormat("%d", sHigh);
        out.soundLowAlarm = sLow >= level;
        out.soundHighAlarm = sHigh <= level;
    }
    return out;
}

}  // namespace qx
