// Application looks: style, palette, bar accents and the stored "ApplicationLook".
#include <QApplication>
#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QSettings>
#include <QStyle>
#include <QStyleFactory>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include "gui/app/app_look.h"
#include "gui/app/app_settings.h"

namespace qx {
namespace {

int StoredLook() {
    QSettings store{QLatin1String(AppSettings::kOrganisation),
                    QLatin1String(AppSettings::kApplication)};
    return store.value("Workspace/ApplicationLook", -1).toInt();
}

// The style under the look's style sheet: the application owns it, named by its factory key.
QString BaseStyleKey() {
    for (const QStyle* style : qApp->findChildren<QStyle*>())
        if (!style->inherits("QStyleSheetStyle") && !style->name().isEmpty())
            return style->name().toLower();
    return QApplication::style()->name().toLower();
}

class AppLookTest : public ::testing::Test {
  protected:
    void TearDown() override { ApplyApplicationLook(kDefaultLook); }
};

TEST_F(AppLookTest, EveryLookCommandHasANameStyleAndDistinctPalette) {
    QSet<QRgb> windows;
    for (int id = kLookFirst; id <= kLookLast; ++id) {
        EXPECT_TRUE(IsLookId(id));
        EXPECT_FALSE(LookName(id).isEmpty()) << id;
        EXPECT_TRUE(QStyleFactory::keys().contains(LookStyleKey(id), Qt::CaseInsensitive)) << id;
        windows.insert(LookPalette(id).color(QPalette::Window).rgb());
    }
    EXPECT_EQ(windows.size(), kLookLast - kLookFirst + 1);
    EXPECT_FALSE(IsLookId(209));
    EXPECT_FALSE(IsLookId(219));
    EXPECT_EQ(LookName(215), QStringLiteral("Office 2007 (蓝色)"));
}

TEST_F(AppLookTest, ApplyingALookSetsTheApplicationAndStoresIt) {
    ASSERT_TRUE(ApplyApplicationLook(216));
    EXPECT_EQ(CurrentApplicationLook(), 216);
    EXPECT_EQ(StoredLook(), 216);
    EXPECT_LT(QApplication::palette().color(QPalette::Window).lightness(), 100);
    EXPECT_EQ(BaseStyleKey(), "fusion");
    EXPECT_FALSE(QGuiApplication::overrideCursor());  // the wait cursor is gone again

    if (QStyleFactory::keys().contains("Windows", Qt::CaseInsensitive)) {
        ASSERT_TRUE(ApplyApplicationLook(210));
        EXPECT_EQ(BaseStyleKey(), "windows");
        EXPECT_EQ(StoredLook(), 210);
    }

    ASSERT_TRUE(ApplyApplicationLook(215));
    EXPECT_EQ(QApplication::palette().color(QPalette::Window), QColor(0xDF, 0xE9, 0xF5));
    EXPECT_EQ(BaseStyleKey(), "fusion");
}

TEST_F(AppLookTest, UnknownLookChangesNothing) {
    ASSERT_TRUE(ApplyApplicationLook(217));
    const QColor window = QApplication::palette().color(QPalette::Window);
    EXPECT_FALSE(ApplyApplicationLook(219));
    EXPECT_FALSE(ApplyApplicationLook(0));
    EXPECT_EQ(CurrentApplicationLook(), 217);
    EXPECT_EQ(StoredLook(), 217);
    EXPECT_EQ(QApplication::palette().color(QPalette::Window), window);
}

TEST_F(AppLookTest, CaptionBarAccentReachesABarByItsName) {
    for (int id : {215, 216}) {
        ASSERT_TRUE(ApplyApplicationLook(id));
        QFrame bar;
        bar.setObjectName(QLatin1String(kCaptionBarObjectName));
        auto* layout = new QVBoxLayout(&bar);
        layout->addWidget(new QLabel(QStringLiteral("仪器通讯")));
        bar.resize(300, 40);
        bar.show();
        const QImage image = bar.grab().toImage();
        const LookColours& c = LookColoursOf(id);
        auto near = [](const QColor& a, const QColor& b) {
            return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) +
                       std::abs(a.blue() - b.blue()) <=
                   12;
        };
        EXPECT_TRUE(near(image.pixelColor(290, 1), c.captionTop)) << id;
        EXPECT_TRUE(near(image.pixelColor(290, 37), c.captionBottom)) << id;
        EXPECT_EQ(image.pixelColor(290, 39), c.captionBorder) << id;
    }
}

}  // namespace
}  // namespace qx
