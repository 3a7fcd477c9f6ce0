#pragma once
#include <QDialog>
#include <cstdint>
#include <functional>
#include <memory>

class BufferLinesModel;
class Programmer;
namespace Ui {
class BufferViewDialog;
}

// Lists the data buffer as hexadecimal lines of 16 bytes and copies selected lines to the
// clipboard with the C key. A buffer larger than one screen is listed from the screen the
// operator chooses. The viewer only reads the buffer, which must outlive it.
class BufferViewDialog : public QDialog {
    Q_OBJECT

public:
    // Asks which screen of a buffer of `bufferLength` bytes to list from: its index, or -1
    // to close the viewer without listing. By default a BufferSectionDialog asks.
    using SectionChooser = std::function<int(QWidget* parent, uint32_t bufferLength)>;

    explicit BufferViewDialog(const Programmer& programmer, QWidget* parent = nullptr,
                              SectionChooser chooseSection = {});
    BufferViewDialog(const uint8_t* data, uint32_t length, QWidget* parent = nullptr,
                     SectionChooser chooseSection = {});
    ~BufferViewDialog() override;

    // Shows the viewer, lists the buffer and runs it modally. -1 when no section was chosen:
    // the viewer then closes without listing.
    int exec() override;

    // Lists the buffer, after asking for a section when it is larger than one screen.
    // False when no section was chosen; nothing is listed then.
    bool Fill();

    // Puts the selected lines, in list order and each ended by a line feed, on the clipboard.
    void CopySelectedLines();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    std::unique_ptr<Ui::BufferViewDialog> ui;
    BufferLinesModel* model;
    const uint8_t* data;
    uint32_t length;
    SectionChooser chooseSection;
};
