// The instrument's live status block (report 5), 31 bytes, held in host order once the
// big-endian fields of the model have been converted (see wire_order.h). Offsets into the
// block (report byte = offset + 1):
//
//   off width  content
//   0   u32    instrument clock, seconds since 1970 (UTC, or local time for 2, 7, 8, 11)
//   4   u16    stored samples
//   6   u16    temperature (v/10 - 40 °C); 7, 9: sound level v/10 dB
//   8   u16    humidity v/10 %
//   10  u16    low temperature limit (as 6); 7, 9: low sound limit
//   12  u16    high temperature limit; 7, 9: high sound limit
//   14  u16    low humidity limit v/10; 7: bytes 14 (sampling speed), 15 (weighting)
//   16  u16    high humidity limit
//   18  u8     unit byte (bits 0-3 = 1: Fahrenheit; 4-5 pressure unit; 6-7 flow unit)
//   19  u8     blocks present: bit 0 set parameters, bit 1 a recording exists
//   20  u8     nonzero while recording
//   21  u8     external flag (2: clock suffix " EXT")
//   23  u16    pressure v/10 hPa; 8: CO2 ppm; 11: formaldehyde v/100 mg/m3
//   25  s16    6: differential pressure v/100
//   27  u16    6: sound level v/10; 8, 11: gas alarm limit (as 23)
//   29  s16    6: flow; 2: wrap count of the cyclic memory
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "core/model/byte_order.h"

namespace qx {

namespace live {
inline constexpr size_t kClock = 0;
inline constexpr size_t kCount = 4;
inline constexpr size_t kValue = 6;
inline constexpr size_t kHumidity = 8;
inline constexpr size_t kLowLimit = 10;
inline constexpr size_t kHighLimit = 12;
inline constexpr size_t kLowHumidityLimit = 14;
inline constexpr size_t kHighHumidityLimit = 16;
inline constexpr size_t kUnitByte = 18;
inline constexpr size_t kBlocksPresent = 19;
inline constexpr size_t kRecording = 20;
inline constexpr size_t kExternal = 21;
inline constexpr size_t kGas = 23;  // pressure, CO2 or formaldehyde
inline constexpr size_t kDiffPressure = 25;
inline constexpr size_t kSoundOrGasLimit = 27;
inline constexpr size_t kFlowOrWrap = 29;
inline constexpr uint8_t kSetParamsPresent = 0x01;
inline constexpr uint8_t kRecordedParamsPresent = 0x02;
}  // namespace live

struct LiveStatus : LittleEndianFields<LiveStatus> {
    static constexpr size_t kSize = 31;
    std::array<uint8_t, kSize> bytes{};

    uint32_t Clock() const { return U32(live::kClock); }
    uint16_t StoredCount() const { return U16(live::kCount); }
    bool HasSetParams() const { return U8(live::kBlocksPresent) & live::kSetParamsPresent; }
    bool HasRecording() const { return U8(live::kBlocksPresent) & live::kRecordedParamsPresent; }
    bool IsRecording() const { return U8(live::kRecording) != 0; }
};
static_assert(sizeof(LiveStatus) == LiveStatus::kSize);

}  // namespace qx
