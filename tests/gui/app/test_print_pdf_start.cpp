// qxlog --print-pdf: the options, the PDF written from a record file without a window, and the
// failures, in the program itself and as a process without a display.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "core/library/library_location.h"
#include "core/library/record_library.h"
#include "core/records/record_file.h"
#include "core/records/record_fixtures.h"
#include "core/signing/pdf_signature.h"
#include "gui/app/frame_fixture.h"
#include "gui/app/print_pdf_start.h"
#include "gui/app/qx420_app.h"
#include "gui/compare/compare_view.h"
#include "gui/print/print_test_util.h"

namespace qx::test {
namespace {

TEST(PrintPdfOptions, ReadWithTheQueryOfTheExport) {
    StartOptions options;
    QString error;
    ASSERT_TRUE(ParseStartOptions({"--print-pdf", "day.pdf", "r.QXRec", "--report", "chart",
                                   "--from", "2017-03-10", "--to", "2017-03-11"},
                                  options, error))
        << error.toStdString();
    EXPECT_EQ(options.printPdf, QStringLiteral("day.pdf"));
    EXPECT_EQ(options.recordFile, QStringLiteral("r.QXRec"));
    EXPECT_EQ(options.printChoice, 0);
    EXPECT_EQ(options.printQuery.mode, QueryMode::DateRange);
    EXPECT_EQ(options.printQuery.rangeStart, LocalTime(2017, 3, 10));

    const auto fails = [](const QStringList& arguments, const char* why) {
        StartOptions o;
        QString e;
        EXPECT_FALSE(ParseStartOptions(arguments, o, e)) << why;
        EXPECT_TRUE(e.contains(QString::fromUtf8(why))) << e.toStdString();
    };
    fails({"--print-pdf", "a.pdf"}, "--print-pdf 需要一个记录文件");
    fails({"r.QXRec", "--report", "list"}, "只能与 --print-pdf 同用");
    fails({"--print-pdf", "a.pdf", "r.QXRec", "--report", "table"},
          "list、chart、summary 或 compare");
    fails({"--print-pdf", "a.pdf", "r.QXRec", "--from", "2017-03-10"}, "要一起用");
    fails({"--print-pdf", "a.pdf", "r.QXRec", "--last-days", "0"}, "1 到 300");
    fails({"--print-pdf", "a.pdf", "r.QXRec", "--last-days", "2", "--last-months", "1"}, "只能选");
    fails({"r.QXRec", "--print-pdf"}, "需要一个值");
    fails({"--print-pdf", "a.pdf", "r.QXRec", "--sign", "k.p12"}, "--sign 和 --meaning 要一起用");
    fails({"r.QXRec", "--sign", "k.p12", "--meaning", "approved"}, "只能与 --print-pdf 同用");
}

class PrintPdfStart : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        // 300 samples of the flow meter, one a minute from 2017-03-10 21:07:12.
        RecordImage image = MakeRecordImage(6, 300);
        ASSERT_TRUE(WriteRecordFile(ToStd(record), image, 6));
    }
    static std::string ToStd(const QString& s) { return s.toStdString(); }

    QTemporaryDir folder;
    const QString record = folder.filePath(QStringLiteral("site.QXRec"));
    const QString pdf = folder.filePath(QStringLiteral("day.pdf"));
};

TEST_F(PrintPdfStart, ReportOfAQuery) {
    StartOptions options;
    options.recordFile = record;
    options.printPdf = pdf;
    options.printQuery.mode = QueryMode::DateRange;
    options.printQuery.rangeStart = options.printQuery.rangeEnd = LocalTime(2017, 3, 10);
    QString message;
    ASSERT_EQ(PrintPdfAtStart(options, LocalTime(2017, 3, 12), message), 0)
        << message.toStdString();
    // 21:07:12 to 23:59:12 of the day: 173 rows, 54 a page.
    EXPECT_TRUE(
        message.contains(QStringLiteral("查询条件:日期从[2017-03-10]-[2017-03-10] 记录数:173")))
        << message.toStdString();
    EXPECT_EQ(CountPdfPages(pdf), 4);
    const QString page1 = PdfPageText(pdf, 1);
    EXPECT_TRUE(page1.contains(QStringLiteral("检测数据记录表")));
    EXPECT_TRUE(page1.contains(QStringLiteral("数据文件:site.QXRec"))) << page1.toStdString();
    EXPECT_TRUE(page1.contains(QStringLiteral("第 1 页共 4 页")));
    EXPECT_EQ(RenderPdf(pdf, QStringLiteral("print_pdf_start_report")), 4);
}

