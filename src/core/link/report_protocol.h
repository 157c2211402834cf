// The instrument's report protocol: numbered HID reports that read the live status, read and
// write the parameter block in two pages, set the clock, stop a recording and fetch the
// recorded samples block by block.
//
//   id dir   operation                 layout (byte: content)
//   1  out   SetClock                  1-4 time BE; 5-6 time-zone bias BE (7, 8, 11)
//   2  out   WriteParamBlock, twice    1 page 0/1; 2-60 59 bytes of the block
//   3  out   stop recording            1: 0
//   4  out   ReadBlock request         1-2 block index BE
//   5  in    ReadStatus                1-31 LiveStatus (wire order)
//   6  in    read SetParams, twice     1 page; 2-60 page bytes
//   7  in    read RecordedParams       as 6
//   8  in    ReadBlock reply           1-60 samples; all 0xFF = not ready
//
// Every exchange first has the link open the chosen instrument and then talks only to that
// open device (HidDevice). A failed open fails the exchange as a failed transfer does: the
// link is closed (the instrument stays chosen, so the next exchange opens it again) and the
// exchange returns false without sending anything. Exchanges show nothing: the commands that
// call them decide what the user sees.
//
// Lengths: every report buffer is 256 bytes, zeroed before each transfer. Input reports and
// output reports 1 and 2 pass the library's input report length capped at 256. Output reports
// 3 and 4 pass the output report length as it is; when it exceeds 256 they are sent from a
// zero-filled buffer of that length, so the device still gets the report length it declares
// and nothing is read beyond a buffer.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <span>

#include "instrument_link.h"
#include "instrument_state.h"

namespace qx {

enum class ParamSource {
    kSetParams,       // report 6
    kRecordedParams,  // report 7
    kStopAndRead,     // report 3 (stop recording), then report 7
};

inline constexpr size_t kReportBufferSize = 256;
inline constexpr size_t kSampleBlockBytes = 60;
using SampleBlock = std::array<uint8_t, kSampleBlockBytes>;

class ReportProtocol {
  public:
    static constexpr int kAttempts = 4;  // replies per page or block before giving up

    // clock gives "now" (UTC seconds) for set times and the clock report.
    ReportProtocol(InstrumentLink& link, UtcClock clock = SystemUtcNow);

    // Called synchronously after every successful status read (the device panel's redraw).
    void SetStatusHook(std::function<void()> hook) { statusHook_ = std::move(hook); }

    // Report 5 into state.live, converted to host order for the current type; on success sets
    // state.liveValid and runs the status hook before returning.
    bool ReadStatus();
    // Fills out (host order) from the instrument. kStopAndRead first stops the recording.
    bool ReadParamBlock(ParamSource source, ParamBlock& out);
    // Stamps the block's set time with now (model 2: the instrument's local time) and sends
    // it; the caller's block keeps host order and gets the stamp.
    bool WriteParamBlock(ParamBlock& block);
    // Sets the instrument clock to now (model 2: local time; 7, 8, 11 also get the bias).
    bool SetClock();
    // Fetches sample block `index` (60 bytes; the first SamplesPerBlock x BytesPerSample of
    // them are samples).
    bool ReadBlock(uint16_t index, SampleBlock& out);

    int64_t Now() const { return clock_(); }
    InstrumentLink& Link() { return link_; }

  private:
    using Buffer = std::array<uint8_t, kReportBufferSize>;
    // The open device for an exchange; nullptr (and the link closed) when it cannot be opened.
    HidDevice* Open();
    bool GetInput(HidDevice& device, Buffer& buffer, uint8_t id);
    bool SendShort(HidDevice& device, Buffer& buffer);    // reports 1 and 2: input length, capped
    bool SendCommand(HidDevice& device, Buffer& buffer);  // reports 3 and 4: output length
    bool Fail();
    uint32_t InstrumentNow() const;

    InstrumentLink& link_;
    UtcClock clock_;
    std::function<void()> statusHook_;
};

}  // namespace qx
