#include "devices/gui_queue.h"

#include "core/app_thread_queue.h"

namespace tesk::devices {

void GuiQueue::post(std::function<void()> task) const {
    Queue_To_App_Thread(alive_, std::move(task));
}

}  // namespace tesk::devices
