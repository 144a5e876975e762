#pragma once
// Work off the window thread. Every thread of the program starts here, so how a worker hands
// its end to the window thread, how it is waited for and when it is joined is written once:
//
// - Worker: one job at a time for an owner (a scan, a test message, an import, a file read).
//   Its done step runs on the window thread after everything the job handed over, and only
//   while the owner is still there.
// - WorkerGroup: the many threads of one run (a sending run's dispatcher and its devices),
//   counted and waited for together.
// - Run_Off_Window_Thread: slow device work the window thread waits for in place.
//
// Waiting on the window thread serves its queue meanwhile (without user input): a worker may at
// that moment be blocked on a message box, which needs the window thread. Destructors stop
// nothing (owners set their stop flags first) but join, so no thread outlives its owner.
#include <QPointer>

#include <functional>
#include <memory>

namespace tesk {

class Worker {
  public:
    // The done step runs only while the worker exists.
    Worker();
    // ... and while `context` does: an owner's lifetime token, or a window.
    explicit Worker(std::weak_ptr<const void> context);
    explicit Worker(const QObject* context);
    // Joins a job that still runs; a done step still queued is dropped. Owners that are being
    // destroyed set their stop flags first, and declare their workers after everything a job
    // touches, so the join comes before any of it goes.
    ~Worker();
    Worker(const Worker&) = delete;
    Worker& operator=(const Worker&) = delete;

    // Runs `body` on a new thread, then `done` on the window thread. Without an application
    // object `done` runs on the worker at the end of `body`. A previous job is joined first
    // (owners start one only once the last has ended). A body that throws is logged and ends
    // like one that returned. Called on the owner's thread, as are running() and wait().
    void start(std::function<void()> body, std::function<void()> done = {});
    // From start() until the done step has run or was dropped.
    bool running() const;
    // Returns once the job has ended. On the window thread it serves the window thread's queue
    // until the done step has run, also that of a job the done step started in turn (called
    // from a done step, it returns at once); anywhere else it joins the thread.
    void wait();

  private:
    struct Job;
    std::shared_ptr<const void> alive_;
    std::function<bool()> contextAlive_;
    std::shared_ptr<Job> job_;
};

class WorkerGroup {
  public:
    WorkerGroup();
    // Joins every thread of the group.
    ~WorkerGroup();
    WorkerGroup(const WorkerGroup&) = delete;
    WorkerGroup& operator=(const WorkerGroup&) = delete;

    // Runs `body` on a new thread of the group; callable on any thread, also on one of the
    // group's own. A body that throws is logged and ends like one that returned.
    void start(std::function<void()> body);
    // Threads of the group whose body has not returned yet.
    int running() const;
    // Returns once every thread started so far, and every thread those started, has ended. On
    // the window thread it serves the window thread's queue until each thread's end has come
    // through it, so everything the threads handed over has been done too; anywhere else it
    // joins them. Not on a thread of the group.
    void wait();

  private:
    struct Shared;
    std::shared_ptr<Shared> shared_;
};

// Runs `work` to its end. On the application's main thread (with an application object) it runs
// on a worker while the window thread keeps serving its events (painting, the please-wait
// sheet, queued updates), and the caller goes on once the work is done, as if it had run in
// place; user input waits until then, so nothing the user does can start other work in
// between. Anywhere else it simply runs in place. A failure of `work` reaches the caller.
void Run_Off_Window_Thread(const std::function<void()>& work);

}  // namespace tesk
