#include "device_commands.h"

#include "core/model/language.h"
#include "core/model/local_time.h"
#include "core/model/param_profile.h"
#include "core/model/text_util.h"
#include "instrument_messages.h"

namespace qx {

std::string msg::AccessDeniedMessage(const std::string& devicePath) {
    return StrFormat(
        Tr("没有权限打开仪器设备 %s!\n请安装 qxlog 软件包，或按 README.md 的说明安装 udev 规则 "
           "70-qxlog.rules，然后重新插入仪器。"),
        devicePath.empty() ? "(/dev/hidraw*)" : devicePath.c_str());
}

std::string msg::AskClearRecordingMessage(uint32_t count) {
    return StrFormat(
        TrN("仪器中有%u个记录数据,设置参数后将被清除!\n如要保留这些数据,请先接收数据.\n"
            "确定要设置参数吗?",
            count),
        count);
}

namespace {

// The samples the instrument holds by a status just read: the stored count, or for a cyclic
// memory that has wrapped the count the download would fetch.
uint32_t HeldSampleCount(const InstrumentState& state) {
    if (!state.live.HasRecording()) return 0;
    ParamBlock held = state.recordedParams;
    held.SetU16(param::kStoredCount, state.live.StoredCount());
    if (HasCyclicRecording(state.type))
        held.SetU16(param::kWrapCount, state.live.U16(live::kFlowOrWrap));
    return EffectiveRecordCount(held, state.type);
}

}  // namespace

DeviceCommands::DeviceCommands(InstrumentLink& link, ReportProtocol& protocol, InstrumentUi& ui)
    : link_(link), protocol_(protocol), ui_(ui), state_(link.State()) {
    protocol_.SetStatusHook([this] { ui_.RefreshDisp(); });
}

void DeviceCommands::ReportOpenProblem() {
    const OpenFailure& failure = link_.LastOpenFailure();
    if (failure.status != HidStatus::kAccessDenied || accessReported_) return;
    accessReported_ = true;
    ui_.ShowWarning(msg::AccessDeniedMessage(failure.devicePath));
}

bool DeviceCommands::Connect() {
    accessReported_ = false;
    const bool chosen = link_.Connect([this](const std::vector<std::string>& names, int pre) {
        return ui_.ChooseDevice(names, pre);
    });
    if (chosen) ReadParameters();
    ui_.UpdataControl();
    if (chosen) {
        ui_.ShowDevicePanel();
        ui_.ShowInfo(Tr(msg::kConnected));
    } else {
        ui_.ShowWarning(Tr(msg::kNoDevice));
    }
    return chosen;
}

void DeviceCommands::Disconnect() {
    link_.Disconnect();
    ui_.UpdataControl();
}

void DeviceCommands::OnDeviceChange(DeviceEvent event, std::string_view devicePath) {
    if (link_.OnDeviceChange(event, devicePath) == DeviceChangeAction::kReconnect) Connect();
}

bool DeviceCommands::PollTick(int64_t nowMs, bool autoRead, int intervalSeconds) {
    if (!link_.Connected() || !autoRead || !state_.pollAllowed) return false;
    if (state_.lastPollTimeMs != -1 && (nowMs - state_.lastPollTimeMs) / 1000 < intervalSeconds) {
        return false;
    }
    state_.lastPollTimeMs = nowMs;
    state_.statusOk = protocol_.ReadStatus();
    if (!state_.statusOk) ReportOpenProblem();
    ui_.UpdataControl();
    return true;
}

CommandResult DeviceCommands::ReadParameters() {
    if (!link_.Connected()) return CommandResult::kNotConnected;
    state_.statusOk = protocol_.ReadStatus();
    if (!state_.statusOk) {
        ReportOpenProblem();
        return CommandResult::kFailed;
    }
    const uint8_t m = state_.live.U8(live::kBlocksPresent);
    if (m == 1) ui_.ShowParams(ParamListKind::kRecorded, nullptr);
    if (m == 2) ui_.ShowParams(ParamListKind::kSet, nullptr);
    if (m == 0) {
        ui_.ShowWarning(Tr(msg::kNoParams));
        return CommandResult::kRefused;
    }
    if (m & live::kSetParamsPresent) {
        if (!protocol_.ReadParamBlock(ParamSource::kSetParams, state_.setParams)) {
            return CommandResult::kFailed;
        }
        ui_.ShowParams(ParamListKind::kSet, &state_.setParams);
    }
    if (m & live::kRecordedParamsPresent) {
        if (!protocol_.ReadParamBlock(ParamSource::kRecordedParams, state_.recordedParams)) {
            return CommandResult::kFailed;
        }
        ui_.ShowParams(ParamListKind::kRecorded, &state_.recordedParams);
    }
    return CommandResult::kDone;
}

CommandResult DeviceCommands::SetParameters(const ReadBackCheck& check) {
    CommandResult result = CommandResult::kNotConnected;
    if (CanSetParameters()) {
        ParamBlock copy = state_.setParams;
        result = CommandResult::kCancelled;
        ui_.EditParams(copy, [&](const ParamBlock& edited) {
            result = WriteEdited(edited, check);
            return result == CommandResult::kDone;
        });
    }
    state_.pollAllowed = true;
    return result;
}

CommandResult DeviceCommands::WriteEdited(ParamBlock block, const ReadBackCheck& check) {
    if (!(state_.statusOk = protocol_.ReadStatus())) {
        // The status is read afresh to learn what a write would clear; nothing is written.
        ReportOpenProblem();
        ui_.ShowWarning(Tr(msg::kWriteFailed));
        return CommandResult::kFailed;
    }
    // New settings begin a new recording: the stored samples are kept unless the user agrees
    // to lose them.
    if (const uint32_t held = HeldSampleCount(state_);
        held != 0 && !ui_.ConfirmOkCancel(msg::AskClearRecordingMessage(held))) {
        return CommandResult::kCancelled;
    }
    if (!protocol_.WriteParamBlock(block)) {
        ReportOpenProblem();
        ui_.ShowWarning(Tr(msg::kWriteFailed));
        return CommandResult::kFailed;
    }
    // What the instrument holds now, which may differ from what was sent.
    ParamBlock back;
    if (!protocol_.ReadParamBlock(ParamSource::kSetParams, back)) {
        ReportOpenProblem();
        state_.setParams = block;
        ui_.ShowParams(ParamListKind::kSet, &state_.setParams);
        ui_.ShowWarning(Tr(msg::kReadBackFailed));
        return CommandResult::kFailed;
    }
    state_.setParams = back;
    ui_.ShowParams(ParamListKind::kSet, &state_.setParams);
    const bool immediate = back.U8(param::kStartMode) != 0;
    if (immediate) {
        state_.recordedParams = back;
        ui_.ShowParams(ParamListKind::kRecorded, &state_.recordedParams);
    }
    std::string difference;
    if (check) {
        difference = check(block, back);
    } else if (const auto d = ReadBackDifference(nullptr, block, back, state_.type)) {
        difference = ReadBackMessage(*d);
    }
    if (!difference.empty()) {
        ui_.ShowWarning(difference);
        return CommandResult::kFailed;
    }
    ui_.ShowInfo(Tr(immediate ? msg::kMeasuring : msg::kPressButton));
    return CommandResult::kDone;
}

CommandResult DeviceCommands::CalibrateClock() {
    if (!link_.Connected()) return CommandResult::kNotConnected;
    if (!protocol_.ReadStatus()) {
        ReportOpenProblem();
        return CommandResult::kFailed;
    }
    if (state_.live.IsRecording()) {
        ui_.ShowWarning(Tr(msg::kRecordingNoClock));
        return CommandResult::kRefused;
    }
    if (!protocol_.SetClock()) {
        ui_.ShowWarning(Tr(msg::kClockFailed));
        return CommandResult::kFailed;
    }
    ui_.ShowInfo(Tr(msg::kClockOk));
    return CommandResult::kDone;
}

CommandResult DeviceCommands::Refresh() {
    if (!link_.Connected()) return CommandResult::kNotConnected;
    state_.statusOk = protocol_.ReadStatus();
    if (!state_.statusOk) {
        ReportOpenProblem();
        return CommandResult::kFailed;
    }
    return CommandResult::kDone;
}

CommandResult DeviceCommands::StopRecording() {
    if (!link_.Connected()) return CommandResult::kNotConnected;
    CommandResult result = CommandResult::kDone;
    if (!protocol_.ReadStatus()) {
        state_.statusOk = false;
        ReportOpenProblem();
        result = CommandResult::kFailed;
    } else {
        state_.statusOk = true;
        if (!state_.live.HasRecording() || !state_.live.IsRecording()) {
            ui_.ShowWarning(Tr(msg::kNotRecording));
            result = CommandResult::kRefused;
        } else if (!ui_.ConfirmOkCancel(Tr(msg::kAskStop))) {
            result = CommandResult::kCancelled;
        } else {
            ParamBlock scratch;
            if (!protocol_.ReadParamBlock(ParamSource::kStopAndRead, scratch)) {
                result = CommandResult::kFailed;
            }
        }
    }
    state_.pollAllowed = true;
    return result;
}

CommandResult DeviceCommands::RequestDownload() {
    if (!link_.Connected()) return CommandResult::kNotConnected;
    state_.statusOk = protocol_.ReadStatus();
    if (!state_.statusOk) {
        ReportOpenProblem();
        return CommandResult::kFailed;
    }
    if (!state_.live.HasRecording() || state_.live.StoredCount() == 0) {
        ui_.ShowWarning(Tr(msg::kNoRecording));
        return CommandResult::kRefused;
    }
    if (!ui_.ConfirmOkCancel(Tr(msg::kAskDownload))) return CommandResult::kCancelled;
    downloadPending_ = true;
    return CommandResult::kDone;
}

bool DeviceCommands::DownloadTimerTick() {
    if (!link_.Connected() || !downloadPending_) return false;
    state_.pollAllowed = false;
    return true;
}

bool DeviceCommands::ReadRecordingParams(ParamBlock& out) {
    if (!link_.Connected()) return false;
    if (protocol_.ReadParamBlock(ParamSource::kRecordedParams, out)) return true;
    ReportOpenProblem();
    return false;
}

void DeviceCommands::CancelDownload() {
    downloadPending_ = false;
    state_.pollAllowed = true;
}

DownloadResult DeviceCommands::ReceiveData(RecordImage& image, const DownloadHooks& hooks) {
    downloadPending_ = false;
    if (!link_.Connected()) {
        state_.pollAllowed = true;
        return DownloadResult{};
    }
    state_.pollAllowed = false;
    DownloadResult result = DownloadRecord(protocol_, image, hooks);
    state_.pollAllowed = true;
    if (result.status == DownloadStatus::kStopReadFailed) ReportOpenProblem();
    if (result.status == DownloadStatus::kBlockFailed) ui_.ShowWarning(Tr(msg::kDownloadFailed));
    return result;
}

void DeviceCommands::AcceptDownload(const ParamBlock& params) {
    state_.recordedParams = params;
    ui_.ShowParams(ParamListKind::kRecorded, &state_.recordedParams);
}

InstrumentSession::InstrumentSession(std::unique_ptr<HidLibrary> hidLibrary, InstrumentUi& ui,
                                     UtcClock clock, SleepFunction sleep)
    : hid(std::move(hidLibrary)),
      link(*hid, state, std::move(sleep)),
      protocol(link, clock),
      commands(link, protocol, ui) {
    state.timeZoneBias = LocalTimeZoneBias(static_cast<std::time_t>(clock()));
}

}  // namespace qx
