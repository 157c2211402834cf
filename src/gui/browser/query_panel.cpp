#include "query_panel.h"

#include <QButtonGroup>
#include <QDateEdit>
#include <QDateTime>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <algorithm>
#include <utility>

#include "dialog_units.h"
#include "form_fit.h"
#include "gui/common/prompter.h"
#include "gui/common/qt_text.h"

namespace qx {
namespace {

// Room beyond a picker's own size hint, which leaves the last digit under the frame's edge.
constexpr int kDateSlack = 6;

constexpr QueryMode kModes[4] = {QueryMode::All, QueryMode::LastDays, QueryMode::LastMonths,
                                 QueryMode::DateRange};

int ModeIndex(QueryMode mode) {
    for (int i = 0; i < 4; ++i) {
        if (kModes[i] == mode) return i;
    }
    return 0;
}

QDateEdit* MakePicker(QWidget* parent, const QRect& place) {
    auto* picker = new QDateEdit(parent);
    picker->setCalendarPopup(true);
    picker->setDisplayFormat(QStringLiteral("yyyy-M-d"));
    picker->setMinimumDate(QDate(1970, 1, 2));
    picker->setMaximumDate(QDate(2105, 12, 31));
    picker->setGeometry(place);
    return picker;
}

QLabel* MakeLabel(QWidget* parent, const QString& text, const QRect& place) {
    auto* label = new QLabel(text, parent);
    label->setGeometry(place);
    return label;
}

int64_t NoonOf(const QDate& date) {
    return QDateTime(date, QTime(12, 0)).toSecsSinceEpoch();
}
QDate DateOf(int64_t t) {
    return QDateTime::fromSecsSinceEpoch(t).date();
}

}  // namespace

// ---- QueryCountEdit ------------------------------------------------------------------------

QueryCountEdit::QueryCountEdit(int low, int high, QWidget* parent)
    : QAbstractSpinBox(parent), low_(low), high_(high) {
    setButtonSymbols(QAbstractSpinBox::UpDownArrows);
    setAccelerated(false);
    setCorrectionMode(QAbstractSpinBox::CorrectToPreviousValue);
    SetValue(low);
}

void QueryCountEdit::stepBy(int steps) {
    SetValue(StepQueryCount(Value(), steps, low_, high_));
    emit editingFinished();
}

QValidator::State QueryCountEdit::validate(QString&, int&) const {
    // The query validates; the edit takes any text meanwhile.
    return QValidator::Acceptable;
}

int QueryCountEdit::Value() const {
    bool ok = false;
    const int value = lineEdit()->text().trimmed().toInt(&ok);
    return ok ? value : 0;
}

void QueryCountEdit::SetValue(int value) {
    lineEdit()->setText(QString::number(value));
}

QAbstractSpinBox::StepEnabled QueryCountEdit::stepEnabled() const {
    return isEnabled() ? (StepUpEnabled | StepDownEnabled) : StepNone;
}

// ---- QueryPanel ----------------------------------------------------------------------------

QueryPanel::QueryPanel(QWidget* parent) : QObject(parent) {
    group_ = new QGroupBox(tr("查询时间范围"), parent);
    group_->setGeometry(DluRect(3, 4, 82, 218));

    static constexpr const char* kTexts[4] = {QT_TR_NOOP("所有"), QT_TR_NOOP("前"),
                                              QT_TR_NOOP("前"), QT_TR_NOOP("从")};
    static constexpr int kTops[4] = {17, 33, 50, 67};
    static constexpr int kWidths[4] = {34, 20, 20, 20};
    modes_ = new QButtonGroup(this);
    for (int i = 0; i < 4; ++i) {
        radios_[i] = new QRadioButton(tr(kTexts[i]), parent);
        radios_[i]->setGeometry(DluRect(7, kTops[i], kWidths[i], 11));
        modes_->addButton(radios_[i], i);
    }
    days_ = new QueryCountEdit(1, kMaxQueryDays, parent);
    days_->setGeometry(DluRect(27, 32, 32, 13));
    dayUnit_ = MakeLabel(parent, QString(), DluRect(62, 33, 18, 11));
    months_ = new QueryCountEdit(1, kMaxQueryMonths, parent);
    months_->setGeometry(DluRect(27, 49, 32, 13));
    monthUnit_ = MakeLabel(parent, QString(), DluRect(62, 50, 20, 11));
    start_ = MakePicker(parent, DluRect(27, 66, 57, 13));
    to_ = MakeLabel(parent, tr("至"), DluRect(15, 82, 10, 11));
    end_ = MakePicker(parent, DluRect(27, 81, 57, 13));
    query_ = new QPushButton(tr("查询"), parent);
    query_->setGeometry(DluRect(14, 99, 60, 17));
    query_->setEnabled(false);

    SetMode(QueryMode::All);
    ShowCountWords();
    for (QueryCountEdit* edit : {days_, months_})
        connect(edit->Edit(), &QLineEdit::textChanged, this, &QueryPanel::ShowCountWords);
    connect(modes_, &QButtonGroup::idClicked, this, [this] { ApplyModeEnabling(); });
    connect(query_, &QPushButton::clicked, this, &QueryPanel::queryRequested);
}

QueryMode QueryPanel::Mode() const {
    const int id = modes_->checkedId();
    return (id >= 0 && id < 4) ? kModes[id] : QueryMode::All;
}

void QueryPanel::SetMode(QueryMode mode) {
    radios_[ModeIndex(mode)]->setChecked(true);
    ApplyModeEnabling();
}

void QueryPanel::ApplyModeEnabling() {
    const QueryMode mode = Mode();
    days_->setEnabled(mode == QueryMode::LastDays);
    months_->setEnabled(mode == QueryMode::LastMonths);
    start_->setEnabled(mode == QueryMode::DateRange);
    end_->setEnabled(mode == QueryMode::DateRange);
}

std::optional<QueryRequest> QueryPanel::ReadRequest(QWidget* messageParent) {
    QueryRequest request;
    request.mode = Mode();
    const auto readCount = [messageParent](QueryCountEdit* edit, int high) -> std::optional<int> {
        std::string message;
        const std::optional<int> value = ParseQueryCount(ToUtf8(edit->text()), 1, high, &message);
        if (!value) {
            ShowWarning(messageParent, ToQString(message));
            edit->setFocus(Qt::OtherFocusReason);
            edit->selectAll();
        }
        return value;
    };
    if (request.mode == QueryMode::LastDays) {
        const std::optional<int> days = readCount(days_, kMaxQueryDays);
        if (!days) return std::nullopt;
        request.days = *days;
    } else if (request.mode == QueryMode::LastMonths) {
        const std::optional<int> months = readCount(months_, kMaxQueryMonths);
        if (!months) return std::nullopt;
        request.months = *months;
    }
    request.rangeStart = RangeStart();
    request.rangeEnd = RangeEnd();
    return request;
}

int64_t QueryPanel::RangeStart() const {
    return NoonOf(start_->date());
}
int64_t QueryPanel::RangeEnd() const {
    return NoonOf(end_->date());
}

void QueryPanel::SetRange(int64_t start, int64_t end) {
    start_->setDate(DateOf(start));
    end_->setDate(DateOf(end));
}

void QueryPanel::ShowCountWords() {
    dayUnit_->setText(tr("天", nullptr, days_->Value()));
    monthUnit_->setText(tr("个月", nullptr, months_->Value()));
}

int QueryPanel::FitTexts() {
    // Room for the longer of the words for one and for several.
    for (auto [label, text] :
         {std::pair{dayUnit_, QT_TR_N_NOOP("天")}, std::pair{monthUnit_, QT_TR_N_NOOP("个月")}}) {
        const QString one = tr(text, nullptr, 1), several = tr(text, nullptr, 2);
        const QFontMetrics metrics(label->font());
        label->setText(
            metrics.horizontalAdvance(one) > metrics.horizontalAdvance(several) ? one : several);
    }
    const int wider = FitRows({{radios_[0]},
                               {radios_[1], days_, dayUnit_},
                               {radios_[2], months_, monthUnit_},
                               {radios_[3], start_},
                               {to_, end_},
                               {query_}});
    ShowCountWords();
    return wider;
}

int QueryPanel::WidenForDates() {
    int shortfall = 0;
    for (QDateEdit* picker : {start_, end_})
        shortfall = std::max(shortfall, picker->sizeHint().width() + kDateSlack - picker->width());
    if (shortfall <= 0) return 0;
    for (QWidget* w : {static_cast<QWidget*>(group_), static_cast<QWidget*>(start_),
                       static_cast<QWidget*>(end_)})
        w->resize(w->width() + shortfall, w->height());
    return shortfall;
}

void QueryPanel::EnableQuery(bool enable) {
    query_->setEnabled(enable);
}

QRadioButton* QueryPanel::ModeRadio(QueryMode mode) const {
    return radios_[ModeIndex(mode)];
}

}  // namespace qx
