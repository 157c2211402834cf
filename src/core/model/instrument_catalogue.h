// The catalogue of the eleven instrument models: every per-model fact lives in one table
// (quantities, value rows, record counts, clock, sample layout, record file magic, editor
// groups, picture) next to the shared name and unit tables. Any type number outside 1..11
// behaves like the default row (temperature and humidity limits, one row, UTC clock, three-byte
// samples). Code elsewhere asks these columns and never compares a type number with a literal
// (scripts/check-model-literals).
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "language.h"

namespace qx {

// 0 = none or unrecognised; 1..11 = QX420, QX450, QX430, QX420B, QX440, QX7200, QX390,
// QX7000, QX410, QX460, QX610.
using InstrumentTypeId = int32_t;
inline constexpr InstrumentTypeId kModelCount = 11;

// The models by name, with the numbers the instruments and record files carry.
enum InstrumentModel : InstrumentTypeId {
    kNoModel = 0,
    kQX420 = 1,
    kQX450 = 2,
    kQX430 = 3,
    kQX420B = 4,
    kQX440 = 5,
    kQX7200 = 6,
    kQX390 = 7,
    kQX7000 = 8,
    kQX410 = 9,
    kQX460 = 10,
    kQX610 = 11,
};

// One of the eleven models (1..11).
inline constexpr bool IsKnownModel(InstrumentTypeId type) {
    return type >= kQX420 && type <= kModelCount;
}
// 0 or below: no instrument at all (nothing attached, nothing read), where a number above 11
// is an instrument this program does not know.
inline constexpr bool IsNoInstrument(InstrumentTypeId type) {
    return type <= kNoModel;
}

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

// The gas a model measures in its gas channel (ch6, series 7) with its one alarm limit.
enum class GasKind : uint8_t { kNone, kCo2, kFormaldehyde };

// The pressure units a model's unit byte selects from.
enum class PressureUnitList : uint8_t {
    kNone,      // no pressure setting (the texts still read bits 4-5 as "mbar", "hPa", "psi")
    kStandard,  // "mbar", "hPa", "psi"
    kFlowMeter  // "kPa", "psi", "mmHg", "hPa"
};

// How a recorded sample is packed (little-endian, see core/records/sample_decoding.h).
enum class SampleLayout : uint8_t {
    kPackedTempHumidity,  // 3 bytes: packed temperature and humidity
    kTemperature16,       // 2 bytes: u16 temperature code
    kSound16,             // 2 bytes: u16 sound level
    kPackedPressure,      // 5 bytes: packed; u16 pressure
    kPackedCo2,           // 5 bytes: packed; u16 CO2
    kPackedFormaldehyde,  // 5 bytes: packed; u16 formaldehyde in hundredths
    kFlowMeter,           // 9 bytes: packed; pressure; differential pressure; sound level
};

// Groups of settings beyond the common ones (address, number, name, count, interval, start
// mode) that the parameter editor, the parameter list and the instrument have. Temperature
// limits belong to every model that is not sound-only; gas and pressure have their columns.
enum EditorGroup : uint8_t {
    kEditorHumidity = 0x01,    // humidity limits
    kEditorSoundMeter = 0x02,  // sound limits, sampling speed and weighting (no alarm LED)
    kEditorSoundAlarm = 0x04,  // sound limits that must be ordered, and the alarm mode
    kEditorFlow = 0x08,        // the three flow coefficients
    kEditorStartDelay = 0x10,  // start delay, and the firmware version in the parameters
    kEditorAlarmLed = 0x20,    // working LED blinking and the alarm mode in the parameter list
    kEditorLedLists = 0x40,    // the editor's LED and alarm mode lists (the QX450 shows its LED
                               // in the parameter list only)
};

struct ModelInfo {
    const char* modelName;  // "QX420"; "" for the default row
    uint8_t channelMask;
    int channelCount;                         // value rows of the device panel; 0 for type 0
    std::span<const int> recordCountChoices;  // empty for the default row
    bool cyclicRecording;  // the record count may be "cyclic": a wrap count, instrument-local
                           // times (clockCountsLocalTime), an external probe ("EXT")
    bool localClock;       // the instrument shows local time and stores the time-zone bias
    int bytesPerSample;
    uint32_t fileMagic;  // record file magic
    int sampleCap;       // most samples a record file of this type holds
    bool soundOnly;      // measures the sound level only: no temperature
    GasKind gas;
    bool clockCountsLocalTime;    // the clock itself counts local time; the bias gives UTC
    bool clockReportCarriesBias;  // setting the clock sends the time-zone bias with it
    PressureUnitList pressureUnits;
    uint8_t editorGroups;  // EditorGroup bits
    SampleLayout sampleLayout;
    const char* picture;  // the front picture in the resources, without ".png"
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
// The parameter block carries the PC's time-zone bias: the models with a local clock.
inline bool StoresTimeZoneBias(InstrumentTypeId type) {
    return ClockIsLocal(type);
}
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
// Unit of pressure index p = bits 4-5 of the unit byte: the flow meter's list "kPa", "psi",
// "mmHg", "hPa" by p; every other type over "mbar", "hPa", "psi" by p mod 3.
PressureUnit PressureUnitOf(uint8_t unitByte, InstrumentTypeId type);
// The list the parameter editor offers: the model's pressureUnits (none for most).
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
    {TrNoop("无"), 0},       {TrNoop("检测时闪"), 1}, {TrNoop("每隔5s"), 5},
    {TrNoop("每隔10s"), 10}, {TrNoop("每隔20s"), 20}, {TrNoop("每隔30s"), 30},
    {TrNoop("每隔60s"), 60},
};
// Index of a stored LED code among kLedBlinkChoices, or -1 when it is none of them.
int LedBlinkIndex(uint8_t code);

inline constexpr const char* kAlarmModeNames[] = {TrNoop("不闪"), TrNoop("慢闪"), TrNoop("快闪")};

}  // namespace qx
