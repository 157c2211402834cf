#include "data_view.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QCoreApplication>
#include <QFileInfo>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QImage>
#include <QItemSelectionModel>
#include <QLabel>
#include <QRadioButton>
#include <QResizeEvent>
#include <QScrollBar>
#include <QTableView>
#include <algorithm>
#include <ctime>

#include "channel_legend.h"
#include "core/model/language.h"
#include "core/model/param_block.h"
#include "core/model/text_util.h"
#include "core/records/browser_layout.h"
#include "core/records/instrument_history.h"
#include "core/records/record_export.h"
#include "core/records/record_legend.h"
#include "core/records/record_set.h"
#include "core/records/record_statistics.h"
#include "core/records/trend_ranges.h"
#include "core/records/workbook_export.h"
#include "dialog_units.h"
#include "form_fit.h"
#include "gui/chart/trend_wave.h"
#include "gui/common/app_fonts.h"
#include "gui/common/my_list_ctrl.h"
#include "gui/common/prompter.h"
#include "gui/common/qt_text.h"
#include "gui/print/print_command.h"
#include "gui/print/print_list_trend.h"
#include "query_panel.h"
#include "sample_list_model.h"
#include "splitter_handle.h"
#include "statistics_panel.h"
#include "trend_display.h"

namespace qx {
namespace {

constexpr int kPanelBottomMargin = 4;
constexpr const char* kExcelFilter = QT_TRANSLATE_NOOP("qx::CDataView", "Excel 文件(*.xlsx)");
constexpr const char* kTextFilter = QT_TRANSLATE_NOOP("qx::CDataView", "文本文件(*.txt)");
constexpr const char* kCsvFilter = QT_TRANSLATE_NOOP("qx::CDataView", "CSV 文件(*.csv)");

// The lists' font: height 14, average width 7, normal weight, "宋体".
QFont ViewFont() {
    return MakeFont(QString::fromUtf8(NoTr("宋体")), 14, 7, 400);
}

// Report-list look shared by both lists: grid lines, full-row single selection that stays
// visible without focus, left-aligned titles that do not sort, fixed row height.
void StyleReportList(QTableView& list, const QFont& font) {
    list.setFont(font);
    list.setFrameShape(QFrame::StyledPanel);
    list.setFrameShadow(QFrame::Sunken);
    list.setShowGrid(true);
    list.setGridStyle(Qt::SolidLine);
    list.setSelectionBehavior(QAbstractItemView::SelectRows);
    list.setSelectionMode(QAbstractItemView::SingleSelection);
    list.setEditTriggers(QAbstractItemView::NoEditTriggers);
    list.setWordWrap(false);
    list.setSortingEnabled(false);
    list.setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    list.setTabKeyNavigation(false);  // Tab moves on to the next control
    QHeaderView* rows = list.verticalHeader();
    rows->hide();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(QFontMetrics(font).height() + 4);
    rows->setMinimumSectionSize(1);
    QHeaderView* columns = list.horizontalHeader();
    columns->setFont(font);
    columns->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    columns->setSectionsClickable(false);
    columns->setHighlightSections(false);
    columns->setStretchLastSection(false);
    columns->setSectionResizeMode(QHeaderView::Interactive);
    QPalette palette = list.palette();
    for (QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText}) {
        palette.setColor(QPalette::Inactive, role, palette.color(QPalette::Active, role));
    }
    list.setPalette(palette);
}

QRect ToQRect(const BrowserRect& r) {
    return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

BrowserRect ToBrowserRect(const QRect& r) {
    return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

void FillZoomList(QComboBox& list, const char* const* texts, int count, int selected) {
    const QSignalBlocker block(list);
    list.clear();
    for (int i = 0; i < count; ++i)
        list.addItem(QString::fromUtf8(Tr(texts[i])));
    list.setCurrentIndex(selected);
}

}  // namespace

CDataView::CDataView(Host& host, QWidget* parent)
    : QWidget(parent), host_(host), now_([] { return static_cast<int64_t>(std::time(nullptr)); }) {
    setFont(SongFont(12));
    // The panel's buttons sit as close to their texts as the form's positions need.
    setStyleSheet(QStringLiteral("QCheckBox, QRadioButton { spacing: 2px; }"));
    CreateControls();
    SetupLists();
    // The control panel is never cut off: the view keeps room for the tallest legend (the flow
    // meter's) below the panel's groups, and for the narrowest lists beside them.
    int legendRows = 0;
    for (InstrumentTypeId type = 1; type <= kModelCount; ++type)
        legendRows = std::max(legendRows, LegendRowCount(type));
    setMinimumSize(AnchorRect().left() + kBrowserMinimumExtent,
                   legend_->y() + legendRows * legend_->RowPitch() + 4 + kPanelBottomMargin);
    trend_ = std::make_unique<TrendDisplay>(*chart_);
    print_ = std::make_unique<CPrintListTrend>();
}

CDataView::~CDataView() {
    // The list must not read the table while the child windows go after it.
    model_->SetTable(nullptr);
}

void CDataView::CreateControls() {
    query_ = new QueryPanel(this);
    connect(query_, &QueryPanel::queryRequested, this, &CDataView::RunQuery);

    arrangementGroup_ = new QGroupBox(tr("表图排列"), this);
    arrangementGroup_->setGeometry(DluRect(3, 122, 82, 100));
    auto* arrangements = new QButtonGroup(this);
    arrangementRadios_[0] = new QRadioButton(tr("横排"), this);
    arrangementRadios_[0]->setGeometry(DluRect(7, 134, 32, 11));
    arrangementRadios_[1] = new QRadioButton(tr("纵排"), this);
    arrangementRadios_[1]->setGeometry(DluRect(7, 151, 32, 11));
    arrangements->addButton(arrangementRadios_[0], 0);
    arrangements->addButton(arrangementRadios_[1], 1);
    arrangementRadios_[0]->setChecked(true);
    connect(arrangements, &QButtonGroup::idClicked, this, [this] { OnDisplaySwitch(); });

    showListsBox_ = new QCheckBox(tr("显示列表"), this);
    showListsBox_->setGeometry(DluRect(41, 134, 42, 11));
    showChartBox_ = new QCheckBox(tr("显示曲线"), this);
    showChartBox_->setGeometry(DluRect(41, 151, 42, 11));
    connect(showListsBox_, &QCheckBox::clicked, this, [this] { OnDisplaySwitch(); });
    connect(showChartBox_, &QCheckBox::clicked, this, [this] { OnDisplaySwitch(); });

    chartGroup_ = new QGroupBox(tr("曲线图显示"), this);
    chartGroup_->setGeometry(DluRect(3, 164, 82, 58));
    timeZoomLabel_ = new QLabel(tr("X轴:"), this);
    timeZoomLabel_->setGeometry(DluRect(8, 177, 21, 11));
    timeZoom_ = new QComboBox(this);
    timeZoom_->setGeometry(DluRect(30, 176, 51, 13));
    valueZoomLabel_ = new QLabel(tr("Y轴:"), this);
    valueZoomLabel_->setGeometry(DluRect(8, 194, 21, 11));
    valueZoom_ = new QComboBox(this);
    valueZoom_->setGeometry(DluRect(30, 193, 51, 13));
    nodeMarks_ = new QCheckBox(tr("节点标记"), this);
    nodeMarks_->setGeometry(DluRect(8, 209, 54, 11));
    connect(timeZoom_, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (matched_ > 0) trend_->ZoomTime(index);
    });
    connect(valueZoom_, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (matched_ > 0) trend_->ZoomValue(index);
    });
    connect(nodeMarks_, &QCheckBox::toggled, this, [this](bool on) { trend_->SetNodeMarks(on); });

