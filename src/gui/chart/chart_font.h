// The font of the trend chart's labels and readout strip: "宋体" where it is installed,
// otherwise an installed face for Chinese text (led by a Latin face when the Chinese one
// draws "℃" or "℉" blank), sized in pixels so that its height and the width of its digits
// come as close as the faces allow to the requested character height and width.
#pragma once

#include <QFont>
#include <QFontMetrics>
#include <QStringList>

namespace qx {

// The faces of the chart font in the order they are tried for each character.
QStringList ChartFontFamilies();

// A font of the given character width and height in pixels (or in the logical units of the
// painter it is used with), weight 500, sans-serif. The width is that of a digit; the font is
// narrowed until its digits fit, never widened.
QFont MakeChartFont(int charWidth, int charHeight);

// The character width the chart lays its texts out with: the mean advance of the digits,
// rounded; half the height when that is 0.
int ChartCharWidth(const QFontMetrics& metrics);

}  // namespace qx
