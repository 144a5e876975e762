// The tesk-virtual-modem program as a user starts it.
#include "support/pty_client.h"

#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace tesk::vmodem {
namespace {

class ProgramTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(runtime_.isValid()); }
    void TearDown() override {
        if (program_.state() != QProcess::NotRunning) {
            program_.kill();
            program_.waitForFinished(5000);
        }
    }

    // Starts the program and returns the first line it prints.
    QString launch(const QStringList& arguments) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime_.path());
        program_.setProcessEnvironment(env);
        program_.start(QStringLiteral(TESK_VIRTUAL_MODEM_BIN), arguments);
        if (!program_.waitForStarted(5000)) {
            return {};
        }
        while (!program_.canReadLine() && program_.waitForReadyRead(5000)) {
        }
        return QString::fromLocal8Bit(program_.readLine()).trimmed();
    }

    QTemporaryDir runtime_;
    QProcess program_;
};

TEST_F(ProgramTest, printsItsPortAnswersAndCleansUpOnSigterm) {
    const QString log = runtime_.filePath(QStringLiteral("sms.jsonl"));
    const QString path = launch({"--name", "P1", "--imei", "111111111111116", "--log", log});
    EXPECT_EQ(path, runtime_.path() + QStringLiteral("/tesk-sms/modems/ttyP1"));
    ASSERT_TRUE(QFileInfo(path).isSymLink());
    {
        test::PtyClient client(path);
        ASSERT_TRUE(client.isOpen());
        EXPECT_EQ(client.exchange("AT\r\n"), "AT\r\r\nOK\r\n");
        EXPECT_EQ(client.exchange("ATE0;+CGSN\r"), "ATE0;+CGSN\r\r\n111111111111116\r\n\r\nOK\r\n");
        EXPECT_EQ(client.exchange("AT+CMGS=16\r\n"), "\r\n> ");
        EXPECT_EQ(client.exchange("00110005912143F50000FF05E8329BFD06\x1A\r\n"),
                  "\r\n+CMGS: 0\r\n\r\nOK\r\n");
    }
    program_.terminate();  // SIGTERM
    ASSERT_TRUE(program_.waitForFinished(5000));
    EXPECT_EQ(program_.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program_.exitCode(), 0);
    EXPECT_FALSE(QFileInfo(path).isSymLink());

    QFile file(log);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QJsonObject sms = QJsonDocument::fromJson(file.readLine()).object();
    EXPECT_EQ(sms.value("text").toString(), QStringLiteral("hello"));
    EXPECT_EQ(sms.value("port").toString(), QStringLiteral("P1"));
}

TEST_F(ProgramTest, withoutAnnouncementPrintsTheSlave) {
    const QString path = launch({"--no-announce", "--no-echo", "--modes", "pdu"});
    EXPECT_TRUE(path.startsWith(QStringLiteral("/dev/pts/"))) << path.toStdString();
    test::PtyClient client(path);
    EXPECT_EQ(client.exchange("AT+CMGF=?\r"), "\r\n+CMGF: (0)\r\n\r\nOK\r\n");
}

TEST_F(ProgramTest, answerShapesAreChosenOnTheCommandLine) {
    const QString path = launch(
        {QStringLiteral("--no-echo"), QStringLiteral("--imei-prefix"), QStringLiteral("IMEI "),
         QStringLiteral("--battery-state"), QStringLiteral("3"), QStringLiteral("--operator"),
         QStringLiteral("26201"), QStringLiteral("--operator-unquoted"), QStringLiteral("--sca"),
         QStringLiteral("unsigned"), QStringLiteral("--sca-number"), QStringLiteral("+4479"),
         QStringLiteral("--sca-blank"), QStringLiteral("--undefined"), QStringLiteral("+GMM,+GMR"),
         QStringLiteral("--error-on"), QStringLiteral("+CSQ")});
    test::PtyClient client(path);
    ASSERT_TRUE(client.isOpen());
    EXPECT_EQ(client.exchange("AT+CGSN\r"), "\r\nIMEI 356938035643809\r\n\r\nOK\r\n");
    EXPECT_EQ(client.exchange("AT+CBC\r"), "\r\n+CBC: 3,80\r\n\r\nOK\r\n");
    EXPECT_EQ(client.exchange("AT+COPS?\r"), "\r\n+COPS: 0,2,26201\r\n\r\nOK\r\n");
    EXPECT_EQ(client.exchange("AT+CSCA?\r"), "\r\n+CSCA: \"4479\", 145\r\n\r\nOK\r\n");
    EXPECT_EQ(client.exchange("AT+GMM\r"), "\r\nUndefined\r\n\r\nOK\r\n");
    EXPECT_EQ(client.exchange("AT+GMR\r"), "\r\nUndefined\r\n\r\nOK\r\n");
    EXPECT_EQ(client.exchange("AT+GMI\r"), "\r\nVirtual Modems Ltd\r\n\r\nOK\r\n");
    EXPECT_EQ(client.exchange("AT+CSQ\r"), "\r\nERROR\r\n");
}

