// How the record library identifies what a record file holds: the instrument (model and
// number), the recording (start time, interval, units and limits) and each sample's time, read
// from the record header exactly as the record browser reads it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "core/model/param_block.h"
#include "core/records/record_image.h"
#include "core/records/record_query.h"
#include "library_types.h"

namespace qx {

// The recording of one record file, ready to be merged into the library.
struct IncomingRecording {
    InstrumentKey instrument;
    RecordingKey key;
    RecordHeader header;
    std::string name;   // measurement name, UTF-8, white space at both ends removed
    SampleClock clock;  // sample k at clock.TimeOf(k)
    int sampleSize = 0;
    uint32_t count = 0;
    std::span<const uint8_t> samples;  // count * sampleSize bytes

    InstrumentTypeId Type() const { return instrument.model; }
    int64_t TimeOf(uint32_t k) const { return clock.TimeOf(k); }
};

InstrumentKey InstrumentKeyOf(const ParamBlock& params, InstrumentTypeId type);
// The settings text holds the unit byte and the alarm limits in display units (and the flow
// meter's coefficients, which its samples are computed with).
RecordingKey RecordingKeyOf(const ParamBlock& params, InstrumentTypeId type);

// The recording of an image read from a record file of `bytes` bytes (ReadRecordFile); its
// samples point into the image. False when the samples have no times of their own (an interval
// of 0 with more than one sample); *why then says so.
bool IncomingOf(const RecordImage& image, InstrumentTypeId type, size_t bytes,
                IncomingRecording& out, std::string* why);

}  // namespace qx
