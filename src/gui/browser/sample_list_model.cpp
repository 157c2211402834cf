#include "sample_list_model.h"

#include "core/records/sample_table.h"
#include "form_fit.h"
#include "gui/common/qt_text.h"

namespace qx {

SampleListModel::SampleListModel(QObject* parent) : QAbstractTableModel(parent) {}

void SampleListModel::SetTable(const SampleTable* table) {
    beginResetModel();
    table_ = table;
    endResetModel();
}

int SampleListModel::rowCount(const QModelIndex& parent) const {
    return (parent.isValid() || !table_) ? 0 : table_->RowCount();
}

int SampleListModel::columnCount(const QModelIndex& parent) const {
    return (parent.isValid() || !table_) ? 0 : table_->ColumnCount();
}

QVariant SampleListModel::data(const QModelIndex& index, int role) const {
    if (!table_ || !index.isValid()) return {};
    switch (role) {
        case Qt::DisplayRole:
            return ToQString(table_->Cell(index.row(), index.column()));
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
        default:
            return {};
    }
}

QVariant SampleListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (!table_ || orientation != Qt::Horizontal || section < 0 ||
        section >= table_->ColumnCount()) {
        return {};
    }
    switch (role) {
        case Qt::DisplayRole: {
            QString title = ToQString(table_->Columns()[static_cast<size_t>(section)].title);
            // The longer English names put their unit on a second line, so that the columns
            // stay as narrow as their values allow.
            const qsizetype unit = title.indexOf(QLatin1Char('('));
            if (FormFollowsTexts() && unit > 0) title.insert(unit, QLatin1Char('\n'));
            return title;
        }
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
        default:
            return {};
    }
}

Qt::ItemFlags SampleListModel::flags(const QModelIndex& index) const {
    return index.isValid() ? (Qt::ItemIsEnabled | Qt::ItemIsSelectable) : Qt::NoItemFlags;
}

}  // namespace qx
