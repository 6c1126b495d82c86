#include "app/about_dlg.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/app_icon.h"
#include "model/version.h"

namespace kavri {

AboutDlg::AboutDlg(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("AboutDlg"));
    setWindowTitle(QString::fromUtf8(kAboutCaption));

    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("iconLabel"));
    icon->setPixmap(applicationIcon().pixmap(48, 48));

    auto* text =
        new QLabel(QString::fromUtf8(kAboutTextPrefix) + QString::fromUtf8(kVersion), this);
    text->setObjectName(QStringLiteral("versionLabel"));

    auto* okButton = new QPushButton(QStringLiteral("OK"), this);
    okButton->setObjectName(QStringLiteral("okButton"));
    okButton->setDefault(true);
    connect(okButton, &QPushButton::clicked, this, &AboutDlg::accept);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(okButton);
    buttons->addStretch(1);

    auto* whole = new QHBoxLayout(this);
    whole->addWidget(icon, 0, Qt::AlignTop);
    whole->addSpacing(12);
    whole->addWidget(text, 1, Qt::AlignVCenter);
    whole->addSpacing(24);
    whole->addLayout(buttons);
    whole->setSizeConstraint(QLayout::SetFixedSize);
}

}  // namespace kavri
