#include "sending/sms_sending.h"

#include "appstate/selection_state.h"
#include "core/app_thread_queue.h"
#include "core/dialogs.h"
#include "core/log.h"
#include "core/pacing.h"
#include "core/text_helpers.h"
#include "delivery/delivery_book.h"
#include "delivery/device_events.h"
#include "modem/mfcsms.h"
#include "stores/device_days.h"
#include "stores/reports.h"
#include "stores/sent_items.h"
#include "stores/sent_items_controller.h"
#include "stores/templates.h"

#include <chrono>
#include <exception>

namespace tesk::sending {

namespace {

const QString kAllDevice = QStringLiteral("All Device");
const QString kDeviceNotWorking = QStringLiteral(
    "\nSelected device is not working properly. Please use Mobile Phone Connection Wizard for "
    "finding device or establishing connection.");
const QString kDeviceWithoutMode =
    QStringLiteral("Selected device is not working properly.Could not initialize device.\n");
const QString kNoModeOutcome = QStringLiteral("Error : +CMS ERROR: 500.");
const QString kPauseQuestion = QStringLiteral("Are you sure you want to continue?");
constexpr int kMaxMessageLength = 1600;
// How long a device that sent with reports requested waits, at its end, for the reports of
// its last messages.
constexpr double kReportLingerSeconds = 5.0;

}  // namespace

SMS_Sending::SMS_Sending() = default;

SMS_Sending::~SMS_Sending() {
    Stop_For_Shutdown();
}

void SMS_Sending::Stop_For_Shutdown() {
    quiet_ = true;
    stop_ = true;
    pauseRunning_ = false;
    pauseLeftMs_ = 0;
    // A thread may be waiting for a message box or queue a last update: both need the window
    // thread, whose queue the wait serves (the run's last updates, its end among them).
    threads_.wait();
}

void SMS_Sending::post(std::function<void()> task) {
    Queue_To_App_Thread(alive_, std::move(task));
}

DeviceRecord SMS_Sending::recordOf(const QString& entry) const {
    for (const DeviceRecord& record : request_.devices) {
        if (record.path == entry) {
            return record;
        }
    }
    return {};
}

// The IMEI names the device whatever port it sits on today.
QString SMS_Sending::simKeyOf(const QString& entry) const {
    const QString imei = recordOf(entry).imei;
    return imei.isEmpty() ? entry : imei;
}

QString SMS_Sending::recordForDelivery(int row, const QString& device, const QString& number,
                                       const QString& message, bool sent,
                                       const modem::SubmissionOutcome& outcome) {
    if (!sent) {
        return {};
    }
    const QString id = book_->Record_Sent(device, number, outcome.references, message);
    if (id.isEmpty()) {
        // The device accepted the message without naming its reference: no report can find it.
        table_.Set_Delivery(row, QStringLiteral("No reference from the device"));
        return {};
    }
    {
        std::lock_guard lock(deliveryMutex_);
        deliveryRows_.insert(id, row);
    }
    table_.Set_Delivery(row, QStringLiteral("No report yet"));
    return id;
}

void SMS_Sending::showDelivery(const QString& id) {
    int row = -1;
    {
        std::lock_guard lock(deliveryMutex_);
        row = deliveryRows_.value(id, -1);
    }
    const auto message = book_->message(id);
    if (row >= 0 && message) {
        table_.Set_Delivery(row, delivery::State_Text(*message));
        post([this] {
            if (view_) {
                view_->redrawTable();
            }
        });
    }
}

void SMS_Sending::showProgress() {
    progressText_ = Progress_Text(table_.finishedCount(), table_.count());
    const RateInput rate = Rate_Input();
    rateText_ = Rate_Text(rate);
    if (view_) {
        view_->redrawTable();
        view_->setProgressText(progressText_);
        view_->setOverallBar(table_.finishedCount(), table_.count());
        view_->setRate(rate);
    }
}

bool Refusal_Concerns_The_Message(const modem::SubmissionOutcome& outcome) {
    if (outcome.kind != modem::SubmissionOutcome::Kind::Refused) {
        return false;
    }
    const at::FinalResult final = at::Parse_Final_Result(outcome.refusal);
    return final.kind == at::FinalKind::CmsError && final.code >= 0 && final.code <= 255;
}

bool SMS_Sending::pausesOn() const {
    return request_.delayed && pause_.everyMessages > 0 && pause_.pauseMs > 0;
}

// A device may claim a message only while the batch before the next pause has room: the claim
// and the count are one step, so no batch grows past N however many devices send.
bool SMS_Sending::takeBatchSlot() {
    if (!pausesOn()) {
        return true;
    }
    int taken = batchClaims_.load();
    while (taken < pause_.everyMessages) {
        if (batchClaims_.compare_exchange_weak(taken, taken + 1)) {
            return true;
        }
    }
    return false;
}

void SMS_Sending::deviceStarted(const QString& entry) {
    std::lock_guard lock(rateMutex_);
    const auto now = Clock::now();
    if (!sendingStarted_) {
        sendingStarted_ = now;
    }
    // The port name the device window shows (USB0, VM1); the path's last part without one.
    QString name = recordOf(entry).portName;
    if (name.isEmpty()) {
        name = entry.section(QLatin1Char('/'), -1);
        if (name.startsWith(QLatin1String("tty"))) {
            name = name.mid(3);
        }
    }
    tallies_.push_back({entry, name, 0, now});
}

void SMS_Sending::deviceHandled(const QString& entry) {
    std::lock_guard lock(rateMutex_);
    ++handled_;
    for (DeviceTally& tally : tallies_) {
        if (tally.entry == entry) {
            ++tally.handled;
            break;
        }
    }
}

RateInput SMS_Sending::Rate_Input() const {
    // Real seconds become the program's own, so pauses and rates share one clock.
    const double toProgram = 1.0 / std::max(pacing::scale(), 1e-9);
    RateInput input;
    input.remaining = table_.count() - table_.finishedCount();
    input.pauseEvery = request_.delayed ? pause_.everyMessages : 0;
    input.pauseSeconds = pause_.pauseMs / 1000.0;
    // A pause under way resets the count when it ends.
    input.countSinceLastPause = pauseRunning_ ? 0 : msgCount_.load();
    input.pauseLeftSeconds = pauseRunning_ ? pauseLeftMs_ / 1000.0 : 0.0;
    std::lock_guard lock(rateMutex_);
    if (!sendingStarted_) {
        return input;
    }
    const auto now = Clock::now();
    input.handled = handled_;
    input.seconds = std::chrono::duration<double>(now - *sendingStarted_).count() * toProgram;
    input.pausedSeconds = pausedRealSeconds_ * toProgram;
    for (const DeviceTally& tally : tallies_) {
        input.devices.append(
            {tally.name, tally.handled,
             std::chrono::duration<double>(now - tally.started).count() * toProgram});
    }
    return input;
}

void SMS_Sending::Open_SMS_Sending_Dialog(SendingRequest request) {
    request_ = std::move(request);
    if (request_.deliveryReports) {
        book_ = delivery::DeliveryBook::Shared();
        inbox_ = delivery::Inbox::Shared();
        std::lock_guard lock(deliveryMutex_);
        deliveryRows_.clear();
    }
    pause_ = request_.delayed ? Read_Pause_Settings(request_.countText, request_.pauseText)
                              : PauseSettings{};
    stop_ = false;
    closing_ = false;
    pauseRunning_ = false;
    pauseLeftMs_ = 0;
    msgCount_ = 0;
    batchClaims_ = 0;
    devicesStarted_ = 0;
    devicesAtLimit_ = 0;
    activeDevices_ = 1;  // the dispatcher itself, until every device has been started
    finisherStarted_ = false;
    finishingShown_ = false;
    deviceWithoutModeSeen_ = false;
    quiet_ = false;
    {
        std::lock_guard lock(rateMutex_);
        sendingStarted_.reset();
        pausedRealSeconds_ = 0;
        handled_ = 0;
        tallies_.clear();
    }
    rateText_.clear();
    ended_ = false;
    endMessage_.clear();
    statusText_ = kPopulatingStatus;
    pauseLabel_.clear();
    if (view_) {
        view_->setStatusText(statusText_);
        view_->setStopVisible(false);
        view_->setExportVisible(false);
        view_->setCloseEnabled(true);
        view_->setPauseLabel(QString(""));
    }
    // The activity bar: it cycles while messages go out, so the user sees the run is alive.
    activity_ = std::make_unique<QTimer>();
    activity_->setInterval(static_cast<int>(pacing::scaled(0.5) * 1000.0) + 1);
    QObject::connect(activity_.get(), &QTimer::timeout, [this] {
        messageBar_ = messageBar_ >= 100 ? 20 : messageBar_ + 20;
        if (view_) {
            view_->setMessageBar(messageBar_);
        }
    });
    threads_.start([this] { dispatch(); });
}

namespace {

// Whether the device's port opens at all (the probe puts back the line settings it found).
bool portOpens(MFCSMS* channel, const QByteArray& path) {
    const int probe = channel->OpenSerialPort(path.constData());
    if (probe == -1) {
        return false;
    }
    channel->CloseSerialPort(probe);
    return true;
}

// Opens the channel's port for the run (or takes the one already open) and asks whether the
// device answers on it.
bool deviceAnswers(MFCSMS* channel, const QByteArray& path) {
    int fd = -1;
    if (channel->port && channel->port->isOpen()) {
        fd = channel->port->fileDescriptor();
    } else {
        channel->initPort_with_decp(path.constData(), &fd);
    }
    channel->Set_Read_Timeout(1.0);
    return channel->Check_Connection(fd);
}

}  // namespace

void SMS_Sending::dispatch() {
    try {
        loadTable();
        const QStringList entries = chosenEntries();
        int slot = 0;
        for (int i = 0; i < entries.size() && !stop_; ++i) {
            if (i + 1 > table_.count() || slot >= kChannelCount) {
                break;  // never more device threads than messages
            }
            if (i > 0 && request_.pacing == modem::Pacing::Standard) {
                pacing::wait(2.0);  // device threads start 2 seconds apart
            }
            if (stop_ || !table_.Waiting_Remains()) {
                break;
            }
            const QString entry = entries.at(i);
            MFCSMS* channel = mfc_sms_obj_arr(slot);
            const QByteArray path = entry.toLocal8Bit();
            if (!portOpens(channel, path)) {
                if (!quiet_) {
                    Show_MessageBox(kDeviceNotWorking);
                }
                continue;  // a port that does not open takes no slot
            }
            const bool answers = deviceAnswers(channel, path);
            const int thisSlot = slot++;
            if (!answers) {
                channel->Close_Port();
                continue;
            }
            channel->m_port_name = entry;
            const Device device = deviceFor(thisSlot, entry);
            if (!table_.Work_Remains()) {
                channel->Close_Port();
                break;
            }
            ++activeDevices_;
            threads_.start([this, device] { sendLoop(device); });
        }
    } catch (const std::exception& e) {
        log::writef("sending run: %s\n", e.what());
    }
    deviceLeft(false);  // the dispatcher's own share
}

// Turns the recipient list into the sending table, then shows that sending has begun.
void SMS_Sending::loadTable() {
    table_.Load(request_.list, request_.rules);
    if (request_.deviceLimitPerDay && request_.deviceLimit > 0) {
        stores::Prune_Device_Days(pacing::today());
    }
    post([this] {
        statusText_ = kSendingStatus;
        if (view_) {
            view_->setStatusText(statusText_);
            view_->setStopVisible(true);
        }
        showProgress();
        if (activity_) {
            activity_->start();
        }
    });
}

// The devices the user chose to send through: every listed one for "All Device".
QStringList SMS_Sending::chosenEntries() const {
    QStringList entries;
    if (request_.selected == kAllDevice) {
        for (const QString& entry : request_.entries) {
            if (entry != kAllDevice) {
                entries.append(entry);
            }
        }
    } else {
        entries.append(request_.selected);
    }
    return entries;
}

// How the device on `entry` sends, from its record in the device list.
SMS_Sending::Device SMS_Sending::deviceFor(int slot, const QString& entry) const {
    const DeviceRecord record = recordOf(entry);
    Device device;
    device.slot = slot;
    device.entry = entry;
    device.mode = record.smsMode;
    device.customNumber = record.useCustomSmsc ? record.customSmsc : QString("");
    device.smsCapable = record.smsCapable;
    return device;
}

// One device's share of the run, as its sending thread sees it.
struct SMS_Sending::DeviceRun {
    Device device;
    MFCSMS* channel = nullptr;
    int fd = -1;
    bool standard = true;  // the standard pace waits 2 seconds after each message
    std::unique_ptr<delivery::DeviceEvents> events;  // only when reports are asked for
    QStringList awaitingReport;  // this device's messages of the run, by delivery id
    QDate day;
    QString today;       // the day as sent items write it
    QString simKey;      // the IMEI names the device whatever port it sits on today
    int allowance = -1;  // messages this SIM may send in the run; -1 for no limit
    int sentHere = 0;
    int refusedInARow = 0;
    bool failed = false;  // the device takes no more messages
};

void SMS_Sending::sendLoop(Device device) {
    DeviceRun run;
    run.device = std::move(device);
    run.channel = mfc_sms_obj_arr(run.device.slot);
    // Stop reaches a long message between its parts, not only between messages.
    run.channel->Set_Stop_Flag(&stop_);
    run.channel->Set_Pacing(request_.pacing);
    run.standard = request_.pacing == modem::Pacing::Standard;
    run.fd = run.channel->port ? run.channel->port->fileDescriptor() : -1;
    try {
        prepareDeviceForRun(run);
        startDeviceShare(run);
        while (!stop_ && !run.failed) {
            const Turn turn = nextTurn(run);
            if (turn == Turn::Leave) {
                break;
            }
            if (turn == Turn::Wait) {
                continue;
            }
            if (!sendNext(run)) {
                break;
            }
        }
    } catch (const std::exception& e) {
        log::writef("sending through %s: %s\n", run.device.entry.toUtf8().constData(), e.what());
    }
    if (run.events) {
        awaitLastReports(run);
    }
    releaseDevice(run);
    deviceLeft(!run.device.submits());
}

// Puts the device into its SMS mode and, when the run asks for delivery reports, starts
// listening to what it passes on.
void SMS_Sending::prepareDeviceForRun(DeviceRun& run) {
    const Device& device = run.device;
    MFCSMS* channel = run.channel;
    if (device.mode == SmsMode::Pdu) {
        channel->Prepare_Modem_For_PDU_SMS(run.fd);
    } else if (device.mode == SmsMode::Text) {
        channel->Prepare_Modem_For_Text_SMS(run.fd);
    }
    if (request_.deliveryReports && device.submits()) {
        channel->Set_Status_Reports(true);
        run.events = std::make_unique<delivery::DeviceEvents>(
            channel, run.fd, simKeyOf(device.entry), device.mode == SmsMode::Text,
            delivery::DeviceEvents::Sinks{
                book_.get(), inbox_.get(), [this](const QString& id) { showDelivery(id); }, {}});
        run.events->Enable();
        // What came while the program was away: late reports of earlier runs, replies.
        run.events->Read_Stored();
    }
}

// Counts the device in the run's pace and works out how many messages its SIM may send.
void SMS_Sending::startDeviceShare(DeviceRun& run) {
    deviceStarted(run.device.entry);
    ++devicesStarted_;
    run.day = pacing::today();
    run.today = run.day.toString(QStringLiteral("dd/MM/yyyy"));
    run.channel->Set_Read_Timeout(5.0);
    // The SIM's allowance for this run: the limit, less what it sent today already when
    // the limit is per day. The IMEI names the device whatever port it sits on today.
    run.simKey = simKeyOf(run.device.entry);
    run.allowance =
        request_.deviceLimit <= 0 ? -1
        : request_.deviceLimitPerDay
            ? std::max(0, request_.deviceLimit - stores::Device_Sent_On(run.simKey, run.day))
            : request_.deviceLimit;
}

// Whether the device may claim a message now: it leaves at its allowance, waits out a pause
// and waits while the batch before the next pause is fully claimed.
SMS_Sending::Turn SMS_Sending::nextTurn(DeviceRun& run) {
    if (run.allowance >= 0 && run.sentHere >= run.allowance) {
        ++devicesAtLimit_;
        return Turn::Leave;
    }
    if (pauseRunning_) {
        pacing::wait(1.0);
        return Turn::Wait;
    }
    if (!takeBatchSlot()) {
        // This batch's messages are all taken; its last one starts the pause.
        pacing::wait(0.1);
        return Turn::Wait;
    }
    return Turn::Claim;
}

// Claims the next waiting message, sends it and records what became of it. False when no
// message is left for this device.
bool SMS_Sending::sendNext(DeviceRun& run) {
    SendingItem item;
    QList<int> skipped;
    const int index = table_.Claim_Next(run.device.entry, &item, &skipped);
    post([this] { showProgress(); });
    if (index < 0) {
        batchClaims_.fetch_sub(1);
        return false;  // items never return to waiting: nothing more for this device
    }
    const QString message = item.Message.left(kMaxMessageLength);
    QString outcome("");
    submitMessage(run, item.Number, message, &outcome);
    const bool sent = judgeOutcome(run, outcome);
    recordOutcome(run, index, item.Number, message, outcome, sent);
    const bool batchDone = pausesOn() && msgCount_.fetch_add(1) + 1 == pause_.everyMessages;
    keepSentItemAndTemplate(index, item.Number, message, outcome, run.today);
    if (batchDone) {
        pauseAfterBatch();
    }
    return true;
}

// Hands the message to the device in its mode; a device without one gets the no-mode outcome.
void SMS_Sending::submitMessage(DeviceRun& run, const QString& number, const QString& message,
                                QString* outcome) {
    const Device& device = run.device;
    if (device.mode == SmsMode::Pdu) {
        run.failed =
            !run.channel->Send_PDU_SMS(run.fd, number, message, device.customNumber, request_.flash,
                                       request_.unicode, outcome, device.smsCapable);
        if (run.standard) {
            pacing::wait(2.0);
        }
    } else if (device.mode == SmsMode::Text) {
        run.failed = !run.channel->Send_Text_SMS(run.fd, number, message, device.customNumber,
                                                 request_.flash, request_.unicode, device.entry,
                                                 outcome, device.smsCapable);
        if (run.standard) {
            pacing::wait(2.0);
        }
    } else {
        *outcome = kNoModeOutcome;
    }
}

// Whether the message went out, and whether the device may take another: a sent message
// counts towards the SIM's allowance, a refusal ends the device unless it concerns only this
// message and the user chose to keep going.
bool SMS_Sending::judgeOutcome(DeviceRun& run, const QString& outcome) {
    const Device& device = run.device;
    const bool sent = device.submits() && stores::Is_Successful_Status(outcome);
    if (sent) {
        ++run.sentHere;
        run.refusedInARow = 0;
        if (request_.deviceLimitPerDay && request_.deviceLimit > 0) {
            stores::Add_Device_Sent(run.simKey, run.day);
        }
    } else if (device.submits() && !run.failed && request_.keepGoingAfterRefusal &&
               Refusal_Concerns_The_Message(run.channel->Last_Submission())) {
        // The network refused this number or this message, not the device.
        run.failed = ++run.refusedInARow >= 3;
    } else {
        // A refusal counts as a failure like a lost device: this device takes no more.
        run.failed = run.failed || device.submits();
    }
    return sent;
}

// Writes the outcome into the table (and the delivery book when reports are asked for), reads
// what the device passed on meanwhile and shows the progress.
void SMS_Sending::recordOutcome(DeviceRun& run, int index, const QString& number,
                                const QString& message, const QString& outcome, bool sent) {
    table_.Finish_Sent(index, run.device.entry, outcome);
    if (run.events) {
        const QString id = recordForDelivery(index, run.simKey, number, message, sent,
                                             run.channel->Last_Submission());
        if (!id.isEmpty()) {
            run.awaitingReport.append(id);
        }
        run.events->Handle(run.channel->Take_Unsolicited());
    }
    deviceHandled(run.device.entry);
    post([this] { showProgress(); });
}

// The sent items and the templates keep the message when the user asked for them.
void SMS_Sending::keepSentItemAndTemplate(int index, const QString& number, const QString& message,
                                          const QString& outcome, const QString& today) {
    if (request_.saveSentItems &&
        stores::Append_Sent_Item(kGsmMode, {number, message, today, outcome})) {
        table_.Mark_Sent_Item_Written(index);
    }
    if (request_.saveTemplates) {
        stores::Save_Composed_Template(message);
    }
}

// The batch's last message is finished on every device (its N messages were claimed before
// any of them could be counted). Pause only when messages are still waiting: never after the
// last one. Whoever finishes it runs the pause, also a device that leaves now, so the others
// still get their pause.
void SMS_Sending::pauseAfterBatch() {
    if (!stop_ && table_.Waiting_Remains()) {
        pauseRunning_ = true;
        bool stopped = false;
        runPause(&stopped);
    }
    msgCount_ = 0;
    batchClaims_ = 0;
}

// Reports usually follow within seconds: the last messages' are worth a short wait.
void SMS_Sending::awaitLastReports(DeviceRun& run) {
    const auto lingerEnd =
        Clock::now() + std::chrono::duration<double>(pacing::scaled(kReportLingerSeconds));
    const auto waiting = [this, &run] {
        for (const QString& id : run.awaitingReport) {
            const auto message = book_->message(id);
            if (message && message->state == delivery::State::NoReport) {
                return true;
            }
        }
        return false;
    };
    run.events->Handle(run.channel->Take_Unsolicited());
    while (!stop_ && Clock::now() < lingerEnd && waiting()) {
        run.events->Listen(1.0);
    }
    run.events->Leave();
}

// Gives the channel back as the run found it: no reports, the device's own service centre,
// no stop flag, the standard pace, the port closed.
void SMS_Sending::releaseDevice(DeviceRun& run) {
    run.channel->Set_Status_Reports(false);
    run.channel->Finish_Run(run.fd, run.device.entry);
    run.channel->Set_Stop_Flag(nullptr);
    run.channel->Set_Pacing(modem::Pacing::Standard);
    run.channel->Close_Port();
}

// Run by the device whose message made the count reach N; every other device waits meanwhile.
void SMS_Sending::runPause(bool* stoppedDuringPause) {
    const auto pauseStarted = Clock::now();
    qint64 remaining = pause_.pauseMs;
    pauseLeftMs_ = remaining;
    post([this, remaining] {
        if (activity_) {
            activity_->stop();
        }
        messageBar_ = 0;
        pauseLabel_ = Pause_Label(remaining);
        if (view_) {
            view_->setMessageBar(0);
            view_->setPauseLabel(pauseLabel_);
        }
    });
    while (remaining > 1000 && !stop_ && pauseLeftMs_ != 0) {
        pacing::wait(1.0);
        remaining -= 1000;
        if (pauseLeftMs_ == 0 || stop_) {
            break;
        }
        pauseLeftMs_ = remaining;
        post([this, remaining] {
            if (pauseRunning_) {
                pauseLabel_ = Pause_Label(remaining);
                if (view_) {
                    view_->setPauseLabel(pauseLabel_);
                }
            }
        });
    }
    if (!stop_ && pauseLeftMs_ != 0) {
        pacing::wait(1.0);  // the last second of the chosen length
    }
    *stoppedDuringPause = stop_;
    {
        std::lock_guard lock(rateMutex_);
        pausedRealSeconds_ += std::chrono::duration<double>(Clock::now() - pauseStarted).count();
    }
    pauseLeftMs_ = 0;
    msgCount_ = 0;
    pauseRunning_ = false;
    post([this] {
        pauseLabel_.clear();
        if (view_) {
            view_->setPauseLabel(QString(""));
        }
        if (activity_ && !ended_) {
            activity_->start();
        }
    });
}

void SMS_Sending::endPause() {
    pauseRunning_ = false;
    pauseLeftMs_ = 0;
    pauseLabel_.clear();
    if (view_) {
        view_->setPauseLabel(QString(""));
    }
}

void SMS_Sending::deviceLeft(bool withoutMode) {
    if (withoutMode) {
        deviceWithoutModeSeen_ = true;
    }
    if (--activeDevices_ > 0) {
        return;
    }
    // The last one out: nothing is sent any more, so what still waits will not be.
    post([this] {
        if (activity_) {
            activity_->stop();
        }
        pauseLabel_.clear();
        messageBar_ = 100;
        if (view_) {
            view_->setPauseLabel(QString(""));
            view_->setMessageBar(100);
        }
    });
    if (deviceWithoutModeSeen_ && !quiet_) {
        Show_MessageBox(kDeviceWithoutMode);
    }
    const int left = table_.Mark_Stopped();
    if (left > 0 && devicesStarted_ > 0 && devicesAtLimit_ == devicesStarted_ && !stop_ &&
        !quiet_) {
        Show_MessageBox(kLimitReached.arg(request_.deviceLimit)
                            .arg(request_.deviceLimitPerDay ? QStringLiteral(" today")
                                                            : QStringLiteral(" in this run"))
                            .arg(left));
    }
    post([this] { showProgress(); });
    finishRun();
}

void SMS_Sending::showFinishing() {
    if (finishingShown_.exchange(true)) {
        return;
    }
    post([this] {
        if (view_) {
            view_->showPleaseWait(true);
        }
    });
}

// Run by the last thread out of the run, so every device has left when it marks what is left.
void SMS_Sending::finishRun() {
    finisherStarted_ = true;
    showFinishing();
    if (!quiet_) {
        pacing::wait(2.0);
    }
    table_.Mark_Stopped();
    const QString message = closing_ ? kRunStoppedAndClosed : stop_ ? kRunStopped : kRunFinished;
    post([this] {
        if (activity_) {
            activity_->stop();
        }
        statusText_ = kFinishedStatus;
        showProgress();
        if (view_) {
            view_->showPleaseWait(false);
            view_->setStopVisible(false);
            view_->setExportVisible(true);
            view_->setOverallBar(table_.count(), table_.count());
            view_->setStatusText(statusText_);
            view_->setCloseEnabled(true);
        }
    });
    if (!quiet_) {
        Show_MessageBox(message);
    }
    post([this, message] {
        endMessage_ = message;
        ended_ = true;
        if (closing_ && view_) {
            view_->closeWindow();
        }
    });
}

void SMS_Sending::stopRun(bool closing) {
    if (!Show_YES_NO_MessageBox(kStopQuestion)) {
        closing_ = false;
        return;
    }
    closing_ = closing;
    stop_ = true;
    endPause();
    if (!finisherStarted_ && statusText_ != kFinishedStatus) {
        if (view_) {
            view_->setCloseEnabled(false);
        }
        // The run ends once its devices have left; the last one out finishes it.
        showFinishing();
    }
}

void SMS_Sending::Stop_Btn() {
    if (table_.Work_Remains()) {
        stopRun(false);
    } else if (pauseRunning_ && Show_YES_NO_MessageBox(kPauseQuestion)) {
        endPause();
        stop_ = true;
    }
}

void SMS_Sending::CancelPressed() {
    if (statusText_.contains(QStringLiteral("Populating")) || table_.Work_Remains()) {
        stopRun(true);
    } else if (pauseRunning_) {
        if (Show_YES_NO_MessageBox(kPauseQuestion)) {
            closing_ = true;
            endPause();
            stop_ = true;
            if (statusText_ == kFinishedStatus && view_) {
                view_->closeWindow();
            }
        }
    } else if (statusText_ == kFinishedStatus && view_) {
        view_->closeWindow();
    }
}

void SMS_Sending::Export_Btn() {
    const QList<SendingItem> items = table_.items();
    if (items.isEmpty()) {
        Show_MessageBox(QStringLiteral("Sent items list is empty."));
        return;
    }
    const stores::StatusChoice which = stores::Ask_Status_Export_Mode();
    if (which == stores::StatusChoice::Cancel) {
        return;
    }
    QList<stores::StatusReportRow> rows;
    for (const SendingItem& item : items) {
        const bool sent = stores::Is_Successful_Status(item.Status);
        if (which == stores::StatusChoice::All ||
            (which == stores::StatusChoice::Successful && sent) ||
            (which == stores::StatusChoice::Failed && !sent)) {
            rows.append(
                {item.Number, item.Message, item.CurrentStatus, item.Status, item.Delivery});
        }
    }
    if (rows.isEmpty()) {
        Show_MessageBox(stores::kNoItemForExportOption);
        return;
    }
    stores::ReportFormat format = stores::ReportFormat::Text;
    if (!stores::Ask_Export_Format(&format)) {
        return;
    }
    const bool html = format == stores::ReportFormat::Html;
    const QString chosen = tesk::dialogs().chooseFileToSave(
        {QStringLiteral("Export Sending Status"),
         QString(),
         html ? QStringLiteral("Sending Status.html") : QStringLiteral("Sending Status.txt"),
         {html ? QStringLiteral("HTML files (*.html)") : QStringLiteral("Text files (*.txt)")}});
    if (chosen.isEmpty()) {
        return;
    }
    const QString path = stores::Report_File_Name(chosen, format);
    if (view_) {
        view_->showPleaseWait(true);
    }
    const bool written = stores::Write_Report(path, stores::Status_Report(rows, format));
    if (view_) {
        view_->showPleaseWait(false);
    }
    if (!written) {
        Show_MessageBox(QStringLiteral("Error in file accessing."));
        return;
    }
    if (view_) {
        view_->offerToOpenExportedFile(path);
    }
}

void SMS_Sending::Wait_For_Run() {
    threads_.wait();
}

}  // namespace tesk::sending
