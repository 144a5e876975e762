#pragma once
// Ctrl-C and SIGTERM for a run that must stop cleanly. The signal handler only writes a byte
// into a pipe (the one thing that is safe there); a socket notifier on the other end calls the
// handler on the main thread from its event loop. A second signal ends the program at once
// (the handlers are back to the defaults after the first).
#include <QSocketNotifier>

#include <functional>
#include <memory>

namespace tesk::cli {

class InterruptWatch {
  public:
    InterruptWatch();
    ~InterruptWatch();  // puts the default handlers back
    InterruptWatch(const InterruptWatch&) = delete;
    InterruptWatch& operator=(const InterruptWatch&) = delete;

    // Called on the main thread, once per signal received, while the event loop runs.
    void setHandler(std::function<void()> handler) { handler_ = std::move(handler); }
    bool interrupted() const { return interrupted_; }

  private:
    void drain();

    std::unique_ptr<QSocketNotifier> notifier_;
    std::function<void()> handler_;
    bool interrupted_ = false;
};

}  // namespace tesk::cli
