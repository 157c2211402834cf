#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>

#include "core/model/text_util.h"
#include "core/records/record_export.h"
#include "core/records/record_file.h"
#include "core/records/record_set.h"
#include "core/records/sample_decoding.h"
#include "core/records/sample_table.h"
#include "core/records/table_pieces.h"
#include "core/records/text_export.h"
#include "core/records/workbook_export.h"
#include "history_fixtures.h"
#include "record_fixtures.h"
#include "xlsx_reader.h"

namespace qx {
namespace {

using test::MakeRecordImage;
using test::TempPath;

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string Utf16LeBytes(std::u16string_view s) {
    std::string out;
    for (char16_t u : s) {
        out += static_cast<char>(u & 0xFF);
        out += static_cast<char>(u >> 8);
    }
    return out;
}

class Export : public ::testing::Test {
  protected:
    // Three type-1 samples a minute apart from 2017-03-10 21:07:12 +08:00: 20.0 °C 50.0 %,
    // 25.0 °C 80.0 %, and -5.5 °C 0.0 % whose dew point is undefined.
    void SetUp() override {
        RecordImage image = MakeRecordImage(1, 3, 1489151232, 60);
        test::PutPacked(image.Samples(), 600, 500);
        test::PutPacked(image.Samples() + 3, 650, 800);
        test::PutPacked(image.Samples() + 6, 345, 0);
        DecodeRecord(image, *set, 1);
        table.Build(*set, {});
    }
    std::unique_ptr<RecordSet> set = std::make_unique<RecordSet>();
    SampleTable table;
    const std::vector<ParamListRow> params = {{"仪器编号", "O'Neil"}, {"测量名称", "a,b"}};
};

TEST_F(Export, ListTextBytes) {
    const std::u16string expected =
        u"\uFEFF"
        u"仪器编号,O'Neil\r\n"
        u"测量名称,a,b\r\n"
        u"\"记录\",\"时间\",\"温度(℃)\",\"湿度(%RH)\",\"露点(℃)\"\r\n"
        u"1,17-03-10 21:07:12,20.0,50.0,9.3\r\n"
        u"2,17-03-10 21:08:12,25.0,80.0,21.3\r\n"
        u"3,17-03-10 21:09:12,-5.5,0.0,\r\n";
    EXPECT_EQ(ListTextBytes(table, params), Utf16LeBytes(expected));
    TempPath file(".txt");
    ASSERT_TRUE(WriteListText(file.str(), table, params));
    EXPECT_EQ(ReadAll(file.str()), Utf16LeBytes(expected));
}

TEST_F(Export, EmptyListStillHasItsHeaderLine) {
    QueryWindow none;
    none.bounded = true;
    none.from = 0;
    none.to = 1;
    table.Build(*set, none);
    EXPECT_EQ(ListTextBytes(table, {}),
              Utf16LeBytes(u"\uFEFF\"记录\",\"时间\",\"温度(℃)\",\"湿度(%RH)\",\"露点(℃)\"\r\n"));
    EXPECT_EQ(CsvBytes(table), "记录,时间,温度(℃),湿度(%RH),露点(℃)\r\n");
}

TEST_F(Export, CsvBytes) {
    EXPECT_EQ(CsvBytes(table),
              "记录,时间,温度(℃),湿度(%RH),露点(℃)\r\n"
              "1,2017-03-10T21:07:12+08:00,20.0,50.0,9.3\r\n"
              "2,2017-03-10T21:08:12+08:00,25.0,80.0,21.3\r\n"
              "3,2017-03-10T21:09:12+08:00,-5.5,0.0,\r\n");
}

// A record started in September 2039 lists, charts and exports 2039; one whose clock ends at
// the last unsigned second runs on into 2106-02-07 rather than back to 1970.
TEST(ExportTimes, PastThe32BitSecondLimits) {
    auto set = std::make_unique<RecordSet>();
    const auto start2039 = static_cast<uint32_t>(test::LocalTime(2039, 9, 1, 8));
    DecodeRecord(MakeRecordImage(1, 2, start2039, 60), *set, 1);
    SampleTable table;
    table.Build(*set, {});
    EXPECT_EQ(table.Cell(1, 1), "39-09-01 08:01:00");
    EXPECT_NE(CsvBytes(table).find("\r\n2,2039-09-01T08:01:00+08:00,"), std::string::npos);

    DecodeRecord(MakeRecordImage(1, 3, 0xFFFFFFFFu - 60, 60), *set, 1);
    table.Build(*set, {});
    EXPECT_EQ(table.Time(2), int64_t{0xFFFFFFFFu} + 60);
    EXPECT_EQ(table.Cell(0, 1), "06-02-07 14:27:15");
    EXPECT_EQ(table.Cell(2, 1), "06-02-07 14:29:15");
    const std::string csv = CsvBytes(table);
    EXPECT_NE(csv.find("3,2106-02-07T14:29:15+08:00,"), std::string::npos) << csv;
    const std::string list = ListTextBytes(table, {});
    EXPECT_NE(list.find(Utf16LeBytes(u"3,06-02-07 14:29:15,")), std::string::npos);
}

TEST_F(Export, WorkbookHoldsBothSheets) {
    TempPath file(".xlsx");
    ASSERT_TRUE(WriteWorkbook(file.str(), table, params));
    const std::string book = test::UnzipPart(file.str(), "xl/workbook.xml");
    const size_t samples = book.find("name=\"数据记录\"");
    const size_t paramsAt = book.find("name=\"参数表\"");
    ASSERT_NE(samples, std::string::npos) << book;
    ASSERT_NE(paramsAt, std::string::npos);
    EXPECT_LT(samples, paramsAt);

    const auto rows = test::SheetCells(test::UnzipPart(file.str(), "xl/worksheets/sheet1.xml"));
    const std::string styles = test::UnzipPart(file.str(), "xl/styles.xml");
    ASSERT_EQ(rows.size(), 4u);
    for (int c = 0; c < 5; ++c) {
        EXPECT_TRUE(rows[0].at(c).isText);
        EXPECT_EQ(rows[0].at(c).value, table.Columns()[static_cast<size_t>(c)].title);
    }
    for (int r = 0; r < 3; ++r) {
        const auto& row = rows[static_cast<size_t>(r) + 1];
        EXPECT_FALSE(row.at(0).isText);
        EXPECT_EQ(std::stod(row.at(0).value), r + 1);
        // The time: a date-time number of the local time, shown as the list shows it.
        EXPECT_FALSE(row.at(1).isText);
        EXPECT_DOUBLE_EQ(std::stod(row.at(1).value),
                         42804.0 + (21 * 3600 + (7 + r) * 60 + 12) / 86400.0);
        EXPECT_EQ(test::NumberFormatOf(styles, row.at(1).style), "yy-mm-dd hh:mm:ss");
        EXPECT_EQ(test::NumberFormatOf(styles, row.at(0).style), "") << "numbers keep theirs";
        for (int c = 2; c < 5; ++c) {
            if (table.Cell(r, c).empty()) {
                EXPECT_EQ(row.count(c), 0u) << "undefined values stay blank";
                continue;
            }
            EXPECT_FALSE(row.at(c).isText);
            EXPECT_DOUBLE_EQ(std::stod(row.at(c).value), std::stod(std::string(table.Cell(r, c))));
        }
    }

    const auto prows = test::SheetCells(test::UnzipPart(file.str(), "xl/worksheets/sheet2.xml"));
    ASSERT_EQ(prows.size(), 3u);
    EXPECT_EQ(prows[0].at(0).value, "记录的参数");
    EXPECT_EQ(prows[0].at(1).value, "内容");
    EXPECT_EQ(prows[1].at(0).value, "仪器编号");
    EXPECT_EQ(prows[1].at(1).value, "O'Neil");  // apostrophes written as they stand
    EXPECT_TRUE(prows[1].at(1).isText);
    EXPECT_EQ(prows[2].at(1).value, "a,b");
}

TEST_F(Export, RoutesByExtension) {
    EXPECT_EQ(ExportFormatForPath("/d/a.xls"), ExportFormat::Workbook);
    EXPECT_EQ(ExportFormatForPath("/d/a.XLS"), ExportFormat::Workbook);
    EXPECT_EQ(ExportFormatForPath("/d/a.xlsx"), ExportFormat::Workbook);
    EXPECT_EQ(ExportFormatForPath("/d/a.XlSx"), ExportFormat::Workbook);
    EXPECT_EQ(ExportFormatForPath("/d/a.txt"), ExportFormat::Text);
    EXPECT_EQ(ExportFormatForPath("/d/a.csv"), ExportFormat::Text);
    EXPECT_EQ(ExportFormatForPath("/d/a.xlsm"), ExportFormat::Text);
    EXPECT_EQ(ExportFormatForPath("/d/a"), ExportFormat::None);
    EXPECT_EQ(ExportFormatForPath("/d/.xls"), ExportFormat::None);
    EXPECT_EQ(ExportFormatForPath("/d.e/a"), ExportFormat::None);
    EXPECT_EQ(ExportFormatForPath("a.txt"), ExportFormat::Text);
    EXPECT_EQ(ProposedExportPath("/data/DAT", "/r/2017-03.春季.QXRec"),
              "/data/DAT/2017-03.春季.xlsx");
    EXPECT_EQ(ProposedExportPath("/data/DAT", "/r/plain"), "/data/DAT/plain.xlsx");
    EXPECT_EQ(ExportSucceededMessage("/a.xlsx"), "文件:/a.xlsx\n导出成功!");
    EXPECT_EQ(ExportFailedMessage("/a.txt"), "文件:/a.txt\n导出失败!");
}

TEST_F(Export, ExportingTwiceReplacesTheFile) {
    TempPath file(".txt");
    ASSERT_TRUE(ExportSampleTable(file.str(), ExportFormat::Text, table, params));
    ASSERT_TRUE(ExportSampleTable(file.str(), ExportFormat::Text, table, {}));
    EXPECT_EQ(ReadAll(file.str()), ListTextBytes(table, {}));
    ASSERT_TRUE(ExportSampleTable(file.str(), ExportFormat::Csv, table, params));
    EXPECT_EQ(ReadAll(file.str()), CsvBytes(table));
    EXPECT_FALSE(ExportSampleTable(file.str(), ExportFormat::None, table, params));
}

TEST_F(Export, FailedExportKeepsTheFileThatWasThere) {
    TempPath text(".txt");
    ASSERT_TRUE(WriteListText(text.str(), table, params));
    const std::string before = ReadAll(text.str());

    // A file size limit makes the larger export fail half-way.
    auto big = std::make_unique<RecordSet>();
    DecodeRecord(MakeRecordImage(1, 21000), *big, 1);
    SampleTable bigTable;
    bigTable.Build(*big, {});
    const bool textOk =
        test::WithFileSizeLimit(8192, [&] { return WriteListText(text.str(), bigTable, params); });
    const bool csvOk =
        test::WithFileSizeLimit(8192, [&] { return WriteCsv(text.str(), bigTable); });
    EXPECT_FALSE(textOk);
    EXPECT_FALSE(csvOk);
    EXPECT_EQ(ReadAll(text.str()), before);

    // A workbook that cannot take the target's place leaves it and no temporary file.
    const std::filesystem::path dir = std::filesystem::path(text.str()).parent_path() /
                                      ("qx-export-dir-" + std::to_string(::getpid()));
    std::filesystem::create_directory(dir);
    EXPECT_FALSE(WriteWorkbook(dir.string(), table, params));
    EXPECT_TRUE(std::filesystem::is_directory(dir));
    for (const auto& entry : std::filesystem::directory_iterator(dir.parent_path())) {
        EXPECT_EQ(entry.path().filename().string().find("." + dir.filename().string()),
                  std::string::npos);
    }
    std::filesystem::remove(dir);
    EXPECT_FALSE(WriteWorkbook("/nonexistent/dir/a.xlsx", table, params));
    EXPECT_FALSE(WriteListText("/nonexistent/dir/a.txt", table, params));
}

// The workbook library keeps the sheet's rows in temporary files and does not notice when
// writing them fails; with files limited to 1 MB its sheet part is cut short while the zip
// around it stays small enough to be written without an error from the library.
TEST_F(Export, WorkbookWithCutShortPartsIsRefused) {
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("qx-export-limit-" + std::to_string(::getpid()));
    std::filesystem::create_directory(dir);
    const std::string target = (dir / "a.xlsx").string();
    ASSERT_TRUE(WriteWorkbook(target, table, params));
    const std::string before = ReadAll(target);

    auto big = std::make_unique<RecordSet>();
    DecodeRecord(MakeRecordImage(1, 21000), *big, 1);
    SampleTable bigTable;
    bigTable.Build(*big, {});
    std::string why;
    const bool ok = test::WithFileSizeLimit(
        1 << 20, [&] { return WriteWorkbook(target, bigTable, params, nullptr, &why); });
    EXPECT_FALSE(ok);
    EXPECT_NE(why.find("工作簿已损坏: xl/worksheets/sheet1.xml"), std::string::npos) << why;
    EXPECT_TRUE(ReadAll(target) == before) << "the old workbook stays";
    std::string recordWhy;
    RecordImage image = MakeRecordImage(1, 21000);
    EXPECT_FALSE(test::WithFileSizeLimit(
        4096, [&] { return WriteRecordFile((dir / "a.QXRec").string(), image, 1, &recordWhy); }));
    EXPECT_EQ(recordWhy, "不能写入 " + (dir / "a.QXRec").string() + ": 文件过大");

    // Nothing but the old workbook is left in the folder.
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        names.push_back(entry.path().filename().string());
    EXPECT_EQ(names, std::vector<std::string>{"a.xlsx"});
    std::filesystem::remove_all(dir);
}

TEST(ExportRecord, ParameterRowsOfTheRecord) {
    auto set = std::make_unique<RecordSet>();
    DecodeRecord(MakeRecordImage(8, 5), *set, 8);
    const std::vector<ParamListRow> rows = RecordParamRows(*set);
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(rows[1].label, "仪器编号");
    EXPECT_EQ(rows[1].text, "QX0001");
    bool co2 = false;
    for (const ParamListRow& r : rows)
        co2 = co2 || (r.label == "CO2报警值" && r.text == "1000 ppm");
    EXPECT_TRUE(co2);
}

// The workbook and the text export carry the same rows for every model.
TEST(ExportRecord, WorkbookMatchesTextForEveryModel) {
    auto set = std::make_unique<RecordSet>();
    SampleTable table;
    for (InstrumentTypeId t = 1; t <= 11; ++t) {
        DecodeRecord(MakeRecordImage(t, 40), *set, t);
        table.Build(*set, {});
        TempPath file(".xlsx");
        ASSERT_TRUE(WriteWorkbook(file.str(), table, RecordParamRows(*set)));
        const auto rows = test::SheetCells(test::UnzipPart(file.str(), "xl/worksheets/sheet1.xml"));
        ASSERT_EQ(rows.size(), 41u) << t;
        for (int r = 0; r < 40; ++r) {
            for (int c = 0; c < table.ColumnCount(); ++c) {
                const std::string cell(table.Cell(r, c));
                const test::XlsxCell& x = rows[static_cast<size_t>(r) + 1].at(c);
                if (c == 1) {
                    EXPECT_EQ(test::SerialDateTimeText(std::stod(x.value)), cell);
                } else {
                    EXPECT_DOUBLE_EQ(std::stod(x.value), std::stod(cell))
                        << t << " " << r << " " << c;
                }
            }
        }
    }
}

// A history of one temperature-only logger with n samples 10 s apart, handed out in pieces
// of 65,536 samples made as they are asked for: memory holds one piece.
TablePieces GeneratedHistory(int64_t n, SampleTable& piece) {
    const RecordUnits units = RecordUnitsOf(0, 4);
    TableContinuation none;
    piece.BuildPiece({}, {}, units, 0, {}, {}, none);
    TablePieces pieces;
    pieces.columns.assign(piece.Columns().begin(), piece.Columns().end());
    pieces.read = [n, units, &piece](const TablePieces::Each& each, std::string*) {
        constexpr int64_t kPiece = 65536;
        const int indexes[] = {0};
        const int64_t intervals[] = {10};
        TableContinuation at;
        for (int64_t k = 0; k < n; k += kPiece) {
            const int count = static_cast<int>(std::min(kPiece, n - k));
            std::vector<float> temperatures(static_cast<size_t>(count), 21.5f);
            const InstrumentHistory history = {test::MakeRecording(
                4, 10, test::EveryInterval(1489151232 + k * 10, 10, count), temperatures)};
            piece.BuildPiece(history, {}, units, 0, indexes, intervals, at);
            if (!each(piece)) return false;
        }
        return true;
    };
    return pieces;
}

// A sheet holds 1,048,576 rows with its title row: one sample more goes on in a second sheet
// of the same layout, and the summary says so.
TEST(WorkbookSheets, RowsBeyondOneSheetGoOnInTheNext) {
    SampleTable piece;
    TempPath file(".xlsx");
    int sheets = 0;
    std::string why;
    ASSERT_TRUE(WriteWorkbook(file.str(), GeneratedHistory(kSheetRows - 1, piece), {}, nullptr,
                              &why, &sheets))
        << why;
    EXPECT_EQ(sheets, 1);
    EXPECT_EQ(test::UnzipPart(file.str(), "xl/workbook.xml").find("(2)"), std::string::npos);

    ASSERT_TRUE(
        WriteWorkbook(file.str(), GeneratedHistory(kSheetRows, piece), {}, nullptr, &why, &sheets))
        << why;
    EXPECT_EQ(sheets, 2);
    const std::string book = test::UnzipPart(file.str(), "xl/workbook.xml");
    EXPECT_NE(book.find("name=\"数据记录\""), std::string::npos);
    EXPECT_NE(book.find("name=\"数据记录 (2)\""), std::string::npos);
    const auto second = test::SheetCells(test::UnzipPart(file.str(), "xl/worksheets/sheet2.xml"));
    ASSERT_EQ(second.size(), 2u);
    EXPECT_EQ(second[0].at(0).value, "记录");
    EXPECT_EQ(second[0].at(2).value, "温度(℃)");
    EXPECT_EQ(second[1].at(0).value, "1048576");
    EXPECT_EQ(second[1].at(2).value, "21.5");
    // The settings sheet comes after the rows' sheets.
    EXPECT_NE(test::UnzipPart(file.str(), "xl/worksheets/sheet3.xml").find("记录的参数"),
              std::string::npos);

    EXPECT_EQ(ExportSucceededMessage("/a.xlsx", kSampleSheetName, 1), "文件:/a.xlsx\n导出成功!");
    EXPECT_EQ(ExportSucceededMessage("/a.xlsx", kSampleSheetName, 3),
              "文件:/a.xlsx\n导出成功!\n数据分在 3 个工作表中: 数据记录 到 数据记录 (3)");
}

}  // namespace
}  // namespace qx
