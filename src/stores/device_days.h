#pragma once
// How many messages each device (SIM) sent on each day, kept across runs in "DeviceDays.VORN"
// in the data folder, so a daily limit per SIM holds however many runs a day has. One line per
// message, "yyyy-MM-dd<TAB>device", appended like the other stores; a run's start drops the
// lines of earlier days.
#include <QDate>
#include <QString>

namespace tesk::stores {

QString Device_Days_File();
// Messages the device sent on that day, as far as the file knows.
int Device_Sent_On(const QString& device, const QDate& day);
bool Add_Device_Sent(const QString& device, const QDate& day);
// Keeps only the lines of `day` (atomic rewrite; nothing is written when nothing is dropped).
bool Prune_Device_Days(const QDate& day);

}  // namespace tesk::stores
