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

// A device opened by hid_open_path, closed when destroyed.
class HidapiLibrary::OpenDevice final : public HidDevice {
  public:
    OpenDevice(HidapiLibrary& library, hid_device* device, std::string path, std::string product,
               ReportLengths lengths)
        : library_(library),
          device_(device),
          path_(std::move(path)),
          product_(std::move(product)),
          lengths_(lengths) {}
    ~OpenDevice() override { hid_close(device_); }
    OpenDevice(const OpenDevice&) = delete;
    OpenDevice& operator=(const OpenDevice&) = delete;

    HidStatus GetString(HidStringType type, HidStringBuffer& out) override {
        SetHidBufferText(out, type == HidStringType::kDevicePath ? path_ : product_);
        return kHidSuccess;
    }
    void SetTimeouts(uint32_t getReportMs, uint32_t setReportMs) override {
        getReportTimeoutMs_ = getReportMs;
        setReportTimeoutMs_ = setReportMs;
    }
    uint16_t InputReportLength() override { return lengths_.input; }
    uint16_t OutputReportLength() override { return lengths_.output; }
    HidStatus GetInputReport(std::span<uint8_t> report) override {
        if (report.empty()) return HidStatus::kInvalidBufferSize;
        if (hid_get_input_report(device_, report.data(), report.size()) < 0) {
            library_.NoteError(device_);
            return HidStatus::kTransferFailed;
        }
        return kHidSuccess;
    }
    HidStatus SendOutputReport(std::span<const uint8_t> report) override {
        if (report.empty()) return HidStatus::kInvalidBufferSize;
        if (hid_write(device_, report.data(), report.size()) < 0) {
            library_.NoteError(device_);
            return HidStatus::kTransferFailed;
        }
        return kHidSuccess;
    }

  private:
    HidapiLibrary& library_;
    hid_device* device_;
    std::string path_;
    std::string product_;
    ReportLengths lengths_;
    uint32_t getReportTimeoutMs_ = 0;
    uint32_t setReportTimeoutMs_ = 0;
};

HidStatus HidapiLibrary::Open(std::unique_ptr<HidDevice>& device, uint32_t deviceIndex,
                              uint16_t vendorId, uint16_t productId,
                              uint32_t /*inputBufferCount*/) {
    device.reset();
    // Indexes refer to the attached devices as they are now.
    Enumerate(vendorId, productId);
    if (deviceIndex >= devices_.size()) return HidStatus::kDeviceNotFound;
    const Device& d = devices_[deviceIndex];
    errno = 0;
    hid_device* opened = hid_open_path(d.path.c_str());
    if (!opened) {
        const int savedErrno = errno;
        NoteError(nullptr);
        return OpenFailureStatus(savedErrno, d.path.c_str());
    }
    device =
        std::make_unique<OpenDevice>(*this, opened, d.path, d.product, ReadReportLengths(d.path));
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

}  // namespace qx
