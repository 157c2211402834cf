#include "trend_ranges.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>

#include "core/model/language.h"

namespace qx {
namespace {

// Toward zero, kept within the int range (samples of a damaged record can be anything).
int TruncClamped(double v) {
    if (!(v == v)) return 0;
    return static_cast<int>(std::clamp(v, -2.0e9, 2.0e9));
}

// t * trunc(trunc(h + t - 0.1) / t) and t * trunc(trunc(l - t + 0.1) / t).
int WholeStepUp(double h, int t) {
    return t * (TruncClamped(h + t - 0.1) / t);
}
int WholeStepDown(double l, int t) {
    return t * (TruncClamped(l - t + 0.1) / t);
}

// The coarse bottom of the temperature and humidity axes.
float CoarseBottom(int low) {
    if (low >= 0) return 0;
    if (low < -40) return -50;
    if (low < -30) return -40;
    if (low < -20) return -30;
    if (low < -10) return -20;
    return -10;
}

// Temperature (with the dew point) or humidity, stepped by 10 and merged with the limits.
TrendRange StepTenRange(double h, double l) {
    const int high = WholeStepUp(h, 10);
    const int low = WholeStepDown(l, 10);
    // The difference of two clamped values can exceed the int range.
    const bool narrow = int64_t{high} - low <= 10;
    return {CoarseBottom(low), static_cast<float>(narrow ? low + 10 : high)};
}

// Stepped by t in both directions, at least one step wide.
struct Stepped {
    int low;
    int high;
};
Stepped StepRange(double h, double l, int t) {
    const int high = WholeStepUp(h, t);
    const int low = WholeStepDown(l, t);
    return {low, int64_t{high} - low <= t ? low + t : high};
}

// Far beyond any measured value, so that spans and steps stay finite.
constexpr double kRoundLimit = 1e30;

}  // namespace

TrendRange RoundRange(double low, double high, int divisions) {
    if (!(low == low) || !(high == high)) return {0, 1};
    low = std::clamp(low, -kRoundLimit, kRoundLimit);
    high = std::clamp(high, -kRoundLimit, kRoundLimit);
    if (high < low) std::swap(low, high);
    if (!(high > low)) {
        // One value: a unit of its magnitude around it.
        const double magnitude = std::fabs(low);
        const double unit = magnitude > 0 ? std::pow(10.0, std::floor(std::log10(magnitude))) : 1.0;
        low -= unit / 2;
        high += unit / 2;
    }
    const int d = std::max(divisions, 1);
    // The smallest round step of at least x.
    auto roundStep = [](double x) {
        const double power = std::pow(10.0, std::floor(std::log10(x)));
        const double n = x / power;
        return (n <= 1 ? 1 : n <= 2 ? 2 : n <= 5 ? 5 : 10) * power;
    };
    // A bound within a ten-thousandth of a step of a whole step (float values carry such
    // errors) is on it.
    constexpr double kSlack = 1e-4;
    double step = roundStep((high - low) / d);
    for (int tries = 0; tries < 8; ++tries) {
        const double from = std::floor(low / step + kSlack) * step;
        const double to = from + d * step;
        if (to >= high - step * kSlack) return {static_cast<float>(from), static_cast<float>(to)};
        step = roundStep(step * 1.01);
    }
    return {static_cast<float>(low), static_cast<float>(high)};
}

TrendTimeAxis TrendTimeAxisFor(int pointCount) {
    const int last = std::max(pointCount - 1, 6);
    const int h = std::clamp((last + 5) / 6, 2, 100);
    return {last, 5 * h, h};
}

void TrendExtremes::Add(const SeriesValues& values) {
    for (size_t s = 0; s < values.size(); ++s) {
        const float v = values[s];
        if (!std::isfinite(v)) continue;
        TrendRange& r = ranges_[s];
        if (!seen_[s]) {
            seen_[s] = true;
            r.low = v;
            r.high = (s == 3 || s == 5 || s == 7) ? std::max(0.0f, v) : v;
        } else {
            r.low = std::min(r.low, v);
            r.high = std::max(r.high, v);
        }
    }
    ++count_;
}

TrendRanges TrendValueRanges(const TrendExtremes& e, const RecordUnits& units,
                             const AlarmLimits& limits, int channelCount) {
    TrendRanges r;
    for (int s = 0; s < kSeriesCount; ++s)
        r[static_cast<size_t>(s)] = e.Of(s);

    // Temperature with the dew point and the alarm limits; humidity with its limits.
    r[0] =
        StepTenRange(std::max({double{e.Of(0).high}, double{e.Of(2).high}, limits.temperatureHigh}),
                     std::min({double{e.Of(0).low}, double{e.Of(2).low}, limits.temperatureLow}));
    r[1] = StepTenRange(std::max(double{e.Of(1).high}, limits.humidityHigh),
                        std::min(double{e.Of(1).low}, limits.humidityLow));

    // Sound level: never below 0.
    if (Model(units.type).soundOnly) {
        const int high = WholeStepUp(std::max(double{e.Of(5).high}, limits.soundHigh), 10);
        const int low =
            std::max(0, WholeStepDown(std::min(double{e.Of(5).low}, limits.soundLow), 10));
        r[5] = {static_cast<float>(low), static_cast<float>(high - low < 10 ? low + 10 : high)};
    }

    // Pressure by 100 (10 in psi).
    const Stepped pressure = StepRange(e.Of(3).high, e.Of(3).low, IsPsi(units.pressure) ? 10 : 100);
    r[3] = {static_cast<float>(pressure.low), static_cast<float>(pressure.high)};

    // Formaldehyde in hundredths, CO2 by 100 ppm, both up to at least the alarm limit.
    if (Model(units.type).gas == GasKind::kFormaldehyde) {
        const Stepped gas = StepRange(std::max(double{e.Of(7).high}, limits.gasHigh) * 100,
                                      double{e.Of(7).low} * 100, 100);
        r[7] = {static_cast<float>(gas.low / 100.0), static_cast<float>(gas.high / 100.0)};
    } else if (Model(units.type).gas == GasKind::kCo2) {
        const Stepped gas =
            StepRange(std::max(double{e.Of(7).high}, limits.gasHigh), e.Of(7).low, 100);
        r[7] = {static_cast<float>(gas.low), static_cast<float>(gas.high)};
    }

    // Scales of their own, read on axes of their own.
    auto round = [&](int series) {
        r[static_cast<size_t>(series)] = RoundRange(e.Of(series).low, e.Of(series).high);
    };
    round(4);
    round(6);
    if (!Model(units.type).soundOnly) round(5);
    const bool flowMeter = units.mask & kChFlow;
    if (flowMeter) round(2);

    if (std::max(channelCount, 1) > 2) {
        const TrendRange shared{std::min(r[0].low, r[1].low), std::max(r[0].high, r[1].high)};
        r[0] = shared;
        r[1] = shared;
    }

    const bool fahrenheit = units.temperatureUnit == 1;
    r[0].high = std::clamp(r[0].high, fahrenheit ? 32.0f : 0.0f, fahrenheit ? 284.0f : 140.0f);
    r[1].high = std::clamp(r[1].high, 0.0f, 100.0f);
    if (!flowMeter) r[2] = r[0];
    for (TrendRange& range : r) {
        if (range.high - range.low < 0.005f) range.high = range.low + 1;
    }
    return r;
}

TrendAxes TrendAxesFor(InstrumentTypeId type, int channelCount) {
    const int d = std::max(channelCount, 1);
    if (d == 1) {
        const std::span<const int> list = SeriesList(type);
        const int first = list.empty() ? 0 : list.front();
        return {first, first};
    }
    if (d == 2) return {0, 1};
    return {0, Model(type).gas != GasKind::kNone ? 7 : 3};
}

std::vector<TrendAxisGroup> TrendAxisGroups(InstrumentTypeId type, int channelCount) {
    const std::span<const int> list = SeriesList(type);
    const int d = std::max(channelCount, 1);
    if (list.empty()) return {};
    if (d == 1) return {{{list.front()}, false}, {{list.front()}, true}};
    auto listed = [&](int series) {
        return std::find(list.begin(), list.end(), series) != list.end();
    };
    TrendAxisGroup left{{0}, false};
    if (d > 2) left.series.push_back(1);
    const bool flowMeter = ChannelMask(type) & kChFlow;
    if (listed(2) && !flowMeter) left.series.push_back(2);
    const TrendAxes axes = TrendAxesFor(type, channelCount);
    std::vector<TrendAxisGroup> groups{left, {{axes.right}, true}};
    bool right = false;
    for (int series : list) {
        bool placed = false;
        for (const TrendAxisGroup& g : groups)
            placed =
                placed || std::find(g.series.begin(), g.series.end(), series) != g.series.end();
        if (placed) continue;
        groups.push_back({{series}, right});
        right = !right;
    }
    return groups;
}

float TrendGridStep(const TrendRange& range, int divisions) {
    const float d = static_cast<float>(std::max(divisions, 1));
    const float g = (range.high - range.low) / d;
    if (g > 20) return d * std::trunc(g / d);
    return g;
}

const char* const kTimeZoomTexts[kTimeZoomCount] = {
    TrNoop("缩小10X"), TrNoop("缩小5X"), TrNoop("缩小2X"), TrNoop("不变(1x)"),
    TrNoop("放大2X"),  TrNoop("放大5X"), TrNoop("放大10X")};
const char* const kValueZoomTexts[kValueZoomCount] = {
    TrNoop("不变(1x)"), TrNoop("放大1.2X"), TrNoop("放大1.5X"), TrNoop("放大2X"),
    TrNoop("放大4X"),   TrNoop("放大8X"),   TrNoop("放大16X")};

TrendTimeZoom TimeZoomFor(int baseSpan, int index) {
    static constexpr double kFactors[kTimeZoomCount] = {10, 5, 2, 1, 0.5, 0.2, 0.1};
    const double factor = (index >= 0 && index < kTimeZoomCount) ? kFactors[index] : 1.0;
    const double span = std::max(baseSpan * factor, 1.0);
    const int points = TruncClamped(span);
    return {std::max(points, 1), static_cast<float>(std::max(1, TruncClamped(span / 6 + 0.5)))};
}

TrendValueZoom ValueZoomFor(const TrendRange& range, int index) {
    static constexpr float kFactors[kValueZoomCount] = {1, 1.2f, 1.5f, 2, 4, 8, 16};
    const float factor = (index >= 0 && index < kValueZoomCount) ? kFactors[index] : 1.0f;
    const float high = range.high / factor;
    return {{range.low, high}, (high - range.low) / 10};
}

}  // namespace qx
