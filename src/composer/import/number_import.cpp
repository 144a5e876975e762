#include "composer/import/number_import.h"

#include "checks/number_checks.h"
#include "core/log.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QStringView>
#include <QVarLengthArray>

#include <algorithm>

namespace tesk::import {
namespace {

// No list of numbers comes near this; refusing such a file beats exhausting memory (its text
// takes twice the bytes as UTF-16).
constexpr qint64 kMaxImportBytes = qint64{1} << 30;
// Reads go in pieces of this size so that a cancel request is seen while a large file loads.
constexpr qint64 kReadChunk = qint64{8} << 20;

bool Cancelled(const std::atomic<bool>* cancel) {
    return cancel != nullptr && cancel->load(std::memory_order_relaxed);
}

// More characters than any phone number keeps once cleaned: the acceptance rules would refuse
// such a piece whatever it holds, so it is dropped. Before cleaning, a number may also carry up
// to 19 dots between its digits, a spreadsheet's text mark (3 characters) and the zero of "(0)";
// counting those too lets a 100 MB line without a break be dropped at its first few dozen
// characters instead of being copied and cleaned whole.
constexpr qsizetype kLongestNumber = 20;
constexpr qsizetype kLongestWrittenNumber = kLongestNumber + (kLongestNumber - 1) + 3 + 1;

qsizetype Solid_Length(QStringView text) {
    return std::count_if(text.begin(), text.end(), [](QChar c) { return !c.isSpace(); });
}

// Cleans each piece with Clean_Number_Form, optionally removing "\", "{" and "}" first, and
// hands it on unless it is empty or too long for a number. Reused buffers: import files run to
// millions of lines.
class Emitter {
  public:
    Emitter(const CandidateSink& sink, bool removeRtfLeftovers)
        : sink_(sink), removeRtfLeftovers_(removeRtfLeftovers) {}

    void operator()(QStringView part) {
        kept_.clear();
        qsizetype solid = 0;  // kept characters that cleaning may leave
        for (const QChar c : part) {
            const char16_t u = c.unicode();
            if (removeRtfLeftovers_ && (u == u'\\' || u == u'{' || u == u'}')) {
                continue;
            }
            if (!c.isSpace() && !Is_Number_Layout_Mark(c) && ++solid > kLongestWrittenNumber) {
                return;
            }
            kept_.append(u);
        }
        // The sink may keep the string: then this assignment allocates afresh, otherwise it
        // reuses the buffer, and a piece of plain digits comes out of the cleaning shared.
        buffer_.setUnicode(reinterpret_cast<const QChar*>(kept_.constData()), kept_.size());
        const QString cleaned = Clean_Number_Form(buffer_);
        if (cleaned.isEmpty() || Solid_Length(cleaned) > kLongestNumber) {
            return;
        }
        sink_(cleaned);
    }

