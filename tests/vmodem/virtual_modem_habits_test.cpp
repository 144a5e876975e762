// The awkward habits of real modems, as a client on the pseudo-terminal sees them.
#include "support/pty_client.h"
#include "virtual-modem/virtual_modem.h"
#include "vmodem/modem_fixture.h"

#include <QJsonObject>

#include <gtest/gtest.h>

namespace tesk::vmodem {
namespace {

using test::kCtrlZ;
using test::kHelloPdu;
using test::kHelloTpdu;
using test::ModemTest;
using test::WaitFor;

// An SMS-DELIVER a modem passes on after "+CMT: ,23".
const QByteArray kDeliverPdu =
    "07911326040000F0040B911346610089F60000208062917314080CC8F71D14969741F977FD07";

class EchoAfterReset : public ModemTest, public ::testing::WithParamInterface<bool> {};

// The modem starts without echo; only a factory profile with echo brings it back.
TEST_P(EchoAfterReset, decidesWhetherResetBringsEchoBack) {
    Config config;
    config.echoAfterReset = GetParam();
    start(config);
    auto client = connect();
    const QByteArray shown = GetParam() ? "AT\r" : "";
    for (const QByteArray reset : {"AT&F\r", "ATZ\r"}) {
        EXPECT_EQ(client->exchange(reset), "\r\nOK\r\n");
        EXPECT_EQ(client->exchange("AT\r"), shown + "\r\nOK\r\n") << reset.constData();
        EXPECT_EQ(client->exchange("ATE0\r"),
                  QByteArray(GetParam() ? "ATE0\r" : "") + "\r\nOK\r\n");
        EXPECT_EQ(client->exchange("AT\r"), "\r\nOK\r\n");
    }
}

INSTANTIATE_TEST_SUITE_P(Profiles, EchoAfterReset, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "echo_on" : "as_started"; });

class NonCommands : public ModemTest, public ::testing::WithParamInterface<bool> {};

TEST_P(NonCommands, areDroppedOrRefusedButAlwaysRecorded) {
    Config config;
    config.ignoreNonCommands = GetParam();
    VirtualModem& modem = start(config);
    auto client = connect();
    // What follows HELLO shows whether HELLO got an answer of its own.
    client->write("HELLO\rAT\r");
    EXPECT_EQ(client->readUntil("\r\nOK\r\n"),
              (GetParam() ? QByteArray() : QByteArray("\r\nERROR\r\n")) + "\r\nOK\r\n");
    EXPECT_EQ(modem.commands(), QStringList({"HELLO", "AT"}));
}

INSTANTIATE_TEST_SUITE_P(Answers, NonCommands, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "ignored" : "error"; });

struct BeforePromptCase {
    const char* name;
    QByteArray mode;     // the AT+CMGF value
    QByteArray command;  // the AT+CMGS command, refused
    QString answer;      // the refusal line chosen
    QByteArray typed;    // the message the client types anyway
    QByteArray reaction;
    QString number;
    QByteArray accepted;  // the same submission once more, up to Ctrl-Z
};

class RefusalBeforePrompt : public ModemTest,
                            public ::testing::WithParamInterface<BeforePromptCase> {};

