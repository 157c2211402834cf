// The record library over every store engine: adding and merging downloads, conflicts,
// reading recordings and histories back, listing, file states and bad input.
#include "core/library/record_library.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

#include "core/records/record_set.h"
#include "core/records/record_statistics.h"
#include "core/records/sample_decoding.h"
#include "core/records/sample_table.h"
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

// The decoded rows of a record file.
std::unique_ptr<RecordSet> Decoded(const std::string& path) {
    auto image = std::make_unique<RecordImage>();
    auto set = std::make_unique<RecordSet>();
    EXPECT_TRUE(OpenRecordFile(path, *image, *set).ok);
    return set;
}

class Library : public ::testing::TestWithParam<test::LibraryEngine> {
  protected:
    void SetUp() override {
        auto store = GetParam().open(home.str());
        ASSERT_TRUE(store);
        library = std::make_unique<RecordLibrary>(std::move(store));
    }
    AddResult Add(const std::string& path) {
        AddResult r = library->AddRecordFile(path);
        EXPECT_TRUE(r.Ok()) << path << ": " << r.message << " " << r.reason;
        return r;
    }
    std::vector<RecordingEntry> List(const LibraryFilter& filter = {}) {
        std::vector<RecordingEntry> out;
        EXPECT_TRUE(library->List(filter, out)) << library->Error().detail;
        return out;
    }
    LibraryId Instrument(InstrumentTypeId model, const std::string& number) {
        std::vector<LibraryInstrument> all;
        EXPECT_TRUE(library->Instruments(all));
        for (const LibraryInstrument& i : all) {
            if (i.key == InstrumentKey{model, number}) return i.id;
        }
        return 0;
    }

    TempFolder home, files;
    std::unique_ptr<RecordLibrary> library;
};

TEST_P(Library, AddingAgainAddsNothingAndACopyOnlyItsPath) {
    const std::string path = WriteRecord(files / "a.QXRec", 4, 500);
    const std::string before = Bytes(path);
    EXPECT_EQ(Add(path).added, 500);
    const AddResult again = Add(files.str() + "/./a.QXRec");
    EXPECT_EQ(again.status, AddStatus::kKnown);
    EXPECT_EQ(again.added, 0);
    std::filesystem::copy_file(path, files / "copy.QXRec");
    const AddResult copy = Add(files / "copy.QXRec");
    EXPECT_EQ(copy.status, AddStatus::kCopy);
    EXPECT_EQ(copy.added, 0);

    const auto list = List();
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].recording.totals.samples, 500);
    ASSERT_EQ(list[0].files.size(), 2u);
    EXPECT_EQ(list[0].files[1].file.path, files / "copy.QXRec");
    EXPECT_EQ(Bytes(path), before);  // the library never writes a record file
}

TEST_P(Library, OverlappingDownloadsMergeAndARestartIsANewRecording) {
    // The same recording downloaded twice, then the logger restarted.
    const std::string first = WriteRecord(files / "1.QXRec", 1, 1000);
    const std::string second = WriteRecord(files / "2.QXRec", 1, 1500);
    const uint32_t restart = kStart + 1500 * 60 + 3600;
    WriteRecord(files / "3.QXRec", 1, 200, restart);
    Add(first);
    const AddResult merged = Add(second);
    EXPECT_EQ(merged.added, 500);
    EXPECT_EQ(merged.duplicates, 1000);
    EXPECT_EQ(merged.conflicts, 0);
    EXPECT_EQ(Add(files / "3.QXRec").added, 200);

    const auto list = List();
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].recording.totals.samples, 1500);
    EXPECT_EQ(list[0].recording.totals.last, kStart + 1499 * 60);
    EXPECT_EQ(list[0].files.size(), 2u);
    EXPECT_EQ(list[1].recording.totals.first, restart);

    InstrumentHistory history;
    ASSERT_TRUE(library->History(list[0].recording.instrument, 0, INT64_MAX, history));
    ASSERT_EQ(history.size(), 2u);
    ASSERT_EQ(history[0].samples.size(), 1500u);
    ASSERT_EQ(history[1].samples.size(), 200u);
    const auto rows = Decoded(second);
    for (size_t k : {0u, 999u, 1000u, 1499u}) {
        EXPECT_EQ(history[0].samples[k].time, kStart + 60 * static_cast<int64_t>(k));
        EXPECT_EQ(history[0].samples[k].row.Ch(0), rows->rows[k].Ch(0)) << k;
        EXPECT_EQ(history[0].samples[k].row.Ch(1), rows->rows[k].Ch(1)) << k;
    }
    // The settings are those of the latest download.
    EXPECT_EQ(history[0].params.StoredCount(), 1500);
}

