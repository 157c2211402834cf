#include "instrument_catalogue.h"

#include <algorithm>
#include <array>
#include <charconv>

#include "language.h"
#include "text_util.h"

namespace qx {
namespace {

// Record counts the parameter editor offers; the last entry is the model's maximum.
constexpr int kCounts21000[] = {20, 50, 100, 200, 500, 1000, 2000, 5000, 10000, 20000, 21000};
constexpr int kCounts32512[] = {20, 50, 100, 200, 500, 1000, 2000, 5000, 10000, 20000, 32512};
constexpr int kCounts12700[] = {20, 50, 100, 200, 500, 1000, 2000, 5000, 10000, 12700};
constexpr int kCounts14224[] = {20, 50, 100, 200, 500, 1000, 2000, 5000, 10000, 14224};

// Index = InstrumentTypeId; row 0 is the default row for every unknown type.
using G = GasKind;
using P = PressureUnitList;
using L = SampleLayout;
constexpr uint8_t kHum = kEditorHumidity;
constexpr uint8_t kLed = kEditorAlarmLed;
constexpr uint8_t kLedLists = kEditorLedLists;
constexpr const char* kFront = "instrument_front";
constexpr const char* kFrontFlow = "instrument_front_flow";
// clang-format off
const std::array<ModelInfo, kModelCount + 1> kModels = {{
    //  name      mask  rows choices        cyclic local  size magic       cap
    //  sound  gas                counts-local bias-with-clock pressure units
    //  editor groups                          sample layout            picture
    {"",        0x01, 0, {},           false, false, 3, 0x20222324, 21336,
     false, G::kNone,          false, false, P::kNone,
     kHum | kLed | kLedLists,                  L::kPackedTempHumidity,  kFront},
    {"QX420",   0x03, 2, kCounts21000, false, false, 3, 0x20222324, 21336,
     false, G::kNone,          false, false, P::kNone,
     kHum | kLed | kLedLists,                  L::kPackedTempHumidity,  kFront},
    {"QX450",   0x03, 2, kCounts21000, true,  true,  3, 0x20222325, 21378,
     false, G::kNone,          true,  false, P::kNone,
     kHum | kLed,                              L::kPackedTempHumidity,  kFront},
    {"QX430",   0x03, 2, kCounts21000, false, false, 3, 0x20222326, 21336,
     false, G::kNone,          false, false, P::kNone,
     kHum,                                     L::kPackedTempHumidity,  kFront},
    {"QX420B",  0x01, 1, kCounts32512, false, false, 2, 0x20222328, 32512,
     false, G::kNone,          false, false, P::kNone,
     kLed | kLedLists,                         L::kTemperature16,       kFront},
    {"QX440",   0x07, 3, kCounts12700, false, false, 5, 0x2022232A, 12700,
     false, G::kNone,          false, false, P::kStandard,
     kHum,                                     L::kPackedPressure,      kFront},
    {"QX7200",  0x3F, 6, kCounts14224, false, false, 9, 0x2022232C, 14224,
     false, G::kNone,          false, false, P::kFlowMeter,
     kHum | kEditorFlow,                       L::kFlowMeter,           kFrontFlow},
    {"QX390",   0x10, 1, kCounts32512, false, true,  2, 0x2022232E, 32512,
     true,  G::kNone,          false, true,  P::kNone,
     kEditorSoundMeter,                        L::kSound16,             kFront},
    {"QX7000",  0x43, 3, kCounts12700, false, true,  5, 0x20222330, 12700,
     false, G::kCo2,           false, true,  P::kNone,
     kHum,                                     L::kPackedCo2,           kFront},
    {"QX410",   0x10, 1, kCounts32512, false, false, 2, 0x20222332, 32512,
     true,  G::kNone,          false, false, P::kNone,
     kEditorSoundAlarm | kLed | kLedLists,     L::kSound16,             kFront},
    {"QX460",   0x01, 1, kCounts32512, false, false, 2, 0x20222338, 32512,
     false, G::kNone,          false, false, P::kNone,
     kEditorStartDelay | kLed | kLedLists,     L::kTemperature16,       kFront},
    {"QX610",   0x83, 3, kCounts12700, false, true,  5, 0x20222331, 12700,
     false, G::kFormaldehyde,  false, true,  P::kNone,
     kHum,                                     L::kPackedFormaldehyde,  kFront},
}};
// clang-format on

const std::array<ChannelInfo, 8> kChannels = {{
    {TrNoop("温度"), ""},
    {TrNoop("湿度"), "%RH"},
    {TrNoop("气压"), ""},
    {TrNoop("差压"), ""},
    {TrNoop("噪声"), "dB"},
    {TrNoop("流量"), ""},
    {"CO2", "PPM"},
    {TrNoop("甲醛"), "mg/m3"},
}};

// Product string prefixes in the order they are tested: "QX420B" before its prefix "QX420".
struct Prefix {
    const char* text;
    InstrumentTypeId type;
};
constexpr Prefix kPrefixes[] = {
    {"QX420B", kQX420B}, {"QX460", kQX460},   {"QX390", kQX390}, {"QX410", kQX410},
    {"QX420", kQX420},   {"QX450", kQX450},   {"QX430", kQX430}, {"QX440", kQX440},
    {"QX7200", kQX7200}, {"QX7000", kQX7000}, {"QX610", kQX610},
};

constexpr const char* kPressureNamesOther[] = {"mbar", "hPa", "psi"};
constexpr const char* kPressureNamesFlow[] = {"kPa", "psi", "mmHg", "hPa"};
constexpr int kPressureCodesOther[] = {0, 1, 2};
constexpr int kPressureCodesFlow[] = {3, 2, 4, 1};
constexpr int kPressureDecimals[] = {1, 1, 3, 2, 2};  // by conversion code

bool InRange(InstrumentTypeId type) {
    return IsKnownModel(type);
}

}  // namespace

const ChannelInfo& Channel(int bit) {
    return kChannels[static_cast<size_t>(bit & 7)];
}

const ModelInfo& Model(InstrumentTypeId type) {
    return kModels[InRange(type) ? static_cast<size_t>(type) : 0];
}

std::string ModelDisplayName(InstrumentTypeId type) {
    return InRange(type) ? std::string(Model(type).modelName) + "Meter" : std::string();
}

std::string ModelName(InstrumentTypeId type) {
    return InRange(type) ? std::string(Model(type).modelName) : std::string();
}

uint8_t ChannelMask(InstrumentTypeId type) {
    return Model(type).channelMask;
}

int ChannelCount(InstrumentTypeId type) {
    if (type == 0) return 0;
    return InRange(type) ? Model(type).channelCount : 1;
}

std::span<const int> RecordCountChoices(InstrumentTypeId type) {
    return Model(type).recordCountChoices;
}

int MaxRecordCount(InstrumentTypeId type) {
    const auto choices = RecordCountChoices(type);
    return choices.empty() ? 0 : choices.back();
}

bool ClockIsLocal(InstrumentTypeId type) {
    return Model(type).localClock;
}
bool HasCyclicRecording(InstrumentTypeId type) {
    return Model(type).cyclicRecording;
}
int BytesPerSample(InstrumentTypeId type) {
    return Model(type).bytesPerSample;
}

bool IsFamilyProductString(std::string_view product) {
    return product.starts_with("QX");
}

InstrumentTypeId ModelFromProductString(std::string_view product) {
    if (!IsFamilyProductString(product)) return 0;
    for (const Prefix& p : kPrefixes) {
        if (product.starts_with(p.text)) return p.type;
    }
    return 0;
}

InstrumentTypeId ModelFromName(std::string_view name) {
    int number = 0;
    const auto [end, ec] = std::from_chars(name.data(), name.data() + name.size(), number);
    if (ec == std::errc() && end == name.data() + name.size()) {
        return InRange(number) ? number : 0;
    }
    for (InstrumentTypeId t = 1; t <= kModelCount; ++t) {
        if (EqualsIgnoreCase(name, kModels[static_cast<size_t>(t)].modelName)) return t;
    }
    return 0;
}

bool ModelsFromList(std::string_view list, std::vector<InstrumentTypeId>& out) {
    std::vector<InstrumentTypeId> models;
    size_t start = 0;
    while (start <= list.size()) {
        const size_t comma = std::min(list.find(',', start), list.size());
        const InstrumentTypeId t = ModelFromName(Trim(list.substr(start, comma - start)));
        if (t == 0) return false;
        models.push_back(t);
        start = comma + 1;
    }
    out.insert(out.end(), models.begin(), models.end());
    return true;
}

bool IsFahrenheit(uint8_t unitByte) {
    return (unitByte & 0x0F) == 1;
}

const char* TemperatureUnitName(int index) {
    return index == 1 ? "℉" : "℃";
}

PressureUnit PressureUnitOf(uint8_t unitByte, InstrumentTypeId type) {
    const int p = (unitByte >> 4) & 3;
    if (Model(type).pressureUnits == PressureUnitList::kFlowMeter) {
        const int code = kPressureCodesFlow[p];
        return {kPressureNamesFlow[p], code, kPressureDecimals[code]};
    }
    const int code = kPressureCodesOther[p % 3];
    return {kPressureNamesOther[p % 3], code, kPressureDecimals[code]};
}

std::span<const char* const> PressureUnitChoices(InstrumentTypeId type) {
    switch (Model(type).pressureUnits) {
        case PressureUnitList::kFlowMeter:
            return kPressureNamesFlow;
        case PressureUnitList::kStandard:
            return kPressureNamesOther;
        case PressureUnitList::kNone:
            break;
    }
    return {};
}

float ConvertPressure(double hPa, int code) {
    switch (code) {
        case 0:
        case 1:
            return static_cast<float>(hPa);
        case 2:
            return static_cast<float>(hPa / static_cast<double>(68.95f));
        case 3:
            return static_cast<float>(hPa / 10.0);
        case 4:
            return static_cast<float>(hPa * static_cast<double>(0.7500617f));
        default:
            return static_cast<float>(hPa);
    }
}

bool IsPsi(const PressureUnit& unit) {
    return unit.code == 2;
}

const char* FlowUnitName(uint8_t unitByte) {
    return kFlowUnitChoices[(unitByte >> 6) & 1];
}

bool FlowInThousandths(uint8_t unitByte) {
    return (unitByte >> 6) == 0;
}

int LedBlinkIndex(uint8_t code) {
    for (int i = 0; i < static_cast<int>(std::size(kLedBlinkChoices)); ++i) {
        if (kLedBlinkChoices[i].code == code) return i;
    }
    return -1;
}

}  // namespace qx
