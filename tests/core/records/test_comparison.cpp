#include "core/records/comparison.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "core/model/language.h"
#include "core/records/sample_table.h"
#include "history_fixtures.h"

namespace qx {
namespace {

using test::EveryInterval;
using test::LocalTime;
using test::MakeRecording;

const int64_t kTen = LocalTime(2017, 3, 10, 10);

std::vector<float> Rising(float first, int n) {
    std::vector<float> v;
    for (int k = 0; k < n; ++k)
        v.push_back(first + static_cast<float>(k));
    return v;
}

// A (type 1) every minute from 10:00:00, 20..29 °C; B (type 4) every minute from 10:00:40,
// 30..39 °C; C (type 4) every 5 minutes from 10:02:30, 10 and 11 °C. The grid step is C's 5
// minutes; C's first sample lies exactly half a step before 10:05 and belongs to it.
std::vector<InstrumentHistory> ThreeLoggers() {
    std::vector<InstrumentHistory> h(3);
    h[0].push_back(MakeRecording(1, 60, EveryInterval(kTen, 60, 10), Rising(20, 10)));
    h[1].push_back(MakeRecording(4, 60, EveryInterval(kTen + 40, 60, 10), Rising(30, 10)));
    h[2].push_back(MakeRecording(4, 300, EveryInterval(kTen + 150, 300, 2), Rising(10, 2)));
    h[1][0].params.SetNumber(u"B2");
    h[2][0].params.SetNumber(u"C3");
    return h;
}

std::optional<Comparison> Compare(const std::vector<InstrumentHistory>& h,
                                  const ComparisonRequest& request = {},
                                  std::string* error = nullptr) {
    return CompareHistories(h, request, error);
}

TEST(Comparison, OffsetLoggersMeetOnTheGridOfTheLongestInterval) {
    const auto c = Compare(ThreeLoggers());
    ASSERT_TRUE(c);
    EXPECT_EQ(c->step, 300);
    EXPECT_EQ(c->title, "温度(℃)");
    EXPECT_EQ(c->times, (std::vector<std::time_t>{kTen, kTen + 300, kTen + 600}));
    ASSERT_EQ(c->values.size(), 3u);
    EXPECT_EQ(c->values[0], (std::vector<float>{20, 25, 29}));  // nearest: 10:00, 10:05, 10:09
    EXPECT_EQ(c->values[1], (std::vector<float>{30, 34, 39}));  // 10:00:40, 10:04:40, 10:09:40
    EXPECT_TRUE(std::isnan(c->values[2][0]));
    EXPECT_EQ(c->values[2][1], 10);
    EXPECT_EQ(c->values[2][2], 11);
    EXPECT_EQ(c->instruments[0].label, "QX0001 测试点");
    EXPECT_EQ(c->instruments[1].label, "B2 测试点");
    EXPECT_EQ(ComparisonCellText(*c, c->values[2][0]), "");
}

TEST(Comparison, FiguresAcrossInstruments) {
    ComparisonRequest request;
    request.limits = SeriesLimits{12.0, 35.0};
    const auto c = Compare(ThreeLoggers(), request);
    ASSERT_TRUE(c);
    // Each instrument's own samples, not only those on the grid.
    EXPECT_DOUBLE_EQ(c->instruments[0].figures.mean, 24.5);
    EXPECT_EQ(c->instruments[0].figures.count, 10);
    ASSERT_TRUE(c->highestMean && c->lowestMean && c->highestMax && c->lowestMin);
    EXPECT_EQ(c->highestMean->instrument, 1);
    EXPECT_DOUBLE_EQ(c->highestMean->value, 34.5);
    EXPECT_EQ(c->lowestMean->instrument, 2);
    EXPECT_DOUBLE_EQ(c->lowestMean->value, 10.5);
    EXPECT_EQ(c->highestMax->instrument, 1);
    EXPECT_EQ(c->highestMax->time, kTen + 580);
    EXPECT_EQ(c->lowestMin->instrument, 2);
    EXPECT_EQ(c->lowestMin->time, kTen + 150);
    // Spreads 10, 24 and 28 at the three grid times.
    ASSERT_TRUE(c->largestSpread);
    EXPECT_DOUBLE_EQ(c->largestSpread->value, 28);
    EXPECT_EQ(c->largestSpread->time, kTen + 600);
    EXPECT_EQ(c->largestSpread->high, 1);
    EXPECT_EQ(c->largestSpread->low, 2);
    // The user's limits 12..35 with each sample's interval: B 36..39 above, C 10 and 11 below.
    EXPECT_EQ(c->instruments[0].SecondsOutside(), 0);
    EXPECT_EQ(c->instruments[1].SecondsOutside(), 4 * 60);
    EXPECT_EQ(c->instruments[2].SecondsOutside(), 2 * 300);
    EXPECT_TRUE(c->instruments[2].figures.limits->overridden);

    EXPECT_EQ(
        ComparisonSummary(*c),
        (std::vector<std::string>{"温度(℃),3 台仪器,查询条件:所有", "限值(用户):12 至 35",
                                  "平均值最高:B2 测试点,34.500℃", "平均值最低:C3 测试点,10.500℃",
                                  "最大值最高:B2 测试点,39.0℃(17-03-10 10:09:40)",
                                  "最小值最低:C3 测试点,10.0℃(17-03-10 10:02:30)",
                                  "最大差值:28.0℃(17-03-10 10:10:00,B2 测试点 高于 C3 测试点)"}));
    const TextTable table = ComparisonFigureTable(*c);
    ASSERT_EQ(table.titles.size(), 15u);  // with the mean kinetic temperature
    EXPECT_EQ(table.rows[2],
              (std::vector<std::string>{"C3 测试点", "QX420B", "2", "10.0", "17-03-10 10:02:30",
                                        "11.0", "17-03-10 10:07:30", "10.500", "0.707", "10.515",
                                        "12", "35", "600", "0", "600"}));
    // Reports and windows show the length of time beside the seconds.
    const std::vector<std::string> shown = ComparisonFigureTable(*c, true).rows[2];
    EXPECT_EQ(std::vector<std::string>(shown.end() - 3, shown.end()),
              (std::vector<std::string>{"600 (00:10:00)", "0", "600 (00:10:00)"}));
}

TEST(Comparison, WithoutUserLimitsEachInstrumentKeepsItsOwn) {
    const auto c = Compare(ThreeLoggers());
    ASSERT_TRUE(c);
    EXPECT_EQ(c->instruments[0].figures.limits->limits, (SeriesLimits{0.0, 40.0}));
    EXPECT_FALSE(c->instruments[0].figures.limits->overridden);
    EXPECT_EQ(ComparisonSummary(*c)[1], "限值:各仪器记录的限值");

    // Dew point has no limits of its own.
    ComparisonRequest dew;
    dew.series = "dew";
    std::vector<InstrumentHistory> h = {ThreeLoggers()[0]};
    const auto d = Compare(h, dew);
    ASSERT_TRUE(d);
    EXPECT_FALSE(d->instruments[0].SecondsOutside());
    EXPECT_FALSE(d->largestSpread);
    EXPECT_EQ(ComparisonFigureTable(*d).rows[0].back(), "-");
}

TEST(Comparison, UnitsOfTheFirstInstrumentAndEmptyStretches) {
    // °F first: the °C logger's 20 °C shows as 68.0 °F. Both pause from 10:05 to 10:20: the
    // empty grid times between become one row without values.
    std::vector<InstrumentHistory> h(2);
    h[0].push_back(MakeRecording(4, 300, {kTen, kTen + 1500}, {20, 21}, 0x01));
    h[1].push_back(MakeRecording(4, 300, {kTen + 10, kTen + 1510}, {20, 22}, 0x00));
    const auto c = Compare(h);
    ASSERT_TRUE(c);
    EXPECT_EQ(c->unit, "℉");
    EXPECT_EQ(c->times, (std::vector<std::time_t>{kTen, kTen + 300, kTen + 1500}));
    EXPECT_TRUE(std::isnan(c->values[0][1]) && std::isnan(c->values[1][1]));
    EXPECT_EQ(ComparisonCellText(*c, c->values[1][0]), "68.0");
    EXPECT_EQ(ComparisonCellText(*c, c->values[1][2]), "71.6");
    EXPECT_DOUBLE_EQ(c->largestSpread->value, 1.8);

    // Pressure: the flow meter's kPa first, the pressure logger's mbar converted.
    std::vector<InstrumentHistory> p(2);
    p[0].push_back(MakeRecording(6, 60, {kTen}, {20}, 0x00));
    p[1].push_back(MakeRecording(5, 60, {kTen}, {20}, 0x00));
    ComparisonRequest pressure;
    pressure.series = "pressure";
    const auto cp = Compare(p, pressure);
    ASSERT_TRUE(cp);
    EXPECT_EQ(cp->title, "气压(kPa)");
    EXPECT_EQ(ComparisonCellText(*cp, cp->values[1][0]), "100.00");
}

TEST(Comparison, RefusalsSayWhy) {
    std::string why;
    const auto refused = [&why](const std::vector<InstrumentHistory>& h,
                                const ComparisonRequest& r) {
        why.clear();
        return !CompareHistories(h, r, &why) && !why.empty();
    };
    ComparisonRequest temp;
    EXPECT_TRUE(refused({}, temp));
    EXPECT_EQ(why, "没有选择仪器。");

    ComparisonRequest unknown;
    unknown.series = "tmp";
    EXPECT_TRUE(refused(ThreeLoggers(), unknown));
    EXPECT_EQ(why,
              "没有这个量:tmp(可选:temp, hum, dew, density, pressure, diffpressure, sound, "
              "flow, co2, hcho)。");

    // An instrument without the quantity is left out and named; none with it is refused.
    std::vector<InstrumentHistory> sound = {ThreeLoggers()[0], {MakeRecording(7, 60, {kTen}, {0})}};
    sound[1][0].params.SetNumber(u"S9");
    const auto some = CompareHistories(sound, temp, &why);
    ASSERT_TRUE(some);
    EXPECT_EQ(some->instruments.size(), 1u);
    EXPECT_EQ(some->leftOut, (std::vector<std::string>{"S9 测试点"}));
    EXPECT_EQ(ComparisonSummary(*some)[1], "没有温度,未对比:S9 测试点");
    EXPECT_TRUE(refused({sound[1]}, temp));
    EXPECT_EQ(why, "S9 测试点 没有温度。");

    ComparisonRequest flow;
    flow.series = "flow";
    std::vector<InstrumentHistory> flows = {{MakeRecording(6, 60, {kTen}, {20}, 0x00)},
                                            {MakeRecording(6, 60, {kTen}, {20}, 0x40)}};
    EXPECT_TRUE(refused(flows, flow));
    EXPECT_EQ(why, "QX0001 测试点 的流量单位是l/s,不能换算成m3/s。");

    std::vector<InstrumentHistory> empty = {ThreeLoggers()[0], {}};
    EXPECT_TRUE(refused(empty, temp));
    EXPECT_EQ(why, "第2台仪器没有记录。");

    ComparisonRequest later;
    later.window.bounded = true;
    later.window.from = kTen + 3600;
    later.window.to = kTen + 7200;
    EXPECT_TRUE(refused(ThreeLoggers(), later));
    EXPECT_EQ(why, "查询的时间范围内没有数据。");
}

// A damaged library may hand out any times: out of order, equal, at the ends of the range, with
// no interval. Nothing overflows (the sanitizer build checks), and the far times stay off the
// grid.
TEST(Comparison, TimesOfADamagedStore) {
    const int64_t far = std::numeric_limits<int64_t>::max() - 5;
    const int64_t early = std::numeric_limits<int64_t>::min() + 3;
    std::vector<InstrumentHistory> h = {
        {MakeRecording(4, 60, {far, early, kTen, kTen}, {1, 2, 3, 4})},
        {MakeRecording(4, 0, {kTen + 29}, {5})}};
    SampleTable table;
    table.Build(h[0], {});
    EXPECT_EQ(table.SampleCount(), 4);
    EXPECT_EQ(table.Cell(0, 1), "");  // no local time
    const auto c = Compare(h);
    ASSERT_TRUE(c);
    EXPECT_EQ(c->times, (std::vector<std::time_t>{kTen}));
    EXPECT_EQ(c->values[0][0], 3);
    EXPECT_EQ(c->values[1][0], 5);
}

TEST(Comparison, EnglishSummary) {
    SetLanguage(Language::kEnglish);
    ComparisonRequest request;
    request.limits = SeriesLimits{std::nullopt, 35.0};
    const auto c = Compare(ThreeLoggers(), request);
    const std::vector<std::string> lines = ComparisonSummary(*c);
    SetLanguage(Language::kChinese);
    EXPECT_EQ(lines[0], "Temperature(℃), 3 instruments, query: all");
    EXPECT_EQ(lines[1], "Limits (user): - to 35");
    EXPECT_EQ(lines[6], "Largest spread: 28.0℃ (17-03-10 10:10:00, B2 测试点 above C3 测试点)");
}

}  // namespace
}  // namespace qx
