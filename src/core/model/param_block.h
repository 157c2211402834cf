// The instrument's 88-byte settings record (ParamBlock), held little-endian in host memory,
// its display texts (ParamTexts) and the rules that read it: the effective record count, the
// flow coefficients of the flow meter and the temperature limits in display units.
// The block's layout is shared by all models; some fields change meaning per model:
//
//   off  size  field                         off  size  field
//   0    1     address (255 = none)          57   2     low temp limit (°C+40)*10 / sound dB*10
//   1    10    instrument number (8-bit)     59   2     high temp limit / high sound limit
//   11   36    measurement name (18 UTF-16)  61   2     low humidity limit %RH*10 (7: weighting)
//   47   2     reserved                      63   2     high humidity limit
//   49   2     time-zone bias (2, 7, 8, 11)  65   1     alarm mode 0..2
//   51   2     record count setting          66   4     set time
//   53   1     record interval value         70   1     start mode (1 immediate, 0 manual)
//   54   1     record interval unit 0..2     71   4     record start time
//   55   1     working LED code              75   2     stored record count
//   56   1     unit byte (7: sampling speed) 77..80     alarm flags (8, 11: 79 = gas limit u16)
//   81   2     wrap count (2) / start delay s (10) / flow coefficient 1 (6)
//   83   2     firmware version (10) / flow coefficient 2 low bits (6)
//   85   2     flow coefficient 3 low bits (6)
//   87   1     flow coefficients 2 and 3, bits 16-19 (low and high nibble)
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "byte_order.h"
#include "instrument_catalogue.h"

namespace qx {

namespace param {
inline constexpr size_t kAddress = 0;
inline constexpr size_t kNumber = 1;  // 10 bytes
inline constexpr size_t kNumberLength = 10;
inline constexpr size_t kName = 11;  // 18 UTF-16 units
inline constexpr size_t kNameLength = 18;
inline constexpr size_t kTimeZoneBias = 49;
inline constexpr size_t kRecordCountSetting = 51;
inline constexpr size_t kIntervalValue = 53;
inline constexpr size_t kIntervalUnit = 54;
inline constexpr size_t kLedCode = 55;
inline constexpr size_t kUnitByte = 56;  // model 7: sampling speed
inline constexpr size_t kLowLimit = 57;  // temperature, or sound level for 7 and 9
inline constexpr size_t kHighLimit = 59;
inline constexpr size_t kLowHumidityLimit = 61;  // model 7: frequency weighting (byte)
inline constexpr size_t kHighHumidityLimit = 63;
inline constexpr size_t kAlarmMode = 65;
inline constexpr size_t kSetTime = 66;
inline constexpr size_t kStartMode = 70;
inline constexpr size_t kStartTime = 71;
inline constexpr size_t kStoredCount = 75;
inline constexpr size_t kLowAlarm = 77;
inline constexpr size_t kHighAlarm = 78;
inline constexpr size_t kLowHumidityAlarm = 79;
inline constexpr size_t kHighHumidityAlarm = 80;
inline constexpr size_t kGasLimit = 79;    // CO2 ppm (8) or formaldehyde mg/m3*100 (11)
inline constexpr size_t kWrapCount = 81;   // model 2
inline constexpr size_t kStartDelay = 81;  // model 10, seconds
inline constexpr size_t kFlow1 = 81;       // model 6
inline constexpr size_t kFirmware = 83;    // model 10
inline constexpr size_t kFlow2 = 83;       // model 6
inline constexpr size_t kFlow3 = 85;       // model 6
inline constexpr size_t kFlowHigh = 87;    // model 6
inline constexpr uint16_t kCyclicSetting = 0xFFFF;
}  // namespace param

struct ParamBlock : LittleEndianFields<ParamBlock> {
    static constexpr size_t kSize = 88;
    std::array<uint8_t, kSize> bytes{};

