#include "dlg_wait_info.h"

#include <QGuiApplication>
#include <QPainter>
#include <QProgressBar>
#include <QScreen>
#include <QTimerEvent>
#include <algorithm>

#include "core/model/language.h"
#include "gui/common/app_fonts.h"

namespace qx {

CDlgWaitInfo::CDlgWaitInfo(QWidget* parent) : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint) {
    setFixedSize(kWidth, kHeight);
    // The font of the text lines: 宋体, 16 pixels high, 8 wide, normal weight.
    setFont(MakeFont(QString::fromUtf8(NoTr("宋体")), 16, 8, 400));
    bar_ = new QProgressBar(this);
    bar_->setObjectName(QStringLiteral("waitProgress"));
    bar_->setTextVisible(false);
    bar_->setRange(0, 1);
    bar_->setValue(0);
    bar_->setGeometry(0, kHeight - kBarHeight, kWidth, kBarHeight);
    // A smooth bar in its own colour, the same while the popup shares its parent's disabling.
    bar_->setStyleSheet(QStringLiteral("QProgressBar { border: 1px solid #8c8ca8; background: "
                                       "#f4f4f8; } QProgressBar::chunk { background: %1; }")
                            .arg(kBarColour.name()));
    hide();
}

CDlgWaitInfo::~CDlgWaitInfo() {
    ReleaseAll();
}

void CDlgWaitInfo::CenterOver(QWidget* window) {
    QPoint centre;
    if (window) {
        centre = window->mapToGlobal(window->rect().center());
        if (window->isWindow()) centre = window->frameGeometry().center();
    } else if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        centre = screen->availableGeometry().center();
    }
    move(centre.x() - width() / 2, centre.y() - height() / 2);
}

void CDlgWaitInfo::BeginProgress(int total) {
    if (QWidget* parent = parentWidget()) parent->setEnabled(false);
    timer_.stop();
    if (!cursorShown_) {
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        cursorShown_ = true;
    }
    progressActive_ = true;
    TakeCapture();
    position_ = 0;
    total_ = total;
    finished_ = false;
    StartTimer(kSlowTickMs);
    // Range 0..total; a total of 0 keeps 0..1 (Qt draws 0..0 as a busy bar).
    bar_->setRange(0, std::max(total, 1));
    bar_->setValue(0);
}

void CDlgWaitInfo::SetLines(int count, const QString& line0, const QString& line1) {
    SetLine(0, line0);
    SetLine(1, line1);
    SetLineCount(count);
}

void CDlgWaitInfo::SetLineCount(int count) {
    lineCount_ = std::clamp(count, 0, 2);
}

void CDlgWaitInfo::SetLine(int index, const QString& text) {
    if (index < 0 || index > 1) return;
    lines_[static_cast<size_t>(index)] = text.left(kMaxLineLength);
    FitWidth();
}

void CDlgWaitInfo::FitWidth() {
    // The designed width, or wider for a longer line (English), around the same centre.
    int widest = 0;
    for (const QString& line : lines_)
        widest = std::max(widest, fontMetrics().horizontalAdvance(line));
    const int wanted = std::max(kWidth, widest + 2 * kLineMargin);
    if (wanted == width()) return;
    const int centre = x() + width() / 2;
    setFixedSize(wanted, kHeight);
    move(centre - wanted / 2, y());
    bar_->setGeometry(0, kHeight - kBarHeight, wanted, kBarHeight);
}

QString CDlgWaitInfo::Line(int index) const {
    return index < 0 || index > 1 ? QString() : lines_[static_cast<size_t>(index)];
}

void CDlgWaitInfo::SetBarPos(int position) {
    bar_->setValue(std::clamp(position, bar_->minimum(), bar_->maximum()));
}

int CDlgWaitInfo::BarPos() const {
    return bar_->value();
}

void CDlgWaitInfo::RepaintNow() {
    repaint();
}

void CDlgWaitInfo::OnTimer() {
    if (!finished_) {
        if (progressActive_) TakeCapture();
        if (total_ != 0 && position_ >= total_) {
            finished_ = true;
            StartTimer(kFastTickMs);
        }
        return;
    }
    ReleaseAll();
    hide();
    timer_.stop();
    interval_ = 0;
    if (QWidget* parent = parentWidget()) {
        parent->setEnabled(true);
        parent->activateWindow();
        parent->setFocus();
    }
    total_ = 0;
    position_ = 0;
    finished_ = false;
}

QRect CDlgWaitInfo::TextArea() const {
    return QRect(0, 0, width(), height() - kBarHeight);
}

QRect CDlgWaitInfo::LineBand(int index) const {
    if (lineCount_ == 0 || index < 0 || index >= lineCount_) return {};
    const QRect area = TextArea();
    const int lh = (area.height() - 10) / lineCount_;
    const int rest = (area.height() - 10) % lineCount_;
    int top = area.top() + rest / 2 + 4;
    for (int i = 0; i < index; ++i)
        top += lh + (i == 0 ? 6 : 0);
    return QRect(area.left(), top, area.width(), lh);
}

void CDlgWaitInfo::paintEvent(QPaintEvent*) {
    if (lineCount_ == 0) return;
    QPainter p(this);
    const QRect area = TextArea();
    // Background: row y of the left column gets red (255 - 2y) mod 256, green (255 - y) mod
    // 256 and blue 255, stretched over the width.
    for (int y = 0; y < area.height(); ++y) {
        p.setPen(QColor((255 - 2 * y) & 0xFF, (255 - y) & 0xFF, 255));
        p.drawLine(area.left(), area.top() + y, area.right(), area.top() + y);
    }
    p.setFont(font());
    for (int i = 0; i < lineCount_; ++i) {
        const QRect band = LineBand(i);
        p.setPen(i == 0 ? kLine0Colour : kOtherLineColour);
        p.drawText(band, Qt::AlignCenter | Qt::TextSingleLine, lines_[static_cast<size_t>(i)]);
        if (i == 0) {
            const int y1 = band.top() + band.height() + 2;
            p.setPen(kRule1Colour);
            p.drawLine(area.left(), y1, area.right(), y1);
            p.setPen(kRule2Colour);
            p.drawLine(area.left(), y1 + 1, area.right(), y1 + 1);
        }
    }
}

void CDlgWaitInfo::timerEvent(QTimerEvent* event) {
    if (event->timerId() == timer_.timerId()) {
        OnTimer();
        return;
    }
    QWidget::timerEvent(event);
}

void CDlgWaitInfo::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // A capture asked for while hidden is taken now.
    if (progressActive_ && !finished_) TakeCapture();
}

void CDlgWaitInfo::StartTimer(int ms) {
    interval_ = ms;
    timer_.start(ms, this);
}

void CDlgWaitInfo::TakeCapture() {
    if (!isVisible() || QWidget::mouseGrabber() == this) return;
    grabMouse(Qt::WaitCursor);
}

void CDlgWaitInfo::ReleaseAll() {
    if (QWidget::mouseGrabber() == this) releaseMouse();
    if (cursorShown_) {
        QGuiApplication::restoreOverrideCursor();
        cursorShown_ = false;
    }
    progressActive_ = false;
}

}  // namespace qx
