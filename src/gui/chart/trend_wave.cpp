#include "trend_wave.h"

#include <QFocusEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QScrollBar>
#include <algorithm>

#include "chart_font.h"
#include "trend_layout.h"
#include "trend_scale.h"
#include "trend_scroll.h"

namespace qx {

CTrendWave::CTrendWave(QWidget* parent, unsigned controlId)
    : QWidget(parent),
      timeLabelLines(state_.timeLabelLines),
      bottomMargin(state_.bottomMargin),
      pickOnDoubleClick(state_.pickOnDoubleClick),
      chartFont_(MakeChartFont(state_.charWidth, state_.charHeight)),
      controlId_(controlId) {
    setObjectName(QStringLiteral("TrendWave"));
    setProperty("windowClass", QString::fromLatin1(kWindowClass));
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setCursor(Qt::ArrowCursor);

    bar_ = new QScrollBar(Qt::Horizontal, this);
    bar_->setObjectName(QStringLiteral("TrendScrollBar"));
    bar_->setProperty("controlId", kScrollBarId);
    bar_->setFocusPolicy(Qt::NoFocus);
    bar_->setGeometry(0, 0, 100, kScrollBarHeight);
    bar_->hide();
    connect(bar_, &QScrollBar::actionTriggered, this, &CTrendWave::OnScrollAction);
    Layout();
}

CTrendWave::~CTrendWave() = default;

// ---- operations ----------------------------------------------------------------------------

bool CTrendWave::EnableDrawing(bool enable) {
    const bool previous = state_.drawingEnabled;
    state_.drawingEnabled = enable;
    Refresh();
    return previous;
}

bool CTrendWave::SetSeriesList(TrendSeriesList list) {
    if (!state_.SetSeriesList(std::move(list))) return false;
    {
        const QSignalBlocker quiet(bar_);
        bar_->setValue(bar_->minimum());
    }
    UpdateScrollBar();
    UpdateVisibleWindow();
    Refresh();
    return true;
}

void CTrendWave::SetValueAxes(std::vector<TrendAxis> axes) {
    state_.axisSpecs = std::move(axes);
    Refresh();
}

bool CTrendWave::AllocSeries(int seriesCount, int pointCount, std::span<const int> storageCodes) {
    if (!state_.AllocSeries(seriesCount, pointCount, storageCodes)) return false;
    UpdateScrollBar();
    return true;
}

int CTrendWave::SelectSeries(int index) {
    const int previous = state_.currentSeries;
    state_.currentSeries = index >= 0 && index < state_.seriesCount ? index : 0;
    return previous;
}

void CTrendWave::SetPointValue(int point, float value) {
    const int s = state_.currentSeries;
    if (s < 0 || s >= state_.seriesCount || point < 0) return;
    std::vector<float>& values = state_.series[s].values;
    if (point <= state_.capacity + 1 && static_cast<size_t>(point) < values.size()) {
        values[point] = value;
    }
}

void CTrendWave::SetPointTime(int point, int64_t time) {
    if (point < 0 || point > state_.capacity + 1) return;
    if (static_cast<size_t>(point) < state_.times.size()) state_.times[point] = time;
}

void CTrendWave::SetSeriesText(int index, const std::optional<QString>& name,
                               const std::optional<QString>& unit) {
    if (index < 0) {
        if (name) state_.timeCaption = LimitText(*name, kTrendNameLimit);
    } else if (index < state_.seriesCount) {
        TrendSeries& s = state_.series[index];
        if (name) s.name = LimitText(*name, kTrendNameLimit);
        if (unit) s.unit = LimitText(*unit, kTrendUnitLimit);
    } else {
        return;
    }
    Refresh();
}

QRgb CTrendWave::SetSeriesColor(int index, QRgb colour) {
    if (!ValidSeries(index)) return 0;
    const QRgb previous = state_.series[index].colour;
    state_.series[index].colour = colour;
    RefreshIf(previous != colour);
    return previous;
}

QRgb CTrendWave::SetBandColor(int index, QRgb colour) {
    if (!ValidSeries(index)) return 0;
    const QRgb previous = state_.series[index].bandColour;
    state_.series[index].bandColour = colour;
    RefreshIf(previous != colour);
    return previous;
}

QRgb CTrendWave::SetPlotColor(QRgb colour) {
    const QRgb previous = state_.plotColour;
    state_.plotColour = colour;
    RefreshIf(previous != colour);
    return previous;
}

void CTrendWave::SetSeriesPen(int width, int style) {
    const int s = state_.currentSeries;
    if (s < 0 || s >= state_.seriesCount) return;
    state_.series[s].penWidth = width;
    state_.series[s].penStyle = style;
}

void CTrendWave::SetSeriesDecimals(int index, int decimals) {
    decimals = std::clamp(decimals, 0, 8);
    if (index < 0) {
        state_.commonDecimals = decimals;
    } else if (ValidSeries(index)) {
        state_.series[index].readoutDecimals = decimals;
    } else {
        return;
    }
    Refresh();
}

void CTrendWave::SetAxisDecimals(int index, int decimals) {
    decimals = std::clamp(decimals, 0, 5);
    if (index < 0) {
        state_.commonAxisDecimals = decimals;
    } else if (ValidSeries(index)) {
        state_.series[index].axisDecimals = decimals;
    } else {
        return;
    }
    Refresh();
}

void CTrendWave::SetSeriesRange(int index, float low, float high) {
    if (!ValidSeries(index) || !(high > low)) return;
    state_.series[index].low = low;
    state_.series[index].high = high;
    Refresh();
}

float CTrendWave::SetSeriesStep(int index, float step) {
    if (!ValidSeries(index)) return -1.0f;
    const float previous = state_.series[index].step;
    state_.series[index].step = step;
    Refresh();
    return previous;
}

void CTrendWave::SetCommonRange(float low, float high) {
    if (!(high > low)) return;
    state_.commonLow = low;
    state_.commonHigh = high;
    Refresh();
}

void CTrendWave::SetTimeRange(float first, float last) {
    if (!(last > first)) return;
    state_.timeFirst = first;
    state_.timeLast = last;
    UpdateScrollBar();
    UpdateVisibleWindow();
    Refresh();
}

void CTrendWave::SetSpan(int points) {
    state_.span = std::max(points, 1);
    UpdateScrollBar();
    UpdateVisibleWindow();
    Refresh();
}

float CTrendWave::SetTimeStep(float step) {
    const float previous = state_.timeStep;
    state_.timeStep = step;
    Refresh();
    return previous;
}

bool CTrendWave::SetDualAxes(bool on) {
    const bool previous = state_.dualAxes;
    state_.dualAxes = on;
    RefreshIf(previous != on);
    return previous;
}

int CTrendWave::SetAxisSeries(int axis, int series) {
    axis = std::clamp(axis, 0, 1);
    const int previous = state_.axisSeries[axis];
    state_.axisSeries[axis] = series;
    RefreshIf(previous != series);
    return previous;
}

void CTrendWave::SetAlarmLines(int index, float lowLevel, float highLevel, QRgb lowColour,
                               QRgb highColour, int lowStyle, int highStyle) {
    if (!ValidSeries(index)) return;
    std::array<TrendAlarmLine, 2>& lines = state_.series[index].alarms;
    lines[0].level = lowLevel;
    lines[0].colour = lowColour;
    lines[0].penStyle = lowStyle;
    lines[1].level = highLevel;
    lines[1].colour = highColour;
    lines[1].penStyle = highStyle;
    Refresh();
}

void CTrendWave::ShowAlarmLines(int index, bool showLow, bool showHigh) {
    if (!ValidSeries(index)) return;
    state_.series[index].alarms[0].shown = showLow;
    state_.series[index].alarms[1].shown = showHigh;
    Refresh();
}

bool CTrendWave::SetSeriesVisible(int index, bool visible) {
    if (!ValidSeries(index)) return false;
    const bool previous = state_.series[index].visible;
    state_.series[index].visible = visible;
    Refresh();
    return previous;
}

int CTrendWave::SetMarkSize(int radius) {
    const int previous = state_.markSize;
    state_.markSize = std::clamp(radius, 0, 10);
    RefreshIf(previous != state_.markSize);
    return previous;
}

int CTrendWave::SelectPoint(int point) {
    const SelectPointResult result = ApplySelectPoint(state_, point);
    if (result.moved && ScrollBarShown()) {
        bar_->setValue(BarPositionFor(state_, state_.scrollPos));
    }
    Refresh();
    return result.previous;
}

void CTrendWave::SetTimeFormat(int mode, const QString& format) {
    state_.timeLabelMode = mode;
    state_.timeFormat = CutText(format, kTrendFormatLimit);
}

void CTrendWave::SetChartFont(int charWidth, int charHeight) {
    state_.charWidth = charWidth;
    state_.charHeight = charHeight;
    chartFont_ = MakeChartFont(charWidth, charHeight);
}

void CTrendWave::SetReadoutWidths(std::span<const int> widths) {
    const size_t n = std::min(widths.size(), state_.readoutWidths.size());
    std::copy_n(widths.begin(), n, state_.readoutWidths.begin());
    Refresh();
}

bool CTrendWave::SetFixedReadoutWidths(bool fixed) {
    const bool previous = state_.fixedReadoutWidths;
    state_.fixedReadoutWidths = fixed;
    Refresh();
    return previous;
}

bool CTrendWave::SetBanded(bool banded) {
    const bool previous = state_.banded;
    state_.banded = banded;
    RefreshIf(previous != banded);
    return previous;
}

// ---- drawing -------------------------------------------------------------------------------

void CTrendWave::DrawChart(QPainter& painter, const QFont& labelFont,
                           const std::optional<QRect>& page) {
    TrendRenderer::Target target;
    target.barHeight = kScrollBarHeight;
    if (page) {
        target.page = true;
        target.area = {page->x(), page->y(), page->x() + page->width(), page->y() + page->height()};
    } else {
        target.area = ClientArea();
        target.focused = hasFocus();
    }
    renderer_.DrawChart(painter, state_, labelFont, target);
    if (!page && state_.ScrollingNeeded()) {
        PlaceScrollBar();
        bar_->update();
    }
}

void CTrendWave::Refresh() {
    if (!state_.drawingEnabled) return;
    Layout();
    Render();
}

void CTrendWave::Render(const std::optional<QRect>& invalidate) {
    if (width() > 0 && height() > 0) {
        if (buffer_.size() != size()) {
            buffer_ = QImage(size(), QImage::Format_RGB32);
            buffer_.fill(QColor::fromRgb(state_.frameColour));
        }
        QPainter painter(&buffer_);
        DrawChart(painter, chartFont_);
        // The new picture has no crosshair; the next tracking step draws it afresh.
        state_.crossX = -1;
        state_.crossY = -1;
    }
    update(invalidate.value_or(rect()));
}

void CTrendWave::Layout(const std::optional<QRect>& rect) {
    TrendRect area = ClientArea();
    if (rect) area = {rect->x(), rect->y(), rect->x() + rect->width(), rect->y() + rect->height()};
    LayoutPlot(state_, area, kScrollBarHeight);
}

void CTrendWave::UpdateScrollBar() {
    const ScrollBarSetup setup = ComputeScrollBar(state_, bar_->value());
    if (!setup.shown) {
        bar_->hide();
        return;
    }
    {
        const QSignalBlocker quiet(bar_);
        // A scroll bar here counts the start of the page: its last position is where the
        // last page begins.
        bar_->setRange(setup.minimum,
                       std::max(setup.minimum, setup.maximum - std::max(setup.page - 1, 0)));
        bar_->setPageStep(setup.page);
        bar_->setSingleStep(std::max(1, BarPositionFor(state_, state_.lineStep)));
        bar_->setValue(setup.position);
    }
    PlaceScrollBar();
    bar_->show();
}

void CTrendWave::UpdateVisibleWindow() {
    state_.UpdateVisibleWindow();
}

void CTrendWave::PlaceScrollBar() {
    bar_->setGeometry(state_.plot.left, state_.plot.bottom - kScrollBarHeight,
                      state_.plot.right - state_.plot.left, kScrollBarHeight);
}

bool CTrendWave::ScrollBarShown() const {
    return !bar_->isHidden();
}

TrendRect CTrendWave::ClientArea() const {
    return {0, 0, width(), height()};
}

void CTrendWave::RefreshIf(bool changed) {
    if (changed) Refresh();
}

// ---- window events -------------------------------------------------------------------------

void CTrendWave::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    if (state_.plotWidth >= 32 && state_.plotHeight >= 32 && buffer_.width() > 1 &&
        buffer_.height() > 1) {
        painter.drawImage(event->rect().topLeft(), buffer_, event->rect());
        return;
    }
    painter.fillRect(event->rect(), palette().window());
}

