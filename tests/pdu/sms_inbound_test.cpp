// Status reports and incoming messages read from fixed vectors, each written field by field
// (spaces part the fields), never made by an encoder of ours. Each result is compared as one
// line: reference | recipient | centre time | discharge time | TP-ST | state, or
// sender | centre time | text | reference | parts | part; times as "date time offset-minutes".
#include "pdu/sms_inbound.h"
#include "pdu/pdu.h"

#include <QTimeZone>

#include <gtest/gtest.h>

#include <vector>

namespace {

using pdu::IncomingMessage;
using pdu::StatusReport;

QString hex(const QString& fields) {
    return QString(fields).remove(u' ');
}
QString timeText(const QDateTime& t) {
    return t.isValid()
               ? t.toString(u"yyyy-MM-dd hh:mm:ss ") + QString::number(t.offsetFromUtc() / 60)
               : QStringLiteral("-");
}
QString describe(const std::optional<StatusReport>& r) {
    if (!r) {
        return QStringLiteral("refused");
    }
    static const char* const kStates[] = {"delivered", "pending", "failed"};
    return QStringLiteral("%1|%2|%3|%4|%5|%6")
        .arg(r->reference)
        .arg(r->recipient, timeText(r->centreTime), timeText(r->dischargeTime))
        .arg(r->status)
        .arg(QLatin1String(kStates[static_cast<int>(r->state)]));
}
QString describe(const std::optional<IncomingMessage>& m) {
    if (!m) {
        return QStringLiteral("refused");
    }
    return QStringLiteral("%1|%2|%3|%4|%5|%6")
        .arg(m->sender, timeText(m->centreTime), m->text)
        .arg(m->concatReference)
        .arg(m->partCount)
        .arg(m->partNumber);
}

// Service centre +447785016005 (7 octets); recipient +447700900123; 2024-03-01 12:34:56 and
// 12:35:05 in zone 04 quarters (+01:00).
const QString kSmsc = "07 91 447758100650 ";
const QString kTo = " 0C 91 447700091032 ";
const QString kScts = " 42301021436540 ";
const QString kDt = " 42301021535040 ";
const QString kSent = "2024-03-01 12:34:56 60";
const QString kDone = "2024-03-01 12:35:05 60";
const QString kReport = "00 06 2A" + kTo;  // no centre field, MR 42

struct Case {
    QString input;
    QString expected;
};

void expectRows(const std::vector<Case>& cases,
                const std::function<QString(const QString&)>& read) {
    for (const Case& c : cases) {
        EXPECT_EQ(read(c.input), c.expected) << c.input.toStdString();
    }
}

TEST(StatusReportPdu, readsEveryKindOfReportAndRefusesWhatIsNone) {
    const QString good = hex(kReport + kScts + kDt + "00");
    const QString delivered = "42|+447700900123|" + kSent + "|" + kDone + "|0|delivered";
    expectRows(
        {
            {kSmsc + "06 2A" + kTo + kScts + kDt + "00", delivered},
            {kReport + kScts + kDt + "00", delivered},
            // MR 255; 10 national digits; zone 0A = minus 20 quarters
            {"00 06 FF 0A 81 1032547698 5221133295950A 5221133295950A 22",
             "255|0123456789|2025-12-31 23:59:59 -300|2025-12-31 23:59:59 -300|34|pending"},
            // odd digit count filled with F; a TP-PI octet after TP-ST is allowed
            {"00 06 00 05 91 2143F5 42101000000000 42101000000000 41 00",
             "0|+12345|2024-01-01 00:00:00 0|2024-01-01 00:00:00 0|65|failed"},
            {"00 06 07 05 91 2143F5" + kScts + kDt + "62",
             "7|+12345|" + kSent + "|" + kDone + "|98|failed"},
            // 20 digits is the longest address; 21 is too long
            {"00 06 2A 14 81" + QString(20, u'1') + kScts + kDt + "00",
             "42|" + QString(20, u'1') + "|" + kSent + "|" + kDone + "|0|delivered"},
            {"00 06 2A 15 91" + QString(20, u'1') + "F1" + kScts + kDt + "00", "refused"},
            {"00 06 2A 15 91" + QString(22, u'1') + kScts + kDt, "refused"},
            {"00 04 2A" + kTo + kScts + kDt + "00", "refused"},  // a deliver's message type
            {"00 01 2A" + kTo + kScts + kDt + "00", "refused"},  // a submit's
            {good.chopped(2), "refused"},                        // TP-ST missing
            {good + "0", "refused"},                             // odd number of digits
            {good.left(10) + "G" + good.mid(11), "refused"},     // not hex
            {"0F0791", "refused"},                               // centre field past the end
            {"", "refused"},
        },
        [](const QString& in) { return describe(pdu::Decode_Status_Report(hex(in))); });
    // without its centre field
    EXPECT_EQ(describe(pdu::Decode_Status_Report(hex("06 2A" + kTo + kScts + kDt + "00"), false)),
              delivered);
    EXPECT_EQ(describe(pdu::Decode_Status_Report(good.mid(2))), "refused");
}

TEST(StatusReportPdu, readsTimestampsToTheEdgeOfEachDigitAndZone) {
    // Only the centre time varies; an impossible one is no reason to lose the report's verdict.
    expectRows(
        {
            {"42301021436540", kSent},
            {"99301021439590", "2099-03-01 12:34:59 135"},  // digit 9 in year, seconds, zone
            {"42301021436565", "2024-03-01 12:34:56 840"},  // 56 quarters, the most
            {"4230102143656D", "2024-03-01 12:34:56 -840"},
            {"42301021436575", "-"},  // 57 quarters
            {"423010214365A0", "-"},  // zone digit A
            {"4230102143A540", "-"},  // seconds digit A
            {"42301021435A40", "-"},  // the other digit A
            {"42319921436540", "-"},  // month 13
            {"42301021435940", "-"},  // second 95
        },
        [](const QString& scts) {
            return describe(pdu::Decode_Status_Report(hex(kReport + scts + kDt + "00")))
                .section(u'|', 2, 2);
        });
    // the rest of the report stays
    EXPECT_EQ(describe(pdu::Decode_Status_Report(hex(kReport + "42301021436575" + kDt + "00"))),
              "42|+447700900123|-|" + kDone + "|0|delivered");
}

TEST(StatusReportText, readsTheLineOfEachForm) {
    expectRows(
        {
            {R"(+CDS: 6,42,"+447700900123",145,"24/03/01,12:34:56+04","24/03/01,12:35:05+04",0)",
             "42|+447700900123|" + kSent + "|" + kDone + "|0|delivered"},
            {R"(+CMGR: "REC UNREAD",6,255,"0123456789",129,"25/12/31,23:59:59-20","25/12/31,23:59:59-20",34)",
             "255|0123456789|2025-12-31 23:59:59 -300|2025-12-31 23:59:59 -300|34|pending"},
            // the "+" left off an international number; no zone at all
            {R"(+CMGL: 3,"REC READ",6,7,"447700900123",145,"24/03/01,12:34:56","24/03/01,12:35:05",69)",
             "7|+447700900123|2024-03-01 12:34:56 0|2024-03-01 12:35:05 0|69|failed"},
            {R"(+CDS: 6,9,,,"24/03/01,12:34:56+04","24/03/01,12:35:05+04",0)",
             "9||" + kSent + "|" + kDone + "|0|delivered"},
            // a four-digit year; 56 quarters is the widest zone, 57 is none
            {R"(+CDS: 6,1,,,"2024/03/01,12:34:56+56","24/03/01,12:35:05",0)",
             "1||2024-03-01 12:34:56 840|2024-03-01 12:35:05 0|0|delivered"},
            {R"(+CDS: 6,1,,,"24/03/01,12:34:56-57","24/03/01,12:35:05",0)",
             "1||-|2024-03-01 12:35:05 0|0|delivered"},
            {R"(+CDS: 4,42,"+447700900123",145,"24/03/01,12:34:56+04","24/03/01,12:35:05",0)",
             "refused"},
            {R"(+CDS: 6,300,"+447700900123",145,"24/03/01,12:34:56+04","24/03/01,12:35:05",0)",
             "refused"},
            {R"(+CDS: 6,42,"+447700900123",145)", "refused"},
            {R"(+CDSI: "SR",3)", "refused"},
            {R"(+CMGR: "REC UNREAD","+447700900123",,"24/03/01,12:34:56+04")", "refused"},
        },
        [](const QString& line) { return describe(pdu::Parse_Text_Status_Report(line)); });
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
        {0xC0, "unknown status"}};
    for (const auto& [status, words] : cases) {
        EXPECT_EQ(pdu::Status_Text(status), QString::fromUtf8(words)) << status;
    }
}

