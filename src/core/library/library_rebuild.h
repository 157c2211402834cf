// Rebuilding a library file from the record files: for a damaged library, or to start afresh.
// The new library is built beside the old one from the files the old one lists (as far as they
// can still be read from it, in the order they were added, so conflicts are settled as before)
// and the files and folders given; then the old file is kept under a new name and the new one
// takes its place. Run it while no other program uses the library.
#pragma once

#include <functional>
#include <span>
#include <string>
#include <vector>

#include "record_library.h"

namespace qx {

struct RebuildResult {
    bool ok = false;
    std::string message;  // on failure, in the current language
    std::string reason;
    std::string kept;  // where the old library was kept, when there was one
    std::vector<AddResult> added;
};

RebuildResult RebuildLibrary(const std::string& location, std::span<const std::string> paths,
                             const std::function<void(const AddResult&)>& each = {});

}  // namespace qx
