#pragma once
// Users of the channel table that read its channels on threads of their own (a sending run's
// device threads). close_all_ports() must never close a port, and destroy its SerialPort, under
// a thread that is reading it: each such user registers how to stop its threads and wait for
// them, and close_all_ports() calls every registered stop before it closes a port.
//
// Registering, ending a registration and close_all_ports() all happen on one thread (the window
// thread, or the main thread of a tool); the stops run on that thread too.
#include <functional>

class ChannelTableUse {
  public:
    // `stopAndWait` ends every thread of the user that touches a table channel and returns once
    // they have all ended.
    explicit ChannelTableUse(std::function<void()> stopAndWait);
    // After this returns, close_all_ports() no longer calls the stop.
    ~ChannelTableUse();
    ChannelTableUse(const ChannelTableUse&) = delete;
    ChannelTableUse& operator=(const ChannelTableUse&) = delete;

  private:
    friend void close_all_ports();
    std::function<void()> stopAndWait_;
};
