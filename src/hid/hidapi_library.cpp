#include "hidapi_library.h"

#include <hidapi.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <iterator>

namespace qx {
namespace {

constexpr size_t kMaxDescriptorSize = 4096;

std::string EightBit(const wchar_t* text) {
    std::string out;
    if (!text) return out;
    for (; *text; ++text) {
        const auto c = static_cast<uint32_t>(*text);
        out += c < 0x100 ? static_cast<char>(c) : '?';
    }
    return out;
}

HidStatus OpenFailureStatus(int savedErrno, const char* path) {
    if (savedErrno == EACCES || savedErrno == EPERM) return HidStatus::kAccessDenied;
    // hidapi formats its error text after the failed open(), which may have changed errno:
    // ask the file system once more.
    if (::access(path, R_OK | W_OK) != 0 && (errno == EACCES || errno == EPERM)) {
        return HidStatus::kAccessDenied;
    }
    if (savedErrno == ENOENT || savedErrno == ENODEV || savedErrno == ENXIO) {
        return HidStatus::kDeviceNotFound;
    }
    return HidStatus::kUnknownError;
}

}  // namespace

HidapiLibrary::HidapiLibrary(std::string sysfsHidrawRoot) : sysfsRoot_(std::move(sysfsHidrawRoot)) {
    hid_init();
}

HidapiLibrary::~HidapiLibrary() {
    for (auto& [handle, open] : open_)
        hid_close(open.device);
    open_.clear();
    hid_exit();
}

void HidapiLibrary::NoteError(hid_device_* device) {
    lastError_ = EightBit(hid_error(device));
}

void HidapiLibrary::Enumerate(uint16_t vendorId, uint16_t productId) {
    devices_.clear();
    hid_device_info* list = hid_enumerate(vendorId, productId);
    for (const hid_device_info* d = list; d; d = d->next) {
        if (!d->path) continue;
        const std::string path = d->path;
        bool seen = false;
        for (const Device& known : devices_)
            seen = seen || known.path == path;
        if (!seen) devices_.push_back({path, EightBit(d->product_string)});
    }
    hid_free_enumeration(list);
}

uint32_t HidapiLibrary::GetNumHidDevices(uint16_t vendorId, uint16_t productId) {
    Enumerate(vendorId, productId);
    return static_cast<uint32_t>(devices_.size());
}

HidStatus HidapiLibrary::GetHidString(uint32_t deviceIndex, uint16_t vendorId, uint16_t productId,
                                      HidStringType type, HidStringBuffer& out) {
    SetHidBufferText(out, "");
    if (deviceIndex >= devices_.size()) Enumerate(vendorId, productId);
    if (deviceIndex >= devices_.size()) return HidStatus::kDeviceNotFound;
    const Device& d = devices_[deviceIndex];
    SetHidBufferText(out, type == HidStringType::kDevicePath ? d.path : d.product);
    return kHidSuccess;
}

HidStatus HidapiLibrary::Open(HidHandle& handle, uint32_t deviceIndex, uint16_t vendorId,
                              uint16_t productId, uint32_t /*inputBufferCount*/) {
    // Indexes refer to the attached devices as they are now.
    Enumerate(vendorId, productId);
    if (deviceIndex >= devices_.size()) return HidStatus::kDeviceNotFound;
    const Device& d = devices_[deviceIndex];
    errno = 0;
    hid_device* device = hid_open_path(d.path.c_str());
    if (!device) {
        const int savedErrno = errno;
        NoteError(nullptr);
        return OpenFailureStatus(savedErrno, d.path.c_str());
    }
    OpenDevice open;
    open.device = device;
    open.path = d.path;
    open.product = d.product;
    open.lengths = ReadReportLengths(d.path);
    handle = nextHandle_++;
    open_[handle] = open;
    return kHidSuccess;
}

ReportLengths HidapiLibrary::ReadReportLengths(const std::string& devicePath) const {
    const size_t slash = devicePath.find_last_of('/');
    const std::string node = devicePath.substr(slash == std::string::npos ? 0 : slash + 1);
    if (node.rfind("hidraw", 0) != 0) return {};
    std::ifstream file(sysfsRoot_ + "/" + node + "/device/report_descriptor", std::ios::binary);
    if (!file) return {};
    std::vector<uint8_t> descriptor(kMaxDescriptorSize);
    file.read(reinterpret_cast<char*>(descriptor.data()),
              static_cast<std::streamsize>(descriptor.size()));
    descriptor.resize(static_cast<size_t>(file.gcount()));
    return ParseReportDescriptor(descriptor).value_or(ReportLengths{});
}

HidStatus HidapiLibrary::GetString(HidHandle handle, HidStringType type, HidStringBuffer& out) {
    SetHidBufferText(out, "");
    const auto it = open_.find(handle);
    if (it == open_.end()) return HidStatus::kDeviceNotOpened;
    SetHidBufferText(out,
                     type == HidStringType::kDevicePath ? it->second.path : it->second.product);
    return kHidSuccess;
}

void HidapiLibrary::SetTimeouts(HidHandle handle, uint32_t getReportMs, uint32_t setReportMs) {
    const auto it = open_.find(handle);
    if (it == open_.end()) return;
    it->second.getReportTimeoutMs = getReportMs;
    it->second.setReportTimeoutMs = setReportMs;
}

bool HidapiLibrary::IsOpened(HidHandle handle) {
    return open_.count(handle) != 0;
}

uint16_t HidapiLibrary::GetInputReportBufferLength(HidHandle handle) {
    const auto it = open_.find(handle);
    return it == open_.end() ? 0 : it->second.lengths.input;
}

uint16_t HidapiLibrary::GetOutputReportBufferLength(HidHandle handle) {
    const auto it = open_.find(handle);
    return it == open_.end() ? 0 : it->second.lengths.output;
}

HidStatus HidapiLibrary::GetInputReportControl(HidHandle handle, std::span<uint8_t> report) {
    if (report.empty()) return HidStatus::kInvalidBufferSize;
    const auto it = open_.find(handle);
    if (it == open_.end()) return HidStatus::kDeviceNotOpened;
    if (hid_get_input_report(it->second.device, report.data(), report.size()) < 0) {
        NoteError(it->second.device);
        return HidStatus::kTransferFailed;
    }
    return kHidSuccess;
}

HidStatus HidapiLibrary::SetOutputReportInterrupt(HidHandle handle,
                                                  std::span<const uint8_t> report) {
    if (report.empty()) return HidStatus::kInvalidBufferSize;
    const auto it = open_.find(handle);
    if (it == open_.end()) return HidStatus::kDeviceNotOpened;
    if (hid_write(it->second.device, report.data(), report.size()) < 0) {
        NoteError(it->second.device);
        return HidStatus::kTransferFailed;
    }
    return kHidSuccess;
}

void HidapiLibrary::Close(HidHandle handle) {
    const auto it = open_.find(handle);
    if (it == open_.end()) return;
    hid_close(it->second.device);
    open_.erase(it);
}

}  // namespace qx
