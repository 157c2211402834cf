// qxlog-cli's record commands, run as the program itself.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <set>
#include <sstream>
#include <string>

#include "core/model/text_util.h"
#include "core/records/record_file.h"
#include "core/records/record_fixtures.h"
#include "core/records/record_query.h"
#include "core/records/record_set.h"
#include "core/records/sample_table.h"
#include "core/records/text_export.h"
#include "core/records/xlsx_reader.h"

namespace qx {
namespace {

using test::TempPath;

struct CliRun {
    int status = -1;
    std::string out;  // stdout and stderr together
};

CliRun Cli(const std::string& args) {
    CliRun r;
    const std::string command = std::string(QXLOG_CLI) + " " + args + " 2>&1";
    FILE* p = ::popen(command.c_str(), "r");
    if (!p) return r;
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0)
        r.out.append(buf, n);
    const int status = ::pclose(p);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class RecordCommands : public ::testing::Test {
  protected:
    void SetUp() override {
        // 3000 samples a minute apart from 2017-03-10 21:07:12 +08:00.
        RecordImage image = test::MakeRecordImage(8, 3000);
        ASSERT_TRUE(WriteRecordFile(file.str(), image, 8));
    }
    TempPath file{".QXRec"};
};

TEST_F(RecordCommands, InfoShowsTheRecord) {
    const CliRun r = Cli("info " + file.str());
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("型号: QX7000 (QX7000Meter)"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("样本数: 3000\n"), std::string::npos);
    EXPECT_NE(r.out.find("第一个样本: 2017-03-10 21:07:12\n"), std::string::npos);
    EXPECT_NE(r.out.find("最后一个样本: 2017-03-12 23:06:12\n"), std::string::npos);
    EXPECT_NE(r.out.find("下载时间: 2017-03-12 23:07:12\n"), std::string::npos);
    EXPECT_NE(r.out.find("  CO2报警值\t1000 ppm\n"), std::string::npos);
}

// A file cut short: info names what is missing on its Samples line, export and stats warn and
// go on with the samples the file holds.
TEST_F(RecordCommands, ATruncatedFileSaysSo) {
    std::filesystem::resize_file(file.str(), 96 + 5 * 10 + 4);
    const CliRun r = Cli("info " + file.str());
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("样本数: 10 (记录头标明 3000 个样本, 文件只有 10 个)\n"),
              std::string::npos)
        << r.out;
    EXPECT_EQ(r.out.find("记录不完整"), std::string::npos);  // no second warning
    const CliRun english = Cli("--lang en info " + file.str());
    EXPECT_NE(english.out.find("Samples: 10 (the header names 3000; the file holds only 10)\n"),
              std::string::npos)
        << english.out;

    TempPath out(".csv");
    const std::string warning =
        "文件:" + file.str() + "\n记录不完整!\n记录头标明 3000 个样本, 文件只有 10 个\n";
    for (const std::string& command : {"export -o " + out.str() + " ", std::string("stats ")}) {
        const CliRun run = Cli(command + file.str());
        EXPECT_EQ(run.status, 0) << command;
        EXPECT_NE(run.out.find(warning), std::string::npos) << run.out;
    }
    const std::string csv = ReadAll(out.str());
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 1 + 10);  // the header and 10 samples
}

TEST_F(RecordCommands, ExportFollowsTheExtensionUnlessToldOtherwise) {
    TempPath txt(".txt"), book(".XLSX"), csv(".Csv"), csvText(".csv");
    ASSERT_EQ(Cli("export " + file.str() + " -o " + txt.str()).status, 0);
    ASSERT_EQ(Cli("export " + file.str() + " -o " + book.str()).status, 0);
    ASSERT_EQ(Cli("export " + file.str() + " -o " + csv.str()).status, 0);
    ASSERT_EQ(Cli("export " + file.str() + " -o " + csvText.str() + " --format text").status, 0);

    RecordImage image;
    auto set = std::make_unique<RecordSet>();
    ASSERT_TRUE(OpenRecordFile(file.str(), image, *set).ok);
    SampleTable table;
    table.Build(*set, {});
    EXPECT_EQ(ReadAll(csv.str()), CsvBytes(table));
    const std::string text = ReadAll(txt.str());
    EXPECT_EQ(text.substr(0, 2), "\xFF\xFE");
    EXPECT_EQ(ReadAll(csvText.str()), text);  // --format wins over the extension
    EXPECT_EQ(ReadAll(book.str()).substr(0, 2), "PK");
    const auto rows = test::SheetCells(test::UnzipPart(book.str(), "xl/worksheets/sheet1.xml"));
    EXPECT_EQ(rows.size(), 3001u);
}

