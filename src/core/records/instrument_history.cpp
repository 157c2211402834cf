#include "instrument_history.h"

#include <algorithm>

#include "core/model/language.h"
#include "core/model/local_time.h"
#include "core/model/text_util.h"
#include "derived_series.h"
#include "sample_table.h"

namespace qx {
namespace {

std::string ListTime(int64_t t) {
    return FormatLocalTime(t, "%y-%m-%d %H:%M:%S");
}

}  // namespace

bool HasSampleInWindow(const RecordingSamples& recording, const QueryWindow& window) {
    if (!window.bounded) return !recording.samples.empty();
    const auto first =
        std::lower_bound(recording.samples.begin(), recording.samples.end(), window.from,
                         [](const TimedSample& s, int64_t t) { return s.time < t; });
    return first != recording.samples.end() && window.Contains(first->time);
}

int UnitsRecordingOf(const InstrumentHistory& history, const QueryWindow& window) {
    for (size_t r = history.size(); r-- > 0;) {
        if (HasSampleInWindow(history[r], window)) return static_cast<int>(r);
    }
    return static_cast<int>(history.size()) - 1;
}

std::vector<RecordingSettings> HistorySettings(const InstrumentHistory& history,
                                               const QueryWindow& window) {
    std::vector<RecordingSettings> out;
    for (size_t r = 0; r < history.size(); ++r) {
        const RecordingSamples& recording = history[r];
        int samples = 0;
        for (const TimedSample& s : recording.samples) {
            if (window.Contains(s.time)) ++samples;
        }
        if (samples == 0) continue;
        const ParamTexts texts = MakeParamTexts(recording.params, recording.type);
        out.push_back({static_cast<int>(r), recording.samples.front().time,
                       recording.samples.back().time, samples,
                       ParamListRows(recording.type, &texts)});
    }
    return out;
}

std::vector<ParamListRow> HistoryParamRows(std::span<const RecordingSettings> settings) {
    std::vector<ParamListRow> rows;
    for (const RecordingSettings& s : settings) {
        rows.push_back({Tr("记录时段"), ListTime(s.first) + " - " + ListTime(s.last)});
        rows.insert(rows.end(), s.rows.begin(), s.rows.end());
    }
    return rows;
}

RunningStatistics StartHistoryStatistics(const RecordingSamples* shown,
                                         std::span<const SampleColumn> columns,
                                         const RecordUnits& units,
                                         const StatisticsSettings& settings) {
    if (!shown) return RunningStatistics(columns, units, 0, AlarmLimits{}, settings);
    // The limits in the table's temperature unit: the block read as if recorded in it.
    ParamBlock params = shown->params;
    const bool fahrenheit = units.temperatureUnit == 1;
    if (IsFahrenheit(params.UnitByte()) != fahrenheit) {
        params.SetU8(param::kUnitByte,
                     static_cast<uint8_t>((params.UnitByte() & 0xF0) | (fahrenheit ? 1 : 0)));
    }
    return RunningStatistics(columns, units, SampleClockOf(shown->params, shown->type).interval,
                             AlarmLimitsOf(params, shown->type), settings);
}

void NameHistoryStatistics(RecordStatistics& rs, const RecordingSamples* shown,
                           std::string_view condition) {
    if (shown) {
        const ParamTexts texts = MakeParamTexts(shown->params, shown->type);
        rs.model = ModelName(shown->type);
        rs.number = texts[ParamText::Number];
        rs.name = texts[ParamText::Name];
    }
    rs.condition = condition;
}

RecordStatistics ComputeHistoryStatistics(const InstrumentHistory& history,
                                          const SampleTable& table, std::string_view condition,
                                          const StatisticsSettings& settings) {
    const int index = table.UnitsRecording();
    const RecordingSamples* shown = index < 0 || static_cast<size_t>(index) >= history.size()
                                        ? nullptr
                                        : &history[static_cast<size_t>(index)];
    RunningStatistics running =
        StartHistoryStatistics(shown, table.Columns(), table.Units(), settings);
    running.Add(table);
    RecordStatistics rs = running.Finish(table.TotalCount());
    NameHistoryStatistics(rs, shown, condition);
    return rs;
}

std::string HistoryHeaderText(const InstrumentHistory& history, const SampleTable& table) {
    const int shown = table.UnitsRecording();
    if (shown < 0 || static_cast<size_t>(shown) >= history.size()) {
        return RecordHeaderText(ParamTexts{});
    }
    const RecordingSamples& recording = history[static_cast<size_t>(shown)];
    return RecordHeaderText(MakeParamTexts(recording.params, recording.type));
}

std::string InstrumentLabel(const RecordingSamples& recording) {
    const ParamTexts texts = MakeParamTexts(recording.params, recording.type);
    const std::string number = Trim(texts[ParamText::Number]);
    const std::string name = Trim(texts[ParamText::Name]);
    if (number.empty() && name.empty()) return ModelName(recording.type);
    if (name.empty()) return number;
    if (number.empty()) return name;
    return number + " " + name;
}

}  // namespace qx
