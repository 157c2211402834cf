// CCompareView: several instruments compared in one quantity (core/records/comparison.h). A
// row of choices (the quantity, the user's low and high limits, compare again, export, print,
// print preview) above one chart with a line per instrument (its number and name in the
// legend, a colour and pen each) and two pages: 对比数据, the table aligned by time with one
// column per instrument (a missing sample is an empty cell), and 对比统计, the summary and the
// figures of each instrument. The owner hands it the instruments' histories and the query
// window; it prints the comparison report and exports the workbook, the list text or CSV.
// Above the chart it names the instruments left out; when nothing can be compared it says why
// there and its export and print buttons are disabled. As a window it closes with Esc,
// Ctrl+W and its Close button.
#pragma once

#include <QString>
#include <QWidget>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/library/recording_samples.h"
#include "core/records/comparison.h"
#include "core/records/record_query.h"
#include "gui/print/print_command.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
class QTableWidget;
class QTabWidget;

namespace qx {

class CPrintListTrend;
class CTrendWave;
class CompareTableModel;

class CCompareView : public QWidget {
    Q_OBJECT

  public:
    explicit CCompareView(QWidget* parent = nullptr);
    ~CCompareView() override;

    // The instruments (one history each, in legend order) and the query window. The quantity
    // choice offers those of the first instrument and keeps the one chosen when offered, else
    // takes the first (temperature where there is one), or series when given and offered;
    // then compares.
    void SetHistories(std::vector<InstrumentHistory> histories, QueryWindow window,
                      const std::string& series = {});
    // Chooses the quantity by its id (temp, hum, ...) and compares; false when not offered.
    bool ChooseSeries(const std::string& id);
    // The limit entries as the user types them; empty for none.
    void SetLimitTexts(const QString& low, const QString& high);

    // Compares with the choices made. False when the limits are not numbers or out of the
    // quantity's range (the user is told, the comparison shown stays), or when the instruments
    // cannot be compared (the reason takes the place of the figures, Problem()).
    bool Compare();
    // Compares with the quantity and limits of request (its window is the view's) without
    // asking anything: false with *problem saying why (limits out of the quantity's range: the
    // comparison shown stays; the instruments cannot be compared: none is shown).
    bool CompareWith(ComparisonRequest request, QString* problem = nullptr);

    // The folder the export proposes (the data folder), and what the window's title ends in
    // (the program's name); the title itself names the quantity and the instruments.
    void SetDataFolder(const QString& folder) { dataFolder_ = folder; }
    void SetTitleSuffix(const QString& suffix);
    // The quantity and the instruments compared, shortened: "温度(℃): A1 北库, B2 南库 …".
    QString Caption() const;
    // The file name the export proposes: the quantity and the first compared day.
    QString ExportProposal() const;

    const Comparison* Result() const { return comparison_ ? &*comparison_ : nullptr; }
    const QString& Problem() const { return problem_; }

    // The commands of the buttons.
    void ExportComparison();
    bool Print(PrintAction action);
    // The comparison report as a PDF file without any dialog; pages written or -1 (*error
    // says why).
    int PrintToPdfFile(const QString& path, QString* error = nullptr);

    CTrendWave* Chart() const { return chart_; }
    QTableView* Table() const { return table_; }
    QTableWidget* Figures() const { return figures_; }
    QLabel* SummaryLabel() const { return summary_; }
    // Above the chart: the instruments left out, or why nothing could be compared.
    QLabel* Notice() const { return notice_; }
    // The export, print and preview buttons, enabled while there is a comparison.
    const std::vector<QPushButton*>& OutputButtons() const { return outputs_; }
    QTabWidget* Pages() const { return pages_; }
    QComboBox* SeriesChoice() const { return series_; }

  private:
    void FillSeriesChoice(const std::string& series);
    void ShowComparison();
    void PrepareJob();

    std::vector<InstrumentHistory> histories_;
    QueryWindow window_;
    std::optional<Comparison> comparison_;
    QString problem_;
    QString exportPath_;
    QString dataFolder_;
    QString titleSuffix_;

    QComboBox* series_ = nullptr;
    QLineEdit* low_ = nullptr;
    QLineEdit* high_ = nullptr;
    CTrendWave* chart_ = nullptr;
    QTabWidget* pages_ = nullptr;
    QTableView* table_ = nullptr;
    CompareTableModel* model_ = nullptr;
    QLabel* summary_ = nullptr;
    QLabel* notice_ = nullptr;
    std::vector<QPushButton*> outputs_;
    QTableWidget* figures_ = nullptr;
    std::unique_ptr<CPrintListTrend> job_;
};

}  // namespace qx
