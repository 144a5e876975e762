#include "virtual-modem/sms_submit_decoder.h"

#include "virtual-modem/gsm_alphabet.h"

#include <cctype>

namespace tesk::vmodem {
namespace {

constexpr int kMaxSeptets = 160;
constexpr int kMaxOctets = 140;
constexpr int kMaxAddressDigits = 20;
constexpr int kMaxScaOctets = 11;  // type octet plus ten octets of digits

// Sequential reader that turns every overrun into an error instead of a read past the end.
class Reader {
  public:
    explicit Reader(const QByteArray& data) : data_(data) {}
    bool take(int n, QByteArray* out, const char* what) {
        if (n < 0 || pos_ + n > data_.size()) {
            return fail(QStringLiteral("%1 runs past the end of the PDU").arg(QLatin1String(what)));
        }
        *out = data_.mid(pos_, n);
        pos_ += n;
        return true;
    }
    bool octet(int* out, const char* what) {
        QByteArray one;
        if (!take(1, &one, what)) {
            return false;
        }
        *out = static_cast<quint8>(one[0]);
        return true;
    }
    bool fail(const QString& why) {
        if (error_.isEmpty()) {
            error_ = why;
        }
        return false;
    }
    int pos() const { return pos_; }
    int remaining() const { return int(data_.size()) - pos_; }
    QString error() const { return error_; }

