#include "print_list_trend.h"

#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPainter>
#include <QTextLayout>
#include <algorithm>
#include <array>
#include <cmath>
#include <string_view>

#include "core/model/language.h"
#include "core/records/comparison.h"
#include "core/records/record_legend.h"
#include "core/records/record_statistics.h"
#include "core/records/sample_table.h"
#include "gui/chart/chart_font.h"
#include "gui/chart/trend_renderer.h"
#include "gui/chart/trend_wave.h"
#include "gui/common/app_fonts.h"
#include "gui/common/qt_text.h"
#include "statistics_tables.h"

namespace qx {
namespace {

const QString kSongFace = QString::fromUtf8(NoTr("宋体"));
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

// Whether a title may break between a and b: where either is a Chinese character, but not
// before a closing bracket or mark (ASCII or full width), nor after an opening bracket.
bool BreaksBetween(QChar a, QChar b) {
    const auto wide = [](QChar c) { return c.unicode() >= 0x2E80; };
    static const QString closing = QString::fromUtf8(NoTr(")）]】,，、。:：;；%"));
    static const QString opening = QString::fromUtf8(NoTr("(（[【"));
    if (closing.contains(b) || opening.contains(a)) return false;
    return wide(a) || wide(b);
}

QRect Narrowed(const QRect& r, int dx, int dy) {
    return r.adjusted(dx, dy, -dx, -dy);
}

// One entry of the chart page's legend: a stretch of the line as the chart draws it, and its
// text.
struct LegendItem {
    QPen pen;
    QString text;
};

// The chart's state widened to the whole selection: every point from the first to the last,
// with about six time grid steps, however far the screen is zoomed or scrolled.
void ShowWholeSelection(TrendState& s) {
    if (!s.ScrollingNeeded()) return;
    const float range = s.timeLast - s.timeFirst;
    s.span = std::max(static_cast<int>(std::ceil(range)), 1);
    s.scrollPos = TruncToInt(s.timeFirst);
    s.timeStep = std::max(1.0f, std::trunc(static_cast<float>(s.span) / 6.0f + 0.5f));
    s.UpdateVisibleWindow();
}

// The drawn series with their units, then the alarm lines drawn across them, named.
// limitNames, when given, name the low and high alarm line of any series (a comparison's
// limits); else the record's legend names them.
std::vector<LegendItem> ChartLegend(const TrendState& s, const RecordUnits& units,
                                    const QStringList* limitNames = nullptr) {
    std::vector<LegendItem> items;
    for (int i = 0; i < s.seriesCount; ++i) {
        const TrendSeries& series = s.series[i];
        if (!series.visible) continue;
        const QString text = series.unit.isEmpty()
                                 ? series.name
                                 : QStringLiteral("%1(%2)").arg(series.name, series.unit);
        // The page's curves are 3 units wide.
        items.push_back(
            {QPen(QColor::fromRgb(series.colour), 3, TrendPenStyle(series.penStyle)), text});
    }
    for (int i = 0; i < s.seriesCount; ++i) {
        const TrendSeries& series = s.series[i];
        if (!series.visible) continue;
        for (int line = 0; line < 2; ++line) {
            const TrendAlarmLine& alarm = series.alarms[static_cast<size_t>(line)];
            // Only the lines the chart draws: those within the series' value range.
            if (!alarm.shown || !(series.low <= alarm.level && alarm.level <= series.high))
                continue;
            const int entry = AlarmLineEntry(i, line);
            if (entry < 0 && !limitNames) continue;
            const QString text = QStringLiteral("%1 %2%3").arg(
                limitNames ? limitNames->value(line) : ToQString(Tr(LegendText(entry, units))),
                QString::number(static_cast<double>(alarm.level), 'f', series.readoutDecimals),
                series.unit);
            items.push_back(
                {QPen(QColor::fromRgb(alarm.colour), 1, TrendPenStyle(alarm.penStyle)), text});
        }
    }
    return items;
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
    summaryJob_ = mode == kSummaryMode;
    const bool small = reportJob_ && static_cast<int>(columns_.size()) > kManyColumns;
    // The fonts are sized in the page's logical units; the layout uses their character cell.
    tableFont_ = TableFontOf(small);
    chartFont_ = MakeChartFont(18, 36);
    const int items = table_ ? table_->RowCount() : 0;
    layout_ = ComputePrintLayout(small ? kSmallCellWidth : kCellWidth,
                                 small ? kSmallCellHeight : kCellHeight, device.width(),
                                 device.height(), reportJob_, items, columns_);
    if (reportJob_ && table_ && layout_.pageHeight > 0) FitReport(device, small);
    if (summaryJob_ && layout_.pageHeight > 0) LayoutSummary(device);
    body_ =
        Edges(0, 7 * layout_.cy, PrintLayout::kContentWidth, layout_.pageHeight - 13 * layout_.cy);
    prepared_ = true;
    return layout_.pageCount;
}

QFont CPrintListTrend::TableFontOf(bool small) {
    return small ? MakeFont(kSongFace, kSmallCellHeight, kSmallCellWidth, 400)
                 : MakeFont(kSongFace, kCellHeight, kCellWidth, 400);
}

std::vector<int> CPrintListTrend::TextNeeds(const QFont& font, const QPaintDevice& device,
                                            int cx) const {
    const QFontMetricsF metrics(font, &device);
    // Cells are mostly ASCII: their widths add up from a table of character advances.
    std::array<qreal, 128> ascii{};
    for (int ch = 0; ch < 128; ++ch)
        ascii[static_cast<size_t>(ch)] = metrics.horizontalAdvance(QChar(ch));
    const auto width = [&](std::string_view text) {
        qreal w = 0;
        for (char ch : text) {
            const auto u = static_cast<unsigned char>(ch);
            if (u >= 128) return metrics.horizontalAdvance(ToQString(text));
            w += ascii[u];
        }
        return w;
    };
    const int columns = std::min(table_->ColumnCount(), static_cast<int>(columns_.size()));
    const int rows = std::min(layout_.itemCount, table_->RowCount());
    std::vector<int> needs;
    for (int c = 0; c < columns; ++c) {
        const QString title =
            ToQString(table_->Columns()[static_cast<size_t>(c)].title).left(kMaxTitleCharacters);
        qreal widest = metrics.horizontalAdvance(title);
        for (int row = 0; row < rows; ++row)
            widest = std::max(widest, width(table_->Cell(row, c)));
        // The text sits between margins of half a character.
        needs.push_back(static_cast<int>(std::ceil(widest)) + 2 * (cx / 2));
    }
    return needs;
}

void CPrintListTrend::FitReport(const QPaintDevice& device, bool small) {
    const auto fits = [](const std::vector<int>& widths, const std::vector<int>& needs) {
        if (widths.size() < needs.size()) return false;
        for (size_t c = 0; c < needs.size(); ++c) {
            if (widths[c] < needs[c]) return false;
        }
        return true;
    };
    const int items = layout_.itemCount;
    const int width = layout_.horizontalResolution;
    const int height = layout_.verticalResolution;
    std::vector<int> needs = TextNeeds(tableFont_, device, layout_.cx);
    if (fits(layout_.columnPixels, needs)) return;  // the list's proportions, two blocks a page

    // Rows too wide for half a page: one block a page, in the list's proportions or with the
    // columns as wide as their texts need; then the same in the small font.
    for (const bool smallFont : {small, true}) {
        const int cx = smallFont ? kSmallCellWidth : kCellWidth;
        const int cy = smallFont ? kSmallCellHeight : kCellHeight;
        const QFont font = TableFontOf(smallFont);
        if (smallFont != small) needs = TextNeeds(font, device, cx);
        std::vector<int> widths = ColumnPixelWidths(columns_, 1);
        widths.resize(std::min(widths.size(), needs.size()));
        if (!fits(widths, needs)) widths = FittedColumnWidths(needs);
        if (widths.empty() && smallFont) {
            // Wider than the page even in the small font: the list's proportions, clipped.
            widths = ColumnPixelWidths(columns_, 1);
        }
        if (!widths.empty()) {
            tableFont_ = font;
            layout_ = ComputeOneBlockLayout(cx, cy, width, height, items, std::move(widths));
            return;
        }
    }
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
    if (summaryJob_) {
        if (page <= static_cast<int>(summaryPages_.size())) {
            DrawSummary(painter, body_, page);
        } else if (hasData && chart_) {
            DrawChartPage(painter, body_);
        }
    } else if (!reportJob_) {
        if (hasData && chart_) DrawChartPage(painter, body_);
    } else {
        DrawReport(painter, body_, page);
    }

    // The footer's rectangle (0, 0)-(2000, 8 cy) lies at the bottom of the page.
    painter.setWindow(-16 * l.cx, 8 * l.cy - l.pageHeight, l.pageWidth, l.pageHeight);
    DrawFooter(painter, page, pageCount);
    painter.restore();
}

void CPrintListTrend::DrawChartPage(QPainter& painter, const QRect& body) const {
    TrendState whole = chart_->State();
    ShowWholeSelection(whole);
    // A comparison's limits are named as its table of figures names them (下限, 上限, then
    // the three times outside them).
    QStringList limitNames;
    if (comparison_) {
        const std::vector<std::string> titles = ComparisonFigureTable(*comparison_).titles;
        if (titles.size() >= 5)
            limitNames << ToQString(titles[titles.size() - 5])
                       << ToQString(titles[titles.size() - 4]);
    }
    const std::vector<LegendItem> items =
        ChartLegend(whole,
                    comparison_ ? comparison_->units
                    : table_    ? table_->Units()
                                : RecordUnits{},
                    limitNames.size() == 2 ? &limitNames : nullptr);

    // The legend flows in rows below the chart: a stretch of line, then the text.
    const QFontMetricsF metrics(chartFont_, painter.device());
    const int rowHeight = static_cast<int>(std::ceil(metrics.height() * 1.5));
    const int sample = 4 * layout_.cx;
    const int gap = layout_.cx;
    struct Placed {
        QPoint at;
        int textWidth;
    };
    std::vector<Placed> placed;
    std::vector<QString> texts;
    int x = 0, row = 0;
    for (const LegendItem& item : items) {
        // An entry wider than the page ends in "…".
        texts.push_back(metrics.elidedText(item.text, Qt::ElideRight,
                                           PrintLayout::kContentWidth - sample - 2 * gap));
        const int textWidth = static_cast<int>(std::ceil(metrics.horizontalAdvance(texts.back())));
        const int width = sample + gap + textWidth;
        if (x > 0 && x + width > PrintLayout::kContentWidth) {
            x = 0;
            ++row;
        }
        placed.push_back({QPoint(x, row * rowHeight), textWidth});
        x += width + 3 * gap;
    }
    const int legendHeight = items.empty() ? 0 : (row + 1) * rowHeight + rowHeight / 2;

    TrendRenderer renderer;
    TrendRenderer::Target target;
    target.page = true;
    target.barHeight = CTrendWave::kScrollBarHeight;
    target.area = {body.left(), body.top(), body.left() + body.width(),
                   body.top() + body.height() - legendHeight};
    renderer.DrawChart(painter, whole, chartFont_, target);

    painter.save();
    painter.setFont(chartFont_);
    painter.setBackgroundMode(Qt::TransparentMode);
    const int top = target.area.bottom + rowHeight / 2;
    for (size_t i = 0; i < items.size(); ++i) {
        const QPoint at = placed[i].at + QPoint(body.left(), top);
        const int middle = at.y() + rowHeight / 2;
        painter.setPen(items[i].pen);
        painter.drawLine(at.x(), middle, at.x() + sample, middle);
        painter.setPen(Qt::black);
        painter.drawText(QRect(at.x() + sample + gap, at.y(), placed[i].textWidth + gap, rowHeight),
                         Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, texts[i]);
    }
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
    const QString title = summaryJob_ && comparison_ ? ToQString(ComparisonReportTitle())
                          : summaryJob_              ? tr("检测统计报告")
                          : reportJob_               ? tr("检测数据记录表")
                                                     : tr("检测曲线图");
    painter.drawText(r.translated(0, cy), Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine,
                     title);

    const QRect band = Edges(0, 4 * cy + cy / 4, PrintLayout::kContentWidth, 7 * cy - cy / 4);
    painter.fillRect(band, kBandColour);
    painter.setFont(tableFont_);
    const int left = band.left() + cx / 2;
    const int right = band.left() + band.width() - cx / 2;
    const int flags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine;
    // A first line wider than the band goes on in the second line when that is free, from the
    // last double space that leaves the first part whole.
    QString first = infoLine;
    QString second = secondInfoLine;
    const QFontMetricsF metrics(tableFont_, painter.device());
    if (second.isEmpty() && metrics.horizontalAdvance(first) > right - left) {
        const QString gap = QStringLiteral("  ");
        for (qsizetype at = first.lastIndexOf(gap); at > 0; at = first.lastIndexOf(gap, at - 1)) {
            if (metrics.horizontalAdvance(first.left(at)) <= right - left) {
                second = first.mid(at).trimmed();
                first.truncate(at);
                break;
            }
        }
    }
    if (second.isEmpty()) {
        painter.drawText(Edges(left, band.top(), right, band.top() + 3 * cy - 8), flags, first);
    } else {
        const int half = 3 * cy / 2;
        painter.drawText(Edges(left, band.top(), right, band.top() + half), flags, first);
        painter.drawText(Edges(left, band.top() + half, right, band.top() + 2 * half - 8), flags,
                         second);
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
                     tr("第 %1 页共 %2 页").arg(page).arg(pageCount));
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
    if (layout_.blocksPerPage == 1) {
        DrawBlock(painter, body, first);
        return;
    }
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

void CPrintListTrend::LayoutSummary(const QPaintDevice& device, int charWidth) {
    summaryRows_.clear();
    summaryWidths_.clear();
    summaryPages_.clear();
    const int cx = layout_.cx;
    summaryRowHeight_ = layout_.cy + layout_.cy / 2;
    const QFontMetricsF metrics(tableFont_, &device);
    const auto width = [&](const QString& text) {
        return static_cast<int>(std::ceil(metrics.horizontalAdvance(text))) + 2 * (cx / 2);
    };

    std::vector<StatisticsTable> tables;
    if (statistics_) {
        const RecordStatistics& rs = *statistics_;
        QStringList parts = {tr("记录间隔:%1秒  记录数:%2").arg(rs.interval).arg(rs.samples)};
        if (rs.samples > 0)
            parts << tr("  开始时间:%1  结束时间:%2").arg(TimeText(rs.first), TimeText(rs.last));
        parts << tr("  活化能ΔH:%1 kJ/mol").arg(FixedText(rs.activationEnergy, 3));
        // One line, or as many as the parts need to show whole.
        QString line;
        for (const QString& part : parts) {
            if (!line.isEmpty() && width(line + part) > PrintLayout::kContentWidth) {
                summaryRows_.push_back({-1, false, {line}});
                line = part.trimmed();
            } else {
                line += part;
            }
        }
        summaryRows_.push_back({-1, false, {line}});
        for (const std::string& warning : StatisticsWarnings(rs)) {
            for (const QString& part : WrapLines(ToQString(warning), device))
                summaryRows_.push_back({-1, false, {part}});
        }
        tables = StatisticsTables(rs);
    } else if (comparison_) {
        for (const std::string& line : ComparisonSummary(*comparison_)) {
            for (const QString& part : WrapLines(ToQString(line), device))
                summaryRows_.push_back({-1, false, {part}});
        }
        const TextTable figures = ComparisonFigureTable(*comparison_, true);
        StatisticsTable& t = tables.emplace_back();
        t.caption = QCoreApplication::translate("qx::StatisticsTables", "统计值");
        for (const std::string& title : figures.titles)
            t.titles << ToQString(title);
        for (const std::vector<std::string>& row : figures.rows) {
            QStringList& cells = t.rows.emplace_back();
            for (const std::string& cell : row)
                cells << ToQString(cell);
        }
    }
    // A title as two lines: the longer line's width at the best place to break it (a space,
    // which is dropped, or between characters where one is Chinese), and the title with its
    // break as a line feed.
    const auto twoLines = [&](const QString& title, QString* broken) {
        int best = width(title);
        *broken = title;
        for (qsizetype at = 1; at < title.size(); ++at) {
            const bool space = title[at] == QLatin1Char(' ');
            if (!space && !BreaksBetween(title[at - 1], title[at])) continue;
            const QString left = title.left(at).trimmed();
            const QString right = title.mid(space ? at + 1 : at).trimmed();
            if (left.isEmpty() || right.isEmpty()) continue;
            const int w = std::max(width(left), width(right));
            if (w < best) {
                best = w;
                *broken = left + QLatin1Char('\n') + right;
            }
        }
        return best;
    };
    bool tooWide = false;
    for (const StatisticsTable& t : tables) {
        if (t.rows.empty() && &t != &tables.front()) continue;  // no limits, no excursions
        std::vector<int> cellNeeds(static_cast<size_t>(t.titles.size()), 0);
        for (const QStringList& row : t.rows) {
            for (int c = 0; c < row.size() && c < static_cast<int>(cellNeeds.size()); ++c)
                cellNeeds[static_cast<size_t>(c)] =
                    std::max(cellNeeds[static_cast<size_t>(c)], width(row[c]));
        }
        // The titles on one line; when the table is too wide for that, on two.
        int titleLines = 0;
        std::vector<int> widths, needs;
        QStringList titles;
        for (const int lines : {1, 2}) {
            needs = cellNeeds;
            titles = t.titles;
            for (size_t c = 0; c < needs.size(); ++c) {
                // A title no wider than the column's cells stays on one line.
                const QString title = t.titles[static_cast<int>(c)];
                if (lines == 1 || width(title) <= needs[c])
                    needs[c] = std::max(needs[c], width(title));
                else
                    needs[c] = std::max(needs[c], twoLines(title, &titles[static_cast<int>(c)]));
            }
            widths = FittedColumnWidths(needs);
            titleLines = lines;
            if (!widths.empty()) break;
        }
        // The columns of each table printed: all, or (a comparison too wide for the page) as
        // many as fit, each part led by the first column again, which names the row.
        std::vector<std::vector<int>> parts;
        if (!widths.empty()) {
            parts.emplace_back();
            for (int c = 0; c < static_cast<int>(needs.size()); ++c)
                parts.back().push_back(c);
        } else if (comparison_ && needs.size() > 1) {
            int used = PrintLayout::kContentWidth;
            for (int c = 1; c < static_cast<int>(needs.size()); ++c) {
                const int need = std::max(needs[static_cast<size_t>(c)], 1);
                if (used + need > PrintLayout::kContentWidth) {
                    parts.push_back({0});
                    used = std::max(needs[0], 1);
                }
                parts.back().push_back(c);
                used += need;
            }
        } else {
            // Wider than the page: the texts are clipped in equal columns.
            tooWide = true;
            titleLines = 1;
            titles = t.titles;
            widths.assign(cellNeeds.size(),
                          PrintLayout::kContentWidth / static_cast<int>(cellNeeds.size()));
            parts.emplace_back();
            for (int c = 0; c < static_cast<int>(needs.size()); ++c)
                parts.back().push_back(c);
        }
        summaryRows_.push_back({-1, false, {}});
        summaryRows_.push_back({-1, true, {t.caption}});
        for (size_t k = 0; k < parts.size(); ++k) {
            const std::vector<int>& columns = parts[k];
            const auto pick = [&columns](const QStringList& cells) {
                QStringList picked;
                for (const int c : columns)
                    picked << (c < cells.size() ? cells[c] : QString());
                return picked;
            };
            std::vector<int> partWidths;
            if (parts.size() == 1 && !widths.empty()) {
                partWidths = widths;
            } else {
                std::vector<int> partNeeds;
                for (const int c : columns)
                    partNeeds.push_back(needs[static_cast<size_t>(c)]);
                partWidths = FittedColumnWidths(partNeeds);
                if (partWidths.empty()) partWidths = partNeeds;  // one column wider than a page
            }
            const int index = static_cast<int>(summaryWidths_.size());
            summaryWidths_.push_back(std::move(partWidths));
            if (k > 0) summaryRows_.push_back({-1, false, {}});
            summaryRows_.push_back({index, true, pick(titles), titleLines});
            for (const QStringList& row : t.rows)
                summaryRows_.push_back({index, false, pick(row)});
        }
    }
    if (tooWide && charWidth > kMinSummaryCharWidth) {
        tableFont_ = MakeFont(kSongFace, kCellHeight, charWidth - 1, 400);
        LayoutSummary(device, charWidth - 1);
        return;
    }
    // The footnote: the rules the figures follow.
    summaryRows_.push_back({-1, false, {}});
    for (const QString& rule : StatisticsRules()) {
        for (const QString& part : WrapLines(rule, device))
            summaryRows_.push_back({-1, false, {part}});
    }

    // Pages of rows; a table going on over a page starts it with its title row again.
    const int bodyHeight = layout_.pageHeight - 20 * layout_.cy;
    const int perPage = std::max(bodyHeight / summaryRowHeight_, 4);
    std::vector<int> page;
    int used = 0;  // rows of the page's height taken
    int heading = -1;
    const int count = static_cast<int>(summaryRows_.size());
    const auto at = [this, count](int i) -> const SummaryRow* {
        return i < count ? &summaryRows_[static_cast<size_t>(i)] : nullptr;
    };
    for (int i = 0; i < count; ++i) {
        const SummaryRow& row = *at(i);
        if (row.table >= 0 && row.heading) heading = i;
        if (row.table < 0) heading = -1;
        // A table's caption and title row stay with its first row.
        int need = row.lines;
        if (row.table < 0 && row.heading) {
            for (int next = i + 1; next <= i + 2 && at(next) && at(next)->table >= 0; ++next)
                need += at(next)->lines;
        } else if (row.table >= 0 && row.heading && at(i + 1) && at(i + 1)->table == row.table) {
            need += at(i + 1)->lines;
        }
        if (used + row.lines > perPage || (used > 0 && used + need > perPage)) {
            summaryPages_.push_back(std::move(page));
            page.clear();
            used = 0;
            if (row.table >= 0 && !row.heading && heading >= 0) {
                page.push_back(heading);
                used += summaryRows_[static_cast<size_t>(heading)].lines;
            }
        }
        if (page.empty() && row.table < 0 && row.cells.isEmpty()) continue;  // no gap on top
        page.push_back(i);
        used += row.lines;
    }
    if (!page.empty() || summaryPages_.empty()) summaryPages_.push_back(std::move(page));
    layout_.pageCount = static_cast<int>(summaryPages_.size()) + 1;  // and the chart page
}

QStringList CPrintListTrend::WrapLines(const QString& text, const QPaintDevice& device) const {
    QTextLayout layout(text, tableFont_, &device);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    QStringList lines;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(PrintLayout::kContentWidth);
        lines << text.mid(line.textStart(), line.textLength()).trimmed();
    }
    layout.endLayout();
    return lines;
}

void CPrintListTrend::DrawSummary(QPainter& painter, const QRect& body, int page) const {
    const int cx = layout_.cx;
    const int h = summaryRowHeight_;
    const int flags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine;
    const int wrapped = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap;
    painter.save();
    painter.setBackgroundMode(Qt::TransparentMode);
    QFont bold = tableFont_;
    bold.setWeight(QFont::Bold);
    int y = body.top();
    const std::vector<int>& rows = summaryPages_[static_cast<size_t>(page - 1)];
    for (size_t k = 0; k < rows.size(); ++k) {
        const SummaryRow& row = summaryRows_[static_cast<size_t>(rows[k])];
        const int top = y;
        y += row.lines * h;
        painter.setPen(Qt::black);
        if (row.table < 0) {
            if (row.cells.isEmpty()) continue;
            painter.setFont(row.heading ? bold : tableFont_);
            painter.drawText(QRect(body.left(), top, body.width(), h), flags, row.cells.front());
            continue;
        }
        painter.setFont(tableFont_);
        const std::vector<int>& widths = summaryWidths_[static_cast<size_t>(row.table)];
        int x = body.left();
        for (size_t c = 0; c < widths.size(); ++c) {
            const QRect cell(x, top, widths[c], row.lines * h);
            if (row.heading) painter.fillRect(cell, kTitleRowColour);
            if (c < static_cast<size_t>(row.cells.size()))
                painter.drawText(Narrowed(cell, cx / 2, 4), row.lines > 1 ? wrapped : flags,
                                 row.cells[static_cast<int>(c)]);
            painter.setPen(QPen(kGridColour, kGridWidth, Qt::SolidLine));
            painter.drawRect(cell);
            painter.setPen(Qt::black);
            x += widths[c];
        }
    }
    painter.restore();
}

}  // namespace qx
