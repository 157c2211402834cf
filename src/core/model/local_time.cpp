#include "local_time.h"

#include "text_util.h"

namespace qx {

int16_t LocalTimeZoneBias(std::time_t t) {
    std::tm local{};
    if (!localtime_r(&t, &local)) return 0;
    return static_cast<int16_t>(-local.tm_gmtoff / 60);
}

std::string FormatLocalTime(int64_t t, const char* format) {
    const std::time_t tt = static_cast<std::time_t>(t);
    std::tm local{};
    if (!localtime_r(&tt, &local)) return {};
    char buf[128];
    const size_t n = std::strftime(buf, sizeof buf, format, &local);
    return std::string(buf, n);
}

std::string FormatClockTime(uint32_t t) {
    const std::time_t tt = static_cast<std::time_t>(t);
    std::tm cal{};
    if (!gmtime_r(&tt, &cal)) return {};
    return StrFormat("%04d-%02d-%02d %02d:%02d:%02d", cal.tm_year + 1900, cal.tm_mon + 1,
                     cal.tm_mday, cal.tm_hour, cal.tm_min, cal.tm_sec);
}

std::tm LocalCalendar(int64_t t) {
    const std::time_t tt = static_cast<std::time_t>(t);
    std::tm local{};
    localtime_r(&tt, &local);
    return local;
}

}  // namespace qx
