#pragma once
// The templates store: reusable message texts, one per line of "Templates.VORN" (line feeds
// inside a template stored as the line-break marker). No two templates are equal, and none
// holds more than 1600 characters.
#include <QByteArray>
#include <QString>
#include <QStringList>

namespace tesk::stores {

// The templates of the file's text, in order: markers turned back into line feeds, blank lines
// dropped, each cut to 1600 characters, and a template equal to an earlier one (after the cut)
// dropped.
QStringList Parse_Templates(const QString& text);
// The templates of a file; a missing or unreadable file gives none.
QStringList LoadItems_templates(const QString& path);

// True when the text equals (exactly) a template of the list.
bool Check_Duplicate_Template(const QStringList& templates, const QString& text);

QByteArray Templates_File_Contents(const QStringList& templates);
// Rewrites the file from the list atomically (data files recreated first). False, old file
// kept, when it cannot.
bool Write_Template_file(const QString& path, const QStringList& templates);

// What a sending run does when Save Templates is on: the message (cut to 1600) is appended to
// Templates_Path unless the file already holds it. Calls from several threads at once store a
// message once. True when the file holds the message afterwards.
bool Save_Composed_Template(const QString& message);

}  // namespace tesk::stores
