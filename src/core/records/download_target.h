// Where a downloaded recording goes, settled before the instrument is touched. Downloading
// stops the recording, and a recording restarted afterwards erases the samples: so the record
// file's name is held first, and only a file written and read back counts as saved.
//
// A new name is held by creating the empty file with O_EXCL: whoever creates it owns it, so
// several downloads into one folder at once never pick the same name. The record is then
// written beside it and renamed over it in one step (atomic_file.h). A name given up is
// removed again, but only while it is still the empty file this holder created; so is a name
// held when a signal ends the program (removal_on_signal.h).
//
// The holder keeps the empty file open with an exclusive flock(2) until it is written or given
// up. An empty file that nobody holds so is a reservation left by a process that was killed
// outright (kill -9, a power cut): it holds no record, and the next download that wants the
// name takes it over instead of moving on to "-2".
#pragma once

#include <sys/types.h>

#include <functional>
#include <string>

#include "core/model/instrument_catalogue.h"
#include "record_image.h"
#include "removal_on_signal.h"

namespace qx {

// `name` with "-n" before its extension: ("A01_20261209-012800.QXRec", 2) gives
// "A01_20261209-012800-2.QXRec"; n below 2 gives the name itself.
std::string NumberedFileName(const std::string& name, int n);

// dir/name, or the first of dir/name-2, dir/name-3, ... for which `taken` is false; empty when
// every number up to DownloadTarget::kMaxNumber is taken. Holds nothing: a name to propose.
std::string FreeNumberedPath(const std::string& dir, const std::string& name,
                             const std::function<bool(const std::string& path)>& taken);

class DownloadTarget {
  public:
    // Numbered names tried in a folder before giving up.
    static constexpr int kMaxNumber = 9999;

    DownloadTarget() = default;
    DownloadTarget(DownloadTarget&& other) noexcept;
    DownloadTarget& operator=(DownloadTarget&& other) noexcept;
    DownloadTarget(const DownloadTarget&) = delete;
    DownloadTarget& operator=(const DownloadTarget&) = delete;
    ~DownloadTarget() { Release(); }

    // The new file `path`, created empty at once. Fails when it exists (a download never
    // replaces a file; an abandoned reservation is taken over) or its folder cannot be
    // written.
    static DownloadTarget NewFile(const std::string& path, std::string* error = nullptr);
    // The first of dir/name, dir/name-2, dir/name-3, ... (NumberedFileName) that could be
    // created as NewFile does.
    static DownloadTarget FreshIn(const std::string& dir, const std::string& name,
                                  std::string* error = nullptr);
    // True when path is an empty file that no live holder holds: a reservation whose download
    // never ended. Never true for a file with contents.
    static bool IsAbandonedReservation(const std::string& path);
    // An existing file that the user agreed to replace: checks that it is a file and that a
    // new one can be written beside it; the old one stays until Write replaces it.
    static DownloadTarget Replacing(const std::string& path, std::string* error = nullptr);

    bool ok() const { return !path_.empty(); }
    const std::string& Path() const { return path_; }
    bool Written() const { return written_; }

    // Writes the image as a record file of the type (WriteRecordFile) at the name held, then
    // reads the file back and compares it with what was meant to be written. False with
    // *error saying why; the name stays held, so Write may be tried again.
    bool Write(RecordImage& image, InstrumentTypeId type, std::string* error = nullptr);

    // Gives the name up: an empty file created by this holder is removed. Nothing happens
    // after a successful Write.
    void Release();

  private:
    std::string path_;
    bool created_ = false;  // path_ is the empty file this holder created
    dev_t device_ = 0;
    ino_t inode_ = 0;
    bool written_ = false;
    int fd_ = -1;  // the empty file, open and locked while it is held
    RemovalOnSignal removal_;
};

}  // namespace qx
