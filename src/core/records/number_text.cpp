#include "number_text.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <system_error>

namespace qx {
namespace {

void AppendDigits2(std::string& out, int v) {
    if (v < 0 || v > 99) {
        AppendInt(out, v);
        return;
    }
    out += static_cast<char>('0' + v / 10);
    out += static_cast<char>('0' + v % 10);
}

}  // namespace

void AppendFixed(std::string& out, double value, int decimals) {
    if (decimals < 0) decimals = 0;
    if (decimals > 9) decimals = 9;
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
    AppendDigits2(out, year);
    AppendMonthToSecond(out, tm, ' ');
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

}  // namespace qx
