#pragma once
// The Send button of the Android composer: checks the composer in a fixed order, then sends the
// list through the phone in one of two modes.
//
// - Single-shot: every message goes into one message file ("zazoziz.txt"), the file is pushed
//   to the phone and the companion application is started once; it works through the file by
//   itself and the phone may then be unplugged.
// - One-by-one: one activity start per message (the message as an intent extra, or, for a
//   message the phone's command line cannot carry, "message.txt" plus a number-only start),
//   with a live sheet, a stop button and pauses after every N messages.
//
// Threads. The controller belongs to the window thread, like the composer it reads. The checks
// run on the window thread; the run itself (every adb call and fixed wait) runs on one worker
// thread, which reaches the view only through tasks queued to the window thread and asks its
// questions through the dialogs port. One run exists at a time (sms_thread_var_s).
#include "composer/composer_controller.h"
#include "composer/list_item.h"
#include "core/off_window_thread.h"
#include "sending/delayed_delivery.h"

#include <QList>
#include <QSet>
#include <QString>
#include <QTimer>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>

// 1 while an Android send runs.
inline std::atomic<int> sms_thread_var_s{0};
// 0 until a send showed the security warning (once per application run).
inline std::atomic<int> andcntr{0};

namespace tesk::sending {

inline const QString kInitializingDevice =
    QStringLiteral("Initializing Mobile device to send sms...");
inline const QString kSendingInProgress = QStringLiteral("Message sending is in progress...");
inline const QString kDeviceConnectionError = QStringLiteral("Device Connection Error!");
inline const QString kNoTextForAnyContact = QStringLiteral(
    "\nYou have composed no text message yet for any of the contacts in the entire list.");
inline const QString kSendingSecurityWarning = QStringLiteral(
    "Your Mobile handset security feature may display a warning message on your mobile phone "
    "screen and prompt for device access permission for executable file RUZIVeruDIR.apk. This "
    "executable file is used to send Text SMS and read phone details.\n\n You should allow the "
    "specified file to access the mobile device resources to continue.");
inline const QString kSingleShotHelp = QStringLiteral(
    "What is Single-shot Execution Mode?\n\nIn this SMS sending mode, complete list of Numbers is "
    "queued to your Mobile Device in Single-shot. \n\nYou do not need to keep your Phone "
    "connected to PC until messages are sent to complete list. Once list is executed to Phone, "
    "you can unplug your Mobile and take care of your other works. Rest your Mobile will do "
    "automatically.");
inline const QString kOneByOneHelp = QStringLiteral(
    "What is One-by-One Contact Process Mode?\n\nIn this SMS sending mode, each number in the "
    "list is executed individually to send SMS. \n\nThis mode has advanced delayed delivery "
    "settings feature. This mode helps controlling and customizing the load of SMS broadcasting "
    "going out of your Phone.");
inline const QString kIsExcluded = QStringLiteral(" is Excluded.");
inline const QString kIsSkipped = QStringLiteral(" is Skipped.");

// How the list-message dialog (apply the composer text to the list) ended.
enum class ListMessageChoice {
    Applied,   // end code 1: the list was changed, redraw it and go on
    Continue,  // end code 0: go on with the list as it is
    Cancel,    // any other end: the send ends without a message
};

// What the Android composer window shows for a send. Every member is called on the window
// thread. The two storage-failure dialogs are modal; the run waits for their end codes.
class AndroidSendView {
  public:
    virtual ~AndroidSendView() = default;

    // ---- the composer window
    // The list-message dialog; its buttons apply the composer text through the composer
    // (Apply_Message_For_Sending) before it ends.
    virtual ListMessageChoice runListMessageDialog() = 0;
    virtual void focusNumberField() = 0;
    virtual void focusDelayedChoice(bool countChoice) = 0;  // count list, else pause list
    virtual void setNumberFieldEnabled(bool enabled) = 0;
    virtual void redrawList() = 0;
    virtual void selectListRow(int row) = 0;  // select and scroll into view
    // The radios now say one-by-one (the storage probe failed and the user chose it); the
    // composer's mode is already switched.
    virtual void showOneByOneMode() = 0;

    // ---- the Single_Shot_Modeless sheet
    virtual void showSingleShotSheet(const QString& totalLabel) = 0;  // bar at 0
    virtual void setSingleShotStatus(const QString& text) = 0;
    virtual void setSingleShotBar(int value) = 0;  // 0..100, the activity animation
    virtual void closeSingleShotSheet() = 0;
    // File_Creation_Fail_SS: 1 switch to one-by-one, 0 give up.
    virtual int runFileCreationFailSS() = 0;

