// Report lengths from a HID report descriptor.
//
// hidapi has no call for a device's report lengths, so the hidapi backend reads the report
// descriptor (on Linux from sysfs) and walks its items here. Every Input and Output main item
// adds Report Size x Report Count bits to the report of the Report ID in force; Push and Pop
// save and restore those global values. A report's length is its bits rounded up to bytes;
// the buffer length of a direction is its largest report plus one byte for the report id
// (byte 0 of every report buffer, 0 when the device uses no report ids). A direction without
// any report has the length 0.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace qx {

struct ReportLengths {
    uint16_t input = 0;   // largest input report + 1, at most 65535
    uint16_t output = 0;  // largest output report + 1, at most 65535
};

// nullopt when the descriptor is empty or an item runs past its end.
std::optional<ReportLengths> ParseReportDescriptor(std::span<const uint8_t> descriptor);

}  // namespace qx
