// Geometry and content of the live value panel, computed without painting.
#include <gtest/gtest.h>

#include <algorithm>

#include "core/model/live_panel_layout.h"

namespace qx {
namespace {

const PanelText* FindText(const LivePanelContent& c, const std::string& text) {
    for (const PanelText& t : c.texts) {
        if (t.text == text) return &t;
    }
    return nullptr;
}

TEST(LivePanelLayout, TwoRowModelsUseTheLargeFonts) {
    const LivePanelLayout l = MakeLivePanelLayout(1);
    EXPECT_EQ(l.height, 139);
    EXPECT_EQ(l.rows, 2);
    EXPECT_EQ(l.limitFont, PanelFont::F2);
    EXPECT_EQ(l.valueFont, PanelFont::F3);
    ASSERT_EQ(l.boxes.size(), 2u);
    EXPECT_EQ(l.boxes[0].box, (PanelRect{0, 22, 81, 74}));
    EXPECT_EQ(l.boxes[1].box, (PanelRect{0, 83, 81, 135}));
    // Split at the vertical middle and at x = 19, the right parts from x = 18.
    EXPECT_EQ(l.boxes[0].upperLeft, (PanelRect{0, 22, 19, 48}));
    EXPECT_EQ(l.boxes[0].lowerLeft, (PanelRect{0, 48, 19, 74}));
    EXPECT_EQ(l.boxes[0].upperRight, (PanelRect{18, 22, 81, 48}));
    EXPECT_EQ(l.boxes[0].lowerRight, (PanelRect{18, 48, 81, 74}));
    // Header line, and the line 3 pixels below the first box.
    EXPECT_EQ(l.lines, (std::vector<PanelRect>{{0, 17, 249, 18}, {0, 77, 249, 78}}));
    ASSERT_EQ(l.valueRows.size(), 2u);
    EXPECT_EQ(l.valueRows[0].value, (PanelRect{85, 20, 213, 74}));
    EXPECT_EQ(l.valueRows[1].value, (PanelRect{85, 81, 213, 135}));
    EXPECT_EQ(l.valueRows[0].unit, (PanelRect{221, 24, 248, 76}));
    EXPECT_EQ(l.valueRows[0].unitFont, PanelFont::F4);
    // The humidity unit rectangle starts 9 pixels lower for the two-row models.
    EXPECT_EQ(l.valueRows[1].unit, (PanelRect{221, 94, 248, 137}));
    EXPECT_EQ(l.valueRows[1].unitFont, PanelFont::F5);
}

TEST(LivePanelLayout, OneRowModelsCentreTheirBox) {
    for (InstrumentTypeId t : {0, 4, 7, 9, 10, 12}) {
        const LivePanelLayout l = MakeLivePanelLayout(t);
        EXPECT_EQ(l.rows, 1) << t;
        ASSERT_EQ(l.boxes.size(), 1u) << t;
        EXPECT_EQ(l.boxes[0].box, (PanelRect{0, 47, 81, 99})) << t;
        EXPECT_EQ(l.lines.size(), 1u) << t;  // the header line only
        EXPECT_EQ(l.valueRows[0].value, (PanelRect{85, 45, 213, 99})) << t;
    }
}

TEST(LivePanelLayout, ThreeRowModelsAndTheGasBox) {
    const LivePanelLayout co2 = MakeLivePanelLayout(8);
    EXPECT_EQ(co2.rows, 3);
    EXPECT_EQ(co2.limitFont, PanelFont::F1);
    EXPECT_EQ(co2.valueFont, PanelFont::F6);
    ASSERT_EQ(co2.boxes.size(), 3u);
    EXPECT_EQ(co2.boxes[0].box, (PanelRect{0, 20, 81, 58}));
    EXPECT_EQ(co2.boxes[1].box, (PanelRect{0, 61, 81, 99}));
    EXPECT_EQ(co2.boxes[2].box, (PanelRect{0, 102, 81, 139}));
    // Lines: header, 1 pixel below the first box, 1 pixel below row 1.
    EXPECT_EQ(co2.lines,
              (std::vector<PanelRect>{{0, 17, 249, 18}, {0, 59, 249, 60}, {0, 100, 249, 101}}));
    EXPECT_EQ(co2.valueRows[2].row, (PanelRect{0, 102, 248, 134}));
    // Row 2 moves up 2 more pixels for the gas models, 6 more for the others.
    EXPECT_EQ(co2.valueRows[2].value, (PanelRect{1, 96, 189, 134}));
    EXPECT_EQ(co2.valueRows[0].value, (PanelRect{85, 16, 189, 58}));
    EXPECT_EQ(co2.valueRows[1].unit.top, 63);  // no 9-pixel shift for three rows

    const LivePanelLayout pressure = MakeLivePanelLayout(5);
    EXPECT_EQ(pressure.boxes.size(), 2u);
    EXPECT_EQ(pressure.valueRows[2].value, (PanelRect{1, 92, 189, 134}));
}

TEST(LivePanelLayout, FlowMeterHasSixRowsOnATallCanvas) {
    const LivePanelLayout l = MakeLivePanelLayout(6);
    EXPECT_EQ(l.height, 238);
    ASSERT_EQ(l.valueRows.size(), 6u);
    const int tops[] = {20, 61, 102, 137, 172, 207};
    for (size_t k = 0; k < 6; ++k)
        EXPECT_EQ(l.valueRows[k].row.top, tops[k]) << k;
    EXPECT_EQ(l.valueRows[5].row.bottom, 239);  // one past the canvas: clipped
    EXPECT_EQ(l.valueRows[3].value, (PanelRect{1, 127, 189, 169}));
    // The flow unit's rectangle starts 8 pixels further left.
    EXPECT_EQ(l.valueRows[5].unit.left, 189);
    EXPECT_EQ(l.valueRows[4].unit.left, 197);
    EXPECT_EQ(l.lines.size(), 6u);
}

TEST(LivePanelContent, HeaderAndCount) {
    LiveStatusTexts live;
    live.clock = "2017-03-10 13:07:12";
    live.count = "3:17";
    live.external = 1;
    LivePanelContent c = MakeLivePanelContent(live, 2);
    ASSERT_GE(c.texts.size(), 2u);
    EXPECT_EQ(c.texts[0].text, "2017-03-10 13:07:12 EXT");
    EXPECT_EQ(c.texts[0].align, PanelAlign::kLeftTop);
    EXPECT_EQ(c.texts[1].text, "3:17");  // model 2: no "Rec:"
    EXPECT_EQ(c.texts[1].align, PanelAlign::kRightTop);

    live.count = "120";
    c = MakeLivePanelContent(live, 1);  // the external flag means nothing to other models
    EXPECT_EQ(c.texts[0].text, "2017-03-10 13:07:12");
    EXPECT_EQ(c.texts[1].text, "Rec:120");
}

TEST(LivePanelContent, LimitCellsCarryTheAlarmFlags) {
    LiveStatusTexts live;
    live.temperatureLow = "0";
    live.temperatureHigh = "25";
    live.temperatureHighAlarm = true;
    live.humidityLow = "10";
    live.humidityHigh = "95";
    live.humidityLowAlarm = true;
    const LivePanelContent c = MakeLivePanelContent(live, 1);
    ASSERT_EQ(c.cells.size(), 8u);
    EXPECT_EQ(c.cells[0].text.text, "L");
    EXPECT_EQ(c.cells[1].text.text, "H");
    EXPECT_EQ(c.cells[2].text.text, "0");
    EXPECT_FALSE(c.cells[2].alarm);
    EXPECT_EQ(c.cells[3].text.text, "25");
    EXPECT_TRUE(c.cells[3].alarm);
    EXPECT_EQ(c.cells[3].part, c.layout.boxes[0].lowerRight);
    EXPECT_TRUE(c.cells[6].alarm);  // humidity low
    EXPECT_EQ(c.cells[6].text.text, "10");
    EXPECT_EQ(c.cells[6].text.font, PanelFont::F2);
    EXPECT_EQ(c.cells[6].text.align, PanelAlign::kCentreTop2);

    const PanelText* rh = FindText(c, "RH");
    const PanelText* percent = FindText(c, "%");
    ASSERT_TRUE(rh && percent);
    EXPECT_EQ(rh->align, PanelAlign::kRightTopInk);
    EXPECT_EQ(percent->align, PanelAlign::kRightBottom);
}

TEST(LivePanelContent, SoundMetersShowSoundLimitsAndMarks) {
    LiveStatusTexts live;
    live.temperatureLow = "-39";
    live.sound = "65.3";
    live.soundLow = "40";
    live.soundHigh = "60";
    live.soundHighAlarm = true;
    live.type7ByteA = 3;
    live.type7ByteB = 2;
    LivePanelContent c = MakeLivePanelContent(live, 7);
    EXPECT_EQ(c.cells[2].text.text, "40");
    EXPECT_EQ(c.cells[3].text.text, "60");
    EXPECT_TRUE(c.cells[3].alarm);
    ASSERT_TRUE(FindText(c, "SLOW"));
    EXPECT_EQ(FindText(c, "SLOW")->rect.left, 2);
    ASSERT_TRUE(FindText(c, "A"));
    EXPECT_EQ(FindText(c, "A")->rect.left, 236);
    const PanelText* db = FindText(c, "dB");
    ASSERT_TRUE(db);
    EXPECT_EQ(db->font, PanelFont::F4);
    ASSERT_TRUE(FindText(c, "65.3"));
    EXPECT_FALSE(FindText(c, "-39"));

    live.type7ByteA = 0;
    live.type7ByteB = 1;
    c = MakeLivePanelContent(live, 7);
    EXPECT_TRUE(FindText(c, "FAST") && FindText(c, "C"));
    c = MakeLivePanelContent(live, 9);  // model 9 has no marks
    EXPECT_FALSE(FindText(c, "FAST") || FindText(c, "SLOW"));
}

TEST(LivePanelContent, GasBoxAndUnits) {
    LiveStatusTexts live;
    live.co2 = "1200";
    live.co2Limit = "1000";
    live.co2Alarm = true;
    live.formaldehyde = "0.08";
    live.formaldehydeLimit = "0.10";
    LivePanelContent c = MakeLivePanelContent(live, 8);
    ASSERT_EQ(c.cells.size(), 12u);
    EXPECT_EQ(c.cells[8].text.text, "");
    EXPECT_EQ(c.cells[9].text.text, "CO2");
    EXPECT_EQ(c.cells[10].text.text, "H");
    EXPECT_EQ(c.cells[11].text.text, "1000");
    EXPECT_TRUE(c.cells[11].alarm);
    EXPECT_EQ(c.cells[11].part, c.layout.boxes[2].lowerRight);
    ASSERT_TRUE(FindText(c, "PPM"));
    EXPECT_EQ(FindText(c, "1200")->rect, c.layout.valueRows[2].value);

    c = MakeLivePanelContent(live, 11);
    EXPECT_EQ(c.cells[9].text.text, "HCHO");
    EXPECT_EQ(c.cells[11].text.text, "0.10");
    EXPECT_FALSE(c.cells[11].alarm);
    EXPECT_TRUE(FindText(c, "mg/m3") && FindText(c, "0.08"));

    live.unitByte = 0x61;  // Fahrenheit, mmHg (model 6), l/s
    live.flow = "1234";
    c = MakeLivePanelContent(live, 6);
    EXPECT_TRUE(FindText(c, "℉"));
    EXPECT_EQ(std::count_if(c.texts.begin(), c.texts.end(),
                            [](const PanelText& t) { return t.text == "mmHg"; }),
              2);  // pressure and differential pressure
    EXPECT_TRUE(FindText(c, "l/s"));
    EXPECT_EQ(FindText(c, "1234")->rect, c.layout.valueRows[5].value);
    c = MakeLivePanelContent(live, 5);  // index 2 of "mbar", "hPa", "psi"
    EXPECT_TRUE(FindText(c, "psi"));
}

TEST(LivePanelColours, FollowTheConnectionAndReading) {
    EXPECT_EQ(LivePanelTextColour(false, true), (PanelColour{100, 120, 60}));
    EXPECT_EQ(LivePanelTextColour(false, false), (PanelColour{100, 120, 60}));
    EXPECT_EQ(LivePanelTextColour(true, false), (PanelColour{60, 80, 60}));
    EXPECT_EQ(LivePanelTextColour(true, true), (PanelColour{0, 0, 0}));
}

}  // namespace
}  // namespace qx
