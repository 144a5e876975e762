#include "devices/selected_device_details.h"

#include "appstate/selection_state.h"
#include "core/device_window_steps.h"
#include "core/dialogs.h"
#include "core/log.h"
#include "core/text_helpers.h"
#include "devices/device_details.h"

#include <exception>

namespace tesk::devices {

namespace {

const QString kNoDefaultSmsc = QStringLiteral(
    "Default SMSC Number could not be located for this device.\nPlease enter SMSC number "
    "manually in 'Custom SMSC no.' Field for this Device.\n\nYou can find SMSC Number in 'SMS "
    "Service Center' Details in the SMS Settings of your Mobile Device.");
const QString kNoCustomSmsc = QStringLiteral(
    "Custom SMSC Number could not be located for this device.\nPlease enter SMSC number "
    "manually in 'Custom SMSC no.' Field for this Device.\n\nYou can find SMSC Number in 'SMS "
    "Service Center' Details in the SMS Settings of your Mobile Device.");
// The settings the window copies from each chosen record, and may change.
DeviceRecord copiedSettings(const DeviceRecord& chosen) {
    DeviceRecord copy;
    copy.portName = chosen.portName;
    copy.path = chosen.path;
    copy.defaultSmsc = chosen.defaultSmsc;
    copy.customSmsc = chosen.customSmsc;
    copy.useCustomSmsc = chosen.useCustomSmsc;
    copy.smsMode = chosen.smsMode;
    copy.supportedModes = chosen.supportedModes;
    copy.model = chosen.model;
    return copy;
}

// Copies the editable settings of `from` into the hand-over record with the same path.
void writeBack(const DeviceRecord& from) {
    port_det_str_array.update([&](QList<DeviceRecord>& list) {
        for (DeviceRecord& record : list) {
            if (record.path == from.path) {
                record.customSmsc = from.customSmsc;
                record.useCustomSmsc = from.useCustomSmsc;
                record.smsMode = from.smsMode;
                return;
            }
        }
    });
}

}  // namespace

Selected_Device_Details_GSM::Selected_Device_Details_GSM() {
    channel_.Set_Device_List(&facts_);
}

Selected_Device_Details_GSM::~Selected_Device_Details_GSM() = default;

bool Selected_Device_Details_GSM::Devices_Chosen() {
    if (sel_port_name_str.get().isEmpty() || port_det_str_array.get().isEmpty()) {
        Show_MessageBox(kSelectionNeeded);
        return false;
    }
    return true;
}

void Selected_Device_Details_GSM::Open_Gsm_Ph_Det_List_Wnd() {
    records_.clear();
    portName_.clear();
    portPath_.clear();
    testNumber_.clear();
    settings_.Clear();
    for (const DeviceRecord& chosen : port_det_str_array.get()) {
        if (!chosen.ticked || Trim_Str(chosen.portName).isEmpty()) {
            continue;
        }
        records_.append(copiedSettings(chosen));
    }
    prevIndex_ = -1;
    if (view_) {
        view_->setTestNumberField(testNumber_);
        view_->showPort(portName_, portPath_);
        view_->redrawTable();
    }
    if (!records_.isEmpty()) {
        Highlight_Row(0);
        if (view_) {
            view_->selectRow(0);
        }
    }
}

void Selected_Device_Details_GSM::Highlight_Row(int row) {
    if (row < 0) {
        if (view_) {
            view_->selectRow(static_cast<int>(prevIndex_));
        }
        return;
    }
    if (row == prevIndex_ || row >= records_.size()) {
        return;
    }
    prevIndex_ = row;
    portName_ = records_.at(row).portName;
    portPath_ = records_.at(row).path;
    if (view_) {
        view_->showPort(portName_, portPath_);
    }
    settings_.Reset_For_Highlight();
    settings_.Show_Row_Settings(records_.at(row));
}

void Selected_Device_Details_GSM::Set_Test_Number_Field(const QString& typed) {
    testNumber_ = Cut_To_Field_Limit(typed);
    if (testNumber_ != typed && view_) {
        view_->setTestNumberField(testNumber_);
    }
}

void Selected_Device_Details_GSM::Update_Column_Value(
    const QString& path, const std::function<void(DeviceRecord&)>& change) {
    for (DeviceRecord& record : records_) {
        if (record.path == path) {
            change(record);
            record.path = path;  // the path names the record
            break;
        }
    }
    if (view_) {
        view_->redrawTable();
    }
}

void Selected_Device_Details_GSM::settingsChanged() {
    if (view_) {
        view_->showSettings(settings_.fields());
    }
}

void Selected_Device_Details_GSM::OK_Button_Presses() {
    if (!settings_.Update_Custom_Smsc_Func_Call()) {
        return;
    }
    for (const DeviceRecord& record : records_) {
        const QString prefix = record.portName + QStringLiteral("\r\n");
        if ((Effective_Custom_Smsc(record).isEmpty() && record.defaultSmsc.isEmpty()) ||
            (!record.useCustomSmsc && record.defaultSmsc.isEmpty())) {
            Show_MessageBox(prefix + kNoDefaultSmsc);
            return;
        }
        if (record.useCustomSmsc && record.customSmsc.isEmpty()) {
            Show_MessageBox(prefix + kNoCustomSmsc);
            return;
        }
    }
    // What the user confirmed is what the sending run will use.
    for (const DeviceRecord& record : records_) {
        writeBack(record);
    }
    if (view_) {
        view_->endModal(1);
    }
}

void Selected_Device_Details_GSM::Automate_Button_Presses() {
    if (!settings_.Update_Custom_Smsc_Func_Call()) {
        return;
    }
    AutomatedTestHandIn handIn;
    handIn.devices = records_;
    handIn.testNumber = Trim_Str(testNumber_);
    handIn.opener = this;
    if (view_) {
        view_->runAutomatedTest(handIn);
    }
}

void Selected_Device_Details_GSM::Apply_Test_Settings(const QString& path, bool pdu, bool custom,
                                                      const QString& cleanedNumber) {
    int row = -1;
    for (int i = 0; i < records_.size(); ++i) {
        if (records_.at(i).path == path) {
            row = i;
            break;
        }
    }
    if (row < 0) {
        return;
    }
    Highlight_Row(row);
    if (view_) {
        view_->selectRow(row);
        view_->redrawTable();
    }
    settings_.Apply(pdu, custom, cleanedNumber);
    writeBack(records_.at(row));
}

void Selected_Device_Details_GSM::Send_Test_SMS_Pressed() {
    if (tst_sms_th_2 == 1) {
        return;
    }
    if (records_.isEmpty()) {
        Show_MessageBox(kDeviceListEmpty);
        return;
    }
    if (prevIndex_ < 0 || prevIndex_ >= records_.size()) {
        Show_MessageBox(kSelectDevice);
        return;
    }
    if (settings_.fields().customChecked && !Check_Custom_Smsc(settings_.fields().customSmsc)) {
        return;
    }
    TestMessageRequest request;
    request.record = records_.at(static_cast<int>(prevIndex_));
    request.testNumber = testNumber_;
    request.customChecked = settings_.fields().customChecked;
    request.customField = settings_.fields().customSmsc;
    request.window = TestMessageWindow::DeviceSettings;
    facts_.clear();
    for (const DeviceRecord& record : port_det_str_array.get()) {
        facts_.Insert_port_in_List(record);
    }
    Start_Test_Message(test_, tst_sms_th_2, gui_, view_,
                       [this, request](const std::function<void(bool)>& sheet) {
                           Send_Test_SMS_fun(channel_, request, sheet);
                       });
}

void Selected_Device_Details_GSM::Wait_For_Test() {
    test_.wait();
}

}  // namespace tesk::devices
