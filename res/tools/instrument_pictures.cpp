// The instrument fronts, the panel texture, the program icon and the panel illustration.
#include <QFont>
#include <QFontMetrics>
#include <QLinearGradient>
#include <QRadialGradient>
#include <algorithm>
#include <cmath>
#include <numbers>

#include "draw_util.h"
#include "pictures.h"

namespace qx::resgen {
namespace {

constexpr int kWidth = 300;

// The pale grey-green of a reflective LCD; dark olive and black readings stand out on it.
const QColor kLcdTopColour = Rgb(0xC9D3BE);
const QColor kLcdBottomColour = Rgb(0xD6DECB);

void DrawHousing(QPainter& p, int height) {
    const QRectF body(1.5, 1.0, kWidth - 3.0, height - 4.0);
    const QPainterPath shape = RoundedRect(body, 18);
    DropShadow(p, QSize(kWidth, height), shape, QColor(20, 30, 45, 150), 1, 0, 1.6);

    QLinearGradient fill(0, body.top(), 0, body.bottom());
    fill.setColorAt(0.0, Rgb(0xF7F8FA));
    fill.setColorAt(0.10, Rgb(0xE9ECF0));
    fill.setColorAt(0.75, Rgb(0xD8DDE3));
    fill.setColorAt(1.0, Rgb(0xC3CAD2));
    p.fillPath(shape, fill);

    // Side shading: the case curves away at the left and right edges.
    QLinearGradient sides(body.left(), 0, body.right(), 0);
    sides.setColorAt(0.0, QColor(40, 55, 75, 60));
    sides.setColorAt(0.05, QColor(40, 55, 75, 0));
    sides.setColorAt(0.95, QColor(40, 55, 75, 0));
    sides.setColorAt(1.0, QColor(40, 55, 75, 70));
    p.fillPath(shape, sides);

    // Highlight along the upper rim, outline around the case.
    QLinearGradient rim(0, body.top(), 0, body.bottom());
    rim.setColorAt(0.0, QColor(255, 255, 255, 230));
    rim.setColorAt(0.3, QColor(255, 255, 255, 40));
    rim.setColorAt(1.0, QColor(255, 255, 255, 0));
    p.setPen(QPen(QBrush(rim), 1.2));
    p.setBrush(Qt::NoBrush);
    p.drawPath(RoundedRect(body.adjusted(1.3, 1.3, -1.3, -1.3), 16.8));
    p.setPen(QPen(Rgb(0x7D8894), 1.0));
    p.drawPath(shape);
}

void DrawBezel(QPainter& p, const QRectF& bezel, const QRectF& lcd) {
    const QPainterPath shape = RoundedRect(bezel, 9);
    // The groove in the case around the glass: dark above, light below.
    QLinearGradient groove(0, bezel.top() - 1.5, 0, bezel.bottom() + 1.5);
    groove.setColorAt(0.0, QColor(70, 80, 95, 150));
    groove.setColorAt(1.0, QColor(255, 255, 255, 220));
    p.setPen(QPen(QBrush(groove), 1.4));
    p.setBrush(Qt::NoBrush);
    p.drawPath(RoundedRect(bezel.adjusted(-1.2, -1.2, 1.2, 1.2), 10.2));

    QLinearGradient glass(0, bezel.top(), 0, bezel.bottom());
    glass.setColorAt(0.0, Rgb(0x3A424C));
    glass.setColorAt(0.12, Rgb(0x2A3038));
    glass.setColorAt(1.0, Rgb(0x1A1E23));
    p.fillPath(shape, glass);
    p.setPen(QPen(Rgb(0x0E1114), 1.0));
    p.drawPath(shape);

    // A soft reflection across the glass, kept off the display itself.
    QPainterPath reflection;
    reflection.moveTo(bezel.left(), bezel.top());
    reflection.lineTo(bezel.left() + bezel.width() * 0.58, bezel.top());
    reflection.lineTo(bezel.left() + bezel.width() * 0.30, bezel.bottom());
    reflection.lineTo(bezel.left(), bezel.bottom());
    reflection.closeSubpath();
    QPainterPath display;
    display.addRect(lcd.adjusted(-1, -1, 1, 1));
    p.fillPath(reflection.intersected(shape).subtracted(display), QColor(255, 255, 255, 14));
    QLinearGradient topShine(0, bezel.top(), 0, bezel.top() + 6);
    topShine.setColorAt(0.0, QColor(255, 255, 255, 70));
    topShine.setColorAt(1.0, QColor(255, 255, 255, 0));
    p.setPen(QPen(QBrush(topShine), 1.0));
    p.drawPath(RoundedRect(bezel.adjusted(1, 1, -1, -1), 8));
}

void DrawDisplay(QPainter& p, const QRect& lcd) {
    // Recess: a dark line all round the window.
    p.setPen(Qt::NoPen);
    p.setBrush(Rgb(0x0B0D10));
    p.drawRect(QRectF(lcd).adjusted(-1, -1, 1, 1));

    QLinearGradient fill(0, lcd.top(), 0, lcd.bottom() + 1);
    fill.setColorAt(0.0, kLcdTopColour);
    fill.setColorAt(1.0, kLcdBottomColour);
    p.fillRect(lcd, fill);

    // The glass throws a faint shadow onto the upper and left edge of the liquid crystal.
    QLinearGradient top(0, lcd.top(), 0, lcd.top() + 4);
    top.setColorAt(0.0, QColor(60, 70, 50, 45));
    top.setColorAt(1.0, QColor(60, 70, 50, 0));
    p.fillRect(QRect(lcd.left(), lcd.top(), lcd.width(), 4), top);
    QLinearGradient left(lcd.left(), 0, lcd.left() + 3, 0);
    left.setColorAt(0.0, QColor(60, 70, 50, 35));
    left.setColorAt(1.0, QColor(60, 70, 50, 0));
    p.fillRect(QRect(lcd.left(), lcd.top(), 3, lcd.height()), left);
}

void DrawBrand(QPainter& p, const QRectF& band, const QString& caption) {
    // The brand mark: a small blue plate with "QX".
    const QRectF plate(band.left() + 12.5, band.center().y() - 6.5, 27, 13);
    QLinearGradient blue(0, plate.top(), 0, plate.bottom());
    blue.setColorAt(0.0, Rgb(0x5B9BE6));
    blue.setColorAt(1.0, Rgb(0x1F5DAF));
    p.setPen(QPen(Rgb(0x123E7A), 1.0));
    p.setBrush(blue);
    p.drawRoundedRect(plate, 2.5, 2.5);
    CentredText(p, plate.adjusted(0, 0, 0, 0.5), "QX", "DejaVu Sans", 10, QFont::Bold, Qt::white,
                0.3);
    QFont font("DejaVu Sans");
    font.setPixelSize(8);
    font.setWeight(QFont::DemiBold);
    font.setLetterSpacing(QFont::AbsoluteSpacing, 1.4);
    p.setFont(font);
    p.setPen(Rgb(0xA9B6C4));
    p.drawText(band.adjusted(0, 0, -14, 0), Qt::AlignRight | Qt::AlignVCenter, caption);
}

void DrawKeypad(QPainter& p, qreal centreY) {
    // Status LED at the left.
    QRadialGradient led(QPointF(26, centreY - 0.6), 3.2);
    led.setColorAt(0.0, Rgb(0xD8FFB0));
    led.setColorAt(0.5, Rgb(0x4FC22A));
    led.setColorAt(1.0, Rgb(0x1E6A12));
    p.setPen(QPen(Rgb(0x4B5663), 0.8));
    p.setBrush(led);
    p.drawEllipse(QPointF(26, centreY), 2.8, 2.8);

    // Three rubber keys in the middle: power, up, down.
    constexpr qreal kKeyW = 32, kKeyH = 10, kGap = 10;
    const qreal x0 = kWidth / 2.0 - (3 * kKeyW + 2 * kGap) / 2.0;
    for (int k = 0; k < 3; ++k) {
        const QRectF key(x0 + k * (kKeyW + kGap), centreY - kKeyH / 2, kKeyW, kKeyH);
        DropShadow(p, QSize(kWidth, static_cast<int>(centreY * 2 + 20)),
                   RoundedRect(key, kKeyH / 2), QColor(0, 0, 0, 90), 1, 0, 1);
        QLinearGradient rubber(0, key.top(), 0, key.bottom());
        rubber.setColorAt(0.0, Rgb(0x8E99A6));
        rubber.setColorAt(0.45, Rgb(0x6A7583));
        rubber.setColorAt(1.0, Rgb(0x4E5866));
        p.setPen(QPen(Rgb(0x3A434E), 0.8));
        p.setBrush(rubber);
        p.drawRoundedRect(key, kKeyH / 2, kKeyH / 2);
        p.setPen(QPen(QColor(255, 255, 255, 90), 0.8));
        p.drawLine(QPointF(key.left() + 5, key.top() + 1.3),
                   QPointF(key.right() - 5, key.top() + 1.3));
        // Symbol.
        const QPointF c = key.center();
        p.setPen(QPen(Rgb(0xE4E9EF), 1.1, Qt::SolidLine, Qt::RoundCap));
        p.setBrush(Qt::NoBrush);
        if (k == 0) {
            p.drawArc(QRectF(c.x() - 2.6, c.y() - 2.3, 5.2, 5.2), 120 * 16, 300 * 16);
            p.drawLine(QPointF(c.x(), c.y() - 3.0), QPointF(c.x(), c.y() + 0.2));
        } else {
            const qreal s = k == 1 ? -1 : 1;
            QPainterPath tri;
            tri.moveTo(c.x() - 3, c.y() - 1.5 * s);
            tri.lineTo(c.x() + 3, c.y() - 1.5 * s);
            tri.lineTo(c.x(), c.y() + 1.8 * s);
            tri.closeSubpath();
            p.setPen(Qt::NoPen);
            p.setBrush(Rgb(0xE4E9EF));
            p.drawPath(tri);
        }
    }
    // A small grille of slots at the right: the sensor vent.
    p.setPen(QPen(Rgb(0x8A95A1), 1.2, Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < 4; ++i) {
        const qreal x = 256 + i * 4.5;
        p.drawLine(QPointF(x, centreY - 3), QPointF(x, centreY + 3));
    }
}

}  // namespace

QImage DrawInstrumentFront(int height, int lcdHeight, const QString& caption) {
    QImage image = NewCanvas(kWidth, height);
    QPainter p(&image);
    PreparePainter(p);
    DrawHousing(p, height);

    const QRect lcd(kLcdLeft, kLcdTop, kLcdWidth, lcdHeight);
    const QRectF bezel(11.5, 11.5, kWidth - 23.0, lcd.bottom() + 1 + 8 - 11.5);
    DrawBezel(p, bezel, lcd);
    DrawBrand(p, QRectF(bezel.left(), bezel.top(), bezel.width(), kLcdTop - bezel.top() - 1),
              caption);

    const qreal keypadTop = bezel.bottom() + 1.5;
    const qreal keypadBottom = height - 4.0;
    DrawKeypad(p, (keypadTop + keypadBottom) / 2.0);

    // The display last, with antialiasing off, so that its rectangle is exact to the pixel.
    p.setRenderHint(QPainter::Antialiasing, false);
    DrawDisplay(p, lcd);
    return image;
}

QImage DrawPanelTexture() {
    constexpr int kW = 30, kH = 38;
    QImage image(kW, kH, QImage::Format_RGB32);
    const double twoPi = 2 * std::numbers::pi;
    for (int y = 0; y < kH; ++y) {
        for (int x = 0; x < kW; ++x) {
            // Whole periods across the tile in both directions keep the pattern seamless.
            const double u = static_cast<double>(x) / kW;
            const double v = static_cast<double>(y) / kH;
            const double weave =
                std::sin(twoPi * (3 * u + 2 * v)) + std::sin(twoPi * (3 * u - 2 * v));
            const double fine = std::sin(twoPi * 15 * u) * 0.35 + std::sin(twoPi * 19 * v) * 0.35;
            // A fixed hash as grain: every value belongs to this tile only.
            unsigned h =
                static_cast<unsigned>(x * 73856093u) ^ static_cast<unsigned>(y * 19349663u);
            h = (h ^ (h >> 13)) * 0x5bd1e995u;
            const double grain = static_cast<double>((h >> 16) & 0xFF) / 255.0 - 0.5;
            const double d = weave * 2.6 + fine * 1.6 + grain * 3.0;
            auto ch = [d](int base) {
                return std::clamp(static_cast<int>(base + d + 0.5), 0, 255);
            };
            image.setPixel(x, y, qRgb(ch(208), ch(221), ch(236)));
        }
    }
    return image;
}

QImage DrawProgramIcon(int size) {
    QImage image = NewCanvas(size, size);
    QPainter p(&image);
    PreparePainter(p);
    const qreal s = size / 64.0;
    p.scale(s, s);
    const bool small = size <= 24;
    const bool lettered = size > 32;

    // Body: a blue logger standing slightly tilted towards the viewer.
    const QRectF body = small ? QRectF(6, 2, 52, 60) : QRectF(9, 3, 46, 58);
    DropShadow(p, QSize(64, 64), RoundedRect(body, 9), QColor(0, 20, 60, 110), 2, 0, 1.5);
    QLinearGradient blue(0, body.top(), 0, body.bottom());
    blue.setColorAt(0.0, Rgb(0x6FA8EE));
    blue.setColorAt(0.5, Rgb(0x2F70C8));
    blue.setColorAt(1.0, Rgb(0x1B4B8F));
    p.setPen(QPen(Rgb(0x133A73), small ? 2.5 : size >= 128 ? 1.0 : 1.5));
    p.setBrush(blue);
    p.drawRoundedRect(body, 9, 9);
    if (!small) {
        p.setPen(QPen(QColor(255, 255, 255, 110), 1.2));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(body.adjusted(1.8, 1.8, -1.8, -1.8), 7.5, 7.5);
    }

    // Display with a trend line.
    const QRectF lcd = small ? QRectF(12, 9, 40, 30) : QRectF(15, 11, 34, 26);
    p.setPen(QPen(Rgb(0x0F2547), small ? 2.0 : 1.5));
    QLinearGradient lcdFill(0, lcd.top(), 0, lcd.bottom());
    lcdFill.setColorAt(0.0, Rgb(0xD7E6C8));
    lcdFill.setColorAt(1.0, Rgb(0xB9CDA6));
    p.setBrush(lcdFill);
    p.drawRoundedRect(lcd, 2.5, 2.5);
    QPainterPath trend;
    const qreal lx = lcd.left() + 4, rx = lcd.right() - 4;
    const qreal ys[] = {0.70, 0.55, 0.62, 0.30, 0.42, 0.22};
    for (int i = 0; i < 6; ++i) {
        const QPointF pt(lx + (rx - lx) * i / 5.0, lcd.top() + lcd.height() * ys[i]);
        if (i == 0)
            trend.moveTo(pt);
        else
            trend.lineTo(pt);
    }
    p.setPen(QPen(Rgb(0xC0392B), small ? 4.0 : 2.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(trend);

    if (small) {
        // Two keys under the display.
        p.setPen(Qt::NoPen);
        p.setBrush(Rgb(0xE8F0FA));
        p.drawRoundedRect(QRectF(14, 46, 14, 8), 3, 3);
        p.drawRoundedRect(QRectF(36, 46, 14, 8), 3, 3);
    } else {
        if (lettered)
            CentredText(p, QRectF(body.left(), 40, body.width(), 11), "QX", "DejaVu Sans", 10,
                        QFont::Black, Qt::white, 0.5);
        p.setPen(Qt::NoPen);
        p.setBrush(Rgb(0xDDE8F6));
        for (int k = 0; k < 3; ++k)
            p.drawRoundedRect(QRectF(17 + k * 11, 53, 8, 4), 2, 2);
    }
    return image;
}

namespace {

QFont IllustrationFont(const char* family, int pixelSize, bool bold, int stretch = 100) {
    QFont font(family);
    font.setPixelSize(pixelSize);
    if (bold) font.setWeight(QFont::Bold);
    if (stretch != 100) font.setStretch(stretch);
    return font;
}

// The display's top line: the instrument clock at the left, the sample count at the right,
// a rule under them. The painter's origin is the display's top-left corner.
void DrawReadingHeader(QPainter& p, const char* count) {
    p.setFont(IllustrationFont("DejaVu Sans Mono", 12, true));
    p.setPen(Qt::black);
    p.drawText(QRect(1, 1, 247, 14), Qt::AlignLeft | Qt::AlignVCenter, "2024-05-06 14:32:08");
    p.drawText(QRect(1, 1, 245, 14), Qt::AlignRight | Qt::AlignVCenter, count);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.drawLine(0, 17, 248, 17);
}

// A limit box: "L" and "H" with the low and high limits; a crossed high limit inverted.
void DrawLimitBox(QPainter& p, int top, int height, const QFont& font, const char* low,
                  const char* high, bool highAlarm = false) {
    const int bottom = top + height;
    const int mid = (top + bottom) / 2;
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(Qt::black);
    p.setBrush(Qt::NoBrush);
    p.drawRect(0, top, 81, bottom - top);
    p.drawLine(0, mid, 81, mid);
    p.drawLine(19, top, 19, bottom);
    p.setFont(font);
    p.drawText(QRect(0, top + 2, 19, mid - top), Qt::AlignHCenter | Qt::AlignTop, "L");
    p.drawText(QRect(0, mid + 2, 19, bottom - mid), Qt::AlignHCenter | Qt::AlignTop, "H");
    p.drawText(QRect(18, top + 2, 63, mid - top), Qt::AlignHCenter | Qt::AlignTop, low);
    if (highAlarm) {
        p.fillRect(QRect(19, mid, 62, bottom - mid), Qt::black);
        p.setPen(QColor(161, 212, 2));
    }
    p.drawText(QRect(18, mid + 2, 63, bottom - mid), Qt::AlignHCenter | Qt::AlignTop, high);
    p.setPen(Qt::black);
}

}  // namespace

QImage DrawPanelIllustration() {
    QImage image = DrawInstrumentFront(197, 139, "DATA LOGGER");
    QPainter p(&image);
    PreparePainter(p);
    p.translate(kLcdLeft, kLcdTop);
    DrawReadingHeader(p, "Rec:1280");
    const QFont limits = IllustrationFont("DejaVu Sans Mono", 15, false);
    DrawLimitBox(p, 22, 52, limits, "0.0", "30.0");
    p.drawLine(0, 77, 248, 77);
    DrawLimitBox(p, 83, 52, limits, "10.0", "95.0");

    p.setRenderHint(QPainter::Antialiasing, true);
    p.setFont(IllustrationFont("DejaVu Sans Mono", 50, true, 80));
    p.drawText(QRect(85, 18, 128, 60), Qt::AlignRight | Qt::AlignTop, "23.5");
    p.drawText(QRect(85, 79, 128, 60), Qt::AlignRight | Qt::AlignTop, "45.2");
    p.setFont(IllustrationFont("DejaVu Sans", 26, true));
    p.drawText(QRect(210, 24, 36, 50), Qt::AlignRight | Qt::AlignBottom, QString::fromUtf8("°C"));
    p.setFont(IllustrationFont("DejaVu Sans", 19, true));
    p.drawText(QRect(221, 94, 27, 43), Qt::AlignRight | Qt::AlignTop, "RH");
    p.drawText(QRect(221, 94, 27, 43), Qt::AlignRight | Qt::AlignBottom, "%");
    return image;
}

QImage DrawFlowPanelIllustration() {
    QImage image = DrawInstrumentFront(300, 238, "FLOW METER");
    QPainter p(&image);
    PreparePainter(p);
    p.translate(kLcdLeft, kLcdTop);
    DrawReadingHeader(p, "Rec:360");
    const QFont limits = IllustrationFont("DejaVu Sans Mono", 12, true);
    DrawLimitBox(p, 20, 38, limits, "0.0", "70.0");
    p.drawLine(0, 59, 248, 59);
    DrawLimitBox(p, 61, 38, limits, "10.0", "95.0");

    struct Row {
        int top, bottom, left;
        const char* value;
        const char* unit;
    };
    const Row rows[] = {{20, 58, 85, "23.5", "°C"},    {61, 99, 85, "45.2", "%RH"},
                        {102, 134, 1, "101.3", "kPa"}, {137, 169, 1, "0.125", "kPa"},
                        {172, 204, 1, "45.6", "dB"},   {207, 237, 1, "1.250", "m3/s"}};
    for (int k = 2; k < 6; ++k)
        p.drawLine(0, rows[k].top - 2, 248, rows[k].top - 2);
    p.setRenderHint(QPainter::Antialiasing, true);
    const QFont value = IllustrationFont("DejaVu Sans Mono", 30, true, 85);
    const QFont unit = IllustrationFont("DejaVu Sans", 15, true);
    for (const Row& r : rows) {
        p.setFont(value);
        p.drawText(QRect(r.left, r.top, 189 - r.left, r.bottom - r.top),
                   Qt::AlignRight | Qt::AlignVCenter, r.value);
        p.setFont(unit);
        p.drawText(QRect(192, r.top, 54, r.bottom - r.top), Qt::AlignRight | Qt::AlignBottom,
                   QString::fromUtf8(r.unit));
    }
    return image;
}

}  // namespace qx::resgen
