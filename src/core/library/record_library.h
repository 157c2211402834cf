// The record library: every downloaded record file merged into one store of instruments,
// recordings and samples, so that an instrument's samples can be read across downloads and
// instruments compared. The record files stay exactly as they are and remain the source: the
// library never changes or deletes one, and can be rebuilt from them.
//
// RecordLibrary is what the program uses. It makes every decision (library_identity.h,
// library_merge.h, recording_totals.h) and leaves the keeping to a LibraryStore engine, so it
// behaves the same on every engine. Adding is idempotent: a file added again adds nothing, the
// same contents at another path add only that path, and overlapping downloads store each sample
// once (library_merge.h says what is a conflict). Each file is added in one write transaction:
// all of it or, when anything fails or the process dies, nothing.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "core/library/recording_samples.h"
#include "library_store.h"
#include "library_types.h"
#include "live_recording.h"
#include "recording_totals.h"
#include "timeline.h"

namespace qx {

enum class AddStatus {
    kAdded,       // its recording is in the library, with whatever samples were new
    kKnown,       // this file (path and contents) was added before: nothing changed
    kCopy,        // the same contents were added from another path: this path is noted too
    kUnreadable,  // not a record file that can be read
    kRefused,     // a record file whose samples the library cannot place in time
    kFailed,      // the library failed (Error()); nothing of the file was added
};

struct AddResult {
    std::string path;  // absolute
    AddStatus status = AddStatus::kFailed;
    InstrumentKey instrument;
    LibraryId recording = 0;
    int64_t samples = 0;     // samples the file holds
    int64_t added = 0;       // new to the library
    int64_t duplicates = 0;  // held already with the same value
    int64_t conflicts = 0;   // held already with another value, which was kept
    // Other downloaded recordings of the instrument whose time span the file's samples
    // overlap: two recordings of one logger over the same days, two loggers that share a model
    // and a number, or a clock set back. The first added keeps its samples there.
    int overlaps = 0;
    // Live recordings of the PC's readings whose time the file's samples cover: the file's
    // samples are shown there and the live readings set aside (timeline.h).
    int liveOverlaps = 0;
    // kUnreadable, kRefused, kFailed: the message to show in the current language, and why in
    // the system's words (the line below it).
    std::string message;
    std::string reason;

    bool Ok() const {
        return status == AddStatus::kAdded || status == AddStatus::kKnown ||
               status == AddStatus::kCopy;
    }
};

// Which recordings to list; every condition given must hold.
struct LibraryFilter {
    LibraryId instrument = 0;     // 0: any
    InstrumentTypeId model = 0;   // 0: any
    std::string number;           // a part of the instrument number; ASCII letters in either case
    std::string name;             // a part of the measurement name; ASCII letters in either case
    std::optional<int64_t> from;  // recordings with samples in from..to (inclusive)
    std::optional<int64_t> to;
    bool excursionsOnly = false;
    // The files' states by their contents, read again as Check() does (else by their sizes).
    bool readFiles = false;
};

enum class FileState {
    kPresent,  // at its path, of the size it had
    kMissing,  // gone from its path
    kMoved,    // gone from its path, its contents known at another path (movedTo)
    kChanged,  // its path holds other contents now
    // Added on another PC (LibraryFile::host): its path is that PC's, not looked for here.
    kElsewhere,
};
struct SourceFile {
    LibraryFile file;
    FileState state = FileState::kPresent;
    std::string movedTo;
};

// Two recordings of one instrument that cover the same time (timeline.h): which keeps its
// samples there, and how many of the other's the instrument's history sets aside.
struct LibraryOverlap {
    InstrumentKey instrument;
    TimelineOverlap overlap;
    int64_t setAside = 0;  // samples of overlap.setAside within the stretch
};

struct RecordingEntry {
    LibraryRecording recording;
    std::vector<SourceFile> files;  // in the order they were added
    // The overlaps the recording is part of, kept or set aside, by time.
    std::vector<LibraryOverlap> overlaps;
};

// A run of samples whose stored bytes do not hold the samples its row says, or whose times or
// bytes no longer match the checksum it was written with (a damaged disk, a library copied
// from elsewhere): never read as samples. The record files it came from hold them still.
struct DamagedRun {
    InstrumentKey instrument;
    LibraryId recording = 0;
    int64_t first = 0, last = 0;  // the times its row gives
    int64_t samples = 0;          // the samples its row says it holds
    bool shortBytes = false;      // its bytes hold other than `samples` samples
};

struct LibraryCheck {
    std::vector<std::string> problems;  // of the database; none when it is sound
    int64_t instruments = 0, recordings = 0, samples = 0, files = 0;
    std::vector<SourceFile> unusual;       // files that are not present as added
    std::vector<LibraryOverlap> overlaps;  // of every instrument
    std::vector<DamagedRun> damaged;       // runs that fail their check (also in problems)
};

// The instrument a user names: its number ("A0815"), or its model and number ("QX450:A0815")
// where loggers of several models carry that number. ASCII letters in either case.
enum class InstrumentMatch { kOne, kNone, kSeveral };
InstrumentMatch FindInstrument(std::span<const LibraryInstrument> instruments,
                               std::string_view text, const LibraryInstrument** found,
                               std::vector<const LibraryInstrument*>* candidates = nullptr);
// "QX450:A0815".
std::string InstrumentName(const InstrumentKey& key);
// This PC's name, as files added here are kept with (LibraryFile::host); empty when unknown.
std::string ThisHostName();

// A recording as a library keeps it, read to be added to another library (library_sync.h): its
// samples from the runs, whatever became of the record files they came from.
struct StoredRecording {
    LibraryRecording recording;
    std::vector<std::string> names;  // the instrument's measurement names
    std::vector<SampleRun> runs;     // in time order
    struct File {
        LibraryFile file;
        std::vector<ConflictSample> conflicts;
    };
    std::vector<File> files;  // in the order they were added
    int64_t damaged = 0;      // samples of damaged runs, left out of runs (DamagedRun)
};

struct StoredAddResult {
    bool sent = false;  // anything new: samples, or files the library did not know
    int64_t added = 0;  // new samples
    int64_t duplicates = 0;
    int64_t conflicts = 0;                // held already with another value, which was kept
    std::vector<std::string> filesAdded;  // paths of the file rows that were new
    // Samples of runs no record file could hold (a damaged or foreign library: a time out of
    // range, bytes short of the count, several samples without an interval): not added.
    int64_t unplaced = 0;
};

// Test seams: called inside the write of a file, just before it is committed.
struct LibraryHooks {
    std::function<void(const std::string& path)> beforeCommit;
};

class RecordLibrary {
  public:
    explicit RecordLibrary(std::unique_ptr<LibraryStore> store);

