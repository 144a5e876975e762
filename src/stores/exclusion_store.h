#pragma once
// The exclusion lists on disk: the index of all list names (Exclusion/ExListIndex.VORN), the
// names of the applied lists (AppExclusion.VORN), and one file of numbers per list
// (Exclusion/<name>.VORN). All UTF-8, one entry per line; a line blank after trimming is no
// entry. Every rewrite is atomic.
#include <QString>
#include <QStringList>

namespace tesk::stores {

inline constexpr int kMaxListNameLength = 50;

// The trimmed, non-blank lines of a file's text.
QStringList Parse_Entries(const QString& text);
// The file's bytes for the entries: one per line.
QByteArray Entry_File_Contents(const QStringList& entries);
// The entries of a file; a missing file gives none.
QStringList Read_Entry_File(const QString& path);
// Rewrites the file with one entry per line (data files recreated first). False, old file
// kept, when it cannot.
bool Write_Entry_File(const QString& path, const QStringList& entries);

// The file of a list's numbers.
QString Exclusion_List_File(const QString& name);

// The message for a list name that may not be used, in the order the checks run (empty,
// characters, the index's own name, already taken); "" when the trimmed name is fine.
QString Check_Exclusion_List_Name(const QString& name, const QStringList& available);

// A number for a list: cleaned and valid ("+" only in front), or "" when invalid. A number
// typed by hand is stored with its leading "+" as "00"; an imported one keeps its "+".
QString Exclusion_Number(const QString& raw, bool typed);

// What an import file gives a list: the valid numbers in file order that are not yet in
// `existing` nor earlier in the file. `ok` false when the file cannot be read. `phoneColumn`
// (when given) names the one CSV column read when the file's header names one, else "".
QStringList Exclusion_Numbers_From_File(const QString& path, const QStringList& existing, bool* ok,
                                        QString* phoneColumn = nullptr);

// Every number of every applied list, in applied order then file order; a number in two
// applied lists comes twice. A missing list file gives nothing.
QStringList Applied_Exclusion_Numbers();

}  // namespace tesk::stores
