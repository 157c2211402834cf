// An instrument's history as the record browser, its export and qxlog-cli show it: the table is
// SampleTable::Build(history, window); this adds its figures, its header text and the settings
// of each recording in the window.
//
// Settings: every recording with a sample in the window gives its parameter list (the rows its
// type shows, as for a record) after a row "记录时段" with the times of its first and last
// sample; HistoryParamRows() puts them one after the other for the export's settings sheet
// and list text.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/library/recording_samples.h"
#include "core/model/param_list_rows.h"
#include "record_query.h"
#include "record_statistics.h"

namespace qx {

class SampleTable;
struct SampleColumn;

struct RecordingSettings {
    int recording = 0;               // index in the history
    int64_t first = 0, last = 0;     // times of its first and last sample
    int samples = 0;                 // its samples in the window
    std::vector<ParamListRow> rows;  // the parameter list of its settings
};

// True when a recording has a sample in the window (its samples in time order).
bool HasSampleInWindow(const RecordingSamples& recording, const QueryWindow& window);
// The recording whose units, limits and texts a history shows: the latest with a sample in the
// window, else the latest; -1 for an empty history.
int UnitsRecordingOf(const InstrumentHistory& history, const QueryWindow& window);

std::vector<RecordingSettings> HistorySettings(const InstrumentHistory& history,
                                               const QueryWindow& window);
// Each recording's "记录时段" row ("%y-%m-%d %H:%M:%S - %y-%m-%d %H:%M:%S") and its rows.
std::vector<ParamListRow> HistoryParamRows(std::span<const RecordingSettings> settings);

// The figures of a history's table. Interval, alarm limits (in the table's units) and texts
// are those of the recording whose units the table shows (SampleTable::UnitsRecording);
// times outside limits count each sample's own interval.
RecordStatistics ComputeHistoryStatistics(const InstrumentHistory& history,
                                          const SampleTable& table, std::string_view condition,
                                          const StatisticsSettings& settings = {});

// The same in steps, for a table in pieces: the figures started for the table's columns and
// units with the recording whose units it shows (none for an empty history), and once every
// piece is added and finished, named after that recording with the query's condition.
RunningStatistics StartHistoryStatistics(const RecordingSamples* shown,
                                         std::span<const SampleColumn> columns,
                                         const RecordUnits& units,
                                         const StatisticsSettings& settings);
void NameHistoryStatistics(RecordStatistics& statistics, const RecordingSamples* shown,
                           std::string_view condition);

// "编号:%s 测量名:%s " of the recording whose units the table shows (the status line's start).
std::string HistoryHeaderText(const InstrumentHistory& history, const SampleTable& table);

// "number name" of a recording, the instrument's name in a comparison's legend and columns:
// the number alone without a name, the model without either.
std::string InstrumentLabel(const RecordingSamples& recording);

}  // namespace qx
