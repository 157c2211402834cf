// Display texts and alarm flags made from a live status block for the device panel and the
// command-line tool. Texts are UTF-8; a text a model does not use stays empty.
#pragma once

#include <cstdint>
#include <string>

#include "core/model/instrument_catalogue.h"
#include "live_status.h"

namespace qx {

struct LiveStatusTexts {
    std::string clock;  // instrument clock
    std::string count;  // stored samples ("wraps:count" for a wrapped model 2)
    std::string temperature;
    std::string humidity;
    std::string pressure;      // in the unit of the unit byte
    std::string diffPressure;  // 6
    std::string sound;         // 6, 7, 9
    std::string flow;          // 6
    std::string co2;           // 8
    std::string formaldehyde;  // 11
    std::string temperatureLow, temperatureHigh;
    std::string humidityLow, humidityHigh;
    std::string co2Limit;           // 8
    std::string formaldehydeLimit;  // 11
    uint8_t unitByte = 0;           // status byte 18
    int32_t external = 0;           // status byte 21 (2: the clock shows " EXT")
    bool temperatureLowAlarm = false, temperatureHighAlarm = false;
    bool humidityLowAlarm = false, humidityHighAlarm = false;
    bool co2Alarm = false, formaldehydeAlarm = false;
    std::string soundLow, soundHigh;  // 7, 9
    bool soundLowAlarm = false, soundHighAlarm = false;
    uint8_t type7ByteA = 0;  // 7: status byte 14, sampling speed (even FAST, odd SLOW)
    uint8_t type7ByteB = 0;  // 7: status byte 15, weighting (even A, odd C)
};

// Pure function of its inputs. Temperatures follow the unit byte (Fahrenheit when its low
// four bits are 1); a limit is rounded (+0.5, truncated toward zero) and alarms when the
// reading has reached it (low: limit >= value, high: limit <= value).
LiveStatusTexts MakeLiveStatusTexts(const LiveStatus& status, InstrumentTypeId type);

}  // namespace qx
