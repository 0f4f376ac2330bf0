// The time span calculator: the distance between two dates in seconds,
// minutes, hours, days or working days. It stores nothing.
#pragma once

#include <QDialog>
#include <memory>

namespace Ui {
class FormTimeSpan;
}

class TFormTimeSpan : public QDialog {
    Q_OBJECT

public:
    explicit TFormTimeSpan(QWidget* owner = nullptr);
    ~TFormTimeSpan() override;

private:
    void FormCreate();
    // The one change handler of both pickers and of the unit list.
    void dtPicker_begDateChange();

    std::unique_ptr<Ui::FormTimeSpan> ui;
};
