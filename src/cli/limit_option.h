// The --limit CHANNEL=LOW,HIGH of stats and monitor: one syntax, one range per channel, and the
// last of two for one channel wins.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/records/record_statistics.h"

namespace qx::cli {

// A number as the options take it: all of the text, finite; nullopt otherwise.
std::optional<double> ParseNumber(std::string_view text);

struct LimitOption {
    std::string text;    // as given
    std::string series;  // the CHANNEL as given
    SeriesLimits limits;
};

// "CHANNEL=LOW,HIGH" with either number left empty for none, not both; LOW not above HIGH.
std::optional<LimitOption> ParseLimitOption(const std::string& text, std::string* problem);

// Why the limit does not fit the series as the units show it (PlausibleLimitRange); empty when
// it does.
std::string LimitRangeProblem(const LimitOption& option, int series, const RecordUnits& units);

}  // namespace qx::cli
