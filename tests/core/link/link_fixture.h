// Test fixtures of the instrument link: a fixed clock, a UI that records what the commands
// show and answers from queues, and a connected bench of simulated instruments.
#pragma once

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "core/link/device_commands.h"
#include "core/link/simulated_hid_library.h"

namespace qx::test {

// 2017-03-10 13:07:12 UTC (0x58C2A500); TZ is pinned to CST-8 for every test.
inline constexpr int64_t kTestNow = 0x58C2A500;

class RecordingUi final : public InstrumentUi {
  public:
    std::vector<std::string> events;  // "warning:...", "info:...", "confirm:...", ...
    std::deque<bool> confirmAnswers;  // unanswered: OK
    std::deque<int> chooseAnswers;    // unanswered: the preselected entry
    std::vector<std::string> choiceNames;
    int choicePreselected = -2;
    std::function<bool(ParamBlock&)> edit;  // unset: Cancel; OK commits once
    int refreshCount = 0;
    int updataCount = 0;

    void ShowWarning(const std::string& text) override { events.push_back("warning:" + text); }
    void ShowInfo(const std::string& text) override { events.push_back("info:" + text); }
    bool ConfirmOkCancel(const std::string& text) override {
        events.push_back("confirm:" + text);
        if (confirmAnswers.empty()) return true;
        const bool a = confirmAnswers.front();
        confirmAnswers.pop_front();
        return a;
    }
    int ChooseDevice(const std::vector<std::string>& names, int preselected) override {
        events.push_back("choose");
        choiceNames = names;
        choicePreselected = preselected;
        if (chooseAnswers.empty()) return preselected;
        const int a = chooseAnswers.front();
        chooseAnswers.pop_front();
        return a;
    }
    bool EditParams(ParamBlock& block,
                    const std::function<bool(const ParamBlock&)>& commit) override {
        events.push_back("edit");
        return edit && edit(block) && commit(block);
    }
    void ShowParams(ParamListKind list, const ParamBlock* block) override {
        events.push_back(std::string("params:") +
                         (list == ParamListKind::kSet ? "set" : "recorded") +
                         (block ? "" : ":cleared"));
    }
    void UpdataControl() override {
        ++updataCount;
        events.push_back("updata");
    }
    void RefreshDisp() override { ++refreshCount; }
    void ShowDevicePanel() override { events.push_back("panel"); }

    // The messages only (warnings, infos, questions), in order.
    std::vector<std::string> Messages() const {
        std::vector<std::string> out;
        for (const auto& e : events) {
            if (e.starts_with("warning:") || e.starts_with("info:") || e.starts_with("confirm:")) {
                out.push_back(e);
            }
        }
        return out;
    }
};

// Passes every call on to another library and its devices and lets a test rewrite input
// report replies.
class HidTap final : public HidLibrary {
  public:
    explicit HidTap(HidLibrary& inner) : inner_(inner) {}
    // Called with each successful input report reply; may change it.
    std::function<void(std::span<uint8_t>)> onReply;
    std::vector<size_t> inputLengths;  // lengths the host passed for input reports

    uint32_t GetNumHidDevices(uint16_t v, uint16_t p) override {
        return inner_.GetNumHidDevices(v, p);
    }
    HidStatus GetHidString(uint32_t i, uint16_t v, uint16_t p, HidStringType t,
                           HidStringBuffer& out) override {
        return inner_.GetHidString(i, v, p, t, out);
    }
    HidStatus Open(std::unique_ptr<HidDevice>& device, uint32_t i, uint16_t v, uint16_t p,
                   uint32_t n) override {
        std::unique_ptr<HidDevice> inner;
        const HidStatus s = inner_.Open(inner, i, v, p, n);
        device.reset();
        if (inner) device = std::make_unique<Device>(*this, std::move(inner));
        return s;
    }

  private:
    class Device final : public HidDevice {
      public:
        Device(HidTap& tap, std::unique_ptr<HidDevice> inner)
            : tap_(tap), inner_(std::move(inner)) {}
        HidStatus GetString(HidStringType t, HidStringBuffer& out) override {
            return inner_->GetString(t, out);
        }
        void SetTimeouts(uint32_t g, uint32_t s) override { inner_->SetTimeouts(g, s); }
        uint16_t InputReportLength() override { return inner_->InputReportLength(); }
        uint16_t OutputReportLength() override { return inner_->OutputReportLength(); }
        HidStatus GetInputReport(std::span<uint8_t> report) override {
            tap_.inputLengths.push_back(report.size());
            const HidStatus s = inner_->GetInputReport(report);
            if (HidOk(s) && tap_.onReply) tap_.onReply(report);
            return s;
        }
        HidStatus SendOutputReport(std::span<const uint8_t> report) override {
            return inner_->SendOutputReport(report);
        }

      private:
        HidTap& tap_;
        std::unique_ptr<HidDevice> inner_;
    };

    HidLibrary& inner_;
};

// Simulated instruments on a bus, with a session wired to them and a clock the test moves.
struct Bench {
    explicit Bench(std::vector<InstrumentTypeId> types = {1}) {
        for (InstrumentTypeId t : types)
            hid->Add(t);
    }
    int64_t now = kTestNow;
    std::vector<int> sleeps;
    RecordingUi ui;
    std::unique_ptr<SimulatedHidLibrary> bus =
        std::make_unique<SimulatedHidLibrary>([this] { return now; });
    SimulatedHidLibrary* hid = bus.get();
    HidTap* tap = new HidTap(*bus);  // owned by the session
    InstrumentSession session{std::unique_ptr<HidLibrary>(tap), ui, [this] { return now; },
                              [this](int ms) { sleeps.push_back(ms); }};
    InstrumentState& state = session.state;
    InstrumentLink& link = session.link;
    ReportProtocol& protocol = session.protocol;
    DeviceCommands& commands = session.commands;

    InstrumentSimulator& Sim(size_t i = 0) { return hid->At(i); }
    // Connects to the last instrument (as the choice dialog preselects it).
    bool Connect() {
        return link.Connect([](const std::vector<std::string>&, int pre) { return pre; });
    }
};

}  // namespace qx::test
