#pragma once
#include <QDialog>
#include <cstdint>
#include <memory>

namespace Ui {
class BufferSectionDialog;
}

// Asks where the listing of a buffer larger than one screen is to begin. The dialog's result
// is the index of the chosen screen, or -1 when none was chosen or the dialog was cancelled.
class BufferSectionDialog : public QDialog {
    Q_OBJECT

public:
    explicit BufferSectionDialog(uint32_t bufferLength, QWidget* parent = nullptr);
    ~BufferSectionDialog() override;

    void reject() override;

private:
    std::unique_ptr<Ui::BufferSectionDialog> ui;
};
