// How the instrument commands talk to the user. The window program implements it with its
// dialogs and views, the command-line tool with the console, tests with a recorder. Texts are
// UTF-8; every message box has the application title as its caption.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "core/model/param_block.h"

namespace qx {

enum class ParamListKind {
    kSet,       // the set-parameter list (SetParams)
    kRecorded,  // the recorded-parameter list (RecordedParams)
};

class InstrumentUi {
  public:
    virtual ~InstrumentUi() = default;
    // Message box with the exclamation icon.
    virtual void ShowWarning(const std::string& text) = 0;
    // Message box with the information icon.
    virtual void ShowInfo(const std::string& text) = 0;
    // OK / Cancel question with the question icon; true on OK.
    virtual bool ConfirmOkCancel(const std::string& text) = 0;
    // The device choice dialog: names in order, `preselected` selected; returns the chosen
    // index, or -1 on Cancel or no selection.
    virtual int ChooseDevice(const std::vector<std::string>& names, int preselected) = 0;
    // The parameter editor on `block` (a copy of SetParams). On OK, while the editor is still
    // open, it hands the edited block to `commit`, which asks what it must, writes and checks
    // (and tells the user why when it fails): true closes the editor and EditParams returns true
    // with the edits in `block`; false keeps the editor open with every edit as it was. False
    // when the editor is cancelled.
    virtual bool EditParams(ParamBlock& block,
                            const std::function<bool(const ParamBlock&)>& commit) = 0;
    // Fills a parameter list of the device panel for the current model: with the texts of
    // `block`, or the labels with empty texts when block is nullptr.
    virtual void ShowParams(ParamListKind list, const ParamBlock* block) = 0;
    // The device panel's UpdataControl: enable its buttons while connected, redraw.
    virtual void UpdataControl() = 0;
    // The device panel's RefreshDisp: redraw the live values. Called synchronously from
    // inside every successful status read.
    virtual void RefreshDisp() = 0;
    // Switch to the device panel unless it is the shown view.
    virtual void ShowDevicePanel() = 0;
};

}  // namespace qx
