#include "core/records/record_statistics.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <limits>
#include <memory>
#include <vector>

#include "core/records/record_set.h"
#include "core/records/sample_decoding.h"
#include "core/records/sample_table.h"
#include "core/records/workbook_export.h"
#include "record_fixtures.h"
#include "xlsx_reader.h"

namespace qx {
namespace {

using test::LocalTime;

constexpr uint32_t kStart = 1489151232;  // the fixtures' first sample

// A record of a type whose samples carry the given channel values (one list per channel,
// channel 0 first), one every 60 s; the record limits are the fixtures' (0..40 °C, 20..90 %RH,
// CO2 1000 ppm).
class Stats : public ::testing::Test {
  protected:
    void Load(InstrumentTypeId type, std::initializer_list<std::vector<float>> channels,
              uint8_t unitByte = 0, uint16_t lowCode = 400, uint16_t highCode = 800) {
        const size_t n = channels.begin()->size();
        RecordImage image = test::MakeRecordImage(type, static_cast<uint32_t>(n));
        ParamBlock p = image.Params();
        p.SetU8(param::kUnitByte, unitByte);
        p.SetU16(param::kLowLimit, lowCode);
        p.SetU16(param::kHighLimit, highCode);
        image.SetParams(p);
        DecodeRecord(image, *set, type);
        int channel = 0;
        for (const std::vector<float>& values : channels) {
            for (size_t k = 0; k < n; ++k)
                set->rows[k].SetCh(channel, values[k]);
            channel = channel == 1 ? 6 : channel + 1;  // temperature, humidity, then the gas
        }
        table.Build(*set, window);
    }
    RecordStatistics Compute(const StatisticsSettings& settings = {}) {
        return ComputeRecordStatistics(*set, table, window.condition, settings);
    }

