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

// Settings the printed variant replaces while it draws.
struct PageLook {
    QRgb frameColour, borderColour, plotColour;
    bool dottedGrid;
    int gridWidth, borderThickness, marginLeft, marginTop, marginRight, bottomMargin;
    int readoutRows;
    TrendRect plot;
    int plotWidth, plotHeight, visibleSeries;
    std::vector<QRgb> bandColours;
    std::vector<int> penWidths;
    std::vector<TrendRect> bands;
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
               s.readoutRows,
               s.plot,
               s.plotWidth,
               s.plotHeight,
               s.visibleSeries,
               {},
               {},
               {}};
    for (const TrendSeries& series : s.series) {
        l.bandColours.push_back(series.bandColour);
        l.penWidths.push_back(series.penWidth);
        l.bands.push_back(series.band);
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
    s.readoutRows = l.readoutRows;
    s.plot = l.plot;
    s.plotWidth = l.plotWidth;
    s.plotHeight = l.plotHeight;
    s.visibleSeries = l.visibleSeries;
    for (size_t i = 0; i < s.series.size() && i < l.bands.size(); ++i) {
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
        s.readoutRows = 1;
        s.bottomMargin = (s.timeLabelLines + 1) * h_;
        LayoutPlot(s, target.area, target.barHeight);
        FitMargins(s, target);
        DrawChartBody(p, s, target);
        // The border last, as one stroked rectangle twice the border's width outside the plot:
        // rows of single units fade or vanish where a page maps a unit to less than a device
        // pixel (a PDF shown on screen), and the curves end on the plot's edges.
        const qreal t = 2 * s.borderThickness;
        p.setPen(
            QPen(QColor::fromRgb(s.borderColour), t, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(s.plot.left - t / 2, s.plot.top - t / 2, s.plot.Width() + t,
                          s.plot.Height() + t));
        RestoreLook(s, saved);
    } else {
        FitMargins(s, target);
        // The readout strip takes the rows its point needs.
        int rows = 1;
        if (s.CountShownSeries() > 0 && s.pointCount > 0 && s.visibleCount > 0) {
            s.readoutPoint =
                std::clamp(s.readoutPoint, s.firstVisible, s.firstVisible + s.visibleCount - 1);
            rows = ReadoutRowsFor(s, p.fontMetrics(), s.readoutPoint);
        }
        if (rows != s.readoutRows) {
            s.readoutRows = rows;
            LayoutPlot(s, target.area, target.barHeight);
        }
        DrawChartBody(p, s, target);
    }
    p.restore();
}

void TrendRenderer::FitMargins(TrendState& s, const Target& target) {
    axes_ = ResolveValueAxes(s);
    places_ = PlaceAxes(s, axes_, w_, h_);
    const SideMargins m = AxisMargins(axes_, places_, w_);
    if (s.marginLeft != m.left || s.marginRight != m.right) {
        s.marginLeft = m.left;
        s.marginRight = m.right;
        LayoutPlot(s, target.area, target.barHeight);
    }
}

void TrendRenderer::DrawChartBody(QPainter& p, TrendState& s, const Target& target) {
    const TrendRect& a = target.area;
    const int bandTop = a.top + s.TopMargin();
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
    if (axes_.mode == TrendAxisMode::kCommon) {
        AxisPlace place;
        place.offset = s.borderThickness;
        DrawValueAxis(p, s, area, s.plot, s.commonLow, s.commonHigh, s.commonStep, 0, kBlack, false,
                      true, place, 0);
        return;
    }
    const bool banded = axes_.mode == TrendAxisMode::kBanded;
    // Series axes: the grid follows the innermost left axis (the first axis without one).
    size_t gridAxis = 0;
    for (size_t k = axes_.axes.size(); k-- > 0;) {
        if (!axes_.axes[k].right) gridAxis = k;
    }
    for (size_t k = 0; k < axes_.axes.size() && k < places_.size(); ++k) {
        const ResolvedAxis& axis = axes_.axes[k];
        const TrendSeries& first = s.series[axis.series.front()];
        DrawValueAxis(p, s, area, first.band, first.low, first.high, first.step, first.axisDecimals,
                      banded || !axis.title.isEmpty() ? kBlack : first.colour, axis.right,
                      banded || k == gridAxis, places_[k], places_[k].labelChars);
        DrawAxisTitle(p, s, axis, first.band, places_[k]);
    }
    if (banded && s.visibleSeries > 1) {
        int last = -1;
        for (int i = 0; i < s.seriesCount; ++i) {
            if (s.series[i].visible) last = i;
        }
        p.setPen(ChartPen(s.separatorColour, 1, Qt::SolidLine));
        for (int i = 0; i < last; ++i) {
            if (!s.series[i].visible) continue;
            const TrendRect& b = s.series[i].band;
            p.drawLine(b.left, b.bottom, b.right, b.bottom);
            p.drawLine(b.left, b.bottom + 1, b.right + 1, b.bottom + 1);
        }
    }
}

void TrendRenderer::DrawValueAxis(QPainter& p, const TrendState& s, const TrendRect& area,
                                  const TrendRect& r, float low, float high, float step,
                                  int decimals, QRgb textColour, bool right, bool grid,
                                  const AxisPlace& place, int maxChars) {
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

    // An axis away from the plot draws its own line, with a tick at every label.
    const int line = right ? r.right + place.offset : r.left - place.offset - 1;
    const int tick = place.outer ? kAxisTickLength : 0;
    if (place.outer) {
        const QColor c = QColor::fromRgb(textColour);
        p.fillRect(QRect(line, r.top, 1, r.Height()), c);
        for (const ValueTick& t : valueTicks_) {
            if (t.y >= r.top && t.y < r.bottom) {
                p.fillRect(QRect(right ? line + 1 : line - tick, t.y, tick, 1), c);
            }
        }
    }

    p.setPen(QColor::fromRgb(textColour));
    const int labelEdge =
        right ? r.right + place.offset + tick + w_ / 2 : r.left - place.offset - tick - w_ / 2;
    if (maxChars <= 0) {
        // Characters that fit between the axis and the edge of the area.
        const int room = right ? area.right - labelEdge : labelEdge - area.left;
        maxChars = w_ > 0 ? std::max(room / w_, 1) : INT_MAX;
    }
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

void TrendRenderer::DrawAxisTitle(QPainter& p, const TrendState& s, const ResolvedAxis& axis,
                                  const TrendRect& r, const AxisPlace& place) {
    // One entry per series: "name(unit)", the series number when it has no name.
    struct Entry {
        QString text;
        QRgb colour;
    };
    std::vector<Entry> entries;
    if (!axis.title.isEmpty()) entries.push_back({axis.title, kBlack});
    for (int i : axis.title.isEmpty() ? axis.series : std::vector<int>{}) {
        const TrendSeries& series = s.series[i];
        const QString name = series.name.isEmpty() ? QString::number(i + 1) : series.name;
        entries.push_back(
            {series.unit.isEmpty() ? name : QStringLiteral("%1(%2)").arg(name, series.unit),
             series.colour});
    }
    const QFontMetrics metrics = p.fontMetrics();
    const int room = r.Height() - 4;
    const QString gap = QStringLiteral("  ");
    QString whole;
    for (const Entry& e : entries)
        whole += (whole.isEmpty() ? QString() : gap) + e.text;
    if (room <= 0 || whole.isEmpty()) return;
    if (metrics.horizontalAdvance(whole) > room) {
        const TrendSeries& only = s.series[axis.series.front()];
        if (entries.size() == 1 && !only.unit.isEmpty() && axis.title.isEmpty()) {
            // The unit matters most: the name gives way first.
            const QString unit = QStringLiteral("(%1)").arg(only.unit);
            const int nameRoom = room - metrics.horizontalAdvance(unit);
            const QString name =
                entries.front().text.left(entries.front().text.size() - unit.size());
            entries.front().text =
                nameRoom > metrics.horizontalAdvance(QChar(0x2026))
                    ? metrics.elidedText(name, Qt::ElideRight, nameRoom) + unit
                    : metrics.elidedText(entries.front().text, Qt::ElideRight, room);
        } else {
            // Entries in order while they fit, the last one elided.
            const QString shown = metrics.elidedText(whole, Qt::ElideRight, room);
            qsizetype left = shown.size() - (shown.endsWith(QChar(0x2026)) ? 1 : 0);
            std::vector<Entry> kept;
            for (Entry& e : entries) {
                if (left <= 0) break;
                const qsizetype take = std::min(left, e.text.size());
                kept.push_back({e.text.left(take), e.colour});
                left -= take + gap.size();
            }
            if (!kept.empty() && shown.endsWith(QChar(0x2026))) kept.back().text += QChar(0x2026);
            entries = std::move(kept);
        }
    }

    int length = 0;
    for (size_t k = 0; k < entries.size(); ++k)
        length +=
            metrics.horizontalAdvance(entries[k].text) + (k ? metrics.horizontalAdvance(gap) : 0);
    const int tick = place.outer ? kAxisTickLength : 0;
    const int labels = tick + w_ / 2 + place.labelChars * w_ + 2;
    const int centreX = axis.right ? r.right + place.offset + labels + h_ / 2
                                   : r.left - place.offset - labels - h_ / 2;
    const int centreY = (r.top + r.bottom) / 2;
    p.save();
    p.translate(centreX, centreY);
    p.rotate(-90);
    int x = -length / 2;
    for (size_t k = 0; k < entries.size(); ++k) {
        if (k) x += metrics.horizontalAdvance(gap);
        const int width = metrics.horizontalAdvance(entries[k].text);
        p.setPen(QColor::fromRgb(entries[k].colour));
        p.drawText(QRect(x, -h_ / 2, width + 1, h_),
                   Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, entries[k].text);
        x += width;
    }
    p.restore();
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

    CurveWalk walk;
    walk.values = series.values.data();
    walk.times = s.times.data();
    walk.first = s.firstVisible;
    walk.end = std::min(s.firstVisible + s.visibleCount, s.pointCount);
    walk.scrollPos = s.scrollPos;
    walk.xscale = s.XScale();
    walk.left = s.plot.left;
    walk.band = band;
    walk.low = series.low;
    walk.vscale = VerticalScale(band, series.low, series.high);
    walk.selected = s.selectedPoint;
    walk.markSize = s.markSize;
    walk.gapSeconds = s.times.size() >= static_cast<size_t>(s.pointCount) ? s.gapSeconds : 0;
    walk.joinAcrossMissing = s.joinAcrossMissing;
    BuildCurvePath(walk, path_);

    if (!page) p.setClipRect(ToQRect(band));
    const Qt::PenStyle style = TrendPenStyle(series.penStyle);
    p.setPen(ChartPen(series.colour, series.penWidth, style));
    const QColor colour = QColor::fromRgb(series.colour);
    // A point without neighbours is a square a little wider than the line.
    const int dot = series.penWidth + 2;
    const std::vector<uint8_t> dash = pixelTarget_ && !page
                                          ? PixelDashPattern(series.penStyle, series.penWidth)
                                          : std::vector<uint8_t>{};
    int start = 0;
    for (const int end : path_.runEnds) {
        const QPoint* run = path_.vertices.data() + start;
        const int n = end - start;
        start = end;
        if (n == 1) {
            const QRect square(run->x() - dot / 2, run->y() - dot / 2, dot, dot);
            if (pixelTarget_ && !page) {
                FillPixelRect(*pixelTarget_, square, series.colour, band);
            } else if (page) {
                const QRect clipped = square.intersected(ToQRect(band));
                if (!clipped.isEmpty()) p.fillRect(clipped, colour);
            } else {
                p.fillRect(square, colour);
            }
        } else if (page) {
            // No clip region on a page: every segment is cut to the band's rows. Segments that
            // still meet are drawn as one line, so that a dash pattern runs on along it.
            pagePoints_.clear();
            auto flush = [&] {
                if (pagePoints_.size() > 1)
                    p.drawPolyline(pagePoints_.data(), static_cast<int>(pagePoints_.size()));
                pagePoints_.clear();
            };
            for (int k = 1; k < n; ++k) {
                QLine segment(run[k - 1], run[k]);
                if (!ClipSegmentToBand(band, segment)) continue;
                if (pagePoints_.empty() || pagePoints_.back() != segment.p1()) {
                    flush();
                    pagePoints_.push_back(segment.p1());
                }
                pagePoints_.push_back(segment.p2());
            }
            flush();
        } else if (pixelTarget_) {
            DrawPatternPolyline(*pixelTarget_, run, static_cast<size_t>(n), series.colour,
                                series.penWidth, band, dash);
        } else if (style == Qt::SolidLine && series.penWidth > 1) {
            // Separate segments: the raster engine outlines one long wide polyline far slower.
            lines_.clear();
            for (int k = 1; k < n; ++k)
                lines_.emplace_back(run[k - 1], run[k]);
            p.drawLines(lines_.data(), static_cast<int>(lines_.size()));
        } else {
            p.drawPolyline(run, n);
        }
    }
    const int mark = s.markSize;
    for (const QPoint& c : path_.marks)
        p.drawEllipse(c, mark, mark);

    if (path_.selectedMet) {
        p.setPen(ChartPen(SelectionMarkColour(series.colour), 1, Qt::SolidLine));
        const int x = path_.selectedAt.x(), y = path_.selectedAt.y();
        for (int k = 0; k < 4; ++k) {
            const QPoint triangle[3] = {QPoint(x, y - k), QPoint(x - 4 + k, y - 8 + k),
                                        QPoint(x + 4 - k, y - 8 + k)};
            p.drawPolygon(triangle, 3);
        }
    }
}

int TrendRenderer::ReadoutRowsFor(TrendState& s, const QFontMetrics& metrics, int j) {
    const ReadoutTexts texts = MakeReadoutTexts(s, j);
    ReadoutExtents extents;
    extents.caption = metrics.horizontalAdvance(s.timeCaption);
    extents.time = metrics.horizontalAdvance(texts.time);
    extents.names.assign(texts.names.size(), 0);
    extents.values.assign(texts.values.size(), 0);
    for (int i = 0; i < s.seriesCount; ++i) {
        if (!s.series[i].visible) continue;
        extents.names[static_cast<size_t>(i)] =
            metrics.horizontalAdvance(texts.names[static_cast<size_t>(i)]);
        extents.values[static_cast<size_t>(i)] =
            metrics.horizontalAdvance(texts.values[static_cast<size_t>(i)]);
    }
    return LayoutReadoutCells(s, texts, extents);
}

bool TrendRenderer::DrawReadout(QPainter& p, TrendState& s, int j) {
    const QFontMetrics metrics = p.fontMetrics();
    if (ReadoutRowsFor(s, metrics, j) > s.readoutRows) return false;
    const ReadoutTexts texts = MakeReadoutTexts(s, j);

    const int bottom = ReadoutBottom(s);
    const int top = ReadoutTop(s) - (s.readoutRows - 1) * s.ReadoutRowPitch();
    Fill(p,
         {s.plot.left - s.borderThickness, top - 1, s.plot.right + s.borderThickness, bottom + 1},
         s.frameColour);
    // Nothing of the strip reaches past the plot, whatever its texts.
    p.save();
    p.setClipRect(QRect(s.plot.left - s.borderThickness, top - 1,
                        s.plot.Width() + 2 * s.borderThickness, bottom - top + 2));

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
        // A name wider than its cell ends in "…" rather than being cut.
        const QString& name = texts.names[static_cast<size_t>(i)];
        Text(p, series.captionCell, centred,
             metrics.horizontalAdvance(name) + 4 > series.captionCell.Width()
                 ? metrics.elidedText(name, Qt::ElideRight, series.captionCell.Width() - 4)
                 : name);
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
        Text(p, r, Qt::AlignLeft | Qt::AlignVCenter, texts.values[static_cast<size_t>(i)]);
    }
    p.restore();
    return true;
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
