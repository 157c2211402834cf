#include "select_dialog.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/common/app_fonts.h"
#include "gui/common/prompter.h"

namespace qx {

CSelectDialog::CSelectDialog(const QStringList& names_, int preselected, QWidget* parent)
    : QDialog(parent), names(names_) {
    setWindowTitle(tr(kTitle));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setFont(SongFont(12));

    auto* label = new QLabel(tr("设备:"), this);
    list_ = new QComboBox(this);
    list_->setObjectName(QStringLiteral("deviceList"));
    list_->setMinimumWidth(220);
    list_->addItems(names);
    label->setBuddy(list_);
    if (!names.isEmpty()) {
        const bool inRange = preselected >= 0 && preselected < names.size();
        list_->setCurrentIndex(inRange ? preselected : static_cast<int>(names.size()) - 1);
    }

    ok_ = new QPushButton(OkButtonText(), this);
    ok_->setDefault(true);
    cancel_ = new QPushButton(CancelButtonText(), this);
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);

    auto* row = new QHBoxLayout;
    row->addWidget(label);
    row->addWidget(list_, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok_);
    buttons->addWidget(cancel_);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(14, 14, 14, 12);
    layout->setSpacing(14);
    layout->addLayout(row);
    layout->addLayout(buttons);
    setFixedSize(sizeHint());
}

void CSelectDialog::accept() {
    selectedIndex = list_->currentIndex();  // -1 when the list is empty
    QDialog::accept();
}

}  // namespace qx
