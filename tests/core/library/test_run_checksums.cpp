// The checksums of the library's runs of samples over every store engine: a library of the
// format before them gets them from what it holds, a changed byte is found by check and never
// read as a sample, and a run that holds fewer samples than its row says is left out of
// histories and sync with the recording named.
#include <gtest/gtest.h>

#include "core/library/library_sync.h"
#include "core/library/library_texts.h"
#include "core/library/record_library.h"
#include "core/records/sample_decoding.h"
#include "library_fixture.h"

namespace qx {
namespace {

using test::Sql;
using test::TempFolder;
using test::WriteRecord;

constexpr uint32_t kStart = 1489151232;

class RunChecksums : public ::testing::TestWithParam<test::LibraryEngine> {
  protected:
    std::string Engine() const { return GetParam().name; }
    std::string Location() {
        return Engine() == "sqlite" ? home / "lib.sqlite" : test::ServerLibrary(home.str());
    }
    std::unique_ptr<RecordLibrary> Open() {
        auto store = GetParam().open(home.str());
        return store ? std::make_unique<RecordLibrary>(std::move(store)) : nullptr;
    }
    // Flips one bit of the fourth sample byte of every run of the recording.
    void FlipABit(LibraryId recording) {
        const std::string id = std::to_string(recording);
        if (Engine() == "postgres") {
            Sql(Engine(), Location(),
                "UPDATE runs SET samples = set_byte(samples, 3, get_byte(samples, 3) # 16)"
                " WHERE recording = " +
                    id);
            return;
        }
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(Location().c_str(), &db), SQLITE_OK);
        sqlite3_stmt* read = nullptr;
        ASSERT_EQ(
            sqlite3_prepare_v2(db, ("SELECT id, samples FROM runs WHERE recording = " + id).c_str(),
                               -1, &read, nullptr),
            SQLITE_OK);
        while (sqlite3_step(read) == SQLITE_ROW) {
            const auto* p = static_cast<const uint8_t*>(sqlite3_column_blob(read, 1));
            std::vector<uint8_t> bytes(p, p + sqlite3_column_bytes(read, 1));
            ASSERT_GT(bytes.size(), 3u);
            bytes[3] ^= 16;
            sqlite3_stmt* write = nullptr;
            sqlite3_prepare_v2(db, "UPDATE runs SET samples = ?1 WHERE id = ?2", -1, &write,
                               nullptr);
            sqlite3_bind_blob(write, 1, bytes.data(), static_cast<int>(bytes.size()),
                              SQLITE_TRANSIENT);
            sqlite3_bind_int64(write, 2, sqlite3_column_int64(read, 0));
            EXPECT_EQ(sqlite3_step(write), SQLITE_DONE);
            sqlite3_finalize(write);
        }
        sqlite3_finalize(read);
        sqlite3_close(db);
    }

