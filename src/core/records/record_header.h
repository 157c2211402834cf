// The 96-byte header at the start of every record image and record file, as a value: the
// magic that names the instrument type, the download time and the ParamBlock of the recording.
// A RecordSet keeps a copy of it; RecordImage::Header() copies it out of an image.
#pragma once

#include <array>
#include <cstdint>
#include <cstring>

#include "core/model/byte_order.h"
#include "core/model/param_block.h"

namespace qx {

struct RecordHeader : LittleEndianFields<RecordHeader> {
    static constexpr size_t kSize = 96;
    static constexpr size_t kMagicOffset = 0;
    static constexpr size_t kDownloadTimeOffset = 4;
    static constexpr size_t kParamOffset = 8;

    std::array<uint8_t, kSize> bytes{};

    uint32_t Magic() const { return U32(kMagicOffset); }
    // Seconds since 1970-01-01 00:00 UTC when the samples were fetched.
    uint32_t DownloadTime() const { return U32(kDownloadTimeOffset); }
    ParamBlock Params() const {
        ParamBlock p;
        std::memcpy(p.bytes.data(), bytes.data() + kParamOffset, ParamBlock::kSize);
        return p;
    }
};
static_assert(RecordHeader::kParamOffset + ParamBlock::kSize == RecordHeader::kSize);

}  // namespace qx
