// Fonts of the program's windows. The windows ask for "宋体" (SimSun) and "Courier New" by
// face, height and width in pixels and a weight on the 0..1000 scale of the face tables; where
// those faces are not installed the nearest installed faces stand in (a CJK face for "宋体",
// a monospaced face for "Courier New").
#pragma once

#include <QFont>
#include <QString>

namespace qx {

// A font from a face name and the pixel height, average character width (0 = natural) and
// weight (1..1000; above 1000 counts as 1000) of the face tables. The face's stand-ins follow
// it in the font's family list.
QFont MakeFont(const QString& face, int pixelHeight, int averageWidth, int weight);

// "宋体" of a pixel height with its natural width.
QFont SongFont(int pixelHeight, int weight = 400);

}  // namespace qx
