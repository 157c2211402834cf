// The monitor's alarms: each reading of an instrument against its alarm rules
// (core/alarms/alarm_evaluator.h), a line on stdout for every change, and every change to the
// --on-alarm command queue.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "alarm_command_queue.h"
#include "core/alarms/alarm_evaluator.h"
#include "core/records/derived_series.h"

namespace qx::cli {

inline constexpr const char* kExcursionStarts = TrNoop("%s: %s %s 超限开始: %s, 限值 %s");
inline constexpr const char* kExcursionEnds = TrNoop("%s: %s %s 超限结束: %s, 限值 %s");
inline constexpr const char* kWarningStarts = TrNoop("%s: %s %s 预警开始: %s, 预警值 %s");
inline constexpr const char* kWarningEnds = TrNoop("%s: %s %s 预警结束: %s, 预警值 %s");
inline constexpr const char* kWarningToAlarm = TrNoop("%s: %s %s 由预警转为超限: %s, 限值 %s");
inline constexpr const char* kAlarmToWarning = TrNoop("%s: %s %s 由超限转为预警: %s, 预警值 %s");
inline constexpr const char* kLostStarts = TrNoop("%s: %s 失去联系报警: 自 %s 起没有应答");
inline constexpr const char* kLostEnds = TrNoop("%s: %s 失去联系报警结束: 又有应答");

// The line an event prints; `units` are the instrument's. The event's time and start as
// `time` and `start` give them (local time when empty).
std::string AlarmEventLine(const AlarmEvent& event, const RecordUnits& units, std::string time = {},
                           std::string start = {});
// The texts of a threshold event as its channel shows them.
AlarmEventTexts AlarmTextsOf(const AlarmEvent& event, const RecordUnits& units);

class MonitorAlarms {
  public:
    using Teller = std::function<void(const AlarmEvent&, const RecordUnits&)>;
    // Every event goes to `tell`.
    explicit MonitorAlarms(Teller tell) : tell_(std::move(tell)) {}

    void Watch(const InstrumentKey& instrument, const std::string& name, const RecordUnits& units,
               const InstrumentAlarmRules& rules);
    // One reading: a sample of the model's record layout, decoded with these settings.
    void Reading(const InstrumentKey& instrument, const ParamBlock& settings, const uint8_t* sample,
                 int64_t time);
    void NoAnswer(const InstrumentKey& instrument, int64_t time);
    void Tick(int64_t time);
    int64_t IntervalFor(const InstrumentKey& instrument, int64_t normal) const {
        return evaluator_.IntervalFor(instrument, normal);
    }

  private:
    void Tell(const std::vector<AlarmEvent>& events);
    const RecordUnits& UnitsOf(const InstrumentKey& instrument) const;

    Teller tell_;
    AlarmEvaluator evaluator_;
    std::vector<std::pair<InstrumentKey, RecordUnits>> units_;
};

}  // namespace qx::cli
