#include "sel_print_dlg.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "gui/common/app_fonts.h"
#include "gui/common/prompter.h"

namespace qx {

CSelPrintDlg::CSelPrintDlg(int choice, bool forPrinting, QWidget* parent)
    : QDialog(parent), choice(choice), forPrinting(forPrinting) {
    setFont(SongFont(12));
    setWindowTitle(forPrinting ? tr("选择打印项") : tr("选择打印预览项(曲线或记录)"));

    auto* box = new QGroupBox(this);
    curve_ = new QRadioButton(tr("曲线图(&T)"), box);
    report_ = new QRadioButton(tr("数据报表(&R)"), box);
    summary_ = new QRadioButton(tr("统计报告(&S)"), box);
    curve_->setObjectName(QStringLiteral("curve"));
    report_->setObjectName(QStringLiteral("report"));
    summary_->setObjectName(QStringLiteral("summary"));
    auto* group = new QButtonGroup(this);
    group->addButton(curve_, kCurve);
    group->addButton(report_, kReport);
    group->addButton(summary_, kSummary);
    (choice == kCurve ? curve_ : choice == kSummary ? summary_ : report_)->setChecked(true);
    auto* radios = new QVBoxLayout(box);
    radios->addWidget(curve_);
    radios->addWidget(report_);
    radios->addWidget(summary_);

    ok_ = new QPushButton(OkButtonText(), this);
    cancel_ = new QPushButton(CancelButtonText(), this);
    ok_->setDefault(true);
    connect(ok_, &QPushButton::clicked, this, &CSelPrintDlg::accept);
    connect(cancel_, &QPushButton::clicked, this, &CSelPrintDlg::reject);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(ok_);
    buttons->addWidget(cancel_);
    buttons->addStretch();

    auto* layout = new QHBoxLayout(this);
    layout->addWidget(box, 1);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void CSelPrintDlg::accept() {
    choice = curve_->isChecked() ? kCurve : summary_->isChecked() ? kSummary : kReport;
    QDialog::accept();
}

}  // namespace qx
