// Every generated message, encoded the way PDU-mode sending encodes it, must read back exactly
// through the virtual modem's decoder, which shares no code with the codec.
#include "pdu/pdu.h"
#include "virtual-modem/sms_submit_decoder.h"

#include <QRandomGenerator>
#include <QSet>
#include <QStringList>

#include <gtest/gtest.h>

#include <cstdlib>
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

const QString kGsmCharacters = QString::fromUtf8(
    "@£$¥èéùìòÇ\nØø\rÅåΔ_ΦΓΛΩΠΨΣΘΞÆæßÉ !\"#¤%&'()*+,-./0123456789:;<=>?¡ABCDEFGHIJKLMNOPQRSTUVWXYZ"
    "ÄÖÑÜ§¿abcdefghijklmnopqrstuvwxyzäöñüà");
const QString kGsmExtension = QString::fromUtf8("\f^{}\\[~]|€");
const QString kLatinAccents = QString::fromUtf8("úçâêîôûëïÿőűšžłćńąęśźÁÍÓÚÊ`“‘");
const QString kGreek = QString::fromUtf8("αβγδεζηθικλμνξοπρστυφχψωΑΒΕΖΗΙΚΜΝΟΡΤΥΧ");
const QString kCjk = QString::fromUtf8("漢字中文日本語한국어かなカナ");
const QStringList kEmoji = {QString::fromUtf8("😀"), QString::fromUtf8("🎉"), QString::fromUtf8("👍"),
                            QString::fromUtf8("🇬🇧")};

struct Sent {
    QStringList pdus;
    bool single = true;
};

