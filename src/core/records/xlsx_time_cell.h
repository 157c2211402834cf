// A time as a workbook date-time cell: local time, shown with the number format
// kTimeCellFormat ("yy-mm-dd hh:mm:ss", the list's text). Shared by the sheets that hold times.
#pragma once

#include <xlsxwriter.h>

#include <ctime>

namespace qx {

// Number format of the time cells: the list's "%y-%m-%d %H:%M:%S".
inline constexpr const char* kTimeCellFormat = "yy-mm-dd hh:mm:ss";

// The local calendar form of t for worksheet_write_datetime; false when t has none.
inline bool LocalDateTimeCell(std::time_t t, lxw_datetime& out) {
    std::tm tm{};
    if (!localtime_r(&t, &tm)) return false;
    out = lxw_datetime{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday,
                       tm.tm_hour,        tm.tm_min,     static_cast<double>(tm.tm_sec)};
    return true;
}

}  // namespace qx
