// Where the record library lives and how the program opens it. A location is the path of a
// library file; the library of an installed program is QXLibrary.sqlite in its per-user data
// folder, where its downloads are saved. A location "postgresql://..." or "postgres://..."
// names a library on a PostgreSQL server (server_location.h); another address
// ("scheme://...") is a kind of library this build cannot open. library_choice.h decides
// which library is used.
//
// Working offline: with the library on a server, each download and each live reading also goes
// into the PC's own library in the data folder, always, so that it holds everything this PC
// collected. A server that cannot be reached does not fail a download: the local library has
// the record, and `qxlog-cli library sync` (library_sync.h) sends it when the server is back.
#pragma once

#include <functional>
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

// Test seam: while set, OpenLibrary opens every server location with it (tests stand a library
// file, or a store that fails on demand, in for a server). An empty one restores the engines.
using ServerOpener = std::function<OpenedLibrary(const std::string& location, LibraryOpen mode)>;
void SetServerOpener(ServerOpener opener);

struct SavedRecordAdded {
    // Of the library at location; on a server that did not get the file, of the local library.
    AddResult result;
    // On a server that did not get the file, which the local library has: `library sync` will
    // send it.
    bool pending = false;
    // A message to show besides a failed result (never a password): why the server did not get
    // it (pending), or why the local library did not while the server did.
    std::string notice;
};

// The call a download makes once its record file is saved: opens the library at location, adds
// the file, and closes it again. Only the local library (localLocation, the default) and a
// server's tables are made when missing; another library file that is not there is refused. With a
// server location the file goes into the local library (localLocation) first and then, as far as it
// can be reached, to the server.
SavedRecordAdded AddSavedRecord(const std::string& location, const std::string& recordPath,
                                const std::string& localLocation = DefaultLibraryLocation());

}  // namespace qx
