#include "core/records/xlsx_check.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <memory>

#include "core/records/record_set.h"
#include "core/records/sample_decoding.h"
#include "core/records/sample_table.h"
#include "core/records/workbook_export.h"
#include "record_fixtures.h"

namespace qx {
namespace {

using test::TempPath;

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteAll(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// A workbook of 50 type-1 samples and its bytes, damaged in different ways.
class XlsxCheck : public ::testing::Test {
  protected:
    void SetUp() override {
        auto set = std::make_unique<RecordSet>();
        DecodeRecord(test::MakeRecordImage(1, 50), *set, 1);
        SampleTable table;
        table.Build(*set, {});
        ASSERT_TRUE(WriteWorkbook(book.str(), table, {}));
        bytes = ReadAll(book.str());
    }
    std::string Check(const std::string& content, std::span<const XlsxPart> parts) {
        WriteAll(damaged.str(), content);
        std::string why;
        return CheckXlsxFile(damaged.str(), parts, &why) ? "ok" : why;
    }
    TempPath book{".xlsx"}, damaged{".xlsx"};
    std::string bytes;
    const XlsxPart sheet[1] = {{"xl/worksheets/sheet1.xml", 51}};
};

TEST_F(XlsxCheck, CompleteWorkbookPasses) {
    EXPECT_EQ(Check(bytes, sheet), "ok");
    const XlsxPart styles[] = {{"xl/styles.xml"}, {"docProps/app.xml"}};
    EXPECT_EQ(Check(bytes, styles), "ok");
}

TEST_F(XlsxCheck, WrongRowCountOrMissingPart) {
    const XlsxPart more[] = {{"xl/worksheets/sheet1.xml", 52}};
    EXPECT_NE(Check(bytes, more).find("51 rows instead of 52"), std::string::npos);
    const XlsxPart absent[] = {{"xl/worksheets/sheet3.xml"}};
    EXPECT_NE(Check(bytes, absent).find("sheet3.xml missing"), std::string::npos);
}

TEST_F(XlsxCheck, DamagedZipIsRefused) {
    EXPECT_NE(Check(bytes.substr(0, bytes.size() / 2), sheet).find("end record missing"),
              std::string::npos);
    EXPECT_NE(Check("", sheet).find("not a zip file"), std::string::npos);
    // A byte changed inside the sheet's compressed data: inflate or the CRC-32 notices.
    const size_t at = bytes.find("xl/worksheets/sheet1.xml") + 200;
    std::string flipped = bytes;
    flipped[at] = static_cast<char>(flipped[at] ^ 0x55);
    EXPECT_NE(Check(flipped, sheet).find("sheet1.xml: "), std::string::npos);
    // The central directory pointing past its end record.
    std::string pointer = bytes;
    pointer[pointer.size() - 6] = static_cast<char>(0xFF);
    EXPECT_NE(Check(pointer, sheet).find("inconsistent"), std::string::npos);
    EXPECT_NE(Check(bytes, {}).find("ok"), std::string::npos);
    EXPECT_FALSE(CheckXlsxFile("/nonexistent/a.xlsx", sheet));
}

}  // namespace
}  // namespace qx
