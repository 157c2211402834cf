// The record library on a PostgreSQL server on the same machine, over its Unix socket: adding
// 100 record files of 32,512 samples (and adding them again, when nothing is new), reading one
// instrument's year at 5-minute intervals for the browser, and a dashboard's day of readings.
// The server is QX_BENCH_PG (a connection string) or, without it, a throwaway server that the
// benchmark starts itself (scripts/pg-test-server, with fsync on) and stops at the end.
#include <benchmark/benchmark.h>
#include <libpq-fe.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/library/library_location.h"
#include "core/library/record_library.h"
#include "library_bench_records.h"

using namespace qx::bench;

namespace {

std::string server;  // the connection string of the database

// Runs a statement; its first value, "" for none or on failure (said on stderr).
std::string Sql(const std::string& location, const std::string& sql) {
    PGconn* conn = PQconnectdb(location.c_str());
    PQsetNoticeProcessor(
        conn, [](void*, const char*) {}, nullptr);  // "drop cascades to ..."
    PGresult* r = PQexec(conn, sql.c_str());
    std::string value;
    if (PQresultStatus(r) == PGRES_TUPLES_OK && PQntuples(r) > 0)
        value = PQgetvalue(r, 0, 0);
    else if (PQresultStatus(r) != PGRES_COMMAND_OK)
        std::fprintf(stderr, "%s: %s", sql.c_str(), PQerrorMessage(conn));
    PQclear(r);
    PQfinish(conn);
    return value;
}

// The location of an empty library in a schema of its own.
std::string FreshLibrary(const std::string& schema) {
    Sql(server, "DROP SCHEMA IF EXISTS " + schema + " CASCADE; CREATE SCHEMA " + schema);
    return server + (server.find('?') == std::string::npos ? "?" : "&") +
           "options=-csearch_path%3D" + schema;
}

std::unique_ptr<qx::RecordLibrary> Open(const std::string& location) {
    qx::OpenedLibrary opened = qx::OpenLibrary(location, qx::LibraryOpen::kCreate);
    if (!opened.library) std::fprintf(stderr, "%s\n", opened.message.c_str());
    return std::move(opened.library);
}

// 100 files of 25 loggers, each downloaded and restarted four times: 3,251,200 samples.
void BM_ServerAdd100Files(benchmark::State& state) {
    const std::string folder = Scratch("server-add");
    std::vector<std::string> paths;
    for (int logger = 0; logger < 25; ++logger) {
        for (uint32_t d = 0; d < 4; ++d) {
            const std::string path =
                folder + "/" + std::to_string(logger) + "-" + std::to_string(d) + ".QXRec";
            Write(path, u"L" + std::u16string(1, static_cast<char16_t>(u'A' + logger)), 32512,
                  kStart + d * 32512 * 60 + d * 3600, 60);
            paths.push_back(path);
        }
    }
    double again = 0;
    std::string location;
    for (auto _ : state) {
        location = FreshLibrary("bench_add");
        const auto start = Clock::now();
        auto library = Open(location);
        if (!library) return state.SkipWithError("no library");
        for (const qx::AddResult& r : library->AddPaths(paths)) {
            if (r.status != qx::AddStatus::kAdded) state.SkipWithError("a file was not added");
        }
        library.reset();
        state.SetIterationTime(Seconds(start));
        const auto second = Clock::now();
        library = Open(location);
        for (const qx::AddResult& r : library->AddPaths(paths)) {
            if (r.status != qx::AddStatus::kKnown) state.SkipWithError("a file was added again");
        }
        again = Seconds(second);
    }
    state.counters["again_s"] = again;
    state.counters["db_MB"] =
        std::atof(Sql(location,
                      "SELECT sum(pg_total_relation_size(c.oid)) FROM pg_class c"
                      " JOIN pg_namespace n ON n.oid = c.relnamespace"
                      " WHERE n.nspname = 'bench_add' AND c.relkind = 'r'")
                      .c_str()) /
        1e6;
    state.SetLabel("100 files x 32512 samples; again_s: the same files again, nothing new");
}
BENCHMARK(BM_ServerAdd100Files)->UseManualTime()->Iterations(2)->Unit(benchmark::kMillisecond);

// A year at 5-minute intervals: four downloads of one logger, restarted after each, read as the
// browser reads an instrument's history.
void BM_ServerReadYear(benchmark::State& state) {
    const std::string folder = Scratch("server-year");
    auto library = Open(FreshLibrary("bench_year"));
    if (!library) return state.SkipWithError("no library");
    AddYear(*library, folder);
    ReadYear(state, *library);
}
BENCHMARK(BM_ServerReadYear)->Unit(benchmark::kMillisecond);

// What a dashboard asks of the library of BM_ServerAdd100Files: a day of one instrument's
// readings, and a day of every instrument's, through readings_between().
void BM_ServerDashboardDay(benchmark::State& state) {
    const std::string location = server + (server.find('?') == std::string::npos ? "?" : "&") +
                                 "options=-csearch_path%3Dbench_add";
    const std::string sql = state.range(0)
                                ? "SELECT count(*) FROM readings_between(to_timestamp(1672600000),"
                                  " to_timestamp(1672686400))"
                                : "SELECT count(*) FROM readings_between(to_timestamp(1672600000),"
                                  " to_timestamp(1672686400)) WHERE instrument = 'LA'";
    std::string rows;
    for (auto _ : state)
        rows = Sql(location, sql);
    if (rows.empty()) return state.SkipWithError("run BM_ServerAdd100Files first");
    state.SetLabel(rows + " readings" + (state.range(0) ? ", 25 instruments" : ", 1 instrument"));
}
BENCHMARK(BM_ServerDashboardDay)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    std::string started;
    if (const char* given = std::getenv("QX_BENCH_PG"); given && *given) {
        server = given;
    } else {
        started =
            (fs::temp_directory_path() / ("qx-bench-pg-" + std::to_string(::getpid()))).string();
        ::setenv("QX_PG_FSYNC", "on", 1);
        const std::string start = std::string(QX_PG_TEST_SERVER) + " start " + started;
        FILE* out = ::popen(start.c_str(), "r");
        char line[4096] = {};
        if (out && std::fgets(line, sizeof line, out)) server = line;
        if (out) ::pclose(out);
        while (!server.empty() && (server.back() == '\n' || server.back() == '\r'))
            server.pop_back();
        if (server.empty()) {
            std::fprintf(stderr,
                         "bench_library_server: no PostgreSQL server could be started"
                         " (scripts/install-deps installs it; or set QX_BENCH_PG)\n");
            return 1;
        }
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (!started.empty())
        return std::system((std::string(QX_PG_TEST_SERVER) + " stop " + started).c_str()) == 0 ? 0
                                                                                               : 1;
    return 0;
}
