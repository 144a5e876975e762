#pragma once
// The scan result as the device window lists it: one row per device with the window's
// columns, as an aligned table or as JSON for scripts.
#include "modem/device_list.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace tesk::cli {

// The heading line, then one line per device; columns separated by at least two blanks.
QString Scan_Table_Text(const QList<DeviceRecord>& records);
// A JSON array with one object per device: port, manufacturer, model, imei, operator, signal,
// smsMode, path, and the facts of the details pane (revision, battery, supportedModes,
// defaultSmsc).
QByteArray Scan_Json(const QList<DeviceRecord>& records);

}  // namespace tesk::cli
