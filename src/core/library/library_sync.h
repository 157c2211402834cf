// Sending what one record library lacks from another: after working offline, the PC's local
// library (which every download and live reading of the PC goes into) to the library server.
//
// What the target lacks: a downloaded recording is there when the target knows each of its
// record files by contents and path (a file is added in the same write as its samples); such a
// recording is settled without reading its samples. Any other recording, and every live
// recording (which has no files), is read from the local library and merged into the target,
// where samples it holds already are duplicates: a recording partly there gets the rest.
//
// The samples come from the local library's runs, never from the record files, which may have
// been moved or deleted since. They go through RecordLibrary::AddStored, the merge every
// download goes through, so the target ends as if the files had been added to it directly:
// the same recordings, totals and conflicts (with data of another PC at the same times, its
// values stay and the local ones are noted with the first file sent). Each recording is one
// write: a sync cut off anywhere leaves whole recordings, and running it again completes it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "record_library.h"

namespace qx {

// One recording sent.
struct SyncItem {
    InstrumentKey instrument;
    bool live = false;
    int64_t first = 0, last = 0;     // the recording's samples
    std::vector<std::string> files;  // record files the target did not know
    int64_t added = 0;               // samples new to the target
    int64_t conflicts = 0;
    int64_t unplaced = 0;  // samples that could not be sent (StoredAddResult::unplaced)
};

// A recording the target refused while the others were sent.
struct SyncFailure {
    InstrumentKey instrument;
    int64_t first = 0, last = 0;     // the recording's samples
    std::vector<std::string> files;  // its record files
    std::string message;             // in the current language
    std::string reason;
};

struct SyncResult {
    int64_t recordings = 0;  // looked at
    int64_t sent = 0;        // of them sent
    int64_t files = 0;
    int64_t samples = 0;
    int64_t unplaced = 0;  // samples that could not be sent, told with their recording
    // Something was not sent: message (in the current language) and reason say why; stopped
    // when a library failed as a whole (the rest was not tried), else the first of failures.
    bool failed = false;
    bool stopped = false;
    std::string message;
    std::string reason;
    std::vector<SyncFailure> failures;  // recordings refused, each after the others were tried
};

// Sends what `to` lacks from `from`; `each` hears every recording sent. A recording the target
// refuses (IsLibraryWide false) is noted in failures and the others are sent; a library that
// fails as a whole stops it, as it would fail the rest too.
SyncResult SyncLibrary(RecordLibrary& from, RecordLibrary& to,
                       const std::function<void(const SyncItem&)>& each = {});
// The same between locations: the local library not there yet has nothing to send; the target
// is made when it is not there.
SyncResult SyncLocations(const std::string& from, const std::string& to,
                         const std::function<void(const SyncItem&)>& each = {});

}  // namespace qx
