// The report protocol against report bytes written out by hand, per model: the live status
// (report 5), the parameter block as read (reports 6 and 7) and as written (report 2). The
// device here only serves and records literal bytes, so a wrong byte-order entry shows.
#include <gtest/gtest.h>

#include <deque>
#include <vector>

#include "core/link/report_protocol.h"
#include "link_fixture.h"

namespace qx {
namespace {

using test::kTestNow;

constexpr uint16_t kReportLength = 65;  // 64 bytes and the id

// One attached instrument whose input reports come from `replies`, in order, and whose output
// reports are kept in `sent`.
class WireLibrary final : public HidLibrary {
  public:
    std::deque<std::vector<uint8_t>> replies;
    std::vector<std::vector<uint8_t>> sent;
    std::vector<uint8_t> askedIds;

    uint32_t GetNumHidDevices(uint16_t, uint16_t) override { return 1; }
    HidStatus GetHidString(uint32_t, uint16_t, uint16_t, HidStringType,
                           HidStringBuffer& out) override {
        SetHidBufferText(out, "QX");
        return kHidSuccess;
    }
    HidStatus Open(std::unique_ptr<HidDevice>& device, uint32_t, uint16_t, uint16_t,
                   uint32_t) override {
        device = std::make_unique<Device>(*this);
        return kHidSuccess;
    }

  private:
    class Device final : public HidDevice {
      public:
        explicit Device(WireLibrary& lib) : lib_(lib) {}
        HidStatus GetString(HidStringType, HidStringBuffer& out) override {
            SetHidBufferText(out, "/dev/hidraw0");
            return kHidSuccess;
        }
        void SetTimeouts(uint32_t, uint32_t) override {}
        uint16_t InputReportLength() override { return kReportLength; }
        uint16_t OutputReportLength() override { return kReportLength; }
        HidStatus GetInputReport(std::span<uint8_t> report) override {
            lib_.askedIds.push_back(report[0]);
            if (lib_.replies.empty()) return HidStatus::kTransferFailed;
            const std::vector<uint8_t>& reply = lib_.replies.front();
            std::copy_n(reply.begin(), std::min(reply.size(), report.size()), report.begin());
            lib_.replies.pop_front();
            return kHidSuccess;
        }
        HidStatus SendOutputReport(std::span<const uint8_t> report) override {
            lib_.sent.emplace_back(report.begin(), report.end());
            return kHidSuccess;
        }

