// One recording of an instrument as the record library hands it out: the settings it was
// recorded with (the record header's parameter block and the instrument type) and its samples in
// time order, each with its own time. An instrument's history is its recordings in time order;
// a comparison takes one history per instrument.
#pragma once

#include <cstdint>
#include <vector>

#include "core/model/instrument_catalogue.h"
#include "core/model/param_block.h"
#include "core/records/record_set.h"

namespace qx {

struct TimedSample {
    int64_t time = 0;  // seconds since 1970-01-01 00:00 UTC
    SampleRow row;     // the channels as decoding leaves them (SampleRow::Ch)
};

struct RecordingSamples {
    InstrumentTypeId type = 0;
    // The recording's settings: units, limits, interval, instrument number and measurement name.
    ParamBlock params;
    std::vector<TimedSample> samples;  // strictly increasing times
};

// An instrument's recordings in time order (of their first samples). The recordings of one
// logger do not overlap; those of two loggers that share a model and a number can, and then
// the library said so when their files were added (AddResult::overlaps).
using InstrumentHistory = std::vector<RecordingSamples>;

}  // namespace qx
