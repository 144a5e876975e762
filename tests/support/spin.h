#pragma once
// Waiting in tests for work that ends on another thread or in a queued event. The deadline only
// keeps a broken build from hanging the run; it is no timing check, and a loaded machine never
// makes a sound test fail by running out of rounds.
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>

#include <functional>

namespace tesk::test {

inline bool spinUntil(const std::function<bool()>& done, int failSafeMs = 120000) {
    QDeadlineTimer deadline(failSafeMs);
    while (!done()) {
        if (deadline.hasExpired()) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
    QCoreApplication::processEvents();
    return true;
}

}  // namespace tesk::test
