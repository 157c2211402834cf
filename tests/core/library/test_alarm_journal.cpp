#include <gtest/gtest.h>

#include "core/alarms/alarm_journal.h"
#include "library_fixture.h"

namespace qx {
namespace {

AlarmEvent Event(const std::string& id, AlarmChange change, AlarmLevel level, double value,
                 int64_t time, int64_t start = 1000) {
    AlarmEvent e;
    e.id = id;
    e.change = change;
    e.level = level;
    e.side = AlarmSide::kHigh;
    e.instrument = {1, "A0200001"};
    e.name = "冷库1";
    e.channel = "temp";
    e.value = e.extreme = value;
    e.limit = level == AlarmLevel::kAlarm ? 8 : 7.5;
    e.start = start;
    e.time = time;
    return e;
}

class AlarmJournal : public ::testing::TestWithParam<test::LibraryEngine> {
  protected:
    std::unique_ptr<RecordLibrary> Open() {
        auto store = GetParam().open(home.str());
        return store ? std::make_unique<RecordLibrary>(std::move(store)) : nullptr;
    }
    test::TempFolder home;
};

// One alarm through its life, kept on the engine, read back as one state; what a sync sends
// twice is kept once, and a second process acknowledges it.
TEST_P(AlarmJournal, AnAlarmsLifeIsKeptOnceAndAcknowledgedFromAnotherProcess) {
    auto library = Open();
    ASSERT_TRUE(library);
    const std::vector<LibraryAlarmEntry> entries = {
        AlarmEntryOf(Event("t1", AlarmChange::kRaised, AlarmLevel::kWarning, 7.6, 1000), "pc1"),
        AlarmEntryOf(Event("t1", AlarmChange::kLevel, AlarmLevel::kAlarm, 8.4, 1060), "pc1"),
        MessageEntry(Event("t1", AlarmChange::kLevel, AlarmLevel::kAlarm, 8.4, 1060), "pc1", false,
                     "a@example.org", "down", 1061),
        MessageEntry(Event("t1", AlarmChange::kLevel, AlarmLevel::kAlarm, 8.4, 1060), "pc1", true,
                     "a@example.org", "", 1090),
        AlarmEntryOf(Event("t1", AlarmChange::kEnded, AlarmLevel::kAlarm, 7.2, 1200), "pc1"),
        AlarmEntryOf(Event("t2", AlarmChange::kRaised, AlarmLevel::kAlarm, 9, 5000, 5000), "pc1"),
    };
    ASSERT_TRUE(library->AddAlarmEntries(entries));
    ASSERT_TRUE(library->AddAlarmEntries(entries));  // sent again by a sync

    AlarmListQuery all;
    std::vector<AlarmState> states;
    ASSERT_TRUE(ListAlarms(*library, all, states));
    ASSERT_EQ(states.size(), 2u);
    // The active alarm comes first; the ended one keeps what happened.
    EXPECT_EQ(states[0].alarm.id, "t2");
    const AlarmState& t1 = states[1];
    EXPECT_FALSE(t1.active);
    EXPECT_EQ(t1.end, 1200);
    EXPECT_EQ(t1.alarm.level, AlarmLevel::kAlarm);
    EXPECT_DOUBLE_EQ(t1.extreme, 8.4);
    EXPECT_EQ(t1.messagesSent, 1);
    EXPECT_EQ(t1.messagesFailed, 1);
    EXPECT_EQ(t1.entries.size(), 5u);

    // A range that holds only the end of t1 still gives all of t1.
    AlarmListQuery late;
    late.range.from = 1100;
    late.range.to = 1300;
    ASSERT_TRUE(ListAlarms(*library, late, states));
    ASSERT_EQ(states.size(), 1u);
    EXPECT_EQ(states[0].entries.size(), 5u);

    auto other = Open();
    AckResult ack = AcknowledgeAlarms(*other, {"t1", "nope"}, "anna", "door left open", 2000);
    ASSERT_TRUE(ack.ok);
    EXPECT_EQ(ack.acknowledged, std::vector<std::string>{"t1"});
    EXPECT_EQ(ack.unknown, std::vector<std::string>{"nope"});
    EXPECT_EQ(AcknowledgeAlarms(*other, {"t1"}, "anna", "again", 2001).already.size(), 1u);

    AlarmListQuery active;
    active.active = true;
    ASSERT_TRUE(ListAlarms(*library, active, states));
    ASSERT_EQ(states.size(), 1u);  // t1 ended and acknowledged: no longer active
    EXPECT_EQ(states[0].alarm.id, "t2");
    ASSERT_TRUE(ListAlarms(*library, all, states));
    EXPECT_EQ(states.back().ackUser, "anna");
    EXPECT_EQ(states.back().ackComment, "door left open");
}

TEST_P(AlarmJournal, AHeartbeatIsRenewedAndNeverGoesBack) {
    auto library = Open();
    ASSERT_TRUE(library);
    ASSERT_TRUE(library->Beat({"pc1", "monitor-1", 100, 160, "QX450:A0200001"}));
    ASSERT_TRUE(library->Beat({"pc1", "monitor-1", 100, 220, "QX450:A0200001"}));
    ASSERT_TRUE(library->Beat({"pc1", "monitor-1", 100, 200, "QX450:A0200001"}));
    ASSERT_TRUE(library->Beat({"pc2", "monitor-7", 150, 150, ""}));
    std::vector<MonitorHeartbeat> beats;
    ASSERT_TRUE(library->Heartbeats(beats));
    ASSERT_EQ(beats.size(), 2u);
    EXPECT_EQ(beats[0].time, 220);
    EXPECT_EQ(beats[1].host, "pc2");
}

INSTANTIATE_TEST_SUITE_P(Engines, AlarmJournal,
                         ::testing::Values(test::SqliteEngine(), test::PostgresEngine()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(AlarmStates, TheMostUrgentComeFirst) {
    const std::vector<LibraryAlarmEntry> entries = {
        AlarmEntryOf(Event("acked", AlarmChange::kRaised, AlarmLevel::kAlarm, 9, 10, 10), "pc"),
        AlarmEntryOf(Event("acked", AlarmChange::kAcknowledged, AlarmLevel::kAlarm, 9, 11, 10),
                     "pc"),
        AlarmEntryOf(Event("ended", AlarmChange::kRaised, AlarmLevel::kAlarm, 9, 20, 20), "pc"),
        AlarmEntryOf(Event("ended", AlarmChange::kEnded, AlarmLevel::kAlarm, 7, 21, 20), "pc"),
        AlarmEntryOf(Event("warn", AlarmChange::kRaised, AlarmLevel::kWarning, 7.6, 30, 30), "pc"),
        AlarmEntryOf(Event("alarm", AlarmChange::kRaised, AlarmLevel::kAlarm, 9, 5, 5), "pc"),
    };
    std::vector<std::string> order;
    for (const AlarmState& s : AlarmStates(entries))
        order.push_back(s.alarm.id);
    EXPECT_EQ(order, (std::vector<std::string>{"alarm", "warn", "ended", "acked"}));
}

}  // namespace
}  // namespace qx
