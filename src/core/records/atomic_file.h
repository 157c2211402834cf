// Replacing a file without ever leaving a half-written one in its place: the new contents go
// to a temporary file beside the target, are flushed to disk, and are renamed over the target
// in one step. A failure at any point removes the temporary file and leaves whatever was at
// the target untouched.
#pragma once

#include <string>
#include <string_view>

#include "removal_on_signal.h"

namespace qx {

// Writes bytes as the complete new contents of path. False when any step fails; *error (when
// given) then names the step and the operating system's reason.
bool ReplaceFile(const std::string& path, std::string_view bytes, std::string* error = nullptr);
// The same for a file only its owner may read (a private key): made with mode 0600.
bool ReplacePrivateFile(const std::string& path, std::string_view bytes,
                        std::string* error = nullptr);
bool ReplaceFileWithMode(const std::string& path, std::string_view bytes, std::string* error,
                         unsigned mode);

// For writers that need a file name of their own (the workbook library opens its output by
// name): reserves a fresh temporary file beside the target; Commit() flushes it and renames it
// over the target. Destroying it without a successful Commit() removes the temporary file, and
// so does a signal that ends the program meanwhile (removal_on_signal.h).
class PendingFile {
  public:
    explicit PendingFile(const std::string& target);
    ~PendingFile();
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    // False when no temporary file could be created beside the target.
    bool ok() const { return !tempPath_.empty(); }
    const std::string& TempPath() const { return tempPath_; }
    bool Commit();
    // Why creating the temporary file or Commit() failed: the step and the system's reason.
    const std::string& Error() const { return error_; }

  private:
    std::string target_;
    std::string tempPath_;
    bool committed_ = false;
    std::string error_;
    RemovalOnSignal removal_;  // the temporary file, should a signal end the program
};

// For writers that make their contents in pieces: Write() appends to a fresh temporary file
// beside the target; Commit() flushes it and renames it over the target. Destroying it without
// a successful Commit() removes the temporary file and leaves the target as it was.
class ReplacingFile {
  public:
    explicit ReplacingFile(const std::string& target);
    ~ReplacingFile();
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    // False when no temporary file could be created, or once a write failed.
    bool ok() const { return fd_ >= 0 && error_.empty(); }
    bool Write(std::string_view bytes);
    bool Commit();
    // Why creating, writing or committing failed: the step and the system's reason.
    const std::string& Error() const { return error_; }

  private:
    std::string target_;
    std::string tempPath_;
    int fd_ = -1;
    bool committed_ = false;
    std::string error_;
};

}  // namespace qx
