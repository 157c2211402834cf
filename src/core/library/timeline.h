// One timeline per instrument. An instrument's recordings can cover the same time: the PC's
// live readings (monitor) beside a download of the logger's own samples, two downloads of
// separate recordings of one instrument, two loggers that share a model and a number. The
// library keeps every sample of each, and a history shows each moment once: where recordings
// overlap (their spans, first to last sample, both included), the one that outranks the other
// keeps its samples there and the other's are set aside, listed with the overlap.
//
//   rank   the instrument's own downloaded samples over the PC's live readings; of two of the
//          same kind, the one added first (the lower id), as for conflicting samples.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "library_types.h"

namespace qx {

struct TimelineSpan {
    LibraryId recording = 0;
    bool live = false;
    int64_t first = 0;  // its first and last sample
    int64_t last = 0;
};

// Whether a keeps its samples where it overlaps b.
bool Outranks(const TimelineSpan& a, const TimelineSpan& b);

struct TimeStretch {
    int64_t first = 0;  // both included
    int64_t last = 0;
    bool operator==(const TimeStretch&) const = default;
};

// The stretches of r's span that no recording of `all` outranking it covers, in time order.
std::vector<TimeStretch> KeptStretches(const TimelineSpan& r, std::span<const TimelineSpan> all);

// Two recordings whose spans meet: which keeps its samples there, which is set aside, and the
// stretch both cover.
struct TimelineOverlap {
    TimelineSpan kept;
    TimelineSpan setAside;
    TimeStretch stretch;
};

// Every pair of spans that meet, by the start of the stretch.
std::vector<TimelineOverlap> OverlapsOf(std::span<const TimelineSpan> spans);

}  // namespace qx
