// The web archive reader: good archives, damaged ones, and the program's own help document.
#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSet>

#include <gtest/gtest.h>

#include "gui/app/mht_archive.h"

namespace qx {
namespace {

QByteArray PngBytes(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::red);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

// A small archive as browsers write them: a quoted-printable page (with soft line breaks in
// the middle of a UTF-8 character) and a base64 picture in lines of 76.
QByteArray SampleArchive(const char* eol = "\r\n") {
    QByteArray b64 = PngBytes(3, 2).toBase64();
    QByteArray lines;
    for (qsizetype i = 0; i < b64.size(); i += 76)
        lines += b64.mid(i, 76) + eol;
    QByteArray a;
    a += QByteArray("From: <Saved by a browser>") + eol;
    a += QByteArray("MIME-Version: 1.0") + eol;
    a += QByteArray("Content-Type: multipart/related;") + eol;
    a += QByteArray("\ttype=\"text/html\";") + eol;
    a += QByteArray("\tboundary=\"----=_NextPart_01\"") + eol;
    a += eol;
    a += QByteArray("This is a multi-part message in MIME format.") + eol + eol;
    a += QByteArray("------=_NextPart_01") + eol;
    a += QByteArray("Content-Type: text/html; charset=\"utf-8\"") + eol;
    a += QByteArray("Content-Transfer-Encoding: quoted-printable") + eol;
    a += QByteArray("Content-Location: index.html") + eol;
    a += eol;
    a += QByteArray(
             "<html><body><h1 class=3D\"t\">=E8=BF=9E=E6=8E=A5=E6=B5=8B=E8=AF=95=E4=BB=AA</h1=") +
         eol;
    a += QByteArray("><p>=E4=B8=AD=") + eol;
    a += QByteArray("=E6=96=87</p><img src=3D\"images/a.png\"></body></html>") + eol;
    a += QByteArray("------=_NextPart_01") + eol;
    a += QByteArray("Content-Type: image/png") + eol;
    a += QByteArray("Content-Transfer-Encoding: base64") + eol;
    a += QByteArray("Content-Location: images/a.png") + eol;
    a += QByteArray("Content-ID: <pic1@qx>") + eol;
    a += eol;
    a += lines;
    a += eol;
    a += QByteArray("------=_NextPart_01--") + eol;
    return a;
}

void ExpectSampleParsed(const MhtArchive& a) {
    ASSERT_EQ(a.parts.size(), 2);
    EXPECT_EQ(a.htmlPart, 0);
    EXPECT_TRUE(a.html.contains(QStringLiteral("<h1 class=\"t\">连接测试仪</h1><p>中文</p>")));
    EXPECT_EQ(a.parts[0].location, "index.html");
    EXPECT_EQ(a.parts[0].charset, "utf-8");
    const MhtPart& image = a.parts[1];
    EXPECT_EQ(image.contentType, "image/png");
    EXPECT_EQ(image.location, "images/a.png");
    EXPECT_EQ(image.contentId, "pic1@qx");
    EXPECT_FALSE(image.damaged);
    EXPECT_EQ(QImage::fromData(image.body).size(), QSize(3, 2));
}

TEST(MhtArchive, ReadsAnArchiveWithCrLfLineEnds) {
    MhtArchive a;
    QString error;
    ASSERT_TRUE(ParseMhtArchive(SampleArchive(), &a, &error)) << qPrintable(error);
    ExpectSampleParsed(a);
}

TEST(MhtArchive, ReadsAnArchiveWithBareLineFeeds) {
    MhtArchive a;
    QString error;
    ASSERT_TRUE(ParseMhtArchive(SampleArchive("\n"), &a, &error)) << qPrintable(error);
    ExpectSampleParsed(a);
}

TEST(MhtArchive, RootPageIsTheStartPartOrTheFirstPage) {
    const QByteArray base =
        "Content-Type: multipart/related; boundary=b%1\r\n\r\n"
        "--b\r\nContent-Type: image/png\r\nContent-Transfer-Encoding: base64\r\n\r\n" +
        PngBytes(1, 1).toBase64() +
        "\r\n--b\r\nContent-Type: text/html\r\n\r\n<p>one</p>\r\n"
        "--b\r\nContent-Type: text/html\r\nContent-ID: <two>\r\n\r\n<p>two</p>\r\n--b--\r\n";
    MhtArchive a;
    QString error;
    ASSERT_TRUE(ParseMhtArchive(QByteArray(base).replace("%1", ""), &a, &error));
    EXPECT_EQ(a.htmlPart, 1);
    EXPECT_EQ(a.html, "<p>one</p>");
    ASSERT_TRUE(ParseMhtArchive(QByteArray(base).replace("%1", "; start=\"<two>\""), &a, &error));
    EXPECT_EQ(a.htmlPart, 2);
    EXPECT_EQ(a.html, "<p>two</p>");
}

TEST(MhtArchive, PageInAnotherCharacterSetOrAsOneEntity) {
    MhtArchive a;
    QString error;
    QByteArray latin =
        "Content-Type: multipart/related; boundary=\"x\"\r\n\r\n--x\r\n"
        "Content-Type: text/html; charset=ISO-8859-1\r\n\r\ncaf\xE9\r\n--x--\r\n";
    ASSERT_TRUE(ParseMhtArchive(latin, &a, &error));
    EXPECT_EQ(a.html, QStringLiteral("café"));

    // A page saved as one quoted-printable MIME entity.
    ASSERT_TRUE(
        ParseMhtArchive("Content-Type: text/html; charset=utf-8\r\n"
                        "Content-Transfer-Encoding: quoted-printable\r\n\r\n"
                        "<b>=E5=B8=AE=E5=8A=A9</b>\r\n",
                        &a, &error));
    EXPECT_EQ(a.html.trimmed(), QStringLiteral("<b>帮助</b>"));
}

TEST(MhtArchive, ArchiveCutShortKeepsWhatWasRead) {
    const QByteArray whole = SampleArchive();
    const qsizetype cut = whole.indexOf("Content-Location: images/a.png") + 200;
    MhtArchive a;
    QString error;
    ASSERT_TRUE(ParseMhtArchive(whole.left(cut), &a, &error)) << qPrintable(error);
    ASSERT_EQ(a.parts.size(), 2);
    EXPECT_TRUE(a.html.contains(QStringLiteral("连接测试仪")));
    EXPECT_TRUE(QImage::fromData(a.parts[1].body).isNull());  // the picture is incomplete
}

TEST(MhtArchive, MalformedArchivesGiveAReason) {
    struct Case {
        const char* what;
        QByteArray data;
        const char* reason;
    };
    const QByteArray badBase64Page =
        "Content-Type: multipart/related; boundary=b\r\n\r\n--b\r\n"
        "Content-Type: text/html\r\nContent-Transfer-Encoding: base64\r\n\r\nPGI+!!!\r\n--b--\r\n";
    const Case cases[] = {
        {"empty", "", "空的"},
        {"blank", " \r\n\r\n", "空的"},
        {"plain page", "<html><body>hello</body></html>", "不是单文件网页"},
        {"picture only", "Content-Type: image/png\r\n\r\nxxxx", "不是单文件网页"},
        {"no boundary", "Content-Type: multipart/related\r\n\r\n--\r\nx\r\n", "边界"},
        {"no delimiter", "Content-Type: multipart/related; boundary=zz\r\n\r\nhello\r\n",
         "没有任何内容"},
        {"pictures only",
         "Content-Type: multipart/related; boundary=b\r\n\r\n--b\r\nContent-Type: image/png\r\n"
         "\r\nabc\r\n--b--\r\n",
         "没有网页内容"},
        {"damaged page", badBase64Page, "已损坏"},
    };
    for (const Case& c : cases) {
        MhtArchive a;
        QString error;
        EXPECT_FALSE(ParseMhtArchive(c.data, &a, &error)) << c.what;
        EXPECT_TRUE(error.contains(QString::fromUtf8(c.reason)))
            << c.what << ": " << qPrintable(error);
    }
}

TEST(MhtArchive, TooManyPartsAreRefused) {
    QByteArray data = "Content-Type: multipart/related; boundary=b\r\n\r\n";
    for (int i = 0; i <= kMhtMaxParts; ++i)
        data += "--b\r\nContent-Type: text/html\r\n\r\nx\r\n";
    data += "--b--\r\n";
    MhtArchive a;
    QString error;
    EXPECT_FALSE(ParseMhtArchive(data, &a, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("过多")));
    EXPECT_TRUE(a.parts.isEmpty());
}

TEST(MhtArchive, QuotedPrintableDecoding) {
    EXPECT_EQ(DecodeQuotedPrintable("=E4=B8=AD"), QByteArray("中"));
    EXPECT_EQ(DecodeQuotedPrintable("ab=\r\ncd"), "abcd");
    EXPECT_EQ(DecodeQuotedPrintable("ab= \t\r\ncd"), "abcd");
    EXPECT_EQ(DecodeQuotedPrintable("ab=\ncd"), "abcd");
    EXPECT_EQ(DecodeQuotedPrintable("a=3Db=3d"), "a=b=");
    EXPECT_EQ(DecodeQuotedPrintable("x=ZZy"), "x=ZZy");  // malformed: kept
    EXPECT_EQ(DecodeQuotedPrintable("x=4"), "x=4");
    EXPECT_EQ(DecodeQuotedPrintable("end="), "end");
    EXPECT_EQ(DecodeQuotedPrintable("line\r\nnext"), "line\r\nnext");
}

TEST(MhtArchive, Base64Decoding) {
    QByteArray out;
    EXPECT_TRUE(DecodeBase64("aGVs\r\nbG8=\r\n", &out));
    EXPECT_EQ(out, "hello");
    EXPECT_TRUE(DecodeBase64(" aGVs bG8= ", &out));
    EXPECT_EQ(out, "hello");
    EXPECT_FALSE(DecodeBase64("aGVs*bG8=", &out));
    EXPECT_TRUE(out.isEmpty());
}

TEST(MhtArchive, DamagedVariantsNeverBreakTheReader) {
    // Cuts, flipped bytes and removed lines of a good archive: the reader either reads it or
    // says why, and a page it reads is text.
    const QByteArray good = SampleArchive();
    QRandomGenerator rng(20240506);
    for (int round = 0; round < 3000; ++round) {
        QByteArray data = good;
        const int edits = 1 + static_cast<int>(rng.bounded(6));
        for (int e = 0; e < edits && !data.isEmpty(); ++e) {
            const auto at = static_cast<qsizetype>(rng.bounded(static_cast<int>(data.size())));
            switch (rng.bounded(4)) {
                case 0:
                    data.truncate(at);
                    break;
                case 1:
                    data[at] = static_cast<char>(rng.bounded(256));
                    break;
                case 2:
                    data.remove(at, 1 + rng.bounded(40));
                    break;
                default:
                    data.insert(at, rng.bounded(2) ? "\r\n--" : "=");
                    break;
            }
        }
        MhtArchive a;
        QString error;
        if (ParseMhtArchive(data, &a, &error)) {
            ASSERT_GE(a.htmlPart, 0);
            ASSERT_LT(a.htmlPart, a.parts.size());
        } else {
            ASSERT_FALSE(error.isEmpty());
        }
    }
}

// A committed help document, read as the help view reads it, after checking that it is a
// consistent archive: CRLF line ends only, every picture the page shows is stored and decodes,
// and every stored picture is shown.
void ReadHelpDocument(const QString& path, MhtArchive* a) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << qPrintable(path);
    const QByteArray data = file.readAll();
    for (qsizetype i = 0; i < data.size(); ++i) {
        if (data[i] == '\n') {
            ASSERT_TRUE(i > 0 && data[i - 1] == '\r') << "bare LF at " << i;
        }
        if (data[i] == '\r') {
            ASSERT_TRUE(i + 1 < data.size() && data[i + 1] == '\n') << "bare CR at " << i;
        }
    }
    QString error;
    ASSERT_TRUE(ParseMhtArchive(data, a, &error)) << qPrintable(error);

