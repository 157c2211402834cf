#include "core/records/record_query.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <memory>

#include "core/model/local_time.h"
#include "core/records/record_set.h"
#include "core/records/sample_decoding.h"
#include "record_fixtures.h"

namespace qx {
namespace {

using test::LocalTime;
using test::MakeRecordImage;

ParamBlock Clocked(uint8_t value, uint8_t unit) {
    ParamBlock p;
    p.SetU32(param::kStartTime, 1000000);
    p.SetU8(param::kIntervalValue, value);
    p.SetU8(param::kIntervalUnit, unit);
    return p;
}

TEST(SampleClock, IntervalUnits) {
    EXPECT_EQ(SampleClockOf(Clocked(5, 0), 1).TimeOf(1) - 1000000, 5);
    EXPECT_EQ(SampleClockOf(Clocked(5, 1), 1).TimeOf(2) - 1000000, 600);
    EXPECT_EQ(SampleClockOf(Clocked(5, 2), 1).TimeOf(1) - 1000000, 18000);
    EXPECT_EQ(SampleClockOf(Clocked(5, 7), 1).TimeOf(1) - 1000000, 5);
}

TEST(SampleClock, WrappedCyclicRecordStartsLater) {
    ParamBlock p = Clocked(1, 1);
    p.SetU16(param::kWrapCount, 1);
    p.SetU16(param::kRecordCountSetting, 0xFFFF);
    p.SetU16(param::kStoredCount, 100);
    const SampleClock c2 = SampleClockOf(p, 2);
    EXPECT_EQ(c2.firstOffset, 126u);
    EXPECT_EQ(c2.TimeOf(0), 1000000 + 126 * 60);
    EXPECT_EQ(EffectiveRecordCount(p, 2), 21352u);
    const SampleClock c1 = SampleClockOf(p, 1);
    EXPECT_EQ(c1.firstOffset, 0u);
    EXPECT_EQ(EffectiveRecordCount(p, 1), 100u);

    // Type 2 counts local time: its bias turns the stamps into UTC.
    p.SetU16(param::kTimeZoneBias, static_cast<uint16_t>(-480));
    EXPECT_EQ(SampleClockOf(p, 2).TimeOf(0), 1000000 + 126 * 60 - 28800);
    EXPECT_EQ(SampleClockOf(p, 8).TimeOf(0), 1000000);

    // A negative offset counts as none.
    p.SetU16(param::kWrapCount, static_cast<uint16_t>(-1));
    EXPECT_EQ(SampleClockOf(p, 2).firstOffset, 0u);
}

// The instrument clocks count unsigned 32-bit seconds: starts past 2038-01-19 03:14:07 UTC
// stay in their century, and samples past 2106 do not wrap to 1970.
TEST(SampleClock, TimesPast2038And2106) {
    ParamBlock p = Clocked(1, 2);
    p.SetU32(param::kStartTime, 0x7FFFFFFFu);
    EXPECT_EQ(SampleClockOf(p, 1).TimeOf(1), int64_t{0x7FFFFFFF} + 3600);
    p.SetU32(param::kStartTime, 0xFFFFF000u);
    EXPECT_EQ(SampleClockOf(p, 1).TimeOf(0), int64_t{0xFFFFF000u});
    EXPECT_EQ(SampleClockOf(p, 1).TimeOf(2), int64_t{0xFFFFF000u} + 7200);
    EXPECT_EQ(FormatLocalTime(SampleClockOf(p, 1).TimeOf(2), "%Y-%m-%d %H:%M:%S"),
              "2106-02-07 15:20:00");
    // The largest offset of a wrapped record, hours apart, from the last clock second.
    p.SetU32(param::kStartTime, 0xFFFFFFFFu);
    p.SetU16(param::kWrapCount, 0x7FFF);
    p.SetU16(param::kRecordCountSetting, 0xFFFF);
    p.SetU16(param::kStoredCount, 100);
    const SampleClock c = SampleClockOf(p, 2);
    EXPECT_EQ(c.TimeOf(21377) - c.TimeOf(0), int64_t{21377} * 3600);
    EXPECT_GT(c.TimeOf(0), int64_t{0xFFFFFFFFu});
}

TEST(QueryWindow, LastDaysIncludesBothEnds) {
    const int64_t now = LocalTime(2017, 3, 10, 10, 0, 0);
    QueryRequest q;
    q.mode = QueryMode::LastDays;
    q.days = 1;
    const QueryWindow w = MakeQueryWindow(q, now);
    EXPECT_EQ(w.from, LocalTime(2017, 3, 9, 10, 0, 0));
    EXPECT_EQ(w.to, now);
    EXPECT_EQ(w.condition, "当前日期[2017-03-10],向前1天");
    EXPECT_TRUE(w.Contains(static_cast<int32_t>(w.from)));
    EXPECT_TRUE(w.Contains(static_cast<int32_t>(now)));
    EXPECT_FALSE(w.Contains(static_cast<int32_t>(w.from - 1)));
    EXPECT_FALSE(w.Contains(static_cast<int32_t>(now + 1)));
}

TEST(QueryWindow, LastMonthsKeepsDayAndTime) {
    QueryRequest q;
    q.mode = QueryMode::LastMonths;
    q.months = 5;
    QueryWindow w = MakeQueryWindow(q, LocalTime(2017, 5, 15, 8, 30, 5));
    EXPECT_EQ(w.from, LocalTime(2016, 12, 15, 8, 30, 5));
    EXPECT_EQ(w.condition, "当前日期[2017-05-15],向前5月");
    q.months = 30;
    EXPECT_EQ(MakeQueryWindow(q, LocalTime(2017, 5, 15)).from, LocalTime(2014, 11, 15));
}

TEST(QueryWindow, LastMonthsRollsOverShortMonths) {
    QueryRequest q;
    q.mode = QueryMode::LastMonths;
    q.months = 1;
    EXPECT_EQ(MakeQueryWindow(q, LocalTime(2017, 3, 31, 12)).from, LocalTime(2017, 3, 3, 12));
    EXPECT_EQ(MakeQueryWindow(q, LocalTime(2016, 3, 31, 12)).from, LocalTime(2016, 3, 2, 12));
    EXPECT_EQ(MakeQueryWindow(q, LocalTime(2017, 1, 31, 12)).from, LocalTime(2016, 12, 31, 12));
}

TEST(QueryWindow, LastMonthsAcrossDaylightSaving) {
    const char* old = std::getenv("TZ");
    const std::string saved = old ? old : "";
    setenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3", 1);
    tzset();
    QueryRequest q;
    q.mode = QueryMode::LastMonths;
    q.months = 1;
    // 15 April 12:00 summer time back to 15 March 12:00 winter time: 31 days less one hour.
    const int64_t now = LocalTime(2017, 4, 15, 12);
    const QueryWindow w = MakeQueryWindow(q, now);
    EXPECT_EQ(now - w.from, 31 * 86400 - 3600);
    EXPECT_EQ(FormatLocalTime(w.from, "%Y-%m-%d %H:%M:%S"), "2017-03-15 12:00:00");
    setenv("TZ", saved.c_str(), 1);
    tzset();
}

TEST(QueryWindow, DateRangeEndsAt235959) {
    QueryRequest q;
    q.mode = QueryMode::DateRange;
    q.rangeStart = LocalTime(2017, 3, 8, 15, 20);
    q.rangeEnd = LocalTime(2017, 3, 9, 7, 0);
    const QueryWindow w = MakeQueryWindow(q, 0);
    EXPECT_EQ(w.from, LocalTime(2017, 3, 8));
    EXPECT_EQ(w.to, LocalTime(2017, 3, 9, 23, 59, 59));
    EXPECT_EQ(w.condition, "日期从[2017-03-08]-[2017-03-09]");
    EXPECT_TRUE(w.Contains(static_cast<int32_t>(LocalTime(2017, 3, 9, 23, 59, 59))));
    EXPECT_FALSE(w.Contains(static_cast<int32_t>(LocalTime(2017, 3, 10))));
    EXPECT_TRUE(w.Contains(static_cast<int32_t>(LocalTime(2017, 3, 8))));
    EXPECT_FALSE(w.Contains(static_cast<int32_t>(LocalTime(2017, 3, 8) - 1)));

    // Start after end selects nothing.
    std::swap(q.rangeStart, q.rangeEnd);
    q.rangeStart = LocalTime(2017, 3, 12);
    auto set = std::make_unique<RecordSet>();
    DecodeRecord(MakeRecordImage(1, 5000, static_cast<uint32_t>(LocalTime(2017, 3, 8))), *set, 1);
    EXPECT_EQ(CountMatches(*set, MakeQueryWindow(q, 0)), 0);
}

TEST(QueryWindow, AllAndMatchCounts) {
    auto set = std::make_unique<RecordSet>();
    // 3000 samples a minute apart from 2017-03-08 00:00 local.
    DecodeRecord(MakeRecordImage(1, 3000, static_cast<uint32_t>(LocalTime(2017, 3, 8))), *set, 1);
    const QueryWindow all = MakeQueryWindow({}, 0);
    EXPECT_FALSE(all.bounded);
    EXPECT_EQ(all.condition, "所有");
    EXPECT_EQ(CountMatches(*set, all), 3000);
    QueryRequest q;
    q.mode = QueryMode::DateRange;
    q.rangeStart = q.rangeEnd = LocalTime(2017, 3, 9, 12);
    EXPECT_EQ(CountMatches(*set, MakeQueryWindow(q, 0)), 1440);
}

TEST(QueryWindow, MatchesAcross2038) {
    auto set = std::make_unique<RecordSet>();
    // 2000 samples a minute apart from 2038-01-19 00:00 local (2038-01-18 16:00 UTC).
    const int64_t start = LocalTime(2038, 1, 19);
    DecodeRecord(MakeRecordImage(1, 2000, static_cast<uint32_t>(start)), *set, 1);
    EXPECT_EQ(SampleTime(*set, 1999), start + 1999 * 60);
    QueryRequest q;
    q.mode = QueryMode::DateRange;
    q.rangeStart = q.rangeEnd = LocalTime(2038, 1, 20, 9);
    QueryWindow w = MakeQueryWindow(q, 0);
    EXPECT_EQ(w.condition, "日期从[2038-01-20]-[2038-01-20]");
    EXPECT_EQ(CountMatches(*set, w), 2000 - 1440);
    // Up to 2038-01-19 14:00 local, past 11:14:07 local, the last signed 32-bit second.
    q.mode = QueryMode::LastDays;
    q.days = 1;
    w = MakeQueryWindow(q, LocalTime(2038, 1, 19, 14));
    EXPECT_EQ(w.condition, "当前日期[2038-01-19],向前1天");
    EXPECT_EQ(CountMatches(*set, w), 14 * 60 + 1);
    q.mode = QueryMode::LastMonths;
    w = MakeQueryWindow(q, LocalTime(2038, 2, 19, 0, 10));
    EXPECT_EQ(w.from, LocalTime(2038, 1, 19, 0, 10));
    EXPECT_EQ(w.condition, "当前日期[2038-02-19],向前1月");
    EXPECT_EQ(CountMatches(*set, w), 2000 - 10);
}

TEST(QueryTexts, StatusLineAndHeader) {
    ParamBlock p;
    p.SetNumber(u"A123");
    p.SetName(u"冷库");
    const std::string header = RecordHeaderText(MakeParamTexts(p, 1));
    EXPECT_EQ(header, "编号:A123 测量名:冷库 ");
    EXPECT_EQ(QueryStatusLine(header, 3000, "所有", 3000),
              "编号:A123 测量名:冷库  总记录数:3000  查询条件:所有 记录数:3000");
}

TEST(QueryTexts, CountValidationAndArrows) {
    std::string message;
    EXPECT_EQ(ParseQueryCount(" 12 ", 1, 300, &message), 12);
    EXPECT_FALSE(ParseQueryCount("abc", 1, 300, &message));
    EXPECT_EQ(message, "请输入一个整数。");
    EXPECT_FALSE(ParseQueryCount("", 1, 300, &message));
    EXPECT_EQ(message, "请输入一个整数。");
    EXPECT_FALSE(ParseQueryCount("12x", 1, 300, &message));
    EXPECT_FALSE(ParseQueryCount("+-5", 1, 300, &message));
    EXPECT_EQ(ParseQueryCount("+5", 1, 300, &message), 5);
    EXPECT_FALSE(ParseQueryCount("0", 1, 300, &message));
    EXPECT_EQ(message, "请输入一个在 1 和 300 之间的整数。");
    EXPECT_FALSE(ParseQueryCount("31", 1, 30, &message));
    EXPECT_EQ(message, "请输入一个在 1 和 30 之间的整数。");
    EXPECT_FALSE(ParseQueryCount("99999999999999999999", 1, 30, &message));
    EXPECT_EQ(message, "请输入一个在 1 和 30 之间的整数。");
    EXPECT_EQ(StepQueryCount(300, +1, 1, 300), 300);
    EXPECT_EQ(StepQueryCount(0, -1, 1, 300), 1);
    EXPECT_EQ(StepQueryCount(5, +1, 1, 30), 6);
}

}  // namespace
}  // namespace qx
