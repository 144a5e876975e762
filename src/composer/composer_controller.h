#pragma once
// The logic of one composer window (GSM or Android): the recipient list with its acceptance
// rules, the exclusion numbers, the composer inputs and option switches, message counting, the
// list message editing and the number import. No widgets: the screen is reached through a
// ComposerView and every message box through the dialogs port.
//
// Threads. The controller belongs to the window thread (the thread that constructs it). The one
// exception is the number import, which runs Load_Num_Func on a worker thread: the worker reads
// the options and fields (guarded), appends to the list (the list locks; the worker is the only
// writer while it runs, the please-wait sheet keeps the user out) and reaches the view only
// through the GUI poster. Window-thread calls read the list freely meanwhile.
#include "composer/composer_view.h"
#include "composer/list_item.h"
#include "composer/message_rules.h"
#include "composer/recipient_list.h"
#include "core/off_window_thread.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace tesk::composer {

enum class FillTarget { All, Selected, Blank };

// Why the silent acceptance rules refused a number.
enum class Refusal { None, Invalid, Duplicate, Excluded };

// What one import (file or pasted block) did with the numbers it found.
struct ImportTally {
    int added = 0;
    int invalid = 0;     // records that held something written as a number, none valid
    int duplicates = 0;  // numbers already in the list (Skip Duplicate Numbers)
    int excluded = 0;    // numbers in the exclusion list (Exclusion List)
    QString scientific;  // an invalid number written in scientific notation, if any
    int leftOut() const { return invalid + duplicates + excluded; }
};

class ComposerController {
  public:
    // Hands a task to the window thread, in order (the window layer queues it with the window
    // as context object, so tasks die with the window). Without a poster, tasks run at once on
    // the calling thread: fine for tests and tools without a screen.
    using GuiPoster = std::function<void(std::function<void()>)>;
    // The exclusion loader (filled in by the exclusion store): empties and refills the
    // exclusion numbers, usually through Fill_Exclusion_Num_List.
    using ExclusionLoader = std::function<void(ComposerController&)>;

    explicit ComposerController(ComposerKind kind);
    // Asks a running import to stop and waits for it (shutdown).
    ~ComposerController();
    ComposerController(const ComposerController&) = delete;
    ComposerController& operator=(const ComposerController&) = delete;

    void setView(ComposerView* view);  // not owned; nullptr for none
    void setGuiPoster(GuiPoster poster);
    // Expires when the controller is destroyed. A poster that queues tasks to run later checks
    // it on the window thread before running one, so a task never reaches a controller that
    // is gone (the controller is destroyed on the window thread too).
    std::weak_ptr<const void> lifetime() const { return alive_; }
    void Set_Exclusion_Loader(ExclusionLoader loader);
    // Runs the exclusion loader again (a sending run reads the lists as they are now).
    void Reload_Exclusions();
    ComposerKind kind() const { return kind_; }

    // ---- state the window shows ----
    const RecipientList& list() const { return list_; }
    const ExclusionSet& exclusions() const { return exclusions_; }
    QString Table_Value(int row, const QString& column) const;
    QString Exclusion_Table_Value(int row, const QString& column) const;
    QString numberField() const;
    QString composerText() const;
    QString prevComposerMsg() const;  // prev_composer_msg
    QString messageIS() const;        // Message_IS
    QString charCountLabel() const;
    QString List_Count_Text() const;  // "Total Numbers : %d"
    ComposerOptions options() const;
    ComposerControls controls() const;
    QList<int> selectedRows() const { return selectedRows_; }
    // The message-type entries; "Notification" means a flash SMS.
    static QStringList Message_Types();
    bool Is_Flash_Message() const;
    // The two delayed-delivery lists, in the order the window shows them: messages before a
    // pause (19 entries) and pause length (32 entries, seconds, then minutes, then hours).
    static QStringList Delayed_Count_Entries();
    static QStringList Delayed_Pause_Entries();
    // What Delayed_Delivry_Chk preselects: " 2  Minutes" and "15".
    static constexpr int kDefaultPauseIndex = 12;
    static constexpr int kDefaultCountIndex = 6;
    // The selected entries' texts; "" when the lists are disabled or nothing is selected.
    QString Delayed_Count_Text() const;
    QString Delayed_Pause_Text() const;

