// Helpers of the chart tests: a chart configured and filled the way the record browser does
// it, pixel access, and screenshots under $QX_SCREENSHOT_DIR.
#pragma once

#include <QColor>
#include <QImage>
#include <QString>
#include <cmath>
#include <cstdlib>
#include <string>

#include "gui/chart/trend_wave.h"

namespace qx::test {

// 2017-05-19 14:03:22 in a zone eight hours east of UTC.
inline constexpr int32_t kSampleStart = 1495173802;

inline const int kBrowserReadoutWidths[9] = {18, 8, 8, 7, 10, 10, 8, 8, 8};

// The record browser's one-time configuration: eight series with its colours, pens, names,
// units, ranges and steps, dual axes on series 0 and 1, two-line date-time labels.
inline void ConfigureLikeBrowser(CTrendWave& chart) {
    static const QRgb colours[8] = {qRgb(25, 28, 150), qRgb(255, 128, 0), qRgb(0, 0, 255),
                                    qRgb(0, 128, 0),   qRgb(0, 255, 0),   qRgb(0, 0, 128),
                                    qRgb(128, 128, 0), qRgb(0, 128, 0)};
    static const char* names[8] = {"温度", "湿度", "露点", "气压", "差压", "噪声", "流量", "CO2"};
    static const char* units[8] = {"℃", "%RH", "℃", "hPa", "hPa", "dB", "m3/s", "PPM"};
    static const float highs[8] = {100, 100, 100, 1500, 8, 150, 10, 10000};
    static const float steps[8] = {10, 10, 10, 150, 0.8f, 15, 1, 1000};
    const int codes[8] = {3, 3, 3, 3, 3, 3, 3, 3};

    chart.EnableDrawing(false);
    chart.AllocSeries(8, 1, codes);
    chart.SetTimeRange(0, 1);
    chart.SetSpan(1);
    chart.SetTimeStep(1.0f / 6.0f);
    chart.SetSeriesText(-1, QString());
    chart.SetFixedReadoutWidths(true);
    chart.SetBanded(false);
    chart.SetChartFont(7, 14);
    chart.SetReadoutWidths(kBrowserReadoutWidths);
    chart.SetTimeFormat(1, QStringLiteral("%y-%m-%d %H:%M:%S"));
    chart.timeLabelLines = 2;
    chart.bottomMargin = 2 * 14 + 4;
    for (int s = 0; s < 8; ++s) {
        chart.SelectSeries(s);
        chart.SetSeriesPen(2, 0);
        chart.SetSeriesText(s, QString::fromUtf8(names[s]), QString::fromUtf8(units[s]));
        chart.SetSeriesColor(s, colours[s]);
        chart.SetSeriesDecimals(s, s < 7 ? 1 : 0);
        chart.SetAxisDecimals(s, 0);
        chart.SetSeriesRange(s, 0, highs[s]);
        chart.SetSeriesStep(s, steps[s]);
    }
    chart.SetMarkSize(0);
    chart.SelectSeries(7);
    chart.SetPointValue(0, 0);
    chart.SetPointTime(0, kSampleStart);
    chart.AllocSeries(8, 0, codes);
    chart.SetDualAxes(true);
    chart.SetAxisSeries(0, 0);
    chart.SetAxisSeries(1, 1);
    chart.pickOnDoubleClick = true;
    chart.EnableDrawing(true);
}

// Synthetic temperature and humidity samples one minute apart.
inline float SampleTemperature(int i) {
    return 22.0f + 4.0f * std::sin(i * 0.004f) + 0.3f * std::sin(i * 0.37f);
}
inline float SampleHumidity(int i) {
    return 55.0f + 20.0f * std::cos(i * 0.003f);
}

// A temperature and humidity record of n samples filled as the browser does it: series 0, 1
// and the dew point shown, the others hidden, black backgrounds, alarm lines at 20/30 C and
// 40/80 %RH, axes 0..40 C and 0..100 %RH.
inline void FillLikeBrowser(CTrendWave& chart, int n) {
    chart.EnableDrawing(false);
    chart.SetSeriesDecimals(7, 0);
    chart.AllocSeries(8, n);
    const int x1 = std::max(n - 1, 6);
    const int h = std::clamp((x1 + 5) / 6, 2, 100);
    chart.SetTimeRange(0, static_cast<float>(x1));
    chart.SetSpan(5 * h);
    chart.SetTimeStep(static_cast<float>(h));
    for (int i = 0; i < n; ++i) {
        const float t = SampleTemperature(i);
        const float rh = SampleHumidity(i);
        const float values[8] = {t, rh, t - (100.0f - rh) / 5.0f, 0, 0, 0, 0, 0};
        for (int s = 0; s < 8; ++s) {
            chart.SelectSeries(s);
            chart.SetPointValue(i, values[s]);
        }
        chart.SetPointTime(i, kSampleStart + 60 * i);
    }
    chart.SetDualAxes(true);
    chart.SetAxisSeries(0, 0);
    chart.SetAxisSeries(1, 1);
    chart.SetAlarmLines(0, 20, 30, qRgb(128, 120, 20), qRgb(200, 20, 120), 2, 2);
    chart.ShowAlarmLines(0, true, true);
    chart.SetAlarmLines(1, 40, 80, qRgb(150, 120, 20), qRgb(250, 200, 20), 1, 4);
    chart.ShowAlarmLines(1, true, true);
    chart.SetPlotColor(qRgb(0, 0, 0));
    const float lows[8] = {0, 0, 0, 0, 0, 0, 0, 0};
    const float highs[8] = {40, 100, 40, 1100, 8, 150, 10, 10000};
    for (int s = 0; s < 8; ++s) {
        chart.SetBandColor(s, qRgb(0, 0, 0));
        chart.SelectSeries(s);
        chart.SetSeriesRange(s, lows[s], highs[s]);
        float g = (highs[s] - lows[s]) / 10.0f;
        if (g > 20) g = 10.0f * std::trunc(g / 10.0f);
        chart.SetSeriesStep(s, g);
    }
    for (int s = 3; s < 8; ++s)
        chart.SetSeriesVisible(s, false);
    chart.EnableDrawing(true);
}

inline QString ScreenshotPath(const char* name) {
    const char* dir = std::getenv("QX_SCREENSHOT_DIR");
    return QString::fromUtf8(dir && *dir ? dir : ".") + QLatin1Char('/') + QString::fromUtf8(name) +
           QStringLiteral(".png");
}

inline bool SaveScreenshot(const QImage& image, const char* name) {
    return image.save(ScreenshotPath(name));
}

inline QRgb Pixel(const QImage& image, int x, int y) {
    return image.pixel(x, y) & 0xFFFFFF;
}
inline QRgb Rgb(int r, int g, int b) {
    return qRgb(r, g, b) & 0xFFFFFF;
}

// Number of pixels of a colour in a rectangle.
inline int CountColour(const QImage& image, const QRect& r, QRgb colour) {
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y) {
        for (int x = r.left(); x <= r.right(); ++x)
            n += Pixel(image, x, y) == (colour & 0xFFFFFF);
    }
    return n;
}

}  // namespace qx::test