TEST_F(RecordCommands, ExportWindows) {
    TempPath out(".csv");
    CliRun r = Cli("export " + file.str() + " -o " + out.str() +
                   " --format csv --from 2017-03-11 --to 2017-03-11");
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("查询条件:日期从[2017-03-11]-[2017-03-11] 记录数:1440"), std::string::npos)
        << r.out;
    const std::string csv = ReadAll(out.str());
    EXPECT_NE(csv.find("\r\n1,2017-03-11T00:00:12+08:00,"), std::string::npos);
    EXPECT_NE(csv.find("\r\n1440,2017-03-11T23:59:12+08:00,"), std::string::npos);

    // The record lies years back: the last 300 days hold none of it.
    r = Cli("export " + file.str() + " -o " + out.str() + " --format csv --last-days 300");
    ASSERT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("记录数:0\n"), std::string::npos) << r.out;
    const std::string empty = ReadAll(out.str());
    EXPECT_EQ(std::count(empty.begin(), empty.end(), '\n'), 1);
}

TEST(RecordCommandTimes, RecordStartedIn2039) {
    TempPath file(".QXRec"), out(".csv");
    const auto start = static_cast<uint32_t>(test::LocalTime(2039, 9, 1, 8));
    RecordImage image = test::MakeRecordImage(8, 3000, start);
    ASSERT_TRUE(WriteRecordFile(file.str(), image, 8));
    CliRun r = Cli("info " + file.str());
    EXPECT_NE(r.out.find("第一个样本: 2039-09-01 08:00:00\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("最后一个样本: 2039-09-03 09:59:00\n"), std::string::npos) << r.out;
    r = Cli("export " + file.str() + " -o " + out.str() +
            " --format csv --from 2039-09-02 --to 2039-09-02");
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("查询条件:日期从[2039-09-02]-[2039-09-02] 记录数:1440"), std::string::npos)
        << r.out;
    EXPECT_NE(ReadAll(out.str()).find("\r\n1440,2039-09-02T23:59:00+08:00,"), std::string::npos);
    // The instruments' clocks end in February 2106.
    EXPECT_EQ(
        Cli("export " + file.str() + " -o " + out.str() + " --from 2106-03-01 --to 2106-03-01")
            .status,
        2);
}

TEST_F(RecordCommands, BadArgumentsAndFiles) {
    TempPath out(".txt");
    const std::string f = file.str();
    EXPECT_EQ(Cli("export " + f).status, 2);
    EXPECT_EQ(Cli("export -o " + out.str()).status, 2);
    EXPECT_EQ(Cli("export " + f + " -o").status, 2);
    EXPECT_EQ(Cli("export " + f + " -o " + out.str() + " --last-days 0").status, 2);
    EXPECT_EQ(Cli("export " + f + " -o " + out.str() + " --last-days x").status, 2);
    EXPECT_EQ(Cli("export " + f + " -o " + out.str() + " --last-months 31").status, 2);
    EXPECT_EQ(Cli("export " + f + " -o " + out.str() + " --from 2017-03-11").status, 2);
    EXPECT_EQ(Cli("export " + f + " -o " + out.str() + " --from 2017-13-01 --to 2017-03-01").status,
              2);
    EXPECT_EQ(Cli("export " + f + " -o " + out.str() + " --last-days 2 --last-months 1").status, 2);
    EXPECT_EQ(Cli("export " + f + " -o " + out.str() + " --format ods").status, 2);
    EXPECT_EQ(Cli("export " + f + " -o /tmp/noextension").status, 2);
    // An extension that names no export format is never written as another format.
    const std::string pdf = out.str() + ".pdf";
    const CliRun asPdf = Cli("export " + f + " -o " + pdf);
    EXPECT_EQ(asPdf.status, 2) << asPdf.out;
    EXPECT_NE(asPdf.out.find("的扩展名不是导出的格式 (.xlsx, .xls, .txt, .csv)"), std::string::npos)
        << asPdf.out;
    EXPECT_FALSE(std::filesystem::exists(pdf));
    EXPECT_EQ(Cli("export " + f + " -o " + pdf + " --format text").status, 0);  // as told
    std::filesystem::remove(pdf);
    EXPECT_EQ(Cli("export " + f + " -o " + out.str() + " --bogus").status, 2);
    EXPECT_FALSE(std::filesystem::exists(out.str()));

    const CliRun missing = Cli("export /nonexistent.QXRec -o " + out.str());
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.out.find("文件:/nonexistent.QXRec\n不能打开!"), std::string::npos);
    const CliRun unwritable = Cli("export " + f + " -o /nonexistent/dir/a.txt");
    EXPECT_EQ(unwritable.status, 1);
    EXPECT_NE(unwritable.out.find("文件:/nonexistent/dir/a.txt\n导出失败!"), std::string::npos);
    EXPECT_NE(
        unwritable.out.find("导出失败!\n不能在 /nonexistent/dir 中建立文件: 没有那个文件或目录\n"),
        std::string::npos)
        << unwritable.out;
    EXPECT_EQ(Cli("info").status, 2);
    EXPECT_EQ(Cli("info /nonexistent.QXRec").status, 1);
    const CliRun help = Cli("export --help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("用法: qxlog-cli export FILE -o OUT"), std::string::npos);
}

// What cannot be read as a record says why below the system's message, whichever command
// reads it, in either language.
TEST_F(RecordCommands, InfoSaysWhyAFileCannotBeOpened) {
    TempPath text(".txt"), shortFile(".QXRec");
    std::ofstream(text.str()) << "hello, world\n";
    // A known magic, but one byte short of the header that holds the recording's settings.
    std::filesystem::copy_file(file.str(), shortFile.str(),
                               std::filesystem::copy_options::overwrite_existing);
    std::filesystem::resize_file(shortFile.str(), 95);
    const std::string dir = std::filesystem::path(file.str()).parent_path().string();
    const std::string fifo = file.str() + ".fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    struct Case {
        std::string path, zh, en;
    };
    const Case cases[] = {
        {"/nonexistent.QXRec", "没有那个文件或目录", "No such file or directory"},
        {dir, "是一个目录", "Is a directory"},
        {text.str(), "不是记录文件 (未知的标识 0x6c6c6568)",
         "not a record file (unknown magic 0x6c6c6568)"},
        {shortFile.str(), "短于记录头 (95 字节)", "shorter than a record header (95 bytes)"},
        // A named pipe is refused at once instead of waiting for a writer for ever.
        {fifo, "不是普通文件 (是命名管道、套接字或特殊文件)",
         "not a regular file (a named pipe, a socket or a special file)"},
    };
    TempPath out(".xlsx");
    for (const std::string& command :
         {std::string("info "), std::string("stats "), "export -o " + out.str() + " "}) {
        for (const Case& c : cases) {
            const CliRun r = Cli(command + c.path);
            EXPECT_EQ(r.status, 1) << command;
            EXPECT_EQ(r.out, "文件:" + c.path + "\n不能打开!\n" + c.zh + "\n") << command;
        }
    }
    for (const Case& c : cases) {
        EXPECT_EQ(Cli("--lang en info " + c.path).out,
                  "File: " + c.path + "\ncannot be opened.\n" + c.en + "\n");
    }
    EXPECT_FALSE(std::filesystem::exists(out.str()));
    std::filesystem::remove(fifo);
}