    std::unique_ptr<RecordSet> set = std::make_unique<RecordSet>();
    SampleTable table;
    QueryWindow window;
};

TEST_F(Stats, FiguresOfATemperatureHumidityRecord) {
    // 20.04 shows as 20.0; the dew point of 0 %RH is an empty cell.
    Load(1, {{20.04f, 24.0f, 22.0f, 24.0f}, {50, 0, 60, 40}});
    const RecordStatistics rs = Compute();
    EXPECT_EQ(rs.model, "QX420");
    EXPECT_EQ(rs.interval, 60);
    EXPECT_EQ(rs.samples, 4);
    EXPECT_EQ(rs.first, kStart);
    EXPECT_EQ(rs.last, kStart + 180);
    ASSERT_EQ(rs.series.size(), 3u);

    const SeriesStatistics& t = rs.series[0];
    EXPECT_EQ(t.title, "温度(℃)");
    EXPECT_EQ(t.count, 4);
    EXPECT_EQ(t.missing, 0);
    EXPECT_DOUBLE_EQ(t.min, 20.0);  // the value the list shows
    EXPECT_EQ(t.minTime, kStart);
    EXPECT_DOUBLE_EQ(t.max, 24.0);
    EXPECT_EQ(t.maxTime, kStart + 60);  // the first of two
    EXPECT_DOUBLE_EQ(t.mean, 22.5);
    EXPECT_DOUBLE_EQ(t.stdev, 1.915);  // sqrt(11 / 3)
    ASSERT_TRUE(t.mkt);
    EXPECT_DOUBLE_EQ(*t.mkt, 22.643);

    const SeriesStatistics& dew = rs.series[2];
    EXPECT_EQ(dew.count, 3);
    EXPECT_EQ(dew.missing, 1);
    EXPECT_FALSE(dew.mkt);  // no temperature of stored goods
    EXPECT_FALSE(dew.limits);
    EXPECT_FALSE(rs.series[1].mkt);

    // Extremes met twice: the time of the first.
    Load(4, {{3, 5, 3, 5}});
    EXPECT_EQ(Compute().series[0].minTime, kStart);
    EXPECT_EQ(Compute().series[0].maxTime, kStart + 60);
}

TEST_F(Stats, MeanKineticTemperature) {
    // The accepted default: dH/R = 10,000 K.
    EXPECT_NEAR(kDefaultActivationEnergy * 1000 / kGasConstant, 10000, 1e-9);
    Load(4, {{20, 30}});
    EXPECT_DOUBLE_EQ(*Compute().series[0].mkt, 26.260);  // worked: 10000 K, 20 and 30 °C
    StatisticsSettings doubled;
    doubled.activationEnergy = 2 * kDefaultActivationEnergy;
    EXPECT_DOUBLE_EQ(*Compute(doubled).series[0].mkt, 27.299);

    Load(4, {{-12.5f, -12.5f, -12.5f}});
    const SeriesStatistics constant = Compute().series[0];
    EXPECT_DOUBLE_EQ(*constant.mkt, -12.5);
    EXPECT_DOUBLE_EQ(constant.stdev, 0);

    Load(4, {{5.3f}});
    const SeriesStatistics one = Compute().series[0];
    EXPECT_DOUBLE_EQ(*one.mkt, 5.3);
    EXPECT_DOUBLE_EQ(one.stdev, 0);

    Load(4, {{2.1f, 7.9f, 3.3f, 15.2f, 4.4f, -3.0f}});
    const SeriesStatistics spread = Compute().series[0];
    EXPECT_GE(*spread.mkt, spread.mean);
}

TEST_F(Stats, FahrenheitRecordConvertsForTheFormulaAndBack) {
    Load(4, {{20, 30, 40}}, 1);
    const SeriesStatistics t = Compute().series[0];
    EXPECT_EQ(t.title, "温度(℉)");
    EXPECT_DOUBLE_EQ(t.min, 68.0);
    EXPECT_DOUBLE_EQ(t.max, 104.0);
    EXPECT_DOUBLE_EQ(*t.mkt, 91.591);  // 33.10600 °C
    ASSERT_TRUE(t.limits);
    EXPECT_EQ(t.limits->limits, (SeriesLimits{32.0, 104.0}));  // 0..40 °C
    EXPECT_EQ(t.limits->above.samples, 0);  // 104.0 is at the limit, not above it
}

TEST_F(Stats, ExcursionBoundaries) {
    StatisticsSettings settings;
    settings.limits[0] = SeriesLimits{2.0, 8.0};
    // Above at the start, below alone, above alone, 8.0 and 2.0 inside, below at the end.
    Load(4, {{9, 9.5f, 5, 1, 9, 8, 2, 1, 0.5f}});
    const LimitSummary l = *Compute(settings).series[0].limits;
    EXPECT_TRUE(l.overridden);
    EXPECT_EQ(l.above.samples, 3);
    EXPECT_EQ(l.above.seconds, 180);
    EXPECT_EQ(l.below.samples, 3);
    ASSERT_EQ(l.excursions.size(), 4u);
    const Excursion& first = l.excursions[0];
    EXPECT_EQ(first.side, LimitSide::Above);
    EXPECT_EQ(first.start, kStart);
    EXPECT_EQ(first.end, kStart + 60);
    EXPECT_EQ(first.samples, 2);
    EXPECT_EQ(first.seconds, 120);
    EXPECT_DOUBLE_EQ(first.peak, 9.5);
    EXPECT_EQ(first.peakTime, kStart + 60);
    EXPECT_EQ(l.excursions[1].side, LimitSide::Below);
    EXPECT_EQ(l.excursions[1].samples, 1);
    EXPECT_EQ(l.excursions[1].start, l.excursions[1].end);
    EXPECT_EQ(l.excursions[2].side, LimitSide::Above);
    const Excursion& last = l.excursions[3];
    EXPECT_EQ(last.side, LimitSide::Below);
    EXPECT_EQ(last.end, kStart + 8 * 60);
    EXPECT_DOUBLE_EQ(last.peak, 0.5);
    EXPECT_EQ(l.longest, 0);  // two runs of two samples: the first

    // Straight from one side to the other.
    Load(4, {{9, 1, 9}});
    const LimitSummary alternating = *Compute(settings).series[0].limits;
    ASSERT_EQ(alternating.excursions.size(), 3u);
    EXPECT_EQ(alternating.excursions[1].side, LimitSide::Below);
}

TEST_F(Stats, ExcursionsAreTheSameInEitherTemperatureUnit) {
    // Both limits at one code from -39.9 to +125 °C, samples one code below, at and above it:
    // one sample below and one above, whether the record shows °C or °F.
    std::vector<int> wrong;
    for (uint16_t code = 1; code <= 1650; ++code) {
        for (const uint8_t unit : {0, 1}) {
            RecordImage image = test::MakeRecordImage(4, 3);
            ParamBlock p = image.Params();
            p.SetU8(param::kUnitByte, unit);
            p.SetU16(param::kLowLimit, code);
            p.SetU16(param::kHighLimit, code);
            image.SetParams(p);
            for (uint16_t k = 0; k < 3; ++k)
                test::PutU16(image.Samples() + 2 * k, static_cast<uint16_t>(code - 1 + k));
            DecodeRecord(image, *set, 4);
            table.Build(*set, window);
            const LimitSummary l = *Compute().series[0].limits;
            if (l.below.samples != 1 || l.above.samples != 1 || l.excursions.size() != 2)
                wrong.push_back(code * 10 + unit);
        }
    }
    EXPECT_TRUE(wrong.empty()) << wrong.size() << " codes, the first " << wrong.front() / 10;

    // 2.1 and 8.1 °C are 35.78 and 46.58 °F; samples at them show 35.8 and 46.6: inside.
    Load(4, {{2.1f, 8.1f, 8.2f}}, 1, 421, 481);
    const LimitSummary l = *Compute().series[0].limits;
    EXPECT_EQ(l.limits, (SeriesLimits{35.8, 46.6}));
    EXPECT_EQ(l.below.samples, 0);
    EXPECT_EQ(l.above.samples, 1);
}

TEST_F(Stats, MissingValueEndsAnExcursionAndAddsNoTime) {
    // Dew points of about 9.3 °C above a given high limit of 5; the 0 %RH sample has none.
    StatisticsSettings settings;
    settings.limits[2] = SeriesLimits{std::nullopt, 5.0};
    Load(1, {{20, 20, 20, 20}, {50, 50, 0, 50}});
    const LimitSummary l = *Compute(settings).series[2].limits;
    EXPECT_EQ(l.above.samples, 3);
    EXPECT_EQ(l.above.seconds, 180);
    ASSERT_EQ(l.excursions.size(), 2u);
    EXPECT_EQ(l.excursions[0].samples, 2);
    EXPECT_EQ(l.excursions[0].end, kStart + 60);
    EXPECT_EQ(l.excursions[1].start, kStart + 180);
}

TEST_F(Stats, RecordLimitsLowAboveHighCountBothSides) {
    // Low 30 °C, high 10 °C: 20 °C is outside both; 10 and 30 are at one limit each.
    Load(4, {{10, 20, 30}}, 0, 700, 500);
    const RecordStatistics rs = Compute();
    const LimitSummary& l = *rs.series[0].limits;
    EXPECT_TRUE(l.inverted);
    EXPECT_EQ(l.below.samples, 2);
    EXPECT_EQ(l.above.samples, 2);
    ASSERT_EQ(l.excursions.size(), 2u);
    EXPECT_EQ(l.excursions[0].side, LimitSide::Below);
    EXPECT_EQ(l.excursions[1].start, kStart + 60);
    ASSERT_EQ(StatisticsWarnings(rs).size(), 1u);
    EXPECT_EQ(StatisticsWarnings(rs)[0], "温度(℃):记录的下限 30 高于上限 10,两侧各自统计");
    Load(4, {{10, 20, 30}});
    EXPECT_TRUE(StatisticsWarnings(Compute()).empty());
}

TEST_F(Stats, GivenLimitsWithinTheSeriesRange) {
    Load(5, {{20}, {50}, {1013}}, 1);  // °F, hPa
    const RecordUnits& u = table.Units();
    const auto problem = [&](int series, std::optional<double> low, std::optional<double> high) {
        return LimitProblem({low, high}, series, u, "X");
    };
    EXPECT_EQ(problem(0, -40, 697.1), "");  // -40..369.5 °C
    EXPECT_NE(problem(0, -40.1, std::nullopt), "");
    EXPECT_NE(problem(0, std::nullopt, 697.2), "");
    EXPECT_EQ(problem(1, 0, 100), "");
    EXPECT_NE(problem(1, std::nullopt, 100.1), "");
    EXPECT_NE(problem(1, -0.1, std::nullopt), "");
    EXPECT_NE(problem(3, std::nullopt, 6600), "");
    EXPECT_NE(problem(1, std::nullopt, std::numeric_limits<double>::infinity()), "");
    EXPECT_NE(problem(1, std::nan(""), std::nullopt), "");
    EXPECT_EQ(problem(1, 60, 40), "X的下限高于上限");
}

TEST_F(Stats, NoNegativeZero) {
    EXPECT_FALSE(std::signbit(RoundTo(-0.0004, 3)));
    EXPECT_FALSE(std::signbit(ShownValue(-0.04f, 1)));
    // A mean of -0.0001 rounds to zero.
    std::vector<float> values(1000, 0.0f);
    values[0] = -0.1f;
    Load(4, {values});
    EXPECT_FALSE(std::signbit(Compute().series[0].mean));
}

TEST_F(Stats, EveryOrNoSampleOutside) {
    Load(4, {{41, 45, 50.5f}});  // the record's high limit is 40 °C
    const LimitSummary all = *Compute().series[0].limits;
    EXPECT_FALSE(all.overridden);
    EXPECT_EQ(all.above.seconds, 180);
    ASSERT_EQ(all.excursions.size(), 1u);
    EXPECT_EQ(all.excursions[0].start, kStart);
    EXPECT_EQ(all.excursions[0].end, kStart + 120);
    EXPECT_DOUBLE_EQ(all.excursions[0].peak, 50.5);

    // A window that selects nothing: counts of 0 and no figures.
    window =
        MakeQueryWindow({QueryMode::DateRange, 1, 1, LocalTime(2030, 1, 1), LocalTime(2030, 1, 2)},
                        LocalTime(2030, 6, 1));
    Load(4, {{41, 45, 50.5f}});
    const RecordStatistics none = Compute();
    EXPECT_EQ(none.samples, 0);
    EXPECT_EQ(none.total, 3);
    EXPECT_EQ(none.series[0].count, 0);
    EXPECT_FALSE(none.series[0].mkt);
    EXPECT_TRUE(none.series[0].limits->excursions.empty());
    EXPECT_EQ(none.series[0].limits->longest, -1);
}

TEST_F(Stats, LimitsFollowTheTrendDisplaysAlarmLines) {
    Load(8, {{20}, {50}, {1200}});  // CO2: only the high limit
    RecordStatistics rs = Compute();
    ASSERT_EQ(rs.series.size(), 4u);
    EXPECT_EQ(rs.series[1].limits->limits, (SeriesLimits{20.0, 90.0}));
    EXPECT_FALSE(rs.series[2].limits);
    EXPECT_EQ(rs.series[3].limits->limits, (SeriesLimits{std::nullopt, 1000.0}));
    EXPECT_EQ(rs.series[3].limits->above.samples, 1);
    EXPECT_EQ(FindStatisticsSeries(table, "co2"), 7);
    EXPECT_EQ(FindStatisticsSeries(table, "hcho"), -1);
    EXPECT_EQ(FindStatisticsSeries(table, "露点(℃)"), 2);
    EXPECT_EQ(FindStatisticsSeries(table, "湿度"), 1);
    EXPECT_EQ(FindStatisticsSeries(table, "sound"), -1);
    // Ids and the English names while the texts are Chinese.
    EXPECT_EQ(FindStatisticsSeries(table, "dew"), 2);
    EXPECT_EQ(FindStatisticsSeries(table, "Dew point"), 2);
    EXPECT_EQ(FindStatisticsSeries(table, "dew point(℃)"), 2);
    EXPECT_EQ(FindStatisticsSeries(table, "density"), -1);
    EXPECT_STREQ(rs.series[2].id, "dew");
    Load(6, {{20}, {50}});  // the flow meter
    for (const char* id : {"temp", "hum", "density", "pressure", "diffpressure", "sound", "flow"})
        EXPECT_GE(FindStatisticsSeries(table, id), 0) << id;
    EXPECT_EQ(FindStatisticsSeries(table, "dew"), -1);

    Load(7, {{}});  // the sound-level meter: limits on its one series
    rs = Compute();
    ASSERT_EQ(rs.series.size(), 1u);
    EXPECT_EQ(rs.series[0].series, 5);
    EXPECT_TRUE(rs.series[0].limits);
    EXPECT_FALSE(rs.series[0].mkt);
}

TEST_F(Stats, FiguresAgreeWithTheCellTextsOfEveryModel) {
    for (InstrumentTypeId type = 1; type <= kModelCount; ++type) {
        DecodeRecord(test::MakeRecordImage(type, 500), *set, type);
        table.Build(*set, {});
        const RecordStatistics rs = Compute();
        for (const SeriesStatistics& st : rs.series) {
            int column = 0;
            while (table.Columns()[static_cast<size_t>(column)].series != st.series)
                ++column;
            int count = 0;
            double min = 1e300, max = -1e300, sum = 0;
            for (int r = 0; r < table.RowCount(); ++r) {
                const std::string text(table.Cell(r, column));
                if (text.empty()) continue;
                const double v = std::stod(text);
                ++count;
                min = std::min(min, v);
                max = std::max(max, v);
                sum += v;
            }
            SCOPED_TRACE(ModelName(type) + " " + st.title);
            EXPECT_EQ(st.count, count);
            EXPECT_EQ(st.min, min);
            EXPECT_EQ(st.max, max);
            EXPECT_NEAR(st.mean, sum / count, 0.51 * std::pow(10.0, -(st.decimals + 2)));
        }
    }
}

TEST_F(Stats, WorkbookSheetReadBack) {
    StatisticsSettings settings;
    settings.limits[0] = SeriesLimits{2.0, 8.0};
    Load(1, {{9, 9, 5}, {50, 0, 60}});
    RecordStatistics rs = Compute(settings);
    rs.file = "/data/冷库.QXRec";
    const test::TempPath file(".xlsx");
    ASSERT_TRUE(WriteWorkbook(file.str(), table, {}, &rs));
    EXPECT_NE(test::UnzipPart(file.str(), "xl/workbook.xml").find("name=\"统计\""),
              std::string::npos);
    const auto rows = test::SheetCells(test::UnzipPart(file.str(), "xl/worksheets/sheet3.xml"));
    ASSERT_EQ(rows.size(), 23u);
    EXPECT_EQ(rows[0].at(1).value, "/data/冷库.QXRec");
    EXPECT_EQ(rows[8].at(1).value, "3");  // 记录数
    EXPECT_EQ(rows[12].at(0).value, "温度(℃)");
    EXPECT_DOUBLE_EQ(std::stod(rows[12].at(7).value), 7.667);
    // The minimum 5 of the last sample, the maximum 9 of the first: each time in its column.
    EXPECT_EQ(test::SerialDateTimeText(std::stod(rows[12].at(4).value)), "17-03-10 21:09:12");
    EXPECT_EQ(test::SerialDateTimeText(std::stod(rows[12].at(6).value)), "17-03-10 21:07:12");
    EXPECT_EQ(rows[14].at(2).value, "1");  // the dew point's missing value
    EXPECT_EQ(rows[14].count(9), 0u);      // and no MKT
    EXPECT_EQ(rows[17].at(3).value, "用户");
    EXPECT_EQ(rows[17].at(6).value, "2");
    EXPECT_EQ(rows[21].at(1).value, "高于上限");
    // Times are date-time cells like the sample sheet's, not text.
    EXPECT_FALSE(rows[21].at(2).isText);
    EXPECT_EQ(test::SerialDateTimeText(std::stod(rows[21].at(2).value)), "17-03-10 21:07:12");
    EXPECT_EQ(test::SerialDateTimeText(std::stod(rows[6].at(1).value)), "17-03-10 21:07:12");
    EXPECT_EQ(rows[21].at(5).value, "120");
    EXPECT_EQ(rows[22].at(0).value, "湿度(%RH)");
}

}  // namespace
}  // namespace qx