    // ---- window events ----
    void Set_Selected_Rows(const QList<int>& rows);         // the table's highlighted rows
    void controlTextDidChange(const QString& numberField);  // cut to 20 characters
    void controlTextDidEndEditing(bool returnKey);          // Return adds the number
    void textDidChange(const QString& composerText);        // cut to 1600, recount
    void Skip_Duplicate_Chk(bool on);
    void Exclusion_Chk(bool on);  // switching on runs the exclusion loader
    void Save_Sent_Item_Chk(bool on);
    // How fast a GSM run talks to its modems: "Standard" (the fixed waits) or "Fast".
    static QStringList Pacing_Choices();
    void Pacing_Selected(int index);
    bool Fast_Pacing() const { return pacingIndex_ == 1; }
    // At most `limit` messages per device (0 = no limit), per run or per calendar day; and
    // whether a refusal of one number leaves the device sending the others.
    void Device_Limit(int limit, bool perDay);
    int Device_Limit_Count() const { return deviceLimit_; }
    bool Device_Limit_Per_Day() const { return deviceLimitPerDay_; }
    void Keep_Going_Chk(bool on) { keepGoing_ = on; }
    bool Keep_Going() const { return keepGoing_; }
    // Ask the network for a status report of every message ("Ask for delivery reports").
    void Delivery_Reports_Chk(bool on) { deliveryReports_ = on; }
    bool Delivery_Reports() const { return deliveryReports_; }
    void Save_Templates_Chk(bool on);
    void Unicode_Chk(bool on);  // recounts, may bring up the long-message warning
    // On: both lists enabled with " 2  Minutes" and "15" selected. Off: both disabled and
    // deselected.
    void Delayed_Delivry_Chk(bool on);
    void Msg_Type_Selected(int index);
    // The user picked other entries in the (enabled) lists; -1 for none.
    void Delayed_Choices(bool enabled, int countIndex, int pauseIndex);
    void Android_Sending_Mode(bool singleShot);
    // The Android composer's two sending-mode radios. Single-shot unticks Delayed Delivery and
    // takes its choices away (the checkbox is offered again with one-by-one).
    void Single_Shot_Mode_Radio();
    void One_By_One_Mode_Radio();

    // ---- exclusion numbers ----
    void Create_Exclusion_List(const QString& number);
    // Empties the exclusion numbers and appends each given one (trimmed, blanks ignored).
    void Fill_Exclusion_Num_List(const QStringList& numbers);

    // ---- recipient list ----
    void Add_number_To_List();
    // The silent acceptance rules: the accepted number, or "" when any rule rejects it.
    // Callable from the import worker.
    QString Num_Able_To_insert(const QString& rawNumber) const;
    // The same, saying why a number was refused.
    QString Num_Able_To_insert(const QString& rawNumber, Refusal* refusal) const;
    void Create_Num_Msg_List(const QString& number, const QString& message);
    uint8_t Check_Duplicate_Number(const QString& number) const;
    uint8_t Check_Exclusion_Number(const QString& number) const;
    uint8_t Add_Number_In_List_First();
    // 1 when no row has a message (the composer text does not count: a run sends the rows').
    uint8_t Blank_Msg_Chk() const;
    // Rows whose message is empty.
    int Blank_Message_Count() const;
    void Update_List_Count();
    void Clear_Sel_Btn();
    void Clear_All_Btn();
    void Reset_Btn();
    void doubleClickInTable();
    void OnGetSelected();
    void Export_Btn();

    // ---- templates ----
    // Where the composer text's cursor or selection is (UTF-16 positions); a template goes
    // there. Without a report from the window it goes at the end.
    void Set_Composer_Selection(int start, int end);
    // Puts a template into the composer text, replacing the selection. Past 1600 characters
    // the user is asked first (No changes nothing); yes cuts the result to 1600. The count
    // label is recounted with the long-message warning. True when the text was changed.
    bool Put_Template(const QString& text);

    // ---- message length ----
    // The count text for the text (cut to 1600); past one SMS, and when currentLabel has not
    // yet said "SMS" and openDialog is set, the long-message warning is scheduled.
    QString Long_SMS_Calculation(const QString& text, const QString& currentLabel, bool openDialog);
    // The count text of the editing dialogs (never warns).
    QString Message_Count_Text(const QString& text) const;
    void Open_Long_sms_Dialog();
    // GSM composer: how the devices the run would use submit (the device choice changed, or
    // their settings did). Recounts the composer text without the long-message warning.
    void Set_Sending_Modes(const SendingModes& modes);
    // What the GSM count is made for now: the longest number of the list and the modes.
    CountBasis Count_Basis() const;

