// qxlog-cli configure and profiles, run as a program against simulated instruments.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "core/model/instrument_catalogue.h"
#include "run_cli.h"

namespace qx {
namespace {

using test::Lines;
using test::RunCli;

bool HasLineStartingWith(const std::string& text, const std::string& start) {
    for (const std::string& line : Lines(text)) {
        if (line.starts_with(start)) return true;
    }
    return false;
}

// One value per key, and the parameter-list row that shows it (empty: the list has no row for
// it; the command's own read-back still checks it).
struct KeyCase {
    const char* key;
    const char* value;
    const char* row;
};
const KeyCase kKeyCases[] = {
    {"address", "7", "仪器地址\t7"},
    {"number", "Z-9", "仪器编号\tZ-9"},
    {"name", "一号库", "测量名称\t一号库"},
    {"count", "500", "设定记录总数\t500"},
    {"interval", "2h", "采样间隔\t2 hour"},
    {"led", "10s", "工作LED闪烁\t每隔10s"},
    {"alarm-mode", "fast", "报警方式\t快闪"},
    {"temp-unit", "C", ""},
    {"temp-low", "3", "温度报警值\tL:3 H:30 ℃"},
    {"temp-high", "30", "温度报警值\tL:3 H:30 ℃"},
    {"hum-low", "20", "湿度报警值\tL:20 H:80 %RH"},
    {"hum-high", "80", "湿度报警值\tL:20 H:80 %RH"},
    {"sound-low", "35", "噪声报警值\tL:35 H:90 dB"},
    {"sound-high", "90", "噪声报警值\tL:35 H:90 dB"},
    {"speed", "slow", "采样速度\t慢速"},
    {"weighting", "C", "声级\tC级"},
    {"pressure-unit", "psi", ""},
    {"flow-unit", "l/s", ""},
    {"flow-c1", "1.5", "流量计算参数1\t1.5"},
    {"flow-c2", "-0.25", "流量计算参数2\t-0.25"},
    {"flow-c3", "12.5", "流量计算参数3\t12.5"},
    {"start", "manual", "立即/手动\t手动测量"},
    {"start-delay", "5", "立即/手动\t手动测量 5 Min."},
};

TEST(CliConfigure, EveryKeyOfEveryModelRoundTrips) {
    for (InstrumentTypeId t = 1; t <= kModelCount; ++t) {
        const std::string model = ModelName(t);
        const auto keys = Lines(RunCli({"--simulate", model, "configure", "--keys"}).out);
        std::vector<std::string> args = {"--simulate", model, "configure"};
        std::vector<std::string> rows;
        size_t known = 0;
        for (const KeyCase& c : kKeyCases) {
            const bool has = std::any_of(keys.begin(), keys.end(), [&](const std::string& line) {
                return line.starts_with(std::string(c.key) + "\t");
            });
            if (!has) continue;
            ++known;
            args.insert(args.end(), {"--set", std::string(c.key) + "=" + c.value});
            if (*c.row) rows.push_back(c.row);
        }
        if (t == 8 || t == 11) {
            args.insert(args.end(), {"--set", t == 8 ? "gas-high=1500" : "gas-high=0.5"});
            rows.push_back(t == 8 ? "CO2报警值\t1500 ppm" : "甲醛报警值\t0.50 mg/m3");
            ++known;
        }
        EXPECT_EQ(known, keys.size()) << model << ": a key without a case";
        const auto run = RunCli(args);
        ASSERT_EQ(run.exitCode, 0) << model << "\n" << run.err;
        for (const std::string& row : rows)
            EXPECT_TRUE(HasLineStartingWith(run.out, row)) << model << ": " << row << "\n"
                                                           << run.out;
    }
}

TEST(CliConfigure, RefusalsNameTheKeyWithTheEditorsMessage) {
    const std::vector<std::vector<std::string>> cases = {
        {"QX450", "interval=25h", "interval: 数值范围应在1-24之间!"},
        {"QX420B", "count=0", "count: 数值范围应在1-32512之间!"},
        {"QX420", "count=cyclic", "count: QX420没有循环记录"},
        {"QX450", "temp-high=81", "temp-high: 数值范围应在-40-80之间!"},
        {"QX450", "temp-unit=F", "temp-high=177", "temp-high: 数值范围应在-40-176之间!"},
        {"QX450", "address=x", "address: 请输入一个正整数。"},
        {"QX450", "address=255", "address: 请输入一个在 1 和 254 之间的整数。"},
        {"QX450", "number=ABCDEFGHIJK", "number: 请输入不多于 10 个的字符。"},
        {"QX450", "number=A B", "number: 仪器编号只能有字母、数字、- 或 _, 不能有 ' '"},
        {"QX450", "name=一二三四五六七八九十一二三四五六七八九",
         "name: 请输入不多于 18 个的字符。"},
        {"QX450", "temp-low=1.5", "temp-low: 请输入一个整数。"},
        {"QX450", "hum-high=101", "hum-high: 请输入一个在 0 和 100 之间的整数。"},
        {"QX7000", "gas-high=0", "gas-high: 请输入一个在 1 和 9999 之间的整数。"},
        {"QX610", "gas-high=abc", "gas-high: 请输入一个数字。"},
        {"QX610", "gas-high=11", "gas-high: 请输入一个在 0.01 和 10 之间的数字。"},
        {"QX410", "sound-low=151", "sound-low: 请输入一个在 0 和 150 之间的整数。"},
        {"QX7200", "flow-c1=10", "flow-c1: 请输入一个在 -9.999 和 9.999 之间的数字。"},
        {"QX460", "start-delay=1001", "start-delay: 请输入一个在 0 和 1000 之间的整数。"},
        {"QX420B", "hum-low=20", "hum-low: QX420B没有这个参数"},
        {"QX450", "humidity=20", "humidity: 没有这个参数名"},
        {"QX420", "led=7s", "led: 不能识别\"7s\", 应为 off|measure|5s|10s|20s|30s|60s"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = {"--simulate", c[0], "configure"};
        for (size_t i = 1; i + 1 < c.size(); ++i)
            args.insert(args.end(), {"--set", c[i]});
        const auto run = RunCli(args);
        EXPECT_EQ(run.exitCode, 1) << c[1];
        EXPECT_EQ(run.err, c.back() + "\n") << c[1];
        EXPECT_EQ(run.out, "") << c[1];
    }
    EXPECT_EQ(RunCli({"--simulate", "QX450", "configure", "--set", "address"}).exitCode, 2);
    EXPECT_EQ(RunCli({"--simulate", "QX450", "configure", "--all", "--device", "0"}).exitCode, 2);
}

TEST(CliConfigure, ProfileFromOneModelAppliedToAnother) {
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("qxlog-profile-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    const std::string profile = (dir / "site.ini").string();
    auto run = RunCli({"--simulate", "QX450", "params", "--save-profile", profile});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    std::ifstream in(profile);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_TRUE(text.str().starts_with("[qxlog-profile]\nmodel=QX450\naddress=1\n")) << text.str();
    EXPECT_NE(text.str().find("\ncount=cyclic\n"), std::string::npos);
    EXPECT_NE(text.str().find("\nhum-high=75\n"), std::string::npos);

    EXPECT_EQ(text.str().find("\nnumber="), std::string::npos);  // only --with-identity
    EXPECT_EQ(text.str().find("\nname="), std::string::npos);

    // The QX420B has neither humidity limits nor cyclic memory: warned, skipped, the rest set;
    // it keeps its own name.
    run = RunCli(
        {"--simulate", "QX420B", "configure", "--profile", profile, "--set", "interval=30s"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.err.find("警告: QX420B没有这些参数, 已跳过: count=cyclic, hum-low, hum-high"),
              std::string::npos)
        << run.err;
    EXPECT_TRUE(HasLineStartingWith(run.out, "测量名称\t冷链运输箱")) << run.out;
    EXPECT_TRUE(HasLineStartingWith(run.out, "采样间隔\t30 sec")) << run.out;
    run = RunCli({"--simulate", "QX450", "params", "--save-profile", profile, "--with-identity"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    std::ifstream again(profile);
    std::stringstream identity;
    identity << again.rdbuf();
    EXPECT_NE(identity.str().find("\nnumber=A0200001\nname=冷库温湿度\n"), std::string::npos);

    // A damaged profile is refused with its line, and nothing is done.
    std::ofstream(dir / "bad.ini") << "[qxlog-profile]\nmodel=QX450\ntemp-low 5\n";
    run = RunCli({"--simulate", "QX450", "configure", "--profile", (dir / "bad.ini").string()});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("第3行: 应为 KEY=VALUE"), std::string::npos) << run.err;
    std::filesystem::remove_all(dir);
}

// The cases of the issue that made these rules, as a user types them.
TEST(CliConfigure, UnitGasAndControlCharacterRules) {
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("qxlog-rules-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    const std::string sorted = (dir / "sorted.ini").string();
    std::ofstream(sorted) << "[qxlog-profile]\nmodel=QX450\ntemp-high=46\ntemp-low=35\n"
                             "temp-unit=F\n";
    auto run = RunCli({"--simulate", "QX450", "configure", "--profile", sorted, "--dry-run"});
    EXPECT_TRUE(HasLineStartingWith(run.out, "温度报警值\tL:35 H:46 ℉")) << run.out;
    run = RunCli({"--simulate", "QX450", "configure", "--set", "temp-low=20", "--set",
                  "temp-unit=F", "--dry-run"});
    EXPECT_TRUE(HasLineStartingWith(run.out, "温度报警值\tL:20 H:79 ℉")) << run.out;

    const std::string qx610 = (dir / "qx610.ini").string();
    std::ofstream(qx610) << "[qxlog-profile]\nmodel=QX610\ngas-high=5\n";
    run = RunCli({"--simulate", "QX7000", "configure", "--profile", qx610});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "配置文件中 hcho-high: QX7000测CO2, 不能用甲醛报警值(mg/m3)!\n");
    EXPECT_EQ(run.out, "");

    run = RunCli({"--simulate", "QX450", "configure", "--set", "name=a\nnumber=EVIL"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "name: 测量名称中不能有控制字符(换行、制表符等)!\n");
    run = RunCli({"--simulate", "QX7200", "configure", "--set", "flow-c1=0.0001"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "flow-c1: 仪器只能保存3位小数, 不能保存0.0001; 最接近的值是 0 和 0.001。\n");
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace qx
