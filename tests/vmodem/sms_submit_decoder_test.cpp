// SMS-SUBMIT vectors assembled field by field from TS 23.040 / 23.038; each hex string is
// split in the comment as SCA | first octet MR | DA | PID DCS | VP | UDL | UD.
#include "virtual-modem/sms_submit_decoder.h"
#include "virtual-modem/text_payload.h"

#include <QRandomGenerator>

#include <gtest/gtest.h>

namespace tesk::vmodem {
namespace {

struct Vector {
    const char* name;
    const char* hex;
    const char* number;
    QString text;
    const char* coding;
    int messageClass = -1;
    int concatRef = -1;
    int concatPart = 0;
    int concatTotal = 0;
    const char* serviceCentre = "";
    int tpduOctets = 0;
};

void PrintTo(const Vector& v, std::ostream* os) {
    *os << v.name << " " << v.hex;
}

class DecodeValid : public ::testing::TestWithParam<Vector> {};

TEST_P(DecodeValid, yieldsTheAddressedMessage) {
    const Vector& v = GetParam();
    const SmsSubmit sms = DecodeSmsSubmit(QString::fromLatin1(v.hex));
    ASSERT_TRUE(sms.ok) << sms.error.toStdString();
    EXPECT_EQ(sms.number, QString::fromUtf8(v.number));
    EXPECT_EQ(sms.text, v.text);
    EXPECT_EQ(AlphabetName(sms.coding.alphabet), QString::fromLatin1(v.coding));
    EXPECT_EQ(sms.coding.messageClass, v.messageClass);
    EXPECT_EQ(sms.concatRef, v.concatRef);
    EXPECT_EQ(sms.concatPart, v.concatPart);
    EXPECT_EQ(sms.concatTotal, v.concatTotal);
    EXPECT_EQ(sms.serviceCentre, QString::fromLatin1(v.serviceCentre));
    EXPECT_EQ(sms.tpduOctets, v.tpduOctets);
}

INSTANTIATE_TEST_SUITE_P(
    Vectors, DecodeValid,
    ::testing::Values(
        // 00 | 11 00 | 05 81 2143F5 | 00 00 | FF | 05 | E8329BFD06
        Vector{"national_odd", "00110005812143F50000FF05E8329BFD06", "12345",
               QStringLiteral("hello"), "gsm7", -1, -1, 0, 0, "", 16},
        // 07 91 447758100650 | 11 00 | 05 91 2143F5 | 00 00 | FF | 05 | E8329BFD06
        Vector{"with_sca", "0791447758100650110005912143F50000FF05E8329BFD06", "+12345",
               QStringLiteral("hello"), "gsm7", -1, -1, 0, 0, "+447785016005", 16},
        // 00 | 11 00 | 0C 91 442143658709 | 00 00 | FF | 02 | E834
        Vector{"international_even", "0011000C914421436587090000FF02E834", "+441234567890",
               QStringLiteral("hi"), "gsm7", -1, -1, 0, 0, "", 16},
        // DA 07 D0 49B7F90D: alphanumeric, 7 semi-octets = 4 packed septets "Info"
        Vector{"alphanumeric", "00110007D049B7F90D0000FF02E834", "Info", QStringLiteral("hi"),
               "gsm7", -1, -1, 0, 0, "", 14},
        // UDL 12 (18 septets): ESC 65, ESC 3C, ESC 3E, ESC 3D, ESC 14, ESC 28, ESC 29, ESC 2F, ESC
        // 40
        Vector{"escapes", "00110005912143F50000FF129BF286B7F16D7A1BCA06B5496D5E1B20", "+12345",
               QStringLiteral("€[]~^{}\\|"), "gsm7", -1, -1, 0, 0, "", 27},
        // every non-ASCII character of the default table, septets 00..7F
        Vector{
            "default_table",
            "00110005912143F50000FF2A8080604028180E88C482E17840229209A562B960321A4EC7F32101B7DCAEF7"
            "0BDEF3FBFE3F",
            "+12345", QStringLiteral("@£$¥èéùìòÇØøÅåΔ_ΦΓΛΩΠΨΣΘΞÆæßÉ¤¡ÄÖÑÜ§¿äöñüà"), "gsm7", -1, -1,
            0, 0, "", 48},
        // UD 04 E186420C: 'a' CR LF 'b'
        Vector{"line_breaks", "00110005812143F50000FF04E186420C", "12345", QStringLiteral("a\r\nb"),
               "gsm7", -1, -1, 0, 0, "", 15},
        // DCS 08, UDL 08: 0041 20AC D83D DE00 (A, euro, one character outside the BMP)
        Vector{"ucs2_surrogates", "00110005912143F50008FF08004120ACD83DDE00", "+12345",
               QString::fromUtf8("A€\xF0\x9F\x98\x80"), "ucs2", -1, -1, 0, 0, "", 19},
        // DCS 04 (8-bit), UD 01 41 7F C9
        Vector{"eight_bit", "00110005912143F50004FF0401417FC9", "+12345",
               QStringLiteral("\\x01A\\x7FÉ"), "8bit", -1, -1, 0, 0, "", 15},
        // FO 51 (UDHI), UDL 0B: UDH 05 | 00 03 2A 02 01, one fill bit, then "part"
        Vector{"concat_8bit_ref", "00510005912143F50000FF0B0500032A0201E061391D", "+12345",
               QStringLiteral("part"), "gsm7", -1, 0x2A, 1, 2, "", 21},
        // UDH 06 | 08 04 1234 03 02: seven octets = eight septets, no fill bits
        Vector{"concat_16bit_ref_gsm7", "00510005912143F50000FF0D06080412340302E8329BFD06",
               "+12345", QStringLiteral("hello"), "gsm7", -1, 0x1234, 2, 3, "", 23},
        Vector{"concat_16bit_ref_ucs2", "00510005912143F50008FF0B0608041234030200480069", "+12345",
               QStringLiteral("Hi"), "ucs2", -1, 0x1234, 2, 3, "", 22},
        // UDH 0A | 0A 03 000500 (text formatting, skipped) | 00 03 07 03 01; three fill bits
        Vector{"unknown_element_skipped", "00510005912143F50000FF0E0A0A030005000003070301C003",
               "+12345", QStringLiteral("x"), "gsm7", -1, 7, 1, 3, "", 24},
        Vector{"flash_gsm7", "00110005912143F50010FF02E834", "+12345", QStringLiteral("hi"), "gsm7",
               0, -1, 0, 0, "", 13},
        Vector{"flash_ucs2", "00110005912143F50018FF0400680069", "+12345", QStringLiteral("hi"),
               "ucs2", 0, -1, 0, 0, "", 15},
        // coding group F: F0 = 7-bit class 0, F6 = 8-bit class 2
        Vector{"group_f_class0", "00110005912143F500F0FF02E834", "+12345", QStringLiteral("hi"),
               "gsm7", 0, -1, 0, 0, "", 13},
        Vector{"group_f_8bit_class2", "00110005912143F500F6FF020102", "+12345",
               QStringLiteral("\\x01\\x02"), "8bit", 2, -1, 0, 0, "", 13},
        // message waiting group E: UCS2, no class
        Vector{"waiting_ucs2", "00110005912143F500E0FF04006F006B", "+12345", QStringLiteral("ok"),
               "ucs2", -1, -1, 0, 0, "", 15},
        // VPF absent (FO 01), absolute (FO 19, 7 octets), enhanced (FO 09, 7 octets)
        Vector{"no_validity", "00010005912143F5000002E834", "+12345", QStringLiteral("hi"), "gsm7",
               -1, -1, 0, 0, "", 12},
        Vector{"absolute_validity", "00190005912143F500002110715152240002E834", "+12345",
               QStringLiteral("hi"), "gsm7", -1, -1, 0, 0, "", 19},
        Vector{"enhanced_validity", "00090005912143F500004200000000000002E834", "+12345",
               QStringLiteral("hi"), "gsm7", -1, -1, 0, 0, "", 19}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DecodeSmsSubmit, readsTheFirstOctetFlags) {
    // FO B5 = reply path, status report request, validity relative, reject duplicates, SUBMIT
    const SmsSubmit sms = DecodeSmsSubmit(QStringLiteral("00B50005912143F50000FF02E834"));
    ASSERT_TRUE(sms.ok) << sms.error.toStdString();
    EXPECT_TRUE(sms.replyPath);
    EXPECT_TRUE(sms.statusReportRequest);
    EXPECT_TRUE(sms.rejectDuplicates);
    EXPECT_FALSE(sms.hasHeader);
    EXPECT_EQ(sms.validityFormat, ValidityFormat::Relative);
    EXPECT_EQ(sms.validity, QByteArray("\xFF", 1));
}

struct Broken {
    const char* name;
    const char* hex;
};

void PrintTo(const Broken& b, std::ostream* os) {
    *os << b.name << " " << b.hex;
}

class DecodeBroken : public ::testing::TestWithParam<Broken> {};

TEST_P(DecodeBroken, isRefusedWithAReason) {
    const SmsSubmit sms = DecodeSmsSubmit(QString::fromLatin1(GetParam().hex));
    EXPECT_FALSE(sms.ok);
    EXPECT_FALSE(sms.error.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Vectors, DecodeBroken,
    ::testing::Values(Broken{"empty", ""}, Broken{"odd_digits", "0011000"},
                      Broken{"not_hex", "0011000581ZZ43F50000FF05E8329BFD06"},
                      Broken{"deliver_not_submit", "00040005812143F50000FF05E8329BFD06"},
                      Broken{"sca_too_long", "0C91447758100650110005912143F50000FF05E8329BFD06"},
                      Broken{"sca_past_end", "0791447758"},
                      Broken{"da_too_long", "0011001591214365870921436587092143650000FF02E834"},
                      Broken{"da_past_end", "0011000C9144214365"},
                      Broken{"filler_inside_number", "00110005812F43F50000FF05E8329BFD06"},
                      Broken{"odd_number_without_filler",
                             "0011000581214355"
                             "0000FF05E8329BFD06"},
                      Broken{"udl_past_data", "00110005812143F50000FF06E8329BFD06"},
                      Broken{"data_after_ud", "00110005812143F50000FF05E8329BFD0600"},
                      Broken{"udl_over_160", "00110005812143F50000FFA1E8329BFD06"},
                      Broken{"udh_past_ud", "00510005912143F50008FF050600680069"},
                      Broken{"element_past_header", "00510005912143F50008FF0703000500680069"},
                      Broken{"concat_bad_length", "00510005912143F50008FF090400022A0100680069"},
                      Broken{"concat_part_past_total",
                             "00510005912143F50000FF0B0500032A0203E061391D"},
                      Broken{"ucs2_odd_octets", "00110005912143F50008FF03006800"},
                      Broken{"vp_past_end", "00190005912143F5000021107151"},
                      Broken{"truncated_after_first_octet", "0011"}),
    [](const auto& info) { return std::string(info.param.name); });

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

struct TextCase {
    const char* name;
    QByteArray bytes;
    const char* charset;
    int dcs;
    QString text;
};

void PrintTo(const TextCase& c, std::ostream* os) {
    *os << c.name;
}

class TextPayloadDecoding : public ::testing::TestWithParam<TextCase> {};

TEST_P(TextPayloadDecoding, followsTheCharacterSet) {
    const TextCase& c = GetParam();
    const TextPayload p =
        DecodeTextPayload(c.bytes, QString::fromLatin1(c.charset), DescribeDcs(c.dcs));
    ASSERT_TRUE(p.ok) << p.error.toStdString();
    EXPECT_EQ(p.text, c.text);
}

INSTANTIATE_TEST_SUITE_P(
    Sets, TextPayloadDecoding,
    ::testing::Values(
        // 0x40 is the inverted exclamation mark in the GSM set, 0x1B 0x65 the euro sign
        TextCase{"gsm", QByteArray("Hi@\x1B\x65"), "GSM", 0, QStringLiteral("Hi¡€")},
        TextCase{"ira", QByteArray("Hi@"), "IRA", 0, QStringLiteral("Hi@")},
        TextCase{"gsm_with_utf8", QByteArray("caf\xC3\xA9"), "GSM", 0, QStringLiteral("café")},
        TextCase{"ucs2", QByteArray("0048D83DDE00"), "UCS2", 8,
                 QString::fromUtf8("H\xF0\x9F\x98\x80")},
        TextCase{"hex_ucs2_coding", QByteArray("041F0440"), "HEX", 8, QStringLiteral("Пр")},
        TextCase{"hex_utf8", QByteArray("C3A9"), "HEX", 0, QStringLiteral("é")},
        TextCase{"hex_8bit", QByteArray("0141"), "HEX", 4, QStringLiteral("\\x01A")}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TextPayload, numbersInUcs2AreDecodedOnlyWhenTheyReadAsNumbers) {
    const QString ucs2 = QStringLiteral("UCS2");
    EXPECT_EQ(DecodeTeString(QStringLiteral("002B00310032"), ucs2), QStringLiteral("+12"));
    EXPECT_EQ(DecodeTeString(QStringLiteral("12345678"), ucs2), QStringLiteral("12345678"));
    EXPECT_EQ(DecodeTeString(QStringLiteral("002B00310032"), QStringLiteral("GSM")),
              QStringLiteral("002B00310032"));
}

}  // namespace
}  // namespace tesk::vmodem
