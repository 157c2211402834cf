// The time window options that export and stats share: --last-days N, --last-months N and
// --from YYYY-MM-DD with --to YYYY-MM-DD, at most one window.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "records/record_query.h"

namespace qx::cli {

class QueryOptions {
  public:
    // Whether option is one of the window options (each takes a value).
    static bool IsQueryOption(std::string_view option);
    // Reads one window option and its value; false with the problem in *problem.
    bool Read(const std::string& option, const std::string& value, std::string* problem);
    // The query of all options read (every sample without one); nullopt with *problem.
    std::optional<QueryRequest> Request(std::string* problem) const;

  private:
    QueryRequest query_;
    std::optional<int64_t> from_, to_;
    int windows_ = 0;
};

}  // namespace qx::cli
