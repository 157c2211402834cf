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

// Samples of another recording of the instrument that a history leaves out because this one
// holds their time (core/library/timeline.h), or that it leaves out as damaged.
struct SetAsideSamples {
    int64_t first = 0;  // the first and the last sample left out
    int64_t last = 0;
    int64_t count = 0;
    bool live = false;      // they are the PC's live readings, not a download's samples
    bool keptLive = false;  // the samples kept in their time are live readings
    // Samples of this instrument's recording `recording` that the library holds damaged
    // (record_library.h, DamagedRun): left out, whatever else holds their time.
    bool damaged = false;
    int64_t recording = 0;
    bool operator==(const SetAsideSamples&) const = default;
};

struct RecordingSamples {
    InstrumentTypeId type = 0;
    // The recording's settings: units, limits, interval, instrument number and measurement name.
    ParamBlock params;
    std::vector<TimedSample> samples;  // strictly increasing times
    std::vector<SetAsideSamples> setAside;
};

// An instrument's samples in time order, each moment once: its recordings, or the parts of them
// that no other recording outranks (core/library/timeline.h), in time order and without
// overlaps. What the others held there is noted with the part that kept its time.
using InstrumentHistory = std::vector<RecordingSamples>;

}  // namespace qx
