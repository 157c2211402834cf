// Backups of the record library, made while monitors and downloads go on writing: a library file
// is copied with SQLite's online backup, a library on a server dumped with pg_dump in its custom
// format. Each copy is named by the date and time it was made (QXLibrary-20261211-020000.sqlite,
// DATABASE-20261211-020000.dump), written under a temporary name, checked, and only then given
// its name; copies beyond the newest `keep` are removed afterwards. A copy of a library file is
// itself a library file: `--library COPY` reads it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qx {

struct BackupResult {
    bool ok = false;
    std::string path;                  // the copy made
    int64_t bytes = 0;                 // its size
    std::string message;               // on failure, in the current language, never a password
    std::string reason;                // the cause, when there is one
    std::vector<std::string> removed;  // older copies removed for `keep`
};

// Copies the library at `location` into folder `dir` (made when missing) at time `now`; keeps
// the newest `keep` copies of this library in `dir` (0: all).
BackupResult BackupLibrary(const std::string& location, const std::string& dir, int keep,
                           int64_t now);

// The name a copy made at `now` gets: STEM-YYYYMMDD-HHMMSS.EXT in local time.
std::string BackupFileName(const std::string& stem, const std::string& extension, int64_t now);

// The copies of STEM.EXT in `names` (file names), oldest first.
std::vector<std::string> BackupCopies(const std::vector<std::string>& names,
                                      const std::string& stem, const std::string& extension);

}  // namespace qx
