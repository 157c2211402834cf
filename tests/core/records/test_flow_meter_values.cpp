// Air density and flow of flow-meter records, worked out by hand across the pressure,
// temperature and humidity range and compared with the list's cell texts to their last digit.
// The flow amplifies the density (g = 1.2 * dp / rho enters squared), so every constant of the
// density formula, the humidity ones included, moves at least one of these texts when it is off
// by 2 %.
#include <gtest/gtest.h>

#include <memory>

#include "core/records/derived_series.h"
#include "core/records/record_set.h"
#include "core/records/sample_decoding.h"
#include "record_fixtures.h"

namespace qx {
namespace {

struct Worked {
    int temperatureRaw;       // (°C + 40) * 10
    int humidityRaw;          // % * 10
    uint16_t pressureRaw;     // hPa * 10
    int16_t differentialRaw;  // / 100
    const char* density;
    const char* flow;
};

// Flow coefficients c1 = 0.5, c2 = -1.2345, c3 = 2.5; flow = c1 g^2 + c2 g + c3.
// Density: P = p * 1000 Pa; x = (6.4147 + 17.438 T / (239.78 + T)) / 100; v = e^x;
// e = v RH / 100; R = 287 / (1 - 0.378 e 100 / P); rho = P / (R (T + 273.15)),
// each step held in single precision; g = 1.2 dp / rho.
constexpr Worked kWorked[] = {
    // 20 °C, 50 %, 1013.3 hPa, dp 1.5: x = 0.0775722, v = 1.0806602, e = 0.5403301,
    // R = 287.0579, rho = 101330 / (287.0579 * 293.15) = 1.2041447;
    // g = 1.8 / 1.2041447 = 1.494837, flow = 0.5 * 2.234537 - 1.2345 * 1.494837 + 2.5 = 1.771892
    {600, 500, 10133, 150, "1.204", "1.772"},
    // -20 °C, 0 %, 1050.0 hPa, dp -2.5: e = 0, R = 287, rho = 105000 / (287 * 253.15)
    // = 1.4452051; g = -3 / 1.4452051 = -2.075830, flow = 2.154535 + 2.562612 + 2.5 = 7.217147
    {200, 0, 10500, -250, "1.445", "7.217"},
    // 60 °C, 100 %, 800.0 hPa, dp 12.34: x = 0.0990486, v = e = 1.1041199, R = 287.1498,
    // rho = 80000 / (287.1498 * 333.15) = 0.8362606; g = 14.808 / 0.8362606 = 17.707399,
    // flow = 0.5 * 313.552 - 1.2345 * 17.707399 + 2.5 = 156.776 - 21.860 + 2.5 = 137.416199
    {1000, 1000, 8000, 1234, "0.836", "137.416"},
    // 35 °C, 90 %, 50.0 hPa, dp 1.5: x = 0.0863586, v = 1.0901972, e = 0.9811775,
    // R = 287 / (1 - 0.378 * 98.11775 / 5000) = 289.1448, rho = 5000 / (289.1448 * 308.15)
    // = 0.0561167; g = 1.8 / 0.0561167 = 32.075987, flow = 514.434 - 39.598 + 2.5 = 477.336670
    {750, 900, 500, 150, "0.056", "477.337"},
    // 0 °C, 409.5 % (the largest code), 10.0 hPa, dp 0.2: x = 0.064147, v = 1.0662491,
    // e = 4.3662901, R = 287 / (1 - 0.378 * 436.62901 / 1000) = 343.7314,
    // rho = 1000 / (343.7314 * 273.15) = 0.0106507; g = 0.24 / 0.0106507 = 22.533658,
    // flow = 253.882 - 27.818 + 2.5 = 228.565063
    {400, 4095, 100, 20, "0.011", "228.565"},
    // 100 °C, 30 %, 300.0 hPa, dp -3: x = 0.1154684, v = 1.1223991, e = 0.3367197,
    // R = 287.1218, rho = 30000 / (287.1218 * 373.15) = 0.2800088; g = -3.6 / 0.2800088
    // = -12.856740, flow = 82.648 + 15.872 + 2.5 = 101.019531
    {1400, 300, 3000, -300, "0.280", "101.020"},
};

TEST(FlowMeterValues, DensityAndFlowToTheLastShownDigit) {
    constexpr uint32_t n = std::size(kWorked);
    RecordImage image = test::MakeRecordImage(6, n);
    ParamBlock p = image.Params();
    p.SetU8(param::kUnitByte, 0);     // kPa, m3/s
    p.SetS16(param::kFlow1, 500);     // c1 = 0.5
    p.SetU16(param::kFlow2, 0xCFC7);  // c2 = 0xFCFC7 - 2^20 = -12345, / 10000
    p.SetU16(param::kFlow3, 2500);    // c3 = 2.5
    p.SetU8(param::kFlowHigh, 0x0F);  // c2's bits 16-19 (negative), c3's none
    image.SetParams(p);
    for (uint32_t k = 0; k < n; ++k) {
        const Worked& w = kWorked[k];
        uint8_t* s = image.Samples() + k * 9;
        test::PutPacked(s, w.temperatureRaw, w.humidityRaw);
        test::PutU16(s + 3, w.pressureRaw);
        test::PutU16(s + 5, static_cast<uint16_t>(w.differentialRaw));
        test::PutU16(s + 7, 0);
    }
    auto set = std::make_unique<RecordSet>();
    DecodeRecord(image, *set, 6);
    const RecordUnits units = RecordUnitsOf(0, 6);
    for (uint32_t k = 0; k < n; ++k) {
        const SeriesValues v = ComputeSeries(set->rows[k], units);
        EXPECT_EQ(CellText(2, v[2], units), kWorked[k].density) << "sample " << k;
        EXPECT_EQ(CellText(6, v[6], units), kWorked[k].flow) << "sample " << k;
    }
}

}  // namespace
}  // namespace qx
