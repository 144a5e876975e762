#include "pdu/pdu.h"

#include "checks/number_checks.h"
#include "pdu/gsm7_table.h"
#include "pdu/hex_digits.h"

#include <QRandomGenerator>

#include <algorithm>
#include <atomic>

using namespace tesk::pdu;

namespace {

constexpr int kFirstOctetSubmit = 0x11;        // SMS-SUBMIT, relative validity period
constexpr int kFirstOctetSubmitHeader = 0x51;  // the same with a user-data header
constexpr int kStatusReportRequest = 0x20;     // TP-SRR
constexpr int kTypeInternational = 0x91;
constexpr int kTypeUnknown = 0x81;
constexpr int kDcs7Bit = 0x00;
constexpr int kDcsUcs2 = 0x08;
constexpr int kDcsClass0 = 0x10;
constexpr int kValidityLongest = 0xFF;
constexpr int kHeaderOctets = 7;   // UDHL + IEI + IEDL + 2-octet reference + total + part
constexpr int kHeaderSeptets = 8;  // the same 56 bits: 7-bit text starts on a septet boundary

const char kHexDigits[] = "0123456789ABCDEF";

void appendOctet(QString* out, int octet) {
    out->append(QLatin1Char(kHexDigits[(octet >> 4) & 0xF]));
    out->append(QLatin1Char(kHexDigits[octet & 0xF]));
}

// Lenient: a character that is not a hex digit counts as 0 (the incoming codec refuses it).
int hexDigitValue(QChar c) {
    return std::max(0, pdu_detail::hexDigitValue(c));
}

QString encodeAddress(const QString& number, bool serviceCentre) {
    if (number.isEmpty()) {
        return QStringLiteral("00");
    }
    QString digits = number;
    int type = kTypeUnknown;
    if (digits.startsWith(QLatin1Char('+'))) {
        digits.remove(0, 1);
        type = kTypeInternational;
    }
    const int digitCount = static_cast<int>(digits.size());
    if (digits.size() % 2 != 0) {
        digits.append(QLatin1Char('F'));
    }
    QString swapped;
    swapped.reserve(digits.size());
    for (qsizetype i = 0; i + 1 < digits.size(); i += 2) {
        swapped.append(digits.at(i + 1));
        swapped.append(digits.at(i));
    }
    const int length = serviceCentre ? static_cast<int>(swapped.size() / 2) + 1 : digitCount;
    return PDU::BCDEncode(length) + PDU::BCDEncode(type) + swapped;
}

int dataCoding(bool ucs2, bool flash) {
    return (ucs2 ? kDcsUcs2 : kDcs7Bit) | (flash ? kDcsClass0 : 0);
}

// Everything of a PDU up to TP-VP; the caller adds TP-UDL and the user data.
QString pduHead(const QString& number, const QString& smsc, int firstOctet, bool ucs2, bool flash) {
    QString head = PDU::EncodeSMSCAddress(smsc);
    appendOctet(&head, firstOctet);
    appendOctet(&head, 0x00);  // TP-MR: the device assigns the reference
    head += PDU::EncodeDestinationAddress(number);
    appendOctet(&head, 0x00);  // TP-PID
    appendOctet(&head, dataCoding(ucs2, flash));
    appendOctet(&head, kValidityLongest);
    return head;
}

bool sendsAsUcs2(const QString& message, bool unicode) {
    return unicode || PDU::Needs_Unicode(message);
}

// Septets a character takes at `index`, or UTF-16 units for UCS2: a surrogate pair is one
// character of two units and must stay in one part, as must an escape and its extension septet.
int characterWeight(const QString& message, qsizetype index, bool ucs2, qsizetype* width) {
    const QChar c = message.at(index);
    if (ucs2) {
        const bool pair = c.isHighSurrogate() && index + 1 < message.size() &&
                          message.at(index + 1).isLowSurrogate();
        *width = pair ? 2 : 1;
        return pair ? 2 : 1;
    }
    *width = 1;
    const int septet = MapChar(c.unicode());
    return (septet != kNotInTable && (septet & kExtensionFlag)) ? 2 : 1;
}

// A process-wide counter: each long message takes the next value, so parts of two messages to
// the same handset never merge. The random start keeps a restarted program from reusing the
// references of its previous run.
int nextConcatenationReference() {
    static std::atomic<quint32> counter{QRandomGenerator::global()->bounded(0x10000u)};
    return static_cast<int>(counter.fetch_add(1, std::memory_order_relaxed) & 0xFFFFu);
}

}  // namespace

