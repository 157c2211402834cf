// The record library over every store engine: record file paths in any encoding, every file of
// a folder tried when one of them fails, the runs of one recording in a time range, and a
// brand-new library made by several processes at once.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <thread>

#include "core/library/record_library.h"
#include "library_fixture.h"

namespace qx {
namespace {

using test::TempFolder;
using test::WriteRecord;

constexpr uint32_t kStart = 1489151232;

// 冷库 in GB18030: a folder name that is not UTF-8.
const std::string kColdStore = "\xC0\xE4\xBF\xE2";

using test::RefusingStore;
using test::Sql;

class LibraryPaths : public ::testing::TestWithParam<test::LibraryEngine> {
  protected:
    std::unique_ptr<RecordLibrary> Open(const std::string& refused = {},
                                        LibraryFault fault = LibraryFault::kFailed) {
        auto store = GetParam().open(home.str());
        if (!store) return nullptr;
        if (!refused.empty())
            store = std::make_unique<RefusingStore>(std::move(store), refused, fault);
        return std::make_unique<RecordLibrary>(std::move(store));
    }
    // Three loggers' files: z0 in a folder named in GB18030, z1 and z2 beside it.
    std::vector<std::string> Files() {
        std::filesystem::create_directory(files / kColdStore);
        std::vector<std::string> paths;
        for (int k = 0; k < 3; ++k) {
            const std::string folder = k == 0 ? files / kColdStore : files.str();
            paths.push_back(WriteRecord(
                folder + "/z" + std::to_string(k) + ".QXRec", 4, 10, kStart, 60, 0,
                [k](ParamBlock& p) { p.SetNumber(u"Z" + std::u16string(1, u'0' + k)); }));
        }
        return paths;
    }
    static std::vector<std::string> Paths(RecordLibrary& library) {
        std::vector<LibraryFile> all;
        EXPECT_TRUE(library.AllFiles(all)) << library.Error().detail;
        std::vector<std::string> paths;
        for (const LibraryFile& f : all)
            paths.push_back(f.path);
        std::sort(paths.begin(), paths.end());
        return paths;
    }

