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

HidStatus SimulatedHidLibrary::Open(HidHandle& handle, uint32_t deviceIndex, uint16_t vendorId,
                                    uint16_t productId, uint32_t /*inputBufferCount*/) {
    const auto attached = Attached(vendorId, productId);
    if (deviceIndex >= attached.size()) return HidStatus::kDeviceNotFound;
    InstrumentSimulator* s = attached[deviceIndex];
    if (s->AccessDenied()) return HidStatus::kAccessDenied;
    const std::vector<uint8_t> descriptor = s->ReportDescriptor();
    const ReportLengths lengths = ParseReportDescriptor(descriptor).value_or(ReportLengths{});
    handle = nextHandle_++;
    open_[handle] = Session{s, s->PlugGeneration(), lengths};
    s->OnOpened();
    return kHidSuccess;
}

SimulatedHidLibrary::Session* SimulatedHidLibrary::Live(HidHandle handle) {
    const auto it = open_.find(handle);
    if (it == open_.end()) return nullptr;
    Session& s = it->second;
    if (!s.sim->Plugged() || s.sim->PlugGeneration() != s.generation) return nullptr;
    return &s;
}

HidStatus SimulatedHidLibrary::GetString(HidHandle handle, HidStringType type,
                                         HidStringBuffer& out) {
    SetHidBufferText(out, "");
    const auto it = open_.find(handle);
    if (it == open_.end()) return HidStatus::kDeviceNotOpened;
    SetHidBufferText(out, type == HidStringType::kDevicePath ? it->second.sim->DevicePath()
                                                             : it->second.sim->ProductString());
    return kHidSuccess;
}

void SimulatedHidLibrary::SetTimeouts(HidHandle handle, uint32_t getReportMs,
                                      uint32_t setReportMs) {
    if (open_.count(handle) == 0) return;
    getTimeout_ = getReportMs;
    setTimeout_ = setReportMs;
}

bool SimulatedHidLibrary::IsOpened(HidHandle handle) {
    return open_.count(handle) != 0;
}

uint16_t SimulatedHidLibrary::GetInputReportBufferLength(HidHandle handle) {
    const auto it = open_.find(handle);
    return it == open_.end() ? 0 : it->second.lengths.input;
}

uint16_t SimulatedHidLibrary::GetOutputReportBufferLength(HidHandle handle) {
    const auto it = open_.find(handle);
    return it == open_.end() ? 0 : it->second.lengths.output;
}

HidStatus SimulatedHidLibrary::GetInputReportControl(HidHandle handle, std::span<uint8_t> report) {
    if (report.empty()) return HidStatus::kInvalidBufferSize;
    Session* s = Live(handle);
    if (!s) return HidStatus::kDeviceNotOpened;
    return s->sim->ReadReport(report) ? kHidSuccess : HidStatus::kTransferFailed;
}

HidStatus SimulatedHidLibrary::SetOutputReportInterrupt(HidHandle handle,
                                                        std::span<const uint8_t> report) {
    if (report.empty()) return HidStatus::kInvalidBufferSize;
    Session* s = Live(handle);
    if (!s) return HidStatus::kDeviceNotOpened;
    return s->sim->WriteReport(report) ? kHidSuccess : HidStatus::kTransferFailed;
}

void SimulatedHidLibrary::Close(HidHandle handle) {
    open_.erase(handle);
}

}  // namespace qx
