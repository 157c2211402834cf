// CMainFrame: the program's only top-level window. It carries the menu bar, the toolbar, the
// status bar with the connection pane, the caption bar, the navigation bar on the left and
// four views of which one is shown at a time: the device panel (CQX420View), the record
// browser (CDataView), the help view (CHelpView) and the record library (CLibraryView).
//
// It owns the instrument session (link, protocol, commands and the shared instrument state),
// the record image and the decoded record set, the views and the wait popup. It implements
// qx::InstrumentUi for the instrument commands by forwarding to the device panel and to the
// prompt seam, routes every command id (menus, toolbar, the panel's buttons, internal
// commands), runs the three timers and the idle update of the enable rules, switches views,
// opens and saves record files and runs the download with the wait popup.
//
// Timers: 1 (500 ms) status polling; 2 (100 ms) the blinking status icon; 3 (50 ms, once)
// the start of a confirmed download. Plug and unplug notices arrive from a libudev monitor;
// notices that arrive while a command runs (a modal prompt, the download) are handled once it
// has ended.
#pragma once

#include <QBasicTimer>
#include <QMainWindow>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/library/library_selection.h"
#include "core/library/library_types.h"
#include "core/library/recording_samples.h"
#include "core/link/device_commands.h"
#include "core/link/instrument_ui.h"
#include "core/model/language.h"
#include "core/records/download_target.h"
#include "core/records/record_image.h"
#include "core/records/record_query.h"
#include "core/records/record_set.h"
#include "frame_commands.h"
#include "frame_texts.h"
#include "status_blinker.h"

class QAction;
class QDockWidget;
class QFrame;
class QLabel;
class QMenu;
class QStackedWidget;
class QToolBar;
class QToolButton;

namespace qx {

class CElidedLabel;

class CQX420View;

class AppSettings;
class CCompareView;
class CDataView;

// What a comparison of instruments shows: the instruments of a record library (by id, or
// named as the user names them: "A0815", "QX450:A0815") or single recordings of them (by
// id), the time range and the quantity.
struct ComparisonSelection {
    std::string library;                 // its location; empty: DefaultLibraryLocation()
    std::vector<LibraryId> instruments;  // in legend order, then those named
    std::vector<std::string> names;
    std::vector<LibraryId> recordings;  // after the instruments, each on its own
    QueryWindow window;                 // not bounded: every sample
    std::string series;  // an id (temp, hum, ...); empty: the first instrument's first quantity
};
class CDlgWaitInfo;
class CHelpView;
class CLibraryView;
class CLibrarySyncRunner;
class CBackgroundWork;
struct SavedRecordAdded;
struct SyncResult;
class DeviceMonitor;
struct HistoryChoice;

class CMainFrame : public QMainWindow, public InstrumentUi {
    Q_OBJECT
  public:
    static constexpr int kStatusTimerMs = 500;   // timer 1
    static constexpr int kBlinkTimerMs = 100;    // timer 2
    static constexpr int kDownloadTimerMs = 50;  // timer 3
    static constexpr int kIdleUpdateMs = 200;    // enable rules between state changes

    // What the window runs on; tests replace the clocks, the pauses and the device backend.
    struct Environment {
        std::unique_ptr<HidLibrary> hid;
        UtcClock clock = SystemUtcNow;
        // Settle delay after opening an instrument.
        SleepFunction sleep = SleepMilliseconds;
        // A pause between download blocks; default PauseKeepingPaint.
        std::function<void(int ms)> pause;
        // Process clock in ms for polling and blinking; default a steady clock.
        std::function<int64_t()> processClockMs;
        // Plug and unplug notices from libudev.
        bool watchDevices = true;
    };

    // Builds the window with its bars, the wait popup, the device panel (view 0), the device
    // notices and timers 1 and 2. The size is the settings' Cx x Cy; the current instrument
    // type starts as the setting "DevType".
    CMainFrame(AppSettings& settings, QString helpFolder, QString dataFolder, Environment env,
               QWidget* parent = nullptr);
    ~CMainFrame() override;

    // Creates the record browser and the help view (hidden), runs the first-show set-up of
    // the three views and shows view 0. Called once by the start-up after construction.
    void CreateViews();

