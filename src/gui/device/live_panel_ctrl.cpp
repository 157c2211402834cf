#include "live_panel_ctrl.h"

#include <QFontMetrics>
#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "gui/common/app_fonts.h"
#include "gui/common/app_pictures.h"
#include "gui/common/qt_text.h"

namespace qx {

namespace {

// The face tables count a font's height as its whole cell (ascent plus descent) and its width
// as the average character width; Qt sizes fonts by their em. Scale the em until the cell has
// the table's height, then stretch the glyphs to the table's width. Weights above Qt's
// heaviest (900, Black) are drawn Black.
QFont MakePanelFont(const qx::PanelFontSpec& panel) {
    QFont font =
        qx::MakeFont(QStringLiteral("Courier New"), panel.height, 0, std::min(panel.weight, 900));
    const qreal cell = QFontMetricsF(font).height();
    if (cell > 0) {
        font.setPixelSize(
            std::max(1, static_cast<int>(std::lround(panel.height * panel.height / cell))));
    }
    const qreal average = QFontMetricsF(font).averageCharWidth();
    if (average > 0) {
        font.setStretch(
            std::clamp(static_cast<int>(std::lround(100.0 * panel.width / average)), 25, 400));
    }
    return font;
}

QRect ToQRect(const qx::PanelRect& r) {
    return QRect(r.left, r.top, r.Width(), r.Height());
}

// The outline of a rectangle on its pixels left..right-1, top..bottom-1.
void Frame(QPainter& p, const qx::PanelRect& r, const QColor& c) {
    if (r.Width() <= 0 || r.Height() <= 0) return;
    p.fillRect(r.left, r.top, r.Width(), 1, c);
    p.fillRect(r.left, r.bottom - 1, r.Width(), 1, c);
    p.fillRect(r.left, r.top, 1, r.Height(), c);
    p.fillRect(r.right - 1, r.top, 1, r.Height(), c);
}

void DrawPanelText(QPainter& p, const qx::PanelText& t, const QFont& font, const QColor& c) {
    if (t.text.empty()) return;
    p.setFont(font);
    p.setPen(c);
    QRect r = ToQRect(t.rect);
    int flags = Qt::TextDontClip | Qt::TextSingleLine;
    switch (t.align) {
        case qx::PanelAlign::kLeftTop:
            flags |= Qt::AlignLeft | Qt::AlignTop;
            break;
        case qx::PanelAlign::kRightTop:
            flags |= Qt::AlignRight | Qt::AlignTop;
            break;
        case qx::PanelAlign::kRightTopInk: {
            // Lift the text by the blank above its glyphs, so that a second line below it
            // keeps clear of it.
            const QFontMetrics m(font);
            r.translate(0, -(m.tightBoundingRect(qx::ToQString(t.text)).top() + m.ascent()));
            flags |= Qt::AlignRight | Qt::AlignTop;
            break;
        }
        case qx::PanelAlign::kRightBottom:
            flags |= Qt::AlignRight | Qt::AlignBottom;
            break;
        case qx::PanelAlign::kCentreTop2:
            r.setTop(r.top() + 2);
            flags |= Qt::AlignHCenter | Qt::AlignTop;
            break;
        case qx::PanelAlign::kAt:
            flags |= Qt::AlignLeft | Qt::AlignTop;
            break;
    }
    p.drawText(r, flags, qx::ToQString(t.text));
}

}  // namespace

CTestCtrl::CTestCtrl() {
    CreateFonts();
}

CTestCtrl::~CTestCtrl() = default;

void CTestCtrl::CreateFonts() {
    for (size_t i = 0; i < fonts_.size(); ++i)
        fonts_[i] = MakePanelFont(qx::kPanelFonts[i]);
}

const QFont& CTestCtrl::Font(qx::PanelFont font) const {
    return fonts_[static_cast<size_t>(font)];
}

bool CTestCtrl::EnsureCanvas(qx::InstrumentTypeId type) {
    const int h = qx::LivePanelHeight(type);
    if (!canvas_.isNull() && canvasHeight_ == h) return false;
    canvas_ = QImage(qx::kLivePanelWidth, h, QImage::Format_RGB32);
    canvas_.fill(Qt::white);
    canvasHeight_ = h;
    drawn_ = false;
    return true;
}

void CTestCtrl::ReleaseCanvas() {
    canvas_ = QImage();
    canvasHeight_ = 0;
    drawn_ = false;
}

void CTestCtrl::DrawPanelBackground(QPainter& canvas, qx::InstrumentTypeId type) const {
    const QRect window = qx::DisplayWindowRect(type);
    canvas.drawPixmap(QPoint(0, 0), qx::InstrumentPicture(type), window);
}

void CTestCtrl::DrawPanelBackground(QPainter& window, const QRect& panelArea, int clientBottom,
                                    qx::InstrumentTypeId type) {
    if (texture_.isNull()) texture_ = qx::PanelTexture();
    const int w = panelArea.width();
    if (!texture_.isNull()) {
        for (int y = panelArea.top(); y < clientBottom; y += texture_.height()) {
            for (int x = 0; x < w; x += texture_.width()) {
                window.drawPixmap(panelArea.left() + x, y, texture_);
            }
        }
    }
    const QPixmap picture = qx::InstrumentPicture(type);
    const int m = (w - picture.width()) / 2;
    if (m >= 0) {
        xOffset_ = m + 24;
        window.drawPixmap(panelArea.left() + m, panelArea.top() - 1, picture);
    }
}

QPoint CTestCtrl::CanvasPosition(const QRect& panelArea) const {
    return QPoint(panelArea.left() + xOffset_, panelArea.top() + 30);
}

void CTestCtrl::DrawLivePanel(const qx::LiveStatusTexts& texts, qx::InstrumentTypeId type,
                              const QColor& textColour) {
    if (canvas_.isNull()) return;
    const qx::LivePanelContent content = qx::MakeLivePanelContent(texts, type);
    const QColor alarmColour = ToQColor(qx::kPanelAlarmColour);

    QPainter p(&canvas_);
    DrawPanelBackground(p, type);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    p.setBackgroundMode(Qt::TransparentMode);

    for (const qx::PanelRect& line : content.layout.lines)
        Frame(p, line, textColour);
    for (const qx::LimitBoxLayout& box : content.layout.boxes)
        Frame(p, box.box, textColour);
    for (const qx::PanelCell& cell : content.cells) {
        // A crossed limit shows inverted; an empty part is only framed.
        const bool inverted = cell.alarm && !cell.text.text.empty();
        if (inverted) p.fillRect(ToQRect(cell.part), textColour);
        Frame(p, cell.part, textColour);
        DrawPanelText(p, cell.text, Font(cell.text.font), inverted ? alarmColour : textColour);
    }
    for (const qx::PanelText& t : content.texts)
        DrawPanelText(p, t, Font(t.font), textColour);
    drawn_ = true;
}

}  // namespace qx
