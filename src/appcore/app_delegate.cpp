#include "appcore/app_delegate.h"

#include "appcore/help_document.h"
#include "appstate/data_paths.h"
#include "appstate/selection_state.h"
#include "core/dialogs.h"
#include "core/log.h"
#include "modem/mfcsms.h"

#include <exception>

namespace tesk {
namespace {

std::atomic<Tesk_SMSAppDelegate*> appInstance{nullptr};
std::atomic<Gsm_Tesk_Sms_Wnd*> gsmInstance{nullptr};

void logException(const char* where, const std::exception& e) {
    Show_NSLog_Message(QStringLiteral("%1 exception").arg(QLatin1String(where)));
    Show_NSLog_Message(QString::fromUtf8(e.what()));
}

}  // namespace

Tesk_SMSAppDelegate::Tesk_SMSAppDelegate(AppView* view) : view_(view) {}

Tesk_SMSAppDelegate::~Tesk_SMSAppDelegate() {
    Tesk_SMSAppDelegate* self = this;
    appInstance.compare_exchange_strong(self, nullptr);
    self = this;
    Main_App_wnd.compare_exchange_strong(self, nullptr);
}

Tesk_SMSAppDelegate* Tesk_SMSAppDelegate::defaultInstance() {
    return appInstance.load();
}

void Tesk_SMSAppDelegate::init() {
    appInstance = this;
    mfc_sms_obj_ = std::make_unique<MFCSMS>();
    Fill_Channel_Table();
    prev_list_item = 0;
    prev_composer_msg = QString("");
}

bool Tesk_SMSAppDelegate::awakeFromNib() {
    try {
        port_val_str_array.set({});
        port_det_str_array.set({});

        // Creating the resource directory (or finding it) is the access test.
        Resource_Path = Resource_Directory();
        if (!Make_Private_Directory(Resource_Path)) {
            Show_MessageBox(kDataAccessFailure);
            view_->Terminate_Application();
            return false;
        }
        Set_Data_Paths(Resource_Path);
        Check_Path_And_Create_Files();
        // The composer's message type, fill button, delayed-delivery lists and progress sheets
        // are set up by the composer window itself.
        Main_App_wnd = this;
    } catch (const std::exception& e) {
        logException("awakeFromNib", e);
    }
    return true;
}

void Tesk_SMSAppDelegate::applicationDidFinishLaunching() {
    try {
        view_->Show_Composer(kGsmMode);
        gsm_and_none = kGsmMode;
        Open_Mobile_Selection_Dialog();
    } catch (const std::exception& e) {
        logException("applicationDidFinishLaunching", e);
    }
}

void Tesk_SMSAppDelegate::applicationWillTerminate() {
    close_all_ports();
}

bool Tesk_SMSAppDelegate::Open_Mobile_Selection_Dialog() {
    return view_->Run_Mobile_Selection_Window() == kEndContinue;
}

bool Tesk_SMSAppDelegate::Exit_App() {
    if (!Show_YES_NO_MessageBox(kExitQuestion)) {
        return false;
    }
    view_->Terminate_Application();
    return true;
}

bool Tesk_SMSAppDelegate::windowWillClose() {
    try {
        return Exit_App();
    } catch (const std::exception& e) {
        logException("Exit_App", e);
    }
    return false;
}

bool Tesk_SMSAppDelegate::Exit_Btn() {
    return windowWillClose();
}

void Tesk_SMSAppDelegate::Help_Btn() {
    Open_Help_Document();
}

Gsm_Tesk_Sms_Wnd::Gsm_Tesk_Sms_Wnd() = default;

Gsm_Tesk_Sms_Wnd::~Gsm_Tesk_Sms_Wnd() {
    Gsm_Tesk_Sms_Wnd* self = this;
    gsmInstance.compare_exchange_strong(self, nullptr);
}

Gsm_Tesk_Sms_Wnd* Gsm_Tesk_Sms_Wnd::defaultInstance() {
    return gsmInstance.load();
}

void Gsm_Tesk_Sms_Wnd::init() {
    gsmInstance = this;
    mfc_sms_obj_ = std::make_unique<MFCSMS>();
    Fill_Channel_Table();
}

void Gsm_Tesk_Sms_Wnd::Help_Btn() {
    Open_Help_Document();
}

bool Load_Main_Interface(Tesk_SMSAppDelegate& app, Gsm_Tesk_Sms_Wnd& gsm) {
    app.init();
    gsm.init();
    if (!app.awakeFromNib()) {
        return false;
    }
    gsm.awakeFromNib();
    return true;
}

}  // namespace tesk
