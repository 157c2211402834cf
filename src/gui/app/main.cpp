// qxlog [--lang zh|en] [--simulate MODEL[,MODEL...]] [RECORD-FILE]: the QX Logger window program.
// qxlog --print-pdf OUT.pdf ... RECORD-FILE: a record's report, chart or statistics report as
// a PDF, no window.
#include <QApplication>
#include <clocale>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "core/records/removal_on_signal.h"
#include "gui/common/app_language.h"
#include "gui/common/qt_text.h"
#include "hid/hidapi_library.h"
#include "print_pdf_start.h"
#include "qx420_app.h"

int main(int argc, char** argv) {
    tzset();
    // A signal that ends the program leaves no reserved or temporary file; a file-size limit
    // fails a write (export, --print-pdf, a download) with its reason instead of killing it.
    qx::InstallRemovalOnSignals();
    // The arguments as given (QApplication takes its own ones out), for a restart.
    QStringList given;
    for (int i = 1; i < argc; ++i)
        given.append(QString::fromLocal8Bit(argv[i]));
    // The usage needs no display; it is in the language of --lang, the setting or the locale.
    if (given.contains(QLatin1String("--help")) || given.contains(QLatin1String("-h"))) {
        QCoreApplication core(argc, argv);
        qx::InstallLanguage(
            qx::ResolveLanguage(qx::StartLanguage(given), qx::AppSettings::ReadLanguage()));
        std::printf("%s", qPrintable(qx::StartUsage()));
        return 0;
    }
    // A PDF needs no display: without a platform chosen, the offscreen one serves.
    bool printPdf = false;
    for (int i = 1; i < argc; ++i)
        printPdf = printPdf || std::strcmp(argv[i], "--print-pdf") == 0;
    if (printPdf && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // Texts built with printf-style formats keep '.' as the decimal point.
    std::setlocale(LC_NUMERIC, "C");
    // Names of the per-user folders (the data folder when the program's own is not writable).
    QCoreApplication::setOrganizationName(QLatin1String(qx::AppSettings::kOrganisation));
    QCoreApplication::setApplicationName(QLatin1String(qx::AppSettings::kApplication));
    // Ties the window to its desktop entry (icon and name in task bars, Wayland app id).
    QGuiApplication::setDesktopFileName(QStringLiteral(QX_APP_ID));

    // Before any message or window: --lang, else the setting, else the locale.
    const QStringList arguments = QCoreApplication::arguments().mid(1);
    qx::InstallLanguage(
        qx::ResolveLanguage(qx::StartLanguage(arguments), qx::AppSettings::ReadLanguage()));
    qx::StartOptions options;
    QString error;
    if (!qx::ParseStartOptions(arguments, options, error)) {
        std::fprintf(stderr, "%s\n\n%s", qPrintable(error), qPrintable(qx::StartUsage()));
        return 2;
    }

    if (!options.printPdf.isEmpty()) {
        QString message, warning;
        const int status = qx::PrintPdfAtStart(options, static_cast<int64_t>(std::time(nullptr)),
                                               message, &warning);
        if (!warning.isEmpty()) std::fprintf(stderr, "%s\n", qPrintable(warning));
        std::fprintf(status == 0 ? stdout : stderr, "%s\n", qPrintable(message));
        return status;
    }

    qx::CQX420App program([] { return std::make_unique<qx::HidapiLibrary>(); });
    if (!program.InitInstance(options)) return 1;
    const int result = QApplication::exec();
    program.ExitInstance();
    // A new language was chosen and the restart agreed to.
    if (result == 0 && program.RestartRequested()) qx::CQX420App::StartAgain(given);
    return result;
}
