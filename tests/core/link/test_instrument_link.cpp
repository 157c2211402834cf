#include "core/link/instrument_link.h"

#include <gtest/gtest.h>

#include "link_fixture.h"

namespace qx {
namespace {

using test::Bench;

TEST(InstrumentLink, RecognisesModelsFromProductStrings) {
    struct Case {
        const char* product;
        bool candidate;
        InstrumentTypeId type;
    };
    const Case cases[] = {
        {"QX420B-USB", true, 4},   {"QX420-USB", true, 1},
        {"QX420C", true, 1},       {"QX7200 Flow", true, 6},
        {"QX7000", true, 8},       {"QX610", true, 11},
        {"QX999 Logger", true, 0}, {"USB QX420", false, 0},
        {"qx420", false, 0},       {"", false, 0},
        {"QX", true, 0},
    };
    for (const Case& c : cases) {
        Bench bench;
        bench.Sim().SetProductString(c.product);
        bench.state.type = 5;
        EXPECT_EQ(bench.Connect(), c.candidate) << c.product;
        EXPECT_EQ(bench.state.type, c.type) << c.product;
        EXPECT_EQ(bench.link.Connected(), c.candidate) << c.product;
        EXPECT_FALSE(bench.link.Opened());  // connecting does not open
    }
}

TEST(InstrumentLink, ChoiceAmongSeveralPreselectsTheLast) {
    Bench bench({1, 7, 11});
    bench.Sim(1).SetProductString("Other device");  // not of the family
    std::vector<std::string> offered;
    int preselected = -2;
    ASSERT_TRUE(bench.link.Connect([&](const std::vector<std::string>& names, int pre) {
        offered = names;
        preselected = pre;
        return 0;
    }));
    EXPECT_EQ(offered,
              (std::vector<std::string>{"QX420-USB Data Logger", "QX610-USB Data Logger"}));
    EXPECT_EQ(preselected, 1);
    EXPECT_EQ(bench.link.ChosenIndex(), 0);
    EXPECT_EQ(bench.state.type, 1);
    EXPECT_EQ(bench.link.CandidateIndexes(), (std::vector<uint32_t>{0, 2}));

    // Choosing the second candidate opens device index 2, the QX610.
    ASSERT_TRUE(bench.link.Connect([](const auto&, int pre) { return pre; }));
    EXPECT_EQ(bench.link.ChosenIndex(), 2);
    EXPECT_EQ(bench.link.ChosenName(), "QX610-USB Data Logger");
    EXPECT_EQ(bench.state.type, 11);
}

TEST(InstrumentLink, CancelledChoiceOrNothingAttachedLeavesTypeZero) {
    Bench bench({2, 3});
    ASSERT_TRUE(bench.Connect());
    EXPECT_EQ(bench.state.type, 3);
    EXPECT_FALSE(bench.link.Connect([](const auto&, int) { return -1; }));
    EXPECT_EQ(bench.state.type, 0);
    EXPECT_FALSE(bench.link.Connected());
    EXPECT_FALSE(bench.link.Connect([](const auto&, int) { return 2; }));  // out of range
    EXPECT_FALSE(bench.link.Connect(nullptr));

    Bench empty(std::vector<InstrumentTypeId>{});
    empty.state.type = 4;
    EXPECT_FALSE(empty.Connect());
    EXPECT_EQ(empty.state.type, 0);
}

TEST(InstrumentLink, OpensOnDemandAndClosesKeepingTheChoice) {
    Bench bench({2});
    ASSERT_TRUE(bench.Connect());
    ASSERT_TRUE(bench.link.EnsureOpen());
    EXPECT_TRUE(bench.link.Opened());
    EXPECT_EQ(bench.link.DevicePath(), "/dev/hidraw0");
    EXPECT_EQ(bench.hid->GetReportTimeout(), 0u);
    EXPECT_EQ(bench.hid->SetReportTimeout(), 1000u);
    EXPECT_EQ(bench.sleeps, std::vector<int>{300});
    EXPECT_TRUE(bench.link.EnsureOpen());  // already open: no second open
    EXPECT_EQ(bench.hid->OpenHandles(), 1u);

    bench.link.Close();
    EXPECT_FALSE(bench.link.Opened());
    EXPECT_EQ(bench.link.Device(), nullptr);
    EXPECT_TRUE(bench.link.Connected());
    EXPECT_EQ(bench.hid->OpenHandles(), 0u);

    bench.state.statusOk = true;
    ASSERT_TRUE(bench.link.EnsureOpen());
    bench.link.Disconnect();
    EXPECT_FALSE(bench.link.Connected());
    EXPECT_FALSE(bench.state.statusOk);
    EXPECT_EQ(bench.link.ChosenIndex(), -1);
    EXPECT_EQ(bench.hid->OpenHandles(), 0u);
    EXPECT_FALSE(bench.link.EnsureOpen());  // nothing chosen
}

TEST(InstrumentLink, PermissionProblemIsReportedAsSuch) {
    Bench bench({1});
    bench.Sim().SetAccessDenied(true);
    ASSERT_TRUE(bench.Connect());  // enumeration needs no access
    EXPECT_FALSE(bench.link.EnsureOpen());
    EXPECT_EQ(bench.link.LastOpenFailure().status, HidStatus::kAccessDenied);
    EXPECT_EQ(bench.link.LastOpenFailure().devicePath, "/dev/hidraw0");
    EXPECT_TRUE(bench.link.Connected());

    bench.Sim().SetAccessDenied(false);
    EXPECT_TRUE(bench.link.EnsureOpen());
    EXPECT_EQ(bench.link.LastOpenFailure().status, kHidSuccess);
}

TEST(InstrumentLink, DeviceChangeNotices) {
    Bench bench({1, 9});
    ASSERT_TRUE(bench.Connect());
    // Before the first open the path is unknown: no notice matches.
    EXPECT_EQ(bench.link.OnDeviceChange(DeviceEvent::kRemoval, ""), DeviceChangeAction::kNone);
    ASSERT_TRUE(bench.link.EnsureOpen());
    EXPECT_EQ(bench.link.DevicePath(), "/dev/hidraw1");
    EXPECT_EQ(bench.link.OnDeviceChange(DeviceEvent::kRemoval, "/dev/hidraw0"),
              DeviceChangeAction::kNone);
    EXPECT_TRUE(bench.link.Opened());
    EXPECT_EQ(bench.link.OnDeviceChange(DeviceEvent::kRemoval, "/DEV/HIDRAW1"),
              DeviceChangeAction::kClosed);
    EXPECT_FALSE(bench.link.Opened());
    EXPECT_TRUE(bench.link.Connected());
    EXPECT_EQ(bench.link.OnDeviceChange(DeviceEvent::kArrival, "/dev/HidRaw1"),
              DeviceChangeAction::kReconnect);
    bench.link.Disconnect();
    EXPECT_EQ(bench.link.OnDeviceChange(DeviceEvent::kArrival, "/dev/hidraw1"),
              DeviceChangeAction::kNone);
}

TEST(InstrumentLink, LongProductStringsStayInsideTheBuffer) {
    for (size_t length : {259u, 260u, 261u, 400u}) {
        Bench bench;
        const std::string product = "QX420B" + std::string(length - 6, 'Z');
        bench.Sim().SetProductString(product);
        ASSERT_TRUE(bench.Connect()) << length;
        EXPECT_EQ(bench.link.ChosenName(), product.substr(0, 259)) << length;
        EXPECT_EQ(bench.state.type, 4);
    }
}

// A library that fills its string buffers to the last byte without a terminator and reports
// an 8-bit (non-ASCII) byte: the link must stop at the buffer's end.
class UnterminatedStrings final : public HidLibrary {
  public:
    uint32_t GetNumHidDevices(uint16_t, uint16_t) override { return 2; }
    HidStatus GetHidString(uint32_t index, uint16_t, uint16_t, HidStringType,
                           HidStringBuffer& out) override {
        if (index == 1) return HidStatus::kUnknownError;  // skipped silently
        out.fill('A');
        out[0] = 'Q';
        out[1] = 'X';
        out[2] = static_cast<char>(0xB0);
        return kHidSuccess;
    }
    HidStatus Open(std::unique_ptr<HidDevice>&, uint32_t, uint16_t, uint16_t, uint32_t) override {
        return HidStatus::kDeviceNotFound;
    }
};

TEST(InstrumentLink, UnterminatedStringEndsAtTheBuffer) {
    UnterminatedStrings hid;
    InstrumentState state;
    InstrumentLink link(hid, state, [](int) {});
    link.Enumerate();
    ASSERT_EQ(link.CandidateNames().size(), 1u);
    EXPECT_EQ(link.CandidateNames()[0], "QX°" + std::string(257, 'A'));
    EXPECT_TRUE(link.Connect(nullptr));
    EXPECT_EQ(state.type, 0);
    EXPECT_FALSE(link.EnsureOpen());
    EXPECT_EQ(link.LastOpenFailure().status, HidStatus::kDeviceNotFound);
}

}  // namespace
}  // namespace qx
