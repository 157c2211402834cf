#include "sample_table.h"

#include <algorithm>
#include <ctime>

#include "core/model/language.h"
#include "number_text.h"
#include "record_set.h"

namespace qx {
namespace {

constexpr int kSeriesWidths[kSeriesCount] = {75, 75, 75, 80, 75, 75, 80, 90};

}  // namespace

void SampleTable::Clear() {
    units_ = RecordUnits{};
    series_ = {};
    total_ = 0;
    columns_.clear();
    rows_.clear();
    text_.clear();
    offsets_.assign(1, 0);
}

void SampleTable::Build(const RecordSet& set, const QueryWindow& window) {
    Clear();
    const ParamBlock params = set.Params();
    units_ = RecordUnitsOf(params.UnitByte(), set.type);
    series_ = qx::SeriesList(set.type);
    total_ = set.count;

    if (IsKnownModel(set.type)) {
        columns_.push_back({SampleColumn::kRecordNumber, Tr("记录"), 50});
        columns_.push_back({SampleColumn::kTime, Tr("时间"), 145});
        for (int s : series_) {
            int width = kSeriesWidths[s];
            if (s == 2 && (ChannelMask(set.type) & kChFlow)) width = width * 8 / 5;
            columns_.push_back({s, SeriesTitle(s, units_), width});
        }
    }

    const SampleClock clock = SampleClockOf(params, set.type);
    const int32_t count = std::max<int32_t>(0, std::min(set.count, RecordSet::kMaxRows));
    // Room for a typical row (about 8 characters per cell plus the time) avoids regrowth.
    text_.reserve(static_cast<size_t>(count) * (columns_.size() * 8 + 17));
    offsets_.reserve(static_cast<size_t>(count) * columns_.size() + 1);
    rows_.reserve(static_cast<size_t>(count));

    for (int32_t k = 0; k < count; ++k) {
        const std::time_t t = clock.TimeOf(static_cast<uint32_t>(k));
        if (!window.Contains(t)) continue;
        const SeriesValues values = ComputeSeries(set.rows[static_cast<size_t>(k)], units_);
        rows_.push_back({k, t, values});
        for (const SampleColumn& c : columns_) {
            if (c.series == SampleColumn::kRecordNumber) {
                AppendInt(text_, static_cast<int64_t>(rows_.size()));
            } else if (c.series == SampleColumn::kTime) {
                std::tm tm{};
                if (localtime_r(&t, &tm)) AppendShortDateTime(text_, tm);
            } else {
                AppendCellText(text_, c.series, values[static_cast<size_t>(c.series)], units_);
            }
            offsets_.push_back(static_cast<uint32_t>(text_.size()));
        }
    }
}

std::string_view SampleTable::Cell(int row, int column) const {
    if (row < 0 || row >= RowCount() || column < 0 || column >= ColumnCount()) return {};
    const size_t i = static_cast<size_t>(row) * columns_.size() + static_cast<size_t>(column);
    return std::string_view(text_).substr(offsets_[i], offsets_[i + 1] - offsets_[i]);
}

}  // namespace qx
