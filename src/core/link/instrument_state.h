// The process-wide values that the instrument link, the report protocol and the commands
// share with the windows: one plain struct, owned by whoever runs the program (the main
// window, the command-line tool, a test) and handed to the link objects by reference.
#pragma once

#include <cstdint>
#include <ctime>
#include <functional>

#include "core/model/instrument_catalogue.h"
#include "core/model/param_block.h"
#include "live_status.h"

namespace qx {

struct InstrumentState {
    // Model of the connected instrument; 0 = none or unrecognised. Connect sets it.
    InstrumentTypeId type = 0;
    // The last status read succeeded. Cleared by a failed status read and by Disconnect.
    bool statusOk = false;
    // UTC minus local time in minutes (-480 eight hours east of UTC), read once at start.
    int16_t timeZoneBias = 0;
    // Report 5 in host order, valid once liveValid is set.
    LiveStatus live;
    bool liveValid = false;
    // The instrument's current settings and the settings of its stored recording.
    ParamBlock setParams;
    ParamBlock recordedParams;
    // Status polling: held off by a running download; last poll in ms of the process clock,
    // -1 = poll at the next tick.
    bool pollAllowed = true;
    int64_t lastPollTimeMs = -1;
};

// "Now" in seconds since 1970-01-01 00:00 UTC. Injectable so that tests can fix it.
using UtcClock = std::function<int64_t()>;
inline int64_t SystemUtcNow() {
    return static_cast<int64_t>(std::time(nullptr));
}

// A pause of ms milliseconds (tests pass one that only records).
using SleepFunction = std::function<void(int ms)>;
void SleepMilliseconds(int ms);

}  // namespace qx