// A file-size limit (ulimit -f, LimitFSIZE) fails the export with its reason instead of
// killing the program with SIGXFSZ, and leaves no temporary file.
TEST_F(RecordCommands, AFileSizeLimitFailsTheExportWithItsReason) {
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("qxlog-fsize-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    for (const char* name : {"a.xlsx", "a.txt", "a.csv"}) {
        const std::string out = (dir / name).string();
        // The limit for the program alone, as systemd's LimitFSIZE sets it: 8 blocks of 512.
        const CliRun r = Cli("--version >/dev/null; ulimit -f 8; " + std::string(QXLOG_CLI) +
                             " export " + file.str() + " -o " + out);
        EXPECT_EQ(r.status, 1) << name << ": " << r.out;
        EXPECT_NE(r.out.find("文件:" + out + "\n导出失败!\n"), std::string::npos) << r.out;
        if (!std::string_view(name).ends_with(".xlsx")) {  // the workbook names its own step
            EXPECT_NE(r.out.find("文件过大"), std::string::npos) << r.out;
        }
    }
    size_t left = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        left += entry.path().filename().string().ends_with(".tmp");
    EXPECT_EQ(left, 0u);
    std::filesystem::remove_all(dir);
}

// The UTF-16 text export as UTF-8 lines.
std::vector<std::string> TextLines(const std::string& path) {
    const std::string bytes = ReadAll(path);
    std::u16string units;
    for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
        units += static_cast<char16_t>(static_cast<uint8_t>(bytes[i]) |
                                       (static_cast<uint8_t>(bytes[i + 1]) << 8));
    }
    std::vector<std::string> lines;
    std::string text = Utf16ToUtf8(units);
    for (size_t start = 0, end; (end = text.find("\r\n", start)) != std::string::npos;
         start = end + 2) {
        lines.push_back(text.substr(start, end - start));
    }
    return lines;
}