    legend_ = new ChannelLegend(this);
    connect(legend_, &ChannelLegend::boxClicked, this, [this] { ApplyChannelChecks(); });

    // Texts longer than the form's (another language than Chinese) and whole dates in the
    // query panel: when they need more room than the form gives, the whole control panel
    // widens with them and the lists and the chart move right.
    FillZoomList(*timeZoom_, kTimeZoomTexts, kTimeZoomCount, kTimeZoomNeutral);
    FillZoomList(*valueZoom_, kValueZoomTexts, kValueZoomCount, 0);
    const int textExtra = std::max(
        {query_->FitTexts(),
         FitRows({{arrangementRadios_[0], showListsBox_}, {arrangementRadios_[1], showChartBox_}}),
         FitRows({{timeZoomLabel_, timeZoom_}, {valueZoomLabel_, valueZoom_}, {nodeMarks_}}),
         legend_->TextShortfall()});
    query_->Group()->resize(query_->Group()->width() + textExtra, query_->Group()->height());
    panelExtra_ = textExtra + query_->WidenForDates();
    for (QWidget* w : {static_cast<QWidget*>(arrangementGroup_), static_cast<QWidget*>(chartGroup_),
                       static_cast<QWidget*>(legend_)})
        w->resize(w->width() + panelExtra_, w->height());

