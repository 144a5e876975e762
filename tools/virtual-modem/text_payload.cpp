#include "virtual-modem/text_payload.h"

#include "virtual-modem/gsm_alphabet.h"

#include <QStringDecoder>

#include <cctype>

namespace tesk::vmodem {
namespace {

bool validUtf8(const QByteArray& bytes) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString ignored = decoder.decode(bytes);
    return !decoder.hasError();
}

// Length of the UTF-8 sequence that starts at `i`, 0 when none starts there.
int utf8SequenceAt(const QByteArray& bytes, qsizetype i) {
    const auto lead = static_cast<quint8>(bytes[i]);
    const int length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
    if (length == 0 || i + length > bytes.size()) {
        return 0;
    }
    return validUtf8(bytes.mid(i, length)) ? length : 0;
}

QString sevenBitSet(const QByteArray& bytes, bool gsm) {
    QString text;
    QByteArray run;
    auto flush = [&] {
        text += gsm ? GsmBytesToText(run) : QString::fromLatin1(run);
        run.clear();
    };
    for (qsizetype i = 0; i < bytes.size();) {
        const auto b = static_cast<quint8>(bytes[i]);
        if (b < 0x80) {
            run.append(char(b));
            ++i;
            continue;
        }
        flush();
        if (const int n = utf8SequenceAt(bytes, i)) {
            text += QString::fromUtf8(bytes.mid(i, n));
            i += n;
        } else {
            text.append(QChar(b));
            ++i;
        }
    }
    flush();
    return text;
}

bool hexOctets(const QByteArray& bytes, QByteArray* out) {
    QByteArray digits;
    for (const char c : bytes) {
        if (c == '\n' || c == '\r' || c == ' ') {
            continue;
        }
        if (!std::isxdigit(static_cast<unsigned char>(c))) {
            return false;
        }
        digits.append(c);
    }
    if (digits.size() % 2 != 0) {
        return false;
    }
    *out = QByteArray::fromHex(digits);
    return true;
}

QString utf16be(const QByteArray& octets) {
    QString text;
    for (qsizetype i = 0; i + 1 < octets.size(); i += 2) {
        text.append(QChar(
            char16_t(static_cast<quint8>(octets[i]) << 8 | static_cast<quint8>(octets[i + 1]))));
    }
    return text;
}

}  // namespace

TextPayload DecodeTextPayload(const QByteArray& bytes, const QString& charset,
                              const DataCoding& coding) {
    TextPayload result;
    if (charset == QLatin1String("GSM") || charset == QLatin1String("IRA")) {
        result.text = sevenBitSet(bytes, charset == QLatin1String("GSM"));
        result.ok = true;
        return result;
    }
    QByteArray octets;
    if (!hexOctets(bytes, &octets)) {
        result.error = QStringLiteral("not hexadecimal octets");
        return result;
    }
    const bool ucs2 = charset == QLatin1String("UCS2") || coding.alphabet == Alphabet::Ucs2;
    if (ucs2) {
        if (octets.size() % 2 != 0) {
            result.error = QStringLiteral("UCS2 text with an odd number of octets");
            return result;
        }
        result.text = utf16be(octets);
    } else if (coding.alphabet == Alphabet::EightBit) {
        result.text = EightBitToText(octets);
    } else {
        result.text = validUtf8(octets) ? QString::fromUtf8(octets) : GsmBytesToText(octets);
    }
    result.ok = true;
    return result;
}

QString DecodeTeString(const QString& value, const QString& charset) {
    if (charset != QLatin1String("UCS2") || value.isEmpty() || value.size() % 4 != 0) {
        return value;
    }
    QByteArray octets;
    if (!hexOctets(value.toLatin1(), &octets)) {
        return value;
    }
    const QString decoded = utf16be(octets);
    for (const QChar c : decoded) {
        if (!c.isDigit() && c != QLatin1Char('+') && c != QLatin1Char('*') &&
            c != QLatin1Char('#')) {
            return value;  // not a number in UCS2 hexadecimal: the digits were the number itself
        }
    }
    return decoded;
}

QString ToUcs2Hex(const QString& text) {
    QString hex;
    for (const QChar c : text) {
        hex += QStringLiteral("%1").arg(c.unicode(), 4, 16, QLatin1Char('0')).toUpper();
    }
    return hex;
}

}  // namespace tesk::vmodem