QString Hex(int value) {
    return QString::number(static_cast<uint>(value), 16).toUpper();
}

int Asc(const QString& text) {
    return text.isEmpty() ? 0 : (text.at(0).unicode() & 0xFF);
}

int AscW(const QString& text) {
    return text.isEmpty() ? 0 : text.at(0).unicode();
}

QString PDU::BCDEncode(int value) {
    return PadZero(Hex(value), 2);
}

QString PDU::PadZero(const QString& text, int length) {
    return text.rightJustified(length, QLatin1Char('0'));
}

QString PDU::EncodeSMSCAddress(const QString& number) {
    return encodeAddress(number, true);
}

QString PDU::EncodeDestinationAddress(const QString& number) {
    return encodeAddress(number, false);
}

QByteArray PDU::MapTo7BitAlphabet(const QString& text) {
    QByteArray septets;
    septets.reserve(text.size() + 8);
    for (const QChar c : text) {
        const int septet = MapChar(c.unicode());
        if (septet == kNotInTable) {
            // Outside the alphabet: the low byte, of which the packing keeps 7 bits. Texts with
            // such characters go as UCS2, so this only matters to direct callers.
            septets.append(static_cast<char>(c.unicode() & 0xFF));
        } else if (septet & kExtensionFlag) {
            septets.append(static_cast<char>(kEscapeSeptet));
            septets.append(static_cast<char>(septet & 0x7F));
        } else {
            septets.append(static_cast<char>(septet));
        }
    }
    return septets;
}

QString PDU::EncodeUserData(const QByteArray& septets) {
    QString hex;
    hex.reserve((septets.size() * 7 + 7) / 8 * 2);
    quint32 bits = 0;
    int bitCount = 0;
    for (const char septet : septets) {
        bits |= (static_cast<quint32>(static_cast<quint8>(septet)) & 0x7Fu) << bitCount;
        bitCount += 7;
        while (bitCount >= 8) {
            appendOctet(&hex, static_cast<int>(bits & 0xFFu));
            bits >>= 8;
            bitCount -= 8;
        }
    }
    if (bitCount > 0) {
        appendOctet(&hex, static_cast<int>(bits & 0xFFu));
    }
    return hex;
}

QString PDU::EncodeUserData_16_bit(const QString& text) {
    QString hex;
    hex.reserve(text.size() * 4);
    for (const QChar c : text) {
        const int unit = c.unicode();
        appendOctet(&hex, unit >> 8);
        appendOctet(&hex, unit & 0xFF);
    }
    return hex;
}

