#include "param_list_rows.h"

#include <array>
#include <vector>

#include "language.h"

namespace qx {
namespace {

using T = ParamText;
const std::array<ParamItem, kParamItemCount> kItems = {{
    {TrNoop("仪器地址"), T::Address},
    {TrNoop("仪器编号"), T::Number},
    {TrNoop("测量名称"), T::Name},
    {TrNoop("固件版本"), T::Firmware},
    {TrNoop("设置时间"), T::SetTime},
    {TrNoop("设定记录总数"), T::RecordCountSetting},
    {TrNoop("采样间隔"), T::Interval},
    {TrNoop("工作LED闪烁"), T::Led},
    {TrNoop("立即/手动"), T::StartMode},
    {TrNoop("温度报警值"), T::TemperatureLimits},
    {TrNoop("湿度报警值"), T::HumidityLimits},
    {TrNoop("噪声报警值"), T::SoundLimits},
    {TrNoop("CO2报警值"), T::Co2Limit},
    {TrNoop("甲醛报警值"), T::FormaldehydeLimit},
    {TrNoop("报警方式"), T::AlarmMode},
    {TrNoop("采样速度"), T::SamplingSpeed},
    {TrNoop("声级"), T::Weighting},
    {TrNoop("记录开始时间"), T::StartTime},
    {TrNoop("实际记录数"), T::StoredCount},
    {TrNoop("有无温度报警"), T::TemperatureAlarms},
    {TrNoop("有无湿度报警"), T::HumidityAlarms},
    {TrNoop("有无噪声报警"), T::SoundAlarms},
    {TrNoop("有无CO2报警"), T::Co2Alarms},
    {TrNoop("有无甲醛报警"), T::FormaldehydeAlarms},
    {TrNoop("流量计算参数1"), T::Flow1},
    {TrNoop("流量计算参数2"), T::Flow2},
    {TrNoop("流量计算参数3"), T::Flow3},
}};

// The items of a catalogue row in list order; item numbers index kItems.
std::vector<int> ItemsOf(const ModelInfo& m) {
    const bool led = m.editorGroups & kEditorAlarmLed;
    const bool humidity = m.editorGroups & kEditorHumidity;
    const bool co2 = m.gas == GasKind::kCo2;
    const bool formaldehyde = m.gas == GasKind::kFormaldehyde;
    std::vector<int> items = {0, 1, 2};
    if (m.editorGroups & kEditorStartDelay) items.push_back(3);  // firmware
    items.insert(items.end(), {4, 5, 6});
    if (led) items.push_back(7);
    items.push_back(8);
    if (m.soundOnly) {
        items.push_back(11);
    } else {
        items.push_back(9);
        if (humidity) items.push_back(10);
    }
    if (co2) items.push_back(12);
    if (formaldehyde) items.push_back(13);
    if (led) items.push_back(14);
    if (m.editorGroups & kEditorSoundMeter) items.insert(items.end(), {15, 16});
    items.insert(items.end(), {17, 18});
    if (m.soundOnly) {
        items.push_back(21);
    } else {
        items.push_back(19);
        if (humidity) items.push_back(20);
    }
    if (co2) items.push_back(22);
    if (formaldehyde) items.push_back(23);
    if (m.editorGroups & kEditorFlow) items.insert(items.end(), {24, 25, 26});
    return items;
}

}  // namespace

const ParamItem& ParamListItem(int item) {
    return kItems[static_cast<size_t>(item < 0 || item >= kParamItemCount ? 0 : item)];
}

std::span<const int> ParamListItems(InstrumentTypeId type) {
    if (IsNoInstrument(type)) return {};
    // Built once per catalogue row; an unknown type lists the default row's items.
    static const std::array<std::vector<int>, kModelCount + 1> kRows = [] {
        std::array<std::vector<int>, kModelCount + 1> rows;
        for (InstrumentTypeId t = 0; t <= kModelCount; ++t)
            rows[static_cast<size_t>(t)] = ItemsOf(Model(t));
        return rows;
    }();
    return kRows[static_cast<size_t>(IsKnownModel(type) ? type : kNoModel)];
}

std::vector<ParamListRow> ParamListRows(InstrumentTypeId type, const ParamTexts* texts) {
    std::vector<ParamListRow> rows;
    for (int item : ParamListItems(type)) {
        const ParamItem& it = ParamListItem(item);
        rows.push_back({Tr(it.label), texts ? (*texts)[it.text] : std::string()});
    }
    return rows;
}

}  // namespace qx
