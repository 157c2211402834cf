#include "record_query.h"

#include <algorithm>
#include <charconv>

#include "core/model/language.h"
#include "core/model/local_time.h"
#include "core/model/text_util.h"
#include "record_set.h"

namespace qx {
namespace {

std::string DateText(int64_t t) {
    return FormatLocalTime(t, "%Y-%m-%d");
}

// The local calendar time tm as a time value, daylight saving decided by the system.
int64_t FromLocalCalendar(std::tm tm) {
    tm.tm_isdst = -1;
    return static_cast<int64_t>(std::mktime(&tm));
}

int64_t LocalDayBound(int64_t t, int hour, int minute, int second) {
    std::tm tm = LocalCalendar(t);
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    return FromLocalCalendar(tm);
}

}  // namespace

SampleClock SampleClockOf(const ParamBlock& params, InstrumentTypeId type) {
    SampleClock clock;
    clock.start = params.StartTime();
    const uint32_t value = params.U8(param::kIntervalValue);
    switch (params.U8(param::kIntervalUnit)) {
        case 1:
            clock.interval = value * 60;
            break;
        case 2:
            clock.interval = value * 3600;
            break;
        default:
            clock.interval = value;
            break;
    }
    if (IsWrappedCyclic(params, type)) {
        const int32_t c = params.StoredCount();
        const int32_t tail = c == 0 ? 0 : ((c - 1) % 42) + 1;
        const int32_t m = 21378 * int32_t{params.WrapCount()} + c - tail - 21336;
        clock.firstOffset = m < 0 ? 0 : static_cast<uint32_t>(m);
    }
    if (Model(type).clockCountsLocalTime) clock.shift = int32_t{params.TimeZoneBias()} * 60;
    return clock;
}

std::time_t SampleTime(const RecordSet& set, int32_t k) {
    return SampleClockOf(set.Params(), set.type).TimeOf(static_cast<uint32_t>(k));
}

QueryWindow MakeQueryWindow(const QueryRequest& request, int64_t now) {
    QueryWindow w;
    switch (request.mode) {
        case QueryMode::All:
            break;
        case QueryMode::LastDays:
            w.bounded = true;
            w.from = now - int64_t{request.days} * 86400;
            w.to = now;
            w.condition = StrFormat(TrN("当前日期[%s],向前%d天", request.days),
                                    DateText(now).c_str(), request.days);
            break;
        case QueryMode::LastMonths: {
            std::tm tm = LocalCalendar(now);
            const int64_t j = 12 * int64_t{tm.tm_year + 1900} + tm.tm_mon - request.months;
            const int64_t year = j >= 0 ? j / 12 : -((-j + 11) / 12);
            tm.tm_year = static_cast<int>(year - 1900);
            tm.tm_mon = static_cast<int>(j - 12 * year);
            w.bounded = true;
            w.from = FromLocalCalendar(tm);
            w.to = now;
            w.condition = StrFormat(TrN("当前日期[%s],向前%d月", request.months),
                                    DateText(now).c_str(), request.months);
            break;
        }
        case QueryMode::DateRange:
            w.bounded = true;
            w.from = LocalDayBound(request.rangeStart, 0, 0, 0);
            w.to = LocalDayBound(request.rangeEnd, 23, 59, 59);
            w.condition =
                StrFormat(Tr("日期从[%s]-[%s]"), DateText(w.from).c_str(), DateText(w.to).c_str());
            break;
    }
    return w;
}

int32_t CountMatches(const RecordSet& set, const QueryWindow& window) {
    const SampleClock clock = SampleClockOf(set.Params(), set.type);
    int32_t matched = 0;
    for (int32_t k = 0; k < set.count; ++k) {
        if (window.Contains(clock.TimeOf(static_cast<uint32_t>(k)))) ++matched;
    }
    return matched;
}

std::string RecordHeaderText(const ParamTexts& texts) {
    return StrFormat(Tr("编号:%s 测量名:%s "), texts[ParamText::Number].c_str(),
                     texts[ParamText::Name].c_str());
}

std::string QueryStatusLine(std::string_view headerText, int total, std::string_view condition,
                            int matched) {
    return StrFormat(Tr("%.*s 总记录数:%d  查询条件:%.*s 记录数:%d"),
                     static_cast<int>(headerText.size()), headerText.data(), total,
                     static_cast<int>(condition.size()), condition.data(), matched);
}

std::optional<int> ParseQueryCount(std::string_view text, int low, int high, std::string* message) {
    const std::string trimmed = Trim(text);
    long long value = 0;
    const char* begin = trimmed.data();
    const char* end = begin + trimmed.size();
    if (end - begin > 1 && *begin == '+' && begin[1] >= '0' && begin[1] <= '9') ++begin;
    const auto [ptr, ec] = std::from_chars(begin, end, value);
    if (trimmed.empty() || ptr != end ||
        (ec != std::errc() && ec != std::errc::result_out_of_range)) {
        if (message) *message = Tr("请输入一个整数。");
        return std::nullopt;
    }
    if (ec == std::errc::result_out_of_range || value < low || value > high) {
        if (message) *message = StrFormat(Tr("请输入一个在 %d 和 %d 之间的整数。"), low, high);
        return std::nullopt;
    }
    return static_cast<int>(value);
}

int StepQueryCount(int value, int step, int low, int high) {
    const int64_t v = int64_t{value} + step;
    return static_cast<int>(std::clamp<int64_t>(v, low, high));
}

}  // namespace qx
