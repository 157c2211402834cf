#include "qx420_view.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPaintEvent>
#include <QPainter>
#include <QPushButton>
#include <QResizeEvent>
#include <QSignalBlocker>
#include <algorithm>

#include "gui/common/app_pictures.h"

namespace qx {

namespace {

// Template positions in dialog units.
struct TemplateRect {
    int x, y, w, h;
};
constexpr TemplateRect kAutoReadRect{4, 4, 38, 13};
constexpr TemplateRect kIntervalLabelRect{47, 5, 22, 13};
constexpr TemplateRect kIntervalRect{70, 5, 23, 13};
constexpr int kButtonTop = 3;
constexpr int kButtonHeight = 16;
constexpr int kListLeft = 184;  // left edge of the lists, right edge of the panel area
constexpr int kListTop = 23;    // top of the lists and of the panel area
// The view never gets smaller than its top row, the tallest live panel (the flow meter's) and
// lists that still show both columns' titles.
constexpr int kMinListWidth = 240;
constexpr int kPanelBottomMargin = 8;
constexpr int kCanvasTop = 30;  // the live panel's canvas below the panel area's top

struct ButtonSpec {
    int id;
    const char* text;
    int x, w;
};
constexpr ButtonSpec kButtons[] = {
    {CQX420View::kCmdRefreshQuery, QT_TRANSLATE_NOOP("qx::CQX420View", "刷新"), 97, 34},
    {CQX420View::kCmdCalibrateClock, QT_TRANSLATE_NOOP("qx::CQX420View", "校正时钟"), 141, 41},
    {CQX420View::kCmdReadParams, QT_TRANSLATE_NOOP("qx::CQX420View", "读入参数"), 194, 41},
    {CQX420View::kCmdSetParams, QT_TRANSLATE_NOOP("qx::CQX420View", "设置参数"), 239, 41},
    {CQX420View::kCmdReceiveData, QT_TRANSLATE_NOOP("qx::CQX420View", "接收数据"), 284, 41},
    {CQX420View::kCmdStopRecord, QT_TRANSLATE_NOOP("qx::CQX420View", "停止记录"), 333, 41},
};

}  // namespace

int CQX420View::DluX(int units) {
    return (units * 7 + 2) / 4;
}

int CQX420View::DluY(int units) {
    return (units * 14 + 4) / 8;
}

CQX420View::CQX420View(const qx::InstrumentState& state, std::function<bool()> connected,
                       QWidget* parent)
    : QWidget(parent), state_(state), connected_(std::move(connected)) {
    // The panel fonts are made again for the view, as the instrument state object's were.
    panel_.CreateFonts();
    setAttribute(Qt::WA_OpaquePaintEvent);

    autoRead_ = new QCheckBox(tr("自动刷新"), this);
    autoRead_->setObjectName(QStringLiteral("autoRead"));
    intervalLabel_ = new QLabel(tr("间隔:"), this);
    interval_ = new QComboBox(this);
    interval_->setObjectName(QStringLiteral("interval"));
    for (size_t i = 0; i < buttons_.size(); ++i) {
        auto* button = new QPushButton(tr(kButtons[i].text), this);
        button->setObjectName(QStringLiteral("command%1").arg(kButtons[i].id));
        button->setAutoDefault(false);
        buttons_[i] = {kButtons[i].id, button};
        const int id = kButtons[i].id;
        connect(button, &QPushButton::clicked, this, [this, id] { emit commandRequested(id); });
    }
    setList_ = new CMyListCtrl(this);
    setList_->setObjectName(QStringLiteral("setParamList"));
    recordedList_ = new CMyListCtrl(this);
    recordedList_->setObjectName(QStringLiteral("recordedParamList"));

    connect(autoRead_, &QCheckBox::clicked, this, [this](bool on) {
        emit autoReadChanged(on);
        RefreshDisp();  // the panel's text colour follows the switch
    });
    connect(interval_, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index >= 0) emit intervalChanged(index + 1);
    });

    setList_->setGeometry(DluX(kListLeft), DluY(kListTop), DluX(168), DluY(141));
    recordedList_->setGeometry(DluX(kListLeft), DluY(134), DluX(168), DluY(141));
    panelArea_ = QRect(0, DluY(kListTop), DluX(kListLeft), DluY(253));
}

CQX420View::~CQX420View() {
    panel_.ReleaseCanvas();
}

void CQX420View::FirstShow(bool autoRead, int intervalSeconds) {
    panel_.EnsureCanvas(state_.type);
    SetupParamList(*setList_, tr("设置的参数"));
    SetupParamList(*recordedList_, tr("记录的参数"));
    qx::FillParamList(*setList_, nullptr, 0);
    qx::FillParamList(*recordedList_, nullptr, 0);
    {
        const QSignalBlocker blockInterval(interval_);
        const QSignalBlocker blockAutoRead(autoRead_);
        interval_->clear();
        for (int s = 1; s <= 5; ++s)
            interval_->addItem(QStringLiteral("%1s").arg(s));
        interval_->setCurrentIndex(std::clamp(intervalSeconds, 1, 5) - 1);
        autoRead_->setChecked(autoRead);
    }
    PlaceTopRow();
    Layout();
    UpdataControl();
    update();
}