    TempFolder home, files;
};

TEST_P(LibraryPaths, APathInAnyEncodingIsKeptAsItsBytes) {
    const std::vector<std::string> paths = Files();
    auto library = Open();
    ASSERT_TRUE(library);
    const std::string folder[] = {files.str()};
    const std::vector<AddResult> results = library->AddPaths(folder);
    ASSERT_EQ(results.size(), 3u);
    for (const AddResult& r : results)
        EXPECT_EQ(r.status, AddStatus::kAdded) << r.path << ": " << r.message << " " << r.reason;

    // Read back by a library opened again: the same bytes, present where they are.
    library = Open();
    std::vector<std::string> expected = paths;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(Paths(*library), expected);
    std::vector<RecordingEntry> list;
    ASSERT_TRUE(library->List({}, list));
    ASSERT_EQ(list.size(), 3u);
    for (const RecordingEntry& e : list) {
        ASSERT_EQ(e.files.size(), 1u);
        EXPECT_EQ(e.files[0].state, FileState::kPresent) << e.files[0].file.path;
    }
    EXPECT_EQ(library->AddRecordFile(paths[0]).status, AddStatus::kKnown);
    LibraryCheck check;
    ASSERT_TRUE(library->Check(check));
    EXPECT_TRUE(check.problems.empty());
    EXPECT_TRUE(check.unusual.empty());
}

TEST_P(LibraryPaths, ALibraryOfTheFirstFormatKeepsItsPathsAndTakesAnyOther) {
    const std::string engine = GetParam().name;
    const std::string location =
        engine == "sqlite" ? home / "lib.sqlite" : test::ServerLibrary(home.str());
    const std::string utf8 = WriteRecord(files / "冷库.QXRec", 4, 10);
    const std::string other = Files()[0];
    ASSERT_EQ(Open()->AddRecordFile(utf8).status, AddStatus::kAdded);
    // The paths as the first format kept them: as text.
    if (engine == "sqlite") {
        Sql(engine, location,
            "DROP TABLE alarm_entries; DROP TABLE heartbeats;"
            " ALTER TABLE runs DROP COLUMN checksum; ALTER TABLE files DROP COLUMN host;"
            " UPDATE files SET path = CAST(path AS TEXT);"
            " PRAGMA user_version=1");
    } else {
        Sql(engine, location,
            "DROP TABLE alarm_entries; DROP TABLE heartbeats;"
            " ALTER TABLE runs DROP COLUMN checksum; ALTER TABLE files DROP COLUMN host;"
            " ALTER TABLE files ALTER COLUMN path TYPE text USING convert_from(path, 'UTF8');"
            " DROP TRIGGER recording_totals_of_runs ON recordings;"
            " DROP FUNCTION recording_totals_of_runs(); DELETE FROM library_format WHERE format > "
            "1");
    }
    auto library = Open();
    ASSERT_TRUE(library);
    EXPECT_EQ(Paths(*library), std::vector<std::string>{utf8});
    EXPECT_EQ(library->AddRecordFile(utf8).status, AddStatus::kKnown);
    EXPECT_EQ(library->AddRecordFile(other).status, AddStatus::kAdded);
    std::vector<std::string> both = {utf8, other};
    std::sort(both.begin(), both.end());
    EXPECT_EQ(Paths(*Open()), both);
    // Every path of one kind, so that a path is always equal to itself in the database.
    EXPECT_EQ(Sql(engine, location,
                  engine == "sqlite" ? "SELECT group_concat(DISTINCT typeof(path)) FROM files"
                                     : "SELECT data_type FROM information_schema.columns"
                                       " WHERE table_schema = current_schema()"
                                       " AND table_name = 'files' AND column_name = 'path'"),
              engine == "sqlite" ? "blob" : "bytea");
}

TEST_P(LibraryPaths, OneFilesFailureLeavesTheOthersToBeTriedAndNothingOfItKept) {
    const std::vector<std::string> paths = Files();
    {
        // The store refuses the file of z1 after its recording and samples were written.
        auto library = Open("z1.QXRec");
        ASSERT_TRUE(library);
        const std::vector<AddResult> results = library->AddPaths(paths);
        ASSERT_EQ(results.size(), 3u);
        EXPECT_EQ(results[0].status, AddStatus::kAdded);
        EXPECT_EQ(results[1].status, AddStatus::kFailed);
        EXPECT_EQ(results[1].path, paths[1]);
        EXPECT_EQ(results[1].reason, "refused");
        EXPECT_EQ(results[2].status, AddStatus::kAdded);
        // Nothing of the refused file, also to the connection that wrote it when nothing was
        // written after it.
        EXPECT_EQ(library->AddRecordFile(paths[1]).status, AddStatus::kFailed);
        std::vector<RecordingEntry> list;
        ASSERT_TRUE(library->List({}, list));
        ASSERT_EQ(list.size(), 2u);
        EXPECT_EQ(list[0].recording.instrumentKey.number, "Z0");
        EXPECT_EQ(list[1].recording.instrumentKey.number, "Z2");
    }
    // A library that cannot be reached any more: the rest is not tried.
    auto library = Open("z1.QXRec", LibraryFault::kUnreachable);
    ASSERT_TRUE(library);
    const std::vector<AddResult> results = library->AddPaths(paths);
    ASSERT_EQ(results.size(), 2u);
    EXPECT_EQ(results[0].status, AddStatus::kKnown);
    EXPECT_EQ(results[1].status, AddStatus::kFailed);
    // Nothing was lost: the file is added when the library takes it.
    EXPECT_EQ(Open()->AddRecordFile(paths[1]).status, AddStatus::kAdded);
}

// A store whose commit fails and leaves its transaction open: the write is rolled back,
// nothing of it seen even by the connection that wrote it.
class CommitRefusingStore : public test::GatedStore {
  public:
    using GatedStore::GatedStore;
    bool Commit() override {
        failed_ = true;
        error_ = {LibraryFault::kFailed, "refused", 0};
        return false;
    }