// What PDU-mode sending does with one message.
Sent encodeAsSent(PDU& pdu, const QString& message, const QString& number, const QString& smsc,
                  bool flash) {
    const bool ucs2 = PDU::Needs_Unicode(message);
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

struct Received {
    QString problem;  // empty when every part read back as sent
    QString text;
    int reference = -1;
};

Received decodeAll(const Sent& sent, const QString& number, const QString& smsc, bool flash,
                   bool ucs2) {
    Received received;
    const int total = static_cast<int>(sent.pdus.size());
    auto fail = [&](int part, const QString& why) {
        received.problem = QStringLiteral("part %1/%2: %3").arg(part).arg(total).arg(why);
        return received;
    };
    for (int i = 0; i < total; ++i) {
        const int part = i + 1;
        const SmsSubmit sms = DecodeSmsSubmit(sent.pdus.at(i));
        if (!sms.ok) {
            return fail(part, QStringLiteral("refused: ") + sms.error + " " + sent.pdus.at(i));
        }
        if (sms.number != number) {
            return fail(part, QStringLiteral("number ") + sms.number);
        }
        if (sms.serviceCentre != smsc) {
            return fail(part, QStringLiteral("service centre ") + sms.serviceCentre);
        }
        if (sms.tpduOctets != PDU::Tpdu_Octets(sent.pdus.at(i))) {
            return fail(part, QStringLiteral("TPDU length %1").arg(sms.tpduOctets));
        }
        if ((sms.coding.alphabet == Alphabet::Ucs2) != ucs2) {
            return fail(part, QStringLiteral("coding %1").arg(sms.dcs));
        }
        if ((sms.coding.messageClass == 0) != flash) {
            return fail(part, QStringLiteral("class %1").arg(sms.coding.messageClass));
        }
        if (sent.single) {
            if (sms.hasHeader || sms.concatRef != -1) {
                return fail(part, QStringLiteral("single message with a header"));
            }
        } else {
            if (!sms.concatRef16 || sms.concatPart != part || sms.concatTotal != total) {
                return fail(part, QStringLiteral("header says part %1 of %2")
                                      .arg(sms.concatPart)
                                      .arg(sms.concatTotal));
            }
            if (received.reference != -1 && sms.concatRef != received.reference) {
                return fail(part, QStringLiteral("reference %1 after %2")
                                      .arg(sms.concatRef)
                                      .arg(received.reference));
            }
            received.reference = sms.concatRef;
        }
        received.text += sms.text;
    }
    return received;
}

QString randomNumber(QRandomGenerator& random) {
    const int digits = 1 + random.bounded(19);
    QString number = random.bounded(2) ? QStringLiteral("+") : QString();
    for (int i = 0; i < digits; ++i) {
        number.append(QChar(u'0' + random.bounded(10)));
    }
    return number;
}

// Lengths cluster around the single/long limits, where mistakes hide.
int randomLength(QRandomGenerator& random) {
    static const int kEdges[] = {0, 1, 66, 70, 71, 132, 152, 153, 160, 161, 304, 305, 1600};
    if (random.bounded(3) == 0) {
        const int edge = kEdges[random.bounded(int(std::size(kEdges)))];
        return qBound(0, edge + random.bounded(5) - 2, 1600);
    }
    return random.bounded(1601);
}

QString randomMessage(QRandomGenerator& random) {
    const int kind = random.bounded(4);  // 0, 1: GSM only; 2: mostly GSM; 3: anything
    const int length = randomLength(random);
    QString text;
    while (text.size() < length) {
        const int pick = random.bounded(100);
        if (kind <= 1 || pick < 70) {
            const QString& pool = pick % 9 == 0 ? kGsmExtension : kGsmCharacters;
            text.append(pool.at(random.bounded(int(pool.size()))));
        } else if (kind == 2 && pick < 97) {
            text.append(kGsmCharacters.at(random.bounded(int(kGsmCharacters.size()))));
        } else {
            switch (random.bounded(4)) {
                case 0:
                    text.append(kLatinAccents.at(random.bounded(int(kLatinAccents.size()))));
                    break;
                case 1:
                    text.append(kGreek.at(random.bounded(int(kGreek.size()))));
                    break;
                case 2:
                    text.append(kCjk.at(random.bounded(int(kCjk.size()))));
                    break;
                default:
                    text.append(kEmoji.at(random.bounded(int(kEmoji.size()))));
            }
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
    for (int index = 0; index < 1500; ++index) {
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
        const Sent sent = encodeAsSent(pdu, message, number, smsc, flash);
        const Received received = decodeAll(sent, number, smsc, flash, ucs2);
        ASSERT_EQ(received.problem, "");
        ASSERT_EQ(received.text, message);
        if (!sent.single) {
            ASSERT_EQ(sent.pdus.size(), PDU::Part_Sizes(message, ucs2).size());
            ASSERT_NE(received.reference, previousReference);
            ASSERT_EQ(received.reference, pdu.Concatenation_Reference());
            previousReference = received.reference;
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
    struct Outcome {
        QStringList problems;
        QList<int> references;
    };
    std::vector<Outcome> outcomes(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t, &outcomes] {
            QRandomGenerator random(testSeed() + static_cast<quint32>(t));
            Outcome& outcome = outcomes[t];
            PDU pdu;
            for (int m = 0; m < kMessagesPerThread; ++m) {
                QString message;
                while (message.size() < 400 + m * 20) {
                    message += randomMessage(random).left(200);
                }
                message += QStringLiteral(" #%1/%2").arg(t).arg(m);
                const QString number =
                    QStringLiteral("+4477009%1").arg(t * 100 + m, 5, 10, QLatin1Char('0'));
                const bool ucs2 = PDU::Needs_Unicode(message);
                const Sent sent = encodeAsSent(pdu, message, number, "", false);
                const Received received = decodeAll(sent, number, "", false, ucs2);
                if (!received.problem.isEmpty() || received.text != message || sent.single) {
                    outcome.problems.append(QStringLiteral("thread %1 message %2: %3")
                                                .arg(t)
                                                .arg(m)
                                                .arg(received.problem.isEmpty()
                                                         ? QStringLiteral("text differs")
                                                         : received.problem));
                }
                outcome.references.append(received.reference);
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    QSet<int> references;
    for (const Outcome& outcome : outcomes) {
        EXPECT_TRUE(outcome.problems.isEmpty()) << outcome.problems.join('\n').toStdString();
        for (const int reference : outcome.references) {
            references.insert(reference);
        }
    }
    EXPECT_EQ(references.size(), kThreads * kMessagesPerThread);
}

}  // namespace
