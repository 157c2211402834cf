// The world a simulated instrument measures: smooth daily cycles of an office room with
// weather drift and a little noise, deterministic in (seed, time) so that any sample can be
// recomputed at any time. Warm afternoons now and then climb over a 26 °C limit, busy hours
// push CO2 over 1000 ppm and sound over 80 dB.
#pragma once

#include <cstdint>

namespace qx {

struct EnvironmentReading {
    double temperature = 0;   // °C
    double humidity = 0;      // %RH
    double pressure = 0;      // hPa
    double diffPressure = 0;  // differential pressure as recorded: raw / 100
    double sound = 0;         // dB
    double co2 = 0;           // ppm
    double formaldehyde = 0;  // mg/m3
};

// Readings at utcSeconds for a room whose clocks run biasMinutes behind UTC (UTC minus local
// time, the time-zone bias); seed tells the rooms apart.
EnvironmentReading EnvironmentAt(uint32_t seed, int64_t utcSeconds, int biasMinutes);

// A uniform number in [-1, 1] from a key (hash noise).
double HashNoise(uint64_t key);

}  // namespace qx
