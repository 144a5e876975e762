#include "sending/delayed_delivery.h"

#include "core/text_helpers.h"

namespace tesk::sending {

const QStringList& Delayed_Message_Counts() {
    static const QStringList counts = {"1",   "2",   "3",   "4",   "5",   "10",  "15",
                                       "20",  "25",  "50",  "75",  "100", "150", "200",
                                       "250", "300", "400", "500", "1000"};
    return counts;
}

const QStringList& Delayed_Pause_Lengths() {
    static const QStringList lengths = {
        "5  Seconds",  "10 Seconds",  "15 Seconds",  "20 Seconds",  "25 Seconds",  "30 Seconds",
        "35 Seconds",  "40 Seconds",  "45 Seconds",  "50 Seconds",  "55 Seconds",  " 1  Minute",
        " 2  Minutes", " 3  Minutes", " 4  Minutes", " 5  Minutes", " 6  Minutes", " 7  Minutes",
        " 8  Minutes", " 9  Minutes", "10 Minutes",  "20 Minutes",  "30 Minutes",  "40 Minutes",
        "50 Minutes",  " 1  Hour",    " 2  Hours",   " 4  Hours",   " 5  Hours",   " 8  Hours",
        "10 Hours",    "12 Hours"};
    return lengths;
}

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
