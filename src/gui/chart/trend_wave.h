// CTrendWave: the trend chart control. Float series (up to kTrendMaxSeries) over one shared
// axis of time-stamped points, a horizontal scroll bar that moves the visible window, a
// readout strip and a crosshair that follow the mouse, and point picking by double click.
// An owner fills it either in one call with a series list (SetSeriesList, trend_series.h) or
// point by point with AllocSeries, SetPointValue and SetPointTime.
//
// Every change redraws an off-screen back buffer of the window's size; painting only copies
// it. The owner suspends drawing with EnableDrawing(false) while it fills the chart and
// resumes it afterwards, which draws once. DrawChart with a page rectangle draws the printed
// variant onto any painter and leaves the screen settings as they were.
#pragma once

#include <QFont>
#include <QImage>
#include <QRect>
#include <QRgb>
#include <QString>
#include <QWidget>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "trend_renderer.h"
#include "trend_series.h"
#include "trend_state.h"

class QPainter;
class QScrollBar;

namespace qx {

// What the chart tells its owner when a double click picks a point.
struct TrendPickNotify {
    QWidget* window = nullptr;  // the chart
    unsigned controlId = 0;     // the chart's control id
    int code = -101;
    int band = -1;   // series of the band under the mouse, -1 when none (overlapped mode)
    int point = -1;  // picked point, -1 when none
};

class CTrendWave : public QWidget {
    Q_OBJECT

  public:
    static constexpr const char* kWindowClass = "MFCTrendWave";
    static constexpr int kScrollBarId = 1231;
    static constexpr int kScrollBarHeight = 16;
    static constexpr int kPickCode = -101;

    explicit CTrendWave(QWidget* parent = nullptr, unsigned controlId = 0);
    ~CTrendWave() override;

    // Settings without an operation: the owner sets them before the chart is first drawn.
    int& timeLabelLines;      // 1, or 2 for the date and the time of day on separate lines
    int& bottomMargin;        // height of the time-label area in pixels
    bool& pickOnDoubleClick;  // a double click picks a point and emits PickNotify

    // The operations. "Previous" results return the setting as it was before the call; bad
    // indexes make an operation do nothing (colour results are then 0).
    bool EnableDrawing(bool enable);
    // A whole data set in one call (trend_series.h), shown from its first point with every
    // point in view; false, changing nothing, for a list the chart cannot take (no series, more
    // than kTrendMaxSeries, more than kTrendMaxPoints points).
    bool SetSeriesList(TrendSeriesList list);
    // Which series the value axes show (trend_axes.h); an empty list goes back to the dual
    // axes of SetDualAxes and SetAxisSeries.
    void SetValueAxes(std::vector<TrendAxis> axes);
    bool AllocSeries(int seriesCount, int pointCount, std::span<const int> storageCodes = {});
    int SelectSeries(int index);
    void SetPointValue(int point, float value);  // of the current series
    void SetPointTime(int point, int64_t time);  // shared by all series
    // index >= 0: the series' name and unit; index < 0: the name becomes the time caption.
    // A text not given leaves its field unchanged. Names are kept whole up to kTrendNameLimit
    // characters and units up to kTrendUnitLimit; longer ones end in "…".
    void SetSeriesText(int index, const std::optional<QString>& name,
                       const std::optional<QString>& unit = std::nullopt);
    QRgb SetSeriesColor(int index, QRgb colour);
    QRgb SetBandColor(int index, QRgb colour);
    QRgb SetPlotColor(QRgb colour);
    void SetSeriesPen(int width, int style);  // of the current series
    void SetSeriesDecimals(int index, int decimals);
    void SetAxisDecimals(int index, int decimals);
    void SetSeriesRange(int index, float low, float high);
    float SetSeriesStep(int index, float step);
    void SetCommonRange(float low, float high);
    void SetTimeRange(float first, float last);
    void SetSpan(int points);
    float SetTimeStep(float step);
    bool SetDualAxes(bool on);
    int SetAxisSeries(int axis, int series);
    void SetAlarmLines(int index, float lowLevel, float highLevel, QRgb lowColour, QRgb highColour,
                       int lowStyle, int highStyle);
    void ShowAlarmLines(int index, bool showLow, bool showHigh);
    bool SetSeriesVisible(int index, bool visible);
    int SetMarkSize(int radius);
    int SelectPoint(int point);
    void SetTimeFormat(int mode, const QString& format);
    void SetChartFont(int charWidth, int charHeight);
    void SetReadoutWidths(std::span<const int> widths);
    bool SetFixedReadoutWidths(bool fixed);
    bool SetBanded(bool banded);

    // Draws the whole chart with labelFont: onto the window's area (page not given), or the
    // printed variant into the page rectangle in the painter's logical units. Use a font
    // sized in pixels (MakeChartFont) so that its size follows the painter's units.
    void DrawChart(QPainter& painter, const QFont& labelFont,
                   const std::optional<QRect>& page = std::nullopt);

    // Lays out and redraws the back buffer when drawing is enabled.
    void Refresh();
    // Redraws the back buffer and invalidates the rectangle (the whole window when not given).
    void Render(const std::optional<QRect>& invalidate = std::nullopt);
    // Lays out the plot and the bands in the rectangle (the client rectangle when not given).
    void Layout(const std::optional<QRect>& rect = std::nullopt);
    void UpdateScrollBar();
    void UpdateVisibleWindow();

    const TrendState& State() const { return state_; }
    const QImage& BackBuffer() const { return buffer_; }
    const QFont& ChartFont() const { return chartFont_; }
    QScrollBar* ScrollBar() const { return bar_; }
    unsigned ControlId() const { return controlId_; }
    void SetControlId(unsigned id) { controlId_ = id; }

  signals:
    void PickNotify(const qx::TrendPickNotify& notify);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

  private:
    void OnScrollAction(int action);
    void Track(QPoint position, bool relaid = false);
    void TakeFocus();
    void PlaceScrollBar();
    bool ScrollBarShown() const;
    TrendRect ClientArea() const;
    void RefreshIf(bool changed);
    bool ValidSeries(int index) const { return state_.HasSeriesRecord(index); }

    TrendState state_;
    TrendRenderer renderer_;
    QImage buffer_;
    QFont chartFont_;
    QScrollBar* bar_ = nullptr;
    unsigned controlId_ = 0;
    int lastPickBand_ = -1;
    int lastPickPoint_ = -1;
};

}  // namespace qx
