// Status reports and incoming messages from a running virtual modem over its real
// pseudo-terminal: as AT+CNMI routes them, stored on its SIM and read, listed and deleted there.
// What it sends is read back with the program's decoders, which are checked against fixed
// vectors of their own; the modem builds its PDUs without them.
#include "pdu/sms_inbound.h"
#include "support/pty_client.h"
#include "virtual-modem/virtual_modem.h"
#include "vmodem/modem_fixture.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

#include <vector>

namespace tesk::vmodem {
namespace {

using test::kCtrlZ;
using test::ModemTest;
using test::PtyClient;

// "hello" to +12345 asking for a report: first octet 0x31 (SMS-SUBMIT, TP-VPF relative, TP-SRR)
const QByteArray kHelloReportPdu = "00310005912143F50000FF05E8329BFD06";
// the same to +1234 (one octet shorter) and to +123456
const QByteArray kHelloReport1234 = "003100049121430000FF05E8329BFD06";
const QByteArray kHelloReport123456 = "00310006912143650000FF05E8329BFD06";
const QByteArray kHelloNoReportPdu = "00110005912143F50000FF05E8329BFD06";
constexpr int kHelloTpdu = 16;
const QByteArray kOk = "\r\nOK\r\n";

// Everything the modem sends: answers to commands, and indications wherever they fall, also
// between a command and its answer.
class Line {
  public:
    explicit Line(PtyClient& client) : client_(client) {}

    // The lines of the next indication that begins with `prefix`, `count` lines in all.
    QStringList next(const QByteArray& prefix, int count = 1) {
        buffer_.prepend(held_);
        held_.clear();
        for (int attempt = 0; attempt < 40; ++attempt) {
            const qsizetype at = buffer_.indexOf(prefix);
            QStringList out;
            qsizetype pos = at;
            while (at >= 0 && out.size() < count) {
                const qsizetype end = buffer_.indexOf("\r\n", pos);
                if (end < 0) {
                    break;
                }
                const QByteArray piece = buffer_.mid(pos, end - pos).trimmed();
                pos = end + 2;
                if (!piece.isEmpty()) {
                    out.append(QString::fromUtf8(piece));
                }
            }
            if (out.size() == count) {
                const qsizetype from = at >= 2 && buffer_.mid(at - 2, 2) == "\r\n" ? at - 2 : at;
                buffer_.remove(from, pos - from);
                return out;
            }
            buffer_ += client_.readUntil("\r\n", 250);
        }
        return {};
    }

    // A command and its whole answer up to OK or an error.
    QByteArray command(const QByteArray& text) {
        client_.write(text + "\r");
        return answer();
    }

    // The answer (or the prompt) without the indications that came before or inside it, which
    // next() finds.
    QByteArray answer() {
        static const QRegularExpression kFinal(
            QStringLiteral("\r\n(OK|ERROR|\\+CMS ERROR: \\d+)\r\n|\r\n> $"));
        static const QRegularExpression kIndication(
            QStringLiteral("\r\n(\\+CDS: \\d+\r\n[0-9A-F]+|\\+CMT: [^\r]*\r\n[^\r]*|\\+CDS: [^\r]*|"
                           "\\+CDSI: [^\r]*|\\+CMTI: [^\r]*)\r\n"));
        for (int attempt = 0; attempt < 40; ++attempt) {
            const QRegularExpressionMatch m = kFinal.match(QString::fromLatin1(buffer_));
            if (!m.hasMatch()) {
                buffer_ += client_.readUntil("\r\n", 250);
                continue;
            }
            QString out = QString::fromLatin1(buffer_.left(m.capturedEnd()));
            buffer_.remove(0, m.capturedEnd());
            for (QRegularExpressionMatch i = kIndication.match(out); i.hasMatch();
                 i = kIndication.match(out)) {
                held_ += i.captured(0).toLatin1();
                out.remove(i.capturedStart(), i.capturedLength());
            }
            return out.toLatin1();
        }
        return {};
    }

    // The reference "+CMGS: n" gave, -1 without one.
    int submit(const QByteArray& pdu, int length) {
        if (command("AT+CMGS=" + QByteArray::number(length)) != "\r\n> ") {
            return -1;
        }
        client_.write(pdu + kCtrlZ);
        static const QRegularExpression kReference(QStringLiteral("\\+CMGS: (\\d+)"));
        const QRegularExpressionMatch m = kReference.match(QString::fromLatin1(answer()));
        return m.hasMatch() ? m.captured(1).toInt() : -1;
    }