    const std::string& Location() const { return store_->Location(); }
    // Why the last operation that returned false (or a kFailed result) failed.
    const LibraryError& Error() const { return store_->Error(); }
    void SetHooks(LibraryHooks hooks) { hooks_ = std::move(hooks); }

    // Adds one record file (the only call a download makes once its file is saved).
    AddResult AddRecordFile(const std::string& path);
    // Adds files and folders: a folder's non-empty *.QXRec files at any depth (an empty one is
    // a download's reserved name), in path order; a file
    // named directly whatever its name. `each` hears every result as it comes. A folder that
    // cannot be read gives a kUnreadable result. Every file is tried whatever became of the
    // others, unless the library as a whole failed (IsLibraryWide: it cannot be reached or
    // written), after which the rest is not tried.
    std::vector<AddResult> AddPaths(std::span<const std::string> paths,
                                    const std::function<void(const AddResult&)>& each = {});
    // Adds an instrument's live readings to its live recordings (live_recording.h), in one
    // write: all of them or, on failure (Error()), none.
    bool AddLive(const LiveReadings& readings, LiveAddResult& result);
    // Adds a recording read from another library, merged as its record files' samples would
    // be: new samples added, a time held with other bytes a conflict (the held value stays),
    // each file added unless this library knows its contents at its path. One write: all of it
    // or, on failure (Error()), none.
    bool AddStored(const StoredRecording& in, StoredAddResult& result);
    // A recording's samples, files and conflicts, as AddStored takes them.
    bool ReadStored(const LibraryRecording& recording, StoredRecording& out);
    // Every recording, by instrument and time; every file, in the order they were added.
    bool AllRecordings(std::vector<LibraryRecording>& out) { return store_->Recordings({}, out); }
    bool AllFiles(std::vector<LibraryFile>& out) { return store_->Files(0, out); }
    // Whether the library knows this file: its contents at its path.
    bool HoldsFile(const LibraryFile& file, bool& held);

    bool Instruments(std::vector<LibraryInstrument>& out);
    // The recordings the filter lets through, with their files and the files' states
    // (present, moved, missing, or changed by size), by instrument and then time.
    bool List(const LibraryFilter& filter, std::vector<RecordingEntry>& out);
    // A recording with its samples in from..to (all without bounds).
    bool Recording(LibraryId recording, std::optional<int64_t> from, std::optional<int64_t> to,
                   RecordingSamples& out);
    // An instrument's recordings with samples in from..to, in time order, each with those
    // samples and its settings.
    bool History(LibraryId instrument, int64_t from, int64_t to, InstrumentHistory& out);
    // The overlaps of the instrument's recordings, by time.
    bool Overlaps(LibraryId instrument, std::vector<LibraryOverlap>& out);
    // The samples a file brought that the library holds with other values, by time.
    bool Conflicts(LibraryId file, std::vector<ConflictSample>& out) {
        return store_->Conflicts(file, out);
    }
    // The engine's check of its storage, each recording's totals against its samples, every
    // run against its checksum, and every file read again (missing, moved, changed).
    bool Check(LibraryCheck& out);

    // The alarm journal and the monitors' heartbeats (library_store.h).
    bool AddAlarmEntries(std::span<const LibraryAlarmEntry> entries) {
        return store_->AddAlarmEntries(entries);
    }
    bool AlarmEntries(const AlarmEntryQuery& query, std::vector<LibraryAlarmEntry>& out) {
        return store_->AlarmEntries(query, out);
    }
    bool Beat(const MonitorHeartbeat& beat) { return store_->Beat(beat); }
    bool Heartbeats(std::vector<MonitorHeartbeat>& out) { return store_->Heartbeats(out); }

    // The damaged runs that reads (Recording, History, ReadStored) left out since the last
    // call, each once, by the order they were met. Histories note them too
    // (SetAsideSamples::damaged) where they have samples to note them with.
    std::vector<DamagedRun> TakeDamaged() { return std::exchange(damaged_, {}); }

  private:
    AddResult Add(const std::string& path);
    // The result of a failed addition, with the library's error.
    AddResult Fail(AddResult& result);
    // Takes the damaged runs out of runs (of one recording's instrument), noting each in
    // damaged_ (and, when given, in *noted as it is new).
    void LeaveOutDamaged(std::vector<SampleRun>& runs, const LibraryRecording& recording,
                         std::vector<DamagedRun>* noted = nullptr);

    std::unique_ptr<LibraryStore> store_;
    LibraryHooks hooks_;
    std::unique_ptr<TotalsWorkspace> workspace_;
    std::vector<DamagedRun> damaged_;
};

}  // namespace qx
