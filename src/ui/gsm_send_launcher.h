#pragma once
// What the Send button of the GSM composer starts: the send job's checks and questions over the
// composer window, then the sending window with the run the job prepared.
#include "sending/send_job.h"

#include <functional>

namespace tesk::ui {

class ComposerWindow;

class GsmSendLauncher final : public sending::SendJobView {
  public:
    // The window outlives the launcher.
    explicit GsmSendLauncher(ComposerWindow& window);

    // The Send button: `deviceChoice` is the composer's chosen device entry.
    void send(const QString& deviceChoice);
    // Called with the sending window just before it runs (tests and the gallery look at it).
    void setSendingWindowHook(std::function<void(class SendingWnd&)> hook) {
        hook_ = std::move(hook);
    }

    // SendJobView
    sending::ApplyChoice runApplyMessageDialog() override;
    void focusNumberField() override;
    void focusDelayedChoice(bool countChoice) override;
    void showPleaseWait(bool shown) override;
    void openSendingWindow(const sending::SendingRequest& request) override;

  private:
    ComposerWindow& window_;
    sending::GSM_Send_Job job_;
    std::function<void(SendingWnd&)> hook_;
    bool sending_ = false;
};

}  // namespace tesk::ui
