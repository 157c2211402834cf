#include "splitter_handle.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>

namespace qx {

SplitterHandle::SplitterHandle(QWidget* parent) : QWidget(parent) {
    setCursor(Qt::SplitHCursor);
    setFocusPolicy(Qt::TabFocus);
}

void SplitterHandle::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QStyleOption option;
    option.initFrom(this);
    option.state |= QStyle::State_Horizontal;
    if (grab_ >= 0) option.state |= QStyle::State_Sunken;
    style()->drawControl(QStyle::CE_Splitter, &option, &painter, this);
}

void SplitterHandle::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
    grab_ = event->position().toPoint().x();
    update();
}

void SplitterHandle::mouseMoveEvent(QMouseEvent* event) {
    if (grab_ < 0) return QWidget::mouseMoveEvent(event);
    emit moved(mapToParent(event->position().toPoint()).x() - grab_);
}

void SplitterHandle::mouseReleaseEvent(QMouseEvent* event) {
    if (grab_ < 0) return QWidget::mouseReleaseEvent(event);
    emit moved(mapToParent(event->position().toPoint()).x() - grab_);
    grab_ = -1;
    update();
}

void SplitterHandle::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) emit reset();
}

void SplitterHandle::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Left) {
        emit moved(x() - 10);
    } else if (event->key() == Qt::Key_Right) {
        emit moved(x() + 10);
    } else {
        QWidget::keyPressEvent(event);
    }
}

}  // namespace qx
