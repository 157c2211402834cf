// Printed pages in English: titles, footer and the statistics report's texts whole, none over
// another or past the content's right edge; PDFs of the statistics report in both languages,
// and their pictures, under $QX_SCREENSHOT_DIR.
#include <gtest/gtest.h>

#include <QFile>
#include <QFontMetricsF>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <algorithm>
#include <map>

#include "core/records/number_text.h"
#include "core/records/record_query.h"
#include "core/records/record_statistics.h"
#include "gui/common/qt_text.h"
#include "gui/common/screenshot_util.h"
#include "gui/common/text_fit.h"
#include "gui/print/print_command.h"
#include "gui/print/print_list_trend.h"
#include "gui/print/sel_print_dlg.h"
#include "print_test_util.h"

namespace qx {
namespace {

using test::RecordingDevice;
using test::TableFixture;

// A portrait page of 2448 x 3462 device pixels (A4's proportions): the content starts at
// x = 16 cx = 256 and is 2000 units wide.
constexpr int kPageW = 2448;
constexpr int kPageH = 3462;
constexpr int kLeft = 256;

// Texts of a page that run into the next one on their line or past the content's right edge.
std::vector<std::string> Collisions(const RecordingDevice& device) {
    std::map<int, std::vector<std::pair<qreal, qreal>>> lines;  // baseline -> [start, end)
    std::vector<std::string> found;
    for (const auto& t : device.engine.texts) {
        const qreal end = t.at.x() + QFontMetricsF(t.font, &device).horizontalAdvance(t.text);
        if (end > kLeft + PrintLayout::kContentWidth + 1)
            found.push_back("past the edge: " + t.text.toStdString());
        lines[qRound(t.at.y())].push_back({t.at.x(), end});
    }
    for (auto& [y, spans] : lines) {
        std::sort(spans.begin(), spans.end());
        for (size_t i = 1; i < spans.size(); ++i) {
            if (spans[i - 1].second > spans[i].first + 1)
                found.push_back("overlap on the line at y " + std::to_string(y));
        }
    }
    return found;
}

// A summary job over a record with limits and excursions (temperature limits 40..80).
struct SummaryFixture {
    TableFixture fixture{1, 300};
    RecordStatistics statistics =
        ComputeRecordStatistics(*fixture.set, fixture.table, QueryWindow{}.condition);
    CPrintListTrend job;

