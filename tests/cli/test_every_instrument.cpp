// --all over several simulated instruments, run inside the test so that faults can be injected
// into one of them and what each was sent can be looked at afterwards.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>

#include "cli/cli_help.h"
#include "core/link/simulated_hid_library.h"
#include "run_cli.h"

namespace qx {
namespace {

using test::Lines;

// 2017-03-10 13:07:12 UTC; every run sees the same recordings.
constexpr int64_t kNow = 0x58C2A500;

// The commands own the HID library they are given; this one lends the test's bus.
class LentBus final : public HidLibrary {
  public:
    explicit LentBus(SimulatedHidLibrary& bus) : bus_(bus) {}
    uint32_t GetNumHidDevices(uint16_t v, uint16_t p) override {
        return bus_.GetNumHidDevices(v, p);
    }
    HidStatus GetHidString(uint32_t i, uint16_t v, uint16_t p, HidStringType t,
                           HidStringBuffer& out) override {
        return bus_.GetHidString(i, v, p, t, out);
    }
    HidStatus Open(std::unique_ptr<HidDevice>& d, uint32_t i, uint16_t v, uint16_t p,
                   uint32_t n) override {
        return bus_.Open(d, i, v, p, n);
    }

  private:
    SimulatedHidLibrary& bus_;
};

struct CommandRun {
    int exitCode;
    std::vector<std::string> lines;
    std::string err;
};

CommandRun RunCommand(SimulatedHidLibrary& bus, const std::string& command,
                      std::vector<std::string> args, int device = -1) {
    cli::CliOptions options;
    options.device = device;
    options.hidLibrary = [&bus] { return std::make_unique<LentBus>(bus); };
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    const int code = cli::FindCommand(command)->run(options, args);
    const std::string out = testing::internal::GetCapturedStdout();
    const std::string err = testing::internal::GetCapturedStderr();
    return {code, Lines(out), err};
}

bool WroteSettings(InstrumentSimulator& sim) {
    for (const auto& report : sim.WrittenReports()) {
        if (!report.empty() && report[0] == 2) return true;
    }
    return false;
}

class EveryInstrument : public testing::Test {
  protected:
    void SetUp() override {
        for (InstrumentTypeId t : {2, 4, 6})
            bus.Add(t);
        dir = std::filesystem::temp_directory_path() /
              ("qxlog-all-" + std::to_string(getpid()) + "-" +
               testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir);
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    SimulatedHidLibrary bus{[] { return kNow; }};
    std::filesystem::path dir;
};

TEST_F(EveryInstrument, DownloadGoesOnPastAFailureAndNamesItsFilesUniquely) {
    bus.At(1).FailTransfer(30);  // within the QX420B's sample blocks
    CommandRun run = RunCommand(bus, "download", {"--all", "--dir", dir.string()});
    EXPECT_EQ(run.exitCode, 1);
    ASSERT_EQ(run.lines.size(), 3u);
    EXPECT_TRUE(run.lines[0].starts_with("QX450Meter\tA0200001\t/dev/hidraw0\tok " +
                                         (dir / "A0200001_2017").string()))
        << run.lines[0];
    // The reason stays on the instrument's own line.
    EXPECT_TRUE(
        run.lines[1].starts_with("QX420BMeter\tA0400001\t/dev/hidraw1\t下载出错! a block "
                                 "could not be fetched after "))
        << run.lines[1];
    EXPECT_TRUE(run.lines[2].starts_with("QX7200Meter\tA0600001\t/dev/hidraw2\tok "))
        << run.lines[2];
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}), 2);

    // Again: the same recordings, new names beside the old ones, nothing replaced; the
    // QX420B's file is now written under its own name.
    run = RunCommand(bus, "download", {"--all", "--dir", dir.string()});
    EXPECT_EQ(run.exitCode, 0);
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        names.insert(entry.path().filename().string());
    ASSERT_EQ(names.size(), 5u);
    const std::string first = *std::min_element(  // A0200001_<time>.QXRec
        names.begin(), names.end(), [](const std::string& a, const std::string& b) {
            return a.size() < b.size() || (a.size() == b.size() && a < b);
        });
    const std::string stem = first.substr(0, first.size() - 6);
    EXPECT_EQ(names.count(stem + "-2.QXRec"), 1u) << first;
    EXPECT_EQ(run.lines[0],
              "QX450Meter\tA0200001\t/dev/hidraw0\tok " + (dir / (stem + "-2.QXRec")).string());
}

