#pragma once
// The two main controllers and the start-up sequence.
//
// Tesk_SMSAppDelegate is the application controller and the controller of the Android composer;
// Gsm_Tesk_Sms_Wnd is the GSM composer. Each owns its composer logic (recipient list, exclusion
// numbers, options, import, list editing), built on the window thread that creates them. Start-up
// runs, in this order:
//   1. init of both controllers: each fills the 32-slot modem channel table and makes its own
//      channel for single-device work;
//   2. awakeFromNib of both: the application controller empties the device hand-over, reaches
//      (or creates) the resource directory, computes the data paths and creates the missing
//      data files. When the resource directory cannot be reached the user is told and the
//      application ends through the view;
//   3. applicationDidFinishLaunching: the GSM composer comes to the front and the mode
//      selection window runs.
// Load_Main_Interface does 1 and 2; the widget layer calls 3 once its event loop runs.
#include "appcore/mode_selection.h"
#include "composer/composer_controller.h"

#include <QString>

#include <atomic>
#include <cstdint>
#include <memory>

class MFCSMS;

namespace tesk {

inline const QString kDataAccessFailure = QStringLiteral("Can not access Tesk sms Data file.");
inline const QString kExitQuestion =
    QStringLiteral("\nAre you sure you want to exit 'Tesk SMS Linux Edition'?");

// The screen as the application controller sees it.
class AppView : public ComposerHost {
  public:
    // Runs the mode selection window modally and returns how it ended.
    virtual int Run_Mobile_Selection_Window() = 0;
    // Ends the application: leaves the event loop, or keeps it from starting.
    virtual void Terminate_Application() = 0;
};

class Tesk_SMSAppDelegate {
  public:
    explicit Tesk_SMSAppDelegate(AppView* view);  // not owned
    ~Tesk_SMSAppDelegate();
    Tesk_SMSAppDelegate(const Tesk_SMSAppDelegate&) = delete;
    Tesk_SMSAppDelegate& operator=(const Tesk_SMSAppDelegate&) = delete;

    // The controller of this run (the last one initialised), or nullptr.
    static Tesk_SMSAppDelegate* defaultInstance();

    void init();
    // False when the resource directory could not be reached: the failure was shown and
    // Terminate_Application requested; nothing was created.
    bool awakeFromNib();
    void applicationDidFinishLaunching();
    // Closes every port of the channel table; the channels stay. A sending run still reading
    // those channels is stopped and its threads have ended before the first port closes
    // (close_all_ports does that for every run).
    void applicationWillTerminate();

    // Runs the mode selection window; true when it ended with 1.
    bool Open_Mobile_Selection_Dialog();
    // The composer's ways back to the mode selection window.
    void Search_All_Modem() { Open_Mobile_Selection_Dialog(); }
    void Mobil_Conn_Gif_Pressed() { Open_Mobile_Selection_Dialog(); }
    void No_Device_Ticker_Click() { Open_Mobile_Selection_Dialog(); }

    // Asks whether to exit. Yes: Terminate_Application and true. No: false, nothing changes.
    bool Exit_App();
    // The main window is closing / the Exit button: Exit_App under an exception guard. False
    // means the window stays open and the application keeps running.
    bool windowWillClose();
    bool Exit_Btn();

    void Help_Btn();

    MFCSMS* mfc_sms_obj() const { return mfc_sms_obj_.get(); }
    // The Android composer: nsListDataObject, nsExclusionListDataObject and their operations.
    composer::ComposerController& composer() { return composer_; }
    int32_t prev_list_item = 0;
    QString prev_composer_msg;
    int32_t GSM_Pause_Delay_Time = 0;

  private:
    AppView* view_;
    std::unique_ptr<MFCSMS> mfc_sms_obj_;
    composer::ComposerController composer_{composer::ComposerKind::Android};
};

// The GSM composer: its composer logic, its own modem channel, its part in start-up and help.
// The send job and the device window build on it.
class Gsm_Tesk_Sms_Wnd {
  public:
    Gsm_Tesk_Sms_Wnd();
    ~Gsm_Tesk_Sms_Wnd();
    Gsm_Tesk_Sms_Wnd(const Gsm_Tesk_Sms_Wnd&) = delete;
    Gsm_Tesk_Sms_Wnd& operator=(const Gsm_Tesk_Sms_Wnd&) = delete;

    static Gsm_Tesk_Sms_Wnd* defaultInstance();

    void init();
    void awakeFromNib() {}
    void Help_Btn();

    MFCSMS* mfc_sms_obj() const { return mfc_sms_obj_.get(); }
    composer::ComposerController& composer() { return composer_; }

  private:
    std::unique_ptr<MFCSMS> mfc_sms_obj_;
    composer::ComposerController composer_{composer::ComposerKind::Gsm};
};

// Steps 1 and 2 of start-up for both controllers. False when the application must end.
bool Load_Main_Interface(Tesk_SMSAppDelegate& app, Gsm_Tesk_Sms_Wnd& gsm);

}  // namespace tesk

// The application controller once its data paths are set; nullptr before and after.
inline std::atomic<tesk::Tesk_SMSAppDelegate*> Main_App_wnd{nullptr};
