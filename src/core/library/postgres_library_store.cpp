#include "postgres_library_store.h"

#include <libpq-fe.h>

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "core/model/text_util.h"
#include "core/records/derived_series.h"
#include "core/records/record_set.h"
#include "core/records/sample_decoding.h"
#include "postgres_library_schema.h"  // kSchemaSteps: made from res/sql at build time
#include "server_location.h"

namespace qx {
namespace {

// How long a server that does not answer is waited for, in seconds.
constexpr int kConnectSeconds = 10;

static_assert(std::size(kSchemaSteps) == kLibraryFormatVersion);

// Held by whoever brings the tables of a database up to date, for its session: taken before
// the transaction begins, so that the transaction sees the catalogue as the previous holder
// left it (a transaction that began before the lock was granted may still see a table made
// meanwhile as missing, and make it again).
constexpr const char* kMigrationLock = "SELECT pg_advisory_lock(5845826500000001)";
constexpr const char* kMigrationUnlock = "SELECT pg_advisory_unlock(5845826500000001)";

bool Contains(const std::string& text, const char* part) {
    return text.find(part) != std::string::npos;
}

// The text without its trailing line breaks, and with the password nowhere in it.
std::string Scrubbed(std::string text, const char* password) {
    while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
        text.pop_back();
    if (password && *password) {
        const std::string secret = password;
        for (size_t at = text.find(secret); at != std::string::npos; at = text.find(secret, at))
            text.replace(at, secret.size(), "***");
    }
    return text;
}

// Why a connection could not be made, from libpq's words (the server sends no error code
// before the login is done).
LibraryFault ConnectFault(pg_conn* conn, const std::string& why) {
    if (PQconnectionNeedsPassword(conn) || Contains(why, "authentication failed") ||
        Contains(why, "no pg_hba.conf entry") || Contains(why, "role \"") ||
        Contains(why, "no password supplied") || Contains(why, "permission denied for database"))
        return LibraryFault::kLoginRefused;
    if (Contains(why, "database \"") && Contains(why, "does not exist"))
        return LibraryFault::kNoDatabase;
    if (Contains(why, "invalid") || Contains(why, "missing \"=\"") || Contains(why, "unterminated"))
        return LibraryFault::kFailed;
    return LibraryFault::kUnreachable;
}

LibraryFault FaultOf(const pg_result* result) {
    const char* state = result ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
    if (!state) return LibraryFault::kUnreachable;  // no answer: the connection is gone
    const std::string s = state;
    if (s == "53100") return LibraryFault::kFull;
    if (s == "40P01" || s == "55P03" || s == "57014") return LibraryFault::kBusy;
    if (s.starts_with("08") || s == "57P01" || s == "57P02" || s == "57P03")
        return LibraryFault::kUnreachable;
    if (s == "XX001" || s == "XX002") return LibraryFault::kDamaged;
    // A permission the login lacks; a table, column or function the database lacks.
    if (s == "42501") return LibraryFault::kRefused;
    if (s == "42P01" || s == "42703" || s == "42883") return LibraryFault::kLacking;
    return LibraryFault::kFailed;
}

int64_t BigEndian(const char* p, int length) {
    uint64_t v = 0;
    for (int i = 0; i < length; ++i)
        v = v << 8 | static_cast<uint8_t>(p[i]);
    if (length < 8 && length > 0 && (static_cast<uint8_t>(p[0]) & 0x80))
        v |= ~uint64_t{0} << (length * 8);  // sign extension
    return static_cast<int64_t>(v);
}

// Rows of COPY ... FROM STDIN (FORMAT binary): a signature, then each row as its number of
// fields and each field as its length and its bytes, big-endian.
class CopyData {
  public:
    CopyData() {
        static const char kSignature[] = "PGCOPY\n\377\r\n";
        data_.append(kSignature, 11);
        Put32(0);  // flags
        Put32(0);  // header extension
    }
    void Row(int16_t fields) { Put16(static_cast<uint16_t>(fields)); }
    void Int64(int64_t v) {
        Put32(8);
        for (int i = 7; i >= 0; --i)
            data_ += static_cast<char>(static_cast<uint64_t>(v) >> (i * 8));
    }
    void Int32(int32_t v) {
        Put32(4);
        Put32(static_cast<uint32_t>(v));
    }
    void Bytes(const uint8_t* p, size_t n) {
        Put32(static_cast<uint32_t>(n));
        data_.append(reinterpret_cast<const char*>(p), n);
    }
    // A one-dimensional real[] of n values, from 1.
    template <typename Value>
    void Reals(size_t n, Value value) {
        Put32(static_cast<uint32_t>(20 + 8 * n));
        Put32(1);    // dimensions
        Put32(0);    // no nulls
        Put32(700);  // float4
        Put32(static_cast<uint32_t>(n));
        Put32(1);  // lower bound
        for (size_t i = 0; i < n; ++i) {
            Put32(4);
            Put32(std::bit_cast<uint32_t>(value(i)));
        }
    }
    const std::string& Finish() {
        Put16(0xFFFF);
        return data_;
    }

