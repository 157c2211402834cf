// The pictures of the user guide (guide_*.png of the English window, guide_zh_*.png of the
// Chinese one, under $QX_SCREENSHOT_DIR, copied to docs/screenshots by "./dev screenshots"):
// what a new user does, step by step, in both languages, on simulated
// instruments with the clocks fixed, so that the pictures come out the same on every run. Each
// step also checks what the user would see go wrong in its picture.
#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QToolButton>
#include <QtTest/QTest>
#include <algorithm>
#include <climits>
#include <optional>

#include "core/records/trend_ranges.h"
#include "frame_fixture.h"
#include "gui/app/dlg_wait_info.h"
#include "gui/app/help_view.h"
#include "gui/browser/channel_legend.h"
#include "gui/browser/data_view.h"
#include "gui/browser/query_panel.h"
#include "gui/chart/trend_wave.h"
#include "gui/common/my_list_ctrl.h"
#include "gui/common/screenshot_util.h"
#include "gui/common/text_fit.h"
#include "gui/device/qx420_view.h"
#include "gui/device/set_param_dlg.h"
#include "gui/print/sel_print_dlg.h"

using qx::CMyListCtrl;
using qx::CQX420View;
using qx::CSetParamDlg;

namespace qx::test {
namespace {

// 2024-05-20 15:00 in the tests' zone (UTC+8), a Monday afternoon.
constexpr int64_t kNow = 1716188400;
constexpr QSize kWindowSize(1100, 720);
constexpr QSize kPreviewSize(900, 680);

// A recording of ten days at 5-minute intervals, still running.
constexpr int kRecordedDays = 10;
constexpr int kSamplesPerDay = 24 * 12;
constexpr int kRecordedSamples = kRecordedDays * kSamplesPerDay;

// How one series' curve shows in a picture of the window: its pixels inside the chart's plot
// and the rows they reach.
struct CurveTrace {
    int pixels = 0;
    int top = INT_MAX;
    int bottom = INT_MIN;
    int Rows() const { return pixels ? bottom - top + 1 : 0; }
};

CurveTrace TraceOf(const QImage& shot, const QWidget& window, const CTrendWave& chart, int series) {
    const TrendState& state = chart.State();
    const QRgb colour = state.series[static_cast<size_t>(series)].colour & 0xFFFFFF;
    const QPoint origin = chart.mapTo(&window, QPoint(0, 0));
    CurveTrace trace;
    for (int y = state.plot.top; y < state.plot.bottom; ++y) {
        for (int x = state.plot.left; x < state.plot.right; ++x) {
            if ((shot.pixel(origin + QPoint(x, y)) & 0xFFFFFF) != colour) continue;
            ++trace.pixels;
            trace.top = std::min(trace.top, y);
            trace.bottom = std::max(trace.bottom, y);
        }
    }
    return trace;
}

// The text beside a label in a parameter list.
QString RowText(const CMyListCtrl& list, const QString& label) {
    for (int row = 0; row < list.rowCount(); ++row) {
        if (list.Text(row, 0) == label) return list.Text(row, 1);
    }
    return QStringLiteral("(no row %1)").arg(label);
}

class UserGuide : public FrameTest, public ::testing::WithParamInterface<Language> {
  protected:
    void SetUp() override {
        if (!English()) return;
        english_.emplace();
        ASSERT_TRUE(english_->Loaded());
    }
    void TearDown() override {
        FrameTest::TearDown();
        english_.reset();
    }
    bool English() const { return GetParam() == Language::kEnglish; }
    // The text of the language the window speaks.
    QString InLanguage(const QString& zh, const QString& en) const { return English() ? en : zh; }
    // guide_NAME.png in English, guide_zh_NAME.png in Chinese.
    QString PictureName(const QString& name) const {
        return English()
                   ? name
                   : QString(name).replace(QStringLiteral("guide_"), QStringLiteral("guide_zh_"));
    }
    std::optional<ScopedEnglish> english_;

    // The main window at the guide's size on one simulated instrument of a model, whose
    // recording of kRecordedDays is still running.
    void Start(InstrumentTypeId model) {
        utcClock = [] { return kNow; };
        Make({model});
        sim = &bus->At(0);
        sim->SetClockError(0);  // samples on the full five minutes
        RecordingPlan plan;
        plan.samples = kRecordedSamples;
        sim->StartRecording(plan);
        frame->resize(kWindowSize);
        frame->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(frame.get()));
    }

    // Connects and lets the status icon and the live display settle.
    void ConnectAndSettle() {
        Connect();
        frame->OnStatusTimer();
        frame->OnBlinkTimer();
        Settle();
    }

