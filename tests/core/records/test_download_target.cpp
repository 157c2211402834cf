#include "core/records/download_target.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include <filesystem>
#include <fstream>
#include <latch>
#include <set>
#include <thread>
#include <vector>

#include "core/library/record_library.h"
#include "core/library/sqlite_library_store.h"
#include "core/records/atomic_file.h"
#include "core/records/record_file.h"
#include "core/records/removal_on_signal.h"
#include "record_fixtures.h"

namespace qx {
namespace {

namespace fs = std::filesystem;
using test::MakeRecordImage;

class DownloadTargetTest : public testing::Test {
  protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("qx-target-" + std::to_string(::getpid()) + "-" +
               testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
    std::string In(const std::string& name) const { return (dir / name).string(); }
    std::set<std::string> Names() const {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir))
            names.insert(entry.path().filename().string());
        return names;
    }

    fs::path dir;
};

// Six downloads of one recording into one folder at the same moment: each holds its own name
// and none replaces another's file.
TEST_F(DownloadTargetTest, ConcurrentDownloadsIntoOneFolderNeverShareAName) {
    constexpr int kRuns = 6;
    std::latch start(kRuns);
    std::vector<std::string> paths(kRuns);
    std::vector<bool> written(kRuns);
    std::vector<std::thread> runs;
    for (int i = 0; i < kRuns; ++i) {
        runs.emplace_back([&, i] {
            RecordImage image = MakeRecordImage(1, 10 + static_cast<uint32_t>(i));
            start.arrive_and_wait();
            DownloadTarget target = DownloadTarget::FreshIn(dir.string(), "A01_20170310.QXRec");
            paths[static_cast<size_t>(i)] = target.Path();
            written[static_cast<size_t>(i)] = target.Write(image, 1);
        });
    }
    for (std::thread& t : runs)
        t.join();
    EXPECT_EQ(Names(), (std::set<std::string>{"A01_20170310.QXRec", "A01_20170310-2.QXRec",
                                              "A01_20170310-3.QXRec", "A01_20170310-4.QXRec",
                                              "A01_20170310-5.QXRec", "A01_20170310-6.QXRec"}));
    for (int i = 0; i < kRuns; ++i) {
        ASSERT_TRUE(written[static_cast<size_t>(i)]) << i;
        EXPECT_EQ(fs::file_size(paths[static_cast<size_t>(i)]), 96u + (10u + i) * 3u) << i;
    }
}

TEST_F(DownloadTargetTest, ANewFileIsNeverOneThatExistsAndNeedsItsFolder) {
    { std::ofstream(In("kept.QXRec")) << "older recording"; }
    std::string why;
    EXPECT_FALSE(DownloadTarget::NewFile(In("kept.QXRec"), &why).ok());
    EXPECT_EQ(why, In("kept.QXRec") + " 已经存在: 下载从不替换文件");
    EXPECT_EQ(fs::file_size(In("kept.QXRec")), 15u);
    EXPECT_FALSE(DownloadTarget::NewFile(In("missing/a.QXRec"), &why).ok());
    EXPECT_EQ(why, "不能在 " + In("missing") + " 中建立文件: 没有那个文件或目录");
    EXPECT_FALSE(DownloadTarget::FreshIn(In("missing"), "a.QXRec", &why).ok());
    EXPECT_FALSE(fs::exists(In("missing")));
    // The numbers go on past names taken; a name without an extension takes the number last.
    { std::ofstream(In("plain")) << "x"; }
    EXPECT_EQ(DownloadTarget::FreshIn(dir.string(), "plain").Path(), In("plain-2"));
    EXPECT_EQ(NumberedFileName("r.2.QXRec", 3), "r.2-3.QXRec");
    EXPECT_EQ(NumberedFileName("r.QXRec", 1), "r.QXRec");
}

TEST_F(DownloadTargetTest, ANameGivenUpIsRemovedOnlyWhileItIsStillTheEmptyHold) {
    {
        DownloadTarget held = DownloadTarget::NewFile(In("a.QXRec"));
        ASSERT_TRUE(held.ok());
        EXPECT_EQ(fs::file_size(In("a.QXRec")), 0u);
    }
    EXPECT_TRUE(Names().empty());
    {
        DownloadTarget held = DownloadTarget::NewFile(In("b.QXRec"));
        fs::remove(In("b.QXRec"));
        { std::ofstream(In("b.QXRec")) << "someone else's"; }
    }
    EXPECT_EQ(Names(), std::set<std::string>{"b.QXRec"});
    // Moving hands the hold over: the moved-from one gives nothing up.
    DownloadTarget first = DownloadTarget::NewFile(In("c.QXRec"));
    DownloadTarget second = std::move(first);
    first.Release();
    EXPECT_TRUE(fs::exists(In("c.QXRec")));
    second.Release();
    EXPECT_FALSE(fs::exists(In("c.QXRec")));
}

TEST_F(DownloadTargetTest, AFailedWriteKeepsTheNameForAnotherTry) {
    RecordImage image = MakeRecordImage(5, 2000);  // 10096 bytes
    DownloadTarget target = DownloadTarget::NewFile(In("r.QXRec"));
    std::string why;
    EXPECT_FALSE(test::WithFileSizeLimit(4096, [&] { return target.Write(image, 5, &why); }));
    EXPECT_NE(why.find("文件过大"), std::string::npos) << why;
    EXPECT_EQ(Names(), std::set<std::string>{"r.QXRec"});
    EXPECT_EQ(fs::file_size(In("r.QXRec")), 0u);
    ASSERT_TRUE(target.Write(image, 5, &why)) << why;
    target.Release();
    RecordImage back;
    EXPECT_EQ(ReadRecordFile(In("r.QXRec"), back), 5);
    EXPECT_EQ(fs::file_size(In("r.QXRec")), 10096u);
}

TEST_F(DownloadTargetTest, ReplacingNeedsAFileAndAWritableFolder) {
    { std::ofstream(In("old.QXRec")) << "old"; }
    RecordImage image = MakeRecordImage(4, 30);
    DownloadTarget target = DownloadTarget::Replacing(In("old.QXRec"));
    EXPECT_EQ(fs::file_size(In("old.QXRec")), 3u);  // kept until the new one is written
    ASSERT_TRUE(target.Write(image, 4));
    EXPECT_EQ(fs::file_size(In("old.QXRec")), 96u + 30u * 2u);
    std::string why;
    fs::create_directory(In("folder.QXRec"));
    EXPECT_FALSE(DownloadTarget::Replacing(In("folder.QXRec"), &why).ok());
    EXPECT_EQ(why, "不能替换 " + In("folder.QXRec") + ": 不是文件");
    EXPECT_EQ(Names(), (std::set<std::string>{"folder.QXRec", "old.QXRec"}));
}

// Runs `hold` in a child process that then receives `signal`; the child's end as waitpid gives it.
template <typename Hold>
int EndedBy(int signal, Hold hold) {
    const pid_t child = ::fork();
    if (child == 0) {
        hold();
        std::raise(signal);
        ::_exit(3);  // the signal did not end it
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return status;
}

// Ctrl-C or SIGTERM during a download: the reserved name and the writer's temporary file go
// with the program, a file written before stays; the signal still ends the program.
TEST_F(DownloadTargetTest, ASignalTakesWhatTheDownloadHeldWithIt) {
    for (const int signal : {SIGINT, SIGTERM}) {
        const int status = EndedBy(signal, [&] {
            InstallRemovalOnSignals();
            RecordImage image = MakeRecordImage(1, 10);
            DownloadTarget done = DownloadTarget::NewFile(In("done.QXRec"));
            if (!done.Write(image, 1)) ::_exit(4);
            static DownloadTarget held = DownloadTarget::FreshIn(dir.string(), "A01.QXRec");
            static PendingFile pending(In("A01.xlsx"));
            if (!held.ok() || !pending.ok()) ::_exit(5);
        });
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << status;
        EXPECT_EQ(Names(), std::set<std::string>{"done.QXRec"}) << signal;
        fs::remove(In("done.QXRec"));
    }
}

// kill -9 leaves the empty reserved file. Nobody holds it any more: the next download of that
// name takes it over instead of moving on to -2, and adding the folder to the library passes
// over it, while a name that a live download holds is never taken.
TEST_F(DownloadTargetTest, AReservationLeftByAKilledDownloadBlocksNothing) {
    const int status = EndedBy(SIGKILL, [&] {
        static DownloadTarget held = DownloadTarget::FreshIn(dir.string(), "A01.QXRec");
        if (!held.ok()) ::_exit(5);
    });
    ASSERT_TRUE(WIFSIGNALED(status)) << status;
    ASSERT_EQ(Names(), std::set<std::string>{"A01.QXRec"});
    EXPECT_EQ(fs::file_size(In("A01.QXRec")), 0u);
    EXPECT_TRUE(DownloadTarget::IsAbandonedReservation(In("A01.QXRec")));
    { std::ofstream(In("other.QXRec")) << ""; }
    RecordImage image = MakeRecordImage(1, 10);
    ASSERT_TRUE(WriteRecordFile(In("B01.QXRec"), image, 1));
    EXPECT_FALSE(DownloadTarget::IsAbandonedReservation(In("B01.QXRec")));  // holds a record

    const fs::path libraryDir = dir.string() + "-library";
    fs::create_directories(libraryDir);
    RecordLibrary library(SqliteLibraryStore::Open((libraryDir / "lib.sqlite").string(),
                                                   SqliteLibraryStore::OpenMode::kCreate, nullptr));
    const std::vector<std::string> folder{dir.string()};
    const std::vector<AddResult> added = library.AddPaths(folder);
    ASSERT_EQ(added.size(), 1u);
    EXPECT_EQ(added[0].status, AddStatus::kAdded) << added[0].message;
    fs::remove_all(libraryDir);

    DownloadTarget again = DownloadTarget::FreshIn(dir.string(), "A01.QXRec");
    EXPECT_EQ(again.Path(), In("A01.QXRec"));
    EXPECT_FALSE(DownloadTarget::IsAbandonedReservation(In("A01.QXRec")));
    EXPECT_EQ(DownloadTarget::FreshIn(dir.string(), "A01.QXRec").Path(), In("A01-2.QXRec"));
    std::string why;
    EXPECT_FALSE(DownloadTarget::NewFile(In("A01.QXRec"), &why).ok());
    EXPECT_EQ(why, In("A01.QXRec") + " 已经存在: 下载从不替换文件");
    ASSERT_TRUE(again.Write(image, 1));
    EXPECT_EQ(DownloadTarget::FreshIn(dir.string(), "other.QXRec").Path(), In("other.QXRec"));
}

}  // namespace
}  // namespace qx
