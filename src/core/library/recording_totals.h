// The totals a recording keeps in the library, renewed whenever its samples change: its first
// and last sample time, its sample count and its excursions against its own limits.
//
// Excursions are counted by the program's statistics (ComputeRecordStatistics over the sample
// table, with the limits of the recording's settings), so the library's count is the one the
// record browser shows for the same samples. The samples are taken in pieces of at most one
// record's rows; an excursion running across the end of a piece counts once. A gap in the
// recording (samples missing between two downloads) ends an excursion. The excursions' times
// are kept too, so that the library can tell which recordings had one in a time range.
#pragma once

#include <memory>
#include <span>
#include <vector>

#include "core/records/record_header.h"
#include "core/records/record_set.h"
#include "core/records/sample_table.h"
#include "library_types.h"

namespace qx {

// The buffers of ComputeTotals (a record's rows and their table), kept from one call to the
// next by a caller that computes many.
struct TotalsWorkspace {
    std::unique_ptr<RecordSet> set = std::make_unique<RecordSet>();
    SampleTable table;
};

// Totals of a recording's runs (in time order, one recording) for a type and the header whose
// settings give the limits, and (when asked) the stretches of time with an excursion of any
// series: the excursions' first to last sample times, merged where they overlap, in time order.
// Without runs: no samples, first and last at `start`.
RecordingTotals ComputeTotals(std::span<const SampleRun> runs, InstrumentTypeId type,
                              const RecordHeader& header, int64_t start,
                              TotalsWorkspace* workspace = nullptr,
                              std::vector<ExcursionSpan>* excursions = nullptr);

}  // namespace qx
