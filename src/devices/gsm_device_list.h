#pragma once
// The GSM device window GSM_Device_List_Wnd: scans every serial modem on a worker thread, lists
// each usable device once, shows the facts and connection settings of the highlighted device,
// sends test messages, opens the automatic settings test, and hands the devices the user ticked
// to the GSM composer (the selection hand-over).
//
// Threads: the controller belongs to the window thread. The scan, the selection checks (which
// talk to the modems) and the test message each run on a worker; they share the window's modem
// channel, but never at the same time (each refuses to start while another runs). Workers queue
// every screen update to the window thread.
#include "core/gui_queue.h"
#include "core/off_window_thread.h"
#include "devices/automated_test.h"
#include "devices/connection_settings.h"
#include "devices/port_access.h"
#include "modem/device_list.h"
#include "modem/mfcsms.h"

#include <QList>
#include <QString>
#include <QVariant>

#include <atomic>
#include <memory>
#include <optional>

namespace tesk::devices {

// Which controls the window enables.
struct DeviceWindowControls {
    bool table = true;
    bool details = true;
    bool search = true;
    bool select = true;
    bool cancel = true;
    bool testMessage = true;  // test-number field and test button
    bool settings = true;     // mode buttons, service-centre fields and check box
    bool mobileDevice = true;
    bool stop = false;
    bool operator==(const DeviceWindowControls&) const = default;
};

struct DeviceDetailsFields {
    QString portName;
    QString portPath;
    QString detailsText;
    bool operator==(const DeviceDetailsFields&) const = default;
};

inline const QString kStopScanQuestion = QStringLiteral(
    "\nTerminating the current process will stop scanning connected device. Are you sure you "
    "want to continue?");
inline const QString kScanRunning = QStringLiteral(
    "Scanning process for finding connected Mobile devices has not been completed yet. To "
    "perform this operation either stop the current process or wait for the process to be "
    "completed.");
inline const QString kNoScanYet = QStringLiteral(
    "The scanning to find connected Mobile devices has not been performed yet.\nPlease click on "
    "\"Search Mobile Device Again\" button to find connected Mobile devices to continue.");

class GsmDeviceListView {
  public:
    virtual ~GsmDeviceListView() = default;
    virtual void redrawTable() = 0;
    virtual void selectRow(int row) = 0;  // highlight without calling back; -1 clears
    virtual void scrollToTop() = 0;
    virtual void showControls(const DeviceWindowControls& controls) = 0;
    virtual void showProgress(int value, int maximum) = 0;
    virtual void showDetails(const DeviceDetailsFields& fields) = 0;
    virtual void showSettings(const SettingsFields& fields) = 0;
    virtual void setTestNumberField(const QString& text) = 0;
    virtual void showPleaseWait(bool shown) = 0;
    virtual void endModal(int code) = 0;
    // Runs the automatic settings test window modally with this hand-in.
    virtual void runAutomatedTest(const AutomatedTestHandIn& handIn) = 0;
};

class GSM_Device_List_Wnd final : public SettingsHost, public AutomatedTestOpener {
  public:
    // Modems come from FindModems unless a test gives its own list of paths.
    GSM_Device_List_Wnd();
    // Asks a running scan to stop and waits for the workers (shutdown).
    ~GSM_Device_List_Wnd() override;
    GSM_Device_List_Wnd(const GSM_Device_List_Wnd&) = delete;
    GSM_Device_List_Wnd& operator=(const GSM_Device_List_Wnd&) = delete;

    void setView(GsmDeviceListView* view) { view_ = view; }
    // Scan these paths instead of the machine's modems (tests, rehearsals). The ports the user
    // added by path are scanned in either case.
    void Set_Modem_Paths(std::optional<QStringList> paths) { paths_ = std::move(paths); }
    // Where the ports added by path are remembered (default: Default_Added_Ports_File()).
    void Set_Added_Ports_File(std::optional<QString> file) { addedPortsFile_ = std::move(file); }

    // Clears the test number and starts a scan (or, while the previous one still finishes its
    // device, starts one as soon as it ends). The window then runs modally; the caller reads
    // the end code: 1 devices chosen, 0 left without.
    void Open_Ph_List_Wnd();