QString PDU::DecodeUserData(const QString& hex) {
    // A lone trailing digit is the high nibble of an octet whose low nibble is missing.
    const qsizetype octetCount = (hex.size() + 1) / 2;
    QList<quint8> septets;
    septets.reserve(octetCount * 8 / 7 + 1);
    quint32 bits = 0;
    int bitCount = 0;
    for (qsizetype i = 0; i < octetCount; ++i) {
        const int high = hexDigitValue(hex.at(2 * i));
        const int low = 2 * i + 1 < hex.size() ? hexDigitValue(hex.at(2 * i + 1)) : 0;
        bits |= static_cast<quint32>((high << 4) | low) << bitCount;
        bitCount += 8;
        while (bitCount >= 7) {
            septets.append(static_cast<quint8>(bits & 0x7Fu));
            bits >>= 7;
            bitCount -= 7;
        }
    }
    // Seven octets hold eight septets; when the text had seven, the eighth is the zero padding.
    if (octetCount % 7 == 0 && !septets.isEmpty() && septets.last() == 0) {
        septets.removeLast();
    }
    QString text;
    text.reserve(septets.size());
    for (qsizetype i = 0; i < septets.size(); ++i) {
        const quint8 septet = septets.at(i);
        if (septet != kEscapeSeptet) {
            text.append(QChar(kGsmBasic[septet]));
        } else if (i + 1 < septets.size()) {
            const quint8 code = septets.at(++i);
            const char16_t extension = ExtensionChar(code);
            // An extension code without a symbol reads as the default-table character.
            text.append(QChar(extension != kNoCharacter ? extension
                              : code == kEscapeSeptet   ? u' '
                                                        : kGsmBasic[code]));
        }
    }
    return text;
}

QString PDU::DecodeUserData_16_bit(const QString& hex) {
    QString text;
    text.reserve(hex.size() / 4);
    for (qsizetype i = 0; i + 4 <= hex.size(); i += 4) {
        text.append(QChar(static_cast<char16_t>(hex2int(hex.mid(i, 4)))));
    }
    return text;
}

int PDU::hex2int(const QString& hex) {
    quint32 value = 0;
    for (const QChar c : hex) {
        value = (value << 4) | static_cast<quint32>(hexDigitValue(c));
    }
    return static_cast<int>(value);
}

bool PDU::Needs_Unicode(const QString& text) {
    return needsUcs2(text);
}

QString PDU::EncodePDU(const QString& message, const QString& number, const QString& smsc,
                       bool includeSmsc, bool flash, bool unicode) {
    if (!includeSmsc) {
        return QString();
    }
    const bool ucs2 = sendsAsUcs2(message, unicode);
    QString pdu = pduHead(number, smsc, firstOctet(kFirstOctetSubmit), ucs2, flash);
    if (ucs2) {
        appendOctet(&pdu, static_cast<int>(message.size() * 2) & 0xFF);
        pdu += EncodeUserData_16_bit(message);
    } else {
        const QByteArray septets = MapTo7BitAlphabet(message);
        appendOctet(&pdu, static_cast<int>(qMax(septets.size(), message.size())) & 0xFF);
        pdu += EncodeUserData(septets);
    }
    return pdu;
}

QList<int> PDU::Part_Sizes(const QString& message, bool unicode) {
    const bool ucs2 = sendsAsUcs2(message, unicode);
    const int limit = ucs2 ? kUnitsPerPart : kSeptetsPerPart;
    QList<int> sizes{0};
    for (qsizetype i = 0; i < message.size();) {
        qsizetype width = 1;
        const int weight = characterWeight(message, i, ucs2, &width);
        if (sizes.last() + weight > limit) {
            sizes.append(0);
        }
        sizes.last() += weight;
        i += width;
    }
    return sizes;
}

int PDU::Part_Count(const QString& message, bool unicode) {
    return static_cast<int>(Part_Sizes(message, unicode).size());
}

int PDU::Tpdu_Octets(const QString& pdu) {
    if (pdu.size() < 2) {
        return 0;
    }
    const int serviceCentreOctets = 1 + hex2int(pdu.left(2));
    return qMax(0, static_cast<int>(pdu.size() / 2) - serviceCentreOctets);
}

bool PDU::Fits_Single_Message(const QString& message, const QString& number, const QString& smsc,
                              bool unicode) {
    const bool ucs2 = sendsAsUcs2(message, unicode);
    const qsizetype length =
        ucs2 ? message.size() : qMax(MapTo7BitAlphabet(message).size(), message.size());
    if (length > (ucs2 ? kSingleUnits : kSingleSeptets)) {
        return false;
    }
    return Tpdu_Octets(EncodePDU(message, number, smsc, true, false, ucs2)) <= kMaxTpduOctets;
}

