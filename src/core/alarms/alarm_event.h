// What the alarm evaluation tells the rest of the program: one change of one alarm's state.
// The evaluators (thresholds, lost instruments, silent monitors) raise these; the alarm journal
// gives each alarm its id and keeps it in the record library; the monitor's command queue and
// the messages take them as they are. Plain values only, so that every user of an event can be
// tested without the others.
#pragma once

#include <cstdint>
#include <string>

#include "core/library/library_types.h"

namespace qx {

enum class AlarmKind {
    kThreshold,     // a channel's value reached a warning level or left its limits
    kLost,          // an instrument unplugged or not answering
    kSilent,        // a monitor that has written nothing to the library for too long
    kMonitorFault,  // a library that cannot be written, messages that cannot be sent
    kCalibration,   // an instrument due for calibration or overdue
};

enum class AlarmLevel { kWarning, kAlarm };

enum class AlarmSide { kNone, kHigh, kLow };

enum class AlarmChange {
    kRaised,        // the condition lasted its delay: the alarm begins
    kLevel,         // an active alarm went from warning to alarm or back
    kEnded,         // back inside (past the dead band), plugged in again, written again
    kAcknowledged,  // a user saw it, with a comment
};

// An alarm is one condition of one instrument (and channel) from its start to its end.
struct AlarmEvent {
    AlarmChange change = AlarmChange::kRaised;
    AlarmKind kind = AlarmKind::kThreshold;
    AlarmLevel level = AlarmLevel::kAlarm;
    AlarmSide side = AlarmSide::kNone;
    std::string id;  // given by the journal when raised; empty before
    InstrumentKey instrument;
    std::string name;     // the instrument's measurement name, UTF-8; may be empty
    std::string channel;  // channel id as --limit takes it (temp, hum, co2, ...); empty if none
    double value = 0;     // the reading that made the change (threshold alarms)
    double limit = 0;     // the level it reached or left
    double extreme = 0;   // the farthest value reached while active
    int64_t start = 0;    // seconds since 1970: when the condition began
    int64_t time = 0;     // when this change happened
    std::string user;     // kAcknowledged: who, and their comment
    std::string comment;
};

}  // namespace qx
