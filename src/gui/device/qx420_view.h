// CQX420View, the device panel: the main window's first view and the user's console for the
// connected instrument. Its top row holds the automatic-reading switch with its interval and
// the six instrument buttons; the left part (the panel area) shows the instrument picture on a
// tiled texture with the live readings over its display window; the right part shows the set
// parameters above and the recorded parameters below.
//
// The view owns no instrument logic: its buttons ask the main window to run a command
// (commandRequested), the main window calls UpdataControl after connect, disconnect and every
// poll, RefreshDisp after every successful status read, and FillParamList to show a block.
#pragma once

#include <QRect>
#include <QWidget>
#include <array>
#include <functional>

#include "core/link/instrument_state.h"
#include "core/link/instrument_ui.h"
#include "core/link/live_status_texts.h"
#include "core/model/param_block.h"
#include "gui/common/my_list_ctrl.h"
#include "live_panel_ctrl.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;

namespace qx {

class CQX420View : public QWidget {
    Q_OBJECT
  public:
    // The main window's command ids that the buttons send.
    static constexpr int kCmdSetParams = 32775;       // "设置参数"
    static constexpr int kCmdReceiveData = 32776;     // "接收数据"
    static constexpr int kCmdCalibrateClock = 32785;  // "校正时钟"
    static constexpr int kCmdRefreshQuery = 32788;    // "刷新"
    static constexpr int kCmdReadParams = 32793;      // "读入参数"
    static constexpr int kCmdStopRecord = 32798;      // "停止记录"

    // Dialog units of the view's layout, in pixels (the base units of the 14-pixel "宋体"
    // dialog font: 7 / 4 across and 14 / 8 down).
    static int DluX(int units);
    static int DluY(int units);

    // state: the shared instrument state (type, live, liveValid, statusOk); connected: whether
    // an instrument is chosen.
    CQX420View(const qx::InstrumentState& state, std::function<bool()> connected,
               QWidget* parent = nullptr);
    ~CQX420View() override;

    // Once, after creation: the polling settings shown by the check box and the interval list
    // (1..5 s), the lists' columns, the canvas for the current type, the layout and UpdataControl.
    // Emits nothing.
    void FirstShow(bool autoRead, int intervalSeconds);
    // Enables the interval list and the six buttons exactly while connected (the check box stays
    // enabled), re-creates the canvas when the current type needs another height, then runs
    // RefreshDisp.
    void UpdataControl();
    // While the live status is valid: draws the live readings into the canvas and shows it at
    // once when the last status read succeeded.
    void RefreshDisp();
    // Fills a parameter list for the current type with the texts of block (nullptr: the labels
    // with empty texts).
    void FillParamList(qx::ParamListKind list, const qx::ParamBlock* block);
    bool AutoRead() const;
    int IntervalSeconds() const;

    // The parts, for the main window's tests and screenshots.
    CMyListCtrl& ParamList(qx::ParamListKind list);
    const CTestCtrl& Panel() const { return panel_; }
    // The panel area: from the view's left edge to the lists' left edge, below the top row.
    QRect PanelArea() const { return panelArea_; }
    QPushButton* Button(int commandId) const;
    QCheckBox* AutoReadBox() const { return autoRead_; }
    QComboBox* IntervalList() const { return interval_; }

  signals:
    // A button was pressed: one of the kCmd ids above.
    void commandRequested(int id);
    // The automatic-reading check box was clicked.
    void autoReadChanged(bool on);
    // Another polling interval was chosen (seconds, 1..5).
    void intervalChanged(int seconds);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    void PlaceTopRow();
    void Layout();
    QColor TextColour() const;

    const qx::InstrumentState& state_;
    std::function<bool()> connected_;
    CTestCtrl panel_;
    qx::LiveStatusTexts liveTexts_;
    qx::ParamTexts paramTexts_;
    QRect panelArea_;

    QCheckBox* autoRead_ = nullptr;
    QLabel* intervalLabel_ = nullptr;
    QComboBox* interval_ = nullptr;
    struct CommandButton {
        int id;
        QPushButton* button;
    };
    std::array<CommandButton, 6> buttons_{};
    CMyListCtrl* setList_ = nullptr;
    CMyListCtrl* recordedList_ = nullptr;
};

}  // namespace qx
