#include "statistics_panel.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "gui/common/qt_text.h"
#include "gui/print/statistics_tables.h"

namespace qx {
namespace {

// The rows of the limit list that hold the edits.
constexpr int kLowRow = 0;
constexpr int kHighRow = 1;

QTableWidget* MakeList(QWidget* parent) {
    auto* list = new QTableWidget(parent);
    list->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    list->verticalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    list->verticalHeader()->setHighlightSections(false);
    list->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    list->horizontalHeader()->setHighlightSections(false);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setWordWrap(false);
    list->setTabKeyNavigation(false);
    list->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    return list;
}

// A list whose rows are figures: the row titles down the left, a column per series.
QTableWidget* MakeFigureList(QWidget* parent, const QStringList& rowTitles) {
    QTableWidget* list = MakeList(parent);
    list->setSelectionBehavior(QAbstractItemView::SelectColumns);
    list->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    list->setRowCount(static_cast<int>(rowTitles.size()));
    list->setVerticalHeaderLabels(rowTitles);
    list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    return list;
}

// As tall as its rows, with room for a horizontal scroll bar when its columns need one.
void FitHeight(QTableWidget& list) {
    const int rowHeight = list.fontMetrics().height() + 6;
    list.verticalHeader()->setDefaultSectionSize(rowHeight);
    const int frame = 2 * list.frameWidth();
    int columns = list.verticalHeader()->sizeHint().width() + frame;
    for (int c = 0; c < list.columnCount(); ++c)
        columns += list.columnWidth(c);
    const int bar = columns > list.width() ? list.horizontalScrollBar()->sizeHint().height() : 0;
    list.setFixedHeight(frame + list.horizontalHeader()->sizeHint().height() +
                        list.rowCount() * rowHeight + bar);
}

void SetCell(QTableWidget& list, int row, int column, const QString& text,
             Qt::Alignment alignment = Qt::AlignRight | Qt::AlignVCenter) {
    auto* item = new QTableWidgetItem(text);
    item->setTextAlignment(alignment);
    list.setItem(row, column, item);
}

// A table of the report turned: its first column titles the columns, the other titles the rows.
void FillTurned(QTableWidget& list, const StatisticsTable& table) {
    list.setColumnCount(static_cast<int>(table.rows.size()));
    QStringList titles;
    for (const QStringList& row : table.rows)
        titles << row.value(0);
    list.setHorizontalHeaderLabels(titles);
    for (int c = 0; c < list.columnCount(); ++c) {
        const QStringList& cells = table.rows[static_cast<size_t>(c)];
        for (int r = 0; r < list.rowCount(); ++r)
            SetCell(list, r, c, cells.value(r + 1));
    }
}

// The entry of an edit: empty for none, else the number; false when it is no number.
bool ReadNumber(const QLineEdit& edit, std::optional<double>& value) {
    const QString text = edit.text().trimmed();
    value.reset();
    if (text.isEmpty()) return true;
    bool ok = false;
    const double v = text.toDouble(&ok);
    if (!ok) return false;
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
    figures_ = MakeFigureList(this, tables[0].titles.mid(1));
    limits_ = MakeFigureList(this, tables[1].titles.mid(1));
    excursions_ = MakeList(this);
    excursions_->setColumnCount(static_cast<int>(tables[2].titles.size()));
    excursions_->setHorizontalHeaderLabels(tables[2].titles);
    excursions_->verticalHeader()->hide();
    connect(excursions_, &QTableWidget::cellDoubleClicked, this, [this](int row, int) {
        if (row >= 0 && row < static_cast<int>(excursionRows_.size()))
            emit excursionActivated(excursionRows_[static_cast<size_t>(row)]);
    });
    FitHeights();
    message_ = new QLabel(this);
    message_->setStyleSheet(QStringLiteral("color: #c00000;"));
    message_->setWordWrap(true);
    message_->hide();

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(3);
    column->addWidget(new QLabel(tr("统计"), this));
    column->addWidget(figures_);
    column->addLayout(energyRow);
    column->addWidget(message_);
    column->addWidget(limits_);
    column->addWidget(new QLabel(tr("超限记录(双击定位)"), this));
    column->addWidget(excursions_, 1);
}

QLineEdit* StatisticsPanel::LimitEdit(int series, int side) const {
    for (const LimitEdits& e : edits_) {
        if (e.series == series) return side == 0 ? e.low : e.high;
    }
    return nullptr;
}

void StatisticsPanel::FitHeights() {
    FitHeight(*figures_);
    FitHeight(*limits_);
    excursions_->verticalHeader()->setDefaultSectionSize(excursions_->fontMetrics().height() + 6);
}

void StatisticsPanel::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange) FitHeights();
}

void StatisticsPanel::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    FitHeights();
}

int StatisticsPanel::WantedWidth() const {
    int wanted = 0;
    for (const QTableWidget* list : {figures_, limits_}) {
        const int first = list->columnCount() > 0 ? list->columnWidth(0) : 0;
        wanted = std::max(
            wanted, 2 * list->frameWidth() + list->verticalHeader()->sizeHint().width() + first);
    }
    return wanted;
}

