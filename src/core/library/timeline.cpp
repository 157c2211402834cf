#include "timeline.h"

#include <algorithm>

namespace qx {

bool Outranks(const TimelineSpan& a, const TimelineSpan& b) {
    if (a.live != b.live) return !a.live;
    return a.recording < b.recording;
}

std::vector<TimeStretch> KeptStretches(const TimelineSpan& r, std::span<const TimelineSpan> all) {
    std::vector<TimeStretch> cover;
    for (const TimelineSpan& o : all) {
        if (o.recording == r.recording || !Outranks(o, r)) continue;
        if (o.last < r.first || o.first > r.last) continue;
        cover.push_back({o.first, o.last});
    }
    std::sort(cover.begin(), cover.end(),
              [](const TimeStretch& a, const TimeStretch& b) { return a.first < b.first; });
    std::vector<TimeStretch> kept;
    int64_t from = r.first;  // the first time not yet decided
    bool open = true;        // false once the span's end is covered
    for (const TimeStretch& c : cover) {
        if (c.first > from) kept.push_back({from, std::min(c.first - 1, r.last)});
        if (c.last >= r.last) {
            open = false;
            break;
        }
        from = std::max(from, c.last + 1);
    }
    if (open && from <= r.last) kept.push_back({from, r.last});
    return kept;
}

std::vector<TimelineOverlap> OverlapsOf(std::span<const TimelineSpan> spans) {
    std::vector<TimelineOverlap> out;
    for (size_t i = 0; i < spans.size(); ++i) {
        for (size_t j = i + 1; j < spans.size(); ++j) {
            const TimelineSpan &a = spans[i], &b = spans[j];
            if (a.last < b.first || b.last < a.first) continue;
            const TimeStretch both{std::max(a.first, b.first), std::min(a.last, b.last)};
            if (Outranks(a, b)) {
                out.push_back({a, b, both});
            } else {
                out.push_back({b, a, both});
            }
        }
    }
    std::sort(out.begin(), out.end(), [](const TimelineOverlap& x, const TimelineOverlap& y) {
        if (x.stretch.first != y.stretch.first) return x.stretch.first < y.stretch.first;
        return x.setAside.recording < y.setAside.recording;
    });
    return out;
}

}  // namespace qx
