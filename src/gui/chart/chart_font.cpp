#include "chart_font.h"

#include <QFontDatabase>
#include <QPainterPath>
#include <QRawFont>
#include <cmath>

#include "core/model/language.h"

namespace qx {

namespace {

const QString kDigits = QStringLiteral("0123456789");

QString ChineseFamily() {
    const QStringList chinese = QFontDatabase::families(QFontDatabase::SimplifiedChinese);
    for (const char* face : {"Noto Sans CJK SC", "Noto Sans SC", "WenQuanYi Micro Hei",
                             "WenQuanYi Zen Hei", "Source Han Sans SC", "AR PL UMing CN"}) {
        const QString name = QString::fromUtf8(face);
        if (chinese.contains(name, Qt::CaseInsensitive)) return name;
    }
    for (const QString& name : chinese) {
        if (!QFontDatabase::isPrivateFamily(name)) return name;
    }
    return {};
}

// Whether the face has a visible outline for every character of text (some faces map a
// character to an empty glyph, which would leave a gap instead of falling back).
bool DrawsVisibly(const QString& family, const QString& text) {
    QFont font(family);
    font.setPixelSize(16);
    const QRawFont raw = QRawFont::fromFont(font);
    if (!raw.isValid()) return false;
    for (quint32 glyph : raw.glyphIndexesForString(text)) {
        if (glyph == 0 || raw.pathForGlyph(glyph).isEmpty()) return false;
    }
    return true;
}

}  // namespace

QStringList ChartFontFamilies() {
    static const QStringList families = [] {
        const QStringList installed = QFontDatabase::families();
        for (const char* face : {NoTr("宋体"), "SimSun", "NSimSun"}) {
            const QString name = QString::fromUtf8(face);
            if (installed.contains(name, Qt::CaseInsensitive)) return QStringList{name};
        }
        QStringList list;
        const QString chinese = ChineseFamily();
        const QString latin = QStringLiteral("DejaVu Sans");
        if (!chinese.isEmpty() && !DrawsVisibly(chinese, QString::fromUtf8("℃℉")) &&
            installed.contains(latin, Qt::CaseInsensitive)) {
            list << latin;
        }
        if (!chinese.isEmpty()) list << chinese;
        if (list.isEmpty()) list << QFont().family();
        return list;
    }();
    return families;
}

int ChartCharWidth(const QFontMetrics& metrics) {
    const int width = static_cast<int>(
        std::lround(metrics.horizontalAdvance(kDigits) / static_cast<double>(kDigits.size())));
    return width > 0 ? width : metrics.height() / 2;
}

QFont MakeChartFont(int charWidth, int charHeight) {
    QFont font;
    font.setFamilies(ChartFontFamilies());
    font.setStyleHint(QFont::SansSerif);
    font.setWeight(QFont::Medium);
    if (charHeight < 1) charHeight = 1;

    // The largest pixel size whose line height still fits the requested height.
    int size = charHeight;
    font.setPixelSize(size);
    while (size > 1 && QFontMetrics(font).height() > charHeight)
        font.setPixelSize(--size);
    if (charWidth <= 0) return font;

    // The widest stretch, up to none, whose digits fit the requested width.
    const double digitsWidth = static_cast<double>(charWidth) * kDigits.size();
    for (int stretch = 100; stretch >= 50; --stretch) {
        font.setStretch(stretch);
        if (QFontMetricsF(font).horizontalAdvance(kDigits) <= digitsWidth) break;
    }
    return font;
}

}  // namespace qx
