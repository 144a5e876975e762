#pragma once
// Delayed delivery: a sending run pauses for a chosen time after every N messages, counted
// across all its devices, with a countdown the user can read.
#include <QString>
#include <QStringList>

namespace tesk::sending {

struct PauseSettings {
    int everyMessages = 0;  // N; 0 = never
    qint64 pauseMs = 0;     // 0 = no pause
};
// Reads the composer's two list texts ("15", " 2  Minutes"); a pause text beginning with "No"
// is no pause.
PauseSettings Read_Pause_Settings(const QString& countText, const QString& pauseText);

// "Pausing the process for 1 Hour 0 Minute 0 Second." and its shorter forms.
QString Pause_Label(qint64 milliseconds);

}  // namespace tesk::sending
