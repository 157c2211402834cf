#include "core/link/report_descriptor.h"

#include <gtest/gtest.h>

#include <vector>

#include "core/link/instrument_simulator.h"

namespace qx {
namespace {

struct DescriptorCase {
    const char* name;
    std::vector<uint8_t> descriptor;
    std::optional<ReportLengths> expected;
};

// Vendor page, one application collection.
std::vector<uint8_t> Wrap(std::vector<uint8_t> items) {
    std::vector<uint8_t> d = {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01};
    d.insert(d.end(), items.begin(), items.end());
    d.push_back(0xC0);
    return d;
}

const DescriptorCase kCases[] = {
    {"NoReportIds",  // 64 bytes each way, the id byte 0 added
     Wrap({0x75, 0x08, 0x95, 0x40, 0x09, 0x01, 0x81, 0x02, 0x09, 0x01, 0x91, 0x02}),
     ReportLengths{65, 65}},
    {"LargestReportWins", Wrap({0x85, 0x01, 0x75, 0x08, 0x95, 0x3F, 0x91, 0x02,  // out 1: 63
                                0x85, 0x02, 0x95, 0x10, 0x91, 0x02,              // out 2: 16
                                0x85, 0x05, 0x95, 0x20, 0x81, 0x02,              // in 5: 32
                                0x85, 0x08, 0x95, 0x3F, 0x81, 0x02}),            // in 8: 63
     ReportLengths{64, 64}},
    {"ItemsOfOneReportAddUp",  // 3 bits + 5 bits padding + 2 bytes = 3 bytes
     Wrap({0x85, 0x05, 0x75, 0x01, 0x95, 0x03, 0x81, 0x02, 0x75, 0x05,
           0x95, 0x01, 0x81, 0x03, 0x75, 0x08, 0x95, 0x02, 0x81, 0x02}),
     ReportLengths{4, 0}},
    {"BitsRoundUpToBytes", Wrap({0x85, 0x07, 0x75, 0x01, 0x95, 0x09, 0x81, 0x02}),
     ReportLengths{3, 0}},
    {"PushPopRestoreGlobals",
     Wrap({0x75, 0x08, 0x95, 0x04, 0xA4, 0x95, 0x40, 0x81, 0x02, 0xB4, 0x91, 0x02}),
     ReportLengths{65, 5}},
    {"TwoByteCountAndFeatureIgnored",
     Wrap({0x85, 0x06, 0x75, 0x08, 0x96, 0x2B, 0x01, 0x81, 0x02,  // 299 bytes in
           0x85, 0x09, 0x96, 0xFF, 0x0F, 0xB1, 0x02}),            // feature: not counted
     ReportLengths{300, 0}},
    {"LongItemSkipped", Wrap({0xFE, 0x02, 0x10, 0xAA, 0xBB, 0x75, 0x08, 0x95, 0x02, 0x81, 0x02}),
     ReportLengths{3, 0}},
    {"HugeReportClamped",
     Wrap({0x77, 0xFF, 0xFF, 0x00, 0x00, 0x97, 0xFF, 0xFF, 0x00, 0x00, 0x81, 0x02}),
     ReportLengths{0xFFFF, 0}},
    {"Empty", {}, std::nullopt},
    {"TruncatedItem", {0x06, 0x00}, std::nullopt},
    {"TruncatedLongItem", {0xFE, 0x05, 0x10, 0x01}, std::nullopt},
};

class ReportDescriptorTest : public testing::TestWithParam<DescriptorCase> {};

TEST_P(ReportDescriptorTest, Lengths) {
    const DescriptorCase& c = GetParam();
    const auto got = ParseReportDescriptor(c.descriptor);
    ASSERT_EQ(got.has_value(), c.expected.has_value());
    if (!got) return;
    EXPECT_EQ(got->input, c.expected->input);
    EXPECT_EQ(got->output, c.expected->output);
}

INSTANTIATE_TEST_SUITE_P(Cases, ReportDescriptorTest, testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ReportDescriptor, SimulatorDeclaresItsLengths) {
    InstrumentSimulator sim(1, [] { return int64_t{1489151232}; });
    auto lengths = ParseReportDescriptor(sim.ReportDescriptor());
    ASSERT_TRUE(lengths);
    EXPECT_EQ(lengths->input, 64);
    EXPECT_EQ(lengths->output, 64);
    sim.SetReportLengths(300, 1000);
    lengths = ParseReportDescriptor(sim.ReportDescriptor());
    ASSERT_TRUE(lengths);
    EXPECT_EQ(lengths->input, 300);
    EXPECT_EQ(lengths->output, 1000);
}

}  // namespace
}  // namespace qx
