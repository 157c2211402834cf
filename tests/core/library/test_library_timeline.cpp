// One timeline per instrument: where recordings of an instrument cover the same time, its
// history holds each moment once, in time order, whatever the order they were added in, and
// the list, check and the history's notes tell the overlap.
#include <gtest/gtest.h>

#include <algorithm>

#include "core/library/history_stream.h"
#include "core/library/live_recording.h"
#include "core/library/record_library.h"
#include "core/library/timeline.h"
#include "core/model/language.h"
#include "core/records/sample_decoding.h"
#include "core/records/sample_table.h"
#include "library_fixture.h"

namespace qx {
namespace {

using test::TempFolder;
using test::WriteRecord;

constexpr uint32_t kStart = 1489151232;
// 08:07:12 in the tests' zone: 12 s past a minute, so that live readings fall between samples,
// and hours before midnight, where a live recording ends.
constexpr uint32_t kMorning = kStart - 13 * 3600;

TEST(Timeline, DownloadsOutrankLiveReadingsAndTheFirstAddedOutranksTheLater) {
    const TimelineSpan live1{1, true, 0, 100}, download2{2, false, 50, 60},
        download3{3, false, 100, 200};
    EXPECT_TRUE(Outranks(download2, live1));
    EXPECT_TRUE(Outranks(download2, download3));
    const std::vector<TimelineSpan> all{live1, download2, download3};
    // Both ends are included: the live recording's last reading at 100 is download 3's first.
    EXPECT_EQ(KeptStretches(live1, all), (std::vector<TimeStretch>{{0, 49}, {61, 99}}));
    EXPECT_EQ(KeptStretches(download3, all), (std::vector<TimeStretch>{{100, 200}}));
    const std::vector<TimelineOverlap> overlaps = OverlapsOf(all);
    ASSERT_EQ(overlaps.size(), 2u);
    EXPECT_EQ(overlaps[0].kept.recording, 2);
    EXPECT_EQ(overlaps[0].stretch, (TimeStretch{50, 60}));
    EXPECT_EQ(overlaps[1].kept.recording, 3);
    EXPECT_EQ(overlaps[1].stretch, (TimeStretch{100, 100}));
    // A span covered to its end keeps nothing; one covered nowhere keeps all.
    EXPECT_TRUE(KeptStretches({4, true, 55, 60}, all).empty());
    EXPECT_EQ(KeptStretches({5, true, 201, 300}, all), (std::vector<TimeStretch>{{201, 300}}));
    EXPECT_EQ(KeptStretches({6, true, 200, 300}, all), (std::vector<TimeStretch>{{201, 300}}));
}

// Readings of the monitor every minute on the minute.
LiveReadings Readings(int64_t from, int count) {
    LiveReadings r;
    r.instrument = {1, "QX0001"};
    r.name = "room";
    r.settings = test::MakeRecordImage(1, 1).Params();
    r.interval = 60;
    const size_t size = static_cast<size_t>(DecodedSampleSize(1));
    from -= from % 60;
    for (int k = 0; k < count; ++k) {
        r.times.push_back(from + k * 60);
        r.samples.insert(r.samples.end(), size, static_cast<uint8_t>(k));
    }
    return r;
}

class Timeline : public ::testing::TestWithParam<test::LibraryEngine> {
  protected:
    std::unique_ptr<RecordLibrary> Open(const TempFolder& home) {
        auto store = GetParam().open(home.str());
        EXPECT_TRUE(store);
        return std::make_unique<RecordLibrary>(std::move(store));
    }
    static void AddLive(RecordLibrary& library, const LiveReadings& readings) {
        LiveAddResult result;
        ASSERT_TRUE(library.AddLive(readings, result)) << library.Error().detail;
    }
    static InstrumentHistory History(RecordLibrary& library) {
        std::vector<LibraryInstrument> instruments;
        EXPECT_TRUE(library.Instruments(instruments));
        InstrumentHistory h;
        EXPECT_EQ(instruments.size(), 1u);
        if (!instruments.empty()) {
            EXPECT_TRUE(library.History(instruments[0].id, INT64_MIN, INT64_MAX, h));
        }
        return h;
    }
    // Every sample of the history in turn; fails where times do not increase.
    static std::vector<TimedSample> Flat(const InstrumentHistory& h) {
        std::vector<TimedSample> all;
        for (const RecordingSamples& r : h)
            all.insert(all.end(), r.samples.begin(), r.samples.end());
        for (size_t k = 1; k < all.size(); ++k)
            EXPECT_LT(all[k - 1].time, all[k].time) << "sample " << k;
        return all;
    }
    static std::vector<SetAsideSamples> SetAside(const InstrumentHistory& h) {
        std::vector<SetAsideSamples> all;
        for (const RecordingSamples& r : h)
            all.insert(all.end(), r.setAside.begin(), r.setAside.end());
        return all;
    }
    TempFolder files;
};

LibraryId OnlyInstrument(RecordLibrary& library) {
    std::vector<LibraryInstrument> instruments;
    EXPECT_TRUE(library.Instruments(instruments));
    return instruments.empty() ? 0 : instruments[0].id;
}

TEST_P(Timeline, MonitorBesideADownloadGivesOneHistoryInEitherOrder) {
    // The monitor ran from 10 minutes before the recording to 10 minutes after it.
    const std::string download = WriteRecord(files / "d.QXRec", 1, 600, kMorning);
    const LiveReadings live = Readings(kMorning - 600, 621);
    TempFolder a, b;
    auto monitorFirst = Open(a), downloadFirst = Open(b);
    AddLive(*monitorFirst, live);
    const AddResult late = monitorFirst->AddRecordFile(download);
    ASSERT_TRUE(late.Ok()) << late.message;
    EXPECT_EQ(late.added, 600);  // live readings neither duplicate nor conflict with it
    EXPECT_EQ(late.liveOverlaps, 1);
    EXPECT_EQ(late.overlaps, 0);
    ASSERT_TRUE(downloadFirst->AddRecordFile(download).Ok());
    AddLive(*downloadFirst, live);

    const InstrumentHistory h1 = History(*monitorFirst), h2 = History(*downloadFirst);
    const std::vector<TimedSample> s1 = Flat(h1), s2 = Flat(h2);
    ASSERT_EQ(s1.size(), s2.size());
    for (size_t k = 0; k < s1.size(); ++k) {
        ASSERT_EQ(s1[k].time, s2[k].time) << k;
        ASSERT_EQ(s1[k].row.Ch(0), s2[k].row.Ch(0)) << k;
    }
    // Live before, the download, live after: 11 + 600 + 11 of the 621 readings.
    ASSERT_EQ(h1.size(), 3u);
    EXPECT_EQ(h1[0].samples.back().time, kMorning - 12);
    EXPECT_EQ(h1[1].samples.size(), 600u);
    EXPECT_EQ(h1[1].samples.front().time, kMorning);
    EXPECT_EQ(s1.size(), 622u);
    EXPECT_EQ(SetAside(h1), SetAside(h2));
    const std::vector<SetAsideSamples> aside = SetAside(h1);
    ASSERT_EQ(aside.size(), 1u);
    EXPECT_EQ(aside[0].count, 599);
    EXPECT_TRUE(aside[0].live);
    EXPECT_FALSE(aside[0].keptLive);

    // The history's table says so; the list and the check tell the overlap once.
    SampleTable table;
    table.Build(h1, QueryWindow{});
    EXPECT_EQ(table.SampleCount(), 622);
    ASSERT_EQ(table.Notes().size(), 1u);
    EXPECT_NE(table.Notes()[0].find("599 个"), std::string::npos) << table.Notes()[0];
    // Streamed in pieces of 50 samples, as an export reads it: one note all the same.
    HistoryStream stream(*monitorFirst, OnlyInstrument(*monitorFirst), QueryWindow{}, 50);
    ASSERT_TRUE(stream.Survey());
    EXPECT_EQ(stream.SampleCount(), 622);
    ASSERT_EQ(stream.Notes().size(), 1u);
    EXPECT_EQ(stream.Notes()[0], table.Notes()[0]);
    std::vector<RecordingEntry> list;
    ASSERT_TRUE(monitorFirst->List({}, list));
    ASSERT_EQ(list.size(), 2u);
    for (const RecordingEntry& e : list) {
        ASSERT_EQ(e.overlaps.size(), 1u);
        EXPECT_EQ(e.overlaps[0].setAside, 599);
        EXPECT_EQ(e.overlaps[0].overlap.stretch, (TimeStretch{kMorning, kMorning + 599 * 60}));
    }
    LibraryCheck check;
    ASSERT_TRUE(downloadFirst->Check(check));
    ASSERT_EQ(check.overlaps.size(), 1u);
    EXPECT_FALSE(check.overlaps[0].overlap.kept.live);
}

TEST_P(Timeline, OfTwoOverlappingDownloadsTheFirstAddedKeepsItsTime) {
    // A second recording of the same number (another logger, or a clock set back) starting 30 s
    // after the first's sample 400: its first 99 samples lie in the first's time.
    const std::string first = WriteRecord(files / "1.QXRec", 1, 500);
    const std::string second =
        WriteRecord(files / "2.QXRec", 1, 300, kStart + 400 * 60 + 30, 60, 7);
    TempFolder home;
    auto library = Open(home);
    ASSERT_TRUE(library->AddRecordFile(first).Ok());
    const AddResult r = library->AddRecordFile(second);
    ASSERT_TRUE(r.Ok());
    EXPECT_EQ(r.overlaps, 1);
    const InstrumentHistory h = History(*library);
    const std::vector<TimedSample> all = Flat(h);
    ASSERT_EQ(h.size(), 2u);
    EXPECT_EQ(h[0].samples.size(), 500u);
    EXPECT_EQ(h[1].samples.size(), 201u);  // the second's samples after the first's last
    EXPECT_EQ(all.size(), 701u);
    const std::vector<SetAsideSamples> aside = SetAside(h);
    ASSERT_EQ(aside.size(), 1u);
    EXPECT_EQ(aside[0].count, 99);
    EXPECT_FALSE(aside[0].live);
}

TEST_P(Timeline, ALiveRecordingCutByADownloadInItsMiddle) {
    // The logger's recording of an hour in the middle of three hours of monitoring; a sample
    // on a reading's minute shows once, the download's.
    const uint32_t start = kMorning - kMorning % 60 + 3600;
    const std::string download = WriteRecord(files / "d.QXRec", 1, 61, start);
    TempFolder home;
    auto library = Open(home);
    AddLive(*library, Readings(start - 3600, 181));
    ASSERT_TRUE(library->AddRecordFile(download).Ok());
    const InstrumentHistory h = History(*library);
    const std::vector<TimedSample> all = Flat(h);
    ASSERT_EQ(h.size(), 3u);
    EXPECT_EQ(h[0].samples.back().time, start - 60);
    EXPECT_EQ(h[1].samples.size(), 61u);
    EXPECT_EQ(h[2].samples.front().time, start + 3660);
    EXPECT_EQ(all.size(), 181u);
    ASSERT_EQ(SetAside(h).size(), 1u);
    EXPECT_EQ(SetAside(h)[0].count, 61);
}

INSTANTIATE_TEST_SUITE_P(Engines, Timeline,
                         ::testing::Values(test::SqliteEngine(), test::PostgresEngine()),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace qx
