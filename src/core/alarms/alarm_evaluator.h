// Alarm evaluation over readings and time: threshold alarms per channel (warning and alarm
// levels, delays, dead bands) and lost instruments. Plain code fed readings and clock ticks,
// used alike by the monitor, by rules tests on a fast clock and by the window.
//
//   levels    a value strictly beyond warn-high (or below warn-low) is at the warning level,
//             strictly beyond high (below low) at the alarm level; a value equal to a level is
//             inside it, as everywhere else.
//   delay     a condition (any level on one side) is raised once it has lasted its delay: at
//             the first reading at least `delay` seconds after the first reading outside. A
//             reading back inside before then raises nothing. A delay of 0 raises at once.
//   deadband  an active level holds while the value stays beyond its level less the dead band;
//             a value exactly at that edge has come back the dead band's width inside, and the
//             level ends there. Without a dead band the level ends at a value equal to it.
//   levels    of an active alarm change at once, warning to alarm or back (kLevel).
//   no value  a reading without a value for a channel (dew point at 0 %RH) changes nothing.
//   lost      an instrument that has not answered for the lost delay raises a lost alarm (on
//             the no-answer report or a tick); its next reading ends it. Conditions not yet
//             raised start again after a gap; raised threshold alarms stand through it.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "alarm_event.h"
#include "alarm_rules.h"

namespace qx {

// An id for an alarm, until the journal keeps them: instrument, channel or kind, and start
// ("QX450:A0200001/temp/20260105T080000"), unique per instrument and start.
std::string ProvisionalAlarmId(const AlarmEvent& event);

class AlarmEvaluator {
  public:
    // Starts evaluating an instrument (again: its state is kept, its rules replaced).
    void Watch(const InstrumentKey& instrument, const std::string& name,
               const InstrumentAlarmRules& rules);

    // One reading: the shown value of each series (not finite: no value), at `time`.
    std::vector<AlarmEvent> Reading(const InstrumentKey& instrument, int64_t time,
                                    const std::array<double, kSeriesCount>& values);
    // The instrument did not answer (or is unplugged) at `time`.
    std::vector<AlarmEvent> NoAnswer(const InstrumentKey& instrument, int64_t time);
    // Time passes: lost alarms whose delay has run out.
    std::vector<AlarmEvent> Tick(int64_t time);

    // The reading interval to use: the shortest excursion-every of the instrument's channels
    // now outside, where shorter than `normal`; else `normal`.
    int64_t IntervalFor(const InstrumentKey& instrument, int64_t normal) const;

    // The alarms active now.
    std::vector<AlarmEvent> Active() const;

  private:
    struct Channel {
        ChannelAlarmRule rule;
        std::optional<int64_t> outsideSince;  // condition seen, not yet raised
        AlarmSide pendingSide = AlarmSide::kNone;
        bool active = false;
        AlarmEvent event;  // the active alarm as last told
    };
    struct Instrument {
        InstrumentKey key;
        std::string name;
        std::vector<Channel> channels;
        std::optional<int64_t> lostDelay;
        std::optional<int64_t> silentSince;  // no answer since
        bool lost = false;
        AlarmEvent lostEvent;
    };

    Instrument* Find(const InstrumentKey& key);
    void Evaluate(Instrument& in, Channel& c, int64_t time, double value,
                  std::vector<AlarmEvent>& out);
    void CheckLost(Instrument& in, int64_t time, std::vector<AlarmEvent>& out);

    std::vector<Instrument> instruments_;
};

}  // namespace qx
