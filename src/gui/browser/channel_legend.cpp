#include "channel_legend.h"

#include <QCheckBox>
#include <QPainter>
#include <QPen>
#include <algorithm>

#include "core/model/language.h"
#include "core/records/record_legend.h"
#include "dialog_units.h"
#include "form_fit.h"
#include "gui/common/app_fonts.h"
#include "gui/common/qt_text.h"

namespace qx {
namespace {

QColor ToColor(const LegendRgb& c) {
    return QColor(c.r, c.g, c.b);
}

Qt::PenStyle ToPenStyle(int style) {
    switch (style) {
        case kPenDash:
            return Qt::DashLine;
        case kPenDot:
            return Qt::DotLine;
        case kPenDashDot:
            return Qt::DashDotLine;
        case kPenDashDotDot:
            return Qt::DashDotDotLine;
        default:
            return Qt::SolidLine;
    }
}

// The shortest stretch of line a row shows after its text.
constexpr int kMinLineSample = 16;

}  // namespace

ChannelLegend::ChannelLegend(QWidget* parent) : QFrame(parent) {
    setFrameShape(QFrame::Box);
    setFrameShadow(QFrame::Sunken);
    const QRect place = DluRect(4, 224, 80, 48);
    setGeometry(place);
    font_ = MakeFont(QString::fromUtf8(NoTr("宋体")), 14, 7, 400);
    for (int k = 0; k < kBoxCount; ++k) {
        auto* box = new QCheckBox(this);
        box->setGeometry(DluRect(6, 225 + 10 * k, 8, 10).translated(-place.topLeft()));
        box->hide();
        connect(box, &QCheckBox::clicked, this, [this, k] { emit boxClicked(k); });
        boxes_[static_cast<size_t>(k)] = box;
    }
}

int ChannelLegend::TextShortfall() const {
    if (!FormFollowsTexts()) return 0;
    // As paintEvent places the texts: the series' right of their box, the alarms' at the left.
    const QRect area = contentsRect().adjusted(-1, -1, 1, 1);
    const int left = area.left() + 4;
    const int boxRight = boxes_[0]->geometry().right() + 1;
    const QFontMetrics metrics(font_);
    int need = 0;
    for (InstrumentTypeId type = 1; type <= kModelCount; ++type) {
        const RecordUnits units = RecordUnitsOf(0, type);
        for (int entry : LegendEntries(type)) {
            const int textLeft = entry < kSeriesCount ? boxRight + 2 : left;
            const QString text = ToQString(Tr(LegendText(entry, units)));
            need = std::max(need, textLeft + metrics.horizontalAdvance(text) + 4 + kMinLineSample);
        }
    }
    // The right margin of the rows and the frame beyond the area.
    need += 4 + (width() - (area.right() + 1));
    return std::max(need - width(), 0);
}

int ChannelLegend::RowPitch() const {
    return boxes_[1]->geometry().top() - boxes_[0]->geometry().top();
}

void ChannelLegend::SetRecordUnits(const RecordUnits& units) {
    type_ = units.type;
    entries_ = LegendEntries(units.type);
    texts_.clear();
    for (int entry : entries_)
        texts_.push_back(ToQString(Tr(LegendText(entry, units))));
    resize(width(), LegendRowCount(units.type) * RowPitch() + 4);
    update();
}

void ChannelLegend::ShowBoxes(int n) {
    for (int k = 0; k < kBoxCount; ++k)
        boxes_[static_cast<size_t>(k)]->setVisible(k < n);
}

std::array<bool, ChannelLegend::kBoxCount> ChannelLegend::Ticks() const {
    std::array<bool, kBoxCount> ticks{};
    for (int k = 0; k < kBoxCount; ++k)
        ticks[static_cast<size_t>(k)] = boxes_[static_cast<size_t>(k)]->isChecked();
    return ticks;
}

void ChannelLegend::SetTicks(const std::array<bool, kBoxCount>& ticks) {
    for (int k = 0; k < kBoxCount; ++k)
        boxes_[static_cast<size_t>(k)]->setChecked(ticks[static_cast<size_t>(k)]);
}

void ChannelLegend::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    if (entries_.empty()) return;
    QPainter painter(this);
    painter.setFont(font_);
    const QRect area = contentsRect().adjusted(-1, -1, 1, 1);
    const int left = area.left() + 4;
    const int right = area.right() + 1 - 4;
    const int pitch = RowPitch();
    const QFontMetrics metrics(font_);
    const int lineStart = left + metrics.horizontalAdvance(QString::fromUtf8(Tr("低噪报警"))) + 4;
    const int boxRight = boxes_[0]->geometry().right() + 1;

    int top = boxes_[0]->geometry().top();
    for (size_t row = 0; row < entries_.size(); ++row, top += pitch) {
        const int entry = entries_[row];
        const LegendLook& look = LegendEntryLook(entry, type_);
        const QRect band(left, top, right - left, pitch);
        painter.fillRect(band, row % 2 == 0 ? QColor(220, 220, 220) : QColor(200, 200, 200));

        const int textLeft = entry < kSeriesCount ? boxRight + 2 : left;
        const QRect textRect(textLeft, top, right - textLeft, pitch);
        painter.setPen(ToColor(look.colour));
        // A text longer than the row ends in "…", leaving room for a stretch of its line.
        const QString text = metrics.elidedText(texts_[row], Qt::ElideRight,
                                                std::max(textRect.width() - 4 - kMinLineSample, 0));
        painter.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text);

        // The line sample starts after the widest alarm text, or after a longer series name.
        const int textEnd = textLeft + metrics.horizontalAdvance(text) + 4;
        const int y = top + pitch / 2;
        QPen pen(ToColor(look.colour), 1, ToPenStyle(look.penStyle));
        painter.setPen(pen);
        painter.drawLine(std::max(lineStart, textEnd), y, right - 2, y);
    }
}

}  // namespace qx
