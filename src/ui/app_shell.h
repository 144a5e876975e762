#pragma once
// The application as the user meets it: the two composer windows, the mode selection window,
// the connection steps windows and the start-up and shutdown order. It is the screen of the
// application controller (AppView) and the launcher of the windows the mode selection opens.
#include "appcore/app_delegate.h"
#include "appcore/mode_selection.h"

#include <QObject>

#include <memory>

namespace tesk::devices {
class GSM_Device_List_Wnd;
}
namespace tesk::android {
class Phone_List_Wnd;
}

namespace tesk::ui {

class ComposerWindow;
class AndroidSendLauncher;
class GsmSendLauncher;

class AppShell final : public QObject,
                       public AppView,
                       public ConnectionStepsLauncher,
                       public DeviceWindowLauncher {
    Q_OBJECT
  public:
    explicit AppShell(QObject* parent = nullptr);
    ~AppShell() override;

    // Runs start-up up to the windows: the controllers, the data directory, both composer
    // windows, and schedules applicationDidFinishLaunching for when the event loop runs. False
    // when the application must end at once (the failure has been shown).
    bool start();
    // Before the process ends: closes every port of the channel table.
    void shutdown();
    // True once the user (or start-up) asked the application to end.
    bool terminating() const { return terminating_; }

    Tesk_SMSAppDelegate& app() { return app_; }
    Gsm_Tesk_Sms_Wnd& gsm() { return gsm_; }
    ComposerWindow* composerWindow(int mode) const;
    // The device window's controller: one for the whole run, so a scan stopped by leaving the
    // window can finish its device while the next opening waits for it.
    devices::GSM_Device_List_Wnd& deviceList() { return *deviceList_; }
    // The phone connection window's controller, one for the whole run like the device window's.
    android::Phone_List_Wnd& phoneList() { return *phoneList_; }
    // The Send button of the GSM composer.
    GsmSendLauncher& gsmSending() { return *gsmSend_; }
    // The Send button of the Android composer.
    AndroidSendLauncher& androidSending() { return *androidSend_; }

    // AppView
    void Show_Composer(int mode) override;
    void Set_Device_Combo(int mode, const QStringList& entries, int selected) override;
    void Set_Device_Label(int mode, const QString& text) override;
    void Set_No_Device_Notice_Visible(int mode, bool visible) override;
    int Run_Mobile_Selection_Window() override;
    void Terminate_Application() override;

    // ConnectionStepsLauncher
    int runGsmConnectionSteps() override;
    int runAndroidConnectionSteps() override;

    // DeviceWindowLauncher. Both windows end with 1 when a device was chosen and 0 when the
    // user went on without; the phone window's Back brings the mode window again.
    int runGsmDeviceWindow() override;
    int runPhoneWindow() override;

    // The device-settings window of the chosen GSM devices (nothing but a notice when none are
    // chosen).
    void runDeviceSettingsWindow();

  private:
    QWidget* frontWindow() const;
    void wire(ComposerWindow* window, int mode);

    Tesk_SMSAppDelegate app_{this};
    Gsm_Tesk_Sms_Wnd gsm_;
    std::unique_ptr<devices::GSM_Device_List_Wnd> deviceList_;
    std::unique_ptr<android::Phone_List_Wnd> phoneList_;
    std::unique_ptr<ComposerWindow> gsmWindow_;
    std::unique_ptr<ComposerWindow> androidWindow_;
    std::unique_ptr<GsmSendLauncher> gsmSend_;
    std::unique_ptr<AndroidSendLauncher> androidSend_;
    bool terminating_ = false;
};

}  // namespace tesk::ui
