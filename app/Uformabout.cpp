#include "app/Uformabout.h"

#include <QDir>
#include <QIcon>
#include <QStyle>

#include "app/AppInfo.h"
#include "platform/Dialogs.h"
#include "store/Datafolder.h"
#include "ui_Uformabout.h"

namespace {

// As the desktop metadata declares it (project_license LicenseRef-proprietary).
const QString ProgramLicence = QStringLiteral("proprietary software, all rights reserved");

}  // namespace

TFormAbout::TFormAbout(QWidget* owner) : QDialog(owner), ui(std::make_unique<Ui::FormAbout>()) {
    ui->setupUi(this);
    SetSingleBorderDialog(*this);
    const QIcon picture = owner && !owner->windowIcon().isNull()
                              ? owner->windowIcon()
                              : style()->standardIcon(QStyle::SP_ComputerIcon);
    ui->image_Program->setPixmap(picture.pixmap(48, 48));
    ui->label_Text->setText(QStringLiteral("%1 Pro %2, a desktop calendar with an event reminder.")
                                .arg(ProgramName, ProgramVersion));
    // Where the data lies, so that it can be found for a backup or a move.
    ui->label_DataFolder->setText(
        QStringLiteral("Data folder: %1").arg(QDir::toNativeSeparators(DataFolder())));
    ui->label_Licence->setText(QStringLiteral("Licence: %1.").arg(ProgramLicence));
    connect(ui->btnOK, &QPushButton::clicked, this, &QDialog::accept);
}

TFormAbout::~TFormAbout() = default;
