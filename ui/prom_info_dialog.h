#pragma once
#include <QDialog>
#include <memory>

class Programmer;
namespace Ui {
class PromInfoDialog;
}

// Shows what identification found out about the PROM in the socket: name, size, word size,
// reset polarity, whether it is blank (checked afresh when the dialog is built) and its codes.
// Without an identified PROM the texts keep their bare labels and the part is not touched.
class PromInfoDialog : public QDialog {
    Q_OBJECT

public:
    explicit PromInfoDialog(Programmer& programmer, QWidget* parent = nullptr);
    ~PromInfoDialog() override;

private:
    void Fill(Programmer& programmer);

    std::unique_ptr<Ui::PromInfoDialog> ui;
};
