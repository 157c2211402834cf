#include "library_rebuild.h"

#include <algorithm>
#include <ctime>
#include <filesystem>

#include "core/model/language.h"
#include "core/model/local_time.h"
#include "core/model/text_util.h"
#include "library_location.h"
#include "library_texts.h"
#include "server_location.h"
#include "sqlite_library_store.h"

namespace qx {
namespace {

namespace fs = std::filesystem;

void RemoveDatabase(const std::string& path) {
    std::error_code ignored;
    for (const char* suffix : {"", "-wal", "-shm", "-journal"})
        fs::remove(path + suffix, ignored);
}

}  // namespace

RebuildResult RebuildLibrary(const std::string& location, std::span<const std::string> paths,
                             const std::function<void(const AddResult&)>& each) {
    RebuildResult result;
    const auto fail = [&](std::string message, std::string reason) {
        result.message = std::move(message);
        result.reason = std::move(reason);
        return result;
    };
    // A library on a server is kept by the server, never replaced by a file beside it.
    if (IsServerLocation(location)) {
        return fail(StrFormat(Tr("服务器上的记录库 %s 由服务器保管,不能从记录文件重建。"),
                              RedactedLocation(location).c_str()),
                    {});
    }
    // A library that is sound or damaged is rebuilt; anything else is left alone.
    LibraryError error;
    std::error_code fsError;
    const bool exists = fs::exists(location, fsError);
    if (exists) {
        if (!SqliteLibraryStore::Open(location, SqliteLibraryStore::OpenMode::kExisting, &error) &&
            error.fault != LibraryFault::kDamaged)
            return fail(LibraryErrorMessage(location, error), error.detail);
    }
    std::vector<std::string> sources = SqliteLibraryStore::SalvageFilePaths(location);
    sources.insert(sources.end(), paths.begin(), paths.end());
    if (sources.empty()) {
        return fail(
            StrFormat(Tr("记录库 %s 中读不出记录文件,请给出记录文件或文件夹。"), location.c_str()),
            {});
    }

    const std::string fresh = location + ".rebuilding";
    RemoveDatabase(fresh);  // left by a rebuild that did not finish
    {
        OpenedLibrary opened = OpenLibrary(fresh, LibraryOpen::kCreate);
        if (!opened.library) return fail(opened.message, opened.error.detail);
        result.added = opened.library->AddPaths(sources, each);
        for (const AddResult& r : result.added) {
            if (r.status == AddStatus::kFailed) {
                opened.library.reset();
                RemoveDatabase(fresh);
                return fail(r.message, r.reason);
            }
        }
    }  // closing the last connection folds the log into the file
    if (exists) {
        result.kept =
            location + "." + FormatLocalTime(std::time(nullptr), "%Y%m%d-%H%M%S") + ".old";
        fs::rename(location, result.kept, fsError);
        if (fsError) {
            RemoveDatabase(fresh);
            return fail(LibraryErrorMessage(location, {LibraryFault::kFailed, {}, 0}),
                        fsError.message());
        }
        std::error_code ignored;
        if (fs::exists(location + "-wal", ignored))
            fs::rename(location + "-wal", result.kept + "-wal", ignored);
        fs::remove(location + "-shm", ignored);
    }
    fs::rename(fresh, location, fsError);
    if (fsError)
        return fail(LibraryErrorMessage(location, {LibraryFault::kFailed, {}, 0}),
                    fsError.message());
    result.ok = true;
    return result;
}

}  // namespace qx
