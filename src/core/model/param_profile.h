// The parameter editor's values by name, for scripts and saved profiles: one stable ASCII key
// per editor value ("address", "temp-low", "start", ...), the values as text, and profiles,
// UTF-8 INI files with a [qxlog-profile] section:
//
//   [qxlog-profile]
//   model=QX450
//   address=1
//   interval=5min
//   temp-low=5
//   ...
//
// ParamSettings starts from a block as the editor opens it, takes KEY=VALUE settings in groups
// (a profile, the --set options) and makes the block the editor's OK would make: the range
// checks made while typing, then the validation of every field in the editor's order with its
// messages (TakeEditorFields), then EncodeEditorValues. Messages are UTF-8 and begin with the
// key they concern. After a write, ReadBackDifference compares what the instrument holds with
// what was asked.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "instrument_catalogue.h"
#include "param_block.h"
#include "param_editor_values.h"

namespace qx {

// Every key, in the order profiles list them. Two more are taken but never listed or written:
// "interval-unit" (the unit of a bare "interval" number) and "gas-high", the older name of the
// gas limit: on one instrument it is that model's own gas limit, in a profile the gas limit of
// the profile's model.
std::span<const char* const> ParamKeyNames();
bool IsParamKey(std::string_view key);
// The key is one of the values the editor offers for the model (humidity limits not on a
// QX420B, speed and weighting only on the QX390, ...).
bool ModelHasParamKey(std::string_view key, InstrumentTypeId type);
// What a key takes on a model, for listing: "1..254", "C|F", "20..21000|cyclic", ...
std::string ParamKeyRange(std::string_view key, InstrumentTypeId type);
// The setting a key names, as the parameter list and the editor call it ("温度报警低值"), in
// the current language.
std::string ParamKeyLabel(std::string_view key);
// The key of the model's gas limit: "co2-high" (ppm) or "hcho-high" (mg/m3); empty for a model
// without one. Gas limits carry their gas in the key, since the one field holds ppm CO2 on one
// model and mg/m3 formaldehyde on another.
std::string_view GasKeyOf(InstrumentTypeId type);
// The instrument number and measurement name, which tell one instrument from another.
bool IsIdentityKey(std::string_view key);

using ParamSetting = std::pair<std::string, std::string>;

class ParamSettings {
  public:
    // The values the editor shows for `block` (the defaults when its set time is 0).
    ParamSettings(const ParamBlock& block, InstrumentTypeId type);

    InstrumentTypeId Type() const { return type_; }
    // Takes one setting. False, with `problem` naming the key and why, for an unknown key, a key
    // the model does not have or a value of the wrong form; the settings are then unchanged.
    // A new temperature unit converts the limits shown to it.
    bool Set(std::string_view key, std::string_view value, std::string& problem);
    // Takes the settings given together (one profile, or the --set options of one command) as
    // one: its temperature limits are in the unit the group gives (its last temp-unit), else in
    // the unit in force before the group, whatever the order of its lines; a new unit converts
    // only the limits the group does not give. False at the first setting refused, with
    // `problem`; the settings are then unchanged.
    bool SetGroup(std::span<const ParamSetting> settings, std::string& problem);
    // The current value of a key as Set takes it; empty for a key the model does not have.
    std::string Value(std::string_view key) const;
    // The listed keys Set was given, each once, in the order first given ("gas-high" as the
    // model's gas key, "interval-unit" as "interval").
    const std::vector<std::string>& GivenKeys() const { return given_; }

    // The block the editor's OK makes of the settings, into `block` (which starts as the block
    // given at construction). False with `problem` at the first failure, `block` unchanged.
    // Number and name bytes that no setting changed are kept exactly (and not checked as if
    // typed), and so are the temperature limits as given (the block's, or as given in a unit
    // changed since: the instrument keeps tenths of a degree Celsius, the settings show whole
    // degrees).
    bool Encode(int16_t timeZoneBias, ParamBlock& block, std::string& problem) const;

  private:
    bool SetValue(std::string_view key, std::string_view value, std::string& problem);
    void Given(std::string_view key);

    InstrumentTypeId type_;
    ParamBlock base_;
    ParamEditorValues values_;
    EditorFieldTexts texts_;
    std::vector<std::string> given_;
    std::string gasKeyName_ = std::string(GasKeyOf(type_));  // as given, for messages
    bool numberSet_ = false;
    bool nameSet_ = false;
    bool intervalSet_ = false;
    bool countSet_ = false;
    bool temperatureSet_[2] = {false, false};  // to be range-checked as typed
    // The temperature limits' fields while their texts are only shown converted (the block's,
    // or a limit given in a unit since changed); nullopt while a text is as given.
    std::optional<uint16_t> limitField_[2];
};

// The profile of a block: the section, model=NAME and KEY=VALUE for every key the model has;
// the instrument number and name only `withIdentity`. A value holding a control character
// (a block written by other software) would read back as more than one line: its line is left
// out and its key added to `omitted`.
std::string ProfileText(const ParamBlock& block, InstrumentTypeId type, bool withIdentity,
                        std::vector<std::string>* omitted = nullptr);

struct ParamProfile {
    InstrumentTypeId model = 0;  // 0 when the profile names none
    std::string modelName;
    std::vector<ParamSetting> settings;  // in file order
};
// Reads a profile's text. Blank lines and lines starting with ';' or '#' are skipped, blanks
// around keys and values removed, a UTF-8 byte order mark and CR line ends accepted; gas-high
// becomes the gas key of the profile's model. False with `problem` (naming the line) for
// anything else: text outside the [qxlog-profile] section, another section, a line without '=',
// an unknown key, a key given twice, gas-high without a model that measures a gas, text not
// UTF-8.
bool ParseProfile(std::string_view text, ParamProfile& profile, std::string& problem);

// The settings of a profile that a model takes, in file order: keys the model does not have
// (humidity limits on a QX420B, count=cyclic outside the QX450) are left out and named in
// `skipped`. False with `problem` for the gas limit of another gas than the model measures.
bool ProfileSettingsFor(const ParamProfile& profile, InstrumentTypeId type,
                        std::vector<ParamSetting>& settings, std::vector<std::string>& skipped,
                        std::string& problem);

// A setting that the instrument holds otherwise than it was asked or written.
struct SettingDifference {
    std::string key;
    std::string asked;
    std::string held;
};
// Compares the block read back after a write (`held`) with what was asked: every key given to
// `asked` (when there is one) with its value there, every other key of the model with the block
// written, and the temperature limits' fields exactly (the values show whole degrees). The first
// difference, or nullopt.
std::optional<SettingDifference> ReadBackDifference(const ParamSettings* asked,
                                                    const ParamBlock& written,
                                                    const ParamBlock& held, InstrumentTypeId type);
// "参数写入后读回检查不一致: 甲醛报警值 应为 0.5, 仪器中为 0.51!"
std::string ReadBackMessage(const SettingDifference& difference);

}  // namespace qx
