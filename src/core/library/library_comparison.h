// Instruments of the record library compared (records/comparison.h): the instruments a user
// names, their histories over a query window, and the comparison of them. qxlog-cli library
// compare, qxlog --print-pdf --report compare and the comparison window read them this way.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/records/comparison.h"
#include "library_types.h"

namespace qx {

class RecordLibrary;

enum class CompareFault {
    kNone,
    kUnknown,    // a name matches no instrument (CompareOutcome::name)
    kAmbiguous,  // a name matches several (CompareOutcome::candidates, as MODEL:NUMBER)
    kTwice,      // an instrument is named twice
    kLibrary,    // the library failed: RecordLibrary::Error()
    kRefused,    // CompareHistories refused (CompareOutcome::message says why)
};

struct CompareOutcome {
    CompareFault fault = CompareFault::kNone;
    std::string name;  // the name that failed
    std::vector<std::string> candidates;
    std::string message;  // kRefused: why, in the current language
    std::optional<Comparison> comparison;
};

// The instruments named ("A0815", "QX450:A0815"), in the order named; false with the fault
// in *outcome.
bool FindNamedInstruments(RecordLibrary& library, std::span<const std::string> names,
                          std::vector<LibraryId>& ids, CompareOutcome* outcome);

// Each instrument's history over the window (every sample without bounds), in the order given.
bool ReadHistories(RecordLibrary& library, std::span<const LibraryId> ids,
                   const QueryWindow& window, std::vector<InstrumentHistory>& histories);

// The named instruments compared: the comparison, or the fault.
CompareOutcome CompareNamedInstruments(RecordLibrary& library, std::span<const std::string> names,
                                       const ComparisonRequest& request);

}  // namespace qx
