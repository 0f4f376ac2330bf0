// The users dialog: lists the users in use, adds and removes users and picks
// the current one, all on a UsersData copy that the caller applies on OK.
#pragma once

#include <QDialog>
#include <memory>

#include "store/Vnusers.h"

namespace Ui {
class FormUsers;
}

class QTreeWidgetItem;

class TFormUsers : public QDialog {
    Q_OBJECT

public:
    // data must outlive the dialog; its Accepted is set when the dialog
    // closes, true only for OK.
    TFormUsers(QWidget* owner, UsersData* data);
    ~TFormUsers() override;

    // The whole "Users management" run on the main window's holders: a copy
    // for the dialog, and on OK the result copied back. Answers whether the
    // holders changed (the caller then updates its menu and current user).
    static bool EditUsers(QWidget* owner, TUserNamesView names, TUserStatesView states,
                          int32_t& currUserID);

    void done(int result) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QTreeWidgetItem* AddEntry(int user);
    void btnAddClick();
    void btnDeleteClick();
    void lView_UsersSelectItem();

    std::unique_ptr<Ui::FormUsers> ui;
    UsersData* data_;
};
