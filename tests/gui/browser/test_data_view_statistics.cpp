// The record browser's statistics panel: it follows the query, its limit edits recompute the
// figures and reject what is no limit, an excursion leads to its first sample, it takes its own
// place beside the arrangements; and the 统计报告 pages (rendered to PNG under
// $QX_SCREENSHOT_DIR for a person to look at).
#include <QCoreApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTableView>
#include <QTableWidget>
#include <vector>

#include "core/records/browser_layout.h"
#include "data_view_fixture.h"
#include "gui/browser/query_panel.h"
#include "gui/browser/splitter_handle.h"
#include "gui/browser/statistics_panel.h"
#include "gui/chart/trend_wave.h"
#include "gui/common/screenshot_util.h"
#include "gui/common/scripted_prompter.h"
#include "gui/print/print_list_trend.h"
#include "gui/print/print_test_util.h"
#include "gui/print/sel_print_dlg.h"

namespace qx {
namespace {

using test::DataViewTest;

class StatisticsTest : public DataViewTest {
  protected:
    void TearDown() override { QFile::remove(pdf); }

    // An hourly QX420 record ending now whose temperatures are given (humidity 50 %RH); the
    // record's limits are 0..40 °C.
    void LoadTemperatures(const std::vector<float>& temps) {
        const auto n = static_cast<uint32_t>(temps.size());
        RecordImage image = test::MakeRecordImage(
            1, n, static_cast<uint32_t>(test::TestNow() - (n - 1) * 3600), 3600);
        DecodeRecord(image, *set, 1);
        for (size_t k = 0; k < temps.size(); ++k) {
            set->rows[k].SetCh(0, temps[k]);
            set->rows[k].SetCh(1, 50);
        }
        view.LoadRecord(set.get());
        QApplication::processEvents();
    }
    StatisticsPanel& Panel() { return *view.Statistics(); }
    QString Cell(QTableWidget* list, int row, int column) {
        const QTableWidgetItem* item = list->item(row, column);
        return item ? item->text() : QString();
    }
    void Enter(QLineEdit* edit, const QString& text) {
        edit->setText(text);
        emit edit->editingFinished();
    }

