// The print-item dialog and the print, print-direct and preview commands driven through the
// prompt seam.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>

#include "gui/chart/chart_test_util.h"
#include "gui/common/screenshot_util.h"
#include "gui/common/scripted_prompter.h"
#include "gui/print/print_command.h"
#include "gui/print/print_list_trend.h"
#include "gui/print/sel_print_dlg.h"
#include "print_test_util.h"

namespace qx {
namespace {

using test::ScriptedPrompter;
using test::TableFixture;

const QString kPrintTitle = QStringLiteral("选择打印项");
const QString kPreviewTitle = QStringLiteral("选择打印预览项(曲线或记录)");

TEST(SelPrintDlg, TitlesButtonsAndChoice) {
    CSelPrintDlg print(CSelPrintDlg::kReport, true);
    EXPECT_EQ(print.windowTitle(), kPrintTitle);
    EXPECT_EQ(print.CurveButton()->text(), QStringLiteral("曲线图(&T)"));
    EXPECT_EQ(print.ReportButton()->text(), QStringLiteral("数据报表(&R)"));
    EXPECT_EQ(print.OkButton()->text(), QStringLiteral("确定(&O)"));
    EXPECT_EQ(print.CancelButton()->text(), QStringLiteral("取消(&C)"));
    EXPECT_TRUE(print.ReportButton()->isChecked());
    EXPECT_FALSE(print.CurveButton()->isChecked());
    test::SaveScreenshot(print, QStringLiteral("sel_print_dlg.png"));

    CSelPrintDlg preview(CSelPrintDlg::kCurve, false);
    EXPECT_EQ(preview.windowTitle(), kPreviewTitle);
    EXPECT_TRUE(preview.CurveButton()->isChecked());
    test::SaveScreenshot(preview, QStringLiteral("sel_print_preview_dlg.png"));

    // OK takes the buttons' choice; Cancel keeps the one given.
    preview.ReportButton()->click();
    preview.OkButton()->click();
    EXPECT_EQ(preview.result(), QDialog::Accepted);
    EXPECT_EQ(preview.choice, CSelPrintDlg::kReport);
    CSelPrintDlg cancelled(CSelPrintDlg::kReport, true);
    cancelled.CurveButton()->click();
    cancelled.CancelButton()->click();
    EXPECT_EQ(cancelled.result(), QDialog::Rejected);
    EXPECT_EQ(cancelled.choice, CSelPrintDlg::kReport);
}

class PrintCommand : public ::testing::Test {
  protected:
    void SetUp() override {
        job.SetSources(&fixture.table, nullptr);
        job.SetColumns(CPrintListTrend::ColumnCharacters(fixture.table));
        job.hasData = true;
        job.infoLine = QStringLiteral("编号:QX0001 测量名:测试点");
        job.footerText = PrintFooterText(QStringLiteral("a.QXRec"), 1495173802);
        QPrinter& printer = ApplicationPrinter();
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(path);
        QFile::remove(path);
    }
    void TearDown() override { QFile::remove(path); }

    // Chooses a button of the print-item dialog and confirms.
    static std::function<int(QDialog&)> Choose(int choice) {
        return [choice](QDialog& dialog) {
            auto& select = dynamic_cast<CSelPrintDlg&>(dialog);
            (choice == CSelPrintDlg::kCurve ? select.CurveButton() : select.ReportButton())
                ->click();
            select.OkButton()->click();
            return select.result();
        };
    }

    // Shows the printer dialog, which takes its settings from the printer, and accepts it.
    static int AcceptPrintDialog(QDialog& dialog) {
        if (!dynamic_cast<QPrintDialog*>(&dialog)) return QDialog::Rejected;
        dialog.show();
        dialog.accept();
        return dialog.result();
    }