void CTrendWave::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Layout();
    UpdateScrollBar();
    UpdateVisibleWindow();
    Render();
}

void CTrendWave::OnScrollAction(int action) {
    const int oldScroll = state_.scrollPos;
    const int oldSpan = state_.span;
    int delta = 0;
    switch (action) {
        case QAbstractSlider::SliderSingleStepAdd:
            delta = state_.lineStep;
            break;
        case QAbstractSlider::SliderSingleStepSub:
            delta = -state_.lineStep;
            break;
        case QAbstractSlider::SliderPageStepAdd:
            delta = state_.span;
            break;
        case QAbstractSlider::SliderPageStepSub:
            delta = -state_.span;
            break;
        case QAbstractSlider::SliderMove:
            state_.scrollPos =
                ScrollPosForThumb(state_, static_cast<unsigned>(bar_->sliderPosition()));
            break;
        default:
            // Jumps to either end move nothing: keep the bar where it was.
            bar_->setSliderPosition(bar_->value());
            return;
    }
    if (action != QAbstractSlider::SliderMove) {
        const int target = ScrollTarget(state_, delta);
        if (target == state_.scrollPos) {
            bar_->setSliderPosition(bar_->value());
            return;
        }
        state_.scrollPos = target;
        bar_->setSliderPosition(BarPositionFor(state_, target));
    }
    if (state_.scrollPos != oldScroll || state_.span != oldSpan) UpdateVisibleWindow();
    Render();
}

