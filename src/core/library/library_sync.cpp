#include "library_sync.h"

#include <map>

#include "library_choice.h"
#include "library_location.h"
#include "library_texts.h"
#include "server_location.h"

namespace qx {
namespace {

SyncResult Failed(SyncResult result, RecordLibrary& library) {
    result.failed = true;
    result.stopped = true;
    result.message = WithoutPasswords(LibraryErrorMessage(library.Location(), library.Error()),
                                      library.Location());
    result.reason = WithoutPasswords(library.Error().detail, library.Location());
    return result;
}

}  // namespace

SyncResult SyncLibrary(RecordLibrary& from, RecordLibrary& to,
                       const std::function<void(const SyncItem&)>& each) {
    SyncResult result;
    std::vector<LibraryRecording> recordings;
    std::vector<LibraryFile> files;
    if (!from.AllRecordings(recordings) || !from.AllFiles(files)) return Failed(result, from);
    std::map<LibraryId, std::vector<const LibraryFile*>> filesOf;
    for (const LibraryFile& f : files)
        filesOf[f.recording].push_back(&f);

    for (const LibraryRecording& r : recordings) {
        ++result.recordings;
        const std::vector<const LibraryFile*>& own = filesOf[r.id];
        if (!IsLiveRecording(r.key) && !own.empty()) {
            bool all = true;
            for (const LibraryFile* f : own) {
                bool held = false;
                if (!to.HoldsFile(*f, held)) return Failed(result, to);
                all = all && held;
                if (!all) break;
            }
            if (all) continue;
        }
        StoredRecording stored;
        if (!from.ReadStored(r, stored)) return Failed(result, from);
        StoredAddResult added;
        if (!to.AddStored(stored, added)) {
            if (IsLibraryWide(to.Error().fault)) return Failed(result, to);
            SyncFailure& f = result.failures.emplace_back();
            f.instrument = r.instrumentKey;
            f.first = r.totals.first;
            f.last = r.totals.last;
            for (const LibraryFile* file : own)
                f.files.push_back(file->path);
            f.message =
                WithoutPasswords(LibraryErrorMessage(to.Location(), to.Error()), to.Location());
            f.reason = WithoutPasswords(to.Error().detail, to.Location());
            if (!result.failed) {
                result.failed = true;
                result.message = f.message;
                result.reason = f.reason;
            }
            continue;
        }
        result.unplaced += added.unplaced;
        if (!added.sent && added.unplaced == 0) continue;
        if (added.sent) ++result.sent;
        result.files += static_cast<int64_t>(added.filesAdded.size());
        result.samples += added.added;
        if (!each) continue;
        SyncItem item;
        item.instrument = r.instrumentKey;
        item.live = IsLiveRecording(r.key);
        item.first = r.totals.first;
        item.last = r.totals.last;
        item.files = std::move(added.filesAdded);
        item.added = added.added;
        item.conflicts = added.conflicts;
        item.unplaced = added.unplaced;
        each(item);
    }
    return result;
}

SyncResult SyncLocations(const std::string& from, const std::string& to,
                         const std::function<void(const SyncItem&)>& each) {
    SyncResult result;
    OpenedLibrary local = OpenLibrary(from, LibraryOpen::kExisting);
    if (!local.library && local.error.fault == LibraryFault::kMissing) return result;
    OpenedLibrary target;
    if (local.library) target = OpenLibrary(to, LibraryOpen::kCreate);
    OpenedLibrary& failed = local.library ? target : local;
    if (!failed.library) {
        result.failed = true;
        result.stopped = true;
        result.message = WithoutPasswords(failed.message, local.library ? to : from);
        result.reason = WithoutPasswords(failed.error.detail, local.library ? to : from);
        return result;
    }
    return SyncLibrary(*local.library, *target.library, each);
}

}  // namespace qx
