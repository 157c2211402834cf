#include "console_instrument.h"

#include <algorithm>
#include <cstdio>

#include "core/link/instrument_messages.h"
#include "core/link/simulated_hid_library.h"
#include "core/model/language.h"
#include "hid/hidapi_library.h"

namespace qx::cli {

void ConsoleUi::ShowWarning(const std::string& text) {
    warned_ = true;
    std::string line = text;
    std::replace(line.begin(), line.end(), '\n', ' ');
    warnings_ += (warnings_.empty() ? "" : "; ") + line;
    if (!holdWarnings) std::fprintf(stderr, "%s\n", text.c_str());
}

void ConsoleUi::AddReason(const std::string& reason) {
    if (reason.empty()) return;
    warnings_ += (warnings_.empty() ? "" : " ") + reason;
    if (!holdWarnings) std::fprintf(stderr, "%s\n", reason.c_str());
}

void ConsoleUi::ShowInfo(const std::string& text) {
    if (infoStream) std::fprintf(infoStream, "%s\n", text.c_str());
}

int ConsoleUi::ChooseDevice(const std::vector<std::string>& names, int preselected) {
    if (device_ < 0) return preselected;
    if (device_ >= static_cast<int>(names.size())) {
        PrintDeviceOutOfRange(device_, names.size());
        return -1;
    }
    return device_;
}

void ConsoleUi::ShowParams(ParamListKind list, const ParamBlock* block) {
    auto& shown = list == ParamListKind::kSet ? setShown_ : recordedShown_;
    shown.reset();
    if (block) shown = *block;
}

namespace {

std::unique_ptr<HidLibrary> MakeHidLibrary(const CliOptions& options) {
    if (options.hidLibrary) return options.hidLibrary();
    if (options.simulate.empty()) return std::make_unique<HidapiLibrary>();
    auto simulated = std::make_unique<SimulatedHidLibrary>();
    for (InstrumentTypeId type : options.simulate) {
        InstrumentSimulator& sim = simulated->Add(type);
        if (options.scenario) sim.FollowScenario(options.scenario, options.scenarioStart);
    }
    return simulated;
}

}  // namespace

ConsoleInstrument::ConsoleInstrument(const CliOptions& options)
    : ui(options.device),
      session(MakeHidLibrary(options), ui, SystemUtcNow,
              options.RealInstruments() ? SleepFunction(SleepMilliseconds)
                                        : SleepFunction([](int) {})) {}

void PrintDeviceOutOfRange(int device, size_t attached) {
    if (attached == 1) {
        std::fprintf(stderr, Tr("qxlog-cli: --device %d: 只连接了仪器 0\n"), device);
    } else {
        std::fprintf(stderr, Tr("qxlog-cli: --device %d: 只连接了仪器 0 到 %zu\n"), device,
                     attached - 1);
    }
}

std::unique_ptr<ConsoleInstrument> ConnectInstrument(const CliOptions& options) {
    auto instrument = std::make_unique<ConsoleInstrument>(options);
    ConsoleUi& ui = instrument->ui;
    InstrumentLink& link = instrument->session.link;
    link.Enumerate();
    const size_t count = link.CandidateNames().size();
    if (options.device >= 0 && count > 0 && static_cast<size_t>(options.device) >= count) {
        PrintDeviceOutOfRange(options.device, count);
        std::fprintf(stderr, "%s\n", Tr(msg::kNoDevice));
        return nullptr;
    }
    const bool chosen =
        instrument->session.link.Connect([&ui](const std::vector<std::string>& names, int pre) {
            return ui.ChooseDevice(names, pre);
        });
    if (!chosen) {
        std::fprintf(stderr, "%s\n", Tr(msg::kNoDevice));
        return nullptr;
    }
    return instrument;
}

bool ConnectTo(ConsoleInstrument& instrument, const std::string& devicePath) {
    InstrumentLink& link = instrument.session.link;
    // Connect enumerates again: the instrument is found by its path, whatever its index now.
    auto indexOfPath = [&link, &devicePath]() {
        for (size_t i = 0; i < link.CandidateIndexes().size(); ++i) {
            if (link.DevicePathOf(link.CandidateIndexes()[i]) == devicePath) {
                return static_cast<int>(i);
            }
        }
        return -1;
    };
    if (!link.Connect([&](const std::vector<std::string>&, int) { return indexOfPath(); })) {
        return false;
    }
    if (link.ChosenIndex() >= 0 &&
        link.DevicePathOf(static_cast<uint32_t>(link.ChosenIndex())) == devicePath) {
        return true;
    }
    link.Disconnect();  // the only one left is another instrument
    return false;
}

void ReportExchangeFailure(ConsoleInstrument& instrument, const char* message,
                           const std::string& reason) {
    // The command may have warned of the failure itself; the reason still goes below it.
    if (instrument.ui.Warned()) {
        instrument.ui.AddReason(reason);
        return;
    }
    const OpenFailure& failure = instrument.session.link.LastOpenFailure();
    if (failure.status == HidStatus::kAccessDenied) {
        instrument.ui.ShowWarning(msg::AccessDeniedMessage(failure.devicePath));
    } else {
        instrument.ui.ShowWarning(message);
        instrument.ui.AddReason(reason);
    }
}

}  // namespace qx::cli
