#include "alarm_evaluator.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "core/library/record_library.h"

namespace qx {
namespace {

const std::optional<double>& LineOf(const ChannelAlarmRule& r, AlarmSide side, AlarmLevel level) {
    if (side == AlarmSide::kHigh) return level == AlarmLevel::kAlarm ? r.limits.high : r.warnHigh;
    return level == AlarmLevel::kAlarm ? r.limits.low : r.warnLow;
}

bool Beyond(double v, const std::optional<double>& line, AlarmSide side, double band) {
    if (!line) return false;
    return side == AlarmSide::kHigh ? v > *line - band : v < *line + band;
}

}  // namespace

std::string ProvisionalAlarmId(const AlarmEvent& event) {
    const char* what = event.kind == AlarmKind::kLost     ? "lost"
                       : event.kind == AlarmKind::kSilent ? "silent"
                                                          : event.channel.c_str();
    return InstrumentName(event.instrument) + "/" + what + "/" + std::to_string(event.start);
}

AlarmEvaluator::Instrument* AlarmEvaluator::Find(const InstrumentKey& key) {
    const auto i = std::find_if(instruments_.begin(), instruments_.end(),
                                [&](const Instrument& in) { return in.key == key; });
    return i == instruments_.end() ? nullptr : &*i;
}

void AlarmEvaluator::Watch(const InstrumentKey& instrument, const std::string& name,
                           const InstrumentAlarmRules& rules) {
    Instrument* in = Find(instrument);
    if (!in) {
        instruments_.push_back({});
        in = &instruments_.back();
        in->key = instrument;
    }
    in->name = name;
    in->lostDelay = rules.lostDelay;
    std::vector<Channel> channels;
    for (const ChannelAlarmRule& r : rules.channels) {
        Channel c;
        const auto was = std::find_if(in->channels.begin(), in->channels.end(),
                                      [&](const Channel& o) { return o.rule.series == r.series; });
        if (was != in->channels.end()) c = *was;
        c.rule = r;
        channels.push_back(std::move(c));
    }
    in->channels = std::move(channels);
}

void AlarmEvaluator::Evaluate(Instrument& in, Channel& c, int64_t time, double v,
                              std::vector<AlarmEvent>& out) {
    const ChannelAlarmRule& r = c.rule;
    // The level a value is at on one side; an active level holds within the dead band.
    auto levelOn = [&](AlarmSide side) -> std::optional<AlarmLevel> {
        const bool here = c.active && c.event.side == side;
        const bool alarmHeld = here && c.event.level == AlarmLevel::kAlarm;
        if (Beyond(v, LineOf(r, side, AlarmLevel::kAlarm), side, alarmHeld ? r.deadband : 0))
            return AlarmLevel::kAlarm;
        if (Beyond(v, LineOf(r, side, AlarmLevel::kWarning), side, here ? r.deadband : 0))
            return AlarmLevel::kWarning;
        return std::nullopt;
    };
    auto tell = [&](AlarmChange change, AlarmLevel level) {
        c.event.change = change;
        c.event.level = level;
        c.event.value = v;
        c.event.limit = LineOf(r, c.event.side, level).value_or(0);
        c.event.time = time;
        out.push_back(c.event);
    };
    if (c.active) {
        const AlarmSide side = c.event.side;
        if (const std::optional<AlarmLevel> level = levelOn(side)) {
            c.event.extreme = side == AlarmSide::kHigh ? std::max(c.event.extreme, v)
                                                       : std::min(c.event.extreme, v);
            if (*level != c.event.level) tell(AlarmChange::kLevel, *level);
            return;
        }
        c.active = false;
        tell(AlarmChange::kEnded, c.event.level);
        // It may have gone straight past the other side: that begins anew.
    }
    std::optional<AlarmLevel> level = levelOn(AlarmSide::kHigh);
    AlarmSide side = AlarmSide::kHigh;
    if (!level) {
        level = levelOn(AlarmSide::kLow);
        side = AlarmSide::kLow;
    }
    if (!level) {
        c.outsideSince.reset();
        return;
    }
    if (!c.outsideSince || c.pendingSide != side) {
        c.outsideSince = time;
        c.pendingSide = side;
    }
    if (time - *c.outsideSince < r.delay) return;
    c.active = true;
    c.event = {};
    c.event.kind = AlarmKind::kThreshold;
    c.event.side = side;
    c.event.instrument = in.key;
    c.event.name = in.name;
    c.event.channel = r.channel;
    c.event.start = *c.outsideSince;
    c.event.extreme = v;
    c.event.id = ProvisionalAlarmId(c.event);
    c.outsideSince.reset();
    tell(AlarmChange::kRaised, *level);
}

std::vector<AlarmEvent> AlarmEvaluator::Reading(const InstrumentKey& instrument, int64_t time,
                                                const std::array<double, kSeriesCount>& values) {
    std::vector<AlarmEvent> out;
    Instrument* in = Find(instrument);
    if (!in) return out;
    if (in->silentSince) {
        in->silentSince.reset();
        if (std::exchange(in->lost, false)) {
            in->lostEvent.change = AlarmChange::kEnded;
            in->lostEvent.time = time;
            out.push_back(in->lostEvent);
        }
    }
    for (Channel& c : in->channels) {
        const double v = values[static_cast<size_t>(c.rule.series)];
        if (std::isfinite(v)) Evaluate(*in, c, time, v, out);
    }
    return out;
}

void AlarmEvaluator::CheckLost(Instrument& in, int64_t time, std::vector<AlarmEvent>& out) {
    if (in.lost || !in.lostDelay || !in.silentSince || time - *in.silentSince < *in.lostDelay)
        return;
    in.lost = true;
    in.lostEvent = {};
    in.lostEvent.change = AlarmChange::kRaised;
    in.lostEvent.kind = AlarmKind::kLost;
    in.lostEvent.level = AlarmLevel::kAlarm;
    in.lostEvent.instrument = in.key;
    in.lostEvent.name = in.name;
    in.lostEvent.start = *in.silentSince;
    in.lostEvent.time = time;
    in.lostEvent.id = ProvisionalAlarmId(in.lostEvent);
    out.push_back(in.lostEvent);
}

std::vector<AlarmEvent> AlarmEvaluator::NoAnswer(const InstrumentKey& instrument, int64_t time) {
    std::vector<AlarmEvent> out;
    Instrument* in = Find(instrument);
    if (!in) return out;
    if (!in->silentSince) in->silentSince = time;
    for (Channel& c : in->channels)
        c.outsideSince.reset();  // a condition must be seen lasting
    CheckLost(*in, time, out);
    return out;
}

std::vector<AlarmEvent> AlarmEvaluator::Tick(int64_t time) {
    std::vector<AlarmEvent> out;
    for (Instrument& in : instruments_)
        CheckLost(in, time, out);
    return out;
}

int64_t AlarmEvaluator::IntervalFor(const InstrumentKey& instrument, int64_t normal) const {
    int64_t interval = normal;
    const auto in = std::find_if(instruments_.begin(), instruments_.end(),
                                 [&](const Instrument& i) { return i.key == instrument; });
    if (in == instruments_.end()) return interval;
    for (const Channel& c : in->channels) {
        if ((c.active || c.outsideSince) && c.rule.excursionEvery > 0)
            interval = std::min(interval, c.rule.excursionEvery);
    }
    return interval;
}

std::vector<AlarmEvent> AlarmEvaluator::Active() const {
    std::vector<AlarmEvent> out;
    for (const Instrument& in : instruments_) {
        if (in.lost) out.push_back(in.lostEvent);
        for (const Channel& c : in.channels) {
            if (c.active) out.push_back(c.event);
        }
    }
    return out;
}

}  // namespace qx
