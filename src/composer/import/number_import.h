#pragma once
// Turning an import file or a pasted block into candidate numbers, in file order. Whether a
// candidate is accepted (valid, not a duplicate, not excluded) is the recipient list's decision;
// these functions only read and split. Safe to run on a worker thread.
#include <QByteArray>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>

namespace tesk::import {

enum class FileKind { Text, Csv, Rtf };

// By the path's extension, compared in upper case: "CSV", "RTF", anything else is text.
FileKind Kind_Of(const QString& path);

struct ReadResult {
    bool ok = false;  // false: unreadable, not decodable, or no text at all
    QString text;     // RTF already converted to plain text, one line per paragraph
};

// Reads the whole file and decodes it (RTF through Rtf_To_Plain_Text). A cancel flag, when
// given, is checked while reading large files.
// Text and CSV files may start with a byte-order mark: UTF-8 (dropped), UTF-16 or UTF-32 (either
// byte order, decoded); the mark decides, and bytes that do not fit it are refused. Without one
// the bytes are UTF-8 when they are valid UTF-8 and Windows-1252 otherwise: spreadsheets in
// Western locales save CSV in that code page, and one accented name must not cost the numbers.
// Text holding NUL characters is taken for a binary file. ok is false for a missing path, anything
// but a regular file, an empty or oversized file, undecodable bytes, a cancelled read and an empty
// result.
ReadResult Read_Import_Text(const QString& path, const std::atomic<bool>* cancel = nullptr);

using CandidateSink = std::function<void(const QString& candidate)>;
// Called as each record begins (a line of text, a CSV record after the header, a pasted line),
// before its candidates; a record may bring none.
using RecordStart = std::function<void()>;

// What reading the candidates found out about the file beside them.
struct CandidateNotes {
    // CSV: the header of the one column the candidates came from, when the first record names
    // a column of phone numbers (see Phone_Column); "" when every field was read.
    QString phoneColumn;
    // CSV: what separates the fields.
    QChar separator = u',';
};

// The column of a CSV header that holds phone numbers, or -1. A field names one when a word of
// it says phone, mobile, cell, tel (and their usual translations); without such a field, the
// first that says number (or a translation). Contact lists carry ids, dates and times beside
// the numbers, and every one of those would pass for a number.
int Phone_Column(const QStringList& headerFields);

// Text and RTF: every line (split at "\n") with "\\", "{", "}" removed and cleaned with
// Clean_Number_Form. CSV: records end at any line end (CR LF, CR or LF) and split at the
// separator: a first line "sep=X" names it, else it is whichever of ",", ";" and tab separates
// the most fields of the first record (quoted fields respected), "," when none does or on a tie.
// A record without a separator is one field. A field in double quotes loses its quotes, "" inside
// stands for one quote, and separators and line ends inside the quotes belong to the field.
// Every field has "\\", "{", "}" removed and is cleaned like a text line. When the first record
// names a phone column (Phone_Column), only that column of the later records is read, and
// `notes` says so. Candidates that are empty after cleaning, or keep more characters than any
// number may have, are not passed on: the acceptance rules would refuse them anyway. The cancel
// flag is checked per line.
void For_Each_Candidate(const QString& text, FileKind kind, const CandidateSink& sink,
                        const std::atomic<bool>* cancel = nullptr, CandidateNotes* notes = nullptr,
                        const RecordStart& recordStart = {});

// The pasting dialog: lines split at "\n"; a line holding a tab is split at every tab. Each
// piece is cleaned with Clean_Number_Form; empty and over-long pieces are not passed on.
void For_Each_Pasted_Candidate(const QString& text, const CandidateSink& sink,
                               const RecordStart& recordStart = {});

// Plain text of an RTF document: groups, control words, \par and \line as line breaks, \'hh and
// \uN escapes, skipped destinations (font and colour tables, \*, pictures...). Control
// characters other than line breaks and tabs never reach the text, whichever way they were
// written. ok is false when the bytes are no RTF at all or the cancel flag was raised;
// unbalanced braces are tolerated. Linear in the size of the document.
QString Rtf_To_Plain_Text(const QByteArray& rtf, bool* ok = nullptr,
                          const std::atomic<bool>* cancel = nullptr);

// How many decimal digits the text holds.
int Digit_Count(const QString& text);

}  // namespace tesk::import
