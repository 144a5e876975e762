#pragma once
// How fast a sending run goes and how long it still needs: messages per minute overall and per
// device, and the time left with the pauses of delayed delivery still to come. Pure, in the
// program's own seconds (the pacing scale applies), so the estimate can be checked on a scaled
// clock.
#include <QList>
#include <QString>

namespace tesk::sending {

struct DeviceRate {
    QString name;        // the port name, e.g. "USB0"
    int handled = 0;     // messages this device has finished
    double seconds = 0;  // since it started sending
};

struct RateInput {
    int handled = 0;           // messages the devices have finished, refused ones included
    int remaining = 0;         // items still waiting for a device
    double seconds = 0;        // since the first device started, pauses included
    double pausedSeconds = 0;  // of that, time spent pausing
    int pauseEvery = 0;        // delayed delivery: pause after this many messages; 0 = never
    double pauseSeconds = 0;   // length of one pause
    int countSinceLastPause = 0;
    double pauseLeftSeconds = 0;  // of a pause under way
    QList<DeviceRate> devices;
};

double Messages_Per_Minute(int handled, double seconds);
// The time the waiting items still need: at the rate measured outside pauses, plus the pauses
// still to come (none after the last message) and what is left of the current one. -1 while
// nothing has been measured yet.
double Seconds_Left(const RateInput& input);
// "12.0 messages/min (USB0 6.1, USB1 5.9), about 3 min 20 s left"; "" before the first
// message is finished. The devices are listed when there are two to `maxDevices`.
QString Rate_Text(const RateInput& input, int maxDevices = 32);

}  // namespace tesk::sending
