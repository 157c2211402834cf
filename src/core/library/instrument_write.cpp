#include "instrument_write.h"

#include <algorithm>
#include <limits>

#include "library_merge.h"

namespace qx {

InstrumentWrite::~InstrumentWrite() {
    if (open_) store_.Rollback();
}

bool InstrumentWrite::Begin(const InstrumentKey& key) {
    key_ = key;
    recordings_.clear();
    if (!store_.BeginWrite(key, instrument_)) return false;
    open_ = true;
    RecordingQuery ofInstrument;
    ofInstrument.instrument = instrument_;
    return store_.Recordings(ofInstrument, recordings_);
}

const LibraryRecording* InstrumentWrite::Find(const RecordingKey& key) const {
    const auto it = std::find_if(recordings_.begin(), recordings_.end(),
                                 [&](const LibraryRecording& r) { return r.key == key; });
    return it == recordings_.end() ? nullptr : &*it;
}

bool InstrumentWrite::AddName(std::string_view name) {
    return name.empty() || store_.AddName(instrument_, name);
}

bool InstrumentWrite::Recording(const RecordingKey& key, const RecordHeader& header,
                                const std::string& name, int64_t start, LibraryRecording& out) {
    if (const LibraryRecording* held = Find(key)) {
        out = *held;
        return true;
    }
    out = LibraryRecording{};
    out.instrument = instrument_;
    out.instrumentKey = key_;
    out.key = key;
    out.header = header;
    out.name = name;
    out.totals = ComputeTotals({}, key_.model, header, start);
    if (!store_.AddRecording(out, out.id)) return false;
    recordings_.push_back(out);
    return true;
}

bool InstrumentWrite::AddRuns(std::span<SampleRun> runs) {
    std::vector<RunReadings> readings;
    readings.reserve(runs.size());
    for (SampleRun& run : runs) {
        run.checksum = RunChecksum(run);
        const auto r =
            std::find_if(recordings_.begin(), recordings_.end(),
                         [&](const LibraryRecording& x) { return x.id == run.recording; });
        readings.push_back(r == recordings_.end()
                               ? RunReadings{}
                               : ReadingsOf(run, key_.model, r->header.Params()));
    }
    return store_.AddRuns(runs, readings);
}

bool InstrumentWrite::Renew(LibraryId recording, const RecordHeader& header) {
    const auto r = std::find_if(recordings_.begin(), recordings_.end(),
                                [&](const LibraryRecording& x) { return x.id == recording; });
    const int64_t start = r == recordings_.end() ? 0 : r->totals.first;
    std::vector<SampleRun> runs;
    if (!store_.Runs(instrument_, recording, std::numeric_limits<int64_t>::min(),
                     std::numeric_limits<int64_t>::max(), runs))
        return false;
    std::vector<ExcursionSpan> excursions;
    const RecordingTotals totals =
        ComputeTotals(runs, key_.model, header, start, &workspace_, &excursions);
    if (!store_.UpdateRecording(recording, header, totals, excursions)) return false;
    if (r != recordings_.end()) {
        r->header = header;
        r->totals = totals;
    }
    return true;
}

bool InstrumentWrite::Commit() {
    if (!open_) return false;
    // A store whose commit failed without ending its transaction is rolled back when the write
    // goes.
    open_ = !store_.Commit();
    return !open_;
}

void InstrumentWrite::Abandon() {
    if (open_) store_.Rollback();
    open_ = false;
}

}  // namespace qx
