// Fixed vectors of the codec: fields, alphabet, packing, part windows and the single/long choice.
#include "pdu/pdu.h"
#include "virtual-modem/sms_submit_decoder.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using tesk::vmodem::DecodeSmsSubmit;
using tesk::vmodem::SmsSubmit;

QString repeated(const QString& piece, int times) {
    return piece.repeated(times);
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

struct HelperCase {
    const char* name;
    QString actual;
    QString expected;
};

TEST(PduHelpers, formatHexadecimal) {
    const std::vector<HelperCase> cases = {
        {"Hex 5", Hex(5), "5"},
        {"Hex 26", Hex(26), "1A"},
        {"Hex 0", Hex(0), "0"},
        {"Hex 300", Hex(300), "12C"},
        {"BCDEncode 5", PDU::BCDEncode(5), "05"},
        {"BCDEncode 145", PDU::BCDEncode(145), "91"},
        {"PadZero short", PDU::PadZero("A", 4), "000A"},
        {"PadZero long enough", PDU::PadZero("12345", 4), "12345"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.actual, c.expected) << c.name;
    }
}

TEST(PduHelpers, readCharactersAndHexadecimal) {
    EXPECT_EQ(Asc("A"), 65);
    EXPECT_EQ(Asc(QString::fromUtf8("€")), 0xAC);  // low byte of U+20AC
    EXPECT_EQ(AscW(QString::fromUtf8("€")), 0x20AC);
    EXPECT_EQ(Asc(""), 0);
    EXPECT_EQ(AscW(""), 0);
    EXPECT_EQ(PDU::hex2int("1A"), 26);
    EXPECT_EQ(PDU::hex2int("ff"), 255);
    EXPECT_EQ(PDU::hex2int("0x10"), 16);  // "x" counts as 0
    EXPECT_EQ(PDU::hex2int("12345"), 0x12345);
    EXPECT_EQ(PDU::hex2int(""), 0);
}

TEST(PduAddress, encodesNumbersAsSwappedSemiOctets) {
    const std::vector<HelperCase> cases = {
        {"international odd", PDU::EncodeDestinationAddress("+123"), "039121F3"},
        {"national odd", PDU::EncodeDestinationAddress("12345"), "05812143F5"},
        {"national even", PDU::EncodeDestinationAddress("0612"), "04816021"},
        {"empty destination", PDU::EncodeDestinationAddress(""), "00"},
        {"empty service centre", PDU::EncodeSMSCAddress(""), "00"},
        {"service centre even", PDU::EncodeSMSCAddress("+447785016005"), "0791447758100650"},
        {"service centre odd", PDU::EncodeSMSCAddress("+4412345"), "0591442143F5"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.actual, c.expected) << c.name;
    }
}

struct AlphabetCase {
    QString text;
    QByteArray septets;
};

TEST(PduAlphabet, mapsCharactersToTheirSeptets) {
    const std::vector<AlphabetCase> cases = {
        {"@", QByteArray("\x00", 1)},
        {"{", QByteArray("\x1B\x28")},
        {QString::fromUtf8("ö"), QByteArray("\x7C")},
        {QString::fromUtf8("¡"), QByteArray("\x40")},
        {QString::fromUtf8("ù"), QByteArray("\x06")},
        {QString::fromUtf8("Λ"), QByteArray("\x14")},
        {QString::fromUtf8("€"), QByteArray("\x1B\x65")},
        {"\f", QByteArray("\x1B\x0A")},
        {"^", QByteArray("\x1B\x14")},
        {"$", QByteArray("\x02")},
        {QString::fromUtf8("¤"), QByteArray("\x24")},
        {"_", QByteArray("\x11")},
        {QString::fromUtf8("à"), QByteArray("\x7F")},
        {"Az 9\r\n", QByteArray("Az 9\r\n")},
        // Not a GSM character: the low byte (0xFA), which the packing cuts to 7 bits.
        {QString::fromUtf8("ú"), QByteArray("\xFA")},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PDU::MapTo7BitAlphabet(c.text), c.septets) << c.text.toStdString();
    }
}

TEST(PduUserData, packsAndUnpacksSeptets) {
    EXPECT_EQ(PDU::EncodeUserData(PDU::MapTo7BitAlphabet("hello")), "E8329BFD06");
    EXPECT_EQ(PDU::EncodeUserData(PDU::MapTo7BitAlphabet("{")), "1B14");
    EXPECT_EQ(PDU::EncodeUserData({}), "");
    EXPECT_EQ(PDU::DecodeUserData("E8329BFD06"), "hello");
    // Every length through two padding cycles, including the seven-septet ones whose eighth
    // septet is the zero padding.
    const QString text = QString::fromUtf8("+4477850160€5{Ä}ΛΩ@x");
    for (int length = 0; length <= text.size(); ++length) {
        const QString piece = text.left(length);
        EXPECT_EQ(PDU::DecodeUserData(PDU::EncodeUserData(PDU::MapTo7BitAlphabet(piece))), piece);
    }
}

