// The core's texts with the language set to English: exports, parameter rows, messages.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "core/link/instrument_messages.h"
#include "core/model/language.h"
#include "core/model/param_editor_values.h"
#include "core/model/param_profile.h"
#include "core/model/system_error_text.h"
#include "core/model/text_util.h"
#include "core/records/comparison_export.h"
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
              "Instrument number QX0001 Measurement name 测试点  Total samples: 3  Query: last 1 "
              "day up to 2017-03-10, 3 selected");

    const std::vector<ParamListRow> params = RecordParamRows(*set);
    ASSERT_FALSE(params.empty());
    EXPECT_EQ(params[0].label, "Instrument address");
    const auto start = std::find_if(params.begin(), params.end(),
                                    [](const ParamListRow& r) { return r.label == "Start mode"; });
    ASSERT_NE(start, params.end());
    EXPECT_EQ(start->text, "Immediate start");

    const RecordStatistics statistics = ComputeRecordStatistics(*set, table, window.condition);
    test::TempPath file(".xlsx");
    ASSERT_TRUE(WriteWorkbook(file.str(), table, params, &statistics));
    const std::string book = test::UnzipPart(file.str(), "xl/workbook.xml");
    for (const char* sheet : {"Records", "Settings", "Statistics"})
        EXPECT_NE(book.find("name=\"" + std::string(sheet) + "\""), std::string::npos) << book;
    const auto samples = test::SheetCells(test::UnzipPart(file.str(), "xl/worksheets/sheet1.xml"));
    EXPECT_EQ(samples.at(0).at(4).value, "Dew point(℃)");
    const auto rows = test::SheetCells(test::UnzipPart(file.str(), "xl/worksheets/sheet2.xml"));
    EXPECT_EQ(rows.at(0).at(0).value, "Recording settings");
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
    EXPECT_EQ(ExportSucceededMessage("/d/a.xlsx", kComparisonSheetName, 2),
              "File: /d/a.xlsx\nExported successfully.\nThe rows take 2 sheets: Comparison to "
              "Comparison (2)");
    EXPECT_EQ(OpenFailedMessage("/d/a.QXRec"), "File: /d/a.QXRec\ncannot be opened.");
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

// Counts with their plural, windows as a reader says them; the Chinese stays as it was.
TEST(EnglishTexts, QueryConditionsAndCountsReadAsSentences) {
    const int64_t now = test::LocalTime(2017, 3, 10, 22);
    auto condition = [now](QueryMode mode, int count) {
        QueryRequest request;
        request.mode = mode;
        request.days = request.months = count;
        request.rangeStart = now - 2 * 86400;
        request.rangeEnd = now;
        return MakeQueryWindow(request, now).condition;
    };
    EXPECT_EQ(condition(QueryMode::LastDays, 1), "当前日期[2017-03-10],向前1天");
    EXPECT_EQ(msg::AskClearRecordingMessage(1).find("仪器中有1个记录数据,"), 0u);
    ScopedEnglish english;
    EXPECT_EQ(condition(QueryMode::LastDays, 1), "last 1 day up to 2017-03-10");
    EXPECT_EQ(condition(QueryMode::LastDays, 2), "last 2 days up to 2017-03-10");
    EXPECT_EQ(condition(QueryMode::LastMonths, 1), "last 1 month up to 2017-03-10");
    EXPECT_EQ(condition(QueryMode::LastMonths, 30), "last 30 months up to 2017-03-10");
    EXPECT_EQ(condition(QueryMode::DateRange, 0), "2017-03-08 to 2017-03-10");
    EXPECT_EQ(QueryStatusLine("Instrument number A0200001 Measurement name Cold store ", 864,
                              QueryWindow{}.condition, 0),
              "Instrument number A0200001 Measurement name Cold store  Total samples: 864  "
              "Query: all, 0 selected");
    EXPECT_EQ(msg::AskClearRecordingMessage(1).substr(0, 40),
              "The instrument holds 1 sample, which wri");
    EXPECT_EQ(msg::AskClearRecordingMessage(0).substr(0, 41),
              "The instrument holds 0 samples, which wri");
    EXPECT_NE(msg::AskClearRecordingMessage(2).find("To keep them,"), std::string::npos);
}

// Range messages name the unit of the entry in English, at each limit and just past it.
TEST(EnglishTexts, RangeMessagesNameTheirUnit) {
    EXPECT_EQ(TemperatureRangeMessage(81, 0), "数值范围应在-40-80之间!");
    ScopedEnglish english;
    EXPECT_EQ(TemperatureRangeMessage(80, 0), "");
    EXPECT_EQ(TemperatureRangeMessage(81, 0), "The value must be between -40 and 80 ℃.");
    EXPECT_EQ(TemperatureRangeMessage(-41, 1), "The value must be between -40 and 176 ℉.");
    EXPECT_EQ(IntervalRangeMessage(24, 2), "");
    EXPECT_EQ(IntervalRangeMessage(25, 2), "The value must be between 1 and 24 hours.");
    EXPECT_EQ(IntervalRangeMessage(61, 1), "The value must be between 1 and 60 minutes.");
    EXPECT_EQ(IntervalRangeMessage(0, 7), "The value must be between 1 and 60 seconds.");
    EXPECT_EQ(RecordCountRangeMessage(16001, 16000),
              "The number of samples must be between 1 and 16000.");

    // address, number, interval, name, temperature low/high, humidity low/high, gas, sound
    // low/high, flow c1..c3, start delay.
    auto message = [](InstrumentTypeId type, EditorFieldTexts fields) {
        ParamEditorValues values;
        const auto error = TakeEditorFields(fields, type, values);
        return error ? error->message : std::string();
    };
    const EditorFieldTexts good{"1", u"A", "5",   u"", "0", "70", "10",  "100",
                                "1", "0",  "150", "0", "0", "0",  "1000"};
    EXPECT_EQ(message(kQX410, good), "");
    EditorFieldTexts f = good;
    f.humidityHigh = "101";
    EXPECT_EQ(message(kQX450, f), "Please enter an integer between 0 and 100 %RH.");
    f = good;
    f.soundHigh = "151";
    EXPECT_EQ(message(kQX410, f), "Please enter an integer between 0 and 150 dB.");
    f = good;
    f.gasLimit = "10000";
    EXPECT_EQ(message(kQX7000, f), "Please enter an integer between 1 and 9999 ppm.");
    f.gasLimit = "10.01";
    EXPECT_EQ(message(kQX610, f), "Please enter a number between 0.01 and 10 mg/m3.");
    f = good;
    f.startDelay = "1001";
    EXPECT_EQ(message(kQX460, f), "Please enter an integer between 0 and 1000 minutes.");
    f = good;
    f.address = "255";
    EXPECT_EQ(message(kQX460, f), "Please enter an integer between 1 and 254.");
}

// A recording without alarms: an empty cell in Chinese, "None" in English.
TEST(EnglishTexts, NoAlarmReadsNone) {
    const ParamBlock block = test::MakeRecordImage(kQX450, 1).Params();
    EXPECT_EQ(MakeParamTexts(block, kQX450)[ParamText::TemperatureAlarms], "");
    ScopedEnglish english;
    EXPECT_EQ(MakeParamTexts(block, kQX450)[ParamText::TemperatureAlarms], "None");
    EXPECT_EQ(MakeParamTexts(block, kQX450)[ParamText::HumidityAlarms], "None");
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
