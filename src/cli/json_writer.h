// A small JSON writer for the --json output of qxlog-cli: objects, arrays, strings (UTF-8 as
// it is, quotes, backslashes and control characters escaped, bytes that are not UTF-8 each
// written as U+FFFD, so that the output is always valid JSON), integers, figures and local
// times.
#pragma once

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <string>
#include <string_view>

#include "core/records/number_text.h"

namespace qx::cli {

// The length of the UTF-8 character at the start of s, 0 when s does not start with one (a
// stray, overlong, surrogate or cut sequence).
inline size_t Utf8CharLength(std::string_view s) {
    const auto b = [&](size_t i) { return static_cast<unsigned char>(s[i]); };
    const auto follows = [&](size_t i) { return i < s.size() && (b(i) & 0xC0) == 0x80; };
    if (s.empty()) return 0;
    const unsigned char c = b(0);
    if (c < 0x80) return 1;
    if (c >= 0xC2 && c <= 0xDF) return follows(1) ? 2 : 0;
    if (c >= 0xE0 && c <= 0xEF) {
        if (!follows(1) || !follows(2)) return 0;
        if (c == 0xE0 && b(1) < 0xA0) return 0;   // overlong
        if (c == 0xED && b(1) >= 0xA0) return 0;  // a surrogate
        return 3;
    }
    if (c >= 0xF0 && c <= 0xF4) {
        if (!follows(1) || !follows(2) || !follows(3)) return 0;
        if (c == 0xF0 && b(1) < 0x90) return 0;   // overlong
        if (c == 0xF4 && b(1) >= 0x90) return 0;  // past U+10FFFF
        return 4;
    }
    return 0;
}

inline bool IsUtf8(std::string_view s) {
    for (size_t at = 0; at < s.size();) {
        const size_t n = Utf8CharLength(s.substr(at));
        if (n == 0) return false;
        at += n;
    }
    return true;
}

// The bytes as lowercase hexadecimal digits, two per byte.
inline std::string HexBytes(std::string_view s) {
    static const char kDigits[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(s.size() * 2);
    for (const char c : s) {
        hex += kDigits[static_cast<unsigned char>(c) >> 4];
        hex += kDigits[static_cast<unsigned char>(c) & 0xF];
    }
    return hex;
}

class JsonWriter {
  public:
    std::string text;

    JsonWriter& Key(std::string_view key) {
        Separate();
        Quote(key);
        text += ": ";
        fresh_ = true;
        return *this;
    }
    JsonWriter& String(std::string_view s) {
        Separate();
        Quote(s);
        return *this;
    }
    JsonWriter& Int(int64_t v) {
        Separate();
        AppendInt(text, v);
        return *this;
    }
    // A figure with the given decimals, never "-0.000".
    JsonWriter& Fixed(double v, int decimals) {
        Separate();
        AppendFigure(text, v, decimals);
        return *this;
    }
    // A limit: trailing zeros dropped.
    JsonWriter& Limit(double v, int decimals) {
        Separate();
        text += LimitFigureText(v, decimals);
        return *this;
    }
    JsonWriter& Bool(bool v) {
        Separate();
        text += v ? "true" : "false";
        return *this;
    }
    // ISO 8601 local time with its offset, "2017-03-10T21:07:12+08:00".
    JsonWriter& Time(std::time_t t) {
        Separate();
        text += '"';
        std::tm tm{};
        if (localtime_r(&t, &tm)) AppendIsoDateTime(text, tm);
        text += '"';
        return *this;
    }
    JsonWriter& Open(char bracket) {
        Separate();
        text += bracket;
        fresh_ = true;
        return *this;
    }
    JsonWriter& Close(char bracket) {
        text += bracket;
        fresh_ = false;
        return *this;
    }

  private:
    void Separate() {
        if (!fresh_) text += ", ";
        fresh_ = false;
    }
    void Quote(std::string_view s) {
        text += '"';
        for (size_t at = 0; at < s.size();) {
            const char c = s[at];
            const auto u = static_cast<unsigned char>(c);
            const size_t n = Utf8CharLength(s.substr(at));
            if (n == 0) {
                text += "\\ufffd";
                ++at;
                continue;
            }
            if (c == '"' || c == '\\') {
                text += '\\';
                text += c;
            } else if (u < 0x20) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", u);
                text += buf;
            } else {
                text.append(s.substr(at, n));
            }
            at += n;
        }
        text += '"';
    }
    bool fresh_ = true;
};

}  // namespace qx::cli