    SummaryFixture() {
        test::SetReportJob(job, fixture.table, QStringLiteral("summary.QXRec"));
        job.footerText = PrintFooterText(QStringLiteral("/data/summary.QXRec"), 1495173802);
        job.SetStatistics(&statistics);
        job.mode = CPrintListTrend::kSummaryMode;
    }
};

// Draws the first page of a job; its page count.
int DrawFirstPage(CPrintListTrend& job, RecordingDevice& device) {
    const int pages = job.PrintSetup(device);
    QPainter painter(&device);
    job.PrintPage(painter, 1, pages);
    return pages;
}

TEST(PrintEnglish, StatisticsReportIsEnglishAndWhole) {
    {
        test::ScopedEnglish english;
        ASSERT_TRUE(english.Loaded());
        SummaryFixture s;
        RecordingDevice device(kPageW, kPageH);
        const int pages = DrawFirstPage(s.job, device);
        const auto& engine = device.engine;
        EXPECT_NE(engine.Find(QStringLiteral("Measurement Statistics Report")), nullptr);
        EXPECT_NE(engine.Find(QStringLiteral("Page 1 of %1").arg(pages)), nullptr);
        EXPECT_NE(
            engine.Find(QStringLiteral("Printed: 2017-05-19 14:03  Data file: summary.QXRec")),
            nullptr);
        EXPECT_NE(engine.Find(QStringLiteral("Limits")), nullptr);
        // The statistics table is too wide in the normal table font: a narrower one fits it.
        EXPECT_TRUE(std::any_of(engine.texts.begin(), engine.texts.end(), [](const auto& t) {
            return t.text.endsWith(QStringLiteral("Activation energy ΔH: 83.144 kJ/mol"));
        }));
        const auto collisions = Collisions(device);
        EXPECT_TRUE(collisions.empty()) << collisions.front();
    }
    // PDFs and pictures in both languages, for a person to compare.
    for (const bool inEnglish : {false, true}) {
        std::unique_ptr<test::ScopedEnglish> english;
        if (inEnglish) english = std::make_unique<test::ScopedEnglish>();
        SummaryFixture s;
        const QString name = QStringLiteral("print_summary_") + (inEnglish ? "en" : "zh");
        const QString path = test::ScreenshotFile(name + QStringLiteral(".pdf"));
        const int pages = PrintToPdf(s.job, path);
        EXPECT_TRUE(test::PdfPageText(path, 1).contains(
            inEnglish ? QStringLiteral("Measurement Statistics Report")
                      : QStringLiteral("检测统计报告")));
        EXPECT_EQ(test::RenderPdf(path, name), pages);
    }
}

TEST(PrintEnglish, StatisticsReportRowsStayAboveTheFooterAndAddUp) {
    // Hundreds of excursions over many pages, the titles of the wide tables on two lines.
    test::ScopedEnglish english;
    TableFixture fixture(1, 3000);
    const RecordStatistics statistics =
        ComputeRecordStatistics(*fixture.set, fixture.table, QueryWindow{}.condition);
    CPrintListTrend job;
    test::SetReportJob(job, fixture.table, QStringLiteral("many.QXRec"));
    job.SetStatistics(&statistics);
    job.mode = CPrintListTrend::kSummaryMode;
    RecordingDevice setup(kPageW, kPageH);
    const int pages = job.PrintSetup(setup);
    ASSERT_GE(pages, 4);
    const PrintLayout& layout = job.Layout();
    const double footerTop = double(layout.pageHeight - 8 * layout.cy) * kPageH / layout.pageHeight;

    // Every series title heads one row of the figures, of the limits (two series with limits)
    // and of each excursion; the longest excursion shows its seconds.
    int expected = 3 + 2, found = 0;
    for (const SeriesStatistics& s : statistics.series) {
        if (s.limits) expected += static_cast<int>(s.limits->excursions.size());
    }
    const SeriesStatistics& temperature = statistics.series[0];
    const Excursion& longest =
        temperature.limits->excursions[static_cast<size_t>(temperature.limits->longest)];
    ASSERT_NE(longest.samples, longest.seconds);
    bool longestShown = false;
    for (int page = 1; page < pages; ++page) {
        RecordingDevice device(kPageW, kPageH);
        QPainter painter(&device);
        job.PrintPage(painter, page, pages);
        painter.end();
        int below = 0;
        for (const auto& t : device.engine.texts) {
            if (t.at.y() > footerTop) ++below;
            for (const SeriesStatistics& s : statistics.series)
                found += t.text == ToQString(s.title);
            longestShown =
                longestShown ||
                t.text == QStringLiteral("%1 s (%2)")
                              .arg(longest.seconds)
                              .arg(ToQString(DurationText(static_cast<uint64_t>(longest.seconds))));
        }
        EXPECT_EQ(below, 2) << "page " << page;  // the footer's own texts
        for (const auto& f : device.engine.fills)
            EXPECT_LE(f.rect.bottom(), footerTop + 1) << "page " << page;
    }
    EXPECT_EQ(found, expected);
    EXPECT_TRUE(longestShown);
}

TEST(PrintEnglish, ReportTitleAndALongInformationLine) {
    test::ScopedEnglish english;
    TableFixture fixture(1, 120);
    CPrintListTrend job;
    test::SetReportJob(job, fixture.table, QStringLiteral("list.QXRec"));
    // Too long for the band in the tests' fonts (a narrow face fits it whole): it goes on in a
    // second line from its last double space that fits. Either way nothing passes the edge.
    const QString head = QStringLiteral(
        "Number: QX0001 Measurement: Cold store 3, north wall, upper shelf  Total samples: 120");
    const QString tail =
        QStringLiteral("Query: Dates from [2017-05-19] to [2017-05-20] Samples: 120");
    job.infoLine = head + QStringLiteral("  ") + tail;
    RecordingDevice device(kPageW, kPageH);
    DrawFirstPage(job, device);
    EXPECT_NE(device.engine.Find(QStringLiteral("Measurement Data Report")), nullptr);
    const auto* first = device.engine.Find(head);
    const auto* second = device.engine.Find(tail);
    if (!device.engine.Find(job.infoLine)) {
        ASSERT_NE(first, nullptr);
        ASSERT_NE(second, nullptr);
        EXPECT_GT(second->at.y(), first->at.y());
    }
    const auto collisions = Collisions(device);
    EXPECT_TRUE(collisions.empty()) << collisions.front();
}

TEST(PrintEnglish, PrintChoiceDialogFits) {
    test::ScopedEnglish english;
    CSelPrintDlg dialog(CSelPrintDlg::kSummary, false);
    dialog.show();
    EXPECT_EQ(dialog.SummaryButton()->text(), "&Statistics report");
    EXPECT_TRUE(test::CutTexts(dialog).empty());
    test::SaveScreenshot(dialog, QStringLiteral("print_choice_en.png"));
}

}  // namespace
}  // namespace qx