void CQX420View::UpdataControl() {
    const bool on = connected_ && connected_();
    interval_->setEnabled(on);
    for (const CommandButton& b : buttons_)
        b.button->setEnabled(on);
    autoRead_->setEnabled(true);
    if (panel_.EnsureCanvas(state_.type)) update();
    RefreshDisp();
}

void CQX420View::RefreshDisp() {
    if (!state_.liveValid) return;
    liveTexts_ = qx::MakeLiveStatusTexts(state_.live, state_.type);
    panel_.DrawLivePanel(liveTexts_, state_.type, TextColour());
    if (!panel_.HasCanvas()) return;
    const QRect shown(panel_.CanvasPosition(panelArea_), panel_.Canvas().size());
    // After a successful read the new values appear at once, also inside a command that keeps
    // the event loop waiting; otherwise with the next painting.
    if (state_.statusOk) {
        repaint(shown);
    } else {
        update(shown);
    }
}

void CQX420View::FillParamList(qx::ParamListKind list, const qx::ParamBlock* block) {
    qx::MakeParamTexts(paramTexts_, block, state_.type);
    qx::FillParamList(ParamList(list), &paramTexts_, state_.type);
}

bool CQX420View::AutoRead() const {
    return autoRead_->isChecked();
}

int CQX420View::IntervalSeconds() const {
    return std::max(0, interval_->currentIndex()) + 1;
}

CMyListCtrl& CQX420View::ParamList(qx::ParamListKind list) {
    return list == qx::ParamListKind::kSet ? *setList_ : *recordedList_;
}

QPushButton* CQX420View::Button(int commandId) const {
    for (const CommandButton& b : buttons_) {
        if (b.id == commandId) return b.button;
    }
    return nullptr;
}

QColor CQX420View::TextColour() const {
    const bool on = connected_ && connected_();
    return CTestCtrl::ToQColor(qx::LivePanelTextColour(on, AutoRead()));
}

void CQX420View::PlaceTopRow() {
    // The template's places, widened where the installed font needs more room; every control
    // is centred on the buttons' middle line.
    const int buttonHeight = DluY(kButtonHeight);
    const int middle = DluY(kButtonTop) + buttonHeight / 2;
    int right = 0;
    auto place = [&](QWidget* w, int x, int width, int height) {
        const int left = std::max(DluX(x), right + 4);
        const int wide = std::max(DluX(width), w->sizeHint().width());
        w->setGeometry(left, middle - height / 2, wide, height);
        right = left + wide;
    };
    place(autoRead_, kAutoReadRect.x, kAutoReadRect.w,
          std::max(DluY(kAutoReadRect.h), autoRead_->sizeHint().height()));
    place(intervalLabel_, kIntervalLabelRect.x, kIntervalLabelRect.w,
          std::max(DluY(kIntervalLabelRect.h), intervalLabel_->sizeHint().height()));
    place(interval_, kIntervalRect.x, kIntervalRect.w, interval_->sizeHint().height());
    for (size_t i = 0; i < buttons_.size(); ++i) {
        place(buttons_[i].button, kButtons[i].x, kButtons[i].w,
              std::max(buttonHeight, buttons_[i].button->sizeHint().height()));
    }
    const int panelHeight = qx::DisplayWindowRect(6).height();
    setMinimumSize(std::max(right + 4, DluX(kListLeft) + kMinListWidth),
                   DluY(kListTop) + kCanvasTop + panelHeight + kPanelBottomMargin);
}

void CQX420View::Layout() {
    // The lists keep their left edge and top and share the height 2 : 3; the panel area takes
    // the rest of the view's height left of them.
    const int left = setList_->x();
    const int top = setList_->y();
    const int right = width();
    const int bottom = height();
    const int firstHeight = std::max(0, (2 * (bottom - top)) / 5);
    setList_->setGeometry(left, top, std::max(0, right - left), firstHeight);
    recordedList_->setGeometry(left, top + firstHeight, std::max(0, right - left),
                               std::max(0, bottom - (top + firstHeight)));
    panelArea_ = QRect(0, panelArea_.top(), left, std::max(0, bottom - panelArea_.top()));
}

void CQX420View::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Layout();
}

void CQX420View::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    // Another look or font changes the controls' natural sizes.
    if (event->type() == QEvent::StyleChange || event->type() == QEvent::FontChange) {
        PlaceTopRow();
    }
}

void CQX420View::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(QRect(0, 0, width(), panelArea_.top()), palette().window());
    panel_.DrawPanelBackground(p, panelArea_, height(), state_.type);
    if (panel_.HasCanvas() && panel_.Drawn()) {
        p.drawImage(panel_.CanvasPosition(panelArea_), panel_.Canvas());
    }
}

}  // namespace qx
