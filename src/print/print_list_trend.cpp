#include "print/print_list_trend.h"

#include <QPaintDevice>
#include <QPainter>
#include <algorithm>

#include "app/app_fonts.h"
#include "app/qt_text.h"
#include "chart/chart_font.h"
#include "chart/trend_wave.h"
#include "records/sample_table.h"

namespace qx {
namespace {

const QString kSongFace = QStringLiteral("宋体");
const QColor kBandColour(230, 230, 230);
const QColor kTitleRowColour(212, 212, 212);
const QColor kGridColour(128, 128, 128);
constexpr int kGridWidth = 2;
constexpr int kMaxTitleCharacters = 64;
constexpr int kListCharacterWidth = 7;  // the sample list font's character width in pixels

// A rectangle from its edges, the right and bottom edges excluded.
QRect Edges(int left, int top, int right, int bottom) {
    return {left, top, right - left, bottom - top};
}

QRect Narrowed(const QRect& r, int dx, int dy) {
    return r.adjusted(dx, dy, -dx, -dy);
}

}  // namespace

CPrintListTrend::CPrintListTrend() = default;
CPrintListTrend::~CPrintListTrend() = default;

void CPrintListTrend::SetSources(const SampleTable* table, CTrendWave* chart) {
    table_ = table;
    chart_ = chart;
}

void CPrintListTrend::SetColumns(std::vector<int> widthsInCharacters) {
    if (widthsInCharacters.size() > static_cast<size_t>(PrintLayout::kMaxColumns))
        widthsInCharacters.resize(PrintLayout::kMaxColumns);
    columns_ = std::move(widthsInCharacters);
}

std::vector<int> CPrintListTrend::ColumnCharacters(const SampleTable& table) {
    std::vector<int> widths;
    for (const SampleColumn& column : table.Columns())
        widths.push_back((column.width + kListCharacterWidth / 2) / kListCharacterWidth);
    return widths;
}

int CPrintListTrend::PrintSetup(const QPaintDevice& device) {
    reportJob_ = mode == kReportMode;
    const bool small = reportJob_ && static_cast<int>(columns_.size()) > kManyColumns;
    const int cx = small ? kSmallCellWidth : kCellWidth;
    const int cy = small ? kSmallCellHeight : kCellHeight;
    // The fonts are sized in the page's logical units; the layout uses their character cell.
    tableFont_ = MakeFont(kSongFace, cy, cx, 400);
    chartFont_ = MakeChartFont(18, 36);
    const int items = table_ ? table_->RowCount() : 0;
    layout_ =
        ComputePrintLayout(cx, cy, device.width(), device.height(), reportJob_, items, columns_);
    body_ = Edges(0, 7 * cy, PrintLayout::kContentWidth, layout_.pageHeight - 13 * cy);
    prepared_ = true;
    return layout_.pageCount;
}

void CPrintListTrend::EndPrinting() {
    tableFont_ = QFont();
    chartFont_ = QFont();
    prepared_ = false;
}

void CPrintListTrend::PrintPage(QPainter& painter, int page, int pageCount) {
    if (!prepared_ || !painter.isActive() || page < 1 || layout_.pageHeight <= 0) return;
    const PrintLayout& l = layout_;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setFont(tableFont_);
    // The page is W units wide with square units; its usable area starts 16 cx from the left
    // and 5 cy from the top edge.
    painter.setViewport(0, 0, l.horizontalResolution, l.verticalResolution);
    painter.setWindow(-16 * l.cx, -5 * l.cy, l.pageWidth, l.pageHeight);

    DrawHeader(painter);
    body_ = Edges(0, 7 * l.cy, PrintLayout::kContentWidth, l.pageHeight - 13 * l.cy);
    if (!reportJob_) {
        if (hasData && chart_) chart_->DrawChart(painter, chartFont_, body_);
    } else {
        DrawReport(painter, body_, page);
    }

    // The footer's rectangle (0, 0)-(2000, 8 cy) lies at the bottom of the page.
    painter.setWindow(-16 * l.cx, 8 * l.cy - l.pageHeight, l.pageWidth, l.pageHeight);
    DrawFooter(painter, page, pageCount);
    painter.restore();
}

void CPrintListTrend::DrawHeader(QPainter& painter) const {
    const int cx = layout_.cx;
    const int cy = layout_.cy;
    const QRect r = Edges(0, 0, PrintLayout::kContentWidth, 7 * cy);
    painter.save();
    painter.setBackgroundMode(Qt::TransparentMode);
    painter.setPen(Qt::black);

    painter.setFont(MakeFont(kSongFace, 2 * cy, 2 * cx, 400));
    const QString title = QStringLiteral("检测") +
                          (reportJob_ ? QStringLiteral("数据记录表") : QStringLiteral("曲线图"));
    painter.drawText(r.translated(0, cy), Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine,
                     title);

    const QRect band = Edges(0, 4 * cy + cy / 4, PrintLayout::kContentWidth, 7 * cy - cy / 4);
    painter.fillRect(band, kBandColour);
    painter.setFont(tableFont_);
    const int left = band.left() + cx / 2;
    const int right = band.left() + band.width() - cx / 2;
    const int flags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine;
    if (secondInfoLine.isEmpty()) {
        painter.drawText(Edges(left, band.top(), right, band.top() + 3 * cy - 8), flags, infoLine);
    } else {
        const int half = 3 * cy / 2;
        painter.drawText(Edges(left, band.top(), right, band.top() + half), flags, infoLine);
        painter.drawText(Edges(left, band.top() + half, right, band.top() + 2 * half - 8), flags,
                         secondInfoLine);
    }
    painter.restore();
}

void CPrintListTrend::DrawFooter(QPainter& painter, int page, int pageCount) const {
    const int cy = layout_.cy;
    const QRect r = Edges(0, cy, PrintLayout::kContentWidth, 9 * cy);
    painter.save();
    painter.setPen(QPen(Qt::black, 0));
    painter.drawLine(r.left(), r.top(), r.left() + r.width(), r.top());

    QFont bold = tableFont_;
    bold.setWeight(QFont::Bold);
    painter.setFont(bold);
    painter.setBackgroundMode(Qt::TransparentMode);
    const QRect text = r.translated(0, cy / 2);
    painter.drawText(text, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, footerText);
    painter.drawText(text, Qt::AlignRight | Qt::AlignTop | Qt::TextSingleLine | Qt::TextDontClip,
                     QStringLiteral("第 %1 页共 %2 页").arg(page).arg(pageCount));
    painter.restore();
}

int CPrintListTrend::ReportColumns() const {
    if (!table_) return 0;
    return std::min(table_->ColumnCount(), static_cast<int>(layout_.columnPixels.size()));
}

void CPrintListTrend::DrawReport(QPainter& painter, const QRect& body, int page) const {
    const int cx = layout_.cx;
    const int first = layout_.FirstRow(page);
    const int half = body.width() / 2 - cx / 2;
    const QRect block1(body.left(), body.top(), half, body.height());
    const QRect block2(block1.left() + block1.width() + cx, body.top(), half, body.height());
    DrawBlock(painter, block1, first);
    DrawBlock(painter, block2, first + layout_.rowsPerBlock);
}

void CPrintListTrend::DrawBlock(QPainter& painter, const QRect& block, int firstRow) const {
    const int columns = ReportColumns();
    if (columns == 0) return;
    const int cx = layout_.cx;
    const int rowHeight = layout_.rowHeight;
    const std::vector<int>& widths = layout_.columnPixels;
    const int items = std::min(layout_.itemCount, table_->RowCount());
    const int drawn = std::clamp(items - firstRow, 0, layout_.rowsPerBlock);
    const int flags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine;

    int right = block.left();
    for (int c = 0; c < columns; ++c)
        right += widths[static_cast<size_t>(c)];

    painter.save();
    painter.setBackgroundMode(Qt::TransparentMode);
    painter.setPen(Qt::black);
    int x = block.left();
    for (int c = 0; c < columns; ++c) {
        const QRect cell(x, block.top(), widths[static_cast<size_t>(c)], rowHeight);
        painter.fillRect(cell, kTitleRowColour);
        const QString title = ToQString(table_->Columns()[static_cast<size_t>(c)].title);
        painter.drawText(Narrowed(cell, cx / 2, 4), flags, title.left(kMaxTitleCharacters));
        x += cell.width();
    }
    for (int k = 0; k < drawn; ++k) {
        const int row = firstRow + k;
        const int top = block.top() + (k + 1) * rowHeight;
        x = block.left();
        for (int c = 0; c < columns; ++c) {
            const QRect cell(x, top, widths[static_cast<size_t>(c)], rowHeight);
            painter.drawText(Narrowed(cell, cx / 2, 4), flags, ToQString(table_->Cell(row, c)));
            x += cell.width();
        }
    }

    // The grid around every drawn cell.
    painter.setPen(QPen(kGridColour, kGridWidth, Qt::SolidLine));
    const int bottom = block.top() + (drawn + 1) * rowHeight;
    for (int y = block.top(); y <= bottom; y += rowHeight)
        painter.drawLine(block.left(), y, right, y);
    x = block.left();
    painter.drawLine(x, block.top(), x, bottom);
    for (int c = 0; c < columns; ++c) {
        x += widths[static_cast<size_t>(c)];
        painter.drawLine(x, block.top(), x, bottom);
    }
    painter.restore();
}

}  // namespace qx
