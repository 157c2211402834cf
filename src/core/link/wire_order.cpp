#include "wire_order.h"

#include <algorithm>
#include <span>

namespace qx {
namespace {

// A set of models as a bit mask: bit t stands for type t (kNoModel, the default row, and the
// eleven models).
constexpr uint16_t Types(std::initializer_list<InstrumentModel> types) {
    uint16_t m = 0;
    for (InstrumentModel t : types)
        m = static_cast<uint16_t>(m | (1u << t));
    return m;
}
constexpr uint16_t kAll = static_cast<uint16_t>((1u << (kModelCount + 1)) - 1);
constexpr uint16_t AllBut(std::initializer_list<InstrumentModel> types) {
    return static_cast<uint16_t>(kAll & ~Types(types));
}

// Which models send a field big-endian is a fact of each model's firmware, listed here by name.
constexpr uint16_t kSoundMeters = Types({kQX390, kQX410});
constexpr uint16_t kLocalClock = Types({kQX450, kQX390, kQX7000, kQX610});
constexpr uint16_t kGasModels = Types({kQX7000, kQX610});
// Status bytes 23..28 (the alarm limits).
constexpr uint16_t kStatusLimits =
    Types({kNoModel, kQX420, kQX430, kQX420B, kQX440, kQX7200, kQX7000, kQX610});
// Status bytes 29..30.
constexpr uint16_t kStatusTail =
    Types({kNoModel, kQX420, kQX450, kQX430, kQX420B, kQX440, kQX7200});

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
    {8, 2, kAll & ~kSoundMeters},
    {10, 2, kAll},
    {12, 2, kAll},
    {14, 2, kAll & ~kSoundMeters},
    {16, 2, kAll & ~kSoundMeters},
    {23, 2, kStatusLimits},
    {25, 2, kStatusLimits},
    {27, 2, kStatusLimits},
    {29, 2, kStatusTail},
};

// Parameter block fields: the types that convert them when reading and when writing.
struct ParamField {
    uint8_t offset;
    uint8_t width;
    uint16_t readTypes;
    uint16_t writeTypes;
};
constexpr ParamField kParamFields[] = {
    {49, 2, kLocalClock, kLocalClock},
    {51, 2, kAll, kAll},
    {57, 2, kAll, kAll},
    {59, 2, kAll, kAll},
    {61, 2, kAll & ~kSoundMeters, kAll & ~kSoundMeters},
    {63, 2, kAll & ~kSoundMeters, kAll & ~kSoundMeters},
    {66, 4, kAll, kAll},
    {71, 4, kAll, 0},
    {75, 2, kAll, 0},
    {79, 2, kGasModels, kGasModels},
    {81, 2, AllBut({kQX390, kQX7000, kQX410, kQX610}), Types({kQX450, kQX7200, kQX460})},
    {83, 2, AllBut({kQX450, kQX390, kQX7000, kQX410, kQX610}), Types({kQX7200, kQX460})},
    {85, 2, AllBut({kQX450, kQX390, kQX7000, kQX410, kQX460, kQX610}), Types({kQX7200})},
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
