#include "sending/run_rate.h"

#include <QStringList>

#include <cmath>

namespace tesk::sending {
namespace {

QString duration(double seconds) {
    const qint64 s = std::llround(std::max(seconds, 0.0));
    if (s >= 3600) {
        return QStringLiteral("%1 h %2 min")
            .arg(s / 3600)
            .arg((s % 3600) / 60, 2, 10, QLatin1Char('0'));
    }
    if (s >= 60) {
        return QStringLiteral("%1 min %2 s").arg(s / 60).arg(s % 60, 2, 10, QLatin1Char('0'));
    }
    return QStringLiteral("%1 s").arg(s);
}

}  // namespace

double Messages_Per_Minute(int handled, double seconds) {
    return seconds > 0 ? handled * 60.0 / seconds : 0.0;
}

double Seconds_Left(const RateInput& in) {
    if (in.remaining <= 0) {
        return 0;
    }
    const double sending = in.seconds - in.pausedSeconds;
    if (in.handled <= 0 || sending <= 0) {
        return -1;
    }
    double left = in.remaining * sending / in.handled + in.pauseLeftSeconds;
    if (in.pauseEvery > 0 && in.pauseSeconds > 0) {
        // Messages still to go before the next pause, then one pause per full batch, never one
        // after the last message.
        const int firstGap = std::max(in.pauseEvery - in.countSinceLastPause, 1);
        const int pauses =
            in.remaining > firstGap ? 1 + (in.remaining - firstGap - 1) / in.pauseEvery : 0;
        left += pauses * in.pauseSeconds;
    }
    return left;
}

QString Rate_Text(const RateInput& in, int maxDevices) {
    if (in.handled <= 0) {
        return QString();
    }
    QString text = QStringLiteral("%1 messages/min")
                       .arg(Messages_Per_Minute(in.handled, in.seconds), 0, 'f', 1);
    if (in.devices.size() > 1 && in.devices.size() <= maxDevices) {
        QStringList each;
        for (const DeviceRate& device : in.devices) {
            each.append(QStringLiteral("%1 %2")
                            .arg(device.name)
                            .arg(Messages_Per_Minute(device.handled, device.seconds), 0, 'f', 1));
        }
        text += QStringLiteral(" (") + each.join(QStringLiteral(", ")) + QLatin1Char(')');
    }
    const double left = Seconds_Left(in);
    if (left > 0) {
        text += QStringLiteral(", about ") + duration(left) + QStringLiteral(" left");
    }
    return text;
}

}  // namespace tesk::sending
