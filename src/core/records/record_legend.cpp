#include "record_legend.h"

#include "core/model/language.h"

namespace qx {
namespace {

constexpr LegendLook kLooks[kLegendEntryCount] = {
    {{25, 28, 150}, kPenSolid}, {{255, 128, 0}, kPenSolid}, {{0, 0, 255}, kPenSolid},
    {{0, 128, 0}, kPenSolid},   {{0, 255, 0}, kPenSolid},   {{0, 0, 128}, kPenSolid},
    {{128, 128, 0}, kPenSolid}, {{0, 128, 0}, kPenSolid},   kTemperatureAlarmPens.low,
    kTemperatureAlarmPens.high, kHumidityAlarmPens.low,     kHumidityAlarmPens.high,
    kSoundAlarmPens.low,        kSoundAlarmPens.high,       kGasAlarmPens.low,
};

constexpr const char* kAlarmTexts[] = {TrNoop("低温报警"), TrNoop("高温报警"), TrNoop("低湿报警"),
                                       TrNoop("高湿报警"), TrNoop("低噪报警"), TrNoop("高噪报警"),
                                       TrNoop("CO2报警")};

}  // namespace

const LegendLook& LegendEntryLook(int entry) {
    return kLooks[(entry >= 0 && entry < kLegendEntryCount) ? entry : 0];
}

std::vector<int> LegendEntries(InstrumentTypeId type) {
    std::vector<int> entries;
    if (ChannelCount(type) == 0) return entries;
    if (Model(type).soundOnly) return {5, 12, 13};
    const uint8_t mask = ChannelMask(type);
    if (mask & kChTemperature) entries.push_back(0);
    if (mask & kChHumidity) {
        entries.push_back(1);
        entries.push_back(2);
    }
    if (mask & kChPressure) entries.push_back(3);
    if (mask & kChDiffPressure) entries.push_back(4);
    if (mask & kChSound) entries.push_back(5);
    if (mask & kChFlow) entries.push_back(6);
    const GasKind kind = Model(type).gas;
    const bool gas = (kind == GasKind::kCo2 && (mask & kChCo2)) ||
                     (kind == GasKind::kFormaldehyde && (mask & kChFormaldehyde));
    if (gas) entries.push_back(7);
    if (mask & kChTemperature) {
        entries.push_back(8);
        entries.push_back(9);
    }
    if (mask & kChHumidity) {
        entries.push_back(10);
        entries.push_back(11);
    }
    if (gas) entries.push_back(14);
    return entries;
}

int LegendRowCount(InstrumentTypeId type) {
    switch (ChannelCount(type)) {
        case 2:
            return 7;
        case 3:
            return Model(type).gas != GasKind::kNone ? 9 : 8;
        case 6:
            return 11;
        default:
            return 3;
    }
}

int AlarmLineEntry(int series, int line) {
    if (line != 0 && line != 1) return -1;
    switch (series) {
        case 0:
            return 8 + line;
        case 1:
            return 10 + line;
        case 5:
            return 12 + line;
        case 7:
            return line == 1 ? 14 : -1;
        default:
            return -1;
    }
}

std::string LegendText(int entry, const RecordUnits& units) {
    if (entry >= 0 && entry < kSeriesCount) {
        const char* name = units.names[static_cast<size_t>(entry)];
        return name ? name : "";
    }
    if (entry == kLegendEntryCount - 1 && Model(units.type).gas == GasKind::kFormaldehyde) {
        return Tr("甲醛报警");
    }
    if (entry >= kLegendFirstAlarm && entry < kLegendEntryCount) {
        return Tr(kAlarmTexts[entry - kLegendFirstAlarm]);
    }
    return {};
}

}  // namespace qx
