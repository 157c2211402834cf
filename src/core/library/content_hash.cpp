#include "content_hash.h"

#include <openssl/evp.h>

namespace qx {

std::string ContentHash::Hex() const {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    text.reserve(64);
    for (const uint8_t b : bytes) {
        text += kDigits[b >> 4];
        text += kDigits[b & 15];
    }
    return text;
}

ContentHash Sha256(std::span<const uint8_t> data) {
    ContentHash out;
    unsigned int size = 0;
    // EVP_Digest fails only when the library cannot allocate its context; the hash then stays
    // all zeros, which no content has, rather than a value left over from elsewhere.
    if (EVP_Digest(data.data(), data.size(), out.bytes.data(), &size, EVP_sha256(), nullptr) != 1 ||
        size != out.bytes.size())
        out.bytes.fill(0);
    return out;
}

}  // namespace qx
