// Little-endian loads and stores of 8, 16 and 32 bits, signed and unsigned, over byte
// pointers. Every fixed-layout record the program holds in memory or on disk (parameter block,
// live status, record header and image) keeps its multi-byte fields little-endian and reads and
// writes them through these functions; the records expose them under the same names
// (U8/U16/S16/U32/S32 and SetU8/SetU16/SetS16/SetU32/SetS32).
#pragma once

#include <cstddef>
#include <cstdint>

namespace qx {

inline uint8_t LoadU8(const uint8_t* p) {
    return p[0];
}
inline uint16_t LoadU16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
inline int16_t LoadS16(const uint8_t* p) {
    return static_cast<int16_t>(LoadU16(p));
}
inline uint32_t LoadU32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
inline int32_t LoadS32(const uint8_t* p) {
    return static_cast<int32_t>(LoadU32(p));
}

inline void StoreU8(uint8_t* p, uint8_t v) {
    p[0] = v;
}
inline void StoreU16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
inline void StoreS16(uint8_t* p, int16_t v) {
    StoreU16(p, static_cast<uint16_t>(v));
}
inline void StoreU32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<uint8_t>(v >> (8 * i));
}
inline void StoreS32(uint8_t* p, int32_t v) {
    StoreU32(p, static_cast<uint32_t>(v));
}

// The field accessors of a fixed-layout record whose bytes are its std::array member `bytes`
// (struct R : LittleEndianFields<R>). Offsets are the layout's constants and are not checked.
template <typename Derived>
struct LittleEndianFields {
    uint8_t U8(size_t off) const { return LoadU8(Data() + off); }
    uint16_t U16(size_t off) const { return LoadU16(Data() + off); }
    int16_t S16(size_t off) const { return LoadS16(Data() + off); }
    uint32_t U32(size_t off) const { return LoadU32(Data() + off); }
    int32_t S32(size_t off) const { return LoadS32(Data() + off); }
    void SetU8(size_t off, uint8_t v) { StoreU8(Data() + off, v); }
    void SetU16(size_t off, uint16_t v) { StoreU16(Data() + off, v); }
    void SetS16(size_t off, int16_t v) { StoreS16(Data() + off, v); }
    void SetU32(size_t off, uint32_t v) { StoreU32(Data() + off, v); }
    void SetS32(size_t off, int32_t v) { StoreS32(Data() + off, v); }

  private:
    const uint8_t* Data() const { return static_cast<const Derived*>(this)->bytes.data(); }
    uint8_t* Data() { return static_cast<Derived*>(this)->bytes.data(); }
};

}  // namespace qx
