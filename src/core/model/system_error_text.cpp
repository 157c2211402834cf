#include "system_error_text.h"

#include <cerrno>
#include <cstring>

#include "language.h"

namespace qx {
namespace {

struct ErrorText {
    int errnum;
    const char* text;
};

// The English of each text is the C library's (strerror in the C locale).
constexpr ErrorText kErrorTexts[] = {
    {ENOENT, TrNoop("没有那个文件或目录")},
    {EACCES, TrNoop("权限不够")},
    {EPERM, TrNoop("不允许的操作")},
    {EISDIR, TrNoop("是一个目录")},
    {ENOTDIR, TrNoop("不是目录")},
    {ENOSPC, TrNoop("设备上没有空间")},
    {EDQUOT, TrNoop("超出磁盘限额")},
    {EROFS, TrNoop("只读文件系统")},
    {EFBIG, TrNoop("文件过大")},
    {EIO, TrNoop("输入/输出错误")},
    {ENAMETOOLONG, TrNoop("文件名过长")},
    {ELOOP, TrNoop("符号链接的层数过多")},
    {EMFILE, TrNoop("打开的文件过多")},
    {ENFILE, TrNoop("系统中打开的文件过多")},
    {EBUSY, TrNoop("设备或资源忙")},
    {ENOMEM, TrNoop("无法分配内存")},
    {EEXIST, TrNoop("文件已存在")},
    {ENXIO, TrNoop("没有那个设备或地址")},
    {ENODEV, TrNoop("没有那个设备")},
};

}  // namespace

std::string SystemErrorText(int errnum) {
    for (const ErrorText& e : kErrorTexts) {
        if (e.errnum == errnum) return Tr(e.text);
    }
    return std::strerror(errnum);
}

}  // namespace qx
