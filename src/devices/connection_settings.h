#pragma once
// The connection settings of one GSM device as a window shows them: SMS mode (PDU or text) and
// service centre (the device's own or a custom number). The device window and the device-settings
// window hold one ConnectionSettings each; it keeps the state of the settings controls and
// writes every change into the highlighted device record through its host.
#include "modem/device_list.h"

#include <QString>
#include <QVariant>

#include <functional>

namespace tesk::devices {

// Fields that keep at most this many characters, cut as typed.
inline constexpr int kFieldLimit = 20;
QString Cut_To_Field_Limit(const QString& typed);

inline const QString kInvalidSmsc =
    QStringLiteral("The SMSC number does not seem to be valid. Please enter a valid SMSC number.");
inline const QString kSmscHelp = QStringLiteral(
    "You can find SMSC Number in 'SMS Service Center' Details in the SMS Settings of your "
    "Device.\n\nCorrect SMS Service Center number starts with '+' or '00' before your country "
    "code (e.g. +65 or 0044). Contact your service provider to know their SMSC number, if you "
    "cannot locate it in SMS Settings of your Device.");
inline const QString kTextModeInformation = QStringLiteral(
    "Information:\n\nYou have selected 'Text Mode' for sending Messages.\nSome Devices may not "
    "support non-English (Unicode) SMS using this mode.\n\nIf you face difficulties in sending "
    "Unicode SMS using 'Text Mode', select 'PDU Mode'.");

// The custom service-centre rule: cleaned of "-" and " ", 1..20 characters, a leading "+"
// allowed (and only there), then the phone-number check. On success *cleaned receives the
// number to store, leading "+" kept. Shows nothing.
bool Valid_Custom_Smsc(const QString& field, QString* cleaned = nullptr);
// The same, showing kInvalidSmsc when the number is invalid.
bool Check_Custom_Smsc(const QString& field, QString* cleaned = nullptr);

// A test number the user typed: trimmed, a leading "+" counts as "00", no other "+", then the
// phone-number check. Shows nothing.
bool Valid_Test_Number(const QString& field);

// The service centre a device sends through: its custom number (trimmed) when it uses one, else "".
QString Effective_Custom_Smsc(const DeviceRecord& record);

// What the settings controls show.
struct SettingsFields {
    QString defaultSmsc;
    QString customSmsc;
    bool customChecked = false;
    bool defaultEnabled = true;
    bool customEnabled = false;
    bool pduOn = false;
    bool textOn = false;
    bool operator==(const SettingsFields&) const = default;
};

// The window the settings belong to.
class SettingsHost {
  public:
    virtual ~SettingsHost() = default;
    // PORT_DETAL shown for the highlighted row ("" when none).
    virtual QString Highlighted_Path() const = 0;
    // Applies `change` to the record whose path equals `path` and redraws the table.
    virtual void Update_Column_Value(const QString& path,
                                     const std::function<void(DeviceRecord&)>& change) = 0;
    // The settings controls changed; show fields() again.
    virtual void settingsChanged() = 0;
};

class ConnectionSettings {
  public:
    explicit ConnectionSettings(SettingsHost* host) : host_(host) {}

    const SettingsFields& fields() const { return fields_; }
    // The mode the buttons show: PDU or text, or none on (NotAsked, Neither).
    SmsMode PDU_TEXT_MODE_SEL() const { return mode_; }

    // Every field empty, check box off, buttons off (a scan starts, a window opens).
    void Clear();
    // Shows a row's settings; no mode button is on when its mode is neither PDU nor text.
    void Show_Row_Settings(const DeviceRecord& record);
    // The highlight moved: default field enabled, custom field disabled, check box off.
    void Reset_For_Highlight();

    // Typing into the custom field (cut to 20 characters).
    void Set_Custom_Field(const QString& typed);

    void Custom_SMSC_Pressed(bool checked);
    bool Update_Custom_Smsc_Func_Call();
    void PDU_Mode_Radio();
    void Text_Mode_Radio();
    void Custom_SMSC_Help_Btn();

    // The automatic test applied a combination: mode, and custom number or the device's own.
    void Apply(bool pdu, bool custom, const QString& cleanedNumber);

  private:
    void changeRecord(const std::function<void(DeviceRecord&)>& change);
    void useCustomInRecord(const QString& cleaned);
    void showMode(SmsMode mode);

    SettingsHost* host_;
    SettingsFields fields_;
    SmsMode mode_ = SmsMode::NotAsked;
};

}  // namespace tesk::devices
