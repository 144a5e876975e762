#pragma once
// Ports that exist but could not be opened during a scan. Leaving them out of the list without
// a word makes a user believe the modem is broken; the device window says instead which port
// it could not open, who holds it when that can be known, and what the user can do about it.
#include <QList>
#include <QString>

#include <utility>

namespace tesk::devices {

// A process that has a port's device node open.
struct PortHolder {
    qint64 pid = 0;
    QString name;  // its command name (/proc/<pid>/comm)
};

struct RefusedPort {
    RefusedPort() = default;
    RefusedPort(QString portPath, int openError, QList<PortHolder> heldBy = {})
        : path(std::move(portPath)), error(openError), holders(std::move(heldBy)) {}

    QString path;
    int error = 0;              // errno of the open
    QList<PortHolder> holders;  // looked up for a busy port; empty when unknown
};

// The processes that have the device node behind `path` open (symlinks resolved), in the order
// /proc lists them. Only processes this user may inspect can be seen. The process that holds
// the master side of a pseudo-terminal is the device itself (a virtual modem), not a user of
// the port, and is left out.
QList<PortHolder> Port_Holders(const QString& path);

// A port whose open failed with `error`; the holders are looked up when it was EBUSY.
RefusedPort Refused_Port(const QString& path, int error);

// One message for every refused port, grouped by what the user has to do; "" when there is
// nothing to say (no refused port, or only failures the user cannot act on). A busy port with
// known holders names them, e.g. "... is in use by ModemManager (process 812)".
QString Port_Access_Message(const QList<RefusedPort>& refused);

// Devices that stopped answering while the scan questioned them (unplugged, switched off):
// they are left out of the list, and this says which and what to do. "" when there are none.
QString Lost_Devices_Message(const QStringList& paths);

// What to check when a scan found no device at all and has nothing more precise to say.
inline const QString kNoDeviceFound = QStringLiteral(
    "No mobile device was found.\n\nPlease check that:\n"
    "- the modem or phone is plugged in and switched on, and its cable carries data (some "
    "cables only charge);\n"
    "- your user is in the \"dialout\" group (sudo usermod -aG dialout $USER, then log out and "
    "log in again);\n"
    "- the system's modem manager does not hold the port (sudo systemctl stop ModemManager, or "
    "keep it away from your modem with a udev rule);\n"
    "- a modem on an on-board serial port (/dev/ttyS*, /dev/ttyAMA*) or any other port the "
    "search does not look at is added by its path with \"Add Port...\".\n\n"
    "Then click \"Search Mobile Device Again\".");

// The one message shown after a scan: the refused ports, the devices lost while questioned,
// and, when no device is listed and neither explains why, kNoDeviceFound. "" when all is well.
QString Scan_End_Message(const QList<RefusedPort>& refused, const QStringList& lost, int listed);

}  // namespace tesk::devices
