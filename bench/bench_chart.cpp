// Speed of the trend chart: a full Render, a mouse-tracking step and a scroll step with
// 65,536 points in each of 7 visible series at 1920x1080, set up the way the record browser
// sets up its chart; and the comparison of 8 instruments x 32,512 samples filled with one
// series list, aligned on one time axis (32,512 points) or each on its own times (260,096
// points, every series missing where the others sampled, its line joined across them). The target:
// under 20 ms a drawing at 1920x1080 on a 2-core machine. When QCustomPlot is available the same
// data is drawn at the same size with it, for comparison.
#include <benchmark/benchmark.h>
#include <QApplication>
#include <QMouseEvent>
#include <QScrollBar>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <vector>

#include "gui/chart/trend_wave.h"
#include "gui_bench_main.h"

#ifdef QX_HAVE_QCUSTOMPLOT
#include <qcustomplot.h>
#endif

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;
constexpr int kPoints = 65536;
constexpr int kSeries = 8;
constexpr int kShown = 7;
constexpr int32_t kStart = 1495173802;  // 2017-05-19 06:03:22 UTC

const QRgb kColours[kSeries] = {qRgb(25, 28, 150), qRgb(255, 128, 0), qRgb(0, 0, 255),
                                qRgb(0, 128, 0),   qRgb(0, 255, 0),   qRgb(0, 0, 128),
                                qRgb(128, 128, 0), qRgb(0, 128, 0)};

// Logged values: slow drifts with daily swings and a little noise, in 0..100.
struct Data {
    std::vector<std::vector<float>> values;
    std::vector<int32_t> times;

    Data() : values(kSeries, std::vector<float>(kPoints)), times(kPoints) {
        uint32_t noise = 12345;
        for (int i = 0; i < kPoints; ++i) {
            times[i] = kStart + 60 * i;
            for (int s = 0; s < kSeries; ++s) {
                noise = noise * 1664525u + 1013904223u;
                const float jitter = static_cast<float>(noise >> 8) / 16777216.0f - 0.5f;
                values[s][i] = 50.0f + 30.0f * std::sin(i * 0.0004f + s) +
                               8.0f * std::sin(i * 0.0044f * (s + 1)) + 2.0f * jitter;
            }
        }
    }
};

const Data& TheData() {
    static const Data data;
    return data;
}

std::unique_ptr<qx::CTrendWave> MakeChart(int span) {
    auto chart = std::make_unique<qx::CTrendWave>();
    chart->resize(kWidth, kHeight);
    chart->show();
    const Data& data = TheData();
    chart->EnableDrawing(false);
    const int codes[kSeries] = {3, 3, 3, 3, 3, 3, 3, 3};
    chart->AllocSeries(kSeries, kPoints, codes);
    chart->timeLabelLines = 2;
    chart->bottomMargin = 2 * 14 + 4;
    chart->pickOnDoubleClick = true;
    chart->SetChartFont(7, 14);
    const int widths[9] = {18, 8, 8, 7, 10, 10, 8, 8, 8};
    chart->SetReadoutWidths(widths);
    chart->SetFixedReadoutWidths(true);
    chart->SetTimeFormat(1, QStringLiteral("%y-%m-%d %H:%M:%S"));
    chart->SetTimeRange(0, kPoints - 1);
    chart->SetSpan(span);
    chart->SetTimeStep(span / 6.0f);
    chart->SetPlotColor(qRgb(0, 0, 0));
    for (int s = 0; s < kSeries; ++s) {
        chart->SelectSeries(s);
        chart->SetSeriesPen(2, 0);
        chart->SetSeriesColor(s, kColours[s]);
        chart->SetBandColor(s, qRgb(0, 0, 0));
        chart->SetSeriesText(s, QStringLiteral("S%1").arg(s), QStringLiteral("%RH"));
        chart->SetSeriesDecimals(s, 1);
        chart->SetSeriesRange(s, 0, 100);
        chart->SetSeriesStep(s, 10);
        chart->SetSeriesVisible(s, s < kShown);
        for (int i = 0; i < kPoints; ++i)
            chart->SetPointValue(i, data.values[s][i]);
    }
    for (int i = 0; i < kPoints; ++i)
        chart->SetPointTime(i, data.times[i]);
    chart->SetDualAxes(true);
    chart->SetAxisSeries(0, 0);
    chart->SetAxisSeries(1, 1);
    chart->SetAlarmLines(0, 20, 80, qRgb(128, 120, 20), qRgb(200, 20, 120), 2, 2);
    chart->ShowAlarmLines(0, true, true);
    chart->EnableDrawing(true);
    return chart;
}

