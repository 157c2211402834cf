// The record library in the window: the library view's filters, opening a recording or an
// instrument's history in the record browser, the comparison's entry point, and a history with a
// gap in list, chart and statistics; screenshots of both in both languages.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDateTime>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest/QTest>

#include <cmath>
#include <fstream>
#include <optional>

#include "core/library/library_location.h"
#include "core/records/record_fixtures.h"
#include "frame_fixture.h"
#include "gui/browser/data_view.h"
#include "gui/browser/library_view.h"
#include "gui/browser/query_panel.h"
#include "gui/chart/trend_wave.h"
#include "gui/common/background_work.h"
#include "gui/common/my_list_ctrl.h"
#include "gui/common/screenshot_util.h"
#include "gui/common/text_fit.h"
#include "gui/print/print_list_trend.h"

namespace qx::test {
namespace {

// 2017-03-10 21:07:12 in the tests' zone.
constexpr uint32_t kStart = 1489151232;
// The second recording of A0815 starts an hour after the first one's last sample.
constexpr uint32_t kSecond = kStart + 100 * 60 + 3600;

class Library : public FrameTest {
  protected:
    void SetUp() override {
        Make({1});
        records = PathIn(QStringLiteral("records"));
        ASSERT_TRUE(QDir().mkpath(records + QStringLiteral("/more")));
        first = Write(QStringLiteral("a1.QXRec"), 1, u"A0815", 100, kStart);
        second = Write(QStringLiteral("more/a2.QXRec"), 1, u"A0815", 50, kSecond);
        other = Write(QStringLiteral("b.QXRec"), 8, u"B7", 30, kStart, true);
        view = frame->LibraryView();
    }

    QString Write(const QString& name, InstrumentTypeId type, const char16_t* number,
                  uint32_t count, uint32_t start, bool withinLimits = false) {
        RecordImage image = MakeRecordImage(type, count, start);
        ParamBlock p = image.Params();
        p.SetNumber(number);
        if (withinLimits) {  // the samples stay below 45 ℃ and 1600 ppm
            p.SetU16(param::kHighLimit, 1000);
            p.SetU16(param::kGasLimit, 2000);
        }
        image.SetParams(p);
        const QString path = records + u'/' + name;
        EXPECT_TRUE(WriteRecordFile(path.toStdString(), image, type));
        return path;
    }

    // Adds the records folder through the view's command, as the user does.
    void AddRecords() {
        frame->RunCommand(cmd::kViewFirst + kLibraryView);
        prompter.fileAnswers.push_back(records);
        view->AddFolder();
        prompter.messages.clear();
    }

    std::vector<LibraryId> Listed() const {
        std::vector<LibraryId> ids;
        for (const RecordingEntry& e : view->Entries())
            ids.push_back(e.recording.id);
        return ids;
    }