      private:
        WireLibrary& lib_;
    };
};

struct Wire {
    explicit Wire(InstrumentTypeId type) {
        EXPECT_TRUE(link.Connect(nullptr));
        state.type = type;
        state.timeZoneBias = -480;
    }
    WireLibrary hid;
    InstrumentState state;
    InstrumentLink link{hid, state, [](int) {}};
    ReportProtocol protocol{link, [] { return kTestNow; }};
};

bool In(InstrumentTypeId type, std::initializer_list<InstrumentTypeId> types) {
    return std::find(types.begin(), types.end(), type) != types.end();
}

// A report of kReportLength bytes: the given bytes, then `fill`.
std::vector<uint8_t> Report(std::initializer_list<uint8_t> bytes, uint8_t fill = 0) {
    std::vector<uint8_t> r(bytes);
    r.resize(kReportLength, fill);
    return r;
}

class WireFormat : public testing::TestWithParam<InstrumentTypeId> {};

// Types 1..11 and 0 (an unrecognised instrument).
INSTANTIATE_TEST_SUITE_P(Models, WireFormat, testing::Range(0, 12));

TEST_P(WireFormat, StatusReport) {
    const InstrumentTypeId type = GetParam();
    Wire w(type);
    w.hid.replies.push_back(Report({
        0x05,                    // id (not checked)
        0x58, 0xC2, 0xA5, 0x00,  // 0  clock
        0x01, 0x2C,              // 4  stored samples 300
        0x02, 0x8A,              // 6  temperature 650
        0x01, 0xF4,              // 8  humidity 500
        0x01, 0x90,              // 10 low limit 400
        0x02, 0x8A,              // 12 high limit 650
        0x00, 0x64,              // 14 low humidity limit 100
        0x03, 0xB6,              // 16 high humidity limit 950
        0x21, 0x03, 0x01, 0x00,  // 18 unit byte, blocks present, recording, external
        0x00,                    // 22 not used
        0x27, 0x95,              // 23 pressure 10133
        0xFF, 0x6A,              // 25 differential pressure -150
        0x02, 0x9A,              // 27 sound level 666
        0x04, 0xD2,              // 29 flow 1234
    }));
    ASSERT_TRUE(w.protocol.ReadStatus());
    EXPECT_EQ(w.hid.askedIds, std::vector<uint8_t>{5});
    const LiveStatus& s = w.state.live;
    EXPECT_EQ(s.U32(0), 0x58C2A500u);
    EXPECT_EQ(s.U16(4), 300);
    EXPECT_EQ(s.U16(6), 650);
    EXPECT_EQ(s.U16(10), 400);
    EXPECT_EQ(s.U16(12), 650);
    EXPECT_EQ(s.U8(18), 0x21);
    EXPECT_EQ(s.U8(19), 0x03);
    EXPECT_EQ(s.U8(20), 0x01);
    EXPECT_EQ(s.U8(21), 0x00);

    // The sound-level meters send the humidity fields as they hold them (01 F4 is 0xF401);
    // the type-7 bytes 14 and 15 stay apart.
    const bool soundMeter = In(type, {7, 9});
    EXPECT_EQ(s.U16(8), soundMeter ? 0xF401 : 500);
    EXPECT_EQ(s.U16(14), soundMeter ? 0x6400 : 100);
    EXPECT_EQ(s.U16(16), soundMeter ? 0xB603 : 950);
    if (soundMeter) {
        EXPECT_EQ(s.U8(14), 0x00);
        EXPECT_EQ(s.U8(15), 0x64);
    }

    const bool bigTail = In(type, {0, 1, 3, 4, 5, 6, 8, 11});
    EXPECT_EQ(s.U16(23), bigTail ? 10133 : 0x9527);
    EXPECT_EQ(s.S16(25), bigTail ? -150 : 0x6AFF);
    EXPECT_EQ(s.U16(27), bigTail ? 666 : 0x9A02);
    EXPECT_EQ(s.S16(29), In(type, {0, 1, 2, 3, 4, 5, 6}) ? 1234 : int16_t(0xD204));
}

// The parameter block of the reads below, as the instrument sends it: page 0 is block bytes
// 0-58, page 1 bytes 59-87 and then bytes that carry nothing (0xEE here).
std::vector<uint8_t> Page0(uint8_t id) {
    return Report({
        id,   0x00,                                // id, page 0
        0x07,                                      // 0  address
        'N',  '-',  '4',  '2',  0, 0, 0, 0, 0, 0,  // 1  number
        'A',  0,    'B',  0,    0, 0, 0, 0, 0, 0,  // 11 name (UTF-16LE)
        0,    0,    0,    0,    0, 0, 0, 0, 0, 0,  //
        0,    0,    0,    0,    0, 0, 0, 0, 0, 0,  //
        0,    0,    0,    0,    0, 0,              //
        0x00, 0x00,                                // 47 reserved
        0xFE, 0x20,                                // 49 bias -480
        0x01, 0xF4,                                // 51 count setting 500
        0x0A, 0x01, 0x14, 0x21,                    // 53 interval, unit, LED, unit byte
        0x01, 0x90,                                // 57 low limit 400
    });
}
std::vector<uint8_t> Page1(uint8_t id) {
    return Report(
        {
            id,   0x01,              // id, page 1
            0x04, 0x4C,              // 59 high limit 1100
            0x00, 0x64,              // 61 low humidity limit 100
            0x03, 0xB6,              // 63 high humidity limit 950
            0x02,                    // 65 alarm mode
            0x58, 0xC2, 0xA5, 0x00,  // 66 set time
            0x01,                    // 70 start mode
            0x58, 0xC0, 0x00, 0x00,  // 71 start time
            0x00, 0x2A,              // 75 stored count 42
            0x01, 0x00,              // 77 alarm flags
            0x05, 0xDC,              // 79 gas limit 1500 / humidity alarm flags
            0x00, 0x03,              // 81 3
            0x01, 0x02,              // 83 0x0102
            0x27, 0x10,              // 85 10000
            0x0F,                    // 87
        },
        0xEE);
}

void ExpectReadBlock(const ParamBlock& b, InstrumentTypeId type) {
    EXPECT_EQ(b.U8(0), 7);
    EXPECT_EQ(b.NumberLatin1(), "N-42");
    EXPECT_EQ(b.Name(), u"AB");
    EXPECT_EQ(b.U16(47), 0);
    EXPECT_EQ(b.S16(49), In(type, {2, 7, 8, 11}) ? -480 : 0x20FE);
    EXPECT_EQ(b.U16(51), 500);
    EXPECT_EQ(b.U8(53), 10);
    EXPECT_EQ(b.U8(54), 1);
    EXPECT_EQ(b.U8(55), 20);
    EXPECT_EQ(b.U8(56), 0x21);
    EXPECT_EQ(b.U16(57), 400);
    EXPECT_EQ(b.U16(59), 1100);
    const bool soundMeter = In(type, {7, 9});
    EXPECT_EQ(b.U16(61), soundMeter ? 0x6400 : 100);
    EXPECT_EQ(b.U16(63), soundMeter ? 0xB603 : 950);
    EXPECT_EQ(b.U8(65), 2);
    EXPECT_EQ(b.U32(66), 0x58C2A500u);
    EXPECT_EQ(b.U8(70), 1);
    EXPECT_EQ(b.U32(71), 0x58C00000u);
    EXPECT_EQ(b.U16(75), 42);
    EXPECT_EQ(b.U8(77), 1);
    EXPECT_EQ(b.U8(78), 0);
    // Offset 79 is one 16-bit limit for types 8 and 11 only; elsewhere two alarm bytes.
    EXPECT_EQ(b.U16(79), In(type, {8, 11}) ? 1500 : 0xDC05);
    EXPECT_EQ(b.U16(81), In(type, {0, 1, 2, 3, 4, 5, 6, 10}) ? 3 : 0x0300);
    EXPECT_EQ(b.U16(83), In(type, {0, 1, 3, 4, 5, 6, 10}) ? 0x0102 : 0x0201);
    EXPECT_EQ(b.U16(85), In(type, {0, 1, 3, 4, 5, 6}) ? 10000 : 0x1027);
    EXPECT_EQ(b.U8(87), 0x0F);
}

TEST_P(WireFormat, ParamBlockRead) {
    const InstrumentTypeId type = GetParam();
    {
        Wire w(type);
        w.hid.replies = {Page0(6), Page1(6)};
        ParamBlock b;
        ASSERT_TRUE(w.protocol.ReadParamBlock(ParamSource::kSetParams, b));
        EXPECT_EQ(w.hid.askedIds, (std::vector<uint8_t>{6, 6}));
        EXPECT_TRUE(w.hid.sent.empty());
        ExpectReadBlock(b, type);
    }
    {
        // Stop and read: report 3 first, then report 7, pages in either order of arrival.
        Wire w(type);
        w.hid.replies = {Page1(7), Page0(7), Page1(7)};
        ParamBlock b;
        ASSERT_TRUE(w.protocol.ReadParamBlock(ParamSource::kStopAndRead, b));
        EXPECT_EQ(w.hid.askedIds, (std::vector<uint8_t>{7, 7, 7}));
        ASSERT_EQ(w.hid.sent.size(), 1u);
        EXPECT_EQ(w.hid.sent[0], Report({0x03, 0x00}));
        ExpectReadBlock(b, type);
    }
}

TEST_P(WireFormat, ParamBlockWrite) {
    const InstrumentTypeId type = GetParam();
    Wire w(type);
    ParamBlock b;
    b.SetU8(0, 7);
    b.SetNumber(u"N-42");
    b.SetName(u"AB");
    b.SetS16(49, -480);
    b.SetU16(51, 500);
    b.SetU8(53, 10);
    b.SetU8(54, 1);
    b.SetU8(55, 20);
    b.SetU8(56, 0x21);
    b.SetU16(57, 400);
    b.SetU16(59, 1100);
    b.SetU16(61, 100);
    b.SetU16(63, 950);
    b.SetU8(65, 2);
    b.SetU8(70, 1);
    b.SetU32(71, 0x58C00000);
    b.SetU16(75, 42);
    b.SetU8(77, 1);
    b.SetU16(79, 1500);
    b.SetU16(81, 3);
    b.SetU16(83, 0x0102);
    b.SetU16(85, 10000);
    b.SetU8(87, 0x0F);
    ASSERT_TRUE(w.protocol.WriteParamBlock(b));
    // The stamp is the instrument's time: UTC, model 2 local time (0x58C2A500 + 480 * 60).
    const uint32_t stamp = type == 2 ? 0x58C31580u : 0x58C2A500u;
    EXPECT_EQ(b.U32(66), stamp);
    EXPECT_EQ(b.S16(49), -480);  // the caller's block stays in host order

    ASSERT_EQ(w.hid.sent.size(), 2u);
    const std::vector<uint8_t>& p0 = w.hid.sent[0];
    const std::vector<uint8_t>& p1 = w.hid.sent[1];
    ASSERT_EQ(p0.size(), kReportLength);
    ASSERT_EQ(p1.size(), kReportLength);
    auto at = [&](size_t offset) { return offset < 59 ? p0[2 + offset] : p1[2 + offset - 59]; };
    auto pair = [&](size_t offset) { return std::vector<uint8_t>{at(offset), at(offset + 1)}; };
    using Bytes = std::vector<uint8_t>;
    const bool soundMeter = In(type, {7, 9});

    EXPECT_EQ(p0[0], 2);
    EXPECT_EQ(p0[1], 0);
    EXPECT_EQ(p1[0], 2);
    EXPECT_EQ(p1[1], 1);
    EXPECT_EQ(at(0), 7);
    EXPECT_EQ(Bytes(p0.begin() + 3, p0.begin() + 7), (Bytes{'N', '-', '4', '2'}));
    EXPECT_EQ(Bytes(p0.begin() + 13, p0.begin() + 17), (Bytes{'A', 0, 'B', 0}));
    EXPECT_EQ(pair(49), In(type, {2, 7, 8, 11}) ? (Bytes{0xFE, 0x20}) : (Bytes{0x20, 0xFE}));
    EXPECT_EQ(pair(51), (Bytes{0x01, 0xF4}));
    EXPECT_EQ(Bytes(p0.begin() + 55, p0.begin() + 59), (Bytes{0x0A, 0x01, 0x14, 0x21}));
    EXPECT_EQ(pair(57), (Bytes{0x01, 0x90}));
    EXPECT_EQ(pair(59), (Bytes{0x04, 0x4C}));
    EXPECT_EQ(pair(61), soundMeter ? (Bytes{0x64, 0x00}) : (Bytes{0x00, 0x64}));
    EXPECT_EQ(pair(63), soundMeter ? (Bytes{0xB6, 0x03}) : (Bytes{0x03, 0xB6}));
    EXPECT_EQ(at(65), 2);
    const Bytes stampBytes =
        type == 2 ? Bytes{0x58, 0xC3, 0x15, 0x80} : Bytes{0x58, 0xC2, 0xA5, 0x00};
    EXPECT_EQ((Bytes{at(66), at(67), at(68), at(69)}), stampBytes);
    EXPECT_EQ(at(70), 1);
    // The instrument's own fields go back as held.
    EXPECT_EQ((Bytes{at(71), at(72), at(73), at(74)}), (Bytes{0x00, 0x00, 0xC0, 0x58}));
    EXPECT_EQ(pair(75), (Bytes{0x2A, 0x00}));
    EXPECT_EQ(at(77), 1);
    EXPECT_EQ(at(78), 0);
    EXPECT_EQ(pair(79), In(type, {8, 11}) ? (Bytes{0x05, 0xDC}) : (Bytes{0xDC, 0x05}));
    EXPECT_EQ(pair(81), In(type, {2, 6, 10}) ? (Bytes{0x00, 0x03}) : (Bytes{0x03, 0x00}));
    EXPECT_EQ(pair(83), In(type, {6, 10}) ? (Bytes{0x01, 0x02}) : (Bytes{0x02, 0x01}));
    EXPECT_EQ(pair(85), type == 6 ? (Bytes{0x27, 0x10}) : (Bytes{0x10, 0x27}));
    EXPECT_EQ(at(87), 0x0F);
    // Nothing after the block: the rest of page 1 and of both reports is zero.
    EXPECT_TRUE(std::all_of(p1.begin() + 2 + 29, p1.end(), [](uint8_t v) { return v == 0; }));
    EXPECT_TRUE(std::all_of(p0.begin() + 61, p0.end(), [](uint8_t v) { return v == 0; }));
}

TEST(WireFormat, FailedOpenFailsTheExchangeWithoutTransfers) {
    class Unopenable final : public HidLibrary {
      public:
        uint32_t GetNumHidDevices(uint16_t, uint16_t) override { return 1; }
        HidStatus GetHidString(uint32_t, uint16_t, uint16_t, HidStringType,
                               HidStringBuffer& out) override {
            SetHidBufferText(out, "QX420");
            return kHidSuccess;
        }
        HidStatus Open(std::unique_ptr<HidDevice>&, uint32_t, uint16_t, uint16_t,
                       uint32_t) override {
            ++opens;
            return HidStatus::kAccessDenied;
        }
        int opens = 0;
    } hid;
    InstrumentState state;
    InstrumentLink link(hid, state, [](int) {});
    ReportProtocol protocol(link, [] { return kTestNow; });
    ASSERT_TRUE(link.Connect(nullptr));
    ParamBlock b;
    SampleBlock block;
    EXPECT_FALSE(protocol.ReadStatus());
    EXPECT_FALSE(state.liveValid);
    EXPECT_FALSE(protocol.ReadParamBlock(ParamSource::kStopAndRead, b));
    EXPECT_FALSE(protocol.WriteParamBlock(b));
    EXPECT_FALSE(protocol.SetClock());
    EXPECT_FALSE(protocol.ReadBlock(0, block));
    EXPECT_EQ(hid.opens, 5);  // each exchange tries again; the instrument stays chosen
    EXPECT_TRUE(link.Connected());
    EXPECT_EQ(link.LastOpenFailure().status, HidStatus::kAccessDenied);
}

}  // namespace
}  // namespace qx