    // ---- list message editing ----
    void Fill_Msg_Btn();
    // OK of the copy dialog; true when the dialog ends with code 1.
    bool Fill_Msg_In_List_OK(FillTarget target);
    void Update_Sel_Msgs_Btn();
    // Before a sending run: Message_IS := the composer text. True when the apply-message
    // dialog is due: a non-empty text that differs from the one last answered, or any text
    // while some row has no message.
    bool Take_Message_For_Sending();
    // The dialog was answered with OK or Continue: prev_composer_msg remembers the text, so it
    // comes once per distinct text. A cancelled dialog decided nothing and comes again.
    void Remember_Offered_Message();
    // OK of that dialog: Message_IS into every row, or only into the rows without a message.
    void Apply_Message_For_Sending(bool blankOnly);
    // The numbers the selected-items dialog lists (highlighted rows, blank numbers left out).
    QStringList Open_Update_Sel_Num_SMS_Dialog() const;
    static QString Selected_Numbers_Text(int count);  // "Total Selected Numbers : %d"
    bool Update_Sel_Num_SMS_OK(const QString& text);
    // OK of the row editor: openedNumber is the row's number when the editor opened.
    bool Update_Num_SMS_OK(int row, const QString& openedNumber, const QString& numberField,
                           const QString& messageText);

    // ---- number import ----
    // The import action: ask replace or append, choose a file, import it on a worker thread.
    void Load_Number();
    // The import body (synchronous): returns how many numbers were added.
    int Load_Num_Func(const QString& path);
    // The paste action.
    void Manually_Add_Btn();
    // OK of the pasting dialog; true when the dialog ends with OK.
    bool Manually_Add_OK(const QString& text);
    bool Import_Running() const { return importRunning_.load(); }
    // Rows taken from a store (sent items): the replace-or-append question first when the
    // list is not empty, then each number through the silent acceptance rules, added with the
    // row's own message. -1 when the question was cancelled, else how many rows were added.
    int Insert_From_Store(const QList<ListItem>& rows);
    // Waits for the import worker to end (tests and tools); on the window thread it serves the
    // window thread's queue meanwhile, so the worker's questions and updates still come through.
    void Wait_For_Import();

  private:
    bool onWindowThread() const;
    void toView(std::function<void(ComposerView&)> call);
    void showControls();
    void setNumberFieldAndView(const QString& text);
    void recountComposer(bool warn = true);
    // The longest number decides the count: recount when it changed since the last count.
    void recountForNumbers();
    MessageSize measure(const QString& text) const;
    int askReplaceOrAppend();  // 0 replace, 1 append, 2 cancel
    // The first steps of an import and of a paste: no import running, no typed number left
    // behind, and the replace-or-append question answered. False: stop here.
    bool Begin_Filling_List();
    void clearListAndView();
    // The failure message; the tally, when something was left out, says what and why.
    void showImportFailure(const ImportTally& tally = {});
    void reportProgress(int numbersRead);
    void Load_NUM_Thread(const QString& path);

    const std::shared_ptr<const void> alive_ = std::make_shared<int>(0);
    const ComposerKind kind_;
    const std::thread::id windowThread_;
    std::atomic<ComposerView*> view_{nullptr};
    GuiPoster poster_;
    ExclusionLoader exclusionLoader_;

    RecipientList list_;
    ExclusionSet exclusions_;

    mutable std::mutex fieldsMutex_;  // the texts below are read by the import worker
    QString numberField_;
    QString composerText_;
    QString prevComposerMsg_;
    QString messageIS_;
    QString charCountLabel_ = QStringLiteral("0 Characters");
    SendingModes sendingModes_;
    mutable std::atomic<int> countedDigits_{-1};  // the longest number's digits at the last count
    int selectionStart_ = -1;                     // -1: at the end
    int selectionEnd_ = -1;

    std::atomic<bool> skipDuplicate_{false};
    std::atomic<bool> exclusion_{false};
    std::atomic<bool> saveSentItems_{false};
    std::atomic<bool> saveTemplates_{false};
    std::atomic<bool> unicode_{false};
    std::atomic<bool> delayedDelivery_{false};
    std::atomic<int> pacingIndex_{0};
    std::atomic<int> deviceLimit_{0};
    std::atomic<bool> deviceLimitPerDay_{false};
    std::atomic<bool> keepGoing_{false};
    std::atomic<bool> deliveryReports_{false};

    // Window thread only.
    QList<int> selectedRows_;
    int messageTypeIndex_ = 1;
    bool delayedChoicesEnabled_ = false;
    int delayedCountIndex_ = -1;
    int delayedPauseIndex_ = -1;
    bool androidSingleShot_ = true;
    int prevListItem_ = 0;    // prev_list_item of the paste path
    ImportTally pasteTally_;  // what the last pasted block brought

    // Coalescing of worker updates: at most one label and one progress task in flight.
    std::atomic<bool> countPending_{false};
    std::atomic<bool> progressPending_{false};
    std::atomic<int> progressValue_{0};

    std::atomic<bool> importRunning_{false};
    std::atomic<bool> cancelImport_{false};
    Worker import_;  // last, so that it joins before anything the import touches goes
};

}  // namespace tesk::composer
