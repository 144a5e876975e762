#include "ui/gsm_send_launcher.h"

#include "ui/apply_message_dlg.h"
#include "ui/composer_window.h"
#include "ui/sending_wnd.h"

#include <QComboBox>

namespace tesk::ui {

GsmSendLauncher::GsmSendLauncher(ComposerWindow& window)
    : window_(window), job_(window.controller(), this) {}

void GsmSendLauncher::send(const QString& deviceChoice) {
    // A second click while the job asks its questions or the run's window is up must not
    // start a second run over the same list.
    if (sending_) {
        return;
    }
    sending_ = true;
    job_.Send_SMS_Btn(deviceChoice);
    sending_ = false;
}

sending::ApplyChoice GsmSendLauncher::runApplyMessageDialog() {
    ApplyMessageDlg dialog(&window_);
    return dialog.choose();
}

void GsmSendLauncher::focusNumberField() {
    window_.focus(composer::Field::Number);
}

void GsmSendLauncher::focusDelayedChoice(bool countChoice) {
    QComboBox* choice = countChoice ? window_.delayedCountCombo() : window_.delayedPauseCombo();
    choice->setFocus();
}

void GsmSendLauncher::showPleaseWait(bool shown) {
    window_.setPleaseWait(shown);
}

void GsmSendLauncher::openSendingWindow(const sending::SendingRequest& request) {
    // The device check showed the sheet over the composer; the sending window takes over.
    window_.setPleaseWait(false);
    SendingWnd sendingWindow(&window_);
    sendingWindow.start(request);
    if (hook_) {
        hook_(sendingWindow);
    }
    sendingWindow.exec();
}

}  // namespace tesk::ui
