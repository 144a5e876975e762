#include "pdu/sms_inbound.h"

#include "pdu/gsm7_table.h"
#include "pdu/hex_digits.h"

#include <QList>
#include <QRegularExpression>
#include <QStringList>
#include <QTimeZone>

namespace pdu {
namespace {

constexpr int kMtiDeliver = 0x00;
constexpr int kMtiStatusReport = 0x02;
constexpr int kUserDataHeader = 0x40;
constexpr int kMaxAddressDigits = 20;  // TS 23.040 9.1.2.5: at most 10 octets of digits
constexpr int kTimestampOctets = 7;
constexpr int kMaxSeptets = 160;
constexpr int kMaxOctets = 140;
constexpr int kMaxQuarterHours = 14 * 4;  // zone offsets run from -14 to +14 hours
constexpr int kMaxIncomplete = 256;       // messages waiting for parts, before old ones go

// Octets of a hex line; nullopt for an odd length or a character that is not a hex digit.
std::optional<QByteArray> octetsOf(const QString& text) {
    const QString hex = text.trimmed();
    if (hex.size() % 2 != 0) {
        return std::nullopt;
    }
    QByteArray octets;
    octets.reserve(hex.size() / 2);
    for (qsizetype i = 0; i < hex.size(); i += 2) {
        const int high = pdu_detail::hexDigitValue(hex.at(i));
        const int low = pdu_detail::hexDigitValue(hex.at(i + 1));
        if (high < 0 || low < 0) {
            return std::nullopt;
        }
        octets.append(static_cast<char>((high << 4) | low));
    }
    return octets;
}

// Reads octets front to back; every read checks what is left.
class Reader {
  public:
    explicit Reader(const QByteArray& octets) : octets_(octets) {}
    qsizetype left() const { return octets_.size() - pos_; }
    bool octet(int* value) {
        if (left() < 1) {
            return false;
        }
        *value = static_cast<quint8>(octets_.at(pos_++));
        return true;
    }
    bool octets(qsizetype count, QByteArray* out) {
        if (count < 0 || left() < count) {
            return false;
        }
        *out = octets_.mid(pos_, count);
        pos_ += count;
        return true;
    }
    bool skip(qsizetype count) {
        QByteArray ignored;
        return octets(count, &ignored);
    }