TEST_F(ProgramTest, habitsAreChosenOnTheCommandLine) {
    const QString path =
        launch({"--no-echo", "--echo-after-reset", "--answer-non-commands", "--strict-charset",
                "--refuse-before-prompt", "1", "--refuse-answer", "+CMS ERROR: 500",
                "--not-supported-on", "3", "--verdict-delay-ms", "10", "--unsolicited",
                "after-verdict,2:+CDS: 6\\n0006", "--invalid-utf8-in-final"});
    test::PtyClient client(path);
    ASSERT_TRUE(client.isOpen());
    const QByteArray pdu = "00110005912143F50000FF05E8329BFD06\x1A";
    const struct {
        QByteArray command;
        QByteArray answer;  // up to its end
    } cases[] = {
        {"HELLO\r", "\r\nERROR\xC3\x28\r\n"},
        {"AT+CMGS=16\r", "\r\n+CMS ERROR: 500\xC3\x28\r\n"},
        {"AT+CMGS=16\r", "\r\n> "},
        {pdu, "\r\n+CMGS: 0\r\n\r\nOK\r\n\r\n+CDS: 6\r\n0006\r\n"},
        {"AT+CMGS=16\r", "\r\n> "},
        {pdu, "\r\nCOMMAND NOT SUPPORT\r\n"},
        {"AT+CSCS=\"UCS2\";+CSCA=\"+4479\"\r", "\r\n+CMS ERROR: 304\xC3\x28\r\n"},
        {"ATZ\r", "\r\nOK\r\n"},
        {"AT\r", "AT\r\r\nOK\r\n"},
    };
    for (const auto& c : cases) {
        client.write(c.command);
        EXPECT_EQ(client.readUntil(c.answer.right(4)), c.answer) << c.command.constData();
    }
}

TEST_F(ProgramTest, reportsAndMessagesAreChosenOnTheCommandLine) {
    const QString path =
        launch({"--no-echo", "--first-reference", "255", "--report", "+12345=failed:0x45",
                "--sim-sms", "Bank:code\\n1234", "--storage-slots", "1"});
    test::PtyClient client(path);
    ASSERT_TRUE(client.isOpen());
    EXPECT_EQ(client.exchange("AT+CNMI=2,1,0,1,0;+CPMS?\r"),
              "\r\n+CPMS: \"SM\",1,1,\"SM\",1,1,\"SM\",1,1\r\n\r\nOK\r\n");
    const QByteArray listed = client.exchange("AT+CMGF=1;+CMGL=\"ALL\"\r");
    EXPECT_TRUE(listed.startsWith("\r\n+CMGL: 1,\"REC UNREAD\",\"Bank\",,\"")) << listed.data();
    EXPECT_TRUE(listed.endsWith("\"\r\ncode\n1234\r\n\r\nOK\r\n")) << listed.data();
    EXPECT_EQ(client.exchange("AT+CMGF=0;+CMGS=16\r"), "\r\n> ");
    client.write("00310005912143F50000FF05E8329BFD06\x1A");
    // centre field, SMS-STATUS-REPORT, TP-MR 255, +12345, two time stamps, TP-ST 0x45
    const QByteArray answer = client.readUntil("45\r\n");
    EXPECT_TRUE(
        answer.startsWith("\r\n+CMGS: 255\r\n\r\nOK\r\n\r\n+CDS: 22\r\n"
                          "079144775810065006FF05912143F5"))
        << answer.data();
    EXPECT_EQ(answer.size(), 20 + 12 + 16 + 2 * 22 + 2);  // the report is 22 octets long
}

TEST_F(ProgramTest, refusesAnUnknownChoice) {
    const QStringList wrong[] = {
        {"--modes", "fax"},
        {"--unsolicited", "sometimes:+CMTI: \"SM\",1"},
        {"--unsolicited", "after-verdict,x:+CMTI: \"SM\",1"},
        {"--report", "+12345=lost"},
        {"--report", "+12345=delivered:0x45"},
        {"--incoming-sms", "soon:+12345:hi"},
        {"--first-reference", "256"},
    };
    for (const QStringList& arguments : wrong) {
        program_.start(QStringLiteral(TESK_VIRTUAL_MODEM_BIN), arguments);
        ASSERT_TRUE(program_.waitForFinished(5000));
        EXPECT_EQ(program_.exitCode(), 2);
        EXPECT_TRUE(program_.readAllStandardError().contains(arguments[0].toUtf8()))
            << arguments[1].toStdString();
    }
}

}  // namespace
}  // namespace tesk::vmodem
