#pragma once
// The two ways the stores touch their files: appending one record, and rewriting the whole
// file. Both are safe against the failures a user would pay for: appends from many sending
// threads never interleave, and a rewrite leaves either the old file or the new one, never a
// truncated mix, whatever happens in between (a crash, a full disk, a read-only folder).
#include <QByteArray>
#include <QString>

namespace tesk::stores {

// Appends the bytes as one write under a process-wide lock, so records appended by different
// threads at the same moment come out whole and one after the other. The file is created 0600
// when it is missing. False when it cannot be opened or written (the caller decides whether
// that is worth a word: a sending run skips it silently).
bool Append_Store_Record(const QString& path, const QByteArray& record);

// Replaces the file's contents atomically: the bytes go to a private temporary file in the same
// folder, are flushed to disk and only then renamed over the old file (0600). False, with the
// old file untouched, when any step fails.
bool Rewrite_Store_File(const QString& path, const QByteArray& contents);

// The UTF-8 bytes of a store file's text. Readers take a U+FEFF at the very start of a file for
// a byte-order mark and drop it, so a text that starts with that character (a template may) is
// written behind a mark of its own and reads back whole.
QByteArray Store_File_Bytes(const QString& text);

}  // namespace tesk::stores
