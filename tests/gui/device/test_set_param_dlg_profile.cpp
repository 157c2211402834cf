// The parameter editor's profile buttons: the values shown saved as a profile, and a profile
// loaded into another model's controls, checked as if typed.
#include <QCheckBox>
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
    Edit(qx450, "number")->setText(QStringLiteral("K7"));
    Edit(qx450, "temperatureHigh")->setText(QStringLiteral("30"));
    auto saved = [&] {
        prompter.fileAnswers.push_back(path);
        Click(qx450, "saveProfile");
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return QString::fromUtf8(file.readAll());
    };
    // Without the number and name unless asked: a profile sets other instruments alike.
    QString text = saved();
    EXPECT_TRUE(text.startsWith(QStringLiteral("[qxlog-profile]\nmodel=QX450\n")))
        << text.toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("name=")));
    EXPECT_FALSE(text.contains(QStringLiteral("number=")));
    EXPECT_TRUE(text.contains(QStringLiteral("\ntemp-high=30\n")));
    qx450.findChild<QCheckBox*>(QStringLiteral("profileIdentity"))->setChecked(true);
    text = saved();
    EXPECT_TRUE(text.contains(QStringLiteral("\nnumber=K7\nname=一号库\n")));

    // Loading it shows the number and name it would change and asks: Cancel keeps this
    // instrument's own and loads the rest, OK takes them.
    CSetParamDlg qx420b(4, -480);
    qx420b.block = Written(4);
    qx420b.Initialise();
    const QString ownNumber = Edit(qx420b, "number")->text();
    prompter.fileAnswers.push_back(path);
    prompter.confirmAnswers = {false};
    Click(qx420b, "loadProfile");
    EXPECT_EQ(prompter.messages[prompter.messages.size() - 2].text,
              QStringLiteral("这个配置将改变本仪器的编号或名称:\n仪器编号: %1 → K7\n"
                             "测量名称:  → 一号库\n\n"
                             "确定: 一起改变; 取消: 保留本仪器的编号和名称, 只载入其他参数.")
                  .arg(ownNumber));
    EXPECT_EQ(Edit(qx420b, "number")->text(), ownNumber);
    EXPECT_EQ(Edit(qx420b, "name")->text(), QString());
    EXPECT_EQ(Edit(qx420b, "temperatureHigh")->text(), QStringLiteral("30"));
    prompter.fileAnswers.push_back(path);
    Click(qx420b, "loadProfile");
    EXPECT_EQ(Edit(qx420b, "number")->text(), QStringLiteral("K7"));
    EXPECT_EQ(Edit(qx420b, "name")->text(), QStringLiteral("一号库"));
    EXPECT_EQ(prompter.LastMessage(),
              QStringLiteral("QX420B没有这些参数, 已跳过: hum-low, hum-high"));

    // A value out of range is refused as typing it would be; the controls stay as they were.
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[qxlog-profile]\nname=二号库\ntemp-high=81\n");
    file.close();
    prompter.fileAnswers.push_back(path);
    Click(qx420b, "loadProfile");
    EXPECT_EQ(prompter.LastMessage(), QStringLiteral("temp-high: 数值范围应在-40-80之间!"));
    EXPECT_EQ(Edit(qx420b, "name")->text(), QStringLiteral("一号库"));

    // A QX7000's CO2 limit is no formaldehyde limit.
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[qxlog-profile]\nmodel=QX7000\ngas-high=5\n");
    file.close();
    CSetParamDlg qx610(11, -480);
    qx610.block = Written(11);
    qx610.Initialise();
    prompter.fileAnswers.push_back(path);
    Click(qx610, "loadProfile");
    EXPECT_EQ(prompter.LastMessage(),
              QStringLiteral("co2-high: QX610测甲醛, 不能用CO2报警值(ppm)!"));
    EXPECT_EQ(Edit(qx610, "gasLimit")->text(), QStringLiteral("0.1"));
    QFile::remove(path);
}

}  // namespace
