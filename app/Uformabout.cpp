#include "app/Uformabout.h"

#include <QIcon>
#include <QStyle>

#include "app/AppInfo.h"
#include "platform/Dialogs.h"
#include "ui_Uformabout.h"

TFormAbout::TFormAbout(QWidget* owner) : QDialog(owner), ui(std::make_unique<Ui::FormAbout>()) {
    ui->setupUi(this);
    SetSingleBorderDialog(*this);
    const QIcon picture = owner && !owner->windowIcon().isNull()
                              ? owner->windowIcon()
                              : style()->standardIcon(QStyle::SP_ComputerIcon);
    ui->image_Program->setPixmap(picture.pixmap(48, 48));
    ui->label_Text->setText(QStringLiteral("%1 Pro %2, a desktop calendar with an event reminder.")
                                .arg(ProgramName, ProgramVersion));
    connect(ui->btnOK, &QPushButton::clicked, this, &QDialog::accept);
}

TFormAbout::~TFormAbout() = default;
