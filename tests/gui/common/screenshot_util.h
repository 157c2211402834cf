// Saves a window's picture under $QX_SCREENSHOT_DIR (the build folder's screenshots/).
#pragma once

#include <QDir>
#include <QImage>
#include <QString>
#include <QWidget>
#include <cstdlib>

namespace qx::test {

// The path written, or an empty string when there is no screenshot folder or saving failed.
inline QString SaveScreenshot(const QImage& image, const QString& name) {
    const char* dir = std::getenv("QX_SCREENSHOT_DIR");
    if (!dir || !*dir) return {};
    QDir().mkpath(QString::fromLocal8Bit(dir));
    const QString path = QDir(QString::fromLocal8Bit(dir)).filePath(name);
    return image.save(path, "PNG") ? path : QString();
}

inline QString SaveScreenshot(QWidget& widget, const QString& name) {
    return SaveScreenshot(widget.grab().toImage(), name);
}

}  // namespace qx::test