  private:
    void Put16(uint16_t v) {
        data_ += static_cast<char>(v >> 8);
        data_ += static_cast<char>(v);
    }
    void Put32(uint32_t v) {
        for (int i = 3; i >= 0; --i)
            data_ += static_cast<char>(v >> (i * 8));
    }
    std::string data_;
};

}  // namespace

// The values of a statement's parameters ($1, $2, ...): numbers and texts as text, bytes as
// binary.
class PostgresLibraryStore::Params {
  public:
    Params& Int(int64_t v) { return Add(std::to_string(v), 0); }
    Params& Text(std::string_view v) { return Add(std::string(v), 0); }
    Params& Bytes(const void* p, size_t n) {
        return Add(std::string(static_cast<const char*>(p), n), 1);
    }
    Params& Null() {
        Add({}, 0);
        nulls_.back() = true;
        return *this;
    }
    int Count() const { return static_cast<int>(values_.size()); }
    void Pointers(std::vector<const char*>& values, std::vector<int>& lengths) const {
        for (size_t i = 0; i < values_.size(); ++i) {
            values.push_back(nulls_[i] ? nullptr : values_[i].data());
            lengths.push_back(static_cast<int>(values_[i].size()));
        }
    }
    const int* Formats() const { return formats_.data(); }

  private:
    Params& Add(std::string v, int format) {
        values_.push_back(std::move(v));
        formats_.push_back(format);
        nulls_.push_back(false);
        return *this;
    }
    std::vector<std::string> values_;
    std::vector<int> formats_;
    std::vector<bool> nulls_;
};

// The rows of a statement, in binary: numbers big-endian, texts and bytes as they are.
class PostgresLibraryStore::Result {
  public:
    Result() = default;
    explicit Result(pg_result* r) : r_(r) {}
    ~Result() { PQclear(r_); }
    Result(Result&& o) noexcept : r_(std::exchange(o.r_, nullptr)) {}
    Result& operator=(Result&&) = delete;
    Result(const Result&) = delete;

    bool ok() const { return r_ != nullptr; }
    int Rows() const { return r_ ? PQntuples(r_) : 0; }
    int64_t Int(int row, int col) const {
        if (PQgetisnull(r_, row, col)) return 0;
        return BigEndian(PQgetvalue(r_, row, col), PQgetlength(r_, row, col));
    }
    std::string Text(int row, int col) const {
        return {PQgetvalue(r_, row, col), static_cast<size_t>(PQgetlength(r_, row, col))};
    }
    std::span<const uint8_t> Bytes(int row, int col) const {
        return {reinterpret_cast<const uint8_t*>(PQgetvalue(r_, row, col)),
                static_cast<size_t>(PQgetlength(r_, row, col))};
    }