    TempFolder home, files;
};

TEST_P(RunChecksums, AnOlderLibraryGetsItsChecksumsAndAChangedBitIsFound) {
    const std::string record = WriteRecord(files / "a.QXRec", 4, 10, kStart, 60);
    ASSERT_EQ(Open()->AddRecordFile(record).status, AddStatus::kAdded);
    // The library as the format before checksums kept it.
    Sql(Engine(), Location(),
        Engine() == "sqlite" ? "DROP TABLE alarm_entries; DROP TABLE heartbeats;"
                               " ALTER TABLE runs DROP COLUMN checksum; PRAGMA user_version=3"
                             : "DROP TABLE alarm_entries; DROP TABLE heartbeats;"
                               " ALTER TABLE runs DROP COLUMN checksum; DELETE FROM library_format "
                               "WHERE format > 3");
    auto library = Open();
    ASSERT_TRUE(library);
    LibraryCheck check;
    ASSERT_TRUE(library->Check(check));
    EXPECT_TRUE(check.problems.empty()) << check.problems.front();
    EXPECT_EQ(check.samples, 10);

    std::vector<LibraryRecording> recordings;
    ASSERT_TRUE(library->AllRecordings(recordings));
    ASSERT_EQ(recordings.size(), 1u);
    FlipABit(recordings[0].id);
    library = Open();
    ASSERT_TRUE(library->Check(check));
    ASSERT_EQ(check.damaged.size(), 1u);
    EXPECT_EQ(check.damaged[0].recording, recordings[0].id);
    EXPECT_EQ(check.damaged[0].first, kStart);
    EXPECT_EQ(check.damaged[0].last, kStart + 9 * 60);
    EXPECT_FALSE(check.damaged[0].shortBytes);
    ASSERT_EQ(check.problems.size(), 1u);
    EXPECT_EQ(check.problems[0], DamagedRunLine(check.damaged[0]));
    EXPECT_NE(check.problems[0].find(InstrumentName(recordings[0].instrumentKey)),
              std::string::npos)
        << check.problems[0];

    // Never read as samples; the file brings them back in a rebuilt library.
    InstrumentHistory history;
    ASSERT_TRUE(library->History(recordings[0].instrument, kStart, kStart + 3600, history));
    EXPECT_TRUE(history.empty());
    EXPECT_EQ(library->TakeDamaged().size(), 1u);
    EXPECT_TRUE(library->TakeDamaged().empty());
}

TEST_P(RunChecksums, ARunShortOfItsCountIsLeftOutOfTheHistoryAndOfSync) {
    // Two recordings of one logger: the later one's run keeps one sample of its ten.
    ASSERT_TRUE(Open()->AddRecordFile(WriteRecord(files / "a.QXRec", 4, 10, kStart, 60)).Ok());
    const uint32_t later = kStart + 3600;
    ASSERT_TRUE(Open()->AddRecordFile(WriteRecord(files / "b.QXRec", 4, 10, later, 60)).Ok());
    auto library = Open();
    std::vector<LibraryRecording> recordings;
    ASSERT_TRUE(library->AllRecordings(recordings));
    ASSERT_EQ(recordings.size(), 2u);
    const LibraryRecording& cut = recordings[1];
    const int size = DecodedSampleSize(4);
    Sql(Engine(), Location(),
        (Engine() == "sqlite" ? "UPDATE runs SET samples = substr(samples, 1, "
                              : "UPDATE runs SET samples = substring(samples from 1 for ") +
            std::to_string(size) + ") WHERE recording = " + std::to_string(cut.id));

    InstrumentHistory history;
    ASSERT_TRUE(library->History(cut.instrument, kStart, later + 3600, history));
    ASSERT_EQ(history.size(), 1u);
    EXPECT_EQ(history[0].samples.size(), 10u);
    ASSERT_EQ(history[0].setAside.size(), 1u);
    const SetAsideSamples& note = history[0].setAside[0];
    EXPECT_TRUE(note.damaged);
    EXPECT_EQ(note.recording, cut.id);
    EXPECT_EQ(note.first, later);
    EXPECT_EQ(note.last, later + 9 * 60);
    EXPECT_EQ(note.count, 10);
    const std::vector<DamagedRun> damaged = library->TakeDamaged();
    ASSERT_EQ(damaged.size(), 1u);
    EXPECT_TRUE(damaged[0].shortBytes);

    // A single recording read on its own: nothing of it, and said so.
    RecordingSamples one;
    ASSERT_TRUE(library->Recording(cut.id, std::nullopt, std::nullopt, one));
    EXPECT_TRUE(one.samples.empty());
    EXPECT_EQ(one.setAside.size(), 1u);

    // Sync sends the sound recording and counts the damaged run as not sent.
    TempFolder other;
    RecordLibrary target(test::SqliteEngine().open(other.str()));
    const SyncResult sent = SyncLibrary(*library, target);
    EXPECT_FALSE(sent.failed) << sent.message;
    EXPECT_EQ(sent.samples, 10);
    EXPECT_EQ(sent.unplaced, 10);
}

INSTANTIATE_TEST_SUITE_P(Engines, RunChecksums,
                         ::testing::Values(test::SqliteEngine(), test::PostgresEngine()),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace qx
