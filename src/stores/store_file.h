#pragma once
// The two ways the stores touch their files: appending one record, and rewriting the whole
// file. Both are safe against the failures a user would pay for: appends from many sending
// threads never interleave, and a rewrite leaves either the old file or the new one, never a
// truncated mix, whatever happens in between (a crash, a full disk, a read-only folder).
#include <QByteArray>
#include <QByteArrayView>
#include <QList>
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

// Rewrites the file as `contents` (atomically, as above), keeping what was appended to it since
// the caller read it as `read`: a sending run may save records while a window holds the file,
// and closing the window must not lose them. When the file no longer starts with `read` (it was
// replaced meanwhile), `contents` alone is written. Appends wait while this runs.
bool Rewrite_Store_File_Keeping_Appends(const QString& path, const QByteArray& read,
                                        const QByteArray& contents);

// The bytes of a store file; a missing or unreadable file reads as none.
QByteArray Read_Store_File(const QString& path);

// A store file cut into lines, so that a rewrite can put back byte for byte every line it did
// not change. Lines end at "\n"; the last line is what follows the last "\n" (empty when the
// file ends with one). A UTF-8 byte-order mark at the very start belongs to no line: readers
// drop it. The lines line up one to one with the lines of the file's text as the loaders read
// it (QString::fromUtf8 of the bytes, split at "\n"): an undecodable byte becomes U+FFFD, never
// a line feed.
class StoreLines {
  public:
    explicit StoreLines(const QByteArray& bytes);
    qsizetype size() const { return starts_.size(); }
    QByteArrayView line(qsizetype i) const;
    // Where line i starts in the file's bytes.
    qsizetype start(qsizetype i) const { return starts_.at(i); }
    bool hasMark() const { return mark_; }

  private:
    QByteArrayView bytes_;
    QList<qsizetype> starts_;
    bool mark_ = false;
};

// Puts a file back together from lines (each written with "\n" after it but the last), with the
// byte-order mark in front when the old file had one or the first line's text starts with
// U+FEFF (which a reader would otherwise take for the mark).
QByteArray Join_Store_Lines(const QList<QByteArrayView>& lines, bool mark);

// The UTF-8 bytes of a store file's text. Readers take a U+FEFF at the very start of a file for
// a byte-order mark and drop it, so a text that starts with that character (a template may) is
// written behind a mark of its own and reads back whole.
QByteArray Store_File_Bytes(const QString& text);

}  // namespace tesk::stores
