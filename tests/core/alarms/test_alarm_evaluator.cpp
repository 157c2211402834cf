// Alarm evaluation at each rule's limit and just past it: delays, dead band edges, level
// changes, lost instruments and the reading interval during an excursion.
#include <gtest/gtest.h>

#include <cmath>

#include "core/alarms/alarm_evaluator.h"

namespace qx {
namespace {

const InstrumentKey kRoom{kQX450, "A0200001"};

// temp: alarm above 8 or below 2, warning above 7.5 or below 2.5.
InstrumentAlarmRules Rules(int64_t delay, double deadband) {
    ChannelAlarmRule t;
    t.series = 0;
    t.channel = "temp";
    t.limits = {2.0, 8.0};
    t.warnHigh = 7.5;
    t.warnLow = 2.5;
    t.delay = delay;
    t.deadband = deadband;
    t.excursionEvery = 60;
    InstrumentAlarmRules r;
    r.channels.push_back(t);
    r.lostDelay = 180;
    return r;
}

std::array<double, kSeriesCount> Temp(double v) {
    std::array<double, kSeriesCount> a;
    a.fill(NAN);
    a[0] = v;
    return a;
}

struct Fed {
    AlarmEvaluator e;
    explicit Fed(int64_t delay = 0, double deadband = 0) {
        e.Watch(kRoom, "cold room", Rules(delay, deadband));
    }
    std::vector<AlarmEvent> At(int64_t t, double v) { return e.Reading(kRoom, t, Temp(v)); }
};

TEST(AlarmEvaluator, ConditionLastingExactlyItsDelayRaisesOneReadingShortDoesNot) {
    Fed f(300);
    for (int64_t t = 0; t < 300; t += 60)
        EXPECT_TRUE(f.At(t, 9).empty()) << t;
    EXPECT_EQ(f.e.IntervalFor(kRoom, 600), 60);  // outside, not yet raised
    const std::vector<AlarmEvent> raised = f.At(300, 9);
    ASSERT_EQ(raised.size(), 1u);
    EXPECT_EQ(raised[0].change, AlarmChange::kRaised);
    EXPECT_EQ(raised[0].level, AlarmLevel::kAlarm);
    EXPECT_EQ(raised[0].side, AlarmSide::kHigh);
    EXPECT_EQ(raised[0].start, 0);
    EXPECT_EQ(raised[0].limit, 8);
    EXPECT_EQ(raised[0].id, "QX450:A0200001/temp/0");

    // Back inside at the last reading before the delay: nothing, and the next condition starts
    // afresh.
    Fed g(300);
    for (int64_t t = 0; t < 300; t += 60)
        g.At(t, 7.6);
    EXPECT_TRUE(g.At(300, 7.5).empty());  // equal to the warning level: inside
    EXPECT_EQ(g.e.IntervalFor(kRoom, 600), 600);
    EXPECT_TRUE(g.At(360, 7.6).empty());
    EXPECT_TRUE(g.At(600, 7.6).empty());
    EXPECT_EQ(g.At(660, 7.6).at(0).start, 360);
}

TEST(AlarmEvaluator, LevelsChangeAtOnceAndEndPastTheDeadBand) {
    Fed f(0, 0.2);
    EXPECT_EQ(f.At(0, 7.5).size(), 0u);
    EXPECT_EQ(f.At(10, 7.6).at(0).level, AlarmLevel::kWarning);
    const std::vector<AlarmEvent> up = f.At(20, 8.1);
    ASSERT_EQ(up.size(), 1u);
    EXPECT_EQ(up[0].change, AlarmChange::kLevel);
    EXPECT_EQ(up[0].level, AlarmLevel::kAlarm);
    // The alarm level holds within the band: 7.81 is beyond 8 - 0.2; 7.8 is at the edge.
    EXPECT_TRUE(f.At(30, 7.81).empty());
    const std::vector<AlarmEvent> down = f.At(40, 7.8);
    ASSERT_EQ(down.size(), 1u);
    EXPECT_EQ(down[0].change, AlarmChange::kLevel);
    EXPECT_EQ(down[0].level, AlarmLevel::kWarning);
    EXPECT_TRUE(f.At(50, 7.31).empty());  // the warning holds within 7.5 - 0.2
    const std::vector<AlarmEvent> end = f.At(60, 7.3);
    ASSERT_EQ(end.size(), 1u);
    EXPECT_EQ(end[0].change, AlarmChange::kEnded);
    EXPECT_EQ(end[0].extreme, 8.1);
    EXPECT_EQ(end[0].start, 10);
    // Raising takes no dead band: 7.5 is inside again, 7.51 warns.
    EXPECT_TRUE(f.At(70, 7.5).empty());
    EXPECT_EQ(f.At(80, 7.51).at(0).change, AlarmChange::kRaised);

    // The low side mirrors it; a reading without a value changes nothing.
    Fed g(0, 0.2);
    EXPECT_EQ(g.At(0, 1.9).at(0).side, AlarmSide::kLow);
    EXPECT_TRUE(g.At(10, NAN).empty());
    EXPECT_EQ(g.At(20, 2.2).at(0).level, AlarmLevel::kWarning);
    EXPECT_EQ(g.At(30, 2.7).at(0).change, AlarmChange::kEnded);
    EXPECT_EQ(g.e.Active().size(), 0u);
}

TEST(AlarmEvaluator, LostAfterItsDelayAndBackOnTheNextReading) {
    Fed f;
    f.At(0, 5);
    EXPECT_TRUE(f.e.NoAnswer(kRoom, 10).empty());
    EXPECT_TRUE(f.e.Tick(189).empty());  // one second short of 3 min
    const std::vector<AlarmEvent> lost = f.e.Tick(190);
    ASSERT_EQ(lost.size(), 1u);
    EXPECT_EQ(lost[0].kind, AlarmKind::kLost);
    EXPECT_EQ(lost[0].id, "QX450:A0200001/lost/10");
    EXPECT_TRUE(f.e.NoAnswer(kRoom, 200).empty());  // raised once
    const std::vector<AlarmEvent> back = f.At(300, 5);
    ASSERT_EQ(back.size(), 1u);
    EXPECT_EQ(back[0].change, AlarmChange::kEnded);
    EXPECT_EQ(back[0].kind, AlarmKind::kLost);

    // A delay pending when the instrument went away starts again after it.
    Fed g(60);
    g.At(0, 9);
    g.e.NoAnswer(kRoom, 30);
    EXPECT_TRUE(g.At(60, 9).empty());
    EXPECT_EQ(g.At(120, 9).at(0).start, 60);
}

}  // namespace
}  // namespace qx
