// The About box: the program's picture, a line naming the program and its
// version, the data folder in use, the licence, and an OK button.
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
