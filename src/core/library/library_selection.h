// What the user chose in the record library for a comparison: instruments (each with its whole
// history in the time range) and single recordings, and the time range itself.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "library_types.h"

namespace qx {

struct LibrarySelection {
    std::vector<LibraryId> instruments;  // in the order the library lists them
    std::vector<LibraryId> recordings;   // recordings chosen on their own (not of an instrument
                                         // chosen as a whole)
    std::optional<int64_t> from;         // inclusive; none: from the first sample
    std::optional<int64_t> to;           // inclusive; none: to the last sample
    bool operator==(const LibrarySelection&) const = default;
};

}  // namespace qx
