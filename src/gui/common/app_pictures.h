// The program's pictures, compiled in from res/qxlog.qrc (drawn by res/tools). Every accessor
// registers the resources on first use, so nothing has to be initialised beforehand.
//
//   picture                       resource name                          size
//   instrument front              :/qxlog/instrument_front.png           300 x 197
//   instrument front, model 6     :/qxlog/instrument_front_flow.png      300 x 300
//   panel background tile         :/qxlog/panel_texture.png              30 x 38
//   status icon i (0..9)          :/qxlog/status_<i>.png                 16 x 16
//   toolbar icons                 :/qxlog/toolbar_<name>.png (+ @2x)     16 x 16 (32 x 32)
//   navigation icons              :/qxlog/nav_{instrument,records,help}.png   32 x 32
//   caption bar, views 1 and 2    :/qxlog/caption_{records,help}.png     16 x 16
//   program icon                  :/qxlog/app_icon_<n>.png, n = 16, 24, 32, 48, 64, 128, 256
#pragma once

#include <QIcon>
#include <QPixmap>
#include <QRect>
#include <QString>

#include "core/model/instrument_catalogue.h"

namespace qx {

// Status icons: the connection pane and, on the device panel, the caption bar show them.
enum StatusIconIndex : int {
    kStatusIdle = 0,
    kStatusLive = 1,  // blinking phase A while the status reads succeed
    kStatusReceiving = 2,
    kStatusSending = 3,
    kStatusBusy = 4,
    kStatusWarning = 5,
    kStatusAlarm = 6,
    kStatusConnected = 7,
    kStatusNotConnected = 8,
    kStatusError = 9,
};
inline constexpr int kStatusIconCount = 10;

// Command ids of the toolbar buttons.
enum ToolbarCommand : int {
    kCmdConnect = 32790,
    kCmdDisconnect = 32789,
    kCmdOpen = 57601,
    kCmdExport = 32795,
    kCmdReceiveData = 32776,
    kCmdSetParams = 32775,
    kCmdCalibrateClock = 32785,
    kCmdRefresh = 32788,
    kCmdAbout = 57664,
    kCmdStatistics = 32799,
};

// Instrument picture of a type: the flow meter's (300 x 300) for type 6, the common one
// (300 x 197) for every other value.
QString InstrumentPicturePath(InstrumentTypeId type);
QPixmap InstrumentPicture(InstrumentTypeId type);
// The display window of the instrument picture that the live panel copies as its canvas:
// (24, 31), 248 wide, 238 high for type 6 and 139 for every other value.
QRect DisplayWindowRect(InstrumentTypeId type);
// The 30 x 38 background tile of the panel area.
QPixmap PanelTexture();

// Status icon 0..9; a null pixmap for any other index.
QPixmap StatusIcon(int index);
// The icon of a toolbar command id (with its 32-pixel twin); a null icon for other ids.
QIcon CommandIcon(int commandId);
// Navigation button icon of view 0 (仪器通讯), 1 (记录查询), 2 (操作说明) or 3 (记录库); null
// otherwise.
QIcon NavigationIcon(int view);
// Caption bar picture: views 1, 2 and 3 have their own; view 0 shows the status icon, or
// status icon 8 while no status icon has been shown yet (statusIcon −1).
QPixmap CaptionPicture(int view, int statusIcon);
// The program icon in all its sizes.
QIcon ProgramIcon();

}  // namespace qx
