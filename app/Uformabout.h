// The About box: the program's picture, one line naming the program and its
// version, and an OK button.
#pragma once

#include <QDialog>
#include <memory>

namespace Ui {
class FormAbout;
}

class TFormAbout : public QDialog {
    Q_OBJECT

public:
    explicit TFormAbout(QWidget* owner);
    ~TFormAbout() override;

private:
    std::unique_ptr<Ui::FormAbout> ui;
};
