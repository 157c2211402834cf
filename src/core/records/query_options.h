// The query window options of the command-line programs, read the same way by every program
// that takes them:
//   --last-days N                    the last N days (1..300) up to now
//   --last-months N                  the last N calendar months (1..30) up to now
//   --from YYYY-MM-DD --to YYYY-MM-DD  whole days in local time, the two together
// At most one window; without one, every sample.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "record_query.h"

namespace qx {

class QueryOptions {
  public:
    // Whether option is one of the query options (each takes a value).
    static bool Takes(std::string_view option);

    // Takes one query option and its value. False with the problem in *problem (a bad value).
    bool Take(std::string_view option, const std::string& value, std::string* problem);

    // The request of the options taken. Nullopt with the problem in *problem: --from without
    // --to or the reverse, or more than one window.
    std::optional<QueryRequest> Request(std::string* problem) const;

  private:
    QueryRequest query_;
    std::optional<int64_t> from_;
    std::optional<int64_t> to_;
    int windows_ = 0;
};

// "YYYY-MM-DD" as the local midnight that starts the day; nullopt for anything else.
std::optional<int64_t> ParseQueryDate(const std::string& text);

}  // namespace qx
