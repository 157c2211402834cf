#include "core/link/instrument_simulator.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "link_fixture.h"

namespace qx {
namespace {

using test::kTestNow;

uint16_t Le16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

// The record layouts, decoded by hand: temperature and humidity packed in three bytes,
// 16-bit little-endian fields after them.
std::array<float, 7> Decode(const uint8_t* s, InstrumentTypeId type) {
    std::array<float, 7> ch{};
    auto packed = [&] {
        ch[0] = static_cast<float>(((s[2] & 0x0F) * 256 + s[0]) / 10.0 - 40);
        ch[1] = static_cast<float>(((s[2] >> 4) * 256 + s[1]) / 10.0);
    };
    switch (type) {
        case 4:
        case 10:
            ch[0] = static_cast<float>(Le16(s) / 10.0 - 40);
            break;
        case 7:
        case 9:
            ch[4] = static_cast<float>(Le16(s) / 10.0);
            break;
        case 5:
            packed();
            ch[2] = static_cast<float>(Le16(s + 3) / 10.0);
            break;
        case 8:
            packed();
            ch[6] = Le16(s + 3);
            break;
        case 11:
            packed();
            ch[6] = static_cast<float>(Le16(s + 3) / 100.0);
            break;
        case 6:
            packed();
            ch[2] = static_cast<float>(Le16(s + 3) / 10.0);
            ch[3] = static_cast<float>(static_cast<int16_t>(Le16(s + 5)) / 100.0);
            ch[4] = static_cast<float>(Le16(s + 7) / 10.0);
            break;
        default:
            packed();
    }
    return ch;
}

class SimulatorModel : public testing::TestWithParam<InstrumentTypeId> {};

TEST_P(SimulatorModel, PackedSamplesMatchTheTrueValues) {
    const InstrumentTypeId type = GetParam();
    InstrumentSimulator sim(type, [] { return kTestNow; });
    const std::vector<TrueSample> truth = sim.TrueSamples();
    const std::vector<uint8_t> packed = sim.PackedSamples();
    const size_t s = static_cast<size_t>(BytesPerSample(type));
    ASSERT_EQ(truth.size(), 864u);
    ASSERT_EQ(packed.size(), 864 * s);
    const uint32_t start = sim.RecordedParams().StartTime();
    for (size_t k = 0; k < truth.size(); ++k) {
        EXPECT_EQ(Decode(packed.data() + k * s, type), truth[k].ch) << k;
        const int64_t bias = type == 2 ? int64_t{sim.RecordedParams().TimeZoneBias()} * 60 : 0;
        EXPECT_EQ(truth[k].time, int64_t{start} + int64_t(k) * 300 + bias);
    }
    // Plausible readings of the model's quantities.
    const uint8_t mask = ChannelMask(type);
    for (const TrueSample& t : truth) {
        if (mask & kChTemperature && type != 7 && type != 9) {
            EXPECT_GT(t.ch[0], 5.0f);
            EXPECT_LT(t.ch[0], 35.0f);
        }
        if (mask & kChHumidity) {
            EXPECT_GE(t.ch[1], 5.0f);
            EXPECT_LE(t.ch[1], 99.0f);
        }
        if (mask & kChPressure) {
            EXPECT_GT(t.ch[2], 990.0f);
            EXPECT_LT(t.ch[2], 1030.0f);
        }
        if (mask & kChSound) {
            EXPECT_GE(t.ch[4], 30.0f);
            EXPECT_LE(t.ch[4], 120.0f);
        }
        if (mask & kChCo2) {
            EXPECT_GT(t.ch[6], 350.0f);
            EXPECT_LT(t.ch[6], 1600.0f);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(AllModels, SimulatorModel, testing::Range(1, 12),
                         [](const auto& info) { return ModelName(info.param); });

TEST(InstrumentSimulator, ReadingsCrossTheLimitsNowAndThen) {
    // A month of hourly samples: the warm afternoons pass 26 °C, busy hours 1000 ppm.
    int64_t now = kTestNow;
    InstrumentSimulator th(1, [&] { return now; });
    th.StartRecording({30 * 24, 1, 2, 0, false});
    EXPECT_NE(th.RecordedParams().U8(param::kHighAlarm), 0);
    InstrumentSimulator co2(8, [&] { return now; });
    co2.StartRecording({30 * 24, 1, 2, 0, false});
    const auto samples = co2.TrueSamples();
    EXPECT_TRUE(std::any_of(samples.begin(), samples.end(),
                            [](const TrueSample& s) { return s.ch[6] > 1000; }));
    EXPECT_TRUE(std::any_of(samples.begin(), samples.end(),
                            [](const TrueSample& s) { return s.ch[6] < 500; }));
}

TEST(InstrumentSimulator, RunningRecordingFollowsTheClockAndStopsAtItsCount) {
    int64_t now = kTestNow;
    InstrumentSimulator sim(1, [&] { return now; });
    sim.StartRecording({10, 1, 1, 20, true});  // 10 samples a minute apart, up to 20
    EXPECT_EQ(sim.DownloadableCount(), 10u);
    now += 59;
    EXPECT_EQ(sim.DownloadableCount(), 10u);
    now += 1;
    EXPECT_EQ(sim.DownloadableCount(), 11u);
    EXPECT_TRUE(sim.Recording());
    now += 3600;
    EXPECT_EQ(sim.DownloadableCount(), 20u);
    EXPECT_FALSE(sim.Recording());
    EXPECT_EQ(sim.Status().StoredCount(), 20);
    EXPECT_EQ(sim.Status().U8(live::kRecording), 0);
    EXPECT_EQ(sim.SetParams().StoredCount(), 20);
}

TEST(InstrumentSimulator, SettingsAreWrittenShortlyBeforeTheRecordingTheyStart) {
    InstrumentSimulator sim(1, [] { return kTestNow; });
    for (uint32_t samples : {10u, 2880u}) {
        sim.StartRecording({samples, 5, 1, 0, false});
        const int64_t first = sim.TrueSamples().front().time;
        const int64_t set = sim.SetParams().SetTime();
        EXPECT_LT(set, first) << samples;
        EXPECT_GT(set, first - 2 * 3600) << samples;
        EXPECT_EQ(sim.RecordedParams().SetTime(), set) << samples;
    }
}

TEST(InstrumentSimulator, CyclicMemoryOfModelTwo) {
    int64_t now = kTestNow;
    InstrumentSimulator sim(2, [&] { return now; });
    // Wrap count 1, stored count 100: 21352 samples, the first 126 intervals after the start.
    sim.StartRecording({21378 + 100, 1, 1, 0xFFFF, false});
    const ParamBlock& r = sim.RecordedParams();
    EXPECT_EQ(r.WrapCount(), 1);
    EXPECT_EQ(r.StoredCount(), 100);
    EXPECT_EQ(sim.DownloadableCount(), 21352u);
    const TrueSample first = sim.DownloadSample(0);
    EXPECT_EQ(first.time, int64_t{r.StartTime()} + 126 * 60 + r.TimeZoneBias() * 60);
    EXPECT_EQ(sim.Status().S16(live::kFlowOrWrap), 1);

    sim.StartRecording({2 * 21378 + 42, 1, 1, 0xFFFF, false});
    EXPECT_EQ(sim.RecordedParams().WrapCount(), 2);
    EXPECT_EQ(sim.RecordedParams().StoredCount(), 42);
    EXPECT_EQ(sim.DownloadableCount(), 21378u);

    // Exactly full: not wrapped yet.
    sim.StartRecording({21378, 1, 1, 0xFFFF, false});
    EXPECT_EQ(sim.RecordedParams().WrapCount(), 0);
    EXPECT_EQ(sim.DownloadableCount(), 21378u);

    // Without the cyclic setting model 2 stops at its count.
    sim.StartRecording({30000, 1, 1, 2000, false});
    EXPECT_EQ(sim.DownloadableCount(), 2000u);
    EXPECT_EQ(sim.RecordedParams().WrapCount(), 0);
}

TEST(InstrumentSimulator, WrittenSettingsStartARecordingOrWaitForTheButton) {
    int64_t now = kTestNow;
    InstrumentSimulator sim(4, [&] { return now; });
    ParamBlock b = sim.SetParams();
    b.SetU8(param::kStartMode, 0);
    b.SetU8(param::kIntervalValue, 10);
    b.SetU8(param::kIntervalUnit, 0);
    b.SetU16(param::kStoredCount, 9999);  // the host cannot change the bookkeeping
    ParamBlock wire = b;
    // Model 4 converts these on writing.
    for (size_t off : {51, 57, 59, 61, 63})
        std::swap(wire.bytes[off], wire.bytes[off + 1]);
    std::reverse(wire.bytes.begin() + 66, wire.bytes.begin() + 70);
    std::vector<uint8_t> page0(64, 0), page1(64, 0);
    page0[0] = page1[0] = 2;
    page1[1] = 1;
    std::copy(wire.bytes.begin(), wire.bytes.begin() + 59, page0.begin() + 2);
    std::copy(wire.bytes.begin() + 59, wire.bytes.end(), page1.begin() + 2);
    ASSERT_TRUE(sim.WriteReport(page0));
    ASSERT_TRUE(sim.WriteReport(page1));
    EXPECT_FALSE(sim.Recording());
    EXPECT_EQ(sim.SetParams().StoredCount(), 864);
    EXPECT_EQ(sim.SetParams().U8(param::kIntervalValue), 10);
    EXPECT_EQ(sim.SetParams().U16(param::kLowLimit), b.U16(param::kLowLimit));
    EXPECT_EQ(sim.DownloadableCount(), 864u);  // the old recording stays until the button

    sim.PressButton();
    EXPECT_TRUE(sim.Recording());
    EXPECT_EQ(sim.DownloadableCount(), 1u);
    now += 25;
    EXPECT_EQ(sim.DownloadableCount(), 3u);
    EXPECT_EQ(sim.RecordedParams().U8(param::kIntervalValue), 10);
}

TEST(InstrumentSimulator, UnknownReportsFailAndFaultsAreCounted) {
    InstrumentSimulator sim(1, [] { return kTestNow; });
    std::vector<uint8_t> r(64, 0);
    r[0] = 9;
    EXPECT_FALSE(sim.ReadReport(r));
    EXPECT_FALSE(sim.WriteReport(r));
    r[0] = 5;
    sim.FailTransfer(2);
    EXPECT_TRUE(sim.ReadReport(r));
    EXPECT_FALSE(sim.ReadReport(r));
    EXPECT_TRUE(sim.ReadReport(r));
    sim.UnplugAtTransfer(1);
    EXPECT_FALSE(sim.ReadReport(r));
    EXPECT_FALSE(sim.Plugged());
    EXPECT_FALSE(sim.ReadReport(r));
    sim.Replug();
    EXPECT_TRUE(sim.ReadReport(r));
    EXPECT_EQ(sim.PlugGeneration(), 1u);
    // A short buffer gets the first bytes of the reply only.
    std::vector<uint8_t> shortBuffer(3, 0);
    shortBuffer[0] = 5;
    EXPECT_TRUE(sim.ReadReport(shortBuffer));
}

}  // namespace
}  // namespace qx
