// Number and time texts for the sample table, appended to a buffer. Each writes exactly the
// characters snprintf or strftime would for its format, with '.' as the decimal point whatever
// the locale, but without their overhead (the table formats some 100,000 numbers per query).
#pragma once

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>

namespace qx {

// A length of time: "12:34:56", or "3天12:34:56" from a day on, in the current language.
std::string DurationText(uint64_t seconds);
// Seconds with their length of time beside them, as reports and windows show a time outside
// limits: "3600 (01:00:00)", "90000 (1天01:00:00)"; "0" alone (a negative count shows as 0).
std::string SecondsWithDuration(int64_t seconds);

// A number as options and rules files take it: all of the text, finite; nullopt otherwise.
std::optional<double> ParseNumberText(std::string_view text);

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

// AppendShortDateTime of the local time of many times in a row, as localtime_r gives it, but
// with the C library asked about the zone only once for every hour of times: the offset found
// at a time and an hour later holds in between (no zone changes its offset twice within an
// hour), and the calendar follows by arithmetic. A fresh object for every zone (TZ) in use.
class LocalTimeTexts {
  public:
    // False, and nothing appended, when t has no local calendar form.
    bool Append(std::string& out, std::time_t t);

  private:
    int64_t from_ = 1, to_ = 0;  // the times offset_ holds for
    int64_t offset_ = 0;
};

}  // namespace qx
