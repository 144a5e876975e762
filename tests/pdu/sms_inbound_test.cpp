// Status reports and incoming messages read from fixed vectors, each built field by field from
// TS 23.040 (the comments show the fields), never by an encoder of ours.
#include "pdu/sms_inbound.h"
#include "pdu/pdu.h"

#include <QTimeZone>

#include <gtest/gtest.h>

#include <vector>

namespace {

using pdu::DeliveryState;
using pdu::IncomingMessage;
using pdu::StatusReport;

QDateTime at(int y, int mo, int d, int h, int mi, int s, int offsetMinutes) {
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s), QTimeZone(offsetMinutes * 60));
}

const QString kSmsc = QStringLiteral("0791447758100650");  // 7 octets: 91, +447785016005
const QString kPlus447700900123 = QStringLiteral("0C91447700091032");
// 2024-03-01 12:34:56 and 12:35:05, zone 04 quarters (+01:00)
const QString kScts = QStringLiteral("42301021436540");
const QString kDt = QStringLiteral("42301021535040");

struct ReportCase {
    const char* name;
    QString hex;
    bool withSmsc;
    StatusReport expected;
};

TEST(StatusReportPdu, readsTheFieldsOfEveryKindOfReport) {
    const std::vector<ReportCase> cases = {
        {"delivered, international, with service centre",
         kSmsc + "06" + "2A" + kPlus447700900123 + kScts + kDt + "00",
         true,
         {42, "+447700900123", at(2024, 3, 1, 12, 34, 56, 60), at(2024, 3, 1, 12, 35, 5, 60), 0,
          DeliveryState::Delivered}},
        {"the same without the service-centre field",
         "06"
         "2A" +
             kPlus447700900123 + kScts + kDt + "00",
         false,
         {42, "+447700900123", at(2024, 3, 1, 12, 34, 56, 60), at(2024, 3, 1, 12, 35, 5, 60), 0,
          DeliveryState::Delivered}},
        // empty centre field; MR 255; 10 national digits; zone 0A = minus 20 quarters; TP-ST 22
        {"pending, national, negative zone",
         "00"
         "06"
         "FF"
         "0A811032547698"
         "5221133295950A"
         "5221133295950A"
         "22",
         true,
         {255, "0123456789", at(2025, 12, 31, 23, 59, 59, -300), at(2025, 12, 31, 23, 59, 59, -300),
          0x22, DeliveryState::Pending}},
        // odd digit count filled with F; a TP-PI octet after TP-ST is allowed
        {"failed permanently, odd number, parameter indicator after it",
         "00"
         "06"
         "00"
         "05912143F5"
         "42101000000000"
         "42101000000000"
         "41"
         "00",
         true,
         {0, "+12345", at(2024, 1, 1, 0, 0, 0, 0), at(2024, 1, 1, 0, 0, 0, 0), 0x41,
          DeliveryState::Failed}},
        {"stopped trying",
         "00"
         "06"
         "07"
         "05912143F5" +
             kScts + kDt + "62",
         true,
         {7, "+12345", at(2024, 3, 1, 12, 34, 56, 60), at(2024, 3, 1, 12, 35, 5, 60), 0x62,
          DeliveryState::Failed}},
    };
    for (const ReportCase& c : cases) {
        const std::optional<StatusReport> r = pdu::Decode_Status_Report(c.hex, c.withSmsc);
        ASSERT_TRUE(r.has_value()) << c.name;
        EXPECT_EQ(r->reference, c.expected.reference) << c.name;
        EXPECT_EQ(r->recipient, c.expected.recipient) << c.name;
        EXPECT_EQ(r->centreTime, c.expected.centreTime) << c.name;
        EXPECT_EQ(r->centreTime.offsetFromUtc(), c.expected.centreTime.offsetFromUtc()) << c.name;
        EXPECT_EQ(r->dischargeTime, c.expected.dischargeTime) << c.name;
        EXPECT_EQ(r->status, c.expected.status) << c.name;
        EXPECT_EQ(r->state, c.expected.state) << c.name;
    }
}

