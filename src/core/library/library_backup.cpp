#include "library_backup.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>

#include "core/model/language.h"
#include "core/model/local_time.h"
#include "core/model/system_error_text.h"
#include "core/model/text_util.h"
#include "library_location.h"
#include "library_texts.h"
#include "server_location.h"
#include "sqlite_library_store.h"

extern char** environ;

namespace qx {
namespace {

namespace fs = std::filesystem;

BackupResult Failed(std::string message, std::string reason = {}) {
    BackupResult r;
    r.message = std::move(message);
    r.reason = std::move(reason);
    return r;
}

bool SyncFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

// Runs a program with its arguments; the exit status, or -1 when it cannot be started. Its
// output goes to a file beside the copy, read back for the reason.
int Run(const std::vector<std::string>& argv, const std::string& outputPath) {
    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    pid_t pid = 0;
    const int rc = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) return -1;
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

std::string ReadSmall(const std::string& path) {
    std::string text;
    if (FILE* f = std::fopen(path.c_str(), "rb")) {
        char buffer[4096];
        const size_t n = std::fread(buffer, 1, sizeof buffer, f);
        text.assign(buffer, n);
        std::fclose(f);
    }
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    return text;
}

// The database a connection string names, for the copy's name: the path of an address, or
// dbname=...; "library" when it names none.
std::string DatabaseName(const std::string& location) {
    std::string name;
    if (IsServerLocation(location)) {
        const size_t scheme = location.find("://");
        const size_t slash = location.find('/', scheme + 3);
        if (slash != std::string::npos) {
            name = location.substr(slash + 1);
            name = name.substr(0, name.find_first_of("?#"));
        }
    } else if (const size_t at = location.find("dbname="); at != std::string::npos) {
        name = location.substr(at + 7);
        name = name.substr(0, name.find(' '));
    }
    std::string safe;
    for (char c : name)
        safe += (std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_') ? c : '_';
    return safe.empty() ? "library" : safe;
}

}  // namespace

std::string BackupFileName(const std::string& stem, const std::string& extension, int64_t now) {
    return stem + "-" + FormatLocalTime(now, "%Y%m%d-%H%M%S") + extension;
}

std::vector<std::string> BackupCopies(const std::vector<std::string>& names,
                                      const std::string& stem, const std::string& extension) {
    std::vector<std::string> copies;
    for (const std::string& n : names) {
        // STEM-YYYYMMDD-HHMMSS.EXT: the digits sort as the times do.
        if (n.size() != stem.size() + 16 + extension.size() || !n.starts_with(stem + "-") ||
            !n.ends_with(extension))
            continue;
        const std::string stamp = n.substr(stem.size() + 1, 15);
        bool digits = stamp[8] == '-';
        for (size_t i = 0; i < stamp.size(); ++i)
            if (i != 8) digits = digits && std::isdigit(static_cast<unsigned char>(stamp[i]));
        if (digits) copies.push_back(n);
    }
    std::sort(copies.begin(), copies.end());
    return copies;
}

BackupResult BackupLibrary(const std::string& location, const std::string& dir, int keep,
                           int64_t now) {
    const std::string shown = RedactedLocation(location);
    const bool server = IsServerLocation(location) || location.find('=') != std::string::npos;
    std::error_code ec;
    fs::create_directories(dir, ec);
    if (ec || !fs::is_directory(dir))
        return Failed(StrFormat(Tr("不能建立备份文件夹 %s。"), dir.c_str()), ec.message());

    std::string stem, extension;
    if (server) {
        stem = DatabaseName(location);
        extension = ".dump";
    } else {
        // Opened first as a library: a missing file, another kind of file or a damaged library
        // is said so in the library's words, and nothing is copied.
        OpenedLibrary opened = OpenLibrary(location, LibraryOpen::kExisting);
        if (!opened.library) return Failed(opened.message);
        opened.library.reset();
        const fs::path p(location);
        stem = p.stem().string();
        extension = p.has_extension() ? p.extension().string() : ".sqlite";
    }
    BackupResult result;
    result.path = (fs::path(dir) / BackupFileName(stem, extension, now)).string();
    if (fs::exists(result.path, ec))
        return Failed(StrFormat(Tr("备份 %s 已经存在,没有改动它。"), result.path.c_str()));
    const std::string part = result.path + ".part";
    fs::remove(part, ec);

    std::string problem;
    if (server) {
        const std::string log = part + ".log";
        // pg_dump reads the connection string as libpq does (PG* variables, ~/.pgpass); a
        // password written into the location is, as everywhere, better kept in ~/.pgpass.
        int rc = Run({"pg_dump", "-Fc", "-f", part, "-d", location}, log);
        if (rc == -1)
            problem = Tr("没有找到 pg_dump (Debian 的 postgresql-client 软件包)。");
        else if (rc != 0)
            problem = WithoutPasswords(ReadSmall(log), location);
        if (problem.empty() && Run({"pg_restore", "--list", part}, log) != 0)
            problem = Tr("备份读不回来: ") + ReadSmall(log);
        fs::remove(log, ec);
    } else {
        problem = SqliteLibraryStore::CopyFile(location, part);
    }
    if (problem.empty() && !SyncFile(part)) problem = SystemErrorText(errno);
    if (problem.empty() && ::rename(part.c_str(), result.path.c_str()) != 0)
        problem = SystemErrorText(errno);
    if (!problem.empty()) {
        fs::remove(part, ec);
        return Failed(
            StrFormat(Tr("记录库 %s 的备份没有做成,没有留下不完整的备份。"), shown.c_str()),
            problem);
    }
    SyncFile(dir);
    result.bytes = static_cast<int64_t>(fs::file_size(result.path, ec));
    result.ok = true;

    if (keep > 0) {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir, ec))
            names.push_back(entry.path().filename().string());
        std::vector<std::string> copies = BackupCopies(names, stem, extension);
        const size_t surplus = copies.size() > static_cast<size_t>(keep)
                                   ? copies.size() - static_cast<size_t>(keep)
                                   : 0;
        for (size_t i = 0; i < surplus; ++i) {
            const fs::path old = fs::path(dir) / copies[i];
            if (old.string() == result.path) continue;
            if (fs::remove(old, ec)) result.removed.push_back(old.string());
        }
    }
    return result;
}

}  // namespace qx
