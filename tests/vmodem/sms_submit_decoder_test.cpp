// SMS-SUBMIT vectors assembled field by field from TS 23.040 / 23.038; each hex string is
// split in the comment as SCA | first octet MR | DA | PID DCS | VP | UDL | UD. A decoded PDU is
// compared as one line: number | text | coding | class | concatenation ref/part/total |
// service centre | TPDU octets.
#include "virtual-modem/sms_submit_decoder.h"
#include "virtual-modem/text_payload.h"

#include <QRandomGenerator>

#include <gtest/gtest.h>

#include <vector>

namespace tesk::vmodem {
namespace {

QString describe(const char* hex) {
    const SmsSubmit s = DecodeSmsSubmit(QString::fromLatin1(hex));
    if (!s.ok) {
        return s.error.isEmpty() ? QStringLiteral("refused without a reason") : "refused";
    }
    return QStringLiteral("%1|%2|%3|%4|%5/%6/%7|%8|%9")
        .arg(s.number, s.text, AlphabetName(s.coding.alphabet))
        .arg(s.coding.messageClass)
        .arg(s.concatRef)
        .arg(s.concatPart)
        .arg(s.concatTotal)
        .arg(s.serviceCentre)
        .arg(s.tpduOctets);
}

TEST(DecodeSmsSubmit, yieldsTheAddressedMessageOrRefusesWithAReason) {
    const std::vector<std::pair<const char*, QString>> rows = {
        // 00 | 11 00 | 05 81 2143F5 | 00 00 | FF | 05 | E8329BFD06
        {"00110005812143F50000FF05E8329BFD06", "12345|hello|gsm7|-1|-1/0/0||16"},
        {"0791447758100650110005912143F50000FF05E8329BFD06",
         "+12345|hello|gsm7|-1|-1/0/0|+447785016005|16"},
        // 00 | 11 00 | 0C 91 442143658709 | 00 00 | FF | 02 | E834
        {"0011000C914421436587090000FF02E834", "+441234567890|hi|gsm7|-1|-1/0/0||16"},
        // UDL 12 (18 septets): ESC 65, 3C, 3E, 3D, 14, 28, 29, 2F, 40
        {"00110005912143F50000FF129BF286B7F16D7A1BCA06B5496D5E1B20",
         "+12345|€[]~^{}\\||gsm7|-1|-1/0/0||27"},
        // every non-ASCII character of the default table, septets 00..7F
        {"00110005912143F50000FF2A8080604028180E88C482E17840229209A562B960321A4EC7F32101B7DCAEF7"
         "0BDEF3FBFE3F",
         "+12345|@£$¥èéùìòÇØøÅåΔ_ΦΓΛΩΠΨΣΘΞÆæßÉ¤¡ÄÖÑÜ§¿äöñüà|gsm7|-1|-1/0/0||48"},
        // DCS 08, UDL 08: 0041 20AC D83D DE00 (A, euro, one character outside the BMP)
        {"00110005912143F50008FF08004120ACD83DDE00", "+12345|A€😀|ucs2|-1|-1/0/0||19"},
        // DCS 04 (8-bit), UD 01 41 7F C9
        {"00110005912143F50004FF0401417FC9", "+12345|\\x01A\\x7FÉ|8bit|-1|-1/0/0||15"},
        // FO 51 (UDHI), UDL 0B: UDH 05 | 00 03 2A 02 01, one fill bit, then "part"
        {"00510005912143F50000FF0B0500032A0201E061391D", "+12345|part|gsm7|-1|42/1/2||21"},
        // UDH 06 | 08 04 1234 03 02: seven octets = eight septets, no fill bits
        {"00510005912143F50000FF0D06080412340302E8329BFD06", "+12345|hello|gsm7|-1|4660/2/3||23"},
        {"00510005912143F50008FF0B0608041234030200480069", "+12345|Hi|ucs2|-1|4660/2/3||22"},
        // UDH 0A | 0A 03 000500 (text formatting, skipped) | 00 03 07 03 01; three fill bits
        {"00510005912143F50000FF0E0A0A030005000003070301C003", "+12345|x|gsm7|-1|7/1/3||24"},
        {"00110005912143F50010FF02E834", "+12345|hi|gsm7|0|-1/0/0||13"},  // flash
        // VPF absent (FO 01), absolute (FO 19, 7 octets)
        {"00010005912143F5000002E834", "+12345|hi|gsm7|-1|-1/0/0||12"},
        {"00190005912143F500002110715152240002E834", "+12345|hi|gsm7|-1|-1/0/0||19"},
        {"", "refused"},
        {"0011000", "refused"},                                           // odd digits
        {"0011000581ZZ43F50000FF05E8329BFD06", "refused"},                // not hex
        {"00040005812143F50000FF05E8329BFD06", "refused"},                // a deliver
        {"0C91447758100650110005912143F50000FF05E8329BFD06", "refused"},  // centre too long
        {"0791447758", "refused"},                                        // centre past the end
        {"0011001591214365870921436587092143650000FF02E834", "refused"},  // 21 digits
        {"0011000C9144214365", "refused"},                                // number past the end
        {"00110005812F43F50000FF05E8329BFD06", "refused"},            // filler inside the number
        {"00110005812143550000FF05E8329BFD06", "refused"},            // odd number without filler
        {"00110005812143F50000FF06E8329BFD06", "refused"},            // TP-UDL past the data
        {"00110005812143F50000FF05E8329BFD0600", "refused"},          // data after the user data
        {"00110005812143F50000FFA1E8329BFD06", "refused"},            // TP-UDL over 160
        {"00510005912143F50008FF050600680069", "refused"},            // header past the data
        {"00510005912143F50008FF0703000500680069", "refused"},        // element past the header
        {"00510005912143F50008FF090400022A0100680069", "refused"},    // concatenation length 2
        {"00510005912143F50000FF0B0500032A0203E061391D", "refused"},  // part 3 of 2
        {"00110005912143F50008FF03006800", "refused"},                // UCS2, odd octets
        {"00190005912143F5000021107151", "refused"},                  // validity past the end
    };
    for (const auto& [hex, expected] : rows) {
        EXPECT_EQ(describe(hex), expected) << hex;
    }
}

// Every prefix of a valid PDU and a few thousand random ones must be refused or read without
// touching memory outside the data (the sanitizer build watches that).
TEST(DecodeSmsSubmit, survivesTruncationAndNoise) {
    const QString good = QStringLiteral("00510005912143F50000FF0D06080412340302E8329BFD06");
    for (qsizetype n = 0; n < good.size(); n += 2) {
        EXPECT_FALSE(DecodeSmsSubmit(good.left(n)).ok) << n;
    }
    QRandomGenerator random(20240611);
    int accepted = 0;
    for (int i = 0; i < 5000; ++i) {
        QByteArray bytes(int(random.bounded(40)), '\0');
        for (char& b : bytes) {
            b = char(random.bounded(256));
        }
        accepted += DecodeSmsSubmit(QString::fromLatin1(bytes.toHex())).ok ? 1 : 0;
    }
    EXPECT_LT(accepted, 5000);
}

TEST(TextPayload, followsTheCharacterSet) {
    const struct {
        QByteArray bytes;
        const char* charset;
        int dcs;
        QString text;
    } rows[] = {
        // 0x40 is the inverted exclamation mark in the GSM set, 0x1B 0x65 the euro sign
        {"Hi@\x1B\x65", "GSM", 0, QStringLiteral("Hi¡€")},
        {"Hi@", "IRA", 0, QStringLiteral("Hi@")},
        {"caf\xC3\xA9", "GSM", 0, QStringLiteral("café")},
        {"0048D83DDE00", "UCS2", 8, QString::fromUtf8("H\xF0\x9F\x98\x80")},
        {"041F0440", "HEX", 8, QStringLiteral("Пр")},
        {"C3A9", "HEX", 0, QStringLiteral("é")},
        {"0141", "HEX", 4, QStringLiteral("\\x01A")},
    };
    for (const auto& row : rows) {
        const TextPayload p =
            DecodeTextPayload(row.bytes, QString::fromLatin1(row.charset), DescribeDcs(row.dcs));
        EXPECT_TRUE(p.ok) << p.error.toStdString();
        EXPECT_EQ(p.text, row.text) << row.bytes.constData();
    }
    // numbers in UCS2 are decoded only when they read as numbers
    const QString ucs2 = QStringLiteral("UCS2");
    EXPECT_EQ(DecodeTeString(QStringLiteral("002B00310032"), ucs2), QStringLiteral("+12"));
    EXPECT_EQ(DecodeTeString(QStringLiteral("12345678"), ucs2), QStringLiteral("12345678"));
    EXPECT_EQ(DecodeTeString(QStringLiteral("002B00310032"), QStringLiteral("GSM")),
              QStringLiteral("002B00310032"));
}

}  // namespace
}  // namespace tesk::vmodem
