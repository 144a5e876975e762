// The pure side of the modem exchange: transcripts as devices send them, through the framer
// and the reply collector, to typed replies. Each row is a habit seen on real hardware; a reply
// is compared as one line: final kind and code | intermediate lines | prompt | unsolicited.
#include "modem/at_reply_collector.h"

#include <gtest/gtest.h>

namespace {

using tesk::at::Reply;

QString describe(const QByteArray& bytes, const char* command, const QStringList& payload,
                 bool prompt) {
    static const char* const kKinds[] = {"none",          "OK",        "ERROR", "CMS", "CME",
                                         "not supported", "no carrier"};
    tesk::at::UnsolicitedQueue unsolicited;
    const Reply reply =
        tesk::at::Read_Transcript(bytes, QString::fromUtf8(command), payload, prompt, unsolicited);
    return QStringLiteral("%1 %2|%3|%4|%5")
        .arg(QLatin1String(kKinds[static_cast<int>(reply.final.kind)]))
        .arg(reply.final.code)
        .arg(reply.lines.join(u'/'), reply.prompt ? "prompt" : "")
        .arg(unsolicited.take().join(u'/'));
}

TEST(Transcript, readsAsTypedReply) {
    const struct {
        const char* command;  // as written, without its line end
        QByteArray bytes;     // what the device sent
        QString expected;
        bool prompt = false;       // the read waits for "> "
        const char* payload = "";  // body lines of a submission (verdict read), "/" between
    } rows[] = {
        {"AT+CSQ", "\r\n+CSQ: 20,99\r\n\r\nOK\r\n", "OK -1|+CSQ: 20,99||"},
        // echo on, bare CR after the echo
        {"AT+CSQ", "AT+CSQ\r\r\n+CSQ: 20,99\r\n\r\nOK\r\n", "OK -1|+CSQ: 20,99||"},
        {"AT+CMGS=23", "\r\n+CMS ERROR: 330\r\n", "CMS 330|||", true},
        // in words after CMEE=2
        {"AT+CPMS?", "\r\n+CME ERROR: SIM not inserted\r\n", "CME -1|||"},
        {"AT+CSCA?", "\r\nERROR\r\n", "ERROR -1|||"},
        {"AT+CSCA?", "\r\nCOMMAND NOT SUPPORT\r\n\r\nOK\r\n", "not supported -1|||"},
        {"AT+CMGS=23", "AT+CMGS=23\r\r\n> ", "none -1||prompt|", true},
        {"AT+CMGS=23", "\r\n> \r\n+CMTI: \"SM\",3\r\n", "none -1||prompt|", true},
        // unsolicited lines before a late verdict
        {"AT+CMGS=23",
         "\r\n+CMTI: \"SM\",3\r\n\r\n+CREG: 1\r\n\r\n^RSSI:14\r\n\r\n+CMS ERROR: 38\r\n",
         "CMS 38|||+CMTI: \"SM\",3/+CREG: 1/^RSSI:14", false, "0011000B914477"},
        // registration asked for is the answer
        {"AT+CREG?", "\r\n+CREG: 0,1\r\n\r\nOK\r\n", "OK -1|+CREG: 0,1||"},
        // a delivery report with its PDU line
        {"AT+CSQ", "\r\n+CDS: 25\r\n07914477850160F006\r\n\r\n+CSQ: 9,99\r\n\r\nOK\r\n",
         "OK -1|+CSQ: 9,99||+CDS: 25\r\n07914477850160F006"},
        // echoed PDU body and reference
        {"AT+CMGS=23", "0011000B914477\x1a\r\n+CMGS: 17\r\n\r\nOK\r\n", "OK -1|+CMGS: 17||", false,
         "0011000B914477"},
        // a text body with continuation prompts that says ERROR
        {"AT+CMGS=\"+4477\"", "Hello\r\n> ERROR\r\n> bye\x1a\r\n+CMGS: 4\r\n\r\nOK\r\n",
         "OK -1|+CMGS: 4||", false, "Hello/ERROR/bye"},
        // continuation prompts without echo
        {"AT+CMGS=\"+4477\"", "\r\n> \r\n> \r\n+CMGS: 5\r\n\r\nOK\r\n", "OK -1|+CMGS: 5||", false,
         "a/b/c"},
        // invalid UTF-8 inside a refusal
        {"AT+CMGS=23", "\r\n+CMS ERROR: 38\xC3\x28\r\n", "CMS 38|||", false, "0011"},
        {"AT", "\x01\x85\x1f\r\nOK\r\n", "OK -1|||"},  // noise before the answer
        {"AT+CGSN", "\r\n490154203237518\r\n", "none -1|490154203237518||"},  // no end
        {"AT+CSQ", "\r\n> ", "none -1|||"},  // a prompt not waited for is none
    };
    for (const auto& row : rows) {
        const QStringList payload =
            QString::fromLatin1(row.payload).split(u'/', Qt::SkipEmptyParts);
        EXPECT_EQ(describe(row.bytes, row.command, payload, row.prompt), row.expected)
            << row.bytes.constData();
    }
}

TEST(ReplyCollector, LineAfterCommandNotSupportThatIsNoOkIsLeftForTheNextCommand) {
    tesk::at::UnsolicitedQueue unsolicited;
    tesk::at::LineFramer rest;
    const Reply reply =
        tesk::at::Read_Transcript("\r\nCOMMAND NOT SUPPORT\r\n\r\n+CSQ: 5,99\r\n",
                                  QStringLiteral("AT+CSCA?"), {}, false, unsolicited, &rest);
    EXPECT_FALSE(reply.trailingOk);
    QString next;
    ASSERT_TRUE(rest.nextLine(&next));
    EXPECT_EQ(next, QStringLiteral("+CSQ: 5,99"));
}

TEST(LineFramer, FramesAcrossReadsAndBoundsEndlessLines) {
    tesk::at::LineFramer framer;
    QString line;
    framer.feed("\r\n+CSQ: 2");
    EXPECT_FALSE(framer.nextLine(&line));
    framer.feed("0,99\r");
    ASSERT_TRUE(framer.nextLine(&line));
    EXPECT_EQ(line, QStringLiteral("+CSQ: 20,99"));
    framer.feed(QByteArray(tesk::at::LineFramer::kMaxLine + 10, 'x'));
    ASSERT_TRUE(framer.nextLine(&line));
    EXPECT_EQ(line.size(), tesk::at::LineFramer::kMaxLine);
    EXPECT_EQ(framer.pending(), 10);
}

TEST(CmgsReferences, ReadEachPartsReference) {
    EXPECT_EQ(tesk::at::Parse_Cmgs_References({"+CMGS: 17", "+CMGS:255", "+CMGS: 300", "junk"}),
              QList<int>({17, 255}));
}

}  // namespace
