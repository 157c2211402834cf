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
// ParamSettings starts from a block as the editor opens it, takes KEY=VALUE settings in order and
// makes the block the editor's OK would make: the range checks made while typing, then the
// validation of every field in the editor's order with its messages (TakeEditorFields), then
// EncodeEditorValues. Messages are UTF-8 and begin with the key they concern.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "instrument_catalogue.h"
#include "param_block.h"
#include "param_editor_values.h"

namespace qx {

// Every key, in the order profiles list them.
std::span<const char* const> ParamKeyNames();
bool IsParamKey(std::string_view key);
// The key is one of the values the editor offers for the model (humidity limits not on a
// QX420B, speed and weighting only on the QX390, ...).
bool ModelHasParamKey(std::string_view key, InstrumentTypeId type);
// What a key takes on a model, for listing: "1..254", "C|F", "20..21000|cyclic", ...
std::string ParamKeyRange(std::string_view key, InstrumentTypeId type);

class ParamSettings {
  public:
    // The values the editor shows for `block` (the defaults when its set time is 0).
    ParamSettings(const ParamBlock& block, InstrumentTypeId type);

    InstrumentTypeId Type() const { return type_; }
    // Takes one setting. False, with `problem` naming the key and why, for an unknown key, a key
    // the model does not have or a value of the wrong form; the settings are then unchanged.
    bool Set(std::string_view key, std::string_view value, std::string& problem);
    // The current value of a key as Set takes it; empty for a key the model does not have.
    std::string Value(std::string_view key) const;

    // The block the editor's OK makes of the settings, into `block` (which starts as the block
    // given at construction). False with `problem` at the first failure, `block` unchanged.
    // Number bytes that no setting changed are kept exactly.
    bool Encode(int16_t timeZoneBias, ParamBlock& block, std::string& problem) const;

  private:
    InstrumentTypeId type_;
    ParamBlock base_;
    ParamEditorValues values_;
    EditorFieldTexts texts_;
    bool numberSet_ = false;
    bool intervalSet_ = false;
    bool countSet_ = false;
    bool temperatureSet_[2] = {false, false};
};

// The profile of a block: the section, model=NAME and KEY=VALUE for every key the model has.
std::string ProfileText(const ParamBlock& block, InstrumentTypeId type);

struct ParamProfile {
    InstrumentTypeId model = 0;  // 0 when the profile names none
    std::string modelName;
    std::vector<std::pair<std::string, std::string>> settings;  // in file order
};
// Reads a profile's text. Blank lines and lines starting with ';' or '#' are skipped, blanks
// around keys and values removed, a UTF-8 byte order mark and CR line ends accepted. False with
// `problem` (naming the line) for anything else: text outside the [qxlog-profile] section,
// another section, a line without '=', an unknown key, a key given twice, text not UTF-8.
bool ParseProfile(std::string_view text, ParamProfile& profile, std::string& problem);

}  // namespace qx