    // Frequently read fields.
    uint8_t UnitByte() const { return U8(param::kUnitByte); }
    uint16_t RecordCountSetting() const { return U16(param::kRecordCountSetting); }
    uint16_t StoredCount() const { return U16(param::kStoredCount); }
    int16_t WrapCount() const { return S16(param::kWrapCount); }
    int16_t TimeZoneBias() const { return S16(param::kTimeZoneBias); }
    uint32_t SetTime() const { return U32(param::kSetTime); }
    uint32_t StartTime() const { return U32(param::kStartTime); }

    // The measurement name as UTF-16 units (up to the first zero, at most 18) and its writer:
    // at most 18 units, a zero unit after the last one when there are fewer.
    std::u16string Name() const;
    void SetName(std::u16string_view name);
    // The instrument number: each byte one character, up to the first zero, at most 10.
    std::string NumberLatin1() const;
    void SetNumber(std::u16string_view number);  // low byte of each unit
};
static_assert(sizeof(ParamBlock) == ParamBlock::kSize);

// Samples a block describes. Model 2 whose cyclic memory has wrapped (wrap count not 0,
// setting 0xFFFF): 21336 + c', c' = 0 for a stored count c of 0, else ((c - 1) mod 42) + 1.
// Every other case: the stored count.
uint32_t EffectiveRecordCount(const ParamBlock& block, InstrumentTypeId type);
// True when the rule above takes the cyclic branch.
bool IsWrappedCyclic(const ParamBlock& block, InstrumentTypeId type);

// Flow coefficients of model 6, single precision: c1 = s16@81 / 1000; c2 and c3 are signed
// 20-bit numbers (16-bit field at 83 / 85, bits 16-19 from the low / high nibble of byte 87)
// divided by 10000 and 1000.
struct FlowCoefficients {
    float c1 = 0, c2 = 0, c3 = 0;
};
FlowCoefficients DecodeFlowCoefficients(const ParamBlock& block);
// Writes fields 81, 83, 85 and 87: c1*1000, c2*10000, c3*1000 truncated toward zero, or with
// kNearest rounded to the nearest step (half away from zero), so that a value typed in steps of
// the resolution is stored as typed although its single-precision value lies just below it
// (99.999 is 99998.999... thousandths).
enum class FlowRounding { kTruncate, kNearest };
void EncodeFlowCoefficients(ParamBlock& block, const FlowCoefficients& c,
                            FlowRounding rounding = FlowRounding::kTruncate);

// Temperature alarm limits in display units (raw/10 - 40, then x*1.8 + 32 under Fahrenheit),
// not rounded.
struct TemperatureLimits {
    double low = 0, high = 0;
    bool fahrenheit = false;
};
TemperatureLimits TemperatureLimitsOf(const ParamBlock& block);

// The display texts of a block, numbered 1..28. Texts are UTF-8.
enum class ParamText : int {
    Address = 1,
    Number,
    Name,
    RecordCountSetting,
    StoredCount,
    Interval,
    Led,
    TemperatureLimits,
    HumidityLimits,
    SoundLimits,
    SamplingSpeed,
    Weighting,
    Co2Limit,
    FormaldehydeLimit,
    AlarmMode,
    SetTime,
    StartTime,
    StartMode,
    TemperatureAlarms,
    HumidityAlarms,
    SoundAlarms,
    Co2Alarms,
    FormaldehydeAlarms,
    Flow1,
    Flow2,
    Flow3,
    StartDelay,
    Firmware,
};
inline constexpr int kParamTextCount = 28;

struct ParamTexts {
    std::array<std::string, kParamTextCount> texts;
    const std::string& operator[](ParamText t) const { return texts[static_cast<size_t>(t) - 1]; }
    std::string& operator[](ParamText t) { return texts[static_cast<size_t>(t) - 1]; }
};

// Builds every text from the block for the given type (nullptr block: all texts empty).
// Times are shown in the PC's local time; model 2 stores instrument-local times, to which the
// block's time-zone bias * 60 is added first.
void MakeParamTexts(ParamTexts& texts, const ParamBlock* block, InstrumentTypeId type);
ParamTexts MakeParamTexts(const ParamBlock& block, InstrumentTypeId type);

}  // namespace qx