    TableFixture fixture{1, 120};
    CPrintListTrend job;
    ScriptedPrompter prompter;
    QString path =
        QDir::tempPath() +
        QStringLiteral("/qx-print-command-%1.pdf").arg(QCoreApplication::applicationPid());
};

TEST_F(PrintCommand, CancelKeepsTheChoiceAndPrintsNothing) {
    job.mode = CPrintListTrend::kReportMode;
    prompter.dialogHandlers.push_back([](QDialog& dialog) {
        auto& select = dynamic_cast<CSelPrintDlg&>(dialog);
        select.CurveButton()->click();
        select.CancelButton()->click();
        return select.result();
    });
    EXPECT_FALSE(PrintRecord(nullptr, job, PrintAction::Print));
    EXPECT_EQ(prompter.dialogTitles, std::vector<QString>{kPrintTitle});
    EXPECT_EQ(job.mode, CPrintListTrend::kReportMode);
    EXPECT_FALSE(QFile::exists(path));
}

TEST_F(PrintCommand, NothingWithoutARecord) {
    job.hasData = false;
    EXPECT_FALSE(PrintRecord(nullptr, job, PrintAction::Print));
    EXPECT_TRUE(prompter.dialogTitles.empty());
}

TEST_F(PrintCommand, ChartThroughThePrintDialogToAPdfFile) {
    CTrendWave chart;
    chart.resize(600, 400);
    test::ConfigureLikeBrowser(chart);
    test::FillLikeBrowser(chart, 120);
    job.SetSources(&fixture.table, &chart);
    job.mode = CPrintListTrend::kReportMode;
    prompter.dialogHandlers.push_back(Choose(CSelPrintDlg::kCurve));
    bool printDialog = false;
    prompter.dialogHandlers.push_back([&](QDialog& dialog) {
        auto* print = dynamic_cast<QPrintDialog*>(&dialog);
        printDialog = print != nullptr;
        if (!print) return int(QDialog::Rejected);
        EXPECT_EQ(print->printer(), &ApplicationPrinter());
        EXPECT_EQ(print->printer()->pageLayout().orientation(), QPageLayout::Landscape);
        // Shown, the dialog takes "Print to File (PDF)" and the file name from the printer;
        // accepted, it hands them back.
        print->show();
        test::SaveScreenshot(*print, QStringLiteral("print_dialog.png"));
        return AcceptPrintDialog(dialog);
    });
    EXPECT_TRUE(PrintRecord(nullptr, job, PrintAction::Print));
    EXPECT_TRUE(printDialog);
    EXPECT_EQ(job.mode, CPrintListTrend::kCurveMode);
    ASSERT_EQ(prompter.dialogTitles.size(), 2u);
    EXPECT_EQ(prompter.dialogTitles[0], kPrintTitle);
    EXPECT_EQ(test::CountPdfPages(path), 1);
    EXPECT_TRUE(test::PdfPageText(path, 1).contains(QStringLiteral("检测曲线图")));
    const QSizeF size = test::PdfPageSize(path);
    EXPECT_NEAR(size.width(), 841.9, 1);  // A4 landscape
    EXPECT_NEAR(size.height(), 595.3, 1);
}

TEST_F(PrintCommand, PrintDirectToAFileAsksForIt) {
    // The last file was another record's: the dialog proposes one named after this job.
    const QString earlier = path;
    path = QDir::tempPath() +
           QStringLiteral("/qx-print-direct-%1.pdf").arg(QCoreApplication::applicationPid());
    QFile::remove(path);
    job.documentName = QFileInfo(path).completeBaseName();
    job.mode = CPrintListTrend::kCurveMode;
    prompter.dialogHandlers.push_back(Choose(CSelPrintDlg::kReport));
    prompter.dialogHandlers.push_back(AcceptPrintDialog);
    EXPECT_TRUE(PrintRecord(nullptr, job, PrintAction::PrintDirect));
    EXPECT_EQ(prompter.dialogTitles.size(), 2u);
    EXPECT_EQ(job.mode, CPrintListTrend::kReportMode);
    EXPECT_EQ(ApplicationPrinter().pageLayout().orientation(), QPageLayout::Portrait);
    EXPECT_EQ(ApplicationPrinter().outputFileName(), path);
    EXPECT_FALSE(QFile::exists(earlier));
    EXPECT_GE(test::CountPdfPages(path), 2);
    EXPECT_TRUE(test::PdfPageText(path, 1).contains(QStringLiteral("检测数据记录表")));

    // Cancelled in the printer dialog, nothing is printed and nothing is said.
    QFile::remove(path);
    prompter.dialogHandlers.push_back(Choose(CSelPrintDlg::kReport));
    prompter.dialogHandlers.push_back([](QDialog&) { return int(QDialog::Rejected); });
    EXPECT_FALSE(PrintRecord(nullptr, job, PrintAction::PrintDirect));
    EXPECT_EQ(prompter.dialogTitles.size(), 4u);
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_TRUE(prompter.messages.empty());
}

TEST_F(PrintCommand, FailureIsReported) {
    const QString bad = QDir::tempPath() + QStringLiteral("/qx-no-such-folder/r.pdf");
    ApplicationPrinter().setOutputFileName(bad);
    prompter.dialogHandlers.push_back(Choose(CSelPrintDlg::kReport));
    prompter.dialogHandlers.push_back(AcceptPrintDialog);
    EXPECT_FALSE(PrintRecord(nullptr, job, PrintAction::Print));
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_EQ(prompter.messages[0].icon, PromptIcon::Warning);
    EXPECT_EQ(prompter.LastMessage(), QStringLiteral("文件:%1\n打印失败!").arg(bad));
    EXPECT_FALSE(QFile::exists(bad));
}

TEST_F(PrintCommand, PreviewHasItsOwnPrinterAndShowsThePages) {
    job.mode = CPrintListTrend::kCurveMode;
    prompter.dialogHandlers.push_back(Choose(CSelPrintDlg::kReport));
    int pages = -1;
    QPrinter* previewPrinter = nullptr;
    prompter.dialogHandlers.push_back([&](QDialog& dialog) {
        auto* preview = dynamic_cast<QPrintPreviewDialog*>(&dialog);
        if (!preview) return int(QDialog::Rejected);
        previewPrinter = preview->printer();
        auto* widget = preview->findChild<QPrintPreviewWidget*>();
        if (!widget) return int(QDialog::Rejected);
        preview->show();
        widget->updatePreview();
        QCoreApplication::processEvents();
        pages = widget->pageCount();
        test::SaveScreenshot(*preview, QStringLiteral("print_preview.png"));
        preview->reject();
        return int(QDialog::Rejected);
    });
    EXPECT_TRUE(PrintRecord(nullptr, job, PrintAction::Preview));
    ASSERT_EQ(prompter.dialogTitles.size(), 2u);
    EXPECT_EQ(prompter.dialogTitles[0], kPreviewTitle);
    EXPECT_NE(previewPrinter, nullptr);
    EXPECT_NE(previewPrinter, &ApplicationPrinter());
    EXPECT_EQ(pages, job.Layout().pageCount);
    EXPECT_GE(pages, 2);
    EXPECT_EQ(job.mode, CPrintListTrend::kReportMode);
    EXPECT_FALSE(QFile::exists(path));  // a preview prints nothing
}

TEST(PrintFooter, TimeAndRecordName) {
    EXPECT_EQ(PrintFooterText(QStringLiteral("/home/u/DAT/QX420-0001.QXRec"), 1495173802),
              QStringLiteral("打印时间:2017-05-19 14:03  数据文件:QX420-0001.QXRec"));
    EXPECT_EQ(PrintFooterText(QStringLiteral("a.b.QXRec"), 1495173802),
              QStringLiteral("打印时间:2017-05-19 14:03  数据文件:a.b.QXRec"));
}

}  // namespace
}  // namespace qx
