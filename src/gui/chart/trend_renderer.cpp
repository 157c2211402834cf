#include "trend_renderer.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>

#include "chart_font.h"
#include "pixel_lines.h"
#include "trend_layout.h"

namespace qx {

namespace {

constexpr QRgb kBlack = qRgb(0, 0, 0);
constexpr QRgb kWhite = qRgb(255, 255, 255);
constexpr QRgb kCellBlue = qRgb(220, 220, 250);
constexpr QRgb kCrosshair = qRgb(128, 128, 127);

QRect ToQRect(const TrendRect& r) {
    return QRect(r.left, r.top, r.Width(), r.Height());
}

void Fill(QPainter& p, const TrendRect& r, QRgb colour) {
    if (r.Width() > 0 && r.Height() > 0) p.fillRect(ToQRect(r), QColor::fromRgb(colour));
}

// Four one-unit lines through the outermost rows and columns of r.
void Outline(QPainter& p, const TrendRect& r, QRgb colour) {
    if (r.Width() <= 0 || r.Height() <= 0) return;
    const QColor c = QColor::fromRgb(colour);
    p.fillRect(QRect(r.left, r.top, r.Width(), 1), c);
    p.fillRect(QRect(r.left, r.bottom - 1, r.Width(), 1), c);
    p.fillRect(QRect(r.left, r.top, 1, r.Height()), c);
    p.fillRect(QRect(r.right - 1, r.top, 1, r.Height()), c);
}

// A pen of the given width; one-unit lines leave out their last pixel, as lines from one
// point to the next do, and wider ones get square ends so that their segments join.
QPen ChartPen(QRgb colour, int width, Qt::PenStyle style) {
    QPen pen(QColor::fromRgb(colour), std::max(width, 1), style);
    pen.setCapStyle(width <= 1 ? Qt::FlatCap : Qt::SquareCap);
    pen.setJoinStyle(Qt::MiterJoin);
    return pen;
}

void Text(QPainter& p, const TrendRect& r, int flags, const QString& text) {
    p.drawText(ToQRect(r), flags | Qt::TextSingleLine, text);
}

// The first point after j, below end, whose column (counted from the plot's left edge) lies
// right of column, for points whose columns trunc((j - scroll) x xscale) never decrease.
int NextColumnStart(int j, int end, int column, int scroll, float xscale) {
    auto columnOf = [&](int k) {
        return static_cast<int>(static_cast<float>(k - scroll) * xscale);
    };
    if (!(xscale > 0.0f)) return end;
    const double estimate =
        std::ceil(static_cast<double>(column + 1) / static_cast<double>(xscale)) + scroll;
    int k = static_cast<int>(
        std::clamp(estimate, static_cast<double>(j + 1), static_cast<double>(end)));
    while (k > j + 1 && columnOf(k - 1) > column) {
        --k;
    }
    while (k < end && columnOf(k) <= column) {
        ++k;
    }
    return k;
}

// Settings the printed variant replaces while it draws.
struct PageLook {
    QRgb frameColour, borderColour, plotColour;
    bool dottedGrid;
    int gridWidth, borderThickness, marginLeft, marginTop, marginRight, bottomMargin;
    TrendRect plot;
    int plotWidth, plotHeight, visibleSeries;
    std::array<QRgb, kTrendMaxSeries> bandColours;
    std::array<int, kTrendMaxSeries> penWidths;
    std::array<TrendRect, kTrendMaxSeries> bands;
};

PageLook SaveLook(const TrendState& s) {
    PageLook l{s.frameColour,
               s.borderColour,
               s.plotColour,
               s.dottedGrid,
               s.gridWidth,
               s.borderThickness,
               s.marginLeft,
               s.marginTop,
               s.marginRight,
               s.bottomMargin,
               s.plot,
               s.plotWidth,
               s.plotHeight,
               s.visibleSeries,
               {},
               {},
               {}};
    for (int i = 0; i < kTrendMaxSeries; ++i) {
        l.bandColours[i] = s.series[i].bandColour;
        l.penWidths[i] = s.series[i].penWidth;
        l.bands[i] = s.series[i].band;
    }
    return l;
}

void RestoreLook(TrendState& s, const PageLook& l) {
    s.frameColour = l.frameColour;
    s.borderColour = l.borderColour;
    s.plotColour = l.plotColour;
    s.dottedGrid = l.dottedGrid;
    s.gridWidth = l.gridWidth;
    s.borderThickness = l.borderThickness;
    s.marginLeft = l.marginLeft;
    s.marginTop = l.marginTop;
    s.marginRight = l.marginRight;
    s.bottomMargin = l.bottomMargin;
    s.plot = l.plot;
    s.plotWidth = l.plotWidth;
    s.plotHeight = l.plotHeight;
    s.visibleSeries = l.visibleSeries;
    for (int i = 0; i < kTrendMaxSeries; ++i) {
        s.series[i].bandColour = l.bandColours[i];
        s.series[i].penWidth = l.penWidths[i];
        s.series[i].band = l.bands[i];
    }
}

}  // namespace

Qt::PenStyle TrendPenStyle(int code) {
    switch (code) {
        case 1:
            return Qt::DashLine;
        case 2:
            return Qt::DotLine;
        case 3:
            return Qt::DashDotLine;
        case 4:
            return Qt::DashDotDotLine;
        default:
            return Qt::SolidLine;
    }
}

QRgb SelectionMarkColour(QRgb c) {
    const uint32_t bgr =
        (static_cast<uint32_t>(qBlue(c)) << 16) | (static_cast<uint32_t>(qGreen(c)) << 8) | qRed(c);
    const uint32_t shifted = bgr >> 1;
    return qRgb(shifted & 0xFF, (shifted >> 8) & 0xFF, (shifted >> 16) & 0xFF);
}

void TrendRenderer::DrawChart(QPainter& p, TrendState& s, const QFont& labelFont,
                              const Target& target) {
    const QFontMetrics metrics(labelFont, p.device());
    h_ = metrics.height();
    w_ = ChartCharWidth(metrics);

    // On screen, into an image without any mapping, grid dots and solid curves are written
    // straight into its pixels.
    pixelTarget_ = nullptr;
    if (!target.page && p.device() && p.device()->devType() == QInternal::Image &&
        p.deviceTransform().isIdentity() &&
        p.compositionMode() == QPainter::CompositionMode_SourceOver && p.opacity() == 1.0) {
        QImage* image = static_cast<QImage*>(p.device());
        if (CanDrawPixelLines(*image)) pixelTarget_ = image;
    }

    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setFont(labelFont);
    if (target.page) {
        const PageLook saved = SaveLook(s);
        s.frameColour = kWhite;
        s.borderColour = kBlack;
        s.plotColour = kWhite;
        for (TrendSeries& series : s.series) {
            series.bandColour = kWhite;
            series.penWidth = 3;
        }
        s.dottedGrid = false;
        s.gridWidth = 2;
        s.borderThickness = 2;
        s.marginLeft = s.marginRight = 6 * w_;
        s.marginTop = h_;
        s.bottomMargin = (s.timeLabelLines + 1) * h_;
        LayoutPlot(s, target.area, target.barHeight);
        DrawChartBody(p, s, target);
        RestoreLook(s, saved);
    } else {
        if (s.marginLeft != 6 * w_ || s.marginRight != 6 * w_) {
            s.marginLeft = s.marginRight = 6 * w_;
            LayoutPlot(s, target.area, target.barHeight);
        }
        DrawChartBody(p, s, target);
    }
    p.restore();
}

void TrendRenderer::DrawChartBody(QPainter& p, TrendState& s, const Target& target) {
    const TrendRect& a = target.area;
    const int bandTop = a.top + s.marginTop;
    const int bandBottom = a.bottom - s.bottomMargin;
    Fill(p, {a.left, bandTop, a.left + s.marginLeft, bandBottom}, s.frameColour);
    Fill(p, {a.right - s.marginRight, bandTop, a.right, bandBottom}, s.frameColour);
    Fill(p, {a.left, a.top, a.right, bandTop}, s.frameColour);
    Fill(p, {a.left, bandBottom, a.right, a.bottom}, s.frameColour);

    p.setBackgroundMode(Qt::TransparentMode);
    for (int i = 1; i <= s.borderThickness; ++i) {
        Outline(p, s.plot.Grown(i), s.borderColour);
    }
    if (!target.page && target.focused) {
        const QRgb focus = qRgb(qRed(s.borderColour), qGreen(s.borderColour), 255);
        Outline(p, s.plot.Grown(s.borderThickness), focus);
        Outline(p, s.plot.Grown(s.borderThickness + 1), focus);
    }

    // In banded mode the plot is filled first as well, so that no part of it (the rows
    // between bands, the strip under the scroll bar) keeps an older picture.
    Fill(p, s.plot, s.plotColour);
    if (s.banded) {
        for (int i = 0; i < s.seriesCount; ++i) {
            if (s.series[i].visible) Fill(p, s.series[i].band, s.series[i].bandColour);
        }
    }

    DrawTimeAxis(p, s);
    DrawValueAxes(p, s, target.area);
    DrawAlarmLines(p, s);
    if (s.visibleSeries == 0 || s.pointCount == 0) return;
    DrawCurves(p, s, target.page);
    if (!target.page) {
        if (s.visibleCount > 0) {
            s.readoutPoint =
                std::clamp(s.readoutPoint, s.firstVisible, s.firstVisible + s.visibleCount - 1);
        }
        DrawReadout(p, s, s.readoutPoint);
    }
}

void TrendRenderer::DrawGridDots(QPainter& p, const TrendState& s) {
    if (dots_.empty()) return;
    if (pixelTarget_) {
        DrawPixels(*pixelTarget_, dots_.data(), dots_.size(), s.gridColour);
    } else {
        p.setPen(ChartPen(s.gridColour, 1, Qt::SolidLine));
        p.drawPoints(dots_.data(), static_cast<int>(dots_.size()));
    }
    dots_.clear();
}

void TrendRenderer::DrawTimeAxis(QPainter& p, const TrendState& s) {
    TimeTicks(s, timeTicks_);
    lines_.clear();
    dots_.clear();
    for (const TimeTick& tick : timeTicks_) {
        if (!tick.grid) continue;
        if (s.dottedGrid) {
            for (int r = 0; r < s.plotHeight; r += 2)
                dots_.emplace_back(tick.x, s.plot.top + r);
        } else {
            lines_.emplace_back(tick.x, s.plot.top, tick.x, s.plot.top + s.plotHeight);
        }
    }
    DrawGridDots(p, s);
    if (!lines_.empty()) {
        p.setPen(ChartPen(s.gridColour, s.gridWidth, Qt::SolidLine));
        p.drawLines(lines_.data(), static_cast<int>(lines_.size()));
    }

    MakeTimeLabels(s, timeTicks_, w_, labels_);
    const int labelTop = s.plot.bottom + s.borderThickness + 1;
    const int labelBottom = labelTop + s.bottomMargin - 2;
    p.setPen(QColor::fromRgb(kBlack));
    for (const TimeLabel& label : labels_) {
        if (!label.drawn) continue;
        const TrendRect r{label.left, labelTop, label.left + label.width, labelBottom};
        if (s.timeLabelLines == 2) {
            const TimeLabelLines parts = SplitTimeLabel(label.text);
            Text(p, r, Qt::AlignHCenter | Qt::AlignTop, parts.upper);
            Text(p, r, Qt::AlignHCenter | Qt::AlignBottom, parts.lower);
        } else {
            Text(p, r, Qt::AlignHCenter | Qt::AlignTop, label.text);
        }
    }
}

void TrendRenderer::DrawValueAxes(QPainter& p, const TrendState& s, const TrendRect& area) {
    if (s.banded && s.visibleSeries >= 1) {
        int last = -1;
        for (int i = 0; i < s.seriesCount; ++i) {
            const TrendSeries& series = s.series[i];
            if (!series.visible) continue;
            DrawValueAxis(p, s, area, series.band, series.low, series.high, series.step,
                          series.axisDecimals, kBlack, false, true);
            last = i;
        }
        if (s.visibleSeries > 1) {
            p.setPen(ChartPen(s.separatorColour, 1, Qt::SolidLine));
            for (int i = 0; i < last; ++i) {
                if (!s.series[i].visible) continue;
                const TrendRect& b = s.series[i].band;
                p.drawLine(b.left, b.bottom, b.right, b.bottom);
                p.drawLine(b.left, b.bottom + 1, b.right + 1, b.bottom + 1);
            }
        }
        return;
    }
    const int a0 = s.axisSeries[0];
    const int a1 = s.axisSeries[1];
    if (s.dualAxes && a0 >= 0 && a1 >= 0 && a0 < s.seriesCount && a1 < s.seriesCount) {
        const TrendSeries& left = s.series[a0];
        const TrendSeries& right = s.series[a1];
        DrawValueAxis(p, s, area, left.band, left.low, left.high, left.step, left.axisDecimals,
                      left.colour, false, true);
        DrawValueAxis(p, s, area, right.band, right.low, right.high, right.step, right.axisDecimals,
                      right.colour, true, false);
        return;
    }
    DrawValueAxis(p, s, area, s.plot, s.commonLow, s.commonHigh, s.commonStep, 0, kBlack, false,
                  true);
}

void TrendRenderer::DrawValueAxis(QPainter& p, const TrendState& s, const TrendRect& area,
                                  const TrendRect& r, float low, float high, float step,
                                  int decimals, QRgb textColour, bool right, bool grid) {
    ValueTicks(r, low, high, step, valueTicks_);
    if (grid) {
        lines_.clear();
        for (const ValueTick& tick : valueTicks_) {
            if (!tick.grid) continue;
            if (s.dottedGrid) {
                for (int c = 0; c < r.Width(); c += 2)
                    dots_.emplace_back(r.left + c, tick.y);
            } else {
                lines_.emplace_back(r.left, tick.y, r.right, tick.y);
            }
        }
        DrawGridDots(p, s);
        if (!lines_.empty()) {
            p.setPen(ChartPen(s.gridColour, s.gridWidth, Qt::SolidLine));
            p.drawLines(lines_.data(), static_cast<int>(lines_.size()));
        }
    }

    p.setPen(QColor::fromRgb(textColour));
    // Characters that fit between the axis and the edge of the area.
    const int labelEdge =
        right ? r.right + s.borderThickness + w_ / 2 : r.left - s.borderThickness - w_ / 2;
    const int room = right ? area.right - labelEdge : labelEdge - area.left;
    const int maxChars = w_ > 0 ? std::max(room / w_, 1) : INT_MAX;
    for (const ValueTick& tick : valueTicks_) {
        const QString text = FittedAxisLabelText(tick.value, decimals, step, maxChars);
        const int width = static_cast<int>(text.size()) * w_;
        TrendRect box;
        int horizontal;
        if (right) {
            box.left = labelEdge;
            box.right = box.left + width;
            horizontal = Qt::AlignLeft;
        } else {
            box.right = labelEdge;
            box.left = box.right - width;
            horizontal = Qt::AlignRight;
        }
        box.top = tick.y - h_ / 2;
        box.bottom = box.top + h_;
        int vertical = Qt::AlignVCenter;
        if (s.visibleSeries > 1) {
            if (box.top < r.top) {
                box.top = r.top - w_ / 2;
                box.bottom = box.top + h_;
                vertical = Qt::AlignTop;
            }
            if (box.bottom >= r.bottom) {
                box.bottom = r.bottom + w_ / 2;
                box.top = box.bottom - h_;
                vertical = Qt::AlignBottom;
            }
        }
        Text(p, box, horizontal | vertical, text);
    }
}

void TrendRenderer::DrawAlarmLines(QPainter& p, const TrendState& s) {
    for (int i = 0; i < s.seriesCount; ++i) {
        const TrendSeries& series = s.series[i];
        if (!series.visible) continue;
        const float scale = VerticalScale(series.band, series.low, series.high);
        for (const TrendAlarmLine& line : series.alarms) {
            if (!line.shown || !(series.low <= line.level && line.level <= series.high)) continue;
            const int y = ValueToY(line.level, series.band, series.low, scale);
            p.setPen(ChartPen(line.colour, 1, TrendPenStyle(line.penStyle)));
            p.drawLine(series.band.left, y, series.band.right, y);
        }
    }
}

void TrendRenderer::DrawCurves(QPainter& p, const TrendState& s, bool page) {
    p.setBrush(Qt::NoBrush);
    for (int i = 0; i < s.seriesCount; ++i) {
        if (s.series[i].visible) DrawCurve(p, s, i, page);
    }
    p.setClipping(false);
}

void TrendRenderer::DrawCurve(QPainter& p, const TrendState& s, int index, bool page) {
    const TrendSeries& series = s.series[index];
    const TrendRect& band = series.band;
    if (s.visibleCount <= 0 || series.values.size() < static_cast<size_t>(s.pointCount)) return;
    const float vscale = VerticalScale(band, series.low, series.high);
    const float xscale = s.XScale();
    const float* values = series.values.data();
    const int first = s.firstVisible;
    const int end = first + s.visibleCount;
    const int left = s.plot.left;
    const int scroll = s.scrollPos;
    const int mark = s.markSize;
    const int selected = s.selectedPoint;
    auto xOf = [&](int j) {
        return left + static_cast<int>(static_cast<float>(j - scroll) * xscale);
    };

    // Walk the visible points; a point in the same pixel column as the previous drawn one is
    // skipped unless it is the selected point.
    vertices_.clear();
    marks_.clear();
    bool selectedMet = false;
    QPoint selectedAt;
    int px = xOf(first);
    int py = ValueToY(values[first], band, series.low, vscale);
    vertices_.emplace_back(px, py);
    if (first == selected) {
        selectedMet = true;
        selectedAt = QPoint(px, py);
    }
    for (int j = first + 1; j < end; ++j) {
        int x = xOf(j);
        if (x == px && j != selected) {
            // Skip the rest of this column: jump to the first point of the next one, or to
            // the selected point when it lies in between.
            int next = NextColumnStart(j, end, px - left, scroll, xscale);
            if (selected > j && selected < next) next = selected;
            j = next;
            if (j >= end) break;
            x = xOf(j);
        }
        const int y = ValueToY(values[j], band, series.low, vscale);
        vertices_.emplace_back(x, y);
        if (mark > 0 && (std::abs(px - x) > mark || (x == px && std::abs(py - y) > mark))) {
            marks_.emplace_back(x, y);
        }
        if (j == selected) {
            selectedMet = true;
            selectedAt = QPoint(x, y);
        }
        px = x;
        py = y;
    }

    if (!page) p.setClipRect(ToQRect(band));
    const Qt::PenStyle style = TrendPenStyle(series.penStyle);
    p.setPen(ChartPen(series.colour, series.penWidth, style));
    const size_t n = vertices_.size();
    if (page) {
        // No clip region on a page: every segment is cut to the band's rows.
        lines_.clear();
        for (size_t k = 1; k < n; ++k) {
            QLine segment(vertices_[k - 1], vertices_[k]);
            if (ClipSegmentToBand(band, segment)) lines_.push_back(segment);
        }
        if (!lines_.empty()) p.drawLines(lines_.data(), static_cast<int>(lines_.size()));
    } else if (style == Qt::SolidLine && pixelTarget_) {
        DrawSolidPolyline(*pixelTarget_, vertices_.data(), n, series.colour, series.penWidth, band);
    } else if (style == Qt::SolidLine && series.penWidth > 1) {
        // Separate segments: the raster engine outlines one long wide polyline far slower.
        lines_.clear();
        for (size_t k = 1; k < n; ++k)
            lines_.emplace_back(vertices_[k - 1], vertices_[k]);
        if (!lines_.empty()) p.drawLines(lines_.data(), static_cast<int>(lines_.size()));
    } else if (n > 1) {
        p.drawPolyline(vertices_.data(), static_cast<int>(n));
    }
    for (const QPoint& c : marks_)
        p.drawEllipse(c, mark, mark);

    if (selectedMet) {
        p.setPen(ChartPen(SelectionMarkColour(series.colour), 1, Qt::SolidLine));
        const int x = selectedAt.x(), y = selectedAt.y();
        for (int k = 0; k < 4; ++k) {
            const QPoint triangle[3] = {QPoint(x, y - k), QPoint(x - 4 + k, y - 8 + k),
                                        QPoint(x + 4 - k, y - 8 + k)};
            p.drawPolygon(triangle, 3);
        }
    }
}

void TrendRenderer::DrawReadout(QPainter& p, TrendState& s, int j) {
    const ReadoutTexts texts = MakeReadoutTexts(s, j);
    const QFontMetrics metrics = p.fontMetrics();
    ReadoutExtents extents;
    extents.caption = metrics.horizontalAdvance(s.timeCaption);
    extents.time = metrics.horizontalAdvance(texts.time);
    for (int i = 0; i < s.seriesCount; ++i) {
        if (!s.series[i].visible) continue;
        extents.names[i] = metrics.horizontalAdvance(texts.names[i]);
        extents.values[i] = metrics.horizontalAdvance(texts.values[i]);
    }
    LayoutReadoutCells(s, texts, extents);

    const int top = ReadoutTop(s);
    const int bottom = ReadoutBottom(s);
    Fill(p,
         {s.plot.left - s.borderThickness, top - 1, s.plot.right + s.borderThickness, bottom + 1},
         s.frameColour);

    const int centred = Qt::AlignCenter;
    Fill(p, s.captionCell, kCellBlue);
    p.setPen(QColor::fromRgb(kBlack));
    Text(p, s.captionCell, centred, s.timeCaption);
    Outline(p, s.captionCell.Grown(1), kBlack);
    Fill(p, s.timeCell.Grown(1), kWhite);
    Outline(p, s.timeCell.Grown(1), kBlack);
    for (int i = 0; i < s.seriesCount; ++i) {
        const TrendSeries& series = s.series[i];
        if (!series.visible) continue;
        Fill(p, series.captionCell, kCellBlue);
        p.setPen(QColor::fromRgb(series.colour));
        Text(p, series.captionCell, centred, texts.names[i]);
        Outline(p, series.captionCell.Grown(1), kBlack);
        Fill(p, series.valueCell.Grown(1), kWhite);
        Outline(p, series.valueCell.Grown(1), kBlack);
    }

    p.setPen(QColor::fromRgb(kBlack));
    Fill(p, s.timeCell, kWhite);
    Text(p, s.timeCell, centred, texts.time);
    for (int i = 0; i < s.seriesCount; ++i) {
        const TrendSeries& series = s.series[i];
        if (!series.visible) continue;
        Fill(p, series.valueCell, kWhite);
        TrendRect r = series.valueCell;
        r.left += 2;
        Text(p, r, Qt::AlignLeft | Qt::AlignVCenter, texts.values[i]);
    }
}

void TrendRenderer::DrawCrosshair(QImage& image, const TrendState& s, int x, int y) {
    if (y != -1) XorHorizontalLine(image, s.plot.left, s.plot.right, y, kCrosshair);
    XorVerticalLine(image, x, s.plot.top, s.plot.top + s.plotHeight, kCrosshair);
}

void TrendRenderer::DrawFocusOutlines(QPainter& p, const TrendState& s, bool focused) {
    if (focused) {
        const QRgb focus = qRgb(qRed(s.borderColour), qGreen(s.borderColour), 255);
        Outline(p, s.plot.Grown(1), focus);
        Outline(p, s.plot.Grown(2), focus);
    } else {
        Outline(p, s.plot.Grown(1), s.borderColour);
        Outline(p, s.plot.Grown(2), s.frameColour);
    }
}

}  // namespace qx