TEST_F(PrintPdfStart, SignedReportOrNone) {
    const std::string key = ToStd(folder.filePath(QStringLiteral("ann.p12")));
    const QString pass = folder.filePath(QStringLiteral("pass"));
    std::string error;
    ASSERT_TRUE(MakeSigningKey("Ann Reviewer", "secret", 5, key, &error)) << error;
    QFile file(pass);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("secret\n");
    file.close();
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    StartOptions options;
    options.recordFile = record;
    options.printPdf = pdf;
    options.printChoice = 0;
    options.signKey = QString::fromStdString(key);
    options.signMeaning = QStringLiteral("approved");
    options.passphraseFile = pass;
    QString message;
    ASSERT_EQ(PrintPdfAtStart(options, LocalTime(2017, 3, 12), message), 0)
        << message.toStdString();
    EXPECT_TRUE(message.contains(QStringLiteral("签名人 Ann Reviewer, 含义: 已批准")))
        << message.toStdString();
    QFile signedPdf(pdf);
    ASSERT_TRUE(signedPdf.open(QIODevice::ReadOnly));
    std::vector<SignatureCheck> checks;
    ASSERT_TRUE(VerifyPdf(signedPdf.readAll().toStdString(), &checks, &error)) << error;
    ASSERT_EQ(checks.size(), 1u);
    EXPECT_TRUE(checks[0].valid && checks[0].wholeFile) << checks[0].problem;
    signedPdf.close();

    // A wrong passphrase: nothing is printed.
    QFile::remove(pdf);
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("wrong\n");
    file.close();
    EXPECT_EQ(PrintPdfAtStart(options, LocalTime(2017, 3, 12), message), 1);
    EXPECT_TRUE(message.contains(QStringLiteral("口令不对"))) << message.toStdString();
    EXPECT_FALSE(QFile::exists(pdf));
}

// Sample times past 2038 reach the query, the report's rows and the chart's time axis whole.
TEST_F(PrintPdfStart, RecordPast2038) {
    const QString late = folder.filePath(QStringLiteral("late.QXRec"));
    // One a minute from 2039-09-01 08:00:00.
    RecordImage image = MakeRecordImage(8, 3000, static_cast<uint32_t>(LocalTime(2039, 9, 1, 8)));
    ASSERT_TRUE(WriteRecordFile(ToStd(late), image, 8));
    StartOptions options;
    options.recordFile = late;
    options.printPdf = pdf;
    options.printQuery.mode = QueryMode::DateRange;
    options.printQuery.rangeStart = options.printQuery.rangeEnd = LocalTime(2039, 9, 2);
    QString message;
    ASSERT_EQ(PrintPdfAtStart(options, LocalTime(2039, 9, 4), message), 0) << message.toStdString();
    EXPECT_TRUE(message.contains(QStringLiteral("[2039-09-02]-[2039-09-02] 记录数:1440")))
        << message.toStdString();
    EXPECT_TRUE(PdfPageText(pdf, 1).contains(QStringLiteral("39-09-02 00:00:00")));
    EXPECT_TRUE(PdfPageText(pdf, CountPdfPages(pdf)).contains(QStringLiteral("39-09-02 23:59:00")));

    options.printChoice = 0;  // the chart
    ASSERT_EQ(PrintPdfAtStart(options, LocalTime(2039, 9, 4), message), 0);
    const QString chart = PdfPageText(pdf, 1);
    EXPECT_TRUE(chart.contains(QStringLiteral("检测曲线图")));
    EXPECT_TRUE(chart.contains(QStringLiteral("39-09-02"))) << chart.toStdString();
    EXPECT_FALSE(chart.contains(QStringLiteral("1903"))) << chart.toStdString();
}

