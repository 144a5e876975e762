#pragma once
// Hands a task from any thread to the thread of the application object (the window thread),
// in order. Every controller whose workers update a window goes through here, so the hand-over
// is written once and named to ThreadSanitizer once.
#include <functional>
#include <memory>

namespace tesk {

// Queues `task`; it is dropped if `alive` has expired by the time it would run (its owner is
// gone). Without an application object the task runs at once (tools without an event loop).
void Queue_To_App_Thread(std::weak_ptr<const void> alive, std::function<void()> task);

}  // namespace tesk
