#include "core/records/download_target.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <latch>
#include <set>
#include <thread>
#include <vector>

#include "core/records/record_file.h"
#include "record_fixtures.h"

namespace qx {
namespace {

namespace fs = std::filesystem;
using test::MakeRecordImage;

class DownloadTargetTest : public testing::Test {
  protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("qx-target-" + std::to_string(::getpid()) + "-" +
               testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
    std::string In(const std::string& name) const { return (dir / name).string(); }
    std::set<std::string> Names() const {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir))
            names.insert(entry.path().filename().string());
        return names;
    }

    fs::path dir;
};

// Six downloads of one recording into one folder at the same moment: each holds its own name
// and none replaces another's file.
TEST_F(DownloadTargetTest, ConcurrentDownloadsIntoOneFolderNeverShareAName) {
    constexpr int kRuns = 6;
    std::latch start(kRuns);
    std::vector<std::string> paths(kRuns);
    std::vector<bool> written(kRuns);
    std::vector<std::thread> runs;
    for (int i = 0; i < kRuns; ++i) {
        runs.emplace_back([&, i] {
            RecordImage image = MakeRecordImage(1, 10 + static_cast<uint32_t>(i));
            start.arrive_and_wait();
            DownloadTarget target = DownloadTarget::FreshIn(dir.string(), "A01_20170310.QXRec");
            paths[static_cast<size_t>(i)] = target.Path();
            written[static_cast<size_t>(i)] = target.Write(image, 1);
        });
    }
    for (std::thread& t : runs)
        t.join();
    EXPECT_EQ(Names(), (std::set<std::string>{"A01_20170310.QXRec", "A01_20170310-2.QXRec",
                                              "A01_20170310-3.QXRec", "A01_20170310-4.QXRec",
                                              "A01_20170310-5.QXRec", "A01_20170310-6.QXRec"}));
    for (int i = 0; i < kRuns; ++i) {
        ASSERT_TRUE(written[static_cast<size_t>(i)]) << i;
        EXPECT_EQ(fs::file_size(paths[static_cast<size_t>(i)]), 96u + (10u + i) * 3u) << i;
    }
}

TEST_F(DownloadTargetTest, ANewFileIsNeverOneThatExistsAndNeedsItsFolder) {
    { std::ofstream(In("kept.QXRec")) << "older recording"; }
    std::string why;
    EXPECT_FALSE(DownloadTarget::NewFile(In("kept.QXRec"), &why).ok());
    EXPECT_EQ(why, In("kept.QXRec") + " 已经存在: 下载从不替换文件");
    EXPECT_EQ(fs::file_size(In("kept.QXRec")), 15u);
    EXPECT_FALSE(DownloadTarget::NewFile(In("missing/a.QXRec"), &why).ok());
    EXPECT_EQ(why, "不能在 " + In("missing") + " 中建立文件: 没有那个文件或目录");
    EXPECT_FALSE(DownloadTarget::FreshIn(In("missing"), "a.QXRec", &why).ok());
    EXPECT_FALSE(fs::exists(In("missing")));
    // The numbers go on past names taken; a name without an extension takes the number last.
    { std::ofstream(In("plain")) << "x"; }
    EXPECT_EQ(DownloadTarget::FreshIn(dir.string(), "plain").Path(), In("plain-2"));
    EXPECT_EQ(NumberedFileName("r.2.QXRec", 3), "r.2-3.QXRec");
    EXPECT_EQ(NumberedFileName("r.QXRec", 1), "r.QXRec");
}

TEST_F(DownloadTargetTest, ANameGivenUpIsRemovedOnlyWhileItIsStillTheEmptyHold) {
    {
        DownloadTarget held = DownloadTarget::NewFile(In("a.QXRec"));
        ASSERT_TRUE(held.ok());
        EXPECT_EQ(fs::file_size(In("a.QXRec")), 0u);
    }
    EXPECT_TRUE(Names().empty());
    {
        DownloadTarget held = DownloadTarget::NewFile(In("b.QXRec"));
        fs::remove(In("b.QXRec"));
        { std::ofstream(In("b.QXRec")) << "someone else's"; }
    }
    EXPECT_EQ(Names(), std::set<std::string>{"b.QXRec"});
    // Moving hands the hold over: the moved-from one gives nothing up.
    DownloadTarget first = DownloadTarget::NewFile(In("c.QXRec"));
    DownloadTarget second = std::move(first);
    first.Release();
    EXPECT_TRUE(fs::exists(In("c.QXRec")));
    second.Release();
    EXPECT_FALSE(fs::exists(In("c.QXRec")));
}

TEST_F(DownloadTargetTest, AFailedWriteKeepsTheNameForAnotherTry) {
    RecordImage image = MakeRecordImage(5, 2000);  // 10096 bytes
    DownloadTarget target = DownloadTarget::NewFile(In("r.QXRec"));
    std::string why;
    EXPECT_FALSE(test::WithFileSizeLimit(4096, [&] { return target.Write(image, 5, &why); }));
    EXPECT_NE(why.find("文件过大"), std::string::npos) << why;
    EXPECT_EQ(Names(), std::set<std::string>{"r.QXRec"});
    EXPECT_EQ(fs::file_size(In("r.QXRec")), 0u);
    ASSERT_TRUE(target.Write(image, 5, &why)) << why;
    target.Release();
    RecordImage back;
    EXPECT_EQ(ReadRecordFile(In("r.QXRec"), back), 5);
    EXPECT_EQ(fs::file_size(In("r.QXRec")), 10096u);
}

TEST_F(DownloadTargetTest, ReplacingNeedsAFileAndAWritableFolder) {
    { std::ofstream(In("old.QXRec")) << "old"; }
    RecordImage image = MakeRecordImage(4, 30);
    DownloadTarget target = DownloadTarget::Replacing(In("old.QXRec"));
    EXPECT_EQ(fs::file_size(In("old.QXRec")), 3u);  // kept until the new one is written
    ASSERT_TRUE(target.Write(image, 4));
    EXPECT_EQ(fs::file_size(In("old.QXRec")), 96u + 30u * 2u);
    std::string why;
    fs::create_directory(In("folder.QXRec"));
    EXPECT_FALSE(DownloadTarget::Replacing(In("folder.QXRec"), &why).ok());
    EXPECT_EQ(why, "不能替换 " + In("folder.QXRec") + ": 不是文件");
    EXPECT_EQ(Names(), (std::set<std::string>{"folder.QXRec", "old.QXRec"}));
}

}  // namespace
}  // namespace qx
