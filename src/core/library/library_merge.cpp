#include "library_merge.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "core/records/derived_series.h"
#include "core/records/record_set.h"
#include "core/records/sample_decoding.h"

namespace qx {
namespace {

struct HeldSample {
    int64_t time;
    const uint8_t* bytes;
};

// The samples k0 .. k1 - 1 of a run that lie in from..to and that its bytes hold; a run
// without an interval holds one time only.
std::pair<int64_t, int64_t> Within(const SampleRun& run, int64_t from, int64_t to, size_t size) {
    int64_t k1 = static_cast<int64_t>(std::min<size_t>(run.count, run.bytes.size() / size));
    if (run.interval == 0) k1 = std::min<int64_t>(k1, 1);
    if (k1 == 0) return {0, 0};
    const int64_t last = run.TimeOf(static_cast<uint32_t>(k1 - 1));
    if (run.first > to || last < from) return {0, 0};
    if (run.interval == 0) return {0, k1};
    const int64_t k0 = run.first >= from ? 0 : (from - run.first + run.interval - 1) / run.interval;
    if (last > to) k1 = (to - run.first) / run.interval + 1;
    return {k0, std::max(k0, k1)};
}

// The samples of `runs` at times from..to, in time order; of two at one time the first run's.
std::vector<HeldSample> HeldSamples(std::span<const SampleRun> runs, int64_t from, int64_t to,
                                    size_t size) {
    std::vector<HeldSample> held;
    for (const SampleRun& run : runs) {
        const auto [k0, k1] = Within(run, from, to, size);
        for (int64_t k = k0; k < k1; ++k) {
            held.push_back({run.TimeOf(static_cast<uint32_t>(k)),
                            run.bytes.data() + static_cast<size_t>(k) * size});
        }
    }
    std::stable_sort(held.begin(), held.end(),
                     [](const HeldSample& a, const HeldSample& b) { return a.time < b.time; });
    return held;
}

}  // namespace

MergePlan PlanMerge(const IncomingRecording& in, std::span<const SampleRun> existing) {
    MergePlan plan;
    if (in.count == 0) return plan;
    const size_t size = static_cast<size_t>(in.sampleSize);
    const std::vector<HeldSample> held =
        HeldSamples(existing, in.TimeOf(0), in.TimeOf(in.count - 1), size);
    size_t h = 0;
    SampleRun* open = nullptr;  // the run the previous sample went into
    for (uint32_t k = 0; k < in.count; ++k) {
        const int64_t t = in.TimeOf(k);
        const uint8_t* bytes = in.samples.data() + k * size;
        while (h < held.size() && held[h].time < t)
            ++h;
        if (h < held.size() && held[h].time == t) {
            if (std::memcmp(held[h].bytes, bytes, size) == 0) {
                ++plan.duplicates;
            } else {
                plan.conflicts.push_back({t, std::vector<uint8_t>(bytes, bytes + size)});
            }
            open = nullptr;
            continue;
        }
        if (!open || open->count >= kMaxRunSamples) {
            SampleRun& run = plan.runs.emplace_back();
            run.first = t;
            run.interval = in.clock.interval;
            run.bytes.reserve(std::min<size_t>(in.count - k, kMaxRunSamples) * size);
            open = &run;
        }
        open->bytes.insert(open->bytes.end(), bytes, bytes + size);
        ++open->count;
        ++plan.added;
    }
    return plan;
}

ContentHash RunChecksum(int64_t first, uint32_t interval, uint32_t count,
                        std::span<const uint8_t> bytes) {
    std::vector<uint8_t> data;
    data.reserve(16 + bytes.size());
    for (int i = 7; i >= 0; --i)
        data.push_back(static_cast<uint8_t>(static_cast<uint64_t>(first) >> (i * 8)));
    for (const uint32_t v : {interval, count}) {
        for (int i = 3; i >= 0; --i)
            data.push_back(static_cast<uint8_t>(v >> (i * 8)));
    }
    data.insert(data.end(), bytes.begin(), bytes.end());
    return Sha256(data);
}

RunDamage DamageOf(const SampleRun& run, InstrumentTypeId type) {
    const size_t size = static_cast<size_t>(std::max(DecodedSampleSize(type), 0));
    if (size == 0 || run.bytes.size() != size_t{run.count} * size) return RunDamage::kShort;
    return RunChecksum(run) == run.checksum ? RunDamage::kNone : RunDamage::kChecksum;
}

RunReadings ReadingsOf(const SampleRun& run, InstrumentTypeId type, const ParamBlock& params) {
    const size_t size = static_cast<size_t>(DecodedSampleSize(type));
    if (size == 0 || run.bytes.size() < size_t{run.count} * size) return {};
    std::vector<SampleRow> rows(run.count);
    if (run.count > 0)
        DecodeSamples(run.bytes.data(), static_cast<int32_t>(run.count), type, params, rows.data());
    const RecordUnits units = RecordUnitsOf(params.UnitByte(), type);
    const std::span<const int> series = SeriesList(type);
    RunReadings out;
    out.reserve(size_t{run.count} * series.size());
    for (const SampleRow& row : rows) {
        const SeriesValues values = ComputeSeries(row, units);
        for (int s : series)
            out.push_back(values[static_cast<size_t>(s)]);
    }
    return out;
}

void AppendTimedSamples(std::span<const SampleRun> runs, InstrumentTypeId type,
                        const ParamBlock& params, int64_t from, int64_t to,
                        std::vector<TimedSample>& out) {
    const size_t size = static_cast<size_t>(DecodedSampleSize(type));
    // The samples k0 .. k1 - 1 of each run lie in the window.
    struct Part {
        const SampleRun* run;
        int64_t k0, k1;
    };
    std::vector<Part> parts;
    size_t total = out.size();
    for (const SampleRun& run : runs) {
        const auto [k0, k1] = Within(run, from, to, size);
        if (k1 <= k0) continue;
        parts.push_back({&run, k0, k1});
        total += static_cast<size_t>(k1 - k0);
    }
    out.reserve(total);
    std::vector<SampleRow> rows;
    for (const Part& part : parts) {
        const auto n = static_cast<size_t>(part.k1 - part.k0);
        // Decoded into a block of rows, then spread over the samples with their times.
        rows.assign(n, SampleRow{});
        DecodeSamples(part.run->bytes.data() + static_cast<size_t>(part.k0) * size,
                      static_cast<int32_t>(n), type, params, rows.data());
        for (size_t i = 0; i < n; ++i) {
            out.push_back(
                {part.run->TimeOf(static_cast<uint32_t>(part.k0) + static_cast<uint32_t>(i)),
                 rows[i]});
        }
    }
}

}  // namespace qx