void StatisticsPanel::ResetSettings() {
    settings_ = {};
    energy_->setText(FixedText(kDefaultActivationEnergy, 3));
    for (const LimitEdits& e : edits_) {
        if (e.low) e.low->clear();
        if (e.high) e.high->clear();
    }
    problems_.clear();
    ShowMessages();
}

void StatisticsPanel::ShowMessages() {
    const QStringList lines = problems_ + warnings_;
    message_->setText(lines.join(QLatin1Char('\n')));
    message_->setVisible(!lines.isEmpty());
}

void StatisticsPanel::ReadEdits() {
    StatisticsSettings next = settings_;
    QStringList problems;
    std::optional<double> energy;
    if (!ReadNumber(*energy_, energy) || (energy && !std::isfinite(*energy))) {
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
        std::optional<double> low, high;
        bool ok = true;
        if (e.low && !ReadNumber(*e.low, low)) {
            problems << tr("%1的下限“%2”不是数字").arg(e.title, e.low->text().trimmed());
            ok = false;
        }
        if (e.high && !ReadNumber(*e.high, high)) {
            problems << tr("%1的上限“%2”不是数字").arg(e.title, e.high->text().trimmed());
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
        // The record's own limits may be inverted; what the user gives may not.
        const std::string problem = LimitProblem(limits, e.series, units_, ToUtf8(e.title));
        if (!problem.empty()) {
            problems << ToQString(problem);
            continue;
        }
        next.limits[k] = limits;
    }
    problems_ = problems;
    ShowMessages();
    const bool changed =
        next.activationEnergy != settings_.activationEnergy || next.limits != settings_.limits;
    settings_ = next;
    if (changed) emit settingsChanged();
}

void StatisticsPanel::Show(const RecordStatistics& statistics) {
    units_ = statistics.units;
    const std::vector<StatisticsTable> tables = StatisticsTables(statistics);
    FillTurned(*figures_, tables[0]);

    // The limit columns; their edits stay while the series with limits stay the same.
    std::vector<const SeriesStatistics*> limited;
    for (const SeriesStatistics& s : statistics.series) {
        if (s.limits) limited.push_back(&s);
    }
    bool same = limited.size() == edits_.size();
    for (size_t i = 0; same && i < limited.size(); ++i)
        same = edits_[i].series == limited[i]->series;
    if (!same) {
        limits_->setColumnCount(0);
        edits_.clear();
        limits_->setColumnCount(static_cast<int>(limited.size()));
        for (size_t i = 0; i < limited.size(); ++i) {
            const SeriesStatistics& s = *limited[i];
            LimitEdits e{s.series, ToQString(s.title), nullptr, nullptr};
            const auto makeEdit = [&](int row) {
                auto* edit = new QLineEdit(limits_);
                edit->setFrame(false);
                edit->setAlignment(Qt::AlignRight);
                connect(edit, &QLineEdit::editingFinished, this, &StatisticsPanel::ReadEdits);
                limits_->setCellWidget(row, static_cast<int>(i), edit);
                return edit;
            };
            if (s.limits->limits.low) e.low = makeEdit(kLowRow);
            if (s.limits->limits.high) e.high = makeEdit(kHighRow);
            edits_.push_back(e);
        }
    }
    FillTurned(*limits_, tables[1]);
    for (size_t i = 0; i < limited.size(); ++i) {
        const SeriesStatistics& s = *limited[i];
        const size_t k = static_cast<size_t>(s.series);
        if (!s.limits->overridden) recordLimits_[k] = s.limits->limits;
        // An edit stands in for the limit's cell; empty, it shows the record's limit greyed.
        const LimitEdits& e = edits_[i];
        const int column = static_cast<int>(i);
        if (e.low) {
            e.low->setPlaceholderText(LimitText(recordLimits_[k].low, s.decimals));
            limits_->item(kLowRow, column)->setText(QString());
        }
        if (e.high) {
            e.high->setPlaceholderText(LimitText(recordLimits_[k].high, s.decimals));
            limits_->item(kHighRow, column)->setText(QString());
        }
    }

    excursions_->setRowCount(static_cast<int>(tables[2].rows.size()));
    for (int row = 0; row < excursions_->rowCount(); ++row) {
        const QStringList& cells = tables[2].rows[static_cast<size_t>(row)];
        for (int c = 0; c < cells.size(); ++c)
            SetCell(*excursions_, row, c, cells[c],
                    c == 0 ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignRight | Qt::AlignVCenter);
    }
    excursionRows_.clear();
    for (const SeriesStatistics* s : limited) {
        for (const Excursion& x : s->limits->excursions)
            excursionRows_.push_back(x.firstRow);
    }
    for (QTableWidget* list : {figures_, limits_, excursions_})
        list->resizeColumnsToContents();
    // A limit column is wide enough for what a user types into it.
    const int editWidth = limits_->fontMetrics().horizontalAdvance(QStringLiteral("-0000.000")) + 8;
    for (int c = 0; c < limits_->columnCount(); ++c)
        limits_->setColumnWidth(c, std::max(limits_->columnWidth(c), editWidth));
    FitHeights();

    warnings_.clear();
    for (const std::string& warning : StatisticsWarnings(statistics))
        warnings_ << ToQString(warning);
    ShowMessages();
}

}  // namespace qx
