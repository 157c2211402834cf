#include "core/records/record_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

#include "core/model/text_util.h"
#include "core/records/record_set.h"
#include "core/records/sample_decoding.h"
#include "record_fixtures.h"

namespace qx {
namespace {

using test::MakeRecordImage;
using test::TempPath;

std::vector<uint8_t> ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

void SetStoredCount(RecordImage& image, uint16_t count) {
    ParamBlock p = image.Params();
    p.SetU16(param::kStoredCount, count);
    image.SetParams(p);
}

TEST(RecordFile, MagicsAreNotInTypeOrder) {
    const uint32_t magics[] = {0x20222324, 0x20222325, 0x20222326, 0x20222328,
                               0x2022232A, 0x2022232C, 0x2022232E, 0x20222330,
                               0x20222332, 0x20222338, 0x20222331};
    for (InstrumentTypeId t = 1; t <= 11; ++t) {
        EXPECT_EQ(RecordFileMagic(t), magics[t - 1]) << t;
        EXPECT_EQ(TypeOfRecordMagic(magics[t - 1]), t);
    }
    EXPECT_EQ(RecordFileMagic(0), 0x20222324u);
    EXPECT_EQ(TypeOfRecordMagic(0x20222327), 0);
    EXPECT_EQ(TypeOfRecordMagic(0x20222339), 0);
}

TEST(RecordFile, LargestFileSizes) {
    const size_t sizes[] = {64104, 64230, 64104, 65120, 63596, 128112,
                            65120, 63596, 65120, 65120, 63596};
    for (InstrumentTypeId t = 1; t <= 11; ++t)
        EXPECT_EQ(MaxRecordFileSize(t), sizes[t - 1]) << t;
    EXPECT_EQ(MaxRecordFileSize(0), 64104u);
    EXPECT_LE(MaxRecordFileSize(6), RecordImage::kSize);
}

TEST(RecordFile, CountAboveTheCapIsRewrittenOnSave) {
    TempPath file(".QXRec");
    RecordImage image = MakeRecordImage(1, 100);
    SetStoredCount(image, 30000);
    ASSERT_TRUE(WriteRecordFile(file.str(), image, 1));
    EXPECT_EQ(std::filesystem::file_size(file.str()), 64104u);
    EXPECT_EQ(image.Params().StoredCount(), 21336);
    EXPECT_EQ(image.Magic(), 0x20222324u);
    const std::vector<uint8_t> bytes = ReadAll(file.str());
    EXPECT_EQ(bytes[8 + 75] | (bytes[8 + 76] << 8), 21336);
}

TEST(RecordFile, CyclicRecordOfType2KeepsItsHeaderCount) {
    TempPath file(".QXRec");
    RecordImage image = MakeRecordImage(2, 100);
    ParamBlock p = image.Params();
    p.SetU16(param::kWrapCount, 1);
    p.SetU16(param::kRecordCountSetting, 0xFFFF);
    image.SetParams(p);
    ASSERT_TRUE(WriteRecordFile(file.str(), image, 2));
    EXPECT_EQ(std::filesystem::file_size(file.str()), 96u + 21352u * 3u);
    EXPECT_EQ(image.Params().StoredCount(), 100);
    auto set = std::make_unique<RecordSet>();
    RecordImage back;
    EXPECT_FALSE(OpenRecordFile(file.str(), back, *set).incomplete);  // all 21352 are there

    p.SetU16(param::kWrapCount, 0);
    p.SetU16(param::kStoredCount, 500);
    image.SetParams(p);
    ASSERT_TRUE(WriteRecordFile(file.str(), image, 2));
    EXPECT_EQ(std::filesystem::file_size(file.str()), 96u + 500u * 3u);

    // Not cyclic, but more than the type holds: 21378 samples, header count untouched.
    p.SetU16(param::kRecordCountSetting, 30000);
    p.SetU16(param::kStoredCount, 30000);
    image.SetParams(p);
    ASSERT_TRUE(WriteRecordFile(file.str(), image, 2));
    EXPECT_EQ(std::filesystem::file_size(file.str()), 64230u);
    EXPECT_EQ(image.Params().StoredCount(), 30000);
}

TEST(RecordFile, FullFlowMeterRecordFitsTheImage) {
    TempPath file(".QXRec");
    RecordImage image = MakeRecordImage(6, 14224);
    ASSERT_TRUE(WriteRecordFile(file.str(), image, 6));
    EXPECT_EQ(std::filesystem::file_size(file.str()), 128112u);

    RecordImage back;
    size_t length = 0;
    EXPECT_EQ(ReadRecordFile(file.str(), back, &length), 6);
    EXPECT_EQ(length, 128112u);
    EXPECT_EQ(back.bytes, image.bytes);
}

TEST(RecordFile, UnknownMagicIsRefusedAndTheImageKept) {
    TempPath file(".QXRec");
    std::vector<uint8_t> bytes(200, 0);
    bytes[0] = 0x27, bytes[1] = 0x23, bytes[2] = 0x22, bytes[3] = 0x20;  // 0x20222327
    WriteBytes(file.str(), bytes);
    RecordImage image = MakeRecordImage(3, 10);
    const RecordImage before = image;
    EXPECT_EQ(ReadRecordFile(file.str(), image), 0);
    EXPECT_EQ(image.bytes, before.bytes);

    auto set = std::make_unique<RecordSet>();
    const RecordFileResult r = OpenRecordFile(file.str(), image, *set);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.message, "文件:" + file.str() + "\n不能打开!");
    EXPECT_EQ(image.bytes, before.bytes);

