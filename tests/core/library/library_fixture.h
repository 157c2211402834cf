// Shared by the record library's tests: the engines the store suite runs on, a scratch folder,
// and record files written into it.
#pragma once

#include <gtest/gtest.h>
#include <libpq-fe.h>
#include <sqlite3.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "core/library/library_store.h"
#include "core/library/postgres_library_store.h"
#include "core/library/record_library.h"
#include "core/library/sqlite_library_store.h"
#include "core/records/record_file.h"
#include "core/records/record_fixtures.h"  // tests/core/records

namespace qx::test {

// An engine of the store suite: makes the store of a fresh library (or reopens it) for a
// scratch folder. A server engine keeps its database elsewhere and uses the folder as its name.
struct LibraryEngine {
    const char* name;
    std::function<std::unique_ptr<LibraryStore>(const std::string& folder)> open;
};

inline LibraryEngine SqliteEngine() {
    return {"sqlite", [](const std::string& folder) -> std::unique_ptr<LibraryStore> {
                return SqliteLibraryStore::Open(folder + "/lib.sqlite",
                                                SqliteLibraryStore::OpenMode::kCreate, nullptr);
            }};
}

// The server the PostgreSQL cases use: QX_TEST_PG, a connection string that ctest gives the
// tests (tests/core/library/CMakeLists.txt starts a throwaway server for them).
inline std::string TestServer() {
    const char* server = std::getenv("QX_TEST_PG");
    if (server && *server) return server;
    ADD_FAILURE() << "QX_TEST_PG is not set: run the tests through ctest, which starts a "
                     "PostgreSQL server for them, or start one with\n"
                     "  scripts/pg-test-server start /tmp/qx-pg\n"
                     "and set QX_TEST_PG to the connection string it prints.";
    return {};
}

// The test server's connection string for a schema of its own (made when new): the tables of
// each library go there.
inline std::string ServerSchema(const std::string& schema) {
    const std::string server = TestServer();
    if (server.empty()) return {};
    PGconn* conn = PQconnectdb(server.c_str());
    EXPECT_EQ(PQstatus(conn), CONNECTION_OK) << PQerrorMessage(conn);
    const std::string sql = "CREATE SCHEMA IF NOT EXISTS " + schema;
    PGresult* r = PQexec(conn, sql.c_str());
    EXPECT_EQ(PQresultStatus(r), PGRES_COMMAND_OK) << PQerrorMessage(conn);
    PQclear(r);
    PQfinish(conn);
    return server + (server.find('?') == std::string::npos ? "?" : "&") +
           "options=-csearch_path%3D" + schema;
}

// A fresh schema for each folder (the same again for the same folder, so that a library can
// be opened again), named by the process and a counter.
inline std::string ServerLibrary(const std::string& folder) {
    static std::map<std::string, std::string> schemas;
    auto it = schemas.find(folder);
    if (it == schemas.end()) {
        const std::string name =
            "t" + std::to_string(::getpid()) + "_" + std::to_string(schemas.size());
        it = schemas.emplace(folder, name).first;
    }
    return ServerSchema(it->second);
}

inline LibraryEngine PostgresEngine() {
    return {"postgres", [](const std::string& folder) -> std::unique_ptr<LibraryStore> {
                const std::string location = ServerLibrary(folder);
                if (location.empty()) return nullptr;
                LibraryError error;
                auto store = PostgresLibraryStore::Open(
                    location, PostgresLibraryStore::OpenMode::kCreate, &error);
                EXPECT_TRUE(store) << error.detail;
                return store;
            }};
}

class TempFolder {
  public:
    TempFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "qx-lib-XXXXXX").string();
        path_ = ::mkdtemp(pattern.data()) ? pattern : std::string();
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::string& str() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

  private:
    std::string path_;
};

// A record of a type with `count` samples from `start`, one every `interval` seconds, whose
// sample k holds the fixtures' raw values of sample `first + k`; `edit` may change its
// settings. Written to path.
inline std::string WriteRecord(const std::string& path, InstrumentTypeId type, uint32_t count,
                               uint32_t start = 1489151232, uint32_t interval = 60,
                               uint32_t first = 0,
                               const std::function<void(ParamBlock&)>& edit = {}) {
    auto image = std::make_unique<RecordImage>(MakeRecordImage(type, count, start, interval));
    const size_t size = static_cast<size_t>(BytesPerSample(type));
    for (uint32_t k = 0;
         k < count && RecordImage::kHeaderSize + (k + 1) * size <= RecordImage::kSize; ++k)
        PutSample(type, image->Samples() + k * size, first + k);
    ParamBlock p = image->Params();
    if (edit) edit(p);
    image->SetParams(p);
    EXPECT_TRUE(WriteRecordFile(path, *image, type));
    return path;
}