TEST_P(RefusalBeforePrompt, leavesTheMessageToTheCommandLine) {
    const BeforePromptCase& c = GetParam();
    Config config;
    config.refuseBeforePromptOnSubmission = 1;
    config.refuseBeforePromptAnswer = c.answer;
    config.logPath = logPath();
    VirtualModem& modem = start(config);
    auto client = connect();
    EXPECT_EQ(client->exchange("AT+CMGF=" + c.mode + "\r"), "\r\nOK\r\n");
    EXPECT_EQ(client->exchange(c.command + "\r"), "\r\n" + c.answer.toLatin1() + "\r\n");
    client->write(c.typed + "AT\r");
    EXPECT_EQ(client->readUntil("\r\nOK\r\n"), c.reaction + "\r\nOK\r\n");
    const QString typedLine = QString::fromLatin1(c.typed.chopped(1));  // without its Ctrl-Z
    EXPECT_EQ(modem.commands().mid(1),
              QStringList({QString::fromLatin1(c.command), typedLine, QStringLiteral("AT")}));
    // The next AT+CMGS is the second submission and goes through.
    EXPECT_EQ(client->exchange(c.command + "\r"), "\r\n> ");
    EXPECT_EQ(client->exchange(c.accepted + kCtrlZ), "\r\n+CMGS: 0\r\n\r\nOK\r\n");
    EXPECT_EQ(modem.received().size(), 1);
    EXPECT_EQ(modem.submissions(), 1);

    const QList<Refusal> refusals = modem.refusals();
    ASSERT_EQ(refusals.size(), 1);
    EXPECT_EQ(refusals[0].stage, QStringLiteral("before-prompt"));
    EXPECT_EQ(refusals[0].answer, c.answer);
    EXPECT_EQ(refusals[0].number, c.number);
    // The log holds the refusal as its own kind of line; the delivered SMS line is unchanged.
    const QList<QJsonObject> lines = logLines();
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(lines[0].value("refused").toBool());
    EXPECT_EQ(lines[0].value("stage").toString(), QStringLiteral("before-prompt"));
    EXPECT_EQ(lines[0].value("answer").toString(), c.answer);
    EXPECT_EQ(lines[0].value("number").toString(), c.number);
    EXPECT_EQ(lines[0].value("port").toString(), QStringLiteral("VM0"));
    EXPECT_FALSE(lines[1].contains("refused"));
    EXPECT_EQ(lines[1].value("text").toString(), QStringLiteral("hello"));
}

