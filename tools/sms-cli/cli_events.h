#pragma once
// The main thread's event loop, run until a condition holds. The engine's workers hand their
// screen updates (and the sending run its end) to this thread, and the interrupt notifier
// fires from here, so every wait of the command line goes through it.
#include <QCoreApplication>
#include <QThread>

#include <functional>

namespace tesk::cli {

inline void Run_Events_Until(const std::function<bool()>& done) {
    while (!done()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
    QCoreApplication::processEvents();
}

}  // namespace tesk::cli
