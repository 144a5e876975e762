#include "core/app_thread_queue.h"

#include <QCoreApplication>
#include <QMetaObject>

#if defined(__SANITIZE_THREAD__)
#include <sanitizer/tsan_interface.h>
#endif

namespace tesk {

namespace {

// Qt's event queue orders the hand-over, but under a lock that ThreadSanitizer cannot see in
// an uninstrumented Qt; naming it keeps every posted task from reading as a race.
#if defined(__SANITIZE_THREAD__)
void handOver(void* token) {
    __tsan_release(token);
}
void takeOver(void* token) {
    __tsan_acquire(token);
}
#else
void handOver(void*) {}
void takeOver(void*) {}
#endif

}  // namespace

void Queue_To_App_Thread(std::weak_ptr<const void> alive, std::function<void()> task) {
    QCoreApplication* app = QCoreApplication::instance();
    if (!app) {
        task();
        return;
    }
    // The task travels on its own block, owned by the queued call alone (so it is also freed on
    // the window thread).
    auto owned = std::make_shared<std::function<void()>>(std::move(task));
    void* const token = owned.get();
    handOver(token);
    QMetaObject::invokeMethod(
        app,
        [alive = std::move(alive), owned = std::move(owned), token] {
            takeOver(token);
            if (!alive.expired()) {
                (*owned)();
            }
        },
        Qt::QueuedConnection);
}

}  // namespace tesk