TEST_P(Library, ACyclicLoggerThatWrappedMergesIntoOneRecording) {
    // Before the wrap: 21000 samples. After it (wrap 1, stored count 12000): 21366 samples
    // from sample 12012 on, of which 8988 were downloaded before.
    const auto cyclic = [](int16_t wraps, uint16_t stored) {
        return [=](ParamBlock& p) {
            p.SetU16(param::kRecordCountSetting, param::kCyclicSetting);
            p.SetU16(param::kWrapCount, static_cast<uint16_t>(wraps));
            p.SetU16(param::kStoredCount, stored);
        };
    };
    Add(WriteRecord(files / "before.QXRec", 2, 21000, kStart, 60, 0, cyclic(0, 21000)));
    const AddResult after =
        Add(WriteRecord(files / "after.QXRec", 2, 21366, kStart, 60, 12012, cyclic(1, 12000)));
    EXPECT_EQ(after.samples, 21366);
    EXPECT_EQ(after.duplicates, 21000 - 12012);
    EXPECT_EQ(after.added, 12012 + 21366 - 21000);
    EXPECT_EQ(after.conflicts, 0);

    const auto list = List();
    ASSERT_EQ(list.size(), 1u);
    const RecordingTotals& t = list[0].recording.totals;
    EXPECT_EQ(t.samples, 33378);  // more than one record's rows
    EXPECT_EQ(t.last, kStart + 33377 * 60);
    RecordingSamples whole;
    ASSERT_TRUE(library->Recording(list[0].recording.id, {}, {}, whole));
    ASSERT_EQ(whole.samples.size(), 33378u);
    for (size_t k = 1; k < whole.samples.size(); ++k)
        ASSERT_EQ(whole.samples[k].time - whole.samples[k - 1].time, 60) << k;
}

TEST_P(Library, AConflictingSampleKeepsTheFirstValueAndIsReported) {
    const std::string first = WriteRecord(files / "1.QXRec", 1, 100);
    const std::string second = WriteRecord(files / "2.QXRec", 1, 120);
    {
        std::fstream f(second, std::ios::in | std::ios::out | std::ios::binary);
        f.seekp(96 + 50 * 3);
        f.put('\x01');  // sample 50 reads 1.0 degrees lower or higher than in the first file
    }
    Add(first);
    const AddResult r = Add(second);
    EXPECT_EQ(r.status, AddStatus::kAdded);
    EXPECT_EQ(r.added, 20);
    EXPECT_EQ(r.duplicates, 99);
    EXPECT_EQ(r.conflicts, 1);

    const auto list = List();
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].recording.totals.samples, 120);
    ASSERT_EQ(list[0].files.size(), 2u);
    EXPECT_EQ(list[0].files[1].file.conflicts, 1);
    RecordingSamples kept;
    ASSERT_TRUE(library->Recording(list[0].recording.id, kStart + 50 * 60, kStart + 50 * 60, kept));
    ASSERT_EQ(kept.samples.size(), 1u);
    EXPECT_EQ(kept.samples[0].row.Ch(0), Decoded(first)->rows[50].Ch(0));
    std::vector<ConflictSample> aside;
    ASSERT_TRUE(library->Conflicts(list[0].files[1].file.id, aside));
    ASSERT_EQ(aside.size(), 1u);
    EXPECT_EQ(aside[0].time, kStart + 50 * 60);
    EXPECT_EQ(aside[0].bytes[0], 0x01);
}

TEST_P(Library, InstrumentsAreModelAndNumber) {
    const auto numbered = [](const char16_t* number) {
        return [=](ParamBlock& p) { p.SetNumber(number); };
    };
    Add(WriteRecord(files / "a.QXRec", 1, 100, kStart, 60, 0, numbered(u" A0815 ")));
    Add(WriteRecord(files / "b.QXRec", 3, 100, kStart, 60, 0, numbered(u"A0815")));
    // Another QX420 numbered A0815, started half a minute into the first one's 31st minute:
    // no sample at the same time, but an overlap that one logger cannot make.
    const AddResult twin =
        Add(WriteRecord(files / "c.QXRec", 1, 200, kStart + 1830, 60, 0, numbered(u"A0815")));
    EXPECT_EQ(twin.added, 200);
    EXPECT_EQ(twin.overlaps, 1);

    std::vector<LibraryInstrument> all;
    ASSERT_TRUE(library->Instruments(all));
    ASSERT_EQ(all.size(), 2u);
    std::vector<const LibraryInstrument*> several;
    EXPECT_EQ(FindInstrument(all, "a0815", nullptr, &several), InstrumentMatch::kSeveral);
    EXPECT_EQ(several.size(), 2u);
    const LibraryInstrument* one = nullptr;
    EXPECT_EQ(FindInstrument(all, "qx430:A0815", &one), InstrumentMatch::kOne);
    ASSERT_TRUE(one);
    EXPECT_EQ(one->key.model, 3);
    EXPECT_EQ(one->names, std::vector<std::string>{"测试点"});
    EXPECT_EQ(FindInstrument(all, "QX450:A0815", &one), InstrumentMatch::kNone);
}

