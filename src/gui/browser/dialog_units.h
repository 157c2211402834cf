// Positions of the record browser's form, given in dialog units of its "宋体" 9-point dialog
// font (base units 6 x 12 pixels, so one unit is 1.5 pixels both ways, as in the program's
// other fixed-layout windows), converted to pixels.
#pragma once

#include <QRect>

namespace qx {

inline constexpr int DluToPixels(int units) {
    return (units * 3 + (units >= 0 ? 1 : -1)) / 2;
}

inline QRect DluRect(int x, int y, int width, int height) {
    return QRect(DluToPixels(x), DluToPixels(y), DluToPixels(width), DluToPixels(height));
}

}  // namespace qx
