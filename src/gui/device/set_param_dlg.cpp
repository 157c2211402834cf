#include "set_param_dlg.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSaveFile>
#include <QTimer>
#include <QVBoxLayout>
#include <ctime>

#include "core/model/language.h"
#include "core/model/local_time.h"
#include "core/model/param_profile.h"
#include "core/model/text_util.h"
#include "core/records/record_file.h"
#include "gui/common/prompter.h"
#include "gui/common/qt_text.h"

namespace qx {

namespace {

using qx::ToQString;
using qx::ToUtf8;

QLineEdit* Edit(QWidget* parent, const char* objectName, int width) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(QLatin1String(objectName));
    e->setFixedWidth(width);
    return e;
}

QComboBox* List(QWidget* parent, const char* objectName, int width) {
    auto* c = new QComboBox(parent);
    c->setObjectName(QLatin1String(objectName));
    c->setMinimumWidth(width);
    return c;
}

QLabel* Label(QWidget* parent, const QString& text, const char* objectName = nullptr) {
    auto* l = new QLabel(text, parent);
    if (objectName) l->setObjectName(QLatin1String(objectName));
    return l;
}

QRadioButton* Radio(QWidget* parent, QButtonGroup* group, int id, const QString& text,
                    const char* objectName) {
    auto* r = new QRadioButton(text, parent);
    r->setObjectName(QLatin1String(objectName));
    group->addButton(r, id);
    return r;
}

// A row of controls side by side, ending with a stretch.
QWidget* Row(QWidget* parent, std::initializer_list<QWidget*> widgets) {
    auto* row = new QWidget(parent);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    for (QWidget* w : widgets) {
        w->setParent(row);
        layout->addWidget(w);
    }
    layout->addStretch(1);
    return row;
}

void CheckRadio(QButtonGroup* group, int id) {
    // A value outside the group checks none of its radios.
    QAbstractButton* button = group->button(id);
    if (button) {
        button->setChecked(true);
        return;
    }
    const bool exclusive = group->exclusive();
    group->setExclusive(false);
    for (QAbstractButton* b : group->buttons())
        b->setChecked(false);
    group->setExclusive(exclusive);
}

QString NumberText(int32_t v) {
    return QString::number(v);
}

QString FloatText(float v) {
    return ToQString(qx::FieldFloatText(v));
}

}  // namespace

CSetParamDlg::CSetParamDlg(qx::InstrumentTypeId type, int16_t timeZoneBias, QWidget* parent)
    : QDialog(parent),
      now([] { return static_cast<int64_t>(std::time(nullptr)); }),
      type_(type),
      timeZoneBias_(timeZoneBias) {
    setWindowTitle(tr("设置仪器参数"));
    BuildControls();
}

CSetParamDlg::~CSetParamDlg() = default;