TEST(PduUserData, encodesAndDecodesUcs2) {
    EXPECT_EQ(PDU::EncodeUserData_16_bit(QString::fromUtf8("A€")), "004120AC");
    EXPECT_EQ(PDU::DecodeUserData_16_bit("002B0031"), "+1");
    EXPECT_EQ(PDU::DecodeUserData_16_bit("20ac"), QString::fromUtf8("€"));
    EXPECT_EQ(PDU::DecodeUserData_16_bit("002B003"), "+");  // an incomplete group is dropped
}

struct SingleCase {
    const char* name;
    QString message;
    QString number;
    QString smsc;
    bool flash;
    bool unicode;
    QString pdu;
};

TEST(PduSingle, buildsWholeMessages) {
    const std::vector<SingleCase> cases = {
        {"hello", "hello", "+123", "", false, false, "001100039121F30000FF05E8329BFD06"},
        {"escape counts two", "{", "12345", "", false, false, "00110005812143F50000FF021B14"},
        {"flash 7-bit", "hello", "+123", "", true, false, "001100039121F30010FF05E8329BFD06"},
        {"UCS2", QString::fromUtf8("A€"), "+123", "", false, true,
         "001100039121F30008FF04004120AC"},
        {"UCS2 flash with service centre", QString::fromUtf8("A€"), "12345", "+447785016005", true,
         true, "0791447758100650110005812143F50018FF04004120AC"},
        {"needs Unicode without the flag", QString::fromUtf8("ç"), "+123", "", false, false,
         "001100039121F30008FF0200E7"},
        {"empty", "", "+123", "", false, false, "001100039121F30000FF00"},
    };
    for (const auto& c : cases) {
        PDU pdu;
        EXPECT_EQ(pdu.EncodePDU(c.message, c.number, c.smsc, true, c.flash, c.unicode), c.pdu)
            << c.name;
    }
    PDU pdu;
    EXPECT_EQ(pdu.EncodePDU("hello", "+123", "", false, false, false), "");
}

TEST(PduSingle, countsTpduOctetsWithoutTheServiceCentre) {
    PDU pdu;
    EXPECT_EQ(PDU::Tpdu_Octets(pdu.EncodePDU("hello", "+123", "", true, false, false)), 15);
    EXPECT_EQ(PDU::Tpdu_Octets(pdu.EncodePDU("hello", "+123", "+447785016005", true, false, false)),
              15);
    EXPECT_EQ(PDU::Tpdu_Octets(""), 0);
}

struct FitCase {
    const char* name;
    QString message;
    QString number;
    bool unicode;
    bool fits;
};

TEST(PduSingle, decidesBetweenSingleAndConcatenated) {
    const QString ucs2Char = QString::fromUtf8("ж");
    const std::vector<FitCase> cases = {
        {"160 septets", repeated("a", 160), "+447700900123", false, true},
        {"161 septets", repeated("a", 161), "+447700900123", false, false},
        {"80 escapes are 160 septets", repeated("{", 80), "+447700900123", false, true},
        {"80 escapes and one more", repeated("{", 80) + "a", "+447700900123", false, false},
        {"70 units", repeated(ucs2Char, 70), "+447700900123", true, true},
        {"71 units", repeated(ucs2Char, 71), "+447700900123", true, false},
        {"70 units without the flag", repeated(ucs2Char, 70), "+447700900123", false, true},
        {"71 units without the flag", repeated(ucs2Char, 71), "+447700900123", false, false},
        // 160 septets are 140 octets; with 7 fixed octets and a 12-digit number the TPDU is 154.
        {"TPDU of 154 octets", repeated("a", 160), "447700900123", false, true},
        {"TPDU of 155 octets", repeated("a", 160), "4477009001234", false, false},
        {"long number, short text", "hi", "44770090012345678901", false, true},
    };
    for (const auto& c : cases) {
        PDU pdu;
        EXPECT_EQ(pdu.Fits_Single_Message(c.message, c.number, "", c.unicode), c.fits) << c.name;
    }
}

TEST(PduLong, splits301SeptetsInto152And149) {
    const QString message = repeated("0123456789", 31).left(301);
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
}

