#include "core/gui_queue.h"

#include "core/app_thread_queue.h"

namespace tesk {

void GuiQueue::post(std::function<void()> task) const {
    Queue_To_App_Thread(alive_, std::move(task));
}

}  // namespace tesk
