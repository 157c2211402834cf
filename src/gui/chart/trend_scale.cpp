#include "trend_scale.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <string>

#include "core/model/local_time.h"
#include "core/model/text_util.h"

namespace qx {

namespace {

constexpr int kLabelLimit = 39;

// A tick step that moves a tick walk forward.
bool UsableStep(float step) {
    return std::isfinite(step) && step > 0.0f;
}

// Removes trailing zeros after a decimal point, and the point when nothing follows it.
void TrimDecimals(std::string& text) {
    if (text.find('.') == std::string::npos) return;
    if (text.find_first_of("eE") != std::string::npos) return;
    while (!text.empty() && text.back() == '0')
        text.pop_back();
    if (!text.empty() && text.back() == '.') text.pop_back();
}

}  // namespace

void TimeTicks(const TrendState& s, std::vector<TimeTick>& out) {
    out.clear();
    const float step = s.timeStep;
    if (!UsableStep(step) || s.span <= 0) return;
    const float scroll = static_cast<float>(s.scrollPos);
    const float end = static_cast<float>(s.scrollPos + s.span);
    const float k0 = std::ceil(scroll / step);
    float v = k0 * step;
    int previousGridX = INT_MIN;
    while (v <= end && static_cast<int>(out.size()) < kMaxTicks) {
        TimeTick tick;
        tick.position = v;
        tick.x = s.XOf(v);
        tick.grid =
            tick.x > s.plot.left && tick.x < s.plot.right && tick.x != previousGridX && v != end;
        if (tick.grid) previousGridX = tick.x;
        out.push_back(tick);
        const float next = v + step;
        if (!(next > v)) break;
        v = next;
    }
}

void ValueTicks(const TrendRect& r, float low, float high, float step,
                std::vector<ValueTick>& out) {
    out.clear();
    if (!UsableStep(step) || !(high > low) || !std::isfinite(low) || !std::isfinite(high)) {
        return;
    }
    const float yscale = VerticalScale(r, low, high);
    const float k0 = std::ceil(low / step);
    float v = k0 * step;
    int previousGridY = INT_MIN;
    while (v <= high && static_cast<int>(out.size()) < kMaxTicks) {
        ValueTick tick;
        tick.value = v;
        tick.y = ValueToY(v, r, low, yscale);
        tick.grid = tick.y > r.top && tick.y < r.bottom - 1 && tick.y != previousGridY && v != high;
        if (tick.grid) previousGridY = tick.y;
        out.push_back(tick);
        const float next = v + step;
        if (!(next > v)) break;
        v = next;
    }
}

QString FormatTrendTime(int64_t t, const QString& format) {
    const QByteArray f = format.toUtf8();
    return QString::fromStdString(FormatLocalTime(t, f.constData()));
}

QString TimeLabelText(const TrendState& s, float position) {
    const int i = TruncToInt(position);
    if (i < 0 || i >= s.pointCount || static_cast<size_t>(i) >= s.times.size()) return {};
    return FormatTrendTime(s.times[i], s.timeFormat);
}

TimeLabelLines SplitTimeLabel(const QString& text) {
    const qsizetype space = text.lastIndexOf(QLatin1Char(' '));
    if (space < 0) return {text, {}};
    return {text.mid(space + 1), text.left(space)};
}

void MakeTimeLabels(const TrendState& s, const std::vector<TimeTick>& ticks, int charWidth,
                    std::vector<TimeLabel>& out) {
    out.resize(ticks.size());
    for (size_t c = 0; c < ticks.size(); ++c) {
        TimeLabel& label = out[c];
        label.text = TimeLabelText(s, ticks[c].position);
        qsizetype n = label.text.size();
        if (s.timeLabelLines == 2) {
            const TimeLabelLines parts = SplitTimeLabel(label.text);
            n = std::max(parts.upper.size(), parts.lower.size());
        }
        label.width = static_cast<int>(n) * charWidth;
        label.left = ticks[c].x - label.width / 2;
    }
    ChooseTimeLabels(out);
}

void ChooseTimeLabels(std::vector<TimeLabel>& labels) {
    const size_t m = labels.size();
    bool overlap = false;
    for (size_t c = 1; c < m; ++c) {
        if (labels[c].left <= labels[c - 1].left + labels[c - 1].width) overlap = true;
    }
    const QString* lastDrawn = nullptr;
    for (size_t c = 0; c < m; ++c) {
        TimeLabel& label = labels[c];
        const bool candidate = m < 2 || !overlap || c == 0 || c == m - 1;
        const bool repeated = lastDrawn && label.text == *lastDrawn;
        label.drawn = candidate && !label.text.isEmpty() && !repeated;
        if (label.drawn) lastDrawn = &label.text;
    }
}

QString AxisLabelText(float v, int decimals) {
    if (v == 0.0f) v = 0.0f;  // a tick at -0 (ceil of a small negative ratio) is labelled 0
    std::string text = decimals <= 0 ? StrFormat("%g", static_cast<double>(v))
                                     : StrFormat("%.*f", decimals, static_cast<double>(v));
    TrimDecimals(text);
    if (text.size() > kLabelLimit) text.resize(kLabelLimit);
    return QString::fromStdString(text);
}

namespace {

// Decimals that write every multiple of step exactly: the fewest of 0..6, or -1.
int ExactStepDecimals(double step) {
    double scaled = step;
    for (int d = 0; d <= 6; ++d, scaled *= 10.0) {
        if (scaled > 1e9) return -1;
        if (std::fabs(scaled - std::round(scaled)) < 1e-3) return d;
    }
    return -1;
}

}  // namespace

QString FittedAxisLabelText(float v, int decimals, float step, int maxChars) {
    QString text = AxisLabelText(v, decimals);
    if (text.size() <= maxChars || !std::isfinite(v)) return text;
    if (v == 0.0f) v = 0.0f;
    const double value = static_cast<double>(v);
    auto fits = [&](std::string candidate) {
        TrimDecimals(candidate);
        if (candidate.size() < static_cast<size_t>(text.size())) {
            text = QString::fromStdString(candidate);
        }
        return text.size() <= maxChars;
    };
    if (UsableStep(step)) {
        // 10^-least <= step: with fewer decimals neighbouring ticks could read alike.
        const int least = std::max(0, static_cast<int>(std::ceil(-std::log10(step))));
        const int exact = ExactStepDecimals(static_cast<double>(step));
        const int most = exact >= 0 ? std::max(exact, least) : least + 1;
        for (int d = most; d >= least; --d) {
            if (d <= 20 && fits(StrFormat("%.*f", d, value))) return text;
        }
    }
    for (int precision = 6; precision >= 1; --precision) {
        if (fits(StrFormat("%.*g", precision, value))) return text;
    }
    return text;
}

int AxisLabelChars(float low, float high, float step, int decimals) {
    int chars = 1;
    if (!UsableStep(step) || !(high > low) || !std::isfinite(low) || !std::isfinite(high)) {
        return chars;
    }
    float v = std::ceil(low / step) * step;
    for (int n = 0; v <= high && n < kMaxTicks; ++n) {
        chars = std::max(chars, static_cast<int>(AxisLabelText(v, decimals).size()));
        if (chars >= kAxisLabelCharLimit) return kAxisLabelCharLimit;
        const float next = v + step;
        if (!(next > v)) break;
        v = next;
    }
    return chars;
}

QString ReadoutValueText(float v, int decimals, const QString& unit) {
    if (!std::isfinite(v)) return QStringLiteral("--");
    const double value = static_cast<double>(v);
    std::string number = decimals < 0 ? StrFormat("%g", value) : StrFormat("%.*f", decimals, value);
    const qsizetype room = kLabelLimit - 1 - std::min<qsizetype>(unit.size(), kTrendUnitLimit);
    if (static_cast<qsizetype>(number.size()) > room) number = StrFormat("%g", value);
    QString text = QString::fromStdString(number);
    text += QLatin1Char(' ');
    text += unit;
    return CutText(text, kLabelLimit);
}

ReadoutTexts MakeReadoutTexts(const TrendState& s, int j) {
    ReadoutTexts t;
    t.time = FormatTrendTime(s.TimeThroughWindow(j), s.timeFormat);
    const size_t n = std::max<size_t>(static_cast<size_t>(s.seriesCount), kTrendDefaultSeries);
    t.names.resize(n);
    t.values.resize(n);
    for (int i = 0; i < s.seriesCount; ++i) {
        if (!s.series[i].visible) continue;
        const TrendSeries& series = s.series[i];
        t.names[i] = series.name.isEmpty() ? QString::number(i + 1) : series.name;
        t.values[i] =
            ReadoutValueText(s.ValueThroughWindow(i, j), series.readoutDecimals, series.unit);
    }
    return t;
}

QString CutText(const QString& text, int limit) {
    if (text.size() <= limit) return text;
    qsizetype n = limit;
    if (n > 0 && text.at(n - 1).isHighSurrogate()) --n;
    return text.left(n);
}

QString LimitText(const QString& text, int limit) {
    if (text.size() <= limit) return text;
    return CutText(text, std::max(limit - 1, 0)) + QChar(0x2026);
}

}  // namespace qx
