// Merging a record file's samples into an instrument's samples in the library, and reading
// runs back as timed samples. A sample is identified by its instrument and its time:
//   - a time the instrument does not hold yet brings a new sample;
//   - a time it holds with the same bytes is a duplicate (a download that overlaps an earlier
//     one, a cyclic logger downloaded again) and changes nothing;
//   - a time it holds with other bytes is a conflict: the library keeps the sample it has (the
//     first file's) and the file's value is reported and kept aside, never put in its place.
// New samples are cut into runs: consecutive samples of the file, at most kMaxRunSamples each.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "core/library/recording_samples.h"
#include "library_identity.h"
#include "library_types.h"

namespace qx {

inline constexpr uint32_t kMaxRunSamples = 4096;

struct MergePlan {
    std::vector<SampleRun> runs;  // the new samples; recording left 0 for the caller to set
    std::vector<ConflictSample> conflicts;
    int64_t added = 0;
    int64_t duplicates = 0;
};

// What adding `incoming` to an instrument holding `existing` (its runs that hold any time from
// the first to the last incoming sample, of any recording) brings.
MergePlan PlanMerge(const IncomingRecording& incoming, std::span<const SampleRun> existing);

// A run's readings as an engine keeps them (RunReadings): its samples decoded with the settings
// in params, the model's series of each in turn. Empty when the bytes fall short of the count.
RunReadings ReadingsOf(const SampleRun& run, InstrumentTypeId type, const ParamBlock& params);

// The samples of runs (of one model, in time order) within from..to, decoded with the
// settings in params and appended to out in time order.
void AppendTimedSamples(std::span<const SampleRun> runs, InstrumentTypeId type,
                        const ParamBlock& params, int64_t from, int64_t to,
                        std::vector<TimedSample>& out);

}  // namespace qx
