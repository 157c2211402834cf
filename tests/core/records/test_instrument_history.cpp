#include "core/records/instrument_history.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/records/record_export.h"
#include "core/records/sample_table.h"
#include "core/records/text_export.h"
#include "history_fixtures.h"
#include "xlsx_reader.h"

namespace qx {
namespace {

using test::EveryInterval;
using test::LocalTime;
using test::MakeRecording;

const int64_t kTen = LocalTime(2017, 3, 10, 10);

// Above the fixtures' 40 °C: two samples of a 60 s recording, then after a gap one of a 300 s
// recording; the gap ends the first excursion.
InstrumentHistory TwoRecordingsAboveTheLimit() {
    return {MakeRecording(4, 60, EveryInterval(kTen, 60, 3), {20, 41, 42}),
            MakeRecording(4, 300, EveryInterval(kTen + 3600, 300, 2), {45, 20})};
}

TEST(HistoryStatistics, EachSampleCountsItsOwnIntervalAndGapsEndExcursions) {
    const InstrumentHistory history = TwoRecordingsAboveTheLimit();
    SampleTable table;
    table.Build(history, {});
    ASSERT_EQ(table.RowCount(), 6);  // one gap row
    const RecordStatistics rs = ComputeHistoryStatistics(history, table, "所有");
    EXPECT_EQ(rs.samples, 5);
    EXPECT_EQ(rs.total, 5);
    EXPECT_EQ(rs.interval, 300);
    EXPECT_EQ(rs.last, kTen + 3900);
    EXPECT_EQ(rs.number, "QX0001");
    const SeriesStatistics& t = rs.series[0];
    EXPECT_EQ(t.count, 5);
    EXPECT_EQ(t.missing, 0);  // the gap row is no missing value
    EXPECT_DOUBLE_EQ(t.mean, 33.6);
    ASSERT_TRUE(t.limits);
    EXPECT_EQ(t.limits->above.samples, 3);
    EXPECT_EQ(t.limits->above.seconds, 60 + 60 + 300);
    ASSERT_EQ(t.limits->excursions.size(), 2u);
    EXPECT_EQ(t.limits->excursions[0].seconds, 120);
    EXPECT_EQ(t.limits->excursions[0].end, kTen + 120);
    EXPECT_EQ(t.limits->excursions[1].seconds, 300);
    EXPECT_EQ(t.limits->longest, 0);
    EXPECT_EQ(HistoryHeaderText(history, table), "编号:QX0001 测量名:测试点 ");
}

TEST(HistoryStatistics, LimitsFollowTheTableTemperatureUnit) {
    // The latest recording is in °F: its 0..40 °C limits are 32..104 °F, and the earlier
    // recording's 41 °C (105.8 °F) lies above them.
    const InstrumentHistory history = {MakeRecording(4, 60, {kTen}, {41}, 0x00),
                                       MakeRecording(4, 60, {kTen + 60}, {39}, 0x01)};
    SampleTable table;
    table.Build(history, {});
    const SeriesStatistics t = ComputeHistoryStatistics(history, table, "所有").series[0];
    EXPECT_EQ(t.limits->limits, (SeriesLimits{32.0, 104.0}));
    EXPECT_EQ(t.limits->above.samples, 1);
    EXPECT_DOUBLE_EQ(t.max, 105.8);
}

TEST(HistorySettings, RecordingsInTheWindowWithTheirPeriods) {
    const InstrumentHistory history = TwoRecordingsAboveTheLimit();
    QueryWindow w;
    w.bounded = true;
    w.from = kTen + 60;
    w.to = kTen + 3600;
    const std::vector<RecordingSettings> settings = HistorySettings(history, w);
    ASSERT_EQ(settings.size(), 2u);
    EXPECT_EQ(settings[0].samples, 2);
    EXPECT_EQ(settings[1].samples, 1);
    EXPECT_EQ(settings[1].recording, 1);
    const std::vector<ParamListRow> rows = HistoryParamRows(settings);
    const size_t perRecording = settings[0].rows.size() + 1;
    ASSERT_EQ(rows.size(), 2 * perRecording);
    EXPECT_EQ(rows[0].label, "记录时段");
    EXPECT_EQ(rows[0].text, "17-03-10 10:00:00 - 17-03-10 10:02:00");
    EXPECT_EQ(rows[perRecording].text, "17-03-10 11:00:00 - 17-03-10 11:05:00");
    EXPECT_EQ(rows[2].text, "QX0001");  // the parameter list: address, number, ...

    w.from = kTen + 121;  // just past the first recording
    EXPECT_EQ(HistorySettings(history, w).size(), 1u);
    w.to = kTen + 3599;  // and just before the second
    EXPECT_TRUE(HistorySettings(history, w).empty());
}

TEST(HistoryExport, GapRowsInEveryFormat) {
    const InstrumentHistory history = TwoRecordingsAboveTheLimit();
    SampleTable table;
    table.Build(history, {});
    const std::string csv = CsvBytes(table);
    EXPECT_NE(csv.find("+08:00,42.0\r\n,,\r\n4,2017-03-10T11:00:00+08:00,45.0\r\n"),
              std::string::npos);

    const std::vector<ParamListRow> params = HistoryParamRows(HistorySettings(history, {}));
    test::TempPath file(".xlsx");
    std::string why;
    ASSERT_TRUE(ExportSampleTable(file.str(), ExportFormat::Workbook, table, params, nullptr, &why))
        << why;
    const auto samples = test::SheetCells(test::UnzipPart(file.str(), "xl/worksheets/sheet1.xml"));
    ASSERT_EQ(samples.size(), 7u);
    ASSERT_EQ(samples[4].size(), 1u);  // the gap: only its text
    EXPECT_EQ(samples[4].at(1).value, "间断 00:58:00");
    EXPECT_EQ(samples[5].at(0).value, "4");
    const auto settings = test::SheetCells(test::UnzipPart(file.str(), "xl/worksheets/sheet2.xml"));
    ASSERT_EQ(settings.size(), params.size() + 1);
    EXPECT_EQ(settings[1].at(0).value, "记录时段");
}

}  // namespace
}  // namespace qx
