// The sample table of a record query: the columns and every row's cells exactly as the record
// browser's sample list shows them and as export writes them, plus per row the sample's index,
// time and eight series values for the chart and for numeric cells.
//
// Columns: "记录" (50), "时间" (145), then one per entry of the type's series list, titled
// "%s(%s)" with the series name and unit, widths 75, 75, 75, 80, 75, 75, 80, 90 by series (the
// flow meter's air density 120). Types outside 1..11 have no columns.
// Cells: the row number from 1, the local time "%y-%m-%d %H:%M:%S", the value texts.
//
// Texts live in one character buffer with an offset per cell, so a cell is a cheap view;
// Build() reuses the buffers of the previous query.
#pragma once

#include <cstdint>
#include <ctime>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "derived_series.h"
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

class SampleTable {
  public:
    // Selects the samples of set within window, in record order, and builds their cells.
    void Build(const RecordSet& set, const QueryWindow& window);
    // Back to an empty table without columns.
    void Clear();

    InstrumentTypeId Type() const { return units_.type; }
    const RecordUnits& Units() const { return units_; }
    std::span<const int> SeriesList() const { return series_; }
    // Samples of the record (the total of the status line).
    int TotalCount() const { return total_; }

    std::span<const SampleColumn> Columns() const { return columns_; }
    int ColumnCount() const { return static_cast<int>(columns_.size()); }
    int RowCount() const { return static_cast<int>(rows_.size()); }

    // The text of cell (row, column); empty outside the table. Valid until the next Build().
    std::string_view Cell(int row, int column) const;
    // Index of the row's sample in the record, its time and its eight series values.
    int32_t SampleIndex(int row) const { return rows_[static_cast<size_t>(row)].sample; }
    std::time_t Time(int row) const { return rows_[static_cast<size_t>(row)].time; }
    const SeriesValues& Values(int row) const { return rows_[static_cast<size_t>(row)].values; }

  private:
    struct Row {
        int32_t sample;
        std::time_t time;
        SeriesValues values;
    };

    RecordUnits units_;
    std::span<const int> series_;
    int total_ = 0;
    std::vector<SampleColumn> columns_;
    std::vector<Row> rows_;
    std::string text_;               // every cell's text, back to back
    std::vector<uint32_t> offsets_;  // start of cell i = row * columns + column; one extra end
};

}  // namespace qx