    // ---- state the window shows ----
    const DeviceList& list() const { return list_; }
    QList<DeviceRecord> records() const { return list_.records(); }
    DeviceRecord recordAt(int row) const;  // an empty record for a row not listed
    const DeviceWindowControls& controls() const { return controls_; }
    const DeviceDetailsFields& details() const { return details_; }
    const ConnectionSettings& settings() const { return settings_; }
    ConnectionSettings& settings() { return settings_; }
    QString testNumberField() const { return testNumber_; }
    int progressValue() const { return progressValue_; }
    int progressMaximum() const { return progressMaximum_; }
    qint64 Prev_Index() const { return prevIndex_; }
    bool scanRunning() const { return gsm_ph_find_thread; }
    bool testMessageRunning() const { return gsm_tst_sms_th; }
    bool selectionRunning() const { return selecting_; }

    // ---- user actions ----
    void Highlight_Row(int row);  // table selection change; -1 = empty selection
    void Set_State(int row, bool ticked);
    // Changes the record of a listed row (the path stays) and redraws; tests set facts so.
    void Edit_Row(int row, const std::function<void(DeviceRecord&)>& change);
    void Set_Test_Number_Field(const QString& typed);
    void Search_dev_Pressed();
    void Stopmodem_Searching_pressed();
    void ContinueOfflinePressed();
    void Sel_Device_Pressed();
    void Send_Test_SMS_Pressed();
    void Automate_Button_Presses();
    // Ports added by path: listed, added (checked; a refusal is shown) and forgotten. A change
    // takes effect with the next scan, which the window starts once the user is done.
    QStringList Added_Port_Paths() const;
    bool Add_Port(const QString& typedPath);
    void Forget_Port(const QString& path);

    // SettingsHost
    QString Highlighted_Path() const override { return details_.portPath; }
    void Update_Column_Value(const QString& path,
                             const std::function<void(DeviceRecord&)>& change) override;
    void settingsChanged() override;

    // AutomatedTestOpener
    int Opener_Kind() const override { return 0; }
    void Apply_Test_Settings(const QString& path, bool pdu, bool custom,
                             const QString& cleanedNumber) override;

    // Waits for every worker (tests and shutdown only; never while a worker waits for a box).
    void Wait_For_Workers();

  private:
    class ScanListener;
    void startScan();
    void Find_Ph_Thread();  // worker
    void scanEnded();
    // Scan thread: the device just questioned on this path has gone (see the scan listener).
    bool questionedDeviceLost(const QString& path);
    void Multi_Phone_Selected_Func();
    // Worker: true when the devices were accepted.
    bool selectionWorker(const QList<DeviceRecord>& ticked, const QString& customField,
                         bool customChecked);
    void selectionEnded(bool accepted);
    void showControls(const DeviceWindowControls& controls);
    void view_showProgress();
    void showDetailsOf(const DeviceRecord& record);
    void clearDetails();

    GsmDeviceListView* view_ = nullptr;
    std::optional<QStringList> paths_;
    std::optional<QString> addedPortsFile_;
    DeviceList list_;
    MFCSMS mfc_sms_obj;
    ConnectionSettings settings_{this};
    GuiQueue gui_;

    DeviceWindowControls controls_;
    DeviceDetailsFields details_;
    QString testNumber_;
    int progressValue_ = 0;
    int progressMaximum_ = 0;
    qint64 prevIndex_ = -1;
    bool scanPending_ = false;
    QList<RefusedPort> refusedPorts_;  // this scan's ports that could not be opened
    QStringList lostPorts_;            // this scan's devices that went away while questioned
    bool stopSheetShown_ = false;

    std::atomic<int> gsm_ph_find_thread{0};
    std::atomic<int> gsm_tst_sms_th{0};
    std::atomic<int> Stop_Modem_SRCH{0};
    std::atomic<bool> selecting_{false};
    // Last, so that they join before anything their jobs touch goes.
    Worker scan_;
    Worker selection_;
    Worker test_;
};

}  // namespace tesk::devices
