// Fixed vectors of the codec: fields, alphabet, packing, part windows and the single/long choice.
#include "pdu/pdu.h"
#include "virtual-modem/sms_submit_decoder.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using tesk::vmodem::DecodeSmsSubmit;
using tesk::vmodem::SmsSubmit;

QString times(const char* piece, int count) {
    return QString::fromUtf8(piece).repeated(count);
}

QList<SmsSubmit> encodeLong(const QString& message, bool unicode) {
    PDU pdu;
    const int total = PDU::Part_Count(message, unicode);
    QList<SmsSubmit> parts;
    for (int part = 1; part <= total; ++part) {
        parts.append(DecodeSmsSubmit(
            pdu.Encode_UDH_PDU(message, "+447700900123", "", true, false, total, part, unicode)));
    }
    return parts;
}

TEST(PduFields, matchTheirVectors) {
    const std::vector<std::pair<QString, QString>> cases = {
        {Hex(5), "5"},
        {Hex(26), "1A"},
        {Hex(0), "0"},
        {Hex(300), "12C"},
        {PDU::BCDEncode(5), "05"},
        {PDU::BCDEncode(145), "91"},
        {PDU::PadZero("A", 4), "000A"},
        {PDU::PadZero("12345", 4), "12345"},
        {PDU::EncodeDestinationAddress("+123"), "039121F3"},
        {PDU::EncodeDestinationAddress("12345"), "05812143F5"},
        {PDU::EncodeDestinationAddress("0612"), "04816021"},
        {PDU::EncodeDestinationAddress(""), "00"},
        {PDU::EncodeSMSCAddress(""), "00"},
        {PDU::EncodeSMSCAddress("+447785016005"), "0791447758100650"},
        {PDU::EncodeSMSCAddress("+4412345"), "0591442143F5"},
        {PDU::EncodeUserData(PDU::MapTo7BitAlphabet("hello")), "E8329BFD06"},
        {PDU::EncodeUserData(PDU::MapTo7BitAlphabet("{")), "1B14"},
        {PDU::EncodeUserData({}), ""},
        {PDU::DecodeUserData("E8329BFD06"), "hello"},
        {PDU::EncodeUserData_16_bit(QString::fromUtf8("A€")), "004120AC"},
        {PDU::DecodeUserData_16_bit("002B0031"), "+1"},
        {PDU::DecodeUserData_16_bit("20ac"), QString::fromUtf8("€")},
        {PDU::DecodeUserData_16_bit("002B003"), "+"}  // an incomplete group is dropped
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        EXPECT_EQ(cases[i].first, cases[i].second) << "row " << i;
    }
    const std::vector<std::pair<int, int>> numbers = {
        {Asc("A"), 65},
        {Asc(QString::fromUtf8("€")), 0xAC},  // low byte of U+20AC
        {AscW(QString::fromUtf8("€")), 0x20AC},
        {Asc(""), 0},
        {AscW(""), 0},
        {PDU::hex2int("1A"), 26},
        {PDU::hex2int("ff"), 255},
        {PDU::hex2int("0x10"), 16},  // "x" counts as 0
        {PDU::hex2int("12345"), 0x12345},
        {PDU::hex2int(""), 0}};
    for (std::size_t i = 0; i < numbers.size(); ++i) {
        EXPECT_EQ(numbers[i].first, numbers[i].second) << "row " << i;
    }
}

TEST(PduAlphabet, mapsCharactersToTheirSeptetsAndPacksEveryLength) {
    const std::vector<std::pair<const char*, QByteArray>> cases = {
        {"@", QByteArray("\x00", 1)},
        {"{", "\x1B\x28"},
        {"ö", "\x7C"},
        {"¡", "\x40"},
        {"ù", "\x06"},
        {"Λ", "\x14"},
        {"€", "\x1B\x65"},
        {"\f", "\x1B\x0A"},
        {"^", "\x1B\x14"},
        {"$", "\x02"},
        {"¤", "\x24"},
        {"_", "\x11"},
        {"à", "\x7F"},
        {"Az 9\r\n", "Az 9\r\n"},
        // Not a GSM character: the low byte (0xFA), which the packing cuts to 7 bits.
        {"ú", "\xFA"},
    };
    for (const auto& [text, septets] : cases) {
        EXPECT_EQ(PDU::MapTo7BitAlphabet(QString::fromUtf8(text)), septets) << text;
    }
    // Every length through two padding cycles, including the seven-septet ones whose eighth
    // septet is the zero padding.
    const QString text = QString::fromUtf8("+4477850160€5{Ä}ΛΩ@x");
    for (int length = 0; length <= text.size(); ++length) {
        const QString piece = text.left(length);
        EXPECT_EQ(PDU::DecodeUserData(PDU::EncodeUserData(PDU::MapTo7BitAlphabet(piece))), piece);
    }
}

