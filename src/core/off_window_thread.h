#pragma once
// Slow device work started from a window: it runs on a worker while the window thread keeps
// serving its events (painting, the please-wait sheet, queued updates), and the caller goes on
// once the work is done, as if it had run in place. User input waits until then, so nothing
// the user does can start other work in between.
#include <functional>

namespace tesk {

// Runs `work` to its end. On the application's main thread (with an application object) it runs
// on a worker under a nested event loop; anywhere else it simply runs in place.
void Run_Off_Window_Thread(const std::function<void()>& work);

}  // namespace tesk
