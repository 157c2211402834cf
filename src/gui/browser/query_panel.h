// The record browser's query panel (group "查询时间范围"): the mode radios "所有", "前" … "天",
// "前" … "个月" and "从" … "至" …, the day and month counts with their up-down arrows, the two
// date pickers and the button "查询".
//
// The counts are free text until a query reads them: the arrows step the number in the edit
// (text that is no number counts as 0) within 1..300 days or 1..30 months, and a query checks
// the count of the chosen mode with the standard validation messages. The words after the
// counts follow them where the language has plurals ("Last [1] day", "Last [2] days").
#pragma once

#include <QAbstractSpinBox>
#include <QLineEdit>
#include <QObject>
#include <cstdint>
#include <optional>

#include "core/records/record_query.h"

class QButtonGroup;
class QDateEdit;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QWidget;

namespace qx {

// An edit with up-down arrows bound to it: the arrows write the stepped, clamped number.
class QueryCountEdit final : public QAbstractSpinBox {
    Q_OBJECT

  public:
    QueryCountEdit(int low, int high, QWidget* parent = nullptr);

    void stepBy(int steps) override;
    QValidator::State validate(QString& input, int& pos) const override;

    QLineEdit* Edit() const { return lineEdit(); }
    // The number in the edit, or 0 when it holds none.
    int Value() const;
    void SetValue(int value);

  protected:
    StepEnabled stepEnabled() const override;

  private:
    int low_;
    int high_;
};

class QueryPanel final : public QObject {
    Q_OBJECT

  public:
    // Creates the controls on parent at their places on the form.
    explicit QueryPanel(QWidget* parent);

    QueryMode Mode() const;
    // Selects a mode's radio and applies the enabling rule.
    void SetMode(QueryMode mode);
    // Day edit only in LastDays, month edit only in LastMonths, pickers only in DateRange.
    void ApplyModeEnabling();

    // The request of the controls. When the count of the chosen mode is no integer or out of
    // range: the validation message (a warning over messageParent), focus to the edit, nullopt.
    std::optional<QueryRequest> ReadRequest(QWidget* messageParent);

    // Date pickers: their dates as moments (noon local time of the shown day), and setting
    // them from moments.
    int64_t RangeStart() const;
    int64_t RangeEnd() const;
    void SetRange(int64_t start, int64_t end);

    void EnableQuery(bool enable);

    // Widens the controls whose texts are longer than the form's (not in Chinese) and moves
    // the controls right of them along; returns by how many pixels the group must widen.
    int FitTexts();
    // Widens the group and both pickers where the form's width cannot show a whole date in
    // the installed font; returns by how many pixels (0 when the form's width suffices).
    int WidenForDates();

    QRadioButton* ModeRadio(QueryMode mode) const;
    QueryCountEdit* DayEdit() const { return days_; }
    QueryCountEdit* MonthEdit() const { return months_; }
    QDateEdit* StartPicker() const { return start_; }
    QDateEdit* EndPicker() const { return end_; }
    QPushButton* QueryButton() const { return query_; }
    QGroupBox* Group() const { return group_; }

  signals:
    void queryRequested();

  private:
    // The day and month words for the counts in the edits.
    void ShowCountWords();

    QGroupBox* group_ = nullptr;
    QButtonGroup* modes_ = nullptr;
    QRadioButton* radios_[4] = {};
    QueryCountEdit* days_ = nullptr;
    QueryCountEdit* months_ = nullptr;
    QLabel* dayUnit_ = nullptr;
    QLabel* monthUnit_ = nullptr;
    QLabel* to_ = nullptr;
    QDateEdit* start_ = nullptr;
    QDateEdit* end_ = nullptr;
    QPushButton* query_ = nullptr;
};

}  // namespace qx
