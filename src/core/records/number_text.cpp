#include "number_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <iterator>
#include <system_error>

#include "core/model/language.h"
#include "core/model/text_util.h"

namespace qx {

std::optional<double> ParseNumberText(std::string_view text) {
    double v = 0;
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (text.empty() || ec != std::errc() || ptr != text.data() + text.size() ||
        !std::isfinite(v)) {
        return std::nullopt;
    }
    return v;
}
namespace {

void AppendDigits2(std::string& out, int v) {
    if (v < 0 || v > 99) {
        AppendInt(out, v);
        return;
    }
    out += static_cast<char>('0' + v / 10);
    out += static_cast<char>('0' + v % 10);
}

constexpr double kPowersOfTen[] = {1, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8};

// The digits of a single-precision value, which every series value is: such a value times
// 10^d (d <= 8) is exact in double (24 + 19 bits), so rounding it to an integer half to even
// gives the digits printf gives, without the general conversion. False for any other value.
bool AppendFixedSingle(std::string& out, double value, int decimals) {
    if (decimals > 8 || !std::isfinite(value) ||
        static_cast<double>(static_cast<float>(value)) != value) {
        return false;
    }
    const double scaled = std::nearbyint(value * kPowersOfTen[decimals]);
    if (std::abs(scaled) >= 9e15) return false;
    auto n = static_cast<uint64_t>(std::abs(scaled));
    char buf[24];
    char* p = buf + sizeof buf;
    for (int written = 0; n > 0 || written <= decimals; ++written) {
        if (written == decimals && decimals > 0) *--p = '.';
        *--p = static_cast<char>('0' + n % 10);
        n /= 10;
    }
    if (std::signbit(value)) *--p = '-';
    out.append(p, static_cast<size_t>(buf + sizeof buf - p));
    return true;
}

}  // namespace

void AppendFixed(std::string& out, double value, int decimals) {
    if (decimals < 0) decimals = 0;
    if (decimals > 9) decimals = 9;
    if (AppendFixedSingle(out, value, decimals)) return;
    char buf[400];  // the longest double in fixed notation with nine decimals fits
    const auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals);
    if (r.ec == std::errc()) {
        out.append(buf, r.ptr);
    } else {
        const int n = std::snprintf(buf, sizeof buf, "%.*f", decimals, value);
        if (n > 0) out.append(buf, static_cast<size_t>(n) < sizeof buf ? n : sizeof buf - 1);
    }
}

void AppendFigure(std::string& out, double value, int decimals) {
    const size_t start = out.size();
    AppendFixed(out, value, decimals);
    if (out.size() > start && out[start] == '-' &&
        out.find_first_not_of("0.", start + 1) == std::string::npos) {
        out.erase(start, 1);
    }
}

std::string FigureText(double value, int decimals) {
    std::string s;
    AppendFigure(s, value, decimals);
    return s;
}

std::string LimitFigureText(double value, int decimals) {
    std::string s = FigureText(value, std::max(decimals, 0) + 3);
    if (s.find('.') != std::string::npos) {
        while (s.back() == '0')
            s.pop_back();
        if (s.back() == '.') s.pop_back();
    }
    return s;
}

void AppendGeneral(std::string& out, double value) {
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 6);
    if (r.ec == std::errc()) {
        out.append(buf, r.ptr);
    } else {
        const int n = std::snprintf(buf, sizeof buf, "%g", value);
        if (n > 0) out.append(buf, static_cast<size_t>(n) < sizeof buf ? n : sizeof buf - 1);
    }
}

void AppendInt(std::string& out, int64_t value) {
    char buf[24];
    const auto r = std::to_chars(buf, buf + sizeof buf, value);
    out.append(buf, r.ptr);
}

namespace {

// "-%m-%d" + separator + "%H:%M:%S".
void AppendMonthToSecond(std::string& out, const std::tm& tm, char separator) {
    out += '-';
    AppendDigits2(out, tm.tm_mon + 1);
    out += '-';
    AppendDigits2(out, tm.tm_mday);
    out += separator;
    AppendDigits2(out, tm.tm_hour);
    out += ':';
    AppendDigits2(out, tm.tm_min);
    out += ':';
    AppendDigits2(out, tm.tm_sec);
}

}  // namespace

