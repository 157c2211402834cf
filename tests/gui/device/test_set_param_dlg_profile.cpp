// The parameter editor's profile buttons: the values shown saved as a profile, and a profile
// loaded into another model's controls, checked as if typed.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

#include "gui/common/scripted_prompter.h"
#include "gui/device/set_param_dlg.h"

using qx::CSetParamDlg;

namespace {

using qx::ParamBlock;

ParamBlock Written(qx::InstrumentTypeId type) {
    ParamBlock b = qx::DefaultParamBlock(type);
    b.SetU32(qx::param::kSetTime, 1500000000);
    return b;
}

QLineEdit* Edit(CSetParamDlg& dialog, const char* name) {
    return dialog.findChild<QLineEdit*>(QLatin1String(name));
}

void Click(CSetParamDlg& dialog, const char* name) {
    dialog.findChild<QPushButton*>(QLatin1String(name))->click();
}

TEST(SetParamDlgProfile, SavedFromOneModelLoadedIntoAnother) {
    qx::test::ScriptedPrompter prompter;
    const QString path = QDir::temp().filePath(
        QStringLiteral("qx-dlg-profile-%1.ini").arg(QCoreApplication::applicationPid()));
    CSetParamDlg qx450(2, -480);
    qx450.block = Written(2);
    qx450.Initialise();
    Edit(qx450, "name")->setText(QStringLiteral("一号库"));
    Edit(qx450, "temperatureHigh")->setText(QStringLiteral("30"));
    prompter.fileAnswers.push_back(path);
    Click(qx450, "saveProfile");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    file.close();
    EXPECT_TRUE(text.startsWith(QStringLiteral("[qxlog-profile]\nmodel=QX450\n")))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("\nname=一号库\n")));
    EXPECT_TRUE(text.contains(QStringLiteral("\ntemp-high=30\n")));

    CSetParamDlg qx420b(4, -480);
    qx420b.block = Written(4);
    qx420b.Initialise();
    prompter.fileAnswers.push_back(path);
    Click(qx420b, "loadProfile");
    EXPECT_EQ(Edit(qx420b, "name")->text(), QStringLiteral("一号库"));
    EXPECT_EQ(Edit(qx420b, "temperatureHigh")->text(), QStringLiteral("30"));
    EXPECT_EQ(prompter.LastMessage(),
              QStringLiteral("QX420B没有这些参数, 已跳过: hum-low, hum-high"));

    // A value out of range is refused as typing it would be; the controls stay as they were.
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[qxlog-profile]\nname=二号库\ntemp-high=81\n");
    file.close();
    prompter.fileAnswers.push_back(path);
    Click(qx420b, "loadProfile");
    EXPECT_EQ(prompter.LastMessage(), QStringLiteral("temp-high: 数值范围应在-40-80之间!"));
    EXPECT_EQ(Edit(qx420b, "name")->text(), QStringLiteral("一号库"));
    QFile::remove(path);
}

}  // namespace
