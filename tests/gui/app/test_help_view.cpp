// The help view: its address, showing the program's help document, failures, and links.
#include <QDesktopServices>
#include <QFile>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QUrl>

#include <gtest/gtest.h>

#include "gui/app/help_view.h"
#include "gui/common/link_catcher.h"
#include "gui/common/screenshot_util.h"

namespace qx {
namespace {

const QString kHelpSource = QStringLiteral(QX_RES_DIR "/帮助.mht");

// A program folder holding a copy of the help document.
struct ProgramFolderWithHelp {
    QTemporaryDir dir;
    ProgramFolderWithHelp() { QFile::copy(kHelpSource, dir.filePath("帮助.mht")); }
};

TEST(CHelpView, AddressOfTheHelpFileBesideTheProgram) {
    EXPECT_EQ(CHelpView::HelpAddress(QStringLiteral("C:\\Tools")),
              QStringLiteral("file:///C:/Tools/帮助.mht"));
    EXPECT_EQ(CHelpView::HelpAddress(QStringLiteral("C:\\")),
              QStringLiteral("file:///C:/帮助.mht"));
    EXPECT_EQ(CHelpView::HelpAddress(QStringLiteral("/opt/qx/bin")),
              QStringLiteral("file:///opt/qx/bin/帮助.mht"));
    // The address names the file QUrl finds again.
    EXPECT_EQ(QUrl(CHelpView::HelpAddress(QStringLiteral("/opt/qx/bin"))).toLocalFile(),
              QStringLiteral("/opt/qx/bin/帮助.mht"));
}

TEST(CHelpView, ShowsTheHelpDocumentWithItsPictures) {
    ProgramFolderWithHelp program;
    CHelpView view;
    view.resize(860, 640);
    view.InitialUpdate(program.dir.path());
    EXPECT_TRUE(view.ShowsDocument()) << qPrintable(view.LastError());
    EXPECT_EQ(view.CurrentAddress(), CHelpView::HelpAddress(program.dir.path()));
    EXPECT_TRUE(view.toPlainText().contains(QStringLiteral("连接测试仪")));
    EXPECT_FALSE(view.toPlainText().contains(QStringLiteral("=E8")));  // decoded, not raw MIME
    const QVariant front = view.document()->resource(
        QTextDocument::ImageResource, QUrl(QStringLiteral("images/panel_illustration.png")));
    ASSERT_TRUE(front.canConvert<QImage>());
    EXPECT_EQ(front.value<QImage>().size(), QSize(300, 197));

    view.show();
    test::SaveScreenshot(view, QStringLiteral("help_view.png"));
}

TEST(CHelpView, MissingFileShowsAMessageAndIsFoundWhenShownAgain) {
    QTemporaryDir program;
    CHelpView view;
    view.InitialUpdate(program.path());
    EXPECT_FALSE(view.ShowsDocument());
    EXPECT_TRUE(view.LastError().contains(QStringLiteral("找不到帮助文件")));
    EXPECT_TRUE(view.toPlainText().contains(QStringLiteral("无法显示操作说明")));
    EXPECT_TRUE(view.toPlainText().contains(program.path()));

    // Installed later: the next time the view comes into view it shows the document.
    view.show();
    ASSERT_TRUE(QFile::copy(kHelpSource, program.filePath("帮助.mht")));
    view.hide();
    view.show();
    EXPECT_TRUE(view.ShowsDocument());
    EXPECT_TRUE(view.toPlainText().contains(QStringLiteral("连接测试仪")));
}

TEST(CHelpView, InEnglishTheEnglishDocumentOrElseTheChineseOne) {
    SetLanguage(Language::kEnglish);
    ProgramFolderWithHelp program;
    // Only the Chinese document there: it is shown rather than none.
    EXPECT_EQ(CHelpView::HelpFileName(program.dir.path(), Language::kEnglish),
              QStringLiteral("帮助.mht"));
    QFile file(program.dir.filePath(QStringLiteral("Help.mht")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(
        "Content-Type: multipart/related; boundary=\"b\"\r\n\r\n--b\r\n"
        "Content-Type: text/html\r\n\r\n<p>Connect the instrument</p>\r\n--b--\r\n");
    file.close();
    CHelpView view;
    view.InitialUpdate(program.dir.path());
    EXPECT_TRUE(view.toPlainText().contains(QStringLiteral("Connect the instrument")));
    // Neither there: the message names the English one.
    QTemporaryDir empty;
    CHelpView missing;
    missing.InitialUpdate(empty.path());
    EXPECT_TRUE(missing.LastError().contains(QStringLiteral("Help.mht")));
    SetLanguage(Language::kChinese);
}

TEST(CHelpView, DamagedFileShowsTheReason) {
    QTemporaryDir program;
    QFile file(program.filePath("帮助.mht"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("this is no web archive");
    file.close();
    CHelpView view;
    view.InitialUpdate(program.path());
    EXPECT_FALSE(view.ShowsDocument());
    EXPECT_TRUE(view.toPlainText().contains(QStringLiteral("不是单文件网页")));
}

TEST(CHelpView, WebLinksOpenInTheSystemBrowserAndTheHelpStays) {
    ProgramFolderWithHelp program;
    test::LinkCatcher catcher;
    CHelpView view;
    view.InitialUpdate(program.dir.path());
    view.show();
    const QString help = view.CurrentAddress();

    emit view.anchorClicked(QUrl(QStringLiteral("https://www.vornak.example/support")));
    emit view.anchorClicked(QUrl(QStringLiteral("HTTP://www.vornak.example/")));
    ASSERT_EQ(catcher.opened.size(), 2);
    EXPECT_EQ(catcher.opened[0], QUrl(QStringLiteral("https://www.vornak.example/support")));
    EXPECT_EQ(view.CurrentAddress(), help);

    // Another view comes to the front and this one back again: still the help document.
    view.hide();
    view.show();
    EXPECT_EQ(view.CurrentAddress(), help);
    EXPECT_TRUE(view.ShowsDocument());

    // Asked to go to a web address directly, it hands that on as well.
    EXPECT_TRUE(view.Navigate(QStringLiteral("http://www.vornak.example/a")));
    EXPECT_EQ(catcher.opened.size(), 3);
    EXPECT_EQ(view.CurrentAddress(), help);
}

TEST(CHelpView, LinksInsideTheDocumentScrollToTheirSection) {
    ProgramFolderWithHelp program;
    test::LinkCatcher catcher;
    CHelpView view;
    view.resize(600, 400);
    view.InitialUpdate(program.dir.path());
    view.show();
    ASSERT_EQ(view.verticalScrollBar()->value(), 0);
    emit view.anchorClicked(QUrl(QStringLiteral("#export")));
    EXPECT_GT(view.verticalScrollBar()->value(), 0);
    EXPECT_TRUE(catcher.opened.isEmpty());
    EXPECT_TRUE(view.ShowsDocument());
}

}  // namespace
}  // namespace qx
