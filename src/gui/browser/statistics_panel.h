// StatisticsPanel: the record browser's figures of the current query ("统计"). Three lists
// over one RecordStatistics: the figures, a row per figure and a column per series, so that a
// series' figures read down one column; the limits of the series with limits, laid out the
// same way (a low and a high edit each, and the ΔH edit above); and the excursions, a row
// each. An edit replaces the record's limit for its series; an empty edit gives the record's
// limit back. An entry that is no number, out of the series' range, or a low limit above the
// high one, is kept in its edit and named in the panel's message line (which wraps); the
// figures keep the last good settings until it is mended. Record limits with low above high
// are named there too.
#pragma once

#include <QWidget>
#include <array>
#include <vector>

#include "core/records/record_statistics.h"

class QLabel;
class QLineEdit;
class QTableWidget;

namespace qx {

class StatisticsPanel : public QWidget {
    Q_OBJECT

  public:
    explicit StatisticsPanel(QWidget* parent = nullptr);

    // Shows statistics; the limit edits follow its series (an edit keeps the user's text).
    void Show(const RecordStatistics& statistics);
    // The settings the edits make; the owner recomputes with them on settingsChanged.
    const StatisticsSettings& Settings() const { return settings_; }
    // Back to the record's limits and the default ΔH (a new record).
    void ResetSettings();
    // The width that shows the first series' figures and limits whole, with their row titles.
    int WantedWidth() const;

    QLineEdit* EnergyEdit() const { return energy_; }
    // Rows: 样本数, 缺失, 最小值, 最小值时间, 最大值, 最大值时间, 平均值, 标准差, 平均动力学温度;
    // a column per series, titled with its list title.
    QTableWidget* FigureList() const { return figures_; }
    // Rows: 下限, 上限, 限值来源, 低于下限, 高于上限, 超限次数, 最长超限; a column per series
    // with limits.
    QTableWidget* LimitList() const { return limits_; }
    QTableWidget* ExcursionList() const { return excursions_; }
    QLabel* MessageLine() const { return message_; }
    // The edit of a series' low (side 0) or high (side 1) limit; nullptr when it has none.
    QLineEdit* LimitEdit(int series, int side) const;
    // The first sample table row of each excursion of the list, in list order.
    const std::vector<int>& ExcursionRows() const { return excursionRows_; }

  protected:
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  signals:
    void settingsChanged();
    // An excursion was double-clicked: its first row of the sample table.
    void excursionActivated(int firstRow);

  private:
    struct LimitEdits {
        int series = 0;
        QString title;
        QLineEdit* low = nullptr;
        QLineEdit* high = nullptr;
    };
    void ReadEdits();
    void ShowMessages();
    // The figure and limit lists as tall as their rows.
    void FitHeights();

    QLineEdit* energy_ = nullptr;
    QTableWidget* figures_ = nullptr;
    QTableWidget* limits_ = nullptr;
    QTableWidget* excursions_ = nullptr;
    QLabel* message_ = nullptr;
    std::vector<LimitEdits> edits_;
    std::vector<int> excursionRows_;
    StatisticsSettings settings_;
    RecordUnits units_;
    QStringList problems_;  // of the entries
    QStringList warnings_;  // of the figures shown
    // The record's limits of each series, as the figures last showed them without the user's.
    std::array<SeriesLimits, kSeriesCount> recordLimits_{};
};

}  // namespace qx
