#include "android/phone_details.h"

#include "android/adb_runner.h"
#include "android/android_detection.h"
#include "appcore/data_paths.h"
#include "core/dialogs.h"
#include "core/log.h"
#include "core/pacing.h"
#include "core/text_helpers.h"

#include <QFile>

#include <array>
#include <exception>

namespace tesk::android {

namespace {

struct PropertyKey {
    const char* key;
    const char* label;
    bool upper;
};

constexpr std::array<PropertyKey, 7> kPropertyKeys = {{
    {"ro.product.manufacturer", "Manufacturer", true},
    {"ro.product.model", "Model Number", false},
    {"ro.build.version.release", "Firmware Version", false},
    {"ro.build.display.id", "Build Number", false},
    {"ro.build.version.sdk", "SDK Version", false},
    {"ro.build.PDA", "Build PDA", false},
    {"ro.build.host", "Build Host", false},
}};

const QString kComPort = QStringLiteral("COM_PORT");
const QString kPortDetail = QStringLiteral("PORT_DETAL");

void addRow(QList<DeviceRecord>& rows, const QString& label, const QString& value) {
    if (!Trim_Str(label).isEmpty()) {
        rows.append(Phone_Detail_Row(label, value));
    }
}

QString readPulledBuildProp() {
    const QString local = Join_Path(Resource_Path, QStringLiteral("build.prop"));
    Run_Adb({QStringLiteral("pull"), QStringLiteral("/system/build.prop"), Resource_Path});
    QString text;
    QFile file(local);
    if (file.open(QIODevice::ReadOnly)) {
        text = QString::fromUtf8(file.readAll());
        file.close();
    }
    Delete_File(local);
    return text;
}

QString serialNumber() {
    const AdbCall call = Run_Adb({QStringLiteral("get-serialno")});
    // An error text is not a serial number.
    QString serial = call.succeeded() ? Trim_Str(call.output) : QString("");
    if (serial.isEmpty()) {
        serial = QStringLiteral("unknown");
    }
    return MakeUpper(serial);
}

}  // namespace

DeviceRecord Phone_Detail_Row(const QString& label, const QString& value) {
    DeviceRecord row;
    row.setValue(QStringLiteral("State"), false);
    row.setValue(kComPort, label);
    row.setValue(kPortDetail, value);
    row.setValue(QStringLiteral("PORT_STATUS"), QString(""));
    row.setValue(QStringLiteral("IMEI"), QString(""));
    return row;
}

QString Row_Label(const DeviceRecord& row) {
    return row.text(kComPort);
}

QString Row_Value(const DeviceRecord& row) {
    return row.text(kPortDetail);
}

QList<DeviceRecord> Phone_Property_Rows(const QString& buildProp) {
    std::array<QString, kPropertyKeys.size()> values;
    for (const QString& line : buildProp.split(QLatin1Char('\n'))) {
        if (Trim_Str(line).startsWith(QLatin1Char('#'))) {
            continue;
        }
        for (size_t i = 0; i < kPropertyKeys.size(); ++i) {
            if (line.contains(QLatin1String(kPropertyKeys[i].key))) {
                values[i] = Android_Device_Details(line);
                break;
            }
        }
    }
    QList<DeviceRecord> rows;
    for (size_t i = 0; i < kPropertyKeys.size(); ++i) {
        const QString value = kPropertyKeys[i].upper ? MakeUpper(values[i]) : values[i];
        addRow(rows, QLatin1String(kPropertyKeys[i].label), value);
    }
    return rows;
}

QString Selected_Phone_Name(const QList<DeviceRecord>& rows, const QString& fallback) {
    QString name;
    if (rows.size() > 1 && Row_Label(rows.at(1)) == QLatin1String("Manufacturer")) {
        name = Row_Value(rows.at(1));
    }
    if (rows.size() > 2 && Row_Label(rows.at(2)) == QLatin1String("Model Number")) {
        name += QLatin1Char(' ') + Row_Value(rows.at(2));
    }
    name = Trim_Str(name);
    if (!name.isEmpty() && !name.contains(QLatin1String("unknown"), Qt::CaseInsensitive)) {
        return name;
    }
    return fallback;
}

QList<DeviceRecord> Find_Android_Ph_List() {
    QList<DeviceRecord> rows;
    try {
        Android_Selected_Device.set(QString(""));
        pacing::wait(1.0);
        QString error;
        if (!CheckConnection(&error)) {
            last_dev_chk = 1;
            last_device_name.set(QString(""));
            // A fresh server often finds a phone the old one lost track of.
            Run_Adb({QStringLiteral("kill-server")});
            pacing::wait(5.0);
            if (error != kMoreErrorText) {
                Show_MessageBox(kMobileNotReady);
            }
            return rows;
        }
        const QString name = Trim_Str(Android_Selected_Device.get());
        Android_Selected_Device.set(name);
        if (!name.isEmpty()) {
            last_device_name.set(name);
            int expected = 0;
            if (andcntr_wzd.compare_exchange_strong(expected, 1)) {
                Show_MessageBox(kPhoneSecurityWarning);
            }
            pacing::wait(1.0);
            addRow(rows, QStringLiteral("Device"), name);
            const QString buildProp = readPulledBuildProp();
            if (!buildProp.isEmpty()) {
                rows.append(Phone_Property_Rows(buildProp));
            }
            addRow(rows, QStringLiteral("Serial Number"), serialNumber());
        }
    } catch (const std::exception& e) {
        Show_NSLog_Message(QStringLiteral("Find_Android_Ph_List exception"));
        Show_NSLog_Message(QString::fromUtf8(e.what()));
    }
    last_dev_chk = 1;
    return rows;
}

}  // namespace tesk::android
