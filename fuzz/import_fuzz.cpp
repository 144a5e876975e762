// Import of number files (text, CSV, RTF) and of pasted blocks. The first byte chooses the kind,
// the rest is the file or the pasted text. Properties:
// - decoding: a byte-order mark decides the encoding; without one a file is UTF-8 when it is
//   strictly valid UTF-8 (no overlong forms, no surrogates, nothing past U+10FFFF) and
//   Windows-1252 otherwise, so every file without a mark and without NUL reads; whatever reads
//   encodes back to exactly the bytes it came from in the encoding it was read in;
// - no candidate holds a digit the document did not show: the digits of all candidates, in
//   order, are a subsequence of the digits of the text;
// - every candidate is cleaned: not empty, cleaning it again changes nothing, no blank, format
//   mark, hyphen, dash, parenthesis or RTF leftover, no white space at its ends, at most 20 other
//   characters, no line break (unless a quoted CSV field held one);
// - CSV fields are exactly those of the small reference splitter below, separator detection and
//   header rule included.
#include "checks/number_checks.h"
#include "composer/import/number_import.h"
#include "fuzz_check.h"

#include <QDir>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>

#include <algorithm>
#include <iterator>
#include <optional>

namespace {

using tesk::import::FileKind;

// Strict UTF-8 as the standard defines it, written out byte by byte.
bool Is_Strict_Utf8(const QByteArray& bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n;) {
        const unsigned char b = p[i];
        int extra = 0;
        char32_t cp = 0;
        if (b < 0x80) {
            ++i;
            continue;
        } else if (b >= 0xC2 && b <= 0xDF) {
            extra = 1;
            cp = b & 0x1F;
        } else if (b >= 0xE0 && b <= 0xEF) {
            extra = 2;
            cp = b & 0x0F;
        } else if (b >= 0xF0 && b <= 0xF4) {
            extra = 3;
            cp = b & 0x07;
        } else {
            return false;
        }
        if (i + extra >= n) {
            return false;
        }
        for (int k = 1; k <= extra; ++k) {
            if ((p[i + k] & 0xC0) != 0x80) {
                return false;
            }
            cp = (cp << 6) | (p[i + k] & 0x3F);
        }
        const char32_t least = extra == 1 ? 0x80 : extra == 2 ? 0x800 : 0x10000;
        if (cp < least || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            return false;
        }
        i += extra + 1;
    }
    return true;
}

struct Bom {
    qsizetype size = 0;
    QStringConverter::Encoding encoding = QStringConverter::Utf8;
};

Bom Bom_Of(const QByteArray& b) {
    if (b.startsWith("\xEF\xBB\xBF")) {
        return {3, QStringConverter::Utf8};
    }
    if (b.startsWith(QByteArray("\xFF\xFE\x00\x00", 4))) {
        return {4, QStringConverter::Utf32LE};
    }
    if (b.startsWith(QByteArray("\x00\x00\xFE\xFF", 4))) {
        return {4, QStringConverter::Utf32BE};
    }
    if (b.startsWith("\xFF\xFE")) {
        return {2, QStringConverter::Utf16LE};
    }
    if (b.startsWith("\xFE\xFF")) {
        return {2, QStringConverter::Utf16BE};
    }
    return {};
}

// Windows-1252 written out: the code unit of each byte 0x80-0x9F; the undefined five stay C1.
QByteArray Encode_Windows_1252(const QString& text, bool* ok) {
    static const char16_t kHigh[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    QByteArray bytes;
    *ok = true;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
            bytes.append(static_cast<char>(u));
            continue;
        }
        const char16_t* at = std::find(std::begin(kHigh), std::end(kHigh), u);
        if (at == std::end(kHigh)) {
            *ok = false;
            return bytes;
        }
        bytes.append(static_cast<char>(0x80 + (at - std::begin(kHigh))));
    }
    return bytes;
}

QString Digits_Of(const QString& text) {
    QString digits;
    for (const QChar c : text) {
        if (c.unicode() >= u'0' && c.unicode() <= u'9') {
            digits += c;
        }
    }
    return digits;
}

bool Is_Subsequence(const QString& part, const QString& whole) {
    qsizetype at = 0;
    for (const QChar c : part) {
        at = whole.indexOf(c, at);
        if (at < 0) {
            return false;
        }
        ++at;
    }
    return true;
}

