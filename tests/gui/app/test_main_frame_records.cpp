// Record files in the main window: File -> Open, the recent files, view switching with the
// caption and document title, dropped files, the looks and closing.
#include <QAction>
#include <QClipboard>
#include <QDragEnterEvent>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QScrollBar>
#include <QSettings>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>
#include <QtTest/QTest>

#include "frame_fixture.h"
#include "gui/app/app_look.h"
#include "gui/app/help_view.h"
#include "gui/browser/data_view.h"
#include "gui/chart/trend_wave.h"
#include "gui/common/screenshot_util.h"

namespace qx::test {
namespace {

class Records : public FrameTest {
  protected:
    void SetUp() override {
        Make({1});
        sim = &bus->At(0);
        RecordingPlan plan;
        plan.samples = 50;
        plan.running = false;
        sim->StartRecording(plan);
    }
    InstrumentSimulator* sim = nullptr;
};

TEST_F(Records, FileOpenShowsTheRecordAndRemembersIt) {
    const QString path = WriteRecord(QStringLiteral("room1.QXRec"), *sim);
    prompter.fileAnswers.push_back(path);
    frame->RunCommand(cmd::kOpen);
    ASSERT_EQ(prompter.fileRequests.size(), 1u);
    const FileDialogRequest& request = prompter.fileRequests[0];
    EXPECT_EQ(request.title, QStringLiteral("打开记录文件"));
    EXPECT_FALSE(request.save);
    EXPECT_EQ(request.initialPath, DataFolder() + QStringLiteral("/*.QXRec"));
    EXPECT_EQ(request.defaultSuffix, QStringLiteral("QXRec"));
    EXPECT_TRUE(request.filter.contains(QStringLiteral("*.QXRec")));

    EXPECT_TRUE(frame->RecordLoaded());
    EXPECT_EQ(frame->CurrentView(), kRecordView);
    EXPECT_EQ(frame->RecordBrowser()->TotalCount(), 50);
    EXPECT_EQ(settings.datRecFile, path);
    EXPECT_EQ(settings.RecentFiles(), QStringList{path});
    // Written at once, not only at exit.
    QSettings store{QLatin1String(AppSettings::kOrganisation),
                    QLatin1String(AppSettings::kApplication)};
    EXPECT_EQ(store.value(QStringLiteral("Recent File List/File1")).toString(), path);
    ASSERT_EQ(frame->RecentFileActions().size(), 1);
    EXPECT_TRUE(frame->RecentFileActions()[0]->text().startsWith(QStringLiteral("&1 ")));
    EXPECT_TRUE(frame->RecentFileActions()[0]->text().endsWith(QStringLiteral("room1.QXRec")));

    ExpectActionsFollowRules(*frame, {false, false, true});

    // The next dialog proposes the record just opened.
    frame->RunCommand(cmd::kOpen);
    EXPECT_EQ(prompter.fileRequests.back().initialPath, path);
}

TEST_F(Records, ANewRecordIsShownFromItsFirstSample) {
    RecordingPlan plan;
    plan.samples = 3000;
    plan.running = false;
    sim->StartRecording(plan);
    const QString longer = WriteRecord(QStringLiteral("long.QXRec"), *sim);
    const QString other = WriteRecord(QStringLiteral("other.QXRec"), *sim);
    frame->show();
    ASSERT_TRUE(frame->OpenRecord(longer));
    CTrendWave* chart = frame->RecordBrowser()->Chart();
    ASSERT_TRUE(chart->ScrollBar()->isVisible());
    for (int i = 0; i < 3; ++i)
        chart->ScrollBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
    ASSERT_GT(chart->State().scrollPos, 0);
    ASSERT_GT(chart->State().firstVisible, 0);

    ASSERT_TRUE(frame->OpenRecord(other));
    EXPECT_EQ(chart->State().scrollPos, 0);
    EXPECT_EQ(chart->State().firstVisible, 0);
    EXPECT_EQ(chart->ScrollBar()->value(), chart->ScrollBar()->minimum());

    // The same after a query, which selects other samples.
    chart->ScrollBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
    ASSERT_GT(chart->State().scrollPos, 0);
    frame->RecordBrowser()->RunQuery();
    EXPECT_EQ(chart->State().firstVisible, 0);
}

TEST_F(Records, AFileThatCannotBeOpenedIsReportedAndChangesNothing) {
    const QString good = WriteRecord(QStringLiteral("good.QXRec"), *sim);
    ASSERT_TRUE(frame->OpenRecord(good));
    const QString bad = PathIn(QStringLiteral("bad.QXRec"));
    QFile file(bad);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray("\x27\x23\x22\x20", 4) + QByteArray(200, '\0'));
    file.close();
    prompter.fileAnswers.push_back(bad);
    frame->RunCommand(cmd::kOpen);
    EXPECT_EQ(prompter.LastMessage(),
              QStringLiteral("文件:%1\n不能打开!\n不是记录文件 (未知的标识 0x20222327)").arg(bad));
    EXPECT_EQ(frame->RecordPath(), good);
    EXPECT_EQ(frame->RecordBrowser()->TotalCount(), 50);
    EXPECT_FALSE(settings.RecentFiles().contains(bad));
}

// A file cut short opens with the samples it holds and a warning of what is missing.
TEST_F(Records, ATruncatedRecordSaysWhatIsMissing) {
    const QString cut = WriteRecord(QStringLiteral("cut.QXRec"), *sim);
    ASSERT_TRUE(QFile::resize(cut, 96 + 20 * 3 + 2));
    prompter.fileAnswers.push_back(cut);
    frame->RunCommand(cmd::kOpen);
    EXPECT_TRUE(frame->RecordLoaded());
    EXPECT_EQ(frame->RecordPath(), cut);
    EXPECT_EQ(frame->RecordBrowser()->TotalCount(), 20);
    EXPECT_EQ(settings.RecentFiles(), QStringList{cut});
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_EQ(prompter.messages[0].icon, PromptIcon::Warning);
    EXPECT_EQ(
        prompter.LastMessage(),
        QStringLiteral("文件:%1\n记录不完整!\n记录头标明 50 个样本, 文件只有 20 个").arg(cut));
}

TEST_F(Records, ARecentFileThatFailsDisappears) {
    const QString kept = WriteRecord(QStringLiteral("kept.QXRec"), *sim);
    const QString gone = WriteRecord(QStringLiteral("gone.QXRec"), *sim);
    frame->OpenFiles({kept, gone});
    ASSERT_EQ(settings.RecentFiles(), (QStringList{gone, kept}));
    ASSERT_TRUE(QFile::remove(gone));

    frame->RunCommand(cmd::kRecentFirst);  // gone.QXRec
    EXPECT_EQ(prompter.LastMessage(),
              QStringLiteral("文件:%1\n不能打开!\n没有那个文件或目录").arg(gone));
    EXPECT_EQ(settings.RecentFiles(), QStringList{kept});
    ASSERT_EQ(frame->RecentFileActions().size(), 1);
    EXPECT_TRUE(frame->RecentFileActions()[0]->text().endsWith(QStringLiteral("kept.QXRec")));

    // A good entry opens its record.
    prompter.messages.clear();
    frame->RecentFileActions()[0]->trigger();
    EXPECT_TRUE(prompter.messages.empty());
    EXPECT_EQ(frame->RecordPath(), kept);
}

TEST_F(Records, ViewSwitchingSetsCaptionAndDocumentTitle) {
    EXPECT_EQ(frame->DocumentTitleText(), QStringLiteral("仪器通讯"));
    EXPECT_EQ(frame->windowTitle(), QStringLiteral("仪器通讯 - QX软件"));
    EXPECT_TRUE(frame->CaptionText().startsWith(QStringLiteral("仪器通讯  ")));
    frame->RunCommand(313);  // the record browser without a record
    EXPECT_EQ(frame->DocumentTitleText(), QStringLiteral("记录查询"));

    const QString path = WriteRecord(QStringLiteral("room1.QXRec"), *sim);
    ASSERT_TRUE(frame->OpenRecord(path));
    EXPECT_EQ(frame->DocumentTitleText(), QStringLiteral("记录查询[room1]"));
    EXPECT_EQ(frame->windowTitle(), QStringLiteral("记录查询[room1] - QX软件"));
    // The caption bar shows the browser's status line after the view name.
    EXPECT_EQ(frame->CaptionText(),
              QStringLiteral("记录查询  ") + frame->RecordBrowser()->windowTitle());
    EXPECT_TRUE(frame->CaptionText().contains(QStringLiteral("总记录数:50")));

    frame->NavigationButton(kHelpView)->click();
    EXPECT_EQ(frame->CurrentView(), kHelpView);
    EXPECT_EQ(frame->DocumentTitleText(), QStringLiteral("操作说明"));
    EXPECT_TRUE(frame->NavigationButton(kHelpView)->isChecked());
    EXPECT_FALSE(frame->NavigationButton(kRecordView)->isChecked());
    EXPECT_TRUE(frame->Action(314)->isChecked());
    EXPECT_TRUE(frame->HelpView()->isVisible() || !frame->isVisible());

    // Opening a record from the help view stays there.
    ASSERT_TRUE(frame->OpenRecord(path));
    EXPECT_EQ(frame->CurrentView(), kHelpView);

    frame->NavigationButton(kRecordView)->click();
    EXPECT_EQ(frame->DocumentTitleText(), QStringLiteral("记录查询[room1]"));
    frame->RunCommand(312);
    EXPECT_EQ(frame->DocumentTitleText(), QStringLiteral("仪器通讯"));
}

TEST_F(Records, EachViewOnScreen) {
    frame->resize(1000, 700);
    frame->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(frame.get()));
    Connect();
    frame->OnBlinkTimer();
    SaveScreenshot(*frame, QStringLiteral("main_frame_device_panel.png"));
    const QString path = WriteRecord(QStringLiteral("room1.QXRec"), *sim);
    ASSERT_TRUE(frame->OpenRecord(path));
    QTest::qWait(50);
    SaveScreenshot(*frame, QStringLiteral("main_frame_record_browser.png"));
    frame->RunCommand(314);
    QTest::qWait(50);
    EXPECT_TRUE(frame->HelpView()->ShowsDocument());
    SaveScreenshot(*frame, QStringLiteral("main_frame_help.png"));
    // The caption bar, toolbar and navigation bar are laid out without overlapping.
    const QRect caption = frame->CaptionBar()->geometry();
    EXPECT_GE(caption.height(), 18);
    EXPECT_GE(frame->NavigationButton(0)->width(), 100);
    for (int v = 0; v < kViewCount; ++v) {
        EXPECT_FALSE(frame->NavigationButton(v)->icon().isNull()) << v;
        EXPECT_FALSE(frame->Action(312 + v)->icon().isNull()) << v;
    }
}

