// Work off the window thread: a worker's done step comes on the window thread after what the
// job handed over, and only while its owner is there; waiting on the window thread serves its
// queue, so a job waiting for the window thread (as for a message box) still ends; a group is
// waited for with the threads its threads started; device work run in place is finished when
// the call returns, and its failure reaches the caller.
#include "core/off_window_thread.h"

#include "core/app_thread_queue.h"

#include <QCoreApplication>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

namespace {

TEST(OffWindowThread, RunsElsewhereWhileQueuedWindowWorkGoesOn) {
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
    EXPECT_TRUE(finishedBeforeReturn);  // which it could only once the window work had run
    EXPECT_NE(workThread, std::this_thread::get_id());
}

TEST(OffWindowThread, RunsInPlaceAwayFromTheWindowThreadAndItsFailureReachesTheCaller) {
    std::thread::id caller;
    std::thread::id worker;
    std::thread other([&] {
        caller = std::this_thread::get_id();
        tesk::Run_Off_Window_Thread([&] { worker = std::this_thread::get_id(); });
    });
    other.join();
    EXPECT_EQ(worker, caller);
    EXPECT_THROW(tesk::Run_Off_Window_Thread([] { throw std::runtime_error("port gone"); }),
                 std::runtime_error);
}

// The job asks the window thread and waits for its answer, as a worker does with a message box.
int askWindowThread() {
    std::mutex mutex;
    std::condition_variable answered;
    int answer = 0;
    const auto alive = std::make_shared<int>(0);
    tesk::Queue_To_App_Thread(alive, [&] {
        std::lock_guard lock(mutex);
        answer = 42;
        answered.notify_all();
    });
    std::unique_lock lock(mutex);
    answered.wait(lock, [&] { return answer != 0; });
    return answer;
}

TEST(Worker, DoneComesOnTheWindowThreadAfterWhatTheJobHandedOver) {
    std::vector<int> order;
    std::thread::id doneThread;
    int answer = 0;
    const auto alive = std::make_shared<int>(0);
    tesk::Worker worker;
    worker.start(
        [&] {
            answer = askWindowThread();
            tesk::Queue_To_App_Thread(alive, [&] { order.push_back(1); });
        },
        [&] {
            doneThread = std::this_thread::get_id();
            order.push_back(2);
        });
    worker.wait();
    EXPECT_FALSE(worker.running());
    EXPECT_EQ(answer, 42);
    EXPECT_EQ(doneThread, std::this_thread::get_id());
    EXPECT_EQ(order, (std::vector<int>{1, 2}));
}

TEST(Worker, DoneIsDroppedOnceItsContextIsGone) {
    auto owner = std::make_shared<int>(0);
    bool doneRan = false;
    tesk::Worker worker{std::weak_ptr<const void>(owner)};
    worker.start([&] { owner.reset(); }, [&] { doneRan = true; });
    worker.wait();
    EXPECT_FALSE(doneRan);
}

TEST(Worker, AWaitAlsoCoversTheJobItsDoneStepStarted) {
    std::atomic<int> jobs{0};
    bool secondDone = false;
    tesk::Worker worker;
    worker.start([&] { ++jobs; },
                 [&] { worker.start([&] { ++jobs; }, [&] { secondDone = true; }); });
    worker.wait();
    EXPECT_EQ(jobs.load(), 2);
    EXPECT_TRUE(secondDone);
}

TEST(WorkerGroup, WaitsForThreadsStartedByItsThreadsAndWhatTheyHandedOver) {
    std::atomic<int> bodies{0};
    int handedOver = 0;
    const auto alive = std::make_shared<int>(0);
    tesk::WorkerGroup group;
    group.start([&] {
        for (int i = 0; i < 3; ++i) {
            group.start([&] {
                EXPECT_EQ(askWindowThread(), 42);
                ++bodies;
                tesk::Queue_To_App_Thread(alive, [&] { ++handedOver; });
            });
        }
        ++bodies;
    });
    group.wait();
    EXPECT_EQ(bodies.load(), 4);
    EXPECT_EQ(handedOver, 3);
    EXPECT_EQ(group.running(), 0);
}

}  // namespace
