#include "sending/send_job.h"

#include "appstate/selection_state.h"
#include "core/dialogs.h"
#include "core/off_window_thread.h"
#include "core/pacing.h"
#include "core/text_helpers.h"

#include <QSet>

#include <memory>

namespace tesk::sending {

namespace {

const QString kAllDevice = QStringLiteral("All Device");
const QString kNotConnected = QStringLiteral(
    "\nDevice is not connected properly or Device is not functioning.\n\nPlease use Mobile "
    "Phone Connection Wizard for finding device or establishing connection.");
const QString kNoneConnected = QStringLiteral(
    "\n All Device not connected properly or Device is not functioning.\n\nPlease use Mobile "
    "Phone Connection Wizard for finding device or establishing connection.");
const QString kSomeNotConnected = QStringLiteral(
    "\nDevice not connected properly or Device is not functioning.\n\nPlease use Mobile Phone "
    "Connection Wizard for finding device or establishing connection.\n\nOR\n\nDo you want to "
    "continue sending process with other connected device?");
const QString kBlankQuestion = QStringLiteral(
    "\nYou have composed no text message yet for any of the contacts in the entire list. This "
    "action will send blank message to all the contacts in list.\n\nAre you sure you want to "
    "continue?");

}  // namespace

QString Blank_Rows_Question(int blank, int total) {
    return QStringLiteral(
               "\n%1 of the %2 contacts in the list have no text message. This action will send "
               "blank message to them.\n\nAre you sure you want to continue?")
        .arg(blank)
        .arg(total);
}

void GSM_Send_Job::Send_SMS_Btn(const QString& deviceChoice) {
    if (Send_SMS_BY_Multi_Port(deviceChoice)) {
        GSM_Chk_Port_And_Send_Msg(deviceChoice);
    }
}

bool GSM_Send_Job::Send_SMS_BY_Multi_Port(const QString& deviceChoice) {
    if (sel_port_bsd_str.get().isEmpty() || port_val_str_array.get().isEmpty()) {
        Show_MessageBox(kNoDeviceForSending);
        return false;
    }
    if (deviceChoice.isEmpty()) {
        Show_MessageBox(QStringLiteral("Please select a device for sms sending."));
        return false;
    }
    if (!Trim_Str(composer_.numberField()).isEmpty()) {
        Show_MessageBox(QStringLiteral("Please insert entered number to the list."));
        view_->focusNumberField();
        return false;
    }
    if (composer_.list().isEmpty()) {
        Show_MessageBox(QStringLiteral("Phone numbers-Messages list is empty."));
        view_->focusNumberField();
        return false;
    }
    const bool offerApply = composer_.Take_Message_For_Sending();
    if (composer_.options().delayedDelivery) {
        const bool noCount = Trim_Str(composer_.Delayed_Count_Text()).isEmpty();
        if (noCount || Trim_Str(composer_.Delayed_Pause_Text()).isEmpty()) {
            Show_MessageBox(
                QStringLiteral("No values have been selected in 'Delayed Delivery Options'."));
            view_->focusDelayedChoice(noCount);
            return false;
        }
    }
    if (offerApply) {
        switch (view_->runApplyMessageDialog()) {
            case ApplyChoice::FillAll:
                composer_.Apply_Message_For_Sending(false);
                break;
            case ApplyChoice::FillBlank:
                composer_.Apply_Message_For_Sending(true);
                break;
            case ApplyChoice::Continue:
                break;
            case ApplyChoice::Cancel:
                return false;
        }
        composer_.Remember_Offered_Message();
    }
    // A run sends each row's own message: a row still without one goes out empty, which only
    // the user's yes may allow.
    const int blank = composer_.Blank_Message_Count();
    if (blank > 0) {
        const int total = composer_.list().count();
        const QString question =
            blank == total ? kBlankQuestion : Blank_Rows_Question(blank, total);
        if (!Show_YES_NO_MessageBox(question)) {
            return false;
        }
    }
    if (composer_.options().exclusion) {
        composer_.Reload_Exclusions();
    }
    return true;
}

void GSM_Send_Job::GSM_Chk_Port_And_Send_Msg(const QString& deviceChoice) {
    view_->showPleaseWait(true);
    sendingEntries_.clear();
    sendingSelected_.clear();
    close_all_ports();
    const bool all = deviceChoice == kAllDevice;
    QStringList toTest;
    for (const QString& entry : port_val_str_array.get()) {
        if (all ? entry != kAllDevice : entry == deviceChoice) {
            toTest.append(entry);
        }
    }
    // Each probe may wait for a silent device; the window stays painted meanwhile.
    QList<bool> answering;
    Run_Off_Window_Thread([&] {
        for (const QString& entry : toTest) {
            answering.append(probeDevice(entry));
        }
    });
    QString failures;
    int failed = 0;
    for (qsizetype i = 0; i < toTest.size(); ++i) {
        const QString& entry = toTest.at(i);
        const DeviceRecord chosen = Get_Sel_Port_Details(entry);
        const QString label =
            QStringLiteral("%1 Device connected on %2 ").arg(chosen.model, chosen.portName);
        const bool works = answering.at(i);
        if (works) {
            sendingEntries_.append(entry);
        }
        if (!works) {
            if (!all) {
                view_->showPleaseWait(false);
                Show_MessageBox(label + kNotConnected);
                return;
            }
            failures += label + QStringLiteral("\n");
            ++failed;
        }
    }
    view_->showPleaseWait(false);
    if (all && failed > 0) {
        if (failed == toTest.size()) {
            Show_MessageBox(failures + kNoneConnected);
            return;
        }
        if (!Show_YES_NO_MessageBox(failures + kSomeNotConnected)) {
            return;
        }
    }
    if (sendingEntries_.isEmpty()) {
        return;  // nothing was chosen that matches the choice
    }
    if (sendingEntries_.size() < 2) {
        sendingSelected_ = sendingEntries_.first();
    } else {
        sendingEntries_.append(kAllDevice);
        sendingSelected_ = all                                      ? kAllDevice
                           : sendingEntries_.contains(deviceChoice) ? deviceChoice
                                                                    : sendingEntries_.first();
    }
    view_->openSendingWindow(buildRequest());
}

bool GSM_Send_Job::probeDevice(const QString& entry) {
    const QByteArray path = entry.toLocal8Bit();
    const int probe = channel_.OpenSerialPort(path.constData());
    if (probe == -1) {
        return false;
    }
    channel_.CloseSerialPort(probe);
    int fd = -1;
    channel_.initPort_with_decp(path.constData(), &fd);
    channel_.Set_Read_Timeout(1.0);
    const bool works = channel_.Check_Connection(fd);
    if (works) {
        channel_.m_port_name = entry;
    }
    channel_.Close_Port();
    return works;
}

SendingRequest GSM_Send_Job::buildRequest() const {
    SendingRequest request;
    request.list = composer_.list().items();
    request.entries = sendingEntries_;
    request.selected = sendingSelected_;
    request.devices = port_det_str_array.get();
    request.chosenDevicePath = sel_port_bsd_str.get();
    const composer::ComposerOptions options = composer_.options();
    request.rules.skipDuplicates = options.skipDuplicate;
    request.rules.useExclusions = options.exclusion;
    request.rules.chosenDevicePath = request.chosenDevicePath;
    // The run reads a copy: the composer may change its exclusion numbers later.
    auto excluded = std::make_shared<QSet<QString>>();
    const auto& exclusions = composer_.exclusions();
    for (int i = 0; i < exclusions.count(); ++i) {
        excluded->insert(exclusions.at(i).Number);
    }
    request.rules.isExcluded = [excluded](const QString& number) {
        return excluded->contains(number);
    };
    request.unicode = options.unicode;
    request.flash = composer_.Is_Flash_Message();
    request.saveSentItems = options.saveSentItems;
    request.saveTemplates = options.saveTemplates;
    request.delayed = options.delayedDelivery;
    request.countText = composer_.Delayed_Count_Text();
    request.pauseText = composer_.Delayed_Pause_Text();
    request.pacing = composer_.Fast_Pacing() ? modem::Pacing::Fast : modem::Pacing::Standard;
    request.deviceLimit = composer_.Device_Limit_Count();
    request.deviceLimitPerDay = composer_.Device_Limit_Per_Day();
    request.keepGoingAfterRefusal = composer_.Keep_Going();
    request.deliveryReports = composer_.Delivery_Reports();
    return request;
}

}  // namespace tesk::sending
