// Settings by name: groups of settings and their temperature unit, gas limits between models,
// identity lines and control characters in profiles, and the read-back comparison.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "core/link/instrument_simulator.h"
#include "core/model/param_profile.h"

namespace qx {
namespace {

using Group = std::vector<ParamSetting>;

// 2017-03-10 13:07:12 UTC, as the link tests.
ParamBlock SimulatedBlock(InstrumentTypeId type) {
    return InstrumentSimulator(type, [] { return int64_t{0x58C2A500}; }).SetParams();
}

// The block the groups make of a simulated QX450's settings (5 and 26 °C), one group after the
// other; the test fails on any refusal.
ParamBlock Configured(const std::vector<Group>& groups, InstrumentTypeId type = kQX450) {
    ParamSettings settings(SimulatedBlock(type), type);
    std::string problem;
    for (const Group& g : groups)
        EXPECT_TRUE(settings.SetGroup(g, problem)) << problem;
    ParamBlock block;
    EXPECT_TRUE(settings.Encode(-480, block, problem)) << problem;
    return block;
}

std::string TemperatureText(const ParamBlock& b) {
    return MakeParamTexts(b, kQX450)[ParamText::TemperatureLimits];
}

TEST(ParamSettingsGroup, LimitsAreInTheGroupsUnitWhateverTheOrder) {
    Group lines = {{"temp-high", "46"}, {"temp-low", "35"}, {"temp-unit", "F"}};
    std::sort(lines.begin(), lines.end());
    do {
        const ParamBlock b = Configured({lines});
        EXPECT_EQ(TemperatureText(b), "L:35 H:46 ℉") << lines[0].first << lines[1].first;
        EXPECT_EQ(b.U16(param::kLowLimit), 417);  // 35 °F = 1.7 °C
    } while (std::next_permutation(lines.begin(), lines.end()));

    // A limit given with the unit in the same group is in that unit, also when it comes first.
    EXPECT_EQ(TemperatureText(Configured({{{"temp-low", "20"}, {"temp-unit", "F"}}})),
              "L:20 H:79 ℉");
    // A group without a unit takes the one in force before it; a later group's unit converts
    // only what that group does not give.
    const Group profile = {{"temp-low", "35"}, {"temp-unit", "F"}};
    EXPECT_EQ(TemperatureText(Configured({profile, {{"temp-high", "50"}}})), "L:35 H:50 ℉");
    const ParamBlock back = Configured({profile, {{"temp-unit", "C"}}});
    EXPECT_EQ(TemperatureText(back), "L:2 H:26 ℃");
    EXPECT_EQ(back.U16(param::kLowLimit), 417);  // 35 °F, not 2 °C: the raw given is kept
    // Limits no group gives keep the instrument's tenths of a degree, whatever the unit.
    EXPECT_EQ(back.U16(param::kHighLimit), 660);
    EXPECT_EQ(Configured({{{"temp-unit", "F"}}}).U16(param::kHighLimit), 660);

    // A refused line leaves the settings as they were.
    ParamSettings s(SimulatedBlock(kQX450), kQX450);
    std::string problem;
    EXPECT_FALSE(s.SetGroup(Group{{"temp-unit", "K"}, {"temp-low", "40"}}, problem));
    EXPECT_EQ(problem, "temp-unit: 不能识别\"K\", 应为 C|F");
    EXPECT_EQ(s.Value("temp-low"), "5");
    EXPECT_TRUE(s.GivenKeys().empty());
}

TEST(ParamSettingsGas, ALimitNeverChangesMeaningBetweenModels) {
    ParamProfile qx610;
    std::string problem;
    ASSERT_TRUE(ParseProfile("[qxlog-profile]\ngas-high=5\nmodel=QX610\n", qx610, problem));
    ASSERT_EQ(qx610.settings, (Group{{"hcho-high", "5"}}));
    Group taken;
    std::vector<std::string> skipped;
    EXPECT_FALSE(ProfileSettingsFor(qx610, kQX7000, taken, skipped, problem));
    EXPECT_EQ(problem, "hcho-high: QX7000测CO2, 不能用甲醛报警值(mg/m3)!");
    ASSERT_TRUE(ProfileSettingsFor(qx610, kQX420, taken, skipped, problem));
    EXPECT_EQ(skipped, std::vector<std::string>{"hcho-high"});

    // gas-high names no gas without a model that measures one.
    const std::string noGas =
        ": gas-high: 配置文件没有写明测CO2或甲醛的型号(model=), 请改用 "
        "co2-high 或 hcho-high";
    const std::pair<const char*, std::string> refused[] = {
        {"[qxlog-profile]\ngas-high=5\n", "第2行" + noGas},
        {"[qxlog-profile]\nmodel=QX420\ngas-high=5\n", "第3行" + noGas},
        {"[qxlog-profile]\nmodel=QX7000\nco2-high=5\ngas-high=6\n", "第4行: co2-high: 参数重复"},
    };
    for (const auto& [text, message] : refused) {
        ParamProfile p;
        EXPECT_FALSE(ParseProfile(text, p, problem)) << text;
        EXPECT_EQ(problem, message);
    }

    ParamSettings s(SimulatedBlock(kQX610), kQX610);
    EXPECT_FALSE(s.Set("co2-high", "1500", problem));
    EXPECT_EQ(problem, "co2-high: QX610测甲醛, 不能用CO2报警值(ppm)!");
    ASSERT_TRUE(s.Set("gas-high", "0.5", problem));  // the instrument's own gas
    EXPECT_EQ(s.GivenKeys(), std::vector<std::string>{"hcho-high"});
}

TEST(ParamProfileText, IdentityOnlyWhenAskedAndNeverAnotherLine) {
    ParamBlock b = SimulatedBlock(kQX450);
    const std::string plain = ProfileText(b, kQX450, false);
    EXPECT_EQ(plain.find("number="), std::string::npos);
    EXPECT_EQ(plain.find("name="), std::string::npos);
    EXPECT_NE(ProfileText(b, kQX450, true).find("\nnumber=A0200001\nname="), std::string::npos);

    // A name written by other software with a line break in it.
    b.SetName(u"a\nnumber=EVIL");
    std::vector<std::string> omitted;
    const std::string text = ProfileText(b, kQX450, true, &omitted);
    EXPECT_EQ(omitted, std::vector<std::string>{"name"});
    ParamProfile p;
    std::string problem;
    ASSERT_TRUE(ParseProfile(text, p, problem)) << problem;
    EXPECT_TRUE(std::none_of(p.settings.begin(), p.settings.end(),
                             [](const ParamSetting& s) { return s.second == "EVIL"; }));
    // DEL is a control character too; '~' just below it is not.
    b.SetName(u"a\u007Fb");
    omitted.clear();
    EXPECT_EQ(ProfileText(b, kQX450, true, &omitted).find("\nname="), std::string::npos);
    EXPECT_EQ(omitted, std::vector<std::string>{"name"});
    b.SetName(u"a~b");
    EXPECT_NE(ProfileText(b, kQX450, true).find("\nname=a~b\n"), std::string::npos);
}

// A number set by name holds letters, digits, - or _ only, as the help says; the characters
// next to each range are refused.
TEST(ParamSettingsNumber, LettersOrDigitsOnly) {
    for (const char* good : {"A0Zz9-_", "\u00C0\u00D6\u00D8\u00F6\u00F8\u00FF", ""}) {
        ParamSettings settings(SimulatedBlock(kQX450), kQX450);
        std::string problem;
        EXPECT_TRUE(settings.Set("number", good, problem)) << good << ": " << problem;
    }
    for (const char* bad : {"A B", "A/", "A:", "A@", "A[", "A`", "A{", "A.1", "A,", "A\u00D7",
                            "A\u00F7", "A\u00BF"}) {
        ParamSettings settings(SimulatedBlock(kQX450), kQX450);
        std::string problem;
        EXPECT_FALSE(settings.Set("number", bad, problem)) << bad;
        EXPECT_TRUE(problem.starts_with("number: 仪器编号只能有字母、数字、- 或 _, 不能有 '"))
            << problem;
    }
}

TEST(ParamReadBack, ComparesWhatWasAskedWithWhatIsHeld) {
    const ParamBlock base = SimulatedBlock(kQX610);
    ParamSettings asked(base, kQX610);
    std::string problem;
    ASSERT_TRUE(asked.SetGroup(Group{{"hcho-high", "0.50"}, {"name", "一号库"}}, problem));
    ParamBlock written;
    ASSERT_TRUE(asked.Encode(-480, written, problem)) << problem;
    EXPECT_FALSE(ReadBackDifference(&asked, written, written, kQX610));  // 0.50 is 0.5

    ParamBlock held = written;
    held.SetU16(param::kGasLimit, 51);
    auto d = ReadBackDifference(&asked, written, held, kQX610);
    ASSERT_TRUE(d);
    EXPECT_EQ(ReadBackMessage(*d),
              "参数写入后读回检查不一致: 甲醛报警值 应为 0.50, 仪器中为 0.51!");
    // A key not asked is compared with what was written, a temperature limit to the tenth.
    held = written;
    held.SetU16(param::kHighLimit, static_cast<uint16_t>(written.U16(param::kHighLimit) + 1));
    d = ReadBackDifference(&asked, written, held, kQX610);
    ASSERT_TRUE(d);
    EXPECT_EQ(d->key, "temp-high");
    EXPECT_EQ(d->held, "26.1℃");
    held = written;
    held.SetU8(param::kAddress, 9);
    d = ReadBackDifference(nullptr, written, held, kQX610);
    ASSERT_TRUE(d);
    EXPECT_EQ(d->key, "address");
}

}  // namespace
}  // namespace qx
