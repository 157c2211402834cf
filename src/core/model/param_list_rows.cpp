#include "param_list_rows.h"

#include <array>

namespace qx {
namespace {

using T = ParamText;
const std::array<ParamItem, kParamItemCount> kItems = {{
    {"仪器地址", T::Address},
    {"仪器编号", T::Number},
    {"测量名称", T::Name},
    {"固件版本", T::Firmware},
    {"设置时间", T::SetTime},
    {"设定记录总数", T::RecordCountSetting},
    {"采样间隔", T::Interval},
    {"工作LED闪烁", T::Led},
    {"立即/手动", T::StartMode},
    {"温度报警值", T::TemperatureLimits},
    {"湿度报警值", T::HumidityLimits},
    {"噪声报警值", T::SoundLimits},
    {"CO2报警值", T::Co2Limit},
    {"甲醛报警值", T::FormaldehydeLimit},
    {"报警方式", T::AlarmMode},
    {"采样速度", T::SamplingSpeed},
    {"声级", T::Weighting},
    {"记录开始时间", T::StartTime},
    {"实际记录数", T::StoredCount},
    {"有无温度报警", T::TemperatureAlarms},
    {"有无湿度报警", T::HumidityAlarms},
    {"有无噪声报警", T::SoundAlarms},
    {"有无CO2报警", T::Co2Alarms},
    {"有无甲醛报警", T::FormaldehydeAlarms},
    {"流量计算参数1", T::Flow1},
    {"流量计算参数2", T::Flow2},
    {"流量计算参数3", T::Flow3},
}};

constexpr int kRowsTempHum[] = {0, 1, 2, 4, 5, 6, 7, 8, 9, 10, 14, 17, 18, 19, 20};
constexpr int kRows3And5[] = {0, 1, 2, 4, 5, 6, 8, 9, 10, 17, 18, 19, 20};
constexpr int kRows4[] = {0, 1, 2, 4, 5, 6, 7, 8, 9, 14, 17, 18, 19};
constexpr int kRows6[] = {0, 1, 2, 4, 5, 6, 8, 9, 10, 17, 18, 19, 20, 24, 25, 26};
constexpr int kRows7[] = {0, 1, 2, 4, 5, 6, 8, 11, 15, 16, 17, 18, 21};
constexpr int kRows8[] = {0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 17, 18, 19, 20, 22};
constexpr int kRows9[] = {0, 1, 2, 4, 5, 6, 7, 8, 11, 14, 17, 18, 21};
constexpr int kRows10[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 14, 17, 18, 19};
constexpr int kRows11[] = {0, 1, 2, 4, 5, 6, 8, 9, 10, 13, 17, 18, 19, 20, 23};

}  // namespace

const ParamItem& ParamListItem(int item) {
    return kItems[static_cast<size_t>(item < 0 || item >= kParamItemCount ? 0 : item)];
}

std::span<const int> ParamListItems(InstrumentTypeId type) {
    if (type <= 0) return {};
    switch (type) {
        case 3:
        case 5:
            return kRows3And5;
        case 4:
            return kRows4;
        case 6:
            return kRows6;
        case 7:
            return kRows7;
        case 8:
            return kRows8;
        case 9:
            return kRows9;
        case 10:
            return kRows10;
        case 11:
            return kRows11;
        default:  // 1, 2 and every other number
            return kRowsTempHum;
    }
}

std::vector<ParamListRow> ParamListRows(InstrumentTypeId type, const ParamTexts* texts) {
    std::vector<ParamListRow> rows;
    for (int item : ParamListItems(type)) {
        const ParamItem& it = ParamListItem(item);
        rows.push_back({it.label, texts ? (*texts)[it.text] : std::string()});
    }
    return rows;
}

}  // namespace qx
