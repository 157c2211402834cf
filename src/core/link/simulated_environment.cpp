#include "simulated_environment.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace qx {
namespace {

constexpr double kTwoPi = 2 * std::numbers::pi;

uint64_t SplitMix(uint64_t x) {
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

uint64_t Key(uint32_t seed, int64_t a, uint32_t channel) {
    return SplitMix((uint64_t{seed} << 40) ^ (static_cast<uint64_t>(a) * 0x100000001B3ull) ^
                    (uint64_t{channel} << 56));
}

// Noise that changes smoothly: hash values at whole steps, interpolated.
double SmoothNoise(uint32_t seed, uint32_t channel, double x) {
    const double f = std::floor(x);
    const double t = x - f;
    const double a = HashNoise(Key(seed, static_cast<int64_t>(f), channel));
    const double b = HashNoise(Key(seed, static_cast<int64_t>(f) + 1, channel));
    const double s = t * t * (3 - 2 * t);
    return a + (b - a) * s;
}

// 0 at night, 1 in working hours (8:30 .. 18:00), smooth edges; weekends quieter.
double Occupancy(double hour, int64_t day) {
    const double rise = 1 / (1 + std::exp(-(hour - 8.5) * 3));
    const double fall = 1 / (1 + std::exp((hour - 18.0) * 3));
    const int64_t weekday = ((day % 7) + 7 + 3) % 7;  // 1970-01-01 was a Thursday: 0 = Monday
    return rise * fall * (weekday >= 5 ? 0.25 : 1.0);
}

}  // namespace

double HashNoise(uint64_t key) {
    return static_cast<double>(SplitMix(key) >> 11) / static_cast<double>(1ull << 52) - 1.0;
}

EnvironmentReading EnvironmentAt(uint32_t seed, int64_t utcSeconds, int biasMinutes) {
    const int64_t local = utcSeconds - int64_t{biasMinutes} * 60;
    const int64_t day = local >= 0 ? local / 86400 : (local - 86399) / 86400;
    const double hour = static_cast<double>(local - day * 86400) / 3600.0;
    const double days = static_cast<double>(local) / 86400.0;
    const double occupancy = Occupancy(hour, day);
    auto noise = [&](uint32_t channel) { return HashNoise(Key(seed, utcSeconds, channel)); };

    EnvironmentReading r;
    // Temperature: 21 °C with a daily swing peaking mid-afternoon and a drifting weather term.
    const double weather = 2.2 * SmoothNoise(seed, 1, days);
    r.temperature = 21.0 + 4.5 * std::sin(kTwoPi * (hour - 9.0) / 24.0) + weather +
                    0.6 * occupancy + 0.15 * noise(2);
    // Humidity moves against the temperature.
    r.humidity = std::clamp(55.0 - 14.0 * std::sin(kTwoPi * (hour - 9.0) / 24.0) - 1.5 * weather +
                                6.0 * SmoothNoise(seed, 3, days * 1.7) + 0.4 * noise(4),
                            5.0, 99.0);
    r.pressure = 1011.0 + 7.0 * SmoothNoise(seed, 5, days / 2.5) +
                 0.6 * std::sin(kTwoPi * hour / 12.0) + 0.1 * noise(6);
    r.diffPressure = 1.5 + 0.6 * std::sin(kTwoPi * hour / 24.0) + 0.5 * occupancy + 0.05 * noise(7);
    // Sound: quiet nights, busy days, a loud event now and then.
    double sound = 36.0 + 22.0 * occupancy + 2.5 * noise(8);
    if (HashNoise(Key(seed, utcSeconds / 600, 9)) > 0.96) sound += 22.0 * occupancy + 8.0;
    r.sound = std::clamp(sound, 30.0, 120.0);
    r.co2 = 420.0 + 650.0 * occupancy * (1.0 + 0.3 * SmoothNoise(seed, 10, days * 3)) +
            15.0 * noise(11);
    r.formaldehyde =
        std::max(0.0, 0.045 + 0.004 * (r.temperature - 20.0) +
                          0.03 * SmoothNoise(seed, 12, days * 1.3) + 0.003 * noise(13));
    return r;
}

}  // namespace qx
