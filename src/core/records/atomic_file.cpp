#include "atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>

#include "core/model/language.h"
#include "core/model/system_error_text.h"
#include "core/model/text_util.h"

namespace qx {
namespace {

std::string DirectoryOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

// Opens a new file beside target with a name nobody else uses (O_EXCL), with the usual
// permissions of a new file (0666 less the umask) or the given ones. Returns the descriptor, -1
// on failure.
int CreateTempBeside(const std::string& target, std::string& tempPath, mode_t mode = 0666) {
    static std::atomic<unsigned> counter{0};
    std::random_device rd;
    const std::string dir = DirectoryOf(target);
    const size_t slash = target.rfind('/');
    const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    for (int attempt = 0; attempt < 16; ++attempt) {
        const std::string candidate =
            StrFormat("%s/.%s.%d-%u-%08x.tmp", dir.c_str(), name.c_str(),
                      static_cast<int>(getpid()), counter.fetch_add(1), rd());
        const int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0) {
            tempPath = candidate;
            return fd;
        }
        if (errno != EEXIST) return -1;
    }
    return -1;
}

// A failed step with the path and the system's reason for errno: the formats "不能写入 %s: %s"
// ("cannot write"), "不能替换 %s: %s" ("cannot replace") and "不能在 %s 中建立文件: %s".
std::string Reason(const char* format, const std::string& path) {
    const std::string why = SystemErrorText(errno);
    return StrFormat(format, path.c_str(), why.c_str());
}
std::string CannotWrite(const std::string& path) {
    return Reason(Tr("不能写入 %s: %s"), path);
}
std::string CannotReplace(const std::string& path) {
    return Reason(Tr("不能替换 %s: %s"), path);
}
std::string CannotCreateIn(const std::string& dir) {
    return Reason(Tr("不能在 %s 中建立文件: %s"), dir);
}

bool WriteAll(int fd, std::string_view bytes) {
    const char* p = bytes.data();
    size_t left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        p += n;
        left -= static_cast<size_t>(n);
    }
    return true;
}

// Makes the rename itself durable; a failure here does not undo the replacement.
void SyncDirectory(const std::string& target) {
    const int dfd = ::open(DirectoryOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd < 0) return;
    ::fsync(dfd);
    ::close(dfd);
}

bool SyncAndRename(const std::string& temp, const std::string& target, std::string& error) {
    const int fd = ::open(temp.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error = CannotWrite(target);
        return false;
    }
    if (::fsync(fd) != 0) {
        error = CannotWrite(target);
        ::close(fd);
        return false;
    }
    ::close(fd);
    if (::rename(temp.c_str(), target.c_str()) != 0) {
        error = CannotReplace(target);
        return false;
    }
    SyncDirectory(target);
    return true;
}

}  // namespace

bool ReplaceFile(const std::string& path, std::string_view bytes, std::string* error) {
    return ReplaceFileWithMode(path, bytes, error, 0666);
}

bool ReplacePrivateFile(const std::string& path, std::string_view bytes, std::string* error) {
    return ReplaceFileWithMode(path, bytes, error, 0600);
}

bool ReplaceFileWithMode(const std::string& path, std::string_view bytes, std::string* error,
                         unsigned mode) {
    std::string why;
    bool ok = false;
    std::string temp;
    if (path.empty()) {
        why = Tr("没有文件名");
    } else if (const int fd = CreateTempBeside(path, temp, static_cast<mode_t>(mode)); fd < 0) {
        why = CannotCreateIn(DirectoryOf(path));
    } else {
        RemovalOnSignal removal(temp, RemovalKind::kAnyFile);
        ok = WriteAll(fd, bytes) && ::fsync(fd) == 0;
        if (!ok) why = CannotWrite(path);
        if (::close(fd) != 0 && ok) {
            why = CannotWrite(path);
            ok = false;
        }
        if (ok && ::rename(temp.c_str(), path.c_str()) != 0) {
            why = CannotReplace(path);
            ok = false;
        }
        if (!ok) ::unlink(temp.c_str());
    }
    if (!ok) {
        if (error) *error = why;
        return false;
    }
    SyncDirectory(path);
    return true;
}

PendingFile::PendingFile(const std::string& target) : target_(target) {
    if (target.empty()) {
        error_ = Tr("没有文件名");
        return;
    }
    std::string temp;
    const int fd = CreateTempBeside(target, temp);
    if (fd < 0) {
        error_ = CannotCreateIn(DirectoryOf(target));
        return;
    }
    ::close(fd);
    tempPath_ = temp;
    removal_ = RemovalOnSignal(temp, RemovalKind::kAnyFile);
}

PendingFile::~PendingFile() {
    if (!committed_ && !tempPath_.empty()) ::unlink(tempPath_.c_str());
}

bool PendingFile::Commit() {
    if (tempPath_.empty() || committed_) return false;
    committed_ = SyncAndRename(tempPath_, target_, error_);
    if (committed_) removal_.Drop();
    return committed_;
}

ReplacingFile::ReplacingFile(const std::string& target) : target_(target) {
    if (target.empty()) {
        error_ = Tr("没有文件名");
        return;
    }
    fd_ = CreateTempBeside(target, tempPath_);
    if (fd_ < 0) error_ = CannotCreateIn(DirectoryOf(target));
}

ReplacingFile::~ReplacingFile() {
    if (fd_ >= 0) ::close(fd_);
    if (!committed_ && !tempPath_.empty()) ::unlink(tempPath_.c_str());
}

bool ReplacingFile::Write(std::string_view bytes) {
    if (!ok()) return false;
    if (!WriteAll(fd_, bytes)) error_ = CannotWrite(target_);
    return ok();
}

bool ReplacingFile::Commit() {
    if (!ok() || committed_) return false;
    bool done = ::fsync(fd_) == 0;
    if (!done) error_ = CannotWrite(target_);
    if (::close(fd_) != 0 && done) {
        error_ = CannotWrite(target_);
        done = false;
    }
    fd_ = -1;
    if (done && ::rename(tempPath_.c_str(), target_.c_str()) != 0) {
        error_ = CannotReplace(target_);
        done = false;
    }
    if (!done) return false;
    committed_ = true;
    SyncDirectory(target_);
    return true;
}

}  // namespace qx
