// Packs a help page and its pictures into one single-file web archive.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSet>
#include <algorithm>

#include "pictures.h"

namespace qx::resgen {
namespace {

constexpr const char* kBoundary = "----=_QXHelp_Part_000_0001";
constexpr const char* kCrLf = "\r\n";

// Quoted-printable (RFC 2045) of UTF-8 text whose lines end with LF or CRLF: hard line breaks
// become CRLF, lines are cut with soft breaks to at most 76 characters.
QByteArray QuotedPrintable(const QByteArray& text) {
    static const char* kHex = "0123456789ABCDEF";
    QByteArray out;
    const QList<QByteArray> lines = text.split('\n');
    for (qsizetype li = 0; li < lines.size(); ++li) {
        QByteArray line = lines[li];
        if (line.endsWith('\r')) line.chop(1);
        if (li == lines.size() - 1 && line.isEmpty()) break;  // text ended with a newline
        int column = 0;
        for (qsizetype i = 0; i < line.size(); ++i) {
            const auto c = static_cast<unsigned char>(line[i]);
            const bool last = i == line.size() - 1;
            QByteArray piece;
            if ((c >= 33 && c <= 126 && c != '=') || ((c == ' ' || c == '\t') && !last)) {
                piece = QByteArray(1, static_cast<char>(c));
            } else {
                piece = QByteArray("=") + kHex[c >> 4] + kHex[c & 15];
            }
            if (column + piece.size() > 75) {
                out += "=";
                out += kCrLf;
                column = 0;
            }
            out += piece;
            column += static_cast<int>(piece.size());
        }
        out += kCrLf;
    }
    return out;
}

QByteArray Base64Lines(const QByteArray& data) {
    const QByteArray b64 = data.toBase64();
    QByteArray out;
    for (qsizetype i = 0; i < b64.size(); i += 76) {
        out += b64.mid(i, 76);
        out += kCrLf;
    }
    return out;
}

// The text of the page's <title> on one line, in UTF-8; empty when there is none.
QByteArray PageTitle(const QByteArray& page) {
    static const QRegularExpression kTitle(R"re(<title>([^<]*)</title>)re",
                                           QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = kTitle.match(QString::fromUtf8(page));
    return m.hasMatch() ? m.captured(1).simplified().toUtf8() : QByteArray();
}

// A header value as written: printable ASCII as it is, anything else as one UTF-8 encoded word
// (RFC 2047).
QByteArray SubjectText(const QByteArray& text) {
    const bool ascii = std::all_of(text.begin(), text.end(), [](char c) {
        return static_cast<unsigned char>(c) >= 32 && static_cast<unsigned char>(c) <= 126;
    });
    if (ascii && !text.contains("=?")) return text;
    return "=?utf-8?B?" + text.toBase64() + "?=";
}

QByteArray Header(const char* name, const QByteArray& value) {
    return QByteArray(name) + ": " + value + kCrLf;
}

}  // namespace

bool WriteHelpArchive(const QString& htmlPath, const QStringList& imageDirs, const QString& outPath,
                      QString* error) {
    QFile html(htmlPath);
    if (!html.open(QIODevice::ReadOnly)) {
        *error = "cannot read " + htmlPath;
        return false;
    }
    const QByteArray page = html.readAll();
    const QByteArray title = PageTitle(page);
    if (title.isEmpty()) {
        *error = htmlPath + " has no <title>";
        return false;
    }

    QByteArray archive;
    archive += Header("From", "<Saved by the QX Logger help generator>");
    archive += Header("Subject", SubjectText(title));
    archive += Header("MIME-Version", "1.0");
    archive +=
        Header("Content-Type", QByteArray("multipart/related;") + kCrLf + "\ttype=\"text/html\";" +
                                   kCrLf + "\tboundary=\"" + kBoundary + "\"");
    archive += kCrLf;
    archive += QByteArray("This is a multi-part message in MIME format.") + kCrLf + kCrLf;

    archive += QByteArray("--") + kBoundary + kCrLf;
    archive += Header("Content-Type", "text/html; charset=\"utf-8\"");
    archive += Header("Content-Transfer-Encoding", "quoted-printable");
    archive += Header("Content-Location", "index.html");
    archive += kCrLf;
    archive += QuotedPrintable(page);

    // Every picture the page names, once, in the order of first use.
    static const QRegularExpression kImg(R"re(<img\b[^>]*\bsrc="([^"]+)")re");
    QSet<QString> seen;
    for (auto it = kImg.globalMatch(QString::fromUtf8(page)); it.hasNext();) {
        const QString src = it.next().captured(1);
        if (seen.contains(src)) continue;
        seen.insert(src);
        const QString name = QFileInfo(src).fileName();
        QFile image;
        for (const QString& dir : imageDirs) {
            image.setFileName(QDir(dir).filePath(name));
            if (image.open(QIODevice::ReadOnly)) break;
        }
        if (!image.isOpen()) {
            *error = "the page names a missing picture: " + src;
            return false;
        }
        archive += kCrLf;
        archive += QByteArray("--") + kBoundary + kCrLf;
        archive += Header("Content-Type", "image/png");
        archive += Header("Content-Transfer-Encoding", "base64");
        archive += Header("Content-Location", src.toUtf8());
        archive += kCrLf;
        archive += Base64Lines(image.readAll());
    }
    archive += kCrLf;
    archive += QByteArray("--") + kBoundary + "--" + kCrLf;

    QSaveFile out(outPath);
    if (!out.open(QIODevice::WriteOnly) || out.write(archive) != archive.size() || !out.commit()) {
        *error = "cannot write " + outPath;
        return false;
    }
    return true;
}

}  // namespace qx::resgen
