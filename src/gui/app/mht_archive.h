// Reading a single-file web archive (.mht: MIME multipart/related, RFC 2557): the parts with
// their headers, bodies decoded from quoted-printable or base64, and the root HTML page.
//
// The reader is bounded and total: any byte sequence gives either an archive or a clear
// reason. Line ends may be CRLF or LF. An archive cut short keeps the parts read so far; a
// part whose body cannot be decoded is kept with `damaged` set and an empty body.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace qx {

struct MhtPart {
    QByteArray contentType;  // lower case, without parameters: "text/html", "image/png"
    QByteArray charset;      // lower case; empty when not given
    QString location;        // Content-Location as written
    QByteArray contentId;    // Content-ID without the angle brackets
    QByteArray body;         // decoded
    bool damaged = false;    // the transfer encoding could not be decoded
};

struct MhtArchive {
    QList<MhtPart> parts;
    int htmlPart = -1;  // index of the root HTML page
    QString html;       // the root page as text
};

inline constexpr qsizetype kMhtMaxBytes = 64 * 1024 * 1024;
inline constexpr int kMhtMaxParts = 4096;

// Splits and decodes an archive. False with a Chinese reason in *error when the data is no
// web archive or holds no HTML page.
bool ParseMhtArchive(const QByteArray& data, MhtArchive* archive, QString* error);

// Decoders of the two transfer encodings. Quoted-printable keeps a malformed "=" sequence as
// it stands; base64 ignores white space and fails on any other foreign character.
QByteArray DecodeQuotedPrintable(const QByteArray& encoded);
bool DecodeBase64(const QByteArray& encoded, QByteArray* decoded);

}  // namespace qx
