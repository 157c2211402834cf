// --all over several simulated instruments, run inside the test so that faults can be injected
// into one of them and what each was sent can be looked at afterwards.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>

#include "cli/cli_help.h"
#include "core/library/library_location.h"
#include "core/link/simulated_hid_library.h"
#include "core/model/text_util.h"
#include "core/records/record_file.h"
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

bool Sent(InstrumentSimulator& sim, uint8_t reportId) {
    for (const auto& report : sim.WrittenReports()) {
        if (!report.empty() && report[0] == reportId) return true;
    }
    return false;
}

bool WroteSettings(InstrumentSimulator& sim) {
    return Sent(sim, 2);
}

// Report 3 stops the recording.
bool Stopped(InstrumentSimulator& sim) {
    return Sent(sim, 3);
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

    size_t Files() const {
        return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(dir), {}));
    }

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

TEST_F(EveryInstrument, ADestinationThatCannotBeWrittenStopsNothing) {
    const std::string taken = (dir / "taken.QXRec").string();
    { std::ofstream(taken) << "an older recording"; }
    CommandRun run = RunCommand(bus, "download", {"-q", "-o", taken}, 0);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "文件:" + taken + "\n不能保存!\n" + taken + " 已经存在: 下载从不替换文件\n");
    run = RunCommand(bus, "download", {"-q", "-o", (dir / "gone" / "r.QXRec").string()}, 0);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_FALSE(Stopped(bus.At(0)));
    EXPECT_TRUE(bus.At(0).Recording());
    EXPECT_EQ(std::filesystem::file_size(taken), 18u);
    EXPECT_EQ(Files(), 1u);
}

// The nightly round: every instrument downloaded and then restarted; the one whose transfer
// fails keeps its samples and is not restarted.
TEST_F(EveryInstrument, CollectRestartsOnlyWhatIsSafelyInAFile) {
    bus.At(1).FailTransfer(30);  // within the QX420B's sample blocks
    const uint32_t held = bus.At(1).DownloadableCount();
    const CommandRun run = RunCommand(bus, "collect", {"--dir", dir.string()});
    EXPECT_EQ(run.exitCode, 1);
    ASSERT_EQ(run.lines.size(), 4u) << run.err;
    EXPECT_TRUE(run.lines[0].starts_with("QX450Meter\tA0200001\t/dev/hidraw0\tok " +
                                         (dir / "A0200001_2017").string()))
        << run.lines[0];
    EXPECT_TRUE(run.lines[0].ends_with(".QXRec 测试仪正在进行数据测量...")) << run.lines[0];
    EXPECT_TRUE(
        run.lines[1].starts_with("QX420BMeter\tA0400001\t/dev/hidraw1\t下载出错! a block "
                                 "could not be fetched after "))
        << run.lines[1];
    EXPECT_TRUE(run.lines[1].ends_with(" 仪器已停止记录,数据仍在仪器中.")) << run.lines[1];
    EXPECT_EQ(run.lines[3], "3台仪器: 2台完成, 1台失败.");
    EXPECT_EQ(Files(), 2u);
    for (size_t i : {0u, 2u}) {
        EXPECT_TRUE(WroteSettings(bus.At(i))) << i;
        EXPECT_TRUE(bus.At(i).Recording()) << i;
    }
    EXPECT_FALSE(WroteSettings(bus.At(1)));
    EXPECT_FALSE(bus.At(1).Recording());
    EXPECT_EQ(bus.At(1).DownloadableCount(), held);
    // The file holds the recording the instrument had.
    const std::string path =
        run.lines[0].substr(run.lines[0].find("\tok ") + 4,
                            run.lines[0].find(".QXRec ") + 6 - run.lines[0].find("\tok ") - 4);
    RecordImage image;
    ASSERT_EQ(ReadRecordFile(path, image), 2) << path;
    EXPECT_EQ(EffectiveRecordCount(image.Params(), 2), 864u);
}

// Every saved file joins the library once; a library that fails never fails the round and is
// reported once, while the files stay saved.
TEST_F(EveryInstrument, SavedDownloadsJoinTheLibraryWhichNeverFailsThem) {
    bus.At(1).FailTransfer(30);
    const std::string location = (dir / "lib" / "QXLibrary.sqlite").string();
    ASSERT_TRUE(OpenLibrary(location, LibraryOpen::kCreate).library);  // named, so made first
    CommandRun run =
        RunCommand(bus, "collect", {"--dir", dir.string(), "--no-restart", "--library", location});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err.find("记录库"), std::string::npos) << run.err;
    OpenedLibrary opened = OpenLibrary(location, LibraryOpen::kExisting);
    ASSERT_TRUE(opened.library) << opened.message;
    std::vector<RecordingEntry> list;
    ASSERT_TRUE(opened.library->List({}, list));
    ASSERT_EQ(list.size(), 2u);
    for (const RecordingEntry& e : list) {
        ASSERT_EQ(e.files.size(), 1u);
        EXPECT_EQ(e.files[0].file.newSamples, e.recording.totals.samples);
        EXPECT_GT(e.recording.totals.samples, 0);
    }
    opened.library.reset();

    // A file in the library's place: no library can be opened there.
    std::ofstream(dir / "not-a-library") << "some other file";
    run =
        RunCommand(bus, "download",
                   {"--all", "--dir", dir.string(), "--library", (dir / "not-a-library").string()});
    EXPECT_EQ(run.exitCode, 0);
    ASSERT_EQ(run.lines.size(), 3u);
    const size_t told = run.err.find("已保存,但没有加入记录库:\n文件 ");
    EXPECT_NE(told, std::string::npos) << run.err;
    EXPECT_EQ(run.err.find("已保存,但没有加入记录库", told + 1), std::string::npos) << run.err;
    EXPECT_EQ(Files(), 7u);  // five record files, the library's folder and the other file
    EXPECT_EQ(RunCommand(bus, "download", {"--all", "--library"}).exitCode, 2);
}

