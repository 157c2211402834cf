// The main window: construction of its bars and views, command routing with the enable rules,
// view switching and the caption, the status icon, the timers, the looks and closing. The
// instrument commands are in main_frame_instrument.cpp, the record files in
// main_frame_records.cpp.
#include "main_frame.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QDockWidget>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPageSetupDialog>
#include <QRegularExpression>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTimerEvent>
#include <QToolBar>
#include <QToolButton>
#include <QTranslator>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>

#include "about_dlg.h"
#include "app_look.h"
#include "app_settings.h"
#include "dlg_wait_info.h"
#include "gui/browser/data_view.h"
#include "gui/browser/library_view.h"
#include "gui/common/app_fonts.h"
#include "gui/common/app_pictures.h"
#include "gui/common/background_work.h"
#include "gui/common/elided_label.h"
#include "gui/common/prompter.h"
#include "gui/common/qt_text.h"
#include "gui/device/device_monitor.h"
#include "gui/device/qx420_view.h"
#include "gui/print/print_command.h"
#include "help_view.h"
#include "library_sync_runner.h"

namespace qx {
namespace {

constexpr int kNavigationWidth = 150;
constexpr int kConnectionPaneWidth = 230;
constexpr int kConnectionPanePadding = 4;  // beyond the text: the label's own frame

// A menu text without its mnemonic, shortcut column and ellipsis, for tool tips:
// "打开(&O)...\tCtrl+O" gives "打开".
QString PlainText(QString text) {
    const qsizetype tab = text.indexOf(u'\t');
    if (tab >= 0) text.truncate(tab);
    static const QRegularExpression mnemonic(QStringLiteral("\\(&.\\)"));
    text.remove(mnemonic);
    text.remove(u'&');
    if (text.endsWith(QStringLiteral("..."))) text.chop(3);
    return text;
}

int64_t SteadyMs() {
    static QElapsedTimer clock = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return clock.elapsed();
}

}  // namespace

// What the record browser reads from the main window.
class CMainFrame::RecordHost final : public CDataView::Host {
  public:
    explicit RecordHost(CMainFrame& frame) : frame_(frame) {}
    bool RecordLoaded() const override { return frame_.RecordLoaded(); }
    // A history has no file: its instrument names it.
    QString RecordPath() const override {
        return frame_.HistoryLabel().isEmpty() ? frame_.RecordPath() : frame_.HistoryLabel();
    }
    QString DataFolder() const override { return frame_.DataFolder(); }

