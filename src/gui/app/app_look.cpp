#include "app_look.h"

#include <QApplication>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QStyle>
#include <QStyleFactory>
#include <QWidget>
#include <array>
#include <iterator>

#include "app_settings.h"

namespace qx {
namespace {

struct LookSpec {
    int id;
    const char* name;
    const char* style;
    // Palette: window, window text, base, alternate base, text, button, button text,
    // highlight, highlighted text, tool tip base, link, mid-dark shadow.
    unsigned window, windowText, base, alternateBase, text, button, buttonText, highlight,
        highlightedText, toolTipBase, link, dark;
    // Accents: caption top, bottom, text, border; navigation top, bottom, text, border,
    // hover top, bottom; checked top, bottom, text.
    unsigned captionTop, captionBottom, captionText, captionBorder, navTop, navBottom, navText,
        navBorder, navHoverTop, navHoverBottom, navCheckedTop, navCheckedBottom, navCheckedText;
};

// clang-format off
constexpr LookSpec kLooks[] = {
    {210, "Windows 2000", "Windows",
     0xD4D0C8, 0x000000, 0xFFFFFF, 0xF4F2EE, 0x000000, 0xD4D0C8, 0x000000, 0x0A246A, 0xFFFFFF, 0xFFFFE1, 0x0000FF, 0x808080,
     0x0A246A, 0xA6CAF0, 0xFFFFFF, 0x404040, 0xD4D0C8, 0xC2BEB6, 0x000000, 0x808080, 0xE4E1DA, 0xD4D0C8, 0xB5B2AB, 0xA9A59D, 0x000000},
    {211, "Office XP", "Fusion",
     0xF2F1EE, 0x000000, 0xFFFFFF, 0xF7F6F3, 0x000000, 0xEEEDE8, 0x000000, 0x316AC5, 0xFFFFFF, 0xFFFFE1, 0x0033CC, 0x8C8A82,
     0xFAF9F7, 0xDCDAD3, 0x1E1E1E, 0x8C8A82, 0xF7F6F3, 0xE2E0D9, 0x000000, 0x8C8A82, 0xD2D6E6, 0xC1C7DE, 0xB6BDD2, 0x9FA8C6, 0x000000},
    {212, "Windows XP", "Fusion",
     0xECE9D8, 0x000000, 0xFFFFFF, 0xF6F4EA, 0x000000, 0xF1EFE2, 0x000000, 0x316AC5, 0xFFFFFF, 0xFFFFE1, 0x0033CC, 0xACA899,
     0x0054E3, 0x3D95FF, 0xFFFFFF, 0x003DAE, 0xF4F3EE, 0xDDDACB, 0x000000, 0xACA899, 0xFFF4CF, 0xFCE29C, 0xFCD679, 0xF5BF4D, 0x000000},
    {213, "Office 2003", "Fusion",
     0xDCE7F7, 0x000000, 0xFFFFFF, 0xF1F6FD, 0x000000, 0xD5E4F9, 0x000000, 0x316AC5, 0xFFFFFF, 0xFFFFE1, 0x0033CC, 0x6A8CCB,
     0xE3EFFF, 0x87ADE4, 0x0F3A80, 0x3B619C, 0xE3EFFF, 0xA9C8F5, 0x0F3A80, 0x3B619C, 0xFFF4CC, 0xFFD690, 0xFFD38C, 0xFEA84C, 0x000000},
    {214, "Visual Studio 2005", "Fusion",
     0xEEEDE5, 0x000000, 0xFFFFFF, 0xF7F6F1, 0x000000, 0xF2F1EA, 0x000000, 0x316AC5, 0xFFFFFF, 0xFFFFE1, 0x0033CC, 0xA7A593,
     0xFBFAF6, 0xD8D5C6, 0x1E1E1E, 0xA7A593, 0xFBFAF6, 0xE2E0D3, 0x000000, 0xA7A593, 0xD3DDEE, 0xC1D2EE, 0xB1C6E8, 0x98B4E2, 0x000000},
    {215, QT_TRANSLATE_NOOP("qx::CMainFrame", "Office 2007 (蓝色)"), "Fusion",
     0xDFE9F5, 0x15283B, 0xFFFFFF, 0xF2F7FD, 0x111111, 0xD9E6F5, 0x15428B, 0x3A7BD5, 0xFFFFFF, 0xFFFFE7, 0x1F5DB5, 0x8DB2E3,
     0xE4EEFB, 0xC2D7F1, 0x15428B, 0x8DB2E3, 0xE3EFFF, 0xC4DDFF, 0x15428B, 0x8DB2E3, 0xFFF6D2, 0xFFE59B, 0xFFD96A, 0xFFBB3D, 0x15428B},
    {216, QT_TRANSLATE_NOOP("qx::CMainFrame", "Office 2007 (黑色)"), "Fusion",
     0x353535, 0xE8E8E8, 0x262626, 0x2E2E2E, 0xE8E8E8, 0x434343, 0xE8E8E8, 0x4C8FD6, 0xFFFFFF, 0x4A4A4A, 0x8CB8F0, 0x1E1E1E,
     0x5A5A5A, 0x2E2E2E, 0xFFFFFF, 0x111111, 0x4E4E4E, 0x333333, 0xEDEDED, 0x1B1B1B, 0x6A6A6A, 0x484848, 0xFFD96A, 0xF3A82E, 0x1A1A1A},
    {217, QT_TRANSLATE_NOOP("qx::CMainFrame", "Office 2007 (银色)"), "Fusion",
     0xE8EBEF, 0x1E2733, 0xFFFFFF, 0xF4F5F7, 0x111111, 0xDDE1E6, 0x1E2733, 0x6B8CB6, 0xFFFFFF, 0xFFFFE7, 0x2F5C9A, 0xA3AAB4,
     0xF4F5F7, 0xCDD2D9, 0x2E3C50, 0xA3AAB4, 0xF2F3F5, 0xD5DAE0, 0x2E3C50, 0xA3AAB4, 0xFFF6D2, 0xFFE59B, 0xFFD96A, 0xFFBB3D, 0x2E3C50},
    {218, QT_TRANSLATE_NOOP("qx::CMainFrame", "Office 2007 (水绿色)"), "Fusion",
     0xDCE9EC, 0x12343C, 0xFFFFFF, 0xF0F7F8, 0x111111, 0xCFE2E6, 0x12343C, 0x2E8BA0, 0xFFFFFF, 0xFFFFE7, 0x1C6F84, 0x8DBCC6,
     0xE6F2F4, 0xBCD9DF, 0x1E4E5A, 0x8DBCC6, 0xE4F1F3, 0xBFDCE2, 0x1E4E5A, 0x8DBCC6, 0xFFF6D2, 0xFFE59B, 0xFFD96A, 0xFFBB3D, 0x1E4E5A},
};
// clang-format on

const LookSpec& LookOf(int id) {
    for (const LookSpec& s : kLooks)
        if (s.id == id) return s;
    return LookOf(kDefaultLook);
}

QColor C(unsigned rgb) {
    return QColor(static_cast<int>((rgb >> 16) & 0xFF), static_cast<int>((rgb >> 8) & 0xFF),
                  static_cast<int>(rgb & 0xFF));
}

LookColours MakeColours(const LookSpec& s) {
    return LookColours{C(s.captionTop),     C(s.captionBottom), C(s.captionText),
                       C(s.captionBorder),  C(s.navTop),        C(s.navBottom),
                       C(s.navText),        C(s.navBorder),     C(s.navHoverTop),
                       C(s.navHoverBottom), C(s.navCheckedTop), C(s.navCheckedBottom),
                       C(s.navCheckedText)};
}

QString Gradient(const QColor& top, const QColor& bottom) {
    return QStringLiteral("qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 %1, stop:1 %2)")
        .arg(top.name(), bottom.name());
}

int g_currentLook = 0;

}  // namespace

bool IsLookId(int id) {
    return id >= kLookFirst && id <= kLookLast;
}

QString LookName(int id) {
    return IsLookId(id) ? QCoreApplication::translate("qx::CMainFrame", LookOf(id).name)
                        : QString();
}

QString LookStyleKey(int id) {
    const QString wanted = QLatin1String(LookOf(id).style);
    return QStyleFactory::keys().contains(wanted, Qt::CaseInsensitive) ? wanted
                                                                       : QStringLiteral("Fusion");
}

QPalette LookPalette(int id) {
    const LookSpec& s = LookOf(id);
    QPalette pal;
    const QColor window = C(s.window), text = C(s.text), button = C(s.button), dark = C(s.dark);
    const bool darkLook = window.lightness() < 128;
    pal.setColor(QPalette::Window, window);
    pal.setColor(QPalette::WindowText, C(s.windowText));
    pal.setColor(QPalette::Base, C(s.base));
    pal.setColor(QPalette::AlternateBase, C(s.alternateBase));
    pal.setColor(QPalette::Text, text);
    pal.setColor(QPalette::Button, button);
    pal.setColor(QPalette::ButtonText, C(s.buttonText));
    pal.setColor(QPalette::BrightText, Qt::red);
    pal.setColor(QPalette::Highlight, C(s.highlight));
    pal.setColor(QPalette::HighlightedText, C(s.highlightedText));
    pal.setColor(QPalette::ToolTipBase, C(s.toolTipBase));
    pal.setColor(QPalette::ToolTipText, darkLook ? QColor(Qt::white) : QColor(Qt::black));
    pal.setColor(QPalette::Link, C(s.link));
    pal.setColor(QPalette::LinkVisited, C(s.link).darker(130));
    pal.setColor(QPalette::PlaceholderText,
                 darkLook ? QColor(150, 150, 150) : QColor(120, 120, 120));
    pal.setColor(QPalette::Light, darkLook ? button.lighter(150) : QColor(Qt::white));
    pal.setColor(QPalette::Midlight, darkLook ? button.lighter(120) : button.lighter(110));
    pal.setColor(QPalette::Mid, darkLook ? button.darker(130) : button.darker(125));
    pal.setColor(QPalette::Dark, dark);
    pal.setColor(QPalette::Shadow, darkLook ? QColor(Qt::black) : dark.darker(160));
    // Disabled texts fade towards the window colour.
    const QColor faded = darkLook ? QColor(120, 120, 120) : QColor(140, 140, 140);
    for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        pal.setColor(QPalette::Disabled, role, faded);
    pal.setColor(QPalette::Disabled, QPalette::Highlight,
                 darkLook ? QColor(80, 80, 80) : QColor(190, 190, 190));
    return pal;
}

const LookColours& LookColoursOf(int id) {
    static const auto table = [] {
        std::array<LookColours, std::size(kLooks)> all{};
        for (size_t i = 0; i < std::size(kLooks); ++i)
            all[i] = MakeColours(kLooks[i]);
        return all;
    }();
    const int index = (IsLookId(id) ? id : kDefaultLook) - kLookFirst;
    return table[static_cast<size_t>(index)];
}

QString LookStyleSheet(int id) {
    const LookColours& c = LookColoursOf(id);
    const QString caption = QString::fromLatin1(kCaptionBarObjectName);
    const QString nav = QString::fromLatin1(kNavigationBarObjectName);
    QString sheet;
    sheet += QStringLiteral("#%1 { background: %2; border: none; border-bottom: 1px solid %3; }\n")
                 .arg(caption, Gradient(c.captionTop, c.captionBottom), c.captionBorder.name());
    sheet +=
        QStringLiteral("#%1 QLabel { color: %2; background: transparent; font-weight: bold; }\n")
            .arg(caption, c.captionText.name());
    sheet += QStringLiteral("#%1 { background: %2; border: 1px solid %3; }\n")
                 .arg(nav, Gradient(c.navTop, c.navBottom), c.navBorder.name());
    sheet += QStringLiteral("#%1 QLabel { color: %2; background: transparent; }\n")
                 .arg(nav, c.navText.name());
    sheet += QStringLiteral(
                 "#%1 QToolButton { color: %2; background: transparent; border: 1px solid "
                 "transparent; border-radius: 3px; padding: 4px; }\n")
                 .arg(nav, c.navText.name());
    sheet += QStringLiteral("#%1 QToolButton:hover { background: %2; border-color: %3; }\n")
                 .arg(nav, Gradient(c.navHoverTop, c.navHoverBottom), c.navBorder.name());
    sheet +=
        QStringLiteral("#%1 QToolButton:checked { color: %2; background: %3; border-color: %4; }\n")
            .arg(nav, c.navCheckedText.name(), Gradient(c.navCheckedTop, c.navCheckedBottom),
                 c.navCheckedBottom.darker(130).name());
    return sheet;
}

bool ApplyApplicationLook(int id) {
    if (!IsLookId(id)) return false;
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance())) {
        if (QStyle* style = QStyleFactory::create(LookStyleKey(id))) QApplication::setStyle(style);
        QApplication::setPalette(LookPalette(id));
        app->setStyleSheet(LookStyleSheet(id));
        for (QWidget* w : QApplication::topLevelWidgets())
            w->update();
    }
    g_currentLook = id;
    QGuiApplication::restoreOverrideCursor();
    AppSettings::WriteApplicationLook(id);
    return true;
}

int CurrentApplicationLook() {
    return g_currentLook;
}

}  // namespace qx
