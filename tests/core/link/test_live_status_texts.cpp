#include "core/link/live_status_texts.h"

#include <gtest/gtest.h>

namespace qx {
namespace {

LiveStatus TemperatureStatus(uint16_t value, uint16_t low, uint16_t high, uint8_t unitByte) {
    LiveStatus s;
    s.SetU16(live::kValue, value);
    s.SetU16(live::kLowLimit, low);
    s.SetU16(live::kHighLimit, high);
    s.SetU8(live::kUnitByte, unitByte);
    return s;
}

TEST(LiveStatusTexts, TemperatureAndLimits) {
    LiveStatusTexts t = MakeLiveStatusTexts(TemperatureStatus(650, 400, 650, 0), 1);
    EXPECT_EQ(t.temperature, "25.0");
    EXPECT_EQ(t.temperatureLow, "0");
    EXPECT_EQ(t.temperatureHigh, "25");
    EXPECT_TRUE(t.temperatureHighAlarm);  // 25 <= 25.0
    EXPECT_FALSE(t.temperatureLowAlarm);

    t = MakeLiveStatusTexts(TemperatureStatus(650, 400, 650, 0x01), 1);
    EXPECT_EQ(t.temperature, "77.0");
    EXPECT_EQ(t.temperatureLow, "32");
    EXPECT_EQ(t.temperatureHigh, "77");
    EXPECT_TRUE(t.temperatureHighAlarm);
    EXPECT_EQ(t.unitByte, 0x01);

    // -10.3 °C rounds toward zero after adding 0.5.
    t = MakeLiveStatusTexts(TemperatureStatus(650, 297, 650, 0), 1);
    EXPECT_EQ(t.temperatureLow, "-9");
    // Only the low four bits decide Fahrenheit.
    t = MakeLiveStatusTexts(TemperatureStatus(650, 400, 650, 0x11), 5);
    EXPECT_EQ(t.temperature, "77.0");
    t = MakeLiveStatusTexts(TemperatureStatus(650, 400, 650, 0x03), 5);
    EXPECT_EQ(t.temperature, "25.0");
}

TEST(LiveStatusTexts, HumidityOnlyForHumidityModels) {
    LiveStatus s = TemperatureStatus(650, 400, 900, 0);
    s.SetU16(live::kHumidity, 555);
    s.SetU16(live::kLowHumidityLimit, 555);
    s.SetU16(live::kHighHumidityLimit, 800);
    LiveStatusTexts t = MakeLiveStatusTexts(s, 2);
    EXPECT_EQ(t.humidity, "55.5");
    EXPECT_EQ(t.humidityLow, "56");  // 55.5 + 0.5
    EXPECT_TRUE(t.humidityLowAlarm);
    EXPECT_FALSE(t.humidityHighAlarm);
    t = MakeLiveStatusTexts(s, 4);
    EXPECT_EQ(t.humidity, "");
    EXPECT_EQ(t.humidityLow, "");
    EXPECT_FALSE(t.humidityLowAlarm);
}

TEST(LiveStatusTexts, CarbonDioxideAndFormaldehyde) {
    LiveStatus s;
    s.SetU16(live::kGas, 1200);
    s.SetU16(live::kSoundOrGasLimit, 1000);
    LiveStatusTexts t = MakeLiveStatusTexts(s, 8);
    EXPECT_EQ(t.co2, "1200");
    EXPECT_EQ(t.co2Limit, "1000");
    EXPECT_TRUE(t.co2Alarm);
    s.SetU16(live::kSoundOrGasLimit, 1200);
    EXPECT_FALSE(MakeLiveStatusTexts(s, 8).co2Alarm);

    s.SetU16(live::kGas, 12);
    s.SetU16(live::kSoundOrGasLimit, 10);
    t = MakeLiveStatusTexts(s, 11);
    EXPECT_EQ(t.formaldehyde, "0.12");
    EXPECT_EQ(t.formaldehydeLimit, "0.10");
    EXPECT_TRUE(t.formaldehydeAlarm);
    EXPECT_EQ(t.co2, "");
    EXPECT_EQ(t.pressure, "");
}

TEST(LiveStatusTexts, FlowMeter) {
    LiveStatus s;
    s.SetU16(live::kFlowOrWrap, 1234);
    s.SetU8(live::kUnitByte, 0x40);
    EXPECT_EQ(MakeLiveStatusTexts(s, 6).flow, "1234");
    s.SetU8(live::kUnitByte, 0x00);
    EXPECT_EQ(MakeLiveStatusTexts(s, 6).flow, "1.234");
    s.SetU16(live::kFlowOrWrap, static_cast<uint16_t>(-250));
    EXPECT_EQ(MakeLiveStatusTexts(s, 6).flow, "-0.250");

    s.SetU16(live::kGas, 10133);
    s.SetU8(live::kUnitByte, 0x20);  // index 2: mmHg
    LiveStatusTexts t = MakeLiveStatusTexts(s, 6);
    EXPECT_EQ(t.pressure, "760.04");
    s.SetU8(live::kUnitByte, 0x10);  // psi
    EXPECT_EQ(MakeLiveStatusTexts(s, 6).pressure, "14.696");
    s.SetU8(live::kUnitByte, 0x00);  // kPa
    EXPECT_EQ(MakeLiveStatusTexts(s, 6).pressure, "101.33");
    // The same index means psi for the pressure logger 5 (p mod 3 over mbar, hPa, psi).
    s.SetU8(live::kUnitByte, 0x20);
    EXPECT_EQ(MakeLiveStatusTexts(s, 5).pressure, "14.696");
    s.SetU8(live::kUnitByte, 0x30);  // index 3 shows mbar
    EXPECT_EQ(MakeLiveStatusTexts(s, 5).pressure, "1013.3");

    // Differential pressure: raw / 100 x 10 in the pressure unit; sound level at 27.
    s.SetU8(live::kUnitByte, 0x30);  // hPa
    s.SetU16(live::kDiffPressure, static_cast<uint16_t>(-150));
    s.SetU16(live::kSoundOrGasLimit, 655);
    t = MakeLiveStatusTexts(s, 6);
    EXPECT_EQ(t.diffPressure, "-15.0");
    EXPECT_EQ(t.sound, "65.5");
}

TEST(LiveStatusTexts, SoundMeters) {
    LiveStatus s;
    s.SetU16(live::kValue, 805);
    s.SetU16(live::kLowLimit, 400);
    s.SetU16(live::kHighLimit, 800);
    s.SetU8(14, 3);
    s.SetU8(15, 2);
    LiveStatusTexts t = MakeLiveStatusTexts(s, 7);
    EXPECT_EQ(t.sound, "80.5");
    EXPECT_EQ(t.soundLow, "40");
    EXPECT_EQ(t.soundHigh, "80");
    EXPECT_TRUE(t.soundHighAlarm);
    EXPECT_FALSE(t.soundLowAlarm);
    EXPECT_EQ(t.type7ByteA, 3);
    EXPECT_EQ(t.type7ByteB, 2);
    t = MakeLiveStatusTexts(s, 9);
    EXPECT_EQ(t.sound, "80.5");
    EXPECT_EQ(t.type7ByteA, 0);  // model 9 has no such bytes
    EXPECT_EQ(MakeLiveStatusTexts(s, 1).sound, "");
}

TEST(LiveStatusTexts, ClockAndCount) {
    LiveStatus s;
    s.SetU32(live::kClock, 0x58C2A500);
    // UTC clocks are shown in local time (TZ=CST-8), local clocks as they are.
    EXPECT_EQ(MakeLiveStatusTexts(s, 1).clock, "2017-03-10 21:07:12");
    EXPECT_EQ(MakeLiveStatusTexts(s, 7).clock, "2017-03-10 13:07:12");
    EXPECT_EQ(MakeLiveStatusTexts(s, 2).clock, "2017-03-10 13:07:12");
    EXPECT_EQ(MakeLiveStatusTexts(s, 12).clock, "2017-03-10 21:07:12");

    s.SetU16(live::kCount, 17);
    s.SetU16(live::kFlowOrWrap, 3);
    EXPECT_EQ(MakeLiveStatusTexts(s, 2).count, "3:17");
    EXPECT_EQ(MakeLiveStatusTexts(s, 1).count, "17");
    s.SetU16(live::kFlowOrWrap, 0);
    EXPECT_EQ(MakeLiveStatusTexts(s, 2).count, "17");
    s.SetU16(live::kCount, 65535);
    EXPECT_EQ(MakeLiveStatusTexts(s, 1).count, "65535");
    s.SetU8(live::kExternal, 1);
    EXPECT_EQ(MakeLiveStatusTexts(s, 2).external, 1);
}

}  // namespace
}  // namespace qx
