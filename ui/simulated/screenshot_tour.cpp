#include "ui/simulated/screenshot_tour.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <deque>
#include <functional>
#include <vector>

#include "buffer/record_transfer.h"
#include "ui/about_dialog.h"
#include "ui/buffer_section_dialog.h"
#include "ui/buffer_view_dialog.h"
#include "ui/busy_prompt_dialog.h"
#include "ui/main_dialog.h"
#include "ui/output_prompt_dialog.h"
#include "ui/prom_info_dialog.h"
#include "ui/reset_prompt_dialog.h"
#include "ui/simulated/simulated_programmer_window.h"

namespace {

constexpr int kPollMilliseconds = 100;

template <typename Window>
Window* FindTopLevel() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* window = qobject_cast<Window*>(widget); window && window->isVisible()) {
            return window;
        }
    }
    return nullptr;
}

void Save(QWidget* widget, const QString& folder, const QString& name) {
    const QString path = QDir(folder).filePath(name);
    if (!widget->grab().save(path)) {
        std::fprintf(stderr, "cannot save %s\n", qPrintable(path));
    }
}

template <typename Widget>
Widget* Child(QWidget* parent, const char* name) {
    return parent->findChild<Widget*>(name);
}

void Press(QWidget* dialog, const char* buttonName) {
    Child<QPushButton>(dialog, buttonName)->click();
}

// Passes the status line on to the window and takes one picture half-way through the blank check.
class BusyPicture : public StatusLineWindow {
public:
    BusyPicture(MainDialog& window, QString folder) : window(window), folder(std::move(folder)) {}
    void SetStatusLineVisible(bool visible) override { window.SetStatusLineVisible(visible); }
    void SetStatusLineText(const std::string& text) override { window.SetStatusLineText(text); }
    void SetStatusLineProgress(int percent) override {
        window.SetStatusLineProgress(percent);
        pictureDue = !taken && percent >= 40;
    }
    void RepaintStatusLine() override {
        window.RepaintStatusLine();
        if (pictureDue) {
            Save(&window, folder, "main-window-busy.png");
            taken = true;
            pictureDue = false;
        }
    }

private:
    MainDialog& window;
    QString folder;
    bool pictureDue = false;
    bool taken = false;
};

// Takes the modal dialogs that a command brings up, in the order given: each is pictured once
// it has been on screen for a moment, then answered.
class ModalSteps {
public:
    explicit ModalSteps(QString folder) : folder(std::move(folder)) {
        QObject::connect(&poll, &QTimer::timeout, [this] { Poll(); });
    }

    template <typename Dialog>
    ModalSteps& Expect(const QString& picture, std::function<void(QWidget*)> answer) {
        steps.push_back({[](QWidget* modal) { return qobject_cast<Dialog*>(modal) != nullptr; }, picture,
                         std::move(answer)});
        return *this;
    }

    // Runs `command`, which returns once every dialog it opened was answered.
    void Run(const std::function<void()>& command) {
        poll.start(kPollMilliseconds);
        command();
        poll.stop();
        for (const Step& step : steps) {
            std::fprintf(stderr, "no dialog came up for %s\n", qPrintable(step.picture));
        }
        steps.clear();
    }

private:
    struct Step {
        std::function<bool(QWidget*)> matches;
        QString picture;
        std::function<void(QWidget*)> answer;
    };

    void Poll() {
        QWidget* modal = QApplication::activeModalWidget();
        if (steps.empty() || !modal || !modal->isVisible() || !steps.front().matches(modal)) {
            seen = nullptr;
            return;
        }
        // A poll's time on screen lets the dialog lay itself out before the picture.
        if (seen != modal) {
            seen = modal;
            return;
        }
        const Step step = steps.front();
        steps.pop_front();
        seen = nullptr;
        Save(modal, folder, step.picture);
        step.answer(modal);
    }

    QString folder;
    QTimer poll;
    std::deque<Step> steps;
    QWidget* seen = nullptr;
};

