// Alarm rules: what raises an alarm, for which instrument and channel, and where messages go.
// A rules file is UTF-8 text in the style of the settings profiles, one section per rule:
//
//   [mail]                      where messages go (MailSettings)
//   [QX450:A0200001 temp]       one instrument's channel, by MODEL:NUMBER
//   [A0200001 hum]              every instrument carrying this number
//   [* temp]                    every instrument with this channel
//   [* lost]                    an instrument unplugged or not answering (also MODEL:NUMBER, ...)
//   [* silent]                  a monitor that writes nothing to the library
//
// Channel sections take high, low (the alarm limits; the instrument's own when not given),
// warn-high, warn-low (the levels that warn before the limits), delay (how long a condition
// lasts before it is raised), deadband (how far back inside a value comes before the alarm
// ends) and excursion-every (the reading interval while a channel of the instrument is
// outside). Lost and silent sections take delay. Durations as the monitor's --every takes
// them. Blank lines and lines starting with ';' or '#' are skipped.
//
// For one instrument and channel the sections that name it are taken from the least to the
// most particular (*, NUMBER, MODEL:NUMBER): each value comes from the most particular section
// that gives it.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "alarm_mail.h"
#include "core/library/library_types.h"
#include "core/model/param_block.h"
#include "core/records/derived_series.h"

namespace qx {

// The channel ids rules and --limit name: temp, hum, dew, density, pressure, diffpressure,
// sound, flow, co2, hcho.
std::span<const char* const> AlarmChannelIds();
bool IsAlarmChannelId(std::string_view id);

enum class AlarmRuleKind { kChannel, kLost, kSilent };

// The values one section gives; those it does not give are empty.
struct AlarmRuleValues {
    std::optional<double> high, low, warnHigh, warnLow, deadband;
    std::optional<int64_t> delay, excursionEvery;
};

struct AlarmRuleSection {
    AlarmRuleKind kind = AlarmRuleKind::kChannel;
    InstrumentTypeId model = 0;  // 0 with the number: any model
    std::string number;          // empty: any instrument ("*")
    std::string channel;         // channel sections: the channel id, lower case
    AlarmRuleValues values;
    int line = 0;       // of the section's header
    std::string title;  // the header as written, without the brackets
};

struct AlarmRules {
    MailSettings mail;
    std::vector<AlarmRuleSection> sections;  // in file order
};

// Reads a rules file's text. False with `problem` ("第3行: ...", naming the line and why) for
// text that is not UTF-8, a line outside a section, an unknown section, model or channel (or a
// channel the section's model does not have), a section given twice, a line without '=', an
// unknown or repeated key, a bad value, a warning level outside its limit, and any password.
bool ParseAlarmRules(std::string_view text, AlarmRules& rules, std::string& problem);

// The rule of one channel of one instrument, in the channel's display unit, with the values
// as its cells show them.
struct ChannelAlarmRule {
    int series = 0;
    std::string channel;  // id
    SeriesLimits limits;  // the alarm limits
    std::optional<double> warnHigh, warnLow;
    int64_t delay = 0;
    double deadband = 0;
    int64_t excursionEvery = 0;  // 0: none
    bool ownLimits = true;       // the limits are the instrument's own
    int line = 0;                // the most particular section that named it; 0: none
};

struct InstrumentAlarmRules {
    std::vector<ChannelAlarmRule> channels;  // only channels with a limit or a warning level
    std::optional<int64_t> lostDelay;        // no lost alarm without a lost section
    std::optional<int64_t> silentDelay;
};

// A limit given apart from the rules (monitor --limit): replaces both limits of the channel on
// every instrument.
struct ChannelLimitOverride {
    std::string channel;
    SeriesLimits limits;
};

// The rules for an instrument with these settings. False with `problem` when a rule does not
// fit it: a limit outside what the channel can show, a warning level outside the limit that
// applies (the instrument's own limit when the rules give none).
bool AlarmRulesFor(const AlarmRules& rules, const InstrumentKey& instrument,
                   const ParamBlock& settings, std::span<const ChannelLimitOverride> overrides,
                   InstrumentAlarmRules& out, std::string& problem);

// "5m", "90s", "1h", "1h30m": a duration as the rules texts show it.
std::string AlarmDurationText(int64_t seconds);

}  // namespace qx
