#include "limit_option.h"

#include <charconv>
#include <cmath>

#include "core/model/language.h"
#include "core/model/text_util.h"
#include "core/records/number_text.h"

namespace qx::cli {

std::optional<double> ParseNumber(std::string_view text) {
    return ParseNumberText(text);
}

std::optional<LimitOption> ParseLimitOption(const std::string& text, std::string* problem) {
    const size_t eq = text.find('=');
    const size_t comma = text.rfind(',');
    if (eq == std::string::npos || eq == 0 || comma == std::string::npos || comma < eq) {
        *problem = StrFormat(Tr("--limit 需要 CHANNEL=LOW,HIGH, 而不是 '%s'"), text.c_str());
        return std::nullopt;
    }
    LimitOption o;
    o.text = text;
    o.series = text.substr(0, eq);
    const std::string_view low = std::string_view(text).substr(eq + 1, comma - eq - 1);
    const std::string_view high = std::string_view(text).substr(comma + 1);
    if (!low.empty()) o.limits.low = ParseNumber(low);
    if (!high.empty()) o.limits.high = ParseNumber(high);
    if ((!low.empty() && !o.limits.low) || (!high.empty() && !o.limits.high) ||
        (low.empty() && high.empty())) {
        *problem = StrFormat(Tr("--limit %s 需要 LOW、HIGH 或两者的数值, 而不是 '%s'"),
                             o.series.c_str(), text.substr(eq + 1).c_str());
        return std::nullopt;
    }
    if (o.limits.low && o.limits.high && *o.limits.low > *o.limits.high) {
        *problem = StrFormat(Tr("--limit %s: LOW 大于 HIGH"), o.series.c_str());
        return std::nullopt;
    }
    return o;
}

std::string LimitRangeProblem(const LimitOption& option, int series, const RecordUnits& units) {
    const LimitRange range = PlausibleLimitRange(series, units);
    for (const std::optional<double>& v : {option.limits.low, option.limits.high}) {
        if (v && !range.Contains(*v)) {
            const int d = CellDecimals(series, units);
            return StrFormat(Tr("--limit %s: 这个通道的限值在 %s 和 %s %s 之间"),
                             option.text.c_str(), LimitFigureText(range.low, d).c_str(),
                             LimitFigureText(range.high, d).c_str(),
                             units.units[static_cast<size_t>(series)]);
        }
    }
    return {};
}

}  // namespace qx::cli
