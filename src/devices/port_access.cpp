#include "devices/port_access.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <dirent.h>
#include <unistd.h>
#include <cerrno>
#include <climits>
#include <cstdlib>

namespace tesk::devices {

namespace {

QString joined(const QStringList& paths) {
    return paths.join(QStringLiteral(", "));
}

QString linkTarget(const QByteArray& link) {
    char target[PATH_MAX];
    const ssize_t length = ::readlink(link.constData(), target, sizeof target - 1);
    return length > 0 ? QString::fromLocal8Bit(target, length) : QString();
}

// The entries of a /proc directory whose names are numbers (process ids, descriptors).
QList<qint64> numberedEntries(const QByteArray& directory) {
    QList<qint64> numbers;
    DIR* dir = ::opendir(directory.constData());
    if (dir == nullptr) {
        return numbers;  // gone meanwhile, or another user's process
    }
    while (const dirent* entry = ::readdir(dir)) {
        char* end = nullptr;
        const long long number = std::strtoll(entry->d_name, &end, 10);
        if (end != entry->d_name && *end == '\0') {
            numbers.append(number);
        }
    }
    ::closedir(dir);
    return numbers;
}

// The pseudo-terminal index of a master descriptor, from its fdinfo; -1 when it has none.
int ptyIndexOfMaster(const QByteArray& fdinfo) {
    QFile file(QString::fromLocal8Bit(fdinfo));
    if (!file.open(QIODevice::ReadOnly)) {
        return -1;
    }
    for (const QByteArray& line : file.readAll().split('\n')) {
        if (line.startsWith("tty-index:")) {
            bool ok = false;
            const int index = line.mid(10).trimmed().toInt(&ok);
            return ok ? index : -1;
        }
    }
    return -1;
}

}  // namespace

QList<PortHolder> Port_Holders(const QString& path) {
    QList<PortHolder> holders;
    const QString node = QFileInfo(path).canonicalFilePath();
    if (node.isEmpty()) {
        return holders;
    }
    // A pseudo-terminal slave /dev/pts/N: whoever holds master N is the device side.
    int ptyIndex = -1;
    if (node.startsWith(QLatin1String("/dev/pts/"))) {
        bool ok = false;
        ptyIndex = node.mid(9).toInt(&ok);
        ptyIndex = ok ? ptyIndex : -1;
    }
    for (const qint64 pid : numberedEntries("/proc")) {
        const QByteArray base = "/proc/" + QByteArray::number(pid);
        bool holds = false;
        bool deviceSide = false;
        for (const qint64 fd : numberedEntries(base + "/fd")) {
            const QByteArray number = QByteArray::number(fd);
            const QString target = linkTarget(base + "/fd/" + number);
            if (target == node) {
                holds = true;
            } else if (ptyIndex >= 0 && (target == QLatin1String("/dev/ptmx") ||
                                         target == QLatin1String("/dev/pts/ptmx"))) {
                deviceSide = deviceSide || ptyIndexOfMaster(base + "/fdinfo/" + number) == ptyIndex;
            }
        }
        if (!holds || deviceSide) {
            continue;
        }
        QFile comm(QString::fromLatin1(base + "/comm"));
        QString name;
        if (comm.open(QIODevice::ReadOnly)) {
            name = QString::fromLocal8Bit(comm.readAll()).trimmed();
        }
        holders.append({pid, name.isEmpty() ? QStringLiteral("a program") : name});
    }
    return holders;
}

RefusedPort Refused_Port(const QString& path, int error) {
    RefusedPort refused{path, error, {}};
    if (error == EBUSY) {
        refused.holders = Port_Holders(path);
    }
    return refused;
}

QString Port_Access_Message(const QList<RefusedPort>& refused) {
    QStringList denied;
    QStringList busy;       // holders unknown
    QStringList busyPaths;  // every busy port, each once
    QStringList named;      // one line per busy port whose holders are known
    for (const RefusedPort& port : refused) {
        if (port.error == EACCES || port.error == EPERM) {
            if (!denied.contains(port.path)) {
                denied.append(port.path);
            }
        } else if (port.error == EBUSY && !busyPaths.contains(port.path)) {
            busyPaths.append(port.path);
            if (port.holders.isEmpty()) {
                busy.append(port.path);
                continue;
            }
            QStringList who;
            for (const PortHolder& holder : port.holders) {
                who.append(QStringLiteral("%1 (process %2)").arg(holder.name).arg(holder.pid));
            }
            named.append(QStringLiteral("%1 is in use by %2.").arg(port.path, joined(who)));
        }
    }
    QStringList parts;
    if (!denied.isEmpty()) {
        parts.append(
            QStringLiteral("Permission denied on %1.\n\nYour user may not use serial devices. Add "
                           "it to the \"dialout\" group (sudo usermod -aG dialout $USER), then "
                           "log out and log in again.")
                .arg(joined(denied)));
    }
    if (!busyPaths.isEmpty()) {
        QStringList lines;
        if (!busy.isEmpty()) {
            lines.append(QStringLiteral("%1 %2 in use by another program.")
                             .arg(joined(busy),
                                  busy.size() == 1 ? QStringLiteral("is") : QStringLiteral("are")));
        }
        lines += named;
        parts.append(lines.join(QLatin1Char('\n')) +
                     QStringLiteral("\n\nClose the program that holds the port (a modem manager "
                                    "service often takes new modems), then search again."));
    }
    if (parts.isEmpty()) {
        return QString();
    }
    return QStringLiteral("Some modem ports could not be opened.\n\n") +
           parts.join(QStringLiteral("\n\n"));
}

QString Lost_Devices_Message(const QStringList& paths) {
    if (paths.isEmpty()) {
        return QString();
    }
    return QStringLiteral(
               "%1 stopped answering while %2 questioned and %3 not listed. Check "
               "that the device is still plugged in and switched on, then search "
               "again.")
        .arg(joined(paths),
             paths.size() == 1 ? QStringLiteral("it was") : QStringLiteral("they were"),
             paths.size() == 1 ? QStringLiteral("is") : QStringLiteral("are"));
}

QString Scan_End_Message(const QList<RefusedPort>& refused, const QStringList& lost, int listed) {
    QStringList parts;
    for (const QString& part : {Port_Access_Message(refused), Lost_Devices_Message(lost)}) {
        if (!part.isEmpty()) {
            parts.append(part);
        }
    }
    if (parts.isEmpty() && listed == 0) {
        parts.append(kNoDeviceFound);
    }
    return parts.join(QStringLiteral("\n\n"));
}

}  // namespace tesk::devices
