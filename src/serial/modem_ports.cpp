#include "serial/modem_ports.h"

#include "core/log.h"
#include "core/runtime_paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

namespace tesk {
namespace {

// cdc_acm drives USB modems directly; option, qcserial, sierra and the other usb-serial drivers
// all register on the usb-serial bus.
bool isModemDriver(const QString& driverTarget) {
    const QString name = QFileInfo(driverTarget).fileName();
    return name == QLatin1String("cdc_acm") || driverTarget.contains(QLatin1String("/usb-serial/"));
}

// ttyUSB2 before ttyUSB10, whatever the locale: runs of digits compare as numbers.
bool naturallyBefore(const QString& a, const QString& b) {
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < a.size() && j < b.size()) {
        if (a[i].isDigit() && b[j].isDigit()) {
            qsizetype ei = i;
            qsizetype ej = j;
            while (ei < a.size() && a[ei].isDigit()) {
                ++ei;
            }
            while (ej < b.size() && b[ej].isDigit()) {
                ++ej;
            }
            const qulonglong na = a.mid(i, ei - i).toULongLong();
            const qulonglong nb = b.mid(j, ej - j).toULongLong();
            if (na != nb) {
                return na < nb;
            }
            i = ei;
            j = ej;
        } else {
            if (a[i] != b[j]) {
                return a[i] < b[j];
            }
            ++i;
            ++j;
        }
    }
    return a.size() - i < b.size() - j;
}

void sortNaturally(QStringList& paths) {
    std::sort(paths.begin(), paths.end(), naturallyBefore);
}

QStringList hardwarePorts(const ModemPortRoots& roots) {
    QStringList paths;
    const QDir ttyDir(roots.sysClassTty);
    for (const QString& entry :
         ttyDir.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::System)) {
        const QFileInfo driver(ttyDir.filePath(entry + QStringLiteral("/device/driver")));
        if (!driver.exists() || !isModemDriver(driver.canonicalFilePath())) {
            continue;
        }
        const QString node = roots.deviceDir + QLatin1Char('/') + entry;
        if (QFileInfo::exists(node)) {
            paths.append(node);
        }
    }
    sortNaturally(paths);
    return paths;
}

// The kernel's WWAN AT ports (/dev/wwan0at0, ...): modems on PCIe and M.2 cards that have no
// tty of their own.
QStringList wwanAtPorts(const ModemPortRoots& roots) {
    const QDir dir(roots.deviceDir);
    QStringList paths;
    for (const QString& name : dir.entryList({QStringLiteral("wwan*at*")},
                                             QDir::System | QDir::Files | QDir::NoDotAndDotDot)) {
        paths.append(dir.filePath(name));
    }
    sortNaturally(paths);
    return paths;
}

QStringList virtualPorts(const ModemPortRoots& roots) {
    const QString folder =
        roots.virtualModemDir.isEmpty() ? Virtual_Modem_Dir() : roots.virtualModemDir;
    // A link in a folder others may write to could lead anywhere, to another user's terminal
    // included: such a folder is not read at all.
    const QString problem = roots.virtualModemDir.isEmpty()
                                ? Virtual_Modem_Dir_Problem()
                                : Private_Folder_Problem(roots.virtualModemDir);
    if (!problem.isEmpty()) {
        log::write(QStringLiteral("virtual modems not looked for: %1").arg(problem));
        return {};
    }
    const QDir dir(folder);
    QStringList paths;
    for (const QFileInfo& link : dir.entryInfoList(
             {QStringLiteral("tty*")}, QDir::System | QDir::Files | QDir::NoDotAndDotDot)) {
        struct stat st {};
        const bool ours =
            ::lstat(QFile::encodeName(link.absoluteFilePath()).constData(), &st) == 0 &&
            st.st_uid == ::geteuid();
        if (!ours) {
            log::write(QStringLiteral("virtual modem link %1 is not this user's; passed over")
                           .arg(link.absoluteFilePath()));
            continue;
        }
        if (link.isSymLink() && link.exists()) {  // exists() follows the link
            paths.append(link.absoluteFilePath());
        }
    }
    sortNaturally(paths);
    return paths;
}

}  // namespace

QStringList Find_Modem_Port_Paths(const ModemPortRoots& roots) {
    return hardwarePorts(roots) + wwanAtPorts(roots) + virtualPorts(roots);
}

QString Modem_Port_Name(const QString& path) {
    QString name = path.section(QLatin1Char('/'), -1);
    if (name.startsWith(QLatin1String("tty"))) {
        name.remove(0, 3);
    } else if (name.startsWith(QLatin1String("cu."))) {
        name.remove(0, 3);
    }
    return name.trimmed();
}

}  // namespace tesk
