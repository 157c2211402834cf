// The main window's record files: File -> Open, the recent files, opening a record, the file
// of a download (chosen and held before the instrument is stopped, saved later when it could
// not be written), and files handed to the program.
#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenu>
#include <QStatusBar>
#include <algorithm>
#include <limits>

#include "app_settings.h"
#include "core/library/library_location.h"
#include "core/library/library_texts.h"
#include "core/library/server_location.h"
#include "core/model/text_util.h"
#include "core/records/download_target.h"
#include "core/records/record_file.h"
#include "gui/browser/data_view.h"
#include "gui/browser/library_view.h"
#include "gui/common/background_work.h"
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
    recordUnsaved_ = false;
    historyLabel_.clear();
    dataView_->LoadRecord(records_.get());
    if (currentView_ == kDevicePanelView) SwitchView(kRecordView);
    RefreshCaption();
    UpdateCommandUi();
    // A record cut short shows the samples it holds; the warning, over it, says what is missing.
    if (result.incomplete)
        qx::ShowWarning(this, ToQString(WithReason(result.message, result.reason)));
    return true;
}

struct CMainFrame::HistoryReading {
    std::unique_ptr<InstrumentHistory> history = std::make_unique<InstrumentHistory>();
    QString failure;      // why it could not be read
    QStringList damaged;  // the damaged runs it leaves out
};

CMainFrame::HistoryReading CMainFrame::ReadHistory(const std::string& location,
                                                   const HistoryChoice& choice) {
    HistoryReading out;
    OpenedLibrary opened = OpenLibrary(location, LibraryOpen::kExisting);
    if (!opened.library) {
        out.failure = ToQString(WithReason(opened.message, opened.error.detail));
        return out;
    }
    bool read = true;
    if (choice.recording != 0) {
        RecordingSamples one;
        read = opened.library->Recording(choice.recording, choice.from, choice.to, one);
        if (read && !one.samples.empty()) out.history->push_back(std::move(one));
    } else {
        read = opened.library->History(
            choice.instrument, choice.from.value_or(std::numeric_limits<int64_t>::min()),
            choice.to.value_or(std::numeric_limits<int64_t>::max()), *out.history);
    }
    if (!read) {
        const LibraryError& error = opened.library->Error();
        out.failure = ToQString(WithReason(LibraryErrorMessage(location, error), error.detail));
    }
    for (const DamagedRun& d : opened.library->TakeDamaged())
        out.damaged << ToQString(DamagedRunLine(d));
    return out;
}

bool CMainFrame::OpenHistory(const HistoryChoice& choice) {
    if (!ConfirmDiscardUnsaved()) return false;
    const std::string location = ToUtf8(library_->ShownLocation());
    if (IsServerLocation(location)) {
        // The window goes on while the server answers; the history shows when it has.
        statusBar()->showMessage(tr("正在从记录库服务器读取 %1 ...").arg(choice.label));
        libraryWork_->Run<HistoryReading>(
            [location, choice] { return ReadHistory(location, choice); },
            [this, choice](HistoryReading& reading) {
                statusBar()->clearMessage();
                ShowHistory(reading, choice);
            });
        return true;
    }
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    HistoryReading reading = ReadHistory(location, choice);
    QGuiApplication::restoreOverrideCursor();
    return ShowHistory(reading, choice);
}

