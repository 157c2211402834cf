// Start-up and exit of the program: options, settings with their defaults and rules, the
// record file of the command line, and the simulated instruments of --simulate.
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFileInfo>
#include <QtTest/QTest>
#include <set>

#include "core/link/instrument_messages.h"
#include "core/link/simulated_hid_library.h"
#include "core/records/record_file.h"
#include "gui/app/dlg_wait_info.h"
#include "gui/app/qx420_app.h"
#include "gui/browser/data_view.h"
#include "gui/common/app_pictures.h"
#include "gui/common/scripted_prompter.h"
#include "gui/common/text_fit.h"
#include "gui/device/set_param_dlg.h"

using qx::CSetParamDlg;

namespace qx::test {
namespace {

QSettings& Store() {
    static QSettings store(QLatin1String(AppSettings::kOrganisation),
                           QLatin1String(AppSettings::kApplication));
    return store;
}

class App : public ::testing::Test {
  protected:
    void SetUp() override {
        Store().clear();
        Store().sync();
    }
    void TearDown() override {
        Store().clear();
        Store().sync();
    }

    // Starts the program on simulated instruments of these models; realTime keeps the
    // download's pauses (the timers always run in real time).
    bool Start(const StartOptions& options, std::vector<InstrumentTypeId> models = {},
               bool realTime = false) {
        app = std::make_unique<CQX420App>([] { return std::unique_ptr<HidLibrary>(); });
        CMainFrame::Environment env;
        env.hid = MakeSimulatedInstruments(models);
        env.sleep = [](int) {};
        if (!realTime) env.pause = [](int) {};
        env.watchDevices = false;
        return app->InitInstance(options, std::move(env));
    }

