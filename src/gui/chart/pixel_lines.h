// Lines and dots written straight into a 32-bit image. The chart's back buffer takes its
// curves, grid dots and crosshair this way: the raster paint engine spends nanoseconds per
// pixel on steep lines (each pixel is a span of its own), outlines wide pens as polygons and
// hands lines of many one-pixel spans to its thread pool, which made a curve of a few
// thousand segments cost milliseconds and an exclusive-or crosshair hundreds of microseconds.
#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QRgb>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "trend_state.h"

namespace qx {

// Whether DrawSolidPolyline can write into the image (32-bit RGB formats).
bool CanDrawPixelLines(const QImage& image);

// Draws the segments from each point to the next with a square pen `width` pixels across:
// every pixel of a segment's line (both ends included) is widened across the segment's
// direction, in rows for flat segments and in columns for steep ones, from -(width - 1) / 2
// to width / 2. Only pixels inside clip (and the image) are written.
void DrawSolidPolyline(QImage& image, const QPoint* points, size_t count, QRgb colour, int width,
                       const TrendRect& clip);

// The dash pattern of a chart pen style (1 dash, 2 dot, 3 dash-dot, 4 dash-dot-dot; Qt's
// patterns, in pen widths) for a pen `width` pixels wide: whether each pixel of one period,
// counted along a line's longer direction, is drawn. Empty for a solid pen.
std::vector<uint8_t> PixelDashPattern(int penStyle, int width);
// DrawSolidPolyline with a dash pattern that runs on from one segment to the next.
void DrawPatternPolyline(QImage& image, const QPoint* points, size_t count, QRgb colour, int width,
                         const TrendRect& clip, const std::vector<uint8_t>& pattern);

// Fills the rectangle, as far as it lies inside clip and the image.
void FillPixelRect(QImage& image, const QRect& r, QRgb colour, const TrendRect& clip);

// Single pixels, those outside the image left out.
void DrawPixels(QImage& image, const QPoint* points, size_t count, QRgb colour);

// Exclusive-or of the colour into the pixels from (x1, y) up to, not including, (x2, y), and
// from (x, y1) up to, not including, (x, y2). Applying the same line twice restores the image.
void XorHorizontalLine(QImage& image, int x1, int x2, int y, QRgb colour);
void XorVerticalLine(QImage& image, int x, int y1, int y2, QRgb colour);

}  // namespace qx
