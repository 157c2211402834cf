// qxlog [--simulate MODEL[,MODEL...]] [RECORD-FILE]: the QX Logger window program.
#include <QApplication>
#include <clocale>
#include <cstdio>
#include <ctime>

#include "app/qt_text.h"
#include "app/qx420_app.h"
#include "link/hidapi_library.h"

int main(int argc, char** argv) {
    tzset();
    // The usage needs no display.
    for (int i = 1; i < argc; ++i) {
        const QString a = QString::fromLocal8Bit(argv[i]);
        if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            std::printf("%s", qPrintable(qx::StartUsage()));
            return 0;
        }
    }
    QApplication app(argc, argv);
    // Texts built with printf-style formats keep '.' as the decimal point.
    std::setlocale(LC_NUMERIC, "C");
    // Names of the per-user folders (the data folder when the program's own is not writable).
    QCoreApplication::setOrganizationName(QLatin1String(qx::AppSettings::kOrganisation));
    QCoreApplication::setApplicationName(QLatin1String(qx::AppSettings::kApplication));
    // Ties the window to its desktop entry (icon and name in task bars, Wayland app id).
    QGuiApplication::setDesktopFileName(QStringLiteral(QX_APP_ID));

    qx::InstallQtTranslations();

    qx::StartOptions options;
    QString error;
    if (!qx::ParseStartOptions(QCoreApplication::arguments().mid(1), options, error)) {
        std::fprintf(stderr, "%s\n\n%s", qPrintable(error), qPrintable(qx::StartUsage()));
        return 2;
    }

    qx::CQX420App program([] { return std::make_unique<qx::HidapiLibrary>(); });
    if (!program.InitInstance(options)) return 1;
    const int result = QApplication::exec();
    program.ExitInstance();
    return result;
}