    sampleList_ = new QTableView(this);
    sampleList_->setGeometry(DluRect(87, 121, 190, 55));
    model_ = new SampleListModel(this);
    sampleList_->setModel(model_);
    connect(sampleList_, &QTableView::doubleClicked, this, [this](const QModelIndex& index) {
        if (matched_ > 0 && index.isValid()) chart_->SelectPoint(index.row());
    });

    paramList_ = new CMyListCtrl(this);
    paramList_->setGeometry(DluRect(87, 179, 189, 77));

    chart_ = new CTrendWave(this, kChartId);
    chart_->setWindowTitle(QStringLiteral("TrendWave"));
    chart_->setGeometry(DluRect(285, 7, 111, 316));
    connect(chart_, &CTrendWave::PickNotify, this, &CDataView::OnPick);

    statistics_ = new StatisticsPanel(this);
    statistics_->setObjectName(QStringLiteral("statistics"));
    statistics_->setFont(ViewFont());
    statistics_->hide();
    connect(statistics_, &StatisticsPanel::settingsChanged, this, &CDataView::UpdateStatistics);
    connect(statistics_, &StatisticsPanel::excursionActivated, this, &CDataView::SelectRow);
    splitter_ = new SplitterHandle(this);
    splitter_->setObjectName(QStringLiteral("statisticsSplitter"));
    splitter_->hide();
    connect(splitter_, &SplitterHandle::moved, this, [this](int x) {
        SetStatisticsShare(StatisticsShareAt(ToBrowserRect(rect()), ToBrowserRect(AnchorRect()),
                                             x + kSplitterWidth));
    });
    connect(splitter_, &SplitterHandle::reset, this,
            [this] { SetStatisticsShare(kAutoStatisticsShare); });
}

void CDataView::SetupLists() {
    const QFont font = ViewFont();
    StyleReportList(*sampleList_, font);
    StyleReportList(*paramList_, font);
    paramList_->horizontalHeader()->setStretchLastSection(true);  // the contents fill the list
    // The titles of the export's parameter sheet.
    paramList_->SetColumns({QString::fromUtf8(Tr("记录的参数")), QString::fromUtf8(Tr("内容"))},
                           {110, 160});
    paramList_->FitColumn(0);
}

QRadioButton* CDataView::ArrangementRadio(int arrangement) const {
    return arrangementRadios_[arrangement == 1 ? 1 : 0];
}

QRect CDataView::AnchorRect() const {
    return DluRect(86, 7, 199, 165).translated(panelExtra_, 0);
}

int64_t CDataView::Now() const {
    return now_();
}

