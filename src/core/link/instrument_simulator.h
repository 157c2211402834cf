// A simulated instrument of any of the eleven models, answering reports 1 to 8 byte for byte
// as a real one does: a running clock (UTC, or local time for 2, 7, 8, 11), both parameter
// blocks, the recording state and a stored recording of days of plausible readings, packed as
// the record layouts and sent with the model's byte order. It keeps the true values of every
// sample it recorded so that round trips can be checked against them. On request it injects
// faults: a failed transfer at a chosen call, parameter pages with the wrong page number, "not
// ready" sample replies (all 0xFF), unplugging at a chosen call, refusing access, storing a
// parameter field otherwise than it was written.
//
// Samples are not stored: sample i of a recording is a pure function of the recording's start,
// its interval and i (see simulated_environment.h), so any stretch can be produced at once.
// Model 2 records cyclically when its record count setting is 0xFFFF: its memory holds 21378
// samples (509 pages of 42); once full, the wrap count rises and the stored count starts
// again, and a download yields the 21336 + c' newest samples (c' = ((c - 1) mod 42) + 1).
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/model/instrument_catalogue.h"
#include "core/model/param_block.h"
#include "instrument_state.h"
#include "live_status.h"
#include "simulation_scenario.h"

namespace qx {

// One recorded sample as decoding the record yields it: ch0..ch6 of a decoded row (flow, ch5,
// is computed by decoding and stays 0 here), and its time stamp as the record's time rule
// gives it (UTC seconds).
struct TrueSample {
    int64_t time = 0;
    std::array<float, 7> ch{};
};

// How a recording is set up by StartRecording.
struct RecordingPlan {
    uint32_t samples = 0;       // samples taken so far (model 2 cyclic: may exceed memory)
    uint8_t intervalValue = 5;  // record interval
    uint8_t intervalUnit = 1;   // 0 seconds, 1 minutes, 2 hours
    uint16_t countSetting = 0;  // record count setting; 0 = the model's maximum
    bool running = true;        // still recording (new samples arrive as the clock runs)
};

class InstrumentSimulator {
  public:
    static constexpr uint32_t kCyclicMemory = 21378;  // model 2: 509 pages of 42 samples

    // A model 1..11 (any other number plays an unrecognised instrument of the family) with
    // realistic settings and a running recording of three days at 5-minute intervals.
    // clock gives the host's UTC time; serial tells several instruments of a model apart.
    explicit InstrumentSimulator(InstrumentTypeId type, UtcClock clock = SystemUtcNow,
                                 uint32_t serial = 1);

    // ---- Identity on the bus ---------------------------------------------------------------
    InstrumentTypeId Type() const { return type_; }
    const std::string& ProductString() const { return product_; }
    void SetProductString(std::string product) { product_ = std::move(product); }
    const std::string& DevicePath() const { return path_; }
    void SetDevicePath(std::string path) { path_ = std::move(path); }
    // Report buffer lengths including the id byte (default 64 and 64) and the report
    // descriptor that declares them.
    void SetReportLengths(uint16_t input, uint16_t output);
    uint16_t InputReportLength() const { return inputLength_; }
    uint16_t OutputReportLength() const { return outputLength_; }
    std::vector<uint8_t> ReportDescriptor() const;

    // ---- Plugging and access ---------------------------------------------------------------
    bool Plugged() const;
    void Unplug() { plugged_ = false; }
    void Replug();
    // Counts replugs: a handle opened before a replug stays dead.
    uint32_t PlugGeneration() const { return plugGeneration_; }
    bool AccessDenied() const { return accessDenied_; }
    void SetAccessDenied(bool denied) { accessDenied_ = denied; }
    // The host opened the device: parameter page replies start again with page 0.
    void OnOpened();

    // ---- Transfers: byte 0 = report id; false = the transfer failed ------------------------
    bool WriteReport(std::span<const uint8_t> report);
    // Fills at most InputReportLength() bytes of the buffer with the reply to the report id in
    // byte 0 (the id again in byte 0).
    bool ReadReport(std::span<uint8_t> report);

    // ---- Faults ----------------------------------------------------------------------------
    // Transfer n from now (1 = the next) fails.
    void FailTransfer(uint32_t n);
    // The device is unplugged at transfer n from now; that transfer fails.
    void UnplugAtTransfer(uint32_t n);
    // The next count parameter page replies carry the other page number.
    void SendWrongPages(int count) { wrongPages_ = count; }
    // The next count sample block replies are all 0xFF.
    void SendNotReady(int count) { notReady_ = count; }
    // The next parameter block written is stored with its field of `width` bytes (1 or 2,
    // host order) at `offset` one step above what was sent, as a faulty instrument might.
    void MisstoreNextWrite(size_t offset, size_t width = 2) {
        misstoreOffset_ = offset;
        misstoreWidth_ = width;
    }
    uint32_t TransferCount() const { return transfers_; }

    // What the host sent and asked for, in order (output reports as received, full length;
    // ids of the input reports read).
    const std::vector<std::vector<uint8_t>>& WrittenReports() const { return written_; }
    const std::vector<uint8_t>& ReadReportIds() const { return readIds_; }
    void ClearLog();

