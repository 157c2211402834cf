// What the record library tells the user, in the current language: why a library cannot be
// used, what adding a file did, the state of a record file.
#pragma once

#include <string>
#include <vector>

#include "core/model/language.h"
#include "library_types.h"
#include "record_library.h"

namespace qx {

// The message for a failed library operation, naming the library's location; a damaged library
// is to be rebuilt, a newer one is left alone.
std::string LibraryErrorMessage(const std::string& location, const LibraryError& error);

// The lines that report an addition: what it brought, then a line for conflicts and one for
// overlaps; for a failure its message, and the reason on a line of its own when there is one.
std::vector<std::string> AddResultLines(const AddResult& result);

// What a download says when its saved record file could not be added to the library: the file
// is saved, the library is not (kNotAddedText with the path); then the result's message and
// reason on lines of their own.
inline constexpr const char* kNotAddedText = TrNoop("记录文件 %s 已保存,但没有加入记录库:");
std::string NotAddedMessage(const AddResult& result);

// What a download says when its record file went into the local library but not to the
// server; the server's message and reason follow on lines of their own.
inline constexpr const char* kServerMissedText = TrNoop(
    "记录文件 %s 已保存并加入本机记录库,但记录库服务器没有收到它; 服务器能连接时 "
    "qxlog-cli library sync (或 qxlog 的 记录库 → 同步到服务器) 会发送它:");

// One line for an overlap of two recordings: the instrument, the stretch and its length, the
// recording kept and the one set aside with the samples the history leaves out.
std::string OverlapLine(const LibraryOverlap& overlap);

// One line for a damaged run: the instrument, the recording and the time its row gives, and
// what is wrong with it.
std::string DamagedRunLine(const DamagedRun& run);

// "存在", "缺失", "已移动", "已改变".
const char* FileStateText(FileState state);
// The state as a list shows it: FileStateText, or "在 lab-2 上" for a file of another PC.
std::string FileStateLabel(const SourceFile& file);
// present, missing, moved, changed: for scripts, in every language.
const char* FileStateId(FileState state);

}  // namespace qx