  private:
    pg_result* r_ = nullptr;
};

// ---- Opening ---------------------------------------------------------------------------

std::unique_ptr<PostgresLibraryStore> PostgresLibraryStore::Open(const std::string& location,
                                                                 OpenMode mode,
                                                                 LibraryError* error) {
    LibraryError failure;
    const auto fail = [&](LibraryFault fault, std::string detail) {
        failure.fault = fault;
        failure.detail = std::move(detail);
        if (error) *error = failure;
        return nullptr;
    };
    // A connection string libpq cannot read: its words may quote the string, password and all.
    char* parseError = nullptr;
    PQconninfoOption* options = PQconninfoParse(location.c_str(), &parseError);
    if (!options) {
        std::string why = parseError ? parseError : "";
        PQfreemem(parseError);
        return fail(LibraryFault::kFailed, WithoutPasswords(Scrubbed(why, nullptr), location));
    }
    std::string password;
    const char* givenTimeout = std::getenv("PGCONNECT_TIMEOUT");
    bool timeoutGiven = givenTimeout && *givenTimeout;
    for (const PQconninfoOption* o = options; o->keyword; ++o) {
        if (o->val && std::strcmp(o->keyword, "password") == 0) password = o->val;
        if (o->val && *o->val && std::strcmp(o->keyword, "connect_timeout") == 0)
            timeoutGiven = true;
    }
    PQconninfoFree(options);

    // A server that does not answer is given up after kConnectSeconds unless the location or
    // PGCONNECT_TIMEOUT says otherwise: a download, the window's sync and monitor never wait
    // minutes for a network that swallows the connection.
    const char* keys[] = {"dbname", timeoutGiven ? nullptr : "connect_timeout", nullptr};
    const std::string seconds = std::to_string(kConnectSeconds);
    const char* values[] = {location.c_str(), seconds.c_str(), nullptr};
    pg_conn* conn = PQconnectdbParams(keys, values, 1);
    if (!conn) return fail(LibraryFault::kFailed, "out of memory");
    if (PQstatus(conn) != CONNECTION_OK) {
        const std::string why = PQerrorMessage(conn);
        const LibraryFault fault = ConnectFault(conn, why);
        const std::string used = PQpass(conn) ? PQpass(conn) : "";
        PQfinish(conn);
        return fail(fault, WithoutPasswords(Scrubbed(Scrubbed(why, password.c_str()), used.c_str()),
                                            location));
    }
    PQsetClientEncoding(conn, "UTF8");
    std::unique_ptr<PostgresLibraryStore> store(
        new PostgresLibraryStore(conn, RedactedLocation(location)));
    const auto failed = [&] {
        if (error) *error = store->error_;
        return nullptr;
    };
    if (!store->Exec("SET client_min_messages = warning")) return failed();

    // Read before anything is written: whether the database holds a library, and which format.
    int64_t version = 0;
    if (!store->ReadFormat(version)) return failed();
    if (version < 0 && mode == OpenMode::kExisting) return fail(LibraryFault::kMissing, {});
    if (version > kLibraryFormatVersion) {
        failure.version = static_cast<int>(version);
        return fail(LibraryFault::kNewer, StrFormat("format %d", static_cast<int>(version)));
    }
    if (version < kLibraryFormatVersion && !store->Migrate()) return failed();
    return store;
}

PostgresLibraryStore::PostgresLibraryStore(pg_conn* conn, std::string location)
    : conn_(conn), location_(std::move(location)) {}

PostgresLibraryStore::~PostgresLibraryStore() {
    Rollback();
    PQfinish(conn_);
}

bool PostgresLibraryStore::Migrate() {
    if (!Exec(kMigrationLock)) return false;
    const bool ok = MigrateLocked();
    // A connection that broke has lost the lock with it.
    if (PQstatus(conn_) == CONNECTION_OK) PQclear(PQexec(conn_, kMigrationUnlock));
    return ok;
}

bool PostgresLibraryStore::MigrateLocked() {
    if (!Exec("BEGIN")) return false;
    inWrite_ = true;
    // Read again under the lock: another program may have made the tables meanwhile.
    int64_t version = 0;
    if (!ReadFormat(version)) {
        Rollback();
        return false;
    }
    if (version > kLibraryFormatVersion) {
        error_ = {LibraryFault::kNewer, StrFormat("format %d", static_cast<int>(version)),
                  static_cast<int>(version)};
        Rollback();
        return false;
    }
    version = std::max<int64_t>(version, 0);
    for (int64_t v = version; v < kLibraryFormatVersion; ++v) {
        if (!Exec(kSchemaSteps[v])) {
            Rollback();
            return false;
        }
    }
    // Each step notes its format itself, so that the scripts run by hand leave the same.
    if (!ReadFormat(version) || version != kLibraryFormatVersion) {
        if (version != kLibraryFormatVersion)
            error_ = {LibraryFault::kFailed, StrFormat("format %d after the steps", (int)version),
                      0};
        Rollback();
        return false;
    }
    return Commit();
}

bool PostgresLibraryStore::ReadFormat(int64_t& version) {
    Result exists = Run("SELECT to_regclass('library_format') IS NOT NULL", Params());
    if (!exists.ok()) return false;
    if (!exists.Int(0, 0)) {
        // A library in a schema of the search path that this login may not use is hidden from
        // it, not missing: a refusal, for the administrator to grant.
        Result hidden = Run(
            "SELECT n.nspname FROM pg_catalog.pg_class c"
            " JOIN pg_catalog.pg_namespace n ON n.oid = c.relnamespace"
            " WHERE c.relname = 'library_format' AND NOT has_schema_privilege(n.oid, 'USAGE')"
            "   AND n.nspname IN (SELECT replace(trim(both ' \"' FROM s), '$user', current_user)"
            "     FROM unnest(string_to_array(current_setting('search_path'), ',')) s)"
            " LIMIT 1",
            Params());
        if (!hidden.ok()) return false;
        if (hidden.Rows() > 0) {
            error_ = {LibraryFault::kRefused, "permission denied for schema " + hidden.Text(0, 0),
                      0};
            return false;
        }
        version = -1;
        return true;
    }
    Result r = Run("SELECT coalesce(max(format), 0)::bigint FROM library_format", Params());
    if (!r.ok()) return false;
    version = r.Int(0, 0);
    return true;
}

// ---- Helpers ---------------------------------------------------------------------------

bool PostgresLibraryStore::Reconnect() {
    PQreset(conn_);
    if (PQstatus(conn_) != CONNECTION_OK) return false;
    PQsetClientEncoding(conn_, "UTF8");
    PQclear(PQexec(conn_, "SET client_min_messages = warning"));
    return true;
}

// Outside a write, a connection that was lost (the server restarted, the network was away) is
// made again and the statement tried once more: reads and BEGIN are safe to repeat. Inside a
// write it stays lost, and the write fails with nothing of it kept.
PostgresLibraryStore::Result PostgresLibraryStore::Run(const char* sql, const Params& params) {
    std::vector<const char*> values;
    std::vector<int> lengths;
    params.Pointers(values, lengths);
    for (int attempt = 0;; ++attempt) {
        if (PQstatus(conn_) != CONNECTION_OK && !inWrite_) Reconnect();
        pg_result* r = PQexecParams(conn_, sql, params.Count(), nullptr, values.data(),
                                    lengths.data(), params.Formats(), 1);
        const ExecStatusType status = r ? PQresultStatus(r) : PGRES_FATAL_ERROR;
        if (status == PGRES_TUPLES_OK || status == PGRES_COMMAND_OK) return Result(r);
        const bool lost = PQstatus(conn_) != CONNECTION_OK;
        Failed(r);
        PQclear(r);
        if (!lost || inWrite_ || attempt > 0) return Result();
    }
}

bool PostgresLibraryStore::Exec(const char* sql) {
    for (int attempt = 0;; ++attempt) {
        if (PQstatus(conn_) != CONNECTION_OK && !inWrite_) Reconnect();
        pg_result* r = PQexec(conn_, sql);
        const ExecStatusType status = r ? PQresultStatus(r) : PGRES_FATAL_ERROR;
        const bool ok = status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK;
        const bool lost = !ok && PQstatus(conn_) != CONNECTION_OK;
        if (!ok) Failed(r);
        PQclear(r);
        if (ok || !lost || inWrite_ || attempt > 0) return ok;
    }
}

bool PostgresLibraryStore::Copy(const char* sql, const std::string& data) {
    pg_result* r = PQexec(conn_, sql);
    if (!r || PQresultStatus(r) != PGRES_COPY_IN) {
        Failed(r);
        PQclear(r);
        return false;
    }
    PQclear(r);
    constexpr size_t kChunk = 1 << 20;
    bool sent = true;
    for (size_t at = 0; sent && at < data.size(); at += kChunk) {
        const size_t n = std::min(kChunk, data.size() - at);
        sent = PQputCopyData(conn_, data.data() + at, static_cast<int>(n)) == 1;
    }
    if (PQputCopyEnd(conn_, sent ? nullptr : "not sent") != 1) sent = false;
    bool ok = sent;
    while ((r = PQgetResult(conn_)) != nullptr) {
        if (PQresultStatus(r) != PGRES_COMMAND_OK) {
            if (ok) Failed(r);
            ok = false;
        }
        PQclear(r);
    }
    if (!sent && ok) Failed(nullptr);
    return ok;
}

bool PostgresLibraryStore::Failed(const pg_result* result) {
    const char* password = PQpass(conn_);
    error_.fault = FaultOf(result);
    error_.version = 0;
    if (result == nullptr || PQresultStatus(result) == PGRES_FATAL_ERROR) {
        const char* primary =
            result ? PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY) : nullptr;
        error_.detail = Scrubbed(primary ? primary : PQerrorMessage(conn_), password);
    } else {
        error_.detail = Scrubbed(PQresStatus(PQresultStatus(result)), password);
    }
    if (PQstatus(conn_) != CONNECTION_OK) error_.fault = LibraryFault::kUnreachable;
    return false;
}