    // ---- Commands --------------------------------------------------------------------------
    // Runs a command id as the menus, toolbar and buttons do; a disabled command does nothing.
    void RunCommand(int id);
    // The action of a menu or toolbar command (nullptr for internal ids).
    QAction* Action(int id) const;
    CommandState CurrentCommandState() const;
    // Applies every enable rule and check mark, and refreshes the connection pane.
    void UpdateCommandUi();

    // ---- Views and bars --------------------------------------------------------------------
    int CurrentView() const { return currentView_; }
    QWidget* View(int index) const;
    CQX420View* DevicePanel() const { return panel_; }
    CDataView* RecordBrowser() const { return dataView_; }
    CHelpView* HelpView() const { return help_; }
    CLibraryView* LibraryView() const { return library_; }
    // Shows view 0..3 (commands 312..315); nothing when it is shown already or missing. The
    // library view reads the library again each time it is shown.
    void SwitchView(int index);
    // Caption bar text, document title and window caption, caption picture.
    void RefreshCaption();
    QString CaptionText() const;
    QString DocumentTitleText() const { return documentTitle_; }
    bool CaptionBarVisible() const;
    QFrame* CaptionBar() const { return captionBar_; }
    QToolBar* ToolBar() const { return toolBar_; }
    QToolButton* NavigationButton(int view) const;
    // The status icon shown (-1 before the first) and the connection pane text.
    int StatusIcon() const { return statusIcon_; }
    QString ConnectionPaneText() const;
    CDlgWaitInfo& WaitPopup() const { return *popup_; }

    // ---- Records ---------------------------------------------------------------------------
    // Reads, decodes and shows a record file (the record browser, switched to from the device
    // panel); warns "文件:%s\n不能打开!" with the reason below and changes nothing on failure.
    // A file cut short is shown with the samples it holds, and a warning says what is missing.
    bool OpenRecord(const QString& path);
    // File -> "保存": the download shown, whose record file could not be written. Asks for a
    // file name (the one it was meant to have, or a free one beside it), writes the record and
    // reads it back; a failure says why, and the record stays open and unsaved.
    bool SaveRecordAs();
    // The record shown is a download that is in no file yet: the title marks it, and closing
    // the window or replacing the record asks first.
    bool RecordUnsaved() const { return recordUnsaved_; }
    // Opens files handed to the program (dropped, named on the command line): each in turn;
    // every one that opens joins the recent files.
    void OpenFiles(const QStringList& paths);
    // Opens a window comparing the selected instruments (a library view's command 对比...);
    // warns and opens nothing when the library or an instrument cannot be read. The window
    // closes with the main window. From a server the histories are read on a worker thread
    // (LibraryWork()) and the window opens when the server has answered: nullptr then.
    CCompareView* OpenComparison(const ComparisonSelection& selection);
    bool RecordLoaded() const { return recordLoaded_; }
    QString RecordPath() const { return recordPath_; }
    QString DataFolder() const { return dataFolder_; }
    // The record library of the window program: "[Library] Database=" of the settings, else the
    // server libpq's PGSERVICE or PGDATABASE name, else QXLibrary.sqlite in the data folder
    // (ChooseLibrary; a setting holding a password is refused and said in the status bar).
    // Every saved download is added to it (a library that fails is reported and never fails
    // the download).
    QString LibraryLocation() const;
    // QXLibrary.sqlite in the data folder: with the library on a server, every download goes
    // here too, and sync sends from here what the server did not get.
    QString LocalLibraryLocation() const;
    bool LibraryOnServer() const;

