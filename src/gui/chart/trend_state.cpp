#include "trend_state.h"

#include <algorithm>
#include <cmath>

namespace qx {

namespace {

constexpr std::array<QRgb, kTrendMaxSeries> kDefaultColours{
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
    for (int i = 0; i < kTrendMaxSeries; ++i)
        series[i].colour = kDefaultColours[i];
}

bool TrendState::AllocSeries(int n, int points, std::span<const int> codes) {
    if (n < 1 || n > kTrendMaxSeries || points < 0) return false;
    if (!codes.empty() && codes.size() < static_cast<size_t>(n)) return false;
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
    if (s < 0 || s >= kTrendMaxSeries || j < 0) return 0.0f;
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