// ---- Reading ---------------------------------------------------------------------------

bool PostgresLibraryStore::Instruments(std::vector<LibraryInstrument>& out) {
    out.clear();
    std::map<LibraryId, size_t> index;
    Result r = Run("SELECT id, model, number FROM instruments ORDER BY model, number COLLATE \"C\"",
                   Params());
    if (!r.ok()) return false;
    for (int i = 0; i < r.Rows(); ++i) {
        index[r.Int(i, 0)] = out.size();
        out.push_back(
            {r.Int(i, 0), {static_cast<InstrumentTypeId>(r.Int(i, 1)), r.Text(i, 2)}, {}});
    }
    Result n =
        Run("SELECT instrument, name FROM instrument_names ORDER BY instrument, name COLLATE \"C\"",
            Params());
    if (!n.ok()) return false;
    for (int i = 0; i < n.Rows(); ++i) {
        const auto it = index.find(n.Int(i, 0));
        if (it != index.end()) out[it->second].names.push_back(n.Text(i, 1));
    }
    return true;
}

bool PostgresLibraryStore::Recordings(const RecordingQuery& query,
                                      std::vector<LibraryRecording>& out) {
    out.clear();
    Params p;
    p.Int(query.instrument).Int(query.recording).Int(query.model);
    if (query.from)
        p.Int(*query.from);
    else
        p.Null();
    if (query.to)
        p.Int(*query.to);
    else
        p.Null();
    p.Int(query.excursionsOnly ? 1 : 0);
    // An excursion span k is excursion_spans[2k + 1 .. 2k + 2].
    Result r =
        Run("SELECT r.id, r.instrument, i.model, i.number, r.start_time, r.interval, r.settings,"
            "       r.header, r.name, r.first_time, r.last_time, r.samples, r.excursions"
            " FROM recordings r JOIN instruments i ON i.id = r.instrument"
            " WHERE ($1::bigint = 0 OR r.instrument = $1) AND ($2::bigint = 0 OR r.id = $2)"
            "   AND ($3::bigint = 0 OR i.model = $3) AND ($4::bigint IS NULL OR r.last_time >= $4)"
            "   AND ($5::bigint IS NULL OR r.first_time <= $5)"
            "   AND ($6::integer = 0 OR r.excursions > 0 AND ($4 IS NULL AND $5 IS NULL OR EXISTS("
            "     SELECT 1 FROM generate_subscripts(r.excursion_spans, 1) s"
            "      WHERE s % 2 = 1 AND ($5 IS NULL OR r.excursion_spans[s] <= $5)"
            "        AND ($4 IS NULL OR r.excursion_spans[s + 1] >= $4))))"
            " ORDER BY i.model, i.number COLLATE \"C\", r.first_time, r.id",
            p);
    if (!r.ok()) return false;
    for (int i = 0; i < r.Rows(); ++i) {
        LibraryRecording& rec = out.emplace_back();
        rec.id = r.Int(i, 0);
        rec.instrument = r.Int(i, 1);
        rec.instrumentKey = {static_cast<InstrumentTypeId>(r.Int(i, 2)), r.Text(i, 3)};
        rec.key = {r.Int(i, 4), static_cast<uint32_t>(r.Int(i, 5)), r.Text(i, 6)};
        const std::span<const uint8_t> header = r.Bytes(i, 7);
        std::memcpy(rec.header.bytes.data(), header.data(),
                    std::min(header.size(), RecordHeader::kSize));
        rec.name = r.Text(i, 8);
        rec.totals = {r.Int(i, 9), r.Int(i, 10), r.Int(i, 11), r.Int(i, 12)};
    }
    return true;
}

