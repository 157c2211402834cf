// Instrument replies from the fuzzer: a device whose report descriptor and every input
// report come from the input. Runs the status read and its texts, both parameter reads and
// their texts, and a download, which must stay inside their buffers whatever arrives.
//
// Input: byte 0 = model, byte 1 = descriptor length L, L descriptor bytes, then the replies,
// consumed in order, each as long as the host asks for; the device fails once they run out.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <span>

#include "core/link/live_status_texts.h"
#include "core/link/record_download.h"
#include "core/link/report_descriptor.h"
#include "core/link/report_protocol.h"
#include "core/model/param_block.h"
#include "core/model/param_list_rows.h"

namespace {

// The open device: its report lengths from the descriptor, its input reports from the input.
class ScriptedDevice final : public qx::HidDevice {
  public:
    ScriptedDevice(std::span<const uint8_t> descriptor, std::span<const uint8_t>& replies)
        : lengths_(qx::ParseReportDescriptor(descriptor).value_or(qx::ReportLengths{})),
          replies_(replies) {}

    qx::HidStatus GetString(qx::HidStringType, qx::HidStringBuffer& out) override {
        qx::SetHidBufferText(out, "/dev/hidraw0");
        return qx::kHidSuccess;
    }
    void SetTimeouts(uint32_t, uint32_t) override {}
    uint16_t InputReportLength() override { return lengths_.input; }
    uint16_t OutputReportLength() override { return lengths_.output; }
    qx::HidStatus GetInputReport(std::span<uint8_t> report) override {
        if (report.empty() || replies_.empty()) return qx::HidStatus::kTransferFailed;
        const size_t n = std::min(report.size(), replies_.size());
        std::memcpy(report.data(), replies_.data(), n);
        replies_ = replies_.subspan(n);
        return qx::kHidSuccess;
    }
    qx::HidStatus SendOutputReport(std::span<const uint8_t> r) override {
        volatile uint8_t sink = 0;
        for (uint8_t b : r)
            sink = static_cast<uint8_t>(sink ^ b);  // every byte must be readable
        return replies_.empty() ? qx::HidStatus::kTransferFailed : qx::kHidSuccess;
    }

  private:
    qx::ReportLengths lengths_;
    std::span<const uint8_t>& replies_;  // shared by every opening of the device
};

// One attached instrument "QX" whose every opening serves the remaining replies.
class ScriptedLibrary final : public qx::HidLibrary {
  public:
    ScriptedLibrary(std::span<const uint8_t> descriptor, std::span<const uint8_t> replies)
        : descriptor_(descriptor), replies_(replies) {}

    uint32_t GetNumHidDevices(uint16_t, uint16_t) override { return 1; }
    qx::HidStatus GetHidString(uint32_t, uint16_t, uint16_t, qx::HidStringType,
                               qx::HidStringBuffer& out) override {
        qx::SetHidBufferText(out, "QX");
        return qx::kHidSuccess;
    }
    qx::HidStatus Open(std::unique_ptr<qx::HidDevice>& device, uint32_t, uint16_t, uint16_t,
                       uint32_t) override {
        device = std::make_unique<ScriptedDevice>(descriptor_, replies_);
        return qx::kHidSuccess;
    }

  private:
    std::span<const uint8_t> descriptor_;
    std::span<const uint8_t> replies_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const int type = data[0] % 13;
    const size_t descriptorLength = std::min<size_t>(data[1], size - 2);
    const std::span<const uint8_t> input(data, size);
    ScriptedLibrary device(input.subspan(2, descriptorLength), input.subspan(2 + descriptorLength));

    qx::InstrumentState state;
    qx::InstrumentLink link(device, state, [](int) {});
    qx::ReportProtocol protocol(link, [] { return int64_t{0x58C2A500}; });
    if (!link.Connect(nullptr)) return 0;
    state.type = type;

    if (protocol.ReadStatus()) {
        const qx::LiveStatusTexts texts = qx::MakeLiveStatusTexts(state.live, type);
        (void)texts;
    }
    qx::ParamBlock block;
    for (auto source : {qx::ParamSource::kSetParams, qx::ParamSource::kRecordedParams}) {
        if (!protocol.ReadParamBlock(source, block)) continue;
        const qx::ParamTexts texts = qx::MakeParamTexts(block, type);
        (void)qx::ParamListRows(type, &texts);
    }
    auto image = std::make_unique<qx::RecordImage>();
    (void)qx::DownloadRecord(protocol, *image, {});
    return 0;
}
