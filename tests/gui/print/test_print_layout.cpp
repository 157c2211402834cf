// Page arithmetic: page size, rows per block, page counts and column widths.
#include <gtest/gtest.h>

#include <vector>

#include "gui/print/print_layout.h"

namespace qx {
namespace {

TEST(PrintLayout, ColumnWidthsShareTheContentInProportion) {
    const std::vector<int> widths{10, 20, 30};
    EXPECT_EQ(ColumnPixelWidths(widths), (std::vector<int>{174, 333, 492}));
    // Both blocks of a page fit the 2000 units.
    int total = 0;
    for (int w : ColumnPixelWidths(std::vector<int>{7, 21, 11, 11, 11}))
        total += w;
    EXPECT_LE(total, 1000);
    EXPECT_GE(total, 995);
    EXPECT_TRUE(ColumnPixelWidths({}).empty());
    // Only twenty columns count.
    const std::vector<int> many(25, 4);
    EXPECT_EQ(ColumnPixelWidths(many), std::vector<int>(20, 50));
}

TEST(PrintLayout, PageOfTwentyFiveRowsPerBlock) {
    // A page whose height is 2000 units at W = 2448: body 1360, rows of 51, R = 25.
    const std::vector<int> widths{10, 20, 30};
    const PrintLayout l = ComputePrintLayout(16, 32, 2448, 2000, true, 120, widths);
    EXPECT_EQ(l.pageWidth, 2448);
    EXPECT_EQ(l.pageHeight, 2000);
    EXPECT_EQ(l.bodyHeight, 1360);
    EXPECT_EQ(l.rowHeight, 51);
    EXPECT_EQ(l.rowsPerBlock, 25);
    EXPECT_EQ(l.pageCount, 3);
    EXPECT_EQ(l.FirstRow(3), 100);
    EXPECT_EQ(l.columnPixels, (std::vector<int>{174, 333, 492}));

    EXPECT_EQ(ComputePrintLayout(16, 32, 2448, 2000, true, 100, widths).pageCount, 2);
    EXPECT_EQ(ComputePrintLayout(16, 32, 2448, 2000, true, 101, widths).pageCount, 3);
    EXPECT_EQ(ComputePrintLayout(16, 32, 2448, 2000, true, 1, widths).pageCount, 1);
    EXPECT_EQ(ComputePrintLayout(16, 32, 2448, 2000, true, 0, widths).pageCount, 0);
}

TEST(PrintLayout, PageHeightFollowsThePrinterAspect) {
    // A4 at 1200 dots per inch, portrait and landscape; the height is rounded.
    const PrintLayout portrait = ComputePrintLayout(16, 32, 9921, 14031, true, 500, {});
    EXPECT_EQ(portrait.pageHeight, 3462);  // 2448 * 14031 / 9921 = 3462.2
    EXPECT_EQ(portrait.rowsPerBlock, (3462 - 640) / 51 - 1);
    const PrintLayout landscape = ComputePrintLayout(16, 32, 14031, 9921, false, 500, {});
    EXPECT_EQ(landscape.pageHeight, 1731);  // 1730.9
    EXPECT_EQ(landscape.pageCount, 1);
    EXPECT_EQ(landscape.rowsPerBlock, 0);
    // The small cell: W = 28 * 8 + 2000.
    EXPECT_EQ(ComputePrintLayout(8, 18, 9921, 14031, true, 0, {}).pageWidth, 2224);
    // A large page product does not overflow.
    EXPECT_EQ(ComputePrintLayout(16, 32, 1000000, 1000000, false, 0, {}).pageHeight, 2448);
}

TEST(PrintLayout, OneBlockPagesForWideRows) {
    // Needs of 100, 300 and 600 units share the remaining 1000 in proportion.
    EXPECT_EQ(FittedColumnWidths(std::vector<int>{100, 300, 600}),
              (std::vector<int>{200, 600, 1200}));
    EXPECT_TRUE(FittedColumnWidths(std::vector<int>{1000, 1001}).empty());
    EXPECT_EQ(ColumnPixelWidths(std::vector<int>{10, 20, 30}, 1),
              (std::vector<int>{349, 666, 984}));
    // One block of 25 rows a page: 120 rows take 5 pages, page 3 starts at row 50.
    const PrintLayout l = ComputeOneBlockLayout(16, 32, 2448, 2000, 120, {1000, 1000});
    EXPECT_EQ(l.blocksPerPage, 1);
    EXPECT_EQ(l.rowsPerBlock, 25);
    EXPECT_EQ(l.pageCount, 5);
    EXPECT_EQ(l.FirstRow(3), 50);
    EXPECT_EQ(ComputeOneBlockLayout(16, 32, 2448, 2000, 0, {}).pageCount, 0);
}

TEST(PrintLayout, DegeneratePagesEndPagination) {
    // A page of no pixels has no pages; a page lower than two rows still takes a row a block.
    EXPECT_EQ(ComputePrintLayout(16, 32, 0, 0, true, 10, {}).pageCount, 0);
    const PrintLayout low = ComputePrintLayout(16, 32, 2448, 700, true, 10, {});
    EXPECT_EQ(low.rowsPerBlock, 1);
    EXPECT_EQ(low.pageCount, 5);
}

}  // namespace
}  // namespace qx
