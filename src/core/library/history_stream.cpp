#include "history_stream.h"

#include <algorithm>
#include <limits>

#include "core/records/sample_table.h"
#include "library_texts.h"
#include "record_library.h"

namespace qx {
namespace {

// a + b without running past the largest time.
int64_t SaturatingAdd(int64_t a, int64_t b) {
    return a > std::numeric_limits<int64_t>::max() - b ? std::numeric_limits<int64_t>::max()
                                                       : a + b;
}

}  // namespace

HistoryStream::HistoryStream(RecordLibrary& library, LibraryId instrument,
                             const QueryWindow& window, int64_t pieceSamples)
    : library_(library),
      instrument_(instrument),
      window_(window),
      pieceSamples_(std::max<int64_t>(pieceSamples, 1)) {}

int HistoryStream::IndexOf(const RecordingSamples& recording) {
    for (size_t k = 0; k < known_.size(); ++k) {
        const RecordingSamples& r = known_[k].recording;
        if (r.type == recording.type && r.params.bytes == recording.params.bytes) {
            return static_cast<int>(k);
        }
    }
    Known k;
    k.recording.type = recording.type;
    k.recording.params = recording.params;
    k.interval = SampleClockOf(recording.params, recording.type).interval;
    known_.push_back(std::move(k));
    return static_cast<int>(known_.size()) - 1;
}

bool HistoryStream::Survey() {
    stretches_.clear();
    known_.clear();
    notes_.clear();
    columns_.clear();
    damaged_.clear();
    samples_ = 0;
    unitsRecording_ = -1;
    units_ = RecordUnits{};
    library_.TakeDamaged();  // those of earlier reads

    std::vector<LibraryRecording> all;
    if (!library_.AllRecordings(all)) return false;
    std::erase_if(all, [this](const LibraryRecording& r) {
        return r.instrument != instrument_ || r.totals.samples == 0;
    });
    if (!all.empty()) {
        int64_t shortest = std::numeric_limits<int64_t>::max();
        int64_t lo = std::numeric_limits<int64_t>::max();
        int64_t hi = std::numeric_limits<int64_t>::min();
        for (const LibraryRecording& r : all) {
            const int64_t interval =
                SampleClockOf(r.header.Params(), r.instrumentKey.model).interval;
            shortest = std::min(shortest, std::max<int64_t>(interval, 1));
            lo = std::min(lo, r.totals.first);
            hi = std::max(hi, r.totals.last);
        }
        if (window_.bounded) {
            lo = std::max(lo, window_.from);
            hi = std::min(hi, window_.to);
        }
        const int64_t span = shortest > std::numeric_limits<int64_t>::max() / pieceSamples_
                                 ? std::numeric_limits<int64_t>::max()
                                 : shortest * pieceSamples_;
        InstrumentHistory piece;
        // What the history sets aside, one note per kind across the pieces.
        std::vector<SetAsideSamples> setAside;
        for (int64_t t = lo; t <= hi;) {
            const int64_t to = std::min(hi, SaturatingAdd(t, span - 1));
            if (!library_.History(instrument_, t, to, piece)) return false;
            bool held = false;
            for (const RecordingSamples& r : piece) {
                if (r.samples.empty()) continue;
                held = true;
                Known& k = known_[static_cast<size_t>(IndexOf(r))];
                if (k.samples == 0) k.first = r.samples.front().time;
                k.last = r.samples.back().time;
                k.samples += static_cast<int>(r.samples.size());
                samples_ += static_cast<int64_t>(r.samples.size());
                for (const SetAsideSamples& s : r.setAside) {
                    if (s.damaged) continue;  // told by recording below
                    const auto same = std::find_if(setAside.begin(), setAside.end(), [&](auto& x) {
                        return x.live == s.live && x.keptLive == s.keptLive;
                    });
                    if (same == setAside.end()) {
                        setAside.push_back(s);
                        continue;
                    }
                    same->first = std::min(same->first, s.first);
                    same->last = std::max(same->last, s.last);
                    same->count += s.count;
                }
            }
            if (held) stretches_.push_back({t, to});
            if (to >= hi) break;
            // On to the next time a recording may hold a sample.
            std::optional<int64_t> next;
            for (const LibraryRecording& r : all) {
                if (r.totals.last <= to) continue;
                const int64_t at = std::max(to + 1, r.totals.first);
                if (!next || at < *next) next = at;
            }
            if (!next) break;
            t = *next;
        }
        for (const SetAsideSamples& s : setAside)
            notes_.push_back(SetAsideNote(s));
        for (const DamagedRun& d : library_.TakeDamaged()) {
            const auto same = std::find_if(damaged_.begin(), damaged_.end(),
                                           [&](auto& x) { return x.recording == d.recording; });
            if (same == damaged_.end()) {
                damaged_.push_back(d);
                continue;
            }
            same->first = std::min(same->first, d.first);
            same->last = std::max(same->last, d.last);
            same->samples += d.samples;
            same->shortBytes = same->shortBytes || d.shortBytes;
        }
        for (const DamagedRun& d : damaged_)
            notes_.push_back(DamagedRunLine(d));
    }

    unitsRecording_ = static_cast<int>(known_.size()) - 1;
    if (unitsRecording_ < 0) return true;
    const RecordingSamples& shown = known_.back().recording;
    units_ = RecordUnitsOf(shown.params.UnitByte(), shown.type);
    SampleTable empty;
    empty.Build(InstrumentHistory{}, window_, units_);
    columns_.assign(empty.Columns().begin(), empty.Columns().end());
    for (const Known& k : known_)
        empty.ShownSeries(k.recording, k.first, k.last, &notes_);
    return true;
}

std::string HistoryStream::HeaderText() const {
    if (unitsRecording_ < 0) return RecordHeaderText(ParamTexts{});
    const RecordingSamples& shown = known_[static_cast<size_t>(unitsRecording_)].recording;
    return RecordHeaderText(MakeParamTexts(shown.params, shown.type));
}

std::vector<ParamListRow> HistoryStream::ParamRows() const {
    std::vector<RecordingSettings> settings;
    for (size_t k = 0; k < known_.size(); ++k) {
        const Known& known = known_[k];
        const ParamTexts texts = MakeParamTexts(known.recording.params, known.recording.type);
        settings.push_back({static_cast<int>(k), known.first, known.last, known.samples,
                            ParamListRows(known.recording.type, &texts)});
    }
    return HistoryParamRows(settings);
}

TablePieces HistoryStream::Pieces(RecordStatistics* statistics, std::string condition,
                                  const StatisticsSettings& settings) {
    TablePieces pieces;
    pieces.columns = columns_;
    pieces.read = [this, statistics, condition = std::move(condition), settings](
                      const TablePieces::Each& each, std::string* error) {
        return ReadPieces(each, error, statistics, condition, settings);
    };
    return pieces;
}

bool HistoryStream::ReadPieces(const TablePieces::Each& each, std::string* error,
                               RecordStatistics* statistics, const std::string& condition,
                               const StatisticsSettings& settings) {
    const RecordingSamples* shown =
        unitsRecording_ < 0 ? nullptr : &known_[static_cast<size_t>(unitsRecording_)].recording;
    RunningStatistics running = StartHistoryStatistics(shown, columns_, units_, settings);
    TableContinuation at;
    SampleTable table;
    InstrumentHistory piece;
    std::vector<int> indexes;
    std::vector<int64_t> intervals;
    for (const Stretch& stretch : stretches_) {
        if (!library_.History(instrument_, stretch.from, stretch.to, piece)) {
            if (error) {
                *error = LibraryErrorMessage(library_.Location(), library_.Error());
                if (!library_.Error().detail.empty()) *error += "\n" + library_.Error().detail;
            }
            return false;
        }
        indexes.clear();
        for (const RecordingSamples& r : piece)
            indexes.push_back(IndexOf(r));
        // A recording added since the survey joins the known ones.
        intervals.clear();
        for (const Known& k : known_)
            intervals.push_back(k.interval);
        table.BuildPiece(piece, window_, units_, unitsRecording_, indexes, intervals, at);
        if (statistics) running.Add(table);
        if (!each(table)) return false;
    }
    if (statistics) {
        shown =
            unitsRecording_ < 0 ? nullptr : &known_[static_cast<size_t>(unitsRecording_)].recording;
        const std::string file = statistics->file;
        *statistics = running.Finish(static_cast<int>(at.samples));
        NameHistoryStatistics(*statistics, shown, condition);
        statistics->file = file;
    }
    return true;
}

}  // namespace qx
