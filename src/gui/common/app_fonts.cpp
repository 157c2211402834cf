#include "app_fonts.h"

#include <QFontMetricsF>
#include <QStringList>
#include <algorithm>

#include "core/model/language.h"

namespace qx {
namespace {

// The face name of SimSun as the system knows it; a name, not a text to translate.
QString SongFace() {
    return QString::fromUtf8(NoTr("宋体"));
}

// Stand-ins in order. "DejaVu Sans" comes before the WenQuanYi faces on purpose: their "℃"
// and "℉" glyphs draw nothing, and the live panel and the lists show those units.
QStringList FamiliesFor(const QString& face) {
    if (face == SongFace() || face.compare("SimSun", Qt::CaseInsensitive) == 0)
        return {SongFace(),
                "SimSun",
                "NSimSun",
                "Noto Serif CJK SC",
                "Noto Sans CJK SC",
                "DejaVu Sans",
                "WenQuanYi Micro Hei",
                "WenQuanYi Zen Hei"};
    if (face.compare("Courier New", Qt::CaseInsensitive) == 0)
        return {"Courier New", "Liberation Mono", "DejaVu Sans Mono", "DejaVu Sans"};
    return {face};
}

}  // namespace

QFont MakeFont(const QString& face, int pixelHeight, int averageWidth, int weight) {
    QFont font;
    font.setFamilies(FamiliesFor(face));
    font.setPixelSize(std::max(1, pixelHeight));
    font.setWeight(static_cast<QFont::Weight>(std::clamp(weight, 1, 1000)));
    font.setStyleStrategy(QFont::PreferAntialias);
    if (averageWidth > 0) {
        // Scale the glyphs horizontally so that the face's average width matches the table's.
        const qreal natural = QFontMetricsF(font).averageCharWidth();
        if (natural > 0) {
            const int stretch = static_cast<int>(100.0 * averageWidth / natural + 0.5);
            font.setStretch(std::clamp(stretch, 25, 400));
        }
    }
    return font;
}

QFont SongFont(int pixelHeight, int weight) {
    return MakeFont(SongFace(), pixelHeight, 0, weight);
}

}  // namespace qx
