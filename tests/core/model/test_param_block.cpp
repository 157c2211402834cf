#include "core/model/param_block.h"

#include <gtest/gtest.h>

#include "core/model/local_time.h"
#include "core/model/param_list_rows.h"

namespace qx {
namespace {

using T = ParamText;

ParamBlock Block() {
    ParamBlock b;
    b.SetU8(param::kAddress, 1);
    return b;
}

TEST(ParamTexts, IdentityTexts) {
    ParamBlock b = Block();
    b.SetU8(param::kAddress, 255);
    EXPECT_EQ(MakeParamTexts(b, 1)[T::Address], "");
    b.SetU8(param::kAddress, 0);
    EXPECT_EQ(MakeParamTexts(b, 1)[T::Address], "0");

    b.SetName(u"温湿度记录仪第一号测量点房间ABCDE");  // 18 units exactly
    EXPECT_EQ(MakeParamTexts(b, 1)[T::Name], "温湿度记录仪第一号测量点房间ABCD");
    b.SetName(u"Room1");
    EXPECT_EQ(b.Name(), u"Room1");
    EXPECT_EQ(MakeParamTexts(b, 1)[T::Name], "Room1");

    // A ten-character number fills the field without a terminator.
    b.SetNumber(u"ABCDEFGHIJ");
    EXPECT_EQ(MakeParamTexts(b, 1)[T::Number], "ABCDEFGHIJ");
    b.SetNumber(u"A1");
    EXPECT_EQ(MakeParamTexts(b, 1)[T::Number], "A1");
}

TEST(ParamTexts, NameOfExactlyEighteenUnitsIsTerminated) {
    ParamBlock b = Block();
    const std::u16string name = u"一二三四五六七八九十一二三四五六七八";
    ASSERT_EQ(name.size(), 18u);
    b.SetName(name);
    b.SetU16(param::kName + 36, 0x4E00);  // reserved bytes after the name are not read
    EXPECT_EQ(b.Name(), name);
    EXPECT_EQ(MakeParamTexts(b, 1)[T::Name], "一二三四五六七八九十一二三四五六七八");
}

TEST(ParamTexts, CyclicRecordingOfModel2) {
    ParamBlock b = Block();
    b.SetU16(param::kRecordCountSetting, 0xFFFF);
    b.SetU16(param::kWrapCount, 3);
    b.SetU16(param::kStoredCount, 100);
    ParamTexts t = MakeParamTexts(b, 2);
    EXPECT_EQ(t[T::RecordCountSetting], "循环记录");
    EXPECT_EQ(t[T::StoredCount], "21352(3:100)");
    EXPECT_EQ(EffectiveRecordCount(b, 2), 21352u);

    b.SetU16(param::kWrapCount, 1);
    b.SetU16(param::kStoredCount, 0);
    EXPECT_EQ(MakeParamTexts(b, 2)[T::StoredCount], "21336(1:0)");
    b.SetU16(param::kStoredCount, 42);
    EXPECT_EQ(EffectiveRecordCount(b, 2), 21378u);
    b.SetU16(param::kStoredCount, 43);
    EXPECT_EQ(EffectiveRecordCount(b, 2), 21337u);

    // Wrap count 0: cyclic setting but plain count.
    b.SetU16(param::kWrapCount, 0);
    b.SetU16(param::kStoredCount, 500);
    t = MakeParamTexts(b, 2);
    EXPECT_EQ(t[T::RecordCountSetting], "循环记录");
    EXPECT_EQ(t[T::StoredCount], "500");
    EXPECT_EQ(EffectiveRecordCount(b, 2), 500u);

    // Only model 2 knows cyclic recording.
    b.SetU16(param::kWrapCount, 3);
    t = MakeParamTexts(b, 1);
    EXPECT_EQ(t[T::RecordCountSetting], "65535");
    EXPECT_EQ(t[T::StoredCount], "500");
    EXPECT_EQ(EffectiveRecordCount(b, 1), 500u);

    // The longest stored-count text.
    b.SetU16(param::kWrapCount, 0xFFFF);
    b.SetU16(param::kStoredCount, 0xFFFF);
    EXPECT_EQ(MakeParamTexts(b, 2)[T::StoredCount], "21351(65535:65535)");
}

TEST(ParamTexts, IntervalAndLed) {
    ParamBlock b = Block();
    b.SetU8(param::kIntervalValue, 5);
    b.SetU8(param::kIntervalUnit, 1);
    EXPECT_EQ(MakeParamTexts(b, 1)[T::Interval], "5 min");
    b.SetU8(param::kIntervalUnit, 5);
    EXPECT_EQ(MakeParamTexts(b, 1)[T::Interval], "5 hour");
    b.SetU8(param::kLedCode, 10);
    EXPECT_EQ(MakeParamTexts(b, 1)[T::Led], "每隔10s");
    b.SetU8(param::kLedCode, 7);
    EXPECT_EQ(MakeParamTexts(b, 1)[T::Led], "");
}

TEST(ParamTexts, Limits) {
    ParamBlock b = Block();
    b.SetU16(param::kLowLimit, 400);
    b.SetU16(param::kHighLimit, 1100);
    EXPECT_EQ(MakeParamTexts(b, 1)[T::TemperatureLimits], "L:0 H:70 ℃");
    b.SetU8(param::kUnitByte, 0x01);
    EXPECT_EQ(MakeParamTexts(b, 1)[T::TemperatureLimits], "L:32 H:158 ℉");
    b.SetU8(param::kUnitByte, 0x00);
    b.SetU16(param::kLowLimit, 0);
    EXPECT_EQ(MakeParamTexts(b, 1)[T::TemperatureLimits], "L:-39 H:70 ℃");

    b.SetU16(param::kLowHumidityLimit, 100);
    b.SetU16(param::kHighHumidityLimit, 950);
    EXPECT_EQ(MakeParamTexts(b, 1)[T::HumidityLimits], "L:10 H:95 %RH");

    b.SetU16(param::kLowLimit, 300);
    b.SetU16(param::kHighLimit, 1300);
    EXPECT_EQ(MakeParamTexts(b, 7)[T::SoundLimits], "L:30 H:130 dB");

    b.SetU16(param::kGasLimit, 1000);
    ParamTexts t = MakeParamTexts(b, 8);
    EXPECT_EQ(t[T::Co2Limit], "1000 ppm");
    EXPECT_EQ(t[T::FormaldehydeLimit], "");
    b.SetU16(param::kGasLimit, 10);
    t = MakeParamTexts(b, 11);
    EXPECT_EQ(t[T::FormaldehydeLimit], "0.10 mg/m3");
    EXPECT_EQ(t[T::Co2Limit], "");
    EXPECT_EQ(MakeParamTexts(b, 1)[T::Co2Limit], "");
}

TEST(ParamTexts, ModeTexts) {
    ParamBlock b = Block();
    ParamTexts t = MakeParamTexts(b, 7);
    EXPECT_EQ(t[T::SamplingSpeed], "快速");
    EXPECT_EQ(t[T::Weighting], "A级");
    b.SetU8(param::kUnitByte, 3);
    b.SetU8(param::kLowHumidityLimit, 1);
    t = MakeParamTexts(b, 7);
    EXPECT_EQ(t[T::SamplingSpeed], "慢速");
    EXPECT_EQ(t[T::Weighting], "C级");

    b.SetU8(param::kAlarmMode, 2);
    EXPECT_EQ(MakeParamTexts(b, 1)[T::AlarmMode], "快闪");
    b.SetU8(param::kAlarmMode, 3);
    EXPECT_EQ(MakeParamTexts(b, 1)[T::AlarmMode], "");
}

TEST(ParamTexts, StartModeDelayAndFirmwareOfModel10) {
    ParamBlock b = Block();
    b.SetU8(param::kStartMode, 1);
    b.SetU16(param::kStartDelay, 300);
    b.SetU16(param::kFirmware, 0x0102);
    ParamTexts t = MakeParamTexts(b, 10);
    EXPECT_EQ(t[T::StartDelay], "5 Min.");
    EXPECT_EQ(t[T::StartMode], "立即测量 5 Min.");
    EXPECT_EQ(t[T::Firmware], "V1.2");
    b.SetU8(param::kStartMode, 2);
    EXPECT_EQ(MakeParamTexts(b, 10)[T::StartMode], "手动测量 5 Min.");
    t = MakeParamTexts(b, 4);
    EXPECT_EQ(t[T::StartMode], "立即测量");
    EXPECT_EQ(t[T::StartDelay], "");
    EXPECT_EQ(t[T::Firmware], "");
    b.SetU8(param::kStartMode, 0);
    EXPECT_EQ(MakeParamTexts(b, 4)[T::StartMode], "手动测量");
}

TEST(ParamTexts, AlarmFlags) {
    ParamBlock b = Block();
    b.SetU8(param::kLowAlarm, 1);
    b.SetU8(param::kHighAlarm, 1);
    b.SetU8(param::kHighHumidityAlarm, 9);
    ParamTexts t = MakeParamTexts(b, 1);
    EXPECT_EQ(t[T::TemperatureAlarms], "低温 高温 ");
    EXPECT_EQ(t[T::HumidityAlarms], "高湿 ");
    EXPECT_EQ(t[T::SoundAlarms], "低噪 高噪 ");
    EXPECT_EQ(t[T::Co2Alarms], "");
    EXPECT_EQ(t[T::FormaldehydeAlarms], "");
}

TEST(ParamTexts, TimesInLocalTimeAndModel2Bias) {
    // TZ is pinned eight hours east of UTC.
    ParamBlock b = Block();
    b.SetU32(param::kSetTime, 0x58C2A500);  // 2017-03-10 13:07:12 UTC
    ParamTexts t = MakeParamTexts(b, 1);
    EXPECT_EQ(t[T::SetTime], "2017-03-10 21:07:12");
    EXPECT_EQ(t[T::StartTime], "");
    b.SetU32(param::kStartTime, 0x58C2A500);
    EXPECT_EQ(MakeParamTexts(b, 1)[T::StartTime], "2017-03-10 21:07:12");

    // Model 2 stores instrument-local time: bias -480 shows the local rendering of t - 28800.
    b.SetU16(param::kTimeZoneBias, static_cast<uint16_t>(-480));
    t = MakeParamTexts(b, 2);
    EXPECT_EQ(t[T::SetTime], FormatLocalTime(0x58C2A500 - 28800, "%Y-%m-%d %H:%M:%S"));
    EXPECT_EQ(t[T::SetTime], "2017-03-10 13:07:12");
    EXPECT_EQ(MakeParamTexts(b, 1)[T::SetTime], "2017-03-10 21:07:12");
}

TEST(ParamTexts, MissingBlockGivesEmptyTexts) {
    ParamTexts t;
    t[T::Name] = "old";
    MakeParamTexts(t, nullptr, 1);
    for (const auto& s : t.texts)
        EXPECT_TRUE(s.empty());
}

TEST(FlowCoefficients, DecodeAndEncode) {
    ParamBlock b = Block();
    b.SetU16(param::kFlow2, 0xFFFF);
    b.SetU8(param::kFlowHigh, 0x0F);
    FlowCoefficients c = DecodeFlowCoefficients(b);
    EXPECT_FLOAT_EQ(c.c2, -0.0001f);
    EXPECT_EQ(MakeParamTexts(b, 6)[T::Flow2], "-0.0001");

    b = Block();
    b.SetU8(param::kFlowHigh, 0x0F);
    EXPECT_FLOAT_EQ(DecodeFlowCoefficients(b).c2, -6.5536f);

    EncodeFlowCoefficients(b, {1.5f, -0.25f, 99.999f});
    c = DecodeFlowCoefficients(b);
    EXPECT_FLOAT_EQ(c.c1, 1.5f);
    EXPECT_FLOAT_EQ(c.c2, -0.25f);
    EXPECT_NEAR(c.c3, 99.998f, 0.0011f);
    ParamTexts t = MakeParamTexts(b, 6);
    EXPECT_EQ(t[T::Flow1], "1.5");
    EXPECT_EQ(t[T::Flow2], "-0.25");
    EXPECT_EQ(b.S16(param::kFlow1), 1500);

    EncodeFlowCoefficients(b, {-9.999f, 9.9999f, -99.999f});
    c = DecodeFlowCoefficients(b);
    EXPECT_NEAR(c.c1, -9.999f, 0.0011f);
    EXPECT_NEAR(c.c2, 9.9999f, 0.00011f);
    EXPECT_NEAR(c.c3, -99.999f, 0.0011f);
}

TEST(TemperatureLimits, DisplayUnits) {
    ParamBlock b = Block();
    b.SetU16(param::kLowLimit, 0);
    b.SetU16(param::kHighLimit, 1000);
    TemperatureLimits l = TemperatureLimitsOf(b);
    EXPECT_DOUBLE_EQ(l.low, -40);
    EXPECT_DOUBLE_EQ(l.high, 60);
    b.SetU8(param::kUnitByte, 0x31);
    l = TemperatureLimitsOf(b);
    EXPECT_TRUE(l.fahrenheit);
    EXPECT_NEAR(l.low, -40, 1e-4);
    EXPECT_NEAR(l.high, 140, 1e-4);
}

TEST(ParamListRows, RowsPerModel) {
    EXPECT_TRUE(ParamListItems(0).empty());
    EXPECT_EQ(ParamListItems(1).size(), 15u);
    EXPECT_EQ(ParamListItems(12).size(), 15u);
    EXPECT_EQ(ParamListItems(6).size(), 16u);

    auto labels = [](InstrumentTypeId t) {
        std::vector<std::string> out;
        for (const auto& r : ParamListRows(t, nullptr))
            out.push_back(r.label);
        return out;
    };
    EXPECT_EQ(labels(10)[3], "固件版本");
    const auto l7 = labels(7);
    EXPECT_NE(std::find(l7.begin(), l7.end(), "采样速度"), l7.end());
    EXPECT_NE(std::find(l7.begin(), l7.end(), "声级"), l7.end());
    EXPECT_EQ(std::find(l7.begin(), l7.end(), "温度报警值"), l7.end());
    EXPECT_EQ(labels(8).back(), "有无CO2报警");
    EXPECT_EQ(labels(11).back(), "有无甲醛报警");
    EXPECT_EQ(labels(6).back(), "流量计算参数3");

    ParamBlock b = Block();
    b.SetU16(param::kGasLimit, 1000);
    const ParamTexts texts = MakeParamTexts(b, 8);
    const auto rows = ParamListRows(8, &texts);
    EXPECT_EQ(rows[9].label, "CO2报警值");
    EXPECT_EQ(rows[9].text, "1000 ppm");
    for (const auto& r : ParamListRows(8, nullptr))
        EXPECT_TRUE(r.text.empty());
}

}  // namespace
}  // namespace qx