TEST_P(Library, ReadingWindowsIncludeBothEnds) {
    Add(WriteRecord(files / "a.QXRec", 8, 100));
    Add(WriteRecord(files / "b.QXRec", 8, 100, kStart + 200 * 60));
    const LibraryId id = Instrument(8, "QX0001");
    const auto count = [&](int64_t from, int64_t to) {
        InstrumentHistory h;
        EXPECT_TRUE(library->History(id, from, to, h));
        size_t n = 0;
        for (const RecordingSamples& r : h)
            n += r.samples.size();
        return std::pair(h.size(), n);
    };
    EXPECT_EQ(count(kStart + 5 * 60, kStart + 9 * 60), std::pair(size_t{1}, size_t{5}));
    EXPECT_EQ(count(kStart + 5 * 60 + 1, kStart + 9 * 60 - 1), std::pair(size_t{1}, size_t{3}));
    // From the last sample of the first recording to the first of the second.
    EXPECT_EQ(count(kStart + 99 * 60, kStart + 200 * 60), std::pair(size_t{2}, size_t{2}));
    EXPECT_EQ(count(kStart + 99 * 60 + 1, kStart + 200 * 60 - 1), std::pair(size_t{0}, size_t{0}));
}

TEST_P(Library, ListingFilters) {
    const auto named = [](const char16_t* number, const char16_t* name, bool wideLimits) {
        return [=](ParamBlock& p) {
            p.SetNumber(number);
            p.SetName(name);
            if (!wideLimits) return;
            p.SetU16(param::kHighLimit, 1400);  // 100 degrees and 5000 ppm: no excursion
            p.SetU16(param::kGasLimit, 5000);
        };
    };
    Add(WriteRecord(files / "a.QXRec", 1, 100, kStart, 60, 0,
                    named(u"A0815", u"Cold room 3", false)));
    const uint32_t later = kStart + 86400;
    Add(WriteRecord(files / "b.QXRec", 8, 100, later, 60, 0, named(u"B0001", u"仓库B", true)));
    const auto numbers = [&](const LibraryFilter& f) {
        std::vector<std::string> out;
        for (const RecordingEntry& e : List(f))
            out.push_back(e.recording.instrumentKey.number);
        return out;
    };
    const auto with = [&](auto set) {
        LibraryFilter f;
        set(f);
        return numbers(f);
    };
    using V = std::vector<std::string>;
    EXPECT_EQ(numbers({}), (V{"A0815", "B0001"}));
    EXPECT_EQ(with([](LibraryFilter& f) { f.model = 8; }), V{"B0001"});
    EXPECT_EQ(with([](LibraryFilter& f) { f.number = "a08"; }), V{"A0815"});
    EXPECT_EQ(with([](LibraryFilter& f) { f.name = "ROOM"; }), V{"A0815"});
    EXPECT_EQ(with([](LibraryFilter& f) { f.name = "仓库"; }), V{"B0001"});
    EXPECT_EQ(with([&](LibraryFilter& f) { f.from = f.to = later; }), V{"B0001"});
    EXPECT_EQ(with([&](LibraryFilter& f) { f.from = kStart + 99 * 60, f.to = later - 1; }),
              V{"A0815"});
    EXPECT_EQ(with([&](LibraryFilter& f) { f.from = kStart + 99 * 60 + 1, f.to = later - 1; }),
              V{});
    EXPECT_EQ(with([](LibraryFilter& f) { f.excursionsOnly = true; }), V{"A0815"});
}

TEST_P(Library, ExcursionsInATimeRange) {
    // 20 degrees, above the 40-degree limit at samples 50 .. 52 only.
    auto image = std::make_unique<RecordImage>(test::MakeRecordImage(4, 100));
    for (uint32_t k = 0; k < 100; ++k)
        test::PutU16(image->Samples() + 2 * k, k >= 50 && k <= 52 ? 900 : 600);
    ASSERT_TRUE(WriteRecordFile(files / "a.QXRec", *image, 4));
    Add(files / "a.QXRec");
    const auto listed = [&](int64_t from, int64_t to) {
        LibraryFilter f;
        f.excursionsOnly = true;
        f.from = from;
        f.to = to;
        return List(f).size();
    };
    EXPECT_EQ(listed(kStart + 52 * 60, kStart + 99 * 60), 1u);
    EXPECT_EQ(listed(kStart, kStart + 50 * 60), 1u);
    EXPECT_EQ(listed(kStart + 52 * 60 + 1, kStart + 99 * 60), 0u);
    EXPECT_EQ(listed(kStart, kStart + 50 * 60 - 1), 0u);
}