TEST(PduLong, writesTheHeaderOctets) {
    PDU pdu;
    const QString message = repeated("a", 200);
    const QString part2 = pdu.Encode_UDH_PDU(message, "+123", "", true, false, 2, 2, false);
    const QString reference = PDU::PadZero(Hex(pdu.Concatenation_Reference()), 4);
    // UDL 8 + 48 septets = 0x38, then UDHL 06, IEI 08, IEDL 04, reference, total, part.
    EXPECT_TRUE(part2.startsWith("005100039121F30000FF38060804" + reference + "0202"))
        << part2.toStdString();
}

struct EscapeBoundaryCase {
    int lettersBefore;  // 'a's before the euro sign
    int firstPartSeptets;
};

TEST(PduLong, neverSplitsAnEscapePair) {
    const std::vector<EscapeBoundaryCase> cases = {
        {149, 152},  // the pair ends at septet 151, a letter follows
        {150, 152},  // the pair ends exactly at the window end
        {151, 151},  // the pair would straddle the end: it moves to part 2
    };
    const QString euro = QString::fromUtf8("€");
    for (const auto& c : cases) {
        const QString message = repeated("a", c.lettersBefore) + euro + repeated("b", 20);
        const QList<SmsSubmit> parts = encodeLong(message, false);
        ASSERT_EQ(parts.size(), 2) << c.lettersBefore;
        EXPECT_EQ(parts[0].userDataLength, 8 + c.firstPartSeptets) << c.lettersBefore;
        EXPECT_EQ(parts[0].text + parts[1].text, message) << c.lettersBefore;
        EXPECT_EQ(parts[1].text.startsWith(euro), c.lettersBefore == 151) << c.lettersBefore;
    }
}

TEST(PduLong, cutsUcs2Into66UnitWindows) {
    QString message;
    for (int i = 0; i < 130; ++i) {
        message.append(QChar(char16_t(0x0410 + i % 32)));  // Cyrillic capitals
    }
    EXPECT_EQ(PDU::Part_Sizes(message, true), QList<int>({66, 64}));

    const QString hundred = message.left(100);
    const QList<SmsSubmit> parts = encodeLong(hundred, true);
    ASSERT_EQ(parts.size(), 2);
    EXPECT_EQ(parts[1].userDataLength, 75);
    EXPECT_EQ(parts[1].text, hundred.mid(66));  // characters 67 to 100
    EXPECT_EQ(parts[0].userDataLength, 139);
}

TEST(PduLong, neverSplitsASurrogatePair) {
    const QString emoji = QString::fromUtf8("😀");
    const QString message = repeated(QString::fromUtf8("ж"), 65) + emoji + repeated("z", 10);
    EXPECT_EQ(PDU::Part_Sizes(message, true), QList<int>({65, 12}));
    const QList<SmsSubmit> parts = encodeLong(message, true);
    ASSERT_EQ(parts.size(), 2);
    EXPECT_EQ(parts[0].userDataLength, 7 + 130);
    EXPECT_TRUE(parts[1].text.startsWith(emoji));
    EXPECT_EQ(parts[0].text + parts[1].text, message);
}

TEST(PduLong, refusesPartsThatDoNotExist) {
    PDU pdu;
    const QString message = repeated("a", 200);
    EXPECT_EQ(pdu.Encode_UDH_PDU(message, "+123", "", true, false, 2, 3, false), "");
    EXPECT_EQ(pdu.Encode_UDH_PDU(message, "+123", "", true, false, 3, 3, false), "");
    EXPECT_EQ(pdu.Encode_UDH_PDU(message, "+123", "", true, false, 2, 0, false), "");
    EXPECT_EQ(pdu.Encode_UDH_PDU(message, "+123", "", false, false, 2, 1, false), "");
}

TEST(PduLong, forcesUcs2WhenTheTextNeedsIt) {
    const QString message = repeated(QString::fromUtf8("ç"), 100);
    EXPECT_EQ(PDU::Part_Count(message, false), 2);
    const QList<SmsSubmit> parts = encodeLong(message, false);
    ASSERT_EQ(parts.size(), 2);
    EXPECT_EQ(parts[0].coding.alphabet, tesk::vmodem::Alphabet::Ucs2);
    EXPECT_EQ(parts[0].text + parts[1].text, message);
}

TEST(PduLong, takesAFreshReferenceForEachMessage) {
    PDU pdu;
    const QString message = repeated("a", 200);
    pdu.Encode_UDH_PDU(message, "+123", "", true, false, 2, 1, false);
    const int first = pdu.Concatenation_Reference();
    pdu.Encode_UDH_PDU(message, "+123", "", true, false, 2, 2, false);
    EXPECT_EQ(pdu.Concatenation_Reference(), first);  // same message, same reference
    pdu.Encode_UDH_PDU(message, "+456", "", true, false, 2, 1, false);
    EXPECT_NE(pdu.Concatenation_Reference(), first);  // the first part again: a new message
}

}  // namespace
