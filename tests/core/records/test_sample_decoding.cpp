#include "core/records/sample_decoding.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "core/records/record_set.h"
#include "record_fixtures.h"

namespace qx {
namespace {

using test::MakeRecordImage;

// Each model's layout has the catalogue's sample size and fills exactly the channels its mask
// names (formaldehyde in the CO2 channel), so a new row cannot pair a mask with a layout that
// decodes something else.
TEST(SampleLayouts, FitTheCatalogueRows) {
    auto set = std::make_unique<RecordSet>();
    for (InstrumentTypeId t = kQX420; t <= kModelCount; ++t) {
        SCOPED_TRACE(ModelName(t));
        EXPECT_EQ(SampleLayoutSize(Model(t).sampleLayout), BytesPerSample(t));
        set->rows[0].f.fill(NAN);
        RecordImage image = MakeRecordImage(t, 1);
        std::fill_n(image.Samples(), BytesPerSample(t), uint8_t{0x11});
        DecodeRecord(image, *set, t);
        ASSERT_EQ(set->count, 1);
        uint8_t written = 0;
        for (int ch = 0; ch < 7; ++ch) {
            if (!std::isnan(set->rows[0].Ch(ch))) written |= static_cast<uint8_t>(1u << ch);
        }
        const uint8_t mask = ChannelMask(t);
        EXPECT_EQ(written, (mask & 0x7F) | ((mask & kChFormaldehyde) ? kChCo2 : 0));
    }
    // Every row's size has a layout, the default row's included.
    EXPECT_EQ(SampleLayoutSize(Model(kNoModel).sampleLayout), BytesPerSample(kNoModel));
}

class Decoding : public ::testing::Test {
  protected:
    // An image of one sample of the given bytes.
    RecordImage OneSample(InstrumentTypeId type, std::initializer_list<uint8_t> sample) {
        RecordImage image = MakeRecordImage(type, 1);
        std::copy(sample.begin(), sample.end(), image.Samples());
        return image;
    }
    const SampleRow& Decode(const RecordImage& image, InstrumentTypeId type) {
        DecodeRecord(image, *set, type);
        return set->rows[0];
    }
    std::unique_ptr<RecordSet> set = std::make_unique<RecordSet>();
};

TEST_F(Decoding, PackedTemperatureAndHumidity) {
    const SampleRow& r = Decode(OneSample(1, {0xF4, 0xF4, 0x11}), 1);
    EXPECT_FLOAT_EQ(r.Ch(0), 10.0f);
    EXPECT_FLOAT_EQ(r.Ch(1), 50.0f);
    Decode(OneSample(3, {0, 0, 0}), 3);
    EXPECT_FLOAT_EQ(set->rows[0].Ch(0), -40.0f);
    EXPECT_FLOAT_EQ(set->rows[0].Ch(1), 0.0f);
    Decode(OneSample(2, {0xFF, 0xFF, 0xFF}), 2);
    EXPECT_FLOAT_EQ(set->rows[0].Ch(0), 369.5f);
    EXPECT_FLOAT_EQ(set->rows[0].Ch(1), 409.5f);
}

TEST_F(Decoding, TwoByteLayoutsWriteOnlyTheirChannel) {
    EXPECT_FLOAT_EQ(Decode(OneSample(4, {0x58, 0x02}), 4).Ch(0), 20.0f);
    EXPECT_FLOAT_EQ(Decode(OneSample(10, {0x58, 0x02}), 10).Ch(0), 20.0f);
    set->rows[0].SetCh(0, 123.0f);
    const SampleRow& r = Decode(OneSample(7, {0x9A, 0x02}), 7);
    EXPECT_FLOAT_EQ(r.Ch(4), 66.6f);
    EXPECT_FLOAT_EQ(r.Ch(0), 123.0f);
    EXPECT_FLOAT_EQ(Decode(OneSample(9, {0x9A, 0x02}), 9).Ch(4), 66.6f);
}

TEST_F(Decoding, FiveByteLayouts) {
    const SampleRow& co2 = Decode(OneSample(8, {0xF4, 0xF4, 0x11, 0xC2, 0x01}), 8);
    EXPECT_FLOAT_EQ(co2.Ch(6), 450.0f);
    EXPECT_FLOAT_EQ(co2.Ch(0), 10.0f);
    EXPECT_FLOAT_EQ(Decode(OneSample(11, {0, 0, 0, 0x08, 0x00}), 11).Ch(6), 0.08f);
    const SampleRow& p = Decode(OneSample(5, {0, 0, 0, 0x95, 0x27}), 5);  // 10133
    EXPECT_FLOAT_EQ(p.Ch(2), 1013.3f);
}

TEST_F(Decoding, FlowMeterComputesTheFlow) {
    // c1 = 0, c2 = 1, c3 = 0; 20.0 °C, 50.0 %, 1013.3 hPa, differential pressure raw 150.
    RecordImage image = OneSample(6, {0x58, 0xF4, 0x12, 0x95, 0x27, 150, 0, 0x9A, 0x02});
    const SampleRow& r = Decode(image, 6);
    EXPECT_FLOAT_EQ(r.Ch(0), 20.0f);
    EXPECT_FLOAT_EQ(r.Ch(1), 50.0f);
    EXPECT_FLOAT_EQ(r.Ch(3), 1.5f);
    EXPECT_FLOAT_EQ(r.Ch(4), 66.6f);
    EXPECT_NEAR(AirDensity(101.33f, 20.0f, 50.0f), 1.2041f, 5e-4);
    EXPECT_NEAR(r.Ch(5), 1.4948f, 5e-4);

    // Signed differential pressure.
    image.Samples()[5] = 0x6A, image.Samples()[6] = 0xFF;  // -150
    EXPECT_FLOAT_EQ(Decode(image, 6).Ch(3), -1.5f);

    // Zero pressure: no density, g = 0, so the flow is c3 (5000 / 1000).
    ParamBlock p = image.Params();
    p.SetU16(param::kFlow3, 5000);
    image.SetParams(p);
    image.Samples()[3] = 0, image.Samples()[4] = 0;
    EXPECT_FLOAT_EQ(Decode(image, 6).Ch(5), 5.0f);
}

TEST_F(Decoding, AirDensityValues) {
    EXPECT_NEAR(AirDensity(101.325f, 20, 50), 1.204, 5e-4);
    EXPECT_NEAR(AirDensity(101.325f, 0, 0), 1.293, 5e-4);
    EXPECT_NEAR(AirDensity(100.0f, 25, 80), 1.168, 5e-4);
    EXPECT_EQ(AirDensity(0, 20, 50), 0.0f);
    EXPECT_EQ(AirDensity(0, 20, 0), 0.0f);
}

TEST_F(Decoding, CyclicRecordOfType2DecodesItsWrappedCount) {
    RecordImage image = MakeRecordImage(2, 21378);
    ParamBlock p = image.Params();
    p.SetU16(param::kWrapCount, 1);
    p.SetU16(param::kRecordCountSetting, 0xFFFF);
    p.SetU16(param::kStoredCount, 100);
    image.SetParams(p);
    DecodeRecord(image, *set, 2);
    EXPECT_EQ(set->count, 21352);
    DecodeRecord(image, *set, 1);  // the same block read as another type: no cyclic rule
    EXPECT_EQ(set->count, 100);
}

TEST_F(Decoding, EmptyRecordLeavesRowsUntouched) {
    set->rows[0].SetCh(0, 7.0f);
    DecodeRecord(MakeRecordImage(1, 0), *set, 1);
    EXPECT_EQ(set->count, 0);
    EXPECT_EQ(set->type, 1);
    EXPECT_FLOAT_EQ(set->rows[0].Ch(0), 7.0f);
}

// Crafted headers never make decoding leave the image or the rows.
TEST_F(Decoding, CountIsLimitedByCapRowsAndImage) {
    RecordImage image = MakeRecordImage(4, 100);
    ParamBlock p = image.Params();
    p.SetU16(param::kStoredCount, 65535);
    image.SetParams(p);
    DecodeRecord(image, *set, 4);
    EXPECT_EQ(set->count, 32512);
    DecodeRecord(image, *set, 42);  // unknown type: two-byte layout, default cap
    EXPECT_EQ(set->count, 21336);
    DecodeRecord(image, *set, 6, 96 + 9 * 7 + 8);
    EXPECT_EQ(set->count, 7);
    DecodeRecord(image, *set, 6, 50);
    EXPECT_EQ(set->count, 0);
    EXPECT_EQ(DecodableSampleCount(p, 6, 1u << 30), 14224);
}

TEST_F(Decoding, HeaderIsCopied) {
    const RecordImage image = MakeRecordImage(5, 3);
    DecodeRecord(image, *set, 5);
    EXPECT_EQ(set->header.bytes, image.Header().bytes);
    EXPECT_EQ(set->header.DownloadTime(), image.DownloadTime());
}

}  // namespace
}  // namespace qx
