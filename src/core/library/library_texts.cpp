#include "library_texts.h"

#include "core/model/language.h"
#include "core/model/local_time.h"
#include "core/model/text_util.h"
#include "core/records/number_text.h"
#include "server_location.h"

namespace qx {

std::string LibraryErrorMessage(const std::string& location, const LibraryError& error) {
    const std::string shown = RedactedLocation(location);
    const char* at = shown.c_str();
    switch (error.fault) {
        case LibraryFault::kMissing:
            return StrFormat(Tr("记录库 %s 不存在。"), at);
        case LibraryFault::kBusy:
            return StrFormat(Tr("记录库 %s 正被另一个程序使用,请稍后再试。"), at);
        case LibraryFault::kDamaged:
            return StrFormat(Tr("记录库 %s 已损坏,需要从记录文件重建。"), at);
        case LibraryFault::kNewer:
            return StrFormat(Tr("记录库 %s 由较新的程序建立(格式 %d),本程序只认识到格式 %d,"
                                "没有改动它。"),
                             at, error.version, kLibraryFormatVersion);
        case LibraryFault::kNotLibrary:
            return StrFormat(Tr("文件 %s 不是记录库。"), at);
        case LibraryFault::kFull:
            return StrFormat(Tr("磁盘已满,记录库 %s 没有改动。"), at);
        case LibraryFault::kUnsupported:
            return StrFormat(Tr("本程序不能打开这种记录库: %s"), at);
        case LibraryFault::kUnreachable:
            return StrFormat(Tr("不能连接记录库服务器 %s。"), at);
        case LibraryFault::kLoginRefused:
            return StrFormat(Tr("记录库服务器 %s 拒绝了登录,请检查用户名和密码 (~/.pgpass)。"), at);
        case LibraryFault::kNoDatabase:
            return StrFormat(Tr("记录库服务器上没有 %s 所指的数据库,需要由数据库管理员建立。"), at);
        case LibraryFault::kRefused:
            return StrFormat(Tr("记录库服务器 %s 拒绝了这个操作: 这个登录没有所需的权限,"
                                "需要由数据库管理员授予 (qxlog-library-roles.sql)。"),
                             at);
        case LibraryFault::kLacking:
            return StrFormat(Tr("记录库服务器 %s 拒绝了这个操作: 数据库缺少程序需要的表、列或"
                                "函数,需要由表的所有者更新。"),
                             at);
        case LibraryFault::kNone:
        case LibraryFault::kFailed:
            break;
    }
    return StrFormat(Tr("不能使用记录库 %s。"), at);
}

std::vector<std::string> AddResultLines(const AddResult& r) {
    const char* path = r.path.c_str();
    std::vector<std::string> lines;
    switch (r.status) {
        case AddStatus::kAdded:
            lines.push_back(StrFormat(Tr("%s: 已加入记录库,新样本 %lld 个,已有 %lld 个"), path,
                                      static_cast<long long>(r.added),
                                      static_cast<long long>(r.duplicates)));
            break;
        case AddStatus::kKnown:
            lines.push_back(StrFormat(Tr("%s: 已在记录库中"), path));
            break;
        case AddStatus::kCopy:
            lines.push_back(StrFormat(Tr("%s: 同样内容的文件已在记录库中,记下了这个位置"), path));
            break;
        case AddStatus::kUnreadable:
        case AddStatus::kRefused:
        case AddStatus::kFailed:
            lines.push_back(r.message);
            if (!r.reason.empty()) lines.push_back(r.reason);
            return lines;
    }
    if (r.conflicts > 0) {
        lines.push_back(StrFormat(Tr("%s: %lld 个样本与记录库中同一时间的样本不同,保留了先加入的"),
                                  path, static_cast<long long>(r.conflicts)));
    }
    if (r.overlaps > 0) {
        lines.push_back(StrFormat(Tr("%s: 与 %s 的另一个记录时间重叠,可能两台仪器用了同一编号"),
                                  path, InstrumentName(r.instrument).c_str()));
    }
    if (r.liveOverlaps > 0) {
        lines.push_back(
            StrFormat(Tr("%s: 与电脑记下的实时读数时间重叠,重叠处以仪器下载的样本为准"), path));
    }
    return lines;
}

std::string NotAddedMessage(const AddResult& result) {
    std::string text = StrFormat(Tr(kNotAddedText), result.path.c_str());
    for (const std::string& line : AddResultLines(result))
        text += "\n" + line;
    return text;
}

std::string OverlapLine(const LibraryOverlap& o) {
    const auto kind = [](const TimelineSpan& s) { return s.live ? Tr("实时读数") : Tr("下载"); };
    const TimeStretch& t = o.overlap.stretch;
    return StrFormat(
        Tr("%s 的记录重叠 %s至%s(%s):保留记录 %lld(%s),记录 %lld(%s)的 %lld 个样本不计入历史"),
        InstrumentName(o.instrument).c_str(), FormatLocalTime(t.first, "%Y-%m-%d %H:%M:%S").c_str(),
        FormatLocalTime(t.last, "%Y-%m-%d %H:%M:%S").c_str(),
        DurationText(static_cast<uint64_t>(t.last - t.first)).c_str(),
        static_cast<long long>(o.overlap.kept.recording), kind(o.overlap.kept),
        static_cast<long long>(o.overlap.setAside.recording), kind(o.overlap.setAside),
        static_cast<long long>(o.setAside));
}

std::string DamagedRunLine(const DamagedRun& d) {
    const std::string first = FormatLocalTime(d.first, "%Y-%m-%d %H:%M:%S");
    const std::string last = FormatLocalTime(d.last, "%Y-%m-%d %H:%M:%S");
    return StrFormat(d.shortBytes ? Tr("%s 的记录 %lld %s至%s: 记录库中这 %lld 个样本的数据不全,"
                                       "没有使用")
                                  : Tr("%s 的记录 %lld %s至%s: 记录库中这 %lld 个样本与校验和不符,"
                                       "没有使用"),
                     InstrumentName(d.instrument).c_str(), static_cast<long long>(d.recording),
                     first.c_str(), last.c_str(), static_cast<long long>(d.samples));
}

const char* FileStateText(FileState state) {
    switch (state) {
        case FileState::kPresent:
            return Tr("存在");
        case FileState::kMissing:
            return Tr("缺失");
        case FileState::kMoved:
            return Tr("已移动");
        case FileState::kChanged:
            return Tr("已改变");
        case FileState::kElsewhere:
            return Tr("在别的电脑上");
    }
    return "";
}

std::string FileStateLabel(const SourceFile& f) {
    if (f.state == FileState::kElsewhere && !f.file.host.empty())
        return StrFormat(Tr("在 %s 上"), f.file.host.c_str());
    return FileStateText(f.state);
}

const char* FileStateId(FileState state) {
    switch (state) {
        case FileState::kPresent:
            return "present";
        case FileState::kMissing:
            return "missing";
        case FileState::kMoved:
            return "moved";
        case FileState::kChanged:
            return "changed";
        case FileState::kElsewhere:
            return "elsewhere";
    }
    return "";
}

}  // namespace qx
