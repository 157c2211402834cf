// qxlog-cli's instrument commands, run as a program against simulated instruments.
#include <gtest/gtest.h>

#include "core/model/param_list_rows.h"
#include "run_cli.h"

namespace qx {
namespace {

using test::Lines;
using test::RunCli;

TEST(CliInstrument, ListsEverySimulatedInstrument) {
    const auto run = RunCli({"--simulate", "QX420,QX610", "list"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(Lines(run.out), (std::vector<std::string>{
                                  "0\tQX420-USB Data Logger\tQX420Meter\t/dev/hidraw0\tA0100001",
                                  "1\tQX610-USB Data Logger\tQX610Meter\t/dev/hidraw1\tA1100001"}));
}

TEST(CliInstrument, ParamsOfTheFlowMeterShowItsSixteenRows) {
    const auto run = RunCli({"--simulate", "QX7200", "params"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const auto lines = Lines(run.out);
    ASSERT_EQ(lines.size(), 16u);
    const auto items = ParamListItems(6);
    for (size_t i = 0; i < lines.size(); ++i) {
        EXPECT_TRUE(lines[i].starts_with(std::string(ParamListItem(items[i]).label) + "\t"))
            << lines[i];
    }
    EXPECT_EQ(lines[0], "仪器地址\t1");
    EXPECT_EQ(lines[2], "测量名称\t通风管道");
    EXPECT_EQ(lines[5], "采样间隔\t5 min");
    EXPECT_EQ(lines[7], "温度报警值\tL:5 H:26 ℃");
    EXPECT_EQ(lines[14], "流量计算参数2\t1");
}

TEST(CliInstrument, RecordedParamsAndDeviceChoice) {
    auto run = RunCli({"--simulate", "QX390,QX450", "--device", "0", "params", "--recorded"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    auto lines = Lines(run.out);
    ASSERT_EQ(lines.size(), 13u);  // model 7's list
    EXPECT_EQ(lines[7], "噪声报警值\tL:40 H:80 dB");
    EXPECT_EQ(lines[11], "实际记录数\t864");

    run = RunCli({"--simulate", "QX390,QX450", "params"});  // the last one: model 2
    ASSERT_EQ(run.exitCode, 0) << run.err;
    lines = Lines(run.out);
    ASSERT_EQ(lines.size(), 15u);
    EXPECT_EQ(lines[4], "设定记录总数\t循环记录");

    run = RunCli({"--simulate", "QX390", "--device", "3", "status"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("--device 3: 只连接了仪器 0\n"), std::string::npos);
    EXPECT_NE(run.err.find("没发现有效设备!"), std::string::npos);
    // The last index and one past it.
    EXPECT_EQ(RunCli({"--simulate", "QX390,QX450", "--device", "1", "list"}).exitCode, 0);
    run = RunCli({"--simulate", "QX390,QX450", "--device", "2", "list"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "qxlog-cli: --device 2: 只连接了仪器 0 到 1\n");
}

TEST(CliInstrument, StatusShowsTheModelsReadings) {
    auto run = RunCli({"--simulate", "QX440", "status"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    auto lines = Lines(run.out);
    ASSERT_GE(lines.size(), 8u);
    EXPECT_EQ(lines[0], "型号: QX440Meter");
    EXPECT_TRUE(lines[1].starts_with("仪器时钟: 20"));
    EXPECT_EQ(lines[2], "记录数: 864");
    EXPECT_EQ(lines[3], "记录状态: 正在记录");
    EXPECT_TRUE(lines[4].starts_with("温度: ") && lines[4].ends_with(" ℃"));
    EXPECT_TRUE(lines[5].starts_with("湿度: ") && lines[5].ends_with(" %RH"));
    EXPECT_TRUE(lines[6].starts_with("气压: ") && lines[6].ends_with(" hPa"));
    EXPECT_NE(run.out.find("温度上限: 26 ℃"), std::string::npos);

    run = RunCli({"--simulate", "QX7000", "status"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("\nCO2: "), std::string::npos);
    EXPECT_NE(run.out.find("CO2报警值: 1000 PPM"), std::string::npos);

    run = RunCli({"--simulate", "QX390", "status"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out.find("温度"), std::string::npos);
    EXPECT_NE(run.out.find("噪声下限: 40 dB"), std::string::npos);
    EXPECT_NE(run.out.find("采样速度: FAST"), std::string::npos);
}

TEST(CliInstrument, ClockAndStopFollowTheRecordingState) {
    // The simulated instruments are recording: the clock may not be set.
    auto run = RunCli({"--simulate", "QX420", "set-clock"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "仪器正在做采样记录工作,不能更新时钟!\n");
    run = RunCli({"--simulate", "QX420", "stop"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "记录已停止.\n");
}

TEST(CliInstrument, ErrorsAndHelp) {
    auto run = RunCli({"status"});  // no instrument attached on a test machine
    if (run.exitCode != 0) {
        EXPECT_NE(run.err, "");
    }
    run = RunCli({"--simulate", "QX420", "status", "extra"});
    EXPECT_EQ(run.exitCode, 2);
    run = RunCli({"--simulate", "QX420", "params", "--recorded", "--bogus"});
    EXPECT_EQ(run.exitCode, 2);
    for (const char* command : {"list", "status", "params", "set-clock", "stop"}) {
        run = RunCli({command, "--help"});
        EXPECT_EQ(run.exitCode, 0) << command;
        EXPECT_TRUE(run.out.starts_with("用法: qxlog-cli")) << command;
    }
    run = RunCli({"--help"});
    EXPECT_NE(run.out.find("set-clock"), std::string::npos);
}

}  // namespace
}  // namespace qx
