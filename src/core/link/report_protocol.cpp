#include "report_protocol.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "wire_order.h"

namespace qx {
namespace {

constexpr size_t kPageBytes = 59;
constexpr uint8_t kReportClock = 1;
constexpr uint8_t kReportWriteParams = 2;
constexpr uint8_t kReportStop = 3;
constexpr uint8_t kReportBlockRequest = 4;
constexpr uint8_t kReportStatus = 5;
constexpr uint8_t kReportSetParams = 6;
constexpr uint8_t kReportRecordedParams = 7;
constexpr uint8_t kReportBlock = 8;

}  // namespace

ReportProtocol::ReportProtocol(InstrumentLink& link, UtcClock clock)
    : link_(link), clock_(std::move(clock)) {}

namespace {

size_t InputLength(HidDevice& device) {
    return std::min<size_t>(device.InputReportLength(), kReportBufferSize);
}

}  // namespace

HidDevice* ReportProtocol::Open() {
    HidDevice* device = link_.OpenDevice();
    if (!device) Fail();
    return device;
}

bool ReportProtocol::Fail() {
    link_.Close();
    return false;
}

bool ReportProtocol::GetInput(HidDevice& device, Buffer& buffer, uint8_t id) {
    buffer.fill(0);
    buffer[0] = id;
    const std::span<uint8_t> report(buffer.data(), InputLength(device));
    if (!HidOk(device.GetInputReport(report))) return Fail();
    return true;
}

bool ReportProtocol::SendShort(HidDevice& device, Buffer& buffer) {
    const std::span<const uint8_t> report(buffer.data(), InputLength(device));
    if (!HidOk(device.SendOutputReport(report))) return Fail();
    return true;
}

bool ReportProtocol::SendCommand(HidDevice& device, Buffer& buffer) {
    const size_t length = device.OutputReportLength();
    HidStatus status;
    if (length <= buffer.size()) {
        status = device.SendOutputReport(std::span(buffer.data(), length));
    } else {
        // A device whose output reports are longer than the buffer gets its full length,
        // zero-filled after the command bytes.
        std::vector<uint8_t> wide(length, 0);
        std::memcpy(wide.data(), buffer.data(), buffer.size());
        status = device.SendOutputReport(wide);
    }
    if (!HidOk(status)) return Fail();
    return true;
}

uint32_t ReportProtocol::InstrumentNow() const {
    const InstrumentState& state = link_.State();
    int64_t t = clock_();
    if (Model(state.type).clockCountsLocalTime) t -= 60 * int64_t{state.timeZoneBias};
    return static_cast<uint32_t>(t);
}

bool ReportProtocol::ReadStatus() {
    HidDevice* device = Open();
    if (!device) return false;
    Buffer buffer;
    if (!GetInput(*device, buffer, kReportStatus)) return false;
    InstrumentState& state = link_.State();
    std::memcpy(state.live.bytes.data(), buffer.data() + 1, LiveStatus::kSize);
    SwapLiveStatusFields(state.live, state.type);
    state.liveValid = true;
    if (statusHook_) statusHook_();
    return true;
}

bool ReportProtocol::ReadParamBlock(ParamSource source, ParamBlock& out) {
    HidDevice* device = Open();
    if (!device) return false;
    Buffer buffer;
    if (source == ParamSource::kStopAndRead) {
        buffer.fill(0);
        buffer[0] = kReportStop;
        buffer[1] = 0;
        if (!SendCommand(*device, buffer)) return false;
    }
    const uint8_t id = source == ParamSource::kSetParams ? kReportSetParams : kReportRecordedParams;
    std::array<uint8_t, 2 * kPageBytes> pages{};
    for (uint8_t page = 0; page < 2; ++page) {
        bool accepted = false;
        for (int attempt = 0; attempt < kAttempts && !accepted; ++attempt) {
            if (!GetInput(*device, buffer, id)) return false;
            if (buffer[1] != page) continue;  // another page: read again, no new request
            std::memcpy(pages.data() + page * kPageBytes, buffer.data() + 2, kPageBytes);
            accepted = true;
        }
        if (!accepted) return Fail();
    }
    std::memcpy(out.bytes.data(), pages.data(), ParamBlock::kSize);
    SwapParamBlockForRead(out, link_.State().type);
    return true;
}

bool ReportProtocol::WriteParamBlock(ParamBlock& block) {
    HidDevice* device = Open();
    if (!device) return false;
    block.SetU32(param::kSetTime, InstrumentNow());
    ParamBlock wire = block;
    SwapParamBlockForWrite(wire, link_.State().type);
    std::array<uint8_t, 2 * kPageBytes> pages{};
    std::memcpy(pages.data(), wire.bytes.data(), ParamBlock::kSize);
    Buffer buffer;
    for (uint8_t page = 0; page < 2; ++page) {
        buffer.fill(0);
        buffer[0] = kReportWriteParams;
        buffer[1] = page;
        std::memcpy(buffer.data() + 2, pages.data() + page * kPageBytes, kPageBytes);
        if (!SendShort(*device, buffer)) return false;
    }
    return true;
}

bool ReportProtocol::SetClock() {
    HidDevice* device = Open();
    if (!device) return false;
    const InstrumentState& state = link_.State();
    Buffer buffer;
    buffer.fill(0);
    buffer[0] = kReportClock;
    PutBigEndian32(buffer.data() + 1, InstrumentNow());
    if (Model(state.type).clockReportCarriesBias) {
        PutBigEndian16(buffer.data() + 5, static_cast<uint16_t>(state.timeZoneBias));
    }
    return SendShort(*device, buffer);
}

bool ReportProtocol::ReadBlock(uint16_t index, SampleBlock& out) {
    HidDevice* device = Open();
    if (!device) return false;
    Buffer buffer;
    buffer.fill(0);
    buffer[0] = kReportBlockRequest;
    buffer[1] = static_cast<uint8_t>(index >> 8);
    buffer[2] = static_cast<uint8_t>(index);
    if (!SendCommand(*device, buffer)) return false;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        if (!GetInput(*device, buffer, kReportBlock)) return false;
        const auto first = buffer.begin() + 1;
        const bool notReady =
            std::all_of(first, first + kSampleBlockBytes, [](uint8_t b) { return b == 0xFF; });
        if (notReady) continue;  // read again, no new request
        std::copy(first, first + kSampleBlockBytes, out.begin());
        return true;
    }
    return Fail();
}

}  // namespace qx