// The entries of a menu: command ids, "-" for separators, texts for the others.
QStringList MenuEntries(QMenu* menu) {
    QStringList entries;
    for (QAction* a : menu->actions()) {
        if (a->isSeparator()) {
            entries << QStringLiteral("-");
        } else if (a->isVisible()) {
            entries << (a->data().isValid() ? QString::number(a->data().toInt()) : a->text());
        }
    }
    return entries;
}

TEST_F(Records, MenusAndToolbarHoldEveryEntryInOrder) {
    const QList<QAction*> menus = frame->menuBar()->actions();
    ASSERT_EQ(menus.size(), 5);
    EXPECT_EQ(menus[0]->text(), QStringLiteral("文件(&F)"));
    EXPECT_EQ(menus[1]->text(), QStringLiteral("通讯(&C)"));
    EXPECT_EQ(menus[2]->text(), QStringLiteral("视图(&V)"));
    EXPECT_EQ(menus[3]->text(), QStringLiteral("记录库(&L)"));
    EXPECT_EQ(menus[4]->text(), QStringLiteral("帮助(&H)"));
    EXPECT_EQ(MenuEntries(menus[0]->menu()).join(u' '),
              QStringLiteral("57601 57603 32795 32796 - 57607 57609 57606 - 最近文件 - 57665"));
    EXPECT_EQ(MenuEntries(menus[1]->menu()).join(u' '),
              QStringLiteral("32790 32789 - 32793 32775 32785 32788 - 32776 32798"));
    EXPECT_EQ(MenuEntries(menus[2]->menu()).join(u' '),
              QStringLiteral("59392 59393 221 - 32799 - 312 313 314 315 - 语言 / Language"));
    EXPECT_EQ(MenuEntries(menus[3]->menu()).join(u' '), QStringLiteral("同步到服务器"));
    EXPECT_EQ(MenuEntries(menus[4]->menu()).join(u' '), QStringLiteral("57670 - 57664"));
    EXPECT_EQ(frame->Action(cmd::kOpen)->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_O));
    EXPECT_EQ(frame->Action(cmd::kPrint)->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_P));
    EXPECT_EQ(frame->Action(cmd::kSave)->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_S));

    QStringList tools;
    for (QAction* a : frame->ToolBar()->actions())
        tools << (a->isSeparator() ? QStringLiteral("-") : QString::number(a->data().toInt()));
    EXPECT_EQ(
        tools.join(u' '),
        QStringLiteral("32790 32789 - 57601 32795 - 32776 32775 - 32785 32788 - 32799 - 57664"));
    EXPECT_EQ(frame->ToolBar()->windowTitle(), QStringLiteral("标准"));
    for (QAction* a : frame->ToolBar()->actions()) {
        if (!a->isSeparator()) {
            EXPECT_FALSE(a->icon().isNull()) << a->data().toInt();
        }
    }
    EXPECT_EQ(frame->Action(cmd::kOpen)->toolTip(), QStringLiteral("打开"));

    // The recent files take the place of the placeholder.
    const QString path = WriteRecord(QStringLiteral("r.QXRec"), *sim);
    frame->OpenFiles({path});
    EXPECT_EQ(MenuEntries(menus[0]->menu()).join(u' '),
              QStringLiteral("57601 57603 32795 32796 - 57607 57609 57606 - 57616 - 57665"));
}

