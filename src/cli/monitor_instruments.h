// The instruments monitor watches: the attached candidates, opening one (its settings, units
// and the live readings waiting for the library) and taking one reading from it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "cli_command.h"
#include "console_instrument.h"
#include "core/library/live_recording.h"
#include "core/records/derived_series.h"

namespace qx::cli {

// An instrument being monitored.
struct Watched {
    std::unique_ptr<ConsoleInstrument> instrument;  // null while it is unplugged
    std::string path;
    std::string title;  // "QX450:A0815"
    ParamBlock settings;
    RecordUnits units;
    LiveReadings pending;
    int64_t lastTime = INT64_MIN;  // the time of the last reading taken
    int64_t interval = 0;          // now: shorter while a channel is outside
    int64_t next = 0;              // when it is read next
};

// An attached instrument as the bus lists it.
struct AttachedCandidate {
    std::string path;
    InstrumentTypeId model = 0;
};
std::vector<AttachedCandidate> AttachedCandidates(const CliOptions& options);

// Opens the instrument at `path` and reads its settings, to be read every `every` seconds.
// False when it cannot be read.
bool OpenWatched(const CliOptions& options, const AttachedCandidate& candidate, int64_t every,
                 Watched& into);

enum class WatchedReading {
    kTaken,     // appended to pending
    kHeld,      // this time of the grid has its reading already
    kNoAnswer,  // not answering: the instrument is closed (Watched::instrument reset)
};
WatchedReading ReadWatched(Watched& w, int64_t time);

}  // namespace qx::cli
