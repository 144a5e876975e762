// Fixed vectors of the codec where a round trip through the virtual modem's decoder cannot tell:
// fields and alphabet, the first octet, the part windows and the single/long choice.
#include "pdu/pdu.h"
#include "virtual-modem/sms_submit_decoder.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

namespace {

QString times(const char* piece, int count) {
    return QString::fromUtf8(piece).repeated(count);
}

// The round trip checks the addresses and user data it can read back; these are the vectors it
// cannot (the service centre's octet count, the national type, the reading of lower-case and cut
// UCS2 hex the device answers use).
TEST(PduFields, matchTheirVectors) {
    const std::vector<std::pair<QString, QString>> cases = {
        {PDU::EncodeDestinationAddress("0612"), "04816021"},
        {PDU::EncodeSMSCAddress("+4412345"), "0591442143F5"},
        {PDU::EncodeUserData_16_bit(QString::fromUtf8("A€")), "004120AC"},
        {PDU::DecodeUserData_16_bit("20ac"), QString::fromUtf8("€")},
        {PDU::DecodeUserData_16_bit("002B003"), "+"}  // an incomplete group is dropped
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        EXPECT_EQ(cases[i].first, cases[i].second) << "row " << i;
    }
    // The character-code helpers: the low byte, the whole UTF-16 unit, 0 for nothing.
    EXPECT_EQ(Asc(QString::fromUtf8("€")), 0xAC);
    EXPECT_EQ(AscW(QString::fromUtf8("€")), 0x20AC);
    EXPECT_EQ(Asc(""), 0);
    EXPECT_EQ(AscW(""), 0);
}

// The round trip checks the rest of the GSM table.
TEST(PduAlphabet, mapsCharactersToTheirSeptetsAndPacksEveryLength) {
    const std::vector<std::pair<const char*, QByteArray>> cases = {
        {"@", QByteArray("\x00", 1)},
        {"{", "\x1B\x28"},
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

// The round trip reads every field back but the first octet (validity period, TP-SRR, header
// flag), and it always names the coding itself.
TEST(PduSingle, buildsTheFirstOctetAndGoesUcs2UnaskedWhenTheTextNeedsIt) {
    PDU pdu;
    EXPECT_EQ(pdu.EncodePDU("hello", "+123", "", true, false, false),
              "001100039121F30000FF05E8329BFD06");
    EXPECT_EQ(pdu.EncodePDU(QString::fromUtf8("ç"), "+123", "", true, false, false),
              "001100039121F30008FF0200E7");
    EXPECT_EQ(pdu.EncodePDU("hello", "+123", "", false, false, false), "");
    const QString part2 = pdu.Encode_UDH_PDU(times("a", 200), "+123", "", true, false, 2, 2, false);
    const QString reference = PDU::PadZero(Hex(pdu.Concatenation_Reference()), 4);
    // UDL 8 + 48 septets = 0x38, then UDHL 06, IEI 08, IEDL 04, reference, total, part.
    EXPECT_EQ(part2.left(36), "005100039121F30000FF38060804" + reference + "0202");
    const QString cedillas = times("ç", 100);
    EXPECT_EQ(tesk::vmodem::DecodeSmsSubmit(
                  pdu.Encode_UDH_PDU(cedillas, "+123", "", true, false, 2, 1, false))
                  .coding.alphabet,
              tesk::vmodem::Alphabet::Ucs2);

    PDU asking;  // TP-SRR (0x20) in the first octet and nothing else
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
        {times("a", 160), uk, false, true, 1, 1},
        {times("a", 161), uk, false, false, 2, 2},
        {times("a", 301), uk, false, false, 2, 3},
        {times("a", 305), uk, false, false, 3, 3},
        {times("{", 70), uk, false, true, 1, 1},  // 140 septets; 70 units through UCS2
        {times("{", 71), uk, false, true, 1, 2},  // 142 septets; text mode goes wide
        {times("{", 80) + "a", uk, false, false, 2, 2},
        {times("ж", 70), uk, true, true, 1, 1},
        {times("ж", 71), uk, true, false, 2, 2},
        {times("ж", 71), uk, false, false, 2, 2},
        {times("ж", 129), uk, true, false, 2, 3},
        {surrogateAt64, uk, false, false, 2, 3},  // text mode never splits the pair either
        {times("a", 160), "447700900123", false, true, 1, 1},    // TPDU of 154 octets
        {times("a", 160), "4477009001234", false, false, 2, 2},  // 155
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(QStringLiteral("%1 units of %2 to %3, unicode %4")
                         .arg(c.message.size())
                         .arg(c.message.left(1), c.number)
                         .arg(c.unicode)
                         .toStdString());
        PDU pdu;
        EXPECT_EQ(pdu.Fits_Single_Message(c.message, c.number, "", c.unicode), c.fits);
        EXPECT_EQ(PDU::Pdu_Mode_Submissions(c.message, c.number, c.unicode), c.pduMode);
        EXPECT_EQ(PDU::Text_Mode_Submissions(c.message, c.number, c.unicode), c.textMode);
    }
}

// The windows a long message is cut into; the round trip checks that the parts carry them.
TEST(PduLong, cutsWindowsWithoutSplittingAnEscapeOrSurrogatePair) {
    const QString euro = QString::fromUtf8("€");
    QString cyrillic;
    for (int i = 0; i < 130; ++i) {
        cyrillic.append(QChar(char16_t(0x0410 + i % 32)));
    }
    const std::vector<std::tuple<QString, bool, QList<int>>> cases = {
        {"", false, {0}},  // an empty text is one empty part
        {times("0123456789", 31).left(301), false, {152, 149}},
        {times("a", 150) + euro + times("b", 20), false, {152, 20}},  // the pair ends the window
        {times("a", 151) + euro + times("b", 20), false, {151, 22}},  // it would straddle it
        {cyrillic, true, {66, 64}},
        {times("ж", 65) + QString::fromUtf8("😀") + times("z", 10), true, {65, 12}},
    };
    for (const auto& [message, unicode, sizes] : cases) {
        EXPECT_EQ(PDU::Part_Sizes(message, unicode), sizes) << message.size() << " units";
    }
    PDU pdu;  // parts that do not exist, or asked for without the centre field
    for (const auto& [smsc, total, part] :
         {std::tuple{true, 2, 3}, {true, 3, 3}, {true, 2, 0}, {false, 2, 1}}) {
        EXPECT_EQ(pdu.Encode_UDH_PDU(times("a", 200), "+123", "", smsc, false, total, part, false),
                  "")
            << part << " of " << total;
    }
}

}  // namespace
