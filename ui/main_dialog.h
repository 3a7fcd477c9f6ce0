#pragma once
#include <QDialog>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "buffer/load_save_commands.h"
#include "engine/status_line.h"

class Programmer;
class RecordFile;
class OperatorServices;
class QAbstractButton;
class QButtonGroup;
class QCloseEvent;
class QDragEnterEvent;
class QDropEvent;
class QLabel;
class QMimeData;
class QMouseEvent;

namespace Ui {
class MainDialog;
}

// The station's one window: the command buttons, the PROM and buffer panels, the port selector
// and the status line that long operations write into. Each command runs to its end on the
// window's thread; the window registers itself as the status-line window while it exists.
//
// Controls are named for what they are ("identifyButton") and keep their resource id in a
// "controlId" property.
class MainDialog : public QDialog, public StatusLineWindow, private BufferPanel {
    Q_OBJECT

public:
    // Window start: judges the port driver's version (telling the operator about an old or
    // silent driver before the window shows), then sets up the window.
    MainDialog(Programmer& programmer, RecordFile& recordFile, std::string& defaultFilePattern,
               OperatorServices& operatorServices, QWidget* parent = nullptr);
    ~MainDialog() override;

    // Ports beyond the three classic ones (a PCI Express card's), offered as "LPT4 (0xD010)"
    // and on after the classic entries.
    void AddPortEntries(const std::vector<uint16_t>& bases);
    // True while a command works on the part (the window then takes no input).
    bool OperationRunning() const { return operationRunning; }

    // Refreshes the PROM information and buffer panels from the current device, with a fresh
    // blank check when asked, and enables the commands once a device is known.
    void UpdatePromPanel(bool withBlankCheck);

    // Takes the option-button pairs into resetChoice, outputChoice and busyChoice.
    void TakeOptionChoices();

    // Quit (and Enter on it) and Escape: both ask first when a PROM read would be lost, and
    // during an operation ask whether to stop it instead.
    void accept() override;
    void reject() override;

    // Adds an entry above the About entry of the window menu.
    void AddWindowMenuEntry(const std::string& text, std::function<void()> action);

    // Asks the desktop to draw the operator's eye to the window (its urgency hint). A long
    // operation that ends while another window is active calls it.
    std::function<void()> askForAttention;

    // Index of the pressed button in each option pair; -1 while none is pressed.
    int resetChoice = -1;
    int busyChoice = -1;
    int outputChoice = -1;

    // StatusLineWindow
    void SetStatusLineVisible(bool visible) override;
    void SetStatusLineText(const std::string& text) override;
    void SetStatusLineProgress(int percent) override;
    void RepaintStatusLine() override;

signals:
    // The right mouse button went down on the window background.
    void rightButtonPressed();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    bool TakenByControl(const QPoint& at) const;
    void closeEvent(QCloseEvent* event) override;
    // A record file dropped on the window is loaded as the Load button would load it.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void OnIdentifyProm();
    void OnPortSelect(int index);
    void OnAbout();

    // The other commands. Each is defined in a file of its own and connected to its button
    // (and the PROM information to rightButtonPressed) by ConnectCommandButtons().
    void ConnectCommandButtons();
    void OnReadProm();
    void OnProgramProm();
    void OnCompareProm();
    void OnLoadFile();
    void LoadDroppedFile(const std::string& path);
    void OnSaveFile();
    void OnViewBuffer();
    void OnPromInformation();

    // The program command's checks before it programs: the part in the socket is identified
    // again, and a change of type (and a part smaller than the buffer) needs the operator's
    // consent. False when programming must not go on; the device seen before is current then.
    bool ConfirmDeviceToProgram();
    // Checks that the part can take the buffer, runs ProgramDevice with `options` and tells the
    // operator how it went. False when programming ran and failed (the part may have changed).
    bool ProgramAndReport(uint32_t options);
    // Enables the six command buttons and the option pairs the shown device has.
    void ReEnableCommands();
    // The presence check before a command works the part; false after telling the operator
    // why the programmer cannot be used.
    bool ProgrammerAnswers();
    // True when nothing unsaved is in the buffer, or the operator agrees to lose it.
    bool MayDropUnsavedRead(const std::string& question);
    // Asks whether to stop the operation under way (the close box, Escape or Quit during it).
    void AskToStopOperation();
    // A load or save that named the buffer after a file leaves no unsaved read behind.
    void NoteBufferFileCommand();
    // The path of the one local file a drag carries; empty when it carries anything else or
    // while Load is disabled.
    QString DroppableFile(const QMimeData* data) const;
    // After a read, program, compare or blank check begun at `startedAt` (process clock
    // microseconds): one that ran long while the operator was in another window asks for attention.
    void AskForAttentionAfter(uint64_t startedAt);

    // BufferPanel
    void ShowBufferState(const std::string& text) override;
    void ShowChecksum(uint16_t checksum) override;
    void EnableViewBuffer() override;

    void ReportDriverVersion();
    // After an operation: a port that stopped answering is said, not left to the panel's lines.
    void ReportLostPort(const char* caption);
    void SetUpWindowMenu();
    void SelectPortEntry();
    // Enables or disables the six command buttons: Program, Save, Read, Load, Compare, Identify.
    void SetCommandButtonsEnabled(bool enabled);
    void SetOptionButtonsEnabled(bool enabled);
    // Enables the reset pair, and the busy and output pairs when the shown device has them.
    void EnableOptionButtonsForDisplayedDevice();
    static int PressedIndex(const QButtonGroup* pair, const QAbstractButton* first);

    Programmer& programmer;
    RecordFile& recordFile;
    std::string& defaultFilePattern;
    OperatorServices& operatorServices;
    std::unique_ptr<Ui::MainDialog> ui;
    // Set while a running operation lets the window handle its pending events.
    bool operationRunning = false;
    // The operator asked (close box, Escape, Quit) to stop the operation under way.
    bool stopAsked = false;
    // The buffer holds a PROM read that no save has written out yet.
    bool readNotSaved = false;
    // Port bases of the port selector's entries, in their order.
    std::vector<uint16_t> selectorPorts{0x378, 0x278, 0x3BC};
    friend class OperationInputFilter;
};

// The V-family test: the two types with express-output and busy-pin lines in the panel.
bool IsVFamilyName(const std::string& name);
