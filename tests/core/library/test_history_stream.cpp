#include "core/library/history_stream.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <limits>
#include <memory>

#include "core/records/sample_table.h"
#include "core/records/text_export.h"
#include "core/records/workbook_export.h"
#include "core/records/xlsx_reader.h"  // tests/core/records
#include "library_fixture.h"

namespace qx {
namespace {

using test::TempFolder;
using test::WriteRecord;

constexpr uint32_t kStart = 1489151232;

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Three recordings of one logger with gaps between them, the second at another interval, the
// last in °F: the history's table converts the others and marks the gaps.
class HistoryStreamTest : public ::testing::Test {
  protected:
    void SetUp() override {
        library = std::make_unique<RecordLibrary>(test::SqliteEngine().open(folder.str()));
        const uint32_t second = kStart + 40 * 60 + 3600;
        const uint32_t third = second + 30 * 120 + 600;
        for (const std::string& path :
             {WriteRecord(folder / "a.QXRec", 1, 40, kStart, 60),
              WriteRecord(folder / "b.QXRec", 1, 30, second, 120, 40),
              WriteRecord(folder / "c.QXRec", 1, 25, third, 60, 70,
                          [](ParamBlock& p) { p.SetU8(param::kUnitByte, 1); })}) {
            ASSERT_TRUE(library->AddRecordFile(path).Ok());
        }
        std::vector<LibraryInstrument> instruments;
        ASSERT_TRUE(library->Instruments(instruments));
        ASSERT_EQ(instruments.size(), 1u);
        id = instruments[0].id;
    }

    // The streamed exports of window, in pieces of a few samples, against those of the whole
    // history in memory.
    void ExpectStreamedAsInMemory(const QueryWindow& window) {
        InstrumentHistory history;
        ASSERT_TRUE(library->History(
            id, window.bounded ? window.from : std::numeric_limits<int64_t>::min(),
            window.bounded ? window.to : std::numeric_limits<int64_t>::max(), history));
        SampleTable table;
        table.Build(history, window);
        ASSERT_GT(table.RowCount(), table.SampleCount()) << "no gap rows";
        const RecordStatistics statistics =
            ComputeHistoryStatistics(history, table, window.condition);
        ASSERT_FALSE(statistics.series.at(0).limits->excursions.empty());
        const std::vector<ParamListRow> params = HistoryParamRows(HistorySettings(history, window));

        HistoryStream stream(*library, id, window, 4);
        ASSERT_TRUE(stream.Survey());
        EXPECT_EQ(stream.SampleCount(), table.SampleCount());
        EXPECT_EQ(stream.HeaderText(), HistoryHeaderText(history, table));
        EXPECT_EQ(std::vector<std::string>(stream.Notes().begin(), stream.Notes().end()),
                  std::vector<std::string>(table.Notes().begin(), table.Notes().end()));
        const std::vector<ParamListRow> streamedParams = stream.ParamRows();
        ASSERT_EQ(streamedParams.size(), params.size());
        for (size_t k = 0; k < params.size(); ++k) {
            EXPECT_EQ(streamedParams[k].label, params[k].label) << k;
            EXPECT_EQ(streamedParams[k].text, params[k].text) << k;
        }

        const std::string csv = folder / "s.csv", text = folder / "s.txt";
        ASSERT_TRUE(WriteCsv(csv, stream.Pieces(nullptr)));
        EXPECT_EQ(ReadAll(csv), CsvBytes(table));
        ASSERT_TRUE(WriteListText(text, stream.Pieces(nullptr), streamedParams));
        EXPECT_EQ(ReadAll(text), ListTextBytes(table, params));

        const std::string streamed = folder / "s.xlsx", whole = folder / "w.xlsx";
        RecordStatistics figures;
        std::string why;
        ASSERT_TRUE(WriteWorkbook(streamed, stream.Pieces(&figures, window.condition),
                                  streamedParams, &figures, &why))
            << why;
        ASSERT_TRUE(WriteWorkbook(whole, table, params, &statistics, &why)) << why;
        for (const char* part : {"xl/worksheets/sheet1.xml", "xl/worksheets/sheet2.xml",
                                 "xl/worksheets/sheet3.xml", "xl/workbook.xml", "xl/styles.xml"}) {
            const std::string expected = test::UnzipPart(whole, part);
            EXPECT_FALSE(expected.empty()) << part;
            EXPECT_EQ(test::UnzipPart(streamed, part), expected) << part;
        }
    }

    TempFolder folder;
    std::unique_ptr<RecordLibrary> library;
    LibraryId id = 0;
};

TEST_F(HistoryStreamTest, StreamedExportsAreThoseOfTheWholeHistory) {
    ExpectStreamedAsInMemory(QueryWindow{});
    QueryWindow window;
    window.bounded = true;
    window.from = kStart + 20 * 60 + 30;
    window.to = kStart + 40 * 60 + 3600 + 30 * 120 + 600 + 9 * 60;
    window.condition = "window";
    ExpectStreamedAsInMemory(window);
}

TEST_F(HistoryStreamTest, AnInstrumentWithoutSamplesInTheWindowStreamsNoRows) {
    QueryWindow window;
    window.bounded = true;
    window.from = kStart - 1000;
    window.to = kStart - 1;
    HistoryStream stream(*library, id, window, 4);
    ASSERT_TRUE(stream.Survey());
    EXPECT_EQ(stream.SampleCount(), 0);
    EXPECT_TRUE(stream.Pieces(nullptr).columns.empty());
    const std::string csv = folder / "s.csv";
    ASSERT_TRUE(WriteCsv(csv, stream.Pieces(nullptr)));
    EXPECT_EQ(ReadAll(csv), "");
}

}  // namespace
}  // namespace qx