    // ---- Library sync ----------------------------------------------------------------------
    // With the library on a server, the window sends what the server lacks from the local
    // library: at start, after a download the server did not get, every kSyncRetryMs while
    // something is pending, and at once from 记录库 → 同步到服务器 (the only time a failure
    // is a warning; otherwise the status bar says it). A sync runs on a worker thread.
    static constexpr int kSyncRetryMs = 3 * 60 * 1000;
    void SyncLibrary(bool asked);
    bool LibrarySyncRunning() const;
    // A sync failed or a download did not reach the server: the retry timer runs.
    bool LibrarySyncPending() const { return syncPending_; }
    QAction* SyncAction() const { return syncAction_; }
    QString HelpFolder() const { return helpFolder_; }
    const RecordImage& Image() const { return *image_; }
    const RecordSet& Records() const { return *records_; }
    // ---- Record library --------------------------------------------------------------------
    // Opens an instrument's history (or one recording) from the library in the record browser,
    // as a record is shown: the caption names the instrument ("记录查询[QX450:A0815]"). Warns
    // with why and changes nothing when the library cannot be read or holds no samples there.
    // From a server the history is read on a worker thread (LibraryWork()) and shown when the
    // server has answered: true then means it is being read.
    bool OpenHistory(const HistoryChoice& choice);
    // The window's work that waits on a library server: reading a history, adding a download.
    CBackgroundWork& LibraryWork() { return *libraryWork_; }
    // The history shown, or empty while a record file (or nothing) is shown.
    QString HistoryLabel() const { return historyLabel_; }
    // The library view's "对比...": the chosen instruments and recordings of this window's
    // library over the time range, compared in a window of their own; the choice is kept and
    // announced.
    CCompareView* OpenComparison(const LibrarySelection& selection);
    const LibrarySelection& LastComparison() const { return comparison_; }

    // The recent-file entries shown under the File menu, in order.
    QList<QAction*> RecentFileActions() const { return recentActions_; }

    // ---- Language --------------------------------------------------------------------------
    // View -> "语言 / Language": follow the system, 中文 or English, the setting checked. A
    // choice is written to the setting at once; when it gives another language than the one
    // shown, the window offers to restart the program, and on OK closes for the restart.
    QMenu* LanguageMenu() const { return languageMenu_; }
    QAction* LanguageAction(LanguageChoice choice) const;
    void ChooseLanguage(LanguageChoice choice);
    // The window closed so that the program starts again (in the language chosen).
    bool RestartRequested() const { return restartRequested_; }

    // ---- Instruments -----------------------------------------------------------------------
    InstrumentSession& Session() { return *session_; }
    const InstrumentState& State() const { return session_->state; }
    // A plug or unplug notice with the device node; deferred while a command runs.
    void OnDeviceChange(DeviceEvent event, const std::string& devicePath);
    bool DeviceNoticesWatched() const;
    // The timer ticks (public so that tests can drive them).
    void OnStatusTimer();    // timer 1
    void OnBlinkTimer();     // timer 2
    void OnDownloadTimer();  // timer 3
    bool DownloadTimerActive() const { return timer3_.isActive(); }
    bool Downloading() const { return downloading_; }

    // A pause of ms milliseconds during which every event but user input is processed, so
    // that the windows keep painting while the user cannot start anything.
    static void PauseKeepingPaint(int ms);

    // ---- InstrumentUi ----------------------------------------------------------------------
    void ShowWarning(const std::string& text) override;
    void ShowInfo(const std::string& text) override;
    bool ConfirmOkCancel(const std::string& text) override;
    int ChooseDevice(const std::vector<std::string>& names, int preselected) override;
    bool EditParams(ParamBlock& block,
                    const std::function<bool(const ParamBlock&)>& commit) override;
    void ShowParams(ParamListKind list, const ParamBlock* block) override;
    void UpdataControl() override;
    void RefreshDisp() override;
    void ShowDevicePanel() override;

  signals:
    // A download was added to the library (or tried to be): the library view refreshes.
    void libraryChanged();
    // OpenComparison was asked for these instruments and recordings.
    void comparisonRequested(const qx::LibrarySelection& selection);