// Candidates from files also lose the RTF leftovers "\\", "{" and "}"; pasted ones keep them.
void Check_Candidates(const QStringList& candidates, const QString& text, bool lineBreaksAllowed,
                      bool fromFile) {
    QString digits;
    for (const QString& c : candidates) {
        FUZZ_CHECK(!c.isEmpty(), c);
        FUZZ_CHECK(!c.front().isSpace() && !c.back().isSpace(), tesk::fuzz::Shown(c));
        int solid = 0;
        FUZZ_CHECK(Clean_Number_Form(c) == c, tesk::fuzz::Shown(c));
        for (const QChar ch : c) {
            const QChar::Category category = ch.category();
            FUZZ_CHECK(category != QChar::Separator_Space && category != QChar::Other_Format &&
                           ch != u'-' && ch != u'(' && ch != u')' && ch != u'\u2013',
                       tesk::fuzz::Shown(c));
            FUZZ_CHECK(!fromFile || (ch != u'\\' && ch != u'{' && ch != u'}'),
                       tesk::fuzz::Shown(c));
            FUZZ_CHECK(lineBreaksAllowed || ch != u'\n', tesk::fuzz::Shown(c));
            solid += ch.isSpace() ? 0 : 1;
        }
        FUZZ_CHECK(solid <= 20, c);
        digits += Digits_Of(c);
    }
    FUZZ_CHECK(Is_Subsequence(digits, Digits_Of(text)), digits);
}

// The reference: a character-at-a-time reading of the CSV rules (quoted fields, "" for a quote,
// an unclosed quote read again as an ordinary character, records ending at CR LF, CR or LF).
QList<QStringList> Reference_Records(const QString& text, QChar separator) {
    QList<QStringList> records;
    QStringList fields;
    QString field;
    const qsizetype n = text.size();
    qsizetype fieldStart = 0;
    bool open = true;  // a record has begun that no line end has closed yet
    enum { Start, Plain, Quoted, AfterQuote } state = Start;
    qsizetype i = 0;
    auto endField = [&] {
        fields.append(field);
        field.clear();
        state = Start;
    };
    while (i < n) {
        const QChar c = text.at(i);
        if (state == Quoted) {
            if (c == u'"' && i + 1 < n && text.at(i + 1) == u'"') {
                field += c;
                i += 2;
                continue;
            }
            if (c == u'"') {
                state = AfterQuote;
            } else {
                field += c;
            }
            ++i;
            continue;
        }
        if (c == separator) {
            endField();
            fieldStart = ++i;
            continue;
        }
        if (c == u'\r' || c == u'\n') {
            endField();
            records.append(fields);
            fields.clear();
            i += (c == u'\r' && i + 1 < n && text.at(i + 1) == u'\n') ? 2 : 1;
            fieldStart = i;
            open = i < n;
            continue;
        }
        if (state == Start && c == u'"') {
            state = Quoted;
            field.clear();
            ++i;
            continue;
        }
        if (state == Start && c != u' ' && c != u'\t') {
            state = Plain;
        }
        if (state == AfterQuote) {
            field += c;
        } else {
            // Blanks before an opening quote belong to the field only when none follows.
            field = text.mid(fieldStart, i + 1 - fieldStart);
        }
        ++i;
    }
    if (state == Quoted) {
        // Never closed: the field is plain text from where it began, and reading goes on after
        // it. A leading mark keeps the quote from opening a field again; it is taken off after.
        QList<QStringList> again =
            Reference_Records(QStringLiteral("\x01") + text.mid(fieldStart), separator);
        again.first().first().remove(0, 1);
        fields += again.first();
        records.append(fields);
        records += again.mid(1);
        return records;
    }
    if (open) {
        fields.append(field);
        records.append(fields);
    }
    return records;
}

std::optional<QString> Cleaned(const QString& field) {
    QString c = field;
    c.remove(u'\\');
    c.remove(u'{');
    c.remove(u'}');
    c = Clean_Number_Form(c);
    int solid = 0;
    for (const QChar ch : c) {
        solid += ch.isSpace() ? 0 : 1;
    }
    if (c.isEmpty() || solid > 20) {
        return std::nullopt;
    }
    return c;
}

