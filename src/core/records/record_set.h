// A decoded record: a copy of its header, the instrument type it was decoded as, and one row
// of eight single-precision floats per sample, in record order.
//
//   float  0     free (not written by decoding)
//   float  1..7  ch0 temperature °C, ch1 humidity %, ch2 pressure hPa, ch3 differential
//                pressure (raw / 100), ch4 sound level dB, ch5 flow, ch6 CO2 ppm or
//                formaldehyde mg/m3
//
// A type writes only its own channels; readers take only the channels of the type's mask.
// The set is large (1 MB of rows): its owner keeps one on the heap and reuses it.
#pragma once

#include <array>
#include <cstdint>

#include "core/model/instrument_catalogue.h"
#include "record_header.h"

namespace qx {

struct SampleRow {
    std::array<float, 8> f{};
    float Ch(int channel) const { return f[static_cast<size_t>(channel) + 1]; }
    void SetCh(int channel, float v) { f[static_cast<size_t>(channel) + 1] = v; }
};

struct RecordSet {
    static constexpr int kMaxRows = 32768;

    RecordHeader header;
    InstrumentTypeId type = 0;
    // Rows holding samples of this record: the effective sample count, limited to the type's
    // cap, to the rows and to the samples the image really holds.
    int32_t count = 0;
    std::array<SampleRow, kMaxRows> rows;

    ParamBlock Params() const { return header.Params(); }
};

}  // namespace qx
