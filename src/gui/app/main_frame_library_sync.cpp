// The main window with its record library on a server: which library it uses, and sending what
// the server lacks from the PC's local library (library_sync_runner.h does the work).
#include <QAction>
#include <QDir>
#include <QMenuBar>
#include <QSettings>
#include <QStatusBar>

#include "app_settings.h"
#include "core/library/library_choice.h"
#include "core/library/library_location.h"
#include "core/library/server_location.h"
#include "core/model/text_util.h"
#include "gui/common/prompter.h"
#include "gui/common/qt_text.h"
#include "library_sync_runner.h"
#include "main_frame.h"

namespace qx {
namespace {

LibraryChoice WindowLibraryChoice() {
    const QSettings store{QLatin1String(AppSettings::kOrganisation),
                          QLatin1String(AppSettings::kApplication)};
    return ChooseLibrary({}, ToUtf8(store.fileName()));
}

}  // namespace

QString CMainFrame::LibraryLocation() const {
    const LibraryChoice choice = WindowLibraryChoice();
    // Refused, or nothing chosen: the data folder's library, which is this window's own.
    if (!choice.Ok() || choice.source == LibrarySource::kDataFolder) return LocalLibraryLocation();
    return ToQString(choice.location);
}

bool CMainFrame::LibraryOnServer() const {
    return IsServerLocation(ToUtf8(LibraryLocation()));
}

bool CMainFrame::LibrarySyncRunning() const {
    return syncRunner_ && syncRunner_->Running();
}

void CMainFrame::CreateLibraryMenu() {
    QMenu* menu = menuBar()->addMenu(tr("记录库(&L)"));
    syncAction_ = menu->addAction(tr("同步到服务器"));
    syncAction_->setObjectName(QStringLiteral("syncLibrary"));
    syncAction_->setStatusTip(tr("把本机记录库中有而记录库服务器没有的发送过去"));
    connect(syncAction_, &QAction::triggered, this, [this] { SyncLibrary(true); });
    // Enabled as the library is chosen now: the settings may change while the window is open.
    connect(menu, &QMenu::aboutToShow, this,
            [this] { syncAction_->setEnabled(LibraryOnServer()); });
    syncAction_->setEnabled(LibraryOnServer());
    syncTimer_ = new QTimer(this);
    syncTimer_->setInterval(kSyncRetryMs);
    connect(syncTimer_, &QTimer::timeout, this, [this] { SyncLibrary(false); });
    const LibraryChoice choice = WindowLibraryChoice();
    if (!choice.problem.empty()) statusBar()->showMessage(ToQString(choice.problem));
}

void CMainFrame::SetSyncPending(bool pending) {
    syncPending_ = pending;
    if (!pending) {
        syncTimer_->stop();
    } else if (!syncTimer_->isActive()) {
        syncTimer_->start();
    }
}

void CMainFrame::SyncLibrary(bool asked) {
    const std::string server = ToUtf8(LibraryLocation());
    if (!IsServerLocation(server)) {
        if (asked) qx::ShowInfo(this, tr("记录库不在服务器上: 没有要同步的。"));
        return;
    }
    if (!syncRunner_) syncRunner_ = std::make_unique<CLibrarySyncRunner>();
    if (asked) statusBar()->showMessage(tr("正在把本机记录库同步到记录库服务器..."));
    syncRunner_->Start(ToUtf8(LocalLibraryLocation()), server,
                       [this, asked](const SyncResult& result) { LibrarySynced(result, asked); });
}

void CMainFrame::LibrarySynced(const SyncResult& result, bool asked) {
    if (result.failed) {
        SetSyncPending(true);
        QString why = ToQString(result.message);
        if (!result.reason.empty()) why += u' ' + ToQString(result.reason);
        statusBar()->showMessage(tr("没有同步到记录库服务器, 几分钟后再试: %1").arg(why));
        if (asked)
            qx::ShowWarning(this, ToQString(WithReason(result.message, result.reason)) +
                                      QStringLiteral("\n\n") +
                                      tr("本机记录库保存着这台计算机的下载, 几分钟后会再试。"));
        return;
    }
    SetSyncPending(false);
    if (result.sent > 0) {
        statusBar()->showMessage(
            tr("已同步到记录库服务器: 记录 %1 个, 记录文件 %2 个, 新样本 %3 个")
                .arg(result.sent)
                .arg(result.files)
                .arg(result.samples));
        emit libraryChanged();
    } else if (asked) {
        statusBar()->showMessage(tr("记录库服务器已有本机记录库中的一切。"));
    }
}

}  // namespace qx
