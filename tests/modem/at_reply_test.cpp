// The pure side of the modem exchange: transcripts as devices send them, through the framer
// and the reply collector, to typed replies. Each row is a habit seen on real hardware.
#include "modem/at_reply_collector.h"

#include <gtest/gtest.h>

namespace {

using tesk::at::FinalKind;
using tesk::at::Reply;

struct TranscriptCase {
    const char* name;
    const char* command;  // as written, without its line end
    QByteArray bytes;     // what the device sent
    QStringList payload;  // body lines of a submission (verdict read)
    bool prompt;          // the read waits for "> "
    FinalKind final;
    int code;
    QStringList lines;  // intermediate results
    bool gotPrompt;
    QStringList unsolicited;
};

class Transcript : public ::testing::TestWithParam<TranscriptCase> {};

TEST_P(Transcript, ReadsAsTypedReply) {
    const TranscriptCase& c = GetParam();
    tesk::at::UnsolicitedQueue unsolicited;
    const Reply reply = tesk::at::Read_Transcript(c.bytes, QString::fromUtf8(c.command), c.payload,
                                                  c.prompt, unsolicited);
    EXPECT_EQ(reply.final.kind, c.final) << c.name;
    EXPECT_EQ(reply.final.code, c.code) << c.name;
    EXPECT_EQ(reply.lines, c.lines) << c.name;
    EXPECT_EQ(reply.prompt, c.gotPrompt) << c.name;
    EXPECT_EQ(unsolicited.take(), c.unsolicited) << c.name;
}

const QStringList none;

INSTANTIATE_TEST_SUITE_P(
    Modem, Transcript,
    ::testing::Values(
        TranscriptCase{"echo off",
                       "AT+CSQ",
                       "\r\n+CSQ: 20,99\r\n\r\nOK\r\n",
                       none,
                       false,
                       FinalKind::Ok,
                       -1,
                       {"+CSQ: 20,99"},
                       false,
                       none},
        TranscriptCase{"echo on, bare CR after the echo",
                       "AT+CSQ",
                       "AT+CSQ\r\r\n+CSQ: 20,99\r\n\r\nOK\r\n",
                       none,
                       false,
                       FinalKind::Ok,
                       -1,
                       {"+CSQ: 20,99"},
                       false,
                       none},
        TranscriptCase{"refusal with numeric code", "AT+CMGS=23", "\r\n+CMS ERROR: 330\r\n", none,
                       true, FinalKind::CmsError, 330, none, false, none},
        TranscriptCase{"refusal in words after CMEE=2", "AT+CPMS?",
                       "\r\n+CME ERROR: SIM not inserted\r\n", none, false, FinalKind::CmeError, -1,
                       none, false, none},
        TranscriptCase{"bare ERROR", "AT+CSCA?", "\r\nERROR\r\n", none, false, FinalKind::Error, -1,
                       none, false, none},
        TranscriptCase{"COMMAND NOT SUPPORT closed by OK", "AT+CSCA?",
                       "\r\nCOMMAND NOT SUPPORT\r\n\r\nOK\r\n", none, false,
                       FinalKind::NotSupported, -1, none, false, none},
        TranscriptCase{"prompt with echo", "AT+CMGS=23", "AT+CMGS=23\r\r\n> ", none, true,
                       FinalKind::None, -1, none, true, none},
        TranscriptCase{"prompt then an unsolicited line", "AT+CMGS=23",
                       "\r\n> \r\n+CMTI: \"SM\",3\r\n", none, true, FinalKind::None, -1, none, true,
                       none},
        TranscriptCase{"unsolicited lines before a late verdict",
                       "AT+CMGS=23",
                       "\r\n+CMTI: \"SM\",3\r\n\r\n+CREG: 1\r\n\r\n^RSSI:14\r\n"
                       "\r\n+CMS ERROR: 38\r\n",
                       {"0011000B914477"},
                       false,
                       FinalKind::CmsError,
                       38,
                       none,
                       false,
                       {"+CMTI: \"SM\",3", "+CREG: 1", "^RSSI:14"}},
        TranscriptCase{"registration asked for is the answer",
                       "AT+CREG?",
                       "\r\n+CREG: 0,1\r\n\r\nOK\r\n",
                       none,
                       false,
                       FinalKind::Ok,
                       -1,
                       {"+CREG: 0,1"},
                       false,
                       none},
        TranscriptCase{"delivery report with its PDU line",
                       "AT+CSQ",
                       "\r\n+CDS: 25\r\n07914477850160F006\r\n\r\n+CSQ: 9,99\r\n\r\nOK\r\n",
                       none,
                       false,
                       FinalKind::Ok,
                       -1,
                       {"+CSQ: 9,99"},
                       false,
                       {"+CDS: 25\r\n07914477850160F006"}},
        TranscriptCase{"echoed PDU body and reference",
                       "AT+CMGS=23",
                       "0011000B914477\x1a\r\n+CMGS: 17\r\n\r\nOK\r\n",
                       {"0011000B914477"},
                       false,
                       FinalKind::Ok,
                       -1,
                       {"+CMGS: 17"},
                       false,
                       none},
        TranscriptCase{"text body with continuation prompts that says ERROR",
                       "AT+CMGS=\"+4477\"",
                       "Hello\r\n> ERROR\r\n> bye\x1a\r\n+CMGS: 4\r\n\r\nOK\r\n",
                       {"Hello", "ERROR", "bye"},
                       false,
                       FinalKind::Ok,
                       -1,
                       {"+CMGS: 4"},
                       false,
                       none},
        TranscriptCase{"continuation prompts without echo",
                       "AT+CMGS=\"+4477\"",
                       "\r\n> \r\n> \r\n+CMGS: 5\r\n\r\nOK\r\n",
                       {"a", "b", "c"},
                       false,
                       FinalKind::Ok,
                       -1,
                       {"+CMGS: 5"},
                       false,
                       none},
        TranscriptCase{"invalid UTF-8 inside a refusal",
                       "AT+CMGS=23",
                       "\r\n+CMS ERROR: 38\xC3\x28\r\n",
                       {"0011"},
                       false,
                       FinalKind::CmsError,
                       38,
                       none,
                       false,
                       none},
        TranscriptCase{"noise bytes before the answer", "AT", "\x01\x85\x1f\r\nOK\r\n", none, false,
                       FinalKind::Ok, -1, none, false, none},
        TranscriptCase{"no final result yet",
                       "AT+CGSN",
                       "\r\n490154203237518\r\n",
                       none,
                       false,
                       FinalKind::None,
                       -1,
                       {"490154203237518"},
                       false,
                       none},
        TranscriptCase{"prompt not waited for is no prompt", "AT+CSQ", "\r\n> ", none, false,
                       FinalKind::None, -1, none, false, none}),
    [](const auto& info) {
        std::string name;
        for (const char c : std::string(info.param.name)) {
            name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
        }
        return name;
    });

TEST(ReplyText, KeepsArrivalOrderWithoutUnsolicitedLines) {
    tesk::at::UnsolicitedQueue unsolicited;
    const Reply reply =
        tesk::at::Read_Transcript("AT+CGMI\r\r\n+CMTI: \"SM\",1\r\nMaker Ltd\r\n\r\nOK\r\n",
                                  QStringLiteral("AT+CGMI"), {}, false, unsolicited);
    EXPECT_EQ(reply.text(), QStringLiteral("AT+CGMI\r\nMaker Ltd\r\nOK"));
}

TEST(ReplyCollector, LineAfterCommandNotSupportThatIsNoOkIsLeftForTheNextCommand) {
    tesk::at::UnsolicitedQueue unsolicited;
    tesk::at::LineFramer rest;
    const Reply reply =
        tesk::at::Read_Transcript("\r\nCOMMAND NOT SUPPORT\r\n\r\n+CSQ: 5,99\r\n",
                                  QStringLiteral("AT+CSCA?"), {}, false, unsolicited, &rest);
    EXPECT_EQ(reply.final.kind, FinalKind::NotSupported);
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
