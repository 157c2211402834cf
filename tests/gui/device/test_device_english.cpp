// The device panel and its dialogs in both languages: every text fits its control, English
// shows English texts, and each window leaves a picture per language for a look.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <optional>

#include <gtest/gtest.h>

#include "gui/common/app_fonts.h"
#include "gui/common/screenshot_util.h"
#include "gui/common/scripted_prompter.h"
#include "gui/common/text_fit.h"
#include "gui/device/select_dialog.h"
#include "panel_bench.h"

namespace {

using qx::test::CutTexts;
using qx::test::SaveScreenshot;

// Runs `body` once in Chinese and once in English (the windows built inside it), with the main
// window's font (宋体 14 pixels high, 7 wide), as the program runs.
template <class Body>
void InBothLanguages(Body body) {
    const QFont appFont = QApplication::font();
    QApplication::setFont(qx::MakeFont(QStringLiteral("宋体"), 14, 7, 400));
    for (const bool english : {false, true}) {
        std::optional<qx::test::ScopedEnglish> scope;
        if (english) {
            scope.emplace();
            ASSERT_TRUE(scope->Loaded());
        }
        body(english, QString::fromLatin1(english ? "en" : "zh"));
    }
    QApplication::setFont(appFont);
}

std::string Joined(const std::vector<std::string>& lines) {
    std::string s;
    for (const std::string& line : lines)
        s += line + "\n";
    return s;
}

TEST(DeviceLanguages, PanelFitsAndSpeaksTheLanguage) {
    InBothLanguages([](bool english, const QString& lang) {
        qx::test::PanelBench bench({6});
        bench.view.resize(1000, 700);
        bench.view.FirstShow(true, 1);
        ASSERT_TRUE(bench.ConnectAndRefresh());
        bench.view.show();
        QCoreApplication::processEvents();
        EXPECT_EQ(CutTexts(bench.view), std::vector<std::string>{}) << Joined(CutTexts(bench.view));
        // The top row stays inside the view's minimum width, and that fits the room the main
        // window's default width (1000 px) leaves beside its 150-pixel navigation bar.
        const QPushButton* last = bench.view.Button(CQX420View::kCmdStopRecord);
        EXPECT_LE(last->geometry().right(), bench.view.minimumWidth());
        EXPECT_LE(bench.view.minimumWidth(), 844);
        // The parameter lists' labels are shown whole; in Chinese the column keeps its width.
        for (auto kind : {qx::ParamListKind::kSet, qx::ParamListKind::kRecorded}) {
            const qx::CMyListCtrl& list = bench.view.ParamList(kind);
            ASSERT_GT(list.rowCount(), 10);
            if (!english) {
                EXPECT_EQ(list.columnWidth(0), 160);
            }
            for (int r = 0; r < list.rowCount(); ++r) {
                EXPECT_LT(list.fontMetrics().horizontalAdvance(list.Text(r, 0)),
                          list.columnWidth(0) - 4)
                    << list.Text(r, 0).toStdString();
            }
        }
        SaveScreenshot(bench.view, QStringLiteral("device_panel_%1.png").arg(lang));
        if (!english) return;
        EXPECT_EQ(bench.view.Button(CQX420View::kCmdReceiveData)->text(), "Download Data");
        EXPECT_EQ(bench.view.Button(CQX420View::kCmdCalibrateClock)->text(), "Set Clock");
        EXPECT_EQ(bench.view.AutoReadBox()->text(), "Auto refresh");
        qx::CMyListCtrl& set = bench.view.ParamList(qx::ParamListKind::kSet);
        EXPECT_EQ(set.ColumnTitles(), (QStringList{"Current settings", "Value"}));
        // A label longer than the column widens it.
        const QString longLabel = QStringLiteral("Formaldehyde alarm at the high limit");
        set.SetRows({{longLabel, QString()}});
        set.FitColumn(0);
        EXPECT_LT(set.fontMetrics().horizontalAdvance(longLabel), set.columnWidth(0) - 4);
    });
}

TEST(DeviceLanguages, SelectDialogFitsAndSpeaksTheLanguage) {
    InBothLanguages([](bool english, const QString& lang) {
        qx::CSelectDialog dialog(
            {QStringLiteral("QX450-USB Data Logger"), QStringLiteral("QX7200-USB Data Logger")});
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
        EXPECT_EQ(CutTexts(dialog), std::vector<std::string>{}) << Joined(CutTexts(dialog));
        SaveScreenshot(dialog, QStringLiteral("select_dialog_%1.png").arg(lang));
        if (!english) return;
        EXPECT_EQ(dialog.windowTitle(), "Select Instrument");
        EXPECT_EQ(dialog.OkButton()->text(), "&OK");
    });
}

TEST(DeviceLanguages, SettingsDialogFitsEveryModel) {
    InBothLanguages([](bool english, const QString& lang) {
        for (qx::InstrumentTypeId t = 1; t <= 11; ++t) {
            qx::InstrumentSimulator sim(t, [] { return qx::test::kPanelTestNow; });
            CSetParamDlg dialog(t, -480);
            dialog.block = sim.SetParams();
            dialog.show();
            QCoreApplication::processEvents();
            EXPECT_EQ(CutTexts(dialog), std::vector<std::string>{}) << "model " << t << "\n"
                                                                    << Joined(CutTexts(dialog));
            if (t == 2 || t == 6 || t == 7 || t == 11) {
                SaveScreenshot(dialog,
                               QStringLiteral("set_param_dlg_model%1_%2.png").arg(t).arg(lang));
            }
            if (english && t == 11) {
                EXPECT_EQ(dialog.windowTitle(), "Instrument Settings");
                EXPECT_EQ(dialog.findChild<QLabel*>("gasLabel")->text(),
                          "Formaldehyde alarm limit:");
                EXPECT_EQ(dialog.findChild<QPushButton*>("loadProfile")->text(), "Load Profile...");
            }
        }
    });
}

TEST(DeviceLanguages, ProfileMessageInEnglish) {
    qx::test::ScopedEnglish english;
    qx::test::ScriptedPrompter prompter;
    CSetParamDlg dialog(1, -480);
    prompter.fileAnswers.push_back(QStringLiteral("/nonexistent/qx-profile.ini"));
    dialog.LoadProfile();
    ASSERT_EQ(prompter.fileRequests.size(), 1u);
    EXPECT_EQ(prompter.fileRequests[0].title, "Load Settings Profile");
    EXPECT_EQ(prompter.LastMessage(), "File: /nonexistent/qx-profile.ini cannot be opened.");
}

}  // namespace