    QString records, first, second, other;
    CLibraryView* view = nullptr;
};

TEST_F(Library, FoldersJoinAndTheFiltersNarrowTheList) {
    frame->RunCommand(cmd::kViewFirst + kLibraryView);
    EXPECT_FALSE(view->Notice()->isHidden());  // no library yet: how recordings get in
    prompter.fileAnswers.push_back(records);
    view->AddFolder();
    ASSERT_EQ(prompter.fileRequests.size(), 1u);
    EXPECT_TRUE(prompter.fileRequests[0].folder);
    EXPECT_EQ(prompter.LastMessage(), QStringLiteral("3 个文件: 加入 3 个, 已有 0 个, 失败 0 个"));
    EXPECT_TRUE(view->Notice()->isHidden());
    ASSERT_EQ(view->Entries().size(), 3u);
    EXPECT_EQ(view->List()->topLevelItemCount(), 2);
    EXPECT_TRUE(frame->CaptionText().contains(QStringLiteral("仪器:2  记录:3")))
        << frame->CaptionText().toStdString();
    const std::vector<LibraryId> all = Listed();

    view->NumberEdit()->setText(QStringLiteral("b7"));  // either letter case
    ASSERT_EQ(view->Entries().size(), 1u);
    EXPECT_EQ(view->Entries()[0].recording.instrumentKey.model, 8);
    view->NumberEdit()->clear();
    view->ModelChoice()->setCurrentIndex(view->ModelChoice()->findData(1));
    EXPECT_EQ(view->Entries().size(), 2u);
    view->ModelChoice()->setCurrentIndex(0);

    // Only the day of the second recording's end: its last 37 samples fall on 2017-03-11.
    view->TimeBox()->setChecked(true);
    view->FromDate()->setDate(QDate(2017, 3, 11));
    view->ToDate()->setDate(QDate(2017, 3, 11));
    ASSERT_EQ(view->Entries().size(), 1u);
    EXPECT_EQ(view->Entries()[0].recording.totals.first, kSecond);
    view->ToDate()->setDate(QDate(2017, 3, 10));  // before the start: said so, nothing listed
    EXPECT_TRUE(view->Entries().empty());
    EXPECT_FALSE(view->Notice()->isHidden());
    view->TimeBox()->setChecked(false);

    view->ExcursionsBox()->setChecked(true);
    std::vector<LibraryId> withExcursions;
    view->ExcursionsBox()->setChecked(false);
    for (const RecordingEntry& e : view->Entries()) {
        if (e.recording.totals.excursions > 0) withExcursions.push_back(e.recording.id);
    }
    view->ExcursionsBox()->setChecked(true);
    EXPECT_EQ(Listed(), withExcursions);
    EXPECT_LT(withExcursions.size(), all.size());
    view->ExcursionsBox()->setChecked(false);

    // A file gone from its place is shown as such; its recording stays listed.
    ASSERT_TRUE(QFile::remove(other));
    view->Refresh();
    QTreeWidgetItem* gone = view->RecordingItem(all[2]);
    ASSERT_NE(gone, nullptr);
    EXPECT_EQ(gone->text(CLibraryView::kFilesColumn), QStringLiteral("缺失: b.QXRec"));
    EXPECT_TRUE(gone->toolTip(CLibraryView::kFilesColumn).contains(other));
}

TEST_F(Library, DoubleClickOpensARecordingOrAHistoryAndCompareHandsTheChoiceOver) {
    AddRecords();
    const std::vector<LibraryId> ids = Listed();
    ASSERT_EQ(ids.size(), 3u);

    // A recording whose file is at hand opens as that file.
    QTreeWidgetItem* recording = view->RecordingItem(ids[0]);
    ASSERT_NE(recording, nullptr);
    emit view->List()->itemDoubleClicked(recording, 0);
    EXPECT_EQ(frame->CurrentView(), kRecordView);
    EXPECT_EQ(frame->RecordPath(), first);
    EXPECT_TRUE(frame->HistoryLabel().isEmpty());
    EXPECT_EQ(frame->RecordBrowser()->TotalCount(), 100);
    EXPECT_EQ(frame->DocumentTitleText(), QStringLiteral("记录查询[a1]"));

    // One whose file is gone opens from the library.
    ASSERT_TRUE(QFile::remove(second));
    frame->RunCommand(cmd::kViewFirst + kLibraryView);
    emit view->List()->itemDoubleClicked(view->RecordingItem(ids[1]), 0);
    EXPECT_EQ(frame->HistoryLabel(), QStringLiteral("QX420:A0815"));
    EXPECT_EQ(frame->RecordBrowser()->TotalCount(), 50);

    // The instrument opens as its history across both recordings.
    frame->RunCommand(cmd::kViewFirst + kLibraryView);
    emit view->List()->itemDoubleClicked(
        view->InstrumentItem(view->Entries()[0].recording.instrument), 0);
    EXPECT_EQ(frame->CurrentView(), kRecordView);
    EXPECT_EQ(frame->RecordBrowser()->TotalCount(), 150);
    EXPECT_EQ(frame->DocumentTitleText(), QStringLiteral("记录查询[QX420:A0815]"));

    // 对比...: an instrument chosen whole, a recording of another, and the time range.
    frame->RunCommand(cmd::kViewFirst + kLibraryView);
    std::optional<LibrarySelection> handed;
    QObject::connect(frame.get(), &CMainFrame::comparisonRequested,
                     [&](const LibrarySelection& s) { handed = s; });
    view->List()->clearSelection();
    view->CompareChosen();  // nothing chosen: says how to choose
    EXPECT_FALSE(handed);
    EXPECT_TRUE(prompter.LastMessage().contains(QStringLiteral("Ctrl")));
    view->InstrumentItem(view->Entries()[0].recording.instrument)->setSelected(true);
    view->RecordingItem(ids[0])->setSelected(true);  // within the instrument chosen
    view->RecordingItem(ids[2])->setSelected(true);
    view->FromDate()->setDate(QDate(2017, 3, 10));
    view->ToDate()->setDate(QDate(2017, 3, 11));
    view->TimeBox()->setChecked(true);  // the chosen lines stay chosen
    EXPECT_TRUE(view->CompareButton()->isEnabled());
    view->CompareButton()->click();
    ASSERT_TRUE(handed);
    EXPECT_EQ(handed->instruments, std::vector<LibraryId>{view->Entries()[0].recording.instrument});
    EXPECT_EQ(handed->recordings, std::vector<LibraryId>{ids[2]});
    EXPECT_EQ(handed->from, LocalTime(2017, 3, 10, 0));
    EXPECT_EQ(handed->to, LocalTime(2017, 3, 11, 23, 59, 59));
    EXPECT_EQ(frame->LastComparison(), *handed);
}

// A library server that takes the connection and never answers: the list and a history are
// read off the window's thread, which goes on drawing until the server is given up.
TEST_F(Library, AServerThatNeverAnswersHoldsUpNeitherTheListNorAHistory) {
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_GE(listener, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), size), 0);
    ASSERT_EQ(::listen(listener, 8), 0);  // connections wait in the queue, never answered
    ASSERT_EQ(::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &size), 0);
    const QString server = QStringLiteral("postgresql://qx@127.0.0.1:%1/qx?connect_timeout=2")
                               .arg(ntohs(address.sin_port));
    int ticks = 0;
    QTimer drawing;
    QObject::connect(&drawing, &QTimer::timeout, [&] { ++ticks; });
    drawing.start(20);

    view->SetLocation(server);
    view->Refresh();
    EXPECT_EQ(view->Notice()->text(), QStringLiteral("正在读取记录库服务器..."));
    view->Work().WaitIdle();
    EXPECT_GT(ticks, 25);  // two seconds of waiting, the window's timer went on
    EXPECT_TRUE(view->Notice()->text().contains(QStringLiteral("timeout")))
        << view->Notice()->text().toStdString();

    ticks = 0;
    HistoryChoice choice;
    choice.instrument = 1;
    choice.label = QStringLiteral("QX420:A0815");
    EXPECT_TRUE(frame->OpenHistory(choice));  // being read
    EXPECT_TRUE(prompter.messages.empty());
    frame->LibraryWork().WaitIdle();
    EXPECT_GT(ticks, 25);
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_EQ(prompter.messages[0].icon, PromptIcon::Warning);
    EXPECT_TRUE(frame->HistoryLabel().isEmpty());
    ::close(listener);
}

