#pragma once
// The facts the device window lists for each device, in its column order: record key and the
// heading users read. The command line's scan prints the same columns.
#include <QList>
#include <QString>

namespace tesk::devices {

struct DeviceColumn {
    QString key;
    QString heading;
};

// Without the "State" tick column, which only the window has.
inline const QList<DeviceColumn>& Device_List_Columns() {
    static const QList<DeviceColumn> columns = {
        {QStringLiteral("COM_PORT"), QStringLiteral("Port")},
        {QStringLiteral("Manufacture"), QStringLiteral("Manufacturer")},
        {QStringLiteral("Model"), QStringLiteral("Model")},
        {QStringLiteral("IMEI"), QStringLiteral("IMEI")},
        {QStringLiteral("Operator"), QStringLiteral("Operator")},
        {QStringLiteral("Signal"), QStringLiteral("Signal")},
        {QStringLiteral("SMSMode"), QStringLiteral("SMS Mode")},
        {QStringLiteral("PORT_DETAL"), QStringLiteral("Device Path")},
    };
    return columns;
}

}  // namespace tesk::devices