  private:
    const QByteArray& data_;
    int pos_ = 0;
    QString error_;
};

QChar semiOctetDigit(int nibble) {
    static constexpr char kDigits[] = "0123456789*#abc";
    return QLatin1Char(kDigits[nibble]);
}

// Semi-octet digits, low nibble first. `digits` nibbles are digits; any nibble beyond them in
// the last octet must be the F filler.
bool decodeSemiOctets(const QByteArray& octets, int digits, Reader& r, QString* out) {
    for (int i = 0; i < octets.size() * 2; ++i) {
        const auto b = static_cast<quint8>(octets[i / 2]);
        const int nibble = (i % 2 == 0) ? (b & 0x0F) : (b >> 4);
        if (i >= digits) {
            if (nibble != 0x0F) {
                return r.fail(QStringLiteral("odd-length number without the F filler"));
            }
        } else if (nibble == 0x0F) {
            return r.fail(QStringLiteral("F filler inside the number"));
        } else {
            out->append(semiOctetDigit(nibble));
        }
    }
    return true;
}

bool checkTypeOfAddress(int toa, Reader& r, const char* what) {
    if ((toa & 0x80) == 0) {
        return r.fail(
            QStringLiteral("%1 type of address lacks its top bit").arg(QLatin1String(what)));
    }
    return true;
}

bool readServiceCentre(Reader& r, SmsSubmit* sms) {
    int length = 0;
    if (!r.octet(&length, "SMSC length")) {
        return false;
    }
    sms->scaOctets = 1 + length;
    if (length == 0) {
        return true;
    }
    if (length > kMaxScaOctets) {
        return r.fail(QStringLiteral("SMSC length %1 is too long").arg(length));
    }
    int toa = 0;
    QByteArray digits;
    if (!r.octet(&toa, "SMSC") || !checkTypeOfAddress(toa, r, "SMSC") ||
        !r.take(length - 1, &digits, "SMSC")) {
        return false;
    }
    int count = (length - 1) * 2;
    if (count > 0 && (static_cast<quint8>(digits.back()) >> 4) == 0x0F) {
        --count;
    }
    QString number;
    if (!decodeSemiOctets(digits, count, r, &number)) {
        return false;
    }
    sms->serviceCentre = (((toa >> 4) & 7) == 1 ? QStringLiteral("+") : QString()) + number;
    return true;
}

bool readDestination(Reader& r, SmsSubmit* sms) {
    int digits = 0;
    if (!r.octet(&digits, "destination length") || !r.octet(&sms->numberType, "destination")) {
        return false;
    }
    if (digits > kMaxAddressDigits) {
        return r.fail(QStringLiteral("destination length %1 is too long").arg(digits));
    }
    if (!checkTypeOfAddress(sms->numberType, r, "destination")) {
        return false;
    }
    QByteArray octets;
    if (!r.take((digits + 1) / 2, &octets, "destination")) {
        return false;
    }
    const int ton = (sms->numberType >> 4) & 7;
    if (ton == 5) {  // alphanumeric: packed 7-bit characters, the length counts semi-octets
        QList<quint8> septets;
        UnpackSeptets(octets, 0, digits * 4 / 7, &septets);
        sms->number = GsmSeptetsToText(septets);
        return true;
    }
    QString number;
    if (!decodeSemiOctets(octets, digits, r, &number)) {
        return false;
    }
    sms->number = (ton == 1 ? QStringLiteral("+") : QString()) + number;
    return true;
}

bool readValidity(Reader& r, SmsSubmit* sms) {
    switch ((sms->firstOctet >> 3) & 3) {
        case 0:
            sms->validityFormat = ValidityFormat::None;
            return true;
        case 2:
            sms->validityFormat = ValidityFormat::Relative;
            break;
        case 1:
            sms->validityFormat = ValidityFormat::Enhanced;
            break;
        default:
            sms->validityFormat = ValidityFormat::Absolute;
            break;
    }
    const int length = sms->validityFormat == ValidityFormat::Relative ? 1 : 7;
    return r.take(length, &sms->validity, "validity period");
}

// Walks the information elements; only the two concatenation elements are understood.
bool readHeader(const QByteArray& header, Reader& r, SmsSubmit* sms) {
    int i = 0;
    while (i < header.size()) {
        if (i + 2 > header.size()) {
            return r.fail(QStringLiteral("truncated information element in the header"));
        }
        const int iei = static_cast<quint8>(header[i]);
        const int length = static_cast<quint8>(header[i + 1]);
        if (i + 2 + length > header.size()) {
            return r.fail(QStringLiteral("information element %1 runs past the header").arg(iei));
        }
        const auto at = [&](int k) { return int(static_cast<quint8>(header[i + 2 + k])); };
        if (iei == 0x00 || iei == 0x08) {
            const bool ref16 = iei == 0x08;
            if (length != (ref16 ? 4 : 3)) {
                return r.fail(QStringLiteral("concatenation element with length %1").arg(length));
            }
            sms->concatRef16 = ref16;
            sms->concatRef = ref16 ? (at(0) << 8 | at(1)) : at(0);
            sms->concatTotal = at(ref16 ? 2 : 1);
            sms->concatPart = at(ref16 ? 3 : 2);
            // A recipient's phone cannot place such a part (TS 23.040 9.2.3.24.1 has it
            // ignored); a sender that writes one has a fault worth seeing.
            if (sms->concatPart < 1 || sms->concatPart > sms->concatTotal) {
                return r.fail(QStringLiteral("concatenation part %1 of %2")
                                  .arg(sms->concatPart)
                                  .arg(sms->concatTotal));
            }
        }
        i += 2 + length;
    }
    return true;
}

QString ucs2ToText(const QByteArray& octets) {
    QString text;
    text.reserve(octets.size() / 2);
    for (qsizetype i = 0; i + 1 < octets.size(); i += 2) {
        const auto unit =
            char16_t(static_cast<quint8>(octets[i]) << 8 | static_cast<quint8>(octets[i + 1]));
        text.append(QChar(unit));  // surrogate halves stay as they are: QString is UTF-16 too
    }
    return text;
}

bool readUserData(Reader& r, SmsSubmit* sms) {
    if (!r.octet(&sms->userDataLength, "user data length")) {
        return false;
    }
    const int udl = sms->userDataLength;
    const bool septets = sms->coding.alphabet == Alphabet::Gsm7 && !sms->coding.compressed;
    if (udl > (septets ? kMaxSeptets : kMaxOctets)) {
        return r.fail(QStringLiteral("user data length %1 is too long").arg(udl));
    }
    const int octetCount = septets ? (udl * 7 + 7) / 8 : udl;
    QByteArray ud;
    if (!r.take(octetCount, &ud, "user data")) {
        return false;
    }
    if (r.remaining() > 0) {
        return r.fail(QStringLiteral("%1 octets after the user data").arg(r.remaining()));
    }
    int headerOctets = 0;
    if (sms->hasHeader) {
        if (ud.isEmpty()) {
            return r.fail(QStringLiteral("header indicated but no user data"));
        }
        headerOctets = 1 + static_cast<quint8>(ud[0]);
        if (headerOctets > ud.size() || (septets && headerOctets * 8 > udl * 7)) {
            return r.fail(QStringLiteral("user data header runs past the user data"));
        }
        if (!readHeader(ud.mid(1, headerOctets - 1), r, sms)) {
            return false;
        }
    }
    if (septets) {
        // The text starts at the first septet boundary after the header (fill bits between).
        const int headerSeptets = (headerOctets * 8 + 6) / 7;
        QList<quint8> text;
        if (!UnpackSeptets(ud, headerSeptets * 7, udl - headerSeptets, &text)) {
            return r.fail(QStringLiteral("7-bit user data shorter than its length"));
        }
        sms->text = GsmSeptetsToText(text);
        return true;
    }
    const QByteArray body = ud.mid(headerOctets);
    if (sms->coding.alphabet == Alphabet::Ucs2 && !sms->coding.compressed) {
        if (body.size() % 2 != 0) {
            return r.fail(QStringLiteral("UCS2 user data with an odd number of octets"));
        }
        sms->text = ucs2ToText(body);
    } else {
        sms->text = EightBitToText(body);
    }
    return true;
}

bool hexToOctets(const QString& hex, QByteArray* out, QString* error) {
    if (hex.size() % 2 != 0) {
        *error = QStringLiteral("odd number of hexadecimal digits");
        return false;
    }
    for (const QChar c : hex) {
        if (c.unicode() >= 0x80 || !std::isxdigit(c.unicode())) {
            *error = QStringLiteral("not a hexadecimal digit: '%1'").arg(c);
            return false;
        }
    }
    *out = QByteArray::fromHex(hex.toLatin1());
    return true;
}

}  // namespace

DataCoding DescribeDcs(int dcs) {
    DataCoding coding;
    const int group = (dcs >> 4) & 0x0F;
    if (group <= 0x07) {  // general data coding, with or without automatic deletion
        coding.compressed = (dcs & 0x20) != 0;
        switch ((dcs >> 2) & 3) {
            case 1:
                coding.alphabet = Alphabet::EightBit;
                break;
            case 2:
                coding.alphabet = Alphabet::Ucs2;
                break;
            default:
                coding.alphabet = Alphabet::Gsm7;
                break;  // 3 is reserved: default alphabet
        }
        if (dcs & 0x10) {
            coding.messageClass = dcs & 3;
        }
    } else if (group == 0x0E) {  // message waiting, store, UCS2
        coding.alphabet = Alphabet::Ucs2;
    } else if (group == 0x0F) {  // data coding / message class
        coding.alphabet = (dcs & 0x04) ? Alphabet::EightBit : Alphabet::Gsm7;
        coding.messageClass = dcs & 3;
    }
    // Reserved groups and the other message-waiting groups use the default alphabet.
    return coding;
}

QString AlphabetName(Alphabet alphabet) {
    switch (alphabet) {
        case Alphabet::EightBit:
            return QStringLiteral("8bit");
        case Alphabet::Ucs2:
            return QStringLiteral("ucs2");
        case Alphabet::Gsm7:
            break;
    }
    return QStringLiteral("gsm7");
}

QString EightBitToText(const QByteArray& octets) {
    QString text;
    for (const char c : octets) {
        const auto b = static_cast<quint8>(c);
        if (((b >= 0x20 && b < 0x7F) || b >= 0xA0) && b != '\\') {
            text.append(QChar(b));
        } else {
            text.append(QString::asprintf("\\x%02X", unsigned(b)));
        }
    }
    return text;
}

SmsSubmit DecodeSmsSubmit(const QString& hex) {
    SmsSubmit sms;
    QByteArray data;
    if (!hexToOctets(hex, &data, &sms.error)) {
        return sms;
    }
    Reader r(data);
    const bool ok = [&] {
        if (!readServiceCentre(r, &sms)) {
            return false;
        }
        if (!r.octet(&sms.firstOctet, "first octet")) {
            return false;
        }
        if ((sms.firstOctet & 3) != 1) {
            return r.fail(
                QStringLiteral("not an SMS-SUBMIT (message type %1)").arg(sms.firstOctet & 3));
        }
        sms.rejectDuplicates = sms.firstOctet & 0x04;
        sms.statusReportRequest = sms.firstOctet & 0x20;
        sms.hasHeader = sms.firstOctet & 0x40;
        sms.replyPath = sms.firstOctet & 0x80;
        if (!r.octet(&sms.messageReference, "message reference") || !readDestination(r, &sms) ||
            !r.octet(&sms.pid, "protocol identifier") || !r.octet(&sms.dcs, "data coding scheme")) {
            return false;
        }
        sms.coding = DescribeDcs(sms.dcs);
        return readValidity(r, &sms) && readUserData(r, &sms);
    }();
    sms.tpduOctets = int(data.size()) - sms.scaOctets;
    sms.ok = ok;
    sms.error = ok ? QString() : r.error();
    return sms;
}

}  // namespace tesk::vmodem
