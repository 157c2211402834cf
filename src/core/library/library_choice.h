// Which record library a program uses, decided the same way by the window and qxlog-cli:
//   1. the location given on the command line (qxlog-cli --library FILE|URL);
//   2. "[Library] Database=" of the settings file (SettingsFilePath(), the window's settings);
//   3. libpq's own variables: with PGSERVICE or PGDATABASE set, the server they name
//      ("postgresql://", which libpq completes from them);
//   4. QXLibrary.sqlite in the per-user data folder.
// A password never belongs in the settings file, which is plain text that backups and support
// copies carry around: a Database= value holding one is refused, with a message that says to
// keep it in ~/.pgpass instead.
#pragma once

#include <string>

namespace qx {

enum class LibrarySource { kCommandLine, kSettings, kServerVariables, kDataFolder };

struct LibraryChoice {
    std::string location;  // empty when the setting was refused
    LibrarySource source = LibrarySource::kDataFolder;
    std::string problem;  // why it was refused, in the current language

    bool Ok() const { return !location.empty(); }
};

// given: the command line's location, empty when none was given.
LibraryChoice ChooseLibrary(const std::string& given, const std::string& settingsFile);
LibraryChoice ChooseLibrary(const std::string& given);  // with SettingsFilePath()

// "[Library] Database=" of a settings file as the window writes it (QSettings' INI form, a
// value with special characters in double quotes); empty when it is not there.
std::string ReadLibrarySetting(const std::string& settingsFile);

// A location that carries a password (one that RedactedLocation changes): refused in the
// settings, which are plain text that backups and support copies carry around.
bool LocationHoldsPassword(const std::string& location);

}  // namespace qx