// The history of A0815: a gap row between its recordings in the list, a break in the chart, the
// excursion that runs into the gap ended there, each recording's settings, and an export that
// reads back with the gap.
TEST_F(Library, AHistoryShowsItsGapInListChartAndStatistics) {
    AddRecords();
    emit view->List()->itemDoubleClicked(
        view->InstrumentItem(view->Entries()[0].recording.instrument), 0);
    CDataView& browser = *frame->RecordBrowser();
    ASSERT_TRUE(browser.ShowsHistory());
    const SampleTable& table = browser.Table();
    ASSERT_EQ(table.RowCount(), 151);
    EXPECT_TRUE(table.IsGap(100));
    EXPECT_EQ(browser.MatchedCount(), 151);
    EXPECT_EQ(QDateTime::fromSecsSinceEpoch(browser.Query().RangeEnd()).date(), QDate(2017, 3, 11));
    EXPECT_TRUE(browser.windowTitle().contains(QStringLiteral("记录数:150")))
        << browser.windowTitle().toStdString();
    // The list shows the gap's row, and the chart draws nothing there.
    EXPECT_EQ(browser.SampleList()->model()->index(100, 1).data().toString(),
              QStringLiteral("间断 01:01:00"));
    EXPECT_EQ(browser.Chart()->State().pointCount, 151);
    EXPECT_TRUE(std::isnan(browser.Chart()->State().ValueAt(0, 100)));
    EXPECT_FALSE(std::isnan(browser.Chart()->State().ValueAt(0, 101)));

    // Each recording's settings after its time span.
    int spans = 0;
    for (int row = 0; row < browser.ParamList()->rowCount(); ++row)
        spans += browser.ParamList()->Text(row, 0) == QStringLiteral("记录时段");
    EXPECT_EQ(spans, 2);

    // No excursion runs across the gap: each one lies within one recording.
    browser.ShowStatistics(true);
    for (const auto& series : browser.Figures().series) {
        if (!series.limits) continue;
        for (const Excursion& e : series.limits->excursions)
            EXPECT_FALSE(e.firstRow < 100 && e.lastRow > 100) << e.firstRow << " " << e.lastRow;
    }

    // A query of the second day: only the second recording, its settings alone, no gap.
    QueryRequest day;
    day.mode = QueryMode::DateRange;
    day.rangeStart = day.rangeEnd = LocalTime(2017, 3, 11, 12);
    browser.RunRequest(day);
    EXPECT_EQ(table.RowCount(), 37);
    EXPECT_EQ(table.SampleCount(), 37);
    spans = 0;
    for (int row = 0; row < browser.ParamList()->rowCount(); ++row)
        spans += browser.ParamList()->Text(row, 0) == QStringLiteral("记录时段");
    EXPECT_EQ(spans, 1);
    browser.RunRequest({});

    // Printed: the report lists it, headed by the instrument.
    const QString pdf = qEnvironmentVariableIsSet("QX_SCREENSHOT_DIR")
                            ? qEnvironmentVariable("QX_SCREENSHOT_DIR") + "/history_report.pdf"
                            : PathIn(QStringLiteral("history.pdf"));
    EXPECT_GE(browser.PrintToPdfFile(pdf, CPrintListTrend::kReportMode), 1);
    EXPECT_EQ(browser.PrintJob().documentName, QStringLiteral("QX420:A0815"));
    EXPECT_TRUE(browser.PrintJob().footerText.endsWith(QStringLiteral("  仪器:QX420:A0815")));

    // Exported as CSV: the gap stays an empty row.
    const QString csv = PathIn(QStringLiteral("history.csv"));
    prompter.fileAnswers.push_back(csv);
    prompter.filterAnswers.push_back(QStringLiteral("CSV 文件(*.csv)"));
    frame->RunCommand(cmd::kExport);
    std::ifstream in(csv.toStdString());
    const std::string text((std::istreambuf_iterator<char>(in)), {});
    EXPECT_NE(text.find("\r\n,,,,\r\n101,"), std::string::npos) << text.substr(0, 400);
}

