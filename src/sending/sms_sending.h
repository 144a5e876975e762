#pragma once
// The GSM sending run SMS_Sending: turns the recipient list into sending items, starts one
// sending thread per working device (2 seconds apart, never more threads than messages), lets
// the devices take items first come first served, records every outcome, pauses every N
// messages, stops on request and ends with one of three messages.
//
// Threads: the controller belongs to the window thread. The loader/dispatcher and each device
// run on the run's workers, and the last of them to leave ends the run; they change the sending
// table (which has its own lock) and queue every screen update to the window thread. Questions
// and notices go through the dialogs port.
#include "composer/list_item.h"
#include "core/off_window_thread.h"
#include "delivery/delivery_book.h"
#include "delivery/inbox.h"
#include "modem/channel_users.h"
#include "modem/device_list.h"
#include "modem/pacing_choice.h"
#include "modem/submission_outcome.h"
#include "sending/delayed_delivery.h"
#include "sending/run_rate.h"
#include "sending/sending_table.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace tesk::sending {

inline const QString kRunFinished = QStringLiteral("SMS Sending process is finished.");
inline const QString kRunStopped = QStringLiteral("SMS Sending process is stopped");
inline const QString kRunStoppedAndClosed = QStringLiteral("SMS Sending process is stopped.");
inline const QString kStopQuestion = QStringLiteral(
    "\nTerminating the current process will stop sending text messages to the remaining "
    "contact. Are you sure you want to continue?");
inline const QString kFinishedStatus = QStringLiteral("Finish.");
inline const QString kSendingStatus = QStringLiteral("Sending Messages, Please wait...");
inline const QString kPopulatingStatus =
    QStringLiteral("Populating Phone Numbers and Message List, Please wait...");
// The window's title and note while the run goes on and once it has ended.
inline const QString kSendingTitle = QStringLiteral("Sending Messages, Please wait...");
inline const QString kFinishedTitle = QStringLiteral("Sending Process, Finished.");
inline const QString kDoNotOperateNote = QStringLiteral(
    "Please do not operate your mobile device while message sending process is going on. "
    "Operating the mobile device functions during the messaging process may interrupt the "
    "execution and may result errors in process.");
inline const QString kSendingNote =
    QStringLiteral("It may take a while, Please wait...\n\n") + kDoNotOperateNote;
// The warning not to touch the device belongs to the run; once it has ended it would mislead.
inline const QString kFinishedNote = QStringLiteral("Sending Process, Finished.");

struct SendingRequest {
    QList<composer::ListItem> list;
    QStringList entries;  // the sending device choice: device paths, "All Device" last when >1
    QString selected;     // its selected text
    QList<DeviceRecord> devices;  // records of the entries (looked up by path)
    QString chosenDevicePath;     // sel_port_bsd_str
    SendingRules rules;
    bool unicode = false;
    bool flash = false;  // message type "Notification"
    bool saveSentItems = false;
    bool saveTemplates = false;
    bool delayed = false;
    QString countText;
    QString pauseText;
    modem::Pacing pacing = modem::Pacing::Standard;
    // Operators block SIMs that send too much: at most this many messages per device in the
    // run, or per calendar day across runs when `deviceLimitPerDay`; 0 = no limit.
    int deviceLimit = 0;
    bool deviceLimitPerDay = false;
    // A refusal that concerns the message or its number (+CMS ERROR 0-255, the network's
    // causes) ends that item only; the device ends on any other error or 3 refusals in a row.
    bool keepGoingAfterRefusal = false;
    // Ask the network for a status report of every message, and read the reports (and any
    // replies) the devices pass on while the run goes on.
    bool deliveryReports = false;
};

// Shown when every device stopped at its limit while messages were left: %1 the limit, %2 the
// messages marked "Stopped.".
inline const QString kLimitReached = QStringLiteral(
    "\nEvery device has sent its %1 messages allowed%2. The %3 messages left were not sent and "
    "are marked \"Stopped.\"; send them later or through another device.");

// True for a refusal by the network of one message or number (+CMS ERROR 0-255), as opposed to
// the device's own errors (300 and above), a bare ERROR, silence or a lost line.
bool Refusal_Concerns_The_Message(const modem::SubmissionOutcome& outcome);

class SendingView {
  public:
    virtual ~SendingView() = default;
    virtual void redrawTable() = 0;
    virtual void setStatusText(const QString& text) = 0;
    virtual void setProgressText(const QString& text) = 0;
    virtual void setOverallBar(int value, int maximum) = 0;
    virtual void setMessageBar(int value) = 0;  // 0..100
    virtual void setPauseLabel(const QString& text) = 0;
    virtual void setStopVisible(bool visible) = 0;
    virtual void setExportVisible(bool visible) = 0;
    virtual void setCloseEnabled(bool enabled) = 0;
    virtual void showPleaseWait(bool shown) = 0;
    virtual void closeWindow() = 0;
    virtual void offerToOpenExportedFile(const QString& path) = 0;
    // The run's pace: messages per minute and the time left (Rate_Text shows them).
    virtual void setRate(const RateInput& /*rate*/) {}
};

class SMS_Sending {
  public:
    SMS_Sending();
    // Stops a running run and waits for its threads (shutdown), as Stop_For_Shutdown does.
    ~SMS_Sending();
    SMS_Sending(const SMS_Sending&) = delete;
    SMS_Sending& operator=(const SMS_Sending&) = delete;

    void setView(SendingView* view) { view_ = view; }

    // Starts the run (loader, then the devices). The window shows meanwhile.
    void Open_SMS_Sending_Dialog(SendingRequest request);