TEST_P(Library, ExcursionsAreTheStatisticsOfTheRecording) {
    const std::string path = WriteRecord(files / "a.QXRec", 1, 3000);
    Add(path);
    const auto set = Decoded(path);
    SampleTable table;
    table.Build(*set, QueryWindow{});
    int64_t expected = 0;
    for (const SeriesStatistics& s : ComputeRecordStatistics(*set, table, "").series)
        expected += s.limits ? static_cast<int64_t>(s.limits->excursions.size()) : 0;
    ASSERT_GT(expected, 0);
    EXPECT_EQ(List()[0].recording.totals.excursions, expected);
}

TEST_P(Library, FilesThatMovedVanishedOrChanged) {
    const std::string a = WriteRecord(files / "a.QXRec", 1, 10);
    const std::string b = WriteRecord(files / "b.QXRec", 1, 10, kStart + 3600);
    const std::string c = WriteRecord(files / "c.QXRec", 1, 10, kStart + 7200);
    for (const std::string& path : {a, b, c})
        Add(path);
    std::filesystem::create_directory(files / "new");
    std::filesystem::copy_file(a, files / "new/a.QXRec");
    Add(files / "new/a.QXRec");
    std::filesystem::remove(a);
    std::filesystem::remove(b);
    {
        std::fstream f(c, std::ios::in | std::ios::out | std::ios::binary);
        f.seekp(96);
        f.put('\x07');  // same size, other contents
    }
    std::map<std::string, FileState> states;
    for (const RecordingEntry& e : List())
        for (const SourceFile& s : e.files)
            states[s.file.path] = s.state;
    EXPECT_EQ(states[a], FileState::kMoved);
    EXPECT_EQ(states[b], FileState::kMissing);
    EXPECT_EQ(states[c], FileState::kPresent);  // a quick listing looks at sizes only
    LibraryFilter reading;
    reading.readFiles = true;  // list --files: as the check reads them
    for (const RecordingEntry& e : List(reading))
        for (const SourceFile& s : e.files)
            states[s.file.path] = s.state;
    EXPECT_EQ(states[c], FileState::kChanged);

    LibraryCheck check;
    ASSERT_TRUE(library->Check(check));
    EXPECT_TRUE(check.problems.empty());
    EXPECT_EQ(check.files, 4);
    std::map<std::string, FileState> unusual;
    for (const SourceFile& s : check.unusual)
        unusual[s.file.path] = s.state;
    EXPECT_EQ(unusual,
              (std::map<std::string, FileState>{
                  {a, FileState::kMoved}, {b, FileState::kMissing}, {c, FileState::kChanged}}));
}

TEST_P(Library, FoldersAndBadFiles) {
    std::filesystem::create_directories(files / "x/y");
    WriteRecord(files / "x/y/good.qxrec", 4, 10);
    std::ofstream(files / "x/bad.QXRec") << "not a record";
    std::ofstream(files / "x/notes.txt") << "ignored";
    std::ofstream(files / "empty.QXRec");
    const std::vector<std::string> paths = {files / "x", files / "empty.QXRec"};
    const std::vector<AddResult> results = library->AddPaths(paths);
    ASSERT_EQ(results.size(), 3u);
    EXPECT_EQ(results[0].path, files / "x/bad.QXRec");
    EXPECT_EQ(results[0].status, AddStatus::kUnreadable);
    EXPECT_NE(results[0].reason.find("未知的标识"), std::string::npos);
    EXPECT_EQ(results[1].status, AddStatus::kAdded);
    EXPECT_EQ(results[2].status, AddStatus::kUnreadable);

    // Without an interval one sample has a time of its own, two do not.
    const auto still = [&](const std::string& name, uint32_t count, uint32_t first) {
        return WriteRecord(files / name, 4, count, kStart + 86400, 60, first,
                           [](ParamBlock& p) { p.SetU8(param::kIntervalValue, 0); });
    };
    EXPECT_EQ(library->AddRecordFile(still("two.QXRec", 2, 0)).status, AddStatus::kRefused);
    EXPECT_EQ(Add(still("one.QXRec", 1, 0)).added, 1);
    EXPECT_EQ(Add(still("other.QXRec", 1, 7)).conflicts, 1);
    EXPECT_EQ(List().size(), 2u);
}

INSTANTIATE_TEST_SUITE_P(Engines, Library,
                         ::testing::Values(test::SqliteEngine(), test::PostgresEngine()),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace qx
