// Where the record library lives and how the program opens it. A location is the path of a
// library file; the library of an installed program is QXLibrary.sqlite in its per-user data
// folder, where its downloads are saved. A location "postgresql://..." or "postgres://..."
// names a library on a PostgreSQL server (server_location.h); another address
// ("scheme://...") is a kind of library this build cannot open.
#pragma once

#include <memory>
#include <string>

#include "record_library.h"

namespace qx {

inline constexpr const char* kLibraryFileName = "QXLibrary.sqlite";

// The data folder of the installed programs: $XDG_DATA_HOME/Vornak/QX_CHN/DAT, or
// ~/.local/share/Vornak/QX_CHN/DAT without XDG_DATA_HOME.
std::string PerUserDataFolder();
// PerUserDataFolder()/QXLibrary.sqlite.
std::string DefaultLibraryLocation();

enum class LibraryOpen {
    kExisting,  // a library that is not there is an error (kMissing)
    kCreate,    // made when it is not there, with the folders above it
};

struct OpenedLibrary {
    std::unique_ptr<RecordLibrary> library;  // null on failure
    LibraryError error;
    std::string message;  // on failure, in the current language (LibraryErrorMessage)
};
OpenedLibrary OpenLibrary(const std::string& location, LibraryOpen mode);

// The call a download makes once its record file is saved: opens (or makes) the library at
// location, adds the file, and closes it again.
AddResult AddSavedRecord(const std::string& location, const std::string& recordPath);

}  // namespace qx
