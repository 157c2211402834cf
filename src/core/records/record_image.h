// A downloaded recording in memory: the 96-byte record header followed by the instrument's
// packed samples, byte for byte as they came over the wire. The same bytes are the record
// file (*.QXRec). Multi-byte fields are little-endian.
//
//   offset  size  field
//   0       4     magic: identifies the instrument type (see the catalogue)
//   4       4     download time, seconds since 1970-01-01 00:00 UTC
//   8       88    ParamBlock of the recording, host order
//   96      ...   samples, back to back
#pragma once

#include <array>
#include <cstdint>
#include <cstring>

#include "core/model/byte_order.h"
#include "core/model/param_block.h"
#include "record_header.h"

namespace qx {

struct RecordImage : LittleEndianFields<RecordImage> {
    static constexpr size_t kSize = 131072;
    static constexpr size_t kHeaderSize = RecordHeader::kSize;
    static constexpr size_t kMagicOffset = 0;
    static constexpr size_t kDownloadTimeOffset = 4;
    static constexpr size_t kParamOffset = 8;

    std::array<uint8_t, kSize> bytes{};

    uint32_t Magic() const { return U32(kMagicOffset); }
    void SetMagic(uint32_t v) { SetU32(kMagicOffset, v); }
    uint32_t DownloadTime() const { return U32(kDownloadTimeOffset); }
    void SetDownloadTime(uint32_t v) { SetU32(kDownloadTimeOffset, v); }

    ParamBlock Params() const {
        ParamBlock p;
        std::memcpy(p.bytes.data(), bytes.data() + kParamOffset, ParamBlock::kSize);
        return p;
    }
    void SetParams(const ParamBlock& p) {
        std::memcpy(bytes.data() + kParamOffset, p.bytes.data(), ParamBlock::kSize);
    }
    RecordHeader Header() const {
        RecordHeader h;
        std::memcpy(h.bytes.data(), bytes.data(), RecordHeader::kSize);
        return h;
    }
    uint8_t* Samples() { return bytes.data() + kHeaderSize; }
    const uint8_t* Samples() const { return bytes.data() + kHeaderSize; }
};

}  // namespace qx
