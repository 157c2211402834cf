#include "about_dlg.h"

#include <QDesktopServices>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

#include "gui/common/app_pictures.h"
#include "gui/common/prompter.h"

#ifndef QX_VERSION
#error "QX_VERSION (the project version) comes from the build"
#endif

namespace qx {

QString CAboutDlg::Version() {
    return QStringLiteral(QX_VERSION);
}

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(tr(kTitle));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    auto* icon = new QLabel(this);
    icon->setPixmap(ProgramIcon().pixmap(48, 48));
    icon->setAlignment(Qt::AlignTop | Qt::AlignHCenter);

    auto* product = new QLabel(ApplicationTitle(), this);
    QFont bold = product->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.2);
    product->setFont(bold);
    auto* version = new QLabel(tr(kVersionText).arg(Version()), this);
    auto* maker = new QLabel(QString::fromUtf8(kMakerName), this);
    link_ = new QLabel(QStringLiteral("<a href=\"%1\">%1</a>").arg(QLatin1String(kMakerUrl)), this);
    link_->setObjectName(QStringLiteral("makerLink"));
    link_->setTextFormat(Qt::RichText);
    link_->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    link_->setOpenExternalLinks(false);
    connect(link_, &QLabel::linkActivated, this,
            [](const QString& url) { QDesktopServices::openUrl(QUrl(url)); });

    auto* texts = new QVBoxLayout;
    texts->setSpacing(6);
    texts->addWidget(product);
    texts->addWidget(version);
    texts->addWidget(maker);
    texts->addWidget(link_);
    texts->addStretch(1);

    ok_ = new QPushButton(tr("确定"), this);
    ok_->setDefault(true);
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(ok_);
    buttons->addStretch(1);

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(16, 16, 16, 16);
    row->setSpacing(16);
    row->addWidget(icon);
    row->addLayout(texts, 1);
    row->addLayout(buttons);
    setLayout(row);
    setFixedSize(sizeHint().expandedTo(QSize(360, 0)));
}

int CAboutDlg::Run(QWidget* parent) {
    CAboutDlg dialog(parent);
    return Prompts().Exec(dialog);
}

}  // namespace qx
