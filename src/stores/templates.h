#pragma once
// The templates store: reusable message texts, one per line of "Templates.VORN" (line feeds
// inside a template stored as the line-break marker). No two templates are equal, and none
// holds more than 1600 characters.
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace tesk::stores {

// A templates file as read: its bytes, its templates, and which line carries which template, so
// that a rewrite after a change can put back every other line byte for byte (blank lines, long
// lines the list holds cut, bytes that are not UTF-8, a file in another encoding altogether).
struct TemplatesFile {
    QByteArray bytes;
    QStringList templates;
    // Per line of the file, the index of the template it carries (a later line holding the same
    // template carries that one too), or -1 for a line that carries none.
    QList<int> lineTemplate;
};
TemplatesFile Read_Templates(const QByteArray& bytes);
// A missing or unreadable file reads as an empty one.
TemplatesFile Load_Templates_File(const QString& path);
// The file's bytes for the window's list, where origins[i] is the index in the file of the
// template listed at i, or -1 for one added since. The lines of templates still listed with
// their text stay as they were; an edited template takes the place of its first line; the lines
// of deleted or edited templates go; added templates follow at the end.
QByteArray Templates_File_After(const TemplatesFile& file, const QStringList& templates,
                                const QList<int>& origins);

// The templates of the file's text, in order: markers turned back into line feeds, blank lines
// dropped, each cut to 1600 characters, and a template equal to an earlier one (after the cut)
// dropped.
QStringList Parse_Templates(const QString& text);
// The templates of a file; a missing or unreadable file gives none.
QStringList LoadItems_templates(const QString& path);

// True when the text equals (exactly) a template of the list.
bool Check_Duplicate_Template(const QStringList& templates, const QString& text);

// The contents of a new file holding the list.
QByteArray Templates_File_Contents(const QStringList& templates);
// Writes a new file holding the list, atomically (data files recreated first). False, old file
// kept, when it cannot.
bool Write_Template_file(const QString& path, const QStringList& templates);

// What a sending run does when Save Templates is on: the message (cut to 1600) is appended to
// Templates_Path unless the file already holds it. Calls from several threads at once store a
// message once. True when the file holds the message afterwards. The file's templates are read
// once and then kept in step with the appends, so a save costs the same in a run of 10,000
// messages as in a run of one; any other change to the file (its window, another process) is
// seen from its size, time or identity and reads it again.
bool Save_Composed_Template(const QString& message);

}  // namespace tesk::stores
