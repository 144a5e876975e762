// Ctrl-C or SIGTERM in the middle of a run: the messages being sent finish, the rest end as
// "Stopped.", nothing goes out twice, and the summary still comes.
#include "cli_test_support.h"

namespace tesk::cli::test {
namespace {

using CliStop = CliTest;

TEST_F(CliStop, InterruptStopsTheRunCleanly) {
    timeScale = "0.2";  // the modem answers slowly: read time-outs stay far above its latency
    vmodem::Config slow;
    slow.latencyMs = 10;  // so the run lasts long enough to be interrupted
    addModem(slow);
    const QStringList recipients = numbers(30);
    const QString list = numbersFile(recipients);
    for (const int signal : {SIGINT, SIGTERM}) {
        SCOPED_TRACE(signal);
        QFile::remove(modems.logPath());
        bool signalled = false;
        const auto result = send(list, "Hi", {}, [&](QProcess& process) {
            // Once the first messages are out, the user presses Ctrl-C.
            signalled = receivedNumbers().size() >= 2 &&
                        ::kill(static_cast<pid_t>(process.processId()), signal) == 0;
            return signalled;
        });
        ASSERT_TRUE(signalled) << Describe(result);
        EXPECT_EQ(result.exitCode, 1) << Describe(result);

        // Every number at most once, the first ones in order: nothing after the stop.
        const QStringList received = receivedNumbers();
        const int sent = int(received.size());
        EXPECT_EQ(received, recipients.mid(0, sent));
        EXPECT_EQ(result.out, QString("Summary: 30 items, %1 sent, %2 not sent, 0 left out\n"
                                      "%3  Message sent successfully.\n%4  Stopped.\n")
                                  .arg(sent)
                                  .arg(30 - sent)
                                  .arg(sent, 6)
                                  .arg(30 - sent, 6));
        // The stop question was answered on the user's behalf.
        EXPECT_TRUE(result.err.contains(
            "Terminating the current process will stop sending text messages to the remaining "
            "contact. Are you sure you want to continue?\n-> Yes"))
            << Describe(result);
    }
}

}  // namespace
}  // namespace tesk::cli::test
