// A main window on simulated instruments for the window tests: prompts answered by a scripted
// prompter, no libudev monitor, clocks and download pauses under the test's control.
#pragma once

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "core/link/simulated_hid_library.h"
#include "core/records/record_file.h"
#include "gui/app/app_settings.h"
#include "gui/app/main_frame.h"
#include "gui/common/scripted_prompter.h"

namespace qx::test {

class FrameTest : public ::testing::Test {
  protected:
    // Builds the window on simulated instruments of these models (plugged in this order).
    void Make(const std::vector<InstrumentTypeId>& models) {
        auto hid = std::make_unique<SimulatedHidLibrary>(utcClock);
        bus = hid.get();
        for (InstrumentTypeId m : models)
            bus->Add(m);
        CMainFrame::Environment env;
        env.hid = std::move(hid);
        env.clock = utcClock;
        env.sleep = [](int) {};
        env.pause = [this](int ms) {
            pauses.push_back(ms);
            if (onPause) onPause(ms);
        };
        env.processClockMs = [this] { return nowMs; };
        env.watchDevices = false;
        frame = std::make_unique<CMainFrame>(settings, programFolder, DataFolder(), std::move(env));
        frame->CreateViews();
    }

    QString DataFolder() const { return dir.path() + QStringLiteral("/DAT"); }
    QString PathIn(const QString& name) const { return dir.path() + u'/' + name; }

    // Connects through the menu command; with several instruments the choice proposes the
    // last one, which is taken.
    void Connect() {
        frame->RunCommand(cmd::kConnect);
        ASSERT_TRUE(frame->Session().link.Connected());
        prompter.messages.clear();
    }

    // A record file of the simulator's stored recording.
    QString WriteRecord(const QString& name, InstrumentSimulator& sim) {
        RecordImage image;
        image.SetParams(sim.RecordedParams());
        const std::vector<uint8_t> samples = sim.PackedSamples();
        std::copy(samples.begin(), samples.end(), image.Samples());
        const QString path = PathIn(name);
        EXPECT_TRUE(WriteRecordFile(path.toStdString(), image, sim.Type()));
        return path;
    }

    // Runs what the window posted to itself (the download after timer 3).
    static void RunPosted() { QCoreApplication::processEvents(); }

    void TearDown() override {
        // The window closes without asking the test.
        frame.reset();
    }

    ScriptedPrompter prompter;
    QTemporaryDir dir;
    AppSettings settings;
    QString programFolder = QStringLiteral(QX_RES_DIR);  // holds the help document
    SimulatedHidLibrary* bus = nullptr;
    std::unique_ptr<CMainFrame> frame;
    std::vector<int> pauses;
    std::function<void(int ms)> onPause;
    int64_t nowMs = 100000;
    // The host's UTC time for the instruments and the window; set before Make.
    UtcClock utcClock = SystemUtcNow;
};

// Every command of the menus, the toolbar, the navigation bar and the looks.
// clang-format off
inline constexpr int kFrameCommands[] = {
    cmd::kConnect, cmd::kDisconnect, cmd::kReadParams, cmd::kSetParams, cmd::kCalibrateClock,
    cmd::kReceiveData, cmd::kRefreshQuery, cmd::kStopRecord, cmd::kOpen, cmd::kExport,
    cmd::kCopyGraph, cmd::kPrint, cmd::kPrintPreview, cmd::kPrintSetup, cmd::kExit,
    cmd::kToolBar, cmd::kStatusBar, cmd::kCaptionBar, cmd::kAbout, 312, 313, 314, 315, 210, 215, 218};
// clang-format on

// Every action's enabled state must match the rule for the window's state.
inline void ExpectActionsFollowRules(CMainFrame& frame, const CommandState& state) {
    const CommandState shown = frame.CurrentCommandState();
    EXPECT_EQ(shown.connected, state.connected);
    EXPECT_EQ(shown.statusOk, state.statusOk);
    EXPECT_EQ(shown.recordLoaded, state.recordLoaded);
    for (int id : kFrameCommands) {
        QAction* action = frame.Action(id);
        ASSERT_NE(action, nullptr) << id;
        EXPECT_EQ(action->isEnabled(), CommandEnabled(id, state)) << id;
    }
}

}  // namespace qx::test
