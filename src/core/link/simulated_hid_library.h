// The HID access layer over simulated instruments: a bus on which InstrumentSimulators are
// plugged, enumerated in the order they were added (unplugged ones are skipped), opened by
// index into a HidDevice that exchanges reports with the simulator. Each gets the device path
// /dev/hidrawN by its slot unless it brings its own. Report lengths come from each simulator's
// report descriptor, parsed as the hidapi backend parses a real one.
#pragma once

#include <memory>
#include <vector>

#include "hid_library.h"
#include "instrument_simulator.h"
#include "report_descriptor.h"

namespace qx {

class SimulatedHidLibrary final : public HidLibrary {
  public:
    explicit SimulatedHidLibrary(UtcClock clock = SystemUtcNow);

    // Plugs a new simulated instrument in and returns it (it lives as long as the library).
    InstrumentSimulator& Add(InstrumentTypeId type);
    InstrumentSimulator& Add(std::unique_ptr<InstrumentSimulator> simulator);
    size_t Count() const { return sims_.size(); }
    InstrumentSimulator& At(size_t slot) { return *sims_.at(slot); }
    // The timeouts last set on any of its devices (ms).
    uint32_t GetReportTimeout() const { return getTimeout_; }
    uint32_t SetReportTimeout() const { return setTimeout_; }
    // Devices opened and not yet destroyed.
    size_t OpenHandles() const { return openDevices_; }

    uint32_t GetNumHidDevices(uint16_t vendorId, uint16_t productId) override;
    HidStatus GetHidString(uint32_t deviceIndex, uint16_t vendorId, uint16_t productId,
                           HidStringType type, HidStringBuffer& out) override;
    HidStatus Open(std::unique_ptr<HidDevice>& device, uint32_t deviceIndex, uint16_t vendorId,
                   uint16_t productId, uint32_t inputBufferCount) override;

  private:
    class Device;
    std::vector<InstrumentSimulator*> Attached(uint16_t vendorId, uint16_t productId) const;

    UtcClock clock_;
    std::vector<std::unique_ptr<InstrumentSimulator>> sims_;
    size_t openDevices_ = 0;
    uint32_t getTimeout_ = 0;
    uint32_t setTimeout_ = 0;
};

}  // namespace qx
