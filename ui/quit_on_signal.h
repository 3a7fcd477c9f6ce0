#pragma once
#include <QObject>
#include <QTimer>

class Programmer;
class QSocketNotifier;

// While it lives, SIGINT and SIGTERM end the station as Quit does but without questions: the
// operation under way stops at its next word or chunk (the socket powered off), open message
// boxes and the window close, and the station's normal end gives the port back. A second
// signal ends the process at once. One at a time.
class QuitOnSignal final : public QObject {
public:
    explicit QuitOnSignal(Programmer& programmer);
    ~QuitOnSignal() override;
    QuitOnSignal(const QuitOnSignal&) = delete;
    QuitOnSignal& operator=(const QuitOnSignal&) = delete;

    // The exit status a signal asks for (128 + its number, as a shell reports it); 0 for none.
    int ExitStatus() const;

private:
    void OnSignal();
    void CloseWhenIdle();

    Programmer& programmer;
    QSocketNotifier* notifier = nullptr;
    QTimer closer;
};
