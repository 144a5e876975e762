#include "devices/automated_test.h"

#include "appstate/selection_state.h"
#include "core/dialogs.h"
#include "core/log.h"
#include "core/pacing.h"
#include "core/text_helpers.h"
#include "devices/connection_settings.h"
#include "devices/device_details.h"

#include <exception>

namespace tesk::devices {

namespace {

const QString kSeparator = QStringLiteral("||");

const QString kNoSmsCapability = QStringLiteral(
    "This Device cannot be used for sending Text messages as it does not seem to have SMS "
    "Sending capabilities.");
const QString kProbeFailed = QStringLiteral("\nSelected device is not working properly.");
const QString kConnectionError = QStringLiteral("Device Connection Error");
const QString kStopped = QStringLiteral("Stopped");
const QString kStopQuestion = QStringLiteral(
    "Device connection test process has not been completed yet. Are you sure you want to stop "
    "the process?");

tesk::Guarded<QStringList> Automate_SMS_Case_Array;

}  // namespace

const QList<TestCase>& All_Test_Cases() {
    static const QList<TestCase> cases = {
        {QStringLiteral("PDU_DEF_SMSC"), QStringLiteral("PDU Mode with Default SMSC"), true, false},
        {QStringLiteral("PDU_CUS_SMSC"), QStringLiteral("PDU Mode with Custom SMSC"), true, true},
        {QStringLiteral("TXT_DEF_SMSC"), QStringLiteral("Text Mode with Default SMSC"), false,
         false},
        {QStringLiteral("TXT_CUS_SMSC"), QStringLiteral("Text Mode with Custom SMSC"), false, true},
    };
    return cases;
}

QList<TestCase> Cases_For_Device(const QString& supportedModes, const QString& defaultSmsc) {
    QList<TestCase> listed;
    for (const TestCase& c : All_Test_Cases()) {
        const bool modeOffered = supportedModes.contains(c.pdu ? QStringLiteral("PDU Mode")
                                                               : QStringLiteral("Text Mode"));
        if (modeOffered && (c.custom || !defaultSmsc.isEmpty())) {
            listed.append(c);
        }
    }
    return listed;
}

QString Case_Status_From_History(const QString& history, const QString& key) {
    const qsizetype at = history.indexOf(key + kSeparator);
    if (history.isEmpty() || at < 0) {
        return QString("");
    }
    const qsizetype start = at + key.size() + kSeparator.size();
    const qsizetype end = history.indexOf(kSeparator, start);
    return end < 0 ? QString("") : history.mid(start, end - start);
}

QString CaseRow::value(const QString& key) const {
    if (key == QLatin1String("Possible_Case"))
        return possibleCase;
    if (key == QLatin1String("Description"))
        return description;
    if (key == QLatin1String("Status"))
        return status;
    if (key == QLatin1String("Case_SMS"))
        return caseSms;
    if (key == QLatin1String("Case_Name"))
        return caseName;
    return QString("");
}

QString TestDeviceRow::value(const QString& key) const {
    if (key == QLatin1String("COM_PORT"))
        return portName;
    if (key == QLatin1String("PORT_DETAL"))
        return path;
    if (key == QLatin1String("Model"))
        return model;
    return QString("");
}

QStringList Automate_SMS_Case_Keys() {
    return Automate_SMS_Case_Array.get();
}

Automated_GSM_Sending::Automated_GSM_Sending() {
    channel_.Set_Device_List(&facts_);
}

Automated_GSM_Sending::~Automated_GSM_Sending() {
    stop_ = true;  // the worker, declared last, joins before anything else goes
}

QList<TestDeviceRow> Automated_GSM_Sending::devices() const {
    std::lock_guard lock(mutex_);
    return devices_;
}

QList<CaseRow> Automated_GSM_Sending::cases() const {
    std::lock_guard lock(mutex_);
    return cases_;
}

DeviceRecord Automated_GSM_Sending::factsOf(const QString& path) const {
    for (const DeviceRecord& record : port_det_str_array.get()) {
        if (record.path == path) {
            return record;
        }
    }
    return {};
}

void Automated_GSM_Sending::Open_Automated_SMS_Wnd(const AutomatedTestHandIn& handIn) {
    {
        std::lock_guard lock(mutex_);
        devices_.clear();
        for (const DeviceRecord& device : handIn.devices) {
            if (Trim_Str(device.portName).isEmpty()) {
                continue;
            }
            TestDeviceRow row;
            row.portName = device.portName;
            row.path = device.path;
            row.model = device.model;
            devices_.append(row);
        }
        cases_.clear();
    }
    opener_ = handIn.opener;
    fields_ = AutomatedTestFields{};
    fields_.testNumber = Cut_To_Field_Limit(handIn.testNumber);
    prevIndex_ = -1;
    caseIndex_ = -1;
    if (view_) {
        view_->redrawDevices();
    }
    Highlight_Device(0);
    if (view_) {
        view_->selectDevice(prevIndex_);
        view_->showRunning(false);
        view_->setProgress(0);
        view_->setStatusLine(QString(""));
    }
}

void Automated_GSM_Sending::Highlight_Device(int row) {
    if (running_) {
        return;
    }
    TestDeviceRow device;
    {
        std::lock_guard lock(mutex_);
        if (row < 0 || row >= devices_.size()) {
            return;
        }
        device = devices_.at(row);
    }
    prevIndex_ = row;
    const QString path = device.path;
    const DeviceRecord facts = factsOf(path);
    const QString testNumber = fields_.testNumber;
    fields_ = AutomatedTestFields{};
    fields_.testNumber = testNumber;
    fields_.portName = device.portName;
    fields_.portPath = path;
    fields_.detailsText = Device_Details_Text(facts);
    fields_.startTitle =
        QStringLiteral("Start Test for Device Connected at : \n%1").arg(fields_.portName);
    fields_.model = Trim_Str(facts.model);
    fields_.defaultSmsc = Trim_Str(facts.defaultSmsc);
    fields_.customSmsc = device.lastSmsc;
    if (view_) {
        view_->showFields(fields_);
    }
    rebuildCases();
}

void Automated_GSM_Sending::rebuildCases() {
    TestDeviceRow device;
    {
        std::lock_guard lock(mutex_);
        if (prevIndex_ < 0 || prevIndex_ >= devices_.size()) {
            return;
        }
        device = devices_.at(prevIndex_);
    }
    const DeviceRecord facts = factsOf(device.path);
    const QList<TestCase> listed = Cases_For_Device(facts.supportedModes, facts.defaultSmsc);
    QList<CaseRow> rows;
    QStringList keys;
    for (int i = 0; i < listed.size(); ++i) {
        CaseRow row;
        row.possibleCase = QStringLiteral("Case %1:").arg(i + 1);
        row.description = listed.at(i).title;
        row.status = Case_Status_From_History(device.history, listed.at(i).key);
        row.caseSms = QStringLiteral("%1 is working for Device Model: %2")
                          .arg(listed.at(i).title, device.model);
        row.caseName = listed.at(i).key;
        rows.append(row);
        keys.append(row.caseName);
    }
    {
        std::lock_guard lock(mutex_);
        cases_ = rows;
    }
    Automate_SMS_Case_Array.set(keys);
    caseIndex_ = -1;
    if (view_) {
        view_->redrawCases();
    }
}

void Automated_GSM_Sending::Set_Custom_Field(const QString& typed) {
    fields_.customSmsc = Cut_To_Field_Limit(typed);
    if (fields_.customSmsc != typed && view_) {
        view_->showFields(fields_);
    }
}

void Automated_GSM_Sending::Set_Test_Number_Field(const QString& typed) {
    fields_.testNumber = Cut_To_Field_Limit(typed);
    if (fields_.testNumber != typed && view_) {
        view_->showFields(fields_);
    }
}

void Automated_GSM_Sending::Start_Case_Button_Presses() {
    TestDeviceRow device;
    {
        std::lock_guard lock(mutex_);
        if (devices_.isEmpty()) {
            Show_MessageBox(kDeviceListEmpty);
            return;
        }
        if (prevIndex_ < 0 || prevIndex_ >= devices_.size()) {
            Show_MessageBox(kSelectDevice);
            return;
        }
        device = devices_.at(prevIndex_);
    }
    const QString path = device.path;
    const DeviceRecord facts = factsOf(path);
    if (facts.smsCapable == QLatin1String("Not Detected")) {
        Show_MessageBox(kNoSmsCapability);
        return;
    }
    QString cleaned;
    if (!Check_Custom_Smsc(fields_.customSmsc, &cleaned)) {
        return;
    }
    if (!Valid_Test_Number(fields_.testNumber)) {
        Show_MessageBox(kInvalidTestNumber);
        return;
    }
    {
        std::lock_guard lock(mutex_);
        devices_[prevIndex_].lastSmsc = cleaned;
    }
    if (running_) {
        return;
    }
    TestJob job{prevIndex_,
                path,
                cleaned,
                Trim_Str(fields_.testNumber),
                Cases_For_Device(facts.supportedModes, facts.defaultSmsc),
                {}};
    for (const CaseRow& row : cases()) {
        job.messages.append(row.caseSms);
    }
    facts_.clear();
    for (const DeviceRecord& record : port_det_str_array.get()) {
        facts_.Insert_port_in_List(record);
    }
    stop_ = false;
    running_ = true;
    worker_.start([this, job = std::move(job)] { runTest(job); });
}

void Automated_GSM_Sending::setStatus(int index, const QString& status) {
    gui_.post([this, index, status] {
        {
            std::lock_guard lock(mutex_);
            if (index < cases_.size()) {
                cases_[index].status = status;
            }
        }
        if (view_) {
            view_->redrawCases();
        }
    });
}

void Automated_GSM_Sending::postToView(std::function<void(AutomatedTestView*)> change) {
    gui_.post([this, change = std::move(change)] {
        if (view_) {
            change(view_);
        }
    });
}

// Gives `status` to every case (only to those without one when onlyEmpty).
void Automated_GSM_Sending::setAllStatuses(QStringList& statuses, const QString& status,
                                           bool onlyEmpty) {
    for (int i = 0; i < statuses.size(); ++i) {
        if (!onlyEmpty || statuses.at(i).isEmpty()) {
            statuses[i] = status;
            setStatus(i, status);
        }
    }
}

// One case: the device prepared for the case's mode, its message sent through the case's
// service centre; what became of it.
QString Automated_GSM_Sending::runCase(int fd, const TestJob& job, int index) {
    const TestCase& c = job.cases.at(index);
    const QString line = QStringLiteral("Execute Case %1 : %2").arg(index + 1).arg(c.title);
    postToView([line](AutomatedTestView* v) {
        v->setStatusLine(line);
        v->setProgress(0);
    });
    const QString message = QStringLiteral("'%1'").arg(job.messages.value(index));
    const QString smsc = c.custom ? job.customNumber : QString("");
    channel_.ATZ_reset_Modem(fd);
    if (c.pdu) {
        channel_.Prepare_Modem_For_PDU_SMS(fd);
    } else {
        channel_.Prepare_Modem_For_Text_SMS(fd);
    }
    channel_.Set_Read_Timeout(5.0);
    QString outcome("");
    if (c.pdu) {
        channel_.Send_PDU_SMS(fd, job.testNumber, message, smsc, false, false, &outcome,
                              QStringLiteral("Yes"));
    } else {
        channel_.Send_Text_SMS(fd, job.testNumber, message, smsc, false, false, job.path, &outcome,
                               QStringLiteral("Yes"));
    }
    pacing::wait(2.0);
    pacing::wait(2.0);
    return outcome;
}

// The worker: one real message per case, in list order, until the list ends or a stop comes.
void Automated_GSM_Sending::runTest(TestJob job) {
    QStringList statuses;
    for (int i = 0; i < job.cases.size(); ++i) {
        statuses.append(QString(""));
        setStatus(i, QString(""));
    }
    postToView([](AutomatedTestView* v) {
        v->setProgress(0);
        v->setStatusLine(QStringLiteral("Connecting Device"));
    });
    bool stopped = false;
    try {
        const QByteArray devicePath = job.path.toLocal8Bit();
        const int probe = channel_.OpenSerialPort(devicePath.constData());
        if (probe == -1) {
            Show_MessageBox(kProbeFailed);
            gui_.post([this] { running_ = false; });
            return;
        }
        channel_.CloseSerialPort(probe);
        gui_.post([this] {
            if (view_) {
                view_->showRunning(true);
            }
            startAnimation();
        });
        int fd = -1;
        if (channel_.port && channel_.port->isOpen()) {
            fd = channel_.port->fileDescriptor();
        } else {
            channel_.initPort_with_decp(devicePath.constData(), &fd);
        }
        channel_.Set_Read_Timeout(1.0);
        postToView(
            [](AutomatedTestView* v) { v->setStatusLine(QStringLiteral("Initialize Device")); });
        if (!channel_.Check_Connection(fd)) {
            setAllStatuses(statuses, kConnectionError, false);
        } else {
            for (int i = 0; i < job.cases.size() && !stop_; ++i) {
                statuses[i] = runCase(fd, job, i);
                setStatus(i, statuses.at(i));
                postToView([](AutomatedTestView* v) { v->setProgress(100); });
            }
            stopped = stop_;
            channel_.Close_Port();
            if (stopped) {
                setAllStatuses(statuses, kStopped, true);
            }
        }
    } catch (const std::exception& e) {
        log::writef("automatic settings test: %s\n", e.what());
    }
    channel_.Close_Port();
    QString history;
    for (int i = 0; i < job.cases.size(); ++i) {
        history += QStringLiteral("%1||%2||").arg(job.cases.at(i).key, statuses.at(i));
    }
    gui_.post([this, stopped, row = job.row, history] { finishTest(stopped, row, history); });
}

void Automated_GSM_Sending::finishTest(bool stopped, int row, const QString& history) {
    {
        std::lock_guard lock(mutex_);
        if (row < devices_.size()) {
            devices_[row].history = history;
        }
    }
    stopAnimation();
    if (view_) {
        if (stopped || stop_) {
            view_->showPleaseWait(false);
        }
        view_->showRunning(false);
        view_->redrawDevices();
    }
    running_ = false;
}

void Automated_GSM_Sending::startAnimation() {
    animationValue_ = 0;
    animation_ = std::make_unique<QTimer>();
    animation_->setInterval(static_cast<int>(pacing::scaled(0.5) * 1000.0) + 1);
    QObject::connect(animation_.get(), &QTimer::timeout, [this] {
        if (animationValue_ >= 100) {
            animationValue_ = 0;
        }
        animationValue_ += 20;
        if (view_) {
            view_->setProgress(animationValue_);
        }
    });
    animation_->start();
}

void Automated_GSM_Sending::stopAnimation() {
    animation_.reset();
}

void Automated_GSM_Sending::Stop_Button_Presses() {
    if (!running_) {
        return;
    }
    if (!Show_YES_NO_MessageBox(kStopQuestion)) {
        return;
    }
    stop_ = true;
    // The current case finishes first; the sheet stays until the test has ended.
    if (running_ && view_) {
        view_->showPleaseWait(true);
    }
}

void Automated_GSM_Sending::Clear_Status_Button_Presses() {
    if (running_) {
        return;
    }
    bool anyStatus = false;
    {
        std::lock_guard lock(mutex_);
        if (devices_.isEmpty()) {
            Show_MessageBox(kDeviceListEmpty);
            return;
        }
        if (prevIndex_ < 0 || prevIndex_ >= devices_.size()) {
            Show_MessageBox(kSelectDevice);
            return;
        }
        for (const CaseRow& row : cases_) {
            anyStatus = anyStatus || !row.status.isEmpty();
        }
    }
    if (!anyStatus) {
        return;
    }
    if (!Show_YES_NO_MessageBox(
            QStringLiteral("Are you sure you want to clear the last connection test results "
                           "performed on ") +
            QStringLiteral("\" %1 \"").arg(fields_.model))) {
        return;
    }
    {
        std::lock_guard lock(mutex_);
        devices_[prevIndex_].history = QString("");
        for (CaseRow& row : cases_) {
            row.status = QString("");
        }
    }
    if (view_) {
        view_->redrawCases();
    }
}

void Automated_GSM_Sending::Use_Settings_Button_Presses() {
    if (running_) {
        Show_MessageBox(kTestInProgress);
        return;
    }
    CaseRow chosen;
    {
        std::lock_guard lock(mutex_);
        if (devices_.isEmpty()) {
            Show_MessageBox(kDeviceListEmpty);
            return;
        }
        if (prevIndex_ < 0 || prevIndex_ >= devices_.size() || fields_.portName.isEmpty() ||
            fields_.portPath.isEmpty()) {
            Show_MessageBox(kSelectDevice);
            return;
        }
    }
    QString cleaned;
    if (!Check_Custom_Smsc(fields_.customSmsc, &cleaned)) {
        return;
    }
    {
        std::lock_guard lock(mutex_);
        if (cases_.isEmpty()) {
            Show_MessageBox(QStringLiteral("Case list is empty."));
            return;
        }
        if (caseIndex_ < 0 || caseIndex_ >= cases_.size()) {
            Show_MessageBox(
                QStringLiteral("Please select at least one connection settings for sending SMS."));
            return;
        }
        chosen = cases_.at(caseIndex_);
    }
    if (!Show_YES_NO_MessageBox(
            QStringLiteral("You have selected '") +
            QStringLiteral("%1' settings for sending SMS using '%2' connected at %3.\n\nDo you "
                           "want to continue with selected settings?")
                .arg(chosen.description, fields_.model, fields_.portName))) {
        return;
    }
    const bool pdu = chosen.caseName.contains(QStringLiteral("PDU"));
    const bool custom = chosen.caseName.contains(QStringLiteral("CUS_SMSC"));
    if (opener_) {
        opener_->Apply_Test_Settings(fields_.portPath, pdu, custom, cleaned);
    }
    {
        std::lock_guard lock(mutex_);
        devices_[prevIndex_].settingsUsed = true;
        devices_[prevIndex_].lastSmsc = cleaned;
    }
    if (view_) {
        view_->redrawDevices();
    }
    Show_MessageBox(
        QStringLiteral("Selected connection settings '%1' for device '%2' have been applied "
                       "successfully.")
            .arg(chosen.description, fields_.model));
}

void Automated_GSM_Sending::Close_Button_Presses() {
    if (running_) {
        Show_MessageBox(kTestInProgress);
        return;
    }
    QStringList untouched;
    for (const TestDeviceRow& row : devices()) {
        if (!row.settingsUsed) {
            untouched.append(row.portName);
        }
    }
    if (!untouched.isEmpty() &&
        !Show_YES_NO_MessageBox(
            QStringLiteral("You have not selected any connection settings yet ") +
            QStringLiteral("%1.\nAre you sure to continue?")
                .arg(QStringLiteral("for device connected at ") +
                     untouched.join(QLatin1Char(','))))) {
        return;
    }
    if (view_) {
        view_->endModal(0);
    }
}

void Automated_GSM_Sending::More_Info_SMSC_Pressed() {
    Show_MessageBox(kSmscHelp);
}

void Automated_GSM_Sending::Wait_For_Test() {
    worker_.wait();
}

}  // namespace tesk::devices
