// The texts the main window builds from its state: the view names, the caption bar text, the
// document title that the window caption shows, and the connection pane of the status bar.
#pragma once

#include <QString>

#include "core/model/instrument_catalogue.h"

namespace qx {

inline constexpr int kViewCount = 4;
inline constexpr int kDevicePanelView = 0;
inline constexpr int kRecordView = 1;
inline constexpr int kHelpView = 2;
inline constexpr int kLibraryView = 3;

// "仪器通讯", "记录查询", "操作说明", "记录库" (also the navigation buttons' labels); empty
// otherwise.
QString ViewName(int view);

// The caption bar: "%s  %s" with the view's name and the view's own title; a download shown
// but not yet saved is marked after it, "  (未保存)".
QString CaptionBarText(int view, const QString& viewTitle, bool unsaved = false);

// The base name of a record file: after the last '\' or '/', before the last '.'
// ("D:\data\room1.2.QXRec" gives "room1.2").
QString RecordBaseName(const QString& path);

// The document title: for the record browser while a record is loaded "%s[%s]" with the view
// name and the record's base name ("记录查询[room1]"), otherwise the view name. A download not
// yet saved is marked: "记录查询[room1](未保存)".
QString DocumentTitle(int view, bool recordLoaded, const QString& recordPath, bool unsaved = false);

// The window caption: the document title, then the application title "QX软件".
QString WindowCaption(const QString& documentTitle);

// The connection pane: "%s:连接<%s>" with the model's display name and "联机" while the status
// reads succeed, else "未联机"; "没发现设备" while no instrument is chosen. In English
// "QX450: connected", "QX450: connected, not responding" and "Not connected".
QString ConnectionPaneText(bool connected, bool statusOk, InstrumentTypeId type);

}  // namespace qx
