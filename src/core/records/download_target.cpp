#include "download_target.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <utility>

#include "atomic_file.h"
#include "core/model/language.h"
#include "core/model/system_error_text.h"
#include "core/model/text_util.h"
#include "record_file.h"

namespace qx {
namespace {

std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string JoinPath(const std::string& dir, const std::string& name) {
    if (dir.empty()) return name;
    return dir.back() == '/' ? dir + name : dir + "/" + name;
}

// Opens the empty regular file at path and locks it, without waiting; -1 when it is not such a
// file or another holder has it locked.
int LockEmptyFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return -1;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size != 0 ||
        ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return -1;
    }
    // Emptied or replaced between the open and the lock: not the reservation it was.
    struct stat now {};
    if (::lstat(path.c_str(), &now) != 0 || now.st_ino != st.st_ino || now.st_dev != st.st_dev ||
        now.st_size != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

}  // namespace

std::string NumberedFileName(const std::string& name, int n) {
    if (n < 2) return name;
    const size_t dot = name.rfind('.');
    const size_t cut = dot == std::string::npos || dot == 0 ? name.size() : dot;
    return name.substr(0, cut) + "-" + std::to_string(n) + name.substr(cut);
}

std::string FreeNumberedPath(const std::string& dir, const std::string& name,
                             const std::function<bool(const std::string& path)>& taken) {
    for (int n = 1; n <= DownloadTarget::kMaxNumber; ++n) {
        std::string path = JoinPath(dir, NumberedFileName(name, n));
        if (!taken(path)) return path;
    }
    return {};
}

DownloadTarget::DownloadTarget(DownloadTarget&& other) noexcept {
    *this = std::move(other);
}

DownloadTarget& DownloadTarget::operator=(DownloadTarget&& other) noexcept {
    if (this == &other) return *this;
    Release();
    path_ = std::exchange(other.path_, {});
    created_ = std::exchange(other.created_, false);
    device_ = other.device_;
    inode_ = other.inode_;
    written_ = std::exchange(other.written_, false);
    fd_ = std::exchange(other.fd_, -1);
    removal_ = std::move(other.removal_);
    return *this;
}

bool DownloadTarget::IsAbandonedReservation(const std::string& path) {
    const int fd = LockEmptyFile(path);
    if (fd < 0) return false;
    ::close(fd);
    return true;
}

DownloadTarget DownloadTarget::NewFile(const std::string& path, std::string* error) {
    DownloadTarget target;
    std::string why;
    int fd = -1;
    if (path.empty()) {
        why = Tr("没有文件名");
    } else if (fd = ::open(path.c_str(), O_RDONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666); fd >= 0) {
        // Locked at once; a newcomer that locked it first took it as abandoned.
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            ::close(fd);
            fd = -1;
            errno = EEXIST;
        }
    } else if (errno == EEXIST) {
        fd = LockEmptyFile(path);  // an abandoned reservation is taken over
        errno = EEXIST;
    }
    if (fd >= 0) {
        struct stat st {};
        ::fstat(fd, &st);
        target.path_ = path;
        target.created_ = true;
        target.device_ = st.st_dev;
        target.inode_ = st.st_ino;
        target.fd_ = fd;
        target.removal_ = RemovalOnSignal(path, RemovalKind::kEmptyOnly);
    } else if (!path.empty()) {
        why = errno == EEXIST ? StrFormat(Tr("%s 已经存在: 下载从不替换文件"), path.c_str())
                              : StrFormat(Tr("不能在 %s 中建立文件: %s"), FolderOf(path).c_str(),
                                          SystemErrorText(errno).c_str());
    }
    if (!target.ok() && error) *error = why;
    return target;
}

DownloadTarget DownloadTarget::FreshIn(const std::string& dir, const std::string& name,
                                       std::string* error) {
    std::string why;
    for (int n = 1; n <= kMaxNumber; ++n) {
        const std::string path = JoinPath(dir, NumberedFileName(name, n));
        DownloadTarget target = NewFile(path, &why);
        if (target.ok()) return target;
        // Only a name taken by another file sends the search on to the next number.
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0) break;
    }
    if (error) *error = why;
    return {};
}

DownloadTarget DownloadTarget::Replacing(const std::string& path, std::string* error) {
    DownloadTarget target;
    struct stat st {};
    std::string why;
    if (path.empty()) {
        why = Tr("没有文件名");
    } else if (::stat(path.c_str(), &st) != 0) {
        why = StrFormat(Tr("不能替换 %s: %s"), path.c_str(), SystemErrorText(errno).c_str());
    } else if (!S_ISREG(st.st_mode)) {
        why = StrFormat(Tr("不能替换 %s: 不是文件"), path.c_str());
    } else if (PendingFile probe(path); !probe.ok()) {
        why = probe.Error();
    } else {
        target.path_ = path;
    }
    if (!target.ok() && error) *error = why;
    return target;
}

bool DownloadTarget::Write(RecordImage& image, InstrumentTypeId type, std::string* error) {
    if (!ok()) {
        if (error) *error = Tr("没有文件名");
        return false;
    }
    if (!WriteRecordFile(path_, image, type, error)) return false;
    // What the file holds now, against what was meant: the bytes as a reader gets them.
    const size_t length = RecordFileSize(image.Params(), type);
    auto copy = std::make_unique<RecordImage>();
    size_t read = 0;
    std::string why;
    if (!IsKnownModel(ReadRecordFile(path_, *copy, &read, &why))) {
        if (error) *error = StrFormat(Tr("不能读回 %s: %s"), path_.c_str(), why.c_str());
        return false;
    }
    if (read != length || std::memcmp(copy->bytes.data(), image.bytes.data(), length) != 0) {
        if (error) {
            *error = StrFormat(Tr("%s 读回的内容与写入的不同 (%zu / %zu 字节)"), path_.c_str(),
                               read, length);
        }
        return false;
    }
    removal_.Drop();
    written_ = true;
    return true;
}

void DownloadTarget::Release() {
    removal_.Drop();
    if (created_ && !written_) {
        struct stat st {};
        if (::lstat(path_.c_str(), &st) == 0 && st.st_dev == device_ && st.st_ino == inode_ &&
            st.st_size == 0) {
            ::unlink(path_.c_str());
        }
    }
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    path_.clear();
    created_ = false;
    written_ = false;
}

}  // namespace qx
