#include "devices/gsm_device_list.h"

#include "appstate/selection_state.h"
#include "core/device_window_steps.h"
#include "core/dialogs.h"
#include "core/log.h"
#include "core/text_helpers.h"
#include "devices/added_ports.h"
#include "devices/device_details.h"
#include "devices/port_access.h"

#include <QFileInfo>

#include <poll.h>

#include <chrono>
#include <exception>

namespace tesk::devices {

namespace {

const QString kContinueWithout =
    QStringLiteral("\n\nAre you sure you want to continue without selecting device?");
const QString kNoDefaultSmsc = QStringLiteral(
    "Default SMSC Number could not be located for this device.\nPlease enter SMSC number "
    "manually in 'Custom SMSC no.' Field for this Device.\n\nYou can find SMSC Number in 'SMS "
    "Service Center' Details in the SMS Settings of your Mobile Device.");
const QString kNoCustomSmsc = QStringLiteral(
    "Custom SMSC Number could not be located for this device.\nPlease enter SMSC number "
    "manually in 'Custom SMSC no.' Field for this Device.\n\nYou can find SMSC Number in 'SMS "
    "Service Center' Details in the SMS Settings of your Mobile Device.");
const QString kNoDeviceOnPort = QStringLiteral(
    "Either no Mobile Device is connected on this port or selected device is not working "
    "properly.");
const QString kNoSmsCapability = kNoSmsCapabilityQuestion;

}  // namespace

// Forwards the scan's progress and rows to the window thread.
class GSM_Device_List_Wnd::ScanListener final : public ModemScanListener {
  public:
    explicit ScanListener(GSM_Device_List_Wnd* owner) : owner_(owner) {}
    void setProgressRange(int maximum) override {
        owner_->gui_.post([o = owner_, maximum] {
            o->progressMaximum_ = maximum;
            o->progressValue_ = 0;
            o->view_showProgress();
        });
    }
    void advanceProgress() override {
        owner_->gui_.post([o = owner_] {
            ++o->progressValue_;
            o->view_showProgress();
        });
    }
    void progressToEnd() override {
        owner_->gui_.post([o = owner_] {
            o->progressValue_ = o->progressMaximum_ + 1;
            o->view_showProgress();
        });
    }
    void modemFound(const QString&) override { redraw(); }
    void deviceQuestioned(const QString& path) override {
        // Asked here, on the scan thread, while the channel still has the port open.
        if (owner_->questionedDeviceLost(path)) {
            owner_->list_.Remove_By_Port_Detail(path);
            log::write(QStringLiteral("%1 stopped answering while questioned; left out").arg(path));
            owner_->gui_.post([o = owner_, path] { o->lostPorts_.append(path); });
        }
        redraw();
    }
    bool stopRequested() const override { return owner_->Stop_Modem_SRCH == 1; }
    void portRefused(const QString& path, int error) override {
        // Who holds a busy port is looked up now, while it still does.
        owner_->gui_.post([o = owner_, refused = Refused_Port(path, error)] {
            o->refusedPorts_.append(refused);
        });
    }