  protected:
    void closeEvent(QCloseEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    class RecordHost;

    // Construction pieces.
    void CreateActions();
    void CreateMenus();
    void CreateToolBar();
    void CreateStatusBar();
    void CreateNavigationBar();
    void CreateCentralArea();
    QAction* AddAction(int id, const QString& text, const QString& tip = QString());

    // Commands of the files.
    void OnFileOpen();
    void OnRecentFile(int index);
    void RebuildRecentMenu();
    // Writes the recent files at once and shows them in the File menu.
    void OnRecentFilesChanged();
    void OnPrintSetup();
    // Application look 210..218.
    void OnApplicationLook(int id);
    void ToggleCaptionBar();
    void CreateLanguageMenu(QMenu* view);
    void CreateLibraryMenu();
    void LibrarySynced(const SyncResult& result, bool asked);
    void SetSyncPending(bool pending);
    void CheckLanguageSetting();
    // The end of every command: the enable rules, and the device notices that waited.
    void EndCommand();

    // Commands of the instrument.
    void RunInstrumentCommand(int id);
    void RecvTestData();
    // The record file of a download, settled before the instrument is stopped: the save dialog
    // proposes a free name in the data folder for the recording (never the open record's
    // path), and the name chosen is held. Empty when cancelled or refused (warned, with why).
    DownloadTarget AskDownloadTarget(const ParamBlock& recording, InstrumentTypeId type);
    QString ProposedDownloadPath(const ParamBlock& recording, InstrumentTypeId type) const;
    // Holds `path` for a record: a new file, or an existing one the save dialog agreed to
    // replace. Warns with why when it cannot be written.
    DownloadTarget HoldRecordFile(const QString& path);
    // The download shown could not be written to `path`: says so and why, and that the record
    // stays open, unsaved, for File -> "保存".
    void WarnUnsaved(const QString& path, const std::string& why);
    // The one place where the window has a download safely in a record file.
    void DownloadSaved(const QString& path);
    // What adding it to the library did, told when the library has answered.
    void DownloadAdded(const QString& path, const SavedRecordAdded& added);
    struct HistoryReading;
    struct ComparisonReading;
    static ComparisonReading ReadComparison(const std::string& location,
                                            const ComparisonSelection& selection);
    CCompareView* ShowComparison(ComparisonReading& reading, const ComparisonSelection& selection);
    static HistoryReading ReadHistory(const std::string& location, const HistoryChoice& choice);
    bool ShowHistory(HistoryReading& reading, const HistoryChoice& choice);
    // Before an unsaved download is closed or replaced: asks; true to go on.
    bool ConfirmDiscardUnsaved();
    void SetStatusIcon(int index);
    // Device notices that waited for a command to end.
    void HandleDeferredNotices();

    int64_t NowMs() const;

    AppSettings& settings_;
    QString helpFolder_;
    QString dataFolder_;
    Environment env_;
    std::unique_ptr<InstrumentSession> session_;
    std::unique_ptr<RecordImage> image_;
    std::unique_ptr<RecordSet> records_;
    std::unique_ptr<InstrumentHistory> history_;
    QString historyLabel_;
    LibrarySelection comparison_;
    std::unique_ptr<RecordHost> recordHost_;
    QString recordPath_;
    bool recordLoaded_ = false;
    bool recordUnsaved_ = false;
    InstrumentTypeId downloadType_ = 0;  // the type an unsaved download is written as

    // Views.
    QStackedWidget* stack_ = nullptr;
    CQX420View* panel_ = nullptr;
    CDataView* dataView_ = nullptr;
    CHelpView* help_ = nullptr;
    CLibraryView* library_ = nullptr;
    int currentView_ = kDevicePanelView;
    QString documentTitle_;

    // Bars.
    std::map<int, QAction*> actions_;
    QMenu* fileMenu_ = nullptr;
    QAction* recentAnchor_ = nullptr;  // the separator after the recent files
    QAction* recentPlaceholder_ = nullptr;
    QList<QAction*> recentActions_;
    QMenu* languageMenu_ = nullptr;
    std::array<QAction*, 3> languageActions_{};  // auto, 中文, English
    QToolBar* toolBar_ = nullptr;
    QFrame* captionBar_ = nullptr;
    QLabel* captionPicture_ = nullptr;
    CElidedLabel* captionText_ = nullptr;
    QDockWidget* navigationDock_ = nullptr;
    std::array<QToolButton*, kViewCount> navigationButtons_{};
    QLabel* paneIcon_ = nullptr;
    QLabel* paneText_ = nullptr;

    CDlgWaitInfo* popup_ = nullptr;
    DeviceMonitor* monitor_ = nullptr;

    QBasicTimer timer1_, timer2_, timer3_, idleTimer_;
    QAction* syncAction_ = nullptr;
    QTimer* syncTimer_ = nullptr;
    bool syncPending_ = false;
    std::unique_ptr<CLibrarySyncRunner> syncRunner_;
    CBackgroundWork* libraryWork_ = nullptr;
    StatusBlinker blinker_;
    int statusIcon_ = -1;

    int commandDepth_ = 0;
    bool downloading_ = false;
    bool restartRequested_ = false;
    std::vector<std::pair<DeviceEvent, std::string>> deferredNotices_;
};

}  // namespace qx
