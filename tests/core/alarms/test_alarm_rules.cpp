// Alarm rules files: the documented example, refusals with their line, and what the rules
// mean for one instrument (precedence, the instrument's own limits, --limit).
#include <gtest/gtest.h>

#include "core/alarms/alarm_rules.h"
#include "core/link/instrument_simulator.h"

namespace qx {
namespace {

constexpr const char* kExample = R"([mail]
server = smtp://127.0.0.1:2525
from = qxlog@example.org
to = a@example.org, b@example.org, c@example.org
repeat = 15m
escalate-after = 30m
escalate-to = head@example.org

[QX450:A0200001 temp]
high = 8
low = 2
warn-high = 7.5
warn-low = 2.5
delay = 5m
deadband = 0.2
excursion-every = 1m

[* lost]
delay = 3m

[* silent]
delay = 10m
)";

// A simulated QX450 (temperature limits 5 and 26 °C).
ParamBlock Block() {
    return InstrumentSimulator(kQX450, [] { return int64_t{0x58C2A500}; }).SetParams();
}

std::string Refusal(const std::string& text) {
    AlarmRules rules;
    std::string problem;
    EXPECT_FALSE(ParseAlarmRules(text, rules, problem)) << text;
    return problem;
}

const ChannelAlarmRule* Channel(const InstrumentAlarmRules& r, const std::string& id) {
    for (const ChannelAlarmRule& c : r.channels)
        if (c.channel == id) return &c;
    return nullptr;
}

TEST(AlarmRulesFile, TheExampleAsItStands) {
    AlarmRules rules;
    std::string problem;
    ASSERT_TRUE(ParseAlarmRules(kExample, rules, problem)) << problem;
    EXPECT_EQ(rules.mail.to.size(), 3u);
    EXPECT_EQ(rules.mail.repeat, 900);
    EXPECT_EQ(rules.mail.escalate_after, 1800);
    EXPECT_EQ(rules.mail.escalate_to, std::vector<std::string>{"head@example.org"});
    ASSERT_EQ(rules.sections.size(), 3u);
    const AlarmRuleValues& v = rules.sections[0].values;
    EXPECT_EQ(rules.sections[0].model, kQX450);
    EXPECT_EQ(rules.sections[0].number, "A0200001");
    EXPECT_EQ(*v.warnHigh, 7.5);
    EXPECT_EQ(*v.delay, 300);
    EXPECT_EQ(*v.excursionEvery, 60);
    EXPECT_EQ(rules.sections[2].kind, AlarmRuleKind::kSilent);
    EXPECT_EQ(*rules.sections[2].values.delay, 600);
}

TEST(AlarmRulesFile, RefusedWithTheLineAndWhy) {
    EXPECT_EQ(Refusal("[* temp]\nhigh = 8\nhihg = 9\n"),
              "第3行: hihg: 通道段没有这个参数 (high, low, warn-high, warn-low, delay, deadband, "
              "excursion-every)");
    EXPECT_EQ(Refusal("[* temp]\nhigh = eight\n"), "第2行: high: 'eight' 不对, 应为一个数值");
    EXPECT_EQ(Refusal("[* temp]\nhigh = 8\nwarn-high = 8.5\n"),
              "第3行: warn-high 在报警限值外: 大于 high");
    EXPECT_EQ(Refusal("[* temp]\nlow = 2\nwarn-low = 1.9\n"),
              "第3行: warn-low 在报警限值外: 小于 low");
    EXPECT_EQ(Refusal("\n[* tmep]\n").rfind("第2行: 没有通道 'tmep'", 0), 0u);
    EXPECT_EQ(Refusal("[QX420B:7 hum]\n"), "第1行: QX420B 没有通道 hum");
    EXPECT_NE(
        Refusal("[mail]\nserver = smtp://x\npassword = s3cret\n").find("第3行: password: 密码"),
        std::string::npos);
    EXPECT_NE(Refusal("[mail]\nserver = smtp://me:s3cret@x\n").find("第2行: server: 密码"),
              std::string::npos);
    EXPECT_EQ(Refusal("[mail]\nserver = smtp://x\nto = a@x\n"), "第1行: [mail] 段缺少 from");
    EXPECT_EQ(Refusal("[* lost]\nhigh = 3\n"), "第2行: high: [* lost] 段只有参数 delay");
    EXPECT_EQ(Refusal("high = 3\n"), "第1行: 设置应在段内 (如 [* temp])");
    EXPECT_EQ(Refusal("[* temp]\n[*   temp]\n"), "第2行: 段 [*   temp] 重复 (第1行)");
    // Durations as --every takes them: down to 1 s, not 0 and not past 24 h.
    EXPECT_EQ(Refusal("[* temp]\ndelay = 0\n"),
              "第2行: delay: '0' 不对, 应为1s 到 24h 的时长 (如 90s, 5m, 1h)");
    EXPECT_FALSE(Refusal("[* temp]\ndelay = 25h\n").empty());
    AlarmRules rules;
    std::string problem;
    EXPECT_TRUE(ParseAlarmRules("[* temp]\ndelay = 1s\n[* hum]\ndelay=24h\n", rules, problem))
        << problem;
}

TEST(AlarmRulesForInstrument, MostParticularSectionWinsKeyByKey) {
    AlarmRules rules;
    std::string problem;
    ASSERT_TRUE(
        ParseAlarmRules("[* temp]\nhigh = 20\ndelay = 1m\n"
                        "[A1 temp]\nwarn-high = 18\n"
                        "[QX450:A1 temp]\nhigh = 19\n[* lost]\n",
                        rules, problem))
        << problem;
    InstrumentAlarmRules out;
    ASSERT_TRUE(AlarmRulesFor(rules, {kQX450, "A1"}, Block(), {}, out, problem)) << problem;
    const ChannelAlarmRule* t = Channel(out, "temp");
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(*t->limits.high, 19);
    EXPECT_EQ(*t->limits.low, 5);  // the instrument's own
    EXPECT_EQ(*t->warnHigh, 18);
    EXPECT_EQ(t->delay, 60);
    EXPECT_EQ(out.lostDelay, 0);
    EXPECT_FALSE(out.silentDelay);

    // Another instrument: only the * section; --limit replaces both limits.
    const ChannelLimitOverride given[] = {{"TEMP", {std::nullopt, 30.0}}};
    ASSERT_TRUE(AlarmRulesFor(rules, {kQX450, "B2"}, Block(), given, out, problem)) << problem;
    EXPECT_FALSE(Channel(out, "temp")->limits.low);
    EXPECT_EQ(*Channel(out, "temp")->limits.high, 30);
    EXPECT_FALSE(Channel(out, "temp")->warnHigh);

    // A warning beyond the instrument's own limit (26 °C) is refused for that instrument.
    ASSERT_TRUE(ParseAlarmRules("[* temp]\nwarn-high = 26\n[QX450:C3 temp]\nwarn-high = 26.1\n",
                                rules, problem));
    EXPECT_TRUE(AlarmRulesFor(rules, {kQX450, "B2"}, Block(), {}, out, problem)) << problem;
    EXPECT_FALSE(AlarmRulesFor(rules, {kQX450, "C3"}, Block(), {}, out, problem));
    EXPECT_EQ(problem.rfind("第3行: [QX450:C3 temp] QX450:C3 temp: warn-high", 0), 0u) << problem;
}

}  // namespace
}  // namespace qx
