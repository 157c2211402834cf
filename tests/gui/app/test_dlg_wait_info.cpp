// The wait popup: its drawing, the finishing rule, and what it does to its parent.
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include "gui/app/dlg_wait_info.h"
#include "gui/common/screenshot_util.h"

namespace qx {
namespace {

bool WaitCursorShown() {
    const QCursor* c = QGuiApplication::overrideCursor();
    return c && c->shape() == Qt::WaitCursor;
}

TEST(CDlgWaitInfo, LineBandsFollowTheAreaHeightAndLineCount) {
    CDlgWaitInfo popup;
    EXPECT_EQ(popup.size(), QSize(CDlgWaitInfo::kWidth, CDlgWaitInfo::kHeight));
    const QRect area = popup.TextArea();
    EXPECT_EQ(area, QRect(0, 0, 258, 55));
    popup.SetLines(2, QStringLiteral("a"), QStringLiteral("b"));
    // h = 55: lh = 45 div 2 = 22, r = 1; the first band at 1 div 2 + 4, the next 22 + 6 lower.
    EXPECT_EQ(popup.LineBand(0), QRect(0, 4, 258, 22));
    EXPECT_EQ(popup.LineBand(1), QRect(0, 32, 258, 22));
    popup.SetLineCount(1);
    EXPECT_EQ(popup.LineBand(0), QRect(0, 4, 258, 45));
    EXPECT_TRUE(popup.LineBand(1).isNull());
    popup.SetLineCount(5);
    EXPECT_EQ(popup.LineCount(), 2);
    popup.SetLineCount(0);
    EXPECT_TRUE(popup.LineBand(0).isNull());
}

TEST(CDlgWaitInfo, ALongerLineWidensThePopupAroundItsCentre) {
    CDlgWaitInfo popup;
    popup.move(300, 200);
    const QString line = QStringLiteral("Downloading data from the instrument, please wait...");
    popup.SetLines(2, line, QStringLiteral("44%(20/45)"));
    EXPECT_GE(popup.LineBand(0).width(), popup.fontMetrics().horizontalAdvance(line));
    EXPECT_EQ(popup.findChild<QWidget*>(QStringLiteral("waitProgress"))->width(), popup.width());
    popup.SetLines(2, QStringLiteral("正在接收数据,请稍候..."));  // the designed size again
    EXPECT_EQ(popup.geometry(), QRect(300, 200, CDlgWaitInfo::kWidth, CDlgWaitInfo::kHeight));
}

TEST(CDlgWaitInfo, DrawsTheGradientTheRulesAndBothLinesInTheirColours) {
    QWidget owner;
    owner.resize(600, 400);
    owner.show();
    CDlgWaitInfo popup(&owner);
    popup.CenterOver(&owner);
    popup.SetLines(2, QStringLiteral("正在接收数据,请稍候..."), QStringLiteral("44%(20/45)"));
    popup.BeginProgress(45);
    popup.show();
    popup.SetPos(20 + 20);
    popup.SetBarPos(20);
    popup.RepaintNow();
    test::SaveScreenshot(popup, QStringLiteral("wait_popup.png"));

    const QImage image = popup.grab().toImage().convertToFormat(QImage::Format_RGB32);
    // The left column: row y in (255 - 2y, 255 - y, 255), the two rules under line 0 at
    // 4 + 22 + 2 and one below.
    for (int y = 0; y < 55; ++y) {
        const QColor c = image.pixelColor(1, y);
        QColor expected((255 - 2 * y) & 0xFF, (255 - y) & 0xFF, 255);
        if (y == 28) expected = CDlgWaitInfo::kRule1Colour;
        if (y == 29) expected = CDlgWaitInfo::kRule2Colour;
        EXPECT_EQ(c, expected) << "row " << y;
    }
    // Text pixels: purple in the first band, blue in the second.
    auto count = [&](const QRect& band, auto match) {
        int n = 0;
        for (int y = band.top(); y <= band.bottom(); ++y)
            for (int x = band.left(); x <= band.right(); ++x)
                if (match(image.pixelColor(x, y))) ++n;
        return n;
    };
    auto purple = [](const QColor& c) { return c.red() > 150 && c.green() < 60 && c.blue() > 170; };
    auto blue = [](const QColor& c) { return c.red() < 60 && c.green() < 60 && c.blue() > 170; };
    EXPECT_GT(count(popup.LineBand(0), purple), 0);
    EXPECT_EQ(count(popup.LineBand(0), blue), 0);
    EXPECT_GT(count(popup.LineBand(1), blue), 0);
    EXPECT_EQ(count(popup.LineBand(1), purple), 0);
    // The bar: 20 of 45 filled in its own colour.
    const int barY = CDlgWaitInfo::kHeight - CDlgWaitInfo::kBarHeight / 2;
    EXPECT_EQ(image.pixelColor(40, barY), CDlgWaitInfo::kBarColour);
    EXPECT_NE(image.pixelColor(220, barY), CDlgWaitInfo::kBarColour);

    popup.Finish();
    popup.OnTimer();
}

TEST(CDlgWaitInfo, CentresOverAWindowWithoutResizing) {
    QWidget owner;
    owner.setGeometry(100, 80, 700, 500);
    owner.show();
    CDlgWaitInfo popup(&owner);
    popup.CenterOver(&owner);
    EXPECT_EQ(popup.size(), QSize(CDlgWaitInfo::kWidth, CDlgWaitInfo::kHeight));
    EXPECT_LE((popup.frameGeometry().center() - owner.frameGeometry().center()).manhattanLength(),
              2);
}

TEST(CDlgWaitInfo, ReachingTheTotalFinishesOnOneTickAndClosesOnTheNext) {
    QWidget owner;
    owner.show();
    CDlgWaitInfo popup(&owner);
    popup.SetLines(2, QStringLiteral("正在接收数据,请稍候..."), QString());
    popup.BeginProgress(45);
    popup.show();
    EXPECT_FALSE(owner.isEnabled());
    EXPECT_TRUE(WaitCursorShown());
    EXPECT_EQ(QWidget::mouseGrabber(), &popup);
    EXPECT_EQ(popup.TimerInterval(), CDlgWaitInfo::kSlowTickMs);
    EXPECT_EQ(popup.Total(), 45);
    EXPECT_EQ(popup.Position(), 0);

    popup.SetPos(40);
    popup.OnTimer();
    EXPECT_FALSE(popup.IsFinished());
    EXPECT_EQ(popup.TimerInterval(), CDlgWaitInfo::kSlowTickMs);

    // The capture is taken back when lost.
    popup.releaseMouse();
    popup.OnTimer();
    EXPECT_EQ(QWidget::mouseGrabber(), &popup);

    popup.SetPos(65);
    popup.OnTimer();
    EXPECT_TRUE(popup.IsFinished());
    EXPECT_EQ(popup.TimerInterval(), CDlgWaitInfo::kFastTickMs);
    EXPECT_TRUE(popup.isVisible());
    EXPECT_FALSE(owner.isEnabled());

    popup.OnTimer();  // closes even though the owner never called Finish()
    EXPECT_FALSE(popup.isVisible());
    EXPECT_EQ(popup.TimerInterval(), 0);
    EXPECT_TRUE(owner.isEnabled());
    EXPECT_FALSE(WaitCursorShown());
    EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
    EXPECT_FALSE(popup.IsFinished());
    EXPECT_EQ(popup.Total(), 0);
    EXPECT_EQ(popup.Position(), 0);
}

TEST(CDlgWaitInfo, WithoutATotalOnlyTheOwnerFinishes) {
    QWidget owner;
    owner.show();
    CDlgWaitInfo popup(&owner);
    popup.SetLines(1, QStringLiteral("请稍候"));
    popup.BeginProgress(0);
    popup.show();
    popup.SetPos(1000);
    for (int i = 0; i < 3; ++i)
        popup.OnTimer();
    EXPECT_FALSE(popup.IsFinished());
    EXPECT_TRUE(popup.isVisible());
    EXPECT_FALSE(owner.isEnabled());

    popup.Finish();
    popup.OnTimer();
    EXPECT_FALSE(popup.isVisible());
    EXPECT_TRUE(owner.isEnabled());
    EXPECT_FALSE(WaitCursorShown());
}

TEST(CDlgWaitInfo, ItsOwnTimerClosesItAboutThreeHundredMsAfterFinishing) {
    QWidget owner;
    owner.show();
    CDlgWaitInfo popup(&owner);
    popup.SetLines(2, QStringLiteral("正在接收数据,请稍候..."), QStringLiteral("100%(10/10)"));
    QElapsedTimer clock;
    clock.start();
    popup.BeginProgress(10);
    popup.show();
    popup.SetPos(10);
    EXPECT_TRUE(QTest::qWaitFor([&] { return popup.IsFinished(); }, 3000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !popup.isVisible(); }, 3000));
    EXPECT_GE(clock.elapsed(), 1200);  // 1000 + 300 ms, coarse timers
    EXPECT_TRUE(owner.isEnabled());
}

TEST(CDlgWaitInfo, BarStaysInItsRangeAndLinesAreCut) {
    QWidget owner;
    CDlgWaitInfo popup(&owner);
    popup.BeginProgress(45);
    popup.SetBarPos(65);
    EXPECT_EQ(popup.BarPos(), 45);
    popup.SetBarPos(-3);
    EXPECT_EQ(popup.BarPos(), 0);
    popup.SetLine(0, QString(300, u'字'));
    EXPECT_EQ(popup.Line(0).size(), CDlgWaitInfo::kMaxLineLength);
    popup.SetLine(2, QStringLiteral("ignored"));
    EXPECT_TRUE(popup.Line(2).isEmpty());
    popup.Finish();
    popup.OnTimer();
    EXPECT_TRUE(owner.isEnabled());
}

}  // namespace
}  // namespace qx
