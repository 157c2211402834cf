#include "elided_label.h"

#include <QFontMetrics>

namespace qx {

CElidedLabel::CElidedLabel(QWidget* parent) : QLabel(parent) {
    setWordWrap(false);
    setTextFormat(Qt::PlainText);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
}

void CElidedLabel::SetFullText(const QString& text) {
    full_ = text;
    ShowFitting();
}

QSize CElidedLabel::minimumSizeHint() const {
    // Room for "…" only: the label shrinks with the window instead of holding it wide.
    const QSize hint = QLabel::minimumSizeHint();
    return {fontMetrics().horizontalAdvance(QStringLiteral("…")) + 2 * margin(), hint.height()};
}

QSize CElidedLabel::sizeHint() const {
    return {fontMetrics().horizontalAdvance(full_) + 2 * margin(), QLabel::sizeHint().height()};
}

void CElidedLabel::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    ShowFitting();
}

void CElidedLabel::ShowFitting() {
    const int room = contentsRect().width() - 2 * margin();
    const QString shown = fontMetrics().elidedText(full_, Qt::ElideRight, std::max(room, 0));
    if (shown != text()) setText(shown);
    setToolTip(shown == full_ ? QString() : full_);
}

}  // namespace qx
