#include "sqlite_library_store.h"

#include <sqlite3.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

#include "core/model/text_util.h"
#include "library_merge.h"

namespace qx {
namespace {

// The steps that bring a library from format version i to i + 1: kSteps[i]. A new format adds
// a step; a step already released never changes.
constexpr const char* kSteps[] = {
    // 0 -> 1: the first format.
    "CREATE TABLE instruments("
    "  id INTEGER PRIMARY KEY,"
    "  model INTEGER NOT NULL,"
    "  number TEXT NOT NULL,"
    "  UNIQUE(model, number));"
    "CREATE TABLE instrument_names("
    "  instrument INTEGER NOT NULL REFERENCES instruments(id),"
    "  name TEXT NOT NULL,"
    "  PRIMARY KEY(instrument, name)) WITHOUT ROWID;"
    "CREATE TABLE recordings("
    "  id INTEGER PRIMARY KEY,"
    "  instrument INTEGER NOT NULL REFERENCES instruments(id),"
    "  start_time INTEGER NOT NULL,"
    "  interval INTEGER NOT NULL,"
    "  settings TEXT NOT NULL,"
    "  header BLOB NOT NULL,"
    "  name TEXT NOT NULL,"
    "  first_time INTEGER NOT NULL,"
    "  last_time INTEGER NOT NULL,"
    "  samples INTEGER NOT NULL,"
    "  excursions INTEGER NOT NULL,"
    "  UNIQUE(instrument, start_time, interval, settings));"
    "CREATE TABLE excursions("
    "  recording INTEGER NOT NULL REFERENCES recordings(id),"
    "  first_time INTEGER NOT NULL,"
    "  last_time INTEGER NOT NULL,"
    "  PRIMARY KEY(recording, first_time)) WITHOUT ROWID;"
    "CREATE TABLE runs("
    "  id INTEGER PRIMARY KEY,"
    "  recording INTEGER NOT NULL REFERENCES recordings(id),"
    "  instrument INTEGER NOT NULL REFERENCES instruments(id),"
    "  first_time INTEGER NOT NULL,"
    "  last_time INTEGER NOT NULL,"
    "  interval INTEGER NOT NULL,"
    "  count INTEGER NOT NULL,"
    "  samples BLOB NOT NULL);"
    "CREATE INDEX runs_by_time ON runs(instrument, first_time);"
    "CREATE INDEX runs_by_recording ON runs(recording, first_time);"
    "CREATE TABLE files("
    "  id INTEGER PRIMARY KEY,"
    "  recording INTEGER NOT NULL REFERENCES recordings(id),"
    "  path TEXT NOT NULL,"
    "  size INTEGER NOT NULL,"
    "  hash BLOB NOT NULL,"
    "  added_time INTEGER NOT NULL,"
    "  samples INTEGER NOT NULL,"
    "  new_samples INTEGER NOT NULL,"
    "  conflicts INTEGER NOT NULL,"
    "  UNIQUE(path, hash));"
    "CREATE INDEX files_by_hash ON files(hash);"
    "CREATE INDEX files_by_recording ON files(recording);"
    "CREATE TABLE conflicts("
    "  file INTEGER NOT NULL REFERENCES files(id),"
    "  time INTEGER NOT NULL,"
    "  sample BLOB NOT NULL,"
    "  PRIMARY KEY(file, time)) WITHOUT ROWID;",
    // 1 -> 2: a file's path is kept as the bytes the file system names it by (a BLOB), whatever
    // their encoding; the paths kept as text before are their bytes.
    "UPDATE files SET path = CAST(path AS BLOB);",
    // 2 -> 3: the PC whose file system holds a file's path; '' for those added before.
    "ALTER TABLE files ADD COLUMN host TEXT NOT NULL DEFAULT '';",
    // 3 -> 4: each run's checksum (RunChecksum), computed for the runs held before from what
    // they hold.
    "ALTER TABLE runs ADD COLUMN checksum BLOB NOT NULL DEFAULT x'';"
    "UPDATE runs SET checksum = qx_run_checksum(first_time, interval, count, samples);",
    // 4 -> 5: the alarm journal, appended to only, and the monitors' heartbeats.
    "CREATE TABLE alarm_entries("
    "  seq INTEGER PRIMARY KEY,"
    "  alarm TEXT NOT NULL, change TEXT NOT NULL, kind TEXT NOT NULL, level TEXT NOT NULL,"
    "  side TEXT NOT NULL, model INTEGER NOT NULL, number TEXT NOT NULL, name TEXT NOT NULL,"
    "  channel TEXT NOT NULL, value TEXT NOT NULL, limit_value TEXT NOT NULL,"
    "  extreme TEXT NOT NULL, start_time INTEGER NOT NULL, time INTEGER NOT NULL,"
    "  host TEXT NOT NULL, user_name TEXT NOT NULL, comment TEXT NOT NULL,"
    "  UNIQUE(alarm, change, time, host, user_name, comment));"
    "CREATE INDEX alarm_entries_by_time ON alarm_entries(time);"
    "CREATE TABLE heartbeats("
    "  host TEXT NOT NULL, monitor TEXT NOT NULL, started INTEGER NOT NULL,"
    "  time INTEGER NOT NULL, instruments TEXT NOT NULL,"
    "  PRIMARY KEY(host, monitor)) WITHOUT ROWID;",
};
static_assert(std::size(kSteps) == kLibraryFormatVersion);

LibraryFault FaultOf(int rc) {
    switch (rc & 0xFF) {
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            return LibraryFault::kBusy;
        case SQLITE_CORRUPT:
        case SQLITE_NOTADB:
            return LibraryFault::kDamaged;
        case SQLITE_FULL:
            return LibraryFault::kFull;
        default:
            return LibraryFault::kFailed;
    }
}

// qx_run_checksum(first_time, interval, count, samples): RunChecksum in SQL, for the step that
// gives the runs of an older library their checksums and for reading such a library as it is.
void RunChecksumFunction(sqlite3_context* context, int, sqlite3_value** argv) {
    const auto* bytes = static_cast<const uint8_t*>(sqlite3_value_blob(argv[3]));
    const auto size = static_cast<size_t>(sqlite3_value_bytes(argv[3]));
    const ContentHash hash = RunChecksum(
        sqlite3_value_int64(argv[0]), static_cast<uint32_t>(sqlite3_value_int64(argv[1])),
        static_cast<uint32_t>(sqlite3_value_int64(argv[2])), std::span(bytes, bytes ? size : 0));
    sqlite3_result_blob(context, hash.bytes.data(), static_cast<int>(hash.bytes.size()),
                        SQLITE_TRANSIENT);
}

bool StartsLikeSqlite(const std::string& path) {
    char head[16] = {};
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    const size_t n = std::fread(head, 1, sizeof head, f);
    std::fclose(f);
    return n == sizeof head && std::memcmp(head, "SQLite format 3", 16) == 0;
}

}  // namespace

// A prepared statement in use: bound, stepped, and reset when it goes.
class SqliteLibraryStore::Query {
  public:
    Query(SqliteLibraryStore& store, const char* sql) : store_(store) {
        ok_ = store.Prepare(sql, s_);
    }
    ~Query() {
        if (s_) {
            sqlite3_reset(s_);
            sqlite3_clear_bindings(s_);
        }
    }
    Query(const Query&) = delete;
    Query& operator=(const Query&) = delete;

