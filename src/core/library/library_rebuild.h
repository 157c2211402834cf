// Rebuilding a library file from the record files: for a damaged library, or to start afresh.
// The new library is built beside the old one from the files the old one lists (as far as they
// can still be read from it, in the order they were added, so conflicts are settled as before)
// and the files and folders given; then what the old library holds that no record file does
// is carried over (live readings, the samples of files that are gone, conflicts), and the old
// file is kept under a new name and the new one takes its place. Run it while no other program
// uses the library.
//
// A rebuild never replaces a library with one that holds less unasked: where the old library
// cannot be read whole (damaged), or the new one would hold fewer samples, it refuses and
// leaves the library as it is, saying what would be lost, unless dropMissing allows it.
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
    // Recordings of the old library whose samples no record file held, carried over, and
    // their samples.
    int64_t carried = 0;
    int64_t carriedSamples = 0;
    // Record files the old library lists that could not be read again; what they brought
    // came from the old library (or, with dropMissing, was dropped).
    std::vector<std::string> unread;
    // dropMissing: samples of the old library the new one lacks (-1: the old one could not be
    // read to count them).
    int64_t dropped = 0;
};

RebuildResult RebuildLibrary(const std::string& location, std::span<const std::string> paths,
                             const std::function<void(const AddResult&)>& each = {},
                             bool dropMissing = false);

}  // namespace qx
