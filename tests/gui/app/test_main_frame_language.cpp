// The main window's language: the View menu's choice (the setting, the restart offered only
// when the language shown changes) and one round in English.
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QSettings>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>

#include "core/model/language.h"
#include "frame_fixture.h"
#include "gui/app/about_dlg.h"
#include "gui/common/screenshot_util.h"
#include "gui/common/text_fit.h"

namespace qx::test {
namespace {

// LC_ALL (which decides "auto") for the test's duration.
class ScopedLocale {
  public:
    explicit ScopedLocale(const char* value)
        : had_(qEnvironmentVariableIsSet("LC_ALL")), old_(qgetenv("LC_ALL")) {
        qputenv("LC_ALL", value);
    }
    ~ScopedLocale() {
        if (had_) {
            qputenv("LC_ALL", old_);
        } else {
            qunsetenv("LC_ALL");
        }
    }

  private:
    bool had_;
    QByteArray old_;
};

class FrameLanguage : public FrameTest {
  protected:
    void SetUp() override { ClearSetting(); }
    void TearDown() override {
        FrameTest::TearDown();
        ClearSetting();
    }
    static void ClearSetting() {
        QSettings store{QLatin1String(AppSettings::kOrganisation),
                        QLatin1String(AppSettings::kApplication)};
        store.remove(QStringLiteral("Workspace/Language"));
        store.sync();
    }
    QMenu* MenuTitled(const QString& title) const {
        for (QAction* entry : frame->menuBar()->actions())
            if (entry->text() == title) return entry->menu();
        return nullptr;
    }
    // The texts of the main window itself (its views are checked with their own areas).
    std::vector<std::string> CutFrameTexts() const {
        std::vector<std::string> cut;
        const std::initializer_list<QWidget*> parts = {frame->statusBar(), frame->ToolBar(),
                                                       frame->CaptionBar(),
                                                       frame->NavigationButton(0)->parentWidget()};
        for (QWidget* part : parts) {
            const std::vector<std::string> more = CutTexts(*part);
            cut.insert(cut.end(), more.begin(), more.end());
        }
        return cut;
    }
};

TEST_F(FrameLanguage, TheChoiceIsKeptAtOnceAndARestartOfferedWhenTheLanguageChanges) {
    Make({6});
    frame->show();
    QMenu* menu = frame->LanguageMenu();
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->title(), QStringLiteral("语言 / Language"));
    EXPECT_TRUE(MenuTitled(QStringLiteral("视图(&V)"))->actions().contains(menu->menuAction()));
    EXPECT_TRUE(frame->LanguageAction(LanguageChoice::kAuto)->isChecked());
    ASSERT_EQ(CurrentLanguage(), Language::kChinese);

    {
        // The system speaks Chinese too: no choice changes what is shown.
        ScopedLocale chinese("zh_CN.UTF-8");
        frame->LanguageAction(LanguageChoice::kChinese)->trigger();
        EXPECT_EQ(AppSettings::ReadLanguage(), LanguageChoice::kChinese);
        frame->LanguageAction(LanguageChoice::kAuto)->trigger();
        EXPECT_EQ(AppSettings::ReadLanguage(), LanguageChoice::kAuto);
        EXPECT_TRUE(prompter.messages.empty());
    }

    // An English system: auto now means English. Declined, the choice waits for the next start.
    ScopedLocale english("C");
    frame->LanguageAction(LanguageChoice::kChinese)->trigger();
    prompter.confirmAnswers = {false};
    frame->LanguageAction(LanguageChoice::kAuto)->trigger();
    EXPECT_EQ(AppSettings::ReadLanguage(), LanguageChoice::kAuto);
    ASSERT_EQ(prompter.messages.size(), 1u);
    // Asked in the language shown and in the one chosen.
    EXPECT_TRUE(
        prompter.LastMessage().startsWith(QStringLiteral("新的语言要在程序重新启动后生效")));
    EXPECT_TRUE(prompter.LastMessage().endsWith(QStringLiteral("Restart the program now?")));
    EXPECT_FALSE(frame->RestartRequested());
    EXPECT_TRUE(frame->isVisible());

    // The menu shows the setting as it is now, whoever wrote it.
    AppSettings::WriteLanguage(LanguageChoice::kChinese);
    emit menu->aboutToShow();
    EXPECT_TRUE(frame->LanguageAction(LanguageChoice::kChinese)->isChecked());

    // Agreed: the window closes as at any exit, without asking again whether to exit.
    frame->resize(900, 650);
    prompter.confirmAnswers = {true};
    frame->LanguageAction(LanguageChoice::kEnglish)->trigger();
    EXPECT_EQ(AppSettings::ReadLanguage(), LanguageChoice::kEnglish);
    EXPECT_EQ(prompter.messages.size(), 2u);
    EXPECT_TRUE(frame->RestartRequested());
    EXPECT_FALSE(frame->isVisible());
    EXPECT_EQ(settings.cx, 900);
    EXPECT_FALSE(frame->Session().link.Connected());
}

TEST_F(FrameLanguage, TheMainWindowInEnglishAndInChinese) {
    for (const bool inEnglish : {false, true}) {
        std::unique_ptr<ScopedEnglish> english;
        if (inEnglish) {
            english = std::make_unique<ScopedEnglish>();
            ASSERT_TRUE(english->Loaded());
        }
        Make({6});  // at the default size
        frame->show();
        QApplication::processEvents();
        const QString suffix = inEnglish ? QStringLiteral("en") : QStringLiteral("zh");
        if (inEnglish) {
            for (const char* title : {"&File", "&Communication", "&View", "&Help"})
                EXPECT_NE(MenuTitled(QString::fromLatin1(title)), nullptr) << title;
            EXPECT_EQ(frame->LanguageMenu()->title(), QStringLiteral("语言 / Language"));
            EXPECT_EQ(frame->NavigationButton(kRecordView)->text(), QStringLiteral("Records"));
        } else {
            EXPECT_NE(MenuTitled(QStringLiteral("文件(&F)")), nullptr);
        }
        EXPECT_EQ(CutFrameTexts(), std::vector<std::string>{}) << qPrintable(suffix);
        SaveScreenshot(*frame, QStringLiteral("main_frame_%1.png").arg(suffix));
        frame->SwitchView(kHelpView);
        SaveScreenshot(*frame, QStringLiteral("main_frame_help_%1.png").arg(suffix));
        {
            CAboutDlg about(frame.get());
            about.show();
            EXPECT_EQ(CutTexts(about), std::vector<std::string>{}) << qPrintable(suffix);
            SaveScreenshot(about, QStringLiteral("about_%1.png").arg(suffix));
        }

        // Connected; the pane has room for every model's text in either state.
        Connect();
        QApplication::processEvents();
        EXPECT_EQ(CutFrameTexts(), std::vector<std::string>{}) << qPrintable(suffix);
        SaveScreenshot(*frame, QStringLiteral("main_frame_connected_%1.png").arg(suffix));
        QLabel* pane = nullptr;
        for (QLabel* label : frame->statusBar()->findChildren<QLabel*>())
            if (label->text() == frame->ConnectionPaneText()) pane = label;
        ASSERT_NE(pane, nullptr);
        for (InstrumentTypeId type = 1; type <= kModelCount; ++type) {
            for (const bool statusOk : {false, true}) {
                const QString text = ConnectionPaneText(true, statusOk, type);
                EXPECT_LE(pane->fontMetrics().horizontalAdvance(text), pane->width())
                    << qPrintable(text);
            }
        }
        frame.reset();
        prompter.messages.clear();
    }
}

}  // namespace
}  // namespace qx::test
