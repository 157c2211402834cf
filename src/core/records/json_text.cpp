#include "json_text.h"

#include <cstdio>

#include "number_text.h"

namespace qx {

void JsonWriter::Key(std::string_view key) {
    Separate();
    Quoted(key);
    text_ += ": ";
    fresh_ = true;
}

void JsonWriter::String(std::string_view s) {
    Separate();
    Quoted(s);
}

void JsonWriter::Int(int64_t v) {
    Separate();
    AppendInt(text_, v);
}

void JsonWriter::Fixed(double v, int decimals, bool trim) {
    Separate();
    const size_t start = text_.size();
    AppendFixed(text_, v, decimals);
    if (trim && text_.find('.', start) != std::string::npos) {
        while (text_.back() == '0')
            text_.pop_back();
        if (text_.back() == '.') text_.pop_back();
    }
    if (text_[start] == '-' && text_.find_first_not_of("0.", start + 1) == std::string::npos) {
        text_.erase(start, 1);
    }
}

void JsonWriter::Time(std::time_t t) {
    Separate();
    text_ += '"';
    std::tm tm{};
    if (localtime_r(&t, &tm)) AppendIsoDateTime(text_, tm);
    text_ += '"';
}

void JsonWriter::Open(char c) {
    Separate();
    text_ += c;
    fresh_ = true;
}

void JsonWriter::Close(char c) {
    text_ += c;
    fresh_ = false;
}

void JsonWriter::Separate() {
    if (!fresh_) text_ += ", ";
    fresh_ = false;
}

void JsonWriter::Quoted(std::string_view s) {
    text_ += '"';
    for (const char c : s) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            text_ += '\\';
            text_ += c;
        } else if (u < 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", u);
            text_ += buf;
        } else {
            text_ += c;
        }
    }
    text_ += '"';
}

}  // namespace qx
