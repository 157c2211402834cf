#include "record_legend.h"

#include "core/model/language.h"

namespace qx {
namespace {

constexpr LegendLook kLooks[kLegendEntryCount] = {
    {{25, 28, 150}, kPenSolid}, {{255, 128, 0}, kPenSolid}, {{0, 0, 255}, kPenSolid},
    {{0, 128, 0}, kPenSolid},   {{192, 0, 192}, kPenSolid}, {{0, 160, 160}, kPenSolid},
    {{128, 128, 0}, kPenSolid}, {{220, 0, 0}, kPenSolid},   kTemperatureAlarmPens.low,
    kTemperatureAlarmPens.high, kHumidityAlarmPens.low,     kHumidityAlarmPens.high,
    kSoundAlarmPens.low,        kSoundAlarmPens.high,       kGasAlarmPens.low,
};
// The flow meter's air density, drawn where the others draw the dew point.
constexpr LegendLook kAirDensityLook{{160, 82, 45}, kPenSolid};

// Picked for the largest least colour difference (CIELAB) among candidates whose contrast is
// at least 3 against black and 2 against white.
constexpr LegendRgb kPaletteColours[kPaletteSize] = {
    {31, 119, 180},  {255, 127, 14},  {44, 160, 44},   {214, 39, 40},  {148, 103, 189},
    {140, 86, 75},   {227, 119, 194}, {127, 127, 127}, {188, 189, 34}, {23, 190, 207},
    {102, 0, 255},   {255, 0, 230},   {0, 102, 255},   {255, 0, 128},  {153, 107, 0},
    {0, 115, 80},    {255, 157, 115}, {134, 48, 191},  {92, 115, 0},   {191, 0, 153},
    {255, 115, 143}, {0, 191, 134},   {241, 115, 255}, {64, 140, 255}};

constexpr std::array<LegendLook, kPaletteSize> MakePalette() {
    constexpr int kPens[] = {kPenSolid, kPenDash, kPenDot, kPenDashDot, kPenDashDotDot};
    std::array<LegendLook, kPaletteSize> looks{};
    for (int i = 0; i < kPaletteSize; ++i)
        looks[static_cast<size_t>(i)] = {kPaletteColours[i], kPens[i % 5]};
    return looks;
}
constexpr std::array<LegendLook, kPaletteSize> kPalette = MakePalette();

constexpr const char* kAlarmTexts[] = {TrNoop("低温报警"), TrNoop("高温报警"), TrNoop("低湿报警"),
                                       TrNoop("高湿报警"), TrNoop("低噪报警"), TrNoop("高噪报警"),
                                       TrNoop("CO2报警")};

}  // namespace

const LegendLook& LegendEntryLook(int entry, InstrumentTypeId type) {
    if (entry == 2 && (ChannelMask(type) & kChFlow)) return kAirDensityLook;
    return kLooks[(entry >= 0 && entry < kLegendEntryCount) ? entry : 0];
}

const LegendLook& PaletteLook(int index) {
    const int i = index % kPaletteSize;
    return kPalette[static_cast<size_t>(i < 0 ? i + kPaletteSize : i)];
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