  private:
    const QByteArray octets_;
    qsizetype pos_ = 0;
};

// `count` septets from `bitOffset` bits into packed user data (TS 23.038 6.1.2.1), read through
// the default alphabet and its extension table. Septets the data does not hold are left off.
QString gsmText(const QByteArray& packed, qsizetype bitOffset, qsizetype count) {
    using namespace tesk::pdu;
    QList<quint8> septets;
    septets.reserve(count);
    for (qsizetype i = 0; i < count; ++i) {
        const qsizetype bit = bitOffset + i * 7;
        const qsizetype at = bit / 8;
        const int shift = static_cast<int>(bit % 8);
        if (at >= packed.size()) {
            break;
        }
        int value = static_cast<quint8>(packed.at(at)) >> shift;
        if (shift > 1 && at + 1 < packed.size()) {
            value |= static_cast<quint8>(packed.at(at + 1)) << (8 - shift);
        }
        septets.append(static_cast<quint8>(value & 0x7F));
    }
    QString text;
    text.reserve(septets.size());
    for (qsizetype i = 0; i < septets.size(); ++i) {
        const quint8 septet = septets.at(i);
        if (septet != kEscapeSeptet) {
            text.append(QChar(kGsmBasic[septet]));
            continue;
        }
        if (i + 1 == septets.size()) {
            text.append(u' ');  // an escape with nothing after it reads as a space
            break;
        }
        // An extension code without a symbol reads as its default-table character, as
        // TS 23.038 asks of a receiving entity.
        const quint8 code = septets.at(++i);
        const char16_t extension = ExtensionChar(code);
        text.append(QChar(extension != kNoCharacter ? extension
                          : code == kEscapeSeptet   ? u' '
                                                    : kGsmBasic[code]));
    }
    return text;
}

// TP-OA / TP-RA (TS 23.040 9.1.2.5): length in semi-octets, type of address, value.
bool readAddress(Reader& in, QString* address) {
    int length = 0;
    int type = 0;
    if (!in.octet(&length) || !in.octet(&type) || length > kMaxAddressDigits) {
        return false;
    }
    QByteArray value;
    if (!in.octets((length + 1) / 2, &value)) {
        return false;
    }
    const int numberType = (type >> 4) & 0x7;
    if (numberType == 0x5) {  // alphanumeric: GSM 7-bit packed, length counts semi-octets
        *address = gsmText(value, 0, length * 4 / 7);
        return true;
    }
    static const char kDigits[] = "0123456789*#abc";
    QString number;
    for (int i = 0; i < length; ++i) {
        const int octet = static_cast<quint8>(value.at(i / 2));
        const int nibble = i % 2 == 0 ? octet & 0xF : octet >> 4;
        if (nibble != 0xF) {  // fill
            number.append(QLatin1Char(kDigits[nibble]));
        }
    }
    *address = numberType == 0x1 ? QLatin1Char('+') + number : number;
    return true;
}

// TP-SCTS / TP-DT (TS 23.040 9.2.3.11): swapped decimal semi-octets, the zone in quarter hours
// with its sign in bit 3. Invalid when a digit or the date is not one.
QDateTime timestampOf(const QByteArray& octets) {
    int fields[6] = {};
    for (int i = 0; i < 6; ++i) {
        const int octet = static_cast<quint8>(octets.at(i));
        const int tens = octet & 0xF;
        const int units = octet >> 4;
        if (tens > 9 || units > 9) {
            return QDateTime();
        }
        fields[i] = tens * 10 + units;
    }
    const int zone = static_cast<quint8>(octets.at(6));
    const int quarterUnits = zone >> 4;
    const int quarters = (zone & 0x7) * 10 + quarterUnits;
    if (quarterUnits > 9 || quarters > kMaxQuarterHours) {
        return QDateTime();
    }
    const QDate date(2000 + fields[0], fields[1], fields[2]);
    const QTime time(fields[3], fields[4], fields[5]);
    if (!date.isValid() || !time.isValid()) {
        return QDateTime();
    }
    const int offset = (zone & 0x8 ? -1 : 1) * quarters * 15 * 60;
    return QDateTime(date, time, QTimeZone(offset));
}

bool readTimestamp(Reader& in, QDateTime* when) {
    QByteArray octets;
    if (!in.octets(kTimestampOctets, &octets)) {
        return false;
    }
    *when = timestampOf(octets);
    return true;
}

bool skipServiceCentre(Reader& in) {
    int length = 0;
    return in.octet(&length) && in.skip(length);
}

enum class Alphabet { Gsm7, EightBit, Ucs2, Compressed };

// TP-DCS (TS 23.038 4); reserved codings read as the default alphabet, as the standard asks.
Alphabet alphabetOf(int dcs) {
    const int group = dcs >> 4;
    if (group <= 0x7) {  // general data coding, with or without automatic deletion
        if (dcs & 0x20) {
            return Alphabet::Compressed;
        }
        switch ((dcs >> 2) & 0x3) {
            case 1:
                return Alphabet::EightBit;
            case 2:
                return Alphabet::Ucs2;
            default:
                return Alphabet::Gsm7;
        }
    }
    if (group == 0xE) {  // message waiting, UCS2 text
        return Alphabet::Ucs2;
    }
    if (group == 0xF) {
        return dcs & 0x04 ? Alphabet::EightBit : Alphabet::Gsm7;
    }
    return Alphabet::Gsm7;
}

// The concatenation element of a user-data header (TS 23.040 9.2.3.24.1 and .8). Elements
// with impossible values are ignored, as the standard asks.
void readConcatenation(const QByteArray& header, IncomingMessage* message) {
    qsizetype at = 0;
    while (at + 2 <= header.size()) {
        const int iei = static_cast<quint8>(header.at(at));
        const int length = static_cast<quint8>(header.at(at + 1));
        const QByteArray data = header.mid(at + 2, length);
        if (data.size() < length) {
            return;
        }
        at += 2 + length;
        const bool eightBit = iei == 0x00 && length == 3;
        if (!eightBit && !(iei == 0x08 && length == 4)) {
            continue;
        }
        const auto octet = [&](int i) { return static_cast<int>(static_cast<quint8>(data.at(i))); };
        const int reference = eightBit ? octet(0) : (octet(0) << 8) | octet(1);
        const int count = octet(length - 2);
        const int number = octet(length - 1);
        if (count >= 1 && number >= 1 && number <= count) {
            message->concatReference = reference;
            message->partCount = count;
            message->partNumber = number;
        }
    }
}

QString ucs2Text(const QByteArray& octets) {
    QString text;
    text.reserve(octets.size() / 2);
    for (qsizetype i = 0; i + 1 < octets.size(); i += 2) {
        text.append(QChar(static_cast<char16_t>(static_cast<quint8>(octets.at(i)) << 8 |
                                                static_cast<quint8>(octets.at(i + 1)))));
    }
    return text;
}

// Fields of a text-mode line after its "+XXXX:" prefix, split at the commas outside quotes.
struct Field {
    QString value;
    bool quoted = false;
};

QList<Field> fieldsAfter(const QString& line, const QString& prefix) {
    QList<Field> fields;
    const QString trimmed = line.trimmed();
    if (!trimmed.startsWith(prefix)) {
        return fields;
    }
    QString current;
    bool inQuotes = false;
    const auto push = [&] {
        Field field;
        const QString t = current.trimmed();
        field.quoted = t.size() >= 2 && t.startsWith(u'"') && t.endsWith(u'"');
        field.value = field.quoted ? t.mid(1, t.size() - 2) : t;
        fields.append(field);
        current.clear();
    };
    for (const QChar c : trimmed.mid(prefix.size())) {
        if (c == u'"') {
            inQuotes = !inQuotes;
        }
        if (c == u',' && !inQuotes) {
            push();
        } else {
            current.append(c);
        }
    }
    push();
    return fields;
}

// The fields after the leading ones that the form of the line puts before the message's own:
// none for +CDS / +CMT, the status for +CMGR, index and status for +CMGL.
QList<Field> messageFields(const QString& line, const QString& indication) {
    struct Form {
        QString prefix;
        int leading;
    };
    const Form forms[] = {
        {indication, 0}, {QStringLiteral("+CMGR:"), 1}, {QStringLiteral("+CMGL:"), 2}};
    for (const Form& form : forms) {
        const QList<Field> fields = fieldsAfter(line, form.prefix);
        if (!fields.isEmpty()) {
            return fields.mid(form.leading);
        }
    }
    return {};
}

bool smallNumber(const Field& field, int max, int* value) {
    bool ok = false;
    *value = field.value.toInt(&ok);
    return !field.quoted && ok && *value >= 0 && *value <= max;
}

// "yy/MM/dd,hh:mm:ss±zz" (TS 27.005 3.3.1), the zone in quarter hours and optional; a
// four-digit year is taken too.
QDateTime textTimestamp(const QString& text) {
    static const QRegularExpression pattern(QStringLiteral(
        R"(^(\d\d|\d\d\d\d)/(\d\d)/(\d\d),(\d\d):(\d\d):(\d\d)(?:([+-])(\d\d?))?$)"));
    const QRegularExpressionMatch m = pattern.match(text.trimmed());
    if (!m.hasMatch()) {
        return QDateTime();
    }
    const int year = m.captured(1).toInt();
    const QDate date(year < 100 ? 2000 + year : year, m.captured(2).toInt(), m.captured(3).toInt());
    const QTime time(m.captured(4).toInt(), m.captured(5).toInt(), m.captured(6).toInt());
    const int quarters = m.captured(8).toInt();
    if (!date.isValid() || !time.isValid() || quarters > kMaxQuarterHours) {
        return QDateTime();
    }
    const int offset = (m.captured(7) == QLatin1String("-") ? -1 : 1) * quarters * 15 * 60;
    return QDateTime(date, time, QTimeZone(offset));
}

// A number as text mode prints it: the type 145 says international even where the modem left
// the "+" off.
QString textNumber(const QString& number, const Field& type) {
    if (type.value == QLatin1String("145") && !number.isEmpty() && !number.startsWith(u'+')) {
        return QLatin1Char('+') + number;
    }
    return number;
}

bool isUcs2Hex(const QString& text) {
    if (text.isEmpty() || text.size() % 4 != 0) {
        return false;
    }
    for (const QChar c : text) {
        if (pdu_detail::hexDigitValue(c) < 0) {
            return false;
        }
    }
    return true;
}

}  // namespace

DeliveryState State_Of_Status(int status) {
    if (status >= 0x00 && status <= 0x1F) {
        return DeliveryState::Delivered;
    }
    if (status >= 0x20 && status <= 0x3F) {
        return DeliveryState::Pending;
    }
    return DeliveryState::Failed;
}

std::optional<StatusReport> Decode_Status_Report(const QString& hex, bool withSmsc) {
    const std::optional<QByteArray> octets = octetsOf(hex);
    if (!octets) {
        return std::nullopt;
    }
    Reader in(*octets);
    int firstOctet = 0;
    StatusReport report;
    if ((withSmsc && !skipServiceCentre(in)) || !in.octet(&firstOctet) ||
        (firstOctet & 0x3) != kMtiStatusReport || !in.octet(&report.reference) ||
        !readAddress(in, &report.recipient) || !readTimestamp(in, &report.centreTime) ||
        !readTimestamp(in, &report.dischargeTime) || !in.octet(&report.status)) {
        return std::nullopt;
    }
    // TP-PI and what it announces may follow; nothing of it matters to a delivery state.
    report.state = State_Of_Status(report.status);
    return report;
}

std::optional<StatusReport> Parse_Text_Status_Report(const QString& line) {
    const QList<Field> f = messageFields(line, QStringLiteral("+CDS:"));
    int firstOctet = 0;
    StatusReport report;
    if (f.size() < 7 || !smallNumber(f[0], 0xFF, &firstOctet) ||
        (firstOctet & 0x3) != kMtiStatusReport || !smallNumber(f[1], 0xFF, &report.reference) ||
        !smallNumber(f[6], 0xFF, &report.status)) {
        return std::nullopt;
    }
    report.recipient = textNumber(f[2].value, f[3]);
    report.centreTime = textTimestamp(f[4].value);
    report.dischargeTime = textTimestamp(f[5].value);
    report.state = State_Of_Status(report.status);
    return report;
}

QString Status_Text(int status) {
    static const QHash<int, QString> kWords = {
        {0x00, QStringLiteral("delivered")},
        {0x01, QStringLiteral("forwarded, delivery unconfirmed")},
        {0x02, QStringLiteral("replaced by the SC")},
        {0x20, QStringLiteral("SC still trying: congestion")},
        {0x21, QStringLiteral("SC still trying: SME busy")},
        {0x22, QStringLiteral("SC still trying: no response from SME")},
        {0x23, QStringLiteral("SC still trying: service rejected")},
        {0x24, QStringLiteral("SC still trying: quality of service not available")},
        {0x25, QStringLiteral("SC still trying: error in SME")},
        {0x40, QStringLiteral("remote procedure error")},
        {0x41, QStringLiteral("incompatible destination")},
        {0x42, QStringLiteral("connection rejected by SME")},
        {0x43, QStringLiteral("not obtainable")},
        {0x44, QStringLiteral("quality of service not available")},
        {0x45, QStringLiteral("no interworking available")},
        {0x46, QStringLiteral("validity period expired")},
        {0x47, QStringLiteral("deleted by originating SME")},
        {0x48, QStringLiteral("deleted by SC administration")},
        {0x49, QStringLiteral("message does not exist")},
        {0x60, QStringLiteral("SC stopped trying: congestion")},
        {0x61, QStringLiteral("SC stopped trying: SME busy")},
        {0x62, QStringLiteral("SC stopped trying: no response from SME")},
        {0x63, QStringLiteral("SC stopped trying: service rejected")},
        {0x64, QStringLiteral("SC stopped trying: quality of service not available")},
        {0x65, QStringLiteral("SC stopped trying: error in SME")},
    };
    const auto known = kWords.constFind(status);
    if (known != kWords.constEnd()) {
        return *known;
    }
    // Reserved and centre-specific values read as the range they fall in.
    if (status >= 0x00 && status <= 0x1F) {
        return QStringLiteral("delivered");
    }
    if (status >= 0x20 && status <= 0x3F) {
        return QStringLiteral("SC still trying");
    }
    if (status >= 0x40 && status <= 0x5F) {
        return QStringLiteral("permanent error");
    }
    if (status >= 0x60 && status <= 0x7F) {
        return QStringLiteral("SC stopped trying");
    }
    return QStringLiteral("unknown status");
}

std::optional<IncomingMessage> Decode_Deliver(const QString& hex, bool withSmsc) {
    const std::optional<QByteArray> octets = octetsOf(hex);
    if (!octets) {
        return std::nullopt;
    }
    Reader in(*octets);
    IncomingMessage message;
    int firstOctet = 0;
    int dcs = 0;
    int length = 0;
    if ((withSmsc && !skipServiceCentre(in)) || !in.octet(&firstOctet) ||
        (firstOctet & 0x3) != kMtiDeliver || !readAddress(in, &message.sender) ||
        !in.skip(1) /* TP-PID */ || !in.octet(&dcs) || !readTimestamp(in, &message.centreTime) ||
        !in.octet(&length)) {
        return std::nullopt;
    }
    const Alphabet alphabet = alphabetOf(dcs);
    if (alphabet == Alphabet::Compressed) {
        return std::nullopt;
    }
    const bool septets = alphabet == Alphabet::Gsm7;
    if (length > (septets ? kMaxSeptets : kMaxOctets)) {
        return std::nullopt;
    }
    QByteArray data;
    if (!in.octets(septets ? (length * 7 + 7) / 8 : length, &data)) {
        return std::nullopt;
    }
    qsizetype headerOctets = 0;
    if (firstOctet & kUserDataHeader) {
        if (data.isEmpty()) {
            return std::nullopt;
        }
        headerOctets = 1 + static_cast<quint8>(data.at(0));
        if (headerOctets > data.size()) {
            return std::nullopt;
        }
        readConcatenation(data.mid(1, headerOctets - 1), &message);
    }
    if (septets) {
        // The text starts on the first septet boundary after the header (fill bits between).
        const qsizetype headerSeptets = (headerOctets * 8 + 6) / 7;
        if (headerSeptets > length) {
            return std::nullopt;
        }
        message.text = gsmText(data, headerSeptets * 7, length - headerSeptets);
    } else if (alphabet == Alphabet::Ucs2) {
        message.text = ucs2Text(data.mid(headerOctets));
    } else {
        message.text = QString::fromLatin1(data.mid(headerOctets));
    }
    return message;
}

std::optional<IncomingMessage> Parse_Text_Deliver(const QString& header, const QString& body) {
    // <oa>,[<alpha>],<scts>[,<tooa>,<fo>,<pid>,<dcs>,<sca>,<tosca>,<length>]
    const QList<Field> f = messageFields(header, QStringLiteral("+CMT:"));
    if (f.size() < 3 || !f[0].quoted || f[0].value.isEmpty()) {
        return std::nullopt;
    }
    IncomingMessage message;
    message.sender = textNumber(f[0].value, f.value(3));
    message.centreTime = textTimestamp(f[2].value);
    QString text = body;
    while (text.endsWith(u'\r') || text.endsWith(u'\n')) {
        text.chop(1);
    }
    // With the header's detail shown (+CSDH=1) the coding scheme tells that a UCS2 text came
    // as its hex digits.
    int dcs = 0;
    if (f.size() > 6 && smallNumber(f[6], 0xFF, &dcs) && alphabetOf(dcs) == Alphabet::Ucs2 &&
        isUcs2Hex(text)) {
        text = ucs2Text(*octetsOf(text));
    }
    message.text = text;
    return message;
}

std::optional<IncomingMessage> PartAssembler::add(const IncomingMessage& part) {
    if (part.concatReference < 0 || part.partCount <= 1) {
        return part;
    }
    if (part.partNumber < 1 || part.partNumber > part.partCount) {
        return std::nullopt;
    }
    const Key key{part.sender, part.concatReference, part.partCount};
    if (!pending_.contains(key) && pending_.size() >= kMaxIncomplete) {
        pending_.erase(pending_.begin());  // a message whose parts never all came
    }
    QMap<int, IncomingMessage>& parts = pending_[key];
    parts.insert(part.partNumber, part);
    if (parts.size() < part.partCount) {
        return std::nullopt;
    }
    IncomingMessage whole = parts.first();
    whole.text.clear();
    for (const IncomingMessage& piece : parts) {
        whole.text += piece.text;
    }
    whole.partNumber = 1;
    pending_.remove(key);
    return whole;
}

}  // namespace pdu