TEST(PduSingle, buildsWholeMessages) {
    struct Case {
        const char* message;
        QString number;
        QString smsc;
        bool flash;
        bool unicode;
        QString pdu;
    };
    const std::vector<Case> cases = {
        {"hello", "+123", "", false, false, "001100039121F30000FF05E8329BFD06"},
        {"{", "12345", "", false, false, "00110005812143F50000FF021B14"},  // escape counts two
        {"hello", "+123", "", true, false, "001100039121F30010FF05E8329BFD06"},
        {"A€", "+123", "", false, true, "001100039121F30008FF04004120AC"},
        {"A€", "12345", "+447785016005", true, true,
         "0791447758100650110005812143F50018FF04004120AC"},
        {"ç", "+123", "", false, false, "001100039121F30008FF0200E7"},  // needs UCS2 unasked
        {"", "+123", "", false, false, "001100039121F30000FF00"},
    };
    for (const auto& c : cases) {
        PDU pdu;
        const QString message = QString::fromUtf8(c.message);
        EXPECT_EQ(pdu.EncodePDU(message, c.number, c.smsc, true, c.flash, c.unicode), c.pdu)
            << c.message;
    }
    PDU pdu;
    EXPECT_EQ(pdu.EncodePDU("hello", "+123", "", false, false, false), "");
    // TPDU octets leave the service centre out
    EXPECT_EQ(PDU::Tpdu_Octets(pdu.EncodePDU("hello", "+123", "", true, false, false)), 15);
    EXPECT_EQ(PDU::Tpdu_Octets(pdu.EncodePDU("hello", "+123", "+447785016005", true, false, false)),
              15);
    EXPECT_EQ(PDU::Tpdu_Octets(""), 0);
    // TP-SRR (0x20) in the first octet and nothing else
    PDU asking;
    asking.Set_Status_Report_Request(true);
    EXPECT_EQ(asking.EncodePDU("hello", "+123", "", true, false, false),
              "003100039121F30000FF05E8329BFD06");
    EXPECT_EQ(
        asking.Encode_UDH_PDU(times("a", 200), "+123", "", true, false, 2, 1, false).mid(2, 2),
        "71");
}

