// The record browser's print commands: print (57607), print direct (57608) and print
// preview (57609). Each asks with CSelPrintDlg what to print, then prints through the
// printer dialog, straight to the application's printer, or shows the preview. The reports
// print portrait and the chart landscape.
//
// Output to a PDF file (the printer dialog's "Print to File (PDF)", or PrintToPdf) is written
// to a temporary file beside the target and renamed over it only when complete. The printer
// dialog proposes a file named after the job (CPrintListTrend::documentName) in the folder of
// the last one.
#pragma once

#include <QString>
#include <climits>
#include <cstdint>

class QPagedPaintDevice;
class QPrinter;
class QWidget;

namespace qx {

class CPrintListTrend;

enum class PrintAction {
    Print = 57607,        // print-item dialog, then the printer dialog
    PrintDirect = 57608,  // print-item dialog, then the application's printer (the printer
                          // dialog when that prints to a file or is none)
    Preview = 57609,      // print-item dialog in preview mode, then the preview window
};

// Which pages of a job go to the device, and how often.
struct PageRun {
    int first = 1;
    int last = INT_MAX;
    int copies = 1;
    bool collate = true;
    bool lastPageFirst = false;
};

// The application's printer: chosen printer, paper and orientation, kept between jobs for the
// program's run. Created on first use (a QApplication must exist).
QPrinter& ApplicationPrinter();

// Runs the command for job: the print-item dialog preset to job.mode (none when
// job.chooseMode is false); on OK job.mode takes the choice, the application's printer turns
// portrait for the reports and landscape for the chart, and the job is printed or previewed.
// Dialogs go through the prompt seam. Returns true when pages were printed or the preview was
// shown; false when the user cancelled, no record is loaded (job.hasData) or printing failed
// (the user is told).
bool PrintRecord(QWidget* parent, CPrintListTrend& job, PrintAction action);

// Prints the pages of run onto device (a printer, a PDF writer, a preview's printer), one job
// from PrintSetup to EndPrinting. A job without pages still prints its first page (header,
// footer and an empty report). Returns the number of pages printed, -1 when the device cannot
// be painted on.
int PrintPages(CPrintListTrend& job, QPagedPaintDevice& device, const PageRun& run = {});

// The page range, copies and order chosen for printer.
PageRun PageRunOf(const QPrinter& printer);

// Prints job on printer with its chosen range and copies. A printer set to PDF output writes
// its file completely or not at all. Returns the pages printed or -1.
int PrintOnPrinter(CPrintListTrend& job, QPrinter& printer);

// Writes job to a PDF file at path without any dialog: A4, portrait for the reports and
// landscape for the chart, no paper margins. Returns the pages written or -1 (nothing is left
// at path then, and `error`, when given, says why: the system's error or what failed).
int PrintToPdf(CPrintListTrend& job, const QString& path, QString* error = nullptr);

// The footer text "打印时间:%s  数据文件:%s.%s": the local time now as "%Y-%m-%d %H:%M", the
// record file's base name and "QXRec".
QString PrintFooterText(const QString& recordPath, int64_t now);
// The footer of an instrument's history, which has no record file: "打印时间:%1  仪器:%2".
QString HistoryFooterText(const QString& instrument, int64_t now);

}  // namespace qx
