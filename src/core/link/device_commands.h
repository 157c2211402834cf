// The instrument commands of the main window as decisions: connect, disconnect, plug and
// unplug notices, status polling, read parameters, set parameters (the editor is the UI's),
// calibrate clock, refresh, stop recording and receive data. They run the exchanges of
// ReportProtocol, keep the shared InstrumentState and talk to the user only through
// InstrumentUi, with the program's own texts (instrument_messages.h).
//
// Enable rules for menus and buttons: connect while !Connected(); disconnect, read
// parameters, calibrate clock, refresh and receive data while Connected(); set parameters
// while CanSetParameters(); stop recording always.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "instrument_link.h"
#include "instrument_ui.h"
#include "record_download.h"
#include "report_protocol.h"

namespace qx {

enum class CommandResult {
    kDone,          // ran to its end
    kNotConnected,  // no instrument chosen: nothing done
    kFailed,        // an exchange with the instrument failed
    kRefused,       // stopped with a warning (nothing recorded, recording running, ...)
    kCancelled,     // the user cancelled
};

class DeviceCommands {
  public:
    // Installs ui.RefreshDisp as the protocol's status hook.
    DeviceCommands(InstrumentLink& link, ReportProtocol& protocol, InstrumentUi& ui);

    bool Connected() const { return link_.Connected(); }
    bool CanSetParameters() const { return link_.Connected() && link_.State().statusOk; }

    // Connect (menu "连接测试仪", also a plug notice of the chosen instrument): chooses, reads
    // the parameters, updates the panel, shows "连接到设备." or warns "没发现有效设备!".
    bool Connect();
    // Disconnect (menu "断开连接").
    void Disconnect();
    // A device plug or unplug notice with the device node's path.
    void OnDeviceChange(DeviceEvent event, std::string_view devicePath);
    // Timer tick of the status polling with the process clock in ms and the settings
    // "EnAutoReadParam" and "ReadParamInterval" (1..5 s). True when it polled.
    bool PollTick(int64_t nowMs, bool autoRead, int intervalSeconds);
    // Next tick polls at once (the panel changed the polling settings).
    void ResetPollTimer() { link_.State().lastPollTimeMs = -1; }

    CommandResult ReadParameters();
    // Set parameters: runs the editor on a copy of SetParams; on its OK, with the editor still
    // open, reads the status afresh, asks before clearing stored samples, writes the block and
    // reads it back. The block read back becomes SetParams; `check` compares it with the block
    // written and returns the message of a difference (default: every setting of the model,
    // ReadBackDifference). A refused question, a failed exchange or a difference keeps the
    // editor open with the user's edits; the result is that of the last OK, kCancelled when
    // the editor was cancelled before any.
    using ReadBackCheck =
        std::function<std::string(const ParamBlock& written, const ParamBlock& held)>;
    CommandResult SetParameters(const ReadBackCheck& check = {});
    CommandResult CalibrateClock();
    CommandResult Refresh();
    CommandResult StopRecording();

    // Receive data: checks that a recording exists and asks "确定要下载数据吗?". kDone means
    // confirmed: the caller starts its 50 ms one-shot download timer.
    CommandResult RequestDownload();
    bool DownloadPending() const { return downloadPending_; }
    // The download timer's tick: true when the download should start now (posts
    // RecvTestData); it holds off status polling from here on.
    bool DownloadTimerTick();
    // The settings of the stored recording, read without stopping it, so that the record
    // file's name can be settled before the download stops anything. False when the exchange
    // fails (nothing is shown but the permission problem).
    bool ReadRecordingParams(ParamBlock& out);
    // A confirmed download that will not run (no file to write it to): nothing pending, polling
    // allowed again.
    void CancelDownload();
    // RecvTestData: fetches the recording into image. On kOk the caller saves the image and,
    // once saved and decoded, calls AcceptDownload with result.params. A failed block warns
    // "下载出错!". Polling is allowed again on every way out.
    DownloadResult ReceiveData(RecordImage& image, const DownloadHooks& hooks);
    // RecordedParams = the downloaded block, shown in the recorded-parameter list.
    void AcceptDownload(const ParamBlock& params);

  private:
    // After a failed exchange: an instrument that may not be opened is reported once per
    // connection, with the device path and the remedy.
    void ReportOpenProblem();
    // The editor's OK of SetParameters: question, write, read-back.
    CommandResult WriteEdited(ParamBlock block, const ReadBackCheck& check);

    InstrumentLink& link_;
    ReportProtocol& protocol_;
    InstrumentUi& ui_;
    InstrumentState& state_;
    bool downloadPending_ = false;
    bool accessReported_ = false;
};

// Everything the program needs to drive instruments, wired together: the HID backend, the
// shared state, the link, the protocol and the commands. The state's time-zone bias is read
// from the local zone at construction.
struct InstrumentSession {
    InstrumentSession(std::unique_ptr<HidLibrary> hidLibrary, InstrumentUi& ui,
                      UtcClock clock = SystemUtcNow, SleepFunction sleep = SleepMilliseconds);

    std::unique_ptr<HidLibrary> hid;
    InstrumentState state;
    InstrumentLink link;
    ReportProtocol protocol;
    DeviceCommands commands;
};

}  // namespace qx
