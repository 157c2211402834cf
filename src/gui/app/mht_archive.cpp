#include "mht_archive.h"

#include <QByteArrayView>
#include <QCoreApplication>
#include <QList>
#include <QPair>
#include <QStringDecoder>

namespace qx {
namespace {

using Header = QPair<QByteArray, QByteArray>;  // lower-case name, value
constexpr int kMaxHeaders = 256;
constexpr qsizetype kMaxBoundary = 200;

// One line from pos: [pos, end) without the line break; *next is where the next line starts.
QByteArrayView LineAt(const QByteArray& data, qsizetype pos, qsizetype* next) {
    const qsizetype nl = data.indexOf('\n', pos);
    qsizetype end = nl < 0 ? data.size() : nl;
    *next = nl < 0 ? data.size() : nl + 1;
    if (end > pos && data[end - 1] == '\r') --end;
    return QByteArrayView(data.constData() + pos, end - pos);
}

// Reads a header block from *pos up to the first empty line (or the end); *pos is left at the
// first byte after it. Continuation lines join the header before them.
QList<Header> ReadHeaders(const QByteArray& data, qsizetype* pos) {
    QList<Header> headers;
    while (*pos < data.size()) {
        qsizetype next = 0;
        const QByteArrayView line = LineAt(data, *pos, &next);
        *pos = next;
        if (line.isEmpty()) break;
        if ((line[0] == ' ' || line[0] == '\t') && !headers.isEmpty()) {
            headers.last().second += ' ' + line.trimmed().toByteArray();
            continue;
        }
        const qsizetype colon = line.indexOf(':');
        if (colon <= 0 || headers.size() >= kMaxHeaders) continue;
        headers.append({line.first(colon).trimmed().toByteArray().toLower(),
                        line.sliced(colon + 1).trimmed().toByteArray()});
    }
    return headers;
}

QByteArray HeaderValue(const QList<Header>& headers, const char* name) {
    for (const Header& h : headers)
        if (h.first == name) return h.second;
    return {};
}

// "multipart/related; type=\"text/html\"; boundary=\"x\"" → type and one parameter's value.
QByteArray MediaType(const QByteArray& value) {
    const qsizetype semi = value.indexOf(';');
    return (semi < 0 ? value : value.left(semi)).trimmed().toLower();
}

QByteArray Parameter(const QByteArray& value, const QByteArray& wanted) {
    qsizetype i = value.indexOf(';');
    while (i >= 0 && i < value.size()) {
        ++i;  // past ';'
        while (i < value.size() && (value[i] == ' ' || value[i] == '\t'))
            ++i;
        const qsizetype eq = value.indexOf('=', i);
        if (eq < 0) break;
        const QByteArray name = value.mid(i, eq - i).trimmed().toLower();
        QByteArray v;
        qsizetype j = eq + 1;
        while (j < value.size() && (value[j] == ' ' || value[j] == '\t'))
            ++j;
        if (j < value.size() && value[j] == '"') {
            ++j;
            while (j < value.size() && value[j] != '"') {
                if (value[j] == '\\' && j + 1 < value.size()) ++j;
                v += value[j++];
            }
            if (j < value.size()) ++j;  // closing quote
        } else {
            while (j < value.size() && value[j] != ';')
                v += value[j++];
            v = v.trimmed();
        }
        if (name == wanted) return v;
        i = value.indexOf(';', j);
    }
    return {};
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

MhtPart MakePart(const QList<Header>& headers, const QByteArray& raw) {
    MhtPart part;
    const QByteArray type = HeaderValue(headers, "content-type");
    part.contentType = type.isEmpty() ? QByteArray("text/plain") : MediaType(type);
    part.charset = Parameter(type, "charset").toLower();
    part.location = QString::fromUtf8(HeaderValue(headers, "content-location"));
    QByteArray id = HeaderValue(headers, "content-id");
    if (id.startsWith('<') && id.endsWith('>')) id = id.mid(1, id.size() - 2);
    part.contentId = id;
    const QByteArray encoding = HeaderValue(headers, "content-transfer-encoding").toLower();
    if (encoding == "base64") {
        part.damaged = !DecodeBase64(raw, &part.body);
    } else if (encoding == "quoted-printable") {
        part.body = DecodeQuotedPrintable(raw);
    } else {
        part.body = raw;  // 7bit, 8bit, binary or none
    }
    return part;
}

QString DecodeText(const QByteArray& bytes, const QByteArray& charset) {
    if (!charset.isEmpty() && charset != "utf-8" && charset != "utf8") {
        QStringDecoder decoder(charset.constData());
        if (decoder.isValid()) {
            QString text = decoder.decode(bytes);
            if (!decoder.hasError()) return text;
        }
    }
    QByteArrayView view(bytes);
    if (view.startsWith("\xEF\xBB\xBF")) view = view.sliced(3);
    return QString::fromUtf8(view);
}

// Splits a multipart body at its delimiter lines. The line break before a delimiter belongs
// to the delimiter. Without a closing delimiter the last part runs to the end of the data.
bool SplitParts(const QByteArray& data, qsizetype pos, const QByteArray& boundary,
                MhtArchive* archive, QString* error) {
    const QByteArray delimiter = "--" + boundary;
    qsizetype partStart = -1;
    auto addPart = [&](qsizetype end) -> bool {
        if (archive->parts.size() >= kMhtMaxParts) {
            *error = QCoreApplication::translate("qx::CHelpView", "帮助文件的内容段过多。");
            return false;
        }
        qsizetype p = partStart;
        const QList<Header> headers = ReadHeaders(data, &p);
        if (p > end) p = end;
        archive->parts.append(MakePart(headers, data.mid(p, end - p)));
        return true;
    };
    while (pos < data.size()) {
        qsizetype next = 0;
        const QByteArrayView line = LineAt(data, pos, &next);
        if (line.startsWith(delimiter)) {
            const QByteArrayView rest = line.sliced(delimiter.size());
            const bool closing = rest.startsWith("--");
            if (closing || rest.trimmed().isEmpty()) {
                if (partStart >= 0) {
                    qsizetype end = pos;
                    if (end > partStart && data[end - 1] == '\n') --end;
                    if (end > partStart && data[end - 1] == '\r') --end;
                    if (!addPart(end)) return false;
                }
                if (closing) return true;
                partStart = next;
            }
        }
        pos = next;
    }
    if (partStart >= 0 && partStart < data.size()) return addPart(data.size());
    return true;
}

}  // namespace

QByteArray DecodeQuotedPrintable(const QByteArray& encoded) {
    QByteArray out;
    out.reserve(encoded.size());
    const qsizetype n = encoded.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char c = encoded[i];
        if (c != '=') {
            out += c;
            continue;
        }
        // Soft line break: "=" with optional trailing blanks, then the line end.
        qsizetype j = i + 1;
        while (j < n && (encoded[j] == ' ' || encoded[j] == '\t'))
            ++j;
        if (j < n && encoded[j] == '\r' && j + 1 < n && encoded[j + 1] == '\n') {
            i = j + 1;
            continue;
        }
        if (j < n && encoded[j] == '\n') {
            i = j;
            continue;
        }
        if (j == n) break;  // "=" at the very end: a soft break before the end
        if (i + 2 < n) {
            const int hi = HexValue(encoded[i + 1]);
            const int lo = HexValue(encoded[i + 2]);
            if (hi >= 0 && lo >= 0) {
                out += static_cast<char>(hi * 16 + lo);
                i += 2;
                continue;
            }
        }
        out += '=';  // malformed: kept as written
    }
    return out;
}

bool DecodeBase64(const QByteArray& encoded, QByteArray* decoded) {
    QByteArray compact;
    compact.reserve(encoded.size());
    for (char c : encoded)
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n') compact += c;
    auto result = QByteArray::fromBase64Encoding(
        compact, QByteArray::Base64Encoding | QByteArray::AbortOnBase64DecodingErrors);
    if (result.decodingStatus != QByteArray::Base64DecodingStatus::Ok) {
        decoded->clear();
        return false;
    }
    *decoded = std::move(result.decoded);
    return true;
}

bool ParseMhtArchive(const QByteArray& data, MhtArchive* archive, QString* error) {
    *archive = MhtArchive{};
    if (data.trimmed().isEmpty()) {
        *error = QCoreApplication::translate("qx::CHelpView", "帮助文件是空的。");
        return false;
    }
    if (data.size() > kMhtMaxBytes) {
        *error = QCoreApplication::translate("qx::CHelpView", "帮助文件过大。");
        return false;
    }
    qsizetype pos = 0;
    const QList<Header> headers = ReadHeaders(data, &pos);
    const QByteArray type = HeaderValue(headers, "content-type");
    const QByteArray media = MediaType(type);
    if (media == "text/html") {
        // A web page saved as one MIME entity: accepted as an archive of one part.
        archive->parts.append(MakePart(headers, data.mid(pos)));
    } else if (media.startsWith("multipart/")) {
        const QByteArray boundary = Parameter(type, "boundary");
        if (boundary.isEmpty() || boundary.size() > kMaxBoundary) {
            *error = QCoreApplication::translate("qx::CHelpView", "帮助文件的分段边界缺失或无效。");
            return false;
        }
        if (!SplitParts(data, pos, boundary, archive, error)) {
            archive->parts.clear();
            return false;
        }
    } else {
        *error = QCoreApplication::translate("qx::CHelpView", "帮助文件不是单文件网页(MHT)格式。");
        return false;
    }
    if (archive->parts.isEmpty()) {
        *error = QCoreApplication::translate("qx::CHelpView", "帮助文件中没有任何内容。");
        return false;
    }

    // The root page: the part named by the "start" parameter, else the first HTML part.
    QByteArray start = Parameter(type, "start");
    if (start.startsWith('<') && start.endsWith('>')) start = start.mid(1, start.size() - 2);
    for (int i = 0; i < archive->parts.size() && archive->htmlPart < 0; ++i) {
        const MhtPart& part = archive->parts[i];
        if (!start.isEmpty() && part.contentId == start) archive->htmlPart = i;
    }
    for (int i = 0; i < archive->parts.size() && archive->htmlPart < 0; ++i)
        if (archive->parts[i].contentType == "text/html") archive->htmlPart = i;
    if (archive->htmlPart < 0) {
        *error = QCoreApplication::translate("qx::CHelpView", "帮助文件中没有网页内容。");
        return false;
    }
    const MhtPart& root = archive->parts[archive->htmlPart];
    if (root.damaged) {
        *error = QCoreApplication::translate("qx::CHelpView", "帮助文件的网页内容已损坏。");
        return false;
    }
    archive->html = DecodeText(root.body, root.charset);
    return true;
}

}  // namespace qx
