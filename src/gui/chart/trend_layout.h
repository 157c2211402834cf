// Geometry of the trend chart: the plot rectangle and the series bands, the cells of the
// readout strip, hit testing of mouse positions, and the clipping of curve segments on a
// printed page. No painting.
#pragma once

#include <QLine>
#include <array>
#include <vector>

#include "trend_scale.h"
#include "trend_state.h"

namespace qx {

// Lays out the plot inside area (the client or a page rectangle) with the margins and the
// border, counts the shown series and places every series' band. barHeight is taken off the
// plot height while scrolling is needed (the scroll bar covers that strip).
void LayoutPlot(TrendState& s, const TrendRect& area, int barHeight);

// Bottom of the band area: the plot top plus the (reduced) plot height.
inline int BandAreaBottom(const TrendState& s) {
    return s.plot.top + s.plotHeight;
}

// Widths in pixels of the time caption, the time text, and the series names and value texts
// as drawn in the chart font; one entry per series (at least kTrendDefaultSeries).
struct ReadoutExtents {
    int caption = 0;
    int time = 0;
    std::vector<int> names = std::vector<int>(kTrendDefaultSeries);
    std::vector<int> values = std::vector<int>(kTrendDefaultSeries);
};
// Places the readout strip's cells above the plot: the time caption and time value cells, then
// a name and a value cell per shown series, in rows that each end at the plot's right edge and
// never reach past its left edge. A row takes cells while they fit; the time always leads the
// first row, and the last row sits just above the plot. A value cell is as wide as its
// character count (the fixed width, or the text's length) and never narrower than its drawn
// text, so a long unit is not cut; a name too wide for a row of its own gets a narrower cell
// (the renderer elides it). Returns the number of rows.
int LayoutReadoutCells(TrendState& s, const ReadoutTexts& texts, const ReadoutExtents& extents);
// Top and bottom rows of the readout strip's last row (the one above the plot).
inline int ReadoutBottom(const TrendState& s) {
    return s.plot.top - s.borderThickness - 4;
}
inline int ReadoutTop(const TrendState& s) {
    return ReadoutBottom(s) - s.charHeight - 2;
}

// The point whose pixel column range holds mx (pixels right of the plot's left edge): the
// first visible point covers from 0, the last up to the plot width. -1 when none does.
int PointByX(const TrendState& s, int mx);
// In banded mode the first shown series whose band holds (x, y); otherwise -1.
int BandAt(const TrendState& s, int x, int y);

struct TrendHit {
    int point = -1;
    int band = -1;
    int x = 0;   // pixel column of the point
    int y = -1;  // row of the band series' value at the point; -1 without a band
};
// The hit at a mouse position inside the data area (the plot less the scroll bar strip while
// the bar is shown), or point -1 when there is none.
TrendHit HitTest(const TrendState& s, int x, int y, bool barShown, int barHeight);

// Clips a curve segment to the rows of band r for a printed page, where no clip region is
// used: the parts above the top or at or below the bottom are cut off, columns are not.
// Returns false when nothing remains.
bool ClipSegmentToBand(const TrendRect& r, QLine& segment);

}  // namespace qx
