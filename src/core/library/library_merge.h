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

// The checksum a run is stored with: SHA-256 of its first time (8 bytes), interval and count
// (4 bytes each), all big-endian, followed by its sample bytes. The server engine computes the
// same in SQL for the runs a library held before it kept checksums.
ContentHash RunChecksum(int64_t first, uint32_t interval, uint32_t count,
                        std::span<const uint8_t> bytes);
inline ContentHash RunChecksum(const SampleRun& run) {
    return RunChecksum(run.first, run.interval, run.count, run.bytes);
}

// What is wrong with a run as read from a store: nothing; bytes that do not hold the samples
// its count says; or times or bytes that no longer match its checksum.
enum class RunDamage { kNone, kShort, kChecksum };
RunDamage DamageOf(const SampleRun& run, InstrumentTypeId type);

// A run's readings as an engine keeps them (RunReadings): its samples decoded with the settings
// in params, the model's series of each in turn. Empty when the bytes fall short of the count.
RunReadings ReadingsOf(const SampleRun& run, InstrumentTypeId type, const ParamBlock& params);

// The samples of runs (of one model, in time order) within from..to, decoded with the
// settings in params and appended to out in time order.
void AppendTimedSamples(std::span<const SampleRun> runs, InstrumentTypeId type,
                        const ParamBlock& params, int64_t from, int64_t to,
                        std::vector<TimedSample>& out);

}  // namespace qx
