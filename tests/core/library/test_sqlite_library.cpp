// The library file of the SQLite engine: what it refuses to open and leaves untouched, damage
// found at open and rebuilt from the record files, a full disk.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "core/library/library_location.h"
#include "core/library/library_rebuild.h"
#include "core/library/library_texts.h"
#include "core/library/live_recording.h"
#include "core/records/sample_decoding.h"
#include "library_fixture.h"

namespace qx {
namespace {

using test::TempFolder;
using test::WriteRecord;

constexpr uint32_t kStart = 1489151232;

std::string Bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void Sql(const std::string& path, const char* sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    sqlite3_close(db);
}

class SqliteLibrary : public ::testing::Test {
  protected:
    LibraryError OpenFails(LibraryOpen mode = LibraryOpen::kExisting) {
        OpenedLibrary opened = OpenLibrary(location, mode);
        EXPECT_FALSE(opened.library);
        EXPECT_FALSE(opened.message.empty());
        return opened.error;
    }
    // A library of three instruments; closed again.
    void Fill() {
        OpenedLibrary opened = OpenLibrary(location, LibraryOpen::kCreate);
        ASSERT_TRUE(opened.library) << opened.message;
        for (char16_t n : {u'1', u'2', u'3'}) {
            const std::string path = files / (std::string(1, static_cast<char>(n)) + ".QXRec");
            WriteRecord(path, 4, 30000, kStart, 60, 0,
                        [n](ParamBlock& p) { p.SetNumber(std::u16string(1, n)); });
            ASSERT_EQ(opened.library->AddRecordFile(path).status, AddStatus::kAdded);
        }
        ASSERT_TRUE(opened.library->List({}, before));
    }

