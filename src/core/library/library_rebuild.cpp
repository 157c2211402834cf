#include "library_rebuild.h"

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <memory>

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
                             const std::function<void(const AddResult&)>& each, bool dropMissing) {
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
    const std::vector<std::string> listed = SqliteLibraryStore::SalvageFilePaths(location);
    std::vector<std::string> sources = listed;
    sources.insert(sources.end(), paths.begin(), paths.end());
    if (sources.empty() && !exists) {
        return fail(
            StrFormat(Tr("记录库 %s 中读不出记录文件,请给出记录文件或文件夹。"), location.c_str()),
            {});
    }

    const std::string fresh = location + ".rebuilding";
    RemoveDatabase(fresh);  // left by a rebuild that did not finish
    const auto abandon = [&](std::string message, std::string reason) {
        RemoveDatabase(fresh);
        return fail(std::move(message), std::move(reason));
    };
    {
        OpenedLibrary opened = OpenLibrary(fresh, LibraryOpen::kCreate);
        if (!opened.library) return fail(opened.message, opened.error.detail);
        RecordLibrary& built = *opened.library;
        result.added = built.AddPaths(sources, each);
        for (const AddResult& r : result.added) {
            if (r.status == AddStatus::kFailed) {
                opened.library.reset();
                return abandon(r.message, r.reason);
            }
            if (!r.Ok() && std::find(listed.begin(), listed.end(), r.path) != listed.end())
                result.unread.push_back(r.path);
        }
        // What the old library holds goes over as a sync would send it: what the files
        // brought again is known, the rest is added.
        std::string unreadable;  // why the old library could not be read whole
        int64_t held = 0;
        if (exists) {
            LibraryError oldError;
            auto store = SqliteLibraryStore::Open(location, SqliteLibraryStore::OpenMode::kSalvage,
                                                  &oldError);
            std::vector<LibraryRecording> recordings;
            std::unique_ptr<RecordLibrary> old;
            if (!store) {
                unreadable = oldError.detail.empty() ? "cannot be opened" : oldError.detail;
            } else {
                old = std::make_unique<RecordLibrary>(std::move(store));
                if (!old->AllRecordings(recordings)) unreadable = old->Error().detail;
            }
            for (const LibraryRecording& r : recordings) {
                if (!unreadable.empty()) break;
                StoredRecording stored;
                if (!old->ReadStored(r, stored)) {
                    unreadable = old->Error().detail;
                    break;
                }
                held += r.totals.samples;
                StoredAddResult sent;
                if (!built.AddStored(stored, sent))
                    return abandon(LibraryErrorMessage(fresh, built.Error()), built.Error().detail);
                if (sent.added > 0) {
                    ++result.carried;
                    result.carriedSamples += sent.added;
                }
            }
        }
        int64_t holds = 0;
        std::vector<LibraryRecording> now;
        if (!built.AllRecordings(now))
            return abandon(LibraryErrorMessage(fresh, built.Error()), built.Error().detail);
        for (const LibraryRecording& r : now)
            holds += r.totals.samples;
        if (!unreadable.empty()) {
            if (!dropMissing) {
                opened.library.reset();
                return abandon(
                    StrFormat(Tr("记录库 %s 不能完整读出, 只在记录库中的样本 (实时读数、已不在的"
                                 "记录文件的样本) 重建后会丢失; 记录库没有改变。确认不要它们时, "
                                 "请加 --drop-missing 再运行。"),
                              location.c_str()),
                    unreadable);
            }
            result.dropped = -1;
        } else if (holds < held) {
            if (!dropMissing) {
                opened.library.reset();
                return abandon(
                    StrFormat(Tr("重建的记录库只有 %lld 个样本, 原来的记录库 %s 有 %lld 个; "
                                 "记录库没有改变。确认不要缺少的样本时, 请加 --drop-missing "
                                 "再运行。"),
                              static_cast<long long>(holds), location.c_str(),
                              static_cast<long long>(held)),
                    {});
            }
            result.dropped = held - holds;
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
