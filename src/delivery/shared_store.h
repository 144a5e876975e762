#pragma once
// One object per store file for the whole program. The data folder is chosen at start (and
// again by every test), so the shared object follows it: asked for another file, it is made
// afresh; whoever still holds the old one keeps it alive until done.
#include <QString>

#include <memory>
#include <mutex>

namespace tesk::delivery {

template <typename Store>
std::shared_ptr<Store> Shared_For_File(const QString& path) {
    static std::mutex mutex;
    static std::shared_ptr<Store> current;
    std::lock_guard lock(mutex);
    if (!current || current->path() != path) {
        current = std::make_shared<Store>(path);
    }
    return current;
}

}  // namespace tesk::delivery
