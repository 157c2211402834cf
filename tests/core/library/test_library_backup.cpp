#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <thread>

#include "core/library/library_backup.h"
#include "core/library/library_location.h"
#include "library_fixture.h"

namespace qx::test {
namespace {

namespace fs = std::filesystem;

TEST(LibraryBackup, CopiesAreTheNamesOfThisLibraryOnly) {
    const std::vector<std::string> names = {
        "QXLibrary-20261211-020000.sqlite",  "QXLibrary-20261210-020000.sqlite",
        "QXLibrary-20261210-0200000.sqlite", "QXLibrary-notes.sqlite",
        "Other-20261210-020000.sqlite",      "QXLibrary-20261209-020000.sqlite.part",
        "QXLibrary-2026121x-020000.sqlite"};
    EXPECT_EQ(BackupCopies(names, "QXLibrary", ".sqlite"),
              (std::vector<std::string>{"QXLibrary-20261210-020000.sqlite",
                                        "QXLibrary-20261211-020000.sqlite"}));
}

// A copy made while another process's connection goes on adding is a sound library with
// what was committed, and --keep removes only older copies of this library.
TEST(LibraryBackup, ACopyWhileWritingOpensAndKeepRemovesTheOldest) {
    TempFolder dir;
    const std::string lib = dir / "lib.sqlite";
    {
        OpenedLibrary opened = OpenLibrary(lib, LibraryOpen::kCreate);
        ASSERT_TRUE(opened.library);
        opened.library->AddRecordFile(WriteRecord(dir / "first.QXRec", 1, 500));
    }
    std::atomic<bool> stop{false};
    std::thread writer([&] {
        OpenedLibrary opened = OpenLibrary(lib, LibraryOpen::kExisting);
        for (uint32_t i = 0; !stop && i < 40; ++i)
            opened.library->AddRecordFile(WriteRecord(dir / ("w" + std::to_string(i) + ".QXRec"), 2,
                                                      200, 1500000000 + i * 86400));
    });
    const std::string copies = dir / "copies";
    std::ofstream(dir / "unrelated.txt") << "x";
    std::vector<std::string> made;
    for (int64_t t = 1765418400; t < 1765418400 + 3; ++t) {
        const BackupResult r = BackupLibrary(lib, copies, 2, t);
        ASSERT_TRUE(r.ok) << r.message << " " << r.reason;
        made.push_back(r.path);
    }
    stop = true;
    writer.join();
    EXPECT_FALSE(fs::exists(made[0]));
    EXPECT_TRUE(fs::exists(made[1]) && fs::exists(made[2]));
    EXPECT_EQ(std::distance(fs::directory_iterator(copies), fs::directory_iterator()), 2);

    OpenedLibrary copy = OpenLibrary(made[2], LibraryOpen::kExisting);
    ASSERT_TRUE(copy.library) << copy.message;
    std::vector<LibraryRecording> recordings;
    ASSERT_TRUE(copy.library->AllRecordings(recordings));
    EXPECT_GE(recordings.size(), 1u);
    copy.library.reset();

    // Another kind of file is refused in the library's words, and nothing is left behind.
    std::ofstream(dir / "not.sqlite") << "not a library";
    const BackupResult refused = BackupLibrary(dir / "not.sqlite", copies, 0, 1765418400);
    EXPECT_FALSE(refused.ok);
    EXPECT_FALSE(refused.message.empty());
    EXPECT_EQ(std::distance(fs::directory_iterator(copies), fs::directory_iterator()), 2);
}

TEST(LibraryBackup, ALibraryOnTheServerIsDumpedAndReadBack) {
    TempFolder dir;
    const std::string location = ServerLibrary(dir.str());
    ASSERT_FALSE(location.empty());
    {
        OpenedLibrary opened = OpenLibrary(location, LibraryOpen::kCreate);
        ASSERT_TRUE(opened.library) << opened.message;
        opened.library->AddRecordFile(WriteRecord(dir / "a.QXRec", 1, 100));
    }
    const BackupResult r = BackupLibrary(location, dir / "copies", 0, 1765418400);
    ASSERT_TRUE(r.ok) << r.message << "\n" << r.reason;
    EXPECT_TRUE(r.path.ends_with("-20251211-100000.dump")) << r.path;
    EXPECT_GT(r.bytes, 0);
}

}  // namespace
}  // namespace qx::test
