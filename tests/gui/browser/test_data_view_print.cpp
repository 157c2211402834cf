// The record browser's print and preview commands: the print-item dialog with the view's
// choice, the job's texts, and the pages written to PDF for the report and the chart (rendered
// to PNG under $QX_SCREENSHOT_DIR for a person to look at).
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QPageLayout>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QRadioButton>
#include <QRegularExpression>

#include "data_view_fixture.h"
#include "gui/browser/query_panel.h"
#include "gui/common/scripted_prompter.h"
#include "gui/print/print_command.h"
#include "gui/print/print_list_trend.h"
#include "gui/print/print_test_util.h"
#include "gui/print/sel_print_dlg.h"

namespace qx {
namespace {

using test::DataViewTest;

const QString kPrintTitle = QStringLiteral("选择打印项");
const QString kPreviewTitle = QStringLiteral("选择打印预览项(曲线或记录)");

// A page's text without its white space (pdftotext spaces words by their positions).
QString PageText(const QString& pdf, int page) {
    return test::PdfPageText(pdf, page).remove(QRegularExpression(QStringLiteral("\\s")));
}
bool Has(const QString& text, const char* part) {
    return text.contains(QString::fromUtf8(part).remove(QLatin1Char(' ')));
}

class PrintTest : public DataViewTest {
  protected:
    void TearDown() override { QFile::remove(pdf); }

    // The print-item dialog: checks its preset, then takes choice.
    void ChooseItem(int choice, int expectedPreset) {
        prompts.dialogHandlers.push_back([=](QDialog& dialog) {
            auto* select = dynamic_cast<CSelPrintDlg*>(&dialog);
            if (!select) return int(QDialog::Rejected);
            EXPECT_EQ(select->ReportButton()->isChecked(), expectedPreset == CSelPrintDlg::kReport);
            EXPECT_EQ(select->CurveButton()->isChecked(), expectedPreset == CSelPrintDlg::kCurve);
            (choice == CSelPrintDlg::kCurve ? select->CurveButton() : select->ReportButton())
                ->click();
            select->accept();
            return select->result();
        });
    }
    // The printer dialog: "print to file" as PDF on a page of the given size in millimetres.
    void PrintToFile(const QSizeF& pageMillimetres) {
        prompts.dialogHandlers.push_back([=, this](QDialog& dialog) {
            auto* print = dynamic_cast<QPrintDialog*>(&dialog);
            if (!print) return int(QDialog::Rejected);
            QPrinter& printer = *print->printer();
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(pdf);
            printer.setPageLayout(QPageLayout(QPageSize(pageMillimetres, QPageSize::Millimeter),
                                              printer.pageLayout().orientation(), QMarginsF()));
            return int(QDialog::Accepted);
        });
    }

