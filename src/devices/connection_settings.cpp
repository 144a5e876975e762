#include "devices/connection_settings.h"

#include "checks/number_checks.h"
#include "core/dialogs.h"
#include "core/text_helpers.h"

namespace tesk::devices {

namespace {

// A leading "+" stands for "00"; any "+" after it makes the number invalid.
bool plusOnlyInFront(const QString& number) {
    const QString rest = number.startsWith(QLatin1Char('+')) ? number.mid(1) : number;
    return !rest.contains(QLatin1Char('+'));
}

}  // namespace

QString Cut_To_Field_Limit(const QString& typed) {
    return typed.left(kFieldLimit);
}

bool Valid_Custom_Smsc(const QString& field, QString* cleaned) {
    const QString number = Replace_Char_For_Valid_Number(field);
    if (number.isEmpty() || number.size() > kFieldLimit || !plusOnlyInFront(number) ||
        Check_Ph_Number(number, 0) != 0) {
        return false;
    }
    if (cleaned) {
        *cleaned = number;
    }
    return true;
}

bool Check_Custom_Smsc(const QString& field, QString* cleaned) {
    if (Valid_Custom_Smsc(field, cleaned)) {
        return true;
    }
    Show_MessageBox(kInvalidSmsc);
    return false;
}

bool Valid_Test_Number(const QString& field) {
    const QString number = Trim_Str(field);
    return plusOnlyInFront(number) && Check_Ph_Number(number, 0) == 0;
}

QString Effective_Custom_Smsc(const DeviceRecord& record) {
    return record.useCustomSmsc ? Trim_Str(record.customSmsc) : QString("");
}

void ConnectionSettings::Clear() {
    fields_ = SettingsFields{};
    mode_ = SmsMode::NotAsked;
    host_->settingsChanged();
}

void ConnectionSettings::Reset_For_Highlight() {
    fields_.defaultEnabled = true;
    fields_.customEnabled = false;
    fields_.customChecked = false;
    host_->settingsChanged();
}

void ConnectionSettings::Show_Row_Settings(const DeviceRecord& record) {
    fields_.defaultSmsc = record.defaultSmsc;
    fields_.customSmsc = record.customSmsc;
    const bool useCustom = record.useCustomSmsc && !record.customSmsc.isEmpty();
    fields_.customChecked = useCustom;
    fields_.customEnabled = useCustom;
    fields_.defaultEnabled = !useCustom;
    // A device offering neither mode ("NONE") shows no mode chosen: a button left on from the
    // previous row would claim a setting the record does not hold.
    showMode(record.smsMode);
    host_->settingsChanged();
}

void ConnectionSettings::showMode(SmsMode mode) {
    mode_ = mode;
    fields_.pduOn = mode == SmsMode::Pdu;
    fields_.textOn = mode == SmsMode::Text;
}

void ConnectionSettings::Set_Custom_Field(const QString& typed) {
    const QString kept = Cut_To_Field_Limit(typed);
    fields_.customSmsc = kept;
    // Users tick the box first and type afterwards: a number typed into the ticked field is
    // the device's setting as soon as it is one, so it is what the test message and the run
    // use and it stays with this device when another row is highlighted.
    QString cleaned;
    if (fields_.customChecked && Valid_Custom_Smsc(kept, &cleaned)) {
        useCustomInRecord(cleaned);
    }
    if (kept != typed) {
        host_->settingsChanged();  // the field must drop what was cut
    }
}

void ConnectionSettings::changeRecord(const std::function<void(DeviceRecord&)>& change) {
    const QString path = host_->Highlighted_Path();
    if (!path.isEmpty()) {
        host_->Update_Column_Value(path, change);
    }
}

void ConnectionSettings::useCustomInRecord(const QString& cleaned) {
    changeRecord([&cleaned](DeviceRecord& record) {
        record.customSmsc = cleaned;
        record.useCustomSmsc = true;
    });
}

void ConnectionSettings::Custom_SMSC_Pressed(bool checked) {
    fields_.customChecked = checked;
    if (!checked) {
        fields_.customSmsc.clear();
        fields_.customEnabled = false;
        fields_.defaultEnabled = true;
        changeRecord([](DeviceRecord& record) {
            record.useCustomSmsc = false;
            record.customSmsc = QString("");
        });
        host_->settingsChanged();
        return;
    }
    fields_.defaultEnabled = false;
    fields_.customEnabled = true;
    host_->settingsChanged();
    if (!Replace_Char_For_Valid_Number(fields_.customSmsc).isEmpty()) {
        Update_Custom_Smsc_Func_Call();
    }
}

bool ConnectionSettings::Update_Custom_Smsc_Func_Call() {
    if (!fields_.customChecked) {
        return true;
    }
    QString cleaned;
    if (!Check_Custom_Smsc(fields_.customSmsc, &cleaned)) {
        return false;
    }
    useCustomInRecord(cleaned);
    return true;
}

void ConnectionSettings::PDU_Mode_Radio() {
    if (mode_ == SmsMode::Pdu) {
        showMode(SmsMode::Pdu);  // the button may have been clicked off; keep it on
        host_->settingsChanged();
        return;
    }
    if (!Update_Custom_Smsc_Func_Call()) {
        showMode(mode_);  // the buttons go back to the mode held before (text, or none)
        host_->settingsChanged();
        return;
    }
    showMode(SmsMode::Pdu);
    changeRecord([](DeviceRecord& record) { record.smsMode = SmsMode::Pdu; });
    host_->settingsChanged();
}

void ConnectionSettings::Text_Mode_Radio() {
    if (mode_ == SmsMode::Text) {
        showMode(SmsMode::Text);
        host_->settingsChanged();
        return;
    }
    if (!Update_Custom_Smsc_Func_Call()) {
        showMode(mode_);  // back to PDU, or none
        host_->settingsChanged();
        return;
    }
    Show_MessageBox(kTextModeInformation);
    showMode(SmsMode::Text);
    changeRecord([](DeviceRecord& record) { record.smsMode = SmsMode::Text; });
    host_->settingsChanged();
}

void ConnectionSettings::Custom_SMSC_Help_Btn() {
    Show_MessageBox(kSmscHelp);
    Update_Custom_Smsc_Func_Call();
}

void ConnectionSettings::Apply(bool pdu, bool custom, const QString& cleanedNumber) {
    const SmsMode mode = pdu ? SmsMode::Pdu : SmsMode::Text;
    showMode(mode);
    fields_.customChecked = custom;
    fields_.defaultEnabled = !custom;
    fields_.customEnabled = custom;
    fields_.customSmsc = custom ? cleanedNumber : QString("");
    changeRecord([&](DeviceRecord& record) {
        record.smsMode = mode;
        record.useCustomSmsc = custom;
        record.customSmsc = custom ? cleanedNumber : QString("");
    });
    host_->settingsChanged();
}

}  // namespace tesk::devices
