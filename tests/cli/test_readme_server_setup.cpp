// The README's set-up of a site library, run as written on a fresh PostgreSQL server: the
// commands are read from README.md, with only the server's address, the package's folder and
// the records' folder put in for the test's.
#include <gtest/gtest.h>
#include <libpq-fe.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "core/records/record_file.h"
#include "core/records/record_fixtures.h"

namespace qx {
namespace {

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void Replace(std::string& text, const std::string& what, const std::string& with) {
    for (size_t at = text.find(what); at != std::string::npos;
         at = text.find(what, at + with.size()))
        text.replace(at, what.size(), with);
}

// The shell block that follows the line starting with `heading`.
std::string ShellBlock(const std::string& readme, const std::string& heading) {
    const size_t at = readme.find(heading);
    if (at == std::string::npos) return {};
    const size_t open = readme.find("```sh\n", at);
    const size_t close = readme.find("\n```", open + 6);
    if (open == std::string::npos || close == std::string::npos) return {};
    return readme.substr(open + 6, close - open - 6 + 1);
}

int Shell(const std::string& command) {
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The first value of a statement as a user of the server, or the SQLSTATE of its refusal.
std::string Sql(const std::string& conninfo, const std::string& sql) {
    PGconn* conn = PQconnectdb(conninfo.c_str());
    EXPECT_EQ(PQstatus(conn), CONNECTION_OK) << PQerrorMessage(conn);
    PGresult* r = PQexec(conn, sql.c_str());
    std::string value;
    if (PQresultStatus(r) == PGRES_TUPLES_OK && PQntuples(r) > 0) {
        value = PQgetvalue(r, 0, 0);
    } else if (PQresultStatus(r) == PGRES_FATAL_ERROR) {
        const char* state = PQresultErrorField(r, PG_DIAG_SQLSTATE);
        value = std::string("refused ") + (state ? state : "");
    }
    PQclear(r);
    PQfinish(conn);
    return value;
}

class ReadmeServerSetup : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "qx-readme-XXXXXX").string();
        ASSERT_TRUE(::mkdtemp(pattern.data()));
        dir = pattern;
        // The server may run as another user (postgres, when the tests run as root).
        fs::permissions(dir, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                 fs::perms::others_read | fs::perms::others_exec);
        server = dir / "pg";
        ASSERT_EQ(
            Shell(std::string(QX_PG_TEST_SERVER) + " start " + server.string() + " >/dev/null"), 0);
    }
    void TearDown() override {
        Shell(std::string(QX_PG_TEST_SERVER) + " stop " + server.string());
        fs::remove_all(dir);
    }
    fs::path dir, server;
};

TEST_F(ReadmeServerSetup, TheStepsWorkAsWrittenOnAFreshServer) {
    std::string steps =
        ShellBlock(ReadFile(fs::path(QX_SOURCE_DIR) / "README.md"), "Setting up the server, once");
    ASSERT_NE(steps.find("createdb"), std::string::npos) << "no set-up steps in README.md";

    // Records to add, as a PC has them.
    const fs::path records = dir / "records";
    fs::create_directories(records);
    for (const char16_t* number : {u"A1", u"A2"}) {
        RecordImage image = test::MakeRecordImage(4, 20);
        ParamBlock p = image.Params();
        p.SetNumber(number);
        image.SetParams(p);
        ASSERT_TRUE(WriteRecordFile(
            (records / (std::string(number[1] == u'1' ? "a" : "b") + ".QXRec")).string(), image,
            4));
    }
    // The test's server for the example's (a socket in its folder, the URL's host
    // percent-encoded), the source tree's scripts for the package's, the built program.
    std::string host;
    for (const char c : server.string())
        host += c == '/' ? std::string("%2F") : std::string(1, c);
    Replace(steps, "db.example.org", host);
    Replace(steps, "/usr/share/qxlog/sql", std::string(QX_SOURCE_DIR) + "/res/sql");
    Replace(steps, "~/records", records.string());
    Replace(steps, "qxlog-cli ", std::string(QXLOG_CLI) + " ");

    // The superuser of the test's server is qx: `sudo -u postgres` connects as it, through the
    // socket; the passwords asked for come from standard input.
    std::string bin;
    for (const fs::path& candidate : {fs::path("/usr/lib/postgresql/15/bin")}) {
        if (fs::exists(candidate / "psql")) bin = candidate.string();
    }
    const fs::path script = dir / "steps.sh";
    std::ofstream(script) << "set -e\n"
                          << (bin.empty() ? "" : "PATH=" + bin + ":$PATH\n")
                          << "sudo() {\n"
                             "    [ \"$1\" = -u ] && shift 2\n"
                             "    PGHOST='"
                          << server.string()
                          << "' PGUSER=qx \"$@\"\n"
                             "}\n"
                          << steps;
    ASSERT_EQ(Shell("printf 'owner-secret\\nowner-secret\\n' | bash " + script.string() + " > " +
                    (dir / "out").string() + " 2>&1"),
              0)
        << steps << "\n----\n"
        << ReadFile(dir / "out");

    // What the set-up promises: the PC's login adds, the dashboard's reads, neither changes
    // what it may not.
    const std::string socket = "host=" + server.string() + " dbname=qxlog";
    EXPECT_EQ(Sql(socket + " user=dashboard", "SELECT count(DISTINCT instrument) FROM readings"),
              "2");
    const fs::path more = dir / "more";
    fs::create_directories(more);
    RecordImage image = test::MakeRecordImage(4, 5);
    ParamBlock p = image.Params();
    p.SetNumber(u"A3");
    image.SetParams(p);
    ASSERT_TRUE(WriteRecordFile((more / "c.QXRec").string(), image, 4));
    EXPECT_EQ(Shell(std::string(QXLOG_CLI) + " library --library 'postgresql://lab_pc1@" + host +
                    "/qxlog' add " + more.string() + " >/dev/null"),
              0);
    EXPECT_EQ(Sql(socket + " user=dashboard", "SELECT count(*) FROM instruments"), "3");
    EXPECT_EQ(Sql(socket + " user=lab_pc1", "UPDATE instruments SET number = 'ZZ'"),
              "refused 42501");
    EXPECT_EQ(Sql(socket + " user=dashboard", "INSERT INTO instrument_names VALUES (1, 'x')"),
              "refused 42501");
}

}  // namespace
}  // namespace qx
