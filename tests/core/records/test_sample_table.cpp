#include "core/records/sample_table.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "core/records/record_set.h"
#include "core/records/sample_decoding.h"
#include "history_fixtures.h"
#include "record_fixtures.h"

namespace qx {
namespace {

using test::MakeRecordImage;

struct ColumnSpec {
    std::string title;
    int width;
};

std::vector<ColumnSpec> ColumnsOf(const SampleTable& t) {
    std::vector<ColumnSpec> out;
    for (const SampleColumn& c : t.Columns())
        out.push_back({c.title, c.width});
    return out;
}

bool operator==(const ColumnSpec& a, const ColumnSpec& b) {
    return a.title == b.title && a.width == b.width;
}

class Table : public ::testing::Test {
  protected:
    void Load(const RecordImage& image, InstrumentTypeId type) { DecodeRecord(image, *set, type); }
    std::unique_ptr<RecordSet> set = std::make_unique<RecordSet>();
    SampleTable table;
};

TEST_F(Table, ColumnsPerType) {
    Load(MakeRecordImage(6, 2), 6);
    table.Build(*set, {});
    EXPECT_EQ(ColumnsOf(table), (std::vector<ColumnSpec>{{"记录", 50},
                                                         {"时间", 145},
                                                         {"温度(℃)", 75},
                                                         {"湿度(%RH)", 75},
                                                         {"空气密度(kg/m3)", 120},
                                                         {"气压(kPa)", 80},
                                                         {"差压(kPa)", 75},
                                                         {"噪声(dB)", 75},
                                                         {"流量(m3/s)", 80}}));
    Load(MakeRecordImage(11, 2), 11);
    table.Build(*set, {});
    EXPECT_EQ(ColumnsOf(table), (std::vector<ColumnSpec>{{"记录", 50},
                                                         {"时间", 145},
                                                         {"温度(℃)", 75},
                                                         {"湿度(%RH)", 75},
                                                         {"露点(℃)", 75},
                                                         {"甲醛(mg/m3)", 90}}));
    Load(MakeRecordImage(7, 2), 7);
    table.Build(*set, {});
    EXPECT_EQ(ColumnsOf(table),
              (std::vector<ColumnSpec>{{"记录", 50}, {"时间", 145}, {"噪声(dB)", 75}}));
    Load(MakeRecordImage(1, 2), 0);
    table.Build(*set, {});
    EXPECT_EQ(table.ColumnCount(), 0);
}

TEST_F(Table, RowsHoldTheListsCells) {
    RecordImage image = MakeRecordImage(1, 3, 1489151232, 60);  // 2017-03-10 21:07:12 +08:00
    test::PutPacked(image.Samples(), 600, 500);                 // 20.0 °C, 50.0 %
    test::PutPacked(image.Samples() + 3, 650, 800);             // 25.0 °C, 80.0 %
    test::PutPacked(image.Samples() + 6, 345, 0);               // -5.5 °C, 0.0 %
    Load(image, 1);
    table.Build(*set, {});
    ASSERT_EQ(table.RowCount(), 3);
    const std::vector<std::vector<std::string>> expected = {
        {"1", "17-03-10 21:07:12", "20.0", "50.0", "9.3"},
        {"2", "17-03-10 21:08:12", "25.0", "80.0", "21.3"},
        {"3", "17-03-10 21:09:12", "-5.5", "0.0", ""},
    };
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 5; ++c) {
            EXPECT_EQ(table.Cell(r, c), expected[static_cast<size_t>(r)][static_cast<size_t>(c)])
                << r << "," << c;
        }
        EXPECT_EQ(table.SampleIndex(r), r);
        EXPECT_EQ(table.Time(r), 1489151232 + 60 * r);
    }
    EXPECT_FLOAT_EQ(table.Values(1)[0], 25.0f);
    EXPECT_EQ(table.Cell(3, 0), "");
    EXPECT_EQ(table.Cell(0, 5), "");
    EXPECT_EQ(table.Cell(-1, 0), "");
    EXPECT_EQ(table.TotalCount(), 3);
}

TEST_F(Table, WindowSelectsAndRenumbers) {
    Load(MakeRecordImage(4, 100, 1489151232, 60), 4);
    QueryWindow w;
    w.bounded = true;
    w.from = 1489151232 + 60 * 10;
    w.to = 1489151232 + 60 * 19;
    table.Build(*set, w);
    ASSERT_EQ(table.RowCount(), 10);
    EXPECT_EQ(table.Cell(0, 0), "1");
    EXPECT_EQ(table.SampleIndex(0), 10);
    EXPECT_EQ(table.Cell(9, 0), "10");
    EXPECT_EQ(table.SampleIndex(9), 19);
    EXPECT_EQ(table.TotalCount(), 100);
}

TEST_F(Table, RebuildShowsNothingOfThePreviousRecord) {
    Load(MakeRecordImage(6, 500), 6);
    table.Build(*set, {});
    Load(MakeRecordImage(9, 4), 9);
    table.Build(*set, {});
    EXPECT_EQ(table.RowCount(), 4);
    EXPECT_EQ(table.ColumnCount(), 3);
    EXPECT_EQ(table.Cell(3, 2), "48.7");  // raw 400 + 3 * 29
    table.Clear();
    EXPECT_EQ(table.RowCount(), 0);
    EXPECT_EQ(table.Cell(0, 0), "");
}