int PDU::Pdu_Mode_Submissions(const QString& message, const QString& number, bool unicode) {
    const bool ucs2 = sendsAsUcs2(message, unicode);
    PDU pdu;
    return pdu.Fits_Single_Message(message, number, QString(), ucs2) ? 1
                                                                     : Part_Count(message, ucs2);
}

bool PDU::Text_Mode_Wide(const QString& message, bool unicode) {
    static const QString differing = QStringLiteral("@$_`[\\]^{|}~");
    if ((unicode && needsUcs2(message)) || hasNonEnglishText(message)) {
        return true;
    }
    for (const QChar c : message) {
        if (differing.contains(c)) {
            return true;
        }
    }
    return false;
}

int PDU::Text_Mode_Submissions(const QString& message, const QString& number, bool unicode) {
    const bool wide = Text_Mode_Wide(message, unicode);
    PDU pdu;
    if (pdu.Fits_Single_Message(message, number, QString(), wide)) {
        return 1;
    }
    const qsizetype units = wide ? kTextModeWideChars : kTextModeChars;
    int parts = 0;
    for (qsizetype at = 0; at < message.size() || parts == 0; ++parts) {
        qsizetype cut = qMin(units, message.size() - at);
        if (message.size() - at > units && message.at(at + cut - 1).isHighSurrogate()) {
            --cut;
        }
        at += qMax<qsizetype>(cut, 1);
    }
    return parts;
}

int PDU::firstOctet(int base) const {
    return statusReportRequest_ ? base | kStatusReportRequest : base;
}

void PDU::prepareLongMessage(const QString& message, bool unicode) {
    windows_.clear();
    windowUdl_.clear();
    const QList<int> sizes = Part_Sizes(message, unicode);
    if (unicode) {
        qsizetype offset = 0;
        for (const int units : sizes) {
            windows_.append(EncodeUserData_16_bit(message.mid(offset, units)));
            windowUdl_.append(kHeaderOctets + 2 * units);
            offset += units;
        }
    } else {
        const QByteArray septets = MapTo7BitAlphabet(message);
        qsizetype offset = 0;
        for (const int count : sizes) {
            windows_.append(EncodeUserData(septets.mid(offset, count)));
            windowUdl_.append(kHeaderSeptets + count);
            offset += count;
        }
    }
    longMessage_ = message;
    longUnicode_ = unicode;
    longPrepared_ = true;
    reference_ = nextConcatenationReference();
}

QString PDU::Encode_UDH_PDU(const QString& message, const QString& number, const QString& smsc,
                            bool includeSmsc, bool flash, int totalParts, int part, bool unicode) {
    if (!includeSmsc || part < 1 || part > totalParts || totalParts > 0xFF) {
        return QString();
    }
    const bool ucs2 = sendsAsUcs2(message, unicode);
    // The first part always begins a message, so one instance reused for the same text to two
    // recipients still gives each its own reference.
    if (part == 1 || !longPrepared_ || longUnicode_ != ucs2 || longMessage_ != message) {
        prepareLongMessage(message, ucs2);
    }
    if (part > windows_.size()) {
        return QString();
    }
    QString pdu = pduHead(number, smsc, firstOctet(kFirstOctetSubmitHeader), ucs2, flash);
    appendOctet(&pdu, windowUdl_.at(part - 1));
    appendOctet(&pdu, kHeaderOctets - 1);  // UDHL
    appendOctet(&pdu, 0x08);               // IEI: concatenated message, 16-bit reference
    appendOctet(&pdu, 0x04);               // IEDL
    appendOctet(&pdu, reference_ >> 8);
    appendOctet(&pdu, reference_ & 0xFF);
    appendOctet(&pdu, totalParts);
    appendOctet(&pdu, part);
    pdu += windows_.at(part - 1);
    return pdu;
}
