// The record browser's query panel: modes and their enabling, the day and month counts with
// their arrows and validation, the date pickers, and what each query selects.
#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>

#include "data_view_fixture.h"
#include "gui/browser/query_panel.h"
#include "gui/chart/trend_wave.h"
#include "gui/common/scripted_prompter.h"

namespace qx {
namespace {

using test::DataViewTest;
using test::LocalTime;

class QueryTest : public DataViewTest {
  protected:
    // One sample a day at 10:00 local time, the last one now (2017-05-20 10:00).
    void LoadDaily(int days) {
        RecordImage image = test::MakeRecordImage(
            1, static_cast<uint32_t>(days),
            static_cast<uint32_t>(test::TestNow() - (days - 1) * 86400LL), 3600);
        ParamBlock p = image.Params();
        p.SetU8(param::kIntervalValue, 24);
        p.SetU8(param::kIntervalUnit, 2);
        image.SetParams(p);
        LoadImage(image, 1);
    }

    void Choose(QueryMode mode) { view.Query().ModeRadio(mode)->click(); }
    QString Title() const { return view.windowTitle(); }
    QString FirstTime() const { return view.SampleList()->model()->index(0, 1).data().toString(); }

    test::ScriptedPrompter prompts;
};

TEST_F(QueryTest, ModeRadiosEnableTheirInputs) {
    QueryPanel& q = view.Query();
    EXPECT_TRUE(q.ModeRadio(QueryMode::All)->isChecked());
    const auto enabled = [&] {
        return std::array<bool, 4>{q.DayEdit()->isEnabled(), q.MonthEdit()->isEnabled(),
                                   q.StartPicker()->isEnabled(), q.EndPicker()->isEnabled()};
    };
    EXPECT_EQ(enabled(), (std::array<bool, 4>{false, false, false, false}));
    Choose(QueryMode::LastDays);
    EXPECT_EQ(enabled(), (std::array<bool, 4>{true, false, false, false}));
    Choose(QueryMode::LastMonths);
    EXPECT_EQ(enabled(), (std::array<bool, 4>{false, true, false, false}));
    Choose(QueryMode::DateRange);
    EXPECT_EQ(enabled(), (std::array<bool, 4>{false, false, true, true}));

    // The pickers start at yesterday and today; the arrangement radios are a group of their own.
    EXPECT_EQ(q.StartPicker()->date(), QDate(2017, 5, 19));
    EXPECT_EQ(q.EndPicker()->date(), QDate(2017, 5, 20));
    view.ArrangementRadio(1)->click();
    EXPECT_TRUE(q.ModeRadio(QueryMode::DateRange)->isChecked());
}

TEST_F(QueryTest, EachModeSelectsItsWindow) {
    LoadDaily(100);
    QueryPanel& q = view.Query();
    EXPECT_EQ(view.MatchedCount(), 100);

    // One day back from 10:00: yesterday's and today's samples, both ends included.
    Choose(QueryMode::LastDays);
    q.DayEdit()->SetValue(1);
    view.RunQuery();
    EXPECT_EQ(view.MatchedCount(), 2);
    EXPECT_EQ(FirstTime(), "17-05-19 10:00:00");
    EXPECT_TRUE(Title().endsWith("查询条件:当前日期[2017-05-20],向前1天 记录数:2"));
    EXPECT_EQ(q.StartPicker()->date(), QDate(2017, 5, 19));

    // One month back: 20 April 10:00 to now.
    Choose(QueryMode::LastMonths);
    q.MonthEdit()->SetValue(1);
    view.RunQuery();
    EXPECT_EQ(view.MatchedCount(), 31);
    EXPECT_EQ(FirstTime(), "17-04-20 10:00:00");
    EXPECT_TRUE(Title().endsWith("查询条件:当前日期[2017-05-20],向前1月 记录数:31"));
    EXPECT_EQ(q.StartPicker()->date(), QDate(2017, 4, 20));
    EXPECT_EQ(q.EndPicker()->date(), QDate(2017, 5, 20));
    EXPECT_EQ(view.Chart()->State().pointCount, 31);

    // From the start picker's day 00:00 to the end picker's day 23:59:59.
    Choose(QueryMode::DateRange);
    q.StartPicker()->setDate(QDate(2017, 5, 1));
    q.EndPicker()->setDate(QDate(2017, 5, 10));
    view.RunQuery();
    EXPECT_EQ(view.MatchedCount(), 10);
    EXPECT_EQ(view.SampleList()->model()->index(9, 0).data().toString(), "10");
    EXPECT_TRUE(Title().endsWith("查询条件:日期从[2017-05-01]-[2017-05-10] 记录数:10"));
    EXPECT_EQ(q.StartPicker()->date(), QDate(2017, 5, 1));  // a date range leaves them

    // A range that ends before it starts selects nothing and empties list and chart.
    q.StartPicker()->setDate(QDate(2017, 5, 10));
    q.EndPicker()->setDate(QDate(2017, 5, 1));
    view.RunQuery();
    EXPECT_EQ(view.MatchedCount(), 0);
    EXPECT_EQ(view.SampleList()->model()->rowCount(), 0);
    EXPECT_EQ(view.Chart()->State().pointCount, 0);
    EXPECT_FALSE(view.TimeZoomList()->isEnabled());
    EXPECT_TRUE(q.QueryButton()->isEnabled());
    EXPECT_TRUE(
        Title().endsWith("总记录数:100  查询条件:日期从[2017-05-10]-[2017-05-01] 记录数:0"));

    Choose(QueryMode::All);
    q.QueryButton()->click();
    EXPECT_EQ(view.MatchedCount(), 100);
    EXPECT_TRUE(Title().endsWith("查询条件:所有 记录数:100"));
}

TEST_F(QueryTest, LastMonthsRollsOverMissingDays) {
    // 31 March minus one month is 3 March; one sample every hour over 40 days.
    view.SetClock([] { return LocalTime(2017, 3, 31, 12); });
    Load(4, 40 * 24, LocalTime(2017, 3, 31, 12), 3600);
    Choose(QueryMode::LastMonths);
    view.Query().MonthEdit()->SetValue(1);
    view.RunQuery();
    EXPECT_EQ(FirstTime(), "17-03-03 12:00:00");
    EXPECT_EQ(view.MatchedCount(), 28 * 24 + 1);
}

TEST_F(QueryTest, CountValidation) {
    LoadDaily(10);
    QueryPanel& q = view.Query();
    view.activateWindow();
    Choose(QueryMode::LastDays);
    q.DayEdit()->Edit()->setText("abc");
    view.RunQuery();
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, "请输入一个整数。");
    EXPECT_EQ(prompts.messages[0].icon, PromptIcon::Warning);
    EXPECT_EQ(view.MatchedCount(), 10);  // not queried
    EXPECT_TRUE(Title().endsWith("查询条件:所有 记录数:10"));
    EXPECT_TRUE(q.DayEdit()->hasFocus());

