#include "devices/port_access.h"

#include <QStringList>

#include <cerrno>

namespace tesk::devices {

namespace {

QString joined(const QStringList& paths) {
    return paths.join(QStringLiteral(", "));
}

}  // namespace

QString Port_Access_Message(const QList<RefusedPort>& refused) {
    QStringList denied;
    QStringList busy;
    for (const RefusedPort& port : refused) {
        QStringList* group = port.error == EACCES || port.error == EPERM ? &denied
                             : port.error == EBUSY                       ? &busy
                                                                         : nullptr;
        if (group != nullptr && !group->contains(port.path)) {
            group->append(port.path);
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
    if (!busy.isEmpty()) {
        parts.append(
            QStringLiteral("%1 %2 in use by another program.\n\nClose the program that holds "
                           "the port (a modem manager service often takes new modems), then "
                           "search again.")
                .arg(joined(busy),
                     busy.size() == 1 ? QStringLiteral("is") : QStringLiteral("are")));
    }
    if (parts.isEmpty()) {
        return QString();
    }
    return QStringLiteral("Some modem ports could not be opened.\n\n") +
           parts.join(QStringLiteral("\n\n"));
}

}  // namespace tesk::devices
