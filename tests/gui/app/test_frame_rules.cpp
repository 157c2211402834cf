// The main window's rules without a window: enable rules, texts of the caption, title and
// connection pane, and the blinking of the status icon.
#include <gtest/gtest.h>

#include "gui/app/frame_commands.h"
#include "gui/app/frame_texts.h"
#include "gui/app/status_blinker.h"
#include "gui/common/app_pictures.h"

namespace qx {
namespace {

TEST(FrameCommands, EnableRulesFollowConnectionStatusAndRecord) {
    const CommandState idle{false, false, false};
    const CommandState chosen{true, false, false};
    const CommandState live{true, true, false};
    const CommandState record{false, false, true};

    EXPECT_TRUE(CommandEnabled(cmd::kConnect, idle));
    EXPECT_FALSE(CommandEnabled(cmd::kConnect, chosen));
    for (int id : {cmd::kDisconnect, cmd::kReadParams, cmd::kCalibrateClock, cmd::kReceiveData,
                   cmd::kRefreshQuery}) {
        EXPECT_FALSE(CommandEnabled(id, idle)) << id;
        EXPECT_TRUE(CommandEnabled(id, chosen)) << id;
    }
    // Setting parameters also needs a status read that succeeded.
    EXPECT_FALSE(CommandEnabled(cmd::kSetParams, chosen));
    EXPECT_TRUE(CommandEnabled(cmd::kSetParams, live));
    EXPECT_FALSE(CommandEnabled(cmd::kSetParams, CommandState{false, true, false}));
    // The record browser's commands need a record.
    for (int id : {cmd::kExport, cmd::kCopyGraph, cmd::kPrint, cmd::kPrintPreview}) {
        EXPECT_FALSE(CommandEnabled(id, live)) << id;
        EXPECT_TRUE(CommandEnabled(id, record)) << id;
    }
    // Always: stop recording, open, print setup, views, bars, looks, recent files, about, exit.
    for (int id : {cmd::kStopRecord, cmd::kOpen, cmd::kPrintSetup, 312, 313, 314, cmd::kToolBar,
                   cmd::kStatusBar, cmd::kCaptionBar, 210, 218, cmd::kRecentFirst, cmd::kAbout,
                   cmd::kExit}) {
        EXPECT_TRUE(CommandEnabled(id, idle)) << id;
    }
}

TEST(FrameCommands, MenuTextsKeepMnemonicsAndShortcutColumn) {
    EXPECT_EQ(CommandText(cmd::kOpen), QStringLiteral("打开(&O)...\tCtrl+O"));
    EXPECT_EQ(CommandText(cmd::kPrint), QStringLiteral("打印(&P)...\tCtrl+P"));
    EXPECT_EQ(CommandText(cmd::kConnect), QStringLiteral("连接测试仪(&C)"));
    EXPECT_EQ(CommandText(cmd::kSetParams), QStringLiteral("设置参数(&S)..."));
    EXPECT_EQ(CommandText(cmd::kCaptionBar), QStringLiteral("标题栏(&C)"));
    EXPECT_TRUE(CommandText(cmd::kRecvTestData).isEmpty());
}

TEST(FrameTexts, ViewNamesAndCaptionBar) {
    EXPECT_EQ(ViewName(0), QStringLiteral("仪器通讯"));
    EXPECT_EQ(ViewName(1), QStringLiteral("记录查询"));
    EXPECT_EQ(ViewName(2), QStringLiteral("操作说明"));
    EXPECT_EQ(ViewName(3), QStringLiteral("记录库"));
    EXPECT_TRUE(ViewName(4).isEmpty());
    EXPECT_EQ(CaptionBarText(1, QStringLiteral("room1 总记录数:45")),
              QStringLiteral("记录查询  room1 总记录数:45"));
}

TEST(FrameTexts, DocumentTitleNamesTheRecordOnlyOnTheRecordBrowser) {
    const QString path = QStringLiteral("/home/user/DAT/room1.QXRec");
    EXPECT_EQ(DocumentTitle(1, true, path), QStringLiteral("记录查询[room1]"));
    EXPECT_EQ(DocumentTitle(2, true, path), QStringLiteral("操作说明"));
    EXPECT_EQ(DocumentTitle(0, true, path), QStringLiteral("仪器通讯"));
    EXPECT_EQ(DocumentTitle(1, false, path), QStringLiteral("记录查询"));
    // Only the last dot starts the extension; both separators end a folder.
    EXPECT_EQ(RecordBaseName(QStringLiteral("D:\\data\\room1.2.QXRec")), QStringLiteral("room1.2"));
    EXPECT_EQ(RecordBaseName(QStringLiteral("/tmp/a.b/plain")), QStringLiteral("plain"));
    EXPECT_EQ(WindowCaption(QStringLiteral("记录查询[room1]")),
              QStringLiteral("记录查询[room1] - QX软件"));
}

TEST(FrameTexts, ConnectionPane) {
    EXPECT_EQ(ConnectionPaneText(false, true, 2), QStringLiteral("没发现设备"));
    EXPECT_EQ(ConnectionPaneText(true, true, 2), QStringLiteral("QX450Meter:连接<联机>"));
    EXPECT_EQ(ConnectionPaneText(true, false, 6), QStringLiteral("QX7200Meter:连接<未联机>"));
    EXPECT_EQ(ConnectionPaneText(true, false, 0), QStringLiteral(":连接<未联机>"));
}

TEST(StatusBlinker, AlternatesLiveAndConnectedWhileTheStatusIsGood) {
    StatusBlinker b;
    EXPECT_EQ(b.Tick(1000, true, true), kStatusLive);       // phase A starts
    EXPECT_EQ(b.Tick(1500, true, true), kStatusLive);       // 500 ms: not yet more than 500
    EXPECT_EQ(b.Tick(1501, true, true), kStatusConnected);  // phase B
    EXPECT_EQ(b.RestPhaseStart(), 1501);
    EXPECT_EQ(b.LivePhaseStart(), -1);
    EXPECT_EQ(b.Tick(1801, true, true), kStatusConnected);
    EXPECT_EQ(b.Tick(1802, true, true), kStatusLive);  // more than 300 ms: phase A again
    EXPECT_EQ(b.LivePhaseStart(), 1802);
}

TEST(StatusBlinker, StopsBlinkingWhenTheStatusFails) {
    StatusBlinker b;
    b.Tick(0, true, true);
    EXPECT_EQ(b.Tick(100, false, true), kStatusConnected);
    EXPECT_EQ(b.LivePhaseStart(), -1);
    EXPECT_EQ(b.RestPhaseStart(), -1);
    EXPECT_EQ(b.Tick(200, false, false), kStatusNotConnected);
    // A good status afterwards starts with phase A.
    EXPECT_EQ(b.Tick(300, true, true), kStatusLive);
}

}  // namespace
}  // namespace qx