bool CMainFrame::ShowHistory(HistoryReading& reading, const HistoryChoice& choice) {
    if (!reading.failure.isEmpty()) {
        qx::ShowWarning(this, reading.failure);
        return false;
    }
    std::unique_ptr<InstrumentHistory>& history = reading.history;
    if (history->empty()) {
        // Nothing but damaged runs: they are what there is to say (a history with samples
        // notes them in its table's notes).
        qx::ShowWarning(this, reading.damaged.isEmpty()
                                  ? tr("记录库中没有 %1 在这段时间里的样本。").arg(choice.label)
                                  : reading.damaged.join(u'\n'));
        return false;
    }
    // The browser reads the old history until it has the new one.
    std::swap(history_, history);
    historyLabel_ = choice.label;
    recordLoaded_ = true;
    recordUnsaved_ = false;
    dataView_->LoadHistory(history_.get());
    SwitchView(kRecordView);
    RefreshCaption();
    UpdateCommandUi();
    // Cells that stay empty (a flow recorded in another unit) say why.
    QStringList notes;
    for (const std::string& note : dataView_->Table().Notes())
        notes.append(ToQString(note));
    if (!notes.isEmpty()) qx::ShowInfo(this, notes.join(u'\n'));
    return true;
}

CCompareView* CMainFrame::OpenComparison(const LibrarySelection& selection) {
    comparison_ = selection;
    emit comparisonRequested(selection);
    ComparisonSelection compared;
    compared.library = ToUtf8(library_->ShownLocation());
    compared.instruments = selection.instruments;
    compared.recordings = selection.recordings;
    // The view's time range is whole days, both ends given or neither.
    if (selection.from && selection.to) {
        QueryRequest request;
        request.mode = QueryMode::DateRange;
        request.rangeStart = *selection.from;
        request.rangeEnd = *selection.to;
        compared.window = MakeQueryWindow(request, *selection.to);
    }
    return OpenComparison(compared);
}

bool CMainFrame::SaveRecordAs() {
    if (!recordLoaded_ || !recordUnsaved_) return false;
    // The name the download was meant to have, or the next free one beside it.
    const QFileInfo meant(recordPath_);
    const std::string proposal =
        FreeNumberedPath(ToUtf8(meant.path()), ToUtf8(meant.fileName()),
                         [](const std::string& p) { return QFileInfo::exists(ToQString(p)); });
    const FileDialogRequest request = RecordFileRequest(
        tr("记录文件保存为"), proposal.empty() ? ToUtf8(recordPath_) : proposal, true);
    const QString path = Prompts().FileName(this, request, nullptr);
    if (path.isEmpty()) return false;
    DownloadTarget target = HoldRecordFile(path);
    if (!target.ok()) return false;
    std::string why;
    if (!target.Write(*image_, downloadType_, &why)) {
        WarnUnsaved(path, why);
        return false;
    }
    DownloadSaved(path);
    return true;
}

QString CMainFrame::ProposedDownloadPath(const ParamBlock& recording, InstrumentTypeId type) const {
    // Never the open record's path, even when its file is gone (an unsaved download): the
    // dialog would be one Enter away from putting another recording under its name.
    const QString open = recordLoaded_ ? QDir::cleanPath(recordPath_) : QString();
    const std::string name = DownloadFileName(recording, type);
    const std::string path =
        FreeNumberedPath(ToUtf8(dataFolder_), name, [&open](const std::string& p) {
            const QString candidate = ToQString(p);
            return QDir::cleanPath(candidate) == open || QFileInfo::exists(candidate);
        });
    return ToQString(path.empty() ? ToUtf8(dataFolder_) + "/" + name : path);
}

DownloadTarget CMainFrame::AskDownloadTarget(const ParamBlock& recording, InstrumentTypeId type) {
    const FileDialogRequest request = RecordFileRequest(
        tr("记录文件保存为"), ToUtf8(ProposedDownloadPath(recording, type)), true);
    const QString path = Prompts().FileName(this, request, nullptr);
    if (path.isEmpty()) return {};
    return HoldRecordFile(path);
}

DownloadTarget CMainFrame::HoldRecordFile(const QString& path) {
    // The save dialog asked before it let an existing file be chosen.
    std::string why;
    DownloadTarget target = QFileInfo::exists(path) ? DownloadTarget::Replacing(ToUtf8(path), &why)
                                                    : DownloadTarget::NewFile(ToUtf8(path), &why);
    if (!target.ok())
        qx::ShowWarning(this, ToQString(WithReason(SaveFailedMessage(ToUtf8(path)), why)));
    return target;
}

