// The live value panel of the device panel: its six fonts, the off-screen canvas over the
// instrument picture's display window, the background of the panel area (tiled texture and
// instrument picture) and the drawing of the live readings. What is drawn where comes from
// live_panel_layout.h; this class only paints it.
#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPixmap>
#include <QPoint>
#include <QRect>
#include <array>

#include "core/link/live_status_texts.h"
#include "core/model/instrument_catalogue.h"
#include "core/model/live_panel_layout.h"

class QPainter;

namespace qx {

class CTestCtrl {
  public:
    CTestCtrl();
    virtual ~CTestCtrl();
    CTestCtrl(const CTestCtrl&) = delete;
    CTestCtrl& operator=(const CTestCtrl&) = delete;

    // Font F1..F6: "Courier New" (or the installed stand-in) with its cell height and average
    // width in pixels; the weights above 700 are Qt's heaviest.
    const QFont& Font(qx::PanelFont font) const;
    // Creates the six fonts again (the device panel does so when it is constructed).
    void CreateFonts();

    // Makes the canvas 248 x LivePanelHeight(type). Returns true when it was (re)created,
    // false when its height already matched; a new canvas counts as never drawn.
    bool EnsureCanvas(qx::InstrumentTypeId type);
    void ReleaseCanvas();
    bool HasCanvas() const { return !canvas_.isNull(); }
    bool Drawn() const { return drawn_; }
    const QImage& Canvas() const { return canvas_; }

    // Canvas mode: the display window of the type's instrument picture becomes the canvas's
    // background.
    void DrawPanelBackground(QPainter& canvas, qx::InstrumentTypeId type) const;
    // Window mode: tiles the texture over the panel area from its top-left corner down to
    // clientBottom, and centres the instrument picture in it (one pixel above its top). A panel
    // area narrower than the picture gets no picture and keeps the last x offset.
    void DrawPanelBackground(QPainter& window, const QRect& panelArea, int clientBottom,
                             qx::InstrumentTypeId type);
    // Horizontal offset of the canvas in the panel area (initially 20).
    int PanelXOffset() const { return xOffset_; }
    // Where the canvas is shown: (panel left + x offset, panel top + 30).
    QPoint CanvasPosition(const QRect& panelArea) const;

    // Draws the live readings of `texts` for `type` into the canvas in `textColour`; does
    // nothing without a canvas. Marks the canvas as drawn.
    void DrawLivePanel(const qx::LiveStatusTexts& texts, qx::InstrumentTypeId type,
                       const QColor& textColour);

    static QColor ToQColor(const qx::PanelColour& c) { return QColor(c.r, c.g, c.b); }

  private:
    std::array<QFont, 6> fonts_;
    QImage canvas_;
    int canvasHeight_ = 0;
    bool drawn_ = false;
    int xOffset_ = 20;
    QPixmap texture_;
};

}  // namespace qx
