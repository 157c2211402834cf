#include "frame_commands.h"

#include <QCoreApplication>

namespace qx {

bool CommandEnabled(int id, const CommandState& s) {
    switch (id) {
        case cmd::kConnect:
            return !s.connected;
        case cmd::kDisconnect:
        case cmd::kReadParams:
        case cmd::kCalibrateClock:
        case cmd::kReceiveData:
        case cmd::kRefreshQuery:
            return s.connected;
        case cmd::kSetParams:
            return s.connected && s.statusOk;
        case cmd::kExport:
        case cmd::kCopyGraph:
        case cmd::kPrint:
        case cmd::kPrintPreview:
            return s.recordLoaded;
        case cmd::kSave:
            return s.recordLoaded && s.recordUnsaved;
        default:
            return true;
    }
}

QString CommandText(int id) {
    const char* text = nullptr;
    switch (id) {
        case cmd::kOpen:
            text = QT_TRANSLATE_NOOP("qx::CMainFrame", "打开(&O)...\tCtrl+O");
            break;
        case cmd::kSave:
            text = QT_TRANSLATE_NOOP("qx::CMainFrame", "保存(&S)...\tCtrl+S");
            break;
        case cmd::kExport:
            text = QT_TRANSLATE_NOOP("qx::CMainFrame", "导出(&E)...");
            break;
        case cmd::kCopyGraph:
            text = QT_TRANSLATE_NOOP("qx::CMainFrame", "复制图形到剪贴板(&C)");
            break;
        case cmd::kPrint:
            text = QT_TRANSLATE_NOOP("qx::CMainFrame", "打印(&P)...\tCtrl+P");
            break;
        case cmd::kPrintPreview:
            text = QT_TRANSLATE_NOOP("qx::CMainFrame", "打印预览(&V)...");
            break;
        case cmd::kPrintSetup:
            text = QT_TRANSLATE_NOOP("qx::CMainFrame", "打印设置(&R)...");
            break;
        case cmd::kExit:
            text = QT_TRANSLATE_NOOP("qx::CMainFrame", "退出(&X)");
            break;
        case cmd::kConnect:
            text = QT_TRANSLATE_NOOP("qx::CMainFrame", "连接测试仪(&C)");
            break;
        case cmd::kDisconnect:
            text = QT_TRANSLATE_NOOP("qx::CMainFrame", "断开连接(&D)");
            break;
        case cmd::kReadParams:
            text = QT_TRANSLATE_NOOP("qx::CMainFrame", "读入参数(&I)");
            break;
        case cmd::kSetParams:
            text = QT_TRANSLATE_NOOP("qx::CMainFrame", "设置参数(&S)...");
            break;
        case cmd::kCalibrateClock:
            text = QT_TRANSLATE_NOOP("qx::CMainFrame", "校正时钟(&T)");
            break;
        case cmd::kReceiveData:
            text = QT_TRANSLATE_NOOP("qx::CMainFrame", "接收数据(&R)");
            break;
        case cmd::kRefreshQuery:
            text = QT_TRANSLATE_NOOP("qx::CMainFrame", "刷新(&F)");
            break;
        case cmd::kStopRecord:
            text = QT_TRANSLATE_NOOP("qx::CMainFrame", "停止记录(&P)");
            break;
        case cmd::kHelp:
            text = QT_TRANSLATE_NOOP("qx::CMainFrame", "操作说明(&H)\tF1");
            break;
        case cmd::kToolBar:
            text = QT_TRANSLATE_NOOP("qx::CMainFrame", "工具栏(&T)");
            break;
        case cmd::kStatusBar:
            text = QT_TRANSLATE_NOOP("qx::CMainFrame", "状态栏(&S)");
            break;
        case cmd::kCaptionBar:
            text = QT_TRANSLATE_NOOP("qx::CMainFrame", "标题栏(&C)");
            break;
        case cmd::kStatistics:
            text = QT_TRANSLATE_NOOP("qx::CMainFrame", "统计(&A)");
            break;
        case cmd::kAbout:
            text = QT_TRANSLATE_NOOP("qx::CMainFrame", "关于(&A)...");
            break;
        default:
            break;
    }
    return text ? QCoreApplication::translate("qx::CMainFrame", text) : QString();
}

}  // namespace qx
