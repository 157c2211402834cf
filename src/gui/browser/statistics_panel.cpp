#include "statistics_panel.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "gui/common/qt_text.h"
#include "gui/print/statistics_tables.h"

namespace qx {
namespace {

QTableWidget* MakeList(QWidget* parent, const QStringList& titles) {
    auto* list = new QTableWidget(0, static_cast<int>(titles.size()), parent);
    list->setHorizontalHeaderLabels(titles);
    list->verticalHeader()->hide();
    list->verticalHeader()->setDefaultSectionSize(list->fontMetrics().height() + 6);
    list->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    list->horizontalHeader()->setHighlightSections(false);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setWordWrap(false);
    list->setTabKeyNavigation(false);
    return list;
}

void SetRow(QTableWidget& list, int row, const QStringList& cells) {
    for (int c = 0; c < cells.size(); ++c) {
        auto* item = new QTableWidgetItem(cells[c]);
        if (c > 0) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        list.setItem(row, c, item);
    }
}

// The entry of an edit: empty for none, else the number; false when it is no number.
bool ReadNumber(const QLineEdit& edit, std::optional<double>& value) {
    const QString text = edit.text().trimmed();
    value.reset();
    if (text.isEmpty()) return true;
    bool ok = false;
    const double v = text.toDouble(&ok);
    if (!ok || !std::isfinite(v)) return false;
    value = v;
    return true;
}

}  // namespace

StatisticsPanel::StatisticsPanel(QWidget* parent) : QWidget(parent) {
    auto* energyRow = new QHBoxLayout;
    energyRow->addWidget(new QLabel(tr("活化能ΔH(kJ/mol):"), this));
    energy_ = new QLineEdit(this);
    energy_->setPlaceholderText(FixedText(kDefaultActivationEnergy, 3));
    energy_->setText(FixedText(kDefaultActivationEnergy, 3));
    energy_->setMaximumWidth(90);
    energyRow->addWidget(energy_);
    energyRow->addStretch();
    connect(energy_, &QLineEdit::editingFinished, this, &StatisticsPanel::ReadEdits);

    // The lists' titles are the tables' of the statistics report.
    const std::vector<StatisticsTable> tables = StatisticsTables(RecordStatistics{});
    figures_ = MakeList(this, tables[0].titles);
    limits_ = MakeList(this, tables[1].titles);
    excursions_ = MakeList(this, tables[2].titles);
    connect(excursions_, &QTableWidget::cellDoubleClicked, this, [this](int row, int) {
        if (row >= 0 && row < static_cast<int>(excursionRows_.size()))
            emit excursionActivated(excursionRows_[static_cast<size_t>(row)]);
    });
    message_ = new QLabel(this);
    message_->setStyleSheet(QStringLiteral("color: #c00000;"));
    message_->hide();

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(3);
    column->addWidget(new QLabel(tr("统计"), this));
    column->addWidget(figures_, 3);
    column->addLayout(energyRow);
    column->addWidget(message_);
    column->addWidget(limits_, 2);
    column->addWidget(new QLabel(tr("超限记录(双击定位)"), this));
    column->addWidget(excursions_, 4);
}

QLineEdit* StatisticsPanel::LimitEdit(int series, int side) const {
    for (const LimitEdits& e : edits_) {
        if (e.series == series) return side == 0 ? e.low : e.high;
    }
    return nullptr;
}

StatisticsPanel::LimitEdits* StatisticsPanel::EditsOf(int series) {
    for (LimitEdits& e : edits_) {
        if (e.series == series) return &e;
    }
    return nullptr;
}

void StatisticsPanel::ResetSettings() {
    settings_ = {};
    energy_->setText(FixedText(kDefaultActivationEnergy, 3));
    for (const LimitEdits& e : edits_) {
        if (e.low) e.low->clear();
        if (e.high) e.high->clear();
    }
    message_->hide();
}

void StatisticsPanel::ReadEdits() {
    StatisticsSettings next = settings_;
    QStringList problems;
    std::optional<double> energy;
    if (!ReadNumber(*energy_, energy)) {
        problems << tr("活化能“%1”不是数字").arg(energy_->text().trimmed());
    } else if (energy && (*energy < kMinActivationEnergy || *energy > kMaxActivationEnergy)) {
        problems << tr("活化能须在 %1 到 %2 kJ/mol 之间")
                        .arg(kMinActivationEnergy)
                        .arg(kMaxActivationEnergy);
    } else {
        next.activationEnergy = energy.value_or(kDefaultActivationEnergy);
    }
    for (const LimitEdits& e : edits_) {
        const size_t k = static_cast<size_t>(e.series);
        const QString title = limits_->item(static_cast<int>(&e - edits_.data()), 0)->text();
        std::optional<double> low, high;
        bool ok = true;
        if (e.low && !ReadNumber(*e.low, low)) {
            problems << tr("%1的下限“%2”不是数字").arg(title, e.low->text().trimmed());
            ok = false;
        }
        if (e.high && !ReadNumber(*e.high, high)) {
            problems << tr("%1的上限“%2”不是数字").arg(title, e.high->text().trimmed());
            ok = false;
        }
        if (!ok) continue;
        if (!low && !high) {
            next.limits[k].reset();
            continue;
        }
        // A side left empty keeps the record's limit.
        SeriesLimits limits = recordLimits_[k];
        if (low) limits.low = low;
        if (high) limits.high = high;
        if (limits.low && limits.high && *limits.low > *limits.high) {
            problems << tr("%1的下限高于上限").arg(title);
            continue;
        }
        next.limits[k] = limits;
    }
    message_->setText(problems.join(tr(";", "between the problems of the message line")));
    message_->setVisible(!problems.isEmpty());
    const bool changed =
        next.activationEnergy != settings_.activationEnergy || next.limits != settings_.limits;
    settings_ = next;
    if (changed) emit settingsChanged();
}

void StatisticsPanel::Show(const RecordStatistics& statistics) {
    const std::vector<StatisticsTable> tables = StatisticsTables(statistics);
    const auto fill = [](QTableWidget& list, const StatisticsTable& table) {
        list.setRowCount(static_cast<int>(table.rows.size()));
        for (int row = 0; row < list.rowCount(); ++row)
            SetRow(list, row, table.rows[static_cast<size_t>(row)]);
    };
    fill(*figures_, tables[0]);

    // The limit rows; their edits stay while the series with limits stay the same.
    std::vector<const SeriesStatistics*> limited;
    for (const SeriesStatistics& s : statistics.series) {
        if (s.limits) limited.push_back(&s);
    }
    bool same = limited.size() == edits_.size();
    for (size_t i = 0; same && i < limited.size(); ++i)
        same = edits_[i].series == limited[i]->series;
    if (!same) {
        limits_->setRowCount(0);
        edits_.clear();
        limits_->setRowCount(static_cast<int>(limited.size()));
        for (size_t i = 0; i < limited.size(); ++i) {
            const SeriesStatistics& s = *limited[i];
            LimitEdits e{s.series, s.decimals, nullptr, nullptr};
            const auto makeEdit = [&](int column) {
                auto* edit = new QLineEdit(limits_);
                edit->setFrame(false);
                edit->setAlignment(Qt::AlignRight);
                connect(edit, &QLineEdit::editingFinished, this, &StatisticsPanel::ReadEdits);
                limits_->setCellWidget(static_cast<int>(i), column, edit);
                return edit;
            };
            if (s.limits->limits.low) e.low = makeEdit(1);
            if (s.limits->limits.high) e.high = makeEdit(2);
            edits_.push_back(e);
        }
    }
    for (size_t i = 0; i < limited.size(); ++i) {
        const SeriesStatistics& s = *limited[i];
        const size_t k = static_cast<size_t>(s.series);
        if (!s.limits->overridden) recordLimits_[k] = s.limits->limits;
        // An edit stands in for the limit's cell; empty, it shows the record's limit greyed.
        LimitEdits& e = edits_[i];
        QStringList cells = tables[1].rows[i];
        if (e.low) {
            e.low->setPlaceholderText(LimitText(recordLimits_[k].low, s.decimals));
            cells[1].clear();
        }
        if (e.high) {
            e.high->setPlaceholderText(LimitText(recordLimits_[k].high, s.decimals));
            cells[2].clear();
        }
        SetRow(*limits_, static_cast<int>(i), cells);
    }

    fill(*excursions_, tables[2]);
    excursionRows_.clear();
    for (const SeriesStatistics* s : limited) {
        for (const Excursion& x : s->limits->excursions)
            excursionRows_.push_back(x.firstRow);
    }
    for (QTableWidget* list : {figures_, limits_, excursions_})
        list->resizeColumnsToContents();
}

}  // namespace qx
