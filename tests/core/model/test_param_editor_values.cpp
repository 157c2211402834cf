// The parameter editor's rules without its window: filling from a block, defaults, encoding,
// the temperature unit change, the duration text and the field parsing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <vector>

#include "core/model/param_editor_values.h"

namespace qx {
namespace {

// A block as an instrument that was written once holds it.
ParamBlock Written(InstrumentTypeId type) {
    ParamBlock b = DefaultParamBlock(type);
    b.SetU32(param::kSetTime, 1500000000);
    return b;
}

ParamEditorValues Filled(const ParamBlock& b, InstrumentTypeId type) {
    ParamEditorValues v;
    FillEditorValues(v, b, type);
    return v;
}

ParamBlock Encoded(const ParamEditorValues& v, InstrumentTypeId type, ParamBlock b = {},
                   int16_t bias = -480) {
    EncodeEditorValues(v, type, bias, b);
    return b;
}

TEST(ParamEditorFill, AddressAndRecordCountAreClamped) {
    ParamBlock b = Written(1);
    b.SetU8(param::kAddress, 255);
    b.SetU16(param::kRecordCountSetting, 0xFFFF);
    ParamEditorValues v = Filled(b, 1);
    EXPECT_EQ(v.address, 254u);
    EXPECT_EQ(v.recordCountText, "21000");
    // Saved as shown.
    ParamBlock out = Encoded(v, 1, b);
    EXPECT_EQ(out.U8(param::kAddress), 254);
    EXPECT_EQ(out.RecordCountSetting(), 21000);

    b.SetU8(param::kAddress, 0);
    b.SetU16(param::kRecordCountSetting, 0);
    v = Filled(b, 4);
    EXPECT_EQ(v.address, 1u);
    EXPECT_EQ(v.recordCountText, "1");
    b.SetU16(param::kRecordCountSetting, 40000);
    EXPECT_EQ(Filled(b, 4).recordCountText, "32512");
}

TEST(ParamEditorFill, TextsListsAndRadios) {
    ParamBlock b = Written(1);
    b.SetNumber(u"AB123");
    b.SetName(u"冷库一号");
    b.SetU8(param::kLedCode, 7);  // not a choice: index 0
    b.SetU8(param::kIntervalUnit, 3);
    b.SetU8(param::kAlarmMode, 2);
    b.SetU8(param::kStartMode, 2);
    b.SetU8(param::kUnitByte, 0xC0);  // flow index 3: no such entry
    ParamEditorValues v = Filled(b, 1);
    EXPECT_EQ(v.number, u"AB123");
    EXPECT_EQ(v.name, u"冷库一号");
    EXPECT_EQ(v.led, 0);
    EXPECT_EQ(v.intervalUnit, -1);
    EXPECT_EQ(v.alarmMode, 2);
    EXPECT_EQ(v.startMode, 1);
    EXPECT_EQ(v.flowUnit, -1);
    EXPECT_EQ(v.pressureUnit, -1);  // model 1 offers no pressure units

    b.SetU8(param::kLedCode, 30);
    b.SetU8(param::kUnitByte, 0x70);  // model 6: pressure 3 (hPa), flow 1 (l/s)
    v = Filled(b, 6);
    EXPECT_EQ(v.led, 5);
    EXPECT_EQ(v.pressureUnit, 3);
    EXPECT_EQ(v.flowUnit, 1);
    EXPECT_EQ(Filled(b, 5).pressureUnit, -1);  // model 5 has three entries
}

TEST(ParamEditorFill, TemperaturesInTheBlocksUnit) {
    ParamBlock b = Written(1);
    EXPECT_EQ(Filled(b, 1).temperatureLow, 0);
    EXPECT_EQ(Filled(b, 1).temperatureHigh, 70);
    EXPECT_EQ(Filled(b, 1).humidityHigh, 95);
    b.SetU8(param::kUnitByte, 0x01);
    ParamEditorValues v = Filled(b, 1);
    EXPECT_EQ(v.temperatureUnit, 1);
    EXPECT_EQ(v.temperatureLow, 32);
    EXPECT_EQ(v.temperatureHigh, 158);
    // Only a low nibble of 1 means Fahrenheit.
    b.SetU8(param::kUnitByte, 0x02);
    v = Filled(b, 1);
    EXPECT_EQ(v.temperatureUnit, 0);
    EXPECT_EQ(v.temperatureHigh, 70);
}

TEST(ParamEditorFill, ModelSpecificFields) {
    ParamBlock b = Written(10);
    b.SetU16(param::kStartDelay, 301);
    EXPECT_EQ(Filled(b, 10).startDelay, 5);

    b = Written(8);
    b.SetU16(param::kGasLimit, 1500);
    EXPECT_EQ(Filled(b, 8).co2Limit, 1500);
    b = Written(11);
    b.SetU16(param::kGasLimit, 29);
    EXPECT_FLOAT_EQ(Filled(b, 11).formaldehydeLimit, 0.29f);

    b = Written(6);
    EncodeFlowCoefficients(b, {1.5f, -0.25f, 12.5f});
    const ParamEditorValues v6 = Filled(b, 6);
    EXPECT_FLOAT_EQ(v6.flow.c1, 1.5f);
    EXPECT_FLOAT_EQ(v6.flow.c2, -0.25f);
    EXPECT_FLOAT_EQ(v6.flow.c3, 12.5f);

    b = Written(7);
    b.SetU16(param::kLowLimit, 305);
    b.SetU8(param::kUnitByte, 5);          // speed: at most 1
    b.SetU8(param::kLowHumidityLimit, 1);  // weighting
    b.SetU8(param::kAlarmMode, 1);
    ParamEditorValues v7 = Filled(b, 7);
    EXPECT_EQ(v7.soundLow, 31);
    EXPECT_EQ(v7.soundHigh, 130);
    EXPECT_EQ(v7.speed, 1);
    EXPECT_EQ(v7.weighting, 1);
    EXPECT_EQ(v7.alarmMode, -1);
    EXPECT_EQ(Filled(b, 9).alarmMode, 1);  // model 9 shows its alarm mode
}

TEST(ParamEditorFill, HiddenHumidityOutOfRangeTakesTheDefaults) {
    ParamBlock b = Written(4);
    b.SetU16(param::kLowHumidityLimit, 0xFFFF);
    ParamEditorValues v = Filled(b, 4);
    EXPECT_EQ(v.humidityLow, 10);
    EXPECT_EQ(v.humidityHigh, 95);
    // A model that shows humidity keeps what the block says, for the user to correct.
    EXPECT_EQ(Filled(b, 1).humidityLow, 6554);
}

TEST(ParamEditorDefaults, PerModel) {
    const ParamBlock b = DefaultParamBlock(1);
    EXPECT_EQ(b.U8(param::kAddress), 1);
    EXPECT_EQ(b.RecordCountSetting(), 100);
    EXPECT_EQ(b.U8(param::kIntervalValue), 5);
    EXPECT_EQ(b.U8(param::kIntervalUnit), 0);
    EXPECT_EQ(b.U8(param::kLedCode), 1);
    EXPECT_EQ(b.U16(param::kLowLimit), 400);
    EXPECT_EQ(b.U16(param::kHighLimit), 1100);
    EXPECT_EQ(b.U16(param::kLowHumidityLimit), 100);
    EXPECT_EQ(b.U16(param::kHighHumidityLimit), 950);
    EXPECT_EQ(b.SetTime(), 0u);
    EXPECT_EQ(DefaultParamBlock(9).U16(param::kLowLimit), 300);
    EXPECT_EQ(DefaultParamBlock(7).U16(param::kHighLimit), 1300);
    EXPECT_EQ(DefaultParamBlock(7).U16(param::kLowHumidityLimit), 0);
    EXPECT_EQ(DefaultParamBlock(11).U16(param::kGasLimit), 10);
    EXPECT_EQ(DefaultParamBlock(8).U16(param::kGasLimit), 0);
}

TEST(ParamEditorEncode, TemperatureLimitsInBothUnits) {
    ParamEditorValues v = Filled(Written(3), 3);
    v.temperatureLow = 0;
    v.temperatureHigh = 70;
    ParamBlock out = Encoded(v, 3);
    EXPECT_EQ(out.U16(param::kLowLimit), 400);
    EXPECT_EQ(out.U16(param::kHighLimit), 1100);
    v.temperatureUnit = 1;
    v.temperatureLow = 32;
    v.temperatureHigh = 158;
    out = Encoded(v, 3);
    EXPECT_EQ(out.U16(param::kLowLimit), 400);
    EXPECT_EQ(out.U16(param::kHighLimit), 1100);
    v.temperatureHigh = 100;  // 37.78 °C
    EXPECT_EQ(Encoded(v, 3).U16(param::kHighLimit), 778);
    v.temperatureUnit = 0;
    v.temperatureLow = -45;  // below the field's range: cut to 16 bits
    EXPECT_EQ(Encoded(v, 3).U16(param::kLowLimit), static_cast<uint16_t>(-49));
}

TEST(ParamEditorEncode, UnitByte) {
    ParamEditorValues v = Filled(Written(1), 1);
    EXPECT_EQ(v.flowUnit, 0);
    EXPECT_EQ(v.pressureUnit, -1);
    EXPECT_EQ(Encoded(v, 1).UnitByte(), 0xF0);
    v.temperatureUnit = 1;
    EXPECT_EQ(Encoded(v, 1).UnitByte(), 0xF1);
    // Model 2 keeps only the temperature unit.
    EXPECT_EQ(Encoded(v, 2).UnitByte(), 0x01);
    // Model 6: flow l/s, pressure mmHg.
    v.flowUnit = 1;
    v.pressureUnit = 2;
    v.temperatureUnit = 0;
    EXPECT_EQ(Encoded(v, 6).UnitByte(), 0x60);
    // Model 7 stores its sampling speed there.
    v.speed = 1;
    EXPECT_EQ(Encoded(v, 7).UnitByte(), 0x01);
}

TEST(ParamEditorEncode, RecordCountIntervalAndLists) {
    ParamEditorValues v = Filled(Written(4), 4);
    v.recordCountText = "0";
    EXPECT_EQ(Encoded(v, 4).RecordCountSetting(), 1);
    v.recordCountText = "99999";
    EXPECT_EQ(Encoded(v, 4).RecordCountSetting(), 32512);
    v.recordCountText = "  5000abc";
    EXPECT_EQ(Encoded(v, 4).RecordCountSetting(), 5000);
    v.cyclic = true;  // only model 2 records cyclically
    EXPECT_EQ(Encoded(v, 4).RecordCountSetting(), 5000);
    EXPECT_EQ(Encoded(v, 2).RecordCountSetting(), 0xFFFF);

    v.address = 0x1FE;
    v.interval = 0x105;
    v.intervalUnit = 2;
    v.led = 9;
    v.alarmMode = -1;
    ParamBlock out = Encoded(v, 4);
    EXPECT_EQ(out.U8(param::kAddress), 0xFE);
    EXPECT_EQ(out.U8(param::kIntervalValue), 5);
    EXPECT_EQ(out.U8(param::kIntervalUnit), 2);
    EXPECT_EQ(out.U8(param::kLedCode), 60);
    EXPECT_EQ(out.U8(param::kAlarmMode), 255);
    v.intervalUnit = -1;  // a unit the list could not show stays
    ParamBlock before;
    before.SetU8(param::kIntervalUnit, 7);
    EXPECT_EQ(Encoded(v, 4, before).U8(param::kIntervalUnit), 7);
    // Model 0: no record count choices; the field's range applies.
    v.recordCountText = "65535";
    EXPECT_EQ(Encoded(v, 0).RecordCountSetting(), 65535);
}

TEST(ParamEditorEncode, ModelFieldsAndBias) {
    ParamEditorValues v = Filled(Written(11), 11);
    v.formaldehydeLimit = 0.10f;
    ParamBlock out = Encoded(v, 11);
    EXPECT_EQ(out.U16(param::kGasLimit), 10);
    EXPECT_EQ(out.TimeZoneBias(), -480);
    v.formaldehydeLimit = 0.29f;  // rounded, not truncated
    EXPECT_EQ(Encoded(v, 11).U16(param::kGasLimit), 29);

    v = Filled(Written(8), 8);
    v.co2Limit = 2500;
    out = Encoded(v, 8, {}, 60);
    EXPECT_EQ(out.U16(param::kGasLimit), 2500);
    EXPECT_EQ(out.TimeZoneBias(), 60);
    EXPECT_EQ(Encoded(v, 1).TimeZoneBias(), 0);  // model 1 keeps UTC

    v = Filled(Written(10), 10);
    v.startDelay = 5;
    EXPECT_EQ(Encoded(v, 10).U16(param::kStartDelay), 300);

    v = Filled(Written(6), 6);
    v.flow = {1.5f, -0.0007f, 99.999f};
    out = Encoded(v, 6);
    EXPECT_EQ(out.S16(param::kFlow1), 1500);
    EXPECT_FLOAT_EQ(DecodeFlowCoefficients(out).c2, -0.0007f);
    EXPECT_EQ(out.U16(param::kFlow3), 99999 & 0xFFFF);
    EXPECT_EQ(out.U8(param::kFlowHigh) >> 4, 99999 >> 16);
}

TEST(ParamEditorEncode, SoundMeters) {
    ParamBlock before = Written(7);
    before.SetU8(param::kLowHumidityLimit + 1, 0xAB);  // byte 62 is not the editor's
    before.SetU8(param::kAlarmMode, 2);
    ParamEditorValues v = Filled(before, 7);
    v.soundLow = 35;
    v.soundHigh = 120;
    v.speed = 1;
    v.weighting = 1;
    ParamBlock out = Encoded(v, 7, before);
    EXPECT_EQ(out.U16(param::kLowLimit), 350);
    EXPECT_EQ(out.U16(param::kHighLimit), 1200);
    EXPECT_EQ(out.U8(param::kUnitByte), 1);
    EXPECT_EQ(out.U8(param::kLowHumidityLimit), 1);
    EXPECT_EQ(out.U8(param::kLowHumidityLimit + 1), 0xAB);
    EXPECT_EQ(out.TimeZoneBias(), -480);
    EXPECT_EQ(out.U8(param::kAlarmMode), 2);  // model 7 has no alarm mode

    v = Filled(before, 9);
    v.alarmMode = 0;
    out = Encoded(v, 9, before);
    EXPECT_EQ(out.U8(param::kAlarmMode), 0);
    EXPECT_EQ(out.TimeZoneBias(), before.TimeZoneBias());
}

TEST(ParamEditorEncode, FieldsOutsideTheEditorKeepTheirValues) {
    ParamBlock before = Written(1);
    before.SetU32(param::kStartTime, 1234567);
    before.SetU16(param::kStoredCount, 77);
    before.SetU8(param::kLowAlarm, 1);
    before.SetU8(47, 0x5A);
    const ParamBlock out = Encoded(Filled(before, 1), 1, before);
    EXPECT_EQ(out.StartTime(), 1234567u);
    EXPECT_EQ(out.StoredCount(), 77);
    EXPECT_EQ(out.U8(param::kLowAlarm), 1);
    EXPECT_EQ(out.U8(47), 0x5A);
    EXPECT_EQ(out.SetTime(), before.SetTime());
}

TEST(ParamEditorEncode, FillThenEncodeIsStableForEveryModel) {
    for (InstrumentTypeId t = 0; t <= 11; ++t) {
        ParamBlock b = Written(t);
        b.SetName(u"房间");
        b.SetNumber(u"N1");
        ParamBlock once = Encoded(Filled(b, t), t, b);
        ParamBlock twice = Encoded(Filled(once, t), t, once);
        EXPECT_EQ(once.Name(), u"房间");
        // Models without a pressure list store "no selection" in the unit byte's high bits,
        // which read back as other unselectable indexes; the temperature unit stays.
        const bool unitHighBitsFree = t != 2 && t != 5 && t != 6 && t != 7 && t != 9;
        if (unitHighBitsFree) {
            EXPECT_EQ(once.UnitByte() & 0x0F, twice.UnitByte() & 0x0F) << "model " << t;
            once.SetU8(param::kUnitByte, 0);
            twice.SetU8(param::kUnitByte, 0);
        }
        EXPECT_EQ(once.bytes, twice.bytes) << "model " << t;
    }
}

TEST(ParamEditorNumber, EveryByteOpensAsOneCharacterAndIsWrittenBackAsStored) {
    // Each byte 0x01..0xFF before '1', and runs that would read as UTF-8 sequences.
    std::vector<std::vector<uint8_t>> numbers = {
        {0xC3, 0xA9, 0x37}, {0xE4, 0xB8, 0xAD, 0xF0, 0x9F, 0x98, 0x80, 0xFF, 0x80, 0x41}};
    for (unsigned byte = 1; byte <= 0xFF; ++byte)
        numbers.push_back({static_cast<uint8_t>(byte), '1'});
    for (const std::vector<uint8_t>& bytes : numbers) {
        ParamBlock b = Written(1);
        std::copy(bytes.begin(), bytes.end(), b.bytes.begin() + param::kNumber);
        ParamEditorValues v = Filled(b, 1);
        EXPECT_EQ(v.number, std::u16string(bytes.begin(), bytes.end()));
        v.name = u"只改了名称";
        const ParamBlock out = Encoded(v, 1, b);
        EXPECT_TRUE(std::equal(out.bytes.begin() + param::kNumber, out.bytes.begin() + param::kName,
                               b.bytes.begin() + param::kNumber))
            << int(bytes[0]);
    }
}

TEST(ParamEditorTemperatureUnit, ConversionRoundTripsAndStoresWhatIsShown) {
    EXPECT_EQ(ConvertTemperatureLimit(5, 0, 1), 41);
    EXPECT_EQ(ConvertTemperatureLimit(26, 0, 1), 79);   // 78.8
    EXPECT_EQ(ConvertTemperatureLimit(-10, 0, 1), 14);  // exact: no rounding toward zero
    EXPECT_EQ(ConvertTemperatureLimit(100, 1, 0), 38);  // 37.78
    for (int32_t c = -40; c <= 80; ++c) {
        const int32_t f = ConvertTemperatureLimit(c, 0, 1);
        EXPECT_EQ(ConvertTemperatureLimit(f, 1, 0), c) << c;
        // The converted limit stores within half a Fahrenheit degree of the Celsius one.
        ParamEditorValues v = Filled(Written(1), 1);
        v.temperatureLow = c;
        const int celsiusRaw = Encoded(v, 1).U16(param::kLowLimit);
        v.temperatureUnit = 1;
        v.temperatureLow = f;
        EXPECT_LE(std::abs(Encoded(v, 1).U16(param::kLowLimit) - celsiusRaw), 3) << c;
    }
}

TEST(ParamEditorTemperatureUnit, NegativeLimitsOpenAsStoredAndDoNotDriftOnOk) {
    ParamBlock b = Written(1);
    b.SetU16(param::kLowLimit, 300);  // -10 °C
    const ParamEditorValues v = Filled(b, 1);
    EXPECT_EQ(v.temperatureLow, -10);
    EXPECT_EQ(Encoded(v, 1, b).U16(param::kLowLimit), 300);
}

// The message for the texts of a written block of `type` after `change`; empty when accepted.
std::string Refusal(InstrumentTypeId type, const std::function<void(EditorFieldTexts&)>& change) {
    EditorFieldTexts t{"1", u"A", "5",   u"", "0", "70", "10", "90",
                       "1", "30", "130", "0", "0", "0",  "10"};
    if (Model(type).gas == GasKind::kFormaldehyde) t.gasLimit = "0.1";
    change(t);
    ParamEditorValues v = Filled(Written(type), type);
    const auto error = TakeEditorFields(t, type, v);
    return error ? error->message : "";
}

TEST(ParamEditorFields, ControlCharactersLowestLimitAndDecimalsTheFieldKeeps) {
    using T = EditorFieldTexts&;
    const std::string control = "仪器编号中不能有控制字符(换行、制表符等)!";
    EXPECT_EQ(Refusal(1, [](T t) { t.number = u"A B~\u00E9\u0080"; }), "");
    EXPECT_EQ(Refusal(1, [](T t) { t.number = u"A\u001F"; }), control);
    EXPECT_EQ(Refusal(1, [](T t) { t.number = u"A\u007F"; }), control);
    EXPECT_EQ(Refusal(1, [](T t) { t.name = u"a\nnumber=EVIL"; }),
              "测量名称中不能有控制字符(换行、制表符等)!");
    EXPECT_EQ(Refusal(1, [](T t) { t.name = u"a\u007F"; }),
              "测量名称中不能有控制字符(换行、制表符等)!");
    EXPECT_EQ(Refusal(1, [](T t) { t.name = u"a~"; }), "");

    EXPECT_EQ(Refusal(1, [](T t) { t.temperatureLow = "-40"; }), "");
    EXPECT_EQ(Refusal(1, [](T t) { t.temperatureLow = "-41"; }), "温度报警域值不能低于-40!");
    EXPECT_EQ(Refusal(1, [](T t) { t.temperatureHigh = "-41"; }), "温度报警域值不能低于-40!");
    EXPECT_EQ(Refusal(9, [](T t) { t.temperatureLow = "-41"; }), "");  // hidden, unused

    for (const char* held : {"0.01", "0.29", "10", "1e-2"})
        EXPECT_EQ(Refusal(11, [&](T t) { t.gasLimit = held; }), "") << held;
    EXPECT_EQ(Refusal(11, [](T t) { t.gasLimit = "0.015"; }),
              "仪器只能保存2位小数, 不能保存0.015; 最接近的值是 0.01 和 0.02。");
    EXPECT_EQ(Refusal(6, [](T t) { t.flow1 = "-0.0005"; }),
              "仪器只能保存3位小数, 不能保存-0.0005; 最接近的值是 -0.001 和 0。");
    EXPECT_EQ(Refusal(6, [](T t) { t.flow2 = "-9.9999"; }), "");
    EXPECT_EQ(Refusal(6, [](T t) { t.flow2 = "0.00015"; }),
              "仪器只能保存4位小数, 不能保存0.00015; 最接近的值是 0.0001 和 0.0002。");
    EXPECT_EQ(Refusal(6, [](T t) { t.flow3 = "99.999"; }), "");
    EXPECT_EQ(Refusal(1, [](T t) { t.flow1 = "0.0001"; }), "");  // hidden: never written
}

TEST(ParamEditorRanges, TheMaximumIsAcceptedAndOneMoreRefused) {
    for (int unit : {0, 1}) {
        EXPECT_EQ(IntervalRangeMessage(1, unit), "");
        EXPECT_EQ(IntervalRangeMessage(60, unit), "");
        EXPECT_EQ(IntervalRangeMessage(61, unit), "数值范围应在1-60之间!");
        EXPECT_EQ(IntervalRangeMessage(0, unit), "数值范围应在1-60之间!");
    }
    EXPECT_EQ(IntervalRangeMessage(24, 2), "");
    EXPECT_EQ(IntervalRangeMessage(25, 2), "数值范围应在1-24之间!");
    EXPECT_EQ(RecordCountRangeMessage(21000, 21000), "");
    EXPECT_EQ(RecordCountRangeMessage(21001, 21000), "数值范围应在1-21000之间!");
    EXPECT_EQ(TemperatureRangeMessage(-40, 0), "");
    EXPECT_EQ(TemperatureRangeMessage(80, 0), "");
    EXPECT_EQ(TemperatureRangeMessage(81, 0), "数值范围应在-40-80之间!");
    EXPECT_EQ(TemperatureRangeMessage(176, 1), "");
    EXPECT_EQ(TemperatureRangeMessage(177, 1), "数值范围应在-40-176之间!");
    EXPECT_EQ(TemperatureRangeMessage(-41, 1), "数值范围应在-40-176之间!");
}

TEST(RecordingDuration, Texts) {
    EXPECT_EQ(RecordingDurationText(100, 5, 0), "8分钟 20秒 ");
    EXPECT_EQ(RecordingDurationText(1000, 2, 1), "1天 9小时 20分钟 ");
    EXPECT_EQ(RecordingDurationText(24, 1, 2), "1天 ");
    EXPECT_EQ(RecordingDurationText(0, 5, 0), "");
    EXPECT_EQ(RecordingDurationText(100, 0, 1), "");
    EXPECT_EQ(RecordingDurationText(3661, 1, -1), "1小时 1分钟 1秒 ");  // no unit: seconds
}

TEST(FieldParsing, WholeFieldNumbers) {
    EXPECT_EQ(ParseFieldInt(" -12 "), -12);
    EXPECT_EQ(ParseFieldInt("+7"), 7);
    EXPECT_FALSE(ParseFieldInt(""));
    EXPECT_FALSE(ParseFieldInt("-"));
    EXPECT_FALSE(ParseFieldInt("12a"));
    EXPECT_FALSE(ParseFieldInt("1.5"));
    EXPECT_FALSE(ParseFieldInt("2147483648"));
    EXPECT_EQ(ParseFieldInt("-2147483648"), INT32_MIN);
    EXPECT_EQ(ParseFieldUInt("254"), 254u);
    EXPECT_FALSE(ParseFieldUInt("-1"));
    EXPECT_FALSE(ParseFieldUInt("4294967296"));
    EXPECT_FLOAT_EQ(*ParseFieldFloat(" 0.29"), 0.29f);
    EXPECT_FLOAT_EQ(*ParseFieldFloat("-1e-3"), -0.001f);
    EXPECT_FLOAT_EQ(*ParseFieldFloat("+.5"), 0.5f);
    EXPECT_FALSE(ParseFieldFloat("abc"));
    EXPECT_FALSE(ParseFieldFloat("1,5"));
    EXPECT_FALSE(ParseFieldFloat("inf"));
    EXPECT_FALSE(ParseFieldFloat("1e39"));
    EXPECT_EQ(LeadingDecimal("  120abc"), 120);
    EXPECT_EQ(LeadingDecimal("abc"), 0);
    EXPECT_EQ(LeadingDecimal("-5"), -5);
    EXPECT_EQ(LeadingDecimal("99999999999999999999"), INT32_MAX);
    EXPECT_EQ(LeadingDecimal("123456", 3), 123);
    EXPECT_EQ(FieldFloatText(0.1f), "0.1");
    EXPECT_EQ(FieldFloatText(-9.999f), "-9.999");
    EXPECT_EQ(FieldFloatText(10.0f), "10");
}

}  // namespace
}  // namespace qx
