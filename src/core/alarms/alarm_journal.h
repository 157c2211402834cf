// The alarm journal: every change of every alarm and every message about it, kept in the
// record library and only ever appended to, and the state of each alarm read back from it.
// An alarm is active from its raise to its end; it stays listed, whether active or ended, until
// a user acknowledged it with a comment.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "alarm_event.h"
#include "core/library/record_library.h"

namespace qx {

// The entry that keeps an event, written by `host`.
LibraryAlarmEntry AlarmEntryOf(const AlarmEvent& event, const std::string& host);
// An entry of a message about an alarm: sent, or failed with its reason.
LibraryAlarmEntry MessageEntry(const AlarmEvent& about, const std::string& host, bool sent,
                               const std::string& recipients, const std::string& reason,
                               int64_t time);

struct AlarmState {
    AlarmEvent alarm;  // the latest change (kind, instrument, channel, level, side, value)
    bool active = true;
    int64_t start = 0;
    int64_t end = 0;     // 0 while active
    double extreme = 0;  // the farthest value reached
    bool acknowledged = false;
    std::string ackUser, ackComment;
    int64_t ackTime = 0;
    int messagesSent = 0, messagesFailed = 0;
    std::string lastFailure;                 // the reason of the latest failed message
    std::vector<LibraryAlarmEntry> entries;  // every entry of the alarm, by seq
};

// The alarms the entries tell of, most urgent first: active and unacknowledged (alarms before
// warnings), ended and unacknowledged, active and acknowledged, then the rest; newest first
// within each.
std::vector<AlarmState> AlarmStates(const std::vector<LibraryAlarmEntry>& entries);

// What to list: every alarm that has a change in from..to; `active` keeps those still active
// or not yet acknowledged; `instrument` MODEL:NUMBER or NUMBER.
struct AlarmListQuery {
    AlarmEntryQuery range;
    bool active = false;
    std::string instrument;
};
bool ListAlarms(RecordLibrary& library, const AlarmListQuery& query, std::vector<AlarmState>& out);

// The OS user, and on a server also the login role ("anna (qxlog_lab1)").
std::string AlarmUser(const std::string& serverRole = {});

struct AckResult {
    std::vector<std::string> acknowledged;  // ids
    std::vector<std::string> unknown;       // ids the journal does not know
    std::vector<std::string> already;       // acknowledged before
    bool ok = true;                         // false: the library failed (Error())
};
// Acknowledges the alarms by id with the user's comment (which must not be empty).
AckResult AcknowledgeAlarms(RecordLibrary& library, const std::vector<std::string>& ids,
                            const std::string& user, const std::string& comment, int64_t now);

// Words for scripts and the journal: threshold, lost, ...; raised, level, ...; warning, alarm.
const char* AlarmKindId(AlarmKind kind);
const char* AlarmChangeId(AlarmChange change);
const char* AlarmLevelId(AlarmLevel level);
// In the current language, for lists: "报警", "预警", "仪器失去连接", ...
std::string AlarmKindText(AlarmKind kind, AlarmLevel level);

}  // namespace qx