// "sep=X" on the first line names the separator; otherwise the most fields in the first record,
// the earlier of ",", ";", tab on a tie.
QChar Reference_Separator(QString* text) {
    const QString& t = *text;
    if (t.startsWith(QStringLiteral("sep=")) && t.size() >= 5 && t[4] != u'"' && t[4] != u'\r' &&
        t[4] != u'\n' && (t.size() == 5 || t[5] == u'\r' || t[5] == u'\n')) {
        const QChar named = t[4];
        const qsizetype lineEnd =
            t.size() > 6 && t[5] == u'\r' && t[6] == u'\n' ? 7 : std::min<qsizetype>(t.size(), 6);
        text->remove(0, lineEnd);
        return named;
    }
    QChar best = u',';
    qsizetype most = 1;
    for (const QChar candidate : {QChar(u','), QChar(u';'), QChar(u'\t')}) {
        const QList<QStringList> records = Reference_Records(*text, candidate);
        const qsizetype fields = records.isEmpty() ? 0 : records.first().size();
        if (fields > most) {
            best = candidate;
            most = fields;
        }
    }
    return best;
}

QStringList Reference_Csv_Candidates(QString text, QString* phoneColumn, QChar* separator) {
    *separator = Reference_Separator(&text);
    const QList<QStringList> records = Reference_Records(text, *separator);
    const int column = records.isEmpty() ? -1 : tesk::import::Phone_Column(records.first());
    QStringList candidates;
    for (qsizetype r = 0; r < records.size(); ++r) {
        for (qsizetype f = 0; f < records.at(r).size(); ++f) {
            if (column >= 0 && (r == 0 || f != column)) {
                continue;
            }
            if (const auto c = Cleaned(records.at(r).at(f))) {
                candidates.append(*c);
            }
        }
    }
    *phoneColumn = column >= 0 ? records.first().at(column).trimmed() : QString();
    return candidates;
}

const QTemporaryDir& Folder() {
    static const QTemporaryDir folder;
    return folder;
}

void Check_File(const QByteArray& bytes, FileKind kind) {
    static const char* const kNames[] = {"import.txt", "import.csv", "import.rtf"};
    const QString path = QDir(Folder().path()).filePath(QString::fromLatin1(kNames[int(kind)]));
    {
        QFile file(path);
        FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate), path);
        file.write(bytes);
    }
    const tesk::import::ReadResult read = tesk::import::Read_Import_Text(path);
    if (kind != FileKind::Rtf) {
        const Bom bom = Bom_Of(bytes);
        const QByteArray body = bytes.mid(bom.size);
        const bool windows1252 = bom.size == 0 && !Is_Strict_Utf8(body);
        if (read.ok) {
            bool encodable = true;
            QByteArray again;
            if (windows1252) {
                again = Encode_Windows_1252(read.text, &encodable);
            } else {
                QStringEncoder encoder(bom.encoding);
                again = encoder.encode(read.text);
            }
            FUZZ_CHECK(encodable && again == body,
                       QStringLiteral("text does not encode back to the file"));
        } else if (bom.size == 0 && !body.isEmpty()) {
            FUZZ_CHECK(body.contains('\0'), QStringLiteral("file without a mark refused"));
        }
    }
    if (!read.ok) {
        return;
    }
    QStringList candidates;
    tesk::import::CandidateNotes notes;
    tesk::import::For_Each_Candidate(
        read.text, kind, [&](const QString& c) { candidates.append(c); }, nullptr, &notes);
    Check_Candidates(candidates, read.text, kind == FileKind::Csv, true);
    if (kind == FileKind::Csv) {
        QString referenceColumn;
        QChar referenceSeparator;
        const QStringList expected =
            Reference_Csv_Candidates(read.text, &referenceColumn, &referenceSeparator);
        FUZZ_CHECK(candidates == expected,
                   candidates.join(u'|') + QStringLiteral(" != ") + expected.join(u'|'));
        FUZZ_CHECK(notes.phoneColumn == referenceColumn, notes.phoneColumn);
        FUZZ_CHECK(notes.separator == referenceSeparator, QString(notes.separator));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    tesk::fuzz::Input input(data, size);
    const uint8_t mode = input.Byte() % 4;
    const QByteArray bytes = input.Rest();
    if (mode < 3) {
        Check_File(bytes, static_cast<FileKind>(mode));
        return 0;
    }
    const QString pasted = QString::fromUtf8(bytes);
    QStringList candidates;
    tesk::import::For_Each_Pasted_Candidate(pasted,
                                            [&](const QString& c) { candidates.append(c); });
    Check_Candidates(candidates, pasted, false, false);
    for (const QString& c : candidates) {
        FUZZ_CHECK(!c.contains(u'\t'), tesk::fuzz::Shown(c));
    }
    return 0;
}
