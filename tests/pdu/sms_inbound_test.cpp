// Status reports and incoming messages read from fixed vectors, each written field by field
// (spaces part the fields), never made by an encoder of ours. Each result is compared as one
// line: reference | recipient | centre time | discharge time | TP-ST | state, or
// sender | centre time | text | reference | parts | part; times as "date time offset-minutes".
#include "pdu/sms_inbound.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

namespace {

QString hex(const QString& fields) {
    return QString(fields).remove(u' ');
}
QString timeText(const QDateTime& t) {
    return t.isValid()
               ? t.toString(u"yyyy-MM-dd hh:mm:ss ") + QString::number(t.offsetFromUtc() / 60)
               : QStringLiteral("-");
}
QString describe(const std::optional<pdu::StatusReport>& r) {
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
QString describe(const std::optional<pdu::IncomingMessage>& m) {
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

// Rows of input and the line it reads as.
void expectRows(const std::vector<std::pair<QString, QString>>& cases,
                const std::function<QString(const QString&)>& read) {
    for (const auto& [input, expected] : cases) {
        EXPECT_EQ(read(input), expected) << input.toStdString();
    }
}

TEST(StatusReportPdu, readsEveryKindOfReportAndRefusesWhatIsNone) {
    const QString good = hex(kReport + kScts + kDt + "00");
    const QString delivered = "42|+447700900123|" + kSent + "|" + kDone + "|0|delivered";
    expectRows(
        {
            {kSmsc + "06 2A" + kTo + kScts + kDt + "00", delivered},
            // MR 255; 10 national digits; zone 0A = minus 20 quarters
            {"00 06 FF 0A 81 1032547698 5221133295950A 5221133295950A 22",
             "255|0123456789|2025-12-31 23:59:59 -300|2025-12-31 23:59:59 -300|34|pending"},
            // odd digit count filled with F; a TP-PI octet after TP-ST is allowed
            {"00 06 00 05 91 2143F5 42101000000000 42101000000000 41 00",
             "0|+12345|2024-01-01 00:00:00 0|2024-01-01 00:00:00 0|65|failed"},
            // 20 digits is the longest address; 21 is too long
            {"00 06 2A 14 81" + QString(20, u'1') + kScts + kDt + "00",
             "42|" + QString(20, u'1') + "|" + kSent + "|" + kDone + "|0|delivered"},
            {"00 06 2A 15 91" + QString(20, u'1') + "F1" + kScts + kDt + "00", "refused"},
            {"00 04 2A" + kTo + kScts + kDt + "00", "refused"},  // a deliver's message type
            {good.chopped(2), "refused"},                        // TP-ST missing
            {good + "0", "refused"},                             // odd number of digits
            {good.left(10) + "G" + good.mid(11), "refused"},     // not hex
            {"0F0791", "refused"},                               // centre field past the end
        },
        [](const QString& in) { return describe(pdu::Decode_Status_Report(hex(in))); });
    // without its centre field
    EXPECT_EQ(describe(pdu::Decode_Status_Report(hex("06 2A" + kTo + kScts + kDt + "00"), false)),
              delivered);
    EXPECT_EQ(describe(pdu::Decode_Status_Report(good.mid(2))), "refused");
}

TEST(StatusReportPdu, readsTimestampsToTheEdgeOfEachDigitAndZone) {
    // Only the centre time varies; an impossible one is no reason to lose the report's verdict
    // ("-", where a refusal would give "").
    expectRows(
        {
            {"99301021439590", "2099-03-01 12:34:59 135"},  // digit 9 in year, seconds, zone
            {"42301021436565", "2024-03-01 12:34:56 840"},  // 56 quarters, the most
            {"42301021436575", "-"},                        // 57 quarters
            {"423010214365A0", "-"},                        // zone digit A
            {"42319921436540", "-"},                        // month 13
            {"42301021435940", "-"},                        // second 95
        },
        [](const QString& scts) {
            return describe(pdu::Decode_Status_Report(hex(kReport + scts + kDt + "00")))
                .section(u'|', 2, 2);
        });
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
    QStringList names;
    for (const int status : {0x00, 0x01, 0x1A, 0x22, 0x35, 0x41, 0x45, 0x5A, 0x61, 0x70, 0xC0}) {
        names.append(pdu::Status_Text(status));
    }
    EXPECT_EQ(names.join(u'/'),
              "delivered/forwarded, delivery unconfirmed/delivered/SC still trying: no response "
              "from SME/SC still trying/incompatible destination/no interworking available/"
              "permanent error/SC stopped trying: SME busy/SC stopped trying/unknown status");
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
            {head + "F4" + kScts + "04 436166E9",
             "12345|" + kSent + "|Café|-1|1|1"},  // 8-bit
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
            {head + "00" + kScts + "A1" + QString(282, u'0'), "refused"},  // 161 septets
            {head + "04" + kScts + "8D" + QString(282, u'0'), "refused"},  // 141 octets
            {headed + "03 05 00 03", "refused"},           // header longer than the user data
            {head + "20" + kScts + "02 4869", "refused"},  // compressed text
            {head + "00 4230", "refused"},                 // no timestamp
        },
        [](const QString& in) { return describe(pdu::Decode_Deliver(hex(in))); });
}

TEST(DeliverText, readsHeaderAndBody) {
    const std::vector<std::tuple<const char*, QString, QString>> cases = {
        {R"(+CMT: "+447700900123",,"24/03/01,12:34:56+04")", "Hello, there",
         "+447700900123|" + kSent + "|Hello, there|-1|1|1"},
        {R"(+CMGR: "REC UNREAD","Bank",,"24/03/01,12:34:56+04")", "Code 1234\r",
         "Bank|" + kSent + "|Code 1234|-1|1|1"},
        {R"(+CMGL: 2,"REC READ","447700900123","Ann","24/03/01,12:34:56+04",145)", "Hi",
         "+447700900123|" + kSent + "|Hi|-1|1|1"},
        // with +CSDH=1: <tooa>,<fo>,<pid>,<dcs>,<sca>,<tosca>,<length>; dcs 8 with a hex body
        {R"(+CMT: "+447700900123",,"24/03/01,12:34:56+04",145,4,0,8,"+447785016005",145,6)",
         "0416D83DDE00", "+447700900123|" + kSent + "|Ж😀|-1|1|1"},
        {"+CMT: ,23", "x", "refused"},
    };
    for (const auto& [header, body, expected] : cases) {
        EXPECT_EQ(describe(pdu::Parse_Text_Deliver(header, body)), expected) << header;
    }
}

TEST(PartAssembler, joinsPartsInAnyOrderAndKeepsMessagesApart) {
    const auto part = [](const char* sender, int reference, int number, const char* text) {
        pdu::IncomingMessage m;
        m.sender = sender;
        m.text = text;
        m.concatReference = reference;
        m.partCount = 3;
        m.partNumber = number;
        return m;
    };
    pdu::PartAssembler assembler;
    EXPECT_EQ(describe(assembler.add(part("+1", -1, 1, "alone"))), "+1|-|alone|-1|3|1");

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
