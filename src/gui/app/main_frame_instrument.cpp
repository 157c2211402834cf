// The main window's instrument side: the InstrumentUi the commands talk through, the
// instrument commands, plug and unplug notices, status polling and the download with the wait
// popup.
#include <QApplication>
#include <QEventLoop>
#include <QGuiApplication>
#include <QTimer>

#include "app_settings.h"
#include "core/records/record_file.h"
#include "core/records/sample_decoding.h"
#include "dlg_wait_info.h"
#include "gui/browser/data_view.h"
#include "gui/common/prompter.h"
#include "gui/common/qt_text.h"
#include "gui/device/device_monitor.h"
#include "gui/device/qx420_view.h"
#include "gui/device/select_dialog.h"
#include "gui/device/set_param_dlg.h"
#include "main_frame.h"

namespace qx {

// ---- InstrumentUi -----------------------------------------------------------------------------

void CMainFrame::ShowWarning(const std::string& text) {
    qx::ShowWarning(this, ToQString(text));
}

void CMainFrame::ShowInfo(const std::string& text) {
    qx::ShowInfo(this, ToQString(text));
}

bool CMainFrame::ConfirmOkCancel(const std::string& text) {
    return AskOkCancel(this, ToQString(text));
}

int CMainFrame::ChooseDevice(const std::vector<std::string>& names, int preselected) {
    QStringList list;
    for (const std::string& name : names)
        list.append(ToQString(name));
    CSelectDialog dialog(list, preselected, this);
    if (Prompts().Exec(dialog) != QDialog::Accepted) return -1;
    return dialog.selectedIndex;
}

bool CMainFrame::EditParams(ParamBlock& block,
                            const std::function<bool(const ParamBlock&)>& commit) {
    CSetParamDlg dialog(session_->state.type, session_->state.timeZoneBias, this);
    dialog.block = block;
    dialog.now = env_.clock;
    dialog.commit = commit;
    return RunSetParamDialog(dialog, block);
}

void CMainFrame::ShowParams(ParamListKind list, const ParamBlock* block) {
    if (panel_) panel_->FillParamList(list, block);
}

void CMainFrame::UpdataControl() {
    if (!panel_) return;
    panel_->UpdataControl();
    UpdateCommandUi();
}

void CMainFrame::RefreshDisp() {
    if (panel_) panel_->RefreshDisp();
}

void CMainFrame::ShowDevicePanel() {
    SwitchView(kDevicePanelView);
}

// ---- Commands ---------------------------------------------------------------------------------

void CMainFrame::RunInstrumentCommand(int id) {
    DeviceCommands& commands = session_->commands;
    switch (id) {
        case cmd::kConnect:
            commands.Connect();
            break;
        case cmd::kDisconnect:
            commands.Disconnect();
            panel_->update();
            break;
        case cmd::kReadParams:
            commands.ReadParameters();
            break;
        case cmd::kSetParams:
            // The settings tables show the instrument as it is after every change: the new
            // recording's start, count and alarms, not the old one's.
            if (commands.SetParameters() == CommandResult::kDone) commands.ReadParameters();
            break;
        case cmd::kCalibrateClock:
            commands.CalibrateClock();
            break;
        case cmd::kRefreshQuery:
            commands.Refresh();
            break;
        case cmd::kStopRecord:
            if (commands.StopRecording() == CommandResult::kDone) commands.ReadParameters();
            break;
        case cmd::kReceiveData:
            if (commands.RequestDownload() != CommandResult::kDone) break;
            if (!ConfirmDiscardUnsaved()) {
                commands.CancelDownload();
                break;
            }
            timer3_.start(kDownloadTimerMs, this);
            break;
        case cmd::kRecvTestData:
            RecvTestData();
            break;
        default:
            break;
    }
}

void CMainFrame::OnStatusTimer() {
    session_->commands.PollTick(NowMs(), settings_.enAutoReadParam, settings_.readParamInterval);
}

void CMainFrame::OnDownloadTimer() {
    // One tick only, whether or not an instrument is still chosen.
    timer3_.stop();
    if (session_->commands.DownloadTimerTick()) {
        QMetaObject::invokeMethod(
            this, [this] { RunCommand(cmd::kRecvTestData); }, Qt::QueuedConnection);
    }
}

// ---- Plug and unplug --------------------------------------------------------------------------

bool CMainFrame::DeviceNoticesWatched() const {
    return monitor_ && monitor_->Active();
}

void CMainFrame::OnDeviceChange(DeviceEvent event, const std::string& devicePath) {
    // A notice never cuts into a running command: it waits until the command has ended.
    if (commandDepth_ > 0 || downloading_) {
        deferredNotices_.emplace_back(event, devicePath);
        return;
    }
    ++commandDepth_;
    session_->commands.OnDeviceChange(event, devicePath);
    --commandDepth_;
    if (panel_) panel_->update();
    UpdateCommandUi();
}

void CMainFrame::HandleDeferredNotices() {
    if (commandDepth_ > 0 || downloading_) return;
    auto notices = std::move(deferredNotices_);
    deferredNotices_.clear();
    for (const auto& [event, path] : notices)
        OnDeviceChange(event, path);
}

// ---- Download ---------------------------------------------------------------------------------

void CMainFrame::PauseKeepingPaint(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}

void CMainFrame::RecvTestData() {
    DeviceCommands& commands = session_->commands;
    const InstrumentTypeId type = session_->state.type;
    // Where the record goes is settled before the recording is stopped: a cancelled dialog or
    // a file that cannot be written leaves the instrument as it was.
    ParamBlock recording;
    if (!commands.ReadRecordingParams(recording)) {
        commands.CancelDownload();
        return;
    }
    DownloadTarget target = AskDownloadTarget(recording, type);
    if (!target.ok()) {
        commands.CancelDownload();
        return;
    }

    CDlgWaitInfo& popup = *popup_;
    DownloadHooks hooks;
    hooks.begin = [&](const std::string& line0, uint32_t total) {
        popup.CenterOver(this);
        popup.SetLines(2, ToQString(line0), QString());
        popup.BeginProgress(static_cast<int>(total));
        popup.show();
        setEnabled(false);
        popup.RepaintNow();
        popup.SetBarPos(0);
        popup.setFocus();
    };
    hooks.progress = [&](const DownloadProgress& progress) {
        setEnabled(false);  // the popup's own timer may have enabled it meanwhile
        popup.SetLine(1, ToQString(progress.text));
        popup.SetPos(static_cast<int>(progress.position));
        popup.RepaintNow();
        popup.SetBarPos(static_cast<int>(progress.position));
    };
    hooks.pause = [this](int ms) { env_.pause(ms); };
    hooks.finish = [&] {
        popup.Finish();
        // Input that arrived during the download goes to the disabled window and is dropped,
        // so that no click queued meanwhile starts a command once the window is enabled.
        setEnabled(false);
        QCoreApplication::processEvents();
        setEnabled(true);
    };

    // A download of its own: the record shown (perhaps unsaved) keeps its image until this
    // one has arrived whole.
    auto image = std::make_unique<RecordImage>();
    downloading_ = true;
    const DownloadResult result = commands.ReceiveData(*image, hooks);
    downloading_ = false;
    if (result.status == DownloadStatus::kOk) {
        *image_ = *image;
        // Written first: the file's magic and capped count are what the record shown decodes.
        std::string why;
        const bool saved = target.Write(*image_, type, &why);
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        // Decoded as the type the file is written as: an unrecognised instrument's recording is
        // stored with model 1's magic, and the record shown is the one that reopening gives.
        DecodeRecord(*image_, *records_, TypeOfRecordMagic(RecordFileMagic(type)));
        recordLoaded_ = true;
        recordPath_ = ToQString(target.Path());
        downloadType_ = type;
        recordUnsaved_ = !saved;
        historyLabel_.clear();
        dataView_->LoadRecord(records_.get());
        if (currentView_ == kDevicePanelView) SwitchView(kRecordView);
        commands.AcceptDownload(result.params);
        // Stopped and fetched: the settings tables show the instrument as it is now.
        commands.ReadParameters();
        RefreshCaption();
        QGuiApplication::restoreOverrideCursor();
        if (saved) {
            DownloadSaved(recordPath_);
        } else {
            target.Release();
            WarnUnsaved(recordPath_, why);
        }
    }
}

}  // namespace qx
