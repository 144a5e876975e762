// Every generated message, encoded the way PDU-mode sending encodes it, must read back exactly
// through the virtual modem's decoder, which shares no code with the codec.
#include "pdu/pdu.h"
#include "virtual-modem/sms_submit_decoder.h"

#include <QRandomGenerator>
#include <QSet>
#include <QStringList>

#include <gtest/gtest.h>

#include <cstdlib>
#include <mutex>
#include <thread>
#include <vector>

namespace {

using tesk::vmodem::Alphabet;
using tesk::vmodem::DecodeSmsSubmit;
using tesk::vmodem::SmsSubmit;

// The seed can be changed to explore; a failure prints the seed and the case to replay it.
quint32 testSeed() {
    const char* fromEnvironment = std::getenv("TESK_PDU_SEED");
    return fromEnvironment ? static_cast<quint32>(std::strtoul(fromEnvironment, nullptr, 10))
                           : 20240611u;
}

// GSM characters, the GSM extension table, then characters only UCS2 carries (accents, Greek,
// CJK, emoji as surrogate pairs and a flag of two pairs).
const QString kGsm = QString::fromUtf8(
    "@£$¥èéùìòÇ\nØø\rÅåΔ_ΦΓΛΩΠΨΣΘΞÆæßÉ !\"#¤%&'()*+,-./0123456789:;<=>?¡ABCDEFGHIJKLMNOPQRSTUVWXYZ"
    "ÄÖÑÜ§¿abcdefghijklmnopqrstuvwxyzäöñüà");
const QString kGsmExtension = QString::fromUtf8("\f^{}\\[~]|€");
const QStringList kWide =
    QString::fromUtf8("ú ç â ő ű š ž ł ć ` “ ‘ α β γ ω Α Β 漢 字 한 국 か カ 😀 🎉 👍 🇬🇧").split(u' ');

// What PDU-mode sending does with one message: one PDU when it fits, else its parts.
QStringList encodeAsSent(PDU& pdu, const QString& message, const QString& number,
                         const QString& smsc, bool flash, bool* single) {
    const bool ucs2 = PDU::Needs_Unicode(message);
    *single = pdu.Fits_Single_Message(message, number, smsc, ucs2);
    if (*single) {
        return {pdu.EncodePDU(message, number, smsc, true, flash, ucs2)};
    }
    QStringList pdus;
    const int total = PDU::Part_Count(message, ucs2);
    for (int part = 1; part <= total; ++part) {
        pdus.append(pdu.Encode_UDH_PDU(message, number, smsc, true, flash, total, part, ucs2));
    }
    return pdus;
}

// Reads the PDUs back and checks each header against what was sent; returns the joined text
// and the concatenation reference (-1 for a single message).
QString readBack(const QStringList& pdus, const QString& message, const QString& number,
                 const QString& smsc, bool flash, bool single, int* reference) {
    const bool ucs2 = PDU::Needs_Unicode(message);
    const int total = single ? 0 : static_cast<int>(pdus.size());
    QString text;
    *reference = -1;
    for (int i = 0; i < pdus.size(); ++i) {
        const SmsSubmit sms = DecodeSmsSubmit(pdus[i]);
        SCOPED_TRACE(pdus[i].toStdString());
        EXPECT_EQ(sms.error, "");
        const auto fields = [](const SmsSubmit& s) {
            return QStringLiteral("%1 via '%2', %3 octets, ucs2 %4, class %5, part %6/%7 %8")
                .arg(s.number, s.serviceCentre)
                .arg(s.tpduOctets)
                .arg(s.coding.alphabet == Alphabet::Ucs2)
                .arg(s.coding.messageClass)
                .arg(s.concatPart)
                .arg(s.concatTotal)
                .arg(s.hasHeader && s.concatRef16 ? "ref16"
                     : s.hasHeader                ? "header"
                                                  : "plain");
        };
        SmsSubmit expected;
        expected.number = number;
        expected.serviceCentre = smsc;
        expected.tpduOctets = PDU::Tpdu_Octets(pdus[i]);
        expected.coding.alphabet = ucs2 ? Alphabet::Ucs2 : Alphabet::Gsm7;
        expected.coding.messageClass = flash ? 0 : -1;
        expected.concatPart = single ? 0 : i + 1;
        expected.concatTotal = total;
        expected.hasHeader = expected.concatRef16 = !single;
        EXPECT_EQ(fields(sms), fields(expected));
        if (i > 0) {
            EXPECT_EQ(sms.concatRef, *reference);
        }
        *reference = sms.concatRef;
        text += sms.text;
    }
    return text;
}

QString randomNumber(QRandomGenerator& random) {
    QString number = random.bounded(2) ? QStringLiteral("+") : QString();
    for (int digits = 1 + random.bounded(19); digits > 0; --digits) {
        number.append(QChar(u'0' + random.bounded(10)));
    }
    return number;
}

// Lengths cluster around the single/long limits, where mistakes hide; kind 0 and 1 are GSM
// only, 2 mostly GSM, 3 anything.
QString randomMessage(QRandomGenerator& random) {
    static const int kEdges[] = {0, 1, 66, 70, 71, 132, 152, 153, 160, 161, 304, 305, 1600};
    const int kind = random.bounded(4);
    const int length = random.bounded(3) == 0
                           ? qBound(0, kEdges[random.bounded(13)] + random.bounded(5) - 2, 1600)
                           : random.bounded(1601);
    QString text;
    while (text.size() < length) {
        const int pick = random.bounded(100);
        if (kind <= 1 || pick < 70) {
            const QString& pool = pick % 9 == 0 ? kGsmExtension : kGsm;
            text.append(pool.at(random.bounded(int(pool.size()))));
        } else if (kind == 2 && pick < 97) {
            text.append(kGsm.at(random.bounded(int(kGsm.size()))));
        } else {
            text.append(kWide.at(random.bounded(int(kWide.size()))));
        }
    }
    return text;
}

TEST(PduRoundTrip, generatedMessagesReadBackExactly) {
    const quint32 seed = testSeed();
    QRandomGenerator random(seed);
    int previousReference = -1;
    int longMessages = 0;
    int ucs2Messages = 0;
    for (int index = 0; index < 1500 && !HasFailure(); ++index) {
        const QString number = randomNumber(random);
        const QString smsc = random.bounded(3) == 0 ? QStringLiteral("+447785016005") : QString();
        const bool flash = random.bounded(4) == 0;
        const QString message = randomMessage(random);
        const bool ucs2 = PDU::Needs_Unicode(message);
        SCOPED_TRACE(QStringLiteral("seed %1 case %2, number %3, %4 units, flash %5: %6")
                         .arg(seed)
                         .arg(index)
                         .arg(number)
                         .arg(message.size())
                         .arg(flash)
                         .arg(message.left(80))
                         .toStdString());
        PDU pdu;
        bool single = true;
        const QStringList pdus = encodeAsSent(pdu, message, number, smsc, flash, &single);
        int reference = -1;
        EXPECT_EQ(readBack(pdus, message, number, smsc, flash, single, &reference), message);
        if (!single) {
            EXPECT_EQ(pdus.size(), PDU::Part_Sizes(message, ucs2).size());
            EXPECT_NE(reference, previousReference);
            EXPECT_EQ(reference, pdu.Concatenation_Reference());
            previousReference = reference;
            ++longMessages;
        }
        ucs2Messages += ucs2 ? 1 : 0;
    }
    // The generator must have covered both codings and both kinds of submission.
    EXPECT_GT(longMessages, 300);
    EXPECT_GT(ucs2Messages, 300);
    EXPECT_LT(ucs2Messages, 1200);
}

TEST(PduRoundTrip, threadsWithTheirOwnInstancesGetDistinctReferences) {
    constexpr int kThreads = 8;
    constexpr int kMessagesPerThread = 25;
    std::mutex lock;
    QList<int> references;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t, &lock, &references] {
            PDU pdu;
            for (int m = 0; m < kMessagesPerThread; ++m) {
                const QString message =
                    QStringLiteral("%1 #%2/%3").arg(QString(300, u'a')).arg(t).arg(m);
                pdu.Encode_UDH_PDU(message, "+447700900123", "", true, false, 2, 1, false);
                const std::lock_guard<std::mutex> hold(lock);
                references.append(pdu.Concatenation_Reference());
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(QSet<int>(references.begin(), references.end()).size(),
              kThreads * kMessagesPerThread);
}

}  // namespace