void CDataView::FirstShow(int arrangement) {
    if (firstShown_) return;
    firstShown_ = true;
    const int64_t now = Now();
    query_->SetRange(now - 86400, now);
    query_->SetMode(QueryMode::All);
    arrangement_ = arrangement == 1 ? 1 : 0;
    legend_->ShowBoxes(seriesCount_);

    // The members into the controls.
    arrangementRadios_[arrangement_]->setChecked(true);
    showListsBox_->setChecked(showLists_);
    showChartBox_->setChecked(showChart_);
    {
        const QSignalBlocker block(nodeMarks_);
        nodeMarks_->setChecked(false);
    }
    legend_->SetTicks(checks_);

    trend_->Configure(now);
    FillZoomList(*timeZoom_, kTimeZoomTexts, kTimeZoomCount, kTimeZoomNeutral);
    FillZoomList(*valueZoom_, kValueZoomTexts, kValueZoomCount, 0);
    query_->ApplyModeEnabling();
    timeZoom_->setEnabled(matched_ > 0);
    valueZoom_->setEnabled(matched_ > 0);
    nodeMarks_->setEnabled(matched_ > 0);
    query_->EnableQuery(TotalCount() > 0);
    print_->SetSources(&table_, chart_);
    LayoutWindows();
}

// ---- layout --------------------------------------------------------------------------------

void CDataView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    LayoutWindows();
}

void CDataView::OnDisplaySwitch() {
    arrangement_ = arrangementRadios_[1]->isChecked() ? 1 : 0;
    showLists_ = showListsBox_->isChecked();
    showChart_ = showChartBox_->isChecked();
    LayoutWindows();
}

void CDataView::LayoutWindows() {
    const BrowserLayout layout = LayoutBrowser(
        ToBrowserRect(rect()), ToBrowserRect(AnchorRect()), arrangement_, showLists_, showChart_,
        showStatistics_, statisticsShare_, statistics_->WantedWidth(), sampleListWidth_);
    if (layout.apply) {
        sampleList_->setGeometry(ToQRect(layout.sampleList));
        paramList_->setGeometry(ToQRect(layout.paramList));
        sampleList_->setVisible(layout.listsShown);
        paramList_->setVisible(layout.listsShown);
        if (layout.chartShown) chart_->setGeometry(ToQRect(layout.chart));
        chart_->setVisible(layout.chartShown);
    }
    if (layout.statisticsShown) statistics_->setGeometry(ToQRect(layout.statistics));
    statistics_->setVisible(layout.statisticsShown);
    const QRect splitter = ToQRect(layout.splitter);
    if (layout.statisticsShown && !splitter.isEmpty()) splitter_->setGeometry(splitter);
    splitter_->setVisible(layout.statisticsShown && !splitter.isEmpty());
    chart_->EnableDrawing(false);
    chart_->SetBanded(showChart_ && !showLists_);
    if (Loaded()) trend_->ApplyGrids(showLists_ ? 10 : 5);
    chart_->EnableDrawing(true);
}

// ---- record load, query and fill -----------------------------------------------------------

void CDataView::LoadRecord(const RecordSet* set) {
    if (!set) return;
    const InstrumentTypeId oldType = BeginLoad(set->type);
    history_ = nullptr;

    set_ = set;
    FillParamList();
    const ParamBlock params = set->Params();
    headerText_ = RecordHeaderText(MakeParamTexts(params, type_));
    query_->SetMode(QueryMode::All);
    condition_ = QueryWindow{}.condition;
    statistics_->ResetSettings();
    Fill(QueryWindow{});
    print_->SetColumns(CPrintListTrend::ColumnCharacters(table_));
    UpdateStatusLine();

    legend_->SetRecordUnits(table_.Units());
    if (type_ != oldType) LayoutWindows();
    legend_->ShowBoxes(seriesCount_);
}

InstrumentTypeId CDataView::BeginLoad(InstrumentTypeId type) {
    if (!firstShown_) FirstShow(arrangement_);
    const InstrumentTypeId oldType = type_;
    type_ = type;
    seriesCount_ = static_cast<int>(SeriesList(type_).size());
    exportPath_.clear();
    // A new type keeps the ticks that still stand for one of its series; when none does, its
    // first series is shown.
    checks_ = legend_->Ticks();
    bool any = false;
    for (int k = 0; k < seriesCount_; ++k)
        any = any || checks_[static_cast<size_t>(k)];
    if (!any && seriesCount_ > 0) checks_[0] = true;
    legend_->SetTicks(checks_);
    return oldType;
}

