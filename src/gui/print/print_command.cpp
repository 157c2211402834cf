#include "print_command.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QSaveFile>
#include <algorithm>
#include <vector>

#include "core/model/local_time.h"
#include "gui/common/prompter.h"
#include "gui/common/qt_text.h"
#include "print_list_trend.h"
#include "sel_print_dlg.h"

namespace qx {
namespace {

constexpr int kPdfResolution = 1200;
constexpr int kMaxDialogPage = 9999;

QPrinter* applicationPrinter = nullptr;

void DeleteApplicationPrinter() {
    delete applicationPrinter;
    applicationPrinter = nullptr;
}

QPageLayout::Orientation OrientationFor(const CPrintListTrend& job) {
    return job.mode != CPrintListTrend::kCurveMode ? QPageLayout::Portrait : QPageLayout::Landscape;
}

// The pages of a run in printing order, each once per copy.
std::vector<int> PageOrder(const PageRun& run, int pageCount) {
    const int first = std::clamp(run.first, 1, pageCount);
    const int last = std::clamp(run.last, first, pageCount);
    std::vector<int> pages;
    for (int p = first; p <= last; ++p)
        pages.push_back(p);
    if (run.lastPageFirst) std::reverse(pages.begin(), pages.end());
    const int copies = std::max(run.copies, 1);
    std::vector<int> order;
    if (run.collate) {
        for (int c = 0; c < copies; ++c)
            order.insert(order.end(), pages.begin(), pages.end());
    } else {
        for (int p : pages)
            order.insert(order.end(), static_cast<size_t>(copies), p);
    }
    return order;
}

// Writes the job into a PDF file through a temporary file that replaces path when complete.
// On failure `error` (when given) says why.
int WritePdf(CPrintListTrend& job, const QString& path, const QPageLayout& layout, int resolution,
             const PageRun& run, QString* error = nullptr) {
    const auto fail = [error](const QString& why) {
        if (error) *error = why;
        return -1;
    };
    if (path.isEmpty()) return fail(QStringLiteral("no file name"));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return fail(file.errorString());
    int pages = -1;
    {
        QPdfWriter pdf(&file);
        pdf.setResolution(resolution > 0 ? resolution : kPdfResolution);
        pdf.setPageLayout(layout);
        pdf.setCreator(ApplicationTitle());
        pages = PrintPages(job, pdf, run);
    }
    if (pages < 0) {
        // A write that failed on the way shows in the file's error; else the pages were not drawn.
        return fail(file.error() != QFileDevice::NoError
                        ? file.errorString()
                        : QStringLiteral("the pages could not be drawn"));
    }
    if (!file.commit()) return fail(file.errorString());
    return pages;
}

void ReportFailure(QWidget* parent, const QPrinter& printer) {
    if (printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty()) {
        ShowWarning(parent, QCoreApplication::translate("qx::PrintCommand", "文件:%1\n打印失败!")
                                .arg(printer.outputFileName()));
    } else {
        ShowWarning(parent, QCoreApplication::translate("qx::PrintCommand", "打印失败!"));
    }
}

// Whether the application's printer takes a job without asking: a real printer. A PDF file is
// always chosen in the printer dialog, so that no job overwrites the file of an earlier one.
bool ReadyToPrint(const QPrinter& printer) {
    return printer.outputFormat() == QPrinter::NativeFormat && !printer.printerName().isEmpty();
}

// For PDF output the printer dialog proposes a file named after the job, in the folder of the
// last file (or the home folder).
void ProposePdfFile(QPrinter& printer, const QString& documentName) {
    if (printer.outputFormat() != QPrinter::PdfFormat || documentName.isEmpty()) return;
    const QString last = printer.outputFileName();
    const QDir folder = last.isEmpty() ? QDir::home() : QFileInfo(last).absoluteDir();
    printer.setOutputFileName(folder.filePath(documentName + QStringLiteral(".pdf")));
}

bool PrintWithDialog(QWidget* parent, CPrintListTrend& job, QPrinter& printer) {
    ProposePdfFile(printer, job.documentName);
    QPrintDialog dialog(&printer, parent);
    dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintPageRange |
                      QAbstractPrintDialog::PrintCollateCopies |
                      QAbstractPrintDialog::PrintShowPageSize);
    dialog.setMinMax(1, kMaxDialogPage);
    if (Prompts().Exec(dialog) != QDialog::Accepted) return false;
    if (PrintOnPrinter(job, printer) < 0) {
        ReportFailure(parent, printer);
        return false;
    }
    return true;
}

bool ShowPreview(QWidget* parent, CPrintListTrend& job, const QPrinter& settings) {
    // The preview has a printer of its own, with the application printer's choices.
    QPrinter printer(QPrinter::HighResolution);
    if (settings.outputFormat() == QPrinter::NativeFormat && !settings.printerName().isEmpty())
        printer.setPrinterName(settings.printerName());
    printer.setPageLayout(settings.pageLayout());
    printer.setDocName(settings.docName());
    QPrintPreviewDialog dialog(&printer, parent);
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                     [&job](QPrinter* target) { PrintPages(job, *target, PageRunOf(*target)); });
    dialog.resize(1024, 768);
    Prompts().Exec(dialog);
    return true;
}

}  // namespace

