#include "ui/quit_on_signal.h"

#include <QApplication>
#include <QDialog>
#include <QSocketNotifier>
#include <csignal>
#include <unistd.h>

#include "engine/programmer.h"
#include "ui/main_dialog.h"

namespace {

// The handler may only write to a pipe; the window side reads it in the event loop.
int signalPipe[2] = {-1, -1};
volatile std::sig_atomic_t caught = 0;

void OnQuitSignal(int signal) {
    if (caught != 0) {
        std::signal(signal, SIG_DFL);
        std::raise(signal);
        return;
    }
    caught = signal;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &byte, 1);
}

}  // namespace

QuitOnSignal::QuitOnSignal(Programmer& programmer) : programmer(programmer) {
    caught = 0;
    if (::pipe(signalPipe) != 0) {
        return;   // the station still runs; a signal then ends it as it would any program
    }
    notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, &QuitOnSignal::OnSignal);
    connect(&closer, &QTimer::timeout, this, &QuitOnSignal::CloseWhenIdle);
    struct sigaction action {};
    action.sa_handler = OnQuitSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

QuitOnSignal::~QuitOnSignal() {
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
    delete notifier;
    if (signalPipe[0] >= 0) {
        ::close(signalPipe[0]);
        ::close(signalPipe[1]);
        signalPipe[0] = signalPipe[1] = -1;
    }
}

int QuitOnSignal::ExitStatus() const {
    return caught == 0 ? 0 : 128 + caught;
}

void QuitOnSignal::OnSignal() {
    char byte = 0;
    [[maybe_unused]] const ssize_t read = ::read(signalPipe[0], &byte, 1);
    programmer.stopRequested = true;
    closer.start(20);
}

// An operation ends within its word or chunk; the message box it ends with, and any other,
// is closed before the window.
void QuitOnSignal::CloseWhenIdle() {
    if (QWidget* modal = QApplication::activeModalWidget()) {
        if (auto* box = qobject_cast<QDialog*>(modal); box && !qobject_cast<MainDialog*>(modal)) {
            box->reject();
            return;
        }
    }
    for (QWidget* window : QApplication::topLevelWidgets()) {
        auto* station = qobject_cast<MainDialog*>(window);
        if (!station) {
            continue;
        }
        if (station->OperationRunning()) {
            return;
        }
        station->done(QDialog::Rejected);
    }
    closer.stop();
}
