// CSelPrintDlg: chooses what a print job or a print preview shows, the trend chart
// ("曲线图"), the report of the sample list ("数据报表") or the statistics report ("统计报告").
#pragma once

#include <QDialog>

class QPushButton;
class QRadioButton;

namespace qx {

class CSelPrintDlg : public QDialog {
    Q_OBJECT

  public:
    static constexpr int kCurve = 0;
    static constexpr int kReport = 1;
    static constexpr int kSummary = 2;

    // choice: kCurve, kReport or kSummary (any other value counts as the report); forPrinting false
    // titles the dialog for the preview.
    CSelPrintDlg(int choice, bool forPrinting, QWidget* parent = nullptr);

    // The choice: set from the buttons on OK, left as it was on Cancel.
    int choice;
    bool forPrinting;

    QRadioButton* CurveButton() const { return curve_; }
    QRadioButton* ReportButton() const { return report_; }
    QRadioButton* SummaryButton() const { return summary_; }
    QPushButton* OkButton() const { return ok_; }
    QPushButton* CancelButton() const { return cancel_; }

  public slots:
    void accept() override;

  private:
    QRadioButton* curve_ = nullptr;
    QRadioButton* report_ = nullptr;
    QRadioButton* summary_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

}  // namespace qx
