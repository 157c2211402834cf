#include "print_layout.h"

#include <algorithm>
#include <cstdint>

namespace qx {

std::vector<int> ColumnPixelWidths(std::span<const int> columnCharacters, int blocks) {
    const auto columns = columnCharacters.first(
        std::min(columnCharacters.size(), static_cast<size_t>(PrintLayout::kMaxColumns)));
    int64_t total = 0;
    for (int width : columns)
        total += std::max(width, 0) + 1;
    std::vector<int> pixels;
    if (total <= 0) return pixels;
    const float unit = static_cast<float>(PrintLayout::kContentWidth) / static_cast<float>(total);
    pixels.reserve(columns.size());
    for (int width : columns) {
        const int full = static_cast<int>(static_cast<float>(std::max(width, 0) + 1) * unit);
        pixels.push_back(blocks == 2 ? full / 2 : full);
    }
    return pixels;
}

PrintLayout ComputePrintLayout(int cx, int cy, int horizontalResolution, int verticalResolution,
                               bool report, int itemCount, std::span<const int> columnCharacters) {
    PrintLayout l;
    l.cx = cx;
    l.cy = cy;
    l.horizontalResolution = horizontalResolution;
    l.verticalResolution = verticalResolution;
    l.itemCount = std::max(itemCount, 0);
    l.pageWidth = 28 * cx + PrintLayout::kContentWidth;
    if (horizontalResolution <= 0 || verticalResolution <= 0 || cy <= 0) return l;

    const int64_t product = static_cast<int64_t>(l.pageWidth) * verticalResolution;
    l.pageHeight = static_cast<int>((product + horizontalResolution / 2) / horizontalResolution);
    l.bodyHeight = l.pageHeight - 20 * cy;
    l.pageCount = 1;
    if (!report) return l;

    l.rowHeight = cy + (3 * cy) / 5;
    // A page too low for two rows still carries one row per block, so that pagination ends.
    l.rowsPerBlock = std::max(l.bodyHeight / l.rowHeight - 1, 1);
    const int perPage = 2 * l.rowsPerBlock;
    l.pageCount = (perPage + l.itemCount - 1) / perPage;
    l.columnPixels = ColumnPixelWidths(columnCharacters);
    return l;
}

PrintLayout ComputeOneBlockLayout(int cx, int cy, int horizontalResolution, int verticalResolution,
                                  int itemCount, std::vector<int> columnPixels) {
    PrintLayout l =
        ComputePrintLayout(cx, cy, horizontalResolution, verticalResolution, true, itemCount, {});
    l.blocksPerPage = 1;
    l.columnPixels = std::move(columnPixels);
    if (l.rowsPerBlock > 0) l.pageCount = (l.rowsPerBlock + l.itemCount - 1) / l.rowsPerBlock;
    return l;
}

std::vector<int> FittedColumnWidths(std::span<const int> needs) {
    int64_t total = 0;
    for (int need : needs)
        total += std::max(need, 1);
    if (needs.empty() || total > PrintLayout::kContentWidth) return {};
    const int64_t slack = PrintLayout::kContentWidth - total;
    std::vector<int> widths;
    widths.reserve(needs.size());
    for (int need : needs) {
        const int64_t n = std::max(need, 1);
        widths.push_back(static_cast<int>(n + slack * n / total));
    }
    return widths;
}

}  // namespace qx
