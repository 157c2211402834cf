// Small drawing helpers shared by the picture generator.
#pragma once

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QRectF>

namespace qx::resgen {

// A transparent ARGB image ready for painting.
QImage NewCanvas(int width, int height);

// Painter with antialiasing and smooth pixmap transforms switched on.
void PreparePainter(QPainter& p);

// Blurs the alpha channel and colours of an image in place (three box passes ~ gaussian).
void BoxBlur(QImage& image, int radius);

// Paints a soft drop shadow of a shape: the shape filled in `colour`, blurred by `radius`,
// drawn at offset (dx, dy) below whatever the painter draws next.
void DropShadow(QPainter& p, const QSize& canvas, const QPainterPath& shape, QColor colour,
                int radius, qreal dx, qreal dy);

QPainterPath RoundedRect(const QRectF& r, qreal radius);

// A colour from a 0xRRGGBB value with an optional alpha.
QColor Rgb(unsigned rgb, int alpha = 255);

// Mixes two colours: t = 0 gives a, t = 1 gives b.
QColor Mix(const QColor& a, const QColor& b, qreal t);

// Draws text centred in a rectangle with a given font pixel size and weight.
void CentredText(QPainter& p, const QRectF& r, const QString& text, const QString& family,
                 int pixelSize, int weight, QColor colour, qreal letterSpacing = 0);

}  // namespace qx::resgen
