// The parameter editor: its groups per model, filling and defaults, the duration text, the
// checks while typing, the validation messages, OK's encoding, and read-edit-write-read round
// trips through the dialog against simulated instruments.
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

#include "gui/common/app_fonts.h"
#include "gui/common/screenshot_util.h"
#include "gui/common/scripted_prompter.h"
#include "panel_bench.h"

using qx::CMyListCtrl;
using qx::CSetParamDlg;

namespace {

using qx::ParamBlock;
namespace param = qx::param;

// A block as written to an instrument once (set time not 0).
ParamBlock Written(qx::InstrumentTypeId type) {
    ParamBlock b = qx::DefaultParamBlock(type);
    b.SetU32(param::kSetTime, 1500000000);
    return b;
}

class Editor {
  public:
    Editor(qx::InstrumentTypeId type, const ParamBlock& block, int16_t bias = -480)
        : dialog(type, bias) {
        dialog.block = block;
        dialog.Initialise();
    }
    template <class T = QWidget>
    T* Get(const char* name) {
        T* w = dialog.findChild<T*>(QLatin1String(name));
        EXPECT_TRUE(w) << name;
        return w;
    }
    QLineEdit* Edit(const char* name) { return Get<QLineEdit>(name); }
    QString Text(const char* name) { return Edit(name)->text(); }
    void Set(const char* name, const QString& text) { Edit(name)->setText(text); }
    // Types into a field as the user does: the typing checks run on every change.
    void Type(QLineEdit* edit, const QString& text) {
        edit->clear();
        QTest::keyClicks(edit, text);
    }
    void Type(const char* name, const QString& text) { Type(Edit(name), text); }
    bool Visible(const char* name) { return Get(name)->isVisibleTo(&dialog); }
    bool Ok() {
        Get<QPushButton>("ok")->click();
        return dialog.result() == QDialog::Accepted;
    }