TEST_F(Records, RecordCommandsReachTheBrowserOnlyWithARecord) {
    frame->show();                   // the graph is copied at its size on screen
    frame->RunCommand(cmd::kPrint);  // disabled: nothing is asked
    frame->RunCommand(cmd::kExport);
    EXPECT_TRUE(prompter.dialogTitles.empty());
    EXPECT_TRUE(prompter.fileRequests.empty());

    ASSERT_TRUE(frame->OpenRecord(WriteRecord(QStringLiteral("r.QXRec"), *sim)));
    // Ctrl+P prints.
    prompter.dialogHandlers.push_back([](QDialog&) { return int(QDialog::Rejected); });
    frame->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frame.get()));
    QTest::keyClick(frame.get(), Qt::Key_P, Qt::ControlModifier);
    prompter.dialogHandlers.push_back([](QDialog&) { return int(QDialog::Rejected); });
    frame->RunCommand(cmd::kPrintPreview);
    frame->RunCommand(cmd::kExport);  // its file dialog is cancelled
    EXPECT_EQ(prompter.fileRequests.size(), 1u);
    QGuiApplication::clipboard()->clear();
    frame->RunCommand(cmd::kCopyGraph);
    EXPECT_FALSE(QGuiApplication::clipboard()->image().isNull());

    // Application commands: the about box and the page set-up, both through the prompt seam.
    prompter.dialogHandlers.push_back([](QDialog&) { return int(QDialog::Rejected); });
    frame->RunCommand(cmd::kAbout);
    prompter.dialogHandlers.push_back([](QDialog&) { return int(QDialog::Rejected); });
    frame->RunCommand(cmd::kPrintSetup);
    ASSERT_EQ(prompter.dialogTitles.size(), 4u);
    EXPECT_EQ(prompter.dialogTitles[0], QStringLiteral("选择打印项"));
    EXPECT_EQ(prompter.dialogTitles[1], QStringLiteral("选择打印预览项(曲线或记录)"));
    EXPECT_EQ(prompter.dialogTitles[2], QStringLiteral("关于测试仪"));
}