TEST(DeliverPdu, readsEveryCodingAndSenderAndRefusesWhatIsNoWholeMessage) {
    const QString head = "00 04 05 81 2143F5 00";
    const QString headed = "00 44 05 81 2143F5 00 04" + kScts;
    expectRows(
        {
            // septets 61 | 1B 3C | 62 | 1B 3E | 1B 65
            {kSmsc + "04" + kTo + "00 00" + kScts + "08 E10D4FBCF16DCA",
             "+447700900123|" + kSent + "|a[b]€|-1|1|1"},
            // sender: 7 semi-octets, type D0 (alphanumeric), "Bank" packed; U+0416 U+1F600
            {"00 04 07 D0 C2B07B0D 00 08" + kScts + "06 0416D83DDE00",
             "Bank|" + kSent + "|Ж😀|-1|1|1"},
            {head + "F4" + kScts + "02 4869",
             "12345|" + kSent + "|Hi|-1|1|1"},  // group 1111
                                                // header 05 | 00 03 A7 02 01, one fill bit, then
                                                // "hello"; UDL 7 + 5 septets
            {"00 44" + kTo + "00 00" + kScts + "0C 050003A70201D06536FB0D",
             "+447700900123|" + kSent + "|hello|167|2|1"},
            // header 06 | 08 04 1234 03 02, then U+03A9; UDL 7 + 2
            {"00 44" + kTo + "00 08" + kScts + "09 0608041234030203A9",
             "+447700900123|" + kSent + "|Ω|4660|3|2"},
            // a header whose only element is not a concatenation; part 3 of 2 is ignored too
            {headed + "0C 09 0A021234 0003010203 4869", "12345|" + kSent + "|Hi|-1|1|1"},
            // the longest user data, in either unit
            {head + "04" + kScts + "8C" + QString("41").repeated(140),
             "12345|" + kSent + "|" + QString(140, u'A') + "|-1|1|1"},
            {head + "00" + kScts + "A0" + QString(280, u'0'),
             "12345|" + kSent + "|" + QString(160, u'@') + "|-1|1|1"},
            {kReport + kScts + kDt + "00", "refused"},                     // a status report
            {head + "04" + kScts + "05 48656C6C", "refused"},              // shorter than TP-UDL
            {head + "00" + kScts + "08 E10D4FBCF16D", "refused"},          // 7-bit, the same
            {head + "00" + kScts + "A1" + QString(282, u'0'), "refused"},  // 161 septets
            {head + "04" + kScts + "8D" + QString(282, u'0'), "refused"},  // 141 octets
            {headed + "03 05 00 03", "refused"},           // header longer than the user data
            {headed + "00", "refused"},                    // header with no user data
            {head + "20" + kScts + "02 4869", "refused"},  // compressed text
            {head + "00 4230", "refused"},                 // no timestamp
        },
        [](const QString& in) { return describe(pdu::Decode_Deliver(hex(in))); });
    // 8-bit as Latin-1, national sender, no centre field
    EXPECT_EQ(
        describe(pdu::Decode_Deliver(hex("04 05 81 2143F5 00 04" + kScts + "04 436166E9"), false)),
        "12345|" + kSent + "|Café|-1|1|1");
}

