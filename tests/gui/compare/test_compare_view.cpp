// The comparison window over hand-made histories: what its chart, aligned table and figures
// show, its limit entries, its printed report and its export; screenshots and PDF pictures of
// twelve instruments in both languages.
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include "core/records/history_fixtures.h"
#include "core/records/xlsx_reader.h"
#include "gui/chart/trend_axes.h"
#include "gui/chart/trend_wave.h"
#include "gui/common/app_fonts.h"
#include "gui/common/screenshot_util.h"
#include "gui/common/scripted_prompter.h"
#include "gui/common/text_fit.h"
#include "gui/compare/compare_view.h"
#include "gui/print/print_list_trend.h"
#include "gui/print/print_test_util.h"
#include "gui/print/statistics_tables.h"

namespace qx {
namespace {

constexpr int64_t kStart = 1489151220;  // 2017-03-10 21:07:00 in CST-8, a whole minute

// A QX420 history of one recording: samples interval apart from start, numbered and named.
InstrumentHistory Instrument(const std::u16string& number, const std::u16string& name,
                             int64_t start, uint32_t interval, std::vector<float> temperatures) {
    RecordingSamples r = test::MakeRecording(
        1, interval, test::EveryInterval(start, interval, static_cast<int>(temperatures.size())),
        temperatures);
    r.params.SetNumber(number);
    r.params.SetName(name);
    return {r};
}

// Twelve cold rooms of a day at 5-minute intervals, each a little warmer than the one before,
// the seventh missing two hours in the afternoon.
std::vector<InstrumentHistory> TwelveRooms() {
    std::vector<InstrumentHistory> rooms;
    for (int i = 0; i < 12; ++i) {
        std::vector<float> values;
        for (int k = 0; k < 288; ++k) {
            const float wave = static_cast<float>(std::sin(k * 0.05 + i)) * 1.5f;
            values.push_back(2.0f + 0.4f * static_cast<float>(i) + wave);
        }
        std::u16string number = u"C10";
        number += static_cast<char16_t>(u'0' + i / 10);
        number += static_cast<char16_t>(u'0' + i % 10);
        InstrumentHistory h = Instrument(number, u"冷库", kStart, 300, values);
        if (i == 6) {
            auto& samples = h.front().samples;
            samples.erase(samples.begin() + 160, samples.begin() + 184);
        }
        rooms.push_back(std::move(h));
    }
    return rooms;
}

struct ThreeLoggers : ::testing::Test {
    test::ScriptedPrompter prompter;
    CCompareView view;
    void SetUp() override {
        std::vector<InstrumentHistory> h;
        h.push_back(Instrument(u"A1", u"北库", kStart, 60, {10, 11, 12, 13, 14, 15}));
        h.push_back(Instrument(u"B2", u"南库", kStart + 120, 60, {20, 21, 22, 23}));
        h.push_back(Instrument(u"C3", u"", kStart, 60, {-5, -5, -5, -5, -5, -5}));
        view.resize(1000, 700);
        view.SetHistories(std::move(h), QueryWindow{});
    }
    QString Cell(int row, int column) const {
        const QAbstractItemModel* m = view.Table()->model();
        return m->data(m->index(row, column)).toString();
    }
};

TEST_F(ThreeLoggers, ChartTableAndFiguresShowEveryInstrument) {
    ASSERT_NE(view.Result(), nullptr) << view.Problem().toStdString();
    const TrendState& chart = view.Chart()->State();
    ASSERT_EQ(chart.seriesCount, 3);
    EXPECT_EQ(chart.series[0].name, QStringLiteral("A1 北库"));
    EXPECT_EQ(chart.series[2].name, QStringLiteral("C3"));
    EXPECT_NE(chart.series[0].colour, chart.series[1].colour);
    // One range for all, so that the lines can be read against each other.
    EXPECT_EQ(chart.series[0].low, chart.series[1].low);
    // One axis for all, titled by the quantity: the legend names the instruments.
    const ResolvedAxes axes = ResolveValueAxes(chart);
    ASSERT_EQ(axes.axes.size(), 1u);
    EXPECT_EQ(axes.axes[0].series.size(), 3u);
    EXPECT_EQ(axes.axes[0].title, QStringLiteral("温度(℃)"));
    EXPECT_LE(chart.series[0].low, -5.0f);
    EXPECT_GE(chart.series[1].high, 23.0f);

    const QAbstractItemModel* m = view.Table()->model();
    ASSERT_EQ(m->columnCount(), 4);
    ASSERT_EQ(m->rowCount(), 6);
    EXPECT_EQ(m->headerData(2, Qt::Horizontal).toString(), QStringLiteral("B2 南库(℃)"));
    EXPECT_EQ(Cell(0, 0), QStringLiteral("17-03-10 21:07:00"));
    EXPECT_EQ(Cell(0, 1), QStringLiteral("10.0"));
    EXPECT_EQ(Cell(0, 2), QString());  // B2 started two minutes later
    EXPECT_EQ(Cell(2, 2), QStringLiteral("20.0"));
    EXPECT_EQ(Cell(5, 2), QStringLiteral("23.0"));
    EXPECT_EQ(Cell(5, 3), QStringLiteral("-5.0"));

    ASSERT_EQ(view.Figures()->rowCount(), 3);
    EXPECT_EQ(view.Figures()->item(1, 0)->text(), QStringLiteral("B2 南库"));
    const QString summary = view.SummaryLabel()->text();
    EXPECT_TRUE(summary.contains(QStringLiteral("B2 南库"))) << summary.toStdString();
    EXPECT_TRUE(summary.contains(QStringLiteral("C3"))) << summary.toStdString();
}

TEST_F(ThreeLoggers, LimitsAtTheirEndsAndPastThem) {
    view.SetLimitTexts(QStringLiteral("-40"), QStringLiteral("369.5"));
    ASSERT_TRUE(view.Compare());
    ASSERT_TRUE(view.Result()->limits);
    EXPECT_EQ(*view.Result()->limits->low, -40);
    EXPECT_TRUE(prompter.messages.empty());
    // Drawn as lines within the range of the chart.
    const TrendSeries& first = view.Chart()->State().series[0];
    EXPECT_TRUE(first.alarms[0].shown && first.alarms[1].shown);
    EXPECT_EQ(first.alarms[1].level, 369.5f);
    EXPECT_LE(first.low, -40.0f);
    EXPECT_GE(first.high, 369.5f);
    // Past the range, not a number: told, and the comparison shown keeps its limits.
    for (const auto& [low, high] : {std::pair{"-40.1", ""}, {"", "369.6"}, {"8", "2"}, {"x", ""}}) {
        view.SetLimitTexts(QString::fromUtf8(low), QString::fromUtf8(high));
        EXPECT_FALSE(view.Compare()) << low << "," << high;
        EXPECT_EQ(prompter.messages.size(), 1u) << low << "," << high;
        prompter.messages.clear();
        ASSERT_NE(view.Result(), nullptr);
        EXPECT_EQ(*view.Result()->limits->high, 369.5);
    }
    // Empty entries: each instrument's own limits again.
    view.SetLimitTexts({}, {});
    ASSERT_TRUE(view.Compare());
    EXPECT_FALSE(view.Result()->limits);
    EXPECT_FALSE(view.Chart()->State().series[0].alarms[0].shown);
    EXPECT_NE(view.Figures()->item(0, 10)->text(), QStringLiteral("-"));
}

TEST_F(ThreeLoggers, QuantityChoiceAndExport) {
    EXPECT_FALSE(view.ChooseSeries("co2"));
    ASSERT_TRUE(view.ChooseSeries("hum"));
    EXPECT_EQ(view.Result()->series, "hum");

    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("compare.xlsx"));
    prompter.fileAnswers = {path};
    view.ExportComparison();
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_EQ(prompter.messages[0].icon, PromptIcon::Information)
        << prompter.LastMessage().toStdString();
    const auto cells =
        test::SheetCells(test::UnzipPart(path.toStdString(), "xl/worksheets/sheet1.xml"));
    ASSERT_FALSE(cells.empty());
    EXPECT_EQ(cells[0].at(1).value, "A1 北库(%RH)");  // the quantity chosen, not the first
    EXPECT_EQ(cells.size(), 7u);
}

// The chart draws up to 64 lines: 64 instruments are compared, 65 are refused with the reason.
TEST(CompareView, SixtyFourInstrumentsAndNoMore) {
    test::ScriptedPrompter prompter;
    CCompareView view;
    std::vector<InstrumentHistory> many;
    for (int i = 0; i < 65; ++i)
        many.push_back(Instrument(u"N" + std::u16string(1, char16_t(u'0' + i % 10)), u"", kStart,
                                  60, {float(i), float(i + 1)}));
    view.SetHistories({many.begin(), many.end() - 1}, QueryWindow{});
    ASSERT_NE(view.Result(), nullptr) << view.Problem().toStdString();
    EXPECT_EQ(view.Chart()->State().seriesCount, 64);
    view.SetHistories(many, QueryWindow{});
    EXPECT_EQ(view.Result(), nullptr);
    EXPECT_TRUE(view.Problem().contains(QStringLiteral("64"))) << view.Problem().toStdString();
    EXPECT_TRUE(prompter.messages.empty());
}

TEST(CompareView, RefusedComparisonShowsWhyAndPrintsNothing) {
    test::ScriptedPrompter prompter;
    CCompareView view;
    view.SetHistories({}, QueryWindow{});
    EXPECT_EQ(view.Result(), nullptr);
    EXPECT_FALSE(view.Problem().isEmpty());
    EXPECT_EQ(view.SummaryLabel()->text(), view.Problem());
    EXPECT_EQ(view.Table()->model()->rowCount(), 0);
    EXPECT_FALSE(view.Print(PrintAction::Print));
    QTemporaryDir folder;
    EXPECT_LT(view.PrintToPdfFile(folder.filePath(QStringLiteral("none.pdf"))), 0);
    EXPECT_TRUE(prompter.messages.empty());
    // Said above the chart, no chart, and nothing to export or print.
    EXPECT_EQ(view.Notice()->text(), view.Problem());
    EXPECT_TRUE(view.Chart()->isHidden());
    for (const QPushButton* button : view.OutputButtons())
        EXPECT_FALSE(button->isEnabled()) << button->text().toStdString();
}

// An instrument without the quantity is left out and named above the chart; the title names
// the quantity and instruments, the export proposes the data folder, Esc and Ctrl+W close.
TEST_F(ThreeLoggers, LeftOutTitleExportAndClosing) {
    EXPECT_TRUE(view.Notice()->isHidden());
    std::vector<InstrumentHistory> h;
    h.push_back(Instrument(u"A1", u"北库", kStart, 60, {10, 11, 12}));
    RecordingSamples sound = test::MakeRecording(7, 60, test::EveryInterval(kStart, 60, 3), {40});
    sound.params.SetNumber(u"S9");
    h.push_back({sound});
    h.push_back(Instrument(u"B2", u"南库", kStart, 60, {20, 21, 22}));
    h.push_back(Instrument(u"C3", u"", kStart, 60, {1, 2, 3}));
    h.push_back(Instrument(u"D4", u"", kStart, 60, {1, 2, 3}));
    view.SetDataFolder(QStringLiteral("/data/DAT"));
    view.SetTitleSuffix(QStringLiteral("QX Logger"));
    view.SetHistories(std::move(h), QueryWindow{});
    ASSERT_NE(view.Result(), nullptr) << view.Problem().toStdString();
    EXPECT_EQ(view.Result()->instruments.size(), 4u);
    EXPECT_TRUE(view.Notice()->text().contains(QStringLiteral("S9")))
        << view.Notice()->text().toStdString();
    for (const QPushButton* button : view.OutputButtons())
        EXPECT_TRUE(button->isEnabled());
    EXPECT_EQ(view.windowTitle(),
              QStringLiteral("对比 温度(℃): A1 北库, B2 南库, C3 等 4 台 - QX Logger"));
    EXPECT_EQ(view.ExportProposal(), QStringLiteral("/data/DAT/温度对比_20170310"));

    for (const QKeySequence& keys :
         {QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_W)}) {
        view.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
        QTest::keySequence(&view, keys);
        EXPECT_FALSE(view.isVisible()) << keys.toString().toStdString();
    }
}