// A download from a simulated flow meter, exported as workbook and as text: both sheets hold
// the rows the text gives.
TEST(StatsCommand, JsonOfASmallRecord) {
    // 15.0, 18.7 and 22.4 °C a minute apart: below 16, inside, above 20.
    TempPath file(".QXRec");
    RecordImage image = test::MakeRecordImage(4, 3);
    ASSERT_TRUE(WriteRecordFile(file.str(), image, 4));
    const CliRun r = Cli("stats --json " + file.str() + " --limit temp=16,20");
    ASSERT_EQ(r.status, 0) << r.out;
    const std::string t0 = "\"2017-03-10T21:07:12+08:00\"";
    const std::string t2 = "\"2017-03-10T21:09:12+08:00\"";
    EXPECT_EQ(r.out, "{\"file\": \"" + file.str() +
                         "\", \"model\": \"QX420B\", \"number\": \"QX0001\", \"name\": \"测试点\", "
                         "\"query\": \"所有\", \"interval_s\": 60, \"first\": " +
                         t0 + ", \"last\": " + t2 +
                         ", \"samples\": 3, \"mkt_dh_kj_mol\": 83.144, \"series\": [{\"id\": "
                         "\"temp\", \"title\": \"温度(℃)\", \"unit\": \"℃\", "
                         "\"count\": 3, \"missing\": 0, \"min\": 15.0, \"min_time\": " +
                         t0 + ", \"max\": 22.4, \"max_time\": " + t2 +
                         ", \"mean\": 18.700, \"stdev\": 3.700, \"mkt\": 19.196, \"limits\": "
                         "{\"source\": \"given\", \"low\": 16, \"high\": 20, \"inverted\": false, "
                         "\"below\": {\"samples\": 1, \"seconds\": 60}, \"above\": "
                         "{\"samples\": 1, \"seconds\": 60}, \"excursions\": [{\"side\": \"low\", "
                         "\"start\": " +
                         t0 + ", \"end\": " + t0 +
                         ", \"samples\": 1, \"seconds\": 60, \"peak\": 15.0, \"peak_time\": " + t0 +
                         "}, {\"side\": \"high\", \"start\": " + t2 + ", \"end\": " + t2 +
                         ", \"samples\": 1, \"seconds\": 60, \"peak\": 22.4, \"peak_time\": " + t2 +
                         "}]}}]}\n");
    // Record limits with the low one above the high one: said in a line and in the JSON.
    ParamBlock p = image.Params();
    p.SetU16(param::kLowLimit, 700);
    p.SetU16(param::kHighLimit, 500);
    image.SetParams(p);
    ASSERT_TRUE(WriteRecordFile(file.str(), image, 4));
    EXPECT_NE(Cli("stats " + file.str()).out.find("注意:温度(℃):记录的下限 30 高于上限 10,"),
              std::string::npos);
    EXPECT_NE(
        Cli("stats --json " + file.str())
            .out.find("\"source\": \"record\", \"low\": 30, \"high\": 10, \"inverted\": true"),
        std::string::npos);
}

