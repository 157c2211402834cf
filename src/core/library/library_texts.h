// What the record library tells the user, in the current language: why a library cannot be
// used, what adding a file did, the state of a record file.
#pragma once

#include <string>
#include <vector>

#include "library_types.h"
#include "record_library.h"

namespace qx {

// The message for a failed library operation, naming the library's location; a damaged library
// is to be rebuilt, a newer one is left alone.
std::string LibraryErrorMessage(const std::string& location, const LibraryError& error);

// The lines that report an addition: what it brought, then a line for conflicts and one for
// overlaps; for a failure its message, and the reason on a line of its own when there is one.
std::vector<std::string> AddResultLines(const AddResult& result);

// "存在", "缺失", "已移动", "已改变".
const char* FileStateText(FileState state);
// present, missing, moved, changed: for scripts, in every language.
const char* FileStateId(FileState state);

}  // namespace qx