// Every text of every page starts inside the page's content and ends before its right edge;
// the table rows stay above the footer.
TEST(CompareView, ReportPagesStayWithinThePageAndNameEveryInstrument) {
    for (const bool inEnglish : {false, true}) {
        std::unique_ptr<test::ScopedEnglish> english;
        if (inEnglish) english = std::make_unique<test::ScopedEnglish>();
        CCompareView view;
        view.resize(1000, 700);
        view.SetHistories(TwelveRooms(), QueryWindow{});
        view.SetLimitTexts(QStringLiteral("2"), QStringLiteral("6"));
        ASSERT_TRUE(view.Compare());

        const QString name = QStringLiteral("print_compare_") + (inEnglish ? "en" : "zh");
        const QString path = test::ScreenshotFile(name + QStringLiteral(".pdf"));
        const int pages = view.PrintToPdfFile(path);
        ASSERT_GE(pages, 2);
        QString text;
        for (int p = 1; p <= pages; ++p)
            text += test::PdfPageText(path, p);
        EXPECT_TRUE(text.contains(inEnglish ? QStringLiteral("Comparison report")
                                            : QStringLiteral("对比报告")))
            << text.toStdString();
        for (const ComparedInstrument& i : view.Result()->instruments)
            EXPECT_TRUE(text.contains(QString::fromStdString(i.label))) << i.label;
        // The limit lines in the chart's legend.
        EXPECT_TRUE(test::PdfPageText(path, pages)
                        .contains(inEnglish ? QStringLiteral("High limit 6.0")
                                            : QStringLiteral("上限 6.0")))
            << test::PdfPageText(path, pages).toStdString();
        EXPECT_EQ(test::RenderPdf(path, name), pages);
    }

    // Drawn onto a recording page: nothing past the content's edges.
    CCompareView view;
    view.SetHistories(TwelveRooms(), QueryWindow{});
    CPrintListTrend job;
    job.SetSources(nullptr, view.Chart());
    job.SetComparison(view.Result());
    job.mode = CPrintListTrend::kSummaryMode;
    job.hasData = true;
    constexpr int kPageW = 2448, kPageH = 3462, kLeft = 256;
    test::RecordingDevice device(kPageW, kPageH);
    const int pages = job.PrintSetup(device);
    ASSERT_GE(pages, 2);
    QPainter painter(&device);
    for (int p = 1; p <= pages; ++p)
        job.PrintPage(painter, p, pages);
    painter.end();
    const double scale = double(kPageW) / job.Layout().pageWidth;
    const double right = kLeft + PrintLayout::kContentWidth * scale + 1;
    for (const auto& t : device.engine.texts) {
        const double end = t.at.x() + QFontMetricsF(t.font, &device).horizontalAdvance(t.text);
        EXPECT_GE(t.at.x(), kLeft * scale - 1) << t.text.toStdString();
        EXPECT_LE(end, right) << t.text.toStdString();
        EXPECT_LE(t.at.y(), kPageH) << t.text.toStdString();
    }
}