void CDataView::LoadHistory(const InstrumentHistory* history) {
    if (!history) return;
    const InstrumentTypeId oldType = BeginLoad(history->empty() ? 0 : history->back().type);

    set_ = nullptr;
    history_ = history;
    query_->SetMode(QueryMode::All);
    // The date pickers start at the history's first and last day.
    if (!history->empty() && !history->front().samples.empty() && !history->back().samples.empty())
        query_->SetRange(history->front().samples.front().time,
                         history->back().samples.back().time);
    condition_ = QueryWindow{}.condition;
    statistics_->ResetSettings();
    Fill(QueryWindow{});
    print_->SetColumns(CPrintListTrend::ColumnCharacters(table_));
    UpdateStatusLine();

    legend_->SetRecordUnits(table_.Units());
    if (type_ != oldType) LayoutWindows();
    legend_->ShowBoxes(seriesCount_);
}

ParamBlock CDataView::ShownParams() const {
    if (set_) return set_->Params();
    const int shown = table_.UnitsRecording();
    if (history_ && shown >= 0 && shown < static_cast<int>(history_->size()))
        return (*history_)[static_cast<size_t>(shown)].params;
    return {};
}

void CDataView::FillParamList() {
    if (set_) {
        const ParamTexts texts = MakeParamTexts(set_->Params(), set_->type);
        qx::FillParamList(*paramList_, &texts, set_->type);
        return;
    }
    // Each recording in the query's time with its own settings, after its time span.
    QList<QStringList> rows;
    if (history_) {
        for (const ParamListRow& row : HistoryParamRows(HistorySettings(*history_, window_)))
            rows.append({ToQString(row.label), ToQString(row.text)});
    }
    paramList_->SetRows(rows);
    paramList_->FitColumn(0);
}

void CDataView::RunQuery() {
    if (!Loaded()) return;
    const std::optional<QueryRequest> request = query_->ReadRequest(this);
    if (!request) return;
    RunRequest(*request);
}

void CDataView::RunRequest(const QueryRequest& request) {
    if (!Loaded()) return;
    const QueryWindow window = MakeQueryWindow(request, Now());
    condition_ = window.condition;
    if (request.mode == QueryMode::LastDays || request.mode == QueryMode::LastMonths) {
        query_->SetRange(window.from, window.to);
    }
    Fill(request.mode == QueryMode::All ? QueryWindow{} : window);
    UpdateStatusLine();
}

void CDataView::Fill(const QueryWindow& window) {
    {
        const QSignalBlocker blockTime(timeZoom_);
        const QSignalBlocker blockValue(valueZoom_);
        timeZoom_->setCurrentIndex(kTimeZoomNeutral);
        valueZoom_->setCurrentIndex(0);
    }
    matched_ = 0;

    // One redraw of the chart and the list at the end.
    chart_->EnableDrawing(false);
    sampleList_->setUpdatesEnabled(false);
    window_ = window;
    if (set_) {
        table_.Build(*set_, window);
    } else if (history_) {
        table_.Build(*history_, window);
        FillParamList();
        headerText_ = HistoryHeaderText(*history_, table_);
    } else {
        table_.Clear();
    }
    model_->SetTable(&table_);
    ApplyColumnWidths();
    matched_ = table_.RowCount();

    const bool points = matched_ >= 1;
    timeZoom_->setEnabled(points);
    valueZoom_->setEnabled(points);
    nodeMarks_->setEnabled(points);
    query_->EnableQuery(TotalCount() >= 1);

    if (Loaded() && TotalCount() >= 1) {
        trend_->Fill(table_, AlarmLimitsOf(ShownParams(), type_), showLists_ ? 10 : 5);
        // The chart shows a new selection from its first sample: the scroll bar still holds
        // the position it had in the previous selection.
        QScrollBar* bar = chart_->ScrollBar();
        {
            const QSignalBlocker quiet(bar);
            bar->setValue(bar->minimum());
        }
        chart_->UpdateScrollBar();
        chart_->UpdateVisibleWindow();
    } else {
        trend_->Clear();
    }
    if (points) sampleList_->scrollToBottom();

    // The members back into the controls, then the series the boxes choose.
    {
        const QSignalBlocker block(nodeMarks_);
        nodeMarks_->setChecked(chart_->State().markSize > 0);
    }
    legend_->SetTicks(checks_);
    ApplySeriesVisibility();
    sampleList_->setUpdatesEnabled(true);
    chart_->EnableDrawing(true);
    if (showStatistics_) UpdateStatistics();
}

