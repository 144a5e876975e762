#include "virtual-modem/network_pdus.h"

#include "virtual-modem/gsm_alphabet.h"

namespace tesk::vmodem {
namespace {

constexpr int kSingleSeptets = 160;
constexpr int kSingleOctets = 140;
constexpr int kMaxParts = 255;

QString hexOctet(int value) {
    return QStringLiteral("%1").arg(value & 0xFF, 2, 16, QLatin1Char('0')).toUpper();
}

QString hexOf(const QByteArray& octets) {
    return QString::fromLatin1(octets.toHex().toUpper());
}

bool isDialString(const QString& text) {
    if (text.isEmpty()) {
        return false;
    }
    for (const QChar c : text) {
        if (!c.isDigit() && c != QLatin1Char('*') && c != QLatin1Char('#')) {
            return false;
        }
    }
    return true;
}

// Digits as swapped semi-octets, an odd count filled with F.
QString semiOctets(const QString& digits) {
    static const QString kCodes = QStringLiteral("0123456789*#");
    QString out;
    for (qsizetype i = 0; i < digits.size(); i += 2) {
        const int low = int(kCodes.indexOf(digits[i]));
        const int high = i + 1 < digits.size() ? int(kCodes.indexOf(digits[i + 1])) : 0xF;
        out += hexOctet(high << 4 | low);
    }
    return out;
}

// TP-OA / TP-RA: length in semi-octets, type of address, value.
QString addressField(const QString& address) {
    const bool international = address.startsWith(QLatin1Char('+'));
    const QString digits = international ? address.mid(1) : address;
    if (isDialString(digits)) {
        return hexOctet(int(digits.size())) + (international ? "91" : "81") + semiOctets(digits);
    }
    // A sender name: GSM septets, its length the semi-octets they fill.
    QList<quint8> septets;
    if (!TextToGsmSeptets(address.left(11), &septets)) {
        septets = {0x3F};  // "?"
    }
    const int semi = int((septets.size() * 7 + 3) / 4);
    return hexOctet(semi) + "D0" + hexOf(PackSeptets(septets, 0));
}

QString serviceCentreField(const QString& number) {
    const bool international = number.startsWith(QLatin1Char('+'));
    const QString digits = international ? number.mid(1) : number;
    if (!isDialString(digits)) {
        return QStringLiteral("00");
    }
    return hexOctet(int(1 + (digits.size() + 1) / 2)) + (international ? "91" : "81") +
           semiOctets(digits);
}

// TP-SCTS / TP-DT: each two-digit value with its digits swapped; the zone in quarter hours,
// bit 3 of its first digit the sign.
QString timestampField(const QDateTime& when) {
    const QDate d = when.date();
    const QTime t = when.time();
    QString out;
    for (const int value : {d.year() % 100, d.month(), d.day(), t.hour(), t.minute(), t.second()}) {
        out += QString::number(value % 10) + QString::number(value / 10);
    }
    const int offset = when.offsetFromUtc();
    const int quarters = qAbs(offset) / 900;
    out += QString::number(quarters % 10) +
           QString::number((quarters / 10) | (offset < 0 ? 8 : 0), 16).toUpper();
    return out;
}

int tpduOctets(const QString& pdu, const QString& centreField) {
    return int((pdu.size() - centreField.size()) / 2);
}

// The characters of a text in the units one part may hold: a character, its escape with it,
// or a surrogate pair, never split.
struct Piece {
    QString text;
    QList<quint8> septets;  // GSM 7-bit only
    int size = 0;           // septets, or octets
};

QList<Piece> piecesOf(const QString& text, IncomingSms::Coding coding) {
    QList<Piece> pieces;
    for (qsizetype i = 0; i < text.size(); ++i) {
        Piece piece;
        piece.text = text.mid(i, 1);
        if (coding == IncomingSms::Coding::Ucs2 && text[i].isHighSurrogate() &&
            i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            piece.text = text.mid(i++, 2);
        }
        if (coding == IncomingSms::Coding::Gsm7) {
            TextToGsmSeptets(piece.text, &piece.septets);
            piece.size = int(piece.septets.size());
        } else {
            piece.size = coding == IncomingSms::Coding::Ucs2 ? int(piece.text.size() * 2) : 1;
        }
        pieces.append(piece);
    }
    return pieces;
}

}  // namespace

QString TextModeTime(const QDateTime& when) {
    const int quarters = when.offsetFromUtc() / 900;
    return when.toString(QStringLiteral("yy/MM/dd,hh:mm:ss")) + (quarters < 0 ? "-" : "+") +
           QStringLiteral("%1").arg(qAbs(quarters), 2, 10, QLatin1Char('0'));
}

QList<DeliverPart> EncodeDeliver(const IncomingSms& sms, const QString& serviceCentre,
                                 const QDateTime& centreTime, int reference) {
    IncomingSms::Coding coding = sms.coding;
    QList<quint8> all;
    if (coding == IncomingSms::Coding::Auto || coding == IncomingSms::Coding::Gsm7) {
        coding = TextToGsmSeptets(sms.text, &all) ? IncomingSms::Coding::Gsm7
                                                  : IncomingSms::Coding::Ucs2;
    }
    const bool septets = coding == IncomingSms::Coding::Gsm7;
    const QList<Piece> pieces = piecesOf(sms.text, coding);
    const int single = septets ? kSingleSeptets : kSingleOctets;
    const int headerOctets = sms.reference16 ? 7 : 6;
    const int headerSeptets = (headerOctets * 8 + 6) / 7;
    int total = 0;
    for (const Piece& p : pieces) {
        total += p.size;
    }
    // Pieces per part: everything in one when it fits, else windows that leave room for the
    // concatenation header.
    QList<QList<Piece>> parts{{}};
    if (total > single) {
        const int room = septets ? single - headerSeptets : single - headerOctets;
        int used = 0;
        for (const Piece& p : pieces) {
            if (used + p.size > room) {
                parts.append(QList<Piece>());
                used = 0;
            }
            parts.last().append(p);
            used += p.size;
        }
    } else {
        parts.last() = pieces;
    }
    parts = parts.mid(0, kMaxParts);
    const bool concatenated = parts.size() > 1;
    const QString centre = serviceCentreField(serviceCentre);
    const QString dcs = septets ? "00" : coding == IncomingSms::Coding::Ucs2 ? "08" : "04";

    QList<DeliverPart> out;
    for (qsizetype n = 0; n < parts.size(); ++n) {
        QByteArray header;
        if (concatenated) {
            header = sms.reference16
                         ? QByteArray::fromHex("060804") + char(reference >> 8) + char(reference)
                         : QByteArray::fromHex("050003") + char(reference);
            header += char(parts.size());
            header += char(n + 1);
        }
        DeliverPart part;
        part.sender = sms.sender;
        part.centreTime = centreTime;
        part.wide = !septets;
        QByteArray data;
        int udl = 0;
        if (septets) {
            QList<quint8> s;
            for (const Piece& p : parts[n]) {
                s += p.septets;
                part.text += p.text;
            }
            const int skip = concatenated ? headerSeptets : 0;
            data = PackSeptets(s, skip * 7);
            data.replace(0, header.size(), header);
            udl = skip + int(s.size());
        } else {
            data = header;
            for (const Piece& p : parts[n]) {
                part.text += p.text;
                for (const QChar c : p.text) {
                    if (coding == IncomingSms::Coding::Ucs2) {
                        data += char(c.unicode() >> 8);
                        data += char(c.unicode() & 0xFF);
                    } else {
                        data += char(c.unicode() <= 0xFF ? c.unicode() : '?');
                    }
                }
            }
            udl = int(data.size());
        }
        // TP-MMS set (no more messages waiting), TP-UDHI with the header; PID 0.
        part.pdu = centre + hexOctet(concatenated ? 0x44 : 0x04) + addressField(sms.sender) + "00" +
                   dcs + timestampField(centreTime) + hexOctet(udl) + hexOf(data);
        part.tpduOctets = tpduOctets(part.pdu, centre);
        out.append(part);
    }
    return out;
}

StatusReportPdu EncodeStatusReport(const QString& serviceCentre, int reference,
                                   const QString& recipient, const QDateTime& submitted,
                                   const QDateTime& discharged, int status) {
    StatusReportPdu report;
    const QString centre = serviceCentreField(serviceCentre);
    // First octet 06: SMS-STATUS-REPORT, TP-MMS set; the report answers a submission (TP-SRQ 0).
    report.pdu = centre + "06" + hexOctet(reference) + addressField(recipient) +
                 timestampField(submitted) + timestampField(discharged) + hexOctet(status);
    report.tpduOctets = tpduOctets(report.pdu, centre);
    const int type = recipient.startsWith(QLatin1Char('+')) ? 145 : 129;
    report.textFields = QStringLiteral("6,%1,\"%2\",%3,\"%4\",\"%5\",%6")
                            .arg(reference)
                            .arg(recipient)
                            .arg(type)
                            .arg(TextModeTime(submitted), TextModeTime(discharged))
                            .arg(status);
    return report;
}

}  // namespace tesk::vmodem