    const QString pdf =
        QDir::tempPath() +
        QStringLiteral("/qx-statistics-%1.pdf").arg(QCoreApplication::applicationPid());
};

// 30 hourly samples of 20 °C but three: 45 °C at k = 2, 41 and 43 °C at k = 20, 21.
std::vector<float> ThreeHotHours() {
    std::vector<float> temps(30, 20.0f);
    temps[2] = 45;
    temps[20] = 41;
    temps[21] = 43;
    return temps;
}

TEST_F(StatisticsTest, PanelFollowsTheQueryAndTheLimitEdits) {
    view.ShowStatistics(true);
    LoadTemperatures(ThreeHotHours());
    QTableWidget* figures = Panel().FigureList();
    QTableWidget* limits = Panel().LimitList();
    QTableWidget* excursions = Panel().ExcursionList();
    // All: mean (27 * 20 + 45 + 41 + 43) / 30 = 22.3. A column per series, a row per figure.
    EXPECT_EQ(figures->horizontalHeaderItem(0)->text(), QStringLiteral("温度(℃)"));
    EXPECT_EQ(figures->verticalHeaderItem(6)->text(), QStringLiteral("平均值"));
    EXPECT_EQ(Cell(figures, 0, 0), QStringLiteral("30"));
    EXPECT_EQ(Cell(figures, 4, 0), QStringLiteral("45.0"));
    EXPECT_EQ(Cell(figures, 6, 0), QStringLiteral("22.300"));
    EXPECT_EQ(Cell(figures, 8, 2), QStringLiteral("-"));  // no MKT of the dew point
    EXPECT_EQ(excursions->rowCount(), 2);

    // The last day: k = 5..29, mean (23 * 20 + 41 + 43) / 25 = 21.76; one excursion of two hours.
    view.Query().ModeRadio(QueryMode::LastDays)->click();
    view.RunQuery();
    EXPECT_EQ(Cell(figures, 0, 0), QStringLiteral("25"));
    EXPECT_EQ(Cell(figures, 4, 0), QStringLiteral("43.0"));
    EXPECT_EQ(Cell(figures, 6, 0), QStringLiteral("21.760"));
    ASSERT_EQ(excursions->rowCount(), 1);
    EXPECT_EQ(Cell(excursions, 0, 4), QStringLiteral("2"));
    EXPECT_EQ(Cell(excursions, 0, 5), QStringLiteral("7200 (02:00:00)"));
    EXPECT_EQ(Cell(limits, 2, 0), QStringLiteral("记录"));
    EXPECT_EQ(Panel().LimitEdit(0, 1)->placeholderText(), QStringLiteral("40"));

    // A high limit of 42 leaves the hour at 43 °C; the low side keeps the record's 0.
    Enter(Panel().LimitEdit(0, 1), QStringLiteral("42"));
    ASSERT_EQ(excursions->rowCount(), 1);
    EXPECT_EQ(Cell(excursions, 0, 4), QStringLiteral("1"));
    EXPECT_EQ(Cell(limits, 2, 0), QStringLiteral("用户"));
    EXPECT_EQ(view.Figures().series[0].limits->limits, (SeriesLimits{0.0, 42.0}));

    // What is no limit is named and changes nothing; the entry stays to be mended.
    Enter(Panel().LimitEdit(0, 0), QStringLiteral("4x"));
    EXPECT_TRUE(Panel().MessageLine()->isVisibleTo(&view));
    EXPECT_TRUE(Panel().MessageLine()->text().contains(QStringLiteral("“4x”不是数字")));
    EXPECT_EQ(Panel().LimitEdit(0, 0)->text(), QStringLiteral("4x"));
    EXPECT_EQ(view.Figures().series[0].limits->limits, (SeriesLimits{0.0, 42.0}));
    Enter(Panel().LimitEdit(0, 0), QStringLiteral("43"));  // above the high limit
    EXPECT_TRUE(Panel().MessageLine()->text().contains(QStringLiteral("下限高于上限")));
    Enter(Panel().LimitEdit(0, 0), QStringLiteral("-40.1"));  // below what the record can show
    EXPECT_TRUE(Panel().MessageLine()->text().contains(QStringLiteral("限值须在 -40.0 到 369.5")));
    EXPECT_EQ(view.Figures().series[0].limits->limits, (SeriesLimits{0.0, 42.0}));
    Enter(Panel().EnergyEdit(), QStringLiteral("0.5"));
    EXPECT_TRUE(Panel().MessageLine()->text().contains(QStringLiteral("活化能须在")));
    EXPECT_EQ(view.Figures().activationEnergy, kDefaultActivationEnergy);

    // Empty edits give the record's limits back; a new record clears the entries.
    Enter(Panel().LimitEdit(0, 0), QString());
    Enter(Panel().LimitEdit(0, 1), QString());
    Enter(Panel().EnergyEdit(), QStringLiteral("83.144"));
    EXPECT_FALSE(Panel().MessageLine()->isVisibleTo(&view));
    EXPECT_EQ(Cell(limits, 2, 0), QStringLiteral("记录"));
    Enter(Panel().LimitEdit(0, 1), QStringLiteral("30"));
    LoadTemperatures(ThreeHotHours());
    EXPECT_TRUE(Panel().LimitEdit(0, 1)->text().isEmpty());
    EXPECT_EQ(excursions->rowCount(), 2);
}

TEST_F(StatisticsTest, ExcursionLeadsToItsFirstSample) {
    view.ShowStatistics(true);
    LoadTemperatures(ThreeHotHours());
    ASSERT_EQ(Panel().ExcursionRows(), (std::vector<int>{2, 20}));
    emit Panel().ExcursionList()->cellDoubleClicked(1, 3);
    EXPECT_EQ(view.Chart()->State().selectedPoint, 20);
    EXPECT_EQ(view.SampleList()->currentIndex().row(), 20);
}

TEST_F(StatisticsTest, PanelTakesItsOwnPlace) {
    LoadTemperatures(ThreeHotHours());
    const QRect list = view.SampleList()->geometry();
    const QRect chart = view.Chart()->geometry();
    test::SaveScreenshot(view, QStringLiteral("browser_statistics_off.png"));
    EXPECT_FALSE(view.Statistics()->isVisibleTo(&view));

    view.ShowStatistics(true);
    const QRect panel = view.Statistics()->geometry();
    EXPECT_TRUE(view.Statistics()->isVisibleTo(&view));
    EXPECT_EQ(panel.right(), view.width() - 1);
    EXPECT_EQ(panel.height(), view.height());
    EXPECT_LT(view.Chart()->geometry().right(), panel.left());
    EXPECT_EQ(view.SampleList()->geometry(), list);  // the lists keep their column
    test::SaveScreenshot(view, QStringLiteral("browser_statistics_on.png"));

    // The splitter before the panel: dragged 100 pixels left, the panel is 100 wider, and
    // keeps its share of the width through hiding and resizing; a double click resets it.
    SplitterHandle* splitter = view.StatisticsSplitter();
    ASSERT_TRUE(splitter->isVisibleTo(&view));
    EXPECT_LT(view.Chart()->geometry().right(), splitter->x());
    emit splitter->moved(splitter->x() - 100);
    EXPECT_NEAR(view.Statistics()->x(), panel.left() - 100, 1);
    EXPECT_NEAR(view.Statistics()->width(), panel.width() + 100, 1);
    EXPECT_LT(view.Chart()->geometry().right(), splitter->x());
    const auto share = [this] {
        return 10000.0 * view.Statistics()->width() / (view.width() - view.AnchorRect().left());
    };
    const double dragged = share();
    view.ShowStatistics(false);
    view.resize(1400, 640);
    view.ShowStatistics(true);
    EXPECT_NEAR(share(), dragged, 10);
    EXPECT_NEAR(share(), view.StatisticsShare(), 10);
    emit splitter->reset();
    EXPECT_EQ(view.StatisticsShare(), kAutoStatisticsShare);

    view.ShowStatistics(false);
    EXPECT_FALSE(view.Statistics()->isVisibleTo(&view));
    EXPECT_FALSE(splitter->isVisibleTo(&view));
    view.resize(1000, 640);
    EXPECT_EQ(view.Chart()->geometry(), chart);
}

TEST_F(StatisticsTest, ASeriesFiguresReadWholeAtTheDefaultSize) {
    // The browser of a 1000 x 700 window; a flow meter's seven series.
    view.resize(850, 560);
    view.ShowStatistics(true);
    Load(6, 50);
    ASSERT_EQ(Panel().FigureList()->columnCount(), 7);
    test::ExpectFirstSeriesWhole(Panel());
    // Messages wrap instead of widening the panel.
    EXPECT_TRUE(Panel().MessageLine()->wordWrap());
    test::SaveScreenshot(view, QStringLiteral("browser_statistics_default.png"));
}

TEST_F(StatisticsTest, SummaryReportContinuesOverPages) {
    // 400 hours alternating 20 and 45 °C: 200 excursions of one sample.
    std::vector<float> temps(400, 20.0f);
    for (size_t k = 1; k < temps.size(); k += 2)
        temps[k] = 45;
    LoadTemperatures(temps);
    const int pages = view.PrintToPdfFile(pdf, CPrintListTrend::kSummaryMode);
    ASSERT_GE(pages, 3);
    EXPECT_EQ(test::CountPdfPages(pdf), pages);
    EXPECT_LT(test::PdfPageSize(pdf).width(), test::PdfPageSize(pdf).height());

    // Every excursion once, over the pages; each page of them starts with the title row.
    const QRegularExpression row(QStringLiteral(R"(温度\(℃\)\s+高于上限\s+\d\d-\d\d-\d\d)"));
    int rows = 0;
    for (int page = 1; page <= pages; ++page) {
        const QString text = test::PdfPageText(pdf, page);
        EXPECT_TRUE(text.contains(QStringLiteral("检测统计报告")));
        EXPECT_TRUE(text.contains(QStringLiteral("第 %1 页共 %2 页").arg(page).arg(pages)));
        int count = 0;
        for (auto it = row.globalMatch(text); it.hasNext(); it.next())
            ++count;
        if (page > 1 && count > 0) {
            EXPECT_TRUE(text.contains(QStringLiteral("峰值时间")));
        }
        rows += count;
    }
    EXPECT_EQ(rows, 200);
    const QString first = test::PdfPageText(pdf, 1);
    EXPECT_TRUE(first.contains(QStringLiteral("平均动力学温度")));
    EXPECT_TRUE(first.contains(QStringLiteral("活化能ΔH:83.144 kJ/mol")));
    // The last page is the chart with its legend, no table.
    const QString last = test::PdfPageText(pdf, pages);
    EXPECT_FALSE(last.contains(QStringLiteral("峰值时间")));
    EXPECT_TRUE(last.contains(QStringLiteral("温度(℃)")));
    EXPECT_EQ(test::RenderPdf(pdf, QStringLiteral("browser_summary")), pages);
}

TEST_F(StatisticsTest, SummaryIsTheThirdPrintChoice) {
    LoadTemperatures(ThreeHotHours());
    view.ShowStatistics(true);
    Enter(Panel().LimitEdit(0, 1), QStringLiteral("44"));  // printed as the panel shows it
    test::ScriptedPrompter prompts;
    prompts.dialogHandlers.push_back([](QDialog& dialog) {
        auto& select = dynamic_cast<CSelPrintDlg&>(dialog);
        select.SummaryButton()->click();
        select.accept();
        return select.result();
    });
    prompts.dialogHandlers.push_back([this](QDialog& dialog) {
        QPrinter& printer = *dynamic_cast<QPrintDialog&>(dialog).printer();
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        return int(QDialog::Accepted);
    });
    view.Print();
    EXPECT_EQ(view.PrintChoice(), CSelPrintDlg::kSummary);
    ASSERT_EQ(test::CountPdfPages(pdf), 2);
    const QString text = test::PdfPageText(pdf, 1);
    EXPECT_TRUE(
        QRegularExpression(QStringLiteral(R"(温度\(℃\)\s+0\s+44\s+用户)")).match(text).hasMatch());
    // Only the hour at 45 °C lies above 44 °C.
    int excursions = 0;
    for (auto it =
             QRegularExpression(QStringLiteral(R"(温度\(℃\)\s+高于上限\s+\d)")).globalMatch(text);
         it.hasNext(); it.next())
        ++excursions;
    EXPECT_EQ(excursions, 1);
}

}  // namespace
}  // namespace qx
