// What the record library's benchmarks add: record files of one logger at the sizes users
// reach, written into a scratch folder.
#pragma once

#include <chrono>
#include <cmath>
#include <filesystem>
#include <memory>
#include <string>

#include <benchmark/benchmark.h>

#include "core/library/record_library.h"
#include "core/records/record_file.h"
#include "core/records/record_fixtures.h"  // tests/core/records

namespace qx::bench {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

inline constexpr uint32_t kStart = 1672502400;  // 2023-01-01 00:00 +08:00

inline std::string Scratch(const char* name) {
    const fs::path folder = fs::temp_directory_path() / ("qx-bench-library-" + std::string(name));
    fs::remove_all(folder);
    fs::create_directories(folder);
    return folder.string();
}

// A record file of `count` QX420B samples (two bytes each) numbered `number`, limits 0..40
// degrees. Daily: a day's swing between 12 and 28 degrees with a little noise, above 26 degrees
// for a few hours a day (one excursion a day, as a poorly kept room has); sawtooth: the test
// fixtures' values, which cross the limit every few samples (4,000 excursions a file).
enum class Profile { kDaily, kSawtooth };
inline void Write(const std::string& path, const std::u16string& number, uint32_t count,
                  uint32_t start, uint32_t interval, Profile profile = Profile::kDaily) {
    auto image =
        std::make_unique<qx::RecordImage>(qx::test::MakeRecordImage(4, count, start, interval));
    qx::ParamBlock p = image->Params();
    p.SetNumber(number);
    if (profile == Profile::kDaily) p.SetU16(qx::param::kHighLimit, 660);  // 26 degrees
    image->SetParams(p);
    for (uint32_t k = 0; profile == Profile::kDaily && k < count; ++k) {
        const double t = start + static_cast<double>(k) * interval;
        const double degrees = 20 + 8 * std::sin(t / 86400 * 2 * M_PI) + 0.1 * (k % 3);
        qx::test::PutU16(image->Samples() + 2 * k, static_cast<uint16_t>((degrees + 40) * 10));
    }
    qx::WriteRecordFile(path, *image, 4);
}

// A year at 5-minute intervals in `library`: four downloads of one logger, restarted after
// each (files in folder).
inline void AddYear(qx::RecordLibrary& library, const std::string& folder) {
    uint32_t start = kStart;
    for (uint32_t left = 105120, d = 0; left > 0; ++d) {
        const uint32_t n = std::min<uint32_t>(left, 32512);
        const std::string path = folder + "/" + std::to_string(d) + ".QXRec";
        Write(path, u"YEAR", n, start, 300);
        library.AddRecordFile(path);
        start += n * 300;
        left -= n;
    }
}

// Reads the year of AddYear as the browser reads an instrument's history, once an iteration.
inline void ReadYear(benchmark::State& state, qx::RecordLibrary& library) {
    std::vector<qx::LibraryInstrument> instruments;
    library.Instruments(instruments);
    size_t samples = 0;
    for (auto _ : state) {
        qx::InstrumentHistory history;
        library.History(instruments.at(0).id, kStart, kStart + 365 * 86400, history);
        samples = 0;
        for (const qx::RecordingSamples& r : history)
            samples += r.samples.size();
        benchmark::DoNotOptimize(history.data());
    }
    state.SetLabel(std::to_string(samples) + " samples in 4 recordings");
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * samples));
}

inline double Seconds(Clock::time_point from) {
    return std::chrono::duration<double>(Clock::now() - from).count();
}

}  // namespace qx::bench
