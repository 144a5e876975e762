// Every generated message, encoded the way PDU-mode sending encodes it, must read back exactly
// through the virtual modem's decoder, which shares no code with the codec.
#include "pdu/pdu.h"
#include "virtual-modem/sms_submit_decoder.h"

#include <QRandomGenerator>
#include <QSet>
#include <QStringList>

#include <gtest/gtest.h>

#include <mutex>
#include <thread>
#include <vector>

namespace {

using tesk::vmodem::Alphabet;
using tesk::vmodem::SmsSubmit;

// GSM characters, the GSM extension table, then characters only UCS2 carries (accents, Greek,
// CJK, emoji as surrogate pairs and a flag of two pairs).
const QStringList kGsm = QString::fromUtf8(
                             "@£$¥èéùìòÇ\nØø\rÅåΔ_ΦΓΛΩΠΨΣΘΞÆæßÉ "
                             "!\"#¤%&'()*+,-./0123456789:;<=>?¡ABCDEFGHIJKLMNOPQRSTUVWXYZ"
                             "ÄÖÑÜ§¿abcdefghijklmnopqrstuvwxyzäöñüà")
                             .split(QString(), Qt::SkipEmptyParts);
const QStringList kGsmExtension =
    QString::fromUtf8("\f^{}\\[~]|€").split(QString(), Qt::SkipEmptyParts);
const QStringList kWide =
    QString::fromUtf8("ú ç â ő ű š ž ł ć ` “ ‘ α β γ ω Α Β 漢 字 한 국 か カ 😀 🎉 👍 🇬🇧").split(u' ');

// Lengths cluster around the single/long limits, where mistakes hide; half the messages are GSM
// only, a quarter have a few characters beyond it, a quarter many.
QString randomMessage(QRandomGenerator& random) {
    static const int kEdges[] = {0, 1, 66, 70, 71, 132, 152, 153, 160, 161, 304, 305, 1600};
    const int wide = QList<int>{0, 0, 3, 30}.at(random.bounded(4));  // per cent
    const int length = random.bounded(3) == 0
                           ? qBound(0, kEdges[random.bounded(13)] + random.bounded(5) - 2, 1600)
                           : random.bounded(1601);
    QString text;
    while (text.size() < length) {
        const int pick = random.bounded(100);
        const QStringList& pool = pick < wide ? kWide : pick % 9 == 0 ? kGsmExtension : kGsm;
        text.append(pool.at(random.bounded(int(pool.size()))));
    }
    return text;
}

TEST(PduRoundTrip, generatedMessagesReadBackExactly) {
    QRandomGenerator random(20240611u);  // a failure names its case; another seed explores
    int previousReference = -1;
    for (int index = 0; index < 1500 && !HasFailure(); ++index) {
        QString number = random.bounded(2) ? QStringLiteral("+") : QString();
        for (int digits = 1 + random.bounded(19); digits > 0; --digits) {
            number.append(QChar(u'0' + random.bounded(10)));
        }
        const QString smsc = random.bounded(3) == 0 ? QStringLiteral("+447785016005") : QString();
        const bool flash = random.bounded(4) == 0;
        const QString message = randomMessage(random);
        SCOPED_TRACE(QStringLiteral("case %1 to %2 flash %3: %4")
                         .arg(index)
                         .arg(number)
                         .arg(flash)
                         .arg(message)
                         .toStdString());
        // What PDU-mode sending does: one PDU when the message fits, else its parts.
        const bool ucs2 = PDU::Needs_Unicode(message);
        PDU pdu;
        const bool single = pdu.Fits_Single_Message(message, number, smsc, ucs2);
        const int total = single ? 1 : PDU::Part_Count(message, ucs2);
        QString text;
        for (int part = 1; part <= total; ++part) {
            const QString hex =
                single ? pdu.EncodePDU(message, number, smsc, true, flash, ucs2)
                       : pdu.Encode_UDH_PDU(message, number, smsc, true, flash, total, part, ucs2);
            const SmsSubmit sms = tesk::vmodem::DecodeSmsSubmit(hex);
            SCOPED_TRACE(hex.toStdString());
            EXPECT_EQ(sms.error, "");
            EXPECT_EQ(sms.number, number);
            EXPECT_EQ(sms.serviceCentre, smsc);
            EXPECT_EQ(sms.tpduOctets, PDU::Tpdu_Octets(hex));
            EXPECT_EQ(sms.coding.alphabet, ucs2 ? Alphabet::Ucs2 : Alphabet::Gsm7);
            EXPECT_EQ(sms.coding.messageClass, flash ? 0 : -1);
            EXPECT_EQ(sms.concatPart, single ? 0 : part);
            EXPECT_EQ(sms.concatTotal, single ? 0 : total);
            EXPECT_EQ(sms.hasHeader, !single);
            EXPECT_EQ(sms.concatRef16, !single);
            if (!single) {  // every part carries the message's reference, a new one each message
                EXPECT_EQ(sms.concatRef, pdu.Concatenation_Reference());
                EXPECT_NE(sms.concatRef, previousReference);
            }
            text += sms.text;
        }
        EXPECT_EQ(text, message);
        if (!single) {
            EXPECT_EQ(total, PDU::Part_Sizes(message, ucs2).size());
            previousReference = pdu.Concatenation_Reference();
        }
    }
}

TEST(PduRoundTrip, threadsWithTheirOwnInstancesGetDistinctReferences) {
    std::mutex lock;
    QSet<int> references;
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t) {
        threads.emplace_back([&lock, &references] {
            PDU pdu;
            for (int m = 0; m < 25; ++m) {
                pdu.Encode_UDH_PDU(QString(300, u'a'), "+447700900123", "", true, false, 2, 1,
                                   false);
                const std::lock_guard<std::mutex> hold(lock);
                references.insert(pdu.Concatenation_Reference());
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(references.size(), 8 * 25);
}

}  // namespace
