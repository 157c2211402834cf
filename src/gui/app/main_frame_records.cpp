// The main window's record files: File -> Open, the recent files, opening a record, saving a
// downloaded one, and files handed to the program.
#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QMenu>

#include "app_settings.h"
#include "core/model/text_util.h"
#include "core/records/record_file.h"
#include "gui/browser/data_view.h"
#include "gui/common/prompter.h"
#include "gui/common/qt_text.h"
#include "main_frame.h"

namespace qx {
namespace {

constexpr int kRecentTextLength = 60;

// The open and save dialogs of record files.
FileDialogRequest RecordFileRequest(const QString& title, const std::string& initialPath,
                                    bool save) {
    FileDialogRequest request;
    request.title = title;
    request.initialPath = ToQString(initialPath);
    request.filter = QCoreApplication::translate("qx::CMainFrame", "记录文件 (*.QXRec)");
    request.defaultSuffix = QStringLiteral("QXRec");
    request.save = save;
    return request;
}

// "&1 /home/user/DAT/room1.QXRec", long paths shortened in the middle.
QString RecentEntryText(int index, const QString& path) {
    QString shown = QDir::toNativeSeparators(path);
    if (shown.size() > kRecentTextLength) {
        const int keep = kRecentTextLength / 2 - 2;
        shown = shown.left(keep) + QStringLiteral("...") + shown.right(keep);
    }
    shown.replace(u'&', QStringLiteral("&&"));
    return QStringLiteral("&%1 %2").arg(index + 1).arg(shown);
}

}  // namespace

bool CMainFrame::OpenRecord(const QString& path) {
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    const RecordFileResult result = OpenRecordFile(ToUtf8(path), *image_, *records_);
    QGuiApplication::restoreOverrideCursor();
    if (!result.ok) {
        qx::ShowWarning(this, ToQString(WithReason(result.message, result.reason)));
        return false;
    }
    recordPath_ = path;
    settings_.datRecFile = path;
    recordLoaded_ = true;
    dataView_->LoadRecord(records_.get());
    if (currentView_ == kDevicePanelView) SwitchView(kRecordView);
    RefreshCaption();
    UpdateCommandUi();
    // A record cut short shows the samples it holds; the warning, over it, says what is missing.
    if (result.incomplete)
        qx::ShowWarning(this, ToQString(WithReason(result.message, result.reason)));
    return true;
}

bool CMainFrame::SaveRecordAs() {
    // A download gets a name of its own in the data folder, never the open record's path: the
    // dialog would otherwise be one Enter away from overwriting another recording. The save
    // dialog asks before it replaces a file that exists.
    const std::string name = DownloadFileName(image_->Params(), session_->state.type);
    const FileDialogRequest request =
        RecordFileRequest(tr("记录文件保存为"), ToUtf8(dataFolder_) + "/" + name, true);
    const QString path = Prompts().FileName(this, request, nullptr);
    if (path.isEmpty()) return false;
    const RecordFileResult result = SaveRecordFile(ToUtf8(path), *image_, session_->state.type);
    if (!result.ok) {
        qx::ShowWarning(this, ToQString(WithReason(result.message, result.reason)));
        return false;
    }
    recordPath_ = path;
    settings_.datRecFile = path;
    settings_.AddRecentFile(path);
    OnRecentFilesChanged();
    return true;
}

void CMainFrame::OnFileOpen() {
    const FileDialogRequest request = RecordFileRequest(
        tr("打开记录文件"), InitialOpenName(ToUtf8(recordPath_), ToUtf8(dataFolder_)), false);
    const QString path = Prompts().FileName(this, request, nullptr);
    if (path.isEmpty()) return;
    if (OpenRecord(path)) {
        settings_.AddRecentFile(path);
        OnRecentFilesChanged();
    }
}

void CMainFrame::OnRecentFile(int index) {
    const QStringList& recent = settings_.RecentFiles();
    if (index < 0 || index >= recent.size()) return;
    const QString path = recent[index];
    if (OpenRecord(path)) {
        settings_.AddRecentFile(path);  // the entry moves to the top
    } else {
        settings_.RemoveRecentFile(path);
    }
    OnRecentFilesChanged();
}

void CMainFrame::OpenFiles(const QStringList& paths) {
    ++commandDepth_;
    for (const QString& path : paths) {
        if (path.isEmpty()) continue;
        if (OpenRecord(path)) settings_.AddRecentFile(path);
    }
    OnRecentFilesChanged();
    --commandDepth_;
    UpdateCommandUi();
    if (commandDepth_ == 0 && !deferredNotices_.empty()) HandleDeferredNotices();
}

void CMainFrame::OnRecentFilesChanged() {
    settings_.SaveRecentFiles();
    RebuildRecentMenu();
}

void CMainFrame::RebuildRecentMenu() {
    for (QAction* action : recentActions_) {
        fileMenu_->removeAction(action);
        delete action;
    }
    recentActions_.clear();
    const QStringList& recent = settings_.RecentFiles();
    for (int i = 0; i < recent.size() && i <= cmd::kRecentLast - cmd::kRecentFirst; ++i) {
        auto* action = new QAction(RecentEntryText(i, recent[i]), this);
        const int id = cmd::kRecentFirst + i;
        action->setData(id);
        action->setToolTip(recent[i]);
        connect(action, &QAction::triggered, this, [this, id] { RunCommand(id); });
        fileMenu_->insertAction(recentAnchor_, action);
        recentActions_.append(action);
    }
    recentPlaceholder_->setVisible(recentActions_.isEmpty());
}

}  // namespace qx