    bool ok() const { return ok_; }
    Query& Int(int i, int64_t v) {
        if (ok_) Check(sqlite3_bind_int64(s_, i, v));
        return *this;
    }
    Query& Null(int i) {
        if (ok_) Check(sqlite3_bind_null(s_, i));
        return *this;
    }
    Query& Text(int i, std::string_view v) {
        if (ok_) Check(sqlite3_bind_text64(s_, i, v.data(), v.size(), SQLITE_STATIC, SQLITE_UTF8));
        return *this;
    }
    Query& Blob(int i, const void* data, size_t size) {
        // An empty blob is still a blob, not NULL.
        static const uint8_t kNothing = 0;
        if (ok_) Check(sqlite3_bind_blob64(s_, i, size ? data : &kNothing, size, SQLITE_STATIC));
        return *this;
    }
    // True with a row to read; false at the end or on failure (then ok() is false).
    bool Row() {
        if (!ok_) return false;
        const int rc = sqlite3_step(s_);
        if (rc == SQLITE_ROW) return true;
        if (rc != SQLITE_DONE) {
            ok_ = false;
            store_.Failed(rc);
        }
        return false;
    }
    // Runs a statement that returns no rows.
    bool Run() {
        Row();
        return ok_;
    }
    int64_t ColInt(int i) const { return sqlite3_column_int64(s_, i); }
    std::string ColText(int i) const {
        const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(s_, i));
        return p ? std::string(p, static_cast<size_t>(sqlite3_column_bytes(s_, i))) : std::string();
    }
    std::span<const uint8_t> ColBlob(int i) const {
        const auto* p = static_cast<const uint8_t*>(sqlite3_column_blob(s_, i));
        return {p, p ? static_cast<size_t>(sqlite3_column_bytes(s_, i)) : 0};
    }

