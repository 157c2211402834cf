// Status, toolbar, navigation and caption icons. Each is drawn on a 16-unit grid (32 for the
// navigation icons) so that one-pixel lines fall on pixel centres at the native size.
#include <QFont>
#include <QLinearGradient>
#include <QRadialGradient>

#include "draw_util.h"
#include "pictures.h"

namespace qx::resgen {
namespace {

// ---- Shared parts ----------------------------------------------------------------------

void Led(QPainter& p, QPointF c, qreal r, QColor light, QColor mid, QColor dark) {
    QRadialGradient g(c + QPointF(-r * 0.35, -r * 0.4), r * 1.35);
    g.setColorAt(0.0, light);
    g.setColorAt(0.45, mid);
    g.setColorAt(1.0, dark);
    p.setPen(QPen(Mix(dark, Qt::black, 0.35), 0.9));
    p.setBrush(g);
    p.drawEllipse(c, r, r);
    // Specular highlight.
    QRadialGradient highlight(c + QPointF(-r * 0.3, -r * 0.45), r * 0.55);
    highlight.setColorAt(0.0, QColor(255, 255, 255, 220));
    highlight.setColorAt(1.0, QColor(255, 255, 255, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(highlight);
    p.drawEllipse(c + QPointF(-r * 0.3, -r * 0.45), r * 0.55, r * 0.45);
}

void Badge(QPainter& p, QPointF c, qreal r, QColor top, QColor bottom) {
    QLinearGradient g(0, c.y() - r, 0, c.y() + r);
    g.setColorAt(0.0, top);
    g.setColorAt(1.0, bottom);
    p.setPen(QPen(QColor(255, 255, 255, 230), 1.0));
    p.setBrush(g);
    p.drawEllipse(c, r, r);
}

void Cross(QPainter& p, QPointF c, qreal half, qreal width, QColor colour) {
    p.setPen(QPen(colour, width, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(c + QPointF(-half, -half), c + QPointF(half, half));
    p.drawLine(c + QPointF(-half, half), c + QPointF(half, -half));
}

// A block arrow pointing down (dir = 1) or up (dir = -1), centred on x, between y0 and y1.
void BlockArrow(QPainter& p, qreal x, qreal y0, qreal y1, qreal shaft, qreal head, int dir,
                QColor light, QColor dark) {
    const qreal tip = dir > 0 ? y1 : y0;
    const qreal tail = dir > 0 ? y0 : y1;
    const qreal neck = tip - dir * head;
    QPainterPath path;
    path.moveTo(x - shaft / 2, tail);
    path.lineTo(x + shaft / 2, tail);
    path.lineTo(x + shaft / 2, neck);
    path.lineTo(x + head, neck);
    path.lineTo(x, tip);
    path.lineTo(x - head, neck);
    path.lineTo(x - shaft / 2, neck);
    path.closeSubpath();
    QLinearGradient g(x - head, 0, x + head, 0);
    g.setColorAt(0.0, light);
    g.setColorAt(1.0, dark);
    p.setPen(QPen(Mix(dark, Qt::black, 0.3), 0.9, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    p.setBrush(g);
    p.drawPath(path);
}

void Tray(QPainter& p) {
    QPainterPath tray;
    tray.moveTo(1.5, 9.5);
    tray.lineTo(1.5, 14.5);
    tray.lineTo(14.5, 14.5);
    tray.lineTo(14.5, 9.5);
    p.setPen(QPen(Rgb(0x5A6470), 1.4, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(tray);
    p.fillRect(QRectF(2.2, 12.5, 11.6, 1.4), Rgb(0xB9C2CC));
}

void ExclamationTriangle(QPainter& p, QColor light, QColor dark, QColor mark) {
    QPainterPath tri;
    tri.moveTo(8, 1.2);
    tri.lineTo(15.2, 14.5);
    tri.lineTo(0.8, 14.5);
    tri.closeSubpath();
    QLinearGradient g(0, 1, 0, 15);
    g.setColorAt(0.0, light);
    g.setColorAt(1.0, dark);
    p.setPen(QPen(Mix(dark, Qt::black, 0.4), 1.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(g);
    p.drawPath(tri);
    p.setPen(QPen(mark, 2.0, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(8, 5.6), QPointF(8, 9.6));
    p.drawPoint(QPointF(8, 12.3));
}

void ClockFace(QPainter& p, QPointF c, qreal r) {
    QRadialGradient face(c + QPointF(-1, -1.5), r * 1.3);
    face.setColorAt(0.0, Qt::white);
    face.setColorAt(1.0, Rgb(0xDCE6F2));
    p.setPen(QPen(Rgb(0x2A63B0), 1.4));
    p.setBrush(face);
    p.drawEllipse(c, r, r);
    p.setPen(QPen(Rgb(0x6B7C90), 0.9, Qt::SolidLine, Qt::RoundCap));
    for (int k = 0; k < 4; ++k) {
        const QPointF d = k == 0   ? QPointF(0, -1)
                          : k == 1 ? QPointF(1, 0)
                          : k == 2 ? QPointF(0, 1)
                                   : QPointF(-1, 0);
        p.drawLine(c + d * (r - 1.0), c + d * (r - 2.2));
    }
    p.setPen(QPen(Rgb(0x1C2833), 1.3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(c, c + QPointF(0, -(r - 2.2)));
    p.drawLine(c, c + QPointF(r - 3.0, 0.6));
    p.setPen(Qt::NoPen);
    p.setBrush(Rgb(0xC0392B));
    p.drawEllipse(c, 0.9, 0.9);
}

void Book(QPainter& p, const QRectF& r, bool question) {
    // Pages at the bottom and right, a blue cover with a spine.
    p.setPen(QPen(Rgb(0x8A96A3), 0.8));
    p.setBrush(Rgb(0xF6F7F2));
    p.drawRoundedRect(r.adjusted(r.width() * 0.08, r.height() * 0.06, 0, 0), 1, 1);
    const QRectF cover = r.adjusted(0, 0, -r.width() * 0.08, -r.height() * 0.06);
    QLinearGradient g(cover.left(), 0, cover.right(), 0);
    g.setColorAt(0.0, Rgb(0x1C4E94));
    g.setColorAt(0.22, Rgb(0x3C7FD6));
    g.setColorAt(1.0, Rgb(0x2B66B8));
    p.setPen(QPen(Rgb(0x143A70), 1.0));
    p.setBrush(g);
    p.drawRoundedRect(cover, 1.5, 1.5);
    p.setPen(QPen(QColor(255, 255, 255, 110), 1.0));
    const qreal spine = cover.left() + cover.width() * 0.2;
    p.drawLine(QPointF(spine, cover.top() + 1), QPointF(spine, cover.bottom() - 1));
    if (question) {
        const QRectF label(spine + 1, cover.top(), cover.right() - spine - 1, cover.height());
        CentredText(p, label, "?", "DejaVu Sans", static_cast<int>(cover.height() * 0.72),
                    QFont::Black, Qt::white);
    }
}

void ChartSheet(QPainter& p, const QRectF& r, qreal unit) {
    p.setPen(QPen(Rgb(0x7A8794), unit));
    p.setBrush(Qt::white);
    p.drawRect(r);
    // Grid.
    p.setPen(QPen(Rgb(0xD5DEE8), unit * 0.8));
    for (int i = 1; i < 4; ++i) {
        const qreal y = r.top() + r.height() * i / 4.0;
        p.drawLine(QPointF(r.left() + unit, y), QPointF(r.right() - unit, y));
    }
    // Two series.
    auto series = [&](const qreal* ys, QColor colour) {
        QPainterPath path;
        for (int i = 0; i < 5; ++i) {
            const QPointF pt(r.left() + unit * 1.5 + (r.width() - unit * 3) * i / 4.0,
                             r.top() + r.height() * ys[i]);
            if (i == 0)
                path.moveTo(pt);
            else
                path.lineTo(pt);
        }
        p.setPen(QPen(colour, unit * 1.3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        p.drawPath(path);
    };
    const qreal a[] = {0.72, 0.48, 0.58, 0.30, 0.38};
    const qreal b[] = {0.35, 0.62, 0.55, 0.75, 0.62};
    series(b, Rgb(0xF08A24));
    series(a, Rgb(0x1F57B5));
}

void Magnifier(QPainter& p, QPointF c, qreal r, qreal unit) {
    p.setPen(QPen(Rgb(0x4A3A24), unit * 3.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(c + QPointF(r * 0.7, r * 0.7), c + QPointF(r * 1.75, r * 1.75));
    QRadialGradient glass(c + QPointF(-r * 0.3, -r * 0.3), r * 1.2);
    glass.setColorAt(0.0, QColor(255, 255, 255, 230));
    glass.setColorAt(1.0, QColor(170, 205, 240, 200));
    p.setPen(QPen(Rgb(0x5E6B78), unit * 1.6));
    p.setBrush(glass);
    p.drawEllipse(c, r, r);
}

// ---- Toolbar icons (16 units) ------------------------------------------------------------

void PlugHalf(QPainter& p, qreal x, bool leftSide) {
    // A plug body 4 wide with two prongs (left side) or a socket (right side), on the
    // horizontal centre line y = 8.
    QLinearGradient g(0, 4, 0, 12);
    g.setColorAt(0.0, Rgb(0xAEB9C6));
    g.setColorAt(0.5, Rgb(0x75828F));
    g.setColorAt(1.0, Rgb(0x505B67));
    p.setPen(QPen(Rgb(0x3A434D), 0.9));
    p.setBrush(g);
    if (leftSide) {
        p.drawRoundedRect(QRectF(x, 4.5, 4.5, 7), 1.2, 1.2);
        p.setPen(Qt::NoPen);
        p.setBrush(Rgb(0xD9B44A));
        p.drawRect(QRectF(x + 4.5, 5.6, 2.5, 1.4));
        p.drawRect(QRectF(x + 4.5, 9.0, 2.5, 1.4));
    } else {
        p.drawRoundedRect(QRectF(x, 3.5, 5, 9), 1.2, 1.2);
        p.setPen(Qt::NoPen);
        p.setBrush(Rgb(0x1F252B));
        p.drawRect(QRectF(x, 5.6, 1.6, 1.4));
        p.drawRect(QRectF(x, 9.0, 1.6, 1.4));
    }
}

void CableEnd(QPainter& p, qreal x0, qreal x1) {
    p.setPen(QPen(Rgb(0x3A434D), 2.0, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(x0, 8), QPointF(x1, 8));
}

void DrawConnect(QPainter& p) {
    CableEnd(p, 0, 3.5);
    PlugHalf(p, 3, true);
    PlugHalf(p, 9.5, false);
    CableEnd(p, 14.5, 16);
    // A green light on the socket: the link is up.
    p.setPen(Qt::NoPen);
    p.setBrush(Rgb(0x3CC23C));
    p.drawEllipse(QPointF(12, 8), 1.2, 1.2);
}

void DrawDisconnect(QPainter& p) {
    CableEnd(p, 0, 2);
    PlugHalf(p, 1.5, true);
    PlugHalf(p, 11, false);
    CableEnd(p, 15.5, 16);
    // A red break mark in the gap.
    p.setPen(QPen(Rgb(0xD62B2B), 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    QPainterPath bolt;
    bolt.moveTo(10.2, 2);
    bolt.lineTo(8.2, 7.6);
    bolt.lineTo(10.4, 8.4);
    bolt.lineTo(8.4, 14);
    p.setBrush(Qt::NoBrush);
    p.drawPath(bolt);
}

void DrawOpen(QPainter& p) {
    // Back of the folder with its tab.
    QPainterPath back;
    back.moveTo(1.5, 13.5);
    back.lineTo(1.5, 3.5);
    back.lineTo(5.5, 3.5);
    back.lineTo(7, 5);
    back.lineTo(13.5, 5);
    back.lineTo(13.5, 13.5);
    back.closeSubpath();
    QLinearGradient b(0, 3, 0, 14);
    b.setColorAt(0.0, Rgb(0xF2C55C));
    b.setColorAt(1.0, Rgb(0xC98E1E));
    p.setPen(QPen(Rgb(0x8A5E0E), 1.0, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    p.setBrush(b);
    p.drawPath(back);
    // A sheet inside.
    p.setPen(QPen(Rgb(0x9AA4AE), 0.8));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(3.5, 6.5, 8.5, 5));
    // The open front flap.
    QPainterPath front;
    front.moveTo(1.5, 13.5);
    front.lineTo(4, 8.5);
    front.lineTo(15.5, 8.5);
    front.lineTo(13.5, 13.5);
    front.closeSubpath();
    QLinearGradient f(0, 8, 0, 14);
    f.setColorAt(0.0, Rgb(0xFFE08A));
    f.setColorAt(1.0, Rgb(0xE7A933));
    p.setPen(QPen(Rgb(0x8A5E0E), 1.0, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    p.setBrush(f);
    p.drawPath(front);
}

void DrawExport(QPainter& p) {
    // A worksheet with a green header row and a grid.
    const QRectF sheet(1.5, 1.5, 10, 12);
    p.setPen(QPen(Rgb(0x6C7A86), 1.0));
    p.setBrush(Qt::white);
    p.drawRect(sheet);
    p.fillRect(QRectF(2, 2, 9, 2.5), Rgb(0x2E8B3E));
    p.setPen(QPen(Rgb(0x8FBF97), 0.8));
    for (qreal y : {6.5, 9.0, 11.5})
        p.drawLine(QPointF(2.2, y), QPointF(10.8, y));
    p.drawLine(QPointF(5.5, 4.6), QPointF(5.5, 13));
    // The arrow out of it.
    QPainterPath arrow;
    arrow.moveTo(7, 9.6);
    arrow.lineTo(11, 9.6);
    arrow.lineTo(11, 7.2);
    arrow.lineTo(15.4, 11);
    arrow.lineTo(11, 14.8);
    arrow.lineTo(11, 12.4);
    arrow.lineTo(7, 12.4);
    arrow.closeSubpath();
    QLinearGradient g(0, 7, 0, 15);
    g.setColorAt(0.0, Rgb(0x6FB2F2));
    g.setColorAt(1.0, Rgb(0x1D5FB4));
    p.setPen(QPen(Rgb(0x123F7A), 0.9, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    p.setBrush(g);
    p.drawPath(arrow);
}

void DrawReceive(QPainter& p) {
    // A small instrument with its display, and an arrow from it down into a tray.
    p.setPen(QPen(Rgb(0x3A434D), 0.9));
    QLinearGradient body(0, 0.5, 0, 6.5);
    body.setColorAt(0.0, Rgb(0xC7D0DA));
    body.setColorAt(1.0, Rgb(0x8E9AA7));
    p.setBrush(body);
    p.drawRoundedRect(QRectF(3.5, 0.5, 9, 6), 1.2, 1.2);
    p.setPen(Qt::NoPen);
    p.setBrush(Rgb(0xCFE0B8));
    p.drawRect(QRectF(5, 1.8, 6, 2.8));
    Tray(p);
    BlockArrow(p, 8, 5.2, 13.2, 3.0, 3.6, 1, Rgb(0x78BDF6), Rgb(0x1B5EB6));
}

void DrawSetParams(QPainter& p) {
    const qreal knobs[] = {10.5, 5, 8.5};
    for (int i = 0; i < 3; ++i) {
        const qreal y = 3.5 + i * 4.5;
        p.setPen(QPen(Rgb(0x6C7884), 1.6, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(1.8, y), QPointF(14.2, y));
        QLinearGradient g(0, y - 2, 0, y + 2);
        g.setColorAt(0.0, Rgb(0x7CC0FA));
        g.setColorAt(1.0, Rgb(0x1E62BA));
        p.setPen(QPen(Rgb(0x123F7A), 0.9));
        p.setBrush(g);
        p.drawRoundedRect(QRectF(knobs[i] - 1.8, y - 2.2, 3.6, 4.4), 1, 1);
    }
}

void DrawCalibrateClock(QPainter& p) {
    ClockFace(p, QPointF(7.5, 7.5), 6.4);
    // A green check: the clock is set right.
    Badge(p, QPointF(11.8, 11.8), 4.0, Rgb(0x66D05A), Rgb(0x238A1C));
    p.setPen(QPen(Qt::white, 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    QPainterPath tick;
    tick.moveTo(9.9, 11.9);
    tick.lineTo(11.3, 13.3);
    tick.lineTo(13.7, 10.4);
    p.setBrush(Qt::NoBrush);
    p.drawPath(tick);
}

void DrawRefresh(QPainter& p) {
    const QColor dark = Rgb(0x1E7F2A), light = Rgb(0x48B84E);
    auto arc = [&](int startDeg, QPointF headTip, QPointF a, QPointF b) {
        p.setPen(QPen(light, 2.2, Qt::SolidLine, Qt::FlatCap));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(2.5, 2.5, 11, 11), startDeg * 16, 140 * 16);
        QPainterPath head;
        head.moveTo(headTip);
        head.lineTo(a);
        head.lineTo(b);
        head.closeSubpath();
        p.setPen(QPen(dark, 0.6));
        p.setBrush(light);
        p.drawPath(head);
    };
    arc(30, QPointF(3.2, 4.0), QPointF(7.2, 0.6), QPointF(7.6, 5.6));
    arc(210, QPointF(12.8, 12.0), QPointF(8.8, 15.4), QPointF(8.4, 10.4));
}

void DrawAbout(QPainter& p) {
    Badge(p, QPointF(8, 8), 7, Rgb(0x6BA8F0), Rgb(0x1A56A8));
    p.setPen(QPen(Rgb(0x123F7A), 0.8));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(8, 8), 7.5, 7.5);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(8, 4.6), 1.25, 1.25);
    p.drawRoundedRect(QRectF(6.9, 6.9, 2.2, 5.8), 0.6, 0.6);
}

// ---- Status icons (16 units) -------------------------------------------------------------

void DrawStatus(QPainter& p, int index) {
    const QPointF c(8, 8);
    switch (index) {
        case 0:  // idle: an unlit LED
            Led(p, c, 5.5, Rgb(0xF2F4F7), Rgb(0xBCC3CB), Rgb(0x7D8692));
            break;
        case 1: {  // live: the LED lit, with a glow
            QRadialGradient halo(c, 8);
            halo.setColorAt(0.0, QColor(190, 255, 120, 200));
            halo.setColorAt(0.6, QColor(150, 240, 80, 90));
            halo.setColorAt(1.0, QColor(150, 240, 80, 0));
            p.setPen(Qt::NoPen);
            p.setBrush(halo);
            p.drawEllipse(c, 8, 8);
            Led(p, c, 5.2, Rgb(0xFBFFE8), Rgb(0x9CF55A), Rgb(0x3FAE1F));
            break;
        }
        case 2:  // receiving
            Tray(p);
            BlockArrow(p, 8, 1, 12.5, 3.2, 4, 1, Rgb(0x78BDF6), Rgb(0x1B5EB6));
            break;
        case 3:  // sending
            Tray(p);
            BlockArrow(p, 8, 1, 12.5, 3.2, 4, -1, Rgb(0x8EDB72), Rgb(0x23851E));
            break;
        case 4: {  // busy: an hourglass
            p.setPen(QPen(Rgb(0x5A4630), 1.4, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(QPointF(3.5, 1.5), QPointF(12.5, 1.5));
            p.drawLine(QPointF(3.5, 14.5), QPointF(12.5, 14.5));
            QPainterPath glass;
            glass.moveTo(4.5, 2);
            glass.lineTo(11.5, 2);
            glass.cubicTo(11.5, 6, 8.8, 7, 8.8, 8);
            glass.cubicTo(8.8, 9, 11.5, 10, 11.5, 14);
            glass.lineTo(4.5, 14);
            glass.cubicTo(4.5, 10, 7.2, 9, 7.2, 8);
            glass.cubicTo(7.2, 7, 4.5, 6, 4.5, 2);
            p.setPen(QPen(Rgb(0x6F7F8F), 0.9));
            p.setBrush(QColor(225, 238, 250));
            p.drawPath(glass);
            p.setPen(Qt::NoPen);
            p.setBrush(Rgb(0xE8A531));
            QPainterPath sand;
            sand.moveTo(5.6, 4.2);
            sand.lineTo(10.4, 4.2);
            sand.cubicTo(9.8, 6.0, 8.3, 6.8, 8, 7.6);
            sand.cubicTo(7.7, 6.8, 6.2, 6.0, 5.6, 4.2);
            p.drawPath(sand);
            QPainterPath pile;
            pile.moveTo(5.0, 13.6);
            pile.cubicTo(6.0, 11.2, 7.4, 10.8, 8, 10.6);
            pile.cubicTo(8.6, 10.8, 10.0, 11.2, 11.0, 13.6);
            pile.closeSubpath();
            p.drawPath(pile);
            break;
        }
        case 5:  // warning
            ExclamationTriangle(p, Rgb(0xFFE27A), Rgb(0xF0A91C), Rgb(0x2B2B2B));
            break;
        case 6: {  // alarm: a red bell
            QPainterPath bell;
            bell.moveTo(8, 1.6);
            bell.cubicTo(11.6, 1.6, 12.4, 4.6, 12.4, 8.0);
            bell.cubicTo(12.4, 10.2, 13.4, 11.2, 14.6, 12.2);
            bell.lineTo(1.4, 12.2);
            bell.cubicTo(2.6, 11.2, 3.6, 10.2, 3.6, 8.0);
            bell.cubicTo(3.6, 4.6, 4.4, 1.6, 8, 1.6);
            bell.closeSubpath();
            QLinearGradient g(3, 0, 13, 0);
            g.setColorAt(0.0, Rgb(0xF47C6C));
            g.setColorAt(0.6, Rgb(0xD3261C));
            g.setColorAt(1.0, Rgb(0x9B1510));
            p.setPen(QPen(Rgb(0x6E0E0A), 0.9, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            p.setBrush(g);
            p.drawPath(bell);
            p.setBrush(Rgb(0xF0C040));
            p.drawEllipse(QPointF(8, 13.4), 1.7, 1.5);
            break;
        }
        case 7:  // connected: the LED steady green
            Led(p, c, 5.5, Rgb(0xC8F5B4), Rgb(0x46B22E), Rgb(0x1C6B14));
            break;
        case 8:  // not connected: an unlit LED with a red cross
            Led(p, QPointF(6.6, 6.6), 5.1, Rgb(0xF2F4F7), Rgb(0xBCC3CB), Rgb(0x7D8692));
            Badge(p, QPointF(11.3, 11.3), 4.2, Rgb(0xF06A5E), Rgb(0xB3201A));
            Cross(p, QPointF(11.3, 11.3), 1.7, 1.5, Qt::white);
            break;
        case 9:  // error
            Badge(p, c, 6.8, Rgb(0xF26D5F), Rgb(0xA8170F));
            p.setPen(QPen(Rgb(0x6E0E0A), 0.8));
            p.setBrush(Qt::NoBrush);
            p.drawEllipse(c, 7.4, 7.4);
            Cross(p, c, 2.8, 1.9, Qt::white);
            break;
        default:
            break;
    }
}

// ---- Navigation icons (32 units) ---------------------------------------------------------

void DrawNavInstrument(QPainter& p) {
    // The USB cable from the instrument's foot to a plug at the right.
    QPainterPath cable;
    cable.moveTo(13, 28);
    cable.cubicTo(13, 31, 22, 31, 24, 26);
    cable.cubicTo(25.5, 22, 26, 20, 26, 17);
    p.setPen(QPen(Rgb(0x38414B), 2.0, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawPath(cable);
    p.setPen(QPen(Rgb(0x2E3640), 0.9));
    QLinearGradient plug(22.5, 0, 29.5, 0);
    plug.setColorAt(0.0, Rgb(0xB9C3CE));
    plug.setColorAt(1.0, Rgb(0x6C7986));
    p.setBrush(plug);
    p.drawRoundedRect(QRectF(22.5, 9.5, 7, 8), 1.5, 1.5);
    p.setBrush(Rgb(0xD7DDE3));
    p.drawRect(QRectF(23.5, 4.5, 5, 5));
    p.setPen(Qt::NoPen);
    p.setBrush(Rgb(0x3A434D));
    p.drawRect(QRectF(24.5, 6, 1, 1.6));
    p.drawRect(QRectF(26.5, 6, 1, 1.6));

    // The instrument.
    const QRectF body(2.5, 2.5, 19, 26);
    DropShadow(p, QSize(32, 32), RoundedRect(body, 4), QColor(0, 20, 60, 90), 1, 0.6, 1.0);
    QLinearGradient g(0, body.top(), 0, body.bottom());
    g.setColorAt(0.0, Rgb(0xF4F6F8));
    g.setColorAt(1.0, Rgb(0xC5CDD6));
    p.setPen(QPen(Rgb(0x5E6B78), 1.0));
    p.setBrush(g);
    p.drawRoundedRect(body, 4, 4);
    p.setPen(QPen(Rgb(0x1E242A), 1.0));
    p.setBrush(Rgb(0x2A3038));
    p.drawRoundedRect(QRectF(4.5, 4.5, 15, 14), 2, 2);
    QLinearGradient lcd(0, 6, 0, 17);
    lcd.setColorAt(0.0, Rgb(0xC9D3BE));
    lcd.setColorAt(1.0, Rgb(0xD9E2CF));
    p.setPen(Qt::NoPen);
    p.setBrush(lcd);
    p.drawRect(QRectF(6, 6, 12, 11));
    // Readings as bars of a seven-segment display.
    p.setBrush(Rgb(0x283226));
    p.drawRect(QRectF(7, 7.5, 5, 1.2));
    p.drawRect(QRectF(7, 11, 7, 2.2));
    p.drawRect(QRectF(7, 14.5, 9, 1.2));
    // Keys.
    p.setBrush(Rgb(0x5F6B78));
    for (int k = 0; k < 3; ++k)
        p.drawRoundedRect(QRectF(5.5 + k * 5, 22, 3.6, 2.4), 1.2, 1.2);
    p.setBrush(Rgb(0x3CC23C));
    p.drawEllipse(QPointF(12, 26.3), 0.9, 0.9);
}

void DrawNavRecords(QPainter& p) {
    // A page with a chart, a magnifier over it.
    QPainterPath page;
    page.moveTo(3.5, 2.5);
    page.lineTo(19.5, 2.5);
    page.lineTo(25.5, 8.5);
    page.lineTo(25.5, 28.5);
    page.lineTo(3.5, 28.5);
    page.closeSubpath();
    DropShadow(p, QSize(32, 32), page, QColor(0, 20, 60, 80), 1, 0.6, 1.0);
    p.setPen(QPen(Rgb(0x6C7A86), 1.0));
    p.setBrush(Qt::white);
    p.drawPath(page);
    QPainterPath fold;
    fold.moveTo(19.5, 2.5);
    fold.lineTo(19.5, 8.5);
    fold.lineTo(25.5, 8.5);
    p.setBrush(Rgb(0xDDE5EE));
    p.drawPath(fold);
    // Header lines.
    p.setPen(QPen(Rgb(0x9AA8B6), 1.0));
    p.drawLine(QPointF(6, 5.5), QPointF(16, 5.5));
    p.drawLine(QPointF(6, 8.5), QPointF(13, 8.5));
    ChartSheet(p, QRectF(6, 11.5, 17, 11), 1.0);
    Magnifier(p, QPointF(21, 21), 5.2, 1.0);
}

// One disc of a stack of stored records: an elliptic band seen slightly from above.
void StoreDisc(QPainter& p, qreal left, qreal top, qreal width, qreal height, qreal rim,
               qreal pen) {
    const QRectF topFace(left, top, width, rim);
    QPainterPath side;
    side.moveTo(left, top + rim / 2);
    side.lineTo(left, top + height - rim / 2);
    side.arcTo(QRectF(left, top + height - rim, width, rim), 180, 180);
    side.lineTo(left + width, top + rim / 2);
    side.arcTo(topFace, 0, -180);
    QLinearGradient g(left, 0, left + width, 0);
    g.setColorAt(0.0, Rgb(0x3F6FA8));
    g.setColorAt(0.45, Rgb(0x8DB4E2));
    g.setColorAt(1.0, Rgb(0x2F5588));
    p.setPen(QPen(Rgb(0x1F3A5F), pen));
    p.setBrush(g);
    p.drawPath(side);
    QLinearGradient face(0, top, 0, top + rim);
    face.setColorAt(0.0, Rgb(0xDCE8F6));
    face.setColorAt(1.0, Rgb(0xA9C5E8));
    p.setBrush(face);
    p.drawEllipse(topFace);
}

// Three discs of stored records with a chart sheet leaning on them.
void DrawNavLibrary(QPainter& p) {
    DropShadow(p, QSize(32, 32), RoundedRect(QRectF(3.5, 4, 19, 25), 6), QColor(0, 20, 60, 80), 1,
               0.6, 1.0);
    for (int k = 2; k >= 0; --k)
        StoreDisc(p, 3.5, 4.5 + 7.5 * k, 19, 10, 6, 1.0);
    ChartSheet(p, QRectF(17.5, 15.5, 12, 13), 0.9);
}

void DrawNavHelp(QPainter& p) {
    DropShadow(p, QSize(32, 32), RoundedRect(QRectF(4, 2.5, 24, 27), 2), QColor(0, 20, 60, 80), 1,
               0.6, 1.0);
    Book(p, QRectF(4.5, 2.5, 23.5, 27), true);
}

}  // namespace

QImage DrawStatusIcon(int index) {
    QImage image = NewCanvas(16, 16);
    QPainter p(&image);
    PreparePainter(p);
    DrawStatus(p, index);
    return image;
}

QImage DrawToolIcon(ToolIcon icon, int size) {
    QImage image = NewCanvas(size, size);
    QPainter p(&image);
    PreparePainter(p);
    p.scale(size / 16.0, size / 16.0);
    switch (icon) {
        case ToolIcon::Connect:
            DrawConnect(p);
            break;
        case ToolIcon::Disconnect:
            DrawDisconnect(p);
            break;
        case ToolIcon::Open:
            DrawOpen(p);
            break;
        case ToolIcon::Export:
            DrawExport(p);
            break;
        case ToolIcon::ReceiveData:
            DrawReceive(p);
            break;
        case ToolIcon::SetParams:
            DrawSetParams(p);
            break;
        case ToolIcon::CalibrateClock:
            DrawCalibrateClock(p);
            break;
        case ToolIcon::Refresh:
            DrawRefresh(p);
            break;
        case ToolIcon::About:
            DrawAbout(p);
            break;
    }
    return image;
}

QImage DrawNavigationIcon(int view) {
    QImage image = NewCanvas(32, 32);
    QPainter p(&image);
    PreparePainter(p);
    if (view == 0)
        DrawNavInstrument(p);
    else if (view == 1)
        DrawNavRecords(p);
    else if (view == 3)
        DrawNavLibrary(p);
    else
        DrawNavHelp(p);
    return image;
}

QImage DrawCaptionRecords() {
    QImage image = NewCanvas(16, 16);
    QPainter p(&image);
    PreparePainter(p);
    ChartSheet(p, QRectF(1.5, 2.5, 13, 11), 0.8);
    return image;
}

QImage DrawCaptionLibrary() {
    QImage image = NewCanvas(16, 16);
    QPainter p(&image);
    PreparePainter(p);
    for (int k = 2; k >= 0; --k)
        StoreDisc(p, 2.5, 1.5 + 4 * k, 11, 5.5, 3, 0.8);
    return image;
}

QImage DrawCaptionHelp() {
    QImage image = NewCanvas(16, 16);
    QPainter p(&image);
    PreparePainter(p);
    Book(p, QRectF(2.5, 1.5, 12, 13), true);
    return image;
}

}  // namespace qx::resgen
