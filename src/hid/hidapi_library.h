// The HID access layer over hidapi (hidraw backend on Linux), for real instruments.
//
// - Enumeration: hid_enumerate by vendor and product id. hidraw can list one device once per
//   usage pair with the same path, so the list is de-duplicated by path; device indexes refer
//   to the latest list. Product strings come from the enumeration (read from sysfs, without
//   opening the device) and become 8-bit text, characters above 0xFF as '?'.
// - Open: hid_open_path on the path of the index. A device node the user may not open
//   (EACCES/EPERM) gives kAccessDenied, so that the program can say what to do (install the
//   udev rule of README.md) instead of reporting no instrument. hidapi has no input buffer
//   count: the hint is ignored.
// - Report lengths: hidapi 0.13 has no call for them. They come from the device's report
//   descriptor, read from <sysfs>/hidrawN/device/report_descriptor (N from /dev/hidrawN) and
//   walked by ParseReportDescriptor: each direction's largest report plus the id byte. When
//   the descriptor cannot be read both lengths are 0, and every transfer then fails.
// - Transfers: input reports by hid_get_input_report (a GET_REPORT control transfer,
//   HIDIOCGINPUT), output reports by hid_write (interrupt OUT when the device has that
//   endpoint, else SET_REPORT). Byte 0 is the report id for both.
// - Timeouts: hidapi offers no timeout for these two calls. The kernel bounds each control
//   transfer and each interrupt OUT write by its own USB timeout (5 s for usbhid), so the
//   set-report timeout of 1000 ms cannot be honoured more tightly: a silent device fails a
//   transfer after about 5 s instead of 1 s. HidDevice::SetTimeouts records the values only.
// - Every device it opened must be destroyed before the library (which ends hidapi).
#pragma once

#include <string>
#include <vector>

#include "core/link/hid_library.h"
#include "core/link/report_descriptor.h"

struct hid_device_;

namespace qx {

class HidapiLibrary final : public HidLibrary {
  public:
    // sysfsHidrawRoot: the sysfs folder of the hidraw class; tests point it at a copy.
    explicit HidapiLibrary(std::string sysfsHidrawRoot = "/sys/class/hidraw");
    ~HidapiLibrary() override;
    HidapiLibrary(const HidapiLibrary&) = delete;
    HidapiLibrary& operator=(const HidapiLibrary&) = delete;

    // hidapi's text for the last failure (open or transfer), for diagnostics.
    const std::string& LastError() const { return lastError_; }

    uint32_t GetNumHidDevices(uint16_t vendorId, uint16_t productId) override;
    HidStatus GetHidString(uint32_t deviceIndex, uint16_t vendorId, uint16_t productId,
                           HidStringType type, HidStringBuffer& out) override;
    HidStatus Open(std::unique_ptr<HidDevice>& device, uint32_t deviceIndex, uint16_t vendorId,
                   uint16_t productId, uint32_t inputBufferCount) override;

  private:
    struct Device {
        std::string path;
        std::string product;
    };
    class OpenDevice;

    void Enumerate(uint16_t vendorId, uint16_t productId);
    ReportLengths ReadReportLengths(const std::string& devicePath) const;
    void NoteError(hid_device_* device);

    std::string sysfsRoot_;
    std::vector<Device> devices_;
    std::string lastError_;
};

}  // namespace qx