bool PostgresLibraryStore::Runs(LibraryId instrument, LibraryId recording, int64_t from, int64_t to,
                                std::vector<SampleRun>& out) {
    out.clear();
    Result r =
        Run(recording != 0 ? "SELECT recording, first_time, interval, count, samples, checksum"
                             " FROM runs"
                             " WHERE recording = $2::bigint AND instrument = $1::bigint"
                             "   AND first_time <= $4::bigint AND last_time >= $3::bigint"
                             " ORDER BY first_time, id"
                           : "SELECT recording, first_time, interval, count, samples, checksum"
                             " FROM runs"
                             " WHERE instrument = $1::bigint AND first_time <= $4::bigint"
                             "   AND last_time >= $3::bigint AND $2::bigint = 0"
                             " ORDER BY first_time, id",
            Params().Int(instrument).Int(recording).Int(from).Int(to));
    if (!r.ok()) return false;
    out.reserve(static_cast<size_t>(r.Rows()));
    for (int i = 0; i < r.Rows(); ++i) {
        SampleRun& run = out.emplace_back();
        run.recording = r.Int(i, 0);
        run.first = r.Int(i, 1);
        run.interval = static_cast<uint32_t>(r.Int(i, 2));
        run.count = static_cast<uint32_t>(r.Int(i, 3));
        const std::span<const uint8_t> bytes = r.Bytes(i, 4);
        run.bytes.assign(bytes.begin(), bytes.end());
        const std::span<const uint8_t> checksum = r.Bytes(i, 5);
        std::memcpy(run.checksum.bytes.data(), checksum.data(),
                    std::min(checksum.size(), run.checksum.bytes.size()));
    }
    return true;
}

bool PostgresLibraryStore::ReadFiles(Result& r, std::vector<LibraryFile>& out) {
    out.clear();
    if (!r.ok()) return false;
    for (int i = 0; i < r.Rows(); ++i) {
        LibraryFile& f = out.emplace_back();
        f.id = r.Int(i, 0);
        f.recording = r.Int(i, 1);
        const std::span<const uint8_t> path = r.Bytes(i, 2);
        f.path.assign(path.begin(), path.end());
        f.size = static_cast<uint64_t>(r.Int(i, 3));
        const std::span<const uint8_t> hash = r.Bytes(i, 4);
        std::memcpy(f.hash.bytes.data(), hash.data(), std::min(hash.size(), f.hash.bytes.size()));
        f.added = r.Int(i, 5);
        f.samples = r.Int(i, 6);
        f.newSamples = r.Int(i, 7);
        f.conflicts = r.Int(i, 8);
        f.host = r.Text(i, 9);
    }
    return true;
}

