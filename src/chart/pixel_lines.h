// Solid lines written straight into a 32-bit image. The chart's back buffer takes its curves
// this way: the raster paint engine spends several nanoseconds per pixel on steep lines (each
// pixel is a span of its own) and outlines wide pens as polygons, which made a curve of a few
// thousand segments cost milliseconds.
#pragma once

#include <QImage>
#include <QPoint>
#include <QRgb>
#include <cstddef>

#include "chart/trend_state.h"

namespace qx {

// Whether DrawSolidPolyline can write into the image (32-bit RGB formats).
bool CanDrawPixelLines(const QImage& image);

// Draws the segments from each point to the next with a square pen `width` pixels across:
// every pixel of a segment's line (both ends included) is widened across the segment's
// direction, in rows for flat segments and in columns for steep ones, from -(width - 1) / 2
// to width / 2. Only pixels inside clip (and the image) are written.
void DrawSolidPolyline(QImage& image, const QPoint* points, size_t count, QRgb colour, int width,
                       const TrendRect& clip);

}  // namespace qx