TEST_F(EveryInstrument, OneDownloadThatFailsSaysWhyBelowTheMessage) {
    bus.At(1).FailTransfer(30);
    const std::string file = (dir / "r.QXRec").string();
    const CommandRun run = RunCommand(bus, "download", {"--quiet", "-o", file}, 1);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.starts_with("下载出错!\na block could not be fetched after ")) << run.err;
    EXPECT_FALSE(std::filesystem::exists(file));
}

TEST_F(EveryInstrument, ConfigureWritesNothingWhereAKeyIsRefused) {
    const CommandRun run = RunCommand(bus, "configure", {"--all", "--set", "hum-high=90"});
    EXPECT_EQ(run.exitCode, 1);
    ASSERT_EQ(run.lines.size(), 3u);
    EXPECT_EQ(run.lines[0], "QX450Meter\tA0200001\t/dev/hidraw0\tok");
    EXPECT_EQ(run.lines[1], "QX420BMeter\tA0400001\t/dev/hidraw1\thum-high: QX420B没有这个参数");
    EXPECT_EQ(run.lines[2], "QX7200Meter\tA0600001\t/dev/hidraw2\tok");
    EXPECT_TRUE(WroteSettings(bus.At(0)));
    EXPECT_FALSE(WroteSettings(bus.At(1)));
    EXPECT_EQ(bus.At(0).SetParams().U16(param::kHighHumidityLimit), 900);
}

TEST_F(EveryInstrument, ConfigureKeepsNumberBytesItDoesNotChange) {
    ParamBlock block = bus.At(0).SetParams();
    const uint8_t number[] = {'K', 0xE4, 0xB8, 0xFF, '7', 0, 0, 0, 0, 0};
    std::copy(std::begin(number), std::end(number), block.bytes.begin() + param::kNumber);
    bus.At(0).SetSetParams(block);
    const CommandRun run = RunCommand(bus, "configure", {"--device", "0", "--set", "temp-high=30"});
    ASSERT_EQ(run.exitCode, 0);
    EXPECT_TRUE(WroteSettings(bus.At(0)));
    EXPECT_TRUE(std::equal(std::begin(number), std::end(number),
                           bus.At(0).SetParams().bytes.begin() + param::kNumber));
}

TEST_F(EveryInstrument, ConfigureFailsWhereTheInstrumentHoldsAKeyOtherwise) {
    bus.At(2).MisstoreNextWrite(param::kFlow1);
    CommandRun run = RunCommand(bus, "configure", {"--device", "2", "--set", "flow-c1=1.5"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err,
              "flow-c1: 参数写入后读回检查不一致: 流量计算参数1 应为 1.5, 仪器中为 1.501!\n");
    // A key not asked is checked against what was written.
    bus.At(0).MisstoreNextWrite(param::kAddress, 1);
    run = RunCommand(bus, "configure", {"--all"});
    EXPECT_EQ(run.exitCode, 1);
    ASSERT_EQ(run.lines.size(), 3u);
    EXPECT_EQ(run.lines[0],
              "QX450Meter\tA0200001\t/dev/hidraw0\taddress: 参数写入后读回检查不一致: "
              "仪器地址 应为 1, 仪器中为 2!");
    EXPECT_EQ(run.lines[1], "QX420BMeter\tA0400001\t/dev/hidraw1\tok");
}

TEST_F(EveryInstrument, ConfigureAllGivesNoTwoInstrumentsOneNumber) {
    std::ofstream(dir / "p.ini") << "[qxlog-profile]\nmodel=QX450\nnumber=A1\n";
    CommandRun run = RunCommand(bus, "configure", {"--all", "--profile", (dir / "p.ini").string()});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "number: --all 不能给多台仪器同一个编号, 配置文件中不能有 number= 行\n");
    run = RunCommand(bus, "configure", {"--all", "--set", "gas-high=5"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "gas-high: 多台仪器可能测不同的气体, 请用 co2-high 或 hcho-high\n");
    for (size_t i = 0; i < 3; ++i)
        EXPECT_FALSE(WroteSettings(bus.At(i))) << i;
}

TEST_F(EveryInstrument, ListShowsNumbersAndHonoursDevice) {
    CommandRun run = RunCommand(bus, "list", {});
    EXPECT_EQ(run.exitCode, 0);
    ASSERT_EQ(run.lines.size(), 3u);
    EXPECT_EQ(run.lines[1], "1\tQX420B-USB Data Logger\tQX420BMeter\t/dev/hidraw1\tA0400001");
    run = RunCommand(bus, "list", {}, 2);
    ASSERT_EQ(run.lines.size(), 1u);
    EXPECT_TRUE(run.lines[0].starts_with("2\tQX7200-USB")) << run.lines[0];
}

}  // namespace
}  // namespace qx