INSTANTIATE_TEST_SUITE_P(
    Modes, RefusalBeforePrompt,
    ::testing::Values(BeforePromptCase{"pdu", "0", "AT+CMGS=16", "+CMS ERROR: 330",
                                       kHelloPdu + "\x1A", "", "", kHelloPdu},
                      // A message that happens to read as a command is executed as one.
                      BeforePromptCase{"text", "1", "AT+CMGS=\"+12345\"", "ERROR",
                                       "ATD+19005550000;\x1A", "\r\nNO CARRIER\r\n", "+12345",
                                       "hello"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ModemTest, commandsSentWhileTheVerdictIsDelayedWaitForIt) {
    echo_ = true;
    Config config;
    config.verdictDelayMs = 300;
    VirtualModem& modem = start(config);
    auto client = connect();
    EXPECT_EQ(client->exchange("AT+CMGS=16\r"), "AT+CMGS=16\r\r\n> ");
    client->write(kHelloPdu + kCtrlZ);
    ASSERT_TRUE(WaitFor([&] { return modem.submissions() == 1; }));
    client->write("AT+CGMM\r");
    EXPECT_EQ(client->readUntil("VM-1\r\n\r\nOK\r\n"),
              kHelloPdu + "\r\n+CMGS: 0\r\n\r\nOK\r\nAT+CGMM\r\r\nVM-1\r\n\r\nOK\r\n");
}

TEST_F(ModemTest, unsolicitedLinesComeAtTheirMoments) {
    using U = Config::Unsolicited;
    Config config;
    config.unsolicited = {
        {U::AfterVerdict, 2, "+CMTI: \"SM\",3"},
        {U::BeforeVerdict, 0, "+CMT: ,23\r\n" + kDeliverPdu, 50},
        {U::AfterPrompt, 1, "+CMTI: \"SM\",1"},
        {U::AfterEveryCommand, 0, "+CREG: 1"},
    };
    start(config);
    auto client = connect();
    const QByteArray cmt = "\r\n+CMT: ,23\r\n" + kDeliverPdu + "\r\n";
    client->write("AT+CMGS=16\r");
    EXPECT_EQ(client->readUntil("\"SM\",1\r\n"), "\r\n> \r\n+CMTI: \"SM\",1\r\n");
    client->write(kHelloPdu + kCtrlZ);
    EXPECT_EQ(client->readUntil("+CREG: 1\r\n"),
              cmt + "\r\n+CMGS: 0\r\n\r\nOK\r\n\r\n+CREG: 1\r\n");
    EXPECT_EQ(client->exchange("AT+CMGS=16\r"), "\r\n> ");
    client->write(kHelloPdu + kCtrlZ);
    EXPECT_EQ(client->readUntil("+CREG: 1\r\n"),
              cmt + "\r\n+CMGS: 1\r\n\r\nOK\r\n\r\n+CMTI: \"SM\",3\r\n\r\n+CREG: 1\r\n");
    client->write("AT\r");
    EXPECT_EQ(client->readUntil("+CREG: 1\r\n"), "\r\nOK\r\n\r\n+CREG: 1\r\n");
}

struct CharsetCase {
    const char* name;
    bool strict;
    QByteArray charset;
    QByteArray command;
    QByteArray answer;
};

class NumberCharset : public ModemTest, public ::testing::WithParamInterface<CharsetCase> {};

TEST_P(NumberCharset, decidesWhichNumbersAreTaken) {
    const CharsetCase& c = GetParam();
    Config config;
    config.strictCharset = c.strict;
    VirtualModem& modem = start(config);
    auto client = connect();
    EXPECT_EQ(client->exchange("AT+CMGF=1;+CSCS=\"" + c.charset + "\"\r"), "\r\nOK\r\n");
    EXPECT_EQ(client->exchange(c.command + "\r"), c.answer);
    const bool refusedSubmission = c.command.startsWith("AT+CMGS") && c.answer != "\r\n> ";
    EXPECT_EQ(modem.refusals().size(), refusedSubmission ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NumberCharset,
    ::testing::Values(
        CharsetCase{"lenient_plain_under_ucs2", false, "UCS2", "AT+CMGS=\"+123\"", "\r\n> "},
        CharsetCase{"strict_plain_under_ucs2", true, "UCS2", "AT+CMGS=\"+123\"",
                    "\r\n+CMS ERROR: 305\r\n"},
        CharsetCase{"strict_hex_under_ucs2", true, "UCS2", "AT+CMGS=\"002B003100320033\"",
                    "\r\n> "},
        CharsetCase{"strict_plain_under_gsm", true, "GSM", "AT+CMGS=\"+123\"", "\r\n> "},
        CharsetCase{"strict_centre_plain_under_ucs2", true, "UCS2", "AT+CSCA=\"+4479\"",
                    "\r\n+CMS ERROR: 304\r\n"},
        CharsetCase{"strict_centre_hex_under_ucs2", true, "UCS2",
                    "AT+CSCA=\"002B0034003400370039\"", "\r\nOK\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ModemTest, invalidUtf8InsideErrorLinesOnly) {
    Config config;
    config.invalidUtf8InsideFinal = true;
    config.cmsErrorOnSubmission = 1;
    config.cmsErrorCode = 38;
    start(config);
    auto client = connect();
    EXPECT_EQ(submitPdu(*client, kHelloPdu, kHelloTpdu), "\r\n+CMS ERROR: 38\xC3\x28\r\n");
    client->write("AT+NONSENSE\r");
    EXPECT_EQ(client->readUntil("\x28\r\n"), "\r\nERROR\xC3\x28\r\n");
    EXPECT_EQ(client->exchange("AT+CMEE=1;+CSCS=\"KLINGON\"\r"), "\r\n+CME ERROR: 4\xC3\x28\r\n");
    EXPECT_EQ(client->exchange("AT\r"), "\r\nOK\r\n");
}

}  // namespace
}  // namespace tesk::vmodem