QPrinter& ApplicationPrinter() {
    if (!applicationPrinter) {
        applicationPrinter = new QPrinter(QPrinter::HighResolution);
        qAddPostRoutine(DeleteApplicationPrinter);
    }
    return *applicationPrinter;
}

PageRun PageRunOf(const QPrinter& printer) {
    PageRun run;
    if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
        run.first = printer.fromPage();
        run.last = printer.toPage() > 0 ? printer.toPage() : INT_MAX;
    }
    run.copies = printer.supportsMultipleCopies() ? 1 : std::max(printer.copyCount(), 1);
    run.collate = printer.collateCopies();
    run.lastPageFirst = printer.pageOrder() == QPrinter::LastPageFirst;
    return run;
}

int PrintPages(CPrintListTrend& job, QPagedPaintDevice& device, const PageRun& run) {
    QPainter painter;
    if (!painter.begin(&device)) return -1;
    const int pageCount = std::max(job.PrintSetup(device), 1);
    int printed = 0;
    for (int page : PageOrder(run, pageCount)) {
        if (printed > 0 && !device.newPage()) break;
        job.PrintPage(painter, page, pageCount);
        ++printed;
    }
    const bool ended = painter.end();
    job.EndPrinting();
    return ended ? printed : -1;
}

int PrintOnPrinter(CPrintListTrend& job, QPrinter& printer) {
    if (printer.outputFormat() == QPrinter::PdfFormat) {
        return WritePdf(job, printer.outputFileName(), printer.pageLayout(), printer.resolution(),
                        PageRunOf(printer));
    }
    const int pages = PrintPages(job, printer, PageRunOf(printer));
    return printer.printerState() == QPrinter::Error ? -1 : pages;
}

int PrintToPdf(CPrintListTrend& job, const QString& path, QString* error) {
    const QPageLayout layout(QPageSize(QPageSize::A4), OrientationFor(job), QMarginsF(0, 0, 0, 0));
    return WritePdf(job, path, layout, kPdfResolution, PageRun{}, error);
}

bool PrintRecord(QWidget* parent, CPrintListTrend& job, PrintAction action) {
    if (!job.hasData) return false;
    if (job.chooseMode) {
        CSelPrintDlg choose(job.mode, action != PrintAction::Preview, parent);
        if (Prompts().Exec(choose) != QDialog::Accepted) return false;
        job.mode = choose.choice;
    }

    QPrinter& printer = ApplicationPrinter();
    printer.setPageOrientation(OrientationFor(job));
    printer.setDocName(job.documentName);
    switch (action) {
        case PrintAction::Preview:
            return ShowPreview(parent, job, printer);
        case PrintAction::PrintDirect:
            if (ReadyToPrint(printer)) {
                if (PrintOnPrinter(job, printer) >= 0) return true;
                ReportFailure(parent, printer);
                return false;
            }
            // No printer, or output to a file: the printer dialog chooses.
            return PrintWithDialog(parent, job, printer);
        case PrintAction::Print:
            break;
    }
    return PrintWithDialog(parent, job, printer);
}

QString PrintFooterText(const QString& recordPath, int64_t now) {
    return QCoreApplication::translate("qx::PrintCommand", "打印时间:%1  数据文件:%2.%3")
        .arg(ToQString(FormatLocalTime(now, "%Y-%m-%d %H:%M")),
             QFileInfo(recordPath).completeBaseName(), QStringLiteral("QXRec"));
}

QString HistoryFooterText(const QString& instrument, int64_t now) {
    return QCoreApplication::translate("qx::PrintCommand", "打印时间:%1  仪器:%2")
        .arg(ToQString(FormatLocalTime(now, "%Y-%m-%d %H:%M")), instrument);
}

}  // namespace qx
