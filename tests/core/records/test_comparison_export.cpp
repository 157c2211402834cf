#include "core/records/comparison_export.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/model/text_util.h"
#include "core/records/comparison.h"
#include "core/records/text_export.h"
#include "core/records/workbook_export.h"
#include "history_fixtures.h"
#include "xlsx_reader.h"

namespace qx {
namespace {

using test::EveryInterval;
using test::LocalTime;
using test::MakeRecording;

const int64_t kTen = LocalTime(2017, 3, 10, 10);

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Two loggers 20 s apart every 5 minutes; the second misses 10:05 and reads 22.5 and 24 °C.
Comparison TwoLoggers(int samples = 3) {
    std::vector<InstrumentHistory> h(2);
    std::vector<float> first, second;
    for (int k = 0; k < samples; ++k) {
        first.push_back(20.0f + static_cast<float>(k % 10));
        second.push_back(22.5f + static_cast<float>(k % 7));
    }
    h[0].push_back(MakeRecording(4, 300, EveryInterval(kTen, 300, samples), first));
    std::vector<int64_t> times = EveryInterval(kTen + 20, 300, samples);
    times.erase(times.begin() + 1);
    second.erase(second.begin() + 1);
    h[1].push_back(MakeRecording(1, 300, times, second));
    h[1][0].params.SetName(u"库房, 北");
    ComparisonRequest request;
    request.limits = SeriesLimits{std::nullopt, 21.0};
    return *CompareHistories(h, request);
}

TEST(ComparisonExport, TextAndCsvOfTheAlignedTable) {
    const Comparison c = TwoLoggers();
    EXPECT_EQ(ComparisonCsvBytes(c),
              "时间,QX0001 测试点(℃),\"QX0001 库房, 北(℃)\"\r\n"
              "2017-03-10T10:00:00+08:00,20.0,22.5\r\n"
              "2017-03-10T10:05:00+08:00,21.0,\r\n"
              "2017-03-10T10:10:00+08:00,22.0,24.5\r\n");
    const std::string text = ComparisonListTextBytes(c);
    std::string expected = "\xFF\xFE";
    AppendUtf16Le(expected,
                  "\"时间\",\"QX0001 测试点(℃)\",\"QX0001 库房, 北(℃)\"\r\n"
                  "17-03-10 10:00:00,20.0,22.5\r\n17-03-10 10:05:00,21.0,\r\n");
    EXPECT_EQ(text.substr(0, expected.size()), expected);

    test::TempPath csv(".csv");
    ASSERT_TRUE(ExportComparison(csv.str(), ExportFormat::Csv, c));
    EXPECT_EQ(ReadAll(csv.str()), ComparisonCsvBytes(c));
    std::string why;
    EXPECT_FALSE(ExportComparison("/nonexistent/dir/a.csv", ExportFormat::Csv, c, &why));
    EXPECT_FALSE(why.empty());
}

TEST(ComparisonExport, WorkbookSheetsReadBack) {
    const Comparison c = TwoLoggers();
    test::TempPath file(".xlsx");
    std::string why;
    ASSERT_TRUE(ExportComparison(file.str(), ExportFormat::Workbook, c, &why)) << why;

    const auto table = test::SheetCells(test::UnzipPart(file.str(), "xl/worksheets/sheet1.xml"));
    ASSERT_EQ(table.size(), 4u);
    EXPECT_EQ(table[0].at(2).value, "QX0001 库房, 北(℃)");
    EXPECT_EQ(test::SerialDateTimeText(std::stod(table[2].at(0).value)), "17-03-10 10:05:00");
    EXPECT_EQ(table[2].at(1).value, "21");
    EXPECT_EQ(table[2].count(2), 0u);  // no sample: blank
    EXPECT_EQ(table[3].at(2).value, "24.5");

    const auto figures = test::SheetCells(test::UnzipPart(file.str(), "xl/worksheets/sheet2.xml"));
    std::vector<std::string> columnA;
    for (const auto& row : figures)
        columnA.push_back(row.count(0) ? row.at(0).value : "");
    const std::vector<std::string> summary = ComparisonSummary(c);
    const auto at = std::find(columnA.begin(), columnA.end(), summary[0]);
    ASSERT_NE(at, columnA.end());
    EXPECT_EQ(columnA[static_cast<size_t>(at - columnA.begin()) + summary.size() - 1],
              summary.back());
    // The figure table: the second instrument's row holds numbers and its time outside limits.
    const auto& last = figures.back();
    EXPECT_EQ(last.at(0).value, "QX0001 库房, 北");
    EXPECT_FALSE(last.at(3).isText);
    EXPECT_EQ(last.at(3).value, "22.5");  // its minimum
    EXPECT_EQ(last.at(14).value, "600");  // two samples above 21 °C, 300 s each

    const auto settings = test::SheetCells(test::UnzipPart(file.str(), "xl/worksheets/sheet3.xml"));
    ASSERT_GT(settings.size(), 3u);
    EXPECT_EQ(settings[1].at(0).value, "仪器");
    EXPECT_EQ(settings[1].at(1).value, "QX0001 测试点");
    EXPECT_EQ(settings[2].at(0).value, "记录时段");
}

// The aligned table fills a sheet with its title row and one more row goes on in a second
// sheet of the same layout, before the figures and the settings.
TEST(ComparisonExport, RowsBeyondOneSheetGoOnInTheNext) {
    Comparison c = TwoLoggers();
    const auto fill = [&c](size_t rows) {
        c.times.resize(rows);
        for (size_t k = 0; k < rows; ++k)
            c.times[k] = kTen + static_cast<int64_t>(k) * 300;
        for (std::vector<float>& v : c.values)
            v.assign(rows, 21.5f);
    };
    const test::TempPath file(".xlsx");
    int sheets = 0;
    std::string why;
    fill(kSheetRows - 1);
    ASSERT_TRUE(WriteComparisonWorkbook(file.str(), c, &why, &sheets)) << why;
    EXPECT_EQ(sheets, 1);
    EXPECT_EQ(test::UnzipPart(file.str(), "xl/workbook.xml").find("(2)"), std::string::npos);

    fill(kSheetRows);
    c.values[1].back() = 30.5f;
    ASSERT_TRUE(WriteComparisonWorkbook(file.str(), c, &why, &sheets)) << why;
    EXPECT_EQ(sheets, 2);
    EXPECT_NE(test::UnzipPart(file.str(), "xl/workbook.xml").find("name=\"对比数据 (2)\""),
              std::string::npos);
    const auto second = test::SheetCells(test::UnzipPart(file.str(), "xl/worksheets/sheet2.xml"));
    ASSERT_EQ(second.size(), 2u);
    EXPECT_EQ(second[0].at(0).value, "时间");
    EXPECT_EQ(second[1].at(2).value, "30.5");
    EXPECT_NE(test::UnzipPart(file.str(), "xl/worksheets/sheet3.xml").find("对齐间隔(秒)"),
              std::string::npos);
}

// A damaged workbook (a sheet cut short by a full disk) is never reported as written and
// leaves the file that was there.
TEST(ComparisonExport, CutShortWorkbookIsRefused) {
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("qx-compare-limit-" + std::to_string(::getpid()));
    std::filesystem::create_directory(dir);
    const std::string target = (dir / "a.xlsx").string();
    ASSERT_TRUE(WriteComparisonWorkbook(target, TwoLoggers()));
    const std::string before = ReadAll(target);
    const Comparison big = TwoLoggers(40000);
    std::string why;
    EXPECT_FALSE(test::WithFileSizeLimit(
        1 << 20, [&] { return WriteComparisonWorkbook(target, big, &why); }));
    EXPECT_FALSE(why.empty());
    EXPECT_TRUE(ReadAll(target) == before);
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        names.push_back(entry.path().filename().string());
    EXPECT_EQ(names, std::vector<std::string>{"a.xlsx"});
    std::filesystem::remove_all(dir);
}

TEST(ComparisonExport, JsonOfTheFigures) {
    const std::string json = ComparisonJson(TwoLoggers());
    const std::string head =
        "{\"series\": \"temp\", \"title\": \"温度(℃)\", \"unit\": \"℃\", \"query\": \"所有\", "
        "\"step_s\": 300, \"limits\": {\"high\": 21}, \"instruments\": [{\"label\": ";
    EXPECT_EQ(json.substr(0, head.size()), head);
    EXPECT_NE(json.find("\"name\": \"库房, 北\", \"interval_s\": 300, \"samples\": 2, "
                        "\"missing\": 0, \"min\": 22.5, \"min_time\": "
                        "\"2017-03-10T10:00:20+08:00\""),
              std::string::npos)
        << json;
    EXPECT_NE(json.find("\"source\": \"user\", \"below_s\": 0, \"above_s\": 600, "
                        "\"outside_s\": 600}"),
              std::string::npos);
    EXPECT_NE(json.find("\"highest_mean\": {\"instrument\": 1, \"value\": 23.500}"),
              std::string::npos);
    EXPECT_NE(json.find("\"largest_spread\": {\"value\": 2.5, \"time\": "
                        "\"2017-03-10T10:00:00+08:00\", \"high\": 1, \"low\": 0}}"),
              std::string::npos)
        << json;
}

}  // namespace
}  // namespace qx