TEST_F(PrintPdfStart, FailuresLeaveNoFileAndSayWhy) {
    StartOptions options;
    options.recordFile = folder.filePath(QStringLiteral("missing.QXRec"));
    options.printPdf = pdf;
    QString message;
    EXPECT_EQ(PrintPdfAtStart(options, LocalTime(2017, 3, 12), message), 1);
    EXPECT_TRUE(message.contains(QStringLiteral("missing.QXRec"))) << message.toStdString();
    EXPECT_TRUE(message.endsWith(QStringLiteral("\n没有那个文件或目录"))) << message.toStdString();
    EXPECT_FALSE(QFile::exists(pdf));

    // Not a record file: the line below says what is wrong with it.
    const QString text = folder.filePath(QStringLiteral("notes.QXRec"));
    {
        QFile file(text);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("hello, this is no record");
    }
    options.recordFile = text;
    EXPECT_EQ(PrintPdfAtStart(options, LocalTime(2017, 3, 12), message), 1);
    EXPECT_TRUE(message.contains(QStringLiteral("\n不是记录文件"))) << message.toStdString();
    EXPECT_FALSE(QFile::exists(pdf));

    options.recordFile = record;
    options.printPdf = folder.filePath(QStringLiteral("no-such-folder/day.pdf"));
    EXPECT_EQ(PrintPdfAtStart(options, LocalTime(2017, 3, 12), message), 1);
    const QStringList lines = message.split(u'\n');
    ASSERT_EQ(lines.size(), 2) << message.toStdString();
    EXPECT_EQ(lines[0], QStringLiteral("文件:%1 打印失败!").arg(options.printPdf));
    EXPECT_FALSE(lines[1].isEmpty());
    EXPECT_FALSE(QFile::exists(options.printPdf));
}

// A record file cut short prints the samples it holds, with a warning of what is missing.
TEST_F(PrintPdfStart, TruncatedRecordPrintsWithAWarning) {
    QFile::resize(record, 96 + 100 * 9 + 4);
    StartOptions options;
    options.recordFile = record;
    options.printPdf = pdf;
    QString message, warning;
    ASSERT_EQ(PrintPdfAtStart(options, LocalTime(2017, 3, 12), message, &warning), 0)
        << message.toStdString();
    EXPECT_EQ(
        warning,
        QStringLiteral("文件:%1\n记录不完整!\n记录头标明 300 个样本, 文件只有 100 个").arg(record));
    EXPECT_TRUE(message.contains(QStringLiteral("总记录数:100"))) << message.toStdString();
    EXPECT_TRUE(QFile::exists(pdf));
}

// The program itself, without a display or a platform chosen.
TEST_F(PrintPdfStart, TheProgramWritesWithoutADisplay) {
    const auto run = [](const QStringList& arguments, QString* err = nullptr) {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        process.setProcessEnvironment(env);
        process.start(QStringLiteral(QXLOG), arguments);
        EXPECT_TRUE(process.waitForFinished(120000));
        if (err) *err = QString::fromUtf8(process.readAllStandardError());
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    };
    QString err;
    EXPECT_EQ(run({"--print-pdf", pdf, "--report", "chart", record}, &err), 0) << err.toStdString();
    EXPECT_EQ(CountPdfPages(pdf), 1);
    const QString chart = PdfPageText(pdf, 1);
    EXPECT_TRUE(chart.contains(QStringLiteral("检测曲线图")));
    EXPECT_TRUE(chart.contains(QStringLiteral("21:07:12"))) << chart.toStdString();
    EXPECT_TRUE(chart.contains(QStringLiteral("温度(℃)")));
    // The statistics report: the tables (a page of excursions, then the footnote), the chart.
    EXPECT_EQ(run({"--print-pdf", pdf, "--report", "summary", record}, &err), 0)
        << err.toStdString();
    const int pages = CountPdfPages(pdf);
    ASSERT_EQ(pages, 3);
    const QString summary = PdfPageText(pdf, 1);
    EXPECT_TRUE(summary.contains(QStringLiteral("检测统计报告")));
    EXPECT_TRUE(summary.contains(QStringLiteral("平均动力学温度")));
    EXPECT_TRUE(summary.contains(QStringLiteral("记录数:300")));
    EXPECT_TRUE(PdfPageText(pdf, 2).contains(QStringLiteral("缺失的数值结束超限")));
    EXPECT_TRUE(PdfPageText(pdf, pages).contains(QStringLiteral("温度(℃)")));
    EXPECT_EQ(RenderPdf(pdf, QStringLiteral("print_pdf_start_summary")), pages);

    EXPECT_EQ(run({"--print-pdf", pdf, folder.filePath(QStringLiteral("none.QXRec"))}, &err), 1);
    EXPECT_TRUE(err.contains(QStringLiteral("none.QXRec"))) << err.toStdString();
    EXPECT_EQ(CountPdfPages(pdf), pages);  // the earlier PDF stays
    EXPECT_EQ(run({"--print-pdf", pdf, record, "--last-days", "x"}, &err), 2);
    EXPECT_TRUE(err.contains(QStringLiteral("--last-days 需要 1 到 300 的整数")));
}