TEST_F(RecordCommands, StatsTableWindowsAndBadArguments) {
    const std::string f = file.str();
    CliRun r = Cli("stats " + f + " --from 2017-03-11 --to 2017-03-11 --mkt-dh 100");
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("查询条件:日期从[2017-03-11]-[2017-03-11] 记录间隔:60秒 记录数:1440"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("CO2(PPM)"), std::string::npos);
    EXPECT_NE(r.out.find("平均动力学温度"), std::string::npos);
    EXPECT_NE(r.out.find("活化能ΔH:100 kJ/mol\n"), std::string::npos);

    // Ids and names in either language, limits up to the ends of the series' range.
    for (const char* good : {"--lang zh stats --limit 'Dew point=,5'",
                             "--lang en stats --limit 露点=,5", "--lang en stats --limit dew=,5",
                             "stats --limit hum=0,100", "stats --limit temp=-40,369.5"}) {
        r = Cli(std::string(good) + " --json " + f);
        EXPECT_EQ(r.status, 0) << good << ": " << r.out;
        EXPECT_NE(r.out.find("\"source\": \"given\""), std::string::npos) << good;
    }

    // Nothing selected: the counts, no figures, no first or last time.
    r = Cli("stats " + f + " --json --last-days 1");
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("\"samples\": 0, \"mkt_dh_kj_mol\": 83.144, \"series\": [{\"id\": "
                         "\"temp\", \"title\": \"温度(℃)\", \"unit\": \"℃\", \"count\": 0, "
                         "\"missing\": 0, \"limits\""),
              std::string::npos)
        << r.out;
    EXPECT_EQ(r.out.find("\"first\""), std::string::npos);

    for (const char* bad : {"--limit nope=1,2", "--limit temp=5,1", "--limit temp=,",
                            "--limit temp=1", "--limit hcho=0,1", "--mkt-dh 0", "--mkt-dh x",
                            "--json --json2", "--limit", "--limit hum=,100.1",
                            "--limit temp=-40.1,", "--limit temp=,1e308", "--limit temp=nan,"}) {
        r = Cli("stats " + f + " " + bad);
        EXPECT_EQ(r.status, 2) << bad << ": " << r.out;
    }
    EXPECT_NE(
        Cli("stats " + f + " --limit x=1,2").out.find("温度(℃), 湿度(%RH), 露点(℃), CO2(PPM)"),
        std::string::npos);
    EXPECT_EQ(Cli("stats /nonexistent.QXRec").status, 1);
}

TEST(DownloadCommand, WorkbookAndTextOfADownloadAgree) {
    TempPath record(".QXRec"), book(".xlsx"), text(".txt");
    const CliRun d = Cli("--simulate QX7200 download -o " + record.str());
    ASSERT_EQ(d.status, 0) << d.out;
    EXPECT_NE(d.out.find("正在接收数据,请稍候...\n100%(864/864)\n"), std::string::npos) << d.out;
    EXPECT_NE(d.out.find("QX7200Meter: 864 个样本已写入 " + record.str()), std::string::npos);
    ASSERT_EQ(Cli("export " + record.str() + " -o " + book.str()).status, 0);
    ASSERT_EQ(Cli("export " + record.str() + " -o " + text.str()).status, 0);

    const std::vector<std::string> lines = TextLines(text.str());
    const auto samples = test::SheetCells(test::UnzipPart(book.str(), "xl/worksheets/sheet1.xml"));
    const auto params = test::SheetCells(test::UnzipPart(book.str(), "xl/worksheets/sheet2.xml"));
    ASSERT_EQ(params.size(), 17u);  // title row and the flow meter's sixteen parameter rows
    ASSERT_EQ(samples.size(), 865u);
    ASSERT_EQ(lines.size(), 16u + 1u + 864u);
    for (size_t p = 1; p < params.size(); ++p) {
        const std::string content = params[p].count(1) ? params[p].at(1).value : "";
        EXPECT_EQ(lines[p - 1], params[p].at(0).value + "," + content);
    }
    std::string header;
    for (const auto& [c, cell] : samples[0])
        header += (c ? ",\"" : "\"") + cell.value + "\"";
    EXPECT_EQ(lines[16], header);
    for (size_t r = 1; r < samples.size(); ++r) {
        // Numbers come back as the workbook stores them; printed with the list's decimals they
        // must give the text's cells.
        std::stringstream row(lines[16 + r]);
        std::string cell;
        for (int c = 0; std::getline(row, cell, ','); ++c) {
            const test::XlsxCell& x = samples[r].at(c);
            if (c == 1) {
                EXPECT_EQ(test::SerialDateTimeText(std::stod(x.value)), cell) << r;
            } else if (x.isText) {
                EXPECT_EQ(x.value, cell);
            } else {
                EXPECT_DOUBLE_EQ(std::stod(x.value), std::stod(cell)) << r << "," << c;
            }
        }
    }
}

