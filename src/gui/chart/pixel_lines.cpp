#include "pixel_lines.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace qx {

namespace {

// Cuts the segment to the rectangle [left, right] x [top, bottom] (Liang-Barsky); false when
// nothing remains. The ends are rounded back to pixels.
bool ClipToBox(double left, double top, double right, double bottom, QPoint& a, QPoint& b) {
    const double x0 = a.x(), y0 = a.y();
    const double dx = b.x() - x0, dy = b.y() - y0;
    double t0 = 0.0, t1 = 1.0;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {x0 - left, right - x0, y0 - top, bottom - y0};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0.0) {
            if (q[i] < 0.0) return false;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0.0) {
            t0 = std::max(t0, t);
        } else {
            t1 = std::min(t1, t);
        }
        if (t0 > t1) return false;
    }
    const QPoint from(static_cast<int>(std::lround(x0 + t0 * dx)),
                      static_cast<int>(std::lround(y0 + t0 * dy)));
    const QPoint to(static_cast<int>(std::lround(x0 + t1 * dx)),
                    static_cast<int>(std::lround(y0 + t1 * dy)));
    a = from;
    b = to;
    return true;
}

}  // namespace

bool CanDrawPixelLines(const QImage& image) {
    const QImage::Format f = image.format();
    return !image.isNull() && (f == QImage::Format_RGB32 || f == QImage::Format_ARGB32 ||
                               f == QImage::Format_ARGB32_Premultiplied);
}

void DrawSolidPolyline(QImage& image, const QPoint* points, size_t count, QRgb colour, int width,
                       const TrendRect& clip) {
    DrawPatternPolyline(image, points, count, colour, width, clip, {});
}

std::vector<uint8_t> PixelDashPattern(int penStyle, int width) {
    static const std::vector<int> kDash{4, 2}, kDot{1, 2}, kDashDot{4, 2, 1, 2},
        kDashDotDot{4, 2, 1, 2, 1, 2};
    const std::vector<int>* lengths = penStyle == 1   ? &kDash
                                      : penStyle == 2 ? &kDot
                                      : penStyle == 3 ? &kDashDot
                                      : penStyle == 4 ? &kDashDotDot
                                                      : nullptr;
    std::vector<uint8_t> pattern;
    if (!lengths) return pattern;
    const int unit = std::clamp(width, 1, 16);
    for (size_t k = 0; k < lengths->size(); ++k)
        pattern.insert(pattern.end(), static_cast<size_t>((*lengths)[k] * unit), k % 2 == 0);
    return pattern;
}

