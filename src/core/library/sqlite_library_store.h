// The record library in one SQLite file (by default QXLibrary.sqlite in the data folder).
//
// The file is marked as a library by its application id and carries its format version as the
// user version; opening refuses a file of another kind and a newer version without writing to
// it, and brings an older version up to date through numbered steps, each in a transaction.
// Opening also reads the whole file's structure (quick_check), so that a damaged library is
// found before it is used. The journal is a write-ahead log: readers in other processes go on
// while one process writes, and a second writer waits (up to kBusyTimeoutMs) instead of failing.
// A write transaction (BeginWrite) takes the database's write lock at once.
//
// Tables: instruments (model, number), instrument_names, recordings (key, header, name,
// totals), excursions (of a recording), runs (packed samples of a recording), files (path,
// size, hash, counts), conflicts.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "library_store.h"

struct sqlite3;
struct sqlite3_stmt;

namespace qx {

class SqliteLibraryStore final : public LibraryStore {
  public:
    static constexpr int kBusyTimeoutMs = 30000;
    // "QXLB": the application id of a library file.
    static constexpr int32_t kApplicationId = 0x51584C42;

    // kSalvage: an existing file, damaged or not, only to be read from as far as it can be
    // (rebuild); nothing is checked, migrated or written.
    enum class OpenMode { kExisting, kCreate, kSalvage };
    // Opens the library file at path (kCreate: making it when there is none). Null on failure,
    // *error then says why (kMissing, kNotLibrary, kNewer, kDamaged, kBusy, kFailed).
    static std::unique_ptr<SqliteLibraryStore> Open(const std::string& path, OpenMode mode,
                                                    LibraryError* error);

  private:
    static std::unique_ptr<SqliteLibraryStore> OpenOnce(const std::string& path, OpenMode mode,
                                                        LibraryError* error);

  public:
    // A consistent copy of the library file `from` in a new file `to` while others write
    // (SQLite's online backup), in rollback-journal mode and checked whole; why not, or empty.
    static std::string CopyFile(const std::string& from, const std::string& to);
    // The paths of the record files a library file lists, in the order they were added, as far
    // as they can be read from it however damaged it is; none when nothing can be read.
    static std::vector<std::string> SalvageFilePaths(const std::string& path);
    ~SqliteLibraryStore() override;
    SqliteLibraryStore(const SqliteLibraryStore&) = delete;
    SqliteLibraryStore& operator=(const SqliteLibraryStore&) = delete;

    const LibraryError& Error() const override { return error_; }
    const std::string& Location() const override { return path_; }

    bool Instruments(std::vector<LibraryInstrument>& out) override;
    bool Recordings(const RecordingQuery& query, std::vector<LibraryRecording>& out) override;
    bool Runs(LibraryId instrument, LibraryId recording, int64_t from, int64_t to,
              std::vector<SampleRun>& out) override;
    bool Files(LibraryId recording, std::vector<LibraryFile>& out) override;
    bool FilesWithHash(const ContentHash& hash, std::vector<LibraryFile>& out) override;
    bool Conflicts(LibraryId file, std::vector<ConflictSample>& out) override;
    bool CheckStorage(std::vector<std::string>& problems) override;

    bool AddAlarmEntries(std::span<const LibraryAlarmEntry> entries) override;
    bool AlarmEntries(const AlarmEntryQuery& query, std::vector<LibraryAlarmEntry>& out) override;
    bool Beat(const MonitorHeartbeat& beat) override;
    bool Heartbeats(std::vector<MonitorHeartbeat>& out) override;
    bool BeginWrite(const InstrumentKey& key, LibraryId& instrument) override;
    bool AddName(LibraryId instrument, std::string_view name) override;
    bool AddRecording(const LibraryRecording& recording, LibraryId& id) override;
    bool UpdateRecording(LibraryId recording, const RecordHeader& header,
                         const RecordingTotals& totals,
                         std::span<const ExcursionSpan> excursions) override;
    bool AddRuns(std::span<const SampleRun> runs, std::span<const RunReadings> readings) override;
    bool AddFile(const LibraryFile& file, LibraryId& id) override;
    bool AddConflicts(LibraryId file, std::span<const ConflictSample> samples) override;
    bool Commit() override;
    void Rollback() override;

  private:
    class Query;
    SqliteLibraryStore(sqlite3* db, std::string path);

    bool Prepare(const char* sql, sqlite3_stmt*& statement);
    bool Exec(const char* sql);
    // Records the failure of a call that returned rc; always false.
    bool Failed(int rc);
    bool Migrate();
    bool ReadFiles(Query& query, std::vector<LibraryFile>& out);

    sqlite3* db_ = nullptr;
    std::string path_;
    LibraryError error_;
    std::map<const char*, sqlite3_stmt*> statements_;  // by the address of their SQL text
    LibraryId writeInstrument_ = 0;
    // The format of the database as it was opened, brought up to date unless salvaged.
    int format_ = kLibraryFormatVersion;
};

}  // namespace qx
