// Time stamps of a record's samples and the time windows of a query.
//
// Sample k of a record was taken at start + (m + k) * interval, where the
// interval is the record interval value in seconds, minutes or hours (any other unit counts
// as seconds) and m is 0 except for a wrapped cyclic recording of type 2, whose first kept
// sample lies m = 21378 * wraps + c - c' - 21336 intervals after the start (0 when negative).
// Type 2 counts local time on the instrument: its time-zone bias * 60 is added.
//
// The instruments' clocks count unsigned 32-bit seconds (good to 2106), and a late sample of a
// long record can lie past even that, so times and window bounds are 64-bit seconds since
// 1970-01-01 00:00 UTC. "Now" is an input, and local calendar work follows the C library's
// zone (TZ).
#pragma once

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>

#include "core/model/instrument_catalogue.h"
#include "core/model/language.h"
#include "core/model/param_block.h"

namespace qx {

struct RecordSet;

struct SampleClock {
    uint32_t start = 0;
    uint32_t interval = 0;     // seconds
    uint32_t firstOffset = 0;  // m, in intervals
    int32_t shift = 0;         // seconds added (type 2: bias * 60)

    std::time_t TimeOf(uint32_t k) const {
        return static_cast<std::time_t>(int64_t{start} +
                                        (int64_t{firstOffset} + int64_t{k}) * int64_t{interval} +
                                        int64_t{shift});
    }
};
SampleClock SampleClockOf(const ParamBlock& params, InstrumentTypeId type);
// Time of sample k of a decoded record.
std::time_t SampleTime(const RecordSet& set, int32_t k);

enum class QueryMode { All, LastDays, LastMonths, DateRange };

struct QueryRequest {
    QueryMode mode = QueryMode::All;
    int days = 1;            // LastDays, 1..300
    int months = 1;          // LastMonths, 1..30
    int64_t rangeStart = 0;  // DateRange: any moment of the first day
    int64_t rangeEnd = 0;    // DateRange: any moment of the last day
};

struct QueryWindow {
    bool bounded = false;  // false: All, every sample
    int64_t from = 0;      // inclusive bounds; the pickers show them after a query
    int64_t to = 0;
    std::string condition = Tr("所有");  // in the current language

    // Both bounds inclusive.
    bool Contains(int64_t t) const { return !bounded || (t >= from && t <= to); }
};

// The window of a query made at now:
//   LastDays    now - N * 86400 .. now             "当前日期[%Y-%m-%d],向前%d天"
//   LastMonths  same local day and time N months before (days past the month's end roll over
//               into the next month) .. now        "当前日期[%Y-%m-%d],向前%d月"
//   DateRange   00:00:00 of the first day .. 23:59:59 of the last day (local time)
//                                                  "日期从[%Y-%m-%d]-[%Y-%m-%d]"
//   All         no bounds                          "所有"
QueryWindow MakeQueryWindow(const QueryRequest& request, int64_t now);

// Samples of the set whose time lies in the window.
int32_t CountMatches(const RecordSet& set, const QueryWindow& window);

// "编号:%s 测量名:%s " with the record's instrument number and measurement name.
std::string RecordHeaderText(const ParamTexts& texts);
// "%s 总记录数:%d  查询条件:%s 记录数:%d".
std::string QueryStatusLine(std::string_view headerText, int total, std::string_view condition,
                            int matched);

// The day and month counts of the query panel.
inline constexpr int kMaxQueryDays = 300;
inline constexpr int kMaxQueryMonths = 30;
// Reads a count typed into an edit: the value, or nullopt with the validation message in
// *message: "请输入一个整数。" for no integer, "请输入一个在 %d 和 %d 之间的整数。" out of range.
std::optional<int> ParseQueryCount(std::string_view text, int low, int high, std::string* message);
// The up-down arrows: value + step (up +1, down -1), kept within low..high.
int StepQueryCount(int value, int step, int low, int high);

}  // namespace qx