    // ---- Instrument state ------------------------------------------------------------------
    // The instrument clock as the status reports it.
    uint32_t Clock();
    // Seconds the instrument clock runs ahead of the true time (a fresh simulator: 97 s).
    void SetClockError(int64_t seconds);
    int64_t ClockError() const;
    // The time-zone bias received with the last clock report (7, 8, 11); the PC's at start.
    int16_t TimeZoneBias() const { return bias_; }
    const ParamBlock& SetParams();
    const ParamBlock& RecordedParams();
    // Replaces the settings as if the host had written them (host order); starts nothing.
    void SetSetParams(const ParamBlock& block);
    bool HasSetParams() const { return hasSetParams_; }
    // A new instrument without settings (status byte 19 = 0).
    void SetHasSetParams(bool has) { hasSetParams_ = has; }
    LiveStatus Status();
    bool Recording();
    // The live humidity held at this value (percent) instead of the room's, until cleared; 0
    // gives a dew point without a value.
    void HoldHumidity(std::optional<double> percent) { heldHumidity_ = percent; }
    // Live readings and the recording follow the scenario from `start` (host UTC): its values
    // replace the room's, and it unplugs and plugs the instrument.
    void FollowScenario(std::shared_ptr<const SimulationScenario> scenario, int64_t start) {
        scenario_ = std::move(scenario);
        scenarioStart_ = start;
    }
    // Status byte 21: model 2 shows " EXT" after its clock while it is set.
    void SetExternalFlag(uint8_t flag) { external_ = flag; }

    // A recording made with the current settings (interval and count setting of the plan),
    // written an hour before its first sample.
    void StartRecording(const RecordingPlan& plan);
    // Forgets the stored recording (status byte 19 bit 1 clear).
    void ClearRecording();
    // The instrument's button: starts a recording waiting for a manual start.
    void PressButton();

    // ---- The stored recording --------------------------------------------------------------
    // Samples a download yields (the effective record count of the recorded block).
    uint32_t DownloadableCount();
    // Sample k of a download (k < DownloadableCount()): true values and packed bytes.
    TrueSample DownloadSample(uint32_t k);
    std::vector<TrueSample> TrueSamples();
    std::vector<uint8_t> PackedSamples();

  private:
    struct RecordingState {
        bool exists = false;
        bool running = false;
        bool waitingForButton = false;
        int64_t start = 0;        // instrument clock (internal) at sample 0
        uint32_t interval = 300;  // seconds
        uint32_t limit = 0;       // samples after which the recording stops; 0 = cyclic
        uint64_t taken = 0;       // samples taken so far
        uint64_t scanned = 0;     // samples whose alarms were looked at
    };

    int64_t Internal() const;  // instrument clock in its own convention
    uint32_t SampleLimit() const;
    void Advance();
    void UpdateRecordedBookkeeping();
    void ScanAlarms(uint64_t from, uint64_t to);
    uint64_t FirstDownloadIndex();
    TrueSample SampleAt(uint64_t index, uint8_t* packed) const;
    void ApplyWrittenBlock();
    void BeginRecording(int64_t start);
    bool HandleClockReport(std::span<const uint8_t> report);
    void FillStatusReply(std::span<uint8_t> reply);
    bool FillPageReply(uint8_t id, std::span<uint8_t> reply);
    void FillBlockReply(std::span<uint8_t> reply);
    bool CountTransfer();

    InstrumentTypeId type_;
    UtcClock clock_;
    uint32_t seed_;
    std::string product_;
    std::string path_;
    uint16_t inputLength_ = 64;
    uint16_t outputLength_ = 64;
    bool plugged_ = true;
    uint32_t plugGeneration_ = 0;
    bool accessDenied_ = false;

    int16_t pcBias_ = 0;       // the host's zone, for the readings' daily cycle
    int16_t bias_ = 0;         // bias the instrument shows its clock with (7, 8, 11)
    int64_t clockOffset_ = 0;  // internal clock minus host UTC

    ParamBlock setParams_;
    ParamBlock recordedParams_;
    bool hasSetParams_ = true;
    std::optional<double> heldHumidity_;
    std::shared_ptr<const SimulationScenario> scenario_;
    int64_t scenarioStart_ = 0;
    // The room at a host UTC time, as the scenario has it.
    EnvironmentReading Environment(int64_t utc) const;
    uint8_t external_ = 0;
    RecordingState rec_;

    std::array<uint8_t, 118> pageIn_{};
    uint8_t pagesIn_ = 0;  // bit p: page p received
    std::array<uint8_t, 9> nextPage_{};
    uint16_t requestedBlock_ = 0;

    uint32_t transfers_ = 0;
    uint32_t failAt_ = 0;
    uint32_t unplugAt_ = 0;
    int wrongPages_ = 0;
    int notReady_ = 0;
    size_t misstoreOffset_ = 0;
    size_t misstoreWidth_ = 0;  // 0: none
    std::vector<std::vector<uint8_t>> written_;
    std::vector<uint8_t> readIds_;
};

}  // namespace qx
