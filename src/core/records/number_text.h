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
// A figure of the statistics: "%.Nf" as AppendFixed, but a value that rounds to zero shows
// as zero, never "-0.000".
void AppendFigure(std::string& out, double value, int decimals);
std::string FigureText(double value, int decimals);
// A limit: up to three decimals more than its series shows, trailing zeros dropped ("46.6",
// "35.78", "40"); never "-0".
std::string LimitFigureText(double value, int decimals);
// "%g".
void AppendGeneral(std::string& out, double value);
// "%d".
void AppendInt(std::string& out, int64_t value);
// strftime "%y-%m-%d %H:%M:%S" of a calendar time (two-digit year).
void AppendShortDateTime(std::string& out, const std::tm& tm);
// "%Y-%m-%dT%H:%M:%S" followed by the UTC offset of tm (tm_gmtoff) as "+HH:MM" or "-HH:MM".
void AppendIsoDateTime(std::string& out, const std::tm& tm);

}  // namespace qx
