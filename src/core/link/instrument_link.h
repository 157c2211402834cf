// The connection to the one chosen instrument: finds the attached instruments of the family,
// lets the caller choose one when there are several, recognises the model from the product
// string, opens the HID device on demand (the first exchange opens it), closes it after a
// failed transfer and follows plug and unplug notices. The link owns the open device
// (HidDevice); the report protocol exchanges through it.
//
// States: Idle (not connected) -> Chosen (connected, closed) -> Open (connected and opened).
// A failed transfer or unplugging returns to Chosen: the instrument stays chosen, and the
// next exchange opens it again.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "hid_library.h"
#include "instrument_state.h"

namespace qx {

// Why the last open of the chosen instrument failed. An instrument that enumerates but may
// not be opened (kAccessDenied) is a permission problem, never a missing instrument.
struct OpenFailure {
    HidStatus status = kHidSuccess;  // kSuccess: the last open succeeded (or none was tried)
    std::string devicePath;          // path of the device that could not be opened
};

// Chooses among several instruments: gets their product strings and the index to preselect
// (the last one); returns the chosen index, or -1 for Cancel / no selection.
using DeviceChooser = std::function<int(const std::vector<std::string>& names, int preselected)>;

enum class DeviceEvent { kArrival, kRemoval };
enum class DeviceChangeAction {
    kNone,       // not the chosen instrument, or nothing connected
    kReconnect,  // the chosen instrument came back: run the connect command
    kClosed,     // the chosen instrument went away: its handle was closed
};

class InstrumentLink {
  public:
    static constexpr uint32_t kInputBufferCount = 512;
    static constexpr uint32_t kGetReportTimeoutMs = 0;
    static constexpr uint32_t kSetReportTimeoutMs = 1000;
    static constexpr int kSettleDelayMs = 300;

    // sleep is used for the settle delay after opening; tests pass one that does not sleep.
    InstrumentLink(HidLibrary& hid, InstrumentState& state,
                   SleepFunction sleep = SleepMilliseconds);
    ~InstrumentLink();
    InstrumentLink(const InstrumentLink&) = delete;
    InstrumentLink& operator=(const InstrumentLink&) = delete;

    // Rebuilds the candidate lists from the attached devices whose product string begins
    // with "QX"; returns true.
    bool Enumerate();
    // Closes any open handle, enumerates and chooses (through choose when there are several),
    // recognises the model and sets state.type (0 first, and 0 when nothing is chosen).
    // Does not open the device. True when an instrument was chosen.
    bool Connect(const DeviceChooser& choose);
    // Opens the chosen device unless it is open, and returns it: reads its path, sets its
    // timeouts and waits the settle delay after a new open. nullptr when nothing is chosen or
    // the open failed; the state is then unchanged and LastOpenFailure() says why.
    HidDevice* OpenDevice();
    // OpenDevice() succeeded.
    bool EnsureOpen() { return OpenDevice() != nullptr; }
    // Closes the device if it is open; the instrument stays chosen.
    void Close();
    // Close, forget the chosen instrument, clear state.statusOk.
    void Disconnect();
    // A plug or unplug notice with the device path (compared ignoring letter case).
    DeviceChangeAction OnDeviceChange(DeviceEvent event, std::string_view devicePath);

    InstrumentState& State() { return state_; }
    bool Connected() const { return connected_; }
    bool Opened() const { return device_ != nullptr; }
    // The open device, nullptr while closed.
    HidDevice* Device() { return device_.get(); }
    const std::string& DevicePath() const { return devicePath_; }
    const std::vector<std::string>& CandidateNames() const { return candidateNames_; }
    const std::vector<uint32_t>& CandidateIndexes() const { return candidateIndexes_; }
    int ChosenIndex() const { return chosenIndex_; }
    const std::string& ChosenName() const { return chosenName_; }
    const OpenFailure& LastOpenFailure() const { return openFailure_; }

    // The device path of device index i without opening it ("" when unknown).
    std::string DevicePathOf(uint32_t deviceIndex);

  private:
    HidLibrary& hid_;
    InstrumentState& state_;
    SleepFunction sleep_;
    std::unique_ptr<HidDevice> device_;
    std::string devicePath_;
    std::vector<std::string> candidateNames_;
    std::vector<uint32_t> candidateIndexes_;
    int chosenIndex_ = -1;
    std::string chosenName_;
    bool connected_ = false;
    OpenFailure openFailure_;
};

}  // namespace qx
