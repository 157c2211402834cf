#include "sample_table.h"

#include <algorithm>
#include <cmath>
#include <ctime>
#include <limits>

#include "core/model/language.h"
#include "core/model/local_time.h"
#include "core/model/text_util.h"
#include "instrument_history.h"
#include "number_text.h"
#include "record_set.h"
#include "series_units.h"

namespace qx {
namespace {

constexpr int kSeriesWidths[kSeriesCount] = {75, 75, 75, 80, 75, 75, 80, 90};
constexpr float kNoValue = std::numeric_limits<float>::quiet_NaN();

// The samples of a recording in the window: [first, end).
std::pair<size_t, size_t> InWindow(const std::vector<TimedSample>& samples,
                                   const QueryWindow& window) {
    if (!window.bounded) return {0, samples.size()};
    const auto before = [](const TimedSample& s, int64_t t) { return s.time < t; };
    const auto after = [](int64_t t, const TimedSample& s) { return t < s.time; };
    const auto first = std::lower_bound(samples.begin(), samples.end(), window.from, before);
    const auto end = std::upper_bound(first, samples.end(), window.to, after);
    return {static_cast<size_t>(first - samples.begin()),
            static_cast<size_t>(end - samples.begin())};
}

// Seconds from a to b when b lies after a (times from a damaged store may lie anywhere).
uint64_t SecondsBetween(int64_t a, int64_t b) {
    return b > a ? static_cast<uint64_t>(b) - static_cast<uint64_t>(a) : 0;
}

std::string SampleTimeText(int64_t t) {
    return FormatLocalTime(t, "%Y-%m-%d %H:%M:%S");
}

}  // namespace

// Why a history leaves some samples of its time out (core/library/timeline.h).
std::string SetAsideNote(const SetAsideSamples& s) {
    if (s.damaged) {
        return StrFormat(Tr("%s至%s:记录 %lld 的 %lld 个样本在记录库中已损坏,没有列出;"
                            "可以从记录文件重建记录库"),
                         SampleTimeText(s.first).c_str(), SampleTimeText(s.last).c_str(),
                         static_cast<long long>(s.recording), static_cast<long long>(s.count));
    }
    const char* text =
        !s.live ? Tr("%s至%s:%lld 个样本与先加入记录库的另一个记录时间重叠,以先加入的为准,没有列出")
        : !s.keptLive
            ? Tr("%s至%s:%lld 个实时读数与仪器下载的样本时间重叠,以下载的样本为准,没有列出")
            : Tr("%s至%s:%lld 个实时读数与先记下的另一段实时读数时间重叠,没有列出");
    return StrFormat(text, SampleTimeText(s.first).c_str(), SampleTimeText(s.last).c_str(),
                     static_cast<long long>(s.count));
}

void SampleTable::Clear() {
    units_ = RecordUnits{};
    series_ = {};
    total_ = 0;
    gaps_ = 0;
    unitsRecording_ = -1;
    numberBase_ = 0;
    intervals_.clear();
    notes_.clear();
    columns_.clear();
    rows_.clear();
    text_.clear();
    offsets_.assign(1, 0);
    times_ = LocalTimeTexts{};  // the zone may have changed since the last table
}

void SampleTable::SetColumns(InstrumentTypeId type) {
    series_ = qx::SeriesList(type);
    if (!IsKnownModel(type)) return;
    columns_.push_back({SampleColumn::kRecordNumber, Tr("记录"), 50});
    columns_.push_back({SampleColumn::kTime, Tr("时间"), 145});
    for (int s : series_) {
        int width = kSeriesWidths[s];
        if (s == 2 && (ChannelMask(type) & kChFlow)) width = width * 8 / 5;
        columns_.push_back({s, SeriesTitle(s, units_), width});
    }
}

void SampleTable::AddRow(int32_t sample, int32_t recording, std::time_t t,
                         const SeriesValues& values) {
    rows_.push_back({sample, recording, t, values});
    for (const SampleColumn& c : columns_) {
        if (c.series == SampleColumn::kRecordNumber) {
            AppendInt(text_, numberBase_ + static_cast<int64_t>(rows_.size()) - gaps_);
        } else if (c.series == SampleColumn::kTime) {
            times_.Append(text_, t);
        } else {
            AppendCellText(text_, c.series, values[static_cast<size_t>(c.series)], units_);
        }
        offsets_.push_back(static_cast<uint32_t>(text_.size()));
    }
}

void SampleTable::AddGapRow(std::time_t before, std::time_t after) {
    SeriesValues none;
    none.fill(kNoValue);
    rows_.push_back({-1, -1, before, none});
    ++gaps_;
    for (const SampleColumn& c : columns_) {
        if (c.series == SampleColumn::kTime) {
            text_ += StrFormat(Tr("间断 %s"), DurationText(SecondsBetween(before, after)).c_str());
        }
        offsets_.push_back(static_cast<uint32_t>(text_.size()));
    }
}

void SampleTable::Build(const RecordSet& set, const QueryWindow& window) {
    Clear();
    const ParamBlock params = set.Params();
    units_ = RecordUnitsOf(params.UnitByte(), set.type);
    total_ = set.count;
    unitsRecording_ = 0;
    SetColumns(set.type);

    const SampleClock clock = SampleClockOf(params, set.type);
    intervals_.assign(1, clock.interval);
    const int32_t count = std::max<int32_t>(0, std::min(set.count, RecordSet::kMaxRows));
    // Room for a typical row (about 8 characters per cell plus the time) avoids regrowth.
    text_.reserve(static_cast<size_t>(count) * (columns_.size() * 8 + 17));
    offsets_.reserve(static_cast<size_t>(count) * columns_.size() + 1);
    rows_.reserve(static_cast<size_t>(count));

    for (int32_t k = 0; k < count; ++k) {
        const std::time_t t = clock.TimeOf(static_cast<uint32_t>(k));
        if (!window.Contains(t)) continue;
        AddRow(k, 0, t, ComputeSeries(set.rows[static_cast<size_t>(k)], units_));
    }
}

void SampleTable::Build(const InstrumentHistory& history, const QueryWindow& window) {
    const int chosen = UnitsRecordingOf(history, window);
    if (chosen < 0) {
        Clear();
        return;
    }
    const RecordingSamples& r = history[static_cast<size_t>(chosen)];
    Build(history, window, RecordUnitsOf(r.params.UnitByte(), r.type));
}

void SampleTable::Build(const InstrumentHistory& history, const QueryWindow& window,
                        const RecordUnits& units) {
    Clear();
    unitsRecording_ = UnitsRecordingOf(history, window);
    units_ = units;
    SetColumns(units.type);

    size_t selected = 0;
    std::vector<int> indexes;
    for (const RecordingSamples& recording : history) {
        total_ += static_cast<int>(recording.samples.size());
        indexes.push_back(static_cast<int>(intervals_.size()));
        intervals_.push_back(SampleClockOf(recording.params, recording.type).interval);
        const auto [first, end] = InWindow(recording.samples, window);
        selected += end > first ? end - first : 0;
    }
    text_.reserve(selected * (columns_.size() * 8 + 17));
    offsets_.reserve(selected * columns_.size() + 1);
    rows_.reserve(selected);
    TableContinuation start;
    AppendHistory(history, window, indexes, start, true);
}

void SampleTable::BuildPiece(const InstrumentHistory& piece, const QueryWindow& window,
                             const RecordUnits& units, int unitsRecording,
                             std::span<const int> recordings, std::span<const int64_t> intervals,
                             TableContinuation& continuation) {
    Clear();
    unitsRecording_ = unitsRecording;
    units_ = units;
    SetColumns(units.type);
    intervals_.assign(intervals.begin(), intervals.end());
    numberBase_ = continuation.samples;
    for (const RecordingSamples& recording : piece)
        total_ += static_cast<int>(recording.samples.size());
    AppendHistory(piece, window, recordings, continuation, false);
}

std::array<bool, kSeriesCount> SampleTable::ShownSeries(const RecordingSamples& recording,
                                                        int64_t first, int64_t last,
                                                        std::vector<std::string>* notes) const {
    std::array<bool, kSeriesCount> inTable{};
    for (int s : series_)
        inTable[static_cast<size_t>(s)] = true;
    const RecordUnits own = RecordUnitsOf(recording.params.UnitByte(), recording.type);
    const RecordUnits computed = WithUnitsOf(own, units_);
    // The table's series this recording has, in units it can be shown in: values of the
    // others stay empty.
    std::array<bool, kSeriesCount> shown{};
    for (int s : qx::SeriesList(recording.type)) {
        const auto i = static_cast<size_t>(s);
        if (!inTable[i] || std::string_view(own.ids[i]) != units_.ids[i]) continue;
        if (std::string_view(computed.units[i]) == units_.units[i]) {
            shown[i] = true;
            continue;
        }
        if (notes) {
            notes->push_back(StrFormat(Tr("%s至%s的记录:%s的单位%s不能换算成%s,没有列出"),
                                       SampleTimeText(first).c_str(), SampleTimeText(last).c_str(),
                                       own.names[i], computed.units[i], units_.units[i]));
        }
    }
    return shown;
}

void SampleTable::AppendHistory(const InstrumentHistory& history, const QueryWindow& window,
                                std::span<const int> recordings, TableContinuation& at,
                                bool notes) {
    std::array<bool, kSeriesCount> inTable{};
    for (int s : series_)
        inTable[static_cast<size_t>(s)] = true;
    for (size_t r = 0; r < history.size(); ++r) {
        const RecordingSamples& recording = history[r];
        for (const SetAsideSamples& s : recording.setAside)
            notes_.push_back(SetAsideNote(s));
        const auto [first, end] = InWindow(recording.samples, window);
        if (first >= end) continue;
        const RecordUnits own = RecordUnitsOf(recording.params.UnitByte(), recording.type);
        const RecordUnits computed = WithUnitsOf(own, units_);
        const std::array<bool, kSeriesCount> shown =
            ShownSeries(recording, recording.samples.front().time, recording.samples.back().time,
                        notes ? &notes_ : nullptr);
        const int index = recordings[r];
        const int64_t interval = intervals_[static_cast<size_t>(index)];
        for (size_t k = first; k < end; ++k) {
            const TimedSample& sample = recording.samples[k];
            // More than one and a half intervals: at least one sample is missing.
            if (at.havePrevious && at.previousInterval > 0 &&
                SecondsBetween(at.previous, sample.time) >
                    static_cast<uint64_t>(at.previousInterval + at.previousInterval / 2)) {
                AddGapRow(at.previous, sample.time);
            }
            SeriesValues values = ComputeSeries(sample.row, computed);
            for (size_t s = 0; s < values.size(); ++s) {
                if (!shown[s]) values[s] = inTable[s] ? kNoValue : 0;
            }
            AddRow(static_cast<int32_t>(k), static_cast<int32_t>(index), sample.time, values);
            at.havePrevious = true;
            at.previous = sample.time;
            at.previousInterval = interval;
            ++at.samples;
        }
    }
}

std::string_view SampleTable::Cell(int row, int column) const {
    if (row < 0 || row >= RowCount() || column < 0 || column >= ColumnCount()) return {};
    const size_t i = static_cast<size_t>(row) * columns_.size() + static_cast<size_t>(column);
    return std::string_view(text_).substr(offsets_[i], offsets_[i + 1] - offsets_[i]);
}

}  // namespace qx
