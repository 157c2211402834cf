#include "core/records/derived_series.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "core/records/record_set.h"

namespace qx {
namespace {

SampleRow Row(float t, float rh, float p = 0, float dp = 0, float sound = 0, float flow = 0,
              float gas = 0) {
    SampleRow r;
    r.SetCh(0, t);
    r.SetCh(1, rh);
    r.SetCh(2, p);
    r.SetCh(3, dp);
    r.SetCh(4, sound);
    r.SetCh(5, flow);
    r.SetCh(6, gas);
    return r;
}

// Cell text of series s of a row for a type and unit byte.
std::string Text(InstrumentTypeId type, uint8_t unitByte, const SampleRow& row, int s) {
    const RecordUnits u = RecordUnitsOf(unitByte, type);
    return CellText(s, ComputeSeries(row, u)[static_cast<size_t>(s)], u);
}

TEST(Series, ListsPerType) {
    const std::vector<std::vector<int>> lists = {
        {0}, {0, 1, 2},    {0, 1, 2}, {0, 1, 2}, {0},         {0, 1, 2, 3}, {0, 1, 2, 3, 4, 5, 6},
        {5}, {0, 1, 2, 7}, {5},       {0},       {0, 1, 2, 7}};
    for (InstrumentTypeId t = 0; t <= 11; ++t) {
        const auto l = SeriesList(t);
        EXPECT_EQ(std::vector<int>(l.begin(), l.end()), lists[static_cast<size_t>(t)]) << t;
    }
}

TEST(Series, DewPointInBothTemperatureUnits) {
    const SampleRow r = Row(20, 50);
    EXPECT_NEAR(DewPoint(20, 50), 9.27, 0.005);
    EXPECT_EQ(Text(1, 0x00, r, 2), "9.3");
    EXPECT_EQ(Text(1, 0x01, r, 0), "68.0");
    EXPECT_EQ(Text(1, 0x01, r, 2), "48.7");
    EXPECT_EQ(Text(1, 0x11, r, 1), "50.0");  // only the low nibble selects Fahrenheit
    EXPECT_NEAR(DewPoint(23.4f, 100), 23.4f, 1e-4);
}

TEST(Series, UndefinedDewPointGivesAnEmptyCell) {
    EXPECT_FALSE(std::isfinite(DewPoint(20, 0)));
    EXPECT_EQ(Text(1, 0, Row(20, 0), 2), "");
    EXPECT_EQ(Text(1, 1, Row(20, 0), 2), "");
    EXPECT_EQ(Text(8, 0, Row(20, -1), 2), "");
    EXPECT_EQ(Text(1, 0, Row(20, 0), 0), "20.0");
    const RecordUnits u = RecordUnitsOf(0, 1);
    EXPECT_EQ(CellText(0, INFINITY, u), "");
    EXPECT_EQ(CellText(7, NAN, RecordUnitsOf(0, 8)), "");
}

TEST(Series, PressureUnits) {
    const SampleRow r = Row(20, 50, 1000);
    EXPECT_EQ(Text(5, 0x00, r, 3), "1000.0");  // mbar
    EXPECT_EQ(Text(5, 0x10, r, 3), "1000.0");  // hPa
    EXPECT_EQ(Text(5, 0x20, r, 3), "14.503");  // psi
    EXPECT_EQ(Text(5, 0x30, r, 3), "1000.0");  // index 3 wraps to mbar
    EXPECT_STREQ(RecordUnitsOf(0x30, 5).pressure.name, "mbar");
    EXPECT_EQ(Text(6, 0x00, r, 3), "100.00");  // kPa
    EXPECT_EQ(Text(6, 0x10, r, 3), "14.503");  // psi
    EXPECT_EQ(Text(6, 0x20, r, 3), "750.06");  // mmHg
    EXPECT_EQ(Text(6, 0x30, r, 3), "1000.0");  // hPa
    EXPECT_STREQ(RecordUnitsOf(0x30, 6).pressure.name, "hPa");
}

TEST(Series, FlowMeterSeries) {
    const SampleRow r = Row(20, 50, 1013.25f, 1.5f, 66.6f, 1.49481f);
    EXPECT_EQ(Text(6, 0x00, r, 4), "1.50");   // kPa
    EXPECT_EQ(Text(6, 0x30, r, 4), "15.0");   // hPa
    EXPECT_EQ(Text(6, 0x00, r, 2), "1.204");  // air density
    EXPECT_EQ(Text(6, 0x00, r, 5), "66.6");
    EXPECT_EQ(Text(6, 0x00, r, 6), "1.495");
    // Fahrenheit converts the temperature only; the density uses °C.
    EXPECT_EQ(Text(6, 0x01, r, 0), "68.0");
    EXPECT_EQ(Text(6, 0x01, r, 2), "1.204");
    EXPECT_EQ(Text(6, 0x00, Row(0, 0, 1013.25f), 2), "1.293");
    EXPECT_EQ(Text(6, 0x00, Row(25, 80, 1000), 2), "1.168");
    EXPECT_EQ(Text(6, 0x00, Row(25, 80, 0), 2), "0.000");
}

TEST(Series, GasAndSound) {
    EXPECT_EQ(Text(8, 0, Row(20, 50, 0, 0, 0, 0, 450), 7), "450");
    EXPECT_EQ(Text(8, 0, Row(20, 50, 0, 0, 0, 0, 1234.5f), 7), "1234.5");
    EXPECT_EQ(Text(11, 0, Row(20, 50, 0, 0, 0, 0, 0.08f), 7), "0.08");
    EXPECT_EQ(Text(7, 0x01, Row(20, 50, 0, 0, 66.6f), 5), "66.6");
    // Series a type does not have stay 0, whatever the row's other channels hold.
    const SeriesValues v = ComputeSeries(Row(20, 50, 1000, 1, 66.6f, 3, 450), RecordUnitsOf(1, 7));
    EXPECT_EQ(v, (SeriesValues{0, 0, 0, 0, 0, 66.6f, 0, 0}));
}

TEST(Series, TitlesFollowTypeAndUnits) {
    EXPECT_EQ(SeriesTitle(7, RecordUnitsOf(0, 11)), "甲醛(mg/m3)");
    EXPECT_EQ(SeriesTitle(7, RecordUnitsOf(0, 8)), "CO2(PPM)");
    EXPECT_EQ(SeriesTitle(2, RecordUnitsOf(0, 6)), "空气密度(kg/m3)");
    EXPECT_EQ(SeriesTitle(2, RecordUnitsOf(0, 1)), "露点(℃)");
    EXPECT_EQ(SeriesTitle(2, RecordUnitsOf(1, 5)), "露点(℉)");
    EXPECT_EQ(SeriesTitle(0, RecordUnitsOf(1, 5)), "温度(℉)");
    EXPECT_EQ(SeriesTitle(3, RecordUnitsOf(0x20, 5)), "气压(psi)");
    EXPECT_EQ(SeriesTitle(6, RecordUnitsOf(0x40, 6)), "流量(l/s)");
    EXPECT_EQ(SeriesTitle(6, RecordUnitsOf(0x00, 6)), "流量(m3/s)");
    EXPECT_EQ(SeriesTitle(5, RecordUnitsOf(0, 9)), "噪声(dB)");
    EXPECT_EQ(SeriesTitle(1, RecordUnitsOf(0, 1)), "湿度(%RH)");
}

TEST(Series, AlarmLimitsInDisplayUnits) {
    ParamBlock b;
    b.SetU16(param::kLowLimit, 0);
    b.SetU16(param::kHighLimit, 1000);
    b.SetU16(param::kLowHumidityLimit, 200);
    b.SetU16(param::kHighHumidityLimit, 800);
    AlarmLimits a = AlarmLimitsOf(b, 1);
    EXPECT_DOUBLE_EQ(a.temperatureLow, -40);
    EXPECT_DOUBLE_EQ(a.temperatureHigh, 60);
    EXPECT_DOUBLE_EQ(a.humidityLow, 20);
    EXPECT_DOUBLE_EQ(a.humidityHigh, 80);
    b.SetU8(param::kUnitByte, 1);
    a = AlarmLimitsOf(b, 1);
    EXPECT_NEAR(a.temperatureLow, -40, 1e-5);
    EXPECT_NEAR(a.temperatureHigh, 140, 1e-4);
    a = AlarmLimitsOf(b, 9);  // sound level in the temperature fields
    EXPECT_DOUBLE_EQ(a.soundLow, 0);
    EXPECT_DOUBLE_EQ(a.soundHigh, 100);
    b.SetU16(param::kGasLimit, 1000);
    EXPECT_DOUBLE_EQ(AlarmLimitsOf(b, 8).gasHigh, 1000);
    b.SetU16(param::kGasLimit, 8);
    EXPECT_DOUBLE_EQ(AlarmLimitsOf(b, 11).gasHigh, 0.08);
    EXPECT_DOUBLE_EQ(AlarmLimitsOf(b, 11).gasLow, 0);
}

}  // namespace
}  // namespace qx
