// The texts the instrument commands show, exactly as the program words them. The constants are
// the untranslated texts: whoever shows one passes it through Tr().
#pragma once

#include <cstdint>
#include <string>

#include "core/model/language.h"

namespace qx::msg {

inline constexpr const char* kConnected = TrNoop("连接到设备.");
inline constexpr const char* kNoDevice = TrNoop("没发现有效设备!");
inline constexpr const char* kNoParams = TrNoop("仪器没有参数信息,可能是一台新用的设备!");
inline constexpr const char* kMeasuring = TrNoop("测试仪正在进行数据测量...");
inline constexpr const char* kPressButton =
    TrNoop("如要开始记录数据，请按测试仪上的按钮一次，将进行数据测量.");
inline constexpr const char* kRecordingNoClock = TrNoop("仪器正在做采样记录工作,不能更新时钟!");
inline constexpr const char* kClockOk = TrNoop("校正仪器时钟OK.");
inline constexpr const char* kClockFailed = TrNoop("通讯出错，不能校正仪器时钟!");
inline constexpr const char* kNotRecording = TrNoop("没有进行记录数据,不需要停止!");
inline constexpr const char* kAskStop = TrNoop("要停止记录数据吗?");
inline constexpr const char* kAskDownload = TrNoop("确定要下载数据吗?");
inline constexpr const char* kNoRecording = TrNoop("没有数据记录,不能下载!");
inline constexpr const char* kDownloadFailed = TrNoop("下载出错!");
// A failed write of new settings (the editor had closed with OK).
inline constexpr const char* kWriteFailed = TrNoop("通讯出错，不能设置仪器参数!");
// The settings were sent but could not be read back to check them.
inline constexpr const char* kReadBackFailed = TrNoop("参数已写入仪器, 但通讯出错, 不能读回检查!");

// The two messages with arguments, in the current language.
// Before new settings are written over a recording that still holds `count` samples.
std::string AskClearRecordingMessage(uint32_t count);

// The instrument is attached but this user may not open its device node.
std::string AccessDeniedMessage(const std::string& devicePath);

}  // namespace qx::msg
