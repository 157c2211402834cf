// Byte order on the USB link. The instrument sends some multi-byte fields big-endian and
// others as the host holds them; which ones depends on the model. These functions reverse
// the bytes of exactly the fields that travel big-endian, in place; reversing is its own
// inverse, so the same call turns wire order into host order and back. Any type outside
// 1..11 follows the rules of type 0.
#pragma once

#include "core/model/instrument_catalogue.h"
#include "core/model/param_block.h"
#include "live_status.h"

namespace qx {

// LiveStatus fields (report 5).
void SwapLiveStatusFields(LiveStatus& status, InstrumentTypeId type);

// ParamBlock fields of a block read from the instrument (reports 6 and 7).
void SwapParamBlockForRead(ParamBlock& block, InstrumentTypeId type);
// ParamBlock fields of a block sent to the instrument (report 2). Fields the instrument alone
// writes (record start time, stored count) and the unused tails of some models go as held.
void SwapParamBlockForWrite(ParamBlock& block, InstrumentTypeId type);

// Big-endian helpers for report buffers.
inline void PutBigEndian16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v >> 8);
    p[1] = static_cast<uint8_t>(v);
}
inline void PutBigEndian32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<uint8_t>(v >> (24 - 8 * i));
}
inline uint16_t GetBigEndian16(const uint8_t* p) {
    return static_cast<uint16_t>((p[0] << 8) | p[1]);
}
inline uint32_t GetBigEndian32(const uint8_t* p) {
    return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
           (static_cast<uint32_t>(p[2]) << 8) | p[3];
}

}  // namespace qx
