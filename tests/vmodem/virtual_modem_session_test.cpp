// Conversations with a running virtual modem over its real pseudo-terminal.
#include "core/runtime_paths.h"
#include "vmodem/modem_fixture.h"

#include <QDir>
#include <QFileInfo>
#include <QStringDecoder>

#include <gtest/gtest.h>

namespace tesk::vmodem {
namespace {

using test::kCtrlZ;
using test::kHelloPdu;
using test::kHelloTpdu;
using test::kHelloWithScaPdu;
using test::kOk;
using test::ModemTest;
using test::PtyClient;
using test::Step;
using test::WaitFor;

const QByteArray kKlingon = "AT+CSCS=\"KLINGON\"\r";

TEST_F(ModemTest, announcesItselfRemovesTheLinkAtStopAndReplacesAStaleOne) {
    VirtualModem& modem = start({.name = QStringLiteral("T7")});
    const QString link = Virtual_Modem_Dir() + QStringLiteral("/ttyT7");
    EXPECT_EQ(modem.announcedPath(), link);
    EXPECT_EQ(modem.portPath(), link);
    EXPECT_EQ(QFileInfo(link).symLinkTarget(), modem.devicePath());
    modem.stop();
    EXPECT_FALSE(modem.running());
    EXPECT_FALSE(QFileInfo(link).isSymLink());

    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/pts/999999"), link));
    const VirtualModem& again = start({.name = QStringLiteral("T7")});
    EXPECT_EQ(QFileInfo(link).symLinkTarget(), again.devicePath());
    EXPECT_EQ(connect()->exchange("AT\r"), kOk);
}

// Each row: a modem set up its way, then what the client writes and reads back.
TEST_F(ModemTest, answersEachQuestionInTheShapeItWasSetUpFor) {
    const struct {
        const char* name;
        Config config;
        std::vector<Step> steps;
    } rows[] = {
        {"identity with bare lines",
         {.imei = "490154203237518", .operatorName = "Nordnet"},
         {{"AT+GSN\r", "\r\n490154203237518\r\n" + kOk},
          {"AT+CGMI;+GMM\r", "\r\nVirtual Modems Ltd\r\n\r\nVM-1\r\n" + kOk},
          {"AT+COPS?\r", "\r\n+COPS: 0,0,\"Nordnet\"\r\n" + kOk},
          {"AT+NONSENSE\r", "\r\nERROR\r\n"}}},
        {"chosen shapes",
         {.imei = "490154203237518",
          .imeiPrefix = "IMEI: ",
          .operatorName = "23415",
          .operatorQuoted = false,
          .batteryState = 1,
          .batteryPercent = 75,
          .undefinedCommands = {"+GMI", "+gmr"},
          .errorCommands = {"+CSQ"}},
         {{"AT+CGSN\r", "\r\nIMEI: 490154203237518\r\n" + kOk},
          {"AT+CBC\r", "\r\n+CBC: 1,75\r\n" + kOk},
          {"AT+COPS?\r", "\r\n+COPS: 0,2,23415\r\n" + kOk},
          {"AT+GMI\r", "\r\nUndefined\r\n" + kOk},
          {"AT+CGMI\r", "\r\nVirtual Modems Ltd\r\n" + kOk},
          {"AT+CSQ\r", "\r\nERROR\r\n"}}},
        {"equipment errors by AT+CMEE",
         {},
         {{kKlingon, "\r\nERROR\r\n"},
          {"AT+CMEE=1\r", kOk},
          {kKlingon, "\r\n+CME ERROR: 4\r\n"},
          {"AT+CMEE=2\r", kOk},
          {kKlingon, "\r\n+CME ERROR: operation not supported\r\n"}}},
        // The other centre shapes are read back by the device-query suites.
        {"centre ucs2",
         {.serviceCentreAnswer = ServiceCentreAnswer::Ucs2Hex, .serviceCentre = "+4479"},
         {{"AT+CSCA?\r", "\r\n+CSCA: \"002B0034003400370039\",145\r\n" + kOk}}},
        {"centre kept once set",
         {},
         {{"AT+CSCA=\"4917012345\",145\r", kOk},
          {"AT+CSCA?\r", "\r\n+CSCA: \"+4917012345\",145\r\n" + kOk},
          {"AT+CSCA=\"0170123\"\r", kOk},
          {"AT+CSCA?\r", "\r\n+CSCA: \"0170123\",129\r\n" + kOk}}},
        {"text parameters kept once set, an empty one unchanged",
         {},
         {{"AT+CSMP=49,255,0,8\r", kOk},
          {"AT+CSMP=17,,0,0\r", kOk},
          {"AT+CSMP?\r", "\r\n+CSMP: 17,255,0,0\r\n" + kOk},
          {"AT+CSMP=,167\r", kOk},
          {"AT+CSMP?\r", "\r\n+CSMP: 17,167,0,0\r\n" + kOk}}},
        {"a bare mode command selects PDU mode",
         {},
         {{"AT+CMGF=1\r", kOk}, {"AT+CMGF\r", kOk}, {"AT+CMGF?\r", "\r\n+CMGF: 0\r\n" + kOk}}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        talk(row.config, row.steps);
    }
}

TEST_F(ModemTest, echoesWhatItReceivesUntilATE0AndAFactoryResetRestoresTheProfile) {
    auto client = talk({},
                       {{"AT\r\n", "AT\r\r\nOK\r\n"},
                        {"at\r", "at\r\r\nOK\r\n"},
                        {"ATE0\r\n", "ATE0\r\r\nOK\r\n"},
                        {"AT\r\n", kOk},
                        {"ATE1\n", kOk},
                        {"\r\nAT\r", "AT\r\r\nOK\r\n"}},
                       true);
    EXPECT_EQ(modem_->commands(), QStringList({"AT", "at", "ATE0", "AT", "ATE1", "AT"}));
    run(*client,
        {{"ATE0;+CMGF=1;+CSCS=\"UCS2\";+CMEE=1\r", "ATE0;+CMGF=1;+CSCS=\"UCS2\";+CMEE=1\r" + kOk},
         {"AT+CMGF?\r", "\r\n+CMGF: 1\r\n" + kOk},
         {"AT&F\r", kOk},
         {"AT+CMGF?;+CSCS?;+CMEE?\r",
          "AT+CMGF?;+CSCS?;+CMEE?\r\r\n+CMGF: 0\r\n\r\n+CSCS: \"GSM\"\r\n\r\n+CMEE: 0\r\n" + kOk}});
}

TEST_F(ModemTest, pduSubmissionsAreDecodedAnsweredAndLoggedPartByPart) {
    auto client = talk(
        {.name = "VM3"},
        {{"AT+CMGS=?\r", kOk},
         {"AT+CMGS=16\r\n", "\r\n> "},
         {kHelloPdu + kCtrlZ, "\r\n+CMGS: 0\r\n" + kOk},
         {"AT+CMGS=16\r\n", "\r\n> "},
         {kHelloWithScaPdu + kCtrlZ, "\r\n+CMGS: 1\r\n" + kOk},
         // UDH 06 | 08 04 1234 02 0n, then "hello " and "world"
         {"AT+CMGS=24\r", "\r\n> "},
         {"00510005912143F50000FF0E06080412340201E8329BFD0601" + kCtrlZ, "\r\n+CMGS: 2\r\n" + kOk},
         {"AT+CMGS=23\r", "\r\n> "},
         {"00510005912143F50000FF0D06080412340202F7B79C4D06" + kCtrlZ, "\r\n+CMGS: 3\r\n" + kOk}});
    const QList<QJsonObject> lines = logLines();
    ASSERT_EQ(lines.size(), 4);
    const QJsonObject& first = lines[0];
    EXPECT_EQ(first.value("text").toString(), QStringLiteral("hello"));
    EXPECT_EQ(first.value("number").toString(), QStringLiteral("+12345"));
    EXPECT_EQ(first.value("mode").toString(), QStringLiteral("pdu"));
    EXPECT_EQ(first.value("port").toString(), QStringLiteral("VM3"));
    EXPECT_EQ(first.value("raw").toString(), QString::fromLatin1(kHelloPdu));
    const QJsonObject concat = lines[2].value("concat").toObject();
    EXPECT_EQ(concat.value("ref").toInt(), 0x1234);
    EXPECT_EQ(concat.value("part").toInt(), 1);
    EXPECT_EQ(concat.value("total").toInt(), 2);
    EXPECT_EQ(lines[3].value("text").toString(), QStringLiteral("world"));
}

TEST_F(ModemTest, refusesWithCms304WhatIsNoSubmissionOfTheAnnouncedLength) {
    const struct {
        int announced;
        QByteArray pdu;
        QString number;  // as far as the PDU could be read
    } rows[] = {
        {17, kHelloPdu, "+12345"},                       // one octet too many
        {24, kHelloWithScaPdu, "+12345"},                // the length counted the service centre
        {16, "00040005912143F50000FF05E8329BFD06", ""},  // an SMS-DELIVER: the decoder refuses
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.pdu.constData());
        VirtualModem& modem = start();
        EXPECT_EQ(submitPdu(*connect(), row.pdu, row.announced), "\r\n+CMS ERROR: 304\r\n");
        EXPECT_TRUE(modem.received().isEmpty());
        ASSERT_EQ(modem.refusals().size(), 1);
        EXPECT_EQ(modem.refusals()[0].number, row.number);
    }
}

// Each CR inside the message is a line break the modem answers with a fresh prompt, echo or not.
TEST_F(ModemTest, textLineBreaksPromptAgainAndFlashComesFromTheCodingScheme) {
    for (const bool echo : {false, true}) {
        SCOPED_TRACE(echo);
        const auto shown = [echo](const QByteArray& typed) { return echo ? typed : QByteArray(); };
        const QByteArray command = "AT+CMGS=\"12345\",145\r";
        talk({},
             {{"AT+CMGF=1;+CSMP=17,255,0,16\r", shown("AT+CMGF=1;+CSMP=17,255,0,16\r") + kOk},
              {command, shown(command) + "\r\n> "},
              {"line1\r", shown("line1") + "\r\n> "},
              {"line2\r", shown("line2") + "\r\n> "},
              {"line3" + kCtrlZ, shown("line3") + "\r\n+CMGS: 0\r\n" + kOk}},
             echo);
        const QList<ReceivedSms> received = modem_->received();
        ASSERT_EQ(received.size(), 1);
        EXPECT_EQ(received[0].number, QStringLiteral("+12345"));
        EXPECT_EQ(received[0].text, QStringLiteral("line1\nline2\nline3"));
        EXPECT_EQ(received[0].raw, QStringLiteral("line1\rline2\rline3"));  // as typed
        EXPECT_EQ(received[0].messageClass, 0);
    }
}

TEST_F(ModemTest, hangsUpAfterTheChosenSubmissionsAnswer) {
    VirtualModem& modem = start({.hangUpAfterSubmission = 1});
    const QString link = modem.announcedPath();
    auto client = connect();
    EXPECT_EQ(submitPdu(*client, kHelloPdu, kHelloTpdu), "\r\n+CMGS: 0\r\n" + kOk);
    const int result = client->readOnceAfterHangUp();
    EXPECT_TRUE(result == 0 || result == -EIO) << result;
    EXPECT_TRUE(WaitFor([&] { return !modem.running(); }));
    EXPECT_FALSE(QFileInfo(link).isSymLink());
}

TEST_F(ModemTest, garbageComesBeforeTheAnswerAndIsNoText) {
    start({.garbage = true});
    const QByteArray answer = connect()->exchange("AT\r");
    ASSERT_TRUE(answer.endsWith(kOk));
    const QByteArray noise = answer.chopped(6);
    ASSERT_FALSE(noise.isEmpty());
    for (const char c : noise) {
        const auto b = static_cast<quint8>(c);
        EXPECT_TRUE(b >= 0x80 || (b < 0x20 && b != '\r' && b != '\n')) << int(b);
    }
}

TEST_F(ModemTest, invalidUtf8SpoilsEveryAnswer) {
    start({.invalidUtf8 = true});
    auto client = connect();
    for (const QByteArray& command : {QByteArray("AT\r"), QByteArray("AT+CGSN\r")}) {
        const QByteArray answer = client->exchange(command);
        EXPECT_TRUE(answer.endsWith(kOk));
        QStringDecoder utf8(QStringDecoder::Utf8);
        const QString ignored = utf8.decode(answer);
        EXPECT_TRUE(utf8.hasError()) << answer.toStdString();
    }
}

}  // namespace
}  // namespace tesk::vmodem
