// The content hash that identifies a record file in the record library: SHA-256 of the bytes
// the file's recording is read from, so that the same download found again under another name
// or in another folder is known for what it is.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace qx {

struct ContentHash {
    std::array<uint8_t, 32> bytes{};
    bool operator==(const ContentHash&) const = default;
    // 64 lower-case hexadecimal digits.
    std::string Hex() const;
};

ContentHash Sha256(std::span<const uint8_t> data);

}  // namespace qx
