#include "sms-cli/cli_scan_output.h"

#include "devices/device_columns.h"
#include "devices/device_details.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>

namespace tesk::cli {
namespace {

using Column = devices::DeviceColumn;

// The device window's columns, the tick box left out.
const QList<Column>& columns() {
    return devices::Device_List_Columns();
}

}  // namespace

QString Scan_Table_Text(const QList<DeviceRecord>& records) {
    QList<qsizetype> widths;
    for (const Column& column : columns()) {
        qsizetype width = column.heading.size();
        for (const DeviceRecord& record : records) {
            width = std::max(width, Device_Field(record, column.key).toString().size());
        }
        widths.append(width);
    }
    const auto line = [&](const QStringList& cells) {
        QString text;
        for (qsizetype i = 0; i < cells.size(); ++i) {
            const bool last = i + 1 == cells.size();
            text += last ? cells.at(i) : cells.at(i).leftJustified(widths.at(i) + 2);
        }
        return text + QLatin1Char('\n');
    };
    QStringList headings;
    for (const Column& column : columns()) {
        headings.append(column.heading);
    }
    QString text = line(headings);
    for (const DeviceRecord& record : records) {
        QStringList cells;
        for (const Column& column : columns()) {
            cells.append(Device_Field(record, column.key).toString());
        }
        text += line(cells);
    }
    return text;
}

QByteArray Scan_Json(const QList<DeviceRecord>& records) {
    QJsonArray devices;
    for (const DeviceRecord& record : records) {
        QJsonObject device;
        device.insert(QStringLiteral("port"), record.portName);
        device.insert(QStringLiteral("manufacturer"), record.manufacturer);
        device.insert(QStringLiteral("model"), record.model);
        device.insert(QStringLiteral("imei"), record.imei);
        device.insert(QStringLiteral("operator"), record.operatorName);
        device.insert(QStringLiteral("signal"), record.signal);
        device.insert(QStringLiteral("smsMode"), Sms_Mode_Text(record.smsMode));
        device.insert(QStringLiteral("path"), record.path);
        device.insert(QStringLiteral("revision"), record.revision);
        device.insert(QStringLiteral("battery"), record.battery);
        device.insert(QStringLiteral("supportedModes"),
                      devices::Supported_Mode_Text(record.supportedModes));
        device.insert(QStringLiteral("defaultSmsc"), record.defaultSmsc);
        devices.append(device);
    }
    return QJsonDocument(devices).toJson(QJsonDocument::Indented);
}

}  // namespace tesk::cli
