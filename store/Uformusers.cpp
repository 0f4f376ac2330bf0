#include "store/Uformusers.h"

#include <QKeyEvent>

#include "platform/Dialogs.h"
#include "ui_Uformusers.h"

namespace {

// The user number each list entry stands for.
constexpr int kUserRole = Qt::UserRole;

int UserOf(const QTreeWidgetItem* item) {
    return item->data(0, kUserRole).toInt();
}

}  // namespace

TFormUsers::TFormUsers(QWidget* owner, UsersData* data)
    : QDialog(owner), ui(std::make_unique<Ui::FormUsers>()), data_(data) {
    ui->setupUi(this);
    SetSingleBorderDialog(*this);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    NormalizeUsers(*data_);
    data_->Accepted = false;
    const int current = data_->CurrUserID;
    for (int user : UsersInUse(*data_)) {
        QTreeWidgetItem* item = AddEntry(user);
        if (user == current) ui->lView_Users->setCurrentItem(item);
    }
    ui->lView_Users->installEventFilter(this);
    connect(ui->lView_Users, &QTreeWidget::itemSelectionChanged, this,
            &TFormUsers::lView_UsersSelectItem);
    connect(ui->btnAdd, &QPushButton::clicked, this, &TFormUsers::btnAddClick);
    connect(ui->btnDelete, &QPushButton::clicked, this, &TFormUsers::btnDeleteClick);
    connect(ui->btnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(ui->btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

TFormUsers::~TFormUsers() = default;

bool TFormUsers::EditUsers(QWidget* owner, TUserNamesView names, TUserStatesView states,
                           int32_t& currUserID) {
    UsersData data = CopyUsers(names, states, currUserID);
    {
        TFormUsers form(owner, &data);
        ExecModal(form);
    }
    return ApplyUsers(data, names, states, currUserID);
}

QTreeWidgetItem* TFormUsers::AddEntry(int user) {
    auto* item = new QTreeWidgetItem(ui->lView_Users, QStringList(data_->UserNames[user]));
    item->setData(0, kUserRole, user);
    return item;
}

void TFormUsers::lView_UsersSelectItem() {
    const QList<QTreeWidgetItem*> selected = ui->lView_Users->selectedItems();
    if (!selected.isEmpty()) data_->CurrUserID = UserOf(selected.first());
}

void TFormUsers::btnAddClick() {
    const std::optional<QString> name =
        InputBox(QStringLiteral("Add user"), QStringLiteral("User name"), QString(), this);
    if (!name || CleanUserName(*name).isEmpty()) return;
    const int slot = AddUser(*data_, *name);
    if (slot < 0) {
        ShowWarning(QStringLiteral("Maximum users count!"), this);
        return;
    }
    ui->lView_Users->setCurrentItem(AddEntry(slot));
}

void TFormUsers::btnDeleteClick() {
    const QList<QTreeWidgetItem*> selected = ui->lView_Users->selectedItems();
    if (selected.isEmpty()) return;
    QTreeWidgetItem* item = selected.first();
    if (ui->lView_Users->indexOfTopLevelItem(item) == 0) {
        ShowWarning(QStringLiteral("Default user can not be deleted!"), this);
        return;
    }
    RemoveUser(*data_, UserOf(item));
    delete item;
    ui->lView_Users->setCurrentItem(ui->lView_Users->topLevelItem(0));
}

bool TFormUsers::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui->lView_Users && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
        btnDeleteClick();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TFormUsers::done(int result) {
    CloseUsers(*data_, result == QDialog::Accepted);
    QDialog::done(result);
}
