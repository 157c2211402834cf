#include "derived_series.h"

#include <algorithm>
#include <cmath>

#include "number_text.h"
#include "record_set.h"
#include "sample_decoding.h"

namespace qx {
namespace {

constexpr int kSeriesTempHum[] = {0, 1, 2};
constexpr int kSeriesTemp[] = {0};
constexpr int kSeriesPressure[] = {0, 1, 2, 3};
constexpr int kSeriesFlow[] = {0, 1, 2, 3, 4, 5, 6};
constexpr int kSeriesSound[] = {5};
constexpr int kSeriesGas[] = {0, 1, 2, 7};

constexpr uint8_t kSixChannels = 0x3F;

}  // namespace

std::span<const int> SeriesList(InstrumentTypeId type) {
    // The masks of the catalogue give exactly these lists.
    switch (ChannelMask(type)) {
        case 0x03:
            return kSeriesTempHum;
        case 0x07:
            return kSeriesPressure;
        case 0x3F:
            return kSeriesFlow;
        case 0x10:
            return kSeriesSound;
        case 0x43:
        case 0x83:
            return kSeriesGas;
        default:
            return kSeriesTemp;
    }
}

RecordUnits RecordUnitsOf(uint8_t unitByte, InstrumentTypeId type) {
    RecordUnits u;
    u.type = type;
    u.mask = ChannelMask(type);
    u.temperatureUnit = TemperatureUnitIndex(unitByte);
    u.pressure = PressureUnitOf(unitByte, type);
    u.flowUnit = FlowUnitName(unitByte);
    const char* temp = TemperatureUnitName(u.temperatureUnit);
    // The flow meter shows the air density where the others show the dew point.
    const bool flowMeter = u.mask & kChFlow;
    const bool formaldehyde = Model(type).gas == GasKind::kFormaldehyde;
    u.nameKeys = {TrNoop("温度"),
                  TrNoop("湿度"),
                  flowMeter ? TrNoop("空气密度") : TrNoop("露点"),
                  TrNoop("气压"),
                  TrNoop("差压"),
                  TrNoop("噪声"),
                  TrNoop("流量"),
                  formaldehyde ? TrNoop("甲醛") : "CO2"};
    for (size_t s = 0; s < u.names.size(); ++s)
        u.names[s] = Tr(u.nameKeys[s]);
    u.ids = {"temp",  "hum",  flowMeter ? "density" : "dew", "pressure", "diffpressure",
             "sound", "flow", formaldehyde ? "hcho" : "co2"};
    // CO2 in "PPM" as the instrument writes it; English writes the unit "ppm".
    u.units = {
        temp, "%RH",      flowMeter ? "kg/m3" : temp,        u.pressure.name, u.pressure.name,
        "dB", u.flowUnit, formaldehyde ? "mg/m3" : Tr("PPM")};
    return u;
}

float DewPoint(float temperature, float humidity) {
    const double t = temperature;
    const float a = static_cast<float>(std::log10(static_cast<double>(humidity)) - 2 +
                                       7.5 * t / (237.3 + t) + 0.66077);
    return static_cast<float>(237.3 * (a - 0.66077) / (8.16077 - a));
}

SeriesValues ComputeSeries(const SampleRow& row, const RecordUnits& u) {
    SeriesValues s{};
    const bool flowMeter = (u.mask & kSixChannels) == kSixChannels;
    bool dewPoint = false;
    if (u.mask & kChTemperature) s[0] = row.Ch(0);
    if (u.mask & kChHumidity) s[1] = row.Ch(1);
    if (!flowMeter && (u.mask & kChHumidity)) {
        s[2] = DewPoint(row.Ch(0), row.Ch(1));
        dewPoint = true;
    }
    if (u.temperatureUnit == 1) {
        if (u.mask & kChTemperature) s[0] = static_cast<float>(CelsiusToFahrenheit(s[0]));
        if (dewPoint) s[2] = static_cast<float>(CelsiusToFahrenheit(s[2]));
    }
    if (u.mask & kChPressure) s[3] = ConvertPressure(row.Ch(2), u.pressure.code);
    if (u.mask & (kChCo2 | kChFormaldehyde)) s[7] = row.Ch(6);
    if (flowMeter) {
        s[4] = ConvertPressure(static_cast<double>(row.Ch(3)) * 10, u.pressure.code);
        s[5] = row.Ch(4);
        s[6] = row.Ch(5);
        s[2] = AirDensity(static_cast<float>(row.Ch(2) / 10.0), row.Ch(0), row.Ch(1));
    } else if (u.mask & kChSound) {
        s[5] = row.Ch(4);
    }
    return s;
}

AlarmLimits AlarmLimitsOf(const ParamBlock& b, InstrumentTypeId type) {
    AlarmLimits a;
    if (!Model(type).soundOnly) {
        const TemperatureLimits t = TemperatureLimitsOf(b);
        a.temperatureLow = t.low;
        a.temperatureHigh = t.high;
        a.humidityLow = b.U16(param::kLowHumidityLimit) / 10.0;
        a.humidityHigh = b.U16(param::kHighHumidityLimit) / 10.0;
    } else {
        a.soundLow = b.U16(param::kLowLimit) / 10.0;
        a.soundHigh = b.U16(param::kHighLimit) / 10.0;
    }
    if (Model(type).gas == GasKind::kCo2) a.gasHigh = b.U16(param::kGasLimit);
    if (Model(type).gas == GasKind::kFormaldehyde) a.gasHigh = b.U16(param::kGasLimit) / 100.0;
    return a;
}

std::optional<SeriesLimits> AlarmLinesOf(const AlarmLimits& a, InstrumentTypeId type, int series) {
    if (Model(type).soundOnly) {
        if (series == 5) return SeriesLimits{a.soundLow, a.soundHigh};
        return std::nullopt;
    }
    if (series == 0) return SeriesLimits{a.temperatureLow, a.temperatureHigh};
    if (series == 1 && std::max(ChannelCount(type), 1) > 1) {
        return SeriesLimits{a.humidityLow, a.humidityHigh};
    }
    if (series == 7 && Model(type).gas != GasKind::kNone)
        return SeriesLimits{std::nullopt, a.gasHigh};
    return std::nullopt;
}

std::string SeriesTitle(int series, const RecordUnits& u) {
    const size_t s = static_cast<size_t>(series & 7);
    return std::string(u.names[s]) + "(" + u.units[s] + ")";
}

void AppendCellText(std::string& out, int series, float value, const RecordUnits& u) {
    if (!std::isfinite(value)) return;
    const double v = value;
    const bool flowMeter = u.mask & kChFlow;
    if ((series == 3 && (u.mask & kChPressure)) || (series == 4 && flowMeter)) {
        AppendFixed(out, v, u.pressure.decimals);
    } else if ((series == 2 || series == 6) && flowMeter) {
        AppendFixed(out, v, 3);
    } else if (series == 7 && (u.mask & kChCo2)) {
        AppendGeneral(out, v);
    } else if (series == 7 && (u.mask & kChFormaldehyde)) {
        AppendFixed(out, v, 2);
    } else {
        AppendFixed(out, v, 1);
    }
}

int CellDecimals(int series, const RecordUnits& u) {
    const bool flowMeter = u.mask & kChFlow;
    if ((series == 3 && (u.mask & kChPressure)) || (series == 4 && flowMeter)) {
        return u.pressure.decimals;
    }
    if ((series == 2 || series == 6) && flowMeter) return 3;
    if (series == 7 && (u.mask & kChCo2)) return 0;
    if (series == 7 && (u.mask & kChFormaldehyde)) return 2;
    return 1;
}

std::string CellText(int series, float value, const RecordUnits& units) {
    std::string s;
    AppendCellText(s, series, value, units);
    return s;
}

}  // namespace qx
