// qxlog-cli's side of the instrument commands: a console InstrumentUi (warnings to stderr,
// information to stdout, every question answered OK, the device chosen by --device) and the
// connection to the instrument the global options name, simulated or real.
#pragma once

#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "cli_command.h"
#include "core/link/device_commands.h"
#include "core/link/instrument_ui.h"
#include "core/model/language.h"

namespace qx::cli {

// A failed read of the settings (params, configure).
inline constexpr const char* kReadParamsFailed = TrNoop("通讯出错，不能读入参数!");

class ConsoleUi final : public InstrumentUi {
  public:
    explicit ConsoleUi(int device) : device_(device) {}

    void ShowWarning(const std::string& text) override;
    void ShowInfo(const std::string& text) override;
    bool ConfirmOkCancel(const std::string&) override { return true; }
    int ChooseDevice(const std::vector<std::string>& names, int preselected) override;
    // The editor is `editParams` when a command sets one (configure), else it is cancelled; its
    // OK commits once (a console cannot edit again).
    bool EditParams(ParamBlock& block,
                    const std::function<bool(const ParamBlock&)>& commit) override {
        return editParams && editParams(block) && commit(block);
    }
    void ShowParams(ParamListKind list, const ParamBlock* block) override;
    void UpdataControl() override {}
    void RefreshDisp() override {}
    void ShowDevicePanel() override {}

    bool Warned() const { return warned_; }
    // Why the last warning's failure happened: on the line below it, or after it in Warnings().
    void AddReason(const std::string& reason);
    // The warnings since the last ResetWarnings, joined by "; " (line ends become blanks).
    const std::string& Warnings() const { return warnings_; }
    void ResetWarnings() {
        warned_ = false;
        warnings_.clear();
    }
    // Warnings only kept for Warnings(), not printed.
    bool holdWarnings = false;
    // Where information goes; nullptr: nowhere.
    std::FILE* infoStream = stdout;
    std::function<bool(ParamBlock&)> editParams;
    // The blocks the last parameter read showed (nullopt: that list was emptied or not shown).
    const std::optional<ParamBlock>& Shown(ParamListKind list) const {
        return list == ParamListKind::kSet ? setShown_ : recordedShown_;
    }

  private:
    int device_;
    bool warned_ = false;
    std::string warnings_;
    std::optional<ParamBlock> setShown_, recordedShown_;
};

// An instrument session on the simulated instruments of --simulate or on the real ones.
struct ConsoleInstrument {
    explicit ConsoleInstrument(const CliOptions& options);
    ConsoleUi ui;
    InstrumentSession session;
};

// Prints that --device names no attached instrument: "qxlog-cli: --device 5: only instrument 0
// is attached" (instruments 0 to N-1 when there are several).
void PrintDeviceOutOfRange(int device, size_t attached);

// Connects to the instrument chosen by the options (the last one unless --device says
// otherwise). Prints msg::kNoDevice (and why --device does not fit) and returns nullptr
// when there is none.
std::unique_ptr<ConsoleInstrument> ConnectInstrument(const CliOptions& options);

// Chooses the attached instrument with this device path (no dialog); false when it is gone.
bool ConnectTo(ConsoleInstrument& instrument, const std::string& devicePath);

// Prints a failed exchange: the permission problem when the device may not be opened, else
// `message` (unless a warning was already shown), with `reason` (when given) on the line below.
void ReportExchangeFailure(ConsoleInstrument& instrument, const char* message,
                           const std::string& reason = {});

}  // namespace qx::cli