    const SendingTable& table() const { return table_; }
    QString statusText() const { return statusText_; }
    QString progressText() const { return progressText_; }
    QString pauseLabel() const { return pauseLabel_; }
    QString rateText() const { return rateText_; }
    // The figures behind rateText(), as of now.
    RateInput Rate_Input() const;
    bool running() const { return !ended_; }
    bool pausing() const { return pauseRunning_; }
    bool deliveryReports() const { return request_.deliveryReports; }
    // The end message shown ("" until the run has ended).
    QString endMessage() const { return endMessage_; }

    void Stop_Btn();
    void CancelPressed();
    // The status report of the run (all / sent / not sent; text or HTML).
    void Export_Btn();

    // Runs the window thread's queue until the run has ended (tests and tools).
    void Wait_For_Run();

    // Application end: stops the run without a question or a notice and returns once every
    // thread of the run has ended; what was left is marked "Stopped.". Called on the window
    // thread, it runs the window thread's queue meanwhile (a thread may be waiting for a box).
    // close_all_ports() calls it before it closes a channel the run reads.
    void Stop_For_Shutdown();

  private:
    struct Device {
        int slot;
        QString entry;
        SmsMode mode;
        bool submits() const { return mode == SmsMode::Pdu || mode == SmsMode::Text; }
        QString customNumber;
        QString smsCapable;
    };
    void dispatch();  // worker: load, then prepare the devices
    void sendLoop(Device device);
    // The steps of dispatch.
    void loadTable();
    QStringList chosenEntries() const;
    Device deviceFor(int slot, const QString& entry) const;
    // The steps of sendLoop, over one device's share of the run.
    struct DeviceRun;
    enum class Turn { Claim, Wait, Leave };
    void prepareDeviceForRun(DeviceRun& run);
    void startDeviceShare(DeviceRun& run);
    Turn nextTurn(DeviceRun& run);
    bool sendNext(DeviceRun& run);
    void submitMessage(DeviceRun& run, const QString& number, const QString& message,
                       QString* outcome);
    bool judgeOutcome(DeviceRun& run, const QString& outcome);
    void recordOutcome(DeviceRun& run, int index, const QString& number, const QString& message,
                       const QString& outcome, bool sent);
    void keepSentItemAndTemplate(int index, const QString& number, const QString& message,
                                 const QString& outcome, const QString& today);
    void pauseAfterBatch();
    void awaitLastReports(DeviceRun& run);
    void releaseDevice(DeviceRun& run);
    void runPause(bool* stoppedDuringPause);
    void deviceLeft(bool withoutMode);  // withoutMode: the device had no SMS mode
    void showFinishing();
    void finishRun();
    void endPause();
    void stopRun(bool closing);
    void post(std::function<void()> task);
    void showProgress();
    DeviceRecord recordOf(const QString& entry) const;
    // The delivery state of the message the book knows by `id`, into its row.
    void showDelivery(const QString& id);
    QString simKeyOf(const QString& entry) const;
    // The book's id of the message, "" when it was not sent or no report can find it.
    QString recordForDelivery(int row, const QString& device, const QString& number,
                              const QString& message, bool sent,
                              const modem::SubmissionOutcome& outcome);

    SendingView* view_ = nullptr;
    SendingRequest request_;
    SendingTable table_;
    PauseSettings pause_;

    // Window thread.
    QString statusText_;
    QString progressText_;
    QString pauseLabel_;
    QString rateText_;
    QString endMessage_;
    int messageBar_ = 0;
    std::unique_ptr<QTimer> activity_;

    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
    std::atomic<bool> stop_{false};          // Stop_SMS_Sending_Now for this run
    std::atomic<bool> closing_{false};       // dlg_close "YES"
    std::atomic<bool> pauseRunning_{false};  // Pause_Timer_Running
    std::atomic<qint64> pauseLeftMs_{0};     // GSM_Pause_Delay_Time
    std::atomic<int> msgCount_{0};           // msg_cnt: messages finished in this batch
    std::atomic<int> batchClaims_{0};        // messages claimed in this batch
    std::atomic<int> devicesStarted_{0};
    std::atomic<int> devicesAtLimit_{0};
    bool pausesOn() const;
    bool takeBatchSlot();
    std::atomic<int> activeDevices_{0};
    std::atomic<bool> finisherStarted_{false};
    std::atomic<bool> finishingShown_{false};  // the please-wait sheet of the run's end
    std::atomic<bool> ended_{true};
    std::atomic<bool> deviceWithoutModeSeen_{false};
    std::atomic<bool> quiet_{false};  // shutdown: no more message boxes
    // The run's pace, for messages per minute and the time left.
    using Clock = std::chrono::steady_clock;
    struct DeviceTally {
        QString entry;
        QString name;
        int handled = 0;
        Clock::time_point started;
    };
    void deviceStarted(const QString& entry);
    void deviceHandled(const QString& entry);
    mutable std::mutex rateMutex_;
    std::optional<Clock::time_point> sendingStarted_;
    double pausedRealSeconds_ = 0;
    int handled_ = 0;
    std::vector<DeviceTally> tallies_;
    std::mutex deliveryMutex_;
    QHash<QString, int> deliveryRows_;  // the book's message ids of this run, by row
    // The data folder's delivery book and inbox, held for the run when it asks for reports.
    std::shared_ptr<delivery::DeliveryBook> book_;
    std::shared_ptr<delivery::Inbox> inbox_;
    // Every thread of the run starts here, so shutdown knows when the last one has ended.
    WorkerGroup threads_;
    // Last, so it is the first to go: close_all_ports() stops this run before closing ports.
    ChannelTableUse channelUse_{[this] { Stop_For_Shutdown(); }};
};

}  // namespace tesk::sending
