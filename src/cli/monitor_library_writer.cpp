#include "monitor_library_writer.h"

#include <cstdio>
#include <utility>

#include "core/library/library_location.h"
#include "core/library/library_sync.h"
#include "core/library/library_texts.h"
#include "core/library/server_location.h"
#include "core/model/language.h"
#include "core/model/text_util.h"

namespace qx::cli {
namespace {

constexpr const char* kServerMissedReadings = TrNoop(
    "读数已写入本机记录库, 但记录库服务器没有收到它们; 服务器又能连接时 monitor "
    "会发送它们 (qxlog-cli library sync 也会):");
constexpr const char* kServerCaughtUp =
    TrNoop("记录库服务器又能连接了: 它没有收到的读数已发送, 新样本 %lld 个");
constexpr const char* kServerRefusedReadings = TrNoop(
    "读数已写入本机记录库, 但记录库服务器拒绝了它们; 再试也一样, 所以 monitor 不再向它发送. "
    "管理员处理后, qxlog-cli library sync 会发送它们:");
// How long a library server that failed is left alone before it is tried again.
constexpr int64_t kServerRetrySeconds = 300;

}  // namespace

bool LiveLibraryWriter::Flush(LiveReadings& pending) {
    if (pending.times.empty()) return true;
    LiveAddResult result;
    if (!library_.AddLive(pending, result)) {
        // The readings stay pending and are tried again with the next ones.
        const LibraryError& error = library_.Error();
        if (!writeFailed_) {
            std::fprintf(stderr, "%s\n", LibraryErrorMessage(library_.Location(), error).c_str());
            if (!error.detail.empty()) std::fprintf(stderr, "%s\n", error.detail.c_str());
        }
        writeFailed_ = true;
        if (error.fault == LibraryFault::kDamaged || error.fault == LibraryFault::kNewer ||
            error.fault == LibraryFault::kNotLibrary || error.fault == LibraryFault::kUnsupported)
            fatal_ = true;
        return false;
    }
    writeFailed_ = false;
    Send(pending);
    pending.Clear();
    return true;
}

void LiveLibraryWriter::Send(const LiveReadings& readings) {
    if (serverLocation_.empty() || serverRefused_) return;
    const int64_t now = now_();
    std::string message, reason;
    LibraryFault fault = LibraryFault::kNone;
    if (!server_ && (!serverTried_ || now - *serverTried_ >= kServerRetrySeconds)) {
        serverTried_ = now;
        OpenedLibrary opened = OpenLibrary(serverLocation_, LibraryOpen::kCreate);
        server_ = std::move(opened.library);
        message = opened.message;
        reason = opened.error.detail;
        fault = opened.error.fault;
    }
    LiveAddResult result;
    if (server_ && server_->AddLive(readings, result)) {
        // Back after missing readings: what it missed goes from the local library, as
        // library sync sends it; a sync that fails is tried again with the next readings.
        if (!serverMissed_) return;
        const SyncResult sync = SyncLibrary(library_, *server_);
        if (!sync.failed) {
            serverMissed_ = false;
            std::fprintf(
                stderr, "%s\n",
                StrFormat(Tr(kServerCaughtUp), static_cast<long long>(sync.samples)).c_str());
            return;
        }
        server_.reset();
        serverTried_ = now;
        return;
    }
    if (server_) {
        message = LibraryErrorMessage(server_->Location(), server_->Error());
        reason = server_->Error().detail;
        fault = server_->Error().fault;
        server_.reset();  // opened again at the next try
        serverTried_ = now;
    }
    // A refusal (a permission, a missing table) stays until the administrator mends it:
    // trying every few minutes would only repeat it.
    serverRefused_ = fault == LibraryFault::kRefused || fault == LibraryFault::kLacking;
    if (!serverRefused_ && std::exchange(serverMissed_, true)) return;
    serverMissed_ = true;
    message = WithoutPasswords(message, serverLocation_);
    reason = WithoutPasswords(reason, serverLocation_);
    std::fprintf(stderr, "%s\n",
                 Tr(serverRefused_ ? kServerRefusedReadings : kServerMissedReadings));
    if (!message.empty()) std::fprintf(stderr, "%s\n", message.c_str());
    if (!reason.empty()) std::fprintf(stderr, "%s\n", reason.c_str());
}

}  // namespace qx::cli
