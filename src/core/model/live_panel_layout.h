// What the live value panel draws, computed without painting: the rectangles of its header,
// limit boxes, value rows and units for a model (MakeLivePanelLayout), the texts and alarm
// marks that go into them (MakeLivePanelContent) and the colours by connection state.
//
// The canvas is 248 pixels wide and 238 high for model 6, 139 for every other model. A rectangle
// is (left, top, right, bottom) with right and bottom exclusive; framing one draws its outline
// on the pixels left..right-1 and top..bottom-1.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "core/link/live_status_texts.h"
#include "instrument_catalogue.h"

namespace qx {

inline constexpr int kLivePanelWidth = 248;

struct PanelRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool operator==(const PanelRect&) const = default;
};

// The six panel fonts: "Courier New", height x average width in pixels, weight.
//   F1 14 x 7 800   F2 18 x 9 400   F3 60 x 20 700   F4 36 x 14 1100   F5 24 x 10 1100
//   F6 50 x 16 1100
enum class PanelFont { F1 = 0, F2, F3, F4, F5, F6 };
struct PanelFontSpec {
    int height, width, weight;
};
inline constexpr std::array<PanelFontSpec, 6> kPanelFonts = {{
    {14, 7, 800},
    {18, 9, 400},
    {60, 20, 700},
    {36, 14, 1100},
    {24, 10, 1100},
    {50, 16, 1100},
}};

// A limit box: framed, split at its vertical middle and at x = 19 into four framed parts.
struct LimitBoxLayout {
    PanelRect box;
    PanelRect upperLeft, lowerLeft, upperRight, lowerRight;
};

// Where a text goes inside its rectangle.
enum class PanelAlign {
    kLeftTop,      // left-aligned, top line
    kRightTop,     // right-aligned, top line
    kRightTopInk,  // right-aligned, the glyphs' tops on the top line (the "RH" over "%")
    kRightBottom,  // right-aligned, bottom line
    kCentreTop2,   // centred horizontally, its top 2 pixels below the rectangle's top
    kAt,           // drawn from the rectangle's top-left corner
};

struct ValueRowLayout {
    PanelRect row;    // vertical extent of the row (left 0, right 248)
    PanelRect value;  // value text, right-aligned on its top line
    PanelRect unit;   // unit text(s)
    PanelFont unitFont = PanelFont::F5;
};

struct LivePanelLayout {
    int height = 139;  // canvas height
    int rows = 1;      // value rows d
    PanelFont limitFont = PanelFont::F2;
    PanelFont valueFont = PanelFont::F3;
    PanelRect header{1, 1, 248, 15};
    // Frames one pixel high: the header line and the lines between boxes and rows.
    std::vector<PanelRect> lines;
    std::vector<LimitBoxLayout> boxes;  // 1, 2 or 3
    std::vector<ValueRowLayout> valueRows;
};

// Canvas height: 238 for model 6, 139 for every other value.
int LivePanelHeight(InstrumentTypeId type);
// Value rows: 2 for 1, 2, 3; 3 for 5, 8, 11; 6 for 6; 1 for every other value (also 0).
int LivePanelRows(InstrumentTypeId type);
LivePanelLayout MakeLivePanelLayout(InstrumentTypeId type);

// One text of the panel with its rectangle, font, alignment and whether it is drawn inverted
// (its part filled with the text colour and the text drawn in the alarm colour).
struct PanelText {
    std::string text;
    PanelRect rect;
    PanelFont font = PanelFont::F1;
    PanelAlign align = PanelAlign::kLeftTop;
};
struct PanelCell {
    PanelRect part;
    PanelText text;  // may be empty: only the frame is drawn
    bool alarm = false;
};
struct LivePanelContent {
    LivePanelLayout layout;
    std::vector<PanelText> texts;  // header, marks, values and units
    std::vector<PanelCell> cells;  // the parts of the limit boxes, in drawing order
};
LivePanelContent MakeLivePanelContent(const LiveStatusTexts& live, InstrumentTypeId type);

struct PanelColour {
    int r = 0, g = 0, b = 0;
    bool operator==(const PanelColour&) const = default;
};
// Text, frame and line colour: (100, 120, 60) while no instrument is connected; (60, 80, 60)
// while connected with automatic reading off; black while connected and reading.
PanelColour LivePanelTextColour(bool connected, bool autoRead);
// Text of a crossed limit, drawn on a part filled with the text colour.
inline constexpr PanelColour kPanelAlarmColour{161, 212, 2};

}  // namespace qx
