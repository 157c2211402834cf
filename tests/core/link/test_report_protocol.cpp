#include "core/link/report_protocol.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "core/link/wire_order.h"
#include "link_fixture.h"

namespace qx {
namespace {

using test::Bench;
using test::kTestNow;

// ---- A conversation with every model ----------------------------------------------------------

class ModelConversation : public testing::TestWithParam<InstrumentTypeId> {};

ParamBlock EditedCopy(const ParamBlock& original, InstrumentTypeId type) {
    ParamBlock b = original;
    b.SetU8(param::kAddress, 7);
    b.SetNumber(u"N-42");
    b.SetName(u"测试点" + std::u16string(1, static_cast<char16_t>(u'A' + type)));
    b.SetU16(param::kRecordCountSetting, static_cast<uint16_t>(RecordCountChoices(type)[2]));
    b.SetU8(param::kIntervalValue, 10);
    b.SetU8(param::kIntervalUnit, 0);
    b.SetU8(param::kLedCode, 20);
    b.SetU16(param::kLowLimit, 123);
    b.SetU16(param::kHighLimit, 0x0456);
    if (type != 7 && type != 9) {
        b.SetU8(param::kUnitByte, 0x21);
        b.SetU16(param::kLowHumidityLimit, 0x0102);
        b.SetU16(param::kHighHumidityLimit, 0x0304);
    }
    b.SetU8(param::kAlarmMode, 2);
    b.SetU8(param::kStartMode, 0);
    if (type == 2 || type == 7 || type == 8 || type == 11) b.SetU16(param::kTimeZoneBias, 0xFE20);
    if (type == 8) b.SetU16(param::kGasLimit, 1500);
    if (type == 11) b.SetU16(param::kGasLimit, 0x0203);
    if (type == 6) EncodeFlowCoefficients(b, {0.5f, -1.25f, 2.0f});
    if (type == 10) b.SetU16(param::kStartDelay, 600);
    return b;
}

TEST_P(ModelConversation, StatusParamsWriteClockStop) {
    const InstrumentTypeId type = GetParam();
    Bench bench({type});
    bench.state.timeZoneBias = -480;
    InstrumentSimulator& sim = bench.Sim();
    ASSERT_TRUE(bench.Connect());
    ASSERT_EQ(bench.state.type, type);
    ReportProtocol& protocol = bench.protocol;

    // Status, converted to host order.
    int refreshed = 0;
    protocol.SetStatusHook([&] { ++refreshed; });
    ASSERT_TRUE(protocol.ReadStatus());
    EXPECT_EQ(refreshed, 1);
    EXPECT_TRUE(bench.state.liveValid);
    EXPECT_EQ(bench.state.live.bytes, sim.Status().bytes);
    EXPECT_EQ(bench.state.live.Clock(), sim.Clock());
    EXPECT_EQ(bench.state.live.StoredCount(), 864);
    EXPECT_TRUE(bench.state.live.IsRecording());
    EXPECT_EQ(bench.state.live.U8(live::kBlocksPresent), 3);

    // Both parameter blocks.
    ParamBlock set, recorded;
    ASSERT_TRUE(protocol.ReadParamBlock(ParamSource::kSetParams, set));
    ASSERT_TRUE(protocol.ReadParamBlock(ParamSource::kRecordedParams, recorded));
    EXPECT_EQ(set.bytes, sim.SetParams().bytes);
    EXPECT_EQ(recorded.bytes, sim.RecordedParams().bytes);
    EXPECT_EQ(recorded.StoredCount(), 864);
    EXPECT_EQ(recorded.U8(param::kIntervalValue), 5);

    // Stop and read: report 3, then the recorded block of the stopped recording.
    bench.now += 600;  // two more samples
    sim.ClearLog();
    ParamBlock stopped;
    ASSERT_TRUE(protocol.ReadParamBlock(ParamSource::kStopAndRead, stopped));
    ASSERT_FALSE(sim.WrittenReports().empty());
    const std::vector<uint8_t>& stop = sim.WrittenReports()[0];
    ASSERT_EQ(stop.size(), 64u);
    EXPECT_EQ(stop[0], 3);
    EXPECT_TRUE(std::all_of(stop.begin() + 1, stop.end(), [](uint8_t b) { return b == 0; }));
    EXPECT_FALSE(sim.Recording());
    EXPECT_EQ(stopped.bytes, sim.RecordedParams().bytes);
    EXPECT_EQ(stopped.StoredCount(), 866);
    EXPECT_EQ(sim.ReadReportIds(), (std::vector<uint8_t>{7, 7}));

    sim.ClearLog();
    // Write, then read back: the editable fields arrive as written.
    ParamBlock edited = EditedCopy(set, type);
    ASSERT_TRUE(protocol.WriteParamBlock(edited));
    const uint32_t stamp = static_cast<uint32_t>(type == 2 ? bench.now + 28800 : bench.now);
    EXPECT_EQ(edited.SetTime(), stamp);
    const auto& pages = sim.WrittenReports();
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(pages[0][0], 2);
    EXPECT_EQ(pages[0][1], 0);
    EXPECT_EQ(pages[1][1], 1);
    EXPECT_EQ(GetBigEndian32(&pages[1][2 + param::kSetTime - 59]), stamp);  // set time in page 1
    // Page 1 carries block bytes 59..87 and then zeros.
    EXPECT_TRUE(
        std::all_of(pages[1].begin() + 2 + 29, pages[1].end(), [](uint8_t b) { return b == 0; }));
    ParamBlock back;
    ASSERT_TRUE(protocol.ReadParamBlock(ParamSource::kSetParams, back));
    EXPECT_TRUE(std::equal(back.bytes.begin(), back.bytes.begin() + 71, edited.bytes.begin()));
    if (type == 8 || type == 11) {
        EXPECT_EQ(back.U16(param::kGasLimit), edited.U16(param::kGasLimit));
    }
    if (type == 6) {
        EXPECT_TRUE(
            std::equal(back.bytes.begin() + 81, back.bytes.end(), edited.bytes.begin() + 81));
    }
    if (type == 10) {
        EXPECT_EQ(back.U16(param::kStartDelay), 600);
    }
    EXPECT_EQ(back.StoredCount(), 866);  // kept by the instrument

    // The clock report.
    sim.ClearLog();
    ASSERT_TRUE(protocol.SetClock());
    ASSERT_EQ(sim.WrittenReports().size(), 1u);
    const std::vector<uint8_t>& clock = sim.WrittenReports()[0];
    ASSERT_EQ(clock.size(), 64u);
    EXPECT_EQ(clock[0], 1);
    EXPECT_EQ(GetBigEndian32(&clock[1]), stamp);
    const bool biasSent = type == 7 || type == 8 || type == 11;
    EXPECT_EQ(clock[5], biasSent ? 0xFE : 0x00);
    EXPECT_EQ(clock[6], biasSent ? 0x20 : 0x00);
    EXPECT_TRUE(std::all_of(clock.begin() + 7, clock.end(), [](uint8_t b) { return b == 0; }));
    EXPECT_EQ(sim.ClockError(), 0);
}

INSTANTIATE_TEST_SUITE_P(AllModels, ModelConversation, testing::Range(1, 12),
                         [](const auto& info) { return ModelName(info.param); });

// ---- Byte order of the status reply, hand-checked ---------------------------------------------

TEST(ReportProtocol, StatusReplyFieldsByModel) {
    for (InstrumentTypeId type : {2, 10}) {
        Bench bench({type});
        ASSERT_TRUE(bench.Connect());
        bench.tap->onReply = [](std::span<uint8_t> r) {
            const uint8_t wire[] = {5, 0x58, 0xC2, 0xA5, 0x00};
            std::copy(std::begin(wire), std::end(wire), r.begin());
            r[30] = 0x01;  // status bytes 29-30
            r[31] = 0x02;
        };
        ASSERT_TRUE(bench.protocol.ReadStatus());
        EXPECT_EQ(bench.state.live.Clock(), 0x58C2A500u);
        // Model 2 sends its wrap count big-endian, model 10 as held.
        EXPECT_EQ(bench.state.live.U16(29), type == 2 ? 0x0102 : 0x0201) << type;
    }
}

TEST(ReportProtocol, StatusReplyIdIsNotChecked) {
    Bench bench;
    ASSERT_TRUE(bench.Connect());
    bench.tap->onReply = [](std::span<uint8_t> r) { r[0] = 0x77; };
    EXPECT_TRUE(bench.protocol.ReadStatus());
}

// ---- Retry rules ------------------------------------------------------------------------------

TEST(ReportProtocol, WrongPageIsReadAgain) {
    Bench bench;
    ASSERT_TRUE(bench.Connect());
    InstrumentSimulator& sim = bench.Sim();
    sim.SendWrongPages(1);  // first reply page 1, then page 0, then page 1
    ParamBlock b;
    ASSERT_TRUE(bench.protocol.ReadParamBlock(ParamSource::kSetParams, b));
    EXPECT_EQ(b.bytes, sim.SetParams().bytes);
    EXPECT_EQ(sim.ReadReportIds(), (std::vector<uint8_t>{6, 6, 6}));

    sim.ClearLog();
    sim.SendWrongPages(3);  // the fourth reply of page 0 is accepted
    ASSERT_TRUE(bench.protocol.ReadParamBlock(ParamSource::kRecordedParams, b));
    EXPECT_EQ(sim.ReadReportIds().size(), 5u);
    EXPECT_TRUE(bench.link.Opened());
}

TEST(ReportProtocol, FourWrongPagesFail) {
    Bench bench;
    ASSERT_TRUE(bench.Connect());
    bench.Sim().SendWrongPages(4);
    ParamBlock b;
    b.SetU8(0, 0xAB);
    EXPECT_FALSE(bench.protocol.ReadParamBlock(ParamSource::kSetParams, b));
    EXPECT_EQ(bench.Sim().ReadReportIds().size(), 4u);
    EXPECT_FALSE(bench.link.Opened());
    EXPECT_EQ(b.U8(0), 0xAB);  // the caller's block is not touched
    EXPECT_TRUE(bench.protocol.ReadParamBlock(ParamSource::kSetParams, b));  // reopens
    EXPECT_TRUE(bench.link.Opened());
}

TEST(ReportProtocol, NotReadyBlocks) {
    Bench bench;
    ASSERT_TRUE(bench.Connect());
    InstrumentSimulator& sim = bench.Sim();
    const std::vector<uint8_t> packed = sim.PackedSamples();
    SampleBlock block;
    sim.SendNotReady(3);
    ASSERT_TRUE(bench.protocol.ReadBlock(1, block));
    EXPECT_TRUE(std::equal(block.begin(), block.end(), packed.begin() + 60));
    EXPECT_EQ(sim.WrittenReports().size(), 1u);  // one request, four replies
    EXPECT_EQ(sim.ReadReportIds().size(), 4u);
    EXPECT_EQ(sim.WrittenReports()[0][1], 0);
    EXPECT_EQ(sim.WrittenReports()[0][2], 1);

    sim.SendNotReady(4);
    EXPECT_FALSE(bench.protocol.ReadBlock(2, block));
    EXPECT_FALSE(bench.link.Opened());
}

TEST(ReportProtocol, BlockWithOnlyTheLastByteSetIsAccepted) {
    Bench bench;
    ASSERT_TRUE(bench.Connect());
    bench.tap->onReply = [](std::span<uint8_t> r) {
        std::fill(r.begin() + 1, r.begin() + 61, 0xFF);
        r[60] = 0x12;
    };
    SampleBlock block;
    ASSERT_TRUE(bench.protocol.ReadBlock(0, block));
    EXPECT_EQ(block[59], 0x12);
    EXPECT_EQ(block[0], 0xFF);
}

// ---- Failure rules ----------------------------------------------------------------------------

TEST(ReportProtocol, FailedTransferClosesAndTheNextExchangeReopens) {
    Bench bench;
    ASSERT_TRUE(bench.Connect());
    ASSERT_TRUE(bench.protocol.ReadStatus());
    bench.Sim().FailTransfer(1);
    int refreshed = 0;
    bench.protocol.SetStatusHook([&] { ++refreshed; });
    EXPECT_FALSE(bench.protocol.ReadStatus());
    EXPECT_EQ(refreshed, 0);
    EXPECT_FALSE(bench.link.Opened());
    EXPECT_TRUE(bench.link.Connected());
    EXPECT_EQ(bench.hid->OpenHandles(), 0u);
    EXPECT_TRUE(bench.protocol.ReadStatus());
    EXPECT_TRUE(bench.link.Opened());
    EXPECT_EQ(bench.hid->OpenHandles(), 1u);

    // A failure in the second page of a write, in the block request, in the stop report.
    ParamBlock b = bench.Sim().SetParams();
    bench.Sim().FailTransfer(2);
    EXPECT_FALSE(bench.protocol.WriteParamBlock(b));
    EXPECT_FALSE(bench.link.Opened());
    SampleBlock block;
    bench.Sim().FailTransfer(1);
    EXPECT_FALSE(bench.protocol.ReadBlock(0, block));
    EXPECT_FALSE(bench.link.Opened());
    bench.Sim().FailTransfer(1);
    EXPECT_FALSE(bench.protocol.ReadParamBlock(ParamSource::kStopAndRead, b));
    EXPECT_TRUE(bench.Sim().Recording());
}

TEST(ReportProtocol, FailedOpenShowsAsTheFirstTransfersFailure) {
    Bench bench;
    ASSERT_TRUE(bench.Connect());
    bench.Sim().SetAccessDenied(true);
    ParamBlock b;
    SampleBlock block;
    EXPECT_FALSE(bench.protocol.ReadStatus());
    EXPECT_FALSE(bench.protocol.ReadParamBlock(ParamSource::kStopAndRead, b));
    EXPECT_FALSE(bench.protocol.WriteParamBlock(b));
    EXPECT_FALSE(bench.protocol.SetClock());
    EXPECT_FALSE(bench.protocol.ReadBlock(0, block));
    EXPECT_EQ(bench.Sim().TransferCount(), 0u);
    EXPECT_EQ(bench.link.LastOpenFailure().status, HidStatus::kAccessDenied);
    EXPECT_TRUE(bench.Sim().Recording());
}

TEST(ReportProtocol, InstrumentVanishingMidExchange) {
    Bench bench;
    ASSERT_TRUE(bench.Connect());
    InstrumentSimulator& sim = bench.Sim();
    sim.UnplugAtTransfer(2);  // after page 0 of the parameter read
    ParamBlock b;
    EXPECT_FALSE(bench.protocol.ReadParamBlock(ParamSource::kSetParams, b));
    EXPECT_FALSE(bench.link.Opened());
    EXPECT_FALSE(bench.protocol.ReadStatus());  // nothing to open
    EXPECT_EQ(bench.link.LastOpenFailure().status, HidStatus::kDeviceNotFound);
    sim.Replug();
    EXPECT_TRUE(bench.protocol.ReadParamBlock(ParamSource::kSetParams, b));
    EXPECT_EQ(b.bytes, sim.SetParams().bytes);

    // Unplugged while open: transfers on the old handle fail, a replug needs a new open.
    ASSERT_TRUE(bench.link.Opened());
    sim.Unplug();
    sim.Replug();
    EXPECT_FALSE(bench.protocol.ReadStatus());
    EXPECT_TRUE(bench.protocol.ReadStatus());
}

TEST(ReportProtocol, ReportLengthsAbove256) {
    Bench bench;
    InstrumentSimulator& sim = bench.Sim();
    sim.SetReportLengths(300, 400);
    ASSERT_TRUE(bench.Connect());
    ASSERT_TRUE(bench.protocol.ReadStatus());
    EXPECT_EQ(bench.tap->inputLengths.back(), 256u);
    ParamBlock b;
    ASSERT_TRUE(bench.protocol.ReadParamBlock(ParamSource::kStopAndRead, b));
    EXPECT_EQ(b.bytes, sim.RecordedParams().bytes);
    SampleBlock block;
    EXPECT_FALSE(bench.protocol.ReadBlock(0x0102, block));  // beyond the recording: not ready
    ASSERT_TRUE(bench.protocol.SetClock());
    const auto& w = sim.WrittenReports();
    ASSERT_EQ(w.size(), 3u);
    // Reports 3 and 4 go out with the device's 400 bytes, zero after the command.
    EXPECT_EQ(w[0].size(), 400u);
    EXPECT_EQ(w[1].size(), 400u);
    EXPECT_EQ(w[1][0], 4);
    EXPECT_EQ(w[1][1], 0x01);
    EXPECT_EQ(w[1][2], 0x02);
    EXPECT_TRUE(std::all_of(w[1].begin() + 3, w[1].end(), [](uint8_t x) { return x == 0; }));
    // Report 1 uses the input length, capped.
    EXPECT_EQ(w[2].size(), 256u);
}

TEST(ReportProtocol, SetClockNeedsAnOpenHandle) {
    Bench bench;
    ASSERT_TRUE(bench.Connect());
    bench.Sim().Unplug();
    EXPECT_FALSE(bench.protocol.SetClock());
    EXPECT_EQ(bench.Sim().TransferCount(), 0u);
}

TEST(ReportProtocol, TypeTwoWriteAndClockUseLocalTime) {
    Bench bench({2});
    bench.state.timeZoneBias = -480;
    ASSERT_TRUE(bench.Connect());
    ParamBlock b = bench.Sim().SetParams();
    ASSERT_TRUE(bench.protocol.WriteParamBlock(b));
    EXPECT_EQ(b.SetTime(), kTestNow + 28800);
    ASSERT_TRUE(bench.protocol.SetClock());
    // The instrument now shows local time: 21:07:12 in a zone eight hours east.
    EXPECT_EQ(bench.Sim().Clock(), kTestNow + 28800);
}

TEST(ReportProtocol, UnknownTypeReadsLikeTypeZero) {
    Bench bench({1});
    bench.Sim().SetProductString("QX999");
    ASSERT_TRUE(bench.Connect());
    EXPECT_EQ(bench.state.type, 0);
    // The simulated model 1 speaks the byte order of type 0 for these fields.
    ASSERT_TRUE(bench.protocol.ReadStatus());
    EXPECT_EQ(bench.state.live.Clock(), bench.Sim().Clock());
    ParamBlock b;
    ASSERT_TRUE(bench.protocol.ReadParamBlock(ParamSource::kSetParams, b));
    EXPECT_EQ(b.bytes, bench.Sim().SetParams().bytes);
}

}  // namespace
}  // namespace qx
