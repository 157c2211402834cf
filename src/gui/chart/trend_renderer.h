// Draws a trend chart's state onto any QPainter: the back buffer of the window, or a printed
// page in the logical units of the painter. Keeps its working buffers between drawings so that
// a drawing allocates nothing per point.
#pragma once

#include <QFont>
#include <QImage>
#include <QLine>
#include <QPoint>
#include <QString>
#include <vector>

#include "curve_path.h"
#include "trend_axes.h"
#include "trend_scale.h"
#include "trend_state.h"

class QPainter;

namespace qx {

// Qt's pen style for a chart pen style code: 0 solid, 1 dash, 2 dot, 3 dash-dot,
// 4 dash-dot-dot; other codes draw solid.
Qt::PenStyle TrendPenStyle(int code);

// Colour of the selection marker: the series colour as the 32-bit value 0x00BBGGRR shifted
// right by one bit.
QRgb SelectionMarkColour(QRgb seriesColour);

class TrendRenderer {
  public:
    struct Target {
        TrendRect area;        // the client rectangle, or the page rectangle
        bool page = false;     // the printed variant
        bool focused = false;  // the window has the keyboard focus (screen only)
        int barHeight = 0;     // scroll bar height, for the layout
    };

    // Draws the whole chart with labelFont. The screen variant may change the side margins
    // and lay out again; the printed variant draws with its own look and then restores every
    // setting of the state as it was.
    void DrawChart(QPainter& p, TrendState& s, const QFont& labelFont, const Target& target);

    // Lays out and draws the readout strip for point j with the painter's current font.
    // Returns false, drawing nothing, when the strip needs more rows than the layout keeps
    // (s.readoutRows): the chart is then to be laid out and drawn again.
    bool DrawReadout(QPainter& p, TrendState& s, int j);

    // Rows the readout strip of point j takes in the current layout, with font metrics.
    static int ReadoutRowsFor(TrendState& s, const QFontMetrics& metrics, int j);

    // The crosshair at (x, y) by exclusive-or with (128,128,127), one pixel wide: a line
    // across the plot at row y (none when y is -1) and one down the plot at column x. Drawing
    // it twice leaves the picture unchanged.
    static void DrawCrosshair(QImage& image, const TrendState& s, int x, int y);

    // The outlines around the plot that show (or no longer show) the keyboard focus.
    static void DrawFocusOutlines(QPainter& p, const TrendState& s, bool focused);

  private:
    // The side margins the value axes need, laid out again when they change.
    void FitMargins(TrendState& s, const Target& target);
    void DrawChartBody(QPainter& p, TrendState& s, const Target& target);
    void DrawTimeAxis(QPainter& p, const TrendState& s);
    void DrawValueAxes(QPainter& p, const TrendState& s, const TrendRect& area);
    // Labels are kept within area, the client rectangle or the page. maxChars > 0 is the
    // room for labels in characters; 0 takes the room up to the area's edge.
    void DrawValueAxis(QPainter& p, const TrendState& s, const TrendRect& area, const TrendRect& r,
                       float low, float high, float step, int decimals, QRgb textColour, bool right,
                       bool grid, const AxisPlace& place, int maxChars);
    // The names and units of an axis's series along its outer side, turned to read upwards,
    // each in its series' colour; names are elided where the band is too short.
    void DrawAxisTitle(QPainter& p, const TrendState& s, const ResolvedAxis& axis,
                       const TrendRect& r, const AxisPlace& place);
    void DrawAlarmLines(QPainter& p, const TrendState& s);
    void DrawCurves(QPainter& p, const TrendState& s, bool page);
    void DrawCurve(QPainter& p, const TrendState& s, int index, bool page);
    void DrawGridDots(QPainter& p, const TrendState& s);

    // Metrics of the label font: average character width and height.
    int w_ = 7;
    int h_ = 14;
    std::vector<TimeTick> timeTicks_;
    std::vector<ValueTick> valueTicks_;
    std::vector<TimeLabel> labels_;
    CurvePath path_;
    std::vector<QPoint> pagePoints_;
    ResolvedAxes axes_;
    std::vector<AxisPlace> places_;
    std::vector<QLine> lines_;
    std::vector<QPoint> dots_;
    QImage* pixelTarget_ = nullptr;  // the image solid curves are written into, if any
};

}  // namespace qx
