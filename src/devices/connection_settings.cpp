#include "devices/connection_settings.h"

#include "checks/number_checks.h"
#include "core/dialogs.h"
#include "core/text_helpers.h"

namespace tesk::devices {

namespace {

const QString kYes = QStringLiteral("Y");
const QString kNo = QStringLiteral("N");
const QString kPduMode = QStringLiteral("PDU Mode");
const QString kTextMode = QStringLiteral("Text Mode");

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
    return record.text(QStringLiteral("UseCusSMSC")) == kYes
               ? Trim_Str(record.text(QStringLiteral("CusSMSC")))
               : QString("");
}

void ConnectionSettings::Clear() {
    fields_ = SettingsFields{};
    modeSel_ = 0;
    host_->settingsChanged();
}

void ConnectionSettings::Reset_For_Highlight() {
    fields_.defaultEnabled = true;
    fields_.customEnabled = false;
    fields_.customChecked = false;
    host_->settingsChanged();
}

void ConnectionSettings::Show_Row_Settings(const DeviceRecord& record) {
    fields_.defaultSmsc = record.text(QStringLiteral("DefSMSC"));
    const QString custom = record.text(QStringLiteral("CusSMSC"));
    fields_.customSmsc = custom;
    const bool useCustom = record.text(QStringLiteral("UseCusSMSC")) == kYes && !custom.isEmpty();
    fields_.customChecked = useCustom;
    fields_.customEnabled = useCustom;
    fields_.defaultEnabled = !useCustom;
    const QString mode = record.text(QStringLiteral("SMSMode"));
    // A device offering neither mode ("NONE") shows no mode chosen: a button left on from the
    // previous row would claim a setting the record does not hold.
    showMode(mode == kPduMode ? 1 : mode == kTextMode ? 2 : 0);
    host_->settingsChanged();
}

void ConnectionSettings::showMode(int mode) {
    modeSel_ = mode;
    fields_.pduOn = mode == 1;
    fields_.textOn = mode == 2;
}

void ConnectionSettings::Set_Custom_Field(const QString& typed) {
    const QString kept = Cut_To_Field_Limit(typed);
    fields_.customSmsc = kept;
    // Users tick the box first and type afterwards: a number typed into the ticked field is
    // the device's setting as soon as it is one, so it is what the test message and the run
    // use and it stays with this device when another row is highlighted.
    QString cleaned;
    if (fields_.customChecked && Valid_Custom_Smsc(kept, &cleaned)) {
        setRecord(QStringLiteral("CusSMSC"), cleaned);
        setRecord(QStringLiteral("UseCusSMSC"), kYes);
    }
    if (kept != typed) {
        host_->settingsChanged();  // the field must drop what was cut
    }
}

void ConnectionSettings::setRecord(const QString& key, const QVariant& value) {
    const QString path = host_->Highlighted_Path();
    if (!path.isEmpty()) {
        host_->Update_Column_Value(path, key, value);
    }
}

void ConnectionSettings::Custom_SMSC_Pressed(bool checked) {
    fields_.customChecked = checked;
    if (!checked) {
        fields_.customSmsc.clear();
        fields_.customEnabled = false;
        fields_.defaultEnabled = true;
        setRecord(QStringLiteral("UseCusSMSC"), kNo);
        setRecord(QStringLiteral("CusSMSC"), QString(""));
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
    setRecord(QStringLiteral("CusSMSC"), cleaned);
    setRecord(QStringLiteral("UseCusSMSC"), kYes);
    return true;
}

void ConnectionSettings::PDU_Mode_Radio() {
    if (modeSel_ == 1) {
        showMode(1);  // the button may have been clicked off; keep it on
        host_->settingsChanged();
        return;
    }
    if (!Update_Custom_Smsc_Func_Call()) {
        showMode(modeSel_);  // the buttons go back to the mode held before (text, or none)
        host_->settingsChanged();
        return;
    }
    showMode(1);
    setRecord(QStringLiteral("SMSMode"), kPduMode);
    host_->settingsChanged();
}

void ConnectionSettings::Text_Mode_Radio() {
    if (modeSel_ == 2) {
        showMode(2);
        host_->settingsChanged();
        return;
    }
    if (!Update_Custom_Smsc_Func_Call()) {
        showMode(modeSel_);  // back to PDU, or none
        host_->settingsChanged();
        return;
    }
    Show_MessageBox(kTextModeInformation);
    showMode(2);
    setRecord(QStringLiteral("SMSMode"), kTextMode);
    host_->settingsChanged();
}

void ConnectionSettings::Custom_SMSC_Help_Btn() {
    Show_MessageBox(kSmscHelp);
    Update_Custom_Smsc_Func_Call();
}

void ConnectionSettings::Apply(bool pdu, bool custom, const QString& cleanedNumber) {
    showMode(pdu ? 1 : 2);
    setRecord(QStringLiteral("SMSMode"), pdu ? kPduMode : kTextMode);
    fields_.customChecked = custom;
    fields_.defaultEnabled = !custom;
    fields_.customEnabled = custom;
    fields_.customSmsc = custom ? cleanedNumber : QString("");
    setRecord(QStringLiteral("UseCusSMSC"), custom ? kYes : kNo);
    setRecord(QStringLiteral("CusSMSC"), custom ? cleanedNumber : QString(""));
    host_->settingsChanged();
}

}  // namespace tesk::devices
