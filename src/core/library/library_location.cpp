#include "library_location.h"

#include <cstdlib>
#include <filesystem>

#include "core/model/language.h"
#include "core/model/text_util.h"
#include "library_choice.h"
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

namespace {

ServerOpener& TheServerOpener() {
    static ServerOpener opener;
    return opener;
}

AddResult AddTo(const std::string& location, const std::string& recordPath, LibraryOpen mode,
                OpenedLibrary& opened) {
    opened = OpenLibrary(location, mode);
    if (opened.library) return opened.library->AddRecordFile(recordPath);
    AddResult failed;
    failed.path = recordPath;
    failed.status = AddStatus::kFailed;
    failed.message = opened.message;
    failed.reason = opened.error.detail;
    if (mode == LibraryOpen::kExisting && opened.error.fault == LibraryFault::kMissing)
        failed.reason = Tr("只有本机的记录库在第一次使用时自动建立; 别的记录库须已存在");
    return failed;
}

}  // namespace

void SetServerOpener(ServerOpener opener) {
    TheServerOpener() = std::move(opener);
}

std::string DefaultLibraryLocation() {
    return (std::filesystem::path(PerUserDataFolder()) / kLibraryFileName).string();
}

OpenedLibrary OpenLibrary(const std::string& location, LibraryOpen mode) {
    if (IsServerLocation(location) && TheServerOpener()) return TheServerOpener()(location, mode);
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

SavedRecordAdded AddSavedRecord(const std::string& location, const std::string& recordPath,
                                const std::string& localLocation) {
    SavedRecordAdded added;
    OpenedLibrary opened;
    if (!IsServerLocation(location) || location == localLocation) {
        // Only the PC's own library is made unasked: another file that is not there is a
        // mistyped or unmounted place, refused with the reason.
        const bool own = location == localLocation || location == DefaultLibraryLocation();
        added.result =
            AddTo(location, recordPath,
                  own || IsServerLocation(location) ? LibraryOpen::kCreate : LibraryOpen::kExisting,
                  opened);
        return added;
    }
    added.result = AddTo(localLocation, recordPath, LibraryOpen::kCreate, opened);
    const bool kept = added.result.Ok() || added.result.status != AddStatus::kFailed;
    AddResult sent = AddTo(location, recordPath, LibraryOpen::kCreate, opened);
    if (sent.Ok() || sent.status != AddStatus::kFailed) {
        // On the server. A local library that failed is said, as the next download would
        // depend on it while the server is away.
        if (!kept) added.notice = NotAddedMessage(added.result);
        added.result = std::move(sent);
        return added;
    }
    // Without the local library's copy a later sync cannot send it: the local library's
    // failure is the result, and `library add` is the way to the server.
    if (!kept) return added;
    added.pending = true;
    added.notice =
        WithoutPasswords(StrFormat(Tr(kServerMissedText), added.result.path.c_str()) + "\n" +
                             sent.message + (sent.reason.empty() ? "" : "\n" + sent.reason),
                         location);
    return added;
}

}  // namespace qx
