// The eight display series of a record: computed per sample from its channels, in the units
// the record's ParamBlock chose, with the dew point and (flow meter) the air density derived.
//
//   series  name                    value                          unit
//   0       温度                    ch0, °C or °F                   ℃ / ℉
//   1       湿度                    ch1                            %RH
//   2       露点 (type 6: 空气密度)  dew point (type 6: density)     ℃ / ℉ (type 6: kg/m3)
//   3       气压                    ch2 in the pressure unit        pressure unit
//   4       差压                    ch3 * 10 in the pressure unit   pressure unit
//   5       噪声                    ch4                            dB
//   6       流量                    ch5                            flow unit
//   7       CO2 (type 11: 甲醛)     ch6                            PPM (type 11: mg/m3)
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "core/model/instrument_catalogue.h"
#include "core/model/language.h"
#include "core/model/param_block.h"

namespace qx {

struct SampleRow;

inline constexpr int kSeriesCount = 8;
using SeriesValues = std::array<float, kSeriesCount>;

// The series a type shows, in order: 0 if mask bit 0; 1 if bit 1; 2 if bits 0 and 1; 3 if
// bit 2; 4 if bit 3; 5 if bit 4; 6 if bit 5; 7 if bit 6 or 7.
std::span<const int> SeriesList(InstrumentTypeId type);

// Units and names of a record's series, from its unit byte and type.
struct RecordUnits {
    InstrumentTypeId type = 0;
    uint8_t mask = 0;
    int temperatureUnit = 0;  // 0 Celsius, 1 Fahrenheit
    PressureUnit pressure{};
    const char* flowUnit = "";
    std::array<const char*, kSeriesCount> names{};     // in the current language
    std::array<const char*, kSeriesCount> nameKeys{};  // the same untranslated
    // Language-neutral ids for scripts and JSON: temp, hum, dew, density, pressure,
    // diffpressure, sound, flow, co2, hcho.
    std::array<const char*, kSeriesCount> ids{};
    std::array<const char*, kSeriesCount> units{};
};
RecordUnits RecordUnitsOf(uint8_t unitByte, InstrumentTypeId type);

// Dew point in °C from T in °C and RH in % (Magnus form); not finite for RH <= 0.
float DewPoint(float temperature, float humidity);

// The eight series values of one sample; series a type does not have are 0.
SeriesValues ComputeSeries(const SampleRow& row, const RecordUnits& units);

// Alarm limits in display units.
struct AlarmLimits {
    double temperatureLow = 0, temperatureHigh = 0;  // °C or °F as the unit byte says
    double humidityLow = 0, humidityHigh = 0;
    double soundLow = 0, soundHigh = 0;  // types 7 and 9 (the temperature fields)
    double gasLow = 0, gasHigh = 0;      // CO2 ppm (type 8) or formaldehyde mg/m3 (type 11)
};
AlarmLimits AlarmLimitsOf(const ParamBlock& block, InstrumentTypeId type);

// The low and high limit of one series; a side without a limit is empty.
struct SeriesLimits {
    std::optional<double> low;
    std::optional<double> high;
    bool operator==(const SeriesLimits&) const = default;
};
// The alarm lines the trend display draws on a series of a type: temperature (series 0) and,
// with two or more quantities, humidity (series 1), low and high; the sound level (series 5)
// of types 7 and 9 instead, low and high; CO2 of type 8 and formaldehyde of type 11 (series 7),
// high only. Nothing for any other series.
std::optional<SeriesLimits> AlarmLinesOf(const AlarmLimits& limits, InstrumentTypeId type,
                                         int series);

// "%s(%s)" with the series' name and unit, for example 温度(℃) or 空气密度(kg/m3).
std::string SeriesTitle(int series, const RecordUnits& units);

// The cell text of a series value: the pressure unit's decimals for series 3 (and 4 of
// type 6), "%.3f" for series 2 and 6 of type 6, "%g" for CO2, "%.2f" for formaldehyde, else
// "%.1f". A value that is not finite gives no text.
void AppendCellText(std::string& out, int series, float value, const RecordUnits& units);
std::string CellText(int series, float value, const RecordUnits& units);
// The decimals of a series' cell text; the "%g" of CO2 counts as 0.
int CellDecimals(int series, const RecordUnits& units);

}  // namespace qx
