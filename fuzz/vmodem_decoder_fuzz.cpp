// The virtual modem's PDU decoder on arbitrary text and hexadecimal. The first byte chooses
// whether the rest is taken as text as it stands or turned into hexadecimal first (so that the
// decoder gets past its syntax checks into the fields). Properties:
// - it never reads past its input (the sanitizers watch) and always answers: ok, or an error
//   text saying why;
// - what it accepts is consistent: the TPDU length is the hex length less the service-centre
//   field, a concatenation part lies within 1..total, a message class is -1..3;
// - 8-bit user data shown as text is printable and reads back to the same octets.
#include "fuzz_check.h"
#include "virtual-modem/sms_submit_decoder.h"

namespace {

QByteArray Octets_Of_Shown(const QString& shown) {
    QByteArray octets;
    for (qsizetype i = 0; i < shown.size(); ++i) {
        if (shown.at(i) == u'\\' && i + 3 < shown.size() && shown.at(i + 1) == u'x') {
            octets.append(static_cast<char>(shown.mid(i + 2, 2).toInt(nullptr, 16)));
            i += 3;
        } else {
            octets.append(static_cast<char>(shown.at(i).toLatin1()));
        }
    }
    return octets;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    tesk::fuzz::Input input(data, size);
    const uint8_t mode = input.Byte();
    const QByteArray rest = input.Rest();
    const QString hex =
        (mode & 1) ? QString::fromLatin1(rest.toHex().toUpper()) : QString::fromUtf8(rest);
    const tesk::vmodem::SmsSubmit sms = tesk::vmodem::DecodeSmsSubmit(hex);
    FUZZ_CHECK(sms.ok == sms.error.isEmpty(), sms.error);
    if (sms.ok) {
        FUZZ_CHECK(sms.tpduOctets == hex.size() / 2 - sms.scaOctets,
                   QStringLiteral("%1 octets").arg(sms.tpduOctets));
        FUZZ_CHECK(sms.coding.messageClass >= -1 && sms.coding.messageClass <= 3, hex);
        if (sms.concatRef >= 0) {
            FUZZ_CHECK(sms.concatPart >= 1 && sms.concatPart <= sms.concatTotal, hex);
        }
    }
    for (int dcs = mode; dcs < 256; dcs += 64) {
        const tesk::vmodem::DataCoding coding = tesk::vmodem::DescribeDcs(dcs);
        FUZZ_CHECK(coding.messageClass >= -1 && coding.messageClass <= 3, QString::number(dcs));
    }
    const QString shown = tesk::vmodem::EightBitToText(rest);
    for (const QChar c : shown) {
        FUZZ_CHECK(c.unicode() >= 0x20 && c.unicode() != 0x7F, tesk::fuzz::Shown(shown));
    }
    FUZZ_CHECK(Octets_Of_Shown(shown) == rest, tesk::fuzz::Shown(shown));
    return 0;
}
