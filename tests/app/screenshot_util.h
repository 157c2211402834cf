// Saves a window's picture under $QX_SCREENSHOT_DIR (the build folder's screenshots/).
#pragma once

#include <QDir>
#include <QImage>
#include <QString>
#include <QWidget>
#include <cstdlib>

namespace qx::test {

inline QString SaveScreenshot(QWidget& widget, const QString& name) {
    const char* dir = std::getenv("QX_SCREENSHOT_DIR");
    if (!dir || !*dir) return {};
    QDir().mkpath(QString::fromLocal8Bit(dir));
    const QString path = QDir(QString::fromLocal8Bit(dir)).filePath(name);
    return widget.grab().save(path, "PNG") ? path : QString();
}

}  // namespace qx::test