    // Receives the instrument's recording into the record browser; onPause sees the popup.
    void Download(const QString& fileName) {
        frame->RunCommand(cmd::kReceiveData);
        ASSERT_TRUE(frame->DownloadTimerActive());
        prompter.fileAnswers.push_back(PathIn(fileName));
        frame->OnDownloadTimer();
        RunPosted();
        ASSERT_TRUE(frame->RecordLoaded());
        ASSERT_EQ(frame->CurrentView(), kRecordView);
        Settle();
    }

    // Ticks the browser's boxes of the first n series.
    void TickSeries(int n) {
        for (int k = 0; k < n; ++k) {
            QCheckBox* box = frame->RecordBrowser()->Legend()->Box(k);
            if (!box->isChecked()) box->click();
        }
        Settle();
    }

    static void Settle() { QTest::qWait(30); }

    // The picture of the whole window, saved and handed back for checks.
    QImage Shot(const QString& name) {
        const QImage image = frame->grab().toImage();
        SaveScreenshot(image, PictureName(name));
        return image;
    }

    // The first n series of the record's type draw unbroken curves across the plot that rise
    // and fall with the days: each reaches over at least a 25th of the height it is drawn in
    // (a steady reading makes a line two or three pixels high).
    void ExpectMovingCurves(const QImage& shot, int n) {
        const CTrendWave& chart = *frame->RecordBrowser()->Chart();
        const TrendState& state = chart.State();
        const std::span<const int> list = SeriesList(frame->RecordBrowser()->Table().Units().type);
        for (int k = 0; k < n && k < static_cast<int>(list.size()); ++k) {
            const int s = list[static_cast<size_t>(k)];
            const CurveTrace trace = TraceOf(shot, *frame, chart, s);
            const TrendRect& band = state.series[static_cast<size_t>(s)].band;
            const int height = band.Height() > 0 ? band.Height() : state.plot.Height();
            EXPECT_GE(trace.pixels, state.plot.Width()) << "series " << s;
            EXPECT_GE(trace.Rows(), height / 25) << "series " << s;
            EXPECT_GE(trace.Rows(), 5) << "series " << s;
        }
    }

