// The awkward habits of real modems, as a client on the pseudo-terminal sees them.
#include "vmodem/modem_fixture.h"

#include <QFile>
#include <QJsonObject>

#include <gtest/gtest.h>

namespace tesk::vmodem {
namespace {

using test::kCtrlZ;
using test::kHelloPdu;
using test::kOk;
using test::ModemTest;
using test::WaitFor;

// An SMS-DELIVER a modem passes on after "+CMT: ,23".
const QByteArray kDeliverPdu =
    "07911326040000F0040B911346610089F60000208062917314080CC8F71D14969741F977FD07";

// The modem starts without echo; only a factory profile with echo brings it back.
TEST_F(ModemTest, resetBringsEchoBackOnlyWhenTheProfileSaysSo) {
    for (const bool echoAfterReset : {false, true}) {
        SCOPED_TRACE(echoAfterReset);
        const QByteArray shown = echoAfterReset ? "AT\r" : "";  // the echo, when it is back
        const QByteArray shownE0 = echoAfterReset ? "ATE0\r" : "";
        talk({.echoAfterReset = echoAfterReset},
             {{"AT&F\r", kOk}, {"ATE0\r", shownE0 + kOk}, {"ATZ\r", kOk}, {"AT\r", shown + kOk}});
    }
}

// A refusal before the prompt leaves the modem in command mode: what the client types next is
// read as command lines, and a message that happens to read as a command is executed as one.
TEST_F(ModemTest, refusalBeforePromptLeavesTheMessageToTheCommandLine) {
    const struct {
        QByteArray mode;     // the AT+CMGF value
        QByteArray command;  // the AT+CMGS command, refused
        QString answer;      // the refusal line chosen
        QByteArray typed;    // the message the client types anyway, Ctrl-Z last
        QByteArray reaction;
        QString number;
        QByteArray accepted;  // the same submission once more
    } rows[] = {
        {"0", "AT+CMGS=16", "+CMS ERROR: 330", kHelloPdu + "\x1A", "", "", kHelloPdu},
        {"1", "AT+CMGS=\"+12345\"", "ERROR", "ATD+19005550000;\x1A", "\r\nNO CARRIER\r\n", "+12345",
         "hello"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.command.constData());
        QFile::remove(logPath());
        talk({.refuseBeforePromptOnSubmission = 1, .refuseBeforePromptAnswer = row.answer},
             {{"AT+CMGF=" + row.mode + "\r", kOk},
              {row.command + "\r", "\r\n" + row.answer.toLatin1() + "\r\n"},
              {row.typed + "AT\r", row.reaction + kOk},
              // The next AT+CMGS is the second submission and goes through.
              {row.command + "\r", "\r\n> "},
              {row.accepted + kCtrlZ, "\r\n+CMGS: 0\r\n" + kOk}});
        EXPECT_EQ(modem_->commands().mid(1, 3),
                  QStringList({QString::fromLatin1(row.command),
                               QString::fromLatin1(row.typed.chopped(1)), QStringLiteral("AT")}));
        EXPECT_EQ(modem_->submissions(), 1);
        // The log holds the refusal as its own kind of line; the delivered SMS line is unchanged.
        const QList<QJsonObject> lines = logLines();
        ASSERT_EQ(lines.size(), 2);
        EXPECT_EQ(lines[0].value("stage").toString(), QStringLiteral("before-prompt"));
        EXPECT_EQ(lines[0].value("number").toString(), row.number);
        EXPECT_EQ(lines[1].value("text").toString(), QStringLiteral("hello"));
    }
}

TEST_F(ModemTest, commandsSentWhileTheVerdictIsDelayedWaitForIt) {
    auto client = talk({.verdictDelayMs = 300}, {{"AT+CMGS=16\r", "AT+CMGS=16\r\r\n> "}}, true);
    client->write(kHelloPdu + kCtrlZ);
    ASSERT_TRUE(WaitFor([&] { return modem_->submissions() == 1; }));
    run(*client,
        {{"AT+CGMM\r", kHelloPdu + "\r\n+CMGS: 0\r\n" + kOk + "AT+CGMM\r\r\nVM-1\r\n" + kOk}});
}

TEST_F(ModemTest, unsolicitedLinesComeAtTheirMoments) {
    using U = Config::Unsolicited;
    const QByteArray cmt = "\r\n+CMT: ,23\r\n" + kDeliverPdu + "\r\n";
    const QByteArray creg = "\r\n+CREG: 1\r\n";
    talk({.unsolicited = {{U::AfterVerdict, 2, "+CMTI: \"SM\",3"},
                          {U::BeforeVerdict, 0, "+CMT: ,23\r\n" + kDeliverPdu, 50},
                          {U::AfterPrompt, 1, "+CMTI: \"SM\",1"},
                          {U::AfterEveryCommand, 0, "+CREG: 1"}}},
         {{"AT+CMGS=16\r", "\r\n> \r\n+CMTI: \"SM\",1\r\n"},
          {kHelloPdu + kCtrlZ, cmt + "\r\n+CMGS: 0\r\n" + kOk + creg},
          {"AT+CMGS=16\r", "\r\n> "},
          {kHelloPdu + kCtrlZ, cmt + "\r\n+CMGS: 1\r\n" + kOk + "\r\n+CMTI: \"SM\",3\r\n" + creg},
          {"AT\r", kOk + creg}});
}

// Under a strict modem a number must be written in the character set in force.
TEST_F(ModemTest, numberCharsetDecidesWhichNumbersAreTaken) {
    const struct {
        bool strict;
        QByteArray charset;
        QByteArray command;
        QByteArray answer;
    } rows[] = {
        {false, "UCS2", "AT+CMGS=\"+123\"", "\r\n> "},
        {true, "UCS2", "AT+CMGS=\"+123\"", "\r\n+CMS ERROR: 305\r\n"},
        {true, "UCS2", "AT+CMGS=\"002B003100320033\"", "\r\n> "},
        {true, "UCS2", "AT+CSCA=\"+4479\"", "\r\n+CMS ERROR: 304\r\n"},
        {true, "UCS2", "AT+CSCA=\"002B0034003400370039\"", kOk},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.command.constData());
        talk({.strictCharset = row.strict}, {{"AT+CMGF=1;+CSCS=\"" + row.charset + "\"\r", kOk},
                                             {row.command + "\r", row.answer}});
        EXPECT_EQ(modem_->refusals().size(), row.answer.contains("305") ? 1 : 0);
    }
}

TEST_F(ModemTest, invalidUtf8InsideErrorLinesOnly) {
    talk({.cmsErrorOnSubmission = 1, .cmsErrorCode = 38, .invalidUtf8InsideFinal = true},
         {{"AT+CMGS=16\r", "\r\n> "},
          {kHelloPdu + kCtrlZ, "\r\n+CMS ERROR: 38\xC3\x28\r\n"},
          {"AT+NONSENSE\r", "\r\nERROR\xC3\x28\r\n"},
          {"AT+CMEE=1;+CSCS=\"KLINGON\"\r", "\r\n+CME ERROR: 4\xC3\x28\r\n"},
          {"AT\r", kOk}});
    // The refused submission is recorded as refused at its verdict, and never as received.
    EXPECT_TRUE(modem_->received().isEmpty());
    EXPECT_EQ(modem_->refusals().size(), 1);
}

}  // namespace
}  // namespace tesk::vmodem
