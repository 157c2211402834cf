// Text helpers of the core: printf-style formatting into std::string, UTF-8 / UTF-16 / Latin-1
// conversion, and the rounding rule the instruments' numbers use.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace qx {

// printf-style formatting into a std::string. Numbers always use '.' as the decimal point
// whatever the process locale (the window program keeps LC_NUMERIC at "C").
std::string StrFormat(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

// "%.Nf" of a value, N limited to 0..9: the fixed-point form with the decimals of a unit.
std::string FormatFixed(double value, int decimals);

// Add 0.5 and truncate toward zero: 23.5 -> 24, -39.5 -> -39.
inline int RoundHalfUp(double x) {
    return static_cast<int>(x + 0.5);
}

// Appends the UTF-8 form of one code point.
void AppendUtf8(std::string& out, char32_t cp);
// UTF-16 code units (up to the first zero unit) to UTF-8; unpaired surrogates become U+FFFD.
std::string Utf16ToUtf8(std::u16string_view units);
// UTF-8 to UTF-16; invalid sequences become U+FFFD.
std::u16string Utf8ToUtf16(std::string_view utf8);
// Bytes as code points 0..255 (the instruments' 8-bit strings) to UTF-8, up to the first zero.
std::string Latin1ToUtf8(std::span<const uint8_t> bytes);
std::string Latin1ToUtf8(std::string_view bytes);

// Removes white space at both ends.
std::string Trim(std::string_view s);
// Case-insensitive comparison of ASCII letters; other bytes compare as they are.
bool EqualsIgnoreCase(std::string_view a, std::string_view b);

// A message with the reason on the line below it, as the programs show a failure and why; the
// message alone when there is no reason.
std::string WithReason(const std::string& message, const std::string& reason);

}  // namespace qx
