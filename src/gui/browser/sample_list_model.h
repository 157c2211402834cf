// The record browser's sample list as a virtual table model: the rows and column titles of a
// SampleTable, read on demand, so that a query of tens of thousands of samples costs one model
// reset instead of a widget item per cell.
#pragma once

#include <QAbstractTableModel>

namespace qx {

class SampleTable;

class SampleListModel final : public QAbstractTableModel {
    Q_OBJECT

  public:
    explicit SampleListModel(QObject* parent = nullptr);

    // Shows the table (nullptr: nothing). Call again after the table was rebuilt.
    void SetTable(const SampleTable* table);
    const SampleTable* Table() const { return table_; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

  private:
    const SampleTable* table_ = nullptr;
};

}  // namespace qx
