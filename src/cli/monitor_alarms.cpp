#include "monitor_alarms.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "core/library/record_library.h"
#include "core/model/language.h"
#include "core/model/local_time.h"
#include "core/model/text_util.h"
#include "core/records/number_text.h"
#include "core/records/record_set.h"
#include "core/records/record_statistics.h"
#include "core/records/sample_decoding.h"

namespace qx::cli {

AlarmEventTexts AlarmTextsOf(const AlarmEvent& e, const RecordUnits& units) {
    AlarmEventTexts t;
    const auto at = std::find_if(units.ids.begin(), units.ids.end(),
                                 [&](const char* id) { return id && e.channel == id; });
    if (e.kind != AlarmKind::kThreshold || at == units.ids.end()) return t;
    const int series = static_cast<int>(at - units.ids.begin());
    const int decimals = CellDecimals(series, units);
    t.channelTitle = SeriesTitle(series, units);
    t.unit = units.units[static_cast<size_t>(series)];
    t.value = LimitFigureText(e.value, decimals);
    t.limit = LimitFigureText(e.limit, decimals);
    return t;
}

std::string AlarmEventLine(const AlarmEvent& e, const RecordUnits& units, std::string time,
                           std::string start) {
    if (time.empty()) time = FormatLocalTime(e.time, "%Y-%m-%d %H:%M:%S");
    if (start.empty()) start = FormatLocalTime(e.start, "%Y-%m-%d %H:%M:%S");
    const std::string instrument = InstrumentName(e.instrument);
    if (e.kind == AlarmKind::kLost) {
        if (e.change == AlarmChange::kEnded)
            return StrFormat(Tr(kLostEnds), time.c_str(), instrument.c_str());
        return StrFormat(Tr(kLostStarts), time.c_str(), instrument.c_str(), start.c_str());
    }
    const bool warning = e.level == AlarmLevel::kWarning;
    const char* format = nullptr;
    switch (e.change) {
        case AlarmChange::kRaised:
            format = warning ? kWarningStarts : kExcursionStarts;
            break;
        case AlarmChange::kEnded:
            format = warning ? kWarningEnds : kExcursionEnds;
            break;
        default:
            format = warning ? kAlarmToWarning : kWarningToAlarm;
            break;
    }
    const AlarmEventTexts t = AlarmTextsOf(e, units);
    return StrFormat(Tr(format), time.c_str(), instrument.c_str(), t.channelTitle.c_str(),
                     t.value.c_str(), t.limit.c_str());
}

void MonitorAlarms::Watch(const InstrumentKey& instrument, const std::string& name,
                          const RecordUnits& units, const InstrumentAlarmRules& rules) {
    evaluator_.Watch(instrument, name, rules);
    const auto held = std::find_if(units_.begin(), units_.end(),
                                   [&](const auto& u) { return u.first == instrument; });
    if (held != units_.end()) {
        held->second = units;
    } else {
        units_.emplace_back(instrument, units);
    }
}

const RecordUnits& MonitorAlarms::UnitsOf(const InstrumentKey& instrument) const {
    static const RecordUnits kNone{};
    const auto held = std::find_if(units_.begin(), units_.end(),
                                   [&](const auto& u) { return u.first == instrument; });
    return held == units_.end() ? kNone : held->second;
}

void MonitorAlarms::Reading(const InstrumentKey& instrument, const ParamBlock& settings,
                            const uint8_t* sample, int64_t time) {
    const RecordUnits& units = UnitsOf(instrument);
    SampleRow row;
    DecodeSamples(sample, 1, instrument.model, settings, &row);
    const SeriesValues values = ComputeSeries(row, units);
    std::array<double, kSeriesCount> shown;
    shown.fill(NAN);
    for (const int s : SeriesList(instrument.model)) {
        const float raw = values[static_cast<size_t>(s)];
        // No value (a dew point at 0 %RH): the alarm stands.
        if (std::isfinite(raw))
            shown[static_cast<size_t>(s)] = ShownValue(raw, CellDecimals(s, units));
    }
    Tell(evaluator_.Reading(instrument, time, shown));
}

void MonitorAlarms::NoAnswer(const InstrumentKey& instrument, int64_t time) {
    Tell(evaluator_.NoAnswer(instrument, time));
}

void MonitorAlarms::Tick(int64_t time) {
    Tell(evaluator_.Tick(time));
}

void MonitorAlarms::Tell(const std::vector<AlarmEvent>& events) {
    for (const AlarmEvent& e : events)
        tell_(e, UnitsOf(e.instrument));
}

}  // namespace qx::cli
