#pragma once
// The automatic settings test Automated_GSM_Sending: for one device at a time it sends one real
// test message per usable combination of SMS mode and service centre, shows each outcome, and
// applies the combination the user picks to the window that opened it.
//
// Threads: the controller belongs to the window thread. The test runs on its own worker, which
// changes the case statuses under the controller's lock and queues every screen update to the
// window thread; the progress animation is a window-thread timer.
#include "core/gui_queue.h"
#include "core/off_window_thread.h"
#include "modem/device_list.h"
#include "modem/mfcsms.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>

namespace tesk::devices {

struct TestCase {
    QString key;    // PDU_DEF_SMSC, PDU_CUS_SMSC, TXT_DEF_SMSC, TXT_CUS_SMSC
    QString title;  // "PDU Mode with Default SMSC", ...
    bool pdu;
    bool custom;
};
const QList<TestCase>& All_Test_Cases();
// The cases a device can use, in order.
QList<TestCase> Cases_For_Device(const QString& supportedModes, const QString& defaultSmsc);
// The status stored for `key` in a History text ("" when there is none).
QString Case_Status_From_History(const QString& history, const QString& key);

// The case table: Possible_Case, Description, Status, Case_SMS, Case_Name.
struct CaseRow {
    QString possibleCase;
    QString description;
    QString status;
    QString caseSms;
    QString caseName;
    QString value(const QString& key) const;
};

// One row of the device table: what the opener handed in, and what the test made of it.
struct TestDeviceRow {
    QString portName;
    QString path;
    QString model;
    bool settingsUsed = false;  // the user applied a combination to this device
    QString history;            // the statuses of the cases last run, by case key
    QString lastSmsc;           // the custom number last tested
    // The table's columns: COM_PORT, PORT_DETAL, Model ("" for any other key).
    QString value(const QString& key) const;
    bool operator==(const TestDeviceRow&) const = default;
};

// Keys of the case list last built, in order (shared with the window that shows it).
QStringList Automate_SMS_Case_Keys();

inline const QString kTestInProgress = QStringLiteral(
    "Device connection test is in progress. To perform this operation either stop the current "
    "process or wait for the test to be completed.");

// The window that opened the test; it receives the combination the user applies.
class AutomatedTestOpener {
  public:
    virtual ~AutomatedTestOpener() = default;
    // 0 = device window, 1 = device-settings window.
    virtual int Opener_Kind() const = 0;
    // Highlight the row of `path`, set its mode buttons and SMSMode, and its service centre:
    // custom with `cleanedNumber`, or the device's own.
    virtual void Apply_Test_Settings(const QString& path, bool pdu, bool custom,
                                     const QString& cleanedNumber) = 0;
};

// What the opener hands in.
struct AutomatedTestHandIn {
    QList<DeviceRecord> devices;  // port name, path and model are read
    QString testNumber;
    AutomatedTestOpener* opener = nullptr;
};

// The fields of the window, besides its two tables.
struct AutomatedTestFields {
    QString portName;
    QString portPath;
    QString detailsText;
    QString startTitle;  // "Start Test for Device Connected at : \n%@"
    QString model;
    QString defaultSmsc;
    QString customSmsc;
    QString testNumber;
    bool operator==(const AutomatedTestFields&) const = default;
};

class AutomatedTestView {
  public:
    virtual ~AutomatedTestView() = default;
    virtual void redrawDevices() = 0;
    virtual void redrawCases() = 0;
    virtual void selectDevice(int row) = 0;  // highlight without calling back
    virtual void showFields(const AutomatedTestFields& fields) = 0;
    // Running: start and clear buttons hidden; stop, progress and status line shown; custom
    // field, test-number field and device table disabled. Not running: the reverse.
    virtual void showRunning(bool running) = 0;
    virtual void setStatusLine(const QString& text) = 0;
    virtual void setProgress(int value) = 0;  // 0..100
    virtual void showPleaseWait(bool shown) = 0;
    virtual void endModal(int code) = 0;
};

class Automated_GSM_Sending {
  public:
    Automated_GSM_Sending();
    // Asks a running test to stop and waits for it (shutdown).
    ~Automated_GSM_Sending();
    Automated_GSM_Sending(const Automated_GSM_Sending&) = delete;
    Automated_GSM_Sending& operator=(const Automated_GSM_Sending&) = delete;

    void setView(AutomatedTestView* view) { view_ = view; }

    // Rebuilds the device list from the hand-in and highlights row 0. The window then runs
    // modally (the caller's part).
    void Open_Automated_SMS_Wnd(const AutomatedTestHandIn& handIn);

    // ---- state the window shows ----
    QList<TestDeviceRow> devices() const;
    QList<CaseRow> cases() const;
    const AutomatedTestFields& fields() const { return fields_; }
    int highlightedDevice() const { return prevIndex_; }
    int highlightedCase() const { return caseIndex_; }
    bool testRunning() const { return running_; }

    // ---- user actions ----
    void Highlight_Device(int row);
    void Highlight_Case(int row) { caseIndex_ = row; }
    void Set_Custom_Field(const QString& typed);
    void Set_Test_Number_Field(const QString& typed);
    void Start_Case_Button_Presses();
    void Stop_Button_Presses();
    void Clear_Status_Button_Presses();
    void Use_Settings_Button_Presses();
    void Close_Button_Presses();
    void More_Info_SMSC_Pressed();

    // Waits for the test worker (tests and shutdown only).
    void Wait_For_Test();

  private:
    struct TestJob {
        int row;
        QString path;
        QString customNumber;
        QString testNumber;
        QList<TestCase> cases;
        QStringList messages;  // Case_SMS of each case
    };
    void rebuildCases();
    void runTest(TestJob job);                               // worker
    QString runCase(int fd, const TestJob& job, int index);  // worker
    void setAllStatuses(QStringList& statuses, const QString& status, bool onlyEmpty);
    void postToView(std::function<void(AutomatedTestView*)> change);
    void finishTest(bool stopped, int row, const QString& history);
    void setStatus(int index, const QString& status);
    void startAnimation();
    void stopAnimation();
    DeviceRecord factsOf(const QString& path) const;

    AutomatedTestView* view_ = nullptr;
    DeviceList facts_;  // what the channel looks up to give a device its own centre back
    MFCSMS channel_;
    GuiQueue gui_;

    mutable std::mutex mutex_;  // devices_ and cases_
    QList<TestDeviceRow> devices_;
    QList<CaseRow> cases_;

    AutomatedTestFields fields_;
    AutomatedTestOpener* opener_ = nullptr;
    int prevIndex_ = -1;
    int caseIndex_ = -1;
    int animationValue_ = 0;
    std::unique_ptr<QTimer> animation_;

    std::atomic<bool> running_{false};  // test_auto_sms_th
    std::atomic<bool> stop_{false};     // stop_automate_thread
    Worker worker_;  // last, so that it joins before anything the test touches goes
};

}  // namespace tesk::devices