// A full redraw of the back buffer with every point of the 7 series in view.
void BM_TrendWaveRender(benchmark::State& state) {
    auto chart = MakeChart(kPoints);
    for (auto _ : state) {
        chart->Render();
        benchmark::DoNotOptimize(chart->BackBuffer().constBits());
    }
}
BENCHMARK(BM_TrendWaveRender)->Unit(benchmark::kMillisecond);

// One mouse move over the plot: hit test, crosshair and readout strip.
void BM_TrendWaveMouseTrack(benchmark::State& state) {
    auto chart = MakeChart(kPoints);
    const qx::TrendState& s = chart->State();
    int x = s.plot.left + 1;
    const int y = s.plot.top + s.plotHeight / 2;
    for (auto _ : state) {
        x = x + 37 < s.plot.right ? x + 37 : s.plot.left + 1;
        QMouseEvent move(QEvent::MouseMove, QPointF(x, y), QPointF(x, y), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(chart.get(), &move);
    }
    benchmark::DoNotOptimize(chart->BackBuffer().constBits());
}
BENCHMARK(BM_TrendWaveMouseTrack)->Unit(benchmark::kMicrosecond);

// One click on a scroll-bar arrow with 50,000 of the points in view: scroll arithmetic, the
// visible window and a full redraw.
void BM_TrendWaveScrollStep(benchmark::State& state) {
    auto chart = MakeChart(50000);
    QScrollBar* bar = chart->ScrollBar();
    bool right = true;
    for (auto _ : state) {
        if (chart->State().scrollPos + chart->State().span >= kPoints - 1) right = false;
        if (chart->State().scrollPos <= 0) right = true;
        bar->triggerAction(right ? QAbstractSlider::SliderSingleStepAdd
                                 : QAbstractSlider::SliderSingleStepSub);
    }
    benchmark::DoNotOptimize(chart->BackBuffer().constBits());
}
BENCHMARK(BM_TrendWaveScrollStep)->Unit(benchmark::kMillisecond);

// Eight instruments of 32,512 samples each (their full memories), every point in view. With
// `aligned` the instruments sample at the same times; otherwise each at its own, so that the
// time axis has eight times the points and every series is missing at seven in eight.
std::unique_ptr<qx::CTrendWave> MakeComparison(bool aligned) {
    constexpr int kInstruments = 8;
    constexpr int kSamples = 32512;
    const int points = aligned ? kSamples : kInstruments * kSamples;
    qx::TrendSeriesList list;
    list.times.resize(static_cast<size_t>(points));
    for (int i = 0; i < points; ++i)
        list.times[static_cast<size_t>(i)] = kStart + (aligned ? 60 * i : 60 * i / kInstruments);
    const float nan = std::nanf("");
    for (int k = 0; k < kInstruments; ++k) {
        qx::TrendLine& line = list.series.emplace_back();
        line.name = QStringLiteral("A020000%1 冷库%2").arg(k + 1).arg(k + 3);
        line.unit = QStringLiteral("℃");
        line.colour = kColours[k];
        line.penStyle = k % 5;
        line.low = 0;
        line.high = 100;
        line.step = 10;
        line.values.assign(static_cast<size_t>(points), nan);
        const std::vector<float>& source = TheData().values[static_cast<size_t>(k)];
        for (int i = 0; i < kSamples; ++i) {
            const int at = aligned ? i : i * kInstruments + k;
            line.values[static_cast<size_t>(at)] = source[static_cast<size_t>(i)];
        }
    }
    list.axes = {{{0, 1, 2, 3, 4, 5, 6, 7}, false, {}}};
    // Each instrument's line runs on past the others' sampling times.
    list.joinAcrossMissing = !aligned;
    list.gapSeconds = 600;
    auto chart = std::make_unique<qx::CTrendWave>();
    chart->resize(kWidth, kHeight);
    chart->show();
    chart->EnableDrawing(false);
    chart->timeLabelLines = 2;
    chart->bottomMargin = 2 * 14 + 4;
    chart->SetChartFont(7, 14);
    chart->SetTimeFormat(1, QStringLiteral("%y-%m-%d %H:%M:%S"));
    chart->SetSeriesList(std::move(list));
    chart->SetPlotColor(qRgb(0, 0, 0));
    chart->EnableDrawing(true);
    return chart;
}

// A full redraw of the comparison; the figure to reach is under 20 ms.
void BM_TrendWaveComparison(benchmark::State& state) {
    auto chart = MakeComparison(state.range(0) == 1);
    for (auto _ : state) {
        chart->Render();
        benchmark::DoNotOptimize(chart->BackBuffer().constBits());
    }
    state.counters["points"] = chart->State().pointCount;
    state.counters["series"] = chart->State().seriesCount;
}
BENCHMARK(BM_TrendWaveComparison)
    ->ArgName("aligned")
    ->Arg(1)
    ->Arg(0)
    ->Unit(benchmark::kMillisecond);

#ifdef QX_HAVE_QCUSTOMPLOT
// The same 7 series, pens, ranges, date-time axis and size drawn by QCustomPlot. Argument:
// 0 with its fastest settings (no antialiasing, segment-wise lines), 1 with its defaults.
void BM_QCustomPlotReplot(benchmark::State& state) {
    const bool defaults = state.range(0) == 1;
    QCustomPlot plot;
    plot.resize(kWidth, kHeight);
    plot.show();
    if (!defaults) {
        plot.setNotAntialiasedElements(QCP::aeAll);
        plot.setPlottingHints(QCP::phFastPolylines | QCP::phCacheLabels);
    }
    plot.axisRect()->setBackground(QBrush(Qt::black));
    const Data& data = TheData();
    QVector<double> keys(kPoints);
    for (int i = 0; i < kPoints; ++i)
        keys[i] = data.times[i];
    for (int s = 0; s < kShown; ++s) {
        QCPGraph* graph = plot.addGraph(plot.xAxis, s == 1 ? plot.yAxis2 : plot.yAxis);
        graph->setPen(QPen(QColor::fromRgb(kColours[s]), 2));
        QVector<double> values(kPoints);
        for (int i = 0; i < kPoints; ++i)
            values[i] = data.values[s][i];
        graph->setData(keys, values, true);
    }
    QSharedPointer<QCPAxisTickerDateTime> ticker(new QCPAxisTickerDateTime);
    ticker->setDateTimeFormat(QStringLiteral("hh:mm:ss\nyy-MM-dd"));
    plot.xAxis->setTicker(ticker);
    plot.xAxis->setRange(keys.front(), keys.back());
    plot.yAxis->setRange(0, 100);
    plot.yAxis2->setVisible(true);
    plot.yAxis2->setRange(0, 100);
    for (auto _ : state)
        plot.replot(QCustomPlot::rpQueuedRefresh);
}
BENCHMARK(BM_QCustomPlotReplot)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
#endif

}  // namespace

int main(int argc, char** argv) {
    return RunGuiBenchmarks(argc, argv);
}