bool PostgresLibraryStore::Files(LibraryId recording, std::vector<LibraryFile>& out) {
    Result r =
        Run("SELECT id, recording, path, size, hash, added_time, samples, new_samples, conflicts,"
            " host FROM files WHERE $1::bigint = 0 OR recording = $1 ORDER BY id",
            Params().Int(recording));
    return ReadFiles(r, out);
}

bool PostgresLibraryStore::FilesWithHash(const ContentHash& hash, std::vector<LibraryFile>& out) {
    Result r =
        Run("SELECT id, recording, path, size, hash, added_time, samples, new_samples, conflicts,"
            " host FROM files WHERE hash = $1::bytea ORDER BY id",
            Params().Bytes(hash.bytes.data(), hash.bytes.size()));
    return ReadFiles(r, out);
}

bool PostgresLibraryStore::Conflicts(LibraryId file, std::vector<ConflictSample>& out) {
    out.clear();
    Result r = Run("SELECT time, sample FROM conflicts WHERE file = $1::bigint ORDER BY time",
                   Params().Int(file));
    if (!r.ok()) return false;
    for (int i = 0; i < r.Rows(); ++i) {
        const std::span<const uint8_t> bytes = r.Bytes(i, 1);
        out.push_back({r.Int(i, 0), {bytes.begin(), bytes.end()}});
    }
    return true;
}

bool PostgresLibraryStore::CheckStorage(std::vector<std::string>& problems) {
    problems.clear();
    // The server keeps its own pages sound; what the tables must agree on is checked here.
    Result r =
        Run("SELECT 'run ' || r.id || ': its last time does not follow from its first and count'"
            "  FROM runs r WHERE r.count < 1 OR r.last_time <> r.first_time + (r.count - 1)::bigint"
            "  * r.interval"
            " UNION ALL SELECT 'run ' || r.id || ': not of the instrument of its recording'"
            "  FROM runs r JOIN recordings rec ON rec.id = r.recording"
            "  WHERE rec.instrument <> r.instrument"
            " UNION ALL SELECT 'run ' || r.id || ': readings not a whole number of samples'"
            "  FROM runs r WHERE coalesce(array_length(r.readings, 1), 0) <> r.count *"
            "  (SELECT count(*) FROM recording_quantities q WHERE q.recording = r.recording)"
            " UNION ALL SELECT 'recording ' || rec.id || ': ' || rec.samples || ' samples, its runs"
            " hold ' || coalesce(sum(r.count), 0)"
            "  FROM recordings rec LEFT JOIN runs r ON r.recording = rec.id"
            "  GROUP BY rec.id HAVING rec.samples <> coalesce(sum(r.count), 0)",
            Params());
    if (!r.ok()) return false;
    for (int i = 0; i < r.Rows(); ++i)
        problems.push_back(r.Text(i, 0));
    return true;
}

// ---- Writing ---------------------------------------------------------------------------

bool PostgresLibraryStore::BeginWrite(const InstrumentKey& key, LibraryId& instrument) {
    Rollback();
    if (!Exec("BEGIN")) return false;
    inWrite_ = true;
    // The row is made by the first writer; a second one waits here until the first commits.
    if (!Run("INSERT INTO instruments(model, model_name, number)"
             " VALUES($1::integer, $2::text, $3::text) ON CONFLICT DO NOTHING",
             Params().Int(key.model).Text(ModelName(key.model)).Text(key.number))
             .ok()) {
        Rollback();
        return false;
    }
    Result r =
        Run("SELECT id FROM instruments WHERE model = $1::integer AND number = $2::text"
            " FOR UPDATE",
            Params().Int(key.model).Text(key.number));
    if (!r.ok() || r.Rows() != 1) {
        if (r.ok()) {
            error_ = {LibraryFault::kFailed, "the instrument row is missing", 0};
        }
        Rollback();
        return false;
    }
    instrument = writeInstrument_ = r.Int(0, 0);
    writeModel_ = key.model;
    return true;
}

bool PostgresLibraryStore::AddName(LibraryId instrument, std::string_view name) {
    return Run("INSERT INTO instrument_names(instrument, name) VALUES($1::bigint, $2::text)"
               " ON CONFLICT DO NOTHING",
               Params().Int(instrument).Text(name))
        .ok();
}

bool PostgresLibraryStore::AddRecording(const LibraryRecording& rec, LibraryId& id) {
    Params p;
    p.Int(rec.instrument).Int(rec.key.start).Int(rec.key.interval).Text(rec.key.settings);
    p.Bytes(rec.header.bytes.data(), rec.header.bytes.size()).Text(rec.name);
    p.Int(rec.totals.first).Int(rec.totals.last).Int(rec.totals.samples);
    p.Int(rec.totals.excursions);
    Result r = Run(
        "INSERT INTO recordings(instrument, start_time, interval, settings, header, name,"
        " first_time, last_time, samples, excursions)"
        " VALUES($1::bigint, $2::bigint, $3::integer, $4::text, $5::bytea, $6::text, $7::bigint,"
        " $8::bigint, $9::bigint, $10::bigint) RETURNING id",
        p);
    if (!r.ok()) return false;
    id = r.Int(0, 0);
    // The quantities its readings hold, as the recording's settings name them.
    const InstrumentTypeId model = writeModel_;
    const RecordUnits units = RecordUnitsOf(rec.header.Params().UnitByte(), model);
    int position = 0;
    for (int series : SeriesList(model)) {
        if (!Run("INSERT INTO recording_quantities(recording, position, quantity, unit)"
                 " VALUES($1::bigint, $2::integer, $3::text, $4::text)",
                 Params().Int(id).Int(position++).Text(units.ids[series]).Text(units.units[series]))
                 .ok())
            return false;
    }
    return true;
}

