// CSetParamDlg, "设置仪器参数": the editor of the connected instrument's settings. The caller
// copies SetParams into `block`, sets `commit` and runs the dialog (RunSetParamDialog); OK hands
// the edited block to `commit` while the dialog is still open (the question before stored
// samples are cleared, the write, the read-back), and closes only when it succeeds, so that
// a refused question or a failed write leaves every edit on screen. The dialog itself never
// talks to the instrument.
//
// It shows only the setting groups the model has, converts between the display units and the
// block's codings (param_editor_values.h), warns while the user types a number out of range
// ("数值范围应在1-%d之间!", "数值范围应在%d-%d之间!"), converts the temperature limits shown when
// the unit changes, shows the recording duration of the chosen record count and interval, and
// the PC's clock. OK validates every field in a fixed order (TakeEditorFields), with the
// standard field messages, before anything reaches `block`.
//
// The controls are filled just before the dialog is first shown. A prompt handler that drives the
// dialog without showing it calls Initialise() first; accept() initialises too when needed.
#pragma once

#include <QDialog>
#include <QString>
#include <functional>
#include <map>
#include <vector>

#include "core/model/instrument_catalogue.h"
#include "core/model/param_block.h"
#include "core/model/param_editor_values.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;

namespace qx {

class CSetParamDlg : public QDialog {
    Q_OBJECT
  public:
    CSetParamDlg(qx::InstrumentTypeId type, int16_t timeZoneBias, QWidget* parent = nullptr);
    ~CSetParamDlg() override;

    // The settings edited: filled by the caller before the dialog runs, written by OK.
    qx::ParamBlock block;
    // The PC clock the dialog shows (UTC seconds); the system's unless the caller sets one
    // before the dialog runs.
    std::function<int64_t()> now;
    // Called by OK with the edited block; false keeps the dialog open. Unset: OK closes.
    std::function<bool(const qx::ParamBlock&)> commit;
    // OK closed the dialog with the edits committed.
    bool Committed() const { return committed_; }

    // Fills the lists for the model, shows its groups, fills the controls from `block` (or
    // applies the defaults when its set time is 0) and starts the clock. Runs once.
    void Initialise();
    // "默认参数": `block` becomes the default block of the model and the controls show it.
    void ApplyDefaults();
    // Validates every field (showing the first failure's message and focusing its control),
    // encodes the values, commits them and, once committed, puts them into `block` and closes
    // with OK; stays open on a failure.
    void accept() override;
    // "保存配置...": the values shown, validated as OK does, as a profile file (param_profile.h);
    // the number and the name only when "含编号和名称" is checked.
    void SaveProfile();
    // "载入配置...": a profile's values into the controls, checked as if typed, under the rules of
    // ParamSettings::SetGroup; keys the model does not have are skipped and named, a gas limit of
    // another gas refused. When the profile would change the number or the name, it shows both
    // and asks: OK takes them, Cancel keeps this instrument's own and loads the rest.
    void LoadProfile();

    qx::InstrumentTypeId Type() const { return type_; }
    // The duration text shown (static 1046).
    QString DurationText() const;

    void setVisible(bool visible) override;

  private:
    enum class Group {
        kPressure,
        kLedAlarm,
        kHumidity,
        kFlow,
        kTemperature,
        kSound,
        kSpeedWeighting,
        kGas,
        kCyclic,
        kStartDelay,
    };

    void BuildControls();
    void ShowGroup(Group group, bool on);
    void FillFromBlock();
    void PutValues();
    // Takes the values from the controls in the validation order; false at the first failure
    // (its message shown, its control focused).
    bool TakeValues();
    QLineEdit* FieldEdit(qx::EditorField field) const;
    // The block OK would make of the values shown, its set time kept nonzero so that it is not
    // taken for an empty one; false after showing the first failure.
    bool ShownBlock(qx::ParamBlock& out);
    void UpdateTemperatureUnitLabels();
    void UpdateDuration(int selectedCount = -1);
    void CheckInterval();
    void CheckRecordCount();
    bool CheckTemperature(QLineEdit* edit);
    void OnTemperatureUnit();
    void OnCyclic();
    void ShowClock();
    void RangeMessage(QWidget* control, const QString& text);
    void FieldMessage(QLineEdit* control, const QString& text);

    qx::InstrumentTypeId type_;
    int16_t timeZoneBias_;
    qx::ParamEditorValues values_;
    bool initialised_ = false;
    bool committed_ = false;
    std::map<Group, std::vector<QWidget*>> groups_;

    QLineEdit* address_ = nullptr;
    QLineEdit* number_ = nullptr;
    QLineEdit* name_ = nullptr;
    QComboBox* recordCount_ = nullptr;
    QCheckBox* cyclic_ = nullptr;
    QLineEdit* interval_ = nullptr;
    QComboBox* intervalUnit_ = nullptr;
    QLabel* duration_ = nullptr;
    QComboBox* led_ = nullptr;
    QComboBox* alarmMode_ = nullptr;
    QComboBox* pressureUnit_ = nullptr;
    QComboBox* flowUnit_ = nullptr;
    QLineEdit* flow_[3] = {};
    QButtonGroup* temperatureUnit_ = nullptr;
    QLineEdit* temperatureLow_ = nullptr;
    QLineEdit* temperatureHigh_ = nullptr;
    QLabel* temperatureLowUnit_ = nullptr;
    QLabel* temperatureHighUnit_ = nullptr;
    QLineEdit* humidityLow_ = nullptr;
    QLineEdit* humidityHigh_ = nullptr;
    QLineEdit* soundLow_ = nullptr;
    QLineEdit* soundHigh_ = nullptr;
    QButtonGroup* speed_ = nullptr;
    QButtonGroup* weighting_ = nullptr;
    QLabel* gasLabel_ = nullptr;
    QLineEdit* gasLimit_ = nullptr;
    QLabel* gasUnit_ = nullptr;
    QLineEdit* startDelay_ = nullptr;
    QLineEdit* clock_ = nullptr;
    QButtonGroup* startMode_ = nullptr;
    QCheckBox* profileIdentity_ = nullptr;
    QTimer* clockTimer_ = nullptr;
    // The temperature unit as last taken from the radios: the typing check's range.
    int temperatureUnitValue_ = 0;
};

// Runs the editor through the prompt seam (Prompts().Exec). True when it closed with OK and its
// edits were committed, with `block` = the edited block. A dialog that ends accepted without its
// OK having run (a prompt handler's answer) commits its `block` then.
bool RunSetParamDialog(CSetParamDlg& dialog, qx::ParamBlock& block);

}  // namespace qx