void CTrendWave::Track(QPoint position, bool relaid) {
    if (state_.span <= 0 || state_.pointCount == 0 || buffer_.isNull()) return;
    const TrendHit hit =
        HitTest(state_, position.x(), position.y(), ScrollBarShown(), kScrollBarHeight);
    if (hit.point < 0) {
        if (state_.crossX != -1) {
            TrendRenderer::DrawCrosshair(buffer_, state_, state_.crossX, state_.crossY);
            update();
        }
        state_.crossX = -1;
        state_.crossY = -1;
        return;
    }
    if (hit.x == state_.crossX && hit.y == state_.crossY) return;
    if (state_.crossX != -1) {
        TrendRenderer::DrawCrosshair(buffer_, state_, state_.crossX, state_.crossY);
    }
    TrendRenderer::DrawCrosshair(buffer_, state_, hit.x, hit.y);
    state_.crossX = hit.x;
    state_.crossY = hit.y;
    QPainter painter(&buffer_);
    painter.setFont(chartFont_);
    if (!renderer_.DrawReadout(painter, state_, hit.point) && !relaid) {
        // The strip of this point needs another row: lay out and draw again, then track.
        painter.end();
        state_.readoutPoint = hit.point;
        Refresh();
        Track(position, true);
        return;
    }
    update();
    state_.readoutPoint = hit.point;
}

