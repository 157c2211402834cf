// SplitterHandle: the bar between two parts of a view that the user drags to share the width
// between them, drawn and shaped as the style draws a splitter's handle. The owner places it
// and moves the parts; the handle only reports where it was dragged to (moved, in its
// parent's coordinates) and a double click (reset). The keyboard moves it too when it has the
// focus: the arrow keys by 10 pixels.
#pragma once

#include <QWidget>

namespace qx {

class SplitterHandle : public QWidget {
    Q_OBJECT

  public:
    explicit SplitterHandle(QWidget* parent = nullptr);

  signals:
    // The handle's left edge dragged to x (in the parent's coordinates).
    void moved(int x);
    void reset();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    int grab_ = -1;  // where in the handle the drag took it; -1 while not dragging
};

}  // namespace qx