    EXPECT_EQ(OpenRecordFile("/nonexistent/dir/x.QXRec", image, *set).message,
              "文件:/nonexistent/dir/x.QXRec\n不能打开!");
    EXPECT_EQ(ReadRecordFile("", image), 0);
    const std::vector<uint8_t> tooShort = {0x24, 0x23, 0x22};
    EXPECT_EQ(ReadRecordBytes(tooShort, image), 0);
}

TEST(RecordFile, LongerFileIsReadOnlyUpToItsTypesSize) {
    TempPath file(".QXRec");
    std::vector<uint8_t> bytes(70000, 0x5A);
    bytes[0] = 0x28, bytes[1] = 0x23, bytes[2] = 0x22, bytes[3] = 0x20;  // type 4
    WriteBytes(file.str(), bytes);
    RecordImage image;
    image.bytes.fill(0xEE);
    size_t length = 0;
    EXPECT_EQ(ReadRecordFile(file.str(), image, &length), 4);
    EXPECT_EQ(length, 65120u);
    EXPECT_EQ(image.bytes[65119], 0x5A);
    EXPECT_EQ(image.bytes[65120], 0);  // the rest of the image is cleared
    EXPECT_EQ(image.bytes[RecordImage::kSize - 1], 0);
}

TEST(RecordFile, UnrecognisedTypeIsSavedAsType1) {
    TempPath file(".QXRec");
    RecordImage image = MakeRecordImage(1, 5);
    ASSERT_TRUE(WriteRecordFile(file.str(), image, 0));
    RecordImage back;
    EXPECT_EQ(ReadRecordFile(file.str(), back), 1);
}

TEST(RecordFile, OpeningDecodesAsTheFilesOwnType) {
    TempPath file(".QXRec");
    RecordImage image = MakeRecordImage(8, 12);
    ASSERT_TRUE(WriteRecordFile(file.str(), image, 8));
    RecordImage shown;
    auto set = std::make_unique<RecordSet>();
    const RecordFileResult r = OpenRecordFile(file.str(), shown, *set);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.type, 8);
    EXPECT_EQ(set->type, 8);
    EXPECT_EQ(set->count, 12);
    EXPECT_FALSE(r.incomplete);
    EXPECT_TRUE(r.message.empty());
}