TEST(PrintPdfOptions, CompareNamesInstrumentsOfALibrary) {
    StartOptions options;
    QString error;
    ASSERT_TRUE(ParseStartOptions(
        {"--print-pdf", "c.pdf", "--report", "compare", "--library", "lib.sqlite", "A1", "--series",
         "hum", "QX420:B2", "--limit", ",80", "--last-days", "3"},
        options, error))
        << error.toStdString();
    EXPECT_EQ(options.printChoice, kPrintComparison);
    EXPECT_EQ(options.compareInstruments, QStringList({"A1", "QX420:B2"}));
    EXPECT_EQ(options.library, QStringLiteral("lib.sqlite"));
    EXPECT_EQ(options.compareSeries, QStringLiteral("hum"));
    EXPECT_EQ(options.compareLimits, QStringLiteral(",80"));
    EXPECT_EQ(options.printQuery.mode, QueryMode::LastDays);
    EXPECT_TRUE(options.recordFile.isEmpty());

    for (const QStringList& arguments :
         {QStringList{"--print-pdf", "c.pdf", "--report", "compare", "A1"},
          QStringList{"--print-pdf", "c.pdf", "--report", "compare", "--series", "temp"},
          QStringList{"--print-pdf", "c.pdf", "r.QXRec", "--series", "temp"},
          QStringList{"r.QXRec", "--report", "compare", "--series", "temp"}}) {
        StartOptions o;
        EXPECT_FALSE(ParseStartOptions(arguments, o, error)) << arguments.join(' ').toStdString();
    }
}

// A library of two loggers started ten minutes apart.
class CompareLibrary : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        OpenedLibrary opened = OpenLibrary(library.toStdString(), LibraryOpen::kCreate);
        ASSERT_TRUE(opened.library) << opened.message;
        int k = 0;
        for (const char16_t* number : {u"A1", u"B2"}) {
            RecordImage image = MakeRecordImage(1, 200, 1489151232 + 600 * k++);
            ParamBlock p = image.Params();
            p.SetNumber(number);
            image.SetParams(p);
            const std::string path =
                folder.filePath(QStringLiteral("%1.QXRec").arg(k)).toStdString();
            ASSERT_TRUE(WriteRecordFile(path, image, 1));
            ASSERT_TRUE(opened.library->AddRecordFile(path).Ok());
        }
    }
    StartOptions Options(QStringList instruments, const QString& limits = {}) const {
        StartOptions options;
        options.printPdf = pdf;
        options.printChoice = kPrintComparison;
        options.library = library;
        options.compareSeries = QStringLiteral("temp");
        options.compareLimits = limits;
        options.compareInstruments = std::move(instruments);
        return options;
    }

    QTemporaryDir folder;
    const QString library = folder.filePath(QStringLiteral("lib.sqlite"));
    const QString pdf = folder.filePath(QStringLiteral("compare.pdf"));
};

