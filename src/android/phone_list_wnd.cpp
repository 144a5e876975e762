#include "android/phone_list_wnd.h"

#include "android/android_detection.h"
#include "android/phone_details.h"
#include "android/sms_limit.h"
#include "android/test_message.h"
#include "appstate/selection_state.h"
#include "core/device_window_steps.h"
#include "core/dialogs.h"
#include "core/log.h"
#include "core/pacing.h"
#include "core/text_helpers.h"

#include <cmath>
#include <exception>

namespace tesk::android {

namespace {

std::atomic<Phone_List_Wnd*> gDefaultInstance{nullptr};

PhoneWindowControls detectingControls() {
    PhoneWindowControls c;
    c.rows = c.search = c.select = c.continueOffline = c.mobileDevice = c.status = c.testMessage =
        c.settings = false;
    c.stop = true;
    return c;
}

}  // namespace

Phone_List_Wnd::Phone_List_Wnd() {
    gDefaultInstance = this;
    animation_.setInterval(std::max(1, static_cast<int>(std::lround(pacing::scaled(0.5) * 1000))));
    QObject::connect(&animation_, &QTimer::timeout, [this] { animationTick(); });
}

Phone_List_Wnd::~Phone_List_Wnd() {
    Phone_List_Wnd* self = this;
    gDefaultInstance.compare_exchange_strong(self, nullptr);
    // The workers, declared last, join before anything else goes.
}

Phone_List_Wnd* Phone_List_Wnd::defaultInstance() {
    return gDefaultInstance;
}

void Phone_List_Wnd::showControls(const PhoneWindowControls& controls) {
    controls_ = controls;
    if (view_) {
        view_->showControls(controls_);
    }
}

void Phone_List_Wnd::setProgress(int value) {
    progress_ = value;
    if (view_) {
        view_->showProgress(progress_);
    }
}

// The bar cycles 20, 40, 60, 80, 100 while adb works: it shows activity, not a fraction done.
void Phone_List_Wnd::animationTick() {
    if (progress_ >= 100) {
        progress_ = 0;
    }
    setProgress(progress_ + 20);
}

void Phone_List_Wnd::startAnimation() {
    animation_.start();
}

void Phone_List_Wnd::stopAnimation() {
    animation_.stop();
}

// ---- detection

void Phone_List_Wnd::Open_Ph_List_Wnd() {
    testNumber_.clear();
    if (view_) {
        view_->setTestNumberField(testNumber_);
    }
    if (ph_find_thread == 1) {
        return;  // the detection started by the last opening still runs and will report here
    }
    startDetection();
}

void Phone_List_Wnd::startDetection() {
    Stop_Modem_SRCH = 0;
    ph_find_thread = 1;
    showControls(detectingControls());
    rows_.clear();
    if (view_) {
        view_->selectRow(-1);
        view_->redrawRows();
    }
    setProgress(0);
    startAnimation();
    auto found = std::make_shared<Detected>();
    detection_.start([this, found] { *found = Find_Ph_Thread(); },
                     [this, found] { detectionEnded(found->rows, found->limitLow); });
}

Phone_List_Wnd::Detected Phone_List_Wnd::Find_Ph_Thread() {
    Detected found;
    try {
        found.rows = Find_Android_Ph_List();
        found.limitLow = !found.rows.isEmpty() && !limitOffered_ && Sms_Limit_Low();
    } catch (const std::exception& e) {
        log::writef("phone detection ended: %s\n", e.what());
    }
    return found;
}

void Phone_List_Wnd::detectionEnded(const QList<DeviceRecord>& rows, bool limitLow) {
    rows_ = rows;
    stopAnimation();
    setProgress(0);
    showControls(PhoneWindowControls{});
    if (stopSheetShown_) {
        stopSheetShown_ = false;
        if (view_) {
            view_->showPleaseWait(false);
        }
    }
    ph_find_thread = 0;
    Stop_Modem_SRCH = 0;
    if (view_) {
        view_->redrawRows();
        view_->scrollToTop();
    }
    if (!rows_.isEmpty()) {
        if (view_) {
            view_->selectRow(0);
        }
        if (limitLow) {
            offerToRaiseSmsLimit();
        }
    } else {
        PhoneWindowControls empty;
        empty.testMessage = false;
        empty.settings = false;
        showControls(empty);
    }
}

// Android would stop a long list on the phone's screen; the phone-wide setting that prevents it
// is changed only with the user's consent, asked once per window.
void Phone_List_Wnd::offerToRaiseSmsLimit() {
    if (limitOffered_ || raisingLimit_ || !view_) {
        return;
    }
    limitOffered_ = true;
    if (!view_->askAboutPhone(kRaiseSmsLimitQuestion)) {
        return;
    }
    raisingLimit_ = true;
    limit_.start(
        [] {
            try {
                Raise_Sms_Limit();
            } catch (const std::exception& e) {
                log::writef("sms limit: %s\n", e.what());
            }
        },
        [this] { raisingLimit_ = false; });
}

void Phone_List_Wnd::Search_dev_Pressed() {
    if (tst_sms_th == 1 || ph_find_thread == 1 || selecting_) {
        return;
    }
    startDetection();
}

void Phone_List_Wnd::Stopmodem_Searching_pressed() {
    if (ph_find_thread != 1) {
        return;
    }
    // The pass cannot be cut short (adb runs to its end); the sheet stays until it ends.
    Stop_Search_On_Yes(kPhoneStopQuestion, view_, stopSheetShown_, Stop_Modem_SRCH);
}

void Phone_List_Wnd::ContinueOfflinePressed() {
    if (tst_sms_th == 1 || selecting_) {
        return;
    }
    // "No" to "are you sure" keeps the window, as it does for the GSM devices.
    if (ph_find_thread == 1 &&
        !Stop_Search_On_Yes(kPhoneStopQuestion, view_, stopSheetShown_, Stop_Modem_SRCH)) {
        return;
    }
    sel_port_name_str.set(QString(""));
    sel_port_bsd_str.set(QString(""));
    if (view_) {
        view_->endModal(kEndCancel);
    }
}

void Phone_List_Wnd::Mobile_Dev_Pressed() {
    sel_port_name_str.set(QString(""));
    sel_port_bsd_str.set(QString(""));
    if (view_) {
        view_->endModal(kEndBack);
    }
}

// ---- selection

void Phone_List_Wnd::Sel_Device_Pressed() {
    if (tst_sms_th == 1 || ph_find_thread == 1 || selecting_) {
        return;
    }
    Android_Phone_Selected_Func();
}

void Phone_List_Wnd::Android_Phone_Selected_Func() {
    if (rows_.isEmpty()) {
        Show_MessageBox(kMobileNotReady);
        if (view_) {
            view_->focusRows();
        }
        return;
    }
    if (view_) {
        view_->showPleaseWait(true);
    }
    selecting_ = true;
    auto accepted = std::make_shared<bool>(false);
    selection_.start(
        [this, rows = rows_, accepted] {
            try {
                QString error;
                if (!CheckConnection(&error)) {
                    gui_.post([this] {
                        if (view_) {
                            view_->showPleaseWait(false);
                        }
                    });
                    Show_Not_Ready(error, kMobileNotReady);
                } else {
                    const QString name = Selected_Phone_Name(rows, Android_Selected_Device.get());
                    sel_port_name_str.set(name);
                    sel_port_bsd_str.set(name);
                    *accepted = true;
                }
            } catch (const std::exception& e) {
                log::writef("phone selection: %s\n", e.what());
            }
        },
        [this, accepted] { selectionEnded(*accepted); });
}

void Phone_List_Wnd::selectionEnded(bool accepted) {
    selecting_ = false;
    if (view_) {
        view_->showPleaseWait(false);
        if (accepted) {
            view_->endModal(kEndContinue);
        }
    }
}

// ---- test message and status

void Phone_List_Wnd::Send_Test_SMS_Pressed() {
    if (tst_sms_th == 1 || ph_find_thread == 1 || selecting_) {
        return;
    }
    if (rows_.isEmpty()) {
        Show_MessageBox(kPhoneListEmpty);
        if (view_) {
            view_->focusRows();
        }
        return;
    }
    const QString number = Trim_Str(testNumber_);
    if (!Android_Test_Number_Valid(number)) {
        Show_MessageBox(kInvalidAndroidTestNumber);
        if (view_) {
            view_->focusTestNumber();
        }
        return;
    }
    Start_Test_Message(test_, tst_sms_th, gui_, view_,
                       [number](const std::function<void(bool)>& sheet) {
                           Android_Send_Test_SMS_fun(number, sheet);
                       });
}

void Phone_List_Wnd::Chk_And_Dev_Status_Pressed() {
    Check_And_Dev_St_Pressed();
}

void Phone_List_Wnd::Wait_For_Workers() {
    // A worker's end may lead to another's start (a detection offers to raise the SMS limit).
    do {
        detection_.wait();
        selection_.wait();
        test_.wait();
        limit_.wait();
    } while (detection_.running() || selection_.running() || test_.running() || limit_.running());
}

}  // namespace tesk::android