  private:
    PtyClient& client_;
    QByteArray buffer_;
    QByteArray held_;  // indications taken out of answers, in order
};

// A modem set up by `config` and the line to it.
class InboxTest : public ModemTest {
  protected:
    Line& open(const Config& config = {}) {
        start(config);
        client_ = connect();
        line_ = std::make_unique<Line>(*client_);
        return *line_;
    }
    std::unique_ptr<PtyClient> client_;
    std::unique_ptr<Line> line_;
};

// The non-empty lines of an answer.
QStringList linesOf(const QByteArray& answer) {
    QStringList lines;
    for (const QByteArray& line : answer.split('\n')) {
        if (!line.trimmed().isEmpty()) {
            lines.append(QString::fromUtf8(line.trimmed()));
        }
    }
    return lines;
}

// A "+CDS: <length>" indication and its PDU, read back as reference, recipient, TP-ST and
// state; "no report" when it is none, "no time" when a time stamp is unreadable.
QString reportOf(const QStringList& lines) {
    const auto r = lines.size() == 2 ? pdu::Decode_Status_Report(lines[1]) : std::nullopt;
    if (!r || lines[0] != QStringLiteral("+CDS: %1").arg((lines[1].size() - 16) / 2)) {
        return QStringLiteral("no report: ") + lines.join(u'|');
    }
    static const char* const kStates[] = {"delivered", "pending", "failed"};
    return QStringLiteral("%1 %2 %3 %4%5")
        .arg(r->reference)
        .arg(r->recipient)
        .arg(r->status, 2, 16, QLatin1Char('0'))
        .arg(QLatin1String(kStates[static_cast<int>(r->state)]),
             r->centreTime.isValid() && r->dischargeTime.isValid() ? "" : " no time");
}

TEST_F(InboxTest, eachRecipientGetsTheReportsOfItsPlan) {
    Line& line = open({.firstReference = 255,
                       .reports = {{"+12345", ReportPlan::Failed, 0, 0x21, 0x45},
                                   {"+1234", ReportPlan::TemporaryThenDelivered, 50, 0x22, 0x41},
                                   {"+123456", ReportPlan::None, 0, 0x21, 0x41}}});
    EXPECT_EQ(line.command("AT+CNMI=2,1,0,1,0"), kOk);
    EXPECT_EQ(line.submit(kHelloNoReportPdu, kHelloTpdu), 255);  // asks for none, gets none
    // The references wrap, and each report carries the reference of its own submission.
    EXPECT_EQ(line.submit(kHelloReportPdu, kHelloTpdu), 0);
    EXPECT_EQ(line.submit(kHelloReport1234, kHelloTpdu - 1), 1);
    EXPECT_EQ(line.submit(kHelloReport123456, kHelloTpdu), 2);  // its plan: no report at all
    // The failure comes at once; the temporary report after 50 ms and the final one after
    // another 50 ms.
    for (const char* expected :
         {"0 +12345 45 failed", "1 +1234 22 pending", "1 +1234 00 delivered"}) {
        EXPECT_EQ(reportOf(line.next("+CDS:", 2)), expected);
    }
    EXPECT_EQ(modem_->reportsIssued(), 3);
}

TEST_F(InboxTest, storedReportIsReadCountedAndDeleted) {
    Line& line = open();
    EXPECT_EQ(line.command("AT+CNMI=2,1,0,2,0"), kOk);
    EXPECT_EQ(line.submit(kHelloReportPdu, kHelloTpdu), 0);
    EXPECT_EQ(line.next("+CDSI:"), QStringList{"+CDSI: \"SR\",1"});
    EXPECT_EQ(line.command("AT+CPMS=\"SR\""), "\r\n+CPMS: 1,20,1,20,1,20\r\n" + kOk);

    const QStringList read = linesOf(line.command("AT+CMGR=1"));
    ASSERT_EQ(read.size(), 3);
    EXPECT_EQ(read[0], QStringLiteral("+CMGR: 0,,%1").arg((read[1].size() - 16) / 2));
    const auto report = pdu::Decode_Status_Report(read[1]);
    ASSERT_TRUE(report.has_value());
    EXPECT_EQ(report->reference, 0);
    EXPECT_TRUE(line.command("AT+CMGR=1").startsWith("\r\n+CMGR: 1,,"));  // read now

    EXPECT_EQ(line.command("AT+CMGD=1"), kOk);
    EXPECT_EQ(line.command("AT+CMGR=1"), "\r\n+CMS ERROR: 321\r\n");
    EXPECT_EQ(line.command("AT+CPMS?"), "\r\n+CPMS: \"SM\",0,20,\"SM\",0,20,\"SM\",0,20\r\n" + kOk);
}

TEST_F(InboxTest, incomingMessagesAreAnnouncedStoredAndListed) {
    Line& line = open();
    EXPECT_EQ(line.command("AT+CNMI=2,1,0,0,0"), kOk);
    const IncomingSms first = {
        .sender = "+447700900123", .text = QString::fromUtf8("Yes [ok] €5"), .centreTime = {}};
    const IncomingSms second = {.sender = "Shop", .text = "Sale", .centreTime = {}};
    modem_->injectIncoming(first);
    modem_->injectIncoming(second);
    for (int index = 1; index <= 2; ++index) {
        EXPECT_EQ(line.next("+CMTI:"), QStringList{QStringLiteral("+CMTI: \"SM\",%1").arg(index)});
    }
    const QStringList read = linesOf(line.command("AT+CMGR=1"));
    ASSERT_EQ(read.size(), 3);
    const auto shown = pdu::Decode_Deliver(read[1]);
    ASSERT_TRUE(shown.has_value());
    EXPECT_EQ(shown->sender, first.sender);
    EXPECT_EQ(shown->text, first.text);

    // The list holds what is unread; listing reads it.
    const QStringList listed = linesOf(line.command("AT+CMGL=0"));
    ASSERT_EQ(listed.size(), 3) << listed.join('|').toStdString();
    EXPECT_TRUE(listed[0].startsWith("+CMGL: 2,0,,"));
    const auto listedSms = pdu::Decode_Deliver(listed[1]);
    ASSERT_TRUE(listedSms.has_value());
    EXPECT_EQ(listedSms->sender, "Shop");
    EXPECT_EQ(line.command("AT+CMGL=0"), kOk);
    EXPECT_EQ(line.command("AT+CMGD=1,1"), kOk);
    EXPECT_EQ(line.command("AT+CMGD=?"), "\r\n+CMGD: (),(0-4)\r\n" + kOk);
}

TEST_F(InboxTest, aMessageShownDirectlyIsNotStored) {
    Line& line = open();
    const QString text = QString::fromUtf8("Привет 😀");
    EXPECT_EQ(line.command("AT+CNMI=2,2,0,0,0"), kOk);
    modem_->injectIncoming({.sender = "+12345", .text = text, .centreTime = {}});
    const QStringList cmt = line.next("+CMT:", 2);
    ASSERT_EQ(cmt.size(), 2);
    EXPECT_TRUE(cmt[0].startsWith("+CMT: ,"));
    const auto shownPdu = pdu::Decode_Deliver(cmt[1]);
    ASSERT_TRUE(shownPdu.has_value());
    EXPECT_EQ(shownPdu->text, text);
    // Shown, not stored.
    EXPECT_EQ(line.command("AT+CPMS?"), "\r\n+CPMS: \"SM\",0,20,\"SM\",0,20,\"SM\",0,20\r\n" + kOk);
}

TEST_F(InboxTest, indicationSettingsAreCheckedAndReadBack) {
    Line& line = open();
    const std::pair<QByteArray, QByteArray> cases[] = {
        {"AT+CNMI=?", "\r\n+CNMI: (0-3),(0-3),(0-3),(0-2),(0,1)\r\n" + kOk},
        {"AT+CNMI?", "\r\n+CNMI: 0,0,0,0,0\r\n" + kOk},
        {"AT+CNMI=2,1,0,3,0", "\r\n+CMS ERROR: 303\r\n"},
        {"AT+CNMI=1,2", kOk},
        {"AT+CNMI?", "\r\n+CNMI: 1,2,0,0,0\r\n" + kOk},
        {"AT&F", kOk},
        {"AT+CNMI?", "\r\n+CNMI: 0,0,0,0,0\r\n" + kOk},
        {"AT+CPMS=\"XX\"", "\r\n+CMS ERROR: 302\r\n"},
        {"AT+CMGL=\"ALL\"", "\r\n+CMS ERROR: 304\r\n"},  // PDU mode lists by number
        {"AT+CMGL=?", "\r\n+CMGL: (0-4)\r\n" + kOk},
        {"AT+CMGD=21", "\r\n+CMS ERROR: 321\r\n"},
    };
    for (const auto& [command, answer] : cases) {
        EXPECT_EQ(line.command(command), answer) << command.toStdString();
    }
}

}  // namespace
}  // namespace tesk::vmodem
