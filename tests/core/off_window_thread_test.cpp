// Device work started from the window thread: it runs elsewhere while queued window work goes
// on, it is finished when the call returns, and its failure reaches the caller.
#include "core/off_window_thread.h"

#include <QCoreApplication>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>

namespace {

TEST(OffWindowThread, RunsElsewhereWhileQueuedWindowWorkGoesOn) {
    ASSERT_NE(QCoreApplication::instance(), nullptr);
    std::atomic<bool> windowWorkRan{false};
    std::thread::id workThread;
    bool finishedBeforeReturn = false;
    // Queued before the call: it can only run if the window thread keeps serving events.
    QTimer::singleShot(0, qApp, [&] { windowWorkRan = true; });
    tesk::Run_Off_Window_Thread([&] {
        workThread = std::this_thread::get_id();
        while (!windowWorkRan.load()) {
            QThread::msleep(1);
        }
        finishedBeforeReturn = true;
    });
    EXPECT_TRUE(finishedBeforeReturn);
    EXPECT_TRUE(windowWorkRan.load());
    EXPECT_NE(workThread, std::this_thread::get_id());
}

TEST(OffWindowThread, RunsInPlaceAwayFromTheWindowThread) {
    std::thread::id caller;
    std::thread::id worker;
    std::thread other([&] {
        caller = std::this_thread::get_id();
        tesk::Run_Off_Window_Thread([&] { worker = std::this_thread::get_id(); });
    });
    other.join();
    EXPECT_EQ(worker, caller);
}

TEST(OffWindowThread, TheWorksFailureReachesTheCaller) {
    EXPECT_THROW(tesk::Run_Off_Window_Thread([] { throw std::runtime_error("port gone"); }),
                 std::runtime_error);
}

}  // namespace
