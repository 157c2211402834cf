// The sample table of a record query: the columns and every row's cells exactly as the record
// browser's sample list shows them and as export writes them, plus per row the sample's index,
// time and eight series values for the chart and for numeric cells.
//
// Columns: "记录" (50), "时间" (145), then one per entry of the type's series list, titled
// "%s(%s)" with the series name and unit, widths 75, 75, 75, 80, 75, 75, 80, 90 by series (the
// flow meter's air density 120). Types outside 1..11 have no columns.
// Cells: the row number from 1, the local time "%y-%m-%d %H:%M:%S", the value texts.
//
// An instrument's history (several recordings, core/library/recording_samples.h) makes one
// table of all its samples in the window, in time order and numbered from 1 across them:
//   - Units: one per series for the whole table, those of the latest recording with samples in
//     the window (the latest recording when none has). The other recordings' temperatures and
//     pressures are converted; a flow recorded in another flow unit cannot be (the instrument
//     names its unit but gives no factor): those cells stay empty and Notes() says why. A
//     series a recording's type does not have is empty too.
//   - Gaps: where the next sample comes more than one and a half of the previous sample's
//     interval after it (between recordings, and inside one where samples are missing), a
//     gap row lies between the two: no number, "间断 %s" with the time between the two
//     samples in the time column, no values (NaN). The statistics skip it, it ends any
//     excursion, and the chart breaks its lines there. A gap row has the time of the sample
//     before it.
//   - Each row knows its recording and the interval of its recording (the time its sample
//     stands for in the statistics).
// A single record's table has no gap rows, one recording (0) and the record's interval.
//
// Texts live in one character buffer with an offset per cell, so a cell is a cheap view;
// Build() reuses the buffers of the previous query.
#pragma once

#include <array>
#include <cstdint>
#include <ctime>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/library/recording_samples.h"
#include "derived_series.h"
#include "number_text.h"
#include "record_query.h"

namespace qx {

struct RecordSet;

struct SampleColumn {
    static constexpr int kRecordNumber = -2;
    static constexpr int kTime = -1;
    int series = kRecordNumber;  // kRecordNumber, kTime or the series 0..7
    std::string title;
    int width = 0;
};

// Where a history's table built in pieces goes on: what the rows before a piece leave it.
struct TableContinuation {
    int64_t samples = 0;  // sample rows so far; the piece numbers its rows on from samples + 1
    bool havePrevious = false;
    std::time_t previous = 0;      // time of the last sample so far
    int64_t previousInterval = 0;  // its recording's interval
};

// Why a history leaves the samples of another recording out (core/library/timeline.h), in the
// current language: the notes of the table of a history.
std::string SetAsideNote(const SetAsideSamples& setAside);

class SampleTable {
  public:
    // Selects the samples of set within window, in record order, and builds their cells.
    void Build(const RecordSet& set, const QueryWindow& window);
    // Selects the samples of every recording of history within window, in time order, with
    // gap rows between them where samples are missing, in the units described above.
    void Build(const InstrumentHistory& history, const QueryWindow& window);
    // The same in given units: those of the history's type (RecordUnitsOf) with another
    // temperature or pressure unit (WithUnitsOf), as a comparison of instruments needs.
    void Build(const InstrumentHistory& history, const QueryWindow& window,
               const RecordUnits& units);
    // One piece of a history's table in the given units, as the rows of a table of the whole
    // history would be: piece is the history's recordings in a stretch of its time, in time
    // order; recordings[i] is the index in the whole history of piece[i], intervals are those of
    // every recording of the whole history, unitsRecording is the whole table's. Numbers and gap
    // rows go on from continuation, which is moved on past the piece. Notes() stays empty: the
    // whole history's notes come from ShownSeries.
    void BuildPiece(const InstrumentHistory& piece, const QueryWindow& window,
                    const RecordUnits& units, int unitsRecording, std::span<const int> recordings,
                    std::span<const int64_t> intervals, TableContinuation& continuation);
    // The series of the table (of the units it was built in) that recording can show, and for
    // each it cannot (a flow unit that cannot be converted) the note of Notes() to notes, naming
    // the times of its first and last sample in the window.
    std::array<bool, kSeriesCount> ShownSeries(const RecordingSamples& recording, int64_t first,
                                               int64_t last,
                                               std::vector<std::string>* notes = nullptr) const;
    // Back to an empty table without columns.
    void Clear();

    InstrumentTypeId Type() const { return units_.type; }
    const RecordUnits& Units() const { return units_; }
    std::span<const int> SeriesList() const { return series_; }
    // Samples of the record or of every recording of the history (the total of the status
    // line).
    int TotalCount() const { return total_; }
    // Rows that are samples: RowCount() without the gap rows.
    int SampleCount() const { return RowCount() - gaps_; }
    // The recording whose units, limits and texts a history's table shows; 0 for a record,
    // -1 for an empty history.
    int UnitsRecording() const { return unitsRecording_; }
    // Why some cells of a history stay empty (a flow unit that cannot be converted), one text
    // per cause in the current language.
    std::span<const std::string> Notes() const { return notes_; }

    std::span<const SampleColumn> Columns() const { return columns_; }
    int ColumnCount() const { return static_cast<int>(columns_.size()); }
    int RowCount() const { return static_cast<int>(rows_.size()); }

    // The text of cell (row, column); empty outside the table. Valid until the next Build().
    std::string_view Cell(int row, int column) const;
    // Index of the row's sample in its record or recording (-1 for a gap row), its time and
    // its eight series values (NaN for a gap row).
    int32_t SampleIndex(int row) const { return rows_[static_cast<size_t>(row)].sample; }
    std::time_t Time(int row) const { return rows_[static_cast<size_t>(row)].time; }
    const SeriesValues& Values(int row) const { return rows_[static_cast<size_t>(row)].values; }
    bool IsGap(int row) const { return rows_[static_cast<size_t>(row)].recording < 0; }
    // The row's recording in the history (0 for a record, -1 for a gap row) and the seconds its
    // sample stands for (0 for a gap row).
    int Recording(int row) const { return rows_[static_cast<size_t>(row)].recording; }
    int64_t Interval(int row) const {
        const int r = Recording(row);
        return r < 0 ? 0 : intervals_[static_cast<size_t>(r)];
    }

  private:
    struct Row {
        int32_t sample;
        int32_t recording;  // -1: a gap row
        std::time_t time;
        SeriesValues values;
    };

    void SetColumns(InstrumentTypeId type);
    void AddRow(int32_t sample, int32_t recording, std::time_t time, const SeriesValues& values);
    void AddGapRow(std::time_t before, std::time_t after);
    void AppendHistory(const InstrumentHistory& history, const QueryWindow& window,
                       std::span<const int> recordings, TableContinuation& at, bool notes);

    RecordUnits units_;
    std::span<const int> series_;
    int total_ = 0;
    int gaps_ = 0;
    int unitsRecording_ = -1;
    int64_t numberBase_ = 0;          // sample rows before this piece of a table
    std::vector<int64_t> intervals_;  // per recording
    std::vector<std::string> notes_;
    std::vector<SampleColumn> columns_;
    std::vector<Row> rows_;
    std::string text_;               // every cell's text, back to back
    std::vector<uint32_t> offsets_;  // start of cell i = row * columns + column; one extra end
    LocalTimeTexts times_;
};

}  // namespace qx
