#pragma once
// Finds the modem-type serial devices of this machine: USB modems and USB serial adapters as
// the kernel lists them under /sys/class/tty, plus the virtual modems announced in the
// per-user runtime folder.
#include <QString>
#include <QStringList>

namespace tesk {

struct ModemPortRoots {
    QString sysClassTty = QStringLiteral("/sys/class/tty");
    QString deviceDir = QStringLiteral("/dev");
    QString virtualModemDir;  // empty: Virtual_Modem_Dir()
};

// Device paths, hardware first (in natural order: ACM2 before ACM10), then virtual modems.
// A virtual modem's symlink whose target is gone is left out.
QStringList Find_Modem_Port_Paths(const ModemPortRoots& roots = {});

// The short port name users see: the last path component without "tty" or "cu."
// ("/dev/ttyUSB0" -> "USB0").
QString Modem_Port_Name(const QString& path);

}  // namespace tesk