// Instruments numbered and named as a site names them: "A0200001 冷库温湿度2" and so on.
std::vector<InstrumentHistory> NamedRooms(int count) {
    std::vector<InstrumentHistory> rooms;
    for (int i = 0; i < count; ++i) {
        std::u16string number = u"A02000";
        number += static_cast<char16_t>(u'0' + i / 10);
        number += static_cast<char16_t>(u'0' + i % 10);
        std::u16string name = u"冷库温湿度";
        name += static_cast<char16_t>(u'0' + i % 10);
        rooms.push_back(Instrument(number, name, kStart, 300,
                                   {2.0f + float(i % 7), 9.5f, -1.0f, 3.0f, 4.0f, 5.5f}));
    }
    return rooms;
}

// Every text a report page draws inside a cell ends within that cell, measured in the font
// the page used; returns the first that does not ("" when all fit).
QString FirstClippedCell(const test::RecordingEngine& engine, const QPaintDevice& device,
                         double contentWidth) {
    for (const auto& t : engine.texts) {
        const QRectF* cell = nullptr;
        for (const auto& f : engine.fills) {
            const QRectF& r = f.rect;
            if (r.width() >= 0.9 * contentWidth || !r.contains(t.at)) continue;
            if (!cell || r.width() < cell->width()) cell = &r;
        }
        if (!cell) continue;
        const double end = t.at.x() + QFontMetricsF(t.font, &device).horizontalAdvance(t.text);
        if (end > cell->right() + 0.5) return t.text;
    }
    return {};
}