TEST_F(CompareLibrary, PrintsTheComparisonReportOrSaysWhyNot) {
    QString message;
    ASSERT_EQ(PrintPdfAtStart(Options({"A1", "B2"}, ",30"), LocalTime(2017, 3, 12), message), 0)
        << message.toStdString();
    EXPECT_TRUE(message.contains(QStringLiteral("2 台仪器"))) << message.toStdString();
    const QString page1 = PdfPageText(pdf, 1);
    EXPECT_TRUE(page1.contains(QStringLiteral("对比报告")));
    EXPECT_TRUE(page1.contains(QStringLiteral("A1 测试点"))) << page1.toStdString();
    EXPECT_TRUE(page1.contains(QStringLiteral("B2 测试点")));
    EXPECT_TRUE(page1.contains(QStringLiteral("限值(用户)"))) << page1.toStdString();
    ASSERT_TRUE(QFile::remove(pdf));

    const auto fails = [&](const StartOptions& options, const QString& why) {
        QString m;
        EXPECT_EQ(PrintPdfAtStart(options, LocalTime(2017, 3, 12), m), 1) << why.toStdString();
        EXPECT_TRUE(m.contains(why)) << m.toStdString();
        EXPECT_FALSE(QFile::exists(pdf));
    };
    fails(Options({"A1", "Z9"}), QStringLiteral("记录库中没有仪器 Z9"));
    fails(Options({"A1", "A1"}), QStringLiteral("仪器 A1 选了两次"));
    fails(Options({"A1"}, QStringLiteral("a,b")), QStringLiteral("限值必须是数字"));
    fails(Options({"A1"}, QStringLiteral(",369.6")), QStringLiteral("369.5"));
    StartOptions co2 = Options({"A1"});
    co2.compareSeries = QStringLiteral("co2");
    fails(co2, QStringLiteral("A1 测试点 没有"));
    StartOptions missing = Options({"A1"});
    missing.library = folder.filePath(QStringLiteral("none.sqlite"));
    fails(missing, QStringLiteral("none.sqlite"));
}

class CompareFrame : public FrameTest {};

TEST_F(CompareFrame, OpenComparisonShowsTheSelectedInstruments) {
    Make({});
    QTemporaryDir scratch;
    const QString library = scratch.filePath(QStringLiteral("lib.sqlite"));
    {
        OpenedLibrary opened = OpenLibrary(library.toStdString(), LibraryOpen::kCreate);
        ASSERT_TRUE(opened.library);
        RecordImage image = MakeRecordImage(1, 50);
        const std::string path = scratch.filePath(QStringLiteral("a.QXRec")).toStdString();
        ASSERT_TRUE(WriteRecordFile(path, image, 1));
        ASSERT_TRUE(opened.library->AddRecordFile(path).Ok());
    }
    ComparisonSelection selection;
    selection.library = library.toStdString();
    selection.names = {"QX0001"};
    selection.series = "hum";
    CCompareView* view = frame->OpenComparison(selection);
    ASSERT_NE(view, nullptr) << prompter.LastMessage().toStdString();
    ASSERT_NE(view->Result(), nullptr);
    EXPECT_EQ(view->Result()->series, "hum");
    EXPECT_EQ(view->Result()->instruments.at(0).label, "QX0001 测试点");
    EXPECT_TRUE(view->isWindow());

    // The instrument and its recording side by side; a recording gone from the library.
    std::vector<RecordingEntry> list;
    {
        OpenedLibrary opened = OpenLibrary(library.toStdString(), LibraryOpen::kExisting);
        ASSERT_TRUE(opened.library && opened.library->List({}, list));
    }
    ASSERT_EQ(list.size(), 1u);
    selection.recordings = {list[0].recording.id};
    view = frame->OpenComparison(selection);
    ASSERT_NE(view, nullptr) << prompter.LastMessage().toStdString();
    EXPECT_EQ(view->Result()->instruments.size(), 2u);
    selection.recordings = {list[0].recording.id + 1};
    EXPECT_EQ(frame->OpenComparison(selection), nullptr);
    EXPECT_TRUE(prompter.LastMessage().contains(QStringLiteral("记录库中没有记录")));

    selection.recordings.clear();
    selection.names = {"B7"};
    EXPECT_EQ(frame->OpenComparison(selection), nullptr);
    EXPECT_TRUE(prompter.LastMessage().contains(QStringLiteral("B7")));
}

}  // namespace
}  // namespace qx::test
