// The record library shared by processes: one killed in the middle of adding, two adding at
// once.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <thread>

#include "core/library/record_library.h"
#include "library_fixture.h"

namespace qx {
namespace {

using test::TempFolder;
using test::WriteRecord;

constexpr uint32_t kStart = 1489151232;

class LibraryProcesses : public ::testing::TestWithParam<test::LibraryEngine> {
  protected:
    std::unique_ptr<RecordLibrary> Open() {
        auto store = GetParam().open(home.str());
        return store ? std::make_unique<RecordLibrary>(std::move(store)) : nullptr;
    }
    // Runs `work` with a library of its own in a child process; its exit status.
    template <typename Work>
    int InChild(Work work) {
        const pid_t pid = ::fork();
        if (pid == 0) {
            auto library = Open();
            ::_exit(library && work(*library) ? 0 : 1);
        }
        return pid;
    }
    static int Wait(pid_t pid) {
        int status = 0;
        ::waitpid(pid, &status, 0);
        return status;
    }

    TempFolder home, files;
};

TEST_P(LibraryProcesses, AProcessKilledWhileAddingLeavesNoHalfRecording) {
    const std::string kept = WriteRecord(files / "kept.QXRec", 9, 5000);
    const std::string lost = WriteRecord(files / "lost.QXRec", 9, 5000, kStart, 60, 0,
                                         [](ParamBlock& p) { p.SetNumber(u"LOST"); });
    ASSERT_TRUE(Open());  // made before the child, so that the kill hits an add
    const int status = Wait(InChild([&](RecordLibrary& library) {
        library.SetHooks({[&](const std::string& path) {
            if (path == lost) ::raise(SIGKILL);  // the samples are written, not committed
        }});
        library.AddRecordFile(kept);
        library.AddRecordFile(lost);
        return true;
    }));
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);

    auto library = Open();
    ASSERT_TRUE(library) << "the library opens after the kill";
    std::vector<RecordingEntry> list;
    ASSERT_TRUE(library->List({}, list));
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].recording.instrumentKey.number, "QX0001");
    std::vector<LibraryInstrument> instruments;
    ASSERT_TRUE(library->Instruments(instruments));
    EXPECT_EQ(instruments.size(), 1u);
    LibraryCheck check;
    ASSERT_TRUE(library->Check(check));
    EXPECT_TRUE(check.problems.empty());
    EXPECT_EQ(library->AddRecordFile(lost).added, 5000);
}

TEST_P(LibraryProcesses, TwoProcessesAddingAtOnceBothSucceed) {
    // Four loggers, three overlapping downloads each; one process adds them in order, the
    // other in reverse order.
    std::vector<std::string> paths;
    for (int logger = 0; logger < 4; ++logger) {
        for (uint32_t n : {3000u, 6000u, 9000u}) {
            paths.push_back(WriteRecord(
                files / (std::to_string(logger) + "-" + std::to_string(n) + ".QXRec"), 1, n, kStart,
                60, 0, [&](ParamBlock& p) {
                    p.SetNumber(u"L" + std::u16string(1, static_cast<char16_t>(u'0' + logger)));
                }));
        }
    }
    ASSERT_TRUE(Open());
    const auto addAll = [&](bool reverse) {
        return [&, reverse](RecordLibrary& library) {
            std::vector<std::string> order = paths;
            if (reverse) std::reverse(order.begin(), order.end());
            for (const AddResult& r : library.AddPaths(order)) {
                if (!r.Ok()) return false;
            }
            return true;
        };
    };
    const pid_t a = InChild(addAll(false));
    const pid_t b = InChild(addAll(true));
    const int statusA = Wait(a), statusB = Wait(b);
    EXPECT_TRUE(WIFEXITED(statusA) && WEXITSTATUS(statusA) == 0);
    EXPECT_TRUE(WIFEXITED(statusB) && WEXITSTATUS(statusB) == 0);

    auto library = Open();
    std::vector<RecordingEntry> list;
    ASSERT_TRUE(library->List({}, list));
    ASSERT_EQ(list.size(), 4u);
    for (const RecordingEntry& e : list) {
        EXPECT_EQ(e.recording.totals.samples, 9000);
        EXPECT_EQ(e.files.size(), 3u);  // each path once
        int64_t added = 0;
        for (const SourceFile& f : e.files)
            added += f.file.newSamples;
        EXPECT_EQ(added, 9000);
    }
    LibraryCheck check;
    ASSERT_TRUE(library->Check(check));
    EXPECT_TRUE(check.problems.empty());
}

TEST_P(LibraryProcesses, AWriterOfAnInstrumentWaitsForTheOneWritingIt) {
    auto first = GetParam().open(home.str());
    ASSERT_TRUE(first);
    LibraryId a = 0;
    // Known already: its row is there, no new row to wait for.
    ASSERT_TRUE(first->BeginWrite({4, "W1"}, a) && first->Commit());
    ASSERT_TRUE(first->BeginWrite({4, "W1"}, a));
    std::atomic<bool> began = false;
    LibraryId b = 0;
    std::thread second([&] {
        auto store = GetParam().open(home.str());
        if (store && store->BeginWrite({4, "W1"}, b)) {
            began = true;
            store->Rollback();
        }
    });
    // A server engine locks one instrument: a writer of another one goes on meanwhile.
    if (std::string(GetParam().name) == "postgres") {
        auto other = GetParam().open(home.str());
        LibraryId c = 0;
        ASSERT_TRUE(other && other->BeginWrite({4, "W2"}, c));
        EXPECT_NE(c, a);
        EXPECT_TRUE(other->Commit());
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_FALSE(began);
    ASSERT_TRUE(first->Commit());
    second.join();
    EXPECT_TRUE(began);
    EXPECT_EQ(b, a);  // the instrument the first writer made, not a second one
}

INSTANTIATE_TEST_SUITE_P(Engines, LibraryProcesses,
                         ::testing::Values(test::SqliteEngine(), test::PostgresEngine()),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace qx
