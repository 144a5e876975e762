#include "ui/app_shell.h"

#include "android/phone_list_wnd.h"
#include "appstate/selection_state.h"
#include "core/dialogs.h"
#include "devices/gsm_device_list.h"
#include "devices/selected_device_details.h"
#include "stores/exclusion_store.h"
#include "ui/android_send_launcher.h"
#include "ui/composer_window.h"
#include "ui/connection_info_wnd.h"
#include "ui/deliveries_wnd.h"
#include "ui/device_settings_wnd.h"
#include "ui/exclusion_wizard_wnd.h"
#include "ui/gsm_dev_conn_step_wnd.h"
#include "ui/gsm_device_list_window.h"
#include "ui/gsm_send_launcher.h"
#include "ui/mobile_sel_window.h"
#include "ui/phone_list_window.h"
#include "ui/store_windows.h"

#include <QApplication>
#include <QThread>
#include <QTimer>

namespace tesk::ui {

AppShell::AppShell(QObject* parent)
    : QObject(parent),
      deviceList_(std::make_unique<devices::GSM_Device_List_Wnd>()),
      phoneList_(std::make_unique<android::Phone_List_Wnd>()) {}

AppShell::~AppShell() = default;

bool AppShell::start() {
    if (!Load_Main_Interface(app_, gsm_)) {
        return false;
    }
    // Switching Exclusion List on fills a composer's exclusion numbers from the applied lists.
    const auto loadExclusions = [](composer::ComposerController& composer) {
        composer.Fill_Exclusion_Num_List(stores::Applied_Exclusion_Numbers());
    };
    gsm_.composer().Set_Exclusion_Loader(loadExclusions);
    app_.composer().Set_Exclusion_Loader(loadExclusions);
    gsmWindow_ = std::make_unique<ComposerWindow>(gsm_.composer());
    androidWindow_ = std::make_unique<ComposerWindow>(app_.composer());
    gsmSend_ = std::make_unique<GsmSendLauncher>(*gsmWindow_);
    androidSend_ = std::make_unique<AndroidSendLauncher>(*androidWindow_);
    gsmWindow_->setSendAvailable(true);
    androidWindow_->setSendAvailable(true);
    wire(gsmWindow_.get(), kGsmMode);
    wire(androidWindow_.get(), kAndroidMode);
    // The mode window runs modally: it must start from inside the event loop, not before it.
    QTimer::singleShot(0, this, [this] { app_.applicationDidFinishLaunching(); });
    return true;
}

void AppShell::wire(ComposerWindow* window, int mode) {
    connect(window, &ComposerWindow::searchDevicesRequested, this,
            [this] { app_.Search_All_Modem(); });
    connect(window, &ComposerWindow::helpRequested, this, [this, mode] {
        if (mode == kGsmMode) {
            gsm_.Help_Btn();
        } else {
            app_.Help_Btn();
        }
    });
    connect(window, &ComposerWindow::exitRequested, this, [this] { app_.Exit_Btn(); });
    connect(window, &ComposerWindow::sentItemsRequested, this, [window, mode] {
        SentItemsWnd sentItems(mode, window->controller(), window);
        sentItems.exec();
    });
    connect(window, &ComposerWindow::exclusionListsRequested, this, [this, window] {
        // Saves, deletes and renames refresh the composer in front, when its Exclusion List
        // option is on.
        ExclusionWizardWnd wizard(
            [this] {
                composer::ComposerController& active =
                    gsm_and_none == kAndroidMode ? app_.composer() : gsm_.composer();
                if (active.options().exclusion) {
                    active.Fill_Exclusion_Num_List(stores::Applied_Exclusion_Numbers());
                }
            },
            window);
        wizard.exec();
    });
    connect(window, &ComposerWindow::templatesRequested, this, [window] {
        TemplatesWnd templates(window->controller(), window);
        templates.exec();
    });
    if (mode == kGsmMode) {
        connect(window, &ComposerWindow::deliveriesRequested, this, [window] {
            DeliveriesWnd deliveries(window);
            deliveries.exec();
        });
        connect(window, &ComposerWindow::deviceSettingsRequested, this,
                [this] { runDeviceSettingsWindow(); });
        connect(window, &ComposerWindow::sendRequested, this,
                [this, window] { gsmSend_->send(window->currentDeviceChoice()); });
    } else {
        connect(window, &ComposerWindow::sendRequested, this,
                [this, window] { androidSend_->send(window->deviceLabel()); });
    }
    window->setCloseHandler([this] { return terminating_ || app_.windowWillClose(); });
}

void AppShell::shutdown() {
    app_.applicationWillTerminate();
}

ComposerWindow* AppShell::composerWindow(int mode) const {
    return mode == kAndroidMode ? androidWindow_.get() : gsmWindow_.get();
}

QWidget* AppShell::frontWindow() const {
    ComposerWindow* window = composerWindow(gsm_and_none == kAndroidMode ? kAndroidMode : kGsmMode);
    return window != nullptr && window->isVisible() ? window : nullptr;
}

void AppShell::Show_Composer(int mode) {
    ComposerWindow* front = composerWindow(mode);
    ComposerWindow* other = composerWindow(mode == kGsmMode ? kAndroidMode : kGsmMode);
    if (front == nullptr || other == nullptr) {
        return;
    }
    other->hide();
    front->show();
    front->raise();
    front->activateWindow();
}

void AppShell::Set_Device_Combo(int mode, const QStringList& entries, int selected) {
    if (ComposerWindow* window = composerWindow(mode)) {
        window->setDeviceChoices(entries, selected);
    }
}

void AppShell::Set_Device_Label(int mode, const QString& text) {
    if (ComposerWindow* window = composerWindow(mode)) {
        window->setDeviceLabel(text);
    }
}

void AppShell::Set_No_Device_Notice_Visible(int mode, bool visible) {
    if (ComposerWindow* window = composerWindow(mode)) {
        window->setNoDeviceNoticeVisible(visible);
    }
}

int AppShell::Run_Mobile_Selection_Window() {
    MobileSelWindow window(this, this, this, frontWindow());
    return window.exec();
}

void AppShell::Terminate_Application() {
    terminating_ = true;
    // Leaves the event loop once the current handler has returned. Before the loop runs there
    // is nothing to leave (start() reports false instead), and an exit requested then would
    // make the first event loop of the process end at once.
    if (QThread::currentThread()->loopLevel() > 0) {
        QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
    }
}

int AppShell::runGsmConnectionSteps() {
    GsmDevConnStepWnd window(frontWindow());
    return window.exec();
}

int AppShell::runAndroidConnectionSteps() {
    ConnectionInfoWnd window(frontWindow());
    return window.exec();
}

int AppShell::runGsmDeviceWindow() {
    GsmDeviceListWindow window(*deviceList_, frontWindow());
    deviceList_->Open_Ph_List_Wnd();
    return window.exec();
}

int AppShell::runPhoneWindow() {
    PhoneListWindow window(*phoneList_, frontWindow());
    phoneList_->Open_Ph_List_Wnd();
    return window.exec();
}

}  // namespace tesk::ui

namespace tesk::ui {

void AppShell::runDeviceSettingsWindow() {
    if (!devices::Selected_Device_Details_GSM::Devices_Chosen()) {
        return;
    }
    DeviceSettingsWnd window(composerWindow(kGsmMode));
    window.controller().Open_Gsm_Ph_Det_List_Wnd();
    window.exec();
    composerWindow(kGsmMode)->refreshSendingModes();
}

}  // namespace tesk::ui
