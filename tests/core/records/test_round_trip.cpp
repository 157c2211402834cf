// Every model end to end: a simulated instrument's recording is downloaded, saved, read back,
// decoded, tabled and exported, and each step is checked against the values the simulator
// recorded.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>

#include "core/link/link_fixture.h"
#include "core/model/local_time.h"
#include "core/model/text_util.h"
#include "core/records/record_export.h"
#include "core/records/record_file.h"
#include "core/records/record_query.h"
#include "core/records/record_set.h"
#include "core/records/sample_table.h"
#include "core/records/text_export.h"
#include "core/records/workbook_export.h"
#include "record_fixtures.h"
#include "xlsx_reader.h"

namespace qx {
namespace {

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
        lines.push_back(text.substr(start, end - start));
    }
    EXPECT_EQ(start, text.size()) << "every line ends with CR LF";
    return lines;
}

std::string Joined(const SampleTable& table, int row) {
    std::string s;
    for (int c = 0; c < table.ColumnCount(); ++c) {
        if (c) s += ',';
        s += table.Cell(row, c);
    }
    return s;
}

// Downloads the simulator's recording into a record file; returns the true samples.
std::vector<TrueSample> Download(test::Bench& bench, const std::string& path) {
    EXPECT_TRUE(bench.Connect());
    const std::vector<TrueSample> truth = bench.Sim().TrueSamples();
    EXPECT_EQ(bench.commands.RequestDownload(), CommandResult::kDone);
    EXPECT_TRUE(bench.commands.DownloadTimerTick());
    auto image = std::make_unique<RecordImage>();
    const DownloadResult r = bench.commands.ReceiveData(*image, {});
    EXPECT_EQ(r.status, DownloadStatus::kOk);
    EXPECT_EQ(r.fetched, truth.size());
    EXPECT_TRUE(SaveRecordFile(path, *image, bench.state.type).ok);
    return truth;
}

class RoundTrip : public ::testing::TestWithParam<InstrumentTypeId> {};

TEST_P(RoundTrip, DownloadFileDecodeTableAndExports) {
    const InstrumentTypeId type = GetParam();
    test::Bench bench({type});
    test::TempPath file(".QXRec"), text(".txt"), csv(".csv"), book(".xlsx");
    const std::vector<TrueSample> truth = Download(bench, file.str());
    ASSERT_FALSE(truth.empty());

    // File -> read -> decode: the instrument's values and times.
    RecordImage image;
    auto set = std::make_unique<RecordSet>();
    const RecordFileResult opened = OpenRecordFile(file.str(), image, *set);
    ASSERT_TRUE(opened.ok);
    EXPECT_FALSE(opened.incomplete);
    EXPECT_EQ(opened.type, type);
    ASSERT_EQ(set->count, static_cast<int32_t>(truth.size()));
    const uint8_t mask = ChannelMask(type);
    for (int32_t k = 0; k < set->count; ++k) {
        const TrueSample& t = truth[static_cast<size_t>(k)];
        ASSERT_EQ(SampleTime(*set, k), static_cast<int32_t>(t.time)) << type << " sample " << k;
        for (int ch = 0; ch < 7; ++ch) {
            if (ch == 5 || !(mask & (1 << ch) || (ch == 6 && (mask & kChFormaldehyde)))) continue;
            ASSERT_EQ(set->rows[static_cast<size_t>(k)].Ch(ch), t.ch[static_cast<size_t>(ch)])
                << type << " sample " << k << " channel " << ch;
        }
    }

    // Table: every sample, numbered, stamped and valued from the true samples.
    SampleTable table;
    table.Build(*set, {});
    ASSERT_EQ(table.RowCount(), set->count);
    const RecordUnits units = RecordUnitsOf(set->Params().UnitByte(), type);
    for (int r = 0; r < table.RowCount(); ++r) {
        const TrueSample& t = truth[static_cast<size_t>(r)];
        EXPECT_EQ(table.Cell(r, 0), std::to_string(r + 1));
        EXPECT_EQ(table.Cell(r, 1), FormatLocalTime(t.time, "%y-%m-%d %H:%M:%S"));
        SampleRow row = set->rows[static_cast<size_t>(r)];
        for (int ch = 0; ch < 7; ++ch) {
            if (ch != 5) row.SetCh(ch, t.ch[static_cast<size_t>(ch)]);
        }
        const SeriesValues v = ComputeSeries(row, units);
        for (int c = 2; c < table.ColumnCount(); ++c) {
            const int s = table.Columns()[static_cast<size_t>(c)].series;
            EXPECT_EQ(table.Cell(r, c), CellText(s, v[static_cast<size_t>(s)], units))
                << type << " row " << r << " series " << s;
        }
    }

    // Exports: the same rows in the UTF-16 text, the CSV and the workbook.
    const std::vector<ParamListRow> params = RecordParamRows(*set);
    ASSERT_TRUE(ExportSampleTable(text.str(), ExportFormatForPath(text.str()), table, params));
    ASSERT_TRUE(ExportSampleTable(csv.str(), ExportFormat::Csv, table, params));
    ASSERT_TRUE(ExportSampleTable(book.str(), ExportFormatForPath(book.str()), table, params));

    const std::string utf16 = ReadAll(text.str());
    ASSERT_EQ(utf16.substr(0, 2), "\xFF\xFE");
    std::u16string units16(utf16.size() / 2 - 1, u'\0');
    for (size_t i = 0; i < units16.size(); ++i) {
        units16[i] = static_cast<char16_t>(static_cast<uint8_t>(utf16[2 + 2 * i]) |
                                           (static_cast<uint8_t>(utf16[3 + 2 * i]) << 8));
    }
    const std::vector<std::string> textLines = Lines(Utf16ToUtf8(units16));
    ASSERT_EQ(textLines.size(), params.size() + 1 + truth.size());
    EXPECT_EQ(textLines[0], params[0].label + "," + params[0].text);
    EXPECT_TRUE(textLines[params.size()].starts_with("\"记录\",\"时间\","))
        << textLines[params.size()];

    const std::vector<std::string> csvLines = Lines(ReadAll(csv.str()));
    ASSERT_EQ(csvLines.size(), truth.size() + 1);

    const auto sheet = test::SheetCells(test::UnzipPart(book.str(), "xl/worksheets/sheet1.xml"));
    ASSERT_EQ(sheet.size(), truth.size() + 1);
    const auto paramSheet =
        test::SheetCells(test::UnzipPart(book.str(), "xl/worksheets/sheet2.xml"));
    ASSERT_EQ(paramSheet.size(), params.size() + 1);

    for (int r = 0; r < table.RowCount(); ++r) {
        const size_t i = static_cast<size_t>(r);
        EXPECT_EQ(textLines[params.size() + 1 + i], Joined(table, r));
        std::string csvRow = Joined(table, r);
        const std::string time(table.Cell(r, 1));
        std::tm tm = LocalCalendar(truth[i].time);
        char iso[40];
        std::strftime(iso, sizeof iso, "%Y-%m-%dT%H:%M:%S+08:00", &tm);
        csvRow.replace(csvRow.find(time), time.size(), iso);
        EXPECT_EQ(csvLines[1 + i], csvRow);
        EXPECT_FALSE(sheet[1 + i].at(1).isText);
        EXPECT_EQ(test::SerialDateTimeText(std::stod(sheet[1 + i].at(1).value)), time);
        for (int c = 0; c < table.ColumnCount(); ++c) {
            if (c == 1) continue;
            const std::string cell(table.Cell(r, c));
            ASSERT_TRUE(sheet[1 + i].count(c)) << type << " row " << r << " col " << c;
            EXPECT_DOUBLE_EQ(std::stod(sheet[1 + i].at(c).value), std::stod(cell));
        }
    }
    for (size_t p = 0; p < params.size(); ++p) {
        const auto& row = paramSheet[p + 1];
        EXPECT_EQ(row.at(0).value, params[p].label);
        EXPECT_EQ(row.count(1) ? row.at(1).value : "", params[p].text);
    }
}