// ---- statistics ----------------------------------------------------------------------------

void CDataView::ShowStatistics(bool on) {
    if (on == showStatistics_) return;
    showStatistics_ = on;
    if (on) UpdateStatistics();
    LayoutWindows();
}

void CDataView::SetStatisticsShare(int share) {
    if (share < 0 || share > kMaxStatisticsShare) share = kAutoStatisticsShare;
    if (share == statisticsShare_) return;
    statisticsShare_ = share;
    if (showStatistics_) LayoutWindows();
}

void CDataView::UpdateStatistics() {
    if (!Loaded()) return;
    figures_ =
        set_ ? ComputeRecordStatistics(*set_, table_, condition_, statistics_->Settings())
             : ComputeHistoryStatistics(*history_, table_, condition_, statistics_->Settings());
    figures_.file = ToUtf8(host_.RecordPath());
    const int wanted = statistics_->WantedWidth();
    statistics_->Show(figures_);
    if (statistics_->WantedWidth() != wanted && statisticsShare_ < 0) LayoutWindows();
}

void CDataView::ApplyColumnWidths() {
    const auto columns = table_.Columns();
    for (int i = 0; i < static_cast<int>(columns.size()); ++i) {
        sampleList_->setColumnWidth(i,
                                    std::max(columns[static_cast<size_t>(i)].width,
                                             HeaderTextWidth(*sampleList_->horizontalHeader(), i)));
    }
    // The width that shows every column with the list's frame and its vertical scroll bar; the
    // Chinese form keeps its designed shares.
    int wanted = 2 * sampleList_->frameWidth() +
                 sampleList_->verticalScrollBar()->sizeHint().width() +
                 (sampleList_->verticalHeader()->isVisible()
                      ? sampleList_->verticalHeader()->sizeHint().width()
                      : 0);
    for (int i = 0; i < sampleList_->horizontalHeader()->count(); ++i)
        if (!sampleList_->isColumnHidden(i)) wanted += sampleList_->columnWidth(i);
    if (!FormFollowsTexts()) wanted = 0;
    if (wanted != sampleListWidth_) {
        sampleListWidth_ = wanted;
        LayoutWindows();
    }
}

void CDataView::UpdateStatusLine() {
    setWindowTitle(
        ToQString(QueryStatusLine(headerText_, TotalCount(), condition_, table_.SampleCount())));
}

// ---- channels, coupling --------------------------------------------------------------------

void CDataView::ApplyChannelChecks() {
    const std::array<bool, kSeriesCount> ticks = legend_->Ticks();
    bool any = false;
    for (int k = 0; k < seriesCount_; ++k)
        any = any || ticks[static_cast<size_t>(k)];
    if (!any) {
        // The last visible channel stays on.
        legend_->SetTicks(checks_);
        return;
    }
    checks_ = ticks;
    if (Loaded()) ApplySeriesVisibility();
}

void CDataView::ApplySeriesVisibility() {
    std::array<bool, kSeriesCount> shown{};
    const std::span<const int> list = SeriesList(type_);
    for (int k = 0; k < seriesCount_; ++k) {
        if (checks_[static_cast<size_t>(k)])
            shown[static_cast<size_t>(list[static_cast<size_t>(k)])] = true;
    }
    trend_->SetSeriesShown(shown);
}

void CDataView::SelectRow(int row) {
    if (row < 0 || row >= model_->rowCount()) return;
    chart_->SelectPoint(row);
    SelectListRow(row);
}

void CDataView::OnPick(const TrendPickNotify& notify) {
    SelectListRow(notify.point);
}