// Only the PC's own library is made unasked: a named library that is not there (a mistyped or
// unmounted folder) is refused with the reason, and neither the folders nor a library appear.
TEST_F(EveryInstrument, ANamedLibraryThatIsNotThereIsNeverMade) {
    const std::filesystem::path missing = dir / "missing" / "dir" / "lib.sqlite";
    const std::string data = (dir / "data").string();
    const char* oldData = getenv("XDG_DATA_HOME");
    const std::string keep = oldData ? oldData : "";
    setenv("XDG_DATA_HOME", data.c_str(), 1);
    CommandRun run = RunCommand(bus, "download",
                                {"--all", "--dir", dir.string(), "--library", missing.string()});
    EXPECT_EQ(run.exitCode, 0) << run.err;  // the downloads were saved
    EXPECT_NE(run.err.find(StrFormat("记录库 %s 不存在。", missing.string().c_str())),
              std::string::npos)
        << run.err;
    EXPECT_FALSE(std::filesystem::exists(dir / "missing"));
    EXPECT_EQ(Files(), 3u);  // the record files only

    // The default library is made when first used.
    run = RunCommand(bus, "download", {"--all", "--dir", dir.string()});
    EXPECT_EQ(run.err.find("不存在"), std::string::npos) << run.err;
    EXPECT_TRUE(std::filesystem::exists(DefaultLibraryLocation()));
    oldData ? setenv("XDG_DATA_HOME", keep.c_str(), 1) : unsetenv("XDG_DATA_HOME");
}

TEST_F(EveryInstrument, CollectChecksTheSettingsBeforeItStopsAndSaysWhoWaitsForItsButton) {
    bus.At(2).ClearRecording();
    const CommandRun run = RunCommand(
        bus, "collect", {"--dir", dir.string(), "--set", "start=manual", "--set", "hum-high=90"});
    EXPECT_EQ(run.exitCode, 1);
    ASSERT_EQ(run.lines.size(), 4u) << run.err;
    EXPECT_TRUE(
        run.lines[0].ends_with(".QXRec 如要开始记录数据，请按测试仪上的按钮一次，将进行"
                               "数据测量."))
        << run.lines[0];
    EXPECT_EQ(run.lines[1], "QX420BMeter\tA0400001\t/dev/hidraw1\thum-high: QX420B没有这个参数");
    EXPECT_EQ(run.lines[2], "QX7200Meter\tA0600001\t/dev/hidraw2\t没有数据记录,不能下载!");
    EXPECT_EQ(run.lines[3], "3台仪器: 1台完成, 2台失败.");
    EXPECT_EQ(bus.At(0).SetParams().U8(param::kStartMode), 0);
    for (size_t i : {1u, 2u}) {
        EXPECT_FALSE(Stopped(bus.At(i))) << i;
        EXPECT_FALSE(WroteSettings(bus.At(i))) << i;
    }
    EXPECT_TRUE(bus.At(1).Recording());
    EXPECT_EQ(Files(), 1u);
}

TEST_F(EveryInstrument, CollectDryRunTouchesNothing) {
    CommandRun run = RunCommand(bus, "collect", {"--dir", dir.string(), "--dry-run"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    ASSERT_EQ(run.lines.size(), 4u);
    EXPECT_TRUE(
        run.lines[0].starts_with("QX450Meter\tA0200001\t/dev/hidraw0\tok 试运行: 将下载到 " +
                                 (dir / "A0200001_2017").string()))
        << run.lines[0];
    EXPECT_TRUE(run.lines[0].ends_with(".QXRec, 然后重新开始记录: 测试仪正在进行数据测量..."))
        << run.lines[0];
    EXPECT_EQ(run.lines[3], "3台仪器: 3台完成, 0台失败.");
    run = RunCommand(bus, "collect", {"--dir", dir.string(), "--dry-run", "--no-restart"});
    EXPECT_TRUE(run.lines[2].ends_with(".QXRec")) << run.lines[2];
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_FALSE(Stopped(bus.At(i))) << i;
        EXPECT_FALSE(WroteSettings(bus.At(i))) << i;
        EXPECT_TRUE(bus.At(i).Recording()) << i;
    }
    EXPECT_EQ(Files(), 0u);
    // Arguments are checked before any instrument is touched.
    EXPECT_EQ(RunCommand(bus, "collect", {}).exitCode, 2);
    EXPECT_EQ(
        RunCommand(bus, "collect", {"--dir", dir.string(), "--no-restart", "--set", "start=manual"})
            .exitCode,
        2);
    EXPECT_EQ(RunCommand(bus, "collect", {"--dir", dir.string()}, 0).exitCode, 2);
    run = RunCommand(bus, "collect", {"--dir", (dir / "gone").string()});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "qxlog-cli collect: " + (dir / "gone").string() + " is not a folder\n");
    EXPECT_TRUE(bus.At(0).WrittenReports().empty());
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