// Runs statements on a library's database directly; the first value of the last one.
inline std::string Sql(const std::string& engine, const std::string& location,
                       const std::string& sql) {
    std::string value;
    if (engine == "sqlite") {
        sqlite3* db = nullptr;
        EXPECT_EQ(sqlite3_open(location.c_str(), &db), SQLITE_OK);
        const auto first = [](void* out, int, char** values, char**) {
            *static_cast<std::string*>(out) = values[0] ? values[0] : "";
            return 0;
        };
        EXPECT_EQ(sqlite3_exec(db, sql.c_str(), first, &value, nullptr), SQLITE_OK)
            << sqlite3_errmsg(db);
        sqlite3_close(db);
        return value;
    }
    PGconn* conn = PQconnectdb(location.c_str());
    EXPECT_EQ(PQstatus(conn), CONNECTION_OK) << PQerrorMessage(conn);
    PGresult* r = PQexec(conn, sql.c_str());
    EXPECT_TRUE(PQresultStatus(r) == PGRES_TUPLES_OK || PQresultStatus(r) == PGRES_COMMAND_OK)
        << PQerrorMessage(conn);
    if (PQresultStatus(r) == PGRES_TUPLES_OK && PQntuples(r) > 0) value = PQgetvalue(r, 0, 0);
    PQclear(r);
    PQfinish(conn);
    return value;
}

// A store that hands every operation to another until Go() says no; the tests' failing stores
// say when.
class GatedStore : public LibraryStore {
  public:
    explicit GatedStore(std::unique_ptr<LibraryStore> inner) : inner_(std::move(inner)) {}
    const LibraryError& Error() const override { return failed_ ? error_ : inner_->Error(); }
    const std::string& Location() const override { return inner_->Location(); }
    bool Instruments(std::vector<LibraryInstrument>& out) override {
        return Go() && inner_->Instruments(out);
    }
    bool Recordings(const RecordingQuery& q, std::vector<LibraryRecording>& out) override {
        return Go() && inner_->Recordings(q, out);
    }
    bool Runs(LibraryId i, LibraryId r, int64_t from, int64_t to,
              std::vector<SampleRun>& out) override {
        return Go() && inner_->Runs(i, r, from, to, out);
    }
    bool Files(LibraryId r, std::vector<LibraryFile>& out) override {
        return Go() && inner_->Files(r, out);
    }
    bool FilesWithHash(const ContentHash& h, std::vector<LibraryFile>& out) override {
        return Go() && inner_->FilesWithHash(h, out);
    }
    bool Conflicts(LibraryId f, std::vector<ConflictSample>& out) override {
        return Go() && inner_->Conflicts(f, out);
    }
    bool CheckStorage(std::vector<std::string>& problems) override {
        return Go() && inner_->CheckStorage(problems);
    }
    bool AddAlarmEntries(std::span<const LibraryAlarmEntry> entries) override {
        return Go() && inner_->AddAlarmEntries(entries);
    }
    bool AlarmEntries(const AlarmEntryQuery& q, std::vector<LibraryAlarmEntry>& out) override {
        return Go() && inner_->AlarmEntries(q, out);
    }
    bool Beat(const MonitorHeartbeat& beat) override { return Go() && inner_->Beat(beat); }
    bool Heartbeats(std::vector<MonitorHeartbeat>& out) override {
        return Go() && inner_->Heartbeats(out);
    }
    bool BeginWrite(const InstrumentKey& key, LibraryId& id) override {
        return Go() && inner_->BeginWrite(key, id);
    }
    bool AddName(LibraryId i, std::string_view name) override {
        return Go() && inner_->AddName(i, name);
    }
    bool AddRecording(const LibraryRecording& r, LibraryId& id) override {
        return Go() && inner_->AddRecording(r, id);
    }
    bool UpdateRecording(LibraryId r, const RecordHeader& h, const RecordingTotals& t,
                         std::span<const ExcursionSpan> e) override {
        return Go() && inner_->UpdateRecording(r, h, t, e);
    }
    bool AddRuns(std::span<const SampleRun> runs, std::span<const RunReadings> readings) override {
        return Go() && inner_->AddRuns(runs, readings);
    }
    bool AddFile(const LibraryFile& f, LibraryId& id) override {
        return Go() && inner_->AddFile(f, id);
    }
    bool AddConflicts(LibraryId f, std::span<const ConflictSample> s) override {
        return Go() && inner_->AddConflicts(f, s);
    }
    bool Commit() override { return Go() && inner_->Commit(); }
    void Rollback() override { inner_->Rollback(); }

  protected:
    // Whether the next operation reaches the inner store; a failure sets failed_ and error_.
    virtual bool Go() = 0;
    LibraryStore& Inner() { return *inner_; }
    bool failed_ = false;
    LibraryError error_;

  private:
    std::unique_ptr<LibraryStore> inner_;
};

// A store that refuses to note the files whose path holds `refused`, as a server refusing that
// one statement would: with `fault`, and leaving its transaction open for the caller to end.
class RefusingStore : public GatedStore {
  public:
    RefusingStore(std::unique_ptr<LibraryStore> inner, std::string refused, LibraryFault fault)
        : GatedStore(std::move(inner)), refused_(std::move(refused)), fault_(fault) {}
    bool AddFile(const LibraryFile& f, LibraryId& id) override {
        if (f.path.find(refused_) != std::string::npos) {
            failed_ = true;
            error_ = {fault_, "refused", 0};
            return false;
        }
        return GatedStore::AddFile(f, id);
    }

  private:
    bool Go() override {
        // A refusal of one file's write leaves the store usable; a library-wide one does not.
        if (failed_ && IsLibraryWide(fault_)) return false;
        failed_ = false;
        return true;
    }
    std::string refused_;
    LibraryFault fault_;
};

}  // namespace qx::test
