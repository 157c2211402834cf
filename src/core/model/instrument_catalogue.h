// The catalogue of the eleven instrument models: every per-model fact lives in one table
// (quantities, value rows, record counts, clock, sample layout size, record file magic) next
// to the shared name and unit tables. Any type number outside 1..11 behaves like the default
// row (temperature only, one row, UTC clock, three-byte samples).
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace qx {

// 0 = none or unrecognised; 1..11 = QX420, QX450, QX430, QX420B, QX440, QX7200, QX390,
// QX7000, QX410, QX460, QX610.
using InstrumentTypeId = int32_t;
inline constexpr InstrumentTypeId kModelCount = 11;

// Bits of the channel mask: the measured quantities. Bits 0..6 are also the channels ch0..ch6
// of a decoded sample; formaldehyde uses the CO2 channel.
enum ChannelBit : uint8_t {
    kChTemperature = 0x01,
    kChHumidity = 0x02,
    kChPressure = 0x04,
    kChDiffPressure = 0x08,
    kChSound = 0x10,
    kChFlow = 0x20,
    kChCo2 = 0x40,
    kChFormaldehyde = 0x80,
};

struct ChannelInfo {
    const char* name;  // "温度", "湿度", ...
    const char* unit;  // fixed unit, or "" where the unit byte decides
};
// Quantity of mask bit 0..7.
const ChannelInfo& Channel(int bit);

struct ModelInfo {
    const char* modelName;  // "QX420"; "" for the default row
    uint8_t channelMask;
    int channelCount;                         // value rows of the device panel; 0 for type 0
    std::span<const int> recordCountChoices;  // empty for the default row
    bool cyclicRecording;
    bool localClock;  // instrument clock counts local time (else UTC)
    int bytesPerSample;
    uint32_t fileMagic;  // record file magic
    int sampleCap;       // most samples a record file of this type holds
};

// The row of a type; any value outside 1..11 gives the default row (type 0's).
const ModelInfo& Model(InstrumentTypeId type);

// "QX420BMeter" for 4; empty for anything outside 1..11.
std::string ModelDisplayName(InstrumentTypeId type);
// "QX420B" for 4; empty outside 1..11.
std::string ModelName(InstrumentTypeId type);
uint8_t ChannelMask(InstrumentTypeId type);
// 0 for type 0, 1 for anything else outside 1..11.
int ChannelCount(InstrumentTypeId type);
std::span<const int> RecordCountChoices(InstrumentTypeId type);
// Last entry of RecordCountChoices; 0 where there is none.
int MaxRecordCount(InstrumentTypeId type);
bool ClockIsLocal(InstrumentTypeId type);
bool HasCyclicRecording(InstrumentTypeId type);
// Bytes per recorded sample: 3 for 1, 2, 3; 2 for 4, 7, 9, 10; 5 for 5, 8, 11; 9 for 6; else 3.
int BytesPerSample(InstrumentTypeId type);
// Samples per 60-byte download block: 60 div BytesPerSample.
inline int SamplesPerBlock(InstrumentTypeId type) {
    return 60 / BytesPerSample(type);
}

// Family test and model recognition from a HID product string: a candidate begins with "QX";
// the model is the first of the prefixes "QX420B", "QX460", "QX390", "QX410", "QX420",
// "QX450", "QX430", "QX440", "QX7200", "QX7000", "QX610" that begins it, else 0.
bool IsFamilyProductString(std::string_view product);
InstrumentTypeId ModelFromProductString(std::string_view product);
// A model named by its name ("QX7200", any letter case) or its number ("6"); 0 when neither.
InstrumentTypeId ModelFromName(std::string_view name);
// Models named in a comma-separated list ("QX450,QX7200", "2, 6"), appended to out in order.
// False when the list is empty or any entry names no model (out is then left as it was).
bool ModelsFromList(std::string_view list, std::vector<InstrumentTypeId>& out);

// ---- Units -------------------------------------------------------------------------------

// Fahrenheit when the low four bits of a unit byte equal 1.
bool IsFahrenheit(uint8_t unitByte);
// Index into TemperatureUnits: 0 Celsius, 1 Fahrenheit.
inline int TemperatureUnitIndex(uint8_t unitByte) {
    return IsFahrenheit(unitByte) ? 1 : 0;
}
const char* TemperatureUnitName(int index);       // "℃" or "℉"
inline constexpr float kFahrenheitFactor = 1.8f;  // single precision, 1.79999995
inline double CelsiusToFahrenheit(double c) {
    return c * kFahrenheitFactor + 32;
}
inline double FahrenheitToCelsius(double f) {
    return (f - 32) * 5 / 9;
}

struct PressureUnit {
    const char* name;  // "mbar", "hPa", "psi", "kPa", "mmHg"
    int code;          // conversion code 0..4
    int decimals;
};
// Unit of pressure index p = bits 4-5 of the unit byte: type 6 over "kPa", "psi", "mmHg",
// "hPa" by p; every other type over "mbar", "hPa", "psi" by p mod 3.
PressureUnit PressureUnitOf(uint8_t unitByte, InstrumentTypeId type);
// The list the parameter editor offers: 4 entries for type 6, 3 for type 5, none otherwise.
std::span<const char* const> PressureUnitChoices(InstrumentTypeId type);
// An hPa value in the unit of a conversion code, as single precision; other codes unchanged.
float ConvertPressure(double hPa, int code);
// True for the unit "psi" (the trend display steps its axis by 10 there).
bool IsPsi(const PressureUnit& unit);

// "m3/s" when bit 6 of the unit byte is clear, "l/s" when set.
const char* FlowUnitName(uint8_t unitByte);
// Number format of a flow value: "%.3f" when bits 6-7 are both clear, else "%.0f".
bool FlowInThousandths(uint8_t unitByte);
inline constexpr const char* kFlowUnitChoices[] = {"m3/s", "l/s"};

// Record interval unit 0..2: the editor shows "Sec", "Min", "Hour"; parameter texts use the
// lower-case forms. Units 3 and above are taken modulo 3 by the texts.
inline constexpr const char* kIntervalUnitNames[] = {"Sec", "Min", "Hour"};
inline constexpr const char* kIntervalUnitNamesLower[] = {"sec", "min", "hour"};

struct LedBlinkChoice {
    const char* text;
    uint8_t code;
};
inline constexpr LedBlinkChoice kLedBlinkChoices[] = {
    {"无", 0},       {"检测时闪", 1}, {"每隔5s", 5},   {"每隔10s", 10},
    {"每隔20s", 20}, {"每隔30s", 30}, {"每隔60s", 60},
};
// Index of a stored LED code among kLedBlinkChoices, or -1 when it is none of them.
int LedBlinkIndex(uint8_t code);

inline constexpr const char* kAlarmModeNames[] = {"不闪", "慢闪", "快闪"};

}  // namespace qx
