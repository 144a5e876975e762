// Every PDU the encoder makes, read by the virtual modem's decoder, which shares no code with
// it. The input is a flags byte (bit 0 flash, bit 1 a service centre, bit 2 the message as
// UTF-16 rather than UTF-8, bit 3 an international number), the number's digits up to "\n",
// then the message (cut to the composer's 1600 units). Properties, per message as sending
// encodes it (one PDU when it fits, otherwise concatenated parts):
// - every PDU decodes, to the same number, service centre, coding and flash class;
// - the length AT+CMGS announces is the TPDU's true length;
// - the parts, in order, give back the message exactly; at most 255 parts, as many as
//   Part_Count says;
// - one concatenation reference per message: all its parts carry it, the next message another.
#include "fuzz_check.h"
#include "pdu/pdu.h"
#include "virtual-modem/sms_submit_decoder.h"

#include <QStringList>

namespace {

using tesk::vmodem::Alphabet;
using tesk::vmodem::DecodeSmsSubmit;
using tesk::vmodem::SmsSubmit;

struct Sent {
    QStringList pdus;
    bool single = true;
};

Sent Encode(PDU& pdu, const QString& message, const QString& number, const QString& smsc,
            bool flash, bool ucs2) {
    Sent sent;
    if (pdu.Fits_Single_Message(message, number, smsc, ucs2)) {
        sent.pdus.append(pdu.EncodePDU(message, number, smsc, true, flash, ucs2));
        return sent;
    }
    sent.single = false;
    const int total = PDU::Part_Count(message, ucs2);
    for (int part = 1; part <= total; ++part) {
        sent.pdus.append(pdu.Encode_UDH_PDU(message, number, smsc, true, flash, total, part, ucs2));
    }
    return sent;
}

// The reference the message's parts carry, -1 for a single message.
int Check_Message(const Sent& sent, const QString& message, const QString& number,
                  const QString& smsc, bool flash, bool ucs2) {
    const qsizetype total = sent.pdus.size();
    FUZZ_CHECK(total >= 1 && total <= 255, QString::number(total));
    FUZZ_CHECK(sent.single || total == PDU::Part_Count(message, ucs2), QString::number(total));
    QString text;
    int reference = -1;
    for (qsizetype i = 0; i < total; ++i) {
        const QString& hex = sent.pdus.at(i);
        const QString where = QStringLiteral("part %1/%2 %3").arg(i + 1).arg(total).arg(hex);
        const SmsSubmit sms = DecodeSmsSubmit(hex);
        FUZZ_CHECK(sms.ok, where + QStringLiteral(" refused: ") + sms.error);
        FUZZ_CHECK(sms.number == number, where + QStringLiteral(" number ") + sms.number);
        FUZZ_CHECK(sms.serviceCentre == smsc,
                   where + QStringLiteral(" centre ") + sms.serviceCentre);
        FUZZ_CHECK(sms.tpduOctets == PDU::Tpdu_Octets(hex) &&
                       sms.tpduOctets == hex.size() / 2 - sms.scaOctets,
                   where + QStringLiteral(" announced %1").arg(PDU::Tpdu_Octets(hex)));
        FUZZ_CHECK(sms.tpduOctets <= 175, where);
        FUZZ_CHECK((sms.coding.alphabet == Alphabet::Ucs2) == ucs2, where);
        FUZZ_CHECK((sms.coding.messageClass == 0) == flash, where);
        if (sent.single) {
            FUZZ_CHECK(!sms.hasHeader && sms.concatRef == -1, where);
        } else {
            FUZZ_CHECK(sms.concatPart == i + 1 && sms.concatTotal == total, where);
            FUZZ_CHECK(reference == -1 || sms.concatRef == reference, where);
            reference = sms.concatRef;
        }
        text += sms.text;
    }
    FUZZ_CHECK(text == message,
               tesk::fuzz::Shown(text) + QStringLiteral(" != ") + tesk::fuzz::Shown(message));
    return reference;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    tesk::fuzz::Input input(data, size);
    const uint8_t flags = input.Byte();
    const bool flash = flags & 1;
    const QString smsc = (flags & 2) ? QStringLiteral("+447785016005") : QString();
    QString number = (flags & 8) ? QStringLiteral("+") : QString();
    for (const char c : input.Until('\n').left(20)) {
        number += QChar(u'0' + static_cast<uint8_t>(c) % 10);
    }
    if (number.isEmpty() || number == QLatin1String("+")) {
        number += QStringLiteral("5");
    }
    const QByteArray raw = input.Rest();
    QString message = (flags & 4)
                          ? QString(reinterpret_cast<const QChar*>(raw.constData()), raw.size() / 2)
                          : QString::fromUtf8(raw);
    message = message.left(1600);

    const bool ucs2 = PDU::Needs_Unicode(message);
    PDU pdu;
    const Sent first = Encode(pdu, message, number, smsc, flash, ucs2);
    const int reference = Check_Message(first, message, number, smsc, flash, ucs2);
    if (!first.single) {
        // The same message again is another message: it must not share the reference.
        const Sent second = Encode(pdu, message, number, smsc, flash, ucs2);
        FUZZ_CHECK(Check_Message(second, message, number, smsc, flash, ucs2) != reference,
                   QString::number(reference));
    }
    return 0;
}
