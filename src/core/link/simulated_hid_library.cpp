#include "simulated_hid_library.h"

#include "core/model/text_util.h"

namespace qx {

SimulatedHidLibrary::SimulatedHidLibrary(UtcClock clock) : clock_(std::move(clock)) {}

InstrumentSimulator& SimulatedHidLibrary::Add(InstrumentTypeId type) {
    uint32_t serial = 1;
    for (const auto& s : sims_)
        serial += s->Type() == type ? 1 : 0;
    return Add(std::make_unique<InstrumentSimulator>(type, clock_, serial));
}

InstrumentSimulator& SimulatedHidLibrary::Add(std::unique_ptr<InstrumentSimulator> simulator) {
    if (simulator->DevicePath().empty()) {
        simulator->SetDevicePath(StrFormat("/dev/hidraw%zu", sims_.size()));
    }
    sims_.push_back(std::move(simulator));
    return *sims_.back();
}

std::vector<InstrumentSimulator*> SimulatedHidLibrary::Attached(uint16_t vendorId,
                                                                uint16_t productId) const {
    std::vector<InstrumentSimulator*> out;
    if (vendorId != kInstrumentVendorId || productId != kInstrumentProductId) return out;
    for (const auto& s : sims_) {
        if (s->Plugged()) out.push_back(s.get());
    }
    return out;
}

uint32_t SimulatedHidLibrary::GetNumHidDevices(uint16_t vendorId, uint16_t productId) {
    return static_cast<uint32_t>(Attached(vendorId, productId).size());
}

HidStatus SimulatedHidLibrary::GetHidString(uint32_t deviceIndex, uint16_t vendorId,
                                            uint16_t productId, HidStringType type,
                                            HidStringBuffer& out) {
    SetHidBufferText(out, "");
    const auto attached = Attached(vendorId, productId);
    if (deviceIndex >= attached.size()) return HidStatus::kDeviceNotFound;
    const InstrumentSimulator& s = *attached[deviceIndex];
    switch (type) {
        case HidStringType::kProduct:
            SetHidBufferText(out, s.ProductString());
            return kHidSuccess;
        case HidStringType::kDevicePath:
            SetHidBufferText(out, s.DevicePath());
            return kHidSuccess;
    }
    return HidStatus::kUnknownError;
}

// An open simulated instrument. Its transfers fail once the simulator is unplugged, and stay
// failing after a replug: the replugged instrument must be opened again.
class SimulatedHidLibrary::Device final : public HidDevice {
  public:
    Device(SimulatedHidLibrary& library, InstrumentSimulator& sim, ReportLengths lengths)
        : library_(library), sim_(sim), generation_(sim.PlugGeneration()), lengths_(lengths) {
        ++library_.openDevices_;
    }
    ~Device() override { --library_.openDevices_; }

    HidStatus GetString(HidStringType type, HidStringBuffer& out) override {
        SetHidBufferText(
            out, type == HidStringType::kDevicePath ? sim_.DevicePath() : sim_.ProductString());
        return kHidSuccess;
    }
    void SetTimeouts(uint32_t getReportMs, uint32_t setReportMs) override {
        library_.getTimeout_ = getReportMs;
        library_.setTimeout_ = setReportMs;
    }
    uint16_t InputReportLength() override { return lengths_.input; }
    uint16_t OutputReportLength() override { return lengths_.output; }
    HidStatus GetInputReport(std::span<uint8_t> report) override {
        if (report.empty()) return HidStatus::kInvalidBufferSize;
        if (!Live()) return HidStatus::kDeviceNotOpened;
        return sim_.ReadReport(report) ? kHidSuccess : HidStatus::kTransferFailed;
    }
    HidStatus SendOutputReport(std::span<const uint8_t> report) override {
        if (report.empty()) return HidStatus::kInvalidBufferSize;
        if (!Live()) return HidStatus::kDeviceNotOpened;
        return sim_.WriteReport(report) ? kHidSuccess : HidStatus::kTransferFailed;
    }

  private:
    bool Live() const { return sim_.Plugged() && sim_.PlugGeneration() == generation_; }

    SimulatedHidLibrary& library_;
    InstrumentSimulator& sim_;
    uint32_t generation_;  // plug generation at open
    ReportLengths lengths_;
};

HidStatus SimulatedHidLibrary::Open(std::unique_ptr<HidDevice>& device, uint32_t deviceIndex,
                                    uint16_t vendorId, uint16_t productId,
                                    uint32_t /*inputBufferCount*/) {
    device.reset();
    const auto attached = Attached(vendorId, productId);
    if (deviceIndex >= attached.size()) return HidStatus::kDeviceNotFound;
    InstrumentSimulator* s = attached[deviceIndex];
    if (s->AccessDenied()) return HidStatus::kAccessDenied;
    const std::vector<uint8_t> descriptor = s->ReportDescriptor();
    const ReportLengths lengths = ParseReportDescriptor(descriptor).value_or(ReportLengths{});
    device = std::make_unique<Device>(*this, *s, lengths);
    s->OnOpened();
    return kHidSuccess;
}

}  // namespace qx