TEST(StatusReportPdu, refusesWhatIsNoWholeReport) {
    const QString good =
        "00"
        "06"
        "2A" +
        kPlus447700900123 + kScts + kDt + "00";
    const std::vector<std::pair<const char*, QString>> cases = {
        {"a deliver's message type",
         "00"
         "04"
         "2A" +
             kPlus447700900123 + kScts + kDt + "00"},
        {"a submit's message type",
         "00"
         "01"
         "2A" +
             kPlus447700900123 + kScts + kDt + "00"},
        {"TP-ST missing", good.chopped(2)},
        {"odd number of digits", good + "0"},
        {"not hex", good.left(10) + "G" + good.mid(11)},
        {"address longer than 20 digits",
         "00"
         "06"
         "2A"
         "1591" +
             QString(22, u'1') + kScts + kDt},
        {"centre field running past the end", "0F0791"},
        {"empty", ""},
        {"taken without its centre field", good.mid(2)},
    };
    for (const auto& [name, hex] : cases) {
        EXPECT_FALSE(pdu::Decode_Status_Report(hex).has_value()) << name;
    }
    // An impossible date is no reason to lose the report's verdict.
    const auto badDate = pdu::Decode_Status_Report(
        "00"
        "06"
        "2A" +
        kPlus447700900123 + "42319921436540" + kDt + "00");
    ASSERT_TRUE(badDate.has_value());
    EXPECT_FALSE(badDate->centreTime.isValid());
    EXPECT_EQ(badDate->dischargeTime, at(2024, 3, 1, 12, 35, 5, 60));
}

TEST(StatusReportText, readsTheLineOfEachForm) {
    struct Case {
        const char* line;
        int reference;
        QString recipient;
        QDateTime centre;
        int status;
        DeliveryState state;
    };
    const std::vector<Case> cases = {
        {"+CDS: 6,42,\"+447700900123\",145,\"24/03/01,12:34:56+04\",\"24/03/01,12:35:05+04\",0", 42,
         "+447700900123", at(2024, 3, 1, 12, 34, 56, 60), 0, DeliveryState::Delivered},
        {"+CMGR: \"REC UNREAD\",6,255,\"0123456789\",129,\"25/12/31,23:59:59-20\","
         "\"25/12/31,23:59:59-20\",34",
         255, "0123456789", at(2025, 12, 31, 23, 59, 59, -300), 34, DeliveryState::Pending},
        // the "+" left off an international number; no zone at all
        {"+CMGL: 3,\"REC READ\",6,7,\"447700900123\",145,\"24/03/01,12:34:56\","
         "\"24/03/01,12:35:05\",69",
         7, "+447700900123", at(2024, 3, 1, 12, 34, 56, 0), 69, DeliveryState::Failed},
        {"+CDS: 6,9,,,\"24/03/01,12:34:56+04\",\"24/03/01,12:35:05+04\",0", 9, "",
         at(2024, 3, 1, 12, 34, 56, 60), 0, DeliveryState::Delivered},
    };
    for (const Case& c : cases) {
        const std::optional<StatusReport> r = pdu::Parse_Text_Status_Report(c.line);
        ASSERT_TRUE(r.has_value()) << c.line;
        EXPECT_EQ(r->reference, c.reference) << c.line;
        EXPECT_EQ(r->recipient, c.recipient) << c.line;
        EXPECT_EQ(r->centreTime, c.centre) << c.line;
        EXPECT_TRUE(r->dischargeTime.isValid()) << c.line;
        EXPECT_EQ(r->status, c.status) << c.line;
        EXPECT_EQ(r->state, c.state) << c.line;
    }
    for (const char* bad : {
             "+CDS: 4,42,\"+447700900123\",145,\"24/03/01,12:34:56+04\",\"24/03/01,12:35:05\",0",
             "+CDS: 6,300,\"+447700900123\",145,\"24/03/01,12:34:56+04\",\"24/03/01,12:35:05\",0",
             "+CDS: 6,42,\"+447700900123\",145",
             "+CDSI: \"SR\",3",
             "+CMGR: \"REC UNREAD\",\"+447700900123\",,\"24/03/01,12:34:56+04\"",
         }) {
        EXPECT_FALSE(pdu::Parse_Text_Status_Report(bad).has_value()) << bad;
    }
}

TEST(StatusReportText, namesEveryStatusRange) {
    const std::vector<std::pair<int, const char*>> cases = {
        {0x00, "delivered"},
        {0x01, "forwarded, delivery unconfirmed"},
        {0x1A, "delivered"},
        {0x22, "SC still trying: no response from SME"},
        {0x35, "SC still trying"},
        {0x41, "incompatible destination"},
        {0x45, "no interworking available"},
        {0x5A, "permanent error"},
        {0x61, "SC stopped trying: SME busy"},
        {0x70, "SC stopped trying"},
        {0xC0, "unknown status"},
    };
    for (const auto& [status, words] : cases) {
        EXPECT_EQ(pdu::Status_Text(status), QString::fromUtf8(words)) << status;
    }
}

