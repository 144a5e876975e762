#include "android/phone_details.h"

#include "android/adb_runner.h"
#include "android/android_detection.h"
#include "appstate/data_paths.h"
#include "core/dialogs.h"
#include "core/log.h"
#include "core/pacing.h"
#include "core/text_helpers.h"

#include <QFile>
#include <QHash>

#include <array>
#include <exception>

namespace tesk::android {

namespace {

// Each row reads the first of its keys the phone has. Android 10 and later keep maker and
// model per partition (ro.product.<partition>.*) and derive ro.product.* from them at boot in
// this order; /system/build.prop alone then holds only the system partition's values, which on
// some phones describe the generic system image rather than the phone.
struct PropertyRow {
    const char* label;
    std::array<const char*, 6> keys;  // unused places stay null
    bool upper;
};

constexpr std::array<PropertyRow, 7> kPropertyRows = {{
    {"Manufacturer",
     {"ro.product.manufacturer", "ro.product.product.manufacturer", "ro.product.odm.manufacturer",
      "ro.product.vendor.manufacturer", "ro.product.system_ext.manufacturer",
      "ro.product.system.manufacturer"},
     true},
    {"Model Number",
     {"ro.product.model", "ro.product.product.model", "ro.product.odm.model",
      "ro.product.vendor.model", "ro.product.system_ext.model", "ro.product.system.model"},
     false},
    {"Firmware Version", {"ro.build.version.release", "ro.system.build.version.release"}, false},
    {"Build Number", {"ro.build.display.id"}, false},
    {"SDK Version", {"ro.build.version.sdk", "ro.system.build.version.sdk"}, false},
    {"Build PDA", {"ro.build.PDA"}, false},
    {"Build Host", {"ro.build.host"}, false},
}};

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

// The properties as the running phone reports them, which include the values Android derives
// at boot; "" when the phone could not be asked.
QString askedProperties() {
    const AdbCall call = Run_Adb({QStringLiteral("shell"), QStringLiteral("getprop")});
    return call.succeeded() ? Getprop_Properties(call.output) : QString("");
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
    row.portName = label;
    row.path = value;
    return row;
}

QString Row_Label(const DeviceRecord& row) {
    return row.portName;
}

QString Row_Value(const DeviceRecord& row) {
    return row.path;
}

QList<DeviceRecord> Phone_Property_Rows(const QString& buildProp) {
    QHash<QString, QString> values;
    for (const QString& line : buildProp.split(QLatin1Char('\n'))) {
        const QString trimmed = Trim_Str(line);
        const qsizetype equals = trimmed.indexOf(QLatin1Char('='));
        if (trimmed.startsWith(QLatin1Char('#')) || equals < 0) {
            continue;
        }
        values.insert(Trim_Str(trimmed.left(equals)), Android_Device_Details(trimmed));
    }
    QList<DeviceRecord> rows;
    for (const PropertyRow& row : kPropertyRows) {
        QString value;
        for (const char* key : row.keys) {
            if (key == nullptr) {
                break;
            }
            value = values.value(QLatin1String(key));
            if (!value.isEmpty()) {
                break;
            }
        }
        addRow(rows, QLatin1String(row.label), row.upper ? MakeUpper(value) : value);
    }
    return rows;
}

QString Getprop_Properties(const QString& output) {
    // "[ro.product.model]: [Pixel 8]"; a value never holds "]: [", a key never "]".
    QStringList lines;
    for (const QString& raw : output.split(QLatin1Char('\n'))) {
        const QString line = Trim_Str(raw);
        const qsizetype middle = line.indexOf(QLatin1String("]: ["));
        if (!line.startsWith(QLatin1Char('[')) || !line.endsWith(QLatin1Char(']')) || middle < 2 ||
            middle + 4 > line.size() - 1) {
            continue;
        }
        const QString key = line.mid(1, middle - 1);
        if (key.contains(QLatin1Char('=')) || key.contains(QLatin1Char('#'))) {
            continue;
        }
        lines.append(key + QLatin1Char('=') + line.mid(middle + 4, line.size() - middle - 5));
    }
    return lines.join(QLatin1Char('\n'));
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
            Show_Not_Ready(error, kMobileNotReady);
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
            // What the phone reports comes last, so it wins over the file for the same key.
            const QString properties =
                Trim_Str(readPulledBuildProp() + QLatin1Char('\n') + askedProperties());
            if (!properties.isEmpty()) {
                rows.append(Phone_Property_Rows(properties));
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
