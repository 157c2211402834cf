// A timeline that simulated instruments follow, for demonstrations, training and tests of the
// alarm set-up. One step per line, its time from the start first:
//
//   0s  temp=5 hum=50
//   20s temp=9.5
//   60s unplug
//   80s plug
//
// Times as "20s", "5m", "1h", "1m30s" (or a bare number of seconds), not before the line
// above. Values are the measured quantities by channel id: temp (°C), hum (%RH), pressure
// (hPa), diffpressure (hPa), sound (dB), co2 (ppm), hcho (mg/m3). A value holds from its step
// until a later step changes it; quantities no step has given follow the simulated room.
// Blank lines and lines starting with '#' or ';' are skipped.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "simulated_environment.h"

namespace qx {

struct ScenarioStep {
    int64_t at = 0;  // seconds from the start
    enum class Kind { kValues, kUnplug, kPlug } kind = Kind::kValues;
    std::vector<std::pair<std::string, double>> values;  // channel id, value
    int line = 0;
};

struct SimulationScenario {
    std::vector<ScenarioStep> steps;  // in time order

    // The room's reading with the values the scenario holds `offset` seconds after its start.
    EnvironmentReading Apply(EnvironmentReading room, int64_t offset) const;
    // Whether the instruments are plugged in `offset` seconds after the start.
    bool PluggedAt(int64_t offset) const;
    // The time of the last step.
    int64_t End() const { return steps.empty() ? 0 : steps.back().at; }
};

// False with `problem` ("第2行: ...") for a bad time, a time before the line above, an unknown
// channel, a bad value or a value outside what the channel can measure.
bool ParseScenario(std::string_view text, SimulationScenario& scenario, std::string& problem);

}  // namespace qx
