#include "query_options.h"

#include <cstdio>
#include <ctime>

#include "core/model/language.h"
#include "core/model/text_util.h"

namespace qx {

bool QueryOptions::Takes(std::string_view option) {
    return option == "--last-days" || option == "--last-months" || option == "--from" ||
           option == "--to";
}

bool QueryOptions::Take(std::string_view option, const std::string& value, std::string* problem) {
    std::string ignored;
    if (option == "--last-days") {
        const auto n = ParseQueryCount(value, 1, kMaxQueryDays, &ignored);
        if (!n) {
            *problem = Tr("--last-days 需要 1 到 300 的整数");
            return false;
        }
        query_.mode = QueryMode::LastDays;
        query_.days = *n;
        ++windows_;
    } else if (option == "--last-months") {
        const auto n = ParseQueryCount(value, 1, kMaxQueryMonths, &ignored);
        if (!n) {
            *problem = Tr("--last-months 需要 1 到 30 的整数");
            return false;
        }
        query_.mode = QueryMode::LastMonths;
        query_.months = *n;
        ++windows_;
    } else if (option == "--from" || option == "--to") {
        const auto date = ParseQueryDate(value);
        if (!date) {
            *problem = StrFormat(Tr("%s 需要日期 YYYY-MM-DD, 而不是 '%s'"),
                                 std::string(option).c_str(), value.c_str());
            return false;
        }
        (option == "--from" ? from_ : to_) = date;
    } else {
        *problem = StrFormat(Tr("不认识的选项 %s"), std::string(option).c_str());
        return false;
    }
    return true;
}

std::optional<QueryRequest> QueryOptions::Request(std::string* problem) const {
    QueryRequest query = query_;
    int windows = windows_;
    if (from_ || to_) {
        if (!from_ || !to_) {
            *problem = Tr("--from 和 --to 要一起用");
            return std::nullopt;
        }
        query.mode = QueryMode::DateRange;
        query.rangeStart = *from_;
        query.rangeEnd = *to_;
        ++windows;
    }
    if (windows > 1) {
        *problem = Tr("只能选 --last-days、--last-months 或 --from/--to 之一");
        return std::nullopt;
    }
    return query;
}

std::optional<int64_t> ParseQueryDate(const std::string& text) {
    int y = 0, m = 0, d = 0;
    char tail = 0;
    if (std::sscanf(text.c_str(), "%4d-%2d-%2d%c", &y, &m, &d, &tail) != 3) return std::nullopt;
    if (y < 1902 || y > 2105 || m < 1 || m > 12 || d < 1 || d > 31) return std::nullopt;
    std::tm tm{};
    tm.tm_year = y - 1900;
    tm.tm_mon = m - 1;
    tm.tm_mday = d;
    tm.tm_isdst = -1;
    const std::time_t t = std::mktime(&tm);
    if (t == static_cast<std::time_t>(-1) || tm.tm_mday != d) return std::nullopt;
    return static_cast<int64_t>(t);
}

}  // namespace qx
