#include "wire_order.h"

#include <algorithm>
#include <span>

namespace qx {
namespace {

// A set of types as a bit mask: bit t stands for type t (0..11).
constexpr uint16_t Types(std::initializer_list<int> types) {
    uint16_t m = 0;
    for (int t : types)
        m = static_cast<uint16_t>(m | (1u << t));
    return m;
}
constexpr uint16_t kAll = 0x0FFF;
constexpr uint16_t AllBut(std::initializer_list<int> types) {
    return static_cast<uint16_t>(kAll & ~Types(types));
}

struct SwappedField {
    uint8_t offset;
    uint8_t width;  // 2 or 4
    uint16_t types;
};

// Status fields that travel big-endian.
constexpr SwappedField kStatusFields[] = {
    {0, 4, kAll},
    {4, 2, kAll},
    {6, 2, kAll},
    {8, 2, AllBut({7, 9})},
    {10, 2, kAll},
    {12, 2, kAll},
    {14, 2, AllBut({7, 9})},
    {16, 2, AllBut({7, 9})},
    {23, 2, Types({0, 1, 3, 4, 5, 6, 8, 11})},
    {25, 2, Types({0, 1, 3, 4, 5, 6, 8, 11})},
    {27, 2, Types({0, 1, 3, 4, 5, 6, 8, 11})},
    {29, 2, Types({0, 1, 2, 3, 4, 5, 6})},
};

// Parameter block fields: the types that convert them when reading and when writing.
struct ParamField {
    uint8_t offset;
    uint8_t width;
    uint16_t readTypes;
    uint16_t writeTypes;
};
constexpr ParamField kParamFields[] = {
    {49, 2, Types({2, 7, 8, 11}), Types({2, 7, 8, 11})},
    {51, 2, kAll, kAll},
    {57, 2, kAll, kAll},
    {59, 2, kAll, kAll},
    {61, 2, AllBut({7, 9}), AllBut({7, 9})},
    {63, 2, AllBut({7, 9}), AllBut({7, 9})},
    {66, 4, kAll, kAll},
    {71, 4, kAll, 0},
    {75, 2, kAll, 0},
    {79, 2, Types({8, 11}), Types({8, 11})},
    {81, 2, Types({0, 1, 2, 3, 4, 5, 6, 10}), Types({2, 6, 10})},
    {83, 2, Types({0, 1, 3, 4, 5, 6, 10}), Types({6, 10})},
    {85, 2, Types({0, 1, 3, 4, 5, 6}), Types({6})},
};

uint16_t TypeBit(InstrumentTypeId type) {
    return static_cast<uint16_t>(1u << (IsKnownModel(type) ? type : 0));
}

void Reverse(std::span<uint8_t> bytes, size_t offset, size_t width) {
    std::reverse(bytes.begin() + static_cast<long>(offset),
                 bytes.begin() + static_cast<long>(offset + width));
}

}  // namespace

void SwapLiveStatusFields(LiveStatus& status, InstrumentTypeId type) {
    for (const SwappedField& f : kStatusFields) {
        if (f.types & TypeBit(type)) Reverse(status.bytes, f.offset, f.width);
    }
}

void SwapParamBlockForRead(ParamBlock& block, InstrumentTypeId type) {
    for (const ParamField& f : kParamFields) {
        if (f.readTypes & TypeBit(type)) Reverse(block.bytes, f.offset, f.width);
    }
}

void SwapParamBlockForWrite(ParamBlock& block, InstrumentTypeId type) {
    for (const ParamField& f : kParamFields) {
        if (f.writeTypes & TypeBit(type)) Reverse(block.bytes, f.offset, f.width);
    }
}

}  // namespace qx
