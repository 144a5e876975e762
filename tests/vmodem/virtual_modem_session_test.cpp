// Conversations with a running virtual modem over its real pseudo-terminal.
#include "core/runtime_paths.h"
#include "support/param_names.h"
#include "support/pty_client.h"
#include "virtual-modem/virtual_modem.h"
#include "vmodem/modem_fixture.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringDecoder>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace tesk::vmodem {
namespace {

using test::kCtrlZ;
using test::kHelloPdu;
using test::kHelloTpdu;
using test::kHelloWithScaPdu;
using test::ModemTest;
using test::PtyClient;
using test::WaitFor;

TEST_F(ModemTest, announcesItselfPrivatelyAndRemovesTheLinkAtStop) {
    Config config;
    config.name = QStringLiteral("T7");
    VirtualModem& modem = start(config);
    const QString link = Virtual_Modem_Dir() + QStringLiteral("/ttyT7");
    EXPECT_EQ(modem.announcedPath(), link);
    EXPECT_EQ(modem.portPath(), link);
    EXPECT_EQ(QFileInfo(link).symLinkTarget(), modem.devicePath());
    EXPECT_EQ(QFile::permissions(Virtual_Modem_Dir()), QFile::ReadOwner | QFile::WriteOwner |
                                                           QFile::ExeOwner | QFile::ReadUser |
                                                           QFile::WriteUser | QFile::ExeUser);
    modem.stop();
    EXPECT_FALSE(modem.running());
    EXPECT_FALSE(QFileInfo(link).isSymLink());
}

TEST_F(ModemTest, replacesAStaleLinkOfTheSameName) {
    ASSERT_TRUE(QDir().mkpath(Virtual_Modem_Dir()));
    const QString link = Virtual_Modem_Dir() + QStringLiteral("/ttyVM0");
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/pts/999999"), link));
    VirtualModem& modem = start();
    EXPECT_EQ(QFileInfo(link).symLinkTarget(), modem.devicePath());
    EXPECT_EQ(connect()->exchange("AT\r"), "\r\nOK\r\n");
}

TEST_F(ModemTest, echoesWhatItReceivesUntilATE0) {
    echo_ = true;
    VirtualModem& modem = start();
    auto client = connect();
    EXPECT_EQ(client->exchange("AT\r\n"), "AT\r\r\nOK\r\n");
    EXPECT_EQ(client->exchange("at\r"), "at\r\r\nOK\r\n");
    EXPECT_EQ(client->exchange("ATE0\r\n"), "ATE0\r\r\nOK\r\n");
    EXPECT_EQ(client->exchange("AT\r\n"), "\r\nOK\r\n");
    EXPECT_EQ(client->exchange("ATE1\n"), "\r\nOK\r\n");
    EXPECT_EQ(client->exchange("\r\nAT\r"), "AT\r\r\nOK\r\n");
    EXPECT_EQ(modem.commands(), QStringList({"AT", "at", "ATE0", "AT", "ATE1", "AT"}));
}

TEST_F(ModemTest, factoryResetRestoresTheProfile) {
    echo_ = true;
    start();
    auto client = connect();
    client->exchange("ATE0;+CMGF=1;+CSCS=\"UCS2\";+CMEE=1\r");
    EXPECT_EQ(client->exchange("AT+CMGF?\r"), "\r\n+CMGF: 1\r\n\r\nOK\r\n");
    EXPECT_EQ(client->exchange("AT&F\r"), "\r\nOK\r\n");
    EXPECT_EQ(
        client->exchange("AT+CMGF?;+CSCS?;+CMEE?\r"),
        "AT+CMGF?;+CSCS?;+CMEE?\r\r\n+CMGF: 0\r\n\r\n+CSCS: \"GSM\"\r\n\r\n+CMEE: 0\r\n\r\nOK\r\n");
}

struct CmeeCase {
    int cmee;
    QByteArray answer;
};

class CmeeFormat : public ModemTest, public ::testing::WithParamInterface<CmeeCase> {};

TEST_P(CmeeFormat, decidesHowEquipmentErrorsRead) {
    start();
    auto client = connect();
    EXPECT_EQ(client->exchange("AT+CMEE=" + QByteArray::number(GetParam().cmee) + "\r"),
              "\r\nOK\r\n");
    EXPECT_EQ(client->exchange("AT+CSCS=\"KLINGON\"\r"), GetParam().answer);
}

INSTANTIATE_TEST_SUITE_P(
    Levels, CmeeFormat,
    ::testing::Values(CmeeCase{0, "\r\nERROR\r\n"}, CmeeCase{1, "\r\n+CME ERROR: 4\r\n"},
                      CmeeCase{2, "\r\n+CME ERROR: operation not supported\r\n"}),
    tesk::test::ByCaseName());

TEST_F(ModemTest, answersIdentityQuestionsWithBareLines) {
    Config config;
    config.imei = QStringLiteral("490154203237518");
    config.operatorName = QStringLiteral("Nordnet");
    start(config);
    auto client = connect();
    EXPECT_EQ(client->exchange("AT+CGSN\r"), "\r\n490154203237518\r\n\r\nOK\r\n");
    EXPECT_EQ(client->exchange("AT+GSN\r"), "\r\n490154203237518\r\n\r\nOK\r\n");
    EXPECT_EQ(client->exchange("AT+CGMI;+GMM\r"),
              "\r\nVirtual Modems Ltd\r\n\r\nVM-1\r\n\r\nOK\r\n");
    EXPECT_EQ(client->exchange("AT+COPS?\r"), "\r\n+COPS: 0,0,\"Nordnet\"\r\n\r\nOK\r\n");
    EXPECT_EQ(client->exchange("AT+CBC\r"), "\r\n+CBC: 0,80\r\n\r\nOK\r\n");
    EXPECT_EQ(client->exchange("AT+CSQ\r"), "\r\n+CSQ: 20,99\r\n\r\nOK\r\n");
    EXPECT_EQ(client->exchange("AT+NONSENSE\r"), "\r\nERROR\r\n");
}

struct ScaCase {
    const char* name;
    ServiceCentreAnswer form;
    QByteArray answer;
};

class ServiceCentreForm : public ModemTest, public ::testing::WithParamInterface<ScaCase> {};

TEST_P(ServiceCentreForm, answersTheQueryInItsForm) {
    Config config;
    config.serviceCentreAnswer = GetParam().form;
    config.serviceCentre = QStringLiteral("+4479");
    start(config);
    auto client = connect();
    client->write("AT+CSCA?\r");
    // "COMMAND NOT SUPPORT" is itself a final line; where an OK follows, wait for it too.
    const QByteArray got = GetParam().answer.endsWith("\r\nOK\r\n")
                               ? client->readUntil("\r\nOK\r\n")
                               : client->readAnswer();
    EXPECT_EQ(got, GetParam().answer);
}

INSTANTIATE_TEST_SUITE_P(
    Forms, ServiceCentreForm,
    ::testing::Values(
        ScaCase{"plain", ServiceCentreAnswer::Plain, "\r\n+CSCA: \"+4479\",145\r\n\r\nOK\r\n"},
        ScaCase{"ucs2", ServiceCentreAnswer::Ucs2Hex,
                "\r\n+CSCA: \"002B0034003400370039\",145\r\n\r\nOK\r\n"},
        ScaCase{"not_supported", ServiceCentreAnswer::NotSupported, "\r\nCOMMAND NOT SUPPORT\r\n"},
        ScaCase{"absent", ServiceCentreAnswer::Absent, "\r\nOK\r\n"},
        ScaCase{"unsigned", ServiceCentreAnswer::Unsigned, "\r\n+CSCA: \"4479\",145\r\n\r\nOK\r\n"},
        ScaCase{"packed7", ServiceCentreAnswer::Packed7Bit,
                "\r\n+CSCA: \"2B1AED9603\",145\r\n\r\nOK\r\n"},
        ScaCase{"not_supported_ok", ServiceCentreAnswer::NotSupportedOk,
                "\r\nCOMMAND NOT SUPPORT\r\n\r\nOK\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ModemTest, writesTheServiceCentreTypeWithABlankWhenAsked) {
    Config config;
    config.serviceCentre = QStringLiteral("+4479");
    config.serviceCentreTypeBlank = true;
    start(config);
    EXPECT_EQ(connect()->exchange("AT+CSCA?\r"), "\r\n+CSCA: \"+4479\", 145\r\n\r\nOK\r\n");
}

TEST_F(ModemTest, answersInTheChosenShapes) {
    Config config;
    config.imei = QStringLiteral("490154203237518");
    config.imeiPrefix = QStringLiteral("IMEI: ");
    config.batteryState = 1;
    config.batteryPercent = 75;
    config.operatorQuoted = false;
    config.operatorName = QStringLiteral("23415");
    config.undefinedCommands = QStringList{QStringLiteral("+GMI"), QStringLiteral("+gmr")};
    config.errorCommands = QStringList{QStringLiteral("+CSQ")};
    start(config);
    auto client = connect();
    const struct {
        QByteArray command;
        QByteArray answer;
    } cases[] = {
        {"AT+CGSN\r", "\r\nIMEI: 490154203237518\r\n\r\nOK\r\n"},
        {"AT+CBC\r", "\r\n+CBC: 1,75\r\n\r\nOK\r\n"},
        {"AT+COPS?\r", "\r\n+COPS: 0,2,23415\r\n\r\nOK\r\n"},
        {"AT+GMI\r", "\r\nUndefined\r\n\r\nOK\r\n"},
        {"AT+CGMI\r", "\r\nVirtual Modems Ltd\r\n\r\nOK\r\n"},
        {"AT+GMR\r", "\r\nUndefined\r\n\r\nOK\r\n"},
        {"AT+CGMR\r", "\r\nVM-1.0.0\r\n\r\nOK\r\n"},
        {"AT+CSQ\r", "\r\nERROR\r\n"},
        {"AT+CSQ=?\r", "\r\nERROR\r\n"},
        {"AT+GMI=?\r", "\r\nOK\r\n"},  // only the question itself is undefined
    };
    for (const auto& c : cases) {
        EXPECT_EQ(client->exchange(c.command), c.answer) << c.command.constData();
    }
}

TEST_F(ModemTest, keepsAServiceCentreThatWasSet) {
    start();
    auto client = connect();
    EXPECT_EQ(client->exchange("AT+CSCA=\"4917012345\",145\r"), "\r\nOK\r\n");
    EXPECT_EQ(client->exchange("AT+CSCA?\r"), "\r\n+CSCA: \"+4917012345\",145\r\n\r\nOK\r\n");
    EXPECT_EQ(client->exchange("AT+CSCA=\"0170123\"\r"), "\r\nOK\r\n");
    EXPECT_EQ(client->exchange("AT+CSCA?\r"), "\r\n+CSCA: \"0170123\",129\r\n\r\nOK\r\n");
}

struct ModesCase {
    const char* name;
    SmsModes modes;
    QByteArray offer;
    QByteArray pduAnswer;
    QByteArray textAnswer;
};

class ModesOffer : public ModemTest, public ::testing::WithParamInterface<ModesCase> {};

TEST_P(ModesOffer, matchesWhatCanBeSelected) {
    Config config;
    config.modes = GetParam().modes;
    start(config);
    auto client = connect();
    EXPECT_EQ(client->exchange("AT+CMGF=?\r"), "\r\n" + GetParam().offer + "\r\n\r\nOK\r\n");
    EXPECT_EQ(client->exchange("AT+CMGF=0\r"), GetParam().pduAnswer);
    EXPECT_EQ(client->exchange("AT+CMGF=1\r"), GetParam().textAnswer);
}

INSTANTIATE_TEST_SUITE_P(
    Modes, ModesOffer,
    ::testing::Values(
        ModesCase{"both", SmsModes::Both, "+CMGF: (0,1)", "\r\nOK\r\n", "\r\nOK\r\n"},
        ModesCase{"pdu", SmsModes::Pdu, "+CMGF: (0)", "\r\nOK\r\n", "\r\nERROR\r\n"},
        ModesCase{"text", SmsModes::Text, "+CMGF: (1)", "\r\nERROR\r\n", "\r\nOK\r\n"},
        ModesCase{"none", SmsModes::None, "+CMGF: ()", "\r\nERROR\r\n", "\r\nERROR\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ModemTest, withoutSmsTheSmsCommandsFail) {
    Config config;
    config.smsSupported = false;
    start(config);
    auto client = connect();
    EXPECT_EQ(client->exchange("AT+CSMS=?\r"), "\r\nERROR\r\n");
    EXPECT_EQ(client->exchange("AT+CMGS=?\r"), "\r\nERROR\r\n");
    EXPECT_EQ(client->exchange("AT+CMGF=0\r"), "\r\nERROR\r\n");
    EXPECT_EQ(client->exchange("AT+CGSN\r"), "\r\n356938035643809\r\n\r\nOK\r\n");
}

TEST_F(ModemTest, pduSubmissionIsDecodedAnsweredAndLogged) {
    Config config;
    config.name = QStringLiteral("VM3");
    config.logPath = logPath();
    VirtualModem& modem = start(config);
    auto client = connect();
    EXPECT_EQ(client->exchange("AT+CMGS=?\r"), "\r\nOK\r\n");
    EXPECT_EQ(submitPdu(*client, kHelloPdu, kHelloTpdu), "\r\n+CMGS: 0\r\n\r\nOK\r\n");
    EXPECT_EQ(submitPdu(*client, kHelloWithScaPdu, kHelloTpdu), "\r\n+CMGS: 1\r\n\r\nOK\r\n");

    const QList<QJsonObject> lines = logLines();
    ASSERT_EQ(lines.size(), 2);
    const QJsonObject& first = lines[0];
    EXPECT_EQ(first.value("text").toString(), QStringLiteral("hello"));
    EXPECT_EQ(first.value("number").toString(), QStringLiteral("+12345"));
    EXPECT_EQ(first.value("mode").toString(), QStringLiteral("pdu"));
    EXPECT_EQ(first.value("coding").toString(), QStringLiteral("gsm7"));
    EXPECT_EQ(first.value("port").toString(), QStringLiteral("VM3"));
    EXPECT_EQ(first.value("raw").toString(), QString::fromLatin1(kHelloPdu));
    EXPECT_TRUE(first.value("class").isNull());
    EXPECT_TRUE(first.value("concat").isNull());
    EXPECT_EQ(first.value("reference").toInt(-1), 0);
    EXPECT_EQ(lines[1].value("reference").toInt(-1), 1);
    EXPECT_TRUE(QDateTime::fromString(first.value("time").toString(), Qt::ISODateWithMs).isValid());
    EXPECT_EQ(modem.received().size(), 2);
    EXPECT_EQ(modem.submissions(), 2);
}

TEST_F(ModemTest, eachConcatenatedPartIsOneEntry) {
    Config config;
    config.logPath = logPath();
    VirtualModem& modem = start(config);
    auto client = connect();
    // UDH 06 | 08 04 1234 02 0n, then "hello " and "world"
    EXPECT_EQ(submitPdu(*client, "00510005912143F50000FF0E06080412340201E8329BFD0601", 24),
              "\r\n+CMGS: 0\r\n\r\nOK\r\n");
    EXPECT_EQ(submitPdu(*client, "00510005912143F50000FF0D06080412340202F7B79C4D06", 23),
              "\r\n+CMGS: 1\r\n\r\nOK\r\n");
    const QList<ReceivedSms> received = modem.received();
    ASSERT_EQ(received.size(), 2);
    EXPECT_EQ(received[0].text + received[1].text, QStringLiteral("hello world"));
    EXPECT_EQ(received[1].concatRef, 0x1234);
    EXPECT_EQ(received[1].concatPart, 2);
    EXPECT_EQ(received[1].concatTotal, 2);
    const QJsonObject concat = logLines().value(0).value("concat").toObject();
    EXPECT_EQ(concat.value("ref").toInt(), 0x1234);
    EXPECT_EQ(concat.value("part").toInt(), 1);
    EXPECT_EQ(concat.value("total").toInt(), 2);
}

TEST_F(ModemTest, escapeCancelsWithoutSending) {
    Config config;
    config.logPath = logPath();
    VirtualModem& modem = start(config);
    auto client = connect();
    EXPECT_EQ(client->exchange("AT+CMGS=16\r\n"), "\r\n> ");
    EXPECT_EQ(client->exchange(kHelloPdu + "\x1B"), "\r\nOK\r\n");
    EXPECT_EQ(client->exchange("AT\r"), "\r\nOK\r\n");
    EXPECT_TRUE(modem.received().isEmpty());
    EXPECT_EQ(modem.submissions(), 0);
    EXPECT_FALSE(QFile::exists(logPath()));
}

struct RefusedCase {
    const char* name;
    int announced;
    QByteArray pdu;
    QString number;  // as far as the PDU could be read
};

class RefusedSubmission : public ModemTest, public ::testing::WithParamInterface<RefusedCase> {};

TEST_P(RefusedSubmission, answersCms304AndDeliversNothing) {
    VirtualModem& modem = start();
    auto client = connect();
    EXPECT_EQ(submitPdu(*client, GetParam().pdu, GetParam().announced), "\r\n+CMS ERROR: 304\r\n");
    EXPECT_TRUE(modem.received().isEmpty());
    EXPECT_EQ(modem.submissions(), 1);
    const QList<Refusal> refusals = modem.refusals();
    ASSERT_EQ(refusals.size(), 1);
    EXPECT_EQ(refusals[0].stage, QStringLiteral("verdict"));
    EXPECT_EQ(refusals[0].answer, QStringLiteral("+CMS ERROR: 304"));
    EXPECT_EQ(refusals[0].number, GetParam().number);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RefusedSubmission,
    ::testing::Values(RefusedCase{"length_one_too_many", 17, kHelloPdu, "+12345"},
                      RefusedCase{"length_counts_the_sca", 24, kHelloWithScaPdu, "+12345"},
                      RefusedCase{"not_hex", 16, "00110005912143F50000FF05E8329BFDXX", ""},
                      RefusedCase{"sms_deliver", 16, "00040005912143F50000FF05E8329BFD06", ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ModemTest, textModeUnderUcs2TakesHexadecimalUtf16) {
    VirtualModem& modem = start();
    auto client = connect();
    EXPECT_EQ(client->exchange("AT+CMGF=1;+CSCS=\"UCS2\";+CSMP=17,255,0,8\r"), "\r\nOK\r\n");
    EXPECT_EQ(client->exchange("AT+CMGS=\"+12345\"\r\n"), "\r\n> ");
    EXPECT_EQ(client->exchange("041F04400438043204350442" + kCtrlZ), "\r\n+CMGS: 0\r\n\r\nOK\r\n");
    const QList<ReceivedSms> received = modem.received();
    ASSERT_EQ(received.size(), 1);
    EXPECT_EQ(received[0].mode, QStringLiteral("text"));
    EXPECT_EQ(received[0].number, QStringLiteral("+12345"));
    EXPECT_EQ(received[0].text, QStringLiteral("Привет"));
    EXPECT_EQ(received[0].coding, QStringLiteral("ucs2"));
    EXPECT_EQ(received[0].raw, QStringLiteral("041F04400438043204350442"));
}

class TextLineBreaks : public ModemTest, public ::testing::WithParamInterface<bool> {};

// Each CR inside the message is a line break the modem answers with a fresh prompt, echo or not.
TEST_P(TextLineBreaks, promptAgainAndFlashComesFromTheCodingScheme) {
    echo_ = GetParam();
    VirtualModem& modem = start();
    auto client = connect();
    const QByteArray echoed[] = {"AT+CMGS=\"12345\",145\r", "line1", "line2", "line3"};
    auto shown = [&](int i) { return echo_ ? echoed[i] : QByteArray(); };
    EXPECT_TRUE(client->exchange("AT+CMGF=1;+CSMP=17,255,0,16\r").endsWith("\r\nOK\r\n"));
    EXPECT_EQ(client->exchange(echoed[0]), shown(0) + "\r\n> ");
    EXPECT_EQ(client->exchange("line1\r"), shown(1) + "\r\n> ");
    EXPECT_EQ(client->exchange("line2\r"), shown(2) + "\r\n> ");
    EXPECT_EQ(client->exchange("line3" + kCtrlZ), shown(3) + "\r\n+CMGS: 0\r\n\r\nOK\r\n");
    const QList<ReceivedSms> received = modem.received();
    ASSERT_EQ(received.size(), 1);
    EXPECT_EQ(received[0].number, QStringLiteral("+12345"));
    EXPECT_EQ(received[0].text, QStringLiteral("line1\nline2\nline3"));
    EXPECT_EQ(received[0].coding, QStringLiteral("gsm7"));
    EXPECT_EQ(received[0].messageClass, 0);
}

INSTANTIATE_TEST_SUITE_P(Echo, TextLineBreaks, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "on" : "off"; });

struct VerdictCase {
    const char* name;
    int Config::*onSubmission;
    QByteArray answer;
};

class VerdictRefusal : public ModemTest, public ::testing::WithParamInterface<VerdictCase> {};

TEST_P(VerdictRefusal, refusesTheChosenSubmissionAfterCtrlZ) {
    Config config;
    config.*GetParam().onSubmission = 2;
    config.cmsErrorCode = 38;
    VirtualModem& modem = start(config);
    auto client = connect();
    EXPECT_EQ(submitPdu(*client, kHelloPdu, kHelloTpdu), "\r\n+CMGS: 0\r\n\r\nOK\r\n");
    EXPECT_EQ(submitPdu(*client, kHelloPdu, kHelloTpdu), "\r\n" + GetParam().answer + "\r\n");
    EXPECT_EQ(submitPdu(*client, kHelloPdu, kHelloTpdu), "\r\n+CMGS: 1\r\n\r\nOK\r\n");
    EXPECT_EQ(modem.received().size(), 2);
    EXPECT_EQ(modem.submissions(), 3);
    const QList<Refusal> refusals = modem.refusals();
    ASSERT_EQ(refusals.size(), 1);
    EXPECT_EQ(refusals[0].answer, QString::fromLatin1(GetParam().answer));
    EXPECT_EQ(refusals[0].stage, QStringLiteral("verdict"));
    EXPECT_EQ(refusals[0].number, QStringLiteral("+12345"));
}

INSTANTIATE_TEST_SUITE_P(
    Answers, VerdictRefusal,
    ::testing::Values(VerdictCase{"cms_error", &Config::cmsErrorOnSubmission, "+CMS ERROR: 38"},
                      VerdictCase{"not_supported", &Config::notSupportedOnSubmission,
                                  "COMMAND NOT SUPPORT"}),
    [](const auto& info) { return std::string(info.param.name); });

struct SilenceCase {
    const char* name;
    int Config::*onSubmission;
    QByteArray verdict;  // empty: the device is lost before it
};

class FallsSilent : public ModemTest, public ::testing::WithParamInterface<SilenceCase> {};

TEST_P(FallsSilent, answersNothingMore) {
    Config config;
    config.*GetParam().onSubmission = 1;
    VirtualModem& modem = start(config);
    auto client = connect();
    EXPECT_EQ(client->exchange("AT+CMGS=16\r"), "\r\n> ");
    client->write(kHelloPdu + kCtrlZ);
    if (!GetParam().verdict.isEmpty()) {
        EXPECT_EQ(client->readAnswer(), GetParam().verdict);
    }
    client->write("AT\r");
    // Once the modem has taken the command in, any answer would already be on its way.
    ASSERT_TRUE(WaitFor([&] { return modem.commands().endsWith(QStringLiteral("AT")); }));
    EXPECT_EQ(client->readFor(300), QByteArray());
    EXPECT_TRUE(modem.running());
    EXPECT_EQ(modem.received().size(), GetParam().verdict.isEmpty() ? 0 : 1);
    EXPECT_TRUE(modem.refusals().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Moments, FallsSilent,
    ::testing::Values(SilenceCase{"after_delivery", &Config::silentAfterSubmission,
                                  "\r\n+CMGS: 0\r\n\r\nOK\r\n"},
                      SilenceCase{"after_prompt", &Config::silentAfterPromptOnSubmission, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ModemTest, echoOnlyEchoesAndNeverAnswers) {
    Config config;
    config.echoOnly = true;
    VirtualModem& modem = start(config);
    auto client = connect();
    client->write("AT\rAT+CMGS=16\r");
    ASSERT_TRUE(WaitFor([&] { return modem.commands().size() == 2; }));
    EXPECT_EQ(client->readFor(300), QByteArray("AT\rAT+CMGS=16\r"));
}

TEST_F(ModemTest, hangsUpAfterTheChosenSubmissionsAnswer) {
    Config config;
    config.hangUpAfterSubmission = 1;
    VirtualModem& modem = start(config);
    const QString link = modem.announcedPath();
    auto client = connect();
    EXPECT_EQ(submitPdu(*client, kHelloPdu, kHelloTpdu), "\r\n+CMGS: 0\r\n\r\nOK\r\n");
    const int result = client->readOnceAfterHangUp();
    EXPECT_TRUE(result == 0 || result == -EIO) << result;
    EXPECT_TRUE(WaitFor([&] { return !modem.running(); }));
    EXPECT_FALSE(QFileInfo(link).isSymLink());
}

TEST_F(ModemTest, servesClientsOneAfterAnother) {
    VirtualModem& modem = start();
    for (int session = 0; session < 3; ++session) {
        PtyClient client(modem.portPath());
        ASSERT_TRUE(client.isOpen());
        EXPECT_EQ(client.exchange("AT\r\n"), "\r\nOK\r\n") << session;
        EXPECT_EQ(client.exchange("AT+CGMM\r\n"), "\r\nVM-1\r\n\r\nOK\r\n") << session;
    }
    EXPECT_TRUE(modem.running());
}

TEST_F(ModemTest, lateFinalResultsKeepTheirOrder) {
    Config config;
    config.lateAnswerMs = 100;
    start(config);
    auto client = connect();
    client->write("AT+CGMI\rAT+CGMM\r");
    EXPECT_EQ(client->readUntil("VM-1\r\n\r\nOK\r\n"),
              "\r\nVirtual Modems Ltd\r\n\r\nOK\r\n\r\nVM-1\r\n\r\nOK\r\n");
}

TEST_F(ModemTest, garbageComesBeforeTheAnswerAndIsNoText) {
    Config config;
    config.garbage = true;
    start(config);
    const QByteArray answer = connect()->exchange("AT\r");
    ASSERT_TRUE(answer.endsWith("\r\nOK\r\n"));
    const QByteArray noise = answer.chopped(6);
    ASSERT_FALSE(noise.isEmpty());
    for (const char c : noise) {
        const auto b = static_cast<quint8>(c);
        EXPECT_TRUE(b >= 0x80 || (b < 0x20 && b != '\r' && b != '\n')) << int(b);
    }
}

TEST_F(ModemTest, invalidUtf8SpoilsEveryAnswer) {
    Config config;
    config.invalidUtf8 = true;
    start(config);
    auto client = connect();
    for (const QByteArray& command : {QByteArray("AT\r"), QByteArray("AT+CGSN\r")}) {
        const QByteArray answer = client->exchange(command);
        EXPECT_TRUE(answer.endsWith("\r\nOK\r\n"));
        QStringDecoder utf8(QStringDecoder::Utf8);
        const QString ignored = utf8.decode(answer);
        EXPECT_TRUE(utf8.hasError()) << answer.toStdString();
    }
}

}  // namespace
}  // namespace tesk::vmodem
