#include "live_panel_layout.h"

#include <algorithm>

namespace qx {
namespace {

bool IsSoundOnly(InstrumentTypeId type) {
    return Model(type).soundOnly;
}
bool HasGasBox(InstrumentTypeId type) {
    return Model(type).gas != GasKind::kNone;
}

LimitBoxLayout MakeBox(int top, int height) {
    LimitBoxLayout b;
    b.box = {0, top, 81, top + height};
    const int middle = (b.box.top + b.box.bottom) / 2;
    b.upperLeft = {0, b.box.top, 19, middle};
    b.lowerLeft = {0, middle, 19, b.box.bottom};
    b.upperRight = {18, b.box.top, 81, middle};
    b.lowerRight = {18, middle, 81, b.box.bottom};
    return b;
}

PanelRect FullWidthLine(int y) {
    return {0, y, kLivePanelWidth + 1, y + 1};
}

}  // namespace

int LivePanelHeight(InstrumentTypeId type) {
    // The tall panel holds the rows beyond three.
    return LivePanelRows(type) > 3 ? 238 : 139;
}

int LivePanelRows(InstrumentTypeId type) {
    // One row at least: the panel of no instrument or an unknown one shows the temperature.
    return std::max(ChannelCount(type), 1);
}

LivePanelLayout MakeLivePanelLayout(InstrumentTypeId type) {
    LivePanelLayout l;
    const int d = LivePanelRows(type);
    const bool small = d <= 2;  // the large fonts
    const int i = small ? 18 : 11;
    l.height = LivePanelHeight(type);
    l.rows = d;
    l.limitFont = small ? PanelFont::F2 : PanelFont::F1;
    l.valueFont = small ? PanelFont::F3 : PanelFont::F6;
    l.lines.push_back(FullWidthLine(17));

    // Limit boxes.
    const int boxHeight = 2 * i + 16;
    const int firstTop = d == 1 ? 47 : (d == 2 ? 22 : 20);
    l.boxes.push_back(MakeBox(firstTop, boxHeight));
    if (d >= 2) {
        const int below = l.boxes[0].box.bottom;
        l.lines.push_back(FullWidthLine(below + (small ? 3 : 1)));
        l.boxes.push_back(MakeBox(below + (small ? 9 : 3), boxHeight));
    }
    if (HasGasBox(type) && l.boxes.size() == 2) {
        l.boxes.push_back(MakeBox(l.boxes[1].box.bottom + 3, 2 * i + 15));
    }

    // Value rows: rows 0 and 1 span the first two boxes, the others follow below.
    std::vector<PanelRect> rows;
    for (int k = 0; k < d; ++k) {
        if (k < 2) {
            const PanelRect& box = l.boxes[static_cast<size_t>(k)].box;
            rows.push_back({0, box.top, kLivePanelWidth, box.bottom});
        } else {
            const int previous = rows.back().bottom;
            l.lines.push_back(FullWidthLine(previous + 1));
            rows.push_back({0, previous + 3, kLivePanelWidth, previous + 3 + 2 * i + 10});
        }
    }

    const int w = kPanelFonts[static_cast<size_t>(l.valueFont)].width;
    for (int k = 0; k < d; ++k) {
        ValueRowLayout r;
        r.row = rows[static_cast<size_t>(k)];
        r.value.right = 85 + 6 * w + 8;
        r.value.bottom = r.row.bottom;
        r.value.top = r.row.top - (small ? 2 : 4);
        r.value.left = k < 2 ? 85 : 1;
        if (k == 2 && HasGasBox(type)) r.value.top -= 2;
        if (k >= 2 && !HasGasBox(type)) r.value.top -= 6;

        r.unit = {r.value.right + 8, r.row.top + 2, kLivePanelWidth, r.row.bottom + 2};
        if (k == 1 && small) r.unit.top += 9;
        if (k == 5) r.unit.left -= 8;
        r.unitFont = k == 0 ? PanelFont::F4 : PanelFont::F5;
        l.valueRows.push_back(r);
    }
    return l;
}

LivePanelContent MakeLivePanelContent(const LiveStatusTexts& live, InstrumentTypeId type) {
    LivePanelContent c;
    c.layout = MakeLivePanelLayout(type);
    const LivePanelLayout& l = c.layout;
    auto text = [&c](std::string s, PanelRect r, PanelFont f, PanelAlign a) {
        c.texts.push_back({std::move(s), r, f, a});
    };

    // Header: clock on the left, stored-sample count on the right.
    const bool external = HasCyclicRecording(type) && live.external != 0;
    text(external ? live.clock + " EXT" : live.clock, l.header, PanelFont::F1,
         PanelAlign::kLeftTop);
    text(HasCyclicRecording(type) ? live.count : "Rec:" + live.count, l.header, PanelFont::F1,
         PanelAlign::kRightTop);
    if (Model(type).editorGroups & kEditorSoundMeter) {
        text(live.type7ByteA % 2 == 0 ? "FAST" : "SLOW", {2, 20, 2 + 40, 20 + 14}, PanelFont::F1,
             PanelAlign::kAt);
        text(live.type7ByteB % 2 == 0 ? "A" : "C", {236, 20, 236 + 10, 20 + 14}, PanelFont::F1,
             PanelAlign::kAt);
    }

    // Limit boxes.
    auto cell = [&](PanelRect part, std::string s, bool alarm) {
        c.cells.push_back(
            {part, {std::move(s), part, l.limitFont, PanelAlign::kCentreTop2}, alarm});
    };
    auto limitBox = [&](const LimitBoxLayout& b, std::string low, bool lowAlarm, std::string high,
                        bool highAlarm) {
        cell(b.upperLeft, "L", false);
        cell(b.lowerLeft, "H", false);
        cell(b.upperRight, std::move(low), lowAlarm);
        cell(b.lowerRight, std::move(high), highAlarm);
    };
    if (IsSoundOnly(type)) {
        limitBox(l.boxes[0], live.soundLow, live.soundLowAlarm, live.soundHigh,
                 live.soundHighAlarm);
    } else {
        limitBox(l.boxes[0], live.temperatureLow, live.temperatureLowAlarm, live.temperatureHigh,
                 live.temperatureHighAlarm);
    }
    if (l.boxes.size() >= 2) {
        limitBox(l.boxes[1], live.humidityLow, live.humidityLowAlarm, live.humidityHigh,
                 live.humidityHighAlarm);
    }
    if (l.boxes.size() >= 3) {
        const LimitBoxLayout& b = l.boxes[2];
        const bool co2 = Model(type).gas == GasKind::kCo2;
        cell(b.upperLeft, "", false);
        cell(b.upperRight, co2 ? "CO2" : "HCHO", false);
        cell(b.lowerLeft, "H", false);
        cell(b.lowerRight, co2 ? live.co2Limit : live.formaldehydeLimit,
             co2 ? live.co2Alarm : live.formaldehydeAlarm);
    }

    // Values and units.
    const std::string pressureUnit = PressureUnitOf(live.unitByte, type).name;
    const GasKind gas = Model(type).gas;
    for (size_t k = 0; k < l.valueRows.size(); ++k) {
        const ValueRowLayout& r = l.valueRows[k];
        std::string value;
        std::string unit;
        if (IsSoundOnly(type)) {
            value = live.sound;
            unit = "dB";
        } else {
            switch (k) {
                case 0:
                    value = live.temperature;
                    unit = TemperatureUnitName(TemperatureUnitIndex(live.unitByte));
                    break;
                case 1:
                    value = live.humidity;
                    break;
                case 2:
                    value = gas == GasKind::kCo2            ? live.co2
                            : gas == GasKind::kFormaldehyde ? live.formaldehyde
                                                            : live.pressure;
                    unit = gas == GasKind::kCo2            ? "PPM"
                           : gas == GasKind::kFormaldehyde ? "mg/m3"
                                                           : pressureUnit;
                    break;
                case 3:
                    value = live.diffPressure;
                    unit = pressureUnit;
                    break;
                case 4:
                    value = live.sound;
                    unit = "dB";
                    break;
                default:
                    value = live.flow;
                    unit = FlowUnitName(live.unitByte);
                    break;
            }
        }
        text(std::move(value), r.value, l.valueFont, PanelAlign::kRightTop);
        if (k == 1 && !IsSoundOnly(type)) {
            text("RH", r.unit, r.unitFont, PanelAlign::kRightTopInk);
            text("%", r.unit, r.unitFont, PanelAlign::kRightBottom);
        } else {
            text(std::move(unit), r.unit, r.unitFont, PanelAlign::kRightBottom);
        }
    }
    return c;
}

PanelColour LivePanelTextColour(bool connected, bool autoRead) {
    if (!connected) return {100, 120, 60};
    if (!autoRead) return {60, 80, 60};
    return {0, 0, 0};
}

}  // namespace qx
