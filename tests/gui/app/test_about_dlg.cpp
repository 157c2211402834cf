// The about box.
#include <QLabel>
#include <QPushButton>

#include <gtest/gtest.h>

#include "gui/app/about_dlg.h"
#include "gui/common/link_catcher.h"
#include "gui/common/screenshot_util.h"
#include "gui/common/scripted_prompter.h"
#include "gui/common/text_fit.h"

namespace qx {
namespace {

QStringList LabelTexts(const QDialog& dialog) {
    QStringList texts;
    for (const QLabel* label : dialog.findChildren<QLabel*>())
        texts << label->text();
    return texts;
}

TEST(CAboutDlg, RunsThroughThePromptSeamWithItsTexts) {
    test::ScriptedPrompter prompts;
    QStringList seen;
    bool hasIcon = false;
    prompts.dialogHandlers.push_back([&](QDialog& dialog) {
        seen = LabelTexts(dialog);
        for (const QLabel* label : dialog.findChildren<QLabel*>())
            if (!label->pixmap().isNull()) hasIcon = true;
        auto* about = qobject_cast<CAboutDlg*>(&dialog);
        EXPECT_NE(about, nullptr);
        if (about) {
            EXPECT_EQ(about->OkButton()->text(), QStringLiteral("确定"));
            about->OkButton()->click();  // OK closes the box
        }
        return dialog.result();
    });
    EXPECT_EQ(CAboutDlg::Run(nullptr), QDialog::Accepted);
    ASSERT_EQ(prompts.dialogTitles.size(), 1u);
    EXPECT_EQ(prompts.dialogTitles[0], QStringLiteral("关于测试仪"));
    EXPECT_TRUE(hasIcon);
    // The project's version, as qxlog-cli --version gives it.
    EXPECT_TRUE(seen.contains(QStringLiteral(QX_VERSION " 版"))) << seen.join('|').toStdString();
    EXPECT_TRUE(seen.contains(QStringLiteral("Vornak")));
    EXPECT_TRUE(seen.join('\n').contains(QStringLiteral("https://www.vornak.example/")));
}

TEST(CAboutDlg, EnglishStatesTheVersionAsTheCommandLineToolDoes) {
    test::ScopedEnglish english;
    ASSERT_TRUE(english.Loaded());
    CAboutDlg dialog;
    EXPECT_TRUE(LabelTexts(dialog).contains(QStringLiteral("Version " QX_VERSION)));
}

TEST(CAboutDlg, TheLinkOpensTheMakersPageInTheSystemBrowser) {
    test::LinkCatcher catcher;
    CAboutDlg dialog;
    emit dialog.LinkLabel()->linkActivated(QString::fromLatin1(CAboutDlg::kMakerUrl));
    ASSERT_EQ(catcher.opened.size(), 1);
    EXPECT_EQ(catcher.opened[0], QUrl(QStringLiteral("https://www.vornak.example/")));
    EXPECT_TRUE(dialog.LinkLabel()->text().contains(QStringLiteral("href")));
}

TEST(CAboutDlg, Screenshot) {
    CAboutDlg dialog;
    dialog.show();
    EXPECT_FALSE(test::SaveScreenshot(dialog, QStringLiteral("about_dialog.png")).isEmpty());
}

}  // namespace
}  // namespace qx
