// The record browser in English: every text fits its control with a record loaded, in each
// arrangement and with the statistics panel; pictures in both languages under
// $QX_SCREENSHOT_DIR.
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTableView>

#include "data_view_fixture.h"
#include "gui/browser/channel_legend.h"
#include "gui/browser/query_panel.h"
#include "gui/browser/statistics_panel.h"
#include "gui/common/screenshot_util.h"
#include "gui/common/text_fit.h"

namespace qx {
namespace {

using test::DataViewTest;

std::string Joined(const std::vector<std::string>& lines) {
    std::string all;
    for (const std::string& line : lines)
        all += line + "\n";
    return all;
}

// The English translation is installed before the view is built (the base classes first).
struct English {
    test::ScopedEnglish english;
};

class EnglishDataViewTest : public English, public DataViewTest {};

// Each arrangement and the statistics panel, with a picture of each; checkFit: no text cut.
void ShowEveryArrangement(CDataView& view, const QString& name, bool checkFit) {
    const auto check = [&](const char* what) {
        const auto cut = test::CutTexts(view);
        if (checkFit) {
            EXPECT_TRUE(cut.empty()) << what << "\n" << Joined(cut);
        }
        test::SaveScreenshot(view, QStringLiteral("browser_%1_%2.png").arg(name, what));
    };
    view.ArrangementRadio(0)->click();
    check("side");
    view.ArrangementRadio(1)->click();
    check("stacked");
    // Stacked, a browser 1000 pixels wide shows every column of a temperature/humidity sample
    // list.
    if (checkFit && view.SampleList()->model()->columnCount() <= 5) {
        EXPECT_FALSE(view.SampleList()->horizontalScrollBar()->isVisible()) << name.toStdString();
    }
    view.ShowStatistics(true);
    check("statistics");
    view.ShowStatistics(false);
}

TEST_F(EnglishDataViewTest, EveryTextFits) {
    ASSERT_TRUE(english.Loaded());
    view.resize(1000, 620);
    for (InstrumentTypeId type : {1, 6, 8, 11}) {
        SCOPED_TRACE(type);
        Load(type, 120, test::TestNow(), 600);
        ShowEveryArrangement(view, QStringLiteral("en_model%1").arg(type), true);
    }
    // The wider panel pushes the lists and the chart right; nothing lies under them.
    const QWidget* panel[] = {view.Query().Group(), view.Legend(), view.ShowChartBox()};
    for (const QWidget* w : panel)
        EXPECT_LT(w->geometry().right(), view.AnchorRect().left());
    EXPECT_GE(view.SampleList()->x(), view.AnchorRect().left());
    EXPECT_EQ(view.Query().QueryButton()->text(), "Query");
    EXPECT_EQ(view.Query().Group()->title(), "Time range");
    EXPECT_EQ(view.ShowChartBox()->text(), "Show chart");
    EXPECT_EQ(view.ArrangementRadio(1)->text(), "Stacked");
}

TEST_F(EnglishDataViewTest, StatisticsPanelShowsASeriesWhole) {
    // The browser of a 1000 x 700 window, the longer English row titles.
    view.resize(850, 560);
    view.ShowStatistics(true);
    Load(8, 120, test::TestNow(), 600);
    test::ExpectFirstSeriesWhole(*view.Statistics());
}

// "Last [1] day", "Last [2] days": the word follows the count typed, and its room is that of
// the longer word.
TEST_F(EnglishDataViewTest, CountWordsFollowTheCount) {
    QueryPanel& query = view.Query();
    const auto word = [&](QueryCountEdit* edit, const char* count) {
        edit->Edit()->setText(QString::fromLatin1(count));
        // The label next to the edit on its right.
        const QLabel* next = nullptr;
        for (const QLabel* label : view.findChildren<QLabel*>()) {
            const QRect g = label->geometry();
            if (g.left() > edit->geometry().right() && g.top() <= edit->geometry().center().y() &&
                g.bottom() >= edit->geometry().center().y() && (!next || g.left() < next->x()))
                next = label;
        }
        return next ? next->text() : QStringLiteral("(no label)");
    };
    EXPECT_EQ(word(query.DayEdit(), "1"), "day");
    EXPECT_EQ(word(query.DayEdit(), "2"), "days");
    EXPECT_EQ(word(query.DayEdit(), "x"), "days");
    EXPECT_EQ(word(query.MonthEdit(), "1"), "month");
    EXPECT_EQ(word(query.MonthEdit(), "30"), "months");
    EXPECT_EQ(test::CutTexts(view), std::vector<std::string>{});
}

// The same pictures in Chinese, whose form keeps its own geometry.
TEST_F(DataViewTest, ChinesePictures) {
    view.resize(1000, 620);
    for (InstrumentTypeId type : {1, 6, 8, 11}) {
        Load(type, 120, test::TestNow(), 600);
        ShowEveryArrangement(view, QStringLiteral("zh_model%1").arg(type), false);
    }
}

}  // namespace
}  // namespace qx