    TempFolder home, files;
    const std::string location = home / "QXLibrary.sqlite";
    std::vector<RecordingEntry> before;
};

TEST_F(SqliteLibrary, RefusesWhatItCannotUseAndLeavesItUntouched) {
    EXPECT_EQ(OpenFails().fault, LibraryFault::kMissing);
    EXPECT_FALSE(std::filesystem::exists(location));

    // A newer format, also for rebuilding.
    Fill();
    const int format = kLibraryFormatVersion + 1;
    Sql(location, ("PRAGMA user_version=" + std::to_string(format)).c_str());
    const std::string newer = Bytes(location);
    const LibraryError error = OpenFails(LibraryOpen::kCreate);
    EXPECT_EQ(error.fault, LibraryFault::kNewer);
    EXPECT_EQ(error.version, format);
    EXPECT_NE(LibraryErrorMessage(location, error).find("(格式 " + std::to_string(format) + ")"),
              std::string::npos);
    EXPECT_FALSE(RebuildLibrary(location, {}).ok);
    EXPECT_EQ(Bytes(location), newer);

    // A record file and another program's database.
    const std::string record = WriteRecord(files / "r.QXRec", 4, 10);
    const std::string other = home / "other.sqlite";
    Sql(other, "CREATE TABLE t(x)");
    for (const std::string& path : {record, other}) {
        const std::string contents = Bytes(path);
        LibraryError e;
        EXPECT_FALSE(SqliteLibraryStore::Open(path, SqliteLibraryStore::OpenMode::kCreate, &e));
        EXPECT_EQ(e.fault, LibraryFault::kNotLibrary) << path;
        EXPECT_EQ(Bytes(path), contents);
    }
    EXPECT_EQ(OpenLibrary("ftp://site/library", LibraryOpen::kCreate).error.fault,
              LibraryFault::kUnsupported);
}

TEST_F(SqliteLibrary, DamageIsFoundAtOpenAndRebuiltFromTheRecordFiles) {
    Fill();
    const std::string sound = Bytes(location);
    ASSERT_GT(sound.size(), 64u * 1024);
    for (int damage = 0; damage < 2; ++damage) {
        std::string broken = sound;
        if (damage == 0) {
            broken.resize(broken.size() / 2);  // cut short
        } else {
            for (size_t i = 4096; i < 4096 * 8; i += 7)
                broken[i] = static_cast<char>(0xA5);  // pages overwritten
        }
        std::ofstream(location, std::ios::binary | std::ios::trunc) << broken;
        EXPECT_EQ(OpenFails().fault, LibraryFault::kDamaged) << damage;
    }

    // What only the library held cannot be read from it: nothing changes unless that is let go.
    const std::vector<std::string> folder{files.str()};
    const std::string damaged = Bytes(location);
    const RebuildResult refused = RebuildLibrary(location, folder);
    ASSERT_FALSE(refused.ok);
    EXPECT_NE(refused.message.find("--drop-missing"), std::string::npos) << refused.message;
    EXPECT_EQ(Bytes(location), damaged);
    const RebuildResult rebuilt = RebuildLibrary(location, folder, {}, true);
    ASSERT_TRUE(rebuilt.ok) << rebuilt.message << rebuilt.reason;
    EXPECT_EQ(rebuilt.dropped, -1);
    EXPECT_TRUE(std::filesystem::exists(rebuilt.kept));  // the damaged file is kept aside
    OpenedLibrary opened = OpenLibrary(location, LibraryOpen::kExisting);
    ASSERT_TRUE(opened.library) << opened.message;
    std::vector<RecordingEntry> after;
    ASSERT_TRUE(opened.library->List({}, after));
    ASSERT_EQ(after.size(), before.size());
    for (size_t i = 0; i < after.size(); ++i) {
        EXPECT_EQ(after[i].recording.instrumentKey, before[i].recording.instrumentKey);
        EXPECT_EQ(after[i].recording.totals.samples, before[i].recording.totals.samples);
        EXPECT_EQ(after[i].recording.totals.excursions, before[i].recording.totals.excursions);
    }
}

TEST_F(SqliteLibrary, RebuildingASoundLibraryTakesTheFilesItLists) {
    Fill();
    // The files it lists, in the order they were added; nothing else is searched.
    WriteRecord(files / "unlisted.QXRec", 4, 10, kStart, 60, 0,
                [](ParamBlock& p) { p.SetNumber(u"X"); });
    const RebuildResult rebuilt = RebuildLibrary(location, {});
    ASSERT_TRUE(rebuilt.ok) << rebuilt.message;
    ASSERT_EQ(rebuilt.added.size(), 3u);
    EXPECT_EQ(rebuilt.added[0].path, files / "1.QXRec");
    EXPECT_EQ(rebuilt.added[2].added, 30000);
}

TEST_F(SqliteLibrary, RebuildingCarriesOverWhatNoRecordFileHolds) {
    Fill();
    LiveReadings live;
    live.instrument = {4, "1"};
    live.settings = test::MakeRecordImage(4, 1).Params();
    live.interval = 60;
    for (int k = 0; k < 30; ++k) {
        live.times.push_back(kStart + 86400 * 30 + k * 60);
        live.samples.insert(live.samples.end(), static_cast<size_t>(DecodedSampleSize(4)), 7);
    }
    {
        OpenedLibrary opened = OpenLibrary(location, LibraryOpen::kExisting);
        ASSERT_TRUE(opened.library);
        LiveAddResult added;
        ASSERT_TRUE(opened.library->AddLive(live, added));
    }
    std::filesystem::remove(files / "2.QXRec");

    const RebuildResult rebuilt = RebuildLibrary(location, {});
    ASSERT_TRUE(rebuilt.ok) << rebuilt.message << rebuilt.reason;
    EXPECT_EQ(rebuilt.unread, std::vector<std::string>{files / "2.QXRec"});
    EXPECT_EQ(rebuilt.carried, 2);  // the live recording and the file that is gone
    EXPECT_EQ(rebuilt.carriedSamples, 30000 + 30);
    EXPECT_EQ(rebuilt.dropped, 0);
    OpenedLibrary opened = OpenLibrary(location, LibraryOpen::kExisting);
    ASSERT_TRUE(opened.library);
    std::vector<RecordingEntry> after;
    ASSERT_TRUE(opened.library->List({}, after));
    ASSERT_EQ(after.size(), before.size() + 1);
    int64_t samples = 0;
    for (const RecordingEntry& e : after)
        samples += e.recording.totals.samples;
    EXPECT_EQ(samples, 3 * 30000 + 30);
}

TEST_F(SqliteLibrary, AFullDiskAddsNothingOfTheFile) {
    Fill();
    OpenedLibrary opened = OpenLibrary(location, LibraryOpen::kExisting);
    ASSERT_TRUE(opened.library);
    const std::string big = WriteRecord(files / "big.QXRec", 4, 32512, kStart, 60, 0,
                                        [](ParamBlock& p) { p.SetNumber(u"BIG"); });
    // The write goes to the log, which starts empty after the open; it fills 16 kB.
    const AddResult full =
        test::WithFileSizeLimit(16384, [&] { return opened.library->AddRecordFile(big); });
    EXPECT_EQ(full.status, AddStatus::kFailed);
    EXPECT_FALSE(full.message.empty());

    std::vector<RecordingEntry> list;
    ASSERT_TRUE(opened.library->List({}, list));
    EXPECT_EQ(list.size(), before.size());
    EXPECT_EQ(opened.library->AddRecordFile(big).added, 32512);
    LibraryCheck check;
    ASSERT_TRUE(opened.library->Check(check));
    EXPECT_TRUE(check.problems.empty());
}

}  // namespace
}  // namespace qx
