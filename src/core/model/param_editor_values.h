// The values of the parameter editor and the rules that move them between a ParamBlock and the
// editor's fields, without any window: filling from a block, the defaults, the encoding on OK,
// the validation of the fields' texts, the change of the temperature unit, the recording duration
// text and the way the fields' texts are read as numbers.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "instrument_catalogue.h"
#include "param_block.h"

namespace qx {

// Everything the editor shows, as the fields hold it. Radios and list selections are indexes,
// -1 meaning none checked or selected.
struct ParamEditorValues {
    uint32_t address = 0;
    std::u16string number;        // at most 10 characters U+0001..U+00FF, one stored byte each
    std::u16string name;          // at most 18 units
    std::string recordCountText;  // the record count list's edit text
    uint32_t interval = 1;        // record interval value
    int32_t temperatureLow = 0, temperatureHigh = 0;  // in the unit of temperatureUnit
    int32_t humidityLow = 0, humidityHigh = 0;
    int32_t co2Limit = 1;                 // model 8
    float formaldehydeLimit = 0.1f;       // model 11, mg/m3
    int32_t soundLow = 0, soundHigh = 0;  // models 7 and 9, dB
    FlowCoefficients flow;                // model 6
    int32_t startDelay = 10;              // model 10, minutes
    int temperatureUnit = 0;              // 0 "℃(摄氏度)", 1 "℉(华氏度)"
    int speed = 0;                        // model 7: 0 "快速", 1 "慢速"
    int weighting = 0;                    // model 7: 0 "A级", 1 "C级"
    int startMode = 0;                    // 0 "手动测量", 1 "立即测量"
    int intervalUnit = 0;                 // "Sec", "Min", "Hour"
    int led = 0;                          // index into kLedBlinkChoices
    int alarmMode = -1;                   // index into kAlarmModeNames
    int pressureUnit = -1;                // index into PressureUnitChoices(type)
    int flowUnit = -1;                    // index into kFlowUnitChoices
    bool cyclic = false;                  // model 2: "循环记录"
};

// The groups of the editor's controls beyond those every model shows (address, number, name,
// record count, interval, start mode). Which models show each follows from the catalogue's
// columns alone: the editor's windows and the settings by name (param_profile.h) ask here.
enum class EditorSection {
    kLedAlarm,        // working LED and alarm mode lists
    kTemperature,     // temperature unit and limits
    kHumidity,        // humidity limits
    kSoundLimits,     // sound-level limits
    kSpeedWeighting,  // sampling speed and frequency weighting
    kGas,             // the CO2 or formaldehyde limit
    kPressure,        // pressure unit list
    kFlow,            // flow coefficients and flow unit
    kCyclic,          // "循环记录"
    kStartDelay,      // start delay
};
bool EditorShows(EditorSection section, InstrumentTypeId type);

// The editor's upper record count: the model's maximum record count, or the field's 65535 for
// a model without record count choices (type 0 and unknown numbers).
int EditorMaxRecordCount(InstrumentTypeId type);

// Takes every value the editor shows for `type` from `block`. The fields a model does not
// show keep what they hold, except a humidity outside 0..100 of a model without humidity
// limits, which takes the defaults 10 and 95 (the user could not correct it).
void FillEditorValues(ParamEditorValues& values, const ParamBlock& block, InstrumentTypeId type);

// The block of "默认参数": all zero but address 1, record count 100, interval 5 seconds, LED
// code 1, and the limits: 30 and 130 dB for models 7 and 9; 0 and 70 °C and 10 and 95 %RH for
// the others; 0.10 mg/m3 formaldehyde for model 11. The set time stays 0.
ParamBlock DefaultParamBlock(InstrumentTypeId type);

// Writes the editor's values into `block` for `type` (OK); the fields the editor does not own
// keep their values. timeZoneBias is stored for models 2, 7, 8 and 11. Temperatures entered in
// Fahrenheit are converted to Celsius; the formaldehyde limit and the flow coefficients are
// rounded to their stored resolution.
void EncodeEditorValues(const ParamEditorValues& values, InstrumentTypeId type,
                        int16_t timeZoneBias, ParamBlock& block);

// The editor's text fields, in the order in which their texts are validated.
enum class EditorField {
    kAddress,
    kNumber,
    kInterval,
    kName,
    kTemperatureLow,
    kTemperatureHigh,
    kHumidityLow,
    kHumidityHigh,
    kGasLimit,  // CO2 (integer) or, for model 11, formaldehyde (number)
    kSoundLow,
    kSoundHigh,
    kFlow1,
    kFlow2,
    kFlow3,
    kStartDelay,
};

// The texts of the editor's text fields as typed: UTF-8, the number and the name as UTF-16
// units (their lengths count units, as the edits do).
struct EditorFieldTexts {
    std::string address;
    std::u16string number;
    std::string interval;
    std::u16string name;
    std::string temperatureLow, temperatureHigh;
    std::string humidityLow, humidityHigh;
    std::string gasLimit;
    std::string soundLow, soundHigh;
    std::string flow1, flow2, flow3;
    std::string startDelay;
};

// The first field that fails, with its message (UTF-8).
struct EditorFieldError {
    EditorField field;
    std::string message;
};

// Takes the texts into `values` for `type`, checking them in the order of EditorField; the
// fields a model hides are checked too, with what they hold. Besides each field's own rule:
// the number holds only characters U+0001..U+00FF (one byte each on the instrument); neither
// the number nor the name holds a control character (below U+0020, U+007F), which would break
// the lines of a profile or a listing; the low limit of each pair the model shows
// (temperature, humidity, sound level) lies below its high limit, checked right after the
// pair's own checks and reported on the low field; a temperature limit the model shows is not
// below -40 (the lowest the field holds: (-40 + 40) × 10 = 0); and a number with decimals that
// the model shows (formaldehyde limit, flow coefficients) has no more decimals than its field
// keeps, so that the instrument holds what was typed. On a failure `values` is left as it was
// and the first failure is returned.
std::optional<EditorFieldError> TakeEditorFields(const EditorFieldTexts& texts,
                                                 InstrumentTypeId type, ParamEditorValues& values);

// The field value of a whole-degree temperature limit in `unit` (0 ℃, 1 ℉): (°C + 40) × 10,
// rounded, cut to 16 bits.
uint16_t TemperatureLimitField(int32_t value, int unit);
// A whole-degree temperature limit shown in `fromUnit` (0 ℃, 1 ℉) as shown in `toUnit`,
// rounded to the nearest degree as the editor shows the block's limits.
int32_t ConvertTemperatureLimit(int32_t value, int fromUnit, int toUnit);

// The range checks made while the user types, as their messages ("数值范围应在1-%d之间!",
// "数值范围应在%d-%d之间!"); empty when the value is within range. The interval lies in 1..60,
// 1..24 for hours (unit 2); the record count in 1..maxCount; a temperature limit in -40..80 °C,
// -40..176 °F (unit 1).
std::string IntervalRangeMessage(int32_t interval, int intervalUnit);
std::string RecordCountRangeMessage(int32_t count, int maxCount);
std::string TemperatureRangeMessage(int32_t limit, int temperatureUnit);

// The recording duration of `count` samples every `interval` of unit 0 (seconds), 1 (minutes)
// or 2 (hours), e.g. "8分钟 20秒 " or "1天 9小时 20分钟 "; only the nonzero parts, each with a
// trailing blank; empty when the product is 0.
std::string RecordingDurationText(int32_t count, int32_t interval, int intervalUnit);

// The numbers of the editor's fields, read from the whole text: blanks around, an optional sign
// (none for unsigned), the digits. nullopt when anything else is there or it does not fit.
std::optional<int32_t> ParseFieldInt(std::string_view text);
std::optional<uint32_t> ParseFieldUInt(std::string_view text);
// A decimal number (also with an exponent) within single precision; nullopt otherwise.
std::optional<float> ParseFieldFloat(std::string_view text);
// The decimal value at the start of a text (blanks, an optional sign, digits), 0 when it has no
// digits, saturated to the 32-bit range; only the first maxChars characters are read.
int32_t LeadingDecimal(std::string_view text, size_t maxChars = std::string_view::npos);
// The message refusing a number with more decimals than a field keeps ("仪器只能保存2位小数,
// 不能保存0.015; 最接近的值是 0.01 和 0.02。"); empty when `text` is a whole number of the
// field's steps (10^-decimals).
std::string InexactDecimalMessage(std::string_view text, int decimals);
// A single-precision value as a field shows it ("%.6g": 0.1, -9.999, 1).
std::string FieldFloatText(float value);

}  // namespace qx