struct DeliverCase {
    const char* name;
    QString hex;
    bool withSmsc;
    IncomingMessage expected;
};

TEST(DeliverPdu, readsEveryCodingAndSender) {
    const QDateTime scts = at(2024, 3, 1, 12, 34, 56, 60);
    const std::vector<DeliverCase> cases = {
        // septets 61 | 1B 3C | 62 | 1B 3E | 1B 65: "a[b]€"
        {"7-bit with extension characters",
         kSmsc + "04" + kPlus447700900123 +
             "00"
             "00" +
             kScts +
             "08"
             "E10D4FBCF16DCA",
         true,
         {"+447700900123", scts, QString::fromUtf8("a[b]€")}},
        {"8-bit as Latin-1, national sender, no centre field",
         "04"
         "05812143F5"
         "00"
         "04" +
             kScts +
             "04"
             "436166E9",
         false,
         {"12345", scts, QString::fromUtf8("Café")}},
        // sender: 7 semi-octets, type D0 (alphanumeric), "Bank" packed; text U+0416 U+1F600
        {"UCS2 with a surrogate pair from a named sender",
         "00"
         "04"
         "07D0C2B07B0D"
         "00"
         "08" +
             kScts +
             "06"
             "0416D83DDE00",
         true,
         {"Bank", scts, QString::fromUtf8("Ж😀")}},
        // class 0 8-bit in the coding group 1111
        {"coding group 1111, 8-bit",
         "00"
         "04"
         "05812143F5"
         "00"
         "F4" +
             kScts +
             "02"
             "4869",
         true,
         {"12345", scts, "Hi"}},
        // header 05 | 00 03 A7 02 01, one fill bit, then "hello"; UDL 7 + 5 septets
        {"7-bit part, 8-bit reference",
         "00"
         "44" +
             kPlus447700900123 +
             "00"
             "00" +
             kScts +
             "0C"
             "050003A70201D06536FB0D",
         true,
         {"+447700900123", scts, "hello", 0xA7, 2, 1}},
        // header 06 | 08 04 1234 03 02 (7 octets), then U+03A9; UDL 7 + 2
        {"UCS2 part, 16-bit reference",
         "00"
         "44" +
             kPlus447700900123 +
             "00"
             "08" +
             kScts +
             "09"
             "0608041234030203A9",
         true,
         {"+447700900123", scts, QString::fromUtf8("Ω"), 0x1234, 3, 2}},
        // a header whose only element is not a concatenation; part 3 of 2 is ignored too
        {"other header elements ignored",
         "00"
         "44"
         "05812143F5"
         "00"
         "04" +
             kScts +
             "0C"
             "09"
             "0A021234"
             "0003010203"
             "4869",
         true,
         {"12345", scts, "Hi"}},
    };
    for (const DeliverCase& c : cases) {
        const std::optional<IncomingMessage> m = pdu::Decode_Deliver(c.hex, c.withSmsc);
        ASSERT_TRUE(m.has_value()) << c.name;
        EXPECT_EQ(m->sender, c.expected.sender) << c.name;
        EXPECT_EQ(m->centreTime, c.expected.centreTime) << c.name;
        EXPECT_EQ(m->text, c.expected.text) << c.name;
        EXPECT_EQ(m->concatReference, c.expected.concatReference) << c.name;
        EXPECT_EQ(m->partCount, c.expected.partCount) << c.name;
        EXPECT_EQ(m->partNumber, c.expected.partNumber) << c.name;
    }
}

TEST(DeliverPdu, refusesWhatIsNoWholeMessage) {
    const QString head =
        "00"
        "04"
        "05812143F5"
        "00";
    const std::vector<std::pair<const char*, QString>> cases = {
        {"a status report",
         "00"
         "06"
         "2A" +
             kPlus447700900123 + kScts + kDt + "00"},
        {"user data shorter than TP-UDL", head + "04" + kScts +
                                              "05"
                                              "48656C6C"},
        {"7-bit user data shorter than TP-UDL", head + "00" + kScts +
                                                    "08"
                                                    "E10D4FBCF16D"},
        {"TP-UDL beyond 160 septets", head + "00" + kScts + "A1" + QString(282, u'0')},
        {"header longer than the user data",
         "00"
         "44"
         "05812143F5"
         "00"
         "04" +
             kScts +
             "03"
             "0500"
             "03"},
        {"header with no user data",
         "00"
         "44"
         "05812143F5"
         "00"
         "04" +
             kScts + "00"},
        {"compressed text", head + "20" + kScts +
                                "02"
                                "4869"},
        {"no timestamp", head + "00"
                                "4230"},
    };
    for (const auto& [name, hex] : cases) {
        EXPECT_FALSE(pdu::Decode_Deliver(hex).has_value()) << name;
    }
}

