#pragma once
// The phone connection window Phone_List_Wnd: finds the one attached phone on a worker thread,
// lists what it knows about it as label/value rows, sends a test message, and hands the phone's
// name to the Android composer (sel_port_name_str / sel_port_bsd_str).
//
// Threads: the controller belongs to the window thread. The detection, the selection check and
// the test message each run on a worker (they run adb, which may take minutes); workers queue
// every screen update to the window thread and ask their questions through the dialogs port.
#include "core/gui_queue.h"
#include "core/off_window_thread.h"
#include "modem/device_list.h"

#include <QList>
#include <QString>
#include <QTimer>

#include <atomic>

namespace tesk::android {

// Which controls the window enables.
struct PhoneWindowControls {
    bool rows = true;
    bool search = true;
    bool select = true;
    bool continueOffline = true;
    bool mobileDevice = true;
    bool status = true;
    bool testMessage = true;  // test-number field and test button
    bool settings = true;     // the GSM setting controls the window layout shares
    bool stop = false;
    bool operator==(const PhoneWindowControls&) const = default;
};

inline const QString kPhoneStopQuestion = QStringLiteral(
    "\nTerminating the current process will stop scanning connected device. Are you sure you "
    "want to continue?");
inline const QString kPhoneListEmpty = QStringLiteral("Device list is empty.");

class PhoneListView {
  public:
    virtual ~PhoneListView() = default;
    virtual void redrawRows() = 0;
    virtual void selectRow(int row) = 0;  // highlight without calling back; -1 clears
    virtual void scrollToTop() = 0;
    virtual void showControls(const PhoneWindowControls& controls) = 0;
    virtual void showProgress(int value) = 0;  // 0 to 100
    virtual void showPleaseWait(bool shown) = 0;
    virtual void setTestNumberField(const QString& text) = 0;
    virtual void focusRows() = 0;
    virtual void focusTestNumber() = 0;
    // 1 phone selected, 0 continue without a phone, kEndBack back to the mode selection.
    virtual void endModal(int code) = 0;
    // A Yes/No question about the phone (raising its SMS limit); yes when the user agreed.
    virtual bool askAboutPhone(const QString& question) = 0;
};

class Phone_List_Wnd {
  public:
    Phone_List_Wnd();
    // Waits for the workers (shutdown).
    ~Phone_List_Wnd();
    Phone_List_Wnd(const Phone_List_Wnd&) = delete;
    Phone_List_Wnd& operator=(const Phone_List_Wnd&) = delete;

    // The window of this run (the last one made), or nullptr.
    static Phone_List_Wnd* defaultInstance();

    void setView(PhoneListView* view) { view_ = view; }

    // Empties the test number, resets the bar and starts the animation and a detection; the
    // window then runs modally. It was a choice when it ends with 1 or 0 (Opened_With).
    void Open_Ph_List_Wnd();
    static bool Opened_With(int endCode) { return endCode == 1 || endCode == 0; }

    // ---- state the window shows
    QList<DeviceRecord> rows() const { return rows_; }
    const PhoneWindowControls& controls() const { return controls_; }
    int progressValue() const { return progress_; }
    bool progressAnimating() const { return animation_.isActive(); }
    QString testNumberField() const { return testNumber_; }
    bool detectionRunning() const { return ph_find_thread == 1; }
    bool testMessageRunning() const { return tst_sms_th == 1; }
    bool selectionRunning() const { return selecting_; }
    bool limitChangeRunning() const { return raisingLimit_; }

    // ---- user actions
    void Set_Test_Number_Field(const QString& typed) { testNumber_ = typed; }
    void Search_dev_Pressed();
    void Stopmodem_Searching_pressed();
    void ContinueOfflinePressed();
    void Sel_Device_Pressed();
    void Mobile_Dev_Pressed();
    void Send_Test_SMS_Pressed();
    void Chk_And_Dev_Status_Pressed();

    // Waits for every worker (tests and shutdown only; never while a worker waits for a box).
    void Wait_For_Workers();

  private:
    void startDetection();
    struct Detected {
        QList<DeviceRecord> rows;
        bool limitLow = false;  // the phone's SMS limit would stop a long list
    };
    Detected Find_Ph_Thread();  // worker
    void detectionEnded(const QList<DeviceRecord>& rows, bool limitLow);
    void offerToRaiseSmsLimit();
    void Android_Phone_Selected_Func();
    void selectionEnded(bool accepted);
    void showControls(const PhoneWindowControls& controls);
    void setProgress(int value);
    void startAnimation();
    void stopAnimation();
    void animationTick();

    PhoneListView* view_ = nullptr;
    GuiQueue gui_;
    QTimer animation_;
    QList<DeviceRecord> rows_;
    PhoneWindowControls controls_;
    QString testNumber_;
    int progress_ = 0;
    bool stopSheetShown_ = false;

    std::atomic<int> ph_find_thread{0};
    std::atomic<int> tst_sms_th{0};
    std::atomic<int> Stop_Modem_SRCH{0};
    std::atomic<bool> selecting_{false};
    std::atomic<bool> raisingLimit_{false};
    std::atomic<bool> limitOffered_{false};  // once per window: a "no" is not asked again
    // Last, so that they join before anything their jobs touch goes.
    Worker detection_;
    Worker selection_;
    Worker test_;
    Worker limit_;
};

}  // namespace tesk::android