// The figures of 3, 8 and 64 instruments print whole in both languages: every cell's text
// within its cell, every instrument's label and both of its times whole.
TEST(CompareView, ReportCellsShowWhole) {
    for (const bool inEnglish : {false, true}) {
        std::unique_ptr<test::ScopedEnglish> english;
        if (inEnglish) english = std::make_unique<test::ScopedEnglish>();
        for (const int count : {3, 8, 64}) {
            CCompareView view;
            view.SetHistories(NamedRooms(count), QueryWindow{});
            view.SetLimitTexts(QStringLiteral("0"), QStringLiteral("8"));
            ASSERT_TRUE(view.Compare());
            CPrintListTrend job;
            job.SetSources(nullptr, view.Chart());
            job.SetComparison(view.Result());
            job.mode = CPrintListTrend::kSummaryMode;
            job.hasData = true;
            constexpr int kPageW = 2448, kPageH = 3462;
            const int pages = job.PrintSetup(test::RecordingDevice(kPageW, kPageH));
            ASSERT_GE(pages, 2);
            // The statistics report's font, not a smaller one.
            EXPECT_EQ(job.TableFont(),
                      MakeFont(QStringLiteral("宋体"), CPrintListTrend::kCellHeight,
                               CPrintListTrend::kCellWidth, 400));
            const double scale = double(kPageW) / job.Layout().pageWidth;
            QStringList texts;
            for (int p = 1; p < pages; ++p) {
                test::RecordingDevice device(kPageW, kPageH);
                QPainter painter(&device);
                job.PrintPage(painter, p, pages);
                painter.end();
                const QString clipped =
                    FirstClippedCell(device.engine, device, PrintLayout::kContentWidth * scale);
                EXPECT_TRUE(clipped.isEmpty()) << count << " " << clipped.toStdString();
                for (const auto& t : device.engine.texts)
                    texts << t.text;
            }
            for (const ComparedInstrument& i : view.Result()->instruments) {
                EXPECT_TRUE(texts.contains(QString::fromStdString(i.label))) << i.label;
                EXPECT_TRUE(texts.contains(TimeText(i.figures.maxTime))) << i.label;
            }
        }
    }
}