  private:
    bool Go() override {
        failed_ = false;
        return true;
    }
};

TEST_P(LibraryPaths, AWriteWhoseCommitFailedLeavesNothing) {
    RecordLibrary library(std::make_unique<CommitRefusingStore>(GetParam().open(home.str())));
    const std::string path = WriteRecord(files / "a.QXRec", 4, 10, kStart, 60);
    const AddResult added = library.AddRecordFile(path);
    EXPECT_EQ(added.status, AddStatus::kFailed);
    EXPECT_EQ(added.reason, "refused");
    std::vector<LibraryRecording> recordings;
    ASSERT_TRUE(library.AllRecordings(recordings));
    EXPECT_TRUE(recordings.empty());
}

TEST_P(LibraryPaths, TheRunsOfARecordingInATimeRangeIncludeBothEnds) {
    auto store = GetParam().open(home.str());
    ASSERT_TRUE(store);
    RecordLibrary library(GetParam().open(home.str()));
    ASSERT_TRUE(library.AddRecordFile(WriteRecord(files / "a.QXRec", 4, 10, kStart, 60)).Ok());
    std::vector<LibraryRecording> recordings;
    ASSERT_TRUE(store->Recordings({}, recordings));
    ASSERT_EQ(recordings.size(), 1u);
    const LibraryRecording& r = recordings[0];
    const int64_t first = kStart, last = kStart + 9 * 60;
    const auto runs = [&](LibraryId recording, int64_t from, int64_t to) {
        std::vector<SampleRun> out;
        EXPECT_TRUE(store->Runs(r.instrument, recording, from, to, out));
        return out.size();
    };
    for (const LibraryId recording : {r.id, LibraryId{0}}) {
        EXPECT_EQ(runs(recording, last, last + 3600), 1u) << recording;
        EXPECT_EQ(runs(recording, last + 1, last + 3600), 0u) << recording;
        EXPECT_EQ(runs(recording, first - 3600, first), 1u) << recording;
        EXPECT_EQ(runs(recording, first - 3600, first - 1), 0u) << recording;
    }
}

TEST_P(LibraryPaths, SeveralProcessesMakingANewLibraryAtOnceAllAdd) {
    constexpr int kProcesses = 7;
    // The server engine names the library by the folder: named before the processes part.
    if (std::string(GetParam().name) == "postgres") {
        ASSERT_FALSE(test::ServerLibrary(home.str()).empty());
    }
    std::vector<std::string> paths;
    for (int k = 0; k < kProcesses; ++k) {
        paths.push_back(
            WriteRecord(files / (std::to_string(k) + ".QXRec"), 4, 10, kStart, 60, 0,
                        [k](ParamBlock& p) { p.SetNumber(u"P" + std::u16string(1, u'0' + k)); }));
    }
    const auto go = std::chrono::steady_clock::now() + std::chrono::milliseconds(300);
    std::vector<pid_t> children;
    for (int k = 0; k < kProcesses; ++k) {
        const pid_t pid = ::fork();
        if (pid == 0) {
            std::this_thread::sleep_until(go);
            auto library = Open();
            if (!library) ::_exit(2);
            const AddResult r = library->AddRecordFile(paths[static_cast<size_t>(k)]);
            if (r.status != AddStatus::kAdded)
                std::fprintf(stderr, "%s\n%s\n", r.message.c_str(), r.reason.c_str());
            ::_exit(r.status == AddStatus::kAdded ? 0 : 1);
        }
        children.push_back(pid);
    }
    for (const pid_t pid : children) {
        int status = 0;
        ::waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    auto library = Open();
    ASSERT_TRUE(library);
    std::vector<RecordingEntry> list;
    ASSERT_TRUE(library->List({}, list));
    EXPECT_EQ(list.size(), static_cast<size_t>(kProcesses));
}

INSTANTIATE_TEST_SUITE_P(Engines, LibraryPaths,
                         ::testing::Values(test::SqliteEngine(), test::PostgresEngine()),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace qx