// stderr here is a pipe: no bar unless asked for; --quiet leaves only errors. (Without the
// library, whose notices of earlier tests' downloads of the same logger would come between.)
TEST(DownloadCommand, ProgressOutputFitsWhereItGoes) {
    TempPath record(".QXRec");
    const std::string download = "--simulate QX450 download --no-library -o " + record.str();
    const CliRun plain = Cli(download);
    EXPECT_EQ(plain.status, 0);
    EXPECT_EQ(plain.out, "正在接收数据,请稍候...\n100%(864/864)\nQX450Meter: 864 个样本已写入 " +
                             record.str() + "\n");
    std::filesystem::remove(record.str());  // a download never replaces a file
    const CliRun bar = Cli(download + " --progress");
    EXPECT_EQ(bar.status, 0);
    EXPECT_GT(std::count(bar.out.begin(), bar.out.end(), '\r'), 10) << bar.out;
    EXPECT_NE(bar.out.find("[########################################] 100%(864/864)\n"),
              std::string::npos);
    std::filesystem::remove(record.str());
    const CliRun quiet = Cli(download + " --quiet");
    EXPECT_EQ(quiet.status, 0);
    EXPECT_EQ(quiet.out, "");
    EXPECT_TRUE(std::filesystem::exists(record.str()));
    EXPECT_EQ(Cli(download + " -q --progress").status, 2);
    // Errors still come through --quiet, with their reason.
    const CliRun failed = Cli("--simulate QX450 download -q -o /nonexistent/dir/a.QXRec");
    EXPECT_EQ(failed.status, 1);
    EXPECT_EQ(failed.out,
              "文件:/nonexistent/dir/a.QXRec\n不能保存!\n"
              "不能在 /nonexistent/dir 中建立文件: 没有那个文件或目录\n");
}

// Six downloads of the same recording into one folder at once (the simulated instruments of
// separate runs started within a second hold the same recording): six files.
TEST(DownloadCommand, ParallelDownloadsIntoOneFolderLoseNoFile) {
    TempPath dir("-folder");
    std::filesystem::create_directory(dir.str());
    std::string script;
    for (int i = 0; i < 6; ++i) {
        script += "(" + std::string(QXLOG_CLI) + " --simulate QX450 download -q --dir " +
                  dir.str() + " || echo FAILED) &\n";
    }
    FILE* shell = ::popen((script + "wait\n").c_str(), "r");
    ASSERT_NE(shell, nullptr);
    std::string out;
    char buffer[256];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, shell)) > 0;)
        out.append(buffer, n);
    ::pclose(shell);
    EXPECT_EQ(out, "");
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.str())) {
        names.insert(entry.path().filename().string());
        EXPECT_EQ(entry.file_size(), 96u + 864u * 3u) << entry.path();
    }
    EXPECT_EQ(names.size(), 6u);
    std::filesystem::remove_all(dir.str());
}

TEST(DownloadCommand, FailuresWriteNoFile) {
    EXPECT_EQ(Cli("--simulate QX450 download").status, 2);
    EXPECT_EQ(Cli("--simulate QX450 download -o").status, 2);
    EXPECT_EQ(Cli("--simulate QX450 download -o a b").status, 2);
    const CliRun unwritable = Cli("--simulate QX450 download -o /nonexistent/dir/a.QXRec");
    EXPECT_EQ(unwritable.status, 1);
    EXPECT_NE(unwritable.out.find("文件:/nonexistent/dir/a.QXRec\n不能保存!"), std::string::npos);
    TempPath record(".QXRec");
    const CliRun none = Cli("--device 3 --simulate QX450 download -o " + record.str());
    EXPECT_EQ(none.status, 1);
    EXPECT_NE(none.out.find("没发现有效设备!"), std::string::npos) << none.out;
    EXPECT_FALSE(std::filesystem::exists(record.str()));
    EXPECT_EQ(Cli("download --help").status, 0);
}

}  // namespace
}  // namespace qx