// The longest run of black pixels along rows (or columns) from..to of an image.
int LongestBlackRun(const QImage& image, bool rows, int from, int to) {
    int best = 0;
    for (int a = from; a < to; ++a) {
        int run = 0;
        const int length = rows ? image.width() : image.height();
        for (int b = 0; b < length; ++b) {
            const QRgb c = rows ? image.pixel(b, a) : image.pixel(a, b);
            run = qGray(c) < 100 ? run + 1 : 0;
            best = std::max(best, run);
        }
    }
    return best;
}

// The chart page's plot is closed by a border on all four sides.
TEST(CompareView, ChartPageBorderOnFourSides) {
    CCompareView view;
    view.SetHistories(TwelveRooms(), QueryWindow{});
    CPrintListTrend job;
    job.SetSources(nullptr, view.Chart());
    job.SetComparison(view.Result());
    job.mode = CPrintListTrend::kSummaryMode;
    job.hasData = true;
    QImage page(1240, 1754, QImage::Format_RGB32);  // A4 at 150 dpi
    page.fill(Qt::white);
    const int pages = job.PrintSetup(page);
    {
        QPainter painter(&page);
        job.PrintPage(painter, pages, pages);
    }
    test::SaveScreenshot(page, QStringLiteral("compare_chart_page.png"));
    const QRect body = job.BodyRect();
    ASSERT_FALSE(body.isEmpty());
    const int w = page.width(), h = page.height();
    EXPECT_GT(LongestBlackRun(page, true, 0, h / 2), w / 2);   // top
    EXPECT_GT(LongestBlackRun(page, true, h / 2, h), w / 2);   // bottom
    EXPECT_GT(LongestBlackRun(page, false, 0, w / 2), h / 3);  // left
    EXPECT_GT(LongestBlackRun(page, false, w / 2, w), h / 3);  // right
}

TEST(CompareView, TwelveInstrumentsScreenshots) {
    for (const bool inEnglish : {false, true}) {
        std::unique_ptr<test::ScopedEnglish> english;
        if (inEnglish) english = std::make_unique<test::ScopedEnglish>();
        CCompareView view;
        view.resize(1000, 700);
        view.SetHistories(TwelveRooms(), QueryWindow{});
        view.show();
        ASSERT_NE(view.Result(), nullptr);
        EXPECT_EQ(view.Chart()->State().seriesCount, 12);
        EXPECT_TRUE(test::CutTexts(view).empty()) << test::CutTexts(view).front();
        const QString lang = inEnglish ? QStringLiteral("en") : QStringLiteral("zh");
        test::SaveScreenshot(view, QStringLiteral("lang_%1_compare_table.png").arg(lang));
        view.Pages()->setCurrentIndex(1);
        test::SaveScreenshot(view, QStringLiteral("lang_%1_compare_figures.png").arg(lang));
    }
}

}  // namespace
}  // namespace qx