TEST(DeliverText, readsHeaderAndBody) {
    const QDateTime scts = at(2024, 3, 1, 12, 34, 56, 60);
    struct Case {
        const char* header;
        QString body;
        QString sender;
        QString text;
    };
    const std::vector<Case> cases = {
        {"+CMT: \"+447700900123\",,\"24/03/01,12:34:56+04\"", "Hello, there", "+447700900123",
         "Hello, there"},
        {"+CMGR: \"REC UNREAD\",\"Bank\",,\"24/03/01,12:34:56+04\"", "Code 1234\r", "Bank",
         "Code 1234"},
        {"+CMGL: 2,\"REC READ\",\"447700900123\",\"Ann\",\"24/03/01,12:34:56+04\",145", "Hi",
         "+447700900123", "Hi"},
        // with +CSDH=1: <tooa>,<fo>,<pid>,<dcs>,<sca>,<tosca>,<length>; dcs 8 with a hex body
        {"+CMT: \"+447700900123\",,\"24/03/01,12:34:56+04\",145,4,0,8,\"+447785016005\",145,6",
         "0416D83DDE00", "+447700900123", QString::fromUtf8("Ж😀")},
    };
    for (const Case& c : cases) {
        const std::optional<IncomingMessage> m = pdu::Parse_Text_Deliver(c.header, c.body);
        ASSERT_TRUE(m.has_value()) << c.header;
        EXPECT_EQ(m->sender, c.sender) << c.header;
        EXPECT_EQ(m->centreTime, scts) << c.header;
        EXPECT_EQ(m->text, c.text) << c.header;
        EXPECT_EQ(m->concatReference, -1) << c.header;
    }
    for (const char* bad : {"+CMT: ,23", "+CDS: 6,42,\"+4477\",145,\"24/03/01,12:34:56+04\"",
                            "+CMGR: \"REC UNREAD\",6,42,\"+4477\",145", "OK"}) {
        EXPECT_FALSE(pdu::Parse_Text_Deliver(bad, "x").has_value()) << bad;
    }
}

TEST(PartAssembler, joinsPartsInAnyOrderAndKeepsMessagesApart) {
    const auto part = [](const char* sender, int reference, int number, const char* text) {
        IncomingMessage m;
        m.sender = sender;
        m.text = text;
        m.concatReference = reference;
        m.partCount = 3;
        m.partNumber = number;
        return m;
    };
    pdu::PartAssembler assembler;
    IncomingMessage single;
    single.sender = "+1";
    single.text = "alone";
    EXPECT_EQ(assembler.add(single)->text, "alone");

    EXPECT_FALSE(assembler.add(part("+1", 7, 3, "!")));
    EXPECT_FALSE(assembler.add(part("+2", 7, 1, "other ")));  // same reference, other sender
    EXPECT_FALSE(assembler.add(part("+1", 7, 1, "Hello ")));
    EXPECT_FALSE(assembler.add(part("+1", 7, 1, "Hello ")));  // repeated by the network
    EXPECT_EQ(assembler.incomplete(), 2);
    const std::optional<IncomingMessage> whole = assembler.add(part("+1", 7, 2, "world"));
    ASSERT_TRUE(whole.has_value());
    EXPECT_EQ(whole->text, "Hello world!");
    EXPECT_EQ(whole->sender, "+1");
    EXPECT_EQ(whole->partCount, 3);
    EXPECT_EQ(whole->partNumber, 1);
    EXPECT_EQ(assembler.incomplete(), 1);
    EXPECT_FALSE(assembler.add(part("+1", 7, 4, "?")));  // part 4 of 3
}

TEST(StatusReportRequest, setsTpSrrAndNothingElse) {
    PDU plain;
    PDU asking;
    asking.Set_Status_Report_Request(true);
    const QString single = plain.EncodePDU("hello", "+12345", "", true, false, false);
    // centre field 00, then the first octet: 0x11 becomes 0x31
    EXPECT_EQ(single.mid(2, 2), "11");
    EXPECT_EQ(asking.EncodePDU("hello", "+12345", "", true, false, false),
              single.left(2) + "31" + single.mid(4));
    const QString part =
        asking.Encode_UDH_PDU(QString(200, u'a'), "+12345", "", true, false, 2, 1, false);
    EXPECT_EQ(part.mid(2, 2), "71");
}

}  // namespace
