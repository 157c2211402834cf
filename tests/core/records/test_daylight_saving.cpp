// Time zones with daylight saving: the bias stored with the parameters, query windows, list
// texts and CSV offsets across the changes of Europe/Berlin and America/New_York.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <memory>
#include <string>

#include "core/model/local_time.h"
#include "core/model/param_editor_values.h"
#include "core/records/number_text.h"
#include "core/records/record_query.h"
#include "core/records/record_set.h"
#include "core/records/sample_decoding.h"
#include "core/records/sample_table.h"
#include "core/records/text_export.h"
#include "record_fixtures.h"

namespace qx {
namespace {

using test::LocalTime;
using test::MakeRecordImage;

// Seconds of a UTC calendar time.
int64_t Utc(int y, int mo, int d, int h = 0, int mi = 0) {
    std::tm tm{};
    tm.tm_year = y - 1900;
    tm.tm_mon = mo - 1;
    tm.tm_mday = d;
    tm.tm_hour = h;
    tm.tm_min = mi;
    return timegm(&tm);
}

// Every case runs in zones of its own and puts the ctest zone back afterwards.
class DaylightSaving : public ::testing::Test {
  protected:
    void SetUp() override {
        const char* old = std::getenv("TZ");
        hadZone_ = old != nullptr;
        savedZone_ = old ? old : "";
    }
    void TearDown() override {
        if (hadZone_) {
            setenv("TZ", savedZone_.c_str(), 1);
        } else {
            unsetenv("TZ");
        }
        tzset();
    }
    void Zone(const char* name) {
        setenv("TZ", name, 1);
        tzset();
        ASSERT_NE(LocalTimeZoneBias(Utc(2017, 1, 15)), 0) << "no zone data for " << name;
    }
    // The time column of the list, each text followed by ';'.
    std::string TimeColumn(const SampleTable& table) {
        std::string out;
        for (int r = 0; r < table.RowCount(); ++r)
            out += std::string(table.Cell(r, 1)) + ";";
        return out;
    }

