#include "library_comparison.h"

#include <algorithm>
#include <limits>

#include "record_library.h"

namespace qx {

bool FindNamedInstruments(RecordLibrary& library, std::span<const std::string> names,
                          std::vector<LibraryId>& ids, CompareOutcome* outcome) {
    CompareOutcome ignored;
    CompareOutcome& o = outcome ? *outcome : ignored;
    std::vector<LibraryInstrument> all;
    if (!library.Instruments(all)) {
        o.fault = CompareFault::kLibrary;
        return false;
    }
    ids.clear();
    for (const std::string& name : names) {
        const LibraryInstrument* found = nullptr;
        std::vector<const LibraryInstrument*> candidates;
        const InstrumentMatch match = FindInstrument(all, name, &found, &candidates);
        o.name = name;
        if (match == InstrumentMatch::kNone) {
            o.fault = CompareFault::kUnknown;
            return false;
        }
        if (match == InstrumentMatch::kSeveral) {
            o.fault = CompareFault::kAmbiguous;
            for (const LibraryInstrument* c : candidates)
                o.candidates.push_back(InstrumentName(c->key));
            return false;
        }
        if (std::find(ids.begin(), ids.end(), found->id) != ids.end()) {
            o.fault = CompareFault::kTwice;
            return false;
        }
        ids.push_back(found->id);
    }
    o.name.clear();
    return true;
}

bool ReadHistories(RecordLibrary& library, std::span<const LibraryId> ids,
                   const QueryWindow& window, std::vector<InstrumentHistory>& histories) {
    const int64_t from = window.bounded ? window.from : std::numeric_limits<int64_t>::min();
    const int64_t to = window.bounded ? window.to : std::numeric_limits<int64_t>::max();
    histories.assign(ids.size(), {});
    for (size_t i = 0; i < ids.size(); ++i) {
        if (!library.History(ids[i], from, to, histories[i])) return false;
    }
    return true;
}

CompareOutcome CompareNamedInstruments(RecordLibrary& library, std::span<const std::string> names,
                                       const ComparisonRequest& request) {
    CompareOutcome outcome;
    std::vector<LibraryId> ids;
    if (!FindNamedInstruments(library, names, ids, &outcome)) return outcome;
    std::vector<InstrumentHistory> histories;
    if (!ReadHistories(library, ids, request.window, histories)) {
        outcome.fault = CompareFault::kLibrary;
        return outcome;
    }
    outcome.comparison = CompareHistories(histories, request, &outcome.message);
    if (!outcome.comparison) outcome.fault = CompareFault::kRefused;
    return outcome;
}

}  // namespace qx
