// The storage engine of the record library: domain operations on instruments, recordings, runs
// of samples and record files, and nothing of a database language. An engine keeps what
// library_types.h describes; every decision (how a file is identified and decoded, what merges
// and what conflicts, the totals of a recording) is the RecordLibrary's, above the engines, so
// that every engine behaves the same. SqliteLibraryStore keeps a library in one file; an engine
// for a server shared by several PCs implements the same interface.
//
// Failures: every operation returns false (or an empty result with false) and Error() says
// why; the store stays usable for the next operation unless the fault is kDamaged.
//
// Writing happens in a write transaction over one instrument: BeginWrite() makes the
// instrument when it is new and from then on no other writer, in this process or another,
// changes that instrument's recordings, runs or files until Commit() or Rollback(). Everything
// written in between becomes visible to others at once at Commit(), or not at all: a process
// killed in the middle leaves the library as before BeginWrite(). Reads see committed states
// only (inside a write transaction, also its own writes).
#pragma once

#include <span>
#include <string_view>
#include <vector>

#include "library_types.h"

namespace qx {

class LibraryStore {
  public:
    virtual ~LibraryStore() = default;

    // Why the last operation that returned false failed.
    virtual const LibraryError& Error() const = 0;
    // Where the library lives, as the user named it (a file path for SQLite).
    virtual const std::string& Location() const = 0;

    // ---- Reading -------------------------------------------------------------------------
    virtual bool Instruments(std::vector<LibraryInstrument>& out) = 0;
    // Recordings matching the query, by instrument (model, number) and then first sample time.
    virtual bool Recordings(const RecordingQuery& query, std::vector<LibraryRecording>& out) = 0;
    // Runs of an instrument holding a time in from..to (both inclusive), of one recording or
    // (recording 0) of all, ordered by their first time.
    virtual bool Runs(LibraryId instrument, LibraryId recording, int64_t from, int64_t to,
                      std::vector<SampleRun>& out) = 0;
    // Files, in the order they were added; of one recording, or (0) all.
    virtual bool Files(LibraryId recording, std::vector<LibraryFile>& out) = 0;
    // Files whose contents have this hash.
    virtual bool FilesWithHash(const ContentHash& hash, std::vector<LibraryFile>& out) = 0;
    // The conflicting samples a file brought, by time.
    virtual bool Conflicts(LibraryId file, std::vector<ConflictSample>& out) = 0;
    // The engine's own check of its storage; problems in its words, none when sound.
    virtual bool CheckStorage(std::vector<std::string>& problems) = 0;

    // ---- The alarm journal and the monitors' heartbeats, outside any write ------------------
    // Adds entries in their order; an entry the library holds already (the same alarm,
    // change, time, PC, user and comment) is not added again, so that a sync may send it twice.
    virtual bool AddAlarmEntries(std::span<const LibraryAlarmEntry> entries) = 0;
    // The entries of every alarm that has one in the query's range, by seq.
    virtual bool AlarmEntries(const AlarmEntryQuery& query,
                              std::vector<LibraryAlarmEntry>& out) = 0;
    // Renews the monitor's heartbeat (made when new).
    virtual bool Beat(const MonitorHeartbeat& beat) = 0;
    virtual bool Heartbeats(std::vector<MonitorHeartbeat>& out) = 0;

    // ---- Writing one instrument -----------------------------------------------------------
    virtual bool BeginWrite(const InstrumentKey& key, LibraryId& instrument) = 0;
    virtual bool AddName(LibraryId instrument, std::string_view name) = 0;
    // A new recording of the instrument of the write, with its totals.
    virtual bool AddRecording(const LibraryRecording& recording, LibraryId& id) = 0;
    // Renews the header and the totals of a recording, and its stretches of time with an
    // excursion (disjoint, in time order).
    virtual bool UpdateRecording(LibraryId recording, const RecordHeader& header,
                                 const RecordingTotals& totals,
                                 std::span<const ExcursionSpan> excursions) = 0;
    // New runs of the write's instrument with their readings (readings[i] of runs[i]); the
    // caller has made sure that they hold no time their recording already holds.
    virtual bool AddRuns(std::span<const SampleRun> runs,
                         std::span<const RunReadings> readings) = 0;
    virtual bool AddFile(const LibraryFile& file, LibraryId& id) = 0;
    virtual bool AddConflicts(LibraryId file, std::span<const ConflictSample> samples) = 0;
    virtual bool Commit() = 0;
    // Forgets everything since BeginWrite(); nothing when no write is open.
    virtual void Rollback() = 0;
};

}  // namespace qx
