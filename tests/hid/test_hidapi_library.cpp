// The hidapi backend against a double of the hidapi functions (fake_hidapi.cpp) serving
// simulated instruments, with the sysfs report descriptors written to a temporary folder.
#include "hid/hidapi_library.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>

#include "core/link/record_download.h"
#include "core/link/report_protocol.h"
#include "fake_hidapi.h"

namespace qx {
namespace {

namespace fs = std::filesystem;
constexpr int64_t kNow = 0x58C2A500;

class HidapiBackend : public testing::Test {
  protected:
    void SetUp() override {
        test::Fake() = test::FakeHidapi{};
        sysfs_ = fs::temp_directory_path() /
                 ("qx-sysfs-" + std::to_string(getpid()) + "-" +
                  testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(sysfs_);
    }
    void TearDown() override {
        test::Fake() = test::FakeHidapi{};
        fs::remove_all(sysfs_);
    }

    InstrumentSimulator& Attach(InstrumentTypeId type, bool writeDescriptor = true) {
        auto sim = std::make_unique<InstrumentSimulator>(type, [] { return kNow; });
        const std::string node = "hidraw" + std::to_string(sims_.size() + 3);
        sim->SetDevicePath("/dev/" + node);
        test::Fake().devices.push_back(sim.get());
        if (writeDescriptor) WriteDescriptor(*sim);
        sims_.push_back(std::move(sim));
        return *sims_.back();
    }
    void WriteDescriptor(const InstrumentSimulator& sim) {
        const fs::path dir = sysfs_ / fs::path(sim.DevicePath()).filename() / "device";
        fs::create_directories(dir);
        std::ofstream out(dir / "report_descriptor", std::ios::binary);
        const std::vector<uint8_t> d = sim.ReportDescriptor();
        out.write(reinterpret_cast<const char*>(d.data()), static_cast<std::streamsize>(d.size()));
    }

    fs::path sysfs_;
    std::vector<std::unique_ptr<InstrumentSimulator>> sims_;
};

TEST_F(HidapiBackend, EnumerationIsDeduplicatedByPath) {
    Attach(1);
    Attach(11);
    HidapiLibrary hid(sysfs_.string());
    EXPECT_EQ(hid.GetNumHidDevices(kInstrumentVendorId, kInstrumentProductId), 2u);
    EXPECT_EQ(hid.GetNumHidDevices(0x1234, kInstrumentProductId), 0u);
    HidStringBuffer buffer{};
    hid.GetNumHidDevices(kInstrumentVendorId, kInstrumentProductId);
    ASSERT_TRUE(HidOk(hid.GetHidString(1, kInstrumentVendorId, kInstrumentProductId,
                                       HidStringType::kProduct, buffer)));
    EXPECT_EQ(HidBufferText(buffer), "QX610-USB Data Logger");
    ASSERT_TRUE(HidOk(hid.GetHidString(1, kInstrumentVendorId, kInstrumentProductId,
                                       HidStringType::kDevicePath, buffer)));
    EXPECT_EQ(HidBufferText(buffer), "/dev/hidraw4");
    EXPECT_EQ(hid.GetHidString(2, kInstrumentVendorId, kInstrumentProductId,
                               HidStringType::kProduct, buffer),
              HidStatus::kDeviceNotFound);
    EXPECT_EQ(HidBufferText(buffer), "");
}

TEST_F(HidapiBackend, ProductStringsBecomeEightBitText) {
    Attach(4);
    Attach(1);
    test::Fake().wideProducts = {L"QX420B-\u00B0C \u6E29\u5EA6",
                                 L"QX420" + std::wstring(400, L'x')};
    HidapiLibrary hid(sysfs_.string());
    InstrumentState state;
    InstrumentLink link(hid, state, [](int) {});
    link.Enumerate();
    ASSERT_EQ(link.CandidateNames().size(), 2u);
    EXPECT_EQ(link.CandidateNames()[0], "QX420B-°C ??");
    EXPECT_EQ(link.CandidateNames()[1], "QX420" + std::string(254, 'x'));
}

TEST_F(HidapiBackend, ConversationWithLengthsFromSysfs) {
    InstrumentSimulator& sim = Attach(6);
    HidapiLibrary hid(sysfs_.string());
    InstrumentState state;
    InstrumentLink link(hid, state, [](int) {});
    ReportProtocol protocol(link, [] { return kNow; });
    ASSERT_TRUE(link.Connect(nullptr));
    EXPECT_EQ(state.type, 6);
    ASSERT_TRUE(protocol.ReadStatus());
    EXPECT_EQ(link.DevicePath(), "/dev/hidraw3");
    ASSERT_NE(link.Device(), nullptr);
    EXPECT_EQ(link.Device()->InputReportLength(), 64);
    EXPECT_EQ(link.Device()->OutputReportLength(), 64);
    EXPECT_EQ(state.live.bytes, sim.Status().bytes);
    ParamBlock set;
    ASSERT_TRUE(protocol.ReadParamBlock(ParamSource::kSetParams, set));
    EXPECT_EQ(set.bytes, sim.SetParams().bytes);
    ASSERT_TRUE(protocol.SetClock());
    EXPECT_EQ(sim.ClockError(), 0);

    RecordImage image;
    const DownloadResult r = DownloadRecord(protocol, image, {});
    ASSERT_EQ(r.status, DownloadStatus::kOk);
    const std::vector<uint8_t> packed = sim.PackedSamples();
    EXPECT_TRUE(std::equal(packed.begin(), packed.end(), image.Samples()));
    EXPECT_EQ(test::Fake().opens, 1);
    link.Disconnect();
    EXPECT_EQ(test::Fake().closes, 1);
}

TEST_F(HidapiBackend, LongReportsAreCappedOrSentWhole) {
    InstrumentSimulator& sim = Attach(1, false);
    sim.SetReportLengths(300, 1025);
    WriteDescriptor(sim);
    HidapiLibrary hid(sysfs_.string());
    InstrumentState state;
    InstrumentLink link(hid, state, [](int) {});
    ReportProtocol protocol(link, [] { return kNow; });
    ASSERT_TRUE(link.Connect(nullptr));
    ASSERT_TRUE(protocol.ReadStatus());
    ASSERT_NE(link.Device(), nullptr);
    EXPECT_EQ(link.Device()->InputReportLength(), 300);
    EXPECT_EQ(link.Device()->OutputReportLength(), 1025);
    SampleBlock block;
    ASSERT_TRUE(protocol.ReadBlock(0, block));
    ASSERT_EQ(sim.WrittenReports().size(), 1u);
    EXPECT_EQ(sim.WrittenReports()[0].size(), 1025u);
}

TEST_F(HidapiBackend, UnreadableDescriptorFailsTheTransfers) {
    Attach(1, false);
    HidapiLibrary hid((sysfs_ / "missing").string());
    InstrumentState state;
    InstrumentLink link(hid, state, [](int) {});
    ReportProtocol protocol(link, [] { return kNow; });
    ASSERT_TRUE(link.Connect(nullptr));
    EXPECT_FALSE(protocol.ReadStatus());
    EXPECT_FALSE(link.Opened());
    EXPECT_EQ(test::Fake().closes, 1);
}

TEST_F(HidapiBackend, PermissionDeniedIsNamed) {
    Attach(2).SetAccessDenied(true);
    HidapiLibrary hid(sysfs_.string());
    InstrumentState state;
    InstrumentLink link(hid, state, [](int) {});
    ReportProtocol protocol(link, [] { return kNow; });
    ASSERT_TRUE(link.Connect(nullptr));
    EXPECT_FALSE(protocol.ReadStatus());
    EXPECT_EQ(link.LastOpenFailure().status, HidStatus::kAccessDenied);
    EXPECT_EQ(link.LastOpenFailure().devicePath, "/dev/hidraw3");
    EXPECT_EQ(hid.LastError(), "simulated failure");
}

TEST_F(HidapiBackend, UnplugMidExchangeAndReplug) {
    InstrumentSimulator& sim = Attach(3);
    HidapiLibrary hid(sysfs_.string());
    InstrumentState state;
    InstrumentLink link(hid, state, [](int) {});
    ReportProtocol protocol(link, [] { return kNow; });
    ASSERT_TRUE(link.Connect(nullptr));
    sim.UnplugAtTransfer(2);
    ParamBlock b;
    EXPECT_FALSE(protocol.ReadParamBlock(ParamSource::kRecordedParams, b));
    EXPECT_FALSE(link.Opened());
    EXPECT_FALSE(protocol.ReadStatus());
    EXPECT_EQ(link.LastOpenFailure().status, HidStatus::kDeviceNotFound);
    sim.Replug();
    EXPECT_TRUE(protocol.ReadParamBlock(ParamSource::kRecordedParams, b));
    EXPECT_EQ(b.bytes, sim.RecordedParams().bytes);
    EXPECT_EQ(test::Fake().opens, 2);
}

TEST_F(HidapiBackend, MissingDeviceAndEmptyReports) {
    HidapiLibrary hid(sysfs_.string());
    std::unique_ptr<HidDevice> device;
    EXPECT_EQ(hid.Open(device, 0, kInstrumentVendorId, kInstrumentProductId, 512),
              HidStatus::kDeviceNotFound);
    EXPECT_EQ(device, nullptr);

    Attach(1);
    ASSERT_TRUE(HidOk(hid.Open(device, 0, kInstrumentVendorId, kInstrumentProductId, 512)));
    ASSERT_NE(device, nullptr);
    EXPECT_EQ(device->GetInputReport(std::span<uint8_t>()), HidStatus::kInvalidBufferSize);
    EXPECT_EQ(device->SendOutputReport(std::span<const uint8_t>()), HidStatus::kInvalidBufferSize);
    device.reset();
    EXPECT_EQ(test::Fake().closes, 1);
}

}  // namespace
}  // namespace qx
