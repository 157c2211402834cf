// CDataView: the record browser. One decoded record or one instrument's history at a time: the
// query panel and the display switches on the left, the sample list (a virtual list over the
// query's SampleTable), the parameter list and the trend chart beside them in one of four
// arrangements, and the channel check boxes with their legend. It carries the export, copy-graph,
// print and preview commands of the main window while a record is loaded.
//
// The status line "%s 总记录数:%d  查询条件:%s 记录数:%d" is the view's windowTitle(); the main
// window follows windowTitleChanged for its caption bar.
#pragma once

#include <QString>
#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "core/library/recording_samples.h"
#include "core/records/browser_layout.h"
#include "core/records/derived_series.h"
#include "core/records/record_query.h"
#include "core/records/record_statistics.h"
#include "core/records/sample_table.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QRadioButton;
class QTableView;

namespace qx {

class CMyListCtrl;

struct RecordSet;
struct TrendPickNotify;
class CPrintListTrend;
enum class PrintAction;
class CTrendWave;
class ChannelLegend;
class QueryPanel;
class StatisticsPanel;
class SampleListModel;
class SplitterHandle;
class TrendDisplay;

class CDataView : public QWidget {
    Q_OBJECT

  public:
    // What the view reads from the main window.
    struct Host {
        virtual ~Host() = default;
        virtual bool RecordLoaded() const = 0;
        virtual QString RecordPath() const = 0;  // the record file last opened or saved
        virtual QString DataFolder() const = 0;
    };

    // Control ids of the form, kept where they name a role.
    static constexpr int kChartId = 1001;

    explicit CDataView(Host& host, QWidget* parent = nullptr);
    ~CDataView() override;

    // Once (later calls do nothing); arrangement = setting "TrendPos" (0 side by side,
    // 1 stacked).
    void FirstShow(int arrangement);
    int Arrangement() const { return arrangement_; }

    // Hand-over after open or download; the set stays the main window's and must outlive its
    // use here (until the next LoadRecord). nullptr does nothing.
    void LoadRecord(const RecordSet* set);

    // Hand-over of an instrument's history from the record library: its recordings in time
    // order, shown as a record is (list, chart, statistics, print, export) across them. Where
    // samples are missing (between recordings, or inside one) the list has a gap row and the
    // chart breaks its lines; the settings list shows each recording's settings in the query's
    // time. The history stays the owner's and must outlive its use here; nullptr does nothing.
    void LoadHistory(const InstrumentHistory* history);
    bool ShowsHistory() const { return history_ != nullptr; }

    // The "查询" button: reads the panel, queries, fills list and chart, rebuilds the status line.
    void RunQuery();
    // The same for a request made elsewhere (the command line); the panel keeps its entries.
    void RunRequest(const QueryRequest& request);

    // Commands of the main window's menu and toolbar; each does nothing unless
    // CanRunRecordCommands().
    bool CanRunRecordCommands() const;
    void ExportRecord();  // 32795
    void CopyGraph();     // 32796
    void Print();         // 57607: print-item dialog, then the printer dialog
    void PrintDirect();   // 57608: print-item dialog, then the application's printer
    void PrintPreview();  // 57609: print-item dialog, then the preview window
    // Writes the chart (CSelPrintDlg::kCurve), the report (kReport) or the statistics report
    // (kSummary) of the current query to a PDF file without asking (A4, the reports portrait,
    // the chart landscape). Returns the pages written, -1 when nothing could be written
    // (nothing is left at path then; `error`, when given, says why).
    int PrintToPdfFile(const QString& path, int choice, QString* error = nullptr);

    // The statistics panel: shown or not (the setting "ShowStat"); it follows the query, and
    // its limit and ΔH edits change the figures it shows and the statistics report prints.
    void ShowStatistics(bool on);
    bool StatisticsShown() const { return showStatistics_; }
    StatisticsPanel* Statistics() const { return statistics_; }
    // The panel's share of the width beside the control panel, in ten-thousandths: where the
    // user dragged the splitter before it; kAutoStatisticsShare until then, and after a double
    // click on it (the panel then takes what a series' figures need, at least 46 %). The owner
    // keeps it between runs.
    int StatisticsShare() const { return statisticsShare_; }
    void SetStatisticsShare(int share);
    SplitterHandle* StatisticsSplitter() const { return splitter_; }
    const RecordStatistics& Figures() const { return figures_; }