bool PostgresLibraryStore::UpdateRecording(LibraryId recording, const RecordHeader& header,
                                           const RecordingTotals& t,
                                           std::span<const ExcursionSpan> excursions) {
    std::string spans = "{";
    for (const ExcursionSpan& e : excursions) {
        if (spans.size() > 1) spans += ',';
        spans += std::to_string(e.first) + ',' + std::to_string(e.last);
    }
    spans += '}';
    Params p;
    p.Int(recording).Bytes(header.bytes.data(), header.bytes.size());
    p.Int(t.first).Int(t.last).Int(t.samples).Int(t.excursions).Text(spans);
    return Run("UPDATE recordings SET header = $2::bytea, first_time = $3::bigint,"
               " last_time = $4::bigint, samples = $5::bigint, excursions = $6::bigint,"
               " excursion_spans = $7::bigint[] WHERE id = $1::bigint",
               p)
        .ok();
}

bool PostgresLibraryStore::AddRuns(std::span<const SampleRun> runs,
                                   std::span<const RunReadings> readings) {
    if (runs.empty()) return true;
    if (readings.size() != runs.size()) {
        error_ = {LibraryFault::kFailed, "runs without their readings", 0};
        return false;
    }
    CopyData copy;
    for (size_t i = 0; i < runs.size(); ++i) {
        const SampleRun& run = runs[i];
        const RunReadings& values = readings[i];
        copy.Row(9);
        copy.Int64(run.recording);
        copy.Int64(writeInstrument_);
        copy.Int64(run.first);
        copy.Int64(run.Last());
        copy.Int32(static_cast<int32_t>(run.interval));
        copy.Int32(static_cast<int32_t>(run.count));
        copy.Bytes(run.bytes.data(), run.bytes.size());
        copy.Reals(values.size(), [&](size_t k) { return values[k]; });
        copy.Bytes(run.checksum.bytes.data(), run.checksum.bytes.size());
    }
    return Copy(
        "COPY runs(recording, instrument, first_time, last_time, interval, count, samples,"
        " readings, checksum) FROM STDIN (FORMAT binary)",
        copy.Finish());
}

bool PostgresLibraryStore::AddFile(const LibraryFile& f, LibraryId& id) {
    Params p;
    p.Int(f.recording).Bytes(f.path.data(), f.path.size()).Int(static_cast<int64_t>(f.size));
    p.Bytes(f.hash.bytes.data(), f.hash.bytes.size()).Int(f.added).Int(f.samples);
    p.Int(f.newSamples).Int(f.conflicts).Text(f.host);
    Result r =
        Run("INSERT INTO files(recording, path, size, hash, added_time, samples, new_samples,"
            " conflicts, host) VALUES($1::bigint, $2::bytea, $3::bigint, $4::bytea, $5::bigint,"
            " $6::bigint, $7::bigint, $8::bigint, $9::text) RETURNING id",
            p);
    if (!r.ok()) return false;
    id = r.Int(0, 0);
    return true;
}

bool PostgresLibraryStore::AddConflicts(LibraryId file, std::span<const ConflictSample> samples) {
    if (samples.empty()) return true;
    CopyData copy;
    for (const ConflictSample& c : samples) {
        copy.Row(3);
        copy.Int64(file);
        copy.Int64(c.time);
        copy.Bytes(c.bytes.data(), c.bytes.size());
    }
    return Copy("COPY conflicts(file, time, sample) FROM STDIN (FORMAT binary)", copy.Finish());
}

bool PostgresLibraryStore::CommitOpen() {
    pg_result* r = PQexec(conn_, "COMMIT");
    // The COMMIT of a transaction that failed answers ROLLBACK, without an error.
    const bool ok =
        r && PQresultStatus(r) == PGRES_COMMAND_OK && std::strcmp(PQcmdStatus(r), "COMMIT") == 0;
    if (!ok) {
        if (r && PQresultStatus(r) == PGRES_COMMAND_OK)
            error_ = {LibraryFault::kFailed, "the transaction was rolled back", 0};
        else
            Failed(r);
    }
    PQclear(r);
    return ok;
}