void CTrendWave::TakeFocus() {
    if (!hasFocus()) setFocus(Qt::MouseFocusReason);
}

void CTrendWave::mouseMoveEvent(QMouseEvent* event) {
    if (state_.plotWidth < 32 || state_.plotHeight < 32 || state_.span <= 0 ||
        state_.pointCount == 0) {
        return;
    }
    Track(event->position().toPoint());
    if (cursor().shape() != Qt::ArrowCursor) setCursor(Qt::ArrowCursor);
    QWidget::mouseMoveEvent(event);
}

void CTrendWave::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        TakeFocus();
        Track(event->position().toPoint());
    } else if (event->button() == Qt::RightButton) {
        TakeFocus();
    }
    QWidget::mousePressEvent(event);
}

void CTrendWave::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mouseDoubleClickEvent(event);
        return;
    }
    TakeFocus();
    if (state_.pickOnDoubleClick) {
        const QPoint at = event->position().toPoint();
        const int band = BandAt(state_, at.x(), at.y());
        const int point = PointByX(state_, at.x() - state_.plot.left);
        if (band != lastPickBand_ || point != lastPickPoint_) {
            lastPickBand_ = band;
            lastPickPoint_ = point;
            state_.selectedPoint = point;
            TrendPickNotify notify;
            notify.window = this;
            notify.controlId = controlId_;
            notify.code = kPickCode;
            notify.band = band;
            notify.point = point;
            emit PickNotify(notify);
            state_.crossX = -1;
            state_.crossY = -1;
            Render(QRect(state_.plot.left, state_.plot.top, state_.plot.Width(),
                         state_.plot.Height()));
        }
    }
    QWidget::mouseDoubleClickEvent(event);
}

void CTrendWave::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    if (buffer_.isNull()) return;
    QPainter painter(&buffer_);
    TrendRenderer::DrawFocusOutlines(painter, state_, true);
    update();
}

void CTrendWave::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    if (buffer_.isNull()) return;
    QPainter painter(&buffer_);
    TrendRenderer::DrawFocusOutlines(painter, state_, false);
    update();
}

}  // namespace qx