    // The clock of the queries and of the first date pickers (tests fix it).
    void SetClock(std::function<int64_t()> now) { now_ = std::move(now); }

    // What the view shows.
    const SampleTable& Table() const { return table_; }
    int TotalCount() const { return table_.TotalCount(); }
    // Rows of the query: its samples, and for a history its gap rows too.
    int MatchedCount() const { return matched_; }
    const QString& ExportPath() const { return exportPath_; }
    int PrintChoice() const { return printChoice_; }
    std::array<bool, kSeriesCount> ChannelTicks() const { return checks_; }

    QueryPanel& Query() const { return *query_; }
    QTableView* SampleList() const { return sampleList_; }
    CMyListCtrl* ParamList() const { return paramList_; }
    CTrendWave* Chart() const { return chart_; }
    ChannelLegend* Legend() const { return legend_; }
    QComboBox* TimeZoomList() const { return timeZoom_; }
    QComboBox* ValueZoomList() const { return valueZoom_; }
    QCheckBox* NodeMarkBox() const { return nodeMarks_; }
    QRadioButton* ArrangementRadio(int arrangement) const;
    QCheckBox* ShowListsBox() const { return showListsBox_; }
    QCheckBox* ShowChartBox() const { return showChartBox_; }
    // The rectangle beside the control panel that the layout starts from.
    QRect AnchorRect() const;
    // The print job the print commands run (its texts are set at the start of each job).
    CPrintListTrend& PrintJob() const { return *print_; }

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    void CreateControls();
    void SetupLists();
    void LayoutWindows();
    void Fill(const QueryWindow& window);
    void UpdateStatusLine();
    void ApplyChannelChecks();
    void ApplySeriesVisibility();
    void OnDisplaySwitch();
    void OnPick(const TrendPickNotify& notify);
    void SelectRow(int row);  // in the chart and the list
    void SelectListRow(int row);
    void UpdateStatistics();
    void FillParamList();
    void ApplyColumnWidths();
    // What loading a record and a history share: the type shown, its series and their ticks;
    // returns the type shown before.
    InstrumentTypeId BeginLoad(InstrumentTypeId type);
    int64_t Now() const;
    void RunPrint(PrintAction action);
    void PrepareJob();

    Host& host_;
    std::function<int64_t()> now_;
    bool Loaded() const { return set_ != nullptr || history_ != nullptr; }
    // The record's or the shown recording's settings, and the alarm limits the chart draws.
    ParamBlock ShownParams() const;

    const RecordSet* set_ = nullptr;
    const InstrumentHistory* history_ = nullptr;
    QueryWindow window_;
    SampleTable table_;
    bool firstShown_ = false;

    // Controls.
    QueryPanel* query_ = nullptr;
    QGroupBox* arrangementGroup_ = nullptr;
    QRadioButton* arrangementRadios_[2] = {};
    QCheckBox* showListsBox_ = nullptr;
    QCheckBox* showChartBox_ = nullptr;
    QGroupBox* chartGroup_ = nullptr;
    QLabel* timeZoomLabel_ = nullptr;
    QLabel* valueZoomLabel_ = nullptr;
    QComboBox* timeZoom_ = nullptr;
    QComboBox* valueZoom_ = nullptr;
    QCheckBox* nodeMarks_ = nullptr;
    ChannelLegend* legend_ = nullptr;
    QTableView* sampleList_ = nullptr;
    int sampleListWidth_ = 0;  // what its columns need, for the layout
    SampleListModel* model_ = nullptr;
    CMyListCtrl* paramList_ = nullptr;
    CTrendWave* chart_ = nullptr;
    std::unique_ptr<TrendDisplay> trend_;
    std::unique_ptr<CPrintListTrend> print_;
    StatisticsPanel* statistics_ = nullptr;
    SplitterHandle* splitter_ = nullptr;
    RecordStatistics figures_;

    // State.
    InstrumentTypeId type_ = 0;
    int seriesCount_ = 0;
    int matched_ = 0;
    bool showLists_ = true;
    bool showChart_ = true;
    bool showStatistics_ = false;
    int statisticsShare_ = kAutoStatisticsShare;
    int arrangement_ = 0;
    int panelExtra_ = 0;  // pixels the control panel is wider than the form for whole dates
    std::array<bool, kSeriesCount> checks_{true, false, false, false, false, false, false, false};
    std::string headerText_;
    std::string condition_ = QueryWindow{}.condition;
    QString exportPath_;
    int printChoice_ = 1;
};

}  // namespace qx
