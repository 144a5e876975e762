#include "modem/channel_users.h"
#include "modem/mfcsms.h"

#include <algorithm>
#include <array>
#include <mutex>
#include <vector>

namespace {

std::array<std::unique_ptr<MFCSMS>, kChannelCount>& table() {
    static std::array<std::unique_ptr<MFCSMS>, kChannelCount> channels;
    return channels;
}

std::once_flag& firstFill() {
    static std::once_flag once;
    return once;
}

struct Users {
    std::mutex lock;
    std::vector<ChannelTableUse*> registered;
};

Users& users() {
    static Users all;
    return all;
}

bool registered(ChannelTableUse* use) {
    std::lock_guard lock(users().lock);
    const auto& list = users().registered;
    return std::find(list.begin(), list.end(), use) != list.end();
}

}  // namespace

void Fill_Channel_Table() {
    for (auto& slot : table()) {
        slot = std::make_unique<MFCSMS>();
    }
}

MFCSMS* mfc_sms_obj_arr(int slot) {
    if (slot < 0 || slot >= kChannelCount) {
        return nullptr;
    }
    // A slot is never empty, even before the controllers have filled the table.
    std::call_once(firstFill(), [] {
        for (auto& channel : table()) {
            if (!channel) {
                channel = std::make_unique<MFCSMS>();
            }
        }
    });
    return table()[static_cast<size_t>(slot)].get();
}

ChannelTableUse::ChannelTableUse(std::function<void()> stopAndWait)
    : stopAndWait_(std::move(stopAndWait)) {
    std::lock_guard lock(users().lock);
    users().registered.push_back(this);
}

ChannelTableUse::~ChannelTableUse() {
    std::lock_guard lock(users().lock);
    auto& list = users().registered;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
}

void close_all_ports() {
    // Every reader first. A stop waits for threads and may run the window thread's queue
    // meanwhile, so it is called outside the lock, and only while its user still exists.
    std::vector<ChannelTableUse*> readers;
    {
        std::lock_guard lock(users().lock);
        readers = users().registered;
    }
    for (ChannelTableUse* use : readers) {
        if (registered(use) && use->stopAndWait_) {
            use->stopAndWait_();
        }
    }
    for (int slot = 0; slot < kChannelCount; ++slot) {
        MFCSMS* channel = mfc_sms_obj_arr(slot);
        if (channel->port && channel->port->isOpen()) {
            channel->Close_Port();
        }
    }
}
