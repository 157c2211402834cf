#include "trend_state.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "core/records/trend_ranges.h"
#include "trend_scale.h"

namespace qx {

namespace {

constexpr std::array<QRgb, kTrendDefaultSeries> kDefaultColours{
    qRgb(255, 0, 0),   qRgb(0, 255, 0),   qRgb(0, 0, 255), qRgb(128, 0, 0),
    qRgb(128, 128, 0), qRgb(255, 0, 255), qRgb(0, 128, 0), qRgb(0, 0, 128)};

// Far outside any drawing, yet sums of a few of them still fit an int.
constexpr float kTruncLimit = 268435456.0f;  // 2^28

}  // namespace

int TruncToInt(float v) {
    if (std::isnan(v)) return -static_cast<int>(kTruncLimit);
    if (v >= kTruncLimit) return static_cast<int>(kTruncLimit);
    if (v <= -kTruncLimit) return -static_cast<int>(kTruncLimit);
    return static_cast<int>(v);
}

TrendState::TrendState() {
    EnsureSeriesRecords(kTrendDefaultSeries);
}

void TrendState::EnsureSeriesRecords(int n) {
    for (int i = static_cast<int>(series.size()); i < n; ++i) {
        TrendSeries& s = series.emplace_back();
        s.colour = i < kTrendDefaultSeries ? kDefaultColours[static_cast<size_t>(i)]
                                           : kDefaultColours[static_cast<size_t>(i) % 8];
    }
}

int TrendState::TopMargin() const {
    return marginTop + std::max(readoutRows - 1, 0) * ReadoutRowPitch();
}

bool TrendState::AllocSeries(int n, int points, std::span<const int> codes) {
    if (n < 1 || n > kTrendMaxSeries || points < 0) return false;
    if (!codes.empty() && codes.size() < static_cast<size_t>(n)) return false;
    EnsureSeriesRecords(n);
    const int newCapacity = std::min(points, kTrendMaxPoints);
    const size_t entries = static_cast<size_t>(newCapacity) + 2;

    if (newCapacity != capacity || times.size() != entries) {
        times.assign(entries, 0);
        times.shrink_to_fit();
    } else {
        std::fill(times.begin(), times.end(), 0);
    }
    for (int i = 0; i < n; ++i) {
        TrendSeries& s = series[i];
        if (!codes.empty()) s.storageCode = codes[i];
        if (s.values.size() != entries) {
            s.values.assign(entries, 0.0f);
            s.values.shrink_to_fit();
        }
        s.visible = true;
    }
    for (int i = n; i < seriesCount; ++i) {
        series[i].values.clear();
        series[i].values.shrink_to_fit();
    }
    capacity = newCapacity;
    pointCount = newCapacity;
    seriesCount = n;
    selectedPoint = -1;
    return true;
}

bool TrendState::SetSeriesList(TrendSeriesList&& list) {
    const int n = static_cast<int>(list.series.size());
    if (n < 1 || n > kTrendMaxSeries || list.times.size() > static_cast<size_t>(kTrendMaxPoints)) {
        return false;
    }
    const int points = static_cast<int>(list.times.size());
    const size_t entries = static_cast<size_t>(points) + 2;
    constexpr float kMissing = std::numeric_limits<float>::quiet_NaN();

    times = std::move(list.times);
    times.resize(entries, 0);
    EnsureSeriesRecords(n);
    for (int i = 0; i < n; ++i) {
        TrendLine& line = list.series[static_cast<size_t>(i)];
        TrendSeries& s = series[static_cast<size_t>(i)];
        s.values = std::move(line.values);
        s.values.resize(static_cast<size_t>(points), kMissing);
        s.values.resize(entries, 0.0f);
        s.storageCode = kTrendStorageFloat;
        s.colour = line.colour;
        s.penStyle = line.penStyle;
        s.penWidth = std::max(line.penWidth, 1);
        s.name = LimitText(line.name, kTrendNameLimit);
        s.unit = LimitText(line.unit, kTrendUnitLimit);
        s.readoutDecimals = std::clamp(line.decimals, kTrendShortestDecimals, 8);
        s.axisDecimals = std::clamp(line.axisDecimals, 0, 5);
        if (line.high > line.low && std::isfinite(line.low) && std::isfinite(line.high)) {
            s.low = line.low;
            s.high = line.high;
        } else {
            float low = std::numeric_limits<float>::infinity();
            float high = -low;
            for (int j = 0; j < points; ++j) {
                const float v = s.values[static_cast<size_t>(j)];
                if (!std::isfinite(v)) continue;
                low = std::min(low, v);
                high = std::max(high, v);
            }
            const TrendRange r = high >= low ? RoundRange(low, high) : TrendRange{0, 1};
            s.low = r.low;
            s.high = r.high;
        }
        s.step = line.step > 0 && std::isfinite(line.step) ? line.step : (s.high - s.low) / 5;
        s.visible = line.visible;
        s.alarms = {};
    }
    for (int i = n; i < seriesCount; ++i) {
        series[static_cast<size_t>(i)].values.clear();
        series[static_cast<size_t>(i)].values.shrink_to_fit();
    }
    seriesCount = n;
    currentSeries = 0;
    pointCount = capacity = points;
    selectedPoint = -1;
    readoutPoint = 0;
    axisSpecs = std::move(list.axes);
    gapSeconds = std::max<int64_t>(list.gapSeconds, 0);
    joinAcrossMissing = list.joinAcrossMissing;

    timeFirst = 0;
    timeLast = static_cast<float>(std::max(points - 1, 1));
    span = std::max(points - 1, 1);
    scrollPos = 0;
    timeStep = std::max(1.0f, std::trunc(static_cast<float>(span) / 6.0f + 0.5f));
    return true;
}

void TrendState::UpdateVisibleWindow() {
    // Points scrollPos .. scrollPos + span, both included, that exist.
    visibleCount = 0;
    firstVisible = 0;
    const int64_t first = std::max<int64_t>(scrollPos, 0);
    const int64_t last = std::min<int64_t>(static_cast<int64_t>(scrollPos) + span,
                                           static_cast<int64_t>(pointCount) - 1);
    if (first > last) return;
    firstVisible = static_cast<int>(first);
    visibleCount = static_cast<int>(last - first + 1);
}

int TrendState::CountShownSeries() const {
    int n = 0;
    for (int s = 0; s < seriesCount; ++s)
        n += series[s].visible ? 1 : 0;
    return n;
}

int TrendState::WindowIndex(int j) const {
    const int k = std::clamp(j - firstVisible, 0, visibleCount - 1);
    return firstVisible + k;
}

float TrendState::ValueThroughWindow(int s, int j) const {
    if (visibleCount == 0) return 0.0f;
    return ValueAt(s, WindowIndex(j));
}

int64_t TrendState::TimeThroughWindow(int j) const {
    if (visibleCount == 0) return 0;
    const int i = WindowIndex(j);
    return i >= 0 && static_cast<size_t>(i) < times.size() ? times[i] : 0;
}

float TrendState::ValueAt(int s, int j) const {
    if (!HasSeriesRecord(s) || j < 0) return 0.0f;
    const std::vector<float>& v = series[s].values;
    return static_cast<size_t>(j) < v.size() ? v[j] : 0.0f;
}

int TrendState::XOf(float p) const {
    return plot.left + TruncToInt((p - static_cast<float>(scrollPos)) * XScale());
}

int TrendState::XOfPoint(int j) const {
    return plot.left + TruncToInt(static_cast<float>(j - scrollPos) * XScale());
}

}  // namespace qx
