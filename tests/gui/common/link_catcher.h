// Catches the addresses that the code under test opens with QDesktopServices::openUrl, so that
// no browser starts during tests.
#pragma once

#include <QDesktopServices>
#include <QList>
#include <QObject>
#include <QUrl>

namespace qx::test {

class LinkCatcher : public QObject {
    Q_OBJECT
  public:
    LinkCatcher() {
        for (const char* scheme : {"http", "https", "mailto"})
            QDesktopServices::setUrlHandler(QLatin1String(scheme), this, "Open");
    }
    ~LinkCatcher() override {
        for (const char* scheme : {"http", "https", "mailto"})
            QDesktopServices::unsetUrlHandler(QLatin1String(scheme));
    }
    QList<QUrl> opened;

  public slots:
    void Open(const QUrl& url) { opened.append(url); }
};

}  // namespace qx::test
