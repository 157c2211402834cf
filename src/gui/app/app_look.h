// The application looks, commands 210..218. Each is a Qt style with a palette and colour
// accents for the caption bar and the navigation bar:
//
//   210 Windows 2000        Qt "Windows" style (Fusion where it is missing), classic grey
//   211 Office XP           Fusion, white-grey with lilac-blue selection
//   212 Windows XP          Fusion, beige with XP blue
//   213 Office 2003         Fusion, light blue bars with amber selection
//   214 Visual Studio 2005  Fusion, warm grey
//   215 Office 2007 blue    Fusion, light blue (the look of every start)
//   216 Office 2007 black   Fusion, dark
//   217 Office 2007 silver  Fusion, silver grey
//   218 Office 2007 aqua    Fusion, blue-green
//
// The accents reach the bars by object name: the main window names its caption bar
// kCaptionBarObjectName and its navigation bar kNavigationBarObjectName (both QFrame or with
// Qt::WA_StyledBackground; navigation buttons are checkable QToolButtons, the caption text a
// QLabel). LookColours() gives the same colours to windows that paint bars themselves.
#pragma once

#include <QColor>
#include <QPalette>
#include <QString>

namespace qx {

inline constexpr int kLookFirst = 210;
inline constexpr int kLookLast = 218;
inline constexpr int kDefaultLook = 215;
inline constexpr const char* kCaptionBarObjectName = "qxCaptionBar";
inline constexpr const char* kNavigationBarObjectName = "qxNavigationBar";

struct LookColours {
    QColor captionTop, captionBottom, captionText, captionBorder;
    QColor navTop, navBottom, navText, navBorder;
    QColor navHoverTop, navHoverBottom;
    QColor navCheckedTop, navCheckedBottom, navCheckedText;
};

bool IsLookId(int id);
// "Office 2007 (蓝色)", ...; empty for an id outside 210..218.
QString LookName(int id);
// The Qt style key of a look ("Fusion" or "Windows").
QString LookStyleKey(int id);
// Palette of a look; the default look's for an id outside 210..218 (the same for the two
// functions below).
QPalette LookPalette(int id);
const LookColours& LookColoursOf(int id);
QString LookStyleSheet(int id);

// Applies look `id` to the whole application with the wait cursor shown meanwhile: style,
// palette and bar accents, every window repainted; then writes "ApplicationLook" = id to the
// workspace section of the settings. An id outside 210..218 changes nothing and returns false.
bool ApplyApplicationLook(int id);
// The look applied last; 0 before the first.
int CurrentApplicationLook();

}  // namespace qx
