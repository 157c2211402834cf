#include "instrument_link.h"

#include <chrono>
#include <thread>

#include "core/model/text_util.h"

namespace qx {

void SleepMilliseconds(int ms) {
    if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

namespace {

// The instruments' 8-bit strings, one character per byte.
std::string BufferText(const HidStringBuffer& buffer) {
    return Latin1ToUtf8(HidBufferText(buffer));
}

}  // namespace

InstrumentLink::InstrumentLink(HidLibrary& hid, InstrumentState& state, SleepFunction sleep)
    : hid_(hid), state_(state), sleep_(std::move(sleep)) {}

InstrumentLink::~InstrumentLink() {
    Close();
}

bool InstrumentLink::Enumerate() {
    candidateNames_.clear();
    candidateIndexes_.clear();
    const uint32_t n = hid_.GetNumHidDevices(kInstrumentVendorId, kInstrumentProductId);
    for (uint32_t i = 0; i < n; ++i) {
        HidStringBuffer buffer{};
        if (!HidOk(hid_.GetHidString(i, kInstrumentVendorId, kInstrumentProductId,
                                     HidStringType::kProduct, buffer))) {
            continue;
        }
        const std::string product = HidBufferText(buffer);
        if (product.empty() || !IsFamilyProductString(product)) continue;
        candidateNames_.push_back(Latin1ToUtf8(product));
        candidateIndexes_.push_back(i);
    }
    return true;
}

bool InstrumentLink::Connect(const DeviceChooser& choose) {
    Close();
    connected_ = false;
    chosenIndex_ = -1;
    state_.type = 0;
    openFailure_ = OpenFailure{};
    Enumerate();
    if (candidateNames_.empty()) return false;

    int chosen = 0;
    if (candidateNames_.size() > 1) {
        const int last = static_cast<int>(candidateNames_.size()) - 1;
        chosen = choose ? choose(candidateNames_, last) : -1;
        if (chosen < 0 || chosen > last) return false;
    }
    chosenIndex_ = static_cast<int>(candidateIndexes_[static_cast<size_t>(chosen)]);
    chosenName_ = candidateNames_[static_cast<size_t>(chosen)];
    state_.type = ModelFromProductString(chosenName_);
    connected_ = true;
    return true;
}

HidDevice* InstrumentLink::OpenDevice() {
    if (device_) return device_.get();
    if (chosenIndex_ < 0) return nullptr;
    const uint32_t index = static_cast<uint32_t>(chosenIndex_);
    std::unique_ptr<HidDevice> device;
    const HidStatus status =
        hid_.Open(device, index, kInstrumentVendorId, kInstrumentProductId, kInputBufferCount);
    if (!HidOk(status) || !device) {
        openFailure_ =
            OpenFailure{HidOk(status) ? HidStatus::kUnknownError : status, DevicePathOf(index)};
        return nullptr;
    }
    openFailure_ = OpenFailure{};
    HidStringBuffer path{};
    if (HidOk(device->GetString(HidStringType::kDevicePath, path))) {
        devicePath_ = BufferText(path);
    }
    device->SetTimeouts(kGetReportTimeoutMs, kSetReportTimeoutMs);
    if (sleep_) sleep_(kSettleDelayMs);
    device_ = std::move(device);
    return device_.get();
}

void InstrumentLink::Close() {
    device_.reset();
}

void InstrumentLink::Disconnect() {
    Close();
    connected_ = false;
    chosenIndex_ = -1;
    state_.statusOk = false;
}

DeviceChangeAction InstrumentLink::OnDeviceChange(DeviceEvent event, std::string_view devicePath) {
    if (!connected_ || devicePath_.empty() || !EqualsIgnoreCase(devicePath, devicePath_)) {
        return DeviceChangeAction::kNone;
    }
    if (event == DeviceEvent::kArrival) return DeviceChangeAction::kReconnect;
    Close();
    return DeviceChangeAction::kClosed;
}

std::string InstrumentLink::DevicePathOf(uint32_t deviceIndex) {
    HidStringBuffer path{};
    if (!HidOk(hid_.GetHidString(deviceIndex, kInstrumentVendorId, kInstrumentProductId,
                                 HidStringType::kDevicePath, path))) {
        return {};
    }
    return BufferText(path);
}

}  // namespace qx
