// One write transaction over one instrument, the steps every addition to the record library
// takes: a record file (RecordLibrary::AddRecordFile), the PC's live readings (AddLive) and a
// recording of another library (AddStored). It begins the store's write, knows the
// instrument's recordings, finds or adds the recording of a key, hands new runs to the engine
// with their checksums and decoded readings, renews the totals of the recordings whose samples
// or settings changed, and commits; whatever it has not committed when it goes is rolled back.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "library_store.h"
#include "library_types.h"
#include "recording_totals.h"

namespace qx {

class InstrumentWrite {
  public:
    InstrumentWrite(LibraryStore& store, TotalsWorkspace& workspace)
        : store_(store), workspace_(workspace) {}
    ~InstrumentWrite();
    InstrumentWrite(const InstrumentWrite&) = delete;
    InstrumentWrite& operator=(const InstrumentWrite&) = delete;

    // Begins the write over the instrument (made when new) and reads its recordings. False
    // when the store failed (its Error()).
    bool Begin(const InstrumentKey& key);

    LibraryId Instrument() const { return instrument_; }
    // The instrument's recordings: those it held when the write began, then those it added.
    const std::vector<LibraryRecording>& Recordings() const { return recordings_; }
    const LibraryRecording* Find(const RecordingKey& key) const;
    LibraryStore& Store() { return store_; }

    // Notes a measurement name of the instrument; nothing for an empty one.
    bool AddName(std::string_view name);
    // The recording of the key: the one the instrument holds, or a new one with the header and
    // name and no samples yet, its span at `start`.
    bool Recording(const RecordingKey& key, const RecordHeader& header, const std::string& name,
                   int64_t start, LibraryRecording& out);
    // New runs of the write's recordings (each run's recording set, one of Recordings()),
    // given their checksums and their readings decoded with their recording's settings.
    bool AddRuns(std::span<SampleRun> runs);
    // Renews a recording's header and its totals from all its runs.
    bool Renew(LibraryId recording, const RecordHeader& header);

    bool Commit();
    // Ends the write without anything of it.
    void Abandon();

  private:
    LibraryStore& store_;
    TotalsWorkspace& workspace_;
    InstrumentKey key_;
    LibraryId instrument_ = 0;
    std::vector<LibraryRecording> recordings_;
    bool open_ = false;
};

}  // namespace qx
