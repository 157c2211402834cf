// StatisticsPanel: the record browser's figures of the current query ("统计"). Three lists
// over one RecordStatistics: the figures per series, the limit summary of the series with
// limits (a low and a high edit each, and the ΔH edit above), and the excursions. An edit
// replaces the record's limit for its series; an empty edit gives the record's limit back. An
// entry that is no number, or a low limit above the high one, is kept in its edit and named
// in the panel's message line; the figures keep the last good settings until it is mended.
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

    QLineEdit* EnergyEdit() const { return energy_; }
    QTableWidget* FigureList() const { return figures_; }
    QTableWidget* LimitList() const { return limits_; }
    QTableWidget* ExcursionList() const { return excursions_; }
    QLabel* MessageLine() const { return message_; }
    // The edit of a series' low (side 0) or high (side 1) limit; nullptr when it has none.
    QLineEdit* LimitEdit(int series, int side) const;
    // The first sample table row of each excursion of the list, in list order.
    const std::vector<int>& ExcursionRows() const { return excursionRows_; }

  signals:
    void settingsChanged();
    // An excursion was double-clicked: its first row of the sample table.
    void excursionActivated(int firstRow);

  private:
    struct LimitEdits {
        int series = 0;
        int decimals = 1;
        QLineEdit* low = nullptr;
        QLineEdit* high = nullptr;
    };
    void ReadEdits();
    LimitEdits* EditsOf(int series);

    QLineEdit* energy_ = nullptr;
    QTableWidget* figures_ = nullptr;
    QTableWidget* limits_ = nullptr;
    QTableWidget* excursions_ = nullptr;
    QLabel* message_ = nullptr;
    std::vector<LimitEdits> edits_;
    std::vector<int> excursionRows_;
    StatisticsSettings settings_;
    // The record's limits of each series, as the figures last showed them without the user's.
    std::array<SeriesLimits, kSeriesCount> recordLimits_{};
};

}  // namespace qx
