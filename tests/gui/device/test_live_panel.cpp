// The live value panel drawn: canvas sizes, frames and texts in the state's colour, alarm
// inversion, the panel area's background, and pictures of the panel on simulated instruments.
#include <QDir>
#include <QFontInfo>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include "core/link/live_status_texts.h"
#include "core/model/live_panel_layout.h"
#include "gui/common/app_pictures.h"
#include "gui/device/live_panel_ctrl.h"
#include "panel_bench.h"

using qx::CTestCtrl;

namespace {

using qx::LiveStatusTexts;

QColor At(const QImage& image, int x, int y) {
    return QColor(image.pixel(x, y));
}

// Pixels of a rectangle (right and bottom exclusive) whose colour is within `tolerance` of c.
int CountNear(const QImage& image, const qx::PanelRect& r, const QColor& c, int tolerance = 0) {
    int n = 0;
    for (int y = r.top; y < r.bottom && y < image.height(); ++y) {
        for (int x = r.left; x < r.right && x < image.width(); ++x) {
            const QColor p = At(image, x, y);
            if (std::abs(p.red() - c.red()) <= tolerance &&
                std::abs(p.green() - c.green()) <= tolerance &&
                std::abs(p.blue() - c.blue()) <= tolerance) {
                ++n;
            }
        }
    }
    return n;
}

// Whether every pixel of a rectangle is a mix of colours a and b, each channel between theirs
// give or take `slack`: text antialiased in one colour over a fill of the other, whatever the
// font and however its glyphs fall on the pixels.
bool OnlyMixesOf(const QImage& image, const qx::PanelRect& r, const QColor& a, const QColor& b,
                 int slack = 2) {
    const auto between = [slack](int v, int x, int y) {
        return v >= std::min(x, y) - slack && v <= std::max(x, y) + slack;
    };
    for (int y = r.top; y < r.bottom && y < image.height(); ++y) {
        for (int x = r.left; x < r.right && x < image.width(); ++x) {
            const QColor p = At(image, x, y);
            if (!between(p.red(), a.red(), b.red()) || !between(p.green(), a.green(), b.green()) ||
                !between(p.blue(), a.blue(), b.blue())) {
                return false;
            }
        }
    }
    return true;
}

// The canvas of a type with the background alone, to tell texts from the picture under them.
QImage BackgroundOnly(qx::InstrumentTypeId type) {
    CTestCtrl panel;
    panel.EnsureCanvas(type);
    QImage image = panel.Canvas();
    {
        QPainter p(&image);
        panel.DrawPanelBackground(p, type);
    }
    return image;
}

LiveStatusTexts TypeOneTexts() {
    LiveStatusTexts t;
    t.clock = "2017-03-10 21:07:12";
    t.count = "288";
    t.temperature = "25.0";
    t.humidity = "45.2";
    t.temperatureLow = "0";
    t.temperatureHigh = "25";
    t.temperatureHighAlarm = true;
    t.humidityLow = "10";
    t.humidityHigh = "95";
    return t;
}

QString ScreenshotPath(const QString& name) {
    const char* dir = std::getenv("QX_SCREENSHOT_DIR");
    if (!dir || !*dir) return {};
    QDir().mkpath(QString::fromLocal8Bit(dir));
    return QDir(QString::fromLocal8Bit(dir)).filePath(name);
}

TEST(LivePanelCanvas, EnsureCanvasFollowsTheHeight) {
    CTestCtrl panel;
    EXPECT_FALSE(panel.HasCanvas());
    panel.DrawLivePanel(TypeOneTexts(), 1, Qt::black);  // no canvas: nothing happens
    EXPECT_FALSE(panel.Drawn());
    EXPECT_TRUE(panel.EnsureCanvas(1));
    EXPECT_EQ(panel.Canvas().size(), QSize(248, 139));
    EXPECT_FALSE(panel.EnsureCanvas(4));  // same height: kept
    panel.DrawLivePanel(TypeOneTexts(), 1, Qt::black);
    EXPECT_TRUE(panel.Drawn());
    EXPECT_FALSE(panel.EnsureCanvas(11));
    EXPECT_TRUE(panel.Drawn());
    EXPECT_TRUE(panel.EnsureCanvas(6));
    EXPECT_EQ(panel.Canvas().size(), QSize(248, 238));
    EXPECT_FALSE(panel.Drawn());
    panel.ReleaseCanvas();
    EXPECT_FALSE(panel.HasCanvas());
}

TEST(LivePanelCanvas, FontsHaveTheTableSizes) {
    CTestCtrl panel;
    for (size_t i = 0; i < qx::kPanelFonts.size(); ++i) {
        const QFont& f = panel.Font(static_cast<qx::PanelFont>(i));
        const QFontMetricsF m(f);
        EXPECT_NEAR(m.height(), qx::kPanelFonts[i].height, 2.0) << "F" << i + 1;
        EXPECT_NEAR(m.averageCharWidth(), qx::kPanelFonts[i].width, 1.5) << "F" << i + 1;
    }
    EXPECT_GE(panel.Font(qx::PanelFont::F4).weight(), QFont::Black);
    EXPECT_GE(panel.Font(qx::PanelFont::F1).weight(), QFont::ExtraBold);
    EXPECT_EQ(panel.Font(qx::PanelFont::F2).weight(), QFont::Normal);
}

TEST(LivePanelDrawing, FramesLinesAndTextsInTheStateColour) {
    for (const qx::PanelColour pc :
         {qx::LivePanelTextColour(false, true), qx::LivePanelTextColour(true, false),
          qx::LivePanelTextColour(true, true)}) {
        const QColor c = CTestCtrl::ToQColor(pc);
        CTestCtrl panel;
        panel.EnsureCanvas(1);
        panel.DrawLivePanel(TypeOneTexts(), 1, c);
        const QImage& image = panel.Canvas();
        EXPECT_EQ(At(image, 120, 17), c);  // header line
        EXPECT_EQ(At(image, 120, 77), c);  // line below the first box
        EXPECT_EQ(At(image, 0, 30), c);    // left edge of the first box
        EXPECT_EQ(At(image, 80, 100), c);  // right edge of the second box
        EXPECT_EQ(At(image, 18, 30), c);   // split at x = 18
        // The value, unit and header texts are drawn in the colour: their rectangles hold
        // pixels of it that the picture under them does not.
        const qx::LivePanelLayout l = qx::MakeLivePanelLayout(1);
        const QImage background = BackgroundOnly(1);
        for (const qx::PanelRect& r : {l.valueRows[0].value, l.valueRows[0].unit, l.header})
            EXPECT_GT(CountNear(image, r, c), CountNear(background, r, c));
        // The background is the picture's display window, not the text colour.
        EXPECT_NE(At(image, 100, 130), c);
    }
}

TEST(LivePanelDrawing, CrossedLimitIsInverted) {
    const QColor c(0, 0, 0);
    const QColor alarm = CTestCtrl::ToQColor(qx::kPanelAlarmColour);
    CTestCtrl panel;
    panel.EnsureCanvas(1);
    panel.DrawLivePanel(TypeOneTexts(), 1, c);
    const QImage& image = panel.Canvas();
    const qx::LivePanelLayout l = qx::MakeLivePanelLayout(1);
    const qx::PanelRect high = l.boxes[0].lowerRight;  // high limit 25, crossed
    const qx::PanelRect low = l.boxes[0].upperRight;   // low limit 0, not crossed
    // The crossed part is filled with the text colour, its text in the alarm colour: nothing
    // in it but mixes of the two, and some of the text in the alarm colour itself.
    EXPECT_EQ(At(image, high.left + 2, high.bottom - 2), c);
    EXPECT_EQ(At(image, high.right - 3, high.top + 1), c);
    EXPECT_TRUE(OnlyMixesOf(image, high, c, alarm));
    EXPECT_GT(CountNear(image, high, alarm, 8), 0);
    EXPECT_EQ(CountNear(image, low, alarm, 8), 0);
    EXPECT_NE(At(image, low.left + 2, low.bottom - 2), c);
    EXPECT_GT(CountNear(image, low, c), 10);

    // The sound limits of model 7 invert the same way.
    LiveStatusTexts t;
    t.sound = "72.4";
    t.soundLow = "40";
    t.soundHigh = "70";
    t.soundHighAlarm = true;
    panel.DrawLivePanel(t, 7, c);
    const qx::PanelRect soundHigh = qx::MakeLivePanelLayout(7).boxes[0].lowerRight;
    EXPECT_TRUE(OnlyMixesOf(panel.Canvas(), soundHigh, c, alarm));
    EXPECT_GT(CountNear(panel.Canvas(), soundHigh, alarm, 8), 0);
}

TEST(LivePanelDrawing, EmptyAlarmedPartIsOnlyFramed) {
    LiveStatusTexts t = TypeOneTexts();
    t.temperatureHigh.clear();
    CTestCtrl panel;
    panel.EnsureCanvas(1);
    panel.DrawLivePanel(t, 1, Qt::black);
    const qx::PanelRect high = qx::MakeLivePanelLayout(1).boxes[0].lowerRight;
    EXPECT_NE(At(panel.Canvas(), high.left + 10, high.top + 10), QColor(Qt::black));
}

TEST(LivePanelBackground, PictureCentredAndOffsetKept) {
    CTestCtrl panel;
    EXPECT_EQ(panel.PanelXOffset(), 20);
    QImage window(400, 400, QImage::Format_RGB32);
    window.fill(Qt::magenta);
    {
        QPainter p(&window);
        panel.DrawPanelBackground(p, QRect(0, 40, 322, 360), 400, 1);
    }
    EXPECT_EQ(panel.PanelXOffset(), 11 + 24);
    EXPECT_EQ(panel.CanvasPosition(QRect(0, 40, 322, 360)), QPoint(35, 70));
    // Texture everywhere in the area, nothing outside it.
    EXPECT_NE(At(window, 5, 399), QColor(Qt::magenta));
    EXPECT_EQ(At(window, 330, 300), QColor(Qt::magenta));
    EXPECT_EQ(At(window, 5, 20), QColor(Qt::magenta));
    const QImage picture = qx::InstrumentPicture(1).toImage();
    EXPECT_EQ(At(window, 11 + 150, 39 + 100), QColor(picture.pixel(150, 100)));

    // Narrower than the picture: texture only, the offset stays.
    QImage narrow(400, 400, QImage::Format_RGB32);
    narrow.fill(Qt::magenta);
    {
        QPainter p(&narrow);
        panel.DrawPanelBackground(p, QRect(0, 40, 250, 360), 400, 6);
    }
    EXPECT_EQ(panel.PanelXOffset(), 35);
    const QImage texture = qx::PanelTexture().toImage();
    EXPECT_EQ(At(narrow, 100, 40 + 100), QColor(texture.pixel(100 % 30, 100 % 38)));
}

// Pictures of the panel with live values read from simulated instruments, some limits crossed
// (the high limit set below the reading).
TEST(LivePanelScreenshots, ModelsOnSimulatedInstruments) {
    for (qx::InstrumentTypeId type : {1, 4, 6, 7, 8, 11}) {
        qx::test::PanelBench bench({type});
        qx::InstrumentSimulator& sim = bench.Sim();
        const qx::LiveStatus before = sim.Status();
        qx::ParamBlock p = sim.SetParams();
        const uint16_t reading = before.U16(qx::live::kValue);
        p.SetU16(qx::param::kHighLimit, static_cast<uint16_t>(reading - 15));
        if (type == 8) p.SetU16(qx::param::kGasLimit, static_cast<uint16_t>(before.U16(23) - 50));
        if (type == 11) p.SetU16(qx::param::kGasLimit, static_cast<uint16_t>(before.U16(23) - 2));
        if (type == 6) p.SetU8(qx::param::kUnitByte, 0x20);  // mmHg
        sim.SetSetParams(p);
        bench.view.FirstShow(true, 1);
        ASSERT_TRUE(bench.ConnectAndRefresh()) << type;
        ASSERT_TRUE(bench.state.liveValid);
        const CTestCtrl& panel = bench.view.Panel();
        ASSERT_TRUE(panel.Drawn());
        EXPECT_EQ(panel.Canvas().height(), qx::LivePanelHeight(type));

        const qx::LiveStatusTexts texts = qx::MakeLiveStatusTexts(bench.state.live, type);
        const bool soundOnly = type == 7;
        EXPECT_TRUE(soundOnly ? texts.soundHighAlarm : texts.temperatureHighAlarm) << type;
        const qx::PanelRect crossed = qx::MakeLivePanelLayout(type).boxes[0].lowerRight;
        EXPECT_GT(CountNear(panel.Canvas(), crossed, CTestCtrl::ToQColor(qx::kPanelAlarmColour), 8),
                  0)
            << type;

        QPixmap picture = qx::InstrumentPicture(type);
        {
            QPainter p(&picture);
            p.drawImage(qx::DisplayWindowRect(type).topLeft(), panel.Canvas());
        }
        const QString path = ScreenshotPath(QStringLiteral("live_panel_model%1.png").arg(type));
        if (!path.isEmpty()) {
            EXPECT_TRUE(picture.save(path)) << path.toStdString();
        }
    }
}

}  // namespace
