// CHelpView: the main window's third view (操作说明). It shows the help document of the current
// language ("帮助.mht" in Chinese, "Help.mht" in English), a single-file web archive beside the
// program, in a borderless QTextBrowser: the archive is
// split, its pictures are registered with the document under their Content-Location (and
// "cid:" Content-ID), and its HTML page is shown. Links inside the page scroll to their
// anchors; web links (http, https, mailto) open in the system browser while the view stays on
// the help document. A missing or unreadable file shows a clear message in the view.
#pragma once

#include "app_folders.h"

#include <QString>
#include <QTextBrowser>
#include <QUrl>

namespace qx {

class CHelpView : public QTextBrowser {
    Q_OBJECT
  public:
    static constexpr const char* kHelpFileName = kHelpDocumentName;
    static constexpr const char* kEnglishHelpFileName = kEnglishHelpDocumentName;

    explicit CHelpView(QWidget* parent = nullptr);

    // The help document of a language in a program folder: "帮助.mht" in Chinese; in English
    // "Help.mht", or "帮助.mht" when only that one is there.
    static QString HelpFileName(const QString& programFolder, Language language);
    // The help document's address for a program folder in the current language:
    // "file:///%s/帮助.mht" with every '\' turned into '/' ("C:\Tools" gives
    // file:///C:/Tools/帮助.mht, "/opt/qx" gives file:///opt/qx/帮助.mht).
    static QString HelpAddress(const QString& programFolder);

    // First show: remembers the help address for the program folder and navigates there.
    void InitialUpdate(const QString& programFolder);
    // Shows the archive at a file address. A web address (http, https, mailto) is handed to
    // the system browser instead and the view keeps its page. True when a help page shows.
    bool Navigate(const QString& address);

    // The address of the page shown now; the help address after InitialUpdate.
    QString CurrentAddress() const { return current_; }
    QString HelpFileAddress() const { return helpAddress_; }
    // True while the view shows a help document (not an error message).
    bool ShowsDocument() const { return showsDocument_; }
    // The reason shown when the last navigation failed; empty after a success.
    QString LastError() const { return lastError_; }

    // A web address: a scheme starting with "http" (any letter case) or "mailto".
    static bool IsWebAddress(const QUrl& url);

  protected:
    // Whenever the view is shown: a web page as the current address (a web link was followed)
    // brings the help document back.
    void showEvent(QShowEvent* event) override;

  private:
    void OnAnchorClicked(const QUrl& url);
    void ShowError(const QString& address, const QString& reason);

    QString programFolder_;
    QString helpAddress_;
    QString current_;
    QString lastError_;
    bool showsDocument_ = false;
};

}  // namespace qx