    ScriptedPrompter prompter;
    std::unique_ptr<CQX420App> app;
};

TEST(StartOptions, SimulatedModelsAndARecordFile) {
    StartOptions options;
    QString error;
    ASSERT_TRUE(ParseStartOptions(
        {QStringLiteral("--simulate"), QStringLiteral("QX450,QX7200"), QStringLiteral("a.QXRec")},
        options, error));
    EXPECT_EQ(options.simulate, (std::vector<InstrumentTypeId>{2, 6}));
    EXPECT_EQ(options.recordFile, QStringLiteral("a.QXRec"));

    StartOptions bad;
    EXPECT_FALSE(
        ParseStartOptions({QStringLiteral("--simulate"), QStringLiteral("QX999")}, bad, error));
    EXPECT_TRUE(error.contains(QStringLiteral("QX999")));
    EXPECT_FALSE(ParseStartOptions({QStringLiteral("--simulate")}, bad, error));
    EXPECT_FALSE(ParseStartOptions({QStringLiteral("--verbose")}, bad, error));
    EXPECT_FALSE(ParseStartOptions({QStringLiteral("a"), QStringLiteral("b")}, bad, error));
}

// The usage and the messages follow the language installed: Chinese as written (no line
// wider than 80 columns), English through the translation; --lang is found before parsing.
TEST(StartOptions, UsageAndMessagesInTheLanguageOfTheRun) {
    EXPECT_EQ(
        StartLanguage({QStringLiteral("--bogus"), QStringLiteral("--lang"), QStringLiteral("en")}),
        LanguageChoice::kEnglish);
    EXPECT_EQ(StartLanguage({QStringLiteral("--lang"), QStringLiteral("fr")}), std::nullopt);
    const auto message = [] {
        StartOptions options;
        QString error;
        EXPECT_FALSE(ParseStartOptions({QStringLiteral("--verbose")}, options, error));
        return error;
    };
    EXPECT_EQ(message(), QStringLiteral("qxlog: 未知的选项 --verbose"));
    const QString chinese = StartUsage();
    EXPECT_TRUE(chinese.startsWith(QStringLiteral("用法: "))) << chinese.toStdString();
    for (const QString& line : chinese.split(u'\n')) {
        int columns = 0;
        for (const QChar c : line)
            columns += c.unicode() >= 0x2E80 ? 2 : 1;
        EXPECT_LE(columns, 80) << line.toStdString();
    }
    test::ScopedEnglish english;
    ASSERT_TRUE(english.Loaded());
    EXPECT_EQ(message(), QStringLiteral("qxlog: unknown option --verbose"));
    EXPECT_TRUE(StartUsage().startsWith(QStringLiteral("Usage: ")));
}

TEST(StartOptions, LanguageForOneRunAndLeftOutOfARestart) {
    QString error;
    StartOptions zh, en, bad;
    ASSERT_TRUE(ParseStartOptions({QStringLiteral("--lang"), QStringLiteral("zh")}, zh, error));
    EXPECT_EQ(zh.language, LanguageChoice::kChinese);
    ASSERT_TRUE(ParseStartOptions(
        {QStringLiteral("a.QXRec"), QStringLiteral("--lang"), QStringLiteral("EN")}, en, error));
    EXPECT_EQ(en.language, LanguageChoice::kEnglish);
    EXPECT_EQ(en.recordFile, QStringLiteral("a.QXRec"));
    // auto is the setting's, not a language of one run.
    for (const char* value : {"fr", "auto"})
        EXPECT_FALSE(
            ParseStartOptions({QStringLiteral("--lang"), QLatin1String(value)}, bad, error));
    EXPECT_FALSE(ParseStartOptions({QStringLiteral("--lang")}, bad, error));

    EXPECT_EQ(
        RestartArguments({QStringLiteral("--lang"), QStringLiteral("en"), QStringLiteral("a.QXRec"),
                          QStringLiteral("--lang"), QStringLiteral("zh")}),
        QStringList{QStringLiteral("a.QXRec")});
}

TEST(SimulatedInstruments, TheProposedOneHasFinishedItsRecording) {
    std::unique_ptr<HidLibrary> hid = MakeSimulatedInstruments({2, 6});
    auto* bus = dynamic_cast<SimulatedHidLibrary*>(hid.get());
    ASSERT_NE(bus, nullptr);
    ASSERT_EQ(bus->Count(), 2u);
    EXPECT_TRUE(bus->At(0).Recording());
    EXPECT_FALSE(bus->At(1).Recording());
    EXPECT_TRUE(bus->At(1).Status().HasRecording());
    EXPECT_EQ(bus->At(1).DownloadableCount(), 576u);
}

TEST_F(App, SettingsDefaultsAtTheFirstStartAndWrittenAtExit) {
    // The defaults themselves are AppSettings' (its own tests); here: the window follows them.
    ASSERT_TRUE(Start({}));
    CMainFrame& frame = *app->MainFrame();
    EXPECT_EQ(frame.State().type, 6);  // the device panel is laid out for DevType
    EXPECT_EQ(frame.size(), QSize(1000, 700));
    EXPECT_TRUE(frame.isVisible());
    EXPECT_EQ(frame.CurrentView(), kDevicePanelView);
    EXPECT_TRUE(app->DataFolderUsed().usable);

    // A connect that finds nothing: DevType 0 is written at exit, with the size the window
    // had when closing was confirmed.
    frame.RunCommand(cmd::kConnect);
    frame.resize(900, 640);
    prompter.confirmAnswers = {true};
    ASSERT_TRUE(frame.close());
    frame.resize(500, 400);
    app->ExitInstance();
    Store().sync();
    EXPECT_EQ(Store().value(QStringLiteral("READPARAM/DevType")).toInt(), 0);
    EXPECT_EQ(Store().value(QStringLiteral("TREND/TrendPos")).toInt(), 1);
    EXPECT_EQ(Store().value(QStringLiteral("WINSIZE/Cx")).toInt(), 900);
    EXPECT_EQ(Store().value(QStringLiteral("WINSIZE/Cy")).toInt(), 640);
    EXPECT_EQ(Store().value(QStringLiteral("READPARAM/EnAutoReadParam")).toInt(), 1);
}

TEST_F(App, MaxNIsRaisedAndAutomaticReadingStartsOn) {
    Store().setValue(QStringLiteral("RECORD/MaxN"), 100);
    Store().setValue(QStringLiteral("READPARAM/EnAutoReadParam"), 0);
    Store().setValue(QStringLiteral("READPARAM/ReadParamInterval"), 4);
    Store().setValue(QStringLiteral("READPARAM/DevType"), 8);
    Store().setValue(QStringLiteral("WINSIZE/Cx"), 920);
    Store().setValue(QStringLiteral("WINSIZE/Cy"), 690);
    Store().setValue(QStringLiteral("TREND/TrendPos"), 0);
    Store().setValue(QStringLiteral("TREND/StatShare"), 3000);
    Store().sync();
    ASSERT_TRUE(Start({}, {8}));
    EXPECT_EQ(app->Settings().maxN, 14400);
    EXPECT_TRUE(app->Settings().enAutoReadParam);
    EXPECT_EQ(app->Settings().readParamInterval, 4);
    CMainFrame& frame = *app->MainFrame();
    EXPECT_EQ(frame.State().type, 8);
    EXPECT_EQ(frame.size(), QSize(920, 690));
    EXPECT_EQ(frame.RecordBrowser()->Arrangement(), 0);
    // The statistics panel's splitter, where the user left it.
    EXPECT_EQ(frame.RecordBrowser()->StatisticsShare(), 3000);
    frame.RecordBrowser()->SetStatisticsShare(5555);

    frame.RunCommand(cmd::kConnect);
    prompter.confirmAnswers = {true};
    ASSERT_TRUE(frame.close());
    app->ExitInstance();
    Store().sync();
    EXPECT_EQ(Store().value(QStringLiteral("RECORD/MaxN")).toInt(), 14400);
    EXPECT_EQ(Store().value(QStringLiteral("READPARAM/ReadParamInterval")).toInt(), 4);
    EXPECT_EQ(Store().value(QStringLiteral("READPARAM/DevType")).toInt(), 8);
    EXPECT_EQ(Store().value(QStringLiteral("TREND/TrendPos")).toInt(), 0);
    EXPECT_EQ(Store().value(QStringLiteral("TREND/StatShare")).toInt(), 5555);
}

TEST_F(App, ARecordOnTheCommandLineOpensLastAndJoinsTheRecentFiles) {
    QTemporaryDir dir;
    std::unique_ptr<HidLibrary> hid = MakeSimulatedInstruments({11});
    InstrumentSimulator& sim = dynamic_cast<SimulatedHidLibrary&>(*hid).At(0);
    RecordImage image;
    image.SetParams(sim.RecordedParams());
    const std::vector<uint8_t> samples = sim.PackedSamples();
    std::copy(samples.begin(), samples.end(), image.Samples());
    const QString path = dir.filePath(QStringLiteral("office.QXRec"));
    ASSERT_TRUE(WriteRecordFile(path.toStdString(), image, 11));

    StartOptions options;
    options.recordFile = path;
    ASSERT_TRUE(Start(options));
    CMainFrame& frame = *app->MainFrame();
    EXPECT_TRUE(prompter.messages.empty());
    EXPECT_EQ(frame.CurrentView(), kRecordView);
    EXPECT_EQ(frame.DocumentTitleText(), QStringLiteral("记录查询[office]"));
    EXPECT_EQ(frame.Records().type, 11);
    EXPECT_EQ(app->Settings().RecentFiles(), QStringList{path});
    app->ExitInstance();
    Store().sync();
    EXPECT_EQ(Store().value(QStringLiteral("RECORD/DatRecFile")).toString(), path);

    // A record file that cannot be read is reported; the device panel stays.
    app.reset();
    prompter.messages.clear();
    StartOptions missing;
    missing.recordFile = dir.filePath(QStringLiteral("nothing.QXRec"));
    ASSERT_TRUE(Start(missing));
    EXPECT_EQ(prompter.LastMessage(),
              QStringLiteral("文件:%1\n不能打开!\n没有那个文件或目录").arg(missing.recordFile));
    EXPECT_EQ(app->MainFrame()->CurrentView(), kDevicePanelView);
}

// Waits with the event loop running until done() or the time is up.
bool WaitFor(const std::function<bool()>& done, int ms) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < ms)
        QTest::qWait(20);
    return done();
}

