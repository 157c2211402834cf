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
    EXPECT_NE(Check(bytes, more).find("51 行, 应为 52 行"), std::string::npos);
    const XlsxPart absent[] = {{"xl/worksheets/sheet3.xml"}};
    EXPECT_NE(Check(bytes, absent).find("缺少 xl/worksheets/sheet3.xml"), std::string::npos);
}

TEST_F(XlsxCheck, DamagedZipIsRefused) {
    EXPECT_NE(Check(bytes.substr(0, bytes.size() / 2), sheet).find("缺少 zip 结束记录"),
              std::string::npos);
    EXPECT_NE(Check("", sheet).find("不是 zip 文件"), std::string::npos);
    // A byte changed inside the sheet's compressed data: inflate or the CRC-32 notices.
    const size_t at = bytes.find("xl/worksheets/sheet1.xml") + 200;
    std::string flipped = bytes;
    flipped[at] = static_cast<char>(flipped[at] ^ 0x55);
    EXPECT_NE(Check(flipped, sheet).find("sheet1.xml: "), std::string::npos);
    // The central directory pointing past its end record.
    std::string pointer = bytes;
    pointer[pointer.size() - 6] = static_cast<char>(0xFF);
    EXPECT_NE(Check(pointer, sheet).find("不一致"), std::string::npos);
    EXPECT_NE(Check(bytes, {}).find("ok"), std::string::npos);
    EXPECT_FALSE(CheckXlsxFile("/nonexistent/a.xlsx", sheet));
}

// Only a stored CRC-32 changed: every part still unpacks to its size, and only the comparison
// with the unpacked bytes' CRC-32 tells. The local header's copy is changed with it, and alone.
TEST_F(XlsxCheck, ChangedCrcIsRefused) {
    const std::string name = "xl/worksheets/sheet1.xml";
    // The name follows its local header (30 bytes) first, its central directory entry (46
    // bytes) last.
    const size_t localEntry = bytes.find(name) - 30;
    const size_t entry = bytes.rfind(name) - 46;
    ASSERT_EQ(bytes.compare(localEntry, 4, std::string("PK\x03\x04", 4)), 0);
    ASSERT_EQ(bytes.compare(entry, 4, std::string("PK\x01\x02", 4)), 0);

    std::string both = bytes;
    both[entry + 16] = static_cast<char>(both[entry + 16] ^ 0x01);
    both[localEntry + 14] = static_cast<char>(both[localEntry + 14] ^ 0x01);
    EXPECT_EQ(Check(both, sheet), "工作簿已损坏: " + name + ": 大小或 CRC-32 不符");
    std::string localOnly = bytes;
    localOnly[localEntry + 14] = static_cast<char>(localOnly[localEntry + 14] ^ 0x01);
    EXPECT_EQ(Check(localOnly, sheet), "工作簿已损坏: " + name + ": 本地文件头与中央目录不符");
}

}  // namespace
}  // namespace qx