void CMainFrame::WarnUnsaved(const QString& path, const std::string& why) {
    RefreshCaption();
    UpdateCommandUi();
    qx::ShowWarning(this, ToQString(WithReason(SaveFailedMessage(ToUtf8(path)), why)) +
                              QStringLiteral("\n\n") +
                              tr("下载的数据没有丢失: 记录在“%1”中打开着,标为未保存.\n"
                                 "请用 文件 → 保存 把它保存到能写入的地方.")
                                  .arg(ViewName(kRecordView)));
}

void CMainFrame::DownloadSaved(const QString& path) {
    recordPath_ = path;
    recordUnsaved_ = false;
    settings_.datRecFile = path;
    settings_.AddRecentFile(path);
    OnRecentFilesChanged();
    RefreshCaption();
    UpdateCommandUi();
    // The record file is saved whatever the library does; a library that fails says why once.
    const std::string location = ToUtf8(LibraryLocation()), local = ToUtf8(LocalLibraryLocation());
    if (IsServerLocation(location)) {
        // The local library first, then the server, which may be slow to answer.
        libraryWork_->Run<SavedRecordAdded>(
            [location, record = ToUtf8(path), local] {
                return AddSavedRecord(location, record, local);
            },
            [this, path](SavedRecordAdded& added) { DownloadAdded(path, added); });
        return;
    }
    DownloadAdded(path, AddSavedRecord(location, ToUtf8(path), local));
}

void CMainFrame::DownloadAdded(const QString& path, const SavedRecordAdded& added) {
    if (!added.result.Ok()) qx::ShowWarning(this, ToQString(NotAddedMessage(added.result)));
    // The download is safe in one of the libraries: no dialog, the status bar says it, in
    // short (its tip holds the whole message).
    statusBar()->setToolTip(ToQString(added.notice));
    if (added.pending) {
        statusBar()->showMessage(
            tr("记录库服务器没有收到 %1, 它已在本机记录库中, 服务器能连接时会发送。")
                .arg(QFileInfo(path).fileName()));
        SetSyncPending(true);
    } else if (!added.notice.empty()) {
        statusBar()->showMessage(ToQString(added.notice).replace(u'\n', u' '));
    } else if (added.result.Ok()) {
        // Conflicts and overlaps the file met in the library, as `library add` tells them.
        const std::vector<std::string> lines = AddResultLines(added.result);
        QStringList met;
        for (size_t k = 1; k < lines.size(); ++k)
            met.append(ToQString(lines[k]));
        if (!met.isEmpty()) {
            statusBar()->setToolTip(met.join(u'\n'));
            statusBar()->showMessage(met.join(u' '));
        }
    }
    emit libraryChanged();
}

QString CMainFrame::LocalLibraryLocation() const {
    return QDir(dataFolder_).filePath(QString::fromUtf8(kLibraryFileName));
}

bool CMainFrame::ConfirmDiscardUnsaved() {
    if (!recordLoaded_ || !recordUnsaved_) return true;
    return AskOkCancel(this, tr("下载的记录还没有保存,放弃后不能恢复!\n确定要放弃它吗?"));
}

void CMainFrame::OnFileOpen() {
    if (!ConfirmDiscardUnsaved()) return;
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
    if (!ConfirmDiscardUnsaved()) return;
    const QString path = recent[index];
    if (OpenRecord(path)) {
        settings_.AddRecentFile(path);  // the entry moves to the top
    } else {
        settings_.RemoveRecentFile(path);
    }
    OnRecentFilesChanged();
}

void CMainFrame::OpenFiles(const QStringList& paths) {
    if (std::all_of(paths.begin(), paths.end(), [](const QString& p) { return p.isEmpty(); }) ||
        !ConfirmDiscardUnsaved()) {
        return;
    }
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
