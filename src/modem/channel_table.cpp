#include "modem/mfcsms.h"

#include <array>
#include <mutex>

namespace {

std::array<std::unique_ptr<MFCSMS>, kChannelCount>& table() {
    static std::array<std::unique_ptr<MFCSMS>, kChannelCount> channels;
    return channels;
}

std::once_flag& firstFill() {
    static std::once_flag once;
    return once;
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

void close_all_ports() {
    for (int slot = 0; slot < kChannelCount; ++slot) {
        MFCSMS* channel = mfc_sms_obj_arr(slot);
        if (channel->port && channel->port->isOpen()) {
            channel->Close_Port();
        }
    }
}
