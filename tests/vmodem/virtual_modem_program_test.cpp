// The tesk-virtual-modem program as a user starts it.
#include "support/pty_client.h"

#include <QFileInfo>
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
    const QString path = launch({"--name", "P1", "--imei", "111111111111116"});
    EXPECT_EQ(path, runtime_.path() + QStringLiteral("/tesk-sms/modems/ttyP1"));
    ASSERT_TRUE(QFileInfo(path).isSymLink());
    {
        test::PtyClient client(path);
        ASSERT_TRUE(client.isOpen());
        EXPECT_EQ(client.exchange("AT\r\n"), "AT\r\r\nOK\r\n");
        EXPECT_EQ(client.exchange("ATE0;+CGSN\r"), "ATE0;+CGSN\r\r\n111111111111116\r\n\r\nOK\r\n");
        EXPECT_EQ(client.exchange("AT+CMGS=16\r"), "\r\n> ");
        EXPECT_EQ(client.exchange("00110005912143F50000FF05E8329BFD06\x1A\r\n"),
                  "\r\n+CMGS: 0\r\n\r\nOK\r\n");
    }
    program_.terminate();  // SIGTERM
    ASSERT_TRUE(program_.waitForFinished(5000));
    EXPECT_EQ(program_.exitCode(), 0);
    EXPECT_FALSE(QFileInfo(path).isSymLink());
}

TEST_F(ProgramTest, withoutAnnouncementPrintsTheSlave) {
    const QString path = launch(
        {"--no-announce", "--no-echo", "--modes", "pdu", "--sca", "ucs2", "--sca-number", "+4479"});
    EXPECT_TRUE(path.startsWith(QStringLiteral("/dev/pts/"))) << path.toStdString();
    test::PtyClient client(path);
    EXPECT_EQ(client.exchange("AT+CMGF=?\r"), "\r\n+CMGF: (0)\r\n\r\nOK\r\n");
    EXPECT_EQ(client.exchange("AT+CSCA?\r"),
              "\r\n+CSCA: \"002B0034003400370039\",145\r\n\r\nOK\r\n");
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
