// Number and time texts for the sample table, appended to a buffer. Each writes exactly the
// characters snprintf or strftime would for its format, with '.' as the decimal point whatever
// the locale, but without their overhead (the table formats some 100,000 numbers per query).
#pragma once

#include <cstdint>
#include <ctime>
#include <string>

namespace qx {

// "%.Nf" with N limited to 0..9.
void AppendFixed(std::string& out, double value, int decimals);
// "%g".
void AppendGeneral(std::string& out, double value);
// "%d".
void AppendInt(std::string& out, int64_t value);
// strftime "%y-%m-%d %H:%M:%S" of a calendar time (two-digit year).
void AppendShortDateTime(std::string& out, const std::tm& tm);
// "%Y-%m-%dT%H:%M:%S" followed by the UTC offset of tm (tm_gmtoff) as "+HH:MM" or "-HH:MM".
void AppendIsoDateTime(std::string& out, const std::tm& tm);

}  // namespace qx
