// The main window's commands: their ids (menus, toolbar, the device panel's buttons and the
// internal commands share one number space), the menu texts, and the rule that enables each
// command from the window's state. The window asks CommandEnabled for every action after each
// state change and on its idle timer.
#pragma once

#include <QString>

namespace qx {

namespace cmd {
// Instrument commands.
inline constexpr int kConnect = 32790;         // "连接测试仪(&C)"
inline constexpr int kDisconnect = 32789;      // "断开连接(&D)"
inline constexpr int kReadParams = 32793;      // "读入参数(&I)"
inline constexpr int kSetParams = 32775;       // "设置参数(&S)..."
inline constexpr int kCalibrateClock = 32785;  // "校正时钟(&T)"
inline constexpr int kReceiveData = 32776;     // "接收数据(&R)"
inline constexpr int kRefreshQuery = 32788;    // "刷新(&F)": status read now
inline constexpr int kStopRecord = 32798;      // "停止记录(&P)": stop the recording
inline constexpr int kRecvTestData = 32787;    // the download itself, posted internally
// Commands the main window sends to the device panel.
inline constexpr int kUpdataControl = 32779;
inline constexpr int kRefreshDisp = 32783;
// Files and records.
inline constexpr int kOpen = 57601;          // "打开(&O)...\tCtrl+O"
inline constexpr int kSave = 57603;          // "保存(&S)...\tCtrl+S": an unsaved download
inline constexpr int kExport = 32795;        // "导出(&E)..."
inline constexpr int kCopyGraph = 32796;     // "复制图形到剪贴板(&C)"
inline constexpr int kPrint = 57607;         // "打印(&P)...\tCtrl+P"
inline constexpr int kPrintPreview = 57609;  // "打印预览(&V)..."
inline constexpr int kPrintSetup = 57606;    // "打印设置(&R)..."
inline constexpr int kRecentFirst = 57616;   // the recent files, 57616 + i
inline constexpr int kRecentLast = 57631;
inline constexpr int kExit = 57665;  // "退出(&X)"
// Bars and views (the application looks 210..218 are in app_look.h).
inline constexpr int kToolBar = 59392;     // "工具栏(&T)"
inline constexpr int kStatusBar = 59393;   // "状态栏(&S)"
inline constexpr int kCaptionBar = 221;    // "标题栏(&C)"
inline constexpr int kStatistics = 32799;  // "统计(&A)": the record browser's statistics panel
inline constexpr int kViewFirst = 312;     // 312..315: show view 0..3 (Ctrl+1..4)
inline constexpr int kViewLast = 315;
inline constexpr int kAbout = 57664;  // "关于(&A)..."
inline constexpr int kHelp = 57670;   // "操作说明(&H)\tF1": show the help view
}  // namespace cmd

// What the enable rules look at.
struct CommandState {
    bool connected = false;      // an instrument is chosen
    bool statusOk = false;       // the last status read succeeded
    bool recordLoaded = false;   // a record is shown by the record browser
    bool recordUnsaved = false;  // ... a download whose record file could not be written
};

// The enable rule of a command id: connect while not connected; disconnect, read parameters,
// calibrate clock, receive data and refresh while connected; set parameters while connected
// with a good status; export, copy graph, print and preview while a record is loaded; save
// while the record shown is an unsaved download; every other command always.
bool CommandEnabled(int id, const CommandState& state);

// The menu text of a command id ("&" marks the mnemonic, "\t" the shortcut); empty for ids
// without a menu entry.
QString CommandText(int id);

}  // namespace qx