  private:
    void Check(int rc) {
        if (rc != SQLITE_OK) {
            ok_ = false;
            store_.Failed(rc);
        }
    }

    SqliteLibraryStore& store_;
    sqlite3_stmt* s_ = nullptr;
    bool ok_ = false;
};

// ---- Opening ---------------------------------------------------------------------------

std::unique_ptr<SqliteLibraryStore> SqliteLibraryStore::Open(const std::string& path, OpenMode mode,
                                                             LibraryError* error) {
    // Another process making the file or switching it to its log (WAL) at the same moment can
    // refuse the switch at once, where waiting would deadlock: the open is tried again then,
    // for as long as a writer is waited for.
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(kBusyTimeoutMs);
    for (;;) {
        LibraryError failure;
        auto store = OpenOnce(path, mode, &failure);
        if (store || failure.fault != LibraryFault::kBusy ||
            std::chrono::steady_clock::now() >= until) {
            if (!store && error) *error = failure;
            return store;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

std::unique_ptr<SqliteLibraryStore> SqliteLibraryStore::OpenOnce(const std::string& path,
                                                                 OpenMode mode,
                                                                 LibraryError* error) {
    LibraryError failure;
    const auto fail = [&](LibraryFault fault, std::string detail) {
        failure.fault = fault;
        failure.detail = std::move(detail);
        if (error) *error = failure;
        return nullptr;
    };
    struct stat st {};
    const bool exists = ::stat(path.c_str(), &st) == 0;
    if (!exists && mode != OpenMode::kCreate) return fail(LibraryFault::kMissing, {});
    if (exists && S_ISDIR(st.st_mode)) return fail(LibraryFault::kNotLibrary, "a folder");

    sqlite3* db = nullptr;
    const int flags = (mode == OpenMode::kSalvage ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) |
                      SQLITE_OPEN_FULLMUTEX | (mode == OpenMode::kCreate ? SQLITE_OPEN_CREATE : 0);
    const int rc = sqlite3_open_v2(path.c_str(), &db, flags, nullptr);
    if (rc != SQLITE_OK) {
        std::string why = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
        sqlite3_close_v2(db);
        return fail(FaultOf(rc), why);
    }
    sqlite3_extended_result_codes(db, 1);
    sqlite3_busy_timeout(db, kBusyTimeoutMs);
    sqlite3_create_function_v2(db, "qx_run_checksum", 4, SQLITE_UTF8 | SQLITE_DETERMINISTIC,
                               nullptr, RunChecksumFunction, nullptr, nullptr, nullptr);
    std::unique_ptr<SqliteLibraryStore> store(new SqliteLibraryStore(db, path));
    const auto failed = [&] {
        LibraryError e = store->error_;
        // A file that does not even start as a database is no library of ours.
        if (e.fault == LibraryFault::kDamaged && st.st_size > 0 && !StartsLikeSqlite(path))
            e.fault = LibraryFault::kNotLibrary;
        if (error) *error = e;
        return nullptr;
    };

    // Read before anything is written: what the file is and which version, in one statement
    // so that the three come from one state of the file (another process may be making it).
    int64_t applicationId = 0, version = 0, objects = 0;
    {
        Query q(*store,
                "SELECT (SELECT application_id FROM pragma_application_id),"
                " (SELECT user_version FROM pragma_user_version),"
                " (SELECT count(*) FROM sqlite_schema)");
        if (!q.Row()) return failed();
        applicationId = q.ColInt(0);
        version = q.ColInt(1);
        objects = q.ColInt(2);
    }
    if (applicationId != kApplicationId && (applicationId != 0 || objects != 0))
        return fail(LibraryFault::kNotLibrary, "");
    if (version > kLibraryFormatVersion) {
        failure.version = static_cast<int>(version);
        return fail(LibraryFault::kNewer, StrFormat("format %d", static_cast<int>(version)));
    }
    store->format_ = static_cast<int>(version);
    if (mode == OpenMode::kSalvage) return store;
    if (objects > 0) {
        Query q(*store, "PRAGMA quick_check");
        if (!q.Row()) return failed();
        const std::string verdict = q.ColText(0);
        if (verdict != "ok") return fail(LibraryFault::kDamaged, verdict);
    }
    if (!store->Exec("PRAGMA journal_mode=WAL") || !store->Exec("PRAGMA synchronous=NORMAL") ||
        !store->Exec("PRAGMA foreign_keys=ON") ||
        (version < kLibraryFormatVersion && !store->Migrate()))
        return failed();
    return store;
}

// A consistent snapshot of a library file while other connections write, then checked whole.
std::string SqliteLibraryStore::CopyFile(const std::string& from, const std::string& to) {
    sqlite3* src = nullptr;
    sqlite3* dst = nullptr;
    std::string problem;
    if (sqlite3_open_v2(from.c_str(), &src, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        problem = src ? sqlite3_errmsg(src) : "cannot open";
    } else if (sqlite3_open_v2(to.c_str(), &dst, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                               nullptr) != SQLITE_OK) {
        problem = dst ? sqlite3_errmsg(dst) : "cannot create";
    } else {
        sqlite3_busy_timeout(src, 10000);
        sqlite3_backup* b = sqlite3_backup_init(dst, "main", src, "main");
        if (!b) {
            problem = sqlite3_errmsg(dst);
        } else {
            int rc;
            // Steps of 1024 pages: writers of the source get their turn between them; a page
            // they change in the meantime makes the copy start again from a consistent state.
            while ((rc = sqlite3_backup_step(b, 1024)) == SQLITE_OK || rc == SQLITE_BUSY ||
                   rc == SQLITE_LOCKED) {
                if (rc != SQLITE_OK) sqlite3_sleep(50);
            }
            sqlite3_backup_finish(b);
            if (rc != SQLITE_DONE) problem = sqlite3_errstr(rc);
        }
        if (problem.empty()) {
            // The copy is a file of its own, not a WAL database half in another file.
            sqlite3_exec(dst, "PRAGMA journal_mode=DELETE", nullptr, nullptr, nullptr);
            sqlite3_stmt* s = nullptr;
            if (sqlite3_prepare_v2(dst, "PRAGMA integrity_check", -1, &s, nullptr) != SQLITE_OK) {
                problem = sqlite3_errmsg(dst);
            } else {
                if (sqlite3_step(s) != SQLITE_ROW)
                    problem = sqlite3_errmsg(dst);
                else if (const auto* v = sqlite3_column_text(s, 0);
                         !v || std::string(reinterpret_cast<const char*>(v)) != "ok")
                    problem = v ? reinterpret_cast<const char*>(v) : "integrity check failed";
                sqlite3_finalize(s);
            }
        }
    }
    sqlite3_close_v2(dst);
    sqlite3_close_v2(src);
    return problem;
}

std::vector<std::string> SqliteLibraryStore::SalvageFilePaths(const std::string& path) {
    std::vector<std::string> paths;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* s = nullptr;
        if (sqlite3_prepare_v2(db, "SELECT path FROM files ORDER BY id", -1, &s, nullptr) ==
            SQLITE_OK) {
            while (sqlite3_step(s) == SQLITE_ROW) {
                const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(s, 0));
                if (!text) continue;
                std::string p(text, static_cast<size_t>(sqlite3_column_bytes(s, 0)));
                if (std::find(paths.begin(), paths.end(), p) == paths.end())
                    paths.push_back(std::move(p));
            }
        }
        sqlite3_finalize(s);
    }
    sqlite3_close_v2(db);
    return paths;
}

SqliteLibraryStore::SqliteLibraryStore(sqlite3* db, std::string path)
    : db_(db), path_(std::move(path)) {}

SqliteLibraryStore::~SqliteLibraryStore() {
    Rollback();
    for (auto& [sql, statement] : statements_)
        sqlite3_finalize(statement);
    sqlite3_close_v2(db_);
}

bool SqliteLibraryStore::Migrate() {
    if (!Exec("BEGIN IMMEDIATE")) return false;
    // Read again under the lock: another process may have brought it up to date meanwhile.
    int64_t version = 0;
    {
        Query q(*this, "PRAGMA user_version");
        if (!q.Row()) {
            Rollback();
            return false;
        }
        version = q.ColInt(0);
    }
    for (int64_t v = version; v < kLibraryFormatVersion; ++v) {
        if (!Exec(kSteps[v])) {
            Rollback();
            return false;
        }
    }
    if (version < kLibraryFormatVersion) {
        const std::string mark = StrFormat("PRAGMA application_id=%d; PRAGMA user_version=%d",
                                           static_cast<int>(kApplicationId), kLibraryFormatVersion);
        if (!Exec(mark.c_str())) {
            Rollback();
            return false;
        }
    }
    if (!Exec("COMMIT")) {
        Rollback();
        return false;
    }
    format_ = kLibraryFormatVersion;
    return true;
}

// ---- Helpers ---------------------------------------------------------------------------

bool SqliteLibraryStore::Prepare(const char* sql, sqlite3_stmt*& statement) {
    const auto it = statements_.find(sql);
    if (it != statements_.end()) {
        statement = it->second;
        return true;
    }
    const int rc = sqlite3_prepare_v3(db_, sql, -1, SQLITE_PREPARE_PERSISTENT, &statement, nullptr);
    if (rc != SQLITE_OK) return Failed(rc);
    statements_.emplace(sql, statement);
    return true;
}

bool SqliteLibraryStore::Exec(const char* sql) {
    char* message = nullptr;
    const int rc = sqlite3_exec(db_, sql, nullptr, nullptr, &message);
    if (rc == SQLITE_OK) return true;
    error_.fault = FaultOf(rc);
    error_.detail = message ? message : sqlite3_errstr(rc);
    sqlite3_free(message);
    return false;
}

bool SqliteLibraryStore::Failed(int rc) {
    error_.fault = FaultOf(rc);
    error_.detail = sqlite3_errmsg(db_);
    if (error_.detail.empty() || error_.detail == "not an error")
        error_.detail = sqlite3_errstr(rc);
    return false;
}

// ---- Reading ---------------------------------------------------------------------------

bool SqliteLibraryStore::Instruments(std::vector<LibraryInstrument>& out) {
    out.clear();
    std::map<LibraryId, size_t> index;
    {
        Query q(*this, "SELECT id, model, number FROM instruments ORDER BY model, number");
        while (q.Row()) {
            index[q.ColInt(0)] = out.size();
            out.push_back(
                {q.ColInt(0), {static_cast<InstrumentTypeId>(q.ColInt(1)), q.ColText(2)}, {}});
        }
        if (!q.ok()) return false;
    }
    Query q(*this, "SELECT instrument, name FROM instrument_names ORDER BY instrument, name");
    while (q.Row()) {
        const auto it = index.find(q.ColInt(0));
        if (it != index.end()) out[it->second].names.push_back(q.ColText(1));
    }
    return q.ok();
}

bool SqliteLibraryStore::Recordings(const RecordingQuery& query,
                                    std::vector<LibraryRecording>& out) {
    out.clear();
    Query q(*this,
            "SELECT r.id, r.instrument, i.model, i.number, r.start_time, r.interval, r.settings,"
            "       r.header, r.name, r.first_time, r.last_time, r.samples, r.excursions"
            " FROM recordings r JOIN instruments i ON i.id = r.instrument"
            " WHERE (?1 = 0 OR r.instrument = ?1) AND (?2 = 0 OR r.id = ?2)"
            "   AND (?3 = 0 OR i.model = ?3) AND (?4 IS NULL OR r.last_time >= ?4)"
            "   AND (?5 IS NULL OR r.first_time <= ?5)"
            "   AND (?6 = 0 OR r.excursions > 0 AND (?4 IS NULL AND ?5 IS NULL OR EXISTS("
            "     SELECT 1 FROM excursions e WHERE e.recording = r.id"
            "       AND (?4 IS NULL OR e.last_time >= ?4) AND (?5 IS NULL OR e.first_time <= ?5))))"
            " ORDER BY i.model, i.number, r.first_time, r.id");
    q.Int(1, query.instrument).Int(2, query.recording).Int(3, query.model);
    if (query.from)
        q.Int(4, *query.from);
    else
        q.Null(4);
    if (query.to)
        q.Int(5, *query.to);
    else
        q.Null(5);
    q.Int(6, query.excursionsOnly ? 1 : 0);
    while (q.Row()) {
        LibraryRecording& r = out.emplace_back();
        r.id = q.ColInt(0);
        r.instrument = q.ColInt(1);
        r.instrumentKey = {static_cast<InstrumentTypeId>(q.ColInt(2)), q.ColText(3)};
        r.key = {q.ColInt(4), static_cast<uint32_t>(q.ColInt(5)), q.ColText(6)};
        const std::span<const uint8_t> header = q.ColBlob(7);
        std::memcpy(r.header.bytes.data(), header.data(),
                    std::min(header.size(), RecordHeader::kSize));
        r.name = q.ColText(8);
        r.totals = {q.ColInt(9), q.ColInt(10), q.ColInt(11), q.ColInt(12)};
    }
    return q.ok();
}

bool SqliteLibraryStore::Runs(LibraryId instrument, LibraryId recording, int64_t from, int64_t to,
                              std::vector<SampleRun>& out) {
    out.clear();
    // A library of a format before checksums, read as it is (salvaged), gives each run the
    // checksum its step would have given it.
    static constexpr const char* kOfRecording[] = {
        "SELECT recording, first_time, interval, count, samples, checksum FROM runs"
        " WHERE recording = ?2 AND instrument = ?1 AND first_time <= ?4 AND last_time >= ?3"
        " ORDER BY first_time, id",
        "SELECT recording, first_time, interval, count, samples,"
        " qx_run_checksum(first_time, interval, count, samples) FROM runs"
        " WHERE recording = ?2 AND instrument = ?1 AND first_time <= ?4 AND last_time >= ?3"
        " ORDER BY first_time, id"};
    static constexpr const char* kOfInstrument[] = {
        "SELECT recording, first_time, interval, count, samples, checksum FROM runs"
        " WHERE instrument = ?1 AND first_time <= ?4 AND last_time >= ?3 AND ?2 = 0"
        " ORDER BY first_time, id",
        "SELECT recording, first_time, interval, count, samples,"
        " qx_run_checksum(first_time, interval, count, samples) FROM runs"
        " WHERE instrument = ?1 AND first_time <= ?4 AND last_time >= ?3 AND ?2 = 0"
        " ORDER BY first_time, id"};
    const int computed = format_ < 4 ? 1 : 0;
    Query q(*this, recording != 0 ? kOfRecording[computed] : kOfInstrument[computed]);
    q.Int(1, instrument).Int(2, recording).Int(3, from).Int(4, to);
    while (q.Row()) {
        SampleRun& run = out.emplace_back();
        run.recording = q.ColInt(0);
        run.first = q.ColInt(1);
        run.interval = static_cast<uint32_t>(q.ColInt(2));
        run.count = static_cast<uint32_t>(q.ColInt(3));
        const std::span<const uint8_t> bytes = q.ColBlob(4);
        run.bytes.assign(bytes.begin(), bytes.end());
        const std::span<const uint8_t> checksum = q.ColBlob(5);
        std::memcpy(run.checksum.bytes.data(), checksum.data(),
                    std::min(checksum.size(), run.checksum.bytes.size()));
    }
    return q.ok();
}

bool SqliteLibraryStore::ReadFiles(Query& q, std::vector<LibraryFile>& out) {
    out.clear();
    while (q.Row()) {
        LibraryFile& f = out.emplace_back();
        f.id = q.ColInt(0);
        f.recording = q.ColInt(1);
        const std::span<const uint8_t> path = q.ColBlob(2);
        f.path.assign(path.begin(), path.end());
        f.size = static_cast<uint64_t>(q.ColInt(3));
        const std::span<const uint8_t> hash = q.ColBlob(4);
        std::memcpy(f.hash.bytes.data(), hash.data(), std::min(hash.size(), f.hash.bytes.size()));
        f.added = q.ColInt(5);
        f.samples = q.ColInt(6);
        f.newSamples = q.ColInt(7);
        f.conflicts = q.ColInt(8);
        f.host = q.ColText(9);
    }
    return q.ok();
}

bool SqliteLibraryStore::Files(LibraryId recording, std::vector<LibraryFile>& out) {
    Query q(*this,
            "SELECT id, recording, path, size, hash, added_time, samples, new_samples, conflicts,"
            " host FROM files WHERE ?1 = 0 OR recording = ?1 ORDER BY id");
    q.Int(1, recording);
    return ReadFiles(q, out);
}

bool SqliteLibraryStore::FilesWithHash(const ContentHash& hash, std::vector<LibraryFile>& out) {
    Query q(*this,
            "SELECT id, recording, path, size, hash, added_time, samples, new_samples, conflicts,"
            " host FROM files WHERE hash = ?1 ORDER BY id");
    q.Blob(1, hash.bytes.data(), hash.bytes.size());
    return ReadFiles(q, out);
}

bool SqliteLibraryStore::Conflicts(LibraryId file, std::vector<ConflictSample>& out) {
    out.clear();
    Query q(*this, "SELECT time, sample FROM conflicts WHERE file = ?1 ORDER BY time");
    q.Int(1, file);
    while (q.Row()) {
        const std::span<const uint8_t> bytes = q.ColBlob(1);
        out.push_back({q.ColInt(0), {bytes.begin(), bytes.end()}});
    }
    return q.ok();
}

bool SqliteLibraryStore::CheckStorage(std::vector<std::string>& problems) {
    problems.clear();
    Query q(*this, "PRAGMA integrity_check");
    while (q.Row()) {
        std::string line = q.ColText(0);
        if (line != "ok") problems.push_back(std::move(line));
    }
    if (!q.ok() && error_.fault == LibraryFault::kDamaged) {
        problems.push_back(error_.detail);
        return true;
    }
    return q.ok();
}

// ---- Writing ---------------------------------------------------------------------------

bool SqliteLibraryStore::BeginWrite(const InstrumentKey& key, LibraryId& instrument) {
    Rollback();
    if (!Exec("BEGIN IMMEDIATE")) return false;
    {
        Query q(*this,
                "INSERT INTO instruments(model, number) VALUES(?1, ?2) ON CONFLICT DO NOTHING");
        if (!q.Int(1, key.model).Text(2, key.number).Run()) {
            Rollback();
            return false;
        }
    }
    Query q(*this, "SELECT id FROM instruments WHERE model = ?1 AND number = ?2");
    q.Int(1, key.model).Text(2, key.number);
    if (!q.Row()) {
        if (q.ok()) Failed(SQLITE_INTERNAL);
        Rollback();
        return false;
    }
    instrument = writeInstrument_ = q.ColInt(0);
    return true;
}

bool SqliteLibraryStore::AddName(LibraryId instrument, std::string_view name) {
    Query q(*this,
            "INSERT INTO instrument_names(instrument, name) VALUES(?1, ?2) ON CONFLICT DO NOTHING");
    return q.Int(1, instrument).Text(2, name).Run();
}

bool SqliteLibraryStore::AddRecording(const LibraryRecording& r, LibraryId& id) {
    Query q(*this,
            "INSERT INTO recordings(instrument, start_time, interval, settings, header, name,"
            " first_time, last_time, samples, excursions)"
            " VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10)");
    q.Int(1, r.instrument).Int(2, r.key.start).Int(3, r.key.interval).Text(4, r.key.settings);
    q.Blob(5, r.header.bytes.data(), r.header.bytes.size()).Text(6, r.name);
    q.Int(7, r.totals.first).Int(8, r.totals.last).Int(9, r.totals.samples);
    q.Int(10, r.totals.excursions);
    if (!q.Run()) return false;
    id = sqlite3_last_insert_rowid(db_);
    return true;
}

bool SqliteLibraryStore::UpdateRecording(LibraryId recording, const RecordHeader& header,
                                         const RecordingTotals& t,
                                         std::span<const ExcursionSpan> excursions) {
    {
        Query q(*this,
                "UPDATE recordings SET header = ?2, first_time = ?3, last_time = ?4, samples = ?5,"
                " excursions = ?6 WHERE id = ?1");
        q.Int(1, recording).Blob(2, header.bytes.data(), header.bytes.size());
        q.Int(3, t.first).Int(4, t.last).Int(5, t.samples).Int(6, t.excursions);
        if (!q.Run()) return false;
    }
    {
        Query q(*this, "DELETE FROM excursions WHERE recording = ?1");
        if (!q.Int(1, recording).Run()) return false;
    }
    for (const ExcursionSpan& e : excursions) {
        Query q(*this,
                "INSERT INTO excursions(recording, first_time, last_time) VALUES(?1, ?2, ?3)");
        if (!q.Int(1, recording).Int(2, e.first).Int(3, e.last).Run()) return false;
    }
    return true;
}

bool SqliteLibraryStore::AddRuns(std::span<const SampleRun> runs,
                                 std::span<const RunReadings> /*kept as samples only*/) {
    for (const SampleRun& run : runs) {
        Query q(*this,
                "INSERT INTO runs(recording, instrument, first_time, last_time, interval, count,"
                " samples, checksum) VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8)");
        q.Int(1, run.recording).Int(2, writeInstrument_).Int(3, run.first).Int(4, run.Last());
        q.Int(5, run.interval).Int(6, run.count).Blob(7, run.bytes.data(), run.bytes.size());
        q.Blob(8, run.checksum.bytes.data(), run.checksum.bytes.size());
        if (!q.Run()) return false;
    }
    return true;
}

bool SqliteLibraryStore::AddFile(const LibraryFile& f, LibraryId& id) {
    Query q(*this,
            "INSERT INTO files(recording, path, size, hash, added_time, samples, new_samples,"
            " conflicts, host) VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9)");
    q.Int(1, f.recording)
        .Blob(2, f.path.data(), f.path.size())
        .Int(3, static_cast<int64_t>(f.size));
    q.Blob(4, f.hash.bytes.data(), f.hash.bytes.size()).Int(5, f.added).Int(6, f.samples);
    q.Int(7, f.newSamples).Int(8, f.conflicts).Text(9, f.host);
    if (!q.Run()) return false;
    id = sqlite3_last_insert_rowid(db_);
    return true;
}

bool SqliteLibraryStore::AddConflicts(LibraryId file, std::span<const ConflictSample> samples) {
    for (const ConflictSample& c : samples) {
        Query q(*this, "INSERT INTO conflicts(file, time, sample) VALUES(?1, ?2, ?3)");
        if (!q.Int(1, file).Int(2, c.time).Blob(3, c.bytes.data(), c.bytes.size()).Run())
            return false;
    }
    return true;
}

bool SqliteLibraryStore::Commit() {
    if (!Exec("COMMIT")) {
        Rollback();
        return false;
    }
    writeInstrument_ = 0;
    return true;
}

void SqliteLibraryStore::Rollback() {
    writeInstrument_ = 0;
    if (db_ && !sqlite3_get_autocommit(db_))
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
}

// ---- The alarm journal and the heartbeats -------------------------------------------------

bool SqliteLibraryStore::AddAlarmEntries(std::span<const LibraryAlarmEntry> entries) {
    if (entries.empty()) return true;
    const bool own = sqlite3_get_autocommit(db_) != 0;
    if (own && !Exec("BEGIN IMMEDIATE")) return false;
    for (const LibraryAlarmEntry& e : entries) {
        Query q(*this,
                "INSERT OR IGNORE INTO alarm_entries(alarm, change, kind, level, side, model,"
                " number, name, channel, value, limit_value, extreme, start_time, time, host,"
                " user_name, comment) VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12,"
                " ?13, ?14, ?15, ?16, ?17)");
        q.Text(1, e.alarm).Text(2, e.change).Text(3, e.kind).Text(4, e.level).Text(5, e.side);
        q.Int(6, e.instrument.model).Text(7, e.instrument.number).Text(8, e.name);
        q.Text(9, e.channel).Text(10, e.value).Text(11, e.limit).Text(12, e.extreme);
        q.Int(13, e.start).Int(14, e.time).Text(15, e.host).Text(16, e.user).Text(17, e.comment);
        if (!q.Run()) {
            if (own) Rollback();
            return false;
        }
    }
    if (own && !Exec("COMMIT")) {
        Rollback();
        return false;
    }
    return true;
}

bool SqliteLibraryStore::AlarmEntries(const AlarmEntryQuery& query,
                                      std::vector<LibraryAlarmEntry>& out) {
    out.clear();
    Query q(*this,
            "SELECT seq, alarm, change, kind, level, side, model, number, name, channel, value,"
            " limit_value, extreme, start_time, time, host, user_name, comment"
            " FROM alarm_entries WHERE alarm IN (SELECT alarm FROM alarm_entries"
            "  WHERE time BETWEEN ?1 AND ?2 AND (?3 = '' OR alarm = ?3))"
            " ORDER BY seq");
    q.Int(1, query.from).Int(2, query.to).Text(3, query.alarm);
    while (q.Row()) {
        LibraryAlarmEntry e;
        e.seq = q.ColInt(0);
        e.alarm = q.ColText(1);
        e.change = q.ColText(2);
        e.kind = q.ColText(3);
        e.level = q.ColText(4);
        e.side = q.ColText(5);
        e.instrument = {static_cast<InstrumentTypeId>(q.ColInt(6)), q.ColText(7)};
        e.name = q.ColText(8);
        e.channel = q.ColText(9);
        e.value = q.ColText(10);
        e.limit = q.ColText(11);
        e.extreme = q.ColText(12);
        e.start = q.ColInt(13);
        e.time = q.ColInt(14);
        e.host = q.ColText(15);
        e.user = q.ColText(16);
        e.comment = q.ColText(17);
        out.push_back(std::move(e));
    }
    return q.ok();
}

bool SqliteLibraryStore::Beat(const MonitorHeartbeat& beat) {
    Query q(*this,
            "INSERT INTO heartbeats(host, monitor, started, time, instruments)"
            " VALUES(?1, ?2, ?3, ?4, ?5) ON CONFLICT(host, monitor) DO UPDATE SET"
            " time = max(time, excluded.time), instruments = excluded.instruments");
    return q.Text(1, beat.host)
        .Text(2, beat.monitor)
        .Int(3, beat.started)
        .Int(4, beat.time)
        .Text(5, beat.instruments)
        .Run();
}

bool SqliteLibraryStore::Heartbeats(std::vector<MonitorHeartbeat>& out) {
    out.clear();
    Query q(*this,
            "SELECT host, monitor, started, time, instruments FROM heartbeats"
            " ORDER BY host, monitor");
    while (q.Row())
        out.push_back({q.ColText(0), q.ColText(1), q.ColInt(2), q.ColInt(3), q.ColText(4)});
    return q.ok();
}

}  // namespace qx
