// The arithmetic of a printed page: the logical page size, the body, the report's rows per
// block, the page count and the column widths, from the table font's character cell and the
// printer's page size in device pixels. No drawing happens here.
//
// The page is W = 28 cx + 2000 logical units wide and as high as the printer's page aspect
// gives, so that units are square. Its content is 2000 units wide: header, body and footer.
// A report page holds two blocks side by side, each R rows below a header row and half of the
// 2000 units wide; a report whose rows are too wide for half a page holds one block of the
// whole width.
#pragma once

#include <span>
#include <vector>

namespace qx {

struct PrintLayout {
    static constexpr int kContentWidth = 2000;
    static constexpr int kMaxColumns = 20;

    int cx = 0;  // width and height of the table font's character cell
    int cy = 0;
    int horizontalResolution = 0;  // the printer's page in device pixels
    int verticalResolution = 0;
    int pageWidth = 0;   // W, logical units
    int pageHeight = 0;  // H, logical units
    int bodyHeight = 0;
    int rowHeight = 0;              // report mode only
    int rowsPerBlock = 0;           // R, report mode only
    int blocksPerPage = 2;          // report mode: 2, or 1 for rows wider than half a page
    int itemCount = 0;              // rows of the report at the start of the job
    int pageCount = 0;              // 1 for the chart; 0 for a report without rows
    std::vector<int> columnPixels;  // report mode: each column's width in logical units

    // First report row of a page (1-based).
    int FirstRow(int page) const { return blocksPerPage * (page - 1) * rowsPerBlock; }
};

// Lays out a page. report: two-block report of itemCount rows with columns of the given
// widths in characters (at most kMaxColumns are used); otherwise the one chart page.
// A printer page of no pixels gives a layout with zero page count.
PrintLayout ComputePrintLayout(int cx, int cy, int horizontalResolution, int verticalResolution,
                               bool report, int itemCount, std::span<const int> columnCharacters);

// The same report with one block a page whose columns have the given widths in logical units.
PrintLayout ComputeOneBlockLayout(int cx, int cy, int horizontalResolution, int verticalResolution,
                                  int itemCount, std::vector<int> columnPixels);

// The width of each column in logical units: the content shared in proportion to
// (width + 1), halved for the two blocks of a page (blocks = 2) or whole for one.
std::vector<int> ColumnPixelWidths(std::span<const int> columnCharacters, int blocks = 2);

// Columns at least as wide as each one needs (logical units), the rest of the content width
// shared in proportion to the needs; empty when the needs exceed the content width.
std::vector<int> FittedColumnWidths(std::span<const int> needs);

}  // namespace qx
