// Scenario files: the timeline a simulated instrument follows, and its refusals.
#include <gtest/gtest.h>

#include "core/link/instrument_simulator.h"
#include "core/link/simulation_scenario.h"

namespace qx {
namespace {

std::string Refusal(const char* text) {
    SimulationScenario s;
    std::string problem;
    EXPECT_FALSE(ParseScenario(text, s, problem)) << text;
    return problem;
}

TEST(SimulationScenario, TheSimulatorFollowsValuesAndPlugging) {
    auto scenario = std::make_shared<SimulationScenario>();
    std::string problem;
    ASSERT_TRUE(
        ParseScenario("0s  temp=5 hum=50\n20s temp=9.5\n# note\n40s temp=5\n"
                      "1m unplug\n1m20s plug\n",
                      *scenario, problem))
        << problem;
    int64_t now = 1'700'000'000;
    const int64_t start = now;
    InstrumentSimulator sim(kQX450, [&] { return now; });
    sim.FollowScenario(scenario, start);
    // The live temperature is (value + 40) in tenths.
    EXPECT_EQ(sim.Status().U16(live::kValue), 450);
    EXPECT_EQ(sim.Status().U16(live::kHumidity), 500);
    now = start + 19;
    EXPECT_EQ(sim.Status().U16(live::kValue), 450);
    now = start + 20;  // a step holds from its time on
    EXPECT_EQ(sim.Status().U16(live::kValue), 495);
    EXPECT_EQ(sim.Status().U16(live::kHumidity), 500);
    now = start + 59;
    EXPECT_TRUE(sim.Plugged());
    now = start + 60;
    EXPECT_FALSE(sim.Plugged());
    now = start + 80;
    EXPECT_TRUE(sim.Plugged());
}

TEST(SimulationScenario, RefusedWithTheLineAndWhy) {
    EXPECT_EQ(Refusal("0s temp=5\n20x temp=6\n").rfind("第2行: '20x' 不是时间", 0), 0u);
    EXPECT_EQ(Refusal("20s temp=5\n10s temp=6\n"), "第2行: 时间 10s 早于上一行");
    EXPECT_EQ(Refusal("0s tmep=5\n").rfind("第1行: 'tmep=5' 应为 unplug", 0), 0u);
    EXPECT_EQ(Refusal("0s hum=100.1\n"), "第1行: hum=100.1: 应为 0 到 100 之间的数值");
    EXPECT_EQ(Refusal("0s\n"), "第1行: 时间后缺少 unplug、plug 或 CHANNEL=VALUE");
    EXPECT_EQ(Refusal("1m30 plug\n").rfind("第1行: '1m30' 不是时间", 0), 0u);
    SimulationScenario s;
    std::string problem;
    EXPECT_TRUE(ParseScenario("0s hum=100\n", s, problem)) << problem;
}

}  // namespace
}  // namespace qx