TEST_F(Table, FullRecordOfEveryModel) {
    for (InstrumentTypeId t = 1; t <= 11; ++t) {
        Load(MakeRecordImage(t, static_cast<uint32_t>(Model(t).sampleCap)), t);
        table.Build(*set, {});
        ASSERT_EQ(table.RowCount(), Model(t).sampleCap) << t;
        const int last = table.RowCount() - 1;
        EXPECT_EQ(table.Cell(last, 0), std::to_string(table.RowCount()));
        for (int c = 2; c < table.ColumnCount(); ++c)
            EXPECT_FALSE(table.Cell(last, c).empty());
    }
}

}  // namespace
}  // namespace qx

// ---- An instrument's history ------------------------------------------------------------

namespace qx {
namespace {

using test::EveryInterval;
using test::LocalTime;
using test::MakeRecording;

std::vector<std::string> RowCells(const SampleTable& t, int row) {
    std::vector<std::string> cells;
    for (int c = 0; c < t.ColumnCount(); ++c)
        cells.emplace_back(t.Cell(row, c));
    return cells;
}

TEST(HistoryTable, GapsBetweenAndInsideRecordingsAreRowsOfTheirOwn) {
    const int64_t t = LocalTime(2017, 3, 10, 10);
    // 90 s after a 60 s sample is still in step; 91 s is a missing sample. The next recording
    // starts a day and an hour later and samples every 5 minutes.
    const InstrumentHistory history = {
        MakeRecording(4, 60, {t, t + 60, t + 150, t + 241}, {20, 21, 22, 23}),
        MakeRecording(4, 300, {t + 90061, t + 90361}, {24, 25})};
    SampleTable table;
    table.Build(history, {});
    ASSERT_EQ(table.RowCount(), 8);
    const std::vector<std::vector<std::string>> expected = {
        {"1", "17-03-10 10:00:00", "20.0"}, {"2", "17-03-10 10:01:00", "21.0"},
        {"3", "17-03-10 10:02:30", "22.0"}, {"", "间断 00:01:31", ""},
        {"4", "17-03-10 10:04:01", "23.0"}, {"", "间断 1天00:57:00", ""},
        {"5", "17-03-11 11:01:01", "24.0"}, {"6", "17-03-11 11:06:01", "25.0"}};
    for (int r = 0; r < 8; ++r)
        EXPECT_EQ(RowCells(table, r), expected[static_cast<size_t>(r)]) << r;
    EXPECT_TRUE(table.IsGap(3));
    EXPECT_TRUE(std::isnan(table.Values(3)[0]));
    EXPECT_EQ(table.Interval(3), 0);
    EXPECT_EQ(table.Time(5), t + 241);  // the sample before the gap
    EXPECT_EQ(table.Recording(6), 1);
    EXPECT_EQ(table.SampleIndex(7), 1);
    EXPECT_EQ(table.Interval(7), 300);
    EXPECT_EQ(table.SampleCount(), 6);
    EXPECT_EQ(table.TotalCount(), 6);

    // A window inside the first recording shows no gap before or after it.
    QueryWindow w;
    w.bounded = true;
    w.from = t + 60;
    w.to = t + 150;
    table.Build(history, w);
    EXPECT_EQ(table.RowCount(), 2);
    EXPECT_EQ(table.Cell(0, 0), "1");
    EXPECT_EQ(table.TotalCount(), 6);
}

TEST(HistoryTable, LatestRecordingInTheWindowChoosesTheUnits) {
    const int64_t t = LocalTime(2017, 3, 10, 10);
    // Type 5: °C and mbar, then °F and psi.
    const InstrumentHistory history = {MakeRecording(5, 60, {t}, {20}, 0x00),
                                       MakeRecording(5, 60, {t + 3600}, {30}, 0x21)};
    SampleTable table;
    table.Build(history, {});
    EXPECT_EQ(table.Columns()[2].title, "温度(℉)");
    EXPECT_EQ(table.Columns()[5].title, "气压(psi)");
    EXPECT_EQ(RowCells(table, 0), (std::vector<std::string>{"1", "17-03-10 10:00:00", "68.0",
                                                            "50.0", "48.7", "14.503"}));
    EXPECT_EQ(table.Cell(2, 2), "86.0");
    EXPECT_EQ(table.UnitsRecording(), 1);

    QueryWindow first;
    first.bounded = true;
    first.from = t;
    first.to = t + 60;
    table.Build(history, first);
    EXPECT_EQ(table.Columns()[2].title, "温度(℃)");
    EXPECT_EQ(table.Cell(0, 5), "1000.0");
    EXPECT_EQ(table.UnitsRecording(), 0);
}

TEST(HistoryTable, FlowInAnotherUnitStaysEmptyWithANote) {
    const int64_t t = LocalTime(2017, 3, 10, 10);
    InstrumentHistory history = {MakeRecording(6, 60, {t}, {20}, 0x00),        // m3/s
                                 MakeRecording(6, 60, {t + 60}, {21}, 0x40)};  // l/s
    history[0].samples[0].row.SetCh(5, 1.5f);
    history[1].samples[0].row.SetCh(5, 1500);
    SampleTable table;
    table.Build(history, {});
    ASSERT_EQ(table.Columns()[8].title, "流量(l/s)");
    EXPECT_EQ(table.Cell(0, 8), "");
    EXPECT_EQ(table.Cell(0, 2), "20.0");
    EXPECT_EQ(table.Cell(1, 8), "1500.000");
    ASSERT_EQ(table.Notes().size(), 1u);
    EXPECT_EQ(table.Notes()[0],
              "2017-03-10 10:00:00至2017-03-10 10:00:00的记录:流量的单位m3/s不能换算成l/s,"
              "没有列出");

    table.Build(InstrumentHistory{}, {});
    EXPECT_EQ(table.RowCount(), 0);
    EXPECT_EQ(table.UnitsRecording(), -1);
}

}  // namespace
}  // namespace qx