  private:
    const CandidateSink& sink_;
    bool removeRtfLeftovers_;
    QVarLengthArray<char16_t, 64> kept_;
    QString buffer_;
};

void For_Each_Line(QStringView text, const std::atomic<bool>* cancel, Emitter& send,
                   const RecordStart& recordStart) {
    qsizetype start = 0;
    while (start <= text.size() && !Cancelled(cancel)) {
        qsizetype end = text.indexOf(u'\n', start);
        if (end < 0) {
            end = text.size();
        }
        if (recordStart) {
            recordStart();
        }
        send(text.sliced(start, end - start));
        start = end + 1;
    }
}

// On raw code units: this scan covers every character of an unquoted file, and the per-character
// calls of the view accessors cost more than the comparisons themselves in unoptimised builds.
qsizetype Unquoted_End(QStringView text, qsizetype from, char16_t separator) {
    const char16_t* const begin = text.utf16();
    const char16_t* const end = begin + text.size();
    const char16_t* p = begin + from;
    while (p < end && *p != separator && *p != u'\r' && *p != u'\n') {
        ++p;
    }
    return p - begin;
}

// The quoted field whose opening quote is at open: its content into field and the position of
// the break that ends it into end. False when the quote is never closed.
bool Read_Quoted(QStringView text, qsizetype open, char16_t separator, QString& field,
                 qsizetype& end) {
    const qsizetype n = text.size();
    field.clear();
    qsizetype from = open + 1;
    for (;;) {
        const qsizetype quote = text.indexOf(u'"', from);
        if (quote < 0) {
            return false;
        }
        field.append(text.sliced(from, quote - from));
        if (quote + 1 < n && text[quote + 1] == u'"') {
            field.append(u'"');
            from = quote + 2;
            continue;
        }
        end = Unquoted_End(text, quote + 1, separator);
        field.append(text.sliced(quote + 1, end - quote - 1));
        return true;
    }
}

// CSV as spreadsheets write it: a field whose first non-blank character is a double quote runs
// to the matching closing quote, "" inside standing for one quote; separators and line ends
// inside belong to the field; anything between the closing quote and the next separator is kept
// as it stands. A quote that is never closed is an ordinary character, so one stray quote cannot
// swallow the rest of the file. Records end at CR LF, CR or LF.
// Linear: once a quote has failed to close, every quote after it stands in a "" pair, so every
// later quoted field closes at the end of its own run of quotes.
// `field(text, startsRecord)` gets every field in order and returns false to stop the reading.
template <typename FieldFn>
void For_Each_Csv_Field(QStringView text, char16_t separator, const std::atomic<bool>* cancel,
                        FieldFn&& field) {
    const qsizetype n = text.size();
    QString quoted;
    qsizetype pos = 0;
    bool newRecord = true;
    for (;;) {
        if (newRecord && Cancelled(cancel)) {
            return;
        }
        qsizetype open = pos;
        while (open < n && (text[open] == u' ' || text[open] == u'\t') && text[open] != separator) {
            ++open;
        }
        qsizetype end = pos;
        bool more = true;
        if (open < n && text[open] == u'"' && Read_Quoted(text, open, separator, quoted, end)) {
            more = field(QStringView(quoted), newRecord);
        } else {
            end = Unquoted_End(text, pos, separator);
            more = field(text.sliced(pos, end - pos), newRecord);
        }
        if (!more) {
            return;
        }
        if (end >= n) {
            return;
        }
        newRecord = text[end] != separator;
        if (text[end] == u'\r' && end + 1 < n && text[end + 1] == u'\n') {
            ++end;
        }
        pos = end + 1;
        if (newRecord && pos >= n) {
            return;  // a final line end opens no record
        }
    }
}

// Where the records of a CSV file begin and what separates their fields.
struct CsvLayout {
    char16_t separator = u',';
    qsizetype start = 0;
};

// As spreadsheets read a file: a first line "sep=X" names the separator and is no record;
// otherwise it is whichever of ",", ";" and tab separates the most fields of the first record,
// quoted fields read under each choice, "," when none occurs and on a tie (then ";" before tab).
// European spreadsheets write ";" because "," is their decimal mark.
CsvLayout Detect_Csv_Layout(QStringView text) {
    if (text.startsWith(u"sep=") && text.size() >= 5 && text[4] != u'"' && text[4] != u'\r' &&
        text[4] != u'\n' && (text.size() == 5 || text[5] == u'\r' || text[5] == u'\n')) {
        qsizetype start = 5;
        if (start < text.size() && text[start] == u'\r') {
            ++start;
        }
        if (start < text.size() && text[start] == u'\n') {
            ++start;
        }
        return {text[4].unicode(), start};
    }
    CsvLayout best;
    qsizetype bestFields = 1;
    for (const char16_t separator : {u',', u';', u'\t'}) {
        qsizetype fields = 0;
        For_Each_Csv_Field(text, separator, nullptr, [&](QStringView, bool startsRecord) {
            if (startsRecord && fields > 0) {
                return false;
            }
            ++fields;
            return true;
        });
        if (fields > bestFields) {
            best.separator = separator;
            bestFields = fields;
        }
    }
    return best;
}

// Words of a column header, lower case: a column of phone numbers by name (2), or of some kind
// of number (1). Short words count only as whole words ("tel" is no part of "hotel"); longer
// ones also inside compounds ("Telefonnummer", "mobilephone"). Scripts without spaces between
// words are searched as they stand.
int Phone_Word_Rank(const QString& header) {
    static const QStringList kWholePhoneWords = {QStringLiteral("tel"), QStringLiteral("cell"),
                                                 QStringLiteral("mob"), QStringLiteral("gsm"),
                                                 QStringLiteral("sms"), QStringLiteral("fon"),
                                                 QStringLiteral("tlf"), QStringLiteral("tfn")};
    static const QStringList kPhoneWords = {
        QStringLiteral("phone"),     QStringLiteral("mobil"),    QStringLiteral("msisdn"),
        QStringLiteral("handy"),     QStringLiteral("telefon"),  QStringLiteral("teléfono"),
        QStringLiteral("téléphone"), QStringLiteral("telephon"), QStringLiteral("móvil"),
        QStringLiteral("movil"),     QStringLiteral("celular"),  QStringLiteral("cellular"),
        QStringLiteral("portable"),  QStringLiteral("whatsapp"), QStringLiteral("телефон"),
        QStringLiteral("мобильн"),   QStringLiteral("τηλέφωνο"), QStringLiteral("κινητό"),
        QStringLiteral("טלפון"),     QStringLiteral("هاتف"),     QStringLiteral("جوال"),
        QStringLiteral("موبايل"),    QStringLiteral("電話"),     QStringLiteral("电话"),
        QStringLiteral("手机"),      QStringLiteral("携帯"),     QStringLiteral("전화"),
        QStringLiteral("휴대폰"),    QStringLiteral("फ़ोन"),      QStringLiteral("मोबाइल")};
    static const QStringList kNumberWords = {
        QStringLiteral("number"),  QStringLiteral("nummer"), QStringLiteral("numero"),
        QStringLiteral("número"),  QStringLiteral("numéro"), QStringLiteral("номер"),
        QStringLiteral("αριθμός"), QStringLiteral("رقم"),    QStringLiteral("号码"),
        QStringLiteral("番号"),    QStringLiteral("번호")};
    const QString lower = header.toLower();
    QStringList words;
    QString word;
    for (const QChar c : lower) {
        if (c.isLetterOrNumber() || c.isMark()) {
            word += c;
        } else if (!word.isEmpty()) {
            words.append(word);
            word.clear();
        }
    }
    if (!word.isEmpty()) {
        words.append(word);
    }
    for (const QString& w : words) {
        if (kWholePhoneWords.contains(w)) {
            return 2;
        }
        for (const QString& phone : kPhoneWords) {
            if (w.contains(phone)) {
                return 2;
            }
        }
    }
    for (const QString& w : words) {
        for (const QString& number : kNumberWords) {
            if (w.contains(number)) {
                return 1;
            }
        }
    }
    return 0;
}

// UTF-16 input can carry half of a surrogate pair, and UTF-32 input a surrogate code point;
// the decoder passes both through, yet such a text has no valid reading. Raw code units for the
// same reason as in Unquoted_End.
bool Has_Lone_Surrogate(QStringView text) {
    const char16_t* p = text.utf16();
    const char16_t* const end = p + text.size();
    for (; p < end; ++p) {
        if ((*p & 0xF800) != 0xD800) {
            continue;  // no surrogate at all: the common case, one test per unit
        }
        if (!QChar::isHighSurrogate(*p) || p + 1 >= end || !QChar::isLowSurrogate(p[1])) {
            return true;
        }
        ++p;
    }
    return false;
}

// Windows-1252: Latin-1 except for the printable characters in 0x80-0x9F. The five bytes that
// code page leaves undefined stay C1 controls, as Windows itself maps them.
QString Decode_Windows_1252(QByteArrayView bytes) {
    static constexpr char16_t kHighControls[32] = {
        u'\u20AC', u'\u0081', u'\u201A', u'\u0192', u'\u201E', u'\u2026', u'\u2020', u'\u2021',
        u'\u02C6', u'\u2030', u'\u0160', u'\u2039', u'\u0152', u'\u008D', u'\u017D', u'\u008F',
        u'\u0090', u'\u2018', u'\u2019', u'\u201C', u'\u201D', u'\u2022', u'\u2013', u'\u2014',
        u'\u02DC', u'\u2122', u'\u0161', u'\u203A', u'\u0153', u'\u009D', u'\u017E', u'\u0178'};
    QString text(bytes.size(), Qt::Uninitialized);
    char16_t* out = reinterpret_cast<char16_t*>(text.data());
    for (const char byte : bytes) {
        const auto b = static_cast<unsigned char>(byte);
        *out++ = b >= 0x80 && b < 0xA0 ? kHighControls[b - 0x80] : char16_t{b};
    }
    return text;
}

QString Decode_Text(QByteArrayView bytes, bool* ok) {
    auto encoding = QStringConverter::Utf8;
    qsizetype bom = 0;
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        bom = 3;
    } else if (bytes.startsWith(QByteArrayView("\xFF\xFE\x00\x00", 4))) {
        encoding = QStringConverter::Utf32LE;
        bom = 4;
    } else if (bytes.startsWith(QByteArrayView("\x00\x00\xFE\xFF", 4))) {
        encoding = QStringConverter::Utf32BE;
        bom = 4;
    } else if (bytes.startsWith("\xFF\xFE")) {
        encoding = QStringConverter::Utf16LE;
        bom = 2;
    } else if (bytes.startsWith("\xFE\xFF")) {
        encoding = QStringConverter::Utf16BE;
        bom = 2;
    }
    const QByteArrayView body = bytes.sliced(bom);
    // A wide encoding must come in whole code units; the decoder would drop a cut-off tail.
    const qsizetype unit =
        encoding == QStringConverter::Utf16LE || encoding == QStringConverter::Utf16BE
            ? 2
            : (encoding == QStringConverter::Utf8 ? 1 : 4);
    if (body.size() % unit != 0) {
        *ok = false;
        return QString();
    }
    // Stateless: a sequence cut off at the end of the file is an error, not pending input.
    QStringDecoder decoder(
        encoding, QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
    QString text = decoder.decode(body);
    if (bom == 0 && (decoder.hasError() || Has_Lone_Surrogate(text))) {
        // No mark and no valid UTF-8: the code page of Western spreadsheets, which reads any
        // bytes.
        text = Decode_Windows_1252(body);
        *ok = !text.contains(QChar(u'\0'));
        if (!*ok) {
            text.clear();
        }
        return text;
    }
    *ok = !decoder.hasError() && !text.contains(QChar(u'\0')) && !Has_Lone_Surrogate(text);
    if (*ok && unit == 4) {
        // The UTF-32 decoder lets a code unit beyond U+10FFFF pass as a replacement character
        // without an error: such a file is as broken as invalid UTF-8 and is refused the same.
        QStringEncoder encoder(encoding);
        *ok = QByteArray(encoder.encode(text)) == body;
    }
    if (!*ok) {
        text.clear();
    }
    return text;
}

// The whole file; empty when it cannot (or may not) be read or holds nothing.
QByteArray Read_File_Bytes(const QString& path, const std::atomic<bool>* cancel) {
    const QFileInfo info(path);
    // Directories, devices, pipes and sockets are no import files; a pipe would even block.
    if (!info.isFile()) {
        Show_NSLog_Message(QStringLiteral("Import: not a readable file ") + path);
        return QByteArray();
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        Show_NSLog_Message(QStringLiteral("Import: cannot open ") + path + QStringLiteral(" : ") +
                           file.errorString());
        return QByteArray();
    }
    const qint64 size = file.size();
    if (size > kMaxImportBytes) {
        Show_NSLog_Message(QStringLiteral("Import: file too large ") + path);
        return QByteArray();
    }
    QByteArray bytes(static_cast<qsizetype>(size), Qt::Uninitialized);
    qint64 got = 0;
    while (got < size) {
        if (Cancelled(cancel)) {
            return QByteArray();
        }
        const qint64 n = file.read(bytes.data() + got, std::min(kReadChunk, size - got));
        if (n < 0) {
            Show_NSLog_Message(QStringLiteral("Import: read error ") + path +
                               QStringLiteral(" : ") + file.errorString());
            return QByteArray();
        }
        if (n == 0) {
            break;  // the file shrank while being read: take what is there
        }
        got += n;
    }
    bytes.truncate(static_cast<qsizetype>(got));
    return bytes;
}

}  // namespace

FileKind Kind_Of(const QString& path) {
    const QString ext = QFileInfo(path).suffix().toUpper();
    if (ext == QLatin1String("CSV")) {
        return FileKind::Csv;
    }
    if (ext == QLatin1String("RTF")) {
        return FileKind::Rtf;
    }
    return FileKind::Text;
}

ReadResult Read_Import_Text(const QString& path, const std::atomic<bool>* cancel) {
    ReadResult result;
    try {
        const QByteArray bytes = Read_File_Bytes(path, cancel);
        if (bytes.isEmpty() || Cancelled(cancel)) {
            return result;
        }
        bool ok = false;
        QString text = Kind_Of(path) == FileKind::Rtf ? Rtf_To_Plain_Text(bytes, &ok, cancel)
                                                      : Decode_Text(bytes, &ok);
        if (!ok || text.isEmpty()) {
            return result;
        }
        result.ok = true;
        result.text = std::move(text);
    } catch (const std::exception& e) {
        Show_NSLog_Message(QStringLiteral("Read_Import_Text exception"));
        Show_NSLog_Message(QString::fromUtf8(e.what()));
        result = ReadResult();
    }
    return result;
}

int Phone_Column(const QStringList& headerFields) {
    int numberColumn = -1;
    for (int column = 0; column < headerFields.size(); ++column) {
        switch (Phone_Word_Rank(headerFields.at(column))) {
            case 2:
                return column;
            case 1:
                if (numberColumn < 0) {
                    numberColumn = column;
                }
                break;
            default:
                break;
        }
    }
    return numberColumn;
}

int Digit_Count(const QString& text) {
    int digits = 0;
    for (const QChar c : text) {
        if (c.unicode() >= u'0' && c.unicode() <= u'9') {
            ++digits;
        }
    }
    return digits;
}

void For_Each_Candidate(const QString& text, FileKind kind, const CandidateSink& sink,
                        const std::atomic<bool>* cancel, CandidateNotes* notes,
                        const RecordStart& recordStart) {
    // CSV fields are cleaned like text lines, so every sink gets the same kind of candidate;
    // the acceptance rules clean again, which changes nothing.
    Emitter send(sink, true);
    if (notes != nullptr) {
        *notes = CandidateNotes();
    }
    if (kind != FileKind::Csv) {
        For_Each_Line(text, cancel, send, recordStart);
        return;
    }
    const CsvLayout layout = Detect_Csv_Layout(text);
    const QStringView records = QStringView(text).sliced(layout.start);
    if (notes != nullptr) {
        notes->separator = layout.separator;
    }
    QStringList header;
    For_Each_Csv_Field(records, layout.separator, cancel,
                       [&](QStringView field, bool startsRecord) {
                           if (startsRecord && !header.isEmpty()) {
                               return false;
                           }
                           header.append(field.toString());
                           return true;
                       });
    const int phoneColumn = Phone_Column(header);
    if (phoneColumn >= 0 && notes != nullptr) {
        notes->phoneColumn = header.at(phoneColumn).trimmed();
    }
    qsizetype record = -1;
    int column = 0;
    For_Each_Csv_Field(records, layout.separator, cancel,
                       [&](QStringView field, bool startsRecord) {
                           if (startsRecord) {
                               ++record;
                               column = 0;
                               // The header names columns and brings no number.
                               if (recordStart && (phoneColumn < 0 || record > 0)) {
                                   recordStart();
                               }
                           } else {
                               ++column;
                           }
                           if (phoneColumn < 0 || (record > 0 && column == phoneColumn)) {
                               send(field);
                           }
                           return true;
                       });
}

void For_Each_Pasted_Candidate(const QString& text, const CandidateSink& sink,
                               const RecordStart& recordStart) {
    Emitter send(sink, false);
    const QStringView all(text);
    qsizetype start = 0;
    while (start <= all.size()) {
        qsizetype end = all.indexOf(u'\n', start);
        if (end < 0) {
            end = all.size();
        }
        const QStringView line = all.sliced(start, end - start);
        if (recordStart) {
            recordStart();
        }
        // A line without a tab is one piece: the same loop covers both cases.
        qsizetype from = 0;
        while (from <= line.size()) {
            qsizetype tab = line.indexOf(u'\t', from);
            if (tab < 0) {
                tab = line.size();
            }
            send(line.sliced(from, tab - from));
            from = tab + 1;
        }
        start = end + 1;
    }
}

}  // namespace tesk::import