void Reject(QWidget* dialog) {
    qobject_cast<QDialog*>(dialog)->reject();
}

void RightClickBackground(MainDialog& station) {
    const QPointF corner(4, 4);
    QMouseEvent press(QEvent::MouseButtonPress, corner, station.mapToGlobal(corner), Qt::RightButton,
                      Qt::RightButton, Qt::NoModifier);
    QApplication::sendEvent(&station, &press);
}

// Puts a part programmed with a small image into the simulated socket, as an operator would
// with the simulator's window, so that the buffer pictures show data.
void InsertProgrammedPart(SimulatedProgrammerWindow& simulator, const QString& imageFolder) {
    std::vector<uint8_t> image(0x10000);
    for (size_t i = 0; i < image.size(); ++i) {
        image[i] = static_cast<uint8_t>(i * 37 + (i >> 8));
    }
    const QString path = QDir(imageFolder).filePath("tour-image.mcs");
    SaveRecordFile(path.toStdString(), image.data(), static_cast<uint32_t>(image.size()));
    Child<QRadioButton>(&simulator, "contentsImage")->setChecked(true);
    Child<QLineEdit>(&simulator, "imagePath")->setText(path);
    Child<QPushButton>(&simulator, "insertPart")->click();
}

void Tour(const QString& folder) {
    MainDialog* station = FindTopLevel<MainDialog>();
    if (!station) {
        QTimer::singleShot(kPollMilliseconds, [folder] { Tour(folder); });
        return;
    }
    QDir().mkpath(folder);
    const auto button = [station](const char* name) { return Child<QPushButton>(station, name); };
    Save(station, folder, "main-window-start.png");

    BusyPicture busy(*station, folder);
    SetStatusLineWindow(&busy);
    button("identifyButton")->click();
    SetStatusLineWindow(station);
    Save(station, folder, "main-window-identified.png");

    ModalSteps modal(folder);
    modal.Expect<AboutDialog>("about-box.png", Reject).Run([station] {
        station->findChild<QAction*>("aboutAction")->trigger();
    });
    modal.Expect<PromInfoDialog>("prom-information.png", Reject).Run([station] { RightClickBackground(*station); });

    // The three prompts of a V-family part with no option chosen; the last one aborts.
    modal.Expect<ResetPromptDialog>("reset-prompt.png", [](QWidget* d) { Press(d, "control1"); })
        .Expect<BusyPromptDialog>("busy-prompt.png", [](QWidget* d) { Press(d, "control1"); })
        .Expect<OutputPromptDialog>("output-prompt.png", [](QWidget* d) { Press(d, "control2"); })
        .Expect<QMessageBox>("programming-aborted.png", Reject)
        .Run([&button] { button("programButton")->click(); });

    auto* simulator = FindTopLevel<SimulatedProgrammerWindow>();
    QTemporaryDir imageFolder;
    if (simulator) {
        simulator->ShowSocketState();
        Save(simulator, folder, "simulated-programmer.png");
        InsertProgrammedPart(*simulator, imageFolder.path());
    }

    // Read the part into the buffer, then list it from its first screen.
    button("readButton")->click();
    Save(station, folder, "main-window-read.png");
    modal
        .Expect<BufferSectionDialog>("buffer-section.png",
                                     [](QWidget* chooser) {
                                         Child<QComboBox>(chooser, "control1012")->setCurrentIndex(0);
                                         Press(chooser, "control1");
                                     })
        .Expect<BufferViewDialog>("buffer-viewer.png", Reject)
        .Run([&button] { button("viewBufferButton")->click(); });

    // The tour's read was never saved: the station asks before it quits.
    modal.Expect<QMessageBox>("quit-question.png", [](QWidget* box) {
             qobject_cast<QMessageBox*>(box)->button(QMessageBox::Yes)->click();
         })
        .Run([&button] { button("quitButton")->click(); });
}

}  // namespace

void StartScreenshotTour(const QString& folder) {
    QTimer::singleShot(kPollMilliseconds, [folder] { Tour(folder); });
}
