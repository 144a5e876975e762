// Ctrl-C in the middle of a run: the messages being sent finish, the rest end as "Stopped.",
// nothing goes out twice, and the summary still comes.
#include "cli_test_support.h"

#include <QJsonArray>
#include <QSet>

namespace {

using tesk::cli::test::CliTest;
using tesk::cli::test::Describe;
using tesk::cli::test::Parse_Summary;
using tesk::cli::test::Status_Count;

// The modems here answer slowly so that a run lasts; a "second" of 200 ms keeps every read
// time-out far above their latency.
class CliStop : public CliTest {
  protected:
    void SetUp() override {
        CliTest::SetUp();
        timeScale = QStringLiteral("0.2");
    }
};

TEST_F(CliStop, InterruptStopsTheRunCleanly) {
    struct Case {
        const char* name;
        int signal;
    };
    const Case cases[] = {{"Ctrl-C", SIGINT}, {"SIGTERM", SIGTERM}};
    tesk::vmodem::Config slow = modem(QStringLiteral("VM0"), QStringLiteral("356938035643809"));
    slow.latencyMs = 10;  // so the run lasts long enough to be interrupted
    addModem(slow);
    const QStringList recipients = numbers(30);
    const QString list = numbersFile(recipients);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(logPath());
        bool signalled = false;
        const auto result = run(
            {QStringLiteral("send"), QStringLiteral("--numbers"), list, QStringLiteral("--message"),
             QStringLiteral("Hi"), QStringLiteral("--devices"), devicesArgument()},
            [&](QProcess& process) {
                // Once the first messages are out, the user presses Ctrl-C.
                if (receivedNumbers().size() < 2) {
                    return false;
                }
                ::kill(static_cast<pid_t>(process.processId()), c.signal);
                signalled = true;
                return true;
            });
        ASSERT_TRUE(signalled) << Describe(result);
        ASSERT_TRUE(result.finished) << Describe(result);
        EXPECT_EQ(result.exitCode, 1) << Describe(result);

        const QStringList received = receivedNumbers();
        EXPECT_EQ(QSet<QString>(received.begin(), received.end()).size(), received.size())
            << "a number was sent twice";
        EXPECT_LT(received.size(), recipients.size());
        for (const QString& number : received) {
            EXPECT_TRUE(recipients.contains(number)) << number.toStdString();
        }

        const auto summary = Parse_Summary(result.out);
        ASSERT_TRUE(summary.found) << Describe(result);
        EXPECT_EQ(summary.total, 30);
        EXPECT_EQ(summary.sent, received.size()) << Describe(result);
        EXPECT_EQ(summary.notSent, 30 - summary.sent);
        EXPECT_GT(Status_Count(result.out, QStringLiteral("Stopped.")), 0) << Describe(result);
        EXPECT_EQ(Status_Count(result.out, QStringLiteral("Stopped.")), summary.notSent);
        // The stop question was answered on the user's behalf, and the run ended as stopped.
        EXPECT_TRUE(result.err.contains(QStringLiteral(
            "Terminating the current process will stop sending text messages to the remaining "
            "contact. Are you sure you want to continue?\n-> Yes")))
            << Describe(result);
        EXPECT_TRUE(result.err.contains(QStringLiteral("SMS Sending process is stopped")));
    }
}

TEST_F(CliStop, InterruptDuringTheScanListsWhatWasFound) {
    for (int i = 0; i < 3; ++i) {
        tesk::vmodem::Config slow =
            modem(QStringLiteral("VM%1").arg(i), QStringLiteral("35693803564380%1").arg(i));
        slow.latencyMs = 30;  // questioning one device takes a good while
        addModem(slow);
    }
    bool signalled = false;
    const auto result = run({QStringLiteral("scan"), QStringLiteral("--json"),
                             QStringLiteral("--devices"), devicesArgument()},
                            [&](QProcess& process) {
                                // The first device is being questioned.
                                if (modems[0]->commands().isEmpty()) {
                                    return false;
                                }
                                ::kill(static_cast<pid_t>(process.processId()), SIGINT);
                                signalled = true;
                                return true;
                            });
    ASSERT_TRUE(signalled);
    ASSERT_TRUE(result.finished) << Describe(result);
    EXPECT_EQ(result.exitCode, 0) << Describe(result);
    // The device being questioned is finished and listed; the others are never opened.
    const QJsonArray devices = QJsonDocument::fromJson(result.out.toUtf8()).array();
    ASSERT_EQ(devices.size(), 1) << Describe(result);
    EXPECT_EQ(devices.at(0).toObject().value(QStringLiteral("imei")).toString(),
              QStringLiteral("356938035643800"));
    EXPECT_TRUE(modems[1]->commands().isEmpty());
    EXPECT_TRUE(modems[2]->commands().isEmpty());
    EXPECT_TRUE(result.err.contains(
        QStringLiteral("Terminating the current process will stop scanning connected device. Are "
                       "you sure you want to continue?\n-> Yes")))
        << Describe(result);
}

}  // namespace