// What a person does in one session, with the real timers: connect, watch the live values and
// the blinking icon, calibrate the clock, read and set parameters, download a recording, save
// it and open it again from the recent files.
TEST_F(App, ASessionOnSimulatedInstrumentsInRealTime) {
    ASSERT_TRUE(Start({}, {2, 6}, true));
    CMainFrame& frame = *app->MainFrame();
    QTemporaryDir dir;

    frame.RunCommand(cmd::kConnect);  // the choice proposes the last, QX7200
    ASSERT_EQ(frame.State().type, 6);
    EXPECT_EQ(prompter.LastMessage(), QString::fromUtf8(msg::kConnected));

    // Live values come in at the polling interval (1 s) while the icon blinks.
    const uint32_t firstClock = frame.State().live.Clock();
    std::set<int> icons;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 2300) {
        QTest::qWait(40);
        icons.insert(frame.StatusIcon());
    }
    EXPECT_GE(frame.State().live.Clock(), firstClock + 1);
    EXPECT_TRUE(icons.count(kStatusLive) && icons.count(kStatusConnected));
    EXPECT_EQ(frame.ConnectionPaneText(), QStringLiteral("QX7200Meter:连接<联机>"));

    frame.RunCommand(cmd::kCalibrateClock);
    EXPECT_EQ(prompter.LastMessage(), QString::fromUtf8(msg::kClockOk));
    frame.RunCommand(cmd::kReadParams);

    // The editor as the user leaves it: its own checks, then OK.
    prompter.dialogHandlers.push_back([](QDialog& dialog) {
        auto& editor = dynamic_cast<CSetParamDlg&>(dialog);
        editor.Initialise();
        editor.accept();
        return editor.result();
    });
    frame.RunCommand(cmd::kSetParams);
    const QString afterSet = prompter.LastMessage();
    EXPECT_TRUE(afterSet == QString::fromUtf8(msg::kMeasuring) ||
                afterSet == QString::fromUtf8(msg::kPressButton))
        << afterSet.toStdString();

    // Download: confirmation, timer 3, the blocks with their pauses, the save dialog.
    const QString saved = dir.filePath(QStringLiteral("warehouse.QXRec"));
    prompter.fileAnswers.push_back(saved);
    frame.RunCommand(cmd::kReceiveData);
    EXPECT_EQ(prompter.LastMessage(), QString::fromUtf8(msg::kAskDownload));
    ASSERT_TRUE(WaitFor([&] { return frame.RecordLoaded(); }, 15000));
    EXPECT_EQ(frame.CurrentView(), kRecordView);
    EXPECT_TRUE(frame.isEnabled());
    EXPECT_TRUE(QFileInfo::exists(saved));
    EXPECT_TRUE(WaitFor([&] { return !frame.WaitPopup().isVisible(); }, 3000));

    // Open it again from the recent files, after looking at another record.
    frame.RunCommand(cmd::kDisconnect);
    frame.RunCommand(cmd::kRecentFirst);
    EXPECT_EQ(frame.RecordPath(), saved);
    EXPECT_EQ(frame.DocumentTitleText(), QStringLiteral("记录查询[warehouse]"));
    EXPECT_GT(frame.Records().count, 0);
}

}  // namespace
}  // namespace qx::test
