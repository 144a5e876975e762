#include "gallery/gallery_parts.h"

#include "android/android_detection.h"
#include "android/phone_details.h"
#include "appcore/app_delegate.h"
#include "appcore/connection_steps.h"
#include "devices/port_access.h"
#include "ui/app_icon.h"
#include "ui/app_shell.h"
#include "ui/connection_info_wnd.h"
#include "ui/gsm_dev_conn_step_wnd.h"
#include "ui/mobile_sel_window.h"

#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

namespace tesk::ui {
namespace {

// A message box as the dialogs port shows it, without running it.
std::unique_ptr<QWidget> messageBox(const QString& text, const QStringList& buttons) {
    auto box = std::make_unique<QMessageBox>();
    box->setWindowTitle(QStringLiteral("Tesk SMS"));
    box->setIcon(buttons.size() > 1 ? QMessageBox::Question : QMessageBox::Information);
    box->setText(text);
    for (const QString& title : buttons) {
        box->addButton(title, QMessageBox::ActionRole);
    }
    return box;
}

// The mode selection window with nobody to call: the gallery only draws it.
class IdleLaunchers final : public ComposerHost,
                            public ConnectionStepsLauncher,
                            public DeviceWindowLauncher {
  public:
    void Show_Composer(int) override {}
    void Set_Device_Combo(int, const QStringList&, int) override {}
    void Set_Device_Label(int, const QString&) override {}
    void Set_No_Device_Notice_Visible(int, bool) override {}
    int runGsmConnectionSteps() override { return kEndBack; }
    int runAndroidConnectionSteps() override { return kEndBack; }
    int runGsmDeviceWindow() override { return kEndBack; }
    int runPhoneWindow() override { return kEndBack; }
};

IdleLaunchers idleLaunchers;

}  // namespace

QList<GalleryEntry> Gallery_Shell_Entries() {
    const auto notice = [](const QString& text) {
        return [text] { return messageBox(QStringLiteral("\n") + text, {QStringLiteral("OK")}); };
    };
    return {
        {QStringLiteral("mode_selection"),
         [] {
             return std::make_unique<MobileSelWindow>(&idleLaunchers, &idleLaunchers,
                                                      &idleLaunchers);
         }},
        {QStringLiteral("gsm_connection_steps"),
         [] { return std::make_unique<GsmDevConnStepWnd>(); }},
        {QStringLiteral("android_connection_steps"),
         [] { return std::make_unique<ConnectionInfoWnd>(); }},
        {QStringLiteral("usb_debugging_4_2"), notice(kUsbDebuggingAndroid42)},
        {QStringLiteral("usb_debugging_4_0"), notice(kUsbDebuggingAndroid40)},
        {QStringLiteral("usb_debugging_3_2"), notice(kUsbDebuggingAndroid32)},
        {QStringLiteral("data_access_failure"), notice(kDataAccessFailure)},
        {QStringLiteral("phone_not_ready"), notice(android::kMobileNotReady)},
        {QStringLiteral("phone_security_warning"), notice(android::kPhoneSecurityWarning)},
        {QStringLiteral("port_access_problem"),
         notice(devices::Port_Access_Message(
             {{QStringLiteral("/dev/ttyUSB0"), EACCES}, {QStringLiteral("/dev/ttyACM1"), EBUSY}}))},
        {QStringLiteral("app_icon"),
         [] {
             auto label = std::make_unique<QLabel>();
             label->setPixmap(App_Icon().pixmap(128, 128));
             label->setFixedSize(160, 160);
             label->setAlignment(Qt::AlignCenter);
             return label;
         }},
        {QStringLiteral("help_missing"), notice(QStringLiteral("Help file does not exist!"))},
        {QStringLiteral("exit_question"),
         [] {
             return messageBox(kExitQuestion, {QStringLiteral("Yes"), QStringLiteral("No")});
         }},
    };
}

}  // namespace tesk::ui
