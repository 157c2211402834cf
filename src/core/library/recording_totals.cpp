#include "recording_totals.h"

#include <algorithm>
#include <array>
#include <memory>

#include "core/records/record_query.h"
#include "core/records/record_set.h"
#include "core/records/record_statistics.h"
#include "core/records/sample_decoding.h"
#include "core/records/sample_table.h"

namespace qx {
namespace {

// Counts excursions over consecutive samples fed in pieces of at most RecordSet::kMaxRows.
class ExcursionCounter {
  public:
    ExcursionCounter(InstrumentTypeId type, const RecordHeader& header, TotalsWorkspace& work)
        : set_(*work.set), table_(work.table) {
        set_.header = header;
        set_.type = type;
        set_.count = 0;
    }

    SampleRow* Room(int32_t& space) {
        space = RecordSet::kMaxRows - set_.count;
        return set_.rows.data() + set_.count;
    }
    void Filled(int32_t n) {
        set_.count += n;
        if (set_.count == RecordSet::kMaxRows) Flush(true);
    }
    // Ends a stretch of consecutive samples: an excursion does not go on past it.
    void EndStretch() { Flush(false); }
    int64_t Count() const { return count_; }

  private:
    // Excursions of the rows held; one that ends on the last row and goes on (continues) is
    // remembered, so that its continuation in the next piece is not counted again.
    void Flush(bool continues) {
        std::array<std::array<bool, 2>, kSeriesCount> open{};
        if (set_.count > 0) {
            table_.Build(set_, QueryWindow{});
            const RecordStatistics statistics = ComputeRecordStatistics(set_, table_, "");
            const int lastRow = table_.RowCount() - 1;
            for (const SeriesStatistics& s : statistics.series) {
                if (!s.limits) continue;
                const auto series = static_cast<size_t>(s.series & 7);
                for (const Excursion& e : s.limits->excursions) {
                    const auto side = static_cast<size_t>(e.side == LimitSide::Above);
                    if (!(e.firstRow == 0 && open_[series][side])) ++count_;
                    if (continues && e.lastRow == lastRow) open[series][side] = true;
                }
            }
        }
        open_ = open;
        set_.count = 0;
    }

    RecordSet& set_;
    SampleTable& table_;
    std::array<std::array<bool, 2>, kSeriesCount> open_{};
    int64_t count_ = 0;
};

}  // namespace

RecordingTotals ComputeTotals(std::span<const SampleRun> runs, InstrumentTypeId type,
                              const RecordHeader& header, int64_t start,
                              TotalsWorkspace* workspace) {
    RecordingTotals totals;
    totals.first = totals.last = start;
    bool any = false;
    for (const SampleRun& run : runs) {
        if (run.count == 0) continue;
        totals.first = any ? std::min(totals.first, run.first) : run.first;
        totals.last = any ? std::max(totals.last, run.Last()) : run.Last();
        totals.samples += run.count;
        any = true;
    }
    if (!any) return totals;

    const ParamBlock params = header.Params();
    const size_t size = static_cast<size_t>(DecodedSampleSize(type));
    std::unique_ptr<TotalsWorkspace> own;
    if (!workspace) workspace = (own = std::make_unique<TotalsWorkspace>()).get();
    ExcursionCounter counter(type, header, *workspace);
    const SampleRun* previous = nullptr;
    for (const SampleRun& run : runs) {
        if (run.count == 0) continue;
        if (previous && run.first != previous->Last() + previous->interval) counter.EndStretch();
        const uint32_t available =
            static_cast<uint32_t>(std::min<size_t>(run.count, run.bytes.size() / size));
        for (uint32_t k = 0; k < available;) {
            int32_t space = 0;
            SampleRow* rows = counter.Room(space);
            const auto n = static_cast<int32_t>(
                std::min<uint32_t>(available - k, static_cast<uint32_t>(space)));
            DecodeSamples(run.bytes.data() + k * size, n, type, params, rows);
            counter.Filled(n);
            k += static_cast<uint32_t>(n);
        }
        previous = &run;
    }
    counter.EndStretch();
    totals.excursions = counter.Count();
    return totals;
}

}  // namespace qx
