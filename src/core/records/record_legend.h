// The look of a record's trend display and the legend beside the browser's channel check
// boxes: the colour and pen of each series and alarm line, which legend entries a model
// shows, their texts and how many rows the legend frame holds.
//
//   entry  text                          colour                       pen
//   0      温度                          (25,28,150)                  solid
//   1      湿度                          (255,128,0)                  solid
//   2      露点 (type 6: 空气密度)        (0,0,255) (type 6: (160,82,45))  solid
//   3      气压                          (0,128,0)                    solid
//   4      差压                          (192,0,192)                  solid
//   5      噪声                          (0,160,160)                  solid
//   6      流量                          (128,128,0)                  solid
//   7      CO2 (type 11: 甲醛)           (220,0,0)                    solid
//   8, 9   低温报警, 高温报警             (128,120,20), (200,20,120)  dotted, dotted
//   10, 11 低湿报警, 高湿报警             (150,120,20), (250,200,20)  dashed, dash-dot-dot
//   12, 13 低噪报警, 高噪报警             (110,20,100), (220,20,100)  dashed, dash-dot-dot
//   14     CO2报警 (type 11: 甲醛报警)    (220,120,100)                dashed
//
// Pen styles are the chart's codes: 0 solid, 1 dash, 2 dot, 3 dash-dot, 4 dash-dot-dot.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "derived_series.h"

namespace qx {

struct LegendRgb {
    uint8_t r = 0, g = 0, b = 0;
    bool operator==(const LegendRgb&) const = default;
};

inline constexpr int kPenSolid = 0;
inline constexpr int kPenDash = 1;
inline constexpr int kPenDot = 2;
inline constexpr int kPenDashDot = 3;
inline constexpr int kPenDashDotDot = 4;

inline constexpr int kLegendEntryCount = 15;
inline constexpr int kLegendFirstAlarm = 8;

struct LegendLook {
    LegendRgb colour;
    int penStyle = kPenSolid;
};
// The colour and pen of entry 0..14 (series 0..7, then the alarm lines) in a record of the
// given type. The series a type shows all differ in colour.
const LegendLook& LegendEntryLook(int entry, InstrumentTypeId type = 0);

// Looks for charts of many series (several instruments on one chart): 24 colours that differ
// clearly from one another and stand out both on the black screen plot and on white paper,
// with pens cycling solid, dash, dot, dash-dot, dash-dot-dot so that neighbours stay apart on
// a black-and-white print. Entry i of any index is entry i mod kPaletteSize.
inline constexpr int kPaletteSize = 24;
const LegendLook& PaletteLook(int index);

// The two alarm lines (low, high) of the temperature, humidity, sound level and gas series.
struct AlarmPens {
    LegendLook low;
    LegendLook high;
};
inline constexpr AlarmPens kTemperatureAlarmPens{{{128, 120, 20}, kPenDot},
                                                 {{200, 20, 120}, kPenDot}};
inline constexpr AlarmPens kHumidityAlarmPens{{{150, 120, 20}, kPenDash},
                                              {{250, 200, 20}, kPenDashDotDot}};
inline constexpr AlarmPens kSoundAlarmPens{{{110, 20, 100}, kPenDash},
                                           {{220, 20, 100}, kPenDashDotDot}};
inline constexpr AlarmPens kGasAlarmPens{{{220, 120, 100}, kPenDash},
                                         {{220, 120, 100}, kPenDashDotDot}};

// The entries a model's legend draws, in entry order: sound-level meters 5, 12, 13; the others
// their series (0; 1 and 2 with humidity; 3 pressure; 4 differential pressure; 5 sound; 6 flow;
// 7 and 14 for CO2 of type 8 or formaldehyde of type 11), then 8, 9 with temperature and
// 10, 11 with humidity. None for type 0.
std::vector<int> LegendEntries(InstrumentTypeId type);

// Rows of the legend frame: 7 for two quantities, 9 for three of types 8 and 11, 8 for other
// three, 11 for six, 3 otherwise.
int LegendRowCount(InstrumentTypeId type);

// The entry of alarm line `line` (0 low, 1 high) of a series: 8, 9 for temperature (series 0),
// 10, 11 for humidity (1), 12, 13 for sound level (5), 14 for the gas's high line (7); -1 for
// any other line.
int AlarmLineEntry(int series, int line);

// The text of an entry, with the record's names of series 2 and 7.
std::string LegendText(int entry, const RecordUnits& units);

}  // namespace qx