    InstrumentSimulator* sim = nullptr;
};

TEST_P(UserGuide, ConnectedInstrumentAndItsSettings) {
    Start(2);
    ConnectAndSettle();
    EXPECT_EQ(frame->CurrentView(), kDevicePanelView);
    EXPECT_TRUE(frame->ConnectionPaneText().contains(QStringLiteral("QX450")))
        << frame->ConnectionPaneText().toStdString();
    EXPECT_TRUE(frame->State().liveValid);
    CQX420View& panel = *frame->DevicePanel();
    EXPECT_EQ(RowText(panel.ParamList(ParamListKind::kSet),
                      InLanguage(QStringLiteral("采样间隔"), QStringLiteral("Recording interval"))),
              QStringLiteral("5 min"));
    EXPECT_EQ(RowText(panel.ParamList(ParamListKind::kRecorded),
                      InLanguage(QStringLiteral("实际记录数"), QStringLiteral("Samples recorded"))),
              QString::number(kRecordedSamples));
    Shot(QStringLiteral("guide_device_panel.png"));

    // The settings dialog opens on the instrument's settings; closing it writes nothing.
    bool shown = false;
    prompter.dialogHandlers.push_back([&](QDialog& dialog) {
        auto* edit = dynamic_cast<CSetParamDlg*>(&dialog);
        shown = edit != nullptr;
        if (!edit) return int(QDialog::Rejected);
        EXPECT_EQ(edit->block.bytes, sim->SetParams().bytes);
        edit->show();
        Settle();
        auto* clock = edit->findChild<QLineEdit*>(QStringLiteral("clock"));
        EXPECT_TRUE(clock && clock->text() == QStringLiteral("2024-05-20 15:00:00"));
        SaveScreenshot(*edit, PictureName(QStringLiteral("guide_set_params.png")));
        edit->reject();
        return int(QDialog::Rejected);
    });
    sim->ClearLog();
    frame->RunCommand(cmd::kSetParams);
    EXPECT_TRUE(shown);
    for (const auto& report : sim->WrittenReports())
        EXPECT_NE(report.at(0), 1) << "a parameter page was written";
}

TEST_P(UserGuide, DownloadedDaysInTheBrowserQueryAndPrintPreview) {
    Start(2);
    ConnectAndSettle();

    // Half way through, the popup over the disabled window.
    bool grabbed = false;
    onPause = [&](int) {
        CDlgWaitInfo& popup = frame->WaitPopup();
        if (popup.Line(1) != QStringLiteral("50%(1440/2880)")) return;
        grabbed = true;
        EXPECT_FALSE(frame->isEnabled());
        EXPECT_TRUE(popup.isVisible());
        QImage shot = frame->grab().toImage();
        QPainter painter(&shot);
        painter.drawPixmap(popup.pos() - frame->mapToGlobal(QPoint(0, 0)), popup.grab());
        painter.end();
        SaveScreenshot(shot, PictureName(QStringLiteral("guide_download.png")));
    };
    Download(QStringLiteral("office.QXRec"));
    onPause = nullptr;
    EXPECT_TRUE(grabbed);

    // Every sample arrived, and the three curves follow the days and nights.
    CDataView& view = *frame->RecordBrowser();
    const int total = kRecordedSamples;
    EXPECT_EQ(view.TotalCount(), total);
    EXPECT_EQ(view.MatchedCount(), total);
    EXPECT_EQ(view.SampleList()->model()->rowCount(), total);
    TickSeries(3);
    EXPECT_TRUE(frame->CaptionText().contains(
        InLanguage(QStringLiteral("总记录数:%1"), QStringLiteral("Total samples: %1")).arg(total)));
    ExpectMovingCurves(Shot(QStringLiteral("guide_record_browser.png")), 3);

    // The last three days: the samples the instrument took since this time three days ago.
    QueryPanel& query = view.Query();
    query.SetMode(QueryMode::LastDays);
    query.DayEdit()->SetValue(3);
    query.QueryButton()->click();
    view.TimeZoomList()->setCurrentIndex(kTimeZoomNeutral - 1);  // all three days at once
    Settle();
    int recent = 0;
    for (const TrueSample& s : sim->TrueSamples())
        recent += s.time >= kNow - 3 * 86400 && s.time <= kNow ? 1 : 0;
    EXPECT_EQ(view.MatchedCount(), recent);
    EXPECT_EQ(view.SampleList()->model()->rowCount(), recent);
    EXPECT_TRUE(frame->CaptionText().contains(
        InLanguage(QStringLiteral("向前3天"), QStringLiteral("last 3 days"))));
    EXPECT_TRUE(frame->CaptionText().contains(
        InLanguage(QStringLiteral("记录数:%1"), QStringLiteral("%1 selected")).arg(recent)));
    ExpectMovingCurves(Shot(QStringLiteral("guide_query_last_days.png")), 3);

    // The preview of the chart page.
    int pages = 0;
    prompter.dialogHandlers.push_back([](QDialog& dialog) {
        auto& select = dynamic_cast<CSelPrintDlg&>(dialog);
        select.CurveButton()->click();
        select.OkButton()->click();
        return select.result();
    });
    prompter.dialogHandlers.push_back([&](QDialog& dialog) {
        auto* preview = dynamic_cast<QPrintPreviewDialog*>(&dialog);
        if (!preview) return int(QDialog::Rejected);
        auto* widget = preview->findChild<QPrintPreviewWidget*>();
        if (!widget) return int(QDialog::Rejected);
        preview->resize(kPreviewSize);
        preview->show();
        widget->updatePreview();
        widget->fitInView();
        Settle();
        pages = widget->pageCount();
        SaveScreenshot(*preview, PictureName(QStringLiteral("guide_print_preview.png")));
        preview->reject();
        return int(QDialog::Rejected);
    });
    frame->RunCommand(cmd::kPrintPreview);
    EXPECT_EQ(prompter.dialogTitles.size(), 2u);
    EXPECT_EQ(pages, 1);  // the chart fits one page
    EXPECT_EQ(view.PrintChoice(), CSelPrintDlg::kCurve);
}

TEST_P(UserGuide, GasLoggerChartAlone) {
    Start(8);
    ConnectAndSettle();
    Download(QStringLiteral("meeting-room.QXRec"));
    CDataView& view = *frame->RecordBrowser();
    EXPECT_EQ(view.TotalCount(), kRecordedSamples);
    // The chart alone, over the whole view.
    if (view.ShowListsBox()->isChecked()) view.ShowListsBox()->click();
    TickSeries(4);
    EXPECT_FALSE(view.SampleList()->isVisible());
    EXPECT_GE(view.Chart()->width(), view.width() * 2 / 3);
    // Temperature, humidity, dew point and CO2, each moving with the days.
    ExpectMovingCurves(Shot(QStringLiteral("guide_record_browser_co2.png")), 4);
}

TEST_P(UserGuide, HelpDocument) {
    Start(2);
    ConnectAndSettle();
    frame->NavigationButton(kHelpView)->click();
    Settle();
    EXPECT_EQ(frame->CurrentView(), kHelpView);
    EXPECT_TRUE(frame->HelpView()->ShowsDocument()) << frame->HelpView()->LastError().toStdString();
    EXPECT_FALSE(frame->HelpView()->toPlainText().isEmpty());
    Shot(QStringLiteral("guide_help.png"));
}

INSTANTIATE_TEST_SUITE_P(, UserGuide, ::testing::Values(Language::kEnglish, Language::kChinese),
                         [](const auto& info) {
                             return info.param == Language::kEnglish ? "English" : "Chinese";
                         });

}  // namespace
}  // namespace qx::test
