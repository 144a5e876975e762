#include "core/off_window_thread.h"

#include "core/app_thread_queue.h"
#include "core/log.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QThread>

#include <atomic>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace tesk {

namespace {

bool onWindowThread() {
    QCoreApplication* app = QCoreApplication::instance();
    return app != nullptr && QThread::currentThread() == app->thread();
}

// The hand-over that marks a thread's end is never dropped: a waiter counts on it.
std::weak_ptr<const void> always() {
    static const std::shared_ptr<const void> token = std::make_shared<int>(0);
    return token;
}

void runLogged(const std::function<void()>& body) {
    try {
        body();
    } catch (const std::exception& e) {
        log::writef("worker ended by an exception: %s\n", e.what());
    } catch (...) {
        log::write(QStringLiteral("worker ended by an exception"));
    }
}

// Serves the window thread's queue, without user input, until `ended` holds.
void serveUntil(const std::function<bool()>& ended) {
    while (!ended()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents |
                                        QEventLoop::ExcludeUserInputEvents);
    }
}

// Called by the hand-over that ends a wait: the dispatcher would otherwise go back to sleep
// after running it, with nothing else to wake it.
void wakeWaiter() {
    if (QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance()) {
        dispatcher->interrupt();
    }
}

// A thread cannot join itself. That happens only without an application object, where a done
// step runs at the end of its own worker: a job it starts replaces a thread that is ending.
void reap(std::thread& thread) {
    if (!thread.joinable()) {
        return;
    }
    if (thread.get_id() == std::this_thread::get_id()) {
        thread.detach();
    } else {
        thread.join();
    }
}

}  // namespace

// ---- Worker

struct Worker::Job {
    std::thread thread;
    std::atomic<bool> settled{false};  // the done step has run or was dropped
    std::atomic<int> waiters{0};       // window thread: waits on this job
    bool inDone = false;               // window thread: its done step runs now
};

Worker::Worker() : alive_(std::make_shared<int>(0)) {}

Worker::Worker(std::weak_ptr<const void> context) : Worker() {
    contextAlive_ = [context = std::move(context)] { return !context.expired(); };
}

Worker::Worker(const QObject* context) : Worker() {
    contextAlive_ = [context = QPointer<const QObject>(context)] { return !context.isNull(); };
}

Worker::~Worker() {
    alive_.reset();
    if (job_) {
        reap(job_->thread);
    }
}

void Worker::start(std::function<void()> body, std::function<void()> done) {
    if (job_) {
        reap(job_->thread);
    }
    auto job = std::make_shared<Job>();
    auto finish = [job, alive = std::weak_ptr<const void>(alive_), contextAlive = contextAlive_,
                   done = std::move(done)] {
        if (done && !alive.expired() && (!contextAlive || contextAlive())) {
            job->inDone = true;
            done();
            job->inDone = false;
        }
        job->settled = true;
        if (job->waiters > 0) {
            wakeWaiter();
        }
    };
    // Queued behind everything the body handed over, so the done step finds all of it done.
    job->thread = std::thread([body = std::move(body), finish = std::move(finish)]() mutable {
        runLogged(body);
        Queue_To_App_Thread(always(), std::move(finish));
    });
    job_ = std::move(job);
}

bool Worker::running() const {
    return job_ && !job_->settled;
}

void Worker::wait() {
    if (!onWindowThread()) {
        if (job_) {
            reap(job_->thread);
        }
        return;
    }
    // A done step may start the next job; it is waited for too.
    while (job_ && !job_->settled) {
        if (job_->inDone) {
            return;
        }
        const std::shared_ptr<Job> job = job_;
        ++job->waiters;
        serveUntil([&job] { return job->settled.load(); });
        --job->waiters;
    }
    if (job_) {
        reap(job_->thread);  // it has handed over its end; at most its last return is left
    }
}

// ---- WorkerGroup

struct WorkerGroup::Shared {
    std::mutex mutex;
    std::vector<std::thread> threads;  // under the mutex
    std::atomic<int> started{0};
    std::atomic<int> running{0};
    std::atomic<int> settled{0};  // ends handed over (on the window thread, when there is one)
    std::atomic<int> waiters{0};
};

WorkerGroup::WorkerGroup() : shared_(std::make_shared<Shared>()) {}

namespace {

void joinAll(std::mutex& mutex, std::vector<std::thread>& threads) {
    // Taken out under the lock and joined outside it: a thread may be starting another now.
    for (;;) {
        std::vector<std::thread> taken;
        {
            std::lock_guard lock(mutex);
            taken.swap(threads);
        }
        if (taken.empty()) {
            return;
        }
        for (std::thread& thread : taken) {
            reap(thread);
        }
    }
}

}  // namespace

WorkerGroup::~WorkerGroup() {
    joinAll(shared_->mutex, shared_->threads);
}

void WorkerGroup::start(std::function<void()> body) {
    const std::shared_ptr<Shared> shared = shared_;
    ++shared->started;
    ++shared->running;
    std::lock_guard lock(shared->mutex);
    shared->threads.emplace_back([shared, body = std::move(body)] {
        runLogged(body);
        --shared->running;
        Queue_To_App_Thread(always(), [shared] {
            ++shared->settled;
            if (shared->waiters > 0) {
                wakeWaiter();
            }
        });
    });
}

int WorkerGroup::running() const {
    return shared_->running;
}

void WorkerGroup::wait() {
    Shared& shared = *shared_;
    if (onWindowThread()) {
        // Only a thread of the group starts another, before its own end is handed over: once
        // every end so far has come through, no thread is left that could start one.
        ++shared.waiters;
        serveUntil([&shared] { return shared.settled >= shared.started; });
        --shared.waiters;
    }
    joinAll(shared.mutex, shared.threads);
}

// ---- Run_Off_Window_Thread

void Run_Off_Window_Thread(const std::function<void()>& work) {
    if (!onWindowThread()) {
        work();
        return;
    }
    std::exception_ptr failure;
    Worker worker;
    worker.start([&] {
        try {
            work();
        } catch (...) {
            failure = std::current_exception();
        }
    });
    worker.wait();
    if (failure) {
        std::rethrow_exception(failure);
    }
}

}  // namespace tesk
