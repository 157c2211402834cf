#include "print_pdf_start.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <memory>

#include "core/model/text_util.h"
#include "core/records/record_file.h"
#include "core/records/record_image.h"
#include "core/records/record_set.h"
#include "gui/browser/data_view.h"
#include "gui/common/qt_text.h"

namespace qx {
namespace {

// The browser's view of a record opened from the command line.
struct CommandLineHost final : CDataView::Host {
    QString path;
    bool RecordLoaded() const override { return true; }
    QString RecordPath() const override { return path; }
    QString DataFolder() const override { return QFileInfo(path).absolutePath(); }
};

}  // namespace

int PrintPdfAtStart(const StartOptions& options, int64_t now, QString& message, QString* warning) {
    auto image = std::make_unique<RecordImage>();
    auto set = std::make_unique<RecordSet>();
    const RecordFileResult read = OpenRecordFile(ToUtf8(options.recordFile), *image, *set);
    if (!read.ok) {
        message = ToQString(WithReason(read.message, read.reason));
        return 1;
    }
    if (read.incomplete && warning) *warning = ToQString(WithReason(read.message, read.reason));
    CommandLineHost host;
    host.path = QFileInfo(options.recordFile).absoluteFilePath();
    CDataView view(host);
    view.SetClock([now] { return now; });
    view.resize(1000, 640);
    view.FirstShow(0);
    view.LoadRecord(set.get());
    view.RunRequest(options.printQuery);
    QString why;
    if (view.PrintToPdfFile(options.printPdf, options.printChoice, &why) < 0) {
        message = QCoreApplication::translate("qx::PrintPdfAtStart", "文件:%1 打印失败!")
                      .arg(options.printPdf);
        if (!why.isEmpty()) message += u'\n' + why;
        return 1;
    }
    message = view.windowTitle();
    return 0;
}

}  // namespace qx
