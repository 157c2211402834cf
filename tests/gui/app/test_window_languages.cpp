// Every view and dialog of the program in both languages, as a user walks through them on
// simulated instruments: in English no label, button, choice, tab or column title may be cut
// (its size hint fits the room it has); both languages leave screenshots (lang_zh_*.png,
// lang_en_*.png) to compare.
#include <QDialog>
#include <QFile>
#include <QMessageBox>
#include <QRegularExpression>
#include <QToolButton>
#include <QtTest/QTest>
#include <memory>
#include <optional>

#include "frame_fixture.h"
#include "gui/app/dlg_wait_info.h"
#include "gui/app/help_view.h"
#include "gui/browser/data_view.h"
#include "gui/common/screenshot_util.h"
#include "gui/common/text_fit.h"
#include "gui/device/qx420_view.h"

namespace qx::test {
namespace {

constexpr int64_t kNow = 1716188400;     // 2024-05-20 15:00 in the tests' zone
constexpr QSize kWindowSize(1000, 700);  // the window's size on a first start

class WindowLanguages : public FrameTest, public ::testing::WithParamInterface<Language> {
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

    // Saves the picture and, in English, expects every text to fit.
    void Look(QWidget& widget, const char* name) {
        QTest::qWait(20);
        SaveScreenshot(widget, QStringLiteral("lang_%1_%2.png")
                                   .arg(English() ? QStringLiteral("en") : QStringLiteral("zh"),
                                        QLatin1String(name)));
        if (!English()) return;
        for (const std::string& cut : CutTexts(widget))
            ADD_FAILURE() << name << ": " << cut;
        // Long texts (the caption's query line) never hold the window wider than on a first
        // start.
        if (&widget == frame.get()) {
            EXPECT_LE(frame->minimumSizeHint().width(), kWindowSize.width()) << name;
        }
    }

    // A dialog the next command shows, looked at and closed.
    void LookAtNextDialog(const char* name, int answer = QDialog::Rejected) {
        prompter.dialogHandlers.push_back([this, name, answer](QDialog& dialog) {
            dialog.show();
            Look(dialog, name);
            if (answer == QDialog::Accepted)
                dialog.accept();  // the dialog's own accept() takes the choice
            else
                dialog.reject();
            return dialog.result();
        });
    }

    // The warning the window just gave, in a message box as the program shows it; in English
    // no Chinese may be left in it (the reason below the message included).
    void LookAtWarning(const char* name) {
        const QString text = prompter.LastMessage();
        EXPECT_EQ(text.count(u'\n'), 2) << name << ": " << text.toStdString();
        if (English()) {
            EXPECT_FALSE(text.contains(QRegularExpression(QStringLiteral("[\\x{3000}-\\x{9fff}]"))))
                << text.toStdString();
        }
        QMessageBox box(QMessageBox::Warning, ApplicationTitle(), text, QMessageBox::Ok,
                        frame.get());
        box.show();
        Look(box, name);
    }

    std::optional<ScopedEnglish> english_;
};

TEST_P(WindowLanguages, EveryViewAndDialog) {
    utcClock = [] { return kNow; };
    Make({8, 2});  // a CO2 logger and, proposed by the device choice, a temperature/humidity one
    for (int i = 0; i < 2; ++i) {
        RecordingPlan plan;
        plan.samples = 600;
        bus->At(i).StartRecording(plan);
    }
    frame->resize(kWindowSize);
    frame->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(frame.get()));
    Look(*frame, "start");

    LookAtNextDialog("select_device", QDialog::Accepted);
    Connect();
    frame->OnStatusTimer();
    Look(*frame, "device_panel");

    LookAtNextDialog("set_params");
    frame->RunCommand(cmd::kSetParams);

    prompter.fileAnswers.push_back(PathIn(QStringLiteral("room.QXRec")));
    bool popupSeen = false;
    onPause = [&](int) {
        if (popupSeen) return;
        popupSeen = true;
        Look(frame->WaitPopup(), "download_popup");
    };
    frame->RunCommand(cmd::kReceiveData);
    frame->OnDownloadTimer();
    RunPosted();
    onPause = nullptr;
    ASSERT_TRUE(frame->RecordLoaded());
    CDataView& browser = *frame->RecordBrowser();
    Look(*frame, "record_browser");
    browser.ShowStatistics(true);
    Look(*frame, "record_statistics");

    prompter.fileAnswers.push_back(PathIn(QStringLiteral("no-such-folder/room.xlsx")));
    frame->RunCommand(cmd::kExport);
    LookAtWarning("export_failed");
    const QString cut = PathIn(QStringLiteral("cut.QXRec"));
    ASSERT_TRUE(QFile::copy(PathIn(QStringLiteral("room.QXRec")), cut));
    ASSERT_TRUE(QFile::resize(cut, 96 + 250 * 3 + 1));
    ASSERT_TRUE(frame->OpenRecord(cut));
    LookAtWarning("record_incomplete");

    LookAtNextDialog("print_choice", QDialog::Accepted);
    prompter.dialogHandlers.push_back([this](QDialog& dialog) {
        dialog.resize(900, 680);
        dialog.show();
        Look(dialog, "print_preview");
        dialog.reject();
        return int(QDialog::Rejected);
    });
    frame->RunCommand(cmd::kPrintPreview);

    LookAtNextDialog("about");
    frame->RunCommand(cmd::kAbout);

    frame->NavigationButton(kHelpView)->click();
    Look(*frame, "help");
    EXPECT_TRUE(frame->HelpView()->ShowsDocument());
}

// The device panel of every model at the first start's size: the live panel, the buttons and
// the settings lists of each.
TEST_P(WindowLanguages, DevicePanelOfEveryModel) {
    utcClock = [] { return kNow; };
    for (InstrumentTypeId type = 1; type <= kModelCount; ++type) {
        Make({type});
        RecordingPlan plan;
        plan.samples = 100;
        bus->At(0).StartRecording(plan);
        frame->resize(kWindowSize);
        frame->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(frame.get()));
        Connect();
        frame->OnStatusTimer();
        Look(*frame, ("device_panel_" + ModelName(type)).c_str());
        FrameTest::TearDown();
    }
}

INSTANTIATE_TEST_SUITE_P(, WindowLanguages,
                         ::testing::Values(Language::kChinese, Language::kEnglish),
                         [](const auto& info) {
                             return info.param == Language::kEnglish ? "English" : "Chinese";
                         });

}  // namespace
}  // namespace qx::test
