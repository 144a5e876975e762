#include "devices/gui_queue.h"

#include <QCoreApplication>
#include <QMetaObject>

namespace tesk::devices {

void GuiQueue::post(std::function<void()> task) const {
    QCoreApplication* app = QCoreApplication::instance();
    if (!app) {
        task();
        return;
    }
    QMetaObject::invokeMethod(
        app,
        [alive = std::weak_ptr<int>(alive_), task = std::move(task)] {
            if (!alive.expired()) {
                task();
            }
        },
        Qt::QueuedConnection);
}

}  // namespace tesk::devices