    test::ScriptedPrompter prompts;
    const QString pdf =
        QDir::tempPath() +
        QStringLiteral("/qx-browser-print-%1.pdf").arg(QCoreApplication::applicationPid());
};

TEST_F(PrintTest, ReportOfTwoBlocksPerPage) {
    Load(4, 120);
    ChooseItem(CSelPrintDlg::kReport, CSelPrintDlg::kReport);
    // 250 x 202.5 mm: W = 28 * 16 + 2000 = 2448 units, H = 1983, R = 1343 / 51 - 1 = 25.
    PrintToFile(QSizeF(250, 202.5));
    view.Print();
    ASSERT_EQ(prompts.dialogTitles.size(), 2u);
    EXPECT_EQ(prompts.dialogTitles[0], kPrintTitle);
    const CPrintListTrend& job = view.PrintJob();
    ASSERT_EQ(job.Layout().rowsPerBlock, 25);
    EXPECT_EQ(job.Columns(), (std::vector<int>{7, 21, 11}));
    EXPECT_EQ(test::CountPdfPages(pdf), 3);

    const QString page2 = PageText(pdf, 2);
    EXPECT_TRUE(Has(page2, "第 2 页共 3 页"));
    EXPECT_TRUE(Has(page2, "打印时间:2017-05-20 10:00  数据文件:现场A.QXRec"));
    EXPECT_TRUE(Has(page2, "检测数据记录表"));
    EXPECT_TRUE(Has(page2, "总记录数:120  查询条件:所有 记录数:120"));
    // Page 2: rows 51..75 beside 76..100; page 3: rows 101..120 and an empty second block.
    const auto hasLine = [this](int page, const char* pattern) {
        return QRegularExpression(QString::fromUtf8(pattern), QRegularExpression::MultilineOption)
            .match(test::PdfPageText(pdf, page))
            .hasMatch();
    };
    EXPECT_TRUE(
        hasLine(2, R"(^\s*51\s+17-05-17 13:00:00\s+\S+\s+76\s+17-05-18 14:00:00\s+\S+\s*$)"));
    EXPECT_TRUE(hasLine(2, R"(^\s*75\s.*\s100\s+17-05-19 14:00:00\s+\S+\s*$)"));
    EXPECT_TRUE(hasLine(3, R"(^\s*101\s+17-05-19 15:00:00\s+\S+\s*$)"));
    EXPECT_TRUE(hasLine(3, R"(^\s*120\s+17-05-20 10:00:00\s+\S+\s*$)"));
    EXPECT_TRUE(hasLine(3, R"(记录\s+时间\s+温度\(℃\)\s+记录\s+时间\s+温度\(℃\))"));
    EXPECT_EQ(test::RenderPdf(pdf, QStringLiteral("browser_report")), 3);
}

TEST_F(PrintTest, ReportOfAQueryAndChartPage) {
    Load(8, 200);
    view.Query().ModeRadio(QueryMode::LastDays)->click();
    view.RunQuery();  // 25 hourly samples
    ChooseItem(CSelPrintDlg::kReport, CSelPrintDlg::kReport);
    PrintToFile(QSizeF(210, 297));
    view.Print();
    EXPECT_EQ(test::CountPdfPages(pdf), 1);
    const QString report = PageText(pdf, 1);
    EXPECT_TRUE(Has(report, "查询条件:当前日期[2017-05-20],向前1天 记录数:25"));
    EXPECT_TRUE(Has(report, "CO2(PPM)"));
    EXPECT_TRUE(Has(report, "第 1 页共 1 页"));

    // The chart: one landscape page.
    ChooseItem(CSelPrintDlg::kCurve, CSelPrintDlg::kReport);
    PrintToFile(QSizeF(210, 297));
    view.Print();
    EXPECT_EQ(view.PrintChoice(), CSelPrintDlg::kCurve);
    EXPECT_EQ(test::CountPdfPages(pdf), 1);
    const QSizeF size = test::PdfPageSize(pdf);
    EXPECT_GT(size.width(), size.height());
    EXPECT_TRUE(test::PdfPageText(pdf, 1).contains(QStringLiteral("检测曲线图")));
    EXPECT_EQ(test::RenderPdf(pdf, QStringLiteral("browser_chart"), 80), 1);

    // The preview asks with its own title and the last choice.
    ChooseItem(CSelPrintDlg::kCurve, CSelPrintDlg::kCurve);
    bool preview = false;
    prompts.dialogHandlers.push_back([&](QDialog& dialog) {
        preview = dynamic_cast<QPrintPreviewDialog*>(&dialog) != nullptr;
        return int(QDialog::Accepted);
    });
    view.PrintPreview();
    ASSERT_GE(prompts.dialogTitles.size(), 2u);
    EXPECT_EQ(prompts.dialogTitles[prompts.dialogTitles.size() - 2], kPreviewTitle);
    EXPECT_TRUE(preview);
}

TEST_F(PrintTest, CancelAndNoRecord) {
    view.Print();
    view.PrintPreview();
    EXPECT_TRUE(prompts.dialogTitles.empty());

    Load(1, 10);
    prompts.dialogHandlers.push_back([](QDialog& dialog) {
        auto& select = dynamic_cast<CSelPrintDlg&>(dialog);
        select.CurveButton()->click();
        select.reject();
        return select.result();
    });
    view.Print();
    EXPECT_EQ(prompts.dialogTitles.size(), 1u);
    EXPECT_EQ(view.PrintChoice(), CSelPrintDlg::kReport);
    EXPECT_FALSE(QFile::exists(pdf));

    host.loaded = false;
    view.PrintPreview();
    EXPECT_EQ(prompts.dialogTitles.size(), 1u);
}

}  // namespace
}  // namespace qx