void DrawPatternPolyline(QImage& image, const QPoint* points, size_t count, QRgb colour, int width,
                         const TrendRect& clip, const std::vector<uint8_t>& pattern) {
    if (count < 2 || !CanDrawPixelLines(image)) return;
    width = std::max(width, 1);
    const int left = std::max(clip.left, 0);
    const int top = std::max(clip.top, 0);
    const int right = std::min(clip.right, image.width());
    const int bottom = std::min(clip.bottom, image.height());
    if (left >= right || top >= bottom) return;

    const uint32_t pixel = 0xFF000000u | colour;
    uchar* const bits = image.bits();
    const qsizetype stride = image.bytesPerLine();
    auto put = [&](int x, int y) {
        if (x >= left && x < right && y >= top && y < bottom) {
            reinterpret_cast<uint32_t*>(bits + y * stride)[x] = pixel;
        }
    };
    const int lowOffset = -(width - 1) / 2;
    const int highOffset = width / 2;
    // Segments are cut a pen's width outside the clip first, so that far-off points cost no
    // more than near ones.
    const double margin = width + 1;
    const int64_t period = static_cast<int64_t>(pattern.size());
    int64_t phase = 0;  // pattern position of the current segment's first pixel

    for (size_t k = 1; k < count; ++k) {
        const QPoint from = points[k - 1];
        QPoint a = from;
        QPoint b = points[k];
        const int64_t length = std::max(std::abs(static_cast<int64_t>(b.x()) - a.x()),
                                        std::abs(static_cast<int64_t>(b.y()) - a.y()));
        const bool flat = std::abs(b.x() - a.x()) >= std::abs(b.y() - a.y());
        const int64_t start = phase;
        phase += length;
        if (!ClipToBox(left - margin, top - margin, right - 1 + margin, bottom - 1 + margin, a,
                       b)) {
            continue;
        }
        if (period == 0 && a.x() == b.x()) {
            // A vertical stroke (a column's extremes): whole rows of the pen's width at once.
            const int x0 = std::max(a.x() + lowOffset, left);
            const int x1 = std::min(a.x() + highOffset + 1, right);
            const int y0 = std::max(std::min(a.y(), b.y()), top);
            const int y1 = std::min(std::max(a.y(), b.y()) + 1, bottom);
            for (int y = y0; y < y1 && x0 < x1; ++y) {
                uint32_t* row = reinterpret_cast<uint32_t*>(bits + y * stride);
                std::fill(row + x0, row + x1, pixel);
            }
            continue;
        }
        int64_t at = start + std::max(std::abs(static_cast<int64_t>(a.x()) - from.x()),
                                      std::abs(static_cast<int64_t>(a.y()) - from.y()));
        int x = a.x(), y = a.y();
        const int dx = std::abs(b.x() - x), dy = -std::abs(b.y() - y);
        const int sx = x < b.x() ? 1 : -1, sy = y < b.y() ? 1 : -1;
        int error = dx + dy;
        for (;; ++at) {
            if (period == 0 || pattern[static_cast<size_t>(at % period)]) {
                for (int o = lowOffset; o <= highOffset; ++o) {
                    if (flat) {
                        put(x, y + o);
                    } else {
                        put(x + o, y);
                    }
                }
            }
            if (x == b.x() && y == b.y()) break;
            const int e2 = 2 * error;
            if (e2 >= dy) {
                error += dy;
                x += sx;
            }
            if (e2 <= dx) {
                error += dx;
                y += sy;
            }
        }
    }
}

void FillPixelRect(QImage& image, const QRect& r, QRgb colour, const TrendRect& clip) {
    if (!CanDrawPixelLines(image)) return;
    const int left = std::max({r.left(), clip.left, 0});
    const int right = std::min({r.left() + r.width(), clip.right, image.width()});
    const int top = std::max({r.top(), clip.top, 0});
    const int bottom = std::min({r.top() + r.height(), clip.bottom, image.height()});
    const uint32_t pixel = 0xFF000000u | colour;
    for (int y = top; y < bottom; ++y) {
        uint32_t* row = reinterpret_cast<uint32_t*>(image.scanLine(y));
        std::fill(row + left, row + std::max(left, right), pixel);
    }
}

void DrawPixels(QImage& image, const QPoint* points, size_t count, QRgb colour) {
    if (!CanDrawPixelLines(image)) return;
    const uint32_t pixel = 0xFF000000u | colour;
    const int width = image.width();
    const int height = image.height();
    uchar* const bits = image.bits();
    const qsizetype stride = image.bytesPerLine();
    for (size_t i = 0; i < count; ++i) {
        const int x = points[i].x(), y = points[i].y();
        if (x >= 0 && x < width && y >= 0 && y < height) {
            reinterpret_cast<uint32_t*>(bits + y * stride)[x] = pixel;
        }
    }
}

void XorHorizontalLine(QImage& image, int x1, int x2, int y, QRgb colour) {
    if (!CanDrawPixelLines(image) || y < 0 || y >= image.height()) return;
    x1 = std::max(x1, 0);
    x2 = std::min(x2, image.width());
    const uint32_t flip = colour & 0xFFFFFFu;
    uint32_t* row = reinterpret_cast<uint32_t*>(image.scanLine(y));
    for (int x = x1; x < x2; ++x)
        row[x] ^= flip;
}

void XorVerticalLine(QImage& image, int x, int y1, int y2, QRgb colour) {
    if (!CanDrawPixelLines(image) || x < 0 || x >= image.width()) return;
    y1 = std::max(y1, 0);
    y2 = std::min(y2, image.height());
    const uint32_t flip = colour & 0xFFFFFFu;
    uchar* const bits = image.bits();
    const qsizetype stride = image.bytesPerLine();
    for (int y = y1; y < y2; ++y)
        reinterpret_cast<uint32_t*>(bits + y * stride)[x] ^= flip;
}

}  // namespace qx
