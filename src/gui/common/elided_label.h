// A one-line label that never asks for more width than it is given: a text wider than the label
// is shown cut at the end with "…", the whole text in its tool tip. The caption bar uses it, so
// that a long query line does not widen the window.
#pragma once

#include <QLabel>
#include <QString>

namespace qx {

class CElidedLabel : public QLabel {
    Q_OBJECT

  public:
    explicit CElidedLabel(QWidget* parent = nullptr);

    // The whole text; text() is what is shown.
    void SetFullText(const QString& text);
    QString FullText() const { return full_; }

    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    void ShowFitting();

    QString full_;
};

}  // namespace qx