// The library view and a history with its gap at the window's first size, in both languages;
// nothing cut in English.
class LibraryScreens : public Library, public ::testing::WithParamInterface<Language> {};

TEST_P(LibraryScreens, LibraryAndHistoryWithAGap) {
    std::optional<ScopedEnglish> english;
    if (GetParam() == Language::kEnglish) english.emplace();
    const QString lang =
        GetParam() == Language::kEnglish ? QStringLiteral("en") : QStringLiteral("zh");
    frame.reset();
    Make({1});
    view = frame->LibraryView();
    frame->resize(1000, 700);
    frame->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(frame.get()));
    AddRecords();
    ASSERT_TRUE(QFile::remove(second));
    view->Refresh();
    view->List()->setCurrentItem(view->List()->topLevelItem(0));
    QTest::qWait(20);
    SaveScreenshot(*frame, QStringLiteral("library_view_%1.png").arg(lang));
    if (english) {
        for (const std::string& cut : CutTexts(*frame))
            ADD_FAILURE() << "library: " << cut;
    }
    view->HistoryChosen();
    ASSERT_TRUE(frame->RecordBrowser()->ShowsHistory());
    frame->RecordBrowser()->Chart()->SelectPoint(100);
    QTableView* list = frame->RecordBrowser()->SampleList();
    list->scrollTo(list->model()->index(96, 0), QAbstractItemView::PositionAtTop);
    QTest::qWait(20);
    SaveScreenshot(*frame, QStringLiteral("history_gap_%1.png").arg(lang));
    if (english) {
        for (const std::string& cut : CutTexts(*frame))
            ADD_FAILURE() << "history: " << cut;
    }
}

INSTANTIATE_TEST_SUITE_P(, LibraryScreens,
                         ::testing::Values(Language::kChinese, Language::kEnglish),
                         [](const auto& info) {
                             return info.param == Language::kEnglish ? "English" : "Chinese";
                         });

}  // namespace
}  // namespace qx::test
