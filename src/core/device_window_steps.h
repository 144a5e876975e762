#pragma once
// Steps the device windows (the GSM device list, the chosen devices' settings, the phone list)
// share. Templates over the window's view, which differ per window but all show the same
// please-wait sheet.
#include "core/dialogs.h"
#include "core/gui_queue.h"
#include "core/off_window_thread.h"

#include <QString>

#include <atomic>
#include <functional>

namespace tesk {

// Asks whether to stop the device search under way. On yes the please-wait sheet shows until
// the search has ended (it cannot be cut short in the middle of a device) and the search's
// stop flag is raised; false on no.
template <typename View>
bool Stop_Search_On_Yes(const QString& question, View* view, bool& sheetShown,
                        std::atomic<int>& stopFlag) {
    if (!Show_YES_NO_MessageBox(question)) {
        return false;
    }
    sheetShown = true;
    if (view) {
        view->showPleaseWait(true);
    }
    stopFlag = 1;
    return true;
}

// Sends a test message off the window thread. `busy` reads 1 until it has ended; the sending
// function gets a callback that shows or hides the window's please-wait sheet, handed to the
// window thread (where the view may already be gone).
template <typename View>
void Start_Test_Message(Worker& worker, std::atomic<int>& busy, const GuiQueue& gui,
                        View* const& view,
                        std::function<void(const std::function<void(bool)>&)> send) {
    busy = 1;
    worker.start(
        [&gui, &view, send = std::move(send)] {
            send([&gui, &view](bool shown) {
                gui.post([&view, shown] {
                    if (view) {
                        view->showPleaseWait(shown);
                    }
                });
            });
        },
        [&busy] { busy = 0; });
}

}  // namespace tesk
