#pragma once
// The receive log: one compact JSON object per line and per SMS (and per refused submission), so
// that several modems can share one file and a test or a person can follow what recipients
// would get.
#include "virtual-modem/virtual_modem.h"

#include <QJsonObject>
#include <QString>

namespace tesk::vmodem {

// Keys: time, port, mode, number, text, coding, class (null when none), concat ({ref, part,
// total} or null), raw, reference.
QJsonObject SmsToJson(const ReceivedSms& sms);

// A refused submission shares the file: keys time, port, refused (always true), stage, answer,
// number. Readers that want the received SMS skip the lines whose "refused" is true.
QJsonObject RefusalToJson(const Refusal& refusal);

// Appends one line with a single write on a descriptor opened for appending, so lines from
// concurrent writers never interleave. Opens and closes the file every time.
bool AppendJsonLine(const QString& path, const QJsonObject& object, QString* error);

}  // namespace tesk::vmodem