TEST(DeliverText, readsHeaderAndBody) {
    const std::vector<std::pair<const char*, QString>> cases = {
        {R"(+CMT: "+447700900123",,"24/03/01,12:34:56+04")", "Hello, there"},
        {R"(+CMGR: "REC UNREAD","Bank",,"24/03/01,12:34:56+04")", "Code 1234\r"},
        {R"(+CMGL: 2,"REC READ","447700900123","Ann","24/03/01,12:34:56+04",145)", "Hi"},
        // with +CSDH=1: <tooa>,<fo>,<pid>,<dcs>,<sca>,<tosca>,<length>; dcs 8 with a hex body
        {R"(+CMT: "+447700900123",,"24/03/01,12:34:56+04",145,4,0,8,"+447785016005",145,6)",
         "0416D83DDE00"},
        {"+CMT: ,23", "x"},
        {R"(+CDS: 6,42,"+4477",145,"24/03/01,12:34:56+04")", "x"},
        {R"(+CMGR: "REC UNREAD",6,42,"+4477",145)", "x"},
        {"OK", "x"},
    };
    const QStringList expected = {
        "+447700900123|" + kSent + "|Hello, there|-1|1|1",
        "Bank|" + kSent + "|Code 1234|-1|1|1",
        "+447700900123|" + kSent + "|Hi|-1|1|1",
        "+447700900123|" + kSent + "|Ж😀|-1|1|1",
        "refused",
        "refused",
        "refused",
        "refused",
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        EXPECT_EQ(describe(pdu::Parse_Text_Deliver(cases[i].first, cases[i].second)), expected[i])
            << cases[i].first;
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
    EXPECT_EQ(describe(assembler.add(part("+1", 7, 2, "world"))), "+1|-|Hello world!|7|3|1");
    EXPECT_EQ(assembler.incomplete(), 1);
    EXPECT_FALSE(assembler.add(part("+1", 7, 4, "?")));  // part 4 of 3
}

}  // namespace
