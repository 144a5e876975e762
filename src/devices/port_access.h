#pragma once
// Ports that exist but could not be opened during a scan. Leaving them out of the list without
// a word makes a user believe the modem is broken; the device window says instead which port
// it could not open and what the user can do about it.
#include <QList>
#include <QString>

namespace tesk::devices {

struct RefusedPort {
    QString path;
    int error = 0;  // errno of the open
};

// One message for every refused port, grouped by what the user has to do; "" when there is
// nothing to say (no refused port, or only failures the user cannot act on).
QString Port_Access_Message(const QList<RefusedPort>& refused);

}  // namespace tesk::devices
