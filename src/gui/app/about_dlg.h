// CAboutDlg: the about box "关于测试仪" with the program icon, the version ("1.0.0 版", the
// program's version as qxlog-cli --version gives it), the maker's name, a link to the maker's
// web page (opened in the system browser) and "确定".
#pragma once

#include <QCoreApplication>
#include <QDialog>

class QLabel;
class QPushButton;

namespace qx {

class CAboutDlg : public QDialog {
    Q_OBJECT
  public:
    static constexpr const char* kTitle = QT_TRANSLATE_NOOP("qx::CAboutDlg", "关于测试仪");
    static constexpr const char* kVersionText = QT_TRANSLATE_NOOP("qx::CAboutDlg", "%1 版");
    // The program's version, "1.0.0".
    static QString Version();
    static constexpr const char* kMakerName = "Vornak";
    static constexpr const char* kMakerUrl = "https://www.vornak.example/";

    explicit CAboutDlg(QWidget* parent = nullptr);

    // Runs the about box modally through the prompt seam.
    static int Run(QWidget* parent);

    QLabel* LinkLabel() const { return link_; }
    QPushButton* OkButton() const { return ok_; }

  private:
    QLabel* link_ = nullptr;
    QPushButton* ok_ = nullptr;
};

}  // namespace qx
