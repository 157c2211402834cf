// A field of qxlog-cli's tab-separated lines. Texts that come from record files and
// instruments (numbers, names, paths) may hold a tab or a line break where nobody expected one
// (a crafted or damaged file); each such control character becomes a space, so that every
// record stays one line of the same columns.
#pragma once

#include <string>
#include <string_view>

namespace qx::cli {

inline std::string TsvField(std::string_view text) {
    std::string field(text);
    for (char& c : field) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x20 || b == 0x7F) c = ' ';
    }
    return field;
}

}  // namespace qx::cli