void AppendShortDateTime(std::string& out, const std::tm& tm) {
    int year = (tm.tm_year + 1900) % 100;
    if (year < 0) year += 100;
    const int fields[] = {year, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
    if (std::all_of(std::begin(fields), std::end(fields),
                    [](int v) { return v >= 0 && v <= 99; })) {
        // The usual case in one piece: the table writes a time for every sample.
        char text[17];
        const char separators[] = "-- ::";
        for (int i = 0; i < 6; ++i) {
            text[3 * i] = static_cast<char>('0' + fields[i] / 10);
            text[3 * i + 1] = static_cast<char>('0' + fields[i] % 10);
            if (i < 5) text[3 * i + 2] = separators[i];
        }
        out.append(text, sizeof text);
        return;
    }
    AppendDigits2(out, year);
    AppendMonthToSecond(out, tm, ' ');
}

namespace {

// The UTC calendar of t (days from civil, proleptic Gregorian).
std::tm UtcCalendar(int64_t t) {
    int64_t days = t / 86400;
    int64_t seconds = t % 86400;
    if (seconds < 0) {
        seconds += 86400;
        --days;
    }
    const int64_t z = days + 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    const int64_t month = mp < 10 ? mp + 3 : mp - 9;
    std::tm tm{};
    tm.tm_year = static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0) - 1900);
    tm.tm_mon = static_cast<int>(month - 1);
    tm.tm_mday = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    tm.tm_hour = static_cast<int>(seconds / 3600);
    tm.tm_min = static_cast<int>(seconds / 60 % 60);
    tm.tm_sec = static_cast<int>(seconds % 60);
    return tm;
}

// localtime_r's fields of t are t + its offset read as UTC (not so in a zone with leap seconds).
bool FollowsOffset(int64_t t, const std::tm& local) {
    const std::tm tm = UtcCalendar(t + local.tm_gmtoff);
    return tm.tm_year == local.tm_year && tm.tm_mon == local.tm_mon &&
           tm.tm_mday == local.tm_mday && tm.tm_hour == local.tm_hour &&
           tm.tm_min == local.tm_min && tm.tm_sec == local.tm_sec;
}

// Far enough from the ends of time_t for the arithmetic above.
constexpr int64_t kCachedTimes = int64_t{1} << 40;

}  // namespace

bool LocalTimeTexts::Append(std::string& out, std::time_t t) {
    const int64_t s = t;
    if (s < from_ || s > to_) {
        std::tm tm{};
        if (!localtime_r(&t, &tm)) return false;
        from_ = 1;
        to_ = 0;
        const std::time_t probe = t + 3600;
        std::tm later{};
        if (s > -kCachedTimes && s < kCachedTimes && localtime_r(&probe, &later) &&
            later.tm_gmtoff == tm.tm_gmtoff && FollowsOffset(s, tm) &&
            FollowsOffset(probe, later)) {
            from_ = s;
            to_ = probe;
            offset_ = tm.tm_gmtoff;
        }
        AppendShortDateTime(out, tm);
        return true;
    }
    AppendShortDateTime(out, UtcCalendar(s + offset_));
    return true;
}

void AppendIsoDateTime(std::string& out, const std::tm& tm) {
    const int year = tm.tm_year + 1900;
    if (year >= 0 && year <= 9999) {
        out += static_cast<char>('0' + year / 1000);
        out += static_cast<char>('0' + year / 100 % 10);
        AppendDigits2(out, year % 100);
    } else {
        AppendInt(out, year);
    }
    AppendMonthToSecond(out, tm, 'T');
    long offset = tm.tm_gmtoff;
    out += offset < 0 ? '-' : '+';
    if (offset < 0) offset = -offset;
    AppendDigits2(out, static_cast<int>(offset / 3600));
    out += ':';
    AppendDigits2(out, static_cast<int>(offset / 60 % 60));
}

std::string DurationText(uint64_t seconds) {
    const uint64_t days = seconds / 86400;
    const auto h = static_cast<int>(seconds / 3600 % 24);
    const auto m = static_cast<int>(seconds / 60 % 60);
    const auto s = static_cast<int>(seconds % 60);
    if (days > 0) {
        return StrFormat(Tr("%llu天%02d:%02d:%02d"), static_cast<unsigned long long>(days), h, m,
                         s);
    }
    return StrFormat("%02d:%02d:%02d", h, m, s);
}

std::string SecondsWithDuration(int64_t seconds) {
    if (seconds <= 0) return "0";
    return StrFormat("%lld (%s)", static_cast<long long>(seconds),
                     DurationText(static_cast<uint64_t>(seconds)).c_str());
}

}  // namespace qx