INSTANTIATE_TEST_SUITE_P(EveryModel, RoundTrip, ::testing::Range(1, 12),
                         [](const auto& info) { return ModelName(info.param); });

// Model 2's cyclic memory after it has wrapped: the kept samples start m intervals after the
// recording's start, and the decoded times must say so.
TEST(RoundTripCyclic, WrappedRecordingOfModel2) {
    test::Bench bench({2});
    ParamBlock settings = bench.Sim().SetParams();
    settings.SetU16(param::kRecordCountSetting, 0xFFFF);
    bench.Sim().SetSetParams(settings);
    RecordingPlan plan;
    plan.samples = 2 * 21378 + 100;  // wrapped twice, 100 samples into the third round
    plan.intervalValue = 1;
    plan.intervalUnit = 1;
    plan.countSetting = 0xFFFF;
    plan.running = false;
    bench.Sim().StartRecording(plan);
    test::TempPath file(".QXRec");
    const std::vector<TrueSample> truth = Download(bench, file.str());
    ASSERT_EQ(truth.size(), 21352u);

    RecordImage image;
    auto set = std::make_unique<RecordSet>();
    ASSERT_TRUE(OpenRecordFile(file.str(), image, *set).ok);
    ASSERT_EQ(set->count, 21352);
    EXPECT_EQ(set->Params().StoredCount(), 100);
    EXPECT_EQ(SampleClockOf(set->Params(), 2).firstOffset, 21378u * 2 + 100 - 16 - 21336);
    for (int32_t k = 0; k < set->count; k += 97) {
        ASSERT_EQ(SampleTime(*set, k), static_cast<int32_t>(truth[static_cast<size_t>(k)].time))
            << k;
        ASSERT_EQ(set->rows[static_cast<size_t>(k)].Ch(0), truth[static_cast<size_t>(k)].ch[0]);
    }
    EXPECT_EQ(SampleTime(*set, set->count - 1), static_cast<int32_t>(truth.back().time));
}

}  // namespace
}  // namespace qx
