// The HID access layer over simulated instruments: a bus on which InstrumentSimulators are
// plugged, enumerated in the order they were added (unplugged ones are skipped), opened by
// index and exchanged with through their reports. Each gets the device path /dev/hidrawN by
// its slot unless it brings its own. Report lengths come from each simulator's report
// descriptor, parsed as the hidapi backend parses a real one.
#pragma once

#include <map>
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
    // The timeouts last set on any handle (ms).
    uint32_t GetReportTimeout() const { return getTimeout_; }
    uint32_t SetReportTimeout() const { return setTimeout_; }
    size_t OpenHandles() const { return open_.size(); }

    uint32_t GetNumHidDevices(uint16_t vendorId, uint16_t productId) override;
    HidStatus GetHidString(uint32_t deviceIndex, uint16_t vendorId, uint16_t productId,
                           HidStringType type, HidStringBuffer& out) override;
    HidStatus Open(HidHandle& handle, uint32_t deviceIndex, uint16_t vendorId, uint16_t productId,
                   uint32_t inputBufferCount) override;
    HidStatus GetString(HidHandle handle, HidStringType type, HidStringBuffer& out) override;
    void SetTimeouts(HidHandle handle, uint32_t getReportMs, uint32_t setReportMs) override;
    bool IsOpened(HidHandle handle) override;
    uint16_t GetInputReportBufferLength(HidHandle handle) override;
    uint16_t GetOutputReportBufferLength(HidHandle handle) override;
    HidStatus GetInputReportControl(HidHandle handle, std::span<uint8_t> report) override;
    HidStatus SetOutputReportInterrupt(HidHandle handle, std::span<const uint8_t> report) override;
    void Close(HidHandle handle) override;

  private:
    struct Session {
        InstrumentSimulator* sim;
        uint32_t generation;  // plug generation at open
        ReportLengths lengths;
    };
    std::vector<InstrumentSimulator*> Attached(uint16_t vendorId, uint16_t productId) const;
    // The session of a handle whose device is still there, else nullptr.
    Session* Live(HidHandle handle);

    UtcClock clock_;
    std::vector<std::unique_ptr<InstrumentSimulator>> sims_;
    std::map<HidHandle, Session> open_;
    HidHandle nextHandle_ = 1;
    uint32_t getTimeout_ = 0;
    uint32_t setTimeout_ = 0;
};

}  // namespace qx
