#include "core/model/instrument_catalogue.h"

#include <gtest/gtest.h>

#include <bit>
#include <string>

#include "core/model/text_util.h"

namespace qx {
namespace {

TEST(Catalogue, DisplayNamesAndDefaultRow) {
    EXPECT_EQ(ModelDisplayName(4), "QX420BMeter");
    EXPECT_EQ(ModelDisplayName(11), "QX610Meter");
    EXPECT_EQ(ModelDisplayName(0), "");
    EXPECT_EQ(ModelDisplayName(12), "");
    EXPECT_EQ(ModelDisplayName(-1), "");
    EXPECT_EQ(ChannelMask(12), 0x01);
    EXPECT_EQ(ChannelCount(12), 1);
    EXPECT_EQ(ChannelCount(-3), 1);
    EXPECT_EQ(ChannelCount(0), 0);
    EXPECT_EQ(ChannelCount(6), 6);
    EXPECT_EQ(ChannelMask(11), 0x83);
    EXPECT_EQ(BytesPerSample(0), 3);
    EXPECT_EQ(BytesPerSample(42), 3);
}

TEST(Catalogue, RecordCountChoicesEndWithTheMaximum) {
    for (InstrumentTypeId t : {1, 2, 3, 4, 7, 9, 10})
        EXPECT_EQ(RecordCountChoices(t).size(), 11u) << t;
    for (InstrumentTypeId t : {5, 6, 8, 11})
        EXPECT_EQ(RecordCountChoices(t).size(), 10u) << t;
    EXPECT_EQ(MaxRecordCount(1), 21000);
    EXPECT_EQ(MaxRecordCount(4), 32512);
    EXPECT_EQ(MaxRecordCount(6), 14224);
    EXPECT_EQ(MaxRecordCount(8), 12700);
    EXPECT_EQ(RecordCountChoices(5)[8], 10000);
    EXPECT_TRUE(RecordCountChoices(0).empty());
    EXPECT_EQ(MaxRecordCount(0), 0);
}

TEST(Catalogue, SampleSizesAndBlocks) {
    const int sizes[] = {3, 3, 3, 3, 2, 5, 9, 2, 5, 2, 2, 5};
    const int blocks[] = {20, 20, 20, 20, 30, 12, 6, 30, 12, 30, 30, 12};
    for (InstrumentTypeId t = 0; t <= 11; ++t) {
        EXPECT_EQ(BytesPerSample(t), sizes[t]) << t;
        EXPECT_EQ(SamplesPerBlock(t), blocks[t]) << t;
    }
}

// The columns restate parts of one another; a row that contradicts its own channel mask is a
// typing error in the table.
TEST(Catalogue, ColumnsAgreeWithTheChannelMask) {
    for (InstrumentTypeId t = kQX420; t <= kModelCount; ++t) {
        const ModelInfo& m = Model(t);
        SCOPED_TRACE(m.modelName);
        EXPECT_EQ(m.channelCount, std::popcount(m.channelMask));
        EXPECT_EQ(m.soundOnly, m.channelMask == kChSound);
        EXPECT_EQ(m.gas == GasKind::kCo2, (m.channelMask & kChCo2) != 0);
        EXPECT_EQ(m.gas == GasKind::kFormaldehyde, (m.channelMask & kChFormaldehyde) != 0);
        EXPECT_EQ((m.editorGroups & kEditorHumidity) != 0, (m.channelMask & kChHumidity) != 0);
        EXPECT_EQ((m.editorGroups & kEditorFlow) != 0, (m.channelMask & kChFlow) != 0);
        if (m.pressureUnits != PressureUnitList::kNone) {
            EXPECT_TRUE(m.channelMask & kChPressure);
        }
        // Sound limits come with exactly one way of showing them.
        const bool soundGroups = m.editorGroups & (kEditorSoundMeter | kEditorSoundAlarm);
        EXPECT_EQ(m.soundOnly, soundGroups);
        // A local clock either counts local time or is told the bias with the time, not both.
        EXPECT_EQ(m.localClock, m.clockCountsLocalTime != m.clockReportCarriesBias);
        EXPECT_FALSE(m.clockCountsLocalTime && m.clockReportCarriesBias);
        if (m.cyclicRecording) {
            EXPECT_TRUE(m.clockCountsLocalTime);
        }
        EXPECT_EQ(ModelFromProductString(std::string(m.modelName) + "-USB"), t);
    }
}

TEST(Catalogue, ProductStringRecognition) {
    EXPECT_EQ(ModelFromProductString("QX420B-T"), 4);
    EXPECT_EQ(ModelFromProductString("QX420-TH"), 1);
    EXPECT_EQ(ModelFromProductString("QX420X"), 1);
    EXPECT_EQ(ModelFromProductString("QX7200"), 6);
    EXPECT_EQ(ModelFromProductString("QX7000 CO2"), 8);
    EXPECT_EQ(ModelFromProductString("QX610"), 11);
    EXPECT_EQ(ModelFromProductString("QX999"), 0);
    EXPECT_TRUE(IsFamilyProductString("QX999"));
    EXPECT_FALSE(IsFamilyProductString("A-QX420"));
    EXPECT_EQ(ModelFromProductString("A-QX420"), 0);
    EXPECT_FALSE(IsFamilyProductString(""));
    EXPECT_FALSE(IsFamilyProductString("qx420"));
}

TEST(Catalogue, ModelFromName) {
    EXPECT_EQ(ModelFromName("QX420"), 1);
    EXPECT_EQ(ModelFromName("qx420b"), 4);
    EXPECT_EQ(ModelFromName("QX7200"), 6);
    EXPECT_EQ(ModelFromName("11"), 11);
    EXPECT_EQ(ModelFromName("12"), 0);
    EXPECT_EQ(ModelFromName("0"), 0);
    EXPECT_EQ(ModelFromName("QX42"), 0);
    EXPECT_EQ(ModelFromName(""), 0);
}

TEST(Catalogue, ModelsFromList) {
    std::vector<InstrumentTypeId> models{3};
    EXPECT_TRUE(ModelsFromList("QX450, qx7200,11", models));
    EXPECT_EQ(models, (std::vector<InstrumentTypeId>{3, 2, 6, 11}));
    // A bad entry anywhere leaves the list as it was.
    EXPECT_FALSE(ModelsFromList("QX450,QX999", models));
    EXPECT_FALSE(ModelsFromList("QX450,", models));
    EXPECT_FALSE(ModelsFromList("", models));
    EXPECT_EQ(models.size(), 4u);
}

TEST(Catalogue, UnitBytes) {
    // 0x21: Fahrenheit and pressure index 2.
    EXPECT_TRUE(IsFahrenheit(0x21));
    EXPECT_STREQ(PressureUnitOf(0x21, 5).name, "psi");
    EXPECT_STREQ(PressureUnitOf(0x21, 6).name, "mmHg");
    EXPECT_FALSE(IsFahrenheit(0x30));
    EXPECT_FALSE(IsFahrenheit(0x03));
    EXPECT_STREQ(PressureUnitOf(0x30, 5).name, "mbar");
    EXPECT_STREQ(PressureUnitOf(0x30, 6).name, "hPa");
    EXPECT_EQ(PressureUnitOf(0x30, 6).decimals, 1);
    EXPECT_STREQ(FlowUnitName(0x00), "m3/s");
    EXPECT_STREQ(FlowUnitName(0x40), "l/s");
    EXPECT_STREQ(FlowUnitName(0x80), "m3/s");
    EXPECT_TRUE(FlowInThousandths(0x3F));
    EXPECT_FALSE(FlowInThousandths(0x80));
    EXPECT_EQ(PressureUnitChoices(6).size(), 4u);
    EXPECT_EQ(PressureUnitChoices(5).size(), 3u);
    EXPECT_TRUE(PressureUnitChoices(1).empty());
}

TEST(Catalogue, PressureConversions) {
    auto shown = [](uint8_t unitByte, InstrumentTypeId type) {
        const PressureUnit u = PressureUnitOf(unitByte, type);
        return FormatFixed(ConvertPressure(1000.0, u.code), u.decimals);
    };
    EXPECT_EQ(shown(0x00, 5), "1000.0");  // mbar
    EXPECT_EQ(shown(0x10, 5), "1000.0");  // hPa
    EXPECT_EQ(shown(0x20, 5), "14.503");  // psi
    EXPECT_EQ(shown(0x00, 6), "100.00");  // kPa
    EXPECT_EQ(shown(0x20, 6), "750.06");  // mmHg
    EXPECT_EQ(FormatFixed(ConvertPressure(1013.3, 4), 2), "760.04");
    EXPECT_FLOAT_EQ(ConvertPressure(5.0, 9), 5.0f);
}

TEST(Catalogue, LedCodes) {
    EXPECT_EQ(LedBlinkIndex(0), 0);
    EXPECT_EQ(LedBlinkIndex(60), 6);
    EXPECT_EQ(LedBlinkIndex(7), -1);
}

TEST(TextUtil, RoundingAndConversions) {
    EXPECT_EQ(RoundHalfUp(23.5), 24);
    EXPECT_EQ(RoundHalfUp(-39.5), -39);
    EXPECT_EQ(RoundHalfUp(-10.3), -9);
    EXPECT_EQ(FormatFixed(1.25, 12), "1.250000000");
    EXPECT_EQ(FormatFixed(2.5, -1), "2");
    EXPECT_EQ(Utf16ToUtf8(u"温度ab"), "温度ab");
    EXPECT_EQ(Utf8ToUtf16("露点"), u"露点");
    EXPECT_EQ(Utf8ToUtf16("\xff"), std::u16string(1, u'\xFFFD'));
    const char16_t lone[] = {0xD800, u'a', 0};
    EXPECT_EQ(Utf16ToUtf8(std::u16string_view(lone)),
              "\xEF\xBF\xBD"
              "a");
    EXPECT_EQ(Utf8ToUtf16("\xF0\x9F\x98\x80"), std::u16string(u"\U0001F600"));
    const uint8_t latin[] = {'A', 0xE9, 0, 'B'};
    EXPECT_EQ(Latin1ToUtf8(std::span<const uint8_t>(latin)), "A\xC3\xA9");
    EXPECT_EQ(Trim("  a b \r\n"), "a b");
    EXPECT_TRUE(EqualsIgnoreCase("/dev/HIDRAW1", "/dev/hidraw1"));
    EXPECT_EQ(StrFormat("%s-%d", std::string(300, 'x').c_str(), 7).size(), 302u);
}

}  // namespace
}  // namespace qx
