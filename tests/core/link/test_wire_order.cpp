#include "core/link/wire_order.h"

#include <gtest/gtest.h>

namespace qx {
namespace {

LiveStatus Pattern() {
    LiveStatus s;
    for (size_t i = 0; i < LiveStatus::kSize; ++i)
        s.bytes[i] = static_cast<uint8_t>(i + 1);
    return s;
}

bool Swapped(const LiveStatus& s, size_t off) {
    return s.bytes[off] == off + 2 && s.bytes[off + 1] == off + 1;
}

TEST(WireOrder, StatusClockIsBigEndian) {
    LiveStatus s;
    const uint8_t wire[] = {0x58, 0xC2, 0xA5, 0x00};
    std::copy(std::begin(wire), std::end(wire), s.bytes.begin());
    SwapLiveStatusFields(s, 1);
    EXPECT_EQ(s.Clock(), 0x58C2A500u);  // 2017-03-10 13:07:12 UTC
}

TEST(WireOrder, StatusFieldsPerModel) {
    // Bytes 29-30 (wrap count) travel big-endian for model 2, as held for model 10.
    LiveStatus two = Pattern();
    SwapLiveStatusFields(two, 2);
    EXPECT_TRUE(Swapped(two, 29));
    EXPECT_FALSE(Swapped(two, 23));  // model 2 sends 23..28 as held
    LiveStatus ten = Pattern();
    SwapLiveStatusFields(ten, 10);
    EXPECT_FALSE(Swapped(ten, 29));
    EXPECT_FALSE(Swapped(ten, 23));

    // Humidity fields are as held for the sound meters 7 and 9 only.
    for (InstrumentTypeId t : {7, 9}) {
        LiveStatus s = Pattern();
        SwapLiveStatusFields(s, t);
        EXPECT_FALSE(Swapped(s, 8)) << t;
        EXPECT_FALSE(Swapped(s, 14)) << t;
        EXPECT_TRUE(Swapped(s, 10)) << t;
    }
    // Gas, CO2 and formaldehyde fields for 0, 1, 3, 4, 5, 6, 8, 11; an unknown type acts as 0.
    for (InstrumentTypeId t : {0, 1, 3, 4, 5, 6, 8, 11, 12, -1}) {
        LiveStatus s = Pattern();
        SwapLiveStatusFields(s, t);
        EXPECT_TRUE(Swapped(s, 23) && Swapped(s, 25) && Swapped(s, 27)) << t;
        EXPECT_EQ(Swapped(s, 29), t <= 6 || t > 11) << t;
    }
    // Single bytes never move.
    LiveStatus s = Pattern();
    SwapLiveStatusFields(s, 6);
    for (size_t off : {18, 19, 20, 21, 22})
        EXPECT_EQ(s.bytes[off], off + 1) << off;
}

ParamBlock Counting() {
    ParamBlock b;
    for (size_t i = 0; i < ParamBlock::kSize; ++i)
        b.bytes[i] = static_cast<uint8_t>(i);
    return b;
}

bool Reversed(const ParamBlock& b, size_t off, size_t width) {
    for (size_t i = 0; i < width; ++i) {
        if (b.bytes[off + i] != off + width - 1 - i) return false;
    }
    return true;
}

TEST(WireOrder, ParamBlockReadAndWriteDiffer) {
    // Record start time and stored count are converted on reading only (the instrument
    // alone writes them).
    ParamBlock r = Counting(), w = Counting();
    SwapParamBlockForRead(r, 1);
    SwapParamBlockForWrite(w, 1);
    EXPECT_TRUE(Reversed(r, 71, 4));
    EXPECT_TRUE(Reversed(r, 75, 2));
    EXPECT_FALSE(Reversed(w, 71, 4));
    EXPECT_FALSE(Reversed(w, 75, 2));
    EXPECT_TRUE(Reversed(w, 66, 4));
    // Model 1 reads 81..86 converted and writes them as held; model 6 converts both ways.
    EXPECT_TRUE(Reversed(r, 81, 2) && Reversed(r, 83, 2) && Reversed(r, 85, 2));
    EXPECT_FALSE(Reversed(w, 81, 2) || Reversed(w, 83, 2) || Reversed(w, 85, 2));
    ParamBlock w6 = Counting();
    SwapParamBlockForWrite(w6, 6);
    EXPECT_TRUE(Reversed(w6, 81, 2) && Reversed(w6, 83, 2) && Reversed(w6, 85, 2));
    // Model 2: wrap count both ways, 83 and 85 never; bias converted.
    ParamBlock r2 = Counting(), w2 = Counting();
    SwapParamBlockForRead(r2, 2);
    SwapParamBlockForWrite(w2, 2);
    EXPECT_TRUE(Reversed(r2, 81, 2) && Reversed(w2, 81, 2));
    EXPECT_FALSE(Reversed(r2, 83, 2) || Reversed(w2, 83, 2));
    EXPECT_TRUE(Reversed(r2, 49, 2));
    EXPECT_FALSE(Reversed(r, 49, 2));
    // Gas limit at 79 for 8 and 11 only; humidity limits not for 7 and 9.
    ParamBlock r8 = Counting(), r7 = Counting();
    SwapParamBlockForRead(r8, 8);
    SwapParamBlockForRead(r7, 7);
    EXPECT_TRUE(Reversed(r8, 79, 2));
    EXPECT_FALSE(Reversed(r, 79, 2));
    EXPECT_FALSE(Reversed(r7, 61, 2) || Reversed(r7, 63, 2));
    EXPECT_TRUE(Reversed(r7, 57, 2) && Reversed(r7, 59, 2));
    // Strings and single bytes travel unchanged.
    for (size_t off = 0; off < 49; ++off)
        EXPECT_EQ(r.bytes[off], off);
}

}  // namespace
}  // namespace qx
