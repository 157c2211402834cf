// The mouse: crosshair and readout tracking, exclusive-or drawing, point picking by double
// click with its notification, and the focus outlines.
#include <gtest/gtest.h>
#include <QApplication>
#include <QFocusEvent>
#include <QMouseEvent>
#include <cmath>

#include "chart_test_util.h"
#include "gui/chart/trend_renderer.h"
#include "gui/chart/trend_wave.h"

namespace qx {
namespace {

using test::Pixel;

void Send(CTrendWave& chart, QEvent::Type type, QPoint at, Qt::MouseButton button = Qt::NoButton) {
    const Qt::MouseButtons buttons = type == QEvent::MouseMove ? Qt::NoButton : button;
    QMouseEvent event(type, QPointF(at), QPointF(chart.mapToGlobal(at)), button, buttons,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(&chart, &event);
}

// 101 points whose values climb from 0 to 100, all in view, in a 640 x 400 chart.
void Fill(CTrendWave& chart, bool banded) {
    chart.resize(640, 400);
    chart.EnableDrawing(false);
    chart.AllocSeries(2, 101);
    for (int s = 0; s < 2; ++s) {
        chart.SelectSeries(s);
        for (int i = 0; i <= 100; ++i)
            chart.SetPointValue(i, static_cast<float>(i));
        chart.SetSeriesRange(s, 0, 100);
    }
    for (int i = 0; i <= 100; ++i)
        chart.SetPointTime(i, test::kSampleStart + 60 * i);
    chart.SetTimeRange(0, 100);
    chart.SetSpan(100);
    chart.SetBanded(banded);
    chart.pickOnDoubleClick = true;
    chart.EnableDrawing(true);
}

// Pixels of the plot that differ between two pictures.
std::vector<QPoint> ChangedInPlot(const QImage& a, const QImage& b, const TrendState& s) {
    std::vector<QPoint> changed;
    for (int y = s.plot.top; y < s.plot.top + s.plotHeight; ++y) {
        for (int x = s.plot.left; x < s.plot.right; ++x) {
            if (a.pixel(x, y) != b.pixel(x, y)) changed.emplace_back(x, y);
        }
    }
    return changed;
}

TEST(Tracking, OverlappedModeShowsTheVerticalLineOnly) {
    CTrendWave chart;
    Fill(chart, false);
    const TrendState& s = chart.State();
    const QImage before = chart.BackBuffer();
    const QPoint at(s.plot.left + s.plotWidth / 2 + 2, s.plot.top + 40);
    Send(chart, QEvent::MouseMove, at);

    EXPECT_EQ(s.readoutPoint, 50);
    EXPECT_EQ(s.crossX, s.XOfPoint(50));
    EXPECT_EQ(s.crossY, -1);
    const std::vector<QPoint> changed = ChangedInPlot(before, chart.BackBuffer(), s);
    EXPECT_EQ(static_cast<int>(changed.size()), s.plotHeight);
    for (const QPoint& p : changed)
        EXPECT_EQ(p.x(), s.crossX);
    // Exclusive-or with (128,128,127).
    const QPoint probe(s.crossX, s.plot.top + 3);
    EXPECT_EQ(Pixel(chart.BackBuffer(), probe.x(), probe.y()),
              Pixel(before, probe.x(), probe.y()) ^ test::Rgb(128, 128, 127));

    // The readout strip now shows point 50.
    EXPECT_NE(
        chart.BackBuffer().copy(s.timeCell.left, s.timeCell.top, s.timeCell.Width(),
                                s.timeCell.Height()),
        before.copy(s.timeCell.left, s.timeCell.top, s.timeCell.Width(), s.timeCell.Height()));

    // Leaving the data area removes the crosshair again.
    Send(chart, QEvent::MouseMove, QPoint(3, 3));
    EXPECT_EQ(s.crossX, -1);
    EXPECT_TRUE(ChangedInPlot(before, chart.BackBuffer(), s).empty());
}

TEST(Tracking, BandedModeFollowsTheBandsValue) {
    CTrendWave chart;
    Fill(chart, true);
    const TrendState& s = chart.State();
    const QImage before = chart.BackBuffer();
    const TrendRect band = s.series[1].band;
    Send(chart, QEvent::MouseMove, QPoint(s.XOfPoint(25) + 1, band.top + 5));
    EXPECT_EQ(s.readoutPoint, 25);
    const float scale = static_cast<float>(band.Height() - 1) / 100.0f;
    const int y = static_cast<int>(static_cast<float>(band.bottom - 1) - 25.0f * scale);
    EXPECT_EQ(s.crossY, y);
    const std::vector<QPoint> changed = ChangedInPlot(before, chart.BackBuffer(), s);
    int onRow = 0;
    for (const QPoint& p : changed) {
        EXPECT_TRUE(p.x() == s.crossX || p.y() == y);
        onRow += p.y() == y;
    }
    EXPECT_EQ(onRow, s.plotWidth - 1);  // the crossing pixel is flipped twice

    // Moving to another point moves the crosshair: only the new one is left.
    Send(chart, QEvent::MouseMove, QPoint(s.XOfPoint(75) + 1, band.top + 5));
    EXPECT_EQ(s.readoutPoint, 75);
    for (const QPoint& p : ChangedInPlot(before, chart.BackBuffer(), s)) {
        EXPECT_TRUE(p.x() == s.XOfPoint(75) || p.y() == s.crossY);
    }
}

TEST(Tracking, CrosshairDrawnTwiceLeavesThePictureUnchanged) {
    CTrendWave chart;
    Fill(chart, true);
    QImage image = chart.BackBuffer();
    const QImage original = image;
    TrendRenderer::DrawCrosshair(image, chart.State(), 200, 150);
    EXPECT_NE(image, original);
    TrendRenderer::DrawCrosshair(image, chart.State(), 200, 150);
    EXPECT_EQ(image, original);
    // Off the image's edges nothing is written.
    TrendRenderer::DrawCrosshair(image, chart.State(), -5, 5000);
    TrendRenderer::DrawCrosshair(image, chart.State(), 5000, -7);
    EXPECT_EQ(image, original);
}

TEST(Tracking, AReadoutThatNeedsAnotherRowLaysTheChartOutAgain) {
    // Twelve series missing at point 0 ("--") and with long values at point 2.
    CTrendWave chart;
    chart.resize(700, 400);
    TrendSeriesList list;
    list.times = {test::kSampleStart, test::kSampleStart + 60, test::kSampleStart + 120};
    for (int i = 0; i < 12; ++i) {
        TrendLine& line = list.series.emplace_back();
        line.name = QStringLiteral("A02%1").arg(i);
        line.unit = QStringLiteral("m3/s");
        line.values = {std::nanf(""), -1234.5f, -123456.5f};
    }
    ASSERT_TRUE(chart.SetSeriesList(std::move(list)));
    chart.show();
    const TrendState& s = chart.State();
    const int rows = s.readoutRows;
    Send(chart, QEvent::MouseMove, QPoint(s.XOfPoint(2), s.plot.top + 150));
    EXPECT_EQ(s.readoutPoint, 2);
    EXPECT_GT(s.readoutRows, rows);
    EXPECT_EQ(s.crossX, s.XOfPoint(2));  // the crosshair drawn in the new layout
    for (int i = 0; i < 12; ++i) {
        EXPECT_GE(s.series[i].captionCell.left, s.plot.left) << i;
        EXPECT_LE(s.series[i].valueCell.right, s.plot.right) << i;
        EXPECT_GE(s.series[i].captionCell.top, 0) << i;
    }
}

TEST(Tracking, IgnoredOnASmallPlotOrWithoutPoints) {
    CTrendWave chart;
    Fill(chart, false);
    chart.resize(110, 70);  // plot 24 x 24
    chart.Refresh();
    Send(chart, QEvent::MouseMove, QPoint(50, 40));
    EXPECT_EQ(chart.State().crossX, -1);

    CTrendWave empty;
    empty.resize(640, 400);
    empty.AllocSeries(1, 0);
    empty.Refresh();
    Send(empty, QEvent::MouseMove, QPoint(300, 200));
    EXPECT_EQ(empty.State().crossX, -1);
}

struct PickLog {
    std::vector<TrendPickNotify> notices;
    void Attach(CTrendWave& chart) {
        QObject::connect(&chart, &CTrendWave::PickNotify,
                         [this](const TrendPickNotify& n) { notices.push_back(n); });
    }
};

TEST(Picking, DoubleClickNotifiesBandAndPointOnce) {
    CTrendWave chart(nullptr, 1001);
    Fill(chart, true);
    PickLog log;
    log.Attach(chart);
    const TrendState& s = chart.State();
    const QPoint at(s.XOfPoint(40) + 1, s.series[1].band.top + 10);
    Send(chart, QEvent::MouseButtonDblClick, at, Qt::LeftButton);
    ASSERT_EQ(log.notices.size(), 1u);
    EXPECT_EQ(log.notices[0].window, &chart);
    EXPECT_EQ(log.notices[0].controlId, 1001u);
    EXPECT_EQ(log.notices[0].code, -101);
    EXPECT_EQ(log.notices[0].band, 1);
    EXPECT_EQ(log.notices[0].point, 40);
    EXPECT_EQ(s.selectedPoint, 40);

    Send(chart, QEvent::MouseButtonDblClick, at, Qt::LeftButton);
    EXPECT_EQ(log.notices.size(), 1u);  // same band and point: no second notice

    Send(chart, QEvent::MouseButtonDblClick, QPoint(s.XOfPoint(40) + 1, s.series[0].band.top + 10),
         Qt::LeftButton);
    ASSERT_EQ(log.notices.size(), 2u);
    EXPECT_EQ(log.notices[1].band, 0);
}

TEST(Picking, OverlappedModeNotifiesWithoutBand) {
    CTrendWave chart;
    Fill(chart, false);
    PickLog log;
    log.Attach(chart);
    const TrendState& s = chart.State();
    // Neither band nor point: equal to the initial last pick, nothing is sent.
    Send(chart, QEvent::MouseButtonDblClick, QPoint(s.plot.right + 5, 100), Qt::LeftButton);
    EXPECT_TRUE(log.notices.empty());
    Send(chart, QEvent::MouseButtonDblClick, QPoint(s.XOfPoint(10), 100), Qt::LeftButton);
    ASSERT_EQ(log.notices.size(), 1u);
    EXPECT_EQ(log.notices[0].band, -1);
    EXPECT_EQ(log.notices[0].point, 10);

    chart.pickOnDoubleClick = false;
    Send(chart, QEvent::MouseButtonDblClick, QPoint(s.XOfPoint(20), 100), Qt::LeftButton);
    EXPECT_EQ(log.notices.size(), 1u);
}

TEST(Focus, OutlinesShowTheKeyboardFocus) {
    CTrendWave chart;
    Fill(chart, false);
    const TrendState& s = chart.State();
    const TrendRect one = s.plot.Grown(1);
    const TrendRect two = s.plot.Grown(2);
    QFocusEvent in(QEvent::FocusIn, Qt::OtherFocusReason);
    QCoreApplication::sendEvent(&chart, &in);
    EXPECT_EQ(Pixel(chart.BackBuffer(), one.left, one.top), test::Rgb(0, 0, 255));
    EXPECT_EQ(Pixel(chart.BackBuffer(), two.right - 1, two.bottom - 1), test::Rgb(0, 0, 255));
    QFocusEvent out(QEvent::FocusOut, Qt::OtherFocusReason);
    QCoreApplication::sendEvent(&chart, &out);
    EXPECT_EQ(Pixel(chart.BackBuffer(), one.left, one.top), test::Rgb(0, 0, 0));
    EXPECT_EQ(Pixel(chart.BackBuffer(), two.left, two.top), test::Rgb(192, 192, 192));
}

TEST(Focus, ClickTakesTheFocus) {
    QWidget window;
    window.resize(700, 450);
    CTrendWave chart(&window);
    Fill(chart, false);
    QWidget other(&window);
    other.setFocusPolicy(Qt::StrongFocus);
    window.show();
    QApplication::setActiveWindow(&window);
    other.setFocus();
    ASSERT_FALSE(chart.hasFocus());
    Send(chart, QEvent::MouseButtonPress, QPoint(200, 200), Qt::LeftButton);
    EXPECT_TRUE(chart.hasFocus());
    EXPECT_NE(chart.State().crossX, -1);  // the press tracks as a move does
}

}  // namespace
}  // namespace qx
