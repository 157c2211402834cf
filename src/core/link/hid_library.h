// The HID access layer: every byte exchanged with an instrument passes through a HidLibrary
// (enumeration and opening) and the HidDevice it opened (the reports of one open instrument).
// Two backends implement both: HidapiLibrary (qxhid, real instruments through hidapi/hidraw)
// and SimulatedHidLibrary (simulated instruments, for tests, --simulate and screenshots).
//
// Transport contract
// - Status: kHidSuccess (0) means success, every other value failure. Callers test only
//   "zero or not"; the other values say why, for messages (kHidAccessDenied above all).
// - Devices are addressed by their index in the latest enumeration (GetNumHidDevices), which
//   counts the attached devices with the given vendor and product id.
// - Opening yields a HidDevice; destroying it closes the device. It stays usable until then,
//   even when its device is unplugged: its transfers then fail. A HidDevice must be destroyed
//   before the library that opened it.
// - Strings are 8-bit text (one byte per character; characters above 0xFF become '?'),
//   NUL-terminated inside a buffer of kHidStringSize (260) bytes: at most 259 characters.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace qx {

enum class HidStatus : uint8_t {
    kSuccess = 0x00,
    kDeviceNotFound = 0x01,   // no device at that index (or it vanished)
    kDeviceNotOpened = 0x02,  // the device is no longer there (unplugged)
    kAccessDenied = 0x03,     // the device is there but the user may not open it (EACCES)
    kTransferTimeout = 0x04,
    kTransferFailed = 0x05,
    kInvalidBufferSize = 0x06,
    kUnknownError = 0xFF,
};
inline constexpr HidStatus kHidSuccess = HidStatus::kSuccess;
inline bool HidOk(HidStatus s) {
    return s == HidStatus::kSuccess;
}

// String types of GetHidString / GetString.
enum class HidStringType : uint8_t {
    kDevicePath = 3,
    kProduct = 6,
};

inline constexpr size_t kHidStringSize = 260;
using HidStringBuffer = std::array<char, kHidStringSize>;

// The text of a string buffer: the bytes up to the first NUL, at most kHidStringSize of them
// (a buffer that a backend left unterminated still ends at its last byte).
std::string HidBufferText(const HidStringBuffer& buffer);
// Copies text into a buffer, truncated to kHidStringSize - 1 bytes and NUL-terminated.
void SetHidBufferText(HidStringBuffer& buffer, std::string_view text);

// Identity of the instrument family on the bus.
inline constexpr uint16_t kInstrumentVendorId = 4292;    // 0x10C4
inline constexpr uint16_t kInstrumentProductId = 33485;  // 0x82CD

// One open instrument: its reports and their lengths.
class HidDevice {
  public:
    // Closes the device.
    virtual ~HidDevice() = default;

    // A string of the device (kDevicePath: the path it was opened by; kProduct: its product
    // string). On failure the buffer holds an empty string.
    virtual HidStatus GetString(HidStringType type, HidStringBuffer& out) = 0;
    // Timeouts in ms of GetInputReport and SendOutputReport (0 = the backend's default).
    // Backends that cannot honour them document what they do instead.
    virtual void SetTimeouts(uint32_t getReportMs, uint32_t setReportMs) = 0;
    // The device's largest input and output report plus the id byte, 0 when unknown.
    virtual uint16_t InputReportLength() = 0;
    virtual uint16_t OutputReportLength() = 0;
    // Asks the device for the input report whose id is in byte 0 of `report` (a GET_REPORT
    // control transfer) and overwrites the buffer with the reply, id again in byte 0. The
    // span's size is the length asked for; a reply shorter than the buffer leaves the
    // remaining bytes as they were. A transfer that times out or whose device is gone fails
    // (kTransferTimeout, kTransferFailed, kDeviceNotOpened) and leaves the buffer's contents
    // unspecified; an empty buffer is refused with kInvalidBufferSize.
    virtual HidStatus GetInputReport(std::span<uint8_t> report) = 0;
    // Sends the whole buffer as one output report, id in byte 0 (an interrupt OUT transfer).
    // Failures as for GetInputReport.
    virtual HidStatus SendOutputReport(std::span<const uint8_t> report) = 0;
};

class HidLibrary {
  public:
    virtual ~HidLibrary() = default;

    // Enumerates the devices with these ids; the indexes of the other calls refer to it.
    virtual uint32_t GetNumHidDevices(uint16_t vendorId, uint16_t productId) = 0;
    // The product string (kProduct) or device path (kDevicePath) of a device, without opening
    // it. On failure the buffer holds an empty string.
    virtual HidStatus GetHidString(uint32_t deviceIndex, uint16_t vendorId, uint16_t productId,
                                   HidStringType type, HidStringBuffer& out) = 0;
    // Opens device deviceIndex. On success `device` holds the open device; on failure it is
    // left empty and the status says why (kDeviceNotFound, kAccessDenied, ...).
    // inputBufferCount is the number of input reports the library may queue (a hint; backends
    // without queues ignore it).
    virtual HidStatus Open(std::unique_ptr<HidDevice>& device, uint32_t deviceIndex,
                           uint16_t vendorId, uint16_t productId, uint32_t inputBufferCount) = 0;
};

}  // namespace qx
