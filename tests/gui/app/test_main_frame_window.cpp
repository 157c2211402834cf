// The main window as a keyboard and small-screen user meets it: the smallest size still shows
// every command, every device-panel command is in the 通讯 menu, the view shortcuts and Tab.
#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QToolButton>
#include <QtTest/QTest>
#include <algorithm>
#include <set>

#include "frame_fixture.h"
#include "gui/browser/channel_legend.h"
#include "gui/browser/data_view.h"
#include "gui/common/my_list_ctrl.h"
#include "gui/common/screenshot_util.h"
#include "gui/device/qx420_view.h"

using qx::CMyListCtrl;
using qx::CQX420View;

namespace qx::test {
namespace {

constexpr int kPanelCommands[] = {CQX420View::kCmdRefreshQuery, CQX420View::kCmdCalibrateClock,
                                  CQX420View::kCmdReadParams,   CQX420View::kCmdSetParams,
                                  CQX420View::kCmdReceiveData,  CQX420View::kCmdStopRecord};

class Window : public FrameTest {
  protected:
    void SetUp() override {
        Make({6});
        frame->show();
        QApplication::setActiveWindow(frame.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(frame.get()));
    }

    // The widget's rectangle in the window, cut to what its ancestors show.
    static QRect ShownRect(QWidget* widget) {
        QRect shown = widget->rect();
        for (QWidget* w = widget; w && !w->isWindow(); w = w->parentWidget()) {
            shown = shown.translated(w->pos()) & QRect(QPoint(), w->parentWidget()->size());
        }
        return shown;
    }
    static bool WhollyShown(QWidget* widget) {
        return widget->isVisible() && ShownRect(widget).size() == widget->size();
    }
};

TEST_F(Window, TheSmallestSizeShowsEveryPanelButtonAndTheWholeLegend) {
    frame->resize(320, 240);
    QApplication::processEvents();
    const QSize smallest = frame->size();
    EXPECT_GT(smallest.width(), 320);
    EXPECT_GT(smallest.height(), 240);

    CQX420View* panel = frame->DevicePanel();
    std::vector<QRect> places;
    for (int id : kPanelCommands) {
        QPushButton* button = panel->Button(id);
        ASSERT_NE(button, nullptr) << id;
        EXPECT_TRUE(WhollyShown(button)) << button->text().toStdString();
        for (const QRect& other : places)
            EXPECT_FALSE(other.intersects(button->geometry())) << button->text().toStdString();
        places.push_back(button->geometry());
    }
    for (ParamListKind list : {ParamListKind::kSet, ParamListKind::kRecorded})
        EXPECT_TRUE(WhollyShown(&panel->ParamList(list)));
    SaveScreenshot(*frame, QStringLiteral("main_frame_smallest_device_panel.png"));

    // The flow meter's record has the tallest legend: its last row lies inside the view.
    const QString path = WriteRecord(QStringLiteral("flow.QXRec"), bus->At(0));
    ASSERT_TRUE(frame->OpenRecord(path));
    QApplication::processEvents();
    EXPECT_EQ(frame->size(), smallest);
    ChannelLegend* legend = frame->RecordBrowser()->Legend();
    EXPECT_TRUE(WhollyShown(legend));
    const int lastRowBottom =
        legend->Box(0)->y() + static_cast<int>(legend->Entries().size()) * legend->RowPitch();
    EXPECT_LE(lastRowBottom, legend->contentsRect().bottom() + 1);
    SaveScreenshot(*frame, QStringLiteral("main_frame_smallest_record_browser.png"));
}

TEST_F(Window, EveryPanelCommandIsInTheCommunicationMenu) {
    QMenu* comm = nullptr;
    for (QAction* entry : frame->menuBar()->actions()) {
        if (entry->text() == QStringLiteral("通讯(&C)")) comm = entry->menu();
    }
    ASSERT_NE(comm, nullptr);
    for (int id : kPanelCommands) {
        const QList<QAction*> entries = comm->actions();
        EXPECT_TRUE(std::any_of(entries.begin(), entries.end(), [id](QAction* a) {
            return a->data().toInt() == id;
        })) << id;
    }
    // The menu entry runs what the button runs: 停止记录 reaches the instrument.
    Connect();
    ASSERT_TRUE(bus->At(0).Recording());
    frame->Action(cmd::kStopRecord)->trigger();
    EXPECT_FALSE(bus->At(0).Recording());
}

TEST_F(Window, ViewShortcutsAndF1) {
    const auto press = [&](int key, Qt::KeyboardModifiers modifiers) {
        QTest::keyClick(frame.get(), static_cast<Qt::Key>(key), modifiers);
        return frame->CurrentView();
    };
    EXPECT_EQ(press(Qt::Key_2, Qt::ControlModifier), kRecordView);
    EXPECT_EQ(press(Qt::Key_3, Qt::ControlModifier), kHelpView);
    EXPECT_EQ(press(Qt::Key_1, Qt::ControlModifier), kDevicePanelView);
    EXPECT_EQ(press(Qt::Key_F1, Qt::NoModifier), kHelpView);
    // Also while the record browser's list has the focus.
    press(Qt::Key_2, Qt::ControlModifier);
    frame->RecordBrowser()->SampleList()->setFocus();
    EXPECT_EQ(press(Qt::Key_F1, Qt::NoModifier), kHelpView);
}

TEST_F(Window, TabReachesTheSideBarAndLeavesTheParameterLists) {
    Connect();
    CMyListCtrl& list = frame->DevicePanel()->ParamList(ParamListKind::kSet);
    list.setFocus(Qt::OtherFocusReason);
    ASSERT_TRUE(list.hasFocus());
    QTest::keyClick(&list, Qt::Key_Tab);
    EXPECT_NE(QApplication::focusWidget(), &list);

    // Going round once with Tab passes every navigation button.
    std::set<QWidget*> visited;
    for (int i = 0; i < 60; ++i) {
        QWidget* focus = QApplication::focusWidget();
        ASSERT_NE(focus, nullptr);
        visited.insert(focus);
        QTest::keyClick(focus, Qt::Key_Tab);
    }
    for (int view = 0; view < kViewCount; ++view)
        EXPECT_TRUE(visited.count(frame->NavigationButton(view))) << view;
    // Space on a focused navigation button switches the view.
    frame->NavigationButton(kRecordView)->setFocus(Qt::TabFocusReason);
    QTest::keyClick(frame->NavigationButton(kRecordView), Qt::Key_Space);
    EXPECT_EQ(frame->CurrentView(), kRecordView);
}

}  // namespace
}  // namespace qx::test
