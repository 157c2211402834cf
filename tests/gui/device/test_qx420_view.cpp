// The device panel view: enabling, the signals of its controls, its parameter lists, its
// layout, and the live panel driven by a session on simulated instruments.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include "core/model/param_list_rows.h"
#include "gui/common/app_fonts.h"
#include "gui/common/screenshot_util.h"
#include "panel_bench.h"

using qx::CMyListCtrl;
using qx::CQX420View;
using qx::CTestCtrl;

namespace {

using qx::ParamListKind;
using qx::test::PanelBench;

constexpr int kCommands[] = {
    CQX420View::kCmdRefreshQuery, CQX420View::kCmdCalibrateClock, CQX420View::kCmdReadParams,
    CQX420View::kCmdSetParams,    CQX420View::kCmdReceiveData,    CQX420View::kCmdStopRecord,
};

QStringList Column(const CMyListCtrl& list, int column) {
    QStringList texts;
    for (int r = 0; r < list.rowCount(); ++r)
        texts << list.Text(r, column);
    return texts;
}

TEST(DevicePanelView, ButtonsFollowTheConnection) {
    PanelBench bench({1});
    QSignalSpy autoSpy(&bench.view, &CQX420View::autoReadChanged);
    QSignalSpy intervalSpy(&bench.view, &CQX420View::intervalChanged);
    bench.view.FirstShow(true, 3);
    EXPECT_EQ(autoSpy.count(), 0);
    EXPECT_EQ(intervalSpy.count(), 0);
    EXPECT_TRUE(bench.view.AutoRead());
    EXPECT_EQ(bench.view.IntervalSeconds(), 3);
    EXPECT_EQ(bench.view.IntervalList()->count(), 5);
    EXPECT_EQ(bench.view.IntervalList()->itemText(4), "5s");

    for (int id : kCommands)
        EXPECT_FALSE(bench.view.Button(id)->isEnabled()) << id;
    EXPECT_FALSE(bench.view.IntervalList()->isEnabled());
    EXPECT_TRUE(bench.view.AutoReadBox()->isEnabled());

    ASSERT_TRUE(bench.session.commands.Connect());
    for (int id : kCommands)
        EXPECT_TRUE(bench.view.Button(id)->isEnabled()) << id;
    EXPECT_TRUE(bench.view.IntervalList()->isEnabled());

    bench.session.commands.Disconnect();
    for (int id : kCommands)
        EXPECT_FALSE(bench.view.Button(id)->isEnabled()) << id;
    EXPECT_FALSE(bench.view.IntervalList()->isEnabled());
    EXPECT_TRUE(bench.view.AutoReadBox()->isEnabled());
}

TEST(DevicePanelView, ControlsSendTheMainWindowsCommands) {
    PanelBench bench({4});
    bench.view.FirstShow(true, 1);
    ASSERT_TRUE(bench.session.commands.Connect());
    QSignalSpy commands(&bench.view, &CQX420View::commandRequested);
    for (int id : kCommands)
        bench.view.Button(id)->click();
    ASSERT_EQ(commands.count(), 6);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(commands.at(i).at(0).toInt(), kCommands[i]);
    EXPECT_EQ(bench.view.Button(CQX420View::kCmdReceiveData)->text(), "接收数据");
    EXPECT_EQ(bench.view.Button(CQX420View::kCmdStopRecord)->text(), "停止记录");

    QSignalSpy interval(&bench.view, &CQX420View::intervalChanged);
    bench.view.IntervalList()->setCurrentIndex(2);  // "1s" to "3s"
    ASSERT_EQ(interval.count(), 1);
    EXPECT_EQ(interval.at(0).at(0).toInt(), 3);

    QSignalSpy autoRead(&bench.view, &CQX420View::autoReadChanged);
    bench.view.AutoReadBox()->click();
    ASSERT_EQ(autoRead.count(), 1);
    EXPECT_FALSE(autoRead.at(0).at(0).toBool());
    EXPECT_FALSE(bench.view.AutoRead());
}

TEST(DevicePanelView, LivePanelColourFollowsConnectionAndAutoRead) {
    PanelBench bench({1});
    bench.view.FirstShow(true, 1);
    ASSERT_TRUE(bench.ConnectAndRefresh());
    const CTestCtrl& panel = bench.view.Panel();
    ASSERT_TRUE(panel.Drawn());
    EXPECT_EQ(QColor(panel.Canvas().pixel(120, 17)), QColor(0, 0, 0));
    bench.view.AutoReadBox()->click();  // off: redrawn at once
    EXPECT_EQ(QColor(panel.Canvas().pixel(120, 17)), QColor(60, 80, 60));
    bench.session.commands.Disconnect();  // the last readings stay, greyed
    EXPECT_EQ(QColor(panel.Canvas().pixel(120, 17)), QColor(100, 120, 60));
}

TEST(DevicePanelView, CanvasFollowsTheModel) {
    PanelBench bench({6});
    bench.view.FirstShow(true, 1);
    EXPECT_EQ(bench.view.Panel().Canvas().height(), 139);
    EXPECT_FALSE(bench.view.Panel().Drawn());  // nothing read yet: background only
    ASSERT_TRUE(bench.ConnectAndRefresh());
    EXPECT_EQ(bench.view.Panel().Canvas().height(), 238);
    EXPECT_TRUE(bench.view.Panel().Drawn());
}

TEST(DevicePanelView, ParamListsPerModel) {
    PanelBench bench({1});
    bench.view.FirstShow(true, 1);
    CMyListCtrl& set = bench.view.ParamList(ParamListKind::kSet);
    CMyListCtrl& recorded = bench.view.ParamList(ParamListKind::kRecorded);
    EXPECT_EQ(set.ColumnTitles(), (QStringList{"设置的参数", "内容"}));
    EXPECT_EQ(recorded.ColumnTitles(), (QStringList{"记录的参数", "内容"}));
    EXPECT_EQ(set.columnWidth(0), 160);
    // The value column takes the rest of a list and ends at its edge, however narrow the list
    // is: a long value ends in "…" instead of running past the edge; a long label leaves the
    // value a third of the list.
    CMyListCtrl list;
    SetupParamList(list, QStringLiteral("设置的参数"));
    list.SetRows({{QStringLiteral("Formaldehyde alarm at the high limit, with more words"),
                   QStringLiteral("2024-05-18 12:06:37")}});
    list.FitColumn(0);
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    for (int width : {600, 361, 359, 250}) {
        list.resize(width, 200);
        QCoreApplication::processEvents();
        const int room = list.viewport()->width();
        EXPECT_EQ(list.columnWidth(0) + list.columnWidth(1), room) << width;
        EXPECT_GE(list.columnWidth(1), room / 3) << width;
    }
    EXPECT_EQ(set.rowCount(), 0);
    EXPECT_TRUE(set.showGrid());
    EXPECT_EQ(set.selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_FALSE(set.horizontalHeader()->sectionsClickable());

    qx::ParamBlock block = bench.Sim().SetParams();
    bench.state.type = 10;
    bench.view.FillParamList(ParamListKind::kSet, &block);
    ASSERT_EQ(set.rowCount(), 14);
    EXPECT_EQ(set.Text(3, 0), "固件版本");
    const qx::ParamTexts texts = qx::MakeParamTexts(block, 10);
    EXPECT_EQ(set.Text(3, 1), QString::fromStdString(texts[qx::ParamText::Firmware]));
    EXPECT_EQ(set.Text(0, 1), QString::fromStdString(texts[qx::ParamText::Address]));

    bench.state.type = 7;
    bench.view.FillParamList(ParamListKind::kRecorded, &block);
    const QStringList labels7 = Column(recorded, 0);
    EXPECT_TRUE(labels7.contains("采样速度") && labels7.contains("声级"));
    EXPECT_FALSE(labels7.contains("温度报警值"));
    EXPECT_EQ(labels7.size(), 13);

    bench.state.type = 8;
    bench.view.FillParamList(ParamListKind::kSet, &block);
    EXPECT_TRUE(Column(set, 0).contains("有无CO2报警"));
    bench.state.type = 11;
    bench.view.FillParamList(ParamListKind::kSet, &block);
    EXPECT_TRUE(Column(set, 0).contains("有无甲醛报警"));
    EXPECT_EQ(Column(set, 0).back(), "有无甲醛报警");

    // Emptying keeps the model's labels with empty texts.
    bench.view.FillParamList(ParamListKind::kSet, nullptr);
    EXPECT_EQ(set.rowCount(), 15);
    EXPECT_EQ(Column(set, 1).join(""), "");
    EXPECT_EQ(set.Text(0, 0), "仪器地址");

    // Type 0: no rows, the headers stay.
    bench.state.type = 0;
    bench.view.FillParamList(ParamListKind::kSet, &block);
    EXPECT_EQ(set.rowCount(), 0);
    EXPECT_EQ(set.ColumnTitles(), (QStringList{"设置的参数", "内容"}));
}

TEST(DevicePanelView, FreeFillParamListForOtherLists) {
    CMyListCtrl list;
    SetupParamList(list, QStringLiteral("参数"));
    const qx::ParamTexts texts = qx::MakeParamTexts(qx::ParamBlock{}, 6);
    FillParamList(list, &texts, 6);
    ASSERT_EQ(list.rowCount(), 16);
    EXPECT_EQ(list.Text(15, 0), "流量计算参数3");
    EXPECT_EQ(list.Text(15, 1), "0");
    EXPECT_EQ(list.Text(16, 0), "");  // outside the list
    FillParamList(list, nullptr, 3);
    EXPECT_EQ(list.rowCount(), 13);
    EXPECT_EQ(list.Text(0, 1), "");
}

TEST(DevicePanelView, ReadParametersFillsBothLists) {
    PanelBench bench({2});
    bench.view.FirstShow(true, 1);
    ASSERT_TRUE(bench.session.commands.Connect());
    const CMyListCtrl& set = bench.view.ParamList(ParamListKind::kSet);
    const CMyListCtrl& recorded = bench.view.ParamList(ParamListKind::kRecorded);
    const qx::ParamTexts setTexts = qx::MakeParamTexts(bench.state.setParams, 2);
    ASSERT_EQ(set.rowCount(), 15);
    EXPECT_EQ(set.Text(2, 1), QString::fromStdString(setTexts[qx::ParamText::Name]));
    EXPECT_EQ(set.Text(4, 0), "设定记录总数");
    EXPECT_EQ(set.Text(4, 1), "循环记录");
    EXPECT_EQ(recorded.rowCount(), 15);
    EXPECT_FALSE(recorded.Text(0, 1).isEmpty());

    // An instrument with settings but no recording: the recorded list keeps only its labels.
    bench.Sim().ClearRecording();
    ASSERT_EQ(bench.session.commands.ReadParameters(), qx::CommandResult::kDone);
    EXPECT_EQ(recorded.rowCount(), 15);
    EXPECT_EQ(Column(recorded, 1).join(""), "");
    EXPECT_FALSE(set.Text(0, 1).isEmpty());
}

TEST(DevicePanelView, LayoutSplitsTheListsTwoToThree) {
    PanelBench bench({1});
    bench.view.resize(850, 600);
    bench.view.FirstShow(true, 1);
    bench.view.show();
    const CMyListCtrl& set = bench.view.ParamList(ParamListKind::kSet);
    const CMyListCtrl& recorded = bench.view.ParamList(ParamListKind::kRecorded);
    const int left = CQX420View::DluX(184);
    const int top = CQX420View::DluY(23);
    EXPECT_EQ(set.geometry(), QRect(left, top, 850 - left, (2 * (600 - top)) / 5));
    EXPECT_EQ(recorded.geometry().top(), set.geometry().bottom() + 1);
    EXPECT_EQ(recorded.geometry().bottom(), 599);
    EXPECT_EQ(recorded.geometry().left(), left);
    EXPECT_EQ(bench.view.PanelArea(), QRect(0, top, left, 600 - top));

    bench.view.resize(700, 450);
    EXPECT_EQ(set.geometry(), QRect(left, top, 700 - left, (2 * (450 - top)) / 5));
    EXPECT_EQ(recorded.geometry().bottom(), 449);
    EXPECT_EQ(bench.view.PanelArea().height(), 450 - top);
    // The picture fits the panel area, so the canvas sits over its display window.
    EXPECT_GE(bench.view.PanelArea().width(), 300);

    // The top row's controls do not overlap and stay above the lists.
    int right = -1;
    QList<QWidget*> row{bench.view.AutoReadBox(), bench.view.IntervalList()};
    for (int id : kCommands)
        row << bench.view.Button(id);
    for (QWidget* w : row) {
        EXPECT_GT(w->geometry().left(), right);
        EXPECT_LE(w->geometry().bottom(), top);
        EXPECT_GE(w->width(), w->sizeHint().width());
        right = w->geometry().right();
    }
}

TEST(DevicePanelView, Screenshots) {
    // The main window's "宋体" 14-pixel font, as the program runs.
    const QFont appFont = QApplication::font();
    QApplication::setFont(qx::SongFont(14));
    for (qx::InstrumentTypeId type : {1, 6}) {
        PanelBench bench({type});
        bench.view.resize(type == 1 ? 850 : 1000, type == 1 ? 620 : 700);
        bench.view.FirstShow(true, 1);
        ASSERT_TRUE(bench.ConnectAndRefresh());
        bench.view.show();
        QCoreApplication::processEvents();
        qx::test::SaveScreenshot(bench.view, QStringLiteral("device_panel_model%1.png").arg(type));
        bench.view.hide();
    }
    QApplication::setFont(appFont);
}

}  // namespace
