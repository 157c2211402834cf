#include "help_view.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QTextDocument>

#include "mht_archive.h"

namespace qx {

CHelpView::CHelpView(QWidget* parent) : QTextBrowser(parent) {
    setFrameShape(QFrame::NoFrame);
    setOpenLinks(false);
    setOpenExternalLinks(false);
    connect(this, &QTextBrowser::anchorClicked, this, &CHelpView::OnAnchorClicked);
}

QString CHelpView::HelpFileName(const QString& programFolder, Language language) {
    const QString chinese = QString::fromUtf8(kHelpFileName);
    if (language == Language::kChinese) return chinese;
    const QString english = QString::fromUtf8(kEnglishHelpFileName);
    // An English reader gets the Chinese document rather than none; with neither there, the
    // message names the one this language asks for.
    const QDir dir(programFolder);
    if (!QFileInfo(dir.filePath(english)).isFile() && QFileInfo(dir.filePath(chinese)).isFile())
        return chinese;
    return english;
}

QString CHelpView::HelpAddress(const QString& programFolder) {
    QString folder = programFolder;
    folder.replace(u'\\', u'/');
    while (folder.startsWith(u'/'))
        folder.remove(0, 1);  // "/opt/qx" joins as opt/qx
    while (folder.endsWith(u'/'))
        folder.chop(1);
    QString address = QStringLiteral("file:///") + folder;
    if (!folder.isEmpty()) address += u'/';
    return address + HelpFileName(programFolder, CurrentLanguage());
}

bool CHelpView::IsWebAddress(const QUrl& url) {
    const QString scheme = url.scheme();
    return scheme.startsWith(QLatin1String("http"), Qt::CaseInsensitive) ||
           scheme.compare(QLatin1String("mailto"), Qt::CaseInsensitive) == 0;
}

void CHelpView::InitialUpdate(const QString& programFolder) {
    programFolder_ = programFolder;
    helpAddress_ = HelpAddress(programFolder);
    Navigate(helpAddress_);
}

bool CHelpView::Navigate(const QString& address) {
    const QUrl url(address);
    if (IsWebAddress(url)) {
        QDesktopServices::openUrl(url);
        return showsDocument_;
    }
    const QString path = url.isLocalFile() ? url.toLocalFile() : address;
    const QFileInfo info(path);
    if (!info.exists()) {
        ShowError(
            address,
            tr("找不到帮助文件。请确认文件“%1”与程序在同一个文件夹中。").arg(info.fileName()));
        return false;
    }
    if (!info.isFile() || info.size() > kMhtMaxBytes) {
        ShowError(address, tr("帮助文件不是可以显示的文件。"));
        return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        ShowError(address, tr("不能读取帮助文件:%1").arg(file.errorString()));
        return false;
    }
    MhtArchive archive;
    QString reason;
    if (!ParseMhtArchive(file.read(kMhtMaxBytes), &archive, &reason)) {
        ShowError(address, reason);
        return false;
    }

    // A fresh document per page, so that no picture of an earlier page lingers.
    auto* doc = new QTextDocument(this);
    doc->setDefaultFont(font());
    doc->setDocumentMargin(12);
    for (const MhtPart& part : archive.parts) {
        if (!part.contentType.startsWith("image/") || part.damaged) continue;
        const QImage image = QImage::fromData(part.body);
        if (image.isNull()) continue;
        if (!part.location.isEmpty())
            doc->addResource(QTextDocument::ImageResource, QUrl(part.location), image);
        if (!part.contentId.isEmpty())
            doc->addResource(QTextDocument::ImageResource,
                             QUrl(QStringLiteral("cid:") + QString::fromUtf8(part.contentId)),
                             image);
    }
    doc->setHtml(archive.html);
    // The text control deletes a document of its own when replaced; one of ours goes here.
    QTextDocument* old = document();
    const bool ours = old && old->parent() == this;
    setDocument(doc);
    if (ours) old->deleteLater();

    current_ = address;
    lastError_.clear();
    showsDocument_ = true;
    return true;
}

void CHelpView::ShowError(const QString& address, const QString& reason) {
    const QUrl url(address);
    const QString path = url.isLocalFile() ? url.toLocalFile() : address;
    setHtml(tr("<h3>无法显示操作说明</h3><p>%1</p><p>文件:%2</p>")
                .arg(reason.toHtmlEscaped(), path.toHtmlEscaped()));
    current_ = address;
    lastError_ = reason;
    showsDocument_ = false;
}

void CHelpView::OnAnchorClicked(const QUrl& url) {
    if (IsWebAddress(url)) {
        QDesktopServices::openUrl(url);  // the view stays on the help document
        return;
    }
    if (url.hasFragment() && url.path().isEmpty() && url.scheme().isEmpty()) {
        scrollToAnchor(url.fragment());
        return;
    }
    // Other local links are not part of the help document: nothing to follow.
}

void CHelpView::showEvent(QShowEvent* event) {
    QTextBrowser::showEvent(event);
    // The view must show the help document whenever it comes into view: after a web page
    // was reached from it, or when an earlier attempt failed (the file may be there now).
    if (!helpAddress_.isEmpty() &&
        (IsWebAddress(QUrl(current_)) || current_ != helpAddress_ || !showsDocument_)) {
        // A document installed since the last attempt may be the one of this language.
        if (!showsDocument_) helpAddress_ = HelpAddress(programFolder_);
        Navigate(helpAddress_);
    }
}

}  // namespace qx
