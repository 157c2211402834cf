#include "core/link/record_download.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "core/link/wire_order.h"
#include "link_fixture.h"

namespace qx {
namespace {

using test::Bench;
using test::kTestNow;

struct Recorder {
    std::vector<DownloadProgress> steps;
    std::vector<int> pauses;
    std::vector<std::string> calls;  // "begin", "finish"
    uint32_t beginTotal = 0;
    DownloadHooks Hooks() {
        DownloadHooks h;
        h.begin = [this](const std::string& line0, uint32_t total) {
            calls.push_back("begin:" + line0);
            beginTotal = total;
        };
        h.progress = [this](const DownloadProgress& p) { steps.push_back(p); };
        h.pause = [this](int ms) { pauses.push_back(ms); };
        h.finish = [this] { calls.push_back("finish"); };
        return h;
    }
    std::vector<std::string> Texts() const {
        std::vector<std::string> t;
        for (const auto& s : steps)
            t.push_back(s.text);
        return t;
    }
};

// A bench whose instrument holds a finished recording of n samples.
struct DownloadBench : Bench {
    DownloadBench(InstrumentTypeId type, uint32_t n, uint16_t countSetting = 0) : Bench({type}) {
        Sim().StartRecording({n, 1, 1, countSetting, false});
        EXPECT_TRUE(Connect());
    }
    RecordImage image;
    Recorder rec;
    DownloadResult Run() { return DownloadRecord(protocol, image, rec.Hooks()); }
    bool SamplesMatch(uint32_t n) {
        const std::vector<uint8_t> packed = Sim().PackedSamples();
        return packed.size() == n * static_cast<size_t>(BytesPerSample(state.type)) &&
               std::equal(packed.begin(), packed.end(), image.Samples());
    }
};

TEST(RecordDownload, FortyFiveSamplesOfModelOne) {
    DownloadBench b(1, 45);
    const DownloadResult r = b.Run();
    ASSERT_EQ(r.status, DownloadStatus::kOk);
    EXPECT_EQ(r.count, 45u);
    EXPECT_EQ(r.blocks, 3u);
    EXPECT_EQ(b.rec.Texts(), (std::vector<std::string>{"44%(20/45)", "89%(40/45)", "100%(45/45)"}));
    EXPECT_EQ(b.rec.pauses, (std::vector<int>{800, 800, 100}));
    EXPECT_EQ(b.rec.steps[0].position, 40u);
    EXPECT_EQ(b.rec.steps[2].position, 65u);
    EXPECT_EQ(b.rec.calls, (std::vector<std::string>{"begin:正在接收数据,请稍候...", "finish"}));
    EXPECT_EQ(b.rec.beginTotal, 45u);
    EXPECT_TRUE(b.SamplesMatch(45));
    // Header: the download time and the recorded block, stop-and-read first.
    EXPECT_EQ(b.image.DownloadTime(), kTestNow);
    EXPECT_EQ(b.image.Params().bytes, b.Sim().RecordedParams().bytes);
    EXPECT_EQ(r.params.bytes, b.Sim().RecordedParams().bytes);
    EXPECT_EQ(b.Sim().WrittenReports()[0][0], 3);
    EXPECT_EQ(b.image.Magic(), 0u);  // written when the record is saved
}

TEST(RecordDownload, ModelSixBlocksCarryFiftyFourBytes) {
    DownloadBench b(6, 12);
    b.image.bytes.fill(0xAA);
    const DownloadResult r = b.Run();
    ASSERT_EQ(r.status, DownloadStatus::kOk);
    EXPECT_EQ(r.blocks, 2u);
    EXPECT_TRUE(b.SamplesMatch(12));
    EXPECT_EQ(b.image.bytes[96 + 108], 0xAA);  // nothing beyond the 108 sample bytes
    EXPECT_NE(b.image.bytes[96 + 107], 0xAA);
    EXPECT_EQ(b.rec.Texts(), (std::vector<std::string>{"50%(6/12)", "100%(12/12)"}));
}

TEST(RecordDownload, WholeLastBlockAndSingleBlock) {
    DownloadBench b(4, 30);
    const DownloadResult r = b.Run();
    ASSERT_EQ(r.status, DownloadStatus::kOk);
    EXPECT_EQ(r.blocks, 1u);
    EXPECT_EQ(b.rec.Texts(), std::vector<std::string>{"100%(30/30)"});
    EXPECT_EQ(b.rec.pauses, std::vector<int>{100});
    EXPECT_TRUE(b.SamplesMatch(30));
}

TEST(RecordDownload, LongDownloadPausesOnlyWhenThePercentChanges) {
    DownloadBench b(1, 5000);
    const DownloadResult r = b.Run();
    ASSERT_EQ(r.status, DownloadStatus::kOk);
    EXPECT_EQ(r.blocks, 250u);
    EXPECT_EQ(DownloadPauseMs(250), 12);
    ASSERT_FALSE(b.rec.pauses.empty());
    EXPECT_LE(b.rec.pauses.size(), 101u);
    EXPECT_EQ(b.rec.pauses.back(), 100);
    EXPECT_TRUE(
        std::all_of(b.rec.pauses.begin(), b.rec.pauses.end() - 1, [](int ms) { return ms == 12; }));
    // The percent never goes back and ends at 100.
    for (size_t i = 1; i < b.rec.steps.size(); ++i) {
        EXPECT_GE(b.rec.steps[i].percent, b.rec.steps[i - 1].percent);
    }
    EXPECT_EQ(b.rec.steps.front().text, "1%(20/5000)");  // 0.9 is raised to 1
    EXPECT_EQ(b.rec.steps.back().text, "100%(5000/5000)");
    EXPECT_TRUE(b.SamplesMatch(5000));
    EXPECT_EQ(DownloadPauseMs(2), 800);
    EXPECT_EQ(DownloadPauseMs(1000), 10);
}

TEST(RecordDownload, WrappedCyclicMemoryOfModelTwo) {
    DownloadBench b(2, 2 * 21378 + 42, 0xFFFF);
    const DownloadResult r = b.Run();
    ASSERT_EQ(r.status, DownloadStatus::kOk);
    EXPECT_EQ(r.params.WrapCount(), 2);
    EXPECT_EQ(r.params.StoredCount(), 42);
    EXPECT_EQ(r.count, 21378u);
    EXPECT_EQ(r.fetched, 21378u);
    EXPECT_EQ(r.blocks, 1069u);
    EXPECT_TRUE(b.SamplesMatch(21378));
}

TEST(RecordDownload, NoSamplesRunsNoLoop) {
    DownloadBench b(3, 0);
    const DownloadResult r = b.Run();
    ASSERT_EQ(r.status, DownloadStatus::kOk);
    EXPECT_EQ(r.blocks, 0u);
    EXPECT_TRUE(b.rec.steps.empty());
    EXPECT_TRUE(b.rec.pauses.empty());
    EXPECT_EQ(b.rec.calls.size(), 2u);
    EXPECT_EQ(std::count(b.Sim().ReadReportIds().begin(), b.Sim().ReadReportIds().end(), 8), 0);
}

TEST(RecordDownload, StopAndReadFailure) {
    DownloadBench b(1, 45);
    b.Sim().FailTransfer(1);
    const DownloadResult r = b.Run();
    EXPECT_EQ(r.status, DownloadStatus::kStopReadFailed);
    EXPECT_TRUE(b.rec.calls.empty());  // the popup never appeared
    EXPECT_EQ(b.image.DownloadTime(), 0u);
}

TEST(RecordDownload, FailedBlockKeepsThePartialImage) {
    DownloadBench b(1, 45);
    b.Sim().FailTransfer(3 + 2 + 2);  // after stop, two pages, block 0, block 1 request: its reply
    const DownloadResult r = b.Run();
    EXPECT_EQ(r.status, DownloadStatus::kBlockFailed);
    EXPECT_FALSE(b.link.Opened());
    EXPECT_TRUE(b.link.Connected());
    EXPECT_EQ(r.fetched, 20u);
    EXPECT_EQ(b.rec.calls.back(), "finish");
    const std::vector<uint8_t> packed = b.Sim().PackedSamples();
    EXPECT_TRUE(std::equal(packed.begin(), packed.begin() + 60, b.image.Samples()));
    EXPECT_EQ(b.image.Samples()[60], 0);

    DownloadBench notReady(1, 45);
    notReady.tap->onReply = [](std::span<uint8_t> reply) {
        if (reply[0] == 8) std::fill(reply.begin() + 1, reply.begin() + 61, 0xFF);
    };
    EXPECT_EQ(notReady.Run().status, DownloadStatus::kBlockFailed);
}

TEST(RecordDownload, CountBeyondTheImageFetchesWhatFits) {
    // A nonsensical stored count of 20000 for the flow meter (9 bytes a sample): only the
    // 14552 samples that fit the image are fetched.
    DownloadBench b(6, 14224);
    b.tap->onReply = [](std::span<uint8_t> reply) {
        if (reply[0] == 7 && reply[1] == 1) PutBigEndian16(&reply[2 + 75 - 59], 20000);
        // Samples past the real recording arrive as some data.
        if (reply[0] == 8 && reply[1] == 0xFF)
            std::fill(reply.begin() + 1, reply.begin() + 61, 0x11);
    };
    const DownloadResult r = b.Run();
    ASSERT_EQ(r.status, DownloadStatus::kOk);
    EXPECT_EQ(r.count, 20000u);
    EXPECT_TRUE(r.truncated);
    EXPECT_EQ(r.fetched, 14552u);
    EXPECT_EQ(b.rec.steps.back().text, "100%(14552/14552)");
    EXPECT_LE(96 + 14552 * 9, static_cast<int>(RecordImage::kSize));
    EXPECT_EQ(b.image.bytes[96 + 14552 * 9 - 1], 0x11);
    EXPECT_EQ(b.image.bytes[96 + 14552 * 9], 0);  // untouched
}

TEST(RecordDownload, NotConnected) {
    Bench bench;
    RecordImage image;
    EXPECT_EQ(DownloadRecord(bench.protocol, image, {}).status, DownloadStatus::kNotConnected);
    EXPECT_EQ(bench.Sim().TransferCount(), 0u);
}

}  // namespace
}  // namespace qx
