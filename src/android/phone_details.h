#pragma once
// What the phone connection window shows about the detected phone, as label/value rows, and the
// name the rest of the program knows the phone by once it is selected.
#include "modem/device_list.h"

#include <QList>
#include <QString>

namespace tesk::android {

inline const QString kPhoneSecurityWarning = QStringLiteral(
    "Your Mobile handset security feature may display a warning message on your mobile phone "
    "screen and prompt for device access permission for executable file RUZIVeruDIR.apk. This "
    "executable file is used to send Text SMS and read phone details.\n\nYou should allow the "
    "specified file to access the mobile device resources to continue.");

// One row: the port name holds the label, the path the value (the columns COM_PORT and
// PORT_DETAL of the phone table); nothing else is set.
DeviceRecord Phone_Detail_Row(const QString& label, const QString& value);
QString Row_Label(const DeviceRecord& row);
QString Row_Value(const DeviceRecord& row);

// The seven rows read from "key=value" lines (Manufacturer upper-cased; "" for a row none of
// whose keys occurs; the last line naming a key wins). Keys are compared whole, blanks around
// them removed; comment lines are skipped. Maker and model also come from the per-partition
// keys of Android 10 and later when the plain ones are missing.
QList<DeviceRecord> Phone_Property_Rows(const QString& buildProp);
// The "[key]: [value]" lines of "getprop" as "key=value" lines; other lines are dropped.
QString Getprop_Properties(const QString& output);

// The name of the selected phone: Manufacturer (row 1) and Model Number (row 2) joined by a
// blank, unless that is empty or contains "unknown" in any letter case; then `fallback`.
QString Selected_Phone_Name(const QList<DeviceRecord>& rows, const QString& fallback);

// The detection pass of the connection window (worker thread): readiness, the security warning
// once per run, then Device, the property rows (from the pulled /system/build.prop and what
// "getprop" reports, the latter winning) and Serial Number. After a failed check the
// adb server is stopped, the pass waits 5 seconds and tells the user (unless several phones
// were already reported); the rows are then empty.
QList<DeviceRecord> Find_Android_Ph_List();

}  // namespace tesk::android
