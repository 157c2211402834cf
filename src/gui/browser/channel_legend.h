// The legend frame of the record browser: the channel check boxes (one per series of the
// record's type, standing for the series list's entries in order) and, painted behind them,
// one row per legend entry of the type with the entry's text in its colour and a sample of its
// line; rows alternate between two greys.
#pragma once

#include <QFont>
#include <QFrame>
#include <QString>
#include <array>
#include <vector>

#include "core/records/derived_series.h"

class QCheckBox;

namespace qx {

class ChannelLegend final : public QFrame {
    Q_OBJECT

  public:
    static constexpr int kBoxCount = kSeriesCount;

    // A frame at its place on the parent form, with the eight boxes (all hidden).
    explicit ChannelLegend(QWidget* parent);

    // The entries and texts of a record's type; the frame takes its row count's height.
    void SetRecordUnits(const RecordUnits& units);
    // Boxes 0..n-1 shown, the others hidden.
    void ShowBoxes(int n);

    std::array<bool, kBoxCount> Ticks() const;
    void SetTicks(const std::array<bool, kBoxCount>& ticks);
    QCheckBox* Box(int k) const { return boxes_[static_cast<size_t>(k)]; }

    // How many pixels the frame is too narrow for the widest entry text of any type with a
    // stretch of its line (0 when it is wide enough, and always in Chinese).
    int TextShortfall() const;

    // Height of one row: the distance from one box to the next.
    int RowPitch() const;
    const std::vector<int>& Entries() const { return entries_; }
    const std::vector<QString>& Texts() const { return texts_; }

  signals:
    // The user clicked box k.
    void boxClicked(int k);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    std::array<QCheckBox*, kBoxCount> boxes_{};
    std::vector<int> entries_;
    std::vector<QString> texts_;
    InstrumentTypeId type_ = 0;
    QFont font_;
};

}  // namespace qx
