#pragma once
// The line format of the delivery and inbox files: fields separated by TAB, one record per
// line, and inside a field "%" , TAB, CR and LF written as %25, %09, %0D, %0A. A reply may hold
// any character; only these four could break a record apart.
#include <QByteArray>
#include <QString>
#include <QStringList>

namespace tesk::delivery {

// The record's line, LF included, UTF-8.
QByteArray Join_Record(const QStringList& fields);
// The fields of one line (without its LF); a CR left by another system is dropped. Invalid
// UTF-8 comes back as replacement characters: the records are the program's own.
QStringList Split_Record(const QByteArray& line);

}  // namespace tesk::delivery
