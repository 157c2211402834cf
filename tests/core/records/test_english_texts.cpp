// The core's texts with the language set to English: exports, parameter rows, messages.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "core/model/language.h"
#include "core/model/param_editor_values.h"
#include "core/model/param_profile.h"
#include "core/model/system_error_text.h"
#include "core/model/text_util.h"
#include "core/records/record_export.h"
#include "core/records/record_file.h"
#include "core/records/record_legend.h"
#include "core/records/record_query.h"
#include "core/records/record_set.h"
#include "core/records/record_statistics.h"
#include "core/records/sample_decoding.h"
#include "core/records/sample_table.h"
#include "core/records/text_export.h"
#include "core/records/trend_ranges.h"
#include "core/records/workbook_export.h"
#include "record_fixtures.h"
#include "xlsx_reader.h"

namespace qx {
namespace {

class ScopedEnglish {
  public:
    ScopedEnglish() { SetLanguage(Language::kEnglish); }
    ~ScopedEnglish() { SetLanguage(Language::kChinese); }
};

// CJK ideographs and full-width punctuation (UTF-8 lead bytes E3..E9, EF BC/BD); ℃ is E2.
bool HasChinese(std::string_view s) {
    for (size_t i = 0; i < s.size(); ++i) {
        const auto b = static_cast<unsigned char>(s[i]);
        if (b >= 0xE3 && b <= 0xE9) return true;
        if (b == 0xEF && i + 1 < s.size() && (s[i + 1] & 0xFE) == 0xBC) return true;
    }
    return false;
}

std::string FirstLine(const std::string& s) {
    return s.substr(0, s.find("\r\n"));
}

TEST(EnglishTexts, ExportsParameterRowsAndMessages) {
    ScopedEnglish english;
    auto set = std::make_unique<RecordSet>();
    DecodeRecord(test::MakeRecordImage(1, 3), *set, 1);
    QueryRequest request;
    request.mode = QueryMode::LastDays;
    const QueryWindow window = MakeQueryWindow(request, test::LocalTime(2017, 3, 10, 22));
    SampleTable table;
    table.Build(*set, window);
    EXPECT_EQ(FirstLine(CsvBytes(table)), "Record,Time,Temperature(℃),Humidity(%RH),Dew point(℃)");
    EXPECT_EQ(QueryStatusLine(RecordHeaderText(MakeParamTexts(set->Params(), 1)), 3,
                              window.condition, table.RowCount()),
              "Number: QX0001 Name: 测试点  Total samples: 3  Query: Date [2017-03-10], last 1 "
              "day(s) Samples: 3");

    const std::vector<ParamListRow> params = RecordParamRows(*set);
    ASSERT_FALSE(params.empty());
    EXPECT_EQ(params[0].label, "Instrument address");
    const auto start = std::find_if(params.begin(), params.end(),
                                    [](const ParamListRow& r) { return r.label == "Start mode"; });
    ASSERT_NE(start, params.end());
    EXPECT_EQ(start->text, "Immediate");

    const RecordStatistics statistics = ComputeRecordStatistics(*set, table, window.condition);
    test::TempPath file(".xlsx");
    ASSERT_TRUE(WriteWorkbook(file.str(), table, params, &statistics));
    const std::string book = test::UnzipPart(file.str(), "xl/workbook.xml");
    for (const char* sheet : {"Records", "Settings", "Statistics"})
        EXPECT_NE(book.find("name=\"" + std::string(sheet) + "\""), std::string::npos) << book;
    const auto samples = test::SheetCells(test::UnzipPart(file.str(), "xl/worksheets/sheet1.xml"));
    EXPECT_EQ(samples.at(0).at(4).value, "Dew point(℃)");
    const auto rows = test::SheetCells(test::UnzipPart(file.str(), "xl/worksheets/sheet2.xml"));
    EXPECT_EQ(rows.at(0).at(0).value, "Record settings");
    EXPECT_EQ(rows.at(1).at(0).value, "Instrument address");
    const auto figures = test::SheetCells(test::UnzipPart(file.str(), "xl/worksheets/sheet3.xml"));
    EXPECT_EQ(figures.at(4).at(0).value, "Query");
    EXPECT_EQ(figures.at(11).at(9).value, "Mean kinetic temperature");
    // Every text of the three sheets is English but the instrument's own measurement name.
    for (const char* part : {"sheet1", "sheet2", "sheet3"}) {
        const std::string xml =
            test::UnzipPart(file.str(), "xl/worksheets/" + std::string(part) + ".xml");
        for (const auto& row : test::SheetCells(xml)) {
            for (const auto& [col, cell] : row) {
                if (cell.value != "测试点") {
                    EXPECT_FALSE(HasChinese(cell.value)) << cell.value;
                }
            }
        }
    }

    EXPECT_EQ(ExportSucceededMessage("/d/a.xlsx"), "File: /d/a.xlsx\nExported successfully.");
    EXPECT_EQ(OpenFailedMessage("/d/a.QXRec"), "File: /d/a.QXRec\nCannot be opened.");
    EXPECT_EQ(RecordingDurationText(100, 5, 1), "8 h 20 min ");
    ParamProfile profile;
    std::string problem;
    EXPECT_FALSE(ParseProfile("[qxlog-profile]\nmodel=QX9\n", profile, problem));
    EXPECT_EQ(problem, "Line 2: Unknown model QX9");
}

// The reasons shown below a failure: the system's in the C library's own English, the
// record's in the words the CLI has always printed.
TEST(EnglishTexts, ReasonsOfFailures) {
    ScopedEnglish english;
    for (int e : {ENOENT, EACCES, EPERM, EISDIR, ENOTDIR, ENOSPC, EDQUOT, EROFS, EFBIG, EIO,
                  ENAMETOOLONG, ELOOP, EMFILE, ENFILE, EBUSY, ENOMEM, EEXIST, ENXIO, ENODEV})
        EXPECT_EQ(SystemErrorText(e), std::strerror(e)) << e;
    EXPECT_EQ(WithReason(IncompleteRecordMessage("/d/a.QXRec"), MissingSamplesReason(864, 634)),
              "File: /d/a.QXRec\nThe record is incomplete.\n"
              "the header names 864; the file holds only 634");
}

// The texts made from tables and blocks for every model have their English.
TEST(EnglishTexts, EveryModelsTextsHaveTheirEnglish) {
    ScopedEnglish english;
    const auto expectEnglish = [](std::string_view text) {
        EXPECT_FALSE(HasChinese(text)) << text;
    };
    for (InstrumentTypeId type = 1; type <= kModelCount; ++type) {
        ParamBlock block = test::MakeRecordImage(type, 1).Params();
        for (size_t offset : {param::kLowAlarm, param::kHighAlarm, param::kLowHumidityAlarm,
                              param::kHighHumidityAlarm})
            block.SetU8(offset, 1);
        block.SetU8(param::kLedCode, 1);
        block.SetName(u"");
        const ParamTexts texts = MakeParamTexts(block, type);
        for (const ParamListRow& row : ParamListRows(type, &texts)) {
            expectEnglish(row.label);
            expectEnglish(row.text);
        }
        const RecordUnits units = RecordUnitsOf(0, type);
        for (int entry : LegendEntries(type))
            expectEnglish(LegendText(entry, units));
        // Each pair's low limit above its high one: the first pair the model shows fails.
        ParamEditorValues values;
        EditorFieldTexts fields{"1", u"A", "5",  u"", "50", "10", "90", "10",
                                "1", "90", "10", "0", "0",  "0",  "0"};
        if (const auto error = TakeEditorFields(fields, type, values))
            expectEnglish(error->message);
    }
    for (int i = 0; i < kTimeZoomCount; ++i)
        expectEnglish(Tr(kTimeZoomTexts[i]));
    for (int i = 0; i < kValueZoomCount; ++i)
        expectEnglish(Tr(kValueZoomTexts[i]));
}

// A channel named in Chinese keeps its meaning when the texts are English.
TEST(EnglishTexts, StatisticsTakeChannelNamesInEitherLanguage) {
    ScopedEnglish english;
    auto set = std::make_unique<RecordSet>();
    DecodeRecord(test::MakeRecordImage(1, 2), *set, 1);
    SampleTable table;
    table.Build(*set, {});
    EXPECT_EQ(FindStatisticsSeries(table, "Humidity"), 1);
    EXPECT_EQ(FindStatisticsSeries(table, "湿度"), 1);
    EXPECT_EQ(FindStatisticsSeries(table, "Dew point(℃)"), 2);
    EXPECT_EQ(FindStatisticsSeries(table, "露点(℃)"), 2);
    EXPECT_EQ(FindStatisticsSeries(table, "露点(℉)"), -1);
}

}  // namespace
}  // namespace qx
