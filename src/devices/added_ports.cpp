#include "devices/added_ports.h"

#include "appstate/data_paths.h"
#include "stores/store_file.h"

#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

namespace tesk::devices {

QString Default_Added_Ports_File() {
    return Tesk_SMS_Data_Folder_Path.isEmpty()
               ? QString()
               : Join_Path(Tesk_SMS_Data_Folder_Path, QStringLiteral("AddedPorts.VORN"));
}

QStringList AddedPorts::paths() const {
    QFile file(file_);
    if (file_.isEmpty() || !file.open(QIODevice::ReadOnly)) {
        return {};
    }
    QStringList paths;
    for (const QByteArray& line : file.readAll().split('\n')) {
        const QString path = QString::fromUtf8(line).trimmed();
        if (!path.isEmpty() && !paths.contains(path)) {
            paths.append(path);
        }
    }
    return paths;
}

bool AddedPorts::write(const QStringList& paths) const {
    QByteArray contents;
    for (const QString& path : paths) {
        contents += path.toUtf8() + '\n';
    }
    return !file_.isEmpty() && stores::Rewrite_Store_File(file_, contents);
}

bool AddedPorts::add(const QString& typed, QString* why) {
    const QString path = typed.trimmed();
    struct stat st {};
    if (!path.startsWith(QLatin1Char('/'))) {
        *why = QStringLiteral("Please enter the full path of the serial device, e.g. /dev/ttyS0.");
        return false;
    }
    if (::stat(QFile::encodeName(path).constData(), &st) != 0) {
        *why = QStringLiteral("%1 does not exist.").arg(path);
        return false;
    }
    if (!S_ISCHR(st.st_mode)) {
        *why = QStringLiteral("%1 is not a serial device.").arg(path);
        return false;
    }
    QStringList remembered = paths();
    if (remembered.contains(path)) {
        return true;
    }
    remembered.append(path);
    if (!write(remembered)) {
        *why = QStringLiteral("Error in file accessing.");
        return false;
    }
    return true;
}

bool AddedPorts::remove(const QString& path) {
    QStringList remembered = paths();
    return remembered.removeAll(path) > 0 && write(remembered);
}

QStringList Ports_To_Scan(const QStringList& found, const QStringList& added) {
    QStringList ports = found;
    QStringList devices;
    for (const QString& path : found) {
        devices.append(QFileInfo(path).canonicalFilePath());
    }
    for (const QString& path : added) {
        const QString device = QFileInfo(path).canonicalFilePath();
        if (!ports.contains(path) && (device.isEmpty() || !devices.contains(device))) {
            ports.append(path);
            devices.append(device);
        }
    }
    return ports;
}

}  // namespace tesk::devices
