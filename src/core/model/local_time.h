// Local-time helpers. Times are seconds since 1970-01-01 00:00; local time follows the C
// library's zone (TZ), so tests pin TZ.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>

namespace qx {

// The local zone's offset at the moment t, as UTC minus local time in minutes
// (-480 for a zone eight hours east of UTC). Daylight saving in force at t is included.
int16_t LocalTimeZoneBias(std::time_t t);

// The stamp t (UTC seconds) shown in local time with a strftime format; empty on failure.
std::string FormatLocalTime(int64_t t, const char* format);

// The stamp t read as a calendar time with no zone conversion (instrument clocks that count
// local time), written "%04d-%02d-%02d %02d:%02d:%02d".
std::string FormatClockTime(uint32_t t);

// Local calendar fields of t.
std::tm LocalCalendar(int64_t t);

}  // namespace qx