    q.DayEdit()->Edit()->setText("301");
    view.RunQuery();
    EXPECT_EQ(prompts.LastMessage(), "请输入一个在 1 和 300 之间的整数。");

    Choose(QueryMode::LastMonths);
    q.MonthEdit()->Edit()->setText("0");
    view.RunQuery();
    EXPECT_EQ(prompts.LastMessage(), "请输入一个在 1 和 30 之间的整数。");
    EXPECT_TRUE(q.MonthEdit()->hasFocus());

    // The count of another mode is not in the way.
    Choose(QueryMode::All);
    view.RunQuery();
    EXPECT_EQ(prompts.messages.size(), 3u);
}

TEST_F(QueryTest, ArrowsStepWithinTheRange) {
    QueryCountEdit& days = *view.Query().DayEdit();
    QueryCountEdit& months = *view.Query().MonthEdit();
    days.SetValue(300);
    days.stepBy(1);
    EXPECT_EQ(days.text(), "300");
    days.Edit()->setText("0");
    days.stepBy(-1);
    EXPECT_EQ(days.text(), "1");
    days.Edit()->setText("x");
    days.stepBy(1);
    EXPECT_EQ(days.text(), "1");
    days.SetValue(41);
    days.stepBy(-1);
    EXPECT_EQ(days.text(), "40");
    months.SetValue(30);
    months.stepBy(1);
    EXPECT_EQ(months.text(), "30");
    months.Edit()->setText("-4");
    months.stepBy(1);
    EXPECT_EQ(months.text(), "1");
}

TEST_F(QueryTest, LoadResetsTheModeButKeepsCountsAndDates) {
    LoadDaily(30);
    QueryPanel& q = view.Query();
    Choose(QueryMode::LastDays);
    q.DayEdit()->SetValue(7);
    view.RunQuery();
    EXPECT_EQ(view.MatchedCount(), 8);
    LoadDaily(20);
    EXPECT_TRUE(q.ModeRadio(QueryMode::All)->isChecked());
    EXPECT_FALSE(q.DayEdit()->isEnabled());
    EXPECT_EQ(q.DayEdit()->text(), "7");
    EXPECT_EQ(q.StartPicker()->date(), QDate(2017, 5, 13));
    EXPECT_EQ(view.MatchedCount(), 20);
    EXPECT_TRUE(Title().endsWith("查询条件:所有 记录数:20"));
}

}  // namespace
}  // namespace qx
