#include "sending/delayed_delivery.h"

#include "core/text_helpers.h"

namespace tesk::sending {

PauseSettings Read_Pause_Settings(const QString& countText, const QString& pauseText) {
    PauseSettings settings;
    settings.everyMessages = Trim_Str(countText).toInt();
    const QString text = Trim_Str(pauseText);
    const QString number = text.left(2);
    if (number.isEmpty() || number == QLatin1String("No") || text.size() < 4) {
        return settings;
    }
    const qint64 value = Trim_Str(number).toLongLong();
    const QChar unit = text.at(3);
    if (unit == QLatin1Char('S')) {
        settings.pauseMs = value * 1000;
    } else if (unit == QLatin1Char('M')) {
        settings.pauseMs = value * 60000;
    } else if (unit == QLatin1Char('H')) {
        settings.pauseMs = value * 60 * 60000;
    }
    return settings;
}

QString Pause_Label(qint64 milliseconds) {
    const qint64 s = milliseconds / 1000;
    const qint64 h = s / 3600;
    const qint64 m = (s - 3600 * h) / 60;
    const qint64 sec = s - 3600 * h - 60 * m;
    const QString hours = (h < 2 ? QStringLiteral("%1 Hour ") : QStringLiteral("%1 Hours ")).arg(h);
    const QString minutes =
        (m < 2 ? QStringLiteral("%1 Minute ") : QStringLiteral("%1 Minutes ")).arg(m);
    const QString seconds =
        (sec < 2 ? QStringLiteral("%1 Second.") : QStringLiteral("%1 Seconds.")).arg(sec);
    const QString head = QStringLiteral("Pausing the process for ");
    if (h >= 1) {
        return head + hours + minutes + seconds;
    }
    if (m == 0) {
        return head + seconds;
    }
    return head + minutes + seconds;
}

}  // namespace tesk::sending
