// CDlgWaitInfo: the borderless wait popup that shows the download's progress. The main window
// creates it hidden at start-up (parent = the main window) and drives it:
//
//   popup.CenterOver(mainWindow);
//   popup.SetLines(2, "正在接收数据,请稍候...", "");
//   popup.BeginProgress(n);           // disables the parent, wait cursor, mouse capture, timer
//   popup.show(); popup.RepaintNow(); popup.SetBarPos(0);
//   for each block: popup.SetLine(1, "44%(20/45)"); popup.SetPos(d + k);
//                   popup.RepaintNow(); popup.SetBarPos(d + k);
//   popup.Finish();                   // it hides itself on its next timer tick
//
// Its own timer ticks every 1000 ms: once the position has reached a nonzero total the popup
// marks itself finished and ticks again after 300 ms; a tick while finished hides the popup,
// releases the capture and the wait cursor and enables and focuses the parent. With total 0
// only Finish() ends it.
#pragma once

#include <QBasicTimer>
#include <QColor>
#include <QRect>
#include <QString>
#include <QWidget>
#include <array>

class QProgressBar;

namespace qx {

class CDlgWaitInfo : public QWidget {
    Q_OBJECT
  public:
    // 172 x 50 dialog units of the 宋体 dialog font; the bar takes the bottom 13 units. A line
    // longer than the width (English) widens the popup around its centre.
    static constexpr int kWidth = 258;
    static constexpr int kHeight = 75;
    static constexpr int kBarHeight = 20;
    static constexpr int kMaxLineLength = 127;  // characters of one text line
    static constexpr int kLineMargin = 8;       // beside a line that makes the popup wider
    static constexpr int kSlowTickMs = 1000;
    static constexpr int kFastTickMs = 300;
    static inline const QColor kBarColour{192, 192, 210};
    static inline const QColor kLine0Colour{200, 0, 220};
    static inline const QColor kOtherLineColour{0, 0, 220};
    static inline const QColor kRule1Colour{110, 0, 255};
    static inline const QColor kRule2Colour{155, 155, 255};

    explicit CDlgWaitInfo(QWidget* parent = nullptr);
    ~CDlgWaitInfo() override;

    // Moves the popup, keeping its size, so that its centre is the centre of `window` (of the
    // primary screen's available area when null).
    void CenterOver(QWidget* window);

    // Disables the parent, stops the timer, shows the wait cursor, takes the mouse capture
    // unless held; position 0, total = total, not finished; the timer starts with 1000 ms;
    // the bar's range becomes 0..total at 0.
    void BeginProgress(int total);

    // Text lines: count 0..2 (0 draws nothing); texts are cut to 127 characters.
    void SetLines(int count, const QString& line0, const QString& line1 = QString());
    void SetLineCount(int count);
    void SetLine(int index, const QString& text);
    int LineCount() const { return lineCount_; }
    QString Line(int index) const;

    // The progress position that the finishing rule compares with the total.
    void SetPos(int position) { position_ = position; }
    int Position() const { return position_; }
    int Total() const { return total_; }
    // The bar's position, kept inside its range.
    void SetBarPos(int position);
    int BarPos() const;

    // Paints the popup at once (not waiting for the event loop).
    void RepaintNow();

    // Marks the work done: the next timer tick closes the popup.
    void Finish() { finished_ = true; }
    bool IsFinished() const { return finished_; }

    // The timer's tick (public so that the owner's tests can drive it): see the header note.
    void OnTimer();
    // The running timer's period in ms; 0 when stopped.
    int TimerInterval() const { return timer_.isActive() ? interval_ : 0; }

    // The text area above the bar, and the band of each text line in it (empty for a line
    // beyond the line count).
    QRect TextArea() const;
    QRect LineBand(int index) const;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    void FitWidth();
    void StartTimer(int ms);
    void TakeCapture();
    void ReleaseAll();

    QProgressBar* bar_ = nullptr;
    QBasicTimer timer_;
    int interval_ = 0;
    bool finished_ = false;
    int position_ = 0;
    int total_ = 0;
    int lineCount_ = 0;
    std::array<QString, 2> lines_;
    bool cursorShown_ = false;
    bool progressActive_ = false;
};

}  // namespace qx
