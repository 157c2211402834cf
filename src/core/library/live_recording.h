// Live readings in the record library. `qxlog-cli monitor` reads each attached instrument's live
// status at an interval and keeps the readings as the instrument's live recording, which the
// library lists, reads into histories and compares like downloaded recordings.
//
//   identity  one live recording per instrument, local day, interval and settings: its key
//             starts at the day's local midnight, has the monitor's interval, and its settings
//             text is the downloaded one's (units and limits) marked "live ", so it never
//             merges with a downloaded recording. Settings changed on the instrument start
//             another live recording; a monitor started again the same day continues it. As
//             each write renews the totals of the whole recording, a recording holds at most
//             about kLiveRecordingSamples readings: below 10 s, a day is cut into parts of 12,
//             6, 4, 2 or 1 hours (1 s: 2 hours), each a live recording of its own. Its header
//             holds the instrument's settings with the day's start and the monitor's
//             interval, so lists show the live interval.
//   times     a reading is timed by the monitoring PC's clock, on the interval's grid (a
//             multiple of the interval since 1970), so that readings form runs.
//   samples   packed as the model's record files hold them (the live status carries the same
//             codes), so that they decode, export and compare like downloaded ones.
//   held      a time the instrument already holds (a downloaded sample, a reading of an earlier
//             monitor) keeps what is held; the reading is counted as held and dropped.
//   gaps      a time without a reading (the instrument was unplugged, the PC slept) is no
//             sample: the history has a gap there, which ends an excursion.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/link/live_status.h"
#include "core/model/param_block.h"
#include "library_types.h"

namespace qx {

inline constexpr const char* kLiveSettingsMark = "live ";
inline constexpr int64_t kLiveRecordingSamples = 8640;

// The hours of a day (24, 12, 6, 4, 2 or 1) that one live recording at this interval spans.
int LiveRecordingHours(uint32_t interval);

// The reading of a live status as one sample of the model's record layout
// (DecodedSampleSize(type) bytes appended to out). Values beyond what the layout holds are
// held at its limit.
void AppendLiveSample(const LiveStatus& status, InstrumentTypeId type, std::vector<uint8_t>& out);

// The key of the live recording holding a reading at `time` of an instrument with these
// settings, read every `interval` seconds.
RecordingKey LiveRecordingKey(const ParamBlock& settings, InstrumentTypeId type, uint32_t interval,
                              int64_t time);
bool IsLiveRecording(const RecordingKey& key);
// The header a live recording keeps: the settings with the live recording's start and
// interval, fetched at `last`.
RecordHeader LiveRecordingHeader(const ParamBlock& settings, InstrumentTypeId type,
                                 const RecordingKey& key, int64_t last);
// An interval the settings can hold: 1..255 s, whole minutes to 255 min, whole hours to 255 h.
bool IsLiveInterval(int64_t seconds);
// The longest interval a monitor reads at.
inline constexpr int64_t kMaxLiveInterval = 24 * 3600;
// A duration as the monitor's interval and the alarm rules take it: "10", "10s", "5m", "5min",
// "1h"; 1 s to 24 h and one the settings can hold (IsLiveInterval). nullopt otherwise.
std::optional<int64_t> ParseLiveInterval(std::string_view text);

// Readings of one instrument to be added: times in increasing order on the interval's grid,
// samples DecodedSampleSize bytes each, in the same order.
struct LiveReadings {
    InstrumentKey instrument;
    std::string name;  // the measurement name, UTF-8
    ParamBlock settings;
    uint32_t interval = 0;
    std::vector<int64_t> times;
    std::vector<uint8_t> samples;

    void Clear() {
        times.clear();
        samples.clear();
    }
};

struct LiveAddResult {
    int64_t added = 0;  // new to the library
    int64_t held = 0;   // times the library held already, kept as they were
};

}  // namespace qx
