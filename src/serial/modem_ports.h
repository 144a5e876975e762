#pragma once
// Finds the modem-type serial devices of this machine: USB modems and USB serial adapters as
// the kernel lists them under /sys/class/tty, the kernel's WWAN AT ports, plus the virtual
// modems announced in the per-user runtime folder. On-board UARTs (ttyS*, ttyAMA*) are left to
// the user to add by path: a machine has dozens of them and nearly all lead nowhere, each
// costing the scan its time-outs.
#include <QString>
#include <QStringList>

namespace tesk {

struct ModemPortRoots {
    QString sysClassTty = QStringLiteral("/sys/class/tty");
    QString deviceDir = QStringLiteral("/dev");
    QString virtualModemDir;  // empty: Virtual_Modem_Dir()
};

// Device paths: USB modems (in natural order: ACM2 before ACM10), WWAN AT ports
// (<deviceDir>/wwan*at*), then virtual modems. A virtual modem's symlink whose target is gone,
// or that another user made, is left out; so is the whole runtime folder when it is not private
// (Virtual_Modem_Dir_Problem; the log says why).
QStringList Find_Modem_Port_Paths(const ModemPortRoots& roots = {});

// The short port name users see: the last path component without "tty" or "cu."
// ("/dev/ttyUSB0" -> "USB0").
QString Modem_Port_Name(const QString& path);

}  // namespace tesk
