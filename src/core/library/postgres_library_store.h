// The record library on a PostgreSQL server, shared by the PCs of a site (server_location.h
// says how it is named). The database is made by the server's administrator; the program makes
// its tables in it (the shipped schema, share/qxlog/sql) and never creates a database.
//
// The tables are those of the library file, with runs of packed samples, and beside the
// packed samples of each run its decoded readings (real[]) and the quantities of its recording,
// so that the views readings and readings_between() give a dashboard one row per reading.
// The format is a row per applied step in library_format; a database of a newer format is
// refused without writing to it, an older one is brought up to date step by step under an
// advisory lock.
//
// Writing: BeginWrite() opens a transaction, makes the instrument row when it is new (INSERT
// ... ON CONFLICT DO NOTHING) and locks it (SELECT ... FOR UPDATE) until Commit() or
// Rollback(), so that writers of one instrument in any process take turns; a writer that
// disconnects or dies leaves nothing. Runs and conflicts go in through COPY; every value is
// passed as a parameter, never written into a statement.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/model/param_block.h"
#include "library_store.h"

struct pg_conn;
struct pg_result;

namespace qx {

class PostgresLibraryStore final : public LibraryStore {
  public:
    enum class OpenMode { kExisting, kCreate };
    // Connects to the server that location (a libpq connection string) names and opens the
    // library in its database; kCreate makes the tables when the database has none. Null on
    // failure, *error then says why (kUnreachable, kLoginRefused, kNoDatabase, kMissing,
    // kNewer, kFailed); no text of it holds the password.
    static std::unique_ptr<PostgresLibraryStore> Open(const std::string& location, OpenMode mode,
                                                      LibraryError* error);
    ~PostgresLibraryStore() override;
    PostgresLibraryStore(const PostgresLibraryStore&) = delete;
    PostgresLibraryStore& operator=(const PostgresLibraryStore&) = delete;

    const LibraryError& Error() const override { return error_; }
    // The location without its password.
    const std::string& Location() const override { return location_; }

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
    class Params;
    class Result;
    PostgresLibraryStore(pg_conn* conn, std::string location);

    // A statement with its parameters; the result when it succeeded, else an empty Result and
    // Error() says why.
    Result Run(const char* sql, const Params& params);
    // COMMITs the open transaction; false (Error()) when the server rolled it back instead.
    bool CommitOpen();
    bool Exec(const char* sql);
    // Connects again with the same connection string; false when the server cannot be reached.
    bool Reconnect();
    bool Copy(const char* sql, const std::string& data);
    // Records the failure of a result (or of the connection); always false.
    bool Failed(const pg_result* result);
    bool Migrate();
    bool MigrateLocked();
    // The library's format; -1 when the database holds no library.
    bool ReadFormat(int64_t& version);
    bool ReadFiles(Result& result, std::vector<LibraryFile>& out);
    // The model and settings the readings of a recording's runs are decoded with.

    pg_conn* conn_ = nullptr;
    std::string location_;
    LibraryError error_;
    LibraryId writeInstrument_ = 0;
    InstrumentTypeId writeModel_ = 0;
    bool inWrite_ = false;
};

}  // namespace qx
