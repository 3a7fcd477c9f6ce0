#pragma once
#include <QDialog>
#include <memory>

namespace Ui {
class AboutDialog;
}

// The About box of the window menu: icon, product line, program version and date.
class AboutDialog : public QDialog {
    Q_OBJECT

public:
    explicit AboutDialog(QWidget* parent = nullptr);
    ~AboutDialog() override;

private:
    std::unique_ptr<Ui::AboutDialog> ui;
};
