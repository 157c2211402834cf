#include "draw_util.h"

#include <QFont>
#include <algorithm>
#include <vector>

namespace qx::resgen {

QImage NewCanvas(int width, int height) {
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

void PreparePainter(QPainter& p) {
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::SmoothPixmapTransform, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);
}

namespace {

// One horizontal or vertical box pass over premultiplied ARGB, edges clamped.
void BoxPass(QImage& image, int radius, bool horizontal) {
    const int w = image.width();
    const int h = image.height();
    const int lines = horizontal ? h : w;
    const int length = horizontal ? w : h;
    std::vector<QRgb> line(static_cast<size_t>(length));
    for (int l = 0; l < lines; ++l) {
        auto at = [&](int i) -> QRgb& {
            return horizontal ? reinterpret_cast<QRgb*>(image.scanLine(l))[i]
                              : reinterpret_cast<QRgb*>(image.scanLine(i))[l];
        };
        for (int i = 0; i < length; ++i)
            line[static_cast<size_t>(i)] = at(i);
        const int n = 2 * radius + 1;
        for (int i = 0; i < length; ++i) {
            int a = 0, r = 0, g = 0, b = 0;
            for (int k = -radius; k <= radius; ++k) {
                const QRgb c = line[static_cast<size_t>(std::clamp(i + k, 0, length - 1))];
                a += qAlpha(c);
                r += qRed(c);
                g += qGreen(c);
                b += qBlue(c);
            }
            at(i) = qRgba(r / n, g / n, b / n, a / n);
        }
    }
}

}  // namespace

void BoxBlur(QImage& image, int radius) {
    if (radius <= 0) return;
    for (int pass = 0; pass < 3; ++pass) {
        BoxPass(image, radius, true);
        BoxPass(image, radius, false);
    }
}

void DropShadow(QPainter& p, const QSize& canvas, const QPainterPath& shape, QColor colour,
                int radius, qreal dx, qreal dy) {
    QImage shadow = NewCanvas(canvas.width(), canvas.height());
    {
        QPainter sp(&shadow);
        PreparePainter(sp);
        sp.translate(dx, dy);
        sp.fillPath(shape, colour);
    }
    BoxBlur(shadow, radius);
    p.drawImage(0, 0, shadow);
}

QPainterPath RoundedRect(const QRectF& r, qreal radius) {
    QPainterPath path;
    path.addRoundedRect(r, radius, radius);
    return path;
}

QColor Rgb(unsigned rgb, int alpha) {
    return QColor(static_cast<int>((rgb >> 16) & 0xFF), static_cast<int>((rgb >> 8) & 0xFF),
                  static_cast<int>(rgb & 0xFF), alpha);
}

QColor Mix(const QColor& a, const QColor& b, qreal t) {
    auto lerp = [t](int x, int y) { return static_cast<int>(x + (y - x) * t + 0.5); };
    return QColor(lerp(a.red(), b.red()), lerp(a.green(), b.green()), lerp(a.blue(), b.blue()),
                  lerp(a.alpha(), b.alpha()));
}

void CentredText(QPainter& p, const QRectF& r, const QString& text, const QString& family,
                 int pixelSize, int weight, QColor colour, qreal letterSpacing) {
    QFont font(family);
    font.setPixelSize(pixelSize);
    font.setWeight(static_cast<QFont::Weight>(weight));
    font.setHintingPreference(QFont::PreferFullHinting);
    if (letterSpacing != 0) font.setLetterSpacing(QFont::AbsoluteSpacing, letterSpacing);
    p.setFont(font);
    p.setPen(colour);
    p.drawText(r, Qt::AlignCenter, text);
}

}  // namespace qx::resgen
