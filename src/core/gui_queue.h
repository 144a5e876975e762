#pragma once
// Hands work from a worker thread to the window thread. Tasks run in order on the thread of the
// application object; a task posted after its queue is gone is dropped, so a worker that ends
// late never reaches a controller that was destroyed.
#include <functional>
#include <memory>

namespace tesk {

class GuiQueue {
  public:
    GuiQueue() : alive_(std::make_shared<int>(0)) {}
    GuiQueue(const GuiQueue&) = delete;
    GuiQueue& operator=(const GuiQueue&) = delete;

    // Queued even when called on the window thread. Without an application object the task
    // runs at once (tools without an event loop).
    void post(std::function<void()> task) const;

  private:
    std::shared_ptr<int> alive_;
};

}  // namespace tesk
