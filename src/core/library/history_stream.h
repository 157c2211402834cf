// An instrument's history read from the library a stretch of time at a time, for exports of
// any length: memory holds one stretch (about kPieceSamples samples), never the whole history.
//
// Survey() reads the history once for what an export writes before the rows: the recordings
// with samples in the window (the settings rows, the recording whose units the table shows),
// the number of samples and the notes of series that cannot be shown. Pieces() then reads it
// again stretch by stretch and hands out the rows as SampleTable::Build(history, window) would
// make them for the whole history, with the figures of all of them (ComputeHistoryStatistics)
// taken as they pass.
//
// The stretches follow the instrument's recordings: kPieceSamples of its shortest interval
// each, from its first sample in the window to its last; time that no recording covers is
// skipped. A recording is known across stretches by its type and settings block.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/model/param_list_rows.h"
#include "core/records/instrument_history.h"
#include "core/records/record_query.h"
#include "core/records/record_statistics.h"
#include "core/records/table_pieces.h"
#include "library_types.h"
#include "record_library.h"

namespace qx {

class RecordLibrary;

class HistoryStream {
  public:
    static constexpr int64_t kPieceSamples = 32768;

    HistoryStream(RecordLibrary& library, LibraryId instrument, const QueryWindow& window,
                  int64_t pieceSamples = kPieceSamples);

    // False when the library failed (RecordLibrary::Error()).
    bool Survey();

    // After Survey(): the samples in the window (the table's TotalCount and SampleCount), the
    // status line's start (HistoryHeaderText), the notes (SampleTable::Notes) and the settings
    // rows (HistoryParamRows).
    int64_t SampleCount() const { return samples_; }
    std::string HeaderText() const;
    std::span<const std::string> Notes() const { return notes_; }
    std::vector<ParamListRow> ParamRows() const;
    // After Survey(): the damaged runs the history leaves out, one per recording (their first
    // to last time, all their samples); Notes() tells each.
    std::span<const DamagedRun> Damaged() const { return damaged_; }

    // After Survey(): the rows in pieces. When statistics is given, it holds the figures of
    // every row (with condition and settings as ComputeHistoryStatistics takes them) once the
    // last piece has been read. The stream must outlive the pieces.
    TablePieces Pieces(RecordStatistics* statistics, std::string condition = {},
                       const StatisticsSettings& settings = {});

  private:
    struct Stretch {
        int64_t from = 0, to = 0;
    };
    struct Known {
        RecordingSamples recording;  // its type and settings, no samples
        int64_t interval = 0;
        int64_t first = 0, last = 0;  // its first and last sample in the window
        int samples = 0;
    };

    // The index of a piece's recording among those known; a recording first met is added.
    int IndexOf(const RecordingSamples& recording);
    bool ReadPieces(const TablePieces::Each& each, std::string* error, RecordStatistics* statistics,
                    const std::string& condition, const StatisticsSettings& settings);

    RecordLibrary& library_;
    LibraryId instrument_;
    QueryWindow window_;
    int64_t pieceSamples_;
    std::vector<Stretch> stretches_;  // those that held samples
    std::vector<Known> known_;        // in the order of their first samples
    int64_t samples_ = 0;
    int unitsRecording_ = -1;
    RecordUnits units_;
    std::vector<SampleColumn> columns_;
    std::vector<std::string> notes_;
    std::vector<DamagedRun> damaged_;
};

}  // namespace qx
