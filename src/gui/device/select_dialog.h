// CSelectDialog, "选择设备": the choice among several attached instruments. It lists their
// product strings in enumeration order with the last one selected; OK stores the selected
// index (-1 when the list is empty), Cancel leaves -1. The main window runs it modally through
// the prompt seam.
#pragma once

#include <QDialog>
#include <QStringList>

class QComboBox;
class QPushButton;

namespace qx {

class CSelectDialog : public QDialog {
    Q_OBJECT
  public:
    static constexpr const char* kTitle = QT_TRANSLATE_NOOP("qx::CSelectDialog", "选择设备");

    // names: the instruments' product strings; preselected: the entry selected at first (the
    // last one when out of range).
    explicit CSelectDialog(const QStringList& names, int preselected = -1,
                           QWidget* parent = nullptr);

    QStringList names;       // the names offered
    int selectedIndex = -1;  // the choice once OK was pressed; -1 before and on Cancel

    void accept() override;

    QComboBox* DeviceList() const { return list_; }
    QPushButton* OkButton() const { return ok_; }
    QPushButton* CancelButton() const { return cancel_; }

  private:
    QComboBox* list_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

}  // namespace qx
