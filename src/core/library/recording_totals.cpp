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

// Finds the excursions of consecutive samples fed in pieces of at most RecordSet::kMaxRows.
class ExcursionFinder {
  public:
    ExcursionFinder(InstrumentTypeId type, const RecordHeader& header, TotalsWorkspace& work)
        : set_(*work.set), table_(work.table), params_(header.Params()) {
        set_.header = header;
        set_.type = type;
        set_.count = 0;
        times_.reserve(RecordSet::kMaxRows);
    }

    // Samples k .. k + n - 1 of a run.
    void Add(const SampleRun& run, uint32_t k, uint32_t n, size_t size) {
        while (n > 0) {
            const uint32_t take =
                std::min(n, static_cast<uint32_t>(RecordSet::kMaxRows - set_.count));
            DecodeSamples(run.bytes.data() + k * size, static_cast<int32_t>(take), set_.type,
                          params_, set_.rows.data() + set_.count);
            for (uint32_t i = 0; i < take; ++i)
                times_.push_back(run.TimeOf(k + i));
            set_.count += static_cast<int32_t>(take);
            if (set_.count == RecordSet::kMaxRows) Flush(true);
            k += take;
            n -= take;
        }
    }
    // Ends a stretch of consecutive samples: an excursion does not go on past it.
    void EndStretch() { Flush(false); }
    const std::vector<ExcursionSpan>& Found() const { return found_; }

  private:
    // Excursions of the rows held. One that ends on the last row while the samples go on
    // (continues) stays open: its continuation at the start of the next piece extends it.
    void Flush(bool continues) {
        std::array<std::array<int64_t, 2>, kSeriesCount> open;
        for (auto& sides : open)
            sides.fill(-1);
        if (set_.count > 0) {
            table_.Build(set_, QueryWindow{});
            const RecordStatistics statistics = ComputeRecordStatistics(set_, table_, "");
            const int lastRow = table_.RowCount() - 1;
            for (const SeriesStatistics& s : statistics.series) {
                if (!s.limits) continue;
                const auto series = static_cast<size_t>(s.series & 7);
                for (const Excursion& e : s.limits->excursions) {
                    const auto side = static_cast<size_t>(e.side == LimitSide::Above);
                    const ExcursionSpan span{times_[static_cast<size_t>(e.firstRow)],
                                             times_[static_cast<size_t>(e.lastRow)]};
                    int64_t index = open_[series][side];
                    if (e.firstRow == 0 && index >= 0) {
                        found_[static_cast<size_t>(index)].last = span.last;
                    } else {
                        index = static_cast<int64_t>(found_.size());
                        found_.push_back(span);
                    }
                    if (continues && e.lastRow == lastRow) open[series][side] = index;
                }
            }
        }
        open_ = open;
        set_.count = 0;
        times_.clear();
    }

    RecordSet& set_;
    SampleTable& table_;
    ParamBlock params_;
    std::vector<int64_t> times_;  // of the rows held
    std::vector<ExcursionSpan> found_;
    // The excursion (index into found_) still open at the end of the last piece, by series and
    // side (below, above); -1 for none.
    std::array<std::array<int64_t, 2>, kSeriesCount> open_ = [] {
        std::array<std::array<int64_t, 2>, kSeriesCount> none;
        for (auto& sides : none)
            sides.fill(-1);
        return none;
    }();
};

}  // namespace

RecordingTotals ComputeTotals(std::span<const SampleRun> runs, InstrumentTypeId type,
                              const RecordHeader& header, int64_t start, TotalsWorkspace* workspace,
                              std::vector<ExcursionSpan>* excursions) {
    RecordingTotals totals;
    totals.first = totals.last = start;
    if (excursions) excursions->clear();
    bool any = false;
    for (const SampleRun& run : runs) {
        if (run.count == 0) continue;
        totals.first = any ? std::min(totals.first, run.first) : run.first;
        totals.last = any ? std::max(totals.last, run.Last()) : run.Last();
        totals.samples += run.count;
        any = true;
    }
    if (!any) return totals;

    std::unique_ptr<TotalsWorkspace> own;
    if (!workspace) workspace = (own = std::make_unique<TotalsWorkspace>()).get();
    ExcursionFinder finder(type, header, *workspace);
    const size_t size = static_cast<size_t>(DecodedSampleSize(type));
    const SampleRun* previous = nullptr;
    for (const SampleRun& run : runs) {
        if (run.count == 0) continue;
        if (previous && run.first != previous->Last() + previous->interval) finder.EndStretch();
        finder.Add(run, 0,
                   static_cast<uint32_t>(std::min<size_t>(run.count, run.bytes.size() / size)),
                   size);
        previous = &run;
    }
    finder.EndStretch();
    totals.excursions = static_cast<int64_t>(finder.Found().size());
    if (excursions) {
        // The stretches of time with an excursion of any series, merged where they meet.
        std::vector<ExcursionSpan> spans = finder.Found();
        std::sort(spans.begin(), spans.end(),
                  [](const ExcursionSpan& a, const ExcursionSpan& b) { return a.first < b.first; });
        for (const ExcursionSpan& span : spans) {
            if (!excursions->empty() && span.first <= excursions->back().last) {
                excursions->back().last = std::max(excursions->back().last, span.last);
            } else {
                excursions->push_back(span);
            }
        }
    }
    return totals;
}

}  // namespace qx