TEST_F(Records, DroppedFilesOpenInTurn) {
    const QString first = WriteRecord(QStringLiteral("a.QXRec"), *sim);
    const QString second = WriteRecord(QStringLiteral("b.QXRec"), *sim);
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(first), QUrl::fromLocalFile(second)});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(frame.get(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(frame.get(), &drop);
    EXPECT_EQ(frame->RecordPath(), second);
    EXPECT_EQ(settings.RecentFiles(), (QStringList{second, first}));
}

TEST_F(Records, LookCommandsStoreTheLookAndMarkIt) {
    frame->RunCommand(216);
    EXPECT_EQ(CurrentApplicationLook(), 216);
    EXPECT_TRUE(frame->Action(216)->isChecked());
    EXPECT_FALSE(frame->Action(215)->isChecked());
    QSettings store(QLatin1String(AppSettings::kOrganisation),
                    QLatin1String(AppSettings::kApplication));
    EXPECT_EQ(store.value(QStringLiteral("Workspace/ApplicationLook")).toInt(), 216);
    // A new window starts with the blue look again.
    frame.reset();
    Make({});
    EXPECT_EQ(CurrentApplicationLook(), 215);
}

TEST_F(Records, ClosingAsksAndRemembersTheSize) {
    frame->resize(900, 650);
    frame->show();
    prompter.confirmAnswers = {false};
    EXPECT_FALSE(frame->close());
    EXPECT_EQ(prompter.LastMessage(), QStringLiteral("确定退出吗?"));
    EXPECT_TRUE(frame->isVisible());
    EXPECT_EQ(settings.cx, 1000);

    Connect();
    frame->RunCommand(cmd::kRefreshQuery);
    ASSERT_TRUE(frame->Session().link.Opened());
    prompter.confirmAnswers = {true};
    EXPECT_TRUE(frame->close());
    EXPECT_EQ(settings.cx, 900);
    EXPECT_EQ(settings.cy, 650);
    EXPECT_FALSE(frame->Session().link.Opened());
}

}  // namespace
}  // namespace qx::test
