#include "core/link/device_commands.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "core/link/instrument_messages.h"
#include "link_fixture.h"

namespace qx {
namespace {

using test::Bench;
using test::kTestNow;
using Strings = std::vector<std::string>;

std::string Warning(const char* text) {
    return std::string("warning:") + text;
}
std::string Info(const char* text) {
    return std::string("info:") + text;
}
std::string Confirm(const char* text) {
    return std::string("confirm:") + text;
}

bool Sent(InstrumentSimulator& sim, uint8_t id) {
    const auto& w = sim.WrittenReports();
    return std::any_of(w.begin(), w.end(), [id](const auto& r) { return r[0] == id; });
}

// ---- Connect, disconnect, notices -------------------------------------------------------------

TEST(DeviceCommands, ConnectReadsParametersAndSaysSo) {
    Bench bench({5});
    EXPECT_TRUE(bench.commands.Connect());
    EXPECT_EQ(bench.ui.events,
              (Strings{"params:set", "params:recorded", "updata", "panel", Info(msg::kConnected)}));
    EXPECT_EQ(bench.state.type, 5);
    EXPECT_TRUE(bench.state.statusOk);
    EXPECT_EQ(bench.state.setParams.bytes, bench.Sim().SetParams().bytes);
    EXPECT_EQ(bench.state.recordedParams.bytes, bench.Sim().RecordedParams().bytes);
    EXPECT_EQ(bench.ui.refreshCount, 1);
}

TEST(DeviceCommands, NothingToConnect) {
    Bench bench({1, 2});
    bench.ui.chooseAnswers = {-1};
    EXPECT_FALSE(bench.commands.Connect());
    EXPECT_EQ(bench.ui.events, (Strings{"choose", "updata", Warning(msg::kNoDevice)}));
    EXPECT_EQ(bench.ui.choicePreselected, 1);
    EXPECT_EQ(bench.state.type, 0);

    Bench none(std::vector<InstrumentTypeId>{});
    EXPECT_FALSE(none.commands.Connect());
    EXPECT_EQ(none.ui.Messages(), Strings{Warning(msg::kNoDevice)});
}

TEST(DeviceCommands, UnplugAndReplugReconnects) {
    Bench bench({3});
    ASSERT_TRUE(bench.commands.Connect());
    bench.ui.events.clear();
    bench.commands.OnDeviceChange(DeviceEvent::kRemoval, "/dev/hidraw7");  // another device
    EXPECT_TRUE(bench.link.Opened());
    bench.Sim().Unplug();
    bench.commands.OnDeviceChange(DeviceEvent::kRemoval, "/dev/hidraw0");
    EXPECT_FALSE(bench.link.Opened());
    EXPECT_TRUE(bench.commands.Connected());
    EXPECT_TRUE(bench.ui.events.empty());
    bench.Sim().Replug();
    bench.commands.OnDeviceChange(DeviceEvent::kArrival, "/DEV/HIDRAW0");
    EXPECT_EQ(bench.ui.Messages(), Strings{Info(msg::kConnected)});
    EXPECT_TRUE(bench.link.Opened());

    bench.commands.Disconnect();
    EXPECT_FALSE(bench.commands.Connected());
    EXPECT_FALSE(bench.state.statusOk);
    EXPECT_EQ(bench.ui.events.back(), "updata");
}

TEST(DeviceCommands, PermissionProblemIsShownOncePerConnection) {
    Bench bench({1});
    bench.Sim().SetAccessDenied(true);
    EXPECT_TRUE(bench.commands.Connect());
    const std::string denied = "warning:" + msg::AccessDeniedMessage("/dev/hidraw0");
    EXPECT_EQ(bench.ui.Messages(), (Strings{denied, Info(msg::kConnected)}));
    EXPECT_NE(denied.find("/dev/hidraw0"), std::string::npos);
    EXPECT_NE(denied.find("udev"), std::string::npos);
    EXPECT_FALSE(bench.state.statusOk);
    EXPECT_TRUE(bench.commands.PollTick(0, true, 1));
    EXPECT_EQ(bench.ui.Messages().size(), 2u);  // not repeated by polling
    bench.commands.Connect();
    EXPECT_EQ(bench.ui.Messages().size(), 4u);  // a new connection reports it again
}

// ---- Polling ----------------------------------------------------------------------------------

TEST(DeviceCommands, PollingDecision) {
    Bench bench;
    EXPECT_FALSE(bench.commands.PollTick(0, true, 1));  // not connected
    ASSERT_TRUE(bench.Connect());
    EXPECT_FALSE(bench.commands.PollTick(0, false, 1));  // automatic reading off
    EXPECT_TRUE(bench.commands.PollTick(5000, true, 2));
    EXPECT_EQ(bench.state.lastPollTimeMs, 5000);
    EXPECT_TRUE(bench.state.statusOk);
    EXPECT_FALSE(bench.commands.PollTick(6999, true, 2));  // 1.999 s: whole seconds 1 < 2
    EXPECT_TRUE(bench.commands.PollTick(7000, true, 2));
    bench.state.pollAllowed = false;
    EXPECT_FALSE(bench.commands.PollTick(20000, true, 2));
    bench.state.pollAllowed = true;
    bench.commands.ResetPollTimer();
    EXPECT_TRUE(bench.commands.PollTick(7001, true, 5));  // reset: polls at once

    // A failed read clears statusOk and still updates the panel.
    const int updates = bench.ui.updataCount;
    bench.Sim().FailTransfer(1);
    EXPECT_TRUE(bench.commands.PollTick(20000, true, 1));
    EXPECT_FALSE(bench.state.statusOk);
    EXPECT_EQ(bench.ui.updataCount, updates + 1);
    EXPECT_TRUE(bench.ui.Messages().empty());
}

// ---- Read and set parameters ------------------------------------------------------------------

TEST(DeviceCommands, ReadParametersByBlocksPresent) {
    Bench noBlocks;
    noBlocks.Sim().SetHasSetParams(false);
    noBlocks.Sim().ClearRecording();
    ASSERT_TRUE(noBlocks.Connect());
    EXPECT_EQ(noBlocks.commands.ReadParameters(), CommandResult::kRefused);
    EXPECT_EQ(noBlocks.ui.Messages(), Strings{Warning(msg::kNoParams)});

    Bench setOnly;
    setOnly.Sim().ClearRecording();
    ASSERT_TRUE(setOnly.Connect());
    EXPECT_EQ(setOnly.commands.ReadParameters(), CommandResult::kDone);
    EXPECT_EQ(setOnly.ui.events, (Strings{"params:recorded:cleared", "params:set"}));
    EXPECT_EQ(setOnly.Sim().ReadReportIds(), (std::vector<uint8_t>{5, 6, 6}));

    Bench recordedOnly;
    recordedOnly.Sim().SetHasSetParams(false);
    ASSERT_TRUE(recordedOnly.Connect());
    EXPECT_EQ(recordedOnly.commands.ReadParameters(), CommandResult::kDone);
    EXPECT_EQ(recordedOnly.ui.events, (Strings{"params:set:cleared", "params:recorded"}));

    Bench failing;
    ASSERT_TRUE(failing.Connect());
    failing.Sim().FailTransfer(2);  // the first page of the set parameters
    EXPECT_EQ(failing.commands.ReadParameters(), CommandResult::kFailed);
    EXPECT_TRUE(failing.ui.Messages().empty());
    EXPECT_TRUE(failing.state.statusOk);
    EXPECT_EQ(failing.commands.ReadParameters(), CommandResult::kDone);
}

TEST(DeviceCommands, SetParametersImmediateStart) {
    Bench bench({8});
    ASSERT_TRUE(bench.commands.Connect());
    bench.ui.events.clear();
    bench.state.pollAllowed = false;
    bench.ui.edit = [](ParamBlock& b) {
        b.SetName(u"会议室");
        b.SetU16(param::kGasLimit, 800);
        b.SetU8(param::kStartMode, 1);
        return true;
    };
    const uint32_t held = bench.Sim().DownloadableCount();
    EXPECT_EQ(bench.commands.SetParameters(), CommandResult::kDone);
    EXPECT_EQ(bench.ui.events,
              (Strings{"edit", Confirm(msg::AskClearRecordingMessage(held).c_str()), "params:set",
                       "params:recorded", Info(msg::kMeasuring)}));
    EXPECT_TRUE(bench.state.pollAllowed);
    EXPECT_EQ(bench.state.setParams.SetTime(), kTestNow);
    EXPECT_EQ(bench.state.recordedParams.bytes, bench.state.setParams.bytes);
    EXPECT_EQ(bench.Sim().SetParams().U16(param::kGasLimit), 800);
    EXPECT_EQ(bench.Sim().SetParams().Name(), u"会议室");
    EXPECT_TRUE(bench.Sim().Recording());
    EXPECT_EQ(bench.Sim().DownloadableCount(), 1u);  // a new recording began
}

TEST(DeviceCommands, SetParametersManualStartCancelAndFailure) {
    Bench bench({1});
    ASSERT_TRUE(bench.commands.Connect());
    bench.ui.events.clear();
    bench.ui.edit = [](ParamBlock& b) {
        b.SetU8(param::kStartMode, 0);
        return true;
    };
    bench.Sim().ClearRecording();  // nothing recorded: nothing to ask
    EXPECT_EQ(bench.commands.SetParameters(), CommandResult::kDone);
    EXPECT_EQ(bench.ui.events, (Strings{"edit", "params:set", Info(msg::kPressButton)}));
    EXPECT_FALSE(bench.Sim().Recording());

    bench.ui.events.clear();
    bench.Sim().ClearLog();
    bench.ui.edit = nullptr;  // Cancel
    EXPECT_EQ(bench.commands.SetParameters(), CommandResult::kCancelled);
    EXPECT_FALSE(Sent(bench.Sim(), 2));

    bench.ui.edit = [](ParamBlock&) { return true; };
    const ParamBlock before = bench.state.setParams;
    for (int transfer : {1, 2}) {  // the fresh status read, the write
        bench.Sim().FailTransfer(transfer);
        bench.ui.events.clear();
        EXPECT_EQ(bench.commands.SetParameters(), CommandResult::kFailed) << transfer;
        EXPECT_EQ(bench.ui.Messages(), Strings{Warning(msg::kWriteFailed)}) << transfer;
        EXPECT_EQ(bench.state.setParams.bytes, before.bytes);
        bench.state.statusOk = true;
    }

    bench.state.statusOk = false;  // the command is disabled until a status read succeeds
    bench.state.pollAllowed = false;
    EXPECT_EQ(bench.commands.SetParameters(), CommandResult::kNotConnected);
    EXPECT_TRUE(bench.state.pollAllowed);
}

TEST(DeviceCommands, SetParametersAsksBeforeClearingTheRecordedSamples) {
    Bench bench({2});
    ASSERT_TRUE(bench.commands.Connect());
    bench.ui.edit = [](ParamBlock& b) {
        b.SetName(u"新设置");
        return true;
    };
    // The count asked about is the one read just before the write, not the one at connect.
    bench.Sim().StartRecording({864, 5, 1, 0, false});
    bench.ui.events.clear();
    bench.ui.confirmAnswers = {false};
    const ParamBlock before = bench.Sim().SetParams();
    EXPECT_EQ(bench.commands.SetParameters(), CommandResult::kCancelled);
    EXPECT_EQ(bench.ui.Messages(),
              Strings{Confirm("仪器中有864个记录数据,设置参数后将被清除!\n"
                              "如要保留这些数据,请先接收数据.\n确定要设置参数吗?")});
    EXPECT_FALSE(Sent(bench.Sim(), 2));
    EXPECT_EQ(bench.Sim().SetParams().bytes, before.bytes);
    EXPECT_EQ(bench.Sim().DownloadableCount(), 864u);
    EXPECT_TRUE(bench.state.pollAllowed);

    // A wrapped cyclic memory: the count a download would fetch.
    bench.Sim().StartRecording({21378 + 100, 5, 0, param::kCyclicSetting, false});
    ASSERT_EQ(bench.commands.ReadParameters(), CommandResult::kDone);
    bench.ui.events.clear();
    bench.ui.confirmAnswers = {true};
    EXPECT_EQ(bench.commands.SetParameters(), CommandResult::kDone);
    EXPECT_EQ(bench.ui.Messages().front(),
              Confirm(msg::AskClearRecordingMessage(21336 + 16).c_str()));
    EXPECT_TRUE(Sent(bench.Sim(), 2));
    EXPECT_EQ(bench.Sim().SetParams().Name(), u"新设置");
}

// ---- Clock, refresh, stop ---------------------------------------------------------------------

TEST(DeviceCommands, CalibrateClock) {
    Bench bench({9});
    ASSERT_TRUE(bench.Connect());
    EXPECT_EQ(bench.commands.CalibrateClock(), CommandResult::kRefused);
    EXPECT_EQ(bench.ui.Messages(), Strings{Warning(msg::kRecordingNoClock)});
    EXPECT_EQ(bench.Sim().ClockError(), 97);

    bench.Sim().StartRecording({100, 1, 1, 0, false});
    bench.ui.events.clear();
    EXPECT_EQ(bench.commands.CalibrateClock(), CommandResult::kDone);
    EXPECT_EQ(bench.ui.Messages(), Strings{Info(msg::kClockOk)});
    EXPECT_EQ(bench.Sim().ClockError(), 0);

    bench.ui.events.clear();
    bench.Sim().FailTransfer(2);
    EXPECT_EQ(bench.commands.CalibrateClock(), CommandResult::kFailed);
    EXPECT_EQ(bench.ui.Messages(), Strings{Warning(msg::kClockFailed)});

    bench.ui.events.clear();
    bench.state.statusOk = true;
    bench.Sim().FailTransfer(1);
    EXPECT_EQ(bench.commands.CalibrateClock(), CommandResult::kFailed);
    EXPECT_TRUE(bench.ui.Messages().empty());  // a failed status read stops silently
    EXPECT_TRUE(bench.state.statusOk);         // and leaves statusOk alone
}

TEST(DeviceCommands, RefreshFollowsTheStatusRead) {
    Bench bench;
    EXPECT_EQ(bench.commands.Refresh(), CommandResult::kNotConnected);
    ASSERT_TRUE(bench.Connect());
    EXPECT_EQ(bench.commands.Refresh(), CommandResult::kDone);
    EXPECT_TRUE(bench.state.statusOk);
    EXPECT_EQ(bench.ui.refreshCount, 1);
    bench.Sim().FailTransfer(1);
    EXPECT_EQ(bench.commands.Refresh(), CommandResult::kFailed);
    EXPECT_FALSE(bench.state.statusOk);
}

TEST(DeviceCommands, StopRecording) {
    Bench bench;
    ASSERT_TRUE(bench.Connect());
    bench.ui.confirmAnswers = {false};
    EXPECT_EQ(bench.commands.StopRecording(), CommandResult::kCancelled);
    EXPECT_FALSE(Sent(bench.Sim(), 3));
    EXPECT_EQ(bench.commands.StopRecording(), CommandResult::kDone);
    EXPECT_EQ(bench.ui.Messages(), (Strings{Confirm(msg::kAskStop), Confirm(msg::kAskStop)}));
    EXPECT_TRUE(Sent(bench.Sim(), 3));
    EXPECT_FALSE(bench.Sim().Recording());

    // A recording exists but is not running: warn, send nothing.
    bench.Sim().ClearLog();
    bench.ui.events.clear();
    bench.state.pollAllowed = false;
    EXPECT_EQ(bench.commands.StopRecording(), CommandResult::kRefused);
    EXPECT_EQ(bench.ui.Messages(), Strings{Warning(msg::kNotRecording)});
    EXPECT_FALSE(Sent(bench.Sim(), 3));
    EXPECT_TRUE(bench.state.pollAllowed);

    bench.Sim().FailTransfer(1);
    bench.state.pollAllowed = false;
    EXPECT_EQ(bench.commands.StopRecording(), CommandResult::kFailed);
    EXPECT_FALSE(bench.state.statusOk);
    EXPECT_TRUE(bench.state.pollAllowed);
}

// ---- Receive data -----------------------------------------------------------------------------

TEST(DeviceCommands, ReceiveDataConfirmationRule) {
    Bench bench;
    ASSERT_TRUE(bench.Connect());
    bench.Sim().StartRecording({0, 1, 1, 0, true});  // recording, nothing stored yet
    EXPECT_EQ(bench.commands.RequestDownload(), CommandResult::kRefused);
    bench.Sim().ClearRecording();
    EXPECT_EQ(bench.commands.RequestDownload(), CommandResult::kRefused);
    EXPECT_EQ(bench.ui.Messages(),
              (Strings{Warning(msg::kNoRecording), Warning(msg::kNoRecording)}));
    EXPECT_FALSE(bench.commands.DownloadPending());

    bench.Sim().StartRecording({45, 1, 1, 0, false});
    bench.ui.events.clear();
    bench.ui.confirmAnswers = {false};
    EXPECT_EQ(bench.commands.RequestDownload(), CommandResult::kCancelled);
    EXPECT_FALSE(bench.commands.DownloadTimerTick());
    EXPECT_EQ(bench.commands.RequestDownload(), CommandResult::kDone);
    EXPECT_EQ(bench.ui.Messages(),
              (Strings{Confirm(msg::kAskDownload), Confirm(msg::kAskDownload)}));
    EXPECT_TRUE(bench.commands.DownloadPending());

    EXPECT_TRUE(bench.commands.DownloadTimerTick());
    EXPECT_FALSE(bench.state.pollAllowed);
    RecordImage image;
    const DownloadResult r = bench.commands.ReceiveData(image, {});
    EXPECT_EQ(r.status, DownloadStatus::kOk);
    EXPECT_EQ(r.fetched, 45u);
    EXPECT_TRUE(bench.state.pollAllowed);
    EXPECT_FALSE(bench.commands.DownloadPending());
    bench.commands.AcceptDownload(r.params);
    EXPECT_EQ(bench.state.recordedParams.bytes, r.params.bytes);
    EXPECT_EQ(bench.ui.events.back(), "params:recorded");
}

TEST(DeviceCommands, ReceiveDataFailures) {
    Bench bench;
    ASSERT_TRUE(bench.Connect());
    RecordImage image;
    bench.Sim().FailTransfer(5);  // the first block's reply
    bench.state.pollAllowed = false;
    EXPECT_EQ(bench.commands.ReceiveData(image, {}).status, DownloadStatus::kBlockFailed);
    EXPECT_EQ(bench.ui.Messages(), Strings{Warning(msg::kDownloadFailed)});
    EXPECT_TRUE(bench.state.pollAllowed);
    EXPECT_FALSE(bench.link.Opened());

    bench.ui.events.clear();
    bench.Sim().FailTransfer(1);
    EXPECT_EQ(bench.commands.ReceiveData(image, {}).status, DownloadStatus::kStopReadFailed);
    EXPECT_TRUE(bench.ui.Messages().empty());
    EXPECT_TRUE(bench.state.pollAllowed);

    bench.link.Disconnect();
    bench.state.pollAllowed = false;
    EXPECT_FALSE(bench.commands.DownloadTimerTick());
    EXPECT_EQ(bench.commands.ReceiveData(image, {}).status, DownloadStatus::kNotConnected);
    EXPECT_TRUE(bench.state.pollAllowed);
}

}  // namespace
}  // namespace qx