void CSetParamDlg::BuildControls() {
    auto* left = new QGridLayout;
    auto* right = new QGridLayout;
    for (QGridLayout* g : {left, right}) {
        g->setHorizontalSpacing(8);
        g->setVerticalSpacing(8);
        g->setColumnStretch(1, 1);
    }
    auto addRow = [](QGridLayout* grid, QWidget* label, QWidget* field) {
        const int row = grid->rowCount();
        if (label) grid->addWidget(label, row, 0, Qt::AlignRight | Qt::AlignVCenter);
        grid->addWidget(field, row, 1);
    };

    // Identity.
    address_ = Edit(this, "address", 60);
    number_ = Edit(this, "number", 120);
    number_->setMaxLength(static_cast<int>(qx::param::kNumberLength));
    name_ = Edit(this, "name", 190);
    name_->setMaxLength(static_cast<int>(qx::param::kNameLength));
    addRow(left, Label(this, tr("地址(1-254):")), Row(this, {address_}));
    addRow(left, Label(this, tr("仪器编号:")),
           Row(this, {number_, Label(this, tr("<=10个字母或数字"))}));
    addRow(left, Label(this, tr("测量名称:")),
           Row(this, {name_, Label(this, tr("<=18个英文或汉字"))}));

    // Recording.
    recordCount_ = List(this, "recordCount", 100);
    recordCount_->setEditable(true);
    recordCount_->setInsertPolicy(QComboBox::NoInsert);
    recordCount_->setMaxVisibleItems(12);
    cyclic_ = new QCheckBox(tr("循环记录"), this);
    cyclic_->setObjectName(QStringLiteral("cyclic"));
    addRow(left, Label(this, tr("测量记录数:")), Row(this, {recordCount_, cyclic_}));
    interval_ = Edit(this, "interval", 60);
    intervalUnit_ = List(this, "intervalUnit", 80);
    for (const char* unit : qx::kIntervalUnitNames)
        intervalUnit_->addItem(QLatin1String(unit));
    addRow(left, Label(this, tr("记录间隔:")), Row(this, {interval_, intervalUnit_}));
    duration_ = Label(this, QString(), "duration");
    duration_->setMinimumWidth(200);
    addRow(left, nullptr, duration_);

    // LED and alarm mode.
    led_ = List(this, "led", 110);
    alarmMode_ = List(this, "alarmMode", 110);
    auto* ledLabel = Label(this, tr("工作LED闪烁:"));
    auto* ledRow = Row(this, {led_});
    auto* alarmLabel = Label(this, tr("报警方式:"));
    auto* alarmRow = Row(this, {alarmMode_});
    addRow(left, ledLabel, ledRow);
    addRow(left, alarmLabel, alarmRow);
    groups_[Group::kLedAlarm] = {ledLabel, ledRow, alarmLabel, alarmRow};

    // Pressure unit.
    pressureUnit_ = List(this, "pressureUnit", 110);
    auto* pressureLabel = Label(this, tr("气压测量单位:"));
    auto* pressureRow = Row(this, {pressureUnit_});
    addRow(left, pressureLabel, pressureRow);
    groups_[Group::kPressure] = {pressureLabel, pressureRow};

    // Flow.
    flowUnit_ = List(this, "flowUnit", 110);
    // The flow is c1 × g² + c2 × g + c3, g = 1.2 × differential pressure / air density.
    struct FlowField {
        const char* objectName;
        const char* label;
        const char* tip;
    };
    static const FlowField kFlowFields[] = {
        {"flow1", "c1",
         QT_TRANSLATE_NOOP("qx::CSetParamDlg",
                           "流量 = c1×g² + c2×g + c3 的二次项系数 c1 (-9.999~9.999)\n"
                           "g = 1.2×差压/空气密度")},
        {"flow2", "c2",
         QT_TRANSLATE_NOOP("qx::CSetParamDlg",
                           "流量 = c1×g² + c2×g + c3 的一次项系数 c2 (-9.9999~9.9999)\n"
                           "g = 1.2×差压/空气密度")},
        {"flow3", "c3",
         QT_TRANSLATE_NOOP("qx::CSetParamDlg",
                           "流量 = c1×g² + c2×g + c3 的常数项 c3 (-99.999~99.999)")},
    };
    QLabel* flowLabels[3] = {};
    for (int i = 0; i < 3; ++i) {
        const QString tip = tr(kFlowFields[i].tip);
        flow_[i] = Edit(this, kFlowFields[i].objectName, 64);
        flow_[i]->setToolTip(tip);
        flowLabels[i] = Label(this, QLatin1String(kFlowFields[i].label));
        flowLabels[i]->setToolTip(tip);
        flowLabels[i]->setBuddy(flow_[i]);
    }
    auto* flowLabel = Label(this, tr("流量计算参数:"));
    auto* flowRow =
        Row(this, {flowLabels[0], flow_[0], flowLabels[1], flow_[1], flowLabels[2], flow_[2]});
    auto* flowUnitLabel = Label(this, tr("流量测量单位:"));
    auto* flowUnitRow = Row(this, {flowUnit_});
    addRow(left, flowLabel, flowRow);
    addRow(left, flowUnitLabel, flowUnitRow);
    groups_[Group::kFlow] = {flowLabel, flowRow, flowUnitLabel, flowUnitRow};

    // Temperature.
    temperatureUnit_ = new QButtonGroup(this);
    auto* celsius = Radio(this, temperatureUnit_, 0, tr("℃(摄氏度)"), "celsius");
    auto* fahrenheit = Radio(this, temperatureUnit_, 1, tr("℉(华氏度)"), "fahrenheit");
    temperatureLow_ = Edit(this, "temperatureLow", 56);
    temperatureHigh_ = Edit(this, "temperatureHigh", 56);
    temperatureLowUnit_ = Label(this, QStringLiteral("℃"), "temperatureLowUnit");
    temperatureHighUnit_ = Label(this, QStringLiteral("℃"), "temperatureHighUnit");
    auto* tempUnitLabel = Label(this, tr("温度测量单位:"));
    auto* tempUnitRow = Row(this, {celsius, fahrenheit});
    auto* tempLimitLabel = Label(this, tr("温度报警域值:"));
    auto* tempLimitRow = Row(this, {Label(this, tr("低")), temperatureLow_, temperatureLowUnit_,
                                    Label(this, tr("高")), temperatureHigh_, temperatureHighUnit_});
    addRow(right, tempUnitLabel, tempUnitRow);
    addRow(right, tempLimitLabel, tempLimitRow);
    groups_[Group::kTemperature] = {tempUnitLabel, tempUnitRow, tempLimitLabel, tempLimitRow};

    // Humidity.
    humidityLow_ = Edit(this, "humidityLow", 56);
    humidityHigh_ = Edit(this, "humidityHigh", 56);
    auto* humidityLabel = Label(this, tr("湿度报警域值:"));
    auto* humidityRow =
        Row(this, {Label(this, tr("低")), humidityLow_, Label(this, QStringLiteral("%RH")),
                   Label(this, tr("高")), humidityHigh_, Label(this, QStringLiteral("%RH"))});
    addRow(right, humidityLabel, humidityRow);
    groups_[Group::kHumidity] = {humidityLabel, humidityRow};

    // Sound-level limits.
    soundLow_ = Edit(this, "soundLow", 56);
    soundHigh_ = Edit(this, "soundHigh", 56);
    auto* soundLabel = Label(this, tr("噪声报警域值:"));
    auto* soundRow = Row(this, {soundLow_, Label(this, QStringLiteral("dB")), soundHigh_,
                                Label(this, QStringLiteral("dB"))});
    addRow(right, soundLabel, soundRow);
    groups_[Group::kSound] = {soundLabel, soundRow};

    // Sampling speed and weighting.
    speed_ = new QButtonGroup(this);
    weighting_ = new QButtonGroup(this);
    auto* speedLabel = Label(this, tr("采样速度:"));
    auto* speedRow = Row(this, {Radio(this, speed_, 0, tr("快速"), "speedFast"),
                                Radio(this, speed_, 1, tr("慢速"), "speedSlow")});
    auto* weightingLabel = Label(this, tr("声级:"));
    auto* weightingRow = Row(this, {Radio(this, weighting_, 0, tr("A级"), "weightingA"),
                                    Radio(this, weighting_, 1, tr("C级"), "weightingC")});
    addRow(right, speedLabel, speedRow);
    addRow(right, weightingLabel, weightingRow);
    groups_[Group::kSpeedWeighting] = {speedLabel, speedRow, weightingLabel, weightingRow};

    // CO2 or formaldehyde.
    gasLabel_ = Label(this, tr("CO2报警域值:"), "gasLabel");
    gasLimit_ = Edit(this, "gasLimit", 72);
    gasUnit_ = Label(this, tr("PPM  "), "gasUnit");
    auto* gasRow = Row(this, {Label(this, tr("高")), gasLimit_, gasUnit_});
    addRow(right, gasLabel_, gasRow);
    groups_[Group::kGas] = {gasLabel_, gasRow};

    // Start delay.
    startDelay_ = Edit(this, "startDelay", 60);
    auto* delayLabel = Label(this, tr("延时:"));
    auto* delayRow = Row(this, {startDelay_, Label(this, tr("分"))});
    addRow(right, delayLabel, delayRow);
    groups_[Group::kStartDelay] = {delayLabel, delayRow};

    // Start.
    clock_ = Edit(this, "clock", 170);
    clock_->setReadOnly(true);
    clock_->setFocusPolicy(Qt::NoFocus);
    addRow(right, Label(this, tr("当前计算机时间:")), Row(this, {clock_}));
    startMode_ = new QButtonGroup(this);
    addRow(right, nullptr,
           Row(this, {Radio(this, startMode_, 0, tr("手动测量"), "manualStart"),
                      Radio(this, startMode_, 1, tr("立即测量"), "immediateStart")}));
    groups_[Group::kCyclic] = {cyclic_};

    left->setRowStretch(left->rowCount(), 1);
    right->setRowStretch(right->rowCount(), 1);

    // Buttons.
    auto* defaults = new QPushButton(tr("默认参数"), this);
    defaults->setObjectName(QStringLiteral("defaults"));
    defaults->setAutoDefault(false);
    auto* ok = new QPushButton(OkButtonText(), this);
    ok->setObjectName(QStringLiteral("ok"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(CancelButtonText(), this);
    cancel->setObjectName(QStringLiteral("cancel"));
    cancel->setAutoDefault(false);
    auto* saveProfile = new QPushButton(tr("保存配置..."), this);
    saveProfile->setObjectName(QStringLiteral("saveProfile"));
    saveProfile->setAutoDefault(false);
    auto* loadProfile = new QPushButton(tr("载入配置..."), this);
    loadProfile->setObjectName(QStringLiteral("loadProfile"));
    loadProfile->setAutoDefault(false);
    // A profile is for setting other instruments the same way: it leaves out what tells this
    // one apart unless asked.
    profileIdentity_ = new QCheckBox(tr("含编号和名称"), this);
    profileIdentity_->setObjectName(QStringLiteral("profileIdentity"));
    profileIdentity_->setToolTip(tr("保存配置时也写入仪器编号和测量名称"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(defaults);
    buttons->addWidget(saveProfile);
    buttons->addWidget(loadProfile);
    buttons->addWidget(profileIdentity_);
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);

    auto* columns = new QHBoxLayout;
    columns->setSpacing(24);
    columns->addLayout(left, 1);
    columns->addLayout(right, 1);
    auto* main = new QVBoxLayout(this);
    main->setContentsMargins(14, 14, 14, 12);
    main->setSpacing(14);
    main->addLayout(columns, 1);
    main->addLayout(buttons);

    clockTimer_ = new QTimer(this);
    clockTimer_->setInterval(1000);

    // Handlers.
    connect(ok, &QPushButton::clicked, this, &CSetParamDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &CSetParamDlg::reject);
    connect(defaults, &QPushButton::clicked, this, &CSetParamDlg::ApplyDefaults);
    connect(saveProfile, &QPushButton::clicked, this, &CSetParamDlg::SaveProfile);
    connect(loadProfile, &QPushButton::clicked, this, &CSetParamDlg::LoadProfile);
    connect(temperatureUnit_, &QButtonGroup::idClicked, this, [this] { OnTemperatureUnit(); });
    connect(cyclic_, &QCheckBox::clicked, this, [this] { OnCyclic(); });
    connect(recordCount_, &QComboBox::activated, this, [this](int index) {
        UpdateDuration(qx::LeadingDecimal(ToUtf8(recordCount_->itemText(index))));
    });
    connect(recordCount_->lineEdit(), &QLineEdit::textEdited, this, [this] { CheckRecordCount(); });
    connect(interval_, &QLineEdit::textEdited, this, [this] { CheckInterval(); });
    connect(intervalUnit_, &QComboBox::activated, this, [this] { UpdateDuration(); });
    connect(temperatureLow_, &QLineEdit::textEdited, this,
            [this] { CheckTemperature(temperatureLow_); });
    connect(temperatureHigh_, &QLineEdit::textEdited, this,
            [this] { CheckTemperature(temperatureHigh_); });
    connect(clockTimer_, &QTimer::timeout, this, &CSetParamDlg::ShowClock);
}

void CSetParamDlg::ShowGroup(Group group, bool on) {
    for (QWidget* w : groups_[group])
        w->setVisible(on);
}

void CSetParamDlg::Initialise() {
    if (initialised_) return;
    initialised_ = true;
    const qx::InstrumentTypeId t = type_;
    PutValues();

    recordCount_->clear();
    for (int n : qx::RecordCountChoices(t))
        recordCount_->addItem(QString::number(n));
    alarmMode_->clear();
    for (const char* name : qx::kAlarmModeNames)
        alarmMode_->addItem(QString::fromUtf8(qx::Tr(name)));
    led_->clear();
    for (const qx::LedBlinkChoice& c : qx::kLedBlinkChoices)
        led_->addItem(QString::fromUtf8(qx::Tr(c.text)));
    pressureUnit_->clear();
    for (const char* unit : qx::PressureUnitChoices(t))
        pressureUnit_->addItem(QLatin1String(unit));
    flowUnit_->clear();
    for (const char* unit : qx::kFlowUnitChoices)
        flowUnit_->addItem(QLatin1String(unit));

    // The groups the model has, by the catalogue. (The sound-level limits stay hidden for the
    // sound meter, whose speed and weighting are shown: its limits keep what the block holds.)
    using S = qx::EditorSection;
    const std::pair<Group, S> sections[] = {
        {Group::kPressure, S::kPressure},
        {Group::kLedAlarm, S::kLedAlarm},
        {Group::kHumidity, S::kHumidity},
        {Group::kFlow, S::kFlow},
        {Group::kTemperature, S::kTemperature},
        {Group::kSound, S::kSoundLimits},
        {Group::kSpeedWeighting, S::kSpeedWeighting},
        {Group::kGas, S::kGas},
        {Group::kCyclic, S::kCyclic},
        {Group::kStartDelay, S::kStartDelay},
    };
    for (const auto& [group, section] : sections)
        ShowGroup(group, qx::EditorShows(section, t));

    if (block.SetTime() == 0) {
        ApplyDefaults();
    } else {
        FillFromBlock();
    }
    const bool cyclic = qx::EditorShows(S::kCyclic, t);
    cyclic_->setChecked(cyclic && block.RecordCountSetting() == qx::param::kCyclicSetting);
    if (cyclic) recordCount_->setEnabled(!cyclic_->isChecked());
    if (qx::Model(t).gas == qx::GasKind::kFormaldehyde) {
        gasLabel_->setText(tr("甲醛报警域值:"));
        gasUnit_->setText(QStringLiteral("mg/m3"));
    }
    ShowClock();
    clockTimer_->start();
}

void CSetParamDlg::setVisible(bool visible) {
    // Filled before the first show, so that the window is sized for the model's groups.
    if (visible) Initialise();
    QDialog::setVisible(visible);
}

void CSetParamDlg::ApplyDefaults() {
    block = qx::DefaultParamBlock(type_);
    FillFromBlock();
}

void CSetParamDlg::FillFromBlock() {
    qx::FillEditorValues(values_, block, type_);
    PutValues();
    UpdateDuration();
}

void CSetParamDlg::PutValues() {
    const qx::ParamEditorValues& v = values_;
    address_->setText(QString::number(v.address));
    number_->setText(QString::fromStdU16String(v.number));
    name_->setText(QString::fromStdU16String(v.name));
    recordCount_->setEditText(ToQString(v.recordCountText));
    interval_->setText(QString::number(v.interval));
    intervalUnit_->setCurrentIndex(v.intervalUnit);
    led_->setCurrentIndex(v.led < led_->count() ? v.led : -1);
    alarmMode_->setCurrentIndex(v.alarmMode < alarmMode_->count() ? v.alarmMode : -1);
    pressureUnit_->setCurrentIndex(v.pressureUnit < pressureUnit_->count() ? v.pressureUnit : -1);
    flowUnit_->setCurrentIndex(v.flowUnit < flowUnit_->count() ? v.flowUnit : -1);
    temperatureLow_->setText(NumberText(v.temperatureLow));
    temperatureHigh_->setText(NumberText(v.temperatureHigh));
    humidityLow_->setText(NumberText(v.humidityLow));
    humidityHigh_->setText(NumberText(v.humidityHigh));
    gasLimit_->setText(qx::Model(type_).gas == qx::GasKind::kFormaldehyde
                           ? FloatText(v.formaldehydeLimit)
                           : NumberText(v.co2Limit));
    soundLow_->setText(NumberText(v.soundLow));
    soundHigh_->setText(NumberText(v.soundHigh));
    flow_[0]->setText(FloatText(v.flow.c1));
    flow_[1]->setText(FloatText(v.flow.c2));
    flow_[2]->setText(FloatText(v.flow.c3));
    startDelay_->setText(NumberText(v.startDelay));
    CheckRadio(temperatureUnit_, v.temperatureUnit);
    CheckRadio(speed_, v.speed);
    CheckRadio(weighting_, v.weighting);
    CheckRadio(startMode_, v.startMode);
    temperatureUnitValue_ = v.temperatureUnit;
    UpdateTemperatureUnitLabels();
}

void CSetParamDlg::FieldMessage(QLineEdit* control, const QString& text) {
    qx::ShowWarning(this, text);
    control->setFocus();
    control->selectAll();
}

QLineEdit* CSetParamDlg::FieldEdit(qx::EditorField field) const {
    using F = qx::EditorField;
    switch (field) {
        case F::kAddress:
            return address_;
        case F::kNumber:
            return number_;
        case F::kInterval:
            return interval_;
        case F::kName:
            return name_;
        case F::kTemperatureLow:
            return temperatureLow_;
        case F::kTemperatureHigh:
            return temperatureHigh_;
        case F::kHumidityLow:
            return humidityLow_;
        case F::kHumidityHigh:
            return humidityHigh_;
        case F::kGasLimit:
            return gasLimit_;
        case F::kSoundLow:
            return soundLow_;
        case F::kSoundHigh:
            return soundHigh_;
        case F::kFlow1:
            return flow_[0];
        case F::kFlow2:
            return flow_[1];
        case F::kFlow3:
            return flow_[2];
        case F::kStartDelay:
            return startDelay_;
    }
    return address_;
}

bool CSetParamDlg::TakeValues() {
    qx::ParamEditorValues& v = values_;
    // Radios and lists cannot fail.
    v.temperatureUnit = temperatureUnit_->checkedId();
    temperatureUnitValue_ = v.temperatureUnit;
    v.speed = speed_->checkedId();
    v.weighting = weighting_->checkedId();
    v.startMode = startMode_->checkedId();
    v.recordCountText = ToUtf8(recordCount_->currentText());
    v.intervalUnit = intervalUnit_->currentIndex();
    v.led = led_->currentIndex();
    v.alarmMode = alarmMode_->currentIndex();
    v.pressureUnit = pressureUnit_->currentIndex();
    v.flowUnit = flowUnit_->currentIndex();
    v.cyclic = cyclic_->isChecked();

    qx::EditorFieldTexts t;
    t.address = ToUtf8(address_->text());
    t.number = number_->text().toStdU16String();
    t.interval = ToUtf8(interval_->text());
    t.name = name_->text().toStdU16String();
    t.temperatureLow = ToUtf8(temperatureLow_->text());
    t.temperatureHigh = ToUtf8(temperatureHigh_->text());
    t.humidityLow = ToUtf8(humidityLow_->text());
    t.humidityHigh = ToUtf8(humidityHigh_->text());
    t.gasLimit = ToUtf8(gasLimit_->text());
    t.soundLow = ToUtf8(soundLow_->text());
    t.soundHigh = ToUtf8(soundHigh_->text());
    t.flow1 = ToUtf8(flow_[0]->text());
    t.flow2 = ToUtf8(flow_[1]->text());
    t.flow3 = ToUtf8(flow_[2]->text());
    t.startDelay = ToUtf8(startDelay_->text());
    const std::optional<qx::EditorFieldError> error = qx::TakeEditorFields(t, type_, v);
    if (!error) return true;
    FieldMessage(FieldEdit(error->field), ToQString(error->message));
    return false;
}

void CSetParamDlg::accept() {
    Initialise();
    if (!TakeValues()) return;
    qx::ParamBlock edited = block;
    qx::EncodeEditorValues(values_, type_, timeZoneBias_, edited);
    // Asked, written and checked while the dialog is open: on a refusal or a failure every edit
    // stays as the user made it.
    if (commit && !commit(edited)) return;
    block = edited;
    committed_ = true;
    clockTimer_->stop();
    QDialog::accept();
}

bool RunSetParamDialog(CSetParamDlg& dialog, qx::ParamBlock& block) {
    if (qx::Prompts().Exec(dialog) != QDialog::Accepted) return false;
    if (!dialog.Committed() && dialog.commit && !dialog.commit(dialog.block)) return false;
    block = dialog.block;
    return true;
}

void CSetParamDlg::UpdateTemperatureUnitLabels() {
    const QString unit =
        temperatureUnit_->checkedId() == 1 ? QStringLiteral("℉") : QStringLiteral("℃");
    temperatureLowUnit_->setText(unit);
    temperatureHighUnit_->setText(unit);
}

QString CSetParamDlg::DurationText() const {
    return duration_->text();
}

void CSetParamDlg::UpdateDuration(int selectedCount) {
    const int32_t count = selectedCount >= 0
                              ? selectedCount
                              : qx::LeadingDecimal(ToUtf8(recordCount_->currentText()));
    const int32_t interval = qx::ParseFieldInt(ToUtf8(interval_->text())).value_or(0);
    duration_->setText(
        ToQString(qx::RecordingDurationText(count, interval, intervalUnit_->currentIndex())));
}

void CSetParamDlg::RangeMessage(QWidget* control, const QString& text) {
    qx::ShowInfo(this, text);
    control->setFocus();
}

// The typing checks leave a field alone while it is empty (or holds only a sign), so that the
// user can clear it to type a new number; OK's validation still catches an empty field.
void CSetParamDlg::CheckInterval() {
    const QString text = interval_->text().trimmed();
    if (text.isEmpty() || text == QLatin1String("-") || text == QLatin1String("+")) return;
    const std::string problem = qx::IntervalRangeMessage(
        qx::ParseFieldInt(ToUtf8(text)).value_or(0), intervalUnit_->currentIndex());
    if (!problem.empty()) {
        RangeMessage(interval_, ToQString(problem));
        return;
    }
    UpdateDuration();
}

void CSetParamDlg::CheckRecordCount() {
    const QString text = recordCount_->currentText().trimmed();
    if (text.isEmpty() || text == QLatin1String("-") || text == QLatin1String("+")) return;
    const int32_t value = qx::LeadingDecimal(ToUtf8(text));
    const int max =
        recordCount_->count() > 0
            ? qx::LeadingDecimal(ToUtf8(recordCount_->itemText(recordCount_->count() - 1)))
            : qx::EditorMaxRecordCount(type_);
    if (const std::string problem = qx::RecordCountRangeMessage(value, max); !problem.empty()) {
        RangeMessage(recordCount_, ToQString(problem));
        return;
    }
    UpdateDuration();
}

bool CSetParamDlg::CheckTemperature(QLineEdit* edit) {
    const QString text = edit->text().trimmed();
    if (text.isEmpty() || text == QLatin1String("-") || text == QLatin1String("+")) return true;
    const std::string problem = qx::TemperatureRangeMessage(
        qx::ParseFieldInt(ToUtf8(text)).value_or(0), temperatureUnitValue_);
    if (!problem.empty()) {
        RangeMessage(edit, ToQString(problem));
        return false;
    }
    return true;
}

void CSetParamDlg::OnTemperatureUnit() {
    // The limits shown follow the unit, so that the instrument gets the limits the user sees;
    // a limit that is not a whole number stays as typed.
    const int from = temperatureUnitValue_;
    const int to = temperatureUnit_->checkedId();
    for (QLineEdit* edit : {temperatureLow_, temperatureHigh_}) {
        if (const std::optional<int32_t> x = qx::ParseFieldInt(ToUtf8(edit->text()))) {
            edit->setText(NumberText(qx::ConvertTemperatureLimit(*x, from, to)));
        }
    }
    temperatureUnitValue_ = to;
    TakeValues();
    temperatureUnitValue_ = temperatureUnit_->checkedId();
    UpdateTemperatureUnitLabels();
    CheckTemperature(temperatureLow_);
    CheckTemperature(temperatureHigh_);
}

void CSetParamDlg::OnCyclic() {
    recordCount_->setEnabled(!cyclic_->isChecked());
}

void CSetParamDlg::ShowClock() {
    clock_->setText(ToQString(qx::FormatLocalTime(now(), "%Y-%m-%d %H:%M:%S")));
}

bool CSetParamDlg::ShownBlock(qx::ParamBlock& out) {
    Initialise();
    if (!TakeValues()) return false;
    out = block;
    qx::EncodeEditorValues(values_, type_, timeZoneBias_, out);
    if (out.SetTime() == 0) out.SetU32(qx::param::kSetTime, 1);
    return true;
}

namespace {

qx::FileDialogRequest ProfileRequest(bool save) {
    qx::FileDialogRequest request;
    request.title = save ? QCoreApplication::translate("qx::CSetParamDlg", "保存参数配置")
                         : QCoreApplication::translate("qx::CSetParamDlg", "载入参数配置");
    request.filter = QCoreApplication::translate("qx::CSetParamDlg", "参数配置文件 (*.ini)");
    request.defaultSuffix = QStringLiteral("ini");
    request.save = save;
    return request;
}

// A profile is a few hundred bytes; anything far larger is not one.
constexpr qint64 kMaxProfileBytes = 64 * 1024;

}  // namespace

void CSetParamDlg::SaveProfile() {
    qx::ParamBlock shown;
    if (!ShownBlock(shown)) return;
    const QString path = qx::Prompts().FileName(this, ProfileRequest(true), nullptr);
    if (path.isEmpty()) return;
    QSaveFile file(path);
    const QByteArray text =
        QByteArray::fromStdString(qx::ProfileText(shown, type_, profileIdentity_->isChecked()));
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit()) {
        qx::ShowWarning(this, ToQString(SaveFailedMessage(ToUtf8(path))));
    }
}

void CSetParamDlg::LoadProfile() {
    Initialise();
    const QString path = qx::Prompts().FileName(this, ProfileRequest(false), nullptr);
    if (path.isEmpty()) return;
    QFile file(path);
    QByteArray text;
    if (file.open(QIODevice::ReadOnly)) text = file.read(kMaxProfileBytes + 1);
    if (!file.isOpen() || file.error() != QFileDevice::NoError || text.size() > kMaxProfileBytes) {
        qx::ShowWarning(this, tr("文件:%1 不能打开!").arg(path));
        return;
    }
    qx::ParamProfile profile;
    std::string problem;
    if (!qx::ParseProfile(text.toStdString(), profile, problem)) {
        qx::ShowWarning(this, tr("文件:%1 %2").arg(path, ToQString(problem)));
        return;
    }
    std::vector<qx::ParamSetting> settings;
    std::vector<std::string> skipped;
    if (!qx::ProfileSettingsFor(profile, type_, settings, skipped, problem)) {
        qx::ShowWarning(this, ToQString(problem));
        return;
    }
    // The profile goes over what the controls show, and must pass as if typed.
    qx::ParamBlock shown;
    if (!ShownBlock(shown)) return;
    qx::ParamSettings current(shown, type_);
    // One profile must not give two instruments one number: say what it would change and ask.
    QStringList changes;
    for (const auto& [key, value] : settings) {
        if (qx::IsIdentityKey(key) && qx::Trim(value) != current.Value(key)) {
            changes << QStringLiteral("%1: %2 → %3")
                           .arg(ToQString(qx::ParamKeyLabel(key)), ToQString(current.Value(key)),
                                ToQString(qx::Trim(value)));
        }
    }
    if (!changes.isEmpty() &&
        !qx::AskOkCancel(this, tr("这个配置将改变本仪器的编号或名称:\n%1\n\n"
                                  "确定: 一起改变; 取消: 保留本仪器的编号和名称, 只载入其他参数.")
                                   .arg(changes.join(QLatin1Char('\n'))))) {
        std::erase_if(settings,
                      [](const qx::ParamSetting& s) { return qx::IsIdentityKey(s.first); });
    }
    qx::ParamBlock loaded;
    if (!current.SetGroup(settings, problem) || !current.Encode(timeZoneBias_, loaded, problem)) {
        qx::ShowWarning(this, ToQString(problem));
        return;
    }
    qx::FillEditorValues(values_, loaded, type_);
    PutValues();
    const bool cyclic = qx::EditorShows(qx::EditorSection::kCyclic, type_);
    cyclic_->setChecked(cyclic && loaded.RecordCountSetting() == qx::param::kCyclicSetting);
    if (cyclic) recordCount_->setEnabled(!cyclic_->isChecked());
    UpdateDuration();
    if (!skipped.empty()) {
        QStringList names;
        for (const std::string& key : skipped)
            names << ToQString(key);
        qx::ShowInfo(this, tr("%1没有这些参数, 已跳过: %2")
                               .arg(ToQString(qx::ModelName(type_)), names.join(", ")));
    }
}

}  // namespace qx
