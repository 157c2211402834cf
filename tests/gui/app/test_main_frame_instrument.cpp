// The main window's instrument side: connecting, the enable rules, polling and the status icon,
// plug and unplug, and the instrument commands with their confirmations and messages.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QtTest/QTest>

#include "core/model/param_list_rows.h"
#include "frame_fixture.h"
#include "gui/browser/data_view.h"
#include "gui/common/app_pictures.h"
#include "gui/common/my_list_ctrl.h"
#include "gui/device/qx420_view.h"
#include "gui/device/select_dialog.h"
#include "gui/device/set_param_dlg.h"

using qx::CMyListCtrl;
using qx::CQX420View;
using qx::CSetParamDlg;

namespace qx::test {
namespace {

using Frame = FrameTest;

// Answers every confirmation with a function of the test (other prompts: OK, cancel).
class AnswerConfirm final : public Prompter {
  public:
    explicit AnswerConfirm(std::function<bool()> answer) : answer_(std::move(answer)) {
        SetPrompter(this);
    }
    ~AnswerConfirm() override { SetPrompter(nullptr); }
    void Message(QWidget*, PromptIcon, const QString&) override {}
    bool Confirm(QWidget*, const QString&, const QString&) override { return answer_(); }
    QString FileName(QWidget*, const FileDialogRequest&, QString*) override { return {}; }
    int Exec(QDialog&) override { return QDialog::Rejected; }