  private:
    void redraw() {
        owner_->gui_.post([o = owner_] {
            if (o->view_) {
                o->view_->redrawTable();
            }
        });
    }
    GSM_Device_List_Wnd* owner_;
};

GSM_Device_List_Wnd::GSM_Device_List_Wnd() {
    mfc_sms_obj.Set_Device_List(&list_);
}

GSM_Device_List_Wnd::~GSM_Device_List_Wnd() {
    Stop_Modem_SRCH = 1;  // the workers, declared last, join before anything else goes
}

void GSM_Device_List_Wnd::view_showProgress() {
    if (view_) {
        view_->showProgress(progressValue_, progressMaximum_);
    }
}

DeviceRecord GSM_Device_List_Wnd::recordAt(int row) const {
    return list_.records().value(row);
}

void GSM_Device_List_Wnd::showControls(const DeviceWindowControls& controls) {
    controls_ = controls;
    if (view_) {
        view_->showControls(controls_);
    }
}

void GSM_Device_List_Wnd::settingsChanged() {
    if (view_) {
        view_->showSettings(settings_.fields());
    }
}

void GSM_Device_List_Wnd::Update_Column_Value(const QString& path,
                                              const std::function<void(DeviceRecord&)>& change) {
    DeviceRecord record = list_.Find_By_Port_Detail(path);
    if (record.path != path) {
        return;
    }
    change(record);
    record.path = path;  // the path names the record
    list_.Replace_By_Port_Detail(record);
    if (view_) {
        view_->redrawTable();
    }
}

// ---- the scan

bool GSM_Device_List_Wnd::questionedDeviceLost(const QString& path) {
    const int fd =
        mfc_sms_obj.port && mfc_sms_obj.port->isOpen() ? mfc_sms_obj.port->fileDescriptor() : -1;
    if (fd < 0 || !QFileInfo::exists(path)) {
        return true;  // the node went with the device
    }
    pollfd line{fd, POLLIN, 0};
    if (::poll(&line, 1, 0) > 0 && (line.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
        return true;  // hung up: unplugged, or the far side closed
    }
    // Still there, but it told nothing: gone only if it does not answer now either.
    const DeviceRecord record = list_.Find_By_Port_Detail(path);
    for (const QString* fact :
         {&record.manufacturer, &record.model, &record.revision, &record.battery, &record.signal,
          &record.operatorName, &record.defaultSmsc}) {
        if (!fact->isEmpty()) {
            return false;
        }
    }
    return !mfc_sms_obj.Check_Connection(fd);
}

void GSM_Device_List_Wnd::Open_Ph_List_Wnd() {
    testNumber_.clear();
    if (view_) {
        view_->setTestNumberField(testNumber_);
    }
    startScan();
}

void GSM_Device_List_Wnd::startScan() {
    if (gsm_ph_find_thread == 1) {
        // The scan that was stopped by leaving the window is finishing its device; a new one
        // follows as soon as it ends.
        scanPending_ = true;
        return;
    }
    scanPending_ = false;
    Stop_Modem_SRCH = 0;
    gsm_ph_find_thread = 1;

    DeviceWindowControls scanning;
    scanning.table = scanning.details = scanning.search = scanning.select = scanning.cancel =
        scanning.testMessage = scanning.settings = scanning.mobileDevice = false;
    scanning.stop = true;
    showControls(scanning);
    list_.clear();
    refusedPorts_.clear();
    lostPorts_.clear();
    prevIndex_ = -1;  // the details are cleared, so highlighting row 0 again must show them
    if (view_) {
        view_->selectRow(-1);
        view_->redrawTable();
    }
    progressValue_ = 0;
    progressMaximum_ = 0;
    view_showProgress();
    clearDetails();
    settings_.Clear();

    scan_.start([this] { Find_Ph_Thread(); }, [this] { scanEnded(); });
}

void GSM_Device_List_Wnd::Find_Ph_Thread() {
    try {
        ModemIterator iterator;
        if (paths_) {
            iterator = ModemIterator(*paths_);
        } else {
            MFCSMS::FindModems(&iterator);
        }
        QStringList found;
        for (QString path; iterator.next(&path);) {
            found.append(path);
        }
        iterator = ModemIterator(Ports_To_Scan(found, Added_Port_Paths()));
        ScanListener listener(this);
        char path[1024] = {0};
        mfc_sms_obj.GetModemPath(iterator, path, sizeof path, &listener);
    } catch (const std::exception& e) {
        log::writef("device scan ended: %s\n", e.what());
    }
}

void GSM_Device_List_Wnd::scanEnded() {
    showControls(DeviceWindowControls{});
    progressValue_ = 0;
    progressMaximum_ = 0;
    view_showProgress();
    if (stopSheetShown_) {
        stopSheetShown_ = false;
        if (view_) {
            view_->showPleaseWait(false);
        }
    }
    const bool stopped = Stop_Modem_SRCH == 1;
    gsm_ph_find_thread = 0;
    Stop_Modem_SRCH = 0;
    if (view_) {
        view_->scrollToTop();
    }
    if (list_.count() > 0) {
        if (view_) {
            view_->selectRow(0);
        }
        Highlight_Row(0);
    } else {
        DeviceWindowControls empty;
        empty.testMessage = false;
        empty.settings = false;
        showControls(empty);
    }
    if (scanPending_) {
        startScan();
        return;
    }
    // Said once the rows are on screen; a scan the user stopped or left owes no explanation.
    const QString said =
        stopped ? QString() : Scan_End_Message(refusedPorts_, lostPorts_, list_.count());
    refusedPorts_.clear();
    lostPorts_.clear();
    if (!said.isEmpty()) {
        Show_MessageBox(said);
    }
}

void GSM_Device_List_Wnd::Search_dev_Pressed() {
    if (gsm_ph_find_thread == 1 || gsm_tst_sms_th == 1 || selecting_) {
        return;
    }
    startScan();
}

void GSM_Device_List_Wnd::Stopmodem_Searching_pressed() {
    if (gsm_ph_find_thread != 1) {
        return;
    }
    Stop_Search_On_Yes(kStopScanQuestion, view_, stopSheetShown_, Stop_Modem_SRCH);
}

void GSM_Device_List_Wnd::ContinueOfflinePressed() {
    if (gsm_tst_sms_th == 1 || selecting_) {
        return;
    }
    if (gsm_ph_find_thread == 1 &&
        !Stop_Search_On_Yes(kStopScanQuestion, view_, stopSheetShown_, Stop_Modem_SRCH)) {
        return;
    }
    sel_port_name_str.set(QString(""));
    sel_port_bsd_str.set(QString(""));
    if (view_) {
        view_->endModal(0);
    }
}

// ---- highlighting and editing

void GSM_Device_List_Wnd::clearDetails() {
    details_ = DeviceDetailsFields{};
    if (view_) {
        view_->showDetails(details_);
    }
}

void GSM_Device_List_Wnd::Highlight_Row(int row) {
    if (gsm_ph_find_thread == 1) {
        return;
    }
    if (row < 0) {
        if (view_) {
            view_->selectRow(static_cast<int>(prevIndex_));
        }
        return;
    }
    if (row == prevIndex_) {
        return;
    }
    const QList<DeviceRecord> rows = list_.records();
    if (row >= rows.size()) {
        return;
    }
    prevIndex_ = row;
    showDetailsOf(rows.at(row));
}

void GSM_Device_List_Wnd::showDetailsOf(const DeviceRecord& record) {
    details_ = DeviceDetailsFields{};
    details_.portName = record.portName;
    details_.portPath = record.path;
    details_.detailsText = Device_Details_Text(record);
    if (view_) {
        view_->showDetails(details_);
    }
    settings_.Reset_For_Highlight();
    settings_.Show_Row_Settings(record);
}

void GSM_Device_List_Wnd::Set_State(int row, bool ticked) {
    Edit_Row(row, [ticked](DeviceRecord& record) { record.ticked = ticked; });
}

void GSM_Device_List_Wnd::Edit_Row(int row, const std::function<void(DeviceRecord&)>& change) {
    const QString path = recordAt(row).path;
    if (!path.isEmpty()) {
        Update_Column_Value(path, change);
    }
}

void GSM_Device_List_Wnd::Set_Test_Number_Field(const QString& typed) {
    testNumber_ = Cut_To_Field_Limit(typed);
    if (testNumber_ != typed && view_) {
        view_->setTestNumberField(testNumber_);
    }
}

// ---- selection

void GSM_Device_List_Wnd::Sel_Device_Pressed() {
    if (gsm_tst_sms_th == 1 || gsm_ph_find_thread == 1 || selecting_) {
        return;
    }
    try {
        Multi_Phone_Selected_Func();
    } catch (const std::exception& e) {
        log::writef("device selection: %s\n", e.what());
    }
}

void GSM_Device_List_Wnd::Multi_Phone_Selected_Func() {
    const QList<DeviceRecord> rows = list_.records();
    if (rows.isEmpty()) {
        Show_MessageBox(kDeviceListEmpty);
        return;
    }
    QList<DeviceRecord> ticked;
    for (const DeviceRecord& record : rows) {
        if (record.ticked) {
            ticked.append(record);
        }
    }
    if (ticked.isEmpty() || prevIndex_ < 0 || prevIndex_ >= rows.size()) {
        Show_MessageBox(kSelectDevice);
        return;
    }
    if (!settings_.Update_Custom_Smsc_Func_Call()) {
        return;
    }
    // The custom number may just have been stored in the highlighted record.
    ticked.clear();
    for (const DeviceRecord& record : list_.records()) {
        if (record.ticked) {
            ticked.append(record);
        }
    }
    if (view_) {
        view_->showPleaseWait(true);
    }
    port_val_str_array.set({});
    port_det_str_array.set({});
    selecting_ = true;
    auto accepted = std::make_shared<bool>(false);
    selection_.start(
        [this, accepted, ticked, customField = settings_.fields().customSmsc,
         customChecked = settings_.fields().customChecked] {
            *accepted = selectionWorker(ticked, customField, customChecked);
        },
        [this, accepted] { selectionEnded(*accepted); });
}

// Talks to each ticked device; runs on a worker so the window stays responsive while several
// modems are questioned. Questions go through the dialogs port, which waits for the answer.
bool GSM_Device_List_Wnd::selectionWorker(const QList<DeviceRecord>& ticked,
                                          const QString& customField, bool customChecked) {
    const int count = static_cast<int>(ticked.size());
    enum class Next { Skip, Stop };
    bool stopped = false;
    for (const DeviceRecord& record : ticked) {
        const QString prefix = record.portName + QStringLiteral("\r\n");
        // One device alone: a notice and the end. Several: skip this one or stop.
        auto stopOrSkip = [&](const QString& text) {
            if (count == 1) {
                Show_MessageBox(prefix + text);
                return Next::Stop;
            }
            return Show_YES_NO_MessageBox(prefix + text + kContinueWithout) ? Next::Skip
                                                                            : Next::Stop;
        };
        Next next = Next::Skip;
        bool accepted = false;
        try {
            const QString& path = record.path;
            const QByteArray devicePath = path.toLocal8Bit();
            const QString& defaultSmsc = record.defaultSmsc;
            if (Effective_Custom_Smsc(record).isEmpty() && defaultSmsc.isEmpty()) {
                next = stopOrSkip(kNoDefaultSmsc);
            } else if (record.smsMode != SmsMode::Pdu && record.smsMode != SmsMode::Text) {
                next = stopOrSkip(kModeBlank);
            } else if (const int probe = mfc_sms_obj.OpenSerialPort(devicePath.constData());
                       probe == -1) {
                next = stopOrSkip(kNoDeviceOnPort);
            } else {
                mfc_sms_obj.CloseSerialPort(probe);
                int fd = -1;
                if (mfc_sms_obj.port && mfc_sms_obj.port->isOpen()) {
                    fd = mfc_sms_obj.port->fileDescriptor();
                } else {
                    mfc_sms_obj.initPort_with_decp(devicePath.constData(), &fd);
                }
                mfc_sms_obj.Set_Read_Timeout(1.0);
                mfc_sms_obj.ATZ_reset_Modem(fd);
                if (!mfc_sms_obj.Check_Connection(fd)) {
                    mfc_sms_obj.Close_Port();
                    next = stopOrSkip(kNoDeviceOnPort);
                } else if (record.smsCapable == QLatin1String("Not Detected") &&
                           !Show_YES_NO_MessageBox(prefix + kNoSmsCapability)) {
                    mfc_sms_obj.Close_Port();
                } else if (record.useCustomSmsc && record.customSmsc.isEmpty()) {
                    mfc_sms_obj.Close_Port();
                    next = stopOrSkip(kNoCustomSmsc);
                } else if (!record.useCustomSmsc && defaultSmsc.isEmpty()) {
                    mfc_sms_obj.Close_Port();
                    next = stopOrSkip(kNoDefaultSmsc);
                } else {
                    // The modem keeps its link to the network open between the messages.
                    mfc_sms_obj.More_SMS_Comnd(fd);
                    sel_port_name_str.set(record.portName);
                    sel_port_bsd_str.set(path);
                    port_val_str_array.update([&](QStringList& list) { list.append(path); });
                    port_det_str_array.update(
                        [&](QList<DeviceRecord>& list) { list.append(record); });
                    Cus_SMS_Num_STR.set(customChecked ? customField : QString(""));
                    mfc_sms_obj.Close_Port();
                    accepted = true;
                }
            }
        } catch (const std::exception& e) {
            log::writef("device selection: %s\n", e.what());
            mfc_sms_obj.Close_Port();
            next = Next::Stop;
        }
        if (!accepted && next == Next::Stop) {
            stopped = true;
            break;
        }
    }
    if (stopped) {
        // The user ended the choice: devices accepted before it are not handed over either,
        // so the composer never sees half a selection.
        port_val_str_array.set({});
        port_det_str_array.set({});
        sel_port_name_str.set(QString(""));
        sel_port_bsd_str.set(QString(""));
        Cus_SMS_Num_STR.set(QString(""));
    }
    return !stopped && !port_val_str_array.get().isEmpty();
}

void GSM_Device_List_Wnd::selectionEnded(bool accepted) {
    selecting_ = false;
    if (view_) {
        view_->showPleaseWait(false);
        if (accepted) {
            view_->endModal(1);
        }
    }
}

// ---- test message and automatic test

void GSM_Device_List_Wnd::Send_Test_SMS_Pressed() {
    if (gsm_tst_sms_th == 1 || gsm_ph_find_thread == 1 || selecting_) {
        return;
    }
    const QList<DeviceRecord> rows = list_.records();
    if (rows.isEmpty()) {
        Show_MessageBox(kDeviceListEmpty);
        return;
    }
    if (prevIndex_ < 0 || prevIndex_ >= rows.size()) {
        Show_MessageBox(kSelectDevice);
        return;
    }
    if (settings_.fields().customChecked && !Check_Custom_Smsc(settings_.fields().customSmsc)) {
        return;
    }
    TestMessageRequest request;
    request.record = rows.at(static_cast<int>(prevIndex_));
    request.testNumber = testNumber_;
    request.customChecked = settings_.fields().customChecked;
    request.customField = settings_.fields().customSmsc;
    request.window = TestMessageWindow::DeviceList;
    Start_Test_Message(test_, gsm_tst_sms_th, gui_, view_,
                       [this, request](const std::function<void(bool)>& sheet) {
                           Send_Test_SMS_fun(mfc_sms_obj, request, sheet);
                       });
}

void GSM_Device_List_Wnd::Automate_Button_Presses() {
    // The test message or the selection still talks to a device: the automatic test would
    // open the same port a second time.
    if (gsm_tst_sms_th == 1 || selecting_) {
        return;
    }
    if (gsm_ph_find_thread == 1) {
        Show_MessageBox(kScanRunning);
        return;
    }
    const QList<DeviceRecord> rows = list_.records();
    if (rows.isEmpty()) {
        Show_MessageBox(kNoScanYet);
        return;
    }
    if (!settings_.Update_Custom_Smsc_Func_Call()) {
        return;
    }
    // The test looks device facts up by path in the hand-over.
    port_det_str_array.set(list_.records());
    AutomatedTestHandIn handIn;
    handIn.devices = list_.records();
    handIn.testNumber = Trim_Str(testNumber_);
    handIn.opener = this;
    if (view_) {
        view_->runAutomatedTest(handIn);
    }
}

void GSM_Device_List_Wnd::Apply_Test_Settings(const QString& path, bool pdu, bool custom,
                                              const QString& cleanedNumber) {
    const QList<DeviceRecord> rows = list_.records();
    int row = -1;
    for (int i = 0; i < rows.size(); ++i) {
        if (rows.at(i).path == path) {
            row = i;
            break;
        }
    }
    if (row < 0) {
        return;
    }
    if (row != prevIndex_) {
        Highlight_Row(row);
    }
    if (view_) {
        view_->selectRow(row);
        view_->redrawTable();
    }
    settings_.Apply(pdu, custom, cleanedNumber);
    port_det_str_array.update([&](QList<DeviceRecord>& list) {
        for (DeviceRecord& record : list) {
            if (record.path == path) {
                record.smsMode = pdu ? SmsMode::Pdu : SmsMode::Text;
                record.useCustomSmsc = custom;
                record.customSmsc = custom ? cleanedNumber : QString("");
            }
        }
    });
}

// ---- ports added by path

QStringList GSM_Device_List_Wnd::Added_Port_Paths() const {
    return AddedPorts(addedPortsFile_.value_or(Default_Added_Ports_File())).paths();
}

bool GSM_Device_List_Wnd::Add_Port(const QString& typedPath) {
    QString why;
    if (!AddedPorts(addedPortsFile_.value_or(Default_Added_Ports_File())).add(typedPath, &why)) {
        Show_MessageBox(why);
        return false;
    }
    return true;
}

void GSM_Device_List_Wnd::Forget_Port(const QString& path) {
    AddedPorts(addedPortsFile_.value_or(Default_Added_Ports_File())).remove(path);
}

void GSM_Device_List_Wnd::Wait_For_Workers() {
    // A worker's end may lead to another's start (a pending scan follows the one that ended).
    do {
        scan_.wait();
        selection_.wait();
        test_.wait();
    } while (scan_.running() || selection_.running() || test_.running());
}

}  // namespace tesk::devices