bool PostgresLibraryStore::Commit() {
    if (!inWrite_) return true;
    const bool ok = CommitOpen();
    inWrite_ = false;
    writeInstrument_ = 0;
    writeModel_ = 0;
    return ok;
}

void PostgresLibraryStore::Rollback() {
    writeInstrument_ = 0;
    writeModel_ = 0;
    if (!inWrite_) return;
    inWrite_ = false;
    if (conn_ && PQstatus(conn_) == CONNECTION_OK && PQtransactionStatus(conn_) != PQTRANS_IDLE) {
        pg_result* r = PQexec(conn_, "ROLLBACK");
        PQclear(r);
    }
}

// ---- The alarm journal and the heartbeats -------------------------------------------------

bool PostgresLibraryStore::AddAlarmEntries(std::span<const LibraryAlarmEntry> entries) {
    if (entries.empty()) return true;
    const bool own = !inWrite_;
    if (own && !Exec("BEGIN")) return false;
    for (const LibraryAlarmEntry& e : entries) {
        Params p;
        p.Text(e.alarm).Text(e.change).Text(e.kind).Text(e.level).Text(e.side);
        p.Int(e.instrument.model).Text(e.instrument.number).Text(e.name).Text(e.channel);
        p.Text(e.value).Text(e.limit).Text(e.extreme).Int(e.start).Int(e.time).Text(e.host);
        p.Text(e.user).Text(e.comment);
        if (!Run("INSERT INTO alarm_entries(alarm, change, kind, level, side, model, number,"
                 " name, channel, value, limit_value, extreme, start_time, time, host,"
                 " user_name, comment) VALUES($1::text, $2::text, $3::text, $4::text, $5::text,"
                 " $6::integer, $7::text, $8::text, $9::text, $10::text, $11::text, $12::text,"
                 " $13::bigint, $14::bigint, $15::text, $16::text, $17::text)"
                 " ON CONFLICT DO NOTHING",
                 p)
                 .ok()) {
            if (own) Exec("ROLLBACK");
            return false;
        }
    }
    return !own || CommitOpen();
}

bool PostgresLibraryStore::AlarmEntries(const AlarmEntryQuery& query,
                                        std::vector<LibraryAlarmEntry>& out) {
    out.clear();
    Result r =
        Run("SELECT seq, alarm, change, kind, level, side, model::bigint, number, name,"
            " channel, value, limit_value, extreme, start_time, time, host, user_name,"
            " comment FROM alarm_entries WHERE alarm IN (SELECT alarm FROM alarm_entries"
            "  WHERE time BETWEEN $1::bigint AND $2::bigint"
            "  AND ($3::text = '' OR alarm = $3::text))"
            " ORDER BY seq",
            Params().Int(query.from).Int(query.to).Text(query.alarm));
    if (!r.ok()) return false;
    for (int i = 0; i < r.Rows(); ++i) {
        LibraryAlarmEntry e;
        e.seq = r.Int(i, 0);
        e.alarm = r.Text(i, 1);
        e.change = r.Text(i, 2);
        e.kind = r.Text(i, 3);
        e.level = r.Text(i, 4);
        e.side = r.Text(i, 5);
        e.instrument = {static_cast<InstrumentTypeId>(r.Int(i, 6)), r.Text(i, 7)};
        e.name = r.Text(i, 8);
        e.channel = r.Text(i, 9);
        e.value = r.Text(i, 10);
        e.limit = r.Text(i, 11);
        e.extreme = r.Text(i, 12);
        e.start = r.Int(i, 13);
        e.time = r.Int(i, 14);
        e.host = r.Text(i, 15);
        e.user = r.Text(i, 16);
        e.comment = r.Text(i, 17);
        out.push_back(std::move(e));
    }
    return true;
}

bool PostgresLibraryStore::Beat(const MonitorHeartbeat& beat) {
    return Run("INSERT INTO heartbeats(host, monitor, started, time, instruments)"
               " VALUES($1::text, $2::text, $3::bigint, $4::bigint, $5::text)"
               " ON CONFLICT (host, monitor) DO UPDATE SET"
               " time = greatest(heartbeats.time, excluded.time),"
               " instruments = excluded.instruments",
               Params()
                   .Text(beat.host)
                   .Text(beat.monitor)
                   .Int(beat.started)
                   .Int(beat.time)
                   .Text(beat.instruments))
        .ok();
}

bool PostgresLibraryStore::Heartbeats(std::vector<MonitorHeartbeat>& out) {
    out.clear();
    Result r =
        Run("SELECT host, monitor, started, time, instruments FROM heartbeats"
            " ORDER BY host, monitor",
            Params());
    if (!r.ok()) return false;
    for (int i = 0; i < r.Rows(); ++i)
        out.push_back({r.Text(i, 0), r.Text(i, 1), r.Int(i, 2), r.Int(i, 3), r.Text(i, 4)});
    return true;
}

}  // namespace qx