  private:
    std::function<bool()> answer_;
};

TEST_F(Frame, ConnectsToTheOnlyInstrumentAndReadsItsParameters) {
    Make({2});
    EXPECT_EQ(frame->ConnectionPaneText(), QStringLiteral("没发现设备"));
    ExpectActionsFollowRules(*frame, {false, false, false});
    frame->SwitchView(kHelpView);

    frame->RunCommand(cmd::kConnect);
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_EQ(prompter.messages[0].icon, PromptIcon::Information);
    EXPECT_EQ(prompter.messages[0].text, QStringLiteral("连接到设备."));
    EXPECT_TRUE(prompter.dialogTitles.empty());  // one instrument: no choice
    EXPECT_EQ(frame->State().type, 2);
    EXPECT_EQ(frame->CurrentView(), kDevicePanelView);  // connecting shows the device panel
    ExpectActionsFollowRules(*frame, {true, true, false});
    EXPECT_EQ(frame->ConnectionPaneText(), QStringLiteral("QX450Meter:连接<联机>"));

    // Both parameter lists show the instrument's blocks; the panel's buttons are enabled.
    CQX420View* panel = frame->DevicePanel();
    CMyListCtrl& set = panel->ParamList(ParamListKind::kSet);
    ASSERT_GT(set.rowCount(), 5);
    EXPECT_EQ(set.Text(0, 0), QStringLiteral("仪器地址"));
    EXPECT_EQ(set.Text(0, 1), QStringLiteral("1"));
    EXPECT_GT(panel->ParamList(ParamListKind::kRecorded).rowCount(), 5);
    EXPECT_TRUE(panel->Button(cmd::kReceiveData)->isEnabled());
}

TEST_F(Frame, TwoInstrumentsAskWhichOneAndProposeTheLast) {
    Make({2, 6});
    int proposed = -2;
    prompter.dialogHandlers.push_back([&](QDialog& dialog) {
        auto* choice = dynamic_cast<CSelectDialog*>(&dialog);
        EXPECT_NE(choice, nullptr);
        if (!choice) return int(QDialog::Rejected);
        proposed = choice->DeviceList()->currentIndex();
        EXPECT_EQ(choice->DeviceList()->itemText(0), QStringLiteral("QX450-USB Data Logger"));
        choice->DeviceList()->setCurrentIndex(0);
        choice->accept();
        return int(QDialog::Accepted);
    });
    frame->RunCommand(cmd::kConnect);
    EXPECT_EQ(proposed, 1);
    EXPECT_EQ(prompter.dialogTitles, std::vector<QString>{QStringLiteral("选择设备")});
    EXPECT_EQ(frame->State().type, 2);
    EXPECT_EQ(frame->Session().link.ChosenName(), "QX450-USB Data Logger");

    // Taking the proposal connects the last one; cancelling connects nothing and warns.
    frame->RunCommand(cmd::kDisconnect);
    frame->RunCommand(cmd::kConnect);
    EXPECT_EQ(frame->State().type, 6);
    frame->RunCommand(cmd::kDisconnect);
    prompter.messages.clear();
    prompter.dialogHandlers.push_back([](QDialog& dialog) {
        dialog.reject();
        return int(QDialog::Rejected);
    });
    frame->RunCommand(cmd::kConnect);
    EXPECT_FALSE(frame->Session().link.Connected());
    EXPECT_EQ(frame->State().type, 0);
    EXPECT_EQ(prompter.LastMessage(), QStringLiteral("没发现有效设备!"));
    EXPECT_EQ(prompter.messages.back().icon, PromptIcon::Warning);
}

TEST_F(Frame, EnableRulesFollowEveryStateChange) {
    Make({1});
    ExpectActionsFollowRules(*frame, {false, false, false});
    Connect();
    ExpectActionsFollowRules(*frame, {true, true, false});
    // A failed status read keeps the instrument chosen but disables setting parameters.
    bus->At(0).FailTransfer(1);
    frame->RunCommand(cmd::kRefreshQuery);
    ExpectActionsFollowRules(*frame, {true, false, false});
    frame->RunCommand(cmd::kSetParams);  // disabled: nothing happens
    EXPECT_TRUE(prompter.dialogTitles.empty());
    frame->RunCommand(cmd::kRefreshQuery);
    ExpectActionsFollowRules(*frame, {true, true, false});
    frame->RunCommand(cmd::kDisconnect);
    ExpectActionsFollowRules(*frame, {false, false, false});
    EXPECT_FALSE(frame->DevicePanel()->Button(cmd::kReceiveData)->isEnabled());
    EXPECT_EQ(frame->ConnectionPaneText(), QStringLiteral("没发现设备"));

    // View, bar and look commands are marked.
    EXPECT_TRUE(frame->Action(312)->isChecked());
    EXPECT_FALSE(frame->Action(313)->isChecked());
    EXPECT_TRUE(frame->Action(215)->isChecked());
    EXPECT_TRUE(frame->Action(cmd::kCaptionBar)->isChecked());
    frame->RunCommand(cmd::kCaptionBar);
    EXPECT_FALSE(frame->CaptionBarVisible());
    EXPECT_FALSE(frame->Action(cmd::kCaptionBar)->isChecked());
    frame->RunCommand(cmd::kCaptionBar);
    EXPECT_TRUE(frame->CaptionBarVisible());
    // The statistics panel of the record browser, without a record as well.
    EXPECT_FALSE(frame->Action(cmd::kStatistics)->isChecked());
    frame->RunCommand(cmd::kStatistics);
    EXPECT_TRUE(frame->RecordBrowser()->StatisticsShown());
    EXPECT_TRUE(frame->Action(cmd::kStatistics)->isChecked());
    frame->RunCommand(cmd::kStatistics);
    EXPECT_FALSE(frame->RecordBrowser()->StatisticsShown());
}

// The View menu marks 统计 as it marks the bars: the same check mark, on and off, in step with
// the toolbar button.
TEST_F(Frame, StatisticsEntryCarriesACheckMark) {
    Make({1});
    frame->show();
    QMenu* view = nullptr;  // the View menu, among the places that show the action
    for (QObject* o : frame->Action(cmd::kStatistics)->associatedObjects())
        if (!view) view = qobject_cast<QMenu*>(o);
    ASSERT_NE(view, nullptr);
    // The check column of an entry: the left end of its row, less the menu's frame above.
    const auto mark = [&](int id) {
        view->popup(QPoint(0, 0));
        QTest::qWait(20);
        const QRect row = view->actionGeometry(frame->Action(id));
        const QImage column = view->grab(row.adjusted(0, 1, 0, -1)).toImage().copy(0, 0, 20, 99);
        view->hide();
        return column;
    };
    frame->RunCommand(cmd::kStatistics);
    const QImage shown = mark(cmd::kStatistics);
    EXPECT_EQ(shown, mark(cmd::kToolBar));  // checked, as the shown tool bar
    frame->RunCommand(cmd::kStatistics);
    frame->RunCommand(cmd::kCaptionBar);
    const QImage hidden = mark(cmd::kStatistics);
    EXPECT_EQ(hidden, mark(cmd::kCaptionBar));  // unchecked, as the hidden caption bar
    EXPECT_NE(hidden, shown);
    EXPECT_FALSE(frame->Action(cmd::kStatistics)->icon().isNull());  // on the toolbar button
}

TEST_F(Frame, PollsAtTheChosenIntervalOnlyWhileAllowed) {
    Make({1});
    InstrumentSimulator& sim = bus->At(0);
    frame->OnStatusTimer();  // not connected: nothing
    EXPECT_TRUE(sim.ReadReportIds().empty());
    Connect();
    sim.ClearLog();
    auto polls = [&] {
        return std::count(sim.ReadReportIds().begin(), sim.ReadReportIds().end(), 5);
    };

    settings.readParamInterval = 3;
    frame->OnStatusTimer();  // the first tick polls at once
    EXPECT_EQ(polls(), 1);
    nowMs += 2999;
    frame->OnStatusTimer();
    EXPECT_EQ(polls(), 1);
    nowMs += 1;
    frame->OnStatusTimer();
    EXPECT_EQ(polls(), 2);

    // The panel's interval list changes the interval and polls at the next tick.
    frame->DevicePanel()->IntervalList()->setCurrentIndex(4);
    EXPECT_EQ(settings.readParamInterval, 5);
    frame->OnStatusTimer();
    EXPECT_EQ(polls(), 3);

    // Automatic reading off: no polls.
    frame->DevicePanel()->AutoReadBox()->click();
    EXPECT_FALSE(settings.enAutoReadParam);
    nowMs += 60000;
    frame->OnStatusTimer();
    EXPECT_EQ(polls(), 3);
    frame->DevicePanel()->AutoReadBox()->click();
    frame->OnStatusTimer();
    EXPECT_EQ(polls(), 4);
}

TEST_F(Frame, StatusIconBlinksWhileLiveAndStaysWhenAutomaticReadingIsOff) {
    Make({1});
    EXPECT_EQ(frame->StatusIcon(), -1);
    frame->OnBlinkTimer();
    EXPECT_EQ(frame->StatusIcon(), kStatusNotConnected);
    Connect();
    frame->OnBlinkTimer();
    EXPECT_EQ(frame->StatusIcon(), kStatusLive);
    nowMs += 501;
    frame->OnBlinkTimer();
    EXPECT_EQ(frame->StatusIcon(), kStatusConnected);
    nowMs += 301;
    frame->OnBlinkTimer();
    EXPECT_EQ(frame->StatusIcon(), kStatusLive);

    frame->DevicePanel()->AutoReadBox()->click();  // off: the icon stays as it was
    frame->RunCommand(cmd::kDisconnect);
    nowMs += 600;
    frame->OnBlinkTimer();
    EXPECT_EQ(frame->StatusIcon(), kStatusLive);
    frame->DevicePanel()->AutoReadBox()->click();  // on again: refreshed at once
    EXPECT_EQ(frame->StatusIcon(), kStatusNotConnected);
}

TEST_F(Frame, UnplugClosesAndReplugOfTheSamePathReconnects) {
    Make({1});
    Connect();
    frame->RunCommand(cmd::kRefreshQuery);  // the first exchange opens the device
    ASSERT_TRUE(frame->Session().link.Opened());
    const std::string path = frame->Session().link.DevicePath();
    ASSERT_EQ(path, "/dev/hidraw0");

    // Some other HID device: nothing changes.
    frame->OnDeviceChange(DeviceEvent::kRemoval, "/dev/hidraw7");
    EXPECT_TRUE(frame->Session().link.Opened());

    bus->At(0).Unplug();
    frame->OnDeviceChange(DeviceEvent::kRemoval, path);
    EXPECT_FALSE(frame->Session().link.Opened());
    EXPECT_TRUE(frame->Session().link.Connected());
    EXPECT_TRUE(frame->Action(cmd::kDisconnect)->isEnabled());
    EXPECT_TRUE(prompter.messages.empty());

    bus->At(0).Replug();
    frame->OnDeviceChange(DeviceEvent::kArrival, "/DEV/HIDRAW0");  // letter case aside
    ASSERT_FALSE(prompter.messages.empty());
    EXPECT_EQ(prompter.LastMessage(), QStringLiteral("连接到设备."));
    EXPECT_TRUE(frame->Session().link.Connected());
    EXPECT_TRUE(frame->State().statusOk);
}

TEST_F(Frame, NoticesWaitUntilTheRunningCommandHasEnded) {
    Make({1});
    Connect();
    frame->RunCommand(cmd::kRefreshQuery);
    ASSERT_TRUE(frame->Session().link.Opened());
    const std::string path = frame->Session().link.DevicePath();
    // The instrument records, so stopping asks first; the unplug notice arrives meanwhile.
    bool openAfterNotice = false;
    {
        AnswerConfirm asking([&] {
            bus->At(0).Unplug();
            frame->OnDeviceChange(DeviceEvent::kRemoval, path);
            openAfterNotice = frame->Session().link.Opened();
            return false;
        });
        frame->RunCommand(cmd::kStopRecord);
    }
    SetPrompter(&prompter);
    EXPECT_TRUE(openAfterNotice);  // the command was still running
    EXPECT_TRUE(frame->Session().link.Opened());
    RunPosted();  // handled once it has ended
    EXPECT_FALSE(frame->Session().link.Opened());
    EXPECT_TRUE(frame->Session().link.Connected());
}

TEST_F(Frame, CalibrateClockWarnsWhileRecordingAndSetsItOtherwise) {
    Make({1});
    Connect();
    InstrumentSimulator& sim = bus->At(0);
    ASSERT_TRUE(sim.Recording());
    frame->RunCommand(cmd::kCalibrateClock);
    EXPECT_EQ(prompter.LastMessage(), QStringLiteral("仪器正在做采样记录工作,不能更新时钟!"));
    EXPECT_EQ(prompter.messages.back().icon, PromptIcon::Warning);
    EXPECT_EQ(sim.ClockError(), 97);

    RecordingPlan finished;
    finished.samples = 30;
    finished.running = false;
    sim.StartRecording(finished);
    frame->RunCommand(cmd::kCalibrateClock);
    EXPECT_EQ(prompter.LastMessage(), QStringLiteral("校正仪器时钟OK."));
    EXPECT_EQ(prompter.messages.back().icon, PromptIcon::Information);
    EXPECT_LE(std::abs(sim.ClockError()), 1);

    sim.FailTransfer(2);  // the status read passes, the clock report fails
    frame->RunCommand(cmd::kCalibrateClock);
    EXPECT_EQ(prompter.LastMessage(), QStringLiteral("通讯出错，不能校正仪器时钟!"));
}

TEST_F(Frame, StopRecordingAsksAndStopsOrWarnsThatNothingRuns) {
    Make({1});
    Connect();
    InstrumentSimulator& sim = bus->At(0);
    prompter.confirmAnswers = {false};
    frame->RunCommand(cmd::kStopRecord);
    EXPECT_EQ(prompter.LastMessage(), QStringLiteral("要停止记录数据吗?"));
    EXPECT_TRUE(sim.Recording());

    frame->RunCommand(cmd::kStopRecord);  // OK this time
    EXPECT_FALSE(sim.Recording());
    EXPECT_TRUE(frame->State().pollAllowed);

    prompter.messages.clear();
    frame->RunCommand(cmd::kStopRecord);
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_EQ(prompter.LastMessage(), QStringLiteral("没有进行记录数据,不需要停止!"));

    // The panel's button sends the same command.
    prompter.messages.clear();
    frame->DevicePanel()->Button(cmd::kStopRecord)->click();
    EXPECT_EQ(prompter.LastMessage(), QStringLiteral("没有进行记录数据,不需要停止!"));
}

TEST_F(Frame, SetParametersRunsTheEditorThroughThePromptSeamAndWritesTheBlock) {
    Make({2});
    Connect();
    InstrumentSimulator& sim = bus->At(0);
    int16_t bias = 0;
    prompter.dialogHandlers.push_back([&](QDialog& dialog) {
        auto* editor = dynamic_cast<CSetParamDlg*>(&dialog);
        EXPECT_NE(editor, nullptr);
        if (!editor) return int(QDialog::Rejected);
        EXPECT_EQ(editor->block.Name(), sim.SetParams().Name());  // a copy of SetParams
        editor->block.SetName(u"机房A");
        editor->block.SetU8(param::kStartMode, 0);
        bias = frame->State().timeZoneBias;
        return int(QDialog::Accepted);
    });
    frame->RunCommand(cmd::kSetParams);
    EXPECT_EQ(bias, -480);
    EXPECT_EQ(sim.SetParams().Name(), u"机房A");
    EXPECT_EQ(frame->State().setParams.Name(), u"机房A");
    EXPECT_EQ(prompter.LastMessage(),
              QStringLiteral("如要开始记录数据，请按测试仪上的按钮一次，将进行数据测量."));
    CMyListCtrl& list = frame->DevicePanel()->ParamList(ParamListKind::kSet);
    EXPECT_EQ(list.Text(2, 1), QStringLiteral("机房A"));

    // Cancelled: nothing is written.
    prompter.messages.clear();
    prompter.dialogHandlers.push_back([](QDialog&) { return int(QDialog::Rejected); });
    sim.ClearLog();
    frame->RunCommand(cmd::kSetParams);
    EXPECT_TRUE(prompter.messages.empty());
    EXPECT_TRUE(sim.WrittenReports().empty());
    EXPECT_TRUE(frame->State().pollAllowed);
}

// The texts of a parameter list, against those of a block.
std::vector<std::string> Shown(CMyListCtrl& list) {
    std::vector<std::string> texts;
    for (int row = 0; row < list.rowCount(); ++row)
        texts.push_back(list.Text(row, 1).toStdString());
    return texts;
}
std::vector<std::string> TextsOf(const ParamBlock& block, InstrumentTypeId type) {
    const ParamTexts texts = MakeParamTexts(block, type);
    std::vector<std::string> shown;
    for (const ParamListRow& row : ParamListRows(type, &texts))
        shown.push_back(row.text);
    return shown;
}

// After a stop and after new settings, both tables show the instrument as it is then (the
// count the recording stopped at; the new recording's start and its first sample), not what
// the last 读入参数 saw.
TEST_F(Frame, SettingsTablesFollowEveryStopAndWrite) {
    int64_t now = 0x58C2A500;
    utcClock = [&now] { return now; };
    Make({1});
    Connect();
    InstrumentSimulator& sim = bus->At(0);
    CMyListCtrl& set = frame->DevicePanel()->ParamList(ParamListKind::kSet);
    CMyListCtrl& recorded = frame->DevicePanel()->ParamList(ParamListKind::kRecorded);
    const std::vector<std::string> before = Shown(recorded);
    now += 3600;  // twelve samples more
    frame->RunCommand(cmd::kStopRecord);
    ASSERT_FALSE(sim.Recording());
    EXPECT_EQ(Shown(recorded), TextsOf(sim.RecordedParams(), 1));
    EXPECT_NE(Shown(recorded), before);

    now += 600;
    frame->RunCommand(cmd::kSetParams);  // the editor's OK with the settings as they are
    ASSERT_TRUE(sim.Recording());
    EXPECT_EQ(sim.RecordedParams().StoredCount(), 1);
    EXPECT_EQ(Shown(recorded), TextsOf(sim.RecordedParams(), 1));
    EXPECT_EQ(Shown(set), TextsOf(sim.SetParams(), 1));
}

// OK asks before the stored samples are cleared while the editor is still open: Cancel returns
// to it with every edit kept and nothing written; OK again writes.
TEST_F(Frame, SetParametersAsksWhileTheEditorIsOpen) {
    Make({11});
    Connect();
    InstrumentSimulator& sim = bus->At(0);
    sim.ClearLog();
    prompter.messages.clear();
    prompter.confirmAnswers = {false, true};
    bool keptOpen = false;
    prompter.dialogHandlers.push_back([&](QDialog& d) {
        auto& dialog = static_cast<CSetParamDlg&>(d);
        dialog.Initialise();
        auto* gas = dialog.findChild<QLineEdit*>("gasLimit");
        auto* name = dialog.findChild<QLineEdit*>("name");
        gas->setText(QStringLiteral("0.5"));
        name->setText(QStringLiteral("会议室B"));
        QPushButton* ok = dialog.findChild<QPushButton*>("ok");
        ok->click();
        keptOpen = dialog.result() == QDialog::Rejected && !dialog.Committed() &&
                   gas->text() == QStringLiteral("0.5") &&
                   name->text() == QStringLiteral("会议室B") && sim.WrittenReports().empty();
        ok->click();
        return dialog.result();
    });
    frame->RunCommand(cmd::kSetParams);
    EXPECT_TRUE(keptOpen);
    ASSERT_EQ(prompter.messages.size(), 3u);
    EXPECT_EQ(prompter.messages[0].icon, PromptIcon::Question);
    EXPECT_TRUE(prompter.messages[1].text.startsWith(QStringLiteral("仪器中有")));
    EXPECT_EQ(sim.SetParams().U16(param::kGasLimit), 50);
    EXPECT_EQ(sim.SetParams().Name(), u"会议室B");
}

// A setting the instrument holds otherwise than written is reported by name, the editor stays
// open, and the set-parameter list shows what the instrument holds.
TEST_F(Frame, SetParametersReportsASettingHeldOtherwise) {
    Make({11});
    Connect();
    bus->At(0).MisstoreNextWrite(param::kGasLimit);
    prompter.messages.clear();
    bool stayedOpen = false;
    prompter.dialogHandlers.push_back([&](QDialog& d) {
        auto& dialog = static_cast<CSetParamDlg&>(d);
        dialog.Initialise();
        dialog.findChild<QLineEdit*>("gasLimit")->setText(QStringLiteral("0.5"));
        dialog.findChild<QPushButton*>("ok")->click();
        stayedOpen = dialog.result() == QDialog::Rejected;
        dialog.findChild<QPushButton*>("cancel")->click();
        return dialog.result();
    });
    frame->RunCommand(cmd::kSetParams);
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(prompter.messages.back().icon, PromptIcon::Warning);
    EXPECT_EQ(prompter.LastMessage(),
              QStringLiteral("参数写入后读回检查不一致: 甲醛报警值 应为 0.5, 仪器中为 0.51!"));
    EXPECT_EQ(frame->State().setParams.U16(param::kGasLimit), 51);
}

TEST_F(Frame, ReadParametersOfANewInstrumentWarns) {
    Make({1});
    bus->At(0).ClearRecording();
    bus->At(0).SetHasSetParams(false);
    frame->RunCommand(cmd::kConnect);
    EXPECT_EQ(prompter.messages.front().text,
              QStringLiteral("仪器没有参数信息,可能是一台新用的设备!"));
    EXPECT_EQ(prompter.LastMessage(), QStringLiteral("连接到设备."));
}

TEST_F(Frame, FailedConnectLeavesTypeZero) {
    Make({});
    frame->RunCommand(cmd::kConnect);
    EXPECT_EQ(prompter.LastMessage(), QStringLiteral("没发现有效设备!"));
    EXPECT_EQ(frame->State().type, 0);
    EXPECT_EQ(frame->ConnectionPaneText(), QStringLiteral("没发现设备"));
}

}  // namespace
}  // namespace qx::test
