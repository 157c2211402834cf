// The texts the instrument commands show, exactly as the program words them.
#pragma once

#include <cstdint>
#include <string>

namespace qx::msg {

inline constexpr const char* kConnected = "连接到设备.";
inline constexpr const char* kNoDevice = "没发现有效设备!";
inline constexpr const char* kNoParams = "仪器没有参数信息,可能是一台新用的设备!";
inline constexpr const char* kMeasuring = "测试仪正在进行数据测量...";
inline constexpr const char* kPressButton =
    "如要开始记录数据，请按测试仪上的按钮一次，将进行数据测量.";
inline constexpr const char* kRecordingNoClock = "仪器正在做采样记录工作,不能更新时钟!";
inline constexpr const char* kClockOk = "校正仪器时钟OK.";
inline constexpr const char* kClockFailed = "通讯出错，不能校正仪器时钟!";
inline constexpr const char* kNotRecording = "没有进行记录数据,不需要停止!";
inline constexpr const char* kAskStop = "要停止记录数据吗?";
inline constexpr const char* kAskDownload = "确定要下载数据吗?";
inline constexpr const char* kNoRecording = "没有数据记录,不能下载!";
inline constexpr const char* kDownloadFailed = "下载出错!";
// A failed write of new settings (the editor had closed with OK).
inline constexpr const char* kWriteFailed = "通讯出错，不能设置仪器参数!";

// Before new settings are written over a recording that still holds `count` samples.
std::string AskClearRecordingMessage(uint32_t count);

// The instrument is attached but this user may not open its device node.
std::string AccessDeniedMessage(const std::string& devicePath);

}  // namespace qx::msg