    QSet<QString> shown;
    static const QRegularExpression kImg(R"re(<img\b[^>]*\bsrc="([^"]+)")re");
    for (auto it = kImg.globalMatch(a->html); it.hasNext();)
        shown.insert(it.next().captured(1));
    EXPECT_GE(shown.size(), 5);
    QSet<QString> stored;
    for (const MhtPart& part : a->parts) {
        if (!part.contentType.startsWith("image/")) continue;
        stored.insert(part.location);
        EXPECT_FALSE(part.damaged) << qPrintable(part.location);
        EXPECT_FALSE(QImage::fromData(part.body).isNull()) << qPrintable(part.location);
    }
    EXPECT_EQ(shown, stored);
}

// Every capture of `re` in `text`, in order.
QStringList AllMatches(const QRegularExpression& re, const QString& text) {
    QStringList found;
    for (auto it = re.globalMatch(text); it.hasNext();)
        found.append(it.next().captured(1));
    return found;
}

TEST(HelpDocument, IsAConsistentArchiveWithCrLfLineEnds) {
    MhtArchive a;
    ASSERT_NO_FATAL_FAILURE(ReadHelpDocument(QStringLiteral(QX_RES_DIR "/帮助.mht"), &a));

    // The topics the document covers.
    for (const char* topic :
         {"连接测试仪", "udev", "自动刷新", "设置参数", "校正时钟", "停止记录", "接收数据",
          "记录查询", "节点标记", "横排", "导出", "xlsx", "打印预览", "PDF", "复制图形到剪贴板"})
        EXPECT_TRUE(a.html.contains(QString::fromUtf8(topic))) << topic;
}

TEST(HelpDocument, EnglishHasTheSectionsAndPicturesOfTheChinese) {
    MhtArchive zh, en;
    ASSERT_NO_FATAL_FAILURE(ReadHelpDocument(QStringLiteral(QX_RES_DIR "/帮助.mht"), &zh));
    ASSERT_NO_FATAL_FAILURE(ReadHelpDocument(QStringLiteral(QX_RES_DIR "/Help.mht"), &en));

    // The same sections, contents links and pictures, in the same order.
    static const QRegularExpression kAnchor(R"re(<a name="([^"]+)")re");
    static const QRegularExpression kLink(R"re(<a href="(#[^"]+)")re");
    static const QRegularExpression kImg(R"re(<img\b[^>]*\bsrc="([^"]+)")re");
    for (const QRegularExpression* re : {&kAnchor, &kLink, &kImg})
        EXPECT_EQ(AllMatches(*re, en.html), AllMatches(*re, zh.html)) << qPrintable(re->pattern());
    EXPECT_GE(AllMatches(kAnchor, zh.html).size(), 13);

    // Both explain the language choice under its menu entry, which has one name in both.
    for (const MhtArchive* a : {&zh, &en}) {
        for (const char* topic : {"语言 / Language", "[Workspace]", "--lang", "Help.mht"})
            EXPECT_TRUE(a->html.contains(QString::fromUtf8(topic))) << topic;
    }
    for (const char* topic :
         {"Connect", "udev", "Auto refresh", "Write Settings", "Set Clock", "Stop Recording",
          "Download Data", "Mark points", "Export", "xlsx", "Print Preview", "PDF"})
        EXPECT_TRUE(en.html.contains(QString::fromUtf8(topic))) << topic;

    // No Chinese left in the English page but the language menu's names and the Chinese file's.
    QString rest = en.html;
    for (const char* name : {"语言 / Language", "中文", "帮助.mht"})
        rest.remove(QString::fromUtf8(name));
    static const QRegularExpression kHan(
        QStringLiteral("[\\x{3000}-\\x{303f}\\x{4e00}-\\x{9fff}\\x{ff00}-\\x{ffef}]+"));
    EXPECT_FALSE(rest.contains(kHan)) << qPrintable(kHan.match(rest).captured());
}

}  // namespace
}  // namespace qx
