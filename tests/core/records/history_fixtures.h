// Recordings of an instrument made in memory, as the record library hands them out.
#pragma once

#include <cstdint>
#include <vector>

#include "core/library/recording_samples.h"
#include "record_fixtures.h"

namespace qx::test {

// A recording of a type: samples at the given times with temperature (channel 0) and the
// other channels given per sample (humidity 50 %, pressure 1000 hPa unless set); the
// fixtures' settings (number QX0001, name 测试点, limits 0..40 °C and 20..90 %RH) with the
// interval in seconds and the unit byte.
inline RecordingSamples MakeRecording(InstrumentTypeId type, uint32_t interval,
                                      const std::vector<int64_t>& times,
                                      const std::vector<float>& temperatures,
                                      uint8_t unitByte = 0) {
    RecordingSamples r;
    r.type = type;
    const uint32_t start = times.empty() ? 1489151232 : static_cast<uint32_t>(times.front());
    r.params = MakeRecordImage(type, static_cast<uint32_t>(times.size()), start, interval).Params();
    r.params.SetU8(param::kUnitByte, unitByte);
    for (size_t k = 0; k < times.size(); ++k) {
        TimedSample s;
        s.time = times[k];
        s.row.SetCh(0, temperatures[k]);
        s.row.SetCh(1, 50);
        s.row.SetCh(2, 1000);
        r.samples.push_back(s);
    }
    return r;
}

// n times from start, interval apart.
inline std::vector<int64_t> EveryInterval(int64_t start, int64_t interval, int n) {
    std::vector<int64_t> times;
    for (int k = 0; k < n; ++k)
        times.push_back(start + k * interval);
    return times;
}

}  // namespace qx::test
