// The device panel on simulated instruments: an instrument session whose user interface
// forwards to a CQX420View, as the main window does, and runs the parameter editor through the
// prompt seam (answered by a ScriptedPrompter in the tests).
#pragma once

#include <QDialog>
#include <memory>
#include <string>
#include <vector>

#include "core/link/device_commands.h"
#include "core/link/simulated_hid_library.h"
#include "gui/common/prompter.h"
#include "gui/device/qx420_view.h"
#include "gui/device/set_param_dlg.h"

using qx::CQX420View;
using qx::CSetParamDlg;

namespace qx::test {

// 2017-03-10 13:07:12 UTC; the tests run with TZ pinned to CST-8.
inline constexpr int64_t kPanelTestNow = 0x58C2A500;

class PanelUi final : public InstrumentUi {
  public:
    CQX420View* view = nullptr;
    const InstrumentState* state = nullptr;
    std::vector<std::string> messages;
    int editorRuns = 0;

    void ShowWarning(const std::string& text) override { messages.push_back(text); }
    void ShowInfo(const std::string& text) override { messages.push_back(text); }
    bool ConfirmOkCancel(const std::string& text) override {
        messages.push_back(text);
        return true;
    }
    int ChooseDevice(const std::vector<std::string>&, int preselected) override {
        return preselected;
    }
    bool EditParams(ParamBlock& block,
                    const std::function<bool(const ParamBlock&)>& commit) override {
        ++editorRuns;
        CSetParamDlg dialog(state->type, state->timeZoneBias);
        dialog.block = block;
        dialog.commit = commit;
        return RunSetParamDialog(dialog, block);
    }
    void ShowParams(ParamListKind list, const ParamBlock* block) override {
        view->FillParamList(list, block);
    }
    void UpdataControl() override { view->UpdataControl(); }
    void RefreshDisp() override { view->RefreshDisp(); }
    void ShowDevicePanel() override {}
};

struct PanelBench {
    explicit PanelBench(std::vector<InstrumentTypeId> types) {
        for (InstrumentTypeId t : types)
            hid->Add(t);
        ui.view = &view;
        ui.state = &session.state;
    }
    int64_t now = kPanelTestNow;
    PanelUi ui;
    std::unique_ptr<SimulatedHidLibrary> bus =
        std::make_unique<SimulatedHidLibrary>([this] { return now; });
    SimulatedHidLibrary* hid = bus.get();
    InstrumentSession session{std::move(bus), ui, [this] { return now; }, [](int) {}};
    InstrumentState& state = session.state;
    CQX420View view{session.state, [this] { return session.link.Connected(); }};

    InstrumentSimulator& Sim(size_t i = 0) { return hid->At(i); }
    // Connects (reading both parameter blocks) and reads the live status once.
    bool ConnectAndRefresh() {
        if (!session.commands.Connect()) return false;
        return session.commands.Refresh() == CommandResult::kDone;
    }
};

}  // namespace qx::test