    bool hadZone_ = false;
    std::string savedZone_;
    std::unique_ptr<RecordSet> set = std::make_unique<RecordSet>();
    SampleTable table;
};

TEST_F(DaylightSaving, BiasIsTheOffsetInForceWinterAndSummer) {
    Zone("Europe/Berlin");
    EXPECT_EQ(LocalTimeZoneBias(Utc(2017, 1, 15, 12)), -60);
    EXPECT_EQ(LocalTimeZoneBias(Utc(2017, 7, 15, 12)), -120);
    // The change itself: 01:00 UTC on the last Sunday of March and of October.
    EXPECT_EQ(LocalTimeZoneBias(Utc(2017, 3, 26, 0, 59)), -60);
    EXPECT_EQ(LocalTimeZoneBias(Utc(2017, 3, 26, 1)), -120);
    EXPECT_EQ(LocalTimeZoneBias(Utc(2017, 10, 29, 1)), -60);
    Zone("America/New_York");
    EXPECT_EQ(LocalTimeZoneBias(Utc(2017, 1, 15, 12)), 300);
    EXPECT_EQ(LocalTimeZoneBias(Utc(2017, 7, 15, 12)), 240);
    EXPECT_EQ(LocalTimeZoneBias(Utc(2040, 7, 15, 12)), 240);

    // Written with the parameters, the summer bias turns the instrument's local clock back
    // into UTC, and the parameter list shows the local time of setting.
    ParamBlock block;
    const int64_t now = Utc(2017, 7, 15, 16);  // 12:00 EDT
    EncodeEditorValues(ParamEditorValues{}, 2, LocalTimeZoneBias(now), block);
    EXPECT_EQ(block.TimeZoneBias(), 240);
    block.SetU32(param::kSetTime, static_cast<uint32_t>(now - 240 * 60));
    block.SetU32(param::kStartTime, static_cast<uint32_t>(now - 240 * 60));
    EXPECT_EQ(MakeParamTexts(block, 2)[ParamText::SetTime], "2017-07-15 12:00:00");
    EXPECT_EQ(SampleClockOf(block, 2).TimeOf(0), now);
}

TEST_F(DaylightSaving, QueryWindowsAcrossAChange) {
    Zone("Europe/Berlin");
    QueryRequest q;
    q.mode = QueryMode::LastDays;
    q.days = 1;
    // Noon after the spring change: one day back is 11:00 winter time, 24 real hours.
    QueryWindow w = MakeQueryWindow(q, LocalTime(2017, 3, 26, 12));
    EXPECT_EQ(w.to - w.from, 86400);
    EXPECT_EQ(FormatLocalTime(w.from, "%Y-%m-%d %H:%M"), "2017-03-25 11:00");
    EXPECT_EQ(w.condition, "当前日期[2017-03-26],向前1天");
    // A month back across the autumn change keeps the wall-clock time: an hour more.
    q.mode = QueryMode::LastMonths;
    q.months = 1;
    w = MakeQueryWindow(q, LocalTime(2017, 11, 15, 12));
    EXPECT_EQ(w.to - w.from, 31 * 86400 + 3600);
    EXPECT_EQ(FormatLocalTime(w.from, "%Y-%m-%d %H:%M:%S %z"), "2017-10-15 12:00:00 +0200");
    // The day of the autumn change has 25 hours: hourly samples from 23:00 the evening before.
    DecodeRecord(MakeRecordImage(1, 30, static_cast<uint32_t>(Utc(2017, 10, 28, 21)), 3600), *set,
                 1);
    q.mode = QueryMode::DateRange;
    q.rangeStart = q.rangeEnd = LocalTime(2017, 10, 29, 12);
    w = MakeQueryWindow(q, 0);
    EXPECT_EQ(w.to - w.from + 1, 25 * 3600);
    EXPECT_EQ(CountMatches(*set, w), 25);

    Zone("America/New_York");
    q.mode = QueryMode::LastMonths;
    w = MakeQueryWindow(q, LocalTime(2017, 3, 20, 9));
    EXPECT_EQ(w.to - w.from, 28 * 86400 - 3600);
    EXPECT_EQ(FormatLocalTime(w.from, "%Y-%m-%d %H:%M:%S %z"), "2017-02-20 09:00:00 -0500");
    q.mode = QueryMode::LastDays;
    q.days = 2;
    w = MakeQueryWindow(q, LocalTime(2017, 3, 13, 9));
    EXPECT_EQ(FormatLocalTime(w.from, "%m-%d %H:%M"), "03-11 08:00");
}

TEST_F(DaylightSaving, ListTextsAndCsvOffsetsOfARecordSpanningAChange) {
    Zone("Europe/Berlin");
    // Half-hourly from 00:30 UTC on the autumn change: 02:30 summer time, then 02:00 again.
    DecodeRecord(MakeRecordImage(1, 4, static_cast<uint32_t>(Utc(2017, 10, 29, 0, 30)), 1800), *set,
                 1);
    table.Build(*set, {});
    EXPECT_EQ(TimeColumn(table),
              "17-10-29 02:30:00;17-10-29 02:00:00;17-10-29 02:30:00;17-10-29 03:00:00;");
    for (int r = 1; r < table.RowCount(); ++r)
        EXPECT_EQ(table.Time(r) - table.Time(r - 1), 1800);
    std::string csv = CsvBytes(table);
    EXPECT_NE(csv.find("\r\n1,2017-10-29T02:30:00+02:00,"), std::string::npos) << csv;
    EXPECT_NE(csv.find("\r\n2,2017-10-29T02:00:00+01:00,"), std::string::npos) << csv;
    EXPECT_NE(csv.find("\r\n3,2017-10-29T02:30:00+01:00,"), std::string::npos) << csv;

    // Model 2 counts the local time it was set in (winter, bias -60) straight through the
    // spring change; the list shows each sample in the time then in force.
    RecordImage image = MakeRecordImage(2, 4, static_cast<uint32_t>(Utc(2017, 3, 26, 0, 30)), 3600);
    ParamBlock params = image.Params();
    params.SetU16(param::kTimeZoneBias, static_cast<uint16_t>(-60));
    image.SetParams(params);
    DecodeRecord(image, *set, 2);
    table.Build(*set, {});
    EXPECT_EQ(TimeColumn(table),
              "17-03-26 00:30:00;17-03-26 01:30:00;17-03-26 03:30:00;17-03-26 04:30:00;");

    Zone("America/New_York");
    // Every 45 minutes from 01:30 EST on the spring change: 02:15 does not exist.
    DecodeRecord(MakeRecordImage(1, 3, static_cast<uint32_t>(Utc(2017, 3, 12, 6, 30)), 2700), *set,
                 1);
    table.Build(*set, {});
    EXPECT_EQ(TimeColumn(table), "17-03-12 01:30:00;17-03-12 03:15:00;17-03-12 04:00:00;");
    csv = CsvBytes(table);
    EXPECT_NE(csv.find("\r\n1,2017-03-12T01:30:00-05:00,"), std::string::npos) << csv;
    EXPECT_NE(csv.find("\r\n2,2017-03-12T03:15:00-04:00,"), std::string::npos) << csv;
}

// The list's time texts ask the zone once an hour: every change of the offset still shows,
// those at 00:01 (St. John's until 2011) and the half-hour one of Lord Howe Island too.
TEST_F(DaylightSaving, CachedTimeTextsAgreeWithLocaltime) {
    for (const char* zone :
         {"Europe/Berlin", "America/New_York", "America/St_Johns", "Australia/Lord_Howe"}) {
        Zone(zone);
        LocalTimeTexts texts;
        std::string cached, direct;
        for (int64_t t = Utc(2010, 1, 1); t < Utc(2012, 1, 1); t += 11 * 60 + 7) {
            cached.clear();
            direct.clear();
            ASSERT_TRUE(texts.Append(cached, static_cast<std::time_t>(t)));
            const auto tt = static_cast<std::time_t>(t);
            std::tm tm{};
            ASSERT_TRUE(localtime_r(&tt, &tm));
            AppendShortDateTime(direct, tm);
            ASSERT_EQ(cached, direct) << zone << " at " << t;
        }
    }
}

}  // namespace
}  // namespace qx
