// The main window's language: the View menu's choice and one round in English.
#include <QLabel>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>

#include "frame_fixture.h"
#include "gui/common/screenshot_util.h"
#include "gui/common/text_fit.h"

namespace qx::test {
namespace {

class FrameLanguage : public FrameTest {
  protected:
    void SetUp() override { ClearSetting(); }
    void TearDown() override {
        FrameTest::TearDown();
        ClearSetting();
        qputenv("LC_ALL", locale_);
    }
    static void ClearSetting() { AppSettings::WriteLanguage(LanguageChoice::kAuto); }
    QByteArray locale_ = qgetenv("LC_ALL");
};

TEST_F(FrameLanguage, TheChoiceIsKeptAtOnceAndARestartOfferedWhenTheLanguageChanges) {
    Make({6});
    frame->show();
    SaveScreenshot(*frame, QStringLiteral("main_frame_zh.png"));
    EXPECT_EQ(frame->LanguageMenu()->title(), QStringLiteral("语言 / Language"));
    EXPECT_TRUE(frame->LanguageAction(LanguageChoice::kAuto)->isChecked());
    // A Chinese system: no choice changes what is shown.
    qputenv("LC_ALL", "zh_CN.UTF-8");
    frame->LanguageAction(LanguageChoice::kChinese)->trigger();
    frame->LanguageAction(LanguageChoice::kAuto)->trigger();
    EXPECT_EQ(AppSettings::ReadLanguage(), LanguageChoice::kAuto);
    EXPECT_TRUE(prompter.messages.empty());

    // An English system: auto means English now. Declined, the choice waits for the next start.
    qputenv("LC_ALL", "C");
    frame->LanguageAction(LanguageChoice::kChinese)->trigger();
    prompter.confirmAnswers = {false};
    frame->LanguageAction(LanguageChoice::kAuto)->trigger();
    EXPECT_EQ(AppSettings::ReadLanguage(), LanguageChoice::kAuto);
    ASSERT_EQ(prompter.messages.size(), 1u);  // asked in the language shown and the one chosen
    EXPECT_TRUE(
        prompter.LastMessage().startsWith(QStringLiteral("新的语言要在程序重新启动后生效")));
    EXPECT_TRUE(prompter.LastMessage().endsWith(QStringLiteral("Restart the program now?")));
    EXPECT_TRUE(frame->isVisible());
    // The menu shows the setting as it is, whoever wrote it.
    AppSettings::WriteLanguage(LanguageChoice::kEnglish);
    emit frame->LanguageMenu()->aboutToShow();
    EXPECT_TRUE(frame->LanguageAction(LanguageChoice::kEnglish)->isChecked());

    // Agreed: the window closes as at any exit, without asking again whether to exit.
    frame->resize(900, 650);
    frame->LanguageAction(LanguageChoice::kAuto)->trigger();
    EXPECT_EQ(prompter.messages.size(), 2u);
    EXPECT_TRUE(frame->RestartRequested());
    EXPECT_FALSE(frame->isVisible());
    EXPECT_EQ(settings.cx, 900);
}

TEST_F(FrameLanguage, TheMainWindowInEnglish) {
    ScopedEnglish english;
    ASSERT_TRUE(english.Loaded());
    Make({6});  // at the default size
    frame->show();
    Connect();
    QStringList menus;
    for (QAction* entry : frame->menuBar()->actions())
        menus << entry->text();
    EXPECT_EQ(menus.join(u' '), QStringLiteral("&File &Communication &View &Library &Help"));
    for (QWidget* part :
         std::initializer_list<QWidget*>{frame->statusBar(), frame->ToolBar(), frame->CaptionBar(),
                                         frame->NavigationButton(0)->parentWidget()})
        EXPECT_EQ(CutTexts(*part), std::vector<std::string>{});
    EXPECT_EQ(ConnectionPaneText(false, false, 2), "Not connected");
    EXPECT_EQ(ConnectionPaneText(true, true, 2), "QX450: connected");
    EXPECT_EQ(ConnectionPaneText(true, false, 6), "QX7200: connected, not responding");
    // The connection pane has room for every model, not responding (the longer state).
    QLabel* pane = nullptr;
    for (QLabel* label : frame->statusBar()->findChildren<QLabel*>())
        if (label->text() == frame->ConnectionPaneText()) pane = label;
    ASSERT_NE(pane, nullptr);
    for (InstrumentTypeId type = 1; type <= kModelCount; ++type) {
        const QString text = ConnectionPaneText(true, false, type);
        EXPECT_LE(pane->fontMetrics().horizontalAdvance(text), pane->width()) << qPrintable(text);
    }
    SaveScreenshot(*frame, QStringLiteral("main_frame_connected_en.png"));
}

}  // namespace
}  // namespace qx::test
