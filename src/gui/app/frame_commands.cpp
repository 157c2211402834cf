#include "frame_commands.h"

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
        default:
            return true;
    }
}

QString CommandText(int id) {
    const char* text = nullptr;
    switch (id) {
        case cmd::kOpen:
            text = "打开(&O)...\tCtrl+O";
            break;
        case cmd::kExport:
            text = "导出(&E)...";
            break;
        case cmd::kCopyGraph:
            text = "复制图形到剪贴板(&C)";
            break;
        case cmd::kPrint:
            text = "打印(&P)...\tCtrl+P";
            break;
        case cmd::kPrintPreview:
            text = "打印预览(&V)...";
            break;
        case cmd::kPrintSetup:
            text = "打印设置(&R)...";
            break;
        case cmd::kExit:
            text = "退出(&X)";
            break;
        case cmd::kConnect:
            text = "连接测试仪(&C)";
            break;
        case cmd::kDisconnect:
            text = "断开连接(&D)";
            break;
        case cmd::kReadParams:
            text = "读入参数(&I)";
            break;
        case cmd::kSetParams:
            text = "设置参数(&S)...";
            break;
        case cmd::kCalibrateClock:
            text = "校正时钟(&T)";
            break;
        case cmd::kReceiveData:
            text = "接收数据(&R)";
            break;
        case cmd::kRefreshQuery:
            text = "刷新(&F)";
            break;
        case cmd::kStopRecord:
            text = "停止记录(&P)";
            break;
        case cmd::kHelp:
            text = "操作说明(&H)\tF1";
            break;
        case cmd::kToolBar:
            text = "工具栏(&T)";
            break;
        case cmd::kStatusBar:
            text = "状态栏(&S)";
            break;
        case cmd::kCaptionBar:
            text = "标题栏(&C)";
            break;
        case cmd::kStatistics:
            text = "统计(&A)";
            break;
        case cmd::kAbout:
            text = "关于(&A)...";
            break;
        default:
            break;
    }
    return text ? QString::fromUtf8(text) : QString();
}

}  // namespace qx
