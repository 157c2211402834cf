// The compiled-in pictures: sizes, the display window the live panel copies, icon sets; and
// the font helper the windows use.
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include "gui/common/app_fonts.h"
#include "gui/common/app_pictures.h"

namespace qx {
namespace {

TEST(AppPictures, InstrumentPicturesAndTheirDisplayWindow) {
    EXPECT_EQ(InstrumentPicture(1).size(), QSize(300, 197));
    EXPECT_EQ(InstrumentPicture(6).size(), QSize(300, 300));
    EXPECT_EQ(InstrumentPicture(0).size(), QSize(300, 197));
    EXPECT_EQ(InstrumentPicture(12).size(), QSize(300, 197));
    EXPECT_EQ(DisplayWindowRect(6), QRect(24, 31, 248, 238));
    EXPECT_EQ(DisplayWindowRect(11), QRect(24, 31, 248, 139));

    // The window is an opaque pale LCD on which the panel's darkest text colour, (100,120,60),
    // stands out, and it is framed by the dark recess exactly one pixel outside it.
    const QColor dimText(100, 120, 60);
    for (int type : {1, 6}) {
        const QImage image =
            InstrumentPicture(type).toImage().convertToFormat(QImage::Format_ARGB32);
        const QRect lcd = DisplayWindowRect(type);
        for (int y = lcd.top(); y <= lcd.bottom(); ++y) {
            for (int x = lcd.left(); x <= lcd.right(); ++x) {
                const QColor c = image.pixelColor(x, y);
                ASSERT_EQ(c.alpha(), 255) << x << "," << y;
                ASSERT_GT(c.lightness() - dimText.lightness(), 60) << x << "," << y;
                ASSERT_GE(c.green(), c.blue()) << x << "," << y;  // greenish, not blue
            }
        }
        for (int x = lcd.left(); x <= lcd.right(); ++x) {
            EXPECT_LT(image.pixelColor(x, lcd.top() - 1).lightness(), 40);
            EXPECT_LT(image.pixelColor(x, lcd.bottom() + 1).lightness(), 40);
        }
        for (int y = lcd.top(); y <= lcd.bottom(); ++y) {
            EXPECT_LT(image.pixelColor(lcd.left() - 1, y).lightness(), 40);
            EXPECT_LT(image.pixelColor(lcd.right() + 1, y).lightness(), 40);
        }
        // The corners of the case are see-through, so the texture shows around it.
        EXPECT_EQ(image.pixelColor(0, 0).alpha(), 0);
    }
}

TEST(AppPictures, TextureTilesWithoutSeams) {
    const QImage tile = PanelTexture().toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(tile.size(), QSize(30, 38));
    // Neighbouring pixels across the tile's wrap differ no more than neighbours inside it.
    auto diff = [](const QColor& a, const QColor& b) {
        return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) +
               std::abs(a.blue() - b.blue());
    };
    int inside = 0, across = 0;
    for (int y = 0; y < 38; ++y) {
        for (int x = 0; x + 1 < 30; ++x)
            inside = std::max(inside, diff(tile.pixelColor(x, y), tile.pixelColor(x + 1, y)));
        across = std::max(across, diff(tile.pixelColor(29, y), tile.pixelColor(0, y)));
    }
    for (int x = 0; x < 30; ++x) {
        for (int y = 0; y + 1 < 38; ++y)
            inside = std::max(inside, diff(tile.pixelColor(x, y), tile.pixelColor(x, y + 1)));
        across = std::max(across, diff(tile.pixelColor(x, 37), tile.pixelColor(x, 0)));
    }
    EXPECT_LE(across, inside);
}

TEST(AppPictures, StatusToolbarNavigationAndCaptionPictures) {
    for (int i = 0; i < kStatusIconCount; ++i)
        EXPECT_EQ(StatusIcon(i).size(), QSize(16, 16)) << i;
    EXPECT_TRUE(StatusIcon(-1).isNull());
    EXPECT_TRUE(StatusIcon(10).isNull());
    // The blinking pair must look different.
    EXPECT_NE(StatusIcon(kStatusLive).toImage(), StatusIcon(kStatusConnected).toImage());

    for (int id : {kCmdConnect, kCmdDisconnect, kCmdOpen, kCmdExport, kCmdReceiveData,
                   kCmdSetParams, kCmdCalibrateClock, kCmdRefresh, kCmdAbout}) {
        const QIcon icon = CommandIcon(id);
        ASSERT_FALSE(icon.isNull()) << id;
        EXPECT_TRUE(icon.availableSizes().contains(QSize(16, 16))) << id;
        EXPECT_TRUE(icon.availableSizes().contains(QSize(32, 32))) << id;
    }
    // A 16-pixel toolbar icon on a screen of twice the density is the 32-pixel drawing, not
    // the small one scaled up.
    const QIcon open = CommandIcon(kCmdOpen);
    const QImage sharp = open.pixmap(QSize(16, 16), 2.0).toImage();
    EXPECT_EQ(sharp.size(), QSize(32, 32));
    EXPECT_EQ(sharp.convertToFormat(QImage::Format_ARGB32),
              QImage(QStringLiteral(":/qxlog/toolbar_open@2x.png"))
                  .convertToFormat(QImage::Format_ARGB32));
    EXPECT_EQ(
        open.pixmap(QSize(16, 16), 1.0).toImage().convertToFormat(QImage::Format_ARGB32),
        QImage(QStringLiteral(":/qxlog/toolbar_open.png")).convertToFormat(QImage::Format_ARGB32));
    EXPECT_TRUE(CommandIcon(32793).isNull());  // read parameters has no button

    for (int view = 0; view < 4; ++view)
        EXPECT_EQ(NavigationIcon(view).pixmap(32, 32).size(), QSize(32, 32));
    EXPECT_TRUE(NavigationIcon(4).isNull());

    EXPECT_EQ(CaptionPicture(1, 7).size(), QSize(16, 16));
    EXPECT_NE(CaptionPicture(1, 7).toImage(), CaptionPicture(2, 7).toImage());
    EXPECT_NE(CaptionPicture(3, 7).toImage(), CaptionPicture(0, 7).toImage());
    EXPECT_EQ(CaptionPicture(0, -1).toImage(), StatusIcon(kStatusNotConnected).toImage());
    EXPECT_EQ(CaptionPicture(0, 1).toImage(), StatusIcon(kStatusLive).toImage());

    const QList<QSize> sizes = ProgramIcon().availableSizes();
    for (int s : {16, 32, 48, 256})
        EXPECT_TRUE(sizes.contains(QSize(s, s))) << s;
}

TEST(AppFonts, FaceTablesHeightWidthAndWeight) {
    const QFont f3 = MakeFont(QStringLiteral("Courier New"), 60, 20, 700);
    EXPECT_EQ(f3.pixelSize(), 60);
    EXPECT_EQ(f3.weight(), 700);
    EXPECT_NEAR(QFontMetricsF(f3).averageCharWidth(), 20.0, 3.0);
    // Weights above the scale are passed as the heaviest.
    EXPECT_EQ(MakeFont(QStringLiteral("Courier New"), 36, 14, 1100).weight(), 1000);
    const QFont song = SongFont(14);
    EXPECT_EQ(song.pixelSize(), 14);
    EXPECT_EQ(song.families().front(), QStringLiteral("宋体"));
    EXPECT_GT(song.families().size(), 1);  // stand-ins where 宋体 is not installed
}

}  // namespace
}  // namespace qx

namespace qx {
namespace {

int InkPixels(const QFont& font, const QString& text) {
    QImage image(80, 60, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setFont(font);
    p.setPen(Qt::black);
    p.drawText(image.rect(), Qt::AlignCenter, text);
    p.end();
    int ink = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            ink += qGray(image.pixel(x, y)) < 128;
    return ink;
}

TEST(AppFonts, TemperatureUnitsAreDrawn) {
    // Some installed CJK faces carry empty "℃"/"℉" glyphs; the stand-in order avoids them.
    for (const QFont& font : {MakeFont(QStringLiteral("Courier New"), 36, 14, 1000),
                              MakeFont(QStringLiteral("Courier New"), 18, 9, 400), SongFont(16)}) {
        EXPECT_GT(InkPixels(font, QStringLiteral("℃")), 10) << qPrintable(font.family());
        EXPECT_GT(InkPixels(font, QStringLiteral("℉")), 10) << qPrintable(font.family());
    }
}

}  // namespace
}  // namespace qx