void CDataView::SelectListRow(int row) {
    if (row < 0 || row >= model_->rowCount()) return;
    const QModelIndex index = model_->index(row, 0);
    sampleList_->scrollTo(index, QAbstractItemView::EnsureVisible);
    sampleList_->selectionModel()->setCurrentIndex(
        index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

// ---- commands ------------------------------------------------------------------------------

bool CDataView::CanRunRecordCommands() const {
    return host_.RecordLoaded() && Loaded();
}

void CDataView::ExportRecord() {
    if (!CanRunRecordCommands()) return;
    if (exportPath_.isEmpty()) {
        exportPath_ =
            ToQString(ProposedExportPath(ToUtf8(host_.DataFolder()), ToUtf8(host_.RecordPath())));
    }
    FileDialogRequest request;
    request.title = tr("另存为");
    request.initialPath = exportPath_;
    request.filter =
        QStringLiteral("%1;;%2;;%3").arg(tr(kExcelFilter), tr(kTextFilter), tr(kCsvFilter));
    request.defaultSuffix = QStringLiteral("xlsx");
    request.save = true;
    QString selectedFilter;
    const QString chosen = Prompts().FileName(this, request, &selectedFilter);
    if (chosen.isEmpty()) return;
    exportPath_ = chosen.trimmed();

    const std::string path = ToUtf8(exportPath_);
    ExportFormat format = ExportFormatForPath(path);
    if (format == ExportFormat::None) return;
    if (format == ExportFormat::Text && selectedFilter == tr(kCsvFilter) &&
        exportPath_.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive)) {
        format = ExportFormat::Csv;
    }
    UpdateStatistics();
    std::string why;
    const std::vector<ParamListRow> params =
        set_ ? RecordParamRows(*set_) : HistoryParamRows(HistorySettings(*history_, window_));
    int sheets = 1;
    if (ExportSampleTable(path, format, table_, params, &figures_, &why, &sheets)) {
        ShowInfo(this, ToQString(ExportSucceededMessage(path, kSampleSheetName, sheets)));
    } else {
        ShowWarning(this, ToQString(WithReason(ExportFailedMessage(path), why)));
    }
}

void CDataView::CopyGraph() {
    if (!CanRunRecordCommands()) return;
    QImage image(chart_->size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    chart_->render(&image);
    if (QClipboard* clipboard = QGuiApplication::clipboard()) clipboard->setImage(image);
}

void CDataView::Print() {
    RunPrint(PrintAction::Print);
}
void CDataView::PrintDirect() {
    RunPrint(PrintAction::PrintDirect);
}
void CDataView::PrintPreview() {
    RunPrint(PrintAction::Preview);
}

void CDataView::RunPrint(PrintAction action) {
    if (!CanRunRecordCommands()) return;
    PrepareJob();
    CPrintListTrend& job = *print_;
    job.mode = printChoice_;
    PrintRecord(this, job, action);
    printChoice_ = job.mode;
}

int CDataView::PrintToPdfFile(const QString& path, int choice, QString* error) {
    if (!CanRunRecordCommands()) {
        if (error) *error = QStringLiteral("no record is loaded");
        return -1;
    }
    PrepareJob();
    print_->mode = choice == CPrintListTrend::kCurveMode || choice == CPrintListTrend::kSummaryMode
                       ? choice
                       : CPrintListTrend::kReportMode;
    return PrintToPdf(*print_, path, error);
}

void CDataView::PrepareJob() {
    CPrintListTrend& job = *print_;
    job.infoLine = windowTitle();
    job.secondInfoLine.clear();
    job.footerText = history_ ? HistoryFooterText(host_.RecordPath(), Now())
                              : PrintFooterText(host_.RecordPath(), Now());
    job.documentName = QFileInfo(host_.RecordPath()).completeBaseName();
    job.hasData = host_.RecordLoaded();
    // The statistics report prints the figures the panel shows, the user's limits included.
    UpdateStatistics();
    job.SetStatistics(Loaded() ? &figures_ : nullptr);
}

}  // namespace qx
