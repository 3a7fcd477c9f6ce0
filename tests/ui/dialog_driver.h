#pragma once
#include <QApplication>
#include <QEventLoop>
#include <QKeyEvent>
#include <QTimer>
#include <QWidget>
#include <functional>

// Runs `act` on the next modal dialog to come up (any visible modal widget but `other`, the
// dialog that opens it), from the event loop of that dialog.
inline void OnNextModalDialog(std::function<void(QWidget*)> act, QWidget* other = nullptr) {
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [poll, other, act = std::move(act)] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal && modal != other && modal->isVisible()) {
            poll->stop();
            poll->deleteLater();
            act(modal);
        }
    });
    poll->start(0);
}

// Presses and releases a key on `widget`, through its event filters as a typed key goes.
inline void PressKey(QWidget* widget, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QKeyEvent press(QEvent::KeyPress, key, modifiers);
    QApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers);
    QApplication::sendEvent(widget, &release);
}

// Lets the event loop run for `milliseconds`.
inline void RunEventsFor(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}
