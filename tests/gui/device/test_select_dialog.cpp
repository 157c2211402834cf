// The device choice dialog and the plug notices' monitor.
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include "gui/common/screenshot_util.h"
#include "gui/device/device_monitor.h"
#include "gui/device/select_dialog.h"

namespace qx {
namespace {

TEST(CSelectDialog, ListsTheNamesInOrderAndPreselectsTheLast) {
    const QStringList names{QStringLiteral("QX450-USB Data Logger"),
                            QStringLiteral("QX7200-USB Data Logger")};
    CSelectDialog dialog(names);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("选择设备"));
    ASSERT_EQ(dialog.DeviceList()->count(), 2);
    EXPECT_EQ(dialog.DeviceList()->itemText(0), names[0]);
    EXPECT_EQ(dialog.DeviceList()->currentIndex(), 1);
    EXPECT_EQ(dialog.OkButton()->text(), QStringLiteral("确定(&O)"));
    EXPECT_EQ(dialog.CancelButton()->text(), QStringLiteral("取消(&C)"));
    EXPECT_EQ(dialog.selectedIndex, -1);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    test::SaveScreenshot(dialog, QStringLiteral("select_dialog.png"));
}

TEST(CSelectDialog, OkStoresTheChoiceAndCancelLeavesNone) {
    const QStringList names{QStringLiteral("QX420"), QStringLiteral("QX430"),
                            QStringLiteral("QX440")};
    CSelectDialog chosen(names);
    chosen.DeviceList()->setCurrentIndex(0);
    QTest::mouseClick(chosen.OkButton(), Qt::LeftButton);
    EXPECT_EQ(chosen.result(), QDialog::Accepted);
    EXPECT_EQ(chosen.selectedIndex, 0);

    CSelectDialog cancelled(names, 1);
    EXPECT_EQ(cancelled.DeviceList()->currentIndex(), 1);
    QTest::mouseClick(cancelled.CancelButton(), Qt::LeftButton);
    EXPECT_EQ(cancelled.result(), QDialog::Rejected);
    EXPECT_EQ(cancelled.selectedIndex, -1);

    // OK over an empty list chooses nothing.
    CSelectDialog empty({});
    empty.accept();
    EXPECT_EQ(empty.selectedIndex, -1);
}

TEST(DeviceMonitor, ActionsAndAQuietSystem) {
    EXPECT_EQ(DeviceMonitor::EventOfAction("add"), DeviceEvent::kArrival);
    EXPECT_EQ(DeviceMonitor::EventOfAction("remove"), DeviceEvent::kRemoval);
    EXPECT_FALSE(DeviceMonitor::EventOfAction("change").has_value());
    EXPECT_FALSE(DeviceMonitor::EventOfAction("").has_value());
    // Where no udev daemon runs the monitor may or may not be set up; either way it is quiet
    // and goes away cleanly.
    int notices = 0;
    {
        DeviceMonitor monitor([&](DeviceEvent, const std::string&) { ++notices; });
        QTest::qWait(20);
    }
    EXPECT_EQ(notices, 0);
}

}  // namespace
}  // namespace qx
