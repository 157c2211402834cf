#include "alarm_journal.h"

#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <map>

#include "core/model/language.h"
#include "core/model/text_util.h"

namespace qx {
namespace {

std::string Number(double v) {
    return StrFormat("%.10g", v);
}

double ParseOr(const std::string& text, double fallback) {
    if (text.empty()) return fallback;
    char* end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    return end && *end == '\0' ? v : fallback;
}

template <typename E, size_t N>
E FromId(const std::string& id, const std::pair<E, const char*> (&table)[N], E fallback) {
    for (const auto& [value, name] : table)
        if (id == name) return value;
    return fallback;
}
template <typename E, size_t N>
const char* ToId(E value, const std::pair<E, const char*> (&table)[N]) {
    for (const auto& [v, name] : table)
        if (v == value) return name;
    return table[0].second;
}

constexpr std::pair<AlarmKind, const char*> kKinds[] = {{AlarmKind::kThreshold, "threshold"},
                                                        {AlarmKind::kLost, "lost"},
                                                        {AlarmKind::kSilent, "silent"},
                                                        {AlarmKind::kMonitorFault, "fault"},
                                                        {AlarmKind::kCalibration, "calibration"}};
constexpr std::pair<AlarmChange, const char*> kChanges[] = {
    {AlarmChange::kRaised, "raised"},
    {AlarmChange::kLevel, "level"},
    {AlarmChange::kEnded, "ended"},
    {AlarmChange::kAcknowledged, "acknowledged"}};
constexpr std::pair<AlarmLevel, const char*> kLevels[] = {{AlarmLevel::kWarning, "warning"},
                                                          {AlarmLevel::kAlarm, "alarm"}};
constexpr std::pair<AlarmSide, const char*> kSides[] = {
    {AlarmSide::kNone, ""}, {AlarmSide::kHigh, "high"}, {AlarmSide::kLow, "low"}};

AlarmEvent EventOf(const LibraryAlarmEntry& e) {
    AlarmEvent a;
    a.change = FromId(e.change, kChanges, AlarmChange::kRaised);
    a.kind = FromId(e.kind, kKinds, AlarmKind::kThreshold);
    a.level = FromId(e.level, kLevels, AlarmLevel::kAlarm);
    a.side = FromId(e.side, kSides, AlarmSide::kNone);
    a.id = e.alarm;
    a.instrument = e.instrument;
    a.name = e.name;
    a.channel = e.channel;
    a.value = ParseOr(e.value, 0);
    a.limit = ParseOr(e.limit, 0);
    a.extreme = ParseOr(e.extreme, a.value);
    a.start = e.start;
    a.time = e.time;
    a.user = e.user;
    a.comment = e.comment;
    return a;
}

// The order of urgency: smaller first.
int Rank(const AlarmState& s) {
    if (s.active && !s.acknowledged) return s.alarm.level == AlarmLevel::kAlarm ? 0 : 1;
    if (!s.acknowledged) return 2;
    if (s.active) return 3;
    return 4;
}

bool MatchesInstrument(const AlarmState& s, const std::string& wanted) {
    if (wanted.empty()) return true;
    const std::string full = ModelName(s.alarm.instrument.model) + ":" + s.alarm.instrument.number;
    return wanted == full || wanted == s.alarm.instrument.number;
}

}  // namespace

const char* AlarmKindId(AlarmKind kind) {
    return ToId(kind, kKinds);
}
const char* AlarmChangeId(AlarmChange change) {
    return ToId(change, kChanges);
}
const char* AlarmLevelId(AlarmLevel level) {
    return ToId(level, kLevels);
}

std::string AlarmKindText(AlarmKind kind, AlarmLevel level) {
    switch (kind) {
        case AlarmKind::kLost:
            return Tr("仪器失去连接");
        case AlarmKind::kSilent:
            return Tr("监测已停止");
        case AlarmKind::kMonitorFault:
            return Tr("监测故障");
        case AlarmKind::kCalibration:
            return Tr("需要校准");
        case AlarmKind::kThreshold:
            break;
    }
    return level == AlarmLevel::kWarning ? Tr("预警") : Tr("报警");
}

LibraryAlarmEntry AlarmEntryOf(const AlarmEvent& a, const std::string& host) {
    LibraryAlarmEntry e;
    e.alarm = a.id;
    e.change = AlarmChangeId(a.change);
    e.kind = AlarmKindId(a.kind);
    e.level = AlarmLevelId(a.level);
    e.side = ToId(a.side, kSides);
    e.instrument = a.instrument;
    e.name = a.name;
    e.channel = a.channel;
    if (a.kind == AlarmKind::kThreshold) {
        e.value = Number(a.value);
        e.limit = Number(a.limit);
        e.extreme = Number(a.extreme);
    }
    e.start = a.start;
    e.time = a.time;
    e.host = host;
    e.user = a.user;
    e.comment = a.comment;
    return e;
}

LibraryAlarmEntry MessageEntry(const AlarmEvent& about, const std::string& host, bool sent,
                               const std::string& recipients, const std::string& reason,
                               int64_t time) {
    LibraryAlarmEntry e = AlarmEntryOf(about, host);
    e.change = sent ? "sent" : "failed";
    e.time = time;
    e.user.clear();
    e.comment = reason.empty() ? recipients : recipients + ": " + reason;
    return e;
}

std::vector<AlarmState> AlarmStates(const std::vector<LibraryAlarmEntry>& entries) {
    std::map<std::string, AlarmState> byId;
    for (const LibraryAlarmEntry& e : entries) {
        auto [it, isNew] = byId.try_emplace(e.alarm);
        AlarmState& s = it->second;
        s.entries.push_back(e);
        if (e.change == "sent") {
            ++s.messagesSent;
            continue;
        }
        if (e.change == "failed") {
            ++s.messagesFailed;
            s.lastFailure = e.comment;
            continue;
        }
        const AlarmEvent a = EventOf(e);
        if (isNew) {
            s.alarm = a;
            s.start = a.start;
            s.extreme = a.extreme;
        }
        switch (a.change) {
            case AlarmChange::kAcknowledged:
                s.acknowledged = true;
                s.ackUser = a.user;
                s.ackComment = a.comment;
                s.ackTime = a.time;
                break;
            case AlarmChange::kEnded:
                s.active = false;
                s.end = a.time;
                [[fallthrough]];
            case AlarmChange::kRaised:
            case AlarmChange::kLevel: {
                const AlarmChange keep = s.alarm.change;
                s.alarm = a;
                if (a.change == AlarmChange::kEnded) s.alarm.change = keep;
                // The farthest value: above a high limit the largest, below a low one the least.
                if (a.kind == AlarmKind::kThreshold && !e.extreme.empty())
                    s.extreme = a.side == AlarmSide::kLow ? std::min(s.extreme, a.extreme)
                                                          : std::max(s.extreme, a.extreme);
                if (a.start) s.start = a.start;
                break;
            }
        }
    }
    std::vector<AlarmState> out;
    for (auto& [id, s] : byId) {
        s.alarm.id = id;
        s.alarm.extreme = s.extreme;
        out.push_back(std::move(s));
    }
    std::stable_sort(out.begin(), out.end(), [](const AlarmState& a, const AlarmState& b) {
        if (Rank(a) != Rank(b)) return Rank(a) < Rank(b);
        return a.start > b.start;
    });
    return out;
}

bool ListAlarms(RecordLibrary& library, const AlarmListQuery& query, std::vector<AlarmState>& out) {
    std::vector<LibraryAlarmEntry> entries;
    if (!library.AlarmEntries(query.range, entries)) return false;
    out.clear();
    for (AlarmState& s : AlarmStates(entries)) {
        if (query.active && s.acknowledged && !s.active) continue;
        if (!MatchesInstrument(s, query.instrument)) continue;
        out.push_back(std::move(s));
    }
    return true;
}

std::string AlarmUser(const std::string& serverRole) {
    std::string user;
    if (const passwd* pw = getpwuid(geteuid()); pw && pw->pw_name) user = pw->pw_name;
    if (user.empty())
        if (const char* u = std::getenv("USER"); u) user = u;
    if (user.empty()) user = std::to_string(geteuid());
    if (!serverRole.empty() && serverRole != user) user += " (" + serverRole + ")";
    return user;
}

AckResult AcknowledgeAlarms(RecordLibrary& library, const std::vector<std::string>& ids,
                            const std::string& user, const std::string& comment, int64_t now) {
    AckResult result;
    std::vector<LibraryAlarmEntry> entries;
    for (const std::string& id : ids) {
        AlarmEntryQuery q;
        q.alarm = id;
        std::vector<LibraryAlarmEntry> found;
        if (!library.AlarmEntries(q, found)) {
            result.ok = false;
            return result;
        }
        const std::vector<AlarmState> states = AlarmStates(found);
        if (states.empty()) {
            result.unknown.push_back(id);
            continue;
        }
        if (states[0].acknowledged) {
            result.already.push_back(id);
            continue;
        }
        AlarmEvent a = states[0].alarm;
        a.change = AlarmChange::kAcknowledged;
        a.time = now;
        a.user = user;
        a.comment = comment;
        entries.push_back(AlarmEntryOf(a, ThisHostName()));
        result.acknowledged.push_back(id);
    }
    if (!library.AddAlarmEntries(entries)) {
        result.ok = false;
        result.acknowledged.clear();
    }
    return result;
}

}  // namespace qx
