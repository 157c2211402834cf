#include "library_location.h"

#include <cstdlib>
#include <filesystem>

#include "core/model/language.h"
#include "library_texts.h"
#include "postgres_library_store.h"
#include "server_location.h"
#include "sqlite_library_store.h"

namespace qx {

std::string PerUserDataFolder() {
    std::filesystem::path base;
    const char* data = std::getenv("XDG_DATA_HOME");
    if (data && *data == '/') {
        base = data;
    } else {
        const char* home = std::getenv("HOME");
        base = std::filesystem::path(home && *home ? home : ".") / ".local" / "share";
    }
    return (base / kSettingsOrganisation / kSettingsApplication / "DAT").string();
}

std::string DefaultLibraryLocation() {
    return (std::filesystem::path(PerUserDataFolder()) / kLibraryFileName).string();
}

OpenedLibrary OpenLibrary(const std::string& location, LibraryOpen mode) {
    OpenedLibrary opened;
    if (IsServerLocation(location)) {
        auto store = PostgresLibraryStore::Open(location,
                                                mode == LibraryOpen::kCreate
                                                    ? PostgresLibraryStore::OpenMode::kCreate
                                                    : PostgresLibraryStore::OpenMode::kExisting,
                                                &opened.error);
        if (store) {
            opened.library = std::make_unique<RecordLibrary>(std::move(store));
            return opened;
        }
    } else if (location.find("://") != std::string::npos) {
        opened.error.fault = LibraryFault::kUnsupported;
    } else {
        if (mode == LibraryOpen::kCreate) {
            std::error_code ignored;  // a folder that cannot be made fails the open below
            const std::filesystem::path folder = std::filesystem::path(location).parent_path();
            if (!folder.empty()) std::filesystem::create_directories(folder, ignored);
        }
        auto store = SqliteLibraryStore::Open(location,
                                              mode == LibraryOpen::kCreate
                                                  ? SqliteLibraryStore::OpenMode::kCreate
                                                  : SqliteLibraryStore::OpenMode::kExisting,
                                              &opened.error);
        if (store) {
            opened.library = std::make_unique<RecordLibrary>(std::move(store));
            return opened;
        }
    }
    opened.message = LibraryErrorMessage(location, opened.error);
    return opened;
}

AddResult AddSavedRecord(const std::string& location, const std::string& recordPath) {
    OpenedLibrary opened = OpenLibrary(location, LibraryOpen::kCreate);
    if (opened.library) return opened.library->AddRecordFile(recordPath);
    AddResult failed;
    failed.path = recordPath;
    failed.status = AddStatus::kFailed;
    failed.message = opened.message;
    failed.reason = opened.error.detail;
    return failed;
}

}  // namespace qx
