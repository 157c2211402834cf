// A small JSON writer for the --json output of qxlog-cli: objects, arrays, strings (UTF-8 as
// it is, quotes, backslashes and control characters escaped), integers, figures and local
// times.
#pragma once

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <string>
#include <string_view>

#include "core/records/number_text.h"

namespace qx::cli {

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
        for (const char c : s) {
            const auto u = static_cast<unsigned char>(c);
            if (c == '"' || c == '\\') {
                text += '\\';
                text += c;
            } else if (u < 0x20) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", u);
                text += buf;
            } else {
                text += c;
            }
        }
        text += '"';
    }
    bool fresh_ = true;
};

}  // namespace qx::cli
