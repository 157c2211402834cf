// A download from a simulated instrument, protocol and simulator together: the work between
// the pauses (which the window program spends painting), and the pauses a download of each
// size takes in total.
#include <benchmark/benchmark.h>

#include <memory>
#include <numeric>

#include "core/link/device_commands.h"
#include "core/link/simulated_hid_library.h"

namespace {

class QuietUi final : public qx::InstrumentUi {
  public:
    void ShowWarning(const std::string&) override {}
    void ShowInfo(const std::string&) override {}
    bool ConfirmOkCancel(const std::string&) override { return true; }
    int ChooseDevice(const std::vector<std::string>&, int pre) override { return pre; }
    bool EditParams(qx::ParamBlock&, const std::function<bool(const qx::ParamBlock&)>&) override {
        return false;
    }
    void ShowParams(qx::ParamListKind, const qx::ParamBlock*) override {}
    void UpdataControl() override {}
    void RefreshDisp() override {}
    void ShowDevicePanel() override {}
};

void BM_Download(benchmark::State& bm) {
    const auto type = static_cast<qx::InstrumentTypeId>(bm.range(0));
    const auto samples = static_cast<uint32_t>(bm.range(1));
    constexpr int64_t kNow = 0x58C2A500;
    QuietUi ui;
    auto bus = std::make_unique<qx::SimulatedHidLibrary>([] { return kNow; });
    qx::InstrumentSimulator& sim = bus->Add(type);
    qx::InstrumentSession session(
        std::move(bus), ui, [] { return kNow; }, [](int) {});
    session.link.Connect(nullptr);
    auto image = std::make_unique<qx::RecordImage>();
    int pauseMs = 0;
    qx::DownloadHooks hooks;
    hooks.pause = [&](int ms) { pauseMs += ms; };
    qx::DownloadResult result;
    for (auto _ : bm) {
        bm.PauseTiming();
        sim.StartRecording({samples, 1, 1, type == 2 ? uint16_t{0xFFFF} : uint16_t{0}, false});
        pauseMs = 0;
        bm.ResumeTiming();
        result = qx::DownloadRecord(session.protocol, *image, hooks);
        benchmark::DoNotOptimize(image->bytes.data());
    }
    bm.counters["samples"] = result.fetched;
    bm.counters["blocks"] = result.blocks;
    bm.counters["pause_ms"] = pauseMs;
    bm.counters["blocks_per_s"] = benchmark::Counter(static_cast<double>(result.blocks),
                                                     benchmark::Counter::kIsIterationInvariantRate);
}

BENCHMARK(BM_Download)
    ->Args({1, 45})
    ->Args({1, 5000})
    ->Args({6, 14224})
    ->Args({2, 2 * 21378 + 42})
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