    // ---- the Send_Modeless sheet
    // Opened with the stop button disabled, total bar 0..maximum at 0 and hidden, current bar
    // at 0, pause label empty, current-number label and number text hidden.
    virtual void showSendSheet(int totalMaximum, const QString& totalLabel) = 0;
    virtual void setStopEnabled(bool enabled) = 0;
    // The total bar, the current-number label and the number text shown (or hidden).
    virtual void setProgressPartsVisible(bool visible) = 0;
    virtual void setTotalBar(int value) = 0;
    virtual void setCurrentBar(int value) = 0;  // 0..100
    virtual void setCurrentCountLabel(const QString& text) = 0;
    virtual void setCurrentNumber(const QString& text) = 0;
    virtual void setNumberPartsVisible(bool visible) = 0;  // current-number label and text
    virtual void setPauseLabel(const QString& text) = 0;
    virtual void closeSendSheet() = 0;
    // File_Creation_Fail: end code 1 skip this message, 0 stop sending; skipForAll is the state
    // of its skip-for-all checkbox when it ended (the window ticks the box again afterwards).
    virtual int runFileCreationFail(bool* skipForAll) = 0;
};

// What the run reads: a copy of the composer taken when the checks passed, so later edits in
// the window cannot change a run under way.
struct AndroidSendRequest {
    QList<composer::ListItem> list;
    composer::ComposerOptions options;
    QSet<QString> excluded;  // the exclusion numbers, reloaded for this send
    bool singleShot = true;
    QString countText;
    QString pauseText;
};

// How a one-by-one run that ran to its end tells the user: `attempted` messages were tried
// (excluded and duplicate items do not count), `handedOver` of them reached the companion, the
// rest were skipped after the phone could not store them.
QString One_By_One_End_Message(int attempted, int handedOver);

class Send_SMS_Func_Android {
  public:
    // Neither is owned; both outlive the controller.
    Send_SMS_Func_Android(composer::ComposerController& composer, AndroidSendView* view);
    // Asks a running send to stop, ends a pause and any dialog wait, and joins the worker.
    ~Send_SMS_Func_Android();
    Send_SMS_Func_Android(const Send_SMS_Func_Android&) = delete;
    Send_SMS_Func_Android& operator=(const Send_SMS_Func_Android&) = delete;

    // The Send button. `deviceLabel` is the composer's device label text. Nothing happens while
    // a send runs. True when a run was started.
    bool Send_SMS_Btn(const QString& deviceLabel);
    // The stop button of the Send_Modeless sheet: asks first; yes stops the run (a pause ends
    // at once).
    void Stop_Sending_Pressed();
    static void Sending_Mode_Help_Pressed();    // single-shot help
    static void Sending_Mode_Help_Pressed_2();  // one-by-one help

    bool running() const { return running_.load(); }
    // Serves the window thread's queue until the run has ended (tests and tools).
    void Wait_For_Run();

    // ---- what the last run did (for the window and tests)
    int pausesTaken() const { return pauses_.load(); }
    int handedOver() const { return handedOver_.load(); }  // messages the phone accepted
    bool aborted() const { return aborted_.load(); }
    bool stopped() const { return stop_.load(); }

    bool pausing() const { return pauseRunning_.load(); }

    // Why an item is not sent, in list order: its number is excluded (with the exclusion
    // option), or, with Skip Duplicate Numbers, an earlier item has the same number. Linear.
    enum class Skip { None, Excluded, Duplicate };
    static QList<Skip> Skip_Reasons(const QList<composer::ListItem>& list,
                                    const composer::ComposerOptions& options,
                                    const QSet<QString>& excluded);

  private:
    bool validate(const QString& deviceLabel);
    AndroidSendRequest buildRequest() const;
    void Send_SMS_Thread(AndroidSendRequest request);
    void SMS_Sent_By_Single_Shot_Mode(const AndroidSendRequest& request);
    void SMS_Sent_By_One_By_One_Mode(const AndroidSendRequest& request);
    void openOneByOneSheet(int total);
    void showMessageRow(int row, int total, const QString& number);
    void closeOneByOneSheet();
    bool goOnAfterStorageFailure();
    bool probeMessageStorage(const AndroidSendRequest& request);
    bool phoneReady();
    void recordItem(const AndroidSendRequest& request, const QString& number,
                    const QString& message);
    void runPause(qint64 pauseMs);
    int askOnWindowThread(std::function<int()> question);
    void post(std::function<void()> task);
    void startAnimation(bool singleShot);
    void stopAnimation();

    composer::ComposerController& composer_;
    AndroidSendView* view_;

    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
    std::atomic<bool> running_{false};
    std::atomic<bool> destroying_{false};
    std::atomic<bool> stop_{false};          // Stop_SMS_Sending_Now of this send
    std::atomic<bool> pauseRunning_{false};  // Pause_Timer_Running
    std::atomic<qint64> pauseLeftMs_{0};     // GSM_Pause_Delay_Time
    std::atomic<bool> aborted_{false};
    std::atomic<int> pauses_{0};
    std::atomic<int> handedOver_{0};
    std::atomic<bool> skipAll_{false};  // skip_msg_in_one_by_one
    QString runDate_;
    QSet<QString> templatesSaved_;  // worker only: messages already in the templates store

    // Window thread: the half-second activity animation of whichever sheet is open.
    std::unique_ptr<QTimer> activity_;
    bool animateSingleShot_ = false;
    int activityValue_ = 0;

    Worker worker_;  // last, so that it joins before anything the run touches goes
};

}  // namespace tesk::sending