    qx::test::ScriptedPrompter prompter;
    CSetParamDlg dialog;
};

TEST(SetParamDlgGroups, VisibilityPerModel) {
    struct Expect {
        const char* control;
        std::vector<int> models;  // models 0..11 that show it
    };
    const std::vector<Expect> groups = {
        {"pressureUnit", {5, 6}},
        {"led", {0, 1, 4, 9, 10}},
        {"alarmMode", {0, 1, 4, 9, 10}},
        {"humidityLow", {0, 1, 2, 3, 5, 6, 8, 11}},
        {"flow1", {6}},
        {"flowUnit", {6}},
        {"temperatureLow", {0, 1, 2, 3, 4, 5, 6, 8, 10, 11}},
        {"celsius", {0, 1, 2, 3, 4, 5, 6, 8, 10, 11}},
        {"soundLow", {9}},  // shown for 7 with its speed, then hidden again
        {"speedFast", {7}},
        {"weightingC", {7}},
        {"gasLimit", {8, 11}},
        {"cyclic", {2}},
        {"startDelay", {10}},
        {"address", {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}},
        {"recordCount", {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}},
        {"clock", {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}},
        {"immediateStart", {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}},
    };
    for (qx::InstrumentTypeId t = 0; t <= 11; ++t) {
        Editor e(t, Written(t));
        for (const Expect& g : groups) {
            const bool shown = std::find(g.models.begin(), g.models.end(), t) != g.models.end();
            EXPECT_EQ(e.Visible(g.control), shown) << g.control << " model " << t;
        }
        EXPECT_EQ(e.dialog.windowTitle(), "设置仪器参数");
        EXPECT_EQ(e.Get<QComboBox>("recordCount")->count(),
                  static_cast<int>(qx::RecordCountChoices(t).size()));
        EXPECT_EQ(e.Get<QComboBox>("pressureUnit")->count(),
                  static_cast<int>(qx::PressureUnitChoices(t).size()));
    }
    Editor formaldehyde(11, Written(11));
    EXPECT_EQ(formaldehyde.Get<QLabel>("gasLabel")->text(), "甲醛报警域值:");
    EXPECT_EQ(formaldehyde.Get<QLabel>("gasUnit")->text(), "mg/m3");
    Editor co2(8, Written(8));
    EXPECT_EQ(co2.Get<QLabel>("gasLabel")->text(), "CO2报警域值:");
    EXPECT_EQ(co2.Get<QLabel>("gasUnit")->text(), "PPM  ");
    EXPECT_EQ(co2.Get<QComboBox>("pressureUnit")->count(), 0);
    Editor model6(6, Written(6));
    EXPECT_EQ(model6.Get<QComboBox>("pressureUnit")->itemText(2), "mmHg");
    EXPECT_EQ(model6.Get<QComboBox>("flowUnit")->itemText(1), "l/s");
    EXPECT_EQ(model6.Get<QComboBox>("led")->itemText(1), "检测时闪");
}

TEST(SetParamDlgFill, FromABlock) {
    ParamBlock b = Written(1);
    b.SetU8(param::kAddress, 255);
    b.SetU16(param::kRecordCountSetting, 0xFFFF);
    b.SetName(u"冷库");
    b.SetNumber(u"QX-01");
    {
        Editor e(1, b);
        EXPECT_EQ(e.Text("address"), "254");
        EXPECT_EQ(e.Get<QComboBox>("recordCount")->currentText(), "21000");
        EXPECT_EQ(e.Text("name"), "冷库");
        EXPECT_EQ(e.Text("number"), "QX-01");
        ASSERT_TRUE(e.Ok());
        EXPECT_EQ(e.dialog.block.U8(param::kAddress), 254);
        EXPECT_EQ(e.dialog.block.RecordCountSetting(), 21000);
    }
    b.SetU8(param::kUnitByte, 0x01);  // Fahrenheit
    {
        Editor e(1, b);
        EXPECT_TRUE(e.Get<QRadioButton>("fahrenheit")->isChecked());
        EXPECT_EQ(e.Text("temperatureLow"), "32");
        EXPECT_EQ(e.Text("temperatureHigh"), "158");
        EXPECT_EQ(e.Get<QLabel>("temperatureLowUnit")->text(), "℉");
        EXPECT_EQ(e.Get<QLabel>("temperatureHighUnit")->text(), "℉");
    }
    ParamBlock d = Written(10);
    d.SetU16(param::kStartDelay, 301);
    Editor e10(10, d);
    EXPECT_EQ(e10.Text("startDelay"), "5");
    ASSERT_TRUE(e10.Ok());
    EXPECT_EQ(e10.dialog.block.U16(param::kStartDelay), 300);

    ParamBlock m7 = Written(7);
    m7.SetU8(param::kUnitByte, 1);
    Editor e7(7, m7);
    EXPECT_TRUE(e7.Get<QRadioButton>("speedSlow")->isChecked());
    EXPECT_TRUE(e7.Get<QRadioButton>("weightingA")->isChecked());
    EXPECT_EQ(e7.Text("soundHigh"), "130");
}

TEST(SetParamDlgFill, EmptyBlockAndTheDefaultsButton) {
    ParamBlock b;  // set time 0: the defaults, whatever else it holds
    b.SetU8(param::kAddress, 77);
    b.SetU8(param::kIntervalValue, 9);
    Editor e(11, b);
    EXPECT_EQ(e.Text("address"), "1");
    EXPECT_EQ(e.Get<QComboBox>("recordCount")->currentText(), "100");
    EXPECT_EQ(e.Text("interval"), "5");
    EXPECT_EQ(e.Get<QComboBox>("intervalUnit")->currentText(), "Sec");
    EXPECT_EQ(e.Text("temperatureHigh"), "70");
    EXPECT_EQ(e.Text("humidityLow"), "10");
    EXPECT_EQ(e.Text("gasLimit"), "0.1");
    EXPECT_EQ(e.Get<QComboBox>("led")->currentIndex(), 1);
    EXPECT_EQ(e.dialog.DurationText(), "8分钟 20秒 ");
    EXPECT_TRUE(e.Get<QRadioButton>("manualStart")->isChecked());

    Editor f(9, Written(9));
    f.Set("soundLow", "55");
    f.Set("name", "临时");
    f.Get<QPushButton>("defaults")->click();
    EXPECT_EQ(f.Text("soundLow"), "30");
    EXPECT_EQ(f.Text("soundHigh"), "130");
    EXPECT_EQ(f.Text("name"), "");
    EXPECT_EQ(f.dialog.block.bytes, qx::DefaultParamBlock(9).bytes);
    ASSERT_TRUE(f.Ok());
    EXPECT_EQ(f.dialog.block.U16(param::kLowLimit), 300);
}

TEST(SetParamDlgTyping, DurationFollowsTheFields) {
    Editor e(1, Written(1));
    QComboBox* count = e.Get<QComboBox>("recordCount");
    e.Type(count->lineEdit(), "1000");
    e.Type("interval", "2");
    e.Get<QComboBox>("intervalUnit")->setCurrentIndex(1);
    emit e.Get<QComboBox>("intervalUnit")->activated(1);
    EXPECT_EQ(e.dialog.DurationText(), "1天 9小时 20分钟 ");
    // Choosing an entry of the list.
    count->setCurrentIndex(0);  // 20
    emit count->activated(0);
    EXPECT_EQ(e.dialog.DurationText(), "40分钟 ");
    EXPECT_TRUE(e.prompter.messages.empty());
}

TEST(SetParamDlgTyping, IntervalRange) {
    Editor e(1, Written(1));
    QComboBox* unit = e.Get<QComboBox>("intervalUnit");
    unit->setCurrentIndex(2);
    emit unit->activated(2);
    e.Type("interval", "25");
    ASSERT_EQ(e.prompter.messages.size(), 1u);
    EXPECT_EQ(e.prompter.LastMessage(), "数值范围应在1-24之间!");
    EXPECT_EQ(e.prompter.messages[0].icon, qx::PromptIcon::Information);
    EXPECT_EQ(e.Text("interval"), "25");  // stays as typed
    EXPECT_EQ(e.dialog.focusWidget(), e.Edit("interval"));

    unit->setCurrentIndex(1);
    emit unit->activated(1);
    e.Type("interval", "25");
    EXPECT_EQ(e.prompter.messages.size(), 1u);
    e.Type("interval", "61");
    EXPECT_EQ(e.prompter.LastMessage(), "数值范围应在1-60之间!");
    e.Type("interval", "0");
    EXPECT_EQ(e.prompter.messages.size(), 3u);
}

TEST(SetParamDlgTyping, RecordCountRange) {
    for (auto [type, max] : {std::pair{1, 21000}, std::pair{4, 32512}}) {
        Editor e(type, Written(type));
        QLineEdit* count = e.Get<QComboBox>("recordCount")->lineEdit();
        e.Type(count, "0");
        ASSERT_EQ(e.prompter.messages.size(), 1u);
        EXPECT_EQ(e.prompter.LastMessage(), QString("数值范围应在1-%1之间!").arg(max));
        e.Type(count, QString::number(max + 1));
        EXPECT_EQ(e.prompter.messages.size(), 2u);
        // OK still saves, clamped.
        ASSERT_TRUE(e.Ok());
        EXPECT_EQ(e.dialog.block.RecordCountSetting(), max);
    }
}

TEST(SetParamDlgTyping, TemperatureRangeFollowsTheUnit) {
    Editor e(3, Written(3));
    e.Type("temperatureLow", "90");
    EXPECT_EQ(e.prompter.LastMessage(), "数值范围应在-40-80之间!");
    e.Type("temperatureLow", "-45");
    EXPECT_EQ(e.prompter.messages.size(), 2u);
    e.Type("temperatureLow", "5");
    e.Type("temperatureHigh", "90");  // Celsius: too high
    EXPECT_EQ(e.prompter.messages.size(), 3u);
    e.prompter.messages.clear();

    // Switching to Fahrenheit converts the limits and checks both in the new range.
    e.Get<QRadioButton>("fahrenheit")->click();
    EXPECT_EQ(e.Get<QLabel>("temperatureLowUnit")->text(), "℉");
    EXPECT_EQ(e.Text("temperatureLow"), "41");
    EXPECT_EQ(e.Text("temperatureHigh"), "194");  // 90 °C, still out of range
    ASSERT_EQ(e.prompter.messages.size(), 1u);
    EXPECT_EQ(e.prompter.LastMessage(), "数值范围应在-40-176之间!");
    e.prompter.messages.clear();
    e.Type("temperatureHigh", "180");
    EXPECT_EQ(e.prompter.LastMessage(), "数值范围应在-40-176之间!");
    e.prompter.messages.clear();
    e.Get<QRadioButton>("celsius")->click();
    EXPECT_EQ(e.Text("temperatureHigh"), "82");  // 82.2 °C: out of the Celsius range
    ASSERT_EQ(e.prompter.messages.size(), 1u);
    EXPECT_EQ(e.prompter.LastMessage(), "数值范围应在-40-80之间!");
    EXPECT_EQ(e.Get<QLabel>("temperatureHighUnit")->text(), "℃");
}

TEST(SetParamDlgNumber, EveryByteIsShownAsOneCharacterAndKeptOnOk) {
    // Bytes 0x01..0xFF, ten to a number, are shown; only the name is changed. OK keeps every
    // byte but the control bytes 0x01..0x1F and 0x7F, which it refuses.
    for (unsigned first = 1; first <= 0xFF; first += 10) {
        ParamBlock block = Written(1);
        QString shown;
        bool control = false;
        for (unsigned byte = first; byte < first + 10 && byte <= 0xFF; ++byte) {
            block.SetU8(param::kNumber + byte - first, static_cast<uint8_t>(byte));
            shown += QChar(static_cast<char16_t>(byte));
            control = control || byte < 0x20 || byte == 0x7F;
        }
        Editor e(1, block);
        EXPECT_EQ(e.Text("number"), shown) << first;
        if (first == 191) {  // "¿ÀÁÂÃÄÅÆÇÈ"
            e.dialog.show();
            QCoreApplication::processEvents();
            qx::test::SaveScreenshot(e.dialog, QStringLiteral("set_param_dlg_number.png"));
        }
        e.Set("name", QStringLiteral("新名称"));
        if (control) {
            EXPECT_FALSE(e.Ok()) << first;
            EXPECT_EQ(e.prompter.LastMessage(), "仪器编号中不能有控制字符(换行、制表符等)!");
            continue;
        }
        ASSERT_TRUE(e.Ok()) << first;
        EXPECT_EQ(e.dialog.block.NumberLatin1(), block.NumberLatin1()) << first;
    }

    // A character that takes more than one byte is refused, and the field keeps it.
    const ParamBlock original = Written(1);
    Editor e(1, original);
    e.Set("number", QStringLiteral("A中1"));  // as an input method commits it
    EXPECT_FALSE(e.Ok());
    EXPECT_EQ(e.prompter.LastMessage(),
              "仪器编号中不能有字符\"中\"(仪器中每个字符只占一个字节),请输入字母或数字!");
    EXPECT_EQ(e.dialog.focusWidget(), e.Edit("number"));
    EXPECT_EQ(e.Text("number"), QStringLiteral("A中1"));
    EXPECT_EQ(e.dialog.block.bytes, original.bytes);
}

TEST(SetParamDlgValidation, MessagesInOrder) {
    struct Case {
        qx::InstrumentTypeId type;
        const char* field;
        QString text;
        QString message;
    };
    const QString chars19 = QString(19, QChar('x'));
    const std::vector<Case> cases = {
        {1, "address", "abc", "请输入一个正整数。"},
        {1, "address", "0", "请输入一个在 1 和 254 之间的整数。"},
        {1, "address", "255", "请输入一个在 1 和 254 之间的整数。"},
        {1, "number", "ABCDEFGHIJK", "请输入不多于 10 个的字符。"},
        {1, "number", "A\tB", "仪器编号中不能有控制字符(换行、制表符等)!"},
        {1, "interval", "-1", "请输入一个正整数。"},
        {1, "name", chars19, "请输入不多于 18 个的字符。"},
        {1, "temperatureLow", "1.5", "请输入一个整数。"},
        {1, "temperatureHigh", "", "请输入一个整数。"},
        {1, "temperatureLow", "-41", "温度报警域值不能低于-40!"},
        // Low at or above high (70 °C, 95 %RH, 130 dB), reported on the low field.
        {1, "temperatureLow", "70", "温度报警域值的低值应小于高值!"},
        {1, "temperatureHigh", "-5", "温度报警域值的低值应小于高值!"},
        {1, "humidityLow", "x", "请输入一个整数。"},
        {1, "humidityHigh", "101", "请输入一个在 0 和 100 之间的整数。"},
        {1, "humidityLow", "96", "湿度报警域值的低值应小于高值!"},
        {8, "gasLimit", "0", "请输入一个在 1 和 9999 之间的整数。"},
        {8, "gasLimit", "0.5", "请输入一个整数。"},
        {11, "gasLimit", "abc", "请输入一个数字。"},
        {11, "gasLimit", "20", "请输入一个在 0.01 和 10 之间的数字。"},
        {11, "gasLimit", "0.001", "请输入一个在 0.01 和 10 之间的数字。"},
        {11, "gasLimit", "0.015",
         "仪器只能保存2位小数, 不能保存0.015; 最接近的值是 0.01 和 0.02。"},
        {9, "soundLow", "-1", "请输入一个在 0 和 150 之间的整数。"},
        {9, "soundHigh", "151", "请输入一个在 0 和 150 之间的整数。"},
        {9, "soundLow", "130", "噪声报警域值的低值应小于高值!"},
        {6, "flow1", "10", "请输入一个在 -9.999 和 9.999 之间的数字。"},
        {6, "flow2", "-10", "请输入一个在 -9.9999 和 9.9999 之间的数字。"},
        {6, "flow3", "100", "请输入一个在 -99.999 和 99.999 之间的数字。"},
        {6, "flow3", "1..2", "请输入一个数字。"},
        {10, "startDelay", "1001", "请输入一个在 0 和 1000 之间的整数。"},
    };
    for (const Case& c : cases) {
        const ParamBlock original = Written(c.type);
        Editor e(c.type, original);
        QLineEdit* edit = e.Edit(c.field);
        edit->setMaxLength(32767);  // longer than the field allows, as if pasted past it
        edit->setText(c.text);
        EXPECT_FALSE(e.Ok()) << c.field << " " << c.text.toStdString();
        ASSERT_EQ(e.prompter.messages.size(), 1u) << c.field;
        EXPECT_EQ(e.prompter.LastMessage(), c.message) << c.field << " " << c.text.toStdString();
        EXPECT_EQ(e.prompter.messages[0].icon, qx::PromptIcon::Warning);
        const bool orderCase = c.message.endsWith(QStringLiteral("低值应小于高值!"));
        QLineEdit* focused =
            orderCase
                ? e.Edit(c.field == QStringLiteral("temperatureHigh") ? "temperatureLow" : c.field)
                : edit;
        EXPECT_EQ(e.dialog.focusWidget(), focused) << c.field;
        EXPECT_EQ(e.dialog.block.bytes, original.bytes) << c.field;  // nothing written
    }
    // A pair the model hides is not refused: the user could not correct it.
    Editor hidden(4, Written(4));
    hidden.Set("humidityLow", "96");
    EXPECT_TRUE(hidden.Ok());

    // The first failure in the order is the one reported.
    Editor e(1, Written(1));
    e.Set("humidityHigh", "200");
    e.Set("interval", "x");
    e.Set("flow1", "x");  // hidden for model 1, validated too, but later
    EXPECT_FALSE(e.Ok());
    ASSERT_EQ(e.prompter.messages.size(), 1u);
    EXPECT_EQ(e.prompter.LastMessage(), "请输入一个正整数。");
    e.Set("interval", "5");
    EXPECT_FALSE(e.Ok());
    EXPECT_EQ(e.prompter.LastMessage(), "请输入一个在 0 和 100 之间的整数。");
    e.Set("humidityHigh", "90");
    EXPECT_FALSE(e.Ok());
    EXPECT_EQ(e.prompter.LastMessage(), "请输入一个数字。");
    e.Set("flow1", "0");
    EXPECT_TRUE(e.Ok());
    EXPECT_EQ(e.dialog.block.U16(param::kHighHumidityLimit), 900);
}

TEST(SetParamDlgEncode, LimitsAndUnitByte) {
    Editor c(1, Written(1));
    c.Set("temperatureLow", "0");
    c.Set("temperatureHigh", "70");
    ASSERT_TRUE(c.Ok());
    EXPECT_EQ(c.dialog.block.U16(param::kLowLimit), 400);
    EXPECT_EQ(c.dialog.block.U16(param::kHighLimit), 1100);
    EXPECT_EQ(c.dialog.block.UnitByte(), 0xF0);

    Editor f(1, Written(1));
    f.Get<QRadioButton>("fahrenheit")->click();
    f.Set("temperatureLow", "32");
    f.Set("temperatureHigh", "158");
    ASSERT_TRUE(f.Ok());
    EXPECT_EQ(f.dialog.block.U16(param::kLowLimit), 400);
    EXPECT_EQ(f.dialog.block.U16(param::kHighLimit), 1100);
    EXPECT_EQ(f.dialog.block.UnitByte(), 0xF1);

    Editor h(5, Written(5));
    h.Get<QRadioButton>("fahrenheit")->click();
    h.Set("temperatureHigh", "100");
    h.Get<QComboBox>("pressureUnit")->setCurrentIndex(2);  // psi
    ASSERT_TRUE(h.Ok());
    EXPECT_EQ(h.dialog.block.U16(param::kHighLimit), 778);
    EXPECT_EQ(h.dialog.block.UnitByte(), 0x21);
}

TEST(SetParamDlgEncode, CyclicRecordingOfModel2) {
    ParamBlock b = Written(2);
    b.SetU16(param::kRecordCountSetting, 0xFFFF);
    Editor e(2, b, -480);
    QCheckBox* cyclic = e.Get<QCheckBox>("cyclic");
    QComboBox* count = e.Get<QComboBox>("recordCount");
    EXPECT_TRUE(cyclic->isChecked());
    EXPECT_FALSE(count->isEnabled());
    count->setEditText("500");
    ASSERT_TRUE(e.Ok());
    EXPECT_EQ(e.dialog.block.RecordCountSetting(), 0xFFFF);
    EXPECT_EQ(e.dialog.block.TimeZoneBias(), -480);

    Editor u(2, b);
    u.Get<QCheckBox>("cyclic")->click();
    EXPECT_TRUE(u.Get<QComboBox>("recordCount")->isEnabled());
    u.Get<QComboBox>("recordCount")->setEditText("500");
    ASSERT_TRUE(u.Ok());
    EXPECT_EQ(u.dialog.block.RecordCountSetting(), 500);
}

TEST(SetParamDlgEncode, FormaldehydeFlowAndStart) {
    Editor a(11, Written(11));
    a.Set("gasLimit", "0.10");
    ASSERT_TRUE(a.Ok());
    EXPECT_EQ(a.dialog.block.U16(param::kGasLimit), 10);
    Editor b(11, Written(11));
    b.Set("gasLimit", "0.29");
    b.Get<QRadioButton>("immediateStart")->click();
    ASSERT_TRUE(b.Ok());
    EXPECT_EQ(b.dialog.block.U16(param::kGasLimit), 29);
    EXPECT_EQ(b.dialog.block.U8(param::kStartMode), 1);

    Editor f(6, Written(6));
    f.Set("flow1", "1.5");
    f.Set("flow2", "-0.25");
    f.Set("flow3", "99.999");
    f.Get<QComboBox>("flowUnit")->setCurrentIndex(1);
    f.Get<QComboBox>("pressureUnit")->setCurrentIndex(3);
    ASSERT_TRUE(f.Ok());
    const qx::FlowCoefficients c = qx::DecodeFlowCoefficients(f.dialog.block);
    EXPECT_FLOAT_EQ(c.c1, 1.5f);
    EXPECT_FLOAT_EQ(c.c2, -0.25f);
    EXPECT_FLOAT_EQ(c.c3, 99.999f);
    EXPECT_EQ(f.dialog.block.UnitByte(), 0x70);
}

TEST(SetParamDlgEncode, CancelLeavesTheBlock) {
    const ParamBlock original = Written(4);
    Editor e(4, original);
    e.Set("address", "9");
    e.Get<QPushButton>("cancel")->click();
    EXPECT_EQ(e.dialog.result(), QDialog::Rejected);
    EXPECT_EQ(e.dialog.block.bytes, original.bytes);
}

TEST(SetParamDlgClock, ShowsThePcsTime) {
    Editor e(1, Written(1));
    const QString text = e.Text("clock");
    EXPECT_EQ(text.size(), 19);
    EXPECT_TRUE(e.Edit("clock")->isReadOnly());
    e.Set("clock", "");
    QTest::qWait(1200);
    EXPECT_EQ(e.Text("clock").size(), 19);
}

// Read parameters, open the editor on SetParams, change the name, OK, write, read back.
TEST(SetParamDlgRoundTrip, EveryModelThroughTheSimulator) {
    for (qx::InstrumentTypeId t = 0; t <= 11; ++t) {
        qx::test::PanelBench bench({t});
        qx::test::ScriptedPrompter prompter;
        bench.view.FirstShow(true, 1);
        ASSERT_TRUE(bench.ConnectAndRefresh()) << t;
        const ParamBlock read = bench.state.setParams;
        ParamBlock edited;
        prompter.dialogHandlers.push_back([&](QDialog& d) {
            auto& dialog = static_cast<CSetParamDlg&>(d);
            dialog.Initialise();
            dialog.findChild<QLineEdit*>("name")->setText(QStringLiteral("改过的名字%1").arg(t));
            dialog.findChild<QPushButton*>("ok")->click();
            edited = dialog.block;
            return dialog.result();
        });
        ASSERT_EQ(bench.session.commands.SetParameters(), qx::CommandResult::kDone) << t;
        EXPECT_EQ(bench.ui.editorRuns, 1);
        ASSERT_EQ(prompter.dialogTitles.size(), 1u);
        EXPECT_EQ(prompter.dialogTitles[0], "设置仪器参数");
        EXPECT_EQ(edited.Name(), QStringLiteral("改过的名字%1").arg(t).toStdU16String());

        // What the editor changed besides the name: nothing, except the unit byte's high bits
        // of models without a pressure list.
        for (size_t off = 0; off < ParamBlock::kSize; ++off) {
            const bool name = off >= param::kName && off < param::kName + 36;
            const bool setTime = off >= param::kSetTime && off < param::kSetTime + 4;
            if (name || setTime) continue;
            if (off == param::kUnitByte && t != 2 && t != 5 && t != 6 && t != 7 && t != 9) {
                EXPECT_EQ(edited.U8(off) & 0x0F, read.U8(off) & 0x0F) << t;
                continue;
            }
            EXPECT_EQ(edited.U8(off), read.U8(off)) << "model " << t << " offset " << off;
        }

        ASSERT_EQ(bench.session.commands.ReadParameters(), qx::CommandResult::kDone) << t;
        const ParamBlock back = bench.state.setParams;
        std::vector<std::pair<size_t, size_t>> owned = {{0, 47}, {49, 66}, {70, 71}};
        if (t == 8 || t == 11) owned.push_back({79, 81});
        if (t == 10) owned.push_back({81, 83});
        if (t == 6) owned.push_back({81, 88});
        for (auto [from, to] : owned) {
            for (size_t off = from; off < to; ++off) {
                EXPECT_EQ(back.U8(off), edited.U8(off)) << "model " << t << " offset " << off;
            }
        }
        EXPECT_NE(back.SetTime(), 0u);
        // The set-parameter list shows the new name (model 0 has no rows).
        const CMyListCtrl& list = bench.view.ParamList(qx::ParamListKind::kSet);
        if (t == 0) {
            EXPECT_EQ(list.rowCount(), 0);
        } else {
            EXPECT_EQ(list.Text(2, 1), QStringLiteral("改过的名字%1").arg(t)) << t;
        }
    }
}

TEST(SetParamDlgScreenshots, Models) {
    const QFont appFont = QApplication::font();
    QApplication::setFont(qx::SongFont(14));  // the main window's font
    for (qx::InstrumentTypeId t : {2, 6, 7, 10}) {
        qx::InstrumentSimulator sim(t, [] { return qx::test::kPanelTestNow; });
        CSetParamDlg dialog(t, -480);
        dialog.block = sim.SetParams();
        dialog.show();
        QCoreApplication::processEvents();
        qx::test::SaveScreenshot(dialog, QStringLiteral("set_param_dlg_model%1.png").arg(t));
        dialog.hide();
    }
    QApplication::setFont(appFont);
}

}  // namespace