  private:
    CMainFrame& frame_;
};

CMainFrame::CMainFrame(AppSettings& settings, QString helpFolder, QString dataFolder,
                       Environment env, QWidget* parent)
    : QMainWindow(parent),
      settings_(settings),
      helpFolder_(std::move(helpFolder)),
      dataFolder_(std::move(dataFolder)),
      env_(std::move(env)),
      image_(std::make_unique<RecordImage>()),
      records_(std::make_unique<RecordSet>()),
      recordHost_(std::make_unique<RecordHost>(*this)),
      libraryWork_(new CBackgroundWork(this)) {
    // The shared fonts of menus, bars and dialogs: 宋体, 14 pixels high, 7 wide.
    QApplication::setFont(MakeFont(QString::fromUtf8(NoTr("宋体")), 14, 7, 400));
    if (!env_.pause) env_.pause = &CMainFrame::PauseKeepingPaint;
    if (!env_.processClockMs) env_.processClockMs = &SteadyMs;
    session_ =
        std::make_unique<InstrumentSession>(std::move(env_.hid), *this, env_.clock, env_.sleep);
    session_->state.type = settings_.devType;
    recordPath_ = settings_.datRecFile;

    setWindowIcon(ProgramIcon());
    resize(settings_.cx, settings_.cy);
    setAcceptDrops(true);
    ApplyApplicationLook(kDefaultLook);

    CreateActions();
    CreateMenus();
    CreateToolBar();
    CreateStatusBar();
    CreateNavigationBar();
    CreateCentralArea();

    popup_ = new CDlgWaitInfo(this);

    if (env_.watchDevices) {
        monitor_ = new DeviceMonitor(
            [this](DeviceEvent event, const std::string& path) { OnDeviceChange(event, path); },
            this);
    }
    timer1_.start(kStatusTimerMs, this);
    timer2_.start(kBlinkTimerMs, this);
    idleTimer_.start(kIdleUpdateMs, this);
    RefreshCaption();
    UpdateCommandUi();
}

CMainFrame::~CMainFrame() {
    syncRunner_.reset();  // waits for a sync still running
    delete libraryWork_;  // waits for a history or a download's addition still being read
    timer1_.stop();
    timer2_.stop();
    timer3_.stop();
    idleTimer_.stop();
    delete monitor_;
    monitor_ = nullptr;
    session_->link.Close();
    // The views and the popup read the session, the record set and the record host: they go
    // before those members do.
    delete popup_;
    popup_ = nullptr;
    delete takeCentralWidget();
    panel_ = nullptr;
    dataView_ = nullptr;
    help_ = nullptr;
}

// ---- Construction -----------------------------------------------------------------------------

QAction* CMainFrame::AddAction(int id, const QString& text, const QString& tip) {
    auto* action = new QAction(text, this);
    action->setData(id);
    action->setToolTip(tip.isEmpty() ? PlainText(text) : tip);
    const QIcon icon = CommandIcon(id);
    if (!icon.isNull()) action->setIcon(icon);
    connect(action, &QAction::triggered, this, [this, id] { RunCommand(id); });
    addAction(action);  // reachable by its shortcut even while the menu bar is hidden
    actions_[id] = action;
    return action;
}

void CMainFrame::CreateActions() {
    for (int id :
         {cmd::kOpen, cmd::kSave, cmd::kExport, cmd::kCopyGraph, cmd::kPrint, cmd::kPrintPreview,
          cmd::kPrintSetup, cmd::kExit, cmd::kConnect, cmd::kDisconnect, cmd::kReadParams,
          cmd::kSetParams, cmd::kCalibrateClock, cmd::kReceiveData, cmd::kToolBar, cmd::kStatusBar,
          cmd::kCaptionBar, cmd::kStatistics, cmd::kAbout}) {
        AddAction(id, CommandText(id));
    }
    // The shortcuts the menu texts show beside "打开", "保存" and "打印".
    actions_[cmd::kOpen]->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    actions_[cmd::kSave]->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    actions_[cmd::kPrint]->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    AddAction(cmd::kRefreshQuery, CommandText(cmd::kRefreshQuery));
    AddAction(cmd::kStopRecord, CommandText(cmd::kStopRecord));
    // The views: Ctrl+1, Ctrl+2 and Ctrl+3 in the order of the navigation bar; F1 (帮助 menu)
    // shows the help view as well.
    for (int view = 0; view < kViewCount; ++view) {
        QAction* action = AddAction(cmd::kViewFirst + view, ViewName(view));
        action->setCheckable(true);
        action->setIcon(NavigationIcon(view));
        action->setShortcut(QKeySequence(Qt::CTRL | (Qt::Key_1 + view)));
        action->setToolTip(QStringLiteral("%1 (%2)").arg(
            ViewName(view), action->shortcut().toString(QKeySequence::NativeText)));
    }
    AddAction(cmd::kHelp, CommandText(cmd::kHelp))->setShortcut(QKeySequence(Qt::Key_F1));
    for (int look = kLookFirst; look <= kLookLast; ++look) {
        AddAction(look, LookName(look))->setCheckable(true);
    }
    for (int id : {cmd::kToolBar, cmd::kStatusBar, cmd::kCaptionBar, cmd::kStatistics})
        actions_[id]->setCheckable(true);
    // In the menu the statistics panel's state is a check mark like the bars'; an icon there
    // would take the mark's place. The toolbar button keeps the icon and shows the state pressed.
    actions_[cmd::kStatistics]->setIconVisibleInMenu(false);
}

void CMainFrame::CreateMenus() {
    QMenuBar* bar = menuBar();
    fileMenu_ = bar->addMenu(tr("文件(&F)"));
    fileMenu_->addAction(actions_[cmd::kOpen]);
    fileMenu_->addAction(actions_[cmd::kSave]);
    fileMenu_->addAction(actions_[cmd::kExport]);
    fileMenu_->addAction(actions_[cmd::kCopyGraph]);
    fileMenu_->addSeparator();
    fileMenu_->addAction(actions_[cmd::kPrint]);
    fileMenu_->addAction(actions_[cmd::kPrintPreview]);
    fileMenu_->addAction(actions_[cmd::kPrintSetup]);
    fileMenu_->addSeparator();
    recentPlaceholder_ = fileMenu_->addAction(tr("最近文件"));
    recentPlaceholder_->setEnabled(false);
    recentAnchor_ = fileMenu_->addSeparator();
    fileMenu_->addAction(actions_[cmd::kExit]);
    RebuildRecentMenu();

    QMenu* comm = bar->addMenu(tr("通讯(&C)"));
    comm->addAction(actions_[cmd::kConnect]);
    comm->addAction(actions_[cmd::kDisconnect]);
    comm->addSeparator();
    comm->addAction(actions_[cmd::kReadParams]);
    comm->addAction(actions_[cmd::kSetParams]);
    comm->addAction(actions_[cmd::kCalibrateClock]);
    comm->addAction(actions_[cmd::kRefreshQuery]);
    comm->addSeparator();
    comm->addAction(actions_[cmd::kReceiveData]);
    comm->addAction(actions_[cmd::kStopRecord]);

    QMenu* view = bar->addMenu(tr("视图(&V)"));
    view->addAction(actions_[cmd::kToolBar]);
    view->addAction(actions_[cmd::kStatusBar]);
    view->addAction(actions_[cmd::kCaptionBar]);
    view->addSeparator();
    view->addAction(actions_[cmd::kStatistics]);
    view->addSeparator();
    for (int v = 0; v < kViewCount; ++v)
        view->addAction(actions_[cmd::kViewFirst + v]);
    view->addSeparator();
    CreateLanguageMenu(view);

    CreateLibraryMenu();

    QMenu* help = bar->addMenu(tr("帮助(&H)"));
    help->addAction(actions_[cmd::kHelp]);
    help->addSeparator();
    help->addAction(actions_[cmd::kAbout]);
}

void CMainFrame::CreateToolBar() {
    toolBar_ = addToolBar(tr("标准"));
    toolBar_->setObjectName(QStringLiteral("standardToolBar"));
    toolBar_->setIconSize(QSize(16, 16));
    const int separator = 0;
    for (int id : {cmd::kConnect, cmd::kDisconnect, separator, cmd::kOpen, cmd::kExport, separator,
                   cmd::kReceiveData, cmd::kSetParams, separator, cmd::kCalibrateClock,
                   cmd::kRefreshQuery, separator, cmd::kStatistics, separator, cmd::kAbout}) {
        if (id == separator) {
            toolBar_->addSeparator();
        } else {
            toolBar_->addAction(actions_[id]);
        }
    }
}

void CMainFrame::CreateStatusBar() {
    auto* pane = new QWidget(this);
    pane->setObjectName(QStringLiteral("connectionPane"));
    auto* row = new QHBoxLayout(pane);
    row->setContentsMargins(4, 0, 4, 0);
    row->setSpacing(4);
    paneIcon_ = new QLabel(pane);
    paneIcon_->setFixedSize(16, 16);
    paneText_ = new QLabel(pane);
    row->addWidget(paneIcon_);
    row->addWidget(paneText_, 1);
    // Room for the longest text the pane can show (English is longer than the designed width).
    int widest =
        paneText_->fontMetrics().horizontalAdvance(qx::ConnectionPaneText(false, false, 0));
    for (InstrumentTypeId type = 1; type <= kModelCount; ++type) {
        for (const bool statusOk : {false, true}) {
            widest = std::max(widest, paneText_->fontMetrics().horizontalAdvance(
                                          qx::ConnectionPaneText(true, statusOk, type)));
        }
    }
    const QMargins margins = row->contentsMargins();
    const int needed = margins.left() + paneIcon_->width() + row->spacing() + widest +
                       margins.right() + kConnectionPanePadding;
    pane->setFixedWidth(std::max(kConnectionPaneWidth, needed));
    statusBar()->addPermanentWidget(pane);
}

void CMainFrame::CreateNavigationBar() {
    navigationDock_ = new QDockWidget(QStringLiteral("Shortcuts"), this);
    navigationDock_->setObjectName(QStringLiteral("navigationDock"));
    navigationDock_->setFeatures(QDockWidget::NoDockWidgetFeatures);
    navigationDock_->setTitleBarWidget(new QWidget(navigationDock_));
    auto* bar = new QFrame(navigationDock_);
    bar->setObjectName(QLatin1String(kNavigationBarObjectName));
    bar->setAttribute(Qt::WA_StyledBackground);
    auto* column = new QVBoxLayout(bar);
    column->setContentsMargins(8, 10, 8, 10);
    column->setSpacing(10);
    for (int view = 0; view < kViewCount; ++view) {
        auto* button = new QToolButton(bar);
        button->setObjectName(QStringLiteral("navigationButton%1").arg(view));
        button->setDefaultAction(actions_[cmd::kViewFirst + view]);
        button->setIconSize(QSize(32, 32));
        button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        button->setMinimumHeight(64);
        button->setFocusPolicy(Qt::TabFocus);  // reachable with Tab, pressed with Space
        navigationButtons_[static_cast<size_t>(view)] = button;
        column->addWidget(button);
    }
    column->addStretch(1);
    navigationDock_->setWidget(bar);
    navigationDock_->setFixedWidth(kNavigationWidth);
    addDockWidget(Qt::LeftDockWidgetArea, navigationDock_);
}

void CMainFrame::CreateCentralArea() {
    auto* central = new QWidget(this);
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    captionBar_ = new QFrame(central);
    captionBar_->setObjectName(QLatin1String(kCaptionBarObjectName));
    captionBar_->setAttribute(Qt::WA_StyledBackground);
    auto* row = new QHBoxLayout(captionBar_);
    row->setContentsMargins(6, 3, 6, 3);
    row->setSpacing(6);
    captionPicture_ = new QLabel(captionBar_);
    captionPicture_->setFixedSize(16, 16);
    // The record browser's query line is long in English and with long names: it ends in "…"
    // where the window is narrower (the whole line in its tool tip) and never widens the window.
    captionText_ = new CElidedLabel(captionBar_);
    captionText_->setObjectName(QStringLiteral("captionText"));
    row->addWidget(captionPicture_);
    row->addWidget(captionText_, 1);
    column->addWidget(captionBar_);

    stack_ = new QStackedWidget(central);
    column->addWidget(stack_, 1);
    setCentralWidget(central);

    // View 0, the device panel, exists from the start; the others come with CreateViews.
    panel_ = new CQX420View(
        session_->state, [this] { return session_->link.Connected(); }, stack_);
    stack_->addWidget(panel_);
    connect(panel_, &CQX420View::commandRequested, this, [this](int id) { RunCommand(id); });
    connect(panel_, &CQX420View::autoReadChanged, this, [this](bool on) {
        settings_.enAutoReadParam = on;
        session_->commands.ResetPollTimer();
        OnBlinkTimer();
    });
    connect(panel_, &CQX420View::intervalChanged, this, [this](int seconds) {
        settings_.readParamInterval = seconds;
        session_->commands.ResetPollTimer();
    });
}

void CMainFrame::CreateViews() {
    if (dataView_) return;
    dataView_ = new CDataView(*recordHost_, stack_);
    dataView_->SetClock(env_.clock);
    stack_->addWidget(dataView_);
    connect(dataView_, &QWidget::windowTitleChanged, this, [this] { RefreshCaption(); });
    help_ = new CHelpView(stack_);
    stack_->addWidget(help_);
    library_ = new CLibraryView(stack_);
    library_->SetLocation(LibraryLocation(),
                          LibraryOnServer() ? LocalLibraryLocation() : QString());
    stack_->addWidget(library_);
    connect(library_, &QWidget::windowTitleChanged, this, [this] { RefreshCaption(); });
    connect(library_, &CLibraryView::recordFileChosen, this, [this](const QString& path) {
        if (!ConfirmDiscardUnsaved() || !OpenRecord(path)) return;
        settings_.AddRecentFile(path);
        OnRecentFilesChanged();
        SwitchView(kRecordView);
    });
    connect(library_, &CLibraryView::historyChosen, this,
            [this](const HistoryChoice& choice) { OpenHistory(choice); });
    connect(library_, &CLibraryView::comparisonChosen, this,
            [this](const LibrarySelection& selection) { OpenComparison(selection); });
    connect(this, &CMainFrame::libraryChanged, this, [this] {
        if (currentView_ == kLibraryView) library_->Refresh();
    });

    panel_->FirstShow(settings_.enAutoReadParam, settings_.readParamInterval);
    dataView_->FirstShow(settings_.trendPos);
    dataView_->SetStatisticsShare(settings_.statShare);
    dataView_->ShowStatistics(settings_.showStat);
    help_->InitialUpdate(helpFolder_);
    currentView_ = kDevicePanelView;
    stack_->setCurrentIndex(currentView_);
    RefreshCaption();
    UpdateCommandUi();
    // A library on a server gets what this PC collected while it could not be reached.
    if (LibraryOnServer()) SyncLibrary(false);
}

// ---- Commands ---------------------------------------------------------------------------------

QAction* CMainFrame::Action(int id) const {
    const auto it = actions_.find(id);
    return it == actions_.end() ? nullptr : it->second;
}

CommandState CMainFrame::CurrentCommandState() const {
    return CommandState{session_->link.Connected(), session_->state.statusOk, recordLoaded_,
                        recordUnsaved_};
}

void CMainFrame::UpdateCommandUi() {
    const CommandState state = CurrentCommandState();
    for (const auto& [id, action] : actions_)
        action->setEnabled(CommandEnabled(id, state));
    for (int view = 0; view < kViewCount; ++view)
        actions_[cmd::kViewFirst + view]->setChecked(view == currentView_);
    for (int look = kLookFirst; look <= kLookLast; ++look)
        actions_[look]->setChecked(look == CurrentApplicationLook());
    actions_[cmd::kToolBar]->setChecked(toolBar_->isVisibleTo(this));
    actions_[cmd::kStatusBar]->setChecked(statusBar()->isVisibleTo(this));
    actions_[cmd::kCaptionBar]->setChecked(CaptionBarVisible());
    actions_[cmd::kStatistics]->setChecked(dataView_ && dataView_->StatisticsShown());

    // The pane changes only when its text really changes (letter case aside).
    const QString text = ConnectionPaneText();
    if (text.compare(paneText_->text(), Qt::CaseInsensitive) != 0) paneText_->setText(text);
}

void CMainFrame::RunCommand(int id) {
    // A disabled command does nothing, whoever sends it (the record commands need a record).
    if (!CommandEnabled(id, CurrentCommandState())) return;
    ++commandDepth_;
    if (id >= cmd::kRecentFirst && id <= cmd::kRecentLast) {
        OnRecentFile(id - cmd::kRecentFirst);
    } else if (id >= cmd::kViewFirst && id <= cmd::kViewLast) {
        SwitchView(id - cmd::kViewFirst);
    } else if (IsLookId(id)) {
        OnApplicationLook(id);
    } else {
        switch (id) {
            case cmd::kOpen:
                OnFileOpen();
                break;
            case cmd::kSave:
                SaveRecordAs();
                break;
            case cmd::kExport:
                dataView_->ExportRecord();
                break;
            case cmd::kCopyGraph:
                dataView_->CopyGraph();
                break;
            case cmd::kPrint:
                dataView_->Print();
                break;
            case cmd::kPrintPreview:
                dataView_->PrintPreview();
                break;
            case cmd::kPrintSetup:
                OnPrintSetup();
                break;
            case cmd::kExit:
                close();
                break;
            case cmd::kToolBar:
                toolBar_->setVisible(!toolBar_->isVisibleTo(this));
                break;
            case cmd::kStatusBar:
                statusBar()->setVisible(!statusBar()->isVisibleTo(this));
                break;
            case cmd::kCaptionBar:
                ToggleCaptionBar();
                break;
            case cmd::kStatistics:
                if (dataView_) dataView_->ShowStatistics(!dataView_->StatisticsShown());
                break;
            case cmd::kAbout:
                CAboutDlg::Run(this);
                break;
            case cmd::kHelp:
                SwitchView(kHelpView);
                break;
            default:
                RunInstrumentCommand(id);
                break;
        }
    }
    EndCommand();
}

void CMainFrame::EndCommand() {
    --commandDepth_;
    UpdateCommandUi();
    if (commandDepth_ == 0 && !deferredNotices_.empty()) {
        QMetaObject::invokeMethod(
            this, [this] { HandleDeferredNotices(); }, Qt::QueuedConnection);
    }
}

void CMainFrame::OnApplicationLook(int id) {
    ApplyApplicationLook(id);
    update();
}

void CMainFrame::OnPrintSetup() {
    // Paper and orientation of the application's printer, which every print job starts from.
    QPageSetupDialog dialog(&ApplicationPrinter(), this);
    Prompts().Exec(dialog);
}

void CMainFrame::ToggleCaptionBar() {
    captionBar_->setVisible(!CaptionBarVisible());
}

bool CMainFrame::CaptionBarVisible() const {
    return captionBar_->isVisibleTo(const_cast<CMainFrame*>(this));
}

// ---- Language ---------------------------------------------------------------------------------

void CMainFrame::CreateLanguageMenu(QMenu* view) {
    // The same title in both languages: a reader of either finds it.
    languageMenu_ = view->addMenu(QString::fromUtf8(NoTr("语言 / Language")));
    languageMenu_->setObjectName(QStringLiteral("languageMenu"));
    auto* group = new QActionGroup(this);
    group->setExclusive(true);
    // The languages' own names, the same in both languages.
    const QString names[] = {tr("跟随系统"), QString::fromUtf8(NoTr("中文")),
                             QStringLiteral("English")};
    const LanguageChoice choices[] = {LanguageChoice::kAuto, LanguageChoice::kChinese,
                                      LanguageChoice::kEnglish};
    for (size_t i = 0; i < languageActions_.size(); ++i) {
        QAction* action = languageMenu_->addAction(names[i]);
        action->setCheckable(true);
        action->setActionGroup(group);
        const LanguageChoice choice = choices[i];
        connect(action, &QAction::triggered, this, [this, choice] { ChooseLanguage(choice); });
        languageActions_[i] = action;
    }
    // Another copy of the program may have changed the setting meanwhile.
    connect(languageMenu_, &QMenu::aboutToShow, this, [this] { CheckLanguageSetting(); });
    CheckLanguageSetting();
}

QAction* CMainFrame::LanguageAction(LanguageChoice choice) const {
    return languageActions_[static_cast<size_t>(choice)];
}

void CMainFrame::CheckLanguageSetting() {
    LanguageAction(AppSettings::ReadLanguage())->setChecked(true);
}

void CMainFrame::ChooseLanguage(LanguageChoice choice) {
    ++commandDepth_;
    AppSettings::WriteLanguage(choice);
    LanguageAction(choice)->setChecked(true);
    // --lang holds for this run only: the next start follows the setting.
    const Language next = ResolveLanguage(std::nullopt, choice);
    if (next != CurrentLanguage()) {
        static const char* const question =
            QT_TR_NOOP("新的语言要在程序重新启动后生效.\n要现在重新启动程序吗?");
        // Asked in the language shown and in the one chosen, which the reader may know better.
        QString text = tr(question);
        QString chosen = QString::fromUtf8(question);
        if (next == Language::kEnglish) {
            QTranslator english;
            if (english.load(QStringLiteral(":/translations/qxlog_en.qm")))
                chosen = english.translate("qx::CMainFrame", question);
        }
        if (!chosen.isEmpty() && chosen != text) text += QStringLiteral("\n\n") + chosen;
        if (AskOkCancel(this, text)) {
            restartRequested_ = true;
            // Closed as at any exit; a window that cannot close now keeps running.
            if (!close()) restartRequested_ = false;
        }
    }
    EndCommand();
}

// ---- Views and caption ------------------------------------------------------------------------

QWidget* CMainFrame::View(int index) const {
    switch (index) {
        case kDevicePanelView:
            return panel_;
        case kRecordView:
            return dataView_;
        case kHelpView:
            return help_;
        case kLibraryView:
            return library_;
        default:
            return nullptr;
    }
}

QToolButton* CMainFrame::NavigationButton(int view) const {
    return view >= 0 && view < kViewCount ? navigationButtons_[static_cast<size_t>(view)] : nullptr;
}

void CMainFrame::SwitchView(int index) {
    QWidget* view = View(index);
    if (!view || index == currentView_) return;
    currentView_ = index;
    if (index == kLibraryView) library_->Refresh();
    stack_->setCurrentWidget(view);
    view->update();
    RefreshCaption();
    UpdateCommandUi();
}

QString CMainFrame::CaptionText() const {
    return captionText_->FullText();
}

void CMainFrame::RefreshCaption() {
    QWidget* view = View(currentView_);
    captionText_->SetFullText(CaptionBarText(currentView_, view ? view->windowTitle() : QString(),
                                             currentView_ == kRecordView && recordUnsaved_));
    documentTitle_ =
        DocumentTitle(currentView_, recordLoaded_,
                      historyLabel_.isEmpty() ? recordPath_ : historyLabel_, recordUnsaved_);
    setWindowTitle(WindowCaption(documentTitle_));
    captionPicture_->setPixmap(CaptionPicture(currentView_, statusIcon_));
}

QString CMainFrame::ConnectionPaneText() const {
    return qx::ConnectionPaneText(session_->link.Connected(), session_->state.statusOk,
                                  session_->state.type);
}

// ---- Status icon and timers -------------------------------------------------------------------

int64_t CMainFrame::NowMs() const {
    return env_.processClockMs();
}

void CMainFrame::SetStatusIcon(int index) {
    if (index < 0 || index >= kStatusIconCount || index == statusIcon_) return;
    statusIcon_ = index;
    paneIcon_->setPixmap(qx::StatusIcon(index));
    if (currentView_ == kDevicePanelView) {
        captionPicture_->setPixmap(CaptionPicture(currentView_, statusIcon_));
    }
}

void CMainFrame::OnBlinkTimer() {
    if (!settings_.enAutoReadParam) return;
    SetStatusIcon(blinker_.Tick(NowMs(), session_->state.statusOk, session_->link.Connected()));
}

void CMainFrame::timerEvent(QTimerEvent* event) {
    const int id = event->timerId();
    if (id == timer1_.timerId()) {
        OnStatusTimer();
    } else if (id == timer2_.timerId()) {
        OnBlinkTimer();
    } else if (id == timer3_.timerId()) {
        OnDownloadTimer();
    } else if (id == idleTimer_.timerId()) {
        if (isEnabled()) UpdateCommandUi();
    } else {
        QMainWindow::timerEvent(event);
    }
}

// ---- Closing and dropped files ----------------------------------------------------------------

void CMainFrame::closeEvent(QCloseEvent* event) {
    // The download keeps processing events: nothing closes the window in its middle. (Modal
    // prompts block closing by themselves.)
    if (downloading_) {
        event->ignore();
        return;
    }
    // A download that is in no file yet is lost by closing: that is the question then. Closing
    // for a restart was agreed to already.
    const bool agreed =
        recordUnsaved_ ? ConfirmDiscardUnsaved()
                       : restartRequested_ || AskOkCancel(this, tr("确定退出吗?"), windowTitle());
    if (!agreed) {
        event->ignore();
        return;
    }
    settings_.cx = width();
    settings_.cy = height();
    if (dataView_) settings_.statShare = dataView_->StatisticsShare();
    session_->link.Close();
    event->accept();
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* event) {
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile()) paths.append(url.toLocalFile());
    }
    event->acceptProposedAction();
    raise();
    activateWindow();
    OpenFiles(paths);
}

}  // namespace qx