TEST(PduSingle, decidesBetweenSingleAndConcatenatedAndCountsSubmissions) {
    // 160 septets are 140 octets; with 7 fixed octets and a 12-digit number the TPDU is 154.
    const QString uk = "+447700900123";
    const QString surrogateAt64 = times("a", 63) + QString::fromUtf8("😀") + times("z", 63);
    struct Case {
        QString message;
        QString number;
        bool unicode;
        bool fits;
        int pduMode;   // submissions in PDU mode
        int textMode;  // and in text mode
    };
    const std::vector<Case> cases = {
        {"hello", uk, false, true, 1, 1},
        {"", uk, false, true, 1, 1},
        {times("a", 160), uk, false, true, 1, 1},
        {times("a", 161), uk, false, false, 2, 2},
        {times("a", 300), uk, false, false, 2, 2},
        {times("a", 301), uk, false, false, 2, 3},
        {times("a", 304), uk, false, false, 2, 3},
        {times("a", 305), uk, false, false, 3, 3},
        {times("{", 70), uk, false, true, 1, 1},  // 140 septets; 70 units through UCS2
        {times("{", 71), uk, false, true, 1, 2},  // 142 septets; text mode goes wide
        {times("{", 80), uk, false, true, 1, 2},
        {times("{", 80) + "a", uk, false, false, 2, 2},
        {times("ж", 70), uk, true, true, 1, 1},
        {times("ж", 71), uk, true, false, 2, 2},
        {times("ж", 70), uk, false, true, 1, 1},
        {times("ж", 71), uk, false, false, 2, 2},
        {times("ж", 128), uk, true, false, 2, 2},
        {times("ж", 129), uk, true, false, 2, 3},
        {times("ж", 132), uk, true, false, 2, 3},
        {times("ж", 133), uk, true, false, 3, 3},
        {surrogateAt64, uk, false, false, 2, 3},  // text mode never splits the pair either
        {times("a", 160), "447700900123", false, true, 1, 1},    // TPDU of 154 octets
        {times("a", 160), "4477009001234", false, false, 2, 2},  // 155
        {"hi", "44770090012345678901", false, true, 1, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(QStringLiteral("%1 units of %2, to %3, unicode %4")
                         .arg(c.message.size())
                         .arg(c.message.left(1), c.number)
                         .arg(c.unicode)
                         .toStdString());
        PDU pdu;
        EXPECT_EQ(pdu.Fits_Single_Message(c.message, c.number, "", c.unicode), c.fits);
        EXPECT_EQ(PDU::Pdu_Mode_Submissions(c.message, c.number, c.unicode), c.pduMode);
        EXPECT_EQ(PDU::Text_Mode_Submissions(c.message, c.number, c.unicode), c.textMode);
    }
    EXPECT_EQ(PDU::Part_Sizes("", false), QList<int>({0}));  // an empty text is one empty part
    EXPECT_EQ(PDU::Part_Count("", true), 1);
    EXPECT_EQ(PDU::Part_Count("a", false), 1);
}

TEST(PduLong, splits301SeptetsInto152And149WithTheHeaderOctets) {
    const QString message = times("0123456789", 31).left(301);
    const QList<SmsSubmit> parts = encodeLong(message, false);
    ASSERT_EQ(parts.size(), 2);
    ASSERT_TRUE(parts[0].ok) << parts[0].error.toStdString();
    ASSERT_TRUE(parts[1].ok) << parts[1].error.toStdString();
    EXPECT_EQ(parts[0].userDataLength, 160);
    EXPECT_EQ(parts[1].userDataLength, 157);
    EXPECT_EQ(parts[0].text, message.left(152));
    EXPECT_EQ(parts[1].text, message.mid(152));
    EXPECT_EQ(parts[0].firstOctet, 0x51);
    EXPECT_EQ(parts[0].concatTotal, 2);
    EXPECT_EQ(parts[1].concatPart, 2);
    EXPECT_TRUE(parts[1].concatRef16);

    PDU pdu;
    const QString part2 = pdu.Encode_UDH_PDU(times("a", 200), "+123", "", true, false, 2, 2, false);
    const QString reference = PDU::PadZero(Hex(pdu.Concatenation_Reference()), 4);
    // UDL 8 + 48 septets = 0x38, then UDHL 06, IEI 08, IEDL 04, reference, total, part.
    EXPECT_TRUE(part2.startsWith("005100039121F30000FF38060804" + reference + "0202"))
        << part2.toStdString();
}

TEST(PduLong, neverSplitsAnEscapePair) {
    const QString euro = QString::fromUtf8("€");
    // letters before the euro sign, septets in part 1: the pair ends at septet 151, exactly at
    // the window end, or would straddle it and moves to part 2
    for (const auto& [letters, firstPart] : {std::pair{149, 152}, {150, 152}, {151, 151}}) {
        SCOPED_TRACE(letters);
        const QString message = times("a", letters) + euro + times("b", 20);
        const QList<SmsSubmit> parts = encodeLong(message, false);
        ASSERT_EQ(parts.size(), 2);
        EXPECT_EQ(parts[0].userDataLength, 8 + firstPart);
        EXPECT_EQ(parts[0].text + parts[1].text, message);
        EXPECT_EQ(parts[1].text.startsWith(euro), letters == 151);
    }
}

TEST(PduLong, cutsUcs2Into66UnitWindowsWithoutSplittingASurrogatePair) {
    QString message;
    for (int i = 0; i < 130; ++i) {
        message.append(QChar(char16_t(0x0410 + i % 32)));  // Cyrillic capitals
    }
    EXPECT_EQ(PDU::Part_Sizes(message, true), QList<int>({66, 64}));
    const QString hundred = message.left(100);
    QList<SmsSubmit> parts = encodeLong(hundred, true);
    ASSERT_EQ(parts.size(), 2);
    EXPECT_EQ(parts[1].userDataLength, 75);
    EXPECT_EQ(parts[1].text, hundred.mid(66));  // characters 67 to 100
    EXPECT_EQ(parts[0].userDataLength, 139);

    const QString emoji = QString::fromUtf8("😀");
    const QString paired = times("ж", 65) + emoji + times("z", 10);
    EXPECT_EQ(PDU::Part_Sizes(paired, true), QList<int>({65, 12}));
    parts = encodeLong(paired, true);
    ASSERT_EQ(parts.size(), 2);
    EXPECT_EQ(parts[0].userDataLength, 7 + 130);
    EXPECT_TRUE(parts[1].text.startsWith(emoji));
    EXPECT_EQ(parts[0].text + parts[1].text, paired);

    // a text that needs UCS2 goes as UCS2 even unasked
    const QString cedillas = times("ç", 100);
    EXPECT_EQ(PDU::Part_Count(cedillas, false), 2);
    parts = encodeLong(cedillas, false);
    ASSERT_EQ(parts.size(), 2);
    EXPECT_EQ(parts[0].coding.alphabet, tesk::vmodem::Alphabet::Ucs2);
    EXPECT_EQ(parts[0].text + parts[1].text, cedillas);
}

TEST(PduLong, refusesMissingPartsAndTakesAFreshReferencePerMessage) {
    PDU pdu;
    const QString message = times("a", 200);
    EXPECT_EQ(pdu.Encode_UDH_PDU(message, "+123", "", true, false, 2, 3, false), "");
    EXPECT_EQ(pdu.Encode_UDH_PDU(message, "+123", "", true, false, 3, 3, false), "");
    EXPECT_EQ(pdu.Encode_UDH_PDU(message, "+123", "", true, false, 2, 0, false), "");
    EXPECT_EQ(pdu.Encode_UDH_PDU(message, "+123", "", false, false, 2, 1, false), "");

    pdu.Encode_UDH_PDU(message, "+123", "", true, false, 2, 1, false);
    const int first = pdu.Concatenation_Reference();
    pdu.Encode_UDH_PDU(message, "+123", "", true, false, 2, 2, false);
    EXPECT_EQ(pdu.Concatenation_Reference(), first);  // same message, same reference
    pdu.Encode_UDH_PDU(message, "+456", "", true, false, 2, 1, false);
    EXPECT_NE(pdu.Concatenation_Reference(), first);  // the first part again: a new message
}

}  // namespace
