#include "hid_library.h"

#include <algorithm>
#include <cstring>

namespace qx {

std::string HidBufferText(const HidStringBuffer& buffer) {
    const auto end = std::find(buffer.begin(), buffer.end(), '\0');
    return std::string(buffer.begin(), end);
}

void SetHidBufferText(HidStringBuffer& buffer, std::string_view text) {
    buffer.fill('\0');
    const size_t n = std::min(text.size(), buffer.size() - 1);
    std::memcpy(buffer.data(), text.data(), n);
}

}  // namespace qx