// A file that ends before its header says: only the samples it holds are decoded, nothing of
// the record shown before shows up in the new one, and the result says what is missing. A
// file too short for the header (the recording's settings) is refused.
TEST(RecordFile, TruncatedFileShowsOnlyTheSamplesItHoldsAndSaysSo) {
    TempPath file(".QXRec");
    RecordImage image = MakeRecordImage(5, 1000);
    ASSERT_TRUE(WriteRecordFile(file.str(), image, 5));
    std::filesystem::resize_file(file.str(), 96 + 10 * 5 + 3);

    RecordImage shown = MakeRecordImage(5, 12700);  // an earlier, full record
    auto set = std::make_unique<RecordSet>();
    RecordFileResult r = OpenRecordFile(file.str(), shown, *set);
    ASSERT_TRUE(r.ok);
    EXPECT_TRUE(r.incomplete);
    EXPECT_EQ(r.namedSamples, 1000u);
    EXPECT_EQ(WithReason(r.message, r.reason),
              "文件:" + file.str() + "\n记录不完整!\n记录头标明 1000 个样本, 文件只有 10 个");
    EXPECT_EQ(set->count, 10);
    EXPECT_EQ(set->Params().StoredCount(), 1000);
    EXPECT_EQ(shown.bytes[96 + 10 * 5 + 3], 0);

    // The header alone: opened, every sample missing.
    std::filesystem::resize_file(file.str(), 96);
    r = OpenRecordFile(file.str(), shown, *set);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(set->count, 0);
    EXPECT_EQ(r.reason, "记录头标明 1000 个样本, 文件只有 0 个");

    // One byte short of the header: refused, and the record shown stays as it was.
    std::filesystem::resize_file(file.str(), 95);
    const RecordImage before = shown;
    r = OpenRecordFile(file.str(), shown, *set);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.message, OpenFailedMessage(file.str()));
    EXPECT_EQ(r.reason, "短于记录头 (95 字节)");
    EXPECT_EQ(shown.bytes, before.bytes);
}

TEST(RecordFile, SaveFailureLeavesTheOldFileAndNoLeftovers) {
    TempPath file(".QXRec");
    RecordImage small = MakeRecordImage(1, 3);
    ASSERT_TRUE(WriteRecordFile(file.str(), small, 1));
    const std::vector<uint8_t> before = ReadAll(file.str());

    // A file size limit makes the write of the larger record fail half-way.
    RecordImage large = MakeRecordImage(1, 20000);
    const RecordFileResult r =
        test::WithFileSizeLimit(4096, [&] { return SaveRecordFile(file.str(), large, 1); });

    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.message, "文件:" + file.str() + "\n不能保存!");
    EXPECT_EQ(ReadAll(file.str()), before);
    const std::filesystem::path dir = std::filesystem::path(file.str()).parent_path();
    const std::string stem = std::filesystem::path(file.str()).filename().string();
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        EXPECT_EQ(entry.path().filename().string().find("." + stem), std::string::npos)
            << entry.path();
    }
    EXPECT_FALSE(SaveRecordFile("/nonexistent/dir/a.QXRec", large, 1).ok);
    EXPECT_FALSE(WriteRecordFile("", large, 1));
}

TEST(RecordFile, InitialDialogNames) {
    EXPECT_EQ(InitialOpenName("", "/data/DAT"), "/data/DAT/*.QXRec");
    EXPECT_EQ(InitialOpenName("/r/a.QXRec", "/data/DAT"), "/r/a.QXRec");
    EXPECT_EQ(InitialSaveName("", "/data/DAT"), "/data/DAT/未命名");
}

// The tests run with TZ=CST-8: 1796750880 is 2026-12-08 17:28:00 UTC, 2026-12-09 01:28 local.
TEST(RecordFile, DownloadNameIsTheNumberAndTheFirstSampleTime) {
    ParamBlock p;
    p.SetU32(param::kStartTime, 1796750880);
    p.SetU8(param::kIntervalValue, 5);
    p.SetU8(param::kIntervalUnit, 1);
    p.SetNumber(u"A0815");
    EXPECT_EQ(DownloadFileName(p, 1), "A0815_20261209-012800.QXRec");

    // What cannot stand in a file name is replaced, blanks around the number go, and a
    // leading dot would hide the file.
    p.SetNumber(u" a/b\\c:*? ");
    EXPECT_EQ(DownloadFileName(p, 1), "a_b_c____20261209-012800.QXRec");
    p.SetNumber(u"..\x01<>|\"");
    EXPECT_EQ(DownloadFileName(p, 1), "_.______20261209-012800.QXRec");
    // Latin-1 numbers come out as UTF-8.
    p.SetNumber(u"Zürich");
    EXPECT_EQ(DownloadFileName(p, 1), "Z\xC3\xBCrich_20261209-012800.QXRec");

    // No number: the model's name, or "QX" for an unrecognised instrument.
    p.SetNumber(u"");
    EXPECT_EQ(DownloadFileName(p, 3), "QX430_20261209-012800.QXRec");
    EXPECT_EQ(DownloadFileName(p, 0), "QX_20261209-012800.QXRec");
}

}  // namespace
}  // namespace qx
